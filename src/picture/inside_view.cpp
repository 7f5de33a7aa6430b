#include "picture/inside_view.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>
#include <thread>

#include "check/vmf_reader.h"
#include "picture/room_picture.h"

namespace tessellon {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kInf = std::numeric_limits<double>::infinity();

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool HasPrefix(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (Upper(s[i]) != Upper(prefix[i])) return false;
    return true;
}

bool HasPart(std::string_view s, std::string_view part) {
    for (std::size_t i = 0; i + part.size() <= s.size(); ++i)
        if (HasPrefix(s.substr(i), part)) return true;
    return false;
}

// ---- Materials

struct Family {
    std::string_view prefix;
    Rgb color;
};

// The colour of each material family of the game (the first folder of the material's name).
constexpr Family kFamilies[] = {
    {"CONCRETE/", {150, 148, 140}},  {"BRICK/", {152, 84, 64}},     {"METAL/", {112, 122, 134}},
    {"WOOD/", {142, 102, 64}},       {"PLASTER/", {198, 188, 166}}, {"TILE/", {182, 198, 198}},
    {"STONE/", {140, 130, 114}},     {"NATURE/", {112, 104, 72}},   {"GLASS/", {150, 190, 204}},
    {"BUILDINGS/", {164, 144, 120}}, {"COMBINE/", {62, 74, 94}},    {"PROPS/", {128, 84, 76}},
    {"DEV/", {176, 156, 124}},
};
constexpr Rgb kWater{44, 86, 112};
constexpr Rgb kOtherMaterial{150, 150, 150};
constexpr Rgb kLamp{255, 238, 196};

// ---- Numbers in values

std::vector<double> Numbers(std::string_view text) {
    std::vector<double> out;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
        std::size_t j = i;
        while (j < text.size() && text[j] != ' ' && text[j] != '\t') ++j;
        if (j > i) {
            const char* b = text.data() + i;
            if (*b == '+') ++b;
            double v = 0;
            const auto r = std::from_chars(b, text.data() + j, v);
            if (r.ec != std::errc() || r.ptr != text.data() + j || !std::isfinite(v)) return {};
            out.push_back(v);
        }
        i = j;
    }
    return out;
}

double NumberOf(const VmfBlock& block, std::string_view key, double fallback) {
    const std::string_view* text = block.Find(key);
    if (!text) return fallback;
    const std::vector<double> v = Numbers(*text);
    return v.empty() ? fallback : v[0];
}

Vec3 AnglesOf(const VmfBlock& block) {
    Vec3 a;
    const std::string_view* text = block.Find("angles");
    if (text && !ParseVector(*text, a)) a = {};
    return a;
}

// A light colour "r g b brightness" in linear terms: the 0..255 colour made linear, times the
// brightness over 255.
std::optional<Vec3> LightColor(const VmfBlock& block, std::string_view key) {
    const std::string_view* text = block.Find(key);
    if (!text) return std::nullopt;
    const std::vector<double> v = Numbers(*text);
    if (v.size() < 3) return std::nullopt;
    // Negative brightness takes light away, as in the game; far beyond any real lamp is cut.
    const double brightness = std::clamp(v.size() >= 4 ? v[3] : 255.0, -1e6, 1e6);
    auto channel = [&](double c) { return std::pow(std::clamp(c, 0.0, 255.0) / 255, 2.2) * brightness / 255; };
    return Vec3{channel(v[0]), channel(v[1]), channel(v[2])};
}

// Which way a light shines, as the map compiler reads it: the "angle" key (-1 up, -2 down)
// and the "pitch" key win over the angles when they are not zero, and a positive pitch points
// up (Valve's public/map_utils.cpp, SetupLightNormalFromProps).
Vec3 LightDirection(const VmfBlock& block) {
    const Vec3 angles = AnglesOf(block);
    double yaw = NumberOf(block, "angle", 0);
    double pitch = NumberOf(block, "pitch", 0);
    Vec3 out;
    if (yaw == -1) {
        out = {0, 0, 1};
    } else if (yaw == -2) {
        out = {0, 0, -1};
    } else {
        if (yaw == 0) yaw = angles.y;
        out = {std::cos(yaw * kPi / 180), std::sin(yaw * kPi / 180), 0};
    }
    if (pitch == 0) pitch = angles.x;
    out.z = std::sin(pitch * kPi / 180);
    out.x *= std::cos(pitch * kPi / 180);
    out.y *= std::cos(pitch * kPi / 180);
    return out;
}

Vec3 Unit(Vec3 v) {
    const double l = std::sqrt(Dot(v, v));
    return l > 0 ? v * (1 / l) : v;
}

// Which of `n` cells (0 .. n - 1) a position counted in cells falls in. Clamped before the
// conversion, so a far-off or broken coordinate from a file cannot overflow it.
int CellIndex(double cells, int n) {
    if (!(cells >= 0)) return 0;
    if (cells >= n - 1) return n - 1;
    return static_cast<int>(cells);
}

// How many cells of `size` cover `extent`, between 1 and `most`.
int CellCount(double extent, double size, int most) {
    const double n = std::ceil(extent / size);
    return !(n >= 1) ? 1 : n >= most ? most : static_cast<int>(n);
}

std::optional<ViewLight> PointLight(const VmfBlock& e, Vec3 origin, bool spot) {
    const std::optional<Vec3> color = LightColor(e, "_light");
    if (!color) return std::nullopt;
    ViewLight l;
    l.at = origin;
    l.color = *color;
    l.constant = NumberOf(e, "_constant_attn", 0);
    l.linear = NumberOf(e, "_linear_attn", 0);
    l.quadratic = NumberOf(e, "_quadratic_attn", 0);
    if (l.constant <= 0 && l.linear <= 0 && l.quadratic <= 0) l.quadratic = 1;
    l.constant = std::max(l.constant, 0.0), l.linear = std::max(l.linear, 0.0),
    l.quadratic = std::max(l.quadratic, 0.0);
    l.reach = std::max(NumberOf(e, "_distance", 0), 0.0);
    if (spot) {
        // The compiler's defaults and limits: a 10 degree inner cone, the outer cone no
        // narrower than the inner, neither wider than 90.
        double inner = NumberOf(e, "_inner_cone", 0);
        if (inner == 0) inner = 10;
        double outer = NumberOf(e, "_cone", 0);
        if (outer == 0) outer = inner;
        outer = std::max(outer, inner);
        if (!(inner >= 180 && outer >= 180)) {
            l.spot = true;
            l.direction = Unit(LightDirection(e));
            l.innerCos = std::cos(std::min(inner, 90.0) * kPi / 180);
            l.outerCos = std::cos(std::min(outer, 90.0) * kPi / 180);
            l.exponent = std::max(NumberOf(e, "_exponent", 0), 0.0);
        }
    }
    return l;
}

