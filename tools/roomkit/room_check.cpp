#include "roomkit/room_check.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <functional>
#include <charconv>
#include <sstream>

#include "check/level_check.h"
#include "check/node_graph.h"
#include "roomkit/brush.h"
#include "roomkit/kit.h"
#include "roomkit/room_rules.h"
#include "roomkit/walkway.h"

namespace roomkit {

namespace {

// A value as a message shows it: a value of thousands of characters is cut short.
std::string Shown(const std::string& text) { return text.size() <= 60 ? text : text.substr(0, 57) + "..."; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool ReadWhole(const std::string& text, int lo, int hi, int& out) {
    if (text.empty()) return out = 0, lo <= 0 && 0 <= hi;
    if (text.size() > 6 || !std::all_of(text.begin(), text.end(), IsDigit)) return false;
    out = 0;
    for (const char c : text) out = out * 10 + (c - '0');
    return out >= lo && out <= hi;
}

enum class NumberRead { Ok, NotANumber, OutOfRange };

// A decimal as the program writes them: an optional minus, digits, and a period with more
// digits. Reports a number too large for a double rather than giving infinity.
NumberRead ReadNumber(const std::string& text, double& out) {
    size_t i = text.size() > 0 && text[0] == '-' ? 1 : 0;
    const size_t intStart = i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    if (i == intStart) return NumberRead::NotANumber;
    if (i < text.size() && text[i] == '.') {
        const size_t fracStart = ++i;
        while (i < text.size() && IsDigit(text[i])) ++i;
        if (i == fracStart) return NumberRead::NotANumber;
    }
    if (i != text.size()) return NumberRead::NotANumber;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    if (ec == std::errc::result_out_of_range || !std::isfinite(out)) return NumberRead::OutOfRange;
    return ec == std::errc() && end == text.data() + text.size() ? NumberRead::Ok : NumberRead::NotANumber;
}

bool ReadDecimal(const std::string& text, double& out) {
    if (text.empty()) return out = 0, true;
    return ReadNumber(text, out) == NumberRead::Ok;
}

// The form the editor writes texture axes and displacement corners in: "[" numbers "]" with
// single spaces, each number made of digits, periods and a leading minus.
bool ReadBracketed(const std::string& text, int count, bool scale) {
    size_t i = 0;
    auto number = [&] {
        const size_t start = i;
        if (i < text.size() && text[i] == '-') ++i;
        bool digit = false;
        while (i < text.size() && (IsDigit(text[i]) || text[i] == '.')) digit |= text[i++] != '.';
        double v = 0;
        const auto [end, ec] = std::from_chars(text.data() + start, text.data() + i, v);
        return digit && ec == std::errc() && end == text.data() + i && std::isfinite(v);
    };
    if (text.empty() || text[i++] != '[') return false;
    for (int k = 0; k < count; ++k) {
        if (k > 0 && (i >= text.size() || text[i++] != ' ')) return false;
        if (!number()) return false;
    }
    if (i >= text.size() || text[i++] != ']') return false;
    if (scale && (i >= text.size() || text[i++] != ' ' || !number())) return false;
    return i == text.size();
}

bool ReadTriple(const std::string& text, Vec3& v) {
    std::istringstream in(text);
    std::string a, b, c, extra;
    if (!(in >> a >> b >> c) || (in >> extra)) return false;
    double x, y, z;
    if (!ReadDecimal(a, x) || !ReadDecimal(b, y) || !ReadDecimal(c, z)) return false;
    v = {x, y, z};
    return true;
}

std::string Pt(const Vec3& p) { return "(" + FormatCoord(p.x) + " " + FormatCoord(p.y) + " " + FormatCoord(p.z) + ")"; }

struct HeaderValues {
    int type = -1;
    bool sidesRead[4] = {};
    Vec3 point[4];
    int kind[4] = {};
};

HeaderValues CheckHeader(const std::vector<std::string>& lines, std::vector<Issue>& issues) {
    HeaderValues hv;
    if (lines[0].empty()) issues.push_back({1, "the room has no name (line 1)"});
    int genre = 0;
    if (!ReadWhole(lines[1], 0, 4, genre))
        issues.push_back({2, "genre \"" + Shown(lines[1]) + "\" must be a whole number from 0 to 4"});
    int type = 0;
    if (!ReadWhole(lines[2], 0, 6, type))
        issues.push_back(
            {3, "room type \"" + Shown(lines[2]) + "\" must be a whole number from 0 (one-way) to 6 (game end)"});
    else hv.type = type;
    for (int s = 0; s < 4; ++s) {
        const int first = 4 + 4 * s;  // line number of the side's X
        bool ok = true;
        double c[3];
        for (int k = 0; k < 3; ++k) {
            const std::string& t = lines[static_cast<size_t>(first - 1 + k)];
            const NumberRead read = t.empty() ? (c[k] = 0, NumberRead::Ok) : ReadNumber(t, c[k]);
            if (read != NumberRead::Ok) {
                issues.push_back(
                    {first + k, std::string(SideName(s)) + " connection point: \"" + Shown(t) +
                                    (read == NumberRead::OutOfRange ? "\" is out of range"
                                                                    : "\" is not a number written with a period")});
                ok = false;
            }
        }
        int kind = 0;
        const std::string& kt = lines[static_cast<size_t>(first + 2)];
        if (!ReadWhole(kt, 0, 4, kind))
            issues.push_back({first + 3, std::string(SideName(s)) + " connection kind \"" + Shown(kt) +
                                             "\" must be a whole number from 0 to 4"});
        else hv.kind[s] = kind;
        if (ok) {
            hv.sidesRead[s] = true;
            hv.point[s] = {c[0], c[1], c[2]};
        }
    }
    if (hv.type < 0) return hv;
    const auto open = OpenSides(hv.type);
    for (int s = 0; s < 4; ++s) {
        if (!open[static_cast<size_t>(s)] || !hv.sidesRead[s]) continue;
        const auto want = StandardDoorPoint(s);
        const Vec3& p = hv.point[s];
        if (std::fabs(p.x - want[0]) > 0.001 || std::fabs(p.y - want[1]) > 0.001)
            issues.push_back({4 + 4 * s, std::string(SideName(s)) + " connection point " + Pt(p) +
                                             " is off the cell boundary: an open " + SideName(s) + " side joins at (" +
                                             FormatCoord(want[0]) + " " + FormatCoord(want[1]) +
                                             " z), the middle of its doorway's floor edge"});
    }
    return hv;
}

// Checks the value forms the program later takes apart.
void CheckValues(const Node& block, std::vector<Issue>& issues) {
    for (const auto& c : block.children) {
        if (c.isBlock) {
            CheckValues(c, issues);
            continue;
        }
        const std::string k = LowerCase(c.key);
        const int vl = c.line + 1;
        Vec3 v;
        if (k == "plane") {
            Vec3 pts[3];
            if (!ParsePlanePoints(c.value, pts) || c.value.find(',') != std::string::npos)
                issues.push_back({vl, "plane \"" + Shown(c.value) + "\" must be (x y z) (x y z) (x y z)"});
        } else if (k == "origin" || k == "point0" || k == "point1" || k == "attachpoint" || k == "angles") {
            if (!ReadTriple(c.value, v))
                issues.push_back(
                    {vl, c.key + " \"" + Shown(c.value) + "\" must be three numbers written with a period"});
        } else if (k == "uaxis" || k == "vaxis") {
            if (!ReadBracketed(c.value, 4, true))
                issues.push_back({vl, c.key + " \"" + Shown(c.value) + "\" must be [x y z shift] scale"});
        } else if (k == "startposition") {
            if (!ReadBracketed(c.value, 3, false))
                issues.push_back({vl, "startposition \"" + Shown(c.value) + "\" must be [x y z]"});
        }
    }
}

void CheckMarkers(const RoomBody& body, const HeaderValues& hv, const std::vector<std::string>& lines,
                  std::vector<Issue>& issues) {
    int infoCount = 0;
    bool playerStart = false;
    std::array<int, 4> connectorLine{};
    const auto open = hv.type >= 0 ? OpenSides(hv.type) : std::array<bool, 4>{};
    for (const auto& e : body.entities.children) {
        const std::string cls = e.Get("classname");
        if (cls == "info_player_start") playerStart = true;
        if (cls == kInfoClass) {
            if (++infoCount > 1) issues.push_back({e.line, "a second " + kInfoClass + " entity"});
            if (e.Get("roomtype", lines[2]) != lines[2])
                issues.push_back(
                    {e.line, kInfoClass + " says room type " + e.Get("roomtype") + " but the header says " + lines[2]});
            if (e.Get("genre", lines[1]) != lines[1])
                issues.push_back(
                    {e.line, kInfoClass + " says genre " + e.Get("genre") + " but the header says " + lines[1]});
        } else if (cls == kConnectorClass) {
            Vec3 p;
            if (!ReadTriple(e.Get("origin"), p)) continue;  // reported with the values
            int side = -1;
            for (int s = 0; s < 4; ++s)
                if (open[static_cast<size_t>(s)] && hv.sidesRead[s] && std::fabs(p.x - hv.point[s].x) < 0.01 &&
                    std::fabs(p.y - hv.point[s].y) < 0.01 && std::fabs(p.z - hv.point[s].z) < 0.01)
                    side = s;
            if (side < 0)
                issues.push_back({e.line, kConnectorClass + " at " + Pt(p) +
                                              " matches no open side's connection point in the header"});
            else if (connectorLine[static_cast<size_t>(side)])
                issues.push_back({e.line, "a second " + kConnectorClass + " on the " + SideName(side) + " side"});
            else connectorLine[static_cast<size_t>(side)] = e.line;
        }
    }
    for (int s = 0; s < 4; ++s)
        if (open[static_cast<size_t>(s)] && hv.sidesRead[s] && !connectorLine[static_cast<size_t>(s)])
            issues.push_back({4 + 4 * s, "the open " + std::string(SideName(s)) + " side has no " + kConnectorClass +
                                             " marker at its connection point"});
    if (hv.type == 5 && !playerStart) issues.push_back({3, "a game start room needs an info_player_start"});
}

// Every brush block within an entity.
void CollectSolids(const Node& n, std::vector<const Node*>& out) {
    for (const auto& c : n.children)
        if (c.isBlock) {
            if (c.key == "solid") out.push_back(&c);
            else CollectSolids(c, out);
        }
}

void CheckOrigins(const Node& n, std::vector<Issue>& issues) {
    for (const auto& c : n.children) {
        if (c.isBlock) {
            CheckOrigins(c, issues);
        } else if (EqualsNoCase(c.key, "origin")) {
            Vec3 p;
            if (ReadTriple(c.value, p) && (std::fabs(p.x) > kHalfCell + 0.01 || std::fabs(p.y) > kHalfCell + 0.01))
                issues.push_back({c.line + 1, "origin " + Pt(p) + " lies outside the room's cell"});
        }
    }
}

struct Shell {
    std::vector<Brush> world;
    double zlo = 0, zhi = 0;
    bool Solid(const Vec3& p) const {
        for (const auto& b : world)
            if (b.Contains(p)) return true;
        return false;
    }
};

constexpr double kStep = 8;
constexpr double kInset = 8;  // samples lie half-way into the 16-unit wall

// Walks the samples of one side; report is called with the first sample that fails.
void CheckSide(const Shell& shell, int s, bool open, const Vec3& door, std::vector<Issue>& issues,
               double halfWidth = kDoorHalfWidth, double passageHalf = kPassageHalfWidth,
               double passageHeight = kPassageHeight) {
    const int line = 4 + 4 * s;
    const double depth = kHalfCell - kInset;
    auto at = [&](double u, double z) -> Vec3 {
        switch (s) {
        case North: return {u, depth, z};
        case East: return {depth, u, z};
        case South: return {u, -depth, z};
        default: return {-depth, u, z};
        }
    };
    const double center = (s == North || s == South) ? door.x : door.y;
    const double zc = door.z;
    auto inDoor = [&](double u, double z) {
        return open && std::fabs(u - center) < halfWidth && z > zc && z < zc + kDoorHeight;
    };
    // The frame fills the opening around the passage; only the passage must be clear.
    auto inPassage = [&](double u, double z) {
        return open && std::fabs(u - center) < passageHalf && z > zc && z < zc + passageHeight;
    };
    int gaps = 0, blocked = 0;
    Vec3 firstGap, firstBlock;
    for (double u = -kHalfCell + kStep / 2; u < kHalfCell; u += kStep)
        for (double z = shell.zlo + kStep / 2; z < shell.zhi; z += kStep) {
            const Vec3 p = at(u, z);
            const bool solid = shell.Solid(p);
            if (inDoor(u, z)) {
                if (solid && inPassage(u, z) && !blocked++) firstBlock = p;
            } else if (!solid && !gaps++) {
                firstGap = p;
            }
        }
    const std::string side = SideName(s);
    if (open) {
        if (zc + kDoorHeight > shell.zhi)
            issues.push_back({line, "the " + side + " doorway (192 high from z " + FormatCoord(zc) +
                                        ") reaches above the room's top at z " + FormatCoord(shell.zhi)});
        if (blocked)
            issues.push_back({line, "the " + side + " doorway is blocked at " + Pt(firstBlock) +
                                        ": an open side needs a clear " + FormatCoord(2 * passageHalf) + " x " +
                                        FormatCoord(passageHeight) + " passage above its connection point"});
        if (gaps)
            issues.push_back({line, "the " + side + " wall has a hole at " + Pt(firstGap) + " outside its doorway (" +
                                        std::to_string(gaps) + " samples open)"});
        for (double u = center - halfWidth + kStep / 2; u < center + halfWidth; u += kStep)
            if (!shell.Solid(at(u, zc - kStep / 2))) {
                issues.push_back({line, "the floor does not reach the " + side + " boundary under the doorway at " +
                                            Pt(at(u, zc - kStep / 2))});
                break;
            }
    } else if (gaps) {
        issues.push_back({line, "the closed " + side + " side has a hole at " + Pt(firstGap) +
                                    ": a closed side must be a full wall (" + std::to_string(gaps) + " samples open)"});
    }
}

void CheckFloorAndTop(const Shell& shell, std::vector<Issue>& issues, int line) {
    for (double zs : {shell.zlo + kStep / 2, shell.zhi - kStep / 2}) {
        for (double x = -kHalfCell + kStep; x < kHalfCell; x += 2 * kStep)
            for (double y = -kHalfCell + kStep; y < kHalfCell; y += 2 * kStep)
                if (!shell.Solid({x, y, zs})) {
                    issues.push_back({line, std::string("the room's ") + (zs < shell.zlo + kStep ? "bottom" : "top") +
                                                " is open at " + Pt({x, y, zs}) +
                                                ": floor and ceiling (or sky) must close the whole cell"});
                    return;
                }
    }
}

// Classes whose brushes stand in a player's way (spawn groups count as present).
bool BlocksWalking(const std::string& cls) {
    return cls == "func_vornic_spawngroup" || cls == "func_detail" || cls == "func_brush" || cls == "func_wall";
}

Vec3 DoorStand(int s, const Vec3& door) {
    const double in = kHalfCell - kInset;
    switch (s) {
    case North: return {door.x, in, door.z + 1};
    case East: return {in, door.y, door.z + 1};
    case South: return {door.x, -in, door.z + 1};
    default: return {-in, door.y, door.z + 1};
    }
}

// Where a player walks from the doorways: the places reached from the first doorway a player
// can stand in (every place reached when no doorway has room to stand).
struct Reach {
    int firstSide = -1;
    std::vector<bool> reached;
};

// The doorways must be joined by ways a player can walk, and what the player is meant to
// pick up must stand on such a way.
Reach CheckWalkways(const RoomBody& body, const HeaderValues& hv, const Walkways& walk,
                    const std::vector<const Brush*>& blocking, std::vector<Issue>& issues) {
    const auto open = OpenSides(hv.type);
    std::vector<bool> reached;
    int firstSide = -1;
    for (int s = 0; s < 4; ++s) {
        if (!open[static_cast<size_t>(s)] || !hv.sidesRead[s]) continue;
        const int place = walk.PlaceBelow(DoorStand(s, hv.point[s]), 2);
        if (place < 0) {
            issues.push_back({4 + 4 * s, std::string("there is no room to stand in the ") + SideName(s) + " doorway"});
            continue;
        }
        if (firstSide < 0) {
            firstSide = s;
            reached = walk.Reach(place);
        } else if (!reached[static_cast<size_t>(place)]) {
            issues.push_back({4 + 4 * s, std::string("the ") + SideName(s) +
                                             " doorway cannot be reached on foot from the " + SideName(firstSide) +
                                             " doorway (with every spawn group present)"});
        }
    }
    for (const auto& e : body.entities.children) {
        const std::string cls = e.Get("classname");
        const bool pickup = cls == "vornic_item" || cls == "vornic_weapon";
        if (!pickup && cls != "vornic_npc" && cls != "vornic_spawn" && cls != "info_player_start") continue;
        Vec3 p;
        if (!ReadTriple(e.Get("origin"), p)) continue;
        if (std::any_of(blocking.begin(), blocking.end(), [&](const Brush* b) { return b->Contains(p); })) {
            issues.push_back({e.line, cls + " at " + Pt(p) + " sits inside a brush"});
            continue;
        }
        if ((pickup || cls == "info_player_start") && firstSide >= 0) {
            const int place = walk.PlaceBelow(p, 64);
            if (place < 0 || !reached[static_cast<size_t>(place)])
                issues.push_back(
                    {e.line, cls + " at " + Pt(p) + " stands where a player cannot walk from the doorways"});
        }
    }
    if (firstSide < 0) reached.assign(static_cast<size_t>(walk.PlaceCount()), true);
    return {firstSide, std::move(reached)};
}

// Nodes characters find their way by (the engine links ground nodes up to 720 units apart, see
// check/node_graph.h): spread so every walkable spot has one near, with one just inside each
// doorway so the nodes of the rooms joined there link, and none inside a brush.
constexpr double kNodeSpotReach = 256;
constexpr double kNodeDoorReach = 96;

bool IsNodeClass(const std::string& lowerClass) { return lowerClass.rfind("info_node", 0) == 0; }

bool IsWater(const Node& solid) {
    for (const auto& side : solid.children)
        if (side.isBlock && LowerCase(side.Get("material")).find("water") != std::string::npos) return true;
    return false;
}

// `water`: the water volumes, whose surfaces a player may stand on but characters do not walk.
void CheckNodes(const RoomBody& body, const HeaderValues& hv, const Walkways& walk, const Reach& reach,
                const std::vector<const Brush*>& blocking, const std::vector<const Brush*>& water,
                const RoomCheckOptions& options, std::vector<Issue>& issues) {
    std::vector<Vec3> ground;
    for (const auto& e : body.entities.children) {
        const std::string cls = LowerCase(e.Get("classname"));
        Vec3 p;
        if (!IsNodeClass(cls) || !ReadTriple(e.Get("origin"), p)) continue;
        if (tessellon::IsGroundNode(cls)) ground.push_back(p);
        if (std::any_of(blocking.begin(), blocking.end(), [&](const Brush* b) { return b->Contains(p); }))
            issues.push_back({e.line, cls + " at " + Pt(p) + " sits inside a brush"});
    }
    if (ground.empty()) {
        Issue none{kHeaderLines + 1,
                   "the room has no info_node, so characters find no way through it: put nodes "
                   "over its floors and one just inside every doorway"};
        if (options.allowMissingNodes && options.allowed) options.allowed->push_back(std::move(none));
        else if (!options.allowMissingNodes) issues.push_back(std::move(none));
        return;  // the spots and doorways would only say the same again
    }
    const auto nearest = [&](const Vec3& p) {
        double best = 1e300;
        for (const Vec3& n : ground) best = std::min(best, std::sqrt(Dot(n - p, n - p)));
        return best;
    };
    int far = 0;
    double farthest = 0;
    Vec3 farSpot;
    const auto onWater = [&](const Vec3& spot) {
        return std::any_of(water.begin(), water.end(), [&](const Brush* w) {
            const Vec3 lo = w->Min(), hi = w->Max();
            return std::fabs(spot.z - hi.z) < 0.5 && spot.x > lo.x && spot.x < hi.x && spot.y > lo.y && spot.y < hi.y;
        });
    };
    for (int place = 0; place < walk.PlaceCount(); ++place) {
        if (!reach.reached[static_cast<size_t>(place)]) continue;
        const Vec3 spot = walk.PlacePoint(place);
        if (onWater(spot)) continue;
        const double d = nearest(spot);
        if (d <= kNodeSpotReach) continue;
        ++far;
        if (d > farthest) farthest = d, farSpot = spot;
    }
    if (far)
        issues.push_back({kHeaderLines + 1, "the walkable spot at " + Pt(farSpot) + " is " +
                                                FormatCoord(std::round(farthest)) +
                                                " units from the nearest info_node (" + std::to_string(far) +
                                                " spots of 16 x 16 units lie more than 256 from every node)"});
    const auto open = OpenSides(hv.type);
    for (int s = 0; s < 4; ++s) {
        if (!open[static_cast<size_t>(s)] || !hv.sidesRead[s] || nearest(hv.point[s]) <= kNodeDoorReach) continue;
        issues.push_back({4 + 4 * s, "no info_node within 96 units of the " + std::string(SideName(s)) +
                                         " doorway at " + Pt(hv.point[s]) +
                                         ": put one just inside it so the nodes of the room joined "
                                         "there link with this room's"});
    }
}

// Plugs every doorway and floods from inside the room with the level checker: a room that
// holds the void out on its own keeps every level made of such rooms sealed.
void CheckSealed(const std::vector<std::string>& lines, const RoomBody& body, const HeaderValues& hv,
                 std::vector<Issue>& issues) {
    namespace lc = tessellon;
    const std::vector<std::string> bodyLines(
        lines.begin() + kHeaderLines,
        lines.begin() + std::min<size_t>(lines.size(), static_cast<size_t>(body.endLine)));
    const lc::VmfDocument doc = lc::ReadVmfTokenLines(bodyLines, kHeaderLines + 1);
    lc::CheckOptions options;
    options.requireMapHead = false;
    options.startFromEntities = false;
    options.checkNodeGraph = false;  // the kit judges a room's nodes by rules of its own
    const auto open = OpenSides(hv.type);
    for (int s = 0; s < 4; ++s) {
        if (!open[static_cast<size_t>(s)] || !hv.sidesRead[s]) continue;
        const Vec3& d = hv.point[s];
        const double lo = kHalfCell - kWallThickness, hi = kHalfCell + kWallThickness;
        const double z0 = d.z, z1 = d.z + kDoorHeight;
        const double w = DoorHalfWidth(hv.kind[s]);
        lc::Box plug;
        switch (s) {
        case North: plug = {{d.x - w, lo, z0}, {d.x + w, hi, z1}}; break;
        case East: plug = {{lo, d.y - w, z0}, {hi, d.y + w, z1}}; break;
        case South: plug = {{d.x - w, -hi, z0}, {d.x + w, -lo, z1}}; break;
        default: plug = {{-hi, d.y - w, z0}, {-lo, d.y + w, z1}}; break;
        }
        options.extraSealing.push_back(plug);
        const Vec3 in = DoorStand(s, d);
        const double pull = 2 * kWallThickness;  // a little way into the room, at head height
        const Vec3 start{in.x - (s == East   ? pull
                                 : s == West ? -pull
                                             : 0),
                         in.y - (s == North   ? pull
                                 : s == South ? -pull
                                              : 0),
                         d.z + 48};
        options.extraStarts.push_back(
            {{start.x, start.y, start.z}, std::to_string(4 + 4 * s), std::string(SideName(s)) + " doorway"});
    }
    for (const auto& e : body.entities.children) {
        const std::string cls = e.Get("classname");
        Vec3 p;
        if (cls == kConnectorClass || !ReadTriple(e.Get("origin"), p)) continue;
        if (std::fabs(p.x) >= kHalfCell - kWallThickness || std::fabs(p.y) >= kHalfCell - kWallThickness) continue;
        options.extraStarts.push_back({{p.x, p.y, p.z}, std::to_string(e.line), cls});
    }
    const lc::CheckReport report = lc::CheckLevelDocument(doc, options);
    for (const auto& problem : report.problems)
        if (problem.severity == lc::Severity::Error && problem.kind != lc::ProblemKind::Placeholder)
            issues.push_back({problem.at.line ? problem.at.line : kHeaderLines + 1, problem.message});
    if (report.leak.leaked && !report.leak.leakingEntities.empty()) {
        const auto& from = report.leak.leakingEntities.front();
        Vec3 through{from.origin.x, from.origin.y, from.origin.z};
        for (const auto& t : report.leak.trail)
            if (std::max(std::fabs(t.x), std::fabs(t.y)) >= kHalfCell - kWallThickness) {
                through = {t.x, t.y, t.z};
                break;
            }
        int idLine = 0;  // the kit names each extra start by its line
        const auto [idEnd, idError] = std::from_chars(from.id.data(), from.id.data() + from.id.size(), idLine);
        if (idError != std::errc() || idEnd != from.id.data() + from.id.size() || idLine < 1) idLine = kHeaderLines + 1;
        issues.push_back({idLine, "the room leaks with its doorways plugged: the void reaches the " + from.classname +
                                      " at " + Pt({from.origin.x, from.origin.y, from.origin.z}) + " through " +
                                      Pt(through)});
    } else if (!report.leak.checked) {
        issues.push_back({kHeaderLines + 1, "the leak check could not run: " + report.leak.skippedReason});
    }
}

void CheckGeometry(const std::vector<std::string>& lines, const RoomBody& body, const HeaderValues& hv,
                   const RoomCheckOptions* options, std::vector<Issue>& issues) {
    Shell shell;
    bool first = true;
    std::vector<const Node*> entitySolids;
    std::vector<bool> entitySolidBlocks;
    for (const auto& e : body.entities.children) {
        CollectSolids(e, entitySolids);
        entitySolidBlocks.resize(entitySolids.size(), BlocksWalking(e.Get("classname")));
    }
    std::vector<Brush> blockingBrushes;
    std::vector<size_t> waterIndices;  // into shell.world
    std::vector<const Node*> all;
    for (const auto& c : body.world.children)
        if (c.isBlock && c.key == "solid") all.push_back(&c);
    const size_t worldCount = all.size();
    all.insert(all.end(), entitySolids.begin(), entitySolids.end());
    for (size_t i = 0; i < all.size(); ++i) {
        std::string error;
        int line = 0;
        auto b = BrushFromSolid(*all[i], error, line);
        if (!b) {
            issues.push_back({line, error});
            continue;
        }
        const Vec3 lo = b->Min(), hi = b->Max();
        const double reach = std::max({-lo.x, hi.x, -lo.y, hi.y});
        if (reach > kHalfCell + 0.01)
            issues.push_back({b->line, "the brush reaches outside the room's cell (to " + FormatCoord(reach) +
                                           " from the origin; a room lies within -384..384 in x and y)"});
        if (lo.z < -tessellon::kMapCoordinateLimit || hi.z > tessellon::kMapCoordinateLimit) {
            // The walls are sampled over the room's height; a brush past the map's limit would
            // make that walk endless, and the room cannot be built anyway.
            issues.push_back({b->line, "the brush reaches beyond the +-16384 limit of the map in height (z " +
                                           FormatCoord(lo.z) + " to " + FormatCoord(hi.z) + ")"});
            continue;
        }
        if (i >= worldCount) {
            if (entitySolidBlocks[i - worldCount]) blockingBrushes.push_back(std::move(*b));
            continue;
        }
        shell.zlo = first ? lo.z : std::min(shell.zlo, lo.z);
        shell.zhi = first ? hi.z : std::max(shell.zhi, hi.z);
        first = false;
        if (IsWater(*all[i])) waterIndices.push_back(shell.world.size());
        shell.world.push_back(std::move(*b));
    }
    CheckOrigins(body.entities, issues);
    if (shell.world.empty()) {
        issues.push_back({kHeaderLines + 1, "the room has no world brushes, so nothing closes it"});
        return;
    }
    if (hv.type < 0) return;
    const auto open = OpenSides(hv.type);
    for (int s = 0; s < 4; ++s) {
        if (open[static_cast<size_t>(s)] && !hv.sidesRead[s]) continue;
        CheckSide(shell, s, open[static_cast<size_t>(s)], hv.point[s], issues, DoorHalfWidth(hv.kind[s]),
                  PassageHalfWidth(hv.kind[s]), PassageHeight(hv.kind[s]));
    }
    CheckFloorAndTop(shell, issues, kHeaderLines + 1);
    std::vector<const Brush*> blocking;
    for (const auto& b : shell.world) blocking.push_back(&b);
    for (const auto& b : blockingBrushes) blocking.push_back(&b);
    const Walkways walk(blocking);
    const Reach reach = CheckWalkways(body, hv, walk, blocking, issues);
    if (options && options->nodes) {
        std::vector<const Brush*> water;
        for (const size_t w : waterIndices) water.push_back(&shell.world[w]);
        CheckNodes(body, hv, walk, reach, blocking, water, *options, issues);
    }
    CheckSealed(lines, body, hv, issues);
    std::vector<DoorwaySide> doorways;
    for (int s = 0; s < 4; ++s)
        if (open[static_cast<size_t>(s)] && hv.sidesRead[s]) doorways.push_back({s, hv.point[s], hv.kind[s]});
    CheckDoorwayFrames(doorways, shell.world, blockingBrushes, issues);
    CheckDoorsAndPortals(lines, body, doorways, issues);
}

}  // namespace

namespace {

// The room standard's shape, and with options the node rules, which need the same walkways.
std::vector<Issue> CheckShape(const std::vector<std::string>& lines, const RoomCheckOptions* options) {
    std::vector<Issue> issues;
    if (lines.size() < static_cast<size_t>(kHeaderLines)) {
        issues.push_back({static_cast<int>(lines.size()) + 1, "the file ends after " + std::to_string(lines.size()) +
                                                                  " lines; a room file starts with 21 header lines"});
        return issues;
    }
    const HeaderValues hv = CheckHeader(lines, issues);
    const RoomBody body = ParseBody(lines);
    issues.insert(issues.end(), body.issues.begin(), body.issues.end());
    CheckValues(body.world, issues);
    CheckValues(body.entities, issues);
    CheckMarkers(body, hv, lines, issues);
    // The shell is only judged on a body that was read whole.
    if (body.issues.empty()) CheckGeometry(lines, body, hv, options, issues);
    std::stable_sort(issues.begin(), issues.end(), [](const Issue& a, const Issue& b) { return a.line < b.line; });
    return issues;
}

}  // namespace

std::vector<Issue> CheckRoom(const std::vector<std::string>& lines) { return CheckShape(lines, nullptr); }

namespace {

// The shell is what touches the cell's sides: walls, floor and ceiling; walls that divide the
// room stand up to its ceiling. Anything else in the world only shapes the inside and would cut
// the level's visibility for nothing.
void CheckDetailBrushes(const RoomBody& body, std::vector<Issue>& issues) {
    std::vector<const Node*> solids;
    std::vector<tessellon::Box> boxes;
    double top = -1e9;
    for (const auto& c : body.world.children) {
        if (!c.isBlock || c.key != "solid" || IsWater(c)) continue;
        std::string error;
        int line = 0;
        const auto b = BrushFromSolid(c, error, line);
        if (!b) continue;  // reported by the shape check
        solids.push_back(&c);
        boxes.push_back({b->Min(), b->Max()});
        top = std::max(top, b->Max().z);
    }
    const std::vector<bool> structural = StructuralWorld(boxes, top - kWallThickness);
    for (size_t i = 0; i < solids.size(); ++i)
        if (!structural[i])
            issues.push_back({solids[i]->line, "the world brush from " + Pt(boxes[i].min) + " to " + Pt(boxes[i].max) +
                                                   " touches no side of the cell, so it is no part of the shell, nor a "
                                                   "wall dividing the room up to its ceiling: make it func_detail"});
}

void CollectProps(const Node& n, const RoomCheckOptions& options, std::vector<Issue>& issues) {
    for (const auto& e : n.children) {
        if (!e.isBlock || e.key != "entity") continue;
        const std::string cls = LowerCase(e.Get("classname"));
        if (cls.rfind("prop_", 0) != 0) continue;
        const Node* model = e.FindKey("model");
        if (!model) {
            issues.push_back({e.line, cls + " has no model"});
            continue;
        }
        const std::string path = LowerCase(model->value);
        if (options.models && !options.models->count(path)) {
            issues.push_back(
                {model->line + 1, cls + " model \"" + model->value + "\" is not in the list of the game's models"});
            continue;
        }
        if (cls != "prop_static" || !options.modelKinds) continue;
        // The compiler drops a static prop whose model carries physics data (vbsp: "prop_static
        // using model with physics data"), so only models known to have none may be static.
        const auto use = options.modelKinds->find(path);
        if (use == options.modelKinds->end() || use->second == PropUse::Static) continue;
        if (use->second == PropUse::Physics) {
            issues.push_back(
                {model->line + 1, "prop_static model \"" + model->value +
                                      "\" has physics data (marked physics in hl2_models.txt), so the map "
                                      "compiler removes it: make it prop_physics, or prop_dynamic to keep it still"});
        } else {
            Issue unknown{model->line + 1, "prop_static model \"" + model->value +
                                               "\" is not known to be free of physics data (marked unknown in "
                                               "hl2_models.txt): make it prop_physics or prop_dynamic, or establish "
                                               "and mark it static"};
            if (options.allowUnmarkedModels && options.allowed) options.allowed->push_back(std::move(unknown));
            else if (!options.allowUnmarkedModels) issues.push_back(std::move(unknown));
        }
    }
}

}  // namespace

std::vector<Issue> CheckRoom(const std::vector<std::string>& lines, const RoomCheckOptions& options) {
    std::vector<Issue> issues = CheckShape(lines, &options);
    if (lines.size() < static_cast<size_t>(kHeaderLines)) return issues;
    const RoomBody body = ParseBody(lines);
    if (!body.issues.empty()) return issues;
    const size_t before = issues.size();
    if (options.detailBrushes) CheckDetailBrushes(body, issues);
    if (options.models || options.modelKinds) CollectProps(body.entities, options, issues);
    if (issues.size() != before)
        std::stable_sort(issues.begin(), issues.end(), [](const Issue& a, const Issue& b) { return a.line < b.line; });
    return issues;
}

namespace {

// The words of a list line, '#' and what follows it left out.
std::vector<std::string> ListWords(std::string line) {
    if (const size_t hash = line.find('#'); hash != std::string::npos) line.erase(hash);
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

}  // namespace

bool ReadModelList(const std::string& path, std::set<std::string>& out) {
    std::string text;
    if (!ReadFile(path, text)) return false;
    for (const std::string& line : SplitLines(text))
        if (const auto words = ListWords(line); !words.empty()) out.insert(LowerCase(words[0]));
    return true;
}

std::string FormatIssues(const std::string& file, const std::vector<Issue>& issues) {
    std::string out;
    for (const auto& i : issues) out += file + ":" + std::to_string(i.line) + ": " + i.message + "\n";
    return out;
}

}  // namespace roomkit
