// The substitute programs' host with real Win32 windows.
//
//   - Standard behaviours use the real controls ("Edit" multi-line, "Button",
//     "Static", "ComboBox", "#32770", "MDIClient"); a behaviour under another
//     class name is a superclass of the standard control registered under
//     that exact name, and a container with a non-standard name is a plain
//     registered class. Browser windows are the page server's
//     "Internet Explorer_Server" windows with a real JScript page.
//   - Every window the host creates is subclassed: hooks run before the
//     control's own window procedure. A WM_COMMAND naming one of the
//     program's controls is sent on to that control's command target (host.h);
//     the real edit control's own EN_SETFOCUS/EN_KILLFOCUS travel that way.
//   - The message loop is the host's own: WM_KEYDOWN/WM_KEYUP of VK_RETURN and
//     VK_TAB are dispatched untranslated (no WM_CHAR is made of them, nothing
//     like IsDialogMessage swallows them), so a control's key hook sees the
//     keys another program posts. Other keys are translated for people typing.
//   - The time the window procedure spends on messages sent from another
//     thread, and the time the message loop spends running other processes'
//     calls into the page objects, go to the handler clock (sim/win32/page/handler_clock.h), which the
//     benchmark's step profile reads.
//   - One Win32Host per thread that made its windows; one per process is
//     usual (the window procedure finds the host through a process-wide
//     pointer).
#pragma once

#include <windows.h>

#include <map>
#include <memory>

#include "sim/host.h"

namespace qm::sim::page {
class PageObject;
}

namespace qm::sim {

class Win32Host final : public Host {
public:
    explicit Win32Host(HINSTANCE instance);
    ~Win32Host() override;
    Win32Host(const Win32Host&) = delete;
    Win32Host& operator=(const Win32Host&) = delete;

    // Runs the message loop until Quit; the exit code.
    int Run();

    static HWND ToHwnd(Hwnd h) { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(h)); }
    static Hwnd FromHwnd(HWND h) { return static_cast<Hwnd>(reinterpret_cast<std::uintptr_t>(h)); }

    Hwnd Create(const WindowSpec& desc) override;
    void Destroy(Hwnd window) override;
    bool Exists(Hwnd window) const override;
    void Show(Hwnd window, bool visible) override;
    bool IsVisible(Hwnd window) const override;
    bool IsMinimized(Hwnd window) const override;
    void SetText(Hwnd window, const std::u16string& text) override;
    std::u16string GetText(Hwnd window) const override;
    bool GetCheck(Hwnd checkBox) const override;
    void SetCheck(Hwnd checkBox, bool checked) override;
    int GetSelection(Hwnd combo) const override;
    void SetSelection(Hwnd combo, int index) override;
    Rect ScreenRect(Hwnd window) const override;
    void PlaceAfter(Hwnd window, Hwnd after) override;
    void Move(Hwnd window, Rect rect) override;

    void OnCommand(Hwnd target, CommandHandler handler) override;
    void OnKey(Hwnd control, KeyHandler handler) override;
    void OnFocus(Hwnd control, FocusHandler handler) override;
    void OnMouse(Hwnd control, MouseHandler handler) override;
    void OnTextChanged(Hwnd control, TextHandler handler) override;
    void OnClose(Hwnd window, CloseHandler handler) override;
    void OnDestroy(Hwnd window, DestroyHandler handler) override;

    TimerId StartTimer(std::uint32_t delayMs, std::function<void()> callback) override;
    void CancelTimer(TimerId timer) override;

    void AttachPage(Hwnd browser, const PageSpec& page) override;
    void SetPageUrl(Hwnd browser, const std::u16string& url) override;
    std::u16string PageUrl(Hwnd browser) const override;
    ScriptValue EvaluateInPage(Hwnd browser, const std::u16string& script) override;

    void Hang(std::uint32_t milliseconds) override;
    void Quit() override;

private:
    struct Record {
        WNDPROC original = nullptr;
        Behaviour behaviour = Behaviour::Container;
        bool topLevel = false;
        HWND commandTarget = nullptr;
        CommandHandler command;
        KeyHandler key;
        FocusHandler focus;
        TextHandler text;
        CloseHandler close;
        DestroyHandler destroy;
        MouseHandler mouse;
        std::shared_ptr<page::PageObject> page;
    };

    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD);
    LRESULT Handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    Record* Find(HWND hwnd);
    const Record* Find(HWND hwnd) const;
    bool EnsureClass(const std::u16string& className, Behaviour behaviour);
    void RaiseTextChanged(HWND control);

    HINSTANCE instance_;
    HFONT font_ = nullptr;
    std::map<HWND, Record> records_;
    std::map<UINT_PTR, std::function<void()>> timers_;
    ClassBook classes_;
    int settingText_ = 0;
    HWND inSetText_ = nullptr;  // the window handling another program's WM_SETTEXT
};

}  // namespace qm::sim
