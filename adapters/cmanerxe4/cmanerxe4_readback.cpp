// CManerXE4 order read-back: what an entry window shows, copied into the order,
// with every place's position from CManerXE4's two map windows.
#include <array>
#include <memory>

#include "adapters/cmanerxe4/cmanerxe4.h"
#include "callport/text.h"
#include "callport/wait.h"
#include "callport/windows.h"
#include "core/result_codes.h"
#include "platform/messages.h"

namespace qm {

namespace code = result::cmanerxe4;

namespace {

constexpr int kHung = result::kNotResponding;
constexpr int kOk = result::kSuccess;

}  // namespace

int CCallPortCManerXE4::ReadOrder(Module oleacc, const char16_t* readScript, OrderRecord* order,
                                  std::u16string& message) {
    if (int code = BringMainWindowForward(); code != kOk) return code;
    c_ = {};
    if (!FindOpenEntryWindow()) return Hung() ? kHung : result::kOrderWindowNotFound;
    const int code = FindControls();
    if (Hung()) return kHung;
    if (code != kOk) return code;
    return ReadEntryWindow(oleacc, readScript, order, message);
}

int CCallPortCManerXE4::ReadEntryWindow(Module oleacc, const char16_t* readScript, OrderRecord* order,
                                        std::u16string& message) {
    OrderRecord& o = *order;
    o.adapterKind = adapter::kCManerXE4;
    o.oleaccLoaded = oleacc != kNoModule ? 1 : 0;

    // Branch: "<name> [<number>]".
    std::u16string raw = Read(c_.branchDisplay);
    if (Hung()) return kHung;
    if (raw.empty()) return code::kBranchNotShown;
    if (const std::optional<BranchShown> branch = SplitBranchDisplay(raw, kCManerXE4BranchDisplay)) {
        WriteField(o.branchName, branch->name);
        WriteField(o.branchNumber, branch->number);
    } else {
        message = raw;
        return code::kBranchNotShown;
    }

    raw = Read(c_.phoneEdit);
    if (Hung()) return kHung;
    if (raw.empty()) return code::kCustomerNotShown;
    WriteField(o.customerPhone, Remove(Trim(raw), u'-'));
    raw = Read(c_.phone2Edit);
    if (Hung()) return kHung;
    WriteField(o.customerPhone2, Remove(Trim(raw), u'-'));

    if (int c = ReadPlaceBox(desktop, kBoxUnits, c_.originEdit, o.origin, code::kOriginEmpty); c != kOk) return c;
    if (int c = ReadPlaceBox(desktop, kBoxUnits, c_.destEdit, o.destination, code::kDestinationEmpty); c != kOk)
        return c;
    const bool hasVia = HasViaMarker(ReadField(o.origin.fullText));
    int vias = 0;
    if (hasVia) {
        if (int c = ReadViaBoxes(desktop, kBoxUnits, c_.viaEdit, c_.viaDetailEdit, o.via, ViaDetail::Whole, vias);
            c != kOk)
            return c;
    }

    if (int c = ReadPlacePosition(oleacc, readScript, Place::Origin, o.origin); c != kOk) return c;
    if (int c = ReadPlacePosition(oleacc, readScript, Place::Destination, o.destination); c != kOk) return c;
    if (hasVia) {
        // A via point whose map fails ends the via lookups, not the read-back.
        for (int i = 0; i < 3 && !ReadField(o.via[i].fullText).empty(); ++i) {
            if (ReadViaPosition(oleacc, c_.viaEdit[i], o.via[i]) != kOk) break;
        }
        if (Hung()) return kHung;
    }

    raw = Read(c_.payCombo);
    if (Hung()) return kHung;
    if (raw.empty()) return code::kPaymentMismatch;
    o.payType = raw == u"현금" ? 1 : raw == u"후불(마일)" ? 4 : raw == u"복합" ? 0 : 3;

    const AmountRead fare = ReadAmountInto(desktop, c_.fareEdit, o.fare);
    if (Hung()) return kHung;
    if (fare.shown.empty()) return code::kFareMismatch;
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
        {c_.cashEdit, o.cashAmount, std::size(o.cashAmount), code::kCashNegative},
        {c_.postpaidEdit, o.postpaidAmount, std::size(o.postpaidAmount), code::kPostpaidMismatch},
        {c_.mileageEdit, o.mileageAmount, std::size(o.mileageAmount), code::kMileageMismatch},
        {c_.cardEdit, o.cardAmount, std::size(o.cardAmount), code::kCardNegative},
    };
    for (const Amount& amount : amounts) {
        const AmountRead read = ReadAmountInto(desktop, amount.box, amount.field, amount.units);
        if (Hung()) return kHung;
        if (read.shown.empty()) continue;
        if (read.value < 0) {
            message = read.shown;
            return amount.code;
        }
    }
    // One payment type carries the whole fare.
    const std::u16string whole(ReadField(o.fare));
    switch (o.payType) {
        case 1:
            WriteField(o.cashAmount, whole);
            WriteField(o.postpaidAmount, u"0");
            WriteField(o.mileageAmount, u"0");
            break;
        case 3:
            WriteField(o.cashAmount, u"0");
            WriteField(o.postpaidAmount, whole);
            WriteField(o.mileageAmount, u"0");
            break;
        case 4:
            WriteField(o.cashAmount, u"0");
            WriteField(o.postpaidAmount, u"0");
            WriteField(o.mileageAmount, whole);
            break;
        default: break;
    }
    o.consignment = HasConsignmentMarker(ReadField(o.origin.fullText)) ? 1 : 0;

