// The room manager's scan on a rooms folder holding the input as its one room file: the
// catalogue row, its whole-number columns and type name, then the room body as a build reads it.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "check/vmf_reader.h"
#include "session/errors.h"
#include "session/session.h"
#include "fuzz_support.h"
#include "instance/room_body.h"
#include "rooms/catalogue.h"

using namespace tessellon;
using namespace tessellon::fuzzing;

namespace {

struct Seams {
    QuietUi ui;
    FixedClock clock;
    EmptyRegistry registry;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Seams seams;
    static Session s(seams.ui, seams.clock, seams.registry, Scratch());
    const fs::path rooms = Scratch() / "rooms";
    fs::create_directories(rooms);
    const fs::path file = rooms / "fuzz_room.rgr";
    WriteBytes(file, std::string_view(reinterpret_cast<const char*>(data), size));

    bool scanned = true;
    try {
        Categorize(s);
    } catch (const ProgramEnd&) {
        scanned = false;  // an unreadable or short file ends the program with a message
    }
    if (scanned) {
        for (int row = 1; row <= s.RoomCatalogue.RoomCount(); ++row) {
            const RoomRecord& r = s.RoomCatalogue.Row(row);
            for (int column = 0; column < kCatalogueColumns; ++column) (void)r.WholeNumber(column);
            (void)RoomTypeName(r[kColRoomType]);
            try {
                const RoomBody body = ReadRoomBody(r.FilePath());
                (void)ReadVmfTokenLines(body.Lines(), 22);
            } catch (const BuildFailure&) {
                // no end marker, or too long: the build names the file and stops
            }
        }
    }

    // An empty file is deleted by the scan; whatever is left goes now, log included, so every
    // run starts from an empty folder and the log does not grow without end.
    std::error_code ec;
    fs::remove(file, ec);
    if (s.log.opened) {
        s.log.file.close();
        fs::remove(s.log.path, ec);
        s.log.opened = false;
    }
    return 0;
}
