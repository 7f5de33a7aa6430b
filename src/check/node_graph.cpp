#include "check/node_graph.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace tessellon {

namespace {

// A face closer than this counts as touched, not entered: floors are walked on, not through.
constexpr double kTouch = 0.01;
// Brush cells: a room of 768 units spans six, so a line meets few brushes beyond its own way.
constexpr double kBrushCell = 128;
// Node cells: pairs this near are traced first.
constexpr double kNearLink = 256;
// Caps the grid for a level whose brushes reach the far corners of the map.
constexpr int kMaxCellsPerSide = 256;

double Along(const Vec3& v, int axis) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; }

// A segment a + t d, 0 <= t <= 1, with what every body test needs worked out once.
struct Segment {
    Vec3 a, d;
    double from[3], step[3], inverse[3];  // inverse 0 where the segment keeps the coordinate
    double lo[3], hi[3];                  // the segment's own bounds

    Segment(Vec3 start, Vec3 end) : a(start), d(end - start) {
        const double s[3] = {start.x, start.y, start.z}, e[3] = {end.x, end.y, end.z};
        for (int axis = 0; axis < 3; ++axis) {
            from[axis] = s[axis];
            step[axis] = e[axis] - s[axis];
            inverse[axis] = std::fabs(step[axis]) < 1e-12 ? 0 : 1 / step[axis];
            lo[axis] = std::min(s[axis], e[axis]);
            hi[axis] = std::max(s[axis], e[axis]);
        }
    }
};

// Whether the segment runs through the inside of the body.
bool SegmentEnters(const SealingBody& body, const Segment& s) {
    const double lo[3] = {body.bounds.min.x + kTouch, body.bounds.min.y + kTouch, body.bounds.min.z + kTouch};
    const double hi[3] = {body.bounds.max.x - kTouch, body.bounds.max.y - kTouch, body.bounds.max.z - kTouch};
    // Bounds apart on an axis, height first: most bodies a line meets are floors and ceilings.
    for (const int axis : {2, 0, 1})
        if (s.hi[axis] <= lo[axis] || s.lo[axis] >= hi[axis]) return false;
    double t0 = 0, t1 = 1;
    for (int axis = 0; axis < 3; ++axis) {
        if (s.inverse[axis] == 0) continue;  // inside on this axis, as the bounds test showed
        double ta = (lo[axis] - s.from[axis]) * s.inverse[axis], tb = (hi[axis] - s.from[axis]) * s.inverse[axis];
        if (ta > tb) std::swap(ta, tb);
        t0 = std::max(t0, ta);
        t1 = std::min(t1, tb);
        if (t0 >= t1) return false;
    }
    if (body.axisAligned) return true;
    for (const Plane& p : body.planes) {
        const double off = Dot(p.normal, s.a) - (p.dist - kTouch), rate = Dot(p.normal, s.d);
        if (std::fabs(rate) < 1e-12) {
            if (off >= 0) return false;
            continue;
        }
        const double t = -off / rate;
        if (rate > 0) t1 = std::min(t1, t);
        else t0 = std::max(t0, t);
        if (t0 >= t1) return false;
    }
    return true;
}

// The cell at `v` cells from the grid's start, clamped into 0 .. count-1 (no floor() call: on the
// plain x86-64 target it is a library call, and truncation agrees with it wherever we keep it).
int CellIndex(double v, int count) {
    if (!(v > 0)) return 0;
    return v >= count ? count - 1 : static_cast<int>(v);
}

// The cells of a grid over x and y: cell size and extent chosen for the points or boxes given.
struct GridShape {
    double originX = 0, originY = 0, cell = 1;
    int width = 0, height = 0;

    GridShape() = default;
    GridShape(double minX, double minY, double maxX, double maxY, double cellSize) {
        const double extent = std::max(maxX - minX, maxY - minY);
        cell = std::max(cellSize, extent / kMaxCellsPerSide);
        originX = minX;
        originY = minY;
        width = std::max(1, static_cast<int>(std::floor((maxX - minX) / cell)) + 1);
        height = std::max(1, static_cast<int>(std::floor((maxY - minY) / cell)) + 1);
    }
    int X(double x) const { return CellIndex((x - originX) / cell, width); }
    int Y(double y) const { return CellIndex((y - originY) / cell, height); }
};

