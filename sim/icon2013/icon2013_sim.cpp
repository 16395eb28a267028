#include "sim/icon2013/icon2013_sim.h"

#include <algorithm>
#include <utility>

#include "platform/messages.h"
#include "sim/kit/text.h"

namespace qm::sim::icon2013 {

namespace {

using kit::Digits;
using kit::EndsWith;
using kit::HyphenatedNumber;

constexpr char16_t kPublicNumber[] = u"공개번호";

std::u16string Trim(const std::u16string& s) {
    const auto space = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; };
    std::size_t a = 0, b = s.size();
    while (a < b && space(s[a])) ++a;
    while (b > a && space(s[b - 1])) --b;
    return s.substr(a, b - a);
}

// Where each named window of the order dialog's layout is kept.
const kit::Slot<OrderControls> kSlots[] = {
    {"search", &OrderControls::search}, {"searchButton", &OrderControls::searchButton},
    {"phone", &OrderControls::phone}, {"phone2", &OrderControls::phone2}, {"branch", &OrderControls::branch},
    {"origin", &OrderControls::origin}, {"originDetail", &OrderControls::originDetail},
    {"originMap", &OrderControls::originMap}, {"destination", &OrderControls::destination},
    {"destinationMap", &OrderControls::destinationMap}, {"destinationDetail", &OrderControls::destinationDetail},
    {"addVia", &OrderControls::addVia}, {"shrink", &OrderControls::shrink}, {"fare", &OrderControls::fare},
    {"payCombo", &OrderControls::payCombo}, {"payAmount", &OrderControls::payAmount},
    {"driverMemo", &OrderControls::driverMemo}, {"enlarge", &OrderControls::enlarge},
    {"memo2", &OrderControls::memo2}, {"consign", &OrderControls::consign},
    {"registerButton", &OrderControls::registerButton}, {"hold", &OrderControls::hold},
    {"inquiry", &OrderControls::inquiry}, {"close", &OrderControls::close},
};

const char* const kViaDetailKeys[] = {"via1Detail", "via2Detail", "via3Detail"};

// The text the map dialog writes beside a place it set.
std::u16string MapAddress(const GeoPoint& p) {
    return u"지도위치 (" + NumberText(p.lat) + u", " + NumberText(p.lng) + u")";
}

}  // namespace

Icon2013Sim::Icon2013Sim(Host& host, Options options)
    : kit::ShellOf<OrderWindowInfo>(host, options), options_(std::move(options)) {
    branches_ = {
        {u"본사", u"02-555-0000"},
        {u"강남지사", u"02-555-1234"},
        {u"접수창 서초지사", u"02-555-5678"},
        {u"수원지사", u"031-555-1234"},
    };
    for (const Branch& b : options_.extraBranches) branches_.push_back(b);
}

std::vector<std::u16string> Icon2013Sim::BranchItems() const {
    std::vector<std::u16string> items;
    for (const Branch& b : branches_) items.push_back(b.name + u" (" + b.number + u")");
    for (const std::u16string& item : options_.extraBranchItems) items.push_back(item);
    return items;
}

std::vector<std::u16string> Icon2013Sim::PaymentItems() const {
    std::vector<std::u16string> items = PayItems();
    for (const std::u16string& item : options_.extraPayItems) items.push_back(item);
    return items;
}

const std::vector<Icon2013Sim::KnownPlace>& Icon2013Sim::KnownPlaces() {
    static const std::vector<KnownPlace> places = {
        {u"서울역", u"서울 중구 봉래동2가 【서울역】", {37.5547, 126.9707}},
        {u"용산역", u"서울 용산구 한강로3가 【용산역 광장】", {37.5298, 126.9648}},
        {u"삼각지역", u"서울 용산구 한강로1가", {37.5347, 126.9731}},
        {u"시청", u"서울 중구 태평로1가", {37.5657, 126.9769}},
        {u"강남역", u"서울 강남구 역삼동", {37.4979, 127.0276}},
        {u"역삼동 스타벅스", u"서울 강남구 역삼동", {37.5006, 127.0364}},
    };
    return places;
}

kit::Shell::MainSpec Icon2013Sim::Main() const { return {MainLayout(), "inquiry", kIdReception, options_.orderDelayMs}; }

