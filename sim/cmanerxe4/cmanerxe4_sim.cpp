#include "sim/cmanerxe4/cmanerxe4_sim.h"

#include <algorithm>
#include <utility>

#include "platform/messages.h"
#include "sim/kit/text.h"

namespace qm::sim::cmanerxe4 {

namespace {

constexpr char16_t kMileageNotice[] = u"복합결제 마일리지 설정 값이 없습니다.";
constexpr char16_t kNoticeTitle[] = u"콜마너 XE 4";
constexpr char16_t kViaMark[] = u"(경유)";
constexpr char16_t kConsignMark[] = u"(탁송)";
// Seoul City Hall: where a map opens for a place that was never searched.
constexpr GeoPoint kDefaultCentre{37.5666805, 126.9784147};
const std::vector<std::u16string> kPayTexts = {u"현금", u"복합", u"후불", u"후불(마일)"};

using kit::Digits;

std::u16string WithoutBlanks(const std::u16string& text) {
    std::u16string out;
    for (char16_t c : text)
        if (c != u' ') out.push_back(c);
    return out;
}

// The place text without the marks CManerXE4 puts before it.
std::u16string WithoutMarks(std::u16string text) {
    for (bool again = true; again;) {
        again = false;
        for (const char16_t* mark : {kConsignMark, kViaMark}) {
            const std::u16string m = mark;
            if (text.compare(0, m.size(), m) == 0) {
                text = text.substr(m.size());
                again = true;
            }
        }
    }
    while (!text.empty() && text[0] == u' ') text.erase(0, 1);
    return text;
}

// The name part of a place text ("서울역 [서울역 1번출구]" -> "서울역").
std::u16string NameOf(const std::u16string& text) {
    const std::u16string t = WithoutMarks(text);
    const auto open = t.find(u" [");
    return open == std::u16string::npos ? t : t.substr(0, open);
}

const kit::Slot<EntryControls> kSlots[] = {
    {"originMap", &EntryControls::originMap}, {"origin", &EntryControls::origin},
    {"destinationMap", &EntryControls::destinationMap}, {"destination", &EntryControls::destination},
    {"callerLabel", &EntryControls::callerLabel}, {"phone", &EntryControls::phone},
    {"phone2", &EntryControls::phone2}, {"branchCombo", &EntryControls::branchCombo},
    {"branch", &EntryControls::branch}, {"branchDisplay", &EntryControls::branchDisplay},
    {"payCombo", &EntryControls::payCombo}, {"fare", &EntryControls::fare}, {"cash", &EntryControls::cash},
    {"card", &EntryControls::card}, {"mileage", &EntryControls::mileage}, {"postpaid", &EntryControls::postpaid},
    {"addVia", &EntryControls::addVia}, {"viaStart", &EntryControls::viaStart},
    {"consignLabel", &EntryControls::consignLabel}, {"driverMemo", &EntryControls::driverMemo},
    {"memo2", &EntryControls::memo2}, {"registerButton", &EntryControls::registerButton},
    {"closeButton", &EntryControls::closeButton}, {"holdButton", &EntryControls::holdButton},
    {"inquiryButton", &EntryControls::inquiryButton},
};

}  // namespace

struct EntryEdits : EntryWindowInfo {
    // A via box between its search (Space) and its confirmation (Enter).
    struct ViaEdit {
        bool clicked = false;  // a click since the last text change or focus loss
        std::optional<Place> found;
    };
    std::u16string originBase;  // the origin's text without marks, once searched
    std::array<ViaEdit, 3> viaEdit;
};

CManerXE4Sim::CManerXE4Sim(Host& host, Options options)
    : kit::ShellOf<EntryEdits>(host, options), options_(std::move(options)) {
    branches_ = {
        {u"021234567", u"강남지사", true},
        {u"0212345678", u"서초지사", true},
        {u"0311234567", u"수원지사", false},
        {u"15881234", u"대표지사", true},
    };
    for (const Branch& b : options_.extraBranches) branches_.push_back(b);
    places_ = {
        {u"서울역", {37.5547, 126.9707}, u"서울역 1번출구", u"용산구"},
        {u"강남역", {37.4979, 127.0276}, u"강남역 2번출구", u"강남구"},
        {u"용산역", {37.5298, 126.9648}, u"용산역 광장", u"용산구"},
        {u"삼각지역", {37.5347, 126.9731}, u"삼각지역 3번출구", u"용산구"},
        {u"시청", {37.5657, 126.9769}, u"서울시청", u"중구"},
        {u"종로", {37.5704, 126.992}, u"종로3가", u"종로구"},
    };
    for (const Place& p : options_.extraPlaces) places_.insert(places_.begin(), p);
}

Place CManerXE4Sim::LookUp(const std::u16string& name) const {
    const std::u16string key = WithoutBlanks(name);
    for (const Place& p : places_)
        if (WithoutBlanks(p.name) == key) return p;
    // An unknown name still lies somewhere in Seoul, the same place every time.
    std::uint32_t h = 2166136261u;
    for (char16_t c : key) h = (h ^ c) * 16777619u;
    const GeoPoint where{37.45 + static_cast<double>(h % 2000) / 10000.0,
                         126.85 + static_cast<double>((h / 2000) % 3000) / 10000.0};
    return {name, where, name, u""};
}

const Branch* CManerXE4Sim::BranchOf(const std::u16string& typed) const {
    const std::u16string digits = Digits(typed);
    for (const Branch& b : branches_)
        if (!digits.empty() && b.digits == digits) return &b;
    return nullptr;
}

std::optional<std::u16string> CManerXE4Sim::BranchDisplayText(const std::u16string& typed) const {
    const Branch* b = BranchOf(typed);
    if (!b) return std::nullopt;
    // The number as it was typed.
    std::u16string number = typed;
    while (!number.empty() && number.back() == u' ') number.pop_back();
    while (!number.empty() && number.front() == u' ') number.erase(0, 1);
    return b->name + u" [" + number + u"]";
}

kit::Shell::MainSpec CManerXE4Sim::Main() const {
    kit::LayoutNode layout = MainLayout();
    if (options_.caption == Caption::Roman) layout.text = u"CALLMANER XE \u2160";
    if (options_.caption == Caption::Letter) layout.text = u"CALLMANER XE I";
    return {std::move(layout), "receptionTab", kIdReception, options_.entryDelayMs};
}

const EntryWindowInfo* CManerXE4Sim::EntryInfo(Hwnd window) const { return Find(window); }

// --- entry windows ---------------------------------------------------------

Hwnd CManerXE4Sim::CreateEntry(const StoredOrder* order, int orderIndex) {
    WindowSpec w;
    w.behaviour = Behaviour::Container;
    w.className = kEntryClass;
    w.text = order ? u"오더수정" : u"오더접수";
    w.rect = {60, 40, 60 + kEntryWidth, 40 + kEntryHeight};
    EntryEdits* e = AddEntry(w, orderIndex);
    if (!e) return kNoWindow;

    std::vector<kit::LayoutNode> layout = EntryLayout();
    if (e->modify) kit::FindNode(layout, "registerButton")->text = kModifyText;
    const kit::Built built = kit::BuildChildren(host_, layout, e->window, Omit(), {{"entry", e->window}});
    kit::TakeSlots(built, e->controls, kSlots);
    e->controls.via = kit::Three(built, "via");
    e->controls.viaDetail = kit::Three(built, "viaDetail");
    if (order) FillFromOrder(*e, *order);
    WireEntry(*e);
    return e->window;
}

void CManerXE4Sim::FillFromOrder(EntryEdits& e, const StoredOrder& o) {
    const EntryControls& c = e.controls;
    ShowOrderTexts(c, o);
    for (std::size_t k = 0; k < 3; ++k) {
        const auto detail = o.extra.find("viaDetail" + std::to_string(k + 1));
        SetTextOf(c.viaDetail[k], detail == o.extra.end() ? std::u16string() : detail->second);
        e.via[k] = o.via[k].position;
        if (!o.via[k].text.empty()) e.viaSlots = static_cast<int>(k) + 1;
    }
    e.viaPanelOpen = e.viaSlots > 0;
    // A payment CManerXE4 does not know shows as cash.
    const bool known = std::find(kPayTexts.begin(), kPayTexts.end(), o.payType) != kPayTexts.end();
    SetTextOf(c.payCombo, known ? o.payType : kPayTexts[0]);
    e.consignment = o.consignment;
    e.customerFound = !o.customerPhone.empty();
    e.originBase = WithoutMarks(o.origin.text);
    e.origin = o.origin.position;
    e.destination = o.destination.position;
}

void CManerXE4Sim::WireEntry(EntryEdits& e) {
    const Hwnd window = e.window;
    const EntryControls& c = e.controls;

    Listen(window, [this, window](int id, int code, Hwnd) { OnEntryCommand(window, id, code); });
    OnEnter(c.branch, [this, window]() { OnBranchEnter(window); });
    OnEnter(c.phone, [this, window]() { OnPhoneEnter(window); });
    for (Hwnd box : {c.fare, c.cash, c.card, c.mileage, c.postpaid})
        OnEnter(box, [this, window, box]() { OnAmountEnter(window, box); });

    for (bool origin : {true, false}) {
        const Hwnd box = origin ? c.origin : c.destination;
        if (IsNull(box)) continue;
        host_.OnKey(box, [this, window, origin](std::uint32_t vk) {
            if (vk != msg::VK_SPACE) return false;
            OnPlaceSearch(window, origin);
            return true;
        });
        if (origin) {
            host_.OnTextChanged(box, [this, window]() {
                if (EntryEdits* en = Find(window)) en->originBase.clear();
            });
        }
    }

    for (std::size_t k = 0; k < 3; ++k) {
        const Hwnd box = c.via[k];
        if (IsNull(box)) continue;
        host_.OnKey(box, [this, window, k](std::uint32_t vk) { return OnViaKey(window, k, vk); });
        host_.OnMouse(box, [this, window, k](const MouseEvent& m) {
            if (EntryEdits* en = Find(window); en && m.down) en->viaEdit[k].clicked = true;
            return false;
        });
        host_.OnFocus(box, [this, window, k](bool gained) {
            if (EntryEdits* en = Find(window); en && !gained) en->viaEdit[k].clicked = false;
        });
        host_.OnTextChanged(box, [this, window, k]() {
            if (EntryEdits* en = Find(window)) en->viaEdit[k] = EntryEdits::ViaEdit{};
        });
    }

    if (!IsNull(c.viaStart)) {
        host_.OnMouse(c.viaStart, [this, window](const MouseEvent& m) {
            if (EntryEdits* en = Find(window); en && m.down) en->viaPanelOpen = true;
            return true;
        });
    }
    if (!IsNull(c.consignLabel)) {
        host_.OnMouse(c.consignLabel, [this, window](const MouseEvent& m) {
            if (m.down) OnConsignClick(window);
            return true;
        });
    }
}


void CManerXE4Sim::OnEntryGone(kit::EntryState& gone) {
    // The map windows belong to no window; they go with their entry window.
    const auto& e = static_cast<EntryEdits&>(gone);
    for (Hwnd m : {e.consultMap, e.viaMap})
        if (!IsNull(m) && host_.Exists(m)) host_.Destroy(m);
}

void CManerXE4Sim::OnEntryCommand(Hwnd window, int id, int code) {
    if (code != msg::BN_CLICKED) return;
    EntryEdits* e = Find(window);
    if (!e) return;
    switch (id) {
        case kIdRegister: Finish(window, RegisterStatus(*e)); break;
        case kIdHold: Finish(window, u"held"); break;
        case kIdInquiry: Finish(window, u"inquiry"); break;
        case kIdClose: host_.Destroy(window); break;
        case kIdAddVia:
            if (e->viaPanelOpen && e->viaSlots < 3) ++e->viaSlots;
            break;
        case kIdOriginMap: OpenConsultMap(window, true); break;
        case kIdDestinationMap: OpenConsultMap(window, false); break;
        case kIdWarningClose:
            if (!IsNull(e->warning) && host_.Exists(e->warning)) host_.Destroy(e->warning);
            e->warning = kNoWindow;
            break;
        default: break;
    }
}

void CManerXE4Sim::OnBranchEnter(Hwnd window) {
    EntryEdits* e = Find(window);
    if (!e || IsNull(e->controls.branchDisplay)) return;
    Cancel(window, kBranchTimer);
    host_.SetText(e->controls.branchDisplay, u"");
    const auto display = BranchDisplayText(host_.GetText(e->controls.branch));
    if (!display) return;  // an unknown branch shows nothing
    After(window, kBranchTimer, options_.branchDelayMs, [this, window, text = *display]() {
        if (EntryEdits* en = Find(window)) host_.SetText(en->controls.branchDisplay, text);
    });
}

void CManerXE4Sim::OnPhoneEnter(Hwnd window) {
    // The customer is looked up by the number; the box keeps it as typed.
    if (EntryEdits* e = Find(window)) e->customerFound = Digits(host_.GetText(e->controls.phone)).size() >= 7;
}

void CManerXE4Sim::OnPlaceSearch(Hwnd window, bool origin) {
    EntryEdits* e = Find(window);
    if (!e) return;
    const Hwnd box = origin ? e->controls.origin : e->controls.destination;
    const std::u16string name = NameOf(host_.GetText(box));
    if (name.empty()) return;
    const Place p = LookUp(name);
    const std::u16string base = name + u" [" + p.detail + u"]";
    (origin ? e->origin : e->destination) = p.position;
    if (origin) {
        e->originBase = base;
        RefreshOriginMarks(*e);
    } else {
        host_.SetText(box, base);
    }
}

bool CManerXE4Sim::OnViaKey(Hwnd window, std::size_t k, std::uint32_t vk) {
    EntryEdits* e = Find(window);
    if (!e) return false;
    EntryEdits::ViaEdit& v = e->viaEdit[k];
    const Hwnd box = e->controls.via[k];
    if (vk == msg::VK_SPACE) {
        // Clicked into a via point CManerXE4 holds: its map. Otherwise a search.
        if (v.clicked && e->via[k] && !host_.GetText(box).empty()) {
            OpenViaMap(window, k);
        } else {
            const std::u16string text = host_.GetText(box);
            v.found = text.empty() ? std::nullopt : std::optional<Place>(LookUp(text));
        }
        return true;
    }
    if (vk != msg::VK_RETURN) return false;
    if (!v.found) return true;
    if (static_cast<int>(k) >= e->viaSlots) {
        // No room made for it with the add-via button: the box is cleared.
        host_.SetText(box, u"");
        v = EntryEdits::ViaEdit{};
        return true;
    }
    const Place p = *v.found;
    const std::u16string typed = host_.GetText(box);
    v = EntryEdits::ViaEdit{};
    e->via[k] = p.position;
    if (!IsNull(e->controls.viaDetail[k]))
        host_.SetText(e->controls.viaDetail[k], p.district.empty() ? typed : typed + u" " + p.district);
    RefreshOriginMarks(*e);
    return true;
}

void CManerXE4Sim::OnAmountEnter(Hwnd window, Hwnd box) {
    EntryEdits* e = Find(window);
    if (!e || !host_.Exists(box)) return;
    const std::u16string text = host_.GetText(box);
    const auto digits = kit::ReadAmount(text);
    if (digits) {
        const std::u16string shown = options_.groupAmounts ? kit::GroupThousands(*digits) : *digits;
        if (shown != text) host_.SetText(box, shown);
    }
    const std::u16string pay = IsNull(e->controls.payCombo) ? std::u16string() : host_.GetText(e->controls.payCombo);
    if (box != e->controls.mileage || !kit::IsPositiveAmount(digits) || pay != u"복합") return;
    const Branch* branch = BranchOf(host_.GetText(e->controls.branch));
    if (!branch || branch->mileageSetting) return;
    After(options_.noticeDelayMs, [this, window]() { ShowMileageNotice(window); });
}

void CManerXE4Sim::ShowMileageNotice(Hwnd window) {
    if (!Find(window)) return;
    MessageBoxSpec desc;
    desc.order = BoxOrder::ButtonsThenText;
    desc.title = kNoticeTitle;
    desc.text = kMileageNotice;
    desc.buttons = {{u"확인", kIdOk}};
    desc.owner = window;
    const Rect r = host_.ScreenRect(window);
    desc.position = {r.left + 200, r.top + 160};
    Box(desc);
}

void CManerXE4Sim::OnConsignClick(Hwnd window) {
    EntryEdits* e = Find(window);
    if (!e) return;
    e->consignment = !e->consignment;
    RefreshOriginMarks(*e);
    if (!e->consignment || (!IsNull(e->warning) && host_.Exists(e->warning))) return;
    const kit::Built built = kit::BuildChildren(
        host_,
        {kit::Window("warning", kGroupClass, u"", 0, {300, 200, 640, 300})
             .Holding({kit::Label(kWarningText, 0, {8, 8, 332, 40}).Class(kLabelClass),
                       kit::Button("warningClose", u"닫    기", kIdWarningClose, {240, 60, 330, 92})
                           .Class(kButtonClass)
                           .CommandsTo("entry")})},
        window, Omit(), {{"entry", window}});
    e->warning = built.Get("warning");
}

void CManerXE4Sim::RefreshOriginMarks(EntryEdits& e) {
    if (IsNull(e.controls.origin) || e.originBase.empty()) return;
    std::u16string marks;
    if (e.consignment) marks += kConsignMark;
    bool anyVia = false;
    for (const auto& v : e.via) anyVia = anyVia || v.has_value();
    if (anyVia) marks += kViaMark;
    host_.SetText(e.controls.origin, marks.empty() ? e.originBase : marks + u" " + e.originBase);
}

// --- the map windows -------------------------------------------------------

void CManerXE4Sim::OpenConsultMap(Hwnd window, bool origin) {
    auto open = [this, window, origin]() {
        EntryEdits* e = Find(window);
        if (!e) return;
        if (!IsNull(e->consultMap) && host_.Exists(e->consultMap)) host_.Destroy(e->consultMap);
        const GeoPoint at = (origin ? e->origin : e->destination).value_or(kDefaultCentre);
        WindowSpec w;
        w.className = kConsultMapClass;
        w.text = u"상담 지도";
        w.rect = {200, 100, 840, 580};
        const Hwnd map = Make(w);
        if (IsNull(map)) return;
        e->consultMap = map;
        const Hwnd browser = kit::BuildChildren(host_, ConsultMapLayout(), map, Omit()).Get("browser");
        if (!IsNull(browser)) {
            PageSpec page;
            page.url = u"http://cmanerxe4.map.invalid/consult.asp?lat=" + kit::NumberText(at.lat) +
                       u"&lng=" + kit::NumberText(at.lng);
            page.script = ConsultPageScript(at);
            page.interpreter = [interpreter = PageInterpreter(PageInterpreter::Kind::Consult, at, false)](
                                   const std::u16string& s) { return interpreter.Evaluate(s); };
            host_.AttachPage(browser, page);
        }
        Listen(map, nullptr);
        host_.OnDestroy(map, [this, window, map]() {
            if (EntryEdits* en = Find(window); en && en->consultMap == map) en->consultMap = kNoWindow;
        });
    };
    After(options_.mapDelayMs, open);
}

void CManerXE4Sim::OpenViaMap(Hwnd window, std::size_t k) {
    auto open = [this, window, k]() {
        EntryEdits* e = Find(window);
        if (!e || !e->via[k]) return;
        if (!IsNull(e->viaMap) && host_.Exists(e->viaMap)) host_.Destroy(e->viaMap);
        const GeoPoint at = *e->via[k];
        WindowSpec w;
        w.className = kViaMapClass;
        w.text = u"cal";
        w.rect = {240, 120, 880, 600};
        const Hwnd map = Make(w);
        if (IsNull(map)) return;
        e->viaMap = map;
        const kit::Built built = kit::BuildChildren(host_, ViaMapLayout(), map, Omit(), {{"viaMap", map}});
        if (!IsNull(built.Get("lat"))) host_.SetText(built.Get("lat"), kit::NumberText(at.lat));
        if (!IsNull(built.Get("lng"))) host_.SetText(built.Get("lng"), kit::NumberText(at.lng));
        if (const Hwnd browser = built.Get("browser"); !IsNull(browser)) {
            PageSpec page;
            page.url = u"http://cmanerxe4.map.invalid/cal.asp?lat=" + kit::NumberText(at.lat) + u"&lng=" +
                       kit::NumberText(at.lng);
            page.script = ViaPageScript(at, options_.namedViaPosition);
            page.interpreter = [interpreter = PageInterpreter(PageInterpreter::Kind::Via, at,
                                                              options_.namedViaPosition)](
                                   const std::u16string& s) { return interpreter.Evaluate(s); };
            host_.AttachPage(browser, page);
        }
        Listen(map, [this, map](int id, int code, Hwnd) {
            if (id == kIdViaMapClose && code == msg::BN_CLICKED) host_.Destroy(map);
        });
        host_.OnDestroy(map, [this, window, map]() {
            if (EntryEdits* en = Find(window); en && en->viaMap == map) en->viaMap = kNoWindow;
        });
    };
    After(options_.mapDelayMs, open);
}

// --- orders ----------------------------------------------------------------

StoredOrder CManerXE4Sim::ReadOrder(const kit::EntryState& state) const {
    const auto& e = static_cast<const EntryEdits&>(state);
    const EntryControls& c = e.controls;
    StoredOrder o = ReadOrderTexts(c);
    o.consignment = e.consignment;
    o.origin.position = e.origin;
    o.destination.position = e.destination;
    for (std::size_t k = 0; k < 3; ++k) {
        o.via[k].position = e.via[k];
        const std::u16string detail = TextOf(c.viaDetail[k]);
        if (!detail.empty()) o.extra["viaDetail" + std::to_string(k + 1)] = detail;
    }
    return o;
}

}  // namespace qm::sim::cmanerxe4
