// Entering orders into the LogiD5 substitute: every way an entry ends, the
// rules LogiD5 has of its own, and the exact pauses of a whole entry.
#include <functional>

#include "tests/adapters/logid5_world.h"

namespace qm::logid5test {
namespace {

using LogiD5Entry = LogiD5World;

TEST_F(LogiD5Entry, PausesAddUpStepByStepAndLogiD5HoldsTheOrder) {
    const DelayProfile& p = kNormalProfile;
    Start();  // the customer lookup takes 300 ms
    OrderRecord order = FullOrder();
    ASSERT_EQ(0, Enter(order, 1, 2, p));

    const std::int64_t ss = p.shortSettle, as = p.actionSettle;
    const std::int64_t customerLooks = std::max<std::int64_t>(1, (300 - ss + 99) / 100);
    const std::int64_t placeOne = ss /*script*/ + p.mapSettle + ss /*set*/ + 2 * ss /*map button twice*/;
    const std::int64_t popupLooks = (p.placePopupWait + 99) / 100;  // LogiD5 offers no place popup
    const std::int64_t expected =
        100                                                         // the entry window, at the first look
        + Typed(p, Units(u"02-123-4567")) + 2 * ss + 100            // branch, Enter, shown at the first look
        + Typed(p, Units(u"010-1234-5678")) + 2 * ss + customerLooks * 100
        + ss                                                        // postpaid selected
        + Typed(p, Units(u"서울역")) + as + ss                      // origin, Enter
        + ss + Typed(p, Units(u"시청")) + as + ss                   // via 1 after its button, Enter
        + Typed(p, Units(u"강남역")) + as + ss                      // destination, Enter
        + popupLooks * 100                                          // no popup to close
        + ss + ss                                                   // the two place searches
        + 100 + as                                                  // the map dialog found, then hidden
        + placeOne + Typed(p, Units(u"서울역 [서울역 1번출구]"))   // origin placed, its text again
        + ss + placeOne + Typed(p, Units(u"강남역"))                // destination placed
        + Typed(p, 5) + ss                                          // fare
        + Typed(p, 4) + ss                                          // mileage
        + Typed(p, 4)                                               // cash, read at once
        + Typed(p, Units(u"02-1234-5678")) + ss                     // second telephone
        + ss + 100                                                  // consignment, LogiD5's warning answered
        + p.memoSettle + Typed(p, Units(u"조심히 운전")) + ss       // driver memo
        + Typed(p, Units(u"메모")) + ss                             // memo 2
        + 100 + 100;                                                // the read-back's map; register taken at the first look
    EXPECT_EQ(static_cast<std::uint64_t>(expected), d_.SleepTotal());

    ASSERT_EQ(1u, sim_->Orders().size());
    const StoredOrder& s = sim_->Orders()[0];
    EXPECT_EQ(u"registered", s.status);
    EXPECT_EQ(u"로지본사 > 강남지사 (02-123-4567)", s.branchDisplay);
    EXPECT_EQ(u"010-1234-5678", s.customerPhone);
    EXPECT_EQ(u"02-1234-5678", s.customerPhone2);
    EXPECT_EQ(u"후불", s.payType);
    EXPECT_EQ(u"12,000", s.fare);
    EXPECT_EQ(u"", s.postpaidAmount) << "the postpaid amount only selects the payment type";
    EXPECT_EQ(u"3,000", s.mileageAmount);
    EXPECT_EQ(u"2,000", s.cashAmount);
    EXPECT_TRUE(s.consignment);
    EXPECT_EQ(u"조심히 운전", s.driverMemo);
    EXPECT_EQ(u"메모", s.memo2);
    EXPECT_EQ(u"서울역 [서울역 1번출구]", s.origin.text);
    EXPECT_EQ(u"시청", s.via[0].text);
    ASSERT_TRUE(s.origin.position && s.destination.position);
    EXPECT_DOUBLE_EQ(37.5547, s.origin.position->lat);
    EXPECT_DOUBLE_EQ(127.0276, s.destination.position->lng);

    EXPECT_EQ(2, order.adapterKind) << "written into the freshly cleared record";
    EXPECT_EQ(u"강남지사", ReadField(order.branchName));
    EXPECT_EQ(u"01012345678", ReadField(order.customerPhone));
    EXPECT_EQ(u"서울역 1번출구", ReadField(order.origin.name));
    EXPECT_DOUBLE_EQ(37.4979, order.destination.x);
    EXPECT_EQ(0, order.payType) << "postpaid, mileage and cash positive";
    EXPECT_EQ(0, CountBoxes(u"지도보기") + CountBoxes(u"확인"));
}

// Every way an entry ends early: the code, the message, and the window
// abandoned by a click on its cancel button with LogiD5's question answered.
TEST_F(LogiD5Entry, EachFailureAbandonsTheWindow) {
    struct Case {
        const char* what;
        std::function<void(Options&, OrderRecord&)> setUp;
        std::function<void(World&, Hwnd entry, const EntryControls&)> onEntry;  // may be null
        const char16_t* pointScript;
        int code;
        const char16_t* message;
    };
    auto box = [](Hwnd EntryControls::*field, const char16_t* shown) {
        return [field, shown](World& w, Hwnd, const EntryControls& c) {
            const Hwnd b = c.*field;
            FakeDesktop& d = w.d_;
            d.AddAfterHook(b, [&d, b, shown](const testing::Message& m, std::intptr_t) {
                if (m.message == msg::WM_KEYDOWN && m.wParam == msg::VK_TAB) d.HostSetText(b, shown);
            });
        };
    };
    auto page = [](std::function<void(testing::FakePage&)> f) {
        return [f](World& w, Hwnd entry, const EntryControls&) { w.OnMapPage(entry, f); };
    };
    const Case cases[] = {
        {"unknown branch", [](Options&, OrderRecord& o) { WriteField(o.branchNumber, u"029999999"); }, nullptr,
         kPointScript, 66, u"src: 02-999-9999, get: "},
        {"unknown customer", [](Options&, OrderRecord& o) { WriteField(o.customerPhone, u"1234"); }, nullptr,
         kPointScript, 68, u"src: 1234, get: "},
        {"mixed without amounts", [](Options&, OrderRecord& o) { o.payType = 0; }, nullptr, kPointScript, 77, u""},
        {"card", [](Options&, OrderRecord& o) { o.payType = 2; }, nullptr, kPointScript, 65, u""},
        {"postpaid and card", [](Options&, OrderRecord& o) { o.payType = 3; WriteField(o.cardAmount, u"2000"); },
         nullptr, kPointScript, 65, u"payType: 후불, feeCard: 2000"},
        {"combo keeps cash", [](Options&, OrderRecord& o) { o.payType = 3; },
         [](World& w, Hwnd, const EntryControls& c) {
             w.d_.AddMessageHook(c.payCombo, [](const testing::Message& m) -> std::optional<std::intptr_t> {
                 if (m.message == msg::CB_SETCURSEL) return msg::CB_ERR;
                 return std::nullopt;
             });
         },
         kPointScript, 70, u"현금"},
        {"origin empty", [](Options&, OrderRecord& o) { WriteField(o.origin.name, u""); }, nullptr, kPointScript, 59, u""},
        {"destination empty", [](Options&, OrderRecord& o) { WriteField(o.destination.name, u""); }, nullptr,
         kPointScript, 60, u""},
        {"no map dialog", [](Options& op, OrderRecord&) { op.omit = {u"지도보기"}; }, nullptr, kPointScript, 36, u""},
        {"no set-origin button", [](Options& op, OrderRecord&) { op.omit = {u"출발지를 현위치로"}; }, nullptr,
         kPointScript, 37, u""},
        {"no set-destination button", [](Options& op, OrderRecord&) { op.omit = {u"도착지를 현위치로"}; }, nullptr,
         kPointScript, 38, u""},
        {"no browser", [](Options& op, OrderRecord&) { op.omit = {u"Internet Explorer_Server"}; }, nullptr,
         kPointScript, 39, u""},
        {"no accessible object", nullptr, page([](testing::FakePage& p) { p.fail.objectFromLresult = true; }),
         kPointScript, 43, u""},
        {"no parent window", nullptr, page([](testing::FakePage& p) { p.fail.parentWindow = true; }), kPointScript,
         46, u""},
        {"no eval", nullptr, page([](testing::FakePage& p) { p.fail.evalDispId = true; }), kPointScript, 48, u""},
        {"the page refuses the point", nullptr, nullptr, u"false", 63, u""},
        {"fare shown with a unit", [](Options& op, OrderRecord&) { op.amountSuffix = u"원"; }, nullptr, kPointScript,
         72, u"12,000원"},
        {"mileage shown otherwise", [](Options&, OrderRecord& o) { WriteField(o.mileageAmount, u"3000"); },
         box(&EntryControls::mileage, u"3,001"), kPointScript, 76, u"3,001"},
        {"cash shown otherwise", [](Options&, OrderRecord& o) { WriteField(o.cashAmount, u"2000"); },
         box(&EntryControls::cash, u"2,001"), kPointScript, 73, u"2,001"},
        {"second telephone shown otherwise", [](Options&, OrderRecord& o) { WriteField(o.customerPhone2, u"0212345678"); },
         [](World& w, Hwnd, const EntryControls& c) {
             const Hwnd b = c.phone2;
             FakeDesktop& d = w.d_;
             d.AddTextHook(b, [&d, b](Hwnd, const std::u16string& text) {
                 if (text == u"02-1234-5678") d.HostSetText(b, u"02-1234-5679");
             });
         },
         kPointScript, 69, u"02-1234-5679"},
        {"consignment locked", [](Options& op, OrderRecord& o) { op.consignLocked = true; o.consignment = 1; }, nullptr,
         kPointScript, 78, u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        World w;
        Options options;
        OrderRecord order = SimpleOrder();
        if (c.setUp) c.setUp(options, order);
        w.Start(options);
        Hwnd cancel{};
        w.OnNewEntry([&](Hwnd entry, const EntryControls& controls) {
            cancel = controls.cancel;
            if (c.onEntry) c.onEntry(w, entry, controls);
        });
        EXPECT_EQ(c.code, w.Enter(order, 1, 2, kNormalProfile, c.pointScript));
        EXPECT_EQ(c.message, w.message_);
        EXPECT_EQ(1, w.ClicksOn(cancel)) << "cancel clicked once";
        for (const auto& m : w.CommandsTo(w.adapter_->controls().entryWindow))
            EXPECT_NE(sim::logid5::kIdCancel, msg::LowWord(m.wParam)) << "never commanded";
        EXPECT_TRUE(w.sim_->EntryWindows().empty());
        EXPECT_TRUE(w.sim_->Orders().empty());
        EXPECT_EQ(0, w.CountBoxes(u"취소") + w.CountBoxes(u"지도보기") + w.CountBoxes(u"확인"));
    }
}

// Without a required branch only the first "지사를 선택하시기 바랍니다." box is
// closed; a second one stays.
TEST_F(LogiD5Entry, OnlyTheFirstSelectBranchBoxIsClosed) {
    Options options;
    options.doubleBranchBox = true;
    Start(options);
    OrderRecord order = SimpleOrder();
    WriteField(order.branchNumber, u"029999999");
    EXPECT_EQ(0, Enter(order, 0, 5));
    EXPECT_EQ(1, CountBoxes(u"알림"));
    EXPECT_EQ(1u, sim_->EntryWindows().size());
}

// A place search that finds nothing makes LogiD5 say so: the box is answered
// and the map still comes from the other search; with neither, 36.
TEST_F(LogiD5Entry, PlaceSearchBoxesAreAnsweredAndTheMapStillFound) {
    struct Case {
        std::vector<std::u16string> unknown;
        int code;
    };
    const Case cases[] = {{{u"서울역"}, 0}, {{u"강남역"}, 0}, {{u"서울역", u"강남역"}, 36}};
    for (const Case& c : cases) {
        World w;
        Options options;
        options.unknownPlaces = c.unknown;
        w.Start(options);
        OrderRecord order = SimpleOrder();
        EXPECT_EQ(c.code, w.Enter(order, 1, 2));
        EXPECT_EQ(0, w.CountBoxes(u"확인"));
        EXPECT_TRUE(w.sim_->EntryWindows().empty());
        ASSERT_EQ(c.code == 0 ? 1u : 0u, w.sim_->Orders().size());
        if (c.code == 0) {
            EXPECT_TRUE(w.sim_->Orders()[0].origin.position && w.sim_->Orders()[0].destination.position);
        }
    }
}

TEST_F(LogiD5Entry, RefusedMileageIs76NotSupportedAndTheWindowStaysOpen) {
    Options options;
    options.refuseMileage = true;
    Start(options);
    Hwnd cancel{};
    OnNewEntry([&cancel](Hwnd, const EntryControls& c) { cancel = c.cancel; });
    OrderRecord order = SimpleOrder();
    WriteField(order.mileageAmount, u"3000");
    EXPECT_EQ(76, Enter(order));
    EXPECT_EQ(u"미지원", message_);
    EXPECT_EQ(0, CountBoxes(u"확인")) << "LogiD5's refusal was answered";
    EXPECT_EQ(1u, sim_->EntryWindows().size());
    EXPECT_EQ(0, ClicksOn(cancel)) << "nothing cancelled";
}

TEST_F(LogiD5Entry, FinishActionsClickTheirButtonAndAwaitNothing) {
    struct Case {
        int finishAction;
        Hwnd EntryControls::*button;  // null: none clicked
        const char16_t* status;       // null: nothing stored
        bool windowOpen;
    };
    const Case cases[] = {
        {1, &EntryControls::cancel, nullptr, false},
        {2, &EntryControls::registerButton, u"registered", false},
        {3, &EntryControls::hold, u"held", false},
        {4, &EntryControls::inquiry, u"inquiry", false},
        {5, nullptr, nullptr, true},
        {0, nullptr, nullptr, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.finishAction);
        World w;
        w.Start();
        EntryControls controls;
        w.OnNewEntry([&controls](Hwnd, const EntryControls& made) { controls = made; });
        OrderRecord order = SimpleOrder();
        EXPECT_EQ(0, w.Enter(order, 1, c.finishAction));
        EXPECT_EQ(c.windowOpen ? 1u : 0u, w.sim_->EntryWindows().size());
        if (c.button) {
            EXPECT_EQ(1, w.ClicksOn(controls.*c.button));
        }
        for (Hwnd b : {controls.registerButton, controls.hold, controls.inquiry, controls.cancel})
            if (!c.button || b != controls.*c.button) {
                EXPECT_EQ(0, w.ClicksOn(b));
            }
        if (c.status == nullptr) {
            EXPECT_TRUE(w.sim_->Orders().empty());
        } else {
            ASSERT_EQ(1u, w.sim_->Orders().size());
            EXPECT_EQ(c.status, w.sim_->Orders()[0].status);
        }
        EXPECT_EQ(0, w.CountBoxes(u"취소"));
    }
}

// Where its button is missing, a finishing action clicks cancel instead.
TEST_F(LogiD5Entry, AMissingFinishingButtonMeansCancel) {
    const Hwnd reg{0x11}, hold{0x12}, inquiry{0x13}, cancel{0x14};
    CCallPortLogiD5::Controls all{};
    all.registerButton = reg;
    all.holdButton = hold;
    all.inquiryButton = inquiry;
    all.cancelButton = cancel;
    CCallPortLogiD5::Controls none{};
    none.cancelButton = cancel;
    struct Case {
        int finishAction;
        Hwnd withAll;
    };
    const Case cases[] = {{2, reg}, {3, hold}, {4, inquiry}, {1, kNoWindow}, {5, kNoWindow}};
    for (const Case& c : cases) {
        EXPECT_EQ(c.withAll, CCallPortLogiD5::FinishButton(all, c.finishAction)) << c.finishAction;
        EXPECT_EQ(IsNull(c.withAll) ? kNoWindow : cancel, CCallPortLogiD5::FinishButton(none, c.finishAction))
            << c.finishAction;
    }

    // Clicking cancel on the filled window asks LogiD5's question; nobody answers it.
    Start();
    OrderRecord order = SimpleOrder();
    ASSERT_EQ(0, Enter(order, 1, 5));
    CCallPortLogiD5::Controls live = adapter_->controls();
    live.registerButton = kNoWindow;
    PostClick(d_, CCallPortLogiD5::FinishButton(live, 2));
    d_.DeliverPosted();
    EXPECT_EQ(1, CountBoxes(u"취소"));
    EXPECT_EQ(1u, sim_->EntryWindows().size());
}

// LogiD5 stops answering after the origin search: the entry ends with 99 at
// the next step, without abandoning a program that cannot answer.
TEST_F(LogiD5Entry, HungDispatchProgramEndsTheEntryWith99) {
    Options options;
    options.hangAfterCommand = sim::logid5::kIdOriginSearch;
    Start(options);
    Hwnd cancel{}, entry{};
    OnNewEntry([&](Hwnd window, const EntryControls& c) {
        cancel = c.cancel;
        entry = window;
    });
    OrderRecord order = SimpleOrder();
    EXPECT_EQ(99, Enter(order));
    EXPECT_TRUE(d_.NotResponding());
    EXPECT_EQ(0, ClicksOn(cancel));
    // The map dialog it opened before it hung is left as it is: hiding another
    // program's window waits for that program, without a bound.
    const sim::logid5::EntryWindowInfo* info = sim_->EntryInfo(entry);
    ASSERT_NE(nullptr, info);
    EXPECT_TRUE(d_.IsVisible(info->mapDialog));
    EXPECT_LE(d_.BlockedTotal(), 2u * FakeDesktop::kSendTimeoutMs) << "bounded";
}

}  // namespace
}  // namespace qm::logid5test
