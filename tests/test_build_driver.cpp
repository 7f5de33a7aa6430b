#include <gtest/gtest.h>

#include <algorithm>

#include "build/build_driver.h"
#include "build/errors.h"
#include "build/report.h"
#include "rooms/catalogue.h"
#include "test_support.h"

using namespace tessellon;
using namespace tessellon::testing;

namespace {
bool Saw(const ScriptedUi& ui, const std::string& status) {
    return std::find(ui.statuses.begin(), ui.statuses.end(), status) != ui.statuses.end();
}
}  // namespace

TEST(CreateCommand, CancelChangesNothing) {
    TestSession t;
    t.ui.okCancelAnswer = BoxAnswer::Cancel;
    t.s.RoomTestMode = true;
    EXPECT_EQ(RunCreateCommand(t.s), CreateOutcome::Cancelled);
    ASSERT_EQ(t.ui.boxes.size(), 1u);
    EXPECT_EQ(t.ui.boxes[0].title, "Continiune?");
    EXPECT_EQ(t.ui.boxes[0].text.rfind("The creation will now begin! Note that you are in room test mode.", 0), 0u);
    EXPECT_TRUE(t.ui.statuses.empty());
    EXPECT_FALSE(std::filesystem::exists(t.dir.path() / "temp.dta"));
}

TEST(CreateCommand, RefusesACustomSeedThatIsNotANumber) {
    TestSession t;
    t.s.settings.CustomSeed = CheckState::Ticked;
    t.s.settings.CustomSeedBox = "seven";
    EXPECT_EQ(RunCreateCommand(t.s), CreateOutcome::Cancelled);
    ASSERT_EQ(t.ui.boxes.size(), 1u);
    EXPECT_NE(t.ui.boxes[0].text.find("\"seven\" is not a number"), std::string::npos);
}

TEST(CreateCommand, AutomaticRestartSkipsTheQuestionAndLocksDuringTheBuild) {
    TestSession t;
    InstallTestRooms(t.dir.path());
    Categorize(t.s);
    t.s.RestartCount = 99;
    ASSERT_EQ(RunCreateCommand(t.s), CreateOutcome::Finished);
    EXPECT_TRUE(t.ui.boxes.empty());
    EXPECT_FALSE(t.ui.locked) << "controls are given back after the build";
    // Every status line after the lock was shown while the controls were locked.
    const auto it = std::find(t.ui.statuses.begin(), t.ui.statuses.end(), "Randomizing Levels...");
    ASSERT_NE(it, t.ui.statuses.end());
    EXPECT_TRUE(t.ui.lockedAtStatus[it - t.ui.statuses.begin()]);
    EXPECT_TRUE(Saw(t.ui, "Done!"));
    EXPECT_TRUE(std::filesystem::exists(t.dir.path() / "level1.vmf"));
    EXPECT_EQ(t.ui.progressColumns.back(), 0) << "the bar is reset at the end";
}

TEST(CreateCommand, AbortLeavesTheOlderLevelAlone) {
    TestSession t;
    WriteFile(t.dir.path() / "level1.vmf", "the level from yesterday");
    // The abort command runs inside a yield while the maze is made.
    t.ui.onYield = [&] {
        if (!t.ui.statuses.empty() && t.ui.statuses.back().rfind("Creating maze", 0) == 0) AbortBuild(t.s);
    };
    EXPECT_EQ(RunCreateCommand(t.s), CreateOutcome::Aborted);
    EXPECT_FALSE(t.s.BuildAborted) << "the create command clears the flag";
    EXPECT_TRUE(Saw(t.ui, "Process aborted!"));
    EXPECT_FALSE(t.ui.locked);
    EXPECT_EQ(ReadFile(t.dir.path() / "level1.vmf"), "the level from yesterday");
}

TEST(CreateCommand, AWriteFailureEndsThroughMapErrorAndKeepsTheOlderLevel) {
    TestSession t;
    // The working file's name is taken by a folder, so it cannot be created.
    std::filesystem::create_directories(t.dir.path() / "temp.dta" / "x");
    WriteFile(t.dir.path() / "level1.vmf", "keep me");
    InstallTestRooms(t.dir.path());
    Categorize(t.s);
    t.s.RestartCount = 99;
    EXPECT_THROW(RunCreateCommand(t.s), ProgramEnd);
    EXPECT_EQ(t.ui.boxes.front().title, "Warning!");
    EXPECT_NE(t.ui.boxes.front().text.find("temp.dta"), std::string::npos);
    EXPECT_EQ(ReadFile(t.dir.path() / "level1.vmf"), "keep me");
    EXPECT_FALSE(t.ui.locked);
}
