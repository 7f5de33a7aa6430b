#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <sstream>

#include "cli/cli.h"
#include "entities/weight_tables.h"
#include "test_support.h"

using namespace tessellon;
namespace tt = tessellon::testing;

namespace {

// A program folder with the shipped rooms and tables, where every room also carries a
// weapon, an item and two character placeholders before its end marker.
void StockedProgramFolder(const std::filesystem::path& to) {
    const std::filesystem::path exeDir = std::filesystem::path(TESSELLON_BINARY).parent_path();
    for (const char* table : {"itemdata.ini", "gundata.ini", "npcdata.ini"})
        std::filesystem::copy_file(exeDir / table, to / table);
    const std::string placeholders =
        "entity\r\n{\r\nid\r\n1\r\nclassname\r\nvornic_weapon\r\nspawnwhat\r\n1\r\norigin\r\n64 64 16\r\n}\r\n"
        "entity\r\n{\r\nid\r\n2\r\nclassname\r\nvornic_item\r\norigin\r\n-64 64 16\r\n}\r\n"
        "entity\r\n{\r\nid\r\n3\r\nclassname\r\nvornic_npc\r\norigin\r\n64 -64 16\r\n}\r\n"
        "entity\r\n{\r\nid\r\n4\r\nclassname\r\nvornic_npc\r\norigin\r\n-64 -64 16\r\n}\r\n";
    std::filesystem::create_directories(to / "rooms");
    for (const auto& entry : std::filesystem::directory_iterator(exeDir / "rooms")) {
        if (entry.path().extension() != ".rgr") continue;
        std::string text = tt::ReadFile(entry.path());
        const auto end = text.find("/\\/EOF\\/\\");
        ASSERT_NE(end, std::string::npos) << entry.path();
        text.insert(end, placeholders);
        tt::WriteFile(to / "rooms" / entry.path().filename(), text);
    }
}

struct Level {
    std::string text;
    std::vector<std::string> classes;  // in file order
    std::string Key(const std::string& cls, const std::string& key) const {
        std::smatch m;
        const std::regex block("\"classname\" \"" + cls + "\"[^}]*?\"" + key + "\" \"([^\"]*)\"");
        return std::regex_search(text, m, block) ? m[1].str() : "";
    }
};

Level Build(int seed, std::vector<std::string> options = {}) {
    tt::TempDir home;
    StockedProgramFolder(home.path());
    std::vector<std::string> args = {"build", "--home", home.path().string(), "--seed", std::to_string(seed),
                                     "--clock", "2026-05-01 12:00:00", "--quiet"};
    args.insert(args.end(), options.begin(), options.end());
    std::ostringstream out, err;
    EXPECT_EQ(RunCli(args, out, err), 0) << err.str();
    Level level{tt::ReadFile(home.path() / "level1.vmf"), {}};
    const std::regex classname("\"classname\" \"([^\"]+)\"");
    for (std::sregex_iterator it(level.text.begin(), level.text.end(), classname), e; it != e; ++it)
        level.classes.push_back((*it)[1].str());
    return level;
}

const WeightTables& Shipped() {
    static const WeightTables t =
        LoadWeightTables(std::filesystem::path(TESSELLON_BINARY).parent_path(), ".");
    return t;
}

}  // namespace

TEST(EntitiesBuild, WeaponsArriveInTableOrderAndNoPlaceholderRemains) {
    for (int seed = 1; seed <= 12; ++seed) {
        const Level level = Build(seed);
        EXPECT_EQ(level.text.find("vornic_"), std::string::npos) << seed;
        // New weapons are handed out in table order: the first time each weapon shows up,
        // it is the next one of the table. A weapon that is also a gun's ammunition (grenades)
        // may come early as ammunition, so it says nothing about the order.
        std::vector<std::string> inOrder;
        for (const auto& gun : Shipped().guns) {
            const bool alsoAmmo = std::any_of(Shipped().guns.begin(), Shipped().guns.end(),
                                              [&](const GunRow& g) { return g.ammoClass == gun.weaponClass; });
            if (!alsoAmmo) inOrder.push_back(gun.weaponClass);
        }
        std::vector<std::string> firstSeen;
        for (const auto& cls : level.classes)
            if (std::find(inOrder.begin(), inOrder.end(), cls) != inOrder.end() &&
                std::find(firstSeen.begin(), firstSeen.end(), cls) == firstSeen.end())
                firstSeen.push_back(cls);
        ASSERT_FALSE(firstSeen.empty()) << seed;
        for (std::size_t i = 0; i < firstSeen.size(); ++i) EXPECT_EQ(firstSeen[i], inOrder[i]) << seed;
    }
}

TEST(EntitiesBuild, OptionsShapeTheLevel) {
    for (int seed : {3, 4}) {
        const Level calm = Build(seed, {"--no-monsters"});
        for (const auto& cls : calm.classes) EXPECT_NE(cls.rfind("npc_", 0), 0u) << cls;

        const Level dark = Build(seed, {"--skip-lights", "--moon", "5"});
        for (const auto& cls : dark.classes) EXPECT_TRUE(cls != "light" && cls != "light_dynamic");
        EXPECT_EQ(dark.Key("light_environment", "angles"), "-55 194 0");
        EXPECT_EQ(dark.Key("light_environment", "_light"), "100 100 100 200");

        EXPECT_NE(Build(seed, {"--time-of-day", "2"}).text.find("\"skyname\" \"sky_day01_09\""), std::string::npos);
        EXPECT_NE(Build(seed, {"--time-of-day", "36"}).text.find("\"skyname\" \"sky_day01_08\""), std::string::npos);
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
