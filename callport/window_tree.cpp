// Reading a dispatch program's window tree at once, through the port.
#include "callport/window_tree.h"

#include <algorithm>
#include <array>
#include <utility>

#include "callport/windows.h"
#include "platform/messages.h"

namespace qm {

namespace {

constexpr std::array<std::pair<WindowKind, std::string_view>, 7> kKindNames{{
    {WindowKind::Container, "container"},
    {WindowKind::Dialog, "dialog"},
    {WindowKind::Edit, "edit"},
    {WindowKind::Button, "button"},
    {WindowKind::CheckBox, "check box"},
    {WindowKind::Label, "label"},
    {WindowKind::Combo, "combo"},
}};

// Class names compare without regard to ASCII case, as Windows compares them.
std::string Lower(std::u16string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char16_t c : s) out += (c >= u'A' && c <= u'Z') ? static_cast<char>(c - u'A' + 'a') : c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

// A text read into a buffer one unit longer than kept, so that a longer one is known cut.
std::u16string Kept(std::u16string text, bool& cut) {
    cut = text.size() > kTreeTextUnits;
    if (cut) text.resize(kTreeTextUnits);
    return text;
}

void ReadContents(Desktop& desktop, WindowRecord& w) {
    switch (w.kind) {
    case WindowKind::Edit: {
        w.shown = Kept(desktop.SendGetText(w.handle, kTreeTextUnits + 2), w.shownCut);
        const std::intptr_t count = desktop.Send(w.handle, msg::EM_GETLINECOUNT, 0, 0);
        const auto lines = static_cast<std::size_t>(std::clamp<std::intptr_t>(count, 0, kTreeMaxLines));
        for (std::size_t i = 0; i < lines && !desktop.NotResponding(); ++i) {
            const std::intptr_t first = desktop.Send(w.handle, msg::EM_LINEINDEX, i, 0);
            const std::intptr_t length =
                first < 0 ? 0 : desktop.Send(w.handle, msg::EM_LINELENGTH, static_cast<std::uintptr_t>(first), 0);
            const auto units = static_cast<std::size_t>(std::clamp<std::intptr_t>(length, 0, kTreeTextUnits));
            std::u16string line = units == 0 ? std::u16string() : desktop.SendGetLine(w.handle, static_cast<int>(i), units);
            if (line.size() > units) line.resize(units);
            w.lines.push_back(std::move(line));
        }
        break;
    }
    case WindowKind::Combo: {
        w.shown = Kept(desktop.SendGetText(w.handle, kTreeTextUnits + 2), w.shownCut);
        const std::intptr_t count = desktop.Send(w.handle, msg::CB_GETCOUNT, 0, 0);
        const auto items = static_cast<std::size_t>(std::clamp<std::intptr_t>(count, 0, kTreeMaxItems));
        for (std::size_t i = 0; i < items && !desktop.NotResponding(); ++i) {
            bool cut = false;
            w.items.push_back(Kept(desktop.SendGetComboItem(w.handle, static_cast<int>(i)).value_or(u""), cut));
        }
        const std::intptr_t selection = desktop.Send(w.handle, msg::CB_GETCURSEL, 0, 0);
        w.selection = selection >= 0 && static_cast<std::size_t>(selection) < w.items.size() ? static_cast<int>(selection) : -1;
        break;
    }
    case WindowKind::CheckBox:
        w.checked = desktop.Send(w.handle, msg::BM_GETCHECK, 0, 0) == msg::BST_CHECKED;
        break;
    default:
        break;
    }
}

WindowRecord ReadOne(Desktop& desktop, Hwnd window, Hwnd parent) {
    WindowRecord w;
    w.handle = window;
    w.parent = parent;
    if (IsNull(parent)) w.owner = desktop.GetWindow(window, Relation::Owner);
    w.process = desktop.GetWindowProcessId(window);
    w.className = desktop.GetClassName(window, 256);
    w.caption = Kept(desktop.GetWindowText(window, kTreeTextUnits + 1), w.captionCut);
    if (!IsNull(parent)) w.id = desktop.GetDlgCtrlID(window);
    w.info = desktop.GetWindowInfo(window);
    if (w.info) w.style = w.info->style;
    w.kind = KindOf(w.className, w.style);
    ReadContents(desktop, w);
    return w;
}

}  // namespace

std::string_view KindName(WindowKind kind) {
    for (const auto& [k, name] : kKindNames)
        if (k == kind) return name;
    return "container";
}

std::optional<WindowKind> KindNamed(std::string_view name) {
    for (const auto& [k, n] : kKindNames)
        if (n == name) return k;
    return std::nullopt;
}

WindowKind KindOf(std::u16string_view className, std::uint32_t style) {
    const std::string c = Lower(className);
    auto has = [&](std::string_view part) { return c.find(part) != std::string::npos; };
    if (c == "#32770") return WindowKind::Dialog;
    if (has("combo")) return WindowKind::Combo;
    if (has("edit") || has("memo") || has("textbox")) return WindowKind::Edit;
    if (c == "button") {
        const std::uint32_t type = style & msg::BS_TYPEMASK;
        const bool check = type == msg::BS_CHECKBOX || type == msg::BS_AUTOCHECKBOX || type == 5 || type == 6;  // 3-state too
        return check ? WindowKind::CheckBox : WindowKind::Button;
    }
    if (has("checkbox")) return WindowKind::CheckBox;
    if (has("button")) return WindowKind::Button;
    if (c == "static" || has("label")) return WindowKind::Label;
    return WindowKind::Container;
}

bool WindowRecord::Visible() const { return (style & msg::WS_VISIBLE) != 0; }
bool WindowRecord::Enabled() const { return (style & msg::WS_DISABLED) == 0; }
bool WindowRecord::Child() const { return (style & msg::WS_CHILD) != 0; }
bool WindowRecord::Popup() const { return (style & msg::WS_POPUP) != 0; }

std::vector<Hwnd> TopLevelWindowsOf(Desktop& desktop, const std::set<std::uint32_t>& processes) {
    std::vector<Hwnd> windows;
    std::set<Hwnd> seen;
    Hwnd h = desktop.FindWindowEx(kNoWindow, kNoWindow, nullptr, nullptr);
    for (std::size_t steps = 0; !IsNull(h) && steps < kTreeMaxWindows && seen.insert(h).second; ++steps) {
        if (processes.count(desktop.GetWindowProcessId(h)) != 0) windows.push_back(h);
        h = desktop.FindWindowEx(kNoWindow, h, nullptr, nullptr);
    }
    return windows;
}

WindowTree ReadWindowTree(Desktop& desktop, const std::vector<Hwnd>& topLevel) {
    WindowTree tree;
    std::set<Hwnd> seen;
    auto full = [&] {
        if (tree.windows.size() < kTreeMaxWindows) return false;
        if (!tree.partial) {
            tree.partial = true;
            tree.partialReason = "the program has more than " + std::to_string(kTreeMaxWindows) + " windows";
        }
        return true;
    };
    // Depth first in z-order: a window, then its children, then its next sibling.
    struct Pending {
        Hwnd window;
        Hwnd parent;
    };
    for (Hwnd top : topLevel) {
        std::vector<Pending> stack{{top, kNoWindow}};
        while (!stack.empty() && !full()) {
            const Pending p = stack.back();
            stack.pop_back();
            if (!seen.insert(p.window).second) continue;  // the z-order changed under the walk
            tree.windows.push_back(ReadOne(desktop, p.window, p.parent));
            std::vector<Hwnd> children;
            Hwnd c = desktop.GetWindow(p.window, Relation::Child);
            for (std::size_t steps = 0; !IsNull(c) && steps < kMaxWalkSteps; ++steps) {
                children.push_back(c);
                c = desktop.GetWindow(c, Relation::Next);
            }
            for (auto it = children.rbegin(); it != children.rend(); ++it) stack.push_back({*it, p.window});
        }
    }
    if (desktop.NotResponding() && !tree.partial) {
        tree.partial = true;
        tree.partialReason = "the program stopped answering while its windows were read";
    }
    return tree;
}

}  // namespace qm
