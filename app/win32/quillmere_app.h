// The robot's application object and its one dialog. Each process serves one
// request: the dialog takes the mapping name from the command line, handles the
// request on its first message and ends.
#pragma once

#include <windows.h>

#include <string>

#include "app/desk.h"
#include "platform/win32/handles.h"

namespace qm {

class CQuillmereApp {
public:
    explicit CQuillmereApp(HINSTANCE instance) : instance_(instance) {}
    // Initialises the common controls and COM, runs the dialog modally.
    int InitInstance();

private:
    HINSTANCE instance_;
};

class CQuillmereDlg {
public:
    explicit CQuillmereDlg(HINSTANCE instance);
    INT_PTR DoModal();

    // The mapping name the command line gave, empty when it did not pass the test.
    const std::wstring& MapName() const { return m_strMapName; }

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    BOOL OnInitDialog();
    void OnPaint();
    HCURSOR OnQueryDragIcon() const { return static_cast<HCURSOR>(m_hIcon); }
    LRESULT OnRequest(WPARAM wParam, LPARAM lParam);
    void OnDestroy();

    HINSTANCE instance_;
    HWND hwnd_ = nullptr;
    HICON m_hIcon;
    win32::UniqueModule m_hOleacc;
    std::wstring m_strMapName;
    SingleRequest m_request;
};

// The mapping name in a command line: the line trimmed at both ends, accepted
// only when it begins with "quilmer" (case-sensitive; quotes are not removed).
// Empty when the line does not pass.
std::wstring MappingNameFromCommandLine(const wchar_t* commandLine);

}  // namespace qm
