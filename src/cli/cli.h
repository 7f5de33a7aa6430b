#pragma once
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace tessellon {

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

// Shared option helpers for the commands.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
// Reads a whole number in [min, max] for option `name`; throws UsageError.
int ParseIntOption(const std::string& name, const std::string& value, int min, int max);
// The program folder: --home, else $TESSELLON_HOME, else the executable's folder.
std::string ResolveHome(const std::string& homeOption);

}  // namespace tessellon
