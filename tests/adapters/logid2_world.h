// The LogiD2 adapter against the LogiD2 substitute on the fake desktop: one
// desktop, one substitute, one adapter per request, and the orders the tests
// send.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <string>

#include "adapters/logid2/logid2.h"
#include "callport/windows.h"
#include "core/delay_profile.h"
#include "core/request_block.h"
#include "platform/messages.h"
#include "sim/fake_host.h"
#include "sim/logid2/logid2_sim.h"
#include "testing/fake_desktop.h"
#include "tests/adapters/logi_world.h"

namespace qm::logid2test {

using sim::logid2::EntryControls;
using sim::logid2::Options;
using sim::logid2::StoredOrder;
using testing::FakeDesktop;

using logitest::kPointScript;
using logitest::SimpleOrder;
using logitest::Typed;

// Every field the entry types: mixed payment with postpaid, mileage and cash,
// one via point (the third comes after an empty second and is never typed),
// second telephone, consignment and both memos.
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
    WriteField(o.via[2].name, u"종로");
    WriteField(o.via[2].fullText, u"종로");
    return o;
}

// An order LogiD2 holds, shown again for the read-back.
inline StoredOrder HeldOrder() {
    StoredOrder o;
    o.status = u"held";
    o.branchNumber = u"02-123-4567";
    o.branchDisplay = u"로지본사 > 강남지사 (02-123-4567)";
    o.customerPhone = u"010-1234-5678";
    o.customerPhone2 = u" 02-1234-5678";
    o.payType = u"현금";
    o.fare = u"12,000";
    o.cashAmount = u"12,000";
    o.consignment = true;
    o.driverMemo = u" 조심히 ";
    o.memo2 = u"메모2";
    o.origin = {u"서울역 [서울역 1번출구]", sim::logid2::GeoPoint{37.5547, 126.9706}};
    o.destination = {u"  강남역  ", sim::logid2::GeoPoint{37.4979, 127.0276}};
    o.via[0] = {u"시청", sim::logid2::GeoPoint{37.5663, 126.9779}};
    o.via[2] = {u"종로", sim::logid2::GeoPoint{37.5704, 126.9921}};  // after an empty second via box
    return o;
}

// One fake desktop with the substitute on it, and the adapter that drives it.
class World : public logitest::SimWorld<sim::logid2::LogiD2Sim, CCallPortLogiD2, Options, EntryControls> {
public:
    // Runs f with the map's browser window each time an entry window opens its map dialog.
    void OnMapBrowser(std::function<void(Hwnd browser)> f) {
        OnNewEntry([this, f](Hwnd entry, const EntryControls&) {
            d_.AddAfterHook(entry, [this, entry, f](const testing::Message& m, std::intptr_t) {
                if (m.message != msg::WM_COMMAND || msg::LowWord(m.wParam) != CCallPortLogiD2::kMapCommand) return;
                const sim::logid2::EntryWindowInfo* info = sim_->EntryInfo(entry);
                if (info != nullptr && !IsNull(info->mapBrowser)) f(info->mapBrowser);
            });
        });
    }
    // Runs f with the map page each time an entry window opens its map dialog.
    void OnMapPage(std::function<void(testing::FakePage& page)> f) {
        OnMapBrowser([this, f](Hwnd browser) {
            if (auto page = d_.Page(browser)) f(*page);
        });
    }
};

class LogiD2World : public ::testing::Test, public World {};

}  // namespace qm::logid2test
