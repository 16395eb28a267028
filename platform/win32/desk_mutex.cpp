#include "platform/win32/desk_mutex.h"

#include <optional>

namespace qm::win32 {

DeskMutex::DeskMutex(const wchar_t* name) : mutex_(::CreateMutexW(nullptr, FALSE, name)) {}

DeskMutex::~DeskMutex() { Release(); }

DeskWait DeskMutex::Acquire(std::uint32_t boundMs) {
    if (!mutex_ || held_) return {held_ ? DeskTurn::Taken : DeskTurn::Busy, 0};
    const ULONGLONG start = ::GetTickCount64();
    const ULONGLONG end = start + boundMs;
    std::optional<int> quit;  // a WM_QUIT taken from the queue, put back once the wait is over
    DeskWait outcome{DeskTurn::Busy, 0};
    for (;;) {
        const ULONGLONG now = ::GetTickCount64();
        const DWORD left = now >= end ? 0 : static_cast<DWORD>(end - now);
        HANDLE handle = mutex_.get();
        const DWORD woke = quit ? ::WaitForSingleObject(handle, left)
                                : ::MsgWaitForMultipleObjectsEx(1, &handle, left, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_OBJECT_0 || woke == WAIT_ABANDONED_0) {
            held_ = true;
            outcome.turn = woke == WAIT_OBJECT_0 ? DeskTurn::Taken : DeskTurn::TakenOver;
            break;
        }
        if (quit || woke != WAIT_OBJECT_0 + 1) break;  // the bound ran out, or the wait failed
        MSG msg;
        while (!quit && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = static_cast<int>(msg.wParam);
                break;
            }
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    outcome.waitedMs = static_cast<std::uint32_t>(::GetTickCount64() - start);
    if (quit) ::PostQuitMessage(*quit);
    return outcome;
}

void DeskMutex::Release() {
    if (!held_) return;
    ::ReleaseMutex(mutex_.get());
    held_ = false;
}

}  // namespace qm::win32