// ---- Props, characters and pickups

struct Shape {
    std::string_view pattern;  // part of the model's or class's name
    double length, width, height;
    double bottom;  // where the box starts below (or above) the origin
    Rgb color;
    bool glows = false;
};

constexpr Rgb kWoodProp{132, 96, 62};
constexpr Rgb kMetalProp{112, 118, 126};
constexpr Rgb kWhiteGoods{204, 204, 198};
constexpr Rgb kConcreteProp{150, 148, 140};

// Rough sizes of the game's models by their names' parts, first match wins (so "bedframe"
// stands before "bed" and "lamppost" before "lamp"). Doors turn about their origin on the
// hinge side, half the door's height above its foot.
constexpr Shape kPropShapes[] = {
    {"door", 4, 52, 108, -54, kWoodProp},
    {"lamppost", 12, 12, 190, 0, {70, 72, 76}},
    {"lamp", 14, 14, 14, -7, kLamp, true},
    {"light_", 14, 14, 14, -7, kLamp, true},
    {"car0", 190, 84, 62, 0, {92, 102, 122}},
    {"dumpster", 80, 40, 56, 0, {62, 92, 62}},
    {"display_cooler", 48, 32, 84, 0, kWhiteGoods},
    {"storagecloset", 48, 24, 84, 0, kMetalProp},
    {"filecabinet", 24, 20, 48, 0, kMetalProp},
    {"fridge", 30, 30, 72, 0, kWhiteGoods},
    {"boiler", 40, 40, 72, 0, kMetalProp},
    {"gaspump", 32, 24, 72, 0, {150, 62, 52}},
    {"bathtub", 70, 36, 24, 0, kWhiteGoods},
    {"bedframe", 84, 40, 20, 0, kMetalProp},
    {"bed", 84, 44, 26, 0, {150, 122, 92}},
    {"couch", 84, 36, 34, 0, {122, 72, 62}},
    {"dresser", 22, 44, 48, 0, kWoodProp},
    {"desk", 60, 30, 32, 0, kWoodProp},
    {"cafeteria_table", 96, 48, 30, 0, kWoodProp},
    {"table", 56, 32, 30, 0, kWoodProp},
    {"bench", 64, 18, 20, 0, kWoodProp},
    {"chair", 24, 24, 40, 0, {112, 92, 72}},
    {"shelf", 48, 16, 72, 0, kMetalProp},
    {"counter", 64, 32, 36, 0, kMetalProp},
    {"stove", 32, 32, 36, 0, kMetalProp},
    {"washer", 32, 32, 40, 0, kWhiteGoods},
    {"dryer", 32, 32, 40, 0, kWhiteGoods},
    {"cart", 48, 28, 36, 0, kMetalProp},
    {"barricade", 100, 20, 64, 0, {62, 74, 94}},
    {"concrete_barrier", 96, 24, 44, 0, kConcreteProp},
    {"pipe", 96, 64, 64, 0, kConcreteProp},
    {"radiator", 36, 8, 24, 0, kWhiteGoods},
    {"bluebarrel", 28, 28, 45, 0, {62, 92, 152}},
    {"drum", 28, 28, 45, 0, {112, 72, 52}},
    {"barrel", 28, 28, 45, 0, {112, 72, 52}},
    {"canister", 16, 16, 40, 0, kMetalProp},
    {"crate002", 64, 32, 32, 0, kWoodProp},
    {"crate", 40, 40, 40, 0, kWoodProp},
    {"cardboard", 24, 20, 18, 0, {162, 132, 92}},
    {"pallet", 48, 40, 6, 0, kWoodProp},
    {"board", 48, 8, 2, 0, kWoodProp},
    {"panel", 48, 48, 2, 0, kMetalProp},
    {"fence", 128, 6, 64, 0, kWoodProp},
    {"pole", 12, 12, 128, 0, kWoodProp},
    {"trashcan", 20, 20, 36, 0, kMetalProp},
    {"cashregister", 16, 16, 12, 0, {82, 82, 82}},
    {"bucket", 14, 14, 16, 0, kMetalProp},
    {"pot", 14, 14, 16, 0, kMetalProp},
    {"gascan", 14, 8, 16, 0, {150, 40, 36}},
};
constexpr Shape kOtherProp{"", 32, 32, 32, 0, {140, 120, 100}};

constexpr Rgb kCharacterMark{224, 40, 40};
constexpr Rgb kPickupMark{250, 150, 20};

// Characters by class: the game's small and flying ones, everyone else a person's size.
constexpr Shape kCharacterShapes[] = {
    {"headcrab", 24, 24, 12, 0, kCharacterMark, true},   {"manhack", 16, 16, 16, -8, kCharacterMark, true},
    {"cscanner", 24, 24, 24, -12, kCharacterMark, true}, {"rollermine", 24, 24, 24, 0, kCharacterMark, true},
    {"turret", 24, 24, 60, 0, kCharacterMark, true},     {"antlionguard", 96, 96, 96, 0, kCharacterMark, true},
    {"antlion", 40, 40, 36, 0, kCharacterMark, true},
};
constexpr Shape kPerson{"", 32, 32, 72, 0, kCharacterMark, true};
constexpr Shape kPickup{"", 20, 20, 10, 0, kPickupMark, true};

const Shape& ShapeOf(std::string_view name, const Shape* first, const Shape* last, const Shape& fallback) {
    for (const Shape* s = first; s != last; ++s)
        if (HasPart(name, s->pattern)) return *s;
    return fallback;
}

