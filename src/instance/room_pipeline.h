#pragma once
#include <string>

namespace tessellon {

struct Session;

// Turns one room file into part of the level: reads its body into RoomLines, turns and moves
// it, resolves its placeholders, removes what must not reach the level, renames its entities,
// renumbers its ids from startId (advanced past the last id given out), prints its world part
// and collects its entity part in EntityLines. Stops after the move when the build was
// aborted. A malformed room or a full table throws BuildFailure naming the room file.
void GetReady(Session& s, const std::string& path, double xDif, double yDif, double zDif, float roomPrecentPos,
              int& startId, int rotations);

// Copies the room's body into RoomLines (file line n at element n), sets element 0 to the end
// marker's line and empties everything after it.
void LoadRoomLines(Session& s, const std::string& path);
// The room's faction letter: "", "c" (combine) or "x" (aliens), from AlienCombineBar.
std::string ChooseFactionLetter(Session& s);
// Removes placeholder entities (and lights when SkipLights is ticked).
void ClearRands(Session& s);
// Gives every id key a new number from startId on.
void FixIDs(Session& s, int& startId);
// Prints WorldInsertLines and the room's world part into the level file and appends its
// entity part to EntityLines in paired form.
void PrintRoom(Session& s);

}  // namespace tessellon
