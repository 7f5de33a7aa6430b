#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "cli/cli.h"
#include "maze_test_support.h"

namespace tessellon {
namespace {

namespace fs = std::filesystem;
using testing_support::CopyTestRooms;
using testing_support::ScratchFolder;

struct CliRun {
    int code;
    std::string out, err;
};

CliRun Cli(std::vector<std::string> args) {
    std::ostringstream out, err;
    const int code = RunCli(args, out, err);
    return {code, out.str(), err.str()};
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
}

TEST(MazeCommand, PrintsTheLineAndOneRowPerRoomRepeatably) {
    ScratchFolder home("cli-maze");
    const std::vector<std::string> args = {"maze", "--length", "12", "--seed", "3", "--direction", "2",
                                           "--clock", "2026-01-01 10:00:00", "--home", home.Path().string()};
    const CliRun a = Cli(args);
    ASSERT_EQ(a.code, 0) << a.err;
    const auto lines = Lines(a.out);
    ASSERT_EQ(lines.size(), 14u);
    EXPECT_EQ(lines[0].size(), 27u);
    EXPECT_EQ(lines[0].substr(0, 3), "216");
    EXPECT_EQ(lines[1], "1 0 2");
    for (int k = 2; k <= 13; ++k) {
        std::istringstream row(lines[static_cast<std::size_t>(k)]);
        int number, from, dir;
        row >> number >> from >> dir;
        EXPECT_EQ(number, k);
        EXPECT_GE(from, 1);
        EXPECT_LT(from, k);
        EXPECT_GE(dir, 1);
        EXPECT_LE(dir, 4);
    }
    EXPECT_EQ(Cli(args).out, a.out);
}

TEST(MazeCommand, UsageErrorsWriteNothing) {
    ScratchFolder home("cli-maze-usage");
    const std::string h = home.Path().string();
    EXPECT_EQ(Cli({"maze", "--home", h}).code, kExitUsage);
    EXPECT_EQ(Cli({"maze", "--length", "0", "--home", h}).code, kExitUsage);
    EXPECT_EQ(Cli({"maze", "--length", "200", "--home", h}).code, kExitUsage);
    EXPECT_EQ(Cli({"maze", "--length", "5", "--direction", "5", "--home", h}).code, kExitUsage);
    EXPECT_EQ(Cli({"maze", "--length", "5", "--end-with", "3", "--home", h}).code, kExitUsage);
    EXPECT_EQ(Cli({"maze", "--length", "5", "--batch", "100", "--home", h}).code, kExitUsage);
    EXPECT_EQ(Cli({"maze", "--batch", "101", "--home", h}).code, kExitUsage);
    EXPECT_TRUE(fs::is_empty(home.Path()));
}

TEST(RoomsCommand, ListsTheCatalogueAndReportsABrokenFile) {
    ScratchFolder home("cli-rooms");
    CopyTestRooms(home.Path());
    const CliRun r = Cli({"rooms", "--home", home.Path().string()});
    ASSERT_EQ(r.code, 0) << r.err;
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[0].substr(0, lines[0].find('\t')), "alley_closet.rgr");
    const auto size = fs::file_size(home.Path() / "rooms/start_room.rgr");
    EXPECT_EQ(lines[5], "start_room.rgr\tStart room\t6 (Game Start)\tGenre #0\t" + std::to_string(size) + " bytes");

    std::ofstream(home.Path() / "rooms/broken.rgr") << "only\r\nthree\r\nlines\r\n";
    const CliRun broken = Cli({"rooms", "--home", home.Path().string()});
    EXPECT_EQ(broken.code, kExitFailed);
    EXPECT_NE(broken.err.find("broken.rgr couldn't be opened. It's probably corrupt."), std::string::npos) << broken.err;
}

TEST(BuildCommand, BuildsFromTheRoomsFolderEndToEnd) {
    ScratchFolder home("cli-build");
    CopyTestRooms(home.Path());
    const CliRun r = Cli({"build", "--home", home.Path().string(), "--seed", "4", "--clock", "2026-01-01 10:00:00",
                       "--quiet", "--write-log-file", "--map-size", "10"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(fs::exists(home.Path() / "level1.vmf"));
    std::string log;
    for (const auto& e : fs::directory_iterator(home.Path()))
        if (e.path().filename().string().rfind("vorniclog", 0) == 0) {
            std::ifstream in(e.path(), std::ios::binary);
            log.assign(std::istreambuf_iterator<char>(in), {});
        }
    EXPECT_NE(log.find("Categorizing 8 rooms..."), std::string::npos);
    // The attempt lines are slow ones (detailed status only); the count of attempts is not.
    EXPECT_EQ(log.find("Maze Line passed!"), std::string::npos);
    EXPECT_NE(log.find(" attempts.\r\n"), std::string::npos);
    EXPECT_NE(log.find("Randomizing room 1 of "), std::string::npos);
}

}  // namespace
}  // namespace tessellon
