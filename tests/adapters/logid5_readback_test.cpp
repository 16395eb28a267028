// Reading the order a LogiD5 entry window holds, and the request shell
// serving LogiD5 requests.
#include <memory>

#include "app/dispatch.h"
#include "tests/adapters/logid5_world.h"

namespace qm::logid5test {
namespace {

using sim::logid5::GeoPoint;

class LogiD5ReadBack : public LogiD5World {
protected:
    Hwnd Show(const StoredOrder& o, Options options = {}) {
        Start(std::move(options));
        return sim_->OpenOrderForModify(sim_->AddOrder(o));
    }
};

// Every box is read from its own place; the map is opened by a click on the
// origin search button, not by a command.
TEST_F(LogiD5ReadBack, CopiesWhatTheWindowShowsAndChangesNothing) {
    const Hwnd entry = Show(HeldOrder());
    OrderRecord order{};
    WriteField(order.postpaidAmount, u"777");  // an empty box leaves the field alone
    ASSERT_EQ(0, Read(order));

    EXPECT_EQ(2, order.adapterKind);
    EXPECT_EQ(1, order.oleaccLoaded);
    EXPECT_EQ(u"강남지사", ReadField(order.branchName));
    EXPECT_EQ(u"021234567", ReadField(order.branchNumber));
    EXPECT_EQ(u"01012345678", ReadField(order.customerPhone));
    EXPECT_EQ(u"0212345678", ReadField(order.customerPhone2));
    EXPECT_EQ(u"서울역 [서울역 1번출구]", ReadField(order.origin.fullText));
    EXPECT_EQ(u"서울역 1번출구", ReadField(order.origin.name));
    EXPECT_EQ(u"강남역", ReadField(order.destination.name));
    const char16_t* vias[] = {u"시청", u"종로", u"동대문"};
    const double viaX[] = {37.5663, 37.5704, 37.5714};
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(vias[k], ReadField(order.via[k].fullText)) << k;
        EXPECT_DOUBLE_EQ(viaX[k], order.via[k].x) << k;
    }
    EXPECT_DOUBLE_EQ(37.5547, order.origin.x);
    EXPECT_DOUBLE_EQ(126.9706, order.origin.y);
    EXPECT_DOUBLE_EQ(37.4979, order.destination.x);
    EXPECT_DOUBLE_EQ(127.0276, order.destination.y);
    EXPECT_EQ(1, order.payType);
    EXPECT_EQ(u"12000", ReadField(order.fare));
    EXPECT_EQ(u"12000", ReadField(order.cashAmount));
    EXPECT_EQ(u"777", ReadField(order.postpaidAmount));
    EXPECT_EQ(u"0", ReadField(order.mileageAmount));
    EXPECT_EQ(u"0", ReadField(order.cardAmount));
    EXPECT_EQ(1, order.consignment);
    EXPECT_EQ(u"조심히", ReadField(order.driverMemo));
    EXPECT_EQ(u"메모2", ReadField(order.memo2));

