// The contract suite's world on the fake desktop: time is the virtual clock.
#include "sim/fake_host.h"
#include "testing/fake_desktop.h"
#include "tests/sim/host_world.h"

namespace qm::sim::test {
namespace {

class FakeWorld final : public HostWorld {
public:
    Host& host() override { return host_; }
    Desktop& robot() override { return desktop_; }
    void Pump(std::uint32_t ms) override { desktop_.Sleep(ms); }
    bool PumpUntil(std::uint32_t ms, const std::function<bool()>& done) override {
        for (std::uint32_t waited = 0; !done() && waited < ms; waited += 10) desktop_.Sleep(10);
        return done();
    }

private:
    testing::FakeDesktop desktop_;
    FakeHost host_{desktop_};
};

}  // namespace

std::unique_ptr<HostWorld> MakeHostWorld() { return std::make_unique<FakeWorld>(); }

}  // namespace qm::sim::test
