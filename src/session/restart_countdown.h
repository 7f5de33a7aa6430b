#pragma once

namespace tessellon {

struct Session;

// A build that gave up because a room left the map is started again after a short countdown.
// ArmRestart sets the countdown going (RestartCount 2, status "... Restart in 2..."); each
// RestartTimerTick counts down one second and returns true when the countdown has run out and
// the create command should run again (RestartCount is then 99: no confirmation).
// The countdown lives here, beside the session it changes, because the room mover arms it
// from deep inside a build; running the create command again is the driver's business.
void ArmRestart(Session& s);
bool RestartTimerTick(Session& s);

}  // namespace tessellon
