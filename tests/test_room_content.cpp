// What rooms carry for play, worked out by the room kit from their geometry: props placed as
// their models allow, the node graph, cover hints, characters out of sight, saves nobody sees,
// water trenches; and the shipped library and tables that build on it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>

#include "entities/weight_tables.h"
#include "session/text_helpers.h"
#include "roomgen/library.h"
#include "roomkit/kit.h"
#include "roomkit/model_list.h"
#include "roomkit/room_builder.h"
#include "roomkit/room_check.h"
#include "roomkit/room_content.h"
#include "roomkit/room_space.h"
#include "roomkit/vmf.h"
#include "test_support.h"

namespace fs = std::filesystem;
using namespace roomkit;

namespace {

const Materials kPlain{"CONCRETE/CONCRETEFLOOR001A", "CONCRETE/CONCRETEWALL001A", "CONCRETE/CONCRETECEILING001A",
                       "METAL/METALWALL001A"};

ShellPlan Plan(int type, double height = 256, std::array<double, 4> doorZ = {}) {
    ShellPlan s;
    s.mats = kPlain;
    s.height = height;
    s.open = OpenSides(type);
    s.doorZ = doorZ;
    return s;
}

struct Entity {
    std::string cls;
    Vec3 at;
    const Node* node;
};

std::vector<Entity> Entities(const Node& map, const std::string& prefix = "") {
    std::vector<Entity> out;
    for (const auto& e : map.children) {
        if (!e.isBlock || e.key != "entity") continue;
        const std::string cls = e.Get("classname");
        if (cls.rfind(prefix, 0) != 0) continue;
        Vec3 at;
        tessellon::ParseVector(e.Get("origin"), at);
        out.push_back({cls, at, &e});
    }
    return out;
}
// The entities point into the map: a map that is about to go is refused.
std::vector<Entity> Entities(Node&& map, const std::string& prefix = "") = delete;

double Dist(const Vec3& a, const Vec3& b) {
    const Vec3 d = a - b;
    return std::sqrt(Dot(d, d));
}

std::vector<std::string> Fields(const std::string& value) {
    std::vector<std::string> out(1);
    for (const char c : value) {
        if (c == ',') out.emplace_back();
        else out.back() += c;
    }
    return out;
}

ModelKinds ShippedKinds() {
    ModelKinds kinds;
    std::vector<std::string> errors;
    EXPECT_TRUE(ReadModelKinds(std::string(TESSELLON_SOURCE_DIR) + "/data/hl2_models.txt", kinds, errors));
    EXPECT_EQ(errors, std::vector<std::string>{});
    return kinds;
}

}  // namespace

TEST(ModelList, ReadsEachModelsUseAndNamesTheLinesItCannotRead) {
    tessellon::testing::TempDir dir;
    const auto path = (dir.path() / "models.txt").string();
    ASSERT_TRUE(WriteFileAtomically(path,
                                    "# header\nmodels/a.mdl static\nmodels/B.mdl physics  # [crate]\n"
                                    "models/c.mdl unknown\nmodels/d.mdl\nmodels/e.mdl wobbly\n"
                                    "models/f.mdl static more\n"));
    ModelKinds kinds;
    std::vector<std::string> errors;
    ASSERT_TRUE(ReadModelKinds(path, kinds, errors));
    // A path alone is the list's older form: nothing is established about the model.
    EXPECT_EQ(kinds, (ModelKinds{{"models/a.mdl", PropUse::Static},
                                 {"models/b.mdl", PropUse::Physics},
                                 {"models/c.mdl", PropUse::Unknown},
                                 {"models/d.mdl", PropUse::Unknown}}));
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_NE(errors[0].find("\"wobbly\" is not static, physics or unknown"), std::string::npos) << errors[0];
    EXPECT_EQ(errors[1].rfind("7:", 0), 0u) << errors[1];
    // The plain reader, as the lists of the models and materials rooms use need it: paths only.
    std::set<std::string> paths;
    ASSERT_TRUE(ReadModelList(path, paths));
    EXPECT_EQ(paths.count("models/b.mdl") + paths.count("models/d.mdl") + paths.count("models/f.mdl"), 3u);
    EXPECT_FALSE(ReadModelKinds((dir.path() / "missing.txt").string(), kinds, errors));

    // Every claim of the shipped list names its source; what cannot be established is unknown.
    std::string text;
    ASSERT_TRUE(ReadFile(std::string(TESSELLON_SOURCE_DIR) + "/data/hl2_models.txt", text));
    int claims = 0;
    for (const auto& line : SplitLines(text)) {
        if (line.empty() || line[0] == '#') continue;
        const bool claim = line.find(" unknown") == std::string::npos;
        claims += claim;
        EXPECT_EQ(claim, line.find("# [") != std::string::npos) << line;
    }
    EXPECT_GE(claims, 10);
}

