// LogiD2 order entry: a fresh entry window filled in field by field the way an
// operator does it, each echo checked, read back, then finished as asked.
//
// A dispatch program that stops answering ends the entry at the next step with
// code 99: nothing more is sent to it, nothing is polled, nothing abandoned.
#include <cstring>

#include "adapters/logi/logi_windows.h"
#include "adapters/logid2/logid2.h"
#include "app/result_codes.h"
#include "callport/text.h"
#include "callport/wait.h"
#include "callport/windows.h"
#include "platform/messages.h"

namespace qm {

using namespace logi;
namespace code = result::logid2;

namespace {

constexpr int kHung = result::kNotResponding;
constexpr int kOk = result::kSuccess;

constexpr const char16_t* kSelectBranchText = u"지사를 선택하시기 바랍니다.";
constexpr const char16_t* kPhoneHintText =
    u"검색시 전화번호는 뒷자리 4자리 이거나, 지역번호를 제외한 풀넘버를 입력하셔야 합니다.";
constexpr const char16_t* kMileageRefusedText = u"고객을 검색 후 마일리지를 적용하세요";
constexpr const char16_t* kConsignWarningText =
    u"탁송오더 등록시 탁송체크 해지불가하므로 오더취소후 재접수 하시기 바랍니다";

// LogiD2's questions and notices, and the button that answers each.
const MessageBoxRule kSelectBranchBox{.mustHave = {{{u"Static", {kSelectBranchText}}}}, .button = u"닫기"};
const MessageBoxRule kPhoneHintBox{.title = u"확인", .mustHave = {{{u"Static", {kPhoneHintText}}}}, .button = u"확인"};
const MessageBoxRule kMileageRefusedBox{
    .title = u"확인", .mustHave = {{{u"Static", {kMileageRefusedText}}}}, .button = u"확인"};
const MessageBoxRule kConsignWarningBox{
    .title = u"확인", .mustHave = {{{u"Static", {kConsignWarningText}}}}, .button = u"확인"};
const MessageBoxRule kPlacePopup{.mustHave = {{{u"Button", {u"지도"}}}}, .button = u"닫기"};
const MessageBoxRule kInquiryTypeBox{.title = u"문의 타입선택", .button = u"일반문의"};

std::u16string SourceAndShown(std::u16string_view typed, std::u16string_view shown) {
    std::u16string text = u"src: ";
    text += typed;
    text += u", get: ";
    text += shown;
    return text;
}

}  // namespace

std::u16string CCallPortLogiD2::TextByMessage(Hwnd box) { return desktop.SendGetText(box, 1024); }

void CCallPortLogiD2::CloseMapDialog(Hwnd dialog) {
    desktop.Send(dialog, msg::WM_SYSCOMMAND, msg::SC_CLOSE, 0);
}

int CCallPortLogiD2::VerifyAmount(Hwnd box, std::u16string_view wanted, int code, std::u16string& message) {
    const std::u16string shown = TextByMessage(box);
    if (Hung()) return kHung;
    if (shown.empty()) {
        Abandon();
        message.clear();
        return code;
    }
    if (Remove(Trim(shown), u',') != wanted) {
        Abandon();
        message = shown;
        return code;
    }
    return kOk;
}

int CCallPortLogiD2::EnterBranch(const OrderRecord& order, int requireBranch, std::u16string& message) {
    const std::u16string branch = FormatPhoneNumber(ReadField(order.branchNumber));
    EnterText(c_.branchEdit, branch, true, false);
    Pause(profile->shortSettle);
    PressEnter(desktop, c_.branchEdit);
    Pause(profile->shortSettle);
    if (Hung()) return kHung;

    if (requireBranch != 0) {
        std::u16string shown;
        const bool confirmed = SleepThenProbe(desktop, profile->branchWait, [&] {
            const int read = ReadLines(desktop, c_.branchDisplay, shown);
            return read > 0 && Contains(shown, branch);
        });
        if (Hung()) return kHung;
        if (!confirmed) {
            Abandon();
            message = SourceAndShown(branch, shown);
            return code::kBranchNotShown;
        }
        return kOk;
    }
    // An unknown branch makes LogiD2 ask for one; without a required branch the
    // question is closed and the entry goes on.
    AnswerMessageBoxes(desktop, kSelectBranchBox, Answer::Every);
    return Hung() ? kHung : kOk;
}

int CCallPortLogiD2::EnterCustomer(const OrderRecord& order, std::u16string& message) {
    const std::u16string phone = FormatPhoneNumber(ReadField(order.customerPhone));
    EnterText(c_.phoneEdit, phone, false, false);
    Pause(profile->shortSettle);
    PressEnter(desktop, c_.phoneEdit);
    Pause(profile->shortSettle);
    if (Hung()) return kHung;

    std::u16string shown;
    const bool found = SleepThenProbe(desktop, profile->customerWait, [&] {
        const int read = ReadLines(desktop, c_.phoneDisplay, shown);
        return read > 0 && Contains(shown, phone);
    });
    if (Hung()) return kHung;
    AnswerMessageBoxes(desktop, kPhoneHintBox);
    if (Hung()) return kHung;
    if (!found) {
        Abandon();
        message = SourceAndShown(phone, shown);
        return code::kCustomerNotShown;
    }
    return kOk;
}

int CCallPortLogiD2::EnterPayType(const OrderRecord& order, std::u16string& message) {
    const std::u16string_view card = ReadField(order.cardAmount);
    switch (order.payType) {
        case 1:  // cash: LogiD2's default
            return kOk;
        case 3:
            break;
        case 0:
            if (IsPositive(ReadField(order.postpaidAmount))) break;
            Abandon();
            return IsPositive(ReadField(order.mileageAmount)) || IsPositive(card) ? code::kPaymentNotSupported
                                                                                  : code::kMixedWithoutAmounts;
        default:
            Abandon();
            return code::kPaymentNotSupported;
    }

    // Select postpaid: the combo's second item, announced to the entry window.
    desktop.Send(c_.payCombo, msg::CB_SETCURSEL, 1, 0);
    desktop.Send(c_.entryWindow, msg::WM_COMMAND,
                 msg::MakeWParam(desktop.GetDlgCtrlID(c_.payCombo), msg::CBN_SELCHANGE), AsLParam(c_.payCombo));
    Pause(profile->shortSettle);
    const std::u16string shown = TextByMessage(c_.payCombo);
    if (Hung()) return kHung;
    if (shown != u"후불") {
        Abandon();
        message = shown;
        return code::kPaymentComboMismatch;
    }
    if (IsPositive(card)) {
        Abandon();
        message = u"payType: 후불, feeCard: ";
        message += card;
        return code::kPaymentNotSupported;
    }
    return kOk;
}

int CCallPortLogiD2::EnterPlaces(const OrderRecord& order) {
    std::u16string shown;
    EnterText(c_.originEdit, std::u16string(ReadField(order.origin.name)), true, false);
    Pause(profile->actionSettle);
    int read = ReadLines(desktop, c_.originEdit, shown);
    if (Hung()) return kHung;
    if (read <= 0) {
        Abandon();
        return code::kOriginNotTaken;
    }

    for (int i = 0; i < 3; ++i) {
        if (ReadField(order.via[i].fullText).empty()) break;
        SendClick(desktop, c_.addViaButton, false);
        Pause(profile->shortSettle);
        EnterText(c_.viaEdit[i], std::u16string(ReadField(order.via[i].name)), true, false);
        Pause(profile->actionSettle);
        if (Hung()) return kHung;
    }

    EnterText(c_.destEdit, std::u16string(ReadField(order.destination.name)), true, false);
    Pause(profile->actionSettle);
    read = ReadLines(desktop, c_.destEdit, shown);
    if (Hung()) return kHung;
    if (read <= 0) {
        Abandon();
        return code::kDestinationNotTaken;
    }

    // LogiD2 may offer a place-search popup ("지도" / "닫기"): close it.
    SleepThenProbe(desktop, profile->placePopupWait, [&] { return AnswerMessageBoxes(desktop, kPlacePopup) > 0; });
    return Hung() ? kHung : kOk;
}

int CCallPortLogiD2::EnterMapPositions(Module oleacc, const char16_t* pointScript, const OrderRecord& order) {
    desktop.Send(c_.entryWindow, msg::WM_COMMAND, kMapCommand, 0);
    CLogiMapDialog map = MapDialog();
    MapDialogHandles handles{};
    int code = map.FindMapDialog(handles);
    if (Hung()) return kHung;
    if (code != kOk) {
        // A dialog that came without its buttons or browser is not left behind
        // for the next request to find.
        if (!IsNull(handles.dialog)) CloseMapDialog(handles.dialog);
        Abandon();
        return code;
    }
    desktop.ShowWindow(handles.dialog, msg::SW_HIDE);
    Pause(profile->actionSettle);

    code = map.SetMapPosition(oleacc, pointScript, order.origin, handles.dialog, handles.browser,
                              handles.originButton, c_.originEdit, c_.originMapButton);
    if (Hung()) return kHung;
    if (code == kOk) {
        Pause(profile->shortSettle);
        code = map.SetMapPosition(oleacc, pointScript, order.destination, handles.dialog, handles.browser,
                                  handles.destButton, c_.destEdit, c_.destMapButton);
        if (Hung()) return kHung;
    }
    CloseMapDialog(handles.dialog);
    if (code != kOk) {
        Abandon();
        return code;
    }
    return Hung() ? kHung : kOk;
}

int CCallPortLogiD2::EnterAmounts(const OrderRecord& order, std::u16string& message) {
    const std::u16string_view fare = ReadField(order.fare);
    EnterText(c_.fareEdit, std::u16string(fare), true, false);
    Pause(profile->shortSettle);
    if (int code = VerifyAmount(c_.fareEdit, fare, code::kFareMismatch, message); code != kOk) return code;

    const std::u16string_view mileage = ReadField(order.mileageAmount);
    if (IsPositive(mileage)) {
        EnterText(c_.mileageEdit, std::u16string(mileage), true, false);
        Pause(profile->shortSettle);
        if (Hung()) return kHung;
        if (AnswerMessageBoxes(desktop, kMileageRefusedBox) > 0) {
            // LogiD2 refuses mileage before a customer search; the window stays open.
            message = u"미지원";
            return Hung() ? kHung : code::kMileageRefused;
        }
        if (int code = VerifyAmount(c_.mileageEdit, mileage, code::kMileageRefused, message); code != kOk)
            return code;
    }

    const std::u16string_view cash = ReadField(order.cashAmount);
    if (IsPositive(cash)) {
        EnterText(c_.cashEdit, std::u16string(cash), true, false);
        if (int code = VerifyAmount(c_.cashEdit, cash, code::kCashMismatch, message); code != kOk) return code;
    }
    return kOk;
}

int CCallPortLogiD2::EnterPhone2ConsignmentMemos(const OrderRecord& order, std::u16string& message) {
    const std::u16string_view phone2 = ReadField(order.customerPhone2);
    if (!phone2.empty()) {
        const std::u16string typed = FormatPhoneNumber(phone2);
        EnterText(c_.phone2Edit, typed, false, false);
        Pause(profile->shortSettle);
        std::u16string shown;
        const int read = ReadLines(desktop, c_.phone2Edit, shown);
        if (Hung()) return kHung;
        if (!(read > 0 && shown == typed)) {
            Abandon();
            message = shown;
            return code::kSecondPhoneMismatch;
        }
    }

    auto checked = [&] { return (desktop.Send(c_.consignButton, msg::BM_GETCHECK, 0, 0) & 1) != 0; };
    const bool wanted = order.consignment != 0;
    const bool state = checked();
    if (Hung()) return kHung;
    if (state && !wanted) {
        PostClick(desktop, c_.consignButton);
        Pause(profile->shortSettle);
        const bool still = checked();
        if (Hung()) return kHung;
        if (still) {
            Abandon();
            return code::kConsignmentNotSet;
        }
    } else if (!state && wanted) {
        PostClick(desktop, c_.consignButton);
        Pause(profile->shortSettle);
        // Checking it makes LogiD2 warn that it cannot be unchecked later.
        SleepThenProbe(desktop, profile->saveWait, [&] { return AnswerMessageBoxes(desktop, kConsignWarningBox) > 0; });
        const bool now = checked();
        if (Hung()) return kHung;
        if (!now) {
            Abandon();
            return code::kConsignmentNotSet;
        }
    }

    const std::u16string memo = Trim(ReadField(order.driverMemo));
    if (!memo.empty()) {
        Pause(profile->memoSettle);
        std::u16string shown;
        const int read = ReadLines(desktop, c_.driverMemoEdit, shown);
        if (Hung()) return kHung;
        if (!(read > 0 && Contains(shown, memo))) {
            // The memo LogiD2 already holds stays; the new one goes after it.
            EnterText(c_.driverMemoEdit, read > 0 ? u", " + memo : memo, false, true);
            Pause(profile->shortSettle);
        }
    }

    const std::u16string memo2 = Trim(ReadField(order.memo2));
    if (!memo2.empty()) {
        EnterText(c_.memo2Edit, memo2, true, false);
        Pause(profile->shortSettle);
    }
    return Hung() ? kHung : kOk;
}

int CCallPortLogiD2::Finish(int finishAction) {
    if (finishAction == 1) {
        AbandonEntryWindow(true);
        return Hung() ? kHung : kOk;
    }
    if (finishAction < 2 || finishAction > 4) return kOk;  // left open as it is

    Hwnd button = finishAction == 2 ? c_.registerButton : finishAction == 3 ? c_.holdButton : c_.inquiryButton;
    if (IsNull(button)) button = c_.cancelButton;
    if (!IsNull(c_.entryWindow) && !IsNull(button)) PostCommand(desktop, c_.entryWindow, button);
    Pause(profile->saveWait);
    if (Hung()) return kHung;

    bool unregistered = false;
    for (Hwnd box : CollectTopLevel(desktop, u"#32770", u"확인")) {
        const Hwnd first = desktop.FindWindowEx(box, kNoWindow, u"Static", nullptr);
        if (IsNull(first)) continue;
        const Hwnd second = desktop.FindWindowEx(box, first, u"Static", nullptr);
        if (IsNull(second)) continue;
        const std::u16string text = desktop.GetWindowText(second, 1024);
        if (text.empty() || !(Contains(text, u"미등록 업체입니다") || Contains(text, u"로지소프트로 문의 바랍니다")))
            continue;
        const Hwnd ok = DirectChild(desktop, box, u"Button", u"확인");
        if (IsNull(ok)) continue;
        SendCommand(desktop, box, ok);
        unregistered = true;
        break;
    }
    if (Hung()) return kHung;

    if (finishAction == 4) {
        SleepThenProbe(desktop, profile->saveWait, [&] { return AnswerMessageBoxes(desktop, kInquiryTypeBox) > 0; });
        if (Hung()) return kHung;
    }
    return unregistered ? code::kUnregisteredCompany : kOk;
}

int CCallPortLogiD2::EnterOrder(Module oleacc, const char16_t* readScript, const char16_t* pointScript,
                                OrderRecord* order, int requireBranch, std::u16string& message, int finishAction) {
    c_ = {};
    int code = OpenNewEntryWindow();
    if (code != kOk) return code;

    code = FindControls();
    if (Hung()) return kHung;
    if (code != kOk) {
        // Nothing was typed yet: the window is cancelled without awaiting the question.
        if (!IsNull(c_.entryWindow) && !IsNull(c_.cancelButton)) PostCommand(desktop, c_.entryWindow, c_.cancelButton);
        return code;
    }

    if ((code = EnterBranch(*order, requireBranch, message)) != kOk) return code;
    if ((code = EnterCustomer(*order, message)) != kOk) return code;
    if ((code = EnterPayType(*order, message)) != kOk) return code;
    if ((code = EnterPlaces(*order)) != kOk) return code;
    if ((code = EnterMapPositions(oleacc, pointScript, *order)) != kOk) return code;
    if ((code = EnterAmounts(*order, message)) != kOk) return code;
    if ((code = EnterPhone2ConsignmentMemos(*order, message)) != kOk) return code;

    // The block returns what LogiD2 holds, not what was asked for.
    std::memset(order, 0, sizeof(OrderRecord));
    ReadOrderWindow(oleacc, readScript, order, message);
    if (Hung()) return kHung;

    return Finish(finishAction);
}

}  // namespace qm
