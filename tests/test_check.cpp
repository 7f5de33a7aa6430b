#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <random>
#include <tuple>
#include <utility>
#include <vector>
#include <cmath>
#include <string>

#include "check/brush_geometry.h"
#include "check/level_check.h"
#include "check/level_survey.h"
#include "session/text_helpers.h"
#include "test_support.h"

namespace tessellon {
namespace {

using namespace testing;

std::string DataFile(const std::string& name) { return SourceFile("check/" + name); }
std::string Dump(const CheckReport& r) { return FormatReportText(r); }

// Small levels written the way the editor writes them, with fresh ids.
class LevelText {
public:
    static std::string Point(Vec3 p) {
        return "(" + FormatNumber(p.x) + " " + FormatNumber(p.y) + " " + FormatNumber(p.z) + ")";
    }

    // An axis-aligned box brush with the editor's winding (normals out of the brush).
    std::string Box(Vec3 mn, Vec3 mx, const std::string& material = "BRICK/BRICKWALL001A") {
        const double x0 = mn.x, y0 = mn.y, z0 = mn.z, x1 = mx.x, y1 = mx.y, z1 = mx.z;
        return Solid({{{x0, y1, z1}, {x1, y1, z1}, {x1, y0, z1}},
                      {{x0, y0, z0}, {x1, y0, z0}, {x1, y1, z0}},
                      {{x0, y1, z1}, {x0, y0, z1}, {x0, y0, z0}},
                      {{x1, y1, z0}, {x1, y0, z0}, {x1, y0, z1}},
                      {{x1, y1, z1}, {x0, y1, z1}, {x0, y1, z0}},
                      {{x1, y0, z0}, {x0, y0, z0}, {x0, y0, z1}}},
                     material);
    }
    // A wedge filling x0..x1 whose +x face slopes: full height at x0, touching x1 only at the floor.
    std::string Wedge(Vec3 mn, Vec3 mx, const std::string& material = "BRICK/BRICKWALL001A") {
        const double x0 = mn.x, y0 = mn.y, z0 = mn.z, x1 = mx.x, y1 = mx.y, z1 = mx.z;
        return Solid({{{x0, y0, z0}, {x1, y0, z0}, {x1, y1, z0}},
                      {{x0, y1, z1}, {x0, y0, z1}, {x0, y0, z0}},
                      {{x0, y1, z1}, {x1, y1, z0}, {x1, y0, z0}},
                      {{x1, y1, z0}, {x0, y1, z1}, {x0, y1, z0}},
                      {{x1, y0, z0}, {x0, y0, z0}, {x0, y0, z1}}},
                     material);
    }
    std::string Entity(const std::string& classname, const std::string& body) {
        return "entity\n{\n\t\"id\" \"" + std::to_string(nextEntity_++) + "\"\n\t\"classname\" \"" + classname +
               "\"\n" + body + "}\n";
    }
    std::string PointEntity(const std::string& classname, Vec3 o, const std::string& keys = "") {
        return Entity(classname, "\t\"origin\" \"" + FormatNumber(o.x) + " " + FormatNumber(o.y) + " " +
                                     FormatNumber(o.z) + "\"\n" + keys);
    }
    // The head, a world of the given solids, then the entities.
    static std::string Level(const std::string& worldSolids, const std::string& entities) {
        return "versioninfo\n{\n\t\"editorversion\" \"400\"\n\t\"mapversion\" \"1\"\n\t\"formatversion\" \"100\"\n}\n"
               "world\n{\n\t\"id\" \"1\"\n\t\"classname\" \"worldspawn\"\n\t\"skyname\" \"sky_day01_01\"\n" +
               worldSolids + "}\n" + entities;
    }
    // The brushes of a closed room around x/y -384..384, floor top at z 0, ceiling at 256, with
    // 16-unit walls; `leave` names parts to leave out.
    std::string RoomShell(const std::vector<std::string>& leave = {}) {
        auto kept = [&](const char* part) { return std::find(leave.begin(), leave.end(), part) == leave.end(); };
        std::string s;
        if (kept("floor")) s += Box({-384, -384, -16}, {384, 384, 0});
        if (kept("ceiling")) s += Box({-384, -384, 256}, {384, 384, 272}, "TOOLS/TOOLSSKYBOX");
        if (kept("north")) s += Box({-384, 368, 0}, {384, 384, 256}, "TOOLS/TOOLSNODRAW");
        if (kept("south")) s += Box({-384, -384, 0}, {384, -368, 256});
        if (kept("east")) s += Box({368, -368, 0}, {384, 368, 256});
        if (kept("west")) s += Box({-384, -368, 0}, {-368, 368, 256});
        return s;
    }
    // A closed room (less `leave`) with a player start and the extra pieces.
    CheckReport Shell(const std::vector<std::string>& leave, const std::string& extraWorld = "",
                      const std::string& extraEntities = "", Vec3 start = {0, 0, 16}) {
        const std::string world = RoomShell(leave) + extraWorld;
        return CheckLevelText(Level(world, PointEntity("info_player_start", start) + extraEntities));
    }

private:
    struct Face {
        Vec3 a, b, c;
    };
    std::string Solid(const std::vector<Face>& planes, const std::string& material) {
        std::string s = "\tsolid\n\t{\n\t\t\"id\" \"" + std::to_string(nextSolid_++) + "\"\n";
        for (const auto& p : planes) {
            // Texture axes across the face: floors and ceilings get x/y, walls a vertical v.
            const Vec3 a = p.b - p.a, b = p.c - p.a;
            const double nx = std::fabs(a.y * b.z - a.z * b.y), nz = std::fabs(a.x * b.y - a.y * b.x);
            const std::string u = nx > nz ? "[0 1 0 0] 0.25" : "[1 0 0 0] 0.25";
            const std::string v =
                nz > nx && nz > std::fabs(a.z * b.x - a.x * b.z) ? "[0 -1 0 0] 0.25" : "[0 0 -1 0] 0.25";
            s += "\t\tside\n\t\t{\n\t\t\t\"id\" \"" + std::to_string(nextSide_++) + "\"\n\t\t\t\"plane\" \"" +
                 Point(p.a) + " " + Point(p.b) + " " + Point(p.c) + "\"\n\t\t\t\"material\" \"" + material +
                 "\"\n\t\t\t\"uaxis\" \"" + u + "\"\n\t\t\t\"vaxis\" \"" + v + "\"\n\t\t}\n";
        }
        return s + "\t}\n";
    }
    int nextSolid_ = 2, nextSide_ = 1, nextEntity_ = 100;
};

// ---- reading ------------------------------------------------------------------------------

TEST(VmfReader, ReadsNestedBlocksQuotedAndBareWordsAndTokenLines) {
    const VmfDocument doc = ReadVmfText(
        "versioninfo\n{\n\t\"editorversion\" \"400\"\n}\n"
        "world\n{\n\t\"id\" \"1\"\n\t\"message\" \"a value { with } braces\"\n\t// a note the editor never writes\n"
        "\tsolid\n\t{\n\t\tid 7\n\t\tside\n\t\t{\n\t\t\t\"plane\" \"(0 0 0) (1 0 0) (1 1 0)\"\n\t\t}\n\t}\n}\n");
    ASSERT_TRUE(doc.errors.empty()) << doc.errors[0].message;
    ASSERT_EQ(doc.blocks.size(), 2u);
    const VmfBlock& side = doc.blocks[1].children.at(0).children.at(0);
    EXPECT_EQ(doc.blocks[1].Get("MESSAGE"), "a value { with } braces");  // keys ignore case
    EXPECT_EQ(side.Get("plane"), "(0 0 0) (1 0 0) (1 1 0)");
    EXPECT_EQ(side.at.line, 13);
    EXPECT_EQ(side.at.column, 3);

    // The token-per-line form of room bodies, read up to the end marker.
    const VmfDocument body =
        ReadVmfTokenLines({"solid", "{", "id", "3", "}", "/\\/worldend\\/\\", "entity", "{", "classname", "light",
                           "targetname", "", "origin", "1 2 3\r", "}", "/\\/EOF\\/\\", "}"},
                          22);
    ASSERT_TRUE(body.errors.empty()) << body.errors[0].message;
    ASSERT_EQ(body.blocks.size(), 2u);
    EXPECT_EQ(body.blocks[1].Get("targetname", "none"), "");  // an empty value stays paired with its key
    EXPECT_EQ(body.blocks[1].Get("origin"), "1 2 3");
    EXPECT_EQ(body.blocks[1].at.line, 28);
    EXPECT_EQ(ReadVmfTokenLines({"entity", "{", "classname", "light"}, 22).errors.at(0).at.line, 22);
}

// The reader takes the editor's usual lines in one step and anything else word by word; both
// ways must give the same blocks, keys and positions.
std::string Shape(const VmfBlock& b) {
    std::string out = std::string(b.name) + "@" + std::to_string(b.at.line) + ":" + std::to_string(b.at.column) + "{";
    for (const auto& kv : b.keys) out += "[" + std::string(kv.key) + "=" + std::string(kv.value) + "]";
    for (const auto& c : b.children) out += Shape(c);
    return out + "}";
}
std::string Shape(const VmfDocument& doc) {
    std::string out = std::to_string(doc.errors.size()) + " errors ";
    for (const auto& b : doc.blocks) out += Shape(b);
    return out;
}

TEST(VmfReader, OddSpacingCommentsAndZerosReadAsTheUsualLinesDo) {
    const std::string usual = "world\n{\n\t\"id\" \"1\"\n\tsolid\n\t{\n\t\t\"a\" \"b\"\n\t}\n}\n";
    EXPECT_EQ(Shape(ReadVmfText(usual)), "0 errors world@1:1{[id=1]solid@4:2{[a=b]}}");
    // Name and brace apart by a comment, blank lines or a form feed; pairs sharing a line or
    // parted by tabs; a pair with no blank between its words; line ends of both kinds.
    const char* const same[] = {
        "world // note\n{\n\t\"id\" \"1\"\n\tsolid\n\t{\n\t\t\"a\"\t \"b\"\n\t}\n}\n",
        "world\r\n{\r\n\t\"id\" \"1\"\r\n\tsolid\r\n\t{\r\n\t\t\"a\"\"b\"\r\n\t}\r\n}\r\n",
        "world\n{\n\tid 1\n\tsolid\n\t{\n\t\t\"a\" \"b\" }\n}\n",
    };
    for (const char* text : same) EXPECT_EQ(Shape(ReadVmfText(text)), Shape(ReadVmfText(usual))) << text;
    EXPECT_EQ(Shape(ReadVmfText("world\n\n{ \"id\" \"1\" \"k\" \"v\" solid\f{ \"a\" \"b\" } }")),
              "0 errors world@1:1{[id=1][k=v]solid@3:20{[a=b]}}");

    // A zero inside a value is an ordinary character; the text may end without a line end.
    const std::string zero("world\n{\n\t\"a\" \"b\0c\"\n}", 20);
    const VmfDocument doc = ReadVmfText(zero);
    ASSERT_TRUE(doc.errors.empty()) << doc.errors[0].message;
    EXPECT_EQ(doc.blocks.at(0).Get("a"), std::string("b\0c", 3));
    EXPECT_EQ(Shape(ReadVmfText("world\n{\n\t\"a\" \"b\"")), "1 errors world@1:1{[a=b]}");
    // A quote left open ends its word at the line's end, the next line reads as usual.
    EXPECT_EQ(Shape(ReadVmfText("world\n{\n\t\"a\" \"b\n\t\"c\" \"d\"\n}\n")), "1 errors world@1:1{[a=b][c=d]}");
}

// A document's blocks live in memory the document owns; copies, moves and assignments must
// each keep what they hold readable after the others are gone (the sanitizer runs catch slips).
TEST(VmfReader, CopiesAndMovesOfADocumentOutliveTheOriginal) {
    auto read = [](const std::string& name) {
        std::string text = "world\n{\n\t\"id\" \"1\"\n";
        for (int i = 0; i < 300; ++i) text += "\tsolid\n\t{\n\t\t\"id\" \"" + std::to_string(i) + "\"\n\t}\n";
        return ReadVmfText(text + "}\nentity\n{\n\t\"targetname\" \"" + name + "\"\n}\n");
    };
    auto lastSolid = [](const VmfDocument& d) { return d.blocks.at(0).children.at(299).Get("id"); };
    VmfDocument copied, assigned = read("old"), moved;
    {
        VmfDocument first = read("a");
        copied = first;    // copy assignment over an empty document
        assigned = first;  // copy assignment over a full one
        VmfDocument second = read("b");
        moved = std::move(second);  // move assignment
        VmfDocument constructed(std::move(first));
        assigned = std::move(constructed);  // and a move over a full one
    }
    EXPECT_EQ(copied.blocks.at(1).Get("targetname"), "a");
    EXPECT_EQ(assigned.blocks.at(1).Get("targetname"), "a");
    EXPECT_EQ(moved.blocks.at(1).Get("targetname"), "b");
    for (const VmfDocument* d : {&copied, &assigned, &moved}) EXPECT_EQ(lastSolid(*d), "299");
    const VmfBlock world = read("c").blocks.at(0);  // a block copied out of a passing document
    EXPECT_EQ(world.children.size(), 300u);
}

TEST(VmfReader, EveryFaultHasItsLineAndColumnAndReadingGoesOn) {
    const std::tuple<const char*, int, int, const char*> faults[] = {
        {"world\n{\n}\n}\nentity\n{\n}\n", 4, 1, "closes nothing"},
        {"world\n{\n\tsolid\n\t{\n\t\t\"id\" \"2\"\n}\n", 1, 1, "\"world\" is never closed"},
        {"world\n{\n\t\"id\" \"1\n\t\"classname\" \"worldspawn\"\n}\n", 3, 7, "not closed on its line"},
        {"world\n{\n\t\"id\"\n}\n", 3, 2, "key \"id\" has no value"},
        {"versioninfo\n{\n}\nstray\nworld\n{\n}\n", 4, 1, "outside every block"},
        {"world\n{\n\t{\n\t}\n}\n", 3, 2, "has no name"},
    };
    for (const auto& [text, line, column, words] : faults) {
        const VmfDocument doc = ReadVmfText(text);
        ASSERT_EQ(doc.errors.size(), 1u) << text;
        EXPECT_EQ(doc.errors[0].at.line, line) << text;
        EXPECT_EQ(doc.errors[0].at.column, column) << text;
        EXPECT_NE(doc.errors[0].message.find(words), std::string::npos) << doc.errors[0].message;
    }
    // Recovery: after the stray brace the entity is read; after the open quote, the next line.
    EXPECT_EQ(ReadVmfText(std::get<0>(faults[0])).blocks.size(), 2u);
    EXPECT_EQ(ReadVmfText(std::get<0>(faults[2])).blocks[0].Get("classname"), "worldspawn");
}

// ---- structure ----------------------------------------------------------------------------

bool Has(const CheckReport& r, ProblemKind kind, const std::string& id, Severity severity = Severity::Error) {
    return std::any_of(r.problems.begin(), r.problems.end(),
                       [&](const Problem& p) { return p.kind == kind && p.id == id && p.severity == severity; });
}

TEST(LevelCheck, SealedRoomsHaveNoProblemAtAll) {
    for (const char* name : {"sealed_room.vmf", "two_rooms.vmf"}) {
        const CheckReport r = CheckLevelFile(DataFile(name));
        EXPECT_TRUE(r.problems.empty()) << Dump(r);
        EXPECT_TRUE(r.leak.checked && !r.leak.leaked && r.Passed());
    }
    const CheckReport r = CheckLevelFile(DataFile("sealed_room.vmf"));
    EXPECT_EQ(r.counts.brushes, 8);  // 6 world brushes, a trigger and a func_detail
    EXPECT_EQ(r.counts.brushSides, 48);
    EXPECT_EQ(r.counts.entities, 5);  // the world and four entities
}

TEST(LevelCheck, FindsEveryStructureProblemWithTheObjectsId) {
    const CheckReport r = CheckLevelFile(DataFile("broken_structure.vmf"));
    const std::pair<ProblemKind, const char*> found[] = {
        {ProblemKind::TooFewSides, "11"},   {ProblemKind::BadPlane, "115"},       {ProblemKind::BadPlane, "121"},
        {ProblemKind::OpenSolid, "900"},    {ProblemKind::BadTextureAxis, "130"}, {ProblemKind::BadTextureAxis, "132"},
        {ProblemKind::OutOfBounds, "16"},   {ProblemKind::DuplicateId, "10"},     {ProblemKind::DuplicateId, "100"},
        {ProblemKind::DuplicateId, "2001"}, {ProblemKind::NoOrigin, "2002"},      {ProblemKind::NoClassname, "2003"},
        {ProblemKind::Placeholder, "2004"}};
    for (const auto& [kind, id] : found) EXPECT_TRUE(Has(r, kind, id)) << id << "\n" << Dump(r);
    EXPECT_TRUE(Has(r, ProblemKind::UnknownTarget, "2005", Severity::Warning));
    EXPECT_EQ(r.ErrorCount(), 13) << Dump(r);
    EXPECT_EQ(r.WarningCount(), 2) << Dump(r);  // "nowhere" and "ghost"; "marker" exists
    for (const auto& p : r.problems) EXPECT_GT(p.at.line, 0) << p.message;
    EXPECT_FALSE(r.Passed());
}

TEST(LevelCheck, RepeatedIdsAreFoundAmongThousandsAndPointAtTheFirstUse) {
    LevelText t;
    std::string world;
    for (int i = 0; i < 400; ++i) world += t.Box({i * 32.0, 0, 0}, {i * 32.0 + 16, 16, 16});
    // A second copy of the first brush repeats its solid id and its six side ids.
    const std::size_t second = world.find("\tsolid", 1);
    const std::string level = LevelText::Level(world + world.substr(0, second), "");
    const std::size_t firstSolid = level.find("\tsolid");
    const int firstLine = 1 + static_cast<int>(std::count(level.begin(), level.begin() + firstSolid, '\n'));
    CheckOptions options;
    options.checkLeaks = false;
    const CheckReport r = CheckLevelText(level, options);
    int repeats = 0;
    for (const auto& p : r.problems)
        if (p.kind == ProblemKind::DuplicateId) ++repeats;
    EXPECT_EQ(repeats, 7) << Dump(r);
    EXPECT_EQ(r.ErrorCount(), 7) << Dump(r);
    ASSERT_TRUE(Has(r, ProblemKind::DuplicateId, "2")) << Dump(r);
    for (const auto& p : r.problems) {
        if (p.object != "solid") continue;
        EXPECT_NE(p.message.find("at line " + std::to_string(firstLine) + "."), std::string::npos) << p.message;
    }
}

// Plain numbers and other ids are kept apart internally; repeats must be found in both, and
// ids that differ as text ("7", "007") are different ids.
TEST(LevelCheck, RepeatedIdsOfEveryFormAreFoundAndOnlyThose) {
    std::string entities;
    for (const char* id : {"7", "007", "0", "0", "70000", "70000", "65535", "65535", "x1", "x1", "-3", "99999"})
        entities += "entity\n{\n\t\"id\" \"" + std::string(id) +
                    "\"\n\t\"classname\" \"info_null\"\n\t\"origin\" \"0 0 0\"\n}\n";
    CheckOptions options;
    options.checkLeaks = false;
    const CheckReport r = CheckLevelText(LevelText::Level("", entities), options);
    std::vector<std::string> repeated;
    for (const auto& p : r.problems)
        if (p.kind == ProblemKind::DuplicateId) repeated.push_back(p.id);
    EXPECT_EQ(repeated, (std::vector<std::string>{"0", "70000", "65535", "x1"})) << Dump(r);
    EXPECT_EQ(r.ErrorCount(), 4) << Dump(r);
}

TEST(LevelCheck, MapHeadIsRequiredInALevel) {
    LevelText t;
    const CheckReport level =
        CheckLevelText(t.Box({0, 0, 0}, {64, 64, 64}) + t.PointEntity("info_player_start", {0, 0, 100}));
    EXPECT_TRUE(Has(level, ProblemKind::MissingBlock, ""));
    EXPECT_EQ(level.ErrorCount(), 2) << Dump(level);  // versioninfo and world
}

TEST(LevelCheck, TargetsResolveByNameWildcardClassAndEngineNames) {
    LevelText t;
    const std::string entities =
        t.PointEntity("light", {0, 0, 100}, "\t\"targetname\" \"Lamp_1\"\n") +
        t.PointEntity("logic_relay", {0, 0, 50},
                      "\t\"target\" \"lamp_1\"\n\t\"parentname\" \"lamp_1,attach\"\n"
                      "\tconnections\n\t{\n\t\t\"OnTrigger\" \"lamp_*,TurnOff,,0,-1\"\n"
                      "\t\t\"OnTrigger\" \"!player\x1bSetHealth\x1b\x31\x30\x1b\x30\x1b-1\"\n"
                      "\t\t\"OnTrigger\" \"light,TurnOn,,0,-1\"\n\t\t\"OnUser1\" \"lamp_9*,TurnOn,,0,-1\"\n\t}\n");
    const CheckReport r = t.Shell({}, "", entities);
    ASSERT_EQ(r.WarningCount(), 1) << Dump(r);
    EXPECT_NE(r.problems[0].message.find("\"lamp_9*\""), std::string::npos);
    EXPECT_NE(r.problems[0].message.find("output OnUser1"), std::string::npos);
    EXPECT_TRUE(r.Passed());  // a warning does not fail the level
}

TEST(LevelCheck, CountsPlanesInPairsAndEnforcesTheEngineLimits) {
    LevelText t;
    // Two stacked boxes share the plane z = 64: 7 distinct planes, stored with their flips.
    EXPECT_EQ(
        CheckLevelText(t.Level(t.Box({0, 0, 0}, {64, 64, 64}) + t.Box({0, 0, 64}, {64, 64, 128}), "")).counts.planes,
        14);
    std::string many;
    for (int i = 0; i < kMaxMapEntities; ++i) many += t.PointEntity("info_null", {0, 0, 0});
    const CheckReport full = CheckLevelText(t.Level("", many));  // with the world, one too many
    EXPECT_EQ(full.counts.entities, kMaxMapEntities + 1);
    EXPECT_TRUE(Has(full, ProblemKind::Limit, ""));
}

// ---- leaks --------------------------------------------------------------------------------

TEST(LeakCheck, HandMadeLevelsLeakWhereTheyShould) {
    const std::pair<const char*, bool> cases[] = {{"sealed_room.vmf", false},  {"two_rooms.vmf", false},
                                                  {"gap_wall.vmf", true},      {"brush_entity_wall.vmf", true},
                                                  {"missing_floor.vmf", true}, {"clip_wall.vmf", true}};
    for (const auto& [file, leaks] : cases) {
        const CheckReport r = CheckLevelFile(DataFile(file));
        EXPECT_EQ(r.ErrorCount(), 0) << file << Dump(r);
        ASSERT_TRUE(r.leak.checked) << file;
        EXPECT_EQ(r.leak.leaked, leaks) << file;
        EXPECT_EQ(r.Passed(), !leaks) << file;
        if (leaks) {
            EXPECT_EQ(r.leak.leakingEntities.at(0).classname, "info_player_start") << file;
        }
    }
}

TEST(LeakCheck, AGapOfOneUnitOrLessLeaksAndTouchingWallsSeal) {
    // The east wall in two pieces: y -368..0 and y gap..368.
    for (double gap : {1.0, 0.25, 0.0, -8.0}) {
        LevelText t;
        const CheckReport r =
            t.Shell({"east"}, t.Box({368, -368, 0}, {384, 0, 256}) + t.Box({368, gap, 0}, {384, 368, 256}));
        EXPECT_EQ(r.ErrorCount(), 0) << Dump(r);
        EXPECT_EQ(r.leak.leaked, gap > 0) << gap;
    }
}

// Rows of rooms wide enough that the grid's rows span several 64-cell words: the quick flood
// works a word at a time, and only the room with a wall left out may leak.
TEST(LeakCheck, OnlyTheOpenRoomInALongRowLeaks) {
    for (const int rooms : {12, 40}) {
        for (const int open : {-1, 9, rooms - 3}) {
            std::vector<SealingBody> bodies;
            std::vector<LeakStart> starts;
            for (int r = 0; r < rooms; ++r) {
                const double x0 = r * 96.0, x1 = x0 + 80;  // walls 8 thick around 64 of room
                const Box walls[] = {{{x0, 0, 0}, {x1, 80, 8}},      {{x0, 0, 72}, {x1, 80, 80}},
                                     {{x0, 0, 0}, {x0 + 8, 80, 80}}, {{x1 - 8, 0, 0}, {x1, 80, 80}},
                                     {{x0, 0, 0}, {x1, 8, 80}},      {{x0, 72, 0}, {x1, 80, 80}}};
                for (int w = 0; w < 6; ++w)
                    if (r != open || w != 5) bodies.push_back(SealingBox(walls[w]));
                starts.push_back({{x0 + 40, 40, 40}, std::to_string(r), "info_null"});
            }
            const LeakResult result = FindLeak(bodies, starts);
            ASSERT_TRUE(result.checked) << result.skippedReason;
            EXPECT_EQ(result.leakingStarts,
                      open < 0 ? std::vector<std::size_t>{} : std::vector<std::size_t>{std::size_t(open)})
                << rooms << " rooms, room " << open << " open";
            EXPECT_TRUE(result.startsInSolid.empty());
        }
    }
}

TEST(LeakCheck, AWindingCorridorLeaksOnlyThroughItsOpening) {
    // Forty walls across a long hall, their gaps at alternate ends: the way from the west door to
    // the start at the east end turns back and forth eighty times. The hall is 1,300 units long,
    // so a row of the grid spans several 64-cell words.
    constexpr int kWalls = 40;
    const double east = kWalls * 32 + 16;
    for (const bool door : {false, true}) {
        std::vector<SealingBody> bodies = {
            SealingBox({{-16, -16, -16}, {east + 16, 528, 0}}), SealingBox({{-16, -16, 128}, {east + 16, 528, 144}}),
            SealingBox({{-16, -16, 0}, {east + 16, 0, 128}}),   SealingBox({{-16, 512, 0}, {east + 16, 528, 128}}),
            SealingBox({{east, 0, 0}, {east + 16, 512, 128}}),  SealingBox({{-16, 0, 0}, {0, 200, 128}}),
            SealingBox({{-16, 300, 0}, {0, 512, 128}})};
        if (!door) bodies.push_back(SealingBox({{-16, 200, 0}, {0, 300, 128}}));
        for (int q = 0; q < kWalls; ++q) {
            const double x = 32.0 * q + 16;
            bodies.push_back(q % 2 == 0 ? SealingBox({{x, 0, 0}, {x + 8, 480, 128}})
                                        : SealingBox({{x, 32, 0}, {x + 8, 512, 128}}));
        }
        const LeakResult r = FindLeak(bodies, {{{east - 8, 256, 64}, "far", ""}});
        ASSERT_TRUE(r.checked) << r.skippedReason;
        EXPECT_EQ(r.leaked, door);
        EXPECT_TRUE(r.startsInSolid.empty());
        if (!door) continue;
        EXPECT_EQ(r.leakingStarts, std::vector<std::size_t>{0});
        // The trail winds through every gap: more than one point per wall.
        EXPECT_GT(r.trail.size(), static_cast<std::size_t>(kWalls));
        EXPECT_LT(r.trail.back().x, 0);
    }
}

TEST(LeakCheck, TrailRunsFromTheEntityThroughTheHoleToTheVoid) {
    LevelText t;
    const CheckReport r =
        t.Shell({"east"}, t.Box({368, -368, 0}, {384, 100, 256}) + t.Box({368, 101, 0}, {384, 368, 256}));
    ASSERT_TRUE(r.leak.leaked);
    const auto& trail = r.leak.trail;
    ASSERT_GE(trail.size(), 2u);
    // The way out crosses the east wall once, through the slot, and ends beyond it.
    int crossings = 0;
    for (std::size_t i = 1; i < trail.size(); ++i) {
        const Vec3 a = trail[i - 1], b = trail[i];
        if ((a.x < 376) == (b.x < 376)) continue;
        ++crossings;
        EXPECT_TRUE(a.y > 100 && a.y < 101 && a.y == b.y) << a.y;
    }
    EXPECT_EQ(crossings, 1);
    EXPECT_GT(trail.back().x, 384);
    const std::string lin = FormatPointFile(trail);
    EXPECT_EQ(lin.substr(0, lin.find('\n')), "0 0 16");
    EXPECT_EQ(static_cast<std::size_t>(std::count(lin.begin(), lin.end(), '\n')), trail.size());
}

TEST(LeakCheck, EntitiesOnAFaceFloodFromTheOpenSideAndBuriedOnesNotAtAll) {
    // Origin, without a ceiling, leaks?  On the floor, against a wall, in a corner, buried in
    // the wall, on the wall's outer face.
    const std::tuple<Vec3, bool, bool> cases[] = {{{0, 0, 0}, false, false},       {{368, 0, 16}, false, false},
                                                  {{-368, -368, 0}, false, false}, {{376, 0, 100}, false, false},
                                                  {{384, 0, 100}, false, true},    {{0, 0, 0}, true, true},
                                                  {{368, 0, 16}, true, true},      {{-368, 0, 16}, true, true}};
    for (const auto& [at, open, leaks] : cases) {
        LevelText t;
        EXPECT_EQ(
            t.Shell(open ? std::vector<std::string>{"ceiling"} : std::vector<std::string>{}, "", "", at).leak.leaked,
            leaks)
            << LevelText::Point(at) << (open ? " open" : "");
    }
    // Every entity reaching the void is named.
    LevelText t;
    const CheckReport beside = t.Shell({}, "", t.PointEntity("info_target", {2000, 0, 0}));
    ASSERT_EQ(beside.leak.leakingEntities.size(), 1u);
    EXPECT_EQ(beside.leak.leakingEntities[0].classname, "info_target");
    EXPECT_EQ(t.Shell({"ceiling"}, "", t.PointEntity("light", {0, 0, 200})).leak.leakingEntities.size(), 2u);
}

TEST(LeakCheck, WhatSealsAndWhatDoesNot) {
    LevelText t;
    // A wedge whose sloped face looks into the room seals; one leaving the top open does not.
    EXPECT_FALSE(t.Shell({"east"}, t.Wedge({352, -368, 0}, {384, 368, 256})).leak.leaked);
    EXPECT_TRUE(t.Shell({"east"}, t.Wedge({352, -368, 0}, {384, 368, 128})).leak.leaked);
    for (const char* material :
         {"TOOLS/TOOLSNPCCLIP", "TOOLS/TOOLSINVISIBLE", "NATURE/WATER_CANALS03", "TOOLS/TOOLSHINT"})
        EXPECT_TRUE(t.Shell({"east"}, t.Box({368, -368, 0}, {384, 368, 256}, material)).leak.leaked) << material;
    EXPECT_FALSE(t.Shell({"east"}, t.Box({368, -368, 0}, {384, 368, 256}, "TOOLS/TOOLSNODRAW")).leak.leaked);
    // Hidden in the editor, still built by the compilers; a displacement does not seal.
    EXPECT_FALSE(t.Shell({"east"}, "\thidden\n\t{\n" + t.Box({368, -368, 0}, {384, 368, 256}) + "\t}\n").leak.leaked);
    std::string disp = t.Box({368, -368, 0}, {384, 368, 256});
    disp.insert(disp.find("\t\t}\n"), "\t\t\tdispinfo\n\t\t\t{\n\t\t\t\t\"power\" \"3\"\n\t\t\t}\n");
    EXPECT_TRUE(t.Shell({"east"}, disp).leak.leaked);
}

TEST(LeakCheck, RoomWithAnOpenDoorwaySealsOncePluggedFromAGivenStart) {
    LevelText t;
    const std::string world = t.RoomShell({"north"}) + t.Box({-384, 368, 0}, {-96, 384, 256}) +
                              t.Box({96, 368, 0}, {384, 384, 256}) + t.Box({-96, 368, 192}, {96, 384, 256});
    CheckOptions room;
    room.requireMapHead = false;
    room.extraStarts.push_back({{0, 0, 128}, "centre", ""});
    const CheckReport open = CheckLevelText(world, room);
    EXPECT_EQ(open.ErrorCount(), 0) << Dump(open);
    ASSERT_TRUE(open.leak.leaked);
    EXPECT_EQ(open.leak.leakingEntities[0].id, "centre");
    room.extraSealing.push_back({{-96, 368, 0}, {96, 384, 192}});
    EXPECT_FALSE(CheckLevelText(world, room).leak.leaked);
    room.extraSealing.back().max.z = 191;  // one unit short of the doorway's top
    EXPECT_TRUE(CheckLevelText(world, room).leak.leaked);
    // An entity outside leaks, unless the caller floods only from its own points.
    const std::string level = t.Level(t.RoomShell(), t.PointEntity("info_target", {5000, 0, 0}));
    EXPECT_TRUE(CheckLevelText(level).leak.leaked);
    CheckOptions own;
    own.startFromEntities = false;
    own.extraStarts.push_back({{0, 0, 64}, "inside", ""});
    EXPECT_FALSE(CheckLevelText(level, own).leak.leaked);
}

TEST(LeakCheck, SkippedChecksAreReportedNotPassedSilently) {
    LevelText t;
    const CheckReport noStart = CheckLevelText(t.Level(t.RoomShell(), ""));
    EXPECT_FALSE(noStart.leak.checked);
    ASSERT_EQ(noStart.problems.size(), 1u);
    EXPECT_TRUE(Has(noStart, ProblemKind::LeakSkipped, "", Severity::Warning)) << Dump(noStart);
    const CheckReport unread = CheckLevelText(t.Level(t.RoomShell(), t.PointEntity("light", {0, 0, 0})) + "}\n");
    EXPECT_FALSE(unread.leak.checked);
    EXPECT_FALSE(unread.Passed());  // the stray brace is an error
    // Too fine a grid for the cap: the flood is skipped, not run out of memory.
    const LeakResult capped = FindLeak({SealingBox({{0, 0, 0}, {1, 1, 1}})}, {{{5, 5, 5}, "a", ""}}, 8);
    EXPECT_FALSE(capped.checked);
    EXPECT_FALSE(capped.skippedReason.empty());
}

// ---- the node graph -----------------------------------------------------------------------

// Two rooms side by side on x (-384..384 and 384..1152), floor top at 0, ceiling at 256, parted
// by a wall at x 376..392 with a doorway (y -96..96, 192 high) unless `closed`; a player start
// in the first room, and in the second a trigger that fades the level out.
struct TwoRooms {
    LevelText t;
    std::string world, entities;

