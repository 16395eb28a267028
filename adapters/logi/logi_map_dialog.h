// LogiD's "지도보기" (map view) dialog, shared by the LogiD2 and LogiD5 adapters:
// finding it with its two set buttons and its browser window, moving the map to
// a place and letting LogiD take it (entry), and reading every place's
// coordinates from the query of the page's address (read-back).
//
// Coordinates: a PlaceRecord's x holds the page's Y keys ("strSPosY=" and kin)
// and its y the X keys; the caller's point script receives x, then y.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "callport/call_port.h"
#include "callport/control_map.h"
#include "callport/map_dialog.h"
#include "core/delay_profile.h"
#include "core/request_block.h"
#include "platform/desktop.h"

namespace qm {

// LogiD's "지도보기" (map view) dialog and its two set buttons.
inline constexpr MapDialogTexts kLogiMapDialogTexts{u"지도보기", u"출발지를 현위치로", u"도착지를 현위치로"};
inline constexpr MapWindowSpec kLogiMapWindows[] = {{u"map view", u"#32770", kLogiMapDialogTexts.title}};

// The five places whose coordinates the page's address carries.
struct MapPlaces {
    PlaceRecord* origin = nullptr;
    PlaceRecord* destination = nullptr;
    PlaceRecord* via[3] = {nullptr, nullptr, nullptr};
};

// Reads the query of a map page address into places: 0, 97 (empty address or no
// query after the first "?") or 98 (an origin or destination key missing). Each
// key takes the first token that starts with it; a coordinate whose key is
// missing keeps its value; null places are skipped.
int ParseMapUrlPositions(std::u16string_view url, const MapPlaces& places);

// The map-dialog steps of a Logi adapter. It borrows the adapter's browser
// access (GetMapDocument, RunPlacementScript) and its way of typing a place box
// (enterPlaceText: EnterText with a click, old text replaced).
class CLogiMapDialog {
public:
    using PlaceTextEntry = std::function<void(Hwnd box, const std::u16string& text)>;

    CLogiMapDialog(CCallPort& port, Desktop& desktop, const DelayProfile& profile, PlaceTextEntry enterPlaceText)
        : port_(port), desktop_(desktop), profile_(profile), enterPlaceText_(std::move(enterPlaceText)) {}

    // 0, or 36 (no dialog within mapWait), 37, 38 (a set button missing), 39 (no
    // browser window within mapWait). out is filled as far as the search got.
    int FindMapDialog(MapDialogHandles& out);

    // Moves the map to place.x, place.y with the caller's pointScript, presses the
    // dialog's set button and, twice, the entry window's map button, then types
    // place.fullText into placeBox again. 0, or a code of the browser steps
    // (40-48, 63, 94).
    int SetMapPosition(Module oleacc, const char16_t* pointScript, const PlaceRecord& place, Hwnd mapDialog,
                       Hwnd browser, Hwnd setButton, Hwnd placeBox, Hwnd mapButton);

    // Reads every place's coordinates from the page's address. 0, a code of
    // GetMapDocument (40-45, 94), 46 (no parent window), 96 (address unreadable),
    // 97 or 98 (ParseMapUrlPositions).
    int ReadMapUrlPositions(Module oleacc, Hwnd mapDialog, Hwnd browser, PlaceRecord* origin,
                            PlaceRecord* destination, PlaceRecord* via1, PlaceRecord* via2, PlaceRecord* via3);

private:
    CCallPort& port_;
    Desktop& desktop_;
    const DelayProfile& profile_;
    PlaceTextEntry enterPlaceText_;
};

}  // namespace qm
