// One request at a time under Wine: overlapping callers on one desk each get
// their own order entered, a read waits for an entry, a robot killed while it
// holds the desk does not hold up the next request, and the probe does not
// read a screen that a request is changing.
#include <windows.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <array>
#include <cstdlib>
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

constexpr int kCallers = 5;

std::string Digits(const json& text) {
    std::string digits;
    if (!text.is_string()) return digits;
    for (const char c : text.get<std::string>())
        if (c >= '0' && c <= '9') digits += c;
    return digits;
}

std::string CallersPhone(int k) { return "0101234567" + std::to_string(k); }

// Caller k's order: the example with a telephone, second telephone and memos
// of its own.
json CallersOrder(const Program& p, int k) {
    json request = Example(p.example);
    request["speed"] = 3;
    request["finishAction"] = 2;
    json& order = request["order"];
    order["customerPhone"] = CallersPhone(k);
    std::string phone2 = order["customerPhone2"].get<std::string>();
    phone2.back() = static_cast<char>('0' + k);
    order["customerPhone2"] = phone2;
    order["driverMemo"] = "caller " + std::to_string(k);
    order["memo2"] = order["memo2"].get<std::string>() + " " + std::to_string(k);
    return request;
}

std::future<RunResult> CallAsync(const json& request) {
    return std::async(std::launch::async, [text = request.dump()] {
        return RunCaller({L"--timeout", L"280"}, text, 300000);
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

// The orders the substitute holds once the last finishing command, handed
// over and not awaited, was taken from its queue: at least `expected`, or all
// there are after 5 s.
json OrdersOnceSettled(SubstituteSession& sim, std::size_t expected) {
    json orders = sim.Orders();
    for (int i = 0; i < 50 && orders.size() < expected; ++i) {
        ::Sleep(100);
        orders = sim.Orders();
    }
    return orders;
}

// The promise a call centre acts on: an answer 0 has exactly its caller's
// order stored, once, with the caller's own fields; any other answer has
// nothing of its caller's stored. answers[k] is caller k's (requests[k]).
// With others typing into the program too (an operator), the fields stored
// are the ones the answer reports, holding the caller's memo.
enum class Fields { AsAsked, AsAnswered };
void ExpectAnswersMatchTheStore(const std::vector<json>& requests, const std::vector<json>& answers,
                                const json& orders, Fields fields = Fields::AsAsked) {
    for (std::size_t k = 0; k < answers.size(); ++k) {
        const json& asked = requests[k]["order"];
        std::vector<json> held;
        for (const json& o : orders)
            if (Digits(o["customerPhone"]) == Digits(asked["customerPhone"])) held.push_back(o);
        const int result = answers[k]["result"].get<int>();
        if (result != result::kSuccess) {
            EXPECT_TRUE(held.empty()) << "caller " << k << " was told " << result << " ("
                                      << answers[k]["message"] << ") yet the program holds " << json(held).dump(2);
            continue;
        }
        ASSERT_EQ(held.size(), 1u) << "caller " << k << " was told 0; the program holds " << json(held).dump(2);
        EXPECT_EQ(held[0]["status"], "registered") << held[0].dump(2);
        if (fields == Fields::AsAnswered) {
            const json& answered = answers[k]["order"];
            EXPECT_EQ(held[0]["driverMemo"], answered["driverMemo"]) << "the answer reports another memo";
            EXPECT_NE(held[0]["driverMemo"].get<std::string>().find(asked["driverMemo"].get<std::string>()),
                      std::string::npos)
                << held[0].dump(2);
            continue;
        }
        EXPECT_EQ(held[0]["driverMemo"], asked["driverMemo"]) << "fields of another caller's order";
        EXPECT_EQ(Digits(held[0]["customerPhone2"]), Digits(asked["customerPhone2"])) << held[0].dump(2);
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

// Five callers one after the other, each starting while the robots before it
// still wait: every one is served, in the order they came, and every answer
// matches what the program holds.
TEST_P(OneAtATime, FiveCallersAtOnceAreServedInTheOrderTheyCame) {
    std::vector<json> requests;
    std::vector<std::future<RunResult>> calls;
    for (int k = 0; k < kCallers; ++k) {
        requests.push_back(CallersOrder(GetParam(), k));
        calls.push_back(CallAsync(requests.back()));
        // The next caller comes once this one's robot runs and has asked for the desk.
        for (int i = 0; i < 200 && static_cast<int>(ProcessesNamed(L"quillmere.exe").size()) < k + 1; ++i)
            ::Sleep(50);
        ::Sleep(1000);
    }
    // The robots that wait see their request message again: it starts nothing.
    auto allReady = [&] {
        for (auto& c : calls)
            if (!Ready(c)) return false;
        return true;
    };
    while (!allReady()) {
        PostRequestToRobots();
        ::Sleep(500);
    }
    std::vector<json> answers;
    int waited = 0;
    for (int k = 0; k < kCallers; ++k) {
        answers.push_back(Answer(calls[k].get()));
        const json& answer = answers.back();
        EXPECT_EQ(answer["result"], result::kSuccess) << answer.dump(2);
        if (answer["timing"]["lockWaitMs"].get<int>() > 0) ++waited;
        EXPECT_FALSE(answer["deskTakenOver"].get<bool>());
        // Waiting for the desk is not working: the robot's work CPU stays a
        // part of its whole CPU time.
        EXPECT_LE(answer["timing"]["workCpuMs"].get<int>(), answer["timing"]["cpuMs"].get<int>());
    }
    EXPECT_GE(waited, kCallers - 1) << "requests ran side by side";

    const json orders = OrdersOnceSettled(sim_, kCallers);
    ExpectAnswersMatchTheStore(requests, answers, orders);
    std::vector<std::string> stored, arrived;
    for (const json& o : orders) stored.push_back(Digits(o["customerPhone"]));
    for (int k = 0; k < kCallers; ++k) arrived.push_back(CallersPhone(k));
    EXPECT_EQ(stored, arrived) << "not served in the order the callers came";
}

// An operator typing into the dispatch program (a letter key every 0.7 s, as
// real keyboard input to whichever window has the focus) while the robot
// enters: whatever the answer, it matches what the program holds.
void PressOperatorsKey() {
    INPUT keys[2] = {};
    for (INPUT& k : keys) {
        k.type = INPUT_KEYBOARD;
        k.ki.wVk = 'X';
    }
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, keys, sizeof(INPUT));
}

TEST_P(OneAtATime, AnOperatorsKeysDuringAnEntryLeaveTheAnswerTrue) {
    const std::vector<json> requests{CallersOrder(GetParam(), 7)};
    auto call = CallAsync(requests[0]);
    while (!Ready(call)) {
        PressOperatorsKey();
        ::Sleep(700);
    }
    const std::vector<json> answers{Answer(call.get())};
    // A key that reached an empty memo box stays in front of the robot's memo,
    // as a memo the program already held would: the answer reports it.
    ExpectAnswersMatchTheStore(requests, answers, OrdersOnceSettled(sim_, 1), Fields::AsAnswered);
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
    // Told beside the message, which stays the adapter's.
    EXPECT_TRUE(answer["deskTakenOver"].get<bool>()) << answer.dump(2);
    EXPECT_EQ(answer["message"].get<std::string>().find("taken over"), std::string::npos) << answer.dump(2);
    EXPECT_FALSE(DeskHeld()) << "the desk was not let go of";
}

TEST(DeskHeldByARequest, TheProbeSaysSoAndExitsWithTheBusyCode) {
    win32::UniqueHandle desk(::CreateMutexW(nullptr, TRUE, win32::DeskMutex::kName));
    ASSERT_TRUE(desk);
    const RunResult run = RunProgram(L"quillmere-probe.exe", L"quillmere-probe.exe", 60000);
    ::ReleaseMutex(desk.get());
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 3u) << run.output;
    EXPECT_NE(run.output.find("a request is running on this desk"), std::string::npos) << run.output;
}

// The robot never moves the foreground for its own sake: while one robot
// enters, another starts and waits; sampled every 20 ms, the foreground is
// never a robot's own window, and both orders are stored.
bool ForegroundIsARobotsWindow() {
    const HWND fg = ::GetForegroundWindow();
    DWORD pid = 0;
    if (fg == nullptr || ::GetWindowThreadProcessId(fg, &pid) == 0) return false;
    for (const DWORD robot : ProcessesNamed(L"quillmere.exe"))
        if (robot == pid) return true;
    return false;
}

TEST(TheRobotsOwnWindow, NeverTakesTheForegroundWhileAnotherRobotWorks) {
    const Program& p = kPrograms[3];
    SubstituteSession sim(p.exe, p.mainClass);
    ASSERT_TRUE(sim.Start());
    std::vector<json> requests{CallersOrder(p, 0), CallersOrder(p, 1)};
    auto first = CallAsync(requests[0]);
    ASSERT_NE(WaitForProcess(L"quillmere.exe", 30000), 0u) << "the robot never started";
    ::Sleep(2000);
    auto second = CallAsync(requests[1]);
    int samples = 0, robots = 0;
    while (!(Ready(first) && Ready(second))) {
        ++samples;
        if (ForegroundIsARobotsWindow()) ++robots;
        ::Sleep(20);
    }
    EXPECT_EQ(robots, 0) << "of " << samples << " samples";
    const std::vector<json> answers{Answer(first.get()), Answer(second.get())};
    for (const json& a : answers) EXPECT_EQ(a["result"], result::kSuccess) << a.dump(2);
    ExpectAnswersMatchTheStore(requests, answers, OrdersOnceSettled(sim, 2));
}

// A real click lands only on the dispatch program: with another program's
// topmost window over the whole screen, Icon2013's second via row is not
// clicked (the window takes no press), and the entry still ends as its own
// checks decide.
TEST(TheRealClick, IsNotMadeOnAnotherProgramsWindow) {
    const Program& p = kPrograms[3];
    SubstituteSession sim(p.exe, p.mainClass);
    ASSERT_TRUE(sim.Start());
    auto cover = std::async(std::launch::async, [] {
        return RunProgram(L"winmsg.exe", L"winmsg.exe cover 0 0 4000 4000 60", 90000);
    });
    for (int i = 0; i < 100 && ::FindWindowW(L"QuillmereCover", nullptr) == nullptr; ++i) ::Sleep(50);
    ASSERT_NE(::FindWindowW(L"QuillmereCover", nullptr), nullptr) << "no cover window";
    const std::vector<json> requests{CallersOrder(p, 0)};
    const std::vector<json> answers{Answer(RunCaller({L"--timeout", L"120"}, requests[0].dump(), 180000))};
    ::PostMessageW(::FindWindowW(L"QuillmereCover", nullptr), WM_CLOSE, 0, 0);
    const RunResult covered = cover.get();
    EXPECT_NE(covered.output.find("presses 0"), std::string::npos) << covered.output;
    EXPECT_EQ(answers[0]["result"], result::kSuccess) << answers[0].dump(2);
    const json orders = OrdersOnceSettled(sim, 1);
    ExpectAnswersMatchTheStore(requests, answers, orders);
    ASSERT_EQ(orders.size(), 1u);
    EXPECT_EQ(orders[0]["viaRowClicks"], "") << "a via row took a click through the cover";
}

}  // namespace
}  // namespace qm::e2e
