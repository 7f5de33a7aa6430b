#include "instance/room_body.h"

#include <cstring>
#include <string_view>

#include "session/errors.h"
#include "platform/whole_file.h"

namespace tessellon {

RoomBody ReadRoomBody(const std::filesystem::path& path) {
    // The whole file at once, cut at its line ends (a last line without one still counts).
    RoomBody body;
    switch (ReadWholeFile(path, body.text_)) {
    case WholeFileRead::CannotOpen: throw BuildFailure("the file cannot be opened.");
    case WholeFileRead::CannotRead: throw BuildFailure("the file cannot be read.");
    case WholeFileRead::Done: break;
    }
    const std::string& text = body.text_;
    int lineNumber = 0;
    for (std::size_t from = 0; from < text.size();) {
        const void* newline = std::memchr(text.data() + from, '\n', text.size() - from);
        const std::size_t end =
            newline ? static_cast<std::size_t>(static_cast<const char*>(newline) - text.data()) : text.size();
        std::string_view line(text.data() + from, end - from);
        from = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (lineNumber <= kRoomHeaderLines) continue;
        if (line == kEndMarker) {
            body.endLine = lineNumber;
            body.places_.shrink_to_fit();
            return body;
        }
        // The end marker itself must still find a place in RoomLines.
        if (lineNumber >= kRoomLinesCapacity)
            throw BuildFailure("the room body is longer than " + std::to_string(kRoomLinesCapacity) +
                               " lines (the size of RoomLines).");
        body.places_.push_back(
            {static_cast<std::uint32_t>(line.data() - text.data()), static_cast<std::uint32_t>(line.size())});
    }
    if (lineNumber < kRoomHeaderLines)
        throw BuildFailure("the file ends inside its header (" + std::to_string(lineNumber) + " of " +
                           std::to_string(kRoomHeaderLines) + " lines).");
    throw BuildFailure("the room body has no end marker " + kEndMarker + ".");
}

std::vector<std::string> RoomBody::Lines() const {
    std::vector<std::string> out;
    out.reserve(LineCount());
    for (std::size_t k = 0; k < LineCount(); ++k) out.emplace_back(Line(k));
    return out;
}

const RoomBody& RoomBodyCache::Get(const std::string& path) {
    auto it = bodies_.find(path);
    if (it != bodies_.end()) return it->second;
    RoomBody body = ReadRoomBody(path);
    ++reads_;
    return bodies_.emplace(path, std::move(body)).first->second;
}

void RoomBodyCache::Used(const std::string& path) {
    const auto it = uses_.find(path);
    if (it == uses_.end()) return;
    if (--it->second <= 0) {
        uses_.erase(it);
        bodies_.erase(path);
    }
}

}  // namespace tessellon
