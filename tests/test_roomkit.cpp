#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <sys/wait.h>

#include "roomkit/brush.h"
#include "roomkit/kit.h"
#include "roomkit/room_check.h"
#include "roomkit/room_file.h"
#include "roomkit/vmf.h"

namespace fs = std::filesystem;
using namespace roomkit;

namespace {

fs::path ShippedRooms() { return fs::path(TESSELLON_BINARY).parent_path() / "rooms"; }

std::vector<fs::path> ShippedRoomFiles() {
    std::vector<fs::path> out;
    for (const auto& e : fs::directory_iterator(ShippedRooms()))
        if (e.path().extension() == ".rgr") out.push_back(e.path());
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<std::string> Load(const fs::path& p) {
    std::string text;
    EXPECT_TRUE(ReadFile(p.string(), text)) << p;
    return SplitLines(text);
}

bool Mentions(const std::vector<Issue>& issues, int line, const std::string& words) {
    for (const auto& i : issues)
        if (i.line == line && i.message.find(words) != std::string::npos) return true;
    return false;
}

std::string Dump(const std::vector<Issue>& issues) { return FormatIssues("room", issues); }

// Removes the n-th top-level block named `name` (counting from 0) from the body.
std::vector<std::string> WithoutBlock(std::vector<std::string> lines, const std::string& name, int n) {
    int depth = 0, seen = -1;
    for (size_t i = kHeaderLines; i + 1 < lines.size(); ++i) {
        if (lines[i] == "{") ++depth;
        if (lines[i] == "}") --depth;
        if (depth == 0 && lines[i] == name && lines[i + 1] == "{" && ++seen == n) {
            size_t j = i + 1;
            int d = 0;
            do {
                if (lines[j] == "{") ++d;
                if (lines[j] == "}") --d;
                ++j;
            } while (d > 0);
            lines.erase(lines.begin() + static_cast<long>(i), lines.begin() + static_cast<long>(j));
            return lines;
        }
    }
    ADD_FAILURE() << "no block " << name << " #" << n;
    return lines;
}

// A small valid room map: a one-way part (open north and south) built as Hammer writes it.
std::string Box(double x0, double y0, double z0, double x1, double y1, double z1, int& id) {
    auto p = [](double x, double y, double z) {
        return "(" + FormatCoord(x) + " " + FormatCoord(y) + " " + FormatCoord(z) + ")";
    };
    auto side = [&](const std::string& plane, const char* u, const char* v) {
        return "side\n{\n\"id\" \"" + std::to_string(id++) + "\"\n\"plane\" \"" + plane +
               "\"\n\"material\" \"CONCRETE/CONCRETEFLOOR001A\"\n\"uaxis\" \"" + u + "\"\n\"vaxis\" \"" + v +
               "\"\n}\n";
    };
    const char* ux = "[1 0 0 0] 0.25";
    const char* uy = "[0 1 0 0] 0.25";
    const char* vy = "[0 -1 0 0] 0.25";
    const char* vz = "[0 0 -1 0] 0.25";
    std::string s = "solid\n{\n\"id\" \"" + std::to_string(id++) + "\"\n";
    s += side(p(x0, y1, z1) + " " + p(x1, y1, z1) + " " + p(x1, y0, z1), ux, vy);  // top
    s += side(p(x0, y0, z0) + " " + p(x1, y0, z0) + " " + p(x1, y1, z0), ux, vy);  // bottom
    s += side(p(x0, y1, z1) + " " + p(x0, y0, z1) + " " + p(x0, y0, z0), uy, vz);  // west
    s += side(p(x1, y1, z0) + " " + p(x1, y0, z0) + " " + p(x1, y0, z1), uy, vz);  // east
    s += side(p(x1, y1, z1) + " " + p(x0, y1, z1) + " " + p(x0, y1, z0), ux, vz);  // north
    s += side(p(x1, y0, z0) + " " + p(x0, y0, z0) + " " + p(x0, y0, z1), ux, vz);  // south
    s += "editor\n{\n\"color\" \"0 255 0\"\n}\n}\n";
    return s;
}

std::string SmallRoomVmf(const std::string& extraEntity = "") {
    int id = 2;
    std::string w = "versioninfo\n{\n\"editorversion\" \"400\"\n}\nworld\n{\n\"id\" \"1\"\n\"classname\" \"worldspawn\"\n";
    w += Box(-384, -384, -16, 384, 384, 0, id);   // floor
    w += Box(-384, -384, 256, 384, 384, 272, id);  // ceiling
    for (double sgn : {1.0, -1.0}) {               // north and south walls with doorways
        const double y0 = sgn > 0 ? 368 : -384, y1 = sgn > 0 ? 384 : -368;
        w += Box(-384, y0, 0, -96, y1, 256, id);
        w += Box(96, y0, 0, 384, y1, 256, id);
        w += Box(-96, y0, 192, 96, y1, 256, id);
    }
    w += Box(368, -368, 0, 384, 368, 256, id);    // east wall
    w += Box(-384, -368, 0, -368, 368, 256, id);  // west wall
    w += "}\n";
    w += "entity\n{\n\"id\" \"90\"\n\"classname\" \"vornic_info\"\n\"roomname\" \"Test Hall\"\n\"genre\" \"0\"\n"
         "\"roomtype\" \"0\"\n\"description\" \"A hall for tests\"\n\"author\" \"Tests\"\n\"origin\" \"0 0 8\"\n}\n";
    w += "entity\n{\n\"id\" \"91\"\n\"classname\" \"vornic_connector\"\n\"kind\" \"0\"\n\"origin\" \"0 384 0\"\n}\n";
    w += "entity\n{\n\"id\" \"92\"\n\"classname\" \"vornic_connector\"\n\"origin\" \"0 -384 0\"\n}\n";
    w += "entity\n{\n\"id\" \"93\"\n\"classname\" \"light\"\n\"_light\" \"255 255 255 200\"\n\"origin\" \"0 0 200\"\n}\n";
    w += extraEntity;
    return w;
}

TEST(VmfReader, ReadsNestedBlocksAndReportsTheLineOfBrokenStructure) {
    const auto root = ParseVmf("// a comment\nworld\n{\n\t\"id\" \"1\"\n\tsolid\n\t{\n\t\t\"id\" \"2\"\n\t}\n}\n");
    ASSERT_EQ(root.children.size(), 1u);
    const auto& world = root.children[0];
    EXPECT_EQ(world.Get("ID"), "1");  // key names are matched without regard to case
    ASSERT_EQ(world.Blocks("solid").size(), 1u);
    EXPECT_EQ(world.Blocks("solid")[0]->line, 5);

    try {
        ParseVmf("world\n{\n\"id\" \"1\"\nsolid\n{\n");
        FAIL() << "an unclosed block was accepted";
    } catch (const ParseError& e) {
        EXPECT_EQ(e.line, 4);
    }
    EXPECT_THROW(ParseVmf("world\n{\n\"id\"\n}\n"), ParseError);  // key without value
    EXPECT_THROW(ParseVmf("}\n"), ParseError);
}

TEST(BrushGeometry, PlanesFaceOutwardAndBoxesHaveEightCorners) {
    // Hammer's top face of a box: its normal must point up.
    Plane top;
    ASSERT_TRUE(PlaneFromPoints({-64, 64, 64}, {64, 64, 64}, {64, -64, 64}, top));
    EXPECT_NEAR(top.normal.z, 1, 1e-9);
    EXPECT_NEAR(top.dist, 64, 1e-9);
    EXPECT_FALSE(PlaneFromPoints({0, 0, 0}, {1, 1, 1}, {2, 2, 2}, top));

    int id = 1;
    const auto map = ParseVmf(Box(-16, -32, 0, 16, 32, 8, id));
    std::string error;
    int line = 0;
    auto brush = BrushFromSolid(map.children[0], error, line);
    ASSERT_TRUE(brush) << error;
    EXPECT_EQ(brush->vertices.size(), 8u);
    EXPECT_TRUE(brush->Contains({0, 0, 4}));
    EXPECT_FALSE(brush->Contains({0, 40, 4}));
    EXPECT_FALSE(brush->Contains({16, 0, 4}));  // on a face is not inside
    EXPECT_DOUBLE_EQ(brush->Max().y, 32);

    // Planes that enclose nothing: the same box with one face turned inside out.
    std::string flipped = Box(-16, -32, 0, 16, 32, 8, id);
    flipped.replace(flipped.find("(-16 32 8) (16 32 8) (16 -32 8)"), 31, "(16 -32 8) (16 32 8) (-16 32 8)");
    EXPECT_FALSE(BrushFromSolid(ParseVmf(flipped).children[0], error, line));
}

TEST(RoomImport, TakesTheHeaderFromTheMarkersAndWritesOneTokenPerLine) {
    int id = 500;
    const auto lines = ImportRoom(ParseVmf(SmallRoomVmf(
        "entity\n{\n\"id\" \"94\"\n\"classname\" \"trigger_once\"\nconnections\n{\n\"OnTrigger\" \"msg\x1b"
        "Display\x1b\x1b"
        "0\x1b-1\"\n}\n" +
        Box(-64, -64, 0, 64, 64, 64, id) + "}\n")));
    ASSERT_GE(lines.size(), 21u);
    EXPECT_EQ(lines[0], "Test Hall");
    EXPECT_EQ(lines[2], "0");
    const std::vector<std::string> north{lines[3], lines[4], lines[5], lines[6]};
    EXPECT_EQ(north, (std::vector<std::string>{"0", "384", "0", "0"}));
    const std::vector<std::string> east{lines[7], lines[8], lines[9], lines[10]};
    EXPECT_EQ(east, (std::vector<std::string>{"0", "0", "0", "0"}));
    EXPECT_EQ(lines[12], "-384");  // south Y
    EXPECT_EQ(lines[14], "0");     // a connector without a kind key is kind 0
    EXPECT_EQ(lines[19], "A hall for tests");
    EXPECT_EQ(lines[20], "Tests");
    EXPECT_EQ(lines[21], "solid");
    EXPECT_EQ(lines[22], "{");
    EXPECT_EQ(lines.back(), kEndOfFile);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), kWorldEnd), 1);
    // Editor-only blocks stay behind; output fields are joined with commas.
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "editor"), 0);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "msg,Display,,0,-1"), lines.end());
    EXPECT_TRUE(CheckRoom(lines).empty()) << Dump(CheckRoom(lines));

    // What the mapper has hidden in Hammer is still part of the room.
    const std::string hidden = SmallRoomVmf("hidden\n{\nentity\n{\n\"id\" \"96\"\n\"classname\" \"vornic_npc\"\n"
                                      "\"origin\" \"0 0 8\"\n}\n}\n");
    const auto withHidden = ImportRoom(ParseVmf(hidden));
    EXPECT_NE(std::find(withHidden.begin(), withHidden.end(), "vornic_npc"), withHidden.end());
    id = 700;
    const auto hiddenSolid = ImportRoom(ParseVmf(SmallRoomVmf() + "world\n{\nhidden\n{\n" +
                                                 Box(-200, -200, 0, -100, -100, 32, id) + "}\n}\n"));
    EXPECT_EQ(std::count(hiddenSolid.begin(), hiddenSolid.end(), "solid"),
              std::count(withHidden.begin(), withHidden.end(), "solid") + 1);
}

