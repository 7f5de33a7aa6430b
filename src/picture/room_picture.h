#pragma once
// Top views of rooms and of a level's layout, drawn for the room manager and the main window.
#include <filesystem>
#include <string>
#include <vector>

#include "check/brush_geometry.h"
#include "check/vmf_reader.h"
#include "picture/rgb_image.h"
#include "rooms/catalogue.h"

namespace tessellon {

class Catalogue;
struct LevelPlan;

// What a room top view shows, beside the picture itself.
struct RoomView {
    RgbImage image;
    int brushes = 0;      // brushes drawn
    int entities = 0;     // entities marked
    int doorways = 0;     // open sides marked
    std::string problem;  // why nothing (or not everything) could be drawn; empty when all went well
};

// A room file read for drawing: its header as the catalogue keeps it and its body's blocks.
struct RoomDrawingFile {
    bool readable = false;  // false when the file cannot be read or has no complete header
    RoomRecord header;
    VmfDocument body;
    std::string problem;  // why the file (or part of its body) could not be read; empty when all went well
};
RoomDrawingFile ReadRoomForDrawing(const std::filesystem::path& roomFile);

// An open side of a room before it is turned: its connection point, the middle of the
// doorway's floor edge, in the room's own coordinates.
struct RoomDoorway {
    int side = 0;  // 1 north .. 4 west
    Vec3 point;
};
// The doorways of the sides the room's type opens, in the order north, east, south, west.
std::vector<RoomDoorway> RoomDoorways(const RoomRecord& header);

// The room seen from above with north up: the floor, the walls cut at eye height, raised parts
// shaded by height, brush entities in blue, doorways as green bars on the sides the room's type
// opens, and entities as marks (characters red, weapons, items and ammunition orange, lights
// yellow, the player start green, props brown).
RoomView DrawRoomTopView(const std::filesystem::path& roomFile, int width, int height);

// The sides (1 north .. 4 west) a room of this type opens before it is turned.
std::vector<int> OpenSidesOfType(int roomType);

// A level's maze as laid out: one square per room at its maze cell, joined to the room it is
// entered from; the first `roomsDone` rooms filled, the one after them framed as the room in
// progress, the rest outlined. Start, end and dead-end rooms in their own colours.
RgbImage DrawLevelPlan(const LevelPlan& plan, const Catalogue& catalogue, int roomsDone, int width, int height);

// Maze cells of the plan's rooms 1..N+1 (index 0 unused): the start room on (0, 0), each other
// room one cell from the room it is entered from, in the direction of travel.
std::vector<std::pair<int, int>> PlanCells(const LevelPlan& plan);

}  // namespace tessellon
