// The LogiD2 substitute's windows as the robot finds them: classes, captions
// and the sibling positions that the adapter counts on.
#include "tests/sim/logid2_fixture.h"

namespace qm::sim::logid2::test {
namespace {

using WindowTest = LogiD2Fixture;

TEST_F(WindowTest, MainWindowHoldsTheReceptionButtonUnderMdiClientViewAndMainList) {
    const Hwnd main = MainWindow();
    ASSERT_FALSE(IsNull(main));
    EXPECT_EQ(main, sim_->MainWindow());
    const Hwnd mdi = FindDescendant(main, u"MDIClient", u"", true);
    ASSERT_FALSE(IsNull(mdi));
    const Hwnd view = FindDescendant(mdi, u"AfxFrameOrView110s", u"접수");
    ASSERT_FALSE(IsNull(view));
    const Hwnd list = FindDescendant(view, u"#32770", u"메인리스트");
    ASSERT_FALSE(IsNull(list));
    EXPECT_FALSE(IsNull(FindDescendant(list, u"Button", u"접  수(&N)")));
}

TEST_F(WindowTest, ReceptionButtonOpensAFreshEntryWindowOwnedByTheMainWindow) {
    const Hwnd entry = OpenEntry();
    ASSERT_FALSE(IsNull(entry));
    EXPECT_EQ(d_.Owner(entry), MainWindow());
    EXPECT_EQ(d_.GetClassName(entry, 127), u"#32770");
    const Hwnd first = d_.GetWindow(entry, Relation::Child);
    EXPECT_EQ(d_.GetDlgCtrlID(first), kIdPhone);
    EXPECT_EQ(d_.Send(first, msg::WM_GETTEXTLENGTH, 0, 0), 0);
    EXPECT_FALSE(IsNull(FindDescendant(entry, u"Button", u"등   록(&R)")));
    EXPECT_EQ(sim_->EntryWindows(), std::vector<Hwnd>{entry});

    // A second press opens a second window on top.
    const Hwnd second = OpenEntry();
    EXPECT_NE(second, entry);
    EXPECT_EQ(sim_->EntryWindows().size(), 2u);
}

struct SiblingCase {
    const char16_t* anchorClass;
    const char16_t* anchorText;
    Relation relation;
    int steps;
    int expectedId;
    const char16_t* expectedClass;
};

// Every "k-th window after/before an anchor" the adapter's control discovery uses.
const SiblingCase kSiblings[] = {
    {u"Static", u"현금", Relation::Next, 1, kIdCash, u"Edit"},
    {u"Static", u"후불", Relation::Next, 1, kIdPostpaid, u"Edit"},
    {u"Static", u"후불", Relation::Next, 2, kIdMileage, u"Edit"},
    {u"Static", u"카드", Relation::Next, 1, kIdCard, u"Edit"},
    {u"Button", u"업체지원", Relation::Next, 5, kIdMemo2Box, u"#32770"},
    {u"Button", u"마일리지", Relation::Next, 1, kIdBranch, u"Edit"},
    {u"Button", u"마일리지", Relation::Next, 5, kIdBranchDisplay, u"Edit"},
    {u"Button", u"대기후복사", Relation::Next, 1, kIdPhoneDisplay, u"Edit"},
    {u"Button", u"대기후복사", Relation::Next, 4, kIdPhone2, u"Edit"},
    {u"Button", u"문의", Relation::Next, 4, kIdPayCombo, u"ComboBox"},
    {u"Static", u"경유", Relation::Next, 1, kIdOriginMap, u"Button"},
    {u"Static", u"경유", Relation::Next, 2, kIdDestinationMap, u"Button"},
    {u"Button", u"적정", Relation::Previous, 3, kIdVia3, u"Edit"},
    {u"Button", u"적정", Relation::Previous, 6, kIdVia2, u"Edit"},
    {u"Button", u"적정", Relation::Previous, 9, kIdVia1, u"Edit"},
};

TEST_F(WindowTest, EveryAnchorReachesItsControlByCountingSiblings) {
    const Hwnd entry = OpenEntry();
    ASSERT_FALSE(IsNull(entry));
    for (const SiblingCase& c : kSiblings) {
        SCOPED_TRACE(c.expectedId);
        const Hwnd anchor = d_.FindWindowEx(entry, kNoWindow, c.anchorClass, c.anchorText);
        ASSERT_FALSE(IsNull(anchor)) << "anchor missing, id of case " << c.expectedId;
        const Hwnd reached = Walk(anchor, c.relation, c.steps);
        EXPECT_EQ(d_.GetDlgCtrlID(reached), c.expectedId) << "case " << c.expectedId;
        EXPECT_EQ(d_.GetClassName(reached, 127), c.expectedClass) << "case " << c.expectedId;
    }
}

TEST_F(WindowTest, PlacesAndMemosFollowTheTelephoneBoxAndMemoTwoSitsInsideItsDialog) {
    const Hwnd entry = OpenEntry();
    const Hwnd phone = d_.GetWindow(entry, Relation::Child);
    const int expected[] = {kIdOrigin, kIdDestination, kIdFare, kIdDriverMemo};
    for (int k = 1; k <= 4; ++k) EXPECT_EQ(d_.GetDlgCtrlID(Walk(phone, Relation::Next, k)), expected[k - 1]);

    const Hwnd support = d_.FindWindowEx(entry, kNoWindow, u"Button", u"업체지원");
    const Hwnd memo2 = d_.GetWindow(Walk(support, Relation::Next, 5), Relation::Child);
    EXPECT_EQ(d_.GetDlgCtrlID(memo2), kIdMemo2);
    EXPECT_EQ(d_.GetClassName(memo2, 127), u"Edit");
}

TEST_F(WindowTest, ConsignmentButtonIsInTheSecondChildDialogNotOnTheEntryWindow) {
    const Hwnd entry = OpenEntry();
    EXPECT_TRUE(IsNull(d_.FindWindowEx(entry, kNoWindow, u"Button", u"탁송")));
    std::vector<Hwnd> dialogs;
    Hwnd dialog{};
    while (!IsNull(dialog = d_.FindWindowEx(entry, dialog, u"#32770", nullptr))) dialogs.push_back(dialog);
    ASSERT_EQ(dialogs.size(), 2u);
    EXPECT_TRUE(IsNull(d_.FindWindowEx(dialogs[0], kNoWindow, u"Button", u"탁송")));
    const Hwnd consign = d_.FindWindowEx(dialogs[1], kNoWindow, u"Button", u"탁송");
    ASSERT_FALSE(IsNull(consign));
    EXPECT_EQ(d_.GetDlgCtrlID(consign), kIdConsign);
}

TEST_F(WindowTest, FinishingButtonsAndTheirTexts) {
    const Hwnd entry = OpenEntry();
    for (const char16_t* text : {u"등   록(&R)", u"대  기(&W)", u"문의", u"취소", u"경", u"적정"})
        EXPECT_FALSE(IsNull(d_.FindWindowEx(entry, kNoWindow, u"Button", text)));
    EXPECT_TRUE(IsNull(d_.FindWindowEx(entry, kNoWindow, u"Button", u"취   소(&X)")));
    const Hwnd combo = Walk(d_.FindWindowEx(entry, kNoWindow, u"Button", u"문의"), Relation::Next, 4);
    EXPECT_EQ(d_.Send(combo, msg::CB_GETCOUNT, 0, 0), 4);
    EXPECT_EQ(d_.SendGetComboItem(combo, 0), u"현금");
    EXPECT_EQ(d_.SendGetComboItem(combo, 1), u"후불");
    EXPECT_EQ(Text(combo), u"현금");
}

TEST_F(WindowTest, ClickableControlsAreAtLeastSixteenPixelsSquare) {
    const Hwnd entry = OpenEntry();
    d_.EnumChildWindows(entry, [&](Hwnd h) {
        const auto cls = d_.GetClassName(h, 127);
        if (cls != u"Button" && cls != u"Edit" && cls != u"ComboBox") return true;
        const auto info = d_.GetWindowInfo(h);
        EXPECT_TRUE(info.has_value());
        if (info) {
            EXPECT_GE(info->client.right - info->client.left, 16) << d_.GetDlgCtrlID(h);
            EXPECT_GE(info->client.bottom - info->client.top, 16) << d_.GetDlgCtrlID(h);
        }
        return true;
    });
}

// --- variants --------------------------------------------------------------

struct OmitCase {
    const char16_t* omit;
    const char16_t* missingClass;
    const char16_t* missingText;
};

TEST(WindowVariants, OmittedAnchorsAreMissingAndEverythingElseStays) {
    const OmitCase cases[] = {
        {u"취소", u"Button", u"취소"},          {u"현금", u"Static", u"현금"},
        {u"마일리지", u"Button", u"마일리지"},  {u"대기후복사", u"Button", u"대기후복사"},
        {u"경유", u"Static", u"경유"},          {u"적정", u"Button", u"적정"},
        {u"경", u"Button", u"경"},              {u"문의", u"Button", u"문의"},
    };
    for (const OmitCase& c : cases) {
        testing::FakeDesktop d;
        FakeHost host(d);
        Options options;
        options.omit.push_back(c.omit);
        LogiD2Sim sim(host, options);
        ASSERT_TRUE(sim.Start());
        const Hwnd entry = sim.OpenEntryWindow();
        ASSERT_FALSE(IsNull(entry));
        EXPECT_TRUE(IsNull(d.FindWindowEx(entry, kNoWindow, c.missingClass, c.missingText)));
        EXPECT_FALSE(IsNull(d.FindWindowEx(entry, kNoWindow, u"Button", u"대  기(&W)")));
    }
}

TEST(WindowVariants, OmittingAContainerLeavesOutWhatItHolds) {
    testing::FakeDesktop d;
    FakeHost host(d);
    Options options;
    options.omit = {u"메인리스트"};
    LogiD2Sim sim(host, options);
    ASSERT_TRUE(sim.Start());
    EXPECT_TRUE(IsNull(sim.ReceptionButton()));
    Hwnd found{};
    d.EnumChildWindows(sim.MainWindow(), [&](Hwnd h) {
        if (d.GetWindowText(h, 127) == u"접  수(&N)") found = h;
        return true;
    });
    EXPECT_TRUE(IsNull(found));
}

TEST(WindowVariants, AlternativeCancelText) {
    testing::FakeDesktop d;
    FakeHost host(d);
    Options options;
    options.altCancel = true;
    LogiD2Sim sim(host, options);
    ASSERT_TRUE(sim.Start());
    const Hwnd entry = sim.OpenEntryWindow();
    EXPECT_TRUE(IsNull(d.FindWindowEx(entry, kNoWindow, u"Button", u"취소")));
    EXPECT_FALSE(IsNull(d.FindWindowEx(entry, kNoWindow, u"Button", u"취   소(&X)")));
}

TEST(WindowVariants, SlowEntryWindowAppearsOnlyAfterItsDelay) {
    testing::FakeDesktop d;
    FakeHost host(d);
    Options options;
    options.entryDelayMs = 1500;
    LogiD2Sim sim(host, options);
    ASSERT_TRUE(sim.Start());
    d.Send(sim.ReceptionButton(), msg::BM_CLICK, 0, 0);
    d.Sleep(1400);
    EXPECT_TRUE(IsNull(d.GetWindow(sim.MainWindow(), Relation::EnabledPopup)));
    d.Sleep(200);
    EXPECT_FALSE(IsNull(d.GetWindow(sim.MainWindow(), Relation::EnabledPopup)));
}

}  // namespace
}  // namespace qm::sim::logid2::test
