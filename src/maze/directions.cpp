#include "maze/directions.h"

#include "session/session.h"
#include "instance/rotation.h"
#include "session/text_helpers.h"
#include "rooms/catalogue.h"

namespace tessellon {

namespace {

using G = CodeGroup;
constexpr std::array<bool, 5> Open(bool n, bool e, bool s, bool w) { return {false, n, e, s, w}; }

constexpr std::array<ConnectionCode, 31> kCodes = {{
    {"00", G::OneWay, 0, Open(1, 0, 1, 0), 0, "010010010"},
    {"01", G::OneWay, 0, Open(0, 1, 0, 1), 1, "000111000"},
    {"02", G::ThreeWay, 2, Open(1, 1, 1, 0), 1, "010011010"},
    {"03", G::ThreeWay, 2, Open(0, 1, 1, 1), 2, "000111010"},
    {"04", G::ThreeWay, 2, Open(1, 0, 1, 1), 3, "010110010"},
    {"05", G::ThreeWay, 2, Open(1, 1, 0, 1), 0, "010111000"},
    {"06", G::Turn, 1, Open(1, 1, 0, 0), 0, "010011000"},
    {"07", G::Turn, 1, Open(0, 1, 1, 0), 1, "000011010"},
    {"08", G::Turn, 1, Open(0, 0, 1, 1), 2, "000110010"},
    {"09", G::Turn, 1, Open(1, 0, 0, 1), 3, "010110000"},
    {"10", G::Cross, 3, Open(1, 1, 1, 1), -1, "010111010"},
    {"11", G::Alley, 4, Open(1, 0, 0, 0), 0, "010000000"},
    {"12", G::Alley, 4, Open(0, 1, 0, 0), 1, "000001000"},
    {"13", G::Alley, 4, Open(0, 0, 1, 0), 2, "000000010"},
    {"14", G::Alley, 4, Open(0, 0, 0, 1), 3, "000100000"},
    {"15", G::GameStart, 5, Open(1, 0, 0, 0), 0, "010000000"},
    {"16", G::GameStart, 5, Open(0, 1, 0, 0), 1, "000001000"},
    {"17", G::GameStart, 5, Open(0, 0, 1, 0), 2, "000000010"},
    {"18", G::GameStart, 5, Open(0, 0, 0, 1), 3, "000100000"},
    {"19", G::GameEnd, 6, Open(1, 0, 0, 0), 0, "010000000"},
    {"20", G::GameEnd, 6, Open(0, 1, 0, 0), 1, "000001000"},
    {"21", G::GameEnd, 6, Open(0, 0, 1, 0), 2, "000000010"},
    {"22", G::GameEnd, 6, Open(0, 0, 0, 1), 3, "000100000"},
    {"23", G::LevelEnd, -1, Open(1, 0, 0, 0), 0, "010000000"},
    {"24", G::LevelEnd, -1, Open(0, 1, 0, 0), 1, "000001000"},
    {"25", G::LevelEnd, -1, Open(0, 0, 1, 0), 2, "000000010"},
    {"26", G::LevelEnd, -1, Open(0, 0, 0, 1), 3, "000100000"},
    {"27", G::LevelStart, -1, Open(1, 0, 0, 0), 0, "010000000"},
    {"28", G::LevelStart, -1, Open(0, 1, 0, 0), 1, "000001000"},
    {"29", G::LevelStart, -1, Open(0, 0, 1, 0), 2, "000000010"},
    {"30", G::LevelStart, -1, Open(0, 0, 0, 1), 3, "000100000"},
}};

}  // namespace

const std::array<ConnectionCode, 31>& ConnectionCodes() { return kCodes; }

const ConnectionCode* FindCode(std::string_view code) {
    if (code.size() != 2 || code[0] < '0' || code[0] > '9' || code[1] < '0' || code[1] > '9') return nullptr;
    const int n = (code[0] - '0') * 10 + (code[1] - '0');
    return n <= 30 ? &kCodes[static_cast<std::size_t>(n)] : nullptr;
}

int DirectionAfter(const ConnectionCode& c, int d) {
    if (c.group != CodeGroup::Turn || d < 1 || d > 4) return d;
    const int entry = Opposite(d);
    if (!c.open[static_cast<std::size_t>(entry)]) return d;
    for (int side = 1; side <= 4; ++side)
        if (side != entry && c.open[static_cast<std::size_t>(side)]) return side;
    return d;
}

std::array<int, 3> BranchDirections(const ConnectionCode& c, int d, int& count) {
    std::array<int, 3> out{};
    count = 0;
    if (d < 1 || d > 4) return out;
    const int entry = Opposite(d);
    if (!c.open[static_cast<std::size_t>(entry)]) return out;
    for (int side = 1; side <= 4; ++side)
        if (side != entry && c.open[static_cast<std::size_t>(side)] && count < 3)
            out[static_cast<std::size_t>(count++)] = side;
    return out;
}

void R90(Session& s, int rotations, std::string& x, std::string& y) {
    for (int i = 0; i < rotations; ++i) {
        std::string oldX = x, oldY = y;
        x = r90_Co(s, oldY, true);
        y = r90_Co(s, oldX, false);
    }
}

void RotateConnections(Session& s, RoomRecord& room, int rotations) {
    for (int field = kSideX; field <= kSideKind; ++field)
        RotateValues(room.Side(kNorth, field), room.Side(kEast, field), room.Side(kSouth, field),
                     room.Side(kWest, field), rotations);
    for (int side = kNorth; side <= kWest; ++side) R90(s, rotations, room.Side(side, kSideX), room.Side(side, kSideY));
}

void RotateConnections(Session& s, int roomId, int rotations) {
    RotateConnections(s, s.RoomCatalogue.Row(roomId), rotations);
}

}  // namespace tessellon
