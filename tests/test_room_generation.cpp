#include <gtest/gtest.h>

#include <fstream>

#include "build/errors.h"
#include "build/room_generation.h"
#include "rooms/catalogue.h"
#include "instance_support.h"

namespace tessellon {
namespace {

using namespace instance_testing;

std::string TestRoomPath(const std::string& name) {
    return std::string(TESSELLON_SOURCE_DIR) + "/tests/data/instance/" + name + ".rgr";
}

// The test rooms filed in the session's catalogue by hand, one row each.
struct HandCatalogue {
    explicit HandCatalogue(Session& session) : s(session) {}
    Session& s;
    std::map<std::string, int> byName;

    int Add(const std::string& name) {
        auto record = ReadRoomHeader(TestRoomPath(name));
        if (!record) throw std::runtime_error("cannot read test room " + name);
        s.RoomCatalogue.Add(*record);
        return byName[name] = s.RoomCatalogue.RoomCount();
    }
};

struct GenerationTest : ::testing::Test {
    PipelineSession t;
    Session& s = t.s;
    HandCatalogue cat{s};
    std::vector<RoomOffset> offsets;

    PlannedRoom Room(const std::string& name, int from, int direction, int turns, float progress) {
        const int row = cat.byName.count(name) ? cat.byName[name] : cat.Add(name);
        return PlannedRoom{row, from, direction, turns, progress};
    }
    // Start room turned to open south; a crossing with an alley east, a three-way west leading
    // north to the end, and a one-way south that climbs 64 units into another alley.
    LevelPlan BranchedPlan() {
        LevelPlan plan;
        plan.rooms = {PlannedRoom{},
                      Room("t_start", 0, 0, 2, 0.25f),
                      Room("t_cross", 1, 3, 0, 0.5f),
                      Room("t_alley", 2, 2, 3, 0.75f),
                      Room("t_three", 2, 4, 0, 0.75f),
                      Room("t_end", 4, 1, 2, 1.0f),
                      Room("t_oneway", 2, 3, 2, 0.75f),
                      Room("t_alley", 6, 3, 0, 1.0f)};
        plan.totalRooms = 6;
        return plan;
    }
};

TEST_F(GenerationTest, LinkedRoomsMeetDoorToDoorOnNeighbouringCells) {
    const LevelPlan plan = BranchedPlan();
    ASSERT_TRUE(GenerateLevel(s, plan, 1, 1, "sky_day01_09", &offsets));
    for (int m = 2; m < static_cast<int>(plan.rooms.size()); ++m) {
        const auto& r = plan.rooms[static_cast<std::size_t>(m)];
        const int back = r.direction <= 2 ? r.direction + 2 : r.direction - 2;
        for (int k = 1; k <= 3; ++k)
            EXPECT_EQ(s.DoorPoints[r.from][r.direction][k], s.DoorPoints[m][back][k]) << "room " << m << " coord " << k;
        // Each room sits one cell from the room it is entered from.
        const double stepX = r.direction == 2 ? 768 : r.direction == 4 ? -768 : 0;
        const double stepY = r.direction == 1 ? 768 : r.direction == 3 ? -768 : 0;
        EXPECT_EQ(offsets[m].x - offsets[r.from].x, stepX) << "room " << m;
        EXPECT_EQ(offsets[m].y - offsets[r.from].y, stepY) << "room " << m;
    }
    EXPECT_EQ(offsets[7].z, 64) << "the alley after the climbing one-way is raised";
    // The three-way's open west side (its door towards the end room's cell is north).
    EXPECT_EQ(s.DoorPoints[4][1][1], -768);
    EXPECT_EQ(s.DoorPoints[4][1][2], -768 + 384);
}

TEST_F(GenerationTest, AbortWhileGeneratingLeavesTheOlderLevelAndNamesNothing) {
    testing::WriteFile(t.dir.path() / "level1.vmf", "older level");
    t.ui.onYield = [&] {
        if (!t.ui.statuses.empty() && t.ui.statuses.back().rfind("Generating room 3 of 7", 0) == 0) s.BuildAborted = true;
    };
    EXPECT_FALSE(GenerateLevel(s, BranchedPlan(), 1, 1, "sky_day01_09"));
    EXPECT_EQ(testing::ReadFile(t.dir.path() / "level1.vmf"), "older level");
    EXPECT_TRUE(s.writer.IsOpen()) << "the working file stays open until the next build closes it";
}

TEST_F(GenerationTest, BrokenRoomFileStopsTheLevelWithItsName) {
    LevelPlan plan = BranchedPlan();
    plan.rooms[3] = Room("t_noend", 2, 2, 0, 0.75f);
    try {
        GenerateLevel(s, plan, 1, 1, "sky_day01_09");
        FAIL() << "a room without its end marker was placed";
    } catch (const BuildFailure& e) {
        EXPECT_NE(std::string(e.what()).find("t_noend.rgr"), std::string::npos);
    }
    EXPECT_FALSE(std::filesystem::exists(t.dir.path() / "level1.vmf"));
}

TEST_F(GenerationTest, PlanThatLinksForwardIsRefused) {
    LevelPlan plan = BranchedPlan();
    plan.rooms[3].from = 5;
    EXPECT_THROW(GenerateLevel(s, plan, 1, 1, "sky_day01_09"), BuildFailure);
}

}  // namespace
}  // namespace tessellon
