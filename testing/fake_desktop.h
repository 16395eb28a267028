// FakeDesktop: an in-process desktop for tests and for the substitute programs'
// fake host. It implements the Desktop port with a window tree, the standard
// controls the dispatch programs use, a posted-message queue, a virtual clock,
// a message recorder, a cursor with hit testing and browser pages. Everything
// is deterministic and single-threaded: minutes of virtual sleep take no time.
//
// A tiny window tree, a hook and a page:
//
//   qm::testing::FakeDesktop d;
//   using qm::testing::Behaviour;
//   qm::Hwnd main = d.Create({.className = u"SmartD2-", .text = u"LogiD2",
//                             .rect = {0, 0, 800, 600}});
//   qm::Hwnd dlg = d.Create({.behaviour = Behaviour::Dialog, .text = u"메인리스트",
//                            .parent = main, .rect = {10, 10, 300, 200}});
//   qm::Hwnd edit = d.Create({.behaviour = Behaviour::Edit, .id = 1001, .parent = dlg,
//                             .rect = {10, 10, 200, 34}});
//   qm::Hwnd ok = d.Create({.behaviour = Behaviour::Button, .text = u"확인", .id = 1,
//                           .parent = dlg, .rect = {10, 50, 90, 74}});
//   // React to the button's BN_CLICKED at the dialog (its command target):
//   d.AddMessageHook(dlg, [&](const qm::testing::Message& m) -> std::optional<std::intptr_t> {
//       if (m.message == qm::msg::WM_COMMAND && qm::msg::LowWord(m.wParam) == 1) {
//           d.HostSetText(edit, u"pressed");
//           return 0;  // consumed
//       }
//       return std::nullopt;  // let the default behaviour run
//   });
//   d.Send(ok, qm::msg::BM_CLICK, 0, 0);          // -> WM_COMMAND(1, BN_CLICKED) at dlg
//   // A map page in a browser window:
//   qm::Hwnd browser = d.Create({.className = u"Internet Explorer_Server", .parent = dlg,
//                                .rect = {0, 80, 300, 200}});
//   auto page = d.AttachPage(browser);
//   page->url = u"http://map/?strSPosX=127.1&strSPosY=37.5";
//   page->eval = [](const std::u16string&) { return qm::testing::ScriptBool(true); };
//
// Rules the fake follows (each is what Win32 does, or the documented simplification):
//
// Z-order. Child windows are kept in creation order: GetWindow(GW_CHILD) gives the
//   first one created and GW_HWNDNEXT walks on in creation order, as a dialog's
//   controls come from its template. A new top-level window goes to the top of
//   the top-level z-order (a non-topmost window created and shown in Win32 is put
//   at HWND_TOP), so FindWindow finds the newest match first. Owned windows stay
//   above their owner: SetForegroundWindow, SetActiveWindow, ShowWindow with
//   SW_SHOW/SW_SHOWNORMAL/SW_RESTORE/SW_SHOWMAXIMIZED and a real click bring a
//   top-level window to the top together with the windows it owns. PlaceAfter
//   lets a test arrange any other order.
// Lookups. FindWindow/FindWindowEx compare class names and window names without
//   regard to case, over hidden windows too. Case is folded one UTF-16 unit at a
//   time, for ASCII, Latin-1, Latin Extended-A, Greek, Cyrillic and the
//   full-width Latin letters, as Wine's tables do (testing/case_fold.h lists the
//   ranges and the letters that stay themselves); other letters compare exactly.
//   GetWindow(GW_ENABLEDPOPUP) gives the first top-level window in z-order that
//   is visible, enabled and owned by the window directly or through its owners,
//   or null. EnumChildWindows visits descendants depth-first in pre-order from a
//   snapshot taken at the start; a null parent is a null window and visits
//   nothing (as the real port does).
// Texts. GetWindowText is the cross-process call: it reads the window's own
//   caption without sending a message. Edit and combo boxes keep their text
//   apart from that caption: their window procedures never pass the creation
//   text or WM_SETTEXT on to DefWindowProc (an edit shows its creation text, a
//   combo box ignores it). So their caption stays empty: GetWindowText gives ""
//   and FindWindow(Ex) does not find them by what they show, while WM_GETTEXT
//   gives what they show.
// Handles are never reused. Any operation on a destroyed or unknown handle
//   behaves as on an invalid window: nothing is delivered, 0/empty is returned.
// Messages through the port (Send, Post, SendTimeout, the Send* text calls)
//   are the robot's cross-process calls: bounded and subject to hung windows.
//   The Host* calls are what the dispatch program does to its own windows.
//   A posted message is delivered only when the clock advances: at the start of
//   each Sleep (then after each timer that fires) or by DeliverPosted().
//
// Standard controls (Behaviour), independent of the class name:
//  Edit: multi-line unless `multiline` is false; lines are separated by "\r\n".
//    WM_CHAR inserts at the caret, replacing the selection ('\b' deletes
//    backwards, '\r'/'\n' insert "\r\n" in a multi-line box and nothing in a
//    single-line one, other control characters are ignored, a read-only box
//    ignores typing). WM_KEYDOWN VK_DELETE deletes the selection or the
//    character after the caret; VK_LEFT/VK_RIGHT/VK_HOME/VK_END move the caret.
//    EM_SETSEL, EM_GETSEL, EM_GETLINECOUNT, EM_LINEINDEX, EM_LINELENGTH,
//    EM_GETLINE follow the edit control of user32. WM_SETTEXT puts the caret at
//    0 and sends EN_CHANGE only from a single-line box (as Windows does).
//    WM_KEYDOWN answers 1 whatever the key, as Wine's edit control does.
//    A click (WM_LBUTTONDOWN at client x,y) sets the focus and puts the caret
//    at the character under the point. The model of "under the point": a point
//    inside the top-left 16 x 16 pixels of the client area is position 0, any
//    other point is the end of the text (a WindowSpec may supply its own rule).
//    Every change of the text sends EN_UPDATE then EN_CHANGE to the command
//    target.
//  Button: WM_LBUTTONDOWN then WM_LBUTTONUP inside the client area (with the
//    pushed state not cleared between them by BM_SETSTATE FALSE), BM_CLICK, or
//    WM_KEYDOWN then WM_KEYUP VK_SPACE count as a click: WM_COMMAND(id,
//    BN_CLICKED) is sent to the command target. CheckBox: the same, and a
//    click toggles the check; BM_GETCHECK/BM_SETCHECK (no notification).
//  Label: text only. Dialog: a "#32770" container. Container: any other class.
//  Combo: item list; CB_ADDSTRING, CB_GETCOUNT, CB_GETCURSEL, CB_SETCURSEL
//    (no notification; -1 clears the selection and the text; an index out of
//    range gives CB_ERR and changes nothing), CB_GETLBTEXT, CB_GETLBTEXTLEN,
//    CB_RESETCONTENT; its text is the selected item ("" with none; the creation
//    text is never shown). A drop-down list (CBS_DROPDOWNLIST, the default) has
//    no edit box: WM_SETTEXT answers CB_ERR and changes nothing. An `editable`
//    combo (CBS_DROPDOWN) shows what WM_SETTEXT set, which keeps the selection
//    index; unlike the real one it has no child "Edit" window. WM_KEYDOWN
//    VK_DOWN/VK_UP select the next/previous item and send CBN_SELCHANGE, as a
//    closed drop-down list does.
//  Every window: WM_SETTEXT/WM_GETTEXT/WM_GETTEXTLENGTH; WM_SYSCOMMAND SC_CLOSE
//    sends WM_CLOSE, and WM_CLOSE destroys the window (a hook may intercept
//    either, e.g. to hide a dialog instead). Destroying a window sends
//    WM_DESTROY, destroys the windows it owns first, kills its timers and
//    detaches its page.
//  The command target of a control's notifications (WM_COMMAND) is its parent
//  unless the WindowSpec or SetCommandTarget names another window.
//  Focus is kept per process: clicks on edits, buttons and combos move it and
//  send WM_KILLFOCUS/WM_SETFOCUS, as SetFocus does. A WM_SETFOCUS sent by the
//  robot is only a message and does not move the focus.
//
// Where it lives: the class is declared here and defined by concern, each file
// readable on its own (testing/fake_desktop_internal.h holds the window record
// and the helpers they share):
//   fake_tree.cpp      the window tree and z-order, geometry, activation and
//                      showing, the port's lookups and walks
//   fake_controls.cpp  the standard controls and their state, notifications, focus
//   fake_messages.cpp  delivery, hooks and the recorder, sends and posts, hung windows
//   fake_clock.cpp     the posted queue, the virtual clock and timers
//   fake_input.cpp     the cursor, hit testing and real clicks
//   fake_page.cpp      pages in browser windows (with FakePage itself)
//   case_fold.cpp      case folding for the lookups
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/desktop.h"
#include "platform/messages.h"
#include "testing/fake_page.h"
#include "testing/message_log.h"

