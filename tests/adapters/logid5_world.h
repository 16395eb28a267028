// The LogiD5 adapter against the LogiD5 substitute on the fake desktop.
#pragma once

#include <functional>
#include <memory>
#include <set>

#include "adapters/logid5/logid5.h"
#include "app/result_codes.h"
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
