// The shell every substitute program has around its own windows: the main
// window with the button that opens entry windows, the entry windows (made
// one after another down and to the right, looked up, gone), stored orders
// shown in them, finishing an entry into the stored orders, and timers that
// end with the window they serve or with the program.
//
// A program derives from ShellOf<its EntryState>, says what its main window
// is in Main (Start builds it), makes its entry windows in CreateEntry through
// AddEntry, finds them again with Find, reads one back in ReadOrder and cleans
// up after one in OnEntryGone. What is left to it is its layout, its reactions
// and its pages.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "sim/kit/substitute.h"

namespace qm::sim::kit {

// What the shell keeps of an open entry window; a program's own state derives
// from it.
struct EntryState {
    virtual ~EntryState() = default;
    Hwnd window{};
    bool modify = false;  // it shows a stored order
    int orderIndex = -1;  // the stored order shown (modify)
};

class Shell : public Substitute {
public:
    ~Shell() override;

    // Builds the main window from Main() once; false when it could not be made.
    bool Start() final;
    Hwnd MainWindow() const override { return main_; }
    // The main window's button that opens entry windows (its layout's "reception").
    Hwnd ReceptionButton() const { return MainNamed("reception"); }
    // Stored order k in a filled entry window; null when there is no such order.
    Hwnd ShowStoredOrder(std::size_t k) override;
    // The open entry windows, oldest first.
    std::vector<Hwnd> EntryWindows() const { return entryOrder_; }

protected:
    Shell(Host& host, CommonOptions common) : Substitute(host, std::move(common)) {}

    // The main window: layout (the window named "main"), and the command
    // openId (code 0) at the window named opener, which opens a new entry
    // window delayMs later. The main window's end ends the program.
    struct MainSpec {
        LayoutNode layout;
        const char* opener;
        int openId;
        std::uint32_t delayMs;
    };
    virtual MainSpec Main() const = 0;
    // A named window of the main window's layout; null before Start, or when
    // --omit left it out.
    Hwnd MainNamed(const char* name) const { return mainBuilt_.Get(name); }

    // Makes the program's entry window for a stored order (null: a new one).
    virtual Hwnd CreateEntry(const StoredOrder* order, int orderIndex) = 0;
    Hwnd OpenNewEntry() { return CreateEntry(nullptr, -1); }

    // Makes the entry window w, the next of eight places 24 pixels apart from
    // w.rect, and keeps state for it (window, modify, orderIndex filled in);
    // null when --omit left the window out.
    EntryState* AddEntry(WindowSpec w, std::unique_ptr<EntryState> state, int orderIndex);
    EntryState* Entry(Hwnd window) const;
    // An entry window went; its state is no longer kept and its timers are cancelled.
    virtual void OnEntryGone(EntryState& /*gone*/) {}

    // Runs f after ms (at once when ms is 0); cancelled when the program ends.
    void After(std::uint32_t ms, std::function<void()> f);
    // Runs f after ms (at once when ms is 0) instead of what slot of entry
    // (null: of the program) was waiting for; cancelled when the window goes.
    void After(Hwnd entry, int slot, std::uint32_t ms, std::function<void()> f);
    // The same, but always through a timer (0: at the next turn of the loop).
    void Later(Hwnd entry, int slot, std::uint32_t ms, std::function<void()> f);
    void Cancel(Hwnd entry, int slot);
    bool Waiting(Hwnd entry, int slot) const { return slotTimers_.count({entry, slot}) > 0; }

