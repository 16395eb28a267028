// LogiD5: finding the main window, the entry windows and their controls, and
// getting rid of an entry window.
#include "adapters/logid5/logid5.h"

#include <utility>
#include <vector>

#include "adapters/logi/logi_windows.h"
#include "callport/wait.h"
#include "callport/windows.h"
#include "core/result_codes.h"
#include "platform/messages.h"

namespace qm {

using namespace logi;
namespace code = result::logid5;

namespace {

using C = CCallPortLogiD5::Controls;
using Row = ControlRow<C>;

constexpr Recogniser kIsReceptionViewD5{u"AfxFrameOrView140s", {u"접수"}};
constexpr Recogniser kIsReceptionButtonD5{u"Button", {u"접  수"}};
constexpr Recogniser kIsCustomerSearchLabel{u"Static", {u"고객검색"}};
constexpr Recogniser kIsPhone2Button{u"Button", {u"전화2"}};

constexpr ChainLink kReceptionChain[] = {
    {u"MDI client", {AnchorSearch::Descendant, kIsMdiClient}, code::kMdiClientNotFound},
    {u"reception view", {AnchorSearch::Descendant, kIsReceptionViewD5}, code::kReceptionViewNotFound},
    {u"main list", {AnchorSearch::Descendant, kIsMainListDialog}, code::kMainListNotFound},
    {u"reception button", {AnchorSearch::Descendant, kIsReceptionButtonD5}, code::kReceptionButtonNotFound},
};

// A landmark inside the first child dialog of the entry window that holds it.
constexpr AnchorSpec InDialog(std::u16string_view className, std::u16string_view text) {
    return {AnchorSearch::InChildDialog, {className, {text}}};
}

// The cancel button, looked for before the control map: the second window
// after the register button, which must read "취   소(&X)".
constexpr Row kCancelCheck[] = {
    {u"register button (cancel button)", {AnchorSearch::Known, {}}, code::kCancelButtonNotFound,
     {{Required(u"cancel button", SlotOf<&C::cancelButton>, {Next(2)}, kButtonKind, u"취   소(&X)")}},
     SlotOf<&C::registerButton>},
};

// The entry window, as LogiD5 lays it out: each box counted from a landmark of
// its child dialog, or as the k-th child of that dialog.
constexpr Row kControlMap[] = {
    {u"dialog with 출발지", InDialog(u"Button", u"출발지"), code::kOriginDialogNotFound,
     {{Field(u"origin box", SlotOf<&C::originEdit>, {Parent(), Child()}, kEditKind),
       Field(u"destination box", SlotOf<&C::destEdit>, {Parent(), Child(), Next(1)}, kEditKind)}}},
    {u"dialog with 업체지원 (amounts)", InDialog(u"Button", u"업체지원"), code::kCompanySupportNotFound,
     {{Field(u"fare box", SlotOf<&C::fareEdit>, {Next(2)}, kEditKind),
       Field(u"cash box", SlotOf<&C::cashEdit>, {Next(6)}, kEditKind),
       Field(u"postpaid box", SlotOf<&C::postpaidEdit>, {Next(8)}, kEditKind),
       Field(u"mileage box", SlotOf<&C::mileageEdit>, {Next(10)}, kEditKind),
       Field(u"card box", SlotOf<&C::cardEdit>, {Next(11)}, kEditKind)}}},
    {u"dialog with 전화2 (memos)", InDialog(u"Button", u"전화2"), code::kMemoDialogNotFound,
     {{Field(u"driver memo box", SlotOf<&C::driverMemoEdit>, {Parent(), Child()}, kEditKind),
       Field(u"second memo box", SlotOf<&C::memo2Edit>, {Parent(), Child(), Next(7)}, kEditKind)}}},
    {u"dialog with 예약", InDialog(u"Static", u"예약"), code::kReservationLabelNotFound,
     {{Field(u"branch box", SlotOf<&C::branchEdit>, {Prev(6)}, kEditKind),
       Field(u"branch display", SlotOf<&C::branchDisplay>, {Prev(9)}, kEditKind)}}},
    {u"dialog with 전화2 (telephones)", InDialog(u"Button", u"전화2"), code::kPhone2DialogNotFound,
     {{Field(u"customer display", SlotOf<&C::phoneDisplay>, {Parent(), Child(), Next(1)}, kEditKind),
       Field(u"second telephone box", SlotOf<&C::phone2Edit>, {Parent(), Child(), Next(3)}, kEditKind)}}},
    {u"dialog with 업소비", InDialog(u"Static", u"업소비"), code::kBusinessFeeLabelNotFound,
     {{Field(u"consignment check", SlotOf<&C::consignButton>, {Prev(2)}, kButtonKind)}}},
    {u"dialog with 업체지원 (payment)", InDialog(u"Button", u"업체지원"), code::kPaymentComboNotFound,
     {{Field(u"payment combo", SlotOf<&C::payCombo>, {Next(4)}, kComboKind)}}},
    {u"dialog with 경유추가 (map buttons)", InDialog(u"Button", u"경유추가"), code::kAddViaDialogNotFound,
     {{Field(u"origin map button", SlotOf<&C::originMapButton>, {Next(1)}, kButtonKind),
       Field(u"destination map button", SlotOf<&C::destMapButton>, {Next(2)}, kButtonKind)}}},
    {u"dialog with 출발지 (search buttons)", InDialog(u"Button", u"출발지"), code::kSearchButtonsNotFound,
     {{Field(u"origin search button", SlotOf<&C::originSearchButton>),
       Field(u"destination search button", SlotOf<&C::destSearchButton>, {Next(1)}, kButtonKind)}}},
    {u"hold button", {AnchorSearch::Descendant, kIsEntryHoldButton}, code::kHoldButtonNotFound,
     {{Field(u"hold button", SlotOf<&C::holdButton>)}}},
    {u"inquiry button", {AnchorSearch::Descendant, kIsEntryInquiryButton}, code::kInquiryButtonNotFound,
     {{Field(u"inquiry button", SlotOf<&C::inquiryButton>)}}},
    {u"dialog with 경유추가 (via boxes)", InDialog(u"Button", u"경유추가"), code::kAddViaButtonNotFound,
     {{Field(u"add-via button", SlotOf<&C::addViaButton>),
       Field(u"via box 1", ElementOf<&C::viaEdit, 0>, {Next(3)}, kEditKind),
       Field(u"via box 2", ElementOf<&C::viaEdit, 1>, {Next(6)}, kEditKind),
       Field(u"via box 3", ElementOf<&C::viaEdit, 2>, {Next(9)}, kEditKind)}}},
};

// The customer search box of a popup: the window after the Static "고객검색" of
// the first child dialog that holds one; null when none does.
Hwnd CustomerSearchBox(Desktop& desktop, Hwnd popup) {
    return After(desktop, ChildDialogHolding(desktop, popup, u"#32770", kIsCustomerSearchLabel), 1);
}

// LogiD5's test of a fresh entry window: "등   록(&R)" somewhere in the popup
// and an empty customer search box. Takes the window, its register button and
// the search box into out when it passes.
bool AcceptFresh(Desktop& desktop, Hwnd popup, C& out) {
    const Hwnd registerButton = FindDescendant(desktop, popup, kIsEntryRegisterButton);
    if (IsNull(registerButton)) return false;
    const Hwnd search = CustomerSearchBox(desktop, popup);
    if (IsNull(search)) return false;
    const std::intptr_t length = desktop.Send(search, msg::WM_GETTEXTLENGTH, 0, 0);
    if (desktop.NotResponding() || length != 0) return false;
    out.entryWindow = popup;
    out.registerButton = registerButton;
    out.phoneEdit = search;
    return true;
}

// LogiD5's test of an entry window that holds an order: "등   록(&R)" or
// "수   정(&E)", and the customer display (the 2nd child of the child dialog
// with "전화2") shows a telephone. Once the display does, the window, its
// register button and the display are taken into out; the search box too, and
// the test passes, only when the popup has the customer search.
bool AcceptFilled(Desktop& desktop, Hwnd popup, C& out) {
    const Hwnd registerButton = FindDescendant(desktop, popup, kIsEntryRegisterOrModifyButton);
    if (IsNull(registerButton)) return false;
    Hwnd dialog{};
    if (IsNull(ChildDialogHolding(desktop, popup, u"#32770", kIsPhone2Button, &dialog))) return false;
    const Hwnd display = After(desktop, FirstChild(desktop, dialog), 1);
    std::u16string shown;
    if (ReadLines(desktop, display, shown) <= 0) return false;
    out.entryWindow = popup;
    out.registerButton = registerButton;
    out.phoneDisplay = display;
    const Hwnd search = CustomerSearchBox(desktop, popup);
    if (IsNull(search)) return false;
    out.phoneEdit = search;
    return true;
}

}  // namespace

std::span<const ChainLink> CCallPortLogiD5::ReceptionChain() { return kReceptionChain; }
std::span<const ControlRow<C>> CCallPortLogiD5::CancelCheck() { return kCancelCheck; }
std::span<const ControlRow<C>> CCallPortLogiD5::ControlMap() { return kControlMap; }
std::span<const MapWindowSpec> CCallPortLogiD5::MapWindows() { return kLogiMapWindows; }

std::vector<EntryWindowSeen<C>> CCallPortLogiD5::ListEntryWindows(Desktop& desktop, Hwnd main) {
    return SeeEntryWindows<C>(desktop, CollectPopups(desktop, main), AcceptFilled, AcceptFresh, &C::entryWindow);
}

Hwnd CCallPortLogiD5::FindMainWindow() { return desktop.FindWindow(u"D5-", nullptr); }

int CCallPortLogiD5::OpenNewEntryWindow(int presses) {
    if (int c = BringMainWindowForward(); c != result::kSuccess) return c;
    Hwnd receptionButton{};
    if (int c = ResolveChain(desktop, mainWnd, kReceptionChain, receptionButton); c != result::kSuccess) return c;

    const std::optional<Point> savedCursor = desktop.GetCursorPos();
    const bool accepted = Tries(desktop, presses, 0, [&] {
        SendClick(desktop, receptionButton, true);
        return SleepThenProbe(desktop, profile->windowWait, [&] {
            WalkPopups(desktop, mainWnd, [&](Hwnd popup) { return !AcceptFresh(desktop, popup, c_) && !Hung(); });
            return !IsNull(c_.entryWindow);
        });
    });
    if (savedCursor) desktop.SetCursorPos(*savedCursor);
    if (Hung()) return result::kNotResponding;
    return accepted ? result::kSuccess : result::kNoFreshEntryWindow;
}

bool CCallPortLogiD5::FindOpenEntryWindow() {
    return SleepThenProbe(desktop, profile->windowWait, [&] {
        bool found = false;
        // A popup without the customer search leaves what it set, and the next popup may still do.
        WalkPopups(desktop, mainWnd, [&](Hwnd popup) {
            found = AcceptFilled(desktop, popup, c_);
            return !found && !Hung();
        });
        return found;
    });
}

int CCallPortLogiD5::FindControls(std::u16string& message) {
    if (IsNull(c_.entryWindow)) return result::kOrderWindowNotFound;
    const int code = ResolveControls<C>(desktop, c_.entryWindow, kCancelCheck, c_);
    if (code == code::kCancelButtonNotFound)
        message = desktop.GetWindowText(After(desktop, c_.registerButton, 2), 255);  // what stands there instead
    if (code != result::kSuccess) return Hung() ? result::kNotResponding : code;
    return ResolveControls<C>(desktop, c_.entryWindow, kControlMap, c_);
}

void CCallPortLogiD5::AbandonEntryWindow(bool confirm, Hwnd window, Hwnd cancel) {
    if (IsNull(window)) window = c_.entryWindow;
    if (IsNull(cancel)) cancel = c_.cancelButton;
    if (IsNull(window) || IsNull(cancel)) return;
    PostClick(desktop, cancel);
    if (confirm) AnswerCloseQuestion(desktop, profile->dialogWait);
}

void CCallPortLogiD5::CloseEntryWindows(Hwnd main) {
    if (IsNull(main)) main = FindMainWindow();
    if (IsNull(main)) return;
    desktop.SetForegroundWindow(main);
    desktop.SetActiveWindow(main);

    for (const auto& [popup, cancel] : NewEntryWindows(desktop, main)) {
        if (Hung()) return;
        AbandonEntryWindow(true, popup, cancel);
    }
}

}  // namespace qm
