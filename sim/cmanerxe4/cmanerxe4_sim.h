// The CManerXE4 substitute: the windows of the CManerXE4 dispatch program that
// the order-entry robot works with, and their reactions, on any Host.
//
//   qm::testing::FakeDesktop desktop;
//   qm::sim::FakeHost host(desktop);
//   qm::sim::cmanerxe4::CManerXE4Sim sim(host, options);
//   sim.Start();                          // the main window and its reception tab
//   ... drive desktop as the robot does ...
//   sim.Orders();                         // what was registered, held or asked about
//
// The window tree:
//   "Tfrm_Main" "콜마너 XE 4" > "TcxPageControl" > "TcxTabSheet" "접수-상담"
//       > "TcxButton" "접 수"             -> a new entry window
//   entry window: an unowned top-level "TFrm_JON01N"; its children are the
//   table EntryLayout() (layout.cpp), listed in README.md.
//   map windows: unowned top-level "TFrm_JON31" "상담 지도" (origin and
//   destination) and "TFrm_JON30" "cal" (a via point), each with a browser.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "sim/cmanerxe4/layout.h"
#include "sim/cmanerxe4/map_pages.h"
#include "sim/cmanerxe4/options.h"
#include "sim/host.h"
#include "sim/kit/orders.h"
#include "sim/kit/shell.h"

namespace qm::sim::cmanerxe4 {

using kit::GeoPoint;
using kit::StoredOrder;
using kit::StoredPlace;

// The entry window's controls (null where --omit left one out).
struct EntryControls {
    Hwnd originMap{}, origin{}, destinationMap{}, destination{};
    std::array<Hwnd, 3> via{}, viaDetail{};
    Hwnd callerLabel{}, phone{}, phone2{}, branchCombo{}, branch{}, branchDisplay{};
    Hwnd payCombo{}, fare{}, cash{}, card{}, mileage{}, postpaid{};
    Hwnd addVia{}, viaStart{}, consignLabel{};
    Hwnd driverMemo{}, memo2{};
    Hwnd registerButton{}, closeButton{}, holdButton{}, inquiryButton{};
};

struct EntryWindowInfo : kit::EntryState {
    EntryControls controls;
    std::optional<GeoPoint> origin, destination;
    std::array<std::optional<GeoPoint>, 3> via;
    bool viaPanelOpen = false;  // the via start label was clicked
    int viaSlots = 0;           // via points the add-via button has made room for
    bool consignment = false;
    bool customerFound = false;
    Hwnd warning{};             // the consignment warning's group
    Hwnd consultMap{}, viaMap{};
};

// What CManerXE4 keeps of an entry window while it is typed into (cmanerxe4_sim.cpp).
struct EntryEdits;

class CManerXE4Sim final : public kit::ShellOf<EntryEdits> {
public:
    CManerXE4Sim(Host& host, Options options);

    // Start(): the main window and its "접수-상담" tab, whose "접 수" opens an entry window.
    Hwnd ReceptionTab() const { return MainNamed("receptionTab"); }

    // As if "접 수" had been pressed (without --entry-delay): the new window.
    Hwnd OpenEntryWindow() { return OpenNewEntry(); }

    const EntryWindowInfo* EntryInfo(Hwnd window) const;
    // The place table's answer for a name (a name it does not know still gets
    // a position of its own).
    Place LookUp(const std::u16string& name) const;
    // "name [number]" for a known branch number, the number as typed.
    std::optional<std::u16string> BranchDisplayText(const std::u16string& typed) const;

private:
    enum { kBranchTimer = 1 };

    MainSpec Main() const override;
    Hwnd CreateEntry(const StoredOrder* order, int orderIndex) override;
    void FillFromOrder(EntryEdits& e, const StoredOrder& order);
    void WireEntry(EntryEdits& e);
    void OnEntryGone(kit::EntryState& gone) override;

    void OnEntryCommand(Hwnd window, int id, int code);
    void OnBranchEnter(Hwnd window);
    void OnPhoneEnter(Hwnd window);
    void OnPlaceSearch(Hwnd window, bool origin);
    bool OnViaKey(Hwnd window, std::size_t k, std::uint32_t vk);
    void OnAmountEnter(Hwnd window, Hwnd box);
    void OnConsignClick(Hwnd window);
    void ShowMileageNotice(Hwnd window);
    void RefreshOriginMarks(EntryEdits& e);
    void OpenConsultMap(Hwnd window, bool origin);
    void OpenViaMap(Hwnd window, std::size_t k);
    StoredOrder ReadOrder(const kit::EntryState& e) const override;
    const Branch* BranchOf(const std::u16string& typed) const;

    Options options_;
    std::vector<Branch> branches_;
    std::vector<Place> places_;
};

}  // namespace qm::sim::cmanerxe4