namespace qm::testing {

// Message numbers the fake uses that the port's list does not need.
namespace fakemsg {
constexpr std::uint32_t WM_DESTROY = 0x0002;
constexpr std::uint32_t WM_SHOWWINDOW = 0x0018;
constexpr std::uint32_t EM_GETSEL = 0x00B0;
constexpr std::uint32_t BM_GETSTATE = 0x00F2;
constexpr std::uint32_t CB_RESETCONTENT = 0x014B;
constexpr std::uint16_t EN_UPDATE = 0x0400;
constexpr std::uintptr_t VK_BACK = 0x08;
constexpr std::uintptr_t VK_END = 0x23;
constexpr std::uintptr_t VK_HOME = 0x24;
constexpr std::uintptr_t VK_LEFT = 0x25;
constexpr std::uintptr_t VK_UP = 0x26;
constexpr std::uintptr_t VK_RIGHT = 0x27;
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_SHOWNA = 8;
constexpr std::intptr_t BST_PUSHED = 0x0004;
constexpr std::intptr_t BST_FOCUS = 0x0008;
}  // namespace fakemsg

// What a window does, independent of its class name; the same names as the
// substitutes' host (sim/host.h) uses.
enum class Behaviour { Container, Dialog, Edit, Button, CheckBox, Label, Combo };

// Border widths between a window's rectangle and its client area.
struct Insets {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

// Where a click at a client point puts an edit box's caret.
using CaretRule = std::function<std::size_t(const std::u16string& text, Point client)>;

// What Create builds. Fields in declaration order (for designated initializers).
struct WindowSpec {
    Behaviour behaviour = Behaviour::Container;
    std::u16string className{};  // empty: "Edit", "Button", "Static", "ComboBox", "#32770" by
                               // behaviour ("Container" needs one; empty gives "FakeWindow")
    std::u16string text{};     // caption; an edit's initial text instead (its caption stays
                               // empty); a combo box ignores it (its caption stays empty)
    int id = 0;                // control id (GetDlgCtrlID)
    Hwnd parent{};             // a child of this window
    Hwnd owner{};              // else a top-level window owned by this one (or unowned)
    Rect rect{};               // a child's in its parent's client coordinates, a top-level
                               // window's in screen coordinates; an empty rectangle becomes
                               // 100 x 24 (child) or 640 x 480 (top-level) at its left/top
    Insets frame{};            // client area = rect less these borders
    bool visible = true;
    bool enabled = true;
    bool overlapped = false;   // top-level: WS_OVERLAPPED (GetParent gives null) instead of
                               // WS_POPUP (GetParent gives the owner)
    bool multiline = true;     // Edit
    bool readOnly = false;     // Edit
    std::vector<std::u16string> items{};  // Combo
    int selection = -1;        // Combo: the initial selection (its text becomes the text)
    bool editable = false;     // Combo: a drop-down combo with an edit box (CBS_DROPDOWN),
                               // whose text WM_SETTEXT sets; false: a drop-down list
    bool checked = false;      // CheckBox
    Hwnd commandTarget{};      // where its WM_COMMAND notifications go; null: the parent
    int process = 0;           // "process" for hung groups and focus; 0: the parent's or
                               // owner's, 1 for an unowned top-level window
    CaretRule caretRule{};     // Edit: replaces the 16-pixel click rule
    Hwnd handle{};             // the handle it gets (one never given before); null: the next free one
};

// A message as a window's hooks see it.
struct Message {
    Hwnd window{};
    std::uint32_t message = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
    bool posted = false;
    bool fromPort = false;
    const std::u16string* text = nullptr;  // WM_SETTEXT's text, CB_ADDSTRING's item
    std::u16string* reply = nullptr;       // WM_GETTEXT, EM_GETLINE, CB_GETLBTEXT: the text
                                           // answered (a hook that consumes such a message
                                           // writes it here; the desktop cuts it to the buffer)
    std::size_t units = 0;                 // the caller's buffer size for the reply
};

// Runs before the default behaviour; a value consumes the message (the value is
// the result), nullopt lets it through to the next hook and then the default.
using MessageHook = std::function<std::optional<std::intptr_t>(const Message&)>;
// Runs after the message was handled (by a hook or by default), unless the
// window was destroyed meanwhile.
using AfterHook = std::function<void(const Message&, std::intptr_t result)>;
// Runs whenever the text of the window changed, whatever changed it.
using TextHook = std::function<void(Hwnd window, const std::u16string& text)>;

using HookId = std::uint64_t;
using TimerId = std::uint64_t;

// A real click (MouseEvent) as the desktop routed it.
struct RealClick {
    Point screen;
    Hwnd window{};        // the window under the cursor (or holding the capture)
    bool down = false;    // LEFTDOWN (true) or LEFTUP
    bool delivered = false;  // a WM_LBUTTONDOWN/UP was queued for it (false: no window,
                             // a disabled window, or the non-client area)
};

class FakeDesktop final : public Desktop {
public:
    // The bound of the robot's sends: how long a send to a hung window waits.
    static constexpr std::uint32_t kSendTimeoutMs = 5000;
    // How many posted messages one Sleep (or DeliverPosted) may deliver.
    static constexpr std::size_t kMaxPostedPerSleep = 10000;
    // The module handle that stands for a loaded "OLEACC.DLL".
    static constexpr Module kOleacc{0x7FFA0000u};

