#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <map>
#include <random>
#include <set>

#include "session/errors.h"
#include "check/brush_geometry.h"
#include "instance/name_fixer.h"
#include "instance/room_body.h"
#include "instance/room_pipeline.h"
#include "instance/rotation.h"
#include "session/text_helpers.h"
#include "instance/translation.h"
#include "test_support.h"

namespace tessellon {
namespace {

using namespace testing;
using Lines = std::vector<std::string>;

std::string TestRoom(const std::string& name) { return SourceFile("instance/" + name + ".rgr"); }

struct InstanceTest : ::testing::Test {
    TestSession t;
    Session& s = t.s;
    Lines Printed() {
        s.writer.Close();
        return FileLines(s.writer.WorkingPath());
    }
    template <class Step>
    Lines After(const Lines& body, Step step) {
        t.LoadRoom(body);
        step();
        return t.RoomBody();
    }
    Lines Turn(const Lines& body, int turns) {
        return After(body, [&] { Rotator(s, turns); });
    }
    Lines Move(const Lines& body, double x, double y, double z) {
        return After(body, [&] { SetOrigins(s, x, y, z); });
    }
    Lines Fix(const Lines& body) {
        return After(body, [&] { NameFixer(s); });
    }
};

// ---- the room pipeline --------------------------------------------------------------------

TEST_F(InstanceTest, PrintRoomIndentsByDepthPairsKeysAndSplitsAtTheWorldEnd) {
    for (const char* l : {"solid", "{", "id", "9", "}"}) s.WorldInsertLines.Append(l);
    t.LoadRoom({"solid", "{", "side", "{", "material", "", "}", "", "}", "/\\/worldend\\/\\", "entity", "{",
                "classname", "info_target", "}"});
    s.RoomLines.SetHead(s.RoomLines.Head() - 1);
    PrintRoom(s);
    EXPECT_EQ(Printed(), (Lines{"\t\tsolid", "\t\t{", "\t\t\t\"id\" \"9\"", "\t\t}", "\t\tsolid", "\t\t{", "\t\t\tside",
                                "\t\t\t{", "\t\t\t\t\"material\" \"\"", "\t\t\t}", "\t\t}"}));
    EXPECT_EQ(TestSession::Table(s.EntityLines), (Lines{"entity", "{", "'classname' 'info_target'", "}"}));
}

TEST_F(InstanceTest, ClearRandsRemovesPlaceholdersWholeAndLightsOnlyWhenAsked) {
    const Lines body = {"entity",     "{",
                        "classname",  "vornic_npc",
                        "solid",      "{",
                        "id",         "3",
                        "}",          "}",
                        "entity",     "{",
                        "classname",  "light",
                        "origin",     "0 0 0",
                        "}",          "entity",
                        "{",          "classname",
                        "light_spot", "}",
                        "entity",     "{",
                        "classname",  "light_dynamic",
                        "}"};
    t.LoadRoom(body);
    ClearRands(s);
    Lines out = t.RoomBody();
    EXPECT_EQ(std::count(out.begin(), out.begin() + 10, ""), 10);
    EXPECT_TRUE(std::equal(out.begin() + 10, out.end(), body.begin() + 10));
    s.settings.SkipLights = true;
    t.LoadRoom(body);
    ClearRands(s);
    out = t.RoomBody();
    EXPECT_EQ(std::count(out.begin(), out.end(), ""), 10 + 7 + 5);
    EXPECT_EQ(out[20], "light_spot");
}

TEST_F(InstanceTest, FixIDsNumbersOnInLineOrder) {
    t.LoadRoom({"id", "1", "Id", "1", "side", "{", "id", "77", "}", "id", ""});
    int next = 40;
    FixIDs(s, next);
    EXPECT_EQ(t.RoomBody(), (Lines{"id", "40", "Id", "1", "side", "{", "id", "41", "}", "id", "42"}));
    EXPECT_EQ(next, 43);
}

TEST_F(InstanceTest, FixIDsNumbersSpawnGroupBrushesBoundForTheWorldFirst) {
    // A spawn group's brushes, handed to the world, still carry the room file's ids; a second
    // copy of the room would repeat them.
    for (const char* l : {"solid", "{", "id", "5", "side", "{", "id", "6", "}", "}"}) s.WorldInsertLines.Append(l);
    t.LoadRoom({"solid", "{", "id", "1", "}"});
    int next = 40;
    FixIDs(s, next);
    EXPECT_EQ(s.WorldInsertLines.Get(4), "40");
    EXPECT_EQ(s.WorldInsertLines.Get(8), "41");
    EXPECT_EQ(t.RoomBody(), (Lines{"solid", "{", "id", "42", "}"}));
    EXPECT_EQ(next, 43);
}

TEST_F(InstanceTest, GetReadyPlacesARoomWithFreshIdsAndNamesAndNoPlaceholders) {
    int next = 2;
    GetReady(s, TestRoom("t_oneway"), 768, 0, 16, 0.5f, next, 1);
    const auto world = Printed();
    const auto entities = TestSession::Table(s.EntityLines);
    // Every id of the room, numbered from 2 without gaps.
    std::vector<int> ids;
    for (const auto& l : world)
        if (l.find("\"id\"") != std::string::npos) ids.push_back(std::stoi(l.substr(l.rfind(' ') + 2)));
    for (const auto& l : entities)
        if (l.rfind("'id' ", 0) == 0) ids.push_back(std::stoi(l.substr(6)));
    std::sort(ids.begin(), ids.end());
    ASSERT_FALSE(ids.empty());
    for (std::size_t k = 0; k < ids.size(); ++k) EXPECT_EQ(ids[k], static_cast<int>(k) + 2);
    EXPECT_EQ(next, static_cast<int>(ids.size()) + 2);
    // The two floor brushes, turned and moved: the raised half now lies east.
    EXPECT_TRUE(Contains(world, "\"plane\" \"(1152 384 80) (1152 -384 80) (768 -384 80)\""));
    EXPECT_FALSE(Contains(entities, "vornic_"));
    EXPECT_FALSE(Contains(entities, "door1") || Contains(entities, "DOOR1") || Contains(entities, "'lamp'"));
    for (const char* l : {"'targetname' 'a'", "'target' 'a'", "'OnTrigger' 'a,Open,,0,-1'",
                          "'OnTrigger' 'b,TurnOn,,1.5,-1'", "'angles' '0 90 0'", "'angles' '0 315 0'",
                          "'origin' '868 -100 16'", "'origin' '720 -32.5 112'", "'angles' '-45 90 0'"})
        EXPECT_TRUE(Contains(entities, l)) << l;
    EXPECT_EQ(s.NameList.Count(), 0);
}

TEST_F(InstanceTest, RoomFileIsReadOnceAndAShorterRoomLeavesNoTail) {
    int next = 2;
    GetReady(s, TestRoom("t_oneway"), 0, 0, 0, 0.1f, next, 0);
    GetReady(s, TestRoom("t_oneway"), 0, 768, 64, 0.2f, next, 2);
    EXPECT_EQ(s.RoomBodies.Reads(), 1);
    LoadRoomLines(s, TestRoom("t_alley"));
    EXPECT_EQ(s.RoomBodies.Reads(), 2);
    for (int i = s.RoomLines.Head(); i < s.RoomLines.Head() + 400; ++i) ASSERT_EQ(s.RoomLines.Get(i), "") << i;
    EXPECT_EQ(s.RoomLines.Get(22), "solid");

    // Announced placements: the text stays until the last of them, then goes (a new build
    // reads it again).
    s.RoomBodies.Clear();
    s.RoomBodies.ExpectUse(TestRoom("t_oneway"));
    s.RoomBodies.ExpectUse(TestRoom("t_oneway"));
    LoadRoomLines(s, TestRoom("t_oneway"));
    EXPECT_EQ(s.RoomBodies.Size(), 1u);
    LoadRoomLines(s, TestRoom("t_oneway"));
    EXPECT_EQ(s.RoomBodies.Size(), 0u);
    EXPECT_EQ(s.RoomBodies.Reads(), 1);
}

TEST_F(InstanceTest, MalformedRoomsAndFullTablesStopWithAnErrorNamingTheFile) {
    int next = 2;
    auto failure = [&](const std::string& file) { return FailureOf([&] { GetReady(s, file, 0, 0, 0, 0, next, 0); }); };
    const std::string noEnd = failure(TestRoom("t_noend"));
    EXPECT_NE(noEnd.find("t_noend.rgr"), std::string::npos) << noEnd;
    EXPECT_NE(noEnd.find("end marker"), std::string::npos) << noEnd;
    std::string text;
    for (int i = 0; i < 21; ++i) text += "0\r\n";
    for (int i = 0; i < 32000; ++i) text += "x\r\n";
    WriteFile(t.dir.path() / "huge.rgr", text + "/\\/EOF\\/\\\r\n");
    EXPECT_NE(failure((t.dir.path() / "huge.rgr").string()).find("huge.rgr"), std::string::npos);
    EXPECT_NE(failure((t.dir.path() / "missing.rgr").string()).find("missing.rgr"), std::string::npos);
    EXPECT_FALSE(s.writer.IsOpen()) << "nothing of a failed room reaches the level file";
    // Entity lines nearly full: the next room's entities do not fit.
    s.EntityLines.SetHead(static_cast<long>(s.EntityLines.Capacity()) - 3);
    const std::string full = failure(TestRoom("t_oneway"));
    EXPECT_NE(full.find("t_oneway.rgr"), std::string::npos) << full;
    EXPECT_NE(full.find("EntityLines"), std::string::npos) << full;
}

TEST_F(InstanceTest, AbortDuringTheMovePrintsNothingOfTheRoom) {
    CheckNameList(s, "kept");
    int next = 2;
    GetReady(s, TestRoom("t_oneway"), 0, 0, 30000, 0, next, 0);
    EXPECT_TRUE(s.BuildAborted);
    EXPECT_FALSE(s.writer.IsOpen());
    EXPECT_EQ(s.EntityLines.Head(), 0);
    EXPECT_EQ(next, 2);
    EXPECT_EQ(s.NameList.Count(), 1) << "the name map is left as it was";
}

TEST_F(InstanceTest, BenchmarkIsLoggedOnlyWithDetailedStatus) {
    s.settings.WriteLogFile = true;
    int next = 2;
    for (bool detailed : {false, true}) {
        s.settings.DetailedStatus = detailed;
        GetReady(s, TestRoom("t_alley"), 0, 0, 0, 0, next, 0);
        EXPECT_EQ(ReadFile(t.LogPath()).find("Total Time:     0") != std::string::npos, detailed);
    }
    EXPECT_NE(ReadFile(t.LogPath()).find("Starting convertion of room " + TestRoom("t_alley")), std::string::npos);
}

TEST_F(InstanceTest, FactionLetterFollowsTheBalance) {
    s.settings.CustomSeed = CheckState::Ticked;
    s.settings.CustomSeedBox = "11";
    // balance, letter never drawn, letter and its expected share
    const std::tuple<int, const char*, const char*, double> cases[] = {
        {10, "", "c", 0.5}, {0, "c", "", 0.1}, {20, "x", "c", 0.9}};
    for (const auto& [balance, never, letter, share] : cases) {
        s.settings.AlienCombineBalance = balance;
        std::map<std::string, int> seen;
        for (int k = 0; k < 2000; ++k) ++seen[ChooseFactionLetter(s)];
        EXPECT_EQ(seen[never], 0) << balance;
        EXPECT_NEAR(seen[letter] / 2000.0, share, 0.05) << balance;
    }
}

// ---- turning and moving -------------------------------------------------------------------

TEST_F(InstanceTest, TurningPointsAxesAndYaws) {
    const std::vector<std::tuple<Lines, int, Lines>> cases = {
        {{"origin", "16 -32 8"}, 1, {"origin", "-32 -16 8"}},
        {{"origin", "16 -32 8"}, 4, {"origin", "16 -32 8"}},
        {{"point0", "0 1.5 2", "startposition", "[10 0 -4]"}, 1, {"point0", "1.5 0 2", "startposition", "[0 -10 -4]"}},
        {{"plane", "(0 0 0) (0 64 0) (64 64 0)"}, 1, {"plane", "(0 0 0) (64 0 0) (64 -64 0)"}},
        // Texture axes turn but keep their shift and scale.
        {{"uaxis", "[1 0 0 16] 0.25", "vaxis", "[0 -1 0 -8] 0.25"},
         1,
         {"uaxis", "[0 -1 0 16] 0.25", "vaxis", "[-1 0 0 -8] 0.25"}},
        {{"angles", "0 45 0", "angles", "0 90 0", "angles", "10 0 5", "angles", "0 12.5 0"},
         1,
         {"angles", "0 315 0", "angles", "0 0 0", "angles", "10 270 5", "angles", "0 282.5 0"}},
        // Brush entities keep their yaw; keys ignore case.
        {{"classname", "FUNC_door", "angles", "0 45 0", "classname", "prop_static", "ANGLES", "0 45 0", "ORIGIN",
          "1 2 3"},
         1,
         {"classname", "FUNC_door", "angles", "0 45 0", "classname", "prop_static", "ANGLES", "0 315 0", "ORIGIN",
          "2 -1 3"}},
        {{"origin", "16.50 -0 8", "plane", "(1 2 3) (4 5 6) (7 8 9)"},
         0,
         {"origin", "16.50 -0 8", "plane", "(1 2 3) (4 5 6) (7 8 9)"}},
    };
    for (const auto& [body, turns, want] : cases) EXPECT_EQ(Turn(body, turns), want) << body[1];
    t.LoadRoom({"origin", "a b c"});
    EXPECT_THROW(Rotator(s, 1), BuildFailure);
}

TEST_F(InstanceTest, SeveralTurnsAtOnceWriteWhatOneTurnAtATimeWrites) {
    // Values whose text changes on the way (trailing zeros, "-0", a decimal comma, a missing or
    // an extra word, a brush entity's yaw), so a turn that skipped a step's rewriting would show.
    const Lines body = {"classname",     "prop_static",
                        "origin",        "16.50 -0 8",
                        "angles",        "0 12.5 0",
                        "plane",         "(1.25 2 3) (4 -5.50 6) (7 8 9)",
                        "uaxis",         "[1 0 0 16.0] 0.25",
                        "vaxis",         "[0 -1 0 -8] 0.25",
                        "startposition", "[10.5 0 -4]",
                        "point0",        "1 2",
                        "point1",        "1 2 3 4",
                        "classname",     "func_door",
                        "angles",        "0 45 0",
                        "attachpoint",   "-0.5 0.5 0"};
    for (const char* symbol : {".", ","}) {
        s.DecimalSymbol = symbol;
        for (int turns = 2; turns <= 5; ++turns) {
            Lines stepwise = body;
            for (int k = 0; k < turns; ++k) stepwise = Turn(stepwise, 1);
            EXPECT_EQ(Turn(body, turns), stepwise) << turns << " turns, decimal symbol " << symbol;
        }
    }
}

TEST_F(InstanceTest, ANegatedCoordinateIsWhatTheFullConversionWrites) {
    // Turning flips coordinates' signs; a formatter-shaped text flips by its sign alone. Every
    // text here must come out as reading, negating and formatting it gives, shortcut or not.
    std::vector<std::string> texts = {"0",
                                      "-0",
                                      "12",
                                      "-12",
                                      "012",
                                      "1.50",
                                      "1.",
                                      ".5",
                                      "+1",
                                      "1e3",
                                      "-0.5",
                                      "0.05",
                                      "1.0",
                                      "00",
                                      "-",
                                      "",
                                      "9.99999999999",
                                      "9.999999999999",
                                      "99999999999.9",
                                      "0.000000000001",
                                      "123456789012",
                                      "1234567890123",
                                      "-0.000000000000123",
                                      "9.99999999999999",
                                      "0.999999999999999999"};
    std::mt19937 random(7);
    for (int k = 0; k < 3000; ++k) {
        const int digits = static_cast<int>(random() % 14);
        const double v = (static_cast<double>(random() % 2000001) - 1000000) / std::pow(10.0, digits % 8);
        texts.push_back(FormatNumber(v));
    }
    for (const char* symbol : {".", ","}) {
        s.DecimalSymbol = symbol;
        for (const auto& text : texts) {
            std::string work = FuckAmerican(s, text), want;
            double v = 0;
            const bool number = TryToNumber(s, work, v);
            if (number) want = v != 0 ? FormatNumber(-v) : text;
            std::string turned = text;
            if (!number) {
                EXPECT_THROW(r90_Co(s, turned, false), NumberFormatError) << text;
                continue;
            }
            EXPECT_EQ(r90_Co(s, turned, false), want) << text << ", decimal symbol " << symbol;
            EXPECT_EQ(turned, want) << text;
        }
    }
    for (const char* yes : {"0", "7", "-7", "0.25", "-0.001", "123456789012", "1.5"})
        EXPECT_TRUE(IsFormattedShortNumber(yes)) << yes;
    for (const char* no : {"-0", "012", "1.50", "1.", ".5", "+1", "1e3", "", "-", "1234567890123", "0.0"})
        EXPECT_FALSE(IsFormattedShortNumber(no)) << no;
}

TEST_F(InstanceTest, TurnedPlaneNormalTurnsTheSameWay) {
    // A slanted plane: its normal must turn like any vector, keeping the side the brush lies on.
    auto normal = [](const std::string& text) {
        Vec3 p[3];
        Plane plane;
        EXPECT_TRUE(ParsePlanePoints(text, p) && PlaneFromPoints(p[0], p[1], p[2], plane)) << text;
        return plane.normal;
    };
    const std::string plane = "(12 -40 8) (100 7 30) (-3 25 64)";
    Vec3 expect = normal(plane);
    for (int turns = 1; turns <= 3; ++turns) {
        expect = {expect.y, -expect.x, expect.z};
        const Vec3 m = normal(Turn({"plane", plane}, turns)[1]);
        EXPECT_NEAR(Dot(m, expect), 1, 1e-9) << turns;
    }
}

TEST_F(InstanceTest, EveryCoordinateKeyMovesAndTextureShiftsWrap) {
    EXPECT_EQ(Move({"origin", "0 0 0", "point1", "1 1 1", "attachpoint", "0.5 0 0", "startposition", "[1 2 3]", "plane",
                    "(0 0 0) (1 0 0) (0 1 0)"},
                   1024, -512, 64),
              (Lines{"origin", "1024 -512 64", "point1", "1025 -511 65", "attachpoint", "1024.5 -512 64",
                     "startposition", "[1025 -510 67]", "plane", "(1024 -512 64) (1025 -512 64) (1024 -511 64)"}));
    EXPECT_EQ(Move({"origin", "16.50 0 0"}, 0, 0, 0), (Lines{"origin", "16.5 0 0"}));
    EXPECT_EQ(Move({"Origin", "1 1 1"}, 5, 5, 5), (Lines{"Origin", "1 1 1"})) << "moving compares keys exactly";
    EXPECT_EQ(Move({"uaxis", "[1 0 0 0] 0.25"}, 1024, 0, 0), (Lines{"uaxis", "[1 0 0 -4096] 0.25"}));
    EXPECT_DOUBLE_EQ(ShiftTexture(600.2, 0, 0, 0, 1, 5, 5, 5), 88);
    EXPECT_DOUBLE_EQ(ShiftTexture(512, 0, 0, 0, 1, 0, 0, 0), 512);
    EXPECT_DOUBLE_EQ(ShiftTexture(512.5, 0, 0, 0, 1, 0, 0, 0), 0);  // 512.5 rounds to the even 512
    EXPECT_DOUBLE_EQ(ShiftTexture(33.33349, 0, 0, 0, 1, 0, 0, 0), 33.333);
    EXPECT_DOUBLE_EQ(ShiftTexture(-0.0005, 0, 0, 0, 1, 0, 0, 0), -0.001);  // cut downwards
    EXPECT_THROW(ShiftTexture(0, 1, 0, 0, 0, 1, 0, 0), BuildFailure);
}

TEST_F(InstanceTest, TextureCoordinateOfAVertexStaysOnTheMovedBrush) {
    // u = p . axis / scale + shift, modulo 512 because the shift wraps there; a wrapped shift
    // is rounded to a whole texel, so the wrapping cases use whole shifts.
    const std::pair<std::string, Vec3> cases[] = {
        {"[1 0 0 16] 0.25", {1024, -512, 64}}, {"[0 -1 0 -8] 0.5", {768, 1536, 0}},
        {"[-1 0 0 0] 0.25", {1024, 0, 0}},     {"[0.707107 0.707107 0 3.5] 0.25", {768, 384, 16}},
        {"[0 0 -1 100] 1", {0, 0, -200}},      {"[1 0 0 0] 2", {-2304, 4608, 0}}};
    for (const auto& [axis, off] : cases) {
        const auto moved = Move({"uaxis", axis}, off.x, off.y, off.z);
        TextureAxis a, b;
        ASSERT_TRUE(ParseTextureAxis(axis, a) && ParseTextureAxis(moved[1], b)) << moved[1];
        for (const Vec3 p : {Vec3{0, 0, 0}, Vec3{192, -384, 64}, Vec3{-384, 384, 128}}) {
            const double before = Dot(p, a.direction) / a.scale + a.shift;
            const double after = Dot(p + off, b.direction) / b.scale + b.shift;
            EXPECT_NEAR(std::remainder(after - before, 512.0), 0, 0.0015) << axis << " -> " << moved[1];
        }
    }
}

TEST_F(InstanceTest, DoorPointsOfTheRoomBeingPlacedMoveWithIt) {
    s.DoorPoints[0][0][0] = 3;
    s.DoorPoints[3][1] = {0, 0, 384, 0};
    s.DoorPoints[3][4] = {0, -384, 0, 16};
    s.DoorPoints[2][1] = {0, 7, 7, 7};
    Move({}, 768, -768, 32);
    EXPECT_EQ(s.DoorPoints[3][1], (std::array<double, 4>{0, 768, -384, 32}));
    EXPECT_EQ(s.DoorPoints[3][4], (std::array<double, 4>{0, 384, -768, 48}));
    EXPECT_EQ(s.DoorPoints[2][1], (std::array<double, 4>{0, 7, 7, 7})) << "other rooms stay";
}

TEST_F(InstanceTest, NineBoundaryErrorsAreLoggedAndTheTenthAbortsAndArmsTheRestart) {
    s.settings.WriteLogFile = true;
    s.settings.DetailedStatus = true;
    Lines body;
    for (int k = 0; k < 9; ++k) body.insert(body.end(), {"plane", "(0.5 0 0) (0 0 0) (0 1 0)"});
    body.insert(body.end(), {"plane", "(0 0 0) (0 0 0) (0 1 0)"});
    Lines moved = Move(body, 16384, 0, 0);
    EXPECT_FALSE(s.BuildAborted);
    EXPECT_EQ(moved[1], "(16384.5 0 0) (16384 0 0) (16384 1 0)") << "an out-of-bounds plane below the limit stays";
    EXPECT_EQ(moved[19], "(16384 0 0) (16384 0 0) (16384 1 0)") << "the edge itself is inside";
    EXPECT_NE(ReadFile(t.LogPath()).find("Boundry Error! (0.5 0 0) XYZdif: 16384 0 0"), std::string::npos);
    EXPECT_EQ(ReadFile(t.LogPath()).find("BEL reached"), std::string::npos);

    body.clear();
    for (int k = 0; k < 10; ++k) body.insert(body.end(), {"plane", "(0 0 0) (0 0 0) (0 1 0)"});
    body.insert(body.end(), {"origin", "0 0 0"});
    moved = Move(body, 0, 0, -20000);
    EXPECT_TRUE(s.BuildAborted);
    EXPECT_EQ(moved[17], "(0 0 -20000) (0 0 -20000) (0 1 -20000)");
    EXPECT_EQ(moved[19], "(0 0 0) (0 0 0) (0 1 0)") << "the tenth plane is not moved";
    EXPECT_EQ(moved[21], "0 0 0");
    EXPECT_NE(ReadFile(t.LogPath()).find("BEL reached after 10 Boundry Errors!"), std::string::npos);
    EXPECT_EQ(t.ui.statuses.back(), "Path out of bounds! Restart in 2...");
    EXPECT_EQ(s.RestartCount, 2);
    EXPECT_TRUE(s.RestartTimerEnabled);
}

// ---- names --------------------------------------------------------------------------------

TEST(NtN, WritesBijectiveBaseTwentySixAndNeverRepeats) {
    const std::pair<int, const char*> cases[] = {{1, "a"},   {26, "z"},   {27, "aa"},  {52, "az"},
                                                 {53, "ba"}, {702, "zz"}, {703, "aaa"}};
    for (const auto& [n, name] : cases) EXPECT_EQ(NtN(n), name);
    std::set<std::string> seen;
    for (int n = 1; n <= kNameCounterLimit; ++n) {
        const std::string name = NtN(n);
        ASSERT_LE(name.size(), 4u);
        ASSERT_TRUE(seen.insert(name).second) << n;
    }
}

TEST(NameKeys, ListedKeysIgnoreCaseAndNodePrefixIsExact) {
    for (const char* k : {"targetname", "TargetName", "M_ISZENTITY", "defaulttarget", "node_exit", "nodefoo", "node"})
        EXPECT_TRUE(IsNameKey(k)) << k;
    for (const char* k : {"classname", "Node_exit2", "NODEX", "targetnames", "nod", ""})
        EXPECT_FALSE(IsNameKey(k)) << k;
}

TEST_F(InstanceTest, ReferencesToOneNameShareTheNewNameInKeysAndOutputs) {
    Lines out = Fix({"entity", "{", "classname", "func_door", "targetname", "door1", "message", "target", "}", "entity",
                     "{", "target", "DOOR1", "parentname", "frame", "nodefoo", "door1", "}"});
    EXPECT_EQ((Lines{out[3], out[5], out[7], out[12], out[14], out[16]}),
              (Lines{"func_door", "a", "target", "a", "b", "a"}))
        << "other keys, and values that look like name keys, are left alone";
    out = Fix({"entity", "{", "targetname", "relay", "connections", "{", "OnTrigger", "Relay,Trigger,,0,-1", "OnUser1",
               ",Kill,,0,-1", "OnUser2", "lonely", "OnUser3", ",x", "}", "target", "", "}"});
    // Outputs rename their first field; all empty names of a room share one new name.
    EXPECT_EQ((Lines{out[3], out[7], out[9], out[11], out[13], out[16]}),
              (Lines{"c", "c,Trigger,,0,-1", "d,Kill,,0,-1", "e", "d,x", "d"}));
    EXPECT_GT(t.ui.yields, 0) << "long output lists let the window breathe";
}

TEST_F(InstanceTest, TheSameRoomTwiceGetsFreshNamesAndTooManyNamesStopTheBuild) {
    const Lines room = {"entity", "{", "targetname", "lamp", "target", "switch", "}"};
    const auto first = Fix(room);
    ClearNameList(s);
    const auto second = Fix(room);
    EXPECT_EQ((Lines{first[3], first[5], second[3], second[5]}), (Lines{"a", "b", "c", "d"}));
    ClearNameList(s);
    for (int n = 0; n < NameListTable::kCapacity; ++n) CheckNameList(s, "n" + std::to_string(n));
    EXPECT_EQ(CheckNameList(s, "N17"), NtN(18 + 4)) << "known names still resolve";
    EXPECT_THROW(CheckNameList(s, "one more"), BuildFailure);
    ClearNameList(s);
    s.NameCounter = kNameCounterLimit;
    EXPECT_THROW(CheckNameList(s, "late"), BuildFailure);
}

}  // namespace
}  // namespace tessellon
