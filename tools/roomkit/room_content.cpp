#include "roomkit/room_content.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>

#include "roomkit/room_file.h"

namespace roomkit {

namespace {

double Dist(const Vec3& a, const Vec3& b) {
    const Vec3 d = a - b;
    return std::sqrt(Dot(d, d));
}

double FlatDist(const Vec3& a, const Vec3& b) { return std::hypot(a.x - b.x, a.y - b.y); }

Vec3 Lift(Vec3 p, double up) { return {p.x, p.y, p.z + up}; }

// The segment a..b passes through the box lo..hi.
bool SegmentMeetsBox(const Vec3& a, const Vec3& b, const Vec3& lo, const Vec3& hi) {
    double t0 = 0, t1 = 1;
    const double from[3] = {a.x, a.y, a.z}, to[3] = {b.x, b.y, b.z};
    const double mins[3] = {lo.x, lo.y, lo.z}, maxs[3] = {hi.x, hi.y, hi.z};
    for (int k = 0; k < 3; ++k) {
        const double d = to[k] - from[k];
        if (std::fabs(d) < 1e-9) {
            if (from[k] <= mins[k] || from[k] >= maxs[k]) return false;
            continue;
        }
        double e0 = (mins[k] - from[k]) / d, e1 = (maxs[k] - from[k]) / d;
        if (e0 > e1) std::swap(e0, e1);
        t0 = std::max(t0, e0);
        t1 = std::min(t1, e1);
        if (t0 >= t1) return false;
    }
    return true;
}

// A place a ground node may stand on: reachable, dry floor with room around it.
bool GoodGround(const RoomSpace& s, int i, int clearance = 1) {
    const Vec3 at = Lift(s.Walk().PlacePoint(i), kNodeLift);
    return s.Walk().Roomy(i) && s.Reachable(i) && !s.Wet(i) && s.Clearance(i) >= clearance && !s.InSolid(at) &&
           !s.InProp(at, 12) && !s.InClosable(at, 24);
}

struct Planner {
    const RoomSpace& s;
    const Walkways& w;
    std::vector<AiNode> nodes;
    std::vector<int> nodePlace;  // place of each ground or hint node

    explicit Planner(const RoomSpace& space) : s(space), w(space.Walk()) {}

    // Over water a node stands on the surface (the engine drops it to the bottom), so no node
    // is inside the water brush.
    Vec3 NodeAt(int place) const {
        const Vec3 p = w.PlacePoint(place);
        return s.Wet(place) ? Vec3{p.x, p.y, s.WaterTop(place) + kNodeLift} : Lift(p, kNodeLift);
    }

    void AddGround(int place, AiNode::Type type = AiNode::Ground, int hint = 0, double yaw = 0) {
        nodes.push_back({type, NodeAt(place), hint, yaw});
        nodePlace.push_back(place);
    }

    bool HasNodeOn(int place) const { return std::find(nodePlace.begin(), nodePlace.end(), place) != nodePlace.end(); }

    void DoorNodes() {
        for (const auto& d : s.Doors()) {
            int best = -1;
            for (int relax = 1; relax >= 0 && best < 0; --relax)
                for (double depth : {kDoorNodeDepth, 32.0, 48.0, 24.0, 56.0})
                    for (double across : {0.0, 16.0, -16.0, 32.0, -32.0}) {
                        if (best >= 0) break;
                        const int p = w.PlaceBelow(d.Inside(depth, 1, across), Walkways::kStep + 1);
                        if (p >= 0 && GoodGround(s, p, relax) && Dist(NodeAt(p), d.point) <= 64) best = p;
                    }
            // A doorway without room for a node is the kit check's to name.
            if (best >= 0 && !HasNodeOn(best)) AddGround(best);
        }
    }

