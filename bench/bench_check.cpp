// The level checker on a level of 45 rooms, against the floor of reading the file's bytes and
// splitting them into words in the same run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "check/level_check.h"

namespace {

using tessellon::Vec3;

class LevelWriter {
public:
    std::string world, entities;
    int brushes = 0;

    std::string Box(Vec3 a, Vec3 b, const char* material = "CONCRETE/CONCRETEFLOOR001A") {
        ++brushes;
        char buf[2048];
        std::string s = "\tsolid\n\t{\n\t\t\"id\" \"" + std::to_string(solidId_++) + "\"\n";
        const double x0 = a.x, y0 = a.y, z0 = a.z, x1 = b.x, y1 = b.y, z1 = b.z;
        const double faces[6][9] = {{x0, y1, z1, x1, y1, z1, x1, y0, z1}, {x0, y0, z0, x1, y0, z0, x1, y1, z0},
                                    {x0, y1, z1, x0, y0, z1, x0, y0, z0}, {x1, y1, z0, x1, y0, z0, x1, y0, z1},
                                    {x1, y1, z1, x0, y1, z1, x0, y1, z0}, {x1, y0, z0, x0, y0, z0, x0, y0, z1}};
        const char* axes[6][2] = {{"[1 0 0 0] 0.25", "[0 -1 0 0] 0.25"}, {"[1 0 0 0] 0.25", "[0 -1 0 0] 0.25"},
                                  {"[0 1 0 0] 0.25", "[0 0 -1 0] 0.25"}, {"[0 1 0 0] 0.25", "[0 0 -1 0] 0.25"},
                                  {"[1 0 0 0] 0.25", "[0 0 -1 0] 0.25"}, {"[1 0 0 0] 0.25", "[0 0 -1 0] 0.25"}};
        for (int f = 0; f < 6; ++f) {
            const double* p = faces[f];
            std::snprintf(buf, sizeof buf,
                          "\t\tside\n\t\t{\n\t\t\t\"id\" \"%d\"\n\t\t\t\"plane\" \"(%g %g %g) (%g %g %g) (%g %g %g)\"\n"
                          "\t\t\t\"material\" \"%s\"\n\t\t\t\"uaxis\" \"%s\"\n\t\t\t\"vaxis\" \"%s\"\n"
                          "\t\t\t\"rotation\" \"0\"\n\t\t\t\"lightmapscale\" \"16\"\n\t\t\t\"smoothing_groups\" \"0\"\n\t\t}\n",
                          sideId_++, p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], p[8], material, axes[f][0], axes[f][1]);
            s += buf;
        }
        return s + "\t}\n";
    }
    std::string Entity(const std::string& classname, const std::string& keys, const std::string& solids = "") {
        return "entity\n{\n\t\"id\" \"" + std::to_string(entityId_++) + "\"\n\t\"classname\" \"" + classname + "\"\n" +
               keys + solids + "}\n";
    }
    static std::string Origin(double x, double y, double z) {
        char buf[128];
        std::snprintf(buf, sizeof buf, "\t\"origin\" \"%g %g %g\"\n", x, y, z);
        return buf;
    }

private:
    int solidId_ = 2, sideId_ = 1, entityId_ = 100000;
};

// One room of the standard cell: sealed once its doorways meet the neighbours' ones.
void AddRoom(LevelWriter& w, int index, double ox, double oy, const bool open[4]) {
    auto box = [&](double x0, double y0, double z0, double x1, double y1, double z1, const char* m = "BRICK/BRICKWALL001A") {
        w.world += w.Box({ox + x0, oy + y0, z0}, {ox + x1, oy + y1, z1}, m);
    };
    box(-384, -384, -16, 384, 384, 0);
    box(-384, -384, 256, 384, 384, 272, "TOOLS/TOOLSSKYBOX");
    // north, east, south, west walls: whole, or three pieces around a 192 x 192 doorway.
    const double walls[4][4] = {{-384, 368, 384, 384}, {368, -368, 384, 368}, {-384, -384, 384, -368}, {-384, -368, -368, 368}};
    for (int side = 0; side < 4; ++side) {
        const double* r = walls[side];
        if (!open[side]) {
            box(r[0], r[1], 0, r[2], r[3], 256);
        } else if (side % 2 == 0) {
            box(r[0], r[1], 0, -96, r[3], 256);
            box(96, r[1], 0, r[2], r[3], 256);
            box(-96, r[1], 192, 96, r[3], 256);
        } else {
            box(r[0], r[1], 0, r[2], -96, 256);
            box(r[0], 96, 0, r[2], r[3], 256);
            box(r[0], -96, 192, r[2], 96, 256);
        }
    }
    for (int p = 0; p < 4; ++p) {  // pillars
        const double x = p % 2 ? 200 : -232, y = p / 2 ? 200 : -232;
        box(x, y, 0, x + 32, y + 32, 256, "CONCRETE/CONCRETEWALL001A");
    }
    for (int c = 0; c < 6; ++c) box(-300 + c * 96, -120, 0, -300 + c * 96 + 48, -72, 48, "WOOD/WOODCRATE001A");
    for (int s = 0; s < 8; ++s) box(-320 + s * 16, 120, 0, -304 + s * 16, 312, 8 + s * 8);
    box(-160, 200, 64, 160, 312, 72);
    box(-160, 312, 0, 160, 320, 72);

    std::string detail;
    for (int d = 0; d < 3; ++d) detail += w.Box({ox - 40 + d * 30, oy - 8, 0}, {ox - 20 + d * 30, oy + 8, 40}, "METAL/METALRAIL001A");
    w.entities += w.Entity("func_detail", "", detail);
    const std::string name = "guard" + std::to_string(index);
    w.entities += w.Entity("npc_combine_s", "\t\"targetname\" \"" + name + "\"\n" + LevelWriter::Origin(ox + 100, oy + 100, 8));
    w.entities += w.Entity("trigger_once", "\tconnections\n\t{\n\t\t\"OnTrigger\" \"" + name + ",StartPatrolling,,0,-1\"\n\t}\n",
                           w.Box({ox - 64, oy - 64, 0}, {ox + 64, oy + 64, 128}, "TOOLS/TOOLSTRIGGER"));
    w.entities += w.Entity("light", "\t\"_light\" \"255 240 200 300\"\n" + LevelWriter::Origin(ox, oy, 200));
    w.entities += w.Entity("light", "\t\"_light\" \"255 240 200 100\"\n" + LevelWriter::Origin(ox - 300, oy + 300, 200));
    for (int n = 0; n < 3; ++n) w.entities += w.Entity("info_node", LevelWriter::Origin(ox - 200 + n * 150, oy - 250, 8));
    w.entities += w.Entity("item_healthkit", LevelWriter::Origin(ox + 300, oy - 300, 8));
}

