#pragma once
#include <string>

namespace tessellon {

// What the program reads and the room kit writes: a room file's body ends its world part with
// kWorldEndMarker and the whole body with kEndMarker, and must end within the RoomLines table.
inline constexpr int kRoomLinesCapacity = 32000;
inline const std::string kWorldEndMarker = "/\\/worldend\\/\\";
inline const std::string kEndMarker = "/\\/EOF\\/\\";

}  // namespace tessellon
