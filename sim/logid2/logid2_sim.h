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
//   ("오더 수정" in modify mode); its direct children in z-order are listed in
//   logid2_sim.cpp (EntryLayout) and README.md; the first is the telephone box.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/host.h"
#include "sim/logid2/map_page.h"
#include "sim/logid2/options.h"
#include "sim/logid2/orders.h"

namespace qm::sim::logid2 {

// Control ids of the entry window (its WM_COMMAND arrives at the entry window).
enum EntryId : int {
    kIdPhone = 1001,
    kIdOrigin = 1002,
    kIdDestination = 1003,
    kIdFare = 1004,
    kIdDriverMemo = 1005,
    kIdCash = 1006,
    kIdPostpaid = 1007,
    kIdMileage = 1008,
    kIdCard = 1009,
    kIdBranch = 1010,
    kIdBranchDisplay = 1011,
    kIdPhoneDisplay = 1012,
    kIdPhone2 = 1013,
    kIdMemo2 = 1014,
    kIdPayCombo = 1015,
    kIdConsign = 1016,
    kIdVia1 = 1017,
    kIdVia2 = 1018,
    kIdVia3 = 1019,
    kIdMemo2Box = 1300,
    kIdConsignBox = 1301,
    kIdMileageButton = 1200,
    kIdCopyAfterHold = 1201,
    kIdCompanySupport = 1202,
    kIdInquiry = 1203,
    kIdHold = 1204,
    kIdRegister = 1205,  // "등   록(&R)", or "수   정(&E)" in modify mode
    kIdCancel = 1206,
    kIdOriginMap = 1207,
    kIdDestinationMap = 1208,
    kIdFitFare = 1209,   // "적정"
    kIdAddVia = 1210,    // "경"
    kIdOpenMap = 3826,   // command: open the "지도보기" dialog
};
constexpr int kIdReception = 1000;  // "접  수(&N)" in the main list
constexpr int kIdSetOrigin = 2001;  // "출발지를 현위치로"
constexpr int kIdSetDestination = 2002;  // "도착지를 현위치로"
constexpr int kIdBrowser = 2003;
constexpr int kIdPopupMap = 2101;   // place popup "지도"
constexpr int kIdPopupClose = 2102; // place popup "닫기"

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

struct EntryWindowInfo {
    Hwnd window{};
    bool modify = false;
    int orderIndex = -1;  // the stored order shown (modify mode)
    EntryControls controls;
    bool customerFound = false;
    MapPoints points;     // positions taken from the map (or the stored order)
    Hwnd mapDialog{}, mapBrowser{}, placePopup{};
};

class LogiD2Sim {
public:
    LogiD2Sim(Host& host, Options options);
    ~LogiD2Sim();
    LogiD2Sim(const LogiD2Sim&) = delete;
    LogiD2Sim& operator=(const LogiD2Sim&) = delete;

    // Creates the main window and its main list (and, with --open-order, the
    // modify window of that order). False when the main window could not be made.
    bool Start();

    Hwnd MainWindow() const { return main_; }
    Hwnd MainListDialog() const { return mainList_; }
    Hwnd ReceptionButton() const { return reception_; }

    // As if "접  수(&N)" had been pressed (without --entry-delay): the new window.
    Hwnd OpenEntryWindow();
    // Opens stored order k in a modify window; null when there is no such order.
    Hwnd OpenOrderForModify(std::size_t k);
    // Adds an order as if it had been saved earlier (tests, --open-order); its index.
    std::size_t AddOrder(StoredOrder order);

    std::vector<Hwnd> EntryWindows() const;  // open entry windows, oldest first
    const EntryWindowInfo* EntryInfo(Hwnd window) const;
    const std::vector<StoredOrder>& Orders() const { return orders_; }
    std::string OrdersJson() const { return OrdersToJson(orders_); }
    // Writes the orders file now (when one was given); false when it could not be written.
    bool WriteOrdersFile() const;

    // The branch table: digits -> "로지본사 > name (number)".
    std::optional<std::u16string> BranchDisplayText(const std::u16string& typed) const;

private:
    struct EntryState;

    Hwnd Make(WindowSpec desc);
    // A child control: behaviour, text, id and place are all most windows need.
    Hwnd MakeControl(Behaviour behaviour, std::u16string text, int id, Hwnd parent, Rect rect);
    bool Omitted(const WindowSpec& desc) const;
    void Listen(Hwnd target, Host::CommandHandler handler);
    Hwnd CreateEntryWindow(const StoredOrder* order, int orderIndex);
    void BuildEntryControls(EntryState& e, bool modify);
    void FillFromOrder(EntryState& e, const StoredOrder& order);
    void WireEntry(Hwnd window);

    EntryState* Find(Hwnd window);
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
    void OpenMap(Hwnd window);
    void OnMapCommand(Hwnd window, int id);
    void RecentreMap(Hwnd window, const std::optional<GeoPoint>& point);
    void UpdateMapUrl(EntryState& e);
    std::optional<GeoPoint> MapCentre(EntryState& e);
    StoredOrder ReadOrder(EntryState& e) const;
    Hwnd Box(Hwnd owner, const std::u16string& title, const std::u16string& text,
             std::vector<MessageBoxButton> buttons, std::function<void(int)> onAnswer = nullptr);
    void CloseEntry(Hwnd window);
    void OrdersChanged();

    Host& host_;
    Options options_;
    std::vector<Branch> branches_;
    Hwnd main_{}, mdiClient_{}, view_{}, mainList_{}, reception_{};
    std::map<Hwnd, std::unique_ptr<EntryState>> entries_;
    std::vector<Hwnd> entryOrder_;
    std::vector<StoredOrder> orders_;
    int nextSerial_ = 1;
    int cascade_ = 0;
};

// The digits of a telephone-style number written with hyphens, as LogiD2
// shows numbers: 02-123-4567, 010-1234-5678, 0504-123-4567, 1588-1234.
std::u16string HyphenatedNumber(const std::u16string& digits);

}  // namespace qm::sim::logid2