// 45 rooms along a snake through a 7 x 7 grid, each joined to the next by a doorway.
std::string FortyFiveRoomLevel(int& brushes) {
    LevelWriter w;
    std::vector<std::pair<int, int>> cells;
    for (int row = 0; row < 7 && cells.size() < 45; ++row)
        for (int c = 0; c < 7 && cells.size() < 45; ++c) cells.push_back({row % 2 ? 6 - c : c, row});
    for (std::size_t i = 0; i < cells.size(); ++i) {
        bool open[4] = {false, false, false, false};  // north, east, south, west
        for (std::size_t j : {i - 1, i + 1}) {
            if (j >= cells.size()) continue;
            const int dx = cells[j].first - cells[i].first, dy = cells[j].second - cells[i].second;
            open[dy > 0 ? 0 : dx > 0 ? 1 : dy < 0 ? 2 : 3] = true;
        }
        AddRoom(w, static_cast<int>(i), cells[i].first * 768.0, cells[i].second * 768.0, open);
    }
    w.entities += w.Entity("info_player_start", LevelWriter::Origin(0, 0, 16));
    brushes = w.brushes;
    return "versioninfo\n{\n\t\"editorversion\" \"400\"\n\t\"mapversion\" \"1\"\n\t\"formatversion\" \"100\"\n}\n"
           "world\n{\n\t\"id\" \"1\"\n\t\"classname\" \"worldspawn\"\n\t\"skyname\" \"sky_day01_01\"\n" +
           w.world + "}\n" + w.entities;
}

struct BenchLevel {
    std::string path;
    std::size_t bytes = 0;
    int brushes = 0;
    BenchLevel() {
        const std::string text = FortyFiveRoomLevel(brushes);
        path = (std::filesystem::temp_directory_path() / "tessellon_bench_45_rooms.vmf").string();
        std::ofstream(path, std::ios::binary) << text;
        bytes = text.size();
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

// CPU time of this thread: the machine is shared, so wall time says more about the neighbours.
double ThreadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double SecondsOf(const std::function<void()>& work, int repeats) {
    double best = 1e30;
    for (int r = 0; r < repeats; ++r) {
        const double t0 = ThreadSeconds();
        work();
        best = std::min(best, ThreadSeconds() - t0);
    }
    return best;
}

void BM_ReadAndSplitFloor(benchmark::State& state) {
    const BenchLevel& level = Level();
    for (auto _ : state) benchmark::DoNotOptimize(ReadAndSplit(level.path));
    state.counters["MB"] = static_cast<double>(level.bytes) / 1e6;
}
BENCHMARK(BM_ReadAndSplitFloor)->Unit(benchmark::kMillisecond);

// Each iteration times one floor run and one check, interleaved, so both see the same load on
// this shared machine; the ratio of the fastest of each is the figure to compare across runs.
void BM_CheckFortyFiveRooms(benchmark::State& state) {
    const BenchLevel& level = Level();
    double bestFloor = 1e30, bestCheck = 1e30;
    for (auto _ : state) {
        bestFloor = std::min(bestFloor, SecondsOf([&] { benchmark::DoNotOptimize(ReadAndSplit(level.path)); }, 1));
        const auto t0 = std::chrono::steady_clock::now();
        const double c0 = ThreadSeconds();
        const tessellon::CheckReport report = tessellon::CheckLevelFile(level.path);
        bestCheck = std::min(bestCheck, ThreadSeconds() - c0);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
        if (!report.Passed() || !report.leak.checked) state.SkipWithError("the bench level should pass");
        benchmark::DoNotOptimize(report.problems.size());
    }
    state.counters["brushes"] = level.brushes;
    state.counters["best_floor_ms"] = bestFloor * 1e3;
    state.counters["best_check_ms"] = bestCheck * 1e3;
    state.counters["x_floor"] = bestCheck / bestFloor;
}
BENCHMARK(BM_CheckFortyFiveRooms)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
