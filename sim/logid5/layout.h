// The LogiD5 substitute's windows as layout tables (sim/kit/layout.h): the
// main window with its main list and the entry window, whose controls sit in
// "#32770" child dialogs. README.md's window table is checked against
// EntryLayout() by tests/sim/logid5_layout_test.cpp. The map dialog is the
// Logi one (sim/logi/map_dialog.h).
#pragma once

#include <vector>

#include "sim/kit/layout.h"
#include "sim/logi/map_dialog.h"

namespace qm::sim::logid5 {

// Control ids. Every command of the entry window's controls, those inside its
// child dialogs too, is handled at the entry window.
enum EntryId : int {
    // the customer dialog
    kIdCustomerBox = 1300,
    kIdPhone = 1001,  // the customer search box, after Static "고객검색"
    // the telephone and memo dialog (Button "전화2")
    kIdPhoneBox = 1301,
    kIdDriverMemo = 1002,
    kIdPhoneDisplay = 1003,
    kIdPhone2 = 1004,
    kIdPhone2Button = 1201,
    kIdMemo2 = 1005,
    // the branch dialog (Static "예약")
    kIdBranchBox = 1302,
    kIdBranchDisplay = 1006,
    kIdBranch = 1007,
    kIdBranchSearch = 1202,
    // the amount dialog (Button "업체지원")
    kIdAmountBox = 1303,
    kIdCompanySupport = 1203,
    kIdFare = 1008,
    kIdPayCombo = 1009,
    kIdCash = 1010,
    kIdPostpaid = 1011,
    kIdMileage = 1012,
    kIdCard = 1013,
    // the consignment dialog (Static "업소비")
    kIdConsignBox = 1304,
    kIdConsign = 1014,
    kIdBusinessFee = 1015,
    // the place dialog (Button "출발지")
    kIdPlaceBox = 1305,
    kIdOrigin = 1016,
    kIdDestination = 1017,
    kIdOriginSearch = 1204,       // "출발지": opens the map for the origin
    kIdDestinationSearch = 1205,  // "도착지": opens it for the destination
    // the via dialog (Button "경유추가")
    kIdViaBox = 1306,
    kIdAddVia = 1206,
    kIdOriginMap = 1207,
    kIdDestinationMap = 1208,
    kIdVia1 = 1018,
    kIdVia2 = 1019,
    kIdVia3 = 1020,
    // the entry window's own buttons
    kIdInquiry = 1209,
    kIdRegister = 1210,  // "등   록(&R)", or "수   정(&E)" on a stored order
    kIdHold = 1211,
    kIdCancel = 1212,
};
constexpr int kIdReception = 1000;  // "접  수" in the main list

using logi::kIdBrowser;
using logi::kIdSetDestination;
using logi::kIdSetOrigin;

inline constexpr char16_t kRegisterText[] = u"등   록(&R)";
inline constexpr char16_t kModifyText[] = u"수   정(&E)";
inline constexpr char16_t kCancelText[] = u"취   소(&X)";
inline constexpr char16_t kPlainCancelText[] = u"취소";

// "D5-" "LogiD5 - 로지D5" > "MDIClient" > "AfxFrameOrView140s" "접수" >
// "#32770" "메인리스트" (named "mainList") > Button "접  수" ("reception").
// The main window is named "main", the others "mdiClient" and "view".
kit::LayoutNode MainLayout();

// The entry window's direct children in z-order: six child dialogs, then its
// own buttons. Each window is named after its field in EntryControls
// ("via1".."via3" for the via boxes); every control sends its commands to the
// window named "entry".
const std::vector<kit::LayoutNode>& EntryLayout();
constexpr int kEntryWidth = 780;
constexpr int kEntryHeight = 460;

}  // namespace qm::sim::logid5
