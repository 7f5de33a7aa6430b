#pragma once
// The rules of the standard about doorway frames, inner doors and their areaportals, and the
// walls that divide a room.
#include <string>
#include <vector>

#include "roomkit/brush.h"
#include "roomkit/room_file.h"

namespace roomkit {

struct DoorwaySide {
    int side;    // North .. West
    Vec3 point;  // the connection point
    int kind;
};

// Every doorway's opening is filled by a frame around a passage of the standard's size that no
// brush narrows. `world` are the world brushes, `others` the brushes of entities that stand in
// a player's way (the world's in the passage are reported as a blocked doorway).
void CheckDoorwayFrames(const std::vector<DoorwaySide>& sides, const std::vector<Brush>& world,
                        const std::vector<Brush>& others, std::vector<Issue>& issues);

// Doors and areaportals: every func_areaportal names the prop_door_rotating standing in it, and
// a door that is the only way between two parts of the room has an areaportal. (Whether each
// areaportal parts the room is judged by the level checker's flood with the doorways plugged.)
void CheckDoorsAndPortals(const std::vector<std::string>& lines, const RoomBody& body,
                          const std::vector<DoorwaySide>& sides, std::vector<Issue>& issues);

// Which world brushes are structure: the shell (touching a side of the cell), and the walls
// that divide the room: up to its ceiling (`ceiling`, the underside of the top) and joined side
// by side to the shell or to another such wall, the walls above doorways in them included.
// Such walls block sight, so the compiler may cut at them; a free-standing column is no wall.
std::vector<bool> StructuralWorld(const std::vector<tessellon::Box>& world, double ceiling);

// The box that plugs a doorway's opening for the floods, from inside the wall to beyond the cell.
tessellon::Box DoorwayPlug(const DoorwaySide& d);

}  // namespace roomkit
