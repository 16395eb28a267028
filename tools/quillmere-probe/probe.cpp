// Running the probe: each adapter's main window, reception chain, entry
// windows, control map and map windows, as the adapter itself finds them.
#include "tools/quillmere-probe/probe.h"

#include <algorithm>
#include <array>
#include <span>

#include "adapters/cmanerxe4/cmanerxe4.h"
#include "adapters/icon2013/icon2013.h"
#include "adapters/logi/logi_windows.h"
#include "adapters/logid2/logid2.h"
#include "adapters/logid5/logid5.h"
#include "adapters/registry.h"
#include "callport/windows.h"
#include "core/result_codes.h"
#include "core/utf.h"

namespace qm::probe {

const char kUsage[] =
    "usage: quillmere-probe.exe [--adapter 1|2|3|4|all] [--json] [--open-new]\n"
    "                           [--snapshot FILE [--with-texts]]\n"
    "  --adapter   the dispatch program to look at: 1 LogiD2, 2 LogiD5, 3 CManerXE4,\n"
    "              4 Icon2013, all (the default)\n"
    "  --json      print JSON instead of the table\n"
    "  --open-new  press the program's reception button once and look at the fresh\n"
    "              entry window it opens (otherwise nothing is pressed or typed)\n"
    "  --snapshot FILE  also write every window of the programs to FILE, to replay\n"
    "              and compare elsewhere with quillmere-replay; texts the robot\n"
    "              does not look for are replaced by their kind and size unless\n"
    "              --with-texts\n"
    "  --version   print this program's version\n"
    "Exit codes: 0 every anchor of every running program found, 1 one is missing (or\n"
    "the program stopped answering, or the one program asked for is not running),\n"
    "2 bad usage or a snapshot that could not be written, 3 a request is running on\n"
    "this desk (it kept the desk for 5 s; nothing was read).\n";

std::optional<int> TakeDesk(DeskLock& desk, std::string& message) {
    const DeskWait wait = desk.Acquire(kDeskWaitMs);
    if (DeskIsOurs(wait.turn)) return std::nullopt;
    if (wait.turn == DeskTurn::Unavailable) {
        message = "the desk lock could not be had: " + Utf16ToUtf8(wait.why);
        return kExitDeskBusy;
    }
    message = "a request is running on this desk (it kept the desk for " + std::to_string(kDeskWaitMs / 1000) +
              " s); probe again once it has ended";
    return kExitDeskBusy;
}

ParsedArguments ParseArguments(const std::vector<std::u16string>& args) {
    ParsedArguments r;
    bool adapterGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::u16string& arg = args[i];
        if (arg == u"--help" || arg == u"-h") {
            r.help = true;
        } else if (arg == u"--version") {
            r.version = true;
        } else if (arg == u"--json") {
            r.options.json = true;
        } else if (arg == u"--open-new") {
            r.options.openNew = true;
        } else if (arg == u"--with-texts") {
            r.options.withTexts = true;
        } else if (arg == u"--snapshot") {
            if (i + 1 >= args.size() || args[i + 1].empty() || args[i + 1].rfind(u"--", 0) == 0) {
                r.error = "--snapshot needs a file name";
                return r;
            }
            r.options.snapshot = args[++i];
        } else if (arg == u"--adapter") {
            if (adapterGiven) {
                r.error = "--adapter is given twice";
                return r;
            }
            adapterGiven = true;
            const std::u16string value = i + 1 < args.size() ? args[++i] : std::u16string();
            if (value == u"all") {
                r.options.all = true;
            } else if (value.size() == 1 && value[0] >= u'1' && value[0] <= u'4') {
                r.options.all = false;
                r.options.adapters = {value[0] - u'0'};
            } else {
                r.error = "--adapter takes 1, 2, 3, 4 or all";
                return r;
            }
        } else {
            r.error = "unexpected argument '" + Utf16ToUtf8(arg) + "'";
            return r;
        }
    }
    if (r.options.withTexts && r.options.snapshot.empty()) {
        r.error = "--with-texts goes with --snapshot";
        return r;
    }
    if (r.options.all) r.options.adapters = {adapter::kLogiD2, adapter::kLogiD5, adapter::kCManerXE4, adapter::kIcon2013};
    return r;
}

