// The real Desktop: each operation is one or two user32, oleacc or COM calls.
// Handles of other processes are only borrowed; COM pointers, BSTRs and
// VARIANTs are owned by the RAII types of handles.h.
#include "platform/win32/windows_names.h"
#include "platform/win32/win32_desktop.h"
#include <oleacc.h>
#include <oleauto.h>
#include <dispex.h>
#include <mshtml.h>
#include <servprov.h>
#include <versionhelpers.h>
#include <wtsapi32.h>

#include <algorithm>
#include <climits>
#include <exception>
#include <memory>
#include <type_traits>
#include <vector>

#include "platform/win32/handles.h"
#include "platform/win32/page_calls.h"

namespace qm::win32 {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wchar_t is a UTF-16 unit");

// No text the robot reads is anywhere near this long; a window that claims more
// is cut here rather than allowed to make us allocate without bound.
constexpr std::size_t kMaxTextUnits = 1u << 20;
// CB_GETLBTEXT carries no buffer size: the combo copies the whole item. Between
// CB_GETLBTEXTLEN and CB_GETLBTEXT the other program may lengthen the item, so
// the buffer is never smaller than this.
constexpr std::size_t kMinComboBuffer = 1024;

HWND ToHwnd(Hwnd h) { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(h)); }
Hwnd FromHwnd(HWND h) { return static_cast<Hwnd>(reinterpret_cast<std::uintptr_t>(h)); }
LPCWSTR Wide(const char16_t* s) { return reinterpret_cast<LPCWSTR>(s); }
std::u16string Text(const wchar_t* s, std::size_t units) {
    return std::u16string(reinterpret_cast<const char16_t*>(s), units);
}
// The units before the first NUL, never more than `limit`.
std::u16string TextUpToNul(const wchar_t* s, std::size_t limit) {
    std::size_t n = 0;
    while (n < limit && s[n] != L'\0') ++n;
    return Text(s, n);
}

// Browser objects: each wraps the one interface pointer its step needs, and
// makes its calls on the page-call thread (page_calls.h), within its bound.

using Calls = std::shared_ptr<PageCallThread>;

// What Invoke's result reads as: its text and its truth, where it converts.
ScriptValue ValueOf(VARIANT* result) {
    ScriptValue value;
    {
        ScopedVariant text;
        if (SUCCEEDED(::VariantChangeType(text.get(), result, 0, VT_BSTR)) && V_VT(text.get()) == VT_BSTR) {
            const BSTR b = V_BSTR(text.get());
            value.text = b ? Text(b, ::SysStringLen(b)) : std::u16string();
        }
    }
    {
        ScopedVariant flag;
        if (SUCCEEDED(::VariantChangeType(flag.get(), result, 0, VT_BOOL)) && V_VT(flag.get()) == VT_BOOL) {
            value.boolean = V_BOOL(flag.get()) != VARIANT_FALSE;
        }
    }
    return value;
}

class ComPageEval final : public PageEval {
public:
    ComPageEval(Calls calls, ComPtr<IDispatchEx> p) : p_(std::move(calls), std::move(p)) {}

    std::optional<std::int32_t> GetDispId(const std::u16string& name) override {
        return p_.Run([name](IDispatchEx* p) -> std::optional<std::int32_t> {
                     ScopedBstr bstr(::SysAllocStringLen(reinterpret_cast<const wchar_t*>(name.data()),
                                                         static_cast<UINT>(name.size())));
                     if (!bstr.get()) return std::nullopt;
                     DISPID id = DISPID_UNKNOWN;
                     if (FAILED(p->GetDispID(bstr.get(), fdexNameCaseSensitive, &id))) return std::nullopt;
                     return static_cast<std::int32_t>(id);
                 })
            .value_or(std::nullopt);
    }

