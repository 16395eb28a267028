// Window helpers every adapter shares: recognisers that pick a dispatch
// program's windows out of a tree, the descendant and direct-child searches,
// sibling steps, bounded walks over popups and top-level windows, command sends
// and posts, Enter, and answering a message box by a rule.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/desktop.h"

namespace qm {

// Class names and window texts of other programs are read with at most this many
// characters unless a caller says otherwise.
constexpr std::size_t kNameChars = 127;

// A walk over windows that the other program owns never takes more steps than
// this, whatever that program does to its z-order meanwhile.
constexpr std::size_t kMaxWalkSteps = 1024;

enum class TextMatch { Exact, Contains };

// A window recogniser: the class name and, unless texts is empty, one of the
// texts must match (Exact: whole string, case-sensitive, blanks included;
// Contains: a case-sensitive substring).
struct Recogniser {
    std::u16string_view className;
    std::array<std::u16string_view, 2> texts{};  // empty entries are unused; none at all = any text
    TextMatch match = TextMatch::Exact;
};

// Class names read once per window for one discovery. A window's class never
// changes while it lives, so a control map that searches the same tree row
// after row asks each window for it once; the windows themselves are walked
// and enumerated afresh each time, and texts are read afresh (they change), so
// what a discovery finds is what reading every class anew would find.
class ClassNames {
public:
    explicit ClassNames(Desktop& desktop) : desktop_(desktop) {}
    // GetClassName(window, kNameChars), from the second time on without asking.
    const std::u16string& Of(Hwnd window);

private:
    Desktop& desktop_;
    std::unordered_map<std::uintptr_t, std::u16string> names_;
};

// GetClassName(window, kNameChars), from names when given.
std::u16string ClassOf(Desktop& desktop, Hwnd window, ClassNames* names);

// With names, the class comes from there.
bool Matches(Desktop& desktop, Hwnd window, const Recogniser& recogniser, ClassNames* names = nullptr);
// The first descendant of parent (depth-first, as EnumChildWindows visits them)
// that the recogniser accepts; null when none does.
Hwnd FindDescendant(Desktop& desktop, Hwnd parent, const Recogniser& recogniser, ClassNames* names = nullptr);

// The embedded browser of a map window: its first descendant of class
// "Internet Explorer_Server" (the class read with 100 units); null when none.
Hwnd FindBrowser(Desktop& desktop, Hwnd mapWindow);

// A direct child of parent by class and exact text, as FindWindowEx finds it
// among parent's own children (null class or text: any).
Hwnd DirectChild(Desktop& desktop, Hwnd parent, const char16_t* className, const char16_t* text);
// The first direct child of parent that the recogniser accepts: each exact text
// in turn through FindWindowEx; a Contains recogniser reads the children of its
// class one by one, in z-order.
Hwnd DirectChild(Desktop& desktop, Hwnd parent, const Recogniser& recogniser);
// The first direct child of parent of class dialogClass (z-order) that has a
// direct child the recogniser accepts; that child goes to holder when given.
Hwnd ChildDialogHolding(Desktop& desktop, Hwnd parent, const char16_t* dialogClass, const Recogniser& recogniser,
                        Hwnd* holder = nullptr);

// The k-th window after (GW_HWNDNEXT) or before (GW_HWNDPREV) from among its
// siblings; a missing window anywhere in the chain gives null.
Hwnd After(Desktop& desktop, Hwnd from, int k);
Hwnd Before(Desktop& desktop, Hwnd from, int k);
// The first child of window (GW_CHILD).
Hwnd FirstChild(Desktop& desktop, Hwnd window);

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

// ReadEditLines into text, which is emptied first whatever the control answers.
int ReadLines(Desktop& desktop, Hwnd edit, std::u16string& text);

inline std::intptr_t AsLParam(Hwnd window) {
    return static_cast<std::intptr_t>(static_cast<std::uintptr_t>(window));
}
// PostMessage, unless the program has been found not responding: a posted
// message would wait in its queue and be carried out whenever it answers again,
// long after the request has ended. False when refused or when the post failed
// (the window is gone).
bool PostUnlessNotResponding(Desktop& desktop, Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                             std::intptr_t lParam);
// Whether the window is still there (it has a class name; a window of a program
// that ended has none). Asks the program nothing.
bool WindowExists(Desktop& desktop, Hwnd window);
// The answer of an entry whose finishing button could not be pressed because
// the order's window was gone (the program ended) before the press could be
// handed to it: the message says so, the code is result::kOrderWindowNotFound.
int FinishingWindowGone(std::u16string& message);
// The answer of a read-back whose window was gone after its last box had been
// read: an empty box and a box of a window that has gone read alike, so what
// was copied may be cut short.
int ReadWindowGone(std::u16string& message);

// An entry window the robot abandoned after a failed step: the window, and
// whether it was still there when its cancel or close command was posted.
struct Abandoned {
    Hwnd window{};
    bool existed = false;
};
// Notes the window to abandon, before its cancel or close command is posted.
Abandoned AbandonedWindow(Desktop& desktop, Hwnd window);
// Confirms an abandoned entry window: waits, at most limitMs, for it to be
// destroyed or hidden. Where the failing step wrote no message, the message
// then says what was left behind: the window left open, or a window that had
// closed before the robot abandoned it (something else pressed one of its
// buttons, so the dispatch program may hold what was typed until then).
void ConfirmAbandoned(Desktop& desktop, const Abandoned& abandoned, std::int32_t limitMs, std::u16string& message);

// WM_COMMAND with the button's id (notification 0 = BN_CLICKED) and the button
// as lParam, sent or posted to target (nothing is posted to a program found
// not responding).
std::intptr_t SendCommand(Desktop& desktop, Hwnd target, Hwnd button);
bool PostCommand(Desktop& desktop, Hwnd target, Hwnd button);
// The same command sent to the button's own parent.
std::intptr_t SendCommandToParent(Desktop& desktop, Hwnd button);
// Posts WM_KEYDOWN then WM_KEYUP of VK_RETURN with lParam 0.
void PressEnter(Desktop& desktop, Hwnd control);

// A message box the robot answers: a top-level window of boxClass named title
// (null: any title) that has every child named in mustHave, and the button to
// press.
//
// With ButtonPlace::Anywhere each mustHave entry is a direct child of the box
// and the button is the box's direct child Button `button`. With
// ButtonPlace::BeforeText the button is found first and mustHave[0] is checked
// against the window right after it (a box whose text follows its button; its
// class is checked only when the entry names one). Entries with neither class
// nor text are unused.
enum class ButtonPlace { Anywhere, BeforeText };
enum class Press { Command, SysClose };  // WM_COMMAND of the button, or SC_CLOSE to the box
struct MessageBoxRule {
    const char16_t* title = nullptr;
    const char16_t* boxClass = u"#32770";
    std::array<Recogniser, 2> mustHave{};
    std::u16string_view button;            // the Button to press; empty with Press::SysClose
    ButtonPlace place = ButtonPlace::Anywhere;
    Press press = Press::Command;
    std::size_t textChars = kNameChars;    // how much of a Contains child's text is read
};
// First: the first box that has the children and the button; FirstBox: the
// first box that has the children, answered only when it has the button too;
// Every: every such box.
enum class Answer { First, FirstBox, Every };
// One pass over the matching boxes in z-order; the button's command is sent to
// the box. Returns how many boxes were answered (First, FirstBox: at most one).
int AnswerMessageBoxes(Desktop& desktop, const MessageBoxRule& rule, Answer answer = Answer::First);

}  // namespace qm
