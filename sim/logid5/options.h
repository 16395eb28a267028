// What can be varied in the LogiD5 substitute, and its command line (the
// shared options of sim/kit/options.h and LogiD5's own).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/kit/options.h"

namespace qm::sim::logid5 {

struct Branch {
    std::u16string digits;  // the branch's telephone number, digits only
    std::u16string name;    // what follows the ">" in the branch display
};

struct Options : kit::CommonOptions {
    // The entry window's cancel button reads "취소" instead of "취   소(&X)".
    bool plainCancel = false;

    std::uint32_t entryDelayMs = 0;       // reception press -> entry window
    std::uint32_t customerDelayMs = 300;  // Enter on the search box -> customer display
    std::uint32_t branchDelayMs = 0;      // Enter on the branch box -> branch display

    std::vector<Branch> extraBranches;
    bool doubleBranchBox = false;  // an unknown branch shows two "지사를 선택하시기 바랍니다." boxes
    bool refuseMileage = false;    // the branch does not use mileage
    std::vector<std::u16string> unknownPlaces;  // place searches that find nothing
    bool consignChecked = false;   // new entry windows start with "탁송" checked
    bool consignLocked = false;    // the "탁송" check box ignores clicks
    bool groupAmounts = true;      // amounts regrouped with thousands commas on leaving the box
    std::u16string amountSuffix;   // shown after the digits of an amount on leaving the box
};

using kit::kCmdHang;
using kit::kCmdOpenOrderBase;
using kit::kCmdWriteOrders;

// The parser that fills options (which must outlive it).
kit::OptionParser MakeParser(Options& options);
std::u16string HelpText();

}  // namespace qm::sim::logid5
