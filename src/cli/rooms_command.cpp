#include <filesystem>
#include <memory>

#include "driver/errors.h"
#include "driver/session.h"
#include "cli/cli.h"
#include "cli/headless_ui.h"
#include "platform/registry.h"
#include "rooms/catalogue.h"

namespace tessellon {

namespace {

const char* const kRoomsHelp =
    "Usage: tessellon rooms [--home DIR]\n"
    "Scans DIR/rooms like the program does at start-up (empty room files are deleted) and lists\n"
    "the catalogue, one room per line, fields separated by tabs:\n"
    "  file name, room name, type as the room manager shows it, genre (\"Genre #n\"), size (\"n bytes\").\n\n"
    "Exit status: 0 listed; 1 a room file could not be read (message on stderr); 2 usage error.\n";

}  // namespace

int RunRoomsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string homeOption;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            out << kRoomsHelp;
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
