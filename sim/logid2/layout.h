// The LogiD2 substitute's windows as layout tables (sim/kit/layout.h): the
// main window with its main list, the entry window's children and the map
// dialog. README.md's window table is checked against EntryLayout() by
// tests/sim/logid2_layout_test.cpp.
#pragma once

#include <vector>

#include "sim/kit/layout.h"
#include "sim/logi/map_dialog.h"

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
using logi::kIdBrowser;         // the map dialog (sim/logi/map_dialog.h)
using logi::kIdSetDestination;
using logi::kIdSetOrigin;
constexpr int kIdPopupMap = 2101;   // place popup "지도"
constexpr int kIdPopupClose = 2102; // place popup "닫기"

inline constexpr char16_t kRegisterText[] = u"등   록(&R)";
inline constexpr char16_t kModifyText[] = u"수   정(&E)";
inline constexpr char16_t kCancelText[] = u"취소";
inline constexpr char16_t kAltCancelText[] = u"취   소(&X)";

// "SmartD2-" "LogiD2 - 로지D2" > "MDIClient" > "AfxFrameOrView110s" "접수" >
// "#32770" "메인리스트" (named "mainList") > Button "접  수(&N)" ("reception").
// The main window is named "main", the others "mdiClient" and "view".
kit::LayoutNode MainLayout();

// The entry window's direct children in z-order, each named after its field in
// EntryControls ("via1".."via3" for the via boxes); the memo-2 box and the
// consignment check box, inside their "#32770"s, send their commands to the
// window named "entry".
const std::vector<kit::LayoutNode>& EntryLayout();
constexpr int kEntryWidth = 760;
constexpr int kEntryHeight = 430;

}  // namespace qm::sim::logid2
