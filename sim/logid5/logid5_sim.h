// The LogiD5 substitute: the windows of the LogiD5 dispatch program that the
// order-entry robot works with, and their reactions, on any Host.
//
//   qm::testing::FakeDesktop desktop;
//   qm::sim::FakeHost host(desktop);
//   qm::sim::logid5::LogiD5Sim sim(host, options);
//   sim.Start();                          // the main window and its main list
//   ... drive desktop as the robot does ...
//   sim.Orders();                         // what was registered, held or filed
//
// The window tree:
//   "D5-" main window
//     "MDIClient"
//       "AfxFrameOrView140s" "접수"
//         "#32770" "메인리스트"
//           Button "접  수"            -> a new entry window
//   entry window: "#32770" popup owned by the main window, captioned "오더 접수"
//   ("오더 수정" for a stored order); its children are the table EntryLayout()
//   (layout.cpp), listed in README.md: six child dialogs, then its own buttons.
#pragma once

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/host.h"
#include "sim/kit/orders.h"
#include "sim/kit/text.h"
#include "sim/logi/map_dialog.h"
#include "sim/logid5/layout.h"
#include "sim/logid5/options.h"

namespace qm::sim::logid5 {

using kit::StoredOrder;
using logi::GeoPoint;
using logi::MapPoints;

// The entry window's controls (null where --omit left one out).
struct EntryControls {
    Hwnd customerBox{}, phone{};
    Hwnd phoneBox{}, driverMemo{}, phoneDisplay{}, phone2{}, phone2Button{}, memo2{};
    Hwnd branchBox{}, branchDisplay{}, branch{};
    Hwnd amountBox{}, companySupport{}, fare{}, payCombo{}, cash{}, postpaid{}, mileage{}, card{};
    Hwnd consignBox{}, consign{};
    Hwnd placeBox{}, origin{}, destination{}, originSearch{}, destinationSearch{};
    Hwnd viaBox{}, addVia{}, originMap{}, destinationMap{};
    std::array<Hwnd, 3> via{};
    Hwnd inquiry{}, registerButton{}, hold{}, cancel{};
};

struct EntryWindowInfo : logi::MapView {
    Hwnd window{};
    bool modify = false;
    int orderIndex = -1;  // the stored order shown (modify mode)
    EntryControls controls;
    bool customerFound = false;
    bool originFound = false;       // Enter on the origin box found the place, or the map gave it
    bool destinationFound = false;  // likewise the destination
};

class LogiD5Sim final : public logi::LogiSubstitute {
public:
    LogiD5Sim(Host& host, Options options);
    ~LogiD5Sim() override;

    bool Start() override;

    Hwnd MainWindow() const override { return main_; }
    Hwnd MainListDialog() const { return mainList_; }
    Hwnd ReceptionButton() const { return reception_; }

    // As if "접  수" had been pressed (without --entry-delay): the new window.
    Hwnd OpenEntryWindow();
    // Opens stored order k in a "수   정(&E)" window; null when there is no such order.
    Hwnd OpenOrderForModify(std::size_t k);
    Hwnd ShowStoredOrder(std::size_t k) override { return OpenOrderForModify(k); }

    std::vector<Hwnd> EntryWindows() const;  // open entry windows, oldest first
    const EntryWindowInfo* EntryInfo(Hwnd window) const;
    // The branch table: digits -> "로지본사 > name (number)".
    std::optional<std::u16string> BranchDisplayText(const std::u16string& typed) const;

private:
    struct EntryState;

    Hwnd CreateEntryWindow(const StoredOrder* order, int orderIndex);
    void FillFromOrder(EntryState& e, const StoredOrder& order);
    void WireEntry(Hwnd window);

    EntryState* Find(Hwnd window);
    logi::MapView* MapOf(Hwnd entry) override;
    void OnPlaceTaken(Hwnd entry, bool origin) override;
    void OnEntryCommand(Hwnd window, int id, int code);
    void OnBranchEnter(Hwnd window);
    void OnPhoneEnter(Hwnd window);
    void OnAmountLeave(Hwnd window, Hwnd box, bool isMileage);
    void OnPlaceEnter(Hwnd window, Hwnd box);
    void OnSearchButton(Hwnd window, bool origin);
    void OnConsignClicked(Hwnd window);
    void AskCancel(Hwnd window);
    void Finish(Hwnd window, const std::u16string& status);
    bool KnownPlace(const std::u16string& text) const;
    StoredOrder ReadOrder(EntryState& e) const;
    Hwnd Box(Hwnd owner, const std::u16string& title, const std::u16string& text,
             std::vector<MessageBoxButton> buttons, std::function<void(int)> onAnswer = nullptr);

    Options options_;
    std::vector<Branch> branches_;
    Hwnd main_{}, mdiClient_{}, view_{}, mainList_{}, reception_{};
    std::map<Hwnd, std::unique_ptr<EntryState>> entries_;
    std::vector<Hwnd> entryOrder_;
    int cascade_ = 0;
};

}  // namespace qm::sim::logid5
