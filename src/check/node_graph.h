#pragma once
// The node graph of a level as the game builds it when the map first loads, so a level can be
// judged before the game ever runs it. The engine's rules are in Valve's Source SDK 2013:
// game/server/ai_networkmanager.cpp (CAI_NetworkBuilder: InitGroundNodePosition drops each ground
// node to the floor within 384 units, InitVisibility and ComputeConnection link two nodes at
// most MAX_NODE_LINK_DIST = 720 units apart (ai_node.h) when lines between them are clear and a
// character can walk from one to the other) and game/server/ai_network.cpp (NearestNodeToPoint:
// a character starts from the nearest node within 720 units that a line from it reaches).
//
// The walk is not simulated: a link needs one clear line a step above both floors, which a
// character's body needs as well. So stairs and ramps link through nodes on or beside them (a
// line from far below to far above cuts the steps), and the engine's pruning of long links that
// run beside shorter ones is left out (it rarely cuts a graph).
#include <cstdint>
#include <string_view>
#include <vector>

#include "check/brush_geometry.h"
#include "check/leak_check.h"

namespace tessellon {

constexpr double kMaxNodeLinkDistance = 720;  // MAX_NODE_LINK_DIST, ai_node.h
constexpr double kNodeDropDistance = 384;     // how far InitGroundNodePosition looks for a floor
constexpr double kNodeLineLift = 18;          // a character's step: the line runs this far above the floor
constexpr double kNodeEyeHeight = 64;         // where NearestNodeToPoint aims at a node

// The classes of ground nodes, as CNodeEnt makes them (game/server/ai_initutils.cpp): info_node
// and info_node_hint; the air and climb nodes join graphs of their own. `lowerClass` in lower case.
bool IsGroundNode(std::string_view lowerClass);
// Characters that walk the ground graph: every npc_ class but those that fly, swim or never leave
// their place, and the makers, grenades and helpers that merely carry the prefix.
bool IsGroundCharacter(std::string_view lowerClass);

// Brushes characters cannot pass, filed on a grid over x and y so a line or a column only meets
// the few near it. A query is not safe to run from two threads at once.
class BrushGrid {
public:
    explicit BrushGrid(std::vector<const SealingBody*> bodies);

    // True when the segment from a to b runs through the inside of a brush (touching a face,
    // or running along one, is not blocked).
    bool Blocked(Vec3 a, Vec3 b) const;
    // Where a node at p stands: the highest brush top below p within kNodeDropDistance (p.z
    // itself when p lies inside a brush or has no floor that near, as the engine keeps it).
    double FloorUnder(Vec3 p) const;
    // True when p lies inside a brush.
    bool Inside(Vec3 p) const;

private:
    struct Cell {
        int x, y;
    };
    Cell CellOf(double x, double y) const;
    // Starts a query: every body is tested at most once in it, however many cells it spans.
    void NextQuery() const;
    template <class Visit>
    bool ForEachInCell(int cx, int cy, Visit&& visit) const;
    bool Column(const SealingBody& b, double x, double y, double& bottom, double& top) const;

    std::vector<const SealingBody*> bodies_;
    double originX_ = 0, originY_ = 0, cell_ = 1;
    int width_ = 0, height_ = 0;
    std::vector<std::uint32_t> cellStart_;  // width_ * height_ + 1 offsets into cellBodies_
    std::vector<std::uint32_t> cellBodies_;
    mutable std::vector<std::uint32_t> seenAt_;  // per body: the query that last tested it
    mutable std::uint32_t query_ = 0;
};

// Ground nodes and their links. Only which nodes reach each other is kept: a pair already
// joined through other nodes is never traced, so a well-linked level costs few lines.
class NodeGraph {
public:
    NodeGraph(const BrushGrid& brushes, const std::vector<Vec3>& origins);

    int Size() const { return static_cast<int>(origins_.size()); }
    Vec3 Origin(int node) const { return origins_[static_cast<std::size_t>(node)]; }
    Vec3 Standing(int node) const { return standing_[static_cast<std::size_t>(node)]; }
    // The same number for nodes that reach each other through links.
    int Part(int node) const;
    // The node a character standing at p starts from, or -1: the nearest node within
    // kMaxNodeLinkDistance on every axis that a line from just above p to the node's eye
    // height reaches.
    int NearestTo(Vec3 p) const;
    // The same for a volume such as a trigger: nearest to the box (0 inside it), seen from the
    // box's point nearest the node.
    int NearestTo(const Box& box) const;

private:
    int Find(int node) const;
    void Join(int a, int b);
    std::vector<int> Candidates(const Box& around) const;

    const BrushGrid& brushes_;
    std::vector<Vec3> origins_, standing_;
    mutable std::vector<int> parent_;
    // Nodes filed on a grid over x and y.
    double originX_ = 0, originY_ = 0, cell_ = 1;
    int width_ = 0, height_ = 0;
    std::vector<std::uint32_t> cellStart_, cellNodes_;
};

}  // namespace tessellon
