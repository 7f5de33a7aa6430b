#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "build/build_driver.h"
#include "build/errors.h"
#include "build/room_choice.h"
#include "maze/directions.h"
#include "maze_test_support.h"
#include "rooms/catalogue.h"

namespace tessellon {
namespace {

namespace fs = std::filesystem;
using testing_support::CopyTestRooms;
using testing_support::ScratchFolder;
using testing_support::TestSession;

RoomRecord Room(const std::string& genre, const std::string& type, const std::string& southKind = "0") {
    RoomRecord r;
    for (int c = 0; c < kCatalogueColumns; ++c) r[c] = "0";
    r[kColGenre] = genre;
    r[kColRoomType] = type;
    r.Side(kSouth, kSideKind) = southKind;
    r[kColFilePath] = "rooms/r" + type + ".rgr";
    return r;
}

TEST(RoomIndex, RoomsAreFoundOnlyUnderTheirFullSignature) {
    Catalogue c;
    for (const auto& r : {Room("0", "0"), Room("0", "0", "2"), Room("1", "0"), Room("0", "29"), Room("0", "0")}) c.Add(r);
    RoomIndex index;
    for (int i = 1; i <= c.RoomCount(); ++i) index.File(i, SignatureOf(c, i));
    const RoomSignature plain{1, 1, 0, 0, 0, 0}, kinded{1, 1, 0, 0, 2, 0};
    ASSERT_EQ(index.Count(plain), 2);
    EXPECT_EQ(index.At(plain, 1), 1);
    EXPECT_EQ(index.At(plain, 2), 5);
    ASSERT_EQ(index.Count(kinded), 1);
    EXPECT_EQ(index.At(kinded, 1), 2);
    EXPECT_EQ(index.Count({2, 1, 0, 0, 0, 0}), 1);
    EXPECT_EQ(index.Count({1, 30, 0, 0, 0, 0}), 1);  // blocked rooms sit where no code looks

    // Values outside the tables stop the build naming the file.
    Catalogue bad;
    for (const auto& r : {Room("5", "0"), Room("0", "30"), Room("0", "0", "5"), Room("zero", "0")}) bad.Add(r);
    for (int i = 1; i <= bad.RoomCount(); ++i) EXPECT_THROW(SignatureOf(bad, i), BuildFailure) << i;
    RoomIndex full;
    for (int i = 1; i <= RoomIndex::kMaxPerGenreAndType; ++i) full.File(i, {1, 3, 0, 0, 0, 0});
    EXPECT_THROW(full.File(1001, {1, 3, 0, 1, 0, 0}), BuildFailure);
}

TEST(RoomFamily, TurnsFollowTheCodesAndFreeTurnsAreDrawn) {
    ScratchFolder home("family");
    TestSession ts(home.Path());
    const std::pair<const char*, std::pair<int, int>> fixed[] = {
        {"02", {2, 1}}, {"04", {2, 3}}, {"05", {2, 0}}, {"07", {1, 1}}, {"14", {4, 3}}, {"17", {5, 2}}, {"20", {6, 1}}};
    for (const auto& [code, want] : fixed) {
        const FamilyAndTurns got = RoomFamilyFor(*ts, code, "");
        EXPECT_EQ(std::make_pair(got.family, got.rotations), want) << code;
    }
    std::set<int> straightNS, straightEW, cross;
    for (int seed = 1; seed <= 100; ++seed) {
        TestSession t(home.Path(), std::to_string(seed));
        straightNS.insert(RoomFamilyFor(*t, "00", "").rotations);
        straightEW.insert(RoomFamilyFor(*t, "01", "").rotations);
        cross.insert(RoomFamilyFor(*t, "10", "").rotations);
    }
    EXPECT_EQ(straightNS, (std::set<int>{0, 2}));
    EXPECT_EQ(straightEW, (std::set<int>{1, 3}));
    EXPECT_EQ(cross, (std::set<int>{0, 1, 2, 3}));

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
}

struct Plan : ::testing::Test {
    ScratchFolder home{"plan-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name())};
    void SetUp() override { CopyTestRooms(home.Path()); }

    LevelPlan PlanOnce(TestSession& ts, int length) {
        Categorize(*ts);
        LevelPlan plan;
        EXPECT_TRUE(PlanLevel(*ts, BuildRoomIndex(*ts), 1, 1, length, plan));
        return plan;
    }
};

// The open sides of a catalogue row as placed: where its turned record has doorway points.
std::array<bool, 5> PlacedOpenings(Session& s, int row, int turns) {
    static const std::string points[5][2] = {{}, {"0", "384"}, {"384", "0"}, {"0", "-384"}, {"-384", "0"}};
    RoomRecord r = s.RoomCatalogue.Row(row);
    RotateConnections(s, r, turns);
    std::array<bool, 5> open{};
    for (int side = 1; side <= 4; ++side)
        open[static_cast<std::size_t>(side)] = r.Side(side, kSideX) == points[side][0] && r.Side(side, kSideY) == points[side][1];
    return open;
}

TEST_F(Plan, EveryRoomIsTurnedSoItsDoorwaysMeetItsNeighbours) {
    for (int seed = 1; seed <= 40; ++seed) {
        TestSession ts(home.Path(), std::to_string(seed));
        const int length = 4 + seed % 30;
        const LevelPlan plan = PlanOnce(ts, length);
        ASSERT_EQ(plan.rooms.size(), static_cast<std::size_t>(length) + 2);
        for (int m = 1; m <= length + 1; ++m) {
            const PlannedRoom& room = plan.rooms[static_cast<std::size_t>(m)];
            const ConnectionCode* c = FindCode(plan.roomLine.substr(static_cast<std::size_t>(2 * m - 1), 2));
            EXPECT_EQ(ts->RoomCatalogue.Row(room.catalogueRow).WholeNumber(kColRoomType), c->family);
            const auto open = PlacedOpenings(*ts, room.catalogueRow, room.turns);
            EXPECT_EQ(open, c->open) << "room " << m << " turned " << room.turns << " in " << plan.roomLine;
            if (m == 1) continue;
            ASSERT_LT(room.from, m);
            const PlannedRoom& parent = plan.rooms[static_cast<std::size_t>(room.from)];
            EXPECT_TRUE(PlacedOpenings(*ts, parent.catalogueRow, parent.turns)[static_cast<std::size_t>(room.direction)]);
            EXPECT_TRUE(open[static_cast<std::size_t>(Opposite(room.direction))]);
        }
    }
}

TEST_F(Plan, RoomsWithOtherSideKindsAreNeverDrawnForPlainDoorways) {
    // A straight whose south doorway has kind 2, sorted first: it must never be drawn where
    // the neighbour's doorway is of kind 0, and no lookup may hand out row 0.
    std::ifstream in(home.Path() / "rooms/oneway_plain.rgr", std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), {});
    std::size_t at = 0;
    for (int k = 0; k < 14; ++k) at = text.find("\r\n", at) + 2;
    text.replace(at, 1, "2");  // header line 15: the south kind
    std::ofstream(home.Path() / "rooms/aaa_kinded.rgr", std::ios::binary) << text;
    for (int seed = 1; seed <= 30; ++seed) {
        TestSession ts(home.Path(), std::to_string(seed));
        const LevelPlan plan = PlanOnce(ts, 20);
        ASSERT_EQ(ts->RoomCatalogue.Row(1).Side(kSouth, kSideKind), "2");
        for (std::size_t m = 1; m < plan.rooms.size(); ++m) EXPECT_GT(plan.rooms[m].catalogueRow, 1) << plan.roomLine;
    }
}

TEST_F(Plan, AFamilyWithoutRoomsEndsTheBuild) {
    fs::remove(home.Path() / "rooms/end_room.rgr");
    TestSession ts(home.Path());
    try {
        PlanOnce(ts, 5);
        FAIL();
    } catch (const ProgramEnd& e) {
        EXPECT_EQ(e.Message(), "Could not find any rooms to match current room connection type! (6)");
    }
    EXPECT_FALSE(fs::exists(home.Path() / "errorlog.txt"));
}

// A new room file sorted first shifts every row by one: a build that kept the earlier
// build's index would hand out the wrong rows.
TEST_F(Plan, EachBuildFilesTheCatalogueAsItIsNow) {
    TestSession ts(home.Path(), "11");
    ts->settings.MapSize = 35;
    Categorize(*ts);
    ASSERT_EQ(RunCreateCommand(*ts), CreateOutcome::Finished);
    fs::copy_file(home.Path() / "rooms/cross_square.rgr", home.Path() / "rooms/000_cross.rgr");
    Categorize(*ts);
    for (int build = 0; build < 2; ++build) {
        ASSERT_EQ(RunCreateCommand(*ts), CreateOutcome::Finished);
        const LevelPlan& plan = ts->Plans.at(1);
        EXPECT_EQ(plan.totalRooms, static_cast<int>(plan.rooms.size()) - 2);
        for (std::size_t m = 1; m < plan.rooms.size(); ++m)
            EXPECT_EQ(ts->RoomCatalogue.Row(plan.rooms[m].catalogueRow).WholeNumber(kColRoomType),
                      FindCode(plan.roomLine.substr(2 * m - 1, 2))->family) << "build " << build << " room " << m;
    }
}

TEST(RoomProgress, DepthOverTheEndRoomsDepth) {
    Catalogue c;
    for (const auto& r : {Room("0", "5"), Room("0", "0"), Room("0", "2"), Room("0", "6"), Room("0", "4")}) c.Add(r);
    // start 1 -> straight 2 -> junction 3 -> end 4; junction 3 -> alley 5 -> alley 6
    LevelPlan plan;
    plan.rooms.resize(7);
    const int rows[] = {0, 1, 2, 3, 4, 5, 5}, from[] = {0, 0, 1, 2, 3, 3, 5};
    for (int m = 1; m <= 6; ++m) plan.rooms[static_cast<std::size_t>(m)] = {rows[m], from[m], 1, 0, 0};
    plan.totalRooms = 5;
    ComputeRoomProgress(c, plan);
    const float want[] = {0, 0.25f, 0.5f, 0.75f, 1.0f, 1.0f, 1.25f};
    for (int m = 1; m <= 6; ++m) EXPECT_FLOAT_EQ(plan.rooms[static_cast<std::size_t>(m)].progress, want[m]) << m;
    // Without an end room the last room of the line counts as the end.
    plan.rooms[4].catalogueRow = 5;
    ComputeRoomProgress(c, plan);
    EXPECT_FLOAT_EQ(plan.rooms[6].progress, 1.0f);
    EXPECT_FLOAT_EQ(plan.rooms[1].progress, 0.2f);
}

}  // namespace
}  // namespace tessellon
