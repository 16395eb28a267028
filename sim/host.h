// The host of a substitute dispatch program: the few things such a program
// does with windows, written once and served twice.
//
//   - sim/fake_host.*   on the in-process fake desktop (testing/), for the
//                       native adapter tests;
//   - sim/win32_host.*  with real Win32 windows in a real program (its own
//                       message loop, real standard controls, registered
//                       classes with exact names, real page objects).
//
// A substitute program (sim/logid2/ and its kin) builds its window tree with
// Create, reacts through the On* hooks and timers, and never knows which host
// it runs on. Window handles are the port's Hwnd values, so a test can hand a
// window of the substitute straight to the robot's Desktop.
//
// Rules both hosts keep (tests/sim/host_contract_test.cpp holds them to it):
//   - children are kept in creation order (GW_CHILD is the first created,
//     GW_HWNDNEXT the next created);
//   - a new top-level window goes on top of the other top-level windows;
//   - a control's command target is its parent unless the description names
//     another window. A WM_COMMAND whose lParam names a control of the program
//     is handled at that control's command target, wherever it arrives (the
//     control's own notifications, and a command sent or posted by another
//     program to any window of this one); a WM_COMMAND without a control (or
//     naming a window that is not the program's) is handled where it arrives.
//     BN_CLICKED, EN_CHANGE, EN_SETFOCUS, EN_KILLFOCUS and CBN_SELCHANGE travel
//     this way;
//   - an edit box sends EN_SETFOCUS / EN_KILLFOCUS on every WM_SETFOCUS /
//     WM_KILLFOCUS it gets (sent by another program too, as Wine's edit does),
//     after the focus hook;
//   - the text hook runs after typing or editing keys changed an edit box, and
//     after a WM_SETTEXT from another program that a window took (any
//     behaviour; a drop-down list refuses it); a combo's selection (CB_SETCURSEL,
//     arrow keys) is no text change, and the program's own SetText and
//     SetSelection never raise it;
//   - a class name carries one behaviour: the first window of a name fixes it
//     (a standard class's is fixed from the start: "Edit" Edit, "Button"
//     Button or CheckBox, "Static" Label, "ComboBox" Combo, "#32770" Dialog,
//     "MDIClient" Container, "Internet Explorer_Server" Browser), and Create
//     refuses a window of that name with another behaviour. Names are compared
//     with ASCII case folded, as window classes are;
//   - the mouse hook sees WM_LBUTTONDOWN and WM_LBUTTONUP, sent, posted or from
//     a real click (mouse_event, SendInput) on the window, with the client
//     point of lParam; a label with a mouse hook takes real clicks itself (a
//     plain Static lets them through to its parent);
//   - hooks run before the control's own default behaviour; a key or mouse
//     hook that returns true consumes the message.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/desktop.h"

namespace qm::sim {

// What a window does, independent of its class name. Each behaviour has a
// standard class that is used when the description leaves className empty.
enum class Behaviour {
    Container,  // a plain window (frame, view, MDI client); className required
    Dialog,     // "#32770"
    Edit,       // "Edit", multi-line: WM_CHAR, WM_SETTEXT/GETTEXT, EM_* line messages
    Button,     // "Button", push button: a click sends BN_CLICKED to the command target
    CheckBox,   // "Button", automatic check box: a click toggles and sends BN_CLICKED
    Label,      // "Static", text only
    Combo,      // "ComboBox", drop-down list with items
    Browser,    // "Internet Explorer_Server" holding a page object
};

const char16_t* StandardClass(Behaviour behaviour);

struct WindowSpec {
    Behaviour behaviour = Behaviour::Container;
    std::u16string className;  // empty: StandardClass(behaviour)
    std::u16string text;
    int id = 0;
    Hwnd parent{};  // set: a child of parent
    Hwnd owner{};   // parent null and owner set: a popup owned by owner; both null: unowned top-level
    Rect rect{};    // a child: in its parent's client coordinates; a top-level window: on the screen
    bool visible = true;
    bool readOnly = false;              // Edit
    std::vector<std::u16string> items;  // Combo
    int selection = -1;                 // Combo: the item selected at creation, -1 none
    bool editable = false;              // Combo: its text can be set (a drop-down with an edit
                                        // box, which on Win32 is a child "Edit" of the combo)
    Hwnd commandTarget{};               // null: the parent
};

// A page shown in a Browser window.
//   url:         the page's address (document.URL)
//   script:      the page's own functions, in the old JScript dialect (no JSON,
//                no Array.prototype.forEach, no String.prototype.trim); the
//                Win32 host loads it into the page, whose "eval" runs every
//                caller's script through the system's JScript engine
//   interpreter: how the fake host answers "eval": there is no JScript engine
//                on the fake desktop, so the substitute supplies a small
//                interpreter for the script shapes its page documents (a test
//                may replace it through the fake host). Unknown text must give
//                what an empty VARIANT converts to (text "", false), as a
//                script error does in a real page.
struct PageSpec {
    std::u16string url;
    std::u16string script;
    std::function<ScriptValue(const std::u16string& script)> interpreter;
};

using TimerId = std::uint64_t;

// Edit notifications the hosts send besides the port's list.
constexpr std::uint16_t kEnSetFocus = 0x0100;
constexpr std::uint16_t kEnKillFocus = 0x0200;

// A left-button message at a window, in its client coordinates.
struct MouseEvent {
    bool down = false;  // WM_LBUTTONDOWN (true) or WM_LBUTTONUP
    Point client{};
};

// The class names a program has used and the behaviour each carries (see the
// rules above); both hosts keep one.
class ClassBook {
public:
    // True when a window of className may have behaviour; the first admitted
    // window of a name fixes the name's behaviour.
    bool Admit(const std::u16string& className, Behaviour behaviour);

private:
    std::vector<std::pair<std::u16string, Behaviour>> classes_;  // folded name, behaviour
};

class Host {
public:
    virtual ~Host() = default;

