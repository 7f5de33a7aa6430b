#include "roomgen/kit_v3.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace roomgen::v3 {

using roomkit::FormatCoord;
using roomkit::kHalfCell;
using roomkit::kNodraw;
using roomkit::kWallThickness;

namespace {

constexpr double kInner = kHalfCell - kWallThickness;  // the inside of the shell's walls
constexpr double kEps = 0.01;
const std::string kAreaportal = "TOOLS/TOOLSAREAPORTAL";
const std::string kGlass = "GLASS/GLASSWINDOW007A";

// Door openings fit door01_left: about 52 wide and 108.5 tall.
constexpr double kDoorWidth = 56, kDoorHeight = 112, kDoorHingeZ = 54.25;

// Sets the material of each face of a box made by RoomBuilder::Box, in its order: bottom, top,
// x low, x high, y low, y high. Only for boxes inside the shell's walls.
void SetFaces(Node& solid, const std::array<std::string, 6>& mats) {
    Lean(solid);
    size_t face = 0;
    for (auto& side : solid.children) {
        if (!side.isBlock || side.key != "side" || face >= 6) continue;
        for (auto& kv : side.children)
            if (!kv.isBlock && kv.key == "material") kv.value = mats[face];
        ++face;
    }
}

}  // namespace

// Drops the keys a brush side only keeps for the editor (texture rotation, lightmap scale and
// smoothing groups, whose defaults the compiler takes): a brush of an entity costs its lines in
// the level's entity table.
Node& Lean(Node& solid) {
    for (auto& side : solid.children) {
        if (!side.isBlock || side.key != "side") continue;
        auto& kv = side.children;
        kv.erase(std::remove_if(kv.begin(), kv.end(),
                                [](const Node& n) {
                                    return !n.isBlock && (n.key == "rotation" || n.key == "lightmapscale" ||
                                                          n.key == "smoothing_groups");
                                }),
                 kv.end());
    }
    return solid;
}

namespace {

// Models plans.h does not list, with our estimate of their box (half depth, half width, height).
const roomkit::PropModel kShelfUnit{"models/props_c17/shelfunit01a.mdl", 12, 28, 96, false};
const roomkit::PropModel kDrawer{"models/props_c17/furnituredrawer001a.mdl", 10, 16, 40, false};
const roomkit::PropModel kPayphone{"models/props_trainstation/payphone001a.mdl", 8, 12, 72, false};
const roomkit::PropModel kBarricade{"models/props_wasteland/barricade001a.mdl", 8, 32, 48, false};
const roomkit::PropModel kBellLamp{"models/props_c17/lamp_bell_on.mdl", 10, 10, 20, false};
const roomkit::PropModel kPrisonLampB{"models/props_wasteland/prison_lamp001b.mdl", 12, 12, 24, false};

const roomkit::PropModel kDoorModel{models::kDoor, 4, 56, 108.5, true};

const roomkit::PropModel& LampModel(Lamp l) {
    switch (l) {
    case Lamp::Bulb: return kBellLamp;
    case Lamp::Fluorescent: return kLampFixture;
    case Lamp::Cage: return kHangingLamp;
    case Lamp::Sodium: return kStreetLamp;
    case Lamp::Combine: return kPrisonLampB;
    }
    return kHangingLamp;
}

// The colour and brightness of each kind of lamp: warm bulbs, cold tubes, orange sodium, the
// Combine's blue.
std::string LampLight(Lamp l) {
    switch (l) {
    case Lamp::Bulb: return "255 212 158 300";
    case Lamp::Fluorescent: return "232 242 255 320";
    case Lamp::Cage: return "255 198 132 280";
    case Lamp::Sodium: return "255 184 108 420";
    case Lamp::Combine: return "168 204 255 320";
    }
    return "";
}

// Lights with only the keys that differ from the compiler's defaults: every line of a room's
// entities counts against the level's entity table.
void PointLight(RoomBuilder& b, const Vec3& at, const std::string& color) {
    b.Entity("light", at, {{"_light", color}});
}

void SpotDown(RoomBuilder& b, const Vec3& at, const std::string& color) {
    b.Entity("light_spot", at, {{"angles", "-90 0 0"}, {"_light", color}, {"_inner_cone", "40"}, {"_cone", "65"}});
}

}  // namespace

const std::vector<roomkit::PropModel>& Models() {
    static const std::vector<roomkit::PropModel> all{kShelfUnit, kDrawer,      kPayphone, kBarricade,
                                                     kBellLamp,  kPrisonLampB, kDoorModel};
    return all;
}

// ---- looks ----

const Look& Apartments() {
    static const Look l{
        "apartment",
        {"WOOD/WOODFLOOR005A", "PLASTER/PLASTERWALL043D", "PLASTER/PLASTERCEILING006A", "WOOD/WOODFLOOR008A"},
        "WOOD/WOODWALL014A",
        "streetwar.infested_appartments",
        Lamp::Bulb,
        "bills"};
    return l;
}
const Look& Offices() {
    static const Look l{
        "office",
        {"PROPS/CARPETFLOOR007A", "PLASTER/PLASTERWALL021A", "PLASTER/PLASTERCEILING003A", "WOOD/WOODWALL014A"},
        "WOOD/WOODWALL014A",
        "streetwar.general_indoor_light_combat",
        Lamp::Fluorescent,
        "stains"};
    return l;
}
const Look& CombinePost() {
    static const Look l{
        "combine",
        {"METAL/METALFLOOR005A", "METAL/METALCOMBINE001", "METAL/METALCEILING005A", "METAL/METALCOMBINE002"},
        "METAL/METALCOMBINE002",
        "streetwar.control_room",
        Lamp::Combine,
        ""};
    return l;
}
const Look& Industrial() {
    static const Look l{
        "industrial",
        {"CONCRETE/CONCRETEFLOOR011A", "CONCRETE/CONCRETEWALL006A", "METAL/METALROOF005A", "METAL/METALWALL042A"},
        "METAL/METALWALL042A",
        "streetwar.vertical_warehouse_arena",
        Lamp::Cage,
        "stains"};
    return l;
}
const Look& Canals() {
    static const Look l{
        "canal",
        {"CONCRETE/CONCRETEFLOOR026A", "BRICK/BRICKWALL031D", "CONCRETE/CONCRETECEILING002A", "STONE/STONEWALL013A"},
        "CONCRETE/CONCRETEWALL059D",
        "streetwar.zombie_water_room",
        Lamp::Cage,
        "graffiti"};
    return l;
}
const Look& Streets() {
    static const Look l{
        "street",
        {"STONE/STONEFLOOR011A", "BRICK/BRICKWALL040B", "CONCRETE/CONCRETECEILING001A", "CONCRETE/CONCRETEWALL059D"},
        "CONCRETE/CONCRETEWALL059D",
        "streetwar.general_outdoor_light_combat",
        Lamp::Sodium,
        "graffiti"};
    return l;
}
const Look& Cellars() {
    static const Look l{
        "cellar",
        {"CONCRETE/CONCRETEFLOOR024A", "BRICK/BRICKWALL022A", "CONCRETE/CONCRETECEILING001A", "WOOD/WOODFLOOR008A"},
        "CONCRETE/CONCRETEWALL015A",
        "streetwar.general_small_tunnel",
        Lamp::Cage,
        "stains"};
    return l;
}
const Look& Stairwells() {
    static const Look l{
        "stairwell",
        {"WOOD/WOODFLOOR005A", "PLASTER/PLASTERWALL003A", "CONCRETE/CONCRETECEILING001A", "BRICK/BRICKWALL001A"},
        "CONCRETE/CONCRETEWALL015A",
        "streetwar.destroyed_concrete_building",
        Lamp::Bulb,
        "graffiti"};
    return l;
}

