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
constexpr char16_t kRegisterText[] = u"등   록(&R)";
constexpr char16_t kModifyText[] = u"수   정(&E)";
constexpr char16_t kCancelText[] = u"취소";
constexpr char16_t kAltCancelText[] = u"취   소(&X)";

const std::vector<std::u16string> kPayItems = {u"현금", u"후불", u"카드", u"마일리지"};

std::u16string Digits(const std::u16string& text) {
    std::u16string out;
    for (char16_t c : text)
        if (c >= u'0' && c <= u'9') out.push_back(c);
    return out;
}

bool EndsWith(const std::u16string& text, const std::u16string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// An amount as typed: optional sign, digits and commas, optional suffix.
// The value's digits (with the sign), or nothing when it is not an amount.
std::optional<std::u16string> AmountDigits(std::u16string text, const std::u16string& suffix) {
    auto isBlank = [](char16_t c) { return c == u' ' || c == u'\t'; };
    while (!text.empty() && isBlank(text.back())) text.pop_back();
    std::size_t first = 0;
    while (first < text.size() && isBlank(text[first])) ++first;
    text = text.substr(first);
    if (!suffix.empty() && EndsWith(text, suffix)) text.resize(text.size() - suffix.size());
    std::u16string out;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        if (text[i] == u'-') out.push_back(u'-');
        ++i;
    }
    bool any = false;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u',') continue;
        if (c < u'0' || c > u'9') return std::nullopt;
        if (!any && c == u'0' && i + 1 < text.size()) continue;  // leading zeros
        out.push_back(c);
        any = true;
    }
    if (!any) {
        if (text.find(u'0') == std::u16string::npos) return std::nullopt;
        return std::u16string(u"0");
    }
    if (out == u"-0") out = u"0";
    return out;
}

std::u16string GroupThousands(const std::u16string& signedDigits) {
    const bool negative = !signedDigits.empty() && signedDigits[0] == u'-';
    const std::u16string digits = negative ? signedDigits.substr(1) : signedDigits;
    std::u16string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out.push_back(u',');
        out.push_back(digits[i]);
    }
    return negative ? u"-" + out : out;
}

bool Positive(const std::optional<std::u16string>& digits) {
    return digits && !digits->empty() && (*digits)[0] != u'-' && *digits != u"0";
}

// One direct child of the entry window, in z-order.
struct ControlDef {
    Hwnd EntryControls::*slot;
    Behaviour behaviour;
    const char16_t* text;
    int id;
    int width;
    bool readOnly = false;
    bool newRow = false;
};

constexpr int kRowHeight = 26;
constexpr int kEntryWidth = 760;

