#include "entities/sky.h"

#include "session/session.h"
#include "entities/sun.h"

namespace tessellon {

std::string ChooseSky(Session& s) { return SkyForSun(s, s.SunElevation, ClockHour(s.settings.TimeOfDay)); }

}  // namespace tessellon
