#include "driver/compile_pipeline.h"

#include <cctype>
#include <filesystem>
#include <system_error>

#include "session/errors.h"
#include "session/report.h"
#include "session/session.h"
#include "paths/accounts.h"
#include "platform/process_runner.h"

namespace tessellon {

namespace fs = std::filesystem;

namespace {

const char* const kAppTitle = "Tessellon 0.9.34";

[[maybe_unused]] bool EndsWithExe(const std::string& path) {
    if (path.size() < 4) return false;
    std::string tail = path.substr(path.size() - 4);
    for (auto& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return tail == ".exe";
}

// A program name goes into a command line bare when it needs no quotes, so the logged line
// reads as the user would type it.
std::string QuoteIfNeeded(const std::string& word) {
    if (!word.empty() && word.find_first_of(" \t\"") == std::string::npos) return word;
    return QuoteArgument(word);
}

// What goes before a compiler's command line so it can run here: Wine for a Windows program
// on another system, when it is installed.
std::string RunnerPrefix(const Session& s, const std::string& compiler) {
    switch (s.compile.runner) {
    case CompilerRunner::Direct:
        return {};
    case CompilerRunner::Program:
        return s.compile.runnerProgram.empty() ? std::string() : QuoteIfNeeded(s.compile.runnerProgram) + " ";
    case CompilerRunner::Automatic:
        break;
    }
#ifdef _WIN32
    (void)compiler;
    return {};
#else
    if (EndsWithExe(compiler) && ProgramAvailable(s.compile.runnerProgram))
        return QuoteIfNeeded(s.compile.runnerProgram) + " ";
    return {};
#endif
}

bool StartsThroughSteam(const Session& s, const GamePaths& paths) {
    switch (s.compile.gameStart) {
    case GameStart::Direct: return false;
    case GameStart::ThroughSteam: return true;
    case GameStart::Automatic: break;
    }
#ifdef _WIN32
    (void)paths;
    return false;
#else
    return EndsWithExe(paths.gameExe);
#endif
}

void CloseLog(Session& s) {
    if (s.log.file.is_open()) s.log.file.close();
}

// Moves a file without ever replacing one: false when the target exists or the move fails,
// and then the source is where it was. Across drives the file is copied under a temporary
// name first.
bool MoveWithoutReplacing(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    if (fs::exists(to, ec) || !fs::exists(from, ec)) return false;
    fs::rename(from, to, ec);
    if (!ec) return true;
    if (ec != std::errc::cross_device_link) return false;
    fs::path temp = to;
    temp += ".tmp";
    if (!fs::copy_file(from, temp, fs::copy_options::overwrite_existing, ec)) {
        fs::remove(temp, ec);
        return false;
    }
    fs::rename(temp, to, ec);
    if (ec) {
        fs::remove(temp, ec);
        return false;
    }
    fs::remove(from, ec);
    return true;
}

// The move step: an older compiled level goes to a backup name, then the new one moves in.
bool MoveCompiledLevel(Session& s, const GamePaths& paths, int level) {
    const fs::path maps(paths.mapsFolder);
    std::error_code ec;
    if (!fs::is_directory(maps, ec) && fs::is_directory(paths.gameFolder, ec)) fs::create_directory(maps, ec);
    const std::string name = "level" + std::to_string(level) + ".bsp";
    const fs::path target = maps / name;
    if (fs::exists(target, ec)) {
        const std::string backup = BackupName(paths.mapsFolder, level, s.random.Draw());
        if (backup.empty() || !MoveWithoutReplacing(target, maps / backup)) return false;
    }
    return MoveWithoutReplacing(fs::absolute(s.programFolder, ec) / name, target);
}

// Runs one compiler; a compiler that is not there or cannot be started ends the build with
// a message naming it.
void RunCompiler(Session& s, const std::string& compiler, const std::string& commandLine, int windowStyle) {
    if (!FileExists(compiler))
        MapError(s, "The compiler " + compiler + " could not be found. Check the account's sourcesdk\\bin folder.", false);
    std::string output;
    if (s.settings.WriteLogFile && s.log.opened && s.log.file.is_open()) {
        s.log.file.flush();
        output = s.log.path.string();
    }
    try {
        ShellWait(s, RunnerPrefix(s, compiler) + commandLine, windowStyle, kIdlePriorityClass, output);
    } catch (const ProcessStartError& e) {
        MapError(s, "The compiler " + compiler + " could not be started: " + e.Program() + " (" +
                        std::to_string(e.Code()) + " " + e.Description() + ").", false);
    }
}

void Launch(Session& s, const GamePaths& paths) {
    const std::string params = GameParams(s.settings);
    MrProg(s, 100);
    Log(s, "Compilation complete! Running HL2...." + params);
    const std::string line = StartsThroughSteam(s, paths) ? SteamGameCommandLine(s.compile.steamProgram, paths, params)
                                                           : GameCommandLine(paths, params);
    Log(s, "Start Parameters: " + line);
    StartOptions options;
    options.windowStyle = kWindowNormalFocus;
    s.processes->Start(line, options);
    CloseLog(s);
    throw ProgramEnd(kExitAfterLaunch, "Half-Life 2 was started on level1.");
}

}  // namespace

std::string CompilerCommandLine(const std::string& compiler, const std::string& gameFolder, const std::string& levelBase) {
    return QuoteArgument(compiler) + " -v -game " + QuoteArgument(gameFolder) + " " + QuoteArgument(levelBase);
}

std::string GameParams(const BuildSettings& settings) {
    std::string p = " skill " + std::to_string(settings.GameDifficulty) + ";bind f12 +toggleconsole";
    if (settings.AllWeapons) p += " ;sv_cheats = 1;impulse 101;impulse 101;echo All weapons enabled;";
    return p;
}

std::string GameCommandLine(const GamePaths& paths, const std::string& params) {
    return QuoteArgument(paths.gameExe) + " -game " + QuoteArgument(paths.gameFolder) + " +map " +
           QuoteArgument("level1") + " " + params;
}

std::string SteamGameCommandLine(const std::string& steamProgram, const GamePaths& paths, const std::string& params) {
    return QuoteIfNeeded(steamProgram) + " -applaunch 220 -game " + QuoteArgument(paths.gameFolder) + " +map " +
           QuoteArgument("level1") + " " + params;
}

std::string BackupName(const std::string& mapsFolder, int level, float draw) {
    const int first = static_cast<int>(draw * 1000 + 1);
    std::error_code ec;
    for (int k = 0; k < 1000; ++k) {
        const int n = (first - 1 + k) % 1000 + 1;
        const std::string name = "backup_" + std::to_string(n) + "_level" + std::to_string(level) + ".bsp";
        if (!fs::exists(fs::path(mapsFolder) / name, ec)) return name;
    }
    return {};
}

void AbortCompile(Session& s) {
    s.StopCompiler = true;
    s.CompileAborted = true;
    s.ui.ShowCompilePanel(false);
    Log(s, "Aborted compilation...");
}

std::optional<double> ShellWait(Session& s, const std::string& commandLine, int windowStyle, int priority,
                                const std::string& outputFile) {
    StartOptions options;
    options.windowStyle = windowStyle;
    options.idlePriority = priority == kIdlePriorityClass;
    options.outputFile = outputFile;
    std::unique_ptr<ChildProcess> child = s.processes->Start(commandLine, options);
    s.ui.Yield();
    if (!child->SetPriorityClass(priority))
        s.ui.MessageBox(kAppTitle, "ERROR: Could not set priority!", BoxIcon::Critical, BoxButtons::Ok);
    s.StopCompiler = false;
    const float started = SecondsSinceMidnight(s.clock.Now());
    WaitResult result;
    do {
        s.ui.Yield();
        result = child->Wait(50);
        if (s.StopCompiler) {
            if (child->Terminate(0)) return std::nullopt;
            s.ui.MessageBox("Warning!", "Fatal error! Could not close compiler! Vornic will now exit...",
                            BoxIcon::Critical, BoxButtons::Ok);
            CloseLog(s);
            throw ProgramEnd(kExitFailedEnd, "Could not close compiler!");
        }
    } while (result == WaitResult::TimedOut);
    if (result == WaitResult::Failed)
        Log(s, "Lost track of a compiler process; going on with the next step.", false, true);
    return SecondsSinceMidnight(s.clock.Now()) - started;
}

CompileOutcome RunCompilePipeline(Session& s) {
    Ui& ui = s.ui;
    if (ui.MessageBox("Generating done!",
                      "Tessellon have now built the map. The map needs to be compiled before it can be played and "
                      "the compiler will start now!",
                      BoxIcon::Information, BoxButtons::OkCancel) != BoxAnswer::Ok &&
        ui.MessageBox("Abort?",
                      "Warning! You are currently aborting the compile process! The map needs to be compiled before "
                      "it can be played. Are you sure that you want to cancel?",
                      BoxIcon::Critical, BoxButtons::YesNo) == BoxAnswer::Yes)
        return CompileOutcome::Declined;

    s.CompileAborted = false;
    s.CompileRunMapCheck = s.settings.RunMapAfterCompile;
    ui.ShowCompilePanel(true);
    const int windowStyle = s.settings.CompilerUnhidden ? kWindowMinimizedNoFocus : kWindowHidden;
    const GamePaths paths = GamePathsFor(s.HL2Path);
    std::error_code ec;
    const fs::path folder = fs::absolute(s.programFolder, ec);

    const int levelCount = 1;
    for (int level = 1; level <= levelCount; ++level) {
        const double base = (level - 1) * 100.0 / levelCount;
        ui.SetStatus("Compiling map structures, please wait....");
        ui.Yield();
        const std::string levelBase = (folder / ("level" + std::to_string(level))).string();
        struct Step {
            double progress;
            const char* name;
            const std::string& compiler;
        };
        const Step steps[] = {{25, "BSP", paths.vbsp}, {50, "VIS", paths.vvis}, {75, "RAD", paths.vrad}};
        for (const Step& step : steps) {
            MrProg(s, base + step.progress / levelCount);
            Log(s, std::string("Running ") + step.name + " at " + TimeText(s.clock.Now()));
            // An abort pressed while the status was shown need not wait for another compiler.
            if (!s.CompileAborted)
                RunCompiler(s, step.compiler, CompilerCommandLine(step.compiler, paths.gameFolder, levelBase), windowStyle);
            if (s.CompileAborted) {
                ui.ShowCompilePanel(false);
                return CompileOutcome::Aborted;
            }
        }
        Log(s, "Moving level " + std::to_string(level) + " to hl2/maps folder...", false, true);
        if (!MoveCompiledLevel(s, paths, level)) {
            ui.MessageBox("NoMap!",
                          "The compiler didn't produce any map so there was probably some errors with it. If you "
                          "want to compile the map manually, (preferably in hammer) the map lies here: " +
                              (folder / "level1.vmf").string() + " I'm sorry, this error is very unexpected.",
                          BoxIcon::Information, BoxButtons::Ok);
            ui.ShowCompilePanel(false);
            return CompileOutcome::NoMap;
        }
        MrProg(s, base + 100.0 / levelCount);
    }

    // From the move to the launch, any failure is a general error of the compile.
    try {
        if (!s.CompileRunMapCheck &&
            ui.MessageBox("Sure?", "Compiling done! Are you sure that you dont want hl2 to launch now?",
                          BoxIcon::Information, BoxButtons::YesNo) == BoxAnswer::Yes) {
            ui.ShowCompilePanel(false);
            return CompileOutcome::LaunchDeclined;
        }
        Launch(s, paths);
    } catch (const ProgramEnd&) {
        throw;
    } catch (const ProcessStartError& e) {
        Log(s, "Could not start " + e.Program() + ": " + e.Description());
        MapError(s, "A general script error has occoured!", true,
                 "Error occoured in Compile Main! (" + std::to_string(e.Code()) + " " + e.Description() + ": " +
                     e.Program() + ")");
    } catch (const std::system_error& e) {
        MapError(s, "A general script error has occoured!", true,
                 "Error occoured in Compile Main! (" + std::to_string(e.code().value()) + " " + e.what() + ")");
    } catch (const std::exception& e) {
        MapError(s, "A general script error has occoured!", true,
                 std::string("Error occoured in Compile Main! (5 ") + e.what() + ")");
    }
    return CompileOutcome::LaunchDeclined;
}

}  // namespace tessellon
