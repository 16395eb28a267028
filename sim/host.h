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
// Ordering rules both hosts keep:
//   - children are kept in creation order (GW_CHILD is the first created,
//     GW_HWNDNEXT the next created);
//   - a new top-level window goes on top of the other top-level windows;
//   - WM_COMMAND of a control goes to its command target (the parent unless
//     the description names another window); EN_CHANGE and CBN_SELCHANGE travel the
//     same way;
//   - hooks run before the control's own default behaviour; a key hook that
//     returns true consumes the key.
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

class Host {
public:
    virtual ~Host() = default;

    using CommandHandler = std::function<void(int id, int code, Hwnd control)>;
    using KeyHandler = std::function<bool(std::uint32_t virtualKey)>;
    using FocusHandler = std::function<void(bool gained)>;
    using TextHandler = std::function<void()>;
    using CloseHandler = std::function<bool()>;
    using DestroyHandler = std::function<void()>;

    // Windows. Create returns kNoWindow when the window cannot be made.
    virtual Hwnd Create(const WindowSpec& desc) = 0;
    // Destroys the window, its children and the windows it owns. A destroy
    // handler of each of them runs once, before the window goes.
    virtual void Destroy(Hwnd window) = 0;
    virtual bool Exists(Hwnd window) const = 0;
    virtual void Show(Hwnd window, bool visible) = 0;
    virtual bool IsVisible(Hwnd window) const = 0;
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

    // Reactions. Setting a hook replaces the earlier one of that kind.
    // WM_COMMAND arriving at target (from a control whose command target it
    // is, or sent or posted by anyone): id = LOWORD(wParam), code = HIWORD.
    virtual void OnCommand(Hwnd target, CommandHandler handler) = 0;
    // WM_KEYDOWN, sent or posted, before the control's own handling.
    virtual void OnKey(Hwnd control, KeyHandler handler) = 0;
    // WM_SETFOCUS (true) and WM_KILLFOCUS (false).
    virtual void OnFocus(Hwnd control, FocusHandler handler) = 0;
    // The control's text changed through input (typing, Delete, WM_SETTEXT
    // from another program); not raised by SetText.
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
// the icon (no text), a second Static with the text, then one push button per
// answer. Pressing a button (its WM_COMMAND at the box, however it arrives)
// destroys the box and then calls onAnswer with the button's id; closing the
// box answers cancelId.
struct MessageBoxButton {
    std::u16string text;
    int id = 0;
};
struct MessageBoxSpec {
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
