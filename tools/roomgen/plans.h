#pragma once
// The building blocks of our room plans: palettes, the game's models we furnish with, and
// small helpers for the shapes that recur (columns, cover, shelving, railings).
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
inline const Materials kPlaster{"CONCRETE/CONCRETEFLOOR005A", "PLASTER/PLASTERWALL003A",
                                "CONCRETE/CONCRETECEILING001A", "BRICK/BRICKWALL001A"};
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

// Physics props: crates, barrels, boards and other things a player can knock about.
inline const std::string kDrum = "models/props_c17/oildrum001.mdl";
inline const std::string kDrumRed = "models/props_c17/oildrum001_explosive.mdl";
inline const std::string kBlueBarrel = "models/props_borealis/bluebarrel001.mdl";
inline const std::string kCrate = "models/props_junk/wood_crate001a.mdl";
inline const std::string kCrateBig = "models/props_junk/wood_crate002a.mdl";
inline const std::string kPallet = "models/props_junk/wood_pallet001a.mdl";
inline const std::string kBoard = "models/props_debris/wood_board04a.mdl";
inline const std::string kBox = "models/props_junk/cardboard_box001a.mdl";
inline const std::string kBucket = "models/props_junk/metalbucket01a.mdl";
inline const std::string kGasCan = "models/props_junk/metalgascan.mdl";
inline const std::string kCanister = "models/props_c17/canister01a.mdl";
inline const std::string kPushcart = "models/props_junk/pushcart01a.mdl";
inline const std::string kChair = "models/props_c17/furniturechair001a.mdl";
inline const std::string kOfficeChair = "models/props_c17/chair_office01a.mdl";
inline const std::string kStool = "models/props_c17/chair_stool01a.mdl";
inline const std::string kLaundryCart = "models/props_wasteland/laundry_cart002.mdl";
inline const std::string kTrashcan = "models/props_trainstation/trashcan_indoor001a.mdl";
inline const std::string kPanel = "models/props_debris/metal_panel01a.mdl";
inline const std::string kPot = "models/props_c17/metalpot001a.mdl";
inline const std::string kWheel = "models/props_wasteland/wheel01.mdl";
// Static props: furniture and fixtures.
inline const std::string kTable = "models/props_c17/furnituretable001a.mdl";
inline const std::string kTable2 = "models/props_c17/furnituretable002a.mdl";
inline const std::string kDesk = "models/props_interiors/furniture_desk01a.mdl";
inline const std::string kDrawer = "models/props_c17/furnituredrawer001a.mdl";
inline const std::string kDresser = "models/props_c17/furnituredresser001a.mdl";
inline const std::string kShelf = "models/props_c17/furnitureshelf001a.mdl";
inline const std::string kShelfUnit = "models/props_c17/shelfunit01a.mdl";
inline const std::string kKitchenShelf = "models/props_wasteland/kitchen_shelf001a.mdl";
inline const std::string kFridge = "models/props_c17/furniturefridge001a.mdl";
inline const std::string kRadiator = "models/props_interiors/radiator01a.mdl";
inline const std::string kCouch = "models/props_c17/furniturecouch001a.mdl";
inline const std::string kBed = "models/props_c17/furniturebed001a.mdl";
inline const std::string kBedframe = "models/props_wasteland/prison_bedframe001b.mdl";
inline const std::string kBathtub = "models/props_c17/furniturebathtub001a.mdl";
inline const std::string kFileCabinet = "models/props_lab/filecabinet02.mdl";
inline const std::string kCloset = "models/props_wasteland/controlroom_storagecloset001a.mdl";
inline const std::string kControlChair = "models/props_wasteland/controlroom_chair001a.mdl";
inline const std::string kDumpster = "models/props_junk/trashdumpster01a.mdl";
inline const std::string kBarricade = "models/props_wasteland/barricade001a.mdl";
inline const std::string kBarricade2 = "models/props_wasteland/barricade002a.mdl";
inline const std::string kConcreteBarrier = "models/props_c17/concrete_barrier001a.mdl";
inline const std::string kWoodFence = "models/props_wasteland/wood_fence01a.mdl";
inline const std::string kCombineBarricade = "models/props_combine/combine_barricade_short01a.mdl";
inline const std::string kCombineBarricadeMed = "models/props_combine/combine_barricade_med02a.mdl";
inline const std::string kCar = "models/props_vehicles/car002a_physics.mdl";
inline const std::string kCar2 = "models/props_vehicles/car004a_physics.mdl";
inline const std::string kGasPump = "models/props_wasteland/gaspump001a.mdl";
inline const std::string kPayphone = "models/props_trainstation/payphone001a.mdl";
inline const std::string kCashRegister = "models/props_c17/cashregister01a.mdl";
inline const std::string kBench = "models/props_c17/bench01a.mdl";
inline const std::string kBenchIndoor = "models/props_trainstation/bench_indoor001a.mdl";
inline const std::string kCafeTable = "models/props_wasteland/cafeteria_table001a.mdl";
inline const std::string kCafeBench = "models/props_wasteland/cafeteria_bench001a.mdl";
inline const std::string kStove = "models/props_wasteland/kitchen_stove001a.mdl";
inline const std::string kCounter = "models/props_wasteland/kitchen_counter001d.mdl";
inline const std::string kWasher = "models/props_wasteland/laundry_washer001a.mdl";
inline const std::string kDryer = "models/props_wasteland/laundry_dryer001.mdl";
inline const std::string kConcretePipe = "models/props_pipes/concrete_pipe001a.mdl";
inline const std::string kBoiler = "models/props_c17/furnitureboiler001a.mdl";
inline const std::string kCooler = "models/props_c17/display_cooler01a.mdl";
inline const std::string kDockPole = "models/props_docks/dock01_pole01a_128.mdl";
// Lamps. Hanging ones get a spot light under them; wall and street lamps a point light.
inline const std::string kHangingLamp = "models/props_wasteland/prison_lamp001c.mdl";
inline const std::string kCageLight = "models/props_c17/light_cagelight02_on.mdl";
inline const std::string kLampFixture = "models/props_c17/lampfixture01a.mdl";
inline const std::string kStreetLamp = "models/props_c17/lamppost03a_on.mdl";
inline const std::string kWallLight = "models/props_trainstation/light_128wallmounted001a.mdl";

