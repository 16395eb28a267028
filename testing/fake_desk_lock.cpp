#include "testing/fake_desk_lock.h"

#include <algorithm>

namespace qm::testing {

DeskWait FakeDeskLock::Acquire(std::uint32_t boundMs) {
    if (held_) return {DeskTurn::Taken, 0, {}};
    if (unavailable_) return {DeskTurn::Unavailable, 0, *unavailable_};
    if (abandoned_) {
        abandoned_ = false;
        otherUntil_.reset();
        held_ = true;
        ++acquired_;
        return {DeskTurn::TakenOver, 0, {}};
    }
    const std::uint64_t start = desktop_.Now();
    if (otherUntil_ && *otherUntil_ > start) {
        desktop_.Sleep(static_cast<std::uint32_t>(std::min<std::uint64_t>(*otherUntil_ - start, boundMs)));
    }
    const auto waited = static_cast<std::uint32_t>(desktop_.Now() - start);
    if (otherUntil_ && *otherUntil_ > desktop_.Now()) return {DeskTurn::Busy, waited, {}};
    otherUntil_.reset();
    held_ = true;
    ++acquired_;
    return {DeskTurn::Taken, waited, {}};
}

}  // namespace qm::testing
