#pragma once
// Test doubles for the maze, room and room-choice tests: a window that records what it is
// shown and answers every box with OK, clocks, and scratch program folders.
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "build/session.h"

namespace tessellon::testing_support {

class RecordingUi final : public Ui {
public:
    void SetStatus(const std::string& text) override { status.push_back(text); }
    void SetProgress(double, int) override {}
    void Yield() override {}
    BoxAnswer MessageBox(const std::string& title, const std::string& text, BoxIcon, BoxButtons b) override {
        boxes.push_back(title + ": " + text);
        return b == BoxButtons::YesNo ? BoxAnswer::Yes : BoxAnswer::Ok;
    }
    std::optional<std::string> InputBox(const std::string&, const std::string&, const std::string& d) override {
        return d;
    }
    void LockBuildControls(bool) override {}

    std::vector<std::string> status, boxes;
};

class NoRegistry final : public Registry {
public:
    std::optional<std::string> ReadString(RegistryRoot, const std::string&, const std::string&) override {
        return std::nullopt;
    }
};

// Moves on by a fixed step at every reading: repeatable, yet never the same moment twice.
class SteppingClock final : public Clock {
public:
    ClockTime Now() override {
        seconds_ += 0.0137;
        const auto whole = static_cast<long long>(seconds_);
        return {2026, 12, 5, static_cast<int>(whole / 3600 % 24), static_cast<int>(whole / 60 % 60),
                static_cast<int>(whole % 60), seconds_ - static_cast<double>(whole)};
    }

private:
    double seconds_ = 10 * 3600;
};

// A session with a frozen clock and a ticked custom seed over a program folder.
struct TestSession {
    explicit TestSession(const std::filesystem::path& home, const std::string& seed = "7")
        : clock(ClockTime{2026, 12, 5, 12, 30, 15, 0.25}), session(std::make_unique<Session>(ui, clock, registry, home)) {
        session->settings.CustomSeed = CheckState::Ticked;
        session->settings.CustomSeedBox = seed;
    }
    Session& operator*() { return *session; }
    Session* operator->() { return session.get(); }

    RecordingUi ui;
    FrozenClock clock;
    NoRegistry registry;
    std::unique_ptr<Session> session;
};

// A fresh folder under the system's temporary folder, removed at the end of the test.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& name)
        : path_(std::filesystem::temp_directory_path() / ("tessellon-" + name + "-" + std::to_string(::getpid()))) {
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

// The committed test rooms, copied into home/rooms.
inline void CopyTestRooms(const std::filesystem::path& home) {
    namespace fs = std::filesystem;
    fs::create_directories(home / "rooms");
    for (const auto& e : fs::directory_iterator(fs::path(TESSELLON_SOURCE_DIR) / "tests/data/rooms"))
        if (e.path().extension() == ".rgr") fs::copy_file(e.path(), home / "rooms" / e.path().filename());
}

}  // namespace tessellon::testing_support
