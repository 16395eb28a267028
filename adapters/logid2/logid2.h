// The LogiD2 adapter (adapter kind 1). LogiD2 is an MDI program whose main window
// has the class "SmartD2-". An order is typed into an entry window: a popup
// owned by the main window whose first child is the customer telephone box. A
// fresh entry window comes from the "접  수(&N)" button of the "메인리스트" dialog
// inside the "접수" view. Every control of the entry window is found by counting
// siblings from a labelled anchor: the entry window's control map.
#pragma once

#include <cstdint>
#include <string>

#include <span>
#include <vector>

#include "adapters/logi/logi_order.h"
#include "callport/call_port.h"
#include "callport/control_map.h"

namespace qm {

class CCallPortLogiD2 : public CCallPort {
public:
    CCallPortLogiD2(Desktop& desktop, const DelayProfile& profile) : CCallPort(desktop, profile) {}

    Hwnd FindMainWindow() override;
    int ReadOrder(Module oleacc, const char16_t* readScript, OrderRecord* order, std::u16string& message) override;
    int EnterOrder(Module oleacc, const char16_t* readScript, const char16_t* pointScript, OrderRecord* order,
                   int requireBranch, std::u16string& message, int finishAction) override;
    // Abandons every new-order entry window of main (null: looked up). Windows
    // showing "수   정(&E)" are left alone.
    void CloseEntryWindows(Hwnd main) override;

    // Presses the reception button (up to `presses` times, three for a request) until a fresh entry window
    // shows: 0, 4, 5, 7, 8, 10 or 95. Sets entryWindow, registerButton, phoneEdit.
    int OpenNewEntryWindow(int presses = kReceptionPresses);
    // Finds an entry window that shows a looked-up customer: 0, 4 or 11. Clears
    // every control first; sets entryWindow, registerButton, phoneEdit.
    int FindOpenEntryWindow();
    // Finds the entry window's controls with its control map: 0, or the code of
    // the first anchor that is missing (11 when there is no entry window).
    int FindControls();
    // Posts the cancel button's command to the entry window and, when confirm is
    // set, answers LogiD2's close question within dialogWait. Null arguments mean
    // entryWindow and cancelButton.
    void AbandonEntryWindow(bool confirm, Hwnd window = kNoWindow, Hwnd cancel = kNoWindow);
    // Copies what the entry window shows into order (the read-back).
    int ReadOrderWindow(Module oleacc, const char16_t* readScript, OrderRecord* order, std::u16string& message);

    // The window handles of LogiD2 that a request works with; all null at the
    // start of ReadOrder and EnterOrder. The search buttons stay null: LogiD2
    // opens its map with a command.
    using Controls = logi::Controls;
    const Controls& controls() const { return c_; }

    // The way from the main window to the reception button, and the entry
    // window's anchors with the controls counted from them, in the order they
    // are looked for.
    static std::span<const ChainLink> ReceptionChain();
    static std::span<const ControlRow<Controls>> ControlMap();
    // The entry windows of main as LogiD2's own tests see them, in one pass
    // over its popups: filled (the read-back's test) or fresh (the entry's).
    static std::vector<EntryWindowSeen<Controls>> ListEntryWindows(Desktop& desktop, Hwnd main);
    // The "지도보기" dialog.
    static std::span<const MapWindowSpec> MapWindows();

    // LogiD2's command that opens the "지도보기" dialog from an entry window.
    static constexpr std::uintptr_t kMapCommand = 3826;

private:
    class Order;  // LogiD2's way through the steps it shares with LogiD5
    bool Hung() const { return desktop.NotResponding(); }
    int Finish(int finishAction);

    Controls c_{};
};

}  // namespace qm
