#pragma once
// The third room library's kit: a room is a set of spaces (corridors, offices, cells, halls,
// streets) laid out in the cell, with world walls between them and the rest of the cell solid;
// inner doorways with doors and areaportals; lamps that give the light; sound, dirt and props
// in groups. Facts about the game are noted where they are used.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "roomgen/plans.h"

namespace roomgen::v3 {

struct Rect {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    double W() const { return x1 - x0; }
    double D() const { return y1 - y0; }
    double Cx() const { return (x0 + x1) / 2; }
    double Cy() const { return (y0 + y1) / 2; }
    bool Overlaps(const Rect& o) const { return x0 < o.x1 && o.x0 < x1 && y0 < o.y1 && o.y0 < y1; }
    bool Holds(double x, double y) const { return x > x0 && x < x1 && y > y0 && y < y1; }
    Rect Grown(double by) const { return {x0 - by, y0 - by, x1 + by, y1 + by}; }
};

// The kinds of lamp, each with its model and the colour of its light.
enum class Lamp { Bulb, Fluorescent, Cage, Sodium, Combine };

// One part of City 17: what its rooms are made of, what they sound like and how they are lit.
struct Look {
    std::string name;
    Materials mats;          // floor, wall, ceiling, trim
    std::string frame;       // door frames, casings, sills
    std::string soundscape;  // a soundscape of the game
    Lamp lamp = Lamp::Bulb;
    std::string decals;  // "graffiti", "bills", "stains" or "" for none
};

// What a space is for; it decides the furniture, the lamps and where people stand.
enum class Use {
    Corridor,
    Office,
    Flat,
    Bedroom,
    Kitchen,
    Washroom,
    Cell,
    Store,
    Stair,
    Hall,
    Machine,
    Post,
    Street,
    Yard,
    Quay,
    Water
};

struct Space {
    Rect r;
    Look look;
    Use use = Use::Corridor;
    double ceiling = 0;   // inside height; 0 keeps the shell's
    double floor = 0;     // the height of a raised floor (a detail plinth) over the whole space
    bool roofed = false;  // in a room open to the sky, a roof over this space at `ceiling`
};

// A small deterministic random source, so every room comes out the same on every run.
struct Rng {
    std::uint32_t s;
    explicit Rng(std::uint32_t seed) : s(seed * 2654435761u + 12345u) {}
    std::uint32_t Next() {
        s ^= s << 13;
        s ^= s >> 17;
        s ^= s << 5;
        return s;
    }
    int Pick(int n) { return n <= 1 ? 0 : static_cast<int>(Next() % static_cast<std::uint32_t>(n)); }
    bool Chance(int percent) { return Pick(100) < percent; }
};

// A prop and how it stands: fixed (furniture and fixtures) or free to knock about. Its floor
// comes from the model's box (PropModel); the props face +x in the model, as the game's do.
struct Model {
    const roomkit::PropModel* model;
    bool fixed;
    double Along() const { return 2 * model->halfY; }  // along its front
    double Deep() const { return 2 * model->halfX; }   // front to back
};

class Cell {
public:
    Cell(RoomBuilder& b, const ShellPlan& shell, std::uint32_t seed);

    int Add(const Space& s);
    // An opening in the 16-unit wall between spaces a and b, centred at `at` along that wall:
    // a door (with its areaportal) or an open arch.
    void Door(int a, int b, double at);
    void Arch(int a, int b, double at, double width = 96, double height = 128);

    // Lays out the world walls and the rest of the cell, floors, ceilings, openings, doors and
    // frames. Call once, before furnishing.
    void Build();

    // Furnishing, after Build.
    const Space& At(int i) const { return spaces_[static_cast<size_t>(i)]; }
    int Count() const { return static_cast<int>(spaces_.size()); }
    Rng& Random() { return rng_; }
    RoomBuilder& Builder() { return b_; }
    const ShellPlan& Shell() const { return shell_; }
    // The floor height at a point of a space.
    double FloorOf(int space) const { return At(space).floor; }
    double CeilingOf(int space) const;

    // Places a group of props against a wall of the space (0 north, 1 east, 2 south, 3 west),
    // at the first free place along it; false when there is none. Parts are given as the wall
    // sees them: u along the wall, v out from it, and a turn relative to facing into the room.
    struct Part {
        Model model;
        double u = 0, v = 0, turn = 0, z = 0;
    };
    bool PlaceGroup(int space, int wall, const std::vector<Part>& parts);
    // Places one prop standing free in the space (not against a wall).
    bool PlaceFree(int space, const Model& m, double yaw);
    // A free spot on the floor of the space for a person or a pickup, or false.
    bool FreeSpot(int space, double& x, double& y, double clearance = 24);
    int Props() const { return props_; }
    bool balcony = false;  // a front of the room has its balcony

