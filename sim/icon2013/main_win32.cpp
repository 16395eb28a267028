// icon2013-sim.exe: the Icon2013 substitute as a real Windows program.
#include <windows.h>

#include <memory>

#include "sim/icon2013/icon2013_sim.h"
#include "sim/kit/win32_main.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    using namespace qm::sim;
    icon2013::Options options;
    const kit::OptionParser parser = icon2013::MakeParser(options);
    return kit::RunSubstitute(instance, parser, options, [&options](Host& host) {
        return std::make_unique<icon2013::Icon2013Sim>(host, options);
    });
}
