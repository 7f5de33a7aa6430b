#include <gtest/gtest.h>

#include <map>
#include <set>

#include "driver/build_driver.h"
#include "session/errors.h"
#include "driver/room_choice.h"
#include "maze/directions.h"
#include "maze/maze_line.h"
#include "maze/maze_picture.h"
#include "maze/room_links.h"
#include "rooms/catalogue.h"
#include "test_support.h"

namespace tessellon {
namespace {

using namespace testing;
using Openings = std::array<bool, 5>;

std::string FirstLine(const fs::path& p) {
    const std::string text = ReadFile(p);
    return text.substr(0, text.find("\r\n"));
}

// ---- codes and turning --------------------------------------------------------------------

TEST(ConnectionCodes, EachCodeIsItsFamilyBaseTurnedAndDrawnThatWay) {
    const std::map<CodeGroup, Openings> base = {{CodeGroup::OneWay, {0, 1, 0, 1, 0}},
                                                {CodeGroup::Turn, {0, 1, 1, 0, 0}},
                                                {CodeGroup::ThreeWay, {0, 1, 1, 0, 1}},
                                                {CodeGroup::Cross, {0, 1, 1, 1, 1}}};
    const int glyphPoint[5] = {0, 1, 5, 7, 3};  // north, east, south, west in the 3 x 3 glyph
    for (const auto& c : ConnectionCodes()) {
        const auto it = base.find(c.group);
        const Openings from = it == base.end() ? Openings{0, 1, 0, 0, 0} : it->second;
        Openings turned{};
        for (int side = 1; side <= 4; ++side) {
            turned[static_cast<std::size_t>(TurnSide(side, std::max(c.rotation, 0)))] =
                from[static_cast<std::size_t>(side)];
            EXPECT_EQ(c.glyph[static_cast<std::size_t>(glyphPoint[side])] == '1',
                      c.open[static_cast<std::size_t>(side)])
                << c.code;
        }
        EXPECT_EQ(turned, c.open) << c.code;
    }
    EXPECT_EQ(FindCode("31"), nullptr);
}

TEST(RotateConnections, ValuesAndWholeSideRecordsMoveOnAndPointsTurnAboutTheOrigin) {
    TestSession ts;
    RoomRecord corner;
    const char* cells[] = {"Corner", "0", "1", "0", "384", "16", "2", "384", "0", "32",
                           "3",      "0", "0", "0", "0",   "0",  "0", "0",   "0"};
    for (int c = 0; c < 19; ++c) corner[c] = cells[c];
    RoomRecord r = corner;
    RotateConnections(ts.s, r, 1);
    auto side = [&](int d) {
        return r.Side(d, kSideX) + " " + r.Side(d, kSideY) + " " + r.Side(d, kSideZ) + " " + r.Side(d, kSideKind);
    };
    // North doorway (height 16, kind 2) is now the east one, east (32, 3) the south one.
    EXPECT_EQ(side(kEast), "384 0 16 2");
    EXPECT_EQ(side(kSouth), "0 -384 32 3");
    RotateConnections(ts.s, r, 3);
    EXPECT_EQ(r, corner);
    // Numbers stay in file form with a comma as the system's decimal symbol.
    ts.s.DecimalSymbol = ",";
    r.Side(kNorth, kSideX) = "12.5";
    r.Side(kNorth, kSideY) = "-7.25";
    RotateConnections(ts.s, r, 1);
    EXPECT_EQ(side(kEast), "-7.25 -12.5 16 2");
    r.Side(kNorth, kSideX) = "abc";
    EXPECT_THROW(RotateConnections(ts.s, r, 1), NumberFormatError);
}

// ---- reading a line -----------------------------------------------------------------------

TEST(MapDirection, NumbersRoomsDepthFirstWithBranchesInDirectionOrder) {
    TestSession ts({}, "7");
    struct Case {
        const char* line;
        std::vector<std::pair<int, int>> rows;  // from, direction of rooms 1..
        const char* rest;
    };
    const Case cases[] = {{"31719", {{0, 3}, {1, 3}}, ""},
                          {"21610131411", {{0, 2}, {1, 2}, {2, 1}, {2, 2}, {2, 3}}, ""},
                          // A T-junction entered moving north: the east branch (a straight, an alley) comes first.
                          {"1150301140112", {{0, 1}, {1, 1}, {2, 2}, {3, 2}, {2, 4}, {5, 4}}, ""},
                          // Turns east at "07", south at "08"; the text after the end code comes back.
                          {"1150708111234", {{0, 1}, {1, 1}, {2, 2}, {3, 3}}, "1234"}};
    for (const auto& c : cases) {
        int d = 0, counter = 0;
        EXPECT_EQ(MapDirection(ts.s, c.line, d, 0, counter), c.rest);
        std::vector<std::pair<int, int>> rows;
        for (int k = 1; k <= static_cast<int>(c.rows.size()); ++k)
            rows.emplace_back(ts.s.DirList.From(k), ts.s.DirList.Dir(k));
        EXPECT_EQ(rows, c.rows) << c.line;
    }
    int d = 0, counter = 0;
    EXPECT_THROW(MapDirection(ts.s, "00", d, 0, counter), ProgramEnd);  // no start direction
    d = 0, counter = 0;
    EXPECT_EQ(FailureOf([&] { MapDirection(ts.s, "11599", d, 0, counter); }), "Incorrect returner to <give direction>");
    EXPECT_EQ(FirstLine(ts.dir.path() / "errorlog.txt"),
              "Give direction falut, got returner witch had incorrect value (99)");
}

TEST(MazeGrid, OverlapsLeavingTheGridAndFarBranchesFailTheAttempt) {
    TestSession ts;
    auto overlaps = [&](const std::string& codes, int direction) {
        ResetSurf(ts.s);
        ts.s.Surf.cells[MazeGrid::Index(0, 0)] = 1;
        TestSurfDraw(ts.s, 0, 0, codes, direction);
        return ts.s.Surf.overlapCount;
    };
    EXPECT_EQ(overlaps("07080912", 1), 1);  // north, east, south, west: back on the start cell
    EXPECT_EQ(overlaps("07080713", 1), 0);
    EXPECT_EQ(overlaps(std::string(300, '0') + "11", 1), 99);  // 150 rooms north, off the grid
    EXPECT_EQ(overlaps("0101010101"
                       "03"
                       "1112",
                       2),
              99);  // a junction six cells out
    EXPECT_EQ(overlaps("01010101"
                       "03"
                       "1113",
                       2),
              0);                                       // five cells out is inside
    EXPECT_THROW(overlaps("051112", 1), BuildFailure);  // entered through its closed side
    ts.s.DecimalSymbol = ",";
    EXPECT_FALSE(BadPos(ts.s, "16384", "-16383.5", "0"));
    EXPECT_TRUE(BadPos(ts.s, "0", "-16384.25", "0"));
}

// ---- whole lines, read by an independent walker that knows only each code's open sides --

struct Walk {
    std::string fault;
    int rooms = 0;
    std::map<CodeGroup, int> ends;
    std::set<std::pair<int, int>> cells{{0, 0}};
};

std::size_t ReadBranch(const std::string& text, std::size_t pos, int x, int y, int d, Walk& w) {
    while (w.fault.empty()) {
        const ConnectionCode* c = pos + 2 <= text.size() ? FindCode(text.substr(pos, 2)) : nullptr;
        if (!c) return w.fault = "a branch without an end code", pos;
        pos += 2;
        x += StepX(d);
        y += StepY(d);
        ++w.rooms;
        if (!w.cells.insert({x, y}).second) return w.fault = "two rooms on one cell", pos;
        if (!c->open[static_cast<std::size_t>(Opposite(d))])
            return w.fault = std::string(c->code) + " turned away from its way in", pos;
        std::vector<int> exits;
        for (int side = 1; side <= 4; ++side)
            if (side != Opposite(d) && c->open[static_cast<std::size_t>(side)]) exits.push_back(side);
        if (exits.empty()) {
            if (!IsEndCode(*c)) w.fault = "a start code inside the line";
            ++w.ends[c->group];
            return pos;
        }
        if (exits.size() == 1) {
            d = exits[0];
            continue;
        }
        for (int branch : exits) pos = ReadBranch(text, pos, x, y, branch, w);
        return pos;
    }
    return pos;
}

// Checks a RoomLine as GetGoodLine returns it; an empty text means it obeys the grammar.
std::string LineFault(const std::string& line, int length, int startWith, int endWith, int direction) {
    if (static_cast<int>(line.size()) != 2 * length + 3) return "wrong length";
    if (line[0] - '0' != direction || line.substr(1, 2) != GetStartRoom(startWith, direction)) return "wrong start";
    Walk w;
    if (ReadBranch(line, 3, 0, 0, direction, w) != line.size() && w.fault.empty()) w.fault = "text after the line";
    if (!w.fault.empty()) return w.fault;
    if (w.ends[CodeGroup::GameEnd] != (endWith == 1) || w.ends[CodeGroup::LevelEnd] != (endWith == 2))
        return "the main line ends in the wrong family";
    return w.rooms == length ? "" : "wrong room count";
}

TEST(MazeLine, OneRoomLinesStartFacingTheirWay) {
    TestSession one({}, "7"), other({}, "7");
    EXPECT_EQ(GetGoodLine(one.s, 1, 0, 1, 3), "31719");
    EXPECT_EQ(GetGoodLine(other.s, 1, 1, 2, 2), "22826");
}

TEST(MazeCommand, PrintsTheLineAndOneRowPerRoomRepeatably) {
    TempDir home;
    const std::vector<std::string> args = {
        "maze",   "--length",          "12", "--seed", "3", "--direction", "2", "--clock", "2026-01-01 10:00:00",
        "--home", home.path().string()};
    const CliRun a = Cli(args);
    ASSERT_EQ(a.code, kExitOk) << a.err;
    EXPECT_EQ(LineFault(a.out.substr(0, a.out.find('\n')), 12, 0, 1, 2), "") << a.out;
    EXPECT_NE(a.out.find("\n1 0 2\n"), std::string::npos) << "room 1 entered from nothing, moving east";
    EXPECT_EQ(std::count(a.out.begin(), a.out.end(), '\n'), 14);  // the line, then rooms 1 to 13
    EXPECT_EQ(Cli(args).out, a.out);
}

TEST(MazePicture, APassedLineIsDrawnWithItsGlyphsAndColours) {
    TestSession ts({}, "7");
    ts.s.Surf.preview = true;
    ASSERT_EQ(GetGoodLine(ts.s, 1, 0, 1, 2), "21622");
    const MazePicture& p = ts.s.Surf.picture;
    // Start room one cell east of the middle, open east; the end room one further, open west.
    EXPECT_EQ(p.At(226, 213), (Rgb{0, 255, 0}));
    EXPECT_EQ(p.At(225, 213), MazePicture::kBackground);
    EXPECT_EQ(p.At(227, 213), (Rgb{255, 0, 255}));
    EXPECT_EQ(p.At(223, 213), MazePicture::kBackground);  // the test walk's drawing was cleared
    const auto file = ts.dir.path() / "one.bmp";
    ASSERT_TRUE(p.SaveBmp(file));
    const std::string bytes = ReadFile(file);
    // Rows bottom up, blue green red: the start room's green point.
    EXPECT_EQ(bytes.substr(54 + static_cast<std::size_t>(426 - 1 - 213) * 444 * 3 + 226 * 3, 3),
              std::string("\x00\xff\x00", 3));
}

TEST(MazeBatch, HundredSavedLinesAllObeyTheGrammar) {
    TempDir home;
    // Long lines pass rarely; a moving clock keeps the retries from circling through the same
    // few candidates, as the real clock does.
    SteppingClock clock;
    FakeRegistry registry;
    ScriptedUi ui;
    Session s(ui, clock, registry, home.path());
    Make100Maps(s);
    EXPECT_EQ(ui.boxes.back().text, "Klar!");
    std::set<std::string> distinct;
    std::map<CodeGroup, int> parts;
    for (int n = 1; n <= 100; ++n) {
        const auto stem = (home.path() / "Maps" / ("Map" + std::to_string(n))).string();
        EXPECT_EQ(fs::file_size(stem + ".bmp"), 54u + 444u * 3u * 426u);
        const std::string line = FirstLine(stem + ".txt");
        distinct.insert(line);
        // The line's shape tells the drawn length (1..50), start and end families.
        const int length = static_cast<int>(line.size() - 3) / 2;
        int end = 0;
        for (std::size_t p = 3; p + 2 <= line.size(); p += 2) {
            const auto g = FindCode(line.substr(p, 2))->group;
            ++parts[g];
            end = g == CodeGroup::GameEnd ? 1 : g == CodeGroup::LevelEnd ? 2 : end;
        }
        EXPECT_LE(length, 50);
        EXPECT_EQ(LineFault(line, length, line.substr(1, 2) >= "27", end, line[0] - '0'), "") << n << ": " << line;
    }
    EXPECT_GT(distinct.size(), 90u);
    for (auto g : {CodeGroup::OneWay, CodeGroup::Turn, CodeGroup::ThreeWay, CodeGroup::Cross, CodeGroup::Alley})
        EXPECT_GT(parts[g], 0) << "every part is used";
}

// ---- the room catalogue -------------------------------------------------------------------

// A room file with the given header lines and an empty body.
void WriteRoom(const fs::path& file, const std::string& name, const std::string& type) {
    std::string text;
    for (const std::string& l : {name, std::string("0"), type, std::string("0"), std::string("384")})
        text += l + "\r\n";
    for (int k = 5; k < 19; ++k) text += (k == 12 ? "-384" : "0") + std::string("\r\n");
    WriteFile(file, text + "about " + name + "\r\nsomeone\r\n/\\/worldend\\/\\\r\n/\\/EOF\\/\\\r\n");
}

TEST(Catalogue, HeadersLandInTheirColumnsListedByNameAndEmptyFilesAreDeleted) {
    TestSession ts;
    const fs::path rooms = ts.dir.path() / "rooms";
    fs::create_directories(rooms);
    Categorize(ts.s);
    EXPECT_EQ(ts.s.RoomCatalogue.RoomCount(), 0);
    WriteRoom(rooms / "beta.rgr", "Hall", "");  // an empty type line reads as 0
    WriteRoom(rooms / "Alpha.RGR", "Alpha", "1");
    WriteFile(rooms / "empty.rgr", "");
    WriteFile(rooms / "notes.txt", "not a room\n");
    Categorize(ts.s);
    ASSERT_EQ(ts.s.RoomCatalogue.RoomCount(), 2);
    const RoomRecord& hall = ts.s.RoomCatalogue.Row(2);
    EXPECT_EQ(ts.s.RoomCatalogue.Row(1).Name(), "Alpha");
    EXPECT_EQ((std::vector<std::string>{hall.Name(), hall[kColRoomType], hall.Side(kSouth, kSideY), hall[kColFilePath],
                                        hall[kColDescription], hall[kColAuthor]}),
              (std::vector<std::string>{"Hall", "0", "-384", (rooms / "beta.rgr").string(), "about Hall", "someone"}));
    EXPECT_FALSE(fs::exists(rooms / "empty.rgr"));
    EXPECT_TRUE(fs::exists(rooms / "notes.txt"));
    EXPECT_THROW(ts.s.RoomCatalogue.Row(3), std::out_of_range);
}

TEST(Catalogue, AShortFileOrMoreThan2000FilesEndTheProgramNamingTheProblem) {
    TestSession ts;
    const fs::path rooms = ts.dir.path() / "rooms";
    WriteRoom(rooms / "a.rgr", "A", "0");
    WriteFile(rooms / "short.rgr", "twenty\r\nlines\r\n");
    EXPECT_EQ(FailureOf([&] { Categorize(ts.s); }),
              "The file:" + (rooms / "short.rgr").string() + " couldn't be opened. It's probably corrupt.");
    EXPECT_FALSE(fs::exists(ts.dir.path() / "errorlog.txt"));
    fs::remove(rooms / "short.rgr");
    for (int i = 0; i < 2000; ++i)
        fs::copy_file(rooms / "a.rgr", rooms / ("room" + std::to_string(10000 + i) + ".rgr"));
    EXPECT_NE(FailureOf([&] { Categorize(ts.s); }).find("2001 room files, but at most 2000"), std::string::npos);
    fs::remove(rooms / "a.rgr");
    Categorize(ts.s);
    EXPECT_EQ(ts.s.RoomCatalogue.RoomCount(), 2000);
}

TEST(RoomsCommand, ListsTheCatalogueAndReportsABrokenFile) {
    TempDir home;
    InstallTestRooms(home.path());
    const CliRun r = Cli({"rooms", "--home", home.path().string()});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    const auto size = fs::file_size(home.path() / "rooms/start_room.rgr");
    EXPECT_NE(
        r.out.find("\nstart_room.rgr\tStart room\t6 (Game Start)\tGenre #0\t" + std::to_string(size) + " bytes\n"),
        std::string::npos)
        << r.out;
}

// The copy of the test rooms beside the program is the same.
// ---- choosing rooms -----------------------------------------------------------------------

RoomRecord Room(const std::string& genre, const std::string& type, const std::string& southKind = "0") {
    RoomRecord r;
    for (int c = 0; c < kCatalogueColumns; ++c) r[c] = "0";
    r[kColGenre] = genre;
    r[kColRoomType] = type;
    r.Side(kSouth, kSideKind) = southKind;
    return r;
}

TEST(RoomIndex, RoomsAreFoundUnderTheirSignatureOrTheKindOfOneSide) {
    Catalogue c;
    for (const auto& r : {Room("0", "0"), Room("0", "0", "2"), Room("1", "0"), Room("0", "29"), Room("0", "0")})
        c.Add(r);
    RoomIndex index;
    for (int i = 1; i <= c.RoomCount(); ++i) index.File(i, SignatureOf(c, i));
    const RoomSignature plain{1, 1, 0, 0, 0, 0}, kinded{1, 1, 0, 0, 2, 0};
    ASSERT_EQ(index.Count(plain), 2);
    EXPECT_EQ(index.At(plain, 2), 5);
    ASSERT_EQ(index.Count(kinded), 1);
    EXPECT_EQ(index.At(kinded, 1), 2);
    EXPECT_EQ(index.Count({2, 1, 0, 0, 0, 0}), 1);
    EXPECT_EQ(index.Count({1, 30, 0, 0, 0, 0}), 1);  // blocked rooms sit where no code looks
    // A lookup may leave the sides without a neighbour open and name only the one it meets.
    const int any = kAnyKind;
    EXPECT_EQ(index.Count({1, 1, any, any, 2, any}), 1);
    EXPECT_EQ(index.Count({1, 1, any, any, 0, any}), 2);
    EXPECT_EQ(index.Count({1, 1, 0, any, any, any}), 3);
    EXPECT_EQ(index.At({1, 1, 0, any, any, any}, 2), 2);  // in catalogue order
    // Values outside the tables stop the build.
    Catalogue bad;
    for (const auto& r : {Room("5", "0"), Room("0", "30"), Room("0", "0", "5"), Room("zero", "0")}) bad.Add(r);
    for (int i = 1; i <= bad.RoomCount(); ++i) EXPECT_THROW(SignatureOf(bad, i), BuildFailure) << i;
    RoomIndex full;
    for (int i = 1; i <= RoomIndex::kMaxPerGenreAndType; ++i) full.File(i, {1, 3, 0, 0, 0, 0});
    EXPECT_THROW(full.File(1001, {1, 3, 0, 1, 0, 0}), BuildFailure);
}

TEST(RoomFamily, TurnsFollowTheCodesAndFreeTurnsAreDrawn) {
    TempDir home;
    TestSession ts(home.path(), "7");
    std::set<int> straightNS, straightEW, cross;
    for (int seed = 1; seed <= 100; ++seed) {
        TestSession t(home.path(), std::to_string(seed));
        straightNS.insert(RoomFamilyFor(t.s, "00", "").rotations);
        straightEW.insert(RoomFamilyFor(t.s, "01", "").rotations);
        cross.insert(RoomFamilyFor(t.s, "10", "").rotations);
    }
    EXPECT_EQ(straightNS, (std::set<int>{0, 2}));
    EXPECT_EQ(straightEW, (std::set<int>{1, 3}));
    EXPECT_EQ(cross, (std::set<int>{0, 1, 2, 3}));
    EXPECT_EQ(FailureOf([&] { RoomFamilyFor(ts.s, "24", "2160124"); }),
              "A level end room was passed through even though it's not supported!");
    EXPECT_EQ(FirstLine(home.path() / "errorlog.txt"),
              "Level end room was passed? from 'getgoodline'! RoomLine: 2160124");
}

struct Plan : ::testing::Test {
    TempDir home;
    void SetUp() override { InstallTestRooms(home.path()); }
    LevelPlan PlanOnce(TestSession& ts, int length) {
        Categorize(ts.s);
        LevelPlan plan;
        EXPECT_TRUE(PlanLevel(ts.s, BuildRoomIndex(ts.s), 1, 1, length, plan));
        return plan;
    }
};

// The open sides of a catalogue row as placed: where its turned record has doorway points.
Openings PlacedOpenings(Session& s, int row, int turns) {
    static const std::string points[5][2] = {{}, {"0", "384"}, {"384", "0"}, {"0", "-384"}, {"-384", "0"}};
    RoomRecord r = s.RoomCatalogue.Row(row);
    RotateConnections(s, r, turns);
    Openings open{};
    for (int side = 1; side <= 4; ++side)
        open[static_cast<std::size_t>(side)] =
            r.Side(side, kSideX) == points[side][0] && r.Side(side, kSideY) == points[side][1];
    return open;
}

TEST_F(Plan, EveryRoomIsTurnedSoItsDoorwaysMeetItsNeighbours) {
    for (int seed = 1; seed <= 40; ++seed) {
        TestSession ts(home.path(), std::to_string(seed));
        const int length = 4 + seed % 30;
        const LevelPlan plan = PlanOnce(ts, length);
        ASSERT_EQ(plan.rooms.size(), static_cast<std::size_t>(length) + 2);
        for (int m = 1; m <= length + 1; ++m) {
            const PlannedRoom& room = plan.rooms[static_cast<std::size_t>(m)];
            const ConnectionCode* c = FindCode(plan.roomLine.substr(static_cast<std::size_t>(2 * m - 1), 2));
            EXPECT_EQ(ts.s.RoomCatalogue.Row(room.catalogueRow).WholeNumber(kColRoomType), c->family);
            const auto open = PlacedOpenings(ts.s, room.catalogueRow, room.turns);
            EXPECT_EQ(open, c->open) << "room " << m << " turned " << room.turns << " in " << plan.roomLine;
            if (m == 1) continue;
            ASSERT_LT(room.from, m);
            const PlannedRoom& parent = plan.rooms[static_cast<std::size_t>(room.from)];
            EXPECT_TRUE(
                PlacedOpenings(ts.s, parent.catalogueRow, parent.turns)[static_cast<std::size_t>(room.direction)]);
            EXPECT_TRUE(open[static_cast<std::size_t>(Opposite(room.direction))]);
        }
    }
}

TEST_F(Plan, RoomsWithOtherSideKindsAreNeverDrawnForPlainDoorways) {
    // A straight whose doorways both have kind 2, sorted first: it must never be drawn where
    // the neighbour's doorway is of kind 0, and no lookup may hand out row 0.
    std::string text = ReadFile(home.path() / "rooms/oneway_plain.rgr");
    auto setHeaderLine = [&](int number, const std::string& value) {
        std::size_t at = 0;
        for (int k = 1; k < number; ++k) at = text.find("\r\n", at) + 2;
        text.replace(at, text.find("\r\n", at) - at, value);
    };
    setHeaderLine(7, "2");   // the north kind
    setHeaderLine(15, "2");  // the south kind
    WriteFile(home.path() / "rooms/aaa_kinded.rgr", text);
    for (int seed = 1; seed <= 30; ++seed) {
        TestSession ts(home.path(), std::to_string(seed));
        const LevelPlan plan = PlanOnce(ts, 20);
        ASSERT_EQ(ts.s.RoomCatalogue.Row(1).Side(kSouth, kSideKind), "2");
        for (std::size_t m = 1; m < plan.rooms.size(); ++m) EXPECT_GT(plan.rooms[m].catalogueRow, 1) << plan.roomLine;
    }
    fs::remove(home.path() / "rooms/end_room.rgr");
    TestSession ts(home.path(), "7");
    EXPECT_EQ(FailureOf([&] { PlanOnce(ts, 5); }),
              "Could not find any rooms to match current room connection type! (6)");
}

// A new room file sorted first shifts every row by one: a build that kept the earlier
// build's index would hand out the wrong rows.
TEST_F(Plan, EachBuildFilesTheCatalogueAsItIsNow) {
    TestSession ts(home.path(), "11");
    ts.s.settings.MapSize = 35;
    Categorize(ts.s);
    ASSERT_EQ(RunCreateCommand(ts.s), CreateOutcome::Finished);
    fs::copy_file(home.path() / "rooms/cross_square.rgr", home.path() / "rooms/000_cross.rgr");
    Categorize(ts.s);
    ASSERT_EQ(RunCreateCommand(ts.s), CreateOutcome::Finished);
    const LevelPlan& plan = ts.s.Plans.at(1);
    for (std::size_t m = 1; m < plan.rooms.size(); ++m)
        EXPECT_EQ(ts.s.RoomCatalogue.Row(plan.rooms[m].catalogueRow).WholeNumber(kColRoomType),
                  FindCode(plan.roomLine.substr(2 * m - 1, 2))->family)
            << "room " << m;
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