TEST(RoomBuilder, PropsGoInAsTheirModelAllowsAndRestOnTheFloor) {
    const ModelKinds kinds{{"models/fixture.mdl", PropUse::Static}, {"models/crate.mdl", PropUse::Physics}};
    RoomBuilder b("Props", 0, "", &kinds);
    b.MakeShell(Plan(0));
    const PropModel fixture{"models/fixture.mdl", 16, 16, 64, false}, crate{"models/crate.mdl", 20, 20, 40, true},
        couch{"models/couch.mdl", 36, 18, 32, true};
    b.FixedProp(fixture, {-200, 0, 0});
    b.Prop(fixture, {-200, 100, 0});  // a static model cannot move in any case
    b.Prop(crate, {0, 100, 0});
    b.FixedProp(crate, {0, -100, 48});
    b.FixedProp(couch, {200, 0, 0}, 90);
    const Node map = b.Finish("Tests");
    const auto props = Entities(map, "prop_");
    ASSERT_EQ(props.size(), 5u);
    EXPECT_EQ(props[0].cls, "prop_static");
    EXPECT_EQ(props[1].cls, "prop_static");
    EXPECT_EQ(props[2].cls, "prop_physics");
    EXPECT_EQ(props[2].node->Get("spawnflags"), "0");
    EXPECT_EQ(props[3].cls, "prop_physics");
    EXPECT_EQ(props[3].node->Get("spawnflags"), "8") << "a fixed physics prop has its motion disabled";
    EXPECT_EQ(props[4].cls, "prop_dynamic_override") << "a model not known to be static is never prop_static";
    // A body whose origin is its middle stands that much over its floor.
    EXPECT_EQ(props[0].at.z, 0);
    EXPECT_EQ(props[2].at.z, 21);
    EXPECT_EQ(props[3].at.z, 48 + 21);
}

TEST(RoomBuilder, NodesCoverEveryFloorAndDoorwayAndChainAroundWalls) {
    // Stairs up to a raised north door, a wall across the room with a gap at its east end, and a
    // crate: the nodes must reach both levels and both sides of the wall, and see along.
    const PropModel crate{"models/crate.mdl", 20, 20, 40, true};
    RoomBuilder b("Nodes", 0, "");
    b.MakeShell(Plan(0, 384, {128, 0, 0, 0}));
    b.Box({-368, 176, 0}, {368, 368, 128}, kPlain.trim);
    b.Stairs(-128, 128, -80, 0, 128, North, kPlain.trim);
    b.Box({-368, -160, 0}, {200, -144, 384}, kPlain.wall);
    b.Prop(crate, {-250, 50, 0});
    const Node map = b.Finish("Tests");
    const RoomSpace space = SpaceOfMap(map);
    std::vector<Vec3> ground;
    int all = 0, air = 0;
    for (const auto& e : Entities(map, "info_node")) {
        ++all;
        if (e.cls == "info_node_air") ++air;
        else ground.push_back(e.at);
        EXPECT_FALSE(space.InSolid(e.at)) << e.cls << " at " << e.at.x << " " << e.at.y << " " << e.at.z;
        EXPECT_FALSE(e.at.x > -271 && e.at.x < -229 && e.at.y > 29 && e.at.y < 71 && e.at.z < 41) << "inside the crate";
    }
    EXPECT_LE(all, kMaxRoomNodes);
    EXPECT_TRUE(std::any_of(ground.begin(), ground.end(), [](const Vec3& n) { return n.z > 128; })) << "upper floor";
    EXPECT_GT(air, 0) << "a 384-unit room has air nodes";
    for (const auto& d : space.Doors())
        EXPECT_TRUE(std::any_of(ground.begin(), ground.end(), [&](const Vec3& n) { return Dist(n, d.point) <= 64; }))
            << SideName(d.side) << " doorway";
    const Walkways& w = space.Walk();
    for (int p = 0; p < w.PlaceCount(); ++p) {
        if (!space.Reachable(p)) continue;
        const Vec3 at = w.PlacePoint(p);
        EXPECT_TRUE(std::any_of(ground.begin(), ground.end(), [&](const Vec3& n) { return Dist(n, at) <= kNodeReach; }))
            << "floor at " << at.x << " " << at.y << " " << at.z << " has no node near";
    }
    // The ground nodes link into one graph by the engine's rule (distance and a clear line).
    std::vector<bool> seen(ground.size(), false);
    std::vector<size_t> todo{0};
    seen[0] = true;
    while (!todo.empty()) {
        const size_t i = todo.back();
        todo.pop_back();
        for (size_t j = 0; j < ground.size(); ++j)
            if (!seen[j] && Dist(ground[i], ground[j]) <= kNodeLinkDistance &&
                space.Clear(space.LinkPoint(ground[i]), space.LinkPoint(ground[j]), true))
                seen[j] = true, todo.push_back(j);
    }
    EXPECT_EQ(std::count(seen.begin(), seen.end(), true), static_cast<long>(ground.size()));

    // A low room of one floor needs no air nodes.
    RoomBuilder low("Low", 0, "");
    low.MakeShell(Plan(0));
    const Node lowMap = low.Finish("Tests");
    EXPECT_TRUE(Entities(lowMap, "info_node_air").empty());
}

