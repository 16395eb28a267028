// What can be varied in the CManerXE4 substitute, and its command line (the
// shared options of sim/kit/options.h and CManerXE4's own).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/kit/options.h"
#include "sim/kit/orders.h"

namespace qm::sim::cmanerxe4 {

struct Branch {
    std::u16string digits;  // the branch's telephone number, digits only
    std::u16string name;    // shown before the number in the branch display
    bool mileageSetting = true;  // false: mixed payment with mileage brings the notice
};

// A place the substitute knows: where it is, the detail shown in brackets
// after its name, and its district (shown in a via point's detail box).
struct Place {
    std::u16string name;
    kit::GeoPoint position;
    std::u16string detail;
    std::u16string district;
};

// The main window's caption.
enum class Caption { Korean, Roman, Letter };

struct Options : kit::CommonOptions {
    Caption caption = Caption::Korean;  // "콜마너 XE 4", "CALLMANER XE Ⅰ" (U+2160), "CALLMANER XE I"

    std::uint32_t entryDelayMs = 0;   // "접 수" -> entry window
    std::uint32_t branchDelayMs = 0;  // Enter on the branch box -> branch display
    std::uint32_t noticeDelayMs = 0;  // Enter on the mileage box -> the mileage notice
    std::uint32_t mapDelayMs = 0;     // map button or via box -> map window

    std::vector<Branch> extraBranches;
    std::vector<Place> extraPlaces;
    bool groupAmounts = true;    // amounts regrouped with thousands commas on Enter
    bool namedViaPosition = false;  // the via marker's position reads "lat:..., lng:..."
};

using kit::kCmdHang;
using kit::kCmdOpenOrderBase;
using kit::kCmdWriteOrders;

// The parser that fills options (which must outlive it).
kit::OptionParser MakeParser(Options& options);
std::u16string HelpText();

}  // namespace qm::sim::cmanerxe4