TEST(RoomImport, RefusesMapsThatCannotMakeARoom) {
    auto importError = [](const std::string& vmf) -> std::string {
        try {
            ImportRoom(ParseVmf(vmf));
        } catch (const ParseError& e) {
            return std::to_string(e.line) + ": " + e.message;
        }
        return "";
    };
    std::string noInfo = SmallRoomVmf();
    noInfo.replace(noInfo.find("vornic_info"), 11, "info_target");
    EXPECT_NE(importError(noInfo).find("no vornic_info"), std::string::npos);

    const std::string offCell =
        SmallRoomVmf("entity\n{\n\"id\" \"95\"\n\"classname\" \"vornic_connector\"\n\"origin\" \"100 200 0\"\n}\n");
    EXPECT_NE(importError(offCell).find("lies on no side of the cell"), std::string::npos);

    const std::string quoted =
        SmallRoomVmf("entity\n{\n\"id\" \"95\"\n\"classname\" \"game_text\"\n\"message\" \"It's over\"\n}\n");
    EXPECT_NE(importError(quoted).find("quote"), std::string::npos);
}

TEST(RoomCheck, NamesTheLineOfHeaderAndStructureFaults) {
    const auto good = ImportRoom(ParseVmf(SmallRoomVmf()));
    ASSERT_TRUE(CheckRoom(good).empty()) << Dump(CheckRoom(good));

    auto badType = good;
    badType[2] = "7";
    EXPECT_TRUE(Mentions(CheckRoom(badType), 3, "room type"));

    auto comma = good;
    comma[4] = "384,5";  // a decimal comma instead of a period
    EXPECT_TRUE(Mentions(CheckRoom(comma), 5, "period"));

    auto shortFile = std::vector<std::string>(good.begin(), good.begin() + 12);
    EXPECT_TRUE(Mentions(CheckRoom(shortFile), 13, "21 header lines"));

    auto extraBrace = good;
    extraBrace.insert(extraBrace.begin() + 30, "}");
    const auto issues = CheckRoom(extraBrace);
    EXPECT_FALSE(issues.empty());
    EXPECT_TRUE(std::any_of(issues.begin(), issues.end(),
                            [](const Issue& i) { return i.message.find("not closed") != std::string::npos ||
                                                        i.message.find("closes no block") != std::string::npos; }))
        << Dump(issues);

    auto noWorldEnd = good;
    noWorldEnd.erase(std::find(noWorldEnd.begin(), noWorldEnd.end(), kWorldEnd));
    EXPECT_FALSE(CheckRoom(noWorldEnd).empty());
}

