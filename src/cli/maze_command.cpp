#include <filesystem>
#include <memory>

#include "session/errors.h"
#include "session/session.h"
#include "cli/cli.h"
#include "cli/headless_ui.h"
#include "maze/maze_line.h"
#include "maze/maze_picture.h"
#include "maze/random_source.h"
#include "maze/room_links.h"
#include "platform/registry.h"

namespace tessellon {

namespace {

const char* const kMazeHelp =
    "Usage: tessellon maze --length N [options]\n"
    "       tessellon maze --batch 100 [--home DIR]\n"
    "Lays out one maze line and prints it: the RoomLine on the first line, then one line per\n"
    "room \"k from direction\" (the room it is entered from and the direction of travel into it).\n\n"
    "  --length N          rooms of the line without the start room, 1..199\n"
    "  --start-with 0|1    0 game start room (default), 1 level start room\n"
    "  --end-with 0|1|2    0 alley, 1 game end room (default), 2 level end room\n"
    "  --direction 1..4    the direction the line leaves the start room (default: drawn)\n"
    "  --seed N            tick the custom seed with the number N\n"
    "  --clock \"YYYY-MM-DD HH:MM:SS\" freeze the clock; with --seed the line is repeatable\n"
    "  --picture FILE      also save the line's drawing as a bitmap\n"
    "  --home DIR          program folder (default: $TESSELLON_HOME, else the executable's folder)\n"
    "  --batch N           the developer batch: N (at most 100) random lines saved as\n"
    "                      DIR/Maps/MapK.bmp and MapK.txt for K = 1..N\n\n"
    "Exit status: 0 done; 1 no line could be made (message on stderr); 2 usage error.\n";

struct MazeOptions {
    int length = 0;
    int startWith = 0;
    int endWith = 1;
    int direction = 0;
    int batch = 0;
    SessionOptions session;
    std::string picture;
};

MazeOptions ParseMazeOptions(const std::vector<std::string>& args) {
    MazeOptions o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) throw UsageError(a + " needs a value.");
            return args[++i];
        };
        if (o.session.Take(a, value)) continue;
        if (a == "--length") o.length = ParseIntOption(a, value(), 1, RoomLinkTable::kLastRow - 1);
        else if (a == "--start-with") o.startWith = ParseIntOption(a, value(), 0, 1);
        else if (a == "--end-with") o.endWith = ParseIntOption(a, value(), 0, 2);
        else if (a == "--direction") o.direction = ParseIntOption(a, value(), 1, 4);
        else if (a == "--batch") o.batch = ParseIntOption(a, value(), 1, 100);
        else if (a == "--picture") o.picture = value();
        else throw UsageError("unknown option \"" + a + "\". See tessellon maze --help.");
    }
    if (o.batch == 0 && o.length == 0) throw UsageError("--length N or --batch N is needed.");
    if (o.batch != 0 && o.length != 0) throw UsageError("--batch makes its own lines; leave out --length.");
    return o;
}

}  // namespace

int RunMazeCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (WantsHelp(args)) {
        out << kMazeHelp;
        return kExitOk;
    }
    MazeOptions o;
    CommandClock clock;
    try {
        o = ParseMazeOptions(args);
        clock.Freeze(o.session.clock);
    } catch (const UsageError& e) {
        err << "tessellon maze: " << e.what() << '\n';
        return kExitUsage;
    }
    std::filesystem::path home;
    if (!FindProgramFolder("maze", o.session.home, err, home)) return kExitUsage;

    HeadlessUi ui(err);
    SystemRegistry registry;
    auto session = std::make_unique<Session>(ui, clock.Get(), registry, home);
    Session& s = *session;
    o.session.TickSeed(s.settings);
    try {
        if (o.batch != 0) {
            Make100Maps(s, o.batch);
            out << (home / "Maps").string() << '\n';
            return kExitOk;
        }
        if (!o.picture.empty()) s.Surf.preview = true;
        int direction = o.direction;
        if (direction == 0) {
            Randa(s);
            direction = static_cast<int>(static_cast<double>(s.random.Draw()) * 4 + 1);
        }
        const std::string line = GetGoodLine(s, o.length, o.startWith, o.endWith, direction);
        int readDirection = 0, counter = 0;
        MapDirection(s, line, readDirection, 0, counter);
        out << line << '\n';
        for (int k = 1; k <= counter; ++k) out << k << ' ' << s.DirList.From(k) << ' ' << s.DirList.Dir(k) << '\n';
        if (!o.picture.empty() && !s.Surf.picture.SaveBmp(o.picture)) {
            err << "tessellon maze: could not write " << o.picture << ".\n";
            return kExitFailed;
        }
        return kExitOk;
    } catch (const ProgramEnd& e) {
        err << "tessellon maze: " << e.Message() << '\n';
        return e.ExitCode();
    } catch (const BuildFailure& e) {
        err << "tessellon maze: " << e.what() << '\n';
        return kExitFailed;
    }
}

}  // namespace tessellon
