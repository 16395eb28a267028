// Requests cut short under Wine: a dispatch program that dies while the robot
// types into it, a map page whose script never returns, and a robot that dies
// while its caller waits. None may leave the caller without an answer or leave
// a process behind.
#include <windows.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <future>
#include <string>
#include <vector>

#include "core/result_codes.h"
#include "tests/e2e/e2e_session.h"
#include "tests/e2e/e2e_support.h"
#include "tests/e2e/sim_fixture.h"

namespace qm::e2e {
namespace {

using nlohmann::json;

// An example request from the source tree, at the slow speed so that an entry
// is well under way when its program is taken away.
json SlowExample(const char* file) {
    json request = Example(file);
    if (!request.is_discarded()) request["speed"] = 1;
    return request;
}


// How long after the robot started its program is taken away: inside every
// program's slow entry, which takes far longer.
constexpr DWORD kKillAfterMs = 4000;
// The caller's own time-out; the robot answers long before it.
constexpr DWORD kCallerTimeoutS = 120;

class Interrupted : public ::testing::TestWithParam<Program> {};

TEST_P(Interrupted, ADispatchProgramThatDiesMidEntryStillGetsTheCallerAnAnswer) {
    const Program& p = GetParam();
    const json request = SlowExample(p.example);
    ASSERT_FALSE(request.is_discarded()) << p.example;
    SubstituteSession sim(p.exe, p.mainClass);
    ASSERT_TRUE(sim.Start()) << sim.StartFailure();

    auto call = std::async(std::launch::async, [&] {
        return RunCaller({L"--timeout", std::to_wstring(kCallerTimeoutS)}, request.dump(), 180000);
    });
    ASSERT_NE(WaitForProcess(L"quillmere.exe", 30000), 0u) << "the robot never started";
    ::Sleep(kKillAfterMs);
    sim.Stop();  // the program is killed: every window of it goes at once

    const RunResult run = call.get();
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 0u) << "the robot answered: " << run.output;
    const json answer = json::parse(run.output, nullptr, false);
    ASSERT_FALSE(answer.is_discarded()) << run.output;
    EXPECT_EQ(answer["status"], 2);
    const int code = answer["result"].get<int>();
    EXPECT_NE(code, result::kSuccess) << "the entry cannot have finished";
    EXPECT_NE(FindResultCode(request["order"]["adapterKind"].get<int>(), code), nullptr)
        << code << " is not a code of this program: " << run.output;
    EXPECT_TRUE(ProcessesNamed(L"quillmere.exe").empty()) << "the robot was left running";
    std::printf("%s: result %d %s\n", p.example, code, answer["resultName"].dump().c_str());
}

INSTANTIATE_TEST_SUITE_P(EveryProgram, Interrupted, ::testing::ValuesIn(kPrograms), ProgramName);

TEST(RobotKilled, TheCallerSaysSoExitsNonZeroAndLeavesNoProcess) {
    const Program& p = kPrograms[0];
    const json request = SlowExample(p.example);
    ASSERT_FALSE(request.is_discarded());
    SubstituteSession sim(p.exe, p.mainClass);
    ASSERT_TRUE(sim.Start()) << sim.StartFailure();

    auto call = std::async(std::launch::async, [&] {
        return RunCaller({L"--timeout", std::to_wstring(kCallerTimeoutS)}, request.dump(), 180000);
    });
    const DWORD robot = WaitForProcess(L"quillmere.exe", 30000);
    ASSERT_NE(robot, 0u) << "the robot never started";
    ::Sleep(kKillAfterMs);
    ASSERT_TRUE(Terminate(robot));

    const RunResult run = call.get();
    ASSERT_TRUE(run.ended) << "the caller did not notice";
    EXPECT_EQ(run.exitCode, 2u) << run.output;
    EXPECT_NE(run.output.find("without answering (status 1)"), std::string::npos) << run.output;
    EXPECT_TRUE(ProcessesNamed(L"quillmere.exe").empty());
}

// A page script that never returns holds CManerXE4's page, and with it the
// robot's call into that page: the call is given up after its bound, the
// request ends with 99 and the caller gets that answer instead of killing a
// robot that would never have answered.
TEST(PageScriptNeverReturns, TheReadBackEndsWith99AndTheCallerGetsTheAnswer) {
    const Program& p = kPrograms[2];
    json request = SlowExample(p.example);
    ASSERT_FALSE(request.is_discarded());
    request["speed"] = 3;  // nothing here is cut short: the usual speed
    SubstituteSession sim(p.exe, p.mainClass);
    ASSERT_TRUE(sim.Start()) << sim.StartFailure();

    // An order to read back: entered, then shown again in an entry window.
    const RunResult entered = RunCaller({L"--timeout", std::to_wstring(kCallerTimeoutS)}, request.dump(), 180000);
    ASSERT_TRUE(entered.ended);
    const json enteredAnswer = json::parse(entered.output, nullptr, false);
    ASSERT_FALSE(enteredAnswer.is_discarded()) << entered.output;
    ASSERT_EQ(enteredAnswer["result"], result::kSuccess) << entered.output;
    ASSERT_TRUE(sim.Command(kOpenFirstOrder));

    json read = request;
    read["mode"] = 1;
    read["readScript"] = "while (true) {}";
    // Well above the robot's own bound, so only a robot stuck in the page call
    // makes the caller give up.
    constexpr DWORD kReadTimeoutS = 60;
    const RunResult run = RunCaller({L"--timeout", std::to_wstring(kReadTimeoutS)}, read.dump(), 180000);
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 0u) << "the robot did not answer: " << run.output;
    const json answer = json::parse(run.output, nullptr, false);
    ASSERT_FALSE(answer.is_discarded()) << run.output;
    EXPECT_EQ(answer["status"], 2);
    EXPECT_EQ(answer["result"], result::kNotResponding) << run.output;
    EXPECT_TRUE(ProcessesNamed(L"quillmere.exe").empty()) << "the robot was left running";
}

}  // namespace
}  // namespace qm::e2e
