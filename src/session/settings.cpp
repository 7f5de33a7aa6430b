#include "session/settings.h"

#include "session/text_helpers.h"

namespace tessellon {

std::optional<std::string> ValidateSettings(const BuildSettings& st, const std::string& decimalSymbol) {
    const struct {
        const char* label;
        int value, min, max;
    } ranges[] = {
        {"Map size", st.MapSize, kMapSizeMin, kMapSizeMax},
        {"Enemy difficulty", st.EnemyDifficulty, 0, 10},
        {"New weapons", st.NewWeapons, 0, 10},
        {"Weapon ammo", st.WeaponAmmo, 0, 10},
        {"Game difficulty", st.GameDifficulty, 1, 3},
        {"Alien/combine balance", st.AlienCombineBalance, 0, 20},
        {"Time of day", st.TimeOfDay, 0, 48},
        {"Moon", st.Moon, 1, 5},
        {"Genre", st.Genre, 0, 4},
    };
    for (const auto& r : ranges) {
        if (r.value < r.min || r.value > r.max)
            return std::string(r.label) + " must be between " + std::to_string(r.min) + " and " +
                   std::to_string(r.max) + " (it is " + std::to_string(r.value) + ").";
    }
    if (st.Latitude && (*st.Latitude < -90 || *st.Latitude > 90)) return "Latitude must be between -90 and 90 degrees.";
    if (st.CustomSeed == CheckState::Ticked) {
        double seed = 0;
        if (!TryParseNumber(st.CustomSeedBox, decimalSymbol, seed))
            return "The custom seed \"" + st.CustomSeedBox +
                   "\" is not a number. Enter a number or untick the custom seed.";
    }
    return std::nullopt;
}

}  // namespace tessellon
