// Whole levels built from the shipped rooms and tables, judged as a Half-Life 2 player meets
// them: the suit at the start, no ammunition for a weapon the level never gives, no character
// in sight of the player's start, saves along the main line that no character sees, cube maps
// in every room, health beside the fights and a node graph the game can hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <unordered_map>

#include "driver/build_driver.h"
#include "driver/room_choice.h"
#include "entities/weight_tables.h"
#include "maze/directions.h"
#include "rooms/catalogue.h"
#include "roomkit/brush.h"
#include "roomkit/vmf.h"
#include "test_support.h"

namespace fs = std::filesystem;
using namespace tessellon;
namespace tt = tessellon::testing;

namespace {

struct Thing {
    std::string cls;
    roomkit::Vec3 at;
};

struct Solid {
    roomkit::Brush brush;
    roomkit::Vec3 lo, hi;
};

// The brushes that stop a line of sight: the world (spawn groups joined it) and func_detail;
// water and trigger brushes, and walls that start switched off, do not.
class SightLines {
public:
    explicit SightLines(const roomkit::Node& map) {
        for (const auto& block : map.children) {
            if (!block.isBlock) continue;
            const bool owner =
                block.key == "world" || (block.key == "entity" && block.Get("classname") == "func_detail");
            if (!owner) continue;
            for (const auto& c : block.children) {
                if (!c.isBlock || c.key != "solid") continue;
                bool water = false, trigger = true;
                for (const auto& side : c.children) {
                    if (!side.isBlock) continue;
                    const std::string m = roomkit::LowerCase(side.Get("material"));
                    water = water || m.find("water") != std::string::npos;
                    trigger = trigger && m == "tools/toolstrigger";
                }
                const bool seeThrough = water || trigger;
                std::string error;
                int line = 0;
                auto b = roomkit::BrushFromSolid(c, error, line);
                if (seeThrough || !b) continue;
                const auto lo = b->Min(), hi = b->Max();
                const int index = static_cast<int>(solids_.size());
                solids_.push_back({*b, lo, hi});
                for (int x = Cell(lo.x); x <= Cell(hi.x); ++x)
                    for (int y = Cell(lo.y); y <= Cell(hi.y); ++y) grid_[Key(x, y)].push_back(index);
            }
        }
        stamp_.assign(solids_.size(), 0);
    }

    // No brush crosses the segment a..b.
    bool Clear(const roomkit::Vec3& a, const roomkit::Vec3& b) {
        ++round_;
        const roomkit::Vec3 d = b - a;
        const double length = std::sqrt(roomkit::Dot(d, d));
        const int steps = std::max(1, static_cast<int>(length / (kCell / 2)));
        for (int k = 0; k <= steps; ++k) {
            const roomkit::Vec3 p = a + d * (static_cast<double>(k) / steps);
            for (int dx = -1; dx <= 1; ++dx)
                for (int dy = -1; dy <= 1; ++dy) {
                    const auto it = grid_.find(Key(Cell(p.x) + dx, Cell(p.y) + dy));
                    if (it == grid_.end()) continue;
                    for (int i : it->second) {
                        if (stamp_[static_cast<size_t>(i)] == round_) continue;
                        stamp_[static_cast<size_t>(i)] = round_;
                        if (Crosses(solids_[static_cast<size_t>(i)], a, b)) return false;
                    }
                }
        }
        return true;
    }

private:
    static constexpr double kCell = 192;
    static int Cell(double v) { return static_cast<int>(std::floor(v / kCell)); }
    static long long Key(int x, int y) { return (static_cast<long long>(x) << 32) ^ static_cast<unsigned>(y); }

