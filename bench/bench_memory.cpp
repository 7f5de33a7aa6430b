// Peak resident memory of a whole build with a full 2000-room library. The build runs as a
// child process (the program itself), so the figure is the build's own and not this program's.
#include <sys/wait.h>
#include <unistd.h>

#include "bench_support.h"

namespace {

// Starts the program with `args` and returns its peak resident memory in kB (-1 on failure).
long ChildPeakKb(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    std::string program = TESSELLON_BINARY;
    argv.push_back(program.data());
    std::vector<std::string> copy = args;
    for (auto& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        std::freopen("/dev/null", "w", stdout);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    return usage.ru_maxrss;
}

void BM_PeakMemory2000Rooms(benchmark::State& state) {
    const bench::ProgramFolder home(tessellon::kMaxCatalogueRows);
    // The builds run only as children: a child starts with this process's peak (fork copies it,
    // and exec keeps the larger), so this process builds nothing itself and stays small. The
    // figure is the largest of four seeds' builds at the largest map size.
    long build = -1, idle = 0;
    for (auto _ : state) {
        for (int seed = 1; seed <= 4; ++seed)
            build =
                std::max(build, ChildPeakKb({"build", "--home", home.Path().string(), "--seed", std::to_string(seed),
                                             "--map-size", "35", "--clock", "2026-01-02 10:00:00", "--quiet"}));
        idle = ChildPeakKb({"--help"});
    }
    if (build < 0 || idle < 0) {
        state.SkipWithError("the build did not finish");
        return;
    }
    state.counters["build_peak_MB"] = build / 1024.0;
    state.counters["program_only_MB"] = idle / 1024.0;
    char value[64], floor[64];
    std::snprintf(value, sizeof value, "%.1f MB", build / 1024.0);
    std::snprintf(floor, sizeof floor, "%.1f MB (--help)", idle / 1024.0);
    bench::Record("peak memory 2000 rooms", value, floor, "< 16 MB", build < 16 * 1024);
}
BENCHMARK(BM_PeakMemory2000Rooms)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

TESSELLON_BENCH_MAIN()
