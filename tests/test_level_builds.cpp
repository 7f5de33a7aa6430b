#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <sstream>

#include "build/build_driver.h"
#include "check/level_check.h"
#include "cli/cli.h"
#include "instance_support.h"
#include "level_checks.h"
#include "maze/directions.h"
#include "rooms/catalogue.h"

namespace tessellon {
namespace {

using namespace instance_testing;
namespace fs = std::filesystem;

// Whole builds on the test rooms: every level must be a sound map whose rooms meet door to door.
struct LevelBuildTest : ::testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(LevelBuildTest, LevelIsSoundAndLinkedRoomsMeet) {
    const auto [mapSize, seed] = GetParam();
    PipelineSession t;
    Session& s = t.s;
    testing::InstallTestRooms(t.dir.path());
    Categorize(s);
    s.settings.MapSize = mapSize;
    s.settings.CustomSeed = CheckState::Ticked;
    s.settings.CustomSeedBox = std::to_string(seed);
    s.RestartCount = 99;
    ASSERT_EQ(RunCreateCommand(s), CreateOutcome::Finished);

    const fs::path levelPath = t.dir.path() / "level1.vmf";
    const auto level = FileLines(levelPath);
    EXPECT_EQ(BraceProblem(level), "");
    EXPECT_EQ(RepeatedIds(level), std::vector<std::string>{});
    EXPECT_EQ(PlaceholderClasses(level), std::vector<std::string>{});
    EXPECT_EQ(OriginalNames(level), std::vector<std::string>{});
    const CheckReport report = CheckLevelFile(levelPath.string());
    EXPECT_TRUE(report.Passed()) << FormatReportText(report);

    ASSERT_EQ(s.Plans.size(), 2u);
    const LevelPlan& plan = s.Plans[1];
    ASSERT_GE(plan.rooms.size(), 3u);
    std::set<int> distinctRows;
    for (std::size_t m = 1; m < plan.rooms.size(); ++m) distinctRows.insert(plan.rooms[m].catalogueRow);
    EXPECT_EQ(s.RoomBodies.Reads(), static_cast<int>(distinctRows.size())) << "each room file is read once a build";
    for (std::size_t m = 2; m < plan.rooms.size(); ++m) {
        const PlannedRoom& r = plan.rooms[m];
        for (int k = 1; k <= 3; ++k)
            EXPECT_EQ(s.DoorPoints[r.from][r.direction][k], s.DoorPoints[m][Opposite(r.direction)][k])
                << "room " << m << " entered from " << r.from << " moving " << r.direction << ", coordinate " << k;
    }
}

INSTANTIATE_TEST_SUITE_P(MapSizesAndSeeds, LevelBuildTest,
                         ::testing::Combine(::testing::Values(5, 12, 20, 28, 35), ::testing::Values(1, 2, 3)));

TEST(BrokenRoomBuild, EndsWithAMessageNamingTheRoomAndWritesNoLevel) {
    testing::TempDir home;
    testing::InstallTestRooms(home.path());
    // Every level starts in the start room: cut its end marker off.
    const fs::path start = home.path() / "rooms" / "start_room.rgr";
    std::string text = testing::ReadFile(start);
    text = text.substr(0, text.find("/\\/EOF\\/\\"));
    testing::WriteFile(start, text);
    std::ostringstream out, err;
    EXPECT_EQ(RunCli({"build", "--home", home.path().string(), "--seed", "5", "--quiet"}, out, err), kExitFailed);
    EXPECT_NE(err.str().find("start_room.rgr"), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("end marker"), std::string::npos) << err.str();
    EXPECT_FALSE(fs::exists(home.path() / "level1.vmf"));
}

// Golden levels: small builds with a fixed seed and clock, compared whole with the files under
// tests/data/golden. Any change in the written level shows up here and is reviewed by
// regenerating the files: TESSELLON_UPDATE_GOLDEN=1 out/default/tessellon_tests --gtest_filter='Golden*'
struct GoldenCase {
    const char* file;
    std::vector<std::string> options;
};

class GoldenLevel : public ::testing::TestWithParam<GoldenCase> {};

std::string FirstDifference(const std::string& want, const std::string& got) {
    std::istringstream a(want), b(got);
    std::string la, lb;
    for (int line = 1;; ++line) {
        const bool moreA = static_cast<bool>(std::getline(a, la));
        const bool moreB = static_cast<bool>(std::getline(b, lb));
        if (!moreA && !moreB) return "files equal";
        if (la != lb || moreA != moreB)
            return "first difference at line " + std::to_string(line) + ": expected \"" + (moreA ? la : "<end>") +
                   "\", written \"" + (moreB ? lb : "<end>") + "\"";
    }
}

TEST_P(GoldenLevel, BuildWritesTheCheckedInLevel) {
    const GoldenCase& c = GetParam();
    testing::TempDir home;
    testing::InstallTestRooms(home.path());
    std::vector<std::string> args = {"build", "--home", home.path().string(), "--quiet", "--restart-delay", "0"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    std::ostringstream out, err;
    ASSERT_EQ(RunCli(args, out, err), kExitOk) << err.str();
    const std::string written = testing::ReadFile(home.path() / "level1.vmf");
    const fs::path golden = fs::path(TESSELLON_SOURCE_DIR) / "tests/data/golden" / c.file;
    if (const char* update = std::getenv("TESSELLON_UPDATE_GOLDEN"); update && std::string(update) == "1") {
        testing::WriteFile(golden, written);
        GTEST_SKIP() << "rewrote " << golden;
    }
    ASSERT_TRUE(fs::exists(golden)) << golden << " is missing; see tests/data/golden/README.md";
    const std::string expected = testing::ReadFile(golden);
    EXPECT_TRUE(expected == written) << c.file << ": " << FirstDifference(expected, written);
}

INSTANTIATE_TEST_SUITE_P(
    SmallBuilds, GoldenLevel,
    ::testing::Values(
        GoldenCase{"seed3_size5.vmf", {"--seed", "3", "--map-size", "5", "--clock", "2026-01-02 10:00:00"}},
        GoldenCase{"seed11_size8_night.vmf",
                   {"--seed", "11", "--map-size", "8", "--clock", "2026-07-19 23:30:00", "--time-of-day", "44",
                    "--skip-lights", "--alien-combine-balance", "0"}},
        GoldenCase{"seed42_size10_winter.vmf",
                   {"--seed", "42", "--map-size", "10", "--clock", "2026-12-24 08:15:30", "--season", "winter",
                    "--latitude", "60", "--alien-combine-balance", "20"}}),
    [](const ::testing::TestParamInfo<GoldenCase>& info) {
        std::string name = info.param.file;
        name = name.substr(0, name.find('.'));
        return name;
    });

}  // namespace
}  // namespace tessellon
