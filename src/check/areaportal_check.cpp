#include "check/areaportal_check.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace tessellon {

namespace {

// The bounds of a brush from its sides' planes, or false when they do not close a body (the
// solid checks report that).
bool SolidBounds(const VmfBlock& solid, Box& out) {
    std::vector<Plane> planes;
    for (const auto& side : solid.children) {
        if (!NamesEqual(side.name, "side")) continue;
        const std::string_view* text = side.Find("plane");
        Vec3 p[3];
        Plane plane;
        if (!text || !ParsePlanePoints(*text, p) || !PlaneFromPoints(p[0], p[1], p[2], plane)) return false;
        planes.push_back(plane);
    }
    if (planes.size() < 4) return false;
    if (AxialBox(planes, out)) return true;
    bool any = false;
    for (const Polygon& face : BodyFaces(planes))
        for (const Vec3& v : face) {
            if (std::max({std::abs(v.x), std::abs(v.y), std::abs(v.z)}) >= kUnboundedReach) return false;
            if (!any) out = {v, v};
            any = true;
            out.min = {std::min(out.min.x, v.x), std::min(out.min.y, v.y), std::min(out.min.z, v.z)};
            out.max = {std::max(out.max.x, v.x), std::max(out.max.y, v.y), std::max(out.max.z, v.z)};
        }
    return any;
}

std::string Where(const Box& b) {
    auto n = [](double v) {
        std::string s = std::to_string(static_cast<long long>(v < 0 ? v - 0.5 : v + 0.5));
        return s;
    };
    const Vec3 c = (b.min + b.max) * 0.5;
    return "(" + n(c.x) + " " + n(c.y) + " " + n(c.z) + ")";
}

}  // namespace

std::vector<AreaPortal> AreaPortalsOf(const VmfDocument& doc) {
    std::vector<AreaPortal> out;
    for (const auto& block : doc.blocks) {
        if (!NamesEqual(block.name, "entity")) continue;
        const std::string_view* cls = block.Find("classname");
        if (!cls || !NamesEqual(*cls, "func_areaportal")) continue;
        AreaPortal portal;
        portal.id = block.Get("id");
        portal.target = block.Get("target");
        portal.at = block.at;
        for (const auto& solid : block.children) {
            Box b;
            if (!NamesEqual(solid.name, "solid") || !SolidBounds(solid, b)) continue;
            if (!portal.hasBrush) portal.bounds = b;
            portal.bounds.min = {std::min(portal.bounds.min.x, b.min.x), std::min(portal.bounds.min.y, b.min.y),
                                 std::min(portal.bounds.min.z, b.min.z)};
            portal.bounds.max = {std::max(portal.bounds.max.x, b.max.x), std::max(portal.bounds.max.y, b.max.y),
                                 std::max(portal.bounds.max.z, b.max.z)};
            portal.hasBrush = true;
        }
        out.push_back(std::move(portal));
    }
    return out;
}

std::array<Vec3, 2> PortalSides(const Box& b) {
    const Vec3 size = b.max - b.min, centre = (b.min + b.max) * 0.5;
    // 12 units beyond the portal's faces clears the 16-unit wall a portal usually stands in.
    Vec3 off;
    if (size.x <= size.y && size.x <= size.z) off = {size.x / 2 + 12, 0, 0};
    else if (size.y <= size.z) off = {0, size.y / 2 + 12, 0};
    else off = {0, 0, size.z / 2 + 12};
    return {centre - off, centre + off};
}

PortalSeparation PortalsSeparate(std::vector<SealingBody> bodies, const std::vector<AreaPortal>& portals) {
    PortalSeparation out;
    std::vector<Vec3> points;
    for (const auto& p : portals) {
        if (!p.hasBrush) continue;
        bodies.push_back(SealingBox(p.bounds));
        const auto sides = PortalSides(p.bounds);
        points.insert(points.end(), sides.begin(), sides.end());
    }
    const SpaceRegions regions = FindSpaceRegions(bodies, points);
    out.checked = regions.checked;
    out.skippedReason = regions.skippedReason;
    if (!out.checked) return out;
    std::set<int> areas;
    size_t k = 0;
    for (const auto& p : portals) {
        if (!p.hasBrush) {
            out.separates.push_back(false);
            continue;
        }
        const int a = regions.region[k], b = regions.region[k + 1];
        k += 2;
        out.separates.push_back(a >= 0 && b >= 0 && a != b);
        if (a >= 0) areas.insert(a);
        if (b >= 0) areas.insert(b);
    }
    out.areas = static_cast<int>(areas.size());
    return out;
}

void CheckAreaPortals(const VmfDocument& doc, const std::vector<SealingBody>& sealing, const std::vector<Box>& extra,
                      std::vector<Problem>& problems) {
    const std::vector<AreaPortal> portals = AreaPortalsOf(doc);
    if (portals.empty()) return;
    std::vector<SealingBody> bodies = sealing;
    for (const Box& b : extra) bodies.push_back(SealingBox(b));
    auto add = [&](const std::string& id, TextPosition at, std::string message) {
        problems.push_back(Problem{Severity::Error, ProblemKind::AreaPortal, "entity", id, at, std::move(message)});
    };
    const PortalSeparation sep = PortalsSeparate(std::move(bodies), portals);
    if (!sep.checked) {
        problems.push_back(Problem{Severity::Warning,
                                   ProblemKind::AreaPortal,
                                   "level",
                                   "",
                                   {},
                                   "The areaportals were not checked: " + sep.skippedReason + "."});
        return;
    }
    for (size_t i = 0; i < portals.size(); ++i) {
        const AreaPortal& p = portals[i];
        const std::string who = "Entity " + (p.id.empty() ? std::string("without an id") : p.id) + " (func_areaportal)";
        if (!p.hasBrush) add(p.id, p.at, who + " has no brush, so it closes nothing.");
        else if (!sep.separates[i])
            add(p.id, p.at,
                who + " at " + Where(p.bounds) +
                    " does not part the space around it in two: there is a way round it, so the compiler finds "
                    "the areas on its sides leaking into each other.");
    }
    if (static_cast<int>(portals.size()) > kMaxMapAreaPortals || sep.areas > kMaxMapAreas)
        problems.push_back(Problem{Severity::Error,
                                   ProblemKind::Limit,
                                   "level",
                                   "",
                                   {},
                                   "The level has " + std::to_string(portals.size()) + " areaportals parting " +
                                       std::to_string(sep.areas) + " areas; the engine takes at most " +
                                       std::to_string(kMaxMapAreaPortals) + " areaportals and " +
                                       std::to_string(kMaxMapAreas) + " areas."});
}

}  // namespace tessellon
