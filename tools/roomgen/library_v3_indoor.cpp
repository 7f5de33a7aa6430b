// The indoor rooms of the library: corridors with offices, flats, cells and stores off them,
// halls with galleries, and stairwells between floors.
#include <string>

#include "roomgen/library_v3.h"
#include "roomgen/plan_v3.h"

namespace roomgen::v3 {

namespace {

using roomkit::East;
using roomkit::North;
using roomkit::South;
using roomkit::West;

std::string Key(const char* family, const District& d, int variant) {
    return std::string(family) + "_" + d.key + "_" + std::to_string(variant);
}

// ---- turns, three-ways, crossings and dead ends: corridors meeting at a hub ----

struct Legs {
    bool n, e, s, w;
};

// The corridors of a junction: a hub and a leg to each open side.
std::vector<Space> JunctionWays(const Legs& legs, const District& d) {
    std::vector<Space> ways{Way({-64, -64, 64, 64}, d)};
    if (legs.n) ways.push_back(Way({-64, 64, 64, kIn}, d));
    if (legs.e) ways.push_back(Way({64, -64, kIn, 64}, d));
    if (legs.s) ways.push_back(Way({-64, -kIn, 64, -64}, d));
    if (legs.w) ways.push_back(Way({-kIn, -64, -64, 64}, d));
    return ways;
}

// The rooms around a junction: the quarters, or a strip along a side without a leg; the
// long ones split in two now and then.
std::vector<Rect> JunctionRooms(const Legs& legs, int variant) {
    const double a = -kIn + kGap, z = kIn - kGap, lo = -64 - kGap, hi = 64 + kGap;
    std::vector<Rect> big;
    if (legs.n) big = {QuarterNW(), QuarterNE()};
    else big = {{a, hi, z, z}};
    if (legs.s) big.insert(big.end(), {QuarterSW(), QuarterSE()});
    else big.push_back({a, a, z, lo});
    std::vector<Rect> out;
    for (size_t i = 0; i < big.size(); ++i) {
        const Rect& r = big[i];
        if (variant < 2 && (variant + static_cast<int>(i)) % 2 == 0 && std::max(r.W(), r.D()) > 400) {
            const auto [p, q] = Halves(r);
            out.push_back(p), out.push_back(q);
        } else {
            out.push_back(r);
        }
    }
    return out;
}

void Junctions(std::vector<Def>& defs, int type, const char* family, const char* noun, const Legs& legs,
               std::uint32_t seed0) {
    int n = 0;
    static const char* const kWings[3] = {"", " Wing", " Halls"};
    for (const District& d : Districts())
        for (int v = 0; v < 3; ++v) {
            const std::uint32_t seed = seed0 + static_cast<std::uint32_t>(n++);
            // The third kind has big undivided rooms under a higher roof.
            const double height = d.height + (v == 1 ? 32 : v == 2 ? 64 : 0);
            defs.push_back({Key(family, d, v), std::string(d.name) + " " + noun + kWings[v],
                            "Corridors of the " + std::string(d.name) + " meet here, with rooms between them.", type,
                            ShellOf(type, *d.way, height), [d, v, legs, seed](RoomBuilder& b, const ShellPlan& s) {
                                Plan p;
                                p.ways = JunctionWays(legs, d);
                                const auto rooms = JunctionRooms(legs, v);
                                for (size_t k = 0; k < rooms.size(); ++k)
                                    p.zones.push_back(Room(rooms[k], d, static_cast<int>(k) + v, (k + v) % 2 == 0));
                                p.before = [](Cell& c) {
                                    for (int i = 0; i < c.Count(); ++i) {
                                        const Rect& r = c.At(i).r;
                                        if (c.At(i).use == Use::Corridor || r.W() < 200) continue;
                                        c.Window(i, r.y0 < 0 ? 2 : 0, r.W() / 2, 56, 64, 64);
                                    }
                                };
                                Realise(b, s, p, seed);
                            }});
        }
}

// A hall open to both doors of a turn, with a gallery along its west wall and rooms behind.
void TurnHalls(std::vector<Def>& defs) {
    const struct {
        const char* key;
        const char* name;
        const Look* look;
        Use use;
    } halls[] = {{"works", "Works Corner Hall", &Industrial(), Use::Hall},
                 {"laundry", "Laundry Hall", &Cellars(), Use::Hall},
                 {"combine", "Combine Garage", &CombinePost(), Use::Post}};
    std::uint32_t seed = 600;
    for (const auto& h : halls) {
        const Look look = *h.look;
        const Use use = h.use;
        defs.push_back(
            {std::string("turn_hall_") + h.key, h.name, "A tall corner hall with a gallery and rooms behind.", 1,
             ShellOf(1, look, 320), [look, use, seed](RoomBuilder& b, const ShellPlan& s) {
                 Plan p;
                 Space hall;
                 hall.r = {-208, -96, kIn, kIn}, hall.look = look, hall.use = use;
                 p.ways.push_back(hall);
                 Zone south{{-kIn + kGap, -kIn + kGap, kIn - kGap, -96 - kGap}, &look, Use::Store, true};
                 south.at = 300;
                 p.zones.push_back(south);
                 p.zones.push_back({{-kIn + kGap, -96, -208 - kGap, kIn - kGap}, &look, Use::Machine, false});
                 p.before = [](Cell& c) { c.Window(0, 1, 120, 200, 96, 80); };
                 p.extras = [](Cell& c) {
                     Gallery(c, 0, 3, 112, 160, 0, 80);
                     Flight(c, {-96, -96, 224, -16}, West, 0, 160, c.At(0).look.mats.trim);
                 };
                 Realise(b, s, p, seed);
             }});
        ++seed;
    }
}

// The north door a storey up: a stair climbs the north leg; the rooms open onto the other legs.
void RaisedJunctions(std::vector<Def>& defs, int type, const char* family, const Legs& legs, std::uint32_t seed0) {
    const District* ds[] = {&Districts()[0], &Districts()[3]};
    std::uint32_t seed = seed0;
    for (const District* dp : ds) {
        const District d = *dp;
        defs.push_back({std::string(family) + "_raised_" + d.key, std::string(d.name) + " Upper Landing",
                        "The north door is a storey up a flight of stairs.", type,
                        ShellOf(type, *d.way, 320, false, {128, 0, 0, 0}),
                        [d, legs, seed](RoomBuilder& b, const ShellPlan& s) {
                            Plan p;
                            p.ways = JunctionWays({false, legs.e, legs.s, legs.w}, d);
                            Space flight = Way({-64, 64, 64, 64 + 256}, d), landing = Way({-64, 64 + 256, 64, kIn}, d);
                            flight.use = landing.use = Use::Stair;
                            // The stairs need the whole height: no corridor ceiling hangs low here.
                            for (auto& w : p.ways) w.ceiling = 0;
                            flight.ceiling = landing.ceiling = 0;
                            landing.floor = 128;
                            p.ways.push_back(flight), p.ways.push_back(landing);
                            const double a = -kIn + kGap, z = kIn - kGap, lo = -64 - kGap;
                            if (legs.e) p.zones.push_back(Room(QuarterNE(), d, 0, true));
                            if (legs.w) p.zones.push_back(Room(QuarterNW(), d, 1, false));
                            if (legs.s) {
                                p.zones.push_back(Room(QuarterSW(), d, 2, true));
                                p.zones.push_back(Room(QuarterSE(), d, 3, false));
                            } else {
                                const auto [l, r] = Halves(Rect{a, a, z, lo});
                                p.zones.push_back(Room(r, d, 2, true));
                                p.zones.push_back(Room(l, d, 3, false));
                            }
                            p.extras = [](Cell& c) {
                                for (int i = 0; i < c.Count(); ++i)
                                    if (c.At(i).use == Use::Stair && c.At(i).floor == 0)
                                        Flight(c, c.At(i).r, North, 0, 128, c.At(i).look.mats.trim);
                            };
                            Realise(b, s, p, seed);
                        }});
        ++seed;
    }
}

// A dead end: a corridor from the north door into a room of the district.
void DeadEnds(std::vector<Def>& defs) {
    int n = 0;
    for (const District& d : Districts())
        for (int v = 0; v < 3; ++v) {
            const std::uint32_t seed = 700 + static_cast<std::uint32_t>(n++);
            static const char* const kNames[3] = {" Dead End", " Back Rooms", " Far End"};
            defs.push_back(
                {Key("alley", d, v), std::string(d.name) + kNames[v],
                 "The corridor ends in the rooms at the back of the " + std::string(d.name) + ".", 4,
                 ShellOf(4, *d.way, d.height), [d, v, seed](RoomBuilder& b, const ShellPlan& s) {
                     Plan p;
                     const double bottom = v == 0 ? -96.0 : v == 1 ? 0.0 : -192.0;
                     p.ways.push_back(Way({-64, bottom, 64, kIn}, d));
                     const double back = bottom - kGap;
                     // The room at the end, and rooms either side of the corridor.
                     p.zones.push_back(Room({-kIn + kGap + (v ? 64 : 0), -kIn + kGap, kIn - kGap, back}, d, v, true));
                     p.zones.push_back(Room({-kIn + kGap, back + 2 * kGap, -64 - kGap, kIn - kGap}, d, v + 1, v == 1));
                     p.zones.push_back(Room({64 + kGap, back + 2 * kGap, kIn - kGap, kIn - kGap}, d, v + 2, false));
                     p.before = [](Cell& c) {
                         const Rect& r = c.At(1).r;
                         c.Window(1, 2, r.W() / 2, 56, 96, 64);
                     };
                     Realise(b, s, p, seed);
                 }});
        }
}

// A long store or hall at the end of a short corridor, with a mezzanine.
void StoreHalls(std::vector<Def>& defs) {
    const struct {
        const char* key;
        const char* name;
        const Look* look;
        Use use;
    } halls[] = {{"warehouse", "Warehouse Floor", &Industrial(), Use::Store},
                 {"archive", "Archive Stacks", &Offices(), Use::Store},
                 {"armoury", "Combine Armoury", &CombinePost(), Use::Post}};
    std::uint32_t seed = 800;
    for (const auto& h : halls) {
        const Look look = *h.look;
        const Use use = h.use;
        defs.push_back(
            {std::string("alley_hall_") + h.key, h.name, "A dead-end hall with a mezzanine over its far end.", 4,
             ShellOf(4, look, 320), [look, use, seed](RoomBuilder& b, const ShellPlan& s) {
                 Plan p;
                 Space hall;
                 hall.r = {-288, -kIn, 288, kIn}, hall.look = look, hall.use = use;
                 p.ways.push_back(hall);
                 p.extras = [](Cell& c) {
                     Gallery(c, 0, 2, 160, 144, 0, 80);
                     Flight(c, {208, -kIn + 160, 288, -kIn + 160 + 288}, South, 0, 144, c.At(0).look.mats.trim);
                 };
                 Realise(b, s, p, seed);
             }});
        ++seed;
    }
}

}  // namespace

void AddIndoorRooms(std::vector<Def>& d) {
    Junctions(d, 1, "turn", "Corner", {true, true, false, false}, 400);
    TurnHalls(d);
    RaisedJunctions(d, 1, "turn", {true, true, false, false}, 450);
    Junctions(d, 2, "threeway", "Junction", {true, true, false, true}, 500);
    RaisedJunctions(d, 2, "threeway", {true, true, false, true}, 550);
    Junctions(d, 3, "cross", "Crossing", {true, true, true, true}, 900);
    RaisedJunctions(d, 3, "cross", {true, true, true, true}, 950);
    DeadEnds(d);
    StoreHalls(d);
}

}  // namespace roomgen::v3
