// Icon2013: finding the main window, the order windows, the order dialog's
// controls and the map dialog, and closing order windows.
#include "adapters/icon2013/icon2013.h"

#include <unordered_set>
#include <vector>

#include "callport/wait.h"
#include "callport/windows.h"
#include "core/result_codes.h"
#include "platform/messages.h"

namespace qm {

namespace code = result::icon2013;

namespace {

using C = CCallPortIcon2013::Controls;
using Row = ControlRow<C>;
constexpr AnchorSearch kDirect = AnchorSearch::DirectChild;

constexpr Recogniser kIsNewOrderButton{u"Button", {u"신규접수"}};
constexpr Recogniser kIsRegisterButton{u"Button", {u"접수(R)", u"수정(E)"}};

constexpr ChainLink kReceptionChain[] = {
    {u"MDI frame", {AnchorSearch::Descendant, {u"AfxMDIFrame90", {}}}, code::kMdiFrameNotFound},
    {u"order inquiry dialog", {AnchorSearch::Descendant, {u"#32770", {u"오더조회"}}}, code::kInquiryDialogNotFound,
     true},
    {u"reception button", {kDirect, {u"Button", {u"접수"}}}, code::kReceptionButtonNotFound},
};

// The classes Icon2013's controls are treated as.
constexpr std::u16string_view kEdit = u"Edit";
constexpr std::u16string_view kCombo = u"ComboBox";
constexpr std::u16string_view kButton = u"Button";

constexpr Row Anchor(std::u16string_view name, std::u16string_view className, std::u16string_view text, int missing,
                     std::array<ControlField<C>, Row::kMaxFields> fields) {
    return {name, {kDirect, {className, {text}}}, missing, fields};
}

// The order dialog, as Icon2013 lays it out: its direct children in z-order,
// each box counted from the label or button it follows.
constexpr Row kControlMap[] = {
    Anchor(u"button 닫기(X)", u"Button", u"닫기(X)", code::kCloseButtonNotFound,
           {{Field(u"close button", SlotOf<&C::closeButton>)}}),
    Anchor(u"label 출발", u"Static", u"출발", code::kOriginLabelNotFound,
           {{Field(u"origin box", SlotOf<&C::originEdit>, {Next(1)}, kEdit),
             Field(u"origin map button", SlotOf<&C::originMapButton>, {Next(4)}, kButton)}}),
    Anchor(u"label 도착", u"Static", u"도착", code::kDestinationLabelNotFound,
           {{Field(u"destination box", SlotOf<&C::destEdit>, {Next(1)}, kEdit),
             Field(u"destination map button", SlotOf<&C::destMapButton>, {Next(2)}, kButton)}}),
    Anchor(u"label 경유", u"Static", u"경유", code::kViaLabelNotFound,
           {{Field(u"via box 1", ElementOf<&C::viaEdit, 0>, {Next(1)}, kEdit),
             Field(u"via detail 1", ElementOf<&C::viaDetailEdit, 0>, {Next(2)}, kEdit),
             Field(u"add-via button", SlotOf<&C::addViaButton>, {Next(3)}, kButton),
             Field(u"via box 2", ElementOf<&C::viaEdit, 1>, {Next(4)}, kEdit),
             Field(u"via detail 2", ElementOf<&C::viaDetailEdit, 1>, {Next(5)}, kEdit),
             Field(u"via box 3", ElementOf<&C::viaEdit, 2>, {Next(6)}, kEdit),
             Field(u"via detail 3", ElementOf<&C::viaDetailEdit, 2>, {Next(7)}, kEdit)}}),
    // Via 1's map button comes first, then via 3's, then via 2's.
    Anchor(u"button 축소", u"Button", u"축소", code::kShrinkButtonNotFound,
           {{Field(u"via map button 1", ElementOf<&C::viaMapButton, 0>, {Next(1)}, kButton),
             Field(u"via map button 3", ElementOf<&C::viaMapButton, 2>, {Next(2)}, kButton),
             Field(u"via map button 2", ElementOf<&C::viaMapButton, 1>, {Next(3)}, kButton)}}),
    Anchor(u"label 요금", u"Static", u"요금", code::kFareLabelNotFound,
           {{Field(u"fare box", SlotOf<&C::fareEdit>, {Next(5)}, kEdit)}}),
    Anchor(u"label 기사 메모", u"Static", u"기사\n메모", code::kMemoLabelNotFound,
           {{Field(u"driver memo box", SlotOf<&C::driverMemoEdit>, {Next(1)}, kEdit)}}),
    Anchor(u"label 결제", u"Static", u"결제", code::kPaymentLabelNotFound,
           {{Field(u"payment combo", SlotOf<&C::payCombo>, {Next(1)}, kCombo),
             Field(u"payment amount box", SlotOf<&C::payAmountEdit>, {Next(2)}, kEdit)}}),
    Anchor(u"button 확대", u"Button", u"확대", code::kEnlargeButtonNotFound,
           {{Field(u"second memo box", SlotOf<&C::memo2Edit>, {Next(2)}, kEdit)}}),
    Anchor(u"label 접수점", u"Static", u"접수점", code::kBranchLabelNotFound,
           {{Field(u"branch combo", SlotOf<&C::branchCombo>, {Prev(1)}, kCombo)}}),
    Anchor(u"button S", u"Button", u"S", code::kSearchButtonNotFound,
           {{Field(u"telephone box", SlotOf<&C::phoneEdit>, {Next(2)}, kEdit),
             Field(u"second telephone box", SlotOf<&C::phone2Edit>, {Next(3)}, kEdit)}}),
    Anchor(u"check button 탁송", u"Button", u"탁송", code::kConsignmentButtonNotFound,
           {{Field(u"consignment check", SlotOf<&C::consignButton>)}}),
    {u"hold button", {kDirect, {u"Button", {u"대기(W)", u"추가대기(T)"}}}, code::kHoldButtonNotFound,
     {{Field(u"hold button", SlotOf<&C::holdButton>)}}},
    {u"inquiry button", {kDirect, {u"Button", {u"문의(F9)", u"추가문의(Q)"}}}, code::kInquiryButtonNotFound,
     {{Field(u"inquiry button", SlotOf<&C::inquiryButton>)}}},
};

// The "지도검색" map search dialog and its two set buttons.
constexpr MapDialogTexts kMapDialogTexts{u"지도검색", u"출발지 설정", u"도착지 설정"};
constexpr MapWindowSpec kMapWindows[] = {{u"map search", u"#32770", kMapDialogTexts.title}};

// Icon2013's order-window test: a popup with "신규접수" whose first "#32770"
// child holds the "#32770" order dialog with "접수(R)" or "수정(E)" and the
// Static "고객검색"; the customer search box after it is empty in a fresh
// window and holds the search in one with an order in progress. Takes the
// order dialog, the search box and the register button into out when it passes.
bool AcceptOrderWindow(Desktop& desktop, Hwnd popup, bool fresh, C& out) {
    if (IsNull(FindDescendant(desktop, popup, kIsNewOrderButton))) return false;
    const Hwnd dialog = DirectChild(desktop, DirectChild(desktop, popup, u"#32770", nullptr), u"#32770", nullptr);
    if (IsNull(dialog)) return false;
    const Hwnd registerButton = FindDescendant(desktop, dialog, kIsRegisterButton);
    if (IsNull(registerButton)) return false;
    const Hwnd label = DirectChild(desktop, dialog, u"Static", u"고객검색");
    if (IsNull(label)) return false;
    const Hwnd search = After(desktop, label, 1);
    const bool empty = desktop.SendGetText(search, 63).empty();
    if (desktop.NotResponding() || empty != fresh) return false;
    out.orderDialog = dialog;
    out.customerSearchEdit = search;
    out.registerButton = registerButton;
    return true;
}

struct HwndHash {
    std::size_t operator()(Hwnd h) const noexcept {
        return std::hash<std::uintptr_t>{}(static_cast<std::uintptr_t>(h));
    }
};

}  // namespace

std::span<const ChainLink> CCallPortIcon2013::ReceptionChain() { return kReceptionChain; }
std::span<const ControlRow<C>> CCallPortIcon2013::ControlMap() { return kControlMap; }
std::span<const MapWindowSpec> CCallPortIcon2013::MapWindows() { return kMapWindows; }

std::vector<EntryWindowSeen<C>> CCallPortIcon2013::ListEntryWindows(Desktop& desktop, Hwnd main) {
    auto filled = [](Desktop& d, Hwnd w, C& out) { return AcceptOrderWindow(d, w, false, out); };
    auto fresh = [](Desktop& d, Hwnd w, C& out) { return AcceptOrderWindow(d, w, true, out); };
    return SeeEntryWindows<C>(desktop, CollectPopups(desktop, main), filled, fresh, &C::orderDialog);
}

Hwnd CCallPortIcon2013::FindMainWindow() { return desktop.FindWindow(u"I_Driver by IconSoft.CO.,LTD", nullptr); }

bool CCallPortIcon2013::ScanOrderWindows(bool fresh) {
    return SleepThenProbe(desktop, profile->windowWait, [&] {
        bool accepted = false;
        WalkPopups(desktop, mainWnd, [&](Hwnd popup) {
            accepted = AcceptOrderWindow(desktop, popup, fresh, c_);
            return !accepted && !Hung();
        });
        return accepted;
    });
}

int CCallPortIcon2013::OpenNewOrderWindow(int presses) {
    if (int code = BringMainWindowForward(); code != result::kSuccess) return code;
    Hwnd button{};
    if (int code = ResolveChain(desktop, mainWnd, kReceptionChain, button); code != result::kSuccess) return code;
    const std::optional<Point> savedCursor = desktop.GetCursorPos();
    const bool opened = Tries(desktop, presses, 0, [&] {
        SendClick(desktop, button, true);
        return ScanOrderWindows(true);
    });
    if (savedCursor) desktop.SetCursorPos(*savedCursor);
    if (Hung()) return result::kNotResponding;
    return opened ? result::kSuccess : result::kNoFreshEntryWindow;
}

int CCallPortIcon2013::FindControls() {
    if (IsNull(c_.orderDialog)) return code::kNoOrderDialog;
    return ResolveControls<C>(desktop, c_.orderDialog, kControlMap, c_);
}

int CCallPortIcon2013::FindMapDialog(MapDialogHandles& out) {
    return qm::FindMapDialog(desktop, *profile, kMapDialogTexts, out);
}

void CCallPortIcon2013::CloseEntryWindows(Hwnd main) {
    if (IsNull(main)) main = FindMainWindow();
    if (IsNull(main)) return;
    desktop.SetForegroundWindow(main);
    desktop.SetActiveWindow(main);
    // Pass after pass, since closing one window changes the z-order the walk
    // follows; a pass that meets only windows told to close before ends it, so
    // a window that ignores its close button cannot keep the loop going, and
    // the passes are bounded besides.
    std::unordered_set<Hwnd, HwndHash> told;
    for (std::size_t pass = 0; pass < kMaxWalkSteps; ++pass) {
        bool closedNew = false;
        for (Hwnd popup : CollectPopups(desktop, main)) {
            if (Hung()) return;
            if (IsNull(FindDescendant(desktop, popup, kIsNewOrderButton))) continue;
            const Hwnd dialog = DirectChild(desktop, DirectChild(desktop, popup, u"#32770", nullptr), u"#32770", nullptr);
            const Hwnd close = DirectChild(desktop, dialog, u"Button", u"닫기(X)");
            if (IsNull(close)) continue;
            // A window told once is not told again: one that ignores its
            // close button is left as it is.
            if (!told.insert(popup).second) continue;
            SendCommand(desktop, dialog, close);
            desktop.Sleep(100);
            closedNew = true;
        }
        if (!closedNew) return;
    }
}

}  // namespace qm
