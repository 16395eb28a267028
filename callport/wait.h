// The waits of the robot, by shape. Every wait is a poll in 100 ms steps (or a
// fixed number of tries) bounded by a DelayProfile value or a fixed count, and
// each ends early, answering false, once the dispatch program has stopped
// answering messages (checked before every pause and every probe): nothing
// more would change on its screen.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/desktop.h"

namespace qm {

// The step of every time-limited poll.
constexpr std::uint32_t kPollStepMs = 100;

// For t = 0 while t < limitMs, t += 100: sleep 100 ms, then probe. True as soon
// as probe answers true. A limit of 0 or less sleeps and probes never.
bool SleepThenProbe(Desktop& desktop, std::int32_t limitMs, const std::function<bool()>& probe);

// For t = 0 while t < limitMs, t += 100: probe, then sleep 100 ms. True as soon
// as probe answers true (no sleep follows a success).
bool ProbeThenSleep(Desktop& desktop, std::int32_t limitMs, const std::function<bool()>& probe);

// Up to `tries` probes with gapMs of sleep between two of them (none after the
// last; a gap of 0 sleeps never). True as soon as probe answers true.
bool Tries(Desktop& desktop, int tries, std::uint32_t gapMs, const std::function<bool()>& probe);

}  // namespace qm
