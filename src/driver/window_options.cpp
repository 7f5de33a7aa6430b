#include "driver/window_options.h"

#include "session/report.h"
#include "session/session.h"
#include "entities/sun.h"
#include "session/text_helpers.h"
#include "maze/random_source.h"
#include "paths/accounts.h"
#include "rooms/catalogue.h"

namespace tessellon {

const std::vector<SliderControl>& OptionSliders() {
    static const std::vector<SliderControl> sliders = {
        {"MapSizeBar", "Rooms/Level: (Map Size)", {"tiny", "HUGE"}, kMapSizeMin, kMapSizeMax, 20, " rooms", &BuildSettings::MapSize},
        {"EnemyBar", "Enemy Difficulcy:", {"Easy", "HARD"}, 0, 10, 5, "", &BuildSettings::EnemyDifficulty},
        {"WeaponAmmoBar", "Ammo and Weapons:", {"rare", "MANY"}, 0, 10, 5, "0 %", &BuildSettings::WeaponAmmo},
        {"DifficulcyBar", "Game Difficulcy:", {"easy", "HARD"}, 1, 3, 2, "", &BuildSettings::GameDifficulty},
        {"AlienCombineBar", "Alien / Combine Balance:", {"Only Aliens", "Balanced", "Only Humans"}, 0, 20, 10, "",
         &BuildSettings::AlienCombineBalance},
        {"NewWeaponsBar", "Get New Weapons:", {"  Early", "           Late"}, 0, 10, 5, "0 %",
         &BuildSettings::NewWeapons},
    };
    return sliders;
}

std::string SliderValueText(const SliderControl& slider, int value) {
    return std::to_string(value) + slider.suffix;
}

const std::vector<const char*>& SeasonNames() {
    static const std::vector<const char*> names = {"Summer", "Autumn", "Winter", "Spring"};
    return names;
}

void SetRandomizedOptions(Session& s) {
    Randa(s);
    BuildSettings& o = s.settings;
    auto draw = [&s](double scale, double offset) { return static_cast<int>(s.random.Draw() * scale + offset); };
    o.MapSize = draw(30, 5);
    o.EnemyDifficulty = draw(11, 0);
    o.WeaponAmmo = draw(11, 0);
    o.GameDifficulty = draw(3, 1);
    o.AlienCombineBalance = draw(21, 0);
    o.NewWeapons = draw(11, 0);
}

MapPress PressWorldMap(Session& s, double y) {
    MapPress p;
    p.latitude = LatitudeFromPress(y);
    p.markerY = y;
    s.settings.Latitude = p.latitude;
    p.LatitudBox = LatitudeText(p.latitude);
    const SunDisplay sun = CalcSunAngle(s);
    p.SunAngleBox = sun.SunAngleBox;
    p.MoonImage = sun.MoonImage;
    return p;
}

MapPress RandomizeTime(Session& s) {
    Randa(s);
    BuildSettings& o = s.settings;
    o.TimeOfDay = static_cast<int>(s.random.Draw() * 49);
    o.Moon = static_cast<int>(s.random.Draw() * 5 + 1);
    MapPress p = PressWorldMap(s, static_cast<double>(s.random.Draw()) * kWorldMapUnitsHigh);
    o.season = static_cast<Season>(static_cast<int>(s.random.Draw() * 4));
    const SunDisplay sun = CalcSunAngle(s);
    p.SunAngleBox = sun.SunAngleBox;
    p.MoonImage = sun.MoonImage;
    return p;
}

namespace {

// What the room catalogue, the decimal symbol and the status need once the window can build.
void BecomeReady(Session& s) {
    Categorize(s);
    SetCorrectPC(s);
    MrProg(s, 0);
    s.ui.SetStatus("Ready...");
}

}  // namespace

LoadResult LoadRoutine(Session& s, StartUpState& state, bool splashVisible) {
    LoadResult r;
    if (!splashVisible && !state.ShownLogo) {
        state.ShownLogo = true;
        r.step = StartStep::ShowSplash;
        return r;
    }
    s.settings.Genre = 0;
    s.settings.Latitude = 0;
    s.settings.season = Season::Spring;
    r.map.latitude = 0;
    r.map.markerY = kWorldMapMarkerStart;
    r.map.LatitudBox = "0";
    const SunDisplay sun = CalcSunAngle(s);
    r.map.SunAngleBox = sun.SunAngleBox;
    r.map.MoonImage = sun.MoonImage;

    const SavedPathsCheck saved = CheckSavedPaths(s.programFolder, s.HL2Path, state.ShownHL2Path);
    if (!saved.usable) {
        s.HL2Path.clear();
        state.ShownHL2Path = true;
        r.step = StartStep::ShowAccountWindow;
        r.reason = saved.reason;
        return r;
    }
    r.warnings = saved.warnings;
    for (const auto& w : r.warnings) s.ui.MessageBox("Warning!", w, BoxIcon::Critical, BoxButtons::Ok);
    s.HL2Path = saved.HL2Path;
    state.UserAccount = saved.accountName;
    BecomeReady(s);
    r.step = StartStep::Ready;
    return r;
}

void ContinueWithoutAccount(Session& s, StartUpState& state) {
    s.HL2Path.clear();
    state.UserAccount = "<no account set>";
    BecomeReady(s);
}

std::string NoAccountCompileText(const std::string& levelFile) {
    return "The level was written to " + levelFile +
           " but it cannot be compiled: no Steam account with Half-Life 2 and the Source SDK is set. "
           "Install both through Steam (the SDK's compilers vbsp, vvis and vrad come with the "
           "Source SDK or with Half-Life 2's own bin folder), then press \"Change Account\".";
}

}  // namespace tessellon
