#include "picture/rgb_image.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <string>

namespace tessellon {

RgbImage::RgbImage(int width, int height, Rgb fill)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), fill) {}

void RgbImage::Fill(Rgb color) { std::fill(pixels_.begin(), pixels_.end(), color); }

void RgbImage::Set(int x, int y, Rgb color) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)] = color;
}

Rgb RgbImage::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return {};
    return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)];
}

void RgbImage::FillRect(int x, int y, int w, int h, Rgb color) {
    const int x0 = std::max(x, 0), y0 = std::max(y, 0);
    const int x1 = std::min(x + w, width_), y1 = std::min(y + h, height_);
    for (int j = y0; j < y1; ++j)
        for (int i = x0; i < x1; ++i)
            pixels_[static_cast<std::size_t>(j) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(i)] =
                color;
}

void RgbImage::FrameRect(int x, int y, int w, int h, Rgb color) {
    if (w <= 0 || h <= 0) return;
    FillRect(x, y, w, 1, color);
    FillRect(x, y + h - 1, w, 1, color);
    FillRect(x, y, 1, h, color);
    FillRect(x + w - 1, y, 1, h, color);
}

void RgbImage::Line(PointF a, PointF b, Rgb color, int thickness) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const int steps = static_cast<int>(std::ceil(std::max(std::fabs(dx), std::fabs(dy)))) + 1;
    if (steps > 4 * (width_ + height_) + 8) return;  // far outside: nothing sensible to draw
    const int half = thickness / 2;
    for (int k = 0; k <= steps; ++k) {
        const double t = static_cast<double>(k) / steps;
        const int x = static_cast<int>(std::floor(a.x + dx * t));
        const int y = static_cast<int>(std::floor(a.y + dy * t));
        FillRect(x - half, y - half, thickness, thickness, color);
    }
}

void RgbImage::FillPolygon(const std::vector<PointF>& points, Rgb color) {
    if (points.size() < 3) return;
    double top = points[0].y, bottom = points[0].y;
    for (const PointF& p : points) top = std::min(top, p.y), bottom = std::max(bottom, p.y);
    const int y0 = std::max(0, static_cast<int>(std::floor(top))),
              y1 = std::min(height_ - 1, static_cast<int>(std::ceil(bottom)));
    std::vector<double> crossings;
    for (int y = y0; y <= y1; ++y) {
        const double cy = y + 0.5;
        crossings.clear();
        for (std::size_t i = 0; i < points.size(); ++i) {
            const PointF& p = points[i];
            const PointF& q = points[(i + 1) % points.size()];
            if ((p.y <= cy) != (q.y <= cy)) crossings.push_back(p.x + (cy - p.y) / (q.y - p.y) * (q.x - p.x));
        }
        std::sort(crossings.begin(), crossings.end());
        for (std::size_t i = 0; i + 1 < crossings.size(); i += 2) {
            const int x0 = std::max(0, static_cast<int>(std::ceil(crossings[i] - 0.5)));
            const int x1 = std::min(width_ - 1, static_cast<int>(std::floor(crossings[i + 1] - 0.5)));
            for (int x = x0; x <= x1; ++x) Set(x, y, color);
        }
    }
}

void RgbImage::FillCircle(PointF c, double r, Rgb color) {
    const int x0 = static_cast<int>(std::floor(c.x - r)), x1 = static_cast<int>(std::ceil(c.x + r));
    const int y0 = static_cast<int>(std::floor(c.y - r)), y1 = static_cast<int>(std::ceil(c.y + r));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const double dx = x + 0.5 - c.x, dy = y + 0.5 - c.y;
            if (dx * dx + dy * dy <= r * r) Set(x, y, color);
        }
}

namespace {

void PutLe(std::ofstream& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.put(static_cast<char>((v >> (8 * i)) & 0xFF));
}

}  // namespace

