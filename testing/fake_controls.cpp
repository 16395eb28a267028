// The standard controls (Behaviour) and their state: every window's default
// procedure, edits, buttons and check boxes, combo boxes, their notifications
// to the command target, and the focus.
#include <algorithm>
#include <stdexcept>

#include "testing/fake_desktop_internal.h"

namespace qm::testing {

namespace m = qm::msg;
using detail::Cut;
using detail::DepthGuard;
using detail::Value;

namespace {

// Start of every line of an edit's text; lines end at "\r\n".
std::vector<std::size_t> LineStarts(const std::u16string& t) {
    std::vector<std::size_t> starts{0};
    for (std::size_t i = 0; i + 1 < t.size(); ++i) {
        if (t[i] == u'\r' && t[i + 1] == u'\n') {
            starts.push_back(i + 2);
            ++i;
        }
    }
    return starts;
}

std::size_t LineLength(const std::u16string& t, const std::vector<std::size_t>& starts, std::size_t line) {
    const std::size_t end = line + 1 < starts.size() ? starts[line + 1] - 2 : t.size();
    return end - starts[line];
}

std::size_t LineFromChar(const std::vector<std::size_t>& starts, std::size_t index) {
    std::size_t line = 0;
    for (std::size_t i = 0; i < starts.size(); ++i) {
        if (starts[i] <= index) line = i;
    }
    return line;
}

}  // namespace

// ---------------------------------------------------------------------------
// State

bool FakeDesktop::IsChecked(Hwnd window) const {
    const Window* w = Find(window);
    return w && w->checked;
}
std::pair<std::size_t, std::size_t> FakeDesktop::Selection(Hwnd edit) const {
    const Window* w = Find(edit);
    return w ? std::make_pair(w->anchor, w->caret) : std::make_pair(std::size_t{0}, std::size_t{0});
}
int FakeDesktop::ComboSelection(Hwnd combo) const {
    const Window* w = Find(combo);
    return w ? w->selection : -1;
}
std::vector<std::u16string> FakeDesktop::ComboItems(Hwnd combo) const {
    const Window* w = Find(combo);
    return w ? w->items : std::vector<std::u16string>{};
}

// ---------------------------------------------------------------------------
// Notifications and focus

void FakeDesktop::Notify(Hwnd control, std::uint16_t code) {
    const Window* w = Find(control);
    if (!w) return;
    const Hwnd target = IsNull(w->commandTarget) ? w->parent : w->commandTarget;
    if (IsNull(target)) return;
    SendInternal(target, m::WM_COMMAND, m::MakeWParam(w->id, code), static_cast<std::intptr_t>(Value(control)));
}

void FakeDesktop::TextChanged(Hwnd window, bool notify) {
    std::vector<std::shared_ptr<TextHook>> hooks;
    for (const auto& e : hooks_) {
        if (e.window == window && e.text) hooks.push_back(e.text);
    }
    for (const auto& hook : hooks) {
        const Window* w = Find(window);
        if (!w) return;
        const std::u16string text = w->Shown();
        DepthGuard guard(depth_);
        (*hook)(window, text);
    }
    if (notify) {
        Notify(window, fakemsg::EN_UPDATE);
        Notify(window, m::EN_CHANGE);
    }
}

void FakeDesktop::FocusTo(Hwnd window) {
    const Window* w = Find(window);
    if (!w) return;
    const int process = w->process;
    const Hwnd old = FocusOf(process);
    if (old == window) return;
    focus_[process] = window;
    if (Find(old)) SendInternal(old, m::WM_KILLFOCUS, Value(window), 0);
    if (Find(window) && FocusOf(process) == window) SendInternal(window, m::WM_SETFOCUS, Value(old), 0);
}

void FakeDesktop::ButtonClicked(Hwnd button) {
    Window* w = Find(button);
    if (!w) return;
    if (w->behaviour == Behaviour::CheckBox) w->checked = !w->checked;
    Notify(button, m::BN_CLICKED);
}

Hwnd FakeDesktop::FocusOf(int process) const {
    auto it = focus_.find(process);
    return it == focus_.end() ? kNoWindow : it->second;
}

void FakeDesktop::SetFocus(Hwnd window) { FocusTo(window); }

// ---------------------------------------------------------------------------
// Default behaviours

std::intptr_t FakeDesktop::Default(Window& w, Message& msg) {
    switch (w.behaviour) {
    case Behaviour::Edit: return EditProc(w, msg);
    case Behaviour::Button:
    case Behaviour::CheckBox: return ButtonProc(w, msg);
    case Behaviour::Combo: return ComboProc(w, msg);
    default: return DefWindow(w, msg);
    }
}

std::intptr_t FakeDesktop::DefWindow(Window& w, Message& msg) {
    const Hwnd h = w.handle;
    switch (msg.message) {
    case m::WM_SETTEXT:
        w.Shown() = msg.text ? *msg.text : std::u16string();
        if (!w.SeparateText()) TextChanged(h, false);
        return 1;
    case m::WM_GETTEXT: {
        if (!msg.reply) return 0;
        *msg.reply = Cut(w.Shown(), msg.units == 0 ? 0 : msg.units - 1);
        return static_cast<std::intptr_t>(msg.reply->size());
    }
    case m::WM_GETTEXTLENGTH:
        return static_cast<std::intptr_t>(w.Shown().size());
    case m::WM_SYSCOMMAND:
        if ((msg.wParam & 0xFFF0u) == m::SC_CLOSE) SendInternal(h, m::WM_CLOSE, 0, 0);
        return 0;
    case m::WM_CLOSE:
        DestroyTree(h);
        return 0;
    default:
        break;
    }
    if (w.page) {
        auto it = registered_.find(u"WM_HTML_GETOBJECT");
        if (it != registered_.end() && it->second == msg.message) {
            const std::intptr_t token = nextToken_++;
            tokens_[token] = w.page;
            return token;
        }
    }
    return 0;
}

std::intptr_t FakeDesktop::EditProc(Window& w, Message& msg) {
    const Hwnd h = w.handle;
    std::u16string& t = w.text;
    auto lo = [&w] { return std::min(w.anchor, w.caret); };
    auto hi = [&w] { return std::max(w.anchor, w.caret); };
    // Replaces [from, to) with `with`, leaves the caret after it and notifies.
    auto replace = [&](std::size_t from, std::size_t to, const std::u16string& with) {
        if (from == to && with.empty()) return;
        t.replace(from, to - from, with);
        w.anchor = w.caret = from + with.size();
        TextChanged(h, true);
    };
    switch (msg.message) {
    case m::WM_SETTEXT:
        t = msg.text ? *msg.text : std::u16string();
        w.anchor = w.caret = 0;
        TextChanged(h, !w.multiline);
        return 1;
    case m::WM_CHAR: {
        if (w.readOnly) return 0;
        const auto c = static_cast<char16_t>(msg.wParam & 0xFFFFu);
        if (c == u'\b') {
            if (lo() != hi()) {
                replace(lo(), hi(), u"");
            } else if (w.caret > 0) {
                const bool lineBreak = w.caret >= 2 && t[w.caret - 2] == u'\r' && t[w.caret - 1] == u'\n';
                const std::size_t n = lineBreak ? 2 : 1;
                replace(w.caret - n, w.caret, u"");
            }
        } else if (c == u'\r' || c == u'\n') {
            if (w.multiline) replace(lo(), hi(), u"\r\n");
        } else if (c == u'\t') {
            if (w.multiline) replace(lo(), hi(), u"\t");
        } else if (c >= 0x20 && c != 0x7F) {
            replace(lo(), hi(), std::u16string(1, c));
        }
        return 0;
    }
    case m::WM_KEYDOWN: {
        // Every key is answered with 1, handled or not, as Wine's edit control does.
        const auto starts = LineStarts(t);
        const std::size_t line = LineFromChar(starts, w.caret);
        switch (msg.wParam) {
        case m::VK_DELETE:
            if (w.readOnly) return 1;
            if (lo() != hi()) {
                replace(lo(), hi(), u"");
            } else if (w.caret < t.size()) {
                const bool lineBreak = t[w.caret] == u'\r' && w.caret + 1 < t.size() && t[w.caret + 1] == u'\n';
                replace(w.caret, w.caret + (lineBreak ? 2 : 1), u"");
            }
            return 1;
        case fakemsg::VK_HOME: w.anchor = w.caret = starts[line]; return 1;
        case fakemsg::VK_END: w.anchor = w.caret = starts[line] + LineLength(t, starts, line); return 1;
        case fakemsg::VK_LEFT:
            if (w.caret > 0) w.caret -= (w.caret >= 2 && t[w.caret - 2] == u'\r' && t[w.caret - 1] == u'\n') ? 2 : 1;
            w.anchor = w.caret;
            return 1;
        case fakemsg::VK_RIGHT:
            if (w.caret < t.size()) {
                w.caret += (t[w.caret] == u'\r' && w.caret + 1 < t.size() && t[w.caret + 1] == u'\n') ? 2 : 1;
            }
            w.anchor = w.caret;
            return 1;
        default:
            return 1;
        }
    }
    case m::WM_LBUTTONDOWN: {
        const Point p{m::SignedLowWord(msg.lParam), m::SignedHighWord(msg.lParam)};
        std::size_t pos = w.caretRule ? w.caretRule(t, p)
                                      : ((p.x >= 0 && p.x < 16 && p.y >= 0 && p.y < 16) ? 0 : t.size());
        pos = std::min(pos, t.size());
        w.caret = pos;
        if ((msg.wParam & 0x0004u) == 0) w.anchor = pos;  // MK_SHIFT extends the selection
        FocusTo(h);
        return 0;
    }
    case m::WM_LBUTTONUP:
        return 0;
    case m::EM_SETSEL: {
        const auto start = static_cast<std::uint32_t>(msg.wParam);
        const auto end = static_cast<std::uint32_t>(msg.lParam);
        if (start == 0xFFFFFFFFu) {
            w.anchor = w.caret;  // -1: no selection, the caret stays
            return 1;
        }
        w.anchor = std::min<std::size_t>(start, t.size());
        w.caret = std::min<std::size_t>(end, t.size());
        return 1;
    }
    case fakemsg::EM_GETSEL:
        return m::MakeLParam(static_cast<int>(std::min<std::size_t>(lo(), 0xFFFF)),
                             static_cast<int>(std::min<std::size_t>(hi(), 0xFFFF)));
    case m::EM_GETLINECOUNT:
        return w.multiline ? static_cast<std::intptr_t>(LineStarts(t).size()) : 1;
    case m::EM_LINEINDEX: {
        if (!w.multiline) return static_cast<std::int32_t>(msg.wParam) <= 0 ? 0 : -1;
        const auto starts = LineStarts(t);
        auto line = static_cast<std::int64_t>(static_cast<std::int32_t>(msg.wParam));
        if (line == -1) line = static_cast<std::int64_t>(LineFromChar(starts, w.caret));
        if (line < 0 || static_cast<std::size_t>(line) >= starts.size()) return -1;
        return static_cast<std::intptr_t>(starts[static_cast<std::size_t>(line)]);
    }
    case m::EM_LINELENGTH: {
        if (!w.multiline) return static_cast<std::intptr_t>(t.size());
        const auto starts = LineStarts(t);
        const auto index = static_cast<std::int64_t>(static_cast<std::int32_t>(msg.wParam));
        if (index == -1) {
            // The unselected characters of the lines that hold the selection.
            const std::size_t first = LineFromChar(starts, lo());
            const std::size_t last = LineFromChar(starts, hi());
            return static_cast<std::intptr_t>((lo() - starts[first]) +
                                              (starts[last] + LineLength(t, starts, last) - hi()));
        }
        if (index < 0 || static_cast<std::size_t>(index) > t.size()) return 0;
        return static_cast<std::intptr_t>(LineLength(t, starts, LineFromChar(starts, static_cast<std::size_t>(index))));
    }
    case m::EM_GETLINE: {
        if (!msg.reply) return 0;
        const auto starts = LineStarts(t);
        std::size_t line = 0;
        if (w.multiline) {
            const auto asked = static_cast<std::int64_t>(static_cast<std::int32_t>(msg.wParam));
            if (asked < 0 || static_cast<std::size_t>(asked) >= starts.size()) {
                msg.reply->clear();
                return 0;
            }
            line = static_cast<std::size_t>(asked);
        }
        const std::size_t length = w.multiline ? LineLength(t, starts, line) : t.size();
        const std::size_t begin = w.multiline ? starts[line] : 0;
        *msg.reply = t.substr(begin, std::min(length, msg.units));
        return static_cast<std::intptr_t>(msg.reply->size());
    }
    default:
        return DefWindow(w, msg);
    }
}

std::intptr_t FakeDesktop::ButtonProc(Window& w, Message& msg) {
    const Hwnd h = w.handle;
    switch (msg.message) {
    case m::WM_LBUTTONDOWN:
        w.mouseDown = true;
        w.pushed = true;
        FocusTo(h);
        return 0;
    case m::WM_LBUTTONUP: {
        if (!w.mouseDown) return 0;
        w.mouseDown = false;
        if (!w.pushed) return 0;
        w.pushed = false;
        const Rect c = ClientRect(w);
        const Point p{m::SignedLowWord(msg.lParam), m::SignedHighWord(msg.lParam)};
        if (p.x >= 0 && p.y >= 0 && p.x < c.right - c.left && p.y < c.bottom - c.top) ButtonClicked(h);
        return 0;
    }
    case m::WM_KEYDOWN:
        if (msg.wParam == m::VK_SPACE) {
            w.spaceDown = true;
            w.pushed = true;
            FocusTo(h);
        }
        return 0;
    case m::WM_KEYUP:
        if (msg.wParam == m::VK_SPACE && w.spaceDown) {
            w.spaceDown = false;
            if (w.pushed) {
                w.pushed = false;
                ButtonClicked(h);
            }
        }
        return 0;
    case m::BM_SETSTATE:
        w.pushed = msg.wParam != 0;
        return 0;
    case fakemsg::BM_GETSTATE: {
        std::intptr_t state = w.checked ? 1 : 0;
        if (w.pushed) state |= fakemsg::BST_PUSHED;
        if (FocusOf(w.process) == h) state |= fakemsg::BST_FOCUS;
        return state;
    }
    case m::BM_CLICK:
        SendInternal(h, m::WM_LBUTTONDOWN, 0, 0);
        SendInternal(h, m::WM_LBUTTONUP, 0, 0);
        return 0;
    case m::BM_GETCHECK:
        return w.checked ? 1 : 0;
    case m::BM_SETCHECK:
        if (w.behaviour == Behaviour::CheckBox) w.checked = msg.wParam != 0;
        return 0;
    default:
        return DefWindow(w, msg);
    }
}

std::intptr_t FakeDesktop::ComboProc(Window& w, Message& msg) {
    const Hwnd h = w.handle;
    const auto count = static_cast<std::intptr_t>(w.items.size());
    auto select = [&](int index) {
        w.selection = index;
        w.text = index >= 0 ? w.items[static_cast<std::size_t>(index)] : std::u16string();
        TextChanged(h, false);
    };
    switch (msg.message) {
    case m::WM_SETTEXT:
        // A drop-down list has no edit box to take the text.
        if (!w.editable) return m::CB_ERR;
        w.text = msg.text ? *msg.text : std::u16string();
        TextChanged(h, false);
        return 1;
    case m::CB_ADDSTRING:
        if (!msg.text) throw std::invalid_argument("FakeDesktop: CB_ADDSTRING needs a text (AddComboItem)");
        w.items.push_back(*msg.text);
        return count;
    case m::CB_GETCOUNT:
        return count;
    case m::CB_GETCURSEL:
        return w.selection;
    case m::CB_SETCURSEL: {
        const auto index = static_cast<std::int64_t>(static_cast<std::int32_t>(msg.wParam));
        if (index == -1) {
            select(-1);
            return m::CB_ERR;
        }
        if (index < 0 || index >= count) return m::CB_ERR;
        select(static_cast<int>(index));
        return static_cast<std::intptr_t>(index);
    }
    case m::CB_GETLBTEXTLEN: {
        const auto index = static_cast<std::int64_t>(static_cast<std::int32_t>(msg.wParam));
        if (index < 0 || index >= count) return m::CB_ERR;
        return static_cast<std::intptr_t>(w.items[static_cast<std::size_t>(index)].size());
    }
    case m::CB_GETLBTEXT: {
        const auto index = static_cast<std::int64_t>(static_cast<std::int32_t>(msg.wParam));
        if (index < 0 || index >= count) return m::CB_ERR;
        if (msg.reply) *msg.reply = w.items[static_cast<std::size_t>(index)];
        return static_cast<std::intptr_t>(w.items[static_cast<std::size_t>(index)].size());
    }
    case fakemsg::CB_RESETCONTENT:
        w.items.clear();
        select(-1);
        return 0;
    case m::WM_KEYDOWN: {
        int next = w.selection;
        if (msg.wParam == m::VK_DOWN) next = w.selection + 1;
        if (msg.wParam == fakemsg::VK_UP) next = w.selection < 0 ? 0 : w.selection - 1;
        if (next == w.selection || next < 0 || next >= count) return 0;
        select(next);
        Notify(h, m::CBN_SELCHANGE);
        return 0;
    }
    case m::WM_LBUTTONDOWN:
        FocusTo(h);
        return 0;
    default:
        return DefWindow(w, msg);
    }
}

// ---------------------------------------------------------------------------
// What the dispatch program does to its controls

std::intptr_t FakeDesktop::HostSetText(Hwnd window, const std::u16string& text) {
    Message msg{window, m::WM_SETTEXT};
    msg.text = &text;
    return Deliver(msg);
}

std::u16string FakeDesktop::HostGetText(Hwnd window) {
    std::u16string reply;
    Message msg{window, m::WM_GETTEXT};
    const Window* w = Find(window);
    msg.units = w ? w->Shown().size() + 1 : 0;
    msg.wParam = msg.units;
    msg.reply = &reply;
    const auto n = Deliver(msg);
    return Cut(reply, n < 0 ? 0 : static_cast<std::size_t>(n));
}

int FakeDesktop::AddComboItem(Hwnd combo, const std::u16string& item) {
    Message msg{combo, m::CB_ADDSTRING};
    msg.text = &item;
    return static_cast<int>(Deliver(msg));
}

void FakeDesktop::SetChecked(Hwnd checkBox, bool checked) { SendInternal(checkBox, m::BM_SETCHECK, checked ? 1 : 0, 0); }

}  // namespace qm::testing
