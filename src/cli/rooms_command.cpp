#include <filesystem>
#include <memory>

#include "session/errors.h"
#include "session/session.h"
#include "cli/cli.h"
#include "cli/headless_ui.h"
#include "platform/registry.h"
#include "picture/room_picture.h"
#include "rooms/catalogue.h"

namespace tessellon {

namespace {

const char* const kRoomsHelp =
    "Usage: tessellon rooms [--home DIR]\n"
    "       tessellon rooms --picture ROOM.rgr OUT.bmp\n"
    "Scans DIR/rooms like the program does at start-up (empty room files are deleted) and lists\n"
    "the catalogue, one room per line, fields separated by tabs:\n"
    "  file name, room name, type as the room manager shows it, genre (\"Genre #n\"), size (\"n bytes\").\n\n"
    "With --picture, draws the room seen from above (north up) as the room manager shows it:\n"
    "floor, walls at eye height, raised parts darker, brush entities blue, doorways green,\n"
    "characters red, pickups orange, lights yellow, the player start green, props brown.\n\n"
    "Exit status: 0 listed (or drawn); 1 a room file could not be read (message on stderr); 2 usage error.\n";

}  // namespace

int RunRoomsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string homeOption;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            out << kRoomsHelp;
            return kExitOk;
        }
        if (args[i] == "--picture") {
            if (args.size() != i + 3) {
                err << "tessellon rooms: --picture needs a room file and a bitmap file, and nothing after them.\n";
                return kExitUsage;
            }
            const RoomView view = DrawRoomTopView(args[i + 1], 480, 480);
            if (view.brushes == 0) {
                err << "tessellon rooms: " << view.problem << '\n';
                return kExitFailed;
            }
            if (!view.problem.empty()) err << "tessellon rooms: " << view.problem << '\n';
            if (!view.image.SaveBmp(args[i + 2])) {
                err << "tessellon rooms: " << args[i + 2] << " could not be written.\n";
                return kExitFailed;
            }
            out << view.brushes << " brushes, " << view.entities << " entities, " << view.doorways << " doorways\n";
            return kExitOk;
        }
        if (args[i] == "--home" && i + 1 < args.size()) {
            homeOption = args[++i];
            continue;
        }
        err << "tessellon rooms: unknown option \"" << args[i] << "\". See tessellon rooms --help.\n";
        return kExitUsage;
    }
    std::filesystem::path home;
    if (!FindProgramFolder("rooms", homeOption, err, home)) return kExitUsage;
    HeadlessUi ui(err);
    ui.SetQuiet(true);
    SystemClock clock;
    SystemRegistry registry;
    auto session = std::make_unique<Session>(ui, clock, registry, home);
    Session& s = *session;
    try {
        Categorize(s);
    } catch (const ProgramEnd& e) {
        err << "tessellon rooms: " << e.Message() << '\n';
        return e.ExitCode();
    }
    std::error_code ec;
    for (int i = 1; i <= s.RoomCatalogue.RoomCount(); ++i) {
        const RoomRecord& room = s.RoomCatalogue.Row(i);
        const std::filesystem::path path(room.FilePath());
        const auto size = std::filesystem::file_size(path, ec);
        out << path.filename().string() << '\t' << room.Name() << '\t' << RoomTypeName(room[kColRoomType]) << '\t'
            << "Genre #" << room[kColGenre] << '\t' << (ec ? 0 : size) << " bytes\n";
    }
    return kExitOk;
}

}  // namespace tessellon