bool RgbImage::SaveBmp(const std::filesystem::path& file) const {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    const auto w = static_cast<std::uint32_t>(width_), h = static_cast<std::uint32_t>(height_);
    const std::uint32_t rowBytes = (w * 3 + 3) / 4 * 4;
    const std::uint32_t imageBytes = rowBytes * h;
    // File header, then a BITMAPINFOHEADER: 24 bits, no compression, 96 dpi.
    out.put('B');
    out.put('M');
    PutLe(out, 54 + imageBytes, 4);
    PutLe(out, 0, 4);
    PutLe(out, 54, 4);
    PutLe(out, 40, 4);
    PutLe(out, w, 4);
    PutLe(out, h, 4);
    PutLe(out, 1, 2);
    PutLe(out, 24, 2);
    PutLe(out, 0, 4);
    PutLe(out, imageBytes, 4);
    PutLe(out, 3780, 4);
    PutLe(out, 3780, 4);
    PutLe(out, 0, 4);
    PutLe(out, 0, 4);
    std::string row(rowBytes, '\0');
    // Rows are stored bottom up, each pixel as blue, green, red.
    for (int y = height_ - 1; y >= 0; --y) {
        for (int x = 0; x < width_; ++x) {
            const Rgb c = At(x, y);
            row[static_cast<std::size_t>(3 * x)] = static_cast<char>(c.blue);
            row[static_cast<std::size_t>(3 * x + 1)] = static_cast<char>(c.green);
            row[static_cast<std::size_t>(3 * x + 2)] = static_cast<char>(c.red);
        }
        out.write(row.data(), static_cast<std::streamsize>(row.size()));
    }
    return static_cast<bool>(out);
}

namespace {

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void PutBe(std::string& out, std::uint32_t v) {
    for (int i = 3; i >= 0; --i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// A chunk: its length, type and data, and the CRC of type and data.
void PutChunk(std::string& out, const char* type, const std::string& data) {
    PutBe(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.append(type, 4);
    out += data;
    PutBe(out, Crc32(reinterpret_cast<const std::uint8_t*>(out.data() + start), out.size() - start));
}

}  // namespace

bool RgbImage::SavePng(const std::filesystem::path& file) const {
    // The rows, each after its filter byte (0, none).
    std::string raw;
    raw.reserve(static_cast<std::size_t>(height_) * (static_cast<std::size_t>(width_) * 3 + 1));
    for (int y = 0; y < height_; ++y) {
        raw.push_back('\0');
        raw.append(reinterpret_cast<const char*>(pixels_.data()) +
                       static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) * 3,
                   static_cast<std::size_t>(width_) * 3);
    }
    // A zlib stream of stored deflate blocks (at most 65535 bytes each), then the Adler-32 of
    // the raw bytes.
    std::string z = {'\x78', '\x01'};
    std::size_t at = 0;
    do {
        const std::size_t n = std::min<std::size_t>(raw.size() - at, 65535);
        z.push_back(at + n == raw.size() ? '\x01' : '\x00');
        const auto len = static_cast<std::uint16_t>(n), nlen = static_cast<std::uint16_t>(~len);
        for (std::uint16_t v : {len, nlen}) {
            z.push_back(static_cast<char>(v & 0xFF));
            z.push_back(static_cast<char>(v >> 8));
        }
        z.append(raw, at, n);
        at += n;
    } while (at < raw.size());
    std::uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    PutBe(z, (b << 16) | a);

    std::string header;
    PutBe(header, static_cast<std::uint32_t>(width_));
    PutBe(header, static_cast<std::uint32_t>(height_));
    header += std::string{'\x08', '\x02', '\x00', '\x00', '\x00'};  // 8 bits, RGB, deflate, no filter set, no interlace
    std::string png = "\x89PNG\r\n\x1a\n";
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", z);
    PutChunk(png, "IEND", "");

    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(png.data(), static_cast<std::streamsize>(png.size()));
    return static_cast<bool>(out);
}

}  // namespace tessellon
