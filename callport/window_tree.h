// A dispatch program's windows read at once: every window under the given
// top-level windows, with what the robot reads of each (class, caption, id,
// style, rectangles, relations, and what edit, combo and check boxes hold).
// The field diagnostic writes it to a file, and the fake desktop rebuilds a
// screen from it.
//
//   std::vector<Hwnd> tops = TopLevelWindowsOf(desktop, {process});
//   WindowTree tree = ReadWindowTree(desktop, tops);
//   for (const WindowRecord& w : tree.windows) ...   // each top-level window, then its
//                                                     // descendants depth first, in z-order
//
// Every read goes through the Desktop port and is bounded like the robot's
// own: a program that stops answering still yields a tree, marked partial.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/desktop.h"

namespace qm {

// What a window does, as far as reading it goes; told from its class name and
// style (see KindOf).
enum class WindowKind { Container, Dialog, Edit, Button, CheckBox, Label, Combo };
std::string_view KindName(WindowKind kind);                    // "edit", "check box", ...
std::optional<WindowKind> KindNamed(std::string_view name);    // the reverse

// Edit and combo classes of the dispatch programs' toolkits are superclasses of
// the standard ones and keep their names in them: "TcxMemo", "TEdit",
// "TcxComboBox", "WindowsForms10.EDIT.app.0". A "Button" with a check-box style
// is a check box.
WindowKind KindOf(std::u16string_view className, std::uint32_t style);

struct WindowRecord {
    Hwnd handle{};
    Hwnd parent{};  // null for a top-level window
    Hwnd owner{};   // a top-level window's owner (GW_OWNER); null for none
    std::uint32_t process = 0;
    std::u16string className;
    std::u16string caption;  // GetWindowText
    bool captionCut = false;
    int id = 0;
    std::uint32_t style = 0;
    std::optional<WindowInfo> info;  // empty: GetWindowInfo failed
    WindowKind kind = WindowKind::Container;
    // Edit and combo boxes: what they show (WM_GETTEXT).
    std::u16string shown;
    bool shownCut = false;
    std::vector<std::u16string> lines;  // Edit: EM_GETLINE line by line
    std::vector<std::u16string> items;  // Combo: CB_GETLBTEXT item by item
    int selection = -1;                 // Combo: CB_GETCURSEL
    bool checked = false;               // CheckBox: BM_GETCHECK

    bool Visible() const;
    bool Enabled() const;
    bool Child() const;
    bool Popup() const;
};

struct WindowTree {
    std::vector<WindowRecord> windows;
    bool partial = false;
    std::string partialReason;  // empty unless partial
};

// Bounds of one reading.
constexpr std::size_t kTreeMaxWindows = 20000;
constexpr std::size_t kTreeTextUnits = 4096;   // a caption or a box's text
constexpr std::size_t kTreeMaxLines = 256;     // an edit box's lines
constexpr std::size_t kTreeMaxItems = 1000;    // a combo box's items

// The top-level windows of these processes, in z-order (top first).
std::vector<Hwnd> TopLevelWindowsOf(Desktop& desktop, const std::set<std::uint32_t>& processes);

// Reads each window of topLevel and its descendants (each once, whatever the
// order given). Stops, marking the tree partial, when the program stops
// answering or the tree exceeds kTreeMaxWindows.
WindowTree ReadWindowTree(Desktop& desktop, const std::vector<Hwnd>& topLevel);

}  // namespace qm
