#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>

#include "build/errors.h"
#include "maze/directions.h"
#include "maze/maze_line.h"
#include "maze/maze_picture.h"
#include "maze/room_links.h"
#include "maze_test_support.h"

namespace tessellon {
namespace {

using testing_support::ScratchFolder;
using testing_support::SteppingClock;
using testing_support::TestSession;

// ---------------------------------------------------------------------------------------
// Codes as data

// The open sides of each family before it is turned.
std::array<bool, 5> BaseOpenings(CodeGroup g) {
    switch (g) {
    case CodeGroup::OneWay: return {false, true, false, true, false};
    case CodeGroup::Turn: return {false, true, true, false, false};
    case CodeGroup::ThreeWay: return {false, true, true, false, true};
    case CodeGroup::Cross: return {false, true, true, true, true};
    default: return {false, true, false, false, false};
    }
}

TEST(ConnectionCodes, EveryCodeIsItsFamilyBaseTurnedByItsRotation) {
    for (const auto& c : ConnectionCodes()) {
        const auto base = BaseOpenings(c.group);
        const int rotation = c.rotation < 0 ? 0 : c.rotation;
        std::array<bool, 5> turned{};
        for (int side = 1; side <= 4; ++side) turned[static_cast<std::size_t>(TurnSide(side, rotation))] = base[static_cast<std::size_t>(side)];
        EXPECT_EQ(turned, c.open) << "code " << c.code;
    }
}

TEST(ConnectionCodes, GlyphShowsTheOpenSidesAndFamiliesMatchRoomTypes) {
    // Glyph points of the sides: north is the top middle, then east, south, west.
    const int sidePoint[5] = {0, 1, 5, 7, 3};
    for (const auto& c : ConnectionCodes()) {
        ASSERT_EQ(c.glyph.size(), 9u);
        for (int side = 1; side <= 4; ++side)
            EXPECT_EQ(c.glyph[static_cast<std::size_t>(sidePoint[side])] == '1', c.open[static_cast<std::size_t>(side)])
                << "code " << c.code << " side " << side;
    }
    EXPECT_EQ(FindCode("05")->family, 2);
    EXPECT_EQ(FindCode("09")->family, 1);
    EXPECT_EQ(FindCode("14")->family, 4);
    EXPECT_EQ(FindCode("23")->family, -1);
    EXPECT_EQ(FindCode("31"), nullptr);
    EXPECT_EQ(FindCode("5"), nullptr);
}

TEST(ConnectionCodes, TurnsAndBranchesFollowTheOpenSides) {
    EXPECT_EQ(DirectionAfter(*FindCode("06"), 3), 2);
    EXPECT_EQ(DirectionAfter(*FindCode("06"), 4), 1);
    EXPECT_EQ(DirectionAfter(*FindCode("09"), 2), 1);
    EXPECT_EQ(DirectionAfter(*FindCode("06"), 1), 1);  // entered through a closed side: unchanged
    EXPECT_EQ(DirectionAfter(*FindCode("00"), 1), 1);
    int n = 0;
    auto dirs = BranchDirections(*FindCode("10"), 2, n);
    ASSERT_EQ(n, 3);
    EXPECT_EQ((std::array<int, 3>{1, 2, 3}), dirs);
    dirs = BranchDirections(*FindCode("03"), 1, n);
    ASSERT_EQ(n, 2);
    EXPECT_EQ(dirs[0], 2);
    EXPECT_EQ(dirs[1], 4);
    BranchDirections(*FindCode("05"), 1, n);  // closed to the south
    EXPECT_EQ(n, 0);
}

// ---------------------------------------------------------------------------------------
// Turning per-side values and catalogue rows

TEST(RotateValues, QuarterTurnsCarrySideToSidePlusR) {
    auto turned = [](int r) {
        std::array<char, 4> v{'n', 'e', 's', 'w'};
        RotateValues(v[0], v[1], v[2], v[3], r);
        return std::string(v.begin(), v.end());
    };
    EXPECT_EQ(turned(1), "wnes");
    EXPECT_EQ(turned(2), "swne");
    EXPECT_EQ(turned(3), "eswn");
    EXPECT_EQ(turned(5), "wnes");
    EXPECT_EQ(turned(4), "nesw");
    EXPECT_EQ(turned(8), "nesw");
    EXPECT_EQ(turned(-1), "nesw");
}

RoomRecord DoorwayRoom() {
    RoomRecord r;
    // North and east doorways with distinct heights and kinds, south and west closed.
    const char* cells[] = {"Corner", "0", "1", "0", "384", "16", "2", "384", "0", "32", "3",
                           "0", "0", "0", "0", "0", "0", "0", "0"};
    for (int c = 0; c < 19; ++c) r[c] = cells[c];
    r[kColFilePath] = "rooms/corner.rgr";
    return r;
}

TEST(RotateConnections, WholeSideRecordsMoveAndPointsTurnAboutTheOrigin) {
    ScratchFolder home("rotate");
    TestSession ts(home.Path());
    RoomRecord r = DoorwayRoom();
    RotateConnections(*ts, r, 1);
    // The north doorway is now the east one, its height and kind with it.
    EXPECT_EQ(r.Side(kEast, kSideX), "384");
    EXPECT_EQ(r.Side(kEast, kSideY), "0");
    EXPECT_EQ(r.Side(kEast, kSideZ), "16");
    EXPECT_EQ(r.Side(kEast, kSideKind), "2");
    // The east doorway is now the south one.
    EXPECT_EQ(r.Side(kSouth, kSideX), "0");
    EXPECT_EQ(r.Side(kSouth, kSideY), "-384");
    EXPECT_EQ(r.Side(kSouth, kSideZ), "32");
    EXPECT_EQ(r.Side(kSouth, kSideKind), "3");
    EXPECT_EQ(r.Side(kNorth, kSideY), "0");
    EXPECT_EQ(r.Side(kWest, kSideKind), "0");

    RotateConnections(*ts, r, 3);
    EXPECT_EQ(r, DoorwayRoom());
}

TEST(RotateConnections, KeepsFileFormWhateverTheSystemDecimalSymbol) {
    ScratchFolder home("rotate-comma");
    TestSession ts(home.Path());
    ts->DecimalSymbol = ",";
    RoomRecord r = DoorwayRoom();
    r.Side(kNorth, kSideX) = "12.5";
    r.Side(kNorth, kSideY) = "-7.25";
    RotateConnections(*ts, r, 1);
    EXPECT_EQ(r.Side(kEast, kSideX), "-7.25");
    EXPECT_EQ(r.Side(kEast, kSideY), "-12.5");
    RotateConnections(*ts, r, 2);
    EXPECT_EQ(r.Side(kWest, kSideX), "7.25");
    EXPECT_EQ(r.Side(kWest, kSideY), "12.5");
    RotateConnections(*ts, r, 1);
    EXPECT_EQ(r.Side(kNorth, kSideX), "12.5");
    EXPECT_EQ(r.Side(kNorth, kSideY), "-7.25");
}

TEST(RotateConnections, ANonNumberStopsTheBuildNamingIt) {
    ScratchFolder home("rotate-bad");
    TestSession ts(home.Path());
    RoomRecord r = DoorwayRoom();
    r.Side(kNorth, kSideX) = "abc";
    EXPECT_THROW(RotateConnections(*ts, r, 1), NumberFormatError);
}

// ---------------------------------------------------------------------------------------
// Reading a RoomLine into DirList

std::vector<std::pair<int, int>> Rows(Session& s, int count) {
    std::vector<std::pair<int, int>> rows;
    for (int k = 1; k <= count; ++k) rows.emplace_back(s.DirList.From(k), s.DirList.Dir(k));
    return rows;
}

TEST(MapDirection, NumbersRoomsDepthFirstWithBranchesInDirectionOrder) {
    ScratchFolder home("mapdir");
    TestSession ts(home.Path());
    int d = 0, counter = 0;
    EXPECT_EQ(MapDirection(*ts, "31719", d, 0, counter), "");
    EXPECT_EQ(counter, 2);
    EXPECT_EQ(Rows(*ts, 2), (std::vector<std::pair<int, int>>{{0, 3}, {1, 3}}));

    ts->DirList.Clear();
    d = 0, counter = 0;
    EXPECT_EQ(MapDirection(*ts, "21610131411", d, 0, counter), "");
    EXPECT_EQ(Rows(*ts, 5), (std::vector<std::pair<int, int>>{{0, 2}, {1, 2}, {2, 1}, {2, 2}, {2, 3}}));

    // A T-junction entered moving north: the east branch (two rooms) is read before the west.
    ts->DirList.Clear();
    d = 0, counter = 0;
    EXPECT_EQ(MapDirection(*ts, "115030114" "0112", d, 0, counter), "");
    EXPECT_EQ(counter, 6);
    EXPECT_EQ(Rows(*ts, 6),
              (std::vector<std::pair<int, int>>{{0, 1}, {1, 1}, {2, 2}, {3, 2}, {2, 4}, {5, 4}}));
}

TEST(MapDirection, TurnsFollowTheLineAndTheRestIsReturned) {
    ScratchFolder home("mapdir-turn");
    TestSession ts(home.Path());
    int d = 0, counter = 0;
    // Leaves north, turns east at "07", south at "08", ends; text after the end is returned.
    EXPECT_EQ(MapDirection(*ts, "1150708111234", d, 0, counter), "1234");
    EXPECT_EQ(Rows(*ts, 4), (std::vector<std::pair<int, int>>{{0, 1}, {1, 1}, {2, 2}, {3, 3}}));
    EXPECT_EQ(d, 3);
}

TEST(MapDirection, BadCodesEndTheProgramWithTheirFatalErrors) {
    ScratchFolder home("mapdir-bad");
    TestSession ts(home.Path());
    int d = 0, counter = 0;
    try {
        MapDirection(*ts, "00", d, 0, counter);
        FAIL() << "no start direction";
    } catch (const ProgramEnd& e) {
        EXPECT_EQ(e.Message(), "Incorrect returner to <give direction> (Could not decide init direction for this piece)");
    }
    d = 0, counter = 0;
    try {
        MapDirection(*ts, "11599", d, 0, counter);
        FAIL() << "bad code";
    } catch (const ProgramEnd& e) {
        EXPECT_EQ(e.Message(), "Incorrect returner to <give direction>");
    }
    std::ifstream log(home.Path() / "errorlog.txt");
    std::string line;
    std::getline(log, line);
    EXPECT_EQ(line, "Give direction falut, got returner witch had incorrect value (99)\r");
}

// ---------------------------------------------------------------------------------------
// The grid test

TEST(MazeGrid, BadPosBoundsAndTextForm) {
    EXPECT_FALSE(BadPos(16384, -16384, 0));
    EXPECT_TRUE(BadPos(16384.5, 0, 0));
    EXPECT_TRUE(BadPos(0, 0, -16385));
    ScratchFolder home("badpos");
    TestSession ts(home.Path());
    ts->DecimalSymbol = ",";
    EXPECT_FALSE(BadPos(*ts, "16383.5", "0", "0"));
    EXPECT_TRUE(BadPos(*ts, "0", "-16384.25", "0"));
}

TEST(MazeGrid, OverlapsReturnsToStartAndFarBranchesFailTheAttempt) {
    ScratchFolder home("surf");
    TestSession ts(home.Path());
    auto test = [&](const std::string& codes, int direction) {
        ResetSurf(*ts);
        ts->Surf.cells[MazeGrid::Index(0, 0)] = 1;
        TestSurfDraw(*ts, 0, 0, codes, direction);
        return ts->Surf.overlapCount;
    };
    // North, east, south, west: back onto the start room's cell.
    EXPECT_EQ(test("07080912", 1), 1);
    EXPECT_EQ(test("070807" "13", 1), 0);
    // A straight far past the grid's edge fails instead of writing outside it.
    std::string longLine;
    for (int i = 0; i < 150; ++i) longLine += "00";
    EXPECT_EQ(test(longLine + "11", 1), 99);
    // A junction six cells out starts its branches beyond the world bounds.
    EXPECT_EQ(test("0101010101" "03" "1112", 2), 99);
    // Five cells out is still inside.
    EXPECT_EQ(test("01010101" "03" "1113", 2), 0);
}

TEST(MazeGrid, AJunctionEnteredThroughItsClosedSideIsAnInternalError) {
    ScratchFolder home("surf-closed");
    TestSession ts(home.Path());
    ResetSurf(*ts);
    EXPECT_THROW(TestSurfDraw(*ts, 0, 0, "051112", 1), BuildFailure);
}

// ---------------------------------------------------------------------------------------
// Whole lines: an independent reader of the grammar

struct Walk {
    bool ok = true;
    std::string why;
    int rooms = 0;
    std::map<std::string, int> endsByGroup;  // "alley", "game end", "level end"
    std::set<std::pair<int, int>> cells;
};

// Reads one line from (x, y) moving in d, checking that each room is open toward the room it
// is entered from, and returns the position after it.
std::size_t ReadLine(const std::string& text, std::size_t pos, int x, int y, int d, Walk& w) {
    while (w.ok) {
        if (pos + 2 > text.size()) {
            w.ok = false;
            w.why = "a branch without an end code";
            return pos;
        }
        const ConnectionCode* c = FindCode(text.substr(pos, 2));
        pos += 2;
        x += StepX(d);
        y += StepY(d);
        ++w.rooms;
        if (!c) {
            w.ok = false;
            w.why = "unknown code";
            return pos;
        }
        if (!w.cells.insert({x, y}).second) {
            w.ok = false;
            w.why = "two rooms on one cell";
            return pos;
        }
        const int entry = Opposite(d);
        if (!c->open[static_cast<std::size_t>(entry)]) {
            w.ok = false;
            w.why = std::string("code ") + std::string(c->code) + " is closed toward the room before it";
            return pos;
        }
        std::vector<int> exits;
        for (int side = 1; side <= 4; ++side)
            if (side != entry && c->open[static_cast<std::size_t>(side)]) exits.push_back(side);
        if (exits.empty()) {
            const char* group = c->group == CodeGroup::Alley ? "alley" : c->group == CodeGroup::GameEnd ? "game end" : "level end";
            if (c->group == CodeGroup::GameStart || c->group == CodeGroup::LevelStart) {
                w.ok = false;
                w.why = "a start code inside the line";
            }
            ++w.endsByGroup[group];
            return pos;
        }
        if (exits.size() == 1) {
            d = exits[0];
            continue;
        }
        for (int branch : exits) pos = ReadLine(text, pos, x, y, branch, w);
        return pos;
    }
    return pos;
}

// Checks a RoomLine as GetGoodLine returns it.
Walk CheckRoomLine(const std::string& line, int length, int startWith, int endWith, int direction) {
    Walk w;
    auto fail = [&](const std::string& why) {
        w.ok = false;
        w.why = why;
        return w;
    };
    if (static_cast<int>(line.size()) != 2 * length + 3) return fail("wrong length");
    if (line[0] - '0' != direction) return fail("wrong direction digit");
    if (line.substr(1, 2) != GetStartRoom(startWith, direction)) return fail("wrong start room");
    w.cells.insert({0, 0});
    const std::size_t end = ReadLine(line, 3, 0, 0, direction, w);
    if (!w.ok) return w;
    if (end != line.size()) return fail("text left after the line");
    const int mainEnds = endWith == 1 ? w.endsByGroup["game end"] : endWith == 2 ? w.endsByGroup["level end"] : 0;
    const int otherEnds = (endWith == 1 ? w.endsByGroup["level end"] : w.endsByGroup["game end"]) +
                          (endWith == 0 ? w.endsByGroup["level end"] : 0);
    if (endWith != 0 && mainEnds != 1) return fail("the main line does not end in its end family");
    if (otherEnds != 0) return fail("a branch ends in a room of the wrong family");
    return w;
}

TEST(MazeLine, OneRoomLines) {
    ScratchFolder home("line-one");
    TestSession ts(home.Path());
    EXPECT_EQ(GetGoodLine(*ts, 1, 0, 1, 3), "31719");
    EXPECT_EQ(GetGoodLine(*ts, 1, 1, 2, 2), "22826");
    EXPECT_EQ(GetGoodLine(*ts, 1, 0, 0, 4), "41812");
}

TEST(MazeLine, ManyRandomLinesObeyTheGrammar) {
    ScratchFolder home("line-many");
    for (int seed = 1; seed <= 60; ++seed) {
        TestSession ts(home.Path(), std::to_string(seed));
        const int length = 1 + (seed * 7) % 50;
        const int startWith = seed % 2, endWith = seed % 3, direction = 1 + seed % 4;
        const std::string line = GetGoodLine(*ts, length, startWith, endWith, direction);
        const Walk w = CheckRoomLine(line, length, startWith, endWith, direction);
        EXPECT_TRUE(w.ok) << w.why << " in " << line << " (seed " << seed << ")";
        EXPECT_EQ(w.rooms, length);
        EXPECT_EQ(ts->Surf.overlapCount, 0);
    }
}

TEST(MazeLine, SameSeedAndClockGiveTheSameLine) {
    ScratchFolder home("line-repeat");
    TestSession a(home.Path(), "42"), b(home.Path(), "42"), c(home.Path(), "43");
    const std::string la = GetGoodLine(*a, 30, 0, 1, 2);
    EXPECT_EQ(la, GetGoodLine(*b, 30, 0, 1, 2));
    EXPECT_NE(la, GetGoodLine(*c, 30, 0, 1, 2));
}

TEST(MazeLine, JunctionsShowUpAndEveryBranchEndsInAnAlley) {
    ScratchFolder home("line-junctions");
    int threeWays = 0, crosses = 0, turns = 0;
    for (int seed = 1; seed <= 40; ++seed) {
        TestSession ts(home.Path(), std::to_string(seed * 13));
        const std::string line = GetGoodLine(*ts, 40, 0, 1, 1);
        for (std::size_t p = 3; p + 2 <= line.size(); p += 2) {
            const auto* c = FindCode(line.substr(p, 2));
            threeWays += c->group == CodeGroup::ThreeWay;
            crosses += c->group == CodeGroup::Cross;
            turns += c->group == CodeGroup::Turn;
        }
        const Walk w = CheckRoomLine(line, 40, 0, 1, 1);
        EXPECT_TRUE(w.ok) << w.why << " in " << line;
    }
    EXPECT_GT(threeWays, 0);
    EXPECT_GT(crosses, 0);
    EXPECT_GT(turns, 0);
}

// ---------------------------------------------------------------------------------------
// The developer drawing and batch

std::uint32_t Le32(const std::string& bytes, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return v;
}

TEST(MazePicture, APassedLineIsDrawnWithItsGlyphsAndColours) {
    ScratchFolder home("picture");
    TestSession ts(home.Path());
    ts->Surf.preview = true;
    ASSERT_EQ(GetGoodLine(*ts, 1, 0, 1, 2), "21622");
    const MazePicture& p = ts->Surf.picture;
    // Start room one cell east of the middle, open east; end room one further, open west.
    EXPECT_EQ(p.At(3 * 1 + 221 + 2, 212 + 1), (Rgb{0, 255, 0}));
    EXPECT_EQ(p.At(3 * 1 + 221 + 1, 212 + 1), MazePicture::kBackground);
    EXPECT_EQ(p.At(3 * 2 + 221 + 0, 212 + 1), (Rgb{255, 0, 255}));
    EXPECT_EQ(p.At(3 * 2 + 221 + 2, 212 + 1), MazePicture::kBackground);
    // The test walk's drawing (one cell nearer) was cleared before the passed line was drawn.
    EXPECT_EQ(p.At(221 + 2, 212 + 1), MazePicture::kBackground);

    const auto file = home.Path() / "one.bmp";
    ASSERT_TRUE(p.SaveBmp(file));
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), 54u + 444u * 3u * 426u);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(Le32(bytes, 18), 444u);
    EXPECT_EQ(Le32(bytes, 22), 426u);
    // Bottom-up rows, blue green red: the start room's point.
    const std::size_t at = 54 + static_cast<std::size_t>(426 - 1 - 213) * 444 * 3 + 226 * 3;
    EXPECT_EQ(static_cast<unsigned char>(bytes[at]), 0);
    EXPECT_EQ(static_cast<unsigned char>(bytes[at + 1]), 255);
    EXPECT_EQ(static_cast<unsigned char>(bytes[at + 2]), 0);
}