TEST(RoomBuilder, CoverHintsStandBehindLowCoverFacingItAndStairsAreNoCover) {
    RoomBuilder b("Cover", 0, "");
    b.MakeShell(Plan(0, 256, {64, 0, 0, 0}));
    b.Box({-368, 224, 0}, {368, 368, 64}, kPlain.trim);
    b.Stairs(-64, 64, 96, 0, 64, North, kPlain.trim);    // 16-unit steps up to the north door
    b.Box({-200, -40, 0}, {-80, -16, 56}, kPlain.trim);  // waist-high block
    b.Box({120, -40, 0}, {240, -16, 40}, kPlain.trim);   // knee-high block
    const Node map = b.Finish("Tests");
    const RoomSpace space = SpaceOfMap(map);
    const auto hints = Entities(map, "info_node_hint");
    ASSERT_EQ(hints.size(), 2u);
    for (const auto& h : hints) {
        const bool left = h.at.x < 0;
        EXPECT_EQ(h.node->Get("hinttype"), left ? "100" : "101");
        const Vec3 lo = left ? Vec3{-200, -40, 0} : Vec3{120, -40, 0},
                   hi = left ? Vec3{-80, -16, 56} : Vec3{240, -16, 40};
        // Crouched behind it, the block hides the hint from a doorway...
        bool hidden = false;
        for (const auto& d : space.Doors()) {
            const Vec3 from = d.Inside(0, 64), to{h.at.x, h.at.y, h.at.z + 22};
            for (double t = 0; t <= 1 && !hidden; t += 0.01) {
                const Vec3 p = from + (to - from) * t;
                hidden = p.x > lo.x && p.x < hi.x && p.y > lo.y && p.y < hi.y && p.z < hi.z;
            }
        }
        EXPECT_TRUE(hidden) << h.at.x << " " << h.at.y;
        // ...and it faces the block.
        Vec3 angles;
        tessellon::ParseVector(h.node->Get("angles"), angles);
        const double yaw = angles.y * 3.14159265358979 / 180;
        const Vec3 centre{(lo.x + hi.x) / 2, (lo.y + hi.y) / 2, 0};
        EXPECT_GT(std::cos(yaw) * (centre.x - h.at.x) + std::sin(yaw) * (centre.y - h.at.y), 0);
    }
}

TEST(SaveZone, ASaveInSightOfADoorwayOrOneToWalkAroundIsNoSafePlace) {
    auto fault = [](double gap, const Vec3& lo, const Vec3& hi) {
        RoomBuilder b("Save", 0, "");
        b.MakeShell(Plan(0));
        if (gap > 0) {
            b.Box({-368, 96, 0}, {368 - gap, 112, 256}, kPlain.wall);
            b.Box({-368 + gap, -112, 0}, {368, -96, 256}, kPlain.wall);
        }
        return SaveZoneFault(SpaceOfMap(b.Finish("Tests")), lo, hi);
    };
    EXPECT_NE(fault(0, {-368, -40, 0}, {368, 24, 128}).find("doorway sees into the save"), std::string::npos);
    EXPECT_NE(fault(144, {-40, -96, 0}, {24, 40, 128}).find("around the save"), std::string::npos);
    EXPECT_EQ(fault(144, {-40, -96, 0}, {24, 96, 128}), "");
}

