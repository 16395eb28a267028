// Recorded window messages and a sequence matcher in the manner of Wine's own
// user32 message tests: a test lists the messages it expects a window to receive
// and gets a readable, line-by-line difference when they do not match.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/desktop.h"

namespace qm::testing {

// One message as a window received it.
struct RecordedMessage {
    Hwnd window{};
    std::uint32_t message = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
    bool posted = false;    // taken from the posted queue (PostMessage or real input)
    bool fromPort = false;  // sent or posted by the robot through the Desktop port;
                            // false for what the desktop's controls or a substitute
                            // program sent themselves (notifications, focus, input)
    std::u16string text;    // the text a WM_SETTEXT or CB_ADDSTRING carried
    std::size_t units = 0;  // buffer size of WM_GETTEXT / EM_GETLINE
    std::uint64_t time = 0; // virtual time of delivery, in ms
};

// One expected message; unset fields match anything.
struct ExpectedMessage {
    std::uint32_t message = 0;
    std::optional<std::uintptr_t> wParam;
    std::optional<std::intptr_t> lParam;
    std::optional<bool> posted;
    bool optional = false;  // may be missing from the actual sequence
};

// Builders that read like the expected sequences of Wine's message tests:
//   {Sent(WM_SETFOCUS), Sent(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(15, 15)), Posted(WM_KEYDOWN, VK_TAB)}
ExpectedMessage Sent(std::uint32_t message);
ExpectedMessage Sent(std::uint32_t message, std::uintptr_t wParam);
ExpectedMessage Sent(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
ExpectedMessage Posted(std::uint32_t message);
ExpectedMessage Posted(std::uint32_t message, std::uintptr_t wParam);
ExpectedMessage Posted(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
ExpectedMessage AnyWay(std::uint32_t message);  // sent or posted, any parameters
ExpectedMessage Optional(ExpectedMessage expected);

// Keeps only the messages that went through the Desktop port (what the robot
// itself sent or posted), dropping notifications, focus changes and input.
std::vector<RecordedMessage> PortOnly(const std::vector<RecordedMessage>& messages);
// Keeps only the given message numbers.
std::vector<RecordedMessage> OnlyMessages(const std::vector<RecordedMessage>& messages,
                                          const std::vector<std::uint32_t>& numbers);

// Empty when `actual` matches `expected` in order (optional entries may be
// skipped); otherwise a report of both sequences side by side with the first
// difference marked, for EXPECT_EQ("", DiffMessages(...)).
std::string DiffMessages(const std::vector<RecordedMessage>& actual,
                         const std::vector<ExpectedMessage>& expected);

// "WM_LBUTTONDOWN" for known numbers, "0x1234" (or "registered 0xC001") otherwise.
std::string MessageName(std::uint32_t message);
// One line: "sent WM_COMMAND wParam=0x3e8 lParam=0x10020 to 0x10010".
std::string Describe(const RecordedMessage& message);

}  // namespace qm::testing
