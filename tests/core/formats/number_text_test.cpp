#include "core/formats/code_page.h"
#include "core/formats/number_text.h"

#include <cmath>
#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(NumberText, IntegerRule)
{
    EXPECT_EQ(ReadIntegerText(" \t-42x"), -42);
    EXPECT_EQ(LowInt32(ReadIntegerText("$FFFFFFFF")), -1);
    EXPECT_EQ(ReadIntegerText("%1011"), 11);
    EXPECT_EQ(ReadIntegerText("+$1g"), 1);
    EXPECT_EQ(ReadIntegerText("abc"), 0);
    EXPECT_EQ(LowInt32(ReadIntegerText("4294967297")), 1);
}

TEST(NumberText, FloatRule)
{
    EXPECT_EQ(ReadFloatText("  -12.5e1xyz"), -125);
    EXPECT_EQ(ReadFloatText(".5"), 0.5);
    EXPECT_EQ(ReadFloatText("5."), 5);
    EXPECT_EQ(ReadFloatText("1e"), 1);
    EXPECT_EQ(ReadFloatText("abc"), 0);
    EXPECT_EQ(ReadFloatText(""), 0);
    EXPECT_EQ(ReadFloatText("inf"), 0); // only the program's own spelling
    EXPECT_EQ(ReadFloatText("0x10"), 0);
    EXPECT_EQ(ReadFloatText("+INFINITY"), HUGE_VAL);
    EXPECT_EQ(ReadFloatText("-infinity"), -HUGE_VAL);
    EXPECT_TRUE(std::isnan(ReadFloatText("nan")));
    EXPECT_EQ(ReadFloatText("1e999"), HUGE_VAL);
    EXPECT_EQ(ReadFloatText("-1e999"), -HUGE_VAL);
    EXPECT_EQ(ReadFloatText("1e-999"), 0);
    EXPECT_EQ(ReadFloatText("0.000e99999999999999"), 0);
    EXPECT_EQ(ReadFloatText(std::string(100000, '9')), HUGE_VAL);
}

TEST(NumberText, Formats)
{
    EXPECT_EQ(FormatFloat10(200), "200");
    EXPECT_EQ(FormatFloat10(0.9272952180016122), "0.927295218");
    EXPECT_EQ(FormatFloat10(-2.214297435588181), "-2.2142974356");
    EXPECT_EQ(FormatFloat10(1.5), "1.5");
    EXPECT_EQ(FormatFloat10(-0.0), "0");
    EXPECT_EQ(FormatFloat10(-1), "-1");
    EXPECT_EQ(FormatFloat10(-1e-11), "0");
    EXPECT_EQ(FormatFloat10(1e300).size(), 301u);
    EXPECT_EQ(FormatFloatG64(2048), "2048");
    EXPECT_EQ(FormatFloatG64(80.5), "80.5");
    EXPECT_EQ(FormatFloatG64(0.1), "0.1000000000000000055511151231257827021181583404541015625");
    EXPECT_EQ(FormatFloatG64(1e100),
              "1.000000000000000015902891109759918046836080856394528138978132756e+100");
    EXPECT_EQ(FormatFloatG64(-HUGE_VAL), "-Infinity");
    EXPECT_EQ(FormatFloatG64(std::nan("")), "NaN");
    EXPECT_EQ(FormatShortest(0.05), "0.05");
    EXPECT_EQ(FormatShortest(1e-5), "0.00001"); // no exponent: YAML 1.1 reads "1e-05" as text
    EXPECT_EQ(FormatShortest(-102.4), "-102.4");
    EXPECT_EQ(FormatShortest(2048), "2048");
    EXPECT_EQ(FormatShortest(-0.0), "0");
    EXPECT_EQ(FormatShortest(0.1 + 0.2), "0.30000000000000004");
    // Messages: short either way.
    const struct {
        double v;
        const char* text;
    } brief[] = {{0.05, "0.05"},     {-412.5, "-412.5"},  {1e-6, "0.000001"},      {999999999999999, "999999999999999"},
                 {1e15, "1e+15"},    {1e300, "1e+300"},   {-2.5e-12, "-2.5e-12"}, {0, "0"},
                 {HUGE_VAL, "+Infinity"}};
    for (const auto& c : brief)
        EXPECT_EQ(FormatBrief(c.v), c.text);
    // Fixed decimals, as the world outputs write metres.
    const struct {
        double v;
        int decimals;
        const char* text;
    } fixed[] = {{20, 6, "20"},   {-20.0000004, 6, "-20"}, {1.05, 6, "1.05"},     {-0.0000004, 6, "0"},
                 {100, 0, "100"}, {2.5, 0, "2"},           {-412.5, 1, "-412.5"}, {1790, 1, "1790"}};
    for (const auto& c : fixed)
        EXPECT_EQ(FormatTrimmed(c.v, c.decimals), c.text) << c.v;
    // Significant digits, as the status bar and the dialogs show numbers.
    const struct {
        double v;
        const char* text;
    } significant[] = {{static_cast<double>(0.05f), "0.05"}, {1234.5678, "1234.6"}, {9.99996, "10"},
                       {-0.000123456, "-0.00012346"},         {1234567.8, "1234568"}, {-0.0, "0"},
                       {1e-9, "0.000000001"},                 {HUGE_VAL, "+Infinity"}};
    for (const auto& c : significant)
        EXPECT_EQ(FormatSignificant(c.v, 5), c.text) << c.v;
}

TEST(CodePage, Windows1252BothWays)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all); // every byte survives
    EXPECT_EQ(Cp1252ToUtf8("\x80\xE9"), "\xE2\x82\xAC\xC3\xA9");
    EXPECT_EQ(Utf8ToCp1252("\xC5\x93\xE2\x84\xA2"), "\x9C\x99"); // oe ligature, trade mark
    // Truncated, overlong and surrogate sequences are not characters.
    EXPECT_EQ(Utf8ToCp1252("a\xE2\x82"), "a??");
    EXPECT_EQ(Utf8ToCp1252("\xC0\xAF"), "?");
    EXPECT_EQ(Utf8ToCp1252("\xED\xA0\x80"), "?");
    EXPECT_EQ(Latin1ToUtf8("\xE9"), "\xC3\xA9");
}

} // namespace
} // namespace velmora
