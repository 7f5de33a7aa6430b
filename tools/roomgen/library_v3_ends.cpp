// Where a level starts and where it ends: a room of the district with the way out to the north.
#include <stdexcept>
#include <string>

#include "roomgen/library_v3.h"
#include "roomgen/plan_v3.h"

namespace roomgen::v3 {

namespace {

struct Place {
    const char* key;
    const char* name;
    const Look* way;
    const Look* room;
    Use main, side;
    double height;
};

const Place kPlaces[] = {
    {"flat", "Flat", &Stairwells(), &Apartments(), Use::Flat, Use::Bedroom, 224},
    {"office", "Office", &Offices(), &Offices(), Use::Office, Use::Store, 240},
    {"holding", "Holding Block", &CombinePost(), &CombinePost(), Use::Cell, Use::Post, 256},
    {"workshop", "Workshop", &Industrial(), &Industrial(), Use::Hall, Use::Machine, 288},
    {"cellar", "Cellar", &Cellars(), &Cellars(), Use::Store, Use::Washroom, 208},
};

Space Way(const Rect& r, const Look& look) {
    Space s;
    s.r = r, s.look = look, s.use = Use::Corridor;
    return s;
}

// The rooms of a start or an end: `main` is where the player starts or the level ends; the
// way out runs north from it, with rooms beside it.
Plan Rooms(const Place& p, int variant, const Rect& main, double wayBottom) {
    Plan plan;
    const double wide = variant == 1 ? 96 : 64;
    plan.ways.push_back(Way({-64, wayBottom, wide, kIn}, *p.way));
    plan.zones.push_back({main, p.room, p.main, variant != 1});
    const double top = wayBottom;
    if (variant != 1) plan.zones.push_back({{-kIn + kGap, top, -64 - kGap, kIn - kGap}, p.room, p.side, true});
    plan.zones.push_back(
        {{wide + kGap, top, kIn - kGap, kIn - kGap}, p.room, variant == 2 ? Use::Kitchen : p.side, variant == 0});
    if (variant == 2 && main.x0 > -kIn + 2 * kGap + 96)
        plan.zones.push_back({{-kIn + kGap, -kIn + kGap, main.x0 - kGap, main.y1}, p.room, Use::Store, false});
    plan.noNpcs = {1};  // none in the start or end room itself
    return plan;
}

void Starts(std::vector<Def>& defs) {
    std::uint32_t seed = 1200;
    for (const Place& p : kPlaces)
        for (int v = 0; v < 3; ++v) {
            const Place place = p;
            const int items = v;
            defs.push_back({std::string("start_") + p.key + "_" + std::to_string(v), std::string(p.name) + " Start",
                            "The level starts in a " + std::string(p.name) + " of City 17.", 5,
                            ShellOf(5, *p.way, p.height + 16 * v),
                            [place, v, items, seed](RoomBuilder& b, const ShellPlan& s) {
                                const Rect main = v == 1   ? Rect{-288, -kIn + kGap, 288, -96 - kGap}
                                                  : v == 2 ? Rect{-176, -kIn + kGap, 176, -64 - kGap}
                                                           : Rect{-240, -kIn + kGap, 240, -64 - kGap};
                                Plan plan = Rooms(place, v, main, v == 1 ? -96 : -64);
                                // The start's own things stand at the south of the room.
                                plan.extras = [](Cell& c) { c.KeepClear({-152, -280, 152, -168}); };
                                // The start's weapons come first, so the room's ammunition is for them.
                                StartKit(b, s, items == 1 ? 2 : 4);
                                Realise(b, s, plan, seed);
                            }});
            ++seed;
        }
    // Starts in a yard off a street.
    const struct {
        const char* key;
        const char* name;
        double height, half;
    } yards[] = {{"yard", "Yard Start", 384, 96},         {"court", "Court Start", 448, 128},
                 {"square", "Square Start", 512, 160},    {"dock", "Dock Yard Start", 384, 128},
                 {"backyard", "Backyard Start", 320, 96}, {"gate", "Gate Start", 448, 128}};
    for (const auto& y : yards) {
        const double h = y.half, height = y.height;
        const bool dock = std::string(y.key) == "dock";
        // A lane wide enough leaves through a wide gate, to the streets beyond.
        const int kind = h >= 128 ? roomkit::kWideGateKind : 0;
        defs.push_back({std::string("start_") + y.key, y.name, "The level starts in a yard between tenements.", 5,
                        ShellOf(5, Streets(), height, true, {}, {kind, 0, 0, 0}),
                        [h, height, dock, seed](RoomBuilder& b, const ShellPlan& s) {
                            Plan plan;
                            Space yard;
                            yard.r = {-256, -kIn + kGap, 256, -64}, yard.look = dock ? Industrial() : Streets(),
                            yard.use = Use::Yard;
                            Space lane;
                            lane.r = {-h, -64, h, kIn}, lane.look = Streets(), lane.use = Use::Street;
                            plan.ways = {yard, lane};
                            plan.noNpcs = {0};
                            const int storeys = static_cast<int>(height / 128);
                            plan.before = [storeys](Cell& c) {
                                for (const auto& [space, wall] : {std::pair{0, 1}, {0, 2}, {0, 3}, {1, 1}, {1, 3}})
                                    Facade(c, space, wall, storeys);
                            };
                            plan.extras = [](Cell& c) { c.KeepClear({-152, -280, 152, -168}); };
                            StartKit(b, s, 4);
                            Realise(b, s, plan, seed);
                        }});
        ++seed;
    }
}

void Ends(std::vector<Def>& defs) {
    static const char* const kWords[] = {"You made it out of the district. Well done!",
                                         "The resistance takes you in. You made it!",
                                         "The way out of City 17 lies open. You made it!"};
    std::uint32_t seed = 1300;
    for (const Place& p : kPlaces)
        for (int v = 0; v < 3; ++v) {
            const Place place = p;
            const std::string words = kWords[v];
            const bool tall = v == 2;
            defs.push_back({std::string("end_") + p.key + "_" + std::to_string(v), std::string(p.name) + " Way Out",
                            "The level ends in a " + std::string(p.name) + ": reaching its back ends the game.", 6,
                            ShellOf(6, *p.way, tall ? 320 : p.height),
                            [place, v, words, tall, seed](RoomBuilder& b, const ShellPlan& s) {
                                const Rect main{-kIn + kGap, -kIn + kGap, kIn - kGap, -48};
                                Plan plan = Rooms(place, v, main, -32);
                                plan.extras = [tall](Cell& c) {
                                    // The way out's partition and the alcove behind it stay free.
                                    c.KeepClear({-kIn, -kIn, kIn, -144});
                                    if (tall) Gallery(c, 1, 0, 64, 176, 0, 0);
                                };
                                Realise(b, s, plan, seed);
                                FinaleKit(b, s, words);
                            }});
            ++seed;
        }
    const struct {
        const char* key;
        const char* name;
        double height, half;
        const char* words;
    } yards[] = {{"checkpoint", "Checkpoint Way Out", 448, 128, "You slip through the checkpoint. You made it!"},
                 {"trainyard", "Train Yard Way Out", 384, 96, "The last train out is yours. You made it!"},
                 {"square", "Square Way Out", 512, 160, "The square is quiet at last. You made it!"},
                 {"bridge", "Bridge Way Out", 448, 96, "Over the bridge and out of the city. You made it!"},
                 {"depot", "Depot Way Out", 384, 128, "You ride out of the depot. You made it!"},
                 {"backstreet", "Backstreet Way Out", 320, 96, "The backstreets lead you out. You made it!"}};
    for (const auto& y : yards) {
        const double h = y.half, height = y.height;
        const std::string words = y.words;
        // The widest lanes meet their street through a wide gate.
        const int kind = h >= 128 ? roomkit::kWideGateKind : 0;
        defs.push_back(
            {std::string("end_") + y.key, y.name, "The level ends in a yard at the edge of the district.", 6,
             ShellOf(6, Streets(), height, true, {}, {kind, 0, 0, 0}),
             [h, height, words, seed](RoomBuilder& b, const ShellPlan& s) {
                 Plan plan;
                 Space yard;
                 yard.r = {-kIn + kGap, -kIn + kGap, kIn - kGap, -48}, yard.look = Streets(), yard.use = Use::Yard;
                 Space lane;
                 lane.r = {-h, -48, h, kIn}, lane.look = Streets(), lane.use = Use::Street;
                 plan.ways = {yard, lane};
                 const int storeys = static_cast<int>(height / 128);
                 plan.before = [storeys](Cell& c) {
                     for (const auto& [space, wall] : {std::pair{0, 1}, {0, 2}, {0, 3}, {1, 1}, {1, 3}})
                         Facade(c, space, wall, storeys);
                 };
                 plan.extras = [](Cell& c) { c.KeepClear({-kIn, -kIn, kIn, -144}); };
                 Realise(b, s, plan, seed);
                 FinaleKit(b, s, words);
             }});
        ++seed;
    }
}

}  // namespace

void AddStartAndEndRooms(std::vector<Def>& d) {
    Starts(d);
    Ends(d);
}

}  // namespace roomgen::v3

namespace roomgen {

std::vector<Def> LibraryV3() {
    std::vector<Def> d;
    v3::AddOneWayRooms(d);
    v3::AddIndoorRooms(d);
    v3::AddOutdoorRooms(d);
    v3::AddStartAndEndRooms(d);
    // A plan that cannot be built names its room.
    for (auto& def : d) {
        auto fill = def.fill;
        def.fill = [fill, file = def.file](RoomBuilder& b, const ShellPlan& s) {
            try {
                fill(b, s);
            } catch (const std::logic_error& e) {
                throw std::logic_error(file + ": " + e.what());
            }
        };
    }
    return d;
}

}  // namespace roomgen
