// logid2-sim.exe: the LogiD2 substitute as a real Windows program.
#include <windows.h>

#include <memory>

#include "sim/kit/win32_main.h"
#include "sim/logid2/logid2_sim.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    using namespace qm::sim;
    logid2::Options options;
    const kit::OptionParser parser = logid2::MakeParser(options);
    return kit::RunSubstitute(instance, parser, options, [&options](Host& host) {
        return std::make_unique<logid2::LogiD2Sim>(host, options);
    });
}
