#include "app/win32/quillmere_app.h"

#include <commctrl.h>
#include <ole2.h>
#include <winternl.h>

#include <cstring>
#include <cwctype>

#include "app/desk.h"
#include "app/dispatch.h"
#include "app/win32/resource.h"
#include "core/intake.h"
#include "core/request_block.h"
#include "core/utf.h"
#include "platform/win32/desk_mutex.h"
#include "platform/win32/win32_desktop.h"

namespace qm {
namespace {

constexpr wchar_t kMappingPrefix[] = L"quilmer";
constexpr char16_t kOpenFailed[] = u"공유 메모리를 열수 없습니다\n";
constexpr char16_t kMapFailed[] = u"공유 메모리를 매핑할 수 없습니다\n";
constexpr char16_t kTooSmall[] = u"공유 메모리가 요청 블록보다 작습니다\n";

// Standard output is usually absent (a GUI program); a caller that redirects it
// gets the text as UTF-8.
void WriteStdout(std::u16string_view text) {
    HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
    const std::string bytes = Utf16ToUtf8(text);
    DWORD written = 0;
    ::WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

// The size the mapping was created with: the section's own size where the system
// tells it, else the extent of the view's committed region.
SIZE_T MappingSize(HANDLE mapping, const void* view) {
    struct SectionBasicInformation {
        PVOID base;
        ULONG attributes;
        LARGE_INTEGER size;
    } info{};
    using QuerySection = LONG(NTAPI*)(HANDLE, int, PVOID, SIZE_T, PSIZE_T);
    if (HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll")) {
        auto query = reinterpret_cast<QuerySection>(
            reinterpret_cast<void*>(::GetProcAddress(ntdll, "NtQuerySection")));
        if (query && query(mapping, 0 /* SectionBasicInformation */, &info, sizeof info, nullptr) >= 0)
            return static_cast<SIZE_T>(info.size.QuadPart);
    }
    MEMORY_BASIC_INFORMATION region{};
    if (::VirtualQuery(view, &region, sizeof region) == 0) return 0;
    return region.RegionSize;
}

// Sets one of the caller's events for this mapping (mapName and the suffix),
// where the caller made it.
void TellCaller(const std::wstring& mapName, const wchar_t* suffix) {
    const std::wstring name = mapName + suffix;
    win32::UniqueHandle event(::OpenEventW(EVENT_MODIFY_STATE, FALSE, name.c_str()));
    if (event) ::SetEvent(event.get());
}

// Whether the request leaves its entry window open for the operator: the
// window stays in front after it.
bool LeavesWindowOpen(const RequestBlock& block) {
    return block.mode == 0 && (block.finishAction < 1 || block.finishAction > 4);
}

// Gives the foreground back to the window that had it when the robot took the
// desk (an operator typing in their own program gets their keys back), where
// it still exists and the request left no window open for the operator.
void GiveForegroundBack(HWND before, const RequestBlock& served) {
    if (before == nullptr || !::IsWindow(before) || LeavesWindowOpen(served)) return;
    if (::GetForegroundWindow() != before) ::SetForegroundWindow(before);
}

}  // namespace

std::wstring MappingNameFromCommandLine(const wchar_t* commandLine) {
    std::wstring line = commandLine ? commandLine : L"";
    std::size_t first = 0;
    while (first < line.size() && std::iswspace(line[first])) ++first;
    std::size_t last = line.size();
    while (last > first && std::iswspace(line[last - 1])) --last;
    line = line.substr(first, last - first);
    return line.rfind(kMappingPrefix, 0) == 0 ? line : std::wstring();
}

int CQuillmereApp::InitInstance() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    // The browser documents of the map pages are COM objects of another process.
    const HRESULT ole = ::OleInitialize(nullptr);
    {
        CQuillmereDlg dialog(instance_);
        dialog.DoModal();
    }
    if (SUCCEEDED(ole)) ::OleUninitialize();
    return 0;
}

CQuillmereDlg::CQuillmereDlg(HINSTANCE instance)
    : instance_(instance), m_hIcon(::LoadIconW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME))) {}

