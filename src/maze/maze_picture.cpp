#include "maze/maze_picture.h"

#include <fstream>

#include "session/errors.h"
#include "session/session.h"
#include "maze/maze_line.h"
#include "maze/random_source.h"

namespace tessellon {

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
