// What LogiD2 and LogiD5 share of their windows: the recognisers of the Logi
// main list and entry buttons, and LogiD's close question.
#pragma once

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "callport/windows.h"
#include "platform/desktop.h"

namespace qm::logi {

// The classes the Logi programs' controls are treated as.
inline constexpr std::u16string_view kEditKind = u"Edit";
inline constexpr std::u16string_view kComboKind = u"ComboBox";
inline constexpr std::u16string_view kButtonKind = u"Button";

inline constexpr Recogniser kIsMdiClient{u"MDIClient", {}};
inline constexpr Recogniser kIsReceptionView{u"AfxFrameOrView110s", {u"접수"}};
inline constexpr Recogniser kIsMainListDialog{u"#32770", {u"메인리스트"}};
inline constexpr Recogniser kIsReceptionButton{u"Button", {u"접  수(&N)"}};
inline constexpr Recogniser kIsEntryRegisterButton{u"Button", {u"등   록(&R)"}};
inline constexpr Recogniser kIsEntryRegisterOrModifyButton{u"Button", {u"등   록(&R)", u"수   정(&E)"}};
inline constexpr Recogniser kIsEntryHoldButton{u"Button", {u"대  기(&W)"}};
inline constexpr Recogniser kIsEntryInquiryButton{u"Button", {u"문의"}};

// "Close the window whose order is partly entered?", asked when an entry window
// is cancelled.
inline constexpr std::u16string_view kCloseQuestion = u"접수 데이터가 일부 입력된 창을 닫겠습니까?";

// A Logi entry window's cancel button: a direct child "취소" or "취   소(&X)".
inline constexpr Recogniser kIsEntryCancelButton{u"Button", {u"취소", u"취   소(&X)"}};

// Every new-order entry window of main (a popup showing "등   록(&R)") with
// its cancel button, listed before any of them is abandoned: closing one
// changes the z-order the walk follows.
std::vector<std::pair<Hwnd, Hwnd>> NewEntryWindows(Desktop& desktop, Hwnd main);

// Answers LogiD's close question ("예(&Y)" in a top-level "#32770" titled "취소"
// with the question as a direct child Static) within limit. True when answered.
bool AnswerCloseQuestion(Desktop& desktop, std::int32_t limit);

}  // namespace qm::logi
