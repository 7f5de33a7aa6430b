#include "roomgen/library.h"

#include "roomgen/plans.h"
#include "roomgen/kit_v3.h"
#include "roomgen/library_v3.h"

#include <cctype>
#include <cmath>
#include <set>

#include "roomkit/room_content.h"

namespace roomgen {

namespace {

using roomkit::East;
using roomkit::kTrigger;
using roomkit::North;
using roomkit::South;
using roomkit::West;

std::vector<Def> Definitions() {
    std::vector<Def> d;

    // ---- one-way parts: open north and south ----
    d.push_back({"oneway_concrete_passage", "Concrete Passage",
                 "A concrete hall split by two partitions; the passage between them doubles back.", 0,
                 Shell(0, kConcrete, 256), [](RoomBuilder& b, const ShellPlan& s) {
                     SaveBaffles(b, s, {}, s.mats.wall);
                     for (double x : {-208.0, 208.0})
                         for (double y : {-200.0, 200.0}) Pillar(b, x, y, 24, s.height, s.mats.trim);
                     Cover(b, -320, -48, -272, 48, 48, s.mats.wall);
                     Cover(b, 272, -48, 320, 48, 48, s.mats.wall);
                     b.Light({0, -240, 224});
                     b.Light({0, 240, 224});
                     b.Light({0, 0, 224}, "255 220 190 160");
                     b.Item({-296, -296, 16}, 0);
                     b.Weapon({296, 296, 16}, 1, 180);
                     b.Prop(kCrate, {-300, 250, 0}, 20);
                     b.FixedProp(kCageLight, {-200, -360, 160});
                     b.Prop(kDrum, {320, -200, 0});
                 }});
    d.push_back({"oneway_brick_stairs", "Brick Stair Hall",
                 "A brick hall whose north door sits 128 units up a flight of stairs.", 0,
                 Shell(0, kBrick, 384, false, {128, 0, 0, 0}), [](RoomBuilder& b, const ShellPlan& s) {
                     b.Box({-368, 176, 0}, {368, 368, 128}, s.mats.trim);
                     b.Stairs(-128, 128, -80, 0, 128, North, s.mats.trim);
                     SaveBaffles(b, s, {.yNorth = -112, .ySouth = -256}, s.mats.wall);
                     Cover(b, 192, 216, 320, 240, 40, s.mats.wall, 128);
                     b.Light({0, -184, 352});
                     b.Light({0, 272, 352}, "255 220 180 220");
                     b.Light({0, 40, 352}, "255 220 180 160");
                     b.Item({-280, 280, 144}, 2);
                     b.Weapon({-280, 0, 16}, 2, 90);
                     b.Prop(kDrum, {280, 40, 0});
                 }});
    d.push_back({"oneway_sky_yard", "Open Yard", "A walled yard under the sky with crates that come and go.", 0,
                 Shell(0, kBrick, 512, true), [](RoomBuilder& b, const ShellPlan& s) {
                     SaveBaffles(b, s, {.yNorth = 128, .ySouth = -128}, s.mats.wall);
                     Cover(b, -320, -80, -200, -48, 56, s.mats.trim);
                     Cover(b, 200, 48, 320, 80, 56, s.mats.trim);
                     Node& crates = b.SpawnGroup("yard_crates");
                     b.Box({-320, 176, 0}, {-256, 240, 64}, s.mats.trim, &crates);
                     b.Box({-320, 240, 0}, {-256, 304, 64}, s.mats.trim, &crates);
                     b.Box({-320, 208, 64}, {-256, 272, 128}, s.mats.trim, &crates);
                     Node& barrier = b.SpawnGroup("yard_barrier");
                     b.Box({224, -256, 0}, {320, -224, 72}, s.mats.wall, &barrier);
                     b.SpawnController({0, 200, 16}, {{"yard_crates", 2}, {"yard_barrier", 1}}, 1);
                     b.Light({0, 0, 320}, "255 240 220 200");
                     b.Item({300, 300, 16}, 4);
                     b.FixedProp(kDumpster, {-300, 0, 0}, 270);
                     b.Prop(kPallet, {-300, -300, 0});
                 }});
    d.push_back({"oneway_metal_ramp", "Metal Ramp", "A metal corridor that ramps up 64 units to its north door.", 0,
                 Shell(0, kMetal, 320, false, {64, 0, 0, 0}), [](RoomBuilder& b, const ShellPlan& s) {
                     b.Box({-368, 224, 0}, {368, 368, 64}, s.mats.floor);
                     b.Ramp({-160, -96, 0}, {160, 224, 64}, North, s.mats.floor);
                     SaveBaffles(b, s, {.yNorth = -128, .ySouth = -272}, s.mats.trim);
                     Pillar(b, -272, 80, 32, s.height, s.mats.trim);
                     Pillar(b, 272, 80, 32, s.height, s.mats.trim);
                     b.Light({0, -200, 288});
                     b.Light({0, 296, 288}, "200 220 255 240");
                     b.Light({0, 60, 288}, "200 220 255 180");
                     b.Item({-300, 300, 80}, 2);
                     b.Weapon({300, 300, 80}, 0, 180);
                     b.Prop(kCanister, {-320, -330, 0});
                     b.FixedProp(kCageLight, {-200, -360, 200});
                 }});
    d.push_back({"oneway_plaster_gallery", "Plaster Gallery", "A long plaster room lined with columns and drums.", 0,
                 Shell(0, kPlaster, 288), [](RoomBuilder& b, const ShellPlan& s) {
                     SaveBaffles(b, s, {.yNorth = 112, .ySouth = -112}, s.mats.wall);
                     for (double y : {-240.0, -64.0, 64.0, 240.0}) {
                         Pillar(b, -176, y, 20, s.height, s.mats.trim);
                         Pillar(b, 176, y, 20, s.height, s.mats.trim);
                     }
                     b.Prop(kDrum, {-300, -300, 0});
                     b.Prop(kDrum, {-300, -250, 0});
                     b.Prop(kCrate, {300, 280, 0});
                     b.Entity("light_spot", {0, 0, 272},
                              {{"angles", "-90 0 0"},
                               {"pitch", "-90"},
                               {"_light", "255 240 210 400"},
                               {"_lightHDR", "-1 -1 -1 1"},
                               {"_lightscaleHDR", "1"},
                               {"_inner_cone", "35"},
                               {"_cone", "60"},
                               {"_exponent", "1"},
                               {"_quadratic_attn", "1"},
                               {"style", "0"}});
                     b.Light({-280, 240, 256});
                     b.Light({280, -240, 256});
                     b.SpawnPoint({0, 0, 8}, 90);
                     b.Item({-280, 300, 16}, 1);
                 }});

    d.push_back({"oneway_brick_descent", "Brick Descent",
                 "A brick hall that drops 64 units from its south door down a ramp to its north door.", 0,
                 Shell(0, kBrick, 320, false, {0, 0, 64, 0}), [](RoomBuilder& b, const ShellPlan& s) {
                     b.Box({-368, -368, 0}, {368, -224, 64}, s.mats.trim);
                     b.Ramp({-144, -224, 0}, {144, -64, 64}, South, s.mats.trim);
                     SaveBaffles(b, s, {.yNorth = 224, .ySouth = 64}, s.mats.wall);
                     Cover(b, -320, 150, -200, 182, 48, s.mats.wall);
                     Cover(b, 200, 120, 320, 152, 48, s.mats.wall);
                     b.Light({0, -280, 288});
                     b.Light({0, 150, 288}, "255 215 175 220");
                     b.Light({0, 300, 288}, "255 215 175 160");
                     b.Item({280, 300, 16}, 1);
                     b.Weapon({-280, -300, 80}, 4, 90);
                     b.Prop(kBoard, {-260, 300, 0}, 30);
                     b.FixedProp(kRadiator, {360, -20, 0}, 180);
                 }});

    // ---- turn parts: open north and east ----
    d.push_back({"turn_concrete_bend", "Concrete Bend",
                 "A concrete corner room with a stack of cover in its far corner.", 1, Shell(1, kConcrete, 256),
                 [](RoomBuilder& b, const ShellPlan& s) {
                     Cover(b, -352, -352, -208, -208, 64, s.mats.trim);
                     Cover(b, -336, -336, -256, -256, 48, s.mats.trim, 64);
                     Pillar(b, -96, -96, 32, s.height, s.mats.wall);
                     b.Prop(kCrate, {200, 280, 0});
                     b.Prop(kCrate, {280, 200, 0}, 30);
                     b.Light({0, 0, 224});
                     b.Light({-240, 240, 224}, "255 210 170 200");
                     b.Item({-160, -300, 16}, 0);
                 }});
    d.push_back(
        {"turn_sky_courtyard", "Corner Courtyard", "An open brick courtyard where planters and barricades vary.", 1,
         Shell(1, kBrick, 448, true), [](RoomBuilder& b, const ShellPlan& s) {
             Cover(b, -352, -352, -160, -288, 40, s.mats.trim);
             Cover(b, -352, -288, -288, -160, 40, s.mats.trim);
             Node& a = b.SpawnGroup("court_planter");
             b.Box({-224, -224, 0}, {-160, -160, 48}, s.mats.trim, &a);
             Node& c = b.SpawnGroup("court_wall");
             b.Box({160, -240, 0}, {176, -128, 96}, s.mats.wall, &c);
             Node& e = b.SpawnGroup("court_blocks");
             b.Box({-320, 176, 0}, {-256, 240, 56}, s.mats.trim, &e);
             b.Box({-240, 256, 0}, {-176, 320, 56}, s.mats.trim, &e);
             b.SpawnController({-16, -16, 16}, {{"court_planter", 1}, {"court_wall", 1}, {"court_blocks", 2}}, 0);
             b.Light({0, 0, 300}, "255 240 220 180");
             b.Weapon({-200, -120, 16}, 2);
             b.Item({260, -260, 16}, 2);
             b.FixedProp(kBench, {-300, 300, 0}, 0);
             b.Prop(kTrashcan, {300, -300, 0});
         }});
    d.push_back({"turn_stepped_bend", "Stepped Bend", "The east door is at floor level, the north door 128 units up.",
                 1, Shell(1, kConcrete, 384, false, {128, 0, 0, 0}), [](RoomBuilder& b, const ShellPlan& s) {
                     b.Box({-368, 160, 0}, {368, 368, 128}, s.mats.trim);
                     b.Stairs(-96, 96, -96, 0, 128, North, s.mats.trim);
                     Cover(b, -320, -320, -224, -224, 56, s.mats.wall);
                     b.Light({0, -160, 352});
                     b.Light({-240, 260, 352});
                     b.Item({240, 280, 144}, 4);
                     b.Weapon({-280, -160, 16}, 1, 0);
                     b.Prop(kDrum, {280, -280, 0});
                 }});
    d.push_back({"turn_metal_junction", "Metal Bend", "A metal corner with pillars and a switchable barricade.", 1,
                 Shell(1, kMetal, 288), [](RoomBuilder& b, const ShellPlan& s) {
                     Pillar(b, -192, -192, 40, s.height, s.mats.trim);
                     Pillar(b, -192, 160, 24, s.height, s.mats.trim);
                     Pillar(b, 160, -192, 24, s.height, s.mats.trim);
                     Node& g = b.SpawnGroup("bend_barricade");
                     b.Box({-352, -96, 0}, {-256, -80, 80}, s.mats.trim, &g);
                     b.SpawnController({-300, -300, 16}, {{"bend_barricade", 1}}, 1);
                     b.Light({64, 64, 256}, "210 225 255 260");
                     b.Light({-280, -280, 256}, "210 225 255 160");
                     b.SpawnPoint({0, -280, 8});
                     b.Item({280, -280, 16}, 2);
                     b.Prop(kBlueBarrel, {300, -300, 0});
                     b.FixedProp(kCloset, {-340, 300, 0}, 0);
                 }});

    d.push_back({"turn_metal_ramp", "Ramped Bend", "The east door at floor level; a ramp climbs to the north door.", 1,
                 Shell(1, kMetal, 320, false, {64, 0, 0, 0}), [](RoomBuilder& b, const ShellPlan& s) {
                     b.Box({-368, 224, 0}, {368, 368, 64}, s.mats.floor);
                     b.Ramp({-112, 64, 0}, {112, 224, 64}, North, s.mats.floor);
                     Pillar(b, -240, -240, 40, s.height, s.mats.trim);
                     b.Prop(kDrum, {-300, 120, 0});
                     b.Prop(kDrum, {-310, 70, 0});
                     b.Light({120, -120, 288}, "200 220 255 260");
                     b.Light({0, 296, 288}, "200 220 255 180");
                     b.Item({280, 296, 80}, 2);
                     b.SpawnPoint({-120, -300, 8}, 90);
                 }});

    // ---- three-way parts: open north, east and west ----
    d.push_back({"threeway_concrete_tee", "Concrete Tee", "A concrete junction with a column at its closed side.", 2,
                 Shell(2, kConcrete, 256), [](RoomBuilder& b, const ShellPlan& s) {
                     Pillar(b, 0, -256, 48, s.height, s.mats.trim);
                     Cover(b, -304, -304, -208, -240, 48, s.mats.wall);
                     Cover(b, 208, -304, 304, -240, 48, s.mats.wall);
                     Pillar(b, -240, 240, 24, s.height, s.mats.trim);
                     Pillar(b, 240, 240, 24, s.height, s.mats.trim);
                     b.Light({-160, 0, 224});
                     b.Light({160, 0, 224});
                     b.Weapon({-300, 300, 16}, 1, 270);
                     b.Item({300, 300, 16}, 0);
                     b.Prop(kDrum, {-150, -320, 0});
                     b.FixedProp(kCageLight, {0, -360, 180});
                 }});
    d.push_back({"threeway_market_square", "Market Square", "An open square with market stalls under the sky.", 2,
                 Shell(2, kPlaster, 512, true), [](RoomBuilder& b, const ShellPlan& s) {
                     Cover(b, -336, -336, -208, -272, 64, s.mats.trim);
                     Cover(b, 208, -336, 336, -272, 64, s.mats.trim);
                     b.Box({-336, -336, 96}, {-208, -272, 104}, "METAL/METALWALL003A");
                     b.Box({208, -336, 96}, {336, -272, 104}, "METAL/METALWALL003A");
                     for (double x : {-336.0, -216.0}) b.Box({x, -336, 64}, {x + 8, -328, 96}, "METAL/METALWALL003A");
                     for (double x : {208.0, 328.0}) b.Box({x, -336, 64}, {x + 8, -328, 96}, "METAL/METALWALL003A");
                     Node& well = b.SpawnGroup("square_well");
                     b.Box({-48, -224, 0}, {48, -128, 40}, s.mats.trim, &well);
                     Node& cart = b.SpawnGroup("square_cart");
                     b.Box({128, 192, 0}, {224, 240, 48}, s.mats.trim, &cart);
                     b.SpawnController({0, -300, 16}, {{"square_well", 3}, {"square_cart", 2}}, 1);
                     b.Light({0, 0, 320}, "255 245 230 220");
                     b.Item({-272, -240, 16}, 0);
                     b.Item({272, -240, 16}, 2);
                     b.Weapon({0, 300, 16}, 4, 270);
                     b.FixedProp(kCashRegister, {-272, -304, 64}, 90);
                     b.Prop(kBox, {272, -304, 64});
                 }});
    d.push_back({"threeway_raised_north", "Raised Tee", "East and west doors at floor level; the north door up a ramp.",
                 2, Shell(2, kMetal, 320, false, {64, 0, 0, 0}), [](RoomBuilder& b, const ShellPlan& s) {
                     b.Box({-368, 224, 0}, {368, 368, 64}, s.mats.floor);
                     b.Ramp({-128, 64, 0}, {128, 224, 64}, North, s.mats.floor);
                     Cover(b, -320, -320, -192, -288, 56, s.mats.trim);
                     Cover(b, 192, -320, 320, -288, 56, s.mats.trim);
                     b.Light({0, -160, 288});
                     b.Light({0, 296, 288});
                     b.Item({240, 296, 80}, 1);
                     b.Weapon({0, -300, 16}, 2, 90);
                     b.Prop(kCrate, {-300, 120, 0});
                     b.FixedProp(kCageLight, {0, -360, 200});
                 }});
    d.push_back({"threeway_brick_hall", "Brick Junction", "A brick junction whose cover changes from level to level.",
                 2, Shell(2, kBrick, 288), [](RoomBuilder& b, const ShellPlan& s) {
                     Pillar(b, -176, -176, 32, s.height, s.mats.trim);
                     Pillar(b, 176, -176, 32, s.height, s.mats.trim);
                     Node& left = b.SpawnGroup("junction_left");
                     b.Box({-336, -320, 0}, {-240, -304, 64}, s.mats.wall, &left);
                     Node& right = b.SpawnGroup("junction_right");
                     b.Box({240, -320, 0}, {336, -304, 64}, s.mats.wall, &right);
                     b.SpawnController({0, -320, 16}, {{"junction_left", 1}, {"junction_right", 1}}, 2);
                     b.Light({0, 0, 256});
                     b.Light({0, -280, 256}, "255 200 150 160");
                     b.Item({-300, 300, 16}, 2);
                     b.Prop(kCrate, {300, 300, 0});
                 }});

    d.push_back({"threeway_sky_terrace", "Terrace Junction",
                 "East and west meet in a yard under the sky; stairs climb to a terrace and the north door.", 2,
                 Shell(2, kPlaster, 512, true, {128, 0, 0, 0}), [](RoomBuilder& b, const ShellPlan& s) {
                     b.Box({-368, 240, 0}, {368, 368, 128}, s.mats.trim);
                     b.Stairs(-80, 80, 112, 0, 128, North, s.mats.trim, 16, 16);
                     Cover(b, -320, -320, -160, -288, 56, s.mats.trim);
                     Cover(b, 160, -320, 320, -288, 56, s.mats.trim);
                     Node& planters = b.SpawnGroup("terrace_planters");
                     b.Box({-320, 264, 128}, {-256, 328, 160}, s.mats.trim, &planters);
                     b.Box({256, 264, 128}, {320, 328, 160}, s.mats.trim, &planters);
                     b.SpawnController({0, -200, 16}, {{"terrace_planters", 3}}, 1);
                     b.Light({0, 0, 320}, "255 240 220 200");
                     b.Item({0, -320, 16}, 0);
                     b.Weapon({200, 300, 144}, 1, 270);
                     b.FixedProp(kBench, {-300, -300, 0}, 90);
                     b.Prop(kBucket, {300, -300, 0});
                 }});

    // ---- cross sections: open on all sides ----
    d.push_back({"cross_concrete_crossing", "Concrete Crossing", "Four ways meet between four heavy columns.", 3,
                 Shell(3, kConcrete, 256), [](RoomBuilder& b, const ShellPlan& s) {
                     for (double x : {-240.0, 240.0})
                         for (double y : {-240.0, 240.0}) Pillar(b, x, y, 48, s.height, s.mats.trim);
                     b.Light({0, 0, 224});
                     b.Light({-240, 0, 224}, "255 220 190 160");
                     b.Light({240, 0, 224}, "255 220 190 160");
                     b.Item({320, 320, 16}, 2);
                     b.Prop(kDrum, {-120, -300, 0});
                     b.Prop(kCrate, {300, 100, 0});
                 }});
    d.push_back({"cross_sky_crossroads", "Open Crossroads", "Crossing streets under the open sky.", 3,
                 Shell(3, kBrick, 512, true), [](RoomBuilder& b, const ShellPlan& s) {
                     for (double x : {-1.0, 1.0})
                         for (double y : {-1.0, 1.0})
                             Cover(b, x < 0 ? -352 : 208, y < 0 ? -352 : 208, x < 0 ? -208 : 352, y < 0 ? -208 : 352,
                                   96, s.mats.wall);
                     Node& g = b.SpawnGroup("cross_sandbags");
                     b.Box({-160, 136, 0}, {-112, 152, 40}, s.mats.trim, &g);
                     b.Box({112, -152, 0}, {160, -136, 40}, s.mats.trim, &g);
                     b.SpawnController({0, 0, 16}, {{"cross_sandbags", 1}}, 1);
                     b.Light({0, 0, 320}, "255 240 220 200");
                     b.Weapon({-280, -160, 16}, 1);
                     b.FixedProp(kStreetLamp, {-280, -140, 0});
                     b.Prop(kTrashcan, {140, 280, 0});
                 }});
    d.push_back({"cross_metal_hub", "Metal Hub",
                 "A metal hub: three doors at floor level, the north one up the stairs.", 3,
                 Shell(3, kMetal, 384, false, {128, 0, 0, 0}), [](RoomBuilder& b, const ShellPlan& s) {
                     b.Box({-368, 288, 0}, {368, 368, 128}, s.mats.floor);
                     b.Stairs(-96, 96, 96, 0, 128, North, s.mats.trim, 16, 24);
                     Pillar(b, -256, -256, 40, s.height, s.mats.trim);
                     Pillar(b, 256, -256, 40, s.height, s.mats.trim);
                     b.Light({0, -120, 352}, "200 220 255 280");
                     b.Light({0, 320, 352}, "200 220 255 200");
                     b.Item({256, 160, 16}, 4);
                     b.Item({-300, 320, 144}, 0);
                     b.Prop(kCanister, {-300, -120, 0});
                     b.FixedProp(kControlChair, {300, -100, 0}, 180);
                 }});
    d.push_back({"cross_brick_hall", "Brick Crossing", "A brick crossing hall with crates in its corners.", 3,
                 Shell(3, kBrick, 288), [](RoomBuilder& b, const ShellPlan& s) {
                     Cover(b, -352, -352, -224, -288, 72, s.mats.trim);
                     Cover(b, 224, 288, 352, 352, 72, s.mats.trim);
                     b.Prop(kCrate, {-280, 280, 0});
                     b.Prop(kCrate, {280, -280, 0}, 45);
                     b.Prop(kDrum, {300, -200, 0});
                     b.Light({0, 0, 256});
                     b.SpawnPoint({200, 200, 8});
                     b.Item({-300, -200, 16}, 2);
                     b.Weapon({200, -300, 16}, 2);
                 }});

    // ---- alleys: dead ends open to the north ----
    d.push_back({"alley_concrete_storeroom", "Storeroom", "A dead-end storeroom with shelves full of supplies.", 4,
                 Shell(4, kConcrete, 256), [](RoomBuilder& b, const ShellPlan& s) {
                     for (double y : {-320.0, -160.0, 0.0}) {
                         Cover(b, -352, y, -288, y + 96, 8, s.mats.trim, 48);
                         Cover(b, 288, y, 352, y + 96, 8, s.mats.trim, 48);
                         Cover(b, -352, y, -344, y + 8, 48, s.mats.trim);
                         Cover(b, 344, y, 352, y + 8, 48, s.mats.trim);
                     }
                     b.Light({0, -120, 224});
                     b.Item({-256, -272, 16}, 0);
                     b.Item({-256, -112, 16}, 2);
                     b.Item({256, -272, 16}, 2);
                     b.Item({256, 48, 16}, 4);
                     b.Weapon({0, -320, 16}, 2, 90);
                     b.Prop(kBox, {-320, -240, 56});
                     b.Prop(kBox, {320, -80, 56});
                     b.Prop(kBucket, {200, -320, 0});
                 }});
    d.push_back({"alley_sky_deadend", "Dead-end Yard", "A walled yard with no way through, open to the sky.", 4,
                 Shell(4, kBrick, 448, true), [](RoomBuilder& b, const ShellPlan& s) {
                     Cover(b, -240, -160, -96, -128, 56, s.mats.trim);
                     Cover(b, 96, -160, 240, -128, 56, s.mats.trim);
                     b.Prop(kDrum, {-300, -300, 0});
                     b.Prop(kDrum, {-256, -310, 0});
                     b.Light({0, -200, 300}, "255 235 210 200");
                     b.Item({300, -300, 16}, 0);
                     b.Weapon({-300, 200, 16}, 4);
                 }});
    d.push_back({"alley_loft", "Loft Alcove", "A dead end with a loft up a flight of stairs at the back.", 4,
                 Shell(4, kPlaster, 320), [](RoomBuilder& b, const ShellPlan& s) {
                     b.Box({-368, -368, 0}, {368, -176, 96}, s.mats.trim);
                     b.Stairs(-96, 96, 16, 0, 96, South, s.mats.trim);
                     b.Light({0, 160, 288});
                     b.Light({0, -272, 288}, "255 215 170 180");
                     b.Weapon({-240, -272, 112}, 2, 90);
                     b.Item({240, -272, 112}, 2);
                     b.FixedProp(kBed, {-280, -300, 96}, 0);
                     b.Prop(kChair, {250, 200, 0}, 90);
                 }});
    d.push_back({"alley_metal_vault", "Metal Vault", "A sealed metal vault; what stands in it changes.", 4,
                 Shell(4, kMetal, 256), [](RoomBuilder& b, const ShellPlan& s) {
                     Pillar(b, -208, -208, 32, s.height, s.mats.trim);
                     Pillar(b, 208, -208, 32, s.height, s.mats.trim);
                     Node& g1 = b.SpawnGroup("vault_racks");
                     b.Box({-352, -96, 0}, {-320, 96, 96}, s.mats.trim, &g1);
                     Node& g2 = b.SpawnGroup("vault_blocks");
                     b.Box({320, -96, 0}, {352, 96, 96}, s.mats.trim, &g2);
                     b.SpawnController({0, -300, 16}, {{"vault_racks", 2}, {"vault_blocks", 2}}, 1);
                     b.Light({0, -100, 224}, "200 220 255 260");
                     b.Weapon({0, -300, 16}, 0, 90);
                     b.Item({-280, -300, 16}, 2);
                     b.Prop(kCanister, {250, -320, 0});
                     b.FixedProp(kCloset, {-340, -340, 0}, 90);
                 }});

    // ---- game start rooms: open to the north, the player starts here ----
    auto start = StartKit;
    d.push_back({"start_concrete_bunker", "Bunker Start", "The level starts in a concrete bunker.", 5,
                 Shell(5, kConcrete, 256), [start](RoomBuilder& b, const ShellPlan& s) {
                     start(b, s, 4);
                     Cover(b, -352, -352, -256, -256, 48, s.mats.trim);
                     Cover(b, 256, -352, 352, -256, 48, s.mats.trim);
                     b.Light({0, 200, 224}, "255 220 180 160");
                     b.Prop(kCrate, {-300, -300, 48});
                     b.FixedProp(kBedframe, {300, 200, 0}, 90);
                 }});
    d.push_back({"start_sky_yard", "Yard Start", "The level starts in a yard under the open sky.", 5,
                 Shell(5, kBrick, 448, true), [start](RoomBuilder& b, const ShellPlan& s) {
                     start(b, s, 0);
                     b.Prop(kCrate, {-280, 200, 0});
                     b.Prop(kDrum, {280, 200, 0});
                 }});
    d.push_back({"start_metal_room", "Metal Start", "The level starts in a metal room with crates.", 5,
                 Shell(5, kMetal, 256), [start](RoomBuilder& b, const ShellPlan& s) {
                     start(b, s, 2);
                     Cover(b, -352, 160, -256, 256, 64, s.mats.trim);
                     b.Prop(kCrate, {280, 240, 0});
                     b.Light({0, 240, 224}, "200 220 255 200");
                     b.Prop(kCanister, {-300, 100, 0});
                 }});
    d.push_back({"start_brick_cellar", "Cellar Start", "The level starts in a brick cellar.", 5, Shell(5, kBrick, 224),
                 [start](RoomBuilder& b, const ShellPlan& s) {
                     start(b, s, 2);
                     for (double x : {-208.0, 208.0}) Pillar(b, x, 64, 24, s.height, s.mats.trim);
                     b.Light({0, 200, 192}, "255 200 150 180");
                     b.Prop(kDrum, {-300, 250, 0});
                     b.Prop(kCrate, {300, 250, 0});
                 }});

    // ---- game end rooms: open to the north; walking in ends the game ----
    auto finale = FinaleKit;
    d.push_back({"end_concrete_exit", "Concrete Exit", "The way out: reaching the back of this room ends the game.", 6,
                 Shell(6, kConcrete, 256), [finale](RoomBuilder& b, const ShellPlan& s) {
                     finale(b, s, "You made it out. Well done!");
                     Pillar(b, -300, 200, 24, s.height, s.mats.trim);
                     Pillar(b, 300, 200, 24, s.height, s.mats.trim);
                     b.Prop(kDrum, {-320, 300, 0});
                     b.FixedProp(kCageLight, {-200, 360, 180}, 180);
                 }});
    d.push_back({"end_sky_finale", "Open Finale", "The sky opens above the end of the journey.", 6,
                 Shell(6, kBrick, 512, true), [finale](RoomBuilder& b, const ShellPlan& s) {
                     finale(b, s, "Daylight at last. You made it!");
                     Cover(b, -320, 96, -192, 128, 56, s.mats.trim);
                     Cover(b, 192, 96, 320, 128, 56, s.mats.trim);
                     b.Item({-280, 200, 16}, 0);
                     b.FixedProp(kBench, {0, 300, 0}, 180);
                 }});
    d.push_back({"end_metal_chamber", "Exit Chamber", "A metal chamber at the end of the line.", 6,
                 Shell(6, kMetal, 288), [finale](RoomBuilder& b, const ShellPlan& s) {
                     finale(b, s, "The chamber seals behind you. You made it!");
                     Pillar(b, -256, 256, 40, s.height, s.mats.trim);
                     Pillar(b, 256, 256, 40, s.height, s.mats.trim);
                     b.Light({0, 240, 256}, "200 220 255 200");
                     b.Prop(kCanister, {-320, 320, 0});
                     b.FixedProp(kControlChair, {320, 100, 0}, 180);
                 }});
    d.push_back({"end_brick_hall", "Last Hall", "A brick hall guarded one last time before the end.", 6,
                 Shell(6, kBrick, 320), [finale](RoomBuilder& b, const ShellPlan& s) {
                     finale(b, s, "The last hall is yours. You made it!");
                     Cover(b, -224, 32, -96, 64, 48, s.mats.trim);
                     Cover(b, 96, 32, 224, 64, 48, s.mats.trim);
                     b.Weapon({300, 300, 16}, 2);
                     b.Prop(kCrate, {-300, 300, 0});
                     b.Prop(kDrum, {300, 250, 0});
                 }});
    AddCityRooms(d);
    return d;
}

}  // namespace

std::vector<GeneratedRoom> BuildLibrary(const std::string& author, const roomkit::ModelKinds& models) {
    std::vector<GeneratedRoom> out;
    for (const auto& def : LibraryV3()) {
        RoomBuilder b(def.name, def.type, def.description, &models);
        b.MakeShell(def.shell);
        // Every room but the start holds a fight, the junctions a larger one (a room's plan may
        // ask for more or fewer).
        if (def.type != 5) b.Encounter(def.type == 2 || def.type == 3 ? 3 : 2);
        def.fill(b, def.shell);
        out.push_back({def.file, b.Finish(author)});
    }
    return out;
}

}  // namespace roomgen

