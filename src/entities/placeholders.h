#pragma once
#include <string>

namespace tessellon {

struct Session;

// Turns the placeholder entities of the room in RoomLines into real ones, appending to
// RoomLines and WorldInsertLines; progress is the room's place along the path.
void SpawnRands(Session& s, float roomPrecentPos, const std::string& factionLetter);

}  // namespace tessellon
