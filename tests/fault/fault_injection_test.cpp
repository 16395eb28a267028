// Fault injection: a whole request (a full entry, or a full read-back) served
// by ServeRequest against a substitute on the fake desktop, with the dispatch
// program made to vanish or to stop answering right after the robot's N-th
// port call, for every N from the first call to the last. The table has one
// row per adapter and operation; a new adapter joins with one row per
// operation and its scene.
//
// What every run must show:
//   - it returns, within the row's bound of virtual time (see Bound below);
//   - its code is in the catalogue for the adapter, and is not the exception
//     code (an exception means something broke, not that the program failed);
//   - 0 only where every step had already succeeded: either the fault came
//     after the last call of the fault-free run that reached out to the
//     program (a send, a post or a page call: each tells the robot whether
//     the program took it) and the record and message the caller gets are
//     exactly the fault-free run's; or, for an entry, the program holds
//     exactly the order the fault-free run left once it answers again and has
//     taken what the robot posted (an entry's read-back does not decide its
//     answer, so a read-back cut short by a program that hung after taking
//     the whole order leaves a successful entry). What the program does with
//     the robot's last posted press (the finishing button, which the robot
//     does not wait for) once the robot has gone is beyond what it can see;
//   - nothing handed to the program after it was found not responding: the
//     first send to a hung window waits the port's bound and finds out
//     (before that the robot cannot know); from then on the robot posts
//     nothing (a posted message or real click would wait in the program's
//     queue and be carried out whenever it answers again) and makes no call
//     into its page objects (cross-process COM, which nothing bounds). Sends
//     are not counted: the port refuses every send at once from then on, so
//     none reaches the program;
//   - no window of the robot's own left: the only windows left on the desktop
//     are the dispatch program's. The Desktop port has no operation that
//     makes a window, so on the fake the robot cannot own one; the check
//     stays so that a port that gains one is held to it. What the robot does
//     to the program's own windows (a map dialog hidden or minimised) it
//     cannot undo once the program is gone or deaf, as it may send nothing
//     more; the fault-free runs of the adapter scenarios check that it undoes
//     it otherwise.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/dispatch.h"
#include "core/delay_profile.h"
#include "core/request_block.h"
#include "core/result_codes.h"
#include "core/utf.h"
#include "testing/fault_desktop.h"
#include "tests/adapters/cmanerxe4_world.h"
#include "tests/adapters/icon2013_world.h"
#include "tests/adapters/logid2_world.h"
#include "tests/adapters/logid5_world.h"

