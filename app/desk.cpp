#include "app/desk.h"

#include <string>

#include "core/result_codes.h"
#include "core/utf.h"

namespace qm {
namespace {

// Lets go of the desk however serve ends.
class DeskHeld {
public:
    explicit DeskHeld(DeskLock& lock) : lock_(lock) {}
    ~DeskHeld() { lock_.Release(); }
    DeskHeld(const DeskHeld&) = delete;
    DeskHeld& operator=(const DeskHeld&) = delete;

private:
    DeskLock& lock_;
};

std::u16string Seconds(std::uint32_t ms) {
    const std::string text = std::to_string(ms / 1000) + (ms % 1000 ? "." + std::to_string(ms % 1000 / 100) : "");
    return Utf8ToUtf16(text);
}

}  // namespace

void ServeAtDesk(RequestBlock& copy, DeskLock& lock, const std::function<void(RequestBlock&)>& serve,
                 std::uint32_t boundMs) {
    const DeskWait wait = lock.Acquire(boundMs);
    if (wait.turn == DeskTurn::Busy) {
        copy.result = result::kDeskBusy;
        WriteField(copy.message, u"Another request kept the desk for " + Seconds(wait.waitedMs) +
                                     u" s; this request touched no dispatch program.");
        return;
    }
    DeskHeld held(lock);
    serve(copy);
    if (wait.turn == DeskTurn::TakenOver) {
        const std::u16string said(ReadField(copy.message));
        WriteField(copy.message, u"The desk was taken over from a robot that ended while holding it." +
                                     (said.empty() ? std::u16string() : u" " + said));
    }
}

}  // namespace qm
