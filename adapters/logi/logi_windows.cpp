#include "adapters/logi/logi_windows.h"

#include "callport/wait.h"

namespace qm::logi {

bool AnswerCloseQuestion(Desktop& desktop, std::int32_t limit) {
    const MessageBoxRule rule{.title = u"취소", .mustHave = {{{u"Static", {kCloseQuestion}}}}, .button = u"예(&Y)"};
    return SleepThenProbe(desktop, limit, [&] { return AnswerMessageBoxes(desktop, rule) > 0; });
}

}  // namespace qm::logi
