#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "build/build_driver.h"
#include "build/errors.h"
#include "build/room_choice.h"
#include "maze/directions.h"
#include "maze/maze_line.h"
#include "maze_test_support.h"
#include "rooms/catalogue.h"

namespace tessellon {
namespace {

namespace fs = std::filesystem;
using testing_support::ScratchFolder;
using testing_support::TestSession;

const fs::path kTestRooms = fs::path(TESSELLON_SOURCE_DIR) / "tests/data/rooms";

void CopyTestRooms(const fs::path& home) {
    fs::create_directories(home / "rooms");
    for (const auto& e : fs::directory_iterator(kTestRooms))
        if (e.path().extension() == ".rgr") fs::copy_file(e.path(), home / "rooms" / e.path().filename());
}

RoomRecord Room(const std::string& genre, const std::string& type, std::array<const char*, 5> kinds = {"0", "0", "0", "0", "0"}) {
    RoomRecord r;
    for (int c = 0; c < kCatalogueColumns; ++c) r[c] = "0";
    r[kColGenre] = genre;
    r[kColRoomType] = type;
    for (int side = 1; side <= 4; ++side) r.Side(side, kSideKind) = kinds[static_cast<std::size_t>(side)];
    r[kColFilePath] = "rooms/r" + type + ".rgr";
    return r;
}

// ---------------------------------------------------------------------------------------
// The index

TEST(RoomIndex, RoomsAreFoundOnlyUnderTheirFullSignature) {
    Catalogue c;
    c.Add(Room("0", "0"));
    c.Add(Room("0", "0", {"", "0", "0", "2", "0"}));  // south kind 2
    c.Add(Room("1", "0"));
    c.Add(Room("0", "29"));                          // blocked by the room test mode
    c.Add(Room("0", "0"));
    RoomIndex index;
    for (int i = 1; i <= c.RoomCount(); ++i) index.File(i, SignatureOf(c, i));
    const RoomSignature plain{1, 1, 0, 0, 0, 0};
    ASSERT_EQ(index.Count(plain), 2);
    EXPECT_EQ(index.At(plain, 1), 1);
    EXPECT_EQ(index.At(plain, 2), 5);
    const RoomSignature kinded{1, 1, 0, 0, 2, 0};
    ASSERT_EQ(index.Count(kinded), 1);
    EXPECT_EQ(index.At(kinded, 1), 2);
    EXPECT_EQ(index.Count({1, 1, 2, 0, 0, 0}), 0);
    EXPECT_EQ(index.Count({2, 1, 0, 0, 0, 0}), 1);
    EXPECT_EQ(index.Count({1, 30, 0, 0, 0, 0}), 1);
    EXPECT_THROW(index.At(plain, 3), std::out_of_range);
}

TEST(RoomIndex, ValuesOutsideTheTablesStopTheBuildNamingTheFile) {
    Catalogue c;
    c.Add(Room("5", "0"));
    c.Add(Room("0", "30"));
    c.Add(Room("0", "0", {"", "5", "0", "0", "0"}));
    c.Add(Room("zero", "0"));
    c.Add(Room("0", "-1"));
    for (int i = 1; i <= c.RoomCount(); ++i) {
        try {
            SignatureOf(c, i);
            ADD_FAILURE() << "row " << i << " was accepted";
        } catch (const BuildFailure& e) {
            EXPECT_NE(std::string(e.what()).find("rooms/r"), std::string::npos) << e.what();
        }
    }
    RoomIndex index;
    for (int i = 1; i <= RoomIndex::kMaxPerGenreAndType; ++i) index.File(i, {1, 3, 0, 0, 0, 0});
    index.File(1001, {1, 4, 0, 0, 0, 0});  // another type has room of its own
    EXPECT_THROW(index.File(1002, {1, 3, 0, 1, 0, 0}), BuildFailure);
}

// ---------------------------------------------------------------------------------------
// Family and turns of a code

TEST(RoomFamily, FixedTurnsFollowTheCodes) {
    ScratchFolder home("family");
    TestSession ts(home.Path());
    const std::pair<const char*, FamilyAndTurns> expected[] = {
        {"02", {2, 1}}, {"03", {2, 2}}, {"04", {2, 3}}, {"05", {2, 0}}, {"06", {1, 0}}, {"09", {1, 3}},
        {"11", {4, 0}}, {"14", {4, 3}}, {"16", {5, 1}}, {"17", {5, 2}}, {"19", {6, 0}}, {"22", {6, 3}},
    };
    for (const auto& [code, want] : expected) {
        const FamilyAndTurns got = RoomFamilyFor(*ts, code, "line");
        EXPECT_EQ(got.family, want.family) << code;
        EXPECT_EQ(got.rotations, want.rotations) << code;
    }
}

TEST(RoomFamily, StraightsAndCrossingsDrawTheirFreeTurns) {
    ScratchFolder home("family-free");
    std::set<int> straightNS, straightEW, cross;
    for (int seed = 1; seed <= 200; ++seed) {
        TestSession ts(home.Path(), std::to_string(seed));
        straightNS.insert(RoomFamilyFor(*ts, "00", "").rotations);
        straightEW.insert(RoomFamilyFor(*ts, "01", "").rotations);
        const auto c = RoomFamilyFor(*ts, "10", "");
        EXPECT_EQ(c.family, 3);
        cross.insert(c.rotations);
    }
    EXPECT_EQ(straightNS, (std::set<int>{0, 2}));
    EXPECT_EQ(straightEW, (std::set<int>{1, 3}));
    EXPECT_EQ(cross, (std::set<int>{0, 1, 2, 3}));
}

TEST(RoomFamily, LevelStartAndEndRoomsAreRefusedNamingTheLine) {
    ScratchFolder home("family-level");
    TestSession ts(home.Path());
    try {
        RoomFamilyFor(*ts, "24", "2160124");
        FAIL();
    } catch (const ProgramEnd& e) {
        EXPECT_EQ(e.Message(), "A level end room was passed through even though it's not supported!");
    }
    std::ifstream log(home.Path() / "errorlog.txt");
    std::string line;
    std::getline(log, line);
    EXPECT_EQ(line, "Level end room was passed? from 'getgoodline'! RoomLine: 2160124\r");
    try {
        RoomFamilyFor(*ts, "28", "x");
        FAIL();
    } catch (const ProgramEnd& e) {
        EXPECT_EQ(e.Message(), "A level start room was passed through even though it's not supported!");
    }
}

// ---------------------------------------------------------------------------------------
// Planning a level with the test rooms

struct PlanFixture : ::testing::Test {
    ScratchFolder home{"plan-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name())};
    void SetUp() override { CopyTestRooms(home.Path()); }
};

const std::array<std::pair<std::string, std::string>, 5> kDoorPoints = {
    {{"", ""}, {"0", "384"}, {"384", "0"}, {"0", "-384"}, {"-384", "0"}}};

// The open sides of a catalogue row as placed: its doorway points after turning.
std::array<bool, 5> TurnedOpenings(Session& s, int row, int turns) {
    RoomRecord r = s.RoomCatalogue.Row(row);
    RotateConnections(s, r, turns);
    std::array<bool, 5> open{};
    for (int side = 1; side <= 4; ++side) {
        const bool atDoor = r.Side(side, kSideX) == kDoorPoints[static_cast<std::size_t>(side)].first &&
                            r.Side(side, kSideY) == kDoorPoints[static_cast<std::size_t>(side)].second;
        const bool closed = r.Side(side, kSideX) == "0" && r.Side(side, kSideY) == "0";
        EXPECT_TRUE(atDoor || closed) << "row " << row << " side " << side << " turned " << turns;
        open[static_cast<std::size_t>(side)] = atDoor;
    }
    return open;
}

TEST_F(PlanFixture, EveryRoomIsTurnedSoItsDoorwaysMeetItsNeighbours) {
    int plans = 0;
    for (int seed = 1; seed <= 40; ++seed) {
        TestSession ts(home.Path(), std::to_string(seed));
        Categorize(*ts);
        const RoomIndex index = BuildRoomIndex(*ts);
        const int length = 4 + seed % 30;
        LevelPlan plan;
        ASSERT_TRUE(PlanLevel(*ts, index, 1, 1, length, plan));
        ++plans;
        ASSERT_EQ(plan.rooms.size(), static_cast<std::size_t>(length) + 2);
        for (int m = 1; m <= length + 1; ++m) {
            const PlannedRoom& room = plan.rooms[static_cast<std::size_t>(m)];
            const std::string code = plan.roomLine.substr(static_cast<std::size_t>(2 * m - 1), 2);
            ASSERT_GE(room.catalogueRow, 1);
            const ConnectionCode* c = FindCode(code);
            EXPECT_EQ(ts->RoomCatalogue.Row(room.catalogueRow).WholeNumber(kColRoomType), c->family) << code;
            EXPECT_EQ(TurnedOpenings(*ts, room.catalogueRow, room.turns), c->open)
                << "room " << m << " code " << code << " turns " << room.turns << " in " << plan.roomLine;
            if (m == 1) {
                EXPECT_EQ(room.from, 0);
                continue;
            }
            ASSERT_LT(room.from, m);
            const PlannedRoom& parent = plan.rooms[static_cast<std::size_t>(room.from)];
            const auto parentOpen = TurnedOpenings(*ts, parent.catalogueRow, parent.turns);
            const auto open = TurnedOpenings(*ts, room.catalogueRow, room.turns);
            EXPECT_TRUE(parentOpen[static_cast<std::size_t>(room.direction)]) << "room " << m << " in " << plan.roomLine;
            EXPECT_TRUE(open[static_cast<std::size_t>(Opposite(room.direction))]) << "room " << m << " in " << plan.roomLine;
        }
    }
    EXPECT_EQ(plans, 40);
}

TEST_F(PlanFixture, RoomsWithOtherSideKindsAreNeverDrawnForPlainDoorways) {
    // A straight whose south doorway has kind 2: no plain doorway may lead into it, and its
    // row must never come back from a lookup for kinds 0.
    std::string text;
    {
        std::ifstream in(home.Path() / "rooms/oneway_plain.rgr", std::ios::binary);
        text.assign(std::istreambuf_iterator<char>(in), {});
    }
    std::size_t at = 0;
    for (int k = 0; k < 14; ++k) at = text.find("\r\n", at) + 2;
    const std::size_t end = text.find("\r\n", at);
    text.replace(at, end - at, "2");  // line 15: the south kind
    std::ofstream(home.Path() / "rooms/aaa_kinded.rgr", std::ios::binary) << text;

    for (int seed = 1; seed <= 30; ++seed) {
        TestSession ts(home.Path(), std::to_string(seed));
        Categorize(*ts);
        ASSERT_EQ(ts->RoomCatalogue.Row(1).Side(kSouth, kSideKind), "2");
        const RoomIndex index = BuildRoomIndex(*ts);
        LevelPlan plan;
        ASSERT_TRUE(PlanLevel(*ts, index, 1, 1, 20, plan));
        for (std::size_t m = 1; m < plan.rooms.size(); ++m) {
            EXPECT_NE(plan.rooms[m].catalogueRow, 1) << plan.roomLine;
            EXPECT_NE(plan.rooms[m].catalogueRow, 0) << plan.roomLine;
        }
    }
}

TEST_F(PlanFixture, AFamilyWithoutRoomsEndsTheBuild) {
    fs::remove(home.Path() / "rooms/end_room.rgr");
    TestSession ts(home.Path());
    Categorize(*ts);
    const RoomIndex index = BuildRoomIndex(*ts);
    LevelPlan plan;
    try {
        PlanLevel(*ts, index, 1, 1, 5, plan);
        FAIL();
    } catch (const ProgramEnd& e) {
        EXPECT_EQ(e.Message(), "Could not find any rooms to match current room connection type! (6)");
    }
    EXPECT_FALSE(fs::exists(home.Path() / "errorlog.txt"));
}

TEST_F(PlanFixture, AnotherGenreFindsNothing) {
    TestSession ts(home.Path());
    Categorize(*ts);
    ts->settings.Genre = 1;
    const RoomIndex index = BuildRoomIndex(*ts);
    LevelPlan plan;
    EXPECT_THROW(PlanLevel(*ts, index, 1, 1, 5, plan), ProgramEnd);
}

// A new room file sorted first shifts every row by one: a build that kept the earlier
// build's index would hand out the wrong rows.
TEST_F(PlanFixture, EachBuildFilesTheCatalogueAsItIsNow) {
    TestSession ts(home.Path(), "11");
    ts->RestartCount = 99;
    Categorize(*ts);
    ASSERT_EQ(RunCreateCommand(*ts), CreateOutcome::Finished);
    fs::copy_file(home.Path() / "rooms/cross_square.rgr", home.Path() / "rooms/000_cross.rgr");
    Categorize(*ts);
    for (int build = 0; build < 3; ++build) {
        ASSERT_EQ(RunCreateCommand(*ts), CreateOutcome::Finished);
        ASSERT_EQ(ts->Plans.size(), 2u);
        const LevelPlan& plan = ts->Plans[1];
        for (std::size_t m = 1; m < plan.rooms.size(); ++m) {
            const auto* c = FindCode(plan.roomLine.substr(2 * m - 1, 2));
            EXPECT_EQ(ts->RoomCatalogue.Row(plan.rooms[m].catalogueRow).WholeNumber(kColRoomType), c->family)
                << "build " << build << " room " << m;
        }
    }
}

TEST_F(PlanFixture, TheBuildLogsItsMazeSteps) {
    TestSession ts(home.Path(), "5");
    ts->settings.WriteLogFile = true;
    ts->settings.MapSize = 5;
    Categorize(*ts);
    ASSERT_EQ(RunCreateCommand(*ts), CreateOutcome::Finished);
    const LevelPlan& plan = ts->Plans.at(1);
    const int n = static_cast<int>(plan.rooms.size()) - 2;
    EXPECT_EQ(plan.totalRooms, n);
    EXPECT_EQ(static_cast<int>(plan.roomLine.size()), 2 * n + 3);
    std::ifstream in(ts->log.path, std::ios::binary);
    const std::string log((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(log.find("] Categorizing 8 rooms...\r\n"), std::string::npos);
    EXPECT_NE(log.find("] Fetching maze line with " + std::to_string(n) + " rooms.\r\n"), std::string::npos);
    EXPECT_NE(log.find("] Randomizing room " + std::to_string(2 * n + 1) + " of " + std::to_string(2 * n + 1)),
              std::string::npos);
    EXPECT_EQ(log.find("Randomizing room " + std::to_string(2 * n + 3)), std::string::npos);
}

// ---------------------------------------------------------------------------------------
// Progress along the path

TEST(RoomProgress, DepthOverTheEndRoomsDepth) {
    Catalogue c;
    c.Add(Room("0", "5"));
    c.Add(Room("0", "0"));
    c.Add(Room("0", "2"));
    c.Add(Room("0", "6"));
    c.Add(Room("0", "4"));
    // start(1) -> straight(2) -> junction(3) -> end(4); junction -> alley(5) -> alley(6)
    LevelPlan plan;
    plan.rooms.resize(7);
    const int rows[] = {0, 1, 2, 3, 4, 5, 5};
    const int from[] = {0, 0, 1, 2, 3, 3, 5};
    for (int m = 1; m <= 6; ++m) plan.rooms[static_cast<std::size_t>(m)] = {rows[m], from[m], 1, 0, 0};
    plan.totalRooms = 5;
    ComputeRoomProgress(c, plan);
    EXPECT_FLOAT_EQ(plan.rooms[1].progress, 0.25f);
    EXPECT_FLOAT_EQ(plan.rooms[3].progress, 0.75f);
    EXPECT_FLOAT_EQ(plan.rooms[4].progress, 1.0f);
    EXPECT_FLOAT_EQ(plan.rooms[5].progress, 1.0f);
    EXPECT_FLOAT_EQ(plan.rooms[6].progress, 1.25f);

    // Without an end room the last room of the line counts as the end.
    plan.rooms[4].catalogueRow = 5;
    ComputeRoomProgress(c, plan);
    EXPECT_FLOAT_EQ(plan.rooms[6].progress, 1.0f);
    EXPECT_FLOAT_EQ(plan.rooms[1].progress, 0.2f);
}

TEST(RoomProgress, AStraightLineRisesEvenlyToOne) {
    Catalogue c;
    c.Add(Room("0", "5"));
    c.Add(Room("0", "0"));
    c.Add(Room("0", "6"));
    const int n = 9;
    LevelPlan plan;
    plan.rooms.resize(n + 2);
    for (int m = 1; m <= n + 1; ++m) plan.rooms[static_cast<std::size_t>(m)] = {m == 1 ? 1 : m == n + 1 ? 3 : 2, m - 1, 1, 0, 0};
    plan.totalRooms = n;
    ComputeRoomProgress(c, plan);
    for (int m = 1; m <= n + 1; ++m)
        EXPECT_NEAR(plan.rooms[static_cast<std::size_t>(m)].progress, static_cast<float>(m) / (n + 1), 1e-6) << m;
}

}  // namespace
}  // namespace tessellon
