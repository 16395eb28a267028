// The port's window operations against real controls in another process:
// lookups, walks, texts (Korean included), typing, edit lines, check boxes,
// combo items, a click made of sent messages, a real mouse click, and a hung
// program.
#include "platform/win32/windows_names.h"

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/win32/win32_desktop.h"
#include "tests/win32/helper_process.h"

namespace qm::conformance {
namespace {

std::u16string U(const wchar_t* s) { return reinterpret_cast<const char16_t*>(s); }

class WindowsPortTest : public HelperTest {
protected:
    void SetUp() override {
        HelperTest::SetUp();
        if (HasFatalFailure()) return;
        const Shared& s = shared();
        main = ToPort(s.main);
        edit = ToPort(s.edit);
        push = ToPort(s.push);
        checked = ToPort(s.checked);
        unchecked = ToPort(s.unchecked);
        label = ToPort(s.label);
        combo = ToPort(s.combo);
        mouse = ToPort(s.mouse);
        innerDialog = ToPort(s.innerDialog);
        innerCheck = ToPort(s.innerCheck);
        popup = ToPort(s.popup);
    }

    LONG Clicks(int id) { return shared().clicks[id - 100]; }

    win32::Win32Desktop desktop;
    Hwnd main{}, edit{}, push{}, checked{}, unchecked{}, label{}, combo{}, mouse{}, innerDialog{}, innerCheck{},
        popup{};
};

TEST_F(WindowsPortTest, FindsWindowsByClassAndText) {
    const std::u16string title = U(kMainTitle);
    EXPECT_EQ(desktop.FindWindow(U(kMainClass).c_str(), title.c_str()), main);
    EXPECT_EQ(desktop.FindWindow(U(kMainClass).c_str(), nullptr), main);
    EXPECT_EQ(desktop.FindWindow(nullptr, title.c_str()), main);
    EXPECT_EQ(desktop.FindWindow(u"#32770", U(kPopupTitle).c_str()), popup);
    EXPECT_EQ(desktop.FindWindow(U(kMainClass).c_str(), u"콜 접수"), kNoWindow);  // whole text only
    EXPECT_EQ(desktop.FindWindow(u"QmNoSuchClass", nullptr), kNoWindow);

    EXPECT_EQ(desktop.FindWindowEx(main, kNoWindow, u"Button", U(kPushText).c_str()), push);
    // The next Button after the push button, in child order.
    EXPECT_EQ(desktop.FindWindowEx(main, push, u"Button", nullptr), checked);
    EXPECT_EQ(desktop.FindWindowEx(main, kNoWindow, u"#32770", nullptr), innerDialog);
    // Only direct children: the inner check box is not the main window's.
    EXPECT_EQ(desktop.FindWindowEx(main, kNoWindow, u"Button", U(kInnerCheckText).c_str()), kNoWindow);
    EXPECT_EQ(desktop.FindWindowEx(innerDialog, kNoWindow, u"Button", U(kInnerCheckText).c_str()), innerCheck);
}

TEST_F(WindowsPortTest, WalksChildrenInCreationOrder) {
    const std::vector<Hwnd> order = {edit, push, checked, unchecked, label, combo, mouse, innerDialog};
    std::vector<Hwnd> forward;
    for (Hwnd h = desktop.GetWindow(main, Relation::Child); !IsNull(h) && forward.size() < 20;
         h = desktop.GetWindow(h, Relation::Next)) {
        forward.push_back(h);
    }
    EXPECT_EQ(forward, order);
    std::vector<Hwnd> backward;
    for (Hwnd h = order.back(); !IsNull(h) && backward.size() < 20; h = desktop.GetWindow(h, Relation::Previous)) {
        backward.insert(backward.begin(), h);
    }
    EXPECT_EQ(backward, order);

    EXPECT_EQ(desktop.GetParent(edit), main);
    EXPECT_EQ(desktop.GetParent(innerCheck), innerDialog);
    EXPECT_EQ(desktop.GetWindow(innerDialog, Relation::Child), innerCheck);
    EXPECT_EQ(desktop.GetWindow(kNoWindow, Relation::Child), kNoWindow);
    EXPECT_EQ(desktop.GetParent(kNoWindow), kNoWindow);
}

TEST_F(WindowsPortTest, EnabledPopupIsTheOwnedPopupWhileItIsShown) {
    EXPECT_EQ(desktop.GetWindow(main, Relation::EnabledPopup), popup);
    EXPECT_TRUE(desktop.ShowWindow(popup, SW_HIDE));  // it was visible
    EXPECT_FALSE(::IsWindowVisible(ToWin(popup)));
    // With no popup to offer, the answer is the window itself.
    EXPECT_EQ(desktop.GetWindow(main, Relation::EnabledPopup), main);
    EXPECT_FALSE(desktop.ShowWindow(popup, SW_SHOW));  // it was hidden
    EXPECT_TRUE(::IsWindowVisible(ToWin(popup)));
    EXPECT_EQ(desktop.GetWindow(main, Relation::EnabledPopup), popup);
    // A disabled popup is not offered either.
    ::EnableWindow(ToWin(popup), FALSE);
    EXPECT_EQ(desktop.GetWindow(main, Relation::EnabledPopup), main);
    ::EnableWindow(ToWin(popup), TRUE);
    // The map dialog belongs to nobody: it has no popup, so it is its own answer.
    EXPECT_EQ(desktop.GetWindow(ToPort(shared().map), Relation::EnabledPopup), ToPort(shared().map));
    EXPECT_EQ(desktop.GetWindow(kNoWindow, Relation::EnabledPopup), kNoWindow);
    EXPECT_FALSE(desktop.ShowWindow(kNoWindow, SW_SHOW));
}

TEST_F(WindowsPortTest, EnumeratesDescendantsDepthFirst) {
    std::vector<Hwnd> seen;
    desktop.EnumChildWindows(main, [&](Hwnd h) {
        seen.push_back(h);
        return true;
    });
    const std::vector<Hwnd> expected = {edit, push, checked, unchecked, label, combo, mouse, innerDialog, innerCheck};
    EXPECT_EQ(seen, expected);

    seen.clear();
    desktop.EnumChildWindows(main, [&](Hwnd h) {
        seen.push_back(h);
        return seen.size() < 3;
    });
    EXPECT_EQ(seen.size(), 3u);

    seen.clear();
    desktop.EnumChildWindows(kNoWindow, [&](Hwnd h) {
        seen.push_back(h);
        return true;
    });
    EXPECT_TRUE(seen.empty());
}

TEST_F(WindowsPortTest, AnExceptionInTheVisitorStopsTheWalkAndReachesTheCaller) {
    int visits = 0;
    EXPECT_THROW(desktop.EnumChildWindows(main,
                                          [&](Hwnd) -> bool {
                                              if (++visits == 2) throw std::runtime_error("stop");
                                              return true;
                                          }),
                 std::runtime_error);
    EXPECT_EQ(visits, 2);
}

TEST_F(WindowsPortTest, ReadsTextsAndClassNamesWithinTheirBounds) {
    EXPECT_EQ(desktop.GetWindowText(main, 255), U(kMainTitle));
    EXPECT_EQ(desktop.GetWindowText(push, 3), u"접  ");
    EXPECT_EQ(desktop.GetWindowText(push, 0), u"");
    EXPECT_EQ(desktop.GetWindowText(kNoWindow, 255), u"");
    EXPECT_EQ(desktop.GetClassName(main, 255), U(kMainClass));
    EXPECT_EQ(desktop.GetClassName(edit, 255), u"Edit");
    EXPECT_EQ(desktop.GetClassName(innerDialog, 255), u"#32770");
    EXPECT_EQ(desktop.GetClassName(edit, 2), u"Ed");
    EXPECT_EQ(desktop.GetClassName(kNoWindow, 255), u"");

    EXPECT_EQ(desktop.SendGetText(label, 256), U(kLabelText));
    EXPECT_EQ(desktop.SendGetText(label, 3), u"고객");  // two units and the NUL
    EXPECT_EQ(desktop.SendGetText(label, 0), u"");
    EXPECT_EQ(desktop.SendGetText(kNoWindow, 256), u"");
    EXPECT_EQ(desktop.SendGetText(checked, 256), U(kCheckedText));

    EXPECT_EQ(desktop.GetDlgCtrlID(push), kPushId);
    EXPECT_EQ(desktop.GetDlgCtrlID(innerCheck), kInnerCheckId);
    EXPECT_EQ(desktop.GetDlgCtrlID(kNoWindow), 0);
}

TEST_F(WindowsPortTest, TypedCharactersReachTheEditBox) {
    const std::u16string text = u"가나다 abc 😀";  // the emoji is a surrogate pair: two WM_CHARs
    for (char16_t unit : text) desktop.Send(edit, WM_CHAR, unit, 0);
    EXPECT_EQ(desktop.SendGetText(edit, 256), text);
    EXPECT_EQ(desktop.Send(edit, WM_GETTEXTLENGTH, 0, 0), static_cast<std::intptr_t>(text.size()));
}

// Lines of an edit box, read within the caller's bound; checked against an edit
// box of the other process and one of this process (where EM_GETLINE is not
// marshalled).
void ExpectLines(Desktop& desktop, Hwnd edit) {
    EXPECT_NE(desktop.SendSetText(edit, u"서울역 광장\r\n\r\nthird line"), 0);
    EXPECT_EQ(desktop.Send(edit, EM_GETLINECOUNT, 0, 0), 3);
    struct Case {
        int line;
        std::size_t maxUnits;
        std::u16string expected;
    };
    const Case cases[] = {
        {0, 6, u"서울역 광장"},    // the line fills the buffer exactly
        {0, 100, u"서울역 광장"},  // the control copies what the line holds, no more
        {0, 3, u"서울역"},         // cut at the buffer's size
        {1, 100, u""},
        {2, 100, u"third line"},
        {2, 5, u"third"},
        {0, 0, u""},
        {3, 100, u""},  // no such line
        {-1, 100, u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "line " << c.line << " max " << c.maxUnits);
        EXPECT_EQ(desktop.SendGetLine(edit, c.line, c.maxUnits), c.expected);
    }
    EXPECT_EQ(desktop.SendGetLine(kNoWindow, 0, 10), u"");
}

TEST_F(WindowsPortTest, ReadsEditLinesOfAnotherProgramWithinTheirBounds) {
    ExpectLines(desktop, edit);
    // Reading a line that fills the buffer leaves the other program alive.
    EXPECT_EQ(Command(kPing), kPingAnswer);
}

TEST(WindowsPortLocalTest, ReadsEditLinesOfThisProgramWithinTheirBounds) {
    const HWND local = ::CreateWindowExW(0, L"Edit", L"", ES_MULTILINE | WS_POPUP, 0, 0, 300, 200, nullptr, nullptr,
                                         ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(local, nullptr);
    win32::Win32Desktop desktop;
    ExpectLines(desktop, static_cast<Hwnd>(reinterpret_cast<std::uintptr_t>(local)));
    ::DestroyWindow(local);
}

TEST_F(WindowsPortTest, ReadsCheckBoxes) {
    EXPECT_EQ(desktop.Send(checked, BM_GETCHECK, 0, 0), static_cast<std::intptr_t>(BST_CHECKED));
    EXPECT_EQ(desktop.Send(unchecked, BM_GETCHECK, 0, 0), 0);
    EXPECT_EQ(desktop.Send(innerCheck, BM_GETCHECK, 0, 0), 0);
    desktop.Send(unchecked, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(desktop.Send(unchecked, BM_GETCHECK, 0, 0), static_cast<std::intptr_t>(BST_CHECKED));
}

TEST_F(WindowsPortTest, ReadsComboItems) {
    EXPECT_EQ(desktop.Send(combo, CB_GETCOUNT, 0, 0), 4);
    EXPECT_EQ(desktop.Send(combo, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(desktop.SendGetText(combo, 64), U(kComboItems[1]));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(desktop.SendGetComboItem(combo, i), std::optional<std::u16string>(U(kComboItems[i])));
    }
    const auto longItem = desktop.SendGetComboItem(combo, 3);
    ASSERT_TRUE(longItem);
    ASSERT_EQ(longItem->size(), static_cast<std::size_t>(kLongItemUnits));
    EXPECT_EQ((*longItem)[0], u'가');
    EXPECT_EQ((*longItem)[kLongItemUnits - 1], static_cast<char16_t>(u'가' + (kLongItemUnits - 1) % 100));
    EXPECT_EQ(desktop.SendGetComboItem(combo, 4), std::nullopt);
    EXPECT_EQ(desktop.SendGetComboItem(combo, -1), std::nullopt);
    EXPECT_EQ(desktop.SendGetComboItem(kNoWindow, 0), std::nullopt);
}

TEST_F(WindowsPortTest, GeometryOfAControl) {
    const auto info = desktop.GetWindowInfo(push);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->client.right - info->client.left, kPushRect.right - kPushRect.left);
    EXPECT_EQ(info->client.bottom - info->client.top, kPushRect.bottom - kPushRect.top);
    const auto mainInfo = desktop.GetWindowInfo(main);
    ASSERT_TRUE(mainInfo);
    // The button sits at its place in the main window's client area.
    EXPECT_EQ(info->window.left - mainInfo->client.left, kPushRect.left);
    EXPECT_EQ(info->window.top - mainInfo->client.top, kPushRect.top);
    EXPECT_EQ(desktop.ScreenToClient(push, Point{info->client.left + 15, info->client.top + 15}), (Point{15, 15}));
    EXPECT_EQ(desktop.ScreenToClient(main, Point{info->window.left, info->window.top}),
              (Point{kPushRect.left, kPushRect.top}));
    EXPECT_FALSE(desktop.GetWindowInfo(kNoWindow));
    EXPECT_FALSE(desktop.ScreenToClient(kNoWindow, Point{1, 1}));
}

TEST_F(WindowsPortTest, SentClickMessagesPressARealButton) {
    const auto info = desktop.GetWindowInfo(push);
    ASSERT_TRUE(info);
    const auto point = desktop.ScreenToClient(push, Point{info->client.left + 15, info->client.top + 15});
    ASSERT_TRUE(point);
    const std::intptr_t lParam = static_cast<std::intptr_t>(MAKELPARAM(point->x, point->y));
    desktop.Send(push, WM_SETFOCUS, 0, 0);
    desktop.Send(push, WM_LBUTTONDOWN, MK_LBUTTON, lParam);
    desktop.Send(push, BM_SETSTATE, 1, 0);
    desktop.Send(push, WM_LBUTTONUP, 0, lParam);
    desktop.Send(push, BM_SETSTATE, 0, 0);
    // The button told its parent while handling the sent button-up.
    EXPECT_EQ(Clicks(kPushId), 1);
    EXPECT_EQ(shared().lastCommandId, kPushId);
    EXPECT_EQ(shared().lastCommandCode, static_cast<LONG>(BN_CLICKED));
    EXPECT_EQ(ToPort(shared().lastCommandControl), push);
}

TEST_F(WindowsPortTest, PostedClickMessagesPressARealButton) {
    const auto info = desktop.GetWindowInfo(unchecked);
    ASSERT_TRUE(info);
    const auto point = desktop.ScreenToClient(unchecked, Point{info->client.left + 15, info->client.top + 15});
    ASSERT_TRUE(point);
    const std::intptr_t lParam = static_cast<std::intptr_t>(MAKELPARAM(point->x, point->y));
    EXPECT_TRUE(desktop.Post(unchecked, WM_SETFOCUS, 0, 0));
    EXPECT_TRUE(desktop.Post(unchecked, WM_LBUTTONDOWN, MK_LBUTTON, lParam));
    EXPECT_TRUE(desktop.Post(unchecked, BM_SETSTATE, 1, 0));
    EXPECT_TRUE(desktop.Post(unchecked, WM_LBUTTONUP, 0, lParam));
    EXPECT_TRUE(desktop.Post(unchecked, BM_SETSTATE, 0, 0));
    EXPECT_TRUE(WaitUntil([&] { return Clicks(kUncheckedId) == 1; }));
    // An automatic check box toggles on the click.
    EXPECT_EQ(desktop.Send(unchecked, BM_GETCHECK, 0, 0), static_cast<std::intptr_t>(BST_CHECKED));
}

TEST_F(WindowsPortTest, SendsAndPostsReachTheWindowProcedure) {
    EXPECT_EQ(desktop.Send(main, kPing, 0, 0), kPingAnswer);
    EXPECT_EQ(shared().pings, 2);  // the fixture's and ours
    EXPECT_EQ(desktop.SendTimeout(main, kPosted, 9, 0, SMTO_ABORTIFHUNG, 3000), std::optional<std::intptr_t>(9));
    EXPECT_TRUE(desktop.Post(main, kPosted, 7, 0));
    EXPECT_TRUE(WaitUntil([&] { return shared().posted == 2; }));
    EXPECT_FALSE(desktop.Post(kNoWindow, kPosted, 7, 0));
    EXPECT_EQ(desktop.Send(kNoWindow, kPing, 0, 0), 0);
    EXPECT_EQ(desktop.SendTimeout(kNoWindow, kPing, 0, 0, SMTO_ABORTIFHUNG, 3000), std::nullopt);
    EXPECT_FALSE(desktop.NotResponding());

    const std::uint32_t id = desktop.RegisterWindowMessage(u"WM_HTML_GETOBJECT");
    EXPECT_GE(id, 0xC000u);
    EXPECT_EQ(id, ::RegisterWindowMessageW(L"WM_HTML_GETOBJECT"));
    EXPECT_EQ(desktop.RegisterWindowMessage(nullptr), 0u);
}

TEST_F(WindowsPortTest, RealMouseClickReachesTheButtonUnderTheCursor) {
    const auto info = desktop.GetWindowInfo(mouse);
    ASSERT_TRUE(info);
    const Point centre{(info->client.left + info->client.right) / 2, (info->client.top + info->client.bottom) / 2};
    ASSERT_EQ(::WindowFromPoint(POINT{centre.x, centre.y}), ToWin(mouse)) << "something covers the button";
    ASSERT_TRUE(desktop.SetCursorPos(centre));
    EXPECT_EQ(desktop.GetCursorPos(), std::optional<Point>(centre));
    desktop.MouseEvent(MOUSEEVENTF_LEFTDOWN);
    desktop.MouseEvent(MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(WaitUntil([&] { return Clicks(kMouseId) == 1; }));
    EXPECT_EQ(Clicks(kPushId), 0);
}

TEST_F(WindowsPortTest, AHungProgramIsGivenUpOnceAndThenNotWaitedFor) {
    ASSERT_TRUE(::PostMessageW(ToWin(main), kHang, 0, 30000));
    ASSERT_TRUE(WaitUntil([&] { return shared().hanging == 1; }));

    win32::Win32Desktop bounded(1000);
    EXPECT_EQ(bounded.Send(main, kPing, 0, 0), 0);
    EXPECT_TRUE(bounded.NotResponding());
    // From now on nothing is sent at all.
    EXPECT_EQ(bounded.Send(main, kPosted, 1, 0), 0);
    EXPECT_EQ(bounded.SendGetText(label, 64), u"");
    EXPECT_EQ(bounded.SendGetComboItem(combo, 0), std::nullopt);
    EXPECT_EQ(bounded.SendTimeout(main, kPosted, 1, 0, SMTO_ABORTIFHUNG, 3000), std::nullopt);
    EXPECT_TRUE(bounded.NotResponding());

    Resume();
    ASSERT_TRUE(WaitUntil([&] { return shared().hanging == 0; }));
    ASSERT_EQ(Command(kPing), kPingAnswer);
    // Only the timed-out ping may have arrived late; the later sends never left.
    EXPECT_EQ(shared().posted, 0);
    EXPECT_LE(shared().pings, 3);
    // A new request's desktop talks to the recovered program again.
    win32::Win32Desktop fresh(1000);
    EXPECT_EQ(fresh.Send(main, kPing, 0, 0), kPingAnswer);
    EXPECT_FALSE(fresh.NotResponding());
}

}  // namespace
}  // namespace qm::conformance
