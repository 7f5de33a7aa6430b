#include "driver/auto_restart.h"

#include <string>

#include "driver/build_driver.h"
#include "session/report.h"
#include "session/session.h"

namespace tessellon {

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
