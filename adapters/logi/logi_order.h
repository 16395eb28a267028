// The order steps LogiD2 and LogiD5 share: the same fields, boxes, questions
// and map dialog, typed, checked and read back the same way. What differs is
// given as traits (which boxes are answered, Enter after a place, the
// mileage refusal's text) and as the few things each program does its own way
// (how its entry window is abandoned and how its map dialog is opened).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "adapters/logi/logi_map_dialog.h"
#include "callport/call_port.h"
#include "callport/windows.h"
#include "core/delay_profile.h"
#include "core/request_block.h"
#include "platform/desktop.h"

namespace qm::logi {

// The window handles of a Logi entry window; all null at the start of a request.
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
    Hwnd originSearchButton;  // LogiD5: the Button "출발지", which opens the map for the origin
    Hwnd destEdit;
    Hwnd destMapButton;
    Hwnd destSearchButton;  // LogiD5: the window after "출발지", which opens it for the destination
    Hwnd viaEdit[3];
    Hwnd addViaButton;
    Hwnd registerButton;
    Hwnd cancelButton;
    Hwnd holdButton;
    Hwnd inquiryButton;
};

struct Traits {
    int adapterKind;
    // "Please select a branch" boxes closed when no branch is required.
    Answer selectBranchBoxes;
    // Each place box is confirmed with Enter after it was typed, and counts as
    // empty by its text length rather than by its lines.
    bool enterAfterPlace;
    // The text of the box that refuses mileage.
    const char16_t* mileageRefusedText;
};

class CLogiOrder {
public:
    CLogiOrder(CCallPort& port, Desktop& desktop, const DelayProfile& profile, Controls& controls,
               const Traits& traits)
        : port_(port), desktop_(desktop), profile_(profile), c_(controls), traits_(traits) {}
    virtual ~CLogiOrder() = default;
    CLogiOrder(const CLogiOrder&) = delete;
    CLogiOrder& operator=(const CLogiOrder&) = delete;

    // Every field of order typed into the entry window and checked, from the
    // branch to the second memo: 0 or the code that ended the entry (the
    // window is then abandoned, except where the program keeps it open).
    int EnterFields(Module oleacc, const char16_t* pointScript, const OrderRecord& order, int requireBranch,
                    std::u16string& message);
    // Copies what the entry window shows into order.
    int ReadOrderWindow(Module oleacc, OrderRecord* order, std::u16string& message);
    // The entry window abandoned after a failed step, if any (to be confirmed).
    const Abandoned& AbandonedEntry() const { return abandoned_; }

protected:
    // Cancels the entry window and answers the close question.
    virtual void CancelEntry() = 0;
    // Notes the entry window, then cancels it.
    void Abandon() {
        if (IsNull(abandoned_.window)) abandoned_ = AbandonedWindow(desktop_, c_.entryWindow);
        CancelEntry();
    }
    // Makes the program open its "지도보기" dialog for an entry or a read-back.
    virtual void OpenMapForEntry() = 0;
    virtual void OpenMapForReadBack() = 0;

    bool Hung() const { return desktop_.NotResponding(); }
    void Pause(std::int32_t ms) {
        if (ms > 0) desktop_.Sleep(static_cast<std::uint32_t>(ms));
    }

    CCallPort& port_;
    Desktop& desktop_;
    const DelayProfile& profile_;
    Controls& c_;
    const Traits& traits_;

private:
    Abandoned abandoned_{};
    CLogiMapDialog MapDialog();
    // Hides the map dialog; false (nothing done) when the program stopped answering.
    bool HideMapDialog(Hwnd dialog);
    std::u16string TextByMessage(Hwnd box) { return desktop_.SendGetText(box, 1024); }
    int VerifyAmount(Hwnd box, std::u16string_view wanted, int code, std::u16string& message);
    // A place box typed anew (clicked, old text replaced), then confirmed where the program wants it.
    void EnterPlace(Hwnd box, const std::u16string& text);
    bool PlaceEmpty(Hwnd box);

    int EnterBranch(const OrderRecord& order, int requireBranch, std::u16string& message);
    int EnterCustomer(const OrderRecord& order, std::u16string& message);
    int EnterPayType(const OrderRecord& order, std::u16string& message);
    int EnterPlaces(const OrderRecord& order);
    int EnterMapPositions(Module oleacc, const char16_t* pointScript, const OrderRecord& order);
    int EnterAmounts(const OrderRecord& order, std::u16string& message);
    int EnterPhone2ConsignmentMemos(const OrderRecord& order, std::u16string& message);
};

}  // namespace qm::logi
