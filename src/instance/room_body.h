#pragma once
#include <filesystem>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "rooms/catalogue.h"
#include "session/room_format.h"

namespace tessellon {

// The body of a room file as read once: Line(k) is file line 22 + k, up to the line before
// the end marker; endLine is the end marker's line number. The text is kept in one buffer with
// the lines' places beside it: a level's distinct rooms stay in memory for the whole build, and
// a string per line would cost three times as much.
class RoomBody {
public:
    std::size_t LineCount() const { return places_.size(); }
    std::string_view Line(std::size_t k) const { return {text_.data() + places_[k].from, places_[k].size}; }
    // Every line, as separate strings (for readers that take them so).
    std::vector<std::string> Lines() const;

    int endLine = 0;

private:
    friend RoomBody ReadRoomBody(const std::filesystem::path& path);
    struct Place {
        std::uint32_t from, size;
    };
    std::string text_;
    std::vector<Place> places_;
};

// Reads a room file's body. Throws BuildFailure (without the file name, which the caller
// adds) when the file cannot be read, has no end marker or does not fit in RoomLines.
RoomBody ReadRoomBody(const std::filesystem::path& path);

// Parsed room bodies of the current build, keyed by path: the same room placed several
// times in a level is read from disk once. Emptied at the start of every build, so edits
// to room files between builds are seen. A room whose placements were announced
// (ExpectUse) is let go after the last of them, so a level holds only the rooms still to come.
class RoomBodyCache {
public:
    const RoomBody& Get(const std::string& path);
    // One more placement of the room at `path` is to come in this build.
    void ExpectUse(const std::string& path) { ++uses_[path]; }
    // A placement of the room at `path` is done with its body (got with Get): the body goes
    // when no announced placement is left. Bodies never announced stay until Clear.
    void Used(const std::string& path);
    void Clear() {
        bodies_.clear();
        uses_.clear();
        reads_ = 0;
    }
    std::size_t Size() const { return bodies_.size(); }
    int Reads() const { return reads_; }  // files read since the last Clear

private:
    std::unordered_map<std::string, RoomBody> bodies_;
    std::unordered_map<std::string, int> uses_;
    int reads_ = 0;
};

}  // namespace tessellon
