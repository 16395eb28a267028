// What can be varied in the Icon2013 substitute, and its command line (the
// shared options of sim/kit/options.h and Icon2013's own).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/kit/options.h"
#include "sim/kit/parse.h"

namespace qm::sim::icon2013 {

struct Branch {
    std::u16string name;    // what comes before the number, perhaps with "접수창" in front
    std::u16string number;  // the branch's telephone number, as shown (with hyphens)
};

struct Options : kit::CommonOptions {
    // The order dialog's hold and inquiry buttons read "추가대기(T)" and
    // "추가문의(Q)" instead of "대기(W)" and "문의(F9)".
    bool altButtons = false;
    // After a customer search the second telephone box shows "공개번호".
    bool publicNumber = false;
    // Order windows ignore "닫기(X)" (and closing from their frame).
    bool ignoreClose = false;

    std::uint32_t orderDelayMs = 0;     // "접수" -> the order window
    std::uint32_t customerDelayMs = 0;  // Enter on the search box -> the telephone box
    std::uint32_t mapDelayMs = 0;       // the first map button -> the "지도검색" dialog

    std::vector<Branch> extraBranches;
    std::vector<std::u16string> extraBranchItems;  // branch combo items taken as they are
    std::vector<std::u16string> extraPayItems;     // payment combo items after the four
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

}  // namespace qm::sim::icon2013
