#pragma once
#include <functional>

#include "session/restart_countdown.h"

namespace tessellon {

struct Session;
enum class CreateOutcome;

constexpr int kMaxAutomaticRestarts = 20;

struct RestartReport {
    CreateOutcome outcome;
    int restarts = 0;
    bool gaveUp = false;  // the level still left the map after the last allowed restart
};

// Runs the create command and, for as long as a build ends by arming the restart, counts the
// countdown down (wait(ms) between ticks, yielding so an abort is seen) and runs it again.
// Gives up after maxRestarts restarts so a level that never fits cannot loop unseen.
RestartReport RunWithAutomaticRestart(Session& s, const std::function<CreateOutcome()>& create,
                                      const std::function<void(int)>& wait, int maxRestarts = kMaxAutomaticRestarts);

}  // namespace tessellon
