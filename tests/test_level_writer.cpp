#include <gtest/gtest.h>

#include "build/errors.h"
#include "build/level_writer.h"
#include "test_support.h"

using namespace tessellon;
using namespace tessellon::testing;

TEST(LevelWriter, QuotesIndentsAndEndsLinesWithCrLf) {
    TempDir dir;
    LevelWriter w;
    w.SetFolder(dir.path());
    std::string sky = "'skyname' 'sky_day01_09'";
    w.PrintToFile(sky, 1);
    EXPECT_EQ(sky, "\t\"skyname\" \"sky_day01_09\"") << "the caller's text holds the written line";
    w.PrintToFile(std::string("'message' 'it's here'"), 0);
    w.PrintToFile(std::string("{"), 3);
    w.Close();
    EXPECT_EQ(ReadFile(dir.path() / "temp.dta"),
              "\t\"skyname\" \"sky_day01_09\"\r\n\"message\" \"it\"s here\"\r\n\t\t\t{\r\n");
}

TEST(LevelWriter, CloseWithNothingOpenThenWriteStartsAFreshFile) {
    TempDir dir;
    WriteFile(dir.path() / "temp.dta", "left over from a crash\r\n");
    LevelWriter w;
    w.SetFolder(dir.path());
    w.PrintToFile(std::string(), 0, true);
    EXPECT_FALSE(w.IsOpen());
    w.PrintToFile(std::string("world"));
    w.Close();
    EXPECT_EQ(ReadFile(dir.path() / "temp.dta"), "world\r\n");
}

TEST(LevelWriter, NamingReplacesTheOldLevelAndLeavesNoWorkingFile) {
    TempDir dir;
    WriteFile(dir.path() / "level1.vmf", "old level");
    LevelWriter w;
    w.SetFolder(dir.path());
    w.PrintToFile(std::string("new"));
    const auto path = w.NameLevel(1);
    EXPECT_EQ(path, dir.path() / "level1.vmf");
    EXPECT_EQ(ReadFile(path), "new\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "temp.dta"));
}

TEST(LevelWriter, FailuresAreClearAndKeepTheOldLevel) {
    TempDir dir;
    LevelWriter w;
    w.SetFolder(dir.path() / "no-such-folder");
    try {
        w.PrintToFile(std::string("x"));
        FAIL() << "writing into a missing folder must fail";
    } catch (const BuildFailure& e) {
        EXPECT_NE(std::string(e.what()).find("temp.dta"), std::string::npos);
    }

    // level1.vmf is a folder here, so it cannot be replaced: the working file stays, nothing is lost.
    std::filesystem::create_directories(dir.path() / "level1.vmf" / "keep");
    w.SetFolder(dir.path());
    w.PrintToFile(std::string("y"));
    EXPECT_THROW(w.NameLevel(1), BuildFailure);
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "level1.vmf" / "keep"));
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "temp.dta"));
}