    FakeDesktop();
    ~FakeDesktop() override;
    FakeDesktop(const FakeDesktop&) = delete;
    FakeDesktop& operator=(const FakeDesktop&) = delete;

    // ---- Building the tree (test and substitute code) ----
    // Throws std::invalid_argument for a parent or owner that is not a window.
    Hwnd Create(const WindowSpec& desc);
    void Destroy(Hwnd window);
    // The program of `process` is gone, as when it crashed or was killed: every
    // window of the process disappears at once without hearing WM_DESTROY (a
    // dead program runs no code), with its hooks, pages, timers and queued
    // messages. Timers without an owner window are taken for the program's too
    // (the fake cannot tell whose they are, and the robot sets none). Returns
    // how many windows went.
    std::size_t EndProcess(int process);
    bool IsWindow(Hwnd window) const;
    // Shows or hides without activation (SW_SHOWNA / SW_HIDE), sending WM_SHOWWINDOW.
    void Show(Hwnd window, bool visible = true);
    void Enable(Hwnd window, bool enabled = true);
    // New rectangle (as in WindowSpec::rect); children move with their parent.
    void Move(Hwnd window, Rect rect);
    // Puts the window right after `after` among its siblings (top-level windows:
    // in the z-order); a null `after` puts it first (on top).
    void PlaceAfter(Hwnd window, Hwnd after);
    void SetCommandTarget(Hwnd control, Hwnd target);
    // Changes what GetWindowText/FindWindow see of a window without touching
    // what an edit or combo box shows (for a control whose own code sets its
    // caption apart from its text).
    void SetCaption(Hwnd window, const std::u16string& caption);

