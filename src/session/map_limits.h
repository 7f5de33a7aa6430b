#pragma once

namespace tessellon {

// The engine's world ends this far from the origin on every axis (MAX_COORD_INTEGER in the
// Source SDK's public/worldsize.h): the maze test, the level checker and the room kit all
// hold levels and rooms inside it.
inline constexpr double kMapCoordinateLimit = 16384;

}  // namespace tessellon
