// Case folding for the fake desktop's lookups (FindWindow, FindWindowEx and
// RegisterWindowMessage compare names without regard to case).
//
// Case is folded one UTF-16 unit at a time, a lower-case letter to its
// upper-case partner where the two map to each other both ways (as Wine's
// tables do), for ASCII, Latin-1 Supplement (U+00E0..U+00FE but U+00F7; U+00FF
// with U+0178), Latin Extended-A (U+0100..U+017F), Greek and Coptic
// (U+0370..U+03FF), Cyrillic with its supplement (U+0400..U+052F) and the
// full-width Latin letters (U+FF21..U+FF5A). Letters without a partner that
// maps back stay themselves: dotless i (U+0131), dotted I (U+0130), long s
// (U+017F), micro sign (U+00B5), sharp s (U+00DF), final sigma (U+03C2), the
// Greek symbol forms (U+03D0, U+03F4, ...). Letters of other ranges (Latin
// Extended-B, IPA, Armenian, Latin Extended Additional, ...) compare exactly
// here, though Windows folds many of them too.
#pragma once

#include <string>

namespace qm::testing::detail {

// The upper-case partner of a lower-case letter whose partner maps back to it,
// else the unit itself.
char16_t FoldCase(char16_t c);
// Every unit of s folded.
std::u16string Fold(const std::u16string& s);
// Whether a and the NUL-terminated b are equal once folded.
bool EqualsFold(const std::u16string& a, const char16_t* b);

}  // namespace qm::testing::detail
