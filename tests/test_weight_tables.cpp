#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "entities/weight_tables.h"
#include "instance/text_helpers.h"
#include "test_support.h"

using namespace tessellon;
namespace tt = tessellon::testing;

namespace {

std::vector<std::string> AllValues(const std::string& text) {
    TableValueReader reader(text, "t.ini");
    std::vector<std::string> out;
    std::string v;
    while (reader.Next(v)) out.push_back(v);
    return out;
}

std::string ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const TableError& e) {
        return e.what();
    }
    return "(no error)";
}

const std::filesystem::path kShipped = std::filesystem::path(TESSELLON_SOURCE_DIR) / "data";

}  // namespace

TEST(TableValues, SeparatorsQuotesBlanksAndLines) {
    EXPECT_EQ(AllValues("3\nitem_battery\n  10  \n"), (std::vector<std::string>{"3", "item_battery", "10"}));
    // A comma closing a line adds no empty value; two commas in a row and an empty line do.
    EXPECT_EQ(AllValues("a, b,c\r\nd,\ne\n\nf,,g"), (std::vector<std::string>{"a", "b", "c", "d", "e", "", "f", "", "g"}));
    EXPECT_EQ(AllValues("\"x, y\",\" z \"\n\"\"\nlast"), (std::vector<std::string>{"x, y", " z ", "", "last"}));
}

TEST(WeightTables, ReadRowsAsWritten) {
    const auto items = ParseItemTable("3\nitem_battery\n10\nammo,2.5\n\"weapon\"\n\nrubbish after the rows\n", ".");
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[1].share, "2.5");
    EXPECT_EQ(items[2].share, "");  // takes no part in the draw
    // Numbers stand in the system's form; a comma inside one needs quotes.
    EXPECT_EQ(ParseItemTable("1\na\n\"2,5\"\n", ",")[0].share, "2,5");

    const auto guns = ParseGunTable("2\n0\nweapon_crowbar\n-\n-\n-\n12.5\nweapon_smg1\nitem_ammo_smg1\nx\n\"-\"\n", ".");
    ASSERT_EQ(guns.size(), 2u);
    EXPECT_EQ(guns[0].ammoClass, "");
    EXPECT_DOUBLE_EQ(guns[1].threshold, 12.5);
    EXPECT_EQ(guns[1].spare2, "");

    const auto npcs = ParseNpcTable(
        "2\nnpc_metropolice\n25\nC\n2\nadditionalequipment weapon_pistol weapon_smg1\n2\nmanhacks 1\n1\nnpc_zombie,0,x,0\n", ".");
    ASSERT_EQ(npcs.size(), 2u);
    EXPECT_EQ(npcs[0].faction, "c");
    EXPECT_DOUBLE_EQ(npcs[0].threshold, 0.25);
    ASSERT_EQ(npcs[0].keys.size(), 2u);
    EXPECT_EQ(npcs[0].keys[0].alternatives, "weapon_pistol weapon_smg1");
}

TEST(WeightTables, BadFilesNameFileRowAndLine) {
    auto items = [](const char* text) { return [text] { ParseItemTable(text, "."); }; };
    auto guns = [](const char* text) { return [text] { ParseGunTable(text, "."); }; };
    auto npcs = [](const char* text) { return [text] { ParseNpcTable(text, "."); }; };
    const std::vector<std::pair<std::function<void()>, std::string>> cases = {
        {items(""), "itemdata.ini is empty"},
        {items("three\n"), "itemdata.ini, line 1: the row count \"three\""},
        {items("3\na\n1\nb\n2\n"), "itemdata.ini ends in row 3 of 3"},
        {items("2\n\"a\nb\"\n1\nb\nmany\n"), "itemdata.ini, row 2 (line 6): the share \"many\" is not a number"},
        {guns("1\n5\n-\n-\n-\n-\n"), "gundata.ini, row 1 (line 3): the weapon class is missing"},
        {guns("1\nsoon\nweapon_pistol\n-\n-\n-\n"), "the threshold \"soon\" is not a number"},
        {npcs("1\nnpc_zombie\n0\nz\n0\n"), "npcdata.ini, row 1 (line 4): the faction letter \"z\""},
        {npcs("1\nnpc_zombie\n0\nx\n7\n"), "number of extra keys must be a whole number from 0 to 6"},
        {npcs("1\nnpc_combine_s\n0\nc\n1\nNumGrenades 1 2\n3\n"), "NumGrenades draws among 3"},
        {npcs("2\nnpc_zombie\n0\nx\n0\nnpc_headcrab\n0\n"), "npcdata.ini ends in row 2 of 2"},
    };
    for (const auto& [parse, expected] : cases) {
        const std::string message = ErrorOf(parse);
        EXPECT_NE(message.find(expected), std::string::npos) << message;
    }
}

TEST(WeightTables, MissingFileAndReadOncePerBuild) {
    tt::TestSession t;
    const auto& dir = t.s.programFolder;
    tt::WriteFile(dir / "itemdata.ini", "3\na\n1\nb\n1\nc\n1\n");
    tt::WriteFile(dir / "npcdata.ini", "0\n");
    EXPECT_NE(ErrorOf([&] { WeightTablesForBuild(t.s); }).find("gundata.ini is missing"), std::string::npos);

    tt::WriteFile(dir / "gundata.ini", "1\n0\nweapon_crowbar\n-\n-\n-\n");
    const WeightTables* first = &WeightTablesForBuild(t.s);
    std::filesystem::remove(dir / "gundata.ini");
    EXPECT_EQ(&WeightTablesForBuild(t.s), first);  // later rooms reuse what the build read
    ForgetWeightTables(t.s);
    EXPECT_THROW(WeightTablesForBuild(t.s), TableError);
}

TEST(ShippedTables, NameOnlyHalfLife2ClassesAndGrowAlongThePath) {
    std::set<std::string> known;
    std::ifstream list(kShipped / "hl2_entity_classes.txt");
    for (std::string line; std::getline(list, line);)
        if (!line.empty() && line[0] != '#') known.insert(line);
    ASSERT_GT(known.size(), 50u);
    auto expectKnown = [&](const std::string& cls) { EXPECT_TRUE(known.count(cls)) << cls << " is not a game class"; };

    const WeightTables t = LoadWeightTables(kShipped, ".");
    ASSERT_GE(t.items.size(), 3u);
    for (const auto& row : t.items)
        if (row.name != "weapon" && row.name != "ammo") expectKnown(row.name);
    for (const auto& row : t.guns)
        for (const auto* cls : {&row.weaponClass, &row.ammoClass, &row.spare1, &row.spare2})
            if (!cls->empty()) expectKnown(*cls);
    for (const auto& row : t.npcs) {
        expectKnown(row.className);
        for (const auto& key : row.keys)
            if (key.name == "additionalequipment")
                for (const auto& word : SSplit(key.alternatives))
                    if (!word.empty()) expectKnown(word);
    }

    // Weapons are handed out in table order, so thresholds rise with it, the first within
    // reach at once and the last before the end room.
    ASSERT_GE(t.guns.size(), 2u);
    EXPECT_EQ(t.guns.front().threshold, 0);
    for (std::size_t i = 1; i < t.guns.size(); ++i) EXPECT_GT(t.guns[i].threshold, t.guns[i - 1].threshold);
    EXPECT_LT(t.guns.back().threshold, 100);
    // Either faction filter finds a character in the first room.
    for (const char* faction : {"c", "x"}) {
        bool fromTheStart = false;
        for (const auto& row : t.npcs) fromTheStart |= row.faction == faction && row.threshold == 0;
        EXPECT_TRUE(fromTheStart) << faction;
    }
}
