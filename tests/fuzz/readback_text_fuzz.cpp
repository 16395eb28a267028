// The text rules of every adapter's read-back, fed any UTF-16 text of up to
// 1024 units (what a box gives back): the branch display of each program, the
// telephone and amount texts, the bracketed place name, the via name and the
// via and consignment marks. Each result is checked against a reading made
// here with the C library, or against what the rule promises of its result.
// The first byte of an input chooses the rule: 0 trim, 1 telephone, 2 amount,
// 3 bracketed name, 4 marks, then per program its branch display and, where
// it completes via names, its via name (5 Logi branch, 6 CManerXE4 branch,
// 7 CManerXE4 via name, 8 Icon2013 branch, 9 Icon2013 via name).
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <functional>
#include <optional>
#include <vector>
#include <string>

#include "callport/text.h"
#include "core/request_block.h"
#include "tests/fuzz/fuzz_support.h"

namespace qm::fuzz {
namespace {

// One row per dispatch program: how it shows the branch and how its via
// names are completed (none for the Logi programs, which take the box as it is).
struct AdapterTextRules {
    const char* program;
    BranchDisplayShape branch;
    std::optional<ViaDetail> viaName;
};
const AdapterTextRules kAdapters[] = {
    {"LogiD2/LogiD5", kLogiBranchDisplay, std::nullopt},
    {"CManerXE4", kCManerXE4BranchDisplay, ViaDetail::Whole},
    {"Icon2013", kIcon2013BranchDisplay, ViaDetail::BeforeLenticular},
};

bool HighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

// Windows' iswspace: the C library's here, and the no-break spaces.
bool ReferenceSpace(char16_t c) { return std::iswspace(c) || c == 0x00A0 || c == 0x2007 || c == 0x202F; }

std::u16string ReferenceTrim(std::u16string_view s) {
    std::size_t first = 0, last = s.size();
    while (first < last && ReferenceSpace(s[first])) ++first;
    while (last > first && ReferenceSpace(s[last - 1])) --last;
    return std::u16string(s.substr(first, last - first));
}

bool IsTrimmed(std::u16string_view s) { return ReferenceTrim(s) == s; }

// A text stored into a fixed field: all of it, or a cut that leaves no half of
// a surrogate pair at the end (a character is stored whole or not at all).
template <std::size_t N>
void CheckStored(const char16_t (&field)[N], std::u16string_view source) {
    FUZZ_CHECK(field[N - 1] == u'\0');
    const std::u16string_view stored = ReadField(field);
    const std::u16string_view whole = source.substr(0, source.find(u'\0'));
    FUZZ_CHECK(whole.starts_with(stored));
    if (stored.size() < whole.size()) {
        FUZZ_CHECK(stored.size() >= N - 2);
        FUZZ_CHECK(!(stored.size() > 0 && HighSurrogate(stored.back()) && whole[stored.size()] >= 0xDC00 &&
                     whole[stored.size()] <= 0xDFFF));
    }
}

void CheckBranch(const AdapterTextRules& rules, std::u16string_view shown) {
    const std::optional<BranchShown> branch = SplitBranchDisplay(shown, rules.branch);
    const std::u16string cleaned = Remove(ReferenceTrim(shown), u'-');
    const std::size_t open = cleaned.rfind(rules.branch.open);
    const std::size_t close = cleaned.rfind(rules.branch.close);
    FUZZ_CHECK(branch.has_value() == (open != std::u16string::npos && close != std::u16string::npos && close > open));
    if (!branch) return;
    FUZZ_CHECK(branch->number == ReferenceTrim(cleaned.substr(open + 1, close - open - 1)));
    FUZZ_CHECK(IsTrimmed(branch->name));
    FUZZ_CHECK(branch->name.find(u'-') == std::u16string::npos);
    if (rules.branch.nameAfterLast != 0) FUZZ_CHECK(branch->name.find(rules.branch.nameAfterLast) == std::u16string::npos);
    if (rules.branch.nameWithout.empty() && rules.branch.nameAfterLast == 0)
        FUZZ_CHECK(branch->name == ReferenceTrim(cleaned.substr(0, open)));
    // Into the block as the read-backs write it.
    char16_t branchName[24], branchNumber[24];
    WriteField(branchName, branch->name);
    WriteField(branchNumber, branch->number);
    CheckStored(branchName, branch->name);
    CheckStored(branchNumber, branch->number);
}

void CheckPhone(std::u16string_view shown) {
    const std::u16string formatted = FormatPhoneNumber(shown);
    const std::u16string digits = Remove(Remove(shown, u'-'), u'_');
    if (digits.size() < 7) {
        FUZZ_CHECK(formatted == shown);
    } else {
        FUZZ_CHECK(formatted.find(u'_') == std::u16string::npos);
        FUZZ_CHECK(Remove(formatted, u'-') == Remove(digits, u'-'));
        const std::size_t hyphens = formatted.size() - Remove(formatted, u'-').size();
        FUZZ_CHECK(hyphens == (digits[0] == u'0' ? 2u : 1u));
        // prefix "-" middle "-" last for a number with a leading 0, head "-" last
        // otherwise; last is at most four units.
        std::size_t prefix = 0;
        if (digits[0] == u'0') {
            prefix = digits.starts_with(u"02")                                     ? 2
                     : digits.starts_with(u"0504") || digits.starts_with(u"0505") ? 4
                                                                                   : 3;
            FUZZ_CHECK(formatted.substr(0, prefix + 1) == digits.substr(0, prefix) + u"-");
        }
        const std::size_t last = std::min<std::size_t>(4, digits.size() - prefix);
        FUZZ_CHECK(formatted.ends_with(u"-" + digits.substr(digits.size() - last)));
    }
    // The read-back's telephone: trimmed, hyphens gone, cut to the field.
    char16_t customerPhone[24];
    WriteField(customerPhone, Remove(Trim(shown), u'-'));
    CheckStored(customerPhone, Remove(ReferenceTrim(shown), u'-'));
}

void CheckAmount(std::u16string_view shown) {
    char16_t fareField[12];
    WriteField(fareField, Remove(Trim(shown), u','));
    CheckStored(fareField, Remove(ReferenceTrim(shown), u','));
    const std::u16string_view fare = ReadField(fareField);
    FUZZ_CHECK(LeadingInteger(fare) == ReferenceInteger(fare));
    FUZZ_CHECK(LeadingInteger(shown) == ReferenceInteger(shown));
    FUZZ_CHECK(IsPositive(fare) == (ReferenceInteger(fare) > 0));
    FUZZ_CHECK(SameDouble(LeadingDouble(shown), ReferenceDouble(shown)));
}

void CheckBracketedName(std::u16string_view shown) {
    // The box's text reaches the rule as a C string: up to its first NUL.
    const std::u16string text(shown.substr(0, shown.find(u'\0')));
    PlaceRecord place{};
    place.x = 1.5;
    WriteField(place.fullText, u"kept");
    CopyBracketedText(text.c_str(), &place);
    std::wstring wide = Wide(text);
    std::wstring between = wide;
    if (const wchar_t* open = std::wcschr(wide.c_str(), L'[')) {
        if (const wchar_t* close = std::wcschr(open, L']')) between.assign(open + 1, close);
    }
    std::u16string want = ReferenceTrim(std::u16string(between.begin(), between.end()));
    if (want.size() > 511) want.resize(HighSurrogate(want[510]) ? 510 : 511);
    FUZZ_CHECK(ReadField(place.name) == want);
    FUZZ_CHECK(place.x == 1.5 && ReadField(place.fullText) == u"kept");
}

void CheckViaName(ViaDetail detail, std::u16string_view shown) {
    // The text split in two: the via's name box and its detail box.
    const std::size_t split = shown.empty() ? 0 : shown[0] % (shown.size() + 1);
    PlaceRecord place{};
    WriteField(place.name, shown.substr(0, split));
    WriteField(place.fullText, shown.substr(split));
    const std::u16string before(ReadField(place.name));
    const std::u16string fullText(ReadField(place.fullText));
    PrefixViaName(place, detail);
    const std::u16string_view after = ReadField(place.name);
    FUZZ_CHECK(place.name[511] == u'\0');
    if (after != before) CheckStored(place.name, [&] {
        const std::size_t blank = after.find(u' ');
        return std::u16string(after.substr(0, blank)) + u" " + before;
    }());
    if (before == fullText) {
        FUZZ_CHECK(after == before);
        return;
    }
    if (after == before) return;
    // Completed: the detail's last word and a blank in front of the old name.
    const std::size_t blank = after.find(u' ');
    FUZZ_CHECK(blank != std::u16string_view::npos && blank > 0);
    const std::u16string_view word = after.substr(0, blank);
    FUZZ_CHECK(before.find(word) == std::u16string::npos);
    const std::u16string whole = std::u16string(word) + u" " + before;
    FUZZ_CHECK(whole.starts_with(after) && (after.size() == whole.size() || after.size() == 511));
    const std::u16string detailText = ReferenceTrim(fullText);
    FUZZ_CHECK(detailText.find(std::u16string(u" ") + std::u16string(word)) != std::u16string::npos);
}

void CheckMarkers(std::u16string_view text) {
    const std::wstring wide = Wide(text);
    auto any = [&](std::initializer_list<const wchar_t*> marks) {
        for (const wchar_t* m : marks)
            if (wide.find(m) != std::wstring::npos) return true;
        return false;
    };
    FUZZ_CHECK(HasViaMarker(text) == any({L"경유)", L"경)", L"경유]", L"경유/", L"경유}"}));
    FUZZ_CHECK(HasConsignmentMarker(text) == any({L"탁송", L"탁)", L"탁]", L"탁/", L"탁}"}));
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
    // One rule per run, chosen by the first byte (a run of them all would spend
    // most of its time on rules the input does not reach); the text follows.
    static const std::vector<std::function<void(std::u16string_view)>> rules = [] {
        std::vector<std::function<void(std::u16string_view)>> all = {
            [](std::u16string_view t) { FUZZ_CHECK(Trim(t) == ReferenceTrim(t)); },
            CheckPhone, CheckAmount, CheckBracketedName, CheckMarkers,
        };
        for (const AdapterTextRules& adapter : kAdapters) {
            all.push_back([&adapter](std::u16string_view t) { CheckBranch(adapter, t); });
            if (adapter.viaName) all.push_back([&adapter](std::u16string_view t) { CheckViaName(*adapter.viaName, t); });
        }
        return all;
    }();
    if (size < 1) return 0;
    rules[data[0] % rules.size()](Units(data + 1, size - 1, 1024));
    return 0;
}
