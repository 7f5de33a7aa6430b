#include "maze/maze_line.h"

#include <algorithm>

#include "session/errors.h"
#include "session/report.h"
#include "session/session.h"
#include "session/text_helpers.h"
#include "maze/directions.h"
#include "maze/random_source.h"

namespace tessellon {

namespace {

constexpr int kMaxAttempts = 5000;

struct TurnChoice {
    const char* code;
    int direction;
};
// By the direction of travel (1..4) and the draw t (1, 2): the corner and where it leads.
constexpr TurnChoice kTurns[5][3] = {
    {}, {{}, {"07", 2}, {"08", 4}}, {{}, {"09", 1}, {"08", 3}}, {{}, {"06", 2}, {"09", 4}}, {{}, {"06", 1}, {"07", 3}},
};

struct JunctionChoice {
    const char* code;
    int lower, higher;
};
// By the direction of travel and the draw o (1..3): the T-junction and its two branches.
constexpr JunctionChoice kThreeWays[5][4] = {
    {},
    {{}, {"03", 2, 4}, {"02", 1, 2}, {"04", 1, 4}},
    {{}, {"04", 1, 3}, {"03", 2, 3}, {"05", 1, 2}},
    {{}, {"05", 2, 4}, {"04", 3, 4}, {"02", 2, 3}},
    {{}, {"02", 1, 3}, {"03", 3, 4}, {"05", 1, 4}},
};

// The end room of family e entered while moving in d is open on the side it came from.
const char* EndCode(int e, int d) {
    static const char* const kEnds[3][5] = {
        {"", "13", "14", "11", "12"},
        {"", "21", "22", "19", "20"},
        {"", "25", "26", "23", "24"},
    };
    if (e < 0 || e > 2 || d < 1 || d > 4) return "";
    return kEnds[e][d];
}

int DrawWhole(Session& s, int n) { return static_cast<int>(static_cast<double>(s.random.Draw()) * n + 1); }

struct Slot {
    int length;
    int family;
};

}  // namespace

bool BadPos(double x, double y, double z) {
    auto bad = [](double v) { return v > kMapCoordinateLimit || v < -kMapCoordinateLimit; };
    return bad(x) || bad(y) || bad(z);
}

bool BadPos(Session& s, const std::string& x, const std::string& y, const std::string& z) {
    return BadPos(FileNumber(s, x), FileNumber(s, y), FileNumber(s, z));
}

void ResetSurf(Session& s) {
    MazeGrid& g = s.Surf;
    for (const std::size_t i : g.touched) g.cells[i] = 0;
    g.touched.clear();
    // The start cell is marked directly by callers, outside DrawPoint.
    g.cells[MazeGrid::Index(0, 0)] = 0;
    s.Surf.overlapCount = 0;
}

void DrawPoint(Session& s, int x, int y, std::string_view glyph, Rgb color) {
    MazeGrid& g = s.Surf;
    if (!MazeGrid::OnGrid(x, y)) {
        // Off the grid there is nothing to mark; the attempt simply fails.
        g.overlapCount = 99;
    } else {
        auto& cell = g.cells[MazeGrid::Index(x, y)];
        if (cell) {
            ++g.overlapCount;
        } else {
            cell = 1;
            g.touched.push_back(MazeGrid::Index(x, y));
        }
    }
    if (g.preview) DrawGlyph(g.picture, x, y, glyph, color);
}

std::string TestSurfDraw(Session& s, int gx, int gy, const std::string& text, int direction) {
    int x = gx, y = gy, d = direction;
    if (BadPos(x * 3000.0, y * 3000.0, 0)) {
        s.Surf.overlapCount = 99;
        return std::string();
    }
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::string code = text.substr(pos, 2);
        pos += 2;
        x += StepX(d);
        y += StepY(d);
        const ConnectionCode* c = FindCode(code);
        if (!c) continue;
        DrawPoint(s, x, y, c->glyph, CodeColor(code));
        if (IsEndCode(*c)) return text.substr(pos);
        if (IsJunction(*c)) {
            int branches = 0;
            const auto dirs = BranchDirections(*c, d, branches);
            if (branches == 0)
                throw BuildFailure("Internal error: the maze line enters the junction " + code +
                                   " through its closed side.");
            std::string rest = text.substr(pos);
            for (int b = 0; b < branches; ++b) rest = TestSurfDraw(s, x, y, rest, dirs[static_cast<std::size_t>(b)]);
            return rest;
        }
        d = DirectionAfter(*c, d);
    }
    return std::string();
}

std::string GetStartRoom(int startWith, int direction) {
    if (direction < 1 || direction > 4) return std::string();
    if (startWith == 0) return std::to_string(14 + direction);
    if (startWith == 1) return std::to_string(26 + direction);
    return std::string();
}

