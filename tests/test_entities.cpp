#include <gtest/gtest.h>

#include "build/errors.h"
#include "entities/entity_output.h"
#include "test_support.h"

namespace tessellon {
namespace {

using namespace testing;
using Lines = std::vector<std::string>;

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

TEST_F(EntitiesTest, DrawLandsOnTheRowWhoseCumulativeShareFirstExceedsIt) {
    ShareList_Add(s, "pistol", "1");
    ShareList_Add(s, "crowbar", "");  // an empty share adds nothing
    ShareList_Add(s, "smg", "1");
    ShareList_Add(s, "never", "0");
    ShareList_Add(s, "", "2");  // an empty name is the choice of nothing
    const std::pair<double, const char*> draws[] = {{0.0, "pistol"}, {0.2499, "pistol"}, {0.25, "smg"},
                                                    {0.4999, "smg"},  {0.5, ""},          {0.99, ""}};
    for (const auto& [r, want] : draws) EXPECT_EQ(DrawAt(r), want) << r;
    EXPECT_EQ(s.ShareList.count, 4);
    ShareList_Clear(s);
    ShareList_Add(s, "never", "0");
    EXPECT_EQ(DrawAt(0.0), "") << "total 0: nothing to weigh, no division";
}

TEST_F(EntitiesTest, OverfullListAndNonNumericShareAreReported) {
    for (int i = 0; i < ShareListTable::kCapacity; ++i) ShareList_Add(s, "n" + std::to_string(i), "1");
    EXPECT_THROW(ShareList_Add(s, "one too many", "1"), BuildFailure);
    ShareList_Clear(s);
    EXPECT_THROW(ShareList_Add(s, "bad", "lots"), BuildFailure);
}

TEST_F(EntitiesTest, NamedEntityGoesToTheEntitiesAndASpawnGroupsBlocksToTheWorld) {
    t.LoadRoom({"/\\/worldend\\/\\",
                "entity", "{", "id", "5", "classname", "prop_physics", "targetname", "crate", "origin", "1 2 3", "}",
                "entity", "{", "id", "6", "classname", "func_vornic_spawngroup", "targetname", "group1", "spawnflags", "0",
                "solid", "{", "id", "7", "side", "{", "plane", "(0 0 0) (0 1 0) (1 1 0)", "}", "}",
                "editor", "{", "color", "0 255 0", "}", "}",
                "entity", "{", "id", "10", "classname", "prop_static", "targetname", "crate", "}",
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

TEST_F(EntitiesTest, WriteEntitesClosesTheWorldAndIndentsByBlockDepth) {
    WriteEntites(s);
    for (const char* l : {"entity", "{", "'classname' 'info_player_start'", "connections", "{", "'OnTrigger' 'a,Open,,0,-1'",
                          "}", "", "}"})
        s.EntityLines.Append(l);
    WriteEntites(s);
    s.writer.Close();
    EXPECT_EQ(FileLines(s.writer.WorkingPath()),
              (Lines{"}", "}", "entity", "{", "\t\"classname\" \"info_player_start\"", "\tconnections", "\t{",
                     "\t\t\"OnTrigger\" \"a,Open,,0,-1\"", "\t}", "}"}));
    EXPECT_EQ(s.EntityLines.Head(), 0);
    EXPECT_EQ(s.EntityLines.Get(1), "");
}

}  // namespace
}  // namespace tessellon
