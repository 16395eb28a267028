#include "sim/win32_host.h"

#include <string>
#include <vector>

#include "sim/win32/page/browser_window.h"
#include "sim/win32/page/handler_clock.h"
#include "sim/win32/page/page_object.h"

namespace qm::sim {
namespace {

Win32Host* g_host = nullptr;

const wchar_t* Wide(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

std::u16string FromWide(const wchar_t* s, std::size_t n) { return std::u16string(reinterpret_cast<const char16_t*>(s), n); }

bool IsStandardClass(const std::u16string& name) {
    for (const char16_t* standard : {u"Edit", u"Button", u"Static", u"ComboBox", u"#32770", u"MDIClient"})
        if (name == standard) return true;
    return false;
}

DWORD ChildStyle(const WindowSpec& desc) {
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    switch (desc.behaviour) {
        case Behaviour::Edit:
            // Multi-line, but never wrapped: one line of text stays one line.
            style |= WS_BORDER | WS_TABSTOP | ES_MULTILINE | ES_AUTOHSCROLL | ES_AUTOVSCROLL;
            if (desc.readOnly) style |= ES_READONLY;
            break;
        case Behaviour::Button: style |= WS_TABSTOP | BS_PUSHBUTTON; break;
        case Behaviour::CheckBox: style |= WS_TABSTOP | BS_AUTOCHECKBOX; break;
        case Behaviour::Label: style |= SS_LEFT; break;
        case Behaviour::Combo:
            style |= WS_TABSTOP | WS_VSCROLL | (desc.editable ? CBS_DROPDOWN | CBS_AUTOHSCROLL : CBS_DROPDOWNLIST);
            break;
        case Behaviour::Dialog: style |= DS_CONTROL | WS_CLIPCHILDREN; break;
        case Behaviour::Browser:
        case Behaviour::Container: style |= WS_CLIPCHILDREN; break;
    }
    return style;
}

}  // namespace

Win32Host::Win32Host(HINSTANCE instance) : instance_(instance) {
    g_host = this;
    font_ = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

Win32Host::~Win32Host() {
    // The program is gone: no hook may run any more while the windows go.
    for (auto& [hwnd, record] : records_) {
        record.command = nullptr;
        record.key = nullptr;
        record.focus = nullptr;
        record.text = nullptr;
        record.close = nullptr;
        record.destroy = nullptr;
    }
    for (auto& [id, callback] : timers_) ::KillTimer(nullptr, id);
    timers_.clear();
    std::vector<HWND> topLevel;
    for (auto& [hwnd, record] : records_)
        if (record.topLevel) topLevel.push_back(hwnd);
    for (HWND h : topLevel)
        if (::IsWindow(h)) ::DestroyWindow(h);
    if (g_host == this) g_host = nullptr;
}

Win32Host::Record* Win32Host::Find(HWND hwnd) {
    auto it = records_.find(hwnd);
    return it == records_.end() ? nullptr : &it->second;
}

const Win32Host::Record* Win32Host::Find(HWND hwnd) const {
    auto it = records_.find(hwnd);
    return it == records_.end() ? nullptr : &it->second;
}

bool Win32Host::EnsureClass(const std::u16string& className, Behaviour behaviour) {
    if (IsStandardClass(className)) return true;
    if (behaviour == Behaviour::Browser)
        return page::RegisterBrowserClass() && className == StandardClass(Behaviour::Browser);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (::GetClassInfoExW(instance_, Wide(className), &existing)) return true;

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    const char16_t* standard = StandardClass(behaviour);
    if (behaviour != Behaviour::Container) {
        // A superclass: the standard control's behaviour under the exact name.
        if (!::GetClassInfoExW(nullptr, reinterpret_cast<const wchar_t*>(standard), &wc)) return false;
        wc.cbSize = sizeof wc;
    } else {
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    }
    wc.hInstance = instance_;
    wc.lpszClassName = Wide(className);
    return ::RegisterClassExW(&wc) != 0;
}

Hwnd Win32Host::Create(const WindowSpec& desc) {
    const std::u16string className = desc.className.empty() ? std::u16string(StandardClass(desc.behaviour)) : desc.className;
    if (className.empty() || !classes_.Admit(className, desc.behaviour) || !EnsureClass(className, desc.behaviour))
        return kNoWindow;

    const HWND parent = ToHwnd(desc.parent);
    const HWND owner = ToHwnd(desc.owner);
    if (parent && !Find(parent)) return kNoWindow;
    const bool topLevel = parent == nullptr;
    const int width = desc.rect.right - desc.rect.left;
    const int height = desc.rect.bottom - desc.rect.top;

    HWND hwnd = nullptr;
    if (desc.behaviour == Behaviour::Browser) {
        const RECT r{desc.rect.left, desc.rect.top, desc.rect.right, desc.rect.bottom};
        hwnd = page::CreateBrowserWindow(parent, r, nullptr, desc.id,
                                         WS_CHILD | WS_CLIPSIBLINGS | (desc.visible ? WS_VISIBLE : 0));
    } else {
        DWORD style;
        DWORD exStyle = 0;
        if (topLevel) {
            style = owner ? (WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN)
                          : (WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN);
            if (desc.behaviour == Behaviour::Dialog) exStyle |= WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
        } else {
            style = ChildStyle(desc);
            if (desc.behaviour == Behaviour::Dialog) exStyle |= WS_EX_CONTROLPARENT;
            if (desc.behaviour == Behaviour::Edit) exStyle |= WS_EX_CLIENTEDGE;
        }
        if (desc.visible) style |= WS_VISIBLE;
        CLIENTCREATESTRUCT mdi{nullptr, 0xFF00};
        void* param = className == u"MDIClient" ? &mdi : nullptr;
        if (className == u"MDIClient") style |= WS_VSCROLL | WS_HSCROLL;
        hwnd = ::CreateWindowExW(exStyle, Wide(className), Wide(desc.text), style, desc.rect.left, desc.rect.top,
                                 width, height, topLevel ? owner : parent,
                                 topLevel ? nullptr : reinterpret_cast<HMENU>(static_cast<INT_PTR>(desc.id)),
                                 instance_, param);
    }
    if (!hwnd) return kNoWindow;

    Record record;
    record.behaviour = desc.behaviour;
    record.topLevel = topLevel;
    record.commandTarget = ToHwnd(desc.commandTarget);
    record.original = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32Host::Proc)));
    records_[hwnd] = std::move(record);