bool IsCharacter(std::string_view cls) { return HasPrefix(cls, "npc_") || cls == "vornic_npc"; }
bool IsPickup(std::string_view cls) {
    return HasPrefix(cls, "weapon_") || HasPrefix(cls, "item_") || cls == "vornic_weapon" || cls == "vornic_item";
}

// Brush entities that are volumes, never seen: their brushes are left out whatever their faces.
bool IsInvisibleVolume(std::string_view cls) {
    return HasPrefix(cls, "trigger_") || HasPrefix(cls, "func_areaportal") || cls == "func_occluder" ||
           cls == "func_viscluster" || cls == "func_vornic_spawngroup" || cls == "func_clip_vphysics";
}

// Tool materials that let light through: the compilers' helpers and the clips.
bool PassesLight(std::string_view material) {
    static constexpr std::string_view kPassing[] = {"TOOLSHINT",    "TOOLSSKIP",       "CLIP",
                                                    "TOOLSTRIGGER", "TOOLSAREAPORTAL", "TOOLSOCCLUDER",
                                                    "TOOLSORIGIN",  "TOOLSFOG",        "TOOLSINVISIBLE"};
    if (!HasPrefix(material, "TOOLS/")) return HasPart(material, "WATER");
    return std::any_of(std::begin(kPassing), std::end(kPassing),
                       [&](std::string_view p) { return HasPart(material, p); });
}

// ---- Rays

struct Ray {
    Vec3 origin, dir, inv;
};

Ray MakeRay(Vec3 origin, Vec3 dir) {
    auto inverse = [](double d) { return d != 0 ? 1 / d : kInf; };
    return {origin, dir, {inverse(dir.x), inverse(dir.y), inverse(dir.z)}};
}

// Where the ray meets the box, [tIn, tOut]; false when it misses within [tMin, tMax].
bool RayBox(const Ray& r, const Box& b, double tMin, double tMax, double& tIn, double& tOut) {
    tIn = tMin, tOut = tMax;
    const double o[3] = {r.origin.x, r.origin.y, r.origin.z}, inv[3] = {r.inv.x, r.inv.y, r.inv.z};
    const double lo[3] = {b.min.x, b.min.y, b.min.z}, hi[3] = {b.max.x, b.max.y, b.max.z};
    for (int a = 0; a < 3; ++a) {
        if (std::isinf(inv[a])) {
            if (o[a] < lo[a] || o[a] > hi[a]) return false;
            continue;
        }
        double t0 = (lo[a] - o[a]) * inv[a], t1 = (hi[a] - o[a]) * inv[a];
        if (t0 > t1) std::swap(t0, t1);
        tIn = std::max(tIn, t0);
        tOut = std::min(tOut, t1);
        if (tIn > tOut) return false;
    }
    return true;
}

}  // namespace

// ---- Materials (public)

FaceSurface SurfaceOfMaterial(std::string_view material) {
    if (HasPrefix(material, "TOOLS/")) {
        if (HasPart(material, "TOOLSSKYBOX")) return {FaceLook::Sky, kViewSky};
        if (material.size() == 16 && HasPrefix(material, "TOOLS/TOOLSBLACK")) return {FaceLook::Glowing, {0, 0, 0}};
        return {FaceLook::Hidden, {}};
    }
    if (HasPart(material, "WATER")) return {FaceLook::Lit, kWater};
    if (HasPrefix(material, "LIGHTS/")) return {FaceLook::Glowing, kLamp};
    for (const Family& f : kFamilies)
        if (HasPrefix(material, f.prefix)) return {FaceLook::Lit, f.color};
    return {FaceLook::Lit, kOtherMaterial};
}

// ---- The grid the rays walk

// A uniform grid over the bodies' bounds; each cell lists the bodies whose bounds overlap it.
struct ViewScene::Grid {
    Box bounds;
    double cell = 1;
    int n[3] = {1, 1, 1};
    std::vector<std::uint32_t> first;  // cell c lists items[first[c] .. first[c + 1])
    std::vector<std::uint32_t> items;
    // The lights that reach each column of a coarser grid in x and y.
    double lightCell = 128;  // at least
    int ln[2] = {1, 1};
    std::vector<std::uint32_t> lightFirst, lightItems;
    // Per light: the square of its reach, its falloff's value at 100 units, its strongest channel.
    struct LightTerms {
        double reach2, scale, strongest;
    };
    std::vector<LightTerms> lightTerms;
    // Per face: its colour in linear terms.
    std::vector<Vec3> albedo;

    int Index(int x, int y, int z) const { return (z * n[1] + y) * n[0] + x; }
};

namespace {

// The distance beyond which a light gives a face less than this (linear) amount: far lights
// are left out rather than summed from all over a level.
constexpr double kFaintestLight = 0.004;

double ToLinear(std::uint8_t c) { return std::pow(c / 255.0, 2.2); }

double LightReach(const ViewLight& l) {
    const double strongest = std::max({l.color.x, l.color.y, l.color.z});
    const double scale = l.constant + 100 * l.linear + 10000 * l.quadratic;
    const double need = strongest * scale / kFaintestLight;  // c + l d + q d^2 at the reach
    double d;
    if (l.quadratic > 0)
        d = (-l.linear + std::sqrt(l.linear * l.linear + 4 * l.quadratic * std::max(need - l.constant, 0.0))) /
            (2 * l.quadratic);
    else if (l.linear > 0) d = std::max(need - l.constant, 0.0) / l.linear;
    else d = 1e9;  // constant light reaches everywhere
    if (l.reach > 0) d = std::min(d, l.reach);
    return std::min(d, 32768.0);
}

}  // namespace

ViewScene::ViewScene() = default;
ViewScene::~ViewScene() = default;
ViewScene::ViewScene(ViewScene&&) noexcept = default;
ViewScene& ViewScene::operator=(ViewScene&&) noexcept = default;

int ViewScene::Bodies() const { return static_cast<int>(bodies_.size()); }

