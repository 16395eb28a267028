// LogiD2: finding the main window, the entry windows and their controls, and
// getting rid of an entry window.
#include "adapters/logid2/logid2.h"

#include <utility>
#include <vector>

#include "adapters/logi/logi_windows.h"
#include "callport/wait.h"
#include "callport/windows.h"
#include "core/result_codes.h"
#include "platform/messages.h"

namespace qm {

using namespace logi;
namespace code = result::logid2;

namespace {

using C = CCallPortLogiD2::Controls;
using Row = ControlRow<C>;
constexpr AnchorSearch kDirect = AnchorSearch::DirectChild;

constexpr ChainLink kReceptionChain[] = {
    {u"MDI client", {AnchorSearch::Descendant, kIsMdiClient}, code::kMdiClientNotFound},
    {u"reception view", {AnchorSearch::Descendant, kIsReceptionView}, code::kReceptionViewNotFound},
    {u"main list", {AnchorSearch::Descendant, kIsMainListDialog}, code::kMainListNotFound},
    {u"reception button", {AnchorSearch::Descendant, kIsReceptionButton}, code::kReceptionButtonNotFound},
};

constexpr AnchorSpec kCancelAnchor{kDirect, kIsEntryCancelButton};

// The entry window, as LogiD2 lays it out: its direct children in z-order,
// each box counted from the label or button it follows.
constexpr Row kControlMap[] = {
    {u"cancel button", kCancelAnchor, code::kCancelButtonNotFound,
     {{Field(u"cancel button", SlotOf<&C::cancelButton>)}}},
    // The telephone box is the entry window's first child, taken when the window was.
    {u"telephone box", {AnchorSearch::Known, {}}, 0,
     {{Field(u"telephone box", SlotOf<&C::phoneEdit>, {}, kEditKind),  // typed into: its class counts
       Field(u"origin box", SlotOf<&C::originEdit>, {Next(1)}, kEditKind),
       Field(u"destination box", SlotOf<&C::destEdit>, {Next(2)}, kEditKind),
       Field(u"fare box", SlotOf<&C::fareEdit>, {Next(3)}, kEditKind),
       Field(u"driver memo box", SlotOf<&C::driverMemoEdit>, {Next(4)}, kEditKind)}},
     SlotOf<&C::phoneEdit>},
    {u"label 현금", {kDirect, {u"Static", {u"현금"}}}, code::kCashLabelNotFound,
     {{Field(u"cash box", SlotOf<&C::cashEdit>, {Next(1)}, kEditKind)}}},
    {u"label 후불", {kDirect, {u"Static", {u"후불"}}}, code::kPostpaidLabelNotFound,
     {{Field(u"postpaid box", SlotOf<&C::postpaidEdit>, {Next(1)}, kEditKind),
       Field(u"mileage box", SlotOf<&C::mileageEdit>, {Next(2)}, kEditKind)}}},
    {u"label 카드", {kDirect, {u"Static", {u"카드"}}}, code::kCardLabelNotFound,
     {{Field(u"card box", SlotOf<&C::cardEdit>, {Next(1)}, kEditKind)}}},
    {u"button 업체지원", {kDirect, {u"Button", {u"업체지원"}}}, code::kCompanySupportButtonNotFound,
     {{Field(u"second memo box", SlotOf<&C::memo2Edit>, {Next(5), Child()}, kEditKind)}}},
    {u"button 마일리지", {kDirect, {u"Button", {u"마일리지"}}}, code::kMileageButtonNotFound,
     {{Field(u"branch box", SlotOf<&C::branchEdit>, {Next(1)}, kEditKind),
       Field(u"branch display", SlotOf<&C::branchDisplay>, {Next(5)}, kEditKind)}}},
    {u"button 대기후복사", {kDirect, {u"Button", {u"대기후복사"}}}, code::kCopyAfterHoldButtonNotFound,
     {{Field(u"customer display", SlotOf<&C::phoneDisplay>, {Next(1)}, kEditKind),
       Field(u"second telephone box", SlotOf<&C::phone2Edit>, {Next(4)}, kEditKind)}}},
    {u"check button 탁송 (in a child dialog)", {AnchorSearch::InChildDialog, {u"Button", {u"탁송"}}},
     code::kConsignmentButtonNotFound,
     {{Field(u"consignment check", SlotOf<&C::consignButton>)}}},
    {u"button 문의", {kDirect, {u"Button", {u"문의"}}}, code::kInquiryAnchorNotFound,
     {{Field(u"payment combo", SlotOf<&C::payCombo>, {Next(4)}, kComboKind)}}},
    {u"label 경유", {kDirect, {u"Static", {u"경유"}}}, code::kViaLabelNotFound,
     {{Field(u"origin map button", SlotOf<&C::originMapButton>, {Next(1)}, kButtonKind),
       Field(u"destination map button", SlotOf<&C::destMapButton>, {Next(2)}, kButtonKind)}}},
    {u"hold button", {AnchorSearch::Descendant, kIsEntryHoldButton}, code::kHoldButtonNotFound,
     {{Field(u"hold button", SlotOf<&C::holdButton>)}}},
    {u"inquiry button", {AnchorSearch::Descendant, kIsEntryInquiryButton}, code::kInquiryButtonNotFound,
     {{Field(u"inquiry button", SlotOf<&C::inquiryButton>)}}},
    {u"button 적정", {kDirect, {u"Button", {u"적정"}}}, code::kAppropriateButtonNotFound,
     {{Field(u"via box 3", ElementOf<&C::viaEdit, 2>, {Prev(3)}, kEditKind),
       Field(u"via box 2", ElementOf<&C::viaEdit, 1>, {Prev(6)}, kEditKind),
       Field(u"via box 1", ElementOf<&C::viaEdit, 0>, {Prev(9)}, kEditKind)}}},
    {u"button 경", {kDirect, {u"Button", {u"경"}}}, code::kAddViaButtonNotFound,
     {{Field(u"add-via button", SlotOf<&C::addViaButton>)}}},
};

// LogiD2's test of a fresh entry window: a popup showing "등   록(&R)" whose
// first child, the telephone box, is empty. Takes the window, its register
// button and its telephone box into out when it passes.
bool AcceptFresh(Desktop& desktop, Hwnd popup, C& out) {
    const Hwnd registerButton = FindDescendant(desktop, popup, kIsEntryRegisterButton);
    if (IsNull(registerButton)) return false;
    const Hwnd phoneBox = FirstChild(desktop, popup);
    if (IsNull(phoneBox)) return false;
    const std::intptr_t length = desktop.Send(phoneBox, msg::WM_GETTEXTLENGTH, 0, 0);
    if (desktop.NotResponding() || length != 0) return false;
    out.entryWindow = popup;
    out.registerButton = registerButton;
    out.phoneEdit = phoneBox;
    return true;
}

// LogiD2's test of an entry window that holds an order: "등   록(&R)" or
// "수   정(&E)", and the customer display (the window after "대기후복사")
// shows the looked-up telephone.
bool AcceptFilled(Desktop& desktop, Hwnd popup, C& out) {
    const Hwnd registerButton = FindDescendant(desktop, popup, kIsEntryRegisterOrModifyButton);
    if (IsNull(registerButton)) return false;
    const Hwnd copyButton = DirectChild(desktop, popup, u"Button", u"대기후복사");
    if (IsNull(copyButton)) return false;
    std::u16string shown;
    if (ReadLines(desktop, After(desktop, copyButton, 1), shown) <= 0) return false;
    out.entryWindow = popup;
    out.registerButton = registerButton;
    out.phoneEdit = FirstChild(desktop, popup);
    return true;
}

}  // namespace

std::span<const ChainLink> CCallPortLogiD2::ReceptionChain() { return kReceptionChain; }
std::span<const ControlRow<C>> CCallPortLogiD2::ControlMap() { return kControlMap; }

std::span<const MapWindowSpec> CCallPortLogiD2::MapWindows() { return kLogiMapWindows; }

std::vector<EntryWindowSeen<C>> CCallPortLogiD2::ListEntryWindows(Desktop& desktop, Hwnd main) {
    return SeeEntryWindows<C>(desktop, CollectPopups(desktop, main), AcceptFilled, AcceptFresh, &C::entryWindow);
}

Hwnd CCallPortLogiD2::FindMainWindow() { return desktop.FindWindow(u"SmartD2-", nullptr); }

int CCallPortLogiD2::OpenNewEntryWindow(int presses) {
    if (int code = BringMainWindowForward(); code != result::kSuccess) return code;
    Hwnd receptionButton{};
    if (int code = ResolveChain(desktop, mainWnd, kReceptionChain, receptionButton); code != result::kSuccess)
        return code;

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

int CCallPortLogiD2::FindOpenEntryWindow() {
    if (int code = BringMainWindowForward(); code != result::kSuccess) return code;
    c_ = {};

    const bool found = SleepThenProbe(desktop, profile->windowWait, [&] {
        bool accepted = false;
        WalkPopups(desktop, mainWnd, [&](Hwnd popup) {
            accepted = AcceptFilled(desktop, popup, c_);
            return !accepted && !Hung();
        });
        return accepted;
    });
    if (Hung()) return result::kNotResponding;
    return found ? result::kSuccess : result::kOrderWindowNotFound;
}

int CCallPortLogiD2::FindControls() {
    if (IsNull(c_.entryWindow)) return result::kOrderWindowNotFound;
    return ResolveControls<C>(desktop, c_.entryWindow, kControlMap, c_);
}

void CCallPortLogiD2::AbandonEntryWindow(bool confirm, Hwnd window, Hwnd cancel) {
    if (IsNull(window)) window = c_.entryWindow;
    if (IsNull(cancel)) cancel = c_.cancelButton;
    if (IsNull(window) || IsNull(cancel)) return;
    PostCommand(desktop, window, cancel);
    if (confirm) AnswerCloseQuestion(desktop, profile->dialogWait);
}

void CCallPortLogiD2::CloseEntryWindows(Hwnd main) {
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
