// Number and text helpers that every substitute shows its numbers with.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qm::sim::kit {

// The ASCII digits of text, in order ("02-123-4567" -> "021234567").
std::u16string Digits(const std::u16string& text);

bool EndsWith(const std::u16string& text, const std::u16string& tail);

// A decimal count of at most nine digits and nothing else ("300"); empty otherwise.
std::optional<std::uint32_t> ReadCount(const std::u16string& text);

// An amount as an operator types it: blanks around it, an optional sign, digits
// with any commas, an optional suffix (e.g. "원"). Its value as signed digits
// without leading zeros ("-1200", "0"), or nothing when the text is no amount.
std::optional<std::u16string> ReadAmount(std::u16string text, const std::u16string& suffix = {});

// Whether signed digits (as ReadAmount gives them) are above zero.
bool IsPositiveAmount(const std::optional<std::u16string>& signedDigits);

// Signed digits grouped by thousands with commas: "-1234567" -> "-1,234,567".
std::u16string GroupThousands(const std::u16string& signedDigits);

// The digits of a telephone-style number (any other characters are dropped)
// written with hyphens, as the dispatch programs show numbers: 02-123-4567,
// 010-1234-5678, 0504-123-4567, 1588-1234. Fewer than seven digits stay as
// they are.
std::u16string HyphenatedNumber(const std::u16string& number);

// The shortest decimal text that reads back as the same double, as a page's
// script shows a number ("NaN", "Infinity", "-Infinity" for the others).
std::u16string NumberText(double value);

}  // namespace qm::sim::kit
