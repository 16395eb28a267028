// The desk lock of a desktop session: one named mutex in the session's
// namespace (Local\ names) for every robot and the probe, whichever dispatch
// program they drive, since they share the cursor and the foreground window.
#pragma once

#include <windows.h>

#include "platform/desk_lock.h"
#include "platform/win32/handles.h"

namespace qm::win32 {

class DeskMutex final : public DeskLock {
public:
    static constexpr wchar_t kName[] = L"Local\\Quillmere.Desk";

    explicit DeskMutex(const wchar_t* name = kName);
    ~DeskMutex() override;
    DeskMutex(const DeskMutex&) = delete;
    DeskMutex& operator=(const DeskMutex&) = delete;

    // Waits on the mutex while dispatching this thread's messages (its windows
    // stay answerable to other programs' sends). Without the mutex, the desk
    // is reported busy at once.
    DeskWait Acquire(std::uint32_t boundMs) override;
    void Release() override;

private:
    UniqueHandle mutex_;
    bool held_ = false;
};

// The caller's event that tells when the robot serving the mapping mapName
// took the desk: mapName followed by this suffix. A caller that wants to know
// how long its request waited for the desk creates it before it starts the
// robot; the robot sets it once the desk is its own.
constexpr wchar_t kDeskTakenEventSuffix[] = L".desk";

}  // namespace qm::win32
