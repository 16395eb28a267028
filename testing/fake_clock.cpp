// The posted-message queue and the virtual clock: what a Sleep delivers, the
// dispatch program's timers and the record of the robot's pauses.
#include <stdexcept>

#include "testing/fake_desktop_internal.h"

namespace qm::testing {

using detail::DepthGuard;

void FakeDesktop::Enqueue(Hwnd window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                          bool fromPort) {
    posted_.push_back(QueuedMessage{window, message, wParam, lParam, fromPort});
}

void FakeDesktop::DeliverQueued(std::size_t& budget) {
    std::deque<QueuedMessage> held;
    while (!posted_.empty()) {
        const QueuedMessage q = posted_.front();
        posted_.pop_front();
        const Window* w = Find(q.window);
        if (!w) continue;  // the window is gone: the message is lost
        if (Hung(*w)) {
            held.push_back(q);  // waits until its thread takes messages again
            continue;
        }
        if (budget == 0) {
            posted_.push_front(q);
            posted_.insert(posted_.begin(), held.begin(), held.end());
            throw std::runtime_error("FakeDesktop: more than 10000 posted messages delivered in one sleep; "
                                     "a handler keeps posting");
        }
        --budget;
        Message msg{q.window, q.message, q.wParam, q.lParam, true, q.fromPort};
        Deliver(msg);
    }
    posted_.swap(held);
}

void FakeDesktop::DeliverPosted() {
    if (depth_ > 0) throw std::logic_error("FakeDesktop::DeliverPosted called from inside a hook or timer");
    std::size_t budget = kMaxPostedPerSleep;
    DeliverQueued(budget);
}

void FakeDesktop::AdvanceTo(std::uint64_t end) {
    std::size_t budget = kMaxPostedPerSleep;
    std::size_t firings = 0;
    DeliverQueued(budget);
    for (;;) {
        auto next = timers_.end();
        for (auto it = timers_.begin(); it != timers_.end(); ++it) {
            if (it->second.due > end) continue;
            const Window* owner = Find(it->second.owner);
            if (owner && Hung(*owner)) continue;  // its thread is stuck
            if (next == timers_.end() || it->second.due < next->second.due) next = it;
        }
        if (next == timers_.end()) break;
        if (++firings > kMaxPostedPerSleep) {
            throw std::runtime_error("FakeDesktop: more than 10000 timers fired in one sleep");
        }
        if (next->second.due > now_) now_ = next->second.due;
        const auto callback = next->second.callback;
        if (next->second.repeating) {
            next->second.due += next->second.interval;
            if (next->second.due <= now_) next->second.due = now_ + next->second.interval;
        } else {
            timers_.erase(next);
        }
        {
            DepthGuard guard(depth_);
            (*callback)();
        }
        DeliverQueued(budget);
    }
    if (now_ < end) now_ = end;
}

void FakeDesktop::Sleep(std::uint32_t milliseconds) {
    if (depth_ > 0) {
        throw std::logic_error("FakeDesktop::Sleep called from inside a hook or timer; use SetTimer or Busy");
    }
    sleepLog_.push_back(milliseconds);
    sleepTotal_ += milliseconds;
    AdvanceTo(now_ + milliseconds);
}

void FakeDesktop::Busy(std::uint32_t ms) { now_ += ms; }

TimerId FakeDesktop::SetTimer(std::uint32_t delayMs, std::function<void()> callback, bool repeating, Hwnd owner) {
    if (!IsNull(owner)) Require(owner, "SetTimer(owner)");
    if (repeating && delayMs < 10) delayMs = 10;
    Timer t;
    t.due = now_ + delayMs;
    t.interval = delayMs;
    t.repeating = repeating;
    t.owner = owner;
    t.callback = std::make_shared<std::function<void()>>(std::move(callback));
    timers_.emplace(nextTimer_, std::move(t));
    return nextTimer_++;
}

bool FakeDesktop::KillTimer(TimerId id) { return timers_.erase(id) > 0; }

void FakeDesktop::ClearSleepLog() {
    sleepLog_.clear();
    sleepTotal_ = 0;
    blockedTotal_ = 0;
}

}  // namespace qm::testing