// ---- the cell ----

Cell::Cell(RoomBuilder& b, const ShellPlan& shell, std::uint32_t seed) : b_(b), shell_(shell), rng_(seed) {}

int Cell::Add(const Space& s) {
    for (const auto& o : spaces_)
        if (o.r.Overlaps(s.r)) throw std::logic_error("two spaces of a room overlap");
    spaces_.push_back(s);
    return static_cast<int>(spaces_.size()) - 1;
}

double Cell::CeilingOf(int space) const {
    const Space& s = At(space);
    return s.ceiling > 0 ? s.ceiling : shell_.height;
}

bool Cell::Shares(int a, int b, double& middle, double& length) const {
    const Rect& A = At(a).r;
    const Rect& B = At(b).r;
    auto near = [](double u, double v) { return std::fabs(u - v) < kEps; };
    double lo, hi;
    if (near(A.x1 + kWallThickness, B.x0) || near(B.x1 + kWallThickness, A.x0))
        lo = std::max(A.y0, B.y0), hi = std::min(A.y1, B.y1);
    else if (near(A.y1 + kWallThickness, B.y0) || near(B.y1 + kWallThickness, A.y0))
        lo = std::max(A.x0, B.x0), hi = std::min(A.x1, B.x1);
    else return false;
    middle = (lo + hi) / 2, length = hi - lo;
    return length > 0;
}

void Cell::Door(int a, int b, double at) {
    Arch(a, b, at, kDoorWidth, kDoorHeight);
    openings_.back().door = true;
    if (openings_.back().z0 > 0) throw std::logic_error("a door must stand on the room's floor");
}

void Cell::Arch(int a, int b, double at, double width, double height) {
    const Rect& A = At(a).r;
    const Rect& B = At(b).r;
    Opening o{a, b, {}, std::max(At(a).floor, At(b).floor), height, false, false};
    auto near = [](double u, double v) { return std::fabs(u - v) < kEps; };
    double lo = 0, hi = 0;
    if (near(A.x1 + kWallThickness, B.x0) || near(B.x1 + kWallThickness, A.x0)) {
        const double wx = near(A.x1 + kWallThickness, B.x0) ? A.x1 : B.x1;
        o.vertical = true;
        o.r = {wx, at - width / 2, wx + kWallThickness, at + width / 2};
        lo = std::max(A.y0, B.y0), hi = std::min(A.y1, B.y1);
    } else if (near(A.y1 + kWallThickness, B.y0) || near(B.y1 + kWallThickness, A.y0)) {
        const double wy = near(A.y1 + kWallThickness, B.y0) ? A.y1 : B.y1;
        o.r = {at - width / 2, wy, at + width / 2, wy + kWallThickness};
        lo = std::max(A.x0, B.x0), hi = std::min(A.x1, B.x1);
    } else {
        throw std::logic_error("an opening between spaces that share no wall");
    }
    if (at - width / 2 < lo - kEps || at + width / 2 > hi + kEps)
        throw std::logic_error("an opening runs past the wall the spaces share");
    openings_.push_back(o);
}

void Cell::Build() {
    if (built_) throw std::logic_error("a cell is built once");
    built_ = true;
    BuildFill();
    for (size_t i = 0; i < openings_.size(); ++i) BuildOpening(openings_[i], static_cast<int>(i));
    for (const auto& s : spaces_) BuildSpaceFinish(s);
    // The ways in from the neighbours stay free.
    for (int side = 0; side < 4; ++side) {
        const auto i = static_cast<size_t>(side);
        if (!shell_.open[i]) continue;
        const double w = roomkit::PassageHalfWidth(shell_.kind[i]) + 24, deep = 112;
        switch (side) {
        case roomkit::North: KeepClear({-w, kInner - deep, w, kInner}); break;
        case roomkit::East: KeepClear({kInner - deep, -w, kInner, w}); break;
        case roomkit::South: KeepClear({-w, -kInner, w, -kInner + deep}); break;
        default: KeepClear({-kInner, -w, -kInner + deep, w}); break;
        }
    }
    for (const auto& o : openings_) {
        const double reach = 56;
        KeepClear(o.vertical ? Rect{o.r.x0 - reach, o.r.y0 - 16, o.r.x1 + reach, o.r.y1 + 16}
                             : Rect{o.r.x0 - 16, o.r.y0 - reach, o.r.x1 + 16, o.r.y1 + reach});
    }
}

