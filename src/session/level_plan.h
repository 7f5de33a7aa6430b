#pragma once
#include <string>
#include <vector>

namespace tessellon {

// What the maze phase decides for one room of a level's line, read by the generation phase.
struct PlannedRoom {
    int catalogueRow = 0;  // RoomChoice: the chosen catalogue row (never 0 for a placed room)
    int from = 0;          // RoomFrom: the room it is entered from (0 for the start room)
    int direction = 0;     // DirList column 1: direction of travel into the room, 1..4
    int turns = 0;         // RoomTurns: clockwise quarter turns of the room
    float progress = 0;    // RoomProgress: its place along the path (1 at the game end room)
};

// One level: rooms[1..N+1] in line order (rooms[0] is unused so numbers match the line).
struct LevelPlan {
    std::string roomLine;
    std::vector<PlannedRoom> rooms;
    int totalRooms = 0;  // TotalRooms: the sum of the line lengths N over the levels
};

}  // namespace tessellon
