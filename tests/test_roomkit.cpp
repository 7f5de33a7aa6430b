// The room kit: reading Hammer maps, importing and checking rooms, the shipped library and
// the tessellonsdk program.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <tuple>

#include "roomkit/brush.h"
#include "roomkit/kit.h"
#include "roomkit/room_builder.h"
#include "roomkit/room_check.h"
#include "roomkit/room_file.h"
#include "roomkit/vmf.h"
#include "test_support.h"

namespace fs = std::filesystem;
using namespace roomkit;

namespace {

using Lines = std::vector<std::string>;

fs::path ShippedRooms() { return fs::path(TESSELLON_BINARY).parent_path() / "rooms"; }

std::vector<fs::path> ShippedRoomFiles() {
    std::vector<fs::path> out;
    for (const auto& e : fs::directory_iterator(ShippedRooms()))
        if (e.path().extension() == ".rgr") out.push_back(e.path());
    std::sort(out.begin(), out.end());
    return out;
}

Lines Load(const fs::path& p) {
    std::string text;
    EXPECT_TRUE(ReadFile(p.string(), text)) << p;
    return SplitLines(text);
}

// Whether an issue on that line (any line for 0) says these words.
bool Mentions(const std::vector<Issue>& issues, int line, const std::string& words) {
    return std::any_of(issues.begin(), issues.end(), [&](const Issue& i) {
        return (line == 0 || i.line == line) && i.message.find(words) != std::string::npos;
    });
}

std::string Dump(const std::vector<Issue>& issues) { return FormatIssues("room", issues); }

// Removes the n-th top-level block named `name` (counting from 0) from the body.
Lines WithoutBlock(Lines lines, const std::string& name, int n) {
    int depth = 0, seen = -1;
    for (size_t i = kHeaderLines; i + 1 < lines.size(); ++i) {
        if (lines[i] == "{") ++depth;
        if (lines[i] == "}") --depth;
        if (depth == 0 && lines[i] == name && lines[i + 1] == "{" && ++seen == n) {
            size_t j = i + 1;
            for (int d = 0; j == i + 1 || d > 0; ++j) d += (lines[j] == "{") - (lines[j] == "}");
            lines.erase(lines.begin() + static_cast<long>(i), lines.begin() + static_cast<long>(j));
            return lines;
        }
    }
    ADD_FAILURE() << "no block " << name << " #" << n;
    return lines;
}

const Materials kPlain{"CONCRETE/CONCRETEFLOOR001A", "CONCRETE/CONCRETEWALL001A", "CONCRETE/CONCRETECEILING001A",
                       "METAL/METALWALL001A"};

// A one-way room (open north and south) with a light. Its solids: 0 floor, 1 ceiling, 2..4 north
// wall, 5 east, 6..8 south wall, 9 west; its entities: info, north and south connector, light.
RoomBuilder OneWay(double northZ = 0, double height = 256, int type = 0) {
    RoomBuilder b("Test Hall", type, "A hall for tests");
    ShellPlan s;
    s.mats = kPlain;
    s.height = height;
    s.open = OpenSides(type);
    s.doorZ = {northZ, 0, 0, 0};
    b.MakeShell(s);
    b.Light({0, 0, height - 56});
    return b;
}

std::string Vmf(const RoomBuilder& b) { return WriteVmf(b.Finish("Tests")); }

// A room's lines with the nodes the builder worked out replaced by these (class, origin).
Lines WithNodes(Lines lines, const std::vector<std::pair<std::string, Vec3>>& nodes) {
    int depth = 0;
    for (size_t i = kHeaderLines; i + 1 < lines.size();) {
        if (depth == 0 && lines[i] == "entity" && lines[i + 1] == "{") {
            size_t end = i + 1;
            bool node = false;
            for (int d = 0; end == i + 1 || d > 0; ++end) {
                d += (lines[end] == "{") - (lines[end] == "}");
                node = node || (d == 1 && lines[end] == "classname" && lines[end + 1].rfind("info_node", 0) == 0);
            }
            if (node) lines.erase(lines.begin() + static_cast<long>(i), lines.begin() + static_cast<long>(end));
            else i = end;
            continue;
        }
        depth += (lines[i] == "{") - (lines[i] == "}");
        ++i;
    }
    Lines added;
    for (const auto& [cls, at] : nodes)
        added.insert(added.end(), {"entity", "{", "classname", cls, "origin",
                                   FormatCoord(at.x) + " " + FormatCoord(at.y) + " " + FormatCoord(at.z), "}"});
    lines.insert(std::find(lines.begin(), lines.end(), kEndMarker), added.begin(), added.end());
    return lines;
}
// The room as imported, with more map text after what the builder wrote.
Lines Built(const RoomBuilder& b, const std::string& more = "") { return ImportRoom(ParseVmf(Vmf(b) + more)); }

TEST(VmfReader, ReadsNestedBlocksAndReportsTheLineOfBrokenStructure) {
    const auto root = ParseVmf("// a comment\nworld\n{\n\t\"id\" \"1\"\n\tsolid\n\t{\n\t\t\"id\" \"2\"\n\t}\n}\n");
    ASSERT_EQ(root.children.at(0).Blocks("solid").size(), 1u);
    EXPECT_EQ(root.children[0].Get("ID"), "1");  // key names are matched without regard to case
    EXPECT_EQ(root.children[0].Blocks("solid")[0]->line, 5);
    try {
        ParseVmf("world\n{\n\"id\" \"1\"\nsolid\n{\n");
        FAIL() << "an unclosed block was accepted";
    } catch (const ParseError& e) {
        EXPECT_EQ(e.line, 4);
    }
    EXPECT_THROW(ParseVmf("world\n{\n\"id\"\n}\n"), ParseError);  // key without value
    EXPECT_THROW(ParseVmf("}\n"), ParseError);
}

TEST(BrushGeometry, BoxesHaveEightCornersAndInsideOutPlanesEncloseNothing) {
    Plane degenerate;
    EXPECT_FALSE(PlaneFromPoints({0, 0, 0}, {1, 1, 1}, {2, 2, 2}, degenerate));

    RoomBuilder b("Box", 0, "");
    Node solid = b.Box({-16, -32, 0}, {16, 32, 8}, "METAL/METALWALL001A");
    std::string error;
    int line = 0;
    auto brush = BrushFromSolid(solid, error, line);
    ASSERT_TRUE(brush) << error;
    EXPECT_EQ(brush->vertices.size(), 8u);
    // Inside, outside, and on a face, which is not inside.
    EXPECT_EQ(std::tuple(brush->Contains({0, 0, 4}), brush->Contains({0, 40, 4}), brush->Contains({16, 0, 4})),
              std::tuple(true, false, false));
    // Planes that enclose nothing: the same box with one face turned inside out.
    Node& side =
        *std::find_if(solid.children.begin(), solid.children.end(), [](const Node& n) { return n.key == "side"; });
    Vec3 p[3];
    ASSERT_TRUE(ParsePlanePoints(side.Get("plane"), p));
    auto point = [](const Vec3& v) {
        return "(" + FormatCoord(v.x) + " " + FormatCoord(v.y) + " " + FormatCoord(v.z) + ")";
    };
    side.Set("plane", point(p[2]) + " " + point(p[1]) + " " + point(p[0]));
    EXPECT_FALSE(BrushFromSolid(solid, error, line));
}

TEST(RoomImport, TakesTheHeaderFromTheMarkersAndWritesOneTokenPerLine) {
    RoomBuilder b = OneWay();
    Node& trigger = b.Entity("trigger_once", {0, 0, 8});
    trigger.Add(Node::Block("connections"))
        .AddKey("OnTrigger",
                "msg\x1b"
                "Display\x1b\x1b"
                "0\x1b-1");
    trigger.Add(Node::Block("editor")).AddKey("color", "0 255 0");
    const auto lines = Built(b);
    ASSERT_GE(lines.size(), 22u);
    EXPECT_EQ(Lines(lines.begin(), lines.begin() + 22),
              (Lines{"Test Hall", "0",    "0",    "0", "384", "0", "0", "0", "0", "0",
                     "0",         "0",    "-384", "0", "0",   "0", "0", "0", "0", "A hall for tests",
                     "Tests",     "solid"}));
    EXPECT_EQ(lines.back(), kEndMarker);
    // Editor-only blocks stay behind; output fields are joined with commas.
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "editor"), 0);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "msg,Display,,0,-1"), 1);
    EXPECT_TRUE(CheckRoom(lines).empty()) << Dump(CheckRoom(lines));

    // What the mapper has hidden in Hammer is still part of the room.
    Node hidden = Node::Block("");
    hidden.Add(Node::Block("world"))
        .Add(Node::Block("hidden"))
        .Add(b.Box({-200, -200, 0}, {-100, -100, 32}, "METAL/METALWALL001A"));
    const auto withHidden =
        Built(OneWay(), "hidden\n{\nentity\n{\n\"classname\" \"vornic_npc\"\n}\n}\n" + WriteVmf(hidden));
    EXPECT_EQ(std::count(withHidden.begin(), withHidden.end(), "vornic_npc"), 1);
    // The shell's ten brushes, the three of each doorway's frame, and the hidden one.
    EXPECT_EQ(std::count(withHidden.begin(), withHidden.end(), "solid"), 17);
}

