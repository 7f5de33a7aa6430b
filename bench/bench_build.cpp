// A whole build on the shipped rooms (catalogue scan, maze, every room placed, entities written,
// level1.vmf named), split by stage, against the floor of reading every room file and writing
// the level's lines, measured in the same run; and the cost per room of a small and a large level.
#include <cmath>

#include "bench_support.h"
#include "session/stage_times.h"

namespace {

using namespace tessellon;

struct BuildFigures {
    double bestBuild = 1e30, bestFloor = 1e30;
    int rooms = 0;
};

// Interleaves floor and build so both see the same load; keeps the fastest of each.
BuildFigures MeasureBuilds(benchmark::State& state, int mapSize, int wantRooms, bool split) {
    const bench::ProgramFolder home;
    const int seed = bench::PickSeed(home.Path(), mapSize, wantRooms);
    BuildFigures f;
    {
        bench::BenchSession first(home.Path(), mapSize, seed);
        Categorize(*first);
        f.rooms = bench::BuildOnce(*first);
    }
    const std::vector<std::string> levelLines = bench::FileLines(home.Path() / "level1.vmf");
    const std::vector<bench::fs::path> roomFiles = bench::RoomFiles(home.Path() / "rooms");

    StageTimes stages, bestStages;
    double bestScan = 1e30;
    for (auto _ : state) {
        f.bestFloor = std::min(f.bestFloor, bench::SecondsOf([&] {
                                   benchmark::DoNotOptimize(bench::ReadFiles(roomFiles));
                                   bench::WriteLinesLikeLevel(levelLines, home.Path() / "floor.vmf");
                               }));
        // A fresh session each time: a build that restarted leaves its session on another seed.
        bench::BenchSession b(home.Path(), mapSize, seed);
        Session& s = *b;
        stages.Clear();
        StageTimes::Install(&stages);
        double scan = 0;
        const double build = bench::SecondsOf([&] {
            scan = bench::SecondsOf([&] { Categorize(s); });
            benchmark::DoNotOptimize(RunCreateCommand(s));
        });
        StageTimes::Install(nullptr);
        state.SetIterationTime(build);
        if (build < f.bestBuild) {
            f.bestBuild = build;
            bestStages = stages;
            bestScan = scan;
        }
    }
    state.counters["rooms"] = f.rooms;
    state.counters["floor_ms"] = f.bestFloor * 1e3;
    state.counters["build_ms"] = f.bestBuild * 1e3;
    state.counters["x_floor"] = f.bestBuild / f.bestFloor;
    if (split) {
        state.counters["scan_ms"] = bestScan * 1e3;
        for (int k = 0; k < static_cast<int>(BuildStage::Count); ++k)
            state.counters[std::string(BuildStageName(static_cast<BuildStage>(k))) + "_ms"] =
                bestStages[static_cast<BuildStage>(k)] * 1e3;
    }
    return f;
}

void BM_BuildLargestMap(benchmark::State& state) {
    const BuildFigures f = MeasureBuilds(state, 35, 0, true);
    const double ratio = f.bestBuild / f.bestFloor;
    bench::Record("build " + std::to_string(f.rooms) + " rooms", bench::Ms(f.bestBuild) + " = " + bench::Ratio(ratio),
                  bench::Ms(f.bestFloor), "<= 3x floor", ratio <= 3);
}
BENCHMARK(BM_BuildLargestMap)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);

double perRoomSmall = 0, perRoomLarge = 0;

void BM_PerRoomSmall(benchmark::State& state) {
    const BuildFigures f = MeasureBuilds(state, 8, 10, false);
    perRoomSmall = f.bestBuild / f.rooms;
    state.counters["per_room_ms"] = perRoomSmall * 1e3;
}
BENCHMARK(BM_PerRoomSmall)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);

void BM_PerRoomLarge(benchmark::State& state) {
    const BuildFigures f = MeasureBuilds(state, 35, 45, false);
    perRoomLarge = f.bestBuild / f.rooms;
    state.counters["per_room_ms"] = perRoomLarge * 1e3;
    if (perRoomSmall > 0) {
        const double ratio = perRoomLarge / perRoomSmall;
        state.counters["x_small"] = ratio;
        bench::Record("per room large vs small", bench::Ms(perRoomLarge) + " = " + bench::Ratio(ratio),
                      bench::Ms(perRoomSmall) + " (small)", "<= 1.2x the small", ratio <= 1.2);
    }
}
BENCHMARK(BM_PerRoomLarge)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);

}  // namespace

TESSELLON_BENCH_MAIN()
