// The standard controls: edit lines and typing, buttons, check boxes, combo
// boxes, notifications to a routed target, hooks and focus.
#include <gtest/gtest.h>

#include <ostream>

#include "testing/fake_desktop.h"

namespace qm::testing {
namespace {

namespace m = qm::msg;

class ControlsTest : public ::testing::Test {
protected:
    FakeDesktop d;
    Hwnd main = d.Create({.className = u"Main", .rect = {0, 0, 800, 600}});
    Hwnd router = d.Create({.className = u"Router", .owner = main});
    Hwnd Edit(const std::u16string& text = u"", bool multiline = true) {
        return d.Create({.behaviour = Behaviour::Edit, .text = text, .id = 100, .parent = main,
                         .rect = {0, 0, 200, 24}, .multiline = multiline});
    }
    std::vector<RecordedMessage> Commands(Hwnd at) {
        return OnlyMessages(d.Messages(at), {m::WM_COMMAND});
    }
};

// The toolkit's way of reading a box: every line through EM_LINEINDEX,
// EM_LINELENGTH and EM_GETLINE, joined.
std::u16string ReadLines(FakeDesktop& d, Hwnd edit) {
    std::u16string all;
    const auto count = d.Send(edit, m::EM_GETLINECOUNT, 0, 0);
    for (std::intptr_t i = 0; i < count; ++i) {
        const auto start = d.Send(edit, m::EM_LINEINDEX, static_cast<std::uintptr_t>(i), 0);
        const auto length = d.Send(edit, m::EM_LINELENGTH, static_cast<std::uintptr_t>(start), 0);
        if (length <= 0) continue;
        all += d.SendGetLine(edit, static_cast<int>(i), static_cast<std::size_t>(length));
    }
    return all;
}

TEST_F(ControlsTest, EditLineMessagesOnThreeLinesWithAnEmptyMiddleLine) {
    const Hwnd edit = Edit(u"서울역\r\n\r\nab");
    EXPECT_EQ(d.Send(edit, m::EM_GETLINECOUNT, 0, 0), 3);
    EXPECT_EQ(d.Send(edit, m::EM_LINEINDEX, 0, 0), 0);
    EXPECT_EQ(d.Send(edit, m::EM_LINEINDEX, 1, 0), 5);
    EXPECT_EQ(d.Send(edit, m::EM_LINEINDEX, 2, 0), 7);
    EXPECT_EQ(d.Send(edit, m::EM_LINEINDEX, 3, 0), -1);
    EXPECT_EQ(d.Send(edit, m::EM_LINELENGTH, 0, 0), 3);
    EXPECT_EQ(d.Send(edit, m::EM_LINELENGTH, 5, 0), 0);
    EXPECT_EQ(d.Send(edit, m::EM_LINELENGTH, 7, 0), 2);
    EXPECT_EQ(d.Send(edit, m::EM_LINELENGTH, 4, 0), 3);  // inside the line break: the first line
    EXPECT_EQ(d.SendGetLine(edit, 0, 3), u"서울역");
    EXPECT_EQ(d.SendGetLine(edit, 0, 2), u"서울");     // cut to the buffer
    EXPECT_EQ(d.SendGetLine(edit, 1, 10), u"");
    EXPECT_EQ(d.SendGetLine(edit, 2, 10), u"ab");
    EXPECT_EQ(d.SendGetLine(edit, 3, 10), u"");
    EXPECT_EQ(ReadLines(d, edit), u"서울역ab");
}

TEST_F(ControlsTest, SingleLineEditIsOneLine) {
    const Hwnd edit = Edit(u"010-1234", false);
    EXPECT_EQ(d.Send(edit, m::EM_GETLINECOUNT, 0, 0), 1);
    EXPECT_EQ(d.Send(edit, m::EM_LINELENGTH, 0, 0), 8);
    EXPECT_EQ(d.SendGetLine(edit, 5, 100), u"010-1234");  // the line number is ignored
    d.Send(edit, m::WM_CHAR, '\r', 0);
    EXPECT_EQ(d.Text(edit), u"010-1234");
}

TEST_F(ControlsTest, LineLengthOfMinusOneCountsUnselectedCharactersOfSelectedLines) {
    const Hwnd edit = Edit(u"abcd\r\nefgh");
    d.Send(edit, m::EM_SETSEL, 2, 8);  // "cd\r\nef"
    EXPECT_EQ(d.Send(edit, m::EM_LINELENGTH, static_cast<std::uintptr_t>(-1), 0), 4);  // "ab" + "gh"
}

struct TypingCase {
    const char* name;
    std::u16string initial;
    std::intptr_t selStart;
    std::intptr_t selEnd;
    std::u16string typed;
    std::u16string expected;
};
void PrintTo(const TypingCase& c, std::ostream* os) { *os << c.name; }

class TypingTest : public ControlsTest, public ::testing::WithParamInterface<TypingCase> {};

TEST_P(TypingTest, CharactersGoToTheCaretOrReplaceTheSelection) {
    const TypingCase& c = GetParam();
    const Hwnd edit = Edit(c.initial);
    d.Send(edit, m::EM_SETSEL, static_cast<std::uintptr_t>(c.selStart), c.selEnd);
    for (char16_t ch : c.typed) d.Send(edit, m::WM_CHAR, ch, 0);
    EXPECT_EQ(d.Text(edit), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Edit, TypingTest,
    ::testing::Values(TypingCase{"append", u"ab", 2, 2, u"cd", u"abcd"},
                      TypingCase{"insert in the middle", u"ad", 1, 1, u"bc", u"abcd"},
                      TypingCase{"replace all", u"old", 0, -1, u"new", u"new"},
                      TypingCase{"replace backwards selection", u"abcd", 3, 1, u"X", u"aXd"},
                      TypingCase{"backspace", u"abc", 3, 3, u"\b\b", u"a"},
                      TypingCase{"backspace removes a line break whole", u"a\r\nb", 3, 3, u"\b", u"ab"},
                      TypingCase{"backspace deletes the selection", u"abcd", 1, 3, u"\b", u"ad"},
                      TypingCase{"return breaks the line", u"ab", 1, 1, u"\r", u"a\r\nb"},
                      TypingCase{"control characters are ignored", u"ab", 2, 2, u"\x01\x1b", u"ab"},
                      TypingCase{"surrogate halves one by one", u"", 0, 0, u"\U0001F600", u"\U0001F600"},
                      TypingCase{"end clamps past the text", u"ab", 5, 9, u"c", u"abc"}),
    [](const auto& info) { return std::to_string(info.index); });

TEST_F(ControlsTest, ReadOnlyEditIgnoresTypingButTakesSetText) {
    const Hwnd edit = d.Create({.behaviour = Behaviour::Edit, .text = u"shown", .parent = main, .readOnly = true});
    d.Send(edit, m::WM_CHAR, 'x', 0);
    d.Send(edit, m::WM_KEYDOWN, m::VK_DELETE, 0);
    EXPECT_EQ(d.Text(edit), u"shown");
    d.SendSetText(edit, u"set");
    EXPECT_EQ(d.Text(edit), u"set");
}

TEST_F(ControlsTest, SelectAllThenPostedDeleteEmptiesTheBoxOnlyWhenDelivered) {
    const Hwnd edit = Edit(u"old text");
    d.Send(edit, m::EM_SETSEL, 0, -1);
    EXPECT_TRUE(d.Post(edit, m::WM_KEYDOWN, m::VK_DELETE, 0));
    EXPECT_TRUE(d.Post(edit, m::WM_KEYUP, m::VK_DELETE, 0));
    EXPECT_EQ(d.Text(edit), u"old text");
    d.Sleep(30);
    EXPECT_EQ(d.Text(edit), u"");
}

TEST_F(ControlsTest, DeleteWithoutSelectionRemovesTheNextCharacterOrLineBreak) {
    const Hwnd edit = Edit(u"ab\r\ncd");
    d.Send(edit, m::EM_SETSEL, 0, 0);
    EXPECT_EQ(d.Send(edit, m::WM_KEYDOWN, m::VK_DELETE, 0), 1);  // as Wine's edit answers
    EXPECT_EQ(d.Text(edit), u"b\r\ncd");
    d.Send(edit, m::EM_SETSEL, 1, 1);
    d.Send(edit, m::WM_KEYDOWN, m::VK_DELETE, 0);
    EXPECT_EQ(d.Text(edit), u"bcd");
    d.Send(edit, m::EM_SETSEL, 3, 3);
    d.Send(edit, m::WM_KEYDOWN, m::VK_DELETE, 0);  // at the end: nothing
    EXPECT_EQ(d.Text(edit), u"bcd");
}

TEST_F(ControlsTest, EmSetSelMinusOneDropsTheSelectionAndKeepsTheCaret) {
    const Hwnd edit = Edit(u"abcdef");
    d.Send(edit, m::EM_SETSEL, 1, 4);
    d.Send(edit, m::EM_SETSEL, static_cast<std::uintptr_t>(-1), 0);
    EXPECT_EQ(d.Selection(edit), std::make_pair(std::size_t{4}, std::size_t{4}));
}

TEST_F(ControlsTest, ClickPutsTheCaretByTheSixteenPixelRule) {
    const Hwnd edit = Edit(u"memo");
    d.Send(edit, m::EM_SETSEL, 4, 4);
    d.Send(edit, m::WM_LBUTTONDOWN, 0, m::MakeLParam(0, 0));
    EXPECT_EQ(d.Selection(edit).second, 0u);
    d.Send(edit, m::EM_SETSEL, 4, 4);
    d.Send(edit, m::WM_LBUTTONDOWN, m::MK_LBUTTON, m::MakeLParam(15, 15));
    EXPECT_EQ(d.Selection(edit).second, 0u);
    d.Send(edit, m::WM_LBUTTONDOWN, m::MK_LBUTTON, m::MakeLParam(16, 3));
    EXPECT_EQ(d.Selection(edit), std::make_pair(std::size_t{4}, std::size_t{4}));

    const Hwnd custom = d.Create({.behaviour = Behaviour::Edit, .text = u"abcdef", .parent = main,
                                  .caretRule = [](const std::u16string&, Point p) { return std::size_t(p.x / 8); }});
    d.Send(custom, m::WM_LBUTTONDOWN, 0, m::MakeLParam(17, 5));
    EXPECT_EQ(d.Selection(custom).second, 2u);
}

TEST_F(ControlsTest, EditNotifiesEveryChangeAtItsCommandTarget) {
    const Hwnd edit = Edit();
    d.SetCommandTarget(edit, router);
    d.Send(edit, m::WM_CHAR, 'a', 0);
    d.Send(edit, m::WM_CHAR, '\b', 0);
    d.Send(edit, m::WM_CHAR, '\b', 0);  // nothing left to delete: no notification
    const auto commands = Commands(router);
    EXPECT_EQ("", DiffMessages(commands, {Sent(m::WM_COMMAND, m::MakeWParam(100, fakemsg::EN_UPDATE)),
                                          Sent(m::WM_COMMAND, m::MakeWParam(100, m::EN_CHANGE),
                                               static_cast<std::intptr_t>(edit)),
                                          Sent(m::WM_COMMAND, m::MakeWParam(100, fakemsg::EN_UPDATE)),
                                          Sent(m::WM_COMMAND, m::MakeWParam(100, m::EN_CHANGE))}));
    EXPECT_TRUE(Commands(main).empty());
}

TEST_F(ControlsTest, SetTextNotifiesOnlyFromSingleLineEdits) {
    const Hwnd multi = Edit(u"", true);
    const Hwnd single = Edit(u"", false);
    d.SendSetText(multi, u"a");
    EXPECT_TRUE(Commands(main).empty());
    d.SendSetText(single, u"a");
    EXPECT_EQ(Commands(main).size(), 2u);
    EXPECT_EQ(d.Selection(single), std::make_pair(std::size_t{0}, std::size_t{0}));
}

TEST_F(ControlsTest, ButtonClickSendsBnClickedToTheRoutedTarget) {
    const Hwnd button = d.Create({.behaviour = Behaviour::Button, .text = u"등   록(&R)", .id = 3001,
                                  .parent = main, .rect = {10, 10, 90, 34}, .commandTarget = router});
    d.Send(button, m::WM_LBUTTONDOWN, m::MK_LBUTTON, m::MakeLParam(15, 15));
    d.Send(button, m::BM_SETSTATE, 1, 0);
    EXPECT_TRUE(Commands(router).empty());
    d.Send(button, m::WM_LBUTTONUP, 0, m::MakeLParam(15, 15));
    d.Send(button, m::BM_SETSTATE, 0, 0);
    EXPECT_EQ("", DiffMessages(Commands(router), {Sent(m::WM_COMMAND, m::MakeWParam(3001, m::BN_CLICKED),
                                                        static_cast<std::intptr_t>(button))}));
    EXPECT_TRUE(Commands(main).empty());
}

struct ClickCase {
    const char* name;
    std::vector<std::pair<std::uint32_t, std::intptr_t>> messages;  // message, lParam or wParam
    int clicks;
};
void PrintTo(const ClickCase& c, std::ostream* os) { *os << c.name; }

class ButtonClickTest : public ControlsTest, public ::testing::WithParamInterface<ClickCase> {};

TEST_P(ButtonClickTest, CountsClicks) {
    const ClickCase& c = GetParam();
    const Hwnd button = d.Create({.behaviour = Behaviour::Button, .text = u"OK", .id = 1, .parent = main,
                                  .rect = {0, 0, 40, 20}});
    for (const auto& [message, param] : c.messages) {
        const bool key = message == m::WM_KEYDOWN || message == m::WM_KEYUP || message == m::BM_SETSTATE;
        d.Send(button, message, key ? static_cast<std::uintptr_t>(param) : 0, key ? 0 : param);
    }
    EXPECT_EQ(static_cast<int>(Commands(main).size()), c.clicks) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Button, ButtonClickTest,
    ::testing::Values(
        ClickCase{"down and up inside", {{m::WM_LBUTTONDOWN, m::MakeLParam(5, 5)}, {m::WM_LBUTTONUP, m::MakeLParam(5, 5)}}, 1},
        ClickCase{"up outside the client area", {{m::WM_LBUTTONDOWN, 0}, {m::WM_LBUTTONUP, m::MakeLParam(40, 5)}}, 0},
        ClickCase{"up left of the client area", {{m::WM_LBUTTONDOWN, 0}, {m::WM_LBUTTONUP, m::MakeLParam(-1, 5)}}, 0},
        ClickCase{"up without down", {{m::WM_LBUTTONUP, 0}}, 0},
        ClickCase{"state cleared between", {{m::WM_LBUTTONDOWN, 0}, {m::BM_SETSTATE, 0}, {m::WM_LBUTTONUP, 0}}, 0},
        ClickCase{"BM_CLICK", {{m::BM_CLICK, 0}}, 1},
        ClickCase{"space key", {{m::WM_KEYDOWN, static_cast<std::intptr_t>(m::VK_SPACE)},
                                {m::WM_KEYUP, static_cast<std::intptr_t>(m::VK_SPACE)}}, 1},
        ClickCase{"return key does nothing", {{m::WM_KEYDOWN, static_cast<std::intptr_t>(m::VK_RETURN)},
                                              {m::WM_KEYUP, static_cast<std::intptr_t>(m::VK_RETURN)}}, 0}),
    [](const auto& info) { return std::to_string(info.index); });

TEST_F(ControlsTest, TooSmallButtonDoesNotTakeTheToolkitsClickPoint) {
    const Hwnd tiny = d.Create({.behaviour = Behaviour::Button, .id = 2, .parent = main, .rect = {0, 0, 12, 12}});
    d.Send(tiny, m::WM_LBUTTONDOWN, m::MK_LBUTTON, m::MakeLParam(15, 15));
    d.Send(tiny, m::WM_LBUTTONUP, 0, m::MakeLParam(15, 15));
    EXPECT_TRUE(Commands(main).empty());
}

TEST_F(ControlsTest, CheckBoxTogglesOnClickAndSetCheckDoesNotNotify) {
    const Hwnd dialog = d.Create({.behaviour = Behaviour::Dialog, .parent = main});
    const Hwnd box = d.Create({.behaviour = Behaviour::CheckBox, .text = u"탁송", .id = 55, .parent = dialog});
    EXPECT_EQ(d.Send(box, m::BM_GETCHECK, 0, 0), 0);
    d.Post(box, m::WM_LBUTTONDOWN, m::MK_LBUTTON, m::MakeLParam(15, 15));
    d.Post(box, m::WM_LBUTTONUP, 0, m::MakeLParam(15, 15));
    d.Sleep(10);
    EXPECT_EQ(d.Send(box, m::BM_GETCHECK, 0, 0), 1);
    EXPECT_EQ(Commands(dialog).size(), 1u);
    d.Send(box, m::BM_SETCHECK, 0, 0);
    EXPECT_EQ(d.Send(box, m::BM_GETCHECK, 0, 0), 0);
    EXPECT_EQ(Commands(dialog).size(), 1u);
    // A push button has no check.
    const Hwnd push = d.Create({.behaviour = Behaviour::Button, .parent = dialog});
    d.Send(push, m::BM_SETCHECK, 1, 0);
    EXPECT_EQ(d.Send(push, m::BM_GETCHECK, 0, 0), 0);
}

TEST_F(ControlsTest, ComboItemsSelectionAndText) {
    const Hwnd combo = d.Create({.behaviour = Behaviour::Combo, .className = u"TcxComboBox", .id = 9,
                                 .parent = main, .items = {u"현금", u"후불"}, .commandTarget = router});
    EXPECT_EQ(d.AddComboItem(combo, u"카드"), 2);
    EXPECT_EQ(d.Send(combo, m::CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(d.Send(combo, m::CB_GETCURSEL, 0, 0), m::CB_ERR);
    EXPECT_EQ(d.Send(combo, m::CB_SETCURSEL, 1, 0), 1);
    EXPECT_EQ(d.SendGetText(combo, 1024), u"후불");
    EXPECT_EQ(d.Send(combo, m::CB_GETCURSEL, 0, 0), 1);
    EXPECT_TRUE(Commands(router).empty());  // CB_SETCURSEL does not notify
    EXPECT_EQ(d.Send(combo, m::CB_SETCURSEL, 7, 0), m::CB_ERR);
    EXPECT_EQ(d.Send(combo, m::CB_GETCURSEL, 0, 0), 1);  // unchanged
    EXPECT_EQ(d.SendGetComboItem(combo, 2), std::optional<std::u16string>(u"카드"));
    EXPECT_EQ(d.SendGetComboItem(combo, 3), std::nullopt);
    EXPECT_EQ(d.SendGetComboItem(combo, -1), std::nullopt);
    EXPECT_EQ(d.Send(combo, m::CB_GETLBTEXTLEN, 0, 0), 2);
    EXPECT_EQ(d.Send(combo, m::CB_SETCURSEL, static_cast<std::uintptr_t>(-1), 0), m::CB_ERR);
    EXPECT_EQ(d.SendGetText(combo, 1024), u"");
    EXPECT_EQ(d.Send(combo, m::CB_GETCURSEL, 0, 0), m::CB_ERR);
}

// WM_SETTEXT reaches the text of a combo box only through its edit box: a
// drop-down list refuses it and keeps showing its selected item.
TEST_F(ControlsTest, ComboTakesSetTextOnlyWithAnEditBox) {
    struct Case {
        const char* name;
        bool editable;
        std::intptr_t result;
        std::u16string shown;
        std::vector<std::u16string> hooked;  // what the text hook saw
    };
    for (const Case& c : {Case{"drop-down list", false, m::CB_ERR, u"후불", {u"현금"}},
                          Case{"drop-down with an edit box", true, 1, u"마일리지", {u"마일리지", u"마일리지", u"현금"}}}) {
        SCOPED_TRACE(c.name);
        const Hwnd combo = d.Create({.behaviour = Behaviour::Combo, .id = 9, .parent = main,
                                     .items = {u"현금", u"후불"}, .selection = 1, .editable = c.editable,
                                     .commandTarget = router});
        std::vector<std::u16string> hooked;
        d.AddTextHook(combo, [&](Hwnd, const std::u16string& text) { hooked.push_back(text); });
        d.ClearMessages();
        EXPECT_EQ(d.SendSetText(combo, u"마일리지"), c.result);
        EXPECT_EQ(d.SendGetText(combo, 1024), c.shown);
        EXPECT_EQ(d.Send(combo, m::WM_GETTEXTLENGTH, 0, 0), static_cast<std::intptr_t>(c.shown.size()));
        EXPECT_EQ(d.HostGetText(combo), c.shown);
        EXPECT_EQ(d.Send(combo, m::CB_GETCURSEL, 0, 0), 1);  // the selection stays either way
        EXPECT_TRUE(Commands(router).empty());
        // The program's own WM_SETTEXT is no different.
        EXPECT_EQ(d.HostSetText(combo, u"마일리지"), c.result);
        EXPECT_EQ(d.Text(combo), c.shown);
        // Choosing an item shows it in both.
        d.Send(combo, m::CB_SETCURSEL, 0, 0);
        EXPECT_EQ(d.SendGetText(combo, 1024), u"현금");
        EXPECT_EQ(hooked, c.hooked);
    }
}

TEST_F(ControlsTest, ComboArrowKeysSelectAndNotifyTheRoutedTarget) {
    const Hwnd combo = d.Create({.behaviour = Behaviour::Combo, .id = 9, .parent = main,
                                 .items = {u"a", u"b"}, .selection = 0, .commandTarget = router});
    EXPECT_EQ(d.Text(combo), u"a");
    d.Post(combo, m::WM_KEYDOWN, m::VK_DOWN, 0);
    d.Post(combo, m::WM_KEYDOWN, m::VK_DOWN, 0);  // already at the last item
    d.Sleep(0);
    EXPECT_EQ(d.Text(combo), u"b");
    EXPECT_EQ("", DiffMessages(Commands(router), {Sent(m::WM_COMMAND, m::MakeWParam(9, m::CBN_SELCHANGE),
                                                        static_cast<std::intptr_t>(combo))}));
}

TEST_F(ControlsTest, HooksConsumeOrPassAndAfterHooksSeeTheResult) {
    const Hwnd edit = Edit(u"abc");
    std::vector<std::intptr_t> results;
    d.AddMessageHook(edit, [](const Message& msg) -> std::optional<std::intptr_t> {
        if (msg.message == m::WM_CHAR && msg.wParam == 'x') return 42;  // swallowed
        return std::nullopt;
    });
    d.AddAfterHook(edit, [&](const Message& msg, std::intptr_t result) {
        if (msg.message == m::WM_CHAR || msg.message == m::WM_GETTEXTLENGTH) results.push_back(result);
    });
    EXPECT_EQ(d.Send(edit, m::WM_CHAR, 'x', 0), 42);
    d.Send(edit, m::WM_CHAR, 'y', 0);
    d.Send(edit, m::WM_GETTEXTLENGTH, 0, 0);
    EXPECT_EQ(d.Text(edit), u"yabc");
    EXPECT_EQ(results, (std::vector<std::intptr_t>{42, 0, 4}));
}

TEST_F(ControlsTest, HookCanAnswerTextRequests) {
    const Hwnd display = d.Create({.className = u"TcxLabel", .parent = main});
    d.AddMessageHook(display, [](const Message& msg) -> std::optional<std::intptr_t> {
        if (msg.message != m::WM_GETTEXT) return std::nullopt;
        *msg.reply = u"computed text";
        return static_cast<std::intptr_t>(msg.reply->size());
    });
    EXPECT_EQ(d.SendGetText(display, 9), u"computed");  // cut to the buffer of 9 units
}

TEST_F(ControlsTest, TextHookSeesEveryChangeWhateverCausedIt) {
    const Hwnd edit = Edit();
    std::vector<std::u16string> seen;
    d.AddTextHook(edit, [&](Hwnd, const std::u16string& text) { seen.push_back(text); });
    d.Send(edit, m::WM_CHAR, 'a', 0);
    d.SendSetText(edit, u"xyz");
    d.Send(edit, m::EM_SETSEL, 0, -1);
    d.Send(edit, m::WM_KEYDOWN, m::VK_DELETE, 0);
    EXPECT_EQ(seen, (std::vector<std::u16string>{u"a", u"xyz", u""}));
}

TEST_F(ControlsTest, HookThatDestroysItsWindowEndsTheMessageSafely) {
    const Hwnd dialog = d.Create({.behaviour = Behaviour::Dialog, .parent = main});
    const Hwnd button = d.Create({.behaviour = Behaviour::Button, .id = 1, .parent = dialog});
    d.AddMessageHook(dialog, [&](const Message& msg) -> std::optional<std::intptr_t> {
        if (msg.message == m::WM_COMMAND) d.Destroy(dialog);
        return std::nullopt;
    });
    d.Send(button, m::BM_CLICK, 0, 0);
    EXPECT_FALSE(d.IsWindow(dialog));
    EXPECT_FALSE(d.IsWindow(button));
}

TEST_F(ControlsTest, ClicksMoveTheFocusWithKillAndSetFocus) {
    const Hwnd a = Edit();
    const Hwnd b = Edit();
    d.Send(a, m::WM_SETFOCUS, 0, 0);  // only a message: the focus does not move
    EXPECT_EQ(d.FocusOf(d.ProcessOf(a)), kNoWindow);
    d.Send(a, m::WM_LBUTTONDOWN, 0, 0);
    d.Send(b, m::WM_LBUTTONDOWN, 0, 0);
    EXPECT_EQ(d.FocusOf(d.ProcessOf(a)), b);
    EXPECT_EQ("", DiffMessages(OnlyMessages(d.MessageLog(), {m::WM_SETFOCUS, m::WM_KILLFOCUS}),
                               {Sent(m::WM_SETFOCUS, 0), Sent(m::WM_SETFOCUS, 0),
                                Sent(m::WM_KILLFOCUS, static_cast<std::uintptr_t>(b)),
                                Sent(m::WM_SETFOCUS, static_cast<std::uintptr_t>(a))}));
}

TEST_F(ControlsTest, RawSendOfABufferMessageIsRefusedAndPostOfOneFails) {
    const Hwnd edit = Edit(u"abc");
    EXPECT_THROW(d.Send(edit, m::WM_GETTEXT, 10, 0x1234), std::invalid_argument);
    EXPECT_FALSE(d.Post(edit, m::WM_SETTEXT, 0, 0));
    EXPECT_EQ(d.Send(edit, m::WM_SETTEXT, 0, 0), 1);  // a null text empties the box
    EXPECT_EQ(d.Text(edit), u"");
}

// The usage example at the top of fake_desktop.h, as written there.
TEST(FakeDesktopExample, BuildsATreeHooksACommandAndAttachesAPage) {
    qm::testing::FakeDesktop d;
    using qm::testing::Behaviour;
    qm::Hwnd main = d.Create({.className = u"SmartD2-", .text = u"LogiD2", .rect = {0, 0, 800, 600}});
    qm::Hwnd dlg = d.Create({.behaviour = Behaviour::Dialog, .text = u"메인리스트", .parent = main,
                             .rect = {10, 10, 300, 200}});
    qm::Hwnd edit = d.Create({.behaviour = Behaviour::Edit, .id = 1001, .parent = dlg, .rect = {10, 10, 200, 34}});
    qm::Hwnd ok = d.Create({.behaviour = Behaviour::Button, .text = u"확인", .id = 1, .parent = dlg,
                           .rect = {10, 50, 90, 74}});
    d.AddMessageHook(dlg, [&](const qm::testing::Message& m) -> std::optional<std::intptr_t> {
        if (m.message == qm::msg::WM_COMMAND && qm::msg::LowWord(m.wParam) == 1) {
            d.HostSetText(edit, u"pressed");
            return 0;
        }
        return std::nullopt;
    });
    d.Send(ok, qm::msg::BM_CLICK, 0, 0);
    qm::Hwnd browser = d.Create({.className = u"Internet Explorer_Server", .parent = dlg, .rect = {0, 80, 300, 200}});
    auto page = d.AttachPage(browser);
    page->url = u"http://map/?strSPosX=127.1&strSPosY=37.5";
    page->eval = [](const std::u16string&) { return qm::testing::ScriptBool(true); };

    EXPECT_EQ(d.SendGetText(edit, 100), u"pressed");
    EXPECT_EQ(d.FindWindow(u"SmartD2-", nullptr), main);
    EXPECT_EQ(d.Page(browser), page);
}

}  // namespace
}  // namespace qm::testing
