#pragma once
#include <optional>
#include <string>

#include "session/settings.h"

namespace tessellon {

struct Session;

// The sun of one time and place, as the clock, moon, season and world-map controls give it.
struct SunReading {
    float SunElevation = 0;  // degrees above the horizon; negative at night
    float SunYaw = 0;        // compass direction, 0 <= yaw < 360
    // Only moon slider values 1..5 set these; any other value leaves what was there.
    std::optional<float> MoonLight;
    std::optional<int> MoonImage;  // 1..5, the picture of the moon image list to show
};

SunReading ComputeSun(int clockBar, int latitude, Season season, int moonBar);

// What the window shows beside the sun values after a recomputation.
struct SunDisplay {
    std::string SunAngleBox;       // elevation to a tenth of a degree, then the degree sign
    std::optional<int> MoonImage;  // empty when the moon picture stays as it is
};

// Recomputes SunElevation, SunYaw and MoonLight of the session from its current settings.
// The window calls it at start-up and whenever the clock, moon, season or map changes;
// a build only reads the values.
SunDisplay CalcSunAngle(Session& s);

// The latitude the settings hold as the whole degrees the map works in (0 until the map
// has been pressed).
int SettingsLatitude(const BuildSettings& settings);

// "7:30", "24:00": the clock text of a ClockBar value (half hours).
std::string ClockText(int clockBar);
// The hour a ClockBar value stands for.
float ClockHour(int clockBar);

// The world map's latitude rule: its top edge is 90 degrees and 915 units down is -50,
// linear in between (and beyond, for presses below that line).
int LatitudeFromPress(double y);
std::string LatitudeText(int latitude);
std::string SunAngleText(float elevation, const std::string& decimalSymbol = ".");

// The sky of a build for this sun and hour; draws from the session's random source only
// for a high sun.
std::string SkyForSun(Session& s, float sunElevation, float hour);

}  // namespace tessellon