// --- order windows ---------------------------------------------------------

Hwnd Icon2013Sim::CreateEntry(const StoredOrder* order, int orderIndex) {
    WindowSpec w;
    w.behaviour = Behaviour::Dialog;
    w.text = order ? u"오더수정" : u"오더접수";
    w.owner = main_;
    w.rect = {100, 60, 100 + kOrderWidth, 60 + kOrderHeight};
    OrderState* o = AddEntry(w, orderIndex);
    if (!o) return kNoWindow;

    const kit::Built frame = kit::BuildChildren(host_, OrderWindowLayout(), o->window, Omit());
    o->outer = frame.Get("outer");
    o->dialog = frame.Get("dialog");
    o->newOrder = frame.Get("newOrder");
    BuildOrderControls(*o, o->modify);
    if (order) FillFromOrder(*o, *order);
    WireOrder(*o);
    return o->window;
}

void Icon2013Sim::BuildOrderControls(OrderState& o, bool modify) {
    if (IsNull(o.dialog)) return;
    std::vector<kit::LayoutNode> layout = OrderDialogLayout();
    kit::FindNode(layout, "branch")->items = BranchItems();
    kit::FindNode(layout, "payCombo")->items = PaymentItems();
    if (modify) kit::FindNode(layout, "registerButton")->text = kModifyText;
    if (options_.altButtons) {
        kit::FindNode(layout, "hold")->text = kAltHoldText;
        kit::FindNode(layout, "inquiry")->text = kAltInquiryText;
    }
    const kit::Built built = kit::BuildChildren(host_, layout, o.dialog, Omit());
    kit::TakeSlots(built, o.controls, kSlots);
    o.controls.via = kit::Three(built, "via");
    o.controls.viaDetail = kit::Three(built, "via", "Detail");
    o.controls.viaMap = kit::Three(built, "viaMap");
}

void Icon2013Sim::FillFromOrder(OrderState& o, const StoredOrder& s) {
    const OrderControls& c = o.controls;
    auto extra = [&s](const char* key) {
        auto it = s.extra.find(key);
        return it == s.extra.end() ? std::u16string() : it->second;
    };
    SetTextOf(c.search, Digits(s.customerPhone));
    SetTextOf(c.phone, s.customerPhone);
    SetTextOf(c.phone2, s.customerPhone2);
    if (!IsNull(c.branch)) {
        const std::vector<std::u16string> items = BranchItems();
        const auto it = std::find(items.begin(), items.end(), s.branchDisplay);
        host_.SetSelection(c.branch, it == items.end() ? -1 : static_cast<int>(it - items.begin()));
    }
    SetTextOf(c.origin, s.origin.text);
    SetTextOf(c.originDetail, extra("originDetail"));
    SetTextOf(c.destination, s.destination.text);
    SetTextOf(c.destinationDetail, extra("destinationDetail"));
    for (int k = 0; k < 3; ++k) {
        const std::u16string detail = extra(kViaDetailKeys[k]);
        if (k > 0 && (!s.via[k].text.empty() || !detail.empty())) ShowNextViaRow(o.window);
        SetTextOf(c.via[k], s.via[k].text);
        SetTextOf(c.viaDetail[k], detail);
    }
    SetTextOf(c.fare, s.fare);
    if (!IsNull(c.payCombo)) {
        const std::vector<std::u16string> items = PaymentItems();
        const auto it = std::find(items.begin(), items.end(), s.payType);
        host_.SetSelection(c.payCombo, it == items.end() ? -1 : static_cast<int>(it - items.begin()));
    }
    SetTextOf(c.payAmount, s.payType == u"카드결제"   ? s.cardAmount
                           : s.payType == u"후불"     ? s.postpaidAmount
                           : s.payType == u"마일리지" ? s.mileageAmount
                                                      : u"");
    SetTextOf(c.driverMemo, s.driverMemo);
    SetTextOf(c.memo2, s.memo2);
    if (!IsNull(c.consign)) host_.SetCheck(c.consign, s.consignment);
    o.points.origin = s.origin.position;
    o.points.destination = s.destination.position;
    for (int k = 0; k < 3; ++k) o.points.via[k] = s.via[k].position;
}

