// Stands in for the map compilers, the game and the Steam client in tests. Every run appends
// its argument vector and nice value to <program>.calls; <program>.sleep (seconds) makes it
// wait before it finishes; run as vbsp it writes the compiled level beside the level it was
// given, unless <program>.nobsp exists. <program>.print is printed (about half before the wait,
// the rest after it on the error stream); <program>.leak makes it report a leak as vbsp
// does and write the pointfile; <program>.exit holds the exit status. On Windows the priority
// line holds the priority class (IDLE_PRIORITY_CLASS is 64) instead of the nice value.
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#endif

#include <cctype>
#include <cstdio>
#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

namespace {

bool Exists(const std::string& path) { return static_cast<bool>(std::ifstream(path)); }

std::string BaseNameLower(const std::string& path) {
    const auto slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    for (auto& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string self = argv[0];
#ifdef _WIN32
    const long priority = static_cast<long>(GetPriorityClass(GetCurrentProcess()));
#else
    const int priority = getpriority(PRIO_PROCESS, 0);
#endif
    {
        std::ofstream calls(self + ".calls", std::ios::app);
        calls << "call\npriority " << priority << '\n';
        for (int i = 1; i < argc; ++i) calls << "arg " << argv[i] << '\n';
        calls << "started\n";
    }
    std::printf("%s: working on the level\n", BaseNameLower(self).c_str());
    std::string print;
    if (std::ifstream in(self + ".print", std::ios::binary); in) print.assign(std::istreambuf_iterator<char>(in), {});
    // Split after a whole line, so the two streams never cut one.
    std::size_t half = print.find('\n', print.size() / 2);
    half = half == std::string::npos ? print.size() : half + 1;
    std::fputs(print.substr(0, half).c_str(), stdout);
    const bool vbsp = BaseNameLower(self).rfind("vbsp", 0) == 0 && argc > 1;
    if (vbsp && Exists(self + ".leak")) {
        // As utils/vbsp/vbsp.cpp and leakfile.cpp print a leak.
        std::printf("**** leaked ****\nEntity info_player_start (-512.00 128.00 64.00) leaked!\n");
        std::ofstream(std::string(argv[argc - 1]) + ".lin") << "0 0 0\n-512 128 64\n";
    }
    std::fflush(stdout);

    double seconds = 0;
    if (std::ifstream sleep(self + ".sleep"); sleep) sleep >> seconds;
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    std::fputs(print.substr(half).c_str(), stderr);
    std::fflush(stderr);

    if (vbsp && !Exists(self + ".nobsp"))
        std::ofstream(std::string(argv[argc - 1]) + ".bsp", std::ios::binary) << "compiled " << argv[argc - 1] << '\n';
    std::ofstream(self + ".calls", std::ios::app) << "finished\n";
    int status = 0;
    if (std::ifstream exit(self + ".exit"); exit) exit >> status;
    return status;
}
