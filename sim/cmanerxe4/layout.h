// The CManerXE4 substitute's windows as layout tables (sim/kit/layout.h): the
// main window with its reception tab, the entry window, and the two map
// windows. README.md's window table is checked against them by
// tests/sim/cmanerxe4_layout_test.cpp.
#pragma once

#include <vector>

#include "sim/kit/layout.h"

namespace qm::sim::cmanerxe4 {

// The classes CManerXE4's controls are registered under.
inline constexpr char16_t kLabelClass[] = u"TcxLabel";
inline constexpr char16_t kButtonClass[] = u"TcxButton";
inline constexpr char16_t kMemoClass[] = u"TcxMemo";
inline constexpr char16_t kComboClass[] = u"TcxComboBox";
inline constexpr char16_t kGroupClass[] = u"TcxGroupBox";
inline constexpr char16_t kGlowButtonClass[] = u"TAdvGlowButton";
inline constexpr char16_t kEntryClass[] = u"TFrm_JON01N";
inline constexpr char16_t kConsultMapClass[] = u"TFrm_JON31";
inline constexpr char16_t kViaMapClass[] = u"TFrm_JON30";

// Control ids; the buttons' commands are handled at the entry window.
enum EntryId : int {
    kIdOriginMap = 3001,
    kIdOrigin = 3002,
    kIdDestinationMap = 3003,
    kIdDestination = 3004,
    kIdPhone = 3010,
    kIdPhone2 = 3011,
    kIdBranchCombo = 3012,
    kIdBranch = 3013,
    kIdBranchDisplay = 3014,
    kIdPayCombo = 3020,
    kIdFare = 3021,
    kIdCash = 3022,
    kIdCard = 3023,
    kIdMileage = 3024,
    kIdPostpaid = 3025,
    kIdAddVia = 3030,
    kIdDriverMemo = 3040,
    kIdMemo2 = 3041,
    kIdVia1 = 3051,
    kIdVia2 = 3052,
    kIdVia3 = 3053,
    kIdViaDetail1 = 3061,
    kIdViaDetail2 = 3062,
    kIdViaDetail3 = 3063,
    kIdRegister = 3101,  // "접수(F9)", or "수정(F7)" on a stored order
    kIdClose = 3102,     // "종료(F8)"
    kIdHold = 3103,      // "대기(F10)"
    kIdInquiry = 3104,   // "문의(F12)"
    kIdWarningClose = 3110,  // "닫    기" under the consignment warning
};
constexpr int kIdReception = 1000;     // "접 수" on the reception tab
constexpr int kIdViaMapClose = 4001;   // the via map's "닫기"
constexpr int kIdConsultBrowser = 4101;
constexpr int kIdViaBrowser = 4102;

inline constexpr char16_t kRegisterText[] = u"접수(F9)";
inline constexpr char16_t kModifyText[] = u"수정(F7)";
inline constexpr char16_t kCallerLabelText[] = u"발신☎";
inline constexpr char16_t kWarningText[] = u"[탁송 중 차량변경 건 주의사항]";

// "Tfrm_Main" "콜마너 XE 4" ("main") > "TcxPageControl" > "TcxTabSheet" "조회",
// "TcxTabSheet" "접수-상담" ("receptionTab") > "TcxButton" "접 수" ("reception").
kit::LayoutNode MainLayout();

// The entry window's direct children in z-order (named after the fields of
// EntryControls); the buttons send their commands to the window named "entry".
const std::vector<kit::LayoutNode>& EntryLayout();
constexpr int kEntryWidth = 900;
constexpr int kEntryHeight = 560;

// The consultation map "상담 지도": a browser ("browser").
const std::vector<kit::LayoutNode>& ConsultMapLayout();
// The via map "cal": its close button at next x5 of the first child of the
// third child's first child, a browser ("browser") elsewhere.
const std::vector<kit::LayoutNode>& ViaMapLayout();

}  // namespace qm::sim::cmanerxe4