void Icon2013Sim::WireOrder(OrderState& o) {
    const Hwnd window = o.window;
    const OrderControls& c = o.controls;
    Listen(o.dialog, [this, window](int id, int code, Hwnd) { OnOrderCommand(window, id, code); });
    // Closing from the frame is "닫기(X)".
    host_.OnClose(window, [this, window]() {
        RequestClose(window);
        return false;
    });

    // Enter confirms a box; it is never typed into it.
    const auto onEnter = [this](Hwnd box, std::function<void()> react) { OnEnter(box, std::move(react)); };
    onEnter(c.search, [this, window]() { OnSearchEnter(window); });
    onEnter(c.phone2, [this, window]() { OnPhone2Enter(window); });
    for (int k = 0; k < 3; ++k) {
        onEnter(c.via[k], [this, window, k]() { OnViaEnter(window, k); });
        onEnter(c.viaDetail[k], nullptr);
        if (!IsNull(c.viaDetail[k])) {
            host_.OnMouse(c.viaDetail[k], [this, window, k](const MouseEvent& e) {
                if (e.down) OnViaRowClicked(window, k, e.client);
                return false;
            });
        }
    }
    for (Hwnd box : {c.fare, c.payAmount}) onEnter(box, [this, box]() { OnAmountEnter(box); });
    for (Hwnd box : {c.origin, c.originDetail, c.destination, c.destinationDetail, c.driverMemo, c.memo2})
        onEnter(box, nullptr);
}

void Icon2013Sim::OnEntryGone(kit::EntryState& gone) {
    if (mapOrder_ == gone.window) mapOrder_ = kNoWindow;
}

void Icon2013Sim::OnOrderCommand(Hwnd window, int id, int code) {
    OrderState* o = Find(window);
    if (!o) return;
    if (id == kIdPayCombo && code == msg::CBN_SELCHANGE) {
        if (host_.GetSelection(o->controls.payCombo) == 3) ShowCardWindow(window);
        return;
    }
    if (code != msg::BN_CLICKED) return;
    switch (id) {
        case kIdRegister: Finish(window, RegisterStatus(*o)); break;
        case kIdHold: Finish(window, u"held"); break;
        case kIdInquiry: Finish(window, u"inquiry"); break;
        case kIdClose: RequestClose(window); break;
        case kIdAddVia: ShowNextViaRow(window); break;
        case kIdOriginMap: OpenMap(window, Place::Origin); break;
        case kIdDestinationMap: OpenMap(window, Place::Destination); break;
        case kIdViaMap1: OpenMap(window, Place::Via1); break;
        case kIdViaMap2: OpenMap(window, Place::Via2); break;
        case kIdViaMap3: OpenMap(window, Place::Via3); break;
        default: break;
    }
}

void Icon2013Sim::OnSearchEnter(Hwnd window) {
    OrderState* o = Find(window);
    if (!o) return;
    const std::u16string found = FindCustomer(host_.GetText(o->controls.search));
    auto show = [this, window, text = found.empty() ? std::u16string() : HyphenatedNumber(found)]() {
        OrderState* en = Find(window);
        if (!en) return;
        SetTextOf(en->controls.phone, text);
        if (!text.empty() && options_.publicNumber) SetTextOf(en->controls.phone2, kPublicNumber);
    };
    After(window, kCustomerTimer, options_.customerDelayMs, show);
}

void Icon2013Sim::OnPhone2Enter(Hwnd window) {
    OrderState* o = Find(window);
    if (!o) return;
    const std::u16string digits = Digits(host_.GetText(o->controls.phone2));
    if (digits.size() >= 7) host_.SetText(o->controls.phone2, HyphenatedNumber(digits));
}

void Icon2013Sim::OnViaEnter(Hwnd window, int row) {
    OrderState* o = Find(window);
    if (!o) return;
    const std::u16string name = Trim(host_.GetText(o->controls.via[row]));
    for (const KnownPlace& p : KnownPlaces()) {
        if (p.name != name) continue;
        if (!IsNull(o->controls.viaDetail[row])) host_.SetText(o->controls.viaDetail[row], p.address);
        o->points.via[row] = p.position;
        return;
    }
}

