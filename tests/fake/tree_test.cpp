// The window tree: z-order, walks, lookups and dead handles.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "testing/fake_desktop.h"

namespace qm::testing {
namespace {

namespace m = qm::msg;

class TreeTest : public ::testing::Test {
protected:
    FakeDesktop d;
    Hwnd Top(const std::u16string& cls, const std::u16string& text = u"", Hwnd owner = kNoWindow) {
        return d.Create({.className = cls, .text = text, .owner = owner});
    }
    Hwnd Child(Hwnd parent, const std::u16string& cls, const std::u16string& text = u"") {
        return d.Create({.className = cls, .text = text, .parent = parent});
    }
};

TEST_F(TreeTest, ChildrenWalkInCreationOrder) {
    const Hwnd main = Top(u"Main");
    const Hwnd a = Child(main, u"Static", u"a");
    const Hwnd b = Child(main, u"Edit", u"b");
    const Hwnd c = Child(main, u"Button", u"c");
    EXPECT_EQ(d.GetWindow(main, Relation::Child), a);
    EXPECT_EQ(d.GetWindow(a, Relation::Next), b);
    EXPECT_EQ(d.GetWindow(b, Relation::Next), c);
    EXPECT_EQ(d.GetWindow(c, Relation::Next), kNoWindow);
    EXPECT_EQ(d.GetWindow(c, Relation::Previous), b);
    EXPECT_EQ(d.GetWindow(a, Relation::Previous), kNoWindow);
    EXPECT_EQ(d.GetWindow(c, Relation::Child), kNoWindow);
}

TEST_F(TreeTest, FindWindowExSearchesDirectChildrenAfterTheGivenOne) {
    const Hwnd main = Top(u"Main");
    const Hwnd first = Child(main, u"Button", u"취소");
    const Hwnd nested = Child(Child(main, u"#32770"), u"Button", u"탁송");
    const Hwnd second = Child(main, u"Button", u"취소");
    EXPECT_EQ(d.FindWindowEx(main, kNoWindow, u"Button", u"취소"), first);
    EXPECT_EQ(d.FindWindowEx(main, first, u"Button", u"취소"), second);
    EXPECT_EQ(d.FindWindowEx(main, second, u"Button", u"취소"), kNoWindow);
    EXPECT_EQ(d.FindWindowEx(main, kNoWindow, u"Button", u"탁송"), kNoWindow);  // grandchild
    EXPECT_EQ(d.FindWindowEx(d.GetParent(nested), kNoWindow, nullptr, u"탁송"), nested);
    EXPECT_EQ(d.FindWindowEx(main, nested, u"Button", nullptr), kNoWindow);  // not a child of main
}

TEST_F(TreeTest, NewTopLevelWindowsGoOnTopAndFindWindowTakesTheNewest) {
    const Hwnd older = Top(u"#32770", u"확인");
    const Hwnd other = Top(u"Other");
    const Hwnd newer = Top(u"#32770", u"확인");
    EXPECT_EQ(d.TopLevelWindows(), (std::vector<Hwnd>{newer, other, older}));
    EXPECT_EQ(d.FindWindow(u"#32770", u"확인"), newer);
    EXPECT_EQ(d.FindWindowEx(kNoWindow, newer, u"#32770", u"확인"), older);
    EXPECT_EQ(d.GetWindow(newer, Relation::Next), other);
    EXPECT_EQ(d.GetWindow(other, Relation::Next), older);
    EXPECT_EQ(d.GetWindow(older, Relation::Previous), other);
}

TEST_F(TreeTest, LookupsIgnoreCaseAndSeeHiddenWindows) {
    const Hwnd w = d.Create({.className = u"SmartD2-", .text = u"Logi", .visible = false});
    EXPECT_EQ(d.FindWindow(u"smartd2-", nullptr), w);
    EXPECT_EQ(d.FindWindow(nullptr, u"LOGI"), w);
    EXPECT_EQ(d.FindWindow(u"SmartD2", nullptr), kNoWindow);  // whole name only
    EXPECT_EQ(d.FindWindow(nullptr, u"Log"), kNoWindow);
    EXPECT_EQ(d.FindWindow(nullptr, u"Logi "), kNoWindow);
    EXPECT_EQ(d.GetClassName(w, 100), u"SmartD2-");
    EXPECT_EQ(d.GetClassName(w, 5), u"Smart");
}

// Which letters count as the same: a lower-case letter and its upper-case
// partner when each maps to the other (answers taken from Wine's FindWindow).
struct FoldCase {
    const char* name;
    std::u16string title;
    std::u16string query;
    bool same;
};

void PrintTo(const FoldCase& c, std::ostream* os) { *os << c.name; }

class CaseFolding : public ::testing::TestWithParam<FoldCase> {};

TEST_P(CaseFolding, TitlesAndClassNamesFoldAlike) {
    const FoldCase& c = GetParam();
    FakeDesktop d;
    const Hwnd top = d.Create({.className = u"Qm" + c.title, .text = u"<" + c.title + u">"});
    const Hwnd child = d.Create({.behaviour = Behaviour::Label, .text = c.title, .parent = top});
    const Hwnd expected = c.same ? top : kNoWindow;
    EXPECT_EQ(d.FindWindow(nullptr, (u"<" + c.query + u">").c_str()), expected);
    EXPECT_EQ(d.FindWindow((u"QM" + c.query).c_str(), nullptr), expected);
    EXPECT_EQ(d.FindWindowEx(top, kNoWindow, u"STATIC", c.query.c_str()), c.same ? child : kNoWindow);
    // The other way round gives the same answer.
    const Hwnd other = d.Create({.className = u"Qm" + c.query, .text = u"[" + c.query + u"]"});
    EXPECT_EQ(d.FindWindow(nullptr, (u"[" + c.title + u"]").c_str()), c.same ? other : kNoWindow);
}

INSTANTIATE_TEST_SUITE_P(
    Letters, CaseFolding,
    ::testing::Values(FoldCase{"ascii", u"Cafe", u"CAFE", true},
                      FoldCase{"latin1", u"Café Ñandú", u"CAFÉ ñANDÚ", true},
                      FoldCase{"y_diaeresis_leaves_latin1", u"ÿ", u"Ÿ", true},
                      FoldCase{"latin_extended_a_even_pairs", u"Łódź Ő", u"łÓDŹ ő", true},
                      FoldCase{"latin_extended_a_odd_pairs", u"ĹĽŹŽ", u"ĺľźž", true},
                      FoldCase{"greek", u"Αθήνα ΏΣ", u"αΘΉΝΑ ώσ", true},
                      FoldCase{"coptic", u"Ϣ", u"ϣ", true},
                      FoldCase{"cyrillic", u"Москва Ёж Ѣ Ӂ Ԑ", u"мОСКВА ёЖ ѣ ӂ ԑ", true},
                      FoldCase{"palochka", u"Ӏ", u"ӏ", true},
                      FoldCase{"full_width", u"ＡＢＣ", u"ａｂｃ", true},
                      FoldCase{"hangul_has_no_case", u"콜센터", u"콜센터", true},
                      FoldCase{"different_letters", u"Cafe", u"Cafè", false},
                      FoldCase{"times_is_not_divide", u"×", u"÷", false},
                      FoldCase{"dotless_i", u"ı", u"I", false},
                      FoldCase{"dotted_capital_i", u"İ", u"i", false},
                      FoldCase{"long_s", u"ſ", u"S", false},
                      FoldCase{"micro_sign", u"µ", u"Μ", false},
                      FoldCase{"sharp_s", u"ß", u"ẞ", false},
                      FoldCase{"final_sigma", u"ς", u"Σ", false},
                      FoldCase{"sigma_forms", u"ς", u"σ", false},
                      FoldCase{"theta_symbol", u"ϴ", u"θ", false},
                      FoldCase{"latin_and_cyrillic_a", u"A", u"А", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TreeTest, EnabledPopupIsTheTopmostVisibleEnabledWindowOwnedDirectlyOrIndirectly) {
    const Hwnd main = Top(u"Main");
    const Hwnd popup1 = Top(u"P1", u"", main);
    const Hwnd popup2 = Top(u"P2", u"", main);
    const Hwnd popup3 = Top(u"P3", u"", popup2);  // owned through popup2
    Top(u"Unowned");
    const Hwnd unrelatedChild = Child(main, u"Edit");
    d.Enable(popup1, false);

    // The unowned window is on top, so the first owned one below it counts.
    EXPECT_EQ(d.GetWindow(main, Relation::EnabledPopup), popup3);
    d.Enable(popup3, false);
    EXPECT_EQ(d.GetWindow(main, Relation::EnabledPopup), popup2);
    d.Show(popup2, false);
    EXPECT_EQ(d.GetWindow(main, Relation::EnabledPopup), kNoWindow);
    d.Enable(popup1, true);
    EXPECT_EQ(d.GetWindow(main, Relation::EnabledPopup), popup1);
    EXPECT_EQ(d.GetWindow(popup1, Relation::EnabledPopup), kNoWindow);
    EXPECT_EQ(d.GetWindow(unrelatedChild, Relation::EnabledPopup), kNoWindow);
}

TEST_F(TreeTest, PopupWalkFromEnabledPopupReachesEveryOwnedWindowInZOrder) {
    const Hwnd main = Top(u"Main");
    const Hwnd a = Top(u"Entry", u"", main);
    const Hwnd b = Top(u"Entry", u"", main);
    std::vector<Hwnd> walked;
    for (Hwnd p = d.GetWindow(main, Relation::EnabledPopup); !IsNull(p); p = d.GetWindow(p, Relation::Next)) {
        walked.push_back(p);
    }
    EXPECT_EQ(walked, (std::vector<Hwnd>{b, a, main}));
}

TEST_F(TreeTest, ActivationRaisesTheWindowWithItsOwnedWindows) {
    const Hwnd main = Top(u"Main");
    const Hwnd entry = Top(u"Entry", u"", main);
    const Hwnd box = Top(u"#32770", u"Other program");
    ASSERT_EQ(d.TopLevelWindows(), (std::vector<Hwnd>{box, entry, main}));
    EXPECT_TRUE(d.SetForegroundWindow(main));
    EXPECT_EQ(d.TopLevelWindows(), (std::vector<Hwnd>{entry, main, box}));
    EXPECT_EQ(d.ForegroundCalls(), std::vector<Hwnd>{main});
    EXPECT_EQ(d.SetActiveWindow(box), main);
    EXPECT_EQ(d.TopLevelWindows(), (std::vector<Hwnd>{box, entry, main}));
}

TEST_F(TreeTest, EnumChildWindowsIsDepthFirstPreOrderAndStops) {
    const Hwnd main = Top(u"Main");
    const Hwnd a = Child(main, u"A");
    const Hwnd a1 = Child(a, u"A1");
    const Hwnd a11 = Child(a1, u"A11");
    const Hwnd b = Child(main, u"B");
    const Hwnd b1 = Child(b, u"B1");
    std::vector<Hwnd> seen;
    d.EnumChildWindows(main, [&](Hwnd h) {
        seen.push_back(h);
        return true;
    });
    EXPECT_EQ(seen, (std::vector<Hwnd>{a, a1, a11, b, b1}));
    seen.clear();
    d.EnumChildWindows(main, [&](Hwnd h) {
        seen.push_back(h);
        return h != a11;
    });
    EXPECT_EQ(seen, (std::vector<Hwnd>{a, a1, a11}));
    seen.clear();
    d.EnumChildWindows(kNoWindow, [&](Hwnd h) {
        seen.push_back(h);
        return true;
    });
    EXPECT_TRUE(seen.empty());  // a null window has no children
}

TEST_F(TreeTest, EnumChildWindowsWalksASnapshot) {
    const Hwnd main = Top(u"Main");
    const Hwnd a = Child(main, u"A");
    const Hwnd b = Child(main, u"B");
    std::vector<Hwnd> seen;
    d.EnumChildWindows(main, [&](Hwnd h) {
        seen.push_back(h);
        if (h == a) {
            d.Destroy(b);
            Child(main, u"C");
        }
        return true;
    });
    EXPECT_EQ(seen, std::vector<Hwnd>{a});
}

TEST_F(TreeTest, GetParentGivesTheOwnerOfPopupsOnly) {
    const Hwnd main = Top(u"Main");
    const Hwnd child = Child(main, u"Edit");
    const Hwnd popup = Top(u"Popup", u"", main);
    const Hwnd overlapped = d.Create({.className = u"Frame", .owner = main, .overlapped = true});
    const Hwnd ownedByChild = Top(u"Popup", u"", child);
    EXPECT_EQ(d.GetParent(child), main);
    EXPECT_EQ(d.GetParent(popup), main);
    EXPECT_EQ(d.GetParent(overlapped), kNoWindow);
    EXPECT_EQ(d.GetParent(main), kNoWindow);
    EXPECT_EQ(d.Owner(ownedByChild), main);  // owners are top-level windows
}

// GetWindowText and FindWindow(Ex) see a window's own caption, which edit and
// combo boxes never set: neither their creation text nor WM_SETTEXT reaches it.
struct CaptionCase {
    const char* name;
    WindowSpec desc;
    std::u16string shown;    // WM_GETTEXT as made
    std::u16string caption;  // GetWindowText as made
    std::intptr_t setResult; // WM_SETTEXT "new"
    std::u16string shownAfter;
    std::u16string captionAfter;
};

void PrintTo(const CaptionCase& c, std::ostream* os) { *os << c.name; }

class Captions : public ::testing::TestWithParam<CaptionCase> {};

TEST_P(Captions, FollowTheControlsOwnText) {
    const CaptionCase& c = GetParam();
    FakeDesktop d;
    const Hwnd main = d.Create({.className = u"Main"});
    WindowSpec desc = c.desc;
    desc.parent = main;
    const Hwnd h = d.Create(desc);
    EXPECT_EQ(d.SendGetText(h, 256), c.shown);
    EXPECT_EQ(d.Send(h, m::WM_GETTEXTLENGTH, 0, 0), static_cast<std::intptr_t>(c.shown.size()));
    EXPECT_EQ(d.GetWindowText(h, 255), c.caption);
    EXPECT_EQ(d.FindWindowEx(main, kNoWindow, nullptr, desc.text.c_str()), c.caption.empty() ? kNoWindow : h);
    EXPECT_EQ(d.SendSetText(h, u"new"), c.setResult);
    EXPECT_EQ(d.SendGetText(h, 256), c.shownAfter);
    EXPECT_EQ(d.GetWindowText(h, 255), c.captionAfter);
    EXPECT_EQ(d.FindWindowEx(main, kNoWindow, nullptr, u"new"), c.captionAfter == u"new" ? h : kNoWindow);
    // An empty name matches the empty caption.
    EXPECT_EQ(d.FindWindowEx(main, kNoWindow, nullptr, u""), c.captionAfter.empty() ? h : kNoWindow);
}

INSTANTIATE_TEST_SUITE_P(
    Controls, Captions,
    ::testing::Values(
        CaptionCase{"label", {.behaviour = Behaviour::Label, .text = u"현금"}, u"현금", u"현금", 1, u"new", u"new"},
        CaptionCase{"button", {.behaviour = Behaviour::Button, .text = u"확인"}, u"확인", u"확인", 1, u"new", u"new"},
        CaptionCase{"edit", {.behaviour = Behaviour::Edit, .text = u"start"}, u"start", u"", 1, u"new", u""},
        CaptionCase{"single_line_edit", {.behaviour = Behaviour::Edit, .text = u"start", .multiline = false},
                    u"start", u"", 1, u"new", u""},
        CaptionCase{"list_ignores_creation_text",
                    {.behaviour = Behaviour::Combo, .text = u"결제", .items = {u"현금", u"후불"}}, u"", u"",
                    m::CB_ERR, u"", u""},
        CaptionCase{"list_shows_the_selection",
                    {.behaviour = Behaviour::Combo, .text = u"결제", .items = {u"현금", u"후불"}, .selection = 1},
                    u"후불", u"", m::CB_ERR, u"후불", u""},
        CaptionCase{"editable_combo",
                    {.behaviour = Behaviour::Combo, .text = u"결제", .items = {u"현금"}, .editable = true}, u"",
                    u"", 1, u"new", u""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TreeTest, SetCaptionChangesOnlyWhatLookupsSee) {
    const Hwnd main = Top(u"Main");
    const Hwnd edit = d.Create({.behaviour = Behaviour::Edit, .text = u"shown", .parent = main});
    d.SetCaption(edit, u"TcxMemo1");
    EXPECT_EQ(d.GetWindowText(edit, 127), u"TcxMemo1");
    EXPECT_EQ(d.FindWindowEx(main, kNoWindow, u"Edit", u"tcxmemo1"), edit);
    EXPECT_EQ(d.SendGetText(edit, 1024), u"shown");
    d.SendSetText(edit, u"typed");
    EXPECT_EQ(d.Caption(edit), u"TcxMemo1");
    EXPECT_EQ(d.Text(edit), u"typed");
}

TEST_F(TreeTest, DestroyedHandlesActLikeInvalidWindowsAndAreNeverReused) {
    const Hwnd main = Top(u"Main");
    const Hwnd edit = d.Create({.behaviour = Behaviour::Edit, .text = u"x", .id = 7, .parent = main});
    const Hwnd popup = Top(u"Popup", u"", main);
    d.Destroy(main);
    for (Hwnd h : {main, edit, popup}) {
        EXPECT_FALSE(d.IsWindow(h));
        EXPECT_EQ(d.Send(h, m::WM_GETTEXTLENGTH, 0, 0), 0);
        EXPECT_FALSE(d.Post(h, m::WM_CHAR, 'a', 0));
        EXPECT_EQ(d.SendGetText(h, 100), u"");
        EXPECT_EQ(d.GetWindowText(h, 100), u"");
        EXPECT_EQ(d.GetDlgCtrlID(h), 0);
        EXPECT_EQ(d.GetWindow(h, Relation::Next), kNoWindow);
        EXPECT_FALSE(d.GetWindowInfo(h).has_value());
        EXPECT_FALSE(d.ScreenToClient(h, {1, 1}).has_value());
        EXPECT_FALSE(d.ShowWindow(h, m::SW_SHOW));
        EXPECT_FALSE(d.SetForegroundWindow(h));
    }
    EXPECT_EQ(d.FindWindow(u"Main", nullptr), kNoWindow);
    const Hwnd next = Top(u"Main");
    EXPECT_NE(next, main);
    EXPECT_NE(next, edit);
    EXPECT_NE(next, popup);
}

TEST_F(TreeTest, DestroySendsWmDestroyOwnedWindowsFirst) {
    const Hwnd main = Top(u"Main");
    const Hwnd child = Child(main, u"Edit");
    const Hwnd popup = Top(u"Popup", u"", main);
    d.Destroy(main);
    const auto log = OnlyMessages(d.MessageLog(), {fakemsg::WM_DESTROY});
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].window, popup);
    EXPECT_EQ(log[1].window, main);
    EXPECT_EQ(log[2].window, child);
}

TEST_F(TreeTest, DestroyingAWindowOfTheTreeFromWmDestroySendsWmDestroyOnce) {
    const Hwnd main = Top(u"Main");
    const Hwnd a = Child(main, u"A");
    const Hwnd b = Child(main, u"B");
    d.AddMessageHook(b, [&](const Message& msg) -> std::optional<std::intptr_t> {
        if (msg.message == fakemsg::WM_DESTROY) d.Destroy(a);  // a has had its WM_DESTROY already
        return std::nullopt;
    });
    d.Destroy(main);
    EXPECT_FALSE(d.IsWindow(a));
    EXPECT_EQ(OnlyMessages(d.MessageLog(), {fakemsg::WM_DESTROY}).size(), 3u);
}

TEST_F(TreeTest, SysCommandCloseDestroysUnlessAHookHidesInstead) {
    const Hwnd map = d.Create({.behaviour = Behaviour::Dialog, .text = u"지도보기"});
    d.Send(map, m::WM_SYSCOMMAND, m::SC_CLOSE, 0);
    EXPECT_FALSE(d.IsWindow(map));

    const Hwnd reused = d.Create({.behaviour = Behaviour::Dialog, .text = u"지도보기"});
    d.AddMessageHook(reused, [&](const Message& msg) -> std::optional<std::intptr_t> {
        if (msg.message != m::WM_CLOSE) return std::nullopt;
        d.Show(reused, false);
        return 0;
    });
    d.Send(reused, m::WM_SYSCOMMAND, m::SC_CLOSE, 0);
    EXPECT_TRUE(d.IsWindow(reused));
    EXPECT_FALSE(d.IsVisible(reused));
}

TEST_F(TreeTest, PlaceAfterArrangesSiblings) {
    const Hwnd main = Top(u"Main");
    const Hwnd a = Child(main, u"A");
    const Hwnd b = Child(main, u"B");
    const Hwnd c = Child(main, u"C");
    d.PlaceAfter(a, c);
    EXPECT_EQ(d.Children(main), (std::vector<Hwnd>{b, c, a}));
    d.PlaceAfter(c, kNoWindow);
    EXPECT_EQ(d.Children(main), (std::vector<Hwnd>{c, b, a}));
    EXPECT_THROW(d.PlaceAfter(a, main), std::invalid_argument);
}

}  // namespace
}  // namespace qm::testing