// The entry window's children. The positions are what the robot counts on:
//   phone = first child; origin, destination, fare, driver memo = 1st..4th after it;
//   "현금" +1 cash; "후불" +1 postpaid, +2 mileage; "카드" +1 card;
//   "마일리지" +1 branch box, +5 branch display; "대기후복사" +1 customer display,
//   +4 second telephone; "업체지원" +5 a "#32770" whose first child is memo 2;
//   "문의" +4 payment combo; "경유" +1/+2 origin/destination map buttons;
//   the "#32770" holding "탁송" comes after the memo-2 "#32770";
//   "적정" -9/-6/-3 via boxes 1/2/3; then "경".
const ControlDef kEntryLayout[] = {
    {&EntryControls::phone, Behaviour::Edit, u"", kIdPhone, 130},                      // 0
    {&EntryControls::origin, Behaviour::Edit, u"", kIdOrigin, 290},                    // 1
    {&EntryControls::destination, Behaviour::Edit, u"", kIdDestination, 290},          // 2
    {&EntryControls::fare, Behaviour::Edit, u"", kIdFare, 100, false, true},           // 3
    {&EntryControls::driverMemo, Behaviour::Edit, u"", kIdDriverMemo, 420},            // 4
    {&EntryControls::cashLabel, Behaviour::Label, u"현금", 1100, 40, false, true},     // 5
    {&EntryControls::cash, Behaviour::Edit, u"", kIdCash, 90},                         // 6
    {&EntryControls::postpaidLabel, Behaviour::Label, u"후불", 1101, 40},              // 7
    {&EntryControls::postpaid, Behaviour::Edit, u"", kIdPostpaid, 90},                 // 8
    {&EntryControls::mileage, Behaviour::Edit, u"", kIdMileage, 90},                   // 9
    {&EntryControls::cardLabel, Behaviour::Label, u"카드", 1102, 40},                  // 10
    {&EntryControls::card, Behaviour::Edit, u"", kIdCard, 90},                         // 11
    {&EntryControls::mileageButton, Behaviour::Button, u"마일리지", kIdMileageButton, 80, false, true},  // 12
    {&EntryControls::branch, Behaviour::Edit, u"", kIdBranch, 120},                    // 13
    {nullptr, Behaviour::Label, u"지사", 1103, 40},                                    // 14
    {nullptr, Behaviour::Label, u"전화", 1104, 40},                                    // 15
    {nullptr, Behaviour::Label, u"지사명", 1105, 50},                                  // 16
    {&EntryControls::branchDisplay, Behaviour::Edit, u"", kIdBranchDisplay, 300, true},  // 17
    {&EntryControls::copyAfterHold, Behaviour::Button, u"대기후복사", kIdCopyAfterHold, 90, false, true},  // 18
    {&EntryControls::phoneDisplay, Behaviour::Edit, u"", kIdPhoneDisplay, 140, true},  // 19
    {nullptr, Behaviour::Label, u"고객", 1106, 40},                                    // 20
    {nullptr, Behaviour::Label, u"연락처2", 1107, 60},                                 // 21
    {&EntryControls::phone2, Behaviour::Edit, u"", kIdPhone2, 140},                    // 22
    {&EntryControls::companySupport, Behaviour::Button, u"업체지원", kIdCompanySupport, 80, false, true},  // 23
    {nullptr, Behaviour::Label, u"메모2", 1108, 50},                                   // 24
    {nullptr, Behaviour::Label, u"등급", 1109, 40},                                    // 25
    {nullptr, Behaviour::Label, u"적립", 1110, 40},                                    // 26
    {nullptr, Behaviour::Label, u"비고", 1111, 40},                                    // 27
    {&EntryControls::memo2Box, Behaviour::Dialog, u"", kIdMemo2Box, 300},              // 28
    {&EntryControls::inquiry, Behaviour::Button, u"문의", kIdInquiry, 70, false, true},  // 29
    {&EntryControls::hold, Behaviour::Button, u"대  기(&W)", kIdHold, 90},             // 30
    {&EntryControls::registerButton, Behaviour::Button, kRegisterText, kIdRegister, 90},  // 31
    {&EntryControls::cancel, Behaviour::Button, kCancelText, kIdCancel, 90},           // 32
    {&EntryControls::payCombo, Behaviour::Combo, u"", kIdPayCombo, 100},               // 33
    {&EntryControls::viaLabel, Behaviour::Label, u"경유", 1112, 40, false, true},      // 34
    {&EntryControls::originMap, Behaviour::Button, u"출", kIdOriginMap, 32},           // 35
    {&EntryControls::destinationMap, Behaviour::Button, u"도", kIdDestinationMap, 32},  // 36
    {&EntryControls::consignBox, Behaviour::Dialog, u"", kIdConsignBox, 90},           // 37
    {nullptr, Behaviour::Edit, u"", kIdVia1, 170, false, true},                        // 38
    {nullptr, Behaviour::Label, u"경유2", 1113, 46},                                   // 39
    {nullptr, Behaviour::Label, u"·", 1114, 16},                                       // 40
    {nullptr, Behaviour::Edit, u"", kIdVia2, 170},                                     // 41
    {nullptr, Behaviour::Label, u"경유3", 1115, 46},                                   // 42
    {nullptr, Behaviour::Label, u"·", 1116, 16},                                       // 43
    {nullptr, Behaviour::Edit, u"", kIdVia3, 170},                                     // 44
    {nullptr, Behaviour::Label, u"요금", 1117, 40, false, true},                       // 45
    {nullptr, Behaviour::Label, u"·", 1118, 16},                                       // 46
    {&EntryControls::fitFare, Behaviour::Button, u"적정", kIdFitFare, 50},             // 47
    {&EntryControls::addVia, Behaviour::Button, u"경", kIdAddVia, 32},                 // 48
};

}  // namespace

// ---------------------------------------------------------------------------