void Cell::BuildFill() {
    // The grid runs to the cell's side, so the fill along the shell's walls reaches it (and a
    // recess cut in it stays part of the shell); the doorways' openings in the walls are left
    // to the frames.
    const double C = kHalfCell;
    std::vector<double> xs{-C, -kInner, kInner, C}, ys{-C, -kInner, kInner, C};
    auto push = [](std::vector<double>& v, double a) { v.push_back(std::clamp(a, -kHalfCell, kHalfCell)); };
    auto pushRect = [&](const Rect& r) { push(xs, r.x0), push(xs, r.x1), push(ys, r.y0), push(ys, r.y1); };
    for (const auto& s : spaces_) pushRect(s.r);
    for (const auto& o : openings_) pushRect(o.r);
    std::vector<Rect> doorways;
    for (int side = 0; side < 4; ++side) {
        const auto i = static_cast<size_t>(side);
        if (!shell_.open[i]) continue;
        const double D = roomkit::DoorHalfWidth(shell_.kind[i]);
        switch (side) {
        case roomkit::North: doorways.push_back({-D, kInner, D, C}); break;
        case roomkit::East: doorways.push_back({kInner, -D, C, D}); break;
        case roomkit::South: doorways.push_back({-D, -C, D, -kInner}); break;
        default: doorways.push_back({-C, -D, -kInner, D}); break;
        }
        pushRect(doorways.back());
    }
    std::vector<Rect> columns;
    for (const auto& r : recesses_) {
        columns.push_back(RecessColumn(r));
        pushRect(columns.back());
        const Rect& sr = At(r.space).r;
        // The recess's back face, `depth` behind the wall's face.
        switch (r.wall) {
        case 0: push(ys, sr.y1 + r.depth); break;
        case 1: push(xs, sr.x1 + r.depth); break;
        case 2: push(ys, sr.y0 - r.depth); break;
        default: push(xs, sr.x0 - r.depth); break;
        }
    }
    auto tidy = [](std::vector<double>& v) {
        std::sort(v.begin(), v.end());
        v.erase(std::unique(v.begin(), v.end(), [](double a, double b) { return std::fabs(a - b) < kEps; }), v.end());
    };
    tidy(xs), tidy(ys);
    const int nx = static_cast<int>(xs.size()) - 1, ny = static_cast<int>(ys.size()) - 1;
    // Owner of each grid cell: a space (>= 0), the fill (-1), an opening (-2 - k), a doorway's
    // opening in the shell (kDoorway), or a recess (kRecess - k).
    constexpr int kDoorway = -1000, kRecess = -2000;
    std::vector<int> owner(static_cast<size_t>(nx * ny), -1);
    auto at = [&](int i, int j) -> int {
        if (i < 0 || j < 0 || i >= nx || j >= ny) return kDoorway;  // outside the cell: hidden
        return owner[static_cast<size_t>(j * nx + i)];
    };
    auto centre = [&](int i, int j) {
        return std::pair{(xs[static_cast<size_t>(i)] + xs[static_cast<size_t>(i + 1)]) / 2,
                         (ys[static_cast<size_t>(j)] + ys[static_cast<size_t>(j + 1)]) / 2};
    };
    for (int j = 0; j < ny; ++j)
        for (int i = 0; i < nx; ++i) {
            const auto [cx, cy] = centre(i, j);
            int o = -1;
            for (size_t s = 0; s < spaces_.size(); ++s)
                if (spaces_[s].r.Holds(cx, cy)) o = static_cast<int>(s);
            for (size_t k = 0; k < openings_.size(); ++k)
                if (openings_[k].r.Holds(cx, cy)) o = -2 - static_cast<int>(k);
            for (const auto& d : doorways)
                if (d.Holds(cx, cy)) o = kDoorway;
            owner[static_cast<size_t>(j * nx + i)] = o;
        }
    // A recess is cut only where its column from the wall to the cell's side is all fill.
    recessBuilt_.assign(recesses_.size(), false);
    for (size_t k = 0; k < recesses_.size(); ++k) {
        bool clear = true;
        std::vector<size_t> cells;
        for (int j = 0; j < ny; ++j)
            for (int i = 0; i < nx; ++i) {
                const auto [cx, cy] = centre(i, j);
                if (!columns[k].Holds(cx, cy)) continue;
                clear = clear && owner[static_cast<size_t>(j * nx + i)] == -1;
                cells.push_back(static_cast<size_t>(j * nx + i));
            }
        if (!clear || cells.empty()) continue;
        for (size_t c : cells) owner[c] = kRecess - static_cast<int>(k);
        recessBuilt_[k] = true;
    }
    auto material = [&](int o) -> std::string {
        if (o >= 0) return spaces_[static_cast<size_t>(o)].look.mats.wall;
        if (o <= kRecess) return At(recesses_[static_cast<size_t>(kRecess - o)].space).look.frame;
        if (o <= -2 && o > kDoorway)
            return spaces_[static_cast<size_t>(openings_[static_cast<size_t>(-2 - o)].a)].look.frame;
        return kNodraw;
    };
    // Grows boxes of fill whose every face looks onto one thing, so a wall changes its look
    // only where it turns a corner or meets a doorway.
    std::vector<bool> used(owner.size(), false);
    auto free = [&](int i, int j) {
        return i >= 0 && j >= 0 && i < nx && j < ny && owner[static_cast<size_t>(j * nx + i)] == -1 &&
               !used[static_cast<size_t>(j * nx + i)];
    };
    for (int j0 = 0; j0 < ny; ++j0)
        for (int i0 = 0; i0 < nx; ++i0) {
            if (!free(i0, j0)) continue;
            const int south = at(i0, j0 - 1), north0 = at(i0, j0 + 1), west = at(i0 - 1, j0);
            int i1 = i0 + 1;
            while (i1 < nx && free(i1, j0) && at(i1, j0 - 1) == south && at(i1, j0 + 1) == north0) ++i1;
            const int east = at(i1, j0);
            int j1 = j0 + 1;
            for (; j1 < ny; ++j1) {
                bool ok = at(i0 - 1, j1) == west && at(i1, j1) == east;
                for (int i = i0; i < i1 && ok; ++i) ok = free(i, j1);
                const int above = at(i0, j1 + 1);
                for (int i = i0; i < i1 && ok; ++i) ok = at(i, j1 + 1) == above;
                if (!ok) break;
            }
            for (int j = j0; j < j1; ++j)
                for (int i = i0; i < i1; ++i) used[static_cast<size_t>(j * nx + i)] = true;
            const Vec3 lo{xs[static_cast<size_t>(i0)], ys[static_cast<size_t>(j0)], 0};
            const Vec3 hi{xs[static_cast<size_t>(i1)], ys[static_cast<size_t>(j1)], shell_.height};
            Node& box = b_.Box(lo, hi, kNodraw, &b_.World());
            SetFaces(box, {kNodraw, kNodraw, material(at(i0 - 1, j0)), material(at(i1, j0)), material(at(i0, j0 - 1)),
                           material(at(i0, j1))});
        }
    for (size_t k = 0; k < recesses_.size(); ++k)
        if (recessBuilt_[k]) BuildRecess(recesses_[k], columns[k]);
    for (const auto& [k, at] : daylight_)
        if (recessBuilt_[static_cast<size_t>(k)]) PointLight(b_, at, "196 214 255 90");
}

Rect Cell::RecessColumn(const Cut& r) const {
    const Rect& s = At(r.space).r;
    const double C = kHalfCell;
    switch (r.wall) {
    case 0: return {s.x0 + r.u0, s.y1, s.x0 + r.u1, C};
    case 1: return {s.x1, s.y1 - r.u1, C, s.y1 - r.u0};
    case 2: return {s.x1 - r.u1, -C, s.x1 - r.u0, s.y0};
    default: return {-C, s.y0 + r.u0, s.x0, s.y0 + r.u1};
    }
}

