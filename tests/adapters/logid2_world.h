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
#include "tests/adapters/logi_world.h"
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

using logitest::kPointScript;
using logitest::SimpleOrder;
using logitest::Typed;

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
