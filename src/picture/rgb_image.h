#pragma once
// A plain picture in memory: the pictures the program draws (the maze preview, the room top
// views, the level layout) are drawn here, shown by the window and saved as bitmaps.
#include <cstdint>
#include <filesystem>
#include <vector>

namespace tessellon {

struct Rgb {
    std::uint8_t red = 0, green = 0, blue = 0;
    bool operator==(const Rgb&) const = default;
};
static_assert(sizeof(Rgb) == 3, "pixels are packed red, green, blue bytes");

struct PointF {
    double x = 0, y = 0;
};

class RgbImage {
public:
    RgbImage() = default;
    RgbImage(int width, int height, Rgb fill);

    int Width() const { return width_; }
    int Height() const { return height_; }
    // Rows from the top, each pixel red, green, blue: what fl_draw_image takes.
    const std::uint8_t* Data() const { return reinterpret_cast<const std::uint8_t*>(pixels_.data()); }

    void Fill(Rgb color);
    // Drawing outside the picture is clipped.
    void Set(int x, int y, Rgb color);
    Rgb At(int x, int y) const;
    void FillRect(int x, int y, int w, int h, Rgb color);
    void FrameRect(int x, int y, int w, int h, Rgb color);
    void Line(PointF a, PointF b, Rgb color, int thickness = 1);
    // Fills a simple polygon (pixel centres inside it, even-odd rule).
    void FillPolygon(const std::vector<PointF>& points, Rgb color);
    void FillCircle(PointF centre, double radius, Rgb color);

    // A 24-bit uncompressed Windows bitmap. False when the file cannot be written.
    bool SaveBmp(const std::filesystem::path& file) const;
    // A PNG of 8-bit red, green, blue pixels, its data in uncompressed deflate blocks, so no
    // compression library is needed. False when the file cannot be written.
    bool SavePng(const std::filesystem::path& file) const;

private:
    int width_ = 0, height_ = 0;
    std::vector<Rgb> pixels_;
};

}  // namespace tessellon