TEST(RoomImport, RefusesMapsThatCannotMakeARoom) {
    std::string noInfo = Vmf(OneWay());
    noInfo.replace(noInfo.find("vornic_info"), 11, "info_target");
    const std::pair<std::string, std::string> cases[] = {
        {noInfo, "no vornic_info"},
        {Vmf(OneWay()) + "entity\n{\n\"classname\" \"vornic_connector\"\n\"origin\" \"100 200 0\"\n}\n",
         "lies on no side of the cell"},
        {Vmf(OneWay()) + "entity\n{\n\"classname\" \"game_text\"\n\"message\" \"It's over\"\n}\n", "quote"},
    };
    for (const auto& [vmf, expected] : cases) {
        try {
            ImportRoom(ParseVmf(vmf));
            ADD_FAILURE() << "imported despite " << expected;
        } catch (const ParseError& e) {
            EXPECT_NE(e.message.find(expected), std::string::npos) << e.message;
        }
    }
}

TEST(RoomCheck, NamesTheLineOfHeaderStructureAndShellFaults) {
    const auto good = Built(OneWay());
    ASSERT_TRUE(CheckRoom(good).empty()) << Dump(CheckRoom(good));
    auto changed = [&](size_t at, const std::string& value) {
        auto lines = good;
        lines[at] = value;
        return lines;
    };
    RoomBuilder blocked = OneWay(), outside = OneWay();
    blocked.Box({-32, 360, 0}, {32, 384, 64}, "METAL/METALWALL001A", &blocked.World());
    outside.Box({0, 0, 0}, {400, 16, 16}, "METAL/METALWALL001A", &outside.World());
    // A brush a billion units deep once made the wall sampling walk the whole height.
    RoomBuilder deep = OneWay();
    deep.Box({0, 0, -1e9}, {16, 16, 0}, "METAL/METALWALL001A", &deep.World());
    auto extraBrace = good, noWorldEnd = good;
    extraBrace.insert(extraBrace.begin() + 30, "}");
    noWorldEnd.erase(std::find(noWorldEnd.begin(), noWorldEnd.end(), kWorldEndMarker));
    const struct {
        Lines room;
        int line;
        std::string words;
    } cases[] = {
        {changed(2, "7"), 3, "room type"},
        {changed(4, "384,5"), 5, "period"},  // a decimal comma instead of a period
        {Lines(good.begin(), good.begin() + 12), 13, "21 header lines"},
        {extraBrace, 0, "close"},
        {noWorldEnd, 0, ""},
        {WithoutBlock(good, "solid", 5), 8, "closed east side has a hole"},
        {WithoutBlock(good, "solid", 4), 4, "north wall has a hole"},
        {WithoutBlock(good, "solid", 0), 22, "bottom is open"},
        {Built(blocked), 4, "north doorway is blocked"},
        {Built(outside), 0, "outside the room's cell"},
        {Built(deep), 0, "beyond the +-16384 limit of the map in height"},
        {WithoutBlock(good, "entity", 2), 12, "no vornic_connector"},  // the markers must agree with the header
    };
    for (const auto& c : cases)
        EXPECT_TRUE(Mentions(CheckRoom(c.room), c.line, c.words)) << c.words << "\n" << Dump(CheckRoom(c.room));
}

