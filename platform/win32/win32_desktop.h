// The real Desktop: thin wrappers over user32, oleacc and the browser's COM
// interfaces. Sends to other windows are bounded by kSendTimeoutMs, calls
// into their page objects by kPageCallBoundMs.
// A file that also includes windows.h should include
// platform/win32/windows_names.h first (see there).
#pragma once

#include <memory>

#include "platform/desktop.h"

namespace qm::win32 {

class PageCallThread;

class Win32Desktop final : public Desktop {
public:
    // A healthy dispatch program answers within milliseconds; five seconds means hung.
    static constexpr unsigned kSendTimeoutMs = 5000;

    // A call into another program's page object (page_calls.h) is bounded too:
    // the slowest a healthy page answers (its script) is about 250 ms, so one
    // that has not answered in ten seconds is hung, and the desktop says so.
    static constexpr unsigned kPageCallBoundMs = 10000;

    explicit Win32Desktop(unsigned sendTimeoutMs = kSendTimeoutMs, unsigned pageCallBoundMs = kPageCallBoundMs)
        : sendTimeoutMs_(sendTimeoutMs), pageCallBoundMs_(pageCallBoundMs) {}

    Hwnd FindWindow(const char16_t* className, const char16_t* windowName) override;
    Hwnd FindWindowEx(Hwnd parent, Hwnd childAfter, const char16_t* className,
                      const char16_t* windowName) override;
    void EnumChildWindows(Hwnd parent, const std::function<bool(Hwnd)>& visit) override;
    Hwnd GetWindow(Hwnd window, Relation relation) override;
    Hwnd GetParent(Hwnd window) override;
    std::u16string GetWindowText(Hwnd window, std::size_t maxChars) override;
    std::u16string GetClassName(Hwnd window, std::size_t maxChars) override;
    int GetDlgCtrlID(Hwnd window) override;
    std::uint32_t GetWindowProcessId(Hwnd window) override;
    std::optional<WindowInfo> GetWindowInfo(Hwnd window) override;
    std::optional<Point> ScreenToClient(Hwnd window, Point screen) override;
    std::intptr_t Send(Hwnd window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
    bool Post(Hwnd window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
    std::optional<std::intptr_t> SendTimeout(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                                             std::intptr_t lParam, std::uint32_t flags,
                                             std::uint32_t timeoutMs) override;
    std::uint32_t RegisterWindowMessage(const char16_t* name) override;
    std::u16string SendGetText(Hwnd window, std::size_t bufferUnits) override;
    std::intptr_t SendSetText(Hwnd window, const std::u16string& text) override;
    std::u16string SendGetLine(Hwnd edit, int line, std::size_t maxUnits) override;
    std::optional<std::u16string> SendGetComboItem(Hwnd combo, int index) override;
    bool SetForegroundWindow(Hwnd window) override;
    Hwnd SetActiveWindow(Hwnd window) override;
    bool ShowWindow(Hwnd window, int command) override;
    bool SetCursorPos(Point screen) override;
    std::optional<Point> GetCursorPos() override;
    void MouseEvent(std::uint32_t flags) override;
    Hwnd WindowFromPoint(Point screen) override;
    bool ClickAt(Point screen) override;
    InputDesk InputDeskState() override;
    void Sleep(std::uint32_t milliseconds) override;
    // A send timed out, or a page call was given up.
    bool NotResponding() const override;
    bool HasObjectFromLresult(Module oleacc) override;
    std::shared_ptr<PageRootDocument> ObjectFromLresult(Module oleacc, std::intptr_t lresult) override;
    std::shared_ptr<PageAccessible> AccessibleObjectFromPoint(Point screen) override;

    // How long the page calls ran on their thread so far (PageCallThread::BusyMs).
    double PageCallMs() const;

private:
    // A bounded send of a message whose parameters may point into this process.
    std::intptr_t BoundedSend(Hwnd window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
    // A line of an edit box of another process read from its whole text (for Wine,
    // whose cross-process EM_GETLINE is broken).
    std::u16string LineFromText(Hwnd edit, int line, std::size_t maxUnits);

    // Loads the browser's type library on the first browser step and keeps it for
    // the request (see BrowserTypeLibraryHold).
    void HoldBrowserTypes();
    // The thread that makes the page calls, started on the first one.
    const std::shared_ptr<PageCallThread>& PageCalls();

    unsigned sendTimeoutMs_;
    unsigned pageCallBoundMs_;
    std::shared_ptr<void> browserTypes_;
    std::shared_ptr<PageCallThread> pageCalls_;
    bool notResponding_ = false;
};

}  // namespace qm::win32
