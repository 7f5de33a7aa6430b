#pragma once
#include <string>
#include <vector>

#include "roomkit/room_file.h"

namespace roomkit {

// Validates a room file given as its lines: the header, the structure of the body and its
// markers, the connection markers against the header, and the shell of the room: every
// open side a doorway, every closed side a full wall, floor and ceiling closed, nothing
// outside the cell. Returns every problem found, in line order.
std::vector<Issue> CheckRoom(const std::vector<std::string>& lines);

// "FILE:LINE: message" lines for a list of issues.
std::string FormatIssues(const std::string& file, const std::vector<Issue>& issues);

}  // namespace roomkit
