#pragma once
#include <ostream>
#include <string>
#include <vector>

namespace roomkit {

// Runs `tessellonsdk <args>` (args without the program name): import, export or check.
// Returns the exit status: 0 done, 1 the room or map has problems (named on err), 2 usage.
int RunKit(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// Reads a whole file; false when it cannot be opened.
bool ReadFile(const std::string& path, std::string& text);
// Writes through a temporary name so a half-written file never replaces a good one.
bool WriteFileAtomically(const std::string& path, const std::string& text);

}  // namespace roomkit
