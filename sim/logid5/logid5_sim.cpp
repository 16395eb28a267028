#include "sim/logid5/logid5_sim.h"

#include <algorithm>
#include <utility>

#include "platform/messages.h"

namespace qm::sim::logid5 {

namespace {

constexpr char16_t kMileageRefused[] = u"마일리지를 사용하지 않는 지사입니다.";
constexpr char16_t kOriginNotFound[] = u"출발지가 검색되지 않았습니다.";
constexpr char16_t kDestinationNotFound[] = u"도착지가 검색되지 않았습니다.";

// Its own windows; those of both Logi programs are logi::EntryShell's.
const kit::Slot<EntryControls> kSlots[] = {
    {"customerBox", &EntryControls::customerBox}, {"phoneBox", &EntryControls::phoneBox},
    {"phone2Button", &EntryControls::phone2Button}, {"branchBox", &EntryControls::branchBox},
    {"amountBox", &EntryControls::amountBox}, {"placeBox", &EntryControls::placeBox},
    {"originSearch", &EntryControls::originSearch}, {"destinationSearch", &EntryControls::destinationSearch},
    {"viaBox", &EntryControls::viaBox},
};

}  // namespace

LogiD5Sim::LogiD5Sim(Host& host, Options options)
    : logi::EntryShell<EntryWindowInfo>(host, options, u"logid5.map.invalid"), options_(std::move(options)) {}

kit::Shell::MainSpec LogiD5Sim::Main() const { return {MainLayout(), "mainList", kIdReception, options_.entryDelayMs}; }

// --- entry windows ---------------------------------------------------------

Hwnd LogiD5Sim::CreateEntry(const StoredOrder* order, int orderIndex) {
    std::vector<kit::LayoutNode> layout = EntryLayout();
    if (order) kit::FindNode(layout, "registerButton")->text = kModifyText;
    if (options_.plainCancel) kit::FindNode(layout, "cancel")->text = kPlainCancelText;
    EntryWindowInfo* e = MakeEntry(order, orderIndex, kEntryWidth, kEntryHeight, layout, kSlots);
    if (!e) return kNoWindow;
    if (order) {
        e->originFound = KnownPlace(order->origin.text);
        e->destinationFound = KnownPlace(order->destination.text);
    }
    WireEntry(*e);
    return e->window;
}

void LogiD5Sim::WireEntry(EntryWindowInfo& e) {
    const Hwnd window = e.window;
    const EntryControls& c = e.controls;
    Listen(window, [this, window](int id, int code, Hwnd) { OnEntryCommand(window, id, code); });
    WireShared(e, options_.doubleBranchBox ? 2 : 1);
    for (Hwnd box : {c.origin, c.destination, c.via[0], c.via[1], c.via[2]})
        OnEnter(box, [this, window, box] { OnPlaceEnter(window, box); });
}

const char16_t* LogiD5Sim::MileageRefusal(const EntryWindowInfo&) const {
    return options_.refuseMileage ? kMileageRefused : nullptr;
}

void LogiD5Sim::OnPlaceTaken(Hwnd entry, bool origin) {
    if (EntryWindowInfo* e = Find(entry)) (origin ? e->originFound : e->destinationFound) = true;
}

void LogiD5Sim::OnEntryCommand(Hwnd window, int id, int code) {
    if (code != msg::BN_CLICKED) return;
    EntryWindowInfo* e = Find(window);
    if (!e) return;
    switch (id) {
        case kIdRegister: Finish(window, RegisterStatus(*e)); break;
        case kIdHold: Finish(window, u"held"); break;
        case kIdInquiry: Finish(window, u"inquiry"); break;
        case kIdCancel: AskCancel(window); break;
        case kIdOriginSearch: OnSearchButton(window, true); break;
        case kIdDestinationSearch: OnSearchButton(window, false); break;
        case kIdOriginMap: RecentreMap(window, e->points.origin); break;
        case kIdDestinationMap: RecentreMap(window, e->points.destination); break;
        case kIdConsign: OnConsignClicked(window); break;
        default: break;
    }
}

bool LogiD5Sim::KnownPlace(const std::u16string& text) const {
    return !text.empty() &&
           std::find(options_.unknownPlaces.begin(), options_.unknownPlaces.end(), text) == options_.unknownPlaces.end();
}

void LogiD5Sim::OnPlaceEnter(Hwnd window, Hwnd box) {
    EntryWindowInfo* e = Find(window);
    if (!e) return;
    const bool known = KnownPlace(host_.GetText(box));
    if (box == e->controls.origin) e->originFound = known;
    if (box == e->controls.destination) e->destinationFound = known;
}

void LogiD5Sim::OnSearchButton(Hwnd window, bool origin) {
    EntryWindowInfo* e = Find(window);
    if (!e) return;
    if (!(origin ? e->originFound : e->destinationFound)) {
        Box(window, u"확인", origin ? kOriginNotFound : kDestinationNotFound, {{u"확인", kIdOk}});
        return;
    }
    OpenMap(window);
    RecentreMap(window, origin ? e->points.origin : e->points.destination);
}

}  // namespace qm::sim::logid5
