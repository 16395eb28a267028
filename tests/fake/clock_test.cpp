// The posted queue, the virtual clock with its timers, and hung windows.
#include <gtest/gtest.h>

#include <string>

#include "testing/fake_desktop.h"

namespace qm::testing {
namespace {

namespace m = qm::msg;

class ClockTest : public ::testing::Test {
protected:
    FakeDesktop d;
    Hwnd main = d.Create({.className = u"Main"});
    Hwnd edit = d.Create({.behaviour = Behaviour::Edit, .parent = main});
};

TEST_F(ClockTest, PostedMessagesWaitForTheNextSleepAndArriveInOrder) {
    d.Post(edit, m::WM_CHAR, 'a', 0);
    d.Post(edit, m::WM_CHAR, 'b', 0);
    d.Send(edit, m::WM_CHAR, 'c', 0);  // a send overtakes the queue
    EXPECT_EQ(d.Text(edit), u"c");
    EXPECT_EQ(d.PostedCount(), 2u);
    d.Sleep(0);
    EXPECT_EQ(d.Text(edit), u"cab");
    const auto log = d.Messages(edit);
    ASSERT_EQ(log.size(), 3u);
    EXPECT_FALSE(log[0].posted);
    EXPECT_TRUE(log[1].posted);
    EXPECT_TRUE(log[1].fromPort);
}

TEST_F(ClockTest, MessagesPostedWhileDeliveringArriveInTheSameSleep) {
    d.AddMessageHook(main, [&](const Message& msg) -> std::optional<std::intptr_t> {
        if (msg.message == m::WM_USER && msg.wParam < 3) d.HostPost(main, m::WM_USER, msg.wParam + 1, 0);
        return std::nullopt;
    });
    d.Post(main, m::WM_USER, 0, 0);
    d.DeliverPosted();
    EXPECT_EQ("", DiffMessages(d.Messages(main), {Posted(m::WM_USER, 0), Posted(m::WM_USER, 1),
                                                  Posted(m::WM_USER, 2), Posted(m::WM_USER, 3)}));
    EXPECT_EQ(d.PostedCount(), 0u);
}

TEST_F(ClockTest, AHandlerThatRepostsForeverFailsLoudly) {
    d.AddMessageHook(main, [&](const Message& msg) -> std::optional<std::intptr_t> {
        if (msg.message == m::WM_USER) d.HostPost(main, m::WM_USER, 0, 0);
        return 0;
    });
    d.Post(main, m::WM_USER, 0, 0);
    EXPECT_THROW(d.Sleep(100), std::runtime_error);
    EXPECT_EQ(OnlyMessages(d.Messages(main), {m::WM_USER}).size(), FakeDesktop::kMaxPostedPerSleep);
}

TEST_F(ClockTest, TimersFireInDueOrderAsTimeMoves) {
    std::vector<std::string> fired;
    auto note = [&](const char* what) { return [&, what] { fired.push_back(std::string(what) + "@" + std::to_string(d.Now())); }; };
    d.SetTimer(300, note("c"));
    d.SetTimer(100, note("a"));
    d.SetTimer(200, note("b"));
    const TimerId repeating = d.SetTimer(150, note("r"), true);
    const TimerId killed = d.SetTimer(50, note("never"));
    EXPECT_TRUE(d.KillTimer(killed));
    d.Sleep(320);
    EXPECT_EQ(fired, (std::vector<std::string>{"a@100", "r@150", "b@200", "c@300", "r@300"}));
    EXPECT_EQ(d.Now(), 320u);
    fired.clear();
    d.KillTimer(repeating);
    d.Sleep(1000);
    EXPECT_TRUE(fired.empty());
}

TEST_F(ClockTest, TimerReactionsPostMessagesThatArriveRightAway) {
    // A lookup that fills a box a while after Enter: the robot polls in 100 ms steps.
    d.SetTimer(250, [&] { d.HostPost(edit, m::WM_CHAR, 'x', 0); });
    int polls = 0;
    while (d.Text(edit).empty() && polls < 10) {
        d.Sleep(100);
        ++polls;
    }
    EXPECT_EQ(polls, 3);
    EXPECT_EQ(d.SleepTotal(), 300u);
}

TEST_F(ClockTest, TimersOfADestroyedWindowDieWithIt) {
    const Hwnd popup = d.Create({.className = u"Popup", .owner = main});
    bool fired = false;
    d.SetTimer(100, [&] { fired = true; }, false, popup);
    d.Destroy(popup);
    d.Sleep(200);
    EXPECT_FALSE(fired);
    EXPECT_EQ(d.TimerCount(), 0u);
}

TEST_F(ClockTest, SleepLogKeepsEveryPauseInOrder) {
    for (std::uint32_t ms : {100u, 0u, 2500u, 30u}) d.Sleep(ms);
    EXPECT_EQ(d.SleepLog(), (std::vector<std::uint32_t>{100, 0, 2500, 30}));
    EXPECT_EQ(d.SleepTotal(), 2630u);
    EXPECT_EQ(d.Now(), 2630u);
    d.ClearSleepLog();
    EXPECT_TRUE(d.SleepLog().empty());
    EXPECT_EQ(d.Now(), 2630u);
}

TEST_F(ClockTest, MinutesOfVirtualTimeCostNothing) {
    int ticks = 0;
    d.SetTimer(10, [&] { ++ticks; }, true);
    for (int i = 0; i < 600; ++i) d.Sleep(1000);  // ten minutes
    EXPECT_EQ(ticks, 60000);
}

TEST_F(ClockTest, SleepFromInsideAHookIsRefused) {
    d.AddMessageHook(main, [&](const Message&) -> std::optional<std::intptr_t> {
        d.Sleep(10);
        return 0;
    });
    EXPECT_THROW(d.Send(main, m::WM_USER, 0, 0), std::logic_error);
    d.Sleep(5);  // the desktop is still usable afterwards
    EXPECT_EQ(d.Now(), 5u);
}

TEST_F(ClockTest, BusyHandlerDelaysTimersUntilTheNextSleep) {
    std::vector<std::uint64_t> at;
    d.SetTimer(100, [&] { at.push_back(d.Now()); });
    d.Busy(500);
    EXPECT_TRUE(at.empty());
    d.Sleep(0);
    EXPECT_EQ(at, std::vector<std::uint64_t>{500});
}

TEST_F(ClockTest, SendToAHungWindowWaitsOnceThenEverySendFailsAtOnce) {
    const Hwnd other = d.Create({.className = u"Healthy"});
    d.SetHung(main);
    EXPECT_EQ(d.Send(edit, m::WM_GETTEXTLENGTH, 0, 0), 0);  // the child is healthy
    EXPECT_FALSE(d.NotResponding());
    EXPECT_EQ(d.Send(main, m::WM_USER, 0, 0), 0);
    EXPECT_TRUE(d.NotResponding());
    EXPECT_EQ(d.Now(), FakeDesktop::kSendTimeoutMs);
    EXPECT_EQ(d.BlockedTotal(), FakeDesktop::kSendTimeoutMs);
    EXPECT_EQ(d.SleepTotal(), 0u);
    d.SendSetText(other, u"x");
    EXPECT_EQ(d.Send(main, m::WM_USER, 0, 0), 0);
    EXPECT_EQ(d.SendGetText(edit, 100), u"");
    EXPECT_EQ(d.Now(), FakeDesktop::kSendTimeoutMs);  // no second wait
    EXPECT_EQ(d.Text(other), u"");                     // nothing was delivered
    EXPECT_TRUE(OnlyMessages(d.MessageLog(), {m::WM_USER, m::WM_SETTEXT}).empty());
}

TEST_F(ClockTest, AHungProcessHoldsItsPostedMessagesAndTimers) {
    const Hwnd popup = d.Create({.className = u"Popup", .owner = main});
    const Hwnd stranger = d.Create({.className = u"Stranger", .process = 2});
    bool timerFired = false;
    d.SetTimer(10, [&] { timerFired = true; }, false, popup);
    d.SetProcessHung(d.ProcessOf(main));
    EXPECT_TRUE(d.IsHung(popup));
    EXPECT_FALSE(d.IsHung(stranger));
    d.Post(edit, m::WM_CHAR, 'a', 0);
    d.Post(stranger, m::WM_USER, 0, 0);
    d.Sleep(100);
    EXPECT_EQ(d.Text(edit), u"");
    EXPECT_FALSE(timerFired);
    EXPECT_EQ(d.Messages(stranger).size(), 1u);
    d.SetProcessHung(d.ProcessOf(main), false);
    d.Sleep(0);
    EXPECT_EQ(d.Text(edit), u"a");
    EXPECT_TRUE(timerFired);
}

TEST_F(ClockTest, SendTimeoutToAHungWindowWaitsItsOwnBoundUnlessAbortIfHungAndLeavesTheVerdictToOrdinarySends) {
    d.SetHung(main);
    EXPECT_EQ(d.SendTimeout(main, m::WM_USER, 0, 0, m::SMTO_ABORTIFHUNG, 3000), std::nullopt);
    EXPECT_EQ(d.Now(), 0u);
    EXPECT_FALSE(d.NotResponding()) << "the caller's own bound is the caller's to judge";
    EXPECT_EQ(d.SendTimeout(main, m::WM_USER, 0, 0, 0, 3000), std::nullopt);
    EXPECT_EQ(d.Now(), 3000u);
    EXPECT_FALSE(d.NotResponding());
    EXPECT_EQ(d.Send(main, m::WM_USER, 0, 0), 0);  // an ordinary send does mark it
    EXPECT_TRUE(d.NotResponding());
    const std::uint64_t marked = d.Now();
    EXPECT_EQ(d.SendTimeout(edit, m::WM_GETTEXTLENGTH, 0, 0, 0, 3000), std::nullopt);  // no second wait
    EXPECT_EQ(d.Now(), marked);
    d.SetHung(main, false);
    d.ResetNotResponding();
    EXPECT_EQ(d.SendTimeout(edit, m::WM_GETTEXTLENGTH, 0, 0, 0, 3000), std::optional<std::intptr_t>(0));
}

TEST_F(ClockTest, TypedReadsOfAHungWindowGiveNothing) {
    const Hwnd combo = d.Create({.behaviour = Behaviour::Combo, .parent = main, .items = {u"현금"}});
    d.SetHung(combo);
    EXPECT_EQ(d.SendGetComboItem(combo, 0), std::nullopt);
    EXPECT_TRUE(d.NotResponding());
    d.SetHung(combo, false);
    EXPECT_EQ(d.SendGetComboItem(combo, 0), std::nullopt);  // still taken for hung
    d.ResetNotResponding();
    EXPECT_EQ(d.SendGetComboItem(combo, 0), std::optional<std::u16string>(u"현금"));
    EXPECT_EQ(d.Now(), FakeDesktop::kSendTimeoutMs);
}

}  // namespace
}  // namespace qm::testing
