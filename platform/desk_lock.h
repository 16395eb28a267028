// The desk: the cursor, the foreground window and the dispatch programs' entry
// windows that every robot of a desktop session shares. A robot owns it while
// it serves a request, so overlapping requests are served one after the other,
// in the order they arrived. Two implementations: platform/win32 (a named mutex
// of the session with a queue beside it) and testing/ (a fake on the virtual
// clock).
#pragma once

#include <cstdint>
#include <string>

namespace qm {

enum class DeskTurn {
    Taken,        // the desk was free, or freed within the bound
    TakenOver,    // its last holder ended without letting go of it
    Busy,         // others kept it (or were ahead in the queue) for the whole bound
    Unavailable,  // the lock itself could not be made or waited on
};

struct DeskWait {
    DeskTurn turn = DeskTurn::Busy;
    std::uint32_t waitedMs = 0;
    // With Unavailable: what the system said, for the caller's message.
    std::u16string why;
};

inline bool DeskIsOurs(DeskTurn turn) { return turn == DeskTurn::Taken || turn == DeskTurn::TakenOver; }

class DeskLock {
public:
    virtual ~DeskLock() = default;
    // Waits for the desk without busy waiting, at most boundMs, behind every
    // robot that asked for it earlier. A desk left by a holder that ended is
    // taken over at once.
    virtual DeskWait Acquire(std::uint32_t boundMs) = 0;
    // Lets go of a desk this lock took; the next in line is told.
    virtual void Release() = 0;
};

}  // namespace qm
