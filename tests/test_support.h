#pragma once
#include <filesystem>
#include <functional>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "build/session.h"
#include "platform/clock.h"
#include "platform/registry.h"
#include "platform/ui.h"

namespace tessellon::testing {

// Records what the core shows and answers from a script.
class ScriptedUi final : public Ui {
public:
    struct Box {
        std::string title, text;
        BoxIcon icon;
        BoxButtons buttons;
    };
    std::vector<std::string> statuses;
    std::vector<Box> boxes;
    std::vector<int> progressColumns;
    std::vector<std::optional<std::string>> inputAnswers;  // consumed front to back
    BoxAnswer okCancelAnswer = BoxAnswer::Ok;
    BoxAnswer yesNoAnswer = BoxAnswer::Yes;
    int yields = 0;
    std::function<void()> onYield;  // runs inside Yield, like the abort command
    bool locked = false;

    void SetStatus(const std::string& t) override {
        statuses.push_back(t);
        lockedAtStatus.push_back(locked);
    }
    std::vector<bool> lockedAtStatus;
    void SetProgress(double, int cols) override { progressColumns.push_back(cols); }
    void Yield() override {
        ++yields;
        if (onYield) onYield();
    }
    BoxAnswer MessageBox(const std::string& title, const std::string& text, BoxIcon icon,
                         BoxButtons buttons) override {
        boxes.push_back({title, text, icon, buttons});
        if (buttons == BoxButtons::OkCancel) return okCancelAnswer;
        if (buttons == BoxButtons::YesNo) return yesNoAnswer;
        return BoxAnswer::Ok;
    }
    std::optional<std::string> InputBox(const std::string&, const std::string& title,
                                        const std::string&) override {
        boxes.push_back({title, "<input>", BoxIcon::Question, BoxButtons::OkCancel});
        if (inputAnswers.empty()) return std::nullopt;
        auto a = inputAnswers.front();
        inputAnswers.erase(inputAnswers.begin());
        return a;
    }
    void LockBuildControls(bool l) override { locked = l; }
};

class FakeRegistry final : public Registry {
public:
    std::optional<std::string> decimal;
    std::optional<std::string> ReadString(RegistryRoot, const std::string& key, const std::string& value) override {
        if (key == "Control Panel\\International" && value == "sDecimal") return decimal;
        return std::nullopt;
    }
};

// A fresh folder under the system's temp folder, removed afterwards.
class TempDir {
public:
    TempDir() {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() / ("tessellon-test-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline std::string ReadFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

inline void WriteFile(const std::filesystem::path& p, const std::string& content) {
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << content;
}

// Copies the small set of test rooms into folder/rooms.
inline void InstallTestRooms(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder / "rooms");
    for (const auto& e : std::filesystem::directory_iterator(std::filesystem::path(TESSELLON_SOURCE_DIR) / "tests/data/rooms"))
        if (e.path().extension() == ".rgr") std::filesystem::copy_file(e.path(), folder / "rooms" / e.path().filename());
}

// A session over scripted seams in its own temp folder, with a frozen clock.
struct TestSession {
    TempDir dir;
    ScriptedUi ui;
    FrozenClock clock{ClockTime{2026, 3, 14, 15, 9, 26, 0.5}};
    FakeRegistry registry;
    Session s{ui, clock, registry, dir.path()};
};

}  // namespace tessellon::testing
