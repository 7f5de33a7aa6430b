#pragma once
#include <string>

namespace tessellon {

struct Session;

// The sky of the build, from the sun of the chosen time and place.
std::string ChooseSky(Session& s);

}  // namespace tessellon