    // ---- State (for assertions and substitute logic) ----
    std::u16string Text(Hwnd window) const;     // what WM_GETTEXT would give
    std::u16string Caption(Hwnd window) const;  // what GetWindowText gives
    std::u16string Class(Hwnd window) const;
    int Id(Hwnd window) const;
    Hwnd Parent(Hwnd window) const;  // the parent of a child window, else null
    Hwnd Owner(Hwnd window) const;
    Hwnd CommandTarget(Hwnd control) const;
    bool IsVisible(Hwnd window) const;  // its own flag
    bool IsMinimized(Hwnd window) const;
    bool IsEnabled(Hwnd window) const;
    bool IsChecked(Hwnd window) const;
    std::pair<std::size_t, std::size_t> Selection(Hwnd edit) const;  // anchor, caret
    int ComboSelection(Hwnd combo) const;
    std::vector<std::u16string> ComboItems(Hwnd combo) const;
    // Both rectangles in screen coordinates, whatever SetWindowInfoFails says.
    std::optional<WindowInfo> Geometry(Hwnd window) const;
    std::vector<Hwnd> TopLevelWindows() const;  // in z-order, top first
    std::vector<Hwnd> Children(Hwnd window) const;
    int ProcessOf(Hwnd window) const;
    Hwnd FocusOf(int process) const;
    Hwnd ActiveWindow() const { return active_; }