    static bool Crosses(const Solid& s, const roomkit::Vec3& a, const roomkit::Vec3& b) {
        if (std::max(a.x, b.x) < s.lo.x || std::min(a.x, b.x) > s.hi.x || std::max(a.y, b.y) < s.lo.y ||
            std::min(a.y, b.y) > s.hi.y || std::max(a.z, b.z) < s.lo.z || std::min(a.z, b.z) > s.hi.z)
            return false;
        double enter = 0, leave = 1;
        for (const auto& pl : s.brush.planes) {
            const double da = roomkit::Dot(pl.normal, a) - pl.dist, db = roomkit::Dot(pl.normal, b) - pl.dist;
            if (da >= -0.01 && db >= -0.01) return false;
            if (da >= -0.01) enter = std::max(enter, da / (da - db));
            else if (db >= -0.01) leave = std::min(leave, da / (da - db));
        }
        return enter < leave - 1e-6;
    }

    std::vector<Solid> solids_;
    std::unordered_map<long long, std::vector<int>> grid_;
    std::vector<int> stamp_;
    int round_ = 0;
};

roomkit::Vec3 Up(roomkit::Vec3 p, double z) { return {p.x, p.y, p.z + z}; }

struct Stats {
    int min = 1 << 30, max = 0;
    double sum = 0;
    void Add(double v) {
        min = std::min(min, static_cast<int>(v));
        max = std::max(max, static_cast<int>(std::ceil(v)));
        sum += v;
    }
};

}  // namespace