namespace roomgen {

namespace {

void CountSolids(const Node& n, int& count, std::set<std::string>& materials) {
    for (const auto& c : n.children) {
        if (!c.isBlock) continue;
        if (c.key == "solid") {
            ++count;
            for (const auto& side : c.children)
                if (side.isBlock && side.key == "side") {
                    std::string m = side.Get("material");
                    for (char& ch : m) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
                    materials.insert(m);
                }
        }
    }
}

}  // namespace

RoomMakeup MakeupOf(const Node& map) {
    RoomMakeup out;
    for (const auto& block : map.children) {
        if (!block.isBlock) continue;
        if (block.key == "world") CountSolids(block, out.worldBrushes, out.materials);
        if (block.key != "entity") continue;
        const std::string cls = block.Get("classname");
        int brushes = 0;
        CountSolids(block, brushes, out.materials);
        if (cls == "func_detail") out.detailBrushes += brushes;
        if (cls == "infodecal") {
            std::string texture = block.Get("texture");
            for (char& ch : texture) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            out.materials.insert(texture);
        }
        out.characters += cls == "vornic_npc";
        out.nodes += cls.rfind("info_node", 0) == 0;
        out.cubemaps += cls == "env_cubemap";
        if (cls.rfind("prop_", 0) == 0) out.models.insert(roomkit::LowerCase(block.Get("model")));
    }
    return out;
}

const std::vector<roomkit::PropModel>& FurnitureModels() {
    static const std::vector<roomkit::PropModel> all{kDrum,
                                                     kDrumRed,
                                                     kBlueBarrel,
                                                     kCrate,
                                                     kCrateBig,
                                                     kPallet,
                                                     kBoard,
                                                     kBox,
                                                     kBucket,
                                                     kGasCan,
                                                     kCanister,
                                                     kPushcart,
                                                     kChair,
                                                     kOfficeChair,
                                                     kLaundryCart,
                                                     kTrashcan,
                                                     kPanel,
                                                     kPot,
                                                     kTable,
                                                     kTable2,
                                                     kDesk,
                                                     kDresser,
                                                     kShelf,
                                                     kKitchenShelf,
                                                     kFridge,
                                                     kRadiator,
                                                     kCouch,
                                                     kBed,
                                                     kBedframe,
                                                     kBathtub,
                                                     kFileCabinet,
                                                     kCloset,
                                                     kControlChair,
                                                     kDumpster,
                                                     kConcreteBarrier,
                                                     kWoodFence,
                                                     kCombineBarricade,
                                                     kCombineBarricadeMed,
                                                     kCar,
                                                     kCar2,
                                                     kGasPump,
                                                     kCashRegister,
                                                     kBench,
                                                     kBenchIndoor,
                                                     kCafeTable,
                                                     kCafeBench,
                                                     kStove,
                                                     kCounter,
                                                     kWasher,
                                                     kDryer,
                                                     kConcretePipe,
                                                     kBoiler,
                                                     kCooler,
                                                     kDockPole,
                                                     kHangingLamp,
                                                     kCageLight,
                                                     kLampFixture,
                                                     kStreetLamp};
    static const std::vector<roomkit::PropModel> withV3 = [] {
        auto v = all;
        v.insert(v.end(), v3::Models().begin(), v3::Models().end());
        return v;
    }();
    return withV3;
}

std::vector<std::string> ContentFaults(const Node& map) {
    std::vector<std::string> faults;
    const roomkit::RoomSpace space = roomkit::SpaceOfMap(map);
    int type = -1, nodes = 0, cubemaps = 0, lods = 0;
    std::vector<Vec3> characters, groundNodes;
    std::vector<std::pair<Vec3, Vec3>> saves, ending;
    for (const auto& e : map.children) {
        if (!e.isBlock || e.key != "entity") continue;
        const std::string cls = e.Get("classname");
        Vec3 at;
        tessellon::ParseVector(e.Get("origin"), at);
        if (cls == roomkit::kInfoClass) type = std::atoi(e.Get("roomtype").c_str());
        if (cls.rfind("info_node", 0) == 0) ++nodes;
        if (cls == "info_node" || cls == "info_node_hint") groundNodes.push_back(at);
        if (cls == "vornic_npc") characters.push_back(at);
        cubemaps += cls == "env_cubemap";
        lods += cls == "water_lod_control";
        for (const auto* solid : e.Blocks("solid")) {
            std::string error;
            int line = 0;
            const auto b = roomkit::BrushFromSolid(*solid, error, line);
            if (!b) continue;
            if (cls == "trigger_autosave") saves.emplace_back(b->Min(), b->Max());
            if (cls == "trigger_once" || cls == "trigger_hurt") ending.emplace_back(b->Min(), b->Max());
        }
    }
    // None of the end room's characters waits where the ending happens.
    for (const auto& c : characters)
        for (const auto& [lo, hi] : ending)
            if (c.x > lo.x && c.x < hi.x && c.y > lo.y && c.y < hi.y)
                faults.push_back("a character at " + roomkit::FormatCoord(c.x) + " " + roomkit::FormatCoord(c.y) +
                                 " stands where the level ends");
    if (!space.Doors().empty()) {
        const int first = space.DoorPlace(space.Doors().front());
        const auto reach = space.Walk().Reach(first);
        for (const auto& d : space.Doors())
            if (first < 0 || space.DoorPlace(d) < 0 || !reach[static_cast<size_t>(space.DoorPlace(d))])
                faults.push_back(std::string("the ") + roomkit::SideName(d.side) + " doorway cannot be reached");
    }
    // No placeholder inside a prop's rough box (a hanging lamp's hangs down from its origin).
    std::vector<std::pair<Vec3, Vec3>> propBoxes;
    for (const auto& e : map.children) {
        if (!e.isBlock || e.key != "entity" || e.Get("classname").rfind("prop_", 0) != 0) continue;
        const std::string model = roomkit::LowerCase(e.Get("model"));
        const auto& all = FurnitureModels();
        const auto m = std::find_if(all.begin(), all.end(), [&](const auto& pm) { return pm.path == model; });
        if (m == all.end()) {
            faults.push_back("a prop of a model with no assumed size: " + model);
            continue;
        }
        Vec3 at, angles;
        tessellon::ParseVector(e.Get("origin"), at);
        tessellon::ParseVector(e.Get("angles"), angles);
        const double turn = std::fmod(std::fabs(angles.y), 180);
        double hx = m->halfX, hy = m->halfY;
        if (std::fabs(turn - 90) < 1) std::swap(hx, hy);
        else if (turn > 1 && turn < 179) hx = hy = std::max(hx, hy);
        const double base = m->originAtCentre ? at.z - m->height / 2 : at.z;
        propBoxes.emplace_back(Vec3{at.x - hx, at.y - hy, base}, Vec3{at.x + hx, at.y + hy, base + m->height});
    }
    for (const auto& e : map.children) {
        if (!e.isBlock || e.key != "entity") continue;
        const std::string cls = e.Get("classname");
        if (cls != "vornic_npc" && cls != "vornic_item" && cls != "vornic_weapon" && cls != "info_player_start")
            continue;
        Vec3 at;
        tessellon::ParseVector(e.Get("origin"), at);
        for (const auto& [lo, hi] : propBoxes)
            if (at.x > lo.x && at.x < hi.x && at.y > lo.y && at.y < hi.y && at.z + 8 > lo.z && at.z < hi.z)
                faults.push_back(cls + " at " + roomkit::FormatCoord(at.x) + " " + roomkit::FormatCoord(at.y) +
                                 " stands inside a prop");
    }
    if (nodes < 1 || nodes > roomkit::kMaxRoomNodes)
        faults.push_back(std::to_string(nodes) + " nodes (1 to " + std::to_string(roomkit::kMaxRoomNodes) + " wanted)");
    for (const auto& d : space.Doors())
        if (std::none_of(groundNodes.begin(), groundNodes.end(), [&](const Vec3& n) {
                const Vec3 v = n - d.point;
                return std::sqrt(Dot(v, v)) <= 64;
            }))
            faults.push_back(std::string("no node just inside the ") + roomkit::SideName(d.side) + " doorway");
    const int wanted[2] = {type == 5 ? 0 : 2, type == 5 ? 0 : 4};
    if (static_cast<int>(characters.size()) < wanted[0] || static_cast<int>(characters.size()) > wanted[1])
        faults.push_back(std::to_string(characters.size()) + " characters");
    const auto views = roomkit::StartViews(space);
    for (const auto& c : characters)
        if (roomkit::SeenFrom(space, c, views))
            faults.push_back("a character at " + roomkit::FormatCoord(c.x) + " " + roomkit::FormatCoord(c.y) +
                             " is in sight of a player start");
    if (cubemaps < 1) faults.push_back("no cube map");
    std::set<double> waterTops;
    for (const auto& b : space.Brushes())
        if (b.kind == roomkit::SpaceBrush::Water) waterTops.insert(b.hi.z);
    if (!waterTops.empty() && lods != 1) faults.push_back("water without one water_lod_control");
    if (waterTops.size() > 1) faults.push_back("more than one water height");
    if (type == 0 && saves.empty()) faults.push_back("a one-way part without a save");
    for (const auto& [lo, hi] : saves) {
        if (const std::string f = roomkit::SaveZoneFault(space, lo, hi); !f.empty()) faults.push_back(f);
        std::vector<Vec3> eyes;
        for (double x = lo.x; x <= hi.x + 0.5; x += (hi.x - lo.x) / 2)
            for (double y = lo.y; y <= hi.y + 0.5; y += (hi.y - lo.y) / 4)
                for (double up : {36.0, 64.0}) eyes.push_back({x, y, lo.z + up});
        for (const auto& c : characters)
            if (roomkit::SeenFrom(space, c, eyes))
                faults.push_back("a character at " + roomkit::FormatCoord(c.x) + " " + roomkit::FormatCoord(c.y) +
                                 " sees the save");
    }
    return faults;
}

std::string ListText(const std::string& what, const std::set<std::string>& names) {
    std::string text = "# Every " + what + " the bundled room library uses, written by tessellon_roomgen.\n";
    for (const auto& n : names) text += n + "\n";
    return text;
}

}  // namespace roomgen