    raw = Read(c_.driverMemoEdit);
    if (!raw.empty()) WriteField(o.driverMemo, Trim(raw));
    raw = Read(c_.memo2Edit);
    if (!raw.empty()) WriteField(o.memo2, Trim(raw));
    if (Hung()) return kHung;
    if (!WindowExists(desktop, c_.entryWindow)) return ReadWindowGone(message);
    return kOk;
}

int CCallPortCManerXE4::WaitMapWindow(const char16_t* className, const char16_t* caption, Hwnd& window,
                                      Hwnd& browser) {
    const bool found = SleepThenProbe(desktop, profile->mapWait, [&] {
        for (Hwnd candidate : CollectTopLevel(desktop, className, caption)) {
            browser = FindBrowser(desktop, candidate);
            if (IsNull(browser)) continue;
            window = candidate;
            return true;
        }
        return false;
    });
    if (Hung()) return kHung;
    return found ? kOk : result::kMapBrowserNotFound;
}

int CCallPortCManerXE4::ReadPlacePosition(Module oleacc, const char16_t* readScript, Place which,
                                          PlaceRecord& place) {
    // The map button stands beside the place box: after the label "콜無" in the
    // origin box's parent, before the label "도착" in the destination box's.
    const bool origin = which == Place::Origin;
    const Hwnd box = origin ? c_.originEdit : c_.destEdit;
    const Hwnd label =
        DirectChild(desktop, IsNull(box) ? kNoWindow : desktop.GetParent(box), u"TcxLabel", origin ? u"콜無" : u"도착");
    if (IsNull(label)) return result::kMapDialogNotFound;
    const Hwnd button = origin ? After(desktop, label, 1) : Before(desktop, label, 1);
    if (IsNull(button) || desktop.GetClassName(button, kNameChars) != u"TAdvGlowButton")
        return result::kMapDialogNotFound;
    SendClick(desktop, button, false);

    Hwnd map{}, browser{};
    if (int c = WaitMapWindow(kConsultMapClass, kConsultMapCaption, map, browser); c != kOk) return c;
    {
        std::shared_ptr<PageDocument> document;
        if (int c = GetMapDocument(oleacc, map, browser, document); c != kOk) return c;
        if (!document) return result::kNoDocument;
        if (int c = RunPositionScript(*document, readScript, place); c != kOk) return c;
    }  // the page is let go before the window closes
    desktop.Send(map, msg::WM_SYSCOMMAND, msg::SC_CLOSE, 0);
    return Hung() ? kHung : kOk;
}

int CCallPortCManerXE4::ReadViaPosition(Module oleacc, Hwnd viaBox, PlaceRecord& place) {
    // A click into the via box and Space open its via map.
    const std::intptr_t point = ClickPointLParam(desktop, viaBox);
    desktop.Send(viaBox, msg::WM_SETFOCUS, 0, 0);
    desktop.Send(viaBox, msg::WM_LBUTTONDOWN, msg::MK_LBUTTON, point);
    desktop.Send(viaBox, msg::WM_LBUTTONUP, 0, point);
    desktop.Send(viaBox, msg::WM_KEYDOWN, msg::VK_SPACE, 0);
    desktop.Send(viaBox, msg::WM_KEYUP, msg::VK_SPACE, 0);

    Hwnd map{}, browser{};
    if (int c = WaitMapWindow(kViaMapClass, kViaMapCaption, map, browser); c != kOk) return c;
    {
        std::shared_ptr<PageDocument> document;
        if (int c = GetMapDocument(oleacc, map, browser, document); c != kOk) return c;
        if (!document) return result::kNoDocument;
        if (int c = RunPositionScript(*document, kViaScript, place, PositionPieces::AfterColon); c != kOk) return c;
    }
    // The via map's own button closes it.
    SendClick(desktop, After(desktop, FirstChild(desktop, After(desktop, FirstChild(desktop, map), 2)), 5), false);
    return Hung() ? kHung : kOk;
}

}  // namespace qm