    EXPECT_EQ(1, ClicksOn(sim_->EntryInfo(entry)->controls.originSearch));
    EXPECT_TRUE(CommandsTo(entry).empty()) << "nothing commanded";
    EXPECT_EQ(200u, d_.SleepTotal()) << "one look for the window, one for the map dialog";
    EXPECT_EQ(0, CountBoxes(u"지도보기"));
    EXPECT_EQ(1u, sim_->EntryWindows().size());
    EXPECT_EQ(u"held", sim_->Orders()[0].status);
}

// Each way the read-back ends early, read from LogiD5's own boxes.
TEST_F(LogiD5ReadBack, EachFailureEndsTheReadBackWithItsCode) {
    struct Case {
        const char* what;
        void (*change)(StoredOrder&, Options&);
        void (*breakPage)(testing::FakePage&);
        int code;
        const char16_t* message;
        int boxesLeft;  // "확인" boxes still open
    };
    const Case cases[] = {
        {"branch display empty", [](StoredOrder& o, Options&) { o.branchDisplay.clear(); }, nullptr, 66, u"", 0},
        {"branch display without a number", [](StoredOrder& o, Options&) { o.branchDisplay = u"강남지사 (02"; },
         nullptr, 67, u"강남지사 (02", 0},
        {"customer not shown", [](StoredOrder& o, Options&) { o.customerPhone.clear(); }, nullptr, 11, u"", 0},
        {"origin empty", [](StoredOrder& o, Options&) { o.origin.text.clear(); }, nullptr, 57, u"", 0},
        {"destination empty", [](StoredOrder& o, Options&) { o.destination.text.clear(); }, nullptr, 58, u"", 0},
        {"no map dialog", [](StoredOrder&, Options& op) { op.omit = {u"지도보기"}; }, nullptr, 36, u"", 0},
        {"origin search finds nothing", [](StoredOrder& o, Options& op) { op.unknownPlaces = {o.origin.text}; },
         nullptr, 36, u"", 1},
        {"address unreadable", nullptr, [](testing::FakePage& p) { p.fail.url = true; }, 96, u"", 0},
        {"address without query", nullptr,
         [](testing::FakePage& p) { p.url = u"http://logid5.map.invalid/map.asp"; }, 97, u"", 0},
        {"destination never placed", [](StoredOrder& o, Options&) { o.destination.position.reset(); }, nullptr, 98,
         u"", 0},
        {"payment combo empty", [](StoredOrder& o, Options&) { o.payType.clear(); }, nullptr, 70, u"", 0},
        {"payment by card", [](StoredOrder& o, Options&) { o.payType = u"카드"; }, nullptr, 65, u"카드", 0},
        {"fare empty", [](StoredOrder& o, Options&) { o.fare.clear(); }, nullptr, 71, u"", 0},
        {"fare negative", [](StoredOrder& o, Options&) { o.fare = u"-500"; }, nullptr, 72, u"-500", 0},
        {"cash negative", [](StoredOrder& o, Options&) { o.cashAmount = u"-1"; }, nullptr, 73, u"-1", 0},
        {"postpaid negative", [](StoredOrder& o, Options&) { o.postpaidAmount = u"-2"; }, nullptr, 74, u"-2", 0},
        {"mileage negative", [](StoredOrder& o, Options&) { o.mileageAmount = u"-3"; }, nullptr, 76, u"-3", 0},
        {"card negative", [](StoredOrder& o, Options&) { o.cardAmount = u"-4"; }, nullptr, 75, u"-4", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        World w;
        Options options;
        StoredOrder held = HeldOrder();
        if (c.change) c.change(held, options);
        w.Start(options);
        const Hwnd entry = w.sim_->OpenOrderForModify(w.sim_->AddOrder(held));
        if (c.breakPage) w.OnMapPage(entry, c.breakPage);
        OrderRecord order{};
        EXPECT_EQ(c.code, w.Read(order));
        EXPECT_EQ(c.message, w.message_);
        EXPECT_EQ(c.boxesLeft, w.CountBoxes(u"확인"));
        EXPECT_EQ(0, w.CountBoxes(u"지도보기")) << "no map dialog left behind";
        EXPECT_EQ(1u, w.sim_->EntryWindows().size()) << "nothing closed";
    }
}

TEST_F(LogiD5ReadBack, NoLogiD5Is4) {
    OrderRecord order{};
    EXPECT_EQ(4, Read(order));
}

// The request shell serves adapter kind 2 with this adapter, and a LogiD5
// that stops answering ends the request with 99.
TEST_F(LogiD5ReadBack, RequestShellServesLogiD5) {
    Show(HeldOrder());
    auto block = std::make_unique<RequestBlock>();
    *block = RequestBlock{};
    block->mode = 1;
    block->speed = 3;
    block->order.adapterKind = 2;
    ServeRequest(*block, d_, FakeDesktop::kOleacc);
    EXPECT_EQ(0, block->result);
    EXPECT_EQ(u"강남지사", ReadField(block->order.branchName));

    World hung;
    Options options;
    options.hangAfterCommand = sim::logid5::kIdReception;
    hung.Start(options);
    *block = RequestBlock{};
    block->mode = 0;
    block->order = SimpleOrder();
    ServeRequest(*block, hung.d_, FakeDesktop::kOleacc);
    EXPECT_EQ(99, block->result);
    EXPECT_EQ(FakeDesktop::kSendTimeoutMs, hung.d_.BlockedTotal());
}

}  // namespace
}  // namespace qm::logid5test
