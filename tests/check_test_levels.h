#pragma once
// Small levels written the way the editor writes them, for the checker's tests.
#include <string>
#include <vector>

#include "check/brush_geometry.h"

namespace tessellon::checktest {

inline std::string Num(double v) {
    std::string s = std::to_string(v);
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.') s.pop_back();
    return s;
}
inline std::string Point(Vec3 p) { return "(" + Num(p.x) + " " + Num(p.y) + " " + Num(p.z) + ")"; }

inline std::string Side(int id, Vec3 a, Vec3 b, Vec3 c, const std::string& material, const std::string& u,
                        const std::string& v) {
    return "\t\tside\n\t\t{\n\t\t\t\"id\" \"" + std::to_string(id) + "\"\n\t\t\t\"plane\" \"" + Point(a) + " " + Point(b) +
           " " + Point(c) + "\"\n\t\t\t\"material\" \"" + material + "\"\n\t\t\t\"uaxis\" \"" + u +
           "\"\n\t\t\t\"vaxis\" \"" + v + "\"\n\t\t}\n";
}

// Writes solids and sides with fresh ids.
class LevelText {
public:
    // An axis-aligned box brush with the editor's winding (normals out of the brush).
    std::string Box(Vec3 mn, Vec3 mx, const std::string& material = "BRICK/BRICKWALL001A") {
        const double x0 = mn.x, y0 = mn.y, z0 = mn.z, x1 = mx.x, y1 = mx.y, z1 = mx.z;
        const std::string flatU = "[1 0 0 0] 0.25", flatV = "[0 -1 0 0] 0.25";
        const std::string xU = "[0 1 0 0] 0.25", wallV = "[0 0 -1 0] 0.25", yU = "[1 0 0 0] 0.25";
        std::string s = "\tsolid\n\t{\n\t\t\"id\" \"" + std::to_string(nextSolid_++) + "\"\n";
        s += Side(nextSide_++, {x0, y1, z1}, {x1, y1, z1}, {x1, y0, z1}, material, flatU, flatV);
        s += Side(nextSide_++, {x0, y0, z0}, {x1, y0, z0}, {x1, y1, z0}, material, flatU, flatV);
        s += Side(nextSide_++, {x0, y1, z1}, {x0, y0, z1}, {x0, y0, z0}, material, xU, wallV);
        s += Side(nextSide_++, {x1, y1, z0}, {x1, y0, z0}, {x1, y0, z1}, material, xU, wallV);
        s += Side(nextSide_++, {x1, y1, z1}, {x0, y1, z1}, {x0, y1, z0}, material, yU, wallV);
        s += Side(nextSide_++, {x1, y0, z0}, {x0, y0, z0}, {x0, y0, z1}, material, yU, wallV);
        return s + "\t}\n";
    }

    // A wedge filling x0..x1 whose +x face slopes: full height at x0, touching x1 only at the floor.
    std::string Wedge(Vec3 mn, Vec3 mx, const std::string& material = "BRICK/BRICKWALL001A") {
        const double x0 = mn.x, y0 = mn.y, z0 = mn.z, x1 = mx.x, y1 = mx.y, z1 = mx.z;
        const std::string u = "[1 0 0 0] 0.25", v = "[0 -1 0 0] 0.25", wu = "[0 1 0 0] 0.25", wv = "[0 0 -1 0] 0.25";
        std::string s = "\tsolid\n\t{\n\t\t\"id\" \"" + std::to_string(nextSolid_++) + "\"\n";
        s += Side(nextSide_++, {x0, y0, z0}, {x1, y0, z0}, {x1, y1, z0}, material, u, v);            // floor
        s += Side(nextSide_++, {x0, y1, z1}, {x0, y0, z1}, {x0, y0, z0}, material, wu, wv);          // -x
        s += Side(nextSide_++, {x0, y1, z1}, {x1, y1, z0}, {x1, y0, z0}, material, wu, "[1 0 -1 0] 0.25");  // slope
        s += Side(nextSide_++, {x1, y1, z0}, {x0, y1, z1}, {x0, y1, z0}, material, u, wv);           // +y
        s += Side(nextSide_++, {x1, y0, z0}, {x0, y0, z0}, {x0, y0, z1}, material, u, wv);           // -y
        return s + "\t}\n";
    }

    std::string Entity(const std::string& classname, const std::string& body) {
        return "entity\n{\n\t\"id\" \"" + std::to_string(nextEntity_++) + "\"\n\t\"classname\" \"" + classname + "\"\n" +
               body + "}\n";
    }
    std::string PointEntity(const std::string& classname, Vec3 origin, const std::string& keys = "") {
        return Entity(classname, "\t\"origin\" \"" + Num(origin.x) + " " + Num(origin.y) + " " + Num(origin.z) + "\"\n" + keys);
    }

    // The head, a world of the given solids, then the entities.
    static std::string Level(const std::string& worldSolids, const std::string& entities) {
        return "versioninfo\n{\n\t\"editorversion\" \"400\"\n\t\"mapversion\" \"1\"\n\t\"formatversion\" \"100\"\n}\n"
               "world\n{\n\t\"id\" \"1\"\n\t\"classname\" \"worldspawn\"\n\t\"skyname\" \"sky_day01_01\"\n" +
               worldSolids + "}\n" + entities;
    }

private:
    int nextSolid_ = 2;
    int nextSide_ = 1;
    int nextEntity_ = 100;
};

// The six brushes of a closed room around x/y -384..384, floor top at z 0, ceiling at 256,
// with 16-unit walls; `leave` names parts to leave out: "floor", "ceiling", "north", "east",
// "south", "west".
inline std::string RoomShell(LevelText& t, const std::vector<std::string>& leave = {}) {
    auto kept = [&](const char* part) {
        for (const auto& l : leave)
            if (l == part) return false;
        return true;
    };
    std::string s;
    if (kept("floor")) s += t.Box({-384, -384, -16}, {384, 384, 0});
    if (kept("ceiling")) s += t.Box({-384, -384, 256}, {384, 384, 272}, "TOOLS/TOOLSSKYBOX");
    if (kept("north")) s += t.Box({-384, 368, 0}, {384, 384, 256}, "TOOLS/TOOLSNODRAW");
    if (kept("south")) s += t.Box({-384, -384, 0}, {384, -368, 256});
    if (kept("east")) s += t.Box({368, -368, 0}, {384, 368, 256});
    if (kept("west")) s += t.Box({-384, -368, 0}, {-368, 368, 256});
    return s;
}

}  // namespace tessellon::checktest
