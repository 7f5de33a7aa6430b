#include "roomkit/brush.h"

#include <algorithm>
#include <cmath>

namespace roomkit {

Vec3 Brush::Min() const {
    Vec3 m{1e30, 1e30, 1e30};
    for (const auto& v : vertices) m = {std::min(m.x, v.x), std::min(m.y, v.y), std::min(m.z, v.z)};
    return m;
}

Vec3 Brush::Max() const {
    Vec3 m{-1e30, -1e30, -1e30};
    for (const auto& v : vertices) m = {std::max(m.x, v.x), std::max(m.y, v.y), std::max(m.z, v.z)};
    return m;
}

bool Brush::Contains(const Vec3& p) const {
    for (const auto& pl : planes)
        if (Dot(pl.normal, p) > pl.dist - 0.01) return false;
    return true;
}

namespace {

std::optional<Vec3> Intersect(const Plane& a, const Plane& b, const Plane& c) {
    const Vec3 bc = Cross(b.normal, c.normal);
    const double det = Dot(a.normal, bc);
    if (std::fabs(det) < 1e-9) return std::nullopt;
    const Vec3 ca = Cross(c.normal, a.normal), ab = Cross(a.normal, b.normal);
    return Vec3{(a.dist * bc.x + b.dist * ca.x + c.dist * ab.x) / det,
                (a.dist * bc.y + b.dist * ca.y + c.dist * ab.y) / det,
                (a.dist * bc.z + b.dist * ca.z + c.dist * ab.z) / det};
}

}  // namespace

std::optional<Brush> BrushFromSolid(const Node& solid, std::string& error, int& errorLine) {
    Brush brush;
    brush.line = solid.line;
    for (const Node* side : solid.Blocks("side")) {
        const Node* plane = side->FindKey("plane");
        if (!plane) {
            error = "a side without a plane";
            errorLine = side->line;
            return std::nullopt;
        }
        Vec3 pts[3];
        if (!ParsePlanePoints(plane->value, pts)) {
            error = "plane \"" + plane->value + "\" is not three points (x y z)";
            errorLine = plane->line + 1;
            return std::nullopt;
        }
        Plane p;
        if (!PlaneFromPoints(pts[0], pts[1], pts[2], p)) {
            error = "plane \"" + plane->value + "\" has three points in a line";
            errorLine = plane->line + 1;
            return std::nullopt;
        }
        brush.planes.push_back(p);
    }
    if (brush.planes.size() < 4) {
        error = "a brush needs at least four sides";
        errorLine = solid.line;
        return std::nullopt;
    }
    const size_t n = brush.planes.size();
    for (size_t i = 0; i < n; ++i)
        for (size_t j = i + 1; j < n; ++j)
            for (size_t k = j + 1; k < n; ++k) {
                auto v = Intersect(brush.planes[i], brush.planes[j], brush.planes[k]);
                if (!v) continue;
                bool inside = true;
                for (const auto& pl : brush.planes)
                    if (Dot(pl.normal, *v) > pl.dist + 0.01) {
                        inside = false;
                        break;
                    }
                if (inside) brush.vertices.push_back(*v);
            }
    const Vec3 lo = brush.Min(), hi = brush.Max();
    if (brush.vertices.size() < 4 || hi.x - lo.x < 0.01 || hi.y - lo.y < 0.01 || hi.z - lo.z < 0.01) {
        error = "the brush encloses no space (its planes face the wrong way or do not meet)";
        errorLine = solid.line;
        return std::nullopt;
    }
    return brush;
}

}  // namespace roomkit