// TESSELLON_LIBRARY_LEVELS sets how many levels to build (the proof script runs 310).
TEST(RoomLibraryLevels, LevelsPlayAsHalfLife2) {
    tt::TempDir home;
    const fs::path exeDir = fs::path(TESSELLON_BINARY).parent_path();
    fs::copy(exeDir / "rooms", home.path() / "rooms");
    for (const auto& e : fs::directory_iterator(exeDir))
        if (e.path().extension() == ".ini") fs::copy_file(e.path(), home.path() / e.path().filename());
    // Which weapon each ammunition class feeds.
    std::map<std::string, std::string> ammoFor;
    const auto guns = LoadWeightTables(fs::path(TESSELLON_SOURCE_DIR) / "data", ".").guns;
    for (const auto& g : guns)
        for (const auto* a : {&g.ammoClass, &g.spare1, &g.spare2})
            if (!a->empty() && *a != g.weaponClass) ammoFor[*a] = g.weaponClass;
    const std::set<std::string> healing{"item_healthvial", "item_healthkit", "item_battery", "item_dynamic_resupply"};

    int levels = 62;
    if (const char* n = std::getenv("TESSELLON_LIBRARY_LEVELS")) levels = std::max(1, std::atoi(n));
    std::map<std::string, Stats> stats;
    long earlyRepeats = 0, ammoWithoutWeapon = 0, seenAtStart = 0, seenSaves = 0, longGaps = 0, noSuit = 0,
         roomsWithoutCubemap = 0;
    int built = 0;
    for (int i = 0; i < levels; ++i) {
        const int seed = 2000 + 41 * i, mapSize = 5 + i % 31;
        const std::string where = "seed " + std::to_string(seed) + ", map size " + std::to_string(mapSize);
        tt::TestSession t(home.path(), std::to_string(seed));
        Session& s = t.s;
        Categorize(s);
        s.settings.MapSize = mapSize;
        s.RestartCount = 99;
        if (RunCreateCommand(s) != CreateOutcome::Finished || s.Plans.size() < 2) {
            ADD_FAILURE() << where << ": the build did not finish";
            continue;
        }
        ++built;
        const LevelPlan& plan = s.Plans[1];
        const roomkit::Node map = roomkit::ParseVmf(tt::ReadFile(home.path() / "level1.vmf"));
        SightLines sight(map);

        // Every room's cell, from the connection point it was joined at.
        const size_t rooms = plan.rooms.size();
        std::vector<roomkit::Vec3> cell(rooms);
        std::vector<int> family(rooms, -1);
        int end = 0;
        for (size_t m = 1; m < rooms; ++m) {
            family[m] = SignatureOf(s.RoomCatalogue, plan.rooms[m].catalogueRow).typeSlot - 1;
            if (family[m] == 6) end = static_cast<int>(m);
            if (m == 1) continue;
            const int side = Opposite(plan.rooms[m].direction);
            const auto& p = s.DoorPoints[m][side];
            const double off[5][2] = {{0, 0}, {0, -384}, {-384, 0}, {0, 384}, {384, 0}};
            cell[m] = {p[1] + off[side][0], p[2] + off[side][1], p[3]};
        }
        auto roomOf = [&](const roomkit::Vec3& at) {
            for (size_t m = 1; m < rooms; ++m)
                if (std::fabs(at.x - cell[m].x) < 384 && std::fabs(at.y - cell[m].y) < 384) return static_cast<int>(m);
            return 0;
        };

        std::vector<Thing> characters, starts, suits, rockets, arms;
        std::set<std::string> weapons;
        std::vector<std::string> ammo;
        std::vector<std::pair<roomkit::Vec3, roomkit::Vec3>> saves;
        std::set<int> savedRooms, cubemapRooms;
        int nodes = 0, heal = 0;
        for (const auto& e : map.children) {
            if (!e.isBlock || e.key != "entity") continue;
            const std::string cls = e.Get("classname");
            Thing thing{cls, {}};
            ParseVector(e.Get("origin"), thing.at);
            if (cls.rfind("npc_", 0) == 0) characters.push_back(thing);
            if (cls == "info_player_start") starts.push_back(thing);
            if (cls == "item_suit") suits.push_back(thing);
            if (cls.rfind("weapon_", 0) == 0) weapons.insert(cls);
            if (cls == "weapon_rpg") rockets.push_back(thing);
            if (cls.rfind("weapon_", 0) == 0) arms.push_back(thing);
            if (ammoFor.count(cls)) ammo.push_back(cls);
            if (cls.rfind("info_node", 0) == 0) ++nodes;
            if (cls == "env_cubemap") cubemapRooms.insert(roomOf(thing.at));
            heal += static_cast<int>(healing.count(cls));
            if (cls == "trigger_autosave")
                for (const auto* solid : e.Blocks("solid")) {
                    std::string error;
                    int line = 0;
                    if (const auto b = roomkit::BrushFromSolid(*solid, error, line)) {
                        saves.emplace_back(b->Min(), b->Max());
                        savedRooms.insert(roomOf({(b->Min().x + b->Max().x) / 2, (b->Min().y + b->Max().y) / 2, 0}));
                    }
                }
        }

        // The suit lies where the player starts, so the game begins with it on.
        const bool suited = starts.size() == 1 && std::any_of(suits.begin(), suits.end(), [&](const Thing& su) {
                                return std::hypot(su.at.x - starts[0].at.x, su.at.y - starts[0].at.y) < 24;
                            });
        noSuit += !suited;
        EXPECT_TRUE(suited) << where;
        for (const auto& a : ammo) {
            const bool given = weapons.count(ammoFor[a]) > 0;
            ammoWithoutWeapon += !given;
            EXPECT_TRUE(given) << where << ": " << a << " but no " << ammoFor[a];
        }
        // Nothing hostile is in sight of the player's eyes at the start.
        if (!starts.empty()) {
            const roomkit::Vec3 eye = Up(starts[0].at, 56);
            for (const auto& c : characters)
                if (sight.Clear(eye, Up(c.at, 28)) || sight.Clear(eye, Up(c.at, 56))) {
                    ++seenAtStart;
                    ADD_FAILURE() << where << ": " << c.cls << " at " << c.at.x << " " << c.at.y << " " << c.at.z
                                  << " is in sight of the player start";
                }
        }
        // No character sees into a save.
        for (const auto& [lo, hi] : saves)
            for (const auto& c : characters) {
                const roomkit::Vec3 mid{(lo.x + hi.x) / 2, (lo.y + hi.y) / 2, lo.z};
                if (std::hypot(c.at.x - mid.x, c.at.y - mid.y) > 3000) continue;
                bool sees = false;
                for (double fx : {0.1, 0.5, 0.9})
                    for (double fy : {0.1, 0.5, 0.9})
                        for (double up : {36.0, 64.0})
                            sees = sees || sight.Clear(Up(c.at, 56), {lo.x + (hi.x - lo.x) * fx,
                                                                      lo.y + (hi.y - lo.y) * fy, lo.z + up});
                if (sees) {
                    ++seenSaves;
                    ADD_FAILURE() << where << ": " << c.cls << " at " << c.at.x << " " << c.at.y << " sees a save";
                }
            }
        // Along the main line, from the start (where the level begins) to the end room, no
        // eight rooms in a row go without a save.
        std::vector<int> line;
        for (int m = end; m > 0; m = plan.rooms[static_cast<size_t>(m)].from) line.push_back(m);
        std::reverse(line.begin(), line.end());
        int run = 0, longest = 0;
        for (size_t k = 1; k < line.size(); ++k) {
            run = savedRooms.count(line[k]) ? 0 : run + 1;
            longest = std::max(longest, run);
        }
        longGaps += longest >= 8;
        EXPECT_LT(longest, 8) << where << ": " << longest << " rooms in a row without a save";
        for (size_t m = 1; m < rooms; ++m) roomsWithoutCubemap += !cubemapRooms.count(static_cast<int>(m));
        // Weapons handed out (or handed again) before their place in the table.
        int early = 0;
        for (const auto& a : arms) {
            const int m = roomOf(a.at);
            for (const auto& g : guns)
                if (g.weaponClass == a.cls && m > 0 && plan.rooms[static_cast<size_t>(m)].progress * 100 < g.threshold)
                    ++early;
        }
        stats["weapons before their threshold"].Add(early);
        // The rocket launcher is handed out last, near the end of the way, where the strongest
        // enemies are (entities stand in the order their rooms were built, the main line first).
        // A side branch built after the main line may hand it out again as an owned weapon.
        for (size_t k = 0; k < rockets.size(); ++k) {
            const int m = roomOf(rockets[k].at);
            const float progress = m > 0 ? plan.rooms[static_cast<size_t>(m)].progress : 0.0f;
            if (k == 0) EXPECT_GT(progress, 0.85f) << where << ": the first RPG at progress " << progress;
            else earlyRepeats += progress < 0.85f;
        }
        // The game's node graph holds 1500 nodes (MAX_NODES, ai_network.h).
        EXPECT_LE(nodes, 1500) << where;

        stats["rooms"].Add(static_cast<double>(rooms - 1));
        stats["main line rooms"].Add(static_cast<double>(line.size()));
        stats["saves"].Add(static_cast<double>(savedRooms.size()));
        stats["longest run without a save"].Add(longest);
        stats["characters"].Add(static_cast<double>(characters.size()));
        stats["health and batteries"].Add(heal);
        stats["weapons"].Add(static_cast<double>(weapons.size()));
        stats["nodes"].Add(nodes);
        if (!characters.empty())
            stats["health per 10 characters"].Add(10.0 * heal / static_cast<double>(characters.size()));
    }
    EXPECT_EQ(built, levels);
    EXPECT_EQ(roomsWithoutCubemap, 0);
    std::ostringstream summary;
    summary << built << " levels: " << noSuit << " without the suit at the start, " << ammoWithoutWeapon
            << " ammunition for a weapon never given, " << seenAtStart << " characters in sight of the start, "
            << seenSaves << " characters seeing a save, " << longGaps << " main lines with 8 rooms unsaved, "
            << roomsWithoutCubemap << " rooms without a cube map, " << earlyRepeats
            << " RPGs handed again before 85 % of the way\nper level (min / mean / max):";
    for (const auto& [what, st] : stats)
        summary << "\n  " << what << ": " << st.min << " / " << st.sum / std::max(1, built) << " / " << st.max;
    RecordProperty("summary", summary.str());
    if (std::getenv("TESSELLON_LIBRARY_LEVELS")) std::cout << summary.str() << "\n";
}