INT_PTR CQuillmereDlg::DoModal() {
    return ::DialogBoxParamW(instance_, MAKEINTRESOURCEW(IDD_QUILLMERE_DIALOG), nullptr, DialogProc,
                             reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CQuillmereDlg::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<CQuillmereDlg*>(lParam);
        ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        self->hwnd_ = dialog;
        return self->OnInitDialog();
    }
    auto* self = reinterpret_cast<CQuillmereDlg*>(::GetWindowLongPtrW(dialog, DWLP_USER));
    if (self == nullptr) return FALSE;
    switch (message) {
    case WM_PAINT:
        if (::IsIconic(dialog)) {
            self->OnPaint();
            return TRUE;
        }
        return FALSE;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<INT_PTR>(self->OnQueryDragIcon());
    case WM_USER:
        ::SetWindowLongPtrW(dialog, DWLP_MSGRESULT, self->OnRequest(wParam, lParam));
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_TEST_BUTTON:  // the test button does nothing
            return TRUE;
        case IDOK:
        case IDCANCEL:
            ::EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY:
        self->OnDestroy();
        return FALSE;
    }
    return FALSE;
}

BOOL CQuillmereDlg::OnInitDialog() {
    ::SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    ::SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    // Shown without taking the foreground: another robot may be at work on the
    // desk, and the operator may be typing in their own program.
    ::ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    m_hOleacc.reset(::LoadLibraryW(L"OLEACC.DLL"));
    m_strMapName = MappingNameFromCommandLine(::GetCommandLineW());
    if (!m_strMapName.empty()) ::PostMessageW(hwnd_, WM_USER, 0, 0);
    // No focus for the test button: focus would activate the dialog.
    return FALSE;
}

void CQuillmereDlg::OnPaint() {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(hwnd_, &paint);
    ::SendMessageW(hwnd_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    ::GetClientRect(hwnd_, &client);
    const int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc, x, y, m_hIcon);
    ::EndPaint(hwnd_, &paint);
}

LRESULT CQuillmereDlg::OnRequest(WPARAM, LPARAM) {
    // The thread dispatches its messages while it waits for the desk or a page
    // call, so this message can come again: one request per process.
    if (!m_request.Begin()) return 0;
    {
        win32::UniqueHandle mapping(::OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, m_strMapName.c_str()));
        if (!mapping) {
            WriteStdout(kOpenFailed);
        } else if (win32::MappedView view(::MapViewOfFile(mapping.get(), FILE_MAP_ALL_ACCESS, 0, 0, 0)); !view) {
            WriteStdout(kMapFailed);
        } else if (!ServeMappedBlock(view.get(), MappingSize(mapping.get(), view.get()), [&](RequestBlock& copy) {
                       win32::DeskMutex desk;
                       ServeAtDesk(copy, desk, [&](RequestBlock& atDesk, DeskTurn turn) {
                           if (turn == DeskTurn::TakenOver) TellCaller(m_strMapName, win32::kDeskTakenOverEventSuffix);
                           TellCaller(m_strMapName, win32::kDeskTakenEventSuffix);
                           const HWND before = ::GetForegroundWindow();
                           {
                               win32::Win32Desktop desktop;
                               ServeRequest(atDesk, desktop,
                                            static_cast<Module>(reinterpret_cast<std::uintptr_t>(m_hOleacc.get())));
                           }
                           // Gone from the screen before the next robot takes the desk.
                           ::ShowWindow(hwnd_, SW_HIDE);
                           GiveForegroundBack(before, atDesk);
                       });
                   })) {
            // Too small to hold a request: never read or write past its end.
            WriteStdout(kTooSmall);
        }
    }
    ::EndDialog(hwnd_, IDOK);
    return 0;
}

void CQuillmereDlg::OnDestroy() { m_hOleacc.reset(); }

}  // namespace qm

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    qm::CQuillmereApp app(instance);
    return app.InitInstance();
}
