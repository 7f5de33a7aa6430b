#include "cli/cli.h"

#include <cstdlib>

#include "platform/system_locale.h"

namespace tessellon {

namespace {

const CliCommand kCommands[] = {
    {"build", "build a level headless and write level1.vmf", RunBuildCommand},
    {"check", "check a level file for broken brushes, bad entities and leaks", RunCheckCommand},
    {"maze", "lay out a maze line, or the developer batch of 100 maze pictures", RunMazeCommand},
    {"rooms", "scan the rooms folder and list the catalogue", RunRoomsCommand},
};

void PrintHelp(std::ostream& out) {
    out << "Tessellon builds random levels for Half-Life 2 from room pieces.\n\n"
           "Usage: tessellon <command> [options]\n\nCommands:\n";
    for (const auto& c : kCommands) out << "  " << c.name << std::string(10 - std::string(c.name).size(), ' ') << c.summary << '\n';
    out << "\n`tessellon <command> --help` describes a command's options.\n";
}

}  // namespace

int ParseIntOption(const std::string& name, const std::string& value, int min, int max) {
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(value.c_str(), &end, 10);
    if (value.empty() || *end != '\0' || errno != 0)
        throw UsageError(name + " needs a whole number, not \"" + value + "\".");
    if (v < min || v > max)
        throw UsageError(name + " must be between " + std::to_string(min) + " and " + std::to_string(max) +
                         " (got " + value + ").");
    return static_cast<int>(v);
}

std::string ResolveHome(const std::string& homeOption) {
    if (!homeOption.empty()) return homeOption;
    if (const char* env = std::getenv("TESSELLON_HOME"); env && *env) return env;
    const std::string exe = ExecutableFolder();
    return exe.empty() ? std::string(".") : exe;
}

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        PrintHelp(out);
        return args.empty() ? kExitUsage : kExitOk;
    }
    for (const auto& c : kCommands) {
        if (args[0] == c.name) return c.run(std::vector<std::string>(args.begin() + 1, args.end()), out, err);
    }
    err << "tessellon: unknown command \"" << args[0] << "\". See tessellon --help.\n";
    return kExitUsage;
}

}  // namespace tessellon