// Files items into grid cells as offsets and a flat list: one pass counts, one fills each cell
// from its end (so start[c] ends up at the cell's first item without a second offset table).
template <class CellsOf>
void FileIntoCells(std::size_t items, int cells, const CellsOf& cellsOf, std::vector<std::uint32_t>& start,
                   std::vector<std::uint32_t>& filed) {
    start.assign(static_cast<std::size_t>(cells) + 1, 0);
    for (std::size_t i = 0; i < items; ++i) cellsOf(i, [&](int c) { ++start[static_cast<std::size_t>(c)]; });
    for (std::size_t c = 1; c < start.size(); ++c) start[c] += start[c - 1];
    filed.resize(start.back());
    for (std::size_t i = items; i-- > 0;)
        cellsOf(i, [&](int c) { filed[--start[static_cast<std::size_t>(c)]] = static_cast<std::uint32_t>(i); });
}

}  // namespace

bool IsGroundNode(std::string_view lowerClass) { return lowerClass == "info_node" || lowerClass == "info_node_hint"; }

bool IsGroundCharacter(std::string_view lowerClass) {
    if (lowerClass.substr(0, 4) != "npc_") return false;
    // Half-Life 2's own classes (its FGD) that do not walk the ground graph: flyers and
    // swimmers use air nodes or none, turrets, cameras, barnacles and snipers stay put, and the
    // rest are spawners, grenades, drivers and markers.
    static constexpr std::string_view kNotWalking[] = {"npc_manhack",
                                                       "npc_cscanner",
                                                       "npc_clawscanner",
                                                       "npc_combinegunship",
                                                       "npc_combinedropship",
                                                       "npc_helicopter",
                                                       "npc_crow",
                                                       "npc_pigeon",
                                                       "npc_seagull",
                                                       "npc_ichthyosaur",
                                                       "npc_turret_floor",
                                                       "npc_turret_ceiling",
                                                       "npc_turret_ground",
                                                       "npc_combine_camera",
                                                       "npc_barnacle",
                                                       "npc_sniper",
                                                       "npc_antlion_grub",
                                                       "npc_apcdriver",
                                                       "npc_vehicledriver",
                                                       "npc_cranedriver",
                                                       "npc_bullseye",
                                                       "npc_enemyfinder",
                                                       "npc_enemyfinder_combinecannon",
                                                       "npc_launcher",
                                                       "npc_missiledefense",
                                                       "npc_furniture",
                                                       "npc_puppet",
                                                       "npc_spotlight",
                                                       "npc_grenade_frag",
                                                       "npc_grenade_bugbait",
                                                       "npc_satchel",
                                                       "npc_tripmine",
                                                       "npc_handgrenade",
                                                       "npc_heli_avoidsphere",
                                                       "npc_heli_avoidbox",
                                                       "npc_heli_nobomb",
                                                       "npc_maker",
                                                       "npc_template_maker",
                                                       "npc_antlion_template_maker"};
    for (const std::string_view c : kNotWalking)
        if (lowerClass == c) return false;
    return true;
}

// ---- brushes ----------------------------------------------------------------------------------

BrushGrid::BrushGrid(std::vector<const SealingBody*> bodies) : bodies_(std::move(bodies)), seenAt_(bodies_.size(), 0) {
    if (bodies_.empty()) return;
    double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
    for (const SealingBody* b : bodies_) {
        x0 = std::min(x0, b->bounds.min.x), y0 = std::min(y0, b->bounds.min.y);
        x1 = std::max(x1, b->bounds.max.x), y1 = std::max(y1, b->bounds.max.y);
    }
    const GridShape shape(x0, y0, x1, y1, kBrushCell);
    originX_ = shape.originX, originY_ = shape.originY, cell_ = shape.cell;
    width_ = shape.width, height_ = shape.height;
    FileIntoCells(
        bodies_.size(), width_ * height_,
        [&](std::size_t i, const auto& file) {
            const Box& b = bodies_[i]->bounds;
            for (int y = shape.Y(b.min.y); y <= shape.Y(b.max.y); ++y)
                for (int x = shape.X(b.min.x); x <= shape.X(b.max.x); ++x) file(y * width_ + x);
        },
        cellStart_, cellBodies_);
}

BrushGrid::Cell BrushGrid::CellOf(double x, double y) const {
    return {CellIndex((x - originX_) / cell_, width_), CellIndex((y - originY_) / cell_, height_)};
}

void BrushGrid::NextQuery() const {
    if (++query_ == 0) {  // the counter went round: forget every old mark
        std::fill(seenAt_.begin(), seenAt_.end(), 0);
        query_ = 1;
    }
}

