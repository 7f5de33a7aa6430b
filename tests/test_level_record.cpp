// The record beside every level (level1.txt) and `tessellon build --replay`: levels built with
// the clock running are built again byte for byte, and a record that cannot give the same level
// is refused with a reason.
#include <gtest/gtest.h>

#include "driver/level_record.h"
#include "test_support.h"

namespace tessellon::testing {
namespace {

TEST(LevelRecord, TwentyLevelsBuiltWithTheClockRunningAreReplayedByteForByte) {
    TempDir original, replayed;
    InstallTestRooms(original.path());
    InstallTestRooms(replayed.path());
    const char* seasons[] = {"summer", "autumn", "winter", "spring"};
    for (int i = 0; i < 20; ++i) {
        // No --clock: every re-seed reads the real, running clock; some builds tick a seed.
        std::vector<std::string> args{"build", "--home", original.path().string(), "--quiet", "--restart-delay", "0",
                                      "--map-size", std::to_string(5 + i % 4), "--time-of-day", std::to_string(i * 7 % 49),
                                      "--season", seasons[i % 4], "--enemy-difficulty", std::to_string(i % 11)};
        if (i % 3 == 0) args.insert(args.end(), {"--seed", std::to_string(1000 + i) + ".5"});
        if (i % 4 == 1) args.insert(args.end(), {"--latitude", std::to_string(-60 + i * 6)});
        if (i % 5 == 2) args.insert(args.end(), {"--all-weapons", "--no-monsters"});
        if (i % 7 == 3) args.push_back("--skip-lights");
        const CliRun build = Cli(args);
        ASSERT_EQ(build.code, kExitOk) << i << ": " << build.err;
        const std::string record = ReadFile(original.path() / "level1.txt");
        // Without a seed every re-seed took the clock.
        if (i % 3 != 0) {
            ASSERT_NE(record.find("\r\nClock="), std::string::npos) << record;
        }

        const CliRun replay = Cli({"build", "--home", replayed.path().string(), "--quiet", "--restart-delay", "0",
                                   "--replay", (original.path() / "level1.txt").string()});
        ASSERT_EQ(replay.code, kExitOk) << i << ": " << replay.err;
        const std::string level = ReadFile(original.path() / "level1.vmf");
        ASSERT_FALSE(level.empty());
        ASSERT_TRUE(level == ReadFile(replayed.path() / "level1.vmf")) << "build " << i << " replayed differently";
        EXPECT_EQ(ReadFile(replayed.path() / "level1.txt"), record) << "the replay's own record differs";
    }
}

TEST(LevelRecord, ARecordThatCannotGiveTheSameLevelIsRefused) {
    TempDir home, other;
    InstallTestRooms(home.path());
    ASSERT_EQ(Cli({"build", "--home", home.path().string(), "--quiet", "--map-size", "5"}).code, kExitOk);
    const fs::path record = home.path() / "level1.txt";
    const std::string text = ReadFile(record);
    std::string error;
    const auto parsed = ParseLevelRecord(text, error);
    ASSERT_TRUE(parsed) << error;
    EXPECT_EQ(LevelRecordText(*parsed), text) << "a record reads back to the same text";

    // Other rooms: one room less than the level was built from.
    InstallTestRooms(other.path());
    fs::remove(*fs::directory_iterator(other.path() / "rooms"));
    CliRun r = Cli({"build", "--home", other.path().string(), "--quiet", "--replay", record.string()});
    EXPECT_EQ(r.code, kExitFailed);
    EXPECT_NE(r.err.find("is not the one the level was built from"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(other.path() / "level1.vmf"));

    const struct {
        std::string text;
        const char* says;
    } broken[] = {
        {"not a record\r\n", "it is not a level record"},
        {"Tessellon level record\r\nversion=0.9.34\r\nMapSize=big\r\n", "line 3 (MapSize=big): not a whole number"},
        {"Tessellon level record\r\nversion=0.9.34\r\nClock=noon\r\n", "a clock reading is"},
        {"Tessellon level record\r\nMapSize=5\r\n", "names no version"},
    };
    for (const auto& b : broken) {
        WriteFile(other.path() / "bad.txt", b.text);
        r = Cli({"build", "--home", other.path().string(), "--replay", (other.path() / "bad.txt").string()});
        EXPECT_EQ(r.code, kExitUsage) << b.text;
        EXPECT_NE(r.err.find(b.says), std::string::npos) << r.err;
    }
    // Fewer clock readings than the build takes.
    std::string shortened = text.substr(0, text.find("Clock="));
    WriteFile(home.path() / "short.txt", shortened);
    r = Cli({"build", "--home", home.path().string(), "--quiet", "--replay", (home.path() / "short.txt").string()});
    EXPECT_EQ(r.code, kExitFailed);
    EXPECT_NE(r.err.find("fewer clock readings"), std::string::npos) << r.err;

    r = Cli({"build", "--home", home.path().string(), "--replay", record.string(), "--seed", "4"});
    EXPECT_EQ(r.code, kExitUsage);
    EXPECT_NE(r.err.find("cannot go with it"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace tessellon::testing
