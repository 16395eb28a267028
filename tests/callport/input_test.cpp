// Clicks, typing, edit reading and the main-window wait, observed on the fake
// desktop: what the target window receives, and the virtual pauses in between.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "callport/call_port.h"
#include "testing/fake_desktop.h"

namespace qm {
namespace {

using namespace qm::msg;
using testing::Behaviour;
using testing::DiffMessages;
using testing::FakeDesktop;
using testing::OnlyMessages;
using testing::Posted;
using testing::PortOnly;
using testing::Sent;

// A port with the dispatch program's side reduced to a main-window lookup.
class TestPort final : public CCallPort {
public:
    using CCallPort::CCallPort;
    using CCallPort::BringMainWindowForward;
    using CCallPort::EnterText;
    using CCallPort::TypeText;
    using CCallPort::WaitMainWindow;
    using CCallPort::mainWnd;

    Hwnd FindMainWindow() override {
        ++lookups;
        return desktop.FindWindow(u"SmartD2-", nullptr);
    }
    int ReadOrder(Module, const char16_t*, OrderRecord*, std::u16string&) override { return 0; }
    int EnterOrder(Module, const char16_t*, const char16_t*, OrderRecord*, int, std::u16string&, int) override {
        return 0;
    }
    void CloseEntryWindows(Hwnd) override {}

    int lookups = 0;
};

class InputTest : public ::testing::Test {
protected:
    InputTest() {
        dialog = d.Create({.behaviour = Behaviour::Dialog, .text = u"접수", .rect = {100, 200, 600, 500},
                           .frame = {3, 26, 3, 3}});
        edit = d.Create({.behaviour = Behaviour::Edit, .id = 1001, .parent = dialog, .rect = {30, 40, 230, 64},
                         .frame = {2, 2, 2, 2}});
        button = d.Create({.behaviour = Behaviour::Button, .text = u"등록", .id = 1002, .parent = dialog,
                           .rect = {30, 80, 110, 104}});
    }
    std::vector<testing::RecordedMessage> PortMessages(Hwnd w) const { return PortOnly(d.Messages(w)); }
    std::vector<std::uint32_t> Sleeps() const { return d.SleepLog(); }

    FakeDesktop d;
    TestPort slow{d, kSlowProfile};  // keyDelay 60, shortSettle 300
    Hwnd dialog{}, edit{}, button{};
};

// The edit's client area starts at screen (100+3+30+2, 200+26+40+2).
constexpr Point kEditClickScreen{135 + 15, 268 + 15};

TEST_F(InputTest, SendClickSendsTheFiveMessagesAtClientPoint15) {
    d.SetCursorPos({1, 1});
    SendClick(d, edit, false);
    EXPECT_EQ(d.GetCursorPos(), (Point{1, 1}));
    SendClick(d, edit, true);
    EXPECT_EQ(d.GetCursorPos(), kEditClickScreen);  // and not put back
    const std::intptr_t at = MakeLParam(15, 15);
    const std::vector<testing::ExpectedMessage> click = {Sent(WM_SETFOCUS, 0, 0), Sent(WM_LBUTTONDOWN, MK_LBUTTON, at),
                                                         Sent(BM_SETSTATE, 1, 0), Sent(WM_LBUTTONUP, 0, at),
                                                         Sent(BM_SETSTATE, 0, 0)};
    std::vector<testing::ExpectedMessage> twice = click;
    twice.insert(twice.end(), click.begin(), click.end());
    EXPECT_EQ("", DiffMessages(PortMessages(edit), twice));

    // A button takes the sent click as a press, and the result is the last message's.
    d.AddMessageHook(button, [](const testing::Message& m) -> std::optional<std::intptr_t> {
        if (m.message == BM_SETSTATE && m.wParam == 0) return 7;
        return std::nullopt;
    });
    EXPECT_EQ(SendClick(d, button, false), 7);
    const auto commands = OnlyMessages(d.Messages(dialog), {WM_COMMAND});
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].wParam, MakeWParam(1002, BN_CLICKED));
}

TEST_F(InputTest, SendClickWithoutWindowInfoNeitherMovesTheCursorNorAims) {
    d.SetWindowInfoFails(edit);
    d.SetCursorPos({1, 1});
    SendClick(d, edit, true);
    EXPECT_EQ(d.GetCursorPos(), (Point{1, 1}));
    EXPECT_EQ("", DiffMessages(PortMessages(edit), {Sent(WM_SETFOCUS), Sent(WM_LBUTTONDOWN, MK_LBUTTON, 0),
                                                    Sent(BM_SETSTATE, 1), Sent(WM_LBUTTONUP, 0, 0),
                                                    Sent(BM_SETSTATE, 0)}));
}