TEST(RoomCheck, TheSealingFloodFindsGapsTooThinForTheWallSamples) {
    // The west wall split by a 2-unit slit between the 8-unit samples.
    RoomBuilder parts("Parts", 0, "");
    parts.Box({-384, -368, 0}, {-368, 101, 256}, kPlain.wall, &parts.World());
    parts.Box({-384, 103, 0}, {-368, 368, 256}, kPlain.wall, &parts.World());
    const auto partLines = Built(parts);
    auto slit = WithoutBlock(Built(OneWay()), "solid", 9);
    slit.insert(slit.begin() + kHeaderLines, partLines.begin() + kHeaderLines,
                std::find(partLines.begin(), partLines.end(), kWorldEndMarker));
    const auto issues = CheckRoom(slit);
    EXPECT_FALSE(Mentions(issues, 0, "hole")) << "only the flood can see the slit\n" << Dump(issues);
    EXPECT_TRUE(Mentions(issues, 0, "leaks with its doorways plugged")) << Dump(issues);

    // A trigger brush is no wall.
    auto triggerWalls = Built(OneWay());
    for (size_t i = 0; i < triggerWalls.size(); ++i)
        if (triggerWalls[i] == "material") triggerWalls[i + 1] = kTrigger;
    EXPECT_TRUE(Mentions(CheckRoom(triggerWalls), 0, "leaks with its doorways plugged"))
        << Dump(CheckRoom(triggerWalls));
}

