#include "driver/window_scale.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

#include "paths/steam_folder.h"
#include "session/text_helpers.h"

namespace tessellon {

namespace {
constexpr int kDesignWidth = 1000, kDesignHeight = 740;
// Room for the window's frame and a desktop's panels.
constexpr int kScreenMargin = 80;
}  // namespace

double ScaleForScreen(double dpi, int screenWidth, int screenHeight) {
    double scale = dpi > 0 ? std::round(dpi / 96.0 * 4) / 4 : 1.0;
    scale = std::clamp(scale, kMinWindowScale, kMaxWindowScale);
    while (scale > kMinWindowScale &&
           (kDesignWidth * scale > screenWidth - kScreenMargin || kDesignHeight * scale > screenHeight - kScreenMargin))
        scale -= 0.25;
    return scale;
}

std::optional<ScaleChoice> ParseScale(const std::string& raw) {
    std::string text = LowerCase(raw);
    text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
    if (text == "auto") return ScaleChoice{};
    bool percent = false;
    if (!text.empty() && text.back() == '%') {
        percent = true;
        text.pop_back();
    }
    double v = 0;
    if (!TryParseNumber(text, ".", v)) return std::nullopt;
    if (percent) v /= 100;
    if (v < kMinWindowScale || v > kMaxWindowScale) return std::nullopt;
    return ScaleChoice{false, v};
}

std::string ScaleText(const ScaleChoice& choice) {
    if (choice.automatic) return "auto";
    return std::to_string(static_cast<int>(std::lround(choice.scale * 100))) + "%";
}

ScaleChoice ReadScaleSetting(const std::filesystem::path& programFolder) {
    std::ifstream in(programFolder / "window.ini");
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("scale=", 0) != 0) continue;
        if (auto choice = ParseScale(line.substr(6))) return *choice;
    }
    return {};
}

bool SaveScaleSetting(const std::filesystem::path& programFolder, const ScaleChoice& choice) {
    return ReplaceFileText(programFolder / "window.ini", "scale=" + ScaleText(choice) + "\r\n");
}

}  // namespace tessellon
