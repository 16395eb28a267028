// What can be varied in the LogiD2 substitute, and its command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qm::sim::logid2 {

struct Branch {
    std::u16string digits;  // the branch's telephone number, digits only
    std::u16string name;    // what follows the ">" in the branch display
};

struct Options {
    // Windows whose text or class is one of these are never created (a
    // missing anchor). Leaving out a window leaves out its children.
    std::vector<std::u16string> omit;
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

    std::optional<int> hangAfterCommand;  // stop answering after a WM_COMMAND with this id
    std::uint32_t hangMs = 600000;        // how long a hang lasts

    std::u16string ordersFile;  // written on every change when set
    std::u16string openOrderFile;  // an order (JSON) loaded at start and shown for modifying
};

// Commands that the main window ("SmartD2-") understands besides the program's own.
constexpr int kCmdWriteOrders = 0x7001;  // write the orders file now
constexpr int kCmdHang = 0x7002;         // stop answering for hangMs
constexpr int kCmdOpenOrderBase = 0x7100;  // + k: open stored order k (0-based) for modifying
constexpr int kMaxOpenableOrders = 0x100;

struct ParseResult {
    Options options;
    bool help = false;
    std::u16string error;  // empty when the command line was understood
};

ParseResult ParseOptions(const std::vector<std::u16string>& args);
std::u16string HelpText();

}  // namespace qm::sim::logid2
