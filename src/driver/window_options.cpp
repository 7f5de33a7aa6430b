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

namespace {

struct Tip {
    const char* name;
    const char* text;
};

const Tip kTips[] = {
    // The options.
    {"MapSizeBar", "How many rooms the level's maze path has, 5 to 35 (a random factor of 0.75 to 1.25 is applied). "
                   "More rooms make a longer level that takes longer to build and compile."},
    {"EnemyBar", "How many and how strong the enemies are, 0 (easy) to 10 (hard): the share of enemy placeholders "
                 "that become characters, and which ones."},
    {"WeaponAmmoBar", "How much ammunition and how many weapons lie around, 0 to 100 % of the pickup placeholders."},
    {"DifficulcyBar", "The game's own skill level, 1 (easy) to 3 (hard), handed to Half-Life 2 when it starts the "
                      "level. It does not change the level file."},
    {"AlienCombineBar", "Who the enemies are, 0 (only aliens) to 20 (only Combine soldiers); 10 mixes both evenly."},
    {"NewWeaponsBar", "When new weapons turn up along the path, 0 to 100 %: low values hand them out early, high "
                      "values late."},
    {"ClockBar", "The time of day in half hours, 0 (0:00) to 48 (24:00). It sets the sun's height and direction, "
                 "the light's colour and the sky."},
    {"BigTimerBox", "The time of day the level is lit for (the clock slider sets it)."},
    {"MoonBar", "The moon's phase, 1 (new) to 5 (full): how bright the night is when the level is built at night."},
    {"MoonPicture", "The moon's phase chosen with the moon slider."},
    {"Combo2", "The season in the northern hemisphere: with the latitude it decides how high the sun stands."},
    {"Picture1", "Press the map to choose where on Earth the level lies: the latitude moves the sun's path. "
                 "The red line marks the choice."},
    {"LatitudBox", "The latitude chosen on the map, -90 to 90 degrees."},
    {"SunAngleBox", "The sun's height over the horizon in degrees for the chosen time, season and place."},
    {"Combo1", "The theme of the rooms the level is built from (only one theme so far)."},
    {"LevelMap", "The level's maze as it is laid out and its rooms as they are built. Press it to see the world "
                 "map again."},
    {"AAR", "Gives the player every weapon at the start (cheats on, impulse 101 twice) when the game starts the "
            "level. The level file stays the same."},
    {"SH", "No enemies: character placeholders stay empty, so the level is for walking around."},
    {"FP", "Leaves out the rooms' lights: the level is dark and the flashlight is needed."},
    {"LogFile", "Writes every status line, with its time, to vorniclog D-H-M.log in the program folder (the "
                "compilers' output goes to it as well)."},
    {"DetStatus", "Shows and logs the detail steps of a build (each room's stages and their times)."},
    {"RunMapCheck", "After the compile, starts Half-Life 2 on the new level without asking."},
    {"RCUnhidden", "Runs the compilers in a minimized window of their own instead of hidden (on Windows). Their "
                   "output is shown on the compile panel either way."},
    {"Command2", "Draws new random values for the six option sliders (map size 5 to 34)."},
    {"Command4", "Draws a random time of day, moon, place on the map and season."},
    {"CustomSeed", "Builds from the seed in the box instead of the clock: the same seed and options give the same "
                   "level again."},
    {"CustomSeedBox", "The custom seed, any number (decimals allowed)."},
    {"WindowScale", "How large the windows and their text are drawn: Auto follows the screen's resolution "
                    "(200 % on a 192 dpi screen). Takes effect at the next start."},
    // Account, room manager, status and the commands.
    {"UserAccount", "The Steam account whose Half-Life 2 and compilers are used."},
    {"Command5", "Choose another Steam account (or Steam folder)."},
    {"Command6", "Opens the room manager: the room files, their details and pictures, room test mode, delete, and "
                 "the room kit."},
    {"LastCompile", "Shows the last compile again: each compiler's result, their output and what it showed."},
    {"StatusLabel", "What the program is doing now."},
    {"Progg", "How far the build or the compile has come."},
    {"Command1", "Builds a new level with these options and writes level1.vmf (and level1.txt, its record) into "
                 "the program folder; with an account it is then compiled and moved into the game."},
    {"AbortButton", "Stops the build; the level file from before stays as it was."},
    // The compile panel.
    {"CompileRow0", "vbsp turns level1.vmf into level1.bsp: the level's geometry, and the leak check."},
    {"CompileRow1", "vvis works out which parts of the level can see each other, so the game draws only those."},
    {"CompileRow2", "vrad computes the light: the sun, the lamps and their bounces."},
    {"CompileRunMapCheck", "Starts Half-Life 2 on the level when the compile is done; can be changed while the "
                           "compilers run."},
    {"Command3", "Stops the running compiler; nothing is moved into the game."},
    {"CompileClose", "Back to the options."},
    {"CompileLevelMap", "The level being compiled, from above."},
    {"CompileOutput", "Everything the compilers print, as they print it (kept in compile.log in the program "
                      "folder)."},
    {"CompileProblems", "Known problems found in the compilers' output, in plain words, with what to do."},
    // The account window.
    {"Dir1", "The Steam folder's steamapps folder the accounts are listed from."},
    {"List1", "The Steam accounts (and libraries) found; choose the one with Half-Life 2 and the Source SDK."},
    {"Check1", "Ticked when the account holds Half-Life 2 (hl2.exe). Shows only."},
    {"Check2", "Ticked when the account holds the map compilers (vbsp.exe). Shows only."},
    {"Check3", "Use this account at every start without asking again."},
    {"Command1@account", "Use the selected account (it needs Half-Life 2 and the compilers)."},
    {"NoGame@account", "Go on without an account: levels are written but not compiled."},
    // The Steam folder window.
    {"Drive1", "The drive (or starting folder) to look for the Steam folder on."},
    {"CurrentFolder", "The folder chosen in the list."},
    {"Dir1@steam", "Walk to the folder Steam is installed in (it holds Steam.exe and steam.dll)."},
    {"Label5", "Whether the chosen folder is a Steam folder."},
    {"Command1@steam", "Quit, or (once a Steam folder is chosen) continue with it."},
    {"NoGame@steam", "Go on without Steam: levels are written but not compiled."},
    // The room manager.
    {"RoomList", "The room files in the rooms folder; choose one to see its details."},
    {"RM_RoomName", "The room's name."},
    {"RM_RoomType", "The room's type: start, end, one way, turn, three way, cross or alley."},
    {"RM_Genre", "The theme the room belongs to."},
    {"RM_Size", "The room's size."},
    {"RM_Author", "Who made the room."},
    {"RM_Description", "The room's description."},
    {"Picture3", "The room from above, north up: doorways green, characters red, pickups orange."},
    {"Picture4", "How the room connects: its doorways by side."},
    {"RoomInsideView", "The room as the player sees it from just inside its first doorway, at eye height."},
    {"Picture5", "Shown while room test mode is on."},
    {"TestModeNote", "What room test mode does to the next builds."},
    {"Command7", "Room test mode: builds use only this room for its type, until restored."},
    {"Command8", "Deletes the room file (after asking); builds no longer use it."},
    {"Command11", "Reads the rooms folder again."},
    {"Command9", "Starts the room kit (tessellonsdk) to make and check room files."},
    {"Command10", "Closes the room manager."},
    {"TestSurf", "The developer batch's maze lines."},
};

}  // namespace

const char* ControlTooltip(const std::string& name) {
    for (const Tip& t : kTips)
        if (name == t.name) return t.text;
    return nullptr;
}

std::string NoAccountCompileText(const std::string& levelFile) {
    return "The level was written to " + levelFile +
           " but it cannot be compiled: no Steam account with Half-Life 2 and the Source SDK is set. "
           "Install both through Steam (the SDK's compilers vbsp, vvis and vrad come with the "
           "Source SDK or with Half-Life 2's own bin folder), then press \"Change Account\".";
}

}  // namespace tessellon
