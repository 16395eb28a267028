// One thread in the multithreaded apartment, handed one job at a time: the
// owner puts the job in the slot and wakes the thread, which runs it and says
// so. The owner touches the slot only while the thread is idle, and never
// again once it gave the thread up.
#include "platform/win32/windows_names.h"
#include "platform/win32/page_calls.h"

#include <objbase.h>

#include <atomic>
#include <cstdint>
#include <optional>

namespace qm::win32 {

struct PageCallThread::State {
    UniqueHandle wake{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};  // a job waits, or quit
    UniqueHandle done{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};  // the job ended
    std::unique_ptr<Job> job;
    std::atomic<bool> quit{false};
    std::atomic<bool> gaveUp{false};
    std::atomic<std::int64_t> busyTicks{0};  // performance-counter ticks inside jobs
};

namespace {

DWORD WINAPI PageCallThreadMain(void* parameter) {
    // The thread's own share of the state: a thread given up may end after its owner.
    const std::unique_ptr<std::shared_ptr<PageCallThread::State>> held(
        static_cast<std::shared_ptr<PageCallThread::State>*>(parameter));
    PageCallThread::State& state = **held;
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    // Idle until the owner hands over a job or ends the thread: its destructor
    // wakes an idle thread, and a thread given up ends as soon as its last call
    // does (if ever), so this wait has an end either way.
    while (::WaitForSingleObject(state.wake.get(), INFINITE) == WAIT_OBJECT_0 && !state.quit.load()) {
        if (std::unique_ptr<PageCallThread::Job> job = std::move(state.job)) {
            LARGE_INTEGER start{}, end{};
            ::QueryPerformanceCounter(&start);
            if (SUCCEEDED(com)) job->Call();
            ::QueryPerformanceCounter(&end);
            state.busyTicks.fetch_add(end.QuadPart - start.QuadPart);
        }
        if (state.gaveUp.load()) break;
        ::SetEvent(state.done.get());
    }
    if (SUCCEEDED(com)) ::CoUninitialize();
    return 0;
}

}  // namespace

PageCallThread::PageCallThread(unsigned boundMs) : boundMs_(boundMs), state_(std::make_shared<State>()) {
    if (!state_->wake || !state_->done) return;
    auto* share = new std::shared_ptr<State>(state_);
    thread_.reset(::CreateThread(nullptr, 0, PageCallThreadMain, share, 0, nullptr));
    if (!thread_) delete share;
}

PageCallThread::~PageCallThread() {
    if (!thread_ || state_->gaveUp.load()) return;
    state_->quit.store(true);
    ::SetEvent(state_->wake.get());
    // Idle, it ends at once; the bound only keeps a broken thread from holding the robot.
    ::WaitForSingleObject(thread_.get(), boundMs_);
}

bool PageCallThread::GaveUp() const { return state_->gaveUp.load(); }

double PageCallThread::BusyMs() const {
    LARGE_INTEGER frequency{};
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(state_->busyTicks.load()) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

bool PageCallThread::Wait(std::unique_ptr<Job> job) {
    if (!thread_ || state_->gaveUp.load()) return false;
    state_->job = std::move(job);
    if (!::SetEvent(state_->wake.get())) {
        state_->job.reset();
        return false;
    }
    // This thread's messages are handled meanwhile, as a single-threaded
    // apartment's own wait for a call does: the page call may itself wait for
    // one (a window of the robot under the point an accessible object is asked
    // for, or an object that lives in this apartment, whose calls arrive as
    // posted messages). A quit message is kept for the loop that owns it.
    const ULONGLONG deadline = ::GetTickCount64() + boundMs_;
    std::optional<WPARAM> quit;
    bool finished = false;
    for (;;) {
        const ULONGLONG now = ::GetTickCount64();
        const DWORD left = now < deadline ? static_cast<DWORD>(deadline - now) : 0;
        const HANDLE done = state_->done.get();
        const DWORD woke = ::MsgWaitForMultipleObjectsEx(1, &done, left, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_OBJECT_0) {
            finished = true;
            break;
        }
        if (woke != WAIT_OBJECT_0 + 1 || left == 0) break;
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = msg.wParam;
                continue;
            }
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    if (quit) ::PostQuitMessage(static_cast<int>(*quit));
    if (finished) return true;
    state_->gaveUp.store(true);
    return false;
}

}  // namespace qm::win32