namespace {

constexpr std::uint32_t kWmNull = 0x0000;  // asks a window's thread whether it still answers

// How the probe reaches what differs between the adapters only by name.
template <class Port>
struct Traits;
template <>
struct Traits<CCallPortLogiD2> {
    static int OpenNew(CCallPortLogiD2& port) { return port.OpenNewEntryWindow(1); }
    static Hwnd Opened(const CCallPortLogiD2::Controls& c) { return c.entryWindow; }
    static std::array<std::span<const ControlRow<CCallPortLogiD2::Controls>>, 1> Maps() {
        return {CCallPortLogiD2::ControlMap()};
    }
};
template <>
struct Traits<CCallPortLogiD5> {
    static int OpenNew(CCallPortLogiD5& port) { return port.OpenNewEntryWindow(1); }
    static Hwnd Opened(const CCallPortLogiD5::Controls& c) { return c.entryWindow; }
    // LogiD5 checks its cancel button before the control map.
    static std::array<std::span<const ControlRow<CCallPortLogiD5::Controls>>, 2> Maps() {
        return {CCallPortLogiD5::CancelCheck(), CCallPortLogiD5::ControlMap()};
    }
};
template <>
struct Traits<CCallPortCManerXE4> {
    static int OpenNew(CCallPortCManerXE4& port) { return port.OpenNewEntryWindow(1); }
    static Hwnd Opened(const CCallPortCManerXE4::Controls& c) { return c.entryWindow; }
    static std::array<std::span<const ControlRow<CCallPortCManerXE4::Controls>>, 1> Maps() {
        return {CCallPortCManerXE4::ControlMap()};
    }
};
template <>
struct Traits<CCallPortIcon2013> {
    static int OpenNew(CCallPortIcon2013& port) { return port.OpenNewOrderWindow(1); }
    static Hwnd Opened(const CCallPortIcon2013::Controls& c) { return c.orderDialog; }
    static std::array<std::span<const ControlRow<CCallPortIcon2013::Controls>>, 1> Maps() {
        return {CCallPortIcon2013::ControlMap()};
    }
};

std::string CodeName(int kind, int code) {
    if (code == 0) return {};
    const ResultCodeInfo* info = FindResultCode(kind, code);
    return info != nullptr ? info->name : "";
}

// Top-level windows show their caption (no message); controls answer WM_GETTEXT
// through the bounded send, as the robot reads its boxes.
WindowFacts ReadFacts(Desktop& desktop, Hwnd window, bool topLevel) {
    WindowFacts f;
    f.handle = window;
    f.className = desktop.GetClassName(window, kNameChars);
    std::u16string text = topLevel ? desktop.GetWindowText(window, kNameChars) : desktop.SendGetText(window, kTextUnits + 2);
    if (text.size() > kTextUnits) {
        std::size_t cut = kTextUnits;
        if (text[cut - 1] >= 0xD800 && text[cut - 1] <= 0xDBFF) --cut;  // keep a surrogate pair whole
        text.resize(cut);
        f.textCut = true;
    }
    f.text = std::move(text);
    f.id = desktop.GetDlgCtrlID(window);
    if (const std::optional<WindowInfo> info = desktop.GetWindowInfo(window)) f.rect = info->window;
    return f;
}

AnchorReport FromRow(Desktop& desktop, int kind, const ResolvedRow& row) {
    AnchorReport a;
    a.name = std::u16string(row.name);
    a.search = DescribeAnchor(row.anchor);
    a.missingCode = row.missingCode;
    a.codeName = CodeName(kind, row.missingCode);
    a.status = row.missing ? AnchorStatus::Missing : AnchorStatus::Found;
    if (!IsNull(row.found)) a.window = ReadFacts(desktop, row.found, false);
    for (const ResolvedField& field : row.fields) {
        FieldReport f;
        f.name = std::u16string(field.name);
        f.walk = DescribeWalk(field.walk);
        f.kind = std::u16string(field.kind);
        f.requiredText = std::u16string(field.text);
        f.refused = field.refused;
        f.required = field.required;
        if (!IsNull(field.window)) {
            f.window = ReadFacts(desktop, field.window, false);
            f.wrongKind = !f.kind.empty() && f.window->className != f.kind;
        }
        a.fields.push_back(std::move(f));
    }
    return a;
}

void Conclude(AdapterReport& r) {
    for (const std::vector<AnchorReport>* list : {&r.chain, &r.controlMap}) {
        for (const AnchorReport& a : *list) {
            if (r.firstMissingCode == 0 && a.status == AnchorStatus::Missing && a.missingCode != 0) {
                r.firstMissingCode = a.missingCode;
                r.firstMissingName = a.codeName;
                r.firstMissingAnchor = a.name;
            }
            for (const FieldReport& f : a.fields)
                if (!f.window || f.wrongKind || f.refused) ++r.flagged;
        }
    }
}

template <class Port>
AdapterReport ProbeAdapter(Desktop& desktop, const DelayProfile& profile, const Options& options, int kind) {
    using Controls = typename Port::Controls;
    AdapterReport r;
    r.kind = kind;
    Port port(desktop, profile);
    auto stopped = [&](const char* step) {
        if (!desktop.NotResponding()) return false;
        r.program = ProgramState::NotAnswering;
        r.stoppedAnswering = step;
        Conclude(r);
        return true;
    };

    const Hwnd main = port.FindMainWindow();
    if (IsNull(main)) return r;
    r.program = ProgramState::Running;
    r.mainWindow = ReadFacts(desktop, main, true);
    desktop.Send(main, kWmNull, 0, 0);
    if (stopped("its main window")) return r;

    // The way to a new entry window: every link looked for, the ones under a
    // missing link listed as not looked for.
    const std::span<const ChainLink> links = Port::ReceptionChain();
    std::vector<ResolvedRow> chain;
    Hwnd receptionButton{};
    ResolveChain(desktop, main, links, receptionButton, &chain);
    if (stopped("the way to a new entry window")) return r;
    for (std::size_t i = 0; i < links.size(); ++i) {
        if (i < chain.size()) {
            AnchorReport a = FromRow(desktop, kind, chain[i]);
            a.status = IsNull(chain[i].found) ? AnchorStatus::Missing : AnchorStatus::Found;
            r.chain.push_back(std::move(a));
        } else {
            r.chain.push_back({std::u16string(links[i].name), DescribeAnchor(links[i].anchor), links[i].missingCode,
                               CodeName(kind, links[i].missingCode), AnchorStatus::NotLookedFor, {}, {}});
        }
    }

    Hwnd opened{};
    if (options.openNew) {
        const int code = Traits<Port>::OpenNew(port);
        r.openNewCode = code;
        if (stopped("pressing the reception button")) return r;
        if (code == result::kSuccess) opened = Traits<Port>::Opened(port.controls());
    }

    const std::vector<EntryWindowSeen<Controls>> seen = Port::ListEntryWindows(desktop, main);
    if (stopped("its entry windows")) return r;
    // The window opened just now, else the first filled one, else the first fresh one.
    std::optional<std::size_t> inspect;
    for (std::size_t i = 0; i < seen.size() && !inspect; ++i)
        if (!IsNull(opened) && seen[i].mapRoot == opened) inspect = i;
    for (std::size_t i = 0; i < seen.size() && !inspect; ++i)
        if (seen[i].state == EntryState::Filled) inspect = i;
    if (!inspect && !seen.empty()) inspect = 0;
    for (std::size_t i = 0; i < seen.size(); ++i) {
        r.entries.push_back({ReadFacts(desktop, seen[i].window, true), seen[i].state, inspect == i,
                             !IsNull(opened) && seen[i].mapRoot == opened});
    }

    if (inspect) {
        const EntryWindowSeen<Controls>& entry = seen[*inspect];
        Controls controls = entry.controls;
        std::vector<ResolvedRow> rows;
        for (const auto& map : Traits<Port>::Maps())
            ResolveControls<Controls>(desktop, entry.mapRoot, map, controls, Resolve::EveryRow, &rows);
        if (stopped("the control map")) return r;
        r.mapInspected = true;
        for (const ResolvedRow& row : rows) r.controlMap.push_back(FromRow(desktop, kind, row));
        if (stopped("the control map")) return r;
    }

    for (const MapWindowSpec& mapWindow : Port::MapWindows()) {
        for (Hwnd window : CollectTopLevel(desktop, mapWindow.className, mapWindow.caption)) {
            MapReport m{std::u16string(mapWindow.name), ReadFacts(desktop, window, true), {}};
            const Hwnd browser = FindBrowser(desktop, window);
            if (!IsNull(browser)) m.browser = ReadFacts(desktop, browser, false);
            r.mapWindows.push_back(std::move(m));
        }
    }
    if (stopped("its map windows")) return r;
    Conclude(r);
    return r;
}

using ProbeFunction = AdapterReport (*)(Desktop&, const DelayProfile&, const Options&, int);

ProbeFunction ProbeFor(int kind) {
    switch (kind) {
        case adapter::kLogiD2: return &ProbeAdapter<CCallPortLogiD2>;
        case adapter::kLogiD5: return &ProbeAdapter<CCallPortLogiD5>;
        case adapter::kCManerXE4: return &ProbeAdapter<CCallPortCManerXE4>;
        case adapter::kIcon2013: return &ProbeAdapter<CCallPortIcon2013>;
        default: return nullptr;
    }
}

template <class Port>
void AddAnchorTexts(AnchorTexts& texts) {
    auto add = [&](const Recogniser& r) {
        for (std::u16string_view t : r.texts) {
            if (t.empty()) continue;
            if (r.match == TextMatch::Contains) texts.parts.emplace_back(t);
            else texts.whole.emplace(t);
        }
    };
    for (const ChainLink& link : Port::ReceptionChain()) add(link.anchor.recogniser);
    for (const auto& map : Traits<Port>::Maps()) {
        for (const auto& row : map) {
            add(row.anchor.recogniser);
            for (const auto& field : row.fields)
                if (!field.text.empty()) texts.whole.emplace(field.text);
        }
    }
    for (const MapWindowSpec& m : Port::MapWindows())
        if (m.caption != nullptr) texts.whole.emplace(m.caption);
}

}  // namespace

