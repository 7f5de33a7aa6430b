#include "entities/sky.h"

#include "build/session.h"

namespace tessellon {

std::string ChooseSky(Session& s) {
    // Until the sun is computed, every build gets one of the four day skies.
    static const char* const kDaySkies[] = {"sky_day02_04", "sky_day02_07", "sky_day03_04", "sky_day03_05"};
    Randa(s);
    const int pick = static_cast<int>(s.random.Draw() * 4);
    return kDaySkies[pick];
}

}  // namespace tessellon