    ScriptValue Invoke(std::int32_t id, const std::u16string& argument) override {
        return p_.Run([id, argument](IDispatchEx* p) {
                     ScopedVariant arg;
                     V_VT(arg.get()) = VT_BSTR;
                     V_BSTR(arg.get()) = ::SysAllocStringLen(reinterpret_cast<const wchar_t*>(argument.data()),
                                                             static_cast<UINT>(argument.size()));
                     if (!V_BSTR(arg.get())) {
                         V_VT(arg.get()) = VT_EMPTY;
                         return ScriptValue{};
                     }
                     DISPPARAMS params{};
                     params.rgvarg = arg.get();
                     params.cArgs = 1;
                     ScopedVariant result;
                     // The status is not what decides: a failed call leaves the result empty.
                     p->Invoke(static_cast<DISPID>(id), IID_NULL, 0x0400, DISPATCH_METHOD, &params, result.get(),
                               nullptr, nullptr);
                     // Converting may call the result (an object's value): on this thread too.
                     return ValueOf(result.get());
                 })
            .value_or(ScriptValue{});
    }

private:
    PageRef<IDispatchEx> p_;
};

class ComPageWindow;

class ComPageDocument final : public PageDocument {
public:
    ComPageDocument(Calls calls, ComPtr<IHTMLDocument2> p) : p_(std::move(calls), std::move(p)) {}
    std::shared_ptr<PageWindow> GetParentWindow() override;
    std::optional<std::u16string> GetUrl() override {
        return p_.Run([](IHTMLDocument2* p) -> std::optional<std::u16string> {
                     ScopedBstr url;
                     if (FAILED(p->get_URL(url.put()))) return std::nullopt;
                     return Text(url.get() ? url.get() : L"", ::SysStringLen(url.get()));
                 })
            .value_or(std::nullopt);
    }

private:
    PageRef<IHTMLDocument2> p_;
};

class ComPageWindow final : public PageWindow {
public:
    ComPageWindow(Calls calls, ComPtr<IHTMLWindow2> p) : p_(std::move(calls), std::move(p)) {}
    std::shared_ptr<PageDocument> GetDocument() override {
        ComPtr<IHTMLDocument2> doc = p_.Run([](IHTMLWindow2* p) {
                                           ComPtr<IHTMLDocument2> out;
                                           if (FAILED(p->get_document(out.put()))) out.reset();
                                           return out;
                                       })
                                         .value_or(nullptr);
        if (!doc) return nullptr;
        return std::make_shared<ComPageDocument>(p_.Calls(), std::move(doc));
    }
    std::shared_ptr<PageEval> QueryEval() override {
        ComPtr<IDispatchEx> ex =
            p_.Run([](IHTMLWindow2* p) { return ComPtr<IHTMLWindow2>::Share(p).As<IDispatchEx>(__uuidof(IDispatchEx)); })
                .value_or(nullptr);
        if (!ex) return nullptr;
        return std::make_shared<ComPageEval>(p_.Calls(), std::move(ex));
    }

private:
    PageRef<IHTMLWindow2> p_;
};

std::shared_ptr<PageWindow> ComPageDocument::GetParentWindow() {
    ComPtr<IHTMLWindow2> window = p_.Run([](IHTMLDocument2* p) {
                                        ComPtr<IHTMLWindow2> out;
                                        if (FAILED(p->get_parentWindow(out.put()))) out.reset();
                                        return out;
                                    })
                                      .value_or(nullptr);
    if (!window) return nullptr;
    return std::make_shared<ComPageWindow>(p_.Calls(), std::move(window));
}

class ComPageRootDocument final : public PageRootDocument {
public:
    ComPageRootDocument(Calls calls, ComPtr<IHTMLDocument> p) : p_(std::move(calls), std::move(p)) {}
    std::shared_ptr<PageWindow> GetScriptWindow() override {
        ComPtr<IHTMLWindow2> window = p_.Run([](IHTMLDocument* p) {
                                            ComPtr<IDispatch> script;
                                            if (FAILED(p->get_Script(script.put()))) script.reset();
                                            return script.As<IHTMLWindow2>(__uuidof(IHTMLWindow2));
                                        })
                                          .value_or(nullptr);
        if (!window) return nullptr;
        return std::make_shared<ComPageWindow>(p_.Calls(), std::move(window));
    }

private:
    PageRef<IHTMLDocument> p_;
};

