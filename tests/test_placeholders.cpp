// Placeholders turned into weapons, items, characters and lights, one room and whole levels.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>

#include "session/errors.h"
#include "entities/placeholders.h"
#include "entities/sun.h"
#include "entities/weight_tables.h"
#include "test_support.h"

using namespace tessellon;
namespace fs = std::filesystem;
namespace tt = tessellon::testing;

namespace {

using Keys = std::vector<std::pair<std::string, std::string>>;
using Lines = std::vector<std::string>;
using Classes = std::set<std::string>;

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
    Lines Values(const Lines& names) const {
        Lines out;
        for (const auto& n : names) out.push_back(keys.count(n) ? keys.at(n) : "(none)");
        return out;
    }
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

Lines Item(const char* spawnwhat) { return Entity("vornic_item", {{"spawnwhat", spawnwhat}}); }

struct Room : tt::TestSession {
    explicit Room(const std::string& items = kItems, const std::string& guns = kGuns, const std::string& npcs = kNpcs) {
        tt::WriteFile(s.programFolder / "itemdata.ini", items);
        tt::WriteFile(s.programFolder / "gundata.ini", guns);
        tt::WriteFile(s.programFolder / "npcdata.ini", npcs);
    }

    // Runs SpawnRands over the body and returns what it appended.
    std::vector<Appended> Spawn(const Lines& body, float progress, const std::string& faction = "") {
        LoadRoom(body);
        const int end = s.RoomLines.Head();
        SpawnRands(s, progress, faction);
        std::vector<Appended> out;
        for (int at = end; at < s.RoomLines.Head(); ++at) {
            EXPECT_EQ(s.RoomLines.Get(at), "entity");
            Appended& e = out.emplace_back();
            for (at += 2; s.RoomLines.Get(at) != "}"; at += 2) {
                e.keys[s.RoomLines.Get(at)] = s.RoomLines.Get(at + 1);
                e.order.push_back(s.RoomLines.Get(at));
            }
        }
        return out;
    }
    std::string One(const Lines& body, float progress) {
        const auto added = Spawn(body, progress);
        return added.size() == 1 ? added[0].cls() : "(" + std::to_string(added.size()) + " entities)";
    }
    Classes Seen(const Lines& body, float progress, const std::string& faction = "", int runs = 80) {
        Classes seen;
        for (int i = 0; i < runs; ++i)
            for (const auto& e : Spawn(body, progress, faction)) seen.insert(e.cls());
        return seen;
    }
};

}  // namespace

TEST(SpawnRands, AppendsAtThePlaceholderAndLeavesItInPlace) {
    Room r;
    // A key outside any entity is not a placeholder's; keys after a nested block still are.
    const Lines body = Join({{"spawnwhat", "1", "solid", "{", "classname", "vornic_weapon", "}"},
                             {"entity", "{", "classname", "vornic_weapon", "editor", "{", "color", "0 0 0", "}"},
                             {"origin", "1 2 3", "spawnwhat", "1", "}"},
                             kWeapon});
    const auto added = r.Spawn(body, 0.1f);
    ASSERT_EQ(added.size(), 2u);
    EXPECT_EQ(added[0].keys.at("origin"), "1 2 3");
    EXPECT_EQ(added[1].order, (Lines{"id", "classname", "angles", "origin"}));
    EXPECT_EQ(added[1].Values({"id", "angles"}), (Lines{"Insert ID Here", "0 90 0"}));
    const Lines now = r.RoomBody();
    EXPECT_EQ(Lines(now.begin(), now.begin() + static_cast<long>(body.size())), body);
}

