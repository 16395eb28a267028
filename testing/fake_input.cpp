// Input: the cursor, hit testing and real mouse clicks (MouseEvent), which
// arrive as posted button messages at the window under the cursor.
#include "testing/fake_desktop_internal.h"

namespace qm::testing {

namespace m = qm::msg;

namespace {

bool Contains(const Rect& r, Point p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

}  // namespace

// Whether the window and every window it lies in are enabled: a click on a
// control of a disabled dialog reaches nobody.
bool FakeDesktop::EnabledChain(const Window& w) const {
    const Window* x = &w;
    while (x) {
        if (!x->enabled) return false;
        x = Find(x->parent);
    }
    return true;
}

bool FakeDesktop::SetCursorPos(Point screen) {
    cursor_ = screen;
    return true;
}

std::optional<Point> FakeDesktop::GetCursorPos() { return cursor_; }

Hwnd FakeDesktop::HitTest(Point screen) const {
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
        const Hwnd hit = HitTest(cursor_);
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
        const Hwnd target = Find(capture_) ? capture_ : HitTest(cursor_);
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

bool FakeDesktop::ClickAt(Point screen) {
    SetCursorPos(screen);
    MouseEvent(m::MOUSEEVENTF_LEFTDOWN);
    MouseEvent(m::MOUSEEVENTF_LEFTUP);
    return true;
}

}  // namespace qm::testing