TEST(MazePicture, CodeColours) {
    EXPECT_EQ(CodeColor("10"), (Rgb{0, 0, 0}));
    EXPECT_EQ(CodeColor("11"), (Rgb{255, 0, 0}));
    EXPECT_EQ(CodeColor("18"), (Rgb{0, 255, 0}));
    EXPECT_EQ(CodeColor("19"), (Rgb{255, 0, 255}));
    EXPECT_EQ(CodeColor("26"), (Rgb{0, 0, 255}));
    EXPECT_EQ(CodeColor("27"), (Rgb{255, 255, 0}));
}

TEST(MazeBatch, HundredLinesSavedAndAllObeyTheGrammar) {
    ScratchFolder home("batch");
    // Long lines pass rarely; a clock that moves keeps the retries from circling through the
    // same few candidates, as the real clock does.
    SteppingClock clock;
    testing_support::NoRegistry registry;
    testing_support::RecordingUi ui;
    Session s(ui, clock, registry, home.Path());
    Make100Maps(s);
    auto& ts = s;
    EXPECT_EQ(ui.boxes.back(), "Tessellon: Klar!");
    (void)ts;
    std::set<std::string> distinct;
    for (int n = 1; n <= 100; ++n) {
        const auto stem = home.Path() / "Maps" / ("Map" + std::to_string(n));
        ASSERT_TRUE(std::filesystem::exists(stem.string() + ".bmp")) << n;
        EXPECT_EQ(std::filesystem::file_size(stem.string() + ".bmp"), 54u + 444u * 3u * 426u);
        std::ifstream txt(stem.string() + ".txt", std::ios::binary);
        std::string line;
        std::getline(txt, line);
        ASSERT_FALSE(line.empty());
        ASSERT_EQ(line.back(), '\r');
        line.pop_back();
        distinct.insert(line);
        // The batch's lengths run 1..50; the line's own shape tells which were drawn.
        const int length = static_cast<int>(line.size() - 3) / 2;
        const int direction = line[0] - '0';
        const int startWith = line.substr(1, 2) >= "27" ? 1 : 0;
        int endWith = 0;
        for (std::size_t p = 3; p + 2 <= line.size(); p += 2) {
            const auto* c = FindCode(line.substr(p, 2));
            ASSERT_NE(c, nullptr) << line;
            if (c->group == CodeGroup::GameEnd) endWith = 1;
            if (c->group == CodeGroup::LevelEnd) endWith = 2;
        }
        EXPECT_GE(length, 1);
        EXPECT_LE(length, 50);
        const Walk w = CheckRoomLine(line, length, startWith, endWith, direction);
        EXPECT_TRUE(w.ok) << w.why << " in Map" << n << ": " << line;
    }
    EXPECT_GT(distinct.size(), 90u);
}

}  // namespace
}  // namespace tessellon
