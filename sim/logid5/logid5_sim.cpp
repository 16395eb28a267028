#include "sim/logid5/logid5_sim.h"

#include <algorithm>
#include <utility>

#include "platform/messages.h"

namespace qm::sim::logid5 {

namespace {

constexpr char16_t kHeadOffice[] = u"로지본사";
constexpr char16_t kCancelQuestion[] = u"접수 데이터가 일부 입력된 창을 닫겠습니까?";
constexpr char16_t kSearchHint[] =
    u"검색시 전화번호는 뒷자리 4자리 이거나, 지역번호를 제외한 풀넘버를 입력하셔야 합니다.";
constexpr char16_t kSelectBranch[] = u"지사를 선택하시기 바랍니다.";
constexpr char16_t kMileageRefused[] = u"마일리지를 사용하지 않는 지사입니다.";
constexpr char16_t kConsignWarning[] =
    u"탁송오더 등록시 탁송체크 해지불가하므로 오더취소후 재접수 하시기 바랍니다";
constexpr char16_t kOriginNotFound[] = u"출발지가 검색되지 않았습니다.";
constexpr char16_t kDestinationNotFound[] = u"도착지가 검색되지 않았습니다.";
const std::vector<std::u16string> kPayItems = {u"현금", u"후불", u"카드", u"마일리지"};

using kit::Digits;
using kit::EndsWith;
using kit::HyphenatedNumber;

// Where each named window of the entry layout is kept.
struct Slot {
    const char* name;
    Hwnd EntryControls::*field;
};
const Slot kSlots[] = {
    {"customerBox", &EntryControls::customerBox}, {"phone", &EntryControls::phone},
    {"phoneBox", &EntryControls::phoneBox}, {"driverMemo", &EntryControls::driverMemo},
    {"phoneDisplay", &EntryControls::phoneDisplay}, {"phone2", &EntryControls::phone2},
    {"phone2Button", &EntryControls::phone2Button}, {"memo2", &EntryControls::memo2},
    {"branchBox", &EntryControls::branchBox}, {"branchDisplay", &EntryControls::branchDisplay},
    {"branch", &EntryControls::branch}, {"amountBox", &EntryControls::amountBox},
    {"companySupport", &EntryControls::companySupport}, {"fare", &EntryControls::fare},
    {"payCombo", &EntryControls::payCombo}, {"cash", &EntryControls::cash},
    {"postpaid", &EntryControls::postpaid}, {"mileage", &EntryControls::mileage},
    {"card", &EntryControls::card}, {"consignBox", &EntryControls::consignBox},
    {"consign", &EntryControls::consign}, {"placeBox", &EntryControls::placeBox},
    {"origin", &EntryControls::origin}, {"destination", &EntryControls::destination},
    {"originSearch", &EntryControls::originSearch}, {"destinationSearch", &EntryControls::destinationSearch},
    {"viaBox", &EntryControls::viaBox}, {"addVia", &EntryControls::addVia},
    {"originMap", &EntryControls::originMap}, {"destinationMap", &EntryControls::destinationMap},
    {"inquiry", &EntryControls::inquiry}, {"registerButton", &EntryControls::registerButton},
    {"hold", &EntryControls::hold}, {"cancel", &EntryControls::cancel},
};

}  // namespace

struct LogiD5Sim::EntryState : EntryWindowInfo {
    TimerId customerTimer = 0;
    TimerId branchTimer = 0;
    bool consignFixed = false;  // a saved consignment order: the mark cannot be taken off
};

LogiD5Sim::LogiD5Sim(Host& host, Options options)
    : logi::LogiSubstitute(host, options, u"logid5.map.invalid"), options_(std::move(options)) {
    branches_ = {
        {u"021234567", u"강남지사"},
        {u"0212345678", u"서초지사"},
        {u"0311234567", u"수원지사"},
        {u"15881234", u"대표지사"},
    };
    for (const Branch& b : options_.extraBranches) branches_.push_back(b);
}

LogiD5Sim::~LogiD5Sim() {
    for (auto& [window, e] : entries_) {
        host_.CancelTimer(e->customerTimer);
        host_.CancelTimer(e->branchTimer);
    }
}

std::optional<std::u16string> LogiD5Sim::BranchDisplayText(const std::u16string& typed) const {
    const std::u16string digits = Digits(typed);
    if (digits.empty()) return std::nullopt;
    for (const Branch& b : branches_) {
        if (b.digits == digits)
            return std::u16string(kHeadOffice) + u" > " + b.name + u" (" + HyphenatedNumber(digits) + u")";
    }
    return std::nullopt;
}

bool LogiD5Sim::Start() {
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

Hwnd LogiD5Sim::OpenEntryWindow() { return CreateEntryWindow(nullptr, -1); }

Hwnd LogiD5Sim::OpenOrderForModify(std::size_t k) {
    if (k >= Orders().size()) return kNoWindow;
    const StoredOrder copy = Orders()[k];
    return CreateEntryWindow(&copy, static_cast<int>(k));
}

Hwnd LogiD5Sim::CreateEntryWindow(const StoredOrder* order, int orderIndex) {
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

    std::vector<kit::LayoutNode> layout = EntryLayout();
    if (e.modify) kit::FindNode(layout, "registerButton")->text = kModifyText;
    if (options_.plainCancel) kit::FindNode(layout, "cancel")->text = kPlainCancelText;
    const kit::Built built = kit::BuildChildren(host_, layout, window, Omit(), {{"entry", window}});
    for (const Slot& slot : kSlots) e.controls.*slot.field = built.Get(slot.name);
    e.controls.via = {built.Get("via1"), built.Get("via2"), built.Get("via3")};

    if (order) FillFromOrder(e, *order);
    else if (options_.consignChecked && !IsNull(e.controls.consign)) host_.SetCheck(e.controls.consign, true);
    WireEntry(window);
    return window;
}

void LogiD5Sim::FillFromOrder(EntryState& e, const StoredOrder& o) {
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
    e.originFound = KnownPlace(o.origin.text);
    e.destinationFound = KnownPlace(o.destination.text);
    e.points.origin = o.origin.position;
    e.points.destination = o.destination.position;
    for (std::size_t k = 0; k < 3; ++k) e.points.via[k] = o.via[k].position;
}

void LogiD5Sim::WireEntry(Hwnd window) {
    EntryState* e = Find(window);
    if (!e) return;
    const EntryControls& c = e->controls;

    Listen(window, [this, window](int id, int code, Hwnd) { OnEntryCommand(window, id, code); });
    host_.OnDestroy(window, [this, window]() {
        auto it = entries_.find(window);
        if (it == entries_.end()) return;
        host_.CancelTimer(it->second->customerTimer);
        host_.CancelTimer(it->second->branchTimer);
        entries_.erase(it);
        entryOrder_.erase(std::remove(entryOrder_.begin(), entryOrder_.end(), window), entryOrder_.end());
    });
    host_.OnClose(window, [this, window]() {
        AskCancel(window);
        return false;
    });

    auto onEnter = [this](Hwnd box, std::function<void()> f) {
        if (IsNull(box)) return;
        host_.OnKey(box, [f = std::move(f)](std::uint32_t vk) {
            if (vk != msg::VK_RETURN) return false;
            f();
            return true;
        });
    };
    onEnter(c.branch, [this, window] { OnBranchEnter(window); });
    onEnter(c.phone, [this, window] { OnPhoneEnter(window); });
    for (Hwnd box : {c.origin, c.destination, c.via[0], c.via[1], c.via[2]})
        onEnter(box, [this, window, box] { OnPlaceEnter(window, box); });
    for (Hwnd box : {c.fare, c.cash, c.postpaid, c.mileage, c.card}) {
        if (IsNull(box)) continue;
        const bool isMileage = box == c.mileage;
        host_.OnKey(box, [this, window, box, isMileage](std::uint32_t vk) {
            if (vk == msg::VK_TAB) OnAmountLeave(window, box, isMileage);
            return false;
        });
    }
}

LogiD5Sim::EntryState* LogiD5Sim::Find(Hwnd window) {
    auto it = entries_.find(window);
    return it == entries_.end() ? nullptr : it->second.get();
}

logi::MapView* LogiD5Sim::MapOf(Hwnd entry) { return Find(entry); }

void LogiD5Sim::OnPlaceTaken(Hwnd entry, bool origin) {
    if (EntryState* e = Find(entry)) (origin ? e->originFound : e->destinationFound) = true;
}

const EntryWindowInfo* LogiD5Sim::EntryInfo(Hwnd window) const {
    auto it = entries_.find(window);
    return it == entries_.end() ? nullptr : it->second.get();
}

std::vector<Hwnd> LogiD5Sim::EntryWindows() const { return entryOrder_; }

void LogiD5Sim::OnEntryCommand(Hwnd window, int id, int code) {
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

void LogiD5Sim::OnBranchEnter(Hwnd window) {
    EntryState* e = Find(window);
    if (!e || IsNull(e->controls.branchDisplay)) return;
    host_.CancelTimer(e->branchTimer);
    e->branchTimer = 0;
    const auto display = BranchDisplayText(host_.GetText(e->controls.branch));
    host_.SetText(e->controls.branchDisplay, u"");
    if (!display) {
        for (int k = options_.doubleBranchBox ? 2 : 1; k > 0; --k)
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

void LogiD5Sim::OnPhoneEnter(Hwnd window) {
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

void LogiD5Sim::OnAmountLeave(Hwnd window, Hwnd box, bool isMileage) {
    EntryState* e = Find(window);
    if (!e || !host_.Exists(box)) return;
    const std::u16string text = host_.GetText(box);
    const auto digits = kit::ReadAmount(text, options_.amountSuffix);
    if (isMileage && kit::IsPositiveAmount(digits) && options_.refuseMileage) {
        host_.SetText(box, u"");
        Box(window, u"확인", kMileageRefused, {{u"확인", kIdOk}});
        return;
    }
    if (!digits) return;
    const std::u16string shown = (options_.groupAmounts ? kit::GroupThousands(*digits) : *digits) + options_.amountSuffix;
    if (shown != text) host_.SetText(box, shown);
}

bool LogiD5Sim::KnownPlace(const std::u16string& text) const {
    return !text.empty() &&
           std::find(options_.unknownPlaces.begin(), options_.unknownPlaces.end(), text) == options_.unknownPlaces.end();
}

void LogiD5Sim::OnPlaceEnter(Hwnd window, Hwnd box) {
    EntryState* e = Find(window);
    if (!e) return;
    const bool known = KnownPlace(host_.GetText(box));
    if (box == e->controls.origin) e->originFound = known;
    if (box == e->controls.destination) e->destinationFound = known;
}

void LogiD5Sim::OnSearchButton(Hwnd window, bool origin) {
    EntryState* e = Find(window);
    if (!e) return;
    if (!(origin ? e->originFound : e->destinationFound)) {
        Box(window, u"확인", origin ? kOriginNotFound : kDestinationNotFound, {{u"확인", kIdOk}});
        return;
    }
    OpenMap(window);
    RecentreMap(window, origin ? e->points.origin : e->points.destination);
}

void LogiD5Sim::OnConsignClicked(Hwnd window) {
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

void LogiD5Sim::AskCancel(Hwnd window) {
    EntryState* e = Find(window);
    if (!e) return;
    const EntryControls& c = e->controls;
    bool anyData = e->modify;
    for (Hwnd box : {c.phone, c.origin, c.destination, c.fare, c.driverMemo, c.cash, c.postpaid, c.mileage, c.card,
                     c.branch, c.phone2, c.memo2, c.via[0], c.via[1], c.via[2]}) {
        if (!IsNull(box) && !host_.GetText(box).empty()) anyData = true;
    }
    if (!anyData) {
        host_.Destroy(window);
        return;
    }
    Box(window, u"취소", kCancelQuestion, {{u"예(&Y)", kIdYes}, {u"아니오(&N)", kIdNo}}, [this, window](int answer) {
        if (answer == kIdYes) host_.Destroy(window);
    });
}

void LogiD5Sim::Finish(Hwnd window, const std::u16string& status) {
    EntryState* e = Find(window);
    if (!e) return;
    StoredOrder o = ReadOrder(*e);
    o.status = status;
    if (e->modify && e->orderIndex >= 0 && static_cast<std::size_t>(e->orderIndex) < Orders().size())
        Book().Replace(static_cast<std::size_t>(e->orderIndex), std::move(o));
    else
        Book().Store(std::move(o));
    // The window's boxes and map dialog are owned by it and go with it.
    host_.Destroy(window);
}

StoredOrder LogiD5Sim::ReadOrder(EntryState& e) const {
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

Hwnd LogiD5Sim::Box(Hwnd owner, const std::u16string& title, const std::u16string& text,
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

}  // namespace qm::sim::logid5
