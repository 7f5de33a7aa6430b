#pragma once
#include <string>

namespace tessellon {

struct Session;

enum class CreateOutcome {
    Cancelled,  // the user said no at the confirmation, or the options cannot start a build
    Finished,   // the level file has its final name
    Aborted,    // BuildAborted stopped the build; no new level file was named
};

// The create command: confirmation, control lock, CreateMap, unlock.
CreateOutcome RunCreateCommand(Session& s);

// The abort command: only sets the flag that the build tests at its check points.
void AbortBuild(Session& s);

// One build from the room catalogue to a named level file. Returns false when the build
// was stopped by BuildAborted.
bool CreateMap(Session& s);

// The 40 head lines of a level file, as handed to the writer (text, depth).
struct HeadLine {
    const char* text;
    int depth;
};
void WriteLevelHead(Session& s, const std::string& skyName);

}  // namespace tessellon
