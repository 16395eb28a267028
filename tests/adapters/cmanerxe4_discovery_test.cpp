// Finding CManerXE4's windows: the main window by either caption, a fresh or
// a filled entry window, every anchor of the entry window's control map and
// the code its absence gives, and closing fresh windows.
#include "tests/adapters/cmanerxe4_world.h"

namespace qm::cmanerxe4test {
namespace {

using sim::cmanerxe4::Caption;
using sim::cmanerxe4::kIdClose;
using testing::Posted;

using XE4Discovery = CManerXE4World;

TEST_F(XE4Discovery, MainWindowByEitherCaption) {
    struct Case {
        std::vector<Caption> running;
        int found;  // the index of the program whose main window is taken; -1 none
    };
    const Case cases[] = {
        {{Caption::Korean}, 0},
        {{Caption::Roman}, 0},
        {{Caption::Letter}, -1},
        {{Caption::Roman, Caption::Korean}, 1},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        FakeDesktop d;
        std::vector<std::unique_ptr<sim::FakeHost>> hosts;
        std::vector<std::unique_ptr<sim::cmanerxe4::CManerXE4Sim>> sims;
        for (Caption caption : cases[i].running) {
            hosts.push_back(std::make_unique<sim::FakeHost>(d, 2 + static_cast<int>(hosts.size())));
            Options options;
            options.caption = caption;
            sims.push_back(std::make_unique<sim::cmanerxe4::CManerXE4Sim>(*hosts.back(), options));
            ASSERT_TRUE(sims.back()->Start());
        }
        CCallPortCManerXE4 adapter(d, kNormalProfile);
        const Hwnd expected =
            cases[i].found < 0 ? kNoWindow : sims[static_cast<std::size_t>(cases[i].found)]->MainWindow();
        EXPECT_EQ(expected, adapter.FindMainWindow()) << "case " << i;
    }
    World w;  // a request without the main window
    w.Start([] {
        Options o;
        o.caption = Caption::Letter;
        return o;
    }());
    OrderRecord order = SimpleOrder();
    EXPECT_EQ(4, w.Enter(order));
    EXPECT_EQ(4, w.Read(order));
}

// Each anchor left out (or its box taken away) gives its code; a window whose
// controls are incomplete is closed with "종료(F8)", one that never came is not.
TEST_F(XE4Discovery, EveryAnchorDecidesItsCode) {
    struct Case {
        const char16_t* omit;
        Hwnd EntryControls::*destroy;  // a box taken away when the window opens
        int code;
        bool abandoned;
    };
    const Case cases[] = {
        {u"접수-상담", nullptr, 7, false},
        {u"접 수", nullptr, 10, false},
        {u"TFrm_JON01N", nullptr, 95, false},
        {u"발신☎", nullptr, 95, false},  // the window is never taken
        {u"종료(F8)", nullptr, 95, false},
        {u"TcxComboBox", nullptr, 13, true},
        {u"출발", nullptr, 30, true},
        {nullptr, &EntryControls::origin, 30, true},
        {u"도착", nullptr, 33, true},
        {nullptr, &EntryControls::destination, 33, true},
        {u"수수료", nullptr, 27, true},
        {u"후불", nullptr, 20, true},
        {u"탁송", nullptr, 23, true},
        {u"적요① ( 기사에게 보임 )", nullptr, 25, true},
        {u"전체적립", nullptr, 25, true},
        {u"대기(F10)", nullptr, 92, true},
        {u"문의(F12)", nullptr, 93, true},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        World w;
        Options options;
        if (c.omit) options.omit = {c.omit};
        w.Start(options);
        if (c.destroy) {
            FakeDesktop& d = w.d_;
            w.OnNewEntry([&d, &c](Hwnd, const EntryControls& controls) { d.Destroy(controls.*c.destroy); });
        }
        OrderRecord order = SimpleOrder();
        EXPECT_EQ(c.code, w.Enter(order)) << "case " << i;
        const auto& ctl = w.adapter_->controls();
        if (c.abandoned) {
            EXPECT_EQ("", testing::DiffMessages(w.CommandsTo(ctl.entryWindow),
                                                {Posted(msg::WM_COMMAND, msg::MakeWParam(kIdClose, 0),
                                                        AsLParam(ctl.closeButton))}))
                << "case " << i;
            EXPECT_TRUE(w.sim_->EntryWindows().empty()) << "case " << i;
        } else {
            EXPECT_TRUE(IsNull(ctl.entryWindow)) << "case " << i;
        }
        if (c.code == 95) {
            EXPECT_EQ(3u * 4000u, w.d_.SleepTotal()) << "case " << i << ": three presses, each waited out";
        }
        // The read-back finds the same anchors (a stored order in a "수정(F7)" window).
        if (c.abandoned && c.destroy == nullptr) {
            w.ShowHeld();
            EXPECT_EQ(c.code, w.Read(order)) << "case " << i << ", read";
        }
    }
}

TEST_F(XE4Discovery, BothMemoLabelsMissingLeaveBothMemoBoxesNull) {
    Options options;
    options.omit = {u"적요① ( 기사에게 보임 )", u"전체적립"};
    Start(options);
    OrderRecord order = SimpleOrder();
    EXPECT_EQ(25, Enter(order));
    EXPECT_TRUE(IsNull(adapter_->controls().driverMemoEdit));
    EXPECT_TRUE(IsNull(adapter_->controls().memo2Edit));
    EXPECT_FALSE(IsNull(adapter_->controls().consignLabel));
}

// Every walk lands on the control the substitute made for it.
TEST_F(XE4Discovery, TheControlMapReachesEachControl) {
    Start();
    const Hwnd entry = sim_->OpenEntryWindow();
    const EntryControls& s = sim_->EntryInfo(entry)->controls;
    OrderRecord order = SimpleOrder();
    ASSERT_EQ(0, Enter(order, 1, 5));
    const Hwnd fresh = adapter_->controls().entryWindow;
    ASSERT_NE(fresh, entry) << "a window opened before the press is not taken";
    const EntryControls& e = sim_->EntryInfo(fresh)->controls;
    const auto& a = adapter_->controls();
    const std::pair<Hwnd, Hwnd> pairs[] = {
        {a.branchEdit, e.branch},       {a.branchDisplay, e.branchDisplay}, {a.phoneEdit, e.phone},
        {a.phone2Edit, e.phone2},       {a.fareEdit, e.fare},               {a.cashEdit, e.cash},
        {a.postpaidEdit, e.postpaid},   {a.cardEdit, e.card},               {a.mileageEdit, e.mileage},
        {a.consignLabel, e.consignLabel}, {a.viaStartControl, e.viaStart},  {a.driverMemoEdit, e.driverMemo},
        {a.memo2Edit, e.memo2},         {a.payCombo, e.payCombo},           {a.originEdit, e.origin},
        {a.destEdit, e.destination},    {a.viaEdit[0], e.via[0]},           {a.viaEdit[1], e.via[1]},
        {a.viaEdit[2], e.via[2]},       {a.viaDetailEdit[0], e.viaDetail[0]}, {a.viaDetailEdit[1], e.viaDetail[1]},
        {a.viaDetailEdit[2], e.viaDetail[2]}, {a.addViaButton, e.addVia},   {a.registerButton, e.registerButton},
        {a.closeButton, e.closeButton}, {a.holdButton, e.holdButton},       {a.inquiryButton, e.inquiryButton},
    };
    for (std::size_t i = 0; i < std::size(pairs); ++i) {
        EXPECT_FALSE(IsNull(pairs[i].second)) << "pair " << i;
        EXPECT_EQ(pairs[i].second, pairs[i].first) << "pair " << i;
    }
    (void)s;
}

TEST_F(XE4Discovery, WindowWaitZero) {
    DelayProfile profile = kNormalProfile;
    profile.windowWait = 0;
    Start();
    OrderRecord order = SimpleOrder();
    EXPECT_EQ(95, Enter(order, 1, 2, profile));
    EXPECT_EQ(0u, d_.SleepTotal());
    EXPECT_EQ(3u, sim_->EntryWindows().size()) << "three presses without looking";
    ShowHeld();
    EXPECT_EQ(11, Read(order, profile));
    EXPECT_EQ(0u, d_.SleepTotal());
}

// The read-back takes the first window in top-level order whose caller box is
// filled; a fresh one never. The entry takes only a fresh "접수(F9)" window.
TEST_F(XE4Discovery, WhichEntryWindowIsTaken) {
    Start();
    StoredOrder older = HeldOrder();
    older.customerPhone = u"01011112222";
    ShowHeld(older);
    ShowHeld();  // on top
    sim_->OpenEntryWindow();  // fresh, on top of both
    OrderRecord order = SimpleOrder();
    ASSERT_EQ(0, Read(order));
    EXPECT_EQ(u"01012345678", ReadField(order.customerPhone));
    EXPECT_EQ(0, CountWindows(sim::cmanerxe4::kConsultMapClass) + CountWindows(sim::cmanerxe4::kViaMapClass));
    EXPECT_TRUE(CommandsTo(adapter_->controls().entryWindow).empty()) << "no button of it is pressed";

    World none;
    none.Start();
    none.sim_->OpenEntryWindow();
    EXPECT_EQ(11, none.Read(order)) << "a fresh window holds no order";
    EXPECT_EQ(4000u, none.d_.SleepTotal());
}

TEST_F(XE4Discovery, CloseEntryWindowsClosesFreshOnesOnly) {
    Start();
    const Hwnd held = ShowHeld();
    const Hwnd fresh1 = sim_->OpenEntryWindow();
    const Hwnd fresh2 = sim_->OpenEntryWindow();
    NewAdapter().CloseEntryWindows(kNoWindow);
    EXPECT_EQ(0u, d_.SleepTotal()) << "nothing waits";
    EXPECT_EQ(2u, d_.PostedCount());
    d_.DeliverPosted();
    EXPECT_EQ(1u, CommandsTo(fresh1).size());
    EXPECT_EQ(1u, CommandsTo(fresh2).size());
    EXPECT_TRUE(CommandsTo(held).empty());
    EXPECT_EQ(std::vector<Hwnd>{held}, sim_->EntryWindows());
}

}  // namespace
}  // namespace qm::cmanerxe4test
