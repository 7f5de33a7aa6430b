#include <gtest/gtest.h>

#include <set>

#include "build/errors.h"
#include "instance/name_fixer.h"
#include "instance_support.h"

namespace tessellon {
namespace {

using instance_testing::PipelineSession;

TEST(NtN, WritesBijectiveBaseTwentySixAndNeverRepeats) {
    EXPECT_EQ(NtN(1), "a");
    EXPECT_EQ(NtN(26), "z");
    EXPECT_EQ(NtN(27), "aa");
    EXPECT_EQ(NtN(52), "az");
    EXPECT_EQ(NtN(53), "ba");
    EXPECT_EQ(NtN(702), "zz");
    EXPECT_EQ(NtN(703), "aaa");
    std::set<std::string> seen;
    for (int n = 1; n <= kNameCounterLimit; ++n) {
        const std::string name = NtN(n);
        ASSERT_LE(name.size(), 4u);
        ASSERT_TRUE(seen.insert(name).second) << n;
    }
}

TEST(NameKeys, ListedKeysIgnoreCaseAndNodePrefixIsExact) {
    for (const char* k : {"targetname", "TargetName", "parentname", "m_isznextscript", "M_ISZENTITY",
                          "defaulttarget", "node_exit", "nodefoo", "node"})
        EXPECT_TRUE(IsNameKey(k)) << k;
    for (const char* k : {"classname", "origin", "Node_exit2", "NODEX", "targetnames", "nod", ""})
        EXPECT_FALSE(IsNameKey(k)) << k;
}

struct NameFixerTest : ::testing::Test {
    PipelineSession t;
    Session& s = t.s;
    std::vector<std::string> Fix(const std::vector<std::string>& body) {
        t.LoadRoom(body);
        NameFixer(s);
        return t.RoomBody();
    }
};

TEST_F(NameFixerTest, ReferencesToOneNameShareTheNewNameWhateverTheirCase) {
    const auto out = Fix({"entity", "{", "classname", "func_door", "targetname", "door1", "}",
                          "entity", "{", "classname", "trigger_once", "target", "DOOR1", "parentname", "frame",
                          "nodefoo", "door1", "}"});
    EXPECT_EQ(out[5], "a");
    EXPECT_EQ(out[12], "a");
    EXPECT_EQ(out[14], "b");
    EXPECT_EQ(out[16], "a");
    EXPECT_EQ(out[3], "func_door") << "other keys are left alone";
    EXPECT_EQ(s.NameCounter, 2);
}

TEST_F(NameFixerTest, ConnectionTargetsAreRenamedInTheFirstFieldOnly) {
    const auto out = Fix({"entity", "{", "targetname", "relay", "connections", "{",
                          "OnTrigger", "Relay,Trigger,,0,-1", "OnUser1", ",Kill,,0,-1", "OnUser2", "lonely",
                          "OnUser3", ",x", "}", "target", "", "}"});
    EXPECT_EQ(out[3], "a");
    EXPECT_EQ(out[7], "a,Trigger,,0,-1");
    EXPECT_EQ(out[9], "b,Kill,,0,-1") << "an empty target is a name like any other";
    EXPECT_EQ(out[11], "c");
    EXPECT_EQ(out[13], "b,x") << "all empty names of a room share one new name";
    EXPECT_EQ(out[16], "b");
    EXPECT_GT(t.ui.yields, 0) << "long output lists let the window breathe";
}

TEST_F(NameFixerTest, AValueThatLooksLikeANameKeyIsNotTakenForOne) {
    const auto out = Fix({"entity", "{", "message", "target", "origin", "0 0 0", "targetname", "target", "}"});
    EXPECT_EQ(out[3], "target");
    EXPECT_EQ(out[5], "0 0 0");
    EXPECT_EQ(out[7], "a");
}

TEST_F(NameFixerTest, TheSameRoomTwiceInALevelGetsFreshNames) {
    const std::vector<std::string> room = {"entity", "{", "targetname", "lamp", "target", "switch", "}"};
    const auto first = Fix(room);
    ClearNameList(s);
    const auto second = Fix(room);
    EXPECT_EQ(first[3], "a");
    EXPECT_EQ(first[5], "b");
    EXPECT_EQ(second[3], "c");
    EXPECT_EQ(second[5], "d");
}

TEST_F(NameFixerTest, TooManyNamesStopTheBuildInsteadOfOverflowing) {
    for (int n = 0; n < NameListTable::kCapacity; ++n) CheckNameList(s, "n" + std::to_string(n));
    EXPECT_EQ(CheckNameList(s, "N17"), NtN(18)) << "known names still resolve";
    EXPECT_THROW(CheckNameList(s, "one more"), BuildFailure);
    ClearNameList(s);
    s.NameCounter = kNameCounterLimit;
    EXPECT_THROW(CheckNameList(s, "late"), BuildFailure);
}

}  // namespace
}  // namespace tessellon
