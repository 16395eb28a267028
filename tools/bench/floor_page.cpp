// floor-page: the other side of the floor measurement (floor.cpp), a program
// that answers as little as a dispatch program can: one top-level window of
// class "QuillmereFloor" holding a tree of standard controls shaped like an
// entry window's (group boxes with labels, edit boxes, combo boxes and
// buttons), and a browser window ("Internet Explorer_Server") showing the
// substitutes' page object with no script of its own; and a hidden popup it
// owns ("QuillmereFloorPopup"), the size of a map dialog, for the floor of
// showing another program's window. Its handlers keep the
// substitutes' handler clock, so that the floor can say what share of an
// exchange the page itself spends. It runs until its window is closed.
#include <windows.h>
#include <ole2.h>

#include <string>

#include "sim/win32/page/browser_window.h"
#include "sim/win32/page/handler_clock.h"
#include "sim/win32/page/page_object.h"

namespace {

constexpr wchar_t kClassName[] = L"QuillmereFloor";
constexpr wchar_t kPopupClassName[] = L"QuillmereFloorPopup";
// An entry window's size: 4 groups of 24 controls, and the group boxes themselves.
constexpr int kGroups = 4;
constexpr int kRowsPerGroup = 6;

LRESULT CALLBACK FloorProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const qm::sim::clock::HandlerScope timed(qm::sim::clock::SentFromAnotherThread());
    if (message == WM_CLOSE) {
        ::DestroyWindow(hwnd);
        return 0;
    }
    if (message == WM_DESTROY && ::GetWindow(hwnd, GW_OWNER) == nullptr) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND Child(HWND parent, const wchar_t* cls, const std::wstring& text, DWORD style, int x, int y, int w, int h, int id) {
    return ::CreateWindowExW(0, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
}

void MakeTree(HWND window) {
    int id = 100;
    for (int g = 0; g < kGroups; ++g) {
        const int top = 10 + g * 170;
        HWND group = Child(window, L"#32770", L"", DS_CONTROL, 10, top, 560, 160, id++);
        for (int r = 0; r < kRowsPerGroup; ++r) {
            const int y = 5 + r * 25;
            const std::wstring n = std::to_wstring(g * kRowsPerGroup + r);
            Child(group, L"Static", L"label " + n, SS_LEFT, 5, y, 80, 20, id++);
            Child(group, L"Edit", L"text " + n, WS_BORDER | ES_AUTOHSCROLL, 90, y, 200, 20, id++);
            Child(group, L"ComboBox", L"", CBS_DROPDOWNLIST, 300, y, 120, 200, id++);
            Child(group, L"Button", L"button " + n, BS_PUSHBUTTON, 430, y, 100, 20, id++);
        }
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    if (FAILED(::OleInitialize(nullptr))) return 1;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = FloorProc;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    if (!::RegisterClassExW(&wc)) return 1;
    wc.lpszClassName = kPopupClassName;
    if (!::RegisterClassExW(&wc)) return 1;
    HWND window = ::CreateWindowExW(0, kClassName, L"floor", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 1000, 720,
                                    nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    MakeTree(window);
    if (!::CreateWindowExW(WS_EX_DLGMODALFRAME, kPopupClassName, L"popup", WS_POPUP | WS_CAPTION | WS_SYSMENU, 100, 100,
                           420, 440, window, nullptr, instance, nullptr)) {
        return 1;
    }
    {
        const auto page = qm::sim::page::PageObject::Create();
        if (!page) return 1;
        const RECT area{580, 10, 980, 690};
        if (!qm::sim::page::CreateBrowserWindow(window, area, page)) return 1;
    }
    ::ShowWindow(window, SW_SHOWNORMAL);
    MSG m{};
    while (::GetMessageW(&m, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&m);
        qm::sim::clock::Dispatch(m);
    }
    ::OleUninitialize();
    return 0;
}
