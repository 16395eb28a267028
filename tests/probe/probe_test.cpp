// The field diagnostic against the four substitutes on the fake desktop: what
// it reports of a complete screen, of anchors left out with --omit, of walks
// that land on the wrong control, of hung programs and of map windows.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/utf.h"
#include "platform/messages.h"
#include "sim/logid2/logid2_sim.h"
#include "tests/probe/probe_desk.h"
#include "testing/fake_desk_lock.h"
#include "testing/fake_desktop.h"
#include "tools/quillmere-probe/probe.h"

namespace qm::probe {
namespace {

using sim::kit::CommonOptions;
using testing::FakeDesktop;

const AnchorReport* Row(const std::vector<AnchorReport>& rows, std::u16string_view name) {
    for (const AnchorReport& r : rows)
        if (r.name == name) return &r;
    return nullptr;
}

const FieldReport* FieldOf(const AnchorReport& row, std::u16string_view name) {
    for (const FieldReport& f : row.fields)
        if (f.name == name) return &f;
    return nullptr;
}

// The anchors a request would stop at, chain first, in the order looked for.
std::vector<const AnchorReport*> MissingAnchors(const AdapterReport& a) {
    std::vector<const AnchorReport*> missing;
    for (const auto* list : {&a.chain, &a.controlMap})
        for (const AnchorReport& r : *list)
            if (r.status == AnchorStatus::Missing && r.missingCode != 0) missing.push_back(&r);
    return missing;
}

TEST(Probe, EveryAnchorOfACompleteScreenIsFoundWithWhatItsWalksReach) {
    for (int kind = 1; kind <= 4; ++kind) {
        SCOPED_TRACE(kind);
        Desk desk;
        desk.Start(kind);
        const Hwnd filled = desk.ShowFilled(kind);
        ASSERT_FALSE(IsNull(filled));
        const Report report = desk.Probe({u"--adapter", Utf8ToUtf16(std::to_string(kind))});
        ASSERT_EQ(1u, report.adapters.size());
        const AdapterReport& a = report.adapters[0];
        EXPECT_EQ(ProgramState::Running, a.program);
        ASSERT_TRUE(a.mainWindow);
        EXPECT_EQ(desk.d.Class(desk[kind].sim->MainWindow()), a.mainWindow->className);
        ASSERT_FALSE(a.chain.empty());
        EXPECT_EQ(desk[kind].reception, a.chain.back().window->handle) << "the chain ends at the reception button";
        ASSERT_EQ(1u, a.entries.size());
        EXPECT_EQ(EntryState::Filled, a.entries[0].state);
        EXPECT_TRUE(a.entries[0].inspected);
        ASSERT_TRUE(a.mapInspected);
        EXPECT_TRUE(MissingAnchors(a).empty());
        EXPECT_EQ(0, a.flagged) << "every walk lands on a control of the class the adapter treats it as";
        for (const AnchorReport& row : a.controlMap) {
            EXPECT_EQ(AnchorStatus::Found, row.status) << Utf16ToUtf8(row.name);
            for (const FieldReport& f : row.fields) {
                ASSERT_TRUE(f.window) << Utf16ToUtf8(f.name);
                EXPECT_EQ(desk.d.Class(f.window->handle), f.window->className);
                EXPECT_EQ(desk.d.Id(f.window->handle), f.window->id);
                EXPECT_EQ(desk.d.Geometry(f.window->handle)->window, f.window->rect);
            }
        }
        EXPECT_EQ(kExitAllFound, ExitCode(report));
    }
}

TEST(Probe, ProgramsThatAreNotRunningCountOnlyWhenAskedForAlone) {
    Desk desk;
    desk.Start(3);
    const Report all = desk.Probe({});
    ASSERT_EQ(4u, all.adapters.size());
    for (const AdapterReport& a : all.adapters)
        EXPECT_EQ(a.kind == 3 ? ProgramState::Running : ProgramState::NotRunning, a.program) << a.name;
    EXPECT_EQ(kExitAllFound, ExitCode(all));
    EXPECT_FALSE(all.adapters[2].mapInspected) << "no entry window open, none opened";
    EXPECT_EQ(kExitSomethingMissing, ExitCode(desk.Probe({u"--adapter", u"1"})));
    EXPECT_EQ(kExitAllFound, ExitCode(desk.Probe({u"--adapter", u"3"})));
}

// With one anchor left out, exactly that anchor is reported missing, with the
// code a request would end with, and every anchor looked for before it is found.
TEST(Probe, AnAnchorLeftOutIsReportedWithItsCodeAndTheAnchorsBeforeItAreFound) {
    struct Case {
        int kind;
        const char16_t* omit;
        const char16_t* anchor;
        int code;
    };
    const Case cases[] = {
        {1, u"메인리스트", u"main list", 8},
        {1, u"현금", u"label 현금", 19},
        {1, u"대기후복사", u"button 대기후복사", 16},
        {1, u"적정", u"button 적정", 50},
        {2, u"취   소(&X)", u"register button (cancel button)", 29},
        {2, u"예약", u"dialog with 예약", 13},
        {2, u"업소비", u"dialog with 업소비", 23},
        {3, u"접수-상담", u"reception tab", 7},
        {3, u"수수료", u"label 수수료", 27},
        {3, u"전체적립", u"label 전체적립", 25},
        {4, u"결제", u"label 결제", 27},
        {4, u"S", u"button S", 16},
        {4, u"축소", u"button 축소", 54},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf16ToUtf8(c.omit));
        Desk desk;
        CommonOptions common;
        common.omit = {c.omit};
        desk.Start(c.kind, common);
        const Report report = desk.Probe({u"--adapter", Utf8ToUtf16(std::to_string(c.kind)), u"--open-new"});
        const AdapterReport& a = report.adapters.at(0);
        const std::vector<const AnchorReport*> missing = MissingAnchors(a);
        ASSERT_EQ(1u, missing.size());
        EXPECT_EQ(c.anchor, missing[0]->name);
        EXPECT_EQ(c.code, missing[0]->missingCode);
        EXPECT_FALSE(missing[0]->codeName.empty());
        EXPECT_EQ(c.code, a.firstMissingCode);
        bool before = true;
        for (const auto* list : {&a.chain, &a.controlMap}) {
            for (const AnchorReport& r : *list) {
                if (&r == missing[0]) before = false;
                if (before) {
                    EXPECT_EQ(AnchorStatus::Found, r.status) << Utf16ToUtf8(r.name);
                }
            }
        }
        EXPECT_EQ(kExitSomethingMissing, ExitCode(report));
    }
}

// A vendor's update moved a control: the walk from its anchor now lands on a
// button instead of a box, or off the end of the siblings. The anchors are all
// there, so the exit code stays 0; the controls are flagged.
TEST(Probe, AWalkThatLandsOnAnotherClassOrRunsOffTheEndIsFlagged) {
    Desk desk;
    desk.Start(1);
    auto& sim = static_cast<sim::logid2::LogiD2Sim&>(*desk[1].sim);
    const Hwnd entry = sim.OpenEntryWindow();
    const sim::logid2::EntryControls& c = sim.EntryInfo(entry)->controls;
    const Hwnd intruder = desk.d.Create({.behaviour = testing::Behaviour::Button, .text = u"할인", .id = 1400,
                                        .parent = entry});
    desk.d.PlaceAfter(intruder, c.cashLabel);  // the cash box is now the second window after "현금"
    desk.d.PlaceAfter(c.inquiry, c.addVia);    // "문의" is the last child: nothing is 4th after it

    const Report report = desk.Probe({u"--adapter", u"1"});
    const AdapterReport& a = report.adapters.at(0);
    const FieldReport* cash = FieldOf(*Row(a.controlMap, u"label 현금"), u"cash box");
    ASSERT_NE(nullptr, cash);
    ASSERT_TRUE(cash->window);
    EXPECT_TRUE(cash->wrongKind);
    EXPECT_EQ(u"Button", cash->window->className);
    EXPECT_EQ(u"할인", cash->window->text);
    EXPECT_EQ(u"Edit", cash->kind);
    const FieldReport* combo = FieldOf(*Row(a.controlMap, u"button 문의"), u"payment combo");
    ASSERT_NE(nullptr, combo);
    EXPECT_FALSE(combo->window);
    EXPECT_EQ(2, a.flagged);
    EXPECT_EQ(kExitAllFound, ExitCode(report));

    const std::string table = RenderTable(report);
    EXPECT_NE(std::string::npos, table.find("cash box = next 1: Button \"할인\" id 1400")) << table;
    EXPECT_NE(std::string::npos, table.find("!! treated as Edit, found Button")) << table;
    EXPECT_NE(std::string::npos, table.find("payment combo = next 4: !! the walk runs off the end")) << table;
}

// LogiD2 takes an entry window's first child as its telephone box and types
// into it (a read-back copies the telephone from it). A label put before it
// is what the robot would use, and is flagged as such.
TEST(Probe, AFirstChildThatIsNoLongerTheTelephoneBoxIsFlagged) {
    Desk desk;
    desk.Start(1);
    const Hwnd filled = desk.ShowFilled(1);
    const Hwnd label =
        desk.d.Create({.behaviour = testing::Behaviour::Label, .text = u"전화", .id = 1401, .parent = filled});
    desk.d.PlaceAfter(label, kNoWindow);

    const Report report = desk.Probe({u"--adapter", u"1"});
    const AdapterReport& a = report.adapters.at(0);
    ASSERT_TRUE(a.mapInspected);
    const AnchorReport* row = Row(a.controlMap, u"telephone box");
    ASSERT_NE(nullptr, row);
    const FieldReport* phone = FieldOf(*row, u"telephone box");
    ASSERT_NE(nullptr, phone);
    ASSERT_TRUE(phone->window);
    EXPECT_EQ(label, phone->window->handle);
    EXPECT_TRUE(phone->wrongKind);
    EXPECT_EQ(1, a.flagged);
    EXPECT_NE(std::string::npos, RenderTable(report).find("telephone box = the anchor  !! treated as Edit, found Static"));
}

// LogiD5's cancel button must read "취   소(&X)": another text there is shown
// as refused and decides the code, and the cancel button is not taken.
TEST(Probe, ACancelButtonWithAnotherTextIsRefused) {
    Desk desk;
    desk.Start(2);
    const Report before = desk.Probe({u"--adapter", u"2", u"--open-new"});
    const Hwnd cancel = Row(before.adapters.at(0).controlMap, u"register button (cancel button)")->fields.at(0).window->handle;
    desk.d.SetCaption(cancel, u"취소");
    const Report report = desk.Probe({u"--adapter", u"2"});
    const AdapterReport& a = report.adapters.at(0);
    const AnchorReport* row = Row(a.controlMap, u"register button (cancel button)");
    ASSERT_NE(nullptr, row);
    EXPECT_EQ(AnchorStatus::Missing, row->status);
    EXPECT_TRUE(row->fields.at(0).refused);
    EXPECT_EQ(u"취소", row->fields.at(0).window->text);
    EXPECT_EQ(29, a.firstMissingCode);
}

// A program that stops answering is reported as such, the probe ends, and the
// next program is asked afresh.
TEST(Probe, AHungProgramIsReportedAndTheProbeEnds) {
    {
        Desk desk;
        desk.Start(1).host->Hang(600000);
        desk.Start(4);
        desk.ShowFilled(4);
        const Report report = desk.Probe({});
        EXPECT_EQ(ProgramState::NotAnswering, report.adapters[0].program);
        EXPECT_EQ("its main window", report.adapters[0].stoppedAnswering);
        EXPECT_EQ(ProgramState::Running, report.adapters[3].program);
        EXPECT_TRUE(report.adapters[3].mapInspected);
        EXPECT_EQ(0, report.adapters[3].firstMissingCode);
        EXPECT_EQ(kExitSomethingMissing, ExitCode(report));
        EXPECT_EQ(FakeDesktop::kSendTimeoutMs, desk.d.BlockedTotal()) << "the hung program is waited for once";
        EXPECT_NE(std::string::npos, RenderTable(report).find("LogiD2 (adapter 1): not answering")) << RenderTable(report);
    }
    for (int kind = 1; kind <= 4; ++kind) {
        SCOPED_TRACE(kind);
        Desk desk;
        const int id = desk.d.Id(desk.Start(kind).reception);  // the command the hang follows
        Desk hung;
        CommonOptions common;
        common.hangAfterCommand = id;
        hung.Start(kind, common);
        const Report report = hung.Probe({u"--adapter", Utf8ToUtf16(std::to_string(kind)), u"--open-new"});
        const AdapterReport& a = report.adapters.at(0);
        EXPECT_EQ(ProgramState::NotAnswering, a.program);
        EXPECT_EQ("pressing the reception button", a.stoppedAnswering);
        EXPECT_EQ(kExitSomethingMissing, ExitCode(report));
    }
}

// Both entry windows are listed; the filled one's control map is shown even
// though the fresh one comes first; the map dialog is listed with its browser.
TEST(Probe, EntryAndMapWindowsAreListedAndTheFilledOneIsInspected) {
    Desk desk;
    desk.Start(1);
    auto& sim = static_cast<sim::logid2::LogiD2Sim&>(*desk[1].sim);
    const Hwnd fresh = sim.OpenEntryWindow();
    const Hwnd filled = desk.ShowFilled(1);
    desk.d.PlaceAfter(filled, fresh);
    desk.d.HostSend(fresh, msg::WM_COMMAND, 3826, 0);
    const Report report = desk.Probe({u"--adapter", u"1"});
    const AdapterReport& a = report.adapters.at(0);
    ASSERT_EQ(2u, a.entries.size());
    EXPECT_EQ(fresh, a.entries[0].window.handle);
    EXPECT_EQ(EntryState::Fresh, a.entries[0].state);
    EXPECT_FALSE(a.entries[0].inspected);
    EXPECT_EQ(filled, a.entries[1].window.handle);
    EXPECT_EQ(EntryState::Filled, a.entries[1].state);
    EXPECT_TRUE(a.entries[1].inspected);
    EXPECT_EQ(sim.EntryInfo(filled)->controls.cancel, a.controlMap.at(0).window->handle);
    ASSERT_EQ(1u, a.mapWindows.size());
    EXPECT_EQ(u"지도보기", a.mapWindows[0].window.text);
    ASSERT_TRUE(a.mapWindows[0].browser);
    EXPECT_EQ(u"Internet Explorer_Server", a.mapWindows[0].browser->className);
}

TEST(Probe, JsonNamesTheMissingAnchorAndItsCode) {
    Desk desk;
    CommonOptions common;
    common.omit = {u"현금"};
    desk.Start(1, common);
    desk.Start(3);
    const Report report = desk.Probe({u"--open-new", u"--json"});
    const nlohmann::json j = nlohmann::json::parse(RenderJson(report));
    EXPECT_EQ(1, j["exitCode"]);
    const nlohmann::json& logid2 = j["adapters"][0];
    EXPECT_EQ("running", logid2["program"]);
    EXPECT_EQ(nlohmann::json({{"anchor", "label 현금"}, {"code", 19}, {"name", "CashLabelNotFound"}}),
              logid2["firstMissing"]);
    EXPECT_EQ(0, logid2["openNew"]["code"]);
    const nlohmann::json& cashRow = logid2["controlMap"][2];
    EXPECT_EQ("label 현금", cashRow["name"]);
    EXPECT_EQ("missing", cashRow["status"]);
    EXPECT_EQ(19, cashRow["missingCode"]["code"]);
    EXPECT_EQ("not running", j["adapters"][1]["program"]);
    EXPECT_EQ(nullptr, j["adapters"][2]["firstMissing"]);
    const std::string table = RenderTable(report);
    EXPECT_NE(std::string::npos, table.find("label 현금 is missing; a request would end with 19 CashLabelNotFound"))
        << table;
}

TEST(Probe, ArgumentsAreUnderstoodOrRefused) {
    struct Case {
        std::vector<std::u16string> args;
        bool ok;
        std::vector<int> adapters;
    };
    const Case cases[] = {
        {{}, true, {1, 2, 3, 4}},
        {{u"--adapter", u"all", u"--json"}, true, {1, 2, 3, 4}},
        {{u"--adapter", u"4", u"--open-new"}, true, {4}},
        {{u"--adapter", u"5"}, false, {}},
        {{u"--adapter"}, false, {}},
        {{u"--adapter", u"1", u"--adapter", u"2"}, false, {}},
        {{u"--verbose"}, false, {}},
        {{u"--snapshot", u"desk.json", u"--with-texts", u"--adapter", u"2"}, true, {2}},
        {{u"--snapshot"}, false, {}},
        {{u"--snapshot", u"--json"}, false, {}},
        {{u"--with-texts"}, false, {}},
    };
    for (const Case& c : cases) {
        const ParsedArguments p = ParseArguments(c.args);
        EXPECT_EQ(c.ok, p.error.empty()) << p.error;
        if (c.ok) {
            EXPECT_EQ(c.adapters, p.options.adapters);
        }
    }
}


// A request that keeps the desk is told apart from a missing anchor: the probe
// waits 5 s for it, then ends with its own code and reads nothing.
TEST(Probe, ARunningRequestEndsTheProbeWithItsOwnCodeAfterFiveSeconds) {
    enum class Desk { Free, HeldFor4s, HeldFor6s, LeftByEndedRobot };
    struct Case {
        Desk desk;
        std::optional<int> code;
        std::uint64_t waitedMs;
    };
    const Case cases[] = {
        {Desk::Free, std::nullopt, 0},
        {Desk::HeldFor4s, std::nullopt, 4000},
        {Desk::HeldFor6s, kExitDeskBusy, 5000},
        {Desk::LeftByEndedRobot, std::nullopt, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.desk));
        FakeDesktop d;
        testing::FakeDeskLock lock(d);
        if (c.desk == Desk::HeldFor4s) lock.HeldByAnotherUntil(d.Now() + 4000);
        if (c.desk == Desk::HeldFor6s) lock.HeldByAnotherUntil(d.Now() + 6000);
        if (c.desk == Desk::LeftByEndedRobot) lock.LeftByEndedRobot();
        const std::uint64_t start = d.Now();
        std::string message;
        EXPECT_EQ(c.code, TakeDesk(lock, message));
        EXPECT_EQ(c.waitedMs, d.Now() - start);
        EXPECT_EQ(!c.code, lock.Held());
        EXPECT_EQ(c.code.has_value(), message.find("a request is running") != std::string::npos) << message;
    }
}

}  // namespace
}  // namespace qm::probe
