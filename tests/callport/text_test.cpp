// The string rules the adapters compare screen texts with.
#include "callport/text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "core/utf.h"

namespace qm {
namespace {

std::string U8(std::u16string_view s) { return Utf16ToUtf8(s); }

struct PhoneCase {
    std::u16string in;
    std::u16string out;
};

TEST(FormatPhoneNumber, WritesTheHyphensOfEveryNumberKind) {
    const PhoneCase cases[] = {
        {u"01012345678", u"010-1234-5678"},
        {u"0212345678", u"02-1234-5678"},
        {u"021234567", u"02-123-4567"},
        {u"050412345678", u"0504-1234-5678"},
        {u"05051234567", u"0505-123-4567"},
        {u"0311234567", u"031-123-4567"},
        {u"15881234", u"1588-1234"},
        {u"010-1234-5678", u"010-1234-5678"},
        {u"010_1234_5678", u"010-1234-5678"},
        {u"123456", u"123456"},
        {u"12-34-56", u"12-34-56"},
        {u"0504123", u"0504--123"},
        {u"0212 345", u"02-12- 345"},
        {u"", u""},
        {u"1234567", u"123-4567"},
        {u"0501234567", u"050-123-4567"},  // only 0504 and 0505 take four digits
    };
    for (const PhoneCase& c : cases) EXPECT_EQ(U8(FormatPhoneNumber(c.in)), U8(c.out)) << U8(c.in);
}

struct BracketCase {
    std::u16string in;
    std::u16string name;
};

TEST(CopyBracketedText, TakesTheTextBetweenTheFirstPairOfBrackets) {
    const BracketCase cases[] = {
        {u"서울역 [서울역 1번출구]", u"서울역 1번출구"},
        {u"[ 강남역 ]", u"강남역"},
        {u"강남역]", u"강남역]"},
        {u"강남역 [", u"강남역 ["},
        {u"a]b[c]", u"c"},
        {u"[]", u""},
        {u"  plain text\t", u"plain text"},
        {u"x [a] [b]", u"a"},
        {u"", u""},
    };
    for (const BracketCase& c : cases) {
        PlaceRecord place{};
        place.x = 1.5;
        place.fullText[0] = u'F';
        CopyBracketedText(c.in.c_str(), &place);
        EXPECT_EQ(U8(ReadField(place.name)), U8(c.name)) << U8(c.in);
        EXPECT_EQ(place.x, 1.5);
        EXPECT_EQ(place.fullText[0], u'F');  // the rest of the record is not touched
    }
}

TEST(CopyBracketedText, NullTextGivesAnEmptyNameAndLongNamesAreCutWhole) {
    PlaceRecord place{};
    place.name[0] = u'x';
    CopyBracketedText(nullptr, &place);
    EXPECT_EQ(place.name[0], u'\0');

    // 510 letters and then a pair of surrogates: the pair does not fit 511 units
    // and is left out entirely instead of leaving half of it behind.
    std::u16string longName(510, u'a');
    longName += u"\U0001F600tail";
    CopyBracketedText(longName.c_str(), &place);
    EXPECT_EQ(ReadField(place.name), std::u16string(510, u'a'));

    std::u16string exact(600, u'b');
    CopyBracketedText(exact.c_str(), &place);
    EXPECT_EQ(ReadField(place.name).size(), 511u);
    EXPECT_EQ(place.name[511], u'\0');
}

TEST(ParsePositionText, TakesExactlyTwoNumbersThatFitTheirBuffers) {
    struct Case {
        std::u16string answer;
        PositionPieces pieces;
        std::optional<std::pair<double, double>> position;
    };
    const std::u16string piece31 = u"1." + std::u16string(29, u'5');
    const Case cases[] = {
        {u"(37.5665, 126.978)", PositionPieces::Whole, {{37.5665, 126.978}}},
        {u"[37.5, 126.9, 3]", PositionPieces::Whole, std::nullopt},
        {u"  \t ", PositionPieces::Whole, std::nullopt},
        {u"37.5", PositionPieces::Whole, std::nullopt},
        {u"lat:37.25, lng:127.5", PositionPieces::Whole, {{0.0, 0.0}}},
        {u"lat:37.25, lng: 127.5", PositionPieces::AfterColon, std::nullopt},  // three pieces
        {u"(lat:37.25, lng:127.5)", PositionPieces::AfterColon, {{37.25, 127.5}}},
        {u":37.25 x:1", PositionPieces::AfterColon, {{0.0, 1.0}}},  // a colon first stays
        {piece31 + u",2", PositionPieces::Whole, {{LeadingDouble(piece31), 2.0}}},
        {piece31 + u"5,2", PositionPieces::Whole, std::nullopt},  // 32 units do not fit
        {u"1," + std::u16string(508, u' ') + u"2", PositionPieces::Whole, {{1.0, 2.0}}},   // 511 units
        {u"1," + std::u16string(509, u' ') + u"2", PositionPieces::Whole, std::nullopt},  // 512
    };
    for (const Case& c : cases) {
        const std::optional<PagePosition> got = ParsePositionText(c.answer, c.pieces);
        ASSERT_EQ(got.has_value(), c.position.has_value()) << U8(c.answer);
        if (!got) continue;
        EXPECT_EQ(got->x, c.position->first) << U8(c.answer);
        EXPECT_EQ(got->y, c.position->second) << U8(c.answer);
    }
}

TEST(SplitBranchDisplay, SplitsEachProgramsShape) {
    const BranchDisplayShape& logi = kLogiBranchDisplay;
    const BranchDisplayShape& cmaner = kCManerXE4BranchDisplay;
    const BranchDisplayShape& icon = kIcon2013BranchDisplay;
    struct Case {
        const BranchDisplayShape& shape;
        std::u16string_view shown;
        bool split;
        std::u16string_view name, number;
    };
    const Case cases[] = {
        {logi, u" 본사 > 강남지사 (02-123-4567) ", true, u"강남지사", u"021234567"},
        {logi, u"a>b>c(1)", true, u"c", u"1"},
        {logi, u"강남지사 (02-123", false, u"", u""},
        {logi, u"a) (b", false, u"", u""},
        {logi, u"a (1) (2)", true, u"a (1)", u"2"},  // the last pair decides
        {cmaner, u"강남지사 [02-555]", true, u"강남지사", u"02555"},
        {cmaner, u"강남 []", true, u"강남", u""},
        {cmaner, u"강남 (1)", false, u"", u""},
        {cmaner, u"본사 > 강남 [1]", true, u"본사 > 강남", u"1"},
        {icon, u"강남지사 (02-555-1234)", true, u"강남지사", u"025551234"},
        {icon, u"접수창 강남지사 ( 1 )", true, u"강남지사", u"1"},
        {icon, u"접접수창수창 (1)", true, u"접수창", u"1"},  // one pass, as the program's own texts need
        {icon, u"(1)", true, u"", u"1"},
    };
    for (const Case& c : cases) {
        const std::optional<BranchShown> got = SplitBranchDisplay(c.shown, c.shape);
        ASSERT_EQ(got.has_value(), c.split) << Utf16ToUtf8(c.shown);
        if (!got) continue;
        EXPECT_EQ(got->name, c.name) << Utf16ToUtf8(c.shown);
        EXPECT_EQ(got->number, c.number) << Utf16ToUtf8(c.shown);
    }
}

TEST(PrefixViaName, PutsTheDetailsLastWordInFrontWhenTheNameLacksIt) {
    struct Case {
        std::u16string name, fullText;
        ViaDetail detail;
        std::u16string expected;
    };
    const Case cases[] = {
        {u"스타벅스", u"서울 강남구 역삼동", ViaDetail::Whole, u"역삼동 스타벅스"},
        {u"역삼동 스타벅스", u"서울 강남구 역삼동", ViaDetail::Whole, u"역삼동 스타벅스"},  // has the word
        {u"같은", u"같은", ViaDetail::Whole, u"같은"},                                    // equal texts
        {u"카페", u" 역삼동", ViaDetail::Whole, u"카페"},           // the only blank is trimmed away
        {u"카페", u"역삼동", ViaDetail::Whole, u"카페"},            // no blank at all
        {u"카페", u"서울 역삼동 【2층】", ViaDetail::Whole, u"【2층】 카페"},
        {u"카페", u"서울 역삼동 【2층】", ViaDetail::BeforeLenticular, u"역삼동 카페"},
        {u"카페", u"【2층】 서울 역삼동", ViaDetail::BeforeLenticular, u"역삼동 카페"},  // a leading 【 stays
    };
    for (const Case& c : cases) {
        PlaceRecord place{};
        WriteField(place.name, c.name);
        WriteField(place.fullText, c.fullText);
        PrefixViaName(place, c.detail);
        EXPECT_EQ(U8(ReadField(place.name)), U8(c.expected)) << U8(c.name) << " / " << U8(c.fullText);
    }
}

// Windows' iswspace, every unit it counts as white space (as Wine's msvcrt
// and Windows answer it); every other unit of the plane is not.
struct Space {
    char16_t unit;
    const char* name;
};
const Space kSpaces[] = {
    {0x0009, "tab"}, {0x000A, "line feed"}, {0x000B, "vertical tab"}, {0x000C, "form feed"},
    {0x000D, "carriage return"}, {0x0020, "space"}, {0x00A0, "no-break space"}, {0x1680, "ogham space mark"},
    {0x2000, "en quad"}, {0x2001, "em quad"}, {0x2002, "en space"}, {0x2003, "em space"},
    {0x2004, "three-per-em space"}, {0x2005, "four-per-em space"}, {0x2006, "six-per-em space"},
    {0x2007, "figure space (no-break)"}, {0x2008, "punctuation space"}, {0x2009, "thin space"},
    {0x200A, "hair space"}, {0x2028, "line separator"}, {0x2029, "paragraph separator"},
    {0x202F, "narrow no-break space"}, {0x205F, "medium mathematical space"}, {0x3000, "ideographic space"},
};

TEST(IsSpace, IsWindowsWhiteSpaceOnEveryUnit) {
    std::set<char16_t> spaces;
    for (const Space& space : kSpaces) spaces.insert(space.unit);
    int differences = 0;
    for (unsigned c = 0; c < 0x10000; ++c) {
        const bool expected = spaces.count(static_cast<char16_t>(c)) > 0;
        if (IsSpace(static_cast<char16_t>(c)) != expected && ++differences < 5)
            ADD_FAILURE() << std::hex << "U+" << c << (expected ? " is" : " is not") << " white space";
    }
    EXPECT_EQ(differences, 0);
}

TEST(Trim, RemovesEveryWhiteSpaceAtBothEndsOnly) {
    for (const Space& space : kSpaces) {
        const std::u16string pad(2, space.unit);
        EXPECT_EQ(Trim(pad + u"a" + pad + u"b" + pad), u"a" + pad + u"b") << space.name;
    }
    // A control character that is not white space stays.
    EXPECT_EQ(Trim(u"\u0085a\u0085"), u"\u0085a\u0085");
    EXPECT_EQ(TrimLeft(u"  a  "), u"a  ");
    EXPECT_EQ(TrimRight(u"  a  "), u"  a");
    EXPECT_EQ(Trim(u"   "), u"");
}

TEST(StringOperations, ClampAndSearchAsTheAdaptersExpect) {
    EXPECT_EQ(Mid(u"abcdef", 2, 3), u"cde");
    EXPECT_EQ(Mid(u"abcdef", -4, 2), u"ab");
    EXPECT_EQ(Mid(u"abcdef", 4, -1), u"");
    EXPECT_EQ(Mid(u"abcdef", 4, 100), u"ef");
    EXPECT_EQ(Mid(u"abcdef", 7, 1), u"");
    EXPECT_EQ(Mid(u"abcdef", 3), u"def");
    EXPECT_EQ(Mid(u"abcdef", -3), u"abcdef");
    EXPECT_EQ(Left(u"abc", 5), u"abc");
    EXPECT_EQ(Left(u"abc", -1), u"");
    EXPECT_EQ(Right(u"abc", 2), u"bc");
    EXPECT_EQ(Right(u"abc", 0), u"");
    EXPECT_EQ(Right(u"abc", 9), u"abc");

    EXPECT_EQ(Find(u"a-b-c", u'-'), 1);
    EXPECT_EQ(Find(u"a-b-c", u'-', 2), 3);
    EXPECT_EQ(Find(u"a-b-c", u"b-c"), 2);
    EXPECT_EQ(Find(u"a-b-c", u'-', 9), -1);
    EXPECT_EQ(Find(u"a-b-c", u'x'), -1);
    EXPECT_EQ(ReverseFind(u"a-b-c", u'-'), 3);
    EXPECT_EQ(ReverseFind(u"abc", u'-'), -1);

    EXPECT_TRUE(Contains(u"고객 010-1234-5678 님", u"010-1234-5678"));
    EXPECT_FALSE(Contains(u"ABC", u"abc"));
    EXPECT_FALSE(Contains(u"abc", u""));  // an empty text is never "shown"
    EXPECT_EQ(Remove(u"1,234,000", u','), u"1234000");
}

TEST(Replace, ReplacesNonOverlappingLeftToRight) {
    struct Case {
        std::u16string s, from, to, out;
        int count;
    } cases[] = {
        {u"aaa", u"aa", u"b", u"ba", 1},
        {u"a,b,,c", u",", u"", u"abc", 3},
        {u"abc", u"", u"x", u"abc", 0},
        {u"abc", u"z", u"x", u"abc", 0},
        {u"xx", u"x", u"xx", u"xxxx", 2},
    };
    for (Case& c : cases) {
        std::u16string s = c.s;
        EXPECT_EQ(Replace(s, c.from, c.to), c.count) << U8(c.s);
        EXPECT_EQ(s, c.out) << U8(c.s);
    }
}

TEST(LeadingNumbers, ReadThePrefixLikeTheCLibrary) {
    EXPECT_EQ(LeadingInteger(u"  -12abc"), -12);
    EXPECT_EQ(LeadingInteger(u"+7"), 7);
    EXPECT_EQ(LeadingInteger(u"12,000"), 12);
    EXPECT_EQ(LeadingInteger(u"abc"), 0);
    EXPECT_EQ(LeadingInteger(u"- 5"), 0);
    EXPECT_EQ(LeadingInteger(u"99999999999999999999999"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(LeadingInteger(u"-99999999999999999999999"), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(LeadingInteger(u"-9223372036854775808"), std::numeric_limits<std::int64_t>::min());

    EXPECT_TRUE(IsPositive(u"5000"));
    EXPECT_TRUE(IsPositive(u" 1원"));
    EXPECT_FALSE(IsPositive(u"0"));
    EXPECT_FALSE(IsPositive(u""));
    EXPECT_FALSE(IsPositive(u"-3"));
    EXPECT_FALSE(IsPositive(u"원 500"));

    struct Case {
        std::u16string in;
        double out;
    } doubles[] = {
        {u" 37.5665", 37.5665}, {u"126.978abc", 126.978}, {u"-1.5e3x", -1500.0}, {u"1e", 1.0},
        {u"1e+", 1.0},          {u".5", 0.5},              {u"5.", 5.0},         {u".", 0.0},
        {u"abc", 0.0},          {u"+2.5", 2.5},            {u"0x10", 0.0},       {u"inf", 0.0},
        {u"lat:37", 0.0},       {u"\u3000 8", 8.0},        {u"1e-400", 0.0},
    };
    for (const Case& c : doubles) EXPECT_DOUBLE_EQ(LeadingDouble(c.in), c.out) << U8(c.in);
    EXPECT_TRUE(std::isinf(LeadingDouble(u"1e400")));
    EXPECT_LT(LeadingDouble(u"-1e400"), 0.0);
}

}  // namespace
}  // namespace qm