TEST(RoomCheck, FindsHolesBlockedDoorwaysAndThingsOutsideTheCell) {
    const auto good = ImportRoom(ParseVmf(SmallRoomVmf()));
    // Solids: 0 floor, 1 ceiling, 2..4 north wall, 5..7 south wall, 8 east, 9 west.
    EXPECT_TRUE(Mentions(CheckRoom(WithoutBlock(good, "solid", 8)), 8, "closed east side has a hole"));
    EXPECT_TRUE(Mentions(CheckRoom(WithoutBlock(good, "solid", 4)), 4, "north wall has a hole"));
    EXPECT_TRUE(Mentions(CheckRoom(WithoutBlock(good, "solid", 0)), 22, "bottom is open"));

    int id = 200;
    const auto blocked = ImportRoom(ParseVmf(SmallRoomVmf() + "world\n{\n" + Box(-32, 360, 0, 32, 384, 64, id) + "}\n"));
    EXPECT_TRUE(Mentions(CheckRoom(blocked), 4, "north doorway is blocked")) << Dump(CheckRoom(blocked));

    const auto outside = ImportRoom(ParseVmf(SmallRoomVmf() + "world\n{\n" + Box(0, 0, 0, 400, 16, 16, id) + "}\n"));
    const auto outsideIssues = CheckRoom(outside);
    EXPECT_TRUE(std::any_of(outsideIssues.begin(), outsideIssues.end(),
                            [](const Issue& i) { return i.message.find("outside the room's cell") != std::string::npos; }))
        << Dump(outsideIssues);

    // The markers must agree with the header.
    auto noMarker = WithoutBlock(good, "entity", 2);  // the south connector
    EXPECT_TRUE(Mentions(CheckRoom(noMarker), 12, "no vornic_connector"));
}

