#pragma once
#include <string>

namespace tessellon {

struct Session;

// Turns the room in RoomLines by whole clockwise quarter turns about its own origin.
void Rotator(Session& s, int rotations);
// One quarter turn: (x, y, z) -> (y, -x, z); yaw falls by 90 degrees except on func_ classes.
void Rotate90(Session& s);
// One coordinate of a quarter turn: number in file form (x true) or negated (x false; then
// number itself holds the result too).
std::string r90_Co(Session& s, std::string& number, bool x);

}  // namespace tessellon
