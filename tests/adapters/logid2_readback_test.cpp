// Reading an order that a LogiD2 entry window holds, and the request shell
// serving LogiD2 requests.
#include <optional>

#include "app/dispatch.h"
#include "tests/adapters/logid2_world.h"

namespace qm::logid2test {
namespace {

using sim::logid2::GeoPoint;

class ReadBack : public LogiD2World {
protected:
    void Show(const StoredOrder& o) {
        Start();
        ASSERT_FALSE(IsNull(sim_->OpenOrderForModify(sim_->AddOrder(o))));
    }
};

TEST_F(ReadBack, CopiesWhatTheWindowShowsAndChangesNothing) {
    Show(HeldOrder());
    OrderRecord order{};
    order.adapterKind = 9;
    WriteField(order.postpaidAmount, u"777");     // an empty box leaves the field alone
    WriteField(order.via[1].fullText, u"mine");  // so does a via box after the first empty one
    WriteField(order.via[2].fullText, u"mine too");
    ASSERT_EQ(0, Read(order));

    EXPECT_EQ(1, order.adapterKind);
    EXPECT_EQ(1, order.oleaccLoaded);
    EXPECT_EQ(u"강남지사", ReadField(order.branchName));
    EXPECT_EQ(u"021234567", ReadField(order.branchNumber));
    EXPECT_EQ(u"01012345678", ReadField(order.customerPhone));
    EXPECT_EQ(u"0212345678", ReadField(order.customerPhone2));
    EXPECT_EQ(u"서울역 [서울역 1번출구]", ReadField(order.origin.fullText));
    EXPECT_EQ(u"서울역 1번출구", ReadField(order.origin.name));
    EXPECT_EQ(u"강남역", ReadField(order.destination.fullText));
    EXPECT_EQ(u"강남역", ReadField(order.destination.name));
    EXPECT_EQ(u"시청", ReadField(order.via[0].fullText));
    EXPECT_EQ(u"시청", ReadField(order.via[0].name));
    EXPECT_EQ(u"mine", ReadField(order.via[1].fullText));
    EXPECT_EQ(u"mine too", ReadField(order.via[2].fullText));
    EXPECT_DOUBLE_EQ(37.5547, order.origin.x);
    EXPECT_DOUBLE_EQ(126.9706, order.origin.y);
    EXPECT_DOUBLE_EQ(37.4979, order.destination.x);
    EXPECT_DOUBLE_EQ(127.0276, order.destination.y);
    EXPECT_DOUBLE_EQ(37.5663, order.via[0].x);
    EXPECT_DOUBLE_EQ(126.9921, order.via[2].y) << "coordinates come from the page address whatever the boxes hold";
    EXPECT_EQ(1, order.payType);
    EXPECT_EQ(u"12000", ReadField(order.fare));
    EXPECT_EQ(u"12000", ReadField(order.cashAmount));
    EXPECT_EQ(u"777", ReadField(order.postpaidAmount));
    EXPECT_EQ(1, order.consignment);
    EXPECT_EQ(u"조심히", ReadField(order.driverMemo));
    EXPECT_EQ(u"메모2", ReadField(order.memo2));

    EXPECT_EQ(200u, d_.SleepTotal()) << "one look for the window, one for the map dialog";
    EXPECT_EQ(0, CountBoxes(u"지도보기"));
    EXPECT_EQ(1u, sim_->EntryWindows().size());
    EXPECT_EQ(u"held", sim_->Orders()[0].status);
}

TEST_F(ReadBack, WithoutTheAccessibilityLibraryThePageIsReachedByPoint) {
    Show(HeldOrder());
    OrderRecord order{};
    ASSERT_EQ(0, Read(order, kNormalProfile, kNoModule));
    EXPECT_EQ(0, order.oleaccLoaded);
    EXPECT_DOUBLE_EQ(37.5547, order.origin.x);
}

TEST_F(ReadBack, BranchDisplayRules) {
    struct Case {
        const char16_t* display;
        int code;
        const char16_t* name;
        const char16_t* number;
    };
    const Case cases[] = {
        {u"로지본사 > 강남지사 (02-123-4567)", 0, u"강남지사", u"021234567"},
        {u"강남지사(1588-1234)", 0, u"강남지사", u"15881234"},
        {u"본사 > 지역 > 서초 지사 ( 02-1234-5678 )", 0, u"서초 지사", u"0212345678"},
        {u"(구) 본사 > 수원 (031-123-4567)", 0, u"수원", u"0311234567"},
        {u" 로지본사 > 강남지사 (02-123-4567", 67, nullptr, nullptr},
        {u"강남지사 )02-123(", 67, nullptr, nullptr},
        {u"", 66, nullptr, nullptr},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        World w;
        w.Start();
        StoredOrder held = HeldOrder();
        held.branchDisplay = c.display;
        w.sim_->OpenOrderForModify(w.sim_->AddOrder(held));
        OrderRecord order{};
        EXPECT_EQ(c.code, w.Read(order)) << "case " << i;
        if (c.code == 0) {
            EXPECT_EQ(c.name, ReadField(order.branchName)) << "case " << i;
            EXPECT_EQ(c.number, ReadField(order.branchNumber)) << "case " << i;
            EXPECT_EQ(u"", w.message_);
        } else if (c.code == 67) {
            EXPECT_EQ(c.display, w.message_) << "case " << i << ": the display as read";
        }
    }
}

TEST_F(ReadBack, PaymentAndAmountRules) {
    struct Case {
        const char16_t* combo;
        const char16_t* fare;
        const char16_t* cash;
        const char16_t* postpaid;
        const char16_t* mileage;
        const char16_t* card;
        int code;
        int payType;
        const char16_t* message;
    };
    const Case cases[] = {
        {u"현금", u"12,000", u"10,000", u"", u"", u"", 0, 1, u""},
        {u"후불", u"12,000", u"", u"5,000", u"", u"", 0, 3, u""},
        {u"현금", u"12,000", u"0", u"5,000", u"", u"", 0, 1, u""},
        {u"현금", u"12,000", u"10,000", u"5,000", u"", u"", 0, 0, u""},
        {u"후불", u"12,000", u"", u"5,000", u"", u"1,000", 0, 0, u""},
        {u"카드", u"12,000", u"", u"", u"", u"", 65, -1, u"카드"},
        {u"", u"12,000", u"", u"", u"", u"", 70, -1, u""},
        {u"현금", u"", u"", u"", u"", u"", 71, 1, u""},
        {u"현금", u"-500", u"", u"", u"", u"", 72, 1, u"-500"},
        {u"현금", u"12,000", u" -1,000", u"", u"", u"", 73, 1, u" -1,000"},
        {u"현금", u"12,000", u"", u"-5", u"", u"", 74, 1, u"-5"},
        {u"현금", u"12,000", u"", u"", u"-3", u"", 76, 1, u"-3"},
        {u"현금", u"12,000", u"", u"", u"", u"-2", 75, 1, u"-2"},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        World w;
        w.Start();
        StoredOrder held = HeldOrder();
        held.payType = c.combo;
        held.fare = c.fare;
        held.cashAmount = c.cash;
        held.postpaidAmount = c.postpaid;
        held.mileageAmount = c.mileage;
        held.cardAmount = c.card;
        w.sim_->OpenOrderForModify(w.sim_->AddOrder(held));
        OrderRecord order{};
        order.payType = -1;
        EXPECT_EQ(c.code, w.Read(order)) << "case " << i;
        EXPECT_EQ(c.payType, order.payType) << "case " << i;
        EXPECT_EQ(c.message, w.message_) << "case " << i;
    }
}

TEST_F(ReadBack, EmptyPlacesAndMapFailuresEndTheReadBack) {
    // What is changed in the held order, or in the map page once it is open.
    struct Case {
        void (*change)(StoredOrder&);
        void (*breakPage)(testing::FakePage&);
        const char16_t* omit;
        int code;
    };
    const Case cases[] = {
        {[](StoredOrder& o) { o.origin.text.clear(); }, nullptr, nullptr, 57},
        {[](StoredOrder& o) { o.destination.text.clear(); }, nullptr, nullptr, 58},
        {nullptr, nullptr, u"지도보기", 36},
        {nullptr, [](testing::FakePage& p) { p.fail.url = true; }, nullptr, 96},
        {nullptr, [](testing::FakePage& p) { p.url = u"http://logid2.map.invalid/map.asp"; }, nullptr, 97},
        {[](StoredOrder& o) { o.destination.position.reset(); }, nullptr, nullptr, 98},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        World w;
        Options options;
        if (c.omit) options.omit = {c.omit};
        w.Start(options);
        StoredOrder held = HeldOrder();
        if (c.change) c.change(held);
        const Hwnd entry = w.sim_->OpenOrderForModify(w.sim_->AddOrder(held));
        if (c.breakPage) {
            World* world = &w;
            auto breakPage = c.breakPage;
            w.d_.AddAfterHook(entry, [world, entry, breakPage](const testing::Message& m, std::intptr_t) {
                if (m.message != msg::WM_COMMAND || msg::LowWord(m.wParam) != CCallPortLogiD2::kMapCommand) return;
                if (auto page = world->d_.Page(world->sim_->EntryInfo(entry)->mapBrowser)) breakPage(*page);
            });
        }
        OrderRecord order{};
        EXPECT_EQ(c.code, w.Read(order)) << "case " << i;
        EXPECT_EQ(0, w.CountBoxes(u"지도보기")) << "case " << i << ": no map dialog left behind";
        EXPECT_EQ(1u, w.sim_->EntryWindows().size()) << "case " << i << ": nothing closed";
    }
}

TEST_F(ReadBack, AWindowWithoutACustomerIsNotAnOrder) {
    Start();
    sim_->OpenEntryWindow();  // fresh and empty
    OrderRecord order{};
    EXPECT_EQ(11, Read(order));
    EXPECT_EQ(static_cast<std::uint64_t>(kNormalProfile.windowWait), d_.SleepTotal());
}

// The request shell serves adapter kind 1 with this adapter, and a LogiD2 that
// stops answering ends the request quickly with 99.
TEST_F(ReadBack, RequestShellServesLogiD2) {
    Show(HeldOrder());
    auto block = std::make_unique<RequestBlock>();
    *block = RequestBlock{};
    block->mode = 1;
    block->speed = 3;
    block->order.adapterKind = 1;
    ServeRequest(*block, d_, FakeDesktop::kOleacc);
    EXPECT_EQ(0, block->result);
    EXPECT_EQ(u"강남지사", ReadField(block->order.branchName));

    World hung;
    Options options;
    options.hangAfterCommand = sim::logid2::kIdReception;
    hung.Start(options);
    *block = RequestBlock{};
    block->mode = 0;
    block->order = SimpleOrder();
    ServeRequest(*block, hung.d_, FakeDesktop::kOleacc);
    EXPECT_EQ(99, block->result);
    EXPECT_EQ(0u, hung.d_.SleepTotal()) << "the press itself found LogiD2 hung: no waiting at all";
    EXPECT_EQ(FakeDesktop::kSendTimeoutMs, hung.d_.BlockedTotal());
}

}  // namespace
}  // namespace qm::logid2test
