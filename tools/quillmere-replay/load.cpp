// A snapshot rebuilt on the fake desktop: the same handles, relations,
// z-order, rectangles, styles and contents, and nothing that reacts.
#include <algorithm>
#include <map>

#include "platform/messages.h"
#include "testing/fake_desktop.h"
#include "tools/quillmere-replay/replay.h"

namespace qm::replay {

namespace {

using testing::Behaviour;

Behaviour BehaviourOf(WindowKind kind) {
    switch (kind) {
    case WindowKind::Dialog: return Behaviour::Dialog;
    case WindowKind::Edit: return Behaviour::Edit;
    case WindowKind::Button: return Behaviour::Button;
    case WindowKind::CheckBox: return Behaviour::CheckBox;
    case WindowKind::Label: return Behaviour::Label;
    case WindowKind::Combo: return Behaviour::Combo;
    case WindowKind::Container: break;
    }
    return Behaviour::Container;
}

// How deep each window sits along one link (0: it has none), each counted once.
std::map<Hwnd, std::size_t> Depths(const std::map<Hwnd, const WindowRecord*>& byHandle, Hwnd WindowRecord::*link) {
    std::map<Hwnd, std::size_t> depth;
    for (const auto& [handle, record] : byHandle) {
        std::vector<const WindowRecord*> walk;
        for (const WindowRecord* at = record; at && depth.count(at->handle) == 0;
             at = IsNull(at->*link) ? nullptr : byHandle.at(at->*link)) {
            walk.push_back(at);
        }
        for (auto it = walk.rbegin(); it != walk.rend(); ++it) {
            const Hwnd up = (*it)->*link;
            depth[(*it)->handle] = IsNull(up) ? 0 : depth.at(up) + 1;
        }
    }
    return depth;
}

}  // namespace

void Load(const snapshot::Snapshot& snapshot, testing::FakeDesktop& desktop) {
    const std::vector<WindowRecord>& windows = snapshot.tree.windows;
    std::map<Hwnd, const WindowRecord*> byHandle;
    for (const WindowRecord& w : windows) byHandle.emplace(w.handle, &w);

    // Owners before the windows they own, parents before their children; the
    // snapshot's order otherwise, which is each parent's children in z-order.
    std::vector<const WindowRecord*> order;
    for (const WindowRecord& w : windows) order.push_back(&w);
    const std::map<Hwnd, std::size_t> parentDepth = Depths(byHandle, &WindowRecord::parent);
    const std::map<Hwnd, std::size_t> ownerDepth = Depths(byHandle, &WindowRecord::owner);
    std::stable_sort(order.begin(), order.end(), [&](const WindowRecord* a, const WindowRecord* b) {
        return std::pair{parentDepth.at(a->handle), ownerDepth.at(a->handle)} <
               std::pair{parentDepth.at(b->handle), ownerDepth.at(b->handle)};
    });

    for (const WindowRecord* w : order) {
        testing::WindowSpec desc;
        desc.behaviour = BehaviourOf(w->kind);
        desc.className = w->className;
        desc.text = w->kind == WindowKind::Edit ? w->shown : w->caption;
        desc.id = w->id;
        desc.parent = w->parent;
        desc.owner = w->owner;
        desc.visible = w->Visible();
        desc.enabled = w->Enabled();
        desc.overlapped = IsNull(w->parent) && !w->Popup();
        desc.multiline = (w->style & msg::ES_MULTILINE) != 0;
        desc.readOnly = (w->style & msg::ES_READONLY) != 0;
        desc.items = w->items;
        desc.selection = w->selection;
        desc.editable = w->kind == WindowKind::Combo && (w->style & 0x3u) == msg::CBS_DROPDOWN;
        desc.checked = w->checked;
        desc.process = static_cast<int>(w->process & 0x7FFFFFFF);
        desc.handle = w->handle;
        Rect rect{};
        if (w->info) {
            // A child's rectangle is kept in its parent's client coordinates.
            rect = w->info->window;
            if (!IsNull(w->parent)) {
                if (const WindowRecord* parent = byHandle.at(w->parent); parent->info) {
                    const Rect& origin = parent->info->client;
                    rect = {rect.left - origin.left, rect.top - origin.top, rect.right - origin.left, rect.bottom - origin.top};
                }
            }
            const Rect& outer = w->info->window;
            const Rect& inner = w->info->client;
            desc.frame = {inner.left - outer.left, inner.top - outer.top, outer.right - inner.right, outer.bottom - inner.bottom};
        }
        desc.rect = rect;
        const Hwnd h = desktop.Create(desc);
        desktop.Move(h, rect);  // an empty rectangle too, which Create would widen
        if (!w->info) desktop.SetWindowInfoFails(h, true);
        // Texts the fake keeps apart from what a box shows.
        if (w->kind == WindowKind::Edit && !w->caption.empty()) desktop.SetCaption(h, w->caption);
        if (desc.editable) desktop.HostSetText(h, w->shown);
    }

    // The z-order of the top-level windows as it was on the screen.
    Hwnd above{};
    for (const WindowRecord& w : windows) {
        if (!IsNull(w.parent)) continue;
        desktop.PlaceAfter(w.handle, above);
        above = w.handle;
    }
}

}  // namespace qm::replay
