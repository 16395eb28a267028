// What LogiD2 and LogiD5 both let be varied, and the options that say so.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/kit/options.h"

namespace qm::sim::logi {

struct Branch {
    std::u16string digits;  // the branch's telephone number, digits only
    std::u16string name;    // what follows the ">" in the branch display
};

struct Options : kit::CommonOptions {
    std::uint32_t entryDelayMs = 0;       // reception press -> entry window
    std::uint32_t customerDelayMs = 300;  // Enter on the telephone -> customer display
    std::uint32_t branchDelayMs = 0;      // Enter on the branch box -> branch display

    std::vector<Branch> extraBranches;
    bool refuseMileage = false;   // a positive mileage is refused
    bool consignChecked = false;  // new entry windows start with "탁송" checked
    bool consignLocked = false;   // the "탁송" check box ignores clicks
    bool groupAmounts = true;     // amounts regrouped with thousands commas on leaving the box
    std::u16string amountSuffix;  // shown after the digits of an amount on leaving the box
};

// --entry-delay (MS after reception, the button's text), --customer-delay and --branch-delay.
void AddDelays(kit::OptionParser& p, Options& o, const std::u16string& reception);
// --branch NUMBER=NAME.
void AddBranch(kit::OptionParser& p, Options& o);
// --consign-checked, --consign-locked, --plain-amounts and --amount-suffix.
void AddEntryOptions(kit::OptionParser& p, Options& o);
// The map page's functions under heading ("Map page functions (...):").
std::u16string MapPageHelp(const std::u16string& heading);

}  // namespace qm::sim::logi
