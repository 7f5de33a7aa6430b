#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "maze/maze_picture.h"
#include "session/map_limits.h"

namespace tessellon {

struct Session;

// Surf: which maze cells hold a room while a candidate line is tested. Maze coordinates run
// from -100 to 300 on both axes (x to the east, y to the south).
struct MazeGrid {
    static constexpr int kMin = -100;
    static constexpr int kMax = 300;
    static constexpr int kSide = kMax - kMin + 1;

    std::vector<unsigned char> cells = std::vector<unsigned char>(kSide * kSide, 0);
    // Rooms placed on taken cells; 99 once a branch starts outside the world or the walk
    // leaves the grid. A line passes only with 0.
    int overlapCount = 0;
    // Cells marked since the last reset, so a reset clears only those.
    std::vector<std::size_t> touched;
    // Set by the developer batch: every placed room is drawn on `picture` too.
    bool preview = false;
    MazePicture picture;

    static bool OnGrid(int x, int y) { return x >= kMin && x <= kMax && y >= kMin && y <= kMax; }
    bool Taken(int x, int y) const { return OnGrid(x, y) && cells[Index(x, y)] != 0; }
    static std::size_t Index(int x, int y) {
        return static_cast<std::size_t>(x - kMin) * kSide + static_cast<std::size_t>(y - kMin);
    }
};

// True when any value lies beyond +-kMapCoordinateLimit.
bool BadPos(double x, double y, double z);
// The same for coordinates in file form (period as decimal point).
bool BadPos(Session& s, const std::string& x, const std::string& y, const std::string& z);

void ResetSurf(Session& s);

// Places one room on Surf, counting a taken cell as an overlap; a cell off the grid fails
// the attempt. While the preview is on the glyph is drawn as well.
void DrawPoint(Session& s, int x, int y, std::string_view glyph, Rgb color);

// Walks `text` from cell (gx, gy) leaving in `direction`, placing every room on Surf, and
// returns the text after the sub-line it walked.
std::string TestSurfDraw(Session& s, int gx, int gy, const std::string& text, int direction);

// The start room's code: game start (startWith 0) or level start (1), open toward the line.
std::string GetStartRoom(int startWith, int direction);

// One candidate walk of exactly `length` codes, branches depth first.
std::string CreateLine(Session& s, int length, int direction, int endWith);

// A RoomLine of `length` rooms that overlaps nowhere: the direction digit, the start code and
// the line's codes. Ends the program after 5000 failed attempts.
std::string GetGoodLine(Session& s, int length, int startWith, int endWith, int direction);

}  // namespace tessellon