void Icon2013Sim::OnAmountEnter(Hwnd box) {
    if (!host_.Exists(box)) return;
    const std::u16string text = host_.GetText(box);
    const auto digits = kit::ReadAmount(text);
    if (!digits) return;
    const std::u16string shown = kit::GroupThousands(*digits);
    if (shown != text) host_.SetText(box, shown);
}

void Icon2013Sim::ShowNextViaRow(Hwnd window) {
    OrderState* o = Find(window);
    if (!o || o->viaRows >= 3) return;
    const int row = o->viaRows++;
    for (Hwnd h : {o->controls.via[row], o->controls.viaDetail[row]})
        if (!IsNull(h)) host_.Show(h, true);
}

void Icon2013Sim::OnViaRowClicked(Hwnd window, int row, Point client) {
    OrderState* o = Find(window);
    if (!o) return;
    o->viaClicks.push_back({row, client});
    // The newest row took the click: the add-via button moves beside it.
    if (row > 0 && row == o->viaRows - 1 && !IsNull(o->controls.addVia))
        host_.Move(o->controls.addVia, AddViaPlace(row));
}

void Icon2013Sim::ShowCardWindow(Hwnd window) {
    OrderState* o = Find(window);
    if (!o) return;
    const Rect r = host_.ScreenRect(window);
    WindowSpec w;
    w.behaviour = Behaviour::Dialog;
    w.text = kCardTitle;
    w.owner = window;
    w.rect = {r.left + 200, r.top + 200, r.left + 200 + 300, r.top + 200 + 160};
    const Hwnd card = Make(w);
    if (IsNull(card)) return;
    ++o->cardWindows;
    kit::BuildChildren(host_,
                       {kit::Label(u"카드선택", kIdCardLabel, {10, 10, 290, 36}),
                        kit::Combo("cards", 2102, {10, 44, 290, 140}, {u"신용카드", u"체크카드"}, 0),
                        kit::Button("ok", u"확인", 1, {200, 90, 290, 116})},
                       card, Omit());
    Listen(card, [this, card](int id, int code, Hwnd) {
        if (id == 1 && code == msg::BN_CLICKED) host_.Destroy(card);
    });
}

void Icon2013Sim::RequestClose(Hwnd window) {
    OrderState* o = Find(window);
    if (!o) return;
    ++o->closeRequests;
    if (!options_.ignoreClose) host_.Destroy(window);
}

StoredOrder Icon2013Sim::ReadOrder(const kit::EntryState& e) const {
    const auto& o = static_cast<const OrderState&>(e);
    const OrderControls& c = o.controls;
    StoredOrder s;
    s.branchDisplay = TextOf(c.branch);
    const std::size_t open = s.branchDisplay.rfind(u'(');
    const std::size_t close = s.branchDisplay.rfind(u')');
    if (open != std::u16string::npos && close != std::u16string::npos && close > open)
        s.branchNumber = s.branchDisplay.substr(open + 1, close - open - 1);
    s.customerPhone = TextOf(c.phone);
    s.customerPhone2 = TextOf(c.phone2);
    s.payType = TextOf(c.payCombo);
    s.fare = TextOf(c.fare);
    const std::u16string amount = TextOf(c.payAmount);
    if (s.payType == u"카드결제") s.cardAmount = amount;
    else if (s.payType == u"후불") s.postpaidAmount = amount;
    else if (s.payType == u"마일리지") s.mileageAmount = amount;
    s.consignment = !IsNull(c.consign) && host_.GetCheck(c.consign);
    s.driverMemo = TextOf(c.driverMemo);
    s.memo2 = TextOf(c.memo2);
    s.origin = {TextOf(c.origin), o.points.origin};
    s.destination = {TextOf(c.destination), o.points.destination};
    for (int k = 0; k < 3; ++k) s.via[k] = {TextOf(c.via[k]), o.points.via[k]};
    s.extra["search"] = TextOf(c.search);
    s.extra["originDetail"] = TextOf(c.originDetail);
    s.extra["destinationDetail"] = TextOf(c.destinationDetail);
    for (int k = 0; k < 3; ++k) s.extra[kViaDetailKeys[k]] = TextOf(c.viaDetail[k]);
    // Which via rows took a click, in order (1 and 2 for two added rows).
    std::u16string clicks;
    for (const ViaRowClick& click : o.viaClicks)
        clicks += (clicks.empty() ? u"" : u",") + std::u16string(1, static_cast<char16_t>(u'0' + click.row));
    s.extra["viaRowClicks"] = clicks;
    return s;
}

