#pragma once
#include <string>
#include <vector>

#include "session/level_plan.h"

namespace tessellon {

struct Session;

// The offset each room was moved by, for callers that check the joins.
struct RoomOffset {
    double x = 0, y = 0, z = 0;
};

constexpr int kMaxLevelRooms = 100;

// Writes level `level` of the plan: the file's head with the sky, every room in line order
// joined to the room it is entered from (door points from the session's catalogue rows,
// turned for the placement and turned back), the entities, and the final name level<L>.vmf.
// False when BuildAborted stopped it (no level file is named then).
bool GenerateLevel(Session& s, const LevelPlan& plan, int level, int levelCount, const std::string& sky,
                   std::vector<RoomOffset>* offsets = nullptr);

}  // namespace tessellon