    // ---- What the dispatch program does itself (not bounded, never hung) ----
    std::intptr_t HostSend(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam);
    bool HostPost(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                  std::intptr_t lParam);
    std::intptr_t HostSetText(Hwnd window, const std::u16string& text);
    std::u16string HostGetText(Hwnd window);
    int AddComboItem(Hwnd combo, const std::u16string& item);  // CB_ADDSTRING
    void SetChecked(Hwnd checkBox, bool checked);               // BM_SETCHECK
    void SetFocus(Hwnd window);

    // ---- Hooks ----
    HookId AddMessageHook(Hwnd window, MessageHook hook);
    HookId AddAfterHook(Hwnd window, AfterHook hook);
    HookId AddTextHook(Hwnd window, TextHook hook);
    void RemoveHook(HookId id);

    // ---- Posted messages and the virtual clock ----
    // Delivers everything queued, including what handlers post meanwhile.
    // Throws std::runtime_error after kMaxPostedPerSleep messages.
    void DeliverPosted();
    std::size_t PostedCount() const { return posted_.size(); }
    std::uint64_t Now() const { return now_; }
    // The dispatch program is busy for ms: the clock moves on without delivering
    // anything; timers that fell due fire at the start of the next Sleep.
    void Busy(std::uint32_t ms);
    // A timer of the dispatch program: fires once after delayMs (or every
    // delayMs when repeating; intervals below 10 ms become 10 ms as in SetTimer).
    // A timer with an owner window dies with it and waits while it is hung.
    TimerId SetTimer(std::uint32_t delayMs, std::function<void()> callback, bool repeating = false,
                     Hwnd owner = kNoWindow);
    bool KillTimer(TimerId id);
    std::size_t TimerCount() const { return timers_.size(); }
    // The robot's pauses: every Sleep call's argument, in order, and their sum.
    const std::vector<std::uint32_t>& SleepLog() const { return sleepLog_; }
    std::uint64_t SleepTotal() const { return sleepTotal_; }
    // Time spent waiting in sends to hung windows (not part of the sleep log).
    std::uint64_t BlockedTotal() const { return blockedTotal_; }
    // Starts a new pause record (the log, SleepTotal and BlockedTotal); the clock keeps its time.
    void ClearSleepLog();

    // ---- Recorder ----
    // Every message every window received, in order of delivery.
    const std::vector<RecordedMessage>& MessageLog() const { return log_; }
    std::vector<RecordedMessage> Messages(Hwnd window) const;
    void ClearMessages() { log_.clear(); }

    // ---- Mouse ----
    const std::vector<RealClick>& RealClicks() const { return clicks_; }
    // The deepest visible window whose rectangle holds the point (children
    // before their parent, the first child in z-order first, top-level windows
    // in z-order; minimised windows hold no point). Null when none.
    // The window a real click at the point would reach.
    Hwnd HitTest(Point screen) const;

    // ---- Activation ----
    // SetForegroundWindow/SetActiveWindow are recorded and succeed (SetActiveWindow
    // answers the previously active window), so nothing may depend on their refusal.
    const std::vector<Hwnd>& ForegroundCalls() const { return foregroundCalls_; }
    const std::vector<Hwnd>& ActiveCalls() const { return activeCalls_; }

