// The CManerXE4 adapter against the CManerXE4 substitute on the fake desktop:
// one desktop, one substitute, one adapter per request.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <string>

#include "adapters/cmanerxe4/cmanerxe4.h"
#include "callport/windows.h"
#include "core/delay_profile.h"
#include "core/request_block.h"
#include "platform/messages.h"
#include "sim/cmanerxe4/cmanerxe4_sim.h"
#include "sim/fake_host.h"
#include "testing/fake_desktop.h"

namespace qm::cmanerxe4test {

using sim::cmanerxe4::EntryControls;
using sim::cmanerxe4::EntryWindowInfo;
using sim::cmanerxe4::Options;
using sim::cmanerxe4::StoredOrder;
using testing::FakeDesktop;

// What the consultation map's page answers with the place's position.
constexpr const char16_t* kReadScript = u"getCenter()";

// A cash order with origin and destination only.
inline OrderRecord SimpleOrder() {
    OrderRecord o{};
    o.adapterKind = 3;
    o.payType = 1;
    WriteField(o.branchNumber, u"021234567");
    WriteField(o.customerPhone, u"01012345678");
    WriteField(o.fare, u"12000");
    WriteField(o.origin.name, u"서울역");
    WriteField(o.origin.fullText, u"서울역 [서울역 1번출구]");
    WriteField(o.destination.name, u"강남역");
    WriteField(o.destination.fullText, u"강남역");
    return o;
}

inline void AddVia(OrderRecord& o, int i, const char16_t* name) {
    WriteField(o.via[i].name, name);
    WriteField(o.via[i].fullText, name);
}

// A stored order as CManerXE4 keeps one, for the read-back.
inline StoredOrder HeldOrder() {
    StoredOrder s;
    s.status = u"held";
    s.branchNumber = u"021234567";
    s.branchDisplay = u"강남지사 [02-123-4567]";
    s.customerPhone = u"010-1234-5678";
    s.customerPhone2 = u"02-1234-5678";
    s.payType = u"현금";
    s.fare = u"12,000";
    s.origin = {u"(경유) 서울역 [서울역 1번출구]", sim::cmanerxe4::GeoPoint{37.5547, 126.9707}};
    s.destination = {u"강남역 [강남역 2번출구]", sim::cmanerxe4::GeoPoint{37.4979, 127.0276}};
    s.via[0] = {u"용산역", sim::cmanerxe4::GeoPoint{37.5298, 126.9648}};
    s.extra["viaDetail1"] = u"용산역 용산구";
    s.driverMemo = u"조심히";
    s.memo2 = u"현관 앞";
    return s;
}

// Every field the entry types: mixed payment with mileage and postpaid for a
// branch without a mixed-payment mileage setting (the notice comes), two via
// points, second telephone, consignment and both memos.
inline OrderRecord FullOrder() {
    OrderRecord o = SimpleOrder();
    o.payType = 0;
    WriteField(o.branchNumber, u"0311234567");
    WriteField(o.mileageAmount, u"3000");
    WriteField(o.postpaidAmount, u"5000");
    WriteField(o.cashAmount, u"4000");  // never entered
    WriteField(o.customerPhone2, u"0212345678");
    o.consignment = 1;
    WriteField(o.driverMemo, u"  조심히 운전 ");
    WriteField(o.memo2, u"현관 앞");
    AddVia(o, 0, u"용산역");
    AddVia(o, 1, u"삼각지 역");
    return o;
}

// One fake desktop with the substitute on it, and the adapter that drives it.
class World {
public:
    void Start(Options options = {}) {
        sim_ = std::make_unique<sim::cmanerxe4::CManerXE4Sim>(host_, std::move(options));
        ASSERT_TRUE(sim_->Start());
    }

    CCallPortCManerXE4& NewAdapter(const DelayProfile& profile = kNormalProfile) {
        adapter_ = std::make_unique<CCallPortCManerXE4>(d_, profile);
        return *adapter_;
    }

