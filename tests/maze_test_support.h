#pragma once
// A scripted window for the maze, room and room-choice tests: it records what the core shows
// and answers every box with OK.
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <memory>
#include <string>
#include <vector>

#include "build/session.h"
#include "platform/clock.h"
#include "platform/registry.h"
#include "platform/ui.h"

namespace tessellon::testing_support {

class RecordingUi final : public Ui {
public:
    void SetStatus(const std::string& text) override { status.push_back(text); }
    void SetProgress(double percent, int) override { lastProgress = percent; }
    void Yield() override {
        ++yields;
        if (onYield) onYield();
    }
    BoxAnswer MessageBox(const std::string& title, const std::string& text, BoxIcon, BoxButtons buttons) override {
        boxes.push_back(title + ": " + text);
        return buttons == BoxButtons::YesNo ? BoxAnswer::Yes : BoxAnswer::Ok;
    }
    std::optional<std::string> InputBox(const std::string&, const std::string&, const std::string& d) override {
        return d;
    }
    void LockBuildControls(bool) override {}

    std::vector<std::string> status;
    std::vector<std::string> boxes;
    double lastProgress = 0;
    int yields = 0;
    std::function<void()> onYield;
};

class NoRegistry final : public Registry {
public:
    std::optional<std::string> ReadString(RegistryRoot, const std::string&, const std::string&) override {
        return std::nullopt;
    }
};

// A clock that moves on by a fixed step at every reading: repeatable, yet never the same
// moment twice.
class SteppingClock final : public Clock {
public:
    explicit SteppingClock(double stepSeconds = 0.0137) : step_(stepSeconds) {}
    ClockTime Now() override {
        seconds_ += step_;
        ClockTime t{2026, 12, 5, 0, 0, 0, 0};
        const double whole = static_cast<double>(static_cast<long long>(seconds_));
        const long long sec = static_cast<long long>(whole) % 86400;
        t.hour = static_cast<int>(sec / 3600);
        t.minute = static_cast<int>(sec / 60 % 60);
        t.second = static_cast<int>(sec % 60);
        t.fraction = seconds_ - whole;
        return t;
    }

private:
    double step_;
    double seconds_ = 10 * 3600;
};

// A session with a frozen clock and a ticked custom seed over a scratch program folder.
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

// A fresh, empty folder under the system's temporary folder, removed at the end of the test.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& name) {
        path_ = std::filesystem::temp_directory_path() / ("tessellon-" + name + "-" + std::to_string(::getpid()));
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

}  // namespace tessellon::testing_support
