// The level checker on the largest level the build makes from the shipped rooms, against the
// floor of reading the file's bytes and splitting them into words in the same run.
#include <chrono>

#include "bench_support.h"
#include "check/level_check.h"

namespace {

struct BenchLevel {
    bench::ProgramFolder home;
    std::string path;
    std::size_t bytes = 0;
    BenchLevel() {
        bench::BenchSession b(home.Path(), 35, bench::PickSeed(home.Path(), 35, 0));
        tessellon::Categorize(*b);
        bench::BuildOnce(*b);
        path = (home.Path() / "level1.vmf").string();
        bytes = static_cast<std::size_t>(std::filesystem::file_size(path));
    }
};

const BenchLevel& Level() {
    static const BenchLevel level;
    return level;
}

// The floor: what any reader must do at least, read the bytes and cut them into words. The
// buffers are kept between runs so the floor measures the work, not the kernel handing out
// fresh pages (which is slow and erratic on this virtual machine).
std::size_t ReadAndSplit(const std::string& path) {
    static std::string text;
    static std::vector<std::string_view> words;
    std::ifstream in(path, std::ios::binary);
    in.seekg(0, std::ios::end);
    text.resize(static_cast<std::size_t>(in.tellg()));
    in.seekg(0, std::ios::beg);
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    words.clear();
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            ++i;
        } else if (c == '"') {
            const std::size_t end = text.find('"', i + 1);
            words.emplace_back(text.data() + i + 1, end - i - 1);
            i = end + 1;
        } else {
            std::size_t end = i;
            while (end < text.size() && text[end] != ' ' && text[end] != '\t' && text[end] != '\r' && text[end] != '\n') ++end;
            words.emplace_back(text.data() + i, end - i);
            i = end;
        }
    }
    return words.size();
}

void BM_ReadAndSplitFloor(benchmark::State& state) {
    const BenchLevel& level = Level();
    for (auto _ : state) benchmark::DoNotOptimize(ReadAndSplit(level.path));
    state.counters["MB"] = static_cast<double>(level.bytes) / 1e6;
}
BENCHMARK(BM_ReadAndSplitFloor)->Unit(benchmark::kMillisecond);

// Each iteration times one floor run and one check, interleaved, so both see the same load on
// this shared machine; the ratio of the fastest of each is the figure to compare across runs.
void BM_CheckLargestLevel(benchmark::State& state) {
    const BenchLevel& level = Level();
    double bestFloor = 1e30, bestCheck = 1e30;
    int brushes = 0;
    for (auto _ : state) {
        bestFloor = std::min(bestFloor, bench::SecondsOf([&] { benchmark::DoNotOptimize(ReadAndSplit(level.path)); }));
        const auto t0 = std::chrono::steady_clock::now();
        const double c0 = bench::ThreadSeconds();
        const tessellon::CheckReport report = tessellon::CheckLevelFile(level.path);
        bestCheck = std::min(bestCheck, bench::ThreadSeconds() - c0);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
        if (!report.readable) state.SkipWithError("the bench level cannot be read");
        brushes = report.counts.brushes;
    }
    state.counters["brushes"] = brushes;
    state.counters["best_floor_ms"] = bestFloor * 1e3;
    state.counters["best_check_ms"] = bestCheck * 1e3;
    state.counters["x_floor"] = bestCheck / bestFloor;
    bench::Record("check largest level", bench::Ms(bestCheck) + " = " + bench::Ratio(bestCheck / bestFloor),
                  bench::Ms(bestFloor), "<= 3x floor", bestCheck <= 3 * bestFloor);
}
BENCHMARK(BM_CheckLargestLevel)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

TESSELLON_BENCH_MAIN()
