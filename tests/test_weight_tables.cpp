#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "entities/weight_tables.h"
#include "entities_support.h"
#include "instance/text_helpers.h"

using namespace tessellon;
using tessellon::entities_test::EntitySession;
using tessellon::entities_test::WriteText;

namespace {

std::vector<std::string> AllValues(const std::string& text) {
    TableValueReader reader(text, "t.ini");
    std::vector<std::string> out;
    std::string v;
    while (reader.Next(v)) out.push_back(v);
    return out;
}

// The message of the TableError the call throws, or "" when it throws none.
template <typename F>
std::string ErrorOf(F&& f) {
    try {
        f();
    } catch (const TableError& e) {
        return e.what();
    }
    return "";
}

const std::filesystem::path kShipped = std::filesystem::path(TESSELLON_SOURCE_DIR) / "data";

std::set<std::string> ShippedClassList() {
    std::ifstream in(kShipped / "hl2_entity_classes.txt");
    std::set<std::string> classes;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        classes.insert(line);
    }
    return classes;
}

}  // namespace

TEST(TableValues, SeparatorsQuotesAndBlanks) {
    EXPECT_EQ(AllValues("3\nitem_battery\n  10  \n"), (std::vector<std::string>{"3", "item_battery", "10"}));
    // Commas separate like line ends; a comma closing a line does not add an empty value.
    EXPECT_EQ(AllValues("a, b,c\r\nd,\ne"), (std::vector<std::string>{"a", "b", "c", "d", "e"}));
    // Quotes keep commas and blanks, and are dropped themselves.
    EXPECT_EQ(AllValues("\"x, y\",\" z \"\n\"\"\nlast"), (std::vector<std::string>{"x, y", " z ", "", "last"}));
    // An empty line is an empty value; two commas in a row hold one.
    EXPECT_EQ(AllValues("a\n\nb,,c"), (std::vector<std::string>{"a", "", "b", "", "c"}));
    EXPECT_TRUE(AllValues("").empty());
    EXPECT_TRUE(AllValues("   ").empty());
}

TEST(TableValues, LineNumbersFollowTheFile) {
    TableValueReader reader("one\r\n\"two\nlines\"\nthree, four\n", "t.ini");
    std::string v;
    ASSERT_TRUE(reader.Next(v));
    EXPECT_EQ(reader.Line(), 1);
    ASSERT_TRUE(reader.Next(v));
    EXPECT_EQ(v, "two\nlines");
    EXPECT_EQ(reader.Line(), 2);
    ASSERT_TRUE(reader.Next(v));
    EXPECT_EQ(reader.Line(), 4);
    ASSERT_TRUE(reader.Next(v));
    EXPECT_EQ(v, "four");
    EXPECT_EQ(reader.Line(), 4);
    EXPECT_FALSE(reader.Next(v));
}

TEST(ItemTable, RowsAndWhatTheyMayHold) {
    const auto rows = ParseItemTable("4\nitem_battery\n10\nammo,2.5\n\"weapon\"\n\nitem_healthvial\n0\n", ".");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[1].name, "ammo");
    EXPECT_EQ(rows[1].share, "2.5");
    EXPECT_EQ(rows[2].name, "weapon");
    EXPECT_EQ(rows[2].share, "");  // takes no part in the draw
    EXPECT_EQ(rows[3].share, "0");
    // Values after the last row are never read.
    EXPECT_EQ(ParseItemTable("1\na\n1\nrubbish, \"\n", ".").size(), 1u);
    // The system's decimal symbol applies as the numbers stand; a comma in a number needs quotes.
    EXPECT_EQ(ParseItemTable("1\na\n\"2,5\"\n", ",")[0].share, "2,5");
    EXPECT_NE(ErrorOf([] { ParseItemTable("1\na\n\"2,5\"\n", "."); }).find("not a number"), std::string::npos);
}