void Cell::Recess(int space, int wall, double u0, double u1, double depth, std::vector<Slot> slots) {
    if (built_) throw std::logic_error("a recess is cut before the cell is built");
    std::sort(slots.begin(), slots.end(), [](const Slot& a, const Slot& b) { return a.z0 < b.z0; });
    recesses_.push_back({space, wall, u0, u1, depth, std::move(slots)});
}

bool Cell::HasRecess(int k) const {
    return k >= 0 && static_cast<size_t>(k) < recessBuilt_.size() && recessBuilt_[static_cast<size_t>(k)];
}

void Cell::BuildRecess(const Cut& r, const Rect& col) {
    const Space& s = At(r.space);
    const double floor = s.floor, H = shell_.height;
    const std::string& wall = s.look.mats.wall;
    const std::string& frame = s.look.frame;
    // Faces in Box order: bottom, top, x low, x high, y low, y high. The face toward the space:
    const int toward = r.wall == 0 ? 4 : r.wall == 1 ? 2 : r.wall == 2 ? 5 : 3;
    auto box = [&](Rect c, double za, double zb, const std::string& front, const std::string& bottom,
                   const std::string& top) {
        std::array<std::string, 6> m{bottom, top, kNodraw, kNodraw, kNodraw, kNodraw};
        m[static_cast<size_t>(toward)] = front;
        Node& n = b_.Box({c.x0, c.y0, za}, {c.x1, c.y1, zb}, kNodraw, &b_.World());
        SetFaces(n, m);
    };
    Rect back = col;
    switch (r.wall) {
    case 0: back.y0 += r.depth; break;
    case 1: back.x0 += r.depth; break;
    case 2: back.y1 -= r.depth; break;
    default: back.x1 -= r.depth; break;
    }
    // The wall between the recesses (sills below, heads above them), and each recess's back.
    double z = 0;
    for (const Slot& slot : r.slots) {
        const double z0 = floor + slot.z0, z1 = floor + slot.z1;
        if (z1 > H - 16) break;  // no window reaches into the roof
        if (z0 > z + kEps) box(col, z, z0, wall, z > kEps ? frame : kNodraw, frame);
        box(back, z0, z1, slot.face, kNodraw, kNodraw);
        z = z1;
    }
    if (z < H - kEps) box(col, z, H, wall, z > kEps ? frame : kNodraw, kNodraw);
}

void Cell::BuildOpening(const Opening& o, int index) {
    const Space& A = At(o.a);
    const Space& B = At(o.b);
    const double top = o.z0 + o.height, H = shell_.height;
    // Which faces look into which space: a vertical wall has its faces on x.
    const bool aLow = o.vertical ? A.r.x1 <= o.r.x0 + kEps : A.r.y1 <= o.r.y0 + kEps;
    const std::string& toA = A.look.mats.wall;
    const std::string& toB = B.look.mats.wall;
    const std::string lowFace = aLow ? toA : toB, highFace = aLow ? toB : toA;
    if (top < H - kEps) {
        Node& lintel = b_.Box({o.r.x0, o.r.y0, top}, {o.r.x1, o.r.y1, H}, kNodraw, &b_.World());
        if (o.vertical) SetFaces(lintel, {A.look.frame, kNodraw, lowFace, highFace, kNodraw, kNodraw});
        else SetFaces(lintel, {A.look.frame, kNodraw, kNodraw, kNodraw, lowFace, highFace});
    }
    if (o.z0 > 0) Lean(b_.Box({o.r.x0, o.r.y0, 0}, {o.r.x1, o.r.y1, o.z0}, A.look.frame));
    if (!o.door) return;
    // The door hangs on its hinge at one jamb and closes across the opening; the areaportal
    // fills the opening inside the wall and shuts with the door.
    const std::string name = "door" + std::to_string(index + 1);
    double hx, hy, yaw;
    if (o.vertical) {
        hx = o.r.Cx(), hy = o.r.y0 + 2, yaw = 180;
    } else {
        hx = o.r.x0 + 2, hy = o.r.Cy(), yaw = 90;
    }
    static const char* const kSkins[] = {"0", "1", "2", "3", "5", "8", "10", "12"};
    b_.Entity("prop_door_rotating", {hx, hy, o.z0 + kDoorHingeZ},
              {{"targetname", name},
               {"model", models::kDoor},
               {"skin", kSkins[rng_.Pick(8)]},
               {"angles", "0 " + FormatCoord(yaw) + " 0"},
               {"hardware", "1"},
               {"returndelay", "-1"},
               {"spawnflags", "8192"}});
    Node& portal = b_.BrushEntity("func_areaportal", {{"target", name}, {"PortalVersion", "1"}});
    const double in = 4;
    if (o.vertical) Lean(b_.Box({o.r.x0 + in, o.r.y0, o.z0}, {o.r.x1 - in, o.r.y1, top}, kAreaportal, &portal));
    else Lean(b_.Box({o.r.x0, o.r.y0 + in, o.z0}, {o.r.x1, o.r.y1 - in, top}, kAreaportal, &portal));
}

void Cell::BuildSpaceFinish(const Space& s) {
    const auto& m = s.look.mats;
    const double H = shell_.height;
    // Canal water: the compiler makes water of world brushes only. Its surface lies 24 below
    // the quays (at 48), more than a step, so the water is no floor one walks onto from them.
    if (s.use == Use::Water) Lean(b_.Water({s.r.x0, s.r.y0, 0}, {s.r.x1, s.r.y1, 24}, kWater));
    // A raised floor is part of the shell where it reaches the cell's side (carried on to the
    // boundary under the wall), else a detail block.
    if (s.floor > 0) {
        Rect r = s.r;
        bool shell = false;
        if (r.x0 <= -kInner + kEps) r.x0 = -kHalfCell, shell = true;
        if (r.x1 >= kInner - kEps) r.x1 = kHalfCell, shell = true;
        if (r.y0 <= -kInner + kEps) r.y0 = -kHalfCell, shell = true;
        if (r.y1 >= kInner - kEps) r.y1 = kHalfCell, shell = true;
        Lean(b_.Box({r.x0, r.y0, 0}, {r.x1, r.y1, s.floor}, m.floor, shell ? &b_.World() : nullptr));
    }
    if (shell_.sky) {
        if (s.roofed && s.ceiling > 0 && s.ceiling + 16 < H)
            Lean(b_.Box({s.r.x0, s.r.y0, s.ceiling}, {s.r.x1, s.r.y1, s.ceiling + 16}, m.ceiling));
        return;
    }
    // A lower ceiling, or a ceiling of another look, hangs from the shell's between the space's
    // walls: world, like the walls it spans between.
    const double c = s.ceiling > 0 ? s.ceiling : H;
    if (c < H - kEps || m.ceiling != shell_.mats.ceiling) {
        const double bottom = c < H - kEps ? c : H - 2;
        Lean(b_.Box({s.r.x0, s.r.y0, bottom}, {s.r.x1, s.r.y1, H}, m.ceiling, &b_.World()));
    }
}

