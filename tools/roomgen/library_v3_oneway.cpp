// The one-way parts. Each leads the way from its south door round two corners: along an arm
// to one end of a passage across the middle of the cell and from its other end along the
// other arm to the north door. Neither doorway sees into the passage, so the game saves
// there, where every way through the room crosses it.
#include <string>

#include "roomgen/library_v3.h"
#include "roomgen/plan_v3.h"

namespace roomgen::v3 {

namespace {

using roomkit::East;
using roomkit::kWideGateKind;

// What fills the passage across the middle, and how the ways are made.
enum class Passage { Hall, Gallery, Stair, Street, Canal };

struct Zigzag {
    std::string file, name, description;
    Passage passage;
    Look way, room;
    Use uses[4];
    double height;
    double wayCeiling;
    double half = 64;  // the legs' half width
    int gates = 0;     // the doorways are wide gates
    double floor = 0;  // the quays' height for a canal
};

constexpr double kArmY = 208;  // the arms run between 112 and 208 off the middle
constexpr double kBand = 96;   // the passage runs between -96 and 96
constexpr double kArch = 300;  // the arches into the passage stand this far off the middle

Space Make(const Rect& r, const Look& look, Use use, double ceiling = 0, double floor = 0) {
    Space s;
    s.r = r, s.look = look, s.use = use, s.ceiling = ceiling, s.floor = floor;
    return s;
}

Def ZigzagDef(const Zigzag& z, std::uint32_t seed) {
    const bool sky = z.passage == Passage::Street || z.passage == Passage::Canal;
    const double up = z.passage == Passage::Stair ? 128 : 0;
    const double doorS = z.floor, doorN = z.floor + up;
    std::array<int, 4> kind{};
    if (z.gates) kind = {kWideGateKind, 0, kWideGateKind, 0};
    const ShellPlan shell = Shell(0, z.way.mats, z.height, sky, {doorN, 0, doorS, 0}, kind);
    return {z.file, z.name, z.description, 0, shell, [z, seed, up, sky](RoomBuilder& b, const ShellPlan& s) {
                const double h = z.half, I = kIn, f = z.floor;
                const Use wayUse = sky ? Use::Street : Use::Corridor;
                const Use passUse = z.passage == Passage::Canal    ? Use::Quay
                                    : z.passage == Passage::Street ? Use::Street
                                                                   : Use::Hall;
                Plan p;
                // The way: the south leg, the west arm, the passage, the east arm, the north leg.
                // Arms and passage reach the cell's sides, so their raised floors are shell.
                p.ways.push_back(Make({-h, -I, h, -kArmY}, z.way, wayUse, z.wayCeiling, f));
                p.ways.push_back(Make({-I, -kArmY, h, -kBand - kGap}, z.way, wayUse, z.wayCeiling, f));
                if (z.passage == Passage::Stair) {
                    p.ways.push_back(Make({-I, -kBand, 56, kBand}, z.way, Use::Stair));
                    p.ways.push_back(Make({56, -kBand, I, kBand}, z.way, Use::Hall, 0, up));
                } else {
                    p.ways.push_back(Make({-I, -kBand, I, kBand}, z.way, passUse, 0, f));
                }
                p.ways.push_back(Make({-h, kBand + kGap, I, kArmY}, z.way, wayUse, z.wayCeiling, f + up));
                p.ways.push_back(Make({-h, kArmY, h, I}, z.way, wayUse, z.wayCeiling, f + up));
                const int passage = 2, passageEnd = z.passage == Passage::Stair ? 3 : 2;
                // Rooms in the corners the way leaves, or water beside a canal's quays.
                const double a = -I + kGap, e = I - kGap;
                const Rect sw{a, a, -h - kGap, -kArmY - kGap}, se{h + kGap, a, e, -kBand - kGap};
                const Rect nw{a, kBand + kGap, -h - kGap, e}, ne{h + kGap, kArmY + kGap, e, e};
                if (z.passage == Passage::Canal) {
                    p.ways.push_back(Make({h, -I, I, -kArmY}, z.way, Use::Water));
                    p.ways.push_back(Make({-I, kArmY, -h, I}, z.way, Use::Water));
                } else if (!sky) {
                    // Three rooms at most: the node graph of a room keeps to kMaxRoomNodes.
                    std::vector<Rect> rooms{se, nw};
                    if (z.passage == Passage::Hall) rooms.push_back(ne);
                    (void)sw;
                    int k = 0;
                    for (const Rect& r : rooms)
                        p.zones.push_back({r, &z.room, z.uses[k % 4], k % 2 == 0, 0, r.y0 > 0 ? up : 0}), ++k;
                }
                const int east = static_cast<int>(p.ways.size()) - (z.passage == Passage::Canal ? 4 : 2);
                const int north = east + 1;
                p.before = [sky, east, north](Cell& c) {
                    if (!sky) return;
                    // Tenement fronts along the legs and on the arms' far sides.
                    for (const int leg : {0, north})
                        for (const int wall : {1, 3}) Facade(c, leg, wall, 3);
                    Facade(c, 1, 2, 3);
                    Facade(c, east, 0, 3);
                };
                p.extras = [z, up, passage](Cell& c) {
                    if (z.passage == Passage::Stair)
                        Flight(c, {-200, -kBand, 56, kBand}, East, 0, up, c.At(passage).look.mats.trim);
                    if (z.passage == Passage::Gallery) Gallery(c, passage, 0, 64, 160, 0, 0);
                };
                // The arches from the arms into the passage, far apart at its two ends.
                p.openings = {{1, passage, -kArch}, {east, passageEnd, kArch}};
                const double zSave = z.floor;
                p.save = {{-40, -kBand, zSave}, {40, kBand, zSave + (up > 0 ? 224 : 128)}};
                Realise(b, s, p, seed);
            }};
}

}  // namespace

void AddOneWayRooms(std::vector<Def>& d) {
    std::uint32_t seed = 100;
    const char* const variants[2] = {"hall", "passage"};
    for (const District& dist : Districts())
        for (int v = 0; v < 2; ++v) {
            Zigzag z;
            z.file = std::string("oneway_") + dist.key + "_" + variants[v];
            z.name = std::string(dist.name) + (v == 0 ? " Back Hall" : " Passage");
            z.description =
                "The way through the " + std::string(dist.name) + " turns twice round a hall in its middle.";
            z.passage = v == 0 ? Passage::Hall : Passage::Gallery;
            z.way = *dist.way, z.room = *dist.room;
            for (int k = 0; k < 4; ++k) z.uses[k] = dist.uses[(k + v) % 4];
            z.height = dist.height + (v == 1 ? 64 : 0);
            z.wayCeiling = v == 0 ? dist.wayCeiling : 0;
            d.push_back(ZigzagDef(z, seed++));
        }
    for (int k : {0, 1, 2, 3, 4}) {
        const District& dist = Districts()[static_cast<size_t>(k)];
        Zigzag z;
        z.file = std::string("oneway_") + dist.key + "_stairs";
        z.name = std::string(dist.name) + " Stairs";
        z.description = "The north door is a storey above the south one, up stairs in the middle of the way.";
        z.passage = Passage::Stair;
        z.way = *dist.way, z.room = *dist.room;
        for (int u = 0; u < 4; ++u) z.uses[u] = dist.uses[u];
        z.height = 336, z.wayCeiling = 0;
        d.push_back(ZigzagDef(z, seed++));
    }
    const struct {
        const char* key;
        const char* name;
        double half, height;
        int gates;
    } streets[] = {{"oneway_street_boulevard", "Boulevard Corner", 128, 448, 1},
                   {"oneway_street_lane", "Tenement Lanes", 96, 384, 0},
                   {"oneway_street_arcade", "Arcade Streets", 80, 512, 0}};
    for (const auto& st : streets) {
        Zigzag z;
        z.file = st.key, z.name = st.name;
        z.description = "Streets of City 17 between tenement fronts, round a square in the middle, open to the sky.";
        z.passage = Passage::Street;
        z.way = Streets(), z.room = Streets();
        z.height = st.height, z.half = st.half, z.gates = st.gates;
        d.push_back(ZigzagDef(z, seed++));
    }
    static const char* const kCanalFiles[3] = {"oneway_canal_towpath", "oneway_canal_wharf", "oneway_canal_locks"};
    static const char* const kCanalNames[3] = {"Canal Towpaths", "Canal Wharf", "Canal Locks"};
    for (int k = 0; k < 3; ++k) {
        Zigzag z;
        z.file = kCanalFiles[k];
        z.name = kCanalNames[k];
        z.description = "Quays along the basins of a canal, round a wharf in the middle, open to the sky.";
        z.passage = Passage::Canal;
        z.way = Canals(), z.room = Canals();
        z.height = k == 0 ? 384 : k == 1 ? 448 : 512, z.floor = 48, z.half = k == 0 ? 64 : k == 1 ? 96 : 80;
        d.push_back(ZigzagDef(z, seed++));
    }
}

}  // namespace roomgen::v3