TEST(SpawnRands, WeaponsInTableOrderNeverTwiceWhileANewOneIsInReach) {
    Room r;
    Lines given;
    for (float progress : {0.1f, 0.2f, 0.31f, 0.51f, 0.6f, 0.81f}) given.push_back(r.One(kWeapon, progress));
    // The second time nothing new is in reach: a weapon already given.
    EXPECT_EQ(Lines(given.begin(), given.begin() + 4),
              (Lines{"weapon_crowbar", "weapon_crowbar", "weapon_pistol", "weapon_smg1"}));
    EXPECT_NE(given[4], "weapon_rpg");
    EXPECT_EQ(given[5], "weapon_rpg");

    // The threshold is strict and the pace setting scales it.
    auto nextAt = [&](float progress, int pace) {
        r.s.OwnedWeapons.fill(false);
        r.s.OwnedWeapons[1] = r.s.OwnedWeapons[2] = true;  // crowbar and pistol held
        r.s.settings.NewWeapons = pace;
        return r.One(kWeapon, progress);
    };
    EXPECT_NE(nextAt(0.5f, 5), "weapon_smg1");
    EXPECT_EQ(nextAt(0.51f, 5), "weapon_smg1");
    EXPECT_EQ(nextAt(0.26f, 0), "weapon_smg1");   // halved
    EXPECT_EQ(nextAt(0.76f, 10), "weapon_smg1");  // times 1.5

    // Nothing in reach yet: any weapon of the table, and none counts as handed out.
    Room early("3\na\n1\nb\n1\nc\n1\n", "2\n40\nweapon_pistol\n-\n-\n-\n60\nweapon_smg1\n-\n-\n-\n");
    EXPECT_EQ(early.Seen(kWeapon, 0.1f), (Classes{"weapon_pistol", "weapon_smg1"}));
    EXPECT_FALSE(early.s.OwnedWeapons[1] || early.s.OwnedWeapons[2]);
}

TEST(SpawnRands, ItemAndAmmunitionModes) {
    Room r;
    const Classes ammo = {"item_ammo_pistol", "item_ammo_smg1", "item_rpg_round"};
    EXPECT_EQ(r.Seen(Item("2"), 0.5f), ammo);  // nothing held yet; never the crowbar's "-"
    r.s.OwnedWeapons[1] = r.s.OwnedWeapons[3] = true;
    EXPECT_EQ(r.Seen(Item("2"), 0.5f), (Classes{"item_ammo_smg1"}));
    EXPECT_EQ(r.Seen(Item("3"), 0.5f), ammo);

    Room mixed("5\nweapon\n50\nammo\n50\nitem_battery\n1\nitem_suit\n\nitem_healthkit\n1\n");
    EXPECT_EQ(mixed.Seen(Item("4"), 0.5f), (Classes{"item_battery", "item_healthkit"}));
    const auto anything = mixed.Seen(Entity("vornic_item"), 0.5f, "", 200);
    EXPECT_TRUE(anything.count("weapon_crowbar") && anything.count("item_ammo_pistol"));
    EXPECT_TRUE(mixed.Spawn(Item("7"), 0.5f).empty());
    Room unusable("3\nitem_battery\n\nitem_healthkit\n\n\n5\n");
    EXPECT_TRUE(unusable.Spawn(Entity("vornic_item"), 0.5f).empty());  // no entity without a class
}

TEST(SpawnRands, TablesThatCannotServeEndTheBuild) {
    // The first message box and the error log of a build that ended.
    auto fatal = [](const char* items, const char* guns, const Lines& body) {
        Room r(items, guns);
        EXPECT_THROW(r.Spawn(body, 0.5f), ProgramEnd);
        return (r.ui.boxes.empty() ? "" : r.ui.boxes[0].text) + "|" + tt::ReadFile(r.s.programFolder / "errorlog.txt");
    };
    EXPECT_NE(fatal("2\nitem_battery\n1\nitem_healthkit\n1\n", kGuns, Entity("vornic_item"))
                  .find("No valid items to place on map! Check for itemdata.ini corruption!|"),
              std::string::npos);
    EXPECT_NE(fatal(kItems, "1\n0\nweapon_crowbar\n-\n-\n-\n", Item("3")).find("No Valid Ammunition!|"),
              std::string::npos);
    EXPECT_NE(fatal(kItems, "0\n", kWeapon)
                  .find("No weapons in weapons library!|No weapons found in the weapons library while creating "
                        "rand_weapon entity!\r\n"),
              std::string::npos);
    Room badNpcs(kItems, kGuns, "1\nnpc_zombie\nearly\nx\n0\n");
    EXPECT_THROW(badNpcs.Spawn(kWeapon, 0.5f), TableError);
}

