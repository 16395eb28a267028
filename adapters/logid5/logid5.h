// The LogiD5 adapter (adapter kind 2). LogiD5 is LogiD2's successor: the main
// window has the class "D5-", a fresh entry window comes from the "접  수"
// button of the "메인리스트" dialog in the "접수" view, and the order is typed
// with the steps LogiD2 uses. Its entry window groups the controls into several
// "#32770" child dialogs, so each control is counted from a landmark inside the
// child dialog that holds it (its control map). Cancel and the finishing
// buttons are clicked, and the map opens from the place search buttons.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "adapters/logi/logi_order.h"
#include "callport/call_port.h"
#include "callport/control_map.h"

namespace qm {

class CCallPortLogiD5 : public CCallPort {
public:
    CCallPortLogiD5(Desktop& desktop, const DelayProfile& profile) : CCallPort(desktop, profile) {}

    Hwnd FindMainWindow() override;
    int ReadOrder(Module oleacc, const char16_t* readScript, OrderRecord* order, std::u16string& message) override;
    int EnterOrder(Module oleacc, const char16_t* readScript, const char16_t* pointScript, OrderRecord* order,
                   int requireBranch, std::u16string& message, int finishAction) override;
    // Abandons every new-order entry window of main (null: looked up).
    void CloseEntryWindows(Hwnd main) override;

    // Presses "접  수" (up to `presses` times, three for a request) until a fresh entry window shows: 0,
    // 4, 5, 7, 8, 10, 95 or 99. Sets entryWindow, registerButton, phoneEdit.
    int OpenNewEntryWindow(int presses = kReceptionPresses);
    // An entry window whose customer display shows a telephone, within
    // windowWait. Sets entryWindow, registerButton, phoneDisplay, phoneEdit (a
    // window without the customer search leaves the first three set and the
    // search goes on). Neither waits for the main window nor clears the controls.
    bool FindOpenEntryWindow();
    // The cancel button by its place, then the control map: 0 or the code of the
    // first control missing (11 without an entry window; 29 writes the text found).
    int FindControls(std::u16string& message);
    // Clicks the cancel button (null arguments: entryWindow and cancelButton)
    // and, when confirm is set, answers the close question within dialogWait.
    void AbandonEntryWindow(bool confirm, Hwnd window = kNoWindow, Hwnd cancel = kNoWindow);
    int ReadOrderWindow(Module oleacc, OrderRecord* order, std::u16string& message);

    using Controls = logi::Controls;
    const Controls& controls() const { return c_; }

    // The button a finishing action clicks: register (2), hold (3) or inquiry
    // (4), the cancel button where that one is null; null for other actions.
    static Hwnd FinishButton(const Controls& controls, int finishAction);

    static std::span<const ChainLink> ReceptionChain();
    // The cancel button's row, resolved before the control map (29).
    static std::span<const ControlRow<Controls>> CancelCheck();
    static std::span<const ControlRow<Controls>> ControlMap();
    // The entry windows of main as LogiD5's own tests see them, in one pass
    // over its popups: filled (the read-back's test) or fresh (the entry's).
    static std::vector<EntryWindowSeen<Controls>> ListEntryWindows(Desktop& desktop, Hwnd main);
    // The "지도보기" dialog.
    static std::span<const MapWindowSpec> MapWindows();

private:
    class Order;  // LogiD5's way through the steps it shares with LogiD2
    bool Hung() const { return desktop.NotResponding(); }
    // Presses the finishing button and holds until LogiD5 has taken the press
    // (at most saveWait); false when the press could not be handed to LogiD5
    // (its entry window was gone).
    bool Finish(int finishAction);

    Controls c_{};
};

}  // namespace qm
