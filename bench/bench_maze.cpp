// Maze lines: candidate walks tried per second, and the time to a line that overlaps nowhere,
// for a short, a middling and the longest line a level asks for.
#include <chrono>

#include "bench_support.h"
#include "maze/maze_line.h"
#include "maze/random_source.h"

namespace {

using namespace tessellon;

void BM_GoodLine(benchmark::State& state) {
    const int length = static_cast<int>(state.range(0));
    const bench::ProgramFolder home(1);
    bench::BenchSession b(home.Path(), 20, 1);
    Session& s = *b;
    Randa(s);
    std::vector<double> lineSeconds;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(GetGoodLine(s, length, 0, 0, 1));
        lineSeconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    // Attempts on their own: one candidate walk and its overlap test, as the line search does.
    long attempts = 0, passed = 0;
    const double attemptSeconds = bench::SecondsOf([&] {
        for (; attempts < 2000; ++attempts) {
            const std::string line = CreateLine(s, length, 1, 0);
            ResetSurf(s);
            s.Surf.cells[MazeGrid::Index(0, 0)] = 1;
            TestSurfDraw(s, 0, 0, line, 1);
            passed += s.Surf.overlapCount == 0;
        }
    });
    std::sort(lineSeconds.begin(), lineSeconds.end());
    const double median = lineSeconds[lineSeconds.size() / 2];
    state.counters["attempts_per_s"] = attempts / attemptSeconds;
    state.counters["pass_rate"] = static_cast<double>(passed) / attempts;
    state.counters["median_line_ms"] = median * 1e3;
    const bool longest = length == 44;
    bench::Record("line of " + std::to_string(length), bench::Ms(median) + " median", "",
                  longest ? "< 5 ms median" : "-", !longest || median < 0.005);
}
BENCHMARK(BM_GoodLine)->Arg(4)->Arg(22)->Arg(44)->Unit(benchmark::kMicrosecond)->MinTime(0.5);

}  // namespace

TESSELLON_BENCH_MAIN()