    using CommandHandler = std::function<void(int id, int code, Hwnd control)>;
    using KeyHandler = std::function<bool(std::uint32_t virtualKey)>;
    using FocusHandler = std::function<void(bool gained)>;
    using TextHandler = std::function<void()>;
    using CloseHandler = std::function<bool()>;
    using DestroyHandler = std::function<void()>;
    using MouseHandler = std::function<bool(const MouseEvent& event)>;

    // Windows. Create returns kNoWindow when the window cannot be made.
    virtual Hwnd Create(const WindowSpec& desc) = 0;
    // Destroys the window, its children and the windows it owns. A destroy
    // handler of each of them runs once, before the window goes.
    virtual void Destroy(Hwnd window) = 0;
    virtual bool Exists(Hwnd window) const = 0;
    virtual void Show(Hwnd window, bool visible) = 0;
    virtual bool IsVisible(Hwnd window) const = 0;
    // Minimised (SW_SHOWMINIMIZED, SW_MINIMIZE) and not restored since.
    virtual bool IsMinimized(Hwnd window) const = 0;
    // Sets a window's text without raising its own text hook.
    virtual void SetText(Hwnd window, const std::u16string& text) = 0;
    virtual std::u16string GetText(Hwnd window) const = 0;
    virtual bool GetCheck(Hwnd checkBox) const = 0;
    virtual void SetCheck(Hwnd checkBox, bool checked) = 0;
    virtual int GetSelection(Hwnd combo) const = 0;  // -1 when none
    virtual void SetSelection(Hwnd combo, int index) = 0;
    // The window's screen rectangle (empty for an unknown window).
    virtual Rect ScreenRect(Hwnd window) const = 0;
    // Z-order: puts window right after `after` among its siblings (top-level
    // windows: in the top-level z-order); a null `after` puts it first (on top).
    virtual void PlaceAfter(Hwnd window, Hwnd after) = 0;
    // A new rectangle, as in WindowSpec::rect (a child's children move with it).
    virtual void Move(Hwnd window, Rect rect) = 0;

    // Reactions. Setting a hook replaces the earlier one of that kind.
    // WM_COMMAND handled at target: a control's whose command target it is
    // (wherever it arrives), or one without such a control sent or posted to
    // target by anyone: id = LOWORD(wParam), code = HIWORD.
    virtual void OnCommand(Hwnd target, CommandHandler handler) = 0;
    // WM_KEYDOWN, sent or posted, before the control's own handling.
    virtual void OnKey(Hwnd control, KeyHandler handler) = 0;
    // WM_SETFOCUS (true) and WM_KILLFOCUS (false).
    virtual void OnFocus(Hwnd control, FocusHandler handler) = 0;
    // WM_LBUTTONDOWN and WM_LBUTTONUP, sent, posted or from a real click; true consumes it.
    virtual void OnMouse(Hwnd control, MouseHandler handler) = 0;
    // The control's text changed through input (typing, Delete, WM_SETTEXT
    // from another program); not raised by SetText or SetSelection.
    virtual void OnTextChanged(Hwnd control, TextHandler handler) = 0;
    // WM_CLOSE or SC_CLOSE; return true to let the window be destroyed.
    // Without a hook a top-level window is destroyed.
    virtual void OnClose(Hwnd window, CloseHandler handler) = 0;
    virtual void OnDestroy(Hwnd window, DestroyHandler handler) = 0;

    // Timers: callback runs once, delayMs after now (0: at the next turn of
    // the message loop, never inside this call).
    virtual TimerId StartTimer(std::uint32_t delayMs, std::function<void()> callback) = 0;
    virtual void CancelTimer(TimerId timer) = 0;

    // Pages in Browser windows.
    virtual void AttachPage(Hwnd browser, const PageSpec& page) = 0;
    virtual void SetPageUrl(Hwnd browser, const std::u16string& url) = 0;
    virtual std::u16string PageUrl(Hwnd browser) const = 0;
    // Runs script in the page as its own code does (not through the caller's path).
    virtual ScriptValue EvaluateInPage(Hwnd browser, const std::u16string& script) = 0;

    // The program stops answering messages for up to milliseconds (the Win32
    // host blocks its thread; the fake host marks every window hung).
    virtual void Hang(std::uint32_t milliseconds) = 0;
    // The program ends (the Win32 host leaves its message loop).
    virtual void Quit() = 0;
};

// A message box as a top-level "#32770" window: a first Static that stands for
// the icon (no text), then a Static with the text and one push button per
// answer, the text before the buttons or after them (order). Pressing a button (its WM_COMMAND at the box, however it arrives)
// destroys the box and then calls onAnswer with the button's id; closing the
// box answers cancelId.
struct MessageBoxButton {
    std::u16string text;
    int id = 0;
};
enum class BoxOrder {
    TextThenButtons,  // icon, text, buttons
    ButtonsThenText,  // icon, buttons, text
};
struct MessageBoxSpec {
    BoxOrder order = BoxOrder::TextThenButtons;
    std::u16string title;
    std::u16string text;
    std::vector<MessageBoxButton> buttons;
    Hwnd owner{};
    int cancelId = 2;
    Point position{200, 200};
};
Hwnd ShowMessageBox(Host& host, const MessageBoxSpec& desc, std::function<void(int id)> onAnswer);

// Common answer ids (the values MessageBoxW returns).
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

}  // namespace qm::sim
