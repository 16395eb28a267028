// Reading an order in progress back from the Icon2013 substitute: every field
// and position, the read-back's text rules, its failures, and that every code
// the scenarios produce is in the catalogue for Icon2013.
#include <set>

#include "core/result_codes.h"
#include "tests/adapters/icon2013_world.h"

namespace qm::icon2013test {
namespace {

using IconReadBack = Icon2013World;
using sim::icon2013::GeoPoint;

class Show : public World {
public:
    // Starts the substitute with the order shown in a "수정(E)" window and reads it.
    int ReadStored(const StoredOrder& s, OrderRecord& order, Options o = {}, const char16_t* readScript = kReadScript) {
        Start(o);
        sim_->ShowStoredOrder(sim_->AddOrder(s));
        return Read(order, readScript);
    }
};

TEST_F(IconReadBack, EveryFieldAndEveryPosition) {
    Show w;
    OrderRecord order{};
    WriteField(order.mileageAmount, u"keep");  // a field the window does not reach stays
    ASSERT_EQ(0, w.ReadStored(Stored(), order));
    EXPECT_EQ(4, order.adapterKind);
    EXPECT_EQ(u"서초지사", ReadField(order.branchName)) << "접수창 is no part of the name";
    EXPECT_EQ(u"025555678", ReadField(order.branchNumber));
    EXPECT_EQ(u"01012345678", ReadField(order.customerPhone));
    EXPECT_EQ(u"0298765432", ReadField(order.customerPhone2));
    EXPECT_EQ(0, order.payType);
    EXPECT_EQ(u"20000", ReadField(order.fare));
    EXPECT_EQ(u"15000", ReadField(order.cardAmount));
    EXPECT_EQ(u"5000", ReadField(order.cashAmount));
    EXPECT_EQ(u"keep", ReadField(order.mileageAmount));
    EXPECT_EQ(u"단골", ReadField(order.driverMemo));
    EXPECT_EQ(u"현관 앞", ReadField(order.memo2));
    EXPECT_EQ(0, order.consignment);
    EXPECT_EQ(u"[역삼역] 서울 강남구 경유)", ReadField(order.origin.fullText));
    EXPECT_EQ(u"역삼역", ReadField(order.origin.name));
    EXPECT_EQ(u"강남역", ReadField(order.destination.name));
    EXPECT_EQ(u"역삼동 스타벅스", ReadField(order.via[0].name));
    EXPECT_EQ(u"서울 강남구 역삼동 【스타벅스 역삼점】", ReadField(order.via[0].fullText));
    EXPECT_EQ(u"", ReadField(order.via[1].name));
    const std::pair<const PlaceRecord*, GeoPoint> places[] = {
        {&order.origin, {37.5006, 127.0364}}, {&order.destination, {37.4979, 127.0276}}, {&order.via[0], {37.5012, 127.0396}}};
    for (const auto& [place, want] : places) {
        EXPECT_DOUBLE_EQ(want.lat, place->x);
        EXPECT_DOUBLE_EQ(want.lng, place->y);
    }
    EXPECT_DOUBLE_EQ(0.0, order.via[1].x);
    // Nothing typed, nothing pressed: the window stays, the map is hidden again.
    ASSERT_EQ(1u, w.sim_->OrderWindows().size());
    EXPECT_EQ(u"held", w.sim_->Orders()[0].status);
    EXPECT_FALSE(w.d_.IsVisible(w.sim_->MapDialog()));
    EXPECT_EQ(1, w.sim_->MapDialogsMade()) << "one dialog for the three places";
}

// The read-back's rules, each on one variation of the stored order.
TEST_F(IconReadBack, RulesTable) {
    struct Case {
        const char* what;
        std::function<void(StoredOrder&, Options&)> vary;
        int code;
        const char16_t* message;
        std::function<void(const OrderRecord&)> check;
    };
    const Case cases[] = {
        {"branch without 접수창", [](StoredOrder& s, Options&) { s.branchDisplay = u"강남지사 (02-555-1234)"; }, 0, u"",
         [](const OrderRecord& o) { EXPECT_EQ(u"강남지사", ReadField(o.branchName)); }},
        {"branch not selected", [](StoredOrder& s, Options&) { s.branchDisplay = u"없는지사 (1)"; }, 66, u"", nullptr},
        {"branch without parentheses",
         [](StoredOrder& s, Options& o) {
             o.extraBranchItems = {u"본사 02-555-0000"};
             s.branchDisplay = u"본사 02-555-0000";
         },
         67, u"본사 02-555-0000", nullptr},
        {"branch with ) before (",
         [](StoredOrder& s, Options& o) {
             o.extraBranchItems = {u"본사 )02-555-0000("};
             s.branchDisplay = u"본사 )02-555-0000(";
         },
         67, u"본사 )02-555-0000(", nullptr},
        {"telephone empty", [](StoredOrder& s, Options&) { s.customerPhone = u""; s.extra["search"] = u""; }, 11, u"",
         nullptr},
        {"public number", [](StoredOrder& s, Options&) { s.customerPhone2 = u"공개번호"; }, 0, u"",
         [](const OrderRecord& o) { EXPECT_EQ(u"", ReadField(o.customerPhone2)); }},
        {"origin empty", [](StoredOrder& s, Options&) { s.origin.text = u""; }, 57, u"", nullptr},
        {"destination empty", [](StoredOrder& s, Options&) { s.destination.text = u""; }, 58, u"", nullptr},
        {"no via mark: no via points", [](StoredOrder& s, Options&) { s.origin.text = u"[역삼역] 서울 강남구"; }, 0, u"",
         [](const OrderRecord& o) {
             EXPECT_EQ(u"역삼역", ReadField(o.origin.name));
             EXPECT_EQ(u"", ReadField(o.via[0].name));
         }},
        {"consignment mark", [](StoredOrder& s, Options&) { s.origin.text = u"[역삼역] 경) 탁/"; }, 0, u"",
         [](const OrderRecord& o) {
             EXPECT_EQ(1, o.consignment);
             EXPECT_EQ(u"역삼동 스타벅스", ReadField(o.via[0].name)) << "경) marks via points too";
         }},
        {"a via name holding the last word",
         [](StoredOrder& s, Options&) { s.via[0].text = u"역삼동 스타벅스"; }, 0, u"",
         [](const OrderRecord& o) { EXPECT_EQ(u"역삼동 스타벅스", ReadField(o.via[0].name)); }},
        {"a via without detail",
         [](StoredOrder& s, Options&) {
             s.extra["via1Detail"] = u"";
             s.via[1] = {u"시청", GeoPoint{37.5657, 126.9769}};
         },
         0, u"",
         [](const OrderRecord& o) {
             EXPECT_EQ(u"스타벅스", ReadField(o.via[0].fullText)) << "the name again";
             EXPECT_EQ(u"시청", ReadField(o.via[1].name));
             EXPECT_DOUBLE_EQ(126.9769, o.via[1].y) << "its map button is the third after 축소";
         }},
        {"cash", [](StoredOrder& s, Options&) { s.payType = u"현금"; s.cardAmount = u""; }, 0, u"",
         [](const OrderRecord& o) {
             EXPECT_EQ(1, o.payType);
             EXPECT_EQ(u"20000", ReadField(o.cashAmount));
         }},
        {"card for the whole fare", [](StoredOrder& s, Options&) { s.cardAmount = u"20,000"; }, 0, u"",
         [](const OrderRecord& o) {
             EXPECT_EQ(2, o.payType);
             EXPECT_EQ(u"", ReadField(o.cashAmount));
         }},
        {"postpaid, amount box empty", [](StoredOrder& s, Options&) { s.payType = u"후불"; s.cardAmount = u""; }, 0, u"",
         [](const OrderRecord& o) {
             EXPECT_EQ(0, o.payType);
             EXPECT_EQ(u"", ReadField(o.postpaidAmount));
             EXPECT_EQ(u"20000", ReadField(o.cashAmount));
         }},
        {"mileage", [](StoredOrder& s, Options&) { s.payType = u"마일리지"; s.mileageAmount = u"20000"; }, 0, u"",
         [](const OrderRecord& o) {
             EXPECT_EQ(4, o.payType);
             EXPECT_EQ(u"20000", ReadField(o.mileageAmount));
         }},
        {"payment combo empty", [](StoredOrder& s, Options&) { s.payType = u""; }, 70, u"", nullptr},
        {"현금 with a blank",
         [](StoredOrder& s, Options& o) {
             o.extraPayItems = {u"현금 "};
             s.payType = u"현금 ";
         },
         65, u"현금 ", nullptr},
        {"fare empty", [](StoredOrder& s, Options&) { s.fare = u""; }, 71, u"", nullptr},
        {"fare negative", [](StoredOrder& s, Options&) { s.fare = u"-1,000"; }, 72, u"-1,000", nullptr},
        {"card negative", [](StoredOrder& s, Options&) { s.cardAmount = u" -500"; }, 75, u" -500", nullptr},
        {"postpaid negative", [](StoredOrder& s, Options&) { s.payType = u"후불"; s.postpaidAmount = u"-5"; }, 74, u"-5",
         nullptr},
        {"mileage negative", [](StoredOrder& s, Options&) { s.payType = u"마일리지"; s.mileageAmount = u"-5"; }, 76,
         u"-5", nullptr},
        {"map never comes", [](StoredOrder&, Options& o) { o.omit = {u"지도검색"}; }, 36, u"", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Show w;
        StoredOrder s = Stored();
        Options o;
        c.vary(s, o);
        OrderRecord order{};
        EXPECT_EQ(c.code, w.ReadStored(s, order, o));
        EXPECT_EQ(c.message, w.message_);
        if (c.check) c.check(order);
        EXPECT_EQ(1u, w.sim_->OrderWindows().size()) << "the window is left open";
    }
}

// readScript's answer must be exactly two numbers; a script with a conversion
// is refused; a failure leaves the place's position as it was.
TEST_F(IconReadBack, PositionScripts) {
    struct Case {
        const char16_t* readScript;
        std::function<ScriptValue(const std::u16string&)> answer;  // null: the page's own
        int code;
        double x;
    };
    auto text = [](const char16_t* t) {
        return [t](const std::u16string&) { return ScriptValue{std::u16string(t), true}; };
    };
    const Case cases[] = {
        {kReadScript, nullptr, 0, 37.5006},
        {u"getPosition() %d", nullptr, 48, -1},
        {u"getPosition() %s", nullptr, 48, -1},
        {kReadScript, text(u"(37.5665, 126.978)"), 0, 37.5665},
        {kReadScript, text(u"[37.5665,126.978]"), 0, 37.5665},
        {kReadScript, text(u" 37.5665 126.978 "), 0, 37.5665},
        {kReadScript, text(u"37.5, 126.9, 1"), 48, -1},
        {kReadScript, text(u"37.5"), 48, -1},
        {kReadScript, text(u"   "), 48, -1},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(i);
        Show w;
        OrderRecord order{};
        order.origin.x = -1;
        w.Start();
        w.sim_->ShowStoredOrder(w.sim_->AddOrder(Stored()));
        // The map dialog is made by the first map button; its page is replaced then.
        if (c.answer) {
            const Hwnd dialog = w.sim_->OrderInfo(w.sim_->OrderWindows()[0])->dialog;
            w.d_.AddAfterHook(dialog, [&w, &c](const testing::Message& m, std::intptr_t) {
                if (m.message == msg::WM_COMMAND && !IsNull(w.sim_->MapBrowser())) w.d_.Page(w.sim_->MapBrowser())->eval = c.answer;
            });
        }
        EXPECT_EQ(c.code, w.Read(order, c.readScript));
        EXPECT_DOUBLE_EQ(c.x, order.origin.x);
    }
}

// Every code these scenarios end with has Icon2013's own row or a shared one.
TEST(IconCatalogue, EveryCodeOfTheScenariosHasARow) {
    const int codes[] = {0, 4, 6, 9, 10, 11, 12, 13, 16, 18, 23, 25, 26, 27, 29, 30, 33, 36, 37, 38, 39, 48, 53,
                         54, 57, 58, 59, 60, 63, 65, 66, 67, 68, 69, 70, 71, 72, 74, 75, 76, 77, 92, 93, 95, 99};
    for (int code : codes) EXPECT_NE(nullptr, FindResultCode(adapter::kIcon2013, code)) << code;
}

}  // namespace
}  // namespace qm::icon2013test
