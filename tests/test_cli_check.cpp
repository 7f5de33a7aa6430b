#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "check/level_check.h"
#include "cli/cli.h"

namespace tessellon {
namespace {

namespace fs = std::filesystem;

struct CheckRun {
    int code;
    std::string out, err;
};

CheckRun RunCheck(std::vector<std::string> args) {
    args.insert(args.begin(), "check");
    std::ostringstream out, err;
    const int code = RunCli(args, out, err);
    return {code, out.str(), err.str()};
}

std::string DataFile(const std::string& name) { return std::string(TESSELLON_SOURCE_DIR) + "/tests/data/check/" + name; }

// A scratch folder holding a copy of one test level, so point files land there.
class CheckCommand : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("tessellon_check_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                            "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Copy(const std::string& name) {
        fs::copy_file(DataFile(name), dir_ / name);
        return (dir_ / name).string();
    }
    fs::path dir_;
};

TEST_F(CheckCommand, ExitStatusTellsPassedFailedAndUnreadable) {
    const CheckRun sealed = RunCheck({DataFile("sealed_room.vmf")});
    EXPECT_EQ(sealed.code, kExitOk) << sealed.out;
    EXPECT_NE(sealed.out.find("0 errors, 0 warnings, sealed - passed."), std::string::npos) << sealed.out;

    const CheckRun leaking = RunCheck({DataFile("missing_floor.vmf")});
    EXPECT_EQ(leaking.code, kExitFailed);
    EXPECT_NE(leaking.out.find("leak: the void outside the level is reached from entity 1001 (info_player_start) at (0 0 16)"),
              std::string::npos)
        << leaking.out;

    const CheckRun broken = RunCheck({DataFile("broken_structure.vmf")});
    EXPECT_EQ(broken.code, kExitFailed);
    EXPECT_NE(broken.out.find("broken_structure.vmf:95:2: error: Solid 11 has 3 sides"), std::string::npos) << broken.out;

    const CheckRun missing = RunCheck({(dir_ / "nothing.vmf").string()});
    EXPECT_EQ(missing.code, 2);
    EXPECT_NE(missing.err.find("nothing.vmf"), std::string::npos);
    EXPECT_EQ(RunCheck({dir_.string()}).code, 2);  // a folder is no level either
}

TEST_F(CheckCommand, WarningsAloneStillPass) {
    std::string text;
    {
        std::ifstream in(DataFile("sealed_room.vmf"));
        std::stringstream s;
        s << in.rdbuf();
        text = s.str();
    }
    const std::string from = "\"lamp,TurnOff,,0,-1\"";
    text.replace(text.find(from), from.size(), "\"lamp2,TurnOff,,0,-1\"");
    const std::string path = (dir_ / "warned.vmf").string();
    std::ofstream(path) << text;
    const CheckRun r = RunCheck({path});
    EXPECT_EQ(r.code, kExitOk) << r.out;
    EXPECT_NE(r.out.find("warning: "), std::string::npos);
    EXPECT_NE(r.out.find("\"lamp2\""), std::string::npos);
}

TEST_F(CheckCommand, PointFileIsWrittenBesideALeakingLevelOnly) {
    const std::string leaking = Copy("gap_wall.vmf");
    const CheckRun r = RunCheck({leaking, "--pointfile"});
    EXPECT_EQ(r.code, kExitFailed);
    const fs::path lin = dir_ / "gap_wall.lin";
    ASSERT_TRUE(fs::exists(lin));
    EXPECT_NE(r.out.find("leak trail written to"), std::string::npos);
    std::ifstream in(lin);
    std::string first, last, line;
    std::getline(in, first);
    EXPECT_EQ(first, "0 0 16");  // the player start the leak is named after
    int lines = 1;
    while (std::getline(in, line)) {
        last = line;
        ++lines;
    }
    EXPECT_GE(lines, 3);
    // The gap is the slot y 0..1 in the east wall: the trail ends just beyond it.
    std::istringstream end(last);
    double x, y, z;
    ASSERT_TRUE(end >> x >> y >> z);
    EXPECT_GT(x, 384);
    EXPECT_DOUBLE_EQ(y, 0.5);

    const std::string sealed = Copy("sealed_room.vmf");
    EXPECT_EQ(RunCheck({sealed, "--pointfile"}).code, kExitOk);
    EXPECT_FALSE(fs::exists(dir_ / "sealed_room.lin"));
    EXPECT_EQ(PointFilePath("maps/level1.vmf"), "maps/level1.lin");
    EXPECT_EQ(PointFilePath("dir.v2/level"), "dir.v2/level.lin");
}

TEST_F(CheckCommand, JsonIsOneObjectForPrograms) {
    const CheckRun r = RunCheck({DataFile("brush_entity_wall.vmf"), "--json"});
    EXPECT_EQ(r.code, kExitFailed);
    EXPECT_EQ(r.out.front(), '{');
    EXPECT_EQ(r.out.find('\n'), r.out.size() - 1);
    EXPECT_NE(r.out.find("\"passed\":false"), std::string::npos);
    EXPECT_NE(r.out.find("\"leak\":{\"checked\":true,\"found\":true"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("{\"id\":\"1001\",\"classname\":\"info_player_start\",\"origin\":[0,0,16]}"), std::string::npos);

    // Messages keep their quotes, escaped.
    const CheckRun broken = RunCheck({DataFile("broken_structure.vmf"), "--json"});
    EXPECT_NE(broken.out.find("\"kind\":\"placeholder\",\"object\":\"entity\",\"id\":\"2004\""), std::string::npos);
    EXPECT_NE(broken.out.find("\\\"vornic_npc\\\""), std::string::npos) << broken.out;
    EXPECT_NE(broken.out.find("\"errors\":13,\"warnings\":2"), std::string::npos);

    const CheckRun unreadable = RunCheck({(dir_ / "gone.vmf").string(), "--json"});
    EXPECT_EQ(unreadable.code, 2);
    EXPECT_NE(unreadable.out.find("\"readable\":false"), std::string::npos);
}

TEST_F(CheckCommand, UsageMistakesAndHelp) {
    EXPECT_EQ(RunCheck({}).code, kExitUsage);
    EXPECT_EQ(RunCheck({DataFile("sealed_room.vmf"), "--fast"}).code, kExitUsage);
    EXPECT_EQ(RunCheck({DataFile("sealed_room.vmf"), DataFile("two_rooms.vmf")}).code, kExitUsage);
    const CheckRun help = RunCheck({"--help"});
    EXPECT_EQ(help.code, kExitOk);
    // The limits and the treatment of sloped faces are documented.
    for (const char* words : {"bspfile.h", "8192", "65536", "sloped faces is treated conservatively", "--pointfile"})
        EXPECT_NE(help.out.find(words), std::string::npos) << words;
}

}  // namespace
}  // namespace tessellon
