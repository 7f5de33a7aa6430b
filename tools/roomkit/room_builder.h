#pragma once
#include <array>
#include <cmath>
#include <string>
#include <utility>
#include <deque>
#include <vector>

#include "roomkit/brush.h"
#include "roomkit/room_file.h"
#include "roomkit/vmf.h"

namespace roomkit {

inline const std::string kNodraw = "TOOLS/TOOLSNODRAW";
inline const std::string kSkybox = "TOOLS/TOOLSSKYBOX";
inline const std::string kTrigger = "TOOLS/TOOLSTRIGGER";

struct Materials {
    std::string floor, wall, ceiling, trim;
};

// The box every room stands in: floor slab under z = 0, 16-unit walls inside the cell
// boundary with a doorway cut at each open side, and a ceiling (or sky) on top.
struct ShellPlan {
    double height = 256;  // inside height from z = 0 to the ceiling's underside
    bool sky = false;
    Materials mats;
    std::array<bool, 4> open{};      // north, east, south, west
    std::array<double, 4> doorZ{};   // floor height of each doorway
    std::array<int, 4> kind{};       // connection kind of each doorway (kWideGateKind: a wide gate)
};

using KeyValues = std::vector<std::pair<std::string, std::string>>;

// Builds one room as a Hammer map: world brushes, entities, the info entity and the
// connection markers. Coordinates are the room's own (cell centred on the origin).
class RoomBuilder {
public:
    RoomBuilder(std::string name, int type, std::string description);

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
    // A lamp model hanging from the ceiling at `at` with a spot light shining down under it.
    void HangingLamp(const Vec3& at, const std::string& model, const std::string& color = "255 230 190 450");
    void Weapon(const Vec3& at, int spawnwhat, double yaw = 0);
    void Item(const Vec3& at, int spawnwhat, double yaw = 0);
    void Npc(const Vec3& at, double yaw = 0);
    void SpawnPoint(const Vec3& at, double yaw = 0);
    // A controller choosing among spawn groups (targetname, share) or, with `none`, nothing.
    void SpawnController(const Vec3& at, const std::vector<std::pair<std::string, int>>& groups, int none);
    Node& SpawnGroup(const std::string& targetname);
    // Physics props (crates, barrels, boards) and static props (furniture, fixtures).
    void Prop(const std::string& model, const Vec3& at, double yaw = 0);
    void PropStatic(const std::string& model, const Vec3& at, double yaw = 0);

    Node Finish(const std::string& author) const;

private:
    std::string Id() { return std::to_string(nextId_++); }
    bool OnOutside(const std::vector<Vec3>& face, const Vec3& outward) const;

    std::string name_, description_;
    int type_;
    ShellPlan shell_;
    bool haveShell_ = false;
    bool inShell_ = false;
    Node* detail_ = nullptr;
    int nextId_ = 2;
    Node world_ = Node::Block("world");
    std::deque<Node> entities_;  // stable references for brush entities
};

}  // namespace roomkit
