// The level checker on the largest level the build makes from the shipped rooms, against the
// floor of reading the file's bytes and splitting them into words in the same run.
#include <chrono>

#include "bench_support.h"
#include "check/level_check.h"
#include "check/node_graph.h"

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
            while (end < text.size() && text[end] != ' ' && text[end] != '\t' && text[end] != '\r' && text[end] != '\n')
                ++end;
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

// A box brush's bounds and the material on its top; false for any other brush.
bool BoxBrush(const tessellon::VmfBlock& solid, tessellon::Box& box, std::string& topMaterial) {
    std::vector<tessellon::Plane> planes;
    for (const auto& side : solid.children) {
        tessellon::Vec3 p[3];
        tessellon::Plane plane;
        const std::string_view* text = side.Find("plane");
        if (!text || !tessellon::ParsePlanePoints(*text, p) || !tessellon::PlaneFromPoints(p[0], p[1], p[2], plane))
            return false;
        planes.push_back(plane);
        if (plane.normal.z > 0.99) topMaterial = side.Get("material");
    }
    return tessellon::AxialBox(planes, box);
}

// The same level with a node graph as rooms will carry one: on each room's floor a node every
// 256 units and one inside each side, up to 13 a room, less those a mapper would not place
// because they stand inside a brush (world or detail). The rooms are found by their floor slabs:
// a world box over a whole 768-unit cell, at most 16 thick, whose top is no tool face (a ceiling
// shows its face below). Stairs and ledges part some rooms' spots, so the graph is cut in places
// and characters there are reported: a harder case than a level whose rooms join their nodes.
struct NodedLevel {
    std::string path;
    int nodes = 0;
    NodedLevel() {
        const BenchLevel& level = Level();
        std::ifstream in(level.path, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const tessellon::VmfDocument doc = tessellon::ReadVmfText(text);
        std::vector<tessellon::SealingBody> bodies;
        std::vector<tessellon::Box> floors;
        int id = 0;
        for (const auto& block : doc.blocks) {
            id = std::max(id, std::atoi(block.Get("id").c_str()));
            const bool world = tessellon::NamesEqual(block.name, "world");
            if (!world && !tessellon::NamesEqual(block.Get("classname"), "func_detail")) continue;
            for (const auto& solid : block.children) {
                tessellon::Box b;
                std::string top;
                if (!tessellon::NamesEqual(solid.name, "solid") || !BoxBrush(solid, b, top)) continue;
                bodies.push_back(tessellon::SealingBox(b));
                if (world && b.max.x - b.min.x == 768 && b.max.y - b.min.y == 768 && b.max.z - b.min.z <= 16 &&
                    !top.empty() && top.rfind("TOOLS/", 0) != 0)
                    floors.push_back(b);
            }
        }
        std::vector<const tessellon::SealingBody*> solid;
        for (const auto& b : bodies) solid.push_back(&b);
        const tessellon::BrushGrid brushes(solid);
        std::vector<tessellon::Vec3> spots;
        for (const tessellon::Box& b : floors) {
            const double cx = (b.min.x + b.max.x) / 2, cy = (b.min.y + b.max.y) / 2, z = b.max.z + 16;
            const double around[13][2] = {{-256, -256}, {0, -256},   {256, -256}, {-256, 0},  {0, 0},
                                          {256, 0},     {-256, 256}, {0, 256},    {256, 256}, {352, 0},
                                          {-352, 0},    {0, 352},    {0, -352}};
            for (const auto& a : around)
                if (!brushes.Inside({cx + a[0], cy + a[1], z})) spots.push_back({cx + a[0], cy + a[1], z});
        }
        std::string added;
        for (const tessellon::Vec3& p : spots) {
            char origin[96];
            std::snprintf(origin, sizeof origin, "%g %g %g", p.x, p.y, p.z);
            added += "entity\n{\n\t\"id\" \"" + std::to_string(++id) +
                     "\"\n\t\"classname\" \"info_node\"\n\t\"origin\" \"" + origin + "\"\n}\n";
            ++nodes;
        }
        path = (Level().home.Path() / "level_nodes.vmf").string();
        std::ofstream(path, std::ios::binary) << text << added;
    }
};

const NodedLevel& Noded() {
    static const NodedLevel level;
    return level;
}

// The node graph's share: the level with nodes against its own floor.
void BM_CheckLargestLevelWithNodes(benchmark::State& state) {
    const NodedLevel& level = Noded();
    double bestFloor = 1e30, bestCheck = 1e30;
    tessellon::NodeGraphReport graph;
    for (auto _ : state) {
        bestFloor = std::min(bestFloor, bench::SecondsOf([&] { benchmark::DoNotOptimize(ReadAndSplit(level.path)); }));
        const auto t0 = std::chrono::steady_clock::now();
        const double c0 = bench::ThreadSeconds();
        const tessellon::CheckReport report = tessellon::CheckLevelFile(level.path);
        bestCheck = std::min(bestCheck, bench::ThreadSeconds() - c0);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
        if (!report.readable) state.SkipWithError("the bench level cannot be read");
        graph = report.nodeGraph;
    }
    state.counters["nodes"] = graph.groundNodes;
    state.counters["characters"] = graph.groundCharacters;
    state.counters["start_to_end"] = graph.judged && graph.startToEnd;
    state.counters["best_floor_ms"] = bestFloor * 1e3;
    state.counters["best_check_ms"] = bestCheck * 1e3;
    state.counters["x_floor"] = bestCheck / bestFloor;
    bench::Record("check level with nodes", bench::Ms(bestCheck) + " = " + bench::Ratio(bestCheck / bestFloor),
                  bench::Ms(bestFloor), "<= 3x floor", bestCheck <= 3 * bestFloor);
}
BENCHMARK(BM_CheckLargestLevelWithNodes)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

TESSELLON_BENCH_MAIN()
