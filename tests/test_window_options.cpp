// The logic behind the main window: the randomisers, the world map and its latitude rule, the
// option table against the option defaults, and the start-up routine's path checks.
#include <gtest/gtest.h>

#include <set>

#include "driver/window_options.h"
#include "driver/world_map.h"
#include "entities/sun.h"
#include "test_support.h"

namespace tessellon::testing {
namespace {

TEST(WindowOptions, SliderTableStartsWhereTheOptionsStart) {
    const BuildSettings defaults;
    for (const SliderControl& c : OptionSliders()) {
        EXPECT_EQ(c.start, defaults.*(c.field)) << c.name;
        EXPECT_LE(c.min, c.start) << c.name;
        EXPECT_GE(c.max, c.start) << c.name;
    }
    EXPECT_EQ(SliderValueText(OptionSliders()[0], 20), "20 rooms");
    EXPECT_EQ(SliderValueText(OptionSliders()[2], 7), "70 %");
    EXPECT_EQ(SeasonNames()[static_cast<int>(defaults.season)], std::string("Spring"));
}

TEST(WindowOptions, RandomisersStayInsideTheControlsAndReachTheirEnds) {
    TestSession t;
    std::set<int> sizes, difficulties, clocks, moons, seasons;
    for (int seed = 1; seed <= 3000; ++seed) {
        t.s.settings.CustomSeed = CheckState::Ticked;
        t.s.settings.CustomSeedBox = std::to_string(seed);
        SetRandomizedOptions(t.s);
        const BuildSettings& o = t.s.settings;
        for (const SliderControl& c : OptionSliders()) {
            ASSERT_GE(o.*(c.field), c.min) << c.name << " seed " << seed;
            ASSERT_LE(o.*(c.field), c.max) << c.name << " seed " << seed;
        }
        sizes.insert(o.MapSize);
        difficulties.insert(o.GameDifficulty);

        const MapPress p = RandomizeTime(t.s);
        ASSERT_GE(o.TimeOfDay, 0);
        ASSERT_LE(o.TimeOfDay, 48);
        ASSERT_GE(o.Moon, 1);
        ASSERT_LE(o.Moon, 5);
        ASSERT_EQ(p.latitude, LatitudeFromPress(p.markerY));
        ASSERT_EQ(o.Latitude, p.latitude);
        ASSERT_LE(p.markerY, kWorldMapUnitsHigh);
        clocks.insert(o.TimeOfDay);
        moons.insert(o.Moon);
        seasons.insert(static_cast<int>(o.season));
    }
    // Map size 35 is the slider's end, never drawn; 5 and 34 are.
    EXPECT_EQ(*sizes.begin(), 5);
    EXPECT_EQ(*sizes.rbegin(), 34);
    EXPECT_EQ(difficulties, (std::set<int>{1, 2, 3}));
    EXPECT_EQ(clocks.size(), 49u);
    EXPECT_EQ(moons.size(), 5u);
    EXPECT_EQ(seasons.size(), 4u);
}

TEST(WindowOptions, TheSameSeedRandomisesTheSameWay) {
    TestSession a("", "77"), b("", "77");
    SetRandomizedOptions(a.s);
    SetRandomizedOptions(b.s);
    EXPECT_EQ(a.s.settings.MapSize, b.s.settings.MapSize);
    EXPECT_EQ(a.s.settings.AlienCombineBalance, b.s.settings.AlienCombineBalance);
    EXPECT_EQ(RandomizeTime(a.s).markerY, RandomizeTime(b.s).markerY);
}

TEST(WorldMap, APressLandsOnTheLatitudeDrawnThere) {
    TestSession t;
    EXPECT_EQ(PressWorldMap(t.s, 0).LatitudBox, "90°");
    EXPECT_EQ(PressWorldMap(t.s, 915).latitude, -50);
    // Every whole latitude the map shows is drawn at the height whose press gives it back.
    for (int lat = 90; lat >= -59; --lat) {
        const double y = WorldMapY(lat);
        ASSERT_EQ(LatitudeFromPress(y), lat) << "drawn at " << y;
        ASSERT_LE(y, kWorldMapUnitsHigh);
    }
    EXPECT_DOUBLE_EQ(WorldMapX(-180), 0);
    EXPECT_DOUBLE_EQ(WorldMapX(180), kWorldMapUnitsWide);
}

TEST(WorldMap, ReadsCoastsSplitsAtTheDateLineAndCutsTheSouth) {
    const WorldMap m = ParseWorldMap(
        "# comment\n"
        "170.0,10.0 179.9,12.0 -179.9,12.5 -170.0,13.0\r\n"
        "0.0,-40.0 0.0,-70.0 1.0,-70.0 2.0,-40.0 3.0,-41.0\n"
        "\n",
        "coast.txt");
    ASSERT_EQ(m.lines.size(), 3u);
    EXPECT_EQ(m.lines[0].size(), 2u);  // east of the date line
    EXPECT_EQ(m.lines[1].size(), 2u);  // west of it
    EXPECT_EQ(m.lines[2].size(), 2u);  // after the part below the map's edge
    EXPECT_NEAR(m.lines[0][0].y, WorldMapY(10), 1e-9);

    for (const char* bad : {"10.0,5.0 abc\n", "10.0;5.0\n", "200.0,5.0\n", "1e999,5\n"}) {
        try {
            ParseWorldMap(std::string("# head\n") + bad, "coast.txt");
            ADD_FAILURE() << bad;
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find("coast.txt:2"), std::string::npos) << e.what();
        }
    }
    const WorldMap shipped = ReadWorldMap(fs::path(TESSELLON_SOURCE_DIR) / "data" / "coastline-110m.txt");
    EXPECT_GT(shipped.lines.size(), 100u);
}

// A Steam account folder with the game and the compilers the given names ask for.
fs::path FakeAccount(const fs::path& root, const std::vector<std::string>& files) {
    const fs::path account = root / "steamapps" / "player1";
    for (const auto& f : files) WriteFile(account / f, "x");
    return account;
}

TEST(StartUp, SplashThenAccountWindowWhileThePathsAreUnusable) {
    TestSession t;
    StartUpState st;
    EXPECT_EQ(LoadRoutine(t.s, st, false).step, StartStep::ShowSplash);
    EXPECT_TRUE(st.ShownLogo);

    t.s.HL2Path = "left over";
    const LoadResult none = LoadRoutine(t.s, st, false);
    EXPECT_EQ(none.step, StartStep::ShowAccountWindow);
    EXPECT_TRUE(st.ShownHL2Path);
    EXPECT_TRUE(t.s.HL2Path.empty());  // a held path that no longer works is dropped
    EXPECT_FALSE(t.ui.Saw("Ready..."));

    // An account without the compiler is unusable too.
    const fs::path account = FakeAccount(t.home / "steam", {"half-life 2/hl2.exe"});
    WriteFile(t.home / "hl2path.ini", " 1 \r\n" + account.string() + "\r\n");
    t.s.HL2Path.clear();
    EXPECT_EQ(LoadRoutine(t.s, st, false).step, StartStep::ShowAccountWindow);
    EXPECT_TRUE(t.s.HL2Path.empty());
}

TEST(StartUp, AUsableAccountWarnsOnceForEachMissingCompilerAndGetsReady) {
    TestSession t;
    InstallTestRooms(t.home);
    const fs::path account =
        FakeAccount(t.home / "steam", {"half-life 2/hl2.exe", "sourcesdk/bin/vbsp.exe", "sourcesdk/bin/vvis.exe"});
    WriteFile(t.home / "hl2path.ini", " 1 \r\n" + account.string() + "\r\n");
    StartUpState st;
    st.ShownLogo = true;
    t.s.settings.season = Season::Summer;
    t.s.settings.Latitude = 33;
    const LoadResult r = LoadRoutine(t.s, st, false);
    ASSERT_EQ(r.step, StartStep::Ready);
    ASSERT_EQ(t.ui.boxes.size(), 1u);
    EXPECT_EQ(t.ui.boxes[0].title, "Warning!");
    EXPECT_NE(t.ui.boxes[0].text.find("Vrad.exe"), std::string::npos);
    EXPECT_EQ(st.UserAccount, "player1");
    EXPECT_EQ(t.s.HL2Path, account.string());
    EXPECT_EQ(t.ui.statuses.back(), "Ready...");
    EXPECT_GT(t.s.RoomCatalogue.RoomCount(), 0);
    // The load resets the season and the place.
    EXPECT_EQ(t.s.settings.season, Season::Spring);
    EXPECT_EQ(SettingsLatitude(t.s.settings), 0);
    EXPECT_EQ(r.map.markerY, kWorldMapMarkerStart);

    // A default box left unticked brings the account window back at the next start only.
    WriteFile(t.home / "hl2path.ini", " 0 \r\n" + account.string() + "\r\n");
    t.s.HL2Path.clear();
    StartUpState next;
    next.ShownLogo = true;
    EXPECT_EQ(LoadRoutine(t.s, next, false).step, StartStep::ShowAccountWindow);
    t.s.HL2Path.clear();
    EXPECT_EQ(LoadRoutine(t.s, next, false).step, StartStep::Ready);
}

TEST(StartUp, WithoutTheGameTheWindowStillBuilds) {
    TestSession t;
    InstallTestRooms(t.home);
    StartUpState st;
    t.s.HL2Path = "C:\\gone";
    ContinueWithoutAccount(t.s, st);
    EXPECT_TRUE(t.s.HL2Path.empty());
    EXPECT_EQ(st.UserAccount, "<no account set>");
    EXPECT_EQ(t.ui.statuses.back(), "Ready...");
    EXPECT_NE(NoAccountCompileText("/x/level1.vmf").find("/x/level1.vmf"), std::string::npos);
}

}  // namespace
}  // namespace tessellon::testing
