// The desk lock of a desktop session: one named mutex in the session's
// namespace (Local\ names) for every robot and the probe, whichever dispatch
// program they drive, since they share the cursor and the foreground window;
// beside it the line of waiting robots (desk_queue.h), so that the desk goes
// to them in the order they asked.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "platform/desk_lock.h"
#include "platform/win32/desk_queue.h"
#include "platform/win32/handles.h"

namespace qm::win32 {

class DeskMutex final : public DeskLock {
public:
    static constexpr wchar_t kName[] = L"Local\\Quillmere.Desk";

    explicit DeskMutex(const wchar_t* name = kName);
    ~DeskMutex() override;
    DeskMutex(const DeskMutex&) = delete;
    DeskMutex& operator=(const DeskMutex&) = delete;

    // Waits for its turn and then the mutex while dispatching this thread's
    // messages (its windows stay answerable to other programs' sends), never
    // past the bound. A mutex that cannot be made or waited on is Unavailable,
    // with the system's error.
    DeskWait Acquire(std::uint32_t boundMs) override;
    void Release() override;

private:
    UniqueHandle mutex_;
    std::optional<std::u16string> error_;
    DeskQueue queue_;
    bool held_ = false;
};

// The caller's events for the robot serving the mapping mapName: mapName
// followed by the suffix. A caller that wants to know creates them before it
// starts the robot. The robot sets the first once the desk is its own (the
// time it waited for the desk ends there), and the second when it took the
// desk over from a robot that ended while holding it.
constexpr wchar_t kDeskTakenEventSuffix[] = L".desk";
constexpr wchar_t kDeskTakenOverEventSuffix[] = L".desk-taken-over";

}  // namespace qm::win32
