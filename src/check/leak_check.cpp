#include "check/leak_check.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>

#include "platform/spare_buffer.h"

namespace tessellon {

namespace {

// Coordinates closer than this are one grid line; keeps float noise from making sliver cells.
constexpr double kMergeGap = 1e-3;
// Space left around everything so the void forms one connected shell.
constexpr double kFrame = 16;

double Axis(const Vec3& v, int a) { return a == 0 ? v.x : a == 1 ? v.y : v.z; }

struct AxisLines {
    std::vector<double> at;

    void Finish() {
        std::sort(at.begin(), at.end());
        std::vector<double> merged;
        for (double v : at)
            if (merged.empty() || v - merged.back() > kMergeGap) merged.push_back(v);
        at = std::move(merged);
    }
    std::size_t Cells() const { return at.size() - 1; }
    // Index of the grid line at v (v is one of the lines, give or take the merge gap).
    std::size_t Line(double v) const {
        return static_cast<std::size_t>(std::lower_bound(at.begin(), at.end(), v - kMergeGap) - at.begin());
    }
    // The cells whose closed extent holds v, first to last: one, or two when v lies on a line
    // between them.
    struct Span {
        std::size_t first, last;
    };
    Span CellsAt(double v) const {
        const std::size_t hi =
            static_cast<std::size_t>(std::upper_bound(at.begin(), at.end(), v + kMergeGap) - at.begin());
        const std::size_t lo =
            static_cast<std::size_t>(std::lower_bound(at.begin(), at.end(), v - kMergeGap) - at.begin());
        // Lines in [lo, hi) lie on v; the cells touching v run from lo-1 to hi-1.
        const std::size_t first = lo == hi ? lo - 1 : (lo == 0 ? 0 : lo - 1);
        return {first, std::min(hi - 1, Cells() - 1)};
    }
    double Centre(std::size_t c) const { return (at[c] + at[c + 1]) / 2; }
};

// A cell is open, filled, or reached by the flood: from the frame, or by step kCame + d.
enum : std::uint8_t { kOpen = 0, kFilled = 1, kFromFrame = 2, kCame = 3 };

// The grid carries one layer of filled cells around it, so the flood needs no bounds tests: cell
// (i, j, k) of an nx * ny * nz grid lives at padded index (i + 1) + (j + 1) * strideY +
// (k + 1) * strideZ, with strideY = nx + 2 and strideZ = strideY * (ny + 2).
struct CellIndex {
    std::size_t i, j, k;
    CellIndex(std::size_t c, std::size_t nx, std::size_t ny)
        : i(c % (nx + 2) - 1), j(c / (nx + 2) % (ny + 2) - 1), k(c / ((nx + 2) * (ny + 2)) - 1) {}
};

// One bit for each of the eight cells from `cells` on, set where the cell is open (kOpen is 0):
// eight cells at a time instead of a test and a branch for each.
std::uint8_t OpenBits(const std::uint8_t* cells) {
    std::uint64_t x;
    std::memcpy(&x, cells, sizeof x);
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
    // 0x80 in each byte that is zero, nothing elsewhere (no borrow crosses a byte).
    const std::uint64_t zero = ~(((x & kLow7) + kLow7) | x) & ~kLow7;
    // Byte k's flag, moved to bit 0 of its byte, lands on bit 56 + k of the product.
    return static_cast<std::uint8_t>(((zero >> 7) * 0x0102040810204080ull) >> 56);
}

// Fills each run of open cells (bits of `open`) that holds a reached one, both ways along the
// word: the shifts by 1, 2, 4, ... 32 carry the reach across a whole run in six steps.
std::uint64_t FillRuns(std::uint64_t reached, std::uint64_t open) {
    std::uint64_t up = reached, down = reached, pu = open, pd = open;
    for (int s = 1; s < 64; s *= 2) {
        up |= pu & (up << s);
        pu &= pu << s;
        down |= pd & (down >> s);
        pd &= pd >> s;
    }
    return up | down;
}

// The flood from the frame, 64 cells along x at a time: each row of the grid (one j, k) is a
// few words of bits, a row takes what its four neighbour rows reached and spreads it along its
// open runs. Sweeps go forward and back until nothing changes. Tells whether any of `cells`
// (padded grid indices) is reached; false only when sure, so a level that does not leak needs no
// cell-by-cell flood. Winding voids may need many sweeps: after kMaxSweeps it gives up (true)
// and the caller floods cell by cell, which also finds the trail.
bool FrameMayReach(const std::uint8_t* cell, std::size_t nx, std::size_t ny, std::size_t nz,
                   const std::vector<std::vector<std::size_t>>& cells) {
    constexpr int kMaxSweeps = 24;
    const std::size_t strideY = nx + 2, strideZ = strideY * (ny + 2);
    bool anyCell = false;
    for (const auto& group : cells) anyCell = anyCell || !group.empty();
    if (!anyCell) return false;
    const std::size_t words = (nx + 63) / 64, rows = ny * nz;
    std::vector<std::uint64_t> open(rows * words, 0), reached(rows * words, 0);
    for (std::size_t k = 0; k < nz; ++k)
        for (std::size_t j = 0; j < ny; ++j) {
            const std::uint8_t* row = cell + 1 + (j + 1) * strideY + (k + 1) * strideZ;
            std::uint64_t* bits = &open[(j + k * ny) * words];
            std::size_t i = 0;
            for (; i + 8 <= nx; i += 8) bits[i / 64] |= std::uint64_t(OpenBits(row + i)) << (i % 64);
            for (; i < nx; ++i)
                if (row[i] == kOpen) bits[i / 64] |= std::uint64_t(1) << (i % 64);
            // The frame: whole rows on the outside, the two end cells of the others.
            std::uint64_t* seed = &reached[(j + k * ny) * words];
            if (k == 0 || k + 1 == nz || j == 0 || j + 1 == ny) {
                for (std::size_t w = 0; w < words; ++w) seed[w] = bits[w];
            } else {
                seed[0] |= bits[0] & 1;
                seed[(nx - 1) / 64] |= bits[(nx - 1) / 64] & (std::uint64_t(1) << ((nx - 1) % 64));
            }
        }
    std::vector<std::uint64_t> next(words);
    bool settled = false;
    for (int sweep = 0; sweep < kMaxSweeps && !settled; ++sweep) {
        settled = true;
        const bool forward = sweep % 2 == 0;
        for (std::size_t n = 0; n < rows; ++n) {
            const std::size_t r = forward ? n : rows - 1 - n;
            const std::size_t j = r % ny, k = r / ny;
            const std::uint64_t* bits = &open[r * words];
            std::uint64_t* mine = &reached[r * words];
            bool grew = false;
            for (std::size_t w = 0; w < words; ++w) {
                std::uint64_t from = mine[w];
                if (j > 0) from |= reached[(r - 1) * words + w];
                if (j + 1 < ny) from |= reached[(r + 1) * words + w];
                if (k > 0) from |= reached[(r - ny) * words + w];
                if (k + 1 < nz) from |= reached[(r + ny) * words + w];
                next[w] = from & bits[w];
                grew = grew || next[w] != mine[w];
            }
            // A row's reach is always spread along its runs already, so no new cell, no work.
            if (!grew && sweep > 0) continue;
            // Spread along the row; a run crossing a word boundary carries into the next word.
            for (bool again = true; again;) {
                again = false;
                for (std::size_t w = 0; w < words; ++w) next[w] = FillRuns(next[w], bits[w]);
                for (std::size_t w = 0; w + 1 < words; ++w) {
                    if ((next[w] >> 63) && (bits[w + 1] & 1) && !(next[w + 1] & 1)) next[w + 1] |= 1, again = true;
                    if ((next[w + 1] & 1) && (bits[w] >> 63) && !(next[w] >> 63))
                        next[w] |= std::uint64_t(1) << 63, again = true;
                }
            }
            for (std::size_t w = 0; w < words; ++w) {
                if (next[w] != mine[w]) settled = false;
                mine[w] = next[w];
            }
        }
    }
    if (!settled) return true;
    for (const auto& group : cells)
        for (const std::size_t c : group) {
            const CellIndex at(c, nx, ny);
            if (reached[(at.j + at.k * ny) * words + at.i / 64] >> (at.i % 64) & 1) return true;
        }
    return false;
}

// The grid lines of the flood: every body's bounds on each axis, and a frame a little outside
// all bodies and starts, so the void around the level is one connected shell of cells.
// False (with the reason in result) when the grid would have more than maxCells cells.
bool CutSpace(const std::vector<SealingBody>& bodies, const std::vector<LeakStart>& starts, std::size_t maxCells,
              AxisLines (&lines)[3], LeakResult& result) {
    double lo[3], hi[3];
    for (int a = 0; a < 3; ++a) lo[a] = hi[a] = Axis(starts[0].point, a);
    for (const auto& s : starts)
        for (int a = 0; a < 3; ++a) {
            lo[a] = std::min(lo[a], Axis(s.point, a));
            hi[a] = std::max(hi[a], Axis(s.point, a));
        }
    for (const auto& b : bodies)
        for (int a = 0; a < 3; ++a) {
            const double mn = Axis(b.bounds.min, a), mx = Axis(b.bounds.max, a);
            lines[a].at.push_back(mn);
            lines[a].at.push_back(mx);
            lo[a] = std::min(lo[a], mn);
            hi[a] = std::max(hi[a], mx);
        }
    std::size_t total = 1;
    for (int a = 0; a < 3; ++a) {
        lines[a].at.push_back(lo[a] - kFrame);
        lines[a].at.push_back(hi[a] + kFrame);
        lines[a].Finish();
        total *= lines[a].Cells();
        if (total > maxCells) {
            result.skippedReason =
                "the level's brushes cut space into more than " + std::to_string(maxCells) + " cells";
            return false;
        }
    }
    result.cells = total;
    return true;
}

// The cells of the grid with a filled border one cell wide (see CellIndex).
struct PaddedGrid {
    std::size_t nx, ny, nz, strideY, strideZ, padded;
    explicit PaddedGrid(const AxisLines (&lines)[3])
        : nx(lines[0].Cells()),
          ny(lines[1].Cells()),
          nz(lines[2].Cells()),
          strideY(nx + 2),
          strideZ((nx + 2) * (ny + 2)),
          padded(strideZ * (nz + 2)) {}
    std::size_t At(std::size_t i, std::size_t j, std::size_t k) const {
        return (i + 1) + (j + 1) * strideY + (k + 1) * strideZ;
    }
};

// Marks every cell inside a body filled; the rest of the grid is open, the border filled.
void FillBodies(const std::vector<SealingBody>& bodies, const AxisLines (&lines)[3], const PaddedGrid& g,
                std::vector<std::uint8_t>& cell) {
    cell.assign(g.padded, kFilled);
    for (std::size_t k = 0; k < g.nz; ++k)
        for (std::size_t j = 0; j < g.ny; ++j) std::fill_n(&cell[g.At(0, j, k)], g.nx, kOpen);
    for (const auto& b : bodies) {
        std::size_t from[3], to[3];
        bool empty = false;
        for (int a = 0; a < 3; ++a) {
            from[a] = lines[a].Line(Axis(b.bounds.min, a));
            to[a] = lines[a].Line(Axis(b.bounds.max, a));
            if (to[a] <= from[a]) empty = true;  // flat: fills nothing
        }
        if (empty) continue;
        for (std::size_t k = from[2]; k < to[2]; ++k)
            for (std::size_t j = from[1]; j < to[1]; ++j) {
                std::uint8_t* row = &cell[g.At(0, j, k)];
                if (b.axisAligned) {
                    std::fill(row + from[0], row + to[0], kFilled);
                    continue;
                }
                for (std::size_t i = from[0]; i < to[0]; ++i) {
                    const Vec3 cmin{lines[0].at[i], lines[1].at[j], lines[2].at[k]};
                    const Vec3 cmax{lines[0].at[i + 1], lines[1].at[j + 1], lines[2].at[k + 1]};
                    bool outside = false;
                    for (const auto& p : b.planes) {
                        // The cell corner deepest behind the plane; if even it is in front, the
                        // whole cell is outside the body.
                        const Vec3 deepest{p.normal.x > 0 ? cmin.x : cmax.x, p.normal.y > 0 ? cmin.y : cmax.y,
                                           p.normal.z > 0 ? cmin.z : cmax.z};
                        if (Dot(p.normal, deepest) - p.dist >= -kMergeGap) {
                            outside = true;
                            break;
                        }
                    }
                    if (!outside) row[i] = kFilled;
                }
            }
    }
}

// The open cells each start stands in (none for a start buried in a brush).
std::vector<std::vector<std::size_t>> StartCells(const std::vector<LeakStart>& starts, const AxisLines (&lines)[3],
                                                 const PaddedGrid& g, const std::vector<std::uint8_t>& cell) {
    std::vector<std::vector<std::size_t>> startSpans(starts.size());
    for (std::size_t s = 0; s < starts.size(); ++s) {
        const Vec3 p = starts[s].point;
        const auto xs = lines[0].CellsAt(p.x), ys = lines[1].CellsAt(p.y), zs = lines[2].CellsAt(p.z);
        for (std::size_t k = zs.first; k <= zs.last; ++k)
            for (std::size_t j = ys.first; j <= ys.last; ++j)
                for (std::size_t i = xs.first; i <= xs.last; ++i) {
                    const std::size_t c = g.At(i, j, k);
                    if (cell[c] != kFilled) startSpans[s].push_back(c);
                }
    }
    return startSpans;
}

// Floods the void inward from the whole frame, so a trail ends where it leaves the level.
// A reached cell keeps the step that reached it (kCame + 0..5, kFromFrame for the frame) to
// walk a trail back out, so one byte per cell tells filled, open and reached apart.
void FloodFromFrame(const PaddedGrid& g, std::uint8_t* grid, std::uint32_t* queue) {
    std::size_t tail = 0;
    for (std::size_t k = 0; k < g.nz; ++k)
        for (std::size_t j = 0; j < g.ny; ++j) {
            const bool wholeRow = k == 0 || k + 1 == g.nz || j == 0 || j + 1 == g.ny;
            for (std::size_t i = 0; i < g.nx; i = (wholeRow || i + 1 == g.nx) ? i + 1 : g.nx - 1) {
                const std::size_t c = g.At(i, j, k);
                if (grid[c] != kOpen) continue;
                grid[c] = kFromFrame;
                queue[tail++] = static_cast<std::uint32_t>(c);
            }
        }
    const auto visit = [&](std::size_t n, int d) {
        if (grid[n] != kOpen) return;
        grid[n] = static_cast<std::uint8_t>(kCame + d);
        queue[tail++] = static_cast<std::uint32_t>(n);
    };
    for (std::size_t head = 0; head < tail; ++head) {
        const std::size_t c = queue[head];
        visit(c + 1, 0);
        visit(c - 1, 1);
        visit(c + g.strideY, 2);
        visit(c - g.strideY, 3);
        visit(c + g.strideZ, 4);
        visit(c - g.strideZ, 5);
    }
}

// Sorts the starts into buried, sealed and leaking ones after the flood, and walks the first
// leaking start's trail back out to the frame.
void TraceLeaks(const std::vector<LeakStart>& starts, const std::vector<std::vector<std::size_t>>& startSpans,
                const AxisLines (&lines)[3], const PaddedGrid& g, const std::vector<std::uint8_t>& cell,
                LeakResult& result) {
    const std::ptrdiff_t step[6] = {1,
                                    -1,
                                    static_cast<std::ptrdiff_t>(g.strideY),
                                    -static_cast<std::ptrdiff_t>(g.strideY),
                                    static_cast<std::ptrdiff_t>(g.strideZ),
                                    -static_cast<std::ptrdiff_t>(g.strideZ)};
    for (std::size_t s = 0; s < starts.size(); ++s) {
        if (startSpans[s].empty()) {
            result.startsInSolid.push_back(s);
            continue;
        }
        std::size_t reached = g.padded;
        for (const std::size_t c : startSpans[s])
            if (cell[c] != kOpen) {
                reached = c;
                break;
            }
        if (reached == g.padded) continue;
        result.leakingStarts.push_back(s);
        if (result.leaked) continue;
        result.leaked = true;
        result.trail.push_back(starts[s].point);
        for (std::size_t c = reached;;) {
            const CellIndex here(c, g.nx, g.ny);
            result.trail.push_back({lines[0].Centre(here.i), lines[1].Centre(here.j), lines[2].Centre(here.k)});
            if (cell[c] == kFromFrame) break;
            c = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(c) - step[cell[c] - kCame]);
        }
    }
}

// Drops the middle points of straight runs so the trail stays short.
void StraightenTrail(std::vector<Vec3>& trail) {
    if (trail.size() <= 2) return;
    std::vector<Vec3> kept{trail.front()};
    for (std::size_t t = 1; t + 1 < trail.size(); ++t) {
        const Vec3 a = kept.back() - trail[t], b = trail[t + 1] - trail[t];
        if (Length(Cross(a, b)) > 1e-6 * (Length(a) * Length(b) + 1)) kept.push_back(trail[t]);
    }
    kept.push_back(trail.back());
    trail = std::move(kept);
}

}  // namespace

