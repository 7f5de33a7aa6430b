#pragma once
#include <functional>

namespace tessellon {

struct Session;
enum class CreateOutcome;

// A build that gave up because a room left the map is started again after a short countdown.
// ArmRestart sets the countdown going (RestartCount 2, status "... Restart in 2..."); each
// RestartTimerTick counts down one second and returns true when the countdown has run out and
// the create command should run again (RestartCount is then 99: no confirmation).
void ArmRestart(Session& s);
bool RestartTimerTick(Session& s);

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
                                      const std::function<void(int)>& wait,
                                      int maxRestarts = kMaxAutomaticRestarts);

}  // namespace tessellon
