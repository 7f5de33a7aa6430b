#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "session/errors.h"
#include "session/level_writer.h"
#include "session/report.h"
#include "session/text_helpers.h"
#include "maze/random_source.h"
#include "test_support.h"

namespace tessellon {
namespace {

using namespace testing;

// ---- the generator ------------------------------------------------------------------------

TEST(RandomSource, FollowsThe24BitGeneratorExactly) {
    RandomSource r;
    r.SetState(0);
    std::uint64_t x = 0;
    for (int i = 0; i < 1000; ++i) {
        x = (x * 1140671485ull + 12820163ull) % 16777216ull;
        const float d = r.Draw();
        ASSERT_EQ(r.State(), x) << "step " << i;
        ASSERT_EQ(d, static_cast<float>(x) / 16777216.0f);
    }
}

TEST(RandomSource, ReseedKeepsTheEarlierStateInPlay) {
    RandomSource a, b, c;
    a.SetState(1);
    b.SetState(2);
    a.Reseed(42);
    b.Reseed(42);
    EXPECT_NE(a.State(), b.State()) << "the same seed from different states must differ";
    c.Reseed(1.5);
    a.SetState(0);
    a.Reseed(1.0);
    EXPECT_NE(a.State(), c.State()) << "nearby seeds land on different states";
    std::set<float> seen;  // re-seeding with one number between draws must not repeat the draw
    for (int i = 0; i < 50; ++i) {
        c.Reseed(7);
        seen.insert(c.Draw());
    }
    EXPECT_GT(seen.size(), 45u);
}

TEST(Randa, CustomSeedIsRepeatableAndClockSeedingVaries) {
    TestSession t1({}, "1234"), t2({}, "1234");
    std::vector<float> a, b;
    for (int i = 0; i < 20; ++i) {
        Randa(t1.s);
        a.push_back(t1.s.random.Draw());
        Randa(t2.s);
        b.push_back(t2.s.random.Draw());
    }
    EXPECT_EQ(a, b);
    EXPECT_GT(std::set<float>(a.begin(), a.end()).size(), 15u) << "consecutive seeded draws must differ";
    // Without the custom seed, two calls within the same clock second still differ.
    TestSession t;
    Randa(t.s);
    const float first = t.s.random.Draw();
    Randa(t.s);
    EXPECT_NE(first, t.s.random.Draw());
    // A greyed box leaves the generator alone.
    t.s.settings.CustomSeed = CheckState::Greyed;
    const auto before = t.s.random.State();
    Randa(t.s);
    EXPECT_EQ(before, t.s.random.State());
}

TEST(MightFlipAndBet, OddsHoldAndCertainOddsAreCertain) {
    TestSession t;
    int swaps = 0, wins = 0;
    for (int i = 0; i < 2000; ++i) {
        int a = 1, b = 2;
        const bool flipped = MightFlip(t.s, a, b);
        swaps += flipped;
        ASSERT_EQ(std::make_pair(a, b), flipped ? std::make_pair(2, 1) : std::make_pair(1, 2));
        wins += Bet(t.s, 0.25);
        ASSERT_FALSE(Bet(t.s, 0));
        ASSERT_TRUE(Bet(t.s, 1));
        t.clock.Set(ClockTime{2026, 1, 1, i % 24, i % 60, (i * 7) % 60, 0});
    }
    EXPECT_TRUE(swaps > 850 && swaps < 1150) << swaps;
    EXPECT_TRUE(wins > 400 && wins < 600) << wins;
}

// ---- numbers and text ---------------------------------------------------------------------

TEST(NumberFormat, GeneralFormattingAsRoomFilesExpect) {
    const std::pair<double, const char*> cases[] = {{64, "64"},
                                                    {-12.5, "-12.5"},
                                                    {-0.0, "0"},
                                                    {0.1 + 0.2, "0.3"},  // 15 digits hide the binary noise
                                                    {1.0 / 3, "0.333333333333333"},
                                                    {123456789.125, "123456789.125"},
                                                    {0.05, "0.05"},
                                                    {1e15, "1000000000000000"}};  // never an exponent
    for (const auto& [v, want] : cases) EXPECT_EQ(FormatNumber(v), want);
    EXPECT_EQ(FormatNumber(-2.5, ","), "-2,5");
    for (const auto& [v, want] : std::vector<std::pair<double, double>>{
             {22.5, 22}, {21.5, 22}, {-2.5, -2}, {-3.5, -4}, {2.4999, 2}, {2.5001, 3}})
        EXPECT_EQ(RoundHalfEven(v), want) << v;
}

TEST(NumberFormat, DecimalSymbolRoundTripAndStrictReading) {
    TestSession t;
    t.s.DecimalSymbol = ",";
    EXPECT_EQ(FuckAmerican(t.s, "-12.75"), "-12,75");
    EXPECT_EQ(HailAmerican(t.s, "-12,75"), "-12.75");
    EXPECT_EQ(HailAmerican(t.s, -12.75), "-12.75");
    EXPECT_DOUBLE_EQ(FileNumber(t.s, "-12.75"), -12.75);
    double v = 0;
    EXPECT_FALSE(TryToNumber(t.s, "1.5", v)) << "in the comma locale a period is not a separator";
    std::string text = "12.25";
    EXPECT_EQ(Neg(t.s, text), "-12.25");
    EXPECT_EQ(text, "12,25") << "the caller's text is left in the system's form";
    t.s.DecimalSymbol = ".";
    EXPECT_EQ(FuckAmerican(t.s, "-12.75"), "-12.75");
    EXPECT_EQ(HailAmerican("ab", "a.b"), "a.b") << "a symbol of two characters never matches one";
    for (const auto& [in, neg, pos] :
         std::vector<std::array<std::string, 3>>{{"-0.5", "-0.5", "0.5"}, {"16", "-16", "16"}, {"0", "0", "0"}}) {
        text = in;
        EXPECT_EQ(Neg(t.s, text), neg);
        EXPECT_EQ(Pos(t.s, text), pos);
    }
    EXPECT_TRUE(TryParseNumber(" -64 ", ".", v));
    EXPECT_EQ(v, -64);
    EXPECT_TRUE(TryParseNumber("+.5", ".", v));
    EXPECT_EQ(v, 0.5);
    for (const char* bad : {"", "-", ".", "1.2.3", "12abc", "1e5", "0x10", "1 2"})
        EXPECT_FALSE(TryParseNumber(bad, ".", v)) << bad;
    EXPECT_THROW(ToNumber(t.s, "wall"), NumberFormatError);
    // Whole numbers of file text take a shorter way; it must read what the full reader reads,
    // and leave what it cannot read to the full reader (and its error).
    for (const char* symbol : {".", ","}) {
        t.s.DecimalSymbol = symbol;
        for (const char* whole : {"0", "-0", "7", "-384", "0016", "123456789012345", "-123456789012345",
                                  "1234567890123456", "99999999999999999999"}) {
            double full = 0;
            ASSERT_TRUE(TryToNumber(t.s, whole, full)) << whole;
            EXPECT_EQ(FileNumber(t.s, whole), full) << whole << ", symbol " << symbol;
        }
        EXPECT_FALSE(std::signbit(FileNumber(t.s, "-0"))) << "a zero is never -0";
        for (const char* bad : {"", "-", "--1", "1-", "12a"})
            EXPECT_THROW(FileNumber(t.s, bad), NumberFormatError) << bad;
    }
}

TEST(Splitters, PlanePointsAndWords) {
    using Three = std::array<std::string, 3>;
    using Five = std::array<std::string, 5>;
    EXPECT_EQ(CSplit("(1 2 3) (4 5 6) (7 8 9)"), (Three{"1 2 3", "4 5 6", "7 8 9"}));
    EXPECT_EQ(CSplit("(1 2 3)"), (Three{"1 2 3", "", ""}));
    EXPECT_EQ(CSplit("x(1 2 3) y (4 5 6)(7 8 9)(10 11 12)")[2], "7 8 9") << "a fourth group is never read";
    EXPECT_EQ(SSplit("[1 0 0 -16] 0.25"), (Five{"[1", "0", "0", "-16]", "0.25"}));
    EXPECT_EQ(SSplit("a  b"), (Five{"a", "", "b", "", ""}));
    EXPECT_EQ(SSplit("1 2 3 4 5 6 7")[4], "5") << "words after the fifth are dropped";
    // A texture axis's words with the brackets left out, wherever the brackets stand.
    for (const std::string axis :
         {"[1 0 0 -16] 0.25", "[0 -1 0 0] 0.25", "[1 0 0 ] 0.25", "[1 0 0 16]", "1 0 0 16 0.25", "[1 0] 0 16 0.25",
          "[1 0 0 16] [0.25]", "[[1 0 0 16]] 0.25", "[1 0 0 16 0.25]", ""}) {
        std::string filtered, spare;
        for (const char c : axis)
            if (c != '[' && c != ']') filtered += c;
        const auto want = SSplitView(filtered);
        const auto got = AxisWords(axis, spare);
        for (int k = 0; k < 5; ++k) EXPECT_EQ(got[k], want[k]) << '"' << axis << "\" word " << k;
    }
    EXPECT_EQ(CommaCount(""), 1);
    EXPECT_EQ(CommaCount("a,b,,c,d"), 5);
    std::string axis = "[1 0 0 -16]";
    ClearOutChar('[', axis);
    ClearOutChar(']', axis);
    EXPECT_EQ(axis, "1 0 0 -16");
}

TEST(SetCorrectPC, RegistryThenLocaleThenAskingWithoutAcceptingEmpty) {
    TestSession fromRegistry, fromLocale, asked;
    fromRegistry.registry.decimal = ",";
    SetCorrectPC(fromRegistry.s);
    EXPECT_EQ(fromRegistry.s.DecimalSymbol, ",");
    SetCorrectPC(fromLocale.s);  // the test runs in a locale with a decimal point
    EXPECT_FALSE(fromLocale.s.DecimalSymbol.empty());
    EXPECT_TRUE(fromRegistry.ui.boxes.empty() && fromLocale.ui.boxes.empty());
    // Nothing detected: the user is asked; an empty answer is refused and asked again.
    asked.ui.inputAnswers = {std::string(""), std::string(",;")};
    SetCorrectPC(asked.s, [] { return std::string(); });
    EXPECT_EQ(asked.s.DecimalSymbol, ",") << "only the first character is kept";
    ASSERT_EQ(asked.ui.boxes.size(), 3u);
    EXPECT_EQ(asked.ui.boxes[2].title, "Standard Decimal");
}

// ---- writing the level --------------------------------------------------------------------

TEST(LevelWriter, QuotesIndentsAndEndsLinesWithCrLfInAFreshFile) {
    TempDir dir;
    WriteFile(dir.path() / "temp.dta", "left over from a crash\r\n");
    LevelWriter w;
    w.SetFolder(dir.path());
    w.PrintToFile(std::string(), 0, true);  // closing with nothing open
    EXPECT_FALSE(w.IsOpen());
    std::string sky = "'skyname' 'sky_day01_09'";
    w.PrintToFile(sky, 1);
    EXPECT_EQ(sky, "\t\"skyname\" \"sky_day01_09\"") << "the caller's text holds the written line";
    w.PrintToFile(std::string("'message' 'it's here'"), 0);
    w.PrintToFile(std::string("{"), 3);
    w.Close();
    EXPECT_EQ(ReadFile(dir.path() / "temp.dta"),
              "\t\"skyname\" \"sky_day01_09\"\r\n\"message\" \"it\"s here\"\r\n\t\t\t{\r\n");
    WriteFile(dir.path() / "level1.vmf", "old level");
    EXPECT_EQ(w.NameLevel(1), dir.path() / "level1.vmf");
    EXPECT_EQ(ReadFile(dir.path() / "level1.vmf").substr(0, 4), "\t\"sk") << "the old level is replaced";
    EXPECT_FALSE(fs::exists(dir.path() / "temp.dta"));
}

TEST(LevelWriter, FailuresAreClearAndKeepTheOldLevel) {
    TempDir dir;
    LevelWriter w;
    // level1.vmf is a folder here, so it cannot be replaced: the working file stays, nothing is lost.
    fs::create_directories(dir.path() / "level1.vmf" / "keep");
    w.SetFolder(dir.path());
    w.PrintToFile(std::string("y"));
    EXPECT_THROW(w.NameLevel(1), BuildFailure);
    EXPECT_TRUE(fs::exists(dir.path() / "level1.vmf" / "keep"));
    EXPECT_TRUE(fs::exists(dir.path() / "temp.dta"));
}

// ---- reporting ----------------------------------------------------------------------------

TEST(Log, FlagRules) {
    TestSession t;
    Log(t.s, "slow", true);  // slow without the detailed status: nothing at all
    EXPECT_TRUE(t.ui.statuses.empty());
    ASSERT_TRUE(fs::exists(t.LogPath())) << "the first call still creates the log file";
    Log(t.s, "hidden", false, true);  // log file off: only-file lines leave no trace
    EXPECT_TRUE(t.ui.statuses.empty());
    EXPECT_EQ(ReadFile(t.LogPath()), "");
    Log(t.s, "forced", false, true, true);  // NotCompiling writes even with the log file off
    EXPECT_EQ(ReadFile(t.LogPath()), "[15:09:26] forced\r\n");
    t.s.settings.WriteLogFile = true;
    Log(t.s, "shown");
    EXPECT_EQ(t.ui.statuses, std::vector<std::string>{"shown"});
    EXPECT_EQ(ReadFile(t.LogPath()), "[15:09:26] forced\r\n[15:09:26] shown\r\n");
    t.s.settings.DetailedStatus = true;
    Log(t.s, "detail", true);
    EXPECT_EQ(t.ui.statuses.back(), "detail");

    TestSession fresh;  // the header comes first when the file is on
    fresh.s.settings.WriteLogFile = true;
    Log(fresh.s, "Reserving memory...");
    EXPECT_EQ(ReadFile(fresh.LogPath()), "[15:09:26] Tessellon Log File\r\n[15:09:26] Reserving memory...\r\n");
    fresh.s.programFolder = fresh.dir.path() / "missing" / "deeper";  // an unwritable folder is swallowed
    EXPECT_NO_THROW(Log(fresh.s, "still shown"));
    EXPECT_EQ(fresh.ui.statuses.back(), "still shown");
}

TEST(MapError, FatalWritesErrorLogAndEndsTheProgram) {
    TestSession t;
    EXPECT_EQ(FailureOf([&] { MapError(t.s, "bad line", true, "details for the log"); }), "bad line");
    ASSERT_EQ(t.ui.boxes.size(), 3u);
    EXPECT_EQ(t.ui.boxes[0].title, "Warning!");
    EXPECT_EQ(t.ui.boxes[0].text,
              "An error occoured when creating map. Following error message was returned: bad line");
    EXPECT_EQ(t.ui.boxes[1].title, "Fatal!");
    EXPECT_EQ(t.ui.boxes[1].icon, BoxIcon::Critical);
    EXPECT_EQ(t.ui.boxes[2].text, "Vornic will now exit.");
    EXPECT_EQ(ReadFile(t.dir.path() / "errorlog.txt"), "details for the log\r\n");
    EXPECT_EQ(t.ui.statuses.back(), "ERROR: bad line");
    for (bool fatal : {false, true}) {  // not fatal, or nothing to log: no error log
        TestSession u;
        EXPECT_THROW(MapError(u.s, "x", fatal, ""), ProgramEnd);
        EXPECT_EQ(u.ui.boxes.size(), 2u);
        EXPECT_FALSE(fs::exists(u.dir.path() / "errorlog.txt"));
    }
}

TEST(MrProg, ColumnsGradientAndTimers) {
    const std::pair<int, int> columns[] = {{100, 673}, {50, 336}, {85, 572}, {0, 0}, {120, 673}};
    for (const auto& [pct, want] : columns) EXPECT_EQ(ProgressColumns(pct), want) << pct;
    const auto left = ProgressColumnColor(1), right = ProgressColumnColor(673);
    EXPECT_EQ(std::make_tuple(left.red, left.blue, right.red, right.green, right.blue),
              std::make_tuple(0, 128, 128, 128, 0));
    for (int x = 1; x <= 673; ++x) ASSERT_NEAR(ProgressColumnColor(x).red + ProgressColumnColor(x).blue, 128, 1) << x;
    TestSession t;
    StartTimer(t.s);
    t.clock.Set(ClockTime{2026, 3, 14, 15, 9, 28, 0.25});
    EXPECT_FLOAT_EQ(EndTimer(t.s), 1.75f);
}

}  // namespace
}  // namespace tessellon
