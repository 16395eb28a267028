#include "sim/logi/map_dialog.h"

#include <memory>

#include "platform/messages.h"

namespace qm::sim::logi {

const std::vector<kit::LayoutNode>& MapDialogLayout() {
    static const std::vector<kit::LayoutNode> layout = {
        kit::Button("setOrigin", u"출발지를 현위치로", kIdSetOrigin, {10, 8, 170, 34}),
        kit::Button("setDestination", u"도착지를 현위치로", kIdSetDestination, {180, 8, 340, 34}),
        kit::Browser("browser", kIdBrowser, {10, 42, 640, 520}),
    };
    return layout;
}

void LogiSubstitute::OpenMap(Hwnd entry) {
    MapView* v = MapOf(entry);
    if (!v) return;
    if (!IsNull(v->mapDialog) && host_.Exists(v->mapDialog)) {
        UpdateMapUrl(*v);
        host_.Show(v->mapDialog, true);
        return;
    }
    WindowSpec d;
    d.behaviour = Behaviour::Dialog;
    d.text = u"지도보기";
    d.owner = entry;
    d.rect = {160, 60, 160 + 660, 60 + 560};
    const Hwnd dialog = Make(d);
    if (IsNull(dialog)) return;
    v->mapDialog = dialog;

    v->mapBrowser = kit::BuildChildren(host_, MapDialogLayout(), dialog, Omit()).Get("browser");
    if (!IsNull(v->mapBrowser)) {
        const GeoPoint centre = v->points.origin        ? *v->points.origin
                                : v->points.destination ? *v->points.destination
                                                        : kDefaultCentre;
        PageSpec page;
        page.url = MapPageUrl(v->points, site_);
        page.script = MapPageScript(centre);
        auto interpreter = std::make_shared<MapPageInterpreter>(centre);
        page.interpreter = [interpreter](const std::u16string& script) { return interpreter->Evaluate(script); };
        host_.AttachPage(v->mapBrowser, page);
    }

    Listen(dialog, [this, entry](int id, int code, Hwnd) {
        if (code == msg::BN_CLICKED) OnMapCommand(entry, id);
    });
    host_.OnDestroy(dialog, [this, entry, dialog]() {
        if (MapView* mv = MapOf(entry); mv && mv->mapDialog == dialog) {
            mv->mapDialog = kNoWindow;
            mv->mapBrowser = kNoWindow;
        }
    });
}

void LogiSubstitute::OnMapCommand(Hwnd entry, int id) {
    MapView* v = MapOf(entry);
    if (!v) return;
    if (id != kIdSetOrigin && id != kIdSetDestination) return;
    const auto centre = MapCentre(*v);
    if (!centre) return;
    (id == kIdSetOrigin ? v->points.origin : v->points.destination) = centre;
    UpdateMapUrl(*v);
    OnPlaceTaken(entry, id == kIdSetOrigin);
}

std::optional<GeoPoint> LogiSubstitute::MapCentre(MapView& v) {
    if (IsNull(v.mapBrowser) || !host_.Exists(v.mapBrowser)) return std::nullopt;
    const ScriptValue value = host_.EvaluateInPage(v.mapBrowser, u"getCenter()");
    if (!value.text) return std::nullopt;
    return ParseCentre(*value.text);
}

void LogiSubstitute::RecentreMap(Hwnd entry, const std::optional<GeoPoint>& point) {
    MapView* v = MapOf(entry);
    if (!v || !point || IsNull(v->mapBrowser) || !host_.Exists(v->mapBrowser)) return;
    host_.EvaluateInPage(v->mapBrowser,
                         u"setCenter(" + NumberText(point->lat) + u", " + NumberText(point->lng) + u")");
}

void LogiSubstitute::UpdateMapUrl(MapView& v) {
    if (!IsNull(v.mapBrowser) && host_.Exists(v.mapBrowser)) host_.SetPageUrl(v.mapBrowser, MapPageUrl(v.points, site_));
}

}  // namespace qm::sim::logi