    // ---- Failures ----
    void SetWindowInfoFails(Hwnd window, bool fails = true);
    // A hung window (or every window of a hung process) takes no message: a send
    // through the port waits kSendTimeoutMs once, sets NotResponding() and
    // returns 0; posted messages wait in the queue until it answers again.
    void SetHung(Hwnd window, bool hung = true);
    void SetProcessHung(int process, bool hung = true);
    bool IsHung(Hwnd window) const;
    void ResetNotResponding() { notResponding_ = false; }
    // Whether kOleacc (or any module but kNoModule) exports ObjectFromLresult.
    void SetObjectFromLresultAvailable(bool available) { objectFromLresult_ = available; }

    // ---- Pages ----
    // Attaches a page to the window (normally of class "Internet Explorer_Server"),
    // replacing any page it had.
    std::shared_ptr<FakePage> AttachPage(Hwnd browser);
    std::shared_ptr<FakePage> Page(Hwnd browser) const;
    // The id RegisterWindowMessage gives "WM_HTML_GETOBJECT".
    std::uint32_t HtmlGetObjectMessage();

    // ---- The Desktop port ----
    Hwnd FindWindow(const char16_t* className, const char16_t* windowName) override;
    Hwnd FindWindowEx(Hwnd parent, Hwnd childAfter, const char16_t* className,
                      const char16_t* windowName) override;
    void EnumChildWindows(Hwnd parent, const std::function<bool(Hwnd)>& visit) override;
    Hwnd GetWindow(Hwnd window, Relation relation) override;
    Hwnd GetParent(Hwnd window) override;
    std::u16string GetWindowText(Hwnd window, std::size_t maxChars) override;
    std::u16string GetClassName(Hwnd window, std::size_t maxChars) override;
    int GetDlgCtrlID(Hwnd window) override;
    std::uint32_t GetWindowProcessId(Hwnd window) override;
    std::optional<WindowInfo> GetWindowInfo(Hwnd window) override;
    std::optional<Point> ScreenToClient(Hwnd window, Point screen) override;
    std::intptr_t Send(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                       std::intptr_t lParam) override;
    bool Post(Hwnd window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
    // To a hung window: waits timeoutMs (none with SMTO_ABORTIFHUNG) and fails,
    // without setting NotResponding(), as the real port does.
    std::optional<std::intptr_t> SendTimeout(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                                             std::intptr_t lParam, std::uint32_t flags,
                                             std::uint32_t timeoutMs) override;
    std::uint32_t RegisterWindowMessage(const char16_t* name) override;
    std::u16string SendGetText(Hwnd window, std::size_t bufferUnits) override;
    std::intptr_t SendSetText(Hwnd window, const std::u16string& text) override;
    std::u16string SendGetLine(Hwnd edit, int line, std::size_t maxUnits) override;
    // CB_GETLBTEXTLEN, then CB_GETLBTEXT, as the real port sends them.
    std::optional<std::u16string> SendGetComboItem(Hwnd combo, int index) override;
    bool SetForegroundWindow(Hwnd window) override;
    Hwnd SetActiveWindow(Hwnd window) override;
    bool ShowWindow(Hwnd window, int command) override;
    bool SetCursorPos(Point screen) override;
    std::optional<Point> GetCursorPos() override;
    void MouseEvent(std::uint32_t flags) override;
    Hwnd WindowFromPoint(Point screen) override { return HitTest(screen); }
    // The cursor moved to the point, then LEFTDOWN and LEFTUP as MouseEvent routes them.
    bool ClickAt(Point screen) override;
    InputDesk InputDeskState() override { return inputDesk_; }
    // What InputDeskState reports from now on (Ready until set).
    void SetInputDeskState(InputDesk state) { inputDesk_ = state; }
    // Delivers what is queued, then moves the clock by ms, firing the timers that
    // fall due in order (each followed by the messages it posted).
    // Throws std::logic_error when called from inside a hook or a timer.
    void Sleep(std::uint32_t milliseconds) override;
    bool NotResponding() const override { return notResponding_; }
    bool HasObjectFromLresult(Module oleacc) override;
    std::shared_ptr<PageRootDocument> ObjectFromLresult(Module oleacc, std::intptr_t lresult) override;
    std::shared_ptr<PageAccessible> AccessibleObjectFromPoint(Point screen) override;

private:
    struct Window;
    struct Timer {
        std::uint64_t due = 0;
        std::uint32_t interval = 0;
        bool repeating = false;
        Hwnd owner{};
        std::shared_ptr<std::function<void()>> callback;
    };
    struct QueuedMessage {
        Hwnd window{};
        std::uint32_t message = 0;
        std::uintptr_t wParam = 0;
        std::intptr_t lParam = 0;
        bool fromPort = false;
    };

    // The tree (fake_tree.cpp).
    Window* Find(Hwnd window);
    const Window* Find(Hwnd window) const;
    Window& Require(Hwnd window, const char* what);
    const Window& Require(Hwnd window, const char* what) const;
    std::vector<Hwnd>& SiblingList(const Window& w);
    const std::vector<Hwnd>& SiblingList(const Window& w) const;
    Hwnd Root(Hwnd window) const;
    Rect ScreenRect(const Window& w) const;
    Rect ClientRect(const Window& w) const;
    std::uint32_t Style(const Window& w) const;
    void Raise(Hwnd topLevel);
    void Collect(Hwnd window, std::vector<Hwnd>& out) const;
    void DestroyTree(Hwnd window);

    // Delivery (fake_messages.cpp).
    std::intptr_t Deliver(Message& m);
    std::intptr_t PortSend(Message& m);
    std::intptr_t SendInternal(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                               std::intptr_t lParam);
    bool Hung(const Window& w) const;

    // Default behaviours (fake_controls.cpp).
    std::intptr_t Default(Window& w, Message& m);
    std::intptr_t DefWindow(Window& w, Message& m);
    std::intptr_t EditProc(Window& w, Message& m);
    std::intptr_t ButtonProc(Window& w, Message& m);
    std::intptr_t ComboProc(Window& w, Message& m);
    void Notify(Hwnd control, std::uint16_t code);
    void ButtonClicked(Hwnd button);
    void TextChanged(Hwnd window, bool notify);
    void FocusTo(Hwnd window);

    // Queue and clock (fake_clock.cpp).
    void Enqueue(Hwnd window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                 bool fromPort);
    void DeliverQueued(std::size_t& budget);
    void AdvanceTo(std::uint64_t end);

    // Input (fake_input.cpp).
    bool EnabledChain(const Window& w) const;

    std::map<std::uintptr_t, std::unique_ptr<Window>> windows_;
    std::vector<Hwnd> topLevel_;  // z-order, top first
    std::uintptr_t nextHandle_ = 0x10010;

    struct HookEntry {
        HookId id;
        Hwnd window;
        std::shared_ptr<MessageHook> before;
        std::shared_ptr<AfterHook> after;
        std::shared_ptr<TextHook> text;
    };
    std::vector<HookEntry> hooks_;
    HookId nextHook_ = 1;

    std::deque<QueuedMessage> posted_;
    std::map<TimerId, Timer> timers_;
    TimerId nextTimer_ = 1;
    std::uint64_t now_ = 0;
    std::vector<std::uint32_t> sleepLog_;
    std::uint64_t sleepTotal_ = 0;
    std::uint64_t blockedTotal_ = 0;
    int depth_ = 0;  // > 0 inside a hook, a default behaviour or a timer

    std::vector<RecordedMessage> log_;

    Point cursor_{};
    InputDesk inputDesk_ = InputDesk::Ready;
    Hwnd capture_{};
    std::vector<RealClick> clicks_;
    std::map<int, Hwnd> focus_;
    Hwnd active_{};
    std::vector<Hwnd> foregroundCalls_;
    std::vector<Hwnd> activeCalls_;

    std::map<int, bool> hungProcesses_;
    bool notResponding_ = false;
    bool objectFromLresult_ = true;
    std::map<std::u16string, std::uint32_t> registered_;
    std::uint32_t nextRegistered_ = 0xC000;
    std::map<std::intptr_t, std::shared_ptr<FakePage>> tokens_;
    std::intptr_t nextToken_ = 0x5A0001;
};

}  // namespace qm::testing
