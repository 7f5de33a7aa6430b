#include <gtest/gtest.h>

#include <algorithm>

#include "build/auto_restart.h"
#include "build/build_driver.h"
#include "instance/translation.h"
#include "instance_support.h"

namespace tessellon {
namespace {

using instance_testing::PipelineSession;

struct AutoRestartTest : ::testing::Test {
    PipelineSession t;
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
        return RunWithAutomaticRestart(s, [this] { return Build(); }, [this](int ms) { waits.push_back(ms); },
                                       maxRestarts);
    }
    long Count(const std::string& status) const {
        return std::count(t.ui.statuses.begin(), t.ui.statuses.end(), status);
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
    EXPECT_EQ(Count("Path out of bounds! Restart in 2..."), 2);
    EXPECT_EQ(Count("Path out of bounds! Restart in 1..."), 2);
    EXPECT_EQ(Count("Automatic restart 2 of at most 20..."), 1);
    EXPECT_EQ(s.RestartCount, 99) << "the create command skips its question";
    EXPECT_FALSE(s.RestartTimerEnabled);
}

TEST_F(AutoRestartTest, ALevelThatNeverFitsGivesUpVisibly) {
    failingBuilds = 1000;
    const RestartReport r = Run(5);
    EXPECT_TRUE(r.gaveUp);
    EXPECT_EQ(r.restarts, 5);
    EXPECT_EQ(builds, 6);
    EXPECT_EQ(t.ui.statuses.back(), "The level left the map's bounds after 5 automatic restarts; giving up.");
}

TEST_F(AutoRestartTest, AbortDuringTheCountdownStopsTheRestart) {
    failingBuilds = 1000;
    bool pressed = false;
    t.ui.onYield = [&] {
        if (!waits.empty() && !pressed) {
            pressed = true;
            AbortBuild(s);
        }
    };
    const RestartReport r = Run();
    EXPECT_EQ(r.outcome, CreateOutcome::Aborted);
    EXPECT_EQ(builds, 1);
    EXPECT_FALSE(s.RestartTimerEnabled);
    EXPECT_FALSE(s.BuildAborted);
}

TEST_F(AutoRestartTest, AUserAbortIsNotRestarted) {
    const RestartReport r = RunWithAutomaticRestart(s, [] { return CreateOutcome::Aborted; }, [](int) {});
    EXPECT_EQ(r.outcome, CreateOutcome::Aborted);
    EXPECT_EQ(r.restarts, 0);
}

}  // namespace
}  // namespace tessellon