SealingBody SealingBox(const Box& box) { return SealingBody{box, {}, true}; }

LeakResult FindLeak(const std::vector<SealingBody>& bodies, const std::vector<LeakStart>& starts,
                    std::size_t maxCells) {
    LeakResult result;
    if (starts.empty()) {
        result.skippedReason = "there is no point to flood from";
        return result;
    }
    AxisLines lines[3];
    if (!CutSpace(bodies, starts, maxCells, lines, result)) return result;
    result.checked = true;
    const PaddedGrid grid(lines);

    // The grid and the queue are kept for the next level (up to 8 MB each).
    static auto* const spareCells = new SpareBuffer<std::vector<std::uint8_t>>(std::size_t(8) << 20);
    static auto* const spareQueue = new SpareBuffer<std::vector<std::uint32_t>>(std::size_t(8) << 20);
    struct Kept {
        std::vector<std::uint8_t> cell = spareCells->Take();
        std::vector<std::uint32_t> queue = spareQueue->Take();
        ~Kept() {
            spareCells->Give(std::move(cell));
            spareQueue->Give(std::move(queue));
        }
    } kept;
    FillBodies(bodies, lines, grid, kept.cell);

    // When the quick flood reaches none of the starts' cells the level seals, and only the
    // starts buried in brushes are left to report.
    const auto startSpans = StartCells(starts, lines, grid, kept.cell);
    if (!FrameMayReach(kept.cell.data(), grid.nx, grid.ny, grid.nz, startSpans)) {
        for (std::size_t s = 0; s < starts.size(); ++s)
            if (startSpans[s].empty()) result.startsInSolid.push_back(s);
        return result;
    }
    // Every cell enters the queue at most once, so it needs no growing.
    if (kept.queue.size() < result.cells) kept.queue.resize(result.cells);
    FloodFromFrame(grid, kept.cell.data(), kept.queue.data());
    TraceLeaks(starts, startSpans, lines, grid, kept.cell, result);
    StraightenTrail(result.trail);
    return result;
}

}  // namespace tessellon

