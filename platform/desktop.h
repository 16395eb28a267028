// The Desktop port: every operating-system call that the toolkit and the
// adapters make. Two implementations exist: platform/win32 (the real one, thin)
// and testing/ (an in-process fake desktop with a virtual clock). Nothing in
// callport/ or adapters/ knows which one it runs on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace qm {

// A window of any process. The value is the operating system's handle; 0 is none.
enum class Hwnd : std::uintptr_t {};
constexpr Hwnd kNoWindow{};
inline bool IsNull(Hwnd h) { return h == kNoWindow; }

// A loaded module (the accessibility library). 0 means "not loaded".
enum class Module : std::uintptr_t {};
constexpr Module kNoModule{};

struct Point {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// What GetWindowInfo reports that the robot uses: both rectangles in screen
// coordinates, and the window's style bits (dwStyle; see msg::WS_VISIBLE).
struct WindowInfo {
    Rect window;
    Rect client;
    std::uint32_t style = 0;
};

// Whether real input (clicks, keys) and the foreground reach this session's
// desktop: not while the session is locked or disconnected, nor while another
// desktop takes the input (the secure desktop of an elevation prompt, the lock
// screen).
enum class InputDesk { Ready, SessionLocked, SessionDisconnected, OtherDesktop };

// GetWindow's relations; Owner is GW_OWNER (a top-level window's owner).
enum class Relation { Child, Next, Previous, EnabledPopup, Owner };

// The outcome of a page's "eval": the result VARIANT converted once to text
// (VT_BSTR) and once to a boolean (VT_BOOL), as VariantChangeType does it.
// A conversion that fails leaves the optional empty.
struct ScriptValue {
    std::optional<std::u16string> text;
    std::optional<bool> boolean;
};

// Browser document objects, one small interface per COM step the robot takes.
// Each method answers one call; a null pointer or an empty optional is that
// call's failure. The objects are reference counted by shared_ptr and released
// where the last owner lets go.
class PageEval {  // IDispatchEx of the page window
public:
    virtual ~PageEval() = default;
    // GetDispID with fdexNameCaseSensitive.
    virtual std::optional<std::int32_t> GetDispId(const std::u16string& name) = 0;
    // Invoke(id, DISPATCH_METHOD) with one string argument.
    virtual ScriptValue Invoke(std::int32_t id, const std::u16string& argument) = 0;
};

class PageDocument;

class PageWindow {  // IHTMLWindow2
public:
    virtual ~PageWindow() = default;
    virtual std::shared_ptr<PageDocument> GetDocument() = 0;   // get_document
    virtual std::shared_ptr<PageEval> QueryEval() = 0;         // QueryInterface(IDispatchEx)
};

class PageDocument {  // IHTMLDocument2
public:
    virtual ~PageDocument() = default;
    virtual std::shared_ptr<PageWindow> GetParentWindow() = 0;  // get_parentWindow
    virtual std::optional<std::u16string> GetUrl() = 0;         // get_URL
};

class PageRootDocument {  // IHTMLDocument, as ObjectFromLresult gives it
public:
    virtual ~PageRootDocument() = default;
    // get_Script followed by QueryInterface(IHTMLWindow2). Null when either fails.
    virtual std::shared_ptr<PageWindow> GetScriptWindow() = 0;
};

class PageElement {  // IHTMLElement
public:
    virtual ~PageElement() = default;
    // get_document followed by QueryInterface(IHTMLDocument2). Null when either fails.
    virtual std::shared_ptr<PageDocument> GetDocument() = 0;
};

class PageServiceProvider {  // IServiceProvider of an accessible object
public:
    virtual ~PageServiceProvider() = default;
    virtual std::shared_ptr<PageElement> QueryHtmlElement() = 0;  // QueryService(IHTMLElement)
};

class PageAccessible {  // IAccessible
public:
    virtual ~PageAccessible() = default;
    virtual std::shared_ptr<PageServiceProvider> QueryServiceProvider() = 0;
};

// The port. Messages to a null window are neither sent nor posted, and reads
// from it return nothing. Sends to another process are bounded: when one times
// out the desktop remembers that the dispatch program is not responding, and
// every later send returns 0 at once instead of waiting again.
class Desktop {
public:
    virtual ~Desktop() = default;

