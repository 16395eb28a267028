// The field diagnostic's core: what the robot finds of each dispatch program
// on this desk, found with the adapters' own reception chains, entry-window
// tests and control maps, through the Desktop port only. It reads class names,
// texts, window relations and rectangles; with openNew it presses the
// reception button once, as OpenNewEntryWindow does, and nothing else.
//
//   qm::probe::Options options = qm::probe::ParseArguments(args).options;
//   qm::probe::Report report = qm::probe::Run(desktopFor, options);
//   std::string out = options.json ? qm::probe::RenderJson(report) : qm::probe::RenderTable(report);
//   return qm::probe::ExitCode(report);
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "callport/control_map.h"
#include "core/delay_profile.h"
#include "platform/desk_lock.h"
#include "platform/desktop.h"

namespace qm::probe {

// Exit codes of quillmere-probe.exe.
constexpr int kExitAllFound = 0;
constexpr int kExitSomethingMissing = 1;
constexpr int kExitBadUsage = 2;
constexpr int kExitDeskBusy = 3;  // a request kept the desk for the whole wait: nothing was read

// How long the probe waits for a running request to end.
constexpr std::uint32_t kDeskWaitMs = 5000;

// Texts of controls are shown up to this many UTF-16 units.
constexpr std::size_t kTextUnits = 40;

struct Options {
    std::vector<int> adapters;  // the adapter kinds asked for, in order
    bool all = true;            // --adapter all (the default)
    bool json = false;
    bool openNew = false;
    std::u16string snapshot;  // --snapshot FILE: also write the programs' windows to FILE
    bool withTexts = false;   // the snapshot keeps what edit and combo boxes show
};

struct ParsedArguments {
    Options options;
    bool help = false;
    bool version = false;
    std::string error;  // empty when the command line was understood
};
// The arguments after the program's name.
ParsedArguments ParseArguments(const std::vector<std::u16string>& args);
extern const char kUsage[];

// What the probe read of one window.
struct WindowFacts {
    Hwnd handle{};
    std::u16string className;
    std::u16string text;  // cut to kTextUnits
    bool textCut = false;
    int id = 0;
    std::optional<Rect> rect;  // screen coordinates
};

// A control a row's walk reaches.
struct FieldReport {
    std::u16string name;         // "origin box"
    std::u16string walk;         // "next 1 of first child"
    std::optional<WindowFacts> window;  // empty: the walk ran off the end
    std::u16string kind;         // the class the adapter treats it as; empty: any
    bool wrongKind = false;      // reached, but of another class
    std::u16string requiredText; // the text it must show; empty: any
    bool refused = false;        // it shows another text
    bool required = false;
};

enum class AnchorStatus { Found, Missing, NotLookedFor };

// A link of the reception chain or a row of the control map.
struct AnchorReport {
    std::u16string name;         // "label 현금"
    std::u16string search;       // how it is found: "direct child Static \"현금\""
    int missingCode = 0;         // the code a request ends with when it is missing; 0: none
    std::string codeName;        // the catalogue's name of that code
    AnchorStatus status = AnchorStatus::NotLookedFor;
    std::optional<WindowFacts> window;
    std::vector<FieldReport> fields;
};

struct EntryReport {
    WindowFacts window;
    EntryState state = EntryState::Fresh;
    bool inspected = false;  // the window whose control map is shown
    bool opened = false;     // the window --open-new opened
};

struct MapReport {
    std::u16string name;  // "map view"
    WindowFacts window;
    std::optional<WindowFacts> browser;
};

enum class ProgramState { NotRunning, Running, NotAnswering };

struct AdapterReport {
    int kind = 0;
    std::string name;
    ProgramState program = ProgramState::NotRunning;
    std::string stoppedAnswering;  // NotAnswering: the step it stopped answering in
    std::optional<WindowFacts> mainWindow;
    std::vector<AnchorReport> chain;
    std::optional<int> openNewCode;  // with openNew: what pressing the reception button once ended with
    std::vector<EntryReport> entries;
    bool mapInspected = false;       // false: no entry window to resolve the control map in
    std::vector<AnchorReport> controlMap;
    std::vector<MapReport> mapWindows;
    // The first missing anchor, chain first, then the control map: the code a
    // request would end with (0 when every anchor looked for was found).
    int firstMissingCode = 0;
    std::string firstMissingName;  // the catalogue's name of that code
    std::u16string firstMissingAnchor;
    int flagged = 0;  // controls of another class, walks off the end, refused texts
};

struct Report {
    std::vector<AdapterReport> adapters;
    bool single = false;  // one adapter was asked for
};

// The desktop one adapter's probe runs on. On Windows each adapter gets a
// desktop of its own, so a program that stopped answering does not make the
// next one look hung too.
using DesktopFor = std::function<Desktop&(int adapterKind)>;

Report Run(const DesktopFor& desktopFor, const Options& options, const DelayProfile& profile = kNormalProfile);

// The texts the robot looks for on a screen: every literal of the adapters'
// reception chains, control maps (the anchors, and the texts a control must
// show) and map windows. A snapshot keeps a text that names one of them.
struct AnchorTexts {
    std::set<std::u16string, std::less<>> whole;  // matched as the whole text
    std::vector<std::u16string> parts;            // matched as part of a text
    bool Names(std::u16string_view text) const;
};
const AnchorTexts& AllAnchorTexts();

// The probe reads windows a running request is changing, and with --open-new
// presses a reception button, so it takes the desk like a robot, but waits for
// it at most kDeskWaitMs. Empty once the probe holds the desk; else
// kExitDeskBusy, with what to print in message.
std::optional<int> TakeDesk(DeskLock& desk, std::string& message);

// 0 when every anchor of every program that is running was found; 1 when one
// is missing, a program stopped answering, --open-new found no fresh window,
// or the one adapter asked for is not running.
int ExitCode(const Report& report);

// A handle as both JSON documents write it: "0x1a2b".
std::string HandleText(Hwnd h);

// The readable table and the JSON document (UTF-8).
std::string RenderTable(const Report& report);
std::string RenderJson(const Report& report);

}  // namespace qm::probe
