#include "entities/sun.h"

#include <cmath>

#include "session/session.h"
#include "session/text_helpers.h"

namespace tessellon {

namespace {
const char* const kDegree = "\xC2\xB0";  // the degree sign in UTF-8
}

SunReading ComputeSun(int clockBar, int latitude, Season season, int moonBar) {
    SunReading out;
    const double t = clockBar;
    const double phi = latitude;

    // The sun can climb at most as high as the equator's angle at this latitude.
    double base = 90 - phi;
    if (base > 90) base = 180 - base;

    // One sine over the whole day. The constants are the program's own rough 2*pi and pi/2:
    // levels made so far were lit with them, so they stay.
    float elevation = static_cast<float>(base * std::sin(t / 48 * 6.283 - 1.6));

    // The season tilts the whole day up or down by the earth's axial tilt; which way depends
    // on the hemisphere.
    if (season == Season::Summer) elevation += static_cast<float>(phi > 0 ? 23.5 : -23.5);
    else if (season == Season::Winter) elevation += static_cast<float>(phi < 1 ? 23.5 : -23.5);

    // Past the zenith (or the nadir) the sun comes down the other side.
    if (elevation > 90) elevation = 180 - elevation;
    if (elevation < -90) elevation = -180 - elevation;
    out.SunElevation = elevation;

    float yaw = static_cast<float>(t / 48 * 360);
    if (phi < 0) yaw = 360 - yaw;
    yaw -= 360;
    if (yaw < 0) yaw += 360;
    out.SunYaw = yaw;

    static const float kMoonLight[] = {0.0f, 0.25f, 0.5f, 0.75f, 1.0f};
    static const int kMoonImage[] = {2, 3, 4, 5, 1};
    if (moonBar >= 1 && moonBar <= 5) {
        out.MoonLight = kMoonLight[moonBar - 1];
        out.MoonImage = kMoonImage[moonBar - 1];
    }
    return out;
}

int SettingsLatitude(const BuildSettings& settings) {
    return static_cast<int>(RoundHalfEven(settings.Latitude.value_or(0.0)));
}

SunDisplay CalcSunAngle(Session& s) {
    const SunReading sun =
        ComputeSun(s.settings.TimeOfDay, SettingsLatitude(s.settings), s.settings.season, s.settings.Moon);
    s.SunElevation = sun.SunElevation;
    s.SunYaw = sun.SunYaw;
    if (sun.MoonLight) s.MoonLight = *sun.MoonLight;
    return {SunAngleText(sun.SunElevation, s.DecimalSymbol), sun.MoonImage};
}

float ClockHour(int clockBar) { return static_cast<float>(clockBar * 0.5); }

std::string ClockText(int clockBar) { return std::to_string(clockBar / 2) + (clockBar % 2 == 0 ? ":00" : ":30"); }

int LatitudeFromPress(double y) { return static_cast<int>(RoundHalfEven((1 - y / 915) * 140 - 50)); }

std::string LatitudeText(int latitude) { return std::to_string(latitude) + kDegree; }

std::string SunAngleText(float elevation, const std::string& decimalSymbol) {
    return FormatNumber(RoundHalfEven(static_cast<double>(elevation) * 10) / 10, decimalSymbol) + kDegree;
}

std::string SkyForSun(Session& s, float sunElevation, float hour) {
    if (sunElevation < 0) return "sky_day01_09";
    // A low sun gets the dawn or the dusk sky.
    if (hour < 12 && sunElevation < 15) return "sky_day01_06";
    if (hour >= 12 && sunElevation < 15) return "sky_day01_08";
    Randa(s);
    const float r = s.random.Draw();
    if (r < 0.25f) return "sky_day02_04";
    if (r < 0.5f) return "sky_day02_07";
    if (r < 0.75f) return "sky_day03_04";
    return "sky_day03_05";
}

}  // namespace tessellon
