// What the fuzz targets share: a check that stops the run with its reason,
// UTF-16 texts from the fuzzer's bytes, and reference readings of numbers made
// with the C library (wcstod, wcstoll, iswspace), independent of the robot's own.
#pragma once

#include <clocale>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <string>
#include <string_view>

#define FUZZ_CHECK(condition)                                                               \
    do {                                                                                    \
        if (!(condition)) {                                                                 \
            std::fprintf(stderr, "check failed at %s:%d: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                   \
        }                                                                                   \
    } while (0)

namespace qm::fuzz {

// The C library classifies white space as the robot does in a UTF-8 locale.
inline void UseUtf8Locale() { std::setlocale(LC_ALL, "C.UTF-8"); }

// Two bytes per unit, little-endian; at most maxUnits units.
inline std::u16string Units(const std::uint8_t* data, std::size_t size, std::size_t maxUnits = 1024) {
    std::u16string text;
    for (std::size_t i = 0; i + 1 < size && text.size() < maxUnits; i += 2)
        text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    return text;
}

inline std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

inline bool Digit(wchar_t c) { return c >= L'0' && c <= L'9'; }

inline std::size_t SkipCSpaces(const std::wstring& s) {
    std::size_t i = 0;
    while (i < s.size() && std::iswspace(static_cast<wint_t>(s[i]))) ++i;
    return i;
}

// A decimal floating-point prefix as the C library reads it, with hexadecimal,
// "inf" and "nan" left out: 0 when there is none.
inline double ReferenceDouble(std::u16string_view text) {
    const std::wstring s = Wide(text);
    std::size_t i = SkipCSpaces(s);
    const std::size_t start = i;
    if (i < s.size() && (s[i] == L'+' || s[i] == L'-')) ++i;
    std::size_t digits = 0;
    while (i < s.size() && Digit(s[i])) ++i, ++digits;
    if (i < s.size() && s[i] == L'.') {
        std::size_t j = i + 1, fraction = 0;
        while (j < s.size() && Digit(s[j])) ++j, ++fraction;
        if (digits + fraction > 0) i = j, digits += fraction;
    }
    if (digits == 0) return 0.0;
    if (i < s.size() && (s[i] == L'e' || s[i] == L'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == L'+' || s[j] == L'-')) ++j;
        if (j < s.size() && Digit(s[j])) {
            while (j < s.size() && Digit(s[j])) ++j;
            i = j;
        }
    }
    const std::wstring number = s.substr(start, i - start);
    return std::wcstod(number.c_str(), nullptr);
}

// The decimal integer at the start, saturated as wcstoll saturates.
inline long long ReferenceInteger(std::u16string_view text) {
    const std::wstring s = Wide(text);
    std::size_t i = SkipCSpaces(s);
    std::wstring number;
    if (i < s.size() && (s[i] == L'+' || s[i] == L'-')) number.push_back(s[i++]);
    while (i < s.size() && Digit(s[i])) number.push_back(s[i++]);
    return std::wcstoll(number.c_str(), nullptr, 10);
}

// Bit for bit: a -0.0 is not a 0.0.
inline bool SameDouble(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace qm::fuzz
