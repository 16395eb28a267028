// A field snapshot: the windows of the dispatch programs on a desk, as the
// probe read them, in a JSON file that can travel. The probe writes it; the
// replay reads it back, rebuilds it on the fake desktop as windows that hold
// still (qm::replay::Load, tools/quillmere-replay/replay.h) and probes them as
// if it stood at the desk.
//
//   qm::snapshot::Snapshot s = qm::snapshot::Take(desktopFor, report, withTexts);
//   std::string file = qm::snapshot::ToJson(s);
//   qm::snapshot::ReadResult r = qm::snapshot::FromJson(file);   // r.error names what is wrong
//
// The file (UTF-8 JSON, format "quillmere-snapshot" version 1):
//   {"format", "formatVersion", "probeVersion", "takenAt", "dpi", "withTexts",
//    "askedFor" ("all" or [kinds]), "partial", "partialReason",
//    "programs": [{"adapter", "name", "process", "mainWindow", "fileVersion", "stoppedAnswering"}],
//    "windows": [{"handle", "parent", "owner", "process", "class", "caption", "captionCut",
//                 "id", "style", "visible", "enabled", "child", "popup", "window", "client",
//                 "kind", "shown", "shownCut", "lines", "items", "selection", "checked"}]}
// Handles are "0x..." texts; rectangles [left, top, right, bottom] on the
// screen, or null where GetWindowInfo failed. Windows come top-level window by
// top-level window in z-order, each followed by its descendants depth first.
// style is the whole dwStyle; visible, enabled, child and popup repeat its bits
// for a person reading the file (the style decides).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "callport/window_tree.h"
#include "platform/desktop.h"
#include "tools/quillmere-probe/probe.h"

namespace qm::snapshot {

constexpr int kFormatVersion = 1;
// A snapshot of kTreeMaxWindows windows with long texts stays well below this.
constexpr std::size_t kMaxFileBytes = 32u << 20;
// JSON nested deeper than this is not a snapshot (the file nests four levels).
constexpr std::size_t kMaxNesting = 16;
// A window further than this from its top-level window, by parents or by
// owners, is not of a desk: Windows refuses to nest windows more than 50 deep
// unless its USERNestedWindowLimit is raised. Every walk of a snapshot's tree
// (the loader's, the diff's, the probe's own searches on the fake desktop)
// then stays well within the 1 MB stack of a Windows program's main thread.
constexpr std::size_t kMaxDepth = 256;

struct Program {
    int adapter = 0;
    std::string name;
    std::uint32_t process = 0;
    Hwnd mainWindow{};
    std::string fileVersion;       // empty when the program's file has no version
    std::string stoppedAnswering;  // the step the program stopped answering in; empty if it answered
};

struct Snapshot {
    std::string probeVersion;
    std::string takenAt;  // UTC, "2026-12-10T08:15:00Z"
    int dpi = 0;          // 0: unknown
    bool withTexts = false;
    // What the probe was asked for at the desk (--adapter), which the replay asks again.
    std::vector<int> askedFor;
    bool askedForAll = true;
    std::vector<Program> programs;
    WindowTree tree;
};

// The windows every program of the report that runs can reach: the top-level
// windows of its processes (main window, entry windows, owned popups, message
// boxes, map dialogs) with their descendants, each program read on its own
// desktop. Texts are masked (MaskTexts) unless withTexts.
Snapshot Take(const probe::DesktopFor& desktopFor, const probe::Report& report, bool withTexts);

// Keeps the texts the robot looks for and the shape of every other:
//  - a caption that names an anchor (anchors.Names) stays, of any window but
//    an edit or combo box;
//  - a button's, check box's or label's caption stays unless the window sits
//    beside an edit or combo box (the sibling before or after it in z-order);
//  - every other text becomes MaskedText of it: the captions of dialogs and
//    containers (window titles), of boxes and of buttons and labels beside
//    them, what boxes show, their lines and a combo box's items.
// Classes, ids, styles, rectangles, relations, check states and selections stay.
void MaskTexts(WindowTree& tree, const probe::AnchorTexts& anchors);
// The kind and size of a text without the text: "010-1234-5678" reads
// "<digits+signs 5-16>" (digits, Hangul, Latin, signs; 1-4, 5-16, 17-64, 65-256
// or 257+ units), line by line; an empty text stays empty, so a box's
// fresh-or-filled test gives the same answer.
std::u16string MaskedText(std::u16string_view text);
// Whether text is what MaskedText makes of a text that was not empty.
bool IsMaskedText(std::u16string_view text);

std::string ToJson(const Snapshot& snapshot);

struct ReadResult {
    std::optional<Snapshot> snapshot;
    std::string error;  // "windows[3].parent: 0x1a2b is not a window of the snapshot"
};
ReadResult FromJson(std::string_view text);
// Reads at most kMaxFileBytes; a larger file is refused before it is read.
ReadResult ReadFile(const std::string& path);

}  // namespace qm::snapshot