    // Window lookup and walks. A null class or name pointer matches any.
    virtual Hwnd FindWindow(const char16_t* className, const char16_t* windowName) = 0;
    virtual Hwnd FindWindowEx(Hwnd parent, Hwnd childAfter, const char16_t* className,
                              const char16_t* windowName) = 0;
    // Depth-first over all descendants; the visitor returns false to stop.
    virtual void EnumChildWindows(Hwnd parent, const std::function<bool(Hwnd)>& visit) = 0;
    virtual Hwnd GetWindow(Hwnd window, Relation relation) = 0;
    virtual Hwnd GetParent(Hwnd window) = 0;
    // GetWindowTextW / GetClassNameW into a buffer of maxChars + 1 units.
    virtual std::u16string GetWindowText(Hwnd window, std::size_t maxChars) = 0;
    virtual std::u16string GetClassName(Hwnd window, std::size_t maxChars) = 0;
    virtual int GetDlgCtrlID(Hwnd window) = 0;
    // GetWindowThreadProcessId's process; 0 for no window.
    virtual std::uint32_t GetWindowProcessId(Hwnd window) = 0;
    virtual std::optional<WindowInfo> GetWindowInfo(Hwnd window) = 0;
    virtual std::optional<Point> ScreenToClient(Hwnd window, Point screen) = 0;

    // Messages whose parameters carry no pointers.
    virtual std::intptr_t Send(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                               std::intptr_t lParam) = 0;
    virtual bool Post(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                      std::intptr_t lParam) = 0;
    // SendMessageTimeoutW with the caller's flags and time-out; empty when it
    // failed. Its time-out is the caller's to judge: it does not mark the
    // program not responding (a program that is hung fails the ordinary sends
    // too). Once the program is marked, nothing is sent and it fails at once.
    virtual std::optional<std::intptr_t> SendTimeout(Hwnd window, std::uint32_t message,
                                                     std::uintptr_t wParam, std::intptr_t lParam,
                                                     std::uint32_t flags, std::uint32_t timeoutMs) = 0;
    virtual std::uint32_t RegisterWindowMessage(const char16_t* name) = 0;

    // Messages that carry buffers, typed so that either implementation can serve them.
    // WM_GETTEXT into a buffer of bufferUnits units (including the NUL); the text read.
    virtual std::u16string SendGetText(Hwnd window, std::size_t bufferUnits) = 0;
    // WM_SETTEXT; the message's result.
    virtual std::intptr_t SendSetText(Hwnd window, const std::u16string& text) = 0;
    // EM_GETLINE for line `line` with a buffer of maxUnits units whose first unit
    // holds maxUnits; the units the control copied.
    virtual std::u16string SendGetLine(Hwnd edit, int line, std::size_t maxUnits) = 0;
    // CB_GETLBTEXT of item `index`; empty when the combo has no such item.
    virtual std::optional<std::u16string> SendGetComboItem(Hwnd combo, int index) = 0;

    // Activation, showing, cursor and mouse.
    virtual bool SetForegroundWindow(Hwnd window) = 0;
    virtual Hwnd SetActiveWindow(Hwnd window) = 0;
    // Another program's window is shown only once a bounded send found it
    // answering; a hung one marks the program not responding.
    virtual bool ShowWindow(Hwnd window, int command) = 0;
    virtual bool SetCursorPos(Point screen) = 0;
    virtual std::optional<Point> GetCursorPos() = 0;
    virtual void MouseEvent(std::uint32_t flags) = 0;  // mouse_event(flags, 0, 0, 0, 0)
    // The window under a screen point (WindowFromPoint); null for none.
    virtual Hwnd WindowFromPoint(Point screen) = 0;
    // A real left click at a screen point: the cursor moved there, the button
    // pressed and let go, handed to the system as one piece of input
    // (SendInput), so that no other input comes between them. False when the
    // system took less than all of it.
    virtual bool ClickAt(Point screen) = 0;
    // Whether real input can reach this desktop now.
    virtual InputDesk InputDeskState() = 0;

    // Every wait of the robot goes through here.
    virtual void Sleep(std::uint32_t milliseconds) = 0;

    // True once a bounded send timed out during this request.
    virtual bool NotResponding() const = 0;

    // Browser access: the two ways to a page's document.
    // GetProcAddress(oleacc, "ObjectFromLresult") is present.
    virtual bool HasObjectFromLresult(Module oleacc) = 0;
    virtual std::shared_ptr<PageRootDocument> ObjectFromLresult(Module oleacc, std::intptr_t lresult) = 0;
    virtual std::shared_ptr<PageAccessible> AccessibleObjectFromPoint(Point screen) = 0;
};

}  // namespace qm
