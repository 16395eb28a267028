#include "sim/win32/page/handler_clock.h"

#include <utility>

namespace qm::sim::clock {
namespace {

std::int64_t Now() {
    LARGE_INTEGER t{};
    ::QueryPerformanceCounter(&t);
    return t.QuadPart;
}

// This process's view of the block, created on the first counted handler.
HandlerClockBlock* Block() {
    static HandlerClockBlock* const block = []() -> HandlerClockBlock* {
        const HANDLE mapping = ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                                    sizeof(HandlerClockBlock), kBlockName);
        if (!mapping) return nullptr;
        // Kept open for the process's life: the block lives as long as one program holds it.
        return static_cast<HandlerClockBlock*>(
            ::MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(HandlerClockBlock)));
    }();
    return block;
}

thread_local int t_depth = 0;
thread_local HWND t_apartmentWindow = nullptr;

// COM's window for calls into a single-threaded apartment.
bool IsApartmentWindow(HWND window) {
    if (!window) return false;
    if (window == t_apartmentWindow) return true;
    wchar_t name[32] = {};
    if (::GetClassNameW(window, name, 32) == 0 || ::lstrcmpW(name, L"OleMainThreadWndClass") != 0) return false;
    t_apartmentWindow = window;
    return true;
}

}  // namespace

bool SentFromAnotherThread() { return (::InSendMessageEx(nullptr) & (ISMEX_SEND | ISMEX_NOTIFY)) == ISMEX_SEND; }

HandlerScope::HandlerScope(bool counted) {
    if (!counted && t_depth == 0) return;
    active_ = true;
    outermost_ = t_depth == 0;
    ++t_depth;
    if (outermost_) start_ = Now();
}

HandlerScope::~HandlerScope() {
    if (!active_) return;
    --t_depth;
    if (!outermost_) return;
    if (HandlerClockBlock* block = Block()) {
        ::InterlockedAdd64(&block->ticks, Now() - start_);
        ::InterlockedIncrement64(&block->calls);
    }
}

LRESULT Dispatch(const MSG& message) {
    const HandlerScope timed(IsApartmentWindow(message.hwnd));
    return ::DispatchMessageW(&message);
}

HandlerClockReader::HandlerClockReader() {
    LARGE_INTEGER f{};
    ::QueryPerformanceFrequency(&f);
    msPerTick_ = f.QuadPart > 0 ? 1000.0 / static_cast<double>(f.QuadPart) : 0;
}

bool HandlerClockReader::Present() {
    if (block_) return true;
    win32::UniqueHandle mapping(::OpenFileMappingW(FILE_MAP_READ, FALSE, kBlockName));
    if (!mapping) return false;
    win32::MappedView view(::MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, sizeof(HandlerClockBlock)));
    if (!view) return false;
    mapping_ = std::move(mapping);
    view_ = std::move(view);
    block_ = static_cast<const HandlerClockBlock*>(view_.get());
    return true;
}

double HandlerClockReader::TotalMs() {
    return Present() ? static_cast<double>(block_->ticks) * msPerTick_ : 0;
}

std::int64_t HandlerClockReader::Calls() { return Present() ? block_->calls : 0; }

}  // namespace qm::sim::clock