    if (!topLevel) ::SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    if (desc.behaviour == Behaviour::Combo) {
        ++settingText_;
        for (const std::u16string& item : desc.items)
            ::SendMessageW(hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item)));
        ::SendMessageW(hwnd, CB_SETCURSEL, static_cast<WPARAM>(desc.selection), 0);
        if (desc.editable && desc.selection < 0 && !desc.text.empty()) ::SetWindowTextW(hwnd, Wide(desc.text));
        --settingText_;
    }
    return FromHwnd(hwnd);
}

void Win32Host::Destroy(Hwnd window) {
    const HWND h = ToHwnd(window);
    if (Find(h) && ::IsWindow(h)) ::DestroyWindow(h);
}

bool Win32Host::Exists(Hwnd window) const {
    const HWND h = ToHwnd(window);
    return h && Find(h) && ::IsWindow(h);
}

void Win32Host::Show(Hwnd window, bool visible) {
    if (Exists(window)) ::ShowWindow(ToHwnd(window), visible ? SW_SHOW : SW_HIDE);
}

bool Win32Host::IsVisible(Hwnd window) const {
    return Exists(window) && (::GetWindowLongW(ToHwnd(window), GWL_STYLE) & WS_VISIBLE) != 0;
}

bool Win32Host::IsMinimized(Hwnd window) const { return Exists(window) && ::IsIconic(ToHwnd(window)); }

void Win32Host::SetText(Hwnd window, const std::u16string& text) {
    if (!Exists(window)) return;
    ++settingText_;
    ::SetWindowTextW(ToHwnd(window), Wide(text));
    --settingText_;
}

std::u16string Win32Host::GetText(Hwnd window) const {
    if (!Exists(window)) return {};
    const HWND h = ToHwnd(window);
    const int length = ::GetWindowTextLengthW(h);
    if (length <= 0) return {};
    std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1);
    const int got = ::GetWindowTextW(h, buffer.data(), length + 1);
    return FromWide(buffer.data(), got > 0 ? static_cast<std::size_t>(got) : 0);
}

