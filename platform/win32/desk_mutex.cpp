#include "platform/win32/desk_mutex.h"

#include <optional>

namespace qm::win32 {
namespace {

// Dispatches this thread's waiting messages until none is left or the
// deadline passed. A WM_QUIT is kept back in quit, to be put back once the
// wait is over; the messages after it are still dispatched.
void Pump(ULONGLONG deadline, std::optional<int>& quit) {
    MSG msg;
    while (::GetTickCount64() < deadline && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            if (!quit) quit = static_cast<int>(msg.wParam);
            continue;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

}  // namespace

// The error is read before the line is opened, which sets the last error anew.
DeskMutex::DeskMutex(const wchar_t* name)
    : mutex_(::CreateMutexW(nullptr, FALSE, name)),
      error_(mutex_ ? std::nullopt : std::optional<std::u16string>(WindowsErrorText(::GetLastError()))),
      queue_(name) {}

DeskMutex::~DeskMutex() { Release(); }

DeskWait DeskMutex::Acquire(std::uint32_t boundMs) {
    if (held_) return {DeskTurn::Taken, 0, {}};
    if (!mutex_) return {DeskTurn::Unavailable, 0, u"the desk lock could not be made (" + *error_ + u")"};
    const ULONGLONG start = ::GetTickCount64();
    const ULONGLONG end = start + boundMs;
    // Without the line (it could not be opened or joined) the mutex alone
    // still keeps the requests apart, only not in their order of arrival.
    queue_.Join();
    std::optional<int> quit;
    DeskWait outcome{DeskTurn::Busy, 0, {}};
    for (;;) {
        const ULONGLONG now = ::GetTickCount64();
        const DWORD left = now >= end ? 0 : static_cast<DWORD>(end - now);
        DeskQueue::Place place = queue_.Look();
        HANDLE handles[2];
        DWORD count = 0;
        if (place.first) {
            handles[count++] = mutex_.get();
        } else {  // in the line (a robot out of it is always first)
            handles[count++] = queue_.TurnEvent();
            if (place.ahead) handles[count++] = place.ahead.get();
        }
        // Behind a robot whose process cannot be opened, look again now and then.
        const DWORD wait = place.first || place.ahead ? left : std::min<DWORD>(left, 500);
        const DWORD woke = ::MsgWaitForMultipleObjectsEx(count, handles, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (place.first && (woke == WAIT_OBJECT_0 || woke == WAIT_ABANDONED_0)) {
            held_ = true;
            outcome.turn = woke == WAIT_OBJECT_0 ? DeskTurn::Taken : DeskTurn::TakenOver;
            break;
        }
        if (woke == WAIT_FAILED) {
            outcome.turn = DeskTurn::Unavailable;
            outcome.why = u"the wait for the desk failed (" + WindowsErrorText(::GetLastError()) + u")";
            break;
        }
        if (woke == WAIT_OBJECT_0 + count) {
            Pump(end, quit);
        } else if (woke == WAIT_TIMEOUT && wait == left) {
            break;  // the bound ran out
        }
        if (::GetTickCount64() >= end) {
            // The bound is over: the desk is taken only if it is free this moment.
            const DeskQueue::Place last = queue_.Look();
            const DWORD got = last.first ? ::WaitForSingleObject(mutex_.get(), 0) : WAIT_TIMEOUT;
            if (got == WAIT_OBJECT_0 || got == WAIT_ABANDONED) {
                held_ = true;
                outcome.turn = got == WAIT_OBJECT_0 ? DeskTurn::Taken : DeskTurn::TakenOver;
            }
            break;
        }
    }
    if (!held_) queue_.Leave();
    outcome.waitedMs = static_cast<std::uint32_t>(::GetTickCount64() - start);
    if (quit) ::PostQuitMessage(*quit);
    return outcome;
}

void DeskMutex::Release() {
    if (!held_) return;
    // The next in line is told first; it then waits on the mutex, let go of here.
    queue_.Leave();
    ::ReleaseMutex(mutex_.get());
    held_ = false;
}

}  // namespace qm::win32
