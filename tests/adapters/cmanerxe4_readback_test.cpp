// Reading an order back from a CManerXE4 entry window: every field, the
// branch, payment, amount, via and consignment rules, and both map windows.
#include "core/result_codes.h"
#include "tests/adapters/cmanerxe4_world.h"

namespace qm::cmanerxe4test {
namespace {

using sim::cmanerxe4::kConsultMapClass;
using sim::cmanerxe4::kViaMapClass;

using XE4ReadBack = CManerXE4World;

TEST_F(XE4ReadBack, EveryFieldAndEveryPosition) {
    Start();
    StoredOrder s = HeldOrder();
    s.via[1] = {u"시청", sim::cmanerxe4::GeoPoint{37.5657, 126.9769}};
    s.extra["viaDetail2"] = u"시청";
    const Hwnd entry = ShowHeld(s);
    OrderRecord order{};
    ASSERT_EQ(0, Read(order));
    EXPECT_EQ(u"", message_);
    EXPECT_EQ(3, order.adapterKind);
    EXPECT_EQ(1, order.oleaccLoaded);
    EXPECT_EQ(u"강남지사", ReadField(order.branchName));
    EXPECT_EQ(u"021234567", ReadField(order.branchNumber));
    EXPECT_EQ(u"01012345678", ReadField(order.customerPhone));
    EXPECT_EQ(u"0212345678", ReadField(order.customerPhone2));
    EXPECT_EQ(u"(경유) 서울역 [서울역 1번출구]", ReadField(order.origin.fullText));
    EXPECT_EQ(u"서울역 1번출구", ReadField(order.origin.name));
    EXPECT_EQ(u"강남역 2번출구", ReadField(order.destination.name));
    EXPECT_DOUBLE_EQ(37.5547, order.origin.x);
    EXPECT_DOUBLE_EQ(126.9707, order.origin.y);
    EXPECT_DOUBLE_EQ(37.4979, order.destination.x);
    EXPECT_DOUBLE_EQ(127.0276, order.destination.y);
    EXPECT_EQ(u"용산구 용산역", ReadField(order.via[0].name));
    EXPECT_EQ(u"용산역 용산구", ReadField(order.via[0].fullText));
    EXPECT_DOUBLE_EQ(37.5298, order.via[0].x);
    EXPECT_DOUBLE_EQ(126.9648, order.via[0].y);
    EXPECT_EQ(u"시청", ReadField(order.via[1].name));
    EXPECT_DOUBLE_EQ(126.9769, order.via[1].y);
    EXPECT_EQ(u"", ReadField(order.via[2].name)) << "an empty via box ends the via reading";
    EXPECT_EQ(1, order.payType);
    EXPECT_EQ(u"12000", ReadField(order.fare));
    EXPECT_EQ(u"12000", ReadField(order.cashAmount));
    EXPECT_EQ(u"0", ReadField(order.postpaidAmount));
    EXPECT_EQ(u"0", ReadField(order.mileageAmount));
    EXPECT_EQ(0, order.consignment);
    EXPECT_EQ(u"조심히", ReadField(order.driverMemo));
    EXPECT_EQ(u"현관 앞", ReadField(order.memo2));
    // Every map window closed again; the entry window as it was.
    EXPECT_EQ(0, CountWindows(kConsultMapClass) + CountWindows(kViaMapClass));
    EXPECT_EQ(std::vector<Hwnd>{entry}, sim_->EntryWindows());
    EXPECT_TRUE(CommandsTo(entry).empty());
    EXPECT_EQ(100u + 4u * 100u, d_.SleepTotal()) << "the entry window and each map window at the first look";
}

TEST_F(XE4ReadBack, BranchDisplay) {
    struct Case {
        const char16_t* shown;
        int code;
        const char16_t* name;
        const char16_t* number;
        const char16_t* message;
    };
    const Case cases[] = {
        {u"강남지사 [02-123-4567]", 0, u"강남지사", u"021234567", u""},
        {u" 본사-강남 [ 02-123-4567 ] ", 0, u"본사강남", u"021234567", u""},
        {u"강남지사 []", 0, u"강남지사", u"", u""},
        {u"강남 [1] 지사 [2]", 0, u"강남 [1] 지사", u"2", u""},
        {u"강남지사 ]02[", 66, u"", u"", u"강남지사 ]02["},
        {u"강남지사 02-123-4567", 66, u"", u"", u"강남지사 02-123-4567"},
        {u"", 66, u"", u"", u""},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        World w;
        w.Start();
        StoredOrder s = HeldOrder();
        s.branchDisplay = c.shown;
        w.ShowHeld(s);
        OrderRecord order{};
        EXPECT_EQ(c.code, w.Read(order)) << "case " << i;
        EXPECT_EQ(c.name, ReadField(order.branchName)) << "case " << i;
        EXPECT_EQ(c.number, ReadField(order.branchNumber)) << "case " << i;
        EXPECT_EQ(c.message, w.message_) << "case " << i;
    }
}

// The payment box decides payType by its exact text; one payment type
// carries the whole fare, a mixed one keeps the boxes' amounts.
TEST_F(XE4ReadBack, PaymentAndAmounts) {
    struct Case {
        const char16_t* payText;
        int payType;
        const char16_t* cash;
        const char16_t* postpaid;
        const char16_t* mileage;
    };
    const Case cases[] = {
        {u"현금", 1, u"12000", u"0", u"0"},
        {u"후불", 3, u"0", u"12000", u"0"},
        {u"후불(마일)", 4, u"0", u"0", u"12000"},
        {u"복합", 0, u"caller", u"5000", u"3000"},  // an empty cash box leaves the caller's field
        {u"후불 ", 3, u"0", u"12000", u"0"},
        {u"카드", 3, u"0", u"12000", u"0"},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        World w;
        w.Start();
        StoredOrder s = HeldOrder();
        s.postpaidAmount = u"5,000";
        s.mileageAmount = u"3,000";
        s.cardAmount = u"1,000";
        const Hwnd entry = w.ShowHeld(s);
        w.d_.HostSetText(w.sim_->EntryInfo(entry)->controls.payCombo, c.payText);
        OrderRecord order{};
        WriteField(order.cashAmount, u"caller");
        EXPECT_EQ(0, w.Read(order)) << "case " << i;
        EXPECT_EQ(c.payType, order.payType) << "case " << i;
        EXPECT_EQ(u"12000", ReadField(order.fare)) << "case " << i;
        EXPECT_EQ(c.cash, ReadField(order.cashAmount)) << "case " << i;
        EXPECT_EQ(c.postpaid, ReadField(order.postpaidAmount)) << "case " << i;
        EXPECT_EQ(c.mileage, ReadField(order.mileageAmount)) << "case " << i;
        EXPECT_EQ(u"1000", ReadField(order.cardAmount)) << "case " << i << ": never normalised";
    }
}

TEST_F(XE4ReadBack, EmptyOrNegativeBoxes) {
    struct Case {
        std::u16string StoredOrder::*field;
        const char16_t* shown;
        int code;
        const char16_t* message;
    };
    const Case cases[] = {
        {&StoredOrder::fare, u"", 72, u""},
        {&StoredOrder::fare, u"-1,000", 72, u"-1,000"},
        {&StoredOrder::cashAmount, u" -5", 73, u" -5"},
        {&StoredOrder::postpaidAmount, u"-5", 74, u"-5"},
        {&StoredOrder::mileageAmount, u"-5", 76, u"-5"},
        {&StoredOrder::cardAmount, u"-5", 75, u"-5"},
        {&StoredOrder::cardAmount, u"0", 0, u""},
        {&StoredOrder::payType, u"", 70, u""},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        World w;
        w.Start();
        StoredOrder s = HeldOrder();
        s.payType = u"복합";
        s.*c.field = c.shown;
        const Hwnd entry = w.ShowHeld(s);
        if (c.field == &StoredOrder::payType) w.d_.HostSetText(w.sim_->EntryInfo(entry)->controls.payCombo, u"");
        OrderRecord order{};
        EXPECT_EQ(c.code, w.Read(order)) << "case " << i;
        EXPECT_EQ(c.message, w.message_) << "case " << i;
    }
}

TEST_F(XE4ReadBack, EmptyPlaceBoxesAre57And58) {
    for (int which = 0; which < 2; ++which) {
        World w;
        w.Start();
        StoredOrder s = HeldOrder();
        (which == 0 ? s.origin : s.destination).text = u"";
        w.ShowHeld(s);
        OrderRecord order{};
        EXPECT_EQ(which == 0 ? 57 : 58, w.Read(order));
        EXPECT_EQ(0, w.CountWindows(kConsultMapClass)) << "no map before the places are read";
    }
}

// The origin's text says whether the order has via points and whether it is a
// consignment, whatever the boxes and the window's own mark show.
TEST_F(XE4ReadBack, OriginMarks) {
    struct Case {
        const char16_t* origin;
        bool viaRead;
        int consignment;
    };
    const Case cases[] = {
        {u"서울역", false, 0},       {u"경유) 서울역", true, 0}, {u"서울역 경)", true, 0},
        {u"[경유] 서울역", true, 0}, {u"경유/서울역", true, 0},  {u"{경유} 서울역", true, 0},
        {u"(경유 서울역", false, 0}, {u"(탁송) 서울역", false, 1}, {u"탁) 서울역", false, 1},
        {u"[탁] 서울역", false, 1},  {u"탁/서울역", false, 1},   {u"{탁} 서울역", false, 1},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        World w;
        w.Start();
        StoredOrder s = HeldOrder();
        s.origin.text = c.origin;
        s.consignment = !c.consignment;  // the window's own mark does not count
        w.ShowHeld(s);
        OrderRecord order{};
        WriteField(order.via[0].name, u"caller's");
        ASSERT_EQ(0, w.Read(order)) << "case " << i;
        EXPECT_EQ(c.viaRead ? u"용산구 용산역" : u"caller's", ReadField(order.via[0].name)) << "case " << i;
        EXPECT_EQ(c.consignment, order.consignment) << "case " << i;
        EXPECT_EQ(c.viaRead ? 1u : 0u, w.d_.SleepTotal() / 100u - 3u) << "case " << i << ": via maps";
    }
}

// How the map lookups fail: the origin's and destination's end the read-back
// with their code, a via point's ends only the via lookups.
TEST_F(XE4ReadBack, MapLookups) {
    struct Case {
        const char16_t* omit;
        Hwnd EntryControls::*destroy;
        const char16_t* readScript;
        std::function<void(testing::FakePage&)> consultPage;
        bool mapWaitZero;
        bool noObjectFromLresult;
        int code;
        int consultMapsLeft;
    };
    auto answer = [](const char16_t* text) {
        return [t = std::u16string(text)](testing::FakePage& p) {
            p.eval = [t](const std::u16string&) { return testing::ScriptString(t); };
        };
    };
    const Case cases[] = {
        {u"콜無", nullptr, kReadScript, nullptr, false, false, 36, 0},
        {u"TAdvGlowButton", nullptr, kReadScript, nullptr, false, false, 36, 0},
        {nullptr, &EntryControls::destinationMap, kReadScript, nullptr, false, false, 36, 0},
        {u"Internet Explorer_Server", nullptr, kReadScript, nullptr, false, false, 39, 1},
        {nullptr, nullptr, kReadScript, nullptr, true, false, 39, 1},
        {nullptr, nullptr, kReadScript, nullptr, false, true, 94, 1},
        {nullptr, nullptr, kReadScript, [](testing::FakePage& p) { p.fail.objectFromLresult = true; }, false, false, 43, 1},
        {nullptr, nullptr, kReadScript, [](testing::FakePage& p) { p.fail.parentWindow = true; }, false, false, 46, 1},
        {nullptr, nullptr, kReadScript, [](testing::FakePage& p) { p.fail.queryEval = true; }, false, false, 47, 1},
        {nullptr, nullptr, kReadScript, [](testing::FakePage& p) { p.fail.evalDispId = true; }, false, false, 48, 1},
        {nullptr, nullptr, u"getCenter(%d)", nullptr, false, false, 48, 1},
        {nullptr, nullptr, u"getLat() %s", nullptr, false, false, 48, 1},
        {nullptr, nullptr, u"getCenter(); 5 %% 2", nullptr, false, false, 48, 1},  // runs: no position
        {nullptr, nullptr, kReadScript, answer(u"(1, 2, 3)"), false, false, 48, 1},
        {nullptr, nullptr, kReadScript, answer(u"(1)"), false, false, 48, 1},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        World w;
        Options options;
        if (c.omit) options.omit = {c.omit};
        w.Start(options);
        const Hwnd entry = w.ShowHeld();
        if (c.destroy) w.d_.Destroy(w.sim_->EntryInfo(entry)->controls.*c.destroy);
        std::vector<std::u16string> scripts;
        w.OnMapPage(kConsultMapClass, [&c, &scripts](testing::FakePage& p) {
            if (c.consultPage) c.consultPage(p);
            auto inner = p.eval;
            p.eval = [&scripts, inner](const std::u16string& s) {
                scripts.push_back(s);
                return inner ? inner(s) : testing::ScriptEmpty();
            };
        });
        w.d_.SetObjectFromLresultAvailable(!c.noObjectFromLresult);
        DelayProfile profile = kNormalProfile;
        if (c.mapWaitZero) profile.mapWait = 0;
        OrderRecord order{};
        order.destination.x = 1.5;
        order.destination.y = 2.5;
        EXPECT_EQ(c.code, w.Read(order, profile, c.readScript)) << "case " << i;
        EXPECT_EQ(c.consultMapsLeft, w.CountWindows(kConsultMapClass)) << "case " << i;
        if (c.code != 0) {
            EXPECT_DOUBLE_EQ(1.5, order.destination.x) << "case " << i << ": left alone";
            EXPECT_DOUBLE_EQ(2.5, order.destination.y) << "case " << i;
            EXPECT_EQ(0, order.payType) << "case " << i << ": nothing read after the places";
        }
        const bool refused = c.readScript != kReadScript && c.code == 48 &&
                             std::u16string(c.readScript).find(u"%%") == std::u16string::npos;
        if (refused) EXPECT_TRUE(scripts.empty()) << "case " << i << ": a refused script never runs";
        if (std::u16string(c.readScript).find(u"%%") != std::u16string::npos) {
            EXPECT_EQ(std::vector<std::u16string>{u"getCenter(); 5 % 2"}, scripts) << "case " << i << ": %% is a percent sign";
        }
        if (c.mapWaitZero) EXPECT_EQ(100u, w.d_.SleepTotal()) << "case " << i << ": the entry window's look only";
    }
}

// The consultation map's answer read as two whole numbers, in its order.
TEST_F(XE4ReadBack, ConsultationAnswers) {
    struct Case {
        const char16_t* answer;
        double x, y;
    };
    const Case cases[] = {{u"(37.5, 127.25)", 37.5, 127.25}, {u"127.25,37.5", 127.25, 37.5}, {u"lat:37.5, lng:127.25", 0, 0}};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        World w;
        w.Start();
        w.ShowHeld();
        const std::u16string text = cases[i].answer;
        w.OnMapPage(kConsultMapClass, [text](testing::FakePage& p) {
            p.eval = [text](const std::u16string&) { return testing::ScriptString(text); };
        });
        OrderRecord order{};
        ASSERT_EQ(0, w.Read(order)) << "case " << i;
        EXPECT_DOUBLE_EQ(cases[i].x, order.origin.x) << "case " << i;
        EXPECT_DOUBLE_EQ(cases[i].y, order.destination.y) << "case " << i;
        EXPECT_EQ(0, w.CountWindows(kConsultMapClass)) << "case " << i;
    }
}

// A via map that does not answer leaves the result at 0: that via point keeps
// its position unread, later ones are not looked up.
TEST_F(XE4ReadBack, ViaLookups) {
    struct Case {
        bool named;
        std::function<void(testing::FakePage&)> page;
        int viaMapsOpened;
        bool read;
    };
    const Case cases[] = {
        {false, nullptr, 2, true},
        {true, nullptr, 2, true},  // name:number pieces give the numbers
        {false, [](testing::FakePage& p) { p.eval = [](const std::u16string&) { return testing::ScriptEmpty(); }; }, 1,
         false},
        {false, [](testing::FakePage& p) { p.fail.parentWindow = true; }, 1, false},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        World w;
        Options options;
        options.namedViaPosition = c.named;
        w.Start(options);
        StoredOrder s = HeldOrder();
        s.via[1] = {u"시청", sim::cmanerxe4::GeoPoint{37.5657, 126.9769}};
        w.ShowHeld(s);
        int opened = 0;
        w.OnMapPage(kViaMapClass, [&c, &opened](testing::FakePage& p) {
            ++opened;
            if (c.page) c.page(p);
        });
        OrderRecord order{};
        order.via[0].x = 9;
        EXPECT_EQ(0, w.Read(order)) << "case " << i;
        EXPECT_EQ(c.viaMapsOpened, opened) << "case " << i;
        EXPECT_DOUBLE_EQ(c.read ? 37.5298 : 9.0, order.via[0].x) << "case " << i;
        EXPECT_DOUBLE_EQ(c.read ? 126.9769 : 0.0, order.via[1].y) << "case " << i;
        EXPECT_EQ(c.read ? 0 : 1, w.CountWindows(kViaMapClass)) << "case " << i << ": a failing via map stays open";
        EXPECT_EQ(1, order.payType) << "case " << i << ": the read-back went on";
    }
}

TEST_F(XE4ReadBack, WithoutAFilledEntryWindowIs11) {
    Start();
    OrderRecord order{};
    EXPECT_EQ(11, Read(order));
    EXPECT_EQ(static_cast<std::uint64_t>(kNormalProfile.windowWait), d_.SleepTotal());
}

// Every code these scenarios reach has its meaning for CManerXE4 in the catalogue.
TEST(XE4Catalogue, EveryCodeOfTheScenariosHasARow) {
    const int codes[] = {0,  4,  7,  10, 11, 13, 20, 23, 25, 27, 30, 33, 36, 39, 43, 46, 47, 48,
                         57, 58, 59, 60, 65, 66, 68, 69, 70, 72, 73, 74, 75, 76, 92, 93, 94, 95, 99};
    for (int code : codes) EXPECT_NE(nullptr, FindResultCode(adapter::kCManerXE4, code)) << code;
}

}  // namespace
}  // namespace qm::cmanerxe4test