namespace qm::faulttest {
namespace {

using testing::CallKind;
using testing::FakeDesktop;
using testing::Fault;
using testing::FaultDesktop;
using testing::PortCall;

// The runs use the fast profile (speed 3): the faults do not depend on it, and
// each run is cheaper.
constexpr std::int32_t kSpeed = 3;
constexpr const DelayProfile& kProfile = kFastProfile;

// ---------------------------------------------------------------------------
// Scenes: one substitute showing what the operation needs, and the request.

class Scene {
public:
    virtual ~Scene() = default;
    virtual FakeDesktop& Desktop() = 0;
    // The fake desktop's process number of the dispatch program.
    virtual int Process() const = 0;
    // What the program holds (its stored orders as JSON) once it answers again
    // and has taken what was posted to it.
    virtual std::string Held() = 0;
    RequestBlock& Request() { return *request_; }

protected:
    std::unique_ptr<RequestBlock> request_ = std::make_unique<RequestBlock>();
};

// The adapter scenarios' worlds serve as they are.
template <class World>
class SceneOf final : public Scene {
public:
    FakeDesktop& Desktop() override { return world.d_; }
    int Process() const override { return world.host_.Process(); }
    std::string Held() override {
        world.d_.SetProcessHung(Process(), false);
        world.d_.DeliverPosted();
        return world.sim_->OrdersJson();
    }
    World world;
};

void Ask(RequestBlock& r, int mode, const OrderRecord& order, const char16_t* readScript,
         const char16_t* pointScript) {
    std::memset(&r, 0, sizeof r);
    r.mode = mode;
    r.requireBranch = 1;
    r.finishAction = 2;  // register
    r.speed = kSpeed;
    WriteField(r.readScript, readScript);
    WriteField(r.pointScript, pointScript);
    r.order = order;
}

constexpr int kEnter = 0;
constexpr int kRead = 1;

std::unique_ptr<Scene> LogiD2Entry() {
    auto s = std::make_unique<SceneOf<logid2test::World>>();
    sim::logid2::Options options;
    options.customerDelayMs = 300;  // the customer lookup, as in the full-entry scenario
    s->world.Start(options);
    Ask(s->Request(), kEnter, logid2test::FullOrder(), u"", logitest::kPointScript);
    return s;
}

std::unique_ptr<Scene> LogiD2Read() {
    auto s = std::make_unique<SceneOf<logid2test::World>>();
    s->world.Start();
    s->world.sim_->OpenOrderForModify(s->world.sim_->AddOrder(logid2test::HeldOrder()));
    OrderRecord blank{};
    blank.adapterKind = adapter::kLogiD2;
    Ask(s->Request(), kRead, blank, u"", u"");
    return s;
}

std::unique_ptr<Scene> LogiD5Entry() {
    auto s = std::make_unique<SceneOf<logid5test::World>>();
    s->world.Start();
    Ask(s->Request(), kEnter, logid5test::FullOrder(), u"", logitest::kPointScript);
    return s;
}

std::unique_ptr<Scene> LogiD5Read() {
    auto s = std::make_unique<SceneOf<logid5test::World>>();
    s->world.Start();
    s->world.sim_->OpenOrderForModify(s->world.sim_->AddOrder(logid5test::HeldOrder()));
    OrderRecord blank{};
    blank.adapterKind = adapter::kLogiD5;
    Ask(s->Request(), kRead, blank, u"", u"");
    return s;
}

std::unique_ptr<Scene> CManerXE4Entry() {
    auto s = std::make_unique<SceneOf<cmanerxe4test::World>>();
    s->world.Start();
    Ask(s->Request(), kEnter, cmanerxe4test::FullOrder(), cmanerxe4test::kReadScript, u"");
    return s;
}

std::unique_ptr<Scene> CManerXE4Read() {
    auto s = std::make_unique<SceneOf<cmanerxe4test::World>>();
    s->world.Start();
    s->world.ShowHeld();
    OrderRecord blank{};
    blank.adapterKind = adapter::kCManerXE4;
    Ask(s->Request(), kRead, blank, cmanerxe4test::kReadScript, u"");
    return s;
}

std::unique_ptr<Scene> Icon2013Entry() {
    auto s = std::make_unique<SceneOf<icon2013test::World>>();
    s->world.Start();
    Ask(s->Request(), kEnter, icon2013test::FullOrder(), icon2013test::kReadScript, icon2013test::kPointScript);
    return s;
}

std::unique_ptr<Scene> Icon2013Read() {
    auto s = std::make_unique<SceneOf<icon2013test::World>>();
    s->world.Start();
    s->world.sim_->ShowStoredOrder(s->world.sim_->AddOrder(icon2013test::Stored()));
    OrderRecord blank{};
    blank.adapterKind = adapter::kIcon2013;
    Ask(s->Request(), kRead, blank, icon2013test::kReadScript, u"");
    return s;
}

// ---------------------------------------------------------------------------
// The table

struct Row {
    const char* name;
    int adapterKind;
    int operation;  // kEnter or kRead
    std::unique_ptr<Scene> (*make)();
    // The accessibility library as request handling found it: loaded, the map
    // page is reached by the browser's message; not loaded, by a point in it.
    Module oleacc = FakeDesktop::kOleacc;
};

void PrintTo(const Row& row, std::ostream* os) { *os << row.name; }

const Row kRows[] = {
    {"LogiD2Entry", adapter::kLogiD2, kEnter, LogiD2Entry},
    {"LogiD2ReadBack", adapter::kLogiD2, kRead, LogiD2Read},
    {"LogiD5Entry", adapter::kLogiD5, kEnter, LogiD5Entry},
    {"LogiD5ReadBack", adapter::kLogiD5, kRead, LogiD5Read},
    {"CManerXE4Entry", adapter::kCManerXE4, kEnter, CManerXE4Entry},
    {"CManerXE4ReadBack", adapter::kCManerXE4, kRead, CManerXE4Read},
    {"Icon2013Entry", adapter::kIcon2013, kEnter, Icon2013Entry},
    {"Icon2013ReadBack", adapter::kIcon2013, kRead, Icon2013Read},
    // The page reached by a point in the browser.
    {"LogiD2ReadBackByPoint", adapter::kLogiD2, kRead, LogiD2Read, kNoModule},
    {"LogiD5ReadBackByPoint", adapter::kLogiD5, kRead, LogiD5Read, kNoModule},
    {"CManerXE4ReadBackByPoint", adapter::kCManerXE4, kRead, CManerXE4Read, kNoModule},
    {"Icon2013ReadBackByPoint", adapter::kIcon2013, kRead, Icon2013Read, kNoModule},
};

// The bound of a faulted run's virtual time: the fault-free run's time (the
// robot has spent at most that much when the fault strikes) plus the longest
// it may then take to find out and stop. A hung program is found out by the
// next send, which waits the port's send bound once; a vanished one at the
// latest when a wait for one of its windows runs out, which lasts at most the
// profile's longest wait (windowWait or mapWait). Both are allowed together.
std::uint64_t Bound(std::uint64_t faultFree) {
    const std::uint64_t longestWait = static_cast<std::uint64_t>(std::max(kProfile.windowWait, kProfile.mapWait));
    return faultFree + FakeDesktop::kSendTimeoutMs + longestWait;
}

// ---------------------------------------------------------------------------
// One run

struct Outcome {
    int code = 0;
    std::u16string message;
    std::unique_ptr<OrderRecord> order = std::make_unique<OrderRecord>();
    std::uint64_t elapsed = 0;  // virtual ms from the request to the answer
    std::size_t calls = 0;
    std::size_t lastReaching = 0;
    std::vector<PortCall> afterNotResponding;
    std::vector<Hwnd> foreignWindows;  // windows left that are not the program's
    std::string held;
};

std::string Narrow(const std::u16string& s) { return Utf16ToUtf8(s); }

const char* FaultName(Fault f) { return f == Fault::Vanish ? "vanish" : f == Fault::Hang ? "hang" : "none"; }

Outcome Serve(const Row& row, Fault fault, std::size_t after) {
    std::unique_ptr<Scene> scene = row.make();
    FakeDesktop& fake = scene->Desktop();
    RequestBlock& block = scene->Request();
    Outcome out;
    const std::uint64_t start = fake.Now();
    {
        FaultDesktop port(fake, scene->Process(), fault, after);
        ServeRequest(block, port, row.oleacc);
        out.calls = port.Calls();
        out.lastReaching = port.LastReaching();
        out.afterNotResponding = port.ReachedAfterNotResponding();
        // FAULT_TRACE=<row>:<vanish|hang>:<N> prints that run's port calls.
        if (const char* trace = std::getenv("FAULT_TRACE");
            trace != nullptr && std::string(trace) == std::string(row.name) + ':' + FaultName(fault) + ':' +
                                                          std::to_string(after)) {
            for (const PortCall& c : port.Log()) {
                std::cout << c.index << ' ' << c.name << ' ' << static_cast<std::uintptr_t>(c.window);
                if (fake.IsWindow(c.window))
                    std::cout << ' ' << Narrow(fake.Class(c.window)) << " \"" << Narrow(fake.Caption(c.window)) << '"';
                std::cout << " t=" << c.time << (c.afterNotResponding ? " not-responding" : "") << '\n';
            }
        }
    }
    out.elapsed = fake.Now() - start;
    out.code = block.result;
    out.message = std::u16string(ReadField(block.message));
    *out.order = block.order;
    for (Hwnd h : fake.TopLevelWindows())
        if (fake.ProcessOf(h) != scene->Process()) out.foreignWindows.push_back(h);
    // An entry's answer 0 is judged by what the program holds: taken only
    // when needed, as it lets a hung program answer again.
    if (fault == Fault::None || (block.mode == kEnter && out.code == result::kSuccess)) out.held = scene->Held();
    return out;
}


// What one faulted run showed: its code and time, and each rule it broke.
struct Verdict {
    int code = 0;
    std::uint64_t elapsed = 0;
    std::vector<std::pair<const char*, std::string>> broken;  // rule, what happened
};

Verdict Judge(const Row& row, const Outcome& clean, std::uint64_t bound, Fault f, std::size_t n) {
    const Outcome run = Serve(row, f, n);
    Verdict v;
    v.code = run.code;
    v.elapsed = run.elapsed;
    auto fail = [&](const char* rule, const std::string& what) { v.broken.emplace_back(rule, what); };
    const std::string message = " (message \"" + Narrow(run.message) + "\")";
    if (run.elapsed > bound) fail("bound", "took " + std::to_string(run.elapsed) + " ms, bound " + std::to_string(bound));
    if (FindResultCode(row.adapterKind, run.code) == nullptr)
        fail("catalogue", "code " + std::to_string(run.code) + " is not in the catalogue" + message);
    if (run.code == result::kException) fail("exception", "an exception ended the work" + message);
    // An entry's read-back does not decide its answer: an entry whose program,
    // once it answers again, holds exactly the order of the fault-free run has
    // succeeded, whatever its read-back found.
    const bool entered = row.operation == kEnter && run.held == clean.held;
    if (run.code == result::kSuccess && !entered) {
        if (n < clean.lastReaching)
            fail("success only when done", "0 although the fault came before call " +
                                               std::to_string(clean.lastReaching) +
                                               ", the last call that reached the program" + message);
        else if (std::memcmp(run.order.get(), clean.order.get(), sizeof(OrderRecord)) != 0 ||
                 run.message != clean.message)
            fail("success only when done", "0 with another record or message than the fault-free run's" + message);
    }
    for (const PortCall& c : run.afterNotResponding)
        fail("nothing after not responding", std::string(c.name) + " (call " + std::to_string(c.index) +
                                                 ") after the program was found not responding");
    if (!run.foreignWindows.empty()) fail("no window of its own", "a window that is not the program's was left");
    return v;
}

// Runs judge(n) for n = 1..count on a few threads: every run has a desktop and
// a substitute of its own, and nothing in them is shared.
void ForEachCall(std::size_t count, const std::function<void(std::size_t)>& judge) {
    const std::size_t workers = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 4);
    std::vector<std::thread> threads;
    for (std::size_t w = 0; w < workers; ++w)
        threads.emplace_back([&, w] {
            for (std::size_t n = 1 + w; n <= count; n += workers) judge(n);
        });
    for (std::thread& t : threads) t.join();
}

class FaultInjection : public ::testing::TestWithParam<Row> {};

TEST_P(FaultInjection, EveryCallInTurnThenVanishOrHang) {
    const Row& row = GetParam();

    // The fault-free run: a full entry or read-back that succeeds, and the
    // number of port calls it takes.
    const Outcome clean = Serve(row, Fault::None, 0);
    ASSERT_EQ(0, clean.code) << Narrow(clean.message);
    ASSERT_GT(clean.calls, 0u);
    ASSERT_GT(clean.lastReaching, 0u);
    ASSERT_NE(std::string("[]"), clean.held) << "the program holds an order";
    const std::uint64_t bound = Bound(clean.elapsed);

    // Broken rules, by rule: the runs that broke each.
    std::map<std::string, std::vector<std::string>> faults;
    std::uint64_t longest = 0;
    for (Fault f : {Fault::Vanish, Fault::Hang}) {
        std::vector<Verdict> verdicts(clean.calls);
        ForEachCall(clean.calls, [&](std::size_t n) { verdicts[n - 1] = Judge(row, clean, bound, f, n); });
        std::map<int, int> codes;
        std::uint64_t longestOfFault = 0;
        for (std::size_t n = 1; n <= clean.calls; ++n) {
            const Verdict& v = verdicts[n - 1];
            ++codes[v.code];
            longestOfFault = std::max(longestOfFault, v.elapsed);
            for (const auto& [rule, what] : v.broken)
                faults[rule].push_back(std::string(FaultName(f)) + " after call " + std::to_string(n) + ": " + what);
        }
        longest = std::max(longest, longestOfFault);
        std::ostringstream s;
        s << row.name << ' ' << FaultName(f) << ": " << clean.calls << " runs, codes";
        for (const auto& [code, count] : codes) s << ' ' << code << " x" << count;
        s << "; longest " << longestOfFault << " ms";
        std::cout << s.str() << '\n';
    }
    std::cout << row.name << ": fault-free " << clean.elapsed << " ms in " << clean.calls << " calls, bound " << bound
              << " ms, longest faulted run " << longest << " ms\n";

    for (const auto& [rule, runs] : faults) {
        std::ostringstream first;
        for (std::size_t i = 0; i < runs.size() && i < 8; ++i) first << "  " << runs[i] << '\n';
        ADD_FAILURE() << row.name << ": " << runs.size() << " faulted runs broke the rule \"" << rule
                      << "\", the first:\n" << first.str();
    }
}

INSTANTIATE_TEST_SUITE_P(EachAdapterAndOperation, FaultInjection, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row>& info) { return std::string(info.param.name); });