bool AnchorTexts::Names(std::u16string_view text) const {
    if (whole.find(text) != whole.end()) return true;
    return std::any_of(parts.begin(), parts.end(), [&](const std::u16string& p) { return text.find(p) != std::u16string_view::npos; });
}

const AnchorTexts& AllAnchorTexts() {
    static const AnchorTexts texts = [] {
        AnchorTexts t;
        AddAnchorTexts<CCallPortLogiD2>(t);
        AddAnchorTexts<CCallPortLogiD5>(t);
        AddAnchorTexts<CCallPortCManerXE4>(t);
        AddAnchorTexts<CCallPortIcon2013>(t);
        // What the entry-window tests look for beside the tables: the Logi entry
        // buttons, and the label before the customer search box (LogiD5, Icon2013).
        for (const Recogniser* r : {&logi::kIsEntryRegisterOrModifyButton, &logi::kIsEntryHoldButton,
                                    &logi::kIsEntryInquiryButton, &logi::kIsEntryCancelButton})
            for (std::u16string_view text : r->texts)
                if (!text.empty()) t.whole.emplace(text);
        t.whole.emplace(u"고객검색");
        return t;
    }();
    return texts;
}

Report Run(const DesktopFor& desktopFor, const Options& options, const DelayProfile& profile) {
    Report report;
    report.single = !options.all && options.adapters.size() == 1;
    for (int kind : options.adapters) {
        const ProbeFunction probe = ProbeFor(kind);
        if (probe == nullptr) continue;
        AdapterReport r = probe(desktopFor(kind), profile, options, kind);
        for (const AdapterEntry& entry : RegisteredAdapters())
            if (entry.adapterKind == kind) r.name = entry.name;
        report.adapters.push_back(std::move(r));
    }
    return report;
}

int ExitCode(const Report& report) {
    for (const AdapterReport& a : report.adapters) {
        if (a.program == ProgramState::NotRunning) {
            if (report.single) return kExitSomethingMissing;
            continue;
        }
        if (a.program == ProgramState::NotAnswering || a.firstMissingCode != 0) return kExitSomethingMissing;
        if (a.openNewCode && *a.openNewCode != result::kSuccess) return kExitSomethingMissing;
    }
    return kExitAllFound;
}

}  // namespace qm::probe
