// The real half of the fake-desktop conformance test: builds the window tree of
// mirror_tree.h as real windows, reports their handles in the test's block, and
// pumps messages until the test ends it or goes away.
//
// Command line: <block name> <test process id>.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>

#include "platform/win32/handles.h"
#include "tests/win32/mirror_tree.h"

namespace {

using namespace qm::mirror;
using qm::win32::MappedView;
using qm::win32::UniqueHandle;

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wchar_t is a UTF-16 unit");
static_assert(sizeof(LONG) == sizeof(std::int32_t));

constexpr UINT_PTR kWatchTimer = 1;
HANDLE g_testProcess = nullptr;

const wchar_t* W(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }

LRESULT CALLBACK MainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            // Never outlive the test: it may have died without ending us.
            if (wParam == kWatchTimer && ::WaitForSingleObject(g_testProcess, 0) != WAIT_TIMEOUT) {
                ::PostQuitMessage(0);
            }
            return 0;
        case WM_DESTROY:
            if (::GetWindowLongPtrW(hwnd, GWLP_USERDATA) == 1) ::PostQuitMessage(0);
            return 0;
        default:
            return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

HWND Make(const Node& node, HWND parent, HWND owner) {
    const wchar_t* cls = L"";
    DWORD style = 0;
    switch (node.kind) {
        case Kind::Frame: cls = W(kMainClass); style = WS_OVERLAPPEDWINDOW; break;
        case Kind::Popup: cls = L"#32770"; style = WS_POPUP | WS_CAPTION; break;
        case Kind::Edit:
            // No word wrap (ES_AUTOHSCROLL): a line of the text is a line of the box.
            cls = L"Edit";
            style = ES_MULTILINE | ES_AUTOHSCROLL | ES_AUTOVSCROLL | ES_WANTRETURN | WS_BORDER;
            break;
        case Kind::PushButton: cls = L"Button"; style = BS_PUSHBUTTON; break;
        case Kind::CheckBox: cls = L"Button"; style = BS_AUTOCHECKBOX; break;
        case Kind::Label: cls = L"Static"; style = SS_LEFT; break;
        case Kind::DropDownList: cls = L"ComboBox"; style = CBS_DROPDOWNLIST | CBS_HASSTRINGS | WS_VSCROLL; break;
        case Kind::ChildDialog: cls = L"#32770"; break;
    }
    style |= WS_VISIBLE | (parent ? WS_CHILD : 0);
    const Box& r = node.rect;
    return ::CreateWindowExW(0, cls, W(node.text), style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                             parent ? parent : owner,
                             parent ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(node.id)) : nullptr,
                             ::GetModuleHandleW(nullptr), nullptr);
}

// Builds every window in table order; the index of the first that failed, or -1.
int BuildTree(Block& block) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = MainProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = W(kMainClass);
    if (!::RegisterClassExW(&wc)) return kMain;

    HWND made[kNodeCount] = {};
    for (int i = 0; i < kNodeCount; ++i) {
        const Node& node = kTree[i];
        made[i] = Make(node, node.parent >= 0 ? made[node.parent] : nullptr,
                       node.owner >= 0 ? made[node.owner] : nullptr);
        if (!made[i]) return i;
        block.handles[i] = reinterpret_cast<std::uint64_t>(made[i]);
        if (node.kind == Kind::CheckBox) ::SendMessageW(made[i], BM_SETCHECK, BST_CHECKED, 0);
        if (node.kind == Kind::DropDownList) {
            for (const char16_t* item : kComboItems) {
                if (::SendMessageW(made[i], CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(item))) < 0) return i;
            }
            ::SendMessageW(made[i], CB_SETCURSEL, kComboSelection, 0);
        }
    }
    // Closing the first main window ends the program.
    ::SetWindowLongPtrW(made[kMain], GWLP_USERDATA, 1);
    ::SetTimer(made[kMain], kWatchTimer, 500, nullptr);
    return -1;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (!argv || argc < 3) {
        if (argv) ::LocalFree(argv);
        return 2;
    }
    UniqueHandle mapping(::OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, argv[1]));
    MappedView view(mapping ? ::MapViewOfFile(mapping.get(), FILE_MAP_ALL_ACCESS, 0, 0, sizeof(Block)) : nullptr);
    UniqueHandle test(::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10))));
    ::LocalFree(argv);
    if (!view || !test) return 3;
    g_testProcess = test.get();
    Block& block = *static_cast<Block*>(view.get());

    const int failed = BuildTree(block);
    if (failed >= 0) {
        block.failedNode = failed;
        ::InterlockedExchange(reinterpret_cast<volatile LONG*>(&block.ready), -1);
        return 4;
    }
    ::InterlockedExchange(reinterpret_cast<volatile LONG*>(&block.ready), 1);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}
