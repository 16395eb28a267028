// Window helpers shared by the two Logi adapters (LogiD2 and LogiD5): the
// recognisers that pick LogiD's windows out of a tree, bounded walks over
// popups and top-level message boxes, sibling counting and command sends.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/desktop.h"

namespace qm::logi {

// Class names and window texts of other programs are read with at most this many
// characters (the browser class is read with 100, see the map dialog).
constexpr std::size_t kNameChars = 127;

// A walk over windows that the other program owns never takes more steps than
// this, whatever that program does to its z-order meanwhile.
constexpr std::size_t kMaxWalkSteps = 1024;

// A window recogniser: the class name and, unless texts is empty, one of the
// texts must match exactly (whole string, case-sensitive, blanks included).
struct Recogniser {
    std::u16string_view className;
    std::array<std::u16string_view, 2> texts{};  // empty entries are unused; none at all = any text
};

inline constexpr Recogniser kIsMdiClient{u"MDIClient", {}};
inline constexpr Recogniser kIsReceptionView{u"AfxFrameOrView110s", {u"접수"}};
inline constexpr Recogniser kIsMainListDialog{u"#32770", {u"메인리스트"}};
inline constexpr Recogniser kIsReceptionButton{u"Button", {u"접  수(&N)"}};
inline constexpr Recogniser kIsEntryRegisterButton{u"Button", {u"등   록(&R)"}};
inline constexpr Recogniser kIsEntryRegisterOrModifyButton{u"Button", {u"등   록(&R)", u"수   정(&E)"}};
inline constexpr Recogniser kIsEntryHoldButton{u"Button", {u"대  기(&W)"}};
inline constexpr Recogniser kIsEntryInquiryButton{u"Button", {u"문의"}};

// Texts of LogiD's windows that both adapters look for.
inline constexpr std::u16string_view kCloseQuestion = u"접수 데이터가 일부 입력된 창을 닫겠습니까?";

bool Matches(Desktop& desktop, Hwnd window, const Recogniser& recogniser);
// The first descendant of parent (depth-first, as EnumChildWindows visits them)
// that the recogniser accepts; null when none does.
Hwnd FindDescendant(Desktop& desktop, Hwnd parent, const Recogniser& recogniser);

// The popup walk: GetWindow(owner, GW_ENABLEDPOPUP), then GW_HWNDNEXT until there
// is none. Bounded: it ends at a window it has already visited and after
// kMaxWalkSteps windows, so a z-order that changes under it cannot make it loop.
// visit returns false to end the walk.
void WalkPopups(Desktop& desktop, Hwnd owner, const std::function<bool(Hwnd)>& visit);
std::vector<Hwnd> CollectPopups(Desktop& desktop, Hwnd owner);

// The top-level windows of className / windowName (null = any) in z-order, found
// with FindWindowEx(null, previous, ...); bounded like WalkPopups. The list is
// taken before the caller acts on any of them, so closing one cannot cut the
// walk short.
std::vector<Hwnd> CollectTopLevel(Desktop& desktop, const char16_t* className, const char16_t* windowName);

// A direct child of parent by class and exact text (FindWindowEx among parent's
// own children).
Hwnd DirectChild(Desktop& desktop, Hwnd parent, const char16_t* className, const char16_t* text);

// The k-th window after (GW_HWNDNEXT) or before (GW_HWNDPREV) from among its
// siblings; a missing window anywhere in the chain gives null.
Hwnd After(Desktop& desktop, Hwnd from, int k);
Hwnd Before(Desktop& desktop, Hwnd from, int k);
// ReadEditLines into text, which is emptied first whatever the control answers.
int ReadLines(Desktop& desktop, Hwnd edit, std::u16string& text);

// The first child of window (GW_CHILD).
Hwnd FirstChild(Desktop& desktop, Hwnd window);

inline std::intptr_t AsLParam(Hwnd window) {
    return static_cast<std::intptr_t>(static_cast<std::uintptr_t>(window));
}
// WM_COMMAND with the button's id (notification 0) and the button as lParam,
// sent or posted to target.
std::intptr_t SendCommand(Desktop& desktop, Hwnd target, Hwnd button);
bool PostCommand(Desktop& desktop, Hwnd target, Hwnd button);
// The same command sent to the button's own parent.
std::intptr_t SendCommandToParent(Desktop& desktop, Hwnd button);
// Posts WM_KEYDOWN then WM_KEYUP of VK_RETURN with lParam 0.
void PressEnter(Desktop& desktop, Hwnd control);

// One pass over the top-level "#32770" windows named title (null = any title):
// the first one that has a direct child Static staticText and a direct child
// Button buttonText gets the button's command sent. True when one was answered.
bool AnswerMessageBox(Desktop& desktop, const char16_t* title, const char16_t* staticText,
                      const char16_t* buttonText);

// Polls like every time-limited wait of the robot: for t = 0 while t < limit,
// t += 100: sleep 100 ms, then probe; true as soon as probe answers true. Ends
// early, with false, once the other program has stopped answering.
bool PollEvery100(Desktop& desktop, std::int32_t limit, const std::function<bool()>& probe);

// Answers LogiD's close question ("예(&Y)" in a top-level "#32770" titled "취소"
// with the question as a direct child Static) within limit. True when answered.
bool AnswerCloseQuestion(Desktop& desktop, std::int32_t limit);

}  // namespace qm::logi
