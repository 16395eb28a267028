// quillmere-probe.exe under Wine against each substitute program running as its
// own process: the table names an anchor left out with --omit and its code, the
// JSON of a complete screen has every anchor found, and a hung program is
// reported while the probe still ends.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <ostream>
#include <string>
#include <vector>

#include "tests/e2e/sim_fixture.h"

namespace qm::e2e {
namespace {

using nlohmann::json;

struct ProbedProgram {
    const wchar_t* exe;
    const wchar_t* mainClass;
    const wchar_t* kind;
    const wchar_t* omit;   // an anchor of the entry window left out
    const char* expected;  // what the table says of it
};

const ProbedProgram kProbedPrograms[] = {
    {L"logid2-sim.exe", L"SmartD2-", L"1", L"현금", "label 현금 is missing; a request would end with 19 CashLabelNotFound"},
    {L"logid5-sim.exe", L"D5-", L"2", L"업소비",
     "dialog with 업소비 is missing; a request would end with 23 BusinessFeeLabelNotFound"},
    {L"cmanerxe4-sim.exe", L"Tfrm_Main", L"3", L"수수료",
     "label 수수료 is missing; a request would end with 27 FeeLabelNotFound"},
    {L"icon2013-sim.exe", L"I_Driver by IconSoft.CO.,LTD", L"4", L"축소",
     "button 축소 is missing; a request would end with 54 ShrinkButtonNotFound"},
};

// Test names show the substitute's file name.
void PrintTo(const ProbedProgram& p, std::ostream* os) {
    for (const wchar_t* c = p.exe; *c != 0; ++c) *os << static_cast<char>(*c);
}

RunResult Probe(const std::wstring& args) {
    return RunProgram(L"quillmere-probe.exe", L"quillmere-probe.exe " + args, 120000);
}

class ProbeEndToEnd : public ::testing::TestWithParam<ProbedProgram> {
protected:
    ProbeEndToEnd() : sim_(GetParam().exe, GetParam().mainClass) {}
    void TearDown() override { sim_.Stop(); }
    SubstituteSession sim_;
};

TEST_P(ProbeEndToEnd, TableNamesTheAnchorLeftOutAndItsCode) {
    const ProbedProgram& p = GetParam();
    ASSERT_TRUE(sim_.Start({L"--omit", p.omit})) << sim_.StartFailure();
    const RunResult r = Probe(L"--adapter all --open-new");
    ASSERT_TRUE(r.ended);
    EXPECT_EQ(1u, r.exitCode) << r.output;
    EXPECT_NE(std::string::npos, r.output.find(p.expected)) << r.output;
    EXPECT_NE(std::string::npos, r.output.find("reception button pressed once: a fresh entry window opened"))
        << r.output;
}

TEST_P(ProbeEndToEnd, JsonOfACompleteScreenHasEveryAnchorFound) {
    const ProbedProgram& p = GetParam();
    ASSERT_TRUE(sim_.Start()) << sim_.StartFailure();
    const RunResult r = Probe(std::wstring(L"--json --open-new --adapter ") + p.kind);
    ASSERT_TRUE(r.ended);
    EXPECT_EQ(0u, r.exitCode) << r.output;
    const json doc = json::parse(r.output, nullptr, false);
    ASSERT_FALSE(doc.is_discarded()) << r.output;
    ASSERT_EQ(1u, doc["adapters"].size());
    const json& a = doc["adapters"][0];
    EXPECT_EQ("running", a["program"]);
    EXPECT_EQ(nullptr, a["firstMissing"]);
    EXPECT_EQ(0, a["flagged"]);
    ASSERT_TRUE(a["controlMap"].is_array());
    for (const json& row : a["controlMap"]) {
        EXPECT_EQ("found", row["status"]) << row["name"];
        for (const json& control : row["controls"]) {
            ASSERT_TRUE(control["window"].is_object()) << control["name"];
            EXPECT_TRUE(control["window"]["rect"].is_object()) << control["name"];
        }
    }
    int opened = 0;
    for (const json& entry : a["entryWindows"]) opened += entry["opened"].get<bool>() ? 1 : 0;
    EXPECT_EQ(1, opened);
}

// A snapshot of the fresh screen, replayed by quillmere-replay.exe, gives the
// report the probe gives of that screen live.
TEST_P(ProbeEndToEnd, ASnapshotReplaysToTheLiveReport) {
    const ProbedProgram& p = GetParam();
    ASSERT_TRUE(sim_.Start()) << sim_.StartFailure();
    wchar_t dir[MAX_PATH + 1];
    ASSERT_NE(0u, ::GetTempPathW(MAX_PATH, dir));
    const std::wstring file = std::wstring(dir) + L"quillmere-e2e-snapshot-" + p.kind + L".json";
    const std::wstring adapter = std::wstring(L"--adapter ") + p.kind;
    const RunResult taken = Probe(adapter + L" --open-new --with-texts --snapshot \"" + file + L"\"");
    ASSERT_TRUE(taken.ended);
    EXPECT_EQ(0u, taken.exitCode) << taken.output;
    const RunResult live = Probe(adapter + L" --json");
    const RunResult replayed = RunProgram(L"quillmere-replay.exe", L"quillmere-replay.exe --json \"" + file + L"\"", 60000);
    ::DeleteFileW(file.c_str());
    ASSERT_TRUE(live.ended && replayed.ended);
    EXPECT_EQ(live.exitCode, replayed.exitCode);
    EXPECT_EQ(live.output, replayed.output);
}

INSTANTIATE_TEST_SUITE_P(EachSubstitute, ProbeEndToEnd, ::testing::ValuesIn(kProbedPrograms),
                         [](const ::testing::TestParamInfo<ProbedProgram>& info) {
                             return std::string("adapter") + static_cast<char>('0' + info.index + 1);
                         });

// The substitute stops answering (the kit's 0x7002): the probe waits for it
// once, says so and ends.
TEST(ProbeHung, AHungProgramIsReportedAndTheProbeEnds) {
    SubstituteSession sim(L"logid2-sim.exe", L"SmartD2-");
    ASSERT_TRUE(sim.Start({L"--hang-ms", L"60000"})) << sim.StartFailure();
    ::PostMessageW(sim.Main(), WM_COMMAND, 0x7002, 0);
    const RunResult r = Probe(L"--adapter 1");
    ASSERT_TRUE(r.ended);
    EXPECT_EQ(1u, r.exitCode) << r.output;
    EXPECT_NE(std::string::npos, r.output.find("LogiD2 (adapter 1): not answering")) << r.output;
    sim.Stop();
}

TEST(ProbeUsage, BadUsageIsExitCode2) {
    const RunResult r = Probe(L"--adapter 7");
    ASSERT_TRUE(r.ended);
    EXPECT_EQ(2u, r.exitCode);
    EXPECT_NE(std::string::npos, r.output.find("usage: quillmere-probe.exe")) << r.output;
}

}  // namespace
}  // namespace qm::e2e
