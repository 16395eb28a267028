// String operations and the two text rules the adapters share.
#include "callport/text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace qm {

namespace {

// Texts handed in as bare pointers come from our own buffers; even so, never
// scan further than this for their terminator.
constexpr std::size_t kMaxPointerText = 1u << 16;

std::u16string_view BoundedView(const char16_t* text) {
    if (text == nullptr) return {};
    std::size_t n = 0;
    while (n < kMaxPointerText && text[n] != u'\0') ++n;
    return {text, n};
}

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

std::size_t SkipSpaces(std::u16string_view s) {
    std::size_t i = 0;
    while (i < s.size() && IsSpace(s[i])) ++i;
    return i;
}

}  // namespace

// The white space of Windows' iswspace, wherever the robot runs: the ASCII
// blank, tab, LF, VT, FF and CR, and every Unicode space separator, the
// no-break spaces U+00A0, U+2007 and U+202F included (a dispatch program that
// pads a box with them pads it all the same). U+0085 is a control character,
// not white space. Linux's iswspace leaves the no-break spaces out, so this
// does not ask the C library.
bool IsSpace(char16_t c) {
    if (c == u' ' || (c >= u'\t' && c <= u'\r')) return true;
    if (c < 0x00A0) return false;
    return c == 0x00A0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 ||
           c == 0x202F || c == 0x205F || c == 0x3000;
}

std::u16string TrimLeft(std::u16string_view s) { return std::u16string(s.substr(SkipSpaces(s))); }

std::u16string TrimRight(std::u16string_view s) {
    std::size_t n = s.size();
    while (n > 0 && IsSpace(s[n - 1])) --n;
    return std::u16string(s.substr(0, n));
}

std::u16string Trim(std::u16string_view s) {
    const std::size_t first = SkipSpaces(s);
    std::size_t n = s.size();
    while (n > first && IsSpace(s[n - 1])) --n;
    return std::u16string(s.substr(first, n - first));
}

std::u16string Remove(std::u16string_view s, char16_t c) {
    std::u16string out;
    out.reserve(s.size());
    for (char16_t u : s)
        if (u != c) out.push_back(u);
    return out;
}

int Replace(std::u16string& s, std::u16string_view from, std::u16string_view to) {
    if (from.empty()) return 0;
    std::u16string out;
    int count = 0;
    std::size_t pos = 0;
    for (;;) {
        const std::size_t hit = s.find(from.data(), pos, from.size());
        if (hit == std::u16string::npos) break;
        out.append(s, pos, hit - pos);
        out.append(to);
        pos = hit + from.size();
        ++count;
    }
    if (count == 0) return 0;
    out.append(s, pos, std::u16string::npos);
    s = std::move(out);
    return count;
}

std::u16string Mid(std::u16string_view s, int first, int count) {
    if (first < 0) first = 0;
    if (count < 0) count = 0;
    const auto f = static_cast<std::size_t>(first);
    if (f >= s.size()) return {};
    return std::u16string(s.substr(f, static_cast<std::size_t>(count)));
}

std::u16string Mid(std::u16string_view s, int first) {
    if (first < 0) first = 0;
    const auto f = static_cast<std::size_t>(first);
    if (f >= s.size()) return {};
    return std::u16string(s.substr(f));
}

std::u16string Left(std::u16string_view s, int count) {
    if (count <= 0) return {};
    return std::u16string(s.substr(0, static_cast<std::size_t>(count)));
}

std::u16string Right(std::u16string_view s, int count) {
    if (count <= 0) return {};
    const auto n = static_cast<std::size_t>(count);
    if (n >= s.size()) return std::u16string(s);
    return std::u16string(s.substr(s.size() - n));
}

int Find(std::u16string_view s, std::u16string_view what, int start) {
    if (start < 0) start = 0;
    const auto f = static_cast<std::size_t>(start);
    if (f > s.size()) return -1;
    const std::size_t hit = s.find(what, f);
    return hit == std::u16string_view::npos ? -1 : static_cast<int>(hit);
}

int Find(std::u16string_view s, char16_t what, int start) {
    return Find(s, std::u16string_view(&what, 1), start);
}

int ReverseFind(std::u16string_view s, char16_t c) {
    const std::size_t hit = s.rfind(c);
    return hit == std::u16string_view::npos ? -1 : static_cast<int>(hit);
}

// StrStrW finds nothing for an empty needle; an empty text therefore never
// counts as shown on a screen.
bool Contains(std::u16string_view haystack, std::u16string_view needle) {
    return !needle.empty() && haystack.find(needle) != std::u16string_view::npos;
}