TEST(ItemTable, BadFilesNameTheFileAndRow) {
    EXPECT_NE(ErrorOf([] { ParseItemTable("3\na\n1\nb\n2\n", "."); }).find("itemdata.ini ends in row 3 of 3"),
              std::string::npos);
    EXPECT_NE(ErrorOf([] { ParseItemTable("2\na\n1\nb\nmany\n", "."); })
                  .find("itemdata.ini, row 2 (line 5): the share \"many\" is not a number"),
              std::string::npos);
    EXPECT_NE(ErrorOf([] { ParseItemTable("1\na\n-1\n", "."); }).find("negative"), std::string::npos);
    EXPECT_NE(ErrorOf([] { ParseItemTable("three\n", "."); }).find("row count \"three\""), std::string::npos);
    EXPECT_NE(ErrorOf([] { ParseItemTable("0\n", "."); }).find("outside 1 to 100"), std::string::npos);
    EXPECT_NE(ErrorOf([] { ParseItemTable("101\n", "."); }).find("outside 1 to 100"), std::string::npos);
    EXPECT_NE(ErrorOf([] { ParseItemTable("", "."); }).find("itemdata.ini is empty"), std::string::npos);
}

TEST(GunTable, DashMeansEmptyOnlyAfterTheWeapon) {
    const auto rows = ParseGunTable("2\n0\nweapon_crowbar\n-\n-\n-\n12.5\nweapon_smg1\nitem_ammo_smg1\nx\n\"-\"\n", ".");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].ammoClass, "");
    EXPECT_EQ(rows[0].spare1, "");
    EXPECT_DOUBLE_EQ(rows[1].threshold, 12.5);
    EXPECT_EQ(rows[1].ammoClass, "item_ammo_smg1");
    EXPECT_EQ(rows[1].spare1, "x");
    EXPECT_EQ(rows[1].spare2, "");
    EXPECT_TRUE(ParseGunTable("0\n", ".").empty());

    EXPECT_NE(ErrorOf([] { ParseGunTable("1\n5\n-\n-\n-\n-\n", "."); }).find("gundata.ini, row 1 (line 3): the weapon class is missing"),
              std::string::npos);
    EXPECT_NE(ErrorOf([] { ParseGunTable("1\nsoon\nweapon_pistol\n-\n-\n-\n", "."); }).find("threshold \"soon\""),
              std::string::npos);
    EXPECT_NE(ErrorOf([] { ParseGunTable("2\n0\nweapon_crowbar\n-\n-\n-\n", "."); }).find("ends in row 2 of 2"),
              std::string::npos);
}

TEST(NpcTable, ExtraKeysAndFactions) {
    const auto rows = ParseNpcTable(
        "2\nnpc_metropolice\n25\nC\n2\nadditionalequipment weapon_pistol weapon_smg1\n2\nmanhacks 1\n1\n"
        "npc_zombie,0,x,0\n",
        ".");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].faction, "c");
    EXPECT_DOUBLE_EQ(rows[0].threshold, 0.25);
    ASSERT_EQ(rows[0].keys.size(), 2u);
    EXPECT_EQ(rows[0].keys[0].name, "additionalequipment");
    EXPECT_EQ(rows[0].keys[0].alternatives, "weapon_pistol weapon_smg1");
    EXPECT_EQ(rows[0].keys[0].count, 2);
    EXPECT_EQ(rows[0].keys[1].name, "manhacks");
    EXPECT_TRUE(rows[1].keys.empty());
}

TEST(NpcTable, BadRowsNameTheFileAndRow) {
    EXPECT_NE(ErrorOf([] { ParseNpcTable("1\nnpc_zombie\n0\nz\n0\n", "."); }).find("npcdata.ini, row 1 (line 4): the faction letter \"z\""),
              std::string::npos);
    EXPECT_NE(ErrorOf([] { ParseNpcTable("1\nnpc_zombie\n0\nx\n7\n", "."); }).find("number of extra keys"),
              std::string::npos);
    EXPECT_NE(ErrorOf([] { ParseNpcTable("1\nnpc_zombie\n0\nx\n1.5\n", "."); }).find("whole number"),
              std::string::npos);
    // Drawing among three when two are written would put an empty value into the level.
    EXPECT_NE(ErrorOf([] { ParseNpcTable("1\nnpc_combine_s\n0\nc\n1\nNumGrenades 1 2\n3\n", "."); })
                  .find("NumGrenades draws among 3"),
              std::string::npos);
    EXPECT_NE(ErrorOf([] { ParseNpcTable("1\nnpc_combine_s\n0\nc\n1\nNumGrenades 1 2\n6\n", "."); })
                  .find("number of alternatives"),
              std::string::npos);
    EXPECT_NE(ErrorOf([] { ParseNpcTable("2\nnpc_zombie\n0\nx\n0\nnpc_headcrab\n0\n", "."); }).find("ends in row 2 of 2"),
              std::string::npos);
    EXPECT_NE(ErrorOf([] { ParseNpcTable("1\n\n0\nx\n0\n", "."); }).find("character class is missing"),
              std::string::npos);
}