    // A hint behind every piece of low cover that stands on the floor: the spot beside it that
    // the cover hides from the most doorways.
    void CoverHints() {
        struct Piece {
            Vec3 lo, hi;
        };
        std::vector<Piece> pieces;
        for (const auto& b : s.Brushes()) {
            if (b.kind != SpaceBrush::Always) continue;
            const double reach = std::max({-b.lo.x, b.hi.x, -b.lo.y, b.hi.y});
            const double h = b.hi.z - b.lo.z, wide = std::max(b.hi.x - b.lo.x, b.hi.y - b.lo.y),
                         thin = std::min(b.hi.x - b.lo.x, b.hi.y - b.lo.y);
            if (reach >= kHalfCell - 1 || h < 32 || h > 80 || wide < 48 || thin < 8) continue;
            // A step of a stair is no cover: its top is walked on.
            const int top = w.PlaceBelow({(b.lo.x + b.hi.x) / 2, (b.lo.y + b.hi.y) / 2, b.hi.z + 1}, 2);
            if (top >= 0 && s.Reachable(top)) continue;
            pieces.push_back({b.lo, b.hi});
        }
        for (const auto& p : s.Props()) {
            const double h = p.hi.z - p.lo.z, wide = std::max(p.hi.x - p.lo.x, p.hi.y - p.lo.y);
            if (p.fixed && h >= 32 && h <= 80 && wide >= 48) pieces.push_back({p.lo, p.hi});
        }
        int hints = 0;
        for (const auto& piece : pieces) {
            if (hints >= 6) break;
            int best = -1, bestHidden = 0;
            double bestFar = 0;
            const Vec3 c{(piece.lo.x + piece.hi.x) / 2, (piece.lo.y + piece.hi.y) / 2, piece.lo.z};
            const double hx = (piece.hi.x - piece.lo.x) / 2 + 28, hy = (piece.hi.y - piece.lo.y) / 2 + 28;
            for (const auto& off :
                 {Vec3{hx, 0, 0}, Vec3{-hx, 0, 0}, Vec3{0, hy, 0}, Vec3{0, -hy, 0}, Vec3{hx, hy / 2, 0},
                  Vec3{-hx, hy / 2, 0}, Vec3{hx / 2, hy, 0}, Vec3{hx / 2, -hy, 0}, Vec3{-hx, -hy / 2, 0},
                  Vec3{-hx / 2, hy, 0}, Vec3{hx, -hy / 2, 0}, Vec3{-hx / 2, -hy, 0}}) {
                const int place = w.PlaceBelow({c.x + off.x, c.y + off.y, c.z + 1}, 4);
                if (place < 0 || !GoodGround(s, place) || HasNodeOn(place)) continue;
                const Vec3 head = Lift(w.PlacePoint(place), 30);
                int hidden = 0;
                double nearest = 1e9;
                for (const auto& d : s.Doors()) {
                    if (SegmentMeetsBox(d.Inside(0, 64), head, piece.lo, piece.hi)) ++hidden;
                    nearest = std::min(nearest, FlatDist(head, d.point));
                }
                if (hidden > bestHidden || (hidden == bestHidden && hidden > 0 && nearest > bestFar))
                    best = place, bestHidden = hidden, bestFar = nearest;
            }
            if (best < 0) continue;
            const Vec3 at = w.PlacePoint(best);
            const double yaw = std::atan2(c.y - at.y, c.x - at.x) * 180 / 3.14159265358979;
            AddGround(best, AiNode::Hint, piece.hi.z - piece.lo.z >= 48 ? kHintCoverMedium : kHintCoverLow,
                      std::round(yaw));
            ++hints;
        }
    }

