// The browser window: hands the page's COM objects to whoever asks by message.
#include "sim/win32/page/browser_window.h"

#include <oleacc.h>
#include <mshtml.h>

#include "platform/win32/handles.h"
#include "sim/win32/page/handler_clock.h"

namespace qm::sim::page {
namespace {

struct BrowserState {
    std::shared_ptr<PageObject> page;
};

UINT HtmlGetObjectMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"WM_HTML_GETOBJECT");
    return message;
}

BrowserState* StateOf(HWND hwnd) {
    return reinterpret_cast<BrowserState*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

bool IsOurBrowser(HWND hwnd) {
    if (!hwnd || !::IsWindow(hwnd)) return false;
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid != ::GetCurrentProcessId()) return false;
    wchar_t name[64] = {};
    ::GetClassNameW(hwnd, name, 64);
    return ::lstrcmpW(name, kBrowserClassName) == 0 && StateOf(hwnd) != nullptr;
}

// Marshals one reference of object for the caller of the message. The browser's
// type library stays loaded for the program's life once a page was asked for,
// so that no later marshalled call has to read it again.
LRESULT Lresult(REFIID iid, WPARAM wParam, void* object) {
    static win32::BrowserTypeLibraryHold browserTypes;
    auto* unknown = static_cast<IUnknown*>(object);
    const LRESULT lresult = ::LresultFromObject(iid, wParam, unknown);
    unknown->Release();  // LresultFromObject keeps its own reference for the marshalled copy
    return FAILED(static_cast<HRESULT>(lresult)) ? 0 : lresult;
}

LRESULT CALLBACK BrowserProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const clock::HandlerScope timed(clock::SentFromAnotherThread());
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        auto* initial = static_cast<std::shared_ptr<PageObject>*>(create->lpCreateParams);
        auto* state = new BrowserState{initial ? *initial : nullptr};
        if (state->page) state->page->SetWindow(hwnd);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
    BrowserState* state = StateOf(hwnd);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        if (state && state->page) state->page->SetWindow(nullptr);
        delete state;
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
    if (state && state->page) {
        PageObject& page = *state->page;
        if (message == HtmlGetObjectMessage()) {
            if (page.Faults().noLresult) return 0;
            const LRESULT lresult = Lresult(__uuidof(IHTMLDocument), wParam, page.NewDocumentReference());
            if (lresult) ++page.Stats().documentRequests;
            return lresult;
        }
        // lParam may arrive without sign extension: compare its low 32 bits.
        if (message == WM_GETOBJECT && static_cast<LONG>(lParam) == static_cast<LONG>(OBJID_CLIENT) &&
            !page.Faults().noAccessible) {
            const LRESULT lresult = Lresult(__uuidof(IAccessible), wParam, page.NewAccessibleReference());
            if (lresult) ++page.Stats().accessibleRequests;
            return lresult;
        }
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

bool RegisterBrowserClass() {
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = BrowserProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
        wc.lpszClassName = kBrowserClassName;
        return ::RegisterClassExW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    HtmlGetObjectMessage();
    return registered;
}

HWND CreateBrowserWindow(HWND parent, const RECT& rect, std::shared_ptr<PageObject> page, int id, DWORD style) {
    if (!RegisterBrowserClass()) return nullptr;
    if (!parent) style &= ~static_cast<DWORD>(WS_CHILD);
    const HMENU menu = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)) : nullptr;
    return ::CreateWindowExW(0, kBrowserClassName, L"", style, rect.left, rect.top, rect.right - rect.left,
                             rect.bottom - rect.top, parent, menu, ::GetModuleHandleW(nullptr), &page);
}

bool AttachPage(HWND browser, std::shared_ptr<PageObject> page) {
    if (!IsOurBrowser(browser)) return false;
    BrowserState* state = StateOf(browser);
    if (state->page) state->page->SetWindow(nullptr);
    state->page = std::move(page);
    if (state->page) state->page->SetWindow(browser);
    return true;
}

std::shared_ptr<PageObject> PageOf(HWND browser) {
    if (!IsOurBrowser(browser)) return nullptr;
    return StateOf(browser)->page;
}

}  // namespace qm::sim::page
