// Replaying a snapshot, and the program's command line.
#include "tools/quillmere-replay/replay.h"

#include <algorithm>

#include "core/utf.h"
#include "quillmere_version.h"
#include "testing/fake_desktop.h"

namespace qm::replay {

const char kUsage[] =
    "usage: quillmere-replay SNAPSHOT.json [--adapter 1|2|3|4|all] [--json]\n"
    "       quillmere-replay --diff OLD.json NEW.json [--adapter 1|2|3|4|all] [--json]\n"
    "  SNAPSHOT.json  a snapshot written by quillmere-probe.exe --snapshot; it is\n"
    "                 rebuilt as windows that hold still and probed as the probe\n"
    "                 probes a desk (same report, same exit codes)\n"
    "  --diff         the windows added, removed, moved and changed from OLD to NEW,\n"
    "                 and the control-map rows whose outcome differs, largest\n"
    "                 consequence first\n"
    "  --adapter      the dispatch program to look at (default: all)\n"
    "  --json         print JSON instead of the table\n"
    "Exit codes: replay as the probe (0 every anchor found, 1 one is missing); diff\n"
    "0 when no row's outcome differs, 1 otherwise; 2 bad usage or a refused file.\n";

probe::Report Replay(const snapshot::Snapshot& snapshot, const probe::Options& options) {
    testing::FakeDesktop desktop;
    Load(snapshot, desktop);
    probe::Options replayed = options;
    replayed.openNew = false;  // windows that hold still: nothing is pressed
    probe::Report report = probe::Run([&](int) -> Desktop& { return desktop; }, replayed);
    // A program that stopped answering at the desk is reported so here too,
    // with what was read of it before.
    for (probe::AdapterReport& a : report.adapters) {
        for (const snapshot::Program& p : snapshot.programs) {
            if (p.adapter != a.kind || p.stoppedAnswering.empty() || a.program == probe::ProgramState::NotRunning) continue;
            a.program = probe::ProgramState::NotAnswering;
            a.stoppedAnswering = p.stoppedAnswering;
        }
    }
    return report;
}

int Main(const std::vector<std::string>& args, std::string& out, std::string& err) {
    // The paths are this program's; the rest is the probe's own options.
    std::vector<std::string> paths;
    std::vector<std::u16string> probeArgs;
    bool diff = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--diff") {
            diff = true;
        } else if (a == "--version") {
            out = std::string("quillmere-replay ") + kVersion + "\n";
            return kExitSame;
        } else if (a == "--adapter") {
            probeArgs.push_back(Utf8ToUtf16(a));
            if (i + 1 < args.size()) probeArgs.push_back(Utf8ToUtf16(args[++i]));
        } else if (a == "--open-new" || a == "--snapshot" || a == "--with-texts") {
            err = "quillmere-replay: " + a + " is the probe's, at the desk\n" + kUsage;
            return kExitBadInput;
        } else if (a.rfind("--", 0) == 0 || a == "-h") {
            probeArgs.push_back(Utf8ToUtf16(a));
        } else {
            paths.push_back(a);
        }
    }
    const bool adapterGiven = std::find(probeArgs.begin(), probeArgs.end(), u"--adapter") != probeArgs.end();
    probe::ParsedArguments parsed = probe::ParseArguments(probeArgs);
    if (parsed.help) {
        out = kUsage;
        return kExitSame;
    }
    std::string usage = parsed.error;
    if (usage.empty() && paths.size() != (diff ? 2u : 1u)) {
        usage = diff ? "--diff takes two snapshots, OLD and NEW" : "give one snapshot to replay";
    }
    if (!usage.empty()) {
        err = "quillmere-replay: " + usage + "\n" + kUsage;
        return kExitBadInput;
    }

    std::vector<snapshot::Snapshot> snapshots;
    for (const std::string& path : paths) {
        snapshot::ReadResult r = snapshot::ReadFile(path);
        if (!r.snapshot) {
            err = "quillmere-replay: " + r.error + "\n";
            return kExitBadInput;
        }
        snapshots.push_back(std::move(*r.snapshot));
    }
    if (diff) {
        const Difference d = Compare(snapshots[0], snapshots[1], parsed.options);
        out = parsed.options.json ? RenderDiffJson(d) : RenderDiff(d);
        return d.rows.empty() ? kExitSame : kExitDiffers;
    }
    const snapshot::Snapshot& s = snapshots[0];
    // Without --adapter the replay asks what the probe was asked at the desk.
    if (!adapterGiven) {
        parsed.options.all = s.askedForAll;
        parsed.options.adapters = s.askedFor;
    }
    if (s.tree.partial) err = "quillmere-replay: the snapshot is partial: " + s.tree.partialReason + "\n";
    const probe::Report report = Replay(s, parsed.options);
    out = parsed.options.json ? probe::RenderJson(report) : probe::RenderTable(report);
    return probe::ExitCode(report);
}

}  // namespace qm::replay
