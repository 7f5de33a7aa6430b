#pragma once
// Shared by the benchmark programs: where the shipped rooms are, a throw-away program folder,
// the floors the figures are compared with, peak memory, and the summary printed at the end.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "driver/build_driver.h"
#include "session/session.h"
#include "rooms/catalogue.h"

namespace bench {

namespace fs = std::filesystem;

// The rooms the build makes from rooms-src, and the tables shipped beside the program.
inline fs::path ShippedRooms() { return fs::path(TESSELLON_ROOMS_DIR); }
inline fs::path ShippedData() { return fs::path(TESSELLON_SOURCE_DIR) / "data"; }

// The room files of a rooms folder, with their folder.
inline std::vector<fs::path> RoomFiles(const fs::path& folder) {
    std::vector<fs::path> files = tessellon::ListRoomFiles(folder);
    for (auto& f : files) f = folder / f.filename();
    return files;
}

inline std::vector<fs::path> ShippedRoomFiles() {
    std::vector<fs::path> files = RoomFiles(ShippedRooms());
    if (files.empty()) {
        std::fprintf(stderr, "no room files in %s: build the tessellon_rooms target first\n", ShippedRooms().c_str());
        std::exit(2);
    }
    return files;
}

// A program folder in the temp directory with the shipped tables and `roomCount` room files
// (the shipped rooms, copied round-robin under new names once they run out; 0 = each once).
// Removed again on destruction.
class ProgramFolder {
public:
    explicit ProgramFolder(int roomCount = 0) {
        path_ = fs::temp_directory_path() / ("tessellon-bench-" + std::to_string(std::random_device{}()));
        fs::create_directories(path_ / "rooms");
        for (const auto& e : fs::directory_iterator(ShippedData()))
            if (e.is_regular_file()) fs::copy_file(e.path(), path_ / e.path().filename());
        const std::vector<fs::path> shipped = ShippedRoomFiles();
        const int n = roomCount > 0 ? roomCount : static_cast<int>(shipped.size());
        for (int i = 0; i < n; ++i) {
            const fs::path& from = shipped[static_cast<std::size_t>(i) % shipped.size()];
            const std::size_t copy = static_cast<std::size_t>(i) / shipped.size();
            const std::string name =
                copy == 0 ? from.filename().string() : from.stem().string() + "_" + std::to_string(copy) + ".rgr";
            fs::copy_file(from, path_ / "rooms" / name);
        }
    }
    ~ProgramFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

class QuietUi final : public tessellon::Ui {
public:
    void SetStatus(const std::string&) override {}
    void SetProgress(double, int) override {}
    void Yield() override {}
    tessellon::BoxAnswer MessageBox(const std::string&, const std::string&, tessellon::BoxIcon,
                                    tessellon::BoxButtons b) override {
        return b == tessellon::BoxButtons::YesNo ? tessellon::BoxAnswer::Yes : tessellon::BoxAnswer::Ok;
    }
    std::optional<std::string> InputBox(const std::string&, const std::string&, const std::string& d) override {
        return d;
    }
    void LockBuildControls(bool) override {}
};

class NoRegistry final : public tessellon::Registry {
public:
    std::optional<std::string> ReadString(tessellon::RegistryRoot, const std::string&, const std::string&) override {
        return {};
    }
};

// A session on a program folder with a fixed clock, ready for RunCreateCommand.
struct BenchSession {
    QuietUi ui;
    tessellon::FrozenClock clock{tessellon::ClockTime{2026, 1, 2, 10, 0, 0, 0}};
    NoRegistry registry;
    std::unique_ptr<tessellon::Session> s;