TEST(RoomCheck, TheSealingFloodFindsGapsTooThinForTheWallSamples) {
    const auto good = ImportRoom(ParseVmf(SmallRoomVmf()));
    // The west wall (the tenth solid) split by a 2-unit slit between the 8-unit samples.
    auto slit = WithoutBlock(good, "solid", 9);
    int id = 400;
    const auto parts = ImportRoom(ParseVmf("world\n{\n" + Box(-384, -368, 0, -368, 101, 256, id) +
                                           Box(-384, 103, 0, -368, 368, 256, id) + "}\n" +
                                           "entity\n{\n\"classname\" \"vornic_info\"\n}\n"));
    const auto worldEnd = std::find(parts.begin(), parts.end(), kWorldEnd);
    slit.insert(slit.begin() + kHeaderLines, parts.begin() + kHeaderLines, worldEnd);
    const auto issues = CheckRoom(slit);
    EXPECT_FALSE(std::any_of(issues.begin(), issues.end(),
                             [](const Issue& i) { return i.message.find("hole") != std::string::npos; }))
        << "the slit is narrower than the sampling, so only the flood can see it\n" << Dump(issues);
    EXPECT_TRUE(std::any_of(issues.begin(), issues.end(), [](const Issue& i) {
        return i.message.find("leaks with its doorways plugged") != std::string::npos;
    })) << Dump(issues);

    // A trigger brush is no wall.
    auto triggerWall = good;
    for (size_t i = 0; i < triggerWall.size(); ++i)
        if (triggerWall[i] == "material") triggerWall[i + 1] = "TOOLS/TOOLSTRIGGER";
    const auto triggerIssues = CheckRoom(triggerWall);
    EXPECT_TRUE(std::any_of(triggerIssues.begin(), triggerIssues.end(), [](const Issue& i) {
        return i.message.find("leaks with its doorways plugged") != std::string::npos;
    })) << Dump(triggerIssues);
}

