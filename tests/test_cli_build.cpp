#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli.h"
#include "test_support.h"

using namespace tessellon;
using namespace tessellon::testing;

namespace {

struct CliRun {
    int code;
    std::string out, err;
};

CliRun RunTessellon(std::vector<std::string> args) {
    std::ostringstream out, err;
    const int code = RunCli(args, out, err);
    return {code, out.str(), err.str()};
}

// A program folder with the shipped data beside it, as the build lays it out.
void CopyProgramData(const std::filesystem::path& to) {
    const std::filesystem::path exeDir = std::filesystem::path(TESSELLON_BINARY).parent_path();
    for (const auto& entry : std::filesystem::directory_iterator(exeDir)) {
        const auto name = entry.path().filename().string();
        if (entry.is_directory() && name == "rooms")
            std::filesystem::copy(entry.path(), to / name, std::filesystem::copy_options::recursive);
        else if (entry.is_regular_file() && entry.path().extension() == ".ini")
            std::filesystem::copy_file(entry.path(), to / name);
    }
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

}  // namespace

TEST(CliBuild, WritesALevelWithItsHead) {
    TempDir home;
    CopyProgramData(home.path());
    const auto r = RunTessellon({"build", "--home", home.path().string(), "--seed", "7", "--clock", "2026-05-01 12:00:00", "--quiet"});
    ASSERT_EQ(r.code, 0) << r.err;
    const auto text = ReadFile(home.path() / "level1.vmf");
    const auto lines = Lines(text);
    ASSERT_GE(lines.size(), 41u);
    EXPECT_EQ(lines[0], "versioninfo");
    EXPECT_EQ(lines[10], "\t\t\"name\" \"Auto\"");
    EXPECT_EQ(lines[33], "world");
    EXPECT_EQ(lines[35], "\t\"id\" \"1\"");
    EXPECT_EQ(lines[38].rfind("\t\"skyname\" \"sky_day0", 0), 0u) << lines[38];
    EXPECT_EQ(lines[39], "\t\"maxpropscreenwidth\" \"-1\"");
    EXPECT_FALSE(std::filesystem::exists(home.path() / "temp.dta"));
}

TEST(CliBuild, SeedAndClockMakeBuildsRepeatable) {
    TempDir a, b;
    CopyProgramData(a.path());
    CopyProgramData(b.path());
    const std::vector<std::string> opts = {"--seed", "99", "--clock", "2026-05-01 21:30:10", "--quiet", "--map-size", "8"};
    auto argsA = std::vector<std::string>{"build", "--home", a.path().string()};
    auto argsB = std::vector<std::string>{"build", "--home", b.path().string()};
    argsA.insert(argsA.end(), opts.begin(), opts.end());
    argsB.insert(argsB.end(), opts.begin(), opts.end());
    ASSERT_EQ(RunTessellon(argsA).code, 0);
    ASSERT_EQ(RunTessellon(argsB).code, 0);
    EXPECT_EQ(ReadFile(a.path() / "level1.vmf"), ReadFile(b.path() / "level1.vmf"));
}

TEST(CliBuild, UsageErrorsWriteNothing) {
    TempDir home;
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--map-size", "36"}, {"--map-size", "ten"}, {"--seed", "12abc"}, {"--season", "monsoon"},
             {"--latitude", "91"}, {"--clock", "yesterday"}, {"--frobnicate"}, {"--moon"}}) {
        auto full = std::vector<std::string>{"build", "--home", home.path().string()};
        full.insert(full.end(), args.begin(), args.end());
        const auto r = RunTessellon(full);
        EXPECT_EQ(r.code, 2) << args[0];
        EXPECT_FALSE(r.err.empty()) << args[0];
    }
    EXPECT_TRUE(std::filesystem::is_empty(home.path()));
    EXPECT_EQ(RunTessellon({"nonsense"}).code, 2);
    EXPECT_EQ(RunTessellon({"--help"}).code, 0);
}
