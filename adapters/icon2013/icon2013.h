// The Icon2013 adapter (adapter kind 4). Icon2013 is an MFC MDI program whose
// main window has the class "I_Driver by IconSoft.CO.,LTD". An order is typed
// into an order window: a popup of the main window whose first "#32770" child
// holds the "#32770" order dialog with every control of the order; a fresh one
// comes from the "접수" button of the "오더조회" dialog. Every control is
// counted from a labelled anchor among the order dialog's direct children (its
// control map). Places go to and come from the "지도검색" map dialog, whose
// page the caller's scripts drive.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "callport/call_port.h"
#include "callport/control_map.h"
#include "callport/map_dialog.h"

namespace qm {

class CCallPortIcon2013 : public CCallPort {
public:
    CCallPortIcon2013(Desktop& desktop, const DelayProfile& profile) : CCallPort(desktop, profile) {}

    Hwnd FindMainWindow() override;
    int ReadOrder(Module oleacc, const char16_t* readScript, OrderRecord* order, std::u16string& message) override;
    int EnterOrder(Module oleacc, const char16_t* readScript, const char16_t* pointScript, OrderRecord* order,
                   int requireBranch, std::u16string& message, int finishAction) override;
    // Sends "닫기(X)" to every order window of main (null: looked up) once,
    // 100 ms apart, pass after pass while a pass meets a window not told before.
    void CloseEntryWindows(Hwnd main) override;

    // Presses "접수" (up to `presses` times, three for a request) until a fresh order window shows: 0, 4,
    // 6, 9, 10, 95 or 99. Sets orderDialog, customerSearchEdit, registerButton.
    int OpenNewOrderWindow(int presses = kReceptionPresses);
    // The order dialog's controls by its control map: 0 or the code of the first
    // anchor that is missing (12 without an order dialog).
    int FindControls();
    // The "지도검색" dialog with its two set buttons and its browser: 0 or 36-39.
    int FindMapDialog(MapDialogHandles& out);
    // Copies what the order window shows into order (also the last step of an entry).
    int ReadOrderWindow(Module oleacc, const char16_t* readScript, OrderRecord* order, std::u16string& message);

    // The map page's two hooks that take a point as the origin or the destination.
    enum class Hook { Start, End };
    // readScript's two numbers into place.x and place.y: 0, 40-48 or 94.
    int ReadMapPosition(Module oleacc, const char16_t* readScript, Hwnd dialog, Hwnd browser, PlaceRecord& place);
    // pointScript with place.x, place.y and the hook, then the set button: 0,
    // 40-48, 63 or 94.
    int SetMapPosition(Module oleacc, const char16_t* pointScript, Hook hook, const PlaceRecord& place,
                       const MapDialogHandles& map, Hwnd setButton, Hwnd placeBox);

    struct Controls {
        Hwnd orderDialog;
        Hwnd branchCombo;
        Hwnd customerSearchEdit;
        Hwnd phoneEdit;
        Hwnd phone2Edit;
        Hwnd fareEdit;
        Hwnd payAmountEdit;
        Hwnd consignButton;
        Hwnd driverMemoEdit;
        Hwnd memo2Edit;
        Hwnd payCombo;
        Hwnd originEdit;
        Hwnd originMapButton;
        Hwnd destEdit;
        Hwnd destMapButton;
        Hwnd viaEdit[3];
        Hwnd viaDetailEdit[3];
        Hwnd addViaButton;
        Hwnd viaMapButton[3];
        Hwnd registerButton;
        Hwnd closeButton;
        Hwnd holdButton;
        Hwnd inquiryButton;
    };
    const Controls& controls() const { return c_; }

    // The way from the main window to the "접수" button, and the order dialog's
    // anchors with the controls counted from them, in the order they are looked for.
    // An entry with a second via point makes a real click (the new via row).
    static bool NeedsRealInput(bool entry, const OrderRecord& order);
    static std::span<const ChainLink> ReceptionChain();
    static std::span<const ControlRow<Controls>> ControlMap();
    // The order windows of main as Icon2013's own test sees them, in one pass
    // over its popups: filled (a search in progress, the read-back's) or fresh
    // (an empty search box, the entry's); the control map starts at orderDialog.
    static std::vector<EntryWindowSeen<Controls>> ListEntryWindows(Desktop& desktop, Hwnd main);
    // The "지도검색" dialog.
    static std::span<const MapWindowSpec> MapWindows();

    static constexpr const char16_t* kStartHook = u"onTMapRClick4OrdPoiStart";
    static constexpr const char16_t* kEndHook = u"onTMapRClick4OrdPoiEnd";

private:
    bool Hung() const { return desktop.NotResponding(); }
    // The order-window test over the main window's popups, within windowWait:
    // a fresh window (empty customer search box) or one holding an order.
    bool ScanOrderWindows(bool fresh);
    // Every box is read with room for 1024 characters (and the NUL).
    static constexpr std::size_t kBoxUnits = 1025;
    std::u16string Read(Hwnd box);
    // Posts "닫기(X)" to the order dialog when both are known, noting the
    // order window for the confirmation at the end of the entry; returns code.
    int Close(int code);
    // The entry itself; EnterOrder confirms an abandoned window after it.
    int Enter(Module oleacc, const char16_t* readScript, const char16_t* pointScript, OrderRecord* order,
              int requireBranch, std::u16string& message, int finishAction);
    void PostToDialog(Hwnd button);
    // Selects the branch's item of combo and announces it to parent: true when one was selected.
    bool SelectBranch(Hwnd parent, Hwnd combo, std::u16string_view name, std::u16string_view number);
    // Types text into box and confirms it with Enter, all sent.
    void TypeAndConfirm(Hwnd box, const std::u16string& text);
    // Sets text, then Enter: how fare, amounts and the driver memo are set.
    void SetAndEnter(Hwnd box, const std::u16string& text);
    void NotifyChange(Hwnd box);

    int EnterCustomer(const OrderRecord& order, std::u16string& message);
    int EnterPlaces(const OrderRecord& order);
    int EnterMapPositions(Module oleacc, const char16_t* pointScript, const OrderRecord& order);
    int EnterPayment(const OrderRecord& order, std::u16string& message);
    void EnterMemos(const OrderRecord& order);
    int ReadMapPositions(Module oleacc, const char16_t* readScript, OrderRecord& order, int vias);

    Controls c_{};
    Abandoned abandoned_{};
};

}  // namespace qm
