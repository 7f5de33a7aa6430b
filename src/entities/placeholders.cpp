#include "entities/placeholders.h"

#include "build/session.h"

namespace tessellon {

void SpawnRands(Session&, float, const std::string&) {
    // Placeholders are left for ClearRands to remove until the weighting tables are read.
}

}  // namespace tessellon
