// The desk: the cursor, the foreground window and the dispatch programs' entry
// windows that every robot of a desktop session shares. A robot owns it while
// it serves a request, so overlapping requests are served one after the other.
// Two implementations: platform/win32 (a named mutex of the session) and
// testing/ (a fake on the virtual clock).
#pragma once

#include <cstdint>

namespace qm {

enum class DeskTurn {
    Taken,      // the desk was free, or freed within the bound
    TakenOver,  // its last holder ended without letting go of it
    Busy,       // another holder kept it for the whole bound
};

struct DeskWait {
    DeskTurn turn = DeskTurn::Busy;
    std::uint32_t waitedMs = 0;
};

class DeskLock {
public:
    virtual ~DeskLock() = default;
    // Waits for the desk without busy waiting, at most boundMs. A desk left by
    // a holder that ended is taken over at once.
    virtual DeskWait Acquire(std::uint32_t boundMs) = 0;
    // Lets go of a desk this lock took.
    virtual void Release() = 0;
};

}  // namespace qm
