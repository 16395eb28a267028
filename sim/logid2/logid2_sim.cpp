#include "sim/logid2/logid2_sim.h"

#include <utility>

#include "platform/messages.h"

namespace qm::sim::logid2 {

namespace {

constexpr char16_t kMileageRefused[] = u"고객을 검색 후 마일리지를 적용하세요";
constexpr char16_t kUnregistered[] = u"미등록 업체입니다. 로지소프트로 문의 바랍니다.";

// Its own windows; those of both Logi programs are logi::EntryShell's.
const kit::Slot<EntryControls> kSlots[] = {
    {"cashLabel", &EntryControls::cashLabel}, {"postpaidLabel", &EntryControls::postpaidLabel},
    {"cardLabel", &EntryControls::cardLabel}, {"mileageButton", &EntryControls::mileageButton},
    {"copyAfterHold", &EntryControls::copyAfterHold}, {"memo2Box", &EntryControls::memo2Box},
    {"viaLabel", &EntryControls::viaLabel}, {"fitFare", &EntryControls::fitFare},
};

}  // namespace

LogiD2Sim::LogiD2Sim(Host& host, Options options)
    : logi::EntryShell<EntryWindowInfo>(host, options, u"logid2.map.invalid"), options_(std::move(options)) {}

kit::Shell::MainSpec LogiD2Sim::Main() const { return {MainLayout(), "mainList", kIdReception, options_.entryDelayMs}; }

// --- entry windows ---------------------------------------------------------

Hwnd LogiD2Sim::CreateEntry(const StoredOrder* order, int orderIndex) {
    std::vector<kit::LayoutNode> layout = EntryLayout();
    if (order) kit::FindNode(layout, "registerButton")->text = kModifyText;
    if (options_.altCancel) kit::FindNode(layout, "cancel")->text = kAltCancelText;
    EntryWindowInfo* e = MakeEntry(order, orderIndex, kEntryWidth, kEntryHeight, layout, kSlots);
    if (!e) return kNoWindow;
    WireEntry(*e);
    return e->window;
}

void LogiD2Sim::WireEntry(EntryWindowInfo& e) {
    const Hwnd window = e.window;
    const EntryControls& c = e.controls;
    Listen(window, [this, window](int id, int code, Hwnd) { OnEntryCommand(window, id, code); });
    WireShared(e, 1);
    for (Hwnd box : {c.origin, c.destination, c.via[0], c.via[1], c.via[2]}) {
        if (IsNull(box)) continue;
        host_.OnTextChanged(box, [this, window, box]() {
            if (EntryWindowInfo* en = Find(window)) en->lastPlaceBox = box;
            OnPlaceChanged(window);
        });
    }
}

const char16_t* LogiD2Sim::MileageRefusal(const EntryWindowInfo& e) const {
    return !e.customerFound || options_.refuseMileage ? kMileageRefused : nullptr;
}

void LogiD2Sim::OnEntryCommand(Hwnd window, int id, int code) {
    if (code != msg::BN_CLICKED) return;
    EntryWindowInfo* e = Find(window);
    if (!e) return;
    switch (id) {
        case kIdRegister:
            if (!RefuseUnregistered(window)) Finish(window, RegisterStatus(*e));
            break;
        case kIdHold:
            if (!RefuseUnregistered(window)) Finish(window, u"held");
            break;
        case kIdInquiry:
            if (!RefuseUnregistered(window)) AskInquiryType(window);
            break;
        case kIdCancel: AskCancel(window); break;
        case kIdOpenMap: OpenMap(window); break;
        case kIdOriginMap: RecentreMap(window, e->points.origin); break;
        case kIdDestinationMap: RecentreMap(window, e->points.destination); break;
        case kIdConsign: OnConsignClicked(window); break;
        default: break;
    }
}

void LogiD2Sim::OnPlaceChanged(Hwnd window) {
    if (!Find(window)) return;
    Later(window, kPopupTimer, options_.popupDelayMs, [this, window]() {
        EntryWindowInfo* en = Find(window);
        if (en && host_.Exists(en->lastPlaceBox) && !host_.GetText(en->lastPlaceBox).empty()) ShowPlacePopup(window);
    });
}

void LogiD2Sim::ShowPlacePopup(Hwnd window) {
    EntryWindowInfo* e = Find(window);
    if (!e) return;
    const std::u16string searched = host_.GetText(e->lastPlaceBox);
    if (!IsNull(e->placePopup) && host_.Exists(e->placePopup)) return;  // one popup per entry window
    const Rect r = host_.ScreenRect(e->lastPlaceBox);
    WindowSpec p;
    p.behaviour = Behaviour::Dialog;
    p.text = u"지명검색";
    p.owner = window;
    p.rect = {r.left, r.bottom + 2, r.left + 300, r.bottom + 2 + 140};
    const Hwnd popup = Make(p);
    if (IsNull(popup)) return;
    e->placePopup = popup;

    kit::BuildChildren(host_,
                       {kit::Label(searched, 0, {8, 8, 292, 60}),
                        kit::Button("map", u"지도", kIdPopupMap, {100, 70, 190, 96}),
                        kit::Button("close", u"닫기", kIdPopupClose, {196, 70, 286, 96})},
                       popup, Omit());

    Listen(popup, [this, window, popup](int id, int code, Hwnd) {
        if (code != msg::BN_CLICKED) return;
        if (id == kIdPopupClose) {
            host_.Destroy(popup);
        } else if (id == kIdPopupMap) {
            host_.Destroy(popup);
            OpenMap(window);
        }
    });
    host_.OnDestroy(popup, [this, window, popup]() {
        if (EntryWindowInfo* en = Find(window); en && en->placePopup == popup) en->placePopup = kNoWindow;
    });
}

bool LogiD2Sim::RefuseUnregistered(Hwnd window) {
    if (!options_.unregistered) return false;
    Box(window, u"확인", kUnregistered, {{u"확인", kIdOk}});
    return true;
}

void LogiD2Sim::AskInquiryType(Hwnd window) {
    Box(window, u"문의 타입선택", u"문의 타입을 선택하세요.", {{u"일반문의", kIdOk}, {u"취소", kIdCancel}},
        [this, window](int answer) {
            if (answer != kIdOk) return;
            EntryWindowInfo* e = Find(window);
            if (!e) return;
            StoredOrder o = ReadOrder(*e);
            o.status = u"inquiry";
            o.inquiryType = u"일반문의";
            Book().Store(std::move(o));
            host_.Destroy(window);
        });
}

void LogiD2Sim::OnFinishing(const kit::EntryState& e, StoredOrder& o) const {
    // A stored inquiry keeps its type.
    if (const auto k = ShownOrder(e)) o.inquiryType = o.status == u"inquiry" ? Orders()[*k].inquiryType : u"";
}

}  // namespace qm::sim::logid2