class ComPageElement final : public PageElement {
public:
    ComPageElement(Calls calls, ComPtr<IHTMLElement> p) : p_(std::move(calls), std::move(p)) {}
    std::shared_ptr<PageDocument> GetDocument() override {
        ComPtr<IHTMLDocument2> doc = p_.Run([](IHTMLElement* p) {
                                           ComPtr<IDispatch> dispatch;
                                           if (FAILED(p->get_document(dispatch.put()))) dispatch.reset();
                                           return dispatch.As<IHTMLDocument2>(__uuidof(IHTMLDocument2));
                                       })
                                         .value_or(nullptr);
        if (!doc) return nullptr;
        return std::make_shared<ComPageDocument>(p_.Calls(), std::move(doc));
    }

private:
    PageRef<IHTMLElement> p_;
};

class ComPageServiceProvider final : public PageServiceProvider {
public:
    ComPageServiceProvider(Calls calls, ComPtr<IServiceProvider> p) : p_(std::move(calls), std::move(p)) {}
    std::shared_ptr<PageElement> QueryHtmlElement() override {
        ComPtr<IHTMLElement> element = p_.Run([](IServiceProvider* p) {
                                             ComPtr<IHTMLElement> out;
                                             if (FAILED(p->QueryService(__uuidof(IHTMLElement), __uuidof(IHTMLElement),
                                                                        out.put_void()))) {
                                                 out.reset();
                                             }
                                             return out;
                                         })
                                           .value_or(nullptr);
        if (!element) return nullptr;
        return std::make_shared<ComPageElement>(p_.Calls(), std::move(element));
    }

private:
    PageRef<IServiceProvider> p_;
};

class ComPageAccessible final : public PageAccessible {
public:
    ComPageAccessible(Calls calls, ComPtr<IAccessible> p) : p_(std::move(calls), std::move(p)) {}
    std::shared_ptr<PageServiceProvider> QueryServiceProvider() override {
        ComPtr<IServiceProvider> provider =
            p_.Run([](IAccessible* p) {
                  return ComPtr<IAccessible>::Share(p).As<IServiceProvider>(__uuidof(IServiceProvider));
              })
                .value_or(nullptr);
        if (!provider) return nullptr;
        return std::make_shared<ComPageServiceProvider>(p_.Calls(), std::move(provider));
    }

private:
    PageRef<IAccessible> p_;
};

using ObjectFromLresultFn = HRESULT(WINAPI*)(LRESULT, REFIID, WPARAM, void**);

ObjectFromLresultFn LookUpObjectFromLresult(Module oleacc) {
    // A null module would make GetProcAddress search this program instead.
    if (oleacc == kNoModule) return nullptr;
    const FARPROC f =
        ::GetProcAddress(reinterpret_cast<HMODULE>(static_cast<std::uintptr_t>(oleacc)), "ObjectFromLresult");
    return reinterpret_cast<ObjectFromLresultFn>(reinterpret_cast<void (*)()>(f));
}

// Wine runs the same binaries, but two calls the robot relies on are not there
// (checked on Wine 8): GetWindow(GW_ENABLEDPOPUP) always answers null, and an
// EM_GETLINE sent to another process reaches the edit control with a buffer
// whose size word is not the caller's, so the line comes back cut short or the
// control writes past the end of its buffer and the other program dies. Under
// Wine the port computes both from calls that work there.
bool RunningOnWine() {
    static const bool wine = [] {
        const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
        return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
    }();
    return wine;
}

bool InThisProcess(HWND window) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    return pid == ::GetCurrentProcessId();
}

