// The "지도보기" (map view) dialog that LogiD2 and LogiD5 open for an entry
// window: a top-level "#32770" owned by the entry window with Buttons
// "출발지를 현위치로" (2001), "도착지를 현위치로" (2002) and an
// "Internet Explorer_Server" holding the map page (map_page.h).
//
// A Logi substitute derives from LogiSubstitute and says where each entry
// window keeps its map (MapOf). OpenMap shows the dialog (a hidden one is shown
// again, its address brought up to date); a set button's command stores the
// page's centre as the origin or destination and the address follows;
// RecentreMap moves an open map onto a place; SC_CLOSE destroys the dialog.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sim/kit/layout.h"
#include "sim/kit/shell.h"
#include "sim/logi/map_page.h"

namespace qm::sim::logi {

constexpr int kIdSetOrigin = 2001;       // "출발지를 현위치로"
constexpr int kIdSetDestination = 2002;  // "도착지를 현위치로"
constexpr int kIdBrowser = 2003;

// The dialog's children: its two set buttons and the browser ("browser").
const std::vector<kit::LayoutNode>& MapDialogLayout();

// What an entry window holds of its map.
struct MapView {
    MapPoints points;  // positions taken from the map (or the stored order)
    Hwnd mapDialog{}, mapBrowser{};
};

class LogiSubstitute : public kit::Shell {
public:
    // site: the host name of the page's address (map_page.h).
    LogiSubstitute(Host& host, kit::CommonOptions common, std::u16string site)
        : kit::Shell(host, std::move(common)), site_(std::move(site)) {}

protected:
    // The map of an open entry window; null when there is no such window.
    virtual MapView* MapOf(Hwnd entry) = 0;

    // The map's centre became the origin (or the destination) of entry.
    virtual void OnPlaceTaken(Hwnd /*entry*/, bool /*origin*/) {}

    void OpenMap(Hwnd entry);
    void RecentreMap(Hwnd entry, const std::optional<GeoPoint>& point);
    void UpdateMapUrl(MapView& view);

private:
    void OnMapCommand(Hwnd entry, int id);
    std::optional<GeoPoint> MapCentre(MapView& view);

    std::u16string site_;
};

}  // namespace qm::sim::logi