bool ViewScene::AddBody(const std::vector<Plane>& planes, const std::vector<FaceSurface>& surfaces, bool blocksLight) {
    if (planes.size() < 4 || planes.size() != surfaces.size()) return false;
    Box box{{kInf, kInf, kInf}, {-kInf, -kInf, -kInf}};
    bool any = false;
    for (const Polygon& face : BodyFaces(planes))
        for (const Vec3& v : face) {
            if (std::fabs(v.x) >= kUnboundedReach || std::fabs(v.y) >= kUnboundedReach ||
                std::fabs(v.z) >= kUnboundedReach)
                return false;
            box.min = {std::min(box.min.x, v.x), std::min(box.min.y, v.y), std::min(box.min.z, v.z)};
            box.max = {std::max(box.max.x, v.x), std::max(box.max.y, v.y), std::max(box.max.z, v.z)};
            any = true;
        }
    if (!any) return false;
    Body b;
    b.firstPlane = static_cast<std::uint32_t>(planes_.size());
    b.planeCount = static_cast<std::uint32_t>(planes.size());
    b.bounds = box;
    b.blocksLight = blocksLight;
    planes_.insert(planes_.end(), planes.begin(), planes.end());
    surfaces_.insert(surfaces_.end(), surfaces.begin(), surfaces.end());
    bodies_.push_back(b);
    grid_.reset();
    return true;
}

void ViewScene::AddBox(Vec3 base, Vec3 size, double yaw, FaceSurface surface, bool blocksLight) {
    const double c = std::cos(yaw * kPi / 180), s = std::sin(yaw * kPi / 180);
    const Vec3 along{c, s, 0}, across{-s, c, 0};
    std::vector<Plane> planes = {
        {along, Dot(along, base) + size.x / 2},
        {along * -1, -Dot(along, base) + size.x / 2},
        {across, Dot(across, base) + size.y / 2},
        {across * -1, -Dot(across, base) + size.y / 2},
        {{0, 0, 1}, base.z + size.z},
        {{0, 0, -1}, -base.z},
    };
    AddBody(planes, std::vector<FaceSurface>(6, surface), blocksLight);
}

Box ViewScene::Bounds() const {
    if (bodies_.empty()) return {};
    Box box = bodies_[0].bounds;
    for (const Body& b : bodies_) {
        box.min = {std::min(box.min.x, b.bounds.min.x), std::min(box.min.y, b.bounds.min.y),
                   std::min(box.min.z, b.bounds.min.z)};
        box.max = {std::max(box.max.x, b.bounds.max.x), std::max(box.max.y, b.bounds.max.y),
                   std::max(box.max.z, b.bounds.max.z)};
    }
    return box;
}

const ViewScene::Grid& ViewScene::Ready() const {
    if (grid_) return *grid_;
    auto g = std::make_unique<Grid>();
    Box box = Bounds();
    box.min = box.min - Vec3{1, 1, 1};
    box.max = box.max + Vec3{1, 1, 1};
    g->bounds = box;
    const Vec3 size = box.max - box.min;
    // About 32 cells per body, none finer than 16 units, at most 256 along an axis.
    const double volume = size.x * size.y * size.z;
    const double want = std::max(32.0 * static_cast<double>(bodies_.size()), 1.0);
    g->cell = std::max(16.0, std::cbrt(volume / want));
    const double extent[3] = {size.x, size.y, size.z};
    for (int a = 0; a < 3; ++a) g->cell = std::max(g->cell, extent[a] / 256);

    auto cellRange = [&](const Box& b, int lo[3], int hi[3]) {
        const double mn[3] = {b.min.x - box.min.x, b.min.y - box.min.y, b.min.z - box.min.z};
        const double mx[3] = {b.max.x - box.min.x, b.max.y - box.min.y, b.max.z - box.min.z};
        for (int a = 0; a < 3; ++a) {
            lo[a] = CellIndex(mn[a] / g->cell, g->n[a]);
            hi[a] = CellIndex(mx[a] / g->cell, g->n[a]);
        }
    };
    int lo[3], hi[3];
    // Many large bodies (a hand-made map's huge brushes, or a hostile file) would list each in
    // thousands of cells: the grid coarsens until the lists stay within bounds.
    constexpr double kMostListed = 1 << 22;
    for (;;) {
        for (int a = 0; a < 3; ++a) g->n[a] = CellCount(extent[a], g->cell, 256);
        double listed = 0;
        for (const Body& b : bodies_) {
            cellRange(b.bounds, lo, hi);
            listed += static_cast<double>(hi[0] - lo[0] + 1) * (hi[1] - lo[1] + 1) * (hi[2] - lo[2] + 1);
        }
        const double cells = static_cast<double>(g->n[0]) * g->n[1] * g->n[2];
        if ((listed <= kMostListed && cells <= kMostListed) || cells == 1) break;
        g->cell *= 2;
    }
    const std::size_t cells =
        static_cast<std::size_t>(g->n[0]) * static_cast<std::size_t>(g->n[1]) * static_cast<std::size_t>(g->n[2]);
    g->first.assign(cells + 1, 0);
    for (const Body& b : bodies_) {
        cellRange(b.bounds, lo, hi);
        for (int z = lo[2]; z <= hi[2]; ++z)
            for (int y = lo[1]; y <= hi[1]; ++y)
                for (int x = lo[0]; x <= hi[0]; ++x) ++g->first[static_cast<std::size_t>(g->Index(x, y, z)) + 1];
    }
    for (std::size_t c = 0; c < cells; ++c) g->first[c + 1] += g->first[c];
    g->items.resize(g->first[cells]);
    std::vector<std::uint32_t> fill(g->first.begin(), g->first.end() - 1);
    for (std::uint32_t i = 0; i < bodies_.size(); ++i) {
        cellRange(bodies_[i].bounds, lo, hi);
        for (int z = lo[2]; z <= hi[2]; ++z)
            for (int y = lo[1]; y <= hi[1]; ++y)
                for (int x = lo[0]; x <= hi[0]; ++x) g->items[fill[static_cast<std::size_t>(g->Index(x, y, z))]++] = i;
    }

    // Lights by columns: each light is listed in the columns its reach touches.
    std::vector<double> reach;
    for (const ViewLight& l : lights_) {
        reach.push_back(LightReach(l));
        g->lightTerms.push_back({reach.back() * reach.back(), l.constant + 100 * l.linear + 10000 * l.quadratic,
                                 std::max({l.color.x, l.color.y, l.color.z})});
    }
    auto columnRange = [&](std::size_t i, int& x0, int& x1, int& y0, int& y1) {
        const ViewLight& l = lights_[i];
        const double r = reach[i];
        x0 = CellIndex((l.at.x - r - box.min.x) / g->lightCell, g->ln[0]);
        x1 = CellIndex((l.at.x + r - box.min.x) / g->lightCell, g->ln[0]);
        y0 = CellIndex((l.at.y - r - box.min.y) / g->lightCell, g->ln[1]);
        y1 = CellIndex((l.at.y + r - box.min.y) / g->lightCell, g->ln[1]);
    };
    // As with the bodies: columns as coarse as needed to keep the lists within bounds.
    g->lightCell = std::max({128.0, size.x / 512, size.y / 512});
    for (;;) {
        g->ln[0] = CellCount(size.x, g->lightCell, 512);
        g->ln[1] = CellCount(size.y, g->lightCell, 512);
        double listed = 0;
        int cx0, cx1, cy0, cy1;
        for (std::size_t i = 0; i < lights_.size(); ++i) {
            columnRange(i, cx0, cx1, cy0, cy1);
            listed += static_cast<double>(cx1 - cx0 + 1) * (cy1 - cy0 + 1);
        }
        if (listed <= kMostListed || (g->ln[0] == 1 && g->ln[1] == 1)) break;
        g->lightCell *= 2;
    }
    const std::size_t columns = static_cast<std::size_t>(g->ln[0]) * static_cast<std::size_t>(g->ln[1]);
    g->lightFirst.assign(columns + 1, 0);
    int x0, x1, y0, y1;
    for (std::size_t i = 0; i < lights_.size(); ++i) {
        columnRange(i, x0, x1, y0, y1);
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) ++g->lightFirst[static_cast<std::size_t>(y * g->ln[0] + x) + 1];
    }
    for (std::size_t c = 0; c < columns; ++c) g->lightFirst[c + 1] += g->lightFirst[c];
    g->lightItems.resize(g->lightFirst[columns]);
    std::vector<std::uint32_t> lfill(g->lightFirst.begin(), g->lightFirst.end() - 1);
    for (std::size_t i = 0; i < lights_.size(); ++i) {
        columnRange(i, x0, x1, y0, y1);
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                g->lightItems[lfill[static_cast<std::size_t>(y * g->ln[0] + x)]++] = static_cast<std::uint32_t>(i);
    }
    for (const FaceSurface& f : surfaces_)
        g->albedo.push_back({ToLinear(f.color.red), ToLinear(f.color.green), ToLinear(f.color.blue)});
    grid_ = std::move(g);
    return *grid_;
}

