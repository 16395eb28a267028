// What can be varied in the LogiD2 substitute, and its command line (the
// shared options of sim/kit/options.h and LogiD2's own).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/kit/options.h"

namespace qm::sim::logid2 {

struct Branch {
    std::u16string digits;  // the branch's telephone number, digits only
    std::u16string name;    // what follows the ">" in the branch display
};

struct Options : kit::CommonOptions {
    // The entry window's cancel button reads "취   소(&X)" instead of "취소".
    bool altCancel = false;

    std::uint32_t entryDelayMs = 0;      // reception press -> entry window
    std::uint32_t customerDelayMs = 300; // Enter on the telephone -> customer display
    std::uint32_t branchDelayMs = 0;     // Enter on the branch box -> branch display
    std::uint32_t popupDelayMs = 300;    // last change of a place box -> place popup

    std::vector<Branch> extraBranches;
    bool refuseMileage = false;   // mileage refused even after a customer search
    bool unregistered = false;    // finishing shows "미등록 업체입니다" and saves nothing
    bool consignChecked = false;  // new entry windows start with "탁송" checked
    bool consignLocked = false;   // the "탁송" check box ignores clicks
    bool groupAmounts = true;     // amounts regrouped with thousands commas on leaving the box
    std::u16string amountSuffix;  // shown after the digits of an amount on leaving the box
};

using kit::kCmdHang;
using kit::kCmdOpenOrderBase;
using kit::kCmdWriteOrders;
using kit::kMaxOpenableOrders;

// The parser that fills options (which must outlive it).
kit::OptionParser MakeParser(Options& options);

struct ParseResult {
    Options options;
    bool help = false;
    std::u16string error;  // empty when the command line was understood
};

ParseResult ParseOptions(const std::vector<std::u16string>& args);
std::u16string HelpText();

}  // namespace qm::sim::logid2