// GW_ENABLEDPOPUP as Windows answers it: the first window in the top-level
// z-order that the window owns and that is visible and enabled; the window
// itself when it owns none.
HWND EnabledPopupOf(HWND owner) {
    if (!::IsWindow(owner)) return nullptr;
    // The z-order may change while we walk it; never walk for ever.
    constexpr int kMaxTopLevelWindows = 100000;
    int seen = 0;
    for (HWND w = ::GetTopWindow(nullptr); w && seen < kMaxTopLevelWindows; w = ::GetWindow(w, GW_HWNDNEXT), ++seen) {
        if (w != owner && ::GetWindow(w, GW_OWNER) == owner && ::IsWindowVisible(w) && ::IsWindowEnabled(w)) {
            return w;
        }
    }
    return owner;
}

struct EnumState {
    const std::function<bool(Hwnd)>* visit;
    std::exception_ptr error;
};

BOOL CALLBACK EnumChildProc(HWND child, LPARAM param) {
    auto* state = reinterpret_cast<EnumState*>(param);
    // An exception must not unwind through user32's frames: keep it for later.
    try {
        return (*state->visit)(FromHwnd(child)) ? TRUE : FALSE;
    } catch (...) {
        state->error = std::current_exception();
        return FALSE;
    }
}

}  // namespace

Hwnd Win32Desktop::FindWindow(const char16_t* className, const char16_t* windowName) {
    return FromHwnd(::FindWindowW(Wide(className), Wide(windowName)));
}

Hwnd Win32Desktop::FindWindowEx(Hwnd parent, Hwnd childAfter, const char16_t* className,
                                const char16_t* windowName) {
    return FromHwnd(::FindWindowExW(ToHwnd(parent), ToHwnd(childAfter), Wide(className), Wide(windowName)));
}

void Win32Desktop::EnumChildWindows(Hwnd parent, const std::function<bool(Hwnd)>& visit) {
    if (IsNull(parent) || !visit) return;
    EnumState state{&visit, nullptr};
    ::EnumChildWindows(ToHwnd(parent), EnumChildProc, reinterpret_cast<LPARAM>(&state));
    if (state.error) std::rethrow_exception(state.error);
}

Hwnd Win32Desktop::GetWindow(Hwnd window, Relation relation) {
    if (IsNull(window)) return kNoWindow;
    if (relation == Relation::EnabledPopup && RunningOnWine()) return FromHwnd(EnabledPopupOf(ToHwnd(window)));
    UINT cmd = GW_CHILD;
    switch (relation) {
        case Relation::Child: cmd = GW_CHILD; break;
        case Relation::Next: cmd = GW_HWNDNEXT; break;
        case Relation::Previous: cmd = GW_HWNDPREV; break;
        case Relation::EnabledPopup: cmd = GW_ENABLEDPOPUP; break;
        case Relation::Owner: cmd = GW_OWNER; break;
    }
    return FromHwnd(::GetWindow(ToHwnd(window), cmd));
}

Hwnd Win32Desktop::GetParent(Hwnd window) {
    if (IsNull(window)) return kNoWindow;
    return FromHwnd(::GetParent(ToHwnd(window)));
}

std::u16string Win32Desktop::GetWindowText(Hwnd window, std::size_t maxChars) {
    if (IsNull(window)) return {};
    const std::size_t units = std::min(maxChars, kMaxTextUnits) + 1;
    std::vector<wchar_t> buffer(units, L'\0');
    const int n = ::GetWindowTextW(ToHwnd(window), buffer.data(), static_cast<int>(units));
    return TextUpToNul(buffer.data(), static_cast<std::size_t>(std::clamp(n, 0, static_cast<int>(units - 1))));
}

std::u16string Win32Desktop::GetClassName(Hwnd window, std::size_t maxChars) {
    if (IsNull(window)) return {};
    const std::size_t units = std::min(maxChars, kMaxTextUnits) + 1;
    std::vector<wchar_t> buffer(units, L'\0');
    const int n = ::GetClassNameW(ToHwnd(window), buffer.data(), static_cast<int>(units));
    return TextUpToNul(buffer.data(), static_cast<std::size_t>(std::clamp(n, 0, static_cast<int>(units - 1))));
}