template <class Visit>
bool BrushGrid::ForEachInCell(int cx, int cy, Visit&& visit) const {
    const std::size_t c = static_cast<std::size_t>(cy * width_ + cx);
    for (std::uint32_t k = cellStart_[c]; k < cellStart_[c + 1]; ++k) {
        const std::uint32_t i = cellBodies_[k];
        if (seenAt_[i] == query_) continue;  // met in a cell before
        seenAt_[i] = query_;
        if (visit(*bodies_[i])) return true;
    }
    return false;
}

bool BrushGrid::Blocked(Vec3 a, Vec3 b) const {
    if (bodies_.empty()) return false;
    NextQuery();
    const Segment segment(a, b);
    const Vec3 d = segment.d;
    const auto enters = [&](const SealingBody& body) { return SegmentEnters(body, segment); };
    // The part of the segment over the grid.
    double t0 = 0, t1 = 1;
    const double lo[2] = {originX_, originY_};
    const double hi[2] = {originX_ + width_ * cell_, originY_ + height_ * cell_};
    for (int axis = 0; axis < 2; ++axis) {
        const double from = Along(a, axis), step = Along(d, axis);
        if (std::fabs(step) < 1e-12) {
            if (from < lo[axis] || from > hi[axis]) return false;
            continue;
        }
        double ta = (lo[axis] - from) / step, tb = (hi[axis] - from) / step;
        if (ta > tb) std::swap(ta, tb);
        t0 = std::max(t0, ta);
        t1 = std::min(t1, tb);
    }
    if (t0 > t1) return false;
    // Walks the cells the segment crosses, in order (Amanatides and Woo).
    const Vec3 s = a + d * t0;
    Cell c = CellOf(s.x, s.y);
    constexpr double kNever = std::numeric_limits<double>::infinity();
    const int stepX = d.x > 0 ? 1 : d.x < 0 ? -1 : 0, stepY = d.y > 0 ? 1 : d.y < 0 ? -1 : 0;
    const auto firstCrossing = [&](int cellIndex, int step, double origin, double from, double delta) {
        if (step == 0) return kNever;
        const double boundary = origin + (cellIndex + (step > 0 ? 1 : 0)) * cell_;
        return (boundary - from) / delta;
    };
    double nextX = firstCrossing(c.x, stepX, originX_, a.x, d.x), nextY = firstCrossing(c.y, stepY, originY_, a.y, d.y);
    const double strideX = stepX ? cell_ / std::fabs(d.x) : kNever, strideY = stepY ? cell_ / std::fabs(d.y) : kNever;
    for (int guard = width_ + height_ + 2; guard > 0; --guard) {
        if (ForEachInCell(c.x, c.y, enters)) return true;
        if (std::min(nextX, nextY) > t1) break;
        if (nextX < nextY) {
            c.x += stepX;
            nextX += strideX;
        } else {
            c.y += stepY;
            nextY += strideY;
        }
        if (c.x < 0 || c.y < 0 || c.x >= width_ || c.y >= height_) break;
    }
    return false;
}

bool BrushGrid::Column(const SealingBody& b, double x, double y, double& bottom, double& top) const {
    if (x < b.bounds.min.x - kTouch || x > b.bounds.max.x + kTouch || y < b.bounds.min.y - kTouch ||
        y > b.bounds.max.y + kTouch)
        return false;
    bottom = b.bounds.min.z;
    top = b.bounds.max.z;
    if (b.axisAligned) return true;
    for (const Plane& p : b.planes) {
        const double rest = p.dist - p.normal.x * x - p.normal.y * y;
        if (std::fabs(p.normal.z) < 1e-9) {
            if (rest < -kTouch) return false;
        } else if (p.normal.z > 0) {
            top = std::min(top, rest / p.normal.z);
        } else {
            bottom = std::max(bottom, rest / p.normal.z);
        }
    }
    return top > bottom;
}

double BrushGrid::FloorUnder(Vec3 p) const {
    if (bodies_.empty()) return p.z;
    NextQuery();
    // The engine lifts the node a tenth of a unit before it looks down.
    const double from = p.z + 0.1;
    double floor = -std::numeric_limits<double>::infinity();
    bool inside = false;
    const Cell c = CellOf(p.x, p.y);
    ForEachInCell(c.x, c.y, [&](const SealingBody& b) {
        double bottom = 0, top = 0;
        if (!Column(b, p.x, p.y, bottom, top)) return false;
        if (bottom < from && top > from) return inside = true;
        if (top <= from && top >= from - kNodeDropDistance) floor = std::max(floor, top);
        return false;
    });
    return inside || !std::isfinite(floor) ? p.z : floor;
}

