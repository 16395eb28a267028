// Finding LogiD5's windows and controls: the control map against the
// substitute's layout, every missing anchor, fresh and filled entry windows.
#include <algorithm>
#include <optional>
#include <vector>

#include "core/utf.h"

#include "tests/adapters/logid5_world.h"

namespace qm::logid5test {
namespace {

using C = CCallPortLogiD5::Controls;

struct Landing {
    const char* field;
    Hwnd C::*adapter;
    Hwnd EntryControls::*sim;
};
const Landing kLandings[] = {
    {"branchEdit", &C::branchEdit, &EntryControls::branch},
    {"branchDisplay", &C::branchDisplay, &EntryControls::branchDisplay},
    {"phoneEdit", &C::phoneEdit, &EntryControls::phone},
    {"phoneDisplay", &C::phoneDisplay, &EntryControls::phoneDisplay},
    {"phone2Edit", &C::phone2Edit, &EntryControls::phone2},
    {"fareEdit", &C::fareEdit, &EntryControls::fare},
    {"cashEdit", &C::cashEdit, &EntryControls::cash},
    {"postpaidEdit", &C::postpaidEdit, &EntryControls::postpaid},
    {"cardEdit", &C::cardEdit, &EntryControls::card},
    {"mileageEdit", &C::mileageEdit, &EntryControls::mileage},
    {"consignButton", &C::consignButton, &EntryControls::consign},
    {"driverMemoEdit", &C::driverMemoEdit, &EntryControls::driverMemo},
    {"memo2Edit", &C::memo2Edit, &EntryControls::memo2},
    {"payCombo", &C::payCombo, &EntryControls::payCombo},
    {"originEdit", &C::originEdit, &EntryControls::origin},
    {"originMapButton", &C::originMapButton, &EntryControls::originMap},
    {"originSearchButton", &C::originSearchButton, &EntryControls::originSearch},
    {"destEdit", &C::destEdit, &EntryControls::destination},
    {"destMapButton", &C::destMapButton, &EntryControls::destinationMap},
    {"destSearchButton", &C::destSearchButton, &EntryControls::destinationSearch},
    {"addViaButton", &C::addViaButton, &EntryControls::addVia},
    {"registerButton", &C::registerButton, &EntryControls::registerButton},
    {"cancelButton", &C::cancelButton, &EntryControls::cancel},
    {"holdButton", &C::holdButton, &EntryControls::hold},
    {"inquiryButton", &C::inquiryButton, &EntryControls::inquiry},
};

using LogiD5Discovery = LogiD5World;

TEST_F(LogiD5Discovery, EveryWalkOfTheControlMapLandsOnItsControl) {
    Start();
    CCallPortLogiD5& port = NewAdapter();
    ASSERT_EQ(0, port.OpenNewEntryWindow());
    ASSERT_EQ(0, port.FindControls(message_));
    const C& got = port.controls();
    const sim::logid5::EntryWindowInfo* info = sim_->EntryInfo(got.entryWindow);
    ASSERT_NE(nullptr, info);
    for (const Landing& l : kLandings) {
        EXPECT_FALSE(IsNull(info->controls.*l.sim)) << l.field;
        EXPECT_EQ(info->controls.*l.sim, got.*l.adapter) << l.field;
    }
    for (std::size_t k = 0; k < 3; ++k) EXPECT_EQ(info->controls.via[k], got.viaEdit[k]) << "via " << k;
}

// The first missing anchor decides; the window is cancelled by a click on its
// cancel button (when that was found) without awaiting LogiD5's question.
TEST_F(LogiD5Discovery, EachMissingAnchorEndsTheEntryWithItsCode) {
    struct Case {
        const char16_t* omit;     // a window LogiD5 leaves out
        const char16_t* renamed;  // or the entry button whose text is changed: "hold", "inquiry"
        bool plainCancel;
        int code;
        const char16_t* message;
    };
    const Case cases[] = {
        {nullptr, nullptr, true, 29, u"취소"},
        {u"취   소(&X)", nullptr, false, 29, u""},
        {u"대  기(&W)", nullptr, false, 29, u""},  // the cancel button moved up: no second window after register
        {u"출발지", nullptr, false, 30, u""},
        {u"업체지원", nullptr, false, 18, u""},
        {u"전화2", nullptr, false, 25, u""},
        {u"예약", nullptr, false, 13, u""},
        {u"업소비", nullptr, false, 23, u""},
        {u"경유추가", nullptr, false, 31, u""},
        {nullptr, u"hold", false, 92, u""},
        {nullptr, u"inquiry", false, 93, u""},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        World w;
        Options options;
        options.plainCancel = c.plainCancel;
        if (c.omit) options.omit = {c.omit};
        w.Start(options);
        Hwnd cancel{};
        w.OnNewEntry([&](Hwnd, const EntryControls& controls) {
            cancel = controls.cancel;
            if (c.renamed == nullptr) return;
            const bool hold = std::u16string_view(c.renamed) == u"hold";
            w.d_.SetCaption(hold ? controls.hold : controls.inquiry, hold ? u"대기" : u"문의하기");
        });
        OrderRecord order = SimpleOrder();
        EXPECT_EQ(c.code, w.Enter(order)) << "case " << i;
        EXPECT_EQ(c.message, w.message_) << "case " << i;
        EXPECT_EQ(c.code == 29 ? 0 : 1, IsNull(cancel) ? 0 : w.ClicksOn(cancel)) << "case " << i;
        EXPECT_EQ(c.code == 29 ? 1u : 0u, w.sim_->EntryWindows().size()) << "case " << i << ": an empty window closes";
        EXPECT_EQ(0, w.CountBoxes(u"취소")) << "case " << i;
    }
}

// Anchors searched twice: as the field diagnostic reports every row, each of
// them names its own code.
TEST_F(LogiD5Discovery, AnAnchorSearchedTwiceNamesBothCodes) {
    struct Case {
        const char16_t* omit;
        std::vector<int> codes;
    };
    const Case cases[] = {
        {u"출발지", {30, 32}},
        {u"업체지원", {18, 27}},
        {u"전화2", {25, 16}},
        {u"경유추가", {31, 53}},
    };
    for (const Case& c : cases) {
        World w;
        Options options;
        options.omit = {c.omit};
        w.Start(options);
        const Hwnd entry = w.sim_->OpenEntryWindow();
        C controls{};
        std::vector<ResolvedRow> report;
        EXPECT_EQ(c.codes[0], ResolveControls<C>(w.d_, entry, CCallPortLogiD5::ControlMap(), controls,
                                                 Resolve::EveryRow, &report));
        std::vector<int> missing;
        for (const ResolvedRow& row : report)
            if (IsNull(row.found)) missing.push_back(row.missingCode);
        EXPECT_EQ(c.codes, missing);
    }
}

TEST_F(LogiD5Discovery, ControlsWithoutAnEntryWindowAre11) {
    Start();
    EXPECT_EQ(11, NewAdapter().FindControls(message_));
}

TEST_F(LogiD5Discovery, TheWayToTheReceptionButton) {
    struct Case {
        const char16_t* omit;
        int code;
    };
    const Case cases[] = {
        {u"D5-", 4}, {u"MDIClient", 5}, {u"AfxFrameOrView140s", 7}, {u"메인리스트", 8}, {u"접  수", 10},
    };
    for (const Case& c : cases) {
        World w;
        Options options;
        options.omit = {c.omit};
        if (c.code == 4) {
            OrderRecord order = SimpleOrder();
            EXPECT_EQ(4, w.Enter(order)) << "no LogiD5 at all";
            continue;
        }
        w.Start(options);
        OrderRecord order = SimpleOrder();
        EXPECT_EQ(c.code, w.Enter(order)) << Utf16ToUtf8(c.omit);
        EXPECT_TRUE(w.sim_->EntryWindows().empty());
    }
}

// A new entry window is one whose customer search box is empty; a popup whose
// box holds text, or that has no dialog with "고객검색", is never taken.
TEST_F(LogiD5Discovery, NoFreshEntryWindowAfterThreePressesIs95) {
    for (int variant = 0; variant < 2; ++variant) {
        World w;
        Options options;
        if (variant == 0) options.omit = {u"고객검색"};
        w.Start(options);
        if (variant == 1)
            w.OnNewEntry([&w](Hwnd, const EntryControls& c) { w.d_.HostSetText(c.phone, u"010"); });
        w.d_.SetCursorPos({5, 5});
        CCallPortLogiD5& port = w.NewAdapter();
        EXPECT_EQ(95, port.OpenNewEntryWindow()) << variant;
        EXPECT_EQ(3u, w.sim_->EntryWindows().size()) << variant << ": three presses";
        EXPECT_TRUE(IsNull(port.controls().entryWindow)) << variant;
        EXPECT_EQ(static_cast<std::uint64_t>(3 * kNormalProfile.windowWait), w.d_.SleepTotal()) << variant;
        EXPECT_EQ(std::optional<Point>(Point{5, 5}), w.d_.GetCursorPos()) << variant << ": the cursor is back";
    }
}

// A filled window without the customer search is remembered but not taken: the
// search goes on and ends false with entryWindow set.
TEST_F(LogiD5Discovery, AFilledWindowWithoutTheCustomerSearchIsNotTaken) {
    Options options;
    options.omit = {u"고객검색"};
    Start(options);
    StoredOrder held;
    held.customerPhone = u"010-1234-5678";
    const Hwnd shown = sim_->OpenOrderForModify(sim_->AddOrder(held));
    OrderRecord order{};
    EXPECT_EQ(11, Read(order));
    const C& c = adapter_->controls();
    EXPECT_EQ(shown, c.entryWindow);
    EXPECT_EQ(sim_->EntryInfo(shown)->controls.phoneDisplay, c.phoneDisplay);
    EXPECT_FALSE(IsNull(c.registerButton));
    EXPECT_TRUE(IsNull(c.phoneEdit));
    EXPECT_EQ(static_cast<std::uint64_t>(kNormalProfile.windowWait), d_.SleepTotal());
}

// Slot 4 abandons every new-order window (by a click on its cancel button,
// the question answered) and leaves a stored order's "수   정(&E)" window alone.
TEST_F(LogiD5Discovery, CloseEntryWindowsAbandonsEveryNewOrderWindow) {
    Start();
    StoredOrder held;
    held.customerPhone = u"010-1234-5678";
    const Hwnd modify = sim_->OpenOrderForModify(sim_->AddOrder(held));
    for (int k = 0; k < 2; ++k) d_.HostSetText(sim_->EntryInfo(sim_->OpenEntryWindow())->controls.origin, u"서울역");
    NewAdapter().CloseEntryWindows(kNoWindow);
    EXPECT_EQ(std::vector<Hwnd>{modify}, sim_->EntryWindows());
    EXPECT_EQ(0, CountBoxes(u"취소"));
}

}  // namespace
}  // namespace qm::logid5test