// --- the map dialog --------------------------------------------------------

void Icon2013Sim::OpenMap(Hwnd window, Place place) {
    mapOrder_ = window;
    mapPlace_ = place;
    if (!IsNull(mapDialog_)) {
        ShowMap(window, place);
        return;
    }
    if (Waiting(kNoWindow, kMapTimer)) return;  // on its way
    auto make = [this]() {
        if (!IsNull(mapDialog_) || IsNull(main_)) return;
        WindowSpec d;
        d.behaviour = Behaviour::Dialog;
        d.text = kMapTitle;
        d.owner = main_;
        d.rect = {180, 80, 180 + 660, 80 + 520};
        const Hwnd dialog = Make(d);
        if (IsNull(dialog)) return;
        mapDialog_ = dialog;
        ++mapDialogsMade_;
        mapBrowser_ = kit::BuildChildren(host_, MapDialogLayout(), dialog, Omit()).Get("browser");
        if (!IsNull(mapBrowser_)) {
            PageSpec page;
            page.url = kMapUrl;
            page.script = MapPageScript(kDefaultCentre);
            auto interpreter = std::make_shared<MapPageInterpreter>(kDefaultCentre);
            page.interpreter = [interpreter](const std::u16string& script) { return interpreter->Evaluate(script); };
            host_.AttachPage(mapBrowser_, page);
        }
        Listen(dialog, [this](int id, int code, Hwnd) {
            if (code == msg::BN_CLICKED) OnMapCommand(id);
        });
        // Closing the map only hides it: the next map button shows it again.
        // The order window it was opened for comes to the front again.
        host_.OnClose(dialog, [this, dialog]() {
            host_.Show(dialog, false);
            if (!IsNull(mapOrder_) && host_.Exists(mapOrder_)) host_.PlaceAfter(mapOrder_, kNoWindow);
            return false;
        });
        host_.OnDestroy(dialog, [this, dialog]() {
            if (mapDialog_ != dialog) return;
            mapDialog_ = kNoWindow;
            mapBrowser_ = kNoWindow;
        });
        ShowMap(mapOrder_, mapPlace_);
    };
    After(kNoWindow, kMapTimer, options_.mapDelayMs, make);
}

void Icon2013Sim::ShowMap(Hwnd window, Place place) {
    if (IsNull(mapDialog_)) return;
    host_.Show(mapDialog_, true);
    OrderState* o = Find(window);
    if (!o || IsNull(mapBrowser_)) return;
    const std::optional<GeoPoint>& known = place == Place::Origin        ? o->points.origin
                                           : place == Place::Destination ? o->points.destination
                                                                         : o->points.via[static_cast<int>(place) - 2];
    const GeoPoint p = known.value_or(kDefaultCentre);
    host_.EvaluateInPage(mapBrowser_, u"showPlace(" + NumberText(p.lat) + u", " + NumberText(p.lng) + u")");
}

void Icon2013Sim::OnMapCommand(int id) {
    if (id != kIdSetOrigin && id != kIdSetDestination) return;
    OrderState* o = Find(mapOrder_);
    if (!o || IsNull(mapBrowser_)) return;
    const bool start = id == kIdSetOrigin;
    // The point a caller handed the page, else the place the map shows.
    std::optional<GeoPoint> point = ParsePoint(
        host_.EvaluateInPage(mapBrowser_, start ? u"pendingStart()" : u"pendingEnd()").text.value_or(u""));
    if (!point) point = ParsePoint(host_.EvaluateInPage(mapBrowser_, u"getPosition()").text.value_or(u""));
    if (!point) return;
    (start ? o->points.origin : o->points.destination) = point;
    const Hwnd box = start ? o->controls.origin : o->controls.destination;
    const Hwnd beside = start ? o->controls.originDetail : o->controls.destinationDetail;
    if (!IsNull(box)) {
        const std::u16string name = Trim(host_.GetText(box));
        host_.SetText(box, name.empty() ? MapAddress(*point) : name);
    }
    if (!IsNull(beside)) host_.SetText(beside, MapAddress(*point));
}

}  // namespace qm::sim::icon2013
