// The caller's map scripts are format strings. They are parsed here by hand;
// only a single floating-point conversion whose format we rebuilt ourselves from
// validated parts ever reaches the C library.
#include "callport/script_format.h"

#include <array>
#include <cstdio>
#include <string>
#include <vector>

namespace qm {

namespace {

// Widths and precisions above this are refused: the output stays small and a
// script never asks the C library for megabytes of padding.
constexpr unsigned kMaxWidthOrPrecision = 300;

enum class Slot { Double, Text };

std::vector<Slot> SlotsFor(ScriptArguments expected) {
    switch (expected) {
        case ScriptArguments::None:
            return {};
        case ScriptArguments::TwoDoubles:
            return {Slot::Double, Slot::Double};
        case ScriptArguments::TwoDoublesAndText:
            return {Slot::Double, Slot::Double, Slot::Text};
    }
    return {};
}

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Reads a decimal number of at most kMaxWidthOrPrecision; false when it is larger.
bool ReadBounded(std::u16string_view f, std::size_t& i, unsigned& value) {
    value = 0;
    while (i < f.size() && IsDigit(f[i])) {
        value = value * 10 + static_cast<unsigned>(f[i] - u'0');
        if (value > kMaxWidthOrPrecision) return false;
        ++i;
    }
    return true;
}

// One floating-point conversion rendered by the C library from a format that is
// built here of checked parts only.
bool RenderDouble(const std::string& flags, bool hasWidth, unsigned width, bool hasPrecision, unsigned precision,
                  char conversion, double value, std::u16string& out) {
    std::string conversionFormat = "%" + flags;
    if (hasWidth) conversionFormat += std::to_string(width);
    if (hasPrecision) conversionFormat += "." + std::to_string(precision);
    conversionFormat.push_back(conversion);
    // %f of the largest double has 309 digits; with a precision of 300 and a sign
    // the result stays well below this.
    std::array<char, 1024> buffer{};
    const int n = std::snprintf(buffer.data(), buffer.size(), conversionFormat.c_str(), value);
    if (n < 0 || static_cast<std::size_t>(n) >= buffer.size()) return false;
    for (int k = 0; k < n; ++k) out.push_back(static_cast<char16_t>(static_cast<unsigned char>(buffer[k])));
    return true;
}

}  // namespace

std::optional<std::u16string> FormatScript(std::u16string_view format, ScriptArguments expected,
                                           const ScriptInputs& inputs, std::size_t capacity) {
    const std::vector<Slot> slots = SlotsFor(expected);
    std::size_t used = 0;
    std::u16string out;
    const double doubles[2] = {inputs.x, inputs.y};
    std::size_t doublesUsed = 0;

    for (std::size_t i = 0; i < format.size();) {
        const char16_t c = format[i];
        if (c != u'%') {
            out.push_back(c);
            ++i;
        } else {
            ++i;
            if (i < format.size() && format[i] == u'%') {
                out.push_back(u'%');
                ++i;
            } else {
                // flags
                bool minus = false, plus = false, space = false, hash = false, zero = false;
                for (; i < format.size(); ++i) {
                    const char16_t f = format[i];
                    if (f == u'-') minus = true;
                    else if (f == u'+') plus = true;
                    else if (f == u' ') space = true;
                    else if (f == u'#') hash = true;
                    else if (f == u'0') zero = true;
                    else break;
                }
                unsigned width = 0, precision = 0;
                const std::size_t widthStart = i;
                if (!ReadBounded(format, i, width)) return std::nullopt;
                const bool hasWidth = i > widthStart;
                bool hasPrecision = false;
                if (i < format.size() && format[i] == u'.') {
                    ++i;
                    hasPrecision = true;
                    if (!ReadBounded(format, i, precision)) return std::nullopt;
                }
                bool longModifier = false, longDoubleModifier = false;
                if (i < format.size() && format[i] == u'l') {
                    longModifier = true;
                    ++i;
                } else if (i < format.size() && format[i] == u'L') {
                    longDoubleModifier = true;
                    ++i;
                }
                if (i >= format.size()) return std::nullopt;  // a lone '%' at the end
                const char16_t conv = format[i++];
                const bool anyFlag = minus || plus || space || hash || zero;

                if (conv == u's') {
                    // A text is taken plain only: %s or %ls.
                    if (anyFlag || hasWidth || hasPrecision || longDoubleModifier) return std::nullopt;
                    if (used >= slots.size() || slots[used] != Slot::Text) return std::nullopt;
                    ++used;
                    out.append(inputs.text);
                } else if (conv == u'f' || conv == u'F' || conv == u'e' || conv == u'E' || conv == u'g' ||
                           conv == u'G' || conv == u'a' || conv == u'A') {
                    if (used >= slots.size() || slots[used] != Slot::Double) return std::nullopt;
                    ++used;
                    // l and L change nothing: the argument is a double, and the
                    // Windows C library's long double is a double as well.
                    (void)longModifier;
                    std::string flags;
                    if (minus) flags += '-';
                    if (plus) flags += '+';
                    if (space) flags += ' ';
                    if (hash) flags += '#';
                    if (zero) flags += '0';
                    if (!RenderDouble(flags, hasWidth, width, hasPrecision, precision, static_cast<char>(conv),
                                      doubles[doublesUsed++], out))
                        return std::nullopt;
                } else {
                    return std::nullopt;  // %n, %d, %p, %*, %1$ and everything else
                }
            }
        }
        // Stop as soon as the output can no longer fit with its terminator.
        if (out.size() + 1 > capacity) return std::nullopt;
    }
    if (used != slots.size()) return std::nullopt;
    if (out.size() + 1 > capacity) return std::nullopt;
    return out;
}

}  // namespace qm
