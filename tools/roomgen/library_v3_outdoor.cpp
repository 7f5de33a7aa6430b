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
    double half;       // the legs' half width
    double height;     // the buildings' height
    bool gates;        // every open side a wide gate
    bool yard;         // a yard off the street through an arch
    int gate = -1;     // else one side (0 north .. 3 west) a wide gate, the others doorways
};

void StreetRooms(std::vector<Def>& defs) {
    const StreetPlan plans[] = {
        // one-way
        {"oneway_street_boulevard", "Boulevard", 0, 128, 448, true, false},
        {"oneway_street_lane", "Tenement Lane", 0, 96, 384, false, true},
        {"oneway_street_market", "Market Street", 0, 160, 512, false, false, 0},
        // turns
        {"turn_street_corner", "Street Corner", 1, 128, 448, true, false},
        {"turn_street_lane", "Lane Corner", 1, 96, 384, false, true},
        {"turn_street_square", "Corner Square", 1, 160, 512, false, false, 1},
        // three-ways
        {"threeway_street_tee", "Street Junction", 2, 128, 448, true, false},
        {"threeway_street_lane", "Lane Junction", 2, 96, 384, false, true},
        {"threeway_street_square", "Junction Square", 2, 160, 512, false, false, 3},
        // crossings
        {"cross_street_crossroads", "Crossroads", 3, 128, 448, true, false},
        {"cross_street_lanes", "Crossing Lanes", 3, 96, 384, false, false},
        {"cross_street_plaza", "Plaza", 3, 160, 512, false, false, 2},
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
        else if (sp.gate >= 0)
            kind[static_cast<size_t>(sp.gate)] = G;
        const StreetPlan p = sp;
        defs.push_back({p.key, p.name, "A street of City 17 between the fronts of its tenements, open to the sky.", p.type,
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
                                if (n) plan.ways.push_back(Street({-h, h, h, kIn})), fronts.push_back({static_cast<int>(plan.ways.size()) - 1, 1}), fronts.push_back({static_cast<int>(plan.ways.size()) - 1, 3});
                                if (e) plan.ways.push_back(Street({h, -h, kIn, h})), fronts.push_back({static_cast<int>(plan.ways.size()) - 1, 0}), fronts.push_back({static_cast<int>(plan.ways.size()) - 1, 2});
                                if (so) plan.ways.push_back(Street({-h, -kIn, h, -h})), fronts.push_back({static_cast<int>(plan.ways.size()) - 1, 1}), fronts.push_back({static_cast<int>(plan.ways.size()) - 1, 3});
                                if (w) plan.ways.push_back(Street({-kIn, -h, -h, h})), fronts.push_back({static_cast<int>(plan.ways.size()) - 1, 0}), fronts.push_back({static_cast<int>(plan.ways.size()) - 1, 2});
                                if (!n) fronts.push_back({0, 0});
                                if (!e) fronts.push_back({0, 1});
                                if (!so) fronts.push_back({0, 2});
                                if (!w) fronts.push_back({0, 3});
                            }
                            if (p.yard) {
                                // A yard behind the east fronts, through an arch.
                                Zone yard{{h + kGap, -kIn + kGap, kIn - kGap, -h - kGap}, &Streets(), Use::Yard, false};
                                if (p.type == 0) yard.r = {h + kGap, -200, kIn - kGap, 120};
                                plan.zones.push_back(yard);
                            }
                            plan.npcs = 3, plan.items = 2;
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
        {"oneway_canal_towpath", "Canal Towpath", 0, true},
        {"oneway_canal_culvert", "Canal Culvert", 0, false},
        {"turn_canal_basin", "Canal Basin", 1, true},
        {"turn_canal_vault", "Vaulted Basin", 1, false},
        {"threeway_canal_quays", "Canal Quays", 2, true},
        {"threeway_canal_sluice", "Sluice Hall", 2, false},
        {"cross_canal_bridges", "Canal Bridges", 3, true},
        {"cross_canal_cistern", "Cistern Crossing", 3, false},
        {"alley_canal_outfall", "Canal Outfall", 4, true},
        {"alley_canal_sump", "Sump Chamber", 4, false},
    };
    std::uint32_t seed = 1100;
    for (const auto& cp : plans) {
        const auto open = roomkit::OpenSides(cp.type);
        std::array<double, 4> doorZ{};
        for (int s = 0; s < 4; ++s) doorZ[static_cast<size_t>(s)] = open[static_cast<size_t>(s)] ? 48 : 0;
        const CanalPlan p = cp;
        const Look& look = p.sky ? Canals() : Cellars();
        defs.push_back({p.key, p.name,
                        p.sky ? "Quays along a canal of City 17, open to the sky."
                              : "A vaulted stretch of the canal under the streets.",
                        p.type, ShellOf(p.type, look, p.sky ? 448 : 288, p.sky, doorZ),
                        [p, open, seed, &look](RoomBuilder& b, const ShellPlan& s) {
                            Plan plan;
                            std::vector<Front> fronts;
                            const double I = kIn;
                            switch (p.type) {
                                case 0:
                                    plan.ways = {Quay({-176, -I, 96, I}, look), Water({96, -I, 320, I}, look)};
                                    fronts = {{1, 1}};
                                    plan.zones.push_back({{-I + kGap, -160, -176 - kGap, 160}, &look, Use::Store, false, 0, 48});
                                    break;
                                case 1:
                                    plan.ways = {Quay({-96, -96, I, I}, look), Water({-I, -I, -96, I}, look),
                                                 Water({-96, -I, I, -96}, look)};
                                    break;
                                case 2:
                                    plan.ways = {Quay({-I, -96, I, 96}, look), Quay({-96, 96, 96, I}, look),
                                                 Water({-I, -I, I, -96}, look)};
                                    fronts = {{1, 1}, {1, 3}};
                                    break;
                                case 3:
                                    plan.ways = {Quay({-I, -96, I, 96}, look), Quay({-96, 96, 96, I}, look),
                                                 Quay({-96, -I, 96, -96}, look), Water({-I, 96, -96, I}, look),
                                                 Water({96, 96, I, I}, look), Water({96, -I, I, -96}, look),
                                                 Water({-I, -I, -96, -96}, look)};
                                    break;
                                default:
                                    plan.ways = {Quay({-160, -96, 160, I}, look), Water({-I, -I, I, -96}, look)};
                                    fronts = {{0, 1}, {0, 3}};
                                    break;
                            }
                            plan.npcs = 2, plan.items = 2;
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