// ---- furnishing ----

bool Cell::Free(const Rect& r, int space) const {
    const Rect& in = At(space).r;
    if (r.x0 < in.x0 - kEps || r.y0 < in.y0 - kEps || r.x1 > in.x1 + kEps || r.y1 > in.y1 + kEps) return false;
    for (const auto& k : keepOut_)
        if (k.Overlaps(r)) return false;
    for (const auto& t : taken_)
        if (t.Overlaps(r)) return false;
    return true;
}

void Cell::Prop(const Model& m, double x, double y, double z, double yaw) {
    yaw = std::fmod(yaw + 360, 360);
    if (m.fixed) b_.FixedProp(*m.model, {x, y, z}, yaw);
    else b_.Prop(*m.model, {x, y, z}, yaw);
    ++props_;
}

bool Cell::PlaceGroup(int space, int wall, const std::vector<Part>& parts) {
    if (parts.empty()) return false;
    const Space& s = At(space);
    const Rect& r = s.r;
    // The wall's start, its direction along, the direction into the room, and the facing yaw.
    double ux, uy, nx, ny, ox, oy, len, facing;
    switch (wall) {
    case 0: ox = r.x0, oy = r.y1, ux = 1, uy = 0, nx = 0, ny = -1, len = r.W(), facing = 270; break;
    case 1: ox = r.x1, oy = r.y1, ux = 0, uy = -1, nx = -1, ny = 0, len = r.D(), facing = 180; break;
    case 2: ox = r.x1, oy = r.y0, ux = -1, uy = 0, nx = 0, ny = 1, len = r.W(), facing = 90; break;
    default: ox = r.x0, oy = r.y0, ux = 0, uy = 1, nx = 1, ny = 0, len = r.D(), facing = 0; break;
    }
    // Each part's footprint in wall terms: extent along (u) and out (v).
    struct Foot {
        double u0, u1, v0, v1;
    };
    std::vector<Foot> feet;
    double umin = 1e9, umax = -1e9;
    for (const auto& p : parts) {
        const bool across = std::fmod(std::fabs(p.turn), 180) > 45 && std::fmod(std::fabs(p.turn), 180) < 135;
        const double along = across ? p.model.Deep() : p.model.Along(), out = across ? p.model.Along() : p.model.Deep();
        feet.push_back({p.u - along / 2, p.u + along / 2, p.v, p.v + out});
        umin = std::min(umin, p.u - along / 2), umax = std::max(umax, p.u + along / 2);
    }
    auto world = [&](double u, double v) { return std::pair{ox + ux * u + nx * v, oy + uy * u + ny * v}; };
    auto rectOf = [&](double shift, const Foot& f, double grow) {
        const auto [ax, ay] = world(shift + f.u0 - grow, f.v0);
        const auto [bx, by] = world(shift + f.u1 + grow, f.v1 + grow);
        return Rect{std::min(ax, bx), std::min(ay, by), std::max(ax, bx), std::max(ay, by)};
    };
    const double width = umax - umin, margin = 8;
    if (width + 2 * margin > len) return false;
    const int steps = static_cast<int>((len - width - 2 * margin) / 16) + 1;
    const int start = rng_.Pick(steps);
    for (int k = 0; k < steps; ++k) {
        const double shift = margin - umin + 16 * ((start + k) % steps);
        bool ok = true;
        for (const auto& f : feet) ok = ok && Free(rectOf(shift, f, 4), space);
        if (!ok) continue;
        for (size_t i = 0; i < parts.size(); ++i) {
            const auto& p = parts[i];
            const double cv = p.v + (feet[i].v1 - feet[i].v0) / 2;
            const auto [x, y] = world(shift + p.u, cv);
            Prop(p.model, x, y, s.floor + p.z, facing + p.turn);
            taken_.push_back(rectOf(shift, feet[i], 2));
        }
        return true;
    }
    return false;
}

bool Cell::PlaceFree(int space, const Model& m, double yaw) {
    const Rect& r = At(space).r;
    const double half = std::max(m.Along(), m.Deep()) / 2 + 4;
    const int nx = std::max(1, static_cast<int>((r.W() - 2 * half) / 16)),
              ny = std::max(1, static_cast<int>((r.D() - 2 * half) / 16));
    const int start = rng_.Pick(nx * ny);
    for (int k = 0; k < nx * ny; ++k) {
        const int c = (start + k * 7) % (nx * ny);
        const double x = r.x0 + half + 16 * (c % nx), y = r.y0 + half + 16 * (c / nx);
        const Rect foot{x - half, y - half, x + half, y + half};
        if (!Free(foot, space)) continue;
        Prop(m, x, y, At(space).floor, yaw);
        taken_.push_back(foot);
        return true;
    }
    return false;
}

bool Cell::FreeSpot(int space, double& x, double& y, double clearance) {
    const Rect& r = At(space).r;
    if (At(space).use == Use::Water) return false;
    const double half = clearance;
    const int nx = std::max(1, static_cast<int>((r.W() - 2 * half) / 16)),
              ny = std::max(1, static_cast<int>((r.D() - 2 * half) / 16));
    const int start = rng_.Pick(nx * ny);
    for (int k = 0; k < nx * ny; ++k) {
        const int c = (start + k * 11) % (nx * ny);
        x = r.x0 + half + 16 * (c % nx), y = r.y0 + half + 16 * (c / nx);
        const Rect foot{x - half, y - half, x + half, y + half};
        if (!Free(foot, space)) continue;
        taken_.push_back(foot.Grown(-half + 12));
        return true;
    }
    return false;
}

void Cell::Lamps(int space) {
    const Space& s = At(space);
    const Rect& r = s.r;
    const bool outdoors = shell_.sky && !s.roofed;
    if (outdoors && s.use == Use::Water) return;
    if (outdoors) {
        // Street lamps along the longer walls, their light at the lamp's head.
        const Model post{&kStreetLamp, true};
        const int walls[2] = {r.W() >= r.D() ? 0 : 1, r.W() >= r.D() ? 2 : 3};
        for (int w : walls) {
            if (std::max(r.W(), r.D()) < 400 && w != walls[0]) break;  // one post lights a short stretch
            const size_t before = taken_.size();
            if (!PlaceGroup(space, w, {{post, 0, 12, 0, 0}})) continue;
            const Rect foot = taken_[before];
            PointLight(b_, {(foot.x0 + foot.x1) / 2, (foot.y0 + foot.y1) / 2, s.floor + 112}, LampLight(Lamp::Sodium));
        }
        return;
    }
    const double c = CeilingOf(space);
    const roomkit::PropModel& model = LampModel(s.look.lamp);
    const std::string light = LampLight(s.look.lamp);
    const bool longX = r.W() >= r.D();
    const double len = longX ? r.W() : r.D();
    const int n = len > 400 ? 2 : 1;
    for (int k = 1; k <= n; ++k) {
        const double t = static_cast<double>(k) / (n + 1);
        const double x = longX ? r.x0 + t * r.W() : r.Cx(), y = longX ? r.Cy() : r.y0 + t * r.D();
        // The lamp hangs from the ceiling with its light shining down under it.
        b_.FixedProp(model, {x, y, c - 2});
        ++props_;
        SpotDown(b_, {x, y, c - 26}, light);
        // The glow a room's first lamp throws back off the walls, a point light by its shade.
        if (!glow_) {
            glow_ = true;
            PointLight(b_, {x, y, c - 40}, light.substr(0, light.rfind(' ')) + " 60");
        }
    }
}

