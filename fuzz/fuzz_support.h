#pragma once
// What the fuzz targets share: a scratch folder of their own under the system's temp folder,
// made on first use and removed when the process ends, and quiet stand-ins for the window, the
// clock and the registry.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "platform/registry.h"
#include "platform/ui.h"

namespace tessellon::fuzzing {

namespace fs = std::filesystem;

inline fs::path& ScratchPath() {
    static fs::path path;
    return path;
}

inline void RemoveScratch() {
    std::error_code ec;
    if (!ScratchPath().empty()) fs::remove_all(ScratchPath(), ec);
}

// The one folder a target may write in.
inline const fs::path& Scratch() {
    fs::path& path = ScratchPath();
    if (path.empty()) {
        std::random_device rd;
        path = fs::temp_directory_path() / ("tessellon-fuzz-" + std::to_string(rd()) + std::to_string(rd()));
        fs::create_directories(path);
        std::atexit(RemoveScratch);
    }
    return path;
}

inline void WriteBytes(const fs::path& file, std::string_view bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

class QuietUi final : public Ui {
public:
    void SetStatus(const std::string&) override {}
    void SetProgress(double, int) override {}
    void Yield() override {}
    BoxAnswer MessageBox(const std::string&, const std::string&, BoxIcon, BoxButtons buttons) override {
        return buttons == BoxButtons::YesNo ? BoxAnswer::Yes : BoxAnswer::Ok;
    }
    std::optional<std::string> InputBox(const std::string&, const std::string&, const std::string&) override {
        return std::nullopt;
    }
    void LockBuildControls(bool) override {}
};

class FixedClock final : public Clock {
public:
    ClockTime Now() override { return {2026, 12, 7, 6, 30, 0, 0.0}; }
};

class EmptyRegistry final : public Registry {
public:
    std::optional<std::string> ReadString(RegistryRoot, const std::string&, const std::string&) override {
        return std::nullopt;
    }
};

}  // namespace tessellon::fuzzing
