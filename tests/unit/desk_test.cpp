// One request at a time: the wait for the desk on the virtual clock, its bound
// and busy code, a lock that cannot be made, the take-over of a desk left by a
// robot that ended, a request that needs no desk, and the guard against the
// request message arriving again while a request runs.
#include "app/desk.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/result_codes.h"
#include "testing/fake_desk_lock.h"

namespace qm {
namespace {

enum class Desk { Free, HeldFor30s, HeldForTheBound, HeldBeyondTheBound, LeftByEndedRobot, CannotBeMade };

struct DeskCase {
    const char* name;
    Desk desk;
    int adapterKind;
    bool served;
    DeskTurn turn;                // as serve was told
    int result;
    std::uint64_t waitedMs;       // on the virtual clock
    std::u16string message;       // what the caller reads
};

constexpr int kServed = adapter::kIcon2013;
constexpr int kNotServed = 7;

const DeskCase kDeskCases[] = {
    {"free desk", Desk::Free, kServed, true, DeskTurn::Taken, result::kSuccess, 0, u"entered"},
    {"held by a request that ends in 30 s", Desk::HeldFor30s, kServed, true, DeskTurn::Taken, result::kSuccess, 30000,
     u"entered"},
    {"held until the bound's last moment", Desk::HeldForTheBound, kServed, true, DeskTurn::Taken, result::kSuccess,
     kDeskWaitBoundMs, u"entered"},
    {"held beyond the bound", Desk::HeldBeyondTheBound, kServed, false, DeskTurn::Busy, result::kDeskBusy,
     kDeskWaitBoundMs, u"Another request kept the desk for 120 s; this request touched no dispatch program."},
    // The take-over is told to the caller apart from the message, which stays the adapter's.
    {"left by a robot that ended", Desk::LeftByEndedRobot, kServed, true, DeskTurn::TakenOver, result::kSuccess, 0,
     u"entered"},
    {"lock that cannot be made", Desk::CannotBeMade, kServed, false, DeskTurn::Unavailable, result::kDeskUnavailable,
     0,
     u"The desk lock could not be had: the desk lock could not be made (Windows error 6: The handle is invalid); "
     u"this request touched no dispatch program."},
    // A kind no adapter serves touches nothing: answered at once, whoever holds the desk.
    {"adapter not served, desk held", Desk::HeldBeyondTheBound, kNotServed, true, DeskTurn::Taken,
     result::kAdapterNotServed, 0, u"left by the caller"},
};

class DeskTest : public ::testing::TestWithParam<DeskCase> {};

TEST_P(DeskTest, ServesOnceTheDeskIsItsOwnAndLetsGoBeforeAnswering) {
    const DeskCase& c = GetParam();
    testing::FakeDesktop desktop;
    testing::FakeDeskLock lock(desktop);
    switch (c.desk) {
    case Desk::Free: break;
    case Desk::HeldFor30s: lock.HeldByAnotherUntil(30000); break;
    case Desk::HeldForTheBound: lock.HeldByAnotherUntil(kDeskWaitBoundMs); break;
    case Desk::HeldBeyondTheBound: lock.HeldByAnotherUntil(kDeskWaitBoundMs + 1); break;
    case Desk::LeftByEndedRobot: lock.LeftByEndedRobot(); break;
    case Desk::CannotBeMade:
        lock.CannotBeMade(u"the desk lock could not be made (Windows error 6: The handle is invalid)");
        break;
    }
    auto copy = std::make_unique<RequestBlock>();
    copy->order.adapterKind = c.adapterKind;
    copy->result = -1;
    WriteField(copy->message, u"left by the caller");
    bool served = false;
    DeskTurn told = DeskTurn::Busy;
    ServeAtDesk(*copy, lock, [&](RequestBlock& atDesk, DeskTurn turn) {
        served = true;
        told = turn;
        if (atDesk.order.adapterKind == kNotServed) {
            atDesk.result = result::kAdapterNotServed;
            return;
        }
        EXPECT_TRUE(lock.Held()) << "served without the desk";
        atDesk.result = result::kSuccess;
        WriteField(atDesk.message, u"entered");
    });
    EXPECT_EQ(served, c.served);
    if (served) EXPECT_EQ(told, c.turn);
    EXPECT_EQ(copy->result, c.result);
    EXPECT_EQ(std::u16string(ReadField(copy->message)), c.message);
    // One wait, no polling: a single sleep of the whole wait, or none.
    EXPECT_EQ(desktop.Now(), c.waitedMs);
    EXPECT_LE(desktop.SleepLog().size(), 1u);
    EXPECT_FALSE(lock.Held()) << "the desk was not let go of";
}

INSTANTIATE_TEST_SUITE_P(Desk, DeskTest, ::testing::ValuesIn(kDeskCases),
                         [](const auto& info) {
                             std::string name;
                             for (const char ch : std::string(info.param.name)) name += std::isalnum(ch) ? ch : '_';
                             return name;
                         });

// A take-over leaves the adapter's message whole, up to the block's limit.
TEST(DeskTest, TakeOverLeavesTheAdaptersMessageWhole) {
    testing::FakeDesktop desktop;
    testing::FakeDeskLock lock(desktop);
    lock.LeftByEndedRobot();
    auto copy = std::make_unique<RequestBlock>();
    copy->order.adapterKind = kServed;
    const std::u16string full(kMessageChars - 1, u'x');
    ServeAtDesk(*copy, lock, [&](RequestBlock& atDesk, DeskTurn) { WriteField(atDesk.message, full); });
    EXPECT_EQ(std::u16string(ReadField(copy->message)), full);
}

// The request message arriving again while the request waits (for the desk
// or a page call) starts nothing: the order is entered once.
TEST(DeskTest, RequestMessageDuringTheRequestStartsNothing) {
    testing::FakeDesktop desktop;
    testing::FakeDeskLock lock(desktop);
    lock.HeldByAnotherUntil(5000);
    SingleRequest request;
    auto copy = std::make_unique<RequestBlock>();
    copy->order.adapterKind = kServed;
    int served = 0;
    std::function<void()> onRequest = [&] {
        if (!request.Begin()) return;
        ServeAtDesk(*copy, lock, [&](RequestBlock&, DeskTurn) {
            ++served;
            onRequest();  // the message dispatched again while the request runs
        });
    };
    onRequest();
    onRequest();  // and once more after it answered
    EXPECT_EQ(served, 1);
    EXPECT_EQ(lock.Acquired(), 1);
}

}  // namespace
}  // namespace qm