namespace {

// What a ray looks for.
enum class Seek {
    Sight,   // the nearest face that shows
    Shadow,  // anything that blocks light before the end
    Sky,     // the nearest face of a body that blocks light: is it sky?
};

struct Hit {
    double t = kInf;
    std::uint32_t plane = 0;  // index into the scene's planes
    std::uint32_t body = 0;
};

}  // namespace

// Walks the grid along one ray. Kept out of the class's header: it needs the scene's insides.
class ViewTracer {
public:
    ViewTracer(const ViewScene& scene, const ViewScene::Grid& grid)
        : planes_(scene.planes_), surfaces_(scene.surfaces_), bodies_(scene.bodies_), grid_(grid) {
        stamp_.assign(bodies_.size(), 0);
    }

    // The nearest hit in (tMin, tMax) of what `seek` looks for; for Shadow any hit does.
    bool Trace(const Ray& r, double tMin, double tMax, Seek seek, Hit& hit) {
        if (bodies_.empty()) return false;
        if (++ray_ == 0) {
            std::fill(stamp_.begin(), stamp_.end(), 0);
            ray_ = 1;
        }
        double t0, t1;
        if (!RayBox(r, grid_.bounds, tMin, tMax, t0, t1)) return false;
        const double o[3] = {r.origin.x, r.origin.y, r.origin.z}, d[3] = {r.dir.x, r.dir.y, r.dir.z};
        const double inv[3] = {r.inv.x, r.inv.y, r.inv.z};
        const double lo[3] = {grid_.bounds.min.x, grid_.bounds.min.y, grid_.bounds.min.z};
        int cell[3], step[3];
        double next[3], delta[3];
        for (int a = 0; a < 3; ++a) {
            const double p = o[a] + d[a] * t0 - lo[a];
            cell[a] = CellIndex(p / grid_.cell, grid_.n[a]);
            if (d[a] > 0) {
                step[a] = 1;
                next[a] = t0 + ((cell[a] + 1) * grid_.cell - p) * inv[a];
                delta[a] = grid_.cell * inv[a];
            } else if (d[a] < 0) {
                step[a] = -1;
                next[a] = t0 + (cell[a] * grid_.cell - p) * inv[a];
                delta[a] = -grid_.cell * inv[a];
            } else {
                step[a] = 0;
                next[a] = kInf;
                delta[a] = kInf;
            }
        }
        hit = Hit{};
        hit.t = tMax;
        bool found = false;
        for (;;) {
            const int c = grid_.Index(cell[0], cell[1], cell[2]);
            const double cellEnd = std::min({next[0], next[1], next[2]});
            for (std::uint32_t k = grid_.first[static_cast<std::size_t>(c)];
                 k < grid_.first[static_cast<std::size_t>(c) + 1]; ++k) {
                const std::uint32_t b = grid_.items[k];
                if (stamp_[b] == ray_) continue;
                stamp_[b] = ray_;
                if (Test(r, b, tMin, seek, hit)) {
                    found = true;
                    if (seek == Seek::Shadow) return true;
                }
            }
            if (found && hit.t <= cellEnd) return true;
            if (cellEnd > t1) return found;
            const int a = next[0] <= next[1] ? (next[0] <= next[2] ? 0 : 2) : (next[1] <= next[2] ? 1 : 2);
            cell[a] += step[a];
            if (cell[a] < 0 || cell[a] >= grid_.n[a]) return found;
            next[a] += delta[a];
        }
    }

