// LogiD5: finding the main window, the entry windows and their controls, and
// getting rid of an entry window.
#include "adapters/logid5/logid5.h"

#include <utility>
#include <vector>

#include "adapters/logi/logi_windows.h"
#include "app/result_codes.h"
#include "callport/wait.h"
#include "callport/windows.h"
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

// The entry window, as LogiD5 lays it out: each box counted from a landmark of
// its child dialog, or as the k-th child of that dialog.
constexpr Row kControlMap[] = {
    {u"dialog with 출발지", InDialog(u"Button", u"출발지"), code::kOriginDialogNotFound,
     {{Field(u"origin box", SlotOf<&C::originEdit>, {Parent(), Child()}),
       Field(u"destination box", SlotOf<&C::destEdit>, {Parent(), Child(), Next(1)})}}},
    {u"dialog with 업체지원 (amounts)", InDialog(u"Button", u"업체지원"), code::kCompanySupportNotFound,
     {{Field(u"fare box", SlotOf<&C::fareEdit>, {Next(2)}),
       Field(u"cash box", SlotOf<&C::cashEdit>, {Next(6)}),
       Field(u"postpaid box", SlotOf<&C::postpaidEdit>, {Next(8)}),
       Field(u"mileage box", SlotOf<&C::mileageEdit>, {Next(10)}),
       Field(u"card box", SlotOf<&C::cardEdit>, {Next(11)})}}},
    {u"dialog with 전화2 (memos)", InDialog(u"Button", u"전화2"), code::kMemoDialogNotFound,
     {{Field(u"driver memo box", SlotOf<&C::driverMemoEdit>, {Parent(), Child()}),
       Field(u"second memo box", SlotOf<&C::memo2Edit>, {Parent(), Child(), Next(7)})}}},
    {u"dialog with 예약", InDialog(u"Static", u"예약"), code::kReservationLabelNotFound,
     {{Field(u"branch box", SlotOf<&C::branchEdit>, {Prev(6)}),
       Field(u"branch display", SlotOf<&C::branchDisplay>, {Prev(9)})}}},
    {u"dialog with 전화2 (telephones)", InDialog(u"Button", u"전화2"), code::kPhone2DialogNotFound,
     {{Field(u"customer display", SlotOf<&C::phoneDisplay>, {Parent(), Child(), Next(1)}),
       Field(u"second telephone box", SlotOf<&C::phone2Edit>, {Parent(), Child(), Next(3)})}}},
    {u"dialog with 업소비", InDialog(u"Static", u"업소비"), code::kBusinessFeeLabelNotFound,
     {{Field(u"consignment check", SlotOf<&C::consignButton>, {Prev(2)})}}},
    {u"dialog with 업체지원 (payment)", InDialog(u"Button", u"업체지원"), code::kPaymentComboNotFound,
     {{Field(u"payment combo", SlotOf<&C::payCombo>, {Next(4)})}}},
    {u"dialog with 경유추가 (map buttons)", InDialog(u"Button", u"경유추가"), code::kAddViaDialogNotFound,
     {{Field(u"origin map button", SlotOf<&C::originMapButton>, {Next(1)}),
       Field(u"destination map button", SlotOf<&C::destMapButton>, {Next(2)})}}},
    {u"dialog with 출발지 (search buttons)", InDialog(u"Button", u"출발지"), code::kSearchButtonsNotFound,
     {{Field(u"origin search button", SlotOf<&C::originSearchButton>),
       Field(u"destination search button", SlotOf<&C::destSearchButton>, {Next(1)})}}},
    {u"hold button", {AnchorSearch::Descendant, kIsEntryHoldButton}, code::kHoldButtonNotFound,
     {{Field(u"hold button", SlotOf<&C::holdButton>)}}},
    {u"inquiry button", {AnchorSearch::Descendant, kIsEntryInquiryButton}, code::kInquiryButtonNotFound,
     {{Field(u"inquiry button", SlotOf<&C::inquiryButton>)}}},
    {u"dialog with 경유추가 (via boxes)", InDialog(u"Button", u"경유추가"), code::kAddViaButtonNotFound,
     {{Field(u"add-via button", SlotOf<&C::addViaButton>),
       Field(u"via box 1", ElementOf<&C::viaEdit, 0>, {Next(3)}),
       Field(u"via box 2", ElementOf<&C::viaEdit, 1>, {Next(6)}),
       Field(u"via box 3", ElementOf<&C::viaEdit, 2>, {Next(9)})}}},
};

