// Finding Icon2013's windows: the way to a fresh order window, every walk of
// the order dialog's control map, the map dialog, and closing order windows.
#include "core/result_codes.h"
#include "tests/adapters/icon2013_world.h"

namespace qm::icon2013test {
namespace {

using IconDiscovery = Icon2013World;
using C = CCallPortIcon2013::Controls;

// Every field of the adapter's map and the substitute's control it must reach.
TEST_F(IconDiscovery, EveryWalkOfTheControlMapLandsOnItsControl) {
    for (bool alt : {false, true}) {
        SCOPED_TRACE(alt);
        World w;
        Options o;
        o.altButtons = alt;
        w.Start(o);
        CCallPortIcon2013& a = w.NewAdapter();
        ASSERT_EQ(0, a.OpenNewOrderWindow());
        ASSERT_EQ(0, a.FindControls());
        const auto* info = w.Only();
        ASSERT_NE(nullptr, info);
        const OrderControls& s = info->controls;
        const C& c = a.controls();
        const std::pair<Hwnd, Hwnd> pairs[] = {
            {c.orderDialog, info->dialog}, {c.customerSearchEdit, s.search}, {c.registerButton, s.registerButton},
            {c.branchCombo, s.branch}, {c.phoneEdit, s.phone}, {c.phone2Edit, s.phone2}, {c.fareEdit, s.fare},
            {c.payAmountEdit, s.payAmount}, {c.consignButton, s.consign}, {c.driverMemoEdit, s.driverMemo},
            {c.memo2Edit, s.memo2}, {c.payCombo, s.payCombo}, {c.originEdit, s.origin},
            {c.originMapButton, s.originMap}, {c.destEdit, s.destination}, {c.destMapButton, s.destinationMap},
            {c.viaEdit[0], s.via[0]}, {c.viaEdit[1], s.via[1]}, {c.viaEdit[2], s.via[2]},
            {c.viaDetailEdit[0], s.viaDetail[0]}, {c.viaDetailEdit[1], s.viaDetail[1]},
            {c.viaDetailEdit[2], s.viaDetail[2]}, {c.addViaButton, s.addVia}, {c.viaMapButton[0], s.viaMap[0]},
            {c.viaMapButton[1], s.viaMap[1]}, {c.viaMapButton[2], s.viaMap[2]}, {c.closeButton, s.close},
            {c.holdButton, s.hold}, {c.inquiryButton, s.inquiry},
        };
        for (std::size_t i = 0; i < std::size(pairs); ++i) {
            EXPECT_FALSE(IsNull(pairs[i].second)) << i;
            EXPECT_EQ(pairs[i].second, pairs[i].first) << "field " << i;
        }
        EXPECT_EQ(alt ? u"추가대기(T)" : u"대기(W)", w.d_.Caption(c.holdButton));
    }
}

// The first missing anchor decides; the entry then closes the window when it
// found its close button.
TEST_F(IconDiscovery, EachMissingAnchorHasItsCode) {
    struct Case {
        std::vector<std::u16string> omit;
        int code;
    };
    const Case cases[] = {
        {{u"닫기(X)"}, 29}, {{u"출발"}, 30}, {{u"도착"}, 33}, {{u"경유"}, 53}, {{u"축소"}, 54},
        {{u"요금"}, 18}, {{u"기사\n메모"}, 25}, {{u"결제"}, 27}, {{u"확대"}, 26}, {{u"접수점"}, 13},
        {{u"S"}, 16}, {{u"탁송"}, 23}, {{u"대기(W)"}, 92}, {{u"문의(F9)"}, 93},
        {{u"결제", u"닫기(X)", u"탁송"}, 29},  // every other anchor may be missing too
        {{u"탁송", u"요금"}, 18},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        World w;
        Options o;
        o.omit = c.omit;
        w.Start(o);
        OrderRecord order = SimpleOrder();
        EXPECT_EQ(c.code, w.Enter(order));
        EXPECT_EQ(c.code == 29 ? 1u : 0u, w.sim_->OrderWindows().size());
    }
    World w;
    w.Start();
    EXPECT_EQ(12, w.NewAdapter().FindControls()) << "no order dialog yet";
}

TEST_F(IconDiscovery, TheWayToAFreshOrderWindow) {
    struct Case {
        std::vector<std::u16string> omit;
        bool running;
        int code;
        std::uint64_t pauses;
    };
    const Case cases[] = {
        {{}, false, 4, 900},                 // ten looks for the main window
        {{u"AfxMDIFrame90"}, true, 6, 0},
        {{u"오더조회"}, true, 9, 0},
        {{u"접수"}, true, 10, 0},
        {{u"신규접수"}, true, 95, 3 * 4000},  // windows come, none passes the test
        {{}, true, 0, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        World w;
        Options o;
        o.omit = c.omit;
        if (c.running) w.Start(o);
        w.d_.ClearSleepLog();
        const std::optional<Point> cursor = w.d_.GetCursorPos();
        EXPECT_EQ(c.code, w.NewAdapter().OpenNewOrderWindow());
        EXPECT_EQ(c.pauses, w.d_.SleepTotal());
        EXPECT_EQ(cursor, w.d_.GetCursorPos()) << "the cursor is put back";
        if (c.code == 95) {
            EXPECT_EQ(3u, w.sim_->OrderWindows().size()) << "three presses";
        }
    }
}

// A window that already holds an order (its search box is filled) is not a fresh one.
TEST_F(IconDiscovery, AnOrderInProgressIsNotTakenForAFreshWindow) {
    Start();
    OrderRecord order = SimpleOrder();
    ASSERT_EQ(0, Enter(order, 1, 0));
    const Hwnd first = sim_->OrderWindows()[0];
    CCallPortIcon2013& a = NewAdapter();
    ASSERT_EQ(0, a.OpenNewOrderWindow());
    EXPECT_EQ(2u, sim_->OrderWindows().size());
    EXPECT_NE(sim_->OrderInfo(first)->dialog, a.controls().orderDialog);
}

TEST_F(IconDiscovery, TheMapDialog) {
    {
        World w;
        w.Start();
        DelayProfile none = kNormalProfile;
        none.mapWait = 0;
        MapDialogHandles map{};
        EXPECT_EQ(36, w.NewAdapter(none).FindMapDialog(map));
        EXPECT_EQ(0u, w.d_.SleepTotal()) << "a budget of 0 sleeps never";
    }
    {
        // A "지도검색" child window is no map dialog.
        World w;
        w.Start();
        w.d_.Create({.behaviour = testing::Behaviour::Dialog, .text = u"지도검색", .parent = w.sim_->MainWindow(),
                     .rect = {0, 0, 100, 100}});
        MapDialogHandles map{};
        EXPECT_EQ(36, w.NewAdapter().FindMapDialog(map));
    }
    {
        // A late map dialog is awaited in 100 ms steps.
        World w;
        Options o;
        o.mapDelayMs = 250;
        w.Start(o);
        CCallPortIcon2013& a = w.NewAdapter();
        ASSERT_EQ(0, a.OpenNewOrderWindow());
        ASSERT_EQ(0, a.FindControls());
        w.d_.ClearSleepLog();
        SendClick(w.d_, a.controls().originMapButton, false);
        MapDialogHandles map{};
        EXPECT_EQ(0, a.FindMapDialog(map));
        EXPECT_EQ(300u, w.d_.SleepTotal());
        EXPECT_EQ(w.sim_->MapDialog(), map.dialog);
        EXPECT_EQ(w.sim_->MapBrowser(), map.browser);
    }
}

// Slot 4: every order window gets its close command, 100 ms after each; a
// window that ignores it does not keep the passes going.
TEST_F(IconDiscovery, ClosingEveryOrderWindow) {
    for (bool ignoring : {false, true}) {
        SCOPED_TRACE(ignoring);
        World w;
        Options o;
        o.ignoreClose = ignoring;
        w.Start(o);
        for (int i = 0; i < 3; ++i) w.sim_->OpenOrderWindow();
        const std::vector<Hwnd> windows = w.sim_->OrderWindows();
        w.d_.ClearSleepLog();
        w.NewAdapter().CloseEntryWindows(kNoWindow);
        EXPECT_EQ(ignoring ? 3u : 0u, w.sim_->OrderWindows().size());
        if (ignoring) {
            for (Hwnd h : windows) EXPECT_EQ(1, w.sim_->OrderInfo(h)->closeRequests) << "told once";
            EXPECT_EQ(300u, w.d_.SleepTotal());
        } else {
            EXPECT_EQ(300u, w.d_.SleepTotal()) << "one pass closes them all, the next finds none";
        }
    }
    World none;
    none.Start();
    none.d_.ClearSleepLog();
    none.NewAdapter().CloseEntryWindows(none.sim_->MainWindow());
    EXPECT_EQ(0u, none.d_.SleepTotal());
    World absent;
    absent.NewAdapter().CloseEntryWindows(kNoWindow);  // no Icon2013: nothing to do
}

}  // namespace
}  // namespace qm::icon2013test
