#include "sim/logid2/logid2_sim.h"

#include <algorithm>
#include <utility>

#include "platform/messages.h"

namespace qm::sim::logid2 {

namespace {

constexpr char16_t kHeadOffice[] = u"로지본사";
constexpr char16_t kCancelQuestion[] = u"접수 데이터가 일부 입력된 창을 닫겠습니까?";
constexpr char16_t kSearchHint[] =
    u"검색시 전화번호는 뒷자리 4자리 이거나, 지역번호를 제외한 풀넘버를 입력하셔야 합니다.";
constexpr char16_t kSelectBranch[] = u"지사를 선택하시기 바랍니다.";
constexpr char16_t kMileageRefused[] = u"고객을 검색 후 마일리지를 적용하세요";
constexpr char16_t kConsignWarning[] =
    u"탁송오더 등록시 탁송체크 해지불가하므로 오더취소후 재접수 하시기 바랍니다";
constexpr char16_t kUnregistered[] = u"미등록 업체입니다. 로지소프트로 문의 바랍니다.";
const std::vector<std::u16string> kPayItems = {u"현금", u"후불", u"카드", u"마일리지"};

using kit::Digits;
using kit::EndsWith;

// Where each named window of the entry layout is kept.
struct Slot {
    const char* name;
    Hwnd EntryControls::*field;
};
const Slot kSlots[] = {
    {"phone", &EntryControls::phone}, {"origin", &EntryControls::origin},
    {"destination", &EntryControls::destination}, {"fare", &EntryControls::fare},
    {"driverMemo", &EntryControls::driverMemo}, {"cashLabel", &EntryControls::cashLabel},
    {"cash", &EntryControls::cash}, {"postpaidLabel", &EntryControls::postpaidLabel},
    {"postpaid", &EntryControls::postpaid}, {"mileage", &EntryControls::mileage},
    {"cardLabel", &EntryControls::cardLabel}, {"card", &EntryControls::card},
    {"mileageButton", &EntryControls::mileageButton}, {"branch", &EntryControls::branch},
    {"branchDisplay", &EntryControls::branchDisplay}, {"copyAfterHold", &EntryControls::copyAfterHold},
    {"phoneDisplay", &EntryControls::phoneDisplay}, {"phone2", &EntryControls::phone2},
    {"companySupport", &EntryControls::companySupport}, {"memo2Box", &EntryControls::memo2Box},
    {"memo2", &EntryControls::memo2}, {"inquiry", &EntryControls::inquiry}, {"hold", &EntryControls::hold},
    {"registerButton", &EntryControls::registerButton}, {"cancel", &EntryControls::cancel},
    {"payCombo", &EntryControls::payCombo}, {"viaLabel", &EntryControls::viaLabel},
    {"originMap", &EntryControls::originMap}, {"destinationMap", &EntryControls::destinationMap},
    {"consignBox", &EntryControls::consignBox}, {"consign", &EntryControls::consign},
    {"fitFare", &EntryControls::fitFare}, {"addVia", &EntryControls::addVia},
};

}  // namespace

struct LogiD2Sim::EntryState : EntryWindowInfo {
    TimerId customerTimer = 0;
    TimerId branchTimer = 0;
    TimerId popupTimer = 0;
    Hwnd lastPlaceBox{};
    bool consignFixed = false;  // a saved consignment order: the mark cannot be taken off
};

LogiD2Sim::LogiD2Sim(Host& host, Options options)
    : logi::LogiSubstitute(host, options, u"logid2.map.invalid"), options_(std::move(options)) {
    branches_ = {
        {u"021234567", u"강남지사"},
        {u"0212345678", u"서초지사"},
        {u"0311234567", u"수원지사"},
        {u"15881234", u"대표지사"},
    };
    for (const Branch& b : options_.extraBranches) branches_.push_back(b);
}

LogiD2Sim::~LogiD2Sim() {
    for (auto& [window, e] : entries_) {
        host_.CancelTimer(e->customerTimer);
        host_.CancelTimer(e->branchTimer);
        host_.CancelTimer(e->popupTimer);
    }
}

std::optional<std::u16string> LogiD2Sim::BranchDisplayText(const std::u16string& typed) const {
    const std::u16string digits = Digits(typed);
    if (digits.empty()) return std::nullopt;
    for (const Branch& b : branches_) {
        if (b.digits == digits)
            return std::u16string(kHeadOffice) + u" > " + b.name + u" (" + HyphenatedNumber(digits) + u")";
    }
    return std::nullopt;
}

bool LogiD2Sim::Start() {
    if (!IsNull(main_)) return true;
    const kit::Built built = kit::BuildTopLevel(host_, MainLayout(), kNoWindow, Omit());
    main_ = built.Get("main");
    if (IsNull(main_)) return false;
    mdiClient_ = built.Get("mdiClient");
    view_ = built.Get("view");
    mainList_ = built.Get("mainList");
    reception_ = built.Get("reception");
    host_.OnDestroy(main_, [this]() {
        main_ = kNoWindow;
        host_.Quit();
    });
    ListenMain(main_, nullptr);
    Listen(mainList_, [this](int id, int code, Hwnd) {
        if (id != kIdReception || code != 0) return;
        if (options_.entryDelayMs > 0)
            host_.StartTimer(options_.entryDelayMs, [this]() { OpenEntryWindow(); });
        else
            OpenEntryWindow();
    });
    return true;
}

// --- entry windows ---------------------------------------------------------

Hwnd LogiD2Sim::OpenEntryWindow() { return CreateEntryWindow(nullptr, -1); }

Hwnd LogiD2Sim::OpenOrderForModify(std::size_t k) {
    if (k >= Orders().size()) return kNoWindow;
    const StoredOrder copy = Orders()[k];
    return CreateEntryWindow(&copy, static_cast<int>(k));
}

Hwnd LogiD2Sim::CreateEntryWindow(const StoredOrder* order, int orderIndex) {
    if (IsNull(main_)) return kNoWindow;
    const int offset = 24 * (cascade_++ % 8);
    WindowSpec w;
    w.behaviour = Behaviour::Dialog;
    w.text = order ? u"오더 수정" : u"오더 접수";
    w.owner = main_;
    w.rect = {120 + offset, 80 + offset, 120 + offset + kEntryWidth, 80 + offset + kEntryHeight};
    const Hwnd window = Make(w);
    if (IsNull(window)) return window;

    auto entry = std::make_unique<EntryState>();
    EntryState& e = *entry;
    e.window = window;
    e.modify = order != nullptr;
    e.orderIndex = orderIndex;
    entries_[window] = std::move(entry);
    entryOrder_.push_back(window);

    BuildEntryControls(e, e.modify);
    if (order) FillFromOrder(e, *order);
    else if (options_.consignChecked && !IsNull(e.controls.consign)) host_.SetCheck(e.controls.consign, true);
    WireEntry(window);
    return window;
}

void LogiD2Sim::BuildEntryControls(EntryState& e, bool modify) {
    std::vector<kit::LayoutNode> layout = EntryLayout();
    if (modify) kit::FindNode(layout, "registerButton")->text = kModifyText;
    if (options_.altCancel) kit::FindNode(layout, "cancel")->text = kAltCancelText;
    const kit::Built built = kit::BuildChildren(host_, layout, e.window, Omit(), {{"entry", e.window}});
    for (const Slot& slot : kSlots) e.controls.*slot.field = built.Get(slot.name);
    e.controls.via = {built.Get("via1"), built.Get("via2"), built.Get("via3")};
}

void LogiD2Sim::FillFromOrder(EntryState& e, const StoredOrder& o) {
    const EntryControls& c = e.controls;
    auto set = [this](Hwnd h, const std::u16string& text) {
        if (!IsNull(h)) host_.SetText(h, text);
    };
    set(c.phone, o.customerPhone);
    set(c.phoneDisplay, o.customerPhone);
    set(c.phone2, o.customerPhone2);
    set(c.branch, o.branchNumber);
    set(c.branchDisplay, o.branchDisplay);
    set(c.origin, o.origin.text);
    set(c.destination, o.destination.text);
    for (std::size_t k = 0; k < 3; ++k) set(c.via[k], o.via[k].text);
    set(c.fare, o.fare);
    set(c.cash, o.cashAmount);
    set(c.postpaid, o.postpaidAmount);
    set(c.mileage, o.mileageAmount);
    set(c.card, o.cardAmount);
    set(c.driverMemo, o.driverMemo);
    set(c.memo2, o.memo2);
    if (!IsNull(c.payCombo)) {
        const auto it = std::find(kPayItems.begin(), kPayItems.end(), o.payType);
        host_.SetSelection(c.payCombo, it == kPayItems.end() ? -1 : static_cast<int>(it - kPayItems.begin()));
    }
    if (!IsNull(c.consign)) host_.SetCheck(c.consign, o.consignment);
    e.consignFixed = o.consignment;
    e.customerFound = !o.customerPhone.empty();
    e.points.origin = o.origin.position;
    e.points.destination = o.destination.position;
    for (std::size_t k = 0; k < 3; ++k) e.points.via[k] = o.via[k].position;
}

void LogiD2Sim::WireEntry(Hwnd window) {
    EntryState* e = Find(window);
    if (!e) return;
    const EntryControls& c = e->controls;

    Listen(window, [this, window](int id, int code, Hwnd control) { OnEntryCommand(window, id, code, control); });
    host_.OnDestroy(window, [this, window]() {
        auto it = entries_.find(window);
        if (it == entries_.end()) return;
        host_.CancelTimer(it->second->customerTimer);
        host_.CancelTimer(it->second->branchTimer);
        host_.CancelTimer(it->second->popupTimer);
        entries_.erase(it);
        entryOrder_.erase(std::remove(entryOrder_.begin(), entryOrder_.end(), window), entryOrder_.end());
    });
    // Closing the window from its frame asks like the cancel button.
    host_.OnClose(window, [this, window]() {
        AskCancel(window);
        return false;
    });

    if (!IsNull(c.branch)) {
        host_.OnKey(c.branch, [this, window](std::uint32_t vk) {
            if (vk != msg::VK_RETURN) return false;
            OnBranchEnter(window);
            return true;
        });
    }
    if (!IsNull(c.phone)) {
        host_.OnKey(c.phone, [this, window](std::uint32_t vk) {
            if (vk != msg::VK_RETURN) return false;
            OnPhoneEnter(window);
            return true;
        });
    }
    for (Hwnd box : {c.fare, c.cash, c.postpaid, c.mileage, c.card}) {
        if (IsNull(box)) continue;
        const bool isMileage = box == c.mileage;
        host_.OnKey(box, [this, window, box, isMileage](std::uint32_t vk) {
            if (vk == msg::VK_TAB) OnAmountLeave(window, box, isMileage);
            return false;
        });
    }
    for (Hwnd box : {c.origin, c.destination, c.via[0], c.via[1], c.via[2]}) {
        if (IsNull(box)) continue;
        host_.OnTextChanged(box, [this, window, box]() {
            if (EntryState* en = Find(window)) en->lastPlaceBox = box;
            OnPlaceChanged(window);
        });
    }
}

logi::MapView* LogiD2Sim::MapOf(Hwnd entry) { return Find(entry); }

LogiD2Sim::EntryState* LogiD2Sim::Find(Hwnd window) {
    auto it = entries_.find(window);
    return it == entries_.end() ? nullptr : it->second.get();
}

const EntryWindowInfo* LogiD2Sim::EntryInfo(Hwnd window) const {
    auto it = entries_.find(window);
    return it == entries_.end() ? nullptr : it->second.get();
}

std::vector<Hwnd> LogiD2Sim::EntryWindows() const { return entryOrder_; }

void LogiD2Sim::OnEntryCommand(Hwnd window, int id, int code, Hwnd) {
    if (code != msg::BN_CLICKED) return;
    EntryState* e = Find(window);
    if (!e) return;
    switch (id) {
        case kIdRegister: {
            std::u16string status = u"registered";
            if (e->modify && e->orderIndex >= 0 && static_cast<std::size_t>(e->orderIndex) < Orders().size())
                status = Orders()[static_cast<std::size_t>(e->orderIndex)].status;
            Finish(window, status);
            break;
        }
        case kIdHold: Finish(window, u"held"); break;
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

void LogiD2Sim::OnBranchEnter(Hwnd window) {
    EntryState* e = Find(window);
    if (!e || IsNull(e->controls.branchDisplay)) return;
    host_.CancelTimer(e->branchTimer);
    e->branchTimer = 0;
    const auto display = BranchDisplayText(host_.GetText(e->controls.branch));
    host_.SetText(e->controls.branchDisplay, u"");
    if (!display) {
        Box(window, u"알림", kSelectBranch, {{u"닫기", kIdCancel}});
        return;
    }
    auto show = [this, window, text = *display]() {
        if (EntryState* en = Find(window)) {
            en->branchTimer = 0;
            host_.SetText(en->controls.branchDisplay, text);
        }
    };
    if (options_.branchDelayMs == 0) show();
    else e->branchTimer = host_.StartTimer(options_.branchDelayMs, show);
}

void LogiD2Sim::OnPhoneEnter(Hwnd window) {
    EntryState* e = Find(window);
    if (!e) return;
    host_.CancelTimer(e->customerTimer);
    e->customerTimer = 0;
    const std::u16string digits = Digits(host_.GetText(e->controls.phone));
    std::u16string found;
    if (digits.size() >= 7) {
        found = digits;
    } else if (digits.size() == 4) {
        // The last four digits find a known customer.
        for (auto it = Orders().rbegin(); it != Orders().rend() && found.empty(); ++it) {
            const std::u16string known = Digits(it->customerPhone);
            if (known.size() >= 7 && EndsWith(known, digits)) found = known;
        }
    }
    if (!IsNull(e->controls.phoneDisplay)) host_.SetText(e->controls.phoneDisplay, u"");
    e->customerFound = false;
    if (found.empty()) {
        Box(window, u"확인", kSearchHint, {{u"확인", kIdOk}});
        return;
    }
    auto show = [this, window, text = HyphenatedNumber(found)]() {
        if (EntryState* en = Find(window)) {
            en->customerTimer = 0;
            en->customerFound = true;
            if (!IsNull(en->controls.phoneDisplay)) host_.SetText(en->controls.phoneDisplay, text);
        }
    };
    if (options_.customerDelayMs == 0) show();
    else e->customerTimer = host_.StartTimer(options_.customerDelayMs, show);
}

void LogiD2Sim::OnAmountLeave(Hwnd window, Hwnd box, bool isMileage) {
    EntryState* e = Find(window);
    if (!e || !host_.Exists(box)) return;
    const std::u16string text = host_.GetText(box);
    const auto digits = kit::ReadAmount(text, options_.amountSuffix);
    if (isMileage && kit::IsPositiveAmount(digits) && (!e->customerFound || options_.refuseMileage)) {
        host_.SetText(box, u"");
        Box(window, u"확인", kMileageRefused, {{u"확인", kIdOk}});
        return;
    }
    if (!digits) return;
    const std::u16string shown = (options_.groupAmounts ? kit::GroupThousands(*digits) : *digits) + options_.amountSuffix;
    if (shown != text) host_.SetText(box, shown);
}

void LogiD2Sim::OnPlaceChanged(Hwnd window) {
    EntryState* e = Find(window);
    if (!e) return;
    host_.CancelTimer(e->popupTimer);
    e->popupTimer = host_.StartTimer(options_.popupDelayMs, [this, window]() {
        EntryState* en = Find(window);
        if (!en) return;
        en->popupTimer = 0;
        if (host_.Exists(en->lastPlaceBox) && !host_.GetText(en->lastPlaceBox).empty()) ShowPlacePopup(window);
    });
}

void LogiD2Sim::ShowPlacePopup(Hwnd window) {
    EntryState* e = Find(window);
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
        if (EntryState* en = Find(window); en && en->placePopup == popup) en->placePopup = kNoWindow;
    });
}

void LogiD2Sim::OnConsignClicked(Hwnd window) {
    EntryState* e = Find(window);
    if (!e || IsNull(e->controls.consign)) return;
    const bool checked = host_.GetCheck(e->controls.consign);
    if (options_.consignLocked) {
        host_.SetCheck(e->controls.consign, !checked);
        return;
    }
    if (e->consignFixed && !checked) {
        host_.SetCheck(e->controls.consign, true);
        Box(window, u"확인", kConsignWarning, {{u"확인", kIdOk}});
        return;
    }
    if (checked) Box(window, u"확인", kConsignWarning, {{u"확인", kIdOk}});
}

void LogiD2Sim::AskCancel(Hwnd window) {
    EntryState* e = Find(window);
    if (!e) return;
    const EntryControls& c = e->controls;
    bool anyData = e->modify;
    for (Hwnd box : {c.phone, c.origin, c.destination, c.fare, c.driverMemo, c.cash, c.postpaid, c.mileage, c.card,
                     c.branch, c.phone2, c.memo2, c.via[0], c.via[1], c.via[2]}) {
        if (!IsNull(box) && !host_.GetText(box).empty()) anyData = true;
    }
    if (!anyData) {
        CloseEntry(window);
        return;
    }
    Box(window, u"취소", kCancelQuestion, {{u"예(&Y)", kIdYes}, {u"아니오(&N)", kIdNo}}, [this, window](int answer) {
        if (answer == kIdYes) CloseEntry(window);
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
            EntryState* e = Find(window);
            if (!e) return;
            StoredOrder o = ReadOrder(*e);
            o.status = u"inquiry";
            o.inquiryType = u"일반문의";
            Book().Store(std::move(o));
            CloseEntry(window);
        });
}

void LogiD2Sim::Finish(Hwnd window, const std::u16string& status) {
    if (RefuseUnregistered(window)) return;
    EntryState* e = Find(window);
    if (!e) return;
    StoredOrder o = ReadOrder(*e);
    o.status = status;
    if (e->modify && e->orderIndex >= 0 && static_cast<std::size_t>(e->orderIndex) < Orders().size()) {
        const auto k = static_cast<std::size_t>(e->orderIndex);
        o.inquiryType = status == u"inquiry" ? Orders()[k].inquiryType : u"";
        Book().Replace(k, std::move(o));
    } else {
        Book().Store(std::move(o));
    }
    CloseEntry(window);
}

StoredOrder LogiD2Sim::ReadOrder(EntryState& e) const {
    const EntryControls& c = e.controls;
    auto text = [this](Hwnd h) { return IsNull(h) ? std::u16string() : host_.GetText(h); };
    StoredOrder o;
    o.branchNumber = text(c.branch);
    o.branchDisplay = text(c.branchDisplay);
    o.customerPhone = text(c.phoneDisplay);
    if (o.customerPhone.empty()) o.customerPhone = text(c.phone);
    o.customerPhone2 = text(c.phone2);
    o.payType = text(c.payCombo);
    o.fare = text(c.fare);
    o.cashAmount = text(c.cash);
    o.postpaidAmount = text(c.postpaid);
    o.mileageAmount = text(c.mileage);
    o.cardAmount = text(c.card);
    o.consignment = !IsNull(c.consign) && host_.GetCheck(c.consign);
    o.driverMemo = text(c.driverMemo);
    o.memo2 = text(c.memo2);
    o.origin = {text(c.origin), e.points.origin};
    o.destination = {text(c.destination), e.points.destination};
    for (std::size_t k = 0; k < 3; ++k) o.via[k] = {text(c.via[k]), e.points.via[k]};
    return o;
}

void LogiD2Sim::CloseEntry(Hwnd window) {
    // The window's boxes, popup and map dialog are owned by it and go with it.
    host_.Destroy(window);
}

// --- boxes and orders ------------------------------------------------------

Hwnd LogiD2Sim::Box(Hwnd owner, const std::u16string& title, const std::u16string& text,
                    std::vector<MessageBoxButton> buttons, std::function<void(int)> onAnswer) {
    MessageBoxSpec desc;
    desc.title = title;
    desc.text = text;
    desc.buttons = std::move(buttons);
    desc.owner = owner;
    const Rect r = host_.ScreenRect(owner);
    desc.position = {r.left + 120, r.top + 120};
    return kit::Substitute::Box(desc, std::move(onAnswer));
}

}  // namespace qm::sim::logid2
