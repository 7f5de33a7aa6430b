// The kit of the room library v3 on small rooms made for the test: the world fill around the
// spaces, inner doors and arches, recesses, groups of props, flights of stairs, and the plan's
// mistakes it refuses.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <stdexcept>

#include "check/level_check.h"
#include "check/leak_check.h"
#include "roomgen/plan_v3.h"
#include "roomkit/brush.h"
#include "roomkit/room_check.h"
#include "roomkit/room_file.h"
#include "roomkit/room_rules.h"
#include "roomkit/vmf.h"

namespace {

using namespace roomgen::v3;
using roomkit::Node;
using roomkit::Vec3;

constexpr int kDeadEnd = 4;  // one doorway, on the north side

// A corridor from the north doorway down to an office across the south of the cell, parted
// from it by a wall at y 0..16 with a door (or an arch) in it at x = 0.
struct Little {
    roomkit::RoomBuilder b{"Little", kDeadEnd, "A corridor and an office"};
    roomkit::ShellPlan shell = ShellOf(kDeadEnd, Offices(), 240);
    Cell c{b, shell, 7};
    int corridor, office;
    explicit Little(bool door = true) {
        b.MakeShell(shell);
        corridor = c.Add(Way({-64, 16, 64, kIn}, Districts()[1]));
        Space o;
        o.r = {-300, -300, 300, 0}, o.look = Offices(), o.use = Use::Office;
        office = c.Add(o);
        if (door) c.Door(corridor, office, 0);
        else c.Arch(corridor, office, 0);
    }
    Node Map() const { return b.Finish("Tests"); }
};

int Count(const Node& map, const std::string& cls) {
    int n = 0;
    for (const auto& e : map.children)
        if (e.isBlock && e.key == "entity" && e.Get("classname") == cls) ++n;
    return n;
}

// Which region of open space each point is in (-1: inside something solid), with the doorway
// plugged.
std::vector<int> Regions(const Node& map, const std::vector<tessellon::Vec3>& points) {
    auto bodies = tessellon::SealingBodies(tessellon::ReadVmfText(roomkit::WriteVmf(map)));
    bodies.push_back(tessellon::SealingBox(roomkit::DoorwayPlug({roomkit::North, {0, roomkit::kHalfCell, 0}, 0})));
    const auto r = tessellon::FindSpaceRegions(bodies, points);
    EXPECT_TRUE(r.checked) << r.skippedReason;
    return r.region;
}

TEST(RoomKitV3, TheFillLeavesTheSpacesOpenAndTheRestOfTheCellSolid) {
    Little l;
    l.c.Build();
    const Node map = l.Map();
    const auto region = Regions(map, {{0, 200, 64},      // the corridor
                                      {-200, -150, 64},  // the office
                                      {0, 8, 64},        // the doorway between them
                                      {0, 8, 200},       // the wall over the door
                                      {250, 200, 64},    // beside the corridor: filled
                                      {-120, 8, 64},     // the dividing wall
                                      {0, -340, 64}});   // south of the office: filled
    EXPECT_GE(region[0], 0);
    EXPECT_EQ(region[0], region[1]) << "the door's opening joins the corridor and the office";
    EXPECT_EQ(region[2], region[0]);
    for (size_t i = 3; i < region.size(); ++i) EXPECT_EQ(region[i], -1) << "point " << i << " is solid";
    // The fill is world, so it stays with the shell: no solid of it is a brush entity.
    EXPECT_EQ(Count(map, "func_detail"), 0);
}

TEST(RoomKitV3, ADoorComesWithItsAreaportalAndAnArchWithout) {
    for (const bool door : {true, false}) {
        Little l(door);
        l.c.Build();
        const Node map = l.Map();
        EXPECT_EQ(Count(map, "prop_door_rotating"), door ? 1 : 0);
        EXPECT_EQ(Count(map, "func_areaportal"), door ? 1 : 0);
        std::string name, target;
        for (const auto& e : map.children) {
            if (e.Get("classname") == "prop_door_rotating") name = e.Get("targetname");
            if (e.Get("classname") == "func_areaportal") target = e.Get("target");
        }
        EXPECT_EQ(name, target);
        // The room passes the kit's check, door rules and frames included.
        const auto lines = roomkit::ImportRoom(roomkit::ParseVmf(roomkit::WriteVmf(map)));
        const auto issues = roomkit::CheckRoom(lines);
        EXPECT_TRUE(issues.empty()) << roomkit::FormatIssues(door ? "door" : "arch", issues);
    }
}

TEST(RoomKitV3, ARecessIsCutOnlyWhereTheWallIsSolidOutToTheCellsSide) {
    Little l;
    l.c.Recess(l.office, 2, 100, 200, 8, {{40, 100, "GLASS/WINDOW001A"}});  // the south wall: fill behind it
    l.c.Recess(l.office, 0, 250, 350, 8, {{40, 100, "GLASS/WINDOW001A"}});  // the north wall: the corridor behind it
    l.c.Build();
    EXPECT_THROW(l.c.Recess(l.office, 1, 0, 10, 8, {}), std::logic_error) << "nothing is cut after the build";
    EXPECT_TRUE(l.c.HasRecess(0));
    EXPECT_FALSE(l.c.HasRecess(1));
    EXPECT_FALSE(l.c.HasRecess(2));
    EXPECT_EQ(l.c.Recesses(), 2);
    // The glass at the back of the recess faces the office, 8 into the wall.
    bool glass = false;
    for (const auto& w : l.Map().children)
        if (w.key == "world")
            for (const Node* solid : w.Blocks("solid")) {
                std::string error;
                int line = 0;
                const auto brush = roomkit::BrushFromSolid(*solid, error, line);
                for (const auto& side : solid->children)
                    if (brush && side.isBlock && side.Get("material") == "GLASS/WINDOW001A")
                        glass = glass || (brush->Max().y == -308 && brush->Min().z == 40 && brush->Max().z == 100);
            }
    EXPECT_TRUE(glass);
}

TEST(RoomKitV3, GroupsOfPropsKeepOffEachOtherAndTheWaysThrough) {
    static const roomkit::PropModel kDesk{"models/props_combine/breendesk.mdl", 24, 40, 32};
    Little l;
    l.c.Build();
    // Desks along the office's north wall, 80 along it: the wall of 600 holds a few of them,
    // none in front of the door.
    int placed = 0;
    while (placed < 20 && l.c.PlaceGroup(l.office, 0, {{{&kDesk, true}, 0, 0, 0, 0}})) ++placed;
    EXPECT_GE(placed, 4);
    EXPECT_LE(placed, 600 / 80);
    EXPECT_EQ(l.c.Props(), placed);
    std::vector<Vec3> at;
    for (const auto& e : l.Map().children)
        if (e.Get("model") == kDesk.path) {
            Vec3 v;
            std::istringstream(e.Get("origin")) >> v.x >> v.y >> v.z;
            at.push_back(v);
        }
    ASSERT_EQ(static_cast<int>(at.size()), placed);
    for (size_t i = 0; i < at.size(); ++i) {
        EXPECT_GT(std::fabs(at[i].x), 28 + 40 + 16) << "a desk before the door";
        EXPECT_NEAR(at[i].y, -24, 0.01) << "a desk against the wall, facing the room";
        for (size_t j = 0; j < i; ++j) EXPECT_GE(std::fabs(at[i].x - at[j].x), 80) << "desks overlap";
    }
    // A group wider than the wall has no place.
    static const roomkit::PropModel kLong{"models/props_c17/bench01a.mdl", 16, 400, 32};
    EXPECT_FALSE(l.c.PlaceGroup(l.office, 1, {{{&kLong, true}, 0, 0, 0, 0}}));
}

TEST(RoomKitV3, AFlightClimbsOneInTwoAndKeepsItsFloorClear) {
    Little l;
    l.c.Build();
    const Rect r{-280, -280, -160, -20};
    EXPECT_TRUE(l.c.IsClear(r));
    Flight(l.c, r, roomkit::North, 0, 96, Offices().mats.floor);
    EXPECT_FALSE(l.c.IsClear(r));
    // One brush, from 192 short of the far edge to 8 past it, topped at 96 + 4.
    int ramps = 0;
    for (const auto& w : l.Map().children)
        if (w.key == "world" || w.key == "entity")
            for (const Node* solid : w.Blocks("solid")) {
                std::string error;
                int line = 0;
                const auto brush = roomkit::BrushFromSolid(*solid, error, line);
                if (!brush || brush->Min().x != -280 || brush->Max().x != -160) continue;
                ++ramps;
                EXPECT_NEAR(brush->Min().y, -20 - 192, 0.01);
                EXPECT_NEAR(brush->Max().y, -20 + 8, 0.01);
                EXPECT_NEAR(brush->Max().z, 100, 0.01);
            }
    EXPECT_EQ(ramps, 1);
}

TEST(RoomKitV3, APlansMistakesAreRefused) {
    roomkit::RoomBuilder b{"Wrong", kDeadEnd, "Mistakes"};
    const auto shell = ShellOf(kDeadEnd, Offices(), 240);
    Cell c(b, shell, 1);
    const int a = c.Add(Way({-64, 16, 64, kIn}, Districts()[0]));
    EXPECT_THROW(c.Add(Way({0, 0, 100, 100}, Districts()[0])), std::logic_error) << "spaces overlap";
    Space far;
    far.r = {200, -300, 300, -200};
    const int f = c.Add(far);
    EXPECT_THROW(c.Door(a, f, 0), std::logic_error) << "no wall shared";
    Space near;
    near.r = {-100, -300, 100, 0};
    const int n = c.Add(near);
    EXPECT_THROW(c.Arch(a, n, 40, 96), std::logic_error) << "past the 128 the spaces share";
    c.Door(a, n, 0);
    c.Build();
    EXPECT_THROW(c.Build(), std::logic_error);

    // A room of a plan that opens onto nothing.
    roomkit::RoomBuilder b2{"Wrong", kDeadEnd, "Mistakes"};
    Plan p;
    p.ways.push_back(Way({-64, 16, 64, kIn}, Districts()[0]));
    p.zones.push_back(Room({200, -300, 300, -200}, Districts()[0], 0, true));
    EXPECT_THROW(Realise(b2, shell, p, 1), std::logic_error);
}

TEST(RoomKitV3, APlanComesOutTheSameFromTheSameSeed) {
    auto text = [](std::uint32_t seed) {
        roomkit::RoomBuilder b{"Same", kDeadEnd, "Seeded"};
        const auto shell = ShellOf(kDeadEnd, Offices(), 240);
        b.MakeShell(shell);
        Plan p;
        p.ways.push_back(Way({-64, 16, 64, kIn}, Districts()[1]));
        p.zones.push_back(Room({-200, -kIn, 200, 0}, Districts()[1], 0, true));
        p.zones.push_back(Room({216, -kIn, kIn, 0}, Districts()[1], 1, false));
        Realise(b, shell, p, seed);
        return roomkit::WriteVmf(b.Finish("Tests"));
    };
    EXPECT_EQ(text(5), text(5));
    EXPECT_NE(text(5), text(6));
}

TEST(RoomKitV3, StreetFrontsStandOnOneGridAcrossTheCell) {
    // A street across the cell, open to the sky, with fronts of three storeys north of it (in
    // the doorway's wall, beside it) and south.
    roomkit::RoomBuilder b{"Street", kDeadEnd, "Fronts"};
    const auto shell = ShellOf(kDeadEnd, Streets(), 448, true);
    b.MakeShell(shell);
    Cell c(b, shell, 3);
    Space street;
    street.r = {-kIn, -kIn + 96, kIn, kIn}, street.look = Streets(), street.use = Use::Street;
    const int s = c.Add(street);
    Facade(c, s, 2, 3);
    c.Build();
    ASSERT_GE(c.Recesses(), 3);
    for (int k = 0; k < c.Recesses(); ++k) EXPECT_TRUE(c.HasRecess(k)) << "bay " << k;
    // Every bay's back (its glass or its door) is centred on the grid: 96 off the middle,
    // every 192.
    int backs = 0;
    for (const auto& w : b.Finish("Tests").children)
        if (w.key == "world")
            for (const Node* solid : w.Blocks("solid")) {
                std::string error;
                int line = 0;
                const auto brush = roomkit::BrushFromSolid(*solid, error, line);
                bool back = false;
                for (const auto& side : solid->children)
                    back = back || side.Get("material") == "METAL/METALDOOR039A" ||
                           side.Get("material").rfind("GLASS/", 0) == 0;
                if (!brush || !back) continue;
                ++backs;
                const double middle = (brush->Min().x + brush->Max().x) / 2;
                EXPECT_NEAR(std::fmod(middle + 96 + 192 * 4, 192), 0, 0.01) << "a bay off the grid at " << middle;
                EXPECT_NEAR(brush->Max().x - brush->Min().x, 64, 0.01);
            }
    EXPECT_EQ(backs, 3 * c.Recesses()) << "a shop front or door and two windows above in every bay";
}

TEST(RoomKitV3, HalvesSplitTheLongerSideWithAWallBetween) {
    const auto [a, b] = Halves({-300, -100, 300, 100});
    EXPECT_EQ(a.x1, -8);
    EXPECT_EQ(b.x0, 8);
    EXPECT_EQ(a.D(), 200);
    const auto [c, d] = Halves({0, 0, 100, 400});
    EXPECT_EQ(c.y1 + kGap, d.y0);
    EXPECT_EQ(c.W(), 100);
}

}  // namespace