    // Whether the ray crosses one body, for shadows the caller's last blocker first.
    bool Blocks(const Ray& r, std::uint32_t body, double tMin, double tMax) {
        Hit h;
        h.t = tMax;
        return Test(r, body, tMin, Seek::Shadow, h);
    }

private:
    // The ray enters a convex body through the face of the last plane it crosses inward, if it
    // crosses that one before any plane outward. Only that face is seen from the ray's side:
    // from inside a body, or behind it, nothing of it shows.
    bool Test(const Ray& r, std::uint32_t b, double tMin, Seek seek, Hit& hit) const {
        const ViewScene::Body& body = bodies_[b];
        if (seek != Seek::Sight && !body.blocksLight) return false;
        double tIn = -kInf, tOut = hit.t;
        std::uint32_t entry = 0;
        bool entered = false;
        const Plane* p = planes_.data() + body.firstPlane;
        for (std::uint32_t i = 0; i < body.planeCount; ++i) {
            const double denom = Dot(p[i].normal, r.dir);
            const double dist = Dot(p[i].normal, r.origin) - p[i].dist;
            if (denom == 0) {
                if (dist > 0) return false;
                continue;
            }
            const double t = -dist / denom;
            if (denom < 0) {
                if (t > tIn) tIn = t, entry = body.firstPlane + i, entered = true;
            } else if (t < tOut) {
                tOut = t;
            }
            if (tIn > tOut) return false;
        }
        if (!entered || tIn <= tMin) return false;
        if (seek == Seek::Sight && surfaces_[entry].look == FaceLook::Hidden) return false;
        hit.t = tIn;
        hit.plane = entry;
        hit.body = b;
        return true;
    }

    const std::vector<Plane>& planes_;
    const std::vector<FaceSurface>& surfaces_;
    const std::vector<ViewScene::Body>& bodies_;
    const ViewScene::Grid& grid_;
    std::vector<std::uint32_t> stamp_;  // the last ray that tested each body
    std::uint32_t ray_ = 0;
};

namespace {

std::uint8_t ToDisplay(double linear) {
    // A table of 4096 steps: finer than the display's 256 where the curve is steep.
    static const auto table = [] {
        std::vector<std::uint8_t> t(4097);
        for (std::size_t i = 0; i < t.size(); ++i)
            t[i] = static_cast<std::uint8_t>(std::lround(std::pow(static_cast<double>(i) / 4096, 1 / 2.2) * 255));
        return t;
    }();
    return table[linear > 0 ? static_cast<std::size_t>(std::min(linear, 1.0) * 4096) : 0];
}

// Lit faces: light that piles up near a lamp rolls off towards white instead of clipping, and
// dim rooms come out a little brighter, as the eye gets used to them.
constexpr double kExposure = 1.8;
std::uint8_t Exposed(double linear) {
    static const auto table = [] {
        std::vector<std::uint8_t> t(4097);
        for (std::size_t i = 0; i < t.size(); ++i)
            t[i] = ToDisplay(1 - std::exp(-kExposure * static_cast<double>(i) / 1024));
        return t;
    }();
    return table[linear > 0 ? static_cast<std::size_t>(std::min(linear, 4.0) * 1024) : 0];
}

// Faces are told apart by their direction even where the light is flat: floors brightest,
// ceilings darkest, walls facing x and y a little apart.
double FaceShade(Vec3 n) { return 0.84 + 0.13 * n.z + 0.07 * std::fabs(n.y); }

// Light that reaches everything, so unlit corners still read.
constexpr double kAmbient = 0.04;
// How much darker an outline pixel is.
constexpr double kOutline = 0.6;

}  // namespace