    // The stored order an entry window shows, while the book still holds it.
    std::optional<std::size_t> ShownOrder(const EntryState& e) const;
    // What registering saves as the status: "registered", or the shown order's own.
    std::u16string RegisterStatus(const EntryState& e) const;
    // Replaces the shown order, or stores a new one.
    void Save(const EntryState& e, StoredOrder o);
    // Reads the entry window (ReadOrder), saves it with status and closes the window.
    void Finish(Hwnd window, const std::u16string& status);
    virtual StoredOrder ReadOrder(const EntryState& e) const = 0;
    // What the program adds to an order read from a finishing entry window
    // (its status set) before it is saved.
    virtual void OnFinishing(const EntryState& /*e*/, StoredOrder& /*o*/) const {}
    // A box's text; empty for a window --omit left out.
    std::u16string TextOf(Hwnd box) const;
    // Sets a box's text unless --omit left it out.
    void SetTextOf(Hwnd box, const std::u16string& text);
    // Shows a stored order's texts in the boxes programs name alike: phone,
    // phone2, branch, branchDisplay, origin, destination, via (three), fare,
    // cash, postpaid, mileage, card, driverMemo and memo2.
    template <class Controls>
    void ShowOrderTexts(const Controls& c, const StoredOrder& o) {
        SetTextOf(c.phone, o.customerPhone);
        SetTextOf(c.phone2, o.customerPhone2);
        SetTextOf(c.branch, o.branchNumber);
        SetTextOf(c.branchDisplay, o.branchDisplay);
        SetTextOf(c.origin, o.origin.text);
        SetTextOf(c.destination, o.destination.text);
        for (std::size_t k = 0; k < 3; ++k) SetTextOf(c.via[k], o.via[k].text);
        SetTextOf(c.fare, o.fare);
        SetTextOf(c.cash, o.cashAmount);
        SetTextOf(c.postpaid, o.postpaidAmount);
        SetTextOf(c.mileage, o.mileageAmount);
        SetTextOf(c.card, o.cardAmount);
        SetTextOf(c.driverMemo, o.driverMemo);
        SetTextOf(c.memo2, o.memo2);
    }
    // The same boxes read back into an order, and the payment from payCombo;
    // the places' positions and the rest are the program's.
    template <class Controls>
    StoredOrder ReadOrderTexts(const Controls& c) const {
        StoredOrder o;
        o.branchNumber = TextOf(c.branch);
        o.branchDisplay = TextOf(c.branchDisplay);
        o.customerPhone = TextOf(c.phone);
        o.customerPhone2 = TextOf(c.phone2);
        o.payType = TextOf(c.payCombo);
        o.fare = TextOf(c.fare);
        o.cashAmount = TextOf(c.cash);
        o.postpaidAmount = TextOf(c.postpaid);
        o.mileageAmount = TextOf(c.mileage);
        o.cardAmount = TextOf(c.card);
        o.driverMemo = TextOf(c.driverMemo);
        o.memo2 = TextOf(c.memo2);
        o.origin.text = TextOf(c.origin);
        o.destination.text = TextOf(c.destination);
        for (std::size_t k = 0; k < 3; ++k) o.via[k].text = TextOf(c.via[k]);
        return o;
    }

    // Enter at box runs react (when given) and goes no further.
    void OnEnter(Hwnd box, std::function<void()> react);
    // Tab at box runs react; the key goes on as usual.
    void OnTab(Hwnd box, std::function<void()> react);
    // The customer a telephone search finds: seven digits or more as they are,
    // four the last four of a stored customer's; empty when none.
    std::u16string FindCustomer(const std::u16string& typed) const;
    // A message box 120 pixels in from owner's top left corner.
    Hwnd Box(Hwnd owner, const std::u16string& title, const std::u16string& text,
             std::vector<MessageBoxButton> buttons, std::function<void(int)> onAnswer = nullptr);
    using Substitute::Box;

    Hwnd main_{};

private:
    Built mainBuilt_;
    std::map<Hwnd, std::unique_ptr<EntryState>> entries_;
    std::vector<Hwnd> entryOrder_;
    int cascade_ = 0;
    std::vector<TimerId> timers_;                         // the program's
    std::map<std::pair<Hwnd, int>, TimerId> slotTimers_;  // an entry window's (or the program's) by slot
};

// The shell of a program whose entry windows keep State (derived from
// EntryState): entries made and found as State. Base is Shell or a shell of
// programs alike that derives from it.
template <class State, class Base = Shell>
class ShellOf : public Base {
protected:
    using Base::Base;

    // Makes the entry window w with a new State (see Shell::AddEntry).
    State* AddEntry(WindowSpec w, int orderIndex) {
        return static_cast<State*>(Base::AddEntry(std::move(w), std::make_unique<State>(), orderIndex));
    }
    // The state of an open entry window; null when there is no such window.
    State* Find(Hwnd window) const { return static_cast<State*>(this->Entry(window)); }
};

// Where a named window of a layout is kept in a program's controls.
template <class Controls>
struct Slot {
    const char* name;
    Hwnd Controls::*field;
};

// Fills controls from the windows built (null where --omit left one out).
template <class Controls, std::size_t N>
void TakeSlots(const Built& built, Controls& controls, const Slot<Controls> (&slots)[N]) {
    for (const Slot<Controls>& slot : slots) controls.*slot.field = built.Get(slot.name);
}

// The three via windows named prefix1..prefix3 (or prefix + k + suffix).
inline std::array<Hwnd, 3> Three(const Built& built, const std::string& prefix, const std::string& suffix = {}) {
    return {built.Get(prefix + "1" + suffix), built.Get(prefix + "2" + suffix), built.Get(prefix + "3" + suffix)};
}

}  // namespace qm::sim::kit
