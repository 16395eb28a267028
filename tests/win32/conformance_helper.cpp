// The other process of the conformance tests: real windows of every kind the
// robot meets (a top-level window with an edit box, buttons, check boxes, a
// label, a combo box and a child dialog; an owned popup; a map dialog with a
// browser window and its page), which reports what reaches it in the shared
// block and obeys the commands of conformance_protocol.h.
//
// Command line: <shared block name> <resume event name> <test process id>.
// It ends when its main window is closed or the test process is gone.
#include <windows.h>
#include <ole2.h>
#include <shellapi.h>

#include <algorithm>
#include <memory>
#include <string>

#include "platform/win32/handles.h"
#include "sim/win32/page/browser_window.h"
#include "tests/win32/conformance_protocol.h"

namespace {

using namespace qm::conformance;
using qm::sim::page::PageObject;
using qm::win32::MappedView;
using qm::win32::UniqueHandle;

Shared* g_shared = nullptr;
HANDLE g_resume = nullptr;
HANDLE g_testProcess = nullptr;
std::shared_ptr<PageObject> g_page;
constexpr UINT_PTR kWatchTimer = 1;

std::uint64_t H(HWND h) { return reinterpret_cast<std::uint64_t>(h); }

void SetFault(WPARAM fault, LPARAM value) {
    auto& f = g_page->Faults();
    const bool on = value != 0;
    switch (fault) {
        case kNoLresult: f.noLresult = on; break;
        case kNoScript: f.noScript = on; break;
        case kScriptNotWindow: f.scriptNotWindow = on; break;
        case kNoWindowDocument: f.noWindowDocument = on; break;
        case kNoParentWindow: f.noParentWindow = on; break;
        case kNoDispatchEx: f.noDispatchEx = on; break;
        case kNoEval: f.noEval = on; break;
        case kFailUrl: f.failUrl = on; break;
        case kNoAccessible: f.noAccessible = on; break;
        case kNoServiceProvider: f.noServiceProvider = on; break;
        case kElementFailures: f.elementFailures = static_cast<int>(value); break;
        case kNoElementDocument: f.noElementDocument = on; break;
        case kElementDocumentNotDocument2: f.elementDocumentNotDocument2 = on; break;
        default: break;
    }
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            const int code = HIWORD(wParam);
            ::InterlockedIncrement(&g_shared->commands);
            g_shared->lastCommandId = id;
            g_shared->lastCommandCode = code;
            g_shared->lastCommandControl = static_cast<std::uint64_t>(lParam);
            if (code == BN_CLICKED && id >= 100 && id < 116) ::InterlockedIncrement(&g_shared->clicks[id - 100]);
            return 0;
        }
        case kPing:
            ::InterlockedIncrement(&g_shared->pings);
            return kPingAnswer;
        case kPosted:
            ::InterlockedIncrement(&g_shared->posted);
            return static_cast<LRESULT>(wParam);
        case kHang:
            // Not pumping: sends to this thread wait until the test resumes it.
            ::InterlockedExchange(&g_shared->hanging, 1);
            ::WaitForSingleObject(g_resume, static_cast<DWORD>(std::clamp<LPARAM>(lParam, 0, 60000)));
            ::InterlockedExchange(&g_shared->hanging, 0);
            return 0;
        case kSetFault:
            SetFault(wParam, lParam);
            return 1;
        case kClearFaults:
            g_page->Faults() = {};
            return 1;
        case kEvaluate: {
            g_shared->evalText[511] = L'\0';
            const std::u16string text(reinterpret_cast<const char16_t*>(g_shared->evalText));
            const auto result = g_page->Evaluate(text);
            g_shared->evalOk = result ? 1 : 0;
            const std::size_t n = result ? std::min<std::size_t>(result->size(), 511) : 0;
            if (result) std::copy_n(result->data(), n, reinterpret_cast<char16_t*>(g_shared->evalResult));
            g_shared->evalResult[n] = L'\0';
            return 1;
        }
        case kEvalCount:
            return static_cast<LRESULT>(g_page->Stats().evals.size());
        case kDocumentRequests:
            return g_page->Stats().documentRequests;
        case WM_TIMER:
            if (wParam == kWatchTimer && ::WaitForSingleObject(g_testProcess, 0) != WAIT_TIMEOUT) {
                ::DestroyWindow(hwnd);
            }
            return 0;
        case WM_DESTROY:
            ::PostQuitMessage(0);
            return 0;
        default:
            return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

HWND Child(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, const RECT& r, int id) {
    return ::CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right - r.left,
                             r.bottom - r.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             ::GetModuleHandleW(nullptr), nullptr);
}

