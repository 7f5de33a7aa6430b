#include "cli/cli.h"

#include <cstdlib>

#include "session/errors.h"
#include "session/text_helpers.h"
#include "platform/system_locale.h"

namespace tessellon {

namespace {

const CliCommand kCommands[] = {
    {"build", "build a level headless and write level1.vmf", RunBuildCommand},
    {"check", "check a level file for broken brushes, bad entities and leaks", RunCheckCommand},
    {"maze", "lay out a maze line, or the developer batch of 100 maze pictures", RunMazeCommand},
    {"paths", "show where Steam, the game and the map compilers were found", RunPathsCommand},
    {"rooms", "scan the rooms folder and list the catalogue", RunRoomsCommand},
    {"view", "draw what a player standing in a level or a room sees", RunViewCommand},
};

void PrintHelp(std::ostream& out) {
    out << "Tessellon builds random levels for Half-Life 2 from room pieces.\n\n"
           "Usage: tessellon <command> [options]\n\n"
           "Without a command (or with `gui`) the program opens its window.\n\nCommands:\n";
    for (const auto& c : kCommands)
        out << "  " << c.name << std::string(10 - std::string(c.name).size(), ' ') << c.summary << '\n';
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
        throw UsageError(name + " must be between " + std::to_string(min) + " and " + std::to_string(max) + " (got " +
                         value + ").");
    return static_cast<int>(v);
}

std::string ResolveHome(const std::string& homeOption) {
    if (!homeOption.empty()) return homeOption;
    if (const char* env = std::getenv("TESSELLON_HOME"); env && *env) return env;
    const std::string exe = ExecutableFolder();
    return exe.empty() ? std::string(".") : exe;
}

bool FindProgramFolder(const std::string& command, const std::string& homeOption, std::ostream& err,
                       std::filesystem::path& home) {
    home = ResolveHome(homeOption);
    std::error_code ec;
    if (std::filesystem::is_directory(home, ec)) return true;
    err << "tessellon " << command << ": the program folder " << home.string() << " does not exist.\n";
    return false;
}

bool WantsHelp(const std::vector<std::string>& args) {
    for (const auto& a : args)
        if (a == "--help" || a == "-h") return true;
    return false;
}

bool SessionOptions::Take(const std::string& option, const std::function<const std::string&()>& value) {
    if (option == "--home") {
        home = value();
    } else if (option == "--clock") {
        clock = value();
    } else if (option == "--seed") {
        seed = value();
        double v;
        if (!TryParseNumber(seed, ".", v)) throw UsageError("--seed needs a number, not \"" + seed + "\".");
    } else {
        return false;
    }
    return true;
}

void SessionOptions::TickSeed(BuildSettings& settings) const {
    if (seed.empty()) return;
    settings.CustomSeed = CheckState::Ticked;
    settings.CustomSeedBox = seed;
}

void CommandClock::Freeze(const std::string& clockOption) {
    if (clockOption.empty()) return;
    ClockTime t;
    if (!ParseClockText(clockOption, t))
        throw UsageError("--clock needs \"YYYY-MM-DD HH:MM:SS\", not \"" + clockOption + "\".");
    frozenClock_.Set(t);
    frozen_ = true;
}

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        PrintHelp(out);
        return args.empty() ? kExitUsage : kExitOk;
    }
    for (const auto& c : kCommands) {
        if (args[0] != c.name) continue;
        // Commands report their own endings; these catch what slips past so the user still
        // gets a message instead of an abort.
        try {
            return c.run(std::vector<std::string>(args.begin() + 1, args.end()), out, err);
        } catch (const ProgramEnd& e) {
            err << "tessellon " << c.name << ": " << e.Message() << '\n';
            return e.ExitCode();
        } catch (const std::exception& e) {
            err << "tessellon " << c.name << ": unexpected failure: " << e.what() << '\n';
            return kExitFailed;
        }
    }
    err << "tessellon: unknown command \"" << args[0] << "\". See tessellon --help.\n";
    return kExitUsage;
}

}  // namespace tessellon
