#include "adapters/logid2/logi_windows.h"

#include <unordered_set>

#include "callport/call_port.h"
#include "platform/messages.h"

namespace qm::logi {
namespace {

struct HwndHash {
    std::size_t operator()(Hwnd h) const noexcept {
        return std::hash<std::uintptr_t>{}(static_cast<std::uintptr_t>(h));
    }
};

// Follows first, then step(current) until null, a repeat or kMaxWalkSteps windows.
template <class Step>
void BoundedChain(Hwnd first, Step step, const std::function<bool(Hwnd)>& visit) {
    std::unordered_set<Hwnd, HwndHash> seen;
    Hwnd current = first;
    for (std::size_t steps = 0; !IsNull(current) && steps < kMaxWalkSteps; ++steps) {
        if (!seen.insert(current).second) return;
        if (!visit(current)) return;
        current = step(current);
    }
}

}  // namespace

bool Matches(Desktop& desktop, Hwnd window, const Recogniser& recogniser) {
    if (desktop.GetClassName(window, kNameChars) != recogniser.className) return false;
    bool anyText = true;
    for (std::u16string_view t : recogniser.texts)
        if (!t.empty()) anyText = false;
    if (anyText) return true;
    const std::u16string text = desktop.GetWindowText(window, kNameChars);
    for (std::u16string_view t : recogniser.texts)
        if (!t.empty() && text == t) return true;
    return false;
}

Hwnd FindDescendant(Desktop& desktop, Hwnd parent, const Recogniser& recogniser) {
    Hwnd found{};
    if (IsNull(parent)) return found;
    desktop.EnumChildWindows(parent, [&](Hwnd child) {
        if (Matches(desktop, child, recogniser)) {
            found = child;
            return false;
        }
        return true;
    });
    return found;
}

void WalkPopups(Desktop& desktop, Hwnd owner, const std::function<bool(Hwnd)>& visit) {
    if (IsNull(owner)) return;
    BoundedChain(desktop.GetWindow(owner, Relation::EnabledPopup),
                 [&](Hwnd h) { return desktop.GetWindow(h, Relation::Next); }, visit);
}

std::vector<Hwnd> CollectPopups(Desktop& desktop, Hwnd owner) {
    std::vector<Hwnd> popups;
    WalkPopups(desktop, owner, [&](Hwnd h) {
        popups.push_back(h);
        return true;
    });
    return popups;
}

std::vector<Hwnd> CollectTopLevel(Desktop& desktop, const char16_t* className, const char16_t* windowName) {
    std::vector<Hwnd> windows;
    BoundedChain(
        desktop.FindWindowEx(kNoWindow, kNoWindow, className, windowName),
        [&](Hwnd h) { return desktop.FindWindowEx(kNoWindow, h, className, windowName); },
        [&](Hwnd h) {
            windows.push_back(h);
            return true;
        });
    return windows;
}

Hwnd DirectChild(Desktop& desktop, Hwnd parent, const char16_t* className, const char16_t* text) {
    if (IsNull(parent)) return kNoWindow;
    return desktop.FindWindowEx(parent, kNoWindow, className, text);
}

Hwnd After(Desktop& desktop, Hwnd from, int k) {
    Hwnd h = from;
    for (int i = 0; i < k && !IsNull(h); ++i) h = desktop.GetWindow(h, Relation::Next);
    return h;
}

Hwnd Before(Desktop& desktop, Hwnd from, int k) {
    Hwnd h = from;
    for (int i = 0; i < k && !IsNull(h); ++i) h = desktop.GetWindow(h, Relation::Previous);
    return h;
}

int ReadLines(Desktop& desktop, Hwnd edit, std::u16string& text) {
    text.clear();
    const int read = ReadEditLines(desktop, edit, text);
    if (read <= 0) text.clear();
    return read;
}

Hwnd FirstChild(Desktop& desktop, Hwnd window) {
    if (IsNull(window)) return kNoWindow;
    return desktop.GetWindow(window, Relation::Child);
}

std::intptr_t SendCommand(Desktop& desktop, Hwnd target, Hwnd button) {
    return desktop.Send(target, msg::WM_COMMAND, msg::MakeWParam(desktop.GetDlgCtrlID(button), 0),
                        AsLParam(button));
}

bool PostCommand(Desktop& desktop, Hwnd target, Hwnd button) {
    return desktop.Post(target, msg::WM_COMMAND, msg::MakeWParam(desktop.GetDlgCtrlID(button), 0),
                        AsLParam(button));
}

std::intptr_t SendCommandToParent(Desktop& desktop, Hwnd button) {
    if (IsNull(button)) return 0;
    return SendCommand(desktop, desktop.GetParent(button), button);
}

void PressEnter(Desktop& desktop, Hwnd control) {
    desktop.Post(control, msg::WM_KEYDOWN, msg::VK_RETURN, 0);
    desktop.Post(control, msg::WM_KEYUP, msg::VK_RETURN, 0);
}

bool AnswerMessageBox(Desktop& desktop, const char16_t* title, const char16_t* staticText,
                      const char16_t* buttonText) {
    for (Hwnd box : CollectTopLevel(desktop, u"#32770", title)) {
        if (IsNull(DirectChild(desktop, box, u"Static", staticText))) continue;
        const Hwnd button = DirectChild(desktop, box, u"Button", buttonText);
        if (IsNull(button)) continue;
        SendCommand(desktop, box, button);
        return true;
    }
    return false;
}

bool PollEvery100(Desktop& desktop, std::int32_t limit, const std::function<bool()>& probe) {
    for (std::int32_t t = 0; t < limit; t += 100) {
        desktop.Sleep(100);
        if (desktop.NotResponding()) return false;
        if (probe()) return true;
        if (desktop.NotResponding()) return false;
    }
    return false;
}

bool AnswerCloseQuestion(Desktop& desktop, std::int32_t limit) {
    const std::u16string question(kCloseQuestion);
    return PollEvery100(desktop, limit,
                        [&] { return AnswerMessageBox(desktop, u"취소", question.c_str(), u"예(&Y)"); });
}

}  // namespace qm::logi
