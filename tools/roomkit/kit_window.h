#pragma once
#include <string>
#include <vector>

namespace roomkit {

// The kit's own window, for when it is started without a command (as the room manager starts
// it): new, import, export and check on files chosen in a file dialog, the findings shown in
// the window. `args` are the window's own options:
//   --run COMMAND ARGS...   run one kit command in the window at once (no dialog)
//   --close-after SECONDS   close the window after that long
//   --print                 write the window's text to standard output when it closes
// Returns the exit status; 2 without a display.
int RunKitWindow(const std::vector<std::string>& args);

}  // namespace roomkit
