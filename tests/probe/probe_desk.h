// One fake desktop with any of the four substitutes on it, each a process of
// its own, probed as quillmere-probe.exe probes a desk.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sim/cmanerxe4/cmanerxe4_sim.h"
#include "sim/fake_host.h"
#include "sim/icon2013/icon2013_sim.h"
#include "sim/logid2/logid2_sim.h"
#include "sim/logid5/logid5_sim.h"
#include "testing/fake_desktop.h"
#include "tools/quillmere-probe/probe.h"

namespace qm::probe {

using sim::kit::CommonOptions;

class Desk {
public:
    struct Program {
        std::unique_ptr<sim::FakeHost> host;
        std::unique_ptr<sim::kit::Substitute> sim;
        Hwnd reception{};
    };

    Program& Start(int kind, const CommonOptions& common = {}) {
        Program& p = programs_[kind];
        p.host = std::make_unique<sim::FakeHost>(d, 10 + kind);
        switch (kind) {
            case 1: p.sim = Make<sim::logid2::LogiD2Sim, sim::logid2::Options>(*p.host, common, p.reception); break;
            case 2: p.sim = Make<sim::logid5::LogiD5Sim, sim::logid5::Options>(*p.host, common, p.reception); break;
            case 3:
                p.sim = Make<sim::cmanerxe4::CManerXE4Sim, sim::cmanerxe4::Options>(*p.host, common, p.reception);
                break;
            default: p.sim = Make<sim::icon2013::Icon2013Sim, sim::icon2013::Options>(*p.host, common, p.reception);
        }
        return p;
    }
    Program& operator[](int kind) { return programs_[kind]; }

    // A stored order shown in a filled entry window.
    Hwnd ShowFilled(int kind) {
        sim::kit::StoredOrder order;
        order.status = u"held";
        order.customerPhone = u"010-1234-5678";
        order.payType = u"현금";
        order.fare = u"12,000";
        order.origin.text = u"서울역";
        order.destination.text = u"강남역";
        sim::kit::Substitute& s = *programs_[kind].sim;
        return s.ShowStoredOrder(s.AddOrder(order));
    }

    Report Probe(std::vector<std::u16string> args) {
        const ParsedArguments parsed = ParseArguments(args);
        EXPECT_TRUE(parsed.error.empty()) << parsed.error;
        return Run([this](int) -> Desktop& {
            d.ResetNotResponding();  // each program asked afresh, as each gets a desktop of its own
            return d;
        }, parsed.options);
    }

    testing::FakeDesktop d;

private:
    template <class Sim, class SimOptions>
    static std::unique_ptr<sim::kit::Substitute> Make(sim::FakeHost& host, const CommonOptions& common, Hwnd& reception) {
        SimOptions options;
        static_cast<CommonOptions&>(options) = common;
        auto s = std::make_unique<Sim>(host, options);
        EXPECT_TRUE(s->Start());
        reception = s->ReceptionButton();
        return s;
    }

    std::map<int, Program> programs_;
};

}  // namespace qm::probe
