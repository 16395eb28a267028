// What the fake desktop's own files share and nothing else includes: the
// window record and the small helpers every concern uses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "testing/fake_desktop.h"

namespace qm::testing {

struct FakeDesktop::Window {
    Hwnd handle{};
    Behaviour behaviour = Behaviour::Container;
    std::u16string className;
    std::u16string caption;  // the window's own text (DefWindowProc's)
    std::u16string text;     // what an edit or combo box shows
    int id = 0;
    Hwnd parent{};
    Hwnd owner{};
    Hwnd commandTarget{};
    Rect rect{};
    Insets frame{};
    bool visible = true;
    bool enabled = true;
    bool minimized = false;
    bool overlapped = false;
    bool multiline = true;
    bool readOnly = false;
    bool editable = false;  // Combo: has an edit box
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
    // Combo.
    std::vector<std::u16string> items;
    int selection = -1;
    // Failures and life.
    bool hung = false;
    bool infoFails = false;
    bool destroying = false;
    std::shared_ptr<FakePage> page;

    // Edit and combo boxes show a text of their own; their caption stays apart.
    bool SeparateText() const { return behaviour == Behaviour::Edit || behaviour == Behaviour::Combo; }
    std::u16string& Shown() { return SeparateText() ? text : caption; }
    const std::u16string& Shown() const { return SeparateText() ? text : caption; }
};

namespace detail {

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

inline std::uintptr_t Value(Hwnd h) { return static_cast<std::uintptr_t>(h); }

// The text up to its first NUL, cut to n units.
inline std::u16string Cut(std::u16string s, std::size_t n) {
    const auto nul = s.find(u'\0');
    if (nul != std::u16string::npos) s.resize(nul);
    if (s.size() > n) s.resize(n);
    return s;
}

}  // namespace detail

}  // namespace qm::testing
