// The rooms under the sky: streets and yards between the fronts of buildings, and the canals
// with their quays.
#include <string>

#include "roomgen/library_v3.h"
#include "roomgen/plan_v3.h"

namespace roomgen::v3 {

namespace {

using roomkit::kWideGateKind;
constexpr int G = kWideGateKind;

Space Street(const Rect& r, Use use = Use::Street) {
    Space s;
    s.r = r, s.look = Streets(), s.use = use;
    return s;
}

Space Quay(const Rect& r, const Look& look) {
    Space s;
    s.r = r, s.look = look, s.use = Use::Quay, s.floor = 48;
    return s;
}

Space Water(const Rect& r, const Look& look) {
    Space s;
    s.r = r, s.look = look, s.use = Use::Water;
    return s;
}

// Fronts on the given walls of the given spaces.
struct Front {
    int space, wall;
};

std::function<void(Cell&)> Fronts(std::vector<Front> fronts, int storeys) {
    return [fronts, storeys](Cell& c) {
        for (const auto& f : fronts) Facade(c, f.space, f.wall, storeys);
    };
}

// The street layouts: legs of half width h from a hub; `gates` makes every open side a wide gate.
struct StreetPlan {
    const char* key;
    const char* name;
    int type;
    double half;    // the legs' half width
    double height;  // the buildings' height
    bool gates;     // every open side a wide gate
    bool yard;      // a yard off the street through an arch
    int gate = -1;  // else one side (0 north .. 3 west) a wide gate, the others doorways
};

void StreetRooms(std::vector<Def>& defs) {
    const StreetPlan plans[] = {
        // turns
        {"turn_street_corner", "Street Corner", 1, 128, 448, true, true},
        {"turn_street_lane", "Lane Corner", 1, 96, 384, false, true},
        {"turn_street_square", "Corner Square", 1, 160, 512, false, true, 1},
        // three-ways
        {"threeway_street_tee", "Street Junction", 2, 128, 448, true, true},
        {"threeway_street_lane", "Lane Junction", 2, 96, 384, false, true},
        {"threeway_street_square", "Junction Square", 2, 160, 512, false, true, 3},
        // crossings
        {"cross_street_crossroads", "Crossroads", 3, 128, 448, true, true},
        {"cross_street_lanes", "Crossing Lanes", 3, 96, 384, false, true},
        {"cross_street_plaza", "Plaza", 3, 160, 512, false, true, 2},
        // dead ends: a court at the end of the street
        {"alley_street_court", "Back Court", 4, 128, 448, true, false},
        {"alley_street_yard", "Tenement Yard", 4, 96, 384, false, false},
    };
    std::uint32_t seed = 1000;
    for (const auto& sp : plans) {
        const auto open = roomkit::OpenSides(sp.type);
        std::array<int, 4> kind{};
        if (sp.gates)
            for (int s = 0; s < 4; ++s) kind[static_cast<size_t>(s)] = open[static_cast<size_t>(s)] ? G : 0;
        else if (sp.gate >= 0) kind[static_cast<size_t>(sp.gate)] = G;
        const StreetPlan p = sp;
        defs.push_back(
            {p.key, p.name, "A street of City 17 between the fronts of its tenements, open to the sky.", p.type,
             ShellOf(p.type, Streets(), p.height, true, {}, kind), [p, open, seed](RoomBuilder& b, const ShellPlan& s) {
                 const double h = p.half;
                 Plan plan;
                 std::vector<Front> fronts;
                 const int storeys = static_cast<int>(p.height / 128);
                 // The hub, then a leg to each open side; the fronts are the legs'
                 // long walls and the hub's walls where no leg leaves.
                 plan.ways.push_back(Street({-h, -h, h, h}));
                 const bool n = open[0], e = open[1], so = open[2], w = open[3];
                 if (p.type == 4) {
                     // A court at the end of the street.
                     plan.ways[0] = Street({-288, -kIn + kGap, 288, -64}, Use::Yard);
                     plan.ways.push_back(Street({-h, -64, h, kIn}));
                     fronts = {{0, 1}, {0, 2}, {0, 3}, {1, 1}, {1, 3}};
                 } else {
                     if (n)
                         plan.ways.push_back(Street({-h, h, h, kIn})),
                             fronts.push_back({static_cast<int>(plan.ways.size()) - 1, 1}),
                             fronts.push_back({static_cast<int>(plan.ways.size()) - 1, 3});
                     if (e)
                         plan.ways.push_back(Street({h, -h, kIn, h})),
                             fronts.push_back({static_cast<int>(plan.ways.size()) - 1, 0}),
                             fronts.push_back({static_cast<int>(plan.ways.size()) - 1, 2});
                     if (so)
                         plan.ways.push_back(Street({-h, -kIn, h, -h})),
                             fronts.push_back({static_cast<int>(plan.ways.size()) - 1, 1}),
                             fronts.push_back({static_cast<int>(plan.ways.size()) - 1, 3});
                     if (w)
                         plan.ways.push_back(Street({-kIn, -h, -h, h})),
                             fronts.push_back({static_cast<int>(plan.ways.size()) - 1, 0}),
                             fronts.push_back({static_cast<int>(plan.ways.size()) - 1, 2});
                     if (!n) fronts.push_back({0, 0});
                     if (!e) fronts.push_back({0, 1});
                     if (!so) fronts.push_back({0, 2});
                     if (!w) fronts.push_back({0, 3});
                 }
                 if (p.yard) {
                     // A back yard in the north-west block, through an arch off the north
                     // street: somewhere out of the streets' sight.
                     plan.zones.push_back(
                         {{-kIn + kGap, h + kGap + 32, -h - kGap, kIn - kGap}, &Streets(), Use::Yard, false});
                     // And one off the east street, in the south-east block.
                     if (e)
                         plan.zones.push_back(
                             {{h + kGap + 32, -kIn + kGap, kIn - kGap, -h - kGap}, &Streets(), Use::Yard, false});
                 }
                 plan.before = Fronts(fronts, storeys);
                 Realise(b, s, plan, seed);
             }});
        ++seed;
    }
}

// The canals: quays at 48 over water 32 deep, the doorways at quay level.
struct CanalPlan {
    const char* key;
    const char* name;
    int type;
    bool sky;
};

void CanalRooms(std::vector<Def>& defs) {
    const CanalPlan plans[] = {
        {"turn_canal_basin", "Canal Basin", 1, true},      {"turn_canal_vault", "Vaulted Basin", 1, false},
        {"threeway_canal_quays", "Canal Quays", 2, true},  {"threeway_canal_sluice", "Sluice Hall", 2, false},
        {"cross_canal_bridges", "Canal Bridges", 3, true}, {"cross_canal_cistern", "Cistern Crossing", 3, false},
        {"alley_canal_outfall", "Canal Outfall", 4, true}, {"alley_canal_sump", "Sump Chamber", 4, false},
    };
    std::uint32_t seed = 1100;
    for (const auto& cp : plans) {
        const auto open = roomkit::OpenSides(cp.type);
        std::array<double, 4> doorZ{};
        for (int s = 0; s < 4; ++s) doorZ[static_cast<size_t>(s)] = open[static_cast<size_t>(s)] ? 48 : 0;
        const CanalPlan p = cp;
        const Look& look = p.sky ? Canals() : Cellars();
        defs.push_back(
            {p.key, p.name,
             p.sky ? "Quays along a canal of City 17, open to the sky."
                   : "A vaulted stretch of the canal under the streets.",
             p.type, ShellOf(p.type, look, p.sky ? 448 : 288, p.sky, doorZ),
             [p, open, seed, &look](RoomBuilder& b, const ShellPlan& s) {
                 Plan plan;
                 std::vector<Front> fronts;
                 const double I = kIn;
                 switch (p.type) {
                 case 1:
                     plan.ways = {Quay({-96, -96, I, I}, look), Water({-I, -I, -96, I}, look),
                                  Water({-96, -I, I, -96}, look)};
                     break;
                 case 2:
                     plan.ways = {Quay({-I, -96, I, 96}, look), Quay({-96, 96, 96, I}, look),
                                  Water({-I, -I, I, -96}, look)};
                     fronts = {{1, 1}};
                     // A pump house off the quay.
                     plan.zones.push_back(
                         {{-I + kGap, 96 + kGap, -96 - kGap, I - kGap}, &Cellars(), Use::Machine, false, 0, 48});
                     break;
                 case 3:
                     plan.ways = {Quay({-I, -96, I, 96}, look),   Quay({-96, 96, 96, I}, look),
                                  Quay({-96, -I, 96, -96}, look), Water({-I, 96, -96, I}, look),
                                  Water({96, -I, I, -96}, look),  Water({-I, -I, -96, -96}, look)};
                     plan.zones.push_back(
                         {{96 + kGap, 96 + kGap, I - kGap, I - kGap}, &Cellars(), Use::Machine, false, 0, 48});
                     break;
                 default:
                     plan.ways = {Quay({-160, -96, 160, I}, look), Water({-I, -I, I, -96}, look)};
                     fronts = {{0, 1}, {0, 3}};
                     break;
                 }
                 if (p.sky) plan.before = Fronts(fronts, 3);
                 Realise(b, s, plan, seed);
             }});
        ++seed;
    }
}

}  // namespace

void AddOutdoorRooms(std::vector<Def>& d) {
    StreetRooms(d);
    CanalRooms(d);
}

}  // namespace roomgen::v3