// The customer search box of a popup: the window after the Static "고객검색" of
// the first child dialog that holds one; null when none does.
Hwnd CustomerSearchBox(Desktop& desktop, Hwnd popup) {
    return After(desktop, ChildDialogHolding(desktop, popup, u"#32770", kIsCustomerSearchLabel), 1);
}

}  // namespace

std::span<const ChainLink> CCallPortLogiD5::ReceptionChain() { return kReceptionChain; }
std::span<const ControlRow<C>> CCallPortLogiD5::ControlMap() { return kControlMap; }

Hwnd CCallPortLogiD5::FindMainWindow() { return desktop.FindWindow(u"D5-", nullptr); }

int CCallPortLogiD5::OpenNewEntryWindow() {
    if (int c = BringMainWindowForward(); c != result::kSuccess) return c;
    Hwnd receptionButton{};
    if (int c = ResolveChain(desktop, mainWnd, kReceptionChain, receptionButton); c != result::kSuccess) return c;

    const std::optional<Point> savedCursor = desktop.GetCursorPos();
    // A popup is a fresh entry window when it shows "등   록(&R)" and its
    // customer search box is empty.
    auto acceptFresh = [&](Hwnd popup) {
        const Hwnd registerButton = FindDescendant(desktop, popup, kIsEntryRegisterButton);
        if (IsNull(registerButton)) return true;
        const Hwnd search = CustomerSearchBox(desktop, popup);
        if (IsNull(search)) return !Hung();
        const std::intptr_t length = desktop.Send(search, msg::WM_GETTEXTLENGTH, 0, 0);
        if (Hung() || length != 0) return !Hung();
        c_.entryWindow = popup;
        c_.registerButton = registerButton;
        c_.phoneEdit = search;
        return false;
    };
    const bool accepted = Tries(desktop, 3, 0, [&] {
        SendClick(desktop, receptionButton, true);
        return SleepThenProbe(desktop, profile->windowWait, [&] {
            WalkPopups(desktop, mainWnd, acceptFresh);
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
        WalkPopups(desktop, mainWnd, [&](Hwnd popup) {
            const Hwnd registerButton = FindDescendant(desktop, popup, kIsEntryRegisterOrModifyButton);
            if (IsNull(registerButton)) return true;
            Hwnd dialog{};
            if (IsNull(ChildDialogHolding(desktop, popup, u"#32770", kIsPhone2Button, &dialog))) return true;
            const Hwnd display = After(desktop, FirstChild(desktop, dialog), 1);
            std::u16string shown;
            if (ReadLines(desktop, display, shown) <= 0) return !Hung();
            c_.entryWindow = popup;
            c_.registerButton = registerButton;
            c_.phoneDisplay = display;
            const Hwnd search = CustomerSearchBox(desktop, popup);
            if (IsNull(search)) return !Hung();  // the next popup may still do
            c_.phoneEdit = search;
            found = true;
            return false;
        });
        return found;
    });
}

int CCallPortLogiD5::FindControls(std::u16string& message) {
    if (IsNull(c_.entryWindow)) return result::kOrderWindowNotFound;
    // The cancel button is the second window after the register button.
    const Hwnd cancel = After(desktop, c_.registerButton, 2);
    const std::u16string text = desktop.GetWindowText(cancel, 255);
    if (Hung()) return result::kNotResponding;
    if (IsNull(cancel) || text != u"취   소(&X)") {
        message = text;
        return code::kCancelButtonNotFound;
    }
    c_.cancelButton = cancel;
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