TEST_F(InputTest, PostClickQueuesTheSameMessagesAndNeverMovesTheCursor) {
    d.SetCursorPos({1, 1});
    EXPECT_TRUE(PostClick(d, edit));
    EXPECT_TRUE(PortMessages(edit).empty());  // nothing arrives before the program takes its queue
    d.DeliverPosted();
    const std::intptr_t at = MakeLParam(15, 15);
    EXPECT_EQ("", DiffMessages(PortMessages(edit), {Posted(WM_SETFOCUS, 0, 0), Posted(WM_LBUTTONDOWN, MK_LBUTTON, at),
                                                    Posted(BM_SETSTATE, 1, 0), Posted(WM_LBUTTONUP, 0, at),
                                                    Posted(BM_SETSTATE, 0, 0)}));
    EXPECT_EQ(d.GetCursorPos(), (Point{1, 1}));
    d.Destroy(button);
    EXPECT_FALSE(PostClick(d, button));
}

TEST_F(InputTest, TypeTextPausesBeforeTheFirstAndAfterEveryUnit) {
    struct Case {
        std::u16string text;
        std::vector<std::uint32_t> sleeps;
        std::vector<std::uintptr_t> chars;
    } cases[] = {
        {u"abc", {300, 60, 60, 60}, {u'a', u'b', u'c'}},
        {u"", {300}, {}},
        {u"\U0001F600", {300, 60, 60}, {0xD83D, 0xDE00}},  // one WM_CHAR per surrogate
    };
    for (const Case& c : cases) {
        d.ClearSleepLog();
        d.ClearMessages();
        d.HostSetText(edit, u"");
        slow.TypeText(edit, c.text);
        EXPECT_EQ(Sleeps(), c.sleeps);
        const auto all = PortMessages(edit);
        const auto chars = OnlyMessages(all, {WM_CHAR});
        ASSERT_EQ(chars.size(), c.chars.size());
        for (std::size_t i = 0; i < chars.size(); ++i) EXPECT_EQ(chars[i].wParam, c.chars[i]);
        EXPECT_EQ(OnlyMessages(all, {WM_LBUTTONDOWN}).size(), 1u);  // the one click
        EXPECT_EQ(d.Text(edit), c.text);
    }
}

TEST_F(InputTest, TypingStopsWhenTheProgramStopsAnswering) {
    d.SetHung(edit);
    slow.TypeText(edit, u"abc");
    EXPECT_TRUE(d.NotResponding());
    EXPECT_EQ(Sleeps(), (std::vector<std::uint32_t>{300}));  // no pause for keys never sent
    EXPECT_TRUE(OnlyMessages(d.Messages(edit), {WM_CHAR}).empty());
}

TEST_F(InputTest, EnterTextReplacesTheOldText) {
    d.HostSetText(edit, u"old");
    d.ClearMessages();
    slow.EnterText(edit, u"new", true, false);
    d.DeliverPosted();
    EXPECT_EQ(d.Text(edit), u"new");
    const std::intptr_t at = MakeLParam(15, 15);
    EXPECT_EQ("", DiffMessages(PortMessages(edit),
                               {Sent(WM_LBUTTONDOWN, 0, 0), Sent(WM_LBUTTONUP, 0, 0), Sent(EM_SETSEL, 0, -1),
                                Posted(WM_KEYDOWN, VK_DELETE, 0), Posted(WM_KEYUP, VK_DELETE, 0), Sent(WM_SETFOCUS),
                                Sent(WM_LBUTTONDOWN, MK_LBUTTON, at), Sent(BM_SETSTATE, 1), Sent(WM_LBUTTONUP, 0, at),
                                Sent(BM_SETSTATE, 0), Sent(WM_CHAR, u'n'), Sent(WM_CHAR, u'e'), Sent(WM_CHAR, u'w'),
                                Posted(WM_KEYDOWN, VK_TAB, 0), Posted(WM_KEYUP, VK_TAB, 0)}));
    EXPECT_EQ(Sleeps(), (std::vector<std::uint32_t>{60, 300, 60, 60, 60, 60, 60}));
}

TEST_F(InputTest, EnterTextAppendsAtTheEndOfTheOldText) {
    d.HostSetText(edit, u"old");
    d.ClearMessages();
    slow.EnterText(edit, u", new", false, true);
    d.DeliverPosted();
    // TypeText's click put the caret at the start; it is moved back to the end.
    EXPECT_EQ(d.Text(edit), u"old, new");
    const auto port = PortMessages(edit);
    EXPECT_TRUE(OnlyMessages(port, {WM_KEYDOWN, WM_KEYUP}).size() == 2u);  // Tab only, never Delete
    for (const auto& m : OnlyMessages(port, {WM_KEYDOWN})) EXPECT_EQ(m.wParam, VK_TAB);
    EXPECT_EQ("", DiffMessages(OnlyMessages(port, {WM_GETTEXTLENGTH, EM_SETSEL, WM_LBUTTONUP, WM_CHAR}),
                               {Sent(WM_GETTEXTLENGTH), Sent(EM_SETSEL, 3, -1), Sent(WM_LBUTTONUP),
                                Sent(EM_SETSEL, 3, -1), Sent(WM_CHAR, u','), Sent(WM_CHAR, u' '),
                                Sent(WM_CHAR, u'n'), Sent(WM_CHAR, u'e'), Sent(WM_CHAR, u'w')}));

    // Replacing never reads the length.
    d.ClearMessages();
    slow.EnterText(edit, u"x", false, false);
    EXPECT_TRUE(OnlyMessages(d.Messages(edit), {WM_GETTEXTLENGTH}).empty());
}

