#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <memory>
#include <thread>

#include "driver/auto_restart.h"
#include "driver/build_driver.h"
#include "driver/compile_pipeline.h"
#include "driver/level_record.h"
#include "session/errors.h"
#include "session/report.h"
#include "session/session.h"
#include "cli/cli.h"
#include "cli/headless_ui.h"
#include "entities/sun.h"
#include "paths/accounts.h"
#include "session/text_helpers.h"
#include "rooms/catalogue.h"

namespace tessellon {

namespace {

// The help names the map size range as text; keep it with the settings' range.
static_assert(kMapSizeMin == 5 && kMapSizeMax == 35, "the build help below names the map size range");

const char* const kBuildHelp =
    "Usage: tessellon build [options]\n"
    "Builds one level from the rooms and tables of the program folder and writes level1.vmf.\n\n"
    "  --home DIR                   program folder (default: $TESSELLON_HOME, else the executable's folder)\n"
    "  --seed N                     tick the custom seed with the number N\n"
    "  --clock \"YYYY-MM-DD HH:MM:SS\" freeze the clock; with --seed two runs write identical files\n"
    "  --map-size 5..35             (20)    --enemy-difficulty 0..10  (5)\n"
    "  --new-weapons 0..10          (5)     --weapon-ammo 0..10       (5)\n"
    "  --game-difficulty 1..3       (2)     --alien-combine-balance 0..20 (10)\n"
    "  --time-of-day 0..48          (24, in half hours)\n"
    "  --moon 1..5                  (3)     --season summer|autumn|winter|spring (spring)\n"
    "  --latitude DEG               -90..90\n"
    "  --all-weapons  --no-monsters  --skip-lights  --write-log-file  --detailed-status\n"
    "  --quiet                      no status lines\n"
    "  --restart-delay MS           wait between the automatic restart's countdown steps (1000)\n"
    "  --replay RECORD              build again the level a record describes (level1.txt, written beside\n"
    "                               every level1.vmf): the same options, sun, rooms and clock readings give\n"
    "                               a byte-identical level1.vmf; the level's own options cannot be given\n\n"
    "Compiling (after the level file is written):\n"
    "  --compile                    run vbsp, vvis and vrad on the level and move level1.bsp into the\n"
    "                               game's maps folder (an older one is kept as backup_N_level1.bsp)\n"
    "  --run-map                    then start Half-Life 2 on it (without it, the question whether to\n"
    "                               leave the game unstarted is answered Yes)\n"
    "  --compiler-unhidden          run the compilers in a window of their own (Windows)\n"
    "  --steam DIR                  the Steam folder (default: spath.idf, the registry, the usual folders)\n"
    "  --account NAME               the account folder under steamapps (default: the saved default\n"
    "                               account of hl2path.ini, else the first with the game and compilers)\n"
    "  --compiler-runner PROG|none  run the .exe compilers through PROG (default: wine when installed,\n"
    "                               on systems other than Windows)\n"
    "  --game-start auto|direct|steam  start hl2.exe itself or through `steam -applaunch 220` (auto:\n"
    "                               directly on Windows, through Steam elsewhere)\n"
    "  --steam-program PROG         the Steam client to start the game with (steam)\n"
    "The compile's first question is answered OK. The compilers' output is shown as it comes (not with\n"
    "--quiet) and kept in compile.log in the program folder; known problems (a leak, a material or model\n"
    "not found, a prop_static with a physics model, an engine limit, a crash) are explained at the end.\n"
    "A compiler that is missing or cannot be started ends the run with a message naming it; \"NoMap!\"\n"
    "means this compile made no level1.bsp (an older one is never moved in).\n\n"
    "Status lines go to stderr with the progress in per cent. Message boxes are printed with their\n"
    "title; OK/Cancel questions (the confirmation) are answered OK, Yes/No questions Yes, and the\n"
    "input box takes its default answer. Ctrl-C aborts the build like the abort command, and\n"
    "during the compile stops the running compiler like the compile panel's abort command.\n"
    "When a room leaves the map's bounds the build restarts by itself after a countdown, at most\n"
    "20 times; each restart is shown.\n\n"
    "Exit status: 0 the level file was written (and, with --compile, compiled and moved, or the game\n"
    "started); 1 the build or compile ended with an error (message on stderr), was aborted, or no\n"
    "compiled level reached the maps folder; 2 usage error (nothing written).\n";

struct BuildOptions {
    SessionOptions session;
    std::string replay;            // a level record to build again
    bool levelOptionGiven = false; // an option that shapes the level (the record holds those)
    bool quiet = false;
    int restartDelayMs = 1000;
    BuildSettings settings;
    bool compile = false;
    std::string steam, account;
    CompileSetup setup;
};

BuildOptions ParseBuildOptions(const std::vector<std::string>& args) {
    BuildOptions o;
    auto& st = o.settings;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) throw UsageError(a + " needs a value.");
            return args[++i];
        };
        if (a == "--replay") {
            o.replay = value();
            continue;
        }
        if (a != "--home" && a != "--quiet" && a != "--restart-delay" && a != "--compile" && a != "--run-map" &&
            a != "--compiler-unhidden" && a != "--steam" && a != "--account" && a != "--write-log-file" &&
            a != "--detailed-status" && a != "--compiler-runner" && a != "--game-start" && a != "--steam-program")
            o.levelOptionGiven = true;
        if (o.session.Take(a, value)) continue;
        if (a == "--map-size") st.MapSize = ParseIntOption(a, value(), kMapSizeMin, kMapSizeMax);
        else if (a == "--enemy-difficulty") st.EnemyDifficulty = ParseIntOption(a, value(), 0, 10);
        else if (a == "--new-weapons") st.NewWeapons = ParseIntOption(a, value(), 0, 10);
        else if (a == "--weapon-ammo") st.WeaponAmmo = ParseIntOption(a, value(), 0, 10);
        else if (a == "--game-difficulty") st.GameDifficulty = ParseIntOption(a, value(), 1, 3);
        else if (a == "--alien-combine-balance") st.AlienCombineBalance = ParseIntOption(a, value(), 0, 20);
        else if (a == "--time-of-day") st.TimeOfDay = ParseIntOption(a, value(), 0, 48);
        else if (a == "--moon") st.Moon = ParseIntOption(a, value(), 1, 5);
        else if (a == "--season") {
            const std::string v = value();
            if (v == "summer") st.season = Season::Summer;
            else if (v == "autumn") st.season = Season::Autumn;
            else if (v == "winter") st.season = Season::Winter;
            else if (v == "spring") st.season = Season::Spring;
            else throw UsageError("--season must be summer, autumn, winter or spring (got \"" + v + "\").");
        }
        else if (a == "--latitude") {
            double lat;
            const std::string v = value();
            if (!TryParseNumber(v, ".", lat) || lat < -90 || lat > 90)
                throw UsageError("--latitude needs a number of degrees between -90 and 90 (got \"" + v + "\").");
            st.Latitude = lat;
        }
        else if (a == "--all-weapons") st.AllWeapons = true;
        else if (a == "--no-monsters") st.NoMonsters = true;
        else if (a == "--skip-lights") st.SkipLights = true;
        else if (a == "--write-log-file") st.WriteLogFile = true;
        else if (a == "--detailed-status") st.DetailedStatus = true;
        else if (a == "--quiet") o.quiet = true;
        else if (a == "--compile") o.compile = true;
        else if (a == "--run-map") st.RunMapAfterCompile = true;
        else if (a == "--compiler-unhidden") st.CompilerUnhidden = true;
        else if (a == "--steam") o.steam = value();
        else if (a == "--account") o.account = value();
        else if (TakeCompileSetupOption(a, value, o.setup)) continue;
        else if (a == "--restart-delay") o.restartDelayMs = ParseIntOption(a, value(), 0, 10000);
        else throw UsageError("unknown option \"" + a + "\". See tessellon build --help.");
    }
    o.session.TickSeed(st);
    if (!o.replay.empty() && o.levelOptionGiven)
        throw UsageError("--replay builds the level its record describes; options that shape the level (the seed, "
                         "the clock, the sliders and boxes) cannot go with it.");
    if (!o.compile && (st.RunMapAfterCompile || st.CompilerUnhidden || !o.steam.empty() || !o.account.empty()))
        throw UsageError("--run-map, --compiler-unhidden, --steam and --account go with --compile.");
    return o;
}

