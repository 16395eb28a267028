// The formatter for the caller's map scripts. It accepts exactly the conversions
// an operation expects and refuses anything else, so a caller's script can never
// make the robot read an argument that is not there or overrun a buffer.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

// What a script format may consume, in order.
enum class ScriptArguments {
    None,               // a position-reading script: no conversions, "%%" only
    TwoDoubles,         // a placement script: two floating-point conversions (x, y)
    TwoDoublesAndText,  // x, y and a text (%s)
};

struct ScriptInputs {
    double x = 0;
    double y = 0;
    std::u16string_view text;
};

// Formats format into at most capacity units including the terminating NUL.
// Floating-point conversions: %[flags][width][.precision][l|L]{f,F,e,E,g,G,a,A}
// (flags "-+ #0"); text: %s or %ls; "%%" is a percent sign. Refused (empty
// result): any other conversion (%n, %d, %*...), a text conversion where no text
// is expected, too many or too few conversions for the operation, or output that
// does not fit capacity.
std::optional<std::u16string> FormatScript(std::u16string_view format, ScriptArguments expected,
                                           const ScriptInputs& inputs, std::size_t capacity);

}  // namespace qm
