#pragma once
#include <filesystem>
#include <string>
#include <unordered_map>
#include <vector>

#include "rooms/catalogue.h"
#include "session/room_format.h"

namespace tessellon {

// The body of a room file as read once: lines[k] is file line 22 + k, up to the line before
// the end marker; endLine is the end marker's line number.
struct RoomBody {
    std::vector<std::string> lines;
    int endLine = 0;
};

// Reads a room file's body. Throws BuildFailure (without the file name, which the caller
// adds) when the file cannot be read, has no end marker or does not fit in RoomLines.
RoomBody ReadRoomBody(const std::filesystem::path& path);

// Parsed room bodies of the current build, keyed by path: the same room placed several
// times in a level is read from disk once. Emptied at the start of every build, so edits
// to room files between builds are seen.
class RoomBodyCache {
public:
    const RoomBody& Get(const std::string& path);
    void Clear() {
        bodies_.clear();
        reads_ = 0;
    }
    std::size_t Size() const { return bodies_.size(); }
    int Reads() const { return reads_; }  // files read since the last Clear

private:
    std::unordered_map<std::string, RoomBody> bodies_;
    int reads_ = 0;
};

}  // namespace tessellon
