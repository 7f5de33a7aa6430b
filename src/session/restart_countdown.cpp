#include "session/restart_countdown.h"

#include <string>

#include "session/session.h"

namespace tessellon {

namespace {
std::string CountdownText(int count) { return "Path out of bounds! Restart in " + std::to_string(count) + "..."; }
}  // namespace

void ArmRestart(Session& s) {
    s.RestartCount = 2;
    s.ui.SetStatus(CountdownText(s.RestartCount));
    s.RestartTimerEnabled = true;
    s.RestartTimerInterval = 1000;
}

bool RestartTimerTick(Session& s) {
    if (!s.RestartTimerEnabled) return false;
    s.RestartCount -= 1;
    if (s.RestartCount > 0) {
        s.ui.SetStatus(CountdownText(s.RestartCount));
        return false;
    }
    s.RestartCount = 99;
    s.RestartTimerEnabled = false;
    return true;
}

}  // namespace tessellon
