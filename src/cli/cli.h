#pragma once
#include <filesystem>
#include <functional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "session/compile_setup.h"
#include "session/settings.h"
#include "platform/clock.h"

namespace tessellon {

class Registry;

// Exit codes of the headless commands.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;  // the work ended through an error (message on the error stream)
constexpr int kExitUsage = 2;   // unknown or out-of-range option; nothing was written

// Runs `tessellon <args>` without a window. args excludes the program name.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// One headless command.
using CommandFn = int (*)(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
struct CliCommand {
    const char* name;
    const char* summary;
    CommandFn run;
};

int RunBuildCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunCheckCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunMazeCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunRoomsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunViewCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunPathsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The account folder a headless compile uses: the saved default account of hl2path.ini when
// no Steam folder or account is named and it is usable, else the named account (or the first
// one with the game and the compilers) under the Steam folder given or found.
struct AccountPick {
    bool ok = false;
    std::string HL2Path, name, how;
    std::vector<std::string> warnings;  // missing vvis or vrad, one box each
    std::string savedProblem;           // why hl2path.ini was not used
    std::string problem;                // why no account could be used
};
AccountPick PickAccount(const std::filesystem::path& home, Registry& registry, const std::string& steamOption,
                        const std::string& accountOption);

// Shared option helpers for the commands.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
// Reads a whole number in [min, max] for option `name`; throws UsageError.
int ParseIntOption(const std::string& name, const std::string& value, int min, int max);
// The program folder: --home, else $TESSELLON_HOME, else the executable's folder.
std::string ResolveHome(const std::string& homeOption);
// ResolveHome, checked: when the folder does not exist, says so as `command` and returns false.
bool FindProgramFolder(const std::string& command, const std::string& homeOption, std::ostream& err,
                       std::filesystem::path& home);
// True when the arguments ask for the command's help.
bool WantsHelp(const std::vector<std::string>& args);

// --home, --clock and --seed mean the same to every command that runs a session.
struct SessionOptions {
    std::string home;
    std::string clock;  // freezes the clock when given
    std::string seed;   // ticks the custom seed when given

    // Takes `option` when it is one of these, reading its value through `value`; throws
    // UsageError for a seed that is not a number.
    bool Take(const std::string& option, const std::function<const std::string&()>& value);
    // Ticks the custom seed in `settings` when --seed was given.
    void TickSeed(BuildSettings& settings) const;
};

// --compiler-runner, --game-start and --steam-program, shared by `build` and the window: takes
// `option` into `setup` when it is one of them; throws UsageError for a bad value.
bool TakeCompileSetupOption(const std::string& option, const std::function<const std::string&()>& value,
                            CompileSetup& setup);

// The clock a command's session runs on: the system clock unless --clock froze it.
class CommandClock {
public:
    // Freezes the clock at the moment `clockOption` names; nothing when it is empty. Throws
    // UsageError when the text is not "YYYY-MM-DD HH:MM:SS".
    void Freeze(const std::string& clockOption);
    Clock& Get() { return frozen_ ? static_cast<Clock&>(frozenClock_) : systemClock_; }

private:
    SystemClock systemClock_;
    FrozenClock frozenClock_{ClockTime{}};
    bool frozen_ = false;
};

}  // namespace tessellon
