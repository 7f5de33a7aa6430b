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
using testing_support::TestSession;
using Openings = std::array<bool, 5>;

// ---------------------------------------------------------------------------------------
// Codes as data: each is its family's base turned by its rotation, and its glyph agrees.

TEST(ConnectionCodes, EachCodeIsItsFamilyBaseTurnedAndDrawnThatWay) {
    const std::map<CodeGroup, Openings> base = {
        {CodeGroup::OneWay, {0, 1, 0, 1, 0}}, {CodeGroup::Turn, {0, 1, 1, 0, 0}},
        {CodeGroup::ThreeWay, {0, 1, 1, 0, 1}}, {CodeGroup::Cross, {0, 1, 1, 1, 1}}};
    const int glyphPoint[5] = {0, 1, 5, 7, 3};  // north, east, south, west in the 3 x 3 glyph
    for (const auto& c : ConnectionCodes()) {
        const auto it = base.find(c.group);
        const Openings from = it == base.end() ? Openings{0, 1, 0, 0, 0} : it->second;
        Openings turned{};
        for (int side = 1; side <= 4; ++side)
            turned[static_cast<std::size_t>(TurnSide(side, c.rotation < 0 ? 0 : c.rotation))] = from[static_cast<std::size_t>(side)];
        EXPECT_EQ(turned, c.open) << c.code;
        for (int side = 1; side <= 4; ++side)
            EXPECT_EQ(c.glyph[static_cast<std::size_t>(glyphPoint[side])] == '1', c.open[static_cast<std::size_t>(side)]) << c.code;
    }
    EXPECT_EQ(FindCode("05")->family, 2);
    EXPECT_EQ(FindCode("09")->family, 1);
    EXPECT_EQ(FindCode("27")->family, -1);
    EXPECT_EQ(FindCode("31"), nullptr);
}

// ---------------------------------------------------------------------------------------
// Turning per-side values and catalogue rows

TEST(RotateValues, WhatWasOnSideSGoesToSidePlusR) {
    auto turned = [](int r) {
        std::array<char, 4> v{'n', 'e', 's', 'w'};
        RotateValues(v[0], v[1], v[2], v[3], r);
        return std::string(v.begin(), v.end());
    };
    EXPECT_EQ(turned(1), "wnes");
    EXPECT_EQ(turned(2), "swne");
    EXPECT_EQ(turned(3), "eswn");
    EXPECT_EQ(turned(5), "wnes");
    EXPECT_EQ(turned(8), "nesw");
    EXPECT_EQ(turned(-1), "nesw");
}

RoomRecord Corner() {
    RoomRecord r;
    const char* cells[] = {"Corner", "0", "1", "0", "384", "16", "2", "384", "0", "32", "3",
                           "0", "0", "0", "0", "0", "0", "0", "0"};
    for (int c = 0; c < 19; ++c) r[c] = cells[c];
    return r;
}

TEST(RotateConnections, WholeRecordsChangeSidesAndPointsTurnAboutTheOrigin) {
    ScratchFolder home("rotate");
    TestSession ts(home.Path());
    RoomRecord r = Corner();
    RotateConnections(*ts, r, 1);
    // North doorway (height 16, kind 2) is now the east one, east (32, 3) the south one.
    const std::array<std::string, 4> east{r.Side(kEast, kSideX), r.Side(kEast, kSideY), r.Side(kEast, kSideZ), r.Side(kEast, kSideKind)};
    const std::array<std::string, 4> south{r.Side(kSouth, kSideX), r.Side(kSouth, kSideY), r.Side(kSouth, kSideZ), r.Side(kSouth, kSideKind)};
    EXPECT_EQ(east, (std::array<std::string, 4>{"384", "0", "16", "2"}));
    EXPECT_EQ(south, (std::array<std::string, 4>{"0", "-384", "32", "3"}));
    RotateConnections(*ts, r, 3);
    EXPECT_EQ(r, Corner());

    // Numbers stay in file form with a comma as the system's decimal symbol.
    ts->DecimalSymbol = ",";
    r.Side(kNorth, kSideX) = "12.5";
    r.Side(kNorth, kSideY) = "-7.25";
    RotateConnections(*ts, r, 1);
    EXPECT_EQ(r.Side(kEast, kSideX), "-7.25");
    EXPECT_EQ(r.Side(kEast, kSideY), "-12.5");
    RotateConnections(*ts, r, 3);
    EXPECT_EQ(r.Side(kNorth, kSideX), "12.5");
    EXPECT_EQ(r.Side(kNorth, kSideY), "-7.25");
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
    EXPECT_EQ(Rows(*ts, 2), (std::vector<std::pair<int, int>>{{0, 3}, {1, 3}}));

    d = 0, counter = 0;
    EXPECT_EQ(MapDirection(*ts, "21610131411", d, 0, counter), "");
    EXPECT_EQ(Rows(*ts, 5), (std::vector<std::pair<int, int>>{{0, 2}, {1, 2}, {2, 1}, {2, 2}, {2, 3}}));

    // A T-junction entered moving north: the east branch (a straight, an alley) comes first.
    d = 0, counter = 0;
    EXPECT_EQ(MapDirection(*ts, "115030114" "0112", d, 0, counter), "");
    EXPECT_EQ(Rows(*ts, 6), (std::vector<std::pair<int, int>>{{0, 1}, {1, 1}, {2, 2}, {3, 2}, {2, 4}, {5, 4}}));

    // Turns: north, east at "07", south at "08"; the text after the end code comes back.
    d = 0, counter = 0;
    EXPECT_EQ(MapDirection(*ts, "1150708111234", d, 0, counter), "1234");
    EXPECT_EQ(Rows(*ts, 4), (std::vector<std::pair<int, int>>{{0, 1}, {1, 1}, {2, 2}, {3, 3}}));
    EXPECT_EQ(d, 3);
}

