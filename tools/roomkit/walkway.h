#pragma once
#include <vector>

#include "roomkit/brush.h"

namespace roomkit {

// Where a player can stand and walk inside one room cell: a 16-unit grid of columns, each
// with the heights of the brush tops that have head room above them. Places next to one
// another connect when the step between them is small enough to walk.
class Walkways {
public:
    static constexpr double kHeadRoom = 72;  // a standing player's height
    static constexpr double kStep = 18;      // the highest step a player walks up

    explicit Walkways(const std::vector<const Brush*>& solids);

    // The place a player at p would stand on: in p's column, the highest top at most
    // maxDrop below p (and not above it by more than a step). -1 when there is none.
    int PlaceBelow(const Vec3& p, double maxDrop) const;
    // Every place reachable on foot from `from` (a place index).
    std::vector<bool> Reach(int from) const;
    Vec3 PlacePoint(int place) const;
    int PlaceCount() const { return static_cast<int>(places_.size()); }
    bool Roomy(int place) const { return places_[static_cast<size_t>(place)].roomy; }
    // The places one step away from `place` that a player walks to (and back from).
    std::vector<int> Steps(int place) const;
    // Whether something solid stands between heights from and to in the column over (x, y);
    // true outside the cell.
    bool BlockedAt(double x, double y, double from, double to) const;
    // The places over the column holding (x, y).
    std::vector<int> PlacesAt(double x, double y) const;

private:
    struct Place {
        int column;
        double z;
        bool roomy;  // a player's body fits here, not only a point
    };
    static constexpr int kColumns = 48;
    static double Centre(int i);
    bool Blocked(int column, double from, double to) const;

    std::vector<std::vector<std::pair<double, double>>> spans_;  // per column: solid spans (bottom, top)
    std::vector<Place> places_;
    std::vector<std::vector<int>> byColumn_;
};

}  // namespace roomkit