std::uint32_t Win32Desktop::GetWindowProcessId(Hwnd window) {
    if (IsNull(window)) return 0;
    DWORD process = 0;
    return ::GetWindowThreadProcessId(ToHwnd(window), &process) != 0 ? process : 0;
}

int Win32Desktop::GetDlgCtrlID(Hwnd window) {
    if (IsNull(window)) return 0;
    return ::GetDlgCtrlID(ToHwnd(window));
}

std::optional<WindowInfo> Win32Desktop::GetWindowInfo(Hwnd window) {
    if (IsNull(window)) return std::nullopt;
    WINDOWINFO wi{};
    wi.cbSize = sizeof(wi);
    if (!::GetWindowInfo(ToHwnd(window), &wi)) return std::nullopt;
    auto rect = [](const RECT& r) { return Rect{r.left, r.top, r.right, r.bottom}; };
    return WindowInfo{rect(wi.rcWindow), rect(wi.rcClient), wi.dwStyle};
}

std::optional<Point> Win32Desktop::ScreenToClient(Hwnd window, Point screen) {
    if (IsNull(window)) return std::nullopt;
    POINT p{screen.x, screen.y};
    if (!::ScreenToClient(ToHwnd(window), &p)) return std::nullopt;
    return Point{p.x, p.y};
}

std::intptr_t Win32Desktop::BoundedSend(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                                        std::intptr_t lParam) {
    if (IsNull(window) || NotResponding()) return 0;
    DWORD_PTR result = 0;
    ::SetLastError(ERROR_SUCCESS);
    if (::SendMessageTimeoutW(ToHwnd(window), message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam),
                              SMTO_ABORTIFHUNG | SMTO_NORMAL, sendTimeoutMs_, &result)) {
        return static_cast<std::intptr_t>(result);
    }
    const DWORD error = ::GetLastError();
    if (error == ERROR_TIMEOUT || ::IsHungAppWindow(ToHwnd(window))) notResponding_ = true;
    return 0;
}

std::intptr_t Win32Desktop::Send(Hwnd window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    return BoundedSend(window, message, wParam, lParam);
}

bool Win32Desktop::Post(Hwnd window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    if (IsNull(window)) return false;
    return ::PostMessageW(ToHwnd(window), message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam)) != FALSE;
}

std::optional<std::intptr_t> Win32Desktop::SendTimeout(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                                                       std::intptr_t lParam, std::uint32_t flags,
                                                       std::uint32_t timeoutMs) {
    // A program already found hung is not waited for again, whatever the caller's bound.
    if (IsNull(window) || NotResponding()) return std::nullopt;
    DWORD_PTR result = 0;
    ::SetLastError(ERROR_SUCCESS);
    if (::SendMessageTimeoutW(ToHwnd(window), message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam),
                              flags, timeoutMs, &result)) {
        return static_cast<std::intptr_t>(result);
    }
    // The caller's own bound: its time-out is not taken for a hung program.
    return std::nullopt;
}

std::uint32_t Win32Desktop::RegisterWindowMessage(const char16_t* name) {
    if (!name) return 0;
    return ::RegisterWindowMessageW(Wide(name));
}

std::u16string Win32Desktop::SendGetText(Hwnd window, std::size_t bufferUnits) {
    if (IsNull(window) || bufferUnits == 0) return {};
    const std::size_t units = std::min(bufferUnits, kMaxTextUnits);
    std::vector<wchar_t> buffer(units, L'\0');
    const std::intptr_t n =
        BoundedSend(window, WM_GETTEXT, units, reinterpret_cast<std::intptr_t>(buffer.data()));
    buffer[units - 1] = L'\0';
    const auto copied = static_cast<std::size_t>(std::clamp<std::intptr_t>(n, 0, static_cast<std::intptr_t>(units - 1)));
    return TextUpToNul(buffer.data(), copied);
}

