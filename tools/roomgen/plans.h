#pragma once
// The building blocks of our room plans: palettes, the game's models we furnish with, and
// small helpers for the shapes that recur (columns, cover, shelving, railings).
#include <algorithm>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "roomkit/room_builder.h"

namespace roomgen {

using roomkit::Materials;
using roomkit::Node;
using roomkit::RoomBuilder;
using roomkit::ShellPlan;
using roomkit::Vec3;

// Floor, wall, ceiling, trim.
inline const Materials kConcrete{"CONCRETE/CONCRETEFLOOR001A", "CONCRETE/CONCRETEWALL001A",
                                 "CONCRETE/CONCRETECEILING001A", "METAL/METALWALL001A"};
inline const Materials kBrick{"BRICK/BRICKFLOOR001A", "BRICK/BRICKWALL001A", "CONCRETE/CONCRETECEILING001A",
                              "CONCRETE/CONCRETEFLOOR005A"};
inline const Materials kMetal{"METAL/METALFLOOR001A", "METAL/METALWALL001A", "METAL/METALWALL003A",
                              "METAL/METALCOMBINE002"};
inline const Materials kPlaster{"CONCRETE/CONCRETEFLOOR005A", "PLASTER/PLASTERWALL003A", "CONCRETE/CONCRETECEILING001A",
                                "BRICK/BRICKWALL001A"};
inline const Materials kOffice{"PROPS/CARPETFLOOR007A", "PLASTER/PLASTERWALL021A", "PLASTER/PLASTERCEILING003A",
                               "WOOD/WOODWALL014A"};
inline const Materials kApartment{"WOOD/WOODFLOOR005A", "PLASTER/PLASTERWALL043D", "PLASTER/PLASTERCEILING006A",
                                  "WOOD/WOODFLOOR008A"};
inline const Materials kCombine{"METAL/METALFLOOR005A", "METAL/METALCOMBINE001", "METAL/METALCEILING005A",
                                "METAL/METALCOMBINE002"};
inline const Materials kWarehouse{"CONCRETE/CONCRETEFLOOR011A", "CONCRETE/CONCRETEWALL006A", "METAL/METALROOF005A",
                                  "METAL/METALWALL042A"};
inline const Materials kCanal{"CONCRETE/CONCRETEFLOOR026A", "BRICK/BRICKWALL031D", "CONCRETE/CONCRETECEILING002A",
                              "STONE/STONEWALL013A"};
inline const Materials kTunnel{"CONCRETE/CONCRETEFLOOR021A", "CONCRETE/CONCRETEWALL037A",
                               "CONCRETE/CONCRETECEILING002A", "METAL/METALPIPE001A"};
inline const Materials kStreet{"STONE/STONEFLOOR011A", "BRICK/BRICKWALL040B", "CONCRETE/CONCRETECEILING001A",
                               "CONCRETE/CONCRETEWALL059D"};
inline const Materials kRooftop{"CONCRETE/CONCRETEFLOOR027A", "BRICK/BRICKWALL012A", "CONCRETE/CONCRETECEILING001A",
                                "METAL/METALWALL053A"};
inline const Materials kTiled{"TILE/TILEFLOOR016A", "TILE/TILEWALL006A", "PLASTER/PLASTERCEILING003A",
                              "TILE/TILEWALL007A"};
inline const Materials kRuin{"NATURE/DIRTFLOOR006A", "BRICK/BRICKWALL045F", "PLASTER/PLASTERCEILING006A",
                             "CONCRETE/CONCRETEWALL015A"};
inline const Materials kCellar{"CONCRETE/CONCRETEFLOOR024A", "BRICK/BRICKWALL022A", "CONCRETE/CONCRETECEILING001A",
                               "WOOD/WOODFLOOR008A"};
inline const Materials kLab{"TILE/TILEFLOOR013A", "METAL/METALWALL039A", "METAL/METALCEILING005A",
                            "METAL/METALWALL076A"};

inline const std::string kWater = "NATURE/WATER_CANALS_WATER2";

// The game's models we furnish with, each with the rough box it is taken to fill (half length,
// half depth, height) and whether its origin lies at the middle of the body. The sizes are our
// estimates, taken large; how each may stand (static, physics, unknown) comes from
// hl2_models.txt. Physics models are taken to have their origin at the middle, as most of the
// game's do, and fixtures (barriers, posts, lamps, poles, barrels) at their foot.
using roomkit::PropModel;
// Things a player can knock about (physics where the list says so).
inline const PropModel kDrum{"models/props_c17/oildrum001.mdl", 15, 15, 48, false};
inline const PropModel kDrumRed{"models/props_c17/oildrum001_explosive.mdl", 15, 15, 48, false};
inline const PropModel kBlueBarrel{"models/props_borealis/bluebarrel001.mdl", 15, 15, 46, false};
inline const PropModel kCrate{"models/props_junk/wood_crate001a.mdl", 21, 21, 42, true};
inline const PropModel kCrateBig{"models/props_junk/wood_crate002a.mdl", 34, 21, 42, true};
inline const PropModel kPallet{"models/props_junk/wood_pallet001a.mdl", 32, 24, 8, true};
inline const PropModel kBoard{"models/props_debris/wood_board04a.mdl", 8, 56, 4, true};
inline const PropModel kBox{"models/props_junk/cardboard_box001a.mdl", 16, 12, 20, true};
inline const PropModel kBucket{"models/props_junk/metalbucket01a.mdl", 10, 10, 18, true};
inline const PropModel kGasCan{"models/props_junk/metalgascan.mdl", 10, 6, 16, true};
inline const PropModel kCanister{"models/props_c17/canister01a.mdl", 10, 10, 52, true};
inline const PropModel kPushcart{"models/props_junk/pushcart01a.mdl", 36, 20, 40, true};
inline const PropModel kChair{"models/props_c17/furniturechair001a.mdl", 14, 14, 38, true};
inline const PropModel kOfficeChair{"models/props_c17/chair_office01a.mdl", 16, 16, 42, true};
inline const PropModel kLaundryCart{"models/props_wasteland/laundry_cart002.mdl", 24, 16, 40, true};
inline const PropModel kTrashcan{"models/props_trainstation/trashcan_indoor001a.mdl", 12, 12, 38, false};
inline const PropModel kPanel{"models/props_debris/metal_panel01a.mdl", 32, 32, 4, true};
inline const PropModel kPot{"models/props_c17/metalpot001a.mdl", 8, 8, 8, true};
// Furniture and fixtures.
inline const PropModel kTable{"models/props_c17/furnituretable001a.mdl", 30, 18, 30, true};
inline const PropModel kTable2{"models/props_c17/furnituretable002a.mdl", 24, 24, 30, true};
inline const PropModel kDesk{"models/props_interiors/furniture_desk01a.mdl", 32, 18, 32, true};
inline const PropModel kDresser{"models/props_c17/furnituredresser001a.mdl", 24, 12, 48, true};
inline const PropModel kShelf{"models/props_c17/furnitureshelf001a.mdl", 20, 8, 72, true};
inline const PropModel kKitchenShelf{"models/props_wasteland/kitchen_shelf001a.mdl", 28, 10, 64, true};
inline const PropModel kFridge{"models/props_c17/furniturefridge001a.mdl", 18, 18, 72, true};
inline const PropModel kRadiator{"models/props_interiors/radiator01a.mdl", 16, 4, 24, true};
inline const PropModel kCouch{"models/props_c17/furniturecouch001a.mdl", 36, 18, 32, true};
inline const PropModel kBed{"models/props_c17/furniturebed001a.mdl", 40, 24, 28, true};
inline const PropModel kBedframe{"models/props_wasteland/prison_bedframe001b.mdl", 40, 20, 22, true};
inline const PropModel kBathtub{"models/props_c17/furniturebathtub001a.mdl", 40, 18, 28, true};
inline const PropModel kFileCabinet{"models/props_lab/filecabinet02.mdl", 12, 14, 40, true};
inline const PropModel kCloset{"models/props_wasteland/controlroom_storagecloset001a.mdl", 24, 12, 80, true};
inline const PropModel kControlChair{"models/props_wasteland/controlroom_chair001a.mdl", 14, 14, 40, true};
inline const PropModel kDumpster{"models/props_junk/trashdumpster01a.mdl", 44, 28, 56, true};
inline const PropModel kConcreteBarrier{"models/props_c17/concrete_barrier001a.mdl", 48, 12, 40, false};
inline const PropModel kWoodFence{"models/props_wasteland/wood_fence01a.mdl", 64, 4, 64, false};
inline const PropModel kCombineBarricade{"models/props_combine/combine_barricade_short01a.mdl", 48, 12, 48, false};
inline const PropModel kCombineBarricadeMed{"models/props_combine/combine_barricade_med02a.mdl", 56, 14, 64, false};
inline const PropModel kCar{"models/props_vehicles/car002a_physics.mdl", 100, 44, 60, true};
inline const PropModel kCar2{"models/props_vehicles/car004a_physics.mdl", 100, 44, 60, true};
inline const PropModel kGasPump{"models/props_wasteland/gaspump001a.mdl", 16, 12, 64, false};
inline const PropModel kCashRegister{"models/props_c17/cashregister01a.mdl", 12, 10, 12, true};
inline const PropModel kBench{"models/props_c17/bench01a.mdl", 40, 14, 36, false};
inline const PropModel kBenchIndoor{"models/props_trainstation/bench_indoor001a.mdl", 48, 16, 36, false};
inline const PropModel kCafeTable{"models/props_wasteland/cafeteria_table001a.mdl", 48, 20, 30, true};
inline const PropModel kCafeBench{"models/props_wasteland/cafeteria_bench001a.mdl", 48, 8, 18, true};
inline const PropModel kStove{"models/props_wasteland/kitchen_stove001a.mdl", 20, 16, 40, true};
inline const PropModel kCounter{"models/props_wasteland/kitchen_counter001d.mdl", 30, 16, 40, true};
inline const PropModel kWasher{"models/props_wasteland/laundry_washer001a.mdl", 20, 18, 40, true};
inline const PropModel kDryer{"models/props_wasteland/laundry_dryer001.mdl", 20, 18, 40, true};
inline const PropModel kConcretePipe{"models/props_pipes/concrete_pipe001a.mdl", 60, 30, 60, true};
inline const PropModel kBoiler{"models/props_c17/furnitureboiler001a.mdl", 24, 24, 60, true};
inline const PropModel kCooler{"models/props_c17/display_cooler01a.mdl", 24, 16, 72, true};
inline const PropModel kDockPole{"models/props_docks/dock01_pole01a_128.mdl", 6, 6, 128, false};
// Lamps. Hanging ones get a spot light under them; wall and street lamps a point light.
inline const PropModel kHangingLamp{"models/props_wasteland/prison_lamp001c.mdl", 12, 12, 24, false};
inline const PropModel kCageLight{"models/props_c17/light_cagelight02_on.mdl", 8, 8, 12, false};
inline const PropModel kLampFixture{"models/props_c17/lampfixture01a.mdl", 12, 12, 24, false};
inline const PropModel kStreetLamp{"models/props_c17/lamppost03a_on.mdl", 12, 12, 200, false};

struct Def {
    std::string file, name, description;
    int type;
    ShellPlan shell;
    std::function<void(RoomBuilder&, const ShellPlan&)> fill;
};

inline ShellPlan Shell(int type, const Materials& m, double height, bool sky = false, std::array<double, 4> doorZ = {},
                       std::array<int, 4> kind = {}) {
    ShellPlan s;
    s.mats = m;
    s.height = height;
    s.sky = sky;
    s.open = roomkit::OpenSides(type);
    s.doorZ = doorZ;
    s.kind = kind;
    return s;
}

// A square column from the floor to the ceiling.
inline void Pillar(RoomBuilder& b, double x, double y, double half, double height, const std::string& mat) {
    b.Box({x - half, y - half, 0}, {x + half, y + half, height}, mat);
}

// A low block to hide behind.
inline void Cover(RoomBuilder& b, double x0, double y0, double x1, double y1, double h, const std::string& mat,
                  double z = 0) {
    b.Box({x0, y0, z}, {x1, y1, z + h}, mat);
}

// A rack over lo..hi: a panel at each end and `boards` boards, the last at the top. (Few
// brushes: a level's entity lines, detail brushes among them, are a fixed table.)
inline void Shelving(RoomBuilder& b, Vec3 lo, Vec3 hi, int boards, const std::string& mat) {
    const double t = 4;
    if (hi.x - lo.x >= hi.y - lo.y) {
        b.Box({lo.x, lo.y, lo.z}, {lo.x + t, hi.y, hi.z}, mat);
        b.Box({hi.x - t, lo.y, lo.z}, {hi.x, hi.y, hi.z}, mat);
    } else {
        b.Box({lo.x, lo.y, lo.z}, {hi.x, lo.y + t, hi.z}, mat);
        b.Box({lo.x, hi.y - t, lo.z}, {hi.x, hi.y, hi.z}, mat);
    }
    for (int k = 1; k <= boards; ++k) {
        const double z = lo.z + k * (hi.z - lo.z) / boards;
        b.Box({lo.x, lo.y, z - t}, {hi.x, hi.y, z}, mat);
    }
}

// A railing along x (or y when `alongY`) from a to b at `at`: a waist-high steel parapet.
inline void Railing(RoomBuilder& b, double a, double bEnd, double at, double z, bool alongY, const std::string& mat) {
    if (alongY) b.Box({at - 2, a, z}, {at + 2, bEnd, z + 40}, mat);
    else b.Box({a, at - 2, z}, {bEnd, at + 2, z + 40}, mat);
}

using roomkit::kTrigger;

// The save of a one-way room. Two partitions across the room, the north one with its south face
// at yNorth and the south one with its north face at ySouth, leave a passage between them; their
// openings (x north0..north1 and south0..south1) lie at opposite ends, so no doorway sees into
// the middle of the passage and nothing beyond the room can either. The autosave spans the
// passage there (x save0..save1), where every way through the room crosses it, and the room's
// characters are placed out of its sight. The partitions stand from `bottom` (under a trench's
// water too) and reach the ceiling or the sky, so nothing stands on them.
struct Baffles {
    double yNorth = 96, ySouth = -96;
    double north0 = 224, north1 = 368, south0 = -368, south1 = -224;
    double save0 = -40, save1 = 24;
    double floor = 0, bottom = 0;
};

inline void SaveBaffles(RoomBuilder& b, const ShellPlan& s, const Baffles& p, const std::string& mat) {
    const double top = s.height;
    // Each piece reaches into the side wall, so it is shell: it cuts the level's visibility
    // where it really hides the rooms behind it.
    auto partition = [&](double y0, double y1, double gap0, double gap1) {
        if (gap0 > -368) b.Box({-384, y0, p.bottom}, {gap0, y1, top}, mat, &b.World());
        if (gap1 < 368) b.Box({gap1, y0, p.bottom}, {384, y1, top}, mat, &b.World());
    };
    partition(p.yNorth, p.yNorth + 16, p.north0, p.north1);
    partition(p.ySouth - 16, p.ySouth, p.south0, p.south1);
    b.Autosave({p.save0, p.ySouth, p.floor}, {p.save1, p.yNorth, p.floor + 128});
}

// The player's start: the start entity facing the door with the HEV suit and the first two
// weapons under the player's feet, so the game begins with the suit on (the HUD, weapon
// selection, sprint and flashlight all need it) and armed for the first enemies: the first two
// rows of gundata.ini are within reach at once (crowbar, pistol). Then an item and a light.
inline void StartKit(RoomBuilder& b, const ShellPlan& s, int itemMode) {
    b.Entity("info_player_start", {0, -240, 8}, {{"angles", "0 90 0"}, {"spawnflags", "0"}});
    b.Entity("item_suit", {0, -240, 16}, {{"angles", "0 90 0"}});
    b.Weapon({-12, -236, 16}, 1, 90);
    b.Weapon({12, -236, 16}, 1, 90);
    b.Item({120, -200, 16}, itemMode);
    if (!s.sky) b.Light({0, -160, s.height - 32});  // under the sky the sun lights the start
}

// The way out. A partition across the back of the room (south, away from the door) leaves an
// opening at its east end; walking into the far west of the alcove behind it ends the game:
// every hostile character in the room dies (a trigger_hurt over the room for characters only,
// spawnflags 2, switched on), the message shows, the player is held still (player_speedmod at
// speed 0 with weapons, HUD and every button suppressed), the screen fades and stays black,
// and the game goes back to its menu (point_clientcommand "disconnect": in single player it
// runs for the local player, Valve's client.cpp). Nothing beyond the room sees into the alcove,
// and whatever comes in dies, so nothing can hurt the player meanwhile. Characters never stand
// in the alcove.
inline void FinaleKit(RoomBuilder& b, const ShellPlan& s, const std::string& text) {
    const double H = s.height, y0 = -176, y1 = -160;
    b.Box({-384, y0, 0}, {224, y1, H}, s.mats.wall, &b.World());
    Node& guard = b.BrushEntity("trigger_hurt", {{"targetname", "end_guard"},
                                                 {"spawnflags", "2"},
                                                 {"StartDisabled", "1"},
                                                 {"damage", "1000"},
                                                 {"damagecap", "1000"},
                                                 {"damagetype", "0"}});
    b.Box({-368, -368, 0}, {368, 368, std::min(H, 320.0)}, kTrigger, &guard);
    Node& trigger = b.BrushEntity("trigger_once", {{"spawnflags", "1"}, {"StartDisabled", "0"}});
    Node& out = trigger.Add(Node::Block("connections"));
    out.AddKey("OnTrigger", "end_guard,Enable,,0,-1");
    out.AddKey("OnTrigger", "end_message,Display,,0,-1");
    out.AddKey("OnTrigger", "end_freeze,ModifySpeed,0,1,-1");
    out.AddKey("OnTrigger", "end_fade,Fade,,2,-1");
    out.AddKey("OnTrigger", "end_menu,Command,disconnect,12,-1");
    b.Box({-352, -352, 0}, {96, -192, 128}, kTrigger, &trigger);
    b.Entity("game_text", {-200, -300, 64},
             {{"targetname", "end_message"},
              {"message", text},
              {"x", "-1"},
              {"y", "0.4"},
              {"effect", "0"},
              {"color", "255 220 120"},
              {"color2", "240 110 0"},
              {"fadein", "1.5"},
              {"fadeout", "0.5"},
              {"holdtime", "8"},
              {"fxtime", "0.25"},
              {"channel", "1"},
              {"spawnflags", "1"}});
    b.Entity("env_fade", {-200, -300, 96},
             {{"targetname", "end_fade"},
              {"duration", "4"},
              {"holdtime", "30"},
              {"renderamt", "255"},
              {"rendercolor", "0 0 0"},
              {"spawnflags", "8"}});
    // 255: suppress weapons, HUD, jump, duck, use, sprint, attack and zoom (player.cpp).
    b.Entity("player_speedmod", {-160, -300, 96}, {{"targetname", "end_freeze"}, {"spawnflags", "255"}});
    b.Entity("point_clientcommand", {-120, -300, 96}, {{"targetname", "end_menu"}});
    if (!s.sky) b.Light({-100, -270, H - 32}, "255 230 170 320");
    b.KeepCharactersOut({-384, -384, -64}, {384, -120, H});
}

}  // namespace roomgen