    // Greedy cover of every place by nodes within kNodeReach: first from the floor players
    // reach; what that leaves (the tops of things) may be a little farther, or gets a node of
    // its own.
    void Cover() {
        const int n = w.PlaceCount();
        // Places over the room's ceiling are no part of it.
        auto inside = [&](int t) { return w.PlacePoint(t).z < s.Top() - 1; };
        std::vector<bool> covered(static_cast<size_t>(n), false);
        for (int t = 0; t < n; ++t) covered[static_cast<size_t>(t)] = !inside(t);
        auto markWithin = [&](double reach) {
            for (int t = 0; t < n; ++t)
                for (const auto& node : nodes)
                    if (!covered[static_cast<size_t>(t)] && node.type != AiNode::Air &&
                        Dist(w.PlacePoint(t), node.at) <= reach)
                        covered[static_cast<size_t>(t)] = true;
        };
        markWithin(kNodeReach);
        for (int phase = 0; phase < 2; ++phase) {
            // First the floor players reach, from nodes on it; then what is left, the tops of
            // things nobody walks to, which may lie a little farther from a node or get their own.
            std::vector<int> cand, targets;
            for (int i = 0; i < n; ++i) {
                if (covered[static_cast<size_t>(i)]) continue;
                if (phase == 1 || s.Reachable(i)) targets.push_back(i);
            }
            for (int i = 0; i < n; ++i) {
                // What dry floor leaves far (wide water, the tops of things) gets a node of its own.
                const bool ok = phase == 0
                                    ? GoodGround(s, i)
                                    : inside(i) && w.Roomy(i) && s.Clearance(i) >= 0 && !s.InProp(NodeAt(i), 12) &&
                                          !s.InSolid(NodeAt(i)) && !s.InClosable(NodeAt(i), 24);
                if (ok && !HasNodeOn(i)) cand.push_back(i);
            }
            std::vector<std::vector<int>> covers(cand.size());
            std::vector<std::vector<int>> coveredBy(static_cast<size_t>(n));
            for (size_t c = 0; c < cand.size(); ++c) {
                const Vec3 at = NodeAt(cand[c]);
                for (int t : targets) {
                    const Vec3 p = w.PlacePoint(t);
                    if (std::fabs(p.x - at.x) <= kNodeReach && std::fabs(p.y - at.y) <= kNodeReach &&
                        Dist(p, at) <= kNodeReach) {
                        covers[c].push_back(t);
                        coveredBy[static_cast<size_t>(t)].push_back(static_cast<int>(c));
                    }
                }
            }
            std::vector<int> gain(cand.size());
            for (size_t c = 0; c < cand.size(); ++c) gain[c] = static_cast<int>(covers[c].size());
            while (true) {
                int best = -1;
                for (size_t c = 0; c < cand.size(); ++c) {
                    if (gain[c] == 0) continue;
                    if (best < 0 || gain[c] > gain[static_cast<size_t>(best)] ||
                        (gain[c] == gain[static_cast<size_t>(best)] &&
                         s.Clearance(cand[c]) > s.Clearance(cand[static_cast<size_t>(best)])))
                        best = static_cast<int>(c);
                }
                if (best < 0) break;
                AddGround(cand[static_cast<size_t>(best)]);
                for (int t : covers[static_cast<size_t>(best)]) {
                    if (covered[static_cast<size_t>(t)]) continue;
                    covered[static_cast<size_t>(t)] = true;
                    for (int c : coveredBy[static_cast<size_t>(t)]) --gain[static_cast<size_t>(c)];
                }
            }
            if (phase == 0) markWithin(240);
        }
    }

    // Two nodes link as the engine links them: dropped onto their floors, a clear line a step
    // above both, at most 720 units long.
    bool Sees(const Vec3& a, const Vec3& b) const {
        return Dist(a, b) <= kNodeLinkDistance - 20 && s.Clear(s.LinkPoint(a), s.LinkPoint(b), true);
    }

