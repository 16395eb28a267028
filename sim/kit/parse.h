// A program's command line read into its own options in one call, for tests
// and tools that want the options without running the program.
#pragma once

#include <string>
#include <vector>

#include "sim/kit/options.h"

namespace qm::sim::kit {

template <class Options>
struct ParseResult {
    Options options;
    bool help = false;
    std::u16string error;  // empty when the command line was understood
};

// make: the program's parser over the options it fills.
template <class Options>
ParseResult<Options> ParseWith(OptionParser (*make)(Options&), const std::vector<std::u16string>& args) {
    ParseResult<Options> r;
    const OptionParser parser = make(r.options);
    const ParseOutcome outcome = parser.Parse(args);
    r.help = outcome.help;
    r.error = outcome.error;
    return r;
}

template <class Options>
std::u16string HelpWith(OptionParser (*make)(Options&)) {
    Options scratch;
    return make(scratch).Help();
}

}  // namespace qm::sim::kit
