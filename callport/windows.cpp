#include "callport/windows.h"

#include <unordered_set>

#include "callport/call_port.h"
#include "callport/text.h"
#include "callport/wait.h"
#include "core/result_codes.h"
#include "platform/messages.h"

namespace qm {
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

bool AnyText(const Recogniser& r) {
    for (std::u16string_view t : r.texts)
        if (!t.empty()) return false;
    return true;
}

bool TextMatches(const Recogniser& r, std::u16string_view text) {
    for (std::u16string_view t : r.texts) {
        if (t.empty()) continue;
        if (r.match == TextMatch::Exact ? text == t : Contains(text, t)) return true;
    }
    return false;
}

// The direct children of parent of className in z-order, bounded.
void WalkDirectChildren(Desktop& desktop, Hwnd parent, const char16_t* className,
                        const std::function<bool(Hwnd)>& visit) {
    if (IsNull(parent)) return;
    BoundedChain(desktop.FindWindowEx(parent, kNoWindow, className, nullptr),
                 [&](Hwnd h) { return desktop.FindWindowEx(parent, h, className, nullptr); }, visit);
}

}  // namespace

const std::u16string& ClassNames::Of(Hwnd window) {
    const auto key = static_cast<std::uintptr_t>(window);
    auto it = names_.find(key);
    if (it == names_.end()) it = names_.emplace(key, desktop_.GetClassName(window, kNameChars)).first;
    return it->second;
}

std::u16string ClassOf(Desktop& desktop, Hwnd window, ClassNames* names) {
    return names != nullptr ? names->Of(window) : desktop.GetClassName(window, kNameChars);
}

bool Matches(Desktop& desktop, Hwnd window, const Recogniser& recogniser, ClassNames* names) {
    if (ClassOf(desktop, window, names) != recogniser.className) return false;
    if (AnyText(recogniser)) return true;
    return TextMatches(recogniser, desktop.GetWindowText(window, kNameChars));
}

Hwnd FindDescendant(Desktop& desktop, Hwnd parent, const Recogniser& recogniser, ClassNames* names) {
    Hwnd found{};
    if (IsNull(parent)) return found;
    desktop.EnumChildWindows(parent, [&](Hwnd child) {
        if (Matches(desktop, child, recogniser, names)) {
            found = child;
            return false;
        }
        return true;
    });
    return found;
}

Hwnd FindBrowser(Desktop& desktop, Hwnd mapWindow) {
    constexpr std::u16string_view kBrowserClass = u"Internet Explorer_Server";
    constexpr std::size_t kBrowserClassChars = 100;
    Hwnd browser{};
    if (IsNull(mapWindow)) return browser;
    desktop.EnumChildWindows(mapWindow, [&](Hwnd child) {
        if (desktop.GetClassName(child, kBrowserClassChars) != kBrowserClass) return true;
        browser = child;
        return false;
    });
    return browser;
}

Hwnd DirectChild(Desktop& desktop, Hwnd parent, const char16_t* className, const char16_t* text) {
    if (IsNull(parent)) return kNoWindow;
    return desktop.FindWindowEx(parent, kNoWindow, className, text);
}

Hwnd DirectChild(Desktop& desktop, Hwnd parent, const Recogniser& recogniser) {
    if (IsNull(parent)) return kNoWindow;
    const std::u16string className(recogniser.className);
    if (recogniser.match == TextMatch::Exact || AnyText(recogniser)) {
        if (AnyText(recogniser)) return DirectChild(desktop, parent, className.c_str(), nullptr);
        for (std::u16string_view t : recogniser.texts) {
            if (t.empty()) continue;
            const Hwnd found = DirectChild(desktop, parent, className.c_str(), std::u16string(t).c_str());
            if (!IsNull(found)) return found;
        }
        return kNoWindow;
    }
    Hwnd found{};
    WalkDirectChildren(desktop, parent, className.c_str(), [&](Hwnd child) {
        if (!TextMatches(recogniser, desktop.GetWindowText(child, kNameChars))) return true;
        found = child;
        return false;
    });
    return found;
}

