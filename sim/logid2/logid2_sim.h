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
#include <optional>
#include <string>
#include <vector>

#include "sim/host.h"
#include "sim/kit/orders.h"
#include "sim/kit/text.h"
#include "sim/logi/entry_shell.h"
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

struct EntryWindowInfo : logi::Entry {
    EntryControls controls;
    Hwnd placePopup{};    // the "지명검색" popup (the map: logi::MapView)
    Hwnd lastPlaceBox{};  // the place box changed last
};

class LogiD2Sim final : public logi::EntryShell<EntryWindowInfo> {
public:
    LogiD2Sim(Host& host, Options options);

    // Start(): the main window and its main list, whose "접  수(&N)" opens an entry window.

private:
    enum { kPopupTimer = kOwnTimer };

    MainSpec Main() const override;
    Hwnd CreateEntry(const StoredOrder* order, int orderIndex) override;
    void WireEntry(EntryWindowInfo& e);
    const char16_t* MileageRefusal(const EntryWindowInfo& e) const override;

    void OnEntryCommand(Hwnd window, int id, int code);
    void OnPlaceChanged(Hwnd window);
    void ShowPlacePopup(Hwnd window);
    void OnFinishing(const kit::EntryState& e, StoredOrder& o) const override;
    void AskInquiryType(Hwnd window);
    bool RefuseUnregistered(Hwnd window);

    Options options_;
};

}  // namespace qm::sim::logid2
