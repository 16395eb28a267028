// Icon2013 order read-back: what an order window shows, copied into the order,
// with every place's position from the map search dialog.
#include <array>
#include <memory>
#include <string>

#include "adapters/icon2013/icon2013.h"
#include "callport/text.h"
#include "callport/windows.h"
#include "core/result_codes.h"
#include "core/utf.h"
#include "platform/messages.h"

namespace qm {

namespace code = result::icon2013;

namespace {

constexpr int kHung = result::kNotResponding;
constexpr int kOk = result::kSuccess;

}  // namespace

int CCallPortIcon2013::ReadOrder(Module oleacc, const char16_t* readScript, OrderRecord* order,
                                 std::u16string& message) {
    if (int code = BringMainWindowForward(); code != kOk) return code;
    c_ = {};
    if (!ScanOrderWindows(false)) return Hung() ? kHung : result::kOrderWindowNotFound;
    const int code = FindControls();
    if (Hung()) return kHung;
    if (code != kOk) return code;
    return ReadOrderWindow(oleacc, readScript, order, message);
}

int CCallPortIcon2013::ReadOrderWindow(Module oleacc, const char16_t* readScript, OrderRecord* order,
                                       std::u16string& message) {
    OrderRecord& o = *order;
    o.adapterKind = adapter::kIcon2013;
    o.oleaccLoaded = oleacc != kNoModule ? 1 : 0;

    // Branch: "<name> (<number>)", the name perhaps with "접수창" in it.
    std::u16string raw = Read(c_.branchCombo);
    if (Hung()) return kHung;
    if (raw.empty()) return code::kBranchNotSelected;
    if (const std::optional<BranchShown> branch = SplitBranchDisplay(raw, kIcon2013BranchDisplay)) {
        WriteField(o.branchNumber, branch->number);
        WriteField(o.branchName, branch->name);
    } else {
        message = raw;
        return code::kBranchTextMalformed;
    }

    raw = Read(c_.phoneEdit);
    if (Hung()) return kHung;
    if (raw.empty()) return code::kCustomerNotShown;
    WriteField(o.customerPhone, Remove(Trim(raw), u'-'));
    raw = Trim(Read(c_.phone2Edit));
    if (Hung()) return kHung;
    // A number the customer keeps private is shown as "공개번호".
    WriteField(o.customerPhone2, Contains(raw, u"공개번호") ? std::u16string() : Remove(raw, u'-'));

    if (int c = ReadPlaceBox(desktop, kBoxUnits, c_.originEdit, o.origin, code::kOriginEmpty); c != kOk) return c;
    if (int c = ReadPlaceBox(desktop, kBoxUnits, c_.destEdit, o.destination, code::kDestinationEmpty); c != kOk)
        return c;
    int vias = 0;
    if (HasViaMarker(ReadField(o.origin.fullText))) {
        if (int c = ReadViaBoxes(desktop, kBoxUnits, c_.viaEdit, c_.viaDetailEdit, o.via, ViaDetail::BeforeLenticular,
                                 vias);
            c != kOk)
            return c;
    }

    if (int c = ReadMapPositions(oleacc, readScript, o, vias); c != kOk) return c;

    raw = Read(c_.payCombo);
    if (Hung()) return kHung;
    if (raw.empty()) return code::kPaymentComboEmpty;
    if (raw == u"현금") o.payType = 1;
    else if (raw == u"후불") o.payType = 3;
    else if (raw == u"마일리지") o.payType = 4;
    else if (raw == u"카드결제") o.payType = 2;
    else {
        message = raw;
        return code::kPaymentNotSupported;
    }

    const AmountRead fare = ReadAmountInto(desktop, c_.fareEdit, o.fare);
    if (Hung()) return kHung;
    if (fare.shown.empty()) return code::kFareEmpty;
    if (fare.value < 0) {
        message = fare.shown;
        return code::kFareMismatch;
    }

    // The paid amount of a card, postpaid or mileage payment; the rest of the
    // fare is paid in cash.
    std::int64_t paid = 0;
    if (o.payType != 1) {
        char16_t* field = o.payType == 2 ? o.cardAmount : o.payType == 3 ? o.postpaidAmount : o.mileageAmount;
        const int negative = o.payType == 2   ? code::kCardNegative
                             : o.payType == 3 ? code::kPostpaidNegative
                                              : code::kMileageNegative;
        const AmountRead read = ReadAmountInto(desktop, c_.payAmountEdit, field, std::size(o.cardAmount));
        if (Hung()) return kHung;
        // An empty box is an empty amount of 0.
        if (read.shown.empty()) WriteField(field, std::size(o.cardAmount), u"");
        if (read.value < 0) {
            message = read.shown;
            return negative;
        }
        paid = read.value;
    }
    if (fare.value - paid > 0) {
        WriteField(o.cashAmount, Utf8ToUtf16(std::to_string(fare.value - paid)));
        if (o.payType != 1) o.payType = 0;
    }

    o.consignment = HasConsignmentMarker(ReadField(o.origin.fullText)) ? 1 : 0;
    raw = Read(c_.driverMemoEdit);
    if (!raw.empty()) WriteField(o.driverMemo, Trim(raw));
    raw = Read(c_.memo2Edit);
    if (!raw.empty()) WriteField(o.memo2, Trim(raw));
    if (Hung()) return kHung;
    if (!WindowExists(desktop, c_.orderDialog)) return ReadWindowGone(message);
    return kOk;
}

int CCallPortIcon2013::ReadMapPositions(Module oleacc, const char16_t* readScript, OrderRecord& o, int vias) {
    SendClick(desktop, c_.originMapButton, false);
    MapDialogHandles map{};
    if (int c = FindMapDialog(map); c != kOk) return Hung() ? kHung : c;
    desktop.ShowWindow(map.dialog, msg::SW_HIDE);
    if (int c = ReadMapPosition(oleacc, readScript, map.dialog, map.browser, o.origin); c != kOk) return c;

    // The same dialog shows each further place once its map button is pressed.
    struct Next {
        Hwnd button;
        PlaceRecord* place;
    };
    const Next next[] = {{c_.destMapButton, &o.destination},
                         {c_.viaMapButton[0], &o.via[0]},
                         {c_.viaMapButton[1], &o.via[1]},
                         {c_.viaMapButton[2], &o.via[2]}};
    for (int i = 0; i < 1 + vias; ++i) {
        SendClick(desktop, next[i].button, false);
        desktop.ShowWindow(map.dialog, msg::SW_HIDE);
        Pause(profile->shortSettle);
        if (int c = ReadMapPosition(oleacc, readScript, map.dialog, map.browser, *next[i].place); c != kOk) return c;
    }
    desktop.Send(map.dialog, msg::WM_SYSCOMMAND, msg::SC_CLOSE, 0);
    return Hung() ? kHung : kOk;
}

int CCallPortIcon2013::ReadMapPosition(Module oleacc, const char16_t* readScript, Hwnd dialog, Hwnd browser,
                                       PlaceRecord& place) {
    // Hiding the dialog may just have found Icon2013 not answering: its page
    // is then asked nothing (a call into it would not come back).
    if (Hung()) return kHung;
    std::shared_ptr<PageDocument> document;
    if (int c = GetMapDocument(oleacc, dialog, browser, document); c != kOk) return c;
    if (!document) return result::kNoDocument;
    return RunPositionScript(*document, readScript, place);
}

int CCallPortIcon2013::SetMapPosition(Module oleacc, const char16_t* pointScript, Hook hook, const PlaceRecord& place,
                                      const MapDialogHandles& map, Hwnd setButton, Hwnd placeBox) {
    if (Hung()) return kHung;
    {
        std::shared_ptr<PageDocument> document;
        if (int c = GetMapDocument(oleacc, map.dialog, map.browser, document); c != kOk) return c;
        if (!document) return result::kNoDocument;
        ScriptInputs inputs;
        inputs.x = place.x;
        inputs.y = place.y;
        inputs.text = hook == Hook::Start ? kStartHook : kEndHook;
        if (int c = RunPlacementScript(*document, pointScript, 513, ScriptArguments::TwoDoublesAndText, inputs);
            c != kOk)
            return c;
    }  // every page object is let go before Icon2013 is asked to act
    // Taking the point rewrites a box beside the place box; what it held is put back.
    const Hwnd kept = After(desktop, placeBox, hook == Hook::Start ? 1 : 3);
    const std::u16string keptText = desktop.SendGetText(kept, 513);
    Pause(profile->mapSettle);
    SendClick(desktop, setButton, false);
    Pause(profile->shortSettle);
    SendCommandToParent(desktop, setButton);
    Pause(profile->shortSettle);
    if (!keptText.empty()) desktop.SendSetText(kept, keptText);
    return Hung() ? kHung : kOk;
}

}  // namespace qm
