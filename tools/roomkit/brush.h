#pragma once
#include <optional>
#include <string>
#include <vector>

#include "roomkit/vmf.h"

namespace roomkit {

struct Vec3 {
    double x = 0, y = 0, z = 0;
};
Vec3 operator-(const Vec3& a, const Vec3& b);
Vec3 Cross(const Vec3& a, const Vec3& b);
double Dot(const Vec3& a, const Vec3& b);

// A face plane as the map format gives it: three points, clockwise seen from outside, so
// the normal points out of the brush.
struct Plane {
    Vec3 normal;  // unit length
    double dist = 0;
};
std::optional<Plane> PlaneFromPoints(const Vec3& a, const Vec3& b, const Vec3& c);
// Reads "(x y z) (x y z) (x y z)"; false when the text has another form.
bool ParsePlanePoints(const std::string& text, Vec3 (&points)[3]);

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