bool BrushGrid::Inside(Vec3 p) const {
    if (bodies_.empty()) return false;
    NextQuery();
    const Cell c = CellOf(p.x, p.y);
    return ForEachInCell(c.x, c.y, [&](const SealingBody& b) {
        const Box& box = b.bounds;
        if (p.x <= box.min.x + kTouch || p.x >= box.max.x - kTouch || p.y <= box.min.y + kTouch ||
            p.y >= box.max.y - kTouch || p.z <= box.min.z + kTouch || p.z >= box.max.z - kTouch)
            return false;
        for (const Plane& pl : b.planes)
            if (Dot(pl.normal, p) >= pl.dist - kTouch) return false;
        return true;
    });
}

// ---- nodes ------------------------------------------------------------------------------------

NodeGraph::NodeGraph(const BrushGrid& brushes, const std::vector<Vec3>& origins)
    : brushes_(brushes), origins_(origins), parent_(origins.size()) {
    std::iota(parent_.begin(), parent_.end(), 0);
    standing_.reserve(origins_.size());
    for (const Vec3& o : origins_) standing_.push_back({o.x, o.y, brushes_.FloorUnder(o)});
    if (origins_.empty()) return;

    double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
    for (const Vec3& o : origins_)
        x0 = std::min(x0, o.x), y0 = std::min(y0, o.y), x1 = std::max(x1, o.x), y1 = std::max(y1, o.y);
    const GridShape shape(x0, y0, x1, y1, kNearLink);
    originX_ = shape.originX, originY_ = shape.originY, cell_ = shape.cell;
    width_ = shape.width, height_ = shape.height;
    FileIntoCells(
        origins_.size(), width_ * height_,
        [&](std::size_t i, const auto& file) { file(shape.Y(origins_[i].y) * width_ + shape.X(origins_[i].x)); },
        cellStart_, cellNodes_);

    // Near pairs first: they join most of a level (a room's nodes, the pair in a doorway). Then
    // the far pairs, of which only those between nodes not yet joined need a line.
    std::vector<Vec3> filed(cellNodes_.size());
    for (std::size_t k = 0; k < cellNodes_.size(); ++k) filed[k] = origins_[cellNodes_[k]];
    const Vec3 up{0, 0, kNodeLineLift};
    const auto tryLink = [&](std::uint32_t k, std::uint32_t m) {
        const int pi = Find(static_cast<int>(cellNodes_[k])), pj = Find(static_cast<int>(cellNodes_[m]));
        if (pi == pj) return;
        if (!brushes_.Blocked(Standing(static_cast<int>(cellNodes_[k])) + up,
                              Standing(static_cast<int>(cellNodes_[m])) + up))
            Join(pi, pj);
    };
    // Every pair of nodes at most `span` cells apart on each axis, once: within a cell, and with
    // the cells ahead of it.
    const auto eachPair = [&](int span, const auto& visit) {
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) {
                const std::size_t c = static_cast<std::size_t>(y * width_ + x);
                for (std::uint32_t k = cellStart_[c]; k < cellStart_[c + 1]; ++k) {
                    for (std::uint32_t m = k + 1; m < cellStart_[c + 1]; ++m) visit(k, m);
                    for (int dy = 0; dy <= span && y + dy < height_; ++dy)
                        for (int dx = dy == 0 ? 1 : -span; dx <= span; ++dx) {
                            const int nx = x + dx;
                            if (nx < 0 || nx >= width_) continue;
                            const std::size_t n = static_cast<std::size_t>((y + dy) * width_ + nx);
                            for (std::uint32_t m = cellStart_[n]; m < cellStart_[n + 1]; ++m) visit(k, m);
                        }
                }
            }
    };
    const double near2 = kNearLink * kNearLink, reach2 = kMaxNodeLinkDistance * kMaxNodeLinkDistance;
    const auto distance2 = [&](std::uint32_t k, std::uint32_t m) {
        const Vec3 d = filed[m] - filed[k];
        return Dot(d, d);
    };
    eachPair(1, [&](std::uint32_t k, std::uint32_t m) {
        if (distance2(k, m) <= near2) tryLink(k, m);
    });
    // The parts as the near pairs left them: a pair in one part then stays in one part, so most
    // far pairs are passed over on a number.
    std::vector<int> part(cellNodes_.size());
    int parts = 0;
    for (std::size_t k = 0; k < cellNodes_.size(); ++k) {
        part[k] = Find(static_cast<int>(cellNodes_[k]));
        parts += part[k] == static_cast<int>(cellNodes_[k]);
    }
    if (parts <= 1) return;
    const int span = static_cast<int>(std::ceil(kMaxNodeLinkDistance / cell_));
    eachPair(span, [&](std::uint32_t k, std::uint32_t m) {
        if (part[k] == part[m]) return;
        const double d2 = distance2(k, m);
        if (d2 > near2 && d2 <= reach2) tryLink(k, m);
    });
}