    explicit TwoRooms(bool closed = false) {
        world = t.Box({-384, -384, -16}, {1152, 384, 0}) + t.Box({-384, -384, 256}, {1152, 384, 272}) +
                t.Box({-384, -384, 0}, {-368, 384, 256}) + t.Box({1136, -384, 0}, {1152, 384, 256}) +
                t.Box({-368, 368, 0}, {1136, 384, 256}) + t.Box({-368, -384, 0}, {1136, -368, 256});
        world += closed ? t.Box({376, -368, 0}, {392, 368, 256})
                        : t.Box({376, -368, 0}, {392, -96, 256}) + t.Box({376, 96, 0}, {392, 368, 256}) +
                              t.Box({376, -96, 192}, {392, 96, 256});
        entities = t.PointEntity("info_player_start", {-200, 0, 16}) +
                   t.Entity("trigger_once", "\tconnections\n\t{\n\t\t\"OnTrigger\" \"end_fade,Fade,,0,-1\"\n\t}\n" +
                                                t.Box({900, -100, 0}, {1100, 100, 128}, "TOOLS/TOOLSTRIGGER")) +
                   t.PointEntity("env_fade", {1000, 0, 64}, "\t\"targetname\" \"end_fade\"\n");
    }
    TwoRooms& Nodes(std::initializer_list<Vec3> at) {
        for (const Vec3& p : at) entities += t.PointEntity("info_node", p);
        return *this;
    }
    TwoRooms& Add(const std::string& classname, Vec3 at) {
        entities += t.PointEntity(classname, at);
        return *this;
    }
    CheckReport Check() const { return CheckLevelText(LevelText::Level(world, entities)); }
};

bool Joined(const CheckReport& r) { return r.nodeGraph.judged && r.nodeGraph.startToEnd; }

// The id an entity's text gives it.
std::string IdOf(const std::string& entity) {
    const std::size_t at = entity.find("\"id\" \"") + 6;
    return entity.substr(at, entity.find('"', at) - at);
}

TEST(NodeGraph, NodesLinkThroughADoorwayAndUpTo720UnitsApartButNotThroughAWall) {
    const CheckReport open = TwoRooms().Nodes({{0, 0, 16}, {300, 0, 16}, {480, 0, 16}, {800, 0, 16}}).Check();
    EXPECT_TRUE(open.problems.empty()) << Dump(open);
    EXPECT_TRUE(Joined(open));
    EXPECT_EQ(open.nodeGraph.groundNodes, 4);

    const CheckReport walled = TwoRooms(true).Nodes({{0, 0, 16}, {300, 0, 16}, {480, 0, 16}, {800, 0, 16}}).Check();
    EXPECT_TRUE(walled.nodeGraph.judged && !walled.nodeGraph.startToEnd);
    ASSERT_EQ(walled.ErrorCount(), 1) << Dump(walled);
    EXPECT_EQ(walled.problems[0].kind, ProblemKind::NodeGraphCut);
    EXPECT_NE(walled.problems[0].message.find("holds 2 of the 4 nodes"), std::string::npos) << Dump(walled);

    // Beside the doorway only walls stand between the rooms' nodes; a pair in the doorway joins them.
    TwoRooms beside;
    beside.Nodes({{0, 0, 16}, {300, 300, 16}, {480, 300, 16}, {800, 0, 16}});
    EXPECT_FALSE(Joined(beside.Check()));
    EXPECT_TRUE(Joined(beside.Nodes({{352, 0, 16}, {416, 0, 16}}).Check()));

    // The engine's reach: 720 units, through the doorway.
    EXPECT_TRUE(Joined(TwoRooms().Nodes({{0, 0, 16}, {720, 0, 16}}).Check()));
    EXPECT_FALSE(Joined(TwoRooms().Nodes({{0, 0, 16}, {730, 0, 16}}).Check()));
}

TEST(NodeGraph, DetailAndSolidBrushEntitiesStopCharactersOtherBrushesDoNot) {
    // A wall that starts off (closing behind the player later) or a brush that starts disabled
    // is no wall when the game builds the graph.
    const std::tuple<std::string, std::string, bool> doorways[] = {
        {"func_detail", "", false},
        {"func_brush", "", false},
        {"func_illusionary", "", true},
        {"func_door", "", true},
        {"func_wall_toggle", "", false},
        {"func_wall_toggle", "\t\"spawnflags\" \"1\"\n", true},
        {"func_brush", "\t\"StartDisabled\" \"1\"\n", true}};
    for (const auto& [classname, keys, joined] : doorways) {
        TwoRooms r;
        r.Nodes({{0, 0, 16}, {300, 0, 16}, {480, 0, 16}, {800, 0, 16}});
        r.entities += r.t.Entity(classname, keys + r.t.Box({376, -96, 0}, {392, 96, 192}));
        EXPECT_EQ(Joined(r.Check()), joined) << classname << " " << keys;
    }
    const std::pair<std::string, bool> materials[] = {
        {"TOOLS/TOOLSNPCCLIP", false}, {"TOOLS/TOOLSPLAYERCLIP", true}, {"TOOLS/TOOLSTRIGGER", true}};
    for (const auto& [material, joined] : materials) {
        TwoRooms r;
        r.Nodes({{0, 0, 16}, {300, 0, 16}, {480, 0, 16}, {800, 0, 16}});
        r.world += r.t.Box({376, -96, 0}, {392, 96, 192}, material);
        EXPECT_EQ(Joined(r.Check()), joined) << material;
    }
    // A node is where it would stand: dropped to its floor, where a knee-high wall cuts its line.
    TwoRooms low;
    low.Nodes({{0, 0, 150}, {300, 0, 16}, {480, 0, 16}, {800, 0, 16}});
    low.entities += low.t.Entity("func_detail", low.t.Box({140, -368, 0}, {160, 368, 64}));
    const CheckReport dropped = low.Check();
    EXPECT_FALSE(Joined(dropped)) << "the node at 150 should have dropped to the floor";
}

TEST(NodeGraph, GroundCharactersCutOffFromTheStartAreNamedFlyersAreNot) {
    TwoRooms r(true);
    r.Nodes({{0, 0, 16}, {300, 0, 16}, {480, 0, 16}, {800, 0, 16}});
    r.Add("npc_zombie", {100, 100, 16}).Add("npc_combine_s", {700, 100, 16}).Add("npc_manhack", {700, -100, 64});
    const CheckReport cut = r.Check();
    EXPECT_EQ(cut.nodeGraph.groundCharacters, 2);
    EXPECT_EQ(cut.nodeGraph.unreachableCharacters, 1);
    const auto unreachable = std::find_if(cut.problems.begin(), cut.problems.end(),
                                          [](const Problem& p) { return p.kind == ProblemKind::UnreachableCharacter; });
    ASSERT_NE(unreachable, cut.problems.end()) << Dump(cut);
    EXPECT_NE(unreachable->message.find("(npc_combine_s) at (700 100 16) cannot reach the player start"),
              std::string::npos)
        << unreachable->message;

    // No node of its own room in sight: the first room's lie behind the wall.
    TwoRooms bare(true);
    bare.Nodes({{0, 0, 16}, {300, 0, 16}}).Add("npc_metropolice", {600, 0, 16});
    const CheckReport blind = bare.Check();
    EXPECT_EQ(blind.nodeGraph.unreachableCharacters, 1);
    EXPECT_NE(Dump(blind).find("has no info_node within 720 units in sight"), std::string::npos) << Dump(blind);
}

TEST(NodeGraph, NoNodesWarnsOnlyWhereCharactersNeedThemAndOldReportsStayAsTheyWere) {
    LevelText t;
    const CheckReport zombie = t.Shell({}, "", t.PointEntity("npc_zombie", {100, 100, 16}));
    EXPECT_TRUE(zombie.Passed());
    EXPECT_TRUE(Has(zombie, ProblemKind::NoNodes, "", Severity::Warning)) << Dump(zombie);
    EXPECT_NE(FormatReportJson(zombie).find("\"kind\":\"no-nodes\""), std::string::npos);
    EXPECT_TRUE(t.Shell({}, "", t.PointEntity("npc_cscanner", {100, 100, 64})).problems.empty());
    // A start and an end but no character: nothing needs a graph, nothing is said.
    const CheckReport empty = TwoRooms().Check();
    EXPECT_TRUE(empty.problems.empty()) << Dump(empty);
    EXPECT_FALSE(empty.nodeGraph.judged);
}

TEST(NodeGraph, TheEndIsTheTriggerThatEndsTheLevelEvenThroughARelay) {
    // The fade is fired through a relay that also sends the player to the menu; a trigger in the
    // first room that only switches a light is no end.
    TwoRooms r(true);
    const std::string light =
        r.t.Entity("trigger_once", "\tconnections\n\t{\n\t\t\"OnTrigger\" \"lamp,TurnOff,,0,-1\"\n\t}\n" +
                                       r.t.Box({0, -100, 0}, {200, 100, 128}, "TOOLS/TOOLSTRIGGER"));
    const std::string finale = r.t.Entity("trigger_once",
                                          "\tconnections\n\t{\n\t\t\"OnTrigger\" \"finale\x1b"
                                          "Trigger\x1b\x1b"
                                          "0\x1b-1\"\n\t}\n" +
                                              r.t.Box({900, -100, 0}, {1100, 100, 128}, "TOOLS/TOOLSTRIGGER"));
    r.entities = r.t.PointEntity("info_player_start", {-200, 0, 16}) + light + finale;
    r.entities += r.t.PointEntity("light", {0, 0, 200}, "\t\"targetname\" \"lamp\"\n");
    r.entities += r.t.PointEntity(
        "logic_relay", {1000, 0, 64},
        "\t\"targetname\" \"finale\"\n\tconnections\n\t{\n\t\t\"OnTrigger\" \"menu,Command,startupmenu,4,-1\"\n\t}\n");
    r.entities += r.t.PointEntity("point_clientcommand", {1000, 0, 80}, "\t\"targetname\" \"menu\"\n");
    r.Nodes({{0, 0, 16}, {800, 0, 16}});
    const CheckReport cut = r.Check();
    ASSERT_EQ(cut.ErrorCount(), 1) << Dump(cut);
    EXPECT_EQ(cut.problems[0].kind, ProblemKind::NodeGraphCut);
    EXPECT_EQ(cut.problems[0].id, IdOf(finale)) << "the trigger that ends the level";

    // Without anything that ends the level, start and end are not judged.
    TwoRooms noEnd(true);
    noEnd.entities = noEnd.t.PointEntity("info_player_start", {-200, 0, 16});
    noEnd.Nodes({{0, 0, 16}, {800, 0, 16}});
    const CheckReport unjudged = noEnd.Check();
    EXPECT_FALSE(unjudged.nodeGraph.judged);
    EXPECT_TRUE(unjudged.problems.empty()) << Dump(unjudged);
}

// ---- what a level offers a player -------------------------------------------------------------

TEST(LevelSurvey, CountsTheSuitSavesCubemapsNodesAndAmmunitionForWeaponsNeverGiven) {
    TwoRooms r;
    r.Nodes({{0, 0, 16}, {300, 0, 16}, {480, 0, 16}, {800, 0, 16}});
    for (const char* c :
         {"item_suit", "env_cubemap", "env_cubemap", "weapon_pistol", "item_ammo_pistol", "item_box_buckshot",
          "item_ammo_smg1_grenade", "item_rpg_round", "item_box_sniper_rounds", "item_healthkit"})
        r.Add(c, {-100, -100, 16});
    r.entities += r.t.PointEntity("game_player_equip", {-100, 0, 16}, "\t\"weapon_smg1\" \"1\"\n") +
                  r.t.Entity("trigger_autosave", r.t.Box({200, -100, 0}, {300, 100, 128}, "TOOLS/TOOLSTRIGGER"));
    const std::string text = LevelText::Level(r.world, r.entities);
    const LevelSurvey survey = SurveyLevel(ReadVmfText(text), CheckLevelText(text));
    EXPECT_EQ(FormatSurvey(survey),
              "suit yes, nodes 4, start to end joined, unreachable characters 0, autosaves 1, cubemaps 2, "
              "ammunition without its weapon 3 (item_box_buckshot item_rpg_round item_box_sniper_rounds)");
    EXPECT_EQ(FormatSurvey(SurveyLevel(ReadVmfText(LevelText::Level(r.world, "")), CheckReport{})),
              "suit no, nodes 0, start to end not judged, unreachable characters 0, autosaves 0, cubemaps 0, "
              "ammunition without its weapon 0");
    // Old box names give the same rounds as the new ones; an unknown box of rounds fits no weapon.
    EXPECT_STREQ(WeaponForAmmo("item_large_box_lrounds"), "weapon_ar2");
    EXPECT_STREQ(WeaponForAmmo("item_ammo_357_large"), "weapon_357");
    EXPECT_STREQ(WeaponForAmmo("item_ammo_laser"), "");
    EXPECT_EQ(WeaponForAmmo("item_battery"), nullptr);
}

// ---- the check command --------------------------------------------------------------------

CliRun RunCheck(std::vector<std::string> args) {
    args.insert(args.begin(), "check");
    return Cli(args);
}

TEST(CheckCommand, ExitStatusTellsPassedFailedAndUnreadable) {
    TempDir dir;
    std::string text = ReadFile(DataFile("sealed_room.vmf"));
    text.replace(text.find("\"lamp,TurnOff"), 5, "\"lamp2");
    WriteFile(dir.path() / "warned.vmf", text);
    const std::tuple<std::string, int, std::string> cases[] = {
        {DataFile("sealed_room.vmf"), kExitOk, "0 errors, 0 warnings, sealed - passed."},
        {(dir.path() / "warned.vmf").string(), kExitOk, "warning: "},  // warnings alone still pass
        {DataFile("missing_floor.vmf"), kExitFailed,
         "leak: the void outside the level is reached from entity 1001 (info_player_start) at (0 0 16)"},
        {DataFile("broken_structure.vmf"), kExitFailed, "broken_structure.vmf:95:2: error: Solid 11 has 3 sides"},
        {(dir.path() / "nothing.vmf").string(), kExitUsage, "nothing.vmf"},
        {dir.path().string(), kExitUsage, dir.path().string()}};  // a folder is no level either
    for (const auto& [file, code, words] : cases) {
        const CliRun r = RunCheck({file});
        EXPECT_EQ(r.code, code) << file;
        EXPECT_NE((r.out + r.err).find(words), std::string::npos) << r.out << r.err;
    }
}

TEST(CheckCommand, PointFileIsWrittenBesideALeakingLevelOnly) {
    TempDir dir;
    for (const char* name : {"gap_wall.vmf", "sealed_room.vmf"}) fs::copy_file(DataFile(name), dir.path() / name);
    const CliRun r = RunCheck({(dir.path() / "gap_wall.vmf").string(), "--pointfile"});
    EXPECT_EQ(r.code, kExitFailed);
    EXPECT_NE(r.out.find("leak trail written to"), std::string::npos);
    const auto lines = FileLines(dir.path() / "gap_wall.lin");
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines.front(), "0 0 16");  // the player start the leak is named after
    EXPECT_EQ(RunCheck({(dir.path() / "sealed_room.vmf").string(), "--pointfile"}).code, kExitOk);
    EXPECT_FALSE(fs::exists(dir.path() / "sealed_room.lin"));
}

TEST(CheckCommand, ACutNodeGraphFailsTheLevelWithTheTriggerItCannotReach) {
    TempDir dir;
    TwoRooms r(true);
    r.Nodes({{0, 0, 16}, {800, 0, 16}});
    WriteFile(dir.path() / "cut.vmf", LevelText::Level(r.world, r.entities));
    const CliRun run = RunCheck({(dir.path() / "cut.vmf").string(), "--json"});
    EXPECT_EQ(run.code, kExitFailed);
    EXPECT_NE(run.out.find("\"kind\":\"node-graph-cut\",\"object\":\"entity\""), std::string::npos) << run.out;
}

TEST(CheckCommand, JsonIsOneObjectForPrograms) {
    const CliRun r = RunCheck({DataFile("brush_entity_wall.vmf"), "--json"});
    EXPECT_EQ(r.code, kExitFailed);
    EXPECT_EQ(r.out.front(), '{');
    EXPECT_EQ(r.out.find('\n'), r.out.size() - 1);
    for (const char* part : {"\"passed\":false", "\"leak\":{\"checked\":true,\"found\":true",
                             "{\"id\":\"1001\",\"classname\":\"info_player_start\",\"origin\":[0,0,16]}"})
        EXPECT_NE(r.out.find(part), std::string::npos) << part << "\n" << r.out;
    // Messages keep their quotes, escaped.
    const CliRun broken = RunCheck({DataFile("broken_structure.vmf"), "--json"});
    for (const char* part : {"\"kind\":\"placeholder\",\"object\":\"entity\",\"id\":\"2004\"", "\\\"vornic_npc\\\"",
                             "\"errors\":13,\"warnings\":2"})
        EXPECT_NE(broken.out.find(part), std::string::npos) << part << "\n" << broken.out;
    const CliRun unreadable = RunCheck({"/no/such/gone.vmf", "--json"});
    EXPECT_EQ(unreadable.code, 2);
    EXPECT_NE(unreadable.out.find("\"readable\":false"), std::string::npos);
}

// The short cuts the checker takes for plain numbers and box brushes must agree with the
// general routes they stand in for.
// The level reader and the room text helpers read plain decimals by a short cut; over many
// shapes (up to 17 digits, so both sides of the cut's 15-digit limit) both must give exactly
// what the full conversion gives, sign of zero included.
TEST(BrushGeometry, BothNumberReadersRoundAsTheFullConversion) {
    std::mt19937 random(20261207);
    for (int n = 0; n < 20000; ++n) {
        std::string text = random() % 3 == 0 ? "-" : "";
        const int whole = 1 + static_cast<int>(random() % 9), fraction = static_cast<int>(random() % 9);
        for (int d = 0; d < whole; ++d)
            text += static_cast<char>('0' + (d == 0 && whole > 1 ? 1 + random() % 9 : random() % 10));
        if (fraction > 0) text += '.';
        for (int d = 0; d < fraction; ++d) text += static_cast<char>('0' + random() % 10);
        double expected = 0;
        ASSERT_EQ(std::from_chars(text.data(), text.data() + text.size(), expected).ec, std::errc()) << text;
        Vec3 v;
        ASSERT_TRUE(ParseVector(text + " 0 0", v)) << text;
        ASSERT_EQ(std::tuple(v.x, std::signbit(v.x)), std::tuple(expected, std::signbit(expected))) << text;
        double helper = 0;
        ASSERT_TRUE(TryParseNumber(text, ".", helper)) << text;
        ASSERT_EQ(helper, expected == 0 ? 0.0 : expected) << text;  // the helper writes 0 without a sign
        ASSERT_FALSE(std::signbit(helper) && expected == 0) << text;
    }
}

TEST(BrushGeometry, ShortDecimalsAndBoxBrushesAgreeWithTheGeneralRoutes) {
    const char* numbers[] = {"0",
                             "-0",
                             "384",
                             "-384.5",
                             "0.1",
                             "0.3",
                             "12.345678901234",
                             "0.000125",
                             ".5",
                             "5.",
                             "1e3",
                             "123456789012345",
                             "1234567890123456",
                             "9007199254740993",
                             "0.1234567890123456",
                             "-0.000000000000001",
                             "33.333"};
    for (const char* text : numbers) {
        double expected = 0;
        const std::string s(text);
        ASSERT_EQ(std::from_chars(s.data(), s.data() + s.size(), expected).ec, std::errc()) << text;
        Vec3 v;
        ASSERT_TRUE(ParseVector(s + " " + s + " " + s, v)) << text;
        EXPECT_EQ(std::tuple(v.x, std::signbit(v.x)), std::tuple(expected, std::signbit(expected))) << text;
    }
    Vec3 v;
    EXPECT_FALSE(ParseVector("1.5.3 0 0", v));
    EXPECT_FALSE(ParseVector("0x10 0 0", v));

    auto plane = [](Vec3 n, double d) { return Plane{n, d}; };
    const std::vector<Plane> box = {plane({0, 0, 1}, 8),   plane({0, 0, -1}, 0), plane({1, 0, 0}, 16),
                                    plane({-1, 0, 0}, 16), plane({0, 1, 0}, 32), plane({0, -1, 0}, 32)};
    Box fast;
    ASSERT_TRUE(AxialBox(box, fast));
    Box general{{1e300, 1e300, 1e300}, {-1e300, -1e300, -1e300}};
    for (const Polygon& face : BodyFaces(box)) {
        ASSERT_FALSE(face.empty());
        for (const Vec3& p : face) {
            general.min = {std::min(general.min.x, p.x), std::min(general.min.y, p.y), std::min(general.min.z, p.z)};
            general.max = {std::max(general.max.x, p.x), std::max(general.max.y, p.y), std::max(general.max.z, p.z)};
        }
    }
    for (auto [a, b] : {std::pair(fast.min, general.min), std::pair(fast.max, general.max)}) {
        EXPECT_NEAR(a.x, b.x, 1e-6);
        EXPECT_NEAR(a.y, b.y, 1e-6);
        EXPECT_NEAR(a.z, b.z, 1e-6);
    }
    EXPECT_EQ(fast.min.x, -16);
    EXPECT_EQ(fast.max.z, 8);
    // Not boxes, or not ones to trust: these go the general way.
    auto changed = [&](std::size_t i, Plane p) {
        auto planes = box;
        planes[i] = p;
        return planes;
    };
    Box unused;
    EXPECT_FALSE(AxialBox(changed(1, plane({0, 0, -1}, -9)), unused));                  // inside out: no space
    EXPECT_FALSE(AxialBox(changed(1, plane({0, 0, 1}, 4)), unused));                    // two tops, no bottom
    EXPECT_FALSE(AxialBox(changed(2, plane({0.6, 0.8, 0}, 16)), unused));               // a sloped side
    EXPECT_FALSE(AxialBox(changed(0, plane({0, 0, 1}, 2 * kUnboundedReach)), unused));  // open upwards
    auto seven = box;
    seven.push_back(box[0]);
    EXPECT_FALSE(AxialBox(seven, unused));
}

}  // namespace
}  // namespace tessellon