// The kit program as the room manager starts it.
class KitProgram : public ::testing::Test {
protected:
    // Runs the kit as tessellonsdk does; `out` holds both of its streams.
    tessellon::testing::CliRun Kit(const Lines& args) {
        std::ostringstream out, err;
        const int code = RunKit(args, out, err);
        return {code, out.str() + err.str(), ""};
    }
    std::string Path(const std::string& name) const { return (dir_.path() / name).string(); }
    std::string Write(const std::string& name, const Lines& lines) {
        EXPECT_TRUE(WriteFileAtomically(Path(name), JoinCrlf(lines)));
        return Path(name);
    }
    tessellon::testing::TempDir dir_;
};

TEST_F(KitProgram, EveryShippedRoomPassesTheCheckAndSurvivesExportAndImport) {
    const auto files = ShippedRoomFiles();
    ASSERT_GE(files.size(), 28u);
    Lines args = {"check"};
    for (const auto& f : files) {
        args.push_back(f.string());
        const auto lines = Load(f);
        EXPECT_EQ(ImportRoom(ParseVmf(WriteVmf(ExportRoom(lines)))), lines)
            << f << " changed on its way through Hammer's format";
        // What the game needs beyond a sound shell: light, groups their controllers name, a goal.
        std::set<std::string> classes, groups, controlled;
        std::string cls;
        for (size_t i = kHeaderLines; i + 1 < lines.size(); ++i) {
            if (lines[i] == "classname") classes.insert(cls = lines[i + 1]);
            if (lines[i] == "targetname" && cls == "func_vornic_spawngroup") groups.insert(lines[i + 1]);
            if (lines[i].rfind("controll", 0) == 0 && !lines[i + 1].empty()) controlled.insert(lines[i + 1]);
        }
        EXPECT_TRUE(classes.count("light") || classes.count("light_spot")) << f << " has no light";
        EXPECT_EQ(groups, controlled) << f;
        EXPECT_TRUE(lines[2] != "6" ||
                    (classes.count("trigger_once") && classes.count("game_text") && classes.count("env_fade")))
            << f << " does not tell the player they made it";
    }
    const auto run = Kit(args);
    EXPECT_EQ(run.code, 0) << run.out;
}

TEST_F(KitProgram, CheckFailsWithFileAndLineOnBrokenRooms) {
    const auto room = Load(ShippedRooms() / "turn_cellars_0.rgr");
    auto offPoint = room, noEnd = room, foreign = room;
    offPoint[7] = "352";  // east X
    noEnd.erase(std::find(noEnd.begin(), noEnd.end(), kEndMarker));
    // The kit judges models by the game's list that ships beside it.
    const auto model = std::find(foreign.begin() + kHeaderLines, foreign.end(), "model");
    ASSERT_NE(model, foreign.end());
    *(model + 1) = "models/props_custom/statue.mdl";
    const std::string modelLine = std::to_string(model - foreign.begin() + 2);
    // The prop's class is the nearest classname before its model.
    auto cls = model;
    while (*cls != "classname") --cls;
    const std::string propClass = *(cls + 1);
    const std::tuple<const char*, Lines, std::string> cases[] = {
        // The tenth solid of the shell is the west wall, closed in a turn part (a bare shell:
        // the shipped rooms' walls inside it close the side as well).
        {"nowall.rgr", WithoutBlock(Built(OneWay(0, 256, 1)), "solid", 9), ":16: the closed west side has a hole"},
        {"offpoint.rgr", offPoint, ":8: east connection point (352 0 0) is off the cell boundary"},
        {"noend.rgr", noEnd, ":" + std::to_string(noEnd.size()) + ": the end marker /\\/EOF\\/\\ is missing"},
        {"foreign.rgr", foreign,
         ":" + modelLine + ": " + propClass + " model \"models/props_custom/statue.mdl\" is not in"},
    };
    for (const auto& [name, lines, expected] : cases) {
        const auto run = Kit({"check", Write(name, lines)});
        EXPECT_EQ(run.code, 1) << name;
        EXPECT_NE(run.out.find(Path(name) + expected), std::string::npos) << run.out;
    }
}

