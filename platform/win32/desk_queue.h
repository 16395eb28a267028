// The line in front of the desk: a small shared block beside the desk mutex in
// which each waiting robot holds a ticket, so that robots are served in the
// order they asked. A robot may wait for the mutex itself only when no living
// robot with an earlier ticket is in the line; the others wait for their own
// turn event, which the robot leaving the line sets for the one that is first
// after it, or for the process of the robot just ahead of them to end.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "platform/win32/handles.h"

namespace qm::win32 {

class DeskQueue {
public:
    static constexpr std::size_t kPlaces = 64;

    // Opens (or makes) the block and its guard; names are the desk mutex's
    // name followed by ".Queue" and ".Queue.Lock", and each turn event is the
    // mutex's name, ".Turn." and the ticket.
    explicit DeskQueue(const std::wstring& deskName);
    DeskQueue(const DeskQueue&) = delete;
    DeskQueue& operator=(const DeskQueue&) = delete;
    ~DeskQueue();

    // Empty when the block could be opened; else what the system said.
    const std::optional<std::u16string>& Error() const { return error_; }

    // Takes a ticket at the end of the line; false (with Error set) when the
    // line cannot be joined (it is full, or the turn event cannot be made).
    bool Join();
    // Where this robot stands: first, or behind the robot whose process it
    // returns (opened for waiting; null when it cannot be opened, in which
    // case the caller waits for its turn event alone, with a short bound).
    struct Place {
        bool first = false;
        UniqueHandle ahead;
    };
    Place Look();
    // The event the robot leaving the line sets for this one.
    HANDLE TurnEvent() const { return turn_.get(); }
    // Leaves the line and tells the robot that is first now.
    void Leave();

private:
    struct Block;
    class Guard;

    std::wstring deskName_;
    UniqueHandle mapping_;
    MappedView view_;
    UniqueHandle guard_;
    UniqueHandle turn_;
    std::uint64_t ticket_ = 0;
    std::optional<std::u16string> error_;
};

// The system's text for a Windows error, with its number.
std::u16string WindowsErrorText(DWORD error);

}  // namespace qm::win32
