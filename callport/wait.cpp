#include "callport/wait.h"

namespace qm {

bool SleepThenProbe(Desktop& desktop, std::int32_t limitMs, const std::function<bool()>& probe) {
    for (std::int32_t t = 0; t < limitMs; t += static_cast<std::int32_t>(kPollStepMs)) {
        if (desktop.NotResponding()) return false;
        desktop.Sleep(kPollStepMs);
        if (desktop.NotResponding()) return false;
        if (probe()) return true;
    }
    return false;
}

bool ProbeThenSleep(Desktop& desktop, std::int32_t limitMs, const std::function<bool()>& probe) {
    for (std::int32_t t = 0; t < limitMs; t += static_cast<std::int32_t>(kPollStepMs)) {
        if (desktop.NotResponding()) return false;
        if (probe()) return true;
        if (desktop.NotResponding()) return false;
        desktop.Sleep(kPollStepMs);
    }
    return false;
}

bool Tries(Desktop& desktop, int tries, std::uint32_t gapMs, const std::function<bool()>& probe) {
    for (int attempt = 1; attempt <= tries; ++attempt) {
        if (desktop.NotResponding()) return false;
        if (probe()) return true;
        if (desktop.NotResponding()) return false;
        if (attempt < tries && gapMs > 0) desktop.Sleep(gapMs);
    }
    return false;
}

}  // namespace qm
