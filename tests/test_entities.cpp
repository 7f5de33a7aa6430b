// Sun and sky, the weighting tables, the weighted lottery and the entity output.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <tuple>

#include "entities/entity_output.h"
#include "entities/sky.h"
#include "entities/sun.h"
#include "entities/weight_tables.h"
#include "session/text_helpers.h"
#include "test_support.h"

namespace tessellon {
namespace {

using namespace testing;
using Lines = std::vector<std::string>;
const std::string kDeg = "\xC2\xB0";

TEST(Sun, ElevationAndYawByHourLatitudeAndSeason) {
    const struct {
        int bar, latitude;
        Season season;
        double elevation;
    } cases[] = {
        {24, 0, Season::Spring, 89.96},
        {12, 0, Season::Spring, -2.63},  // 6:00 is just below the horizon
        {24, 30, Season::Summer, 83.47},
        {24, 30, Season::Winter, 36.47},
        {24, -30, Season::Summer, 36.47},
        {0, 30, Season::Summer, -59.97 + 23.5},  // the tilt applies by night too
        // Past the zenith or the nadir the sun comes down the other side.
        {24, 0, Season::Winter, 180 - (89.96 + 23.5)},
        {0, 0, Season::Summer, -180 + (89.96 + 23.5)},
        // At the pole only the season lifts or lowers the sun.
        {36, 90, Season::Spring, 0},
        {36, 90, Season::Winter, -23.5},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(ComputeSun(c.bar, c.latitude, c.season, 3).SunElevation, c.elevation, 0.01)
            << c.bar << " " << c.latitude << " " << static_cast<int>(c.season);
    EXPECT_FLOAT_EQ(ComputeSun(16, 40, Season::Spring, 3).SunYaw, 120);
    EXPECT_FLOAT_EQ(ComputeSun(16, -40, Season::Spring, 3).SunYaw, 240);
    EXPECT_FLOAT_EQ(ComputeSun(48, 40, Season::Spring, 3).SunYaw, 0);
}

TEST(Sun, SessionValuesAndWindowTexts) {
    TestSession t;
    t.s.settings.TimeOfDay = 24;
    t.s.settings.Latitude = 30.4;  // the map works in whole degrees
    t.s.settings.season = Season::Summer;
    t.s.settings.Moon = 4;
    const SunDisplay shown = CalcSunAngle(t.s);
    EXPECT_NEAR(t.s.SunElevation, 83.47, 0.01);
    EXPECT_EQ(std::pair(t.s.SunYaw, t.s.MoonLight), std::pair(180.0f, 0.75f));
    EXPECT_EQ(shown.SunAngleBox, "83.5" + kDeg);
    EXPECT_EQ(shown.MoonImage, 5);

    EXPECT_EQ(ClockText(15), "7:30");
    EXPECT_EQ(std::pair(LatitudeFromPress(915), LatitudeFromPress(457.5)), std::pair(-50, 20));
    EXPECT_EQ(LatitudeText(-50) + SunAngleText(89.96f) + SunAngleText(-2.63f, ","),
              "-50" + kDeg + "90" + kDeg + "-2,6" + kDeg);
}

TEST(Sky, FollowsTheTimeOfDay) {
    TestSession t;
    auto skyAt = [&](int clockBar) {
        t.s.settings.TimeOfDay = clockBar;
        CalcSunAngle(t.s);
        return ChooseSky(t.s);
    };
    EXPECT_EQ(skyAt(12), "sky_day01_09");
    EXPECT_EQ(skyAt(13), "sky_day01_06");  // low morning sun
    EXPECT_EQ(skyAt(36), "sky_day01_08");  // low afternoon sun
    // 15 degrees is no longer low, and hour 12 is already afternoon.
    EXPECT_EQ(SkyForSun(t.s, 14.9f, 11.5f), "sky_day01_06");
    EXPECT_EQ(SkyForSun(t.s, 14.9f, 12.0f), "sky_day01_08");
    std::map<std::string, int> seen;
    for (int i = 0; i < 4000; ++i) ++seen[skyAt(24)];
    EXPECT_EQ(seen.size(), 4u);
    for (const char* sky : {"sky_day02_04", "sky_day02_07", "sky_day03_04", "sky_day03_05"})
        EXPECT_NEAR(seen[sky], 1000, 250) << sky;
}

TEST(WeightTables, ValuesRowsAndDashes) {
    TableValueReader reader("a, b,c\r\nd,\ne\n\nf,,g\n\"x, y\",\" z \"\n\"\"\n  last  ", "t.ini");
    Lines values;
    for (std::string v; reader.Next(v);) values.push_back(v);
    // A comma closing a line adds no empty value; two commas in a row and an empty line do.
    EXPECT_EQ(values, (Lines{"a", "b", "c", "d", "e", "", "f", "", "g", "x, y", " z ", "", "last"}));

    const auto items = ParseItemTable("3\nitem_battery\n10\nammo,2.5\n\"weapon\"\n\nrubbish after the rows\n", ".");
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[1].share, "2.5");
    EXPECT_EQ(items[2].share, "");  // takes no part in the draw
    // Numbers stand in the system's form; a comma inside one needs quotes.
    EXPECT_EQ(ParseItemTable("1\na\n\"2,5\"\n", ",")[0].share, "2,5");

    const auto guns =
        ParseGunTable("2\n0\nweapon_crowbar\n-\n-\n-\n12.5\nweapon_smg1\nitem_ammo_smg1\nx\n\"-\"\n", ".");
    ASSERT_EQ(guns.size(), 2u);
    EXPECT_EQ(guns[0].ammoClass + guns[1].spare2, "");  // "-", quoted or not, names nothing
    EXPECT_DOUBLE_EQ(guns[1].threshold, 12.5);

    const auto npcs = ParseNpcTable(
        "2\nnpc_metropolice\n25\nC\n2\nadditionalequipment weapon_pistol weapon_smg1\n2\nmanhacks "
        "1\n1\nnpc_zombie,0,x,0\n",
        ".");
    ASSERT_EQ(npcs.size(), 2u);
    EXPECT_EQ(std::pair(npcs[0].faction, npcs[0].threshold), std::pair(std::string("c"), 0.25));  // percent to fraction
    ASSERT_EQ(npcs[0].keys.size(), 2u);
    EXPECT_EQ(npcs[0].keys[0].alternatives, "weapon_pistol weapon_smg1");
}

TEST(WeightTables, BadFilesNameFileRowAndLine) {
    using Parse = void (*)(const char*);
    const Parse items = [](const char* t) { ParseItemTable(t, "."); };
    const Parse guns = [](const char* t) { ParseGunTable(t, "."); };
    const Parse npcs = [](const char* t) { ParseNpcTable(t, "."); };
    const std::tuple<Parse, const char*, const char*> cases[] = {
        {items, "", "itemdata.ini is empty"},
        {items, "three\n", "itemdata.ini, line 1: the row count \"three\""},
        {items, "3\na\n1\nb\n2\n", "itemdata.ini ends in row 3 of 3"},
        {items, "2\n\"a\nb\"\n1\nb\nmany\n", "itemdata.ini, row 2 (line 6): the share \"many\" is not a number"},
        {guns, "1\n5\n-\n-\n-\n-\n", "gundata.ini, row 1 (line 3): the weapon class is missing"},
        {guns, "1\nsoon\nweapon_pistol\n-\n-\n-\n",
         "gundata.ini, row 1 (line 2): the threshold \"soon\" is not a number"},
        {npcs, "1\nnpc_zombie\n0\nz\n0\n", "npcdata.ini, row 1 (line 4): the faction letter \"z\""},
        {npcs, "1\nnpc_zombie\n0\nx\n7\n",
         "npcdata.ini, row 1 (line 5): the number of extra keys must be a whole number from 0 to 6"},
        {npcs, "1\nnpc_combine_s\n0\nc\n1\nNumGrenades 1 2\n3\n",
         "npcdata.ini, row 1 (line 7): the key NumGrenades draws among 3"},
        {npcs, "2\nnpc_zombie\n0\nx\n0\nnpc_headcrab\n0\n", "npcdata.ini ends in row 2 of 2"},
    };
    for (const auto& [parse, text, expected] : cases) {
        const std::string message = FailureOf([&p = parse, &t = text] { p(t); });
        EXPECT_NE(message.find(expected), std::string::npos) << message;
    }
}

TEST(WeightTables, MissingFileAndReadOncePerBuild) {
    TestSession t;
    const auto& dir = t.s.programFolder;
    WriteFile(dir / "itemdata.ini", "3\na\n1\nb\n1\nc\n1\n");
    WriteFile(dir / "npcdata.ini", "0\n");
    EXPECT_NE(FailureOf([&] { WeightTablesForBuild(t.s); }).find("gundata.ini is missing"), std::string::npos);
    WriteFile(dir / "gundata.ini", "1\n0\nweapon_crowbar\n-\n-\n-\n");
    const WeightTables* first = &WeightTablesForBuild(t.s);
    fs::remove(dir / "gundata.ini");
    EXPECT_EQ(&WeightTablesForBuild(t.s), first);  // later rooms reuse what the build read
    ForgetWeightTables(t.s);
    EXPECT_THROW(WeightTablesForBuild(t.s), TableError);
}

TEST(WeightTables, ShippedTablesNameOnlyGameClassesInRisingOrder) {
    const fs::path shipped = fs::path(TESSELLON_SOURCE_DIR) / "data";
    std::set<std::string> known;
    for (const auto& line : FileLines(shipped / "hl2_entity_classes.txt"))
        if (!line.empty() && line[0] != '#') known.insert(line);
    ASSERT_GT(known.size(), 50u);
    auto expectKnown = [&](const std::string& cls) {
        EXPECT_TRUE(cls.empty() || known.count(cls)) << cls << " is not a game class";
    };
    const WeightTables t = LoadWeightTables(shipped, ".");
    ASSERT_GE(t.items.size(), 3u);
    for (const auto& row : t.items)
        if (row.name != "weapon" && row.name != "ammo") expectKnown(row.name);
    for (const auto& row : t.guns)
        for (const auto* cls : {&row.weaponClass, &row.ammoClass, &row.spare1, &row.spare2}) expectKnown(*cls);
    for (const auto& row : t.npcs) {
        expectKnown(row.className);
        for (const auto& key : row.keys)
            if (key.name == "additionalequipment")
                for (const auto& word : SSplit(key.alternatives)) expectKnown(word);
    }
    // Weapons are handed out in table order, so thresholds rise with it, the first within
    // reach at once and the last before the end room.
    ASSERT_GE(t.guns.size(), 2u);
    EXPECT_EQ(t.guns.front().threshold, 0);
    for (std::size_t i = 1; i < t.guns.size(); ++i) EXPECT_GT(t.guns[i].threshold, t.guns[i - 1].threshold);
    EXPECT_LT(t.guns.back().threshold, 100);
}

// The generator state whose next draw is exactly `value` (a multiple of 2^-24): with the
// custom seed greyed Randa leaves the state alone, so the lottery's draw is this one.
std::uint32_t StateBeforeDraw(double value) {
    const std::uint64_t m = RandomSource::kModulus;
    const auto target = static_cast<std::uint64_t>(value * m);
    std::uint64_t inv = 1;  // inverse of the multiplier modulo 2^24 by Newton's iteration
    for (int i = 0; i < 5; ++i) inv = (inv * (2 - RandomSource::kMultiplier * inv % m + m)) % m;
    return static_cast<std::uint32_t>(((target + m - RandomSource::kIncrement % m) % m) * inv % m);
}

struct EntitiesTest : ::testing::Test {
    TestSession t;
    Session& s = t.s;
    void SetUp() override { s.settings.CustomSeed = CheckState::Greyed; }
    std::string DrawAt(double r) {
        s.random.SetState(StateBeforeDraw(r));
        return ShareList_Get(s);
    }
};

TEST_F(EntitiesTest, ShareListDrawsByCumulativeShareAndRefusesBadRows) {
    ShareList_Add(s, "pistol", "1");
    ShareList_Add(s, "crowbar", "");  // an empty share adds nothing
    ShareList_Add(s, "smg", "1");
    ShareList_Add(s, "never", "0");
    ShareList_Add(s, "", "2");  // an empty name is the choice of nothing
    const std::pair<double, const char*> draws[] = {{0.0, "pistol"}, {0.2499, "pistol"}, {0.25, "smg"},
                                                    {0.4999, "smg"}, {0.5, ""},          {0.99, ""}};
    for (const auto& [r, want] : draws) EXPECT_EQ(DrawAt(r), want) << r;
    ShareList_Clear(s);
    ShareList_Add(s, "never", "0");
    EXPECT_EQ(DrawAt(0.0), "") << "total 0: nothing to weigh, no division";

    ShareList_Clear(s);
    EXPECT_THROW(ShareList_Add(s, "bad", "lots"), BuildFailure);
    for (int i = 0; i < ShareListTable::kCapacity; ++i) ShareList_Add(s, "n" + std::to_string(i), "1");
    EXPECT_THROW(ShareList_Add(s, "one too many", "1"), BuildFailure);
}

TEST_F(EntitiesTest, NamedEntityGoesToTheEntitiesAndASpawnGroupsBlocksToTheWorld) {
    t.LoadRoom({"/\\/worldend\\/\\",
                "entity",
                "{",
                "id",
                "5",
                "classname",
                "prop_physics",
                "targetname",
                "crate",
                "origin",
                "1 2 3",
                "}",
                "entity",
                "{",
                "id",
                "6",
                "classname",
                "func_vornic_spawngroup",
                "targetname",
                "group1",
                "spawnflags",
                "0",
                "solid",
                "{",
                "id",
                "7",
                "side",
                "{",
                "plane",
                "(0 0 0) (0 1 0) (1 1 0)",
                "}",
                "}",
                "editor",
                "{",
                "color",
                "0 255 0",
                "}",
                "}",
                "entity",
                "{",
                "id",
                "10",
                "classname",
                "prop_static",
                "targetname",
                "crate",
                "}",
                "/\\/EOF\\/\\"});
    Print_Entity_To_World(s, "Crate");  // names match exactly
    Print_Entity_To_World(s, "nobody");
    EXPECT_EQ(s.EntityLines.Head() + s.WorldInsertLines.Head(), 0);
    Print_Entity_To_World(s, "crate");  // only the first of two namesakes
    EXPECT_EQ(TestSession::Table(s.EntityLines), (Lines{"entity", "{", "'id' '5'", "'classname' 'prop_physics'",
                                                        "'targetname' 'crate'", "'origin' '1 2 3'", "}"}));
    Print_Entity_To_World(s, "group1");
    EXPECT_EQ(TestSession::Table(s.WorldInsertLines),
              (Lines{"solid", "{", "id", "7", "side", "{", "plane", "(0 0 0) (0 1 0) (1 1 0)", "}", "}", "editor", "{",
                     "color", "0 255 0", "}"}));
    EXPECT_EQ(s.EntityLines.Head(), 7);
}

}  // namespace
}  // namespace tessellon
