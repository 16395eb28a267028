#include "platform/win32/desk_queue.h"

#include <cstring>
#include <string>

namespace qm::win32 {

// The shared line: the next ticket and one place per waiting robot, a place
// with ticket 0 being free. Only touched under the guard mutex.
struct DeskQueue::Block {
    std::uint32_t layout;
    std::uint32_t reserved;
    std::uint64_t nextTicket;
    struct Entry {
        std::uint64_t ticket;
        std::uint64_t created;  // the process's creation time, against a reused process id
        std::uint32_t pid;
        std::uint32_t reserved;
    } entries[kPlaces];
};

namespace {

constexpr std::uint32_t kLayout = 1;
// The guard is held for a few reads and writes; a robot that died holding it
// leaves it abandoned, which the next one takes as its own.
constexpr DWORD kGuardWaitMs = 5000;

std::uint64_t CreationTime(HANDLE process) {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!::GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    return (static_cast<std::uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

// The process of an entry while it still runs; an entry whose process cannot
// be opened for lack of rights is taken to live (it is somebody's robot).
struct Liveness {
    bool alive = false;
    UniqueHandle process;
};

Liveness Check(std::uint32_t pid, std::uint64_t created) {
    Liveness l;
    l.process.reset(::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!l.process) {
        l.alive = ::GetLastError() == ERROR_ACCESS_DENIED;
        return l;
    }
    const std::uint64_t itsCreation = CreationTime(l.process.get());
    l.alive = ::WaitForSingleObject(l.process.get(), 0) == WAIT_TIMEOUT && (itsCreation == 0 || itsCreation == created);
    if (!l.alive) l.process.reset();
    return l;
}

std::wstring TurnName(const std::wstring& deskName, std::uint64_t ticket) {
    return deskName + L".Turn." + std::to_wstring(ticket);
}

}  // namespace

std::u16string WindowsErrorText(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                         FORMAT_MESSAGE_IGNORE_INSERTS,
                                     nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring said = n && text ? std::wstring(text, n) : std::wstring();
    if (text) ::LocalFree(text);
    while (!said.empty() && (said.back() == L'\n' || said.back() == L'\r' || said.back() == L' ' || said.back() == L'.'))
        said.pop_back();
    const std::wstring whole = L"Windows error " + std::to_wstring(error) + (said.empty() ? L"" : L": " + said);
    return std::u16string(whole.begin(), whole.end());
}

// Holds the guard for one look at the block.
class DeskQueue::Guard {
public:
    explicit Guard(HANDLE guard) : guard_(guard) {
        const DWORD got = ::WaitForSingleObject(guard_, kGuardWaitMs);
        held_ = got == WAIT_OBJECT_0 || got == WAIT_ABANDONED;
    }
    ~Guard() {
        if (held_) ::ReleaseMutex(guard_);
    }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;
    bool Held() const { return held_; }

private:
    HANDLE guard_;
    bool held_ = false;
};

DeskQueue::DeskQueue(const std::wstring& deskName) : deskName_(deskName) {
    guard_.reset(::CreateMutexW(nullptr, FALSE, (deskName + L".Queue.Lock").c_str()));
    if (!guard_) {
        error_ = WindowsErrorText(::GetLastError());
        return;
    }
    mapping_.reset(::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(Block),
                                        (deskName + L".Queue").c_str()));
    if (!mapping_) {
        error_ = WindowsErrorText(::GetLastError());
        return;
    }
    view_.reset(::MapViewOfFile(mapping_.get(), FILE_MAP_ALL_ACCESS, 0, 0, sizeof(Block)));
    if (!view_) error_ = WindowsErrorText(::GetLastError());
}

DeskQueue::~DeskQueue() { Leave(); }

bool DeskQueue::Join() {
    if (error_) return false;
    if (ticket_ != 0) return true;
    Guard guard(guard_.get());
    if (!guard.Held()) {
        error_ = u"the desk's queue stayed locked for 5 s";
        return false;
    }
    auto* block = static_cast<Block*>(view_.get());
    // A block of another layout (an older robot's) is started anew.
    if (block->layout != kLayout) {
        std::memset(block, 0, sizeof(Block));
        block->layout = kLayout;
    }
    Block::Entry* free = nullptr;
    for (Block::Entry& e : block->entries) {
        if (e.ticket != 0 && !Check(e.pid, e.created).alive) e = {};
        if (e.ticket == 0 && free == nullptr) free = &e;
    }
    if (free == nullptr) {
        error_ = u"64 requests already wait for the desk";
        return false;
    }
    const std::uint64_t ticket = ++block->nextTicket;
    // The event exists before the ticket is seen, so a turn is never told to nobody.
    turn_.reset(::CreateEventW(nullptr, FALSE, FALSE, TurnName(deskName_, ticket).c_str()));
    if (!turn_) {
        error_ = WindowsErrorText(::GetLastError());
        return false;
    }
    UniqueHandle self(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, ::GetCurrentProcessId()));
    *free = {ticket, self ? CreationTime(self.get()) : 0, ::GetCurrentProcessId(), 0};
    ticket_ = ticket;
    return true;
}

DeskQueue::Place DeskQueue::Look() {
    Place place;
    if (ticket_ == 0) {
        place.first = true;  // out of the line: only the mutex orders it
        return place;
    }
    Guard guard(guard_.get());
    if (!guard.Held()) return place;  // looked at again after the caller's short wait
    auto* block = static_cast<Block*>(view_.get());
    // The living robot just ahead, whose process this one waits on: each
    // entry's process is opened once.
    std::uint64_t aheadTicket = 0;
    bool anyAhead = false;
    for (Block::Entry& e : block->entries) {
        if (e.ticket == 0 || e.ticket >= ticket_) continue;
        Liveness l = Check(e.pid, e.created);
        if (!l.alive) {
            e = {};
            continue;
        }
        if (!anyAhead || e.ticket > aheadTicket) {
            anyAhead = true;
            aheadTicket = e.ticket;
            place.ahead = std::move(l.process);
        }
    }
    place.first = !anyAhead;
    return place;
}

void DeskQueue::Leave() {
    if (ticket_ == 0 || !view_) return;
    Guard guard(guard_.get());
    if (!guard.Held()) {
        // The place stays until this process ends, which the robot behind it waits for.
        ticket_ = 0;
        turn_.reset();
        return;
    }
    auto* block = static_cast<Block*>(view_.get());
    const Block::Entry* next = nullptr;
    for (Block::Entry& e : block->entries) {
        if (e.ticket == ticket_ && e.pid == ::GetCurrentProcessId()) e = {};
        if (e.ticket != 0 && (next == nullptr || e.ticket < next->ticket)) next = &e;
    }
    ticket_ = 0;
    turn_.reset();
    if (next == nullptr) return;
    UniqueHandle event(::OpenEventW(EVENT_MODIFY_STATE, FALSE, TurnName(deskName_, next->ticket).c_str()));
    if (event) ::SetEvent(event.get());
}

}  // namespace qm::win32
