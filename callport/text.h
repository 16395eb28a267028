// Text helpers shared by the adapters: the string operations they rely on, the
// telephone-number rule and the bracketed place name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/request_block.h"

namespace qm {

// White space as Windows' iswspace classifies it: blank, tab, LF, VT, FF, CR
// and the other Unicode spaces, the no-break spaces included.
bool IsSpace(char16_t c);
std::u16string Trim(std::u16string_view s);
std::u16string TrimLeft(std::u16string_view s);
std::u16string TrimRight(std::u16string_view s);
// Every occurrence of c deleted.
std::u16string Remove(std::u16string_view s, char16_t c);
// Every non-overlapping occurrence of from (scanning left to right) replaced by
// to; an empty from changes nothing. Returns the number of replacements.
int Replace(std::u16string& s, std::u16string_view from, std::u16string_view to);
// Substrings with the clamping the adapters rely on: negative first or count is 0,
// a part beyond the end is cut off.
std::u16string Mid(std::u16string_view s, int first, int count);
std::u16string Mid(std::u16string_view s, int first);
std::u16string Left(std::u16string_view s, int count);
std::u16string Right(std::u16string_view s, int count);
// Position of the first occurrence of what at or after start, or -1.
int Find(std::u16string_view s, std::u16string_view what, int start = 0);
int Find(std::u16string_view s, char16_t what, int start = 0);
// Position of the last occurrence of c, or -1.
int ReverseFind(std::u16string_view s, char16_t c);
// A plain, case-sensitive containment test (what StrStrW answers).
bool Contains(std::u16string_view haystack, std::u16string_view needle);

// The decimal integer at the start of s (leading white space and a sign allowed,
// reading stops at the first other character); 0 when there is none. Saturates
// instead of overflowing.
std::int64_t LeadingInteger(std::u16string_view s);
// Not empty and its leading integer is greater than 0.
bool IsPositive(std::u16string_view s);
// The longest valid decimal floating-point prefix after leading white space, as
// wcstod reads it; 0 when there is none.
double LeadingDouble(std::u16string_view s);

// How the two pieces of a page's position answer are read: whole, or (for
// answers like "x:127.5,y:37.25") after the first colon that is not the
// piece's first character.
enum class PositionPieces { Whole, AfterColon };
struct PagePosition {
    double x = 0;
    double y = 0;
};
// A map page's answer to a position script: trimmed, split at "()[], " and tab
// (empty pieces skipped); exactly two pieces, each read with LeadingDouble.
// Nothing for an empty answer, one of 512 units or more, a count other than
// two, or one of the two pieces of 32 units or more (a number cut short would
// be a different number).
std::optional<PagePosition> ParsePositionText(std::u16string_view answer, PositionPieces pieces);

// Writes a telephone-style number with hyphens: 01012345678 -> 010-1234-5678,
// 0212345678 -> 02-1234-5678, 15881234 -> 1588-1234.
std::u16string FormatPhoneNumber(std::u16string_view number);
// The place's name: the text strictly between the first '[' and the next ']'
// when there is such a pair, else the whole text; trimmed, cut to the field.
void CopyBracketedText(const char16_t* text, PlaceRecord* place);

// How a dispatch program shows the order's branch: a name and a number, the
// number between the last `open` and the last `close` ("강남지사 (02-555-1234)",
// "강남지사 [025551234]"). The name may carry a head office before the last
// `nameAfterLast` ("본사 > 강남지사") or a word to drop (every `nameWithout`,
// one pass left to right).
struct BranchDisplayShape {
    char16_t open;
    char16_t close;
    char16_t nameAfterLast = 0;  // 0: the whole part before `open`
    std::u16string_view nameWithout = {};
};
struct BranchShown {
    std::u16string name;
    std::u16string number;
};
// The display trimmed and without hyphens, split by shape; both parts trimmed.
// Nothing when the display holds no `open` with a `close` after it.
std::optional<BranchShown> SplitBranchDisplay(std::u16string_view shown, const BranchDisplayShape& shape);
// The programs' displays: "본사 > 강남지사 (02-123-4567)" (LogiD2, LogiD5),
// "강남지사 [02-555-1234]" (CManerXE4), "접수창 강남지사 (02-555-1234)" (Icon2013).
inline constexpr BranchDisplayShape kLogiBranchDisplay{u'(', u')', u'>'};
inline constexpr BranchDisplayShape kCManerXE4BranchDisplay{u'[', u']'};
inline constexpr BranchDisplayShape kIcon2013BranchDisplay{u'(', u')', 0, u"접수창"};

// The marks a dispatch program puts into an origin's text: the order goes
// through via points ("경유)", "경)", "경유]", "경유/", "경유}"), or the driver
// delivers the vehicle ("탁송", "탁)", "탁]", "탁/", "탁}").
bool HasViaMarker(std::u16string_view originText);
bool HasConsignmentMarker(std::u16string_view originText);

// "src: <typed>, get: <shown>": what an entry reports when the screen did not
// echo what it typed.
std::u16string SourceAndShown(std::u16string_view typed, std::u16string_view shown);

// A via point's name completed from its detail text: the detail's last word
// (after its last blank, which must not be its first character) and a blank
// go in front of the name when the name lacks that word. Nothing changes when
// the name equals the detail text. BeforeLenticular first cuts the trimmed
// detail at a "【" that is not its first character.
enum class ViaDetail { Whole, BeforeLenticular };
void PrefixViaName(PlaceRecord& place, ViaDetail detail = ViaDetail::Whole);

}  // namespace qm