    // Nodes along the way a player walks from place `from` to the first place from which
    // `done` holds, each in sight of the one before.
    void ChainTowards(int from, const std::function<bool(int)>& done) {
        const int n = w.PlaceCount();
        std::vector<int> parent(static_cast<size_t>(n), -2);
        std::deque<int> todo{from};
        parent[static_cast<size_t>(from)] = -1;
        int found = -1;
        while (!todo.empty() && found < 0) {
            const int p = todo.front();
            todo.pop_front();
            if (done(p)) {
                found = p;
                break;
            }
            for (int q : w.Steps(p))
                if (parent[static_cast<size_t>(q)] == -2 && !s.Wet(q)) {
                    parent[static_cast<size_t>(q)] = p;
                    todo.push_back(q);
                }
        }
        if (found < 0) return;
        std::vector<int> path;
        for (int p = found; p >= 0; p = parent[static_cast<size_t>(p)]) path.push_back(p);
        std::reverse(path.begin(), path.end());
        // A link node may stand right beside a prop, in a doorway or on a stair; never in a
        // brush, a prop's box or water.
        const auto fits = [&](int p) {
            const Vec3 at = NodeAt(p);
            return w.Roomy(p) && !s.Wet(p) && !s.InSolid(at) && !s.InProp(at, 0) && !s.InClosable(at, 8);
        };
        // From node to node along the way, each the farthest place in sight of the one before.
        size_t i = 0;
        while (!done(path[i])) {
            size_t next = i;
            for (size_t k = path.size(); k-- > i + 1;)
                if (fits(path[k]) && Sees(NodeAt(path[i]), NodeAt(path[k]))) {
                    next = k;
                    break;
                }
            if (next == i) return;
            if (!HasNodeOn(path[next])) AddGround(path[next]);
            i = next;
        }
    }

    std::vector<int> Components() const {
        const size_t m = nodes.size();
        std::vector<int> comp(m, -1);
        int count = 0;
        for (size_t a = 0; a < m; ++a) {
            if (comp[a] >= 0 || nodes[a].type == AiNode::Air) continue;
            comp[a] = count;
            std::deque<size_t> todo{a};
            while (!todo.empty()) {
                const size_t i = todo.front();
                todo.pop_front();
                for (size_t j = 0; j < m; ++j)
                    if (comp[j] < 0 && nodes[j].type != AiNode::Air && Sees(nodes[i].at, nodes[j].at)) {
                        comp[j] = count;
                        todo.push_back(j);
                    }
            }
            ++count;
        }
        return comp;
    }

    // Joins the ground nodes into one graph through chains along the floor.
    void Connect() {
        for (int round = 0; round < 16 && !nodePlace.empty(); ++round) {
            const auto comp = Components();
            const int count = comp.empty() ? 0 : *std::max_element(comp.begin(), comp.end()) + 1;
            if (count <= 1) return;
            // Join the first node's group to another, trying each in turn from either side.
            bool joined = false;
            for (int c = 1; c < count && !joined; ++c) {
                std::vector<Vec3> mine, theirs;
                int theirPlace = -1;
                for (size_t i = 0; i < nodes.size(); ++i) {
                    if (comp[i] == 0) mine.push_back(nodes[i].at);
                    if (comp[i] != c) continue;
                    theirs.push_back(nodes[i].at);
                    if (theirPlace < 0 && i < nodePlace.size()) theirPlace = nodePlace[i];
                }
                const auto seesAny = [&](const std::vector<Vec3>& group) {
                    return [&](int p) {
                        const Vec3 at = NodeAt(p);
                        return std::any_of(group.begin(), group.end(), [&](const Vec3& o) { return Sees(at, o); });
                    };
                };
                const size_t before = nodes.size();
                ChainTowards(nodePlace.front(), seesAny(theirs));
                if (nodes.size() == before && theirPlace >= 0) ChainTowards(theirPlace, seesAny(mine));
                joined = nodes.size() > before;
            }
            if (!joined) return;
        }
    }