// The shipped library, as the build made it beside the program.

TEST(ShippedRooms, EveryRoomPassesTheCheckAndSurvivesExportAndImport) {
    const auto files = ShippedRoomFiles();
    ASSERT_GE(files.size(), 28u);
    for (const auto& f : files) {
        const auto lines = Load(f);
        const auto issues = CheckRoom(lines);
        EXPECT_TRUE(issues.empty()) << Dump(issues);
        const auto again = ImportRoom(ParseVmf(WriteVmf(ExportRoom(lines))));
        EXPECT_EQ(again, lines) << f << " changed on its way through Hammer's format";
    }
}

struct RoomFacts {
    int type = -1;
    std::set<std::string> classes;
    std::set<std::pair<std::string, std::string>> spawnModes;  // (class, spawnwhat)
    bool sky = false, heightChange = false, groupsMatch = true;
    std::vector<std::string> materials;
};

void Walk(const Node& n, RoomFacts& f, std::set<std::string>& groups, std::set<std::string>& controlled) {
    for (const auto& c : n.children) {
        if (c.isBlock) {
            if (c.key == "entity") {
                const std::string cls = c.Get("classname");
                f.classes.insert(cls);
                if (cls == "vornic_item" || cls == "vornic_weapon") f.spawnModes.insert({cls, c.Get("spawnwhat")});
                if (cls == "func_vornic_spawngroup") groups.insert(c.Get("targetname"));
                if (cls == "vornic_spawn_contoller")
                    for (int k = 1; k <= 6; ++k)
                        if (!c.Get("controll" + std::to_string(k)).empty())
                            controlled.insert(c.Get("controll" + std::to_string(k)));
            }
            Walk(c, f, groups, controlled);
        } else if (c.key == "material") {
            f.materials.push_back(c.value);
            if (c.value == "TOOLS/TOOLSSKYBOX") f.sky = true;
        }
    }
}

TEST(ShippedRooms, TheLibraryCoversEveryFamilyAndEveryKindOfPlaceholder) {
    std::map<int, int> perFamily;
    std::set<std::pair<std::string, std::string>> modes;
    int sky = 0, climbing = 0, withController = 0;
    for (const auto& f : ShippedRoomFiles()) {
        const auto lines = Load(f);
        const RoomBody body = ParseBody(lines);
        RoomFacts facts;
        facts.type = std::stoi(lines[2]);
        std::set<std::string> groups, controlled;
        Walk(body.world, facts, groups, controlled);
        Walk(body.entities, facts, groups, controlled);
        ++perFamily[facts.type];
        modes.insert(facts.spawnModes.begin(), facts.spawnModes.end());
        sky += facts.sky;
        std::set<std::string> doorHeights;
        for (int s = 0; s < 4; ++s)
            if (OpenSides(facts.type)[static_cast<size_t>(s)]) doorHeights.insert(lines[static_cast<size_t>(5 + 4 * s)]);
        climbing += doorHeights.size() > 1;
        EXPECT_TRUE(facts.classes.count("light") || facts.classes.count("light_spot")) << f << " has no light";
        // Every spawn group a controller names is in the same room, and every group is named.
        EXPECT_EQ(groups, controlled) << f;
        withController += !controlled.empty();
        EXPECT_EQ(facts.type == 5, facts.classes.count("info_player_start") == 1) << f;
        if (facts.type == 6) {
            EXPECT_TRUE(facts.classes.count("trigger_once") && facts.classes.count("game_text") &&
                        facts.classes.count("env_fade"))
                << f << " does not tell the player they made it";
        }
        for (const auto& m : facts.materials) EXPECT_NE(m.find('/'), std::string::npos) << f << ": " << m;
    }
    for (int family = 0; family <= 6; ++family) EXPECT_GE(perFamily[family], 4) << "family " << family;
    for (const std::string cls : {"vornic_item", "vornic_weapon"})
        for (int mode = 0; mode <= 4; ++mode)
            EXPECT_TRUE(modes.count({cls, std::to_string(mode)})) << cls << " spawnwhat " << mode;
    EXPECT_GE(sky, 4);
    EXPECT_GE(climbing, 3);
    EXPECT_GE(withController, 3);
}