std::u16string HyphenatedNumber(const std::u16string& number) {
    const std::u16string s = Digits(number);
    if (s.size() < 7) return s;
    auto right = [](const std::u16string& t, std::size_t n) { return t.size() <= n ? t : t.substr(t.size() - n); };
    if (s[0] == u'0') {
        std::u16string prefix;
        if (s.compare(0, 2, u"02") == 0) prefix = s.substr(0, 2);
        else if (s.compare(0, 4, u"0504") == 0 || s.compare(0, 4, u"0505") == 0) prefix = s.substr(0, 4);
        else prefix = s.substr(0, 3);
        const std::u16string rest = s.substr(prefix.size());
        const std::u16string last = right(rest, 4);
        const std::u16string middle = rest.substr(0, rest.size() - last.size());
        return prefix + u"-" + middle + u"-" + last;
    }
    const std::u16string last = right(s, 4);
    return s.substr(0, s.size() - last.size()) + u"-" + last;
}

struct LogiD2Sim::EntryState : EntryWindowInfo {
    TimerId customerTimer = 0;
    TimerId branchTimer = 0;
    TimerId popupTimer = 0;
    Hwnd lastPlaceBox{};
    bool consignFixed = false;  // a saved consignment order: the mark cannot be taken off
};

LogiD2Sim::LogiD2Sim(Host& host, Options options) : host_(host), options_(std::move(options)) {
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

bool LogiD2Sim::Omitted(const WindowSpec& desc) const {
    const std::u16string cls = desc.className.empty() ? StandardClass(desc.behaviour) : desc.className;
    for (const std::u16string& o : options_.omit)
        if (o == desc.text || o == cls) return true;
    return false;
}

Hwnd LogiD2Sim::Make(WindowSpec desc) {
    if (Omitted(desc)) return kNoWindow;
    return host_.Create(desc);
}

Hwnd LogiD2Sim::MakeControl(Behaviour behaviour, std::u16string text, int id, Hwnd parent, Rect rect) {
    WindowSpec desc;
    desc.behaviour = behaviour;
    desc.text = std::move(text);
    desc.id = id;
    desc.parent = parent;
    desc.rect = rect;
    return Make(std::move(desc));
}

void LogiD2Sim::Listen(Hwnd target, Host::CommandHandler handler) {
    if (IsNull(target)) return;
    host_.OnCommand(target, [this, handler = std::move(handler)](int id, int code, Hwnd control) {
        handler(id, code, control);
        if (options_.hangAfterCommand && *options_.hangAfterCommand == id) host_.Hang(options_.hangMs);
    });
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
    WindowSpec main;
    main.className = u"SmartD2-";
    main.text = u"LogiD2 - 로지D2";
    main.rect = {0, 0, 1000, 720};
    main_ = Make(main);
    if (IsNull(main_)) return false;
    host_.OnDestroy(main_, [this]() {
        main_ = kNoWindow;
        host_.Quit();
    });
    Listen(main_, [this](int id, int code, Hwnd) {
        if (code != 0) return;
        if (id == kCmdWriteOrders) WriteOrdersFile();
        else if (id == kCmdHang) host_.Hang(options_.hangMs);
        else if (id >= kCmdOpenOrderBase && id < kCmdOpenOrderBase + kMaxOpenableOrders)
            OpenOrderForModify(static_cast<std::size_t>(id - kCmdOpenOrderBase));
    });

    WindowSpec mdi;
    mdi.className = u"MDIClient";
    mdi.parent = main_;
    mdi.rect = {0, 0, 992, 680};
    mdiClient_ = Make(mdi);
    if (IsNull(mdiClient_)) return true;

    WindowSpec view;
    view.className = u"AfxFrameOrView110s";
    view.text = u"접수";
    view.parent = mdiClient_;
    view.rect = {0, 0, 980, 660};
    view_ = Make(view);
    if (IsNull(view_)) return true;

    WindowSpec list;
    list.behaviour = Behaviour::Dialog;
    list.text = u"메인리스트";
    list.parent = view_;
    list.rect = {4, 4, 970, 650};
    mainList_ = Make(list);
    if (IsNull(mainList_)) return true;

    reception_ = MakeControl(Behaviour::Button, u"접  수(&N)", kIdReception, mainList_, {10, 10, 120, 40});

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
    if (k >= orders_.size()) return kNoWindow;
    const StoredOrder copy = orders_[k];
    return CreateEntryWindow(&copy, static_cast<int>(k));
}

std::size_t LogiD2Sim::AddOrder(StoredOrder order) {
    if (order.serial <= 0) order.serial = nextSerial_;
    nextSerial_ = std::max(nextSerial_, order.serial + 1);
    if (order.status.empty()) order.status = u"held";
    orders_.push_back(std::move(order));
    OrdersChanged();
    return orders_.size() - 1;
}

Hwnd LogiD2Sim::CreateEntryWindow(const StoredOrder* order, int orderIndex) {
    if (IsNull(main_)) return kNoWindow;
    const int offset = 24 * (cascade_++ % 8);
    WindowSpec w;
    w.behaviour = Behaviour::Dialog;
    w.text = order ? u"오더 수정" : u"오더 접수";
    w.owner = main_;
    w.rect = {120 + offset, 80 + offset, 120 + offset + kEntryWidth, 80 + offset + 430};
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
    int x = 10;
    int y = 10;
    int rowBottom = y;
    for (const ControlDef& def : kEntryLayout) {
        const int height = def.id == kIdMemo2Box ? 56 : kRowHeight;
        if (def.newRow || x + def.width > kEntryWidth - 10) {
            x = 10;
            y = rowBottom + 8;
        }
        WindowSpec desc;
        desc.behaviour = def.behaviour;
        desc.text = def.text;
        desc.id = def.id;
        desc.parent = e.window;
        desc.rect = {x, y, x + def.width, y + height};
        desc.readOnly = def.readOnly;
        if (def.id == kIdRegister && modify) desc.text = kModifyText;
        if (def.id == kIdCancel && options_.altCancel) desc.text = kAltCancelText;
        if (def.behaviour == Behaviour::Combo) {
            desc.items = kPayItems;
            desc.selection = 0;
            desc.rect.bottom = y + 160;  // with its drop-down list
        }
        const Hwnd h = Make(desc);
        if (def.slot) e.controls.*def.slot = h;
        if (def.id == kIdVia1) e.controls.via[0] = h;
        if (def.id == kIdVia2) e.controls.via[1] = h;
        if (def.id == kIdVia3) e.controls.via[2] = h;
        x += def.width + 6;
        rowBottom = std::max(rowBottom, y + height);
    }

    // The children of the two inner dialogs.
    if (!IsNull(e.controls.memo2Box)) {
        WindowSpec memo;
        memo.behaviour = Behaviour::Edit;
        memo.id = kIdMemo2;
        memo.parent = e.controls.memo2Box;
        memo.rect = {2, 2, 298, 54};
        memo.commandTarget = e.window;
        e.controls.memo2 = Make(memo);
    }
    if (!IsNull(e.controls.consignBox)) {
        WindowSpec check;
        check.behaviour = Behaviour::CheckBox;
        check.text = u"탁송";
        check.id = kIdConsign;
        check.parent = e.controls.consignBox;
        check.rect = {4, 2, 86, 24};
        check.commandTarget = e.window;  // its clicks are handled by the entry window
        e.controls.consign = Make(check);
    }
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
            if (e->modify && e->orderIndex >= 0 && static_cast<std::size_t>(e->orderIndex) < orders_.size())
                status = orders_[static_cast<std::size_t>(e->orderIndex)].status;
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
        for (auto it = orders_.rbegin(); it != orders_.rend() && found.empty(); ++it) {
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
    const auto digits = AmountDigits(text, options_.amountSuffix);
    if (isMileage && Positive(digits) && (!e->customerFound || options_.refuseMileage)) {
        host_.SetText(box, u"");
        Box(window, u"확인", kMileageRefused, {{u"확인", kIdOk}});
        return;
    }
    if (!digits) return;
    const std::u16string shown = (options_.groupAmounts ? GroupThousands(*digits) : *digits) + options_.amountSuffix;
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

    MakeControl(Behaviour::Label, searched, 0, popup, {8, 8, 292, 60});
    MakeControl(Behaviour::Button, u"지도", kIdPopupMap, popup, {100, 70, 190, 96});
    MakeControl(Behaviour::Button, u"닫기", kIdPopupClose, popup, {196, 70, 286, 96});

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
            o.serial = nextSerial_++;
            orders_.push_back(std::move(o));
            OrdersChanged();
            CloseEntry(window);
        });
}