int NodeGraph::Find(int node) const {
    while (parent_[static_cast<std::size_t>(node)] != node) {
        int& up = parent_[static_cast<std::size_t>(node)];
        up = parent_[static_cast<std::size_t>(up)];  // halve the path as we go
        node = up;
    }
    return node;
}

void NodeGraph::Join(int a, int b) {
    a = Find(a), b = Find(b);
    if (a != b) parent_[static_cast<std::size_t>(std::max(a, b))] = std::min(a, b);
}

int NodeGraph::Part(int node) const { return Find(node); }

std::vector<int> NodeGraph::Candidates(const Box& around) const {
    std::vector<int> out;
    if (origins_.empty()) return out;
    const auto cellX = [&](double x) { return CellIndex((x - originX_) / cell_, width_); };
    const auto cellY = [&](double y) { return CellIndex((y - originY_) / cell_, height_); };
    for (int y = cellY(around.min.y); y <= cellY(around.max.y); ++y)
        for (int x = cellX(around.min.x); x <= cellX(around.max.x); ++x) {
            const std::size_t c = static_cast<std::size_t>(y * width_ + x);
            for (std::uint32_t k = cellStart_[c]; k < cellStart_[c + 1]; ++k) {
                const Vec3& o = origins_[cellNodes_[k]];
                if (o.x >= around.min.x && o.x <= around.max.x && o.y >= around.min.y && o.y <= around.max.y &&
                    o.z >= around.min.z && o.z <= around.max.z)
                    out.push_back(static_cast<int>(cellNodes_[k]));
            }
        }
    return out;
}

namespace {

// The first node, nearest first (ties by number, so the answer never depends on the grid), that
// `seen` accepts; -1 when none does. Usually the nearest is seen, so no sort is needed.
template <class Distance2, class Seen>
int NearestSeen(std::vector<int>& nodes, const Distance2& distance2, const Seen& seen) {
    std::vector<std::pair<double, int>> keyed;
    keyed.reserve(nodes.size());
    for (int n : nodes) keyed.emplace_back(distance2(n), n);
    while (!keyed.empty()) {
        const auto best = std::min_element(keyed.begin(), keyed.end());
        if (seen(best->second)) return best->second;
        *best = keyed.back();
        keyed.pop_back();
    }
    return -1;
}

}  // namespace

int NodeGraph::NearestTo(Vec3 p) const {
    const Vec3 reach{kMaxNodeLinkDistance, kMaxNodeLinkDistance, kMaxNodeLinkDistance};
    std::vector<int> near = Candidates({p - reach, p + reach});
    const auto dist2 = [&](int n) {
        const Vec3 d = Origin(n) - p;
        return Dot(d, d);
    };
    return NearestSeen(near, dist2, [&](int n) {
        return !brushes_.Blocked(p + Vec3{0, 0, 1}, Standing(n) + Vec3{0, 0, kNodeEyeHeight});
    });
}

int NodeGraph::NearestTo(const Box& box) const {
    const Vec3 reach{kMaxNodeLinkDistance, kMaxNodeLinkDistance, kMaxNodeLinkDistance};
    std::vector<int> near = Candidates({box.min - reach, box.max + reach});
    const auto closest = [&](Vec3 q) {
        return Vec3{std::clamp(q.x, box.min.x, box.max.x), std::clamp(q.y, box.min.y, box.max.y),
                    std::clamp(q.z, box.min.z, box.max.z)};
    };
    const auto dist2 = [&](int n) {
        const Vec3 d = closest(Origin(n)) - Origin(n);
        return Dot(d, d);
    };
    return NearestSeen(near, dist2, [&](int n) {
        const Vec3 eye = Standing(n) + Vec3{0, 0, kNodeEyeHeight};
        return !brushes_.Blocked(eye, closest(eye));
    });
}

}  // namespace tessellon