// The kit as the room manager starts it.

int RunKitBinary(const std::string& args, std::string& output) {
    const std::string kit = (fs::path(TESSELLON_BINARY).parent_path() / "tessellonsdk").string();
    const std::string cmd = "\"" + kit + "\" " + args + " 2>&1";
    output.clear();
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return -1;
    char buf[512];
    while (fgets(buf, sizeof buf, p)) output += buf;
    const int status = pclose(p);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class KitProgram : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("tessellon_kit_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Write(const std::string& name, const std::vector<std::string>& lines) {
        const auto p = (dir_ / name).string();
        EXPECT_TRUE(WriteFileAtomically(p, JoinCrlf(lines)));
        return p;
    }
    fs::path dir_;
};

TEST_F(KitProgram, CheckPassesOnEveryShippedRoom) {
    std::string args = "check";
    for (const auto& f : ShippedRoomFiles()) args += " \"" + f.string() + "\"";
    std::string out;
    EXPECT_EQ(RunKitBinary(args, out), 0) << out;
}

TEST_F(KitProgram, CheckFailsWithFileAndLineOnBrokenRooms) {
    const auto room = Load(ShippedRooms() / "turn_concrete_bend.rgr");
    ASSERT_TRUE(CheckRoom(room).empty());
    std::string out;

    // A missing wall: the tenth solid of the shell is the west wall, closed in a turn part.
    const auto noWall = Write("nowall.rgr", WithoutBlock(room, "solid", 9));
    EXPECT_EQ(RunKitBinary("check \"" + noWall + "\"", out), 1);
    EXPECT_NE(out.find(noWall + ":16: the closed west side has a hole"), std::string::npos) << out;

    // A door point off the boundary.
    auto offPoint = room;
    offPoint[7] = "352";  // east X
    const auto off = Write("offpoint.rgr", offPoint);
    EXPECT_EQ(RunKitBinary("check \"" + off + "\"", out), 1);
    EXPECT_NE(out.find(off + ":8: east connection point (352 0 0) is off the cell boundary"), std::string::npos) << out;

    // A missing end marker.
    auto noEnd = room;
    noEnd.erase(std::find(noEnd.begin(), noEnd.end(), kEndOfFile));
    const auto end = Write("noend.rgr", noEnd);
    EXPECT_EQ(RunKitBinary("check \"" + end + "\"", out), 1);
    EXPECT_NE(out.find(end + ":" + std::to_string(noEnd.size()) + ": the end marker /\\/EOF\\/\\ is missing"),
              std::string::npos)
        << out;
}

TEST_F(KitProgram, ImportWithCheckWritesNothingForABrokenRoomAndExportOpensAgain) {
    std::string out;
    const auto vmf = (dir_ / "room.vmf").string();
    ASSERT_EQ(RunKitBinary("export \"" + (ShippedRooms() / "oneway_sky_yard.rgr").string() + "\" -o \"" + vmf + "\"", out), 0)
        << out;
    const auto rgr = (dir_ / "room.rgr").string();
    ASSERT_EQ(RunKitBinary("import \"" + vmf + "\" -o \"" + rgr + "\" --check", out), 0) << out;
    EXPECT_EQ(Load(rgr), Load(ShippedRooms() / "oneway_sky_yard.rgr"));

    // Move the north connector off the door: the header then points at a wall.
    std::string text;
    ASSERT_TRUE(ReadFile(vmf, text));
    const auto at = text.find("\"origin\" \"0 384 0\"");
    ASSERT_NE(at, std::string::npos);
    text.replace(at, 18, "\"origin\" \"200 384 0\"");
    ASSERT_TRUE(WriteFileAtomically(vmf, text));
    EXPECT_EQ(RunKitBinary("import \"" + vmf + "\" -o \"" + rgr + "\" --check", out), 1);
    EXPECT_NE(out.find("off the cell boundary"), std::string::npos) << out;
    EXPECT_FALSE(fs::exists(rgr));

    EXPECT_EQ(RunKitBinary("frobnicate", out), 2);
    EXPECT_EQ(RunKitBinary("import \"" + vmf + "\"", out), 2);
}

