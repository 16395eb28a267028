// Geometry, the cursor and real clicks.
#include <gtest/gtest.h>

#include <ostream>

#include "testing/fake_desktop.h"

namespace qm::testing {
namespace {

namespace m = qm::msg;

class MouseTest : public ::testing::Test {
protected:
    FakeDesktop d;
    // A framed main window at 100,100 with its client area from 108,130.
    Hwnd main = d.Create({.className = u"Main", .rect = {100, 100, 500, 400}, .frame = {8, 30, 8, 8}});
    Hwnd panel = d.Create({.behaviour = Behaviour::Dialog, .parent = main, .rect = {10, 10, 210, 110}});
    Hwnd button = d.Create({.behaviour = Behaviour::Button, .text = u"지도", .id = 7, .parent = panel,
                            .rect = {20, 20, 100, 44}});

    void ClickAt(Point p) {
        d.SetCursorPos(p);
        d.MouseEvent(m::MOUSEEVENTF_LEFTDOWN);
        d.MouseEvent(m::MOUSEEVENTF_LEFTUP);
    }
};

TEST_F(MouseTest, RectanglesAreInScreenCoordinatesThroughTheParentsClientArea) {
    const auto info = d.GetWindowInfo(button);
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->window, (Rect{138, 160, 218, 184}));
    EXPECT_EQ(info->client, info->window);
    const auto mainInfo = d.GetWindowInfo(main);
    EXPECT_EQ(mainInfo->client, (Rect{108, 130, 492, 392}));
    EXPECT_EQ(d.ScreenToClient(button, {153, 175}), std::optional<Point>(Point{15, 15}));
    EXPECT_EQ(d.ScreenToClient(main, {108, 130}), std::optional<Point>(Point{0, 0}));
    d.Move(main, {0, 0, 400, 300});  // children follow their parent
    EXPECT_EQ(d.GetWindowInfo(button)->window, (Rect{38, 60, 118, 84}));
}

TEST_F(MouseTest, GetWindowInfoCanBeMadeToFail) {
    d.SetWindowInfoFails(button);
    EXPECT_FALSE(d.GetWindowInfo(button).has_value());
    EXPECT_TRUE(d.ScreenToClient(button, {0, 0}).has_value());
    d.SetWindowInfoFails(button, false);
    EXPECT_TRUE(d.GetWindowInfo(button).has_value());
}

TEST_F(MouseTest, RealClickReachesTheButtonUnderTheCursorWhenMessagesArePumped) {
    ClickAt({150, 170});
    EXPECT_TRUE(OnlyMessages(d.MessageLog(), {m::WM_COMMAND}).empty());
    d.Sleep(200);
    EXPECT_EQ("", DiffMessages(d.Messages(button), {Posted(m::WM_LBUTTONDOWN, m::MK_LBUTTON, m::MakeLParam(12, 10)),
                                                    Optional(AnyWay(m::WM_SETFOCUS)),
                                                    Posted(m::WM_LBUTTONUP, 0, m::MakeLParam(12, 10))}));
    EXPECT_EQ(OnlyMessages(d.Messages(panel), {m::WM_COMMAND}).size(), 1u);
    ASSERT_EQ(d.RealClicks().size(), 2u);
    EXPECT_EQ(d.RealClicks()[0].window, button);
    EXPECT_TRUE(d.RealClicks()[0].delivered);
    EXPECT_EQ(d.RealClicks()[0].screen, (Point{150, 170}));
    EXPECT_FALSE(d.RealClicks()[1].down);
}

struct HitCase {
    const char* name;
    Point point;
    int expected;  // index into the windows of the fixture below; -1: none
};
void PrintTo(const HitCase& c, std::ostream* os) { *os << c.name; }

class HitTest : public MouseTest, public ::testing::WithParamInterface<HitCase> {
protected:
    // 0 main, 1 panel, 2 button, 3 an overlapping later sibling of the panel,
    // 4 a hidden child, 5 a window on top of main, 6 a minimised window.
    std::vector<Hwnd> windows() {
        const Hwnd later = d.Create({.className = u"Later", .parent = main, .rect = {150, 50, 300, 200}});
        const Hwnd hidden = d.Create({.className = u"Hidden", .parent = main, .rect = {250, 150, 380, 250},
                                      .visible = false});
        const Hwnd front = d.Create({.className = u"Front", .rect = {400, 300, 600, 500}});
        const Hwnd minimised = d.Create({.className = u"Minimised", .rect = {0, 0, 90, 90}});
        d.ShowWindow(minimised, m::SW_SHOWMINIMIZED);
        return {main, panel, button, later, hidden, front, minimised};
    }
};

TEST_P(HitTest, DeepestVisibleWindowWins) {
    const auto w = windows();
    const HitCase& c = GetParam();
    EXPECT_EQ(d.WindowFromPoint(c.point), c.expected < 0 ? kNoWindow : w[static_cast<std::size_t>(c.expected)])
        << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Mouse, HitTest,
    ::testing::Values(HitCase{"button over its parents", {150, 170}, 2},
                      HitCase{"panel around the button", {120, 145}, 1},
                      HitCase{"earlier sibling over a later one where they overlap", {270, 200}, 1},
                      HitCase{"later sibling outside the earlier one", {350, 200}, 3},
                      HitCase{"hidden child is skipped", {420, 290}, 0},
                      HitCase{"main's frame holds no child", {104, 104}, 0},
                      HitCase{"newer top-level window on top", {450, 350}, 5},
                      HitCase{"minimised window holds no point", {50, 50}, -1},
                      HitCase{"right and bottom edges are outside", {500, 250}, -1}),
    [](const auto& info) { return std::to_string(info.index); });

TEST_F(MouseTest, ClickOnADisabledWindowIsRecordedButNotDelivered) {
    d.Enable(panel, false);
    ClickAt({150, 170});
    d.Sleep(10);
    ASSERT_EQ(d.RealClicks().size(), 2u);
    EXPECT_EQ(d.RealClicks()[0].window, button);
    EXPECT_FALSE(d.RealClicks()[0].delivered);
    EXPECT_TRUE(OnlyMessages(d.Messages(button), {m::WM_LBUTTONDOWN, m::WM_LBUTTONUP}).empty());
}

TEST_F(MouseTest, UpGoesToTheWindowThatTookTheDownEvenWhenTheCursorMoved) {
    d.SetCursorPos({150, 170});
    d.MouseEvent(m::MOUSEEVENTF_LEFTDOWN);
    d.SetCursorPos({300, 300});
    d.MouseEvent(m::MOUSEEVENTF_LEFTUP);
    d.Sleep(0);
    const auto ups = OnlyMessages(d.Messages(button), {m::WM_LBUTTONUP});
    ASSERT_EQ(ups.size(), 1u);
    EXPECT_EQ(ups[0].lParam, m::MakeLParam(162, 140));
    EXPECT_TRUE(OnlyMessages(d.Messages(panel), {m::WM_COMMAND}).empty());  // released outside
}

TEST_F(MouseTest, ClickActivatesAndRaisesTheTopLevelWindow) {
    const Hwnd front = d.Create({.className = u"Front", .rect = {0, 0, 50, 50}});
    ASSERT_EQ(d.TopLevelWindows().front(), front);
    ClickAt({150, 170});
    EXPECT_EQ(d.TopLevelWindows().front(), main);
    EXPECT_EQ(d.ActiveWindow(), main);
}

TEST_F(MouseTest, ShowWindowCommandsChangeVisibilityAndMinimisedState) {
    const Hwnd dialog = d.Create({.behaviour = Behaviour::Dialog, .text = u"지도보기", .rect = {0, 0, 300, 300}});
    EXPECT_TRUE(d.ShowWindow(dialog, m::SW_HIDE));
    EXPECT_FALSE(d.IsVisible(dialog));
    EXPECT_FALSE(d.ShowWindow(dialog, m::SW_SHOWMINIMIZED));
    EXPECT_TRUE(d.IsVisible(dialog));
    EXPECT_TRUE(d.IsMinimized(dialog));
    EXPECT_EQ(d.WindowFromPoint({10, 10}), kNoWindow);
    d.ShowWindow(dialog, m::SW_RESTORE);
    EXPECT_FALSE(d.IsMinimized(dialog));
    EXPECT_EQ(d.WindowFromPoint({10, 10}), dialog);
    EXPECT_EQ("", DiffMessages(OnlyMessages(d.Messages(dialog), {fakemsg::WM_SHOWWINDOW}),
                               {Sent(fakemsg::WM_SHOWWINDOW, 0), Sent(fakemsg::WM_SHOWWINDOW, 1)}));
}

}  // namespace
}  // namespace qm::testing
