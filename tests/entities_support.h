#pragma once
// Seams and folders for the entities tests: a session over a scripted window, a frozen
// clock and its own program folder.
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "build/session.h"
#include "platform/clock.h"
#include "platform/registry.h"
#include "platform/ui.h"

namespace tessellon::entities_test {

class RecordingUi final : public Ui {
public:
    std::vector<std::string> statuses;
    std::vector<std::string> boxTexts;
    void SetStatus(const std::string& t) override { statuses.push_back(t); }
    void SetProgress(double, int) override {}
    void Yield() override {}
    BoxAnswer MessageBox(const std::string&, const std::string& text, BoxIcon, BoxButtons buttons) override {
        boxTexts.push_back(text);
        return buttons == BoxButtons::YesNo ? BoxAnswer::Yes : BoxAnswer::Ok;
    }
    std::optional<std::string> InputBox(const std::string&, const std::string&, const std::string&) override {
        return std::nullopt;
    }
    void LockBuildControls(bool) override {}
};

class NoRegistry final : public Registry {
public:
    std::optional<std::string> ReadString(RegistryRoot, const std::string&, const std::string&) override {
        return std::nullopt;
    }
};

class ScratchFolder {
public:
    ScratchFolder() {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() /
                ("tessellon-entities-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline void WriteText(const std::filesystem::path& p, const std::string& content) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << content;
}

struct EntitySession {
    ScratchFolder folder;
    RecordingUi ui;
    FrozenClock clock{ClockTime{2026, 12, 5, 23, 50, 12, 0.25}};
    NoRegistry registry;
    Session s{ui, clock, registry, folder.path()};
};

}  // namespace tessellon::entities_test
