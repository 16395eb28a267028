// One request at a time: the wait for the desk on the virtual clock, its bound
// and busy code, the take-over of a desk left by a robot that ended, and the
// guard against the request message arriving again while a request runs.
#include "app/desk.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/result_codes.h"
#include "testing/fake_desk_lock.h"

namespace qm {
namespace {

enum class Desk { Free, HeldFor30s, HeldForTheBound, HeldBeyondTheBound, LeftByEndedRobot };

struct DeskCase {
    const char* name;
    Desk desk;
    bool served;
    int result;
    std::uint64_t waitedMs;       // on the virtual clock
    std::u16string message;       // what the caller reads
};

const DeskCase kDeskCases[] = {
    {"free desk", Desk::Free, true, result::kSuccess, 0, u"entered"},
    {"held by a request that ends in 30 s", Desk::HeldFor30s, true, result::kSuccess, 30000, u"entered"},
    {"held until the bound's last moment", Desk::HeldForTheBound, true, result::kSuccess, kDeskWaitBoundMs,
     u"entered"},
    {"held beyond the bound", Desk::HeldBeyondTheBound, false, result::kDeskBusy, kDeskWaitBoundMs,
     u"Another request kept the desk for 120 s; this request touched no dispatch program."},
    {"left by a robot that ended", Desk::LeftByEndedRobot, true, result::kSuccess, 0,
     u"The desk was taken over from a robot that ended while holding it. entered"},
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
    }
    auto copy = std::make_unique<RequestBlock>();
    copy->result = -1;
    WriteField(copy->message, u"left by the caller");
    bool served = false;
    ServeAtDesk(*copy, lock, [&](RequestBlock& atDesk) {
        served = true;
        EXPECT_TRUE(lock.Held()) << "served without the desk";
        atDesk.result = result::kSuccess;
        WriteField(atDesk.message, u"entered");
    });
    EXPECT_EQ(served, c.served);
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

TEST(DeskTest, TakeOverNoteLeavesRoomForTheAdaptersMessage) {
    testing::FakeDesktop desktop;
    testing::FakeDeskLock lock(desktop);
    lock.LeftByEndedRobot();
    auto copy = std::make_unique<RequestBlock>();
    ServeAtDesk(*copy, lock, [](RequestBlock& atDesk) {
        WriteField(atDesk.message, std::u16string(kMessageChars - 1, u'x'));
    });
    const std::u16string message(ReadField(copy->message));
    EXPECT_EQ(message.size(), kMessageChars - 1);
    EXPECT_EQ(message.rfind(u"The desk was taken over", 0), 0u);
}

// The request message arriving again while the request waits (for the desk
// or a page call) starts nothing: the order is entered once.
TEST(DeskTest, RequestMessageDuringTheRequestStartsNothing) {
    testing::FakeDesktop desktop;
    testing::FakeDeskLock lock(desktop);
    lock.HeldByAnotherUntil(5000);
    SingleRequest request;
    auto copy = std::make_unique<RequestBlock>();
    int served = 0;
    std::function<void()> onRequest = [&] {
        if (!request.Begin()) return;
        ServeAtDesk(*copy, lock, [&](RequestBlock&) {
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
