// Entering orders into the Icon2013 substitute: every way an entry ends, the
// real click of the add-via button, payment and memo rules, the map dialog
// kept and restored, and the exact pauses of a whole entry.
#include <cmath>

#include "tests/adapters/icon2013_world.h"

namespace qm::icon2013test {
namespace {

using IconEntry = Icon2013World;

std::size_t Units(const char16_t* s) { return std::char_traits<char16_t>::length(s); }

// TypeAndConfirm of n units.
std::int64_t Typed(const DelayProfile& p, std::size_t n) {
    return 3 * p.shortSettle + static_cast<std::int64_t>(n) * p.keyDelay;
}

TEST_F(IconEntry, AWholeEntryTakesExactlyItsPausesAndIcon2013HoldsTheOrder) {
    const DelayProfile& p = kNormalProfile;
    Start();
    OrderRecord order = FullOrder();
    ASSERT_EQ(0, Enter(order, 1, 2, p));

    const std::int64_t ss = p.shortSettle, as = p.actionSettle;
    const std::int64_t place = ss /*script*/ + p.mapSettle + 2 * ss /*click, command*/;
    const std::int64_t expected = 100                                 // the order window, at the first look
                                  + 2 * ss                             // customer search
                                  + Typed(p, 10) + ss                  // second telephone
                                  + Typed(p, Units(u"[서울역] 경유) 탁)")) + as
                                  + Typed(p, Units(u"강남역")) + as
                                  + Typed(p, Units(u"용산역")) + as     // via 1
                                  + 3 * 200 + ss + Typed(p, Units(u"삼각지역")) + as  // via 2 after its row
                                  + 100 + as + place + ss + place      // the map dialog, origin, destination
                                  + ss                                 // consignment
                                  + 2 * ss + 2 * ss                    // fare, card amount
                                  + 2 * ss                             // driver memo
                                  + Typed(p, Units(u"현관 앞")) + ss   // second memo
                                  + 100 + 3 * ss;                      // read-back: map, destination, two vias
    EXPECT_EQ(static_cast<std::uint64_t>(expected), d_.SleepTotal());

    // What Icon2013 stored.
    ASSERT_EQ(1u, sim_->Orders().size());
    const StoredOrder& s = sim_->Orders()[0];
    EXPECT_EQ(u"registered", s.status);
    EXPECT_EQ(u"강남지사 (02-555-1234)", s.branchDisplay);
    EXPECT_EQ(u"010-1234-5678", s.customerPhone);
    EXPECT_EQ(u"02-9876-5432", s.customerPhone2);
    EXPECT_EQ(u"카드결제", s.payType);
    EXPECT_EQ(u"20,000", s.fare);
    EXPECT_EQ(u"15,000", s.cardAmount);
    EXPECT_TRUE(s.consignment);
    EXPECT_EQ(u"조심히", s.driverMemo);
    EXPECT_EQ(u"현관 앞", s.memo2);
    EXPECT_EQ(u"[서울역] 경유) 탁)", s.origin.text) << "the set button wrote the place back without the blank";
    ASSERT_TRUE(s.origin.position && s.destination.position);
    EXPECT_DOUBLE_EQ(37.5547, s.origin.position->lat);
    EXPECT_DOUBLE_EQ(126.9706, s.origin.position->lng);
    EXPECT_DOUBLE_EQ(37.4979, s.destination.position->lat);
    EXPECT_DOUBLE_EQ(127.0276, s.destination.position->lng);
    EXPECT_EQ(u"용산역", s.via[0].text);
    EXPECT_EQ(u"삼각지역", s.via[1].text);
    EXPECT_EQ(u"", s.via[2].text);

    // The block returns the window as Icon2013 showed it.
    EXPECT_EQ(4, order.adapterKind);
    EXPECT_EQ(1, order.oleaccLoaded);
    EXPECT_EQ(u"강남지사", ReadField(order.branchName));
    EXPECT_EQ(u"025551234", ReadField(order.branchNumber));
    EXPECT_EQ(u"01012345678", ReadField(order.customerPhone));
    EXPECT_EQ(u"0298765432", ReadField(order.customerPhone2));
    EXPECT_EQ(0, order.payType) << "the card pays part of the fare";
    EXPECT_EQ(u"20000", ReadField(order.fare));
    EXPECT_EQ(u"15000", ReadField(order.cardAmount));
    EXPECT_EQ(u"5000", ReadField(order.cashAmount));
    EXPECT_EQ(1, order.consignment);
    EXPECT_EQ(u"서울역", ReadField(order.origin.name));
    EXPECT_DOUBLE_EQ(37.5547, order.origin.x);
    EXPECT_DOUBLE_EQ(127.0276, order.destination.y);
    EXPECT_EQ(u"한강로3가 용산역", ReadField(order.via[0].name)) << "the detail is cut at 【";
    EXPECT_EQ(u"서울 용산구 한강로3가 【용산역 광장】", ReadField(order.via[0].fullText));
    EXPECT_DOUBLE_EQ(37.5298, order.via[0].x);
    EXPECT_EQ(u"한강로1가 삼각지역", ReadField(order.via[1].name));
    EXPECT_DOUBLE_EQ(126.9731, order.via[1].y);
    EXPECT_EQ(u"", ReadField(order.via[2].name));
    EXPECT_EQ(u"조심히", ReadField(order.driverMemo));

    // The card window was answered; the map dialog was made once and is hidden.
    EXPECT_EQ(0, CountWindows(u"카드결제"));
    EXPECT_EQ(1, sim_->MapDialogsMade());
    EXPECT_FALSE(d_.IsVisible(sim_->MapDialog()));
}

// The add-via button's command shows the next row; the real click 10 pixels
// below its corner lands on that row's detail box, and the button follows.
TEST_F(IconEntry, EachRealClickLandsOnTheViaRowJustShown) {
    Start();
    OrderRecord order = SimpleOrder();
    const char16_t* names[] = {u"시청", u"용산역", u"삼각지역"};
    for (int k = 0; k < 3; ++k) {
        WriteField(order.via[k].name, names[k]);
        WriteField(order.via[k].fullText, names[k]);
    }
    ASSERT_EQ(0, Enter(order, 1, 0));
    const auto* info = Only();
    ASSERT_NE(nullptr, info);
    EXPECT_EQ(3, info->viaRows);
    ASSERT_EQ(2u, info->viaClicks.size());
    EXPECT_EQ(1, info->viaClicks[0].row);
    EXPECT_EQ(2, info->viaClicks[1].row);
    std::vector<Hwnd> reached;
    for (const testing::RealClick& c : d_.RealClicks())
        if (c.down) reached.push_back(c.window);
    EXPECT_EQ((std::vector<Hwnd>{info->controls.viaDetail[1], info->controls.viaDetail[2]}), reached);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(names[k], d_.Text(info->controls.via[k])) << k;
    EXPECT_TRUE(info->points.via[1].has_value()) << "Icon2013 looked the typed via up on Enter";
}

TEST_F(IconEntry, AViaWithoutFullTextEndsTheViaPoints) {
    Start();
    OrderRecord order = SimpleOrder();
    WriteField(order.via[0].name, u"시청");  // no fullText: not entered, nor the ones after it
    WriteField(order.via[1].name, u"용산역");
    WriteField(order.via[1].fullText, u"용산역");
    ASSERT_EQ(0, Enter(order, 1, 0));
    const auto* info = Only();
    ASSERT_NE(nullptr, info);
    EXPECT_EQ(1, info->viaRows);
    EXPECT_TRUE(d_.RealClicks().empty());
    EXPECT_EQ(u"", d_.Text(info->controls.via[0]));
}

// How an entry ends when a step fails: the code, the message, and whether the
// order window was closed.
TEST_F(IconEntry, FailuresTable) {
    enum class Window { Closed, Open };
    struct Case {
        const char* what;
        std::function<void(OrderRecord&)> edit;
        std::function<void(World&)> arrange;  // starts the substitute, or hooks it once it runs
        int code;
        const char16_t* message;
        Window window;
    };
    auto refuseTyping = [](Hwnd OrderControls::*box) {
        return [box](World& w) {
            w.Start();
            w.OnNewOrder([&w, box](Hwnd, const OrderControls& c) {
                w.d_.AddMessageHook(c.*box, [](const testing::Message& m) -> std::optional<std::intptr_t> {
                    if (m.message == msg::WM_CHAR) return 0;
                    return std::nullopt;
                });
            });
        };
    };
    auto options = [](Options o) { return [o](World& w) { w.Start(o); }; };
    Options omitMap, omitSetOrigin, omitSetDest, omitBrowser, slowCustomer;
    omitMap.omit = {u"지도검색"};
    omitSetOrigin.omit = {u"출발지 설정"};
    omitSetDest.omit = {u"도착지 설정"};
    omitBrowser.omit = {u"Internet Explorer_Server"};
    slowCustomer.customerDelayMs = 5000;
    const Case cases[] = {
        {"unknown branch", [](OrderRecord& o) { WriteField(o.branchNumber, u"0299999999"); }, nullptr, 66, u"",
         Window::Closed},
        {"customer not found", [](OrderRecord& o) { WriteField(o.customerPhone, u"123"); }, nullptr, 68, u"",
         Window::Closed},
        {"customer too slow", nullptr, options(slowCustomer), 68, u"", Window::Closed},
        {"phone with hyphens", [](OrderRecord& o) { WriteField(o.customerPhone, u"010-1234-5678"); }, nullptr, 68,
         u"src: 010-1234-5678, get: 01012345678", Window::Closed},
        {"second phone refused", [](OrderRecord& o) { WriteField(o.customerPhone2, u"0298765432"); },
         refuseTyping(&OrderControls::phone2), 69, u"", Window::Closed},
        {"second phone with hyphens", [](OrderRecord& o) { WriteField(o.customerPhone2, u"02-9876-5432"); }, nullptr,
         69, u"02-9876-5432", Window::Closed},
        {"origin refused", nullptr, refuseTyping(&OrderControls::origin), 59, u"", Window::Closed},
        {"destination empty", [](OrderRecord& o) { WriteField(o.destination.name, u""); }, nullptr, 60, u"",
         Window::Closed},
        {"map never comes", nullptr, options(omitMap), 36, u"", Window::Open},
        {"no set-origin button", nullptr, options(omitSetOrigin), 37, u"", Window::Open},
        {"no set-destination button", nullptr, options(omitSetDest), 38, u"", Window::Open},
        {"no browser", nullptr, options(omitBrowser), 39, u"", Window::Open},
        {"mixed without amounts", [](OrderRecord& o) { o.payType = 0; WriteField(o.cardAmount, u"0"); }, nullptr, 77,
         u"", Window::Closed},
        {"fare with a comma", [](OrderRecord& o) { WriteField(o.fare, u"12,000"); }, nullptr, 72, u"12,000",
         Window::Closed},
        {"fare empty", [](OrderRecord& o) { WriteField(o.fare, u""); }, nullptr, 72, u"", Window::Closed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        World w;
        if (c.arrange) c.arrange(w);
        if (!w.sim_) w.Start();
        OrderRecord order = SimpleOrder();
        if (c.edit) c.edit(order);
        EXPECT_EQ(c.code, w.Enter(order));
        EXPECT_EQ(c.message, w.message_);
        EXPECT_EQ(c.window == Window::Open ? 1u : 0u, w.sim_->OrderWindows().size());
        EXPECT_TRUE(w.sim_->Orders().empty());
    }
}

// Placing a point: the page's answer decides; a failure restores and closes
// the map and closes the order window. A point script that does not take
// (double, double, text) in this order runs nothing.
TEST_F(IconEntry, MapPlacementFailures) {
    struct Case {
        const char16_t* pointScript;
        std::function<void(testing::FakePage&)> breakPage;
        int code;
        std::size_t scriptsRun;
    };
    const Case cases[] = {
        {u"lat = %f; lng = %f; %s(lat, lng); false", nullptr, 63, 1},
        {u"false", nullptr, 63, 0},  // takes no arguments: refused
        {u"%s(%f, %f)", nullptr, 63, 0},
        {u"lat = %f; lng = %f", nullptr, 63, 0},
        {u"lat = %f; lng = %f; %s(lat, lng); %d", nullptr, 63, 0},
        {kPointScript, [](testing::FakePage& pg) { pg.fail.evalDispId = true; }, 48, 0},
        {kPointScript,
         [](testing::FakePage& pg) {
             pg.eval = [n = 0](const std::u16string&) mutable { return testing::ScriptBool(++n == 1); };
         },
         63, 2},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(i);
        World w;
        w.Start();
        std::shared_ptr<testing::FakePage> page;
        w.OnMapPage([&](testing::FakePage& pg) {
            if (c.breakPage) c.breakPage(pg);
        });
        OrderRecord order = SimpleOrder();
        EXPECT_EQ(c.code, w.Enter(order, 1, 2, kNormalProfile, c.pointScript));
        EXPECT_TRUE(w.sim_->OrderWindows().empty());
        ASSERT_FALSE(IsNull(w.sim_->MapDialog()));
        EXPECT_FALSE(w.d_.IsVisible(w.sim_->MapDialog())) << "restored, then closed (hidden)";
        EXPECT_FALSE(w.d_.IsMinimized(w.sim_->MapDialog()));
        EXPECT_EQ(c.scriptsRun, w.d_.Page(w.sim_->MapBrowser())->scripts.size());
    }
}

// The set buttons rewrite the box beside the place; what it held before is put back.
TEST_F(IconEntry, TheKeptBoxesAreRestoredAfterTheSetButtons) {
    for (bool prefilled : {false, true}) {
        SCOPED_TRACE(prefilled);
        World w;
        w.Start();
        if (prefilled) {
            w.OnNewOrder([&w](Hwnd, const OrderControls& c) {
                w.d_.HostSetText(c.originDetail, u"1번 출구 앞");
                w.d_.HostSetText(c.destinationDetail, u"2번 출구");
            });
        }
        OrderRecord order = SimpleOrder();
        ASSERT_EQ(0, w.Enter(order, 1, 0));
        const auto* info = w.Only();
        ASSERT_NE(nullptr, info);
        EXPECT_EQ(prefilled ? u"1번 출구 앞" : u"지도위치 (37.5547, 126.9706)", w.d_.Text(info->controls.originDetail));
        EXPECT_EQ(prefilled ? u"2번 출구" : u"지도위치 (37.4979, 127.0276)",
                  w.d_.Text(info->controls.destinationDetail));
        const auto& scripts = w.d_.Page(w.sim_->MapBrowser())->scripts;
        ASSERT_EQ(4u, scripts.size()) << "two placements, two reads";
        EXPECT_EQ(u"lat = 37.554700; lng = 126.970600; onTMapRClick4OrdPoiStart(lat, lng)", scripts[0]);
        EXPECT_EQ(u"lat = 37.497900; lng = 127.027600; onTMapRClick4OrdPoiEnd(lat, lng)", scripts[1]);
    }
}

// The payment combo's item follows the (derived) type; a card payment's
// selection window is closed; the amount goes to the box beside the combo.
TEST_F(IconEntry, PaymentTable) {
    struct Case {
        int payType;
        const char16_t* postpaid;
        const char16_t* mileage;
        const char16_t* card;
        int item;                 // in "현금", "후불", "마일리지", "카드결제"
        const char16_t* amount;   // the box beside the combo
        int readType;             // what the read-back makes of it (fare 12000)
    };
    const Case cases[] = {
        {1, u"", u"", u"5000", 0, u"", 1},
        {3, u"12000", u"", u"", 1, u"12,000", 3},
        {4, u"", u"3000", u"", 2, u"3,000", 0},
        {2, u"", u"", u"12000", 3, u"12,000", 2},
        {0, u"5000", u"", u"7000", 1, u"5,000", 0},   // postpaid comes first
        {0, u"", u"2000", u"7000", 2, u"2,000", 0},   // then mileage
        {0, u"0", u"-1", u"7000", 3, u"7,000", 0},    // then the card
        {7, u"", u"", u"", 0, u"", 1},                // another value selects cash
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(i);
        World w;
        w.Start();
        OrderRecord order = SimpleOrder();
        order.payType = c.payType;
        WriteField(order.postpaidAmount, c.postpaid);
        WriteField(order.mileageAmount, c.mileage);
        WriteField(order.cardAmount, c.card);
        ASSERT_EQ(0, w.Enter(order, 1, 0));
        const auto* info = w.Only();
        ASSERT_NE(nullptr, info);
        EXPECT_EQ(c.item, w.d_.ComboSelection(info->controls.payCombo));
        EXPECT_EQ(c.amount, w.d_.Text(info->controls.payAmount));
        EXPECT_EQ(c.item == 3 ? 1 : 0, info->cardWindows);
        EXPECT_EQ(0, w.CountWindows(u"카드결제"));
        EXPECT_EQ(c.readType, order.payType);
    }
}

TEST_F(IconEntry, TheDriverMemoKeepsWhatIcon2013HoldsAndIsNotWrittenTwice) {
    struct Case {
        const char16_t* before;
        const char16_t* memo;
        const char16_t* after;
        int setTexts;
    };
    const Case cases[] = {
        {u"", u" 조심히 ", u"조심히", 1},
        {u"단골", u"조심히", u"단골, 조심히", 1},
        {u"단골, 조심히 운전", u"조심히", u"단골, 조심히 운전", 0},
        {u"단골", u"   ", u"단골", 0},
    };
    for (const Case& c : cases) {
        World w;
        w.Start();
        w.OnNewOrder([&w, &c](Hwnd, const OrderControls& ctl) { w.d_.HostSetText(ctl.driverMemo, c.before); });
        OrderRecord order = SimpleOrder();
        WriteField(order.driverMemo, c.memo);
        ASSERT_EQ(0, w.Enter(order, 1, 0));
        const Hwnd box = w.Only()->controls.driverMemo;
        EXPECT_EQ(c.after, w.d_.Text(box)) << std::string(c.memo, c.memo + 0);
        EXPECT_EQ(static_cast<std::size_t>(c.setTexts),
                  testing::OnlyMessages(testing::PortOnly(w.d_.Messages(box)), {msg::WM_SETTEXT}).size());
    }
}

TEST_F(IconEntry, BranchSelection) {
    struct Case {
        const char16_t* name;
        const char16_t* number;
        int selected;  // -1: none
    };
    const Case cases[] = {
        {u"강남지사", u"025551234", 1},
        {u"서초지사", u"025555678", 2},   // the item's name carries "접수창"
        {u"수원지사", u"025551234", 1},   // the number decides; no name match: the first item of the number
        {u"", u"0315551234", 3},
        {u"강남지사", u"", 1},            // an empty number is in every item: the name decides
        {u"", u"5551234", 1},             // part of the number
        {u"", u"555", 0},                 // in every item, and so is the empty name: the first
        {u"강남지사", u"0299999999", -1},
    };
    for (const Case& c : cases) {
        World w;
        w.Start();
        OrderRecord order = SimpleOrder();
        WriteField(order.branchName, c.name);
        WriteField(order.branchNumber, c.number);
        EXPECT_EQ(0, w.Enter(order, 0, 0));
        EXPECT_EQ(c.selected, w.d_.ComboSelection(w.Only()->controls.branch));
    }
}

// The finishing button as finishAction names it; the alternative texts serve alike.
TEST_F(IconEntry, FinishActions) {
    struct Case {
        int action;
        bool altButtons;
        const char16_t* status;  // null: nothing stored
        bool open;
    };
    const Case cases[] = {
        {1, false, nullptr, false}, {2, false, u"registered", false}, {3, false, u"held", false},
        {4, false, u"inquiry", false}, {3, true, u"held", false},  {4, true, u"inquiry", false},
        {0, false, nullptr, true},  {9, false, nullptr, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.action);
        World w;
        Options o;
        o.altButtons = c.altButtons;
        w.Start(o);
        OrderRecord order = SimpleOrder();
        EXPECT_EQ(0, w.Enter(order, 1, c.action));
        EXPECT_EQ(c.open ? 1u : 0u, w.sim_->OrderWindows().size());
        if (c.status) {
            ASSERT_EQ(1u, w.sim_->Orders().size());
            EXPECT_EQ(c.status, w.sim_->Orders()[0].status);
        } else {
            EXPECT_TRUE(w.sim_->Orders().empty());
        }
    }
}

TEST_F(IconEntry, AHungIcon2013EndsTheEntryWith99) {
    Options o;
    o.hangAfterCommand = sim::icon2013::kIdOriginMap;
    Start(o);
    OrderRecord order = SimpleOrder();
    EXPECT_EQ(99, Enter(order));
    EXPECT_LE(d_.BlockedTotal(), 2u * FakeDesktop::kSendTimeoutMs) << "one bounded send, not one per step";
}

}  // namespace
}  // namespace qm::icon2013test