RgbImage ViewScene::Render(const ViewPoint& view, int width, int height, int threads) const {
    RgbImage image(width, height, kViewVoid);
    if (width <= 0 || height <= 0) return image;
    const Grid& grid = Ready();

    const double yaw = view.yaw * kPi / 180, pitch = view.pitch * kPi / 180;
    const Vec3 forward{std::cos(pitch) * std::cos(yaw), std::cos(pitch) * std::sin(yaw), -std::sin(pitch)};
    const Vec3 right{std::sin(yaw), -std::cos(yaw), 0};
    const Vec3 up = Cross(right, forward);
    const double halfWidth = std::tan(std::clamp(view.fov, 1.0, 170.0) * kPi / 360);
    const double halfHeight = halfWidth * height / width;

    // What each pixel hit, for the outlines drawn afterwards: the plane, or one of these.
    constexpr std::uint32_t kNothing = 0xFFFFFFFF;
    std::vector<std::uint32_t> faceAt(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), kNothing);
    std::vector<double> depthAt(faceAt.size(), kInf);
    std::vector<Rgb> colorAt(faceAt.size(), kViewVoid);

    auto drawRows = [&](int firstRow, int stride) {
        ViewTracer tracer(*this, grid);
        std::vector<std::int64_t> lastBlocker(lights_.size(), -1);
        for (int y = firstRow; y < height; y += stride) {
            for (int x = 0; x < width; ++x) {
                const double u = (2 * (x + 0.5) / width - 1) * halfWidth;
                const double v = (1 - 2 * (y + 0.5) / height) * halfHeight;
                const Vec3 dir = Unit(forward + right * u + up * v);
                const std::size_t at =
                    static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
                Hit hit;
                if (!tracer.Trace(MakeRay(view.eye, dir), 0, kInf, Seek::Sight, hit)) continue;
                const FaceSurface& surface = surfaces_[hit.plane];
                faceAt[at] = hit.plane;
                depthAt[at] = hit.t;
                if (surface.look == FaceLook::Sky) {
                    colorAt[at] = kViewSky;
                    continue;
                }
                const Vec3 n = planes_[hit.plane].normal;
                const double shade = FaceShade(n);
                const Vec3 albedo = grid.albedo[hit.plane];
                if (surface.look == FaceLook::Glowing) {
                    colorAt[at] = {ToDisplay(albedo.x * shade), ToDisplay(albedo.y * shade),
                                   ToDisplay(albedo.z * shade)};
                    continue;
                }
                // Light leaves the face from just above it, so the face does not shade itself.
                const Vec3 p = view.eye + dir * hit.t + n * 0.25;
                Vec3 light{kAmbient, kAmbient, kAmbient};
                const int cx = CellIndex((p.x - grid.bounds.min.x) / grid.lightCell, grid.ln[0]);
                const int cy = CellIndex((p.y - grid.bounds.min.y) / grid.lightCell, grid.ln[1]);
                const std::size_t column = static_cast<std::size_t>(cy * grid.ln[0] + cx);
                for (std::uint32_t k = grid.lightFirst[column]; k < grid.lightFirst[column + 1]; ++k) {
                    const std::uint32_t li = grid.lightItems[k];
                    const ViewLight& l = lights_[li];
                    const ViewScene::Grid::LightTerms& terms = grid.lightTerms[li];
                    const Vec3 toLight = l.at - p;
                    const double dist2 = Dot(toLight, toLight);
                    if (dist2 > terms.reach2 || dist2 < 1e-12) continue;
                    const double facingScaled = Dot(n, toLight);
                    if (facingScaled <= 0) continue;
                    const double dist = std::sqrt(dist2);
                    const Vec3 L = toLight * (1 / dist);
                    const double facing = facingScaled / dist;
                    double cone = 1;
                    if (l.spot) {
                        const double along = -Dot(L, l.direction);
                        if (along <= l.outerCos) continue;
                        if (along < l.innerCos) cone = (along - l.outerCos) / (l.innerCos - l.outerCos);
                        if (l.exponent > 0) cone *= std::pow(along, l.exponent);
                    }
                    const double d = std::max(dist, 1.0);
                    const double falloff =
                        terms.scale / std::max(l.constant + l.linear * d + l.quadratic * d * d, 1e-9);
                    const double amount = facing * cone * falloff;
                    if (amount * terms.strongest < kFaintestLight / 2) continue;
                    // Shadows: the body that blocked this light at the last pixel most likely
                    // blocks it here too, so it is tried before the walk.
                    const Ray shadow = MakeRay(p, L);
                    const std::int64_t last = lastBlocker[li];
                    if (last >= 0 && tracer.Blocks(shadow, static_cast<std::uint32_t>(last), 0, dist)) continue;
                    Hit blocker;
                    if (tracer.Trace(shadow, 0, dist, Seek::Shadow, blocker)) {
                        lastBlocker[li] = blocker.body;
                        continue;
                    }
                    light = light + l.color * amount;
                }
                if (sun_) {
                    const double facing = Dot(n, sun_->towardSun);
                    Hit blocker;
                    if (facing > 0 && tracer.Trace(MakeRay(p, sun_->towardSun), 0, kInf, Seek::Sky, blocker) &&
                        surfaces_[blocker.plane].look == FaceLook::Sky)
                        light = light + sun_->color * facing;
                    // Sky light: from straight above, or for walls from the sky they face.
                    const Vec3 skyward = Unit(n * 0.5 + Vec3{0, 0, 1});
                    if (n.z > -0.5 && tracer.Trace(MakeRay(p, skyward), 0, kInf, Seek::Sky, blocker) &&
                        surfaces_[blocker.plane].look == FaceLook::Sky)
                        light = light + sun_->ambient * (0.75 + 0.25 * n.z);
                }
                colorAt[at] = {Exposed(albedo.x * light.x * shade), Exposed(albedo.y * light.y * shade),
                               Exposed(albedo.z * light.z * shade)};
            }
        }
    };
    int count = threads > 0 ? threads : static_cast<int>(std::thread::hardware_concurrency());
    count = std::clamp(count, 1, std::min(16, height));
    if (count == 1) {
        drawRows(0, 1);
    } else {
        std::vector<std::thread> workers;
        for (int t = 0; t < count; ++t) workers.emplace_back(drawRows, t, count);
        for (std::thread& w : workers) w.join();
    }

    // Outlines where one face meets another (two brushes' faces in one plane and of one look
    // count as one face): the farther side of the edge is darkened, so near things stand out.
    auto sameFace = [&](std::uint32_t a, std::uint32_t b) {
        if (a == b) return true;
        if (a == kNothing || b == kNothing) return false;
        const Plane& pa = planes_[a];
        const Plane& pb = planes_[b];
        return Dot(pa.normal, pb.normal) > 1 - 1e-6 && std::fabs(pa.dist - pb.dist) < 0.5 &&
               surfaces_[a].look == surfaces_[b].look && surfaces_[a].color == surfaces_[b].color;
    };
    std::vector<bool> dark(faceAt.size(), false);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::size_t at =
                static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
            const std::size_t neighbours[2] = {x + 1 < width ? at + 1 : at,
                                               y + 1 < height ? at + static_cast<std::size_t>(width) : at};
            for (std::size_t other : neighbours) {
                if (other == at || sameFace(faceAt[at], faceAt[other])) continue;
                dark[depthAt[at] >= depthAt[other] ? at : other] = true;
            }
        }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::size_t at =
                static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
            Rgb c = colorAt[at];
            if (dark[at] && faceAt[at] != kNothing && surfaces_[faceAt[at]].look != FaceLook::Sky) {
                c.red = static_cast<std::uint8_t>(c.red * kOutline);
                c.green = static_cast<std::uint8_t>(c.green * kOutline);
                c.blue = static_cast<std::uint8_t>(c.blue * kOutline);
            }
            image.Set(x, y, c);
        }
    return image;
}

// ---- Reading files

namespace {

// A brush's planes and faces; false when a side's plane cannot be read.
bool BrushPlanes(const VmfBlock& solid, std::vector<Plane>& planes, std::vector<FaceSurface>& surfaces,
                 bool& blocksLight) {
    planes.clear();
    surfaces.clear();
    blocksLight = false;
    for (const VmfBlock& side : solid.children) {
        if (!NamesEqual(side.name, "side")) continue;
        Vec3 pts[3];
        Plane plane;
        const std::string_view* text = side.Find("plane");
        if (!text || !ParsePlanePoints(*text, pts) || !PlaneFromPoints(pts[0], pts[1], pts[2], plane)) return false;
        const std::string_view* material = side.Find("material");
        const std::string_view name = material ? *material : std::string_view();
        planes.push_back(plane);
        surfaces.push_back(SurfaceOfMaterial(name));
        if (!PassesLight(name)) blocksLight = true;
    }
    return true;
}

struct SceneReader {
    ViewFile& file;
    std::vector<Plane> planes;
    std::vector<FaceSurface> surfaces;
    int unreadBrushes = 0;

