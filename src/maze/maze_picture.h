#pragma once
#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

namespace tessellon {

struct Session;

struct Rgb {
    std::uint8_t red = 0, green = 0, blue = 0;
    bool operator==(const Rgb&) const = default;
};

// The developer drawing of a maze line: 444 x 426 pixels, each room a 3 x 3 glyph.
class MazePicture {
public:
    static constexpr int kWidth = 444;
    static constexpr int kHeight = 426;
    static constexpr Rgb kBackground{255, 255, 255};

    MazePicture() { Clear(); }
    void Clear();
    // Pixels outside the picture are not drawn: far-wandering lines leave the window.
    void Set(int x, int y, Rgb color);
    Rgb At(int x, int y) const;
    // A 24-bit uncompressed Windows bitmap. False when the file cannot be written.
    bool SaveBmp(const std::filesystem::path& file) const;

private:
    std::vector<Rgb> pixels_;
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
