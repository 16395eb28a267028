// The thread that makes the robot's calls into other programs' page objects.
//
// A call through a page object (the browser document and its window, the
// page's eval, the accessible objects) is a COM call into the dispatch
// program that waits for its answer without a bound: a page script that never
// returns would hold the robot for ever. A COM message filter cannot bound it
// everywhere the robot runs. Wine 8's wait for an outgoing call wakes for sent
// and posted messages only (a thread timer never wakes it); when it does call
// MessagePending and is told PENDINGMSG_CANCELCALL, it notes the cancel and
// goes on waiting until the call itself ends. CoCancelCall is a stub there.
// So every such call runs on one thread of the multithreaded apartment, and
// the request's thread waits for it at most a bound
// (Win32Desktop::kPageCallBoundMs). A call that overran the bound is given up
// together with the thread, which may stay blocked in the hung program until
// the robot exits; no further call is made.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <type_traits>
#include <utility>

#include "platform/win32/handles.h"

namespace qm::win32 {

class PageCallThread {
public:
    // boundMs: how long one call may take (Win32Desktop::kPageCallBoundMs).
    explicit PageCallThread(unsigned boundMs);
    // Ends the thread when it is idle; a thread given up is left to the
    // robot's exit.
    ~PageCallThread();
    PageCallThread(const PageCallThread&) = delete;
    PageCallThread& operator=(const PageCallThread&) = delete;

    // Runs call on the thread and waits for it up to the bound. Its value, or
    // nothing when it was not run (the thread was given up before) or did not
    // finish in time (the thread is given up now). call must own what it uses:
    // a call given up may still end later, after its caller returned.
    template <typename Call>
    auto Run(Call call) -> std::optional<std::invoke_result_t<Call&>> {
        using Value = std::invoke_result_t<Call&>;
        auto slot = std::make_shared<std::optional<Value>>();
        if (!RunJob([slot, call = std::move(call)]() mutable { slot->emplace(call()); })) return std::nullopt;
        return std::move(*slot);
    }

    // A call overran the bound: the thread is given up.
    bool GaveUp() const;
    // How long the calls ran on the thread, all together (the benchmark's
    // step profile tells the robot's own work from its calls with it).
    double BusyMs() const;

    // What the thread and its owner share, and what a job runs (page_calls.cpp).
    struct State;
    class Job;

private:
    // Hands the job to the thread and waits for it within the bound.
    bool Wait(std::unique_ptr<Job> job);
    template <typename F>
    bool RunJob(F f);

    unsigned boundMs_;
    std::shared_ptr<State> state_;
    UniqueHandle thread_;
};

// What a job runs: the one virtual step, so the header needs no std::function.
class PageCallThread::Job {
public:
    virtual ~Job() = default;
    virtual void Call() = 0;
};

template <typename F>
bool PageCallThread::RunJob(F f) {
    class Of final : public Job {
    public:
        explicit Of(F f) : f_(std::move(f)) {}
        void Call() override { f_(); }

    private:
        F f_;
    };
    return Wait(std::make_unique<Of>(std::move(f)));
}

// A page object's interface pointer: used, and released, only on the page-call
// thread, whose apartment it belongs to. Once that thread was given up the
// reference is never released: a proxy's last release is itself a call into
// the hung program.
template <typename T>
class PageRef {
public:
    PageRef(std::shared_ptr<PageCallThread> calls, ComPtr<T> p) : calls_(std::move(calls)), p_(p.release()) {}
    PageRef(const PageRef&) = delete;
    PageRef& operator=(const PageRef&) = delete;
    ~PageRef() {
        if (!p_ || calls_->GaveUp()) return;
        T* p = p_;
        calls_->Run([p] { return p->Release(); });
    }
    // Runs call(T*) on the page-call thread; nothing when it was not answered.
    template <typename Call>
    auto Run(Call call) const {
        T* p = p_;
        return calls_->Run([p, call = std::move(call)]() mutable { return call(p); });
    }
    const std::shared_ptr<PageCallThread>& Calls() const { return calls_; }

private:
    std::shared_ptr<PageCallThread> calls_;
    T* p_;
};

}  // namespace qm::win32
