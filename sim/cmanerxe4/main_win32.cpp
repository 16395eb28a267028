// cmanerxe4-sim.exe: the CManerXE4 substitute as a real Windows program.
#include <windows.h>

#include <memory>

#include "sim/cmanerxe4/cmanerxe4_sim.h"
#include "sim/kit/win32_main.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    using namespace qm::sim;
    cmanerxe4::Options options;
    const kit::OptionParser parser = cmanerxe4::MakeParser(options);
    return kit::RunSubstitute(instance, parser, options, [&options](Host& host) {
        return std::make_unique<cmanerxe4::CManerXE4Sim>(host, options);
    });
}
