#include "driver/compile_pipeline.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "driver/compile_problems.h"
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
    const fs::path compiled = fs::absolute(s.programFolder, ec) / name;
    // Without a new level the one in the game stays where it is, under its own name.
    if (!fs::exists(compiled, ec)) return false;
    if (fs::exists(target, ec)) {
        const std::string backup = BackupName(paths.mapsFolder, level, s.random.Draw());
        if (backup.empty() || !MoveWithoutReplacing(target, maps / backup)) return false;
    }
    return MoveWithoutReplacing(compiled, target);
}

// One compile as it is shown and kept: the report's rows and problems, compile.log with the
// whole output, and (with the log file on) the output in the log file as well.
class CompileRun {
public:
    CompileRun(Session& s, const fs::path& logFile) : s_(s), report_(s.compileReport) {
        report_ = CompileReport{};
        for (const char* name : {"vbsp", "vvis", "vrad"}) report_.rows.push_back({name});
        report_.logFile = logFile.string();
        log_.open(logFile, std::ios::binary | std::ios::trunc);
        const ClockTime now = s.clock.Now();
        Write("Tessellon compile, " + DateText(now) + " " + TimeText(now) + "\n");
    }

    CompileReport& Report() { return report_; }
    void Show(const std::string& output = "") { s_.ui.ShowCompileProgress(report_, output); }

    // Runs compiler `index` of the rows; false when the compile panel's abort stopped it.
    bool Run(std::size_t index, const std::string& compiler, const std::string& commandLine, int windowStyle) {
        if (!FileExists(compiler))
            MapError(s_, "The compiler " + compiler + " could not be found. Check the account's sourcesdk\\bin folder.", false);
        CompilerRow& row = report_.rows[index];
        const std::string line = RunnerPrefix(s_, compiler) + commandLine;
        Write("\n== " + row.name + ": " + line + "\n");
        row.state = CompilerState::Running;
        const double started = MonotonicSeconds();
        Show();
        ShellWatch watch;
        watch.onSlice = [&](const std::string& output) {
            row.seconds = MonotonicSeconds() - started;
            if (!output.empty()) {
                Write(output);
                if (s_.settings.WriteLogFile && s_.log.file.is_open()) {
                    s_.log.file << output;
                    s_.log.file.flush();
                }
                reader_.Feed(report_, row.name, output);
            }
            Show(output);
        };
        std::optional<double> ran;
        try {
            ran = ShellWait(s_, line, windowStyle, kIdlePriorityClass, &watch);
        } catch (const ProcessStartError& e) {
            MapError(s_, "The compiler " + compiler + " could not be started: " + e.Program() + " (" +
                             std::to_string(e.Code()) + " " + e.Description() + ").", false);
        }
        row.seconds = MonotonicSeconds() - started;
        row.state = ran ? CompilerState::Finished : CompilerState::Stopped;
        row.exitCode = ran ? watch.exitCode : 0;
        reader_.Ended(report_, row.name, row.exitCode, !ran);
        char tail[96];
        if (ran)
            std::snprintf(tail, sizeof tail, "finished with exit status %d after %.1f s", row.exitCode, row.seconds);
        else
            std::snprintf(tail, sizeof tail, "stopped after %.1f s", row.seconds);
        Write("\n== " + row.name + " " + tail + "\n");
        Show();
        return ran.has_value();
    }

    // The compile is over: the problems go to the end of compile.log.
    void Finish() {
        report_.finished = true;
        if (!report_.problems.empty()) {
            Write("\n== What went wrong\n");
            for (const auto& p : report_.problems)
                Write(ProblemTitle(p) + ": " + ProblemExplanation(p, report_) + "\n");
        }
        if (!report_.installedLevel.empty()) Write("\n== The level is in " + report_.installedLevel + "\n");
        log_.close();
        Show();
    }

private:
    void Write(const std::string& text) {
        if (!log_.is_open()) return;
        log_ << text;
        log_.flush();
    }

    Session& s_;
    CompileReport& report_;
    CompileOutputReader reader_;
    std::ofstream log_;
};

// A compiled level in the program folder that this compile did not make must never reach the
// maps folder: before vbsp runs, the old one goes (with the pointfile of an old leak).
void RemoveStaleLevel(Session& s, const fs::path& folder, int level) {
    const std::string stem = "level" + std::to_string(level);
    for (const char* ext : {".bsp", ".lin"}) {
        const fs::path old = folder / (stem + ext);
        std::error_code ec;
        if (!fs::exists(old, ec)) continue;
        if (fs::remove(old, ec)) continue;
        // A file that cannot be removed (held open elsewhere) is moved out of the move's way.
        fs::path aside = old;
        aside += ".old";
        fs::remove(aside, ec);
        fs::rename(old, aside, ec);
        if (ec && ext == std::string(".bsp"))
            MapError(s, "The compiled level " + old.string() + " of an earlier compile could not be removed (" +
                            ec.message() + "). Close the program that holds it and compile again.", false);
    }
}

