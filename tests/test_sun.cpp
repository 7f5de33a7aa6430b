#include <gtest/gtest.h>

#include <map>

#include "build/session.h"
#include "entities/sky.h"
#include "entities/sun.h"
#include "entities_support.h"

using namespace tessellon;
using tessellon::entities_test::EntitySession;

namespace {

float Elevation(int clockBar, int latitude, Season season) {
    return ComputeSun(clockBar, latitude, season, 3).SunElevation;
}

}  // namespace

TEST(Sun, ElevationOverTheDayAtTheEquator) {
    EXPECT_NEAR(Elevation(24, 0, Season::Spring), 89.96, 0.01);
    EXPECT_NEAR(Elevation(12, 0, Season::Spring), -2.63, 0.01);
    EXPECT_NEAR(Elevation(36, 0, Season::Spring), 2.64, 0.01);
    EXPECT_NEAR(Elevation(0, 0, Season::Spring), -89.96, 0.01);
    EXPECT_NEAR(Elevation(48, 0, Season::Autumn), -89.96, 0.05);
    EXPECT_EQ(SunAngleText(Elevation(24, 0, Season::Spring)), "90\xC2\xB0");
    EXPECT_EQ(SunAngleText(Elevation(12, 0, Season::Spring)), "-2.6\xC2\xB0");
    EXPECT_EQ(SunAngleText(Elevation(12, 0, Season::Spring), ","), "-2,6\xC2\xB0");
}

TEST(Sun, SeasonsTiltTheDayByHemisphere) {
    EXPECT_NEAR(Elevation(24, 30, Season::Summer), 83.47, 0.01);
    EXPECT_NEAR(Elevation(24, 30, Season::Winter), 36.47, 0.01);
    EXPECT_NEAR(Elevation(24, -30, Season::Summer), 36.47, 0.01);
    EXPECT_NEAR(Elevation(24, -30, Season::Winter), 83.47, 0.01);
    EXPECT_NEAR(Elevation(24, 60, Season::Summer), 53.49, 0.01);
    // The shift applies by night too.
    EXPECT_NEAR(Elevation(0, 30, Season::Summer), -59.97 + 23.5, 0.01);
    // At the equator summer counts as southern and winter as northern.
    EXPECT_NEAR(Elevation(24, 0, Season::Summer), 89.96 - 23.5, 0.01);
}

TEST(Sun, ElevationFoldsBackPastZenithAndNadir) {
    // 89.96 + 23.5 would be above the zenith: it comes down the other side.
    EXPECT_NEAR(Elevation(24, 0, Season::Winter), 180 - (89.96 + 23.5), 0.01);
    EXPECT_NEAR(Elevation(0, 0, Season::Summer), -180 + (89.96 + 23.5), 0.01);
    for (int t = 0; t <= 48; ++t)
        for (int lat : {-90, -45, 0, 1, 45, 90})
            for (Season season : {Season::Summer, Season::Autumn, Season::Winter, Season::Spring}) {
                const float e = Elevation(t, lat, season);
                EXPECT_LE(e, 90.0f);
                EXPECT_GE(e, -90.0f);
            }
}

TEST(Sun, PoleKeepsTheSunOnTheHorizonButForTheSeason) {
    const int top = LatitudeFromPress(0);
    ASSERT_EQ(top, 90);
    for (int t : {0, 12, 24, 36}) {
        EXPECT_NEAR(Elevation(t, top, Season::Spring), 0.0, 1e-4);
        EXPECT_NEAR(Elevation(t, top, Season::Summer), 23.5, 1e-4);
        EXPECT_NEAR(Elevation(t, top, Season::Winter), -23.5, 1e-4);
    }
}

TEST(Sun, YawFollowsTheClockMirroredInTheSouth) {
    EXPECT_FLOAT_EQ(ComputeSun(16, 40, Season::Spring, 3).SunYaw, 120);
    EXPECT_FLOAT_EQ(ComputeSun(16, -40, Season::Spring, 3).SunYaw, 240);
    EXPECT_FLOAT_EQ(ComputeSun(48, 40, Season::Spring, 3).SunYaw, 0);
    EXPECT_FLOAT_EQ(ComputeSun(0, -40, Season::Spring, 3).SunYaw, 0);
    EXPECT_FLOAT_EQ(ComputeSun(0, 40, Season::Spring, 3).SunYaw, 0);
    for (int t = 0; t <= 48; ++t)
        for (int lat : {-10, 0, 10}) {
            const float yaw = ComputeSun(t, lat, Season::Spring, 3).SunYaw;
            EXPECT_GE(yaw, 0);
            EXPECT_LT(yaw, 360);
        }
}