std::intptr_t Win32Desktop::SendSetText(Hwnd window, const std::u16string& text) {
    return BoundedSend(window, WM_SETTEXT, 0, reinterpret_cast<std::intptr_t>(text.c_str()));
}

std::u16string Win32Desktop::SendGetLine(Hwnd edit, int line, std::size_t maxUnits) {
    if (IsNull(edit) || line < 0) return {};
    // The size travels in the buffer's first unit, so it cannot exceed a WORD.
    const std::size_t units = std::min<std::size_t>(maxUnits, 0xFFFF);
    if (units == 0) return {};
    if (RunningOnWine() && !InThisProcess(ToHwnd(edit))) return LineFromText(edit, line, units);
    std::vector<wchar_t> buffer(units + 1, L'\0');
    buffer[0] = static_cast<wchar_t>(units);
    const std::intptr_t n = BoundedSend(edit, EM_GETLINE, static_cast<std::uintptr_t>(line),
                                        reinterpret_cast<std::intptr_t>(buffer.data()));
    const auto copied = static_cast<std::size_t>(std::clamp<std::intptr_t>(n, 0, static_cast<std::intptr_t>(units)));
    return Text(buffer.data(), copied);
}

std::u16string Win32Desktop::LineFromText(Hwnd edit, int line, std::size_t maxUnits) {
    // The line's place in the text, then the text itself: what EM_GETLINE would copy.
    const std::intptr_t start = BoundedSend(edit, EM_LINEINDEX, static_cast<std::uintptr_t>(line), 0);
    if (NotResponding() || start < 0) return {};
    const std::intptr_t length = BoundedSend(edit, EM_LINELENGTH, static_cast<std::uintptr_t>(start), 0);
    if (NotResponding() || length <= 0) return {};
    const std::intptr_t total = BoundedSend(edit, WM_GETTEXTLENGTH, 0, 0);
    if (NotResponding() || total <= start || static_cast<std::size_t>(total) >= kMaxTextUnits) return {};
    const std::u16string text = SendGetText(edit, static_cast<std::size_t>(total) + 1);
    if (static_cast<std::size_t>(start) >= text.size()) return {};
    return text.substr(static_cast<std::size_t>(start),
                       std::min({static_cast<std::size_t>(length), maxUnits, text.size() - static_cast<std::size_t>(start)}));
}

std::optional<std::u16string> Win32Desktop::SendGetComboItem(Hwnd combo, int index) {
    if (IsNull(combo) || index < 0) return std::nullopt;
    const std::intptr_t len = BoundedSend(combo, CB_GETLBTEXTLEN, static_cast<std::uintptr_t>(index), 0);
    if (NotResponding() || len < 0 || static_cast<std::size_t>(len) >= kMaxTextUnits) return std::nullopt;
    const std::size_t units = std::max(static_cast<std::size_t>(len) + 1, kMinComboBuffer);
    std::vector<wchar_t> buffer(units, L'\0');
    const std::intptr_t n = BoundedSend(combo, CB_GETLBTEXT, static_cast<std::uintptr_t>(index),
                                        reinterpret_cast<std::intptr_t>(buffer.data()));
    if (NotResponding() || n < 0) return std::nullopt;
    buffer[units - 1] = L'\0';
    return TextUpToNul(buffer.data(), std::min(static_cast<std::size_t>(n), units - 1));
}

bool Win32Desktop::SetForegroundWindow(Hwnd window) {
    if (IsNull(window)) return false;
    return ::SetForegroundWindow(ToHwnd(window)) != FALSE;
}

Hwnd Win32Desktop::SetActiveWindow(Hwnd window) {
    if (IsNull(window)) return kNoWindow;
    return FromHwnd(::SetActiveWindow(ToHwnd(window)));
}

