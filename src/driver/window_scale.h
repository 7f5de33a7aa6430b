#pragma once
#include <filesystem>
#include <optional>
#include <string>

namespace tessellon {

// How much larger than its design size (1000 x 740 at 96 dpi) the window is drawn.
constexpr double kMinWindowScale = 1.0;
constexpr double kMaxWindowScale = 3.0;

// The scale for a screen: its dots per inch against 96, in quarter steps, and never so large
// that the main window (1000 x 740 at scale 1) no longer fits the screen.
double ScaleForScreen(double dpi, int screenWidth, int screenHeight);

// "auto" (nullopt inside the result's value), "150%", "150 %", "1.5": the scale a user wrote.
// nullopt when the text is none of these or outside 1..3.
struct ScaleChoice {
    bool automatic = true;
    double scale = 1.0;
};
std::optional<ScaleChoice> ParseScale(const std::string& text);
std::string ScaleText(const ScaleChoice& choice);  // "auto" or "150%"

// The window's saved scale, in window.ini beside the program ("scale=auto" or "scale=150%").
// Automatic when the file or the line is missing or unreadable.
ScaleChoice ReadScaleSetting(const std::filesystem::path& programFolder);
bool SaveScaleSetting(const std::filesystem::path& programFolder, const ScaleChoice& choice);

}  // namespace tessellon
