// The view from inside on a 45-room level built from the shipped rooms: an 800 x 450 picture from
// the player start, against the floor of reading the level's map file with the program's own
// reader, measured in the same run.
#include <chrono>

#include "bench_support.h"
#include "check/vmf_reader.h"
#include "picture/inside_view.h"

namespace {

using namespace tessellon;

struct BenchLevel {
    bench::ProgramFolder home;
    std::string path;
    int rooms = 0;
    BenchLevel() {
        bench::BenchSession b(home.Path(), 35, bench::PickSeed(home.Path(), 35, 45));
        Categorize(*b);
        rooms = bench::BuildOnce(*b);
        path = (home.Path() / "level1.vmf").string();
    }
};

const BenchLevel& Level() {
    static const BenchLevel level;
    return level;
}

// The floor: any view of the level must at least read its map.
double ReadFloor(const std::string& path) {
    return bench::SecondsOf([&] {
        VmfDocument doc;
        std::string whyNot;
        benchmark::DoNotOptimize(ReadVmfFile(path, doc, whyNot));
    });
}

double WallSecondsOf(const std::function<void()>& work) {
    const auto t0 = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// The whole of `tessellon view LEVEL --start`: read, build the scene, draw on every core.
void BM_ViewLevelFromStart(benchmark::State& state) {
    const BenchLevel& level = Level();
    double bestFloor = 1e30, bestView = 1e30;
    int bodies = 0;
    for (auto _ : state) {
        bestFloor = std::min(bestFloor, ReadFloor(level.path));
        const double view = WallSecondsOf([&] {
            const ViewFile file = ReadViewFile(level.path);
            if (!file.start) return;
            benchmark::DoNotOptimize(file.scene.Render(*file.start, 800, 450));
            bodies = file.scene.Bodies();
        });
        state.SetIterationTime(view);
        bestView = std::min(bestView, view);
    }
    if (bodies == 0) state.SkipWithError("the bench level has no player start or nothing to draw");
    state.counters["rooms"] = level.rooms;
    state.counters["bodies"] = bodies;
    state.counters["floor_ms"] = bestFloor * 1e3;
    state.counters["view_ms"] = bestView * 1e3;
    bench::Record("view " + std::to_string(level.rooms) + "-room level",
                  bench::Ms(bestView) + " = " + bench::Ratio(bestView / bestFloor), bench::Ms(bestFloor),
                  "< 1 s (wall, all cores)", bestView < 1);
}
BENCHMARK(BM_ViewLevelFromStart)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// The drawing alone on one thread, in this thread's processor time: steadier on a shared machine.
void BM_RenderOneThread(benchmark::State& state) {
    const BenchLevel& level = Level();
    const ViewFile file = ReadViewFile(level.path);
    if (!file.start) {
        state.SkipWithError("the bench level has no player start");
        return;
    }
    file.scene.Render(*file.start, 8, 8, 1);  // builds the grid once, as the first picture does
    double bestFloor = 1e30, bestRender = 1e30;
    for (auto _ : state) {
        bestFloor = std::min(bestFloor, ReadFloor(level.path));
        const double render =
            bench::SecondsOf([&] { benchmark::DoNotOptimize(file.scene.Render(*file.start, 800, 450, 1)); });
        state.SetIterationTime(render);
        bestRender = std::min(bestRender, render);
    }
    state.counters["floor_ms"] = bestFloor * 1e3;
    state.counters["render_ms"] = bestRender * 1e3;
    bench::Record("view render, one thread", bench::Ms(bestRender) + " = " + bench::Ratio(bestRender / bestFloor),
                  bench::Ms(bestFloor), "< 1 s (processor)", bestRender < 1);
}
BENCHMARK(BM_RenderOneThread)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

TESSELLON_BENCH_MAIN()
