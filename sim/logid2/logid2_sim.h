// The LogiD2 substitute: the windows of the LogiD2 dispatch program that the
// order-entry robot works with, and their reactions, on any Host.
//
//   qm::testing::FakeDesktop desktop;
//   qm::sim::FakeHost host(desktop);
//   qm::sim::logid2::LogiD2Sim sim(host, options);
//   sim.Start();                          // the main window and its main list
//   ... drive desktop as the robot does ...
//   sim.Orders();                         // what was registered, held or filed
//
// The window tree:
//   "SmartD2-" main window
//     "MDIClient"
//       "AfxFrameOrView110s" "접수"
//         "#32770" "메인리스트"
//           Button "접  수(&N)"        -> a new entry window
//   entry window: "#32770" popup owned by the main window, captioned "오더 접수"
//   ("오더 수정" in modify mode); its direct children in z-order are the table
//   EntryLayout() (layout.cpp), listed in README.md; the first is the telephone box.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/host.h"
#include "sim/kit/orders.h"
#include "sim/kit/substitute.h"
#include "sim/kit/text.h"
#include "sim/logi/map_dialog.h"
#include "sim/logid2/layout.h"
#include "sim/logid2/options.h"

namespace qm::sim::logid2 {

using kit::HyphenatedNumber;
using logi::GeoPoint;
using logi::MapPoints;
using kit::OrderFromJson;
using kit::OrdersToJson;
using kit::StoredOrder;
using kit::StoredPlace;

// The entry window's controls (null where --omit left one out).
struct EntryControls {
    Hwnd phone{}, origin{}, destination{}, fare{}, driverMemo{};
    Hwnd cashLabel{}, cash{}, postpaidLabel{}, postpaid{}, mileage{}, cardLabel{}, card{};
    Hwnd mileageButton{}, branch{}, branchDisplay{};
    Hwnd copyAfterHold{}, phoneDisplay{}, phone2{};
    Hwnd companySupport{}, memo2Box{}, memo2{};
    Hwnd inquiry{}, hold{}, registerButton{}, cancel{}, payCombo{};
    Hwnd viaLabel{}, originMap{}, destinationMap{};
    Hwnd consignBox{}, consign{};
    std::array<Hwnd, 3> via{};
    Hwnd fitFare{}, addVia{};
};

struct EntryWindowInfo : logi::MapView {
    Hwnd window{};
    bool modify = false;
    int orderIndex = -1;  // the stored order shown (modify mode)
    EntryControls controls;
    bool customerFound = false;
    Hwnd placePopup{};  // the map: points, mapDialog, mapBrowser (logi::MapView)
};

class LogiD2Sim final : public logi::LogiSubstitute {
public:
    LogiD2Sim(Host& host, Options options);
    ~LogiD2Sim() override;

    // Creates the main window and its main list. False when the main window
    // could not be made.
    bool Start() override;

    Hwnd MainWindow() const override { return main_; }
    Hwnd MainListDialog() const { return mainList_; }
    Hwnd ReceptionButton() const { return reception_; }

    // As if "접  수(&N)" had been pressed (without --entry-delay): the new window.
    Hwnd OpenEntryWindow();
    // Opens stored order k in a modify window; null when there is no such order.
    Hwnd OpenOrderForModify(std::size_t k);
    Hwnd ShowStoredOrder(std::size_t k) override { return OpenOrderForModify(k); }

    std::vector<Hwnd> EntryWindows() const;  // open entry windows, oldest first
    const EntryWindowInfo* EntryInfo(Hwnd window) const;
    // The branch table: digits -> "로지본사 > name (number)".
    std::optional<std::u16string> BranchDisplayText(const std::u16string& typed) const;

private:
    struct EntryState;

    Hwnd CreateEntryWindow(const StoredOrder* order, int orderIndex);
    void BuildEntryControls(EntryState& e, bool modify);
    void FillFromOrder(EntryState& e, const StoredOrder& order);
    void WireEntry(Hwnd window);

    EntryState* Find(Hwnd window);
    logi::MapView* MapOf(Hwnd entry) override;
    void OnEntryCommand(Hwnd window, int id, int code, Hwnd control);
    void OnBranchEnter(Hwnd window);
    void OnPhoneEnter(Hwnd window);
    void OnAmountLeave(Hwnd window, Hwnd box, bool isMileage);
    void OnPlaceChanged(Hwnd window);
    void ShowPlacePopup(Hwnd window);
    void OnConsignClicked(Hwnd window);
    void AskCancel(Hwnd window);
    void Finish(Hwnd window, const std::u16string& status);
    void AskInquiryType(Hwnd window);
    bool RefuseUnregistered(Hwnd window);
    StoredOrder ReadOrder(EntryState& e) const;
    Hwnd Box(Hwnd owner, const std::u16string& title, const std::u16string& text,
             std::vector<MessageBoxButton> buttons, std::function<void(int)> onAnswer = nullptr);
    void CloseEntry(Hwnd window);

    Options options_;
    std::vector<Branch> branches_;
    Hwnd main_{}, mdiClient_{}, view_{}, mainList_{}, reception_{};
    std::map<Hwnd, std::unique_ptr<EntryState>> entries_;
    std::vector<Hwnd> entryOrder_;
    int cascade_ = 0;
};

}  // namespace qm::sim::logid2
