#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "build/errors.h"
#include "maze/directions.h"
#include "maze_test_support.h"
#include "rooms/catalogue.h"

namespace tessellon {
namespace {

namespace fs = std::filesystem;
using testing_support::ScratchFolder;
using testing_support::TestSession;

// A room file with the given header lines and an empty body.
void WriteRoom(const fs::path& file, std::vector<std::string> lines) {
    std::ofstream out(file, std::ios::binary);
    for (const auto& l : lines) out << l << "\r\n";
    out << "/\\/worldend\\/\\\r\n/\\/EOF\\/\\\r\n";
}

std::vector<std::string> Header(const std::string& name, const std::string& type) {
    return {name, "0", type, "0", "384", "0", "0", "0", "0", "0", "0", "0", "-384", "0", "0",
            "0", "0", "0", "0", "about " + name, "someone"};
}

struct Scan : ::testing::Test {
    ScratchFolder home{"scan-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name())};
    TestSession ts{home.Path()};
    fs::path rooms = home.Path() / "rooms";
    void SetUp() override { fs::create_directories(rooms); }
    const RoomRecord& Row(int i) { return ts->RoomCatalogue.Row(i); }
};

TEST_F(Scan, HeadersLandInTheirColumnsListedByNameAndEmptyFilesAreDeleted) {
    Categorize(*ts);
    EXPECT_EQ(ts->RoomCatalogue.RoomCount(), 0);

    auto hall = Header("Hall", "");  // an empty type line reads as 0
    WriteRoom(rooms / "beta.rgr", hall);
    WriteRoom(rooms / "Alpha.RGR", Header("Alpha", "1"));
    std::ofstream(rooms / "empty.rgr").close();
    std::ofstream(rooms / "notes.txt") << "not a room\n";
    Categorize(*ts);
    ASSERT_EQ(ts->RoomCatalogue.RoomCount(), 2);
    EXPECT_EQ(Row(1).Name(), "Alpha");
    EXPECT_EQ(Row(2).Name(), "Hall");
    EXPECT_EQ(Row(2)[kColRoomType], "0");
    EXPECT_EQ(Row(2).Side(kSouth, kSideY), "-384");
    EXPECT_EQ(Row(2)[kColFilePath], (rooms / "beta.rgr").string());
    EXPECT_EQ(Row(2)[kColDescription], "about Hall");
    EXPECT_EQ(Row(2)[kColAuthor], "someone");
    EXPECT_FALSE(fs::exists(rooms / "empty.rgr"));
    EXPECT_TRUE(fs::exists(rooms / "notes.txt"));
    EXPECT_EQ(ts.ui.status.back(), "Catigorizing Rooms...");
    EXPECT_THROW(Row(3), std::out_of_range);
}

TEST_F(Scan, AShortFileEndsTheProgramWithoutAnErrorLog) {
    WriteRoom(rooms / "a.rgr", Header("A", "0"));
    std::ofstream(rooms / "short.rgr", std::ios::binary) << "twenty\r\nlines\r\n";
    try {
        Categorize(*ts);
        FAIL();
    } catch (const ProgramEnd& e) {
        EXPECT_EQ(e.Message(), "The file:" + (rooms / "short.rgr").string() + " couldn't be opened. It's probably corrupt.");
    }
    EXPECT_FALSE(fs::exists(home.Path() / "errorlog.txt"));
}

TEST_F(Scan, MoreThan2000RoomFilesStopWithAMessage) {
    for (int i = 0; i < 2001; ++i) WriteRoom(rooms / ("room" + std::to_string(10000 + i) + ".rgr"), Header("r", "0"));
    try {
        Categorize(*ts);
        FAIL();
    } catch (const ProgramEnd& e) {
        EXPECT_NE(e.Message().find("2001 room files, but at most 2000"), std::string::npos) << e.Message();
    }
    fs::remove(rooms / "room10000.rgr");
    Categorize(*ts);
    EXPECT_EQ(ts->RoomCatalogue.RoomCount(), 2000);
}

TEST(RoomTypeName, AsTheRoomManagerShowsIt) {
    EXPECT_EQ(RoomTypeName("0"), "1 (One way part)");
    EXPECT_EQ(RoomTypeName("6"), "7 (Game End)");
    EXPECT_EQ(RoomTypeName("29"), "(This room is blocked)");
    EXPECT_EQ(RoomTypeName("7"), "<unknown> (Not Supported)");
}

// The test rooms follow the room standard: doorways where the family's base orientation is
// open, on the cell boundary; the copy beside the program is the same.
TEST(TestRooms, EveryFamilyIsThereWithDoorwaysWhereItsBaseIsOpen) {
    const fs::path source = fs::path(TESSELLON_SOURCE_DIR);
    const auto names = ListRoomFiles(source / "tests/data/rooms");
    ASSERT_EQ(names, ListRoomFiles(source / "data/rooms"));
    const char* base[7] = {"1010", "1100", "1101", "1111", "1000", "1000", "1000"};
    const std::string points[5][2] = {{}, {"0", "384"}, {"384", "0"}, {"0", "-384"}, {"-384", "0"}};
    std::set<int> families;
    for (const auto& name : names) {
        const auto record = ReadRoomHeader(source / "tests/data/rooms" / name);
        ASSERT_TRUE(record) << name;
        const int type = record->WholeNumber(kColRoomType).value_or(-1);
        ASSERT_TRUE(type >= 0 && type <= 6) << name;
        families.insert(type);
        for (int side = 1; side <= 4; ++side) {
            const bool open = base[type][side - 1] == '1';
            EXPECT_EQ(record->Side(side, kSideX), open ? points[side][0] : "0") << name << " side " << side;
            EXPECT_EQ(record->Side(side, kSideY), open ? points[side][1] : "0") << name << " side " << side;
        }
        std::ifstream a(source / "tests/data/rooms" / name, std::ios::binary), b(source / "data/rooms" / name, std::ios::binary);
        const std::string ta((std::istreambuf_iterator<char>(a)), {}), tb((std::istreambuf_iterator<char>(b)), {});
        EXPECT_EQ(ta, tb) << name;
        EXPECT_NE(ta.find("\r\n/\\/worldend\\/\\\r\n"), std::string::npos) << name;
        EXPECT_NE(ta.find("\r\n/\\/EOF\\/\\\r\n"), std::string::npos) << name;
        EXPECT_EQ(type == 5, ta.find("\r\ninfo_player_start\r\n") != std::string::npos) << name;
    }
    EXPECT_EQ(families.size(), 7u);
}

}  // namespace
}  // namespace tessellon