// What a compile after the build came to, as the command's result.
int CompileExitCode(const Session& s, std::ostream& out, std::ostream& err) {
    if (!s.LastCompile) return kExitOk;
    switch (*s.LastCompile) {
    case CompileOutcome::LaunchDeclined:
        out << GamePathsFor(s.HL2Path).mapsFolder << "level1.bsp\n";
        return kExitOk;
    case CompileOutcome::Declined:
        return kExitOk;
    case CompileOutcome::Aborted:
        err << "tessellon build: the compile was aborted; level1.vmf is in the program folder.\n";
        return kExitFailed;
    case CompileOutcome::NoMap:
        err << "tessellon build: no compiled level reached the maps folder.\n";
        return kExitFailed;
    }
    return kExitFailed;
}

}  // namespace

bool TakeCompileSetupOption(const std::string& a, const std::function<const std::string&()>& value,
                            CompileSetup& setup) {
    if (a == "--compiler-runner") {
        const std::string v = value();
        if (v == "none") setup.runner = CompilerRunner::Direct;
        else if (v == "auto") setup.runner = CompilerRunner::Automatic;
        else {
            setup.runner = CompilerRunner::Program;
            setup.runnerProgram = v;
        }
    } else if (a == "--game-start") {
        const std::string v = value();
        if (v == "auto") setup.gameStart = GameStart::Automatic;
        else if (v == "direct") setup.gameStart = GameStart::Direct;
        else if (v == "steam") setup.gameStart = GameStart::ThroughSteam;
        else throw UsageError("--game-start must be auto, direct or steam (got \"" + v + "\").");
    } else if (a == "--steam-program") {
        setup.steamProgram = value();
    } else {
        return false;
    }
    return true;
}

int RunBuildCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (WantsHelp(args)) {
        out << kBuildHelp;
        return kExitOk;
    }
    BuildOptions opts;
    CommandClock clock;
    try {
        opts = ParseBuildOptions(args);
        clock.Freeze(opts.session.clock);
    } catch (const UsageError& e) {
        err << "tessellon build: " << e.what() << '\n';
        return kExitUsage;
    }
    std::filesystem::path home;
    if (!FindProgramFolder("build", opts.session.home, err, home)) return kExitUsage;

    std::optional<LevelRecord> record;
    if (!opts.replay.empty()) {
        std::ifstream in(opts.replay, std::ios::binary);
        if (!in) {
            err << "tessellon build: the level record " << opts.replay << " cannot be read.\n";
            return kExitUsage;
        }
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::string problem;
        record = ParseLevelRecord(text, problem);
        if (!record) {
            err << "tessellon build: " << opts.replay << " cannot be replayed: " << problem << '\n';
            return kExitUsage;
        }
    }

    HeadlessUi ui(err);
    ui.SetQuiet(opts.quiet);
    SystemRegistry registry;
    // The game and the compilers are looked for before the build, so a missing one costs no build.
    AccountPick account;
    if (opts.compile) {
        account = PickAccount(home, registry, opts.steam, opts.account);
        if (!account.ok) {
            err << "tessellon build: cannot compile: " << account.problem << '\n';
            return kExitFailed;
        }
        for (const auto& w : account.warnings) ui.MessageBox("Warning!", w, BoxIcon::Critical, BoxButtons::Ok);
    }
    auto session = std::make_unique<Session>(ui, clock.Get(), registry, home);
    Session& s = *session;
    s.settings = opts.settings;
    s.HL2Path = account.HL2Path;
    s.compile = opts.setup;
    s.compile.afterBuild = opts.compile;
    // The window recomputes the sun as its controls change; here the options are set once.
    CalcSunAngle(s);
    HeadlessUi::InstallInterruptHandler();
    // Ctrl-C is the abort command of whatever runs: the build, or the compile panel's.
    ui.OnInterrupt([&s, &ui] {
        if (ui.CompilePanelShown())
            AbortCompile(s);
        else
            AbortBuild(s);
    });

    try {
        // Start-up order: the catalogue first, then the decimal symbol.
        Categorize(s);
        SetCorrectPC(s);
        if (record) {
            if (auto problem = ApplyLevelRecord(s, *record)) {
                err << "tessellon build: " << opts.replay << " cannot be replayed: " << *problem << '\n';
                return kExitFailed;
            }
        }
        const RestartReport report = RunWithAutomaticRestart(
            s, [&s] { return RunCreateCommand(s); },
            [&opts](int ms) {
                if (opts.restartDelayMs > 0 && ms > 0)
                    std::this_thread::sleep_for(std::chrono::milliseconds(std::min(ms, opts.restartDelayMs)));
            });
        if (report.gaveUp) {
            err << "tessellon build: the level left the map's bounds again after " << report.restarts
                << " automatic restarts; no new level file was written. Try another seed or a smaller map size.\n";
            return kExitFailed;
        }
        switch (report.outcome) {
        case CreateOutcome::Finished:
            out << (s.programFolder / "level1.vmf").string() << '\n';
            return CompileExitCode(s, out, err);
        case CreateOutcome::Aborted:
            err << "tessellon build: the build was aborted; no level file was written.\n";
            return kExitFailed;
        case CreateOutcome::Cancelled:
            return kExitUsage;
        }
    } catch (const ProgramEnd& e) {
        err << "tessellon build: " << e.Message() << '\n';
        return e.ExitCode();
    }
    return kExitFailed;
}

}  // namespace tessellon
