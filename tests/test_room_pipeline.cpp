#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "build/errors.h"
#include "instance/name_fixer.h"
#include "instance/room_body.h"
#include "instance/room_pipeline.h"
#include "instance_support.h"

namespace tessellon {
namespace {

using instance_testing::FileLines;
using instance_testing::PipelineSession;

std::string TestRoom(const std::string& name) {
    return std::string(TESSELLON_SOURCE_DIR) + "/tests/data/instance/" + name + ".rgr";
}

bool Contains(const std::vector<std::string>& lines, const std::string& needle) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(needle) != std::string::npos; });
}

struct RoomPipelineTest : ::testing::Test {
    PipelineSession t;
    Session& s = t.s;
    std::vector<std::string> Printed() {
        s.writer.Close();
        return FileLines(s.writer.WorkingPath());
    }
};

TEST_F(RoomPipelineTest, PrintRoomIndentsByDepthPairsKeysAndSplitsAtTheWorldEnd) {
    s.WorldInsertLines.Append("solid");
    s.WorldInsertLines.Append("{");
    s.WorldInsertLines.Append("id");
    s.WorldInsertLines.Append("9");
    s.WorldInsertLines.Append("}");
    t.LoadRoom({"solid", "{", "side", "{", "material", "", "}", "", "}", "/\\/worldend\\/\\", "entity", "{",
                "classname", "info_target", "}"});
    s.RoomLines.SetHead(s.RoomLines.Head() - 1);
    PrintRoom(s);
    EXPECT_EQ(Printed(), (std::vector<std::string>{"\t\tsolid", "\t\t{", "\t\t\t\"id\" \"9\"", "\t\t}", "\t\tsolid",
                                                   "\t\t{", "\t\t\tside", "\t\t\t{", "\t\t\t\t\"material\" \"\"",
                                                   "\t\t\t}", "\t\t}"}));
    EXPECT_EQ(PipelineSession::Table(s.EntityLines),
              (std::vector<std::string>{"entity", "{", "'classname' 'info_target'", "}"}));
}

TEST_F(RoomPipelineTest, ClearRandsRemovesPlaceholdersWholeAndLightsOnlyWhenAsked) {
    const std::vector<std::string> body = {
        "entity", "{", "classname", "vornic_npc", "solid", "{", "id", "3", "}", "}",
        "entity", "{", "classname", "light", "origin", "0 0 0", "}",
        "entity", "{", "classname", "light_spot", "}",
        "entity", "{", "classname", "light_dynamic", "}"};
    t.LoadRoom(body);
    ClearRands(s);
    auto out = t.RoomBody();
    EXPECT_TRUE(std::all_of(out.begin(), out.begin() + 10, [](const std::string& l) { return l.empty(); }));
    EXPECT_TRUE(std::equal(out.begin() + 10, out.end(), body.begin() + 10));

    s.settings.SkipLights = true;
    t.LoadRoom(body);
    ClearRands(s);
    out = t.RoomBody();
    EXPECT_EQ(std::count(out.begin(), out.end(), ""), 10 + 7 + 5);
    EXPECT_EQ(out[20], "light_spot");
}

TEST_F(RoomPipelineTest, FixIDsNumbersOnInLineOrder) {
    t.LoadRoom({"id", "1", "Id", "1", "side", "{", "id", "77", "}", "id", ""});
    int next = 40;
    FixIDs(s, next);
    EXPECT_EQ(t.RoomBody(), (std::vector<std::string>{"id", "40", "Id", "1", "side", "{", "id", "41", "}", "id", "42"}));
    EXPECT_EQ(next, 43);
}

TEST_F(RoomPipelineTest, GetReadyPlacesARoomWithFreshIdsAndNamesAndNoPlaceholders) {
    int next = 2;
    GetReady(s, TestRoom("t_oneway"), 768, 0, 16, 0.5f, next, 1);
    const auto world = Printed();
    const auto entities = PipelineSession::Table(s.EntityLines);

    // Ids: every id of the room, numbered from 2 without gaps.
    std::vector<int> ids;
    for (const auto& l : world)
        if (l.find("\"id\"") != std::string::npos) ids.push_back(std::stoi(l.substr(l.rfind(' ') + 2)));
    for (const auto& l : entities)
        if (l.rfind("'id' ", 0) == 0) ids.push_back(std::stoi(l.substr(6)));
    std::sort(ids.begin(), ids.end());
    ASSERT_FALSE(ids.empty());
    for (std::size_t k = 0; k < ids.size(); ++k) EXPECT_EQ(ids[k], static_cast<int>(k) + 2);
    EXPECT_EQ(next, static_cast<int>(ids.size()) + 2);

    // The world part is the two floor brushes, turned and moved: the raised half now lies east.
    EXPECT_EQ(world.front(), "\t\tsolid");
    EXPECT_TRUE(Contains(world, "\"plane\" \"(1152 384 80) (1152 -384 80) (768 -384 80)\""));

    EXPECT_FALSE(Contains(entities, "vornic_")) << "placeholders are removed";
    EXPECT_FALSE(Contains(entities, "door1") || Contains(entities, "DOOR1") || Contains(entities, "'lamp'"));
    EXPECT_TRUE(Contains(entities, "'targetname' 'a'"));
    EXPECT_TRUE(Contains(entities, "'target' 'a'")) << "DOOR1 and door1 are one name";
    EXPECT_TRUE(Contains(entities, "'OnTrigger' 'a,Open,,0,-1'"));
    EXPECT_TRUE(Contains(entities, "'OnTrigger' 'b,TurnOn,,1.5,-1'"));
    EXPECT_TRUE(Contains(entities, "'angles' '0 90 0'")) << "the door keeps its angles";
    EXPECT_TRUE(Contains(entities, "'angles' '0 315 0'")) << "the prop turns";
    EXPECT_TRUE(Contains(entities, "'origin' '868 -100 16'"));
    EXPECT_TRUE(Contains(entities, "'origin' '720 -32.5 112'"));
    EXPECT_TRUE(Contains(entities, "'angles' '-45 90 0'"));
    EXPECT_EQ(s.NameList.Count(), 0);
    EXPECT_EQ(s.WorldInsertLines.Get(0), "0");
}

