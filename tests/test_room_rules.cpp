// Doorway frames, inner doors with their areaportals, and the walls that divide a room: the
// room kit's rules and the level checker's areaportal flood.
#include <gtest/gtest.h>

#include <algorithm>

#include "check/areaportal_check.h"
#include "check/leak_check.h"
#include "check/level_check.h"
#include "roomkit/room_builder.h"
#include "roomkit/room_check.h"
#include "roomkit/room_file.h"
#include "roomkit/room_rules.h"
#include "roomkit/vmf.h"

namespace {

using namespace roomkit;
using Lines = std::vector<std::string>;

const Materials kPlain{"CONCRETE/CONCRETEFLOOR001A", "CONCRETE/CONCRETEWALL001A", "CONCRETE/CONCRETECEILING001A",
                       "METAL/METALWALL001A"};
const std::string kWall = "CONCRETE/CONCRETEWALL001A";

Lines Built(const RoomBuilder& b) { return ImportRoom(ParseVmf(WriteVmf(b.Finish("Tests")))); }

bool Mentions(const std::vector<Issue>& issues, const std::string& words) {
    return std::any_of(issues.begin(), issues.end(),
                       [&](const Issue& i) { return i.message.find(words) != std::string::npos; });
}

std::string Dump(const std::vector<Issue>& issues) { return FormatIssues("room", issues); }

// A dead end cut in two by a wall across it at y 0..16 (world, up to the ceiling), with a door
// in the middle of the wall; `gap` opens a second way through the wall at its east end.
struct Parted {
    bool portal = true, gap = false;
    std::string target = "backdoor";
};

RoomBuilder PartedRoom(const Parted& p) {
    RoomBuilder b("Parted", 4, "A room with a door in its middle");
    ShellPlan s;
    s.mats = kPlain;
    s.open = OpenSides(4);
    b.MakeShell(s);
    Node& world = b.World();
    b.Box({-368, 0, 0}, {-28, 16, 256}, kWall, &world);
    b.Box({28, 0, 0}, {p.gap ? 200.0 : 368.0, 16, 256}, kWall, &world);
    if (p.gap) b.Box({264, 0, 0}, {368, 16, 256}, kWall, &world);
    b.Box({-28, 0, 112}, {28, 16, 256}, kWall, &world);  // over the door
    b.Entity("prop_door_rotating", {-26, 8, 54.25},
             {{"targetname", "backdoor"}, {"model", "models/props_c17/door01_left.mdl"}, {"angles", "0 90 0"}});
    if (p.portal) {
        Node& portal = b.BrushEntity("func_areaportal", {{"target", p.target}});
        b.Box({-28, 4, 0}, {28, 12, 112}, "TOOLS/TOOLSAREAPORTAL", &portal);
    }
    b.Light({0, 200, 200});
    b.Light({0, -200, 200});
    return b;
}

TEST(SpaceRegions, PointsShareARegionOnlyWhereOpenSpaceJoinsThem) {
    using tessellon::Box;
    using tessellon::SealingBox;
    // Two rooms side by side in one box, parted by a wall at x 0..16 that a hole may pierce.
    auto rooms = [](bool hole) {
        std::vector<tessellon::SealingBody> b{
            SealingBox(Box{{-208, -16, -16}, {224, 208, 0}}), SealingBox(Box{{-208, -16, 128}, {224, 208, 144}}),
            SealingBox(Box{{-208, -16, 0}, {224, 0, 128}}),   SealingBox(Box{{-208, 192, 0}, {224, 208, 128}}),
            SealingBox(Box{{-208, 0, 0}, {-192, 192, 128}}),  SealingBox(Box{{208, 0, 0}, {224, 192, 128}}),
            SealingBox(Box{{0, 0, 0}, {16, 96, 128}})};
        b.push_back(SealingBox(Box{{0, hole ? 100.0 : 96.0, 0}, {16, 192, 128}}));
        return b;
    };
    const std::vector<tessellon::Vec3> points{{-100, 50, 64}, {100, 50, 64}, {-100, 150, 32}, {8, 50, 64}, {500, 0, 0}};
    const auto closed = tessellon::FindSpaceRegions(rooms(false), points);
    ASSERT_TRUE(closed.checked);
    EXPECT_NE(closed.region[0], closed.region[1]);
    EXPECT_EQ(closed.region[0], closed.region[2]);
    EXPECT_EQ(closed.region[3], -1);                // inside the wall
    EXPECT_NE(closed.region[4], closed.region[0]);  // the void outside is a region of its own
    // A slit of four units joins the two rooms.
    const auto open = tessellon::FindSpaceRegions(rooms(true), points);
    EXPECT_EQ(open.region[0], open.region[1]);
}

TEST(AreaPortalCheck, APortalMustPartTheSpaceAroundIt) {
    auto problems = [](const Parted& p) {
        const RoomBuilder b = PartedRoom(p);
        tessellon::CheckOptions o;
        o.extraSealing.push_back(DoorwayPlug({North, {0, kHalfCell, 0}, 0}));
        const auto report = tessellon::CheckLevelText(WriteVmf(b.Finish("Tests")), o);
        std::string out;
        for (const auto& pr : report.problems)
            if (pr.kind == tessellon::ProblemKind::AreaPortal) out += pr.message + "\n";
        return out;
    };
    EXPECT_EQ(problems({}), "");
    EXPECT_NE(problems({true, true}).find("does not part the space around it"), std::string::npos);
}

TEST(RoomRules, ADoorOnTheOnlyWayNeedsItsAreaportalAndAPortalNeedsItsDoor) {
    const auto good = CheckRoom(Built(PartedRoom({})));
    EXPECT_TRUE(good.empty()) << Dump(good);
    const struct {
        Parted room;
        const char* words;
    } faults[] = {
        {{false, false}, "is the only way between two parts of the room but no func_areaportal targets it"},
        {{true, false, "elsewhere"}, "targets \"elsewhere\", which names no prop_door_rotating"},
        {{true, true}, "does not part the space around it"},
    };
    for (const auto& f : faults) EXPECT_TRUE(Mentions(CheckRoom(Built(PartedRoom(f.room))), f.words)) << f.words;
    // A door with another way round it cuts nothing the game could stop drawing: no portal wanted.
    const auto aside = CheckRoom(Built(PartedRoom({false, true})));
    EXPECT_TRUE(aside.empty()) << Dump(aside);
}

RoomBuilder Hall() {
    RoomBuilder b("Hall", 0, "");
    ShellPlan s;
    s.mats = kPlain;
    s.open = OpenSides(0);
    b.MakeShell(s);
    b.Light({0, 0, 200});
    return b;
}

TEST(RoomRules, EveryDoorwayHasAFrameAroundAClearPassage) {
    const Lines framed = Built(Hall());
    EXPECT_TRUE(CheckRoom(framed).empty()) << Dump(CheckRoom(framed));
    // The shell's ten brushes come first, then the north doorway's two jambs and its head.
    Lines bare = framed;
    int seen = -1;
    for (size_t i = kHeaderLines; i + 1 < bare.size(); ++i)
        if (bare[i] == "solid" && bare[i + 1] == "{" && ++seen == 10) {
            size_t j = i + 1;
            for (int d = 0; j == i + 1 || d > 0; ++j) d += (bare[j] == "{") - (bare[j] == "}");
            bare.erase(bare.begin() + static_cast<long>(i), bare.begin() + static_cast<long>(j));
            break;
        }
    EXPECT_TRUE(Mentions(CheckRoom(bare), "the north doorway has no frame at")) << Dump(CheckRoom(bare));
    // Cover in the passage narrows it; in the world it blocks the doorway.
    RoomBuilder narrowed = Hall(), blocked = Hall();
    narrowed.Box({-16, 366, 0}, {16, 384, 48}, kWall);
    blocked.Box({-16, 366, 0}, {16, 384, 48}, kWall, &blocked.World());
    EXPECT_TRUE(Mentions(CheckRoom(Built(narrowed)), "the north doorway's passage is narrowed"));
    EXPECT_TRUE(Mentions(CheckRoom(Built(blocked)), "the north doorway is blocked"));
}

TEST(RoomRules, WallsThatDivideTheRoomUpToItsCeilingAreStructure) {
    using tessellon::Box;
    const double top = 256;
    const std::vector<Box> world{
        {{-384, -384, 0}, {-368, 384, 272}},  // the west wall of the shell
        {{-368, 0, 0}, {-28, 16, top}},       // a wall across the room, from the shell
        {{-28, 0, 112}, {28, 16, top}},       // over the door in it
        {{28, 0, 0}, {200, 16, top}},         // on across, carried by the head
        {{-32, -200, 0}, {32, -136, top}},    // a column standing free
        {{200, -300, 0}, {216, -100, top}},   // a wall standing free in the room
        {{-368, 200, 0}, {-200, 216, 96}},    // a low wall against the shell
    };
    const auto s = StructuralWorld(world, top);
    EXPECT_EQ(s, (std::vector<bool>{true, true, true, true, false, false, false}));
}

}  // namespace