void Cell::WallLamp(int space, int wall, double u, double z) {
    const Rect& r = At(space).r;
    double x, y, nx = 0, ny = 0;
    switch (wall) {
    case 0: x = r.x0 + u, y = r.y1, ny = -1; break;
    case 1: x = r.x1, y = r.y1 - u, nx = -1; break;
    case 2: x = r.x1 - u, y = r.y0, ny = 1; break;
    default: x = r.x0, y = r.y0 + u, nx = 1; break;
    }
    const double yaw = wall == 0 ? 270 : wall == 1 ? 180 : wall == 2 ? 90 : 0;
    const double floor = At(space).floor;
    b_.FixedProp(kCageLight, {x + nx * 4, y + ny * 4, floor + z}, yaw);
    ++props_;
    PointLight(b_, {x + nx * 24, y + ny * 24, floor + z}, LampLight(Lamp::Cage));
}

void Cell::Sound(int space, const std::string& soundscape, double radius) {
    const Space& s = At(space);
    b_.Entity("env_soundscape", {s.r.Cx(), s.r.Cy(), s.floor + 72},
              {{"soundscape", soundscape}, {"radius", FormatCoord(radius)}});
}

void Cell::Decals(int space, int count) {
    const Space& s = At(space);
    // Decal materials of the game: posted bills, City 17 graffiti, grime and litter (the
    // game's materials/decals folder, as Garry's Mod addons that use Half-Life 2's content
    // name them).
    static const std::vector<std::string> bills{"decals/bills01a", "decals/bills02a", "decals/bills03a",
                                                "decals/bills04a", "decals/bills05a"};
    static const std::vector<std::string> graffiti{
        "decals/decalgraffiti001a", "decals/decalgraffiti001c", "decals/decalgraffiti005a", "decals/decalgraffiti007a",
        "decals/decalgraffiti010a", "decals/decalgraffiti012a", "decals/decalgraffiti015a", "decals/decalgraffiti022a"};
    static const std::vector<std::string> stains{"decals/decalstain002a", "decals/decalstain003a",
                                                 "decals/decalstain005a", "decals/decalstain006a",
                                                 "decals/decalstain007a"};
    static const std::vector<std::string> litter{"decals/trashdecal01a", "decals/trashdecal02a",
                                                 "decals/trashdecal03a"};
    const std::vector<std::string>* onWalls = s.look.decals == "bills"      ? &bills
                                              : s.look.decals == "graffiti" ? &graffiti
                                              : s.look.decals == "stains"   ? &stains
                                                                            : nullptr;
    const Rect& r = s.r;
    // A decal whose wall is too short or kept clear tries another wall, a few times over.
    for (int k = 0, tries = 0; k < count && tries < 4 * count; ++tries) {
        if (!onWalls || k % 3 == 2) {
            ++k;
            double x, y;
            if (!FreeSpot(space, x, y, 12)) continue;
            b_.Entity("infodecal", {x, y, s.floor + 1}, {{"texture", litter[static_cast<size_t>(rng_.Pick(3))]}});
            continue;
        }
        const int wall = rng_.Pick(4);
        const double along = wall % 2 == 0 ? r.W() : r.D();
        if (along < 96) continue;
        const double u = 40 + rng_.Pick(static_cast<int>(along - 80));
        double x, y;
        switch (wall) {
        case 0: x = r.x0 + u, y = r.y1 - 1; break;
        case 1: x = r.x1 - 1, y = r.y1 - u; break;
        case 2: x = r.x1 - u, y = r.y0 + 1; break;
        default: x = r.x0 + 1, y = r.y0 + u; break;
        }
        bool clear = true;
        for (const auto& kept : keepOut_) clear = clear && !kept.Holds(x, y);
        if (!clear) continue;
        b_.Entity("infodecal", {x, y, s.floor + 56 + rng_.Pick(48)},
                  {{"texture", (*onWalls)[static_cast<size_t>(rng_.Pick(static_cast<int>(onWalls->size())))]}});
        ++k;
    }
}

void Cell::Window(int space, int wall, double u, double z, double w, double h) {
    Recess(space, wall, u - w / 2, u + w / 2, 8, {{z, z + h, kGlass}});
    // Daylight comes in through it: a light a little inside the glass, shining into the room.
    const Rect& r = At(space).r;
    double x, y;
    switch (wall) {
    case 0: x = r.x0 + u, y = r.y1 - 24; break;
    case 1: x = r.x1 - 24, y = r.y1 - u; break;
    case 2: x = r.x1 - u, y = r.y0 + 24; break;
    default: x = r.x0 + 24, y = r.y0 + u; break;
    }
    daylight_.push_back({Recesses() - 1, {x, y, At(space).floor + z + h / 2}});
}

// ---- props ----

namespace {

Model M(const roomkit::PropModel& model, bool fixed) { return {&model, fixed}; }

}  // namespace

