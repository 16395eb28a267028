// The CManerXE4 adapter (adapter kind 3). CManerXE4 is a Delphi-style program:
// its main window has the class "Tfrm_Main" and the caption "콜마너 XE 4", its
// controls have their own classes ("TcxLabel", "TcxButton", "TcxMemo",
// "TcxComboBox", ...), and its entry windows are unowned top-level windows of
// class "TFrm_JON01N". A fresh entry window comes from the "접 수" button on
// the main window's "접수-" tab. Every control is counted from a labelled
// anchor (the entry window's control map). Places are read from two map
// windows: the consultation map "상담 지도" for origin and destination (the
// caller's readScript) and the via map "cal" (its via marker).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "callport/call_port.h"
#include "callport/control_map.h"

namespace qm {

class CCallPortCManerXE4 : public CCallPort {
public:
    CCallPortCManerXE4(Desktop& desktop, const DelayProfile& profile) : CCallPort(desktop, profile) {}

    // "콜마너 XE 4", else "CALLMANER XE Ⅰ" (U+2160).
    Hwnd FindMainWindow() override;
    int ReadOrder(Module oleacc, const char16_t* readScript, OrderRecord* order, std::u16string& message) override;
    int EnterOrder(Module oleacc, const char16_t* readScript, const char16_t* pointScript, OrderRecord* order,
                   int requireBranch, std::u16string& message, int finishAction) override;
    // Posts "종료(F8)" to every fresh entry window (one pass, no waiting). The
    // argument is not used: entry windows are found by their class.
    void CloseEntryWindows(Hwnd main) override;

    // An entry window whose caller box is filled, within windowWait. Sets
    // entryWindow, registerButton, closeButton and phoneEdit.
    bool FindOpenEntryWindow();
    // Presses "접 수" (up to `presses` times, three for a request) until a fresh entry window shows: 0, 4,
    // 7, 10, 95 or 99. Sets the same four fields.
    int OpenNewEntryWindow(int presses = kReceptionPresses);
    // The entry window's controls by its control map: 0 or the code of the first
    // anchor that is missing (11 without an entry window).
    int FindControls();
    // Posts the button's command to the entry window; nothing when either is null.
    // False when the post failed (the entry window was gone).
    bool PostButtonCommand(Hwnd button);
    // Closes the entry window with its "종료(F8)" button.
    void AbandonEntryWindow() { PostButtonCommand(c_.closeButton); }
    // Copies what the entry window shows into order (also the last step of an entry).
    int ReadEntryWindow(Module oleacc, const char16_t* readScript, OrderRecord* order, std::u16string& message);

    enum class Place { Origin, Destination };
    // The origin's or destination's position from the consultation map, by
    // readScript: 0, 36, 39, 40-48 or 94.
    int ReadPlacePosition(Module oleacc, const char16_t* readScript, Place which, PlaceRecord& place);
    // A via point's position from the via map, by its via marker: 0, 39, 40-48 or 94.
    int ReadViaPosition(Module oleacc, Hwnd viaBox, PlaceRecord& place);

    struct Controls {
        Hwnd entryWindow;
        Hwnd branchEdit;
        Hwnd branchDisplay;
        Hwnd phoneEdit;
        Hwnd phone2Edit;
        Hwnd fareEdit;
        Hwnd cashEdit;
        Hwnd postpaidEdit;
        Hwnd cardEdit;
        Hwnd mileageEdit;
        Hwnd consignLabel;
        Hwnd viaStartControl;
        Hwnd driverMemoEdit;
        Hwnd memo2Edit;
        Hwnd payCombo;
        Hwnd originEdit;
        Hwnd destEdit;
        Hwnd viaEdit[3];
        Hwnd viaDetailEdit[3];
        Hwnd addViaButton;
        Hwnd registerButton;
        Hwnd closeButton;
        Hwnd holdButton;
        Hwnd inquiryButton;
    };
    const Controls& controls() const { return c_; }

    // The way from the main window to the "접 수" button, and the entry window's
    // anchors with the controls counted from them, in the order they are looked for.
    static std::span<const ChainLink> ReceptionChain();
    static std::span<const ControlRow<Controls>> ControlMap();
    // The entry windows as CManerXE4's own tests see them, in one pass over the
    // "TFrm_JON01N" windows: filled (the read-back's test) or fresh (the
    // entry's). main is not used, as in CloseEntryWindows.
    static std::vector<EntryWindowSeen<Controls>> ListEntryWindows(Desktop& desktop, Hwnd main);
    // The consultation map and the via map.
    static std::span<const MapWindowSpec> MapWindows();
    static constexpr const char16_t* kConsultMapClass = u"TFrm_JON31";
    static constexpr const char16_t* kConsultMapCaption = u"상담 지도";
    static constexpr const char16_t* kViaMapClass = u"TFrm_JON30";
    static constexpr const char16_t* kViaMapCaption = u"cal";

    // The via map's script: the via marker's position as text.
    static constexpr const char16_t* kViaScript =
        u"function vendraPoiFunc(){  return viamarker.getPosition().toString(); } vendraPoiFunc();";

private:
    bool Hung() const { return desktop.NotResponding(); }
    // The timed scan over the "TFrm_JON01N" windows: a fresh window (register
    // button only, empty caller box) or one holding an order.
    bool ScanEntryWindows(bool fresh);
    // Every box is read with WM_GETTEXT into this many units.
    static constexpr std::size_t kBoxUnits = 1024;
    std::u16string Read(Hwnd box);
    // The entry sequences of CManerXE4's boxes.
    void SelectEntry(Hwnd box, const std::u16string& text);
    void PlaceEntry(Hwnd box, const std::u16string& text);
    void ViaEntry(Hwnd box, const std::u16string& text);
    void AmountEntry(Hwnd box, const std::u16string& text);
    void MileageEntry(Hwnd box, const std::u16string& text);
    void PlainSet(Hwnd box, const std::u16string& text);
    void LabelClick(Hwnd label);
    void DismissMileageNotice();
    // The map window of class and caption with a browser, within mapWait: 0 or 39.
    int WaitMapWindow(const char16_t* className, const char16_t* caption, Hwnd& window, Hwnd& browser);
    // Abandons the entry window, noting it for the confirmation at the end of
    // the entry, and returns code.
    int Abandon(int code) {
        if (IsNull(abandoned_.window)) abandoned_ = AbandonedWindow(desktop, c_.entryWindow);
        AbandonEntryWindow();
        return code;
    }
    // The entry itself; EnterOrder confirms an abandoned window after it.
    int Enter(Module oleacc, const char16_t* readScript, OrderRecord* order, int requireBranch,
              std::u16string& message, int finishAction);

    // The entry's parts; each returns 0 or the code that ends it.
    int EnterBranchAndCaller(const OrderRecord& order, int requireBranch, std::u16string& message);
    int EnterPayType(const OrderRecord& order);
    int EnterPlaces(const OrderRecord& order);
    int EnterAmounts(const OrderRecord& order, std::u16string& message);
    int EnterPhone2AndConsignment(const OrderRecord& order);
    void EnterMemos(const OrderRecord& order);
    // Presses the finishing button; false when the press could not be handed to
    // CManerXE4 (its entry window was gone).
    bool Finish(int finishAction);

    Controls c_{};
    Abandoned abandoned_{};
};

}  // namespace qm
