// A whole build of the largest map on the test rooms (maze, every room read, turned, moved,
// renamed, renumbered and printed, the level named), against the floor of reading each placed
// room's file from disk and writing a file of the level's size, measured in the same run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>

#include "driver/build_driver.h"
#include "driver/session.h"
#include "rooms/catalogue.h"

namespace {

namespace fs = std::filesystem;
using namespace tessellon;

class QuietUi final : public Ui {
public:
    void SetStatus(const std::string&) override {}
    void SetProgress(double, int) override {}
    void Yield() override {}
    BoxAnswer MessageBox(const std::string&, const std::string&, BoxIcon, BoxButtons b) override {
        return b == BoxButtons::YesNo ? BoxAnswer::Yes : BoxAnswer::Ok;
    }
    std::optional<std::string> InputBox(const std::string&, const std::string&, const std::string& d) override { return d; }
    void LockBuildControls(bool) override {}
};

class NoRegistry final : public Registry {
public:
    std::optional<std::string> ReadString(RegistryRoot, const std::string&, const std::string&) override { return {}; }
};

struct BuildFixture {
    fs::path home;
    QuietUi ui;
    FrozenClock clock{ClockTime{2026, 1, 2, 10, 0, 0, 0}};
    NoRegistry registry;
    std::unique_ptr<Session> s;

    BuildFixture() {
        home = fs::temp_directory_path() / ("tessellon-bench-build-" + std::to_string(std::random_device{}()));
        fs::create_directories(home / "rooms");
        for (const auto& e : fs::directory_iterator(fs::path(TESSELLON_SOURCE_DIR) / "tests/data/rooms"))
            if (e.path().extension() == ".rgr") fs::copy_file(e.path(), home / "rooms" / e.path().filename());
        s = std::make_unique<Session>(ui, clock, registry, home);
        Categorize(*s);
        s->settings.MapSize = 35;
        s->settings.CustomSeed = CheckState::Ticked;
        s->settings.CustomSeedBox = "9";
        s->RestartCount = 99;
    }
    ~BuildFixture() {
        std::error_code ec;
        fs::remove_all(home, ec);
    }
};

// What any build must do at least: read the file of every placed room and write the level.
std::size_t ReadRoomsAndWriteLevel(Session& s, std::size_t levelBytes) {
    static std::string buffer;
    std::size_t read = 0;
    const LevelPlan& plan = s.Plans[1];
    for (std::size_t m = 1; m < plan.rooms.size(); ++m) {
        std::ifstream in(s.RoomCatalogue.Row(plan.rooms[m].catalogueRow).FilePath(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        read += text.str().size();
    }
    buffer.assign(levelBytes, 'x');
    std::ofstream(s.programFolder / "floor.dta", std::ios::binary | std::ios::trunc) << buffer;
    return read;
}

double ThreadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double SecondsOf(const std::function<void()>& work) {
    const double t0 = ThreadSeconds();
    work();
    return ThreadSeconds() - t0;
}

void BM_BuildLargestMap(benchmark::State& state) {
    BuildFixture f;
    Session& s = *f.s;
    RunCreateCommand(s);
    const std::size_t levelBytes = static_cast<std::size_t>(fs::file_size(f.home / "level1.vmf"));
    double bestFloor = 1e30, bestBuild = 1e30;
    for (auto _ : state) {
        bestFloor = std::min(bestFloor, SecondsOf([&] { benchmark::DoNotOptimize(ReadRoomsAndWriteLevel(s, levelBytes)); }));
        const double build = SecondsOf([&] { benchmark::DoNotOptimize(RunCreateCommand(s)); });
        bestBuild = std::min(bestBuild, build);
        state.SetIterationTime(build);
    }
    state.counters["rooms"] = static_cast<double>(s.Plans[1].rooms.size() - 1);
    state.counters["room_file_reads"] = s.RoomBodies.Reads();
    state.counters["best_floor_ms"] = bestFloor * 1e3;
    state.counters["best_build_ms"] = bestBuild * 1e3;
    state.counters["x_floor"] = bestBuild / bestFloor;
}
BENCHMARK(BM_BuildLargestMap)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
