#pragma once
// Doubles and helpers for the room pipeline tests: a session over a recording window in its
// own temporary program folder, and small readers for the files it writes.
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "build/session.h"
#include "platform/clock.h"
#include "platform/registry.h"
#include "platform/ui.h"

namespace tessellon::instance_testing {

class RecordingUi final : public Ui {
public:
    std::vector<std::string> statuses;
    std::vector<std::string> boxTexts;
    int yields = 0;
    void SetStatus(const std::string& t) override { statuses.push_back(t); }
    void SetProgress(double, int) override {}
    void Yield() override { ++yields; }
    BoxAnswer MessageBox(const std::string&, const std::string& text, BoxIcon, BoxButtons b) override {
        boxTexts.push_back(text);
        return b == BoxButtons::YesNo ? BoxAnswer::Yes : BoxAnswer::Ok;
    }
    std::optional<std::string> InputBox(const std::string&, const std::string&, const std::string& d) override {
        return d;
    }
    void LockBuildControls(bool) override {}
};

class NoRegistry final : public Registry {
public:
    std::optional<std::string> ReadString(RegistryRoot, const std::string&, const std::string&) override {
        return std::nullopt;
    }
};

class ScratchDir {
public:
    ScratchDir() {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() /
                ("tessellon-instance-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline std::string Slurp(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

inline void Spit(const std::filesystem::path& p, const std::string& content) {
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << content;
}

// Lines of a CRLF file without their endings.
inline std::vector<std::string> FileLines(const std::filesystem::path& p) {
    std::vector<std::string> out;
    std::istringstream in(Slurp(p));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        out.push_back(line);
    }
    return out;
}

struct PipelineSession {
    ScratchDir dir;
    RecordingUi ui;
    FrozenClock clock{ClockTime{2026, 3, 14, 15, 9, 26, 0.5}};
    NoRegistry registry;
    Session s{ui, clock, registry, dir.path()};

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
    std::vector<std::string> Table(const TextTable& t) const {
        std::vector<std::string> out;
        for (int i = 1; i <= t.Head(); ++i) out.push_back(t.Get(static_cast<std::size_t>(i)));
        return out;
    }
};

}  // namespace tessellon::instance_testing