TEST_F(KitProgram, NewRoomsOfEveryFamilyStartOutPassingTheCheck) {
    std::string out;
    for (int type = 0; type <= 6; ++type) {
        const auto vmf = (dir_ / ("new" + std::to_string(type) + ".vmf")).string();
        const auto rgr = (dir_ / ("new" + std::to_string(type) + ".rgr")).string();
        const std::string sky = type % 2 ? " --sky --height 448" : "";
        ASSERT_EQ(RunKitBinary("new -o \"" + vmf + "\" --type " + std::to_string(type) + sky, out), 0) << out;
        ASSERT_EQ(RunKitBinary("import \"" + vmf + "\" -o \"" + rgr + "\" --check", out), 0) << out;
        const auto lines = Load(rgr);
        EXPECT_EQ(lines[2], std::to_string(type));
        EXPECT_EQ(std::find(lines.begin(), lines.end(), "TOOLS/TOOLSSKYBOX") != lines.end(), type % 2 == 1);
    }
    EXPECT_EQ(RunKitBinary("new -o \"" + (dir_ / "x.vmf").string() + "\" --type 9", out), 2);
    EXPECT_EQ(RunKitBinary("new -o \"" + (dir_ / "x.vmf").string() + "\" --type 1 --height 100", out), 2);
    EXPECT_FALSE(fs::exists(dir_ / "x.vmf"));
}

}  // namespace

// Rooms built with the generator's builder, checked for the ways a player walks.

#include "roomgen/library.h"
#include "roomkit/room_builder.h"

