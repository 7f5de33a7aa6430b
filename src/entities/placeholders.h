#pragma once
#include <array>
#include <string>

namespace tessellon {

struct Session;

// Turns the placeholder entities of the room in RoomLines into real ones: weapons, items,
// ammunition and characters from the weighting tables, spawn groups chosen by their
// controllers, and the environment light and sun beside every player start. New entities
// are appended to RoomLines (the placeholders stay for ClearRands); a chosen spawn group
// goes through Print_Entity_To_World. roomPrecentPos is the room's progress along the path
// (1 at the end room); factionLetter is "c", "x" or empty for no filter.
void SpawnRands(Session& s, float roomPrecentPos, const std::string& factionLetter);

// The keys a placeholder may carry, by field number 1..19 (0 for any other key).
int PlaceholderField(const std::string& key);

// The light_environment colour of a sun at this elevation by day: "R G B".
std::string DaylightColor(float sunElevation);

}  // namespace tessellon