TEST(Sun, MoonSliderSetsLightAndPicture) {
    const float light[] = {0, 0.25f, 0.5f, 0.75f, 1};
    const int image[] = {2, 3, 4, 5, 1};
    for (int m = 1; m <= 5; ++m) {
        const SunReading r = ComputeSun(24, 0, Season::Spring, m);
        ASSERT_TRUE(r.MoonLight && r.MoonImage);
        EXPECT_FLOAT_EQ(*r.MoonLight, light[m - 1]);
        EXPECT_EQ(*r.MoonImage, image[m - 1]);
    }
    EntitySession t;
    t.s.settings.Moon = 4;
    EXPECT_EQ(CalcSunAngle(t.s).MoonImage, 5);
    EXPECT_FLOAT_EQ(t.s.MoonLight, 0.75f);
    // A value outside the slider leaves the moon as it was.
    t.s.settings.Moon = 9;
    EXPECT_FALSE(CalcSunAngle(t.s).MoonImage.has_value());
    EXPECT_FLOAT_EQ(t.s.MoonLight, 0.75f);
}

TEST(Sun, CalcSunAngleReadsTheSessionSettings) {
    EntitySession t;
    t.s.settings.TimeOfDay = 24;
    t.s.settings.Latitude = 30.4;  // the map works in whole degrees
    t.s.settings.season = Season::Summer;
    const SunDisplay shown = CalcSunAngle(t.s);
    EXPECT_NEAR(t.s.SunElevation, 83.47, 0.01);
    EXPECT_FLOAT_EQ(t.s.SunYaw, 180);
    EXPECT_FLOAT_EQ(t.s.MoonLight, 0.5f);
    EXPECT_EQ(shown.SunAngleBox, "83.5\xC2\xB0");
    // Without a press on the map the latitude is the equator's.
    t.s.settings.Latitude.reset();
    t.s.settings.season = Season::Spring;
    CalcSunAngle(t.s);
    EXPECT_NEAR(t.s.SunElevation, 89.96, 0.01);
}

TEST(Sun, ClockAndMapTexts) {
    EXPECT_EQ(ClockText(0), "0:00");
    EXPECT_EQ(ClockText(15), "7:30");
    EXPECT_EQ(ClockText(48), "24:00");
    EXPECT_FLOAT_EQ(ClockHour(15), 7.5f);
    EXPECT_EQ(LatitudeFromPress(0), 90);
    EXPECT_EQ(LatitudeFromPress(915), -50);
    EXPECT_EQ(LatitudeFromPress(457.5), 20);
    EXPECT_EQ(LatitudeFromPress(976), -59);  // the picture's bottom edge
    EXPECT_EQ(LatitudeText(-50), "-50\xC2\xB0");
}

TEST(Sky, FollowsTheTimeOfDay) {
    EntitySession t;
    auto skyAt = [&](int clockBar) {
        t.s.settings.TimeOfDay = clockBar;
        CalcSunAngle(t.s);
        return ChooseSky(t.s);
    };
    EXPECT_EQ(skyAt(0), "sky_day01_09");
    EXPECT_EQ(skyAt(12), "sky_day01_09");  // 6:00 is just below the horizon
    EXPECT_EQ(skyAt(13), "sky_day01_06");  // low morning sun
    EXPECT_EQ(skyAt(36), "sky_day01_08");  // low afternoon sun
    EXPECT_EQ(skyAt(44), "sky_day01_09");
    const std::string noon = skyAt(24);
    EXPECT_TRUE(noon == "sky_day02_04" || noon == "sky_day02_07" || noon == "sky_day03_04" ||
                noon == "sky_day03_05")
        << noon;
}

TEST(Sky, LowSunBoundaryAndDaySkiesShareEvenly) {
    EntitySession t;
    // 15 degrees is no longer a low sun, and hour 12 is already the afternoon.
    EXPECT_EQ(SkyForSun(t.s, 14.9f, 11.5f), "sky_day01_06");
    EXPECT_EQ(SkyForSun(t.s, 14.9f, 12.0f), "sky_day01_08");
    EXPECT_NE(SkyForSun(t.s, 15.0f, 11.5f).rfind("sky_day0", 0), std::string::npos);
    EXPECT_EQ(SkyForSun(t.s, -0.01f, 12.0f), "sky_day01_09");

    std::map<std::string, int> seen;
    const int draws = 4000;
    for (int i = 0; i < draws; ++i) ++seen[SkyForSun(t.s, 60, 12)];
    ASSERT_EQ(seen.size(), 4u);
    for (const auto& [sky, count] : seen) {
        EXPECT_TRUE(sky.rfind("sky_day02_", 0) == 0 || sky.rfind("sky_day03_", 0) == 0) << sky;
        EXPECT_NEAR(count, draws / 4, draws / 16) << sky;
    }
}