// What a compiler left unfinished (stopped, or vbsp ending with an error) is no level.
void DiscardUnfinishedLevel(const fs::path& folder, int level) {
    std::error_code ec;
    fs::remove(folder / ("level" + std::to_string(level) + ".bsp"), ec);
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

namespace {

std::string ProblemSummary(const CompileReport& r) {
    std::string titles;
    for (std::size_t i = 0; i < r.problems.size(); ++i) titles += (i ? "; " : "") + ProblemTitle(r.problems[i]);
    return titles;
}

}  // namespace

std::string InstalledStatus(const CompileReport& r) {
    std::string text = "Compiled into " + r.installedLevel +
                       ". To play it, start Half-Life 2, open the console and type: map level1";
    if (!r.problems.empty()) text += ". The compilers reported: " + ProblemSummary(r) + " (see " + r.logFile + ")";
    return text;
}

std::string NoMapStatus(const CompileReport& r) {
    if (r.problems.empty()) return "No level was compiled; the compilers' whole output is in " + r.logFile;
    return "No level was compiled: " + ProblemSummary(r) + ". The whole output is in " + r.logFile;
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
                                ShellWatch* watch) {
    StartOptions options;
    options.windowStyle = windowStyle;
    options.idlePriority = priority == kIdlePriorityClass;
    options.captureOutput = watch && watch->onSlice;
    std::unique_ptr<ChildProcess> child = s.processes->Start(commandLine, options);
    s.ui.Yield();
    if (!child->SetPriorityClass(priority))
        s.ui.MessageBox(kAppTitle, "ERROR: Could not set priority!", BoxIcon::Critical, BoxButtons::Ok);
    s.StopCompiler = false;
    const float started = SecondsSinceMidnight(s.clock.Now());
    WaitResult result;
    std::string output;
    do {
        s.ui.Yield();
        result = child->Wait(50);
        if (options.captureOutput) {
            // After the end, whatever is still in the pipe.
            output.clear();
            child->ReadOutput(output);
            watch->onSlice(output);
        }
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
    if (watch) watch->exitCode = child->ExitCode();
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
    std::error_code ec;
    const fs::path folder = fs::absolute(s.programFolder, ec);
    CompileRun run(s, folder / "compile.log");
    ui.ShowCompilePanel(true);
    run.Show();
    const int windowStyle = s.settings.CompilerUnhidden ? kWindowMinimizedNoFocus : kWindowHidden;
    const GamePaths paths = GamePathsFor(s.HL2Path);

    const int levelCount = 1;
    for (int level = 1; level <= levelCount; ++level) {
        const double base = (level - 1) * 100.0 / levelCount;
        ui.SetStatus("Compiling map structures, please wait....");
        ui.Yield();
        const std::string levelBase = (folder / ("level" + std::to_string(level))).string();
        RemoveStaleLevel(s, folder, level);
        struct Step {
            double progress;
            const char* name;
            const std::string& compiler;
        };
        const Step steps[] = {{25, "BSP", paths.vbsp}, {50, "VIS", paths.vvis}, {75, "RAD", paths.vrad}};
        for (std::size_t i = 0; i < 3; ++i) {
            const Step& step = steps[i];
            MrProg(s, base + step.progress / levelCount);
            Log(s, std::string("Running ") + step.name + " at " + TimeText(s.clock.Now()));
            // An abort pressed while the status was shown need not wait for another compiler.
            if (!s.CompileAborted)
                run.Run(i, step.compiler, CompilerCommandLine(step.compiler, paths.gameFolder, levelBase), windowStyle);
            if (s.CompileAborted) {
                DiscardUnfinishedLevel(folder, level);
                run.Finish();
                ui.ShowCompilePanel(false);
                return CompileOutcome::Aborted;
            }
            if (i == 0) {
                // A vbsp that failed may have left half a level; vvis and vrad still run, and the
                // missing level shows at the move.
                if (run.Report().rows[0].exitCode != 0) DiscardUnfinishedLevel(folder, level);
                const fs::path pointFile = folder / ("level" + std::to_string(level) + ".lin");
                if (fs::exists(pointFile, ec)) run.Report().pointFile = pointFile.string();
            }
        }
        Log(s, "Moving level " + std::to_string(level) + " to hl2/maps folder...", false, true);
        if (!MoveCompiledLevel(s, paths, level)) {
            run.Finish();
            ui.MessageBox("NoMap!",
                          "The compiler didn't produce any map so there was probably some errors with it. If you "
                          "want to compile the map manually, (preferably in hammer) the map lies here: " +
                              (folder / "level1.vmf").string() + " I'm sorry, this error is very unexpected.",
                          BoxIcon::Information, BoxButtons::Ok);
            ui.ShowCompilePanel(false);
            ui.SetStatus(NoMapStatus(run.Report()));
            return CompileOutcome::NoMap;
        }
        run.Report().installedLevel = (fs::path(paths.mapsFolder) / ("level" + std::to_string(level) + ".bsp")).string();
        MrProg(s, base + 100.0 / levelCount);
    }
    run.Finish();
    Log(s, InstalledStatus(run.Report()));

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
