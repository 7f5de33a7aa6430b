#pragma once
#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

#include "picture/rgb_image.h"

namespace tessellon {

struct Session;

// The developer drawing of a maze line: 444 x 426 pixels, each room a 3 x 3 glyph. Pixels
// outside the picture are not drawn: far-wandering lines leave the window.
class MazePicture : public RgbImage {
public:
    static constexpr int kWidth = 444;
    static constexpr int kHeight = 426;
    static constexpr Rgb kBackground{255, 255, 255};

    MazePicture() : RgbImage(kWidth, kHeight, kBackground) {}
    void Clear() { Fill(kBackground); }
};

// The colour a code is drawn in: black for the path parts, red alleys, green game start,
// magenta game end, blue level end and yellow level start rooms.
Rgb CodeColor(std::string_view code);

// Draws a glyph ("1" marks a point) for maze cell (x, y).
void DrawGlyph(MazePicture& picture, int x, int y, std::string_view glyph, Rgb color);

// The developer batch: 100 random lines, each saved as home/Maps/MapN.bmp and MapN.txt for
// N = 1..count (Maps is created when missing). Ends with the "Klar!" box.
void Make100Maps(Session& s, int count = 100);

}  // namespace tessellon
