#include <gtest/gtest.h>

#include <fstream>

#include "build/errors.h"
#include "maze/directions.h"
#include "maze_test_support.h"
#include "rooms/catalogue.h"

namespace tessellon {
namespace {

namespace fs = std::filesystem;
using testing_support::ScratchFolder;
using testing_support::TestSession;

// A room file whose header is `lines`, followed by an empty body.
void WriteRoom(const fs::path& file, const std::vector<std::string>& lines) {
    std::ofstream out(file, std::ios::binary);
    for (const auto& l : lines) out << l << "\r\n";
    out << "/\\/worldend\\/\\\r\n/\\/EOF\\/\\\r\n";
}

std::vector<std::string> Header(const std::string& name, const std::string& type) {
    return {name, "0", type, "0", "384", "0", "0", "0", "0", "0", "0", "0", "-384", "0", "0",
            "0", "0", "0", "0", "about " + name, "someone"};
}

struct CatalogueFixture : ::testing::Test {
    ScratchFolder home{"catalogue-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name())};
    TestSession ts{home.Path()};
    fs::path rooms = home.Path() / "rooms";
    void SetUp() override { fs::create_directories(rooms); }
};

TEST_F(CatalogueFixture, EmptyOrMissingFolderGivesNoRooms) {
    Categorize(*ts);
    EXPECT_EQ(ts->RoomCatalogue.RoomCount(), 0);
    fs::remove_all(rooms);
    Categorize(*ts);
    EXPECT_EQ(ts->RoomCatalogue.RoomCount(), 0);
}

TEST_F(CatalogueFixture, HeaderLinesLandInTheirColumnsAndThePathInColumn19) {
    auto h = Header("Hall", "2");
    h[2] = "";  // an empty type line reads as 0
    WriteRoom(rooms / "hall.rgr", h);
    Categorize(*ts);
    ASSERT_EQ(ts->RoomCatalogue.RoomCount(), 1);
    const RoomRecord& r = ts->RoomCatalogue.Row(1);
    EXPECT_EQ(r.Name(), "Hall");
    EXPECT_EQ(r[kColRoomType], "0");
    EXPECT_EQ(r.Side(kNorth, kSideY), "384");
    EXPECT_EQ(r.Side(kSouth, kSideY), "-384");
    EXPECT_EQ(r[kColFilePath], (rooms / "hall.rgr").string());
    EXPECT_EQ(r[kColDescription], "about Hall");
    EXPECT_EQ(r[kColAuthor], "someone");
    EXPECT_EQ(r.WholeNumber(kColGenre), 0);
    EXPECT_THROW(ts->RoomCatalogue.Row(2), std::out_of_range);
    EXPECT_THROW(ts->RoomCatalogue.Row(0), std::out_of_range);
}

TEST_F(CatalogueFixture, FilesAreListedByNameWithoutRegardToCaseAndEmptyOnesDeleted) {
    WriteRoom(rooms / "beta.rgr", Header("Beta", "0"));
    WriteRoom(rooms / "Alpha.RGR", Header("Alpha", "1"));
    WriteRoom(rooms / "gamma.rgr", Header("Gamma", "4"));
    std::ofstream(rooms / "empty.rgr").close();
    std::ofstream(rooms / "notes.txt") << "not a room\n";
    Categorize(*ts);
    ASSERT_EQ(ts->RoomCatalogue.RoomCount(), 3);
    EXPECT_EQ(ts->RoomCatalogue.Row(1).Name(), "Alpha");
    EXPECT_EQ(ts->RoomCatalogue.Row(2).Name(), "Beta");
    EXPECT_EQ(ts->RoomCatalogue.Row(3).Name(), "Gamma");
    EXPECT_FALSE(fs::exists(rooms / "empty.rgr"));
    EXPECT_TRUE(fs::exists(rooms / "notes.txt"));
    EXPECT_EQ(ts.ui.status.back(), "Catigorizing Rooms...");
}

TEST_F(CatalogueFixture, ARescanForgetsRoomsThatWereRemoved) {
    WriteRoom(rooms / "a.rgr", Header("A", "0"));
    WriteRoom(rooms / "b.rgr", Header("B", "0"));
    Categorize(*ts);
    ts->RoomCatalogue.Row(2)[kColRoomType] = "29";  // blocked by the room test mode
    fs::remove(rooms / "a.rgr");
    Categorize(*ts);
    ASSERT_EQ(ts->RoomCatalogue.RoomCount(), 1);
    EXPECT_EQ(ts->RoomCatalogue.Row(1).Name(), "B");
    EXPECT_EQ(ts->RoomCatalogue.Row(1)[kColRoomType], "0");
}

TEST_F(CatalogueFixture, AShortFileEndsTheProgramWithoutAnErrorLog) {
    WriteRoom(rooms / "a.rgr", Header("A", "0"));
    auto h = Header("Short", "0");
    h.pop_back();
    {
        std::ofstream out(rooms / "short.rgr", std::ios::binary);
        for (const auto& l : h) out << l << "\r\n";
    }
    try {
        Categorize(*ts);
        FAIL() << "a 20-line file was catalogued";
    } catch (const ProgramEnd& e) {
        EXPECT_EQ(e.Message(), "The file:" + (rooms / "short.rgr").string() + " couldn't be opened. It's probably corrupt.");
    }
    EXPECT_FALSE(fs::exists(home.Path() / "errorlog.txt"));
}

TEST_F(CatalogueFixture, TwentyOneLinesWithoutAFinalLineEndAreEnough) {
    std::ofstream out(rooms / "tight.rgr", std::ios::binary);
    const auto h = Header("Tight", "3");
    for (std::size_t i = 0; i < h.size(); ++i) out << h[i] << (i + 1 < h.size() ? "\r\n" : "");
    out.close();
    Categorize(*ts);
    ASSERT_EQ(ts->RoomCatalogue.RoomCount(), 1);
    EXPECT_EQ(ts->RoomCatalogue.Row(1)[kColAuthor], "someone");
}

TEST_F(CatalogueFixture, MoreThan2000RoomFilesStopWithAMessage) {
    for (int i = 0; i < 2001; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "room%04d.rgr", i);
        WriteRoom(rooms / name, Header(name, "0"));
    }
    try {
        Categorize(*ts);
        FAIL() << "2001 rooms were catalogued";
    } catch (const ProgramEnd& e) {
        EXPECT_NE(e.Message().find("2001 room files"), std::string::npos) << e.Message();
        EXPECT_NE(e.Message().find("2000"), std::string::npos);
    }
    EXPECT_EQ(ts->RoomCatalogue.RoomCount(), 2000);
    // One fewer fits exactly.
    fs::remove(rooms / "room0000.rgr");
    Categorize(*ts);
    EXPECT_EQ(ts->RoomCatalogue.RoomCount(), 2000);
    EXPECT_EQ(ts->RoomCatalogue.Row(1).Name(), "room0001.rgr");
}

TEST(RoomTypeName, AsTheRoomManagerShowsIt) {
    EXPECT_EQ(RoomTypeName("0"), "1 (One way part)");
    EXPECT_EQ(RoomTypeName("6"), "7 (Game End)");
    EXPECT_EQ(RoomTypeName("29"), "(This room is blocked)");
    EXPECT_EQ(RoomTypeName("7"), "<unknown> (Not Supported)");
    EXPECT_EQ(RoomTypeName("x"), "<unknown> (Not Supported)");
}

// The test rooms follow the room standard: their open sides are those of their family's base
// orientation, with the connection points on the cell boundary; both copies are the same.
TEST(TestRooms, EveryFamilyIsThereWithDoorwaysWhereItsBaseIsOpen) {
    const fs::path source = fs::path(TESSELLON_SOURCE_DIR);
    const auto names = ListRoomFiles(source / "tests/data/rooms");
    ASSERT_EQ(names, ListRoomFiles(source / "data/rooms"));
    const std::array<std::array<bool, 5>, 7> base = {{{false, true, false, true, false},
                                                       {false, true, true, false, false},
                                                       {false, true, true, false, true},
                                                       {false, true, true, true, true},
                                                       {false, true, false, false, false},
                                                       {false, true, false, false, false},
                                                       {false, true, false, false, false}}};
    const std::string points[5][2] = {{}, {"0", "384"}, {"384", "0"}, {"0", "-384"}, {"-384", "0"}};
    std::array<int, 7> perFamily{};
    for (const auto& name : names) {
        const auto record = ReadRoomHeader(source / "tests/data/rooms" / name);
        ASSERT_TRUE(record) << name;
        const int type = record->WholeNumber(kColRoomType).value_or(-1);
        ASSERT_GE(type, 0);
        ASSERT_LE(type, 6);
        ++perFamily[static_cast<std::size_t>(type)];
        for (int side = 1; side <= 4; ++side) {
            const bool open = base[static_cast<std::size_t>(type)][static_cast<std::size_t>(side)];
            EXPECT_EQ(record->Side(side, kSideX), open ? points[side][0] : "0") << name << " side " << side;
            EXPECT_EQ(record->Side(side, kSideY), open ? points[side][1] : "0") << name << " side " << side;
            EXPECT_EQ(record->Side(side, kSideKind), "0");
        }
        std::ifstream a(source / "tests/data/rooms" / name, std::ios::binary), b(source / "data/rooms" / name, std::ios::binary);
        const std::string ta((std::istreambuf_iterator<char>(a)), {}), tb((std::istreambuf_iterator<char>(b)), {});
        EXPECT_EQ(ta, tb) << name;
        EXPECT_NE(ta.find("\r\n/\\/worldend\\/\\\r\n"), std::string::npos) << name;
        EXPECT_NE(ta.find("\r\n/\\/EOF\\/\\\r\n"), std::string::npos) << name;
        EXPECT_EQ(ta.find('"'), std::string::npos) << name;
        if (type == 5) {
            EXPECT_NE(ta.find("\r\ninfo_player_start\r\n"), std::string::npos) << name;
        }
    }
    for (int f = 0; f < 7; ++f) EXPECT_GE(perFamily[static_cast<std::size_t>(f)], 1) << "family " << f;
}

}  // namespace
}  // namespace tessellon
