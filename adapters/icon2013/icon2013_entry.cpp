// Icon2013 order entry: a fresh order window filled box by box, the customer
// found by its telephone, places set on the map dialog, each echo checked, read
// back, then finished as asked. A failed check closes the window with
// "닫기(X)", except a map dialog that never came, which leaves it open.
#include <cstring>
#include <iterator>

#include "adapters/icon2013/icon2013.h"
#include "callport/text.h"
#include "callport/windows.h"
#include "core/result_codes.h"
#include "platform/messages.h"

namespace qm {

namespace code = result::icon2013;

namespace {

constexpr int kHung = result::kNotResponding;
constexpr int kOk = result::kSuccess;

// Icon2013 answers a card payment with a card-selection window; it is closed.
const MessageBoxRule kCardSelection{
    .title = u"카드결제", .mustHave = {{{u"Static", {u"카드선택"}}}}, .button = {}, .press = Press::SysClose};

// The payment combo lists "현금", "후불", "마일리지", "카드결제" in this order;
// the item of each payment type (0 mixed, 1 cash, 2 card, 3 postpaid, 4 mileage),
// any other type taking the first.
constexpr int kPayComboItem[] = {0, 0, 3, 1, 2};
int PayComboIndex(int payType) {
    return payType >= 0 && payType < static_cast<int>(std::size(kPayComboItem)) ? kPayComboItem[payType] : 0;
}

}  // namespace

bool CCallPortIcon2013::NeedsRealInput(bool entry, const OrderRecord& order) {
    return entry && !ReadField(order.via[0].fullText).empty() && !ReadField(order.via[1].fullText).empty();
}

std::u16string CCallPortIcon2013::Read(Hwnd box) { return desktop.SendGetText(box, kBoxUnits); }

void CCallPortIcon2013::PostToDialog(Hwnd button) {
    if (IsNull(c_.orderDialog) || IsNull(button)) return;
    PostCommand(desktop, c_.orderDialog, button);
}

int CCallPortIcon2013::Close(int code) {
    if (!IsNull(c_.orderDialog) && !IsNull(c_.closeButton) && IsNull(abandoned_.window))
        abandoned_ = AbandonedWindow(desktop, c_.orderDialog);
    PostToDialog(c_.closeButton);
    return code;
}

void CCallPortIcon2013::NotifyChange(Hwnd box) {
    desktop.Send(c_.orderDialog, msg::WM_COMMAND, msg::MakeWParam(desktop.GetDlgCtrlID(box), msg::EN_CHANGE),
                 AsLParam(box));
}

bool CCallPortIcon2013::SelectBranch(Hwnd parent, Hwnd combo, std::u16string_view name, std::u16string_view number) {
    desktop.Send(combo, msg::WM_SETFOCUS, 0, 0);
    const std::intptr_t count = desktop.Send(combo, msg::CB_GETCOUNT, 0, 0);
    // An item is "<name> (<number>)"; the number matches without its hyphens,
    // the name decides between items of the same number. An empty number or
    // name is in every item.
    auto holds = [](std::u16string_view text, std::u16string_view part) { return part.empty() || Contains(text, part); };
    int chosen = -1;
    for (int i = 0; i < count && i < 0xFFFF; ++i) {
        if (Hung()) return false;
        const std::u16string item = desktop.SendGetComboItem(combo, i).value_or(u"");
        const int open = ReverseFind(item, u'(');
        if (open <= 0) continue;
        if (!holds(Remove(Mid(item, open + 1), u'-'), number)) continue;
        if (chosen < 0) chosen = i;
        if (holds(item, name)) {
            chosen = i;
            break;
        }
    }
    if (chosen < 0) return false;
    desktop.Send(combo, msg::CB_SETCURSEL, static_cast<std::uintptr_t>(chosen), 0);
    desktop.Send(parent, msg::WM_COMMAND, msg::MakeWParam(desktop.GetDlgCtrlID(combo), msg::CBN_SELCHANGE),
                 AsLParam(combo));
    return true;
}

void CCallPortIcon2013::TypeAndConfirm(Hwnd box, const std::u16string& text) {
    desktop.Send(box, msg::WM_SETFOCUS, 0, 0);
    TypeText(box, text);
    Pause(profile->shortSettle);
    desktop.Send(box, msg::WM_KEYDOWN, msg::VK_RETURN, 0);
    desktop.Send(box, msg::WM_KEYUP, msg::VK_RETURN, 0);
    Pause(profile->shortSettle);
    desktop.Send(box, msg::WM_KILLFOCUS, 0, 0);
}

void CCallPortIcon2013::SetAndEnter(Hwnd box, const std::u16string& text) {
    desktop.SendSetText(box, text);
    Pause(profile->shortSettle);
    desktop.Send(box, msg::WM_KEYDOWN, msg::VK_RETURN, 0);
    desktop.Send(box, msg::WM_KEYUP, msg::VK_RETURN, 0);
    Pause(profile->shortSettle);
}

int CCallPortIcon2013::EnterCustomer(const OrderRecord& order, std::u16string& message) {
    const std::u16string phone(ReadField(order.customerPhone));
    desktop.SendSetText(c_.customerSearchEdit, phone);
    Pause(profile->shortSettle);
    PostUnlessNotResponding(desktop, c_.customerSearchEdit, msg::WM_KEYDOWN, msg::VK_RETURN, 0);
    PostUnlessNotResponding(desktop, c_.customerSearchEdit, msg::WM_KEYUP, msg::VK_RETURN, 0);
    Pause(profile->shortSettle);

    const std::u16string shown = Read(c_.phoneEdit);
    if (Hung()) return kHung;
    if (shown.empty()) return Close(code::kCustomerNotShown);
    if (Remove(shown, u'-') != phone) {
        message = SourceAndShown(phone, Remove(shown, u'-'));
        return Close(code::kCustomerNotShown);
    }

    const std::u16string phone2(ReadField(order.customerPhone2));
    if (!phone2.empty()) {
        TypeAndConfirm(c_.phone2Edit, phone2);
        Pause(profile->shortSettle);
        const std::u16string shown2 = Read(c_.phone2Edit);
        if (Hung()) return kHung;
        if (shown2.empty()) return Close(code::kSecondPhoneMismatch);
        if (Remove(shown2, u'-') != phone2) {
            message = shown2;
            return Close(code::kSecondPhoneMismatch);
        }
    }
    return kOk;
}

int CCallPortIcon2013::EnterPlaces(const OrderRecord& order) {
    auto emptyBox = [&](Hwnd box) { return desktop.Send(box, msg::WM_GETTEXTLENGTH, 0, 0) <= 0; };

    desktop.Send(c_.originEdit, msg::WM_SETFOCUS, 0, 0);
    TypeAndConfirm(c_.originEdit, std::u16string(ReadField(order.origin.name)));
    // A blank after the origin makes Icon2013 look the place up.
    desktop.Send(c_.originEdit, msg::WM_CHAR, u' ', 0);
    NotifyChange(c_.originEdit);
    desktop.Send(c_.originEdit, msg::WM_KILLFOCUS, 0, 0);
    Pause(profile->actionSettle);
    const bool originEmpty = emptyBox(c_.originEdit);
    if (Hung()) return kHung;
    if (originEmpty) return Close(code::kOriginNotTaken);

    desktop.Send(c_.destEdit, msg::WM_SETFOCUS, 0, 0);
    TypeAndConfirm(c_.destEdit, std::u16string(ReadField(order.destination.name)));
    NotifyChange(c_.destEdit);
    desktop.Send(c_.destEdit, msg::WM_KILLFOCUS, 0, 0);
    Pause(profile->actionSettle);
    const bool destinationEmpty = emptyBox(c_.destEdit);
    if (Hung()) return kHung;
    if (destinationEmpty) return Close(code::kDestinationNotTaken);

    // Each via point only after the one before it; the second and third need a
    // new row first.
    for (int i = 0; i < 3; ++i) {
        if (ReadField(order.via[i].fullText).empty()) break;
        if (i > 0) {
            PostCommandAndMouseClick(desktop, c_.orderDialog, c_.addViaButton);
            Pause(profile->shortSettle);
        }
        desktop.Send(c_.viaDetailEdit[i], msg::WM_SETFOCUS, 0, 0);
        TypeAndConfirm(c_.viaEdit[i], std::u16string(ReadField(order.via[i].name)));
        NotifyChange(c_.viaEdit[i]);
        desktop.Send(c_.viaEdit[i], msg::WM_KILLFOCUS, 0, 0);
        Pause(profile->actionSettle);
        if (Hung()) return kHung;
    }
    return kOk;
}

int CCallPortIcon2013::EnterMapPositions(Module oleacc, const char16_t* pointScript, const OrderRecord& order) {
    SendClick(desktop, c_.originMapButton, false);
    MapDialogHandles map{};
    int code = FindMapDialog(map);
    if (Hung()) return kHung;
    if (code != kOk) return code;  // the order window stays open
    desktop.ShowWindow(map.dialog, msg::SW_SHOWMINIMIZED);
    Pause(profile->actionSettle);
    code = SetMapPosition(oleacc, pointScript, Hook::Start, order.origin, map, map.originButton, c_.originEdit);
    if (code == kOk && !Hung()) {
        Pause(profile->shortSettle);
        code = SetMapPosition(oleacc, pointScript, Hook::End, order.destination, map, map.destButton, c_.destEdit);
    }
    if (Hung()) return kHung;
    desktop.ShowWindow(map.dialog, msg::SW_RESTORE);
    desktop.Send(map.dialog, msg::WM_SYSCOMMAND, msg::SC_CLOSE, 0);
    if (code != kOk) return Close(code);
    return Hung() ? kHung : kOk;
}

int CCallPortIcon2013::EnterPayment(const OrderRecord& order, std::u16string& message) {
    if (order.consignment != 0) {
        PostClick(desktop, c_.consignButton);
        Pause(profile->shortSettle);
    }

    int payType = order.payType;
    if (payType == 0) {
        // A mixed payment is entered as the type of its first positive amount.
        if (IsPositive(ReadField(order.postpaidAmount))) payType = 3;
        else if (IsPositive(ReadField(order.mileageAmount))) payType = 4;
        else if (IsPositive(ReadField(order.cardAmount))) payType = 2;
        else return Close(code::kMixedWithoutAmounts);
    }
    desktop.Send(c_.payCombo, msg::WM_SETFOCUS, 0, 0);
    desktop.Send(c_.payCombo, msg::CB_SETCURSEL, static_cast<std::uintptr_t>(PayComboIndex(payType)), 0);
    desktop.Send(c_.orderDialog, msg::WM_COMMAND,
                 msg::MakeWParam(desktop.GetDlgCtrlID(c_.payCombo), msg::CBN_SELCHANGE), AsLParam(c_.payCombo));
    if (payType == 2) AnswerMessageBoxes(desktop, kCardSelection);
    if (Hung()) return kHung;

    const std::u16string_view fare = ReadField(order.fare);
    SetAndEnter(c_.fareEdit, std::u16string(fare));
    const std::u16string shown = Read(c_.fareEdit);
    if (Hung()) return kHung;
    if (shown.empty()) {
        message.clear();
        return Close(code::kFareMismatch);
    }
    if (Remove(Trim(shown), u',') != fare) {
        message = shown;
        return Close(code::kFareMismatch);
    }

    // The paid amount of a card, postpaid or mileage payment; not read back.
    const char16_t* amount = payType == 2   ? order.cardAmount
                             : payType == 3 ? order.postpaidAmount
                             : payType == 4 ? order.mileageAmount
                                            : nullptr;
    if (amount != nullptr) {
        const std::size_t units = payType == 2 ? std::size(order.cardAmount)
                                  : payType == 3 ? std::size(order.postpaidAmount)
                                                 : std::size(order.mileageAmount);
        SetAndEnter(c_.payAmountEdit, std::u16string(ReadField(amount, units)));
    }
    return Hung() ? kHung : kOk;
}

void CCallPortIcon2013::EnterMemos(const OrderRecord& order) {
    const std::u16string memo = Trim(ReadField(order.driverMemo));
    if (!memo.empty()) {
        const std::u16string old = Read(c_.driverMemoEdit);
        if (old.empty()) {
            SetAndEnter(c_.driverMemoEdit, memo);
        } else if (!Contains(old, memo)) {
            // The memo Icon2013 already holds stays; the new one goes after it.
            SetAndEnter(c_.driverMemoEdit, old + u", " + memo);
        }
    }
    const std::u16string memo2 = Trim(ReadField(order.memo2));
    if (!memo2.empty()) {
        TypeAndConfirm(c_.memo2Edit, memo2);
        Pause(profile->shortSettle);
    }
}

int CCallPortIcon2013::EnterOrder(Module oleacc, const char16_t* readScript, const char16_t* pointScript,
                                  OrderRecord* order, int requireBranch, std::u16string& message, int finishAction) {
    abandoned_ = {};
    const int code = Enter(oleacc, readScript, pointScript, order, requireBranch, message, finishAction);
    ConfirmAbandoned(desktop, abandoned_, profile->saveWait, message);
    return code;
}

int CCallPortIcon2013::Enter(Module oleacc, const char16_t* readScript, const char16_t* pointScript,
                             OrderRecord* order, int requireBranch, std::u16string& message, int finishAction) {
    c_ = {};
    int code = OpenNewOrderWindow();
    if (code != kOk) return code;
    code = FindControls();
    if (Hung()) return kHung;
    if (code != kOk) return Close(code);

    const bool selected = SelectBranch(c_.orderDialog, c_.branchCombo, ReadField(order->branchName),
                                       ReadField(order->branchNumber));
    if (Hung()) return kHung;
    if (!selected && requireBranch != 0) return Close(code::kBranchNotSelected);

    if ((code = EnterCustomer(*order, message)) != kOk) return code;
    if ((code = EnterPlaces(*order)) != kOk) return code;
    if ((code = EnterMapPositions(oleacc, pointScript, *order)) != kOk) return code;
    if ((code = EnterPayment(*order, message)) != kOk) return code;
    EnterMemos(*order);
    if (Hung()) return kHung;

    // The block returns what Icon2013 holds; the read-back's own result does
    // not decide the entry's.
    std::memset(order, 0, sizeof(OrderRecord));
    ReadOrderWindow(oleacc, readScript, order, message);
    if (Hung()) return kHung;

    Hwnd finish{};
    switch (finishAction) {
        case 1: finish = c_.closeButton; break;
        case 2: finish = c_.registerButton; break;
        case 3: finish = c_.holdButton; break;
        case 4: finish = c_.inquiryButton; break;
        default: break;  // left open as it is
    }
    // The press could not be handed over when the order window was gone.
    if (!IsNull(c_.orderDialog) && !IsNull(finish) && !PostCommand(desktop, c_.orderDialog, finish) && !Hung())
        return FinishingWindowGone(message);
    return Hung() ? kHung : kOk;
}

}  // namespace qm
