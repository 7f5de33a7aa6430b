// The shipped room library in whole levels: many builds over seeds and every map size, each
// level run through the level checker.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>

#include "check/level_check.h"
#include "cli/cli.h"
#include "test_support.h"

namespace fs = std::filesystem;
using namespace tessellon;
using tessellon::testing::ReadFile;
using tessellon::testing::TempDir;

namespace {

// The program folder as the build lays it out: the rooms and the weighting tables.
void CopyProgramFolder(const fs::path& to) {
    const fs::path exeDir = fs::path(TESSELLON_BINARY).parent_path();
    fs::create_directories(to / "rooms");
    for (const auto& e : fs::directory_iterator(exeDir / "rooms"))
        if (e.path().extension() == ".rgr") fs::copy_file(e.path(), to / "rooms" / e.path().filename());
    for (const auto& e : fs::directory_iterator(exeDir))
        if (e.is_regular_file() && e.path().extension() == ".ini") fs::copy_file(e.path(), to / e.path().filename());
}

int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
    return n;
}

// The room files named in the log's "Calling GetReady with parameters: PATH ..." lines.
std::map<std::string, int> RoomUse(const std::string& log) {
    std::map<std::string, int> use;
    const std::string key = "Calling GetReady with parameters: ";
    for (size_t at = log.find(key); at != std::string::npos; at = log.find(key, at + 1)) {
        const size_t start = at + key.size();
        const std::string path = log.substr(start, log.find(' ', start) - start);
        ++use[fs::path(path).filename().string()];
    }
    return use;
}

}  // namespace

TEST(RoomLibraryLevels, ThreeHundredLevelsOverEveryMapSizeAreCleanAndSealed) {
    TempDir home;
    CopyProgramFolder(home.path());
    std::vector<std::string> rooms;
    for (const auto& e : fs::directory_iterator(home.path() / "rooms")) rooms.push_back(e.path().filename().string());
    ASSERT_GE(rooms.size(), 28u);

    constexpr int kLevels = 310;  // ten passes over the 31 map sizes
    int restarts = 0, placed = 0, failures = 0;
    std::map<int, int> restartsBySize;
    std::map<std::string, int> use;
    for (int i = 0; i < kLevels && failures < 5; ++i) {
        const int size = 5 + i % 31;
        const std::string seed = std::to_string(1000 + 37 * i);
        std::ostringstream out, err;
        const int code = RunCli({"build", "--home", home.path().string(), "--seed", seed, "--map-size",
                                 std::to_string(size), "--clock", "2026-06-21 12:00:00", "--restart-delay", "0",
                                 "--write-log-file"},
                                out, err);
        if (code != 0) {
            ADD_FAILURE() << "seed " << seed << ", map size " << size << ": " << err.str().substr(0, 2000);
            ++failures;
            continue;
        }
        const int r = Count(err.str(), "Automatic restart ");
        restarts += r;
        restartsBySize[size] += r;
        const CheckReport report = CheckLevelFile((home.path() / "level1.vmf").string());
        EXPECT_TRUE(report.leak.checked) << "seed " << seed << ": " << report.leak.skippedReason;
        if (!report.Passed()) {
            ADD_FAILURE() << "seed " << seed << ", map size " << size << ":\n" << FormatReportText(report);
            ++failures;
        }
        placed += report.counts.brushes > 0;
        // Each build writes its own log; it names every room placed.
        for (const auto& e : fs::directory_iterator(home.path()))
            if (e.path().filename().string().rfind("vorniclog", 0) == 0) {
                for (const auto& [name, n] : RoomUse(ReadFile(e.path()))) use[name] += n;
                fs::remove(e.path());
            }
    }
    ASSERT_EQ(failures, 0);

    // The restarted attempts' rooms are counted too, which the spread can bear.
    int total = 0, least = 1 << 30, most = 0;
    for (const auto& name : rooms) {
        const int n = use.count(name) ? use.at(name) : 0;
        EXPECT_GT(n, 0) << name << " was never placed in " << kLevels << " levels";
        total += n;
        least = std::min(least, n);
        most = std::max(most, n);
    }
    EXPECT_EQ(placed, kLevels);
    // Rooms reach the world's edge only on rare, long, straight lines.
    EXPECT_LE(restarts * 20, kLevels) << "more than one build in twenty restarted";

    std::ostringstream summary;
    summary << kLevels << " levels, " << total << " rooms placed, " << restarts << " automatic restarts ("
            << 100.0 * restarts / kLevels << "%); room use from " << least << " to " << most << " per room:";
    for (const auto& [name, n] : use) summary << ' ' << fs::path(name).stem().string() << '=' << n;
    RecordProperty("summary", summary.str());
    std::cout << "[ summary  ] " << summary.str() << '\n';
}