TEST(MapDirection, BadCodesEndTheProgramWithTheirFatalErrors) {
    ScratchFolder home("mapdir-bad");
    TestSession ts(home.Path());
    int d = 0, counter = 0;
    EXPECT_THROW(MapDirection(*ts, "00", d, 0, counter), ProgramEnd);  // no start direction
    d = 0, counter = 0;
    try {
        MapDirection(*ts, "11599", d, 0, counter);
        FAIL();
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

TEST(MazeGrid, OverlapsLeavingTheGridAndFarBranchesFailTheAttempt) {
    ScratchFolder home("surf");
    TestSession ts(home.Path());
    auto overlaps = [&](const std::string& codes, int direction) {
        ResetSurf(*ts);
        ts->Surf.cells[MazeGrid::Index(0, 0)] = 1;
        TestSurfDraw(*ts, 0, 0, codes, direction);
        return ts->Surf.overlapCount;
    };
    EXPECT_EQ(overlaps("07080912", 1), 1);  // north, east, south, west: back on the start cell
    EXPECT_EQ(overlaps("07080713", 1), 0);
    EXPECT_EQ(overlaps(std::string(300, '0') + "11", 1), 99);  // 150 rooms north, off the grid
    EXPECT_EQ(overlaps("0101010101" "03" "1112", 2), 99);      // a junction six cells out
    EXPECT_EQ(overlaps("01010101" "03" "1113", 2), 0);          // five cells out is inside
    EXPECT_THROW(overlaps("051112", 1), BuildFailure);          // entered through its closed side

    ts->DecimalSymbol = ",";
    EXPECT_FALSE(BadPos(*ts, "16384", "-16383.5", "0"));
    EXPECT_TRUE(BadPos(*ts, "0", "-16384.25", "0"));
}

// ---------------------------------------------------------------------------------------
// Whole lines, read by an independent walker that knows only each code's open sides

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
        if (!c->open[static_cast<std::size_t>(Opposite(d))]) return w.fault = std::string(c->code) + " turned away from its way in", pos;
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
    const int gameEnds = w.ends[CodeGroup::GameEnd], levelEnds = w.ends[CodeGroup::LevelEnd];
    if (gameEnds != (endWith == 1) || levelEnds != (endWith == 2)) return "the main line ends in the wrong family";
    return w.rooms == length ? "" : "wrong room count";
}

TEST(MazeLine, OneRoomLines) {
    ScratchFolder home("line-one");
    TestSession ts(home.Path());
    EXPECT_EQ(GetGoodLine(*ts, 1, 0, 1, 3), "31719");
    EXPECT_EQ(GetGoodLine(*ts, 1, 1, 2, 2), "22826");
    EXPECT_EQ(GetGoodLine(*ts, 1, 0, 0, 4), "41812");
}

TEST(MazeLine, RandomLinesObeyTheGrammarAndUseEveryPart) {
    ScratchFolder home("line-many");
    std::map<CodeGroup, int> parts;
    for (int seed = 1; seed <= 80; ++seed) {
        TestSession ts(home.Path(), std::to_string(seed * 13));
        const int length = 1 + (seed * 7) % 45, startWith = seed % 2, endWith = seed % 3, direction = 1 + seed % 4;
        const std::string line = GetGoodLine(*ts, length, startWith, endWith, direction);
        EXPECT_EQ(LineFault(line, length, startWith, endWith, direction), "") << line;
        for (std::size_t p = 3; p + 2 <= line.size(); p += 2) ++parts[FindCode(line.substr(p, 2))->group];
    }
    for (auto g : {CodeGroup::OneWay, CodeGroup::Turn, CodeGroup::ThreeWay, CodeGroup::Cross, CodeGroup::Alley})
        EXPECT_GT(parts[g], 0) << static_cast<int>(g);

    TestSession a(home.Path(), "42"), b(home.Path(), "42"), c(home.Path(), "43");
    const std::string la = GetGoodLine(*a, 30, 0, 1, 2);
    EXPECT_EQ(la, GetGoodLine(*b, 30, 0, 1, 2));
    EXPECT_NE(la, GetGoodLine(*c, 30, 0, 1, 2));
}

// ---------------------------------------------------------------------------------------
// The developer drawing and batch

TEST(MazePicture, APassedLineIsDrawnWithItsGlyphsAndColours) {
    ScratchFolder home("picture");
    TestSession ts(home.Path());
    ts->Surf.preview = true;
    ASSERT_EQ(GetGoodLine(*ts, 1, 0, 1, 2), "21622");
    const MazePicture& p = ts->Surf.picture;
    // Start room one cell east of the middle, open east; the end room one further, open west.
    EXPECT_EQ(p.At(226, 213), (Rgb{0, 255, 0}));
    EXPECT_EQ(p.At(225, 213), MazePicture::kBackground);
    EXPECT_EQ(p.At(227, 213), (Rgb{255, 0, 255}));
    EXPECT_EQ(p.At(223, 213), MazePicture::kBackground);  // the test walk's drawing was cleared

    const auto file = home.Path() / "one.bmp";
    ASSERT_TRUE(p.SaveBmp(file));
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    ASSERT_EQ(bytes.size(), 54u + 444u * 3u * 426u);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(static_cast<unsigned char>(bytes[18]) + 256 * static_cast<unsigned char>(bytes[19]), 444);
    EXPECT_EQ(static_cast<unsigned char>(bytes[22]) + 256 * static_cast<unsigned char>(bytes[23]), 426);
    // Rows bottom up, blue green red: the start room's green point.
    const std::size_t at = 54 + static_cast<std::size_t>(426 - 1 - 213) * 444 * 3 + 226 * 3;
    EXPECT_EQ(bytes.substr(at, 3), std::string("\x00\xff\x00", 3));
}

TEST(MazeBatch, HundredSavedLinesAllObeyTheGrammar) {
    ScratchFolder home("batch");
    // Long lines pass rarely; a moving clock keeps the retries from circling through the same
    // few candidates, as the real clock does.
    testing_support::SteppingClock clock;
    testing_support::NoRegistry registry;
    testing_support::RecordingUi ui;
    Session s(ui, clock, registry, home.Path());
    Make100Maps(s);
    EXPECT_EQ(ui.boxes.back(), "Tessellon: Klar!");
    std::set<std::string> distinct;
    for (int n = 1; n <= 100; ++n) {
        const auto stem = (home.Path() / "Maps" / ("Map" + std::to_string(n))).string();
        EXPECT_EQ(std::filesystem::file_size(stem + ".bmp"), 54u + 444u * 3u * 426u);
        std::ifstream txt(stem + ".txt", std::ios::binary);
        std::string line;
        std::getline(txt, line);
        ASSERT_TRUE(!line.empty() && line.back() == '\r') << n;
        line.pop_back();
        distinct.insert(line);
        // The line's shape tells the drawn length (1..50), start and end families.
        const int length = static_cast<int>(line.size() - 3) / 2;
        int end = 0;
        for (std::size_t p = 3; p + 2 <= line.size(); p += 2) {
            const auto g = FindCode(line.substr(p, 2))->group;
            end = g == CodeGroup::GameEnd ? 1 : g == CodeGroup::LevelEnd ? 2 : end;
        }
        EXPECT_LE(length, 50);
        EXPECT_EQ(LineFault(line, length, line.substr(1, 2) >= "27", end, line[0] - '0'), "") << n << ": " << line;
    }
    EXPECT_GT(distinct.size(), 90u);
}

}  // namespace
}  // namespace tessellon