std::int64_t LeadingInteger(std::u16string_view s) {
    std::size_t i = SkipSpaces(s);
    bool negative = false;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) {
        negative = s[i] == u'-';
        ++i;
    }
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    std::int64_t value = 0;  // accumulated with the sign applied, so kMin is reachable
    for (; i < s.size() && IsDigit(s[i]); ++i) {
        const int d = s[i] - u'0';
        if (negative) {
            if (value < (kMin + d) / 10) return kMin;
            value = value * 10 - d;
        } else {
            if (value > (kMax - d) / 10) return kMax;
            value = value * 10 + d;
        }
    }
    return value;
}

bool IsPositive(std::u16string_view s) { return !s.empty() && LeadingInteger(s) > 0; }

// Decimal only: [sign] digits [. digits] [e|E [sign] digits], at least one
// mantissa digit. Hexadecimal, "inf" and "nan" prefixes are not numbers here.
double LeadingDouble(std::u16string_view s) {
    std::size_t i = SkipSpaces(s);
    std::string ascii;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) {
        if (s[i] == u'-') ascii.push_back('-');
        ++i;
    }
    std::size_t digits = 0;
    int firstNonZero = -1;  // position of the first significant digit relative to the point
    int integerDigits = 0;
    for (; i < s.size() && IsDigit(s[i]); ++i, ++digits) {
        if (firstNonZero < 0 && s[i] != u'0') firstNonZero = integerDigits;
        ++integerDigits;
        ascii.push_back(static_cast<char>(s[i]));
    }
    int fractionDigits = 0;
    if (i < s.size() && s[i] == u'.') {
        std::size_t j = i + 1;
        std::string fraction;
        for (; j < s.size() && IsDigit(s[j]); ++j) {
            if (firstNonZero < 0 && s[j] != u'0') firstNonZero = integerDigits + fractionDigits;
            ++fractionDigits;
            fraction.push_back(static_cast<char>(s[j]));
        }
        if (digits + fraction.size() > 0) {
            ascii.push_back('.');
            ascii += fraction;
            digits += fraction.size();
            i = j;
        }
    }
    if (digits == 0) return 0.0;
    long long exponent = 0;
    if (i < s.size() && (s[i] == u'e' || s[i] == u'E')) {
        std::size_t j = i + 1;
        bool negativeExp = false;
        if (j < s.size() && (s[j] == u'+' || s[j] == u'-')) {
            negativeExp = s[j] == u'-';
            ++j;
        }
        if (j < s.size() && IsDigit(s[j])) {
            std::string exp;
            for (; j < s.size() && IsDigit(s[j]); ++j) {
                exp.push_back(static_cast<char>(s[j]));
                if (exponent < 1000000000) exponent = exponent * 10 + (s[j] - u'0');
            }
            if (negativeExp) exponent = -exponent;
            ascii.push_back('e');
            if (negativeExp) ascii.push_back('-');
            ascii += exp;
        }
    }
    const char* begin = ascii.data();
    const char* end = begin + ascii.size();
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(begin, end, value, std::chars_format::general);
    const bool negative = !ascii.empty() && ascii[0] == '-';
    if (ec == std::errc::result_out_of_range) {
        // Too large or too small for a double: as wcstod, +-HUGE_VAL or +-0.
        if (firstNonZero < 0) return negative ? -0.0 : 0.0;
        const long long magnitude = static_cast<long long>(integerDigits) - firstNonZero + exponent;
        const double v = magnitude > 0 ? HUGE_VAL : 0.0;
        return negative ? -v : v;
    }
    if (ec != std::errc{}) return 0.0;
    (void)ptr;
    return value;
}

namespace {

// The page's answer is read into a buffer of this many units (NUL included),
// and each of its two numbers into one of kPieceUnits.
constexpr std::size_t kPositionTextUnits = 512;
constexpr std::size_t kPieceUnits = 32;

bool IsPositionDelimiter(char16_t c) {
    return c == u'(' || c == u')' || c == u'[' || c == u']' || c == u',' || c == u' ' || c == u'\t';
}

}  // namespace

std::optional<PagePosition> ParsePositionText(std::u16string_view answer, PositionPieces pieces) {
    const std::u16string text = Trim(answer);
    // Empty, or too long for the answer's buffer: not a position.
    if (text.empty() || text.size() + 1 > kPositionTextUnits) return std::nullopt;

    std::u16string piece[2];
    int count = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (IsPositionDelimiter(text[i])) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && !IsPositionDelimiter(text[end])) ++end;
        if (count < 2) {
            // A number that does not fit its buffer would be read cut short,
            // which is a different number: refused instead.
            if (end - i + 1 > kPieceUnits) return std::nullopt;
            piece[count] = text.substr(i, end - i);
        }
        ++count;
        i = end;
    }
    if (count != 2) return std::nullopt;
    if (pieces == PositionPieces::AfterColon) {
        for (std::u16string& p : piece) {
            const int colon = Find(p, u':');
            if (colon > 0) p = Trim(Mid(p, colon + 1));
        }
    }
    return PagePosition{LeadingDouble(piece[0]), LeadingDouble(piece[1])};
}