TEST_F(InputTest, ReadEditLinesJoinsTheLinesWithoutSeparators) {
    d.HostSetText(edit, u"first\r\n\r\nthird");
    std::u16string text = u"stale";
    EXPECT_EQ(ReadEditLines(d, edit, text), 10);
    EXPECT_EQ(text, u"firstthird");

    d.HostSetText(edit, u"");
    EXPECT_EQ(ReadEditLines(d, edit, text), 0);
    EXPECT_EQ(text, u"");
    d.HostSetText(edit, u"x");
    d.SetHung(edit);
    EXPECT_EQ(ReadEditLines(d, edit, text), 0);
    EXPECT_EQ(text, u"");
}

TEST_F(InputTest, WaitMainWindowTriesTenTimesAndCachesWhatItFound) {
    EXPECT_FALSE(slow.WaitMainWindow());
    EXPECT_EQ(slow.lookups, 10);
    EXPECT_EQ(Sleeps(), std::vector<std::uint32_t>(9, 100));
    EXPECT_EQ(slow.BringMainWindowForward(), 4);

    // The window shows up after a quarter of a second: found on the fourth try.
    Hwnd main{};
    d.SetTimer(250, [&] { main = d.Create({.className = u"SmartD2-", .text = u"LogiD2"}); });
    slow.lookups = 0;
    d.ClearSleepLog();
    EXPECT_TRUE(slow.WaitMainWindow());
    EXPECT_EQ(slow.lookups, 4);
    EXPECT_EQ(slow.mainWnd, main);
    d.ClearSleepLog();
    EXPECT_EQ(slow.BringMainWindowForward(), 0);
    EXPECT_EQ(slow.lookups, 4);  // cached: no lookup, no pause
    EXPECT_TRUE(Sleeps().empty());
    EXPECT_EQ(d.ForegroundCalls().back(), main);
    EXPECT_EQ(d.ActiveCalls().back(), main);
}

TEST_F(InputTest, PostCommandAndMouseClickClicksBelowTheControlAndPutsTheCursorBack) {
    d.SetCursorPos({5, 6});
    PostCommandAndMouseClick(d, dialog, button);
    const auto commands = OnlyMessages(PortMessages(dialog), {WM_COMMAND});
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_TRUE(commands[0].posted);
    EXPECT_EQ(commands[0].wParam, MakeWParam(1002, BN_CLICKED));
    EXPECT_EQ(commands[0].lParam, static_cast<std::intptr_t>(button));
    // The button's client area ends at screen (103+110, 226+104).
    ASSERT_EQ(d.RealClicks().size(), 2u);
    EXPECT_EQ(d.RealClicks()[0].screen, (Point{213, 340}));
    EXPECT_TRUE(d.RealClicks()[0].down);
    EXPECT_FALSE(d.RealClicks()[1].down);
    EXPECT_EQ(d.GetCursorPos(), (Point{5, 6}));
    EXPECT_EQ(Sleeps(), (std::vector<std::uint32_t>{200, 200, 200}));

    // Without the control's place there is no real click at all.
    d.ClearSleepLog();
    d.SetWindowInfoFails(button);
    PostCommandAndMouseClick(d, dialog, button);
    EXPECT_EQ(d.RealClicks().size(), 2u);
    EXPECT_EQ(d.GetCursorPos(), (Point{5, 6}));
    EXPECT_EQ(OnlyMessages(PortMessages(dialog), {WM_COMMAND}).size(), 2u);
    EXPECT_EQ(Sleeps(), (std::vector<std::uint32_t>{200}));
}

// Real input goes to whatever lies under the point: another program's window
// there (a notification, the operator's own program) takes no click, the
// command is still posted and the cursor stays where it was.
TEST_F(InputTest, PostCommandAndMouseClickMakesNoClickOnAnotherProgramsWindow) {
    const Hwnd foreign = d.Create({.behaviour = Behaviour::Dialog, .text = u"알림", .rect = {150, 300, 400, 400},
                                   .process = 2});
    ASSERT_EQ(d.WindowFromPoint({213, 340}), foreign);
    d.SetCursorPos({5, 6});
    EXPECT_FALSE(PostCommandAndMouseClick(d, dialog, button));
    EXPECT_TRUE(d.RealClicks().empty());
    EXPECT_TRUE(OnlyMessages(PortMessages(foreign), {WM_LBUTTONDOWN, WM_LBUTTONUP}).empty());
    EXPECT_EQ(OnlyMessages(PortMessages(dialog), {WM_COMMAND}).size(), 1u);
    EXPECT_EQ(d.GetCursorPos(), (Point{5, 6}));
    EXPECT_EQ(Sleeps(), (std::vector<std::uint32_t>{200, 200, 200}));
}

}  // namespace
}  // namespace qm
