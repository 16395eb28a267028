// One request at a time under Wine: overlapping callers on one desk each get
// their own order entered, a read waits for an entry, a robot killed while it
// holds the desk does not hold up the next request, and the probe does not
// read a screen that a request is changing.
#include <windows.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <array>
#include <chrono>
#include <future>
#include <string>
#include <vector>

#include "core/result_codes.h"
#include "platform/win32/desk_mutex.h"
#include "tests/e2e/e2e_session.h"
#include "tests/e2e/e2e_support.h"
#include "tests/e2e/sim_fixture.h"

namespace qm::e2e {
namespace {

using nlohmann::json;

constexpr int kCallers = 3;

std::string Digits(const json& text) {
    std::string digits;
    for (const char c : text.get<std::string>())
        if (c >= '0' && c <= '9') digits += c;
    return digits;
}

// Caller k's order: the example with a telephone and a memo of its own.
json CallersOrder(const Program& p, int k) {
    json request = Example(p.example);
    request["speed"] = 3;
    request["finishAction"] = 2;
    request["order"]["customerPhone"] = "0101234567" + std::to_string(k);
    request["order"]["driverMemo"] = "caller " + std::to_string(k);
    return request;
}

std::future<RunResult> CallAsync(const json& request) {
    return std::async(std::launch::async, [text = request.dump()] {
        return RunCaller({L"--timeout", L"240"}, text, 300000);
    });
}

json Answer(const RunResult& run) {
    EXPECT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    return json::parse(run.output, nullptr, false);
}

bool Ready(std::future<RunResult>& call) { return call.wait_for(std::chrono::milliseconds(0)) == std::future_status::ready; }

// Posts the message that starts a request to every robot's dialog, as a
// robot's own thread would see it again while it waits.
void PostRequestToRobots() {
    for (const DWORD pid : ProcessesNamed(L"quillmere.exe")) {
        for (const HWND w : WindowsOfProcess(pid)) {
            wchar_t cls[16] = {};
            ::GetClassNameW(w, cls, 16);
            if (std::wstring(cls) == L"#32770") ::PostMessageW(w, WM_USER, 0, 0);
        }
    }
}

class OneAtATime : public ::testing::TestWithParam<Program> {
protected:
    void SetUp() override {
        ASSERT_FALSE(Example(GetParam().example).is_discarded()) << GetParam().example;
        ASSERT_TRUE(sim_.Start()) << "the substitute did not show its main window";
    }
    void TearDown() override { sim_.Stop(); }
    SubstituteSession sim_{GetParam().exe, GetParam().mainClass};
};

TEST_P(OneAtATime, ThreeCallersAtOnceEachGetTheirOwnOrderEntered) {
    std::array<std::future<RunResult>, kCallers> calls;
    for (int k = 0; k < kCallers; ++k) calls[k] = CallAsync(CallersOrder(GetParam(), k));
    // The robots that wait see their request message again: it starts nothing.
    while (!(Ready(calls[0]) && Ready(calls[1]) && Ready(calls[2]))) {
        PostRequestToRobots();
        ::Sleep(500);
    }
    int waited = 0;
    for (int k = 0; k < kCallers; ++k) {
        const json answer = Answer(calls[k].get());
        ASSERT_EQ(answer["result"], result::kSuccess) << answer.dump(2);
        EXPECT_EQ(Digits(answer["order"]["customerPhone"]), "0101234567" + std::to_string(k));
        if (answer["timing"]["lockWaitMs"].get<int>() > 0) ++waited;
        // Waiting for the desk is not working: the robot's work CPU stays a
        // part of its whole CPU time.
        EXPECT_LE(answer["timing"]["workCpuMs"].get<int>(), answer["timing"]["cpuMs"].get<int>());
    }
    EXPECT_GE(waited, kCallers - 1) << "requests ran side by side";

    // CManerXE4 and Icon2013 are handed their finishing command and not
    // awaited: the last order is registered once the substitute takes it
    // from its queue.
    json orders = sim_.Orders();
    for (int i = 0; i < 50 && orders.size() < static_cast<std::size_t>(kCallers); ++i) {
        ::Sleep(100);
        orders = sim_.Orders();
    }
    ASSERT_EQ(orders.size(), static_cast<std::size_t>(kCallers)) << orders.dump(2);
    std::array<int, kCallers> seen{};
    for (const json& held : orders) {
        const std::string phone = Digits(held["customerPhone"]);
        ASSERT_EQ(phone.substr(0, 10), "0101234567") << held.dump(2);
        const int k = phone.back() - '0';
        ASSERT_TRUE(k >= 0 && k < kCallers) << phone;
        ++seen[k];
        EXPECT_EQ(held["driverMemo"], "caller " + std::to_string(k)) << "fields of another caller's order";
        EXPECT_EQ(held["status"], "registered");
    }
    EXPECT_EQ(seen, (std::array<int, kCallers>{1, 1, 1}));
}

TEST_P(OneAtATime, AReadStartedDuringAnEntryWaitsForItThenReads) {
    // An order on the screen to read: entered, then shown again.
    const json first = Answer(RunCaller({L"--timeout", L"120"}, CallersOrder(GetParam(), 0).dump(), 180000));
    ASSERT_EQ(first["result"], result::kSuccess) << first.dump(2);
    ASSERT_TRUE(sim_.Command(kOpenFirstOrder));

    auto entry = CallAsync(CallersOrder(GetParam(), 1));
    ASSERT_NE(WaitForProcess(L"quillmere.exe", 30000), 0u) << "the robot never started";
    ::Sleep(2000);
    json readRequest = CallersOrder(GetParam(), 0);
    readRequest["mode"] = 1;
    auto read = CallAsync(readRequest);

    const json entered = Answer(entry.get());
    const json readBack = Answer(read.get());
    EXPECT_EQ(entered["result"], result::kSuccess) << entered.dump(2);
    EXPECT_EQ(readBack["result"], result::kSuccess) << readBack.dump(2);
    EXPECT_GT(readBack["timing"]["lockWaitMs"].get<int>(), 0) << "the read did not wait for the entry";
    EXPECT_EQ(Digits(readBack["order"]["customerPhone"]), "01012345670");

    json orders = sim_.Orders();
    for (int i = 0; i < 50 && orders.size() < 2u; ++i) {
        ::Sleep(100);
        orders = sim_.Orders();
    }
    ASSERT_EQ(orders.size(), 2u) << orders.dump(2);
    EXPECT_EQ(Digits(orders[1]["customerPhone"]), "01012345671");
    EXPECT_EQ(orders[1]["status"], "registered");
}

INSTANTIATE_TEST_SUITE_P(EveryProgram, OneAtATime, ::testing::ValuesIn(kPrograms), ProgramName);

// True when someone holds the desk (taking it for a moment if it is free).
bool DeskHeld() {
    win32::UniqueHandle desk(::OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, win32::DeskMutex::kName));
    if (!desk) return false;
    const DWORD got = ::WaitForSingleObject(desk.get(), 0);
    if (got == WAIT_OBJECT_0 || got == WAIT_ABANDONED) ::ReleaseMutex(desk.get());
    return got == WAIT_TIMEOUT;
}

// A robot killed while it holds the desk leaves the desk to the robot that
// waits for it, at once. (With nobody waiting, the desk goes with the killed
// robot's last handle, and the next request finds it free.)
TEST(DeskLeftByAKilledRobot, IsTakenOverByTheRobotWaitingForIt) {
    const Program& p = kPrograms[2];
    SubstituteSession sim(p.exe, p.mainClass);
    ASSERT_TRUE(sim.Start());
    json slow = CallersOrder(p, 0);
    slow["speed"] = 1;
    auto killed = CallAsync(slow);
    const DWORD robot = WaitForProcess(L"quillmere.exe", 30000);
    ASSERT_NE(robot, 0u) << "the robot never started";
    ::Sleep(2000);
    ASSERT_TRUE(DeskHeld()) << "the robot does not hold the desk while it types";
    auto waiting = CallAsync(CallersOrder(p, 1));
    for (int i = 0; i < 600 && ProcessesNamed(L"quillmere.exe").size() < 2; ++i) ::Sleep(50);
    ::Sleep(1500);  // the second robot has opened the desk and waits for it
    ASSERT_TRUE(Terminate(robot));
    EXPECT_EQ(killed.get().exitCode, 2u);

    const json answer = Answer(waiting.get());
    EXPECT_EQ(answer["result"], result::kSuccess) << answer.dump(2);
    EXPECT_EQ(answer["message"].get<std::string>().rfind("The desk was taken over from a robot that ended", 0), 0u)
        << answer.dump(2);
    EXPECT_FALSE(DeskHeld()) << "the desk was not let go of";
}

TEST(DeskHeldByARequest, TheProbeSaysSoAndExits1) {
    win32::UniqueHandle desk(::CreateMutexW(nullptr, TRUE, win32::DeskMutex::kName));
    ASSERT_TRUE(desk);
    const RunResult run = RunProgram(L"quillmere-probe.exe", L"quillmere-probe.exe", 60000);
    ::ReleaseMutex(desk.get());
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 1u) << run.output;
    EXPECT_NE(run.output.find("a request is running on this desk"), std::string::npos) << run.output;
}

}  // namespace
}  // namespace qm::e2e
