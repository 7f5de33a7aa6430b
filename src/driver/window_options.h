#pragma once
#include <optional>
#include <string>
#include <vector>

#include "session/settings.h"

namespace tessellon {

struct Session;

// One option slider of the main window: what it is called, what it shows and which option
// it holds.
struct SliderControl {
    const char* name;
    const char* caption;
    std::vector<const char*> sideLabels;  // left, (middle,) right
    int min, max, start;
    const char* suffix;                   // drawn after the value
    int BuildSettings::*field;
};

// The six option sliders of the "Options" frame, top to bottom.
const std::vector<SliderControl>& OptionSliders();
// The slider's value as it is drawn: the number and the suffix.
std::string SliderValueText(const SliderControl& slider, int value);

// The seasons of the season list, in list order.
const std::vector<const char*>& SeasonNames();

// The world map's coordinate space: a press's height runs 0..976 units (the latitude rule
// of LatitudeFromPress), the width 0..1800.
constexpr double kWorldMapUnitsHigh = 976;
constexpr double kWorldMapUnitsWide = 1800;
constexpr double kWorldMapMarkerStart = 392;

// "Set Randomized Options": re-seeds, then draws the six option sliders in order.
void SetRandomizedOptions(Session& s);

// A press on the world map at height y (units): the latitude, the marker and the sun follow.
struct MapPress {
    int latitude;
    double markerY;
    std::string LatitudBox, SunAngleBox;
    std::optional<int> MoonImage;  // the moon picture to show, when it changes
};
MapPress PressWorldMap(Session& s, double y);

// "Randomize Time": re-seeds, then draws the clock, the moon, a press on the map and the
// season; the sun is recomputed. Gives the press (for the marker and the two boxes).
MapPress RandomizeTime(Session& s);

// What the window's load routine found.
enum class StartStep {
    ShowSplash,         // first run: the splash is shown, the main window hidden
    ShowAccountWindow,  // the saved paths are unusable
    Ready,              // "Ready...": the catalogue is built, the options can start a build
};
struct StartUpState {
    bool ShownLogo = false;
    bool ShownHL2Path = false;
    std::string UserAccount = "<no account set>";
};
struct LoadResult {
    StartStep step = StartStep::ShowSplash;
    std::vector<std::string> warnings;  // one "Warning!" box each (missing vvis, vrad)
    std::string reason;                 // why the paths are unusable
    MapPress map{};                     // the marker and boxes after the reset
};

// The main window's load routine, run at start (splash not yet shown), after the splash and
// after the account window. Resets the options it owns, checks the saved paths and builds the
// room catalogue.
LoadResult LoadRoutine(Session& s, StartUpState& state, bool splashVisible);

// The way past the account window on a machine without the game: the main window opens with
// no account, builds write level files and the compile says what is missing.
void ContinueWithoutAccount(Session& s, StartUpState& state);

// The tooltip of a control of the windows, by its name: what it does, its range, what it
// changes in the level. nullptr for the windows and panels themselves.
const char* ControlTooltip(const std::string& name);

// The message shown after a finished build when there is no account to compile with.
std::string NoAccountCompileText(const std::string& levelFile);

}  // namespace tessellon