TEST_F(KitProgram, ImportWithCheckWritesNothingForABrokenRoomAndExportOpensAgain) {
    const auto shipped = (ShippedRooms() / "oneway_street_lane.rgr").string();
    const auto vmf = Path("room.vmf"), rgr = Path("room.rgr");
    ASSERT_EQ(Kit({"export", shipped, "-o", vmf}).code, 0);
    ASSERT_EQ(Kit({"import", vmf, "-o", rgr, "--check"}).code, 0);
    EXPECT_EQ(Load(rgr), Load(shipped));

    // Move the north connector off the door: the header then points at a wall.
    std::string text;
    ASSERT_TRUE(ReadFile(vmf, text));
    const auto at = text.find("\"origin\" \"0 384 0\"");
    ASSERT_NE(at, std::string::npos);
    ASSERT_TRUE(WriteFileAtomically(vmf, text.replace(at, 18, "\"origin\" \"200 384 0\"")));
    const auto run = Kit({"import", vmf, "-o", Path("broken.rgr"), "--check"});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.out.find("off the cell boundary"), std::string::npos) << run.out;
    EXPECT_FALSE(fs::exists(Path("broken.rgr")));
    EXPECT_EQ(Kit({"import", vmf}).code, 2);  // no output named
}

TEST_F(KitProgram, NewRoomsOfEveryFamilyStartOutPassingTheCheck) {
    const auto vmf = Path("new.vmf"), rgr = Path("new.rgr");
    for (int type = 0; type <= 6; ++type) {
        Lines args = {"new", "-o", vmf, "--type", std::to_string(type)};
        if (type % 2) args.insert(args.end(), {"--sky", "--height", "448"});
        ASSERT_EQ(Kit(args).code, 0) << type;
        ASSERT_EQ(Kit({"import", vmf, "-o", rgr, "--check"}).code, 0) << type;
        const auto lines = Load(rgr);
        EXPECT_EQ(lines[2], std::to_string(type));
        EXPECT_EQ(std::count(lines.begin(), lines.end(), kSkybox) > 0, type % 2 == 1);
    }
    fs::remove(vmf);
    EXPECT_EQ(Kit({"new", "-o", vmf, "--type", "1", "--height", "100"}).code, 2);  // lower than a doorway
    EXPECT_FALSE(fs::exists(vmf));
}

// Rooms built with the generator's builder, checked for the ways a player walks.

// That the planes enclose their brushes shows in the check passing on these rooms.
TEST(RoomBuilder, ShellFacesOutsideTheCellAreNodraw) {
    const Node map = OneWay().Finish("tests");
    int nodraw = 0;
    for (const Node* solid : map.Blocks("world").at(0)->Blocks("solid")) {
        for (const Node* side : solid->Blocks("side")) {
            Vec3 pts[3];
            ASSERT_TRUE(ParsePlanePoints(side->Get("plane"), pts));
            Plane plane;
            ASSERT_TRUE(PlaneFromPoints(pts[0], pts[1], pts[2], plane));
            const bool outside = (std::fabs(plane.normal.x) > 0.5 && std::fabs(std::fabs(plane.dist) - 384) < 0.01) ||
                                 (std::fabs(plane.normal.y) > 0.5 && std::fabs(std::fabs(plane.dist) - 384) < 0.01) ||
                                 (plane.normal.z < -0.5 && std::fabs(plane.dist - 16) < 0.01) ||
                                 (plane.normal.z > 0.5 && std::fabs(plane.dist - 272) < 0.01);
            EXPECT_EQ(side->Get("material") == kNodraw, outside) << side->Get("plane");
            nodraw += outside;
        }
    }
    EXPECT_GT(nodraw, 8);
}

