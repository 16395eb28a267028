// winmsg: small window commands for scripts that show or measure the robot.
//   winmsg.exe wait CLASS SECONDS       wait until a top-level window of CLASS exists
//   winmsg.exe gone CLASS SECONDS       wait until no top-level window of CLASS exists
//   winmsg.exe command CLASS ID         send WM_COMMAND ID to the first window of CLASS
//   winmsg.exe click-id ID              press (BM_CLICK) the first shown window with control
//                                       id ID, top-level windows in z-order, each
//                                       searched depth first
//   winmsg.exe cover L T R B SECONDS    show a topmost window over the screen rectangle
//                                       (another program's window over the dispatch
//                                       program's) for SECONDS without taking the
//                                       foreground, then print the clicks it took
//   winmsg.exe cursor X Y               put the cursor at screen point X,Y (under Wine the
//                                       X pointer goes there too) and print where it is
//   winmsg.exe list                     print every top-level window: handle, program,
//                                       process id, shown or hidden, class and caption (UTF-8)
//   winmsg.exe --version                print this program's version
// Exit code 0 on success, 1 when the window is not there (in time) or still
// there, 2 for bad usage.
#include <windows.h>

#include <cwchar>
#include <string>

#include "quillmere_version.h"

namespace {

void WriteUtf8(const std::wstring& text) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                        nullptr);
    std::string utf8(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), n, nullptr, nullptr);
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

std::wstring Hex(unsigned long long value) {
    wchar_t digits[20] = {};
    int n = 0;
    do {
        digits[n++] = L"0123456789abcdef"[value % 16];
        value /= 16;
    } while (value);
    std::wstring text;
    while (n) text += digits[--n];
    return text;
}

// The file name of process pid's program, or "?".
std::wstring ProgramName(DWORD pid) {
    std::wstring name = L"?";
    HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return name;
    wchar_t path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (::QueryFullProcessImageNameW(process, 0, path, &size)) {
        name = path;
        const auto slash = name.find_last_of(L"\\/");
        if (slash != std::wstring::npos) name.erase(0, slash + 1);
    }
    ::CloseHandle(process);
    return name;
}

BOOL CALLBACK ListOne(HWND w, LPARAM) {
    wchar_t cls[256] = {}, text[256] = {};
    ::GetClassNameW(w, cls, 256);
    ::GetWindowTextW(w, text, 256);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(w, &pid);
    WriteUtf8(Hex(reinterpret_cast<ULONG_PTR>(w)) + L" " + ProgramName(pid) + L" pid " + Hex(pid) +
              (::IsWindowVisible(w) ? L" shown " : L" hidden ") + cls + L" \"" + text + L"\"\n");
    return TRUE;
}

// The first shown descendant of a top-level window with the control id asked for.
struct IdSearch {
    int id;
    HWND found;
};

BOOL CALLBACK MatchId(HWND w, LPARAM param) {
    auto* search = reinterpret_cast<IdSearch*>(param);
    if (::GetDlgCtrlID(w) != search->id || !::IsWindowVisible(w)) return TRUE;
    search->found = w;
    return FALSE;
}

BOOL CALLBACK SearchTopLevel(HWND w, LPARAM param) {
    if (!::IsWindowVisible(w)) return TRUE;
    ::EnumChildWindows(w, MatchId, param);
    return reinterpret_cast<IdSearch*>(param)->found == nullptr;
}

// The cover window counts the mouse presses that reach it.
LRESULT CALLBACK CoverProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONDOWN) {
        auto* presses = reinterpret_cast<long*>(GetWindowLongPtrW(w, GWLP_USERDATA));
        if (presses) ++*presses;
        return 0;
    }
    if (message == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
    return DefWindowProcW(w, message, wParam, lParam);
}

int Cover(const RECT& r, unsigned long seconds) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = CoverProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_INFOBK + 1);
    wc.lpszClassName = L"QuillmereCover";
    if (!RegisterClassW(&wc)) return 1;
    HWND w = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, wc.lpszClassName, L"cover", WS_POPUP,
                             r.left, r.top, r.right - r.left, r.bottom - r.top, nullptr, nullptr, wc.hInstance,
                             nullptr);
    if (!w) return 1;
    long presses = 0;
    SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&presses));
    ShowWindow(w, SW_SHOWNOACTIVATE);
    const ULONGLONG end = GetTickCount64() + seconds * 1000ull;
    for (ULONGLONG now = GetTickCount64(); now < end && IsWindow(w); now = GetTickCount64()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    }
    if (IsWindow(w)) DestroyWindow(w);
    WriteUtf8(L"presses " + std::to_wstring(presses) + L"\n");
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 2 && std::wstring(argv[1]) == L"--version") {
        const std::string line = std::string("winmsg ") + qm::kVersion + "\n";
        DWORD written = 0;
        WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        return 0;
    }
    if (argc == 2 && std::wstring(argv[1]) == L"list") {
        ::EnumWindows(ListOne, 0);
        return 0;
    }
    if (argc == 3 && std::wstring(argv[1]) == L"click-id") {
        wchar_t* end = nullptr;
        IdSearch search{static_cast<int>(std::wcstol(argv[2], &end, 0)), nullptr};
        if (*end != L'\0') return 2;
        ::EnumWindows(SearchTopLevel, reinterpret_cast<LPARAM>(&search));
        if (!search.found) return 1;
        DWORD_PTR result = 0;
        return SendMessageTimeoutW(search.found, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) ? 0 : 1;
    }
    if (argc == 4 && std::wstring(argv[1]) == L"cursor") {
        wchar_t* endX = nullptr;
        wchar_t* endY = nullptr;
        const long x = std::wcstol(argv[2], &endX, 0), y = std::wcstol(argv[3], &endY, 0);
        if (*endX != L'\0' || *endY != L'\0') return 2;
        const BOOL set = ::SetCursorPos(x, y);
        POINT at{};
        ::GetCursorPos(&at);
        const std::string line = std::to_string(at.x) + " " + std::to_string(at.y) + "\n";
        DWORD written = 0;
        WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        return set && at.x == x && at.y == y ? 0 : 1;
    }
    if (argc == 7 && std::wstring(argv[1]) == L"cover") {
        long v[5] = {};
        for (int i = 0; i < 5; ++i) {
            wchar_t* end = nullptr;
            v[i] = std::wcstol(argv[2 + i], &end, 0);
            if (*end != L'\0') return 2;
        }
        if (v[2] <= v[0] || v[3] <= v[1] || v[4] <= 0 || v[4] > 3600) return 2;
        return Cover(RECT{v[0], v[1], v[2], v[3]}, static_cast<unsigned long>(v[4]));
    }
    if (argc != 4) return 2;
    const std::wstring verb = argv[1];
    const wchar_t* cls = argv[2];
    wchar_t* end = nullptr;
    const unsigned long value = std::wcstoul(argv[3], &end, 0);
    if (*end != L'\0') return 2;
    if (verb == L"wait" || verb == L"gone") {
        const bool present = verb == L"wait";
        for (unsigned long i = 0;; ++i) {
            if ((FindWindowW(cls, nullptr) != nullptr) == present) return 0;
            if (i >= value * 10) return 1;
            Sleep(100);
        }
    }
    if (verb == L"command") {
        HWND w = FindWindowW(cls, nullptr);
        if (!w) return 1;
        DWORD_PTR result = 0;
        return SendMessageTimeoutW(w, WM_COMMAND, value, 0, SMTO_ABORTIFHUNG, 5000, &result) ? 0 : 1;
    }
    return 2;
}