TEST_F(RoomPipelineTest, RoomFileIsReadOnceAndAShorterRoomLeavesNoTail) {
    int next = 2;
    GetReady(s, TestRoom("t_oneway"), 0, 0, 0, 0.1f, next, 0);
    GetReady(s, TestRoom("t_oneway"), 0, 768, 64, 0.2f, next, 2);
    EXPECT_EQ(s.RoomBodies.Reads(), 1);
    LoadRoomLines(s, TestRoom("t_alley"));
    EXPECT_EQ(s.RoomBodies.Reads(), 2);
    const int end = s.RoomLines.Head();
    for (int i = end; i < end + 400; ++i) ASSERT_EQ(s.RoomLines.Get(i), "") << i;
    EXPECT_EQ(s.RoomLines.Get(22), "solid");
    EXPECT_EQ(s.RoomLines.Get(21), "");
}

TEST_F(RoomPipelineTest, MalformedRoomsAndFullTablesStopWithAnErrorNamingTheFile) {
    int next = 2;
    try {
        GetReady(s, TestRoom("t_noend"), 0, 0, 0, 0, next, 0);
        FAIL() << "a room without its end marker was placed";
    } catch (const BuildFailure& e) {
        EXPECT_NE(std::string(e.what()).find("t_noend.rgr"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("end marker"), std::string::npos) << e.what();
    }
    const auto huge = t.dir.path() / "huge.rgr";
    std::string text;
    for (int i = 0; i < 21; ++i) text += "0\r\n";
    for (int i = 0; i < 32000; ++i) text += "x\r\n";
    testing::WriteFile(huge, text + "/\\/EOF\\/\\\r\n");
    EXPECT_THROW(GetReady(s, huge.string(), 0, 0, 0, 0, next, 0), BuildFailure);
    EXPECT_THROW(GetReady(s, (t.dir.path() / "missing.rgr").string(), 0, 0, 0, 0, next, 0), BuildFailure);
    EXPECT_FALSE(s.writer.IsOpen()) << "nothing of a failed room reaches the level file";

    // A level whose entity lines are nearly full: the next room's entities do not fit.
    s.EntityLines.SetHead(static_cast<long>(s.EntityLines.Capacity()) - 3);
    try {
        GetReady(s, TestRoom("t_oneway"), 0, 0, 0, 0, next, 0);
        FAIL() << "EntityLines overflowed silently";
    } catch (const BuildFailure& e) {
        EXPECT_NE(std::string(e.what()).find("t_oneway.rgr"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("EntityLines"), std::string::npos) << e.what();
    }
}

TEST_F(RoomPipelineTest, AbortDuringTheMovePrintsNothingOfTheRoom) {
    CheckNameList(s, "kept");
    int next = 2;
    GetReady(s, TestRoom("t_oneway"), 0, 0, 30000, 0, next, 0);
    EXPECT_TRUE(s.BuildAborted);
    EXPECT_FALSE(s.writer.IsOpen());
    EXPECT_EQ(s.EntityLines.Head(), 0);
    EXPECT_EQ(next, 2);
    EXPECT_EQ(s.NameList.Count(), 1) << "the name map is left as it was";
}

TEST_F(RoomPipelineTest, BenchmarkIsLoggedOnlyWithDetailedStatus) {
    s.settings.WriteLogFile = true;
    int next = 2;
    GetReady(s, TestRoom("t_alley"), 0, 0, 0, 0, next, 0);
    const auto logPath = t.dir.path() / "vorniclog 14-15-9.log";
    EXPECT_NE(testing::ReadFile(logPath).find("Starting convertion of room " + TestRoom("t_alley")), std::string::npos);
    EXPECT_EQ(testing::ReadFile(logPath).find("Benchmark:"), std::string::npos);
    s.settings.DetailedStatus = true;
    GetReady(s, TestRoom("t_alley"), 0, 0, 0, 0, next, 0);
    const std::string log = testing::ReadFile(logPath);
    for (const char* line : {"Benchmark:", "  -=ACTION=-     -=TIME(MS)=-", "Total Time:     0", "Read Room:      0",
                             "Print Room:     0", "Others:         0"})
        EXPECT_NE(log.find(line), std::string::npos) << line;
    EXPECT_EQ(t.ui.statuses.back(), "Done!");
}

TEST_F(RoomPipelineTest, FactionLetterFollowsTheBalance) {
    s.settings.CustomSeed = CheckState::Ticked;
    s.settings.CustomSeedBox = "11";
    auto tally = [&](int balance) {
        s.settings.AlienCombineBalance = balance;
        std::map<std::string, int> seen;
        for (int k = 0; k < 2000; ++k) ++seen[ChooseFactionLetter(s)];
        return seen;
    };
    auto even = tally(10);
    EXPECT_EQ(even[""], 0);
    EXPECT_NEAR(even["c"] / 2000.0, 0.5, 0.05);
    auto aliens = tally(0);
    EXPECT_EQ(aliens["c"], 0);
    EXPECT_NEAR(aliens[""] / 2000.0, 0.1, 0.03);
    auto combine = tally(20);
    EXPECT_EQ(combine["x"], 0);
    EXPECT_NEAR(combine["c"] / 2000.0, 0.9, 0.03);
}

}  // namespace
}  // namespace tessellon
