// The Icon2013 adapter against the Icon2013 substitute on the fake desktop: one
// desktop, one substitute, one adapter per request, and the orders the tests
// send.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <string>

#include "adapters/icon2013/icon2013.h"
#include "callport/windows.h"
#include "core/delay_profile.h"
#include "core/request_block.h"
#include "platform/messages.h"
#include "sim/fake_host.h"
#include "sim/icon2013/icon2013_sim.h"
#include "testing/fake_desktop.h"

namespace qm::icon2013test {

using sim::icon2013::OrderControls;
using sim::icon2013::Options;
using sim::icon2013::StoredOrder;
using testing::FakeDesktop;

// The scripts a caller writes against the substitute's map page.
constexpr const char16_t* kPointScript = u"lat = %f; lng = %f; %s(lat, lng)";
constexpr const char16_t* kReadScript = u"getPosition()";

// A cash order with origin and destination only.
inline OrderRecord SimpleOrder() {
    OrderRecord o{};
    o.adapterKind = 4;
    o.payType = 1;
    WriteField(o.branchName, u"강남지사");
    WriteField(o.branchNumber, u"025551234");
    WriteField(o.customerPhone, u"01012345678");
    WriteField(o.fare, u"12000");
    WriteField(o.origin.name, u"서울역");
    WriteField(o.origin.fullText, u"서울역");
    o.origin.x = 37.5547;
    o.origin.y = 126.9706;
    WriteField(o.destination.name, u"강남역");
    WriteField(o.destination.fullText, u"강남역");
    o.destination.x = 37.4979;
    o.destination.y = 127.0276;
    return o;
}

// Every field the entry types: a card payment with a cash part, two via
// points, a second telephone, consignment and both memos; the origin text
// carries the via and consignment marks.
inline OrderRecord FullOrder() {
    OrderRecord o = SimpleOrder();
    o.payType = 2;
    WriteField(o.fare, u"20000");
    WriteField(o.cardAmount, u"15000");
    WriteField(o.customerPhone2, u"0298765432");
    o.consignment = 1;
    WriteField(o.driverMemo, u"  조심히 ");
    WriteField(o.memo2, u"현관 앞");
    WriteField(o.origin.name, u"[서울역] 경유) 탁)");
    WriteField(o.via[0].name, u"용산역");
    WriteField(o.via[0].fullText, u"용산역");
    WriteField(o.via[1].name, u"삼각지역");
    WriteField(o.via[1].fullText, u"삼각지역");
    return o;
}

// An order as Icon2013 keeps it, shown again in a "수정(E)" window.
inline StoredOrder Stored() {
    StoredOrder s;
    s.status = u"held";
    s.branchDisplay = u"접수창 서초지사 (02-555-5678)";
    s.customerPhone = u"010-1234-5678";
    s.customerPhone2 = u"02-9876-5432";
    s.payType = u"카드결제";
    s.fare = u"20,000";
    s.cardAmount = u"15,000";
    s.driverMemo = u" 단골 ";
    s.memo2 = u"현관 앞";
    s.origin = {u" [역삼역] 서울 강남구 경유) ", sim::icon2013::GeoPoint{37.5006, 127.0364}};
    s.destination = {u"강남역", sim::icon2013::GeoPoint{37.4979, 127.0276}};
    s.via[0] = {u"스타벅스", sim::icon2013::GeoPoint{37.5012, 127.0396}};
    s.extra["via1Detail"] = u"서울 강남구 역삼동 【스타벅스 역삼점】";
    return s;
}

// One fake desktop with the substitute on it, and the adapter that drives it.
class World {
public:
    void Start(Options options = {}) {
        sim_ = std::make_unique<sim::icon2013::Icon2013Sim>(host_, std::move(options));
        ASSERT_TRUE(sim_->Start());
    }

    CCallPortIcon2013& NewAdapter(const DelayProfile& profile = kNormalProfile) {
        adapter_ = std::make_unique<CCallPortIcon2013>(d_, profile);
        return *adapter_;
    }

    int Enter(OrderRecord& order, int requireBranch = 1, int finishAction = 2,
              const DelayProfile& profile = kNormalProfile, const char16_t* pointScript = kPointScript,
              const char16_t* readScript = kReadScript) {
        d_.ClearSleepLog();
        message_.clear();
        const int code = NewAdapter(profile).EnterOrder(FakeDesktop::kOleacc, readScript, pointScript, &order,
                                                        requireBranch, message_, finishAction);
        // The finishing button is posted: Icon2013 takes it once it looks at its queue again.
        d_.DeliverPosted();
        return code;
    }

    int Read(OrderRecord& order, const char16_t* readScript = kReadScript,
             const DelayProfile& profile = kNormalProfile) {
        d_.ClearSleepLog();
        message_.clear();
        return NewAdapter(profile).ReadOrder(FakeDesktop::kOleacc, readScript, &order, message_);
    }

    // Runs f on every order window the substitute opens, right after the
    // reception button's command created it.
    void OnNewOrder(std::function<void(Hwnd window, const OrderControls& controls)> f) {
        auto seen = std::make_shared<std::set<Hwnd>>();
        d_.AddAfterHook(sim_->InquiryDialog(), [this, f, seen](const testing::Message& m, std::intptr_t) {
            if (m.message != msg::WM_COMMAND) return;
            for (Hwnd w : sim_->OrderWindows())
                if (seen->insert(w).second) f(w, sim_->OrderInfo(w)->controls);
        });
    }

    // Runs f with the map page once the map dialog is there (after a map button).
    void OnMapPage(std::function<void(testing::FakePage& page)> f) {
        OnNewOrder([this, f](Hwnd window, const OrderControls&) {
            const Hwnd dialog = sim_->OrderInfo(window)->dialog;
            d_.AddAfterHook(dialog, [this, f, done = std::make_shared<bool>(false)](const testing::Message& m,
                                                                                  std::intptr_t) {
                if (*done || m.message != msg::WM_COMMAND || IsNull(sim_->MapBrowser())) return;
                if (auto page = d_.Page(sim_->MapBrowser())) {
                    *done = true;
                    f(*page);
                }
            });
        });
    }

    // Top-level "#32770" windows named title (shown or hidden).
    int CountWindows(const char16_t* title) {
        int n = 0;
        for (Hwnd h : d_.TopLevelWindows())
            if (d_.Class(h) == u"#32770" && d_.Caption(h) == title) ++n;
        return n;
    }

    const sim::icon2013::OrderWindowInfo* Only() {
        const auto windows = sim_->OrderWindows();
        return windows.size() == 1 ? sim_->OrderInfo(windows[0]) : nullptr;
    }

    FakeDesktop d_;
    sim::FakeHost host_{d_};
    std::unique_ptr<sim::icon2013::Icon2013Sim> sim_;
    std::unique_ptr<CCallPortIcon2013> adapter_;
    std::u16string message_;
};

class Icon2013World : public ::testing::Test, public World {};

}  // namespace qm::icon2013test
