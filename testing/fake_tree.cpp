// The window tree and its z-order: creating and destroying windows, their
// places among their siblings, geometry, activation and showing, and the
// port's lookups and walks.
#include <algorithm>
#include <set>
#include <stdexcept>

#include "testing/case_fold.h"
#include "testing/fake_desktop_internal.h"

namespace qm::testing {

namespace m = qm::msg;
using detail::Cut;
using detail::EqualsFold;
using detail::Value;

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
    Hwnd handle{nextHandle_};
    if (!IsNull(desc.handle)) {
        if (windows_.count(detail::Value(desc.handle)) != 0) {
            throw std::invalid_argument("FakeDesktop::Create: the handle is already a window's");
        }
        handle = desc.handle;
    }
    nextHandle_ = std::max(nextHandle_, detail::Value(handle)) + 0x10;
    w->handle = handle;
    w->behaviour = desc.behaviour;
    w->className = desc.className;
    if (w->className.empty()) {
        switch (desc.behaviour) {
        case Behaviour::Edit: w->className = u"Edit"; break;
        case Behaviour::Button:
        case Behaviour::CheckBox: w->className = u"Button"; break;
        case Behaviour::Label: w->className = u"Static"; break;
        case Behaviour::Combo: w->className = u"ComboBox"; break;
        case Behaviour::Dialog: w->className = u"#32770"; break;
        case Behaviour::Container: w->className = u"FakeWindow"; break;
        }
    }
    // Edit and combo boxes keep their text to themselves: their caption stays empty.
    if (!w->SeparateText()) w->caption = desc.text;
    w->id = desc.id;
    w->commandTarget = desc.commandTarget;
    w->rect = desc.rect;
    if (w->rect.right <= w->rect.left) w->rect.right = w->rect.left + (IsNull(desc.parent) ? 640 : 100);
    if (w->rect.bottom <= w->rect.top) w->rect.bottom = w->rect.top + (IsNull(desc.parent) ? 480 : 24);
    w->frame = desc.frame;
    w->visible = desc.visible;
    w->enabled = desc.enabled;
    w->overlapped = desc.overlapped;
    w->multiline = desc.multiline;
    w->readOnly = desc.readOnly;
    w->editable = desc.editable && desc.behaviour == Behaviour::Combo;
    w->caretRule = desc.caretRule;
    w->checked = desc.checked && desc.behaviour == Behaviour::CheckBox;
    if (desc.behaviour == Behaviour::Edit) w->text = desc.text;
    if (desc.behaviour == Behaviour::Combo) {
        w->items = desc.items;
        if (desc.selection >= 0 && static_cast<std::size_t>(desc.selection) < desc.items.size()) {
            w->selection = desc.selection;
            w->text = desc.items[static_cast<std::size_t>(desc.selection)];
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
    // Depth first in pre-order, with the pending windows on the heap: a tree of
    // any depth is walked on a thread's stack of any size (1 MB on Windows).
    std::vector<Hwnd> pending{window};
    while (!pending.empty()) {
        const Window* w = Find(pending.back());
        pending.pop_back();
        if (!w) continue;
        out.push_back(w->handle);
        pending.insert(pending.end(), w->children.rbegin(), w->children.rend());
    }
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

std::size_t FakeDesktop::EndProcess(int process) {
    if (depth_ > 0) throw std::logic_error("FakeDesktop::EndProcess called from inside a hook or timer");
    std::vector<Hwnd> gone;
    for (Hwnd top : topLevel_) {
        const Window* w = Find(top);
        if (w && w->process == process) Collect(top, gone);
    }
    const std::set<Hwnd> goneSet(gone.begin(), gone.end());
    const auto isGone = [&goneSet](Hwnd h) { return goneSet.count(h) != 0; };
    topLevel_.erase(std::remove_if(topLevel_.begin(), topLevel_.end(), isGone), topLevel_.end());
    for (auto it = timers_.begin(); it != timers_.end();) {
        it = IsNull(it->second.owner) || isGone(it->second.owner) ? timers_.erase(it) : std::next(it);
    }
    hooks_.erase(std::remove_if(hooks_.begin(), hooks_.end(), [&](const HookEntry& e) { return isGone(e.window); }),
                 hooks_.end());
    posted_.erase(std::remove_if(posted_.begin(), posted_.end(),
                                 [&](const QueuedMessage& q) { return isGone(q.window); }),
                  posted_.end());
    focus_.erase(process);
    if (isGone(capture_)) capture_ = kNoWindow;
    if (isGone(active_)) active_ = kNoWindow;
    for (Hwnd h : gone) {
        Window* x = Find(h);
        if (x && x->page) x->page->attached_ = false;
        windows_.erase(Value(h));
    }
    return gone.size();
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

void FakeDesktop::SetCommandTarget(Hwnd control, Hwnd target) { Require(control, "SetCommandTarget").commandTarget = target; }

void FakeDesktop::SetCaption(Hwnd window, const std::u16string& caption) {
    Require(window, "SetCaption").caption = caption;
}

// ---------------------------------------------------------------------------
// Geometry

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

void FakeDesktop::SetWindowInfoFails(Hwnd window, bool fails) { Require(window, "SetWindowInfoFails").infoFails = fails; }

std::optional<WindowInfo> FakeDesktop::Geometry(Hwnd window) const {
    const Window* w = Find(window);
    if (!w) return std::nullopt;
    return WindowInfo{ScreenRect(*w), ClientRect(*w)};
}

std::optional<WindowInfo> FakeDesktop::GetWindowInfo(Hwnd window) {
    const Window* w = Find(window);
    if (!w || w->infoFails) return std::nullopt;
    return WindowInfo{ScreenRect(*w), ClientRect(*w), Style(*w)};
}

// The style bits a Win32 window built like this one would carry.
std::uint32_t FakeDesktop::Style(const Window& w) const {
    std::uint32_t style = 0;
    if (!IsNull(w.parent)) style |= msg::WS_CHILD;
    else if (!w.overlapped) style |= msg::WS_POPUP;
    if (w.visible) style |= msg::WS_VISIBLE;
    if (!w.enabled) style |= msg::WS_DISABLED;
    if (w.minimized) style |= msg::WS_MINIMIZE;
    switch (w.behaviour) {
    case Behaviour::Edit:
        if (w.multiline) style |= msg::ES_MULTILINE;
        if (w.readOnly) style |= msg::ES_READONLY;
        break;
    case Behaviour::Combo: style |= w.editable ? msg::CBS_DROPDOWN : msg::CBS_DROPDOWNLIST; break;
    case Behaviour::CheckBox: style |= msg::BS_AUTOCHECKBOX; break;
    default: break;
    }
    return style;
}

std::optional<Point> FakeDesktop::ScreenToClient(Hwnd window, Point screen) {
    const Window* w = Find(window);
    if (!w) return std::nullopt;
    const Rect c = ClientRect(*w);
    return Point{screen.x - c.left, screen.y - c.top};
}

// ---------------------------------------------------------------------------
// Z-order and activation

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
    if (!w || notResponding_) return false;
    // As the real port: a hung program's window is probed with a bounded send
    // first, which marks the program not responding, and is left as it is.
    if (Hung(*w)) {
        Message probe{window, 0, 0, 0};
        PortSend(probe);
        return false;
    }
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
Hwnd FakeDesktop::CommandTarget(Hwnd control) const {
    const Window* w = Find(control);
    if (!w) return kNoWindow;
    return IsNull(w->commandTarget) ? w->parent : w->commandTarget;
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
std::vector<Hwnd> FakeDesktop::TopLevelWindows() const { return topLevel_; }
std::vector<Hwnd> FakeDesktop::Children(Hwnd window) const {
    const Window* w = Find(window);
    return w ? w->children : std::vector<Hwnd>{};
}
int FakeDesktop::ProcessOf(Hwnd window) const {
    const Window* w = Find(window);
    return w ? w->process : 0;
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
    case Relation::Owner:
        return w->owner;
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

std::uint32_t FakeDesktop::GetWindowProcessId(Hwnd window) {
    const Window* w = Find(window);
    return w ? static_cast<std::uint32_t>(w->process) : 0;
}

int FakeDesktop::GetDlgCtrlID(Hwnd window) {
    const Window* w = Find(window);
    return (w && !IsNull(w->parent)) ? w->id : 0;
}

}  // namespace qm::testing
