#pragma once

namespace tessellon {

struct Session;

// A build that gave up because a room left the map is started again after a short countdown.
// ArmRestart sets the countdown going (RestartCount 2, status "... Restart in 2..."); each
// RestartTimerTick counts down one second and returns true when the countdown has run out and
// the create command should run again (RestartCount is then 99: no confirmation).
void ArmRestart(Session& s);
bool RestartTimerTick(Session& s);

}  // namespace tessellon