TEST(RoomBuilder, OnlyTheShellAndWaterStayInTheWorld) {
    RoomBuilder b = OneWay();
    b.Box({-64, -64, 0}, {64, 64, 48}, kPlain.trim);
    b.Stairs(-32, 32, -200, 0, 32, North, kPlain.trim);
    b.Water({200, 200, 0}, {368, 368, 16}, "NATURE/WATER_CANALS_WATER2");
    const Node map = b.Finish("Tests");
    int world = 0, detail = 0, waterTops = 0;
    for (const auto& block : map.children) {
        if (block.key == "world") world = static_cast<int>(block.Blocks("solid").size());
        if (block.key == "entity" && block.Get("classname") == "func_detail")
            detail += static_cast<int>(block.Blocks("solid").size());
    }
    for (const auto& block : map.children)
        if (block.key == "world")
            for (const Node* solid : block.Blocks("solid"))
                for (const Node* side : solid->Blocks("side"))
                    if (side->Get("material") == "NATURE/WATER_CANALS_WATER2") {
                        ++waterTops;
                        Vec3 pts[3];
                        ASSERT_TRUE(ParsePlanePoints(side->Get("plane"), pts));
                        EXPECT_TRUE(pts[0].z == 16 && pts[1].z == 16 && pts[2].z == 16)
                            << "water shows on its top only";
                    }
    EXPECT_EQ(world, 10 + 6 + 1);  // the shell of a one-way room, its doorways' frames, and the water
    EXPECT_EQ(detail, 1 + 2);      // the block and two steps
    EXPECT_EQ(waterTops, 1);
}

TEST(RoomCheck, ARaisedDoorwayNeedsStairsOrARampToReachIt) {
    auto ledge = [](double doorZ, const std::function<void(RoomBuilder&)>& way) {
        RoomBuilder b = OneWay(doorZ, doorZ + 256);
        b.Box({-368, doorZ == 128 ? 176.0 : 224.0, 0}, {368, 368, doorZ}, kPlain.trim);
        if (way) way(b);
        return CheckRoom(Built(b));
    };
    EXPECT_TRUE(Mentions(ledge(128, nullptr), 12, "south doorway cannot be reached"));
    const auto stairs = ledge(128, [](RoomBuilder& b) { b.Stairs(-64, 64, -80, 0, 128, North, kPlain.trim); });
    EXPECT_TRUE(stairs.empty()) << Dump(stairs);
    const auto steep = ledge(128, [](RoomBuilder& b) { b.Stairs(-64, 64, 48, 0, 128, North, kPlain.trim, 32, 32); });
    EXPECT_TRUE(Mentions(steep, 12, "cannot be reached")) << "steps of 32 are too high to walk\n" << Dump(steep);
    const auto ramp = ledge(64, [](RoomBuilder& b) { b.Ramp({-96, 64, 0}, {96, 224, 64}, North, kPlain.trim); });
    EXPECT_TRUE(ramp.empty()) << Dump(ramp);
}

TEST(RoomCheck, SpawnGroupsMayNotCutTheWayAndPickupsMustBeWithinReach) {
    RoomBuilder b = OneWay();
    b.Box({-368, -8, 0}, {368, 8, 128}, kPlain.trim, &b.SpawnGroup("bar"));
    b.SpawnController({0, -200, 16}, {{"bar", 1}}, 1);
    b.Item({0, 0, 64}, 0);        // inside the bar
    b.Weapon({300, 300, 16}, 1);  // fine
    const auto issues = CheckRoom(Built(b));
    EXPECT_TRUE(Mentions(issues, 12, "south doorway cannot be reached")) << Dump(issues);
    EXPECT_TRUE(Mentions(issues, 0, "vornic_item at (0 0 64) sits inside a brush")) << Dump(issues);
    EXPECT_FALSE(Mentions(issues, 0, "vornic_weapon"));

    RoomBuilder shelf = OneWay(0, 256, 4);
    shelf.Box({-352, -96, 0}, {-288, 96, 96}, kPlain.trim);
    shelf.Item({-320, 0, 112}, 3);  // on top of a block taller than a step
    EXPECT_TRUE(Mentions(CheckRoom(Built(shelf)), 0, "cannot walk from the doorways")) << Dump(CheckRoom(Built(shelf)));
}

}  // namespace

