#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>

#include "driver/auto_restart.h"
#include "driver/build_driver.h"
#include "session/errors.h"
#include "session/report.h"
#include "check/level_check.h"
#include "instance/name_fixer.h"
#include "instance/translation.h"
#include "maze/directions.h"
#include "rooms/catalogue.h"
#include "test_support.h"

namespace tessellon {
namespace {

using namespace testing;

// ---- the create command -------------------------------------------------------------------

TEST(CreateCommand, CancelOrABadSeedChangesNothing) {
    TestSession t;
    t.ui.okCancelAnswer = BoxAnswer::Cancel;
    t.s.RoomTestMode = true;
    EXPECT_EQ(RunCreateCommand(t.s), CreateOutcome::Cancelled);
    ASSERT_EQ(t.ui.boxes.size(), 1u);
    EXPECT_EQ(t.ui.boxes[0].text.rfind("The creation will now begin! Note that you are in room test mode.", 0), 0u);
    EXPECT_TRUE(t.ui.statuses.empty());
    TestSession u({}, "seven");
    EXPECT_EQ(RunCreateCommand(u.s), CreateOutcome::Cancelled);
    ASSERT_EQ(u.ui.boxes.size(), 1u);
    EXPECT_NE(u.ui.boxes[0].text.find("\"seven\" is not a number"), std::string::npos);
    EXPECT_FALSE(fs::exists(t.dir.path() / "temp.dta") || fs::exists(u.dir.path() / "temp.dta"));
}

TEST(CreateCommand, AbortOrAWriteFailureKeepsTheOlderLevel) {
    TestSession t;
    WriteFile(t.dir.path() / "level1.vmf", "the level from yesterday");
    t.ui.onYield = [&] {
        if (!t.ui.statuses.empty() && t.ui.statuses.back().rfind("Creating maze", 0) == 0) AbortBuild(t.s);
    };
    EXPECT_EQ(RunCreateCommand(t.s), CreateOutcome::Aborted);
    EXPECT_FALSE(t.s.BuildAborted) << "the create command clears the flag";
    EXPECT_TRUE(t.ui.Saw("Process aborted!"));
    EXPECT_FALSE(t.ui.locked);
    EXPECT_EQ(ReadFile(t.dir.path() / "level1.vmf"), "the level from yesterday");

    // The working file's name is taken by a folder: the build ends through MapError.
    TestSession u;
    fs::create_directories(u.dir.path() / "temp.dta" / "x");
    WriteFile(u.dir.path() / "level1.vmf", "keep me");
    InstallTestRooms(u.dir.path());
    Categorize(u.s);
    u.s.RestartCount = 99;
    EXPECT_THROW(RunCreateCommand(u.s), ProgramEnd);
    EXPECT_EQ(u.ui.boxes.front().title, "Warning!");
    EXPECT_NE(u.ui.boxes.front().text.find("temp.dta"), std::string::npos);
    EXPECT_EQ(ReadFile(u.dir.path() / "level1.vmf"), "keep me");
    EXPECT_FALSE(u.ui.locked);
}

TEST(BuildCommand, LogsTheBuildAndKeepsSlowLinesOut) {
    TempDir home;
    InstallTestRooms(home.path());
    const CliRun r = Cli({"build", "--home", home.path().string(), "--seed", "4", "--clock", "2026-01-01 10:00:00",
                          "--quiet", "--write-log-file", "--map-size", "10"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_TRUE(fs::exists(home.path() / "level1.vmf"));
    const std::string log = ReadFile(home.path() / "vorniclog 1-10-0.log");
    EXPECT_NE(log.find("Categorizing 8 rooms..."), std::string::npos);
    EXPECT_EQ(log.find("Maze Line passed!"), std::string::npos) << "attempt lines are slow ones";
    EXPECT_NE(log.find(" attempts.\r\n"), std::string::npos);
    EXPECT_NE(log.find("Randomizing room 1 of "), std::string::npos);
}

TEST(BuildCommand, BrokenRoomEndsWithAMessageNamingItAndWritesNoLevel) {
    TempDir home;
    InstallTestRooms(home.path());
    // Every level starts in the start room: cut its end marker off.
    const fs::path start = home.path() / "rooms" / "start_room.rgr";
    const std::string text = ReadFile(start);
    WriteFile(start, text.substr(0, text.find("/\\/EOF\\/\\")));
    const CliRun r = Cli({"build", "--home", home.path().string(), "--seed", "5", "--quiet"});
    EXPECT_EQ(r.code, kExitFailed);
    EXPECT_NE(r.err.find("start_room.rgr"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("end marker"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(home.path() / "level1.vmf"));
}

// ---- automatic restart --------------------------------------------------------------------

struct AutoRestartTest : ::testing::Test {
    TestSession t;
    Session& s = t.s;
    int builds = 0;
    int failingBuilds = 0;  // how many builds run out of the map before one fits
    std::vector<int> waits;

    // A build whose room is moved far below the map while failingBuilds lasts.
    CreateOutcome Build() {
        ++builds;
        std::vector<std::string> body;
        for (int k = 0; k < kBoundaryErrorLimit; ++k) body.insert(body.end(), {"plane", "(0 0 0) (1 0 0) (0 1 0)"});
        t.LoadRoom(body);
        SetOrigins(s, 0, 0, builds <= failingBuilds ? -20000 : 0);
        const bool aborted = s.BuildAborted;
        s.BuildAborted = false;  // as the create command does when the build returns
        return aborted ? CreateOutcome::Aborted : CreateOutcome::Finished;
    }
    RestartReport Run(int maxRestarts = kMaxAutomaticRestarts) {
        return RunWithAutomaticRestart(
            s, [this] { return Build(); }, [this](int ms) { waits.push_back(ms); }, maxRestarts);
    }
};

TEST_F(AutoRestartTest, OutOfBoundsBuildCountsDownAndStartsAgainWithoutAsking) {
    failingBuilds = 2;
    const RestartReport r = Run();
    EXPECT_EQ(r.outcome, CreateOutcome::Finished);
    EXPECT_EQ(r.restarts, 2);
    EXPECT_FALSE(r.gaveUp);
    EXPECT_EQ(builds, 3);
    EXPECT_EQ(waits, (std::vector<int>{1000, 1000, 1000, 1000}));
    const auto& st = t.ui.statuses;
    EXPECT_EQ(std::count(st.begin(), st.end(), "Path out of bounds! Restart in 1..."), 2);
    EXPECT_EQ(std::count(st.begin(), st.end(), "Automatic restart 2 of at most 20..."), 1);
    EXPECT_EQ(s.RestartCount, 99) << "the create command skips its question";
    EXPECT_FALSE(s.RestartTimerEnabled);
}

TEST_F(AutoRestartTest, ALevelThatNeverFitsGivesUpVisiblyAndAnAbortIsNotRestarted) {
    failingBuilds = 1000;
    const RestartReport r = Run(5);
    EXPECT_TRUE(r.gaveUp);
    EXPECT_EQ(builds, 6);
    EXPECT_EQ(t.ui.statuses.back(), "The level left the map's bounds after 5 automatic restarts; giving up.");
    // An abort during the countdown stops the restart.
    builds = 0;
    waits.clear();
    t.ui.onYield = [&] {
        if (waits.size() == 1 && !s.BuildAborted) AbortBuild(s);
    };
    EXPECT_EQ(Run().outcome, CreateOutcome::Aborted);
    EXPECT_EQ(builds, 1);
    EXPECT_FALSE(s.RestartTimerEnabled || s.BuildAborted);
    // A user's abort is not restarted.
    EXPECT_EQ(RunWithAutomaticRestart(
                  s, [] { return CreateOutcome::Aborted; }, [](int) {})
                  .restarts,
              0);
}

// ---- whole builds -------------------------------------------------------------------------

// Values of name keys and output targets that are not generated names.
std::vector<std::string> OriginalNames(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    for (const auto& raw : lines) {
        const std::string l =
            raw.substr(raw.find_first_not_of('\t') == std::string::npos ? 0 : raw.find_first_not_of('\t'));
        const auto mid = l.find("\" \"");
        if (l.size() < 2 || l.front() != '"' || l.back() != '"' || mid == std::string::npos) continue;
        const std::string key = l.substr(1, mid - 1), value = l.substr(mid + 3, l.size() - mid - 4);
        std::string name;
        if (IsNameKey(key)) name = value;
        else if (key.rfind("On", 0) == 0 && value.find(',') != std::string::npos)
            name = value.substr(0, value.find(','));
        else continue;
        if (name.empty() || name.size() > 4 ||
            name.find_first_not_of("abcdefghijklmnopqrstuvwxyz") != std::string::npos)
            out.push_back(key + "=" + value);
    }
    return out;
}

// Whole builds on the test rooms: every level must be a sound map whose rooms meet door to door.
struct LevelBuildTest : ::testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(LevelBuildTest, LevelIsSoundAndLinkedRoomsMeet) {
    const auto [mapSize, seed] = GetParam();
    TestSession t({}, std::to_string(seed));
    Session& s = t.s;
    InstallTestRooms(t.dir.path());
    Categorize(s);
    s.settings.MapSize = mapSize;
    s.RestartCount = 99;
    ASSERT_EQ(RunCreateCommand(s), CreateOutcome::Finished);
    // An automatic restart skips the question; the controls are locked only during the build.
    EXPECT_TRUE(t.ui.boxes.empty());
    const auto lockedAt =
        std::find(t.ui.statuses.begin(), t.ui.statuses.end(), "Randomizing Levels...") - t.ui.statuses.begin();
    EXPECT_TRUE(t.ui.lockedAtStatus.at(static_cast<std::size_t>(lockedAt)) && !t.ui.locked && t.ui.Saw("Done!"));
    EXPECT_EQ(t.ui.progressColumns.back(), 0) << "the bar is reset at the end";

    const fs::path levelPath = t.dir.path() / "level1.vmf";
    EXPECT_EQ(OriginalNames(FileLines(levelPath)), std::vector<std::string>{});
    // The checker's report covers braces, unique ids, placeholders, targets and leaks.
    const CheckReport report = CheckLevelFile(levelPath.string());
    EXPECT_TRUE(report.Passed() && report.WarningCount() == 0) << FormatReportText(report);

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

// Golden levels: small builds with a fixed seed and clock, compared whole with the files under
// tests/data/golden. A change in the written level is reviewed by regenerating them:
// TESSELLON_UPDATE_GOLDEN=1 out/default/tessellon_tests --gtest_filter='SmallBuilds/GoldenLevel.*'
struct GoldenCase {
    const char* file;
    std::vector<std::string> options;
};

class GoldenLevel : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(GoldenLevel, BuildWritesTheCheckedInLevel) {
    const GoldenCase& c = GetParam();
    TempDir home;
    InstallTestRooms(home.path());
    std::vector<std::string> args = {"build", "--home", home.path().string(), "--quiet", "--restart-delay", "0"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const CliRun r = Cli(args);
    ASSERT_EQ(r.code, kExitOk) << r.err;
    const std::string written = ReadFile(home.path() / "level1.vmf");
    const fs::path golden = SourceFile(std::string("golden/") + c.file);
    if (const char* update = std::getenv("TESSELLON_UPDATE_GOLDEN"); update && std::string(update) == "1") {
        WriteFile(golden, written);
        GTEST_SKIP() << "rewrote " << golden;
    }
    ASSERT_TRUE(fs::exists(golden)) << golden << " is missing; see tests/data/golden/README.md";
    const std::string expected = ReadFile(golden);
    std::size_t at = 0;
    while (at < expected.size() && at < written.size() && expected[at] == written[at]) ++at;
    EXPECT_EQ(at, expected.size()) << c.file << " differs at line "
                                   << std::count(written.begin(), written.begin() + at, '\n') + 1;
    EXPECT_EQ(written.size(), expected.size());
}

INSTANTIATE_TEST_SUITE_P(
    SmallBuilds, GoldenLevel,
    ::testing::Values(GoldenCase{"seed3_size5.vmf",
                                 {"--seed", "3", "--map-size", "5", "--clock", "2026-01-02 10:00:00"}},
                      GoldenCase{"seed11_size8_night.vmf",
                                 {"--seed", "11", "--map-size", "8", "--clock", "2026-07-19 23:30:00", "--time-of-day",
                                  "44", "--skip-lights", "--alien-combine-balance", "0"}},
                      GoldenCase{"seed42_size10_winter.vmf",
                                 {"--seed", "42", "--map-size", "10", "--clock", "2026-12-24 08:15:30", "--season",
                                  "winter", "--latitude", "60", "--alien-combine-balance", "20"}}),
    [](const ::testing::TestParamInfo<GoldenCase>& info) {
        const std::string name = info.param.file;
        return name.substr(0, name.find('.'));
    });

// ---- command-line usage -------------------------------------------------------------------

TEST(CommandLine, UsageErrorsWriteNothing) {
    TempDir home;
    const std::string h = home.path().string(), level = SourceFile("check/sealed_room.vmf");
    const std::vector<std::vector<std::string>> bad = {{"build", "--map-size", "36"},
                                                       {"build", "--map-size", "ten"},
                                                       {"build", "--seed", "12abc"},
                                                       {"build", "--season", "monsoon"},
                                                       {"build", "--latitude", "91"},
                                                       {"build", "--clock", "yesterday"},
                                                       {"build", "--frobnicate"},
                                                       {"maze"},
                                                       {"maze", "--length", "0"},
                                                       {"maze", "--length", "200"},
                                                       {"maze", "--length", "5", "--direction", "5"},
                                                       {"maze", "--length", "5", "--end-with", "3"},
                                                       {"maze", "--length", "5", "--batch", "100"},
                                                       {"maze", "--batch", "101"},
                                                       {"check", level, "--fast"},
                                                       {"check", level, level},
                                                       {"nonsense"}};
    for (auto args : bad) {
        if (args[0] != "check") args.insert(args.end(), {"--home", h});
        const CliRun r = Cli(args);
        EXPECT_EQ(r.code, kExitUsage) << args[0] << " " << args[args.size() - 3];
        EXPECT_FALSE(r.err.empty()) << args[0] << " " << args[args.size() - 3];
    }
    EXPECT_TRUE(fs::is_empty(home.path()));
    EXPECT_EQ(Cli({"--help"}).code, kExitOk);
}

}  // namespace
}  // namespace tessellon
