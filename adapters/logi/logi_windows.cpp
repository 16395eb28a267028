#include "adapters/logi/logi_windows.h"

#include "callport/wait.h"

namespace qm::logi {

std::vector<std::pair<Hwnd, Hwnd>> NewEntryWindows(Desktop& desktop, Hwnd main) {
    std::vector<std::pair<Hwnd, Hwnd>> entries;
    for (Hwnd popup : CollectPopups(desktop, main)) {
        if (IsNull(FindDescendant(desktop, popup, kIsEntryRegisterButton))) continue;
        const Hwnd cancel = DirectChild(desktop, popup, kIsEntryCancelButton);
        if (!IsNull(cancel)) entries.emplace_back(popup, cancel);
    }
    return entries;
}

bool AnswerCloseQuestion(Desktop& desktop, std::int32_t limit) {
    const MessageBoxRule rule{.title = u"취소", .mustHave = {{{u"Static", {kCloseQuestion}}}}, .button = u"예(&Y)"};
    return SleepThenProbe(desktop, limit, [&] { return AnswerMessageBoxes(desktop, rule) > 0; });
}

}  // namespace qm::logi