    BenchSession(const fs::path& home, int mapSize, int seed) {
        s = std::make_unique<tessellon::Session>(ui, clock, registry, home);
        s->settings.MapSize = mapSize;
        s->settings.CustomSeed = tessellon::CheckState::Ticked;
        s->settings.CustomSeedBox = std::to_string(seed);
        s->RestartCount = 99;  // no confirmation box
    }
    tessellon::Session& operator*() { return *s; }
};

// CPU time of this thread: the machine is shared, so wall time says more about the neighbours.
inline double ThreadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

inline double SecondsOf(const std::function<void()>& work) {
    const double t0 = ThreadSeconds();
    work();
    return ThreadSeconds() - t0;
}

// The floor of reading: every file's bytes through an ifstream, as the room reader opens them.
inline std::size_t ReadFiles(const std::vector<fs::path>& files) {
    static std::string buffer;
    std::size_t bytes = 0;
    for (const auto& f : files) {
        std::ifstream in(f, std::ios::binary);
        in.seekg(0, std::ios::end);
        buffer.resize(static_cast<std::size_t>(in.tellg()));
        in.seekg(0, std::ios::beg);
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        bytes += buffer.size();
    }
    return bytes;
}

// The floor of writing: `text` through an ofstream as the level writer opens its file, line by
// line, then moved over `path` as the finished level is.
inline void WriteLinesLikeLevel(const std::vector<std::string>& lines, const fs::path& path) {
    const fs::path working = path.string() + ".tmp";
    {
        std::ofstream out(working, std::ios::binary | std::ios::trunc);
        for (const auto& l : lines) out << l << "\r\n";
    }
    fs::rename(working, path);
}

inline std::vector<std::string> FileLines(const fs::path& path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
    }
    return lines;
}

// Peak resident memory of this process in kB (VmHWM; getrusage where /proc is missing).
inline long PeakRssKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// One line per figure, printed after every benchmark has run.
struct Figure {
    std::string name, value, floor, target;
    bool met = true;
};
inline std::map<std::string, Figure>& Figures() {
    static std::map<std::string, Figure> figures;
    return figures;
}
inline std::string Ms(double seconds) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.3f ms", seconds * 1e3);
    return buf;
}
inline std::string Ratio(double r) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2fx", r);
    return buf;
}
inline void Record(const std::string& name, const std::string& value, const std::string& floor,
                   const std::string& target, bool met) {
    Figures()[name] = Figure{name, value, floor, target, met};
}

inline int RunAll(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (const auto& [key, f] : Figures())
        std::printf("FIGURE %-28s %-34s floor %-22s target %-22s %s\n", f.name.c_str(), f.value.c_str(),
                    f.floor.empty() ? "-" : f.floor.c_str(), f.target.c_str(), f.met ? "met" : "MISSED");
    return 0;
}

}  // namespace bench

#define TESSELLON_BENCH_MAIN() \
    int main(int argc, char** argv) { return bench::RunAll(argc, argv); }

namespace bench {

// Runs one create command; the room count of the level, or 0 when the build did not finish.
inline int BuildOnce(tessellon::Session& s) {
    try {
        if (tessellon::RunCreateCommand(s) != tessellon::CreateOutcome::Finished) return 0;
    } catch (const std::exception&) {
        return 0;  // e.g. a seed whose level leaves the map's bounds
    }
    return static_cast<int>(s.Plans[1].rooms.size()) - 1;
}

// The seed among the first `tries` whose level at `mapSize` has the room count closest to
// `want` (the most rooms when `want` is 0).
inline int PickSeed(const fs::path& home, int mapSize, int want, int tries = 16) {
    int bestSeed = 1, bestRooms = -1, bestMiss = 1 << 30;
    for (int seed = 1; seed <= tries; ++seed) {
        BenchSession b(home, mapSize, seed);
        tessellon::Categorize(*b);
        const int rooms = BuildOnce(*b);
        if (rooms == 0) continue;
        const int miss = want > 0 ? std::abs(rooms - want) : -rooms;
        if (miss < bestMiss) bestSeed = seed, bestRooms = rooms, bestMiss = miss;
        if (want > 0 && miss == 0) break;
    }
    if (bestRooms < 0) {
        std::fprintf(stderr, "no seed built a level at map size %d\n", mapSize);
        std::exit(2);
    }
    return bestSeed;
}

}  // namespace bench
