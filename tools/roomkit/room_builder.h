#pragma once
#include <array>
#include <cmath>
#include <string>
#include <utility>
#include <deque>
#include <vector>

#include <optional>

#include "roomkit/brush.h"
#include "roomkit/model_list.h"
#include "roomkit/room_file.h"
#include "roomkit/room_space.h"
#include "roomkit/vmf.h"

namespace roomkit {

inline const std::string kNodraw = "TOOLS/TOOLSNODRAW";
inline const std::string kSkybox = "TOOLS/TOOLSSKYBOX";
inline const std::string kTrigger = "TOOLS/TOOLSTRIGGER";

struct Materials {
    std::string floor, wall, ceiling, trim;
};

// A water trench dug into the floor over x0..x1, y0..y1 (within the walls). The player wades
// in it: its bottom lies kTrenchDepth under the floor, the water's surface kTrenchFreeboard
// under the floor, and a ledge on its inner side is the step out.
struct Trench {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};
constexpr double kTrenchDepth = 32;
constexpr double kTrenchFreeboard = 8;
constexpr double kTrenchLedge = 24;  // width of the step out of the trench

// The box every room stands in: floor slab under z = 0, 16-unit walls inside the cell
// boundary with a doorway cut at each open side, and a ceiling (or sky) on top.
struct ShellPlan {
    double height = 256;  // inside height from z = 0 to the ceiling's underside
    bool sky = false;
    Materials mats;
    std::array<bool, 4> open{};     // north, east, south, west
    std::array<double, 4> doorZ{};  // floor height of each doorway
    std::array<int, 4> kind{};      // connection kind of each doorway (kWideGateKind: a wide gate)
    std::optional<Trench> trench;   // at most one water trench, so the room has one water height
    std::string water = "NATURE/WATER_CANALS_WATER2";
};

// A model to furnish with and the rough box it is taken to fill: the size is our estimate (no
// model file is read), large rather than small, and so is where its origin lies. Most physics
// models of the game have their origin at the middle of the body, fixtures at their foot.
struct PropModel {
    std::string path;
    double halfX = 16, halfY = 16, height = 32;  // around the origin, seen at yaw 0
    bool originAtCentre = false;
};

using KeyValues = std::vector<std::pair<std::string, std::string>>;

// Builds one room as a Hammer map: world brushes, entities, the info entity and the
// connection markers. Coordinates are the room's own (cell centred on the origin).
//
// Finish works out the rest from the room's geometry, so every room gets it: the AI node graph
// (ground nodes over every floor, one inside each doorway, cover hints, air nodes in tall rooms),
// cube maps, water_lod_control where there is water, and, where asked for, the characters of an
// encounter out of sight of the doorways with supplies beside them, and the autosave.
class RoomBuilder {
public:
    // `models` tells how each model may stand (hl2_models.txt); without it every model is unknown.
    RoomBuilder(std::string name, int type, std::string description, const ModelKinds* models = nullptr);

    void MakeShell(const ShellPlan& plan);

    // A brush from its faces (each a loop of at least three corners). Faces on the outside
    // of the cell get nodraw; everything else takes the material given. Brushes made outside
    // the shell and not put `into` an entity go to the room's func_detail, so only the shell
    // cuts the level's visibility.
    Node& Convex(const std::vector<std::vector<Vec3>>& faces, const std::string& material, Node* into = nullptr);
    Node& Box(Vec3 lo, Vec3 hi, const std::string& material, Node* into = nullptr);
    // The world block, for a brush that must stay structural (`into = &World()`).
    Node& World() { return world_; }
    // A ramp over the box lo..hi whose top rises from lo.z to hi.z towards the side named.
    Node& Ramp(Vec3 lo, Vec3 hi, int risesTowards, const std::string& material, Node* into = nullptr);
    // Steps of `rise` x `run` from z0 up to z1, climbing towards the side named, starting at
    // `start` (the coordinate along the climb where the first step begins), across a..b.
    void Stairs(double a, double b, double start, double z0, double z1, int climbsTowards, const std::string& material,
                double rise = 16, double run = 32);

    Node& Entity(const std::string& cls, const Vec3& origin, const KeyValues& keys = {});
    // A brush entity; add brushes to it with the `into` argument.
    Node& BrushEntity(const std::string& cls, const KeyValues& keys);

    // A water volume: the top face shows `material`, the others are nodraw. Water stays in
    // the world (the compiler makes water only from world brushes).
    Node& Water(Vec3 lo, Vec3 hi, const std::string& material);

    void Light(const Vec3& at, const std::string& color = "255 236 200 280");
    void Weapon(const Vec3& at, int spawnwhat, double yaw = 0);
    void Item(const Vec3& at, int spawnwhat, double yaw = 0);
    void Npc(const Vec3& at, double yaw = 0);
    void SpawnPoint(const Vec3& at, double yaw = 0);
    // A controller choosing among spawn groups (targetname, share) or, with `none`, nothing.
    void SpawnController(const Vec3& at, const std::vector<std::pair<std::string, int>>& groups, int none);
    Node& SpawnGroup(const std::string& targetname);
    // A prop standing on the floor at `floor` (its origin lifted by the model's assumed size
    // where it lies at the middle). Prop may be knocked about where the model has physics;
    // FixedProp stays put: prop_static for a static model, prop_physics with motion disabled
    // for a physics one, prop_dynamic_override for one not known.
    void Prop(const PropModel& model, const Vec3& floor, double yaw = 0);
    void FixedProp(const PropModel& model, const Vec3& floor, double yaw = 0);
    // A lamp model hanging from the ceiling at `at` with a spot light shining down under it.
    void HangingLamp(const Vec3& at, const PropModel& model, const std::string& color = "255 230 190 450");
    // A prop_physics or prop_static exactly as given, whatever its model.
    void Prop(const std::string& model, const Vec3& at, double yaw = 0);
    void PropStatic(const std::string& model, const Vec3& at, double yaw = 0);

    // Up to `wanted` characters where the room leaves them out of sight of its doorways, with
    // one supply pickup for every two of them.
    void Encounter(int wanted) { encounter_ = wanted; }
    // No character of the encounter stands in the box lo..hi.
    void KeepCharactersOut(const Vec3& lo, const Vec3& hi) { keepOut_.emplace_back(lo, hi); }
    // A trigger_autosave over lo..hi: the game saves as the player walks into it. No character
    // of the encounter stands in it or sees into it.
    void Autosave(const Vec3& lo, const Vec3& hi);

    // The room as its characters see it (every brush, prop and doorway so far).
    RoomSpace Space() const;

    Node Finish(const std::string& author) const;

private:
    std::string Id() { return std::to_string(nextId_++); }
    bool OnOutside(const std::vector<Vec3>& face, const Vec3& outward) const;
    void PlaceProp(const PropModel& model, const Vec3& floor, double yaw, bool fixed);
    std::vector<Node> Furnishings(int& id) const;

    std::string name_, description_;
    int type_;
    ShellPlan shell_;
    bool haveShell_ = false;
    bool inShell_ = false;
    Node* detail_ = nullptr;
    int nextId_ = 2;
    Node world_ = Node::Block("world");
    std::deque<Node> entities_;  // stable references for brush entities
    const ModelKinds* models_ = nullptr;
    double bottom_ = -kWallThickness;  // the underside of the floor
    std::vector<PropBox> props_;
    std::vector<Vec3> starts_, pickups_, characters_;
    int encounter_ = 0;
    std::vector<std::pair<Vec3, Vec3>> keepOut_;
    std::vector<std::pair<Vec3, Vec3>> saves_;
};

}  // namespace roomkit