    void Solid(const VmfBlock& solid) {
        bool blocksLight = false;
        if (!BrushPlanes(solid, planes, surfaces, blocksLight)) {
            ++unreadBrushes;
            return;
        }
        // A brush of hidden faces only shows nothing, but may still cast its shadow.
        const bool shows = std::any_of(surfaces.begin(), surfaces.end(),
                                       [](const FaceSurface& f) { return f.look != FaceLook::Hidden; });
        if (!shows && !blocksLight) return;
        if (file.scene.AddBody(planes, surfaces, blocksLight)) ++file.brushes;
        else ++unreadBrushes;
    }

    void Entity(const VmfBlock& e) {
        const std::string cls = e.Get("classname");
        if (!IsInvisibleVolume(cls))
            for (const VmfBlock& child : e.children)
                if (NamesEqual(child.name, "solid")) Solid(child);
        Vec3 origin;
        const std::string_view* o = e.Find("origin");
        if (!o || !ParseVector(*o, origin)) return;
        const double yaw = AnglesOf(e).y;
        if (HasPrefix(cls, "prop_")) {
            const std::string model = e.Get("model");
            const Shape& s = ShapeOf(model, std::begin(kPropShapes), std::end(kPropShapes), kOtherProp);
            // The map compiler lights with static props' shadows, not with moving ones'.
            Place(s, origin, yaw, cls == "prop_static" && !s.glows);
            ++file.props;
        } else if (IsCharacter(cls)) {
            Place(ShapeOf(cls, std::begin(kCharacterShapes), std::end(kCharacterShapes), kPerson), origin, yaw, false);
            ++file.marks;
        } else if (IsPickup(cls)) {
            Place(kPickup, origin, yaw, false);
            ++file.marks;
        } else if (cls == "light" || cls == "light_spot") {
            if (auto l = PointLight(e, origin, cls == "light_spot")) file.scene.AddLight(*l);
        } else if (cls == "light_environment" && !file.scene.HasSun()) {
            // The game takes the first light_environment only.
            ViewSun sun;
            sun.towardSun = Unit(LightDirection(e)) * -1;
            sun.color = LightColor(e, "_light").value_or(Vec3{});
            sun.ambient = LightColor(e, "_ambient").value_or(Vec3{});
            file.scene.SetSun(sun);
        } else if (cls == "info_player_start" && !file.start) {
            file.start = ViewPoint{origin + Vec3{0, 0, kPlayerEyeHeight}, yaw, 0};
        }
    }

    void Place(const Shape& s, Vec3 origin, double yaw, bool blocksLight) {
        const FaceSurface surface{s.glows ? FaceLook::Glowing : FaceLook::Lit, s.color};
        file.scene.AddBox(origin + Vec3{0, 0, s.bottom}, {s.length, s.width, s.height}, yaw, surface, blocksLight);
    }
};

void ReadBlocks(const std::pmr::vector<VmfBlock>& blocks, ViewFile& file) {
    SceneReader reader{file, {}, {}, 0};
    for (const VmfBlock& block : blocks) {
        if (NamesEqual(block.name, "solid")) {
            reader.Solid(block);
        } else if (NamesEqual(block.name, "world")) {
            for (const VmfBlock& child : block.children)
                if (NamesEqual(child.name, "solid")) reader.Solid(child);
        } else if (NamesEqual(block.name, "entity")) {
            reader.Entity(block);
        }
    }
    if (reader.unreadBrushes > 0 && file.problem.empty())
        file.problem = std::to_string(reader.unreadBrushes) +
                       (reader.unreadBrushes == 1 ? " brush is" : " brushes are") + " not a closed body and left out.";
}

// A room file has no sun of its own (the level gets one beside its start room), so a room open
// to the sky is shown under an afternoon sun from the south-west.
ViewSun RoomSun() {
    ViewSun sun;
    const double yaw = 225 * kPi / 180, pitch = 50 * kPi / 180;
    sun.towardSun = {std::cos(pitch) * std::cos(yaw), std::cos(pitch) * std::sin(yaw), std::sin(pitch)};
    sun.color = Vec3{1.0, 0.86, 0.7} * (250.0 / 255);
    sun.ambient = Vec3{0.35, 0.45, 0.62} * (60.0 / 255);
    return sun;
}

// Stepping in from a doorway this far puts the eye past the doorway's wall.
constexpr double kInsideDoorway = 32;

ViewPoint LookingIn(const RoomDoorway& door) {
    // The sides face north (+y), east (+x), south, west; looking in is the opposite way.
    struct Inward {
        double yaw;
        Vec3 step;
    };
    static constexpr Inward kInward[] = {
        {0, {0, 0, 0}}, {270, {0, -1, 0}}, {180, {-1, 0, 0}}, {90, {0, 1, 0}}, {0, {1, 0, 0}}};
    const Inward& in = kInward[std::clamp(door.side, 1, 4)];
    return ViewPoint{door.point + in.step * kInsideDoorway + Vec3{0, 0, kPlayerEyeHeight}, in.yaw, 0};
}

bool IsRoomFile(const std::filesystem::path& file) {
    const std::string ext = file.extension().string();
    return ext.size() == 4 && HasPrefix(ext, ".rgr");
}

}  // namespace

ViewFile ViewFileOfDocument(const VmfDocument& doc) {
    ViewFile file;
    file.readable = true;
    if (!doc.errors.empty())
        file.problem = "Line " + std::to_string(doc.errors[0].at.line) + ": " + doc.errors[0].message;
    ReadBlocks(doc.blocks, file);
    return file;
}

ViewFile ReadViewFile(const std::filesystem::path& path) {
    if (IsRoomFile(path)) {
        RoomDrawingFile room = ReadRoomForDrawing(path);
        ViewFile file;
        file.problem = room.problem;
        if (!room.readable) return file;
        file.readable = true;
        ReadBlocks(room.body.blocks, file);
        if (!file.scene.HasSun()) file.scene.SetSun(RoomSun());
        const std::vector<RoomDoorway> doors = RoomDoorways(room.header);
        if (!doors.empty()) file.doorway = LookingIn(doors.front());
        return file;
    }
    VmfDocument doc;
    std::string whyNot;
    if (!ReadVmfFile(path.string(), doc, whyNot)) {
        ViewFile file;
        file.problem = whyNot;
        return file;
    }
    return ViewFileOfDocument(doc);
}

}  // namespace tessellon