void Furnish(Cell& c, int space, int groups) {
    const Space& s = c.At(space);
    Rng& rng = c.Random();
    using P = std::vector<Cell::Part>;
    // Rough sizes of the game's models (along the front, front to back, height).
    const Model desk = M(kDesk, true), officeChair = M(kOfficeChair, false), cabinet = M(kFileCabinet, true),
                shelf = M(kShelf, true), shelfUnit = M(kShelfUnit, true), bed = M(kBed, true),
                dresser = M(kDresser, true), drawer = M(kDrawer, true), couch = M(kCouch, true),
                table = M(kTable, true), table2 = M(kTable2, true), chair = M(kChair, false), fridge = M(kFridge, true),
                stove = M(kStove, true), counter = M(kCounter, true), radiator = M(kRadiator, true),
                bath = M(kBathtub, true), washer = M(kWasher, true), dryer = M(kDryer, true),
                cafeTable = M(kCafeTable, true), cafeBench = M(kCafeBench, true), bedframe = M(kBedframe, true),
                bench = M(kBench, true), trash = M(kTrashcan, false), dumpster = M(kDumpster, true),
                crate = M(kCrate, false), crateBig = M(kCrateBig, false), pallet = M(kPallet, false),
                drum = M(kDrum, false), drumRed = M(kDrumRed, false), blue = M(kBlueBarrel, false),
                box = M(kBox, false), barrier = M(kConcreteBarrier, true), combine = M(kCombineBarricade, true),
                combineMed = M(kCombineBarricadeMed, true), payphone = M(kPayphone, true), closet = M(kCloset, true),
                controlChair = M(kControlChair, true), boiler = M(kBoiler, true), canister = M(kCanister, false),
                gascan = M(kGasCan, false), bucket = M(kBucket, false), pushcart = M(kPushcart, false),
                laundryCart = M(kLaundryCart, false), pipe = M(kConcretePipe, true), barricade = M(kBarricade, true),
                dockPole = M(kDockPole, true), cooler = M(kCooler, true), register_ = M(kCashRegister, false),
                pot = M(kPot, false), board = M(kBoard, false), panel = M(kPanel, false),
                kitchenShelf = M(kKitchenShelf, true), benchIndoor = M(kBenchIndoor, true);
    std::vector<P> menu;
    switch (s.use) {
    case Use::Office:
        menu = {P{{desk, 0, 4, 0, 0}, {officeChair, 0, 40, 180, 0}, {cabinet, 48, 2, 0, 0}},
                P{{cabinet, 0, 2}, {cabinet, 28, 2}, {box, 56, 6}},
                P{{shelf, 0, 2}, {box, 40, 4}},
                P{{desk, 0, 4}, {officeChair, -8, 40, 200}},
                P{{radiator, 0, 0}},
                P{{couch, 0, 4}, {table, 0, 48}},
                P{{trash, 0, 4}, {cabinet, 28, 2}}};
        break;
    case Use::Flat:
    case Use::Bedroom:
        menu = {P{{bed, 0, 2}, {drawer, 44, 2}},
                P{{couch, 0, 4}, {table2, 0, 52}, {chair, 44, 56, 270}},
                P{{dresser, 0, 2}, {box, 40, 4}},
                P{{radiator, 0, 0}},
                P{{table, 0, 8}, {chair, -32, 12, 90}, {chair, 32, 12, 270}},
                P{{shelf, 0, 2}},
                P{{board, 0, 4}, {panel, 40, 4}, {box, 70, 4}}};
        break;
    case Use::Kitchen:
        menu = {P{{counter, 0, 2}, {stove, 48, 2}, {fridge, 94, 2}},
                P{{table2, 0, 24}, {chair, -36, 28, 90}, {chair, 36, 28, 270}},
                P{{kitchenShelf, 0, 2}, {pot, 0, 30, 0, 40}}, P{{fridge, 0, 2}, {box, 30, 4}},
                P{{trash, 0, 4}, {bucket, 24, 4}}};
        break;
    case Use::Washroom:
        menu = {P{{bath, 0, 2}}, P{{washer, 0, 2}, {dryer, 44, 2}}, P{{radiator, 0, 0}}, P{{bucket, 0, 4}}};
        break;
    case Use::Cell:
        menu = {P{{bedframe, 0, 2}, {bucket, 30, 4}}, P{{radiator, 0, 0}}, P{{bedframe, 0, 2}},
                P{{box, 0, 4}, {board, 30, 4}}};
        break;
    case Use::Store:
        menu = {P{{shelfUnit, 0, 2}, {box, 40, 4}},
                P{{crate, 0, 4}, {crate, 44, 4}, {crate, 22, 4, 15, 40}, {pallet, 96, 4}},
                P{{drum, 0, 4}, {drum, 30, 6}, {gascan, 56, 6}},
                P{{kitchenShelf, 0, 2}, {box, 0, 26}},
                P{{crateBig, 0, 4}, {box, 36, 6}},
                P{{pushcart, 0, 6}},
                P{{shelf, 0, 2}, {bucket, 40, 4}}};
        break;
    case Use::Hall:
        menu = {P{{crate, 0, 4}, {crate, 44, 4}, {crate, 22, 4, 15, 40}, {pallet, 0, 52}, {crateBig, 60, 52}},
                P{{drum, 0, 4}, {drumRed, 30, 6}, {blue, 60, 4}, {gascan, 84, 6}},
                P{{boiler, 0, 4}, {canister, 40, 4}, {canister, 58, 6}},
                P{{pipe, 0, 4}},
                P{{table2, 0, 8}, {canister, 44, 6}, {bucket, -40, 6}},
                P{{laundryCart, 0, 6}, {box, 40, 6}},
                P{{washer, 0, 2}, {washer, 44, 2}, {dryer, 88, 2}},
                P{{pallet, 0, 4}, {crate, 0, 4, 0, 6}},
                P{{cafeBench, 0, 8}, {cafeTable, 0, 36}, {cafeBench, 0, 84, 180}}};
        break;
    case Use::Machine:
        menu = {P{{boiler, 0, 4}, {boiler, 40, 4}}, P{{closet, 0, 2}, {controlChair, 0, 40, 180}},
                P{{canister, 0, 4}, {canister, 20, 4}, {canister, 40, 6}}, P{{cabinet, 0, 2}, {drum, 34, 4}},
                P{{pipe, 0, 4}}};
        break;
    case Use::Post:
        menu = {P{{combine, 0, 8}},
                P{{closet, 0, 2}, {controlChair, 48, 30, 180}, {cabinet, 90, 2}},
                P{{canister, 0, 4}, {canister, 20, 6}, {blue, 44, 4}},
                P{{combineMed, 0, 8}},
                P{{barrier, 0, 8}},
                P{{crate, 0, 4}, {box, 40, 6}}};
        break;
    case Use::Street:
    case Use::Yard:
        menu = {P{{bench, 0, 8}, {trash, 44, 6}},
                P{{dumpster, 0, 4}, {box, 50, 8}, {box, 70, 6, 30}},
                P{{payphone, 0, 2}, {trash, 30, 6}},
                P{{barrier, 0, 12}},
                P{{barricade, 0, 12}, {drum, 48, 8}},
                P{{pallet, 0, 6}, {crate, 0, 6, 0, 6}, {crate, 48, 6}},
                P{{trash, 0, 6}},
                P{{drum, 0, 6}, {drum, 30, 8}, {board, 60, 6}}};
        break;
    case Use::Quay:
        menu = {P{{dockPole, 0, 8}},
                P{{drum, 0, 6}, {drum, 30, 8}},
                P{{pallet, 0, 6}, {crate, 0, 6, 0, 6}},
                P{{pipe, 0, 4}},
                P{{bench, 0, 8}},
                P{{crateBig, 0, 6}, {box, 40, 6}}};
        break;
    case Use::Stair: menu = {P{{radiator, 0, 0}}, P{{trash, 0, 4}}, P{{box, 0, 4}, {board, 30, 4}}}; break;
    case Use::Water: break;
    case Use::Corridor:
        menu = {P{{radiator, 0, 0}},
                P{{trash, 0, 4}},
                P{{box, 0, 4}},
                P{{benchIndoor, 0, 2}},
                P{{payphone, 0, 2}},
                P{{cooler, 0, 2}},
                P{{register_, 0, 4}, {bucket, 20, 4}}};
        break;
    }
    if (menu.empty()) return;
    const int first = rng.Pick(static_cast<int>(menu.size()));
    for (int k = 0, placed = 0; k < 3 * static_cast<int>(menu.size()) && placed < groups; ++k) {
        const auto& group = menu[static_cast<size_t>((first + k) % static_cast<int>(menu.size()))];
        for (int tries = 0; tries < 4; ++tries)
            if (c.PlaceGroup(space, (rng.Pick(4) + tries) % 4, group)) {
                ++placed;
                break;
            }
    }
}