bool Win32Host::GetCheck(Hwnd checkBox) const {
    return Exists(checkBox) && ::SendMessageW(ToHwnd(checkBox), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32Host::SetCheck(Hwnd checkBox, bool checked) {
    if (Exists(checkBox)) ::SendMessageW(ToHwnd(checkBox), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

int Win32Host::GetSelection(Hwnd combo) const {
    if (!Exists(combo)) return -1;
    const LRESULT r = ::SendMessageW(ToHwnd(combo), CB_GETCURSEL, 0, 0);
    return r == CB_ERR ? -1 : static_cast<int>(r);
}

void Win32Host::SetSelection(Hwnd combo, int index) {
    if (!Exists(combo)) return;
    ++settingText_;
    ::SendMessageW(ToHwnd(combo), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    --settingText_;
}

Rect Win32Host::ScreenRect(Hwnd window) const {
    RECT r{};
    if (!Exists(window) || !::GetWindowRect(ToHwnd(window), &r)) return {};
    return {r.left, r.top, r.right, r.bottom};
}

void Win32Host::PlaceAfter(Hwnd window, Hwnd after) {
    if (!Exists(window) || (!IsNull(after) && !Exists(after))) return;
    ::SetWindowPos(ToHwnd(window), IsNull(after) ? HWND_TOP : ToHwnd(after), 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

void Win32Host::Move(Hwnd window, Rect rect) {
    if (!Exists(window)) return;
    ::SetWindowPos(ToHwnd(window), nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

void Win32Host::OnCommand(Hwnd target, CommandHandler handler) {
    if (Record* r = Find(ToHwnd(target))) r->command = std::move(handler);
}

void Win32Host::OnKey(Hwnd control, KeyHandler handler) {
    if (Record* r = Find(ToHwnd(control))) r->key = std::move(handler);
}

void Win32Host::OnFocus(Hwnd control, FocusHandler handler) {
    if (Record* r = Find(ToHwnd(control))) r->focus = std::move(handler);
}

void Win32Host::OnMouse(Hwnd control, MouseHandler handler) {
    if (Record* r = Find(ToHwnd(control))) r->mouse = std::move(handler);
}

void Win32Host::OnTextChanged(Hwnd control, TextHandler handler) {
    if (Record* r = Find(ToHwnd(control))) r->text = std::move(handler);
}

void Win32Host::OnClose(Hwnd window, CloseHandler handler) {
    if (Record* r = Find(ToHwnd(window))) r->close = std::move(handler);
}

void Win32Host::OnDestroy(Hwnd window, DestroyHandler handler) {
    if (Record* r = Find(ToHwnd(window))) r->destroy = std::move(handler);
}

TimerId Win32Host::StartTimer(std::uint32_t delayMs, std::function<void()> callback) {
    const UINT_PTR id = ::SetTimer(nullptr, 0, delayMs < USER_TIMER_MINIMUM ? USER_TIMER_MINIMUM : delayMs,
                                   &Win32Host::TimerProc);
    if (id == 0) return 0;
    timers_[id] = std::move(callback);
    return static_cast<TimerId>(id);
}

void Win32Host::CancelTimer(TimerId timer) {
    if (timer == 0) return;
    const auto id = static_cast<UINT_PTR>(timer);
    if (timers_.erase(id) > 0) ::KillTimer(nullptr, id);
}

void CALLBACK Win32Host::TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);  // every host timer fires once
    Win32Host* host = g_host;
    if (!host) return;
    auto it = host->timers_.find(id);
    if (it == host->timers_.end()) return;
    std::function<void()> callback = std::move(it->second);
    host->timers_.erase(it);
    if (callback) callback();
}

void Win32Host::AttachPage(Hwnd browser, const PageSpec& desc) {
    Record* r = Find(ToHwnd(browser));
    if (!r || r->behaviour != Behaviour::Browser) return;
    auto page = page::PageObject::Create(desc.url);
    if (!page) return;
    if (!desc.script.empty()) page->LoadScript(desc.script);
    r->page = page;
    page::AttachPage(ToHwnd(browser), page);
}

void Win32Host::SetPageUrl(Hwnd browser, const std::u16string& url) {
    if (Record* r = Find(ToHwnd(browser)); r && r->page) r->page->SetUrl(url);
}

std::u16string Win32Host::PageUrl(Hwnd browser) const {
    const Record* r = Find(ToHwnd(browser));
    return r && r->page ? r->page->GetUrl() : std::u16string();
}

ScriptValue Win32Host::EvaluateInPage(Hwnd browser, const std::u16string& script) {
    Record* r = Find(ToHwnd(browser));
    if (!r || !r->page) return ScriptValue{std::u16string(), false};
    auto page = r->page;  // the script may not destroy the window under us, but be safe
    return page->EvaluateValue(script);
}

void Win32Host::Hang(std::uint32_t milliseconds) {
    // Not pumping messages is what a hung program does; the wait is bounded.
    ::Sleep(milliseconds);
}

void Win32Host::Quit() { ::PostQuitMessage(0); }

int Win32Host::Run() {
    MSG m{};
    for (;;) {
        const BOOL got = ::GetMessageW(&m, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(m.wParam);
        if (got < 0) return 1;
        const bool rawKey = (m.message == WM_KEYDOWN || m.message == WM_KEYUP) &&
                            (m.wParam == VK_RETURN || m.wParam == VK_TAB);
        if (!rawKey) ::TranslateMessage(&m);
        clock::Dispatch(m);
    }
}

void Win32Host::RaiseTextChanged(HWND control) {
    if (settingText_ > 0 || control == inSetText_) return;
    Record* r = Find(control);
    if (!r || !r->text) return;
    TextHandler handler = r->text;  // copied: the handler may destroy the control
    handler();
}

LRESULT CALLBACK Win32Host::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const clock::HandlerScope timed(clock::SentFromAnotherThread());
    if (g_host) return g_host->Handle(hwnd, message, wParam, lParam);
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT Win32Host::Handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Record* r = Find(hwnd);
    if (!r) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    const WNDPROC original = r->original;

    switch (message) {
        case WM_COMMAND: {
            const HWND control = reinterpret_cast<HWND>(lParam);
            if (control) {
                const Record* from = Find(control);
                if (from) {
                    // Handled at the control's command target, wherever it arrived.
                    const HWND target = from->commandTarget ? from->commandTarget : ::GetParent(control);
                    if (target && target != hwnd && Find(target) && ::IsWindow(target))
                        return ::SendMessageW(target, WM_COMMAND, wParam, lParam);
                    if (HIWORD(wParam) == EN_CHANGE) RaiseTextChanged(control);
                }
            }
            r = Find(hwnd);
            if (!r) return 0;
            if (r->command) {
                CommandHandler handler = r->command;  // copied: it may destroy this window
                handler(LOWORD(wParam), HIWORD(wParam), FromHwnd(control));
                return 0;
            }
            break;
        }
        case WM_KEYDOWN: {
            if (r->key) {
                KeyHandler handler = r->key;
                if (handler(static_cast<std::uint32_t>(wParam))) return 0;
                r = Find(hwnd);
                if (!r) return 0;
            }
            if (wParam == VK_TAB && !r->topLevel) {
                // Tab moves on to the next control, as in a dialog.
                const HWND parent = ::GetParent(hwnd);
                const bool back = (::GetKeyState(VK_SHIFT) & 0x8000) != 0;
                if (const HWND next = parent ? ::GetNextDlgTabItem(parent, hwnd, back) : nullptr) ::SetFocus(next);
                return 0;
            }
            break;
        }
        case WM_SETTEXT: {
            const HWND outer = inSetText_;
            inSetText_ = hwnd;  // one report for it, not a second through EN_CHANGE
            const LRESULT result = ::CallWindowProcW(original, hwnd, message, wParam, lParam);
            inSetText_ = outer;
            // Reported for every window that took the text (a drop-down list refuses it).
            if (result != 0 && result != CB_ERR) RaiseTextChanged(hwnd);
            return result;
        }
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP: {
            if (r->mouse) {
                MouseHandler handler = r->mouse;
                const MouseEvent event{message == WM_LBUTTONDOWN,
                                       {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}};
                if (handler(event)) return 0;
                if (!Find(hwnd)) return 0;
            }
            break;
        }
        case WM_NCHITTEST: {
            // A plain Static is transparent to real clicks; one with a mouse hook takes them.
            const LRESULT hit = ::CallWindowProcW(original, hwnd, message, wParam, lParam);
            if (hit == HTTRANSPARENT && r->mouse) return HTCLIENT;
            return hit;
        }
        case WM_SETFOCUS:
        case WM_KILLFOCUS: {
            if (r->focus) {
                FocusHandler handler = r->focus;
                handler(message == WM_SETFOCUS);
                if (!Find(hwnd)) return 0;
            }
            break;
        }
        case WM_CLOSE: {
            if (r->close) {
                CloseHandler handler = r->close;
                if (handler() && ::IsWindow(hwnd)) ::DestroyWindow(hwnd);
                return 0;
            }
            if (r->topLevel) {
                ::DestroyWindow(hwnd);
                return 0;
            }
            break;
        }
        case WM_DESTROY: {
            DestroyHandler handler = std::move(r->destroy);
            r->destroy = nullptr;
            if (handler) handler();
            break;
        }
        case WM_NCDESTROY: {
            const LRESULT result = ::CallWindowProcW(original, hwnd, message, wParam, lParam);
            records_.erase(hwnd);
            return result;
        }
        default: break;
    }
    return ::CallWindowProcW(original, hwnd, message, wParam, lParam);
}

}  // namespace qm::sim
