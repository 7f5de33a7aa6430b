#pragma once
// Shared test doubles: a scripted window, a fake registry, a stepping clock, scratch folders,
// file helpers, a session over them and an in-process command line.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "session/errors.h"
#include "session/session.h"
#include "cli/cli.h"
#include "platform/clock.h"
#include "platform/registry.h"
#include "platform/ui.h"

namespace tessellon::testing {

namespace fs = std::filesystem;

// Records what the core shows and answers from a script.
class ScriptedUi final : public Ui {
public:
    struct Box {
        std::string title, text;
        BoxIcon icon;
        BoxButtons buttons;
    };
    std::vector<std::string> statuses;
    std::vector<bool> lockedAtStatus;
    std::vector<Box> boxes;
    std::vector<int> progressColumns;
    std::vector<std::optional<std::string>> inputAnswers;  // consumed front to back
    BoxAnswer okCancelAnswer = BoxAnswer::Ok;
    int yields = 0;
    std::function<void()> onYield;  // runs inside Yield, like the abort command
    bool locked = false;

    void SetStatus(const std::string& t) override {
        statuses.push_back(t);
        lockedAtStatus.push_back(locked);
    }
    void SetProgress(double, int cols) override { progressColumns.push_back(cols); }
    void Yield() override {
        ++yields;
        if (onYield) onYield();
    }
    BoxAnswer MessageBox(const std::string& title, const std::string& text, BoxIcon icon, BoxButtons buttons) override {
        boxes.push_back({title, text, icon, buttons});
        if (buttons == BoxButtons::OkCancel) return okCancelAnswer;
        return buttons == BoxButtons::YesNo ? BoxAnswer::Yes : BoxAnswer::Ok;
    }
    std::optional<std::string> InputBox(const std::string&, const std::string& title, const std::string&) override {
        boxes.push_back({title, "<input>", BoxIcon::Question, BoxButtons::OkCancel});
        if (inputAnswers.empty()) return std::nullopt;
        auto a = inputAnswers.front();
        inputAnswers.erase(inputAnswers.begin());
        return a;
    }
    void LockBuildControls(bool l) override { locked = l; }
    bool compilePanel = false;
    void ShowCompilePanel(bool shown) override { compilePanel = shown; }
    std::string compileOutput;          // every ShowCompileProgress's new output, joined
    std::vector<CompilerState> vbspStates;  // vbsp's row at every ShowCompileProgress
    void ShowCompileProgress(const CompileReport& r, const std::string& newOutput) override {
        compileOutput += newOutput;
        if (!r.rows.empty()) vbspStates.push_back(r.rows[0].state);
    }
    std::vector<int> levelPlanShows;  // roomsDone of every ShowLevelPlan
    void ShowLevelPlan(const LevelPlan&, int roomsDone) override { levelPlanShows.push_back(roomsDone); }
    bool Saw(const std::string& status) const {
        return std::find(statuses.begin(), statuses.end(), status) != statuses.end();
    }
};

class FakeRegistry final : public Registry {
public:
    std::optional<std::string> decimal;
    std::optional<std::string> ReadString(RegistryRoot, const std::string& key, const std::string& value) override {
        if (key == "Control Panel\\International" && value == "sDecimal") return decimal;
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

// A fresh folder under the system's temp folder, removed afterwards.
class TempDir {
public:
    TempDir() {
        std::random_device rd;
        path_ = fs::temp_directory_path() / ("tessellon-test-" + std::to_string(rd()) + std::to_string(rd()));
        fs::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

inline std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

inline void WriteFile(const fs::path& p, const std::string& content) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary | std::ios::trunc) << content;
}

// Lines of a file without their endings.
inline std::vector<std::string> FileLines(const fs::path& p) {
    std::vector<std::string> out;
    std::istringstream in(ReadFile(p));
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        out.push_back(line);
    }
    return out;
}

inline bool Contains(const std::vector<std::string>& lines, const std::string& needle) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(needle) != std::string::npos; });
}

inline std::string SourceFile(const std::string& relative) { return std::string(TESSELLON_SOURCE_DIR) + "/tests/data/" + relative; }

// Copies the small set of test rooms into folder/rooms.
inline void InstallTestRooms(const fs::path& folder) {
    fs::create_directories(folder / "rooms");
    for (const auto& e : fs::directory_iterator(SourceFile("rooms")))
        if (e.path().extension() == ".rgr") fs::copy_file(e.path(), folder / "rooms" / e.path().filename());
}

// A session over scripted seams with a frozen clock, in its own temp folder unless a program
// folder is given; a seed ticks the custom seed box.
struct TestSession {
    explicit TestSession(std::optional<fs::path> folder = {}, const std::string& seed = "")
        : home(folder ? *folder : dir.path()) {
        if (!seed.empty()) {
            s.settings.CustomSeed = CheckState::Ticked;
            s.settings.CustomSeedBox = seed;
        }
    }
    TempDir dir;
    fs::path home;
    ScriptedUi ui;
    FrozenClock clock{ClockTime{2026, 3, 14, 15, 9, 26, 0.5}};
    FakeRegistry registry;
    Session s{ui, clock, registry, home};

    fs::path LogPath() const { return home / "vorniclog 14-15-9.log"; }
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

// The message a call ends the program or the build with; empty when it returns.
inline std::string FailureOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const ProgramEnd& e) {
        return e.Message();
    } catch (const BuildFailure& e) {
        return e.what();
    }
    return "";
}

struct CliRun {
    int code;
    std::string out, err;
};

inline CliRun Cli(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int code = RunCli(args, out, err);
    return {code, out.str(), err.str()};
}

}  // namespace tessellon::testing