std::u16string FormatPhoneNumber(std::u16string_view number) {
    const std::u16string s = Remove(Remove(number, u'-'), u'_');
    if (s.size() < 7) return std::u16string(number);
    std::u16string out;
    if (s[0] == u'0') {
        std::u16string prefix;
        if (Left(s, 2) == u"02") {
            prefix = Left(s, 2);
        } else {
            const std::u16string four = Left(s, 4);
            prefix = (four == u"0504" || four == u"0505") ? four : Left(s, 3);
        }
        const std::u16string rest = Mid(s, static_cast<int>(prefix.size()));
        const std::u16string last = Right(rest, 4);
        const std::u16string middle = Left(rest, static_cast<int>(rest.size() - last.size()));
        out = prefix + u"-" + middle + u"-" + last;
    } else {
        const std::u16string last = Right(s, 4);
        const std::u16string head = Left(s, static_cast<int>(s.size() - last.size()));
        out = head + u"-" + last;
    }
    return out;
}

void CopyBracketedText(const char16_t* text, PlaceRecord* place) {
    if (place == nullptr) return;
    std::u16string t(BoundedView(text));
    if (!t.empty()) {
        const int i = Find(t, u'[');
        if (i >= 0) {
            const int j = Find(t, u']', i);
            if (j > i) t = Mid(t, i + 1, j - i - 1);
        }
    }
    t = Trim(t);
    // A name longer than the field is cut to 511 units, never between the two
    // halves of a surrogate pair.
    constexpr std::size_t kRoom = sizeof(place->name) / sizeof(place->name[0]) - 1;
    if (t.size() > kRoom) {
        std::size_t n = kRoom;
        if (t[n - 1] >= 0xD800 && t[n - 1] <= 0xDBFF) --n;
        t.resize(n);
    }
    WriteField(place->name, t);
}

std::optional<BranchShown> SplitBranchDisplay(std::u16string_view shown, const BranchDisplayShape& shape) {
    const std::u16string text = Remove(Trim(shown), u'-');
    const int open = ReverseFind(text, shape.open);
    const int close = ReverseFind(text, shape.close);
    if (!(open >= 0 && close > open)) return std::nullopt;
    BranchShown branch;
    branch.number = Trim(Mid(text, open + 1, close - open - 1));
    std::u16string name = Trim(Left(text, open));
    if (shape.nameAfterLast != 0) {
        const int mark = ReverseFind(name, shape.nameAfterLast);
        if (mark >= 0) name = Mid(name, mark + 1);
    }
    if (!shape.nameWithout.empty()) Replace(name, shape.nameWithout, u"");
    branch.name = Trim(name);
    return branch;
}

namespace {
template <std::size_t N>
bool ContainsAny(std::u16string_view text, const std::u16string_view (&marks)[N]) {
    for (std::u16string_view m : marks)
        if (Contains(text, m)) return true;
    return false;
}
}  // namespace

bool HasViaMarker(std::u16string_view originText) {
    static constexpr std::u16string_view kMarks[] = {u"경유)", u"경)", u"경유]", u"경유/", u"경유}"};
    return ContainsAny(originText, kMarks);
}

bool HasConsignmentMarker(std::u16string_view originText) {
    static constexpr std::u16string_view kMarks[] = {u"탁송", u"탁)", u"탁]", u"탁/", u"탁}"};
    return ContainsAny(originText, kMarks);
}

std::u16string SourceAndShown(std::u16string_view typed, std::u16string_view shown) {
    std::u16string text = u"src: ";
    text += typed;
    text += u", get: ";
    text += shown;
    return text;
}

void PrefixViaName(PlaceRecord& place, ViaDetail detail) {
    const std::u16string_view name = ReadField(place.name);
    const std::u16string_view fullText = ReadField(place.fullText);
    if (name == fullText) return;
    std::u16string t = Trim(fullText);
    if (detail == ViaDetail::BeforeLenticular) {
        const int bracket = Find(t, u'【', 1);
        if (bracket > 0) t = Trim(Left(t, bracket));
    }
    const int k = ReverseFind(t, u' ');
    if (k <= 0) return;
    const std::u16string word = Mid(t, k + 1);
    if (Contains(name, word)) return;
    WriteField(place.name, word + u" " + std::u16string(name));
}

}  // namespace qm
