// What the LogiD2 and LogiD5 scenarios share: a fake desktop with one Logi
// substitute on it, one adapter per request, the orders the tests send and the
// pause of typing a text.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "callport/windows.h"
#include "core/delay_profile.h"
#include "core/request_block.h"
#include "platform/messages.h"
#include "sim/fake_host.h"
#include "testing/fake_desktop.h"

namespace qm::logitest {

using testing::FakeDesktop;

constexpr const char16_t* kPointScript = u"setCenter(%f, %f)";

// The pause of one EnterText of n units (three keyDelay pauses around the
// typing, the shortSettle before the first character, a keyDelay after each).
inline std::int64_t Typed(const DelayProfile& p, std::size_t n) {
    return 3 * p.keyDelay + p.shortSettle + static_cast<std::int64_t>(n) * p.keyDelay;
}

inline std::size_t Units(const char16_t* s) { return std::char_traits<char16_t>::length(s); }

// A cash order with origin and destination only.
inline OrderRecord SimpleOrder(int adapterKind = 1) {
    OrderRecord o{};
    o.adapterKind = adapterKind;
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

// One fake desktop with the substitute Sim on it, and the adapter Port that
// drives it. Sim offers MainListDialog(), EntryWindows() and EntryInfo(w)->controls.
template <class Sim, class Port, class SimOptions, class Controls>
class SimWorld {
public:
    void Start(SimOptions options = {}) {
        sim_ = std::make_unique<Sim>(host_, std::move(options));
        ASSERT_TRUE(sim_->Start());
    }

    Port& NewAdapter(const DelayProfile& profile = kNormalProfile) {
        adapter_ = std::make_unique<Port>(d_, profile);
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
    void OnNewEntry(std::function<void(Hwnd entry, const Controls& controls)> f) {
        auto seen = std::make_shared<std::set<Hwnd>>();
        d_.AddAfterHook(sim_->MainListDialog(), [this, f, seen](const testing::Message& m, std::intptr_t) {
            if (m.message != msg::WM_COMMAND) return;
            for (Hwnd w : sim_->EntryWindows())
                if (seen->insert(w).second) f(w, sim_->EntryInfo(w)->controls);
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
    std::unique_ptr<Sim> sim_;
    std::unique_ptr<Port> adapter_;
    std::u16string message_;
};

}  // namespace qm::logitest
