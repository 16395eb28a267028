// The substitute programs' host on the fake desktop (testing/), for native
// tests: the program's windows live in the same FakeDesktop that the robot
// drives through the Desktop port.
//
// What differs from the Win32 host, and why it is honest:
//   - Pages: there is no JScript engine. A page's "eval" (the robot's path and
//     EvaluateInPage alike) is answered by the PageSpec's interpreter, which
//     the substitute program supplies for the script shapes its page
//     documents; a test may replace it with Page(browser)->eval to supply
//     answers of its own. Scripts the robot ran are in Page(browser)->scripts;
//     the program's own EvaluateInPage calls are not recorded there.
//   - Hang(ms) marks every window of the program hung for ms of virtual time
//     (the robot's sends then time out as against a real hung program); the
//     program's timers keep running meanwhile.
//   - Timers run on the desktop's virtual clock: they fire during the robot's
//     Sleep calls, and a 0 ms timer at the next one.
//   - The rules of host.h that the fake desktop does not keep by itself are
//     kept here on top of its hooks: commands handled at the named control's
//     target, EN_SETFOCUS/EN_KILLFOCUS from edit boxes, the text hook's
//     WM_SETTEXT rule for windows other than edit boxes, one behaviour per
//     class name.
#pragma once

#include <map>
#include <memory>

#include "sim/host.h"
#include "testing/fake_desktop.h"

namespace qm::sim {

class FakeHost final : public Host {
public:
    // process: the fake desktop's process number for the program's windows.
    explicit FakeHost(testing::FakeDesktop& desktop, int process = 2);
    ~FakeHost() override;

    testing::FakeDesktop& Desktop() { return desktop_; }
    int Process() const { return process_; }
    // The page of a Browser window (to replace its answers in a test).
    std::shared_ptr<testing::FakePage> Page(Hwnd browser) const { return desktop_.Page(browser); }
    bool QuitRequested() const { return quit_; }

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
    void Quit() override { quit_ = true; }

private:
    struct Handlers {
        CommandHandler command;
        KeyHandler key;
        FocusHandler focus;
        TextHandler text;
        CloseHandler close;
        DestroyHandler destroy;
        MouseHandler mouse;
        Behaviour behaviour = Behaviour::Container;
        bool textHooked = false;
    };
    Handlers* Find(Hwnd window);
    Hwnd CommandTarget(Hwnd control) const;
    void RaiseText(Hwnd window);
    std::optional<std::intptr_t> Dispatch(const testing::Message& m);

    testing::FakeDesktop& desktop_;
    int process_;
    std::map<Hwnd, Handlers> handlers_;
    ClassBook classes_;
    std::vector<testing::HookId> hooks_;
    std::vector<TimerId> timers_;
    int settingText_ = 0;
    bool quit_ = false;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace qm::sim
