// The time a substitute program spends answering another program: in its
// window procedures for messages sent from another thread, and in the calls
// into its page objects that other processes make (COM dispatches them to the
// apartment's window as posted messages). Work the program does on its own
// (timers, posted keys and clicks) is not counted: nothing waits for it.
//
// The total lives in a named shared block, so that a profiler in the robot's
// process can tell, between two of the robot's pauses, how long the robot
// waited for the dispatch program's handlers; in the field the vendor's
// program spends that time, not the robot. Every program using the clock adds
// to the same block (one substitute runs at a time in a benchmark).
//
//   LRESULT CALLBACK Proc(...) { qm::sim::clock::HandlerScope timed(qm::sim::clock::SentFromAnotherThread()); ... }
//   ... in the message loop: qm::sim::clock::Dispatch(msg);
//   ... in the profiler: qm::sim::clock::HandlerClockReader clock; double ms = clock.TotalMs();
#pragma once

#include <windows.h>

#include <cstdint>

#include "platform/win32/handles.h"

namespace qm::sim::clock {

inline constexpr wchar_t kBlockName[] = L"Local\\Quillmere.HandlerClock";

// The shared block: performance-counter ticks spent in handlers, and how many
// outermost handler calls they came from. Updated with interlocked adds.
struct HandlerClockBlock {
    volatile LONG64 ticks;
    volatile LONG64 calls;
};

// True when the message being handled was sent by another thread (a program
// waiting in SendMessage for the answer).
bool SentFromAnotherThread();

// Times the handler it lives in when counted is true; a scope inside another
// counted scope of the same thread adds nothing of its own.
class HandlerScope {
public:
    explicit HandlerScope(bool counted);
    ~HandlerScope();
    HandlerScope(const HandlerScope&) = delete;
    HandlerScope& operator=(const HandlerScope&) = delete;

private:
    bool active_ = false;     // inside a counted scope: this one holds a level
    bool outermost_ = false;  // the level that adds the time
    std::int64_t start_ = 0;
};

// DispatchMessageW, timed when the message carries another process's call
// into this thread's COM apartment.
LRESULT Dispatch(const MSG& message);

// The profiler's side: the block as the programs left it (zero while none has
// created it; it is looked for again on each read until one has).
class HandlerClockReader {
public:
    HandlerClockReader();

    double TotalMs();
    std::int64_t Calls();
    // Whether the block exists: a program that keeps the clock has started.
    bool Present();

private:
    win32::UniqueHandle mapping_;
    win32::MappedView view_;
    const HandlerClockBlock* block_ = nullptr;  // in view_
    double msPerTick_ = 0;
};

}  // namespace qm::sim::clock
