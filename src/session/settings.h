#pragma once
#include <optional>
#include <string>

namespace tessellon {

// A check box: the Greyed state exists on the window's controls and means "neither".
enum class CheckState { Unticked = 0, Ticked = 1, Greyed = 2 };

enum class Season { Summer = 0, Autumn = 1, Winter = 2, Spring = 3 };

// The range of the map size (rooms per level): the window's slider, the headless option and the
// settings check all take it from here.
inline constexpr int kMapSizeMin = 5;
inline constexpr int kMapSizeMax = 35;

// The user's options, as the window's controls hold them right now. The window writes a
// field whenever its control changes, so a build that reads a field reads the live value.
struct BuildSettings {
    int MapSize = 20;                // MapSizeBar kMapSizeMin..kMapSizeMax
    int EnemyDifficulty = 5;         // EnemyBar 0..10
    int NewWeapons = 5;              // NewWeaponsBar 0..10
    int WeaponAmmo = 5;              // WeaponAmmoBar 0..10 (shown only)
    int GameDifficulty = 2;          // DifficulcyBar 1..3
    int AlienCombineBalance = 10;    // AlienCombineBar 0..20
    int TimeOfDay = 24;              // ClockBar, half hours 0..48
    int Moon = 3;                    // MoonBar 1..5
    Season season = Season::Spring;  // Combo2
    std::optional<double> Latitude;  // set by a press on the world map
    int Genre = 0;                   // Combo1 list index
    CheckState CustomSeed = CheckState::Unticked;
    std::string CustomSeedBox;
    bool AllWeapons = false;          // AAR
    bool NoMonsters = false;          // SH
    bool SkipLights = false;          // FP
    bool WriteLogFile = false;        // LogFile
    bool DetailedStatus = false;      // DetStatus
    bool CompilerUnhidden = false;    // RCUnhidden
    bool RunMapAfterCompile = false;  // RunMapCheck
};

// Ranges of the sliders, for the front ends' checks.
struct SettingRange {
    const char* name;
    int min, max;
};

// An error text when an option is outside what the controls allow or the custom seed is
// not a number; nullopt when the settings can start a build.
std::optional<std::string> ValidateSettings(const BuildSettings& settings, const std::string& decimalSymbol);

}  // namespace tessellon
