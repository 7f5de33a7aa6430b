#pragma once
// Finds a way from a point inside a level to the void outside it.
#include <cstddef>
#include <string>
#include <vector>

#include "check/brush_geometry.h"

namespace tessellon {

// A body that closes space for the flood. Boxes are exact; a body with sloped faces fills
// every grid cell it overlaps even in part (see FindLeak).
struct SealingBody {
    Box bounds;
    std::vector<Plane> planes;  // the faces' planes; only read when !axisAligned
    bool axisAligned = true;
};

SealingBody SealingBox(const Box& box);

// Where a flood starts: usually a point entity's origin.
struct LeakStart {
    Vec3 point;
    std::string id;         // the entity's id, or a caller's label
    std::string classname;  // may be empty
};

struct LeakResult {
    bool checked = false;  // false when the check could not run (see skippedReason)
    std::string skippedReason;
    bool leaked = false;
    std::vector<std::size_t> leakingStarts;  // indices into the starts, ascending
    std::vector<std::size_t> startsInSolid;  // starts whose point lies inside sealing bodies
    std::vector<Vec3> trail;                 // from the first leaking start out to the void
    std::size_t cells = 0;                   // size of the grid that was flooded
};

// Above this many grid cells the check gives up rather than take gigabytes.
constexpr std::size_t kMaxLeakCells = std::size_t(48) << 20;

// Floods from the void around all bodies and starts and reports every start the void reaches.
// The grid is cut at every face of every body's bounds (coordinate compression), so boxes are
// exact however thin a gap between them is; touching boxes seal. A sloped body fills each cell
// it overlaps at all, which can hide a hole only a sloped face leaves, but never invents one.
LeakResult FindLeak(const std::vector<SealingBody>& bodies, const std::vector<LeakStart>& starts,
                    std::size_t maxCells = kMaxLeakCells);

}  // namespace tessellon

namespace tessellon {

// The connected parts of open space between bodies: region[i] numbers the part points[i] lies
// in (points in one part share a number), -1 for a point inside a body. The space outside all
// bodies is a part as well. Runs on the leak flood's grid; checked is false (with the reason)
// when that grid would be too large.
struct SpaceRegions {
    bool checked = false;
    std::string skippedReason;
    std::vector<int> region;
};
SpaceRegions FindSpaceRegions(const std::vector<SealingBody>& bodies, const std::vector<Vec3>& points,
                              std::size_t maxCells = kMaxLeakCells);

}  // namespace tessellon

namespace tessellon {

// How finely the bodies cut the open space inside `region`, on the leak flood's grid: the
// open cells and the faces between two open cells. The visibility compiler cuts space at the
// same planes, so this measures what it will have to work through (portals).
struct SpaceCut {
    bool checked = false;
    std::size_t open = 0, faces = 0;
};
SpaceCut MeasureSpaceCut(const std::vector<SealingBody>& bodies, const Box& region,
                         std::size_t maxCells = kMaxLeakCells);

}  // namespace tessellon
