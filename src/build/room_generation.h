#pragma once
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "build/level_plan.h"

namespace tessellon {

struct Session;

// What generation reads of the room catalogue: a row's cell as text, and the turning of a
// row's side records in place (whole records change sides, points turn about the origin).
struct CatalogueAccess {
    std::function<std::string(int row, int column)> cell;
    std::function<void(int row, int turns)> rotateConnections;
};

// The offset each room was moved by, for callers that check the joins.
struct RoomOffset {
    double x = 0, y = 0, z = 0;
};

constexpr int kMaxLevelRooms = 100;

// Writes level `level` of the plan: the file's head with the sky, every room in line order
// joined to the room it is entered from, the entities, and the final name level<L>.vmf.
// False when BuildAborted stopped it (no level file is named then).
bool GenerateLevel(Session& s, const LevelPlan& plan, const CatalogueAccess& catalogue, int level,
                   int levelCount, const std::string& sky, std::vector<RoomOffset>* offsets = nullptr);

}  // namespace tessellon
