// logid5-sim.exe: the LogiD5 substitute as a real Windows program.
#include <windows.h>

#include <memory>

#include "sim/kit/win32_main.h"
#include "sim/logid5/logid5_sim.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    using namespace qm::sim;
    logid5::Options options;
    const kit::OptionParser parser = logid5::MakeParser(options);
    return kit::RunSubstitute(instance, parser, options, [&options](Host& host) {
        return std::make_unique<logid5::LogiD5Sim>(host, options);
    });
}