struct Def {
    std::string file, name, description;
    int type;
    ShellPlan shell;
    std::function<void(RoomBuilder&, const ShellPlan&)> fill;
};

inline ShellPlan Shell(int type, const Materials& m, double height, bool sky = false,
                       std::array<double, 4> doorZ = {}, std::array<int, 4> kind = {}) {
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

// A rack over lo..hi: four uprights and `boards` boards, the last at the top.
inline void Shelving(RoomBuilder& b, Vec3 lo, Vec3 hi, int boards, const std::string& mat) {
    const double t = 4;
    for (double x : {lo.x, hi.x - t})
        for (double y : {lo.y, hi.y - t}) b.Box({x, y, lo.z}, {x + t, y + t, hi.z}, mat);
    for (int k = 1; k <= boards; ++k) {
        const double z = lo.z + k * (hi.z - lo.z) / boards;
        b.Box({lo.x, lo.y, z - t}, {hi.x, hi.y, z}, mat);
    }
}

// A railing of posts and a top bar along x (or y when `alongY`) from a to b at `at`.
inline void Railing(RoomBuilder& b, double a, double bEnd, double at, double z, bool alongY, const std::string& mat) {
    auto box = [&](double u0, double u1, double z0, double z1) {
        if (alongY)
            b.Box({at - 2, u0, z0}, {at + 2, u1, z1}, mat);
        else
            b.Box({u0, at - 2, z0}, {u1, at + 2, z1}, mat);
    };
    box(a, bEnd, z + 36, z + 40);
    for (double u = a; u < bEnd; u += 64) box(u, u + 4, z, z + 36);
}

using roomkit::kTrigger;

// The player's start: the start entity facing the door, a weapon, an item and a light.
inline void StartKit(RoomBuilder& b, const ShellPlan& s, int itemMode) {
    b.Entity("info_player_start", {0, -240, 8}, {{"angles", "0 90 0"}, {"spawnflags", "0"}});
    b.Weapon({-120, -200, 16}, 1, 90);
    b.Item({120, -200, 16}, itemMode);
    b.Light({0, -160, s.height - 32});
}

// Walking into the back half of the room shows `text` and fades the game out.
inline void FinaleKit(RoomBuilder& b, const ShellPlan& s, const std::string& text) {
    Node& trigger = b.BrushEntity("trigger_once", {{"spawnflags", "1"}, {"StartDisabled", "0"}});
    Node& out = trigger.Add(Node::Block("connections"));
    out.AddKey("OnTrigger", "end_message,Display,,0,-1");
    out.AddKey("OnTrigger", "end_fade,Fade,,2,-1");
    b.Box({-256, -320, 0}, {256, -64, 128}, kTrigger, &trigger);
    b.Entity("game_text", {0, -200, 64},
             {{"targetname", "end_message"}, {"message", text}, {"x", "-1"}, {"y", "0.4"}, {"effect", "0"},
              {"color", "255 220 120"}, {"color2", "240 110 0"}, {"fadein", "1.5"}, {"fadeout", "0.5"},
              {"holdtime", "8"}, {"fxtime", "0.25"}, {"channel", "1"}, {"spawnflags", "1"}});
    b.Entity("env_fade", {0, -200, 96},
             {{"targetname", "end_fade"}, {"duration", "4"}, {"holdtime", "30"}, {"renderamt", "255"},
              {"rendercolor", "0 0 0"}, {"spawnflags", "8"}});
    b.Light({0, -200, s.height - 32}, "255 230 170 320");
}

// The rooms of the city districts (offices, canals, rooftops, checkpoints, flats, gates).
void AddCityRooms(std::vector<Def>& d);

}  // namespace roomgen
