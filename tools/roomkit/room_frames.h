#pragma once
// The frame of every doorway of the standard: jambs and a head inside the wall's opening, a
// little proud of the wall, around the passage a person walks through. They are world brushes
// touching the cell's side, part of the shell: they narrow the doorway the compiler sees, and
// cost no lines of the level's entity table.
#include "roomkit/room_builder.h"

namespace roomkit {

// Frames every open side of the shell in `material`.
void AddDoorwayFrames(RoomBuilder& b, const ShellPlan& plan, const std::string& material);

}  // namespace roomkit
