// A host of the substitute programs together with the robot's side of it, for
// the host contract suite (host_contract_test.cpp). One source of cases runs
// on each world:
//   fake_host_world.cpp   FakeHost on a FakeDesktop, natively;
//   win32_host_world.cpp  Win32Host with real windows in this process and the
//                         real port (Win32Desktop), under Wine.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/desktop.h"
#include "sim/host.h"

namespace qm::sim::test {

class HostWorld {
public:
    virtual ~HostWorld() = default;
    virtual Host& host() = 0;
    // The port another program (the robot) drives the windows through.
    virtual Desktop& robot() = 0;
    // Lets about ms pass: posted messages are delivered and due timers fire.
    virtual void Pump(std::uint32_t ms) = 0;
    // Pumps until done() holds, at most ms; whether it held.
    virtual bool PumpUntil(std::uint32_t ms, const std::function<bool()>& done) = 0;
};

std::unique_ptr<HostWorld> MakeHostWorld();

}  // namespace qm::sim::test