HWND TopLevel(const wchar_t* cls, const wchar_t* title, DWORD style, const RECT& r, HWND owner) {
    return ::CreateWindowExW(0, cls, title, style | WS_VISIBLE, r.left, r.top, r.right - r.left, r.bottom - r.top,
                             owner, nullptr, ::GetModuleHandleW(nullptr), nullptr);
}

bool BuildWindows() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = MainProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kMainClass;
    if (!::RegisterClassExW(&wc)) return false;

    const HWND main = TopLevel(kMainClass, kMainTitle, WS_OVERLAPPEDWINDOW, kMainRect, nullptr);
    if (!main) return false;
    Shared& s = *g_shared;
    s.main = H(main);
    s.edit = H(Child(main, L"Edit", L"", ES_MULTILINE | ES_AUTOVSCROLL | WS_BORDER | WS_VSCROLL,
                     RECT{10, 10, 290, 190}, kEditId));
    s.push = H(Child(main, L"Button", kPushText, BS_PUSHBUTTON, kPushRect, kPushId));
    s.checked = H(Child(main, L"Button", kCheckedText, BS_AUTOCHECKBOX, RECT{10, 240, 130, 262}, kCheckedId));
    ::SendMessageW(reinterpret_cast<HWND>(s.checked), BM_SETCHECK, BST_CHECKED, 0);
    s.unchecked = H(Child(main, L"Button", kUncheckedText, BS_AUTOCHECKBOX, RECT{10, 270, 160, 292}, kUncheckedId));
    s.label = H(Child(main, L"Static", kLabelText, SS_LEFT, RECT{300, 10, 500, 30}, kLabelId));
    const HWND combo = Child(main, L"ComboBox", L"", CBS_DROPDOWNLIST | CBS_HASSTRINGS | WS_VSCROLL,
                             RECT{300, 40, 500, 240}, kComboId);
    s.combo = H(combo);
    for (const auto& item : kComboItems) ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    std::wstring longItem(kLongItemUnits, L'\0');
    for (int i = 0; i < kLongItemUnits; ++i) longItem[i] = static_cast<wchar_t>(L'가' + i % 100);
    ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(longItem.c_str()));
    ::SendMessageW(combo, CB_SETCURSEL, 1, 0);
    s.mouse = H(Child(main, L"Button", kMouseText, BS_PUSHBUTTON, kMouseRect, kMouseId));
    const HWND inner = Child(main, kDialogClass, L"", WS_BORDER, RECT{300, 260, 560, 360}, kInnerDialogId);
    s.innerDialog = H(inner);
    s.innerCheck = H(Child(inner, L"Button", kInnerCheckText, BS_AUTOCHECKBOX, RECT{10, 10, 200, 32}, kInnerCheckId));

    s.popup = H(TopLevel(kDialogClass, kPopupTitle, WS_POPUP | WS_CAPTION, kPopupRect, main));
    const HWND map = TopLevel(kDialogClass, kMapTitle, WS_POPUP | WS_CAPTION | WS_SYSMENU, kMapRect, nullptr);
    s.map = H(map);
    g_page = PageObject::Create(reinterpret_cast<const char16_t*>(kPageUrl));
    if (!g_page || !g_page->LoadScript(reinterpret_cast<const char16_t*>(kPageScript))) return false;
    s.browser = H(qm::sim::page::CreateBrowserWindow(map, kBrowserRect, g_page, kBrowserId));
    for (std::uint64_t h : {s.edit, s.push, s.checked, s.unchecked, s.label, s.combo, s.mouse, s.innerDialog,
                            s.innerCheck, s.popup, s.map, s.browser}) {
        if (!h) return false;
    }
    ::SetTimer(main, kWatchTimer, 500, nullptr);
    return true;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (!argv || argc < 4) return 2;
    UniqueHandle mapping(::OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, argv[1]));
    MappedView view(mapping ? ::MapViewOfFile(mapping.get(), FILE_MAP_ALL_ACCESS, 0, 0, sizeof(Shared)) : nullptr);
    UniqueHandle resume(::OpenEventW(SYNCHRONIZE, FALSE, argv[2]));
    UniqueHandle test(::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10))));
    ::LocalFree(argv);
    if (!view || !resume || !test) return 3;
    g_shared = static_cast<Shared*>(view.get());
    g_resume = resume.get();
    g_testProcess = test.get();

    if (FAILED(::OleInitialize(nullptr))) return 4;
    int rc = 0;
    if (BuildWindows()) {
        ::InterlockedExchange(&g_shared->ready, 1);
        MSG msg;
        while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    } else {
        rc = 5;
    }
    for (std::uint64_t h : {g_shared->map, g_shared->popup, g_shared->main}) {
        if (h) ::DestroyWindow(reinterpret_cast<HWND>(h));
    }
    g_page.reset();
    ::OleUninitialize();
    return rc;
}