void Populate(Cell& c, int space, int npcs, int items, int weapons) {
    RoomBuilder& b = c.Builder();
    const double floor = c.FloorOf(space);
    double x, y;
    for (int k = 0; k < npcs; ++k)
        if (c.FreeSpot(space, x, y, 24)) b.Npc({x, y, floor + 8}, 90 * c.Random().Pick(4));
    // Items draw ammunition for a weapon the player has (2) or health and batteries (4), never
    // ammunition for a weapon the level does not give; a weapon placeholder gives a weapon.
    for (int k = 0; k < items; ++k)
        if (c.FreeSpot(space, x, y, 32)) b.Item({x, y, floor + 16}, c.Random().Chance(50) ? 2 : 4);
    for (int k = 0; k < weapons; ++k)
        if (c.FreeSpot(space, x, y, 32)) b.Weapon({x, y, floor + 16}, 1, 90 * c.Random().Pick(4));
}

}  // namespace roomgen::v3

namespace roomgen::v3 {

namespace {

// A box given in a wall's terms: u along the wall from its start, v out from it, z up.
void WallBox(RoomBuilder& b, const Rect& r, int wall, double u0, double u1, double v0, double v1, double z0, double z1,
             const std::string& mat) {
    switch (wall) {
    case 0: Lean(b.Box({r.x0 + u0, r.y1 - v1, z0}, {r.x0 + u1, r.y1 - v0, z1}, mat)); break;
    case 1: Lean(b.Box({r.x1 - v1, r.y1 - u1, z0}, {r.x1 - v0, r.y1 - u0, z1}, mat)); break;
    case 2: Lean(b.Box({r.x1 - u1, r.y0 + v0, z0}, {r.x1 - u0, r.y0 + v1, z1}, mat)); break;
    default: Lean(b.Box({r.x0 + v0, r.y0 + u0, z0}, {r.x0 + v1, r.y0 + u1, z1}, mat)); break;
    }
}

Rect WallRect(const Rect& r, int wall, double u0, double u1, double v0, double v1) {
    switch (wall) {
    case 0: return {r.x0 + u0, r.y1 - v1, r.x0 + u1, r.y1 - v0};
    case 1: return {r.x1 - v1, r.y1 - u1, r.x1 - v0, r.y1 - u0};
    case 2: return {r.x1 - u1, r.y0 + v0, r.x1 - u0, r.y0 + v1};
    default: return {r.x0 + v0, r.y0 + u0, r.x0 + v1, r.y0 + u1};
    }
}

}  // namespace

void Gallery(Cell& c, int space, int wall, double depth, double z, double u0, double u1) {
    const Space& s = c.At(space);
    RoomBuilder& b = c.Builder();
    const double len = wall % 2 == 0 ? s.r.W() : s.r.D();
    const std::string& deck = s.look.mats.trim;
    WallBox(b, s.r, wall, 0, len, 0, depth, z - 8, z, deck);
    // The parapet along the open edge, 40 high, with the stairs' gap left open.
    if (u1 > u0) {
        if (u0 > 0) WallBox(b, s.r, wall, 0, u0, depth - 4, depth, z, z + 40, s.look.frame);
        if (u1 < len) WallBox(b, s.r, wall, u1, len, depth - 4, depth, z, z + 40, s.look.frame);
    } else {
        WallBox(b, s.r, wall, 0, len, depth - 4, depth, z, z + 40, s.look.frame);
    }
    // Under the gallery stays free of furniture in front of the posts.
    c.KeepClear(WallRect(s.r, wall, 0, len, depth - 24, depth + 8));
}

void Facade(Cell& c, int space, int wall, int storeys) {
    const Space& s = c.At(space);
    Rng& rng = c.Random();
    const double len = wall % 2 == 0 ? s.r.W() : s.r.D(), w = 64;
    // The bays stand on one grid across the cell (every 192, at 96 off the middle), so fronts
    // facing each other and the storeys of one front share the planes the windows cut: fewer
    // cuts for the visibility compiler to work through.
    const double start = wall == 0 ? s.r.x0 : wall == 1 ? s.r.y1 : wall == 2 ? s.r.x1 : s.r.y0;
    const double dir = wall == 0 || wall == 3 ? 1 : -1;  // world coordinate along u
    std::vector<double> bays;
    for (double at = -288; at <= 288; at += 192) {
        const double u = (at - start) * dir;
        if (u >= w / 2 + 24 && u <= len - w / 2 - 24) bays.push_back(u);
    }
    for (const double u : bays) {
        // Street level a shop window or a shut door, a window on every storey above.
        std::vector<Cell::Slot> slots;
        if (rng.Chance(50)) slots.push_back({24, 104, kGlass});
        else slots.push_back({0, 104, "METAL/METALDOOR039A"});
        for (int k = 1; k < storeys; ++k) slots.push_back({128.0 * k + 32, 128.0 * k + 104, kGlass});
        c.Recess(space, wall, u - w / 2, u + w / 2, 8, std::move(slots));
        // Now and then (once in a room) a balcony under a first-floor window: its slab and parapet.
        if (storeys > 1 && !c.balcony && rng.Chance(25)) {
            c.balcony = true;
            RoomBuilder& b = c.Builder();
            const double z = s.floor + 160;
            WallBox(b, s.r, wall, u - 48, u + 48, 0, 40, z - 14, z - 6, s.look.frame);
            WallBox(b, s.r, wall, u - 48, u + 48, 36, 40, z - 6, z + 28, s.look.frame);
        }
    }
}

}  // namespace roomgen::v3
