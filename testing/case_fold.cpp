#include "testing/case_fold.h"

namespace qm::testing::detail {

// The ranges are listed in the header.
char16_t FoldCase(char16_t c) {
    const auto minus = [c](int n) { return static_cast<char16_t>(c - n); };
    const bool odd = (c & 1u) != 0;
    if (c < 0x80) return (c >= u'a' && c <= u'z') ? minus(0x20) : c;
    if (c < 0x100) {
        if (c == 0xFF) return 0x178;                                   // ÿ Ÿ
        return (c >= 0xE0 && c <= 0xFE && c != 0xF7) ? minus(0x20) : c;  // not ÷, µ or ß
    }
    if (c < 0x180) {
        // Pairs, upper case first: U+0100..U+0137 and U+014A..U+0177 from an
        // even unit, U+0139..U+0148 and U+0179..U+017E from an odd one. Dotless
        // i (U+0131), kra (U+0138), 'n (U+0149) and long s (U+017F) have none.
        if (c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
        if ((c <= 0x137 || (c >= 0x14A && c <= 0x177)) && odd) return minus(1);
        if (((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) && !odd) return minus(1);
        return c;
    }
    if (c >= 0x370 && c < 0x400) {
        if (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) return minus(0x20);  // not final sigma
        if (c == 0x3AC) return 0x386;
        if (c >= 0x3AD && c <= 0x3AF) return minus(0x25);
        if (c == 0x3CC) return 0x38C;
        if (c == 0x3CD || c == 0x3CE) return minus(0x3F);
        if (((c >= 0x370 && c <= 0x373) || c == 0x376 || c == 0x377 || (c >= 0x3D8 && c <= 0x3EF)) && odd) {
            return minus(1);
        }
        switch (c) {
        case 0x37B: case 0x37C: case 0x37D: return static_cast<char16_t>(c + 0x82);  // ͻ Ͻ
        case 0x3D7: return 0x3CF;
        case 0x3F2: return 0x3F9;
        case 0x3F3: return 0x37F;
        case 0x3F8: return 0x3F7;
        case 0x3FB: return 0x3FA;
        default: return c;
        }
    }
    if (c >= 0x400 && c < 0x530) {
        if (c >= 0x430 && c <= 0x44F) return minus(0x20);
        if (c >= 0x450 && c <= 0x45F) return minus(0x50);
        if (c == 0x4CF) return 0x4C0;
        // Pairs: U+0460..U+0481, U+048A..U+04BF and U+04D0..U+052F from an even
        // unit, U+04C1..U+04CE from an odd one.
        if (((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF) || c >= 0x4D0) && odd) return minus(1);
        if (c >= 0x4C1 && c <= 0x4CE && !odd) return minus(1);
        return c;
    }
    if (c >= 0xFF41 && c <= 0xFF5A) return minus(0x20);  // full-width a..z
    return c;
}

std::u16string Fold(const std::u16string& s) {
    std::u16string out(s);
    for (auto& c : out) c = FoldCase(c);
    return out;
}

bool EqualsFold(const std::u16string& a, const char16_t* b) {
    std::size_t i = 0;
    for (; i < a.size(); ++i) {
        if (b[i] == u'\0' || FoldCase(a[i]) != FoldCase(b[i])) return false;
    }
    return b[i] == u'\0';
}

}  // namespace qm::testing::detail