    // Recesses in the wall of a space (0 north .. 3 west) from u0 to u1 along it (from the
    // wall's start, as PlaceGroup counts), one above the other: each from z0 to z1 above the
    // space's floor, `depth` deep, its back showing `face` (glass for a window, a door). Cut
    // before Build, only where the wall is solid out to the cell's side, so the wall and its
    // recesses stay part of the shell.
    struct Slot {
        double z0, z1;
        std::string face;
    };
    void Recess(int space, int wall, double u0, double u1, double depth, std::vector<Slot> slots);
    bool HasRecess(int k) const;  // whether the k-th recess could be cut (after Build)
    int Recesses() const { return static_cast<int>(recesses_.size()); }

    // Light, sound and dirt.
    void Lamps(int space);
    void WallLamp(int space, int wall, double u, double z);
    void Sound(int space, const std::string& soundscape, double radius = 320);
    void Decals(int space, int count);
    // A window (a recess with glass) with the daylight it lets in; before Build.
    void Window(int space, int wall, double u, double z, double w, double h);

    // Marks floor that must stay free (a way through, stairs), and asks whether some is.
    void KeepClear(const Rect& r) { keepOut_.push_back(r); }
    bool IsClear(const Rect& r) const {
        for (const auto& k : keepOut_)
            if (k.Overlaps(r)) return false;
        return true;
    }
    // Whether spaces a and b face each other across a 16-unit wall, and the middle and length
    // of the stretch they share.
    bool Shares(int a, int b, double& middle, double& length) const;

private:
    struct Opening {
        int a, b;
        Rect r;
        double z0, height;
        bool door;
        bool vertical;  // the wall runs along y
    };
    struct Cut {
        int space, wall;
        double u0, u1, depth;
        std::vector<Slot> slots;
    };
    Rect RecessColumn(const Cut& r) const;
    void BuildRecess(const Cut& r, const Rect& column);
    void BuildFill();
    void BuildOpening(const Opening& o, int index);
    void BuildSpaceFinish(const Space& s);
    bool Free(const Rect& r, int space) const;
    void Prop(const Model& m, double x, double y, double z, double yaw);

    RoomBuilder& b_;
    ShellPlan shell_;
    Rng rng_;
    std::vector<Space> spaces_;
    std::vector<Opening> openings_;
    std::vector<Cut> recesses_;
    std::vector<bool> recessBuilt_;
    std::vector<Rect> keepOut_, taken_;
    int props_ = 0;
    bool built_ = false;
    bool glow_ = false;
    std::vector<std::pair<int, Vec3>> daylight_;  // a window's recess and where its light shines from
};

// Drops the editor's own keys from a brush's sides (they cost lines and the compiler has their
// defaults).
Node& Lean(Node& solid);

// ---- looks of the city ----
const Look& Apartments();
const Look& Offices();
const Look& CombinePost();
const Look& Industrial();
const Look& Canals();
const Look& Streets();
const Look& Cellars();
const Look& Stairwells();

// ---- groups of props ----
namespace models {
// Doors prop_door_rotating takes in Half-Life 2 (Valve Developer Community, "prop_door_rotating",
// supported models): the origin is the hinge, half-way up the 108.5-unit door.
inline const std::string kDoor = "models/props_c17/door01_left.mdl";
}  // namespace models
// The models this kit uses beyond plans.h's, with their assumed boxes (the door's covers its
// swing either way from the hinge).
const std::vector<roomkit::PropModel>& Models();

// A gallery along wall `wall` of the space (0 north, 1 east, 2 south, 3 west), `depth` deep,
// its floor at `z`: a slab carried by the walls with a parapet along its open edge, left open
// over u0..u1 (along the wall, from its start) where stairs come up.
void Gallery(Cell& c, int space, int wall, double depth, double z, double u0 = 0, double u1 = 0);
// The fronts of the buildings along a street's wall: shop windows and doors at street level,
// windows on every storey above (recesses in the shell) and now and then a balcony. Before Build.
void Facade(Cell& c, int space, int wall, int storeys);

// A row of props along a wall: desks, beds, shelves and so on, picked to suit the space.
void Furnish(Cell& c, int space, int groups);
// A space's people and pickups: `npcs` characters, `items` items and `weapons` weapons.
void Populate(Cell& c, int space, int npcs, int items, int weapons);

}  // namespace roomgen::v3