namespace {

TEST(RoomCheck, TheKitNamesStructuralClutterForeignModelsAndStrayEntities) {
    const std::set<std::string> models{"models/props_c17/oildrum001.mdl"};
    RoomCheckOptions options;
    options.models = &models;
    RoomBuilder good = OneWay();
    good.Box({64, 64, 0}, {160, 160, 48}, kPlain.trim);                         // cover goes to the func_detail
    good.Water({-368, 100, 0}, {-300, 200, 16}, "NATURE/WATER_CANALS_WATER2");  // water stays in the world
    good.Prop("models/props_c17/OilDrum001.mdl", {200, 200, 0});                // the game ignores letter case
    ASSERT_TRUE(CheckRoom(Built(good), options).empty()) << Dump(CheckRoom(Built(good), options));

    RoomBuilder pillar = OneWay(), foreign = OneWay(), stray = OneWay();
    pillar.Box({-32, -32, 0}, {32, 32, 256}, kPlain.trim, &pillar.World());
    foreign.PropStatic("models/props_custom/statue.mdl", {0, 0, 0});
    stray.Entity("info_target", {0, 420, 64});
    const struct {
        Lines room;
        std::string words;
    } cases[] = {
        {Built(pillar), "touches no side of the cell, so it is no part of the shell, nor a wall dividing the room"},
        {Built(foreign), "prop_static model \"models/props_custom/statue.mdl\" is not in the list"},
        {Built(stray), "origin (0 420 64) lies outside the room's cell"},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(Mentions(CheckRoom(c.room, options), 0, c.words)) << c.words << "\n"
                                                                      << Dump(CheckRoom(c.room, options));
    // Without a list the models are not judged; the shape still is.
    EXPECT_TRUE(CheckRoom(Built(foreign), RoomCheckOptions{}).empty());
    EXPECT_FALSE(CheckRoom(Built(pillar), RoomCheckOptions{}).empty());
}

TEST(RoomCheck, NodesCoverEveryFloorAndDoorwayAndStayOutOfBrushes) {
    RoomCheckOptions options;
    const auto good = Built(OneWay());  // with the nodes the builder works out
    ASSERT_TRUE(CheckRoom(good, options).empty()) << Dump(CheckRoom(good, options));

    // None at all is one finding, not one for every spot and doorway as well.
    const auto bare = WithNodes(good, {});
    const auto none = CheckRoom(bare, options);
    ASSERT_EQ(none.size(), 1u) << Dump(none);
    EXPECT_TRUE(Mentions(none, kHeaderLines + 1, "the room has no info_node"));

    RoomBuilder wall = OneWay(), crate = OneWay();
    wall.Entity("info_node_hint", {200, 376, 64});  // inside the north wall
    crate.Box({-300, -300, 0}, {-200, -200, 48}, kPlain.trim);
    crate.Entity("info_node", {-250, -250, 8});
    std::vector<std::pair<std::string, Vec3>> half, doorless;
    for (const double x : {-256.0, 0.0, 256.0}) {
        half.push_back({"info_node", {x, -256, 8}});
        for (const double y : {-256.0, 0.0, 256.0}) doorless.push_back({"info_node", {x, y, 8}});
    }
    half.push_back({"info_node", {0, 336, 8}});
    half.push_back({"info_node", {0, -336, 8}});
    const struct {
        Lines room;
        int line;
        std::string words;
    } cases[] = {
        {Built(wall), 0, "info_node_hint at (200 376 64) sits inside a brush"},
        {Built(crate), 0, "info_node at (-250 -250 8) sits inside a brush"},
        {WithNodes(good, half), kHeaderLines + 1, "units from the nearest info_node ("},
        {WithNodes(good, doorless), 4, "no info_node within 96 units of the north doorway at (0 384 0)"},
        {WithNodes(good, doorless), 12, "no info_node within 96 units of the south doorway at (0 -384 0)"},
    };
    // The allowance passes a room without nodes (and says so), never one with them.
    std::vector<Issue> allowed;
    options.allowMissingNodes = true;
    options.allowed = &allowed;
    EXPECT_TRUE(CheckRoom(bare, options).empty());
    EXPECT_EQ(allowed.size(), 1u);
    for (const auto& c : cases)
        EXPECT_TRUE(Mentions(CheckRoom(c.room, options), c.line, c.words)) << c.words << "\n"
                                                                           << Dump(CheckRoom(c.room, options));
    EXPECT_FALSE(Mentions(CheckRoom(WithNodes(good, doorless), options), 0, "units from the nearest"))
        << "the grid covers the floor";
    // Standing on water is no walking: pools far from every node are no fault.
    RoomBuilder pools = OneWay();
    pools.Water({-368, -368, 0}, {-128, -128, 16}, "NATURE/WATER_CANALS_WATER2");
    pools.Water({128, -368, 0}, {368, -128, 16}, "NATURE/WATER_CANALS_WATER2");
    std::vector<std::pair<std::string, Vec3>> dry = {{"info_node", {0, 336, 8}}, {"info_node", {0, -336, 8}}};
    for (const double x : {-256.0, 0.0, 256.0})
        for (const double y : {0.0, 256.0}) dry.push_back({"info_node", {x, y, 8}});
    const auto wet = CheckRoom(WithNodes(Built(pools), dry), options);
    EXPECT_FALSE(Mentions(wet, 0, "units from the nearest")) << Dump(wet);
    EXPECT_TRUE(Mentions(CheckRoom(WithNodes(Built(OneWay()), dry), options), 0, "units from the nearest"));
}

TEST(RoomCheck, AStaticPropNeedsAModelMarkedStatic) {
    const std::string chair = "models/props_c17/chair02a.mdl", lamp = "models/props_c17/lamp001a.mdl",
                      crate = "models/props_junk/wood_crate001a.mdl";
    const std::set<std::string> models{chair, lamp, crate};
    const ModelKinds kinds{{chair, PropUse::Physics}, {lamp, PropUse::Static}, {crate, PropUse::Unknown}};
    RoomCheckOptions options;
    options.models = &models;
    options.modelKinds = &kinds;
    options.nodes = false;
    RoomBuilder fine = OneWay(), physicsStatic = OneWay(), unknownStatic = OneWay();
    fine.PropStatic("models/props_c17/Lamp001a.mdl", {200, 200, 0});
    fine.Prop(chair, {-200, 200, 0});
    fine.Prop(crate, {-200, -200, 0});
    physicsStatic.PropStatic(chair, {-200, 200, 0});
    unknownStatic.PropStatic(crate, {-200, -200, 0});
    EXPECT_TRUE(CheckRoom(Built(fine), options).empty()) << Dump(CheckRoom(Built(fine), options));
    EXPECT_TRUE(Mentions(CheckRoom(Built(physicsStatic), options), 0,
                         "prop_static model \"" + chair + "\" has physics data (marked physics in hl2_models.txt)"));
    EXPECT_TRUE(Mentions(CheckRoom(Built(unknownStatic), options), 0, "(marked unknown in hl2_models.txt)"));
    // The build's allowance lets an unknown model stand as a static prop for now, never a physics one.
    std::vector<Issue> allowed;
    options.allowUnmarkedModels = true;
    options.allowed = &allowed;
    EXPECT_TRUE(CheckRoom(Built(unknownStatic), options).empty());
    EXPECT_EQ(allowed.size(), 1u);
    EXPECT_TRUE(Mentions(CheckRoom(Built(physicsStatic), options), 0, "has physics data"));
}

TEST_F(KitProgram, CheckNamesTheAllowancesThatLetARoomPass) {
    const std::string room = Write("bare.rgr", WithNodes(Built(OneWay()), {}));
    const auto strict = Kit({"check", room});
    EXPECT_EQ(strict.code, 1);
    EXPECT_NE(strict.out.find(room + ":22: the room has no info_node"), std::string::npos) << strict.out;
    const auto allowing = Kit({"check", "--allow-missing-nodes", room});
    EXPECT_EQ(allowing.code, 0) << allowing.out;
    EXPECT_NE(allowing.out.find(room + ": ok (allowed: no info_node)"), std::string::npos) << allowing.out;
    EXPECT_EQ(Kit({"check", "--allow-everything", room}).code, 2);
}

TEST(RoomCheck, AWideGateIsJudgedByItsKind) {
    RoomBuilder b("Gate Hall", 0, "A hall with a wide gate");
    ShellPlan s;
    s.mats = kPlain;
    s.open = OpenSides(0);
    s.kind = {kWideGateKind, 0, 0, 0};
    b.MakeShell(s);
    b.Light({0, 0, 200});
    const auto gate = Built(b);
    ASSERT_EQ(gate[6], "1");  // header line 7: the north kind, taken from the connector
    EXPECT_TRUE(CheckRoom(gate).empty()) << Dump(CheckRoom(gate));
    // The same opening filed as a plain doorway is a hole in the wall, and a plain doorway
    // filed as a gate is too narrow.
    auto plain = gate;
    plain[6] = "0";
    EXPECT_TRUE(Mentions(CheckRoom(plain), 4, "north wall has a hole")) << Dump(CheckRoom(plain));
    auto narrow = Built(OneWay());
    narrow[6] = "1";
    EXPECT_TRUE(Mentions(CheckRoom(narrow), 4, "north doorway is blocked")) << Dump(CheckRoom(narrow));
}

}  // namespace
