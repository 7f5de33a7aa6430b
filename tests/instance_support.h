#pragma once
// Helpers for the room pipeline tests: a test session with RoomLines loaded the way the
// reader fills it, and readers for the files it writes.
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "test_support.h"

namespace tessellon::instance_testing {

using testing::ReadFile;
using testing::WriteFile;

// Lines of a CRLF file without their endings.
inline std::vector<std::string> FileLines(const std::filesystem::path& p) {
    std::vector<std::string> out;
    std::istringstream in(ReadFile(p));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        out.push_back(line);
    }
    return out;
}

struct PipelineSession : testing::TestSession {
    // The program folder as shipped: rooms with placeholders need the weighting tables.
    PipelineSession() {
        for (const char* table : {"itemdata.ini", "gundata.ini", "npcdata.ini"})
            std::filesystem::copy_file(std::filesystem::path(TESSELLON_SOURCE_DIR) / "data" / table, s.programFolder / table);
    }
    // Puts lines into RoomLines from element 22 on, as the reader does, with element 0 one
    // past the last line.
    void LoadRoom(const std::vector<std::string>& body) {
        s.RoomLines.Clear();
        int i = 22;
        for (const auto& l : body) s.RoomLines.At(static_cast<std::size_t>(i++)) = l;
        s.RoomLines.SetHead(i);
    }
    std::vector<std::string> RoomBody() const {
        std::vector<std::string> out;
        for (int i = 22; i < s.RoomLines.Head(); ++i) out.push_back(s.RoomLines.Get(static_cast<std::size_t>(i)));
        return out;
    }
    static std::vector<std::string> Table(const TextTable& t) {
        std::vector<std::string> out;
        for (int i = 1; i <= t.Head(); ++i) out.push_back(t.Get(static_cast<std::size_t>(i)));
        return out;
    }
};

}  // namespace tessellon::instance_testing