namespace {

using roomkit::RoomBuilder;
using roomkit::ShellPlan;

const roomkit::Materials kPlain{"CONCRETE/CONCRETEFLOOR001A", "CONCRETE/CONCRETEWALL001A",
                                "CONCRETE/CONCRETECEILING001A", "METAL/METALWALL001A"};

ShellPlan OneWay(double northZ, double height) {
    ShellPlan s;
    s.mats = kPlain;
    s.height = height;
    s.open = OpenSides(0);
    s.doorZ = {northZ, 0, 0, 0};
    return s;
}

std::vector<std::string> Built(RoomBuilder& b) { return ImportRoom(b.Finish("tests")); }

TEST(RoomBuilder, ShellFacesOutsideTheCellAreNodrawAndEveryFaceLooksOutwards) {
    RoomBuilder b("Shell", 0, "");
    b.MakeShell(OneWay(0, 256));
    b.Light({0, 0, 200});
    const Node map = b.Finish("tests");
    const Node* world = map.Blocks("world").at(0);
    int nodraw = 0;
    for (const Node* solid : world->Blocks("solid")) {
        std::string error;
        int line = 0;
        ASSERT_TRUE(BrushFromSolid(*solid, error, line)) << error;  // the planes enclose the brush
        for (const Node* side : solid->Blocks("side")) {
            Vec3 pts[3];
            ASSERT_TRUE(ParsePlanePoints(side->Get("plane"), pts));
            Plane plane;
            ASSERT_TRUE(PlaneFromPoints(pts[0], pts[1], pts[2], plane));
            const bool outside =
                (std::fabs(plane.normal.x) > 0.5 && std::fabs(std::fabs(plane.dist) - 384) < 0.01) ||
                (std::fabs(plane.normal.y) > 0.5 && std::fabs(std::fabs(plane.dist) - 384) < 0.01) ||
                (plane.normal.z < -0.5 && std::fabs(plane.dist - 16) < 0.01) ||
                (plane.normal.z > 0.5 && std::fabs(plane.dist - 272) < 0.01);
            EXPECT_EQ(side->Get("material") == "TOOLS/TOOLSNODRAW", outside) << side->Get("plane");
            nodraw += outside;
        }
    }
    EXPECT_GT(nodraw, 8);
    EXPECT_TRUE(CheckRoom(Built(b)).empty()) << Dump(CheckRoom(Built(b)));
}

TEST(RoomCheck, ARaisedDoorwayNeedsStairsOrARampToReachIt) {
    RoomBuilder bare("Ledge", 0, "");
    bare.MakeShell(OneWay(128, 384));
    bare.Box({-368, 176, 0}, {368, 368, 128}, "METAL/METALWALL001A");
    bare.Light({0, 0, 300});
    EXPECT_TRUE(Mentions(CheckRoom(Built(bare)), 12, "south doorway cannot be reached")) << Dump(CheckRoom(Built(bare)));

    RoomBuilder stairs("Ledge", 0, "");
    stairs.MakeShell(OneWay(128, 384));
    stairs.Box({-368, 176, 0}, {368, 368, 128}, "METAL/METALWALL001A");
    stairs.Stairs(-64, 64, -80, 0, 128, North, "METAL/METALWALL001A");
    stairs.Light({0, 0, 300});
    EXPECT_TRUE(CheckRoom(Built(stairs)).empty()) << Dump(CheckRoom(Built(stairs)));

    // Steps of 32 are too high to walk.
    RoomBuilder steep("Ledge", 0, "");
    steep.MakeShell(OneWay(128, 384));
    steep.Box({-368, 176, 0}, {368, 368, 128}, "METAL/METALWALL001A");
    steep.Stairs(-64, 64, 48, 0, 128, North, "METAL/METALWALL001A", 32, 32);
    steep.Light({0, 0, 300});
    EXPECT_TRUE(Mentions(CheckRoom(Built(steep)), 12, "cannot be reached")) << Dump(CheckRoom(Built(steep)));

    RoomBuilder ramp("Ramp", 0, "");
    ramp.MakeShell(OneWay(64, 320));
    ramp.Box({-368, 224, 0}, {368, 368, 64}, "METAL/METALWALL001A");
    ramp.Ramp({-96, 64, 0}, {96, 224, 64}, North, "METAL/METALWALL001A");
    ramp.Light({0, 0, 300});
    EXPECT_TRUE(CheckRoom(Built(ramp)).empty()) << Dump(CheckRoom(Built(ramp)));
}

TEST(RoomCheck, SpawnGroupsMayNotCutTheWayAndPickupsMustBeWithinReach) {
    RoomBuilder b("Barred", 0, "");
    b.MakeShell(OneWay(0, 256));
    b.Light({0, 0, 200});
    Node& bar = b.SpawnGroup("bar");
    b.Box({-368, -8, 0}, {368, 8, 128}, "METAL/METALWALL001A", &bar);
    b.SpawnController({0, -200, 16}, {{"bar", 1}}, 1);
    b.Item({0, 0, 64}, 0);              // inside the bar
    b.Weapon({300, 300, 16}, 1);        // fine
    const auto lines = Built(b);
    const auto issues = CheckRoom(lines);
    EXPECT_TRUE(Mentions(issues, 12, "south doorway cannot be reached")) << Dump(issues);
    EXPECT_TRUE(std::any_of(issues.begin(), issues.end(),
                            [](const Issue& i) { return i.message == "vornic_item at (0 0 64) sits inside a brush"; }))
        << Dump(issues);
    EXPECT_FALSE(std::any_of(issues.begin(), issues.end(),
                             [](const Issue& i) { return i.message.find("vornic_weapon") != std::string::npos; }));

    RoomBuilder shelf("Shelf", 4, "");
    ShellPlan alley = OneWay(0, 256);
    alley.open = OpenSides(4);
    shelf.MakeShell(alley);
    shelf.Light({0, 0, 200});
    shelf.Box({-352, -96, 0}, {-288, 96, 96}, "METAL/METALWALL001A");
    shelf.Item({-320, 0, 112}, 3);  // on top of a block taller than a step
    const auto shelfIssues = CheckRoom(Built(shelf));
    EXPECT_TRUE(std::any_of(shelfIssues.begin(), shelfIssues.end(), [](const Issue& i) {
        return i.message.find("cannot walk from the doorways") != std::string::npos;
    })) << Dump(shelfIssues);
}

TEST(RoomGenerator, EveryRoomOfTheLibraryImportsAndPassesTheCheck) {
    const auto rooms = roomgen::BuildLibrary("tests");
    std::set<std::string> names;
    for (const auto& r : rooms) {
        EXPECT_TRUE(names.insert(r.file).second) << "two rooms named " << r.file;
        const auto lines = ImportRoom(ParseVmf(WriteVmf(r.map)));
        EXPECT_TRUE(CheckRoom(lines).empty()) << r.file << "\n" << Dump(CheckRoom(lines));
    }
    EXPECT_EQ(rooms.size(), ShippedRoomFiles().size());
}

}  // namespace
