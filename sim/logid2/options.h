// What can be varied in the LogiD2 substitute, and its command line (the
// shared options of sim/kit/options.h and LogiD2's own).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/kit/options.h"
#include "sim/kit/parse.h"
#include "sim/logi/options.h"

namespace qm::sim::logid2 {

using logi::Branch;

// Besides what both Logi programs let be varied (delays, branches, "탁송",
// amounts; refuseMileage: mileage refused even after a customer search):
struct Options : logi::Options {
    // The entry window's cancel button reads "취   소(&X)" instead of "취소".
    bool altCancel = false;
    std::uint32_t popupDelayMs = 300;  // last change of a place box -> place popup
    bool unregistered = false;         // finishing shows "미등록 업체입니다" and saves nothing
};

using kit::kCmdHang;
using kit::kCmdOpenOrderBase;
using kit::kCmdWriteOrders;
using kit::kMaxOpenableOrders;

// The parser that fills options (which must outlive it).
kit::OptionParser MakeParser(Options& options);

using ParseResult = kit::ParseResult<Options>;

ParseResult ParseOptions(const std::vector<std::u16string>& args);
std::u16string HelpText();

}  // namespace qm::sim::logid2
