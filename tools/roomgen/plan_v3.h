#pragma once
// A room of the v3 library as a plan: the ways through it and the rooms off them, then what
// dresses it (lamps, sound, props, dirt, people).
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "roomgen/kit_v3.h"

namespace roomgen::v3 {

constexpr double kIn = 368;  // the inside face of the shell's walls
constexpr double kGap = 16;  // the wall between two spaces

// A room off the ways through: it opens onto the first way (or, failing that, the first room
// before it) it shares a wall with, by a door (with its areaportal) or an open arch.
struct Zone {
    Rect r;
    const Look* look;
    Use use;
    bool door = true;
    double ceiling = 0;
    double floor = 0;
    double at = 0;  // where along the shared wall the opening is centred; 0: its middle
};

struct Plan {
    std::vector<Space> ways;  // corridors, halls, streets: they touch each other where they meet
    std::vector<Zone> zones;
    // Characters beyond the encounter the room kit places from the room's geometry.
    int npcs = 0, items = 1, weapons = 1;
    std::vector<int> noNpcs;  // spaces (ways first, then rooms) where no character stands
    // Arches between ways that do not touch: ways a and b, centred at `at` along their wall.
    struct Link {
        int a, b;
        double at;
    };
    std::vector<Link> openings;
    // Where the game saves, if it does: a box every way through the room crosses.
    std::optional<std::pair<Vec3, Vec3>> save;
    // Run before the walls are laid out: windows and fronts, cut into them.
    std::function<void(Cell&)> before;
    // Run after the walls stand, before the room is dressed: stairs, galleries.
    std::function<void(Cell&)> extras;
};

// Builds the plan into the room and dresses it; returns the cell's count of props.
int Realise(RoomBuilder& b, const ShellPlan& shell, const Plan& plan, std::uint32_t seed);

// The four quarters of the cell around a crossing of 128-wide corridors, 272 square.
Rect QuarterNW();
Rect QuarterNE();
Rect QuarterSE();
Rect QuarterSW();

// A flight of stairs up to `z1` climbing towards `side` inside the rectangle r (whose far edge
// is where it arrives), one in two; keeps its floor free.
void Flight(Cell& c, const Rect& r, int side, double z0, double z1, const std::string& mat);

// A district of the city: the look of its ways and of its rooms, what the rooms are for.
struct District {
    const char* key;   // in file names
    const char* name;  // in room names
    const Look* way;
    const Look* room;
    Use uses[4];        // what its rooms are for, in turn
    double height;      // the shell's inside height
    double wayCeiling;  // how low the corridors' ceilings hang (0: the shell's)
};
// Tenements, offices, a Combine post, works and cellars.
const std::vector<District>& Districts();
Space Way(const Rect& r, const District& d);
Zone Room(const Rect& r, const District& d, int k, bool door);
// Splits r into two along its longer side with a wall between.
std::pair<Rect, Rect> Halves(const Rect& r);

// The shell of a family's room.
ShellPlan ShellOf(int type, const Look& look, double height, bool sky = false, std::array<double, 4> doorZ = {},
                  std::array<int, 4> kind = {});

}  // namespace roomgen::v3
