// CManerXE4 order entry: a fresh entry window filled box by box with the
// sequences CManerXE4's controls expect, each echo checked, read back, then
// finished as asked. A failed check closes the window with "종료(F8)".
#include <cstring>

#include "adapters/cmanerxe4/cmanerxe4.h"
#include "callport/text.h"
#include "callport/windows.h"
#include "core/result_codes.h"
#include "platform/messages.h"

namespace qm {

namespace code = result::cmanerxe4;

namespace {

constexpr int kHung = result::kNotResponding;
constexpr int kOk = result::kSuccess;

// "No mileage setting for mixed payment", shown with its OK button first.
const MessageBoxRule kMileageNotice{
    .title = u"콜마너 XE 4",
    .mustHave = {{{u"", {u"복합결제 마일리지 설정 값이 없습니다"}, TextMatch::Contains}}},
    .button = u"확인",
    .place = ButtonPlace::BeforeText,
    .textChars = 1022};

std::u16string Normalised(std::u16string_view text) { return Remove(Trim(text), u','); }

}  // namespace

std::u16string CCallPortCManerXE4::Read(Hwnd box) { return desktop.SendGetText(box, kBoxUnits); }

void CCallPortCManerXE4::SelectEntry(Hwnd box, const std::u16string& text) {
    desktop.SendSetText(box, text);
    desktop.Send(box, msg::WM_SETFOCUS, 0, 0);
    desktop.Send(box, msg::WM_KEYDOWN, msg::VK_DOWN, 0);
    desktop.Send(box, msg::WM_KEYUP, msg::VK_DOWN, 0);
    desktop.Send(box, msg::WM_KEYDOWN, msg::VK_RETURN, 0);
    desktop.Send(box, msg::WM_KEYUP, msg::VK_RETURN, 0);
    desktop.Send(box, msg::WM_KILLFOCUS, 0, 0);
    Pause(profile->shortSettle);
}

void CCallPortCManerXE4::PlaceEntry(Hwnd box, const std::u16string& text) {
    desktop.SendSetText(box, text);
    desktop.Send(box, msg::WM_SETFOCUS, 0, 0);
    desktop.Send(box, msg::WM_KEYDOWN, msg::VK_SPACE, 0);
    desktop.Send(box, msg::WM_KEYUP, msg::VK_SPACE, 0);
    desktop.Send(box, msg::WM_KILLFOCUS, 0, 0);
    Pause(profile->actionSettle);
}

void CCallPortCManerXE4::ViaEntry(Hwnd box, const std::u16string& text) {
    desktop.SendSetText(box, text);
    desktop.Send(box, msg::WM_SETFOCUS, 0, 0);
    desktop.Send(box, msg::WM_KEYDOWN, msg::VK_SPACE, 0);
    desktop.Send(box, msg::WM_KEYUP, msg::VK_SPACE, 0);
    Pause(profile->actionSettle);
    desktop.Send(box, msg::WM_KEYDOWN, msg::VK_RETURN, 0);
    desktop.Send(box, msg::WM_KEYUP, msg::VK_RETURN, 0);
    desktop.Send(box, msg::WM_KILLFOCUS, 0, 0);
    Pause(profile->shortSettle);
}

void CCallPortCManerXE4::AmountEntry(Hwnd box, const std::u16string& text) {
    desktop.Send(box, msg::WM_SETFOCUS, 0, 0);
    desktop.SendSetText(box, text);
    desktop.Send(box, msg::WM_KEYDOWN, msg::VK_RETURN, 0);
    desktop.Send(box, msg::WM_KEYUP, msg::VK_RETURN, 0);
    Pause(profile->shortSettle);
}

void CCallPortCManerXE4::MileageEntry(Hwnd box, const std::u16string& text) {
    desktop.Send(box, msg::WM_SETFOCUS, 0, 0);
    desktop.SendSetText(box, text);
    PostUnlessNotResponding(desktop, box, msg::WM_KEYDOWN, msg::VK_RETURN, 0);
    PostUnlessNotResponding(desktop, box, msg::WM_KEYUP, msg::VK_RETURN, 0);
    Pause(profile->shortSettle);
    DismissMileageNotice();
}

void CCallPortCManerXE4::PlainSet(Hwnd box, const std::u16string& text) {
    desktop.SendSetText(box, text);
    Pause(profile->shortSettle);
}

void CCallPortCManerXE4::LabelClick(Hwnd label) {
    desktop.Send(label, msg::WM_LBUTTONDOWN, 0, msg::MakeLParam(10, 5));
    desktop.Send(label, msg::WM_LBUTTONUP, 0, 0);
}

void CCallPortCManerXE4::DismissMileageNotice() { AnswerMessageBoxes(desktop, kMileageNotice); }

int CCallPortCManerXE4::EnterBranchAndCaller(const OrderRecord& order, int requireBranch, std::u16string& message) {
    const std::u16string branch(ReadField(order.branchNumber));
    SelectEntry(c_.branchEdit, branch);
    if (Hung()) return kHung;
    if (requireBranch != 0) {
        const std::u16string shown = Read(c_.branchDisplay);
        if (Hung()) return kHung;
        if (shown.empty() || !Contains(shown, branch)) {
            message = SourceAndShown(branch, shown);
            return Abandon(code::kBranchNotShown);
        }
    }
    const std::u16string phone(ReadField(order.customerPhone));
    SelectEntry(c_.phoneEdit, phone);
    const std::u16string shown = Read(c_.phoneEdit);
    if (Hung()) return kHung;
    if (shown.empty() || !Contains(shown, phone)) {
        message = SourceAndShown(phone, shown);
        return Abandon(code::kCustomerNotShown);
    }
    return kOk;
}

int CCallPortCManerXE4::EnterPayType(const OrderRecord& order) {
    const char16_t* text = nullptr;
    switch (order.payType) {
        case 0: text = u"복합"; break;
        case 1: return kOk;  // cash: CManerXE4's default, set and checked by nothing
        case 3: text = u"후불"; break;
        case 4: text = u"후불(마일)"; break;
        default: return Abandon(code::kPaymentNotSupported);
    }
    PlainSet(c_.payCombo, text);
    const std::u16string shown = Read(c_.payCombo);
    if (Hung()) return kHung;
    if (shown != text) return Abandon(code::kPaymentMismatch);
    return kOk;
}

int CCallPortCManerXE4::EnterPlaces(const OrderRecord& order) {
    PlaceEntry(c_.originEdit, std::u16string(ReadField(order.origin.name)));
    const bool originEmpty = Read(c_.originEdit).empty();
    if (Hung()) return kHung;
    if (originEmpty) return Abandon(code::kOriginNotTaken);

    if (!ReadField(order.via[0].fullText).empty()) {
        LabelClick(c_.viaStartControl);
        Pause(profile->shortSettle);
        // One via point after the other while the next one is filled; three at most.
        for (int i = 0; i < 3; ++i) {
            SendClick(desktop, c_.addViaButton, false);
            Pause(profile->shortSettle);
            ViaEntry(c_.viaEdit[i], Remove(ReadField(order.via[i].name), u' '));
            if (Hung()) return kHung;
            if (i + 1 >= 3 || ReadField(order.via[i + 1].fullText).empty()) break;
        }
    }

    PlaceEntry(c_.destEdit, std::u16string(ReadField(order.destination.name)));
    const bool destinationEmpty = Read(c_.destEdit).empty();
    if (Hung()) return kHung;
    if (destinationEmpty) return Abandon(code::kDestinationNotTaken);
    Pause(profile->shortSettle);
    return kOk;
}

int CCallPortCManerXE4::EnterAmounts(const OrderRecord& order, std::u16string& message) {
    // Entered, read back and compared without its commas; the text as read
    // tells the caller what differed.
    auto verify = [&](Hwnd box, std::u16string_view wanted, int failure) {
        const std::u16string shown = Read(box);
        if (Hung()) return kHung;
        if (shown.empty()) return Abandon(failure);
        if (Normalised(shown) != wanted) {
            message = shown;
            return Abandon(failure);
        }
        return kOk;
    };
    const std::u16string_view fare = ReadField(order.fare);
    AmountEntry(c_.fareEdit, std::u16string(fare));
    if (int c = verify(c_.fareEdit, fare, code::kFareMismatch); c != kOk) return c;

    if (order.payType != 0) return kOk;
    const std::u16string_view mileage = ReadField(order.mileageAmount);
    if (IsPositive(mileage)) {
        MileageEntry(c_.mileageEdit, std::u16string(mileage));
        if (int c = verify(c_.mileageEdit, mileage, code::kMileageMismatch); c != kOk) return c;
    }
    const std::u16string_view postpaid = ReadField(order.postpaidAmount);
    if (IsPositive(postpaid)) {
        AmountEntry(c_.postpaidEdit, std::u16string(postpaid));
        if (int c = verify(c_.postpaidEdit, postpaid, code::kPostpaidMismatch); c != kOk) return c;
    }
    return kOk;
}

int CCallPortCManerXE4::EnterPhone2AndConsignment(const OrderRecord& order) {
    const std::u16string_view phone2 = ReadField(order.customerPhone2);
    const std::u16string trimmed = Trim(phone2);
    if (!trimmed.empty()) {
        PlainSet(c_.phone2Edit, trimmed);
        const std::u16string shown = Read(c_.phone2Edit);
        if (Hung()) return kHung;
        // Compared with the number as the caller stored it.
        if (shown.empty() || shown != phone2) return Abandon(code::kSecondPhoneMismatch);
    }

    if (order.consignment == 0) return kOk;
    if (order.payType == 0 && IsPositive(ReadField(order.mileageAmount))) {
        // After a mileage entry the notice may still be on its way.
        PostUnlessNotResponding(desktop, c_.consignLabel, msg::WM_SETFOCUS, 0, 0);
        Pause(profile->shortSettle);
        DismissMileageNotice();
    } else {
        desktop.Send(c_.consignLabel, msg::WM_SETFOCUS, 0, 0);
    }
    LabelClick(c_.consignLabel);
    Pause(profile->shortSettle);
    // Marking consignment shows a warning inside the entry window; close it.
    const Hwnd warning = FindDescendant(desktop, c_.entryWindow, {u"TcxLabel", {u"[탁송 중 차량변경 건 주의사항]"}});
    if (!IsNull(warning)) {
        const Hwnd close = DirectChild(desktop, desktop.GetParent(warning), u"TcxButton", u"닫    기");
        if (!IsNull(close)) SendClick(desktop, close, false);
    }
    return Hung() ? kHung : kOk;
}

void CCallPortCManerXE4::EnterMemos(const OrderRecord& order) {
    const std::u16string memo = Trim(ReadField(order.driverMemo));
    if (!memo.empty()) {
        const std::u16string old = Read(c_.driverMemoEdit);
        if (old.empty()) {
            PlainSet(c_.driverMemoEdit, memo);
        } else if (!Contains(old, memo)) {
            // The memo CManerXE4 already holds stays; the new one goes after it.
            PlainSet(c_.driverMemoEdit, old + u", " + memo);
        }
    }
    const std::u16string memo2 = Trim(ReadField(order.memo2));
    if (!memo2.empty()) PlainSet(c_.memo2Edit, memo2);
}

bool CCallPortCManerXE4::Finish(int finishAction) {
    Hwnd button{};
    switch (finishAction) {
        case 1: button = c_.closeButton; break;
        case 2: button = c_.registerButton; break;
        case 3: button = c_.holdButton; break;
        case 4: button = c_.inquiryButton; break;
        default: return true;  // left open as it is
    }
    return PostButtonCommand(IsNull(button) ? c_.closeButton : button) || Hung();
}

int CCallPortCManerXE4::EnterOrder(Module oleacc, const char16_t* readScript, const char16_t* /*pointScript*/,
                                   OrderRecord* order, int requireBranch, std::u16string& message, int finishAction) {
    abandoned_ = {};
    const int code = Enter(oleacc, readScript, order, requireBranch, message, finishAction);
    ConfirmAbandoned(desktop, abandoned_, profile->saveWait, message);
    return code;
}

int CCallPortCManerXE4::Enter(Module oleacc, const char16_t* readScript, OrderRecord* order, int requireBranch,
                              std::u16string& message, int finishAction) {
    c_ = {};
    int code = OpenNewEntryWindow();
    if (code != kOk) return code;
    code = FindControls();
    if (Hung()) return kHung;
    if (code != kOk) return Abandon(code);

    if ((code = EnterBranchAndCaller(*order, requireBranch, message)) != kOk) return code;
    if ((code = EnterPayType(*order)) != kOk) return code;
    if ((code = EnterPlaces(*order)) != kOk) return code;
    if ((code = EnterAmounts(*order, message)) != kOk) return code;
    if ((code = EnterPhone2AndConsignment(*order)) != kOk) return code;
    EnterMemos(*order);
    if (Hung()) return kHung;

    // The block returns what CManerXE4 holds; the read-back's own result does
    // not decide the entry's.
    std::memset(order, 0, sizeof(OrderRecord));
    ReadEntryWindow(oleacc, readScript, order, message);
    if (Hung()) return kHung;
    if (!Finish(finishAction)) return FinishingWindowGone(message);
    return Hung() ? kHung : kOk;
}

}  // namespace qm
