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
#include <optional>
#include <string>
#include <vector>

#include "sim/host.h"
#include "sim/kit/orders.h"
#include "sim/kit/text.h"
#include "sim/logi/entry_shell.h"
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

struct EntryWindowInfo : logi::Entry {
    EntryControls controls;
    bool originFound = false;       // Enter on the origin box found the place, or the map gave it
    bool destinationFound = false;  // likewise the destination
};

class LogiD5Sim final : public logi::EntryShell<EntryWindowInfo> {
public:
    LogiD5Sim(Host& host, Options options);

    // Start(): the main window and its main list, whose "접  수" opens an
    // entry window; a stored order opens in a "수   정(&E)" window.

private:
    MainSpec Main() const override;
    Hwnd CreateEntry(const StoredOrder* order, int orderIndex) override;
    void WireEntry(EntryWindowInfo& e);
    const char16_t* MileageRefusal(const EntryWindowInfo& e) const override;

    void OnPlaceTaken(Hwnd entry, bool origin) override;
    void OnEntryCommand(Hwnd window, int id, int code);
    void OnPlaceEnter(Hwnd window, Hwnd box);
    void OnSearchButton(Hwnd window, bool origin);
    bool KnownPlace(const std::u16string& text) const;

    Options options_;
};

}  // namespace qm::sim::logid5
