#include "sim/fake_host.h"

#include <algorithm>
#include <utility>

#include "platform/messages.h"

namespace qm::sim {
namespace {

// Caption and borders of a top-level window, so that client and window
// rectangles differ as they do on a real desktop.
constexpr testing::Insets kFrame{4, 30, 4, 4};

testing::Behaviour FakeBehaviour(Behaviour b) {
    switch (b) {
        case Behaviour::Dialog: return testing::Behaviour::Dialog;
        case Behaviour::Edit: return testing::Behaviour::Edit;
        case Behaviour::Button: return testing::Behaviour::Button;
        case Behaviour::CheckBox: return testing::Behaviour::CheckBox;
        case Behaviour::Label: return testing::Behaviour::Label;
        case Behaviour::Combo: return testing::Behaviour::Combo;
        case Behaviour::Browser:
        case Behaviour::Container: break;
    }
    return testing::Behaviour::Container;
}

}  // namespace

FakeHost::FakeHost(testing::FakeDesktop& desktop, int process) : desktop_(desktop), process_(process) {}

FakeHost::~FakeHost() {
    *alive_ = false;
    for (testing::HookId id : hooks_) desktop_.RemoveHook(id);
    for (TimerId id : timers_) desktop_.KillTimer(id);
}

Hwnd FakeHost::Create(const WindowSpec& desc) {
    if (!IsNull(desc.parent) && !desktop_.IsWindow(desc.parent)) return kNoWindow;
    if (IsNull(desc.parent) && !IsNull(desc.owner) && !desktop_.IsWindow(desc.owner)) return kNoWindow;

    testing::WindowSpec w;
    w.behaviour = FakeBehaviour(desc.behaviour);
    w.className = desc.className.empty() ? std::u16string(StandardClass(desc.behaviour)) : desc.className;
    if (w.className.empty()) return kNoWindow;  // a container needs its class
    if (!classes_.Admit(w.className, desc.behaviour)) return kNoWindow;
    w.text = desc.text;
    w.id = desc.id;
    w.parent = desc.parent;
    w.owner = IsNull(desc.parent) ? desc.owner : kNoWindow;
    w.rect = desc.rect;
    const bool topLevel = IsNull(desc.parent);
    if (topLevel) {
        w.frame = kFrame;
        w.overlapped = IsNull(desc.owner);  // a main window; owned windows are popups
        w.process = process_;
    }
    w.visible = desc.visible;
    w.readOnly = desc.readOnly;
    w.items = desc.items;
    w.selection = desc.selection;
    w.editable = desc.editable;
    w.commandTarget = desc.commandTarget;

    const Hwnd h = desktop_.Create(w);
    if (IsNull(h)) return h;
    // A combo box ignores its creation text; an editable one without a
    // selection is given it afterwards, as the Win32 host does.
    if (desc.behaviour == Behaviour::Combo && desc.editable && desc.selection < 0 && !desc.text.empty()) {
        desktop_.HostSetText(h, desc.text);
    }
    handlers_[h].behaviour = desc.behaviour;
    std::weak_ptr<bool> alive = alive_;
    hooks_.push_back(desktop_.AddMessageHook(h, [this, alive](const testing::Message& m) -> std::optional<std::intptr_t> {
        if (alive.expired() || !*alive.lock()) return std::nullopt;
        return Dispatch(m);
    }));
    return h;
}

FakeHost::Handlers* FakeHost::Find(Hwnd window) {
    auto it = handlers_.find(window);
    return it == handlers_.end() ? nullptr : &it->second;
}

Hwnd FakeHost::CommandTarget(Hwnd control) const {
    const Hwnd target = desktop_.CommandTarget(control);
    return IsNull(target) ? desktop_.Parent(control) : target;
}

void FakeHost::RaiseText(Hwnd window) {
    if (settingText_ > 0) return;
    Handlers* found = Find(window);
    if (!found) return;
    TextHandler call = found->text;  // copied: it may destroy the window
    if (call) call();
}

std::optional<std::intptr_t> FakeHost::Dispatch(const testing::Message& m) {
    Handlers* h = Find(m.window);
    if (!h) return std::nullopt;
    switch (m.message) {
        case msg::WM_COMMAND: {
            // A command naming one of the program's controls is handled at its target.
            const auto control = static_cast<Hwnd>(m.lParam);
            if (!IsNull(control) && Find(control)) {
                const Hwnd target = CommandTarget(control);
                if (!IsNull(target) && target != m.window && Find(target))
                    return desktop_.HostSend(target, msg::WM_COMMAND, m.wParam, m.lParam);
            }
            // Copied: the handler may destroy the window and with it this record.
            CommandHandler handler = h->command;
            if (!handler) return std::nullopt;
            handler(msg::LowWord(m.wParam), msg::HighWord(m.wParam), static_cast<Hwnd>(m.lParam));
            return 0;
        }
        case msg::WM_KEYDOWN: {
            KeyHandler handler = h->key;
            if (handler && handler(static_cast<std::uint32_t>(m.wParam))) return 0;
            return std::nullopt;
        }
        case msg::WM_LBUTTONDOWN:
        case msg::WM_LBUTTONUP: {
            MouseHandler handler = h->mouse;
            const auto packed = static_cast<std::uint32_t>(m.lParam);
            const MouseEvent event{m.message == msg::WM_LBUTTONDOWN,
                                   {static_cast<std::int16_t>(packed & 0xFFFFu), static_cast<std::int16_t>(packed >> 16)}};
            if (handler && handler(event)) return 0;
            return std::nullopt;
        }
        case msg::WM_SETFOCUS:
        case msg::WM_KILLFOCUS: {
            const bool gained = m.message == msg::WM_SETFOCUS;
            const Behaviour behaviour = h->behaviour;
            FocusHandler handler = h->focus;
            if (handler) handler(gained);
            // An edit box tells its command target, as the real one does.
            if (behaviour == Behaviour::Edit && Find(m.window)) {
                const Hwnd target = CommandTarget(m.window);
                if (Find(target))
                    desktop_.HostSend(target, msg::WM_COMMAND,
                                      msg::MakeWParam(desktop_.Id(m.window), gained ? kEnSetFocus : kEnKillFocus),
                                      static_cast<std::intptr_t>(m.window));
            }
            return std::nullopt;
        }
        case msg::WM_CLOSE: {
            CloseHandler handler = h->close;
            if (!handler) return std::nullopt;  // the default destroys it
            if (handler()) return std::nullopt;
            return 0;
        }
        case testing::fakemsg::WM_DESTROY: {
            DestroyHandler handler = std::move(h->destroy);
            h->destroy = nullptr;
            if (handler) handler();
            handlers_.erase(m.window);
            return std::nullopt;
        }
        default: return std::nullopt;
    }
}

void FakeHost::Destroy(Hwnd window) {
    if (desktop_.IsWindow(window)) desktop_.Destroy(window);
}

bool FakeHost::Exists(Hwnd window) const { return !IsNull(window) && desktop_.IsWindow(window); }

void FakeHost::Show(Hwnd window, bool visible) {
    if (Exists(window)) desktop_.Show(window, visible);
}

bool FakeHost::IsVisible(Hwnd window) const { return Exists(window) && desktop_.IsVisible(window); }

bool FakeHost::IsMinimized(Hwnd window) const { return Exists(window) && desktop_.IsMinimized(window); }

void FakeHost::SetText(Hwnd window, const std::u16string& text) {
    if (!Exists(window)) return;
    ++settingText_;
    desktop_.HostSetText(window, text);
    --settingText_;
}

std::u16string FakeHost::GetText(Hwnd window) const { return Exists(window) ? desktop_.Text(window) : std::u16string(); }

bool FakeHost::GetCheck(Hwnd checkBox) const { return Exists(checkBox) && desktop_.IsChecked(checkBox); }

void FakeHost::SetCheck(Hwnd checkBox, bool checked) {
    if (Exists(checkBox)) desktop_.SetChecked(checkBox, checked);
}

int FakeHost::GetSelection(Hwnd combo) const { return Exists(combo) ? desktop_.ComboSelection(combo) : -1; }

void FakeHost::SetSelection(Hwnd combo, int index) {
    if (!Exists(combo)) return;
    ++settingText_;
    desktop_.HostSend(combo, msg::CB_SETCURSEL, static_cast<std::uintptr_t>(static_cast<std::intptr_t>(index)), 0);
    --settingText_;
}

Rect FakeHost::ScreenRect(Hwnd window) const {
    if (!Exists(window)) return {};
    // GetWindowInfo is not const on the port; the rectangle is read the same way.
    auto info = const_cast<testing::FakeDesktop&>(desktop_).GetWindowInfo(window);
    return info ? info->window : Rect{};
}

void FakeHost::PlaceAfter(Hwnd window, Hwnd after) {
    if (Exists(window) && (IsNull(after) || Exists(after))) desktop_.PlaceAfter(window, after);
}

void FakeHost::Move(Hwnd window, Rect rect) {
    if (Exists(window)) desktop_.Move(window, rect);
}

void FakeHost::OnCommand(Hwnd target, CommandHandler handler) {
    if (Handlers* h = Find(target)) h->command = std::move(handler);
}

void FakeHost::OnKey(Hwnd control, KeyHandler handler) {
    if (Handlers* h = Find(control)) h->key = std::move(handler);
}

void FakeHost::OnFocus(Hwnd control, FocusHandler handler) {
    if (Handlers* h = Find(control)) h->focus = std::move(handler);
}

void FakeHost::OnMouse(Hwnd control, MouseHandler handler) {
    if (Handlers* h = Find(control)) h->mouse = std::move(handler);
}

void FakeHost::OnTextChanged(Hwnd control, TextHandler handler) {
    Handlers* h = Find(control);
    if (!h) return;
    h->text = std::move(handler);
    if (h->textHooked) return;
    h->textHooked = true;
    std::weak_ptr<bool> alive = alive_;
    if (h->behaviour == Behaviour::Edit) {
        // Every change of an edit box's text: typing, editing keys, WM_SETTEXT.
        hooks_.push_back(desktop_.AddTextHook(control, [this, alive](Hwnd window, const std::u16string&) {
            if (!alive.expired() && *alive.lock()) RaiseText(window);
        }));
        return;
    }
    // Other windows: a WM_SETTEXT they took (not a combo's selection).
    hooks_.push_back(desktop_.AddAfterHook(control, [this, alive](const testing::Message& m, std::intptr_t result) {
        if (alive.expired() || !*alive.lock()) return;
        if (m.message == msg::WM_SETTEXT && result != 0 && result != msg::CB_ERR) RaiseText(m.window);
    }));
}

void FakeHost::OnClose(Hwnd window, CloseHandler handler) {
    if (Handlers* h = Find(window)) h->close = std::move(handler);
}

void FakeHost::OnDestroy(Hwnd window, DestroyHandler handler) {
    if (Handlers* h = Find(window)) h->destroy = std::move(handler);
}

TimerId FakeHost::StartTimer(std::uint32_t delayMs, std::function<void()> callback) {
    auto id = std::make_shared<TimerId>(0);
    std::weak_ptr<bool> alive = alive_;
    *id = desktop_.SetTimer(delayMs, [this, alive, id, callback = std::move(callback)]() {
        if (alive.expired() || !*alive.lock()) return;
        timers_.erase(std::remove(timers_.begin(), timers_.end(), *id), timers_.end());
        auto call = callback;
        call();
    });
    timers_.push_back(*id);
    return *id;
}

void FakeHost::CancelTimer(TimerId timer) {
    if (timer == 0) return;
    auto it = std::find(timers_.begin(), timers_.end(), timer);
    if (it == timers_.end()) return;
    timers_.erase(it);
    desktop_.KillTimer(timer);
}

void FakeHost::AttachPage(Hwnd browser, const PageSpec& page) {
    if (!Exists(browser)) return;
    auto p = desktop_.AttachPage(browser);
    p->url = page.url;
    p->eval = page.interpreter;
}

void FakeHost::SetPageUrl(Hwnd browser, const std::u16string& url) {
    if (auto p = desktop_.Page(browser)) p->url = url;
}

std::u16string FakeHost::PageUrl(Hwnd browser) const {
    auto p = desktop_.Page(browser);
    return p ? p->url : std::u16string();
}

ScriptValue FakeHost::EvaluateInPage(Hwnd browser, const std::u16string& script) {
    auto p = desktop_.Page(browser);
    if (!p || !p->eval) return ScriptValue{std::u16string(), false};
    auto eval = p->eval;
    return eval(script);
}

void FakeHost::Hang(std::uint32_t milliseconds) {
    desktop_.SetProcessHung(process_, true);
    testing::FakeDesktop* desktop = &desktop_;
    const int process = process_;
    // Not a host timer: the desktop un-hangs the program even after the host is gone.
    desktop_.SetTimer(milliseconds == 0 ? 1 : milliseconds, [desktop, process]() { desktop->SetProcessHung(process, false); });
}

}  // namespace qm::sim
