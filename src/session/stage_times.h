#pragma once
// Optional timing of a build's stages, for the benchmarks. Nothing is measured (and nothing
// about the build changes) unless a caller installs a StageTimes with StageTimes::Install.
#include <array>
#include <chrono>

namespace tessellon {

enum class BuildStage : int {
    Maze,      // room count, maze lines and room choice
    Read,      // GetReady: the room body into RoomLines
    Rotate,    // GetReady: quarter turns
    Move,      // GetReady: the offset
    Spawn,     // GetReady: placeholders resolved
    Remove,    // GetReady: placeholders and skipped lights removed
    Names,     // GetReady: entity names made unique
    Ids,       // GetReady: ids renumbered
    Print,     // GetReady: world part printed, entity part collected
    Entities,  // the level's entity part written and the file named
    Count
};

const char* BuildStageName(BuildStage stage);

struct StageTimes {
    std::array<double, static_cast<int>(BuildStage::Count)> seconds{};

    double& operator[](BuildStage stage) { return seconds[static_cast<std::size_t>(stage)]; }
    double operator[](BuildStage stage) const { return seconds[static_cast<std::size_t>(stage)]; }
    void Clear() { seconds.fill(0); }

    // The times builds add to from now on (nullptr stops the timing).
    static void Install(StageTimes* times);
    static StageTimes* Active();
};

// Adds the time from construction to destruction to one stage of the installed StageTimes.
class StageTimer {
public:
    explicit StageTimer(BuildStage stage) : times_(StageTimes::Active()), stage_(stage) {
        if (times_) start_ = std::chrono::steady_clock::now();
    }
    ~StageTimer() {
        if (times_)
            (*times_)[stage_] += std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }
    StageTimer(const StageTimer&) = delete;
    StageTimer& operator=(const StageTimer&) = delete;

private:
    StageTimes* times_;
    BuildStage stage_;
    std::chrono::steady_clock::time_point start_{};
};

}  // namespace tessellon
