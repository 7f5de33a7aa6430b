// The room manager's work (list, details, test mode, deletion, the room kit) and the pictures
// drawn for it and for the main window: room top views and the level layout.
#include <gtest/gtest.h>

#include "driver/build_driver.h"
#include "driver/room_manager.h"
#include "maze/directions.h"
#include "picture/room_picture.h"
#include "rooms/catalogue.h"
#include "test_support.h"

namespace tessellon::testing {
namespace {

struct RoomManagerTest : ::testing::Test {
    TestSession t;
    Session& s = t.s;
    void SetUp() override {
        InstallTestRooms(t.home);
        Categorize(s);
    }
    int IndexOf(const std::string& file) const {
        const auto entries = RoomListEntries(s.RoomCatalogue);
        const auto it = std::find(entries.begin(), entries.end(), file);
        return it == entries.end() ? -1 : static_cast<int>(it - entries.begin());
    }
    std::vector<std::string> Types() const {
        std::vector<std::string> out;
        for (int i = 1; i <= s.RoomCatalogue.RoomCount(); ++i) out.push_back(s.RoomCatalogue.Row(i)[kColRoomType]);
        return out;
    }
    std::vector<std::string> FolderFiles() const {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(t.home / "rooms")) out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }
};

TEST_F(RoomManagerTest, ListsFileNamesAndShowsTheDetailsOfARoom) {
    const auto entries = RoomListEntries(s.RoomCatalogue);
    ASSERT_EQ(entries.size(), 8u);
    EXPECT_EQ(entries.front(), "alley_closet.rgr");
    EXPECT_EQ(FileNamePart("C:\\Games\\rooms\\a.rgr"), "a.rgr");
    EXPECT_EQ(FileNamePart("/x/rooms/"), "rooms");

    const RoomDetails d = DetailsOf(s, IndexOf("oneway_tall.rgr"));
    EXPECT_EQ(d.name, "Tall corridor");
    EXPECT_EQ(d.type, "1 (One way part)");
    EXPECT_EQ(d.genre, "Genre #0");
    EXPECT_EQ(d.author, "Tessellon");
    EXPECT_EQ(d.description, "A room of the test set.");
    EXPECT_EQ(d.size, std::to_string(fs::file_size(t.home / "rooms" / "oneway_tall.rgr")) + " bytes");
    EXPECT_EQ(DetailsOf(s, 8).name, "") << "past the list there is nothing to show";

    // The selection after a rebuild of the list.
    EXPECT_EQ(ReselectIndex(3, 8), 3);
    EXPECT_EQ(ReselectIndex(9, 8), 7);
    EXPECT_EQ(ReselectIndex(-1, 8), -1);
    EXPECT_EQ(ReselectIndex(2, 0), -1);
}

TEST_F(RoomManagerTest, TestModeLeavesOnlyTheTestedRoomOfItsTypeUntilTheFolderIsReread) {
    const auto before = Types();
    EXPECT_FALSE(EnterRoomTestMode(s, -1));
    EXPECT_TRUE(t.ui.boxes.empty() && !s.RoomTestMode);

    const int tall = IndexOf("oneway_tall.rgr"), plain = IndexOf("oneway_plain.rgr");
    ASSERT_TRUE(EnterRoomTestMode(s, tall));
    EXPECT_TRUE(s.RoomTestMode);
    ASSERT_EQ(t.ui.boxes.size(), 1u);
    EXPECT_EQ(t.ui.boxes[0].title, "Test Map");
    auto types = Types();
    EXPECT_EQ(types[static_cast<std::size_t>(plain)], "29");
    EXPECT_EQ(DetailsOf(s, plain).type, "(This room is blocked)");
    types[static_cast<std::size_t>(plain)] = before[static_cast<std::size_t>(plain)];
    EXPECT_EQ(types, before) << "only rooms of the tested type are blocked";

    // A build can take no other one-way room.
    s.settings.MapSize = 30;
    s.settings.CustomSeed = CheckState::Ticked;
    s.RestartCount = 99;
    int oneWayRooms = 0;
    for (int seed = 1; seed <= 4; ++seed) {
        s.settings.CustomSeedBox = std::to_string(seed);
        if (RunCreateCommand(s) != CreateOutcome::Finished) continue;
        for (std::size_t m = 1; m < s.Plans[1].rooms.size(); ++m) {
            const int row = s.Plans[1].rooms[m].catalogueRow;
            EXPECT_NE(row, plain + 1);
            oneWayRooms += row == tall + 1;
        }
    }
    EXPECT_GT(oneWayRooms, 0);

    // Refresh is refused while the mode is on; leaving it re-reads the folder.
    t.ui.boxes.clear();
    EXPECT_FALSE(RefreshRooms(s));
    ASSERT_EQ(t.ui.boxes.size(), 1u);
    EXPECT_EQ(t.ui.boxes[0].title, "No!");
    EXPECT_EQ(Types()[static_cast<std::size_t>(plain)], "29");
    fs::copy_file(t.home / "rooms" / "turn_corner.rgr", t.home / "rooms" / "turn_copy.rgr");
    LeaveRoomTestMode(s);
    EXPECT_FALSE(s.RoomTestMode);
    EXPECT_EQ(t.ui.boxes.back().text, "Room test mode of, room bans restored.");
    EXPECT_EQ(s.RoomCatalogue.RoomCount(), 9);
    EXPECT_EQ(Types()[static_cast<std::size_t>(plain)], before[static_cast<std::size_t>(plain)]);
    EXPECT_EQ(t.ui.statuses.back(), "Ready...");
}

TEST_F(RoomManagerTest, DeletionAsksRemovesOnlyThatFileAndItsRowAndNeverHalfDoesIt) {
    const auto files = FolderFiles();
    const int tall = IndexOf("oneway_tall.rgr");

    t.ui.okCancelAnswer = BoxAnswer::Cancel;
    EXPECT_EQ(DeleteRoom(s, tall), DeleteOutcome::Cancelled);
    EXPECT_EQ(t.ui.boxes.back().title, "Delete Room!");
    EXPECT_EQ(FolderFiles(), files);
    EXPECT_EQ(s.RoomCatalogue.RoomCount(), 8);

    // A file that will not go: named, and nothing changes.
    t.ui.okCancelAnswer = BoxAnswer::Ok;
    const auto refuse = [](const fs::path&, std::error_code& ec) {
        ec = std::make_error_code(std::errc::permission_denied);
        return false;
    };
    EXPECT_EQ(DeleteRoom(s, tall, refuse), DeleteOutcome::Failed);
    EXPECT_NE(t.ui.boxes.back().text.find("oneway_tall.rgr"), std::string::npos);
    EXPECT_EQ(FolderFiles(), files);
    EXPECT_EQ(s.RoomCatalogue.RoomCount(), 8);

    EXPECT_EQ(DeleteRoom(s, tall), DeleteOutcome::Deleted);
    auto expected = files;
    expected.erase(std::find(expected.begin(), expected.end(), "oneway_tall.rgr"));
    EXPECT_EQ(FolderFiles(), expected);
    EXPECT_EQ(s.RoomCatalogue.RoomCount(), 7);
    EXPECT_EQ(IndexOf("oneway_tall.rgr"), -1);
    EXPECT_EQ(DetailsOf(s, IndexOf("threeway_hall.rgr")).name,
              s.RoomCatalogue.Row(IndexOf("threeway_hall.rgr") + 1).Name());

    // Deleting the room under test lifts the blocks it had set.
    const int plain = IndexOf("oneway_plain.rgr");
    fs::copy_file(t.home / "rooms" / "oneway_plain.rgr", t.home / "rooms" / "oneway_plain2.rgr");
    Categorize(s);
    ASSERT_TRUE(EnterRoomTestMode(s, IndexOf("oneway_plain2.rgr")));
    EXPECT_EQ(Types()[static_cast<std::size_t>(plain)], "29");
    EXPECT_EQ(DeleteRoom(s, IndexOf("oneway_plain2.rgr")), DeleteOutcome::Deleted);
    EXPECT_FALSE(s.RoomTestMode);
    EXPECT_EQ(Types()[static_cast<std::size_t>(IndexOf("oneway_plain.rgr"))], "0");
    EXPECT_EQ(FolderFiles(), expected);
}

struct RecordingRunner final : ProcessRunner {
    std::vector<std::string> lines;
    std::vector<int> styles;
    bool fail = false;
    struct Child final : ChildProcess {
        bool SetPriorityClass(int) override { return true; }
        WaitResult Wait(int) override { return WaitResult::TimedOut; }
        bool Terminate(int) override { return true; }
        int ExitCode() const override { return -1; }
    };
    std::unique_ptr<ChildProcess> Start(const std::string& line, const StartOptions& o) override {
        if (fail) throw ProcessStartError(line, 2, "not found");
        lines.push_back(line);
        styles.push_back(o.windowStyle);
        return std::make_unique<Child>();
    }
};

TEST_F(RoomManagerTest, TheRoomKitStartsBesideTheProgramWithoutWaitingAndAFailureIsQuiet) {
    RecordingRunner runner;
    s.processes = &runner;
    EXPECT_TRUE(LaunchRoomKit(s));
    ASSERT_EQ(runner.lines.size(), 1u);
    EXPECT_EQ(SplitCommandLine(runner.lines[0]), std::vector<std::string>{RoomKitProgram(s).string()});
    EXPECT_EQ(RoomKitProgram(s).parent_path(), t.home);
    EXPECT_EQ(runner.styles[0], kWindowNormalFocus);
    EXPECT_EQ(s.StartedPrograms.size(), 1u) << "kept so it can be reaped";
    runner.fail = true;
    EXPECT_FALSE(LaunchRoomKit(s));
    EXPECT_TRUE(t.ui.boxes.empty());
}

// ---- pictures -----------------------------------------------------------------------------

std::string Box(double x0, double y0, double z0, double x1, double y1, double z1, const std::string& material) {
    auto p = [](double x, double y, double z) {
        return "(" + std::to_string(static_cast<int>(x)) + " " + std::to_string(static_cast<int>(y)) + " " +
               std::to_string(static_cast<int>(z)) + ")";
    };
    const std::string planes[6] = {p(x0, y1, z1) + " " + p(x1, y1, z1) + " " + p(x1, y0, z1),
                                   p(x0, y0, z0) + " " + p(x1, y0, z0) + " " + p(x1, y1, z0),
                                   p(x0, y1, z1) + " " + p(x0, y0, z1) + " " + p(x0, y0, z0),
                                   p(x1, y1, z0) + " " + p(x1, y0, z0) + " " + p(x1, y0, z1),
                                   p(x1, y1, z1) + " " + p(x0, y1, z1) + " " + p(x0, y1, z0),
                                   p(x1, y0, z0) + " " + p(x0, y0, z0) + " " + p(x0, y0, z1)};
    std::string out = "solid\n{\n";
    for (const auto& plane : planes) out += "side\n{\nplane\n" + plane + "\nmaterial\n" + material + "\n}\n";
    return out + "}\n";
}

TEST(RoomPicture, TopViewShowsFloorWallsDoorwayAndMarksButNotTheCeiling) {
    TempDir dir;
    // An alley 512 units square (door on the north side at y = 256), a wall along the west,
    // a ceiling over everything and a character in the middle.
    std::string room = "Test room\n0\n4\n0\n256\n0\n0\n";
    for (int i = 0; i < 12; ++i) room += "0\n";
    room += "desc\nauthor\n";
    room += Box(-256, -256, -16, 256, 256, 0, "CONCRETE/CONCRETEFLOOR005A");
    room += Box(-256, -256, 0, -224, 256, 192, "BRICK/BRICKWALL001A");
    room += Box(-256, -256, 192, 256, 256, 208, "CONCRETE/CONCRETEFLOOR005A");
    room += Box(224, -256, 0, 256, 256, 192, "TOOLS/TOOLSCLIP");
    room += "/\\/worldend\\/\\\nentity\n{\nclassname\nvornic_npc\norigin\n0 0 0\n}\n/\\/EOF\\/\\\n";
    WriteFile(dir.path() / "r.rgr", room);
    const RoomView v = DrawRoomTopView(dir.path() / "r.rgr", 200, 200);
    EXPECT_EQ(v.problem, "");
    EXPECT_EQ(v.brushes, 2) << "floor and wall; the ceiling is overhead and the clip brush unseen";
    EXPECT_EQ(v.entities, 1);
    EXPECT_EQ(v.doorways, 1);
    const Rgb floor = v.image.At(140, 140), wall = v.image.At(12, 100), centre = v.image.At(100, 100);
    EXPECT_GT(floor.red, 180) << "light floor";
    EXPECT_LT(wall.red, 100) << "dark wall";
    EXPECT_GT(centre.red, 180);
    EXPECT_LT(centre.green, 80) << "the character is marked red";
    const Rgb door = v.image.At(100, 8);
    EXPECT_GT(door.green, 140);
    EXPECT_LT(door.red, 80) << "the north doorway is green at the top";
    EXPECT_EQ(v.image.At(188, 100), v.image.At(140, 140)) << "the clip brush is not drawn";

    EXPECT_NE(DrawRoomTopView(dir.path() / "none.rgr", 50, 50).problem, "");
    WriteFile(dir.path() / "short.rgr", "name\n0\n");
    EXPECT_NE(DrawRoomTopView(dir.path() / "short.rgr", 50, 50).problem.find("header"), std::string::npos);
}

TEST(LevelPicture, PlanCellsFollowTheDirectionsAndDoneRoomsAreFilled) {
    LevelPlan plan;
    plan.rooms.resize(5);
    plan.rooms[2] = {1, 1, kEast, 0, 0};
    plan.rooms[3] = {1, 2, kNorth, 0, 0};
    plan.rooms[4] = {1, 2, kSouth, 0, 0};  // a branch from room 2
    const auto cells = PlanCells(plan);
    EXPECT_EQ(cells[1], std::make_pair(0, 0));
    EXPECT_EQ(cells[3], std::make_pair(1, -1));
    EXPECT_EQ(cells[4], std::make_pair(1, 1));

    Catalogue catalogue;
    catalogue.Add({});
    const RgbImage none = DrawLevelPlan(plan, catalogue, 0, 100, 100);
    const RgbImage two = DrawLevelPlan(plan, catalogue, 2, 100, 100);
    // Cells are 28 px; room 2 sits in the right column, middle row.
    const int cx = (100 - 2 * 28) / 2 + 28 + 14, cy = (100 - 3 * 28) / 2 + 28 + 14;
    EXPECT_NE(none.At(cx, cy), two.At(cx, cy)) << "a generated room is filled";
    EXPECT_EQ(none.At(cx, cy - 28), two.At(cx, cy - 28)) << "room 3 is framed as in progress, its middle empty";
}

TEST_F(RoomManagerTest, ABuildShowsItsPlanThenEveryGeneratedRoom) {
    s.settings.MapSize = 8;
    s.RestartCount = 99;
    s.settings.CustomSeed = CheckState::Ticked;
    s.settings.CustomSeedBox = "5";
    ASSERT_EQ(RunCreateCommand(s), CreateOutcome::Finished);
    const int rooms = static_cast<int>(s.Plans[1].rooms.size()) - 1;
    std::vector<int> expected(static_cast<std::size_t>(rooms + 1));
    for (int i = 0; i <= rooms; ++i) expected[static_cast<std::size_t>(i)] = i;
    EXPECT_EQ(t.ui.levelPlanShows, expected);
}

}  // namespace
}  // namespace tessellon::testing