TEST(SpawnRands, CharactersByProgressDifficultyAndFaction) {
    Room r;
    const auto npc = Entity("vornic_npc", {{"origin", "0 0 8"}});
    const Classes all = {"npc_headcrab", "npc_metropolice", "npc_zombie"};
    EXPECT_EQ(r.Seen(npc, 0.1f), (Classes{"npc_headcrab"}));
    EXPECT_EQ(r.Seen(npc, 0.4f), all);
    EXPECT_EQ(r.Seen(npc, 0.4f, "c"), (Classes{"npc_metropolice"}));
    EXPECT_EQ(r.Seen(npc, 0.4f, "x"), (Classes{"npc_headcrab", "npc_zombie"}));
    r.s.settings.EnemyDifficulty = 0;
    EXPECT_EQ(r.Seen(npc, 0.0f), all);
    r.s.settings.EnemyDifficulty = 10;
    EXPECT_EQ(r.Seen(npc, 0.79f), (Classes{"npc_headcrab", "npc_metropolice"}));
    EXPECT_EQ(r.Seen(npc, 0.8f), all);

    // Extra keys follow the origin, each drawn among its first M words only.
    const auto added = r.Spawn(npc, 0.5f, "c");
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(added[0].order, (Lines{"id", "classname", "angles", "origin", "additionalequipment", "manhacks"}));
    EXPECT_EQ(added[0].Values({"origin", "manhacks"}), (Lines{"0 0 8", "1"}));
    Classes equipment;
    for (int i = 0; i < 80; ++i) equipment.insert(r.Spawn(npc, 0.5f, "c").at(0).keys.at("additionalequipment"));
    EXPECT_EQ(equipment, (Classes{"weapon_pistol", "weapon_smg1"}));
}

TEST(SpawnRands, LightAndSunBesideEveryPlayerStart) {
    Room r;
    const auto start = Entity("info_player_start", {{"origin", "-64 32 1"}});
    r.s.SunElevation = 5;
    r.s.SunYaw = 194.6f;
    auto added = r.Spawn(start, 0.0f);
    ASSERT_EQ(added.size(), 2u);
    EXPECT_EQ(added[0].order, (Lines{"id", "classname", "angles", "_light", "_ambient", "origin"}));
    EXPECT_EQ(added[0].Values({"classname", "angles", "_light", "origin"}),
              (Lines{"light_environment", "-5 195 0", "159 111 0 200", "-64 32 1"}));
    EXPECT_EQ(added[1].Values({"classname", "rendercolor", "size"}), (Lines{"env_sun", "159 111 0 200", "16"}));
    EXPECT_EQ(r.Spawn(Join({start, start}), 0.0f).size(), 4u);
    EXPECT_EQ(DaylightColor(30), "255 255 218");

    // By night only moonlight, from a fixed direction.
    r.s.settings.TimeOfDay = 2;
    CalcSunAngle(r.s);
    added = r.Spawn(start, 0.0f);
    EXPECT_EQ(added[0].Values({"angles", "_light"}), (Lines{"-55 194 0", "50 50 50 200"}));
    EXPECT_EQ(added[1].Values({"size"}), (Lines{"8"}));
}

TEST(SpawnRands, SpawnControllerHandsItsDrawnGroupToTheWorld) {
    Room r;
    const auto state = r.s.random.State();
    EXPECT_TRUE(r.Spawn(Entity("vornic_spawn_contoller", {{"shares1", "5"}, {"nospawnshares", "1"}}), 0.5f).empty());
    EXPECT_EQ(r.s.random.State(), state);  // no group, no draw

    // The only group with a share, against a share of 0 for nothing: always placed.
    const Lines group = {"entity", "{", "classname", "func_vornic_spawngroup", "targetname", "crates", "solid",
                         "{",      "}", "}"};
    const auto controller =
        Entity("vornic_spawn_contoller", {{"controll2", "crates"}, {"shares2", "1"}, {"nospawnshares", "0"}});
    for (int i = 0; i < 5; ++i) {
        r.s.WorldInsertLines.Clear();
        r.Spawn(Join({controller, group}), 0.5f);
        EXPECT_EQ(tt::TestSession::Table(r.s.WorldInsertLines), (Lines{"solid", "{", "}"}));
    }
}

// Whole levels from the shipped rooms and tables, where every room also carries a weapon, an
// item and two character placeholders before its end marker.

