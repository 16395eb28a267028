// One request at a time on a desk: the robot takes the desk after it has
// taken the request (status 1) and lets go of it before it answers (status 2).
#pragma once

#include <cstdint>
#include <functional>

#include "core/request_block.h"
#include "platform/desk_lock.h"

namespace qm {

// How long a robot waits for the robots ahead of it. The slowest whole
// request, an entry at speed 1 whose every bounded wait runs out with memos of
// the lengths the README names, ends well inside it, and a queue of two such
// requests still ends inside the reference caller's default time-out of 300 s.
constexpr std::uint32_t kDeskWaitBoundMs = 120000;

// Serves the request in copy while holding the desk: serve(copy, turn) runs
// only once the desk is taken (turn says whether it was taken over from a
// robot that ended while holding it), and the desk is let go of before this
// returns. (A desk shows as taken over only when this robot was already
// waiting as its holder ended; otherwise the mutex went with the holder's
// last handle and the desk is simply free.) A request that no adapter serves
// needs no desk: it is served at
// once (turn Taken). A desk still held after boundMs gives result 90 and a
// desk lock that cannot be had gives 89; both touch nothing else.
void ServeAtDesk(RequestBlock& copy, DeskLock& lock, const std::function<void(RequestBlock&, DeskTurn)>& serve,
                 std::uint32_t boundMs = kDeskWaitBoundMs);

// A robot serves one request. Its thread dispatches its own messages while it
// waits for the desk or a page call, where the message that starts the
// request can arrive again: only the first Begin is true.
class SingleRequest {
public:
    bool Begin() {
        if (started_) return false;
        started_ = true;
        return true;
    }

private:
    bool started_ = false;
};

}  // namespace qm
