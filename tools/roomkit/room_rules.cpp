#include "roomkit/room_rules.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "check/areaportal_check.h"
#include "check/level_check.h"
#include "roomkit/kit.h"

namespace roomkit {

namespace {

std::string Pt(const Vec3& p) { return "(" + FormatCoord(p.x) + " " + FormatCoord(p.y) + " " + FormatCoord(p.z) + ")"; }

bool Inside(const std::vector<Brush>& brushes, const Vec3& p) {
    for (const auto& b : brushes)
        if (b.Contains(p)) return true;
    return false;
}

bool ReadPoint(const std::string& text, Vec3& v) {
    std::istringstream in(text);
    return static_cast<bool>(in >> v.x >> v.y >> v.z);
}

// A closed door as the floods see it: the panel swung shut, widened and thickened so it also
// fills the slits a door model leaves in its doorway. The panel is taken to reach either way
// from the hinge (the origin), so which way a model is drawn does not matter here.
struct ClosedDoor {
    tessellon::Box box;
    std::array<Vec3, 2> sides;
};

ClosedDoor DoorAt(const Vec3& hinge, double yawDegrees) {
    const double yaw = yawDegrees * 3.14159265358979 / 180;
    // Along the panel, and across it.
    const Vec3 along{std::fabs(std::sin(yaw)), std::fabs(std::cos(yaw)), 0};
    const Vec3 across{along.y, along.x, 0};
    constexpr double kReach = 58, kHalfThick = 8, kHalfHigh = 58;
    const Vec3 half = along * kReach + across * kHalfThick + Vec3{0, 0, kHalfHigh};
    ClosedDoor d;
    d.box = {hinge - half, hinge + half};
    d.sides = {hinge - across * 20, hinge + across * 20};
    return d;
}

}  // namespace

tessellon::Box DoorwayPlug(const DoorwaySide& d) {
    const double lo = kHalfCell - kWallThickness, hi = kHalfCell + kWallThickness;
    const double w = DoorHalfWidth(d.kind), z0 = d.point.z, z1 = d.point.z + kDoorHeight;
    const Vec3& p = d.point;
    switch (d.side) {
    case North: return {{p.x - w, lo, z0}, {p.x + w, hi, z1}};
    case East: return {{lo, p.y - w, z0}, {hi, p.y + w, z1}};
    case South: return {{p.x - w, -hi, z0}, {p.x + w, -lo, z1}};
    default: return {{-hi, p.y - w, z0}, {-lo, p.y + w, z1}};
    }
}

std::vector<bool> StructuralWorld(const std::vector<tessellon::Box>& world, double ceiling) {
    constexpr double kTouch = 0.01;
    auto overlap = [](double a0, double a1, double b0, double b1) { return std::min(a1, b1) - std::max(a0, b0); };
    // Side by side: touching or overlapping, with some height and some width in common.
    auto joined = [&](const tessellon::Box& a, const tessellon::Box& b) {
        const double x = overlap(a.min.x, a.max.x, b.min.x, b.max.x), y = overlap(a.min.y, a.max.y, b.min.y, b.max.y);
        const double z = overlap(a.min.z, a.max.z, b.min.z, b.max.z);
        return z > kTouch && x > -kTouch && y > -kTouch && (x > kTouch || y > kTouch);
    };
    std::vector<bool> structural(world.size(), false);
    for (size_t i = 0; i < world.size(); ++i) {
        const auto& b = world[i];
        structural[i] = std::max({-b.min.x, b.max.x, -b.min.y, b.max.y}) >= kHalfCell - kTouch;
    }
    for (bool grew = true; grew;) {
        grew = false;
        for (size_t i = 0; i < world.size(); ++i) {
            if (structural[i] || world[i].max.z < ceiling - kTouch) continue;
            for (size_t j = 0; j < world.size() && !structural[i]; ++j)
                if (structural[j] && joined(world[i], world[j])) structural[i] = grew = true;
        }
    }
    return structural;
}

void CheckDoorwayFrames(const std::vector<DoorwaySide>& sides, const std::vector<Brush>& world,
                        const std::vector<Brush>& others, std::vector<Issue>& issues) {
    constexpr double kStep = 8, kDepth = kHalfCell - kStep;  // half-way into the wall
    for (const DoorwaySide& d : sides) {
        const int line = 4 + 4 * d.side;
        const std::string side = SideName(d.side);
        const double D = DoorHalfWidth(d.kind), P = PassageHalfWidth(d.kind), top = d.point.z + PassageHeight(d.kind);
        const double centre = (d.side == North || d.side == South) ? d.point.x : d.point.y;
        auto at = [&](double u, double z) -> Vec3 {
            switch (d.side) {
            case North: return {u, kDepth, z};
            case East: return {kDepth, u, z};
            case South: return {u, -kDepth, z};
            default: return {-kDepth, u, z};
            }
        };
        bool bare = false, narrowed = false;
        for (double u = centre - D + kStep / 2; u < centre + D; u += kStep)
            for (double z = d.point.z + kStep / 2; z < d.point.z + kDoorHeight; z += kStep) {
                const Vec3 p = at(u, z);
                const bool passage = std::fabs(u - centre) < P && z < top;
                if (passage && !narrowed && Inside(others, p)) {
                    narrowed = true;
                    issues.push_back({line, "the " + side + " doorway's passage is narrowed at " + Pt(p) +
                                                ": the frame leaves " + FormatCoord(2 * P) + " x " +
                                                FormatCoord(top - d.point.z) + " clear"});
                }
                if (!passage && !bare && !Inside(others, p) && !Inside(world, p)) {
                    bare = true;
                    issues.push_back({line, "the " + side + " doorway has no frame at " + Pt(p) +
                                                ": a frame fills the opening around a " + FormatCoord(2 * P) + " x " +
                                                FormatCoord(top - d.point.z) + " passage"});
                }
            }
    }
}

void CheckDoorsAndPortals(const std::vector<std::string>& lines, const RoomBody& body,
                          const std::vector<DoorwaySide>& sides, std::vector<Issue>& issues) {
    struct Door {
        std::string name;
        int line;
        ClosedDoor shut;
    };
    std::vector<Door> doors;
    for (const auto& e : body.entities.children) {
        if (!EqualsNoCase(e.Get("classname"), "prop_door_rotating")) continue;
        Vec3 origin, angles;
        if (!ReadPoint(e.Get("origin"), origin)) continue;  // reported with the values
        ReadPoint(e.Get("angles", "0 0 0"), angles);
        doors.push_back({e.Get("targetname"), e.line, DoorAt(origin, angles.y)});
    }
    const std::vector<std::string> bodyLines(
        lines.begin() + kHeaderLines,
        lines.begin() + std::min<size_t>(lines.size(), static_cast<size_t>(body.endLine)));
    const tessellon::VmfDocument doc = tessellon::ReadVmfTokenLines(bodyLines, kHeaderLines + 1);
    const std::vector<tessellon::AreaPortal> portals = tessellon::AreaPortalsOf(doc);
    if (doors.empty() && portals.empty()) return;

    std::vector<bool> doorHasPortal(doors.size(), false);
    for (const auto& portal : portals) {
        const int line = portal.at.line;
        size_t found = doors.size();
        for (size_t i = 0; i < doors.size(); ++i)
            if (!portal.target.empty() && EqualsNoCase(doors[i].name, portal.target)) found = i;
        if (found == doors.size()) {
            issues.push_back({line, "the func_areaportal targets \"" + portal.target +
                                        "\", which names no prop_door_rotating of the room: an areaportal closes "
                                        "with the door standing in it"});
            continue;
        }
        doorHasPortal[found] = true;
        const auto& b = doors[found].shut.box;
        const Vec3 hinge = (b.min + b.max) * 0.5;
        const auto& p = portal.bounds;
        if (portal.hasBrush && (hinge.x < p.min.x - 48 || hinge.x > p.max.x + 48 || hinge.y < p.min.y - 48 ||
                                hinge.y > p.max.y + 48 || hinge.z < p.min.z - 48 || hinge.z > p.max.z + 48))
            issues.push_back({line, "the func_areaportal targets the door \"" + portal.target + "\" at " + Pt(hinge) +
                                        ", which stands away from the areaportal"});
    }

    // Which doors are the only way between two parts of the room: with the doorways plugged and
    // every areaportal shut, a shut door whose two sides fall apart needs an areaportal.
    std::vector<tessellon::SealingBody> bodies = tessellon::SealingBodies(doc);
    for (const auto& d : sides) bodies.push_back(tessellon::SealingBox(DoorwayPlug(d)));
    for (const auto& portal : portals)
        if (portal.hasBrush) bodies.push_back(tessellon::SealingBox(portal.bounds));
    for (size_t i = 0; i < doors.size(); ++i) {
        if (doorHasPortal[i]) continue;
        auto withDoor = bodies;
        withDoor.push_back(tessellon::SealingBox(doors[i].shut.box));
        const auto& s = doors[i].shut.sides;
        const auto regions = tessellon::FindSpaceRegions(withDoor, {s[0], s[1]});
        if (!regions.checked) continue;
        const int a = regions.region[0], b = regions.region[1];
        if (a >= 0 && b >= 0 && a != b)
            issues.push_back({doors[i].line, "the prop_door_rotating \"" + doors[i].name +
                                                 "\" is the only way between two parts of the room but no "
                                                 "func_areaportal targets it: fill its doorway with one "
                                                 "(TOOLS/TOOLSAREAPORTAL, target the door)"});
    }
}

}  // namespace roomkit