std::string CreateLine(Session& s, int length, int direction, int endWith) {
    if (direction < 1 || direction > 4)
        throw BuildFailure("A maze line must leave in a direction 1 to 4, not " + std::to_string(direction) + ".");
    std::string out;
    int d = direction;
    const int e = endWith;
    int i = 1;
    Randa(s);
    while (i <= length) {
        const int remaining = length - i;
        if (remaining == 0) {
            out += EndCode(e, d);
        } else {
            Randa(s);
            const int k = DrawWhole(s, 3);
            bool oneWay = false;
            if (k == 3) {
                Randa(s);
                const int t = DrawWhole(s, 2);
                if (d >= 1 && d <= 4) {
                    out += kTurns[d][t].code;
                    d = kTurns[d][t].direction;
                }
            } else {
                Randa(s);
                const int m = DrawWhole(s, 5);
                if (m == 4 && remaining >= 2) {
                    // T-junction: the line splits and this walk ends with it.
                    const double r = s.random.Draw();
                    int l1 = static_cast<int>(RoundHalfEven(r * 0.4 * remaining));
                    if (l1 == 0) l1 = 1;
                    Slot slot1{l1, 0}, slot2{remaining - l1, e};
                    i = length;
                    Randa(s);
                    const int o = DrawWhole(s, 3);
                    if (MightFlip(s, slot2.family, slot1.family)) Flip(slot1.length, slot2.length);
                    const JunctionChoice& j = kThreeWays[d][o];
                    out += j.code;
                    const std::string a = CreateLine(s, slot2.length, j.lower, slot2.family);
                    const std::string b = CreateLine(s, slot1.length, j.higher, slot1.family);
                    out += a;
                    out += b;
                } else if (m != 4) {
                    Randa(s);
                    const int c = DrawWhole(s, 8);
                    if (c == 8 && remaining >= 3) {
                        // Crossing: three branches, the main line's end travelling with slot 2.
                        out += "10";
                        Randa(s);
                        const double r = s.random.Draw();
                        int side = static_cast<int>(RoundHalfEven(r * 0.4 * remaining / 2));
                        if (side == 0) side = 1;
                        Slot slots[3] = {{side, 0}, {remaining - 2 * side, e}, {side, 0}};
                        if (MightFlip(s, slots[0].length, slots[1].length)) Flip(slots[0].family, slots[1].family);
                        if (MightFlip(s, slots[1].length, slots[2].length)) Flip(slots[1].family, slots[2].family);
                        if (MightFlip(s, slots[0].length, slots[2].length)) Flip(slots[0].family, slots[2].family);
                        i = length;
                        int dirs[3], n = 0;
                        for (int b = 1; b <= 4; ++b)
                            if (b != Opposite(d)) dirs[n++] = b;
                        const std::string a = CreateLine(s, slots[0].length, dirs[0], slots[0].family);
                        const std::string b = CreateLine(s, slots[2].length, dirs[1], slots[2].family);
                        const std::string cc = CreateLine(s, slots[1].length, dirs[2], slots[1].family);
                        out += a;
                        out += b;
                        out += cc;
                    } else {
                        oneWay = true;
                    }
                } else {
                    oneWay = true;
                }
            }
            if (oneWay) out += (d == 1 || d == 3) ? "00" : "01";
        }
        Randa(s);
        ++i;
    }
    return out;
}

std::string GetGoodLine(Session& s, int length, int startWith, int endWith, int direction) {
    Log(s,
        "Attempting to create line with " + std::to_string(length) +
            " rooms, starting in the direction: " + std::to_string(direction),
        true, true, false);
    std::string line;
    int counter = 0;
    for (;;) {
        ++counter;
        line = CreateLine(s, length, direction, endWith);
        Log(s, "Got Maze Line on attempt " + std::to_string(counter) + ". Maze line: " + line, true, true, false);
        ResetSurf(s);
        s.Surf.cells[MazeGrid::Index(0, 0)] = 1;
        TestSurfDraw(s, 0, 0, line, direction);
        if (s.Surf.overlapCount == 0) {
            Log(s, "Maze Line passed!", true, true, false);
            break;
        }
        if (counter >= kMaxAttempts)
            MapError(s, "Could not create maze. Aborted line creating attempt after 5000 times.", true,
                     "Where not able to successfully create line witch could be passed. (Rooms=" +
                         std::to_string(length) + ")");
    }
    Log(s, std::to_string(counter) + " attempts.", false, true, false);
    line = std::to_string(direction) + GetStartRoom(startWith, direction) + line;
    if (s.Surf.preview) {
        s.Surf.picture.Clear();
        TestSurfDraw(s, 0, 0, line.substr(1), direction);
        s.ui.ShowMazePreview(s.Surf.picture);
    }
    return line;
}

}  // namespace tessellon
