#include "driver/auto_restart.h"

#include <string>

#include "driver/build_driver.h"
#include "driver/report.h"
#include "driver/session.h"

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

RestartReport RunWithAutomaticRestart(Session& s, const std::function<CreateOutcome()>& create,
                                      const std::function<void(int)>& wait, int maxRestarts) {
    RestartReport report{create()};
    while (report.outcome == CreateOutcome::Aborted && s.RestartTimerEnabled) {
        if (report.restarts >= maxRestarts) {
            s.RestartTimerEnabled = false;
            report.gaveUp = true;
            Log(s, "The level left the map's bounds after " + std::to_string(maxRestarts) +
                       " automatic restarts; giving up.");
            return report;
        }
        bool expired = false;
        while (!expired) {
            wait(s.RestartTimerInterval);
            s.ui.Yield();
            // The abort command during the countdown stops the restart as well.
            if (s.BuildAborted) {
                s.RestartTimerEnabled = false;
                s.BuildAborted = false;
                return report;
            }
            expired = RestartTimerTick(s);
        }
        report.restarts += 1;
        Log(s, "Automatic restart " + std::to_string(report.restarts) + " of at most " + std::to_string(maxRestarts) +
                   "...");
        report.outcome = create();
    }
    return report;
}

}  // namespace tessellon
