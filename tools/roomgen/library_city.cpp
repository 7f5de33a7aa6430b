// The city rooms: each one a place a player would recognise, furnished with the game's own
// props so cover is made of furniture and crates as well as brushes.
#include "roomgen/plans.h"

namespace roomgen {

namespace {

using roomkit::East;
using roomkit::kWideGateKind;
using roomkit::North;
using roomkit::South;
using roomkit::West;

constexpr int G = kWideGateKind;

// A room whose floor has a water trench dug into it over x0..x1, y0..y1.
ShellPlan Trenched(ShellPlan s, double x0, double y0, double x1, double y1) {
    s.trench = roomkit::Trench{x0, y0, x1, y1};
    s.water = kWater;
    return s;
}

// Posts either side of a wide gate on the north side, inside the room.
void GatePosts(RoomBuilder& b, double height, const std::string& mat) {
    Pillar(b, -184, 344, 16, height, mat);
    Pillar(b, 184, 344, 16, height, mat);
}

void OneWay(std::vector<Def>& d) {
    d.push_back({"oneway_canal_walk", "Canal Walk", "A towpath beside a canal, through two sluice walls.", 0,
                 Trenched(Shell(0, kCanal, 320), 176, -368, 368, 368), [](RoomBuilder& b, const ShellPlan& s) {
                     // The openings are on the towpath, at its two ends; the walls stand in the
                     // water too, so nothing looks along the canal into the middle.
                     SaveBaffles(b, s,
                                 {.yNorth = 112,
                                  .ySouth = -112,
                                  .north0 = -368,
                                  .north1 = -224,
                                  .south0 = 32,
                                  .south1 = 176,
                                  .save0 = -120,
                                  .save1 = -56,
                                  .bottom = -roomkit::kTrenchDepth},
                                 s.mats.wall);
                     b.Prop(kPallet, {-300, -220, 0});
                     b.Prop(kDrum, {-320, 200, 0});
                     b.Prop(kDrum, {-300, 250, 0});
                     b.FixedProp(kDockPole, {166, 0, 0});
                     b.HangingLamp({-80, 0, s.height - 8}, kHangingLamp);
                     b.Light({0, 240, 280}, "220 230 255 220");
                     b.Light({0, -240, 280}, "220 230 255 180");
                     b.Item({-320, -300, 16}, 2);
                     b.Weapon({-200, 300, 16}, 1, 90);
                 }});
    d.push_back({"oneway_warehouse_aisle", "Warehouse Aisle",
                 "Tall racks of shelving line both sides; two stock walls split the aisle.", 0,
                 Shell(0, kWarehouse, 384), [](RoomBuilder& b, const ShellPlan& s) {
                     SaveBaffles(
                         b, s,
                         {.yNorth = 96, .ySouth = -112, .north0 = 96, .north1 = 224, .south0 = -224, .south1 = -96},
                         s.mats.wall);
                     for (double y : {-320.0, 128.0}) {
                         Shelving(b, {-352, y, 0}, {-240, y + 176, 192}, 3, s.mats.trim);
                         Shelving(b, {240, y, 0}, {352, y + 176, 192}, 3, s.mats.trim);
                     }
                     b.Prop(kCrate, {-296, -200, 64});
                     b.Prop(kBox, {296, 40, 0});
                     b.Prop(kCrateBig, {-300, 0, 0}, 90);
                     b.Prop(kCrateBig, {-160, 260, 0}, 15);
                     b.Prop(kPallet, {160, -280, 0});
                     b.HangingLamp({0, -200, s.height - 8}, kHangingLamp);
                     b.HangingLamp({0, 200, s.height - 8}, kHangingLamp);
                     b.Light({0, 0, 320});
                     b.Item({150, -200, 16}, 0);
                     b.Weapon({-150, -300, 16}, 2, 90);
                 }});
    d.push_back({"oneway_office_corridor", "Office Corridor",
                 "Cubicles with desks and cabinets; two office walls turn the walkway aside.", 0,
                 Shell(0, kOffice, 224), [](RoomBuilder& b, const ShellPlan& s) {
                     SaveBaffles(b, s, {.yNorth = 128, .ySouth = -128}, s.mats.wall);
                     for (double y : {-240.0, 240.0}) {
                         b.Box({-368, y, 0}, {-208, y + 8, 64}, s.mats.trim);
                         b.Box({208, y, 0}, {368, y + 8, 64}, s.mats.trim);
                     }
                     b.FixedProp(kDesk, {-300, -190, 0}, 0);
                     b.FixedProp(kDesk, {300, 190, 0}, 180);
                     b.FixedProp(kFileCabinet, {-350, 320, 0}, 0);
                     b.FixedProp(kFileCabinet, {350, -320, 0}, 180);
                     b.Prop(kOfficeChair, {-300, -150, 0}, 270);
                     b.Prop(kOfficeChair, {300, 150, 0}, 90);
                     b.FixedProp(kRadiator, {-360, 40, 0}, 0);
                     b.Light({0, -240, 200}, "255 250 235 240");
                     b.Light({0, 240, 200}, "255 250 235 240");
                     b.Light({0, 0, 200}, "255 250 235 180");
                     b.Item({280, -300, 16}, 4);
                     b.Weapon({-280, 300, 16}, 1, 90);
                 }});
    d.push_back({"oneway_service_tunnel", "Service Tunnel",
                 "A low tunnel with pipe runs along its walls and two bulkheads.", 0, Shell(0, kTunnel, 224),
                 [](RoomBuilder& b, const ShellPlan& s) {
                     SaveBaffles(b, s, {.yNorth = 96, .ySouth = -96}, s.mats.wall);
                     b.Box({-368, -368, 128}, {-336, 368, 160}, s.mats.trim);
                     b.Box({-368, -368, 168}, {-344, 368, 192}, s.mats.trim);
                     b.Box({336, -368, 40}, {368, 368, 72}, s.mats.trim);
                     Cover(b, -224, -40, -160, 40, 48, s.mats.wall);
                     Cover(b, 120, 160, 184, 240, 48, s.mats.wall);
                     Cover(b, -184, -240, -120, -160, 48, s.mats.wall);
                     b.FixedProp(kCageLight, {-330, 0, 150});
                     b.FixedProp(kCageLight, {330, 200, 150});
                     b.Prop(kBucket, {300, -300, 0});
                     b.Prop(kGasCan, {-300, 300, 0});
                     b.Light({-300, 0, 150}, "255 200 140 200");
                     b.Light({300, 200, 150}, "255 200 140 200");
                     b.Light({0, -250, 190}, "255 200 140 160");
                     b.Item({-280, -280, 16}, 2);
                 }});
    d.push_back({"oneway_gatehouse", "Gatehouse", "A yard with a wide gate to the north and a narrow door south.", 0,
                 Shell(0, kStreet, 448, true, {}, {G, 0, 0, 0}), [](RoomBuilder& b, const ShellPlan& s) {
                     GatePosts(b, 256, s.mats.trim);
                     SaveBaffles(b, s, {.yNorth = 128, .ySouth = -128}, s.mats.wall);
                     b.FixedProp(kConcreteBarrier, {-120, 220, 0}, 0);
                     b.FixedProp(kConcreteBarrier, {140, -220, 0}, 0);
                     b.Prop(kDrum, {-300, -300, 0});
                     b.FixedProp(kStreetLamp, {-330, 0, 0});
                     b.Light({-300, 0, 320}, "255 230 180 260");
                     b.Light({0, 260, 320}, "255 230 180 180");
                     b.Item({300, -300, 16}, 0);
                     b.Weapon({-250, 260, 16}, 4, 270);
                 }});
    d.push_back({"oneway_loading_gate", "Loading Gate", "A loading hall whose south side is a wide gate.", 0,
                 Shell(0, kWarehouse, 320, false, {}, {0, 0, G, 0}), [](RoomBuilder& b, const ShellPlan& s) {
                     Pillar(b, -184, -344, 16, s.height, s.mats.trim);
                     Pillar(b, 184, -344, 16, s.height, s.mats.trim);
                     SaveBaffles(b, s, {.yNorth = 112, .ySouth = -112}, s.mats.wall);
                     b.Box({-368, 224, 0}, {-224, 368, 48}, s.mats.trim);
                     b.Prop(kCrate, {-300, 290, 48});
                     b.Prop(kPallet, {260, 260, 0});
                     b.Prop(kCrateBig, {280, 20, 0}, 30);
                     b.HangingLamp({0, 0, s.height - 8}, kHangingLamp);
                     b.Light({0, -240, 280});
                     b.Light({0, 240, 280}, "255 236 200 180");
                     b.Item({240, 180, 16}, 2);
                 }});
    d.push_back({"oneway_boulevard", "Boulevard", "A wide street, gated at both ends, with parked cars.", 0,
                 Shell(0, kStreet, 512, true, {}, {G, 0, G, 0}), [](RoomBuilder& b, const ShellPlan& s) {
                     GatePosts(b, 256, s.mats.trim);
                     Pillar(b, -184, -344, 16, 256, s.mats.trim);
                     Pillar(b, 184, -344, 16, 256, s.mats.trim);
                     b.Box({-368, -368, 0}, {-256, 368, 8}, s.mats.trim);
                     b.Box({256, -368, 0}, {368, 368, 8}, s.mats.trim);
                     SaveBaffles(b, s, {.yNorth = 240, .ySouth = -240}, s.mats.wall);
                     b.FixedProp(kCar, {-300, 120, 8}, 90);
                     b.FixedProp(kCar2, {300, -140, 8}, 270);
                     b.FixedProp(kStreetLamp, {-330, -200, 8});
                     b.FixedProp(kStreetLamp, {330, 200, 8});
                     b.Prop(kTrashcan, {300, -320, 8});
                     b.Light({-300, -200, 360}, "255 220 170 300");
                     b.Light({300, 200, 360}, "255 220 170 300");
                     b.Item({-300, 320, 24}, 0);
                 }});
}

void Turns(std::vector<Def>& d) {
    d.push_back({"turn_ruined_apartment", "Ruined Apartment", "A flat with a fallen wall, a couch and a bed frame.", 1,
                 Shell(1, kRuin, 256), [](RoomBuilder& b, const ShellPlan& s) {
                     b.Box({-368, 0, 0}, {-176, 16, 160}, s.mats.wall);
                     b.Box({-112, 0, 0}, {-64, 16, 72}, s.mats.wall);
                     Cover(b, -200, -200, -150, -150, 40, s.mats.trim);
                     b.FixedProp(kCouch, {-280, -300, 0}, 90);
                     b.FixedProp(kBedframe, {-280, 220, 0}, 0);
                     b.FixedProp(kDresser, {-350, 100, 0}, 0);
                     b.Prop(kBoard, {100, -200, 0}, 30);
                     b.Prop(kBoard, {140, -250, 0}, 75);
                     b.Prop(kChair, {0, -300, 0}, 120);
                     b.HangingLamp({-100, -150, s.height - 8}, kHangingLamp, "255 200 150 300");
                     b.Light({200, 200, 220}, "255 210 170 200");
                     b.Item({-300, -150, 16}, 2);
                     b.Weapon({250, -300, 16}, 1, 90);
                 }});
    d.push_back({"turn_canteen", "Canteen", "A tiled canteen: counters along the back, tables and benches.", 1,
                 Shell(1, kTiled, 256), [](RoomBuilder& b, const ShellPlan& s) {
                     b.Box({-368, -368, 0}, {-320, 200, 40}, s.mats.trim);
                     b.FixedProp(kStove, {-340, -300, 40}, 0);
                     b.FixedProp(kCounter, {-340, -150, 40}, 0);
                     b.FixedProp(kFridge, {-340, 280, 0}, 0);
                     for (double y : {-240.0, -40.0}) {
                         b.FixedProp(kCafeTable, {-160, y, 0}, 0);
                         b.FixedProp(kCafeBench, {-160, y - 48, 0}, 0);
                         b.FixedProp(kCafeBench, {-160, y + 48, 0}, 180);
                     }
                     b.Prop(kPot, {-340, -240, 80});
                     b.HangingLamp({-160, -140, s.height - 8}, kHangingLamp);
                     b.Light({-160, 160, 220}, "255 245 225 220");
                     b.Item({250, -300, 16}, 4);
                     b.Weapon({-240, 300, 16}, 2, 270);
                 }});
    d.push_back({"turn_rooftop", "Rooftop Corner", "A flat roof with vents and machinery under the open sky.", 1,
                 Shell(1, kRooftop, 448, true), [](RoomBuilder& b, const ShellPlan& s) {
                     Cover(b, -320, -320, -192, -224, 72, s.mats.trim);
                     Cover(b, -320, 96, -256, 224, 96, s.mats.trim);
                     Cover(b, 160, -320, 288, -256, 40, s.mats.wall);
                     b.Box({-368, -160, 0}, {-336, 48, 24}, s.mats.trim);
                     b.FixedProp(kBoiler, {240, -180, 0}, 180);
                     b.Prop(kBlueBarrel, {-180, 300, 0});
                     b.Prop(kBucket, {0, -300, 0});
                     b.Light({0, 0, 320}, "255 240 220 200");
                     b.Item({-280, -200, 16}, 0);
                     b.Weapon({260, 300, 16}, 2, 270);
                 }});
    d.push_back({"turn_laundry", "Laundry Room", "Washers and dryers in rows, and laundry carts to push about.", 1,
                 Shell(1, kTiled, 240), [](RoomBuilder& b, const ShellPlan& s) {
                     for (double x : {-320.0, -240.0, -160.0}) {
                         b.FixedProp(kWasher, {x, -330, 0}, 90);
                         b.FixedProp(kDryer, {-340, x + 120, 0}, 0);
                     }
                     Cover(b, -96, -160, 96, -128, 48, s.mats.trim);
                     b.Prop(kLaundryCart, {120, -260, 0}, 20);
                     b.Prop(kLaundryCart, {-200, 120, 0}, 80);
                     b.HangingLamp({-120, -120, s.height - 8}, kHangingLamp);
                     b.Light({120, 120, 210}, "240 245 255 220");
                     b.Item({280, -300, 16}, 2);
                 }});
    d.push_back({"turn_combine_post", "Combine Corner Post", "A Combine post with barricades covering both doors.", 1,
                 Shell(1, kCombine, 288), [](RoomBuilder& b, const ShellPlan& s) {
                     Pillar(b, -200, -200, 40, s.height, s.mats.trim);
                     Cover(b, -352, 120, -240, 136, 64, s.mats.trim);
                     b.FixedProp(kCombineBarricade, {0, 200, 0}, 0);
                     b.FixedProp(kCombineBarricade, {200, 0, 0}, 90);
                     b.FixedProp(kCombineBarricadeMed, {-300, -300, 0}, 45);
                     b.Prop(kCanister, {-320, 300, 0});
                     b.HangingLamp({-200, 0, s.height - 8}, kHangingLamp, "200 220 255 350");
                     b.Light({100, -100, 256}, "190 210 255 260");
                     b.Item({-300, -160, 16}, 1);
                 }});
    d.push_back({"turn_yard_gate", "Yard Gate Bend", "A yard with a wide gate north and a narrow door east.", 1,
                 Shell(1, kStreet, 448, true, {}, {G, 0, 0, 0}), [](RoomBuilder& b, const ShellPlan& s) {
                     GatePosts(b, 256, s.mats.trim);
                     Cover(b, -320, -320, -192, -288, 56, s.mats.wall);
                     b.FixedProp(kDumpster, {-300, 80, 0}, 90);
                     b.FixedProp(kWoodFence, {120, -250, 0}, 0);
                     b.Prop(kCrate, {250, -320, 0});
                     b.Light({0, 0, 320}, "255 235 200 240");
                     b.Item({-300, -240, 16}, 0);
                     b.Weapon({300, 260, 16}, 1, 180);
                 }});
    d.push_back({"turn_dock_bend", "Dock Bend", "A quay where the canal turns; the east side is a wide gate.", 1,
                 Trenched(Shell(1, kCanal, 320, false, {}, {0, G, 0, 0}), -368, -368, -192, -192),
                 [](RoomBuilder& b, const ShellPlan& s) {
                     Pillar(b, 344, -184, 16, s.height, s.mats.trim);
                     Pillar(b, 344, 184, 16, s.height, s.mats.trim);
                     b.FixedProp(kDockPole, {-182, -182, 0});
                     b.Prop(kDrum, {200, 300, 0});
                     b.Prop(kPallet, {-300, 200, 0});
                     b.HangingLamp({0, 0, s.height - 8}, kHangingLamp);
                     b.Light({-260, -260, 280}, "210 225 255 200");
                     b.Item({150, -300, 16}, 2);
                 }});
}

void ThreeWays(std::vector<Def>& d) {
    d.push_back({"threeway_checkpoint", "Combine Checkpoint", "A guard booth and barricades at a Combine checkpoint.",
                 2, Shell(2, kCombine, 320), [](RoomBuilder& b, const ShellPlan& s) {
                     b.Box({-128, -368, 0}, {-112, -224, 128}, s.mats.trim);
                     b.Box({112, -368, 0}, {128, -224, 128}, s.mats.trim);
                     b.Box({-128, -240, 0}, {0, -224, 48}, s.mats.trim);
                     b.Box({-128, -368, 128}, {128, -224, 144}, s.mats.trim);
                     b.FixedProp(kCombineBarricade, {-200, 120, 0}, 0);
                     b.FixedProp(kCombineBarricade, {200, 120, 0}, 0);
                     b.FixedProp(kControlChair, {0, -300, 0}, 90);
                     b.HangingLamp({0, 40, s.height - 8}, kHangingLamp, "200 220 255 400");
                     b.Light({0, -300, 112}, "190 210 255 160");
                     b.Light({0, 200, 280}, "190 210 255 220");
                     b.Item({64, -290, 16}, 1);
                 }});
    d.push_back({"threeway_office_lobby", "Office Lobby", "A reception desk and waiting benches in a carpeted lobby.",
                 2, Shell(2, kOffice, 288), [](RoomBuilder& b, const ShellPlan& s) {
                     b.Box({-160, -240, 0}, {160, -208, 44}, s.mats.trim);
                     b.Box({-160, -240, 44}, {160, -200, 48}, s.mats.trim);
                     b.FixedProp(kCashRegister, {80, -224, 48}, 90);
                     b.FixedProp(kBenchIndoor, {-300, 200, 0}, 0);
                     b.FixedProp(kBenchIndoor, {300, 200, 0}, 180);
                     b.FixedProp(kFileCabinet, {-340, -340, 0}, 90);
                     b.Prop(kOfficeChair, {0, -290, 0}, 90);
                     b.HangingLamp({0, 0, s.height - 8}, kHangingLamp);
                     b.Light({-240, -240, 256});
                     b.Light({240, -240, 256});
                     b.Item({300, -300, 16}, 0);
                     b.Weapon({-300, 300, 16}, 1, 270);
                 }});
    d.push_back({"threeway_warehouse_floor", "Warehouse Floor", "Racks against the back wall and stacks of crates.", 2,
                 Shell(2, kWarehouse, 384), [](RoomBuilder& b, const ShellPlan& s) {
                     for (double x : {-352.0, -160.0, 48.0})
                         Shelving(b, {x, -360, 0}, {x + 176, -272, 224}, 4, s.mats.trim);
                     Cover(b, -240, -96, -160, -16, 80, s.mats.trim);
                     b.Prop(kCrate, {200, -60, 0});
                     b.Prop(kCrate, {240, -20, 0}, 20);
                     b.Prop(kCrateBig, {-200, 200, 0});
                     b.Prop(kPallet, {260, 240, 0});
                     b.HangingLamp({-120, 0, s.height - 8}, kHangingLamp);
                     b.HangingLamp({160, 0, s.height - 8}, kHangingLamp);
                     b.Light({0, 200, 320});
                     b.Item({-60, 60, 16}, 2);
                     b.Weapon({300, -200, 16}, 2, 180);
                 }});
    d.push_back({"threeway_canal_basin", "Canal Basin", "A quay around a basin of water against the closed side.", 2,
                 Trenched(Shell(2, kCanal, 320), -368, -368, 368, -176), [](RoomBuilder& b, const ShellPlan& s) {
                     b.FixedProp(kDockPole, {-200, -166, 0});
                     b.FixedProp(kDockPole, {200, -166, 0});
                     b.Prop(kDrum, {-300, 100, 0});
                     b.Prop(kBlueBarrel, {300, 60, 0});
                     b.HangingLamp({0, 0, s.height - 8}, kHangingLamp);
                     b.Light({0, -260, 280}, "210 225 255 220");
                     b.Item({260, 240, 16}, 2);
                 }});
    d.push_back({"threeway_depot_north", "Depot Yard", "A depot yard whose north side is a wide gate.", 2,
                 Shell(2, kStreet, 448, true, {}, {G, 0, 0, 0}), [](RoomBuilder& b, const ShellPlan& s) {
                     GatePosts(b, 256, s.mats.trim);
                     b.FixedProp(kGasPump, {-100, -250, 0}, 90);
                     b.FixedProp(kGasPump, {100, -250, 0}, 90);
                     Cover(b, -160, -280, 160, -264, 8, s.mats.trim);
                     b.FixedProp(kCar2, {-260, -60, 0}, 0);
                     b.Prop(kGasCan, {280, -300, 0});
                     b.Light({0, -160, 320}, "255 235 200 260");
                     b.Item({-300, -300, 16}, 4);
                     b.Weapon({300, 200, 16}, 2, 180);
                 }});
    d.push_back({"threeway_freight_east", "Freight Hall", "A freight hall whose east side is a wide gate.", 2,
                 Shell(2, kWarehouse, 352, false, {}, {0, G, 0, 0}), [](RoomBuilder& b, const ShellPlan& s) {
                     Pillar(b, 344, -184, 16, s.height, s.mats.trim);
                     Pillar(b, 344, 184, 16, s.height, s.mats.trim);
                     Shelving(b, {-352, -360, 0}, {-96, -280, 192}, 3, s.mats.trim);
                     b.Prop(kCrate, {100, -300, 0});
                     b.Prop(kCrateBig, {200, -280, 0}, 40);
                     b.Prop(kPushcart, {-100, 200, 0}, 90);
                     b.HangingLamp({0, -100, s.height - 8}, kHangingLamp);
                     b.Light({-200, 200, 300});
                     b.Item({250, 280, 16}, 0);
                 }});
    d.push_back({"threeway_market_west", "Market Hall", "A covered market whose west side is a wide gate.", 2,
                 Shell(2, kPlaster, 352, false, {}, {0, 0, 0, G}), [](RoomBuilder& b, const ShellPlan& s) {
                     Pillar(b, -344, -184, 16, s.height, s.mats.trim);
                     Pillar(b, -344, 184, 16, s.height, s.mats.trim);
                     for (double x : {-200.0, 40.0}) {
                         Cover(b, x, -340, x + 160, -280, 40, s.mats.trim);
                         b.Box({x, -340, 96}, {x + 160, -280, 104}, "METAL/METALWALL003A");
                     }
                     b.FixedProp(kCooler, {300, 300, 0}, 180);
                     b.Prop(kBox, {-100, -240, 0});
                     b.Prop(kBox, {130, -240, 0});
                     b.HangingLamp({0, 0, s.height - 8}, kHangingLamp);
                     b.Light({200, 200, 300}, "255 240 215 220");
                     b.Item({300, -200, 16}, 4);
                     b.Weapon({-200, 260, 16}, 1, 270);
                 }});
}

void Crosses(std::vector<Def>& d) {
    d.push_back({"cross_stairwell", "Stairwell Landing",
                 "A landing block in the middle, climbed by stairs from two sides.", 3, Shell(3, kConcrete, 384),
                 [](RoomBuilder& b, const ShellPlan& s) {
                     b.Box({-288, -288, 0}, {-128, -128, 96}, s.mats.trim);
                     b.Stairs(-288, -208, 16, 0, 96, West, s.mats.trim, 16, 24);
                     Railing(b, -288, -128, -286, 96, false, "METAL/METALWALL001A");
                     b.Box({128, 128, 0}, {288, 288, 96}, s.mats.trim);
                     b.Stairs(208, 288, -16, 0, 96, East, s.mats.trim, 16, 24);
                     Railing(b, 128, 288, 286, 96, false, "METAL/METALWALL001A");
                     b.FixedProp(kCageLight, {-350, 0, 200});
                     b.Light({0, 0, 352});
                     b.Item({-160, -250, 112}, 0);
                     b.Weapon({250, 160, 112}, 1, 225);
                 }});
    d.push_back({"cross_fountain_plaza", "Fountain Plaza", "A square around a dry-stone fountain, open to the sky.", 3,
                 Trenched(Shell(3, kStreet, 512, true), -96, -96, 96, 96), [](RoomBuilder& b, const ShellPlan& s) {
                     b.Box({-112, -112, 0}, {112, -96, 16}, s.mats.trim);
                     b.Box({-112, 96, 0}, {112, 112, 16}, s.mats.trim);
                     b.Box({-112, -96, 0}, {-96, 96, 16}, s.mats.trim);
                     b.Box({96, -96, 0}, {112, 96, 16}, s.mats.trim);
                     b.Box({-16, -16, -roomkit::kTrenchDepth}, {16, 16, 64}, s.mats.trim);
                     b.FixedProp(kBench, {-260, -260, 0}, 45);
                     b.FixedProp(kBench, {260, 260, 0}, 225);
                     b.FixedProp(kStreetLamp, {-300, 300, 0});
                     b.FixedProp(kStreetLamp, {300, -300, 0});
                     b.Light({-300, 300, 200}, "255 220 170 260");
                     b.Light({300, -300, 200}, "255 220 170 260");
                     b.Item({-300, -160, 16}, 0);
                 }});
    d.push_back({"cross_crate_hall", "Crate Hall", "A store hall with crates stacked in each corner.", 3,
                 Shell(3, kWarehouse, 352), [](RoomBuilder& b, const ShellPlan& s) {
                     for (double x : {-1.0, 1.0})
                         for (double y : {-1.0, 1.0}) {
                             Cover(b, x < 0 ? -352 : 224, y < 0 ? -352 : 224, x < 0 ? -224 : 352, y < 0 ? -224 : 352,
                                   64, s.mats.trim);
                             b.Prop(kCrate, {x * 288, y * 288, 64});
                         }
                     b.Prop(kCrateBig, {-160, 160, 0}, 20);
                     b.Prop(kPallet, {160, -160, 0});
                     b.HangingLamp({0, 0, s.height - 8}, kHangingLamp);
                     b.Light({0, 0, 300});
                     b.Item({160, 160, 16}, 2);
                     b.Weapon({0, -300, 16}, 2, 90);
                 }});
    d.push_back({"cross_bathhouse", "Bathhouse", "Tiled columns around a shallow plunge pool.", 3,
                 Trenched(Shell(3, kTiled, 288), -160, -176, 160, 176), [](RoomBuilder& b, const ShellPlan& s) {
                     for (double x : {-224.0, 224.0})
                         for (double y : {-224.0, 224.0}) Pillar(b, x, y, 24, s.height, s.mats.trim);
                     b.FixedProp(kBathtub, {-320, -320, 0}, 0);
                     b.FixedProp(kBathtub, {320, 320, 0}, 180);
                     b.Prop(kBucket, {300, -300, 0});
                     b.Light({0, 0, 256}, "240 250 255 260");
                     b.Item({300, -200, 16}, 4);
                 }});
    d.push_back({"cross_combine_nexus", "Combine Nexus", "A Combine control floor of metal columns and consoles.", 3,
                 Shell(3, kLab, 320), [](RoomBuilder& b, const ShellPlan& s) {
                     for (double a : {-1.0, 1.0}) {
                         Pillar(b, a * 160, a * 160, 32, s.height, "METAL/METALCOMBINE001");
                         Pillar(b, a * 160, -a * 160, 32, s.height, "METAL/METALCOMBINE001");
                     }
                     Cover(b, -320, -320, -224, -288, 48, s.mats.trim);
                     Cover(b, 224, 288, 320, 320, 48, s.mats.trim);
                     b.FixedProp(kCombineBarricade, {-280, 200, 0}, 90);
                     b.FixedProp(kControlChair, {280, -280, 0}, 180);
                     b.HangingLamp({0, 0, s.height - 8}, kHangingLamp, "200 220 255 380");
                     b.Light({0, -260, 280}, "190 210 255 220");
                     b.Weapon({0, 280, 16}, 4, 270);
                 }});
    d.push_back({"cross_collapsed_block", "Collapsed Block", "Rubble and broken walls of a building open to the sky.",
                 3, Shell(3, kRuin, 448, true), [](RoomBuilder& b, const ShellPlan& s) {
                     b.Box({-352, 160, 0}, {-176, 176, 144}, s.mats.wall);
                     b.Box({176, -176, 0}, {352, -160, 96}, s.mats.wall);
                     Cover(b, -300, -300, -200, -220, 32, s.mats.trim);
                     Cover(b, 200, 220, 320, 300, 48, s.mats.trim);
                     b.Prop(kBoard, {-150, -100, 0}, 40);
                     b.Prop(kPanel, {120, 80, 0}, 10);
                     b.FixedProp(kBedframe, {-300, 280, 0}, 90);
                     b.Light({0, 0, 320}, "255 235 210 200");
                     b.Item({-120, 300, 16}, 0);
                 }});
    d.push_back({"cross_gate_square", "Gate Square", "A crossing whose north and south sides are wide gates.", 3,
                 Shell(3, kStreet, 448, true, {}, {G, 0, G, 0}), [](RoomBuilder& b, const ShellPlan& s) {
                     GatePosts(b, 256, s.mats.trim);
                     Pillar(b, -184, -344, 16, 256, s.mats.trim);
                     Pillar(b, 184, -344, 16, 256, s.mats.trim);
                     Cover(b, -352, -352, -240, -240, 64, s.mats.trim);
                     Cover(b, 240, 240, 352, 352, 64, s.mats.trim);
                     b.FixedProp(kConcreteBarrier, {-240, 120, 0}, 90);
                     b.FixedProp(kConcreteBarrier, {240, -120, 0}, 90);
                     b.Light({0, 0, 320}, "255 235 205 240");
                     b.Item({300, -200, 16}, 0);
                 }});
    d.push_back({"cross_gate_hall", "Gate Hall", "A crossing hall whose east and west sides are wide gates.", 3,
                 Shell(3, kCellar, 320, false, {}, {0, G, 0, G}), [](RoomBuilder& b, const ShellPlan& s) {
                     Pillar(b, 344, -184, 16, s.height, s.mats.trim);
                     Pillar(b, 344, 184, 16, s.height, s.mats.trim);
                     Pillar(b, -344, -184, 16, s.height, s.mats.trim);
                     Pillar(b, -344, 184, 16, s.height, s.mats.trim);
                     Cover(b, -96, -96, 96, -64, 48, s.mats.trim);
                     b.Prop(kCrate, {-280, 280, 0});
                     b.Prop(kDrum, {280, -280, 0});
                     b.HangingLamp({0, 160, s.height - 8}, kHangingLamp);
                     b.Light({0, -200, 280}, "255 215 175 220");
                     b.Weapon({-200, -260, 16}, 1, 90);
                 }});
}

void Alleys(std::vector<Def>& d) {
    d.push_back({"alley_bedroom", "Ruined Bedroom", "A dead-end bedroom: bed, dresser and a bathtub in the corner.", 4,
                 Shell(4, kApartment, 240), [](RoomBuilder& b, const ShellPlan& s) {
                     b.Box({-368, -96, 0}, {-208, -80, 240}, s.mats.wall);
                     b.FixedProp(kBed, {-280, -280, 0}, 90);
                     b.FixedProp(kDresser, {300, -340, 0}, 90);
                     b.FixedProp(kBathtub, {-300, 200, 0}, 0);
                     b.FixedProp(kRadiator, {360, 0, 0}, 180);
                     b.Prop(kChair, {200, 120, 0}, 200);
                     b.HangingLamp({0, -120, s.height - 8}, kLampFixture, "255 210 160 280");
                     b.Light({0, 200, 210}, "255 215 170 180");
                     b.Item({-150, -300, 16}, 4);
                     b.Weapon({250, -200, 16}, 2, 90);
                 }});
    d.push_back({"alley_manager_office", "Manager Office", "A dead-end office with a desk, cabinets and a couch.", 4,
                 Shell(4, kOffice, 224), [](RoomBuilder& b, const ShellPlan& s) {
                     b.FixedProp(kDesk, {0, -260, 0}, 90);
                     b.Prop(kOfficeChair, {0, -320, 0}, 90);
                     b.FixedProp(kFileCabinet, {-340, -340, 0}, 90);
                     b.FixedProp(kFileCabinet, {-300, -340, 0}, 90);
                     b.FixedProp(kCouch, {320, 0, 0}, 180);
                     b.FixedProp(kShelf, {-350, 100, 0}, 0);
                     b.HangingLamp({0, -160, s.height - 8}, kLampFixture);
                     b.Light({0, 160, 200}, "255 250 235 200");
                     b.Item({200, -300, 16}, 0);
                     b.Item({-200, 250, 16}, 2);
                 }});
    d.push_back({"alley_canal_outfall", "Canal Outfall", "A dead end where a culvert pours into a pool.", 4,
                 Trenched(Shell(4, kCanal, 320), -368, -368, 368, -192), [](RoomBuilder& b, const ShellPlan& s) {
                     b.Box({-64, -368, 64}, {64, -336, 160}, s.mats.trim);
                     b.FixedProp(kConcretePipe, {-280, -100, 0}, 0);
                     b.Prop(kDrum, {260, -120, 0});
                     b.Prop(kDrumRed, {300, -80, 0});
                     b.HangingLamp({0, 0, s.height - 8}, kHangingLamp);
                     b.Light({0, -280, 280}, "210 225 255 200");
                     b.Item({-280, 200, 16}, 2);
                 }});
    d.push_back({"alley_roof_nook", "Roof Nook", "A corner of roof boxed in by chimneys and a water tank.", 4,
                 Shell(4, kRooftop, 448, true), [](RoomBuilder& b, const ShellPlan& s) {
                     Cover(b, -352, -352, -224, -224, 160, s.mats.wall);
                     Cover(b, 224, -352, 352, -256, 96, s.mats.trim);
                     b.Box({-48, -352, 0}, {48, -320, 24}, s.mats.trim);
                     b.FixedProp(kBoiler, {240, 100, 0}, 180);
                     b.Prop(kBucket, {-200, 100, 0});
                     b.Prop(kBlueBarrel, {-300, 250, 0});
                     b.Light({0, -200, 300}, "255 240 215 200");
                     b.Weapon({300, -200, 16}, 2, 90);
                 }});
    d.push_back({"alley_holding_cell", "Holding Cell", "Combine cells behind bars at the end of a corridor.", 4,
                 Shell(4, kCombine, 256), [](RoomBuilder& b, const ShellPlan& s) {
                     for (double x = -360; x < -96; x += 48) b.Box({x, -160, 0}, {x + 6, -154, s.height}, s.mats.trim);
                     for (double x = 136; x < 368; x += 48) b.Box({x, -160, 0}, {x + 6, -154, s.height}, s.mats.trim);
                     b.FixedProp(kBedframe, {-260, -300, 0}, 0);
                     b.FixedProp(kBedframe, {260, -300, 0}, 0);
                     b.FixedProp(kCombineBarricade, {-200, 150, 0}, 0);
                     b.HangingLamp({0, -60, s.height - 8}, kHangingLamp, "200 220 255 350");
                     b.Light({0, 200, 220}, "190 210 255 200");
                     b.Item({-250, -250, 16}, 2);
                 }});
    d.push_back({"alley_pantry", "Pantry", "A tiled storeroom of kitchen shelves and a fridge.", 4,
                 Shell(4, kTiled, 240), [](RoomBuilder& b, const ShellPlan& s) {
                     for (double y : {-320.0, -160.0}) Shelving(b, {-352, y, 0}, {-272, y + 128, 160}, 3, s.mats.trim);
                     b.FixedProp(kKitchenShelf, {320, -300, 0}, 180);
                     b.FixedProp(kFridge, {330, -100, 0}, 180);
                     b.Prop(kPot, {-300, -250, 56});
                     b.Prop(kBox, {100, -300, 0});
                     b.Light({0, -120, 210});
                     b.Item({-200, 100, 16}, 4);
                     b.Item({200, 100, 16}, 0);
                 }});
    d.push_back({"alley_loading_bay", "Loading Bay", "A loading dock behind a wide gate; a dumpster and pallets.", 4,
                 Shell(4, kWarehouse, 352, false, {}, {G, 0, 0, 0}), [](RoomBuilder& b, const ShellPlan& s) {
                     GatePosts(b, s.height, s.mats.trim);
                     b.Box({-368, -368, 0}, {368, -224, 48}, s.mats.trim);
                     b.Stairs(-64, 64, -128, 0, 48, South, s.mats.trim);
                     b.FixedProp(kDumpster, {-280, 100, 0}, 0);
                     b.Prop(kPallet, {250, 150, 0});
                     b.Prop(kCrate, {-250, -300, 48});
                     b.HangingLamp({0, -100, s.height - 8}, kHangingLamp);
                     b.Light({0, -300, 320});
                     b.Weapon({-100, -300, 64}, 2, 90);
                 }});
}

void Starts(std::vector<Def>& d) {
    auto start = StartKit;
    d.push_back({"start_apartment", "Apartment Start", "The level starts in a run-down flat.", 5,
                 Shell(5, kApartment, 240), [start](RoomBuilder& b, const ShellPlan& s) {
                     start(b, s, 4);
                     b.FixedProp(kCouch, {-300, 100, 0}, 0);
                     b.FixedProp(kTable2, {280, 120, 0}, 0);
                     b.Prop(kChair, {220, 60, 0}, 45);
                     b.HangingLamp({0, 120, s.height - 8}, kLampFixture);
                 }});
    d.push_back({"start_office", "Office Start", "The level starts at a desk in a quiet office.", 5,
                 Shell(5, kOffice, 224), [start](RoomBuilder& b, const ShellPlan& s) {
                     start(b, s, 0);
                     b.FixedProp(kDesk, {-260, 200, 0}, 0);
                     b.FixedProp(kDesk, {260, 200, 0}, 0);
                     b.FixedProp(kFileCabinet, {340, -340, 0}, 90);
                     b.Prop(kOfficeChair, {-260, 150, 0}, 90);
                     b.Box({-368, -40, 0}, {-208, -32, 64}, s.mats.trim);
                 }});
    d.push_back({"start_canal", "Canal Start", "The level starts on a towpath by the water.", 5,
                 Trenched(Shell(5, kCanal, 320), 208, -368, 368, 368), [start](RoomBuilder& b, const ShellPlan& s) {
                     start(b, s, 2);
                     b.Prop(kPallet, {-300, 200, 0});
                     b.HangingLamp({-120, 120, s.height - 8}, kHangingLamp);
                 }});
    d.push_back({"start_rooftop", "Rooftop Start", "The level starts on a roof under the open sky.", 5,
                 Shell(5, kRooftop, 448, true), [start](RoomBuilder& b, const ShellPlan& s) {
                     start(b, s, 2);
                     Cover(b, -352, 160, -224, 288, 96, s.mats.trim);
                     Cover(b, 224, -352, 352, -256, 64, s.mats.wall);
                     b.Prop(kBlueBarrel, {280, 200, 0});
                 }});
    d.push_back({"start_checkpoint", "Checkpoint Start", "The level starts in a Combine holding area.", 5,
                 Shell(5, kCombine, 288), [start](RoomBuilder& b, const ShellPlan& s) {
                     start(b, s, 1);
                     Pillar(b, -240, 160, 32, s.height, s.mats.trim);
                     Pillar(b, 240, 160, 32, s.height, s.mats.trim);
                     b.FixedProp(kCombineBarricade, {0, 160, 0}, 0);
                     b.HangingLamp({0, -40, s.height - 8}, kHangingLamp, "200 220 255 350");
                 }});
    d.push_back({"start_warehouse", "Warehouse Start", "The level starts among crates in a warehouse.", 5,
                 Shell(5, kWarehouse, 352), [start](RoomBuilder& b, const ShellPlan& s) {
                     start(b, s, 0);
                     Shelving(b, {-352, 0, 0}, {-264, 256, 192}, 3, s.mats.trim);
                     Shelving(b, {264, 0, 0}, {352, 256, 192}, 3, s.mats.trim);
                     b.Prop(kCrate, {200, -300, 0});
                     b.Prop(kPallet, {-220, -320, 0});
                 }});
}

void Ends(std::vector<Def>& d) {
    auto finale = FinaleKit;
    d.push_back({"end_boardroom", "Boardroom", "A boardroom at the top of the building ends the game.", 6,
                 Shell(6, kOffice, 256), [finale](RoomBuilder& b, const ShellPlan& s) {
                     finale(b, s, "The board meeting is over. You made it!");
                     b.FixedProp(kTable, {-260, 180, 0}, 0);
                     b.FixedProp(kTable, {260, 180, 0}, 0);
                     b.Prop(kOfficeChair, {-200, 240, 0}, 270);
                     b.Prop(kOfficeChair, {200, 240, 0}, 270);
                     b.HangingLamp({0, 120, s.height - 8}, kLampFixture);
                 }});
    d.push_back({"end_rooftop_escape", "Rooftop Escape", "The way out is across the roof under the sky.", 6,
                 Shell(6, kRooftop, 448, true), [finale](RoomBuilder& b, const ShellPlan& s) {
                     finale(b, s, "The city lies below you. You made it!");
                     Cover(b, -352, 96, -256, 192, 96, s.mats.trim);
                     Cover(b, 256, 96, 352, 160, 48, s.mats.wall);
                     b.FixedProp(kBoiler, {300, 300, 0}, 180);
                     b.Item({-300, 300, 16}, 0);
                 }});
    d.push_back({"end_canal_exit", "Canal Exit", "The canal leads out of the city here.", 6,
                 Trenched(Shell(6, kCanal, 320), -368, 176, -272, 368), [finale](RoomBuilder& b, const ShellPlan& s) {
                     finale(b, s, "The canal carries you out of the city. You made it!");
                     b.FixedProp(kDockPole, {-262, 166, 0});
                     b.Prop(kDrum, {300, 250, 0});
                 }});
    d.push_back({"end_safe_flat", "Safe Flat", "A safe flat where the resistance waits.", 6, Shell(6, kApartment, 240),
                 [finale](RoomBuilder& b, const ShellPlan& s) {
                     finale(b, s, "You reached the safe flat. You made it!");
                     b.FixedProp(kCouch, {-300, 200, 0}, 0);
                     b.FixedProp(kBed, {300, 250, 0}, 180);
                     b.FixedProp(kRadiator, {-360, -200, 0}, 0);
                     b.Item({-200, 300, 16}, 4);
                 }});
    d.push_back({"end_citadel_gate", "Citadel Gate", "The Combine gate at the end of the line.", 6,
                 Shell(6, kCombine, 352), [finale](RoomBuilder& b, const ShellPlan& s) {
                     finale(b, s, "The gate opens. You made it!");
                     Pillar(b, -240, 240, 40, s.height, "METAL/METALCOMBINE001");
                     Pillar(b, 240, 240, 40, s.height, "METAL/METALCOMBINE001");
                     b.FixedProp(kCombineBarricadeMed, {-300, 60, 0}, 90);
                     b.HangingLamp({0, 160, s.height - 8}, kHangingLamp, "200 220 255 380");
                 }});
    d.push_back({"end_depot_exit", "Depot Exit", "A depot behind a wide gate; the last truck out.", 6,
                 Shell(6, kWarehouse, 352, false, {}, {G, 0, 0, 0}), [finale](RoomBuilder& b, const ShellPlan& s) {
                     finale(b, s, "You ride the last truck out. You made it!");
                     GatePosts(b, s.height, s.mats.trim);
                     b.Prop(kCrate, {-300, 250, 0});
                     b.Prop(kPallet, {300, 200, 0});
                     b.HangingLamp({0, 100, s.height - 8}, kHangingLamp);
                 }});
}

}  // namespace

void AddCityRooms(std::vector<Def>& d) {
    OneWay(d);
    Turns(d);
    ThreeWays(d);
    Crosses(d);
    Alleys(d);
    Starts(d);
    Ends(d);
}

}  // namespace roomgen