namespace tessellon {

SpaceRegions FindSpaceRegions(const std::vector<SealingBody>& bodies, const std::vector<Vec3>& points,
                              std::size_t maxCells) {
    SpaceRegions out;
    if (points.empty()) {
        out.checked = true;
        return out;
    }
    std::vector<LeakStart> starts;
    starts.reserve(points.size());
    for (const Vec3& p : points) starts.push_back({p, {}, {}});
    AxisLines lines[3];
    LeakResult sizes;
    if (!CutSpace(bodies, starts, maxCells, lines, sizes)) {
        out.skippedReason = sizes.skippedReason;
        return out;
    }
    out.checked = true;
    const PaddedGrid grid(lines);
    std::vector<std::uint8_t> cell;
    FillBodies(bodies, lines, grid, cell);
    const auto cellsOf = StartCells(starts, lines, grid, cell);
    // Each part is flooded once, from the first point found in it; a cell keeps its part's
    // number (0 for not reached yet). Parts are only started from points, so 16 bits number them.
    std::vector<std::uint16_t> part(grid.padded, 0);
    std::vector<std::uint32_t> queue;
    const std::size_t step[3] = {1, grid.strideY, grid.strideZ};
    std::uint16_t parts = 0;
    out.region.assign(points.size(), -1);
    for (std::size_t p = 0; p < points.size(); ++p) {
        if (cellsOf[p].empty()) continue;
        const std::size_t first = cellsOf[p].front();
        if (part[first] == 0) {
            if (parts == 0xFFFF) continue;
            part[first] = ++parts;
            queue.assign(1, static_cast<std::uint32_t>(first));
            for (std::size_t head = 0; head < queue.size(); ++head) {
                const std::size_t c = queue[head];
                for (int d = 0; d < 3; ++d)
                    for (const std::size_t n : {c + step[d], c - step[d]})
                        if (cell[n] != kFilled && part[n] == 0) {
                            part[n] = parts;
                            queue.push_back(static_cast<std::uint32_t>(n));
                        }
            }
        }
        out.region[p] = static_cast<int>(part[first]) - 1;
    }
    return out;
}

}  // namespace tessellon