Hwnd ChildDialogHolding(Desktop& desktop, Hwnd parent, const char16_t* dialogClass, const Recogniser& recogniser,
                        Hwnd* holder) {
    Hwnd found{};
    WalkDirectChildren(desktop, parent, dialogClass, [&](Hwnd dialog) {
        const Hwnd child = DirectChild(desktop, dialog, recogniser);
        if (IsNull(child)) return true;
        found = child;
        if (holder != nullptr) *holder = dialog;
        return false;
    });
    return found;
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

Hwnd FirstChild(Desktop& desktop, Hwnd window) {
    if (IsNull(window)) return kNoWindow;
    return desktop.GetWindow(window, Relation::Child);
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

int ReadLines(Desktop& desktop, Hwnd edit, std::u16string& text) {
    text.clear();
    const int read = ReadEditLines(desktop, edit, text);
    if (read <= 0) text.clear();
    return read;
}

std::intptr_t SendCommand(Desktop& desktop, Hwnd target, Hwnd button) {
    return desktop.Send(target, msg::WM_COMMAND, msg::MakeWParam(desktop.GetDlgCtrlID(button), 0),
                        AsLParam(button));
}

bool PostUnlessNotResponding(Desktop& desktop, Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                             std::intptr_t lParam) {
    if (desktop.NotResponding()) return false;
    return desktop.Post(window, message, wParam, lParam);
}

bool WindowExists(Desktop& desktop, Hwnd window) {
    return !IsNull(window) && !desktop.GetClassName(window, kNameChars).empty();
}

int FinishingWindowGone(std::u16string& message) {
    message = u"The order's window was gone before its finishing button could be pressed.";
    return result::kOrderWindowNotFound;
}

int ReadWindowGone(std::u16string& message) {
    message = u"The order's window was gone before everything it showed had been read.";
    return result::kOrderWindowNotFound;
}

Abandoned AbandonedWindow(Desktop& desktop, Hwnd window) {
    return {window, WindowExists(desktop, window)};
}

void ConfirmAbandoned(Desktop& desktop, const Abandoned& abandoned, std::int32_t limitMs, std::u16string& message) {
    if (IsNull(abandoned.window)) return;
    if (!abandoned.existed) {
        if (message.empty())
            message = u"The entry window closed before the entry was done: the dispatch program may hold what was "
                      u"typed until then.";
        return;
    }
    const bool gone = ProbeThenSleep(desktop, limitMs, [&] {
        const std::optional<WindowInfo> info = desktop.GetWindowInfo(abandoned.window);
        return !info || (info->style & msg::WS_VISIBLE) == 0;
    });
    if (!gone && !desktop.NotResponding() && message.empty()) message = u"Abandoned, but the entry window was left open.";
}

bool PostCommand(Desktop& desktop, Hwnd target, Hwnd button) {
    return PostUnlessNotResponding(desktop, target, msg::WM_COMMAND, msg::MakeWParam(desktop.GetDlgCtrlID(button), 0),
                        AsLParam(button));
}

std::intptr_t SendCommandToParent(Desktop& desktop, Hwnd button) {
    if (IsNull(button)) return 0;
    return SendCommand(desktop, desktop.GetParent(button), button);
}

void PressEnter(Desktop& desktop, Hwnd control) {
    PostUnlessNotResponding(desktop, control, msg::WM_KEYDOWN, msg::VK_RETURN, 0);
    PostUnlessNotResponding(desktop, control, msg::WM_KEYUP, msg::VK_RETURN, 0);
}

int AnswerMessageBoxes(Desktop& desktop, const MessageBoxRule& rule, Answer answer) {
    const std::u16string buttonText(rule.button);
    auto hasChild = [&](Hwnd box, const Recogniser& r) {
        if (r.match == TextMatch::Exact) return !IsNull(DirectChild(desktop, box, r));
        // A contained text is read with the rule's length, not the recogniser's.
        bool found = false;
        const std::u16string className(r.className);
        WalkDirectChildren(desktop, box, className.c_str(), [&](Hwnd child) {
            found = TextMatches(r, desktop.GetWindowText(child, rule.textChars));
            return !found;
        });
        return found;
    };
    int answered = 0;
    for (Hwnd box : CollectTopLevel(desktop, rule.boxClass, rule.title)) {
        if (desktop.NotResponding()) break;
        Hwnd button{};
        if (!buttonText.empty()) button = DirectChild(desktop, box, u"Button", buttonText.c_str());
        bool accepted = true;
        for (std::size_t i = 0; i < rule.mustHave.size() && accepted; ++i) {
            const Recogniser& r = rule.mustHave[i];
            if (r.className.empty() && AnyText(r)) continue;
            if (rule.place == ButtonPlace::BeforeText && i == 0) {
                // The text window after the button, of any class unless one is named.
                const Hwnd text = After(desktop, button, 1);
                accepted = !IsNull(text) &&
                           (r.className.empty() || desktop.GetClassName(text, kNameChars) == r.className) &&
                           (AnyText(r) || TextMatches(r, desktop.GetWindowText(text, rule.textChars)));
            } else {
                accepted = hasChild(box, r);
            }
        }
        if (!accepted) continue;
        if (rule.press == Press::SysClose) {
            desktop.Send(box, msg::WM_SYSCOMMAND, msg::SC_CLOSE, 0);
        } else if (IsNull(button)) {
            if (answer == Answer::FirstBox) break;
            continue;
        } else {
            SendCommand(desktop, box, button);
        }
        ++answered;
        if (answer != Answer::Every) break;
    }
    return answered;
}

}  // namespace qm
