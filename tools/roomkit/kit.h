#pragma once
#include <ostream>
#include <string>
#include <vector>

namespace roomkit {

// Runs `tessellonsdk <args>` (args without the program name): import, export or check.
// Returns the exit status: 0 done, 1 the room or map has problems (named on err), 2 usage.
int RunKit(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

class RoomBuilder;

// The nodes `new` starts a room of `type` with, on a floor at z 0: nine 256 units apart over the
// cell (no spot of the floor further than 160 units from one) and one just inside each doorway,
// where it links with the joined room's.
void AddStarterNodes(RoomBuilder& b, int type);

// Reads a whole file; false when it cannot be opened.
bool ReadFile(const std::string& path, std::string& text);
// Writes through a temporary name so a half-written file never replaces a good one.
bool WriteFileAtomically(const std::string& path, const std::string& text);

}  // namespace roomkit
