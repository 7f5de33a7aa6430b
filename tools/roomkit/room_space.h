#pragma once
#include <vector>

#include <string>

#include "roomkit/brush.h"
#include "roomkit/vmf.h"
#include "roomkit/walkway.h"

namespace roomkit {

// A brush of the room and what it is to someone walking and looking through the room.
struct SpaceBrush {
    enum Kind {
        Always,      // world and func_detail: always there, blocks walking and sight
        SpawnGroup,  // there in some levels only: blocks walking, never counted on to hide anything
        Water,       // wades through, sees through
        Passable,    // triggers
        Closable,    // a wall that starts switched off: nothing may stand where it closes
    };
    Brush brush;
    Kind kind = Always;
    Vec3 lo, hi;
};

// The rough box a prop's model takes up (from its assumed size).
struct PropBox {
    Vec3 lo, hi;
    bool fixed = true;  // stays where it stands (a movable prop may be knocked aside)
};

// An open side of the room.
struct DoorInfo {
    int side = 0;
    Vec3 point;  // the connection point
    double halfWidth = 96;
    Vec3 Inward() const;
    // The point `depth` units into the room from the connection point, `up` above its floor.
    Vec3 Inside(double depth, double up, double across = 0) const;
};

// The room as its characters and node graph see it: where one can walk (with every spawn
// group present), what stands in the way, what hides what.
class RoomSpace {
public:
    RoomSpace(std::vector<SpaceBrush> brushes, std::vector<PropBox> props, std::vector<DoorInfo> doors);

    const Walkways& Walk() const { return walk_; }
    const std::vector<DoorInfo>& Doors() const { return doors_; }
    const std::vector<SpaceBrush>& Brushes() const { return brushes_; }
    const std::vector<PropBox>& Props() const { return props_; }
    double Top() const { return top_; }

    // Places reachable on foot from the doorways.
    bool Reachable(int place) const { return reach_[static_cast<size_t>(place)]; }
    // Water stands over the place.
    bool Wet(int place) const { return wet_[static_cast<size_t>(place)]; }
    // The height of the water's surface over a wet place.
    double WaterTop(int place) const { return waterTop_[static_cast<size_t>(place)]; }
    // How many rings of 16-unit columns around the place leave a standing body room (0..3);
    // -1 when a prop or brush stands over the place itself.
    int Clearance(int place) const { return clearance_[static_cast<size_t>(place)]; }
    // The place in the doorway a player walks in on, or -1.
    int DoorPlace(const DoorInfo& door) const;

    // Strictly inside a brush that blocks walking (spawn groups count).
    bool InSolid(const Vec3& p) const;
    // Within `margin` of a wall that closes later.
    bool InClosable(const Vec3& p, double margin) const;
    // Within `margin` of a prop's rough box.
    bool InProp(const Vec3& p, double margin) const;
    // The box lo..hi meets a prop's rough box.
    bool PropMeets(const Vec3& lo, const Vec3& hi) const;
    // No brush crosses the segment: brushes that are always there, and spawn groups when `groups`.
    bool Clear(const Vec3& a, const Vec3& b, bool groups) const;
    // Where a line from a node at p runs when the engine links it: the node dropped onto the
    // floor under it (within 384 units), and a step (18) above that.
    Vec3 LinkPoint(const Vec3& p) const;
    // A standing body (32 x 32 x 72 over p) touches no brush nor prop.
    bool BodyFits(const Vec3& p) const;

private:
    std::vector<SpaceBrush> brushes_;
    std::vector<PropBox> props_;
    std::vector<DoorInfo> doors_;
    Walkways walk_;
    std::vector<bool> reach_, wet_;
    std::vector<double> waterTop_;
    std::vector<int> clearance_;
    double top_ = 0;
};

// The brushes among `brushes` that a player walks on and bumps into.
std::vector<const Brush*> WalkingBrushes(const std::vector<SpaceBrush>& brushes);

// Adds the brushes ("solid" blocks) directly in `owner`, the world or an entity of class
// `classname`, each with its kind.
void AddSpaceBrushes(const Node& owner, const std::string& classname, std::vector<SpaceBrush>& out);

// The room of a Hammer map as the kit writes it (world, entities, connection markers); props
// take no room, since their sizes are not in the map.
RoomSpace SpaceOfMap(const Node& map);

}  // namespace roomkit
