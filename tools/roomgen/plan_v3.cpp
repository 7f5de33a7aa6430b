#include "roomgen/plan_v3.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <stdexcept>

namespace roomgen::v3 {

Rect QuarterNW() { return {-kIn + kGap, 64 + kGap, -64 - kGap, kIn - kGap}; }
Rect QuarterNE() { return {64 + kGap, 64 + kGap, kIn - kGap, kIn - kGap}; }
Rect QuarterSE() { return {64 + kGap, -kIn + kGap, kIn - kGap, -64 - kGap}; }
Rect QuarterSW() { return {-kIn + kGap, -kIn + kGap, -64 - kGap, -64 - kGap}; }

ShellPlan ShellOf(int type, const Look& look, double height, bool sky, std::array<double, 4> doorZ,
                  std::array<int, 4> kind) {
    return Shell(type, look.mats, height, sky, doorZ, kind);
}

void Flight(Cell& c, const Rect& r, int side, double z0, double z1, const std::string& mat) {
    // One sloped brush with the stair material: a flight of steps would cost a brush a step,
    // each of them lines in the level's entity table. The slope is one in two, as steps of
    // 16 rise and 32 run.
    const double run = (z1 - z0) * 2;
    Rect at = r;
    switch (side) {
        case roomkit::North: at.y0 = r.y1 - run; break;
        case roomkit::South: at.y1 = r.y0 + run; break;
        case roomkit::East: at.x0 = r.x1 - run; break;
        default: at.x1 = r.x0 + run; break;
    }
    Lean(c.Builder().Ramp({at.x0, at.y0, z0}, {at.x1, at.y1, z1}, side, mat));
    c.KeepClear(r);
}

namespace {

double Area(const Rect& r) { return r.W() * r.D(); }

}  // namespace

int Realise(RoomBuilder& b, const ShellPlan& shell, const Plan& plan, std::uint32_t seed) {
    Cell c(b, shell, seed);
    std::vector<int> ways, rooms;
    for (const auto& w : plan.ways) ways.push_back(c.Add(w));
    for (const auto& z : plan.zones) {
        Space s;
        s.r = z.r, s.look = *z.look, s.use = z.use, s.ceiling = z.ceiling, s.floor = z.floor;
        rooms.push_back(c.Add(s));
    }
    // Each room opens onto a way, else onto a room that already opens onto something; rooms
    // that find nothing yet wait for the others.
    std::vector<bool> joined(rooms.size(), false);
    std::vector<int> reached = ways;
    int doors = 0;
    for (bool progress = true; progress;) {
        progress = false;
        for (size_t k = 0; k < rooms.size(); ++k) {
            if (joined[k]) continue;
            const Zone& z = plan.zones[k];
            const int id = rooms[k];
            for (const int other : reached) {
                double middle, length;
                const double need = z.door ? 56 + 32 : 96 + 32;
                if (!c.Shares(id, other, middle, length) || length < need) continue;
                const double at = z.at != 0 ? z.at : middle;
                const bool onFloor = c.FloorOf(id) == 0 && c.FloorOf(other) == 0;
                // Two doors at most: each with its areaportal costs the level's entity table
                // some ninety lines.
                if (z.door && onFloor && doors < 2)
                    c.Door(id, other, at), ++doors;
                else
                    c.Arch(id, other, at, 96, 120);
                joined[k] = progress = true;
                reached.push_back(id);
                break;
            }
        }
    }
    for (bool j : joined)
        if (!j) throw std::logic_error("a room of the plan opens onto nothing");
    if (plan.before) plan.before(c);
    c.Build();
    if (plan.extras) plan.extras(c);

    // What dresses the room is counted: every entity line of a room goes into the level's
    // entity table, which all rooms of a level share (see kRoomEntityLines). So lamps light the
    // rooms and the biggest ways, props come in a few groups, a little dirt.
    std::vector<int> bySize(static_cast<size_t>(c.Count()));
    for (int i = 0; i < c.Count(); ++i) bySize[static_cast<size_t>(i)] = i;
    std::sort(bySize.begin(), bySize.end(), [&](int a, int b) { return Area(c.At(a).r) > Area(c.At(b).r); });
    std::vector<int> lit;
    for (const int i : bySize) {
        const bool room = std::find(rooms.begin(), rooms.end(), i) != rooms.end();
        const bool bigWay = !room && c.At(i).use != Use::Water && Area(c.At(i).r) >= 30000;
        if ((room || bigWay) && lit.size() < 6) lit.push_back(i);
    }
    if (lit.empty()) lit.push_back(bySize.front());
    for (const int i : lit) c.Lamps(i);
    std::set<std::string> sounded;
    for (const int i : bySize)
        if (sounded.size() < 2 && sounded.insert(c.At(i).look.soundscape).second) c.Sound(i, c.At(i).look.soundscape);
    const int target = 12 + c.Random().Pick(5);
    for (const int i : rooms)
        if (c.Props() < target) Furnish(c, i, Area(c.At(i).r) > 60000 ? 2 : 1);
    for (const int i : bySize)
        if (c.Props() < target && std::find(rooms.begin(), rooms.end(), i) == rooms.end()) Furnish(c, i, 1);
    for (int round = 0; round < 6 && c.Props() < target; ++round)
        for (const int i : bySize)
            if (c.Props() < target) Furnish(c, i, 1);
    for (size_t k = 0; k < bySize.size() && k < 3; ++k) c.Decals(bySize[k], k == 0 ? 2 : 1);
    // People in the bigger spaces, pickups in the rooms and on the ways.
    std::vector<int> standing;
    for (const int i : bySize)
        if (c.At(i).use != Use::Water && std::find(plan.noNpcs.begin(), plan.noNpcs.end(), i) == plan.noNpcs.end())
            standing.push_back(i);
    for (int k = 0; k < plan.npcs && !standing.empty(); ++k)
        Populate(c, standing[static_cast<size_t>(k) % standing.size()], 1, 0, 0);
    std::vector<int> dry;
    for (const int i : ways)
        if (c.At(i).use != Use::Water) dry.push_back(i);
    for (int k = 0; k < plan.items; ++k) {
        const int i = rooms.empty() ? (dry.empty() ? 0 : dry[static_cast<size_t>(k) % dry.size()])
                                    : rooms[static_cast<size_t>(k) % rooms.size()];
        Populate(c, i, 0, 1, 0);
    }
    for (int k = 0; k < plan.weapons && !dry.empty(); ++k) Populate(c, dry[static_cast<size_t>(k) % dry.size()], 0, 0, 1);
    return c.Props();
}

}  // namespace roomgen::v3
