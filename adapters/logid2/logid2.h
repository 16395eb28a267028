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

#include "adapters/logi/logi_map_dialog.h"
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

    // Presses the reception button (up to three times) until a fresh entry window
    // shows: 0, 4, 5, 7, 8, 10 or 95. Sets entryWindow, registerButton, phoneEdit.
    int OpenNewEntryWindow();
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
    // start of ReadOrder and EnterOrder.
    struct Controls {
        Hwnd entryWindow;
        Hwnd branchEdit;
        Hwnd branchDisplay;
        Hwnd phoneEdit;
        Hwnd phoneDisplay;
        Hwnd phone2Edit;
        Hwnd fareEdit;
        Hwnd cashEdit;
        Hwnd postpaidEdit;
        Hwnd cardEdit;
        Hwnd mileageEdit;
        Hwnd consignButton;
        Hwnd driverMemoEdit;
        Hwnd memo2Edit;
        Hwnd payCombo;
        Hwnd originEdit;
        Hwnd originMapButton;
        Hwnd destEdit;
        Hwnd destMapButton;
        Hwnd viaEdit[3];
        Hwnd addViaButton;
        Hwnd registerButton;
        Hwnd cancelButton;
        Hwnd holdButton;
        Hwnd inquiryButton;
    };
    const Controls& controls() const { return c_; }

    // The way from the main window to the reception button, and the entry
    // window's anchors with the controls counted from them, in the order they
    // are looked for.
    static std::span<const ChainLink> ReceptionChain();
    static std::span<const ControlRow<Controls>> ControlMap();

    // LogiD2's command that opens the "지도보기" dialog from an entry window.
    static constexpr std::uintptr_t kMapCommand = 3826;

private:
    CLogiMapDialog MapDialog();
    bool Hung() const { return desktop.NotResponding(); }
    // Abandon with confirmation (the pipeline's failure path).
    void Abandon() { AbandonEntryWindow(true); }
    // Box text by message: WM_GETTEXT into 1024 units.
    std::u16string TextByMessage(Hwnd box);
    // Reads box by message and compares it, trimmed and without ",", with wanted;
    // on a difference abandons and sets message. 0 or code.
    int VerifyAmount(Hwnd box, std::u16string_view wanted, int code, std::u16string& message);
    // Closes the map dialog LogiD2 opened (SC_CLOSE).
    void CloseMapDialog(Hwnd dialog);

    // The pipeline's parts; each returns 0 or the code that ends the entry.
    int EnterBranch(const OrderRecord& order, int requireBranch, std::u16string& message);
    int EnterCustomer(const OrderRecord& order, std::u16string& message);
    int EnterPayType(const OrderRecord& order, std::u16string& message);
    int EnterPlaces(const OrderRecord& order);
    int EnterMapPositions(Module oleacc, const char16_t* pointScript, const OrderRecord& order);
    int EnterAmounts(const OrderRecord& order, std::u16string& message);
    int EnterPhone2ConsignmentMemos(const OrderRecord& order, std::u16string& message);
    int Finish(int finishAction);

    Controls c_{};
};

}  // namespace qm
