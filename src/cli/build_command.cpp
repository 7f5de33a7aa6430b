#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "driver/auto_restart.h"
#include "driver/build_driver.h"
#include "driver/errors.h"
#include "driver/report.h"
#include "driver/session.h"
#include "cli/cli.h"
#include "cli/headless_ui.h"
#include "entities/sun.h"
#include "instance/text_helpers.h"
#include "rooms/catalogue.h"

namespace tessellon {

namespace {

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
    "  --restart-delay MS           wait between the automatic restart's countdown steps (1000)\n\n"
    "Status lines go to stderr with the progress in per cent. Message boxes are printed with their\n"
    "title; OK/Cancel questions (the confirmation) are answered OK, Yes/No questions Yes, and the\n"
    "input box takes its default answer. Ctrl-C aborts the build like the abort command.\n"
    "When a room leaves the map's bounds the build restarts by itself after a countdown, at most\n"
    "20 times; each restart is shown.\n\n"
    "Exit status: 0 the level file was written; 1 the build ended with an error (message on stderr)\n"
    "or was aborted; 2 usage error (nothing written).\n";

struct BuildOptions {
    SessionOptions session;
    bool quiet = false;
    int restartDelayMs = 1000;
    BuildSettings settings;
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
        if (o.session.Take(a, value)) continue;
        if (a == "--map-size") st.MapSize = ParseIntOption(a, value(), 5, 35);
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
        else if (a == "--restart-delay") o.restartDelayMs = ParseIntOption(a, value(), 0, 10000);
        else throw UsageError("unknown option \"" + a + "\". See tessellon build --help.");
    }
    o.session.TickSeed(st);
    return o;
}

}  // namespace

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

    HeadlessUi ui(err);
    ui.SetQuiet(opts.quiet);
    SystemRegistry registry;
    auto session = std::make_unique<Session>(ui, clock.Get(), registry, home);
    Session& s = *session;
    s.settings = opts.settings;
    // The window recomputes the sun as its controls change; here the options are set once.
    CalcSunAngle(s);
    HeadlessUi::InstallInterruptHandler();
    ui.OnInterrupt([&s] { AbortBuild(s); });

    try {
        // Start-up order: the catalogue first, then the decimal symbol.
        Categorize(s);
        SetCorrectPC(s);
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
            return kExitOk;
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