TEST(WeightTableFiles, MissingFileIsNamed) {
    EntitySession t;
    WriteText(t.s.programFolder / "itemdata.ini", "3\na\n1\nb\n1\nc\n1\n");
    WriteText(t.s.programFolder / "npcdata.ini", "0\n");
    const std::string message = ErrorOf([&] { LoadWeightTables(t.s.programFolder, "."); });
    EXPECT_NE(message.find("gundata.ini is missing"), std::string::npos) << message;
}

TEST(WeightTableFiles, ReadOncePerBuild) {
    EntitySession t;
    WriteText(t.s.programFolder / "itemdata.ini", "3\na\n1\nb\n1\nc\n1\n");
    WriteText(t.s.programFolder / "gundata.ini", "1\n0\nweapon_crowbar\n-\n-\n-\n");
    WriteText(t.s.programFolder / "npcdata.ini", "0\n");
    const WeightTables* first = &WeightTablesForBuild(t.s);
    EXPECT_EQ(first->items.size(), 3u);
    // Later rooms of the same build use what was read, even if the files changed meanwhile.
    std::filesystem::remove(t.s.programFolder / "gundata.ini");
    EXPECT_EQ(&WeightTablesForBuild(t.s), first);
    ForgetWeightTables(t.s);
    EXPECT_THROW(WeightTablesForBuild(t.s), TableError);
}

TEST(ShippedTables, ReadAndNameOnlyGameClasses) {
    const std::set<std::string> known = ShippedClassList();
    ASSERT_GT(known.size(), 50u);
    const WeightTables t = LoadWeightTables(kShipped, ".");
    auto expectKnown = [&](const std::string& cls, const char* where) {
        EXPECT_TRUE(known.count(cls)) << cls << " (" << where << ") is not a Half-Life 2 entity class";
    };
    ASSERT_GE(t.items.size(), 3u);
    for (const auto& row : t.items)
        if (row.name != "weapon" && row.name != "ammo") expectKnown(row.name, "itemdata.ini");
    ASSERT_FALSE(t.guns.empty());
    for (const auto& row : t.guns) {
        expectKnown(row.weaponClass, "gundata.ini weapon");
        for (const auto* extra : {&row.ammoClass, &row.spare1, &row.spare2})
            if (!extra->empty()) expectKnown(*extra, "gundata.ini ammunition");
    }
    ASSERT_FALSE(t.npcs.empty());
    for (const auto& row : t.npcs) {
        expectKnown(row.className, "npcdata.ini");
        for (const auto& key : row.keys)
            if (key.name == "additionalequipment")
                for (const auto& word : SSplit(key.alternatives))
                    if (!word.empty()) expectKnown(word, "npcdata.ini equipment");
    }
    // The entities written beside every player start.
    expectKnown("light_environment", "sun");
    expectKnown("env_sun", "sun");
}

TEST(ShippedTables, TunedToGrowAlongThePath) {
    const WeightTables t = LoadWeightTables(kShipped, ".");
    // The arsenal is handed out in table order, so the thresholds must rise with it, starting
    // with something the first weapon placeholder can give.
    EXPECT_EQ(t.guns.front().weaponClass, "weapon_crowbar");
    EXPECT_EQ(t.guns.front().threshold, 0);
    for (std::size_t i = 1; i < t.guns.size(); ++i) EXPECT_GT(t.guns[i].threshold, t.guns[i - 1].threshold);
    EXPECT_LT(t.guns.back().threshold, 100) << "the last weapon must be within reach before the end room";
    // Ammunition draws need a weapon with ammunition early on.
    EXPECT_FALSE(t.guns[1].ammoClass.empty());
    // Either faction filter finds someone in the first room.
    for (const char* faction : {"c", "x"}) {
        bool fromTheStart = false;
        for (const auto& row : t.npcs) fromTheStart |= row.faction == faction && row.threshold == 0;
        EXPECT_TRUE(fromTheStart) << faction;
    }
}
