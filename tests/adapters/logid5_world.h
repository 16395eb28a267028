// The LogiD5 adapter against the LogiD5 substitute on the fake desktop.
#pragma once

#include <functional>
#include <memory>
#include <set>

#include "adapters/logid5/logid5.h"
#include "core/result_codes.h"
#include "sim/logid5/logid5_sim.h"
#include "tests/adapters/logi_world.h"

namespace qm::logid5test {

using logitest::kPointScript;
using logitest::Typed;
using logitest::Units;
using sim::logid5::EntryControls;
using sim::logid5::Options;
using sim::logid5::StoredOrder;
using testing::FakeDesktop;

inline OrderRecord SimpleOrder() { return logitest::SimpleOrder(adapter::kLogiD5); }

// Every field the entry types: mixed payment with postpaid, mileage and cash,
// one via point, second telephone, consignment and both memos.
inline OrderRecord FullOrder() {
    OrderRecord o = SimpleOrder();
    o.payType = 0;
    WriteField(o.postpaidAmount, u"5000");
    WriteField(o.mileageAmount, u"3000");
    WriteField(o.cashAmount, u"2000");
    WriteField(o.customerPhone2, u"0212345678");
    o.consignment = 1;
    WriteField(o.driverMemo, u"  조심히 운전 ");
    WriteField(o.memo2, u"메모");
    WriteField(o.via[0].name, u"시청");
    WriteField(o.via[0].fullText, u"시청");
    return o;
}

// An order LogiD5 holds, shown again for the read-back.
inline StoredOrder HeldOrder() {
    StoredOrder o;
    o.status = u"held";
    o.branchNumber = u"02-123-4567";
    o.branchDisplay = u"로지본사 > 강남지사 (02-123-4567)";
    o.customerPhone = u"010-1234-5678";
    o.customerPhone2 = u"02-1234-5678";
    o.payType = u"현금";
    o.fare = u"12,000";
    o.cashAmount = u"12,000";
    o.mileageAmount = u"0";
    o.cardAmount = u"0";
    o.consignment = true;
    o.driverMemo = u" 조심히 ";
    o.memo2 = u"메모2";
    o.origin = {u"서울역 [서울역 1번출구]", sim::logid5::GeoPoint{37.5547, 126.9706}};
    o.destination = {u"강남역", sim::logid5::GeoPoint{37.4979, 127.0276}};
    o.via[0] = {u"시청", sim::logid5::GeoPoint{37.5663, 126.9779}};
    o.via[1] = {u"종로", sim::logid5::GeoPoint{37.5704, 126.9921}};
    o.via[2] = {u"동대문", sim::logid5::GeoPoint{37.5714, 127.0095}};
    return o;
}

using Base = logitest::SimWorld<sim::logid5::LogiD5Sim, CCallPortLogiD5, Options, EntryControls>;

// Every code a LogiD5 request ends with must mean something to the caller:
// Enter and Read hold each result to the catalogue's rows for adapter 2.
class World : public Base {
public:
    int Enter(OrderRecord& order, int requireBranch = 1, int finishAction = 2,
              const DelayProfile& profile = kNormalProfile, const char16_t* pointScript = kPointScript) {
        const int code = Base::Enter(order, requireBranch, finishAction, profile, pointScript);
        // LogiD5 takes the clicks the robot posted last after the robot is gone.
        d_.DeliverPosted();
        return Catalogued(code);
    }
    int Read(OrderRecord& order, const DelayProfile& profile = kNormalProfile, Module oleacc = FakeDesktop::kOleacc) {
        return Catalogued(Base::Read(order, profile, oleacc));
    }
    static int Catalogued(int code) {
        EXPECT_NE(nullptr, FindResultCode(adapter::kLogiD5, code)) << "no catalogue row for LogiD5's " << code;
        return code;
    }

    // Runs f once with the map page of an entry window, as soon as one of its
    // place search buttons has opened the map dialog.
    void OnMapPage(Hwnd entry, std::function<void(testing::FakePage& page)> f) {
        auto seen = std::make_shared<std::set<Hwnd>>();
        const EntryControls& c = sim_->EntryInfo(entry)->controls;
        for (Hwnd button : {c.originSearch, c.destinationSearch}) {
            d_.AddAfterHook(button, [this, entry, f, seen](const testing::Message& m, std::intptr_t) {
                if (m.message != msg::WM_LBUTTONUP) return;
                const sim::logid5::EntryWindowInfo* info = sim_->EntryInfo(entry);
                if (info == nullptr || !seen->insert(info->mapBrowser).second) return;
                if (auto page = d_.Page(info->mapBrowser)) f(*page);
            });
        }
    }
    void OnEveryMapPage(std::function<void(testing::FakePage& page)> f) {
        OnNewEntry([this, f](Hwnd entry, const EntryControls&) { OnMapPage(entry, f); });
    }

    // The left-button presses the robot posted to window.
    int ClicksOn(Hwnd window) {
        int n = 0;
        for (const auto& m : testing::PortOnly(d_.Messages(window)))
            if (m.message == msg::WM_LBUTTONUP && m.posted) ++n;
        return n;
    }
};

class LogiD5World : public ::testing::Test, public World {};

}  // namespace qm::logid5test
