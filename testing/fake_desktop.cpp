#include "testing/fake_desktop.h"

#include <algorithm>
#include <stdexcept>

namespace qm::testing {

namespace m = qm::msg;

struct FakeDesktop::Window {
    Hwnd handle{};
    Behavior behavior = Behavior::Container;
    std::u16string className;
    std::u16string caption;  // the window's own text (DefWindowProc's)
    std::u16string text;     // what an edit or combo box shows
    int id = 0;
    Hwnd parent{};
    Hwnd owner{};
    Hwnd notify{};
    Rect rect{};
    Insets frame{};
    bool visible = true;
    bool enabled = true;
    bool minimized = false;
    bool overlapped = false;
    bool multiline = true;
    bool readOnly = false;
    bool editable = false;  // ComboBox: has an edit box
    int process = 1;
    std::vector<Hwnd> children;  // z-order, top (first created) first
    // Edit.
    std::size_t anchor = 0;
    std::size_t caret = 0;
    CaretRule caretRule;
    // Button.
    bool checked = false;
    bool pushed = false;
    bool mouseDown = false;
    bool spaceDown = false;
    // ComboBox.
    std::vector<std::u16string> items;
    int selected = -1;
    // Failures and life.
    bool hung = false;
    bool infoFails = false;
    bool destroying = false;
    std::shared_ptr<FakePage> page;

