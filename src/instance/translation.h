#pragma once
#include <string>

namespace tessellon {

struct Session;

constexpr int kBoundaryErrorLimit = 10;

// Moves the room in RoomLines (and its door points) by the offset, keeping textures in place.
// The tenth plane out of the map's bounds aborts the build and arms the automatic restart.
void SetOrigins(Session& s, double xDif, double yDif, double zDif);

// The texture shift that keeps a texture where it was after moving its brush by the offset:
// wrapped modulo 512 above 512 and cut to three decimals.
double ShiftTexture(double shift, double ax, double ay, double az, double scale, double xDif, double yDif, double zDif);

}  // namespace tessellon
