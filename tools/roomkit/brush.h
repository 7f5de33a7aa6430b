#pragma once
#include <optional>
#include <string>
#include <vector>

#include "check/brush_geometry.h"
#include "roomkit/vmf.h"

namespace roomkit {

// The kit reads brushes the way the level checker does, so a room the kit accepts is judged by
// the same geometry when it ends up in a level.
using tessellon::Cross;
using tessellon::Dot;
using tessellon::ParsePlanePoints;
using tessellon::Plane;
using tessellon::PlaneFromPoints;
using tessellon::Vec3;

// A convex brush: the space inside all its planes.
struct Brush {
    std::vector<Plane> planes;
    std::vector<Vec3> vertices;
    int line = 0;  // where the brush starts in its file
    Vec3 Min() const;
    Vec3 Max() const;
    // Strictly inside (by more than a small margin).
    bool Contains(const Vec3& p) const;
};

// Builds the brush of a "solid" block. On failure returns nothing and sets error with the
// line of the offending side.
std::optional<Brush> BrushFromSolid(const Node& solid, std::string& error, int& errorLine);

}  // namespace roomkit
