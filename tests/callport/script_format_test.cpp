// The caller's scripts are formats: every conversion a script may not use is refused.
#include "callport/script_format.h"

#include <gtest/gtest.h>

#include <string>

#include "core/utf.h"

namespace qm {
namespace {

std::string U8(std::u16string_view s) { return Utf16ToUtf8(s); }

const ScriptInputs kSeoul{37.5665, 126.978, u"onTMapRClick4OrdPoiStart"};

struct Accepted {
    std::u16string format;
    ScriptArguments expected;
    std::u16string out;
};

TEST(FormatScript, RendersTheConversionsAnOperationExpects) {
    const Accepted cases[] = {
        {u"setPoint(%f, %f);", ScriptArguments::TwoDoubles, u"setPoint(37.566500, 126.978000);"},
        {u"p(%.4lf,%.3Lf)", ScriptArguments::TwoDoubles, u"p(37.5665,126.978)"},
        {u"%+09.2f|%-8.1f|", ScriptArguments::TwoDoubles, u"+00037.57|127.0   |"},
        {u"%e %E", ScriptArguments::TwoDoubles, u"3.756650e+01 1.269780E+02"},
        {u"%g %G", ScriptArguments::TwoDoubles, u"37.5665 126.978"},
        {u"%#.0f % .1F", ScriptArguments::TwoDoubles, u"38.  127.0"},
        {u"%f %f %s()", ScriptArguments::TwoDoublesAndText, u"37.566500 126.978000 onTMapRClick4OrdPoiStart()"},
        {u"%.1f;%.1f;%ls", ScriptArguments::TwoDoublesAndText, u"37.6;127.0;onTMapRClick4OrdPoiStart"},
        {u"100%% %.0f%%%.0f", ScriptArguments::TwoDoubles, u"100% 38%127"},
        {u"viamarker.getPosition().toString();", ScriptArguments::None, u"viamarker.getPosition().toString();"},
        {u"a %% b", ScriptArguments::None, u"a % b"},
        {u"", ScriptArguments::None, u""},
        {u"지도 %f %f", ScriptArguments::TwoDoubles, u"지도 37.566500 126.978000"},
    };
    for (const Accepted& c : cases) {
        const std::optional<std::u16string> out = FormatScript(c.format, c.expected, kSeoul, 513);
        ASSERT_TRUE(out.has_value()) << U8(c.format);
        EXPECT_EQ(U8(*out), U8(c.out)) << U8(c.format);
    }
}

TEST(FormatScript, RendersHexadecimalFloatsAsTheCLibrary) {
    const ScriptInputs one{1.0, -0.5, {}};
    const std::optional<std::u16string> out = FormatScript(u"%a %A", ScriptArguments::TwoDoubles, one, 64);
    ASSERT_TRUE(out.has_value());
    EXPECT_EQ(U8(*out), "0x1p+0 -0X1P-1");
}

struct Refused {
    std::u16string format;
    ScriptArguments expected;
};

TEST(FormatScript, RefusesEveryConversionTheOperationDoesNotExpect) {
    const Refused cases[] = {
        {u"%n%f%f", ScriptArguments::TwoDoubles},          // writes through a pointer
        {u"%f %d", ScriptArguments::TwoDoubles},           // integers
        {u"%f %x", ScriptArguments::TwoDoubles},
        {u"%p %f", ScriptArguments::TwoDoubles},
        {u"%c%f%f", ScriptArguments::TwoDoubles},
        {u"%*f %f", ScriptArguments::TwoDoubles},          // width from the arguments
        {u"%.*f %f", ScriptArguments::TwoDoubles},
        {u"%1$f %2$f", ScriptArguments::TwoDoubles},       // positional arguments
        {u"%f", ScriptArguments::TwoDoubles},              // too few
        {u"%f %f %f", ScriptArguments::TwoDoubles},        // too many
        {u"%f %f %s", ScriptArguments::TwoDoubles},        // a text where none is expected
        {u"%s %f %f", ScriptArguments::TwoDoublesAndText}, // the text out of order
        {u"%f %f", ScriptArguments::TwoDoublesAndText},    // the text left out
        {u"%f %f %s %s", ScriptArguments::TwoDoublesAndText},
        {u"%f %f %hs", ScriptArguments::TwoDoublesAndText}, // narrow text
        {u"%f %f %ws", ScriptArguments::TwoDoublesAndText},
        {u"%f %f %Ls", ScriptArguments::TwoDoublesAndText},
        {u"%f %f %10s", ScriptArguments::TwoDoublesAndText},
        {u"%f %f %.3s", ScriptArguments::TwoDoublesAndText},
        {u"%f %f %-s", ScriptArguments::TwoDoublesAndText},
        {u"%llf %f", ScriptArguments::TwoDoubles},
        {u"%hf %f", ScriptArguments::TwoDoubles},
        {u"%f %f %", ScriptArguments::TwoDoubles},         // a lone percent sign at the end
        {u"%f %f %l", ScriptArguments::TwoDoubles},
        {u"%f %f %5", ScriptArguments::TwoDoubles},
        {u"%5%%f %f", ScriptArguments::TwoDoubles},
        {u"50%", ScriptArguments::None},
        {u"return %f;", ScriptArguments::None},
        {u"return %s;", ScriptArguments::None},
        {u"%301f %f", ScriptArguments::TwoDoubles},        // width above 300
        {u"%.301f %f", ScriptArguments::TwoDoubles},       // precision above 300
        {u"%99999999999999999999f %f", ScriptArguments::TwoDoubles},
    };
    for (const Refused& c : cases)
        EXPECT_FALSE(FormatScript(c.format, c.expected, kSeoul, 1200).has_value()) << U8(c.format);
}

TEST(FormatScript, BoundsWidthAndPrecisionAt300) {
    const ScriptInputs huge{1e308, -1e308, {}};
    const std::optional<std::u16string> out = FormatScript(u"%300.300f", ScriptArguments::TwoDoubles, huge, 2000);
    EXPECT_FALSE(out.has_value());  // one conversion for two doubles
    const std::optional<std::u16string> both =
        FormatScript(u"%300.300f|%.300f", ScriptArguments::TwoDoubles, huge, 2000);
    ASSERT_TRUE(both.has_value());
    // 309 integer digits, the point and 300 decimals; the second with its sign.
    EXPECT_EQ(both->size(), 610u + 1u + 611u);
    EXPECT_EQ(both->substr(0, 4), u"1000");
    EXPECT_EQ(both->substr(611, 3), u"-10");
}

TEST(FormatScript, RefusesOutputThatDoesNotFitWithItsTerminator) {
    const ScriptInputs one{1.0, 2.0, u"abc"};
    // "1.0 2.0 abc" is 11 units: it needs a capacity of 12.
    EXPECT_EQ(FormatScript(u"%.1f %.1f %s", ScriptArguments::TwoDoublesAndText, one, 12), u"1.0 2.0 abc");
    EXPECT_FALSE(FormatScript(u"%.1f %.1f %s", ScriptArguments::TwoDoublesAndText, one, 11).has_value());
    EXPECT_FALSE(FormatScript(u"", ScriptArguments::None, one, 0).has_value());
    EXPECT_EQ(FormatScript(u"", ScriptArguments::None, one, 1), u"");
    EXPECT_EQ(FormatScript(u"%%", ScriptArguments::None, one, 2), u"%");
    EXPECT_FALSE(FormatScript(u"%%", ScriptArguments::None, one, 1).has_value());

    // A long literal script stops as soon as it overflows.
    const std::u16string longScript(600, u'x');
    EXPECT_FALSE(FormatScript(longScript, ScriptArguments::None, one, 512).has_value());
    EXPECT_TRUE(FormatScript(longScript, ScriptArguments::None, one, 601).has_value());
}

}  // namespace
}  // namespace qm
