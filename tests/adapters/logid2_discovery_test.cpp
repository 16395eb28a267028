// Finding LogiD2's windows and controls, and getting rid of entry windows.
#include "tests/adapters/logid2_world.h"

namespace qm::logid2test {
namespace {

using Discovery = LogiD2World;

TEST_F(Discovery, FindControlsTakesEveryControlFromItsAnchor) {
    Start();
    CCallPortLogiD2& a = NewAdapter();
    ASSERT_EQ(0, a.OpenNewEntryWindow());
    ASSERT_EQ(0, a.FindControls());
    const auto& got = a.controls();
    const sim::logid2::EntryWindowInfo* info = sim_->EntryInfo(got.entryWindow);
    ASSERT_NE(nullptr, info);
    const EntryControls& c = info->controls;
    const std::pair<Hwnd, Hwnd> pairs[] = {
        {got.branchEdit, c.branch},        {got.branchDisplay, c.branchDisplay},
        {got.phoneEdit, c.phone},          {got.phoneDisplay, c.phoneDisplay},
        {got.phone2Edit, c.phone2},        {got.fareEdit, c.fare},
        {got.cashEdit, c.cash},            {got.postpaidEdit, c.postpaid},
        {got.cardEdit, c.card},            {got.mileageEdit, c.mileage},
        {got.consignButton, c.consign},    {got.driverMemoEdit, c.driverMemo},
        {got.memo2Edit, c.memo2},          {got.payCombo, c.payCombo},
        {got.originEdit, c.origin},        {got.originMapButton, c.originMap},
        {got.destEdit, c.destination},     {got.destMapButton, c.destinationMap},
        {got.viaEdit[0], c.via[0]},        {got.viaEdit[1], c.via[1]},
        {got.viaEdit[2], c.via[2]},        {got.addViaButton, c.addVia},
        {got.registerButton, c.registerButton}, {got.cancelButton, c.cancel},
        {got.holdButton, c.hold},          {got.inquiryButton, c.inquiry},
    };
    for (std::size_t i = 0; i < std::size(pairs); ++i) {
        EXPECT_FALSE(IsNull(pairs[i].first)) << "control " << i;
        EXPECT_EQ(pairs[i].first, pairs[i].second) << "control " << i;
    }
}

TEST_F(Discovery, FindControlsWithoutEntryWindowIs11) {
    Start();
    EXPECT_EQ(11, NewAdapter().FindControls());
}

// Each missing window ends the entry with its code. Once the entry window is
// open and its cancel button known, it is cancelled without awaiting a question.
TEST_F(Discovery, EveryMissingAnchorHasItsCode) {
    struct Case {
        const char16_t* omit;
        int code;
        bool entryOpened;
    };
    const Case cases[] = {
        {u"MDIClient", 5, false},      {u"AfxFrameOrView110s", 7, false}, {u"메인리스트", 8, false},
        {u"접  수(&N)", 10, false},    {u"취소", 29, true},               {u"현금", 19, true},
        {u"후불", 20, true},           {u"카드", 21, true},               {u"업체지원", 26, true},
        {u"마일리지", 13, true},       {u"대기후복사", 16, true},         {u"탁송", 23, true},
        {u"문의", 27, true},           {u"경유", 31, true},               {u"대  기(&W)", 92, true},
        {u"적정", 50, true},           {u"경", 53, true},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        FakeDesktop desktop;
        sim::FakeHost host(desktop);
        Options options;
        options.omit = {c.omit};
        sim::logid2::LogiD2Sim sim(host, options);
        ASSERT_TRUE(sim.Start());
        CCallPortLogiD2 adapter(desktop, kNormalProfile);
        OrderRecord order = SimpleOrder();
        std::u16string message = u"kept";
        EXPECT_EQ(c.code, adapter.EnterOrder(FakeDesktop::kOleacc, u"", kPointScript, &order, 1, message, 2))
            << "case " << i;
        EXPECT_EQ(u"kept", message);
        // Cancelled where a cancel button exists (an empty window closes without a question).
        const bool cancelled = c.entryOpened && c.code != 29;
        // The wait for the window, and for a cancelled one to go.
        EXPECT_EQ(c.entryOpened ? (cancelled ? 200u : 100u) : 0u, desktop.SleepTotal()) << "case " << i;
        desktop.DeliverPosted();
        EXPECT_EQ(cancelled || !c.entryOpened ? 0u : 1u, sim.EntryWindows().size()) << "case " << i;
    }
}

TEST_F(Discovery, InquiryButtonMustBeOfClassButtonExactly) {
    // FindWindowEx takes "BUTTON" for "Button" (class names are not case
    // sensitive), the recogniser does not: the "문의" anchor is found, the
    // inquiry button is not.
    Start();
    OnNewEntry([this](Hwnd entry, const EntryControls& c) {
        const Hwnd look = d_.Create({.behaviour = testing::Behaviour::Button, .className = u"BUTTON", .text = u"문의",
                                     .id = 1203, .parent = entry});
        d_.PlaceAfter(look, c.inquiry);
        d_.Destroy(c.inquiry);
    });
    OrderRecord order = SimpleOrder();
    EXPECT_EQ(93, Enter(order));
}

TEST_F(Discovery, CancelButtonAndConsignmentAreLookedForWhereLogiD2KeepsThem) {
    // "취   소(&X)" serves only when no button reads "취소".
    {
        Options options;
        options.altCancel = true;
        Start(options);
        CCallPortLogiD2& a = NewAdapter();
        ASSERT_EQ(0, a.OpenNewEntryWindow());
        ASSERT_EQ(0, a.FindControls());
        EXPECT_EQ(u"취   소(&X)", d_.Caption(a.controls().cancelButton));
        const Hwnd plain = d_.Create({.behaviour = testing::Behaviour::Button, .text = u"취소",
                                      .parent = a.controls().entryWindow});
        ASSERT_EQ(0, a.FindControls());
        EXPECT_EQ(plain, a.controls().cancelButton);
    }
    // A "탁송" button on the entry window itself is not the check box.
    sim_.reset();
    Options options;
    options.omit = {u"탁송"};
    Start(options);
    CCallPortLogiD2& a = NewAdapter();
    ASSERT_EQ(0, a.OpenNewEntryWindow());
    d_.Create({.behaviour = testing::Behaviour::CheckBox, .text = u"탁송", .parent = a.controls().entryWindow});
    EXPECT_EQ(23, a.FindControls());
}

TEST_F(Discovery, NoMainWindowIs4AfterTenLooks) {
    OrderRecord order = SimpleOrder();
    EXPECT_EQ(4, Enter(order));
    EXPECT_EQ(900u, d_.SleepTotal());
    EXPECT_EQ(4, Read(order));
}

// A popup whose telephone box holds text is not a fresh entry window: three
// presses, then 95, and the cursor is back where it was.
TEST_F(Discovery, NoFreshWindowAfterThreePressesIs95WithTheCursorPutBack) {
    Options options;
    options.entryDelayMs = 60000;  // the presses open nothing in time
    Start(options);
    const Hwnd old = sim_->OpenEntryWindow();
    d_.HostSetText(sim_->EntryInfo(old)->controls.phone, u"010-1111-2222");
    d_.SetCursorPos({3, 4});

    DelayProfile p = kFastProfile;
    CCallPortLogiD2& a = NewAdapter(p);
    EXPECT_EQ(95, a.OpenNewEntryWindow());
    EXPECT_EQ(Point({3, 4}), d_.GetCursorPos());
    EXPECT_EQ(3u * 3000u, d_.SleepTotal());
    const auto ups = testing::OnlyMessages(testing::PortOnly(d_.Messages(sim_->ReceptionButton())),
                                           {msg::WM_LBUTTONUP});
    EXPECT_EQ(3u, ups.size());
    EXPECT_TRUE(IsNull(a.controls().entryWindow));

    // With no time to wait the button is still pressed three times, never polled.
    p.windowWait = 0;
    d_.ClearSleepLog();
    d_.ClearMessages();
    EXPECT_EQ(95, NewAdapter(p).OpenNewEntryWindow());
    EXPECT_EQ(0u, d_.SleepTotal());
    EXPECT_EQ(3u, testing::OnlyMessages(testing::PortOnly(d_.Messages(sim_->ReceptionButton())),
                                        {msg::WM_LBUTTONUP})
                      .size());
    EXPECT_EQ(11, NewAdapter(p).FindOpenEntryWindow());
}

// Two popups that swap places whenever their telephone box is asked for its
// length: a walk that followed the z-order blindly would never end.
TEST_F(Discovery, PopupWalkEndsWhenTheZOrderChangesUnderIt) {
    using testing::Behaviour;
    const Hwnd main = d_.Create({.className = u"SmartD2-", .rect = {0, 0, 800, 600}, .overlapped = true});
    const Hwnd mdi = d_.Create({.className = u"MDIClient", .parent = main});
    const Hwnd view = d_.Create({.className = u"AfxFrameOrView110s", .text = u"접수", .parent = mdi});
    const Hwnd list = d_.Create({.behaviour = Behaviour::Dialog, .text = u"메인리스트", .parent = view});
    d_.Create({.behaviour = Behaviour::Button, .text = u"접  수(&N)", .parent = list});
    Hwnd popups[2];
    Hwnd phones[2];
    for (int i = 0; i < 2; ++i) {
        popups[i] = d_.Create({.behaviour = Behaviour::Dialog, .owner = main, .rect = {100, 100, 500, 400}});
        phones[i] = d_.Create({.behaviour = Behaviour::Edit, .text = u"0101234", .parent = popups[i]});
        d_.Create({.behaviour = Behaviour::Button, .text = u"등   록(&R)", .parent = popups[i]});
    }
    int asked = 0;
    for (int i = 0; i < 2; ++i) {
        d_.AddMessageHook(phones[i], [&, i](const testing::Message& m) -> std::optional<std::intptr_t> {
            if (m.message == msg::WM_GETTEXTLENGTH) {
                ++asked;
                d_.PlaceAfter(popups[1 - i], popups[i]);
            }
            return std::nullopt;
        });
    }
    DelayProfile p = kNormalProfile;
    p.windowWait = 300;
    EXPECT_EQ(95, NewAdapter(p).OpenNewEntryWindow());
    EXPECT_EQ(3 * 3 * 2, asked) << "each popup asked once per walk";
}

// Slot 4 closes every new-order window, answering each question, and leaves a
// window that modifies an order alone.
TEST_F(Discovery, CloseEntryWindowsAbandonsEachNewEntryWindow) {
    Start();
    StoredOrder held;
    held.customerPhone = u"010-1234-5678";
    sim_->OpenOrderForModify(sim_->AddOrder(held));
    for (int i = 0; i < 3; ++i) {
        const Hwnd w = sim_->OpenEntryWindow();
        d_.HostSetText(sim_->EntryInfo(w)->controls.origin, u"서울역");  // something to lose
    }
    ASSERT_EQ(4u, sim_->EntryWindows().size());
    NewAdapter().CloseEntryWindows(kNoWindow);
    ASSERT_EQ(1u, sim_->EntryWindows().size());
    EXPECT_TRUE(sim_->EntryInfo(sim_->EntryWindows()[0])->modify);
    EXPECT_EQ(300u, d_.SleepTotal()) << "each question answered at the first look";
    EXPECT_EQ(0, CountBoxes(u"취소"));
}

}  // namespace
}  // namespace qm::logid2test