    bool SeparateText() const { return behavior == Behavior::Edit || behavior == Behavior::ComboBox; }
    std::u16string& Shown() { return SeparateText() ? text : caption; }
    const std::u16string& Shown() const { return SeparateText() ? text : caption; }
};

namespace {

// Counts the nesting of hooks, default behaviours and timers, so that a
// re-entrant Sleep can be refused, and stays right when a hook throws.
class DepthGuard {
public:
    explicit DepthGuard(int& depth) : depth_(depth) { ++depth_; }
    ~DepthGuard() { --depth_; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

private:
    int& depth_;
};

// The upper-case partner of a lower-case letter whose partner maps back to it,
// else the unit itself; the ranges are listed with the lookups in the header.
char16_t FoldCase(char16_t c) {
    const auto minus = [c](int n) { return static_cast<char16_t>(c - n); };
    const bool odd = (c & 1u) != 0;
    if (c < 0x80) return (c >= u'a' && c <= u'z') ? minus(0x20) : c;
    if (c < 0x100) {
        if (c == 0xFF) return 0x178;                                   // ÿ Ÿ
        return (c >= 0xE0 && c <= 0xFE && c != 0xF7) ? minus(0x20) : c;  // not ÷, µ or ß
    }
    if (c < 0x180) {
        // Pairs, upper case first: U+0100..U+0137 and U+014A..U+0177 from an
        // even unit, U+0139..U+0148 and U+0179..U+017E from an odd one. Dotless
        // i (U+0131), kra (U+0138), 'n (U+0149) and long s (U+017F) have none.
        if (c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
        if ((c <= 0x137 || (c >= 0x14A && c <= 0x177)) && odd) return minus(1);
        if (((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) && !odd) return minus(1);
        return c;
    }
    if (c >= 0x370 && c < 0x400) {
        if (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) return minus(0x20);  // not final sigma
        if (c == 0x3AC) return 0x386;
        if (c >= 0x3AD && c <= 0x3AF) return minus(0x25);
        if (c == 0x3CC) return 0x38C;
        if (c == 0x3CD || c == 0x3CE) return minus(0x3F);
        if (((c >= 0x370 && c <= 0x373) || c == 0x376 || c == 0x377 || (c >= 0x3D8 && c <= 0x3EF)) && odd) {
            return minus(1);
        }
        switch (c) {
        case 0x37B: case 0x37C: case 0x37D: return static_cast<char16_t>(c + 0x82);  // ͻ Ͻ
        case 0x3D7: return 0x3CF;
        case 0x3F2: return 0x3F9;
        case 0x3F3: return 0x37F;
        case 0x3F8: return 0x3F7;
        case 0x3FB: return 0x3FA;
        default: return c;
        }
    }
    if (c >= 0x400 && c < 0x530) {
        if (c >= 0x430 && c <= 0x44F) return minus(0x20);
        if (c >= 0x450 && c <= 0x45F) return minus(0x50);
        if (c == 0x4CF) return 0x4C0;
        // Pairs: U+0460..U+0481, U+048A..U+04BF and U+04D0..U+052F from an even
        // unit, U+04C1..U+04CE from an odd one.
        if (((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF) || c >= 0x4D0) && odd) return minus(1);
        if (c >= 0x4C1 && c <= 0x4CE && !odd) return minus(1);
        return c;
    }
    if (c >= 0xFF41 && c <= 0xFF5A) return minus(0x20);  // full-width a..z
    return c;
}

std::u16string Fold(const std::u16string& s) {
    std::u16string out(s);
    for (auto& c : out) c = FoldCase(c);
    return out;
}

bool EqualsFold(const std::u16string& a, const char16_t* b) {
    std::size_t i = 0;
    for (; i < a.size(); ++i) {
        if (b[i] == u'\0' || FoldCase(a[i]) != FoldCase(b[i])) return false;
    }
    return b[i] == u'\0';
}

std::uintptr_t Value(Hwnd h) { return static_cast<std::uintptr_t>(h); }

// Messages whose lParam (or wParam) points into the sender's memory: they can
// only travel through the typed calls, and PostMessage refuses them.
bool CarriesPointer(std::uint32_t message) {
    switch (message) {
    case m::WM_SETTEXT:
    case m::WM_GETTEXT:
    case m::EM_GETLINE:
    case m::CB_GETLBTEXT:
    case m::CB_ADDSTRING:
    case fakemsg::EM_GETSEL:
        return true;
    default:
        return false;
    }
}

void CheckNoPointer(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    const bool pointer = CarriesPointer(message) &&
                         (lParam != 0 || (message == fakemsg::EM_GETSEL && wParam != 0));
    if (pointer) {
        throw std::invalid_argument(
            "FakeDesktop: a message with a buffer pointer cannot be sent raw; use the typed "
            "call (SendGetText, SendSetText, SendGetLine, SendGetComboItem, AddComboItem)");
    }
}

bool Contains(const Rect& r, Point p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

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

std::u16string Cut(std::u16string s, std::size_t n) {
    const auto nul = s.find(u'\0');
    if (nul != std::u16string::npos) s.resize(nul);
    if (s.size() > n) s.resize(n);
    return s;
}

}  // namespace

FakeDesktop::FakeDesktop() = default;

FakeDesktop::~FakeDesktop() {
    for (auto& [handle, window] : windows_) {
        if (window->page) window->page->attached_ = false;
    }
}

// ---------------------------------------------------------------------------
// The tree

FakeDesktop::Window* FakeDesktop::Find(Hwnd window) {
    auto it = windows_.find(Value(window));
    return it == windows_.end() ? nullptr : it->second.get();
}

const FakeDesktop::Window* FakeDesktop::Find(Hwnd window) const {
    auto it = windows_.find(Value(window));
    return it == windows_.end() ? nullptr : it->second.get();
}

FakeDesktop::Window& FakeDesktop::Require(Hwnd window, const char* what) {
    Window* w = Find(window);
    if (!w) throw std::invalid_argument(std::string("FakeDesktop::") + what + ": not a window");
    return *w;
}

const FakeDesktop::Window& FakeDesktop::Require(Hwnd window, const char* what) const {
    const Window* w = Find(window);
    if (!w) throw std::invalid_argument(std::string("FakeDesktop::") + what + ": not a window");
    return *w;
}

std::vector<Hwnd>& FakeDesktop::SiblingList(const Window& w) {
    return IsNull(w.parent) ? topLevel_ : Find(w.parent)->children;
}

const std::vector<Hwnd>& FakeDesktop::SiblingList(const Window& w) const {
    return IsNull(w.parent) ? topLevel_ : Find(w.parent)->children;
}

Hwnd FakeDesktop::Root(Hwnd window) const {
    const Window* w = Find(window);
    while (w && !IsNull(w->parent)) w = Find(w->parent);
    return w ? w->handle : kNoWindow;
}

Hwnd FakeDesktop::Create(const WindowSpec& desc) {
    auto w = std::make_unique<Window>();
    const Hwnd handle{nextHandle_};
    nextHandle_ += 0x10;
    w->handle = handle;
    w->behavior = desc.behavior;
    w->className = desc.className;
    if (w->className.empty()) {
        switch (desc.behavior) {
        case Behavior::Edit: w->className = u"Edit"; break;
        case Behavior::Button:
        case Behavior::CheckBox: w->className = u"Button"; break;
        case Behavior::Static: w->className = u"Static"; break;
        case Behavior::ComboBox: w->className = u"ComboBox"; break;
        case Behavior::Dialog: w->className = u"#32770"; break;
        case Behavior::Container: w->className = u"FakeWindow"; break;
        }
    }
    // Edit and combo boxes keep their text to themselves: their caption stays empty.
    const bool separate = desc.behavior == Behavior::Edit || desc.behavior == Behavior::ComboBox;
    if (!separate) w->caption = desc.text;
    w->id = desc.id;
    w->notify = desc.notify;
    w->rect = desc.rect;
    if (w->rect.right <= w->rect.left) w->rect.right = w->rect.left + (IsNull(desc.parent) ? 640 : 100);
    if (w->rect.bottom <= w->rect.top) w->rect.bottom = w->rect.top + (IsNull(desc.parent) ? 480 : 24);
    w->frame = desc.frame;
    w->visible = desc.visible;
    w->enabled = desc.enabled;
    w->overlapped = desc.overlapped;
    w->multiline = desc.multiline;
    w->readOnly = desc.readOnly;
    w->editable = desc.editable && desc.behavior == Behavior::ComboBox;
    w->caretRule = desc.caretRule;
    w->checked = desc.checked && desc.behavior == Behavior::CheckBox;
    if (desc.behavior == Behavior::Edit) w->text = desc.text;
    if (desc.behavior == Behavior::ComboBox) {
        w->items = desc.items;
        if (desc.selected >= 0 && static_cast<std::size_t>(desc.selected) < desc.items.size()) {
            w->selected = desc.selected;
            w->text = desc.items[static_cast<std::size_t>(desc.selected)];
        }
    }
    if (!IsNull(desc.parent)) {
        Window& parent = Require(desc.parent, "Create(parent)");
        w->parent = desc.parent;
        w->process = desc.process != 0 ? desc.process : parent.process;
        parent.children.push_back(handle);
    } else {
        if (!IsNull(desc.owner)) {
            Require(desc.owner, "Create(owner)");
            // An owner is always a top-level window: a child named as owner
            // stands for its top-level ancestor.
            w->owner = Root(desc.owner);
        }
        const Window* owner = Find(w->owner);
        w->process = desc.process != 0 ? desc.process : (owner ? owner->process : 1);
        topLevel_.insert(topLevel_.begin(), handle);
    }
    windows_.emplace(Value(handle), std::move(w));
    return handle;
}

bool FakeDesktop::IsWindow(Hwnd window) const { return Find(window) != nullptr; }

void FakeDesktop::Collect(Hwnd window, std::vector<Hwnd>& out) const {
    const Window* w = Find(window);
    if (!w) return;
    out.push_back(window);
    for (Hwnd c : w->children) Collect(c, out);
}

void FakeDesktop::Destroy(Hwnd window) { DestroyTree(window); }

void FakeDesktop::DestroyTree(Hwnd window) {
    Window* w = Find(window);
    if (!w || w->destroying) return;
    w->destroying = true;
    // Owned windows go first, as DestroyWindow does.
    if (IsNull(w->parent)) {
        const std::vector<Hwnd> tops = topLevel_;
        for (Hwnd t : tops) {
            const Window* tw = Find(t);
            if (tw && tw->owner == window) DestroyTree(t);
        }
    }
    std::vector<Hwnd> all;
    Collect(window, all);
    // A handler that destroys a window of this tree while it goes leaves the
    // work to this call, so no window hears WM_DESTROY twice.
    for (Hwnd h : all) Find(h)->destroying = true;
    for (Hwnd h : all) {
        if (Find(h)) SendInternal(h, fakemsg::WM_DESTROY, 0, 0);
    }
    w = Find(window);
    if (!w) return;
    all.clear();
    Collect(window, all);
    auto& siblings = SiblingList(*w);
    siblings.erase(std::remove(siblings.begin(), siblings.end(), window), siblings.end());
    for (Hwnd h : all) {
        for (auto it = timers_.begin(); it != timers_.end();) {
            it = it->second.owner == h ? timers_.erase(it) : std::next(it);
        }
        hooks_.erase(std::remove_if(hooks_.begin(), hooks_.end(), [h](const HookEntry& e) { return e.window == h; }),
                     hooks_.end());
        for (auto& [process, focus] : focus_) {
            if (focus == h) focus = kNoWindow;
        }
        if (capture_ == h) capture_ = kNoWindow;
        if (active_ == h) active_ = kNoWindow;
        Window* x = Find(h);
        if (x && x->page) x->page->attached_ = false;
        windows_.erase(Value(h));
    }
}

void FakeDesktop::Show(Hwnd window, bool visible) {
    Window& w = Require(window, "Show");
    if (w.visible == visible) return;
    w.visible = visible;
    SendInternal(window, fakemsg::WM_SHOWWINDOW, visible ? 1 : 0, 0);
}

void FakeDesktop::Enable(Hwnd window, bool enabled) { Require(window, "Enable").enabled = enabled; }

void FakeDesktop::Move(Hwnd window, Rect rect) { Require(window, "Move").rect = rect; }

void FakeDesktop::PlaceAfter(Hwnd window, Hwnd after) {
    Window& w = Require(window, "PlaceAfter");
    auto& list = SiblingList(w);
    if (!IsNull(after) && (after == window || std::find(list.begin(), list.end(), after) == list.end())) {
        throw std::invalid_argument("FakeDesktop::PlaceAfter: `after` is not a sibling");
    }
    list.erase(std::remove(list.begin(), list.end(), window), list.end());
    auto at = IsNull(after) ? list.begin() : std::next(std::find(list.begin(), list.end(), after));
    list.insert(at, window);
}

void FakeDesktop::SetNotifyTarget(Hwnd control, Hwnd target) { Require(control, "SetNotifyTarget").notify = target; }

void FakeDesktop::SetCaption(Hwnd window, const std::u16string& caption) {
    Require(window, "SetCaption").caption = caption;
}

Rect FakeDesktop::ScreenRect(const Window& w) const {
    if (IsNull(w.parent)) return w.rect;
    const Rect origin = ClientRect(*Find(w.parent));
    return Rect{origin.left + w.rect.left, origin.top + w.rect.top, origin.left + w.rect.right,
                origin.top + w.rect.bottom};
}

Rect FakeDesktop::ClientRect(const Window& w) const {
    const Rect r = ScreenRect(w);
    Rect c{r.left + w.frame.left, r.top + w.frame.top, r.right - w.frame.right, r.bottom - w.frame.bottom};
    if (c.right < c.left) c.right = c.left;
    if (c.bottom < c.top) c.bottom = c.top;
    return c;
}

bool FakeDesktop::Hung(const Window& w) const {
    if (w.hung) return true;
    auto it = hungProcesses_.find(w.process);
    return it != hungProcesses_.end() && it->second;
}

bool FakeDesktop::EnabledChain(const Window& w) const {
    const Window* x = &w;
    while (x) {
        if (!x->enabled) return false;
        x = Find(x->parent);
    }
    return true;
}

void FakeDesktop::Raise(Hwnd topLevel) {
    const Window* w = Find(topLevel);
    if (!w || !IsNull(w->parent)) return;
    auto ownedBy = [this](Hwnd x, Hwnd owner) {
        const Window* o = Find(x);
        while (o && !IsNull(o->owner)) {
            if (o->owner == owner) return true;
            o = Find(o->owner);
        }
        return false;
    };
    std::vector<Hwnd> block;
    std::vector<Hwnd> rest;
    for (Hwnd x : topLevel_) {
        (x == topLevel || ownedBy(x, topLevel) ? block : rest).push_back(x);
    }
    block.insert(block.end(), rest.begin(), rest.end());
    topLevel_ = std::move(block);
}

// ---------------------------------------------------------------------------
// State

std::u16string FakeDesktop::Text(Hwnd window) const {
    const Window* w = Find(window);
    return w ? w->Shown() : std::u16string();
}
std::u16string FakeDesktop::Caption(Hwnd window) const {
    const Window* w = Find(window);
    return w ? w->caption : std::u16string();
}
std::u16string FakeDesktop::Class(Hwnd window) const {
    const Window* w = Find(window);
    return w ? w->className : std::u16string();
}
int FakeDesktop::Id(Hwnd window) const {
    const Window* w = Find(window);
    return w ? w->id : 0;
}
Hwnd FakeDesktop::Parent(Hwnd window) const {
    const Window* w = Find(window);
    return w ? w->parent : kNoWindow;
}
Hwnd FakeDesktop::Owner(Hwnd window) const {
    const Window* w = Find(window);
    return w ? w->owner : kNoWindow;
}
Hwnd FakeDesktop::NotifyTarget(Hwnd control) const {
    const Window* w = Find(control);
    if (!w) return kNoWindow;
    return IsNull(w->notify) ? w->parent : w->notify;
}
bool FakeDesktop::IsVisible(Hwnd window) const {
    const Window* w = Find(window);
    return w && w->visible;
}
bool FakeDesktop::IsMinimized(Hwnd window) const {
    const Window* w = Find(window);
    return w && w->minimized;
}
bool FakeDesktop::IsEnabled(Hwnd window) const {
    const Window* w = Find(window);
    return w && w->enabled;
}
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
    return w ? w->selected : -1;
}
std::vector<std::u16string> FakeDesktop::ComboItems(Hwnd combo) const {
    const Window* w = Find(combo);
    return w ? w->items : std::vector<std::u16string>{};
}
std::vector<Hwnd> FakeDesktop::TopLevelWindows() const { return topLevel_; }
std::vector<Hwnd> FakeDesktop::Children(Hwnd window) const {
    const Window* w = Find(window);
    return w ? w->children : std::vector<Hwnd>{};
}
int FakeDesktop::ProcessOf(Hwnd window) const {
    const Window* w = Find(window);
    return w ? w->process : 0;
}
Hwnd FakeDesktop::FocusOf(int process) const {
    auto it = focus_.find(process);
    return it == focus_.end() ? kNoWindow : it->second;
}

std::vector<RecordedMessage> FakeDesktop::Messages(Hwnd window) const {
    std::vector<RecordedMessage> out;
    for (const auto& r : log_) {
        if (r.window == window) out.push_back(r);
    }
    return out;
}

void FakeDesktop::SetWindowInfoFails(Hwnd window, bool fails) { Require(window, "SetWindowInfoFails").infoFails = fails; }
void FakeDesktop::SetHung(Hwnd window, bool hung) { Require(window, "SetHung").hung = hung; }
void FakeDesktop::SetProcessHung(int process, bool hung) { hungProcesses_[process] = hung; }
bool FakeDesktop::IsHung(Hwnd window) const {
    const Window* w = Find(window);
    return w && Hung(*w);
}

// ---------------------------------------------------------------------------
// Hooks

HookId FakeDesktop::AddMessageHook(Hwnd window, MessageHook hook) {
    Require(window, "AddMessageHook");
    hooks_.push_back({nextHook_, window, std::make_shared<MessageHook>(std::move(hook)), nullptr, nullptr});
    return nextHook_++;
}

HookId FakeDesktop::AddAfterHook(Hwnd window, AfterHook hook) {
    Require(window, "AddAfterHook");
    hooks_.push_back({nextHook_, window, nullptr, std::make_shared<AfterHook>(std::move(hook)), nullptr});
    return nextHook_++;
}

HookId FakeDesktop::AddTextHook(Hwnd window, TextHook hook) {
    Require(window, "AddTextHook");
    hooks_.push_back({nextHook_, window, nullptr, nullptr, std::make_shared<TextHook>(std::move(hook))});
    return nextHook_++;
}

void FakeDesktop::RemoveHook(HookId id) {
    hooks_.erase(std::remove_if(hooks_.begin(), hooks_.end(), [id](const HookEntry& e) { return e.id == id; }),
                 hooks_.end());
}

// ---------------------------------------------------------------------------
// Delivery

std::intptr_t FakeDesktop::Deliver(Message& msg) {
    if (!Find(msg.window)) return 0;
    RecordedMessage rec;
    rec.window = msg.window;
    rec.message = msg.message;
    rec.wParam = msg.wParam;
    rec.lParam = msg.lParam;
    rec.posted = msg.posted;
    rec.fromPort = msg.fromPort;
    if (msg.text) rec.text = *msg.text;
    rec.units = msg.units;
    rec.time = now_;
    log_.push_back(std::move(rec));

    DepthGuard guard(depth_);
    std::vector<std::shared_ptr<MessageHook>> before;
    std::vector<std::shared_ptr<AfterHook>> after;
    for (const auto& e : hooks_) {
        if (e.window != msg.window) continue;
        if (e.before) before.push_back(e.before);
        if (e.after) after.push_back(e.after);
    }
    std::optional<std::intptr_t> result;
    for (const auto& hook : before) {
        result = (*hook)(msg);
        if (result || !Find(msg.window)) break;
    }
    if (!result) {
        Window* w = Find(msg.window);
        if (!w) return 0;
        result = Default(*w, msg);
    }
    for (const auto& hook : after) {
        if (!Find(msg.window)) break;
        (*hook)(msg, *result);
    }
    return *result;
}

std::intptr_t FakeDesktop::SendInternal(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                                        std::intptr_t lParam) {
    Message msg{window, message, wParam, lParam};
    return Deliver(msg);
}

std::intptr_t FakeDesktop::PortSend(Message& msg) {
    Window* w = Find(msg.window);
    if (!w || notResponding_) return 0;
    if (Hung(*w)) {
        notResponding_ = true;
        blockedTotal_ += kSendTimeoutMs;
        if (depth_ == 0) {
            AdvanceTo(now_ + kSendTimeoutMs);
        } else {
            now_ += kSendTimeoutMs;
        }
        return 0;
    }
    return Deliver(msg);
}

void FakeDesktop::Notify(Hwnd control, std::uint16_t code) {
    const Window* w = Find(control);
    if (!w) return;
    const Hwnd target = IsNull(w->notify) ? w->parent : w->notify;
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
    if (w->behavior == Behavior::CheckBox) w->checked = !w->checked;
    Notify(button, m::BN_CLICKED);
}

std::intptr_t FakeDesktop::Default(Window& w, Message& msg) {
    switch (w.behavior) {
    case Behavior::Edit: return EditProc(w, msg);
    case Behavior::Button:
    case Behavior::CheckBox: return ButtonProc(w, msg);
    case Behavior::ComboBox: return ComboProc(w, msg);
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
        if (w.behavior == Behavior::CheckBox) w.checked = msg.wParam != 0;
        return 0;
    default:
        return DefWindow(w, msg);
    }
}

std::intptr_t FakeDesktop::ComboProc(Window& w, Message& msg) {
    const Hwnd h = w.handle;
    const auto count = static_cast<std::intptr_t>(w.items.size());
    auto select = [&](int index) {
        w.selected = index;
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
        return w.selected;
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
        int next = w.selected;
        if (msg.wParam == m::VK_DOWN) next = w.selected + 1;
        if (msg.wParam == fakemsg::VK_UP) next = w.selected < 0 ? 0 : w.selected - 1;
        if (next == w.selected || next < 0 || next >= count) return 0;
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
// Host-side messages

std::intptr_t FakeDesktop::HostSend(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                                    std::intptr_t lParam) {
    CheckNoPointer(message, wParam, lParam);
    return SendInternal(window, message, wParam, lParam);
}

bool FakeDesktop::HostPost(Hwnd window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    if (!Find(window) || CarriesPointer(message)) return false;
    Enqueue(window, message, wParam, lParam, false);
    return true;
}

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

void FakeDesktop::SetFocus(Hwnd window) { FocusTo(window); }

// ---------------------------------------------------------------------------
// Queue and clock

void FakeDesktop::Enqueue(Hwnd window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                          bool fromPort) {
    posted_.push_back(QueuedMessage{window, message, wParam, lParam, fromPort});
}

void FakeDesktop::DeliverQueued(std::size_t& budget) {
    std::deque<QueuedMessage> held;
    while (!posted_.empty()) {
        const QueuedMessage q = posted_.front();
        posted_.pop_front();
        const Window* w = Find(q.window);
        if (!w) continue;  // the window is gone: the message is lost
        if (Hung(*w)) {
            held.push_back(q);  // waits until its thread takes messages again
            continue;
        }
        if (budget == 0) {
            posted_.push_front(q);
            posted_.insert(posted_.begin(), held.begin(), held.end());
            throw std::runtime_error("FakeDesktop: more than 10000 posted messages delivered in one sleep; "
                                     "a handler keeps posting");
        }
        --budget;
        Message msg{q.window, q.message, q.wParam, q.lParam, true, q.fromPort};
        Deliver(msg);
    }
    posted_.swap(held);
}

void FakeDesktop::DeliverPosted() {
    if (depth_ > 0) throw std::logic_error("FakeDesktop::DeliverPosted called from inside a hook or timer");
    std::size_t budget = kMaxPostedPerSleep;
    DeliverQueued(budget);
}

void FakeDesktop::AdvanceTo(std::uint64_t end) {
    std::size_t budget = kMaxPostedPerSleep;
    std::size_t firings = 0;
    DeliverQueued(budget);
    for (;;) {
        auto next = timers_.end();
        for (auto it = timers_.begin(); it != timers_.end(); ++it) {
            if (it->second.due > end) continue;
            const Window* owner = Find(it->second.owner);
            if (owner && Hung(*owner)) continue;  // its thread is stuck
            if (next == timers_.end() || it->second.due < next->second.due) next = it;
        }
        if (next == timers_.end()) break;
        if (++firings > kMaxPostedPerSleep) {
            throw std::runtime_error("FakeDesktop: more than 10000 timers fired in one sleep");
        }
        if (next->second.due > now_) now_ = next->second.due;
        const auto callback = next->second.callback;
        if (next->second.repeating) {
            next->second.due += next->second.interval;
            if (next->second.due <= now_) next->second.due = now_ + next->second.interval;
        } else {
            timers_.erase(next);
        }
        {
            DepthGuard guard(depth_);
            (*callback)();
        }
        DeliverQueued(budget);
    }
    if (now_ < end) now_ = end;
}

void FakeDesktop::Sleep(std::uint32_t milliseconds) {
    if (depth_ > 0) {
        throw std::logic_error("FakeDesktop::Sleep called from inside a hook or timer; use SetTimer or Busy");
    }
    sleepLog_.push_back(milliseconds);
    sleepTotal_ += milliseconds;
    AdvanceTo(now_ + milliseconds);
}

void FakeDesktop::Busy(std::uint32_t ms) { now_ += ms; }

TimerId FakeDesktop::SetTimer(std::uint32_t delayMs, std::function<void()> callback, bool repeating, Hwnd owner) {
    if (!IsNull(owner)) Require(owner, "SetTimer(owner)");
    if (repeating && delayMs < 10) delayMs = 10;
    Timer t;
    t.due = now_ + delayMs;
    t.interval = delayMs;
    t.repeating = repeating;
    t.owner = owner;
    t.callback = std::make_shared<std::function<void()>>(std::move(callback));
    timers_.emplace(nextTimer_, std::move(t));
    return nextTimer_++;
}

bool FakeDesktop::KillTimer(TimerId id) { return timers_.erase(id) > 0; }

void FakeDesktop::ClearSleepLog() {
    sleepLog_.clear();
    sleepTotal_ = 0;
    blockedTotal_ = 0;
}

// ---------------------------------------------------------------------------
// The port: lookup

Hwnd FakeDesktop::FindWindow(const char16_t* className, const char16_t* windowName) {
    return FindWindowEx(kNoWindow, kNoWindow, className, windowName);
}

Hwnd FakeDesktop::FindWindowEx(Hwnd parent, Hwnd childAfter, const char16_t* className,
                               const char16_t* windowName) {
    const std::vector<Hwnd>* list = &topLevel_;
    if (!IsNull(parent)) {
        const Window* p = Find(parent);
        if (!p) return kNoWindow;
        list = &p->children;
    }
    std::size_t start = 0;
    if (!IsNull(childAfter)) {
        auto it = std::find(list->begin(), list->end(), childAfter);
        if (it == list->end()) return kNoWindow;
        start = static_cast<std::size_t>(it - list->begin()) + 1;
    }
    for (std::size_t i = start; i < list->size(); ++i) {
        const Window& w = *Find((*list)[i]);
        if (className && !EqualsFold(w.className, className)) continue;
        if (windowName && !EqualsFold(w.caption, windowName)) continue;
        return w.handle;
    }
    return kNoWindow;
}

void FakeDesktop::EnumChildWindows(Hwnd parent, const std::function<bool(Hwnd)>& visit) {
    // A null parent is a null window to the port: nothing is visited.
    const Window* p = Find(parent);
    if (!p) return;
    std::vector<Hwnd> snapshot;
    for (Hwnd c : p->children) Collect(c, snapshot);
    for (Hwnd h : snapshot) {
        if (!Find(h)) continue;
        if (!visit(h)) return;
    }
}

Hwnd FakeDesktop::GetWindow(Hwnd window, Relation relation) {
    const Window* w = Find(window);
    if (!w) return kNoWindow;
    switch (relation) {
    case Relation::Child:
        return w->children.empty() ? kNoWindow : w->children.front();
    case Relation::Next:
    case Relation::Previous: {
        const auto& list = SiblingList(*w);
        auto it = std::find(list.begin(), list.end(), window);
        if (relation == Relation::Next) return (it == list.end() || std::next(it) == list.end()) ? kNoWindow : *std::next(it);
        return (it == list.begin() || it == list.end()) ? kNoWindow : *std::prev(it);
    }
    case Relation::EnabledPopup:
        if (!IsNull(w->parent)) return kNoWindow;
        for (Hwnd t : topLevel_) {
            const Window* x = Find(t);
            if (t == window || !x->visible || !x->enabled) continue;
            for (const Window* o = Find(x->owner); o; o = Find(o->owner)) {
                if (o->handle == window) return t;
            }
        }
        return kNoWindow;
    }
    return kNoWindow;
}

Hwnd FakeDesktop::GetParent(Hwnd window) {
    const Window* w = Find(window);
    if (!w) return kNoWindow;
    if (!IsNull(w->parent)) return w->parent;
    return w->overlapped ? kNoWindow : w->owner;
}

std::u16string FakeDesktop::GetWindowText(Hwnd window, std::size_t maxChars) {
    const Window* w = Find(window);
    return w ? Cut(w->caption, maxChars) : std::u16string();
}

std::u16string FakeDesktop::GetClassName(Hwnd window, std::size_t maxChars) {
    const Window* w = Find(window);
    return w ? Cut(w->className, maxChars) : std::u16string();
}

int FakeDesktop::GetDlgCtrlID(Hwnd window) {
    const Window* w = Find(window);
    return (w && !IsNull(w->parent)) ? w->id : 0;
}

std::optional<WindowInfo> FakeDesktop::Geometry(Hwnd window) const {
    const Window* w = Find(window);
    if (!w) return std::nullopt;
    return WindowInfo{ScreenRect(*w), ClientRect(*w)};
}

std::optional<WindowInfo> FakeDesktop::GetWindowInfo(Hwnd window) {
    const Window* w = Find(window);
    if (!w || w->infoFails) return std::nullopt;
    return WindowInfo{ScreenRect(*w), ClientRect(*w)};
}

std::optional<Point> FakeDesktop::ScreenToClient(Hwnd window, Point screen) {
    const Window* w = Find(window);
    if (!w) return std::nullopt;
    const Rect c = ClientRect(*w);
    return Point{screen.x - c.left, screen.y - c.top};
}

// ---------------------------------------------------------------------------
// The port: messages

std::intptr_t FakeDesktop::Send(Hwnd window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    CheckNoPointer(message, wParam, lParam);
    Message msg{window, message, wParam, lParam, false, true};
    return PortSend(msg);
}

bool FakeDesktop::Post(Hwnd window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    // PostMessage refuses messages that carry pointers (ERROR_MESSAGE_SYNC_ONLY).
    if (!Find(window) || CarriesPointer(message)) return false;
    Enqueue(window, message, wParam, lParam, true);
    return true;
}

std::optional<std::intptr_t> FakeDesktop::SendTimeout(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                                                      std::intptr_t lParam, std::uint32_t flags,
                                                      std::uint32_t timeoutMs) {
    CheckNoPointer(message, wParam, lParam);
    const Window* w = Find(window);
    if (!w || notResponding_) return std::nullopt;
    if (Hung(*w)) {
        // The program is taken for hung, as by a bounded send; SMTO_ABORTIFHUNG
        // gives up at once on a window that does not answer.
        notResponding_ = true;
        if ((flags & m::SMTO_ABORTIFHUNG) == 0) {
            blockedTotal_ += timeoutMs;
            if (depth_ == 0) {
                AdvanceTo(now_ + timeoutMs);
            } else {
                now_ += timeoutMs;
            }
        }
        return std::nullopt;
    }
    Message msg{window, message, wParam, lParam, false, true};
    return Deliver(msg);
}

std::uint32_t FakeDesktop::RegisterWindowMessage(const char16_t* name) {
    if (!name || *name == u'\0') return 0;
    const std::u16string key = Fold(name);
    auto it = registered_.find(key);
    if (it != registered_.end()) return it->second;
    registered_.emplace(key, nextRegistered_);
    return nextRegistered_++;
}

std::uint32_t FakeDesktop::HtmlGetObjectMessage() { return RegisterWindowMessage(u"WM_HTML_GETOBJECT"); }

std::u16string FakeDesktop::SendGetText(Hwnd window, std::size_t bufferUnits) {
    if (bufferUnits == 0) return std::u16string();  // no buffer, nothing to ask
    std::u16string reply;
    Message msg{window, m::WM_GETTEXT, bufferUnits, 0, false, true};
    msg.reply = &reply;
    msg.units = bufferUnits;
    const auto n = PortSend(msg);
    if (n <= 0) return std::u16string();
    return Cut(reply, std::min<std::size_t>(static_cast<std::size_t>(n), bufferUnits == 0 ? 0 : bufferUnits - 1));
}

std::intptr_t FakeDesktop::SendSetText(Hwnd window, const std::u16string& text) {
    Message msg{window, m::WM_SETTEXT, 0, 0, false, true};
    msg.text = &text;
    return PortSend(msg);
}

std::u16string FakeDesktop::SendGetLine(Hwnd edit, int line, std::size_t maxUnits) {
    // The size travels in the buffer's first unit: at most a WORD.
    maxUnits = std::min<std::size_t>(maxUnits, 0xFFFF);
    if (line < 0 || maxUnits == 0) return std::u16string();
    std::u16string reply;
    Message msg{edit, m::EM_GETLINE, static_cast<std::uintptr_t>(static_cast<std::intptr_t>(line)), 0, false, true};
    msg.reply = &reply;
    msg.units = maxUnits;
    const auto n = PortSend(msg);
    if (n <= 0) return std::u16string();
    return reply.substr(0, std::min<std::size_t>(static_cast<std::size_t>(n), maxUnits));
}

std::optional<std::u16string> FakeDesktop::SendGetComboItem(Hwnd combo, int index) {
    // As the real port asks: the item's length first, then the item.
    if (index < 0 || !Find(combo)) return std::nullopt;
    const auto item = static_cast<std::uintptr_t>(static_cast<std::intptr_t>(index));
    const auto length = Send(combo, m::CB_GETLBTEXTLEN, item, 0);
    if (notResponding_ || length < 0) return std::nullopt;
    std::u16string reply;
    Message msg{combo, m::CB_GETLBTEXT, item, 0, false, true};
    msg.reply = &reply;
    const auto n = PortSend(msg);
    if (notResponding_ || n < 0) return std::nullopt;
    return reply.substr(0, static_cast<std::size_t>(n));
}

// ---------------------------------------------------------------------------
// The port: activation, showing, cursor and mouse

bool FakeDesktop::SetForegroundWindow(Hwnd window) {
    foregroundCalls_.push_back(window);
    if (!Find(window)) return false;
    active_ = Root(window);
    Raise(active_);
    return true;
}

Hwnd FakeDesktop::SetActiveWindow(Hwnd window) {
    activeCalls_.push_back(window);
    if (!Find(window)) return kNoWindow;
    const Hwnd previous = Find(active_) ? active_ : kNoWindow;
    active_ = Root(window);
    Raise(active_);
    return previous;
}

bool FakeDesktop::ShowWindow(Hwnd window, int command) {
    Window* w = Find(window);
    if (!w) return false;
    const bool wasVisible = w->visible;
    bool raise = false;
    switch (command) {
    case m::SW_HIDE:
        w->visible = false;
        break;
    case m::SW_SHOWNORMAL:
    case m::SW_RESTORE:
    case fakemsg::SW_SHOWMAXIMIZED:
        w->visible = true;
        w->minimized = false;
        raise = true;
        break;
    case m::SW_SHOW:
        w->visible = true;
        raise = true;
        break;
    case m::SW_SHOWMINIMIZED:
    case m::SW_MINIMIZE:
    case 7:  // SW_SHOWMINNOACTIVE
        w->visible = true;
        w->minimized = true;
        break;
    case fakemsg::SW_SHOWNOACTIVATE:
        w->visible = true;
        w->minimized = false;
        break;
    default:
        w->visible = true;
        break;
    }
    const bool nowVisible = w->visible;
    const bool topLevel = IsNull(w->parent);
    if (raise && topLevel) {
        active_ = window;
        Raise(window);
    }
    if (nowVisible != wasVisible) SendInternal(window, fakemsg::WM_SHOWWINDOW, nowVisible ? 1 : 0, 0);
    return wasVisible;
}

bool FakeDesktop::SetCursorPos(Point screen) {
    cursor_ = screen;
    return true;
}

std::optional<Point> FakeDesktop::GetCursorPos() { return cursor_; }

Hwnd FakeDesktop::WindowFromPoint(Point screen) const {
    for (Hwnd t : topLevel_) {
        const Window* w = Find(t);
        if (!w->visible || w->minimized || !Contains(ScreenRect(*w), screen)) continue;
        // Descend: the first visible child (in z-order) that holds the point and
        // lies inside its parent's client area.
        for (;;) {
            if (!Contains(ClientRect(*w), screen)) return w->handle;
            const Window* hit = nullptr;
            for (Hwnd c : w->children) {
                const Window* cw = Find(c);
                if (cw->visible && Contains(ScreenRect(*cw), screen)) {
                    hit = cw;
                    break;
                }
            }
            if (!hit) return w->handle;
            w = hit;
        }
    }
    return kNoWindow;
}

void FakeDesktop::MouseEvent(std::uint32_t flags) {
    if (flags & m::MOUSEEVENTF_LEFTDOWN) {
        const Hwnd hit = WindowFromPoint(cursor_);
        RealClick click{cursor_, hit, true, false};
        if (const Window* w = Find(hit)) {
            const Hwnd root = Root(hit);
            active_ = root;
            Raise(root);
            if (EnabledChain(*w) && Contains(ClientRect(*w), cursor_)) {
                const Rect c = ClientRect(*w);
                Enqueue(hit, m::WM_LBUTTONDOWN, m::MK_LBUTTON, m::MakeLParam(cursor_.x - c.left, cursor_.y - c.top),
                        false);
                capture_ = hit;
                click.delivered = true;
            }
        }
        clicks_.push_back(click);
    }
    if (flags & m::MOUSEEVENTF_LEFTUP) {
        const Hwnd target = Find(capture_) ? capture_ : WindowFromPoint(cursor_);
        capture_ = kNoWindow;
        RealClick click{cursor_, target, false, false};
        if (const Window* w = Find(target)) {
            const Rect c = ClientRect(*w);
            if (EnabledChain(*w)) {
                Enqueue(target, m::WM_LBUTTONUP, 0, m::MakeLParam(cursor_.x - c.left, cursor_.y - c.top), false);
                click.delivered = true;
            }
        }
        clicks_.push_back(click);
    }
}

// ---------------------------------------------------------------------------
// The port: pages

std::shared_ptr<FakePage> FakeDesktop::AttachPage(Hwnd browser) {
    Window& w = Require(browser, "AttachPage");
    if (w.page) w.page->attached_ = false;
    w.page = std::make_shared<FakePage>();
    return w.page;
}

std::shared_ptr<FakePage> FakeDesktop::Page(Hwnd browser) const {
    const Window* w = Find(browser);
    return w ? w->page : nullptr;
}

bool FakeDesktop::HasObjectFromLresult(Module oleacc) { return oleacc != kNoModule && objectFromLresult_; }

std::shared_ptr<PageRootDocument> FakeDesktop::ObjectFromLresult(Module oleacc, std::intptr_t lresult) {
    if (!HasObjectFromLresult(oleacc)) return nullptr;
    auto it = tokens_.find(lresult);
    if (it == tokens_.end()) return nullptr;
    auto page = it->second;
    tokens_.erase(it);  // a result of LresultFromObject serves once
    if (!page->attached_ || page->fail.objectFromLresult) return nullptr;
    return MakeRootDocument(page);
}

std::shared_ptr<PageAccessible> FakeDesktop::AccessibleObjectFromPoint(Point screen) {
    for (const Window* w = Find(WindowFromPoint(screen)); w; w = Find(w->parent)) {
        if (!w->page) continue;
        const auto page = w->page;
        ++page->accessibleTries;
        if (page->accessibleTries <= page->fail.accessibleMissing) return nullptr;
        return MakeAccessible(page);
    }
    return nullptr;
}

}  // namespace qm::testing
