// The shipped room library in whole levels: many builds over seeds and every map size, each
// level run through the level checker.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>

#include "check/level_check.h"
#include "test_support.h"

namespace fs = std::filesystem;
using namespace tessellon;
namespace tt = tessellon::testing;

namespace {

int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

}  // namespace

TEST(RoomLibraryLevels, ThreeHundredLevelsOverEveryMapSizeAreCleanAndSealed) {
    // The program folder as the build lays it out: the rooms and the weighting tables.
    tt::TempDir home;
    const fs::path exeDir = fs::path(TESSELLON_BINARY).parent_path();
    fs::copy(exeDir / "rooms", home.path() / "rooms");
    for (const auto& e : fs::directory_iterator(exeDir))
        if (e.path().extension() == ".ini") fs::copy_file(e.path(), home.path() / e.path().filename());
    std::map<std::string, int> use;  // by room file; restarted attempts' rooms count too
    for (const auto& e : fs::directory_iterator(home.path() / "rooms"))
        if (e.path().extension() == ".rgr") use[e.path().filename().string()] = 0;
    ASSERT_GE(use.size(), 28u);

    constexpr int kLevels = 310;  // ten passes over the 31 map sizes
    int restarts = 0, failures = 0;
    for (int i = 0; i < kLevels && failures < 5; ++i) {
        const std::string where = "seed " + std::to_string(1000 + 37 * i) + ", map size " + std::to_string(5 + i % 31);
        const auto run = tt::Cli({"build", "--home", home.path().string(), "--seed", std::to_string(1000 + 37 * i),
                                  "--map-size", std::to_string(5 + i % 31), "--clock", "2026-06-21 12:00:00",
                                  "--restart-delay", "0", "--write-log-file"});
        const CheckReport report = CheckLevelFile((home.path() / "level1.vmf").string());
        if (run.code != 0 || !report.Passed() || report.counts.brushes == 0) {
            ADD_FAILURE() << where << ": " << run.err.substr(0, 2000) << "\n" << FormatReportText(report);
            ++failures;
            continue;
        }
        EXPECT_TRUE(report.leak.checked) << where << ": " << report.leak.skippedReason;
        restarts += Count(run.err, "Automatic restart ");
        // Each build writes its own log; it names every room placed.
        for (const auto& e : fs::directory_iterator(home.path()))
            if (e.path().filename().string().rfind("vorniclog", 0) == 0) {
                const std::string log = tt::ReadFile(e.path()), key = "Calling GetReady with parameters: ";
                for (size_t at = log.find(key); at != std::string::npos; at = log.find(key, at + 1)) {
                    const size_t start = at + key.size();
                    ++use[fs::path(log.substr(start, log.find(' ', start) - start)).filename().string()];
                }
                fs::remove(e.path());
            }
    }
    ASSERT_EQ(failures, 0);
    for (const auto& [name, n] : use) EXPECT_GT(n, 0) << name << " was never placed in " << kLevels << " levels";
    // Rooms reach the world's edge only on rare, long, straight lines.
    EXPECT_LE(restarts * 20, kLevels) << "more than one build in twenty restarted";
    std::ostringstream summary;
    summary << kLevels << " levels, " << restarts << " automatic restarts; room use:";
    for (const auto& [name, n] : use) summary << ' ' << fs::path(name).stem().string() << '=' << n;
    RecordProperty("summary", summary.str());
}