TEST(RoomBuilder, EncountersStayOutOfSightOfTheStartAndTheSaveWithSuppliesBeside) {
    RoomBuilder b("Fight", 0, "");
    b.MakeShell(Plan(0));
    b.Box({-368, 96, 0}, {224, 112, 256}, kPlain.wall);
    b.Box({-224, -112, 0}, {368, -96, 256}, kPlain.wall);
    b.Box({-60, 200, 0}, {60, 232, 56}, kPlain.trim);
    b.Autosave({-40, -96, 0}, {24, 96, 128});
    b.Encounter(4);
    const Node map = b.Finish("Tests");
    const RoomSpace space = SpaceOfMap(map);
    const auto npcs = Entities(map, "vornic_npc");
    ASSERT_GE(npcs.size(), 2u);
    ASSERT_LE(npcs.size(), 4u);
    std::vector<Vec3> saveEyes;
    for (double y = -80; y <= 80; y += 40) saveEyes.push_back({-8, y, 64});
    for (const auto& n : npcs) {
        EXPECT_FALSE(SeenFrom(space, n.at, StartViews(space))) << n.at.x << " " << n.at.y;
        EXPECT_FALSE(SeenFrom(space, n.at, saveEyes)) << n.at.x << " " << n.at.y;
        EXPECT_TRUE(space.BodyFits(n.at));
    }
    const auto supplies = Entities(map, "vornic_item");
    EXPECT_EQ(supplies.size(), (npcs.size() + 1) / 2);
    for (const auto& s : supplies) EXPECT_EQ(s.node->Get("spawnwhat"), "4");
    EXPECT_EQ(Entities(map, "trigger_autosave").size(), 1u);
}

TEST(RoomBuilder, ATrenchKeepsItsWaterUnderTheFloorWithAStepOut) {
    ShellPlan s = Plan(0);
    s.trench = Trench{176, -368, 368, 368};
    RoomBuilder b("Canal", 0, "");
    b.MakeShell(s);
    b.Light({0, 0, 200});
    const Node map = b.Finish("Tests");
    const RoomSpace space = SpaceOfMap(map);
    int water = 0;
    for (const auto& br : space.Brushes())
        if (br.kind == SpaceBrush::Water) {
            ++water;
            EXPECT_EQ(br.hi.z, -kTrenchFreeboard) << "the surface lies under the walkway";
        }
    EXPECT_EQ(water, 1);
    EXPECT_EQ(Entities(map, "water_lod_control").size(), 1u);
    // The trench's bottom is floor a player climbs out of.
    const int bottom = space.Walk().PlaceBelow({300, 0, -kTrenchDepth + 1}, 2);
    ASSERT_GE(bottom, 0);
    EXPECT_TRUE(space.Reachable(bottom));
    const auto issues = CheckRoom(ImportRoom(ParseVmf(WriteVmf(map))), RoomCheckOptions{});
    EXPECT_TRUE(issues.empty()) << FormatIssues("canal", issues);
}

TEST(RoomLibrary, EveryGeneratedRoomCarriesWhatPlayNeeds) {
    const ModelKinds kinds = ShippedKinds();
    for (const auto& room : roomgen::BuildLibrary("Tests", kinds)) {
        const auto faults = roomgen::ContentFaults(room.map);
        EXPECT_TRUE(faults.empty()) << room.file << ": " << faults.front();
        const auto entities = Entities(room.map);
        std::string type;
        for (const auto& e : entities)
            if (e.cls == kInfoClass) type = e.node->Get("roomtype");
        for (const auto& e : entities) {
            // A prop goes in only as its model allows.
            const auto it = kinds.find(LowerCase(e.node->Get("model")));
            const PropUse use = it == kinds.end() ? PropUse::Unknown : it->second;
            if (e.cls == "prop_static") {
                EXPECT_EQ(use, PropUse::Static) << room.file << " " << e.node->Get("model");
            }
            if (e.cls == "prop_physics") {
                EXPECT_EQ(use, PropUse::Physics) << room.file << " " << e.node->Get("model");
            }
            if (e.cls == "prop_dynamic_override") {
                EXPECT_EQ(use, PropUse::Unknown) << room.file;
            }
            // Ammunition is asked for owned weapons only.
            if (e.cls == "vornic_item" || e.cls == "vornic_weapon") {
                EXPECT_NE(e.node->Get("spawnwhat"), "3") << room.file;
            }
        }
        if (type == "5") {
            // The suit at the player's feet, then the first weapons, before any other pickup.
            const auto start = std::find_if(entities.begin(), entities.end(),
                                            [](const Entity& e) { return e.cls == "info_player_start"; });
            ASSERT_NE(start, entities.end()) << room.file;
            EXPECT_TRUE(std::any_of(entities.begin(), entities.end(), [&](const Entity& e) {
                return e.cls == "item_suit" && std::hypot(e.at.x - start->at.x, e.at.y - start->at.y) < 1;
            })) << room.file;
            std::vector<std::string> pickups;
            for (const auto& e : entities)
                if (e.cls == "vornic_weapon" || e.cls == "vornic_item")
                    pickups.push_back(e.cls + e.node->Get("spawnwhat"));
            ASSERT_GE(pickups.size(), 2u);
            EXPECT_EQ(pickups[0], "vornic_weapon1");
            EXPECT_EQ(pickups[1], "vornic_weapon1");
        }
        if (type == "6") {
            // The ending: everything the trigger fires at is in the room, the map ends with the
            // game's own command, and the alcove where it happens is out of the doorway's sight.
            std::set<std::string> names, targets;
            std::string command;
            Vec3 lo, hi;
            for (const auto& e : entities) {
                names.insert(e.node->Get("targetname") + ":" + e.cls);
                if (e.cls != "trigger_once") continue;
                for (const Node* out : e.node->Blocks("connections"))
                    for (const auto& kv : out->children) {
                        const auto fields = Fields(kv.value);
                        targets.insert(fields.at(0));
                        if (fields.at(1) == "Command") command = fields.at(2);
                    }
                std::string error;
                int line = 0;
                const auto brush = BrushFromSolid(*e.node->Blocks("solid").at(0), error, line);
                ASSERT_TRUE(brush) << error;
                lo = brush->Min(), hi = brush->Max();
            }
            for (const auto* want : {"end_guard:trigger_hurt", "end_message:game_text", "end_freeze:player_speedmod",
                                     "end_fade:env_fade", "end_menu:point_clientcommand"})
                EXPECT_TRUE(names.count(want)) << room.file << " lacks " << want;
            EXPECT_EQ(targets.size(), 5u) << room.file;
            EXPECT_EQ(command, "disconnect") << room.file;
            EXPECT_EQ(SaveZoneFault(SpaceOfMap(room.map), lo, hi), "") << room.file << ": the ending is in sight";
        }
    }
}