namespace {

const fs::path kExeDir = fs::path(TESSELLON_BINARY).parent_path();

const WeightTables& Shipped() {
    static const WeightTables t = LoadWeightTables(kExeDir, ".");
    return t;
}

struct Level {
    std::string text;
    Lines classes;  // in file order
    bool Has(const std::string& key, const std::string& value) const {
        return text.find("\"" + key + "\" \"" + value + "\"") != std::string::npos;
    }
};

Level Build(int seed, Lines options = {}) {
    tt::TempDir home;
    for (const char* table : {"itemdata.ini", "gundata.ini", "npcdata.ini"})
        fs::copy_file(kExeDir / table, home.path() / table);
    for (const auto& entry : fs::directory_iterator(kExeDir / "rooms")) {
        std::string text = tt::ReadFile(entry.path());
        const auto end = text.find("/\\/EOF\\/\\");
        if (entry.path().extension() != ".rgr" || end == std::string::npos) continue;
        for (const auto& [cls, origin] : {std::pair{"vornic_weapon\r\nspawnwhat\r\n1", "64 64"},
                                          {"vornic_item", "-64 64"},
                                          {"vornic_npc", "64 -64"},
                                          {"vornic_npc", "-64 -64"}})
            text.insert(end, std::string("entity\r\n{\r\nid\r\n1\r\nclassname\r\n") + cls + "\r\norigin\r\n" + origin +
                                 " 16\r\n}\r\n");
        tt::WriteFile(home.path() / "rooms" / entry.path().filename(), text);
    }
    Lines args = {
        "build",  "--home", home.path().string(), "--seed", std::to_string(seed), "--clock", "2026-05-01 12:00:00",
        "--quiet"};
    args.insert(args.end(), options.begin(), options.end());
    const auto run = tt::Cli(args);
    EXPECT_EQ(run.code, 0) << run.err;
    Level level{tt::ReadFile(home.path() / "level1.vmf"), {}};
    const std::regex classname("\"classname\" \"([^\"]+)\"");
    for (std::sregex_iterator it(level.text.begin(), level.text.end(), classname), e; it != e; ++it)
        level.classes.push_back((*it)[1].str());
    return level;
}

}  // namespace

TEST(EntitiesBuild, WeaponsArriveInTableOrderAndNoPlaceholderRemains) {
    // A weapon that is also a gun's ammunition (grenades) may come early as ammunition, so it
    // says nothing about the order.
    Lines inOrder;
    for (const auto& gun : Shipped().guns)
        if (std::none_of(Shipped().guns.begin(), Shipped().guns.end(),
                         [&](const GunRow& g) { return g.ammoClass == gun.weaponClass; }))
            inOrder.push_back(gun.weaponClass);
    for (int seed = 1; seed <= 12; ++seed) {
        const Level level = Build(seed);
        EXPECT_EQ(level.text.find("vornic_"), std::string::npos) << seed;
        Lines firstSeen;
        for (const auto& cls : level.classes)
            if (std::count(inOrder.begin(), inOrder.end(), cls) && !std::count(firstSeen.begin(), firstSeen.end(), cls))
                firstSeen.push_back(cls);
        ASSERT_FALSE(firstSeen.empty()) << seed;
        EXPECT_EQ(firstSeen, Lines(inOrder.begin(), inOrder.begin() + static_cast<long>(firstSeen.size()))) << seed;
    }
}

TEST(EntitiesBuild, OptionsShapeTheLevel) {
    for (int seed : {3, 4}) {
        for (const auto& cls : Build(seed, {"--no-monsters"}).classes) EXPECT_NE(cls.rfind("npc_", 0), 0u) << cls;
        const Level dark = Build(seed, {"--skip-lights", "--moon", "5"});
        for (const auto& cls : dark.classes) EXPECT_TRUE(cls != "light" && cls != "light_dynamic");
        EXPECT_TRUE(dark.Has("angles", "-55 194 0") && dark.Has("_light", "100 100 100 200"));  // the night-style light
        EXPECT_TRUE(Build(seed, {"--time-of-day", "36"}).Has("skyname", "sky_day01_08"));
    }
}

TEST(EntitiesBuild, AlienCombineBalanceDecidesTheCharacters) {
    std::map<std::string, std::string> factionOf;
    for (const auto& row : Shipped().npcs) factionOf[row.className] = row.faction;
    for (const auto& [balance, wanted] : {std::pair{"0", "x"}, std::pair{"20", "c"}}) {
        int all = 0, matching = 0;
        for (int seed = 1; seed <= 6; ++seed)
            for (const auto& cls : Build(seed, {"--alien-combine-balance", balance}).classes)
                if (factionOf.count(cls)) {
                    ++all;
                    matching += factionOf[cls] == wanted;
                }
        ASSERT_GT(all, 50) << balance;
        EXPECT_GT(matching, all * 85 / 100) << balance << ": " << matching << " of " << all;
    }
}
