#include <gtest/gtest.h>

#include "build/errors.h"
#include "instance/text_helpers.h"
#include "test_support.h"

using namespace tessellon;
using namespace tessellon::testing;

TEST(NumberFormat, GeneralFormattingAsRoomFilesExpect) {
    EXPECT_EQ(FormatNumber(64), "64");
    EXPECT_EQ(FormatNumber(-12.5), "-12.5");
    EXPECT_EQ(FormatNumber(0.25), "0.25");
    EXPECT_EQ(FormatNumber(-0.0), "0");
    EXPECT_EQ(FormatNumber(0.1 + 0.2), "0.3") << "15 significant digits hide the binary noise";
    EXPECT_EQ(FormatNumber(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(FormatNumber(123456789.125), "123456789.125");
    EXPECT_EQ(FormatNumber(16384), "16384");
    EXPECT_EQ(FormatNumber(0.05), "0.05");
    EXPECT_EQ(FormatNumber(1e15), "1000000000000000") << "never an exponent";
    EXPECT_EQ(FormatNumber(-2.5, ","), "-2,5");
}

TEST(NumberFormat, DecimalSymbolRoundTrip) {
    TestSession t;
    t.s.DecimalSymbol = ",";
    EXPECT_EQ(FuckAmerican(t.s, "-12.75"), "-12,75");
    EXPECT_EQ(HailAmerican(t.s, "-12,75"), "-12.75");
    EXPECT_DOUBLE_EQ(FileNumber(t.s, "-12.75"), -12.75);
    EXPECT_EQ(HailAmerican(t.s, -12.75), "-12.75");
    // In the comma locale a period is not a separator: the file form must be converted first.
    double v;
    EXPECT_FALSE(TryToNumber(t.s, "1.5", v));
    t.s.DecimalSymbol = ".";
    EXPECT_EQ(FuckAmerican(t.s, "-12.75"), "-12.75");
    EXPECT_EQ(HailAmerican(t.s, "-12.75"), "-12.75");
    // A symbol of two characters never matches one character.
    EXPECT_EQ(HailAmerican("ab", "a.b"), "a.b");
}

TEST(NumberFormat, ReadingRejectsWhatIsNotANumber) {
    double v = 0;
    EXPECT_TRUE(TryParseNumber(" -64 ", ".", v));
    EXPECT_EQ(v, -64);
    EXPECT_TRUE(TryParseNumber("+.5", ".", v));
    EXPECT_EQ(v, 0.5);
    for (const char* bad : {"", "-", ".", "1.2.3", "12abc", "1e5", "0x10", "1 2"})
        EXPECT_FALSE(TryParseNumber(bad, ".", v)) << bad;
    TestSession t;
    EXPECT_THROW(ToNumber(t.s, "wall"), NumberFormatError);
}

TEST(NumberFormat, RoundsHalvesToEven) {
    EXPECT_EQ(RoundHalfEven(22.5), 22);
    EXPECT_EQ(RoundHalfEven(21.5), 22);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundHalfEven(-3.5), -4);
    EXPECT_EQ(RoundHalfEven(2.4999), 2);
    EXPECT_EQ(RoundHalfEven(2.5001), 3);
}

TEST(Splitters, PlanePointsAndWords) {
    EXPECT_EQ(CSplit("(1 2 3) (4 5 6) (7 8 9)"), (std::array<std::string, 3>{"1 2 3", "4 5 6", "7 8 9"}));
    EXPECT_EQ(CSplit("(1 2 3)"), (std::array<std::string, 3>{"1 2 3", "", ""}));
    EXPECT_EQ(CSplit("x(1 2 3) y (4 5 6)(7 8 9)(10 11 12)")[2], "7 8 9") << "a fourth group is never read";

    EXPECT_EQ(SSplit("[1 0 0 -16] 0.25"), (std::array<std::string, 5>{"[1", "0", "0", "-16]", "0.25"}));
    EXPECT_EQ(SSplit("a  b"), (std::array<std::string, 5>{"a", "", "b", "", ""}));
    EXPECT_EQ(SSplit("1 2 3 4 5 6 7")[4], "5") << "words after the fifth are dropped";

    EXPECT_EQ(CommaCount(""), 1);
    EXPECT_EQ(CommaCount("a,b,,c,d"), 5);
    std::string axis = "[1 0 0 -16]";
    ClearOutChar('[', axis);
    ClearOutChar(']', axis);
    EXPECT_EQ(axis, "1 0 0 -16");
}

TEST(Signs, NegAndPosInFileForm) {
    TestSession t;
    std::string v = "-0.5";
    EXPECT_EQ(Pos(t.s, v), "0.5");
    v = "16";
    EXPECT_EQ(Neg(t.s, v), "-16");
    v = "-3.5";
    EXPECT_EQ(Neg(t.s, v), "-3.5");
    v = "0";
    EXPECT_EQ(Neg(t.s, v), "0");
    t.s.DecimalSymbol = ",";
    v = "12.25";
    EXPECT_EQ(Neg(t.s, v), "-12.25");
    EXPECT_EQ(v, "12,25") << "the caller's text is left in the system's form";
}

TEST(Bet, CertainAndImpossibleOdds) {
    TestSession t;
    for (int i = 0; i < 200; ++i) {
        ASSERT_FALSE(Bet(t.s, 0));
        ASSERT_TRUE(Bet(t.s, 1));
    }
    int wins = 0;
    for (int i = 0; i < 2000; ++i) wins += Bet(t.s, 0.25);
    EXPECT_GT(wins, 400);
    EXPECT_LT(wins, 600);
}

TEST(SetCorrectPC, RegistryThenAskingWithoutAcceptingEmpty) {
    {
        TestSession t;
        t.registry.decimal = ",";
        SetCorrectPC(t.s);
        EXPECT_EQ(t.s.DecimalSymbol, ",");
        EXPECT_TRUE(t.ui.boxes.empty());
    }
    {
        // No registry: the locale answers (the test runs in a locale with a decimal point).
        TestSession t;
        SetCorrectPC(t.s);
        EXPECT_FALSE(t.s.DecimalSymbol.empty());
        EXPECT_TRUE(t.ui.boxes.empty());
    }
    {
        // Nothing detected: the user is asked; an empty answer is refused and asked again.
        TestSession t;
        t.ui.inputAnswers = {std::string(""), std::string(",;")};
        SetCorrectPC(t.s, [] { return std::string(); });
        EXPECT_EQ(t.s.DecimalSymbol, ",") << "only the first character is kept";
        ASSERT_EQ(t.ui.boxes.size(), 3u);
        EXPECT_EQ(t.ui.boxes[0].title, "Standard Decimal");
        EXPECT_EQ(t.ui.boxes[2].title, "Standard Decimal");
    }
}
