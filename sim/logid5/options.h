// What can be varied in the LogiD5 substitute, and its command line (the
// shared options of sim/kit/options.h and LogiD5's own).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/kit/options.h"
#include "sim/logi/options.h"

namespace qm::sim::logid5 {

using logi::Branch;

// Besides what both Logi programs let be varied (delays, branches, "탁송",
// amounts; refuseMileage: the branch does not use mileage):
struct Options : logi::Options {
    // The entry window's cancel button reads "취소" instead of "취   소(&X)".
    bool plainCancel = false;
    bool doubleBranchBox = false;  // an unknown branch shows two "지사를 선택하시기 바랍니다." boxes
    std::vector<std::u16string> unknownPlaces;  // place searches that find nothing
};

using kit::kCmdHang;
using kit::kCmdOpenOrderBase;
using kit::kCmdWriteOrders;

// The parser that fills options (which must outlive it).
kit::OptionParser MakeParser(Options& options);
std::u16string HelpText();

}  // namespace qm::sim::logid5
