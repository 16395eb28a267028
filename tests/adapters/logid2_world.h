// The LogiD2 adapter against the LogiD2 substitute on the fake desktop: one
// desktop, one substitute, one adapter per request, and the orders the tests
// send.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <string>

#include "callport/windows.h"
#include "adapters/logid2/logid2.h"
#include "app/delay_profile.h"
#include "app/request_block.h"
#include "platform/messages.h"
#include "sim/fake_host.h"
#include "sim/logid2/logid2_sim.h"
#include "testing/fake_desktop.h"

namespace qm::logid2test {

using sim::logid2::EntryControls;
using sim::logid2::Options;
using sim::logid2::StoredOrder;
using testing::FakeDesktop;

constexpr const char16_t* kPointScript = u"setCenter(%f, %f)";

// The pause of one EnterText of n units (three keyDelay pauses around the
// typing, the shortSettle before the first character, a keyDelay after each).
inline std::int64_t Typed(const DelayProfile& p, std::size_t n) {
    return 3 * p.keyDelay + p.shortSettle + static_cast<std::int64_t>(n) * p.keyDelay;
}

// A cash order with origin and destination only.
inline OrderRecord SimpleOrder() {
    OrderRecord o{};
    o.adapterKind = 1;
    o.payType = 1;
    WriteField(o.branchNumber, u"021234567");
    WriteField(o.customerPhone, u"01012345678");
    WriteField(o.fare, u"12000");
    WriteField(o.origin.name, u"서울역");
    WriteField(o.origin.fullText, u"서울역 [서울역 1번출구]");
    o.origin.x = 37.5547;
    o.origin.y = 126.9706;
    WriteField(o.destination.name, u"강남역");
    WriteField(o.destination.fullText, u"강남역");
    o.destination.x = 37.4979;
    o.destination.y = 127.0276;
    return o;
}

// One fake desktop with the substitute on it, and the adapter that drives it.
class World {
public:
    void Start(Options options = {}) {
        sim_ = std::make_unique<sim::logid2::LogiD2Sim>(host_, std::move(options));
        ASSERT_TRUE(sim_->Start());
    }

    CCallPortLogiD2& NewAdapter(const DelayProfile& profile = kNormalProfile) {
        adapter_ = std::make_unique<CCallPortLogiD2>(d_, profile);
        return *adapter_;
    }

    int Enter(OrderRecord& order, int requireBranch = 1, int finishAction = 2,
              const DelayProfile& profile = kNormalProfile, const char16_t* pointScript = kPointScript) {
        d_.ClearSleepLog();
        message_.clear();
        return NewAdapter(profile).EnterOrder(FakeDesktop::kOleacc, u"", pointScript, &order, requireBranch,
                                              message_, finishAction);
    }

    int Read(OrderRecord& order, const DelayProfile& profile = kNormalProfile, Module oleacc = FakeDesktop::kOleacc) {
        d_.ClearSleepLog();
        message_.clear();
        return NewAdapter(profile).ReadOrder(oleacc, u"", &order, message_);
    }

    // Runs f on every entry window the substitute opens, right after the
    // reception button's command created it.
    void OnNewEntry(std::function<void(Hwnd entry, const EntryControls& controls)> f) {
        auto seen = std::make_shared<std::set<Hwnd>>();
        d_.AddAfterHook(sim_->MainListDialog(), [this, f, seen](const testing::Message& m, std::intptr_t) {
            if (m.message != msg::WM_COMMAND) return;
            for (Hwnd w : sim_->EntryWindows())
                if (seen->insert(w).second) f(w, sim_->EntryInfo(w)->controls);
        });
    }

    // Runs f with the map page each time an entry window opens its map dialog.
    void OnMapPage(std::function<void(testing::FakePage& page)> f) {
        OnNewEntry([this, f](Hwnd entry, const EntryControls&) {
            d_.AddAfterHook(entry, [this, entry, f](const testing::Message& m, std::intptr_t) {
                if (m.message != msg::WM_COMMAND || msg::LowWord(m.wParam) != CCallPortLogiD2::kMapCommand) return;
                const sim::logid2::EntryWindowInfo* info = sim_->EntryInfo(entry);
                if (info == nullptr) return;
                if (auto page = d_.Page(info->mapBrowser)) f(*page);
            });
        });
    }

    // Top-level "#32770" windows named title.
    int CountBoxes(const char16_t* title) {
        int n = 0;
        for (Hwnd h : d_.TopLevelWindows())
            if (d_.Class(h) == u"#32770" && d_.Caption(h) == title) ++n;
        return n;
    }

    // The robot's own WM_COMMAND messages to window (sent or posted), in order.
    std::vector<testing::RecordedMessage> CommandsTo(Hwnd window) {
        return testing::OnlyMessages(testing::PortOnly(d_.Messages(window)), {msg::WM_COMMAND});
    }

    FakeDesktop d_;
    sim::FakeHost host_{d_};
    std::unique_ptr<sim::logid2::LogiD2Sim> sim_;
    std::unique_ptr<CCallPortLogiD2> adapter_;
    std::u16string message_;
};

class LogiD2World : public ::testing::Test, public World {};

}  // namespace qm::logid2test
