// Message delivery: hooks, the recorder, sends and posts (the robot's through
// the port, bounded and subject to hung windows, and the dispatch program's
// own), and hung windows.
#include <algorithm>
#include <stdexcept>

#include "testing/case_fold.h"
#include "testing/fake_desktop_internal.h"

namespace qm::testing {

namespace m = qm::msg;
using detail::Cut;
using detail::DepthGuard;
using detail::Fold;

namespace {

// Messages whose lParam (or wParam) points into the sender's memory: they can
// only travel through the typed calls, and PostMessage refuses them.
bool CarriesPointer(std::uint32_t message) {
    switch (message) {
    case m::WM_SETTEXT:
    case m::WM_GETTEXT:
    case m::EM_GETLINE:
    case m::CB_GETLBTEXT:
    case m::CB_ADDSTRING:
    case fakemsg::EM_GETSEL:
        return true;
    default:
        return false;
    }
}

void CheckNoPointer(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    const bool pointer = CarriesPointer(message) &&
                         (lParam != 0 || (message == fakemsg::EM_GETSEL && wParam != 0));
    if (pointer) {
        throw std::invalid_argument(
            "FakeDesktop: a message with a buffer pointer cannot be sent raw; use the typed "
            "call (SendGetText, SendSetText, SendGetLine, SendGetComboItem, AddComboItem)");
    }
}

}  // namespace

// ---------------------------------------------------------------------------
// Hooks

HookId FakeDesktop::AddMessageHook(Hwnd window, MessageHook hook) {
    Require(window, "AddMessageHook");
    hooks_.push_back({nextHook_, window, std::make_shared<MessageHook>(std::move(hook)), nullptr, nullptr});
    return nextHook_++;
}

HookId FakeDesktop::AddAfterHook(Hwnd window, AfterHook hook) {
    Require(window, "AddAfterHook");
    hooks_.push_back({nextHook_, window, nullptr, std::make_shared<AfterHook>(std::move(hook)), nullptr});
    return nextHook_++;
}

HookId FakeDesktop::AddTextHook(Hwnd window, TextHook hook) {
    Require(window, "AddTextHook");
    hooks_.push_back({nextHook_, window, nullptr, nullptr, std::make_shared<TextHook>(std::move(hook))});
    return nextHook_++;
}

void FakeDesktop::RemoveHook(HookId id) {
    hooks_.erase(std::remove_if(hooks_.begin(), hooks_.end(), [id](const HookEntry& e) { return e.id == id; }),
                 hooks_.end());
}

// ---------------------------------------------------------------------------
// Delivery and the recorder

std::intptr_t FakeDesktop::Deliver(Message& msg) {
    if (!Find(msg.window)) return 0;
    RecordedMessage rec;
    rec.window = msg.window;
    rec.message = msg.message;
    rec.wParam = msg.wParam;
    rec.lParam = msg.lParam;
    rec.posted = msg.posted;
    rec.fromPort = msg.fromPort;
    if (msg.text) rec.text = *msg.text;
    rec.units = msg.units;
    rec.time = now_;
    log_.push_back(std::move(rec));

    DepthGuard guard(depth_);
    std::vector<std::shared_ptr<MessageHook>> before;
    std::vector<std::shared_ptr<AfterHook>> after;
    for (const auto& e : hooks_) {
        if (e.window != msg.window) continue;
        if (e.before) before.push_back(e.before);
        if (e.after) after.push_back(e.after);
    }
    std::optional<std::intptr_t> result;
    for (const auto& hook : before) {
        result = (*hook)(msg);
        if (result || !Find(msg.window)) break;
    }
    if (!result) {
        Window* w = Find(msg.window);
        if (!w) return 0;
        result = Default(*w, msg);
    }
    for (const auto& hook : after) {
        if (!Find(msg.window)) break;
        (*hook)(msg, *result);
    }
    return *result;
}

std::intptr_t FakeDesktop::SendInternal(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                                        std::intptr_t lParam) {
    Message msg{window, message, wParam, lParam};
    return Deliver(msg);
}

std::intptr_t FakeDesktop::PortSend(Message& msg) {
    Window* w = Find(msg.window);
    if (!w || notResponding_) return 0;
    if (Hung(*w)) {
        notResponding_ = true;
        blockedTotal_ += kSendTimeoutMs;
        if (depth_ == 0) {
            AdvanceTo(now_ + kSendTimeoutMs);
        } else {
            now_ += kSendTimeoutMs;
        }
        return 0;
    }
    return Deliver(msg);
}

std::vector<RecordedMessage> FakeDesktop::Messages(Hwnd window) const {
    std::vector<RecordedMessage> out;
    for (const auto& r : log_) {
        if (r.window == window) out.push_back(r);
    }
    return out;
}

// ---------------------------------------------------------------------------
// Hung windows

bool FakeDesktop::Hung(const Window& w) const {
    if (w.hung) return true;
    auto it = hungProcesses_.find(w.process);
    return it != hungProcesses_.end() && it->second;
}

void FakeDesktop::SetHung(Hwnd window, bool hung) { Require(window, "SetHung").hung = hung; }
void FakeDesktop::SetProcessHung(int process, bool hung) { hungProcesses_[process] = hung; }
bool FakeDesktop::IsHung(Hwnd window) const {
    const Window* w = Find(window);
    return w && Hung(*w);
}

// ---------------------------------------------------------------------------
// Host-side messages

std::intptr_t FakeDesktop::HostSend(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                                    std::intptr_t lParam) {
    CheckNoPointer(message, wParam, lParam);
    return SendInternal(window, message, wParam, lParam);
}

bool FakeDesktop::HostPost(Hwnd window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    if (!Find(window) || CarriesPointer(message)) return false;
    Enqueue(window, message, wParam, lParam, false);
    return true;
}

// ---------------------------------------------------------------------------
// The port: messages

std::intptr_t FakeDesktop::Send(Hwnd window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    CheckNoPointer(message, wParam, lParam);
    Message msg{window, message, wParam, lParam, false, true};
    return PortSend(msg);
}

bool FakeDesktop::Post(Hwnd window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    // PostMessage refuses messages that carry pointers (ERROR_MESSAGE_SYNC_ONLY).
    if (!Find(window) || CarriesPointer(message)) return false;
    Enqueue(window, message, wParam, lParam, true);
    return true;
}

std::optional<std::intptr_t> FakeDesktop::SendTimeout(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                                                      std::intptr_t lParam, std::uint32_t flags,
                                                      std::uint32_t timeoutMs) {
    CheckNoPointer(message, wParam, lParam);
    const Window* w = Find(window);
    if (!w || notResponding_) return std::nullopt;
    if (Hung(*w)) {
        // The caller's own bound ran out: that send failed, and the caller
        // decides what it means. The program is taken for not responding only
        // by the port's ordinary bounded sends. SMTO_ABORTIFHUNG gives up at
        // once on a window that does not answer.
        if ((flags & m::SMTO_ABORTIFHUNG) == 0) {
            blockedTotal_ += timeoutMs;
            if (depth_ == 0) {
                AdvanceTo(now_ + timeoutMs);
            } else {
                now_ += timeoutMs;
            }
        }
        return std::nullopt;
    }
    Message msg{window, message, wParam, lParam, false, true};
    return Deliver(msg);
}

std::uint32_t FakeDesktop::RegisterWindowMessage(const char16_t* name) {
    if (!name || *name == u'\0') return 0;
    const std::u16string key = Fold(name);
    auto it = registered_.find(key);
    if (it != registered_.end()) return it->second;
    registered_.emplace(key, nextRegistered_);
    return nextRegistered_++;
}

std::u16string FakeDesktop::SendGetText(Hwnd window, std::size_t bufferUnits) {
    if (bufferUnits == 0) return std::u16string();  // no buffer, nothing to ask
    std::u16string reply;
    Message msg{window, m::WM_GETTEXT, bufferUnits, 0, false, true};
    msg.reply = &reply;
    msg.units = bufferUnits;
    const auto n = PortSend(msg);
    if (n <= 0) return std::u16string();
    return Cut(reply, std::min<std::size_t>(static_cast<std::size_t>(n), bufferUnits == 0 ? 0 : bufferUnits - 1));
}

std::intptr_t FakeDesktop::SendSetText(Hwnd window, const std::u16string& text) {
    Message msg{window, m::WM_SETTEXT, 0, 0, false, true};
    msg.text = &text;
    return PortSend(msg);
}

std::u16string FakeDesktop::SendGetLine(Hwnd edit, int line, std::size_t maxUnits) {
    // The size travels in the buffer's first unit: at most a WORD.
    maxUnits = std::min<std::size_t>(maxUnits, 0xFFFF);
    if (line < 0 || maxUnits == 0) return std::u16string();
    std::u16string reply;
    Message msg{edit, m::EM_GETLINE, static_cast<std::uintptr_t>(static_cast<std::intptr_t>(line)), 0, false, true};
    msg.reply = &reply;
    msg.units = maxUnits;
    const auto n = PortSend(msg);
    if (n <= 0) return std::u16string();
    return reply.substr(0, std::min<std::size_t>(static_cast<std::size_t>(n), maxUnits));
}

std::optional<std::u16string> FakeDesktop::SendGetComboItem(Hwnd combo, int index) {
    // As the real port asks: the item's length first, then the item.
    if (index < 0 || !Find(combo)) return std::nullopt;
    const auto item = static_cast<std::uintptr_t>(static_cast<std::intptr_t>(index));
    const auto length = Send(combo, m::CB_GETLBTEXTLEN, item, 0);
    if (notResponding_ || length < 0) return std::nullopt;
    std::u16string reply;
    Message msg{combo, m::CB_GETLBTEXT, item, 0, false, true};
    msg.reply = &reply;
    const auto n = PortSend(msg);
    if (notResponding_ || n < 0) return std::nullopt;
    return reply.substr(0, static_cast<std::size_t>(n));
}

}  // namespace qm::testing
