// The Icon2013 substitute: the windows of the Icon2013 dispatch program that
// the order-entry robot works with, and their reactions, on any Host.
//
//   qm::testing::FakeDesktop desktop;
//   qm::sim::FakeHost host(desktop);
//   qm::sim::icon2013::Icon2013Sim sim(host, options);
//   sim.Start();                          // the main window and its "오더조회" dialog
//   ... drive desktop as the robot does ...
//   sim.Orders();                         // what was registered, held or asked about
//
// The window tree:
//   "I_Driver by IconSoft.CO.,LTD" main window
//     "AfxMDIFrame90"
//       "#32770" "오더조회"
//         Button "접수"                 -> a new order window
//   order window: "#32770" popup owned by the main window, captioned "오더접수"
//   ("오더수정" for a stored order):
//     "#32770" > "#32770" order dialog (its children: OrderDialogLayout(),
//     listed in README.md), then Button "신규접수"
//   "지도검색" map dialog: one top-level "#32770" owned by the main window,
//   hidden instead of closed and shown again by every map button.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "sim/host.h"
#include "sim/icon2013/layout.h"
#include "sim/icon2013/map_page.h"
#include "sim/icon2013/options.h"
#include "sim/kit/orders.h"
#include "sim/kit/shell.h"

namespace qm::sim::icon2013 {

using kit::StoredOrder;
using kit::StoredPlace;

// The order dialog's controls (null where --omit left one out).
struct OrderControls {
    Hwnd search{}, searchButton{}, phone{}, phone2{}, branch{};
    Hwnd origin{}, originDetail{}, originMap{};
    Hwnd destination{}, destinationMap{}, destinationDetail{};
    std::array<Hwnd, 3> via{}, viaDetail{}, viaMap{};
    Hwnd addVia{}, shrink{};
    Hwnd fare{}, payCombo{}, payAmount{}, driverMemo{}, enlarge{}, memo2{};
    Hwnd consign{}, registerButton{}, hold{}, inquiry{}, close{};
};

// Where a real click reached a via row (its detail box), in that box's client points.
struct ViaRowClick {
    int row = 0;  // 0, 1, 2
    Point client{};
};

struct OrderPoints {
    std::optional<GeoPoint> origin, destination;
    std::array<std::optional<GeoPoint>, 3> via;
};

struct OrderWindowInfo : kit::EntryState {
    Hwnd outer{}, dialog{}, newOrder{};
    OrderControls controls;
    int viaRows = 1;      // the via rows shown
    OrderPoints points;   // the positions Icon2013 holds for the order's places
    std::vector<ViaRowClick> viaClicks;
    int cardWindows = 0;  // how many "카드결제" windows it opened
    int closeRequests = 0;
};

class Icon2013Sim final : public kit::ShellOf<OrderWindowInfo> {
public:
    Icon2013Sim(Host& host, Options options);

    // Start(): the main window and its "오더조회" dialog, whose "접수" opens an order window.
    Hwnd InquiryDialog() const { return MainNamed("inquiry"); }

    // As if "접수" had been pressed (without --order-delay): the new order window.
    Hwnd OpenOrderWindow() { return OpenNewEntry(); }
    // ShowStoredOrder(k): stored order k in a "수정(E)" order window.

    std::vector<Hwnd> OrderWindows() const { return EntryWindows(); }  // open order windows, oldest first
    const OrderWindowInfo* OrderInfo(Hwnd window) const { return Find(window); }
    // The "지도검색" dialog and its browser (null until a map button opened it).
    Hwnd MapDialog() const { return mapDialog_; }
    Hwnd MapBrowser() const { return mapBrowser_; }
    int MapDialogsMade() const { return mapDialogsMade_; }

    // The branch combo's items: "name (number)".
    std::vector<std::u16string> BranchItems() const;
    // The payment combo's items: "현금", "후불", "마일리지", "카드결제", then --pay-item.
    std::vector<std::u16string> PaymentItems() const;
    // A place Icon2013 knows by name: its address and position.
    struct KnownPlace {
        std::u16string name, address;
        GeoPoint position;
    };
    static const std::vector<KnownPlace>& KnownPlaces();

private:
    using OrderState = OrderWindowInfo;
    enum class Place { Origin, Destination, Via1, Via2, Via3 };
    enum { kCustomerTimer = 1, kMapTimer };

    MainSpec Main() const override;
    Hwnd CreateEntry(const StoredOrder* order, int orderIndex) override;
    void BuildOrderControls(OrderState& o, bool modify);
    void FillFromOrder(OrderState& o, const StoredOrder& order);
    void WireOrder(OrderState& o);
    void OnEntryGone(kit::EntryState& gone) override;

    void OnOrderCommand(Hwnd window, int id, int code);
    void OnSearchEnter(Hwnd window);
    void OnPhone2Enter(Hwnd window);
    void OnViaEnter(Hwnd window, int row);
    void OnAmountEnter(Hwnd box);
    void ShowNextViaRow(Hwnd window);
    void OnViaRowClicked(Hwnd window, int row, Point client);
    void ShowCardWindow(Hwnd window);
    void RequestClose(Hwnd window);
    StoredOrder ReadOrder(const kit::EntryState& e) const override;

    void OpenMap(Hwnd window, Place place);
    void ShowMap(Hwnd window, Place place);
    void OnMapCommand(int id);

    Options options_;
    std::vector<Branch> branches_;
    Hwnd mapDialog_{}, mapBrowser_{};
    Hwnd mapOrder_{};  // the order window whose map button showed the map last
    Place mapPlace_ = Place::Origin;
    int mapDialogsMade_ = 0;
};

}  // namespace qm::sim::icon2013
