// quillmere-replay's core: a field snapshot replayed on the fake desktop and
// probed as the probe probes a live desk, and two snapshots compared, window
// by window and control-map row by row.
//
//   quillmere-replay SNAPSHOT.json [--adapter 1|2|3|4|all] [--json]
//   quillmere-replay --diff OLD.json NEW.json [--adapter 1|2|3|4|all] [--json]
//
//   std::string out, err;
//   int code = qm::replay::Main({"desk.json", "--json"}, out, err);
#pragma once

#include <string>
#include <vector>

#include "tools/quillmere-probe/probe.h"
#include "tools/snapshot/snapshot.h"

namespace qm::testing {
class FakeDesktop;
}

namespace qm::replay {

// Exit codes: a replay exits as the probe would have at the desk (0 every
// anchor found, 1 one missing); a diff exits 0 when no control-map row's
// outcome differs, 1 otherwise; 2 is bad usage or a snapshot refused.
constexpr int kExitSame = 0;
constexpr int kExitDiffers = 1;
constexpr int kExitBadInput = 2;

extern const char kUsage[];

// Builds the snapshot's windows on an empty fake desktop with their handles,
// z-order, relations, rectangles, styles and contents. Nothing reacts to them.
void Load(const snapshot::Snapshot& snapshot, testing::FakeDesktop& desktop);

// The probe's report of the snapshot's screen, rebuilt on a fake desktop.
probe::Report Replay(const snapshot::Snapshot& snapshot, const probe::Options& options);

// What changed between two snapshots of a program's screen.
struct WindowChange {
    enum class Kind { Added, Removed, Moved, Changed } kind = Kind::Added;
    std::string window;  // the window as a person finds it: Static "현금" in #32770 "접수"
    std::string detail;  // Moved: "place 3 -> 5 among ..."; Changed: "text \"a\" -> \"b\""
};
struct RowChange {
    std::string program;  // "LogiD2"
    std::string row;      // "label 현금"
    std::string before;   // "found"
    std::string after;    // "missing, 19 CashLabelNotFound"
    int weight = 0;       // larger: a larger consequence for requests
};
struct Difference {
    std::vector<WindowChange> windows;
    std::vector<RowChange> rows;  // largest consequence first
};
Difference Compare(const snapshot::Snapshot& before, const snapshot::Snapshot& after, const probe::Options& options);
std::string RenderDiff(const Difference& diff);
std::string RenderDiffJson(const Difference& diff);

// The whole program: arguments in UTF-8, what to print on standard output and
// standard error, and the exit code.
int Main(const std::vector<std::string>& args, std::string& out, std::string& err);

}  // namespace qm::replay
