// The Win32 program around a substitute: its wWinMain in one call.
//
//   int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
//       Options options;
//       kit::OptionParser parser = MakeParser(options);
//       return kit::RunSubstitute(instance, parser, options, [&](Host& host) {
//           return std::make_unique<MySim>(host, options);
//       });
//   }
//
// It reads the command line (errors to standard error, exit code 2; --help and
// --version to standard output, 0), initialises OLE, creates the Win32 host and the
// program, loads --open-order (added as a stored order and shown with
// ShowStoredOrder), shows the main window, runs the message loop and writes the
// orders file once more at exit.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "sim/kit/options.h"
#include "sim/kit/substitute.h"

namespace qm::sim::kit {

using SubstituteFactory = std::function<std::unique_ptr<Substitute>(Host& host)>;

int RunSubstitute(HINSTANCE instance, const OptionParser& parser, const CommonOptions& common,
                  const SubstituteFactory& make);

// Writes text to standard output (or error); a GUI program started from a
// console borrows its parent's console, else UTF-8 goes to the pipe or file.
void Print(const std::u16string& text, DWORD which = STD_OUTPUT_HANDLE);

}  // namespace qm::sim::kit
