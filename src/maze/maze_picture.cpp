#include "maze/maze_picture.h"

#include <fstream>

#include "driver/errors.h"
#include "driver/session.h"
#include "maze/maze_line.h"
#include "maze/random_source.h"

namespace tessellon {

void MazePicture::Clear() { pixels_.assign(static_cast<std::size_t>(kWidth) * kHeight, kBackground); }

void MazePicture::Set(int x, int y, Rgb color) {
    if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) return;
    pixels_[static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(x)] = color;
}

Rgb MazePicture::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) return kBackground;
    return pixels_[static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(x)];
}

namespace {

void PutLe(std::ofstream& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.put(static_cast<char>((v >> (8 * i)) & 0xFF));
}

}  // namespace

bool MazePicture::SaveBmp(const std::filesystem::path& file) const {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    const std::uint32_t rowBytes = (kWidth * 3 + 3) / 4 * 4;
    const std::uint32_t imageBytes = rowBytes * kHeight;
    // File header, then a BITMAPINFOHEADER: 24 bits, no compression, 96 dpi.
    out.put('B');
    out.put('M');
    PutLe(out, 54 + imageBytes, 4);
    PutLe(out, 0, 4);
    PutLe(out, 54, 4);
    PutLe(out, 40, 4);
    PutLe(out, kWidth, 4);
    PutLe(out, kHeight, 4);
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
    for (int y = kHeight - 1; y >= 0; --y) {
        for (int x = 0; x < kWidth; ++x) {
            const Rgb c = At(x, y);
            row[static_cast<std::size_t>(3 * x)] = static_cast<char>(c.blue);
            row[static_cast<std::size_t>(3 * x + 1)] = static_cast<char>(c.green);
            row[static_cast<std::size_t>(3 * x + 2)] = static_cast<char>(c.red);
        }
        out.write(row.data(), static_cast<std::streamsize>(row.size()));
    }
    return static_cast<bool>(out);
}

Rgb CodeColor(std::string_view code) {
    if (code.size() != 2) return {0, 0, 0};
    const int n = (code[0] - '0') * 10 + (code[1] - '0');
    if (n >= 11 && n <= 14) return {255, 0, 0};
    if (n >= 15 && n <= 18) return {0, 255, 0};
    if (n >= 19 && n <= 22) return {255, 0, 255};
    if (n >= 23 && n <= 26) return {0, 0, 255};
    if (n >= 27 && n <= 30) return {255, 255, 0};
    return {0, 0, 0};
}

void DrawGlyph(MazePicture& picture, int x, int y, std::string_view glyph, Rgb color) {
    for (int k = 1; k <= 9 && k <= static_cast<int>(glyph.size()); ++k)
        if (glyph[static_cast<std::size_t>(k - 1)] == '1')
            picture.Set(3 * x + 221 + (k - 1) % 3, 3 * y + 212 + (k - 1) / 3, color);
}

void Make100Maps(Session& s, int count) {
    Randa(s);
    s.Surf.preview = true;
    const std::filesystem::path folder = s.programFolder / "Maps";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    for (int n = 1; n <= count; ++n) {
        const double r1 = s.random.Draw(), r2 = s.random.Draw(), r3 = s.random.Draw(), r4 = s.random.Draw();
        const int length = static_cast<int>(r1 * 50 + 1);
        const int startWith = static_cast<int>(r2 * 2);
        const int endWith = static_cast<int>(r3 * 3);
        const int direction = static_cast<int>(r4 * 4 + 1);
        const std::string line = GetGoodLine(s, length, startWith, endWith, direction);
        const std::string stem = "Map" + std::to_string(n);
        if (!s.Surf.picture.SaveBmp(folder / (stem + ".bmp")))
            throw BuildFailure("Could not write " + (folder / (stem + ".bmp")).string() + ".");
        std::ofstream txt(folder / (stem + ".txt"), std::ios::binary | std::ios::trunc);
        txt << line << "\r\n";
        if (!txt) throw BuildFailure("Could not write " + (folder / (stem + ".txt")).string() + ".");
        s.ui.Yield();
    }
    s.ui.MessageBox("Tessellon", "Klar!", BoxIcon::Information, BoxButtons::Ok);
}

}  // namespace tessellon