// A desk that cannot take real input (a locked or disconnected session,
// another input desktop): a request whose pipeline makes a real click is
// answered 91 before any call reaches the program; a request that works by
// window messages alone goes on as on any desk.
TEST(DeskInput, OnlyARequestThatNeedsRealInputIsRefusedAndItTouchesNothing) {
    struct Case {
        const char* name;
        InputDesk state;
        bool secondVia;  // Icon2013 clicks the new row of a second via point
        int mode;
        bool refused;
    };
    const Case cases[] = {
        {"locked, entry with two via points", InputDesk::SessionLocked, true, kEnter, true},
        {"disconnected, entry with two via points", InputDesk::SessionDisconnected, true, kEnter, true},
        {"elevation prompt, entry with two via points", InputDesk::OtherDesktop, true, kEnter, true},
        {"ready, entry with two via points", InputDesk::Ready, true, kEnter, false},
        {"locked, entry with one via point", InputDesk::SessionLocked, false, kEnter, false},
        {"locked, read-back", InputDesk::SessionLocked, true, kRead, false},
    };
    for (const Case& c : cases) {
        std::unique_ptr<Scene> scene = c.mode == kEnter ? Icon2013Entry() : Icon2013Read();
        if (!c.secondVia) std::memset(&scene->Request().order.via[1], 0, sizeof(PlaceRecord));
        scene->Desktop().SetInputDeskState(c.state);
        const std::string before = scene->Held();
        FaultDesktop port(scene->Desktop(), scene->Process(), Fault::None, 0);
        ServeRequest(scene->Request(), port, FakeDesktop::kOleacc);
        const int code = scene->Request().result;
        if (!c.refused) {
            EXPECT_EQ(code, result::kSuccess) << c.name;
            continue;
        }
        EXPECT_EQ(code, result::kDeskTakesNoInput) << c.name;
        EXPECT_NE(ReadField(scene->Request().message).find(u"nothing was touched"), std::u16string::npos) << c.name;
        for (const PortCall& call : port.Log())
            EXPECT_EQ(call.kind, CallKind::Look) << c.name << ": " << call.name << " reached the program";
        EXPECT_EQ(scene->Held(), before) << c.name;
    }
}

}  // namespace
}  // namespace qm::faulttest