TEST(WeightTables, ShippedTablesHandWeaponsOutInTheGamesOrderAndPutCharactersInSquads) {
    const auto t = tessellon::LoadWeightTables(fs::path(TESSELLON_SOURCE_DIR) / "data", ".");
    std::vector<std::string> order;
    for (const auto& g : t.guns) order.push_back(g.weaponClass);
    EXPECT_EQ(order, (std::vector<std::string>{"weapon_crowbar", "weapon_pistol", "weapon_smg1", "weapon_frag",
                                               "weapon_physcannon", "weapon_shotgun", "weapon_357", "weapon_ar2",
                                               "weapon_crossbow", "weapon_rpg"}));
    // The first two are within the start room's reach at every weapon pace (its progress is at
    // least 1/45, the pace factor at most 1.5); the rest spread over the way.
    EXPECT_LT(t.guns[1].threshold / 100 * 1.5, 1.0 / 45);
    EXPECT_GE(t.guns.back().threshold, 85);
    // Characters that fight together carry a squad; no squad is shared across the factions.
    std::map<std::string, std::string> squadFaction;
    for (const auto& row : t.npcs) {
        const bool squadFighter =
            row.className == "npc_metropolice" || row.className == "npc_combine_s" || row.className == "npc_antlion";
        const auto squad =
            std::find_if(row.keys.begin(), row.keys.end(), [](const auto& k) { return k.name == "squadname"; });
        EXPECT_EQ(squad != row.keys.end(), squadFighter) << row.className;
        if (squad == row.keys.end()) continue;
        for (const auto& name : tessellon::SSplit(squad->alternatives)) {
            if (name.empty()) continue;
            const auto [it, fresh] = squadFaction.emplace(name, row.faction);
            EXPECT_EQ(it->second, row.faction) << name;
        }
    }
    // A placeholder asking for ammunition without an owned weapon never lands on a room's own
    // list: the items draw "ammo" (owned weapons) rather than naming ammunition classes.
    for (const auto& row : t.items) EXPECT_EQ(row.name.find("ammo_"), std::string::npos) << row.name;
}

TEST(RoomKitNew, ANewRoomStartsWithItsNodesAndCubeMap) {
    tessellon::testing::TempDir dir;
    const auto vmf = (dir.path() / "new.vmf").string();
    std::ostringstream out, err;
    ASSERT_EQ(RunKit({"new", "-o", vmf, "--type", "3", "--height", "320"}, out, err), 0) << err.str();
    std::string text;
    ASSERT_TRUE(ReadFile(vmf, text));
    const Node map = ParseVmf(text);
    EXPECT_GE(Entities(map, "info_node").size(), 5u);
    EXPECT_EQ(Entities(map, "env_cubemap").size(), 1u);
}
