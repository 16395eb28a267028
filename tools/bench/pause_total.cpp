// pause-total REQUEST.json: serves the request against the substitute of its
// adapterKind on the fake desktop and prints the pauses the robot's pipeline took on the
// virtual clock, in milliseconds, with the result code and the number of pauses. The benchmark compares
// the same request's wall time under Wine with this figure. Then, on the same
// line, the exchanges with the program the entry made (counting_desktop.h): page
// exchanges (the first, the later ones), sends, shows, enumerations and the windows
// they visited; the benchmark weighs them with their floors.
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>

#include "app/dispatch.h"
#include "core/result_codes.h"
#include "sim/cmanerxe4/cmanerxe4_sim.h"
#include "sim/fake_host.h"
#include "sim/icon2013/icon2013_sim.h"
#include "sim/logid2/logid2_sim.h"
#include "sim/logid5/logid5_sim.h"
#include "testing/fake_desktop.h"
#include "tools/bench/counting_desktop.h"
#include "tools/quillmere-call/request_json.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: pause-total REQUEST.json\n";
        return 1;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << "pause-total: cannot read " << argv[1] << "\n";
        return 1;
    }
    std::stringstream text;
    text << in.rdbuf();
    auto block = std::make_unique<qm::RequestBlock>();
    try {
        qm::call::ParseRequest(text.str(), *block);
    } catch (const qm::call::RequestError& e) {
        std::cerr << "pause-total: bad request: " << e.what() << "\n";
        return 1;
    }
    qm::testing::FakeDesktop desktop;
    qm::sim::FakeHost host(desktop);
    std::unique_ptr<qm::sim::kit::Substitute> program;
    switch (block->order.adapterKind) {
        case qm::adapter::kLogiD5:
            program = std::make_unique<qm::sim::logid5::LogiD5Sim>(host, qm::sim::logid5::Options{});
            break;
        case qm::adapter::kCManerXE4:
            program = std::make_unique<qm::sim::cmanerxe4::CManerXE4Sim>(host, qm::sim::cmanerxe4::Options{});
            break;
        case qm::adapter::kIcon2013:
            program = std::make_unique<qm::sim::icon2013::Icon2013Sim>(host, qm::sim::icon2013::Options{});
            break;
        default:
            program = std::make_unique<qm::sim::logid2::LogiD2Sim>(host, qm::sim::logid2::Options{});
            break;
    }
    if (!program->Start()) {
        std::cerr << "pause-total: the substitute did not start\n";
        return 1;
    }
    desktop.ClearSleepLog();
    qm::bench::CountingDesktop counting(desktop);
    qm::ServeRequest(*block, counting, qm::testing::FakeDesktop::kOleacc);
    const qm::bench::Exchanges n = counting.Total();
    std::cout << desktop.SleepTotal() << " " << block->result << " " << desktop.SleepLog().size() << " " << n.pageFirst
              << " " << n.pageLater << " " << n.sends << " " << n.shows << " " << n.enumerations << " " << n.enumeratedWindows << "\n";
    return 0;
}
