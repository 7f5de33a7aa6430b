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

const std::vector<District>& Districts() {
    static const std::vector<District> all{
        {"flats",
         "Tenement",
         &Stairwells(),
         &Apartments(),
         {Use::Flat, Use::Kitchen, Use::Bedroom, Use::Washroom},
         224,
         176},
        {"offices",
         "Office Block",
         &Offices(),
         &Offices(),
         {Use::Office, Use::Office, Use::Store, Use::Office},
         240,
         160},
        {"combine",
         "Combine Post",
         &CombinePost(),
         &CombinePost(),
         {Use::Cell, Use::Post, Use::Cell, Use::Machine},
         256,
         0},
        {"works", "Works", &Industrial(), &Industrial(), {Use::Hall, Use::Store, Use::Machine, Use::Hall}, 288, 0},
        {"cellars", "Cellars", &Cellars(), &Cellars(), {Use::Store, Use::Washroom, Use::Store, Use::Machine}, 208, 0},
    };
    return all;
}

Space Way(const Rect& r, const District& d) {
    Space s;
    s.r = r, s.look = *d.way, s.use = Use::Corridor, s.ceiling = d.wayCeiling;
    return s;
}

Zone Room(const Rect& r, const District& d, int k, bool door) { return {r, d.room, d.uses[k % 4], door, 0, 0}; }

std::pair<Rect, Rect> Halves(const Rect& r) {
    if (r.W() >= r.D()) {
        const double m = r.Cx();
        return {{r.x0, r.y0, m - kGap / 2, r.y1}, {m + kGap / 2, r.y0, r.x1, r.y1}};
    }
    const double m = r.Cy();
    return {{r.x0, r.y0, r.x1, m - kGap / 2}, {r.x0, m + kGap / 2, r.x1, r.y1}};
}

ShellPlan ShellOf(int type, const Look& look, double height, bool sky, std::array<double, 4> doorZ,
                  std::array<int, 4> kind) {
    return Shell(type, look.mats, height, sky, doorZ, kind);
}

void Flight(Cell& c, const Rect& r, int side, double z0, double z1, const std::string& mat) {
    // One sloped brush with the stair material: a flight of steps would cost a brush a step,
    // each of them lines in the level's entity table. The slope is one in two, as steps of
    // 16 rise and 32 run.
    const double run = (z1 - z0) * 2;
    // The slope runs on 8 past its landing's edge, into the landing, so no spot at the joint
    // lies on a seam between the two.
    constexpr double kOver = 8;
    Rect at = r;
    switch (side) {
    case roomkit::North: at.y0 = r.y1 - run, at.y1 = r.y1 + kOver; break;
    case roomkit::South: at.y1 = r.y0 + run, at.y0 = r.y0 - kOver; break;
    case roomkit::East: at.x0 = r.x1 - run, at.x1 = r.x1 + kOver; break;
    default: at.x1 = r.x0 + run, at.x0 = r.x0 - kOver; break;
    }
    Lean(c.Builder().Ramp({at.x0, at.y0, z0}, {at.x1, at.y1, z1 + kOver / 2}, side, mat));
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
    for (const auto& link : plan.openings) {
        // A way at a street's scale has a gateway, indoors an arch.
        const bool wide = c.Shell().sky;
        c.Arch(ways[static_cast<size_t>(link.a)], ways[static_cast<size_t>(link.b)], link.at, wide ? 128 : 96,
               wide ? 176 : 120);
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
                // Only onto a floor at the same height: a step up is no way in.
                if (!c.Shares(id, other, middle, length) || length < need ||
                    std::fabs(c.FloorOf(id) - c.FloorOf(other)) > 0.01)
                    continue;
                const double at = z.at != 0 ? z.at : middle;
                const bool onFloor = c.FloorOf(id) == 0 && c.FloorOf(other) == 0;
                // Two doors at most: each with its areaportal costs the level's entity table
                // some ninety lines.
                if (z.door && onFloor && doors < 2) c.Door(id, other, at), ++doors;
                else c.Arch(id, other, at, 96, 120);
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
    if (plan.save) {
        b.Autosave(plan.save->first, plan.save->second);
        const auto& [lo, hi] = *plan.save;
        c.KeepClear({lo.x, lo.y, hi.x, hi.y});
    }

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
        if ((room || bigWay) && lit.size() < 4) lit.push_back(i);
    }
    if (lit.empty()) lit.push_back(bySize.front());
    for (const int i : lit) c.Lamps(i);
    std::set<std::string> sounded;
    for (const int i : bySize)
        if (sounded.size() < 2 && sounded.insert(c.At(i).look.soundscape).second) c.Sound(i, c.At(i).look.soundscape);
    // A room looks lived in with 14 to 20 props in its groups (fewer where the floor runs out).
    const int target = 14 + c.Random().Pick(7);
    for (const int i : rooms)
        if (c.Props() < target) Furnish(c, i, Area(c.At(i).r) > 60000 ? 2 : 1);
    for (const int i : bySize)
        if (c.Props() < target && std::find(rooms.begin(), rooms.end(), i) == rooms.end()) Furnish(c, i, 1);
    for (int round = 0; round < 6 && c.Props() < target; ++round)
        for (const int i : bySize)
            if (c.Props() < target) Furnish(c, i, 1);
    // Bills, graffiti or stains on the walls and litter underfoot: two in each of the two
    // largest spaces, one in every other.
    for (size_t k = 0; k < bySize.size(); ++k) c.Decals(bySize[k], k < 2 ? 2 : 1);
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
    // A room with one doorway ends a branch, built after the main line has handed its weapons out:
    // a weapon placeholder there would hand one of them again, the RPG as likely as the pistol.
    // It gets an item instead.
    const bool deadEnd = std::count(shell.open.begin(), shell.open.end(), true) == 1;
    for (int k = 0; k < plan.weapons && !dry.empty(); ++k)
        Populate(c, dry[static_cast<size_t>(k) % dry.size()], 0, deadEnd ? 1 : 0, deadEnd ? 0 : 1);
    return c.Props();
}

}  // namespace roomgen::v3
