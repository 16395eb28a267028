// The formatter of the caller's map scripts, in its three shapes, with any
// format, doubles (every bit pattern: NaN, infinities, subnormals) and texts.
// Wherever the formatter's rules accept a format, its output must be exactly
// what the C library's swprintf writes for the same conversions; wherever they
// refuse it, it must give nothing.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "callport/script_format.h"
#include "tests/fuzz/fuzz_support.h"

namespace qm::fuzz {
namespace {

// A width or precision of 0 to 300, leading zeros allowed; false when larger.
bool SmallNumber(const std::wstring& digits) {
    std::size_t first = digits.find_first_not_of(L'0');
    if (first == std::wstring::npos) return true;
    const std::wstring significant = digits.substr(first);
    return significant.size() <= 3 && std::stoi(significant) <= 300;
}

// The rules read off the formatter's documentation, and glibc's swprintf for
// the output.
std::optional<std::u16string> Reference(std::u16string_view format16, ScriptArguments expected, double x, double y,
                                        std::u16string_view text, std::size_t capacity) {
    const std::wstring format = Wide(format16);
    std::vector<char> slots;  // 'd' a double, 's' a text
    if (expected != ScriptArguments::None) slots = {'d', 'd'};
    if (expected == ScriptArguments::TwoDoublesAndText) slots.push_back('s');
    std::wstring c;  // the same conversions, as glibc spells them
    std::size_t used = 0;
    for (std::size_t i = 0; i < format.size();) {
        if (format[i] != L'%') {
            c.push_back(format[i++]);
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == L'%') {
            c += L"%%";
            i += 2;
            continue;
        }
        std::size_t j = i + 1;
        const std::size_t flagsEnd = format.find_first_not_of(L"-+ #0", j);
        if (flagsEnd == std::wstring::npos) return std::nullopt;
        const std::wstring flags = format.substr(j, flagsEnd - j);
        j = flagsEnd;
        std::size_t digitsEnd = format.find_first_not_of(L"0123456789", j);
        if (digitsEnd == std::wstring::npos) return std::nullopt;
        const std::wstring width = format.substr(j, digitsEnd - j);
        j = digitsEnd;
        bool hasPrecision = false;
        std::wstring precision;
        if (format[j] == L'.') {
            hasPrecision = true;
            digitsEnd = format.find_first_not_of(L"0123456789", j + 1);
            if (digitsEnd == std::wstring::npos) return std::nullopt;
            precision = format.substr(j + 1, digitsEnd - j - 1);
            j = digitsEnd;
        }
        if (!SmallNumber(width) || !SmallNumber(precision)) return std::nullopt;
        wchar_t modifier = 0;
        if (format[j] == L'l' || format[j] == L'L') modifier = format[j++];
        if (j >= format.size()) return std::nullopt;
        const wchar_t conversion = format[j++];
        if (conversion == L's') {
            if (!flags.empty() || !width.empty() || hasPrecision || modifier == L'L') return std::nullopt;
            if (used >= slots.size() || slots[used] != 's') return std::nullopt;
            c += L"%ls";
        } else if (std::wcschr(L"fFeEgGaA", conversion) != nullptr) {
            if (used >= slots.size() || slots[used] != 'd') return std::nullopt;
            c += L"%" + flags + width + (hasPrecision ? L"." + precision : L"") + conversion;
        } else {
            return std::nullopt;
        }
        ++used;
        i = j;
    }
    if (used != slots.size()) return std::nullopt;
    static std::vector<wchar_t> out(1 << 17);
    const std::wstring wideText = Wide(text);
    int n;
    switch (expected) {
        case ScriptArguments::None: n = std::swprintf(out.data(), out.size(), c.c_str()); break;
        case ScriptArguments::TwoDoubles: n = std::swprintf(out.data(), out.size(), c.c_str(), x, y); break;
        default: n = std::swprintf(out.data(), out.size(), c.c_str(), x, y, wideText.c_str()); break;
    }
    FUZZ_CHECK(n >= 0);
    if (static_cast<std::size_t>(n) + 1 > capacity) return std::nullopt;
    std::u16string result;
    for (int k = 0; k < n; ++k) result.push_back(static_cast<char16_t>(out[k]));
    return result;
}

}  // namespace
}  // namespace qm::fuzz

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    qm::fuzz::UseUtf8Locale();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qm;
    using namespace qm::fuzz;
    FuzzedDataProvider in(data, size);
    const auto expected = static_cast<ScriptArguments>(in.ConsumeIntegralInRange<int>(0, 2));
    const std::size_t capacity = in.ConsumeIntegralInRange<std::size_t>(0, 1500);
    const std::uint64_t xBits = in.ConsumeIntegral<std::uint64_t>();
    const std::uint64_t yBits = in.ConsumeIntegral<std::uint64_t>();
    double x, y;
    std::memcpy(&x, &xBits, sizeof x);
    std::memcpy(&y, &yBits, sizeof y);
    const std::size_t textBytes = 2 * in.ConsumeIntegralInRange<std::size_t>(0, 64);
    const std::vector<std::uint8_t> textData = in.ConsumeBytes<std::uint8_t>(textBytes);
    const std::u16string text = Units(textData.data(), textData.size());
    const std::vector<std::uint8_t> rest = in.ConsumeRemainingBytes<std::uint8_t>();
    const std::u16string format = Units(rest.data(), rest.size());

    const std::optional<std::u16string> got = FormatScript(format, expected, ScriptInputs{x, y, text}, capacity);
    if (got) FUZZ_CHECK(got->size() + 1 <= capacity);
    // swprintf stops at a NUL; the formatter takes the whole text.
    if (format.find(u'\0') != std::u16string::npos || text.find(u'\0') != std::u16string::npos) return 0;
    const std::optional<std::u16string> want = Reference(format, expected, x, y, text, capacity);
    FUZZ_CHECK(got.has_value() == want.has_value());
    if (got) FUZZ_CHECK(*got == *want);
    return 0;
}
