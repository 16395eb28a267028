// The desk lock on the fake desktop's virtual clock: another robot holds the
// desk until a virtual time, for ever, or has ended while holding it. A wait
// is one sleep of the desktop (its timers and posted messages run meanwhile),
// never a poll.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/desk_lock.h"
#include "testing/fake_desktop.h"

namespace qm::testing {

class FakeDeskLock final : public DeskLock {
public:
    explicit FakeDeskLock(FakeDesktop& desktop) : desktop_(desktop) {}

    // Another robot holds the desk until the virtual time `until`.
    void HeldByAnotherUntil(std::uint64_t until) { otherUntil_ = until; }
    // Another robot holds the desk for longer than anyone waits.
    void HeldByAnother() { otherUntil_ = UINT64_MAX; }
    // The robot that held the desk ended without letting go of it.
    void LeftByEndedRobot() { abandoned_ = true; }
    // The lock cannot be made; why is what the system said.
    void CannotBeMade(std::u16string why) { unavailable_ = std::move(why); }

    bool Held() const { return held_; }
    int Acquired() const { return acquired_; }

    DeskWait Acquire(std::uint32_t boundMs) override;
    void Release() override { held_ = false; }

private:
    FakeDesktop& desktop_;
    std::optional<std::uint64_t> otherUntil_;
    bool abandoned_ = false;
    std::optional<std::u16string> unavailable_;
    bool held_ = false;
    int acquired_ = 0;
};

}  // namespace qm::testing