bool Win32Desktop::ShowWindow(Hwnd window, int command) {
    if (IsNull(window) || NotResponding()) return false;
    // ShowWindow on another thread's window waits for that thread without a
    // bound: a program that stopped answering is found out by a bounded
    // WM_NULL first, and its window is left as it is.
    const HWND hwnd = ToHwnd(window);
    if (::GetWindowThreadProcessId(hwnd, nullptr) != ::GetCurrentThreadId()) {
        DWORD_PTR ignored = 0;
        if (!::SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL, sendTimeoutMs_, &ignored)) {
            if (::GetLastError() == ERROR_TIMEOUT || ::IsHungAppWindow(hwnd)) notResponding_ = true;
            return false;
        }
    }
    return ::ShowWindow(hwnd, command) != FALSE;
}

bool Win32Desktop::SetCursorPos(Point screen) { return ::SetCursorPos(screen.x, screen.y) != FALSE; }

std::optional<Point> Win32Desktop::GetCursorPos() {
    POINT p{};
    if (!::GetCursorPos(&p)) return std::nullopt;
    return Point{p.x, p.y};
}

void Win32Desktop::MouseEvent(std::uint32_t flags) { ::mouse_event(flags, 0, 0, 0, 0); }

Hwnd Win32Desktop::WindowFromPoint(Point screen) { return FromHwnd(::WindowFromPoint(POINT{screen.x, screen.y})); }

bool Win32Desktop::ClickAt(Point screen) {
    // Absolute coordinates run from 0 to 65535 across the virtual screen.
    const int left = ::GetSystemMetrics(SM_XVIRTUALSCREEN), top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int width = std::max(::GetSystemMetrics(SM_CXVIRTUALSCREEN), 2);
    const int height = std::max(::GetSystemMetrics(SM_CYVIRTUALSCREEN), 2);
    auto scale = [](int at, int origin, int extent) {
        const long long v = (static_cast<long long>(at - origin) * 65535 + (extent - 1) / 2) / (extent - 1);
        return static_cast<LONG>(std::clamp<long long>(v, 0, 65535));
    };
    // Every input carries the point: the cursor can move between two inputs
    // of one array (the operator's mouse; under Wine, the X pointer taking the
    // cursor back whenever a window appears or vanishes under it), and a
    // button without a point would land wherever the cursor went.
    const DWORD at = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
    INPUT inputs[3] = {};
    const DWORD flags[3] = {at, at | MOUSEEVENTF_LEFTDOWN, at | MOUSEEVENTF_LEFTUP};
    for (int i = 0; i < 3; ++i) {
        inputs[i].type = INPUT_MOUSE;
        inputs[i].mi.dx = scale(screen.x, left, width);
        inputs[i].mi.dy = scale(screen.y, top, height);
        inputs[i].mi.dwFlags = flags[i];
    }
    return ::SendInput(3, inputs, sizeof(INPUT)) == 3;
}

