#include "adapters/logi/logi_order.h"

#include "adapters/logi/logi_windows.h"
#include "callport/text.h"
#include "callport/wait.h"
#include "core/result_codes.h"
#include "platform/messages.h"

namespace qm::logi {

namespace code = result::logi;

namespace {

constexpr int kHung = result::kNotResponding;
constexpr int kOk = result::kSuccess;

constexpr const char16_t* kSelectBranchText = u"지사를 선택하시기 바랍니다.";
constexpr const char16_t* kPhoneHintText =
    u"검색시 전화번호는 뒷자리 4자리 이거나, 지역번호를 제외한 풀넘버를 입력하셔야 합니다.";
constexpr const char16_t* kConsignWarningText =
    u"탁송오더 등록시 탁송체크 해지불가하므로 오더취소후 재접수 하시기 바랍니다";

// The programs' questions and notices, and the button that answers each.
const MessageBoxRule kSelectBranchBox{.mustHave = {{{u"Static", {kSelectBranchText}}}}, .button = u"닫기"};
const MessageBoxRule kPhoneHintBox{.title = u"확인", .mustHave = {{{u"Static", {kPhoneHintText}}}}, .button = u"확인"};
const MessageBoxRule kConsignWarningBox{
    .title = u"확인", .mustHave = {{{u"Static", {kConsignWarningText}}}}, .button = u"확인"};
const MessageBoxRule kPlacePopup{.mustHave = {{{u"Button", {u"지도"}}}}, .button = u"닫기"};

}  // namespace

bool CLogiOrder::HideMapDialog(Hwnd dialog) {
    // ShowWindow on another program's window waits until that program has
    // handled it, however long: a bounded message first makes sure it still
    // answers (a dialog opened by a click may come from a program that hung
    // right after opening it).
    desktop_.Send(dialog, msg::WM_NULL, 0, 0);
    if (Hung()) return false;
    desktop_.ShowWindow(dialog, msg::SW_HIDE);
    return true;
}

CLogiMapDialog CLogiOrder::MapDialog() {
    return CLogiMapDialog(port_, desktop_, profile_,
                          [this](Hwnd box, const std::u16string& text) { port_.EnterText(box, text, true, false); });
}

int CLogiOrder::EnterFields(Module oleacc, const char16_t* pointScript, const OrderRecord& order, int requireBranch,
                            std::u16string& message) {
    int code = kOk;
    if ((code = EnterBranch(order, requireBranch, message)) != kOk) return code;
    if ((code = EnterCustomer(order, message)) != kOk) return code;
    if ((code = EnterPayType(order, message)) != kOk) return code;
    if ((code = EnterPlaces(order)) != kOk) return code;
    if ((code = EnterMapPositions(oleacc, pointScript, order)) != kOk) return code;
    if ((code = EnterAmounts(order, message)) != kOk) return code;
    return EnterPhone2ConsignmentMemos(order, message);
}

int CLogiOrder::VerifyAmount(Hwnd box, std::u16string_view wanted, int code, std::u16string& message) {
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

int CLogiOrder::EnterBranch(const OrderRecord& order, int requireBranch, std::u16string& message) {
    const std::u16string branch = FormatPhoneNumber(ReadField(order.branchNumber));
    port_.EnterText(c_.branchEdit, branch, true, false);
    Pause(profile_.shortSettle);
    PressEnter(desktop_, c_.branchEdit);
    Pause(profile_.shortSettle);
    if (Hung()) return kHung;

    if (requireBranch != 0) {
        std::u16string shown;
        const bool confirmed = SleepThenProbe(desktop_, profile_.branchWait, [&] {
            const int read = ReadLines(desktop_, c_.branchDisplay, shown);
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
    // An unknown branch makes the program ask for one; without a required
    // branch the question is closed and the entry goes on.
    AnswerMessageBoxes(desktop_, kSelectBranchBox, traits_.selectBranchBoxes);
    return Hung() ? kHung : kOk;
}

int CLogiOrder::EnterCustomer(const OrderRecord& order, std::u16string& message) {
    const std::u16string phone = FormatPhoneNumber(ReadField(order.customerPhone));
    port_.EnterText(c_.phoneEdit, phone, false, false);
    Pause(profile_.shortSettle);
    PressEnter(desktop_, c_.phoneEdit);
    Pause(profile_.shortSettle);
    if (Hung()) return kHung;

    std::u16string shown;
    const bool found = SleepThenProbe(desktop_, profile_.customerWait, [&] {
        const int read = ReadLines(desktop_, c_.phoneDisplay, shown);
        return read > 0 && Contains(shown, phone);
    });
    if (Hung()) return kHung;
    AnswerMessageBoxes(desktop_, kPhoneHintBox);
    if (Hung()) return kHung;
    if (!found) {
        Abandon();
        message = SourceAndShown(phone, shown);
        return code::kCustomerNotShown;
    }
    return kOk;
}

int CLogiOrder::EnterPayType(const OrderRecord& order, std::u16string& message) {
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
    desktop_.Send(c_.payCombo, msg::CB_SETCURSEL, 1, 0);
    desktop_.Send(c_.entryWindow, msg::WM_COMMAND,
                 msg::MakeWParam(desktop_.GetDlgCtrlID(c_.payCombo), msg::CBN_SELCHANGE), AsLParam(c_.payCombo));
    Pause(profile_.shortSettle);
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

void CLogiOrder::EnterPlace(Hwnd box, const std::u16string& text) {
    port_.EnterText(box, text, true, false);
    Pause(profile_.actionSettle);
    if (!traits_.enterAfterPlace) return;
    PressEnter(desktop_, box);
    Pause(profile_.shortSettle);
}

bool CLogiOrder::PlaceEmpty(Hwnd box) {
    if (traits_.enterAfterPlace) return desktop_.Send(box, msg::WM_GETTEXTLENGTH, 0, 0) < 1;
    std::u16string shown;
    return ReadLines(desktop_, box, shown) <= 0;
}

int CLogiOrder::EnterPlaces(const OrderRecord& order) {
    EnterPlace(c_.originEdit, std::u16string(ReadField(order.origin.name)));
    const bool originEmpty = PlaceEmpty(c_.originEdit);
    if (Hung()) return kHung;
    if (originEmpty) {
        Abandon();
        return code::kOriginNotTaken;
    }

    for (int i = 0; i < 3; ++i) {
        if (ReadField(order.via[i].fullText).empty()) break;
        SendClick(desktop_, c_.addViaButton, false);
        Pause(profile_.shortSettle);
        EnterPlace(c_.viaEdit[i], std::u16string(ReadField(order.via[i].name)));
        if (Hung()) return kHung;
    }

    EnterPlace(c_.destEdit, std::u16string(ReadField(order.destination.name)));
    const bool destinationEmpty = PlaceEmpty(c_.destEdit);
    if (Hung()) return kHung;
    if (destinationEmpty) {
        Abandon();
        return code::kDestinationNotTaken;
    }

    // The program may offer a place-search popup ("지도" / "닫기"): close it.
    SleepThenProbe(desktop_, profile_.placePopupWait, [&] { return AnswerMessageBoxes(desktop_, kPlacePopup) > 0; });
    return Hung() ? kHung : kOk;
}

int CLogiOrder::EnterMapPositions(Module oleacc, const char16_t* pointScript, const OrderRecord& order) {
    OpenMapForEntry();
    CLogiMapDialog map = MapDialog();
    MapDialogHandles handles{};
    int code = map.FindMapDialog(handles);
    if (Hung()) return kHung;
    if (code != kOk) {
        // A dialog that came without its buttons or browser is not left behind
        // for the next request to find.
        if (!IsNull(handles.dialog)) desktop_.Send(handles.dialog, msg::WM_SYSCOMMAND, msg::SC_CLOSE, 0);
        Abandon();
        return code;
    }
    if (!HideMapDialog(handles.dialog)) return kHung;
    Pause(profile_.actionSettle);

    code = map.SetMapPosition(oleacc, pointScript, order.origin, handles.dialog, handles.browser,
                              handles.originButton, c_.originEdit, c_.originMapButton);
    if (Hung()) return kHung;
    if (code == kOk) {
        Pause(profile_.shortSettle);
        code = map.SetMapPosition(oleacc, pointScript, order.destination, handles.dialog, handles.browser,
                                  handles.destButton, c_.destEdit, c_.destMapButton);
        if (Hung()) return kHung;
    }
    desktop_.Send(handles.dialog, msg::WM_SYSCOMMAND, msg::SC_CLOSE, 0);
    if (code != kOk) {
        Abandon();
        return code;
    }
    return Hung() ? kHung : kOk;
}

int CLogiOrder::EnterAmounts(const OrderRecord& order, std::u16string& message) {
    const std::u16string_view fare = ReadField(order.fare);
    port_.EnterText(c_.fareEdit, std::u16string(fare), true, false);
    Pause(profile_.shortSettle);
    if (int code = VerifyAmount(c_.fareEdit, fare, code::kFareMismatch, message); code != kOk) return code;

    const std::u16string_view mileage = ReadField(order.mileageAmount);
    if (IsPositive(mileage)) {
        port_.EnterText(c_.mileageEdit, std::u16string(mileage), true, false);
        Pause(profile_.shortSettle);
        if (Hung()) return kHung;
        const MessageBoxRule refused{
            .title = u"확인", .mustHave = {{{u"Static", {traits_.mileageRefusedText}}}}, .button = u"확인"};
        if (AnswerMessageBoxes(desktop_, refused) > 0) {
            // The program refuses mileage (before a customer search, or for the
            // branch); the window stays open.
            message = u"미지원";
            return Hung() ? kHung : code::kMileageRefused;
        }
        if (int code = VerifyAmount(c_.mileageEdit, mileage, code::kMileageRefused, message); code != kOk)
            return code;
    }

    const std::u16string_view cash = ReadField(order.cashAmount);
    if (IsPositive(cash)) {
        port_.EnterText(c_.cashEdit, std::u16string(cash), true, false);
        if (int code = VerifyAmount(c_.cashEdit, cash, code::kCashMismatch, message); code != kOk) return code;
    }
    return kOk;
}

int CLogiOrder::EnterPhone2ConsignmentMemos(const OrderRecord& order, std::u16string& message) {
    const std::u16string_view phone2 = ReadField(order.customerPhone2);
    if (!phone2.empty()) {
        const std::u16string typed = FormatPhoneNumber(phone2);
        port_.EnterText(c_.phone2Edit, typed, false, false);
        Pause(profile_.shortSettle);
        std::u16string shown;
        const int read = ReadLines(desktop_, c_.phone2Edit, shown);
        if (Hung()) return kHung;
        if (!(read > 0 && shown == typed)) {
            Abandon();
            message = shown;
            return code::kSecondPhoneMismatch;
        }
    }

    auto checked = [&] { return (desktop_.Send(c_.consignButton, msg::BM_GETCHECK, 0, 0) & 1) != 0; };
    const bool wanted = order.consignment != 0;
    const bool state = checked();
    if (Hung()) return kHung;
    if (state && !wanted) {
        PostClick(desktop_, c_.consignButton);
        Pause(profile_.shortSettle);
        const bool still = checked();
        if (Hung()) return kHung;
        if (still) {
            Abandon();
            return code::kConsignmentNotSet;
        }
    } else if (!state && wanted) {
        PostClick(desktop_, c_.consignButton);
        Pause(profile_.shortSettle);
        // Checking it makes the program warn that it cannot be unchecked later.
        SleepThenProbe(desktop_, profile_.saveWait, [&] { return AnswerMessageBoxes(desktop_, kConsignWarningBox) > 0; });
        const bool now = checked();
        if (Hung()) return kHung;
        if (!now) {
            Abandon();
            return code::kConsignmentNotSet;
        }
    }

    const std::u16string memo = Trim(ReadField(order.driverMemo));
    if (!memo.empty()) {
        Pause(profile_.memoSettle);
        std::u16string shown;
        const int read = ReadLines(desktop_, c_.driverMemoEdit, shown);
        if (Hung()) return kHung;
        if (!(read > 0 && Contains(shown, memo))) {
            // The memo the program already holds stays; the new one goes after it.
            port_.EnterText(c_.driverMemoEdit, read > 0 ? u", " + memo : memo, false, true);
            Pause(profile_.shortSettle);
        }
    }

    const std::u16string memo2 = Trim(ReadField(order.memo2));
    if (!memo2.empty()) {
        port_.EnterText(c_.memo2Edit, memo2, true, false);
        Pause(profile_.shortSettle);
    }
    return Hung() ? kHung : kOk;
}

int CLogiOrder::ReadOrderWindow(Module oleacc, OrderRecord* order, std::u16string& message) {
    OrderRecord& o = *order;
    o.adapterKind = traits_.adapterKind;
    o.oleaccLoaded = oleacc != kNoModule ? 1 : 0;

    // Branch: "<head office> > <branch name> (<number>)".
    std::u16string raw;
    int read = ReadLines(desktop_, c_.branchDisplay, raw);
    if (Hung()) return kHung;
    if (read <= 0) return code::kBranchNotShown;
    if (const std::optional<BranchShown> branch = SplitBranchDisplay(raw, kLogiBranchDisplay)) {
        WriteField(o.branchNumber, branch->number);
        WriteField(o.branchName, branch->name);
    } else {
        message = raw;
        return code::kBranchDisplayMalformed;
    }

    read = ReadLines(desktop_, c_.phoneDisplay, raw);
    if (Hung()) return kHung;
    if (read <= 0) return code::kCustomerNotShown;
    WriteField(o.customerPhone, Remove(Trim(raw), u'-'));

    ReadLines(desktop_, c_.phone2Edit, raw);
    if (Hung()) return kHung;
    WriteField(o.customerPhone2, Remove(Trim(raw), u'-'));

    read = ReadLines(desktop_, c_.originEdit, raw);
    if (Hung()) return kHung;
    if (read <= 0) return code::kOriginEmpty;
    WriteField(o.origin.fullText, Trim(raw));
    CopyBracketedText(raw.c_str(), &o.origin);

    read = ReadLines(desktop_, c_.destEdit, raw);
    if (Hung()) return kHung;
    if (read <= 0) return code::kDestinationEmpty;
    WriteField(o.destination.fullText, Trim(raw));
    CopyBracketedText(raw.c_str(), &o.destination);

    for (int i = 0; i < 3; ++i) {
        read = ReadLines(desktop_, c_.viaEdit[i], raw);
        if (Hung()) return kHung;
        if (read <= 0) break;
        const std::u16string via = Trim(raw);
        WriteField(o.via[i].fullText, via);
        WriteField(o.via[i].name, via);
    }

    // Coordinates: from the address of the map page that the program opens.
    OpenMapForReadBack();
    {
        CLogiMapDialog map = MapDialog();
        MapDialogHandles handles{};
        int code = map.FindMapDialog(handles);
        if (Hung()) return kHung;
        if (code == kOk) {
            if (!HideMapDialog(handles.dialog)) return kHung;
            code = map.ReadMapUrlPositions(oleacc, handles.dialog, handles.browser, &o.origin, &o.destination,
                                           &o.via[0], &o.via[1], &o.via[2]);
            if (Hung()) return kHung;
        }
        // Closed on failure too: a dialog left behind would be found by the next
        // request and show it this order's places.
        if (!IsNull(handles.dialog)) desktop_.Send(handles.dialog, msg::WM_SYSCOMMAND, msg::SC_CLOSE, 0);
        if (code != kOk) return code;
    }

    const std::u16string payType = desktop_.SendGetText(c_.payCombo, 1024);
    if (Hung()) return kHung;
    if (payType.empty()) return code::kPaymentComboMismatch;
    if (payType == u"현금") {
        o.payType = 1;
    } else if (payType == u"후불") {
        o.payType = 3;
    } else {
        message = payType;
        return code::kPaymentNotSupported;
    }

    const AmountRead fare = ReadAmountInto(desktop_, c_.fareEdit, o.fare);
    if (Hung()) return kHung;
    if (fare.shown.empty()) return code::kFareEmpty;
    if (fare.value < 0) {
        message = fare.shown;
        return code::kFareMismatch;
    }

    struct Amount {
        Hwnd box;
        char16_t* field;
        std::size_t units;
        int code;
    };
    const Amount amounts[] = {
        {c_.cashEdit, o.cashAmount, std::size(o.cashAmount), code::kCashMismatch},
        {c_.postpaidEdit, o.postpaidAmount, std::size(o.postpaidAmount), code::kPostpaidNegative},
        {c_.mileageEdit, o.mileageAmount, std::size(o.mileageAmount), code::kMileageRefused},
        {c_.cardEdit, o.cardAmount, std::size(o.cardAmount), code::kCardNegative},
    };
    int positives = 0;
    for (const Amount& amount : amounts) {
        const AmountRead read = ReadAmountInto(desktop_, amount.box, amount.field, amount.units);
        if (Hung()) return kHung;
        if (read.shown.empty()) continue;
        if (read.value < 0) {
            message = read.shown;
            return amount.code;
        }
        if (read.value > 0) ++positives;
    }
    if (positives > 1) o.payType = 0;

    o.consignment = (desktop_.Send(c_.consignButton, msg::BM_GETCHECK, 0, 0) & 1) != 0 ? 1 : 0;
    if (Hung()) return kHung;

    if (ReadLines(desktop_, c_.driverMemoEdit, raw) > 0) WriteField(o.driverMemo, Trim(raw));
    if (Hung()) return kHung;
    if (ReadLines(desktop_, c_.memo2Edit, raw) > 0) WriteField(o.memo2, Trim(raw));
    if (Hung()) return kHung;
    if (!WindowExists(desktop_, c_.entryWindow)) return ReadWindowGone(message);
    return kOk;
}

}  // namespace qm::logi
