// The Icon2013 substitute's windows as layout tables (sim/kit/layout.h): the
// main window with its "오더조회" dialog, the order window around its order
// dialog, the order dialog's children and the "지도검색" map dialog.
// README.md's window table is checked against OrderDialogLayout() by
// tests/sim/icon2013_layout_test.cpp.
#pragma once

#include <vector>

#include "sim/kit/layout.h"

namespace qm::sim::icon2013 {

// Control ids of the order dialog (its controls' WM_COMMAND arrives there).
enum OrderId : int {
    kIdSearchLabel = 1100,
    kIdSearch = 1001,
    kIdSearchButton = 1200,  // "S"
    kIdPhoneLabel = 1101,
    kIdPhone = 1002,
    kIdPhone2 = 1003,
    kIdBranch = 1004,
    kIdBranchLabel = 1102,
    kIdOriginLabel = 1103,
    kIdOrigin = 1005,
    kIdOriginDetail = 1006,
    kIdOriginDot = 1104,
    kIdOriginMap = 1201,
    kIdDestinationLabel = 1105,
    kIdDestination = 1007,
    kIdDestinationMap = 1202,
    kIdDestinationDot = 1106,
    kIdDestinationDetail = 1008,
    kIdViaLabel = 1107,
    kIdVia1 = 1009,
    kIdVia1Detail = 1010,
    kIdAddVia = 1203,
    kIdVia2 = 1011,
    kIdVia2Detail = 1012,
    kIdVia3 = 1013,
    kIdVia3Detail = 1014,
    kIdShrink = 1204,  // "축소"
    kIdViaMap1 = 1205,
    kIdViaMap3 = 1207,
    kIdViaMap2 = 1206,
    kIdFareLabel = 1108,
    kIdFareBase = 1109,
    kIdFareNight = 1110,
    kIdFareExtra = 1111,
    kIdFareUnit = 1112,
    kIdFare = 1015,
    kIdPayLabel = 1113,
    kIdPayCombo = 1016,
    kIdPayAmount = 1017,
    kIdMemoLabel = 1114,
    kIdDriverMemo = 1018,
    kIdEnlarge = 1208,  // "확대"
    kIdMemo2Label = 1115,
    kIdMemo2 = 1019,
    kIdConsign = 1020,
    kIdRegister = 1209,  // "접수(R)", or "수정(E)" on a stored order
    kIdHold = 1210,
    kIdInquiry = 1211,
    kIdClose = 1212,
};
constexpr int kIdReception = 1000;       // "접수" in "오더조회"
constexpr int kIdOuterDialog = 100;      // the order window's first "#32770"
constexpr int kIdOrderDialog = 101;      // the order dialog inside it
constexpr int kIdNewOrder = 900;         // "신규접수" in the order window
constexpr int kIdSetOrigin = 2001;       // "출발지 설정"
constexpr int kIdSetDestination = 2002;  // "도착지 설정"
constexpr int kIdBrowser = 2003;
constexpr int kIdCardLabel = 2101;       // "카드선택" in "카드결제"

inline constexpr char16_t kMainClass[] = u"I_Driver by IconSoft.CO.,LTD";
inline constexpr char16_t kRegisterText[] = u"접수(R)";
inline constexpr char16_t kModifyText[] = u"수정(E)";
inline constexpr char16_t kHoldText[] = u"대기(W)";
inline constexpr char16_t kAltHoldText[] = u"추가대기(T)";
inline constexpr char16_t kInquiryText[] = u"문의(F9)";
inline constexpr char16_t kAltInquiryText[] = u"추가문의(Q)";
inline constexpr char16_t kMapTitle[] = u"지도검색";
inline constexpr char16_t kCardTitle[] = u"카드결제";

// The payment combo's items, in Icon2013's order.
const std::vector<std::u16string>& PayItems();

// "I_Driver by IconSoft.CO.,LTD" "Icon2013" ("main") > "AfxMDIFrame90" ("frame") >
// "#32770" "오더조회" ("inquiry") > Button "접수" ("reception").
kit::LayoutNode MainLayout();

// The order window's children: the "#32770" ("outer") holding the "#32770"
// order dialog ("dialog"), then Button "신규접수" ("newOrder").
const std::vector<kit::LayoutNode>& OrderWindowLayout();
constexpr int kOrderWidth = 780;
constexpr int kOrderHeight = 470;

// The order dialog's direct children in z-order, each named after its field in
// OrderControls. The second and third via rows start hidden.
const std::vector<kit::LayoutNode>& OrderDialogLayout();

// Where the add-via button sits beside via row k (0, 1, 2), in the order
// dialog's client coordinates: its bottom-right corner is 10 pixels above a
// point of row k + 1's detail box.
Rect AddViaPlace(int row);

// The "지도검색" dialog's children: its two set buttons and the browser ("browser").
const std::vector<kit::LayoutNode>& MapDialogLayout();

}  // namespace qm::sim::icon2013