void LogiD2Sim::Finish(Hwnd window, const std::u16string& status) {
    if (RefuseUnregistered(window)) return;
    EntryState* e = Find(window);
    if (!e) return;
    StoredOrder o = ReadOrder(*e);
    o.status = status;
    if (e->modify && e->orderIndex >= 0 && static_cast<std::size_t>(e->orderIndex) < orders_.size()) {
        StoredOrder& old = orders_[static_cast<std::size_t>(e->orderIndex)];
        o.serial = old.serial;
        o.inquiryType = status == u"inquiry" ? old.inquiryType : u"";
        old = std::move(o);
    } else {
        o.serial = nextSerial_++;
        orders_.push_back(std::move(o));
    }
    OrdersChanged();
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

// --- the map dialog --------------------------------------------------------

void LogiD2Sim::OpenMap(Hwnd window) {
    EntryState* e = Find(window);
    if (!e) return;
    if (!IsNull(e->mapDialog) && host_.Exists(e->mapDialog)) {
        UpdateMapUrl(*e);
        host_.Show(e->mapDialog, true);
        return;
    }
    WindowSpec d;
    d.behaviour = Behaviour::Dialog;
    d.text = u"지도보기";
    d.owner = window;
    d.rect = {160, 60, 160 + 660, 60 + 560};
    const Hwnd dialog = Make(d);
    if (IsNull(dialog)) return;
    e->mapDialog = dialog;

    MakeControl(Behaviour::Button, u"출발지를 현위치로", kIdSetOrigin, dialog, {10, 8, 170, 34});
    MakeControl(Behaviour::Button, u"도착지를 현위치로", kIdSetDestination, dialog, {180, 8, 340, 34});
    e->mapBrowser = MakeControl(Behaviour::Browser, u"", kIdBrowser, dialog, {10, 42, 640, 520});
    if (!IsNull(e->mapBrowser)) {
        const GeoPoint centre = e->points.origin      ? *e->points.origin
                                : e->points.destination ? *e->points.destination
                                                        : kDefaultCentre;
        PageSpec page;
        page.url = MapPageUrl(e->points);
        page.script = MapPageScript(centre);
        auto interpreter = std::make_shared<MapPageInterpreter>(centre);
        page.interpreter = [interpreter](const std::u16string& script) { return interpreter->Evaluate(script); };
        host_.AttachPage(e->mapBrowser, page);
    }

    Listen(dialog, [this, window](int id, int code, Hwnd) {
        if (code == msg::BN_CLICKED) OnMapCommand(window, id);
    });
    host_.OnDestroy(dialog, [this, window, dialog]() {
        if (EntryState* en = Find(window); en && en->mapDialog == dialog) {
            en->mapDialog = kNoWindow;
            en->mapBrowser = kNoWindow;
        }
    });
}

void LogiD2Sim::OnMapCommand(Hwnd window, int id) {
    EntryState* e = Find(window);
    if (!e) return;
    if (id != kIdSetOrigin && id != kIdSetDestination) return;
    const auto centre = MapCentre(*e);
    if (!centre) return;
    (id == kIdSetOrigin ? e->points.origin : e->points.destination) = centre;
    UpdateMapUrl(*e);
}

std::optional<GeoPoint> LogiD2Sim::MapCentre(EntryState& e) {
    if (IsNull(e.mapBrowser) || !host_.Exists(e.mapBrowser)) return std::nullopt;
    const ScriptValue v = host_.EvaluateInPage(e.mapBrowser, u"getCenter()");
    if (!v.text) return std::nullopt;
    return ParseCentre(*v.text);
}

void LogiD2Sim::RecentreMap(Hwnd window, const std::optional<GeoPoint>& point) {
    EntryState* e = Find(window);
    if (!e || !point || IsNull(e->mapBrowser) || !host_.Exists(e->mapBrowser)) return;
    host_.EvaluateInPage(e->mapBrowser, u"setCenter(" + NumberText(point->lat) + u", " + NumberText(point->lng) + u")");
}

void LogiD2Sim::UpdateMapUrl(EntryState& e) {
    if (!IsNull(e.mapBrowser) && host_.Exists(e.mapBrowser)) host_.SetPageUrl(e.mapBrowser, MapPageUrl(e.points));
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
    WindowSpec asWindow;
    asWindow.behaviour = Behaviour::Dialog;
    asWindow.text = title;
    if (Omitted(asWindow)) return kNoWindow;  // a box left out by its title
    return ShowMessageBox(host_, desc, std::move(onAnswer));
}

void LogiD2Sim::OrdersChanged() {
    if (!options_.ordersFile.empty()) WriteOrdersFile();
}

bool LogiD2Sim::WriteOrdersFile() const {
    if (options_.ordersFile.empty()) return false;
    return WriteTextFile(options_.ordersFile, OrdersJson());
}

}  // namespace qm::sim::logid2
