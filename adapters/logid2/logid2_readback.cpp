// LogiD2 order read-back: what an entry window shows, copied into the order.
#include "adapters/logid2/logid2.h"
#include "app/result_codes.h"
#include "callport/text.h"
#include "callport/windows.h"
#include "platform/messages.h"

namespace qm {

namespace code = result::logid2;

namespace {
constexpr int kHung = result::kNotResponding;
constexpr int kOk = result::kSuccess;
}  // namespace

int CCallPortLogiD2::ReadOrder(Module oleacc, const char16_t* readScript, OrderRecord* order,
                               std::u16string& message) {
    c_ = {};
    int code = FindOpenEntryWindow();
    if (code != kOk) return code;
    code = FindControls();
    if (Hung()) return kHung;
    if (code != kOk) return code;
    return ReadOrderWindow(oleacc, readScript, order, message);
}

int CCallPortLogiD2::ReadOrderWindow(Module oleacc, const char16_t* /*readScript*/, OrderRecord* order,
                                     std::u16string& message) {
    OrderRecord& o = *order;
    o.adapterKind = adapter::kLogiD2;
    o.oleaccLoaded = oleacc != kNoModule ? 1 : 0;

    // Branch: "<head office> > <branch name> (<number>)".
    std::u16string raw;
    int read = ReadLines(desktop, c_.branchDisplay, raw);
    if (Hung()) return kHung;
    if (read <= 0) return code::kBranchNotShown;
    {
        const std::u16string text = Remove(Trim(raw), u'-');
        const int open = ReverseFind(text, u'(');
        const int close = ReverseFind(text, u')');
        if (!(open >= 0 && close > open)) {
            message = raw;
            return code::kBranchDisplayMalformed;
        }
        WriteField(o.branchNumber, Trim(Mid(text, open + 1, close - open - 1)));
        std::u16string head = Trim(Left(text, open));
        const int arrow = ReverseFind(head, u'>');
        if (arrow >= 0) head = Mid(head, arrow + 1);
        WriteField(o.branchName, Trim(head));
    }

    read = ReadLines(desktop, c_.phoneDisplay, raw);
    if (Hung()) return kHung;
    if (read <= 0) return code::kCustomerNotShown;
    WriteField(o.customerPhone, Remove(Trim(raw), u'-'));

    ReadLines(desktop, c_.phone2Edit, raw);
    if (Hung()) return kHung;
    WriteField(o.customerPhone2, Remove(Trim(raw), u'-'));

    read = ReadLines(desktop, c_.originEdit, raw);
    if (Hung()) return kHung;
    if (read <= 0) return code::kOriginEmpty;
    WriteField(o.origin.fullText, Trim(raw));
    CopyBracketedText(raw.c_str(), &o.origin);

    read = ReadLines(desktop, c_.destEdit, raw);
    if (Hung()) return kHung;
    if (read <= 0) return code::kDestinationEmpty;
    WriteField(o.destination.fullText, Trim(raw));
    CopyBracketedText(raw.c_str(), &o.destination);

    for (int i = 0; i < 3; ++i) {
        read = ReadLines(desktop, c_.viaEdit[i], raw);
        if (Hung()) return kHung;
        if (read <= 0) break;
        const std::u16string via = Trim(raw);
        WriteField(o.via[i].fullText, via);
        WriteField(o.via[i].name, via);
    }

    // Coordinates: from the address of the map page that LogiD2 opens.
    desktop.Send(c_.entryWindow, msg::WM_COMMAND, kMapCommand, 0);
    {
        CLogiMapDialog map = MapDialog();
        MapDialogHandles handles{};
        int code = map.FindMapDialog(handles);
        if (Hung()) return kHung;
        if (code == kOk) {
            desktop.ShowWindow(handles.dialog, msg::SW_HIDE);
            code = map.ReadMapUrlPositions(oleacc, handles.dialog, handles.browser, &o.origin, &o.destination,
                                           &o.via[0], &o.via[1], &o.via[2]);
            if (Hung()) return kHung;
        }
        // Closed on failure too: a dialog left behind would be found by the next
        // request and show it this order's places.
        if (!IsNull(handles.dialog)) desktop.Send(handles.dialog, msg::WM_SYSCOMMAND, msg::SC_CLOSE, 0);
        if (code != kOk) return code;
    }

    const std::u16string payType = desktop.SendGetText(c_.payCombo, 1024);
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

    const AmountRead fare = ReadAmountInto(desktop, c_.fareEdit, o.fare);
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
        const AmountRead read = ReadAmountInto(desktop, amount.box, amount.field, amount.units);
        if (Hung()) return kHung;
        if (read.shown.empty()) continue;
        if (read.value < 0) {
            message = read.shown;
            return amount.code;
        }
        if (read.value > 0) ++positives;
    }
    if (positives > 1) o.payType = 0;

    o.consignment = (desktop.Send(c_.consignButton, msg::BM_GETCHECK, 0, 0) & 1) != 0 ? 1 : 0;
    if (Hung()) return kHung;

    if (ReadLines(desktop, c_.driverMemoEdit, raw) > 0) WriteField(o.driverMemo, Trim(raw));
    if (Hung()) return kHung;
    if (ReadLines(desktop, c_.memo2Edit, raw) > 0) WriteField(o.memo2, Trim(raw));
    if (Hung()) return kHung;
    return kOk;
}

}  // namespace qm
