#include "app/desk.h"

#include <string>

#include "app/dispatch.h"
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

void ServeAtDesk(RequestBlock& copy, DeskLock& lock, const std::function<void(RequestBlock&, DeskTurn)>& serve,
                 std::uint32_t boundMs) {
    if (!Serves(copy.order.adapterKind)) {
        serve(copy, DeskTurn::Taken);  // answered at once: it touches no dispatch program
        return;
    }
    const DeskWait wait = lock.Acquire(boundMs);
    if (wait.turn == DeskTurn::Unavailable) {
        copy.result = result::kDeskUnavailable;
        WriteField(copy.message, u"The desk lock could not be had: " + wait.why +
                                     u"; this request touched no dispatch program.");
        return;
    }
    if (wait.turn == DeskTurn::Busy) {
        copy.result = result::kDeskBusy;
        WriteField(copy.message, u"Another request kept the desk for " + Seconds(wait.waitedMs) +
                                     u" s; this request touched no dispatch program.");
        return;
    }
    DeskHeld held(lock);
    serve(copy, wait.turn);
}

}  // namespace qm
