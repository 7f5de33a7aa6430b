#include <gtest/gtest.h>

#include "driver/build_driver.h"
#include "session/stage_times.h"
#include "rooms/catalogue.h"
#include "test_support.h"

using namespace tessellon;
using namespace tessellon::testing;

namespace {

std::vector<std::string> BuildLevel(const std::string& seed, StageTimes* times) {
    TestSession t({}, seed);
    InstallTestRooms(t.dir.path());
    Categorize(t.s);
    t.s.settings.MapSize = 12;
    t.s.RestartCount = 99;
    StageTimes::Install(times);
    const CreateOutcome outcome = RunCreateCommand(t.s);
    StageTimes::Install(nullptr);
    EXPECT_EQ(outcome, CreateOutcome::Finished);
    return FileLines(t.dir.path() / "level1.vmf");
}

}  // namespace

// Timing a build's stages must not change what it writes, and every stage a build goes
// through is counted, and the timing stops once uninstalled.
TEST(StageTimes, TimedBuildWritesTheSameLevelAndCountsEveryStage) {
    const std::vector<std::string> plain = BuildLevel("4", nullptr);
    StageTimes times;
    const std::vector<std::string> timed = BuildLevel("4", &times);
    ASSERT_FALSE(plain.empty());
    EXPECT_EQ(plain, timed);
    for (int k = 0; k < static_cast<int>(BuildStage::Count); ++k) {
        const auto stage = static_cast<BuildStage>(k);
        EXPECT_GT(times[stage], 0.0) << BuildStageName(stage);
    }
    EXPECT_EQ(StageTimes::Active(), nullptr);
    EXPECT_STREQ(BuildStageName(BuildStage::Entities), "entities");
}
