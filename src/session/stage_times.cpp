#include "session/stage_times.h"

namespace tessellon {

namespace {
StageTimes* g_active = nullptr;
}

const char* BuildStageName(BuildStage stage) {
    static const char* const kNames[] = {"maze",   "read",  "rotate", "move",  "spawn",
                                         "remove", "names", "ids",    "print", "entities"};
    const int i = static_cast<int>(stage);
    return i >= 0 && i < static_cast<int>(BuildStage::Count) ? kNames[i] : "?";
}

void StageTimes::Install(StageTimes* times) { g_active = times; }
StageTimes* StageTimes::Active() { return g_active; }

}  // namespace tessellon
