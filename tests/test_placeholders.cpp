#include <gtest/gtest.h>

#include <map>
#include <set>

#include "build/errors.h"
#include "entities/placeholders.h"
#include "entities/sun.h"
#include "entities/weight_tables.h"
#include "test_support.h"

using namespace tessellon;
namespace tt = tessellon::testing;

namespace {

using Keys = std::vector<std::pair<std::string, std::string>>;
using Lines = std::vector<std::string>;

// An entity block of a room file, one token per line.
Lines Entity(const std::string& cls, const Keys& keys = {}) {
    Lines lines = {"entity", "{", "id", "7", "classname", cls};
    for (const auto& [k, v] : keys) lines.insert(lines.end(), {k, v});
    lines.push_back("}");
    return lines;
}

Lines Join(std::initializer_list<Lines> parts) {
    Lines out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

struct Appended {
    std::map<std::string, std::string> keys;
    Lines order;
    const std::string& cls() const { return keys.at("classname"); }
};

const char* const kItems = "3\nitem_healthvial\n1\nitem_battery\n1\nitem_healthkit\n1\n";
const char* const kGuns =
    "4\n0\nweapon_crowbar\n-\n-\n-\n30\nweapon_pistol\nitem_ammo_pistol\n-\n-\n"
    "50\nweapon_smg1\nitem_ammo_smg1\n-\n-\n80\nweapon_rpg\nitem_rpg_round\n-\n-\n";
const char* const kNpcs =
    "3\nnpc_headcrab\n0\nx\n0\n"
    "npc_metropolice\n20\nc\n2\nadditionalequipment weapon_pistol weapon_smg1 weapon_stunstick\n2\nmanhacks 1\n1\n"
    "npc_zombie\n40\nx\n0\n";

const Lines kWeapon = Entity("vornic_weapon", {{"origin", "10 20 30"}, {"angles", "0 90 0"}, {"spawnwhat", "1"}});

struct Room : tt::TestSession {
    explicit Room(const std::string& items = kItems, const std::string& guns = kGuns, const std::string& npcs = kNpcs) {
        tt::WriteFile(s.programFolder / "itemdata.ini", items);
        tt::WriteFile(s.programFolder / "gundata.ini", guns);
        tt::WriteFile(s.programFolder / "npcdata.ini", npcs);
    }

    // Loads the body as the room reader does (from element 22, element 0 at the end marker),
    // runs SpawnRands and returns what it appended.
    std::vector<Appended> Spawn(const Lines& body, float progress, const std::string& faction = "") {
        s.RoomLines.Clear();
        std::size_t i = 22;
        for (const auto& line : body) s.RoomLines.At(i++) = line;
        s.RoomLines.SetHead(static_cast<long>(i));
        SpawnRands(s, progress, faction);
        std::vector<Appended> out;
        for (int at = static_cast<int>(i); at < s.RoomLines.Head();) {
            EXPECT_EQ(s.RoomLines.Get(at), "entity");
            Appended e;
            for (at += 2; s.RoomLines.Get(at) != "}"; at += 2) {
                e.keys[s.RoomLines.Get(at)] = s.RoomLines.Get(at + 1);
                e.order.push_back(s.RoomLines.Get(at));
            }
            ++at;
            out.push_back(std::move(e));
        }
        return out;
    }
    std::string One(const Lines& body, float progress) {
        const auto added = Spawn(body, progress);
        return added.size() == 1 ? added[0].cls() : "(" + std::to_string(added.size()) + " entities)";
    }
    std::set<std::string> Seen(const Lines& body, float progress, const std::string& faction = "", int runs = 60) {
        std::set<std::string> seen;
        for (int i = 0; i < runs; ++i)
            for (const auto& e : Spawn(body, progress, faction)) seen.insert(e.cls());
        return seen;
    }
    std::string Boxes() const {
        std::string all;
        for (const auto& b : ui.boxes) all += b.text + "\n";
        return all;
    }
};

}  // namespace

TEST(SpawnRands, AppendsAtThePlaceholderAndLeavesItInPlace) {
    Room r;
    // A key outside any entity is not a placeholder's; keys after a nested block still are.
    const Lines body = Join({{"spawnwhat", "1", "solid", "{", "classname", "vornic_weapon", "}"},
                             {"entity", "{", "classname", "vornic_weapon", "editor", "{", "color", "0 0 0", "}"},
                             {"origin", "1 2 3", "spawnwhat", "1", "}"}, kWeapon});
    const auto added = r.Spawn(body, 0.1f);
    ASSERT_EQ(added.size(), 2u);
    EXPECT_EQ(added[0].keys.at("origin"), "1 2 3");
    EXPECT_EQ(added[1].order, (Lines{"id", "classname", "angles", "origin"}));
    EXPECT_EQ(added[1].keys.at("id"), "Insert ID Here");
    EXPECT_EQ(added[1].keys.at("angles"), "0 90 0");
    EXPECT_EQ(added[1].keys.at("origin"), "10 20 30");
    for (std::size_t i = 0; i < body.size(); ++i) EXPECT_EQ(r.s.RoomLines.Get(22 + i), body[i]);
    EXPECT_EQ(r.s.RoomLines.Get(r.s.RoomLines.Head()), "");
}

TEST(SpawnRands, WeaponsInTableOrderNeverTwiceWhileANewOneIsInReach) {
    Room r;
    Lines given;
    for (float progress : {0.1f, 0.2f, 0.31f, 0.51f, 0.6f, 0.81f}) given.push_back(r.One(kWeapon, progress));
    EXPECT_EQ(given[0], "weapon_crowbar");
    EXPECT_EQ(given[1], "weapon_crowbar");  // nothing new in reach: a weapon already given
    EXPECT_EQ(given[2], "weapon_pistol");
    EXPECT_EQ(given[3], "weapon_smg1");
    EXPECT_NE(given[4], "weapon_rpg");
    EXPECT_EQ(given[5], "weapon_rpg");
}

TEST(SpawnRands, WeaponThresholdIsStrictAndFollowsThePace) {
    Room r;
    auto nextAt = [&](float progress, int pace) {
        r.s.OwnedWeapons.fill(false);
        r.s.OwnedWeapons[1] = r.s.OwnedWeapons[2] = true;  // crowbar and pistol held
        r.s.settings.NewWeapons = pace;
        return r.One(kWeapon, progress);
    };
    EXPECT_NE(nextAt(0.5f, 5), "weapon_smg1");  // the smg needs more than 0.5
    EXPECT_EQ(nextAt(0.51f, 5), "weapon_smg1");
    EXPECT_EQ(nextAt(0.26f, 0), "weapon_smg1");  // halved
    EXPECT_EQ(nextAt(0.76f, 10), "weapon_smg1");  // times 1.5

    Room early("3\na\n1\nb\n1\nc\n1\n", "2\n40\nweapon_pistol\n-\n-\n-\n60\nweapon_smg1\n-\n-\n-\n");
    EXPECT_EQ(early.Seen(kWeapon, 0.1f), (std::set<std::string>{"weapon_pistol", "weapon_smg1"}));
    EXPECT_FALSE(early.s.OwnedWeapons[1] || early.s.OwnedWeapons[2]);
}

TEST(SpawnRands, AmmunitionForHeldWeaponsElseAnyThatTakesSome) {
    Room r;
    const auto held = Entity("vornic_item", {{"spawnwhat", "2"}});
    const std::set<std::string> all = {"item_ammo_pistol", "item_ammo_smg1", "item_rpg_round"};
    EXPECT_EQ(r.Seen(held, 0.5f, "", 80), all);  // nothing held yet; never the crowbar's "-"
    r.s.OwnedWeapons[1] = r.s.OwnedWeapons[3] = true;
    EXPECT_EQ(r.Seen(held, 0.5f), (std::set<std::string>{"item_ammo_smg1"}));
    EXPECT_EQ(r.Seen(Entity("vornic_item", {{"spawnwhat", "3"}}), 0.5f, "", 80), all);
}

TEST(SpawnRands, ItemModes) {
    Room r("5\nweapon\n50\nammo\n50\nitem_battery\n1\nitem_suit\n\nitem_healthkit\n1\n");
    EXPECT_EQ(r.Seen(Entity("vornic_item", {{"spawnwhat", "4"}}), 0.5f),
              (std::set<std::string>{"item_battery", "item_healthkit"}));
    const auto anything = r.Seen(Entity("vornic_item"), 0.5f, "", 200);
    EXPECT_TRUE(anything.count("weapon_crowbar") && anything.count("item_ammo_pistol"));
    EXPECT_TRUE(r.Spawn(Entity("vornic_item", {{"spawnwhat", "7"}}), 0.5f).empty());

    Room unusable("3\nitem_battery\n\nitem_healthkit\n\n\n5\n");
    EXPECT_TRUE(unusable.Spawn(Entity("vornic_item"), 0.5f).empty());  // no entity without a class
}

TEST(SpawnRands, TablesThatCannotServeEndTheBuild) {
    Room fewItems("2\nitem_battery\n1\nitem_healthkit\n1\n");
    EXPECT_THROW(fewItems.Spawn(Entity("vornic_item"), 0.5f), ProgramEnd);
    EXPECT_NE(fewItems.Boxes().find("No valid items to place on map! Check for itemdata.ini corruption!"),
              std::string::npos);

    Room noAmmo(kItems, "1\n0\nweapon_crowbar\n-\n-\n-\n");
    EXPECT_THROW(noAmmo.Spawn(Entity("vornic_item", {{"spawnwhat", "3"}}), 0.5f), ProgramEnd);
    EXPECT_NE(noAmmo.Boxes().find("No Valid Ammunition!"), std::string::npos);

    Room noGuns(kItems, "0\n");
    EXPECT_THROW(noGuns.Spawn(kWeapon, 0.5f), ProgramEnd);
    EXPECT_NE(noGuns.Boxes().find("No weapons in weapons library!"), std::string::npos);
    EXPECT_EQ(tt::ReadFile(noGuns.s.programFolder / "errorlog.txt"),
              "No weapons found in the weapons library while creating rand_weapon entity!\r\n");

    Room badNpcs(kItems, kGuns, "1\nnpc_zombie\nearly\nx\n0\n");
    EXPECT_THROW(badNpcs.Spawn(kWeapon, 0.5f), TableError);
}

TEST(SpawnRands, CharactersByProgressDifficultyAndFaction) {
    Room r;
    const auto npc = Entity("vornic_npc", {{"origin", "0 0 8"}});
    const std::set<std::string> all = {"npc_headcrab", "npc_metropolice", "npc_zombie"};
    EXPECT_EQ(r.Seen(npc, 0.1f), (std::set<std::string>{"npc_headcrab"}));
    EXPECT_EQ(r.Seen(npc, 0.4f), all);
    EXPECT_EQ(r.Seen(npc, 0.4f, "c"), (std::set<std::string>{"npc_metropolice"}));
    EXPECT_EQ(r.Seen(npc, 0.4f, "x"), (std::set<std::string>{"npc_headcrab", "npc_zombie"}));
    r.s.settings.EnemyDifficulty = 0;
    EXPECT_EQ(r.Seen(npc, 0.0f), all);
    r.s.settings.EnemyDifficulty = 10;
    EXPECT_EQ(r.Seen(npc, 0.79f), (std::set<std::string>{"npc_headcrab", "npc_metropolice"}));
    EXPECT_EQ(r.Seen(npc, 0.8f), all);

    // Extra keys follow the origin, each drawn among its first M words only.
    std::set<std::string> equipment;
    for (int i = 0; i < 80; ++i) {
        const auto added = r.Spawn(npc, 0.5f, "c");
        ASSERT_EQ(added.size(), 1u);
        EXPECT_EQ(added[0].order, (Lines{"id", "classname", "angles", "origin", "additionalequipment", "manhacks"}));
        EXPECT_EQ(added[0].keys.at("manhacks"), "1");
        equipment.insert(added[0].keys.at("additionalequipment"));
    }
    EXPECT_EQ(equipment, (std::set<std::string>{"weapon_pistol", "weapon_smg1"}));
}

TEST(SpawnRands, LightAndSunBesideEveryPlayerStart) {
    Room r;
    const auto start = Entity("info_player_start", {{"origin", "-64 32 1"}});
    r.s.SunElevation = 5;
    r.s.SunYaw = 194.6f;
    auto added = r.Spawn(start, 0.0f);
    ASSERT_EQ(added.size(), 2u);
    EXPECT_EQ(added[0].order, (Lines{"id", "classname", "angles", "_light", "_ambient", "origin"}));
    EXPECT_EQ(added[0].cls(), "light_environment");
    EXPECT_EQ(added[0].keys.at("angles"), "-5 195 0");
    EXPECT_EQ(added[0].keys.at("_light"), "159 111 0 200");
    EXPECT_EQ(added[0].keys.at("origin"), "-64 32 1");
    EXPECT_EQ(added[1].cls(), "env_sun");
    EXPECT_EQ(added[1].keys.at("rendercolor"), "159 111 0 200");
    EXPECT_EQ(added[1].keys.at("size"), "16");
    EXPECT_EQ(r.Spawn(Join({start, start}), 0.0f).size(), 4u);  // 60 lines

    EXPECT_EQ(DaylightColor(30), "255 255 218");

    // By night only moonlight, from a fixed direction.
    r.s.settings.TimeOfDay = 2;
    CalcSunAngle(r.s);
    added = r.Spawn(start, 0.0f);
    EXPECT_EQ(added[0].keys.at("angles"), "-55 194 0");
    EXPECT_EQ(added[0].keys.at("_light"), "50 50 50 200");
    EXPECT_EQ(added[1].keys.at("size"), "8");
}

TEST(SpawnRands, SpawnControllerHandsItsDrawnGroupToTheWorld) {
    Room r;
    const auto state = r.s.random.State();
    EXPECT_TRUE(r.Spawn(Entity("vornic_spawn_contoller", {{"shares1", "5"}, {"nospawnshares", "1"}}), 0.5f).empty());
    EXPECT_EQ(r.s.random.State(), state);  // no group, no draw

    // The only group with a share, against a share of 0 for nothing: always placed.
    const Lines group = {"entity", "{", "classname", "func_vornic_spawngroup", "targetname", "crates", "solid", "{", "}", "}"};
    for (int i = 0; i < 5; ++i) {
        r.s.WorldInsertLines.Clear();
        r.Spawn(Join({Entity("vornic_spawn_contoller", {{"controll2", "crates"}, {"shares2", "1"}, {"nospawnshares", "0"}}), group}), 0.5f);
        Lines inserted;
        for (int k = 1; k <= r.s.WorldInsertLines.Head(); ++k) inserted.push_back(r.s.WorldInsertLines.Get(k));
        EXPECT_EQ(inserted, (Lines{"solid", "{", "}"}));
    }
}
