#include "roomkit/walkway.h"

#include <cmath>
#include <deque>
#include <limits>

#include "roomkit/room_file.h"

namespace roomkit {

double Walkways::Centre(int i) { return -kHalfCell + 8 + 16.0 * i; }

Walkways::Walkways(const std::vector<const Brush*>& solids)
    : spans_(kColumns * kColumns), byColumn_(kColumns * kColumns) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    for (int ix = 0; ix < kColumns; ++ix)
        for (int iy = 0; iy < kColumns; ++iy) {
            const double x = Centre(ix), y = Centre(iy);
            auto& spans = spans_[static_cast<size_t>(ix * kColumns + iy)];
            for (const Brush* b : solids) {
                double lo = -inf, hi = inf;
                bool crosses = true;
                for (const auto& pl : b->planes) {
                    const double rest = pl.dist - pl.normal.x * x - pl.normal.y * y;
                    if (std::fabs(pl.normal.z) < 1e-9) {
                        if (rest < -0.01) crosses = false;  // a column along a face counts as inside
                    } else if (pl.normal.z > 0) {
                        hi = std::min(hi, rest / pl.normal.z);
                    } else {
                        lo = std::max(lo, rest / pl.normal.z);
                    }
                }
                if (crosses && hi - lo > 0.01) spans.emplace_back(lo, hi);
            }
        }
    for (int c = 0; c < kColumns * kColumns; ++c)
        for (const auto& [lo, top] : spans_[static_cast<size_t>(c)]) {
            (void)lo;
            if (Blocked(c, top + 0.5, top + kHeadRoom)) continue;
            byColumn_[static_cast<size_t>(c)].push_back(static_cast<int>(places_.size()));
            places_.push_back({c, top, true});
        }
    // A player is 32 units wide: a place is roomy only when the columns around it leave the
    // body room, ignoring what lies lower than a step (stairs beside stairs).
    for (auto& p : places_) {
        const int ix = p.column / kColumns, iy = p.column % kColumns;
        for (int dx = -1; dx <= 1 && p.roomy; ++dx)
            for (int dy = -1; dy <= 1 && p.roomy; ++dy) {
                const int jx = ix + dx, jy = iy + dy;
                if (jx < 0 || jy < 0 || jx >= kColumns || jy >= kColumns) continue;
                if (Blocked(jx * kColumns + jy, p.z + kStep + 0.5, p.z + kHeadRoom)) p.roomy = false;
            }
    }
}

bool Walkways::Blocked(int column, double from, double to) const {
    for (const auto& [lo, hi] : spans_[static_cast<size_t>(column)])
        if (lo < to && hi > from) return true;
    return false;
}

int Walkways::PlaceBelow(const Vec3& p, double maxDrop) const {
    const int ix = static_cast<int>(std::floor((p.x + kHalfCell) / 16));
    const int iy = static_cast<int>(std::floor((p.y + kHalfCell) / 16));
    if (ix < 0 || iy < 0 || ix >= kColumns || iy >= kColumns) return -1;
    int best = -1;
    for (int k : byColumn_[static_cast<size_t>(ix * kColumns + iy)]) {
        const double z = places_[static_cast<size_t>(k)].z;
        if (z <= p.z + kStep && z >= p.z - maxDrop && (best < 0 || z > places_[static_cast<size_t>(best)].z)) best = k;
    }
    return best;
}

std::vector<int> Walkways::Steps(int place) const {
    std::vector<int> out;
    const Place& p = places_[static_cast<size_t>(place)];
    const int ix = p.column / kColumns, iy = p.column % kColumns;
    const int steps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    for (const auto& d : steps) {
        const int jx = ix + d[0], jy = iy + d[1];
        if (jx < 0 || jy < 0 || jx >= kColumns || jy >= kColumns) continue;
        for (int k : byColumn_[static_cast<size_t>(jx * kColumns + jy)]) {
            const Place& q = places_[static_cast<size_t>(k)];
            // Both ways are limited to a step, so that every way found can be walked back too.
            if (q.roomy && q.z - p.z <= kStep && p.z - q.z <= kStep) out.push_back(k);
        }
    }
    return out;
}

std::vector<bool> Walkways::Reach(int from) const {
    std::vector<bool> seen(places_.size(), false);
    if (from < 0) return seen;
    std::deque<int> todo{from};
    seen[static_cast<size_t>(from)] = true;
    while (!todo.empty()) {
        const int p = todo.front();
        todo.pop_front();
        for (int k : Steps(p)) {
            if (seen[static_cast<size_t>(k)]) continue;
            seen[static_cast<size_t>(k)] = true;
            todo.push_back(k);
        }
    }
    return seen;
}

bool Walkways::BlockedAt(double x, double y, double from, double to) const {
    const int ix = static_cast<int>(std::floor((x + kHalfCell) / 16));
    const int iy = static_cast<int>(std::floor((y + kHalfCell) / 16));
    if (ix < 0 || iy < 0 || ix >= kColumns || iy >= kColumns) return true;
    return Blocked(ix * kColumns + iy, from, to);
}

std::vector<int> Walkways::PlacesAt(double x, double y) const {
    const int ix = static_cast<int>(std::floor((x + kHalfCell) / 16));
    const int iy = static_cast<int>(std::floor((y + kHalfCell) / 16));
    if (ix < 0 || iy < 0 || ix >= kColumns || iy >= kColumns) return {};
    return byColumn_[static_cast<size_t>(ix * kColumns + iy)];
}

Vec3 Walkways::PlacePoint(int place) const {
    const Place& p = places_[static_cast<size_t>(place)];
    return {Centre(p.column / kColumns), Centre(p.column % kColumns), p.z};
}

}  // namespace roomkit
