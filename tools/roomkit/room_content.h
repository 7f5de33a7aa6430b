#pragma once
// What a room needs for the game's characters and renderer, worked out from its own geometry:
// the AI node graph (ground nodes, cover hints, air nodes), cube maps, where characters wait
// and where the supplies after a fight lie.
#include <utility>
#include <vector>

#include "roomkit/room_space.h"

namespace roomkit {

struct AiNode {
    enum Type { Ground, Hint, Air } type = Ground;
    Vec3 at;           // the entity's origin
    int hintType = 0;  // for hints: 100 cover behind medium cover, 101 behind low cover
    double yaw = 0;    // for hints: facing the cover
};

// Hint types of the game: HINT_TACTICAL_COVER_MED and _LOW in Valve's ai_hint.h, "Crouch
// Cover Medium" and "Crouch Cover Low" among the "hinttype" choices of info_node_hint (VDC).
constexpr int kHintCoverMedium = 100;
constexpr int kHintCoverLow = 101;

// The game's node graph holds 1500 nodes (MAX_NODES, ai_network.h) and a level has up to 45
// rooms, so a room keeps to 32.
constexpr int kMaxRoomNodes = 32;
// Every walkable spot lies this close to a node.
constexpr double kNodeReach = 192;
// Nodes stand this far over their floor; the engine drops them onto it when it builds the graph.
constexpr double kNodeLift = 8;
// The engine links ground nodes up to this far apart with a clear line (MAX_NODE_LINK_DIST).
constexpr double kNodeLinkDistance = 720;
// A doorway's node stands this far into the room from the connection point.
constexpr double kDoorNodeDepth = 40;
// Characters' origins stand this far over their floor.
constexpr double kStandLift = 8;

// Ground nodes over every floor a player can reach (levels, stairs and ramps), one just inside
// each doorway, a cover hint behind each piece of low cover, and, with `air`, an air node over
// the floor and one in each doorway. Every spot of `mustSee` gets a node in sight of it, and the
// ground nodes of the room see each other along chains. A room should need no more than
// kMaxRoomNodes.
std::vector<AiNode> PlanNodes(const RoomSpace& space, const std::vector<Vec3>& mustSee, bool air);

// Eye height (64 over the floor) over the middle of every distinct floor of the room.
std::vector<Vec3> PlanCubemaps(const RoomSpace& space);

// The player's eye at the start of a level looking in through each doorway: the start stands
// 624 units behind its room's doorway (240 from the middle of its cell), and a start room may
// join any doorway.
std::vector<Vec3> StartViews(const RoomSpace& space);

// True when a point of the body standing at `origin` (chest or eye) can be seen from a point of
// `eyes`.
bool SeenFrom(const RoomSpace& space, const Vec3& origin, const std::vector<Vec3>& eyes);

// Up to `wanted` origins where characters wait: on floor a player reaches, out of sight of
// `eyes`, at least 128 units from every doorway, close to cover, apart from each other and
// outside the boxes of `keepOut`.
std::vector<Vec3> PlanEncounter(const RoomSpace& space, int wanted, const std::vector<std::pair<Vec3, Vec3>>& keepOut,
                                const std::vector<Vec3>& eyes);

// What keeps lo..hi from being a safe place to save the game, or empty: every way on foot
// between two doorways must pass through it, and no point of a doorway may see into it (so
// nothing beyond the room can).
std::string SaveZoneFault(const RoomSpace& space, const Vec3& lo, const Vec3& hi);

// `count` floor points near the spots of `near` (in turn) for pickups, clear of props and
// `taken`.
std::vector<Vec3> PlanSupplies(const RoomSpace& space, const std::vector<Vec3>& near, int count,
                               const std::vector<Vec3>& taken);

}  // namespace roomkit