    // A node in sight of every spot where something stands and acts.
    void SeeSpots(const std::vector<Vec3>& spots) {
        for (const auto& spot : spots) {
            const Vec3 eye = Lift(spot, 28);
            if (std::any_of(nodes.begin(), nodes.end(),
                            [&](const AiNode& nd) { return nd.type != AiNode::Air && Sees(nd.at, eye); }))
                continue;
            const int place = w.PlaceBelow(Lift(spot, 1), 24);
            if (place < 0) continue;
            ChainTowards(place, [&](int p) {
                const Vec3 at = NodeAt(p);
                return std::any_of(nodes.begin(), nodes.end(),
                                   [&](const AiNode& nd) { return nd.type != AiNode::Air && Sees(at, nd.at); });
            });
        }
    }

    bool AirPointFree(const Vec3& p) const {
        for (const auto& d : {Vec3{0, 0, 0}, Vec3{32, 0, 0}, Vec3{-32, 0, 0}, Vec3{0, 32, 0}, Vec3{0, -32, 0},
                              Vec3{0, 0, 32}, Vec3{0, 0, -32}})
            if (s.InSolid(p + d) || s.InProp(p + d, 16) || s.InClosable(p + d, 16)) return false;
        return true;
    }

    // Flying characters (manhacks, scanners) find their way over the floor and through the
    // doorways.
    void AirNodes() {
        double floor = 0;
        for (const auto& d : s.Doors()) floor = std::min(floor, d.point.z);
        const double height = s.Top() - floor;
        const double z = floor + std::clamp(height / 2, 96.0, 192.0);
        // One over the middle (or beside it, when something stands there) and one in each doorway.
        for (const auto& [x, y] : {std::pair{0.0, 0.0}, {-160.0, -160.0}, {160.0, 160.0}}) {
            const Vec3 p{x, y, z};
            if (!AirPointFree(p)) continue;
            nodes.push_back({AiNode::Air, p, 0, 0});
            break;
        }
        for (const auto& d : s.Doors()) {
            const Vec3 p = d.Inside(56, 112);
            if (AirPointFree(p)) nodes.push_back({AiNode::Air, p, 0, 0});
        }
    }
};

}  // namespace

std::vector<AiNode> PlanNodes(const RoomSpace& space, const std::vector<Vec3>& mustSee, bool air) {
    Planner plan(space);
    plan.CoverHints();
    plan.DoorNodes();
    plan.Cover();
    plan.Connect();
    plan.SeeSpots(mustSee);
    plan.Connect();
    if (air) plan.AirNodes();
    return plan.nodes;
}

std::vector<Vec3> PlanCubemaps(const RoomSpace& space) {
    const Walkways& w = space.Walk();
    const int n = w.PlaceCount();
    // Floors: reachable dry places joined to neighbours at the same height.
    std::vector<int> floorOf(static_cast<size_t>(n), -1);
    std::vector<std::vector<int>> floors;
    for (int i = 0; i < n; ++i) {
        if (floorOf[static_cast<size_t>(i)] >= 0 || !space.Reachable(i) || space.Wet(i) || !w.Roomy(i)) continue;
        const int f = static_cast<int>(floors.size());
        floors.emplace_back();
        std::deque<int> todo{i};
        floorOf[static_cast<size_t>(i)] = f;
        while (!todo.empty()) {
            const int p = todo.front();
            todo.pop_front();
            floors.back().push_back(p);
            for (int q : w.Steps(p))
                if (floorOf[static_cast<size_t>(q)] < 0 && !space.Wet(q) &&
                    std::fabs(w.PlacePoint(q).z - w.PlacePoint(p).z) < 0.5) {
                    floorOf[static_cast<size_t>(q)] = f;
                    todo.push_back(q);
                }
        }
    }
    std::sort(floors.begin(), floors.end(), [](const auto& a, const auto& b) { return a.size() > b.size(); });
    std::vector<Vec3> out;
    for (const auto& f : floors) {
        // A floor of less than 96 x 96 units is a step or a ledge, not a space of its own.
        if (f.size() < 36 || out.size() >= 4) break;
        Vec3 mid;
        for (int p : f) mid = mid + w.PlacePoint(p);
        mid = mid * (1.0 / static_cast<double>(f.size()));
        int best = -1;
        double bestScore = 0;
        for (int p : f) {
            const Vec3 eye = Lift(w.PlacePoint(p), 64);
            if (space.InProp(eye, 16) || space.InSolid(eye)) continue;
            const double score = space.Clearance(p) * 64.0 - FlatDist(w.PlacePoint(p), mid);
            if (best < 0 || score > bestScore) best = p, bestScore = score;
        }
        if (best >= 0) out.push_back(Lift(w.PlacePoint(best), 64));
    }
    return out;
}

std::vector<Vec3> StartViews(const RoomSpace& space) {
    std::vector<Vec3> out;
    for (const auto& d : space.Doors()) out.push_back(d.Inside(-624, 64));
    return out;
}

bool SeenFrom(const RoomSpace& space, const Vec3& origin, const std::vector<Vec3>& eyes) {
    for (const auto& eye : eyes)
        for (double body : {28.0, 56.0})
            if (space.Clear(eye, Lift(origin, body), false)) return true;
    return false;
}

std::vector<Vec3> PlanEncounter(const RoomSpace& space, int wanted, const std::vector<std::pair<Vec3, Vec3>>& keepOut,
                                const std::vector<Vec3>& eyes) {
    const Walkways& w = space.Walk();
    struct Spot {
        Vec3 at;
        double score;
    };
    std::vector<Spot> spots;
    for (int i = 0; i < w.PlaceCount(); ++i) {
        if (!w.Roomy(i) || !space.Reachable(i) || space.Wet(i) || space.Clearance(i) < 1) continue;
        const Vec3 at = Lift(w.PlacePoint(i), kStandLift);
        if (std::any_of(keepOut.begin(), keepOut.end(), [&](const auto& box) {
                return at.x > box.first.x && at.x < box.second.x && at.y > box.first.y && at.y < box.second.y &&
                       at.z > box.first.z && at.z < box.second.z;
            }))
            continue;
        double nearestDoor = 1e9;
        for (const auto& d : space.Doors()) nearestDoor = std::min(nearestDoor, FlatDist(at, d.point));
        if (nearestDoor < 128 || !space.BodyFits(at) || SeenFrom(space, at, eyes)) continue;
        // Cover close by (a block, pillar or fixed prop standing in the room, not its walls), room
        // to move and distance from the doorways.
        bool cover = false;
        for (const auto& b : space.Brushes()) {
            const double reach = std::max({-b.lo.x, b.hi.x, -b.lo.y, b.hi.y});
            if (b.kind != SpaceBrush::Always || reach >= kHalfCell - 1 || b.hi.z < at.z + 32 || b.lo.z > at.z + 8)
                continue;
            const double dx = std::max({b.lo.x - at.x, 0.0, at.x - b.hi.x}),
                         dy = std::max({b.lo.y - at.y, 0.0, at.y - b.hi.y});
            cover = cover || std::hypot(dx, dy) < 64;
        }
        for (const auto& p : space.Props()) {
            const double dx = std::max({p.lo.x - at.x, 0.0, at.x - p.hi.x}),
                         dy = std::max({p.lo.y - at.y, 0.0, at.y - p.hi.y});
            cover = cover || (p.fixed && p.hi.z >= at.z + 32 && std::hypot(dx, dy) < 64);
        }
        spots.push_back({at, (cover ? 60.0 : 0.0) + space.Clearance(i) * 8.0 + std::min(nearestDoor, 400.0) / 10.0});
    }
    std::stable_sort(spots.begin(), spots.end(), [](const Spot& a, const Spot& b) { return a.score > b.score; });
    std::vector<Vec3> out;
    for (const auto& s : spots) {
        if (static_cast<int>(out.size()) >= wanted) break;
        if (std::all_of(out.begin(), out.end(), [&](const Vec3& o) { return Dist(o, s.at) >= 128; }))
            out.push_back(s.at);
    }
    return out;
}

std::string SaveZoneFault(const RoomSpace& space, const Vec3& lo, const Vec3& hi) {
    const Walkways& w = space.Walk();
    auto inZone = [&](const Vec3& p) {
        return p.x > lo.x && p.x < hi.x && p.y > lo.y && p.y < hi.y && p.z >= lo.z - 1 && p.z < hi.z;
    };
    // Walk from the first doorway without setting foot in the zone.
    const auto& doors = space.Doors();
    if (doors.size() >= 2) {
        const int from = space.DoorPlace(doors.front());
        std::vector<bool> seen(static_cast<size_t>(w.PlaceCount()), false);
        std::deque<int> todo;
        if (from >= 0 && !inZone(w.PlacePoint(from))) todo.push_back(from), seen[static_cast<size_t>(from)] = true;
        while (!todo.empty()) {
            const int p = todo.front();
            todo.pop_front();
            for (int q : w.Steps(p))
                if (!seen[static_cast<size_t>(q)] && !inZone(w.PlacePoint(q))) {
                    seen[static_cast<size_t>(q)] = true;
                    todo.push_back(q);
                }
        }
        for (size_t k = 1; k < doors.size(); ++k) {
            const int to = space.DoorPlace(doors[k]);
            if (to >= 0 && seen[static_cast<size_t>(to)])
                return std::string("the ") + SideName(doors[k].side) + " doorway can be reached from the " +
                       SideName(doors.front().side) + " one around the save";
        }
    }
    for (const auto& d : doors)
        for (double across = -(d.halfWidth - 8); across <= d.halfWidth - 8 + 0.5; across += 24)
            for (double up : {8.0, 36.0, 64.0, 100.0, 150.0}) {
                const Vec3 eye = d.Inside(0, up, across);
                for (double x = lo.x + 4; x <= hi.x - 3.5; x += std::max(8.0, (hi.x - lo.x - 8) / 4))
                    for (double y = lo.y + 4; y <= hi.y - 3.5; y += std::max(8.0, (hi.y - lo.y - 8) / 6))
                        for (double z : {lo.z + 36, lo.z + 64})
                            if (space.Clear(eye, {x, y, z}, false))
                                return std::string("the ") + SideName(d.side) + " doorway sees into the save at (" +
                                       FormatCoord(x) + " " + FormatCoord(y) + " " + FormatCoord(z) + ")";
            }
    return "";
}

std::vector<Vec3> PlanSupplies(const RoomSpace& space, const std::vector<Vec3>& near, int count,
                               const std::vector<Vec3>& taken) {
    const Walkways& w = space.Walk();
    std::vector<Vec3> out, used = taken;
    for (int k = 0; k < count && !near.empty(); ++k) {
        const Vec3& centre = near[static_cast<size_t>(k) % near.size()];
        int best = -1;
        double bestOff = 0;
        for (int i = 0; i < w.PlaceCount(); ++i) {
            if (!w.Roomy(i) || !space.Reachable(i) || space.Wet(i) || space.Clearance(i) < 1) continue;
            const Vec3 at = Lift(w.PlacePoint(i), 16);
            const double d = Dist(at, centre);
            if (d < 48 || d > 160 || space.InProp(at, 12)) continue;
            if (std::any_of(used.begin(), used.end(), [&](const Vec3& u) { return Dist(u, at) < 48; })) continue;
            const double off = std::fabs(d - 96);
            if (best < 0 || off < bestOff) best = i, bestOff = off;
        }
        if (best < 0) continue;
        out.push_back(Lift(w.PlacePoint(best), 16));
        used.push_back(out.back());
    }
    return out;
}

}  // namespace roomkit
