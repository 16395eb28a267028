#include "sim/kit/text.h"

#include <charconv>
#include <cmath>
#include <string>

namespace qm::sim::kit {

std::u16string Digits(const std::u16string& text) {
    std::u16string out;
    for (char16_t c : text)
        if (c >= u'0' && c <= u'9') out.push_back(c);
    return out;
}

bool EndsWith(const std::u16string& text, const std::u16string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::optional<std::uint32_t> ReadCount(const std::u16string& text) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    std::uint32_t value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') return std::nullopt;
        value = value * 10 + static_cast<std::uint32_t>(c - u'0');
    }
    return value;
}

std::optional<std::u16string> ReadAmount(std::u16string text, const std::u16string& suffix) {
    auto isBlank = [](char16_t c) { return c == u' ' || c == u'\t'; };
    while (!text.empty() && isBlank(text.back())) text.pop_back();
    std::size_t first = 0;
    while (first < text.size() && isBlank(text[first])) ++first;
    text = text.substr(first);
    if (!suffix.empty() && EndsWith(text, suffix)) text.resize(text.size() - suffix.size());
    std::u16string out;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        if (text[i] == u'-') out.push_back(u'-');
        ++i;
    }
    bool any = false;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u',') continue;
        if (c < u'0' || c > u'9') return std::nullopt;
        if (!any && c == u'0' && i + 1 < text.size()) continue;  // leading zeros
        out.push_back(c);
        any = true;
    }
    if (!any) {
        if (text.find(u'0') == std::u16string::npos) return std::nullopt;
        return std::u16string(u"0");
    }
    if (out == u"-0") return std::u16string(u"0");
    return out;
}

bool IsPositiveAmount(const std::optional<std::u16string>& signedDigits) {
    return signedDigits && !signedDigits->empty() && (*signedDigits)[0] != u'-' && *signedDigits != u"0";
}

std::u16string GroupThousands(const std::u16string& signedDigits) {
    const bool negative = !signedDigits.empty() && signedDigits[0] == u'-';
    const std::u16string digits = negative ? signedDigits.substr(1) : signedDigits;
    std::u16string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out.push_back(u',');
        out.push_back(digits[i]);
    }
    return negative ? u"-" + out : out;
}

std::u16string HyphenatedNumber(const std::u16string& number) {
    const std::u16string s = Digits(number);
    if (s.size() < 7) return s;
    auto right = [](const std::u16string& t, std::size_t n) { return t.size() <= n ? t : t.substr(t.size() - n); };
    if (s[0] == u'0') {
        std::u16string prefix;
        if (s.compare(0, 2, u"02") == 0) prefix = s.substr(0, 2);
        else if (s.compare(0, 4, u"0504") == 0 || s.compare(0, 4, u"0505") == 0) prefix = s.substr(0, 4);
        else prefix = s.substr(0, 3);
        const std::u16string rest = s.substr(prefix.size());
        const std::u16string last = right(rest, 4);
        const std::u16string middle = rest.substr(0, rest.size() - last.size());
        return prefix + u"-" + middle + u"-" + last;
    }
    const std::u16string last = right(s, 4);
    return s.substr(0, s.size() - last.size()) + u"-" + last;
}

std::u16string NumberText(double value) {
    if (std::isnan(value)) return u"NaN";
    if (std::isinf(value)) return value > 0 ? u"Infinity" : u"-Infinity";
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (error != std::errc{}) return u"0";
    return std::u16string(buffer, end);
}

}  // namespace qm::sim::kit
