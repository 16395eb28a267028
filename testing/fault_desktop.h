// FaultDesktop: the Desktop port over a FakeDesktop that counts every call the
// robot makes and, right after call number N has returned, makes the dispatch
// program vanish (FakeDesktop::EndProcess) or stop answering
// (FakeDesktop::SetProcessHung). It also keeps a log of every call: what it
// was, which window it aimed at, the virtual time, and whether the desktop had
// already found the program not responding when the robot made it.
//
// Calls on the page objects the port hands out (document, page window, eval,
// accessible object, ...) cross into the dispatch program as well, so they are
// counted and logged the same way: the objects are wrapped on their way out.
//
//   qm::testing::FaultDesktop port(fake, host.Process(), Fault::Hang, 120);
//   qm::ServeRequest(block, port, FakeDesktop::kOleacc);
//   port.Fired();                  // the program stopped answering after call 120
//   port.ReachedAfterNotResponding();  // what the robot still handed it afterwards
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/desktop.h"
#include "testing/fake_desktop.h"

namespace qm::testing {

enum class Fault {
    None,    // the calls are only counted and logged
    Vanish,  // every window of the program is gone at once (it crashed or was killed)
    Hang,    // the program takes no more messages (its windows stay)
};

// What a port call does to the dispatch program.
enum class CallKind {
    Look,    // reads the desktop without the program's help (lookups, captions, geometry,
             // cursor) or acts on the robot's own state (Sleep, activation requests)
    Sent,    // hands the program a message and waits for its answer: every Send,
             // SendTimeout, typed send and ShowWindow (whose bounded probe is a send).
             // Once the program was found not responding the port refuses these at
             // once: nothing reaches the program
    Posted,  // hands the program a message without waiting (Post, a real mouse click):
             // it waits in the program's queue until the program takes it, even when
             // the program answers again only long after
    Page,    // a call into the program's page objects (ObjectFromLresult of a send's
             // answer, AccessibleObjectFromPoint, then the document, window and eval
             // calls): cross-process COM, which nothing in the port bounds or refuses.
             // ObjectFromLresult of 0 (a send that failed) reaches nothing: a Look
};

struct PortCall {
    std::size_t index = 0;       // 1 for the first call
    const char* name = "";       // the port operation, e.g. "SendGetText"
    CallKind kind = CallKind::Look;
    Hwnd window{};               // the window it aims at (a mouse click: the window under
                                 // the cursor); null for none or for page calls
    std::uint64_t time = 0;      // the virtual clock when it was made
    bool afterNotResponding = false;  // NotResponding() was already true when it was made
};

class FaultDesktop final : public Desktop {
public:
    // after: the number of calls the robot may make before the fault; 0 never faults.
    FaultDesktop(FakeDesktop& fake, int process, Fault fault, std::size_t after);
    ~FaultDesktop() override;
    FaultDesktop(const FaultDesktop&) = delete;
    FaultDesktop& operator=(const FaultDesktop&) = delete;

    std::size_t Calls() const { return log_.size(); }
    const std::vector<PortCall>& Log() const { return log_; }
    bool Fired() const { return firedAt_.has_value(); }
    // The virtual time at which the fault struck.
    std::optional<std::uint64_t> FiredAt() const { return firedAt_; }
    // The index of the last call that reached out to the program (Sent, Posted
    // or Page: each tells the robot whether the program took it), 0 when there
    // was none.
    std::size_t LastReaching() const;
    // Calls that reached out to the program once the desktop had found it not
    // responding: posted messages and clicks (they wait in its queue and are
    // carried out whenever it answers again) and page calls (nothing bounds
    // them). Sends are not among them: the port refuses them at once.
    std::vector<PortCall> ReachedAfterNotResponding() const;

    // ---- The Desktop port (forwarded to the fake desktop) ----
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
    bool NotResponding() const override;
    bool HasObjectFromLresult(Module oleacc) override;
    std::shared_ptr<PageRootDocument> ObjectFromLresult(Module oleacc, std::intptr_t lresult) override;
    std::shared_ptr<PageAccessible> AccessibleObjectFromPoint(Point screen) override;

    // Used by the page wrappers: logs one call, runs it, then fires the fault
    // when its turn has come.
    template <class F>
    auto Call(const char* name, CallKind kind, Hwnd window, F&& run) -> decltype(run()) {
        const std::size_t index = Begin(name, kind, window);
        if constexpr (std::is_void_v<decltype(run())>) {
            run();
            End(index);
        } else {
            auto result = run();
            End(index);
            return result;
        }
    }

private:
    // Logs a call and returns its index.
    std::size_t Begin(const char* name, CallKind kind, Hwnd window);
    // The call of that index has returned: the fault strikes if its turn has
    // come. (The robot's visitor of EnumChildWindows makes calls of its own
    // while that call runs; they count in the order they are made.)
    void End(std::size_t index);

    FakeDesktop& fake_;
    int process_;
    Fault fault_;
    std::size_t after_;
    std::vector<PortCall> log_;
    std::optional<std::uint64_t> firedAt_;
    // The page wrappers hold this so that a call on a page object kept past
    // the desktop's life is refused instead of touching a dead object.
    std::shared_ptr<FaultDesktop*> self_;
};

}  // namespace qm::testing
