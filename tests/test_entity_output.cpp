#include <gtest/gtest.h>

#include "build/errors.h"
#include "entities/entity_output.h"
#include "instance_support.h"

namespace tessellon {
namespace {

using instance_testing::FileLines;
using instance_testing::PipelineSession;

// The generator state whose next draw is exactly `value` (a multiple of 2^-24): with the
// custom seed greyed Randa leaves the state alone, so the lottery's draw is this one.
std::uint32_t StateBeforeDraw(double value) {
    const std::uint64_t m = RandomSource::kModulus;
    const auto target = static_cast<std::uint64_t>(value * m);
    std::uint64_t inv = 1;  // inverse of the multiplier modulo 2^24 by Newton's iteration
    for (int i = 0; i < 5; ++i) inv = (inv * (2 - RandomSource::kMultiplier * inv % m + m)) % m;
    return static_cast<std::uint32_t>(((target + m - RandomSource::kIncrement % m) % m) * inv % m);
}

struct ShareListTest : ::testing::Test {
    PipelineSession t;
    Session& s = t.s;
    void SetUp() override { s.settings.CustomSeed = CheckState::Greyed; }
    std::string DrawAt(double r) {
        s.random.SetState(StateBeforeDraw(r));
        return ShareList_Get(s);
    }
};

TEST_F(ShareListTest, DrawLandsOnTheRowWhoseCumulativeShareFirstExceedsIt) {
    ShareList_Add(s, "pistol", "1");
    ShareList_Add(s, "smg", "1");
    ShareList_Add(s, "shotgun", "2");
    EXPECT_EQ(DrawAt(0.0), "pistol");
    EXPECT_EQ(DrawAt(0.2499), "pistol");
    EXPECT_EQ(DrawAt(0.25), "smg");  // strictly above: the boundary belongs to the next row
    EXPECT_EQ(DrawAt(0.4999), "smg");
    EXPECT_EQ(DrawAt(0.5), "shotgun");
    EXPECT_EQ(DrawAt(0.99), "shotgun");
}

TEST_F(ShareListTest, EmptyShareAddsNothingButEmptyNameIsTheChoiceOfNothing) {
    ShareList_Add(s, "crowbar", "");
    EXPECT_EQ(s.ShareList.count, 0);
    ShareList_Add(s, "", "3");
    ShareList_Add(s, "crowbar", "1");
    EXPECT_EQ(s.ShareList.count, 2);
    EXPECT_DOUBLE_EQ(s.ShareList.total, 4);
    EXPECT_EQ(DrawAt(0.7), "");
    EXPECT_EQ(DrawAt(0.8), "crowbar");
}

TEST_F(ShareListTest, ZeroShareRowIsNeverDrawnAndAllZeroDrawsNothing) {
    ShareList_Add(s, "never", "0");
    EXPECT_EQ(DrawAt(0.0), "");  // total 0: nothing to weigh, no division
    ShareList_Add(s, "always", "0.5");
    for (double r : {0.0, 0.3, 0.999}) EXPECT_EQ(DrawAt(r), "always");
    ShareList_Clear(s);
    EXPECT_EQ(DrawAt(0.1), "");
}

TEST_F(ShareListTest, OverfullListAndNonNumericShareAreReported) {
    for (int i = 0; i < ShareListTable::kCapacity; ++i) ShareList_Add(s, "n" + std::to_string(i), "1");
    EXPECT_THROW(ShareList_Add(s, "one too many", "1"), BuildFailure);
    ShareList_Clear(s);
    EXPECT_THROW(ShareList_Add(s, "bad", "lots"), BuildFailure);
}

struct EntityOutputTest : ::testing::Test {
    PipelineSession t;
    Session& s = t.s;
};

const std::vector<std::string> kTwoEntities = {
    "/\\/worldend\\/\\",
    "entity", "{", "id", "5", "classname", "prop_physics", "targetname", "crate", "origin", "1 2 3", "}",
    "entity", "{", "id", "6", "classname", "func_vornic_spawngroup", "targetname", "group1",
    "spawnflags", "0",
    "solid", "{", "id", "7", "side", "{", "id", "8", "plane", "(0 0 0) (0 1 0) (1 1 0)", "}", "}",
    "editor", "{", "color", "0 255 0", "}",
    "solid", "{", "id", "9", "}",
    "}",
    "entity", "{", "id", "10", "classname", "prop_static", "targetname", "crate", "}",
    "/\\/EOF\\/\\"};

TEST_F(EntityOutputTest, PlainEntityIsAppendedPairedAndOnlyTheFirstOfTwoNamesakes) {
    t.LoadRoom(kTwoEntities);
    Print_Entity_To_World(s, "crate");
    EXPECT_EQ(t.Table(s.EntityLines),
              (std::vector<std::string>{"entity", "{", "'id' '5'", "'classname' 'prop_physics'",
                                        "'targetname' 'crate'", "'origin' '1 2 3'", "}"}));
    EXPECT_EQ(s.WorldInsertLines.Head(), 0);
}

TEST_F(EntityOutputTest, SpawnGroupHandsItsBlocksToTheWorldWithoutItsOwnKeys) {
    t.LoadRoom(kTwoEntities);
    Print_Entity_To_World(s, "group1");
    EXPECT_EQ(t.Table(s.WorldInsertLines),
              (std::vector<std::string>{"solid", "{", "id", "7", "side", "{", "id", "8", "plane",
                                        "(0 0 0) (0 1 0) (1 1 0)", "}", "}", "editor", "{", "color",
                                        "0 255 0", "}", "solid", "{", "id", "9", "}"}));
    EXPECT_EQ(s.EntityLines.Head(), 0);
}

TEST_F(EntityOutputTest, NamesAreMatchedExactlyAndAMissingNameDoesNothing) {
    t.LoadRoom(kTwoEntities);
    Print_Entity_To_World(s, "Crate");
    Print_Entity_To_World(s, "nobody");
    EXPECT_EQ(s.EntityLines.Head(), 0);
    EXPECT_EQ(s.WorldInsertLines.Head(), 0);
}

TEST_F(EntityOutputTest, WriteEntitesClosesTheWorldAndIndentsByBlockDepth) {
    for (const char* l : {"entity", "{", "'classname' 'info_player_start'", "connections", "{",
                          "'OnTrigger' 'a,Open,,0,-1'", "}", "", "}"})
        s.EntityLines.Append(l);
    WriteEntites(s);
    s.writer.Close();
    EXPECT_EQ(FileLines(s.writer.WorkingPath()),
              (std::vector<std::string>{"}", "entity", "{", "\t\"classname\" \"info_player_start\"",
                                        "\tconnections", "\t{", "\t\t\"OnTrigger\" \"a,Open,,0,-1\"", "\t}",
                                        "}"}));
    EXPECT_EQ(s.EntityLines.Head(), 0);
    EXPECT_EQ(s.EntityLines.Get(1), "");
}

TEST_F(EntityOutputTest, WriteEntitesWithNothingCollectedStillClosesTheWorld) {
    WriteEntites(s);
    s.writer.Close();
    EXPECT_EQ(FileLines(s.writer.WorkingPath()), std::vector<std::string>{"}"});
    EXPECT_EQ(s.EntityLines.Get(0), "0");
}

}  // namespace
}  // namespace tessellon
