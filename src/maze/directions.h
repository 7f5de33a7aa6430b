#pragma once
#include <array>
#include <string>
#include <string_view>

namespace tessellon {

struct Session;
class RoomRecord;

// Directions of travel and room sides: 1 north, 2 east, 3 south, 4 west. Per-side values are
// always kept in that order.
enum Direction : int { kNorth = 1, kEast = 2, kSouth = 3, kWest = 4 };

constexpr int Opposite(int d) { return d <= 2 ? d + 2 : d - 2; }
// The side that side s lands on after r clockwise quarter turns (r >= 0).
constexpr int TurnSide(int s, int r) { return (s - 1 + r) % 4 + 1; }

// Maze grid steps: x grows to the east, y to the south.
constexpr int StepX(int d) { return d == kEast ? 1 : d == kWest ? -1 : 0; }
constexpr int StepY(int d) { return d == kSouth ? 1 : d == kNorth ? -1 : 0; }

// What a two-digit connection code stands for. The family number is the RoomType the
// catalogue files such rooms under; the level start and end rooms have none.
enum class CodeGroup { OneWay, Turn, ThreeWay, Cross, Alley, GameStart, GameEnd, LevelEnd, LevelStart };

struct ConnectionCode {
    std::string_view code;
    CodeGroup group;
    int family;                // RoomType of the family, -1 for the level start and end rooms
    std::array<bool, 5> open;  // [1..4] north..west; [0] unused
    int rotation;              // quarter turns from the family's base; -1: any turn fits
    std::string_view glyph;    // 3 x 3 points, rows north to south, each row west to east
};

// The 31 codes "00".."30" in code order.
const std::array<ConnectionCode, 31>& ConnectionCodes();
// nullptr for anything that is not one of the 31 codes.
const ConnectionCode* FindCode(std::string_view code);

inline bool IsEndCode(const ConnectionCode& c) {
    return c.group == CodeGroup::Alley || c.group == CodeGroup::GameEnd || c.group == CodeGroup::LevelEnd;
}
inline bool IsJunction(const ConnectionCode& c) {
    return c.group == CodeGroup::ThreeWay || c.group == CodeGroup::Cross;
}
// The direction after a room of this code entered while moving in d. Only turn parts change
// it, and only when entered through one of their open sides.
int DirectionAfter(const ConnectionCode& c, int d);
// A junction's branch directions in increasing order: its open sides but the one it is
// entered by. Empty when the junction is entered through a closed side (a broken line).
std::array<int, 3> BranchDirections(const ConnectionCode& c, int d, int& count);

// Turns four per-side values by clockwise quarter turns: what was on side s goes to side
// s + rotations. Values above 4 act modulo 4; negative values leave everything alone.
template <typename T>
void RotateValues(T& n, T& e, T& s, T& w, int rotations) {
    if (rotations < 0) return;
    rotations %= 4;
    T on = n, oe = e, os = s, ow = w;
    switch (rotations) {
    case 1:
        n = ow;
        e = on;
        s = oe;
        w = os;
        break;
    case 2:
        n = os;
        e = ow;
        s = on;
        w = oe;
        break;
    case 3:
        n = oe;
        e = os;
        s = ow;
        w = on;
        break;
    default: break;
    }
}

// Turns an X/Y pair held as number texts in file form by clockwise quarter turns: one turn
// makes the new X the old Y and the new Y the old X negated. A zero keeps its text; a value
// that is negated is rewritten by the general number formatting.
void R90(Session& s, int rotations, std::string& x, std::string& y);

// Turns the four side records of a catalogue row in place: whole records change sides, then
// each connection point is turned about the room's origin. Z and the kind travel with their side.
void RotateConnections(Session& s, RoomRecord& room, int rotations);
void RotateConnections(Session& s, int roomId, int rotations);

}  // namespace tessellon
