#include <gtest/gtest.h>

#include "build/errors.h"
#include "build/report.h"
#include "test_support.h"

using namespace tessellon;
using namespace tessellon::testing;

namespace {
std::filesystem::path LogPath(TestSession& t) { return t.dir.path() / "vorniclog 14-15-9.log"; }
}  // namespace

TEST(Log, FileNameHasNoLeadingZeros) {
    EXPECT_EQ(LogFileName(3, 22, 7), "vorniclog 3-22-7.log");
    EXPECT_EQ(LogFileName(31, 0, 0), "vorniclog 31-0-0.log");
}

TEST(Log, FlagRules) {
    TestSession t;
    // Slow without the detailed status: nothing at all, not even the status line.
    Log(t.s, "slow", true);
    EXPECT_TRUE(t.ui.statuses.empty());
    // The first call still created the (empty) log file.
    ASSERT_TRUE(std::filesystem::exists(LogPath(t)));
    // Log file off: only-file lines leave no trace anywhere.
    Log(t.s, "hidden", false, true);
    EXPECT_TRUE(t.ui.statuses.empty());
    EXPECT_EQ(ReadFile(LogPath(t)), "");
    // NotCompiling writes even with the log file off.
    Log(t.s, "forced", false, true, true);
    EXPECT_EQ(ReadFile(LogPath(t)), "[15:09:26] forced\r\n");
    // An ordinary line reaches the status line and, once the file is on, the file.
    t.s.settings.WriteLogFile = true;
    Log(t.s, "shown");
    EXPECT_EQ(t.ui.statuses, std::vector<std::string>{"shown"});
    EXPECT_EQ(ReadFile(LogPath(t)), "[15:09:26] forced\r\n[15:09:26] shown\r\n");
    t.s.settings.DetailedStatus = true;
    Log(t.s, "detail", true);
    EXPECT_EQ(t.ui.statuses.back(), "detail");
}

TEST(Log, HeaderComesFirstWhenTheFileIsOn) {
    TestSession t;
    t.s.settings.WriteLogFile = true;
    Log(t.s, "Reserving memory...");
    EXPECT_EQ(ReadFile(LogPath(t)), "[15:09:26] Tessellon Log File\r\n[15:09:26] Reserving memory...\r\n");
}

TEST(Log, UnwritableFolderIsSwallowed) {
    TestSession t;
    t.s.programFolder = t.dir.path() / "missing" / "deeper";
    t.s.settings.WriteLogFile = true;
    EXPECT_NO_THROW(Log(t.s, "still shown"));
    EXPECT_EQ(t.ui.statuses.back(), "still shown");
}

TEST(MapError, FatalWritesErrorLogAndEndsTheProgram) {
    TestSession t;
    try {
        MapError(t.s, "bad line", true, "details for the log");
        FAIL() << "MapError returned";
    } catch (const ProgramEnd& e) {
        EXPECT_EQ(e.ExitCode(), 1);
        EXPECT_EQ(e.Message(), "bad line");
    }
    ASSERT_EQ(t.ui.boxes.size(), 3u);
    EXPECT_EQ(t.ui.boxes[0].title, "Warning!");
    EXPECT_EQ(t.ui.boxes[0].text,
              "An error occoured when creating map. Following error message was returned: bad line");
    EXPECT_EQ(t.ui.boxes[1].title, "Fatal!");
    EXPECT_EQ(t.ui.boxes[1].icon, BoxIcon::Critical);
    EXPECT_EQ(t.ui.boxes[2].title, "Shutting Down...");
    EXPECT_EQ(t.ui.boxes[2].text, "Vornic will now exit.");
    EXPECT_EQ(ReadFile(t.dir.path() / "errorlog.txt"), "details for the log\r\n");
    EXPECT_EQ(t.ui.statuses.back(), "ERROR: bad line");
}

TEST(MapError, NonFatalOrEmptyFatalMessageWritesNoErrorLog) {
    for (bool fatal : {false, true}) {
        TestSession t;
        EXPECT_THROW(MapError(t.s, "x", fatal, ""), ProgramEnd);
        EXPECT_EQ(t.ui.boxes.size(), 2u);
        EXPECT_FALSE(std::filesystem::exists(t.dir.path() / "errorlog.txt"));
    }
}

TEST(MrProg, ColumnsAndGradient) {
    EXPECT_EQ(ProgressColumns(100), 673);
    EXPECT_EQ(ProgressColumns(50), 336);
    EXPECT_EQ(ProgressColumns(85), 572);
    EXPECT_EQ(ProgressColumns(0), 0);
    EXPECT_EQ(ProgressColumns(120), 673);
    const auto left = ProgressColumnColor(1), right = ProgressColumnColor(673);
    EXPECT_EQ(left.red, 0);
    EXPECT_EQ(left.blue, 128);
    EXPECT_EQ(right.red, 128);
    EXPECT_EQ(right.blue, 0);
    EXPECT_EQ(right.green, 128);
    // x = 673/2 gives 64 exactly after rounding; blue and red always add up to 128 here.
    for (int x = 1; x <= 673; ++x) {
        const auto c = ProgressColumnColor(x);
        ASSERT_NEAR(c.red + c.blue, 128, 1);
    }
}

TEST(Timers, MeasureSecondsSinceStart) {
    TestSession t;
    StartTimer(t.s);
    t.clock.Set(ClockTime{2026, 3, 14, 15, 9, 28, 0.25});
    EXPECT_FLOAT_EQ(EndTimer(t.s), 1.75f);
}