namespace tessellon {

SpaceCut MeasureSpaceCut(const std::vector<SealingBody>& bodies, const Box& region, std::size_t maxCells) {
    SpaceCut out;
    const std::vector<LeakStart> starts{{region.min, {}, {}}, {region.max, {}, {}}};
    AxisLines lines[3];
    LeakResult sizes;
    if (!CutSpace(bodies, starts, maxCells, lines, sizes)) return out;
    out.checked = true;
    const PaddedGrid grid(lines);
    std::vector<std::uint8_t> cell;
    FillBodies(bodies, lines, grid, cell);
    auto inside = [&](std::size_t i, std::size_t j, std::size_t k) {
        const Vec3 c{lines[0].Centre(i), lines[1].Centre(j), lines[2].Centre(k)};
        return c.x > region.min.x && c.x < region.max.x && c.y > region.min.y && c.y < region.max.y &&
               c.z > region.min.z && c.z < region.max.z;
    };
    auto open = [&](std::size_t i, std::size_t j, std::size_t k) {
        return cell[grid.At(i, j, k)] != kFilled && inside(i, j, k);
    };
    for (std::size_t k = 0; k < grid.nz; ++k)
        for (std::size_t j = 0; j < grid.ny; ++j)
            for (std::size_t i = 0; i < grid.nx; ++i) {
                if (!open(i, j, k)) continue;
                ++out.open;
                out.faces += (i + 1 < grid.nx && open(i + 1, j, k)) + (j + 1 < grid.ny && open(i, j + 1, k)) +
                             (k + 1 < grid.nz && open(i, j, k + 1));
            }
    return out;
}

}  // namespace tessellon
