// CManerXE4: finding the main window, the entry windows and their controls, and
// pressing an entry window's buttons.
#include "adapters/cmanerxe4/cmanerxe4.h"

#include "callport/wait.h"
#include "callport/windows.h"
#include "core/result_codes.h"
#include "platform/messages.h"

namespace qm {

namespace code = result::cmanerxe4;

namespace {

using C = CCallPortCManerXE4::Controls;
using Row = ControlRow<C>;
constexpr AnchorSearch kDirect = AnchorSearch::DirectChild;
constexpr AnchorSearch kDescendant = AnchorSearch::Descendant;

constexpr const char16_t* kEntryClass = u"TFrm_JON01N";
constexpr Recogniser kIsRegisterButton{u"TcxButton", {u"접수(F9)"}};
constexpr Recogniser kIsRegisterOrModifyButton{u"TcxButton", {u"접수(F9)", u"수정(F7)"}};
constexpr Recogniser kIsCloseButton{u"TcxButton", {u"종료(F8)"}};
constexpr Recogniser kIsCallerLabel{u"TcxLabel", {u"발신☎"}};
// The caller box: next(child(next(caller label))).
constexpr Walk kCallerBox{Next(1), Child(), Next(1)};

constexpr ChainLink kReceptionChain[] = {
    {u"reception tab", {kDescendant, {u"TcxTabSheet", {u"접수-"}, TextMatch::Contains}},
     code::kReceptionTabNotFound},
    {u"reception button", {kDescendant, {u"TcxButton", {u"접 수"}}}, code::kReceptionButtonNotFound},
};

// The classes CManerXE4's controls are treated as.
constexpr std::u16string_view kMemo = u"TcxMemo";
constexpr std::u16string_view kCombo = u"TcxComboBox";
constexpr std::u16string_view kLabel = u"TcxLabel";
constexpr std::u16string_view kButton = u"TcxButton";

constexpr Row Label(std::u16string_view name, std::u16string_view text, int missing,
                    std::array<ControlField<C>, Row::kMaxFields> fields) {
    return {name, {kDescendant, {u"TcxLabel", {text}}}, missing, fields};
}

// The entry window, as CManerXE4 lays it out. The caller label is a direct
// child; the other labels may sit deeper and each box is counted from its label.
constexpr Row kControlMap[] = {
    {u"label 발신☎", {kDirect, kIsCallerLabel}, code::kCallerLabelNotFound,
     {{Required<C>(u"branch combo", nullptr, {Next(1), ChildOfClass(u"TcxComboBox")}, kCombo),
       Field(u"branch box", SlotOf<&C::branchEdit>, {Next(1), ChildOfClass(u"TcxComboBox"), Next(1)}, kMemo),
       Field(u"branch display", SlotOf<&C::branchDisplay>, {Next(1), ChildOfClass(u"TcxComboBox"), Next(2)}, kMemo),
       Field(u"second telephone box", SlotOf<&C::phone2Edit>, {Next(1), ChildOfClass(u"TcxComboBox"), Prev(1)},
             kMemo)}}},
    Label(u"label 출발", u"출발", code::kOriginLabelNotFound,
          {{Required(u"origin box", SlotOf<&C::originEdit>, {NextOfClass(u"TcxMemo")}, kMemo)}}),
    Label(u"label 도착", u"도착", code::kDestinationLabelNotFound,
          {{Required(u"destination box", SlotOf<&C::destEdit>, {NextOfClass(u"TcxMemo")}, kMemo)}}),
    Label(u"label 수수료", u"수수료", code::kFeeLabelNotFound,
          {{Field(u"payment box", SlotOf<&C::payCombo>, {Prev(1)}, kCombo),
            Field(u"fare box", SlotOf<&C::fareEdit>, {Next(2)}, kMemo)}}),
    Label(u"label 후불", u"후불", code::kPostpaidLabelNotFound,
          {{Field(u"postpaid box", SlotOf<&C::postpaidEdit>, {Prev(1)}, kMemo),
            Field(u"mileage box", SlotOf<&C::mileageEdit>, {Prev(3)}, kMemo),
            Field(u"card box", SlotOf<&C::cardEdit>, {Prev(5)}, kMemo),
            Field(u"cash box", SlotOf<&C::cashEdit>, {Prev(7)}, kMemo)}}),
    Label(u"label 탁송", u"탁송", code::kConsignmentLabelNotFound,
          {{Field(u"consignment label", SlotOf<&C::consignLabel>),
            Field(u"via start", SlotOf<&C::viaStartControl>, {Prev(3)}, kLabel)}}),
    Label(u"label 적요①", u"적요① ( 기사에게 보임 )", code::kMemoLabelNotFound,
          {{Field(u"driver memo box", SlotOf<&C::driverMemoEdit>, {Next(5)}, kMemo)}}),
    Label(u"label 전체적립", u"전체적립", code::kMemoLabelNotFound,
          {{Field(u"second memo box", SlotOf<&C::memo2Edit>, {Prev(1), Child(), Next(8)}, kMemo)}}),
    {u"consignment label (add-via button)", {AnchorSearch::Known, {}}, 0,
     {{Field(u"add-via button", SlotOf<&C::addViaButton>, {Prev(11)}, kButton)}},
     SlotOf<&C::consignLabel>},
    {u"label 발신☎ (via boxes)", {kDirect, kIsCallerLabel}, code::kViaAnchorNotFound,
     {{Field(u"via box 3", ElementOf<&C::viaEdit, 2>, {Prev(4), Child(), Next(13)}, kMemo),
       Field(u"via box 2", ElementOf<&C::viaEdit, 1>, {Prev(4), Child(), Next(13), Next(5)}, kMemo),
       Field(u"via box 1", ElementOf<&C::viaEdit, 0>, {Prev(4), Child(), Next(13), Next(5), Next(2)}, kMemo),
       Field(u"via detail 1", ElementOf<&C::viaDetailEdit, 0>, {Prev(4), Child(), Next(13), Next(5), Next(2), Next(4)},
             kMemo),
       Field(u"via detail 2", ElementOf<&C::viaDetailEdit, 1>, {Prev(4), Child(), Next(13), Next(5), Prev(1)}, kMemo),
       Field(u"via detail 3", ElementOf<&C::viaDetailEdit, 2>, {Prev(4), Child(), Next(13), Prev(1)}, kMemo)}}},
    {u"hold button", {kDescendant, {u"TcxButton", {u"대기(F10)"}}}, code::kHoldButtonNotFound,
     {{Field(u"hold button", SlotOf<&C::holdButton>)}}},
    {u"inquiry button", {kDescendant, {u"TcxButton", {u"문의(F12)"}}}, code::kInquiryButtonNotFound,
     {{Field(u"inquiry button", SlotOf<&C::inquiryButton>)}}},
};

// The map windows: the consultation map for origin and destination, the via map for via points.
constexpr MapWindowSpec kMapWindows[] = {
    {u"consultation map", CCallPortCManerXE4::kConsultMapClass, CCallPortCManerXE4::kConsultMapCaption},
    {u"via map", CCallPortCManerXE4::kViaMapClass, CCallPortCManerXE4::kViaMapCaption},
};

// CManerXE4's test of an entry window: a "TFrm_JON01N" with its register
// button ("접수(F9)" only for a fresh window; "수정(F7)" too for one holding an
// order), "종료(F8)" and the direct child "발신☎"; the caller box is empty in a
// fresh window (read into 1024 units) and shows the caller in a filled one
// (64 units). Takes the four handles into out when it passes.
bool AcceptEntry(Desktop& desktop, Hwnd window, bool fresh, C& out) {
    const Hwnd reg = FindDescendant(desktop, window, fresh ? kIsRegisterButton : kIsRegisterOrModifyButton);
    if (IsNull(reg)) return false;
    const Hwnd close = FindDescendant(desktop, window, kIsCloseButton);
    if (IsNull(close)) return false;
    const Hwnd label = DirectChild(desktop, window, kIsCallerLabel);
    if (IsNull(label)) return false;
    const Hwnd caller = FollowWalk(desktop, label, kCallerBox);
    const bool empty = desktop.SendGetText(caller, fresh ? 1023 : 63).empty();
    if (desktop.NotResponding() || empty != fresh) return false;
    out.registerButton = reg;
    out.closeButton = close;
    out.entryWindow = window;
    out.phoneEdit = caller;
    return true;
}

}  // namespace

std::span<const ChainLink> CCallPortCManerXE4::ReceptionChain() { return kReceptionChain; }
std::span<const ControlRow<C>> CCallPortCManerXE4::ControlMap() { return kControlMap; }
std::span<const MapWindowSpec> CCallPortCManerXE4::MapWindows() { return kMapWindows; }

std::vector<EntryWindowSeen<C>> CCallPortCManerXE4::ListEntryWindows(Desktop& desktop, Hwnd /*main*/) {
    auto filled = [](Desktop& d, Hwnd w, C& out) { return AcceptEntry(d, w, false, out); };
    auto fresh = [](Desktop& d, Hwnd w, C& out) { return AcceptEntry(d, w, true, out); };
    return SeeEntryWindows<C>(desktop, CollectTopLevel(desktop, kEntryClass, nullptr), filled, fresh,
                              &C::entryWindow);
}

Hwnd CCallPortCManerXE4::FindMainWindow() {
    const Hwnd main = desktop.FindWindow(u"Tfrm_Main", u"콜마너 XE 4");
    if (!IsNull(main)) return main;
    return desktop.FindWindow(u"Tfrm_Main", u"CALLMANER XE \u2160");
}

bool CCallPortCManerXE4::ScanEntryWindows(bool fresh) {
    return SleepThenProbe(desktop, profile->windowWait, [&] {
        for (Hwnd window : CollectTopLevel(desktop, kEntryClass, nullptr)) {
            if (Hung()) return false;
            if (AcceptEntry(desktop, window, fresh, c_)) return true;
        }
        return false;
    });
}

bool CCallPortCManerXE4::FindOpenEntryWindow() { return ScanEntryWindows(false); }

int CCallPortCManerXE4::OpenNewEntryWindow(int presses) {
    if (int code = BringMainWindowForward(); code != result::kSuccess) return code;
    Hwnd button{};
    if (int code = ResolveChain(desktop, mainWnd, kReceptionChain, button); code != result::kSuccess) return code;
    const bool opened = Tries(desktop, presses, 0, [&] {
        SendClick(desktop, button, false);
        return ScanEntryWindows(true);
    });
    if (Hung()) return result::kNotResponding;
    return opened ? result::kSuccess : result::kNoFreshEntryWindow;
}

int CCallPortCManerXE4::FindControls() {
    if (IsNull(c_.entryWindow)) return result::kOrderWindowNotFound;
    return ResolveControls<C>(desktop, c_.entryWindow, kControlMap, c_);
}

bool CCallPortCManerXE4::PostButtonCommand(Hwnd button) {
    if (IsNull(c_.entryWindow) || IsNull(button)) return true;
    return PostCommand(desktop, c_.entryWindow, button);
}

void CCallPortCManerXE4::CloseEntryWindows(Hwnd /*main*/) {
    for (Hwnd window : CollectTopLevel(desktop, kEntryClass, nullptr)) {
        if (Hung()) return;
        if (IsNull(FindDescendant(desktop, window, kIsRegisterButton))) continue;
        const Hwnd close = FindDescendant(desktop, window, kIsCloseButton);
        if (!IsNull(close)) PostCommand(desktop, window, close);
    }
}

}  // namespace qm
