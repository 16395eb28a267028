// What the adapters share: the control-map resolver, the named waits and the
// message-box rules, on small window trees of the fake desktop.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "callport/control_map.h"
#include "callport/wait.h"
#include "callport/windows.h"
#include "core/result_codes.h"
#include "platform/messages.h"
#include "testing/fake_desktop.h"
#include "testing/fault_desktop.h"

namespace qm {
namespace {

using testing::Behaviour;
using testing::FakeDesktop;

struct Controls {
    Hwnd first, afterLabel, twoBeforeButton, inner, deep, nested, offEnd, via[2];
};

// window: [Edit a][Static "라벨"][Edit b][Edit c][Button "버튼"][#32770 holder: [Button "탁송"]]
//         [#32770 group: [Edit g0][Edit g1]]
class ResolverTest : public ::testing::Test {
protected:
    ResolverTest() {
        window = d.Create({.behaviour = Behaviour::Dialog, .text = u"entry", .rect = {0, 0, 600, 400}});
        a = Child(Behaviour::Edit, u"");
        label = Child(Behaviour::Label, u"라벨");
        b = Child(Behaviour::Edit, u"");
        c = Child(Behaviour::Edit, u"");
        button = Child(Behaviour::Button, u"버튼");
        holder = Child(Behaviour::Dialog, u"");
        consign = d.Create({.behaviour = Behaviour::CheckBox, .text = u"탁송", .parent = holder});
        group = Child(Behaviour::Dialog, u"");
        g0 = d.Create({.behaviour = Behaviour::Edit, .parent = group});
        g1 = d.Create({.behaviour = Behaviour::Edit, .parent = group});
    }
    Hwnd Child(Behaviour behaviour, const char16_t* text) {
        return d.Create({.behaviour = behaviour, .text = text, .parent = window});
    }

public:
    FakeDesktop d;
    Hwnd window, a, label, b, c, button, holder, consign, group, g0, g1;
};

using Row = ControlRow<Controls>;
constexpr AnchorSearch kDirect = AnchorSearch::DirectChild;

constexpr Row kMap[] = {
    {u"first child", {AnchorSearch::FirstChild, {}}, 0, {{Field(u"first", SlotOf<&Controls::first>)}}},
    {u"label", {kDirect, {u"Static", {u"라벨"}}}, 21,
     {{Field(u"after label", SlotOf<&Controls::afterLabel>, {Next(1)}),
       Field(u"off the end", SlotOf<&Controls::offEnd>, {Next(40)})}}},
    {u"button", {kDirect, {u"Button", {u"없음", u"버튼"}}}, 22,
     {{Field(u"two before", SlotOf<&Controls::twoBeforeButton>, {Prev(2)}),
       Field(u"group's second", ElementOf<&Controls::via, 1>, {Next(2), Child(), Next(1)}),
       Field(u"group's first", ElementOf<&Controls::via, 0>, {Next(2), Child()})}}},
    {u"consignment in a child dialog", {AnchorSearch::InChildDialog, {u"Button", {u"탁송"}}}, 23,
     {{Field(u"consign", SlotOf<&Controls::inner>)}}},
    {u"consignment anywhere", {AnchorSearch::Descendant, {u"Button", {u"탁송"}}}, 24,
     {{Field(u"deep", SlotOf<&Controls::deep>)}}},
    {u"consignment as a direct child", {kDirect, {u"Button", {u"탁송"}}}, 25,
     {{Field(u"nested", SlotOf<&Controls::nested>)}}},
};

TEST_F(ResolverTest, RowsResolveInOrderAndTheFirstMissingAnchorDecides) {
    Controls got{};
    // The check box sits in a child dialog: a descendant, never a direct child.
    EXPECT_EQ(25, ResolveControls<Controls>(d, window, kMap, got));
    EXPECT_EQ(got.first, a);
    EXPECT_EQ(got.afterLabel, b);
    EXPECT_EQ(got.twoBeforeButton, b);
    EXPECT_EQ(got.via[0], g0);
    EXPECT_EQ(got.via[1], g1);
    EXPECT_EQ(got.inner, consign);
    EXPECT_EQ(got.deep, consign);
    EXPECT_TRUE(IsNull(got.offEnd)) << "a walk that runs off the end gives null";
    EXPECT_TRUE(IsNull(got.nested));

    // Without the label the second row decides; later rows are not looked at.
    d.Destroy(label);
    Controls partial{};
    EXPECT_EQ(21, ResolveControls<Controls>(d, window, kMap, partial));
    EXPECT_EQ(partial.first, a) << "fields found before the missing anchor stay set";
    EXPECT_TRUE(IsNull(partial.twoBeforeButton));
}

TEST_F(ResolverTest, EveryRowModeReportsEachRowAndStillAnswersTheFirstMissingCode) {
    d.Destroy(label);
    Controls got{};
    std::vector<ResolvedRow> report;
    EXPECT_EQ(21, ResolveControls<Controls>(d, window, kMap, got, Resolve::EveryRow, &report));
    ASSERT_EQ(report.size(), std::size(kMap));
    EXPECT_TRUE(IsNull(report[1].found));
    EXPECT_EQ(report[2].found, button);
    ASSERT_EQ(report[2].fields.size(), 3u);
    EXPECT_EQ(report[2].fields[1].window, g1);
    EXPECT_EQ(DescribeWalk(report[2].fields[1].walk), u"next 1 of first child of next 2");
    EXPECT_EQ(DescribeAnchor(kMap[3].anchor), u"direct child Button \"탁송\" of the first child #32770 holding one");
}

// A required control missing from its place makes its row missing, as a missing
// anchor would; steps by class find the first window of a class.
TEST_F(ResolverTest, ARequiredControlThatIsNotThereDecidesItsRowsCode) {
    const Row map[] = {
        {u"label", {kDirect, {u"Static", {u"라벨"}}}, 41,
         {{Required(u"first dialog after", SlotOf<&Controls::inner>, {NextOfClass(u"#32770")}),
           Field(u"its check", SlotOf<&Controls::deep>, {NextOfClass(u"#32770"), ChildOfClass(u"Button")})}}},
        {u"button", {kDirect, {u"Button", {u"버튼"}}}, 42,
         {{Required<Controls>(u"a combo after it", nullptr, {NextOfClass(u"ComboBox")}),
           Field(u"never set", SlotOf<&Controls::nested>, {Prev(1)})}}},
    };
    Controls got{};
    EXPECT_EQ(42, ResolveControls<Controls>(d, window, map, got));
    EXPECT_EQ(got.inner, holder);
    EXPECT_EQ(got.deep, consign);
    EXPECT_TRUE(IsNull(got.nested)) << "a row is left at its first missing control";
}

TEST_F(ResolverTest, ChainsSearchEachLinkUnderTheLastAndNullRootsFindNothing) {
    const ChainLink chain[] = {
        {u"holder", {kDirect, {u"#32770", {}}}, 31},
        {u"check", {kDirect, {u"Button", {u"탁송"}}}, 32},
    };
    Hwnd found{};
    EXPECT_EQ(0, ResolveChain(d, window, chain, found));
    EXPECT_EQ(found, consign);
    EXPECT_EQ(31, ResolveChain(d, group, chain, found)) << "group holds no dialog: the first link decides";
    EXPECT_TRUE(IsNull(found));
    Controls none{};
    EXPECT_EQ(21, ResolveControls<Controls>(d, kNoWindow, kMap, none));
}

// The program rebuilds part of the entry window while the rows are resolved:
// the later rows find the tree as it is now (each class is read once per
// window, and a window made meanwhile is read when first met).
ResolverTest* rebuilding = nullptr;
Hwnd& Rebuild(Controls& c) {
    ResolverTest& t = *rebuilding;
    t.d.Destroy(t.consign);
    t.d.Create({.behaviour = Behaviour::Label, .text = u"탁송", .parent = t.holder});
    t.consign = t.d.Create({.behaviour = Behaviour::CheckBox, .text = u"탁송", .parent = t.group});
    return c.nested;
}

TEST_F(ResolverTest, ATreeRebuiltDuringDiscoveryIsFoundAsItIsNowReadingEachClassOnce) {
    const Hwnd before = consign;
    const Row map[] = {
        {u"check box", {AnchorSearch::Descendant, {u"Button", {u"탁송"}}}, 24, {{Field(u"deep", SlotOf<&Controls::deep>)}}},
        {u"the program rebuilds", {AnchorSearch::Known, {}}, 0, {}, Rebuild},
        {u"check box again", {AnchorSearch::Descendant, {u"Button", {u"탁송"}}}, 26, {{Field(u"inner", SlotOf<&Controls::inner>)}}},
    };
    rebuilding = this;
    testing::FaultDesktop port(d, 1, testing::Fault::None, 0);
    Controls got{};
    EXPECT_EQ(0, ResolveControls<Controls>(port, window, map, got));
    EXPECT_EQ(before, got.deep);
    EXPECT_EQ(consign, got.inner) << "the check box now in the group, not the one gone or the label in its place";
    std::size_t classReads = 0;
    for (const testing::PortCall& call : port.Log()) classReads += std::string(call.name) == "GetClassName" ? 1 : 0;
    // The first search reads a, label, b, c, button, holder and the check box;
    // the second meets the label made meanwhile, group, g0, g1 and the new check box.
    EXPECT_EQ(12u, classReads);
}

TEST_F(ResolverTest, AHungProgramEndsTheResolverWith99) {
    d.SetHung(window);
    d.Send(window, msg::WM_GETTEXTLENGTH, 0, 0);
    Controls got{};
    EXPECT_EQ(result::kNotResponding, ResolveControls<Controls>(d, window, kMap, got));
}

// The wait shapes: how many probes, and which pauses, for each.
TEST(Waits, ShapesProbeAndPauseAsNamed) {
    struct Case {
        const char* name;
        int succeedOn;  // probe number that answers true; 0 never
        int probes;
        std::uint64_t slept;
        bool result;
    };
    auto run = [](const char* shape, int succeedOn, int& probes, FakeDesktop& d) {
        probes = 0;
        auto probe = [&] { return ++probes == succeedOn; };
        if (std::string(shape) == "SleepThenProbe") return SleepThenProbe(d, 450, probe);
        if (std::string(shape) == "ProbeThenSleep") return ProbeThenSleep(d, 450, probe);
        return Tries(d, 4, 250, probe);
    };
    const Case cases[] = {
        {"SleepThenProbe", 0, 5, 500, false}, {"SleepThenProbe", 2, 2, 200, true},
        {"ProbeThenSleep", 0, 5, 500, false}, {"ProbeThenSleep", 2, 2, 100, true},
        {"Tries", 0, 4, 750, false},          {"Tries", 1, 1, 0, true},
    };
    for (const Case& c : cases) {
        FakeDesktop d;
        int probes = 0;
        EXPECT_EQ(c.result, run(c.name, c.succeedOn, probes, d)) << c.name << " " << c.succeedOn;
        EXPECT_EQ(c.probes, probes) << c.name << " " << c.succeedOn;
        EXPECT_EQ(c.slept, d.SleepTotal()) << c.name << " " << c.succeedOn;
    }
    FakeDesktop d;
    EXPECT_FALSE(SleepThenProbe(d, 0, [] { return true; }));
    EXPECT_FALSE(Tries(d, 3, 0, [] { return false; }));
    EXPECT_EQ(0u, d.SleepTotal()) << "a gap of 0 never sleeps";
}

TEST(Waits, EveryShapeEndsOnceTheProgramStopsAnswering) {
    FakeDesktop d;
    const Hwnd w = d.Create({.className = u"X", .text = u"x"});
    d.SetHung(w);
    int probes = 0;
    auto probe = [&] {
        if (++probes == 2) d.Send(w, msg::WM_GETTEXTLENGTH, 0, 0);  // the send times out
        return false;
    };
    EXPECT_FALSE(SleepThenProbe(d, 10000, probe));
    EXPECT_EQ(2, probes);
    EXPECT_FALSE(ProbeThenSleep(d, 10000, probe));
    EXPECT_FALSE(Tries(d, 50, 100, probe));
    EXPECT_EQ(2, probes) << "nothing is probed once the program stopped answering";
}

// Boxes: [Static icon][Static text][Button ...] in a chosen order.
class MessageBoxTest : public ::testing::Test {
protected:
    Hwnd Box(const char16_t* title, std::vector<std::pair<Behaviour, const char16_t*>> children) {
        const Hwnd box = d.Create({.behaviour = Behaviour::Dialog, .text = title, .rect = {0, 0, 300, 120}});
        int id = 1;
        for (const auto& [behaviour, text] : children)
            d.Create({.behaviour = behaviour, .text = text, .id = id++, .parent = box});
        return box;
    }
    int Commands(Hwnd box) const {
        int n = 0;
        for (const auto& m : d.Messages(box)) n += m.message == msg::WM_COMMAND ? 1 : 0;
        return n;
    }
    FakeDesktop d;
};

TEST_F(MessageBoxTest, RulesMatchTitleChildrenAndButtonPlace) {
    const Hwnd textFirst = Box(u"확인", {{Behaviour::Label, u""}, {Behaviour::Label, u"긴 안내: 설정 값이 없습니다."},
                                         {Behaviour::Button, u"확인"}});
    const Hwnd buttonFirst = Box(u"콜", {{Behaviour::Button, u"확인"}, {Behaviour::Label, u"설정 값이 없습니다 (3)"}});
    const Hwnd other = Box(u"확인", {{Behaviour::Label, u"다른 말"}, {Behaviour::Button, u"확인"}});

    const MessageBoxRule exact{.title = u"확인", .mustHave = {{{u"Static", {u"다른 말"}}}}, .button = u"확인"};
    EXPECT_EQ(1, AnswerMessageBoxes(d, exact));
    EXPECT_EQ(1, Commands(other));
    EXPECT_EQ(0, Commands(textFirst));

    const MessageBoxRule contains{
        .title = u"확인", .mustHave = {{{u"Static", {u"설정 값이 없습니다"}, TextMatch::Contains}}}, .button = u"확인"};
    EXPECT_EQ(1, AnswerMessageBoxes(d, contains, Answer::Every));
    EXPECT_EQ(1, Commands(textFirst));
    EXPECT_EQ(0, Commands(buttonFirst)) << "another title";

    // The text right after the button, of any class.
    const MessageBoxRule after{.title = u"콜", .mustHave = {{{u"", {u"설정 값이 없습니다"}, TextMatch::Contains}}},
                               .button = u"확인", .place = ButtonPlace::BeforeText};
    EXPECT_EQ(1, AnswerMessageBoxes(d, after));
    EXPECT_EQ(1, Commands(buttonFirst));
    const MessageBoxRule afterWrongSide{.title = u"확인",
                                        .mustHave = {{{u"", {u"설정 값이 없습니다"}, TextMatch::Contains}}},
                                        .button = u"확인", .place = ButtonPlace::BeforeText};
    EXPECT_EQ(0, AnswerMessageBoxes(d, afterWrongSide)) << "in these boxes nothing follows the button";
}

TEST_F(MessageBoxTest, FirstAnswersOneBoxEveryAnswersAllAndSysCloseClosesTheBox) {
    const Hwnd one = Box(u"카드결제", {{Behaviour::Label, u"카드선택"}});
    const Hwnd two = Box(u"카드결제", {{Behaviour::Label, u"카드선택"}});
    const MessageBoxRule close{.title = u"카드결제", .mustHave = {{{u"Static", {u"카드선택"}}}},
                               .button = {}, .press = Press::SysClose};
    EXPECT_EQ(1, AnswerMessageBoxes(d, close));
    EXPECT_EQ(1, AnswerMessageBoxes(d, close, Answer::Every)) << "the first one is gone";
    EXPECT_FALSE(d.IsWindow(one));
    EXPECT_FALSE(d.IsWindow(two));
}

}  // namespace
}  // namespace qm