    int Enter(OrderRecord& order, int requireBranch = 1, int finishAction = 2,
              const DelayProfile& profile = kNormalProfile, const char16_t* readScript = kReadScript) {
        d_.ClearSleepLog();
        message_.clear();
        const int code = NewAdapter(profile).EnterOrder(FakeDesktop::kOleacc, readScript, u"", &order,
                                                        requireBranch, message_, finishAction);
        // The robot does not wait for its posted button commands; CManerXE4
        // handles them when its queue next runs.
        d_.DeliverPosted();
        return code;
    }

    int Read(OrderRecord& order, const DelayProfile& profile = kNormalProfile, const char16_t* readScript = kReadScript) {
        d_.ClearSleepLog();
        message_.clear();
        return NewAdapter(profile).ReadOrder(FakeDesktop::kOleacc, readScript, &order, message_);
    }

    // Shows a stored order in a "수정(F7)" window, as the read-back finds it.
    Hwnd ShowHeld(StoredOrder order = HeldOrder()) { return sim_->ShowStoredOrder(sim_->AddOrder(std::move(order))); }

    // Runs f on every entry window the substitute opens, right after the
    // reception button's command created it.
    void OnNewEntry(std::function<void(Hwnd entry, const EntryControls& controls)> f) {
        auto seen = std::make_shared<std::set<Hwnd>>();
        d_.AddAfterHook(sim_->ReceptionTab(), [this, f, seen](const testing::Message& m, std::intptr_t) {
            if (m.message != msg::WM_COMMAND) return;
            for (Hwnd w : sim_->EntryWindows())
                if (seen->insert(w).second) f(w, sim_->EntryInfo(w)->controls);
        });
    }

    // Runs f with the page of every map window of the class as it opens (the
    // consultation map after its button's command, the via map after Space).
    void OnMapPage(const char16_t* mapClass, std::function<void(testing::FakePage& page)> f) {
        auto seen = std::make_shared<std::set<Hwnd>>();
        auto look = [this, mapClass, f, seen]() {
            for (Hwnd h : d_.TopLevelWindows()) {
                if (d_.Class(h) != mapClass || !seen->insert(h).second) continue;
                if (auto page = d_.Page(FindBrowser(d_, h))) f(*page);
            }
        };
        auto hookEntry = [this, look](Hwnd entry, const EntryControls& c) {
            d_.AddAfterHook(entry, [look](const testing::Message& m, std::intptr_t) {
                if (m.message == msg::WM_COMMAND) look();
            });
            for (Hwnd via : c.via)
                d_.AddAfterHook(via, [look](const testing::Message& m, std::intptr_t) {
                    if (m.message == msg::WM_KEYDOWN) look();
                });
        };
        OnNewEntry(hookEntry);
        for (Hwnd w : sim_->EntryWindows()) hookEntry(w, sim_->EntryInfo(w)->controls);
    }

    int CountWindows(const char16_t* className, const char16_t* caption = nullptr) {
        int n = 0;
        for (Hwnd h : d_.TopLevelWindows())
            if (d_.Class(h) == className && (caption == nullptr || d_.Caption(h) == caption)) ++n;
        return n;
    }

    // The robot's own WM_COMMAND messages to window (sent or posted), in order.
    std::vector<testing::RecordedMessage> CommandsTo(Hwnd window) {
        return testing::OnlyMessages(testing::PortOnly(d_.Messages(window)), {msg::WM_COMMAND});
    }

    FakeDesktop d_;
    sim::FakeHost host_{d_};
    std::unique_ptr<sim::cmanerxe4::CManerXE4Sim> sim_;
    std::unique_ptr<CCallPortCManerXE4> adapter_;
    std::u16string message_;
};

class CManerXE4World : public ::testing::Test, public World {};

}  // namespace qm::cmanerxe4test
