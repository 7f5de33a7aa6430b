#pragma once
#include <functional>
#include <optional>
#include <string>

#include "session/compile_report.h"
#include "session/compile_setup.h"

namespace tessellon {

struct Session;
struct BuildSettings;
struct GamePaths;

// Exit codes of the program's end after a compile: the game was started, or a compiler
// could not be stopped.
constexpr int kExitAfterLaunch = 0;
constexpr int kExitFailedEnd = 1;

// Compiles the finished level1.vmf with vbsp, vvis and vrad, moves the compiled level into
// the game's maps folder and starts the game on it. Uses s.HL2Path, s.compile and
// s.processes; the compile panel's RunMapCheck is read from s.CompileRunMapCheck at the
// launch, so the window may change it while the compilers run. A launched game ends the
// program (throws ProgramEnd); so does every error (MapError).
CompileOutcome RunCompilePipeline(Session& s);

// The compile panel's abort command: stops the running compiler and the pipeline.
void AbortCompile(Session& s);

// What a caller of ShellWait may watch: given onSlice, the child's output is captured and
// handed over after every slice (empty when it printed nothing meanwhile); exitCode is the
// child's exit status once it ended by itself.
struct ShellWatch {
    std::function<void(const std::string& output)> onSlice;
    int exitCode = 0;
};

// Starts the command line, sets the process's priority class and waits for it in 50 ms
// slices, yielding before each. The run time in seconds; nullopt when StopCompiler stopped it.
std::optional<double> ShellWait(Session& s, const std::string& commandLine, int windowStyle, int priority,
                                ShellWatch* watch = nullptr);

// Q compiler Q " -v -game " Q gameFolder Q " " Q levelBase Q (the level without extension).
std::string CompilerCommandLine(const std::string& compiler, const std::string& gameFolder,
                                const std::string& levelBase);
// " skill " D ";bind f12 +toggleconsole", with the all-weapons commands when AllWeapons is on.
std::string GameParams(const BuildSettings& settings);
// Q hl2.exe Q " -game " Q gameFolder Q " +map " Q "level1" Q " " params.
std::string GameCommandLine(const GamePaths& paths, const std::string& params);
// The same parameters handed to the game through the Steam client (application 220).
std::string SteamGameCommandLine(const std::string& steamProgram, const GamePaths& paths, const std::string& params);

// The status line once the compiled level is in the maps folder: where it went and how to
// start it, and how many problems the compilers' output showed.
std::string InstalledStatus(const CompileReport& report);
// The status line after "NoMap!": why, as far as the compilers' output tells.
std::string NoMapStatus(const CompileReport& report);

// The backup name for an older compiled level: "backup_N_levelL.bsp" with N = int(r * 1000 + 1);
// when that name is taken, the next free number after it (1000 wraps to 1). Empty when all
// 1000 names are taken.
std::string BackupName(const std::string& mapsFolder, int level, float draw);

}  // namespace tessellon
