#include "roomkit/room_space.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "roomkit/room_file.h"

namespace roomkit {

namespace {

bool Blocks(SpaceBrush::Kind k) { return k == SpaceBrush::Always || k == SpaceBrush::SpawnGroup; }

// Where a doorway's floor is sampled: half-way into its wall, as the kit's check stands there.
constexpr double kDoorInset = 8;

}  // namespace

Vec3 DoorInfo::Inward() const {
    switch (side) {
    case North: return {0, -1, 0};
    case East: return {-1, 0, 0};
    case South: return {0, 1, 0};
    default: return {1, 0, 0};
    }
}

Vec3 DoorInfo::Inside(double depth, double up, double across) const {
    const Vec3 in = Inward();
    const Vec3 side{-in.y, in.x, 0};  // along the wall
    return {point.x + in.x * depth + side.x * across, point.y + in.y * depth + side.y * across, point.z + up};
}

std::vector<const Brush*> WalkingBrushes(const std::vector<SpaceBrush>& brushes) {
    std::vector<const Brush*> out;
    for (const auto& b : brushes)
        if (Blocks(b.kind)) out.push_back(&b.brush);
    return out;
}

namespace {

bool HasMaterial(const Node& solid, const std::string& part) {
    for (const auto& side : solid.children)
        if (side.isBlock && side.key == "side" && LowerCase(side.Get("material")).find(part) != std::string::npos)
            return true;
    return false;
}

}  // namespace

void AddSpaceBrushes(const Node& owner, const std::string& classname, std::vector<SpaceBrush>& out) {
    SpaceBrush::Kind kind = SpaceBrush::Always;
    if (classname == "func_vornic_spawngroup") kind = SpaceBrush::SpawnGroup;
    else if (classname.rfind("trigger_", 0) == 0 || classname == "func_areaportal")
        kind = SpaceBrush::Passable;  // a door's areaportal is no wall: the door opens for everyone
    else if (classname == "func_wall_toggle") kind = SpaceBrush::Closable;
    for (const auto& c : owner.children) {
        if (!c.isBlock || c.key != "solid") continue;
        std::string error;
        int line = 0;
        auto b = BrushFromSolid(c, error, line);
        if (!b) continue;
        SpaceBrush sb;
        sb.kind = HasMaterial(c, "water")          ? SpaceBrush::Water
                  : HasMaterial(c, "toolstrigger") ? SpaceBrush::Passable
                                                   : kind;
        sb.lo = b->Min();
        sb.hi = b->Max();
        sb.brush = std::move(*b);
        out.push_back(std::move(sb));
    }
}

RoomSpace SpaceOfMap(const Node& map) {
    std::vector<SpaceBrush> brushes;
    std::vector<DoorInfo> doors;
    for (const auto& block : map.children) {
        if (!block.isBlock) continue;
        if (block.key == "world") AddSpaceBrushes(block, "", brushes);
        if (block.key != "entity") continue;
        const std::string cls = block.Get("classname");
        if (cls == kConnectorClass) {
            Vec3 p;
            if (!tessellon::ParseVector(block.Get("origin"), p)) continue;
            const int side = p.y > kHalfCell - 1    ? North
                             : p.x > kHalfCell - 1  ? East
                             : p.y < -kHalfCell + 1 ? South
                                                    : West;
            doors.push_back({side, p, DoorHalfWidth(std::atoi(block.Get("kind").c_str()))});
        } else {
            AddSpaceBrushes(block, cls, brushes);
        }
    }
    return RoomSpace(std::move(brushes), {}, std::move(doors));
}

RoomSpace::RoomSpace(std::vector<SpaceBrush> brushes, std::vector<PropBox> props, std::vector<DoorInfo> doors)
    : brushes_(std::move(brushes)),
      props_(std::move(props)),
      doors_(std::move(doors)),
      walk_(WalkingBrushes(brushes_)) {
    for (const auto& b : brushes_)
        if (b.kind == SpaceBrush::Always) top_ = std::max(top_, b.lo.z);
    const int n = walk_.PlaceCount();
    reach_.assign(static_cast<size_t>(n), false);
    for (const auto& d : doors_) {
        const int start = DoorPlace(d);
        if (start < 0) continue;
        const auto r = walk_.Reach(start);
        for (int i = 0; i < n; ++i)
            if (r[static_cast<size_t>(i)]) reach_[static_cast<size_t>(i)] = true;
    }
    wet_.assign(static_cast<size_t>(n), false);
    waterTop_.assign(static_cast<size_t>(n), 0);
    clearance_.assign(static_cast<size_t>(n), -1);
    for (int i = 0; i < n; ++i) {
        const Vec3 p = walk_.PlacePoint(i);
        for (const auto& b : brushes_)
            if (b.kind == SpaceBrush::Water && p.x > b.lo.x && p.x < b.hi.x && p.y > b.lo.y && p.y < b.hi.y &&
                b.hi.z > p.z + 1)
                wet_[static_cast<size_t>(i)] = true, waterTop_[static_cast<size_t>(i)] = b.hi.z;
        // Rings of columns free from a step above the place to head height.
        int rings = -1;
        for (int r = 0; r <= 3; ++r) {
            bool free = true;
            for (int dx = -r; dx <= r && free; ++dx)
                for (int dy = -r; dy <= r && free; ++dy) {
                    if (std::max(std::abs(dx), std::abs(dy)) != r) continue;
                    const double x = p.x + 16 * dx, y = p.y + 16 * dy;
                    if (walk_.BlockedAt(x, y, p.z + Walkways::kStep + 0.5, p.z + Walkways::kHeadRoom) ||
                        PropMeets({x - 8, y - 8, p.z + Walkways::kStep}, {x + 8, y + 8, p.z + Walkways::kHeadRoom}))
                        free = false;
                }
            if (!free) break;
            rings = r;
        }
        clearance_[static_cast<size_t>(i)] = rings;
    }
}

int RoomSpace::DoorPlace(const DoorInfo& d) const { return walk_.PlaceBelow(d.Inside(kDoorInset, 1), 2); }

bool RoomSpace::InSolid(const Vec3& p) const {
    for (const auto& b : brushes_)
        if (Blocks(b.kind) && p.x > b.lo.x && p.x < b.hi.x && p.y > b.lo.y && p.y < b.hi.y && p.z > b.lo.z &&
            p.z < b.hi.z && b.brush.Contains(p))
            return true;
    return false;
}

bool RoomSpace::InProp(const Vec3& p, double m) const {
    for (const auto& box : props_)
        if (p.x > box.lo.x - m && p.x < box.hi.x + m && p.y > box.lo.y - m && p.y < box.hi.y + m &&
            p.z > box.lo.z - m && p.z < box.hi.z + m)
            return true;
    return false;
}

bool RoomSpace::InClosable(const Vec3& p, double m) const {
    for (const auto& b : brushes_)
        if (b.kind == SpaceBrush::Closable && p.x > b.lo.x - m && p.x < b.hi.x + m && p.y > b.lo.y - m &&
            p.y < b.hi.y + m && p.z > b.lo.z - m && p.z < b.hi.z + m)
            return true;
    return false;
}

bool RoomSpace::PropMeets(const Vec3& lo, const Vec3& hi) const {
    for (const auto& box : props_)
        if (lo.x < box.hi.x && hi.x > box.lo.x && lo.y < box.hi.y && hi.y > box.lo.y && lo.z < box.hi.z &&
            hi.z > box.lo.z)
            return true;
    return false;
}

bool RoomSpace::Clear(const Vec3& a, const Vec3& b, bool groups) const {
    const Vec3 lo{std::min(a.x, b.x), std::min(a.y, b.y), std::min(a.z, b.z)};
    const Vec3 hi{std::max(a.x, b.x), std::max(a.y, b.y), std::max(a.z, b.z)};
    for (const auto& s : brushes_) {
        if (s.kind != SpaceBrush::Always && !(groups && s.kind == SpaceBrush::SpawnGroup)) continue;
        if (s.hi.x < lo.x || s.lo.x > hi.x || s.hi.y < lo.y || s.lo.y > hi.y || s.hi.z < lo.z || s.lo.z > hi.z)
            continue;
        // Clip the segment against every plane; what is left lies inside the brush.
        double enter = 0, leave = 1;
        bool misses = false;
        for (const auto& pl : s.brush.planes) {
            const double da = Dot(pl.normal, a) - pl.dist, db = Dot(pl.normal, b) - pl.dist;
            if (da >= -0.01 && db >= -0.01) {
                misses = true;
                break;
            }
            if (da >= -0.01) enter = std::max(enter, da / (da - db));
            else if (db >= -0.01) leave = std::min(leave, da / (da - db));
        }
        if (!misses && enter < leave - 1e-6) return false;
    }
    return true;
}

Vec3 RoomSpace::LinkPoint(const Vec3& p) const {
    const int floor = walk_.PlaceBelow(p, 384);
    const double z = floor >= 0 ? walk_.PlacePoint(floor).z : p.z;
    return {p.x, p.y, z + Walkways::kStep};
}

bool RoomSpace::BodyFits(const Vec3& p) const {
    for (double x = -15; x <= 15; x += 7.5)
        for (double y = -15; y <= 15; y += 7.5)
            for (double z = 1; z <= 72; z += 7) {
                const Vec3 q{p.x + x, p.y + y, p.z + z};
                if (InSolid(q)) return false;
            }
    return !PropMeets({p.x - 16, p.y - 16, p.z}, {p.x + 16, p.y + 16, p.z + 72}) &&
           !InClosable({p.x, p.y, p.z + 36}, 16);
}

}  // namespace roomkit
