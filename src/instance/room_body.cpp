#include "instance/room_body.h"

#include <fstream>

#include "driver/errors.h"

namespace tessellon {

const char* const kWorldEndMarker = "/\\/worldend\\/\\";
const char* const kEndMarker = "/\\/EOF\\/\\";

RoomBody ReadRoomBody(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw BuildFailure("the file cannot be opened.");
    RoomBody body;
    std::string line;
    int lineNumber = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (lineNumber <= kRoomHeaderLines) continue;
        if (line == kEndMarker) {
            body.endLine = lineNumber;
            return body;
        }
        // The end marker itself must still find a place in RoomLines.
        if (lineNumber >= kRoomLinesCapacity)
            throw BuildFailure("the room body is longer than " + std::to_string(kRoomLinesCapacity) +
                               " lines (the size of RoomLines).");
        body.lines.push_back(line);
    }
    if (lineNumber < kRoomHeaderLines)
        throw BuildFailure("the file ends inside its header (" + std::to_string(lineNumber) + " of " +
                           std::to_string(kRoomHeaderLines) + " lines).");
    throw BuildFailure(std::string("the room body has no end marker ") + kEndMarker + ".");
}

const RoomBody& RoomBodyCache::Get(const std::string& path) {
    auto it = bodies_.find(path);
    if (it != bodies_.end()) return it->second;
    RoomBody body = ReadRoomBody(path);
    ++reads_;
    return bodies_.emplace(path, std::move(body)).first->second;
}

}  // namespace tessellon
