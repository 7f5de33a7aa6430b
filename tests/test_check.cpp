#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "check/level_check.h"
#include "check_test_levels.h"

namespace tessellon {
namespace {

using checktest::LevelText;

std::string DataFile(const std::string& name) { return std::string(TESSELLON_SOURCE_DIR) + "/tests/data/check/" + name; }

// ---- reader -------------------------------------------------------------------------------

TEST(VmfReader, ReadsNestedBlocksQuotedAndBareWords) {
    const VmfDocument doc = ReadVmfText(
        "versioninfo\n{\n\t\"editorversion\" \"400\"\n}\n"
        "world\n{\n\t\"id\" \"1\"\n\t\"message\" \"a value { with } braces\"\n"
        "\t// a note the editor never writes\n"
        "\tsolid\n\t{\n\t\tid 7\n\t\tside\n\t\t{\n\t\t\t\"plane\" \"(0 0 0) (1 0 0) (1 1 0)\"\n\t\t}\n\t}\n}\n");
    ASSERT_TRUE(doc.errors.empty()) << doc.errors[0].message;
    ASSERT_EQ(doc.blocks.size(), 2u);
    const VmfBlock& world = doc.blocks[1];
    EXPECT_EQ(world.name, "world");
    EXPECT_EQ(world.at.line, 5);
    EXPECT_EQ(world.Get("MESSAGE"), "a value { with } braces");  // keys ignore case
    ASSERT_EQ(world.children.size(), 1u);
    const VmfBlock& solid = world.children[0];
    EXPECT_EQ(solid.Get("id"), "7");
    ASSERT_EQ(solid.children.size(), 1u);
    EXPECT_EQ(solid.children[0].Get("plane"), "(0 0 0) (1 0 0) (1 1 0)");
    EXPECT_EQ(solid.children[0].at.line, 13);
    EXPECT_EQ(solid.children[0].at.column, 3);
    EXPECT_EQ(world.Get("missing", "fallback"), "fallback");
}

struct ParseFault {
    const char* text;
    int line, column;
    const char* words;  // a piece of the message
};

TEST(VmfReader, EveryFaultHasItsLineAndColumnAndReadingGoesOn) {
    const ParseFault faults[] = {
        {"world\n{\n}\n}\nentity\n{\n}\n", 4, 1, "closes nothing"},
        {"world\n{\n\tsolid\n\t{\n\t\t\"id\" \"2\"\n}\n", 1, 1, "\"world\" is never closed"},
        {"world\n{\n\t\"id\" \"1\n\t\"classname\" \"worldspawn\"\n}\n", 3, 7, "not closed on its line"},
        {"world\n{\n\t\"id\"\n}\n", 3, 2, "key \"id\" has no value"},
        {"versioninfo\n{\n}\nstray\nworld\n{\n}\n", 4, 1, "outside every block"},
        {"world\n{\n\t{\n\t}\n}\n", 3, 2, "has no name"},
    };
    for (const auto& f : faults) {
        SCOPED_TRACE(f.text);
        const VmfDocument doc = ReadVmfText(f.text);
        ASSERT_EQ(doc.errors.size(), 1u);
        EXPECT_EQ(doc.errors[0].at.line, f.line);
        EXPECT_EQ(doc.errors[0].at.column, f.column);
        EXPECT_NE(doc.errors[0].message.find(f.words), std::string::npos) << doc.errors[0].message;
    }
    // Recovery: after the stray brace the entity is still read; after the open quote the
    // classname on the next line is still read.
    EXPECT_EQ(ReadVmfText(faults[0].text).blocks.size(), 2u);
    EXPECT_EQ(ReadVmfText(faults[2].text).blocks[0].Get("classname"), "worldspawn");
}

TEST(VmfReader, ReadsTheTokenPerLineFormOfRoomBodies) {
    const std::vector<std::string> lines = {
        "solid", "{", "id", "3", "side", "{", "plane", "(0 0 0) (1 0 0) (1 1 0)", "}", "}",
        "/\\/worldend\\/\\", "entity", "{", "classname", "light", "targetname", "", "origin", "1 2 3\r", "}",
        "/\\/EOF\\/\\", "}", "garbage after the end"};
    const VmfDocument doc = ReadVmfTokenLines(lines, 22);
    ASSERT_TRUE(doc.errors.empty()) << doc.errors[0].message;
    ASSERT_EQ(doc.blocks.size(), 2u);
    EXPECT_EQ(doc.blocks[0].children[0].Get("plane"), "(0 0 0) (1 0 0) (1 1 0)");
    EXPECT_EQ(doc.blocks[1].Get("targetname", "none"), "");  // an empty value stays paired with its key
    EXPECT_EQ(doc.blocks[1].Get("origin"), "1 2 3");
    EXPECT_EQ(doc.blocks[1].at.line, 33);

    const VmfDocument open = ReadVmfTokenLines({"entity", "{", "classname", "light"}, 22);
    ASSERT_EQ(open.errors.size(), 1u);
    EXPECT_EQ(open.errors[0].at.line, 22);
}

// ---- geometry -----------------------------------------------------------------------------

TEST(BrushGeometry, EditorWindingGivesOutwardNormalsAndBoxFaces) {
    LevelText t;
    const VmfDocument doc = ReadVmfText(t.Level(t.Box({-8, -16, -32}, {8, 16, 32}), ""));
    std::vector<Plane> planes;
    for (const auto& side : doc.blocks[1].children[0].children) {
        Vec3 p[3];
        ASSERT_TRUE(ParsePlanePoints(side.Get("plane"), p));
        Plane plane;
        ASSERT_TRUE(PlaneFromPoints(p[0], p[1], p[2], plane));
        // The centre of the box lies behind every face.
        EXPECT_LT(Dot(plane.normal, {0, 0, 0}) - plane.dist, 0);
        EXPECT_TRUE(IsAxial(plane));
        planes.push_back(plane);
    }
    const auto faces = BodyFaces(planes);
    ASSERT_EQ(faces.size(), 6u);
    for (const auto& f : faces) {
        ASSERT_EQ(f.size(), 4u);
        for (const Vec3& v : f) {
            EXPECT_NEAR(std::fabs(v.x), 8, 1e-6);
            EXPECT_NEAR(std::fabs(v.y), 16, 1e-6);
            EXPECT_NEAR(std::fabs(v.z), 32, 1e-6);
        }
    }
    // Turned inside out, the planes enclose nothing.
    for (auto& p : planes) p = Plane{p.normal * -1, -p.dist};
    for (const auto& f : BodyFaces(planes)) EXPECT_TRUE(f.empty());
}

TEST(BrushGeometry, ParsesTheValueFormsStrictly) {
    Vec3 pts[3];
    EXPECT_TRUE(ParsePlanePoints("(1 2.5 -3) (4 5 6) (7 8 9)", pts));
    EXPECT_DOUBLE_EQ(pts[0].y, 2.5);
    for (const char* bad : {"(1 2 3) (4 5 6)", "(1 2 3) (4 5 6) (7 8 9) (1 1 1)", "(1 2 x) (4 5 6) (7 8 9)"})
        EXPECT_FALSE(ParsePlanePoints(bad, pts)) << bad;
    Vec3 v;
    EXPECT_TRUE(ParseVector("[10 -20 30.5]", v));
    EXPECT_DOUBLE_EQ(v.z, 30.5);
    EXPECT_FALSE(ParseVector("10 -20", v));
    TextureAxis axis;
    EXPECT_TRUE(ParseTextureAxis("[0 1 0 -16] 0.25", axis));
    EXPECT_DOUBLE_EQ(axis.shift, -16);
    EXPECT_DOUBLE_EQ(axis.scale, 0.25);
    EXPECT_FALSE(ParseTextureAxis("[0 1 0] 0.25", axis));
}

// ---- structure ----------------------------------------------------------------------------

bool Has(const CheckReport& r, ProblemKind kind, const std::string& id, Severity severity = Severity::Error) {
    return std::any_of(r.problems.begin(), r.problems.end(), [&](const Problem& p) {
        return p.kind == kind && p.id == id && p.severity == severity;
    });
}

std::string Dump(const CheckReport& r) { return FormatReportText(r); }

TEST(LevelCheck, SealedRoomHasNoProblemAtAll) {
    for (const char* name : {"sealed_room.vmf", "two_rooms.vmf"}) {
        const CheckReport r = CheckLevelFile(DataFile(name));
        EXPECT_TRUE(r.problems.empty()) << Dump(r);
        EXPECT_TRUE(r.leak.checked);
        EXPECT_FALSE(r.leak.leaked);
        EXPECT_TRUE(r.Passed());
    }
    const CheckReport r = CheckLevelFile(DataFile("sealed_room.vmf"));
    EXPECT_EQ(r.counts.brushes, 8);  // 6 world brushes, a trigger and a func_detail
    EXPECT_EQ(r.counts.brushSides, 48);
    EXPECT_EQ(r.counts.entities, 5);  // the world and four entities
}

TEST(LevelCheck, FindsEveryStructureProblemWithTheObjectsId) {
    const CheckReport r = CheckLevelFile(DataFile("broken_structure.vmf"));
    EXPECT_TRUE(Has(r, ProblemKind::TooFewSides, "11"));
    EXPECT_TRUE(Has(r, ProblemKind::BadPlane, "115"));  // three points on one line
    EXPECT_TRUE(Has(r, ProblemKind::BadPlane, "121"));  // a repeated point
    EXPECT_TRUE(Has(r, ProblemKind::OpenSolid, "900"));
    EXPECT_TRUE(Has(r, ProblemKind::BadTextureAxis, "130"));  // zero length
    EXPECT_TRUE(Has(r, ProblemKind::BadTextureAxis, "132"));  // along the normal
    EXPECT_TRUE(Has(r, ProblemKind::OutOfBounds, "16"));
    EXPECT_TRUE(Has(r, ProblemKind::DuplicateId, "10"));   // solid
    EXPECT_TRUE(Has(r, ProblemKind::DuplicateId, "100"));  // side
    EXPECT_TRUE(Has(r, ProblemKind::DuplicateId, "2001"));  // entity
    EXPECT_TRUE(Has(r, ProblemKind::NoOrigin, "2002"));
    EXPECT_TRUE(Has(r, ProblemKind::NoClassname, "2003"));
    EXPECT_TRUE(Has(r, ProblemKind::Placeholder, "2004"));
    EXPECT_TRUE(Has(r, ProblemKind::UnknownTarget, "2005", Severity::Warning));
    EXPECT_EQ(r.ErrorCount(), 13) << Dump(r);
    EXPECT_EQ(r.WarningCount(), 2) << Dump(r);  // "nowhere" and "ghost"; "marker" exists
    // Every problem points at its object in the file.
    for (const auto& p : r.problems) EXPECT_GT(p.at.line, 0) << p.message;
    EXPECT_FALSE(r.Passed());
}

TEST(LevelCheck, MapHeadIsRequiredInALevelButNotInARoomBody) {
    LevelText t;
    const std::string body = t.Box({0, 0, 0}, {64, 64, 64}) + t.PointEntity("info_player_start", {0, 0, 100});
    const CheckReport level = CheckLevelText(body);
    EXPECT_TRUE(Has(level, ProblemKind::MissingBlock, ""));
    EXPECT_EQ(level.ErrorCount(), 2) << Dump(level);  // versioninfo and world

    CheckOptions room;
    room.requireMapHead = false;
    const CheckReport r = CheckLevelText(body, room);
    EXPECT_EQ(r.ErrorCount(), 0) << Dump(r);
    EXPECT_EQ(r.counts.brushes, 1);  // the top-level solid counts as a world brush
    EXPECT_TRUE(r.leak.leaked);      // and nothing encloses the entity
}

TEST(LevelCheck, TargetsResolveByNameWildcardClassAndEngineNames) {
    LevelText t;
    const std::string entities =
        t.PointEntity("info_player_start", {0, 0, 16}) +
        t.PointEntity("light", {0, 0, 100}, "\t\"targetname\" \"Lamp_1\"\n") +
        t.PointEntity("logic_relay", {0, 0, 50},
                      "\t\"target\" \"lamp_1\"\n\t\"parentname\" \"lamp_1,attach\"\n"
                      "\tconnections\n\t{\n\t\t\"OnTrigger\" \"lamp_*,TurnOff,,0,-1\"\n"
                      "\t\t\"OnTrigger\" \"!player\x1bSetHealth\x1b\x31\x30\x1b\x30\x1b-1\"\n"
                      "\t\t\"OnTrigger\" \"light,TurnOn,,0,-1\"\n\t\t\"OnUser1\" \"lamp_9*,TurnOn,,0,-1\"\n\t}\n");
    LevelText shell;
    const CheckReport r = CheckLevelText(LevelText::Level(checktest::RoomShell(shell), entities));
    ASSERT_EQ(r.WarningCount(), 1) << Dump(r);
    EXPECT_NE(r.problems[0].message.find("\"lamp_9*\""), std::string::npos);
    EXPECT_NE(r.problems[0].message.find("output OnUser1"), std::string::npos);
    EXPECT_TRUE(r.Passed());  // a warning does not fail the level
}

TEST(LevelCheck, CountsPlanesInPairsAndEnforcesTheEngineLimits) {
    LevelText t;
    // Two stacked boxes share the plane z = 64: 7 distinct planes, stored with their flips.
    const CheckReport r = CheckLevelText(
        LevelText::Level(t.Box({0, 0, 0}, {64, 64, 64}) + t.Box({0, 0, 64}, {64, 64, 128}), ""));
    EXPECT_EQ(r.counts.planes, 14);

    std::string many;
    for (int i = 0; i < kMaxMapEntities; ++i) many += t.PointEntity("info_null", {0, 0, 0});
    // With the world that is one entity too many.
    const CheckReport full = CheckLevelText(LevelText::Level("", many));
    EXPECT_EQ(full.counts.entities, kMaxMapEntities + 1);
    EXPECT_TRUE(Has(full, ProblemKind::Limit, ""));
}

TEST(LevelCheck, SidesThatDoNotCloseABodyAreFound) {
    // Four sides of a box (no top or bottom) leave the body open.
    LevelText t;
    std::string box = t.Box({0, 0, 0}, {64, 64, 64});
    for (int drop = 0; drop < 2; ++drop) {
        const std::size_t from = box.find("\t\tside\n");
        const std::size_t to = box.find("\t\t}\n", from) + 4;
        box.erase(from, to - from);
    }
    const CheckReport r = CheckLevelText(LevelText::Level(box, ""));
    EXPECT_TRUE(Has(r, ProblemKind::OpenSolid, "2")) << Dump(r);
    EXPECT_EQ(r.ErrorCount(), 1) << Dump(r);
}

}  // namespace
}  // namespace tessellon
