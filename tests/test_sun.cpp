#include <gtest/gtest.h>

#include <map>

#include "entities/sky.h"
#include "entities/sun.h"
#include "test_support.h"

using namespace tessellon;
namespace tt = tessellon::testing;

namespace {
float Elevation(int clockBar, int latitude, Season season) {
    return ComputeSun(clockBar, latitude, season, 3).SunElevation;
}
const std::string kDeg = "\xC2\xB0";
}  // namespace

TEST(Sun, ElevationByHourLatitudeAndSeason) {
    EXPECT_NEAR(Elevation(24, 0, Season::Spring), 89.96, 0.01);
    EXPECT_NEAR(Elevation(12, 0, Season::Spring), -2.63, 0.01);  // 6:00 is just below the horizon
    EXPECT_NEAR(Elevation(36, 0, Season::Spring), 2.64, 0.01);
    EXPECT_NEAR(Elevation(24, 30, Season::Summer), 83.47, 0.01);
    EXPECT_NEAR(Elevation(24, 30, Season::Winter), 36.47, 0.01);
    EXPECT_NEAR(Elevation(24, -30, Season::Summer), 36.47, 0.01);
    EXPECT_NEAR(Elevation(24, 60, Season::Summer), 53.49, 0.01);
    EXPECT_NEAR(Elevation(0, 30, Season::Summer), -59.97 + 23.5, 0.01);  // the tilt applies by night too
    // Past the zenith or the nadir the sun comes down the other side.
    EXPECT_NEAR(Elevation(24, 0, Season::Winter), 180 - (89.96 + 23.5), 0.01);
    EXPECT_NEAR(Elevation(0, 0, Season::Summer), -180 + (89.96 + 23.5), 0.01);
    // At the pole only the season lifts or lowers the sun.
    EXPECT_NEAR(Elevation(36, 90, Season::Spring), 0, 1e-4);
    EXPECT_NEAR(Elevation(36, 90, Season::Winter), -23.5, 1e-4);
}

TEST(Sun, YawMoonAndSessionValues) {
    EXPECT_FLOAT_EQ(ComputeSun(16, 40, Season::Spring, 3).SunYaw, 120);
    EXPECT_FLOAT_EQ(ComputeSun(16, -40, Season::Spring, 3).SunYaw, 240);
    EXPECT_FLOAT_EQ(ComputeSun(48, 40, Season::Spring, 3).SunYaw, 0);
    EXPECT_FLOAT_EQ(ComputeSun(0, -40, Season::Spring, 3).SunYaw, 0);

    tt::TestSession t;
    t.s.settings.TimeOfDay = 24;
    t.s.settings.Latitude = 30.4;  // the map works in whole degrees
    t.s.settings.season = Season::Summer;
    t.s.settings.Moon = 4;
    SunDisplay shown = CalcSunAngle(t.s);
    EXPECT_NEAR(t.s.SunElevation, 83.47, 0.01);
    EXPECT_FLOAT_EQ(t.s.SunYaw, 180);
    EXPECT_FLOAT_EQ(t.s.MoonLight, 0.75f);
    EXPECT_EQ(shown.SunAngleBox, "83.5" + kDeg);
    EXPECT_EQ(shown.MoonImage, 5);
    // A moon value outside the slider leaves moonlight and picture as they were.
    t.s.settings.Moon = 9;
    EXPECT_FALSE(CalcSunAngle(t.s).MoonImage.has_value());
    EXPECT_FLOAT_EQ(t.s.MoonLight, 0.75f);
}

TEST(Sun, WindowTexts) {
    EXPECT_EQ(ClockText(15), "7:30");
    EXPECT_EQ(ClockText(48), "24:00");
    EXPECT_EQ(LatitudeFromPress(0), 90);
    EXPECT_EQ(LatitudeFromPress(915), -50);
    EXPECT_EQ(LatitudeFromPress(457.5), 20);
    EXPECT_EQ(LatitudeText(-50), "-50" + kDeg);
    EXPECT_EQ(SunAngleText(89.96f), "90" + kDeg);
    EXPECT_EQ(SunAngleText(-2.63f, ","), "-2,6" + kDeg);
}

TEST(Sky, FollowsTheTimeOfDay) {
    tt::TestSession t;
    auto skyAt = [&](int clockBar) {
        t.s.settings.TimeOfDay = clockBar;
        CalcSunAngle(t.s);
        return ChooseSky(t.s);
    };
    EXPECT_EQ(skyAt(12), "sky_day01_09");
    EXPECT_EQ(skyAt(13), "sky_day01_06");  // low morning sun
    EXPECT_EQ(skyAt(36), "sky_day01_08");  // low afternoon sun
    // 15 degrees is no longer low, and hour 12 is already afternoon.
    EXPECT_EQ(SkyForSun(t.s, 14.9f, 11.5f), "sky_day01_06");
    EXPECT_EQ(SkyForSun(t.s, 14.9f, 12.0f), "sky_day01_08");

    std::map<std::string, int> seen;
    const int draws = 4000;
    for (int i = 0; i < draws; ++i) ++seen[skyAt(24)];
    EXPECT_EQ(seen.size(), 4u);
    for (const char* sky : {"sky_day02_04", "sky_day02_07", "sky_day03_04", "sky_day03_05"})
        EXPECT_NEAR(seen[sky], draws / 4, draws / 16) << sky;
}