InputDesk Win32Desktop::InputDeskState() {
    // A disconnected remote session has no input at all.
    WTS_CONNECTSTATE_CLASS* state = nullptr;
    DWORD bytes = 0;
    if (::WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, WTSConnectState,
                                      reinterpret_cast<LPWSTR*>(&state), &bytes)) {
        const bool disconnected = bytes >= sizeof *state && *state == WTSDisconnected;
        ::WTSFreeMemory(state);
        if (disconnected) return InputDesk::SessionDisconnected;
    }
    // The lock screen, as the session reports it (Windows 8 and later: Windows 7
    // reports the flag the other way round, and its lock screen is another
    // input desktop anyway, found below). The SDK's WTSINFOEXW begins with its
    // level and, 8-aligned, the session id, state and flags.
    struct SessionInfoEx {
        DWORD level;
        DWORD pad;
        ULONG sessionId;
        LONG sessionState;
        LONG sessionFlags;
    };
    constexpr int kWtsSessionInfoEx = 25;  // WTS_INFO_CLASS WTSSessionInfoEx
    constexpr LONG kSessionStateLock = 0;  // WTS_SESSIONSTATE_LOCK
    SessionInfoEx* info = nullptr;
    if (::IsWindows8OrGreater() &&
        ::WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION,
                                      static_cast<WTS_INFO_CLASS>(kWtsSessionInfoEx), reinterpret_cast<LPWSTR*>(&info),
                                      &bytes)) {
        const bool locked = bytes >= sizeof *info && info->level == 1 && info->sessionFlags == kSessionStateLock;
        ::WTSFreeMemory(info);
        if (locked) return InputDesk::SessionLocked;
    }
    // The desktop that takes the input must be this thread's: the secure
    // desktop of an elevation prompt or the lock screen cannot even be opened.
    struct DesktopCloser {
        void operator()(HDESK d) const { ::CloseDesktop(d); }
    };
    std::unique_ptr<std::remove_pointer_t<HDESK>, DesktopCloser> input(::OpenInputDesktop(0, FALSE, DESKTOP_READOBJECTS));
    if (!input) return InputDesk::OtherDesktop;
    auto nameOf = [](HDESK desk) {
        wchar_t name[256] = {};
        DWORD needed = 0;
        if (!::GetUserObjectInformationW(desk, UOI_NAME, name, sizeof name - sizeof(wchar_t), &needed))
            return std::wstring();
        return std::wstring(name);
    };
    const std::wstring inputName = nameOf(input.get());
    const std::wstring ownName = nameOf(::GetThreadDesktop(::GetCurrentThreadId()));
    if (!inputName.empty() && !ownName.empty() && _wcsicmp(inputName.c_str(), ownName.c_str()) != 0)
        return InputDesk::OtherDesktop;
    return InputDesk::Ready;
}

void Win32Desktop::Sleep(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

bool Win32Desktop::HasObjectFromLresult(Module oleacc) { return LookUpObjectFromLresult(oleacc) != nullptr; }

void Win32Desktop::HoldBrowserTypes() {
    if (!browserTypes_) browserTypes_ = std::make_shared<BrowserTypeLibraryHold>();
}

double Win32Desktop::PageCallMs() const { return pageCalls_ ? pageCalls_->BusyMs() : 0; }

bool Win32Desktop::NotResponding() const { return notResponding_ || (pageCalls_ && pageCalls_->GaveUp()); }

const std::shared_ptr<PageCallThread>& Win32Desktop::PageCalls() {
    if (!pageCalls_) pageCalls_ = std::make_shared<PageCallThread>(pageCallBoundMs_);
    return pageCalls_;
}

std::shared_ptr<PageRootDocument> Win32Desktop::ObjectFromLresult(Module oleacc, std::intptr_t lresult) {
    const ObjectFromLresultFn f = LookUpObjectFromLresult(oleacc);
    if (!f || NotResponding()) return nullptr;
    HoldBrowserTypes();
    // The proxy belongs to the apartment it is unmarshalled in: the page-call thread's.
    ComPtr<IHTMLDocument> document = PageCalls()
                                         ->Run([f, lresult] {
                                             ComPtr<IHTMLDocument> out;
                                             if (FAILED(f(static_cast<LRESULT>(lresult), __uuidof(IHTMLDocument), 0,
                                                          out.put_void()))) {
                                                 out.reset();
                                             }
                                             return out;
                                         })
                                         .value_or(nullptr);
    if (!document) return nullptr;
    return std::make_shared<ComPageRootDocument>(pageCalls_, std::move(document));
}

std::shared_ptr<PageAccessible> Win32Desktop::AccessibleObjectFromPoint(Point screen) {
    if (NotResponding()) return nullptr;
    HoldBrowserTypes();
    ComPtr<IAccessible> accessible = PageCalls()
                                         ->Run([screen] {
                                             ComPtr<IAccessible> out;
                                             ScopedVariant child;
                                             if (FAILED(::AccessibleObjectFromPoint(POINT{screen.x, screen.y},
                                                                                    out.put(), child.get()))) {
                                                 out.reset();
                                             }
                                             return out;
                                         })
                                         .value_or(nullptr);
    if (!accessible) return nullptr;
    return std::make_shared<ComPageAccessible>(pageCalls_, std::move(accessible));
}

}  // namespace qm::win32
