#pragma once
#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "session/compile_report.h"
#include "session/compile_setup.h"
#include "session/level_plan.h"
#include "session/level_writer.h"
#include "session/room_format.h"
#include "session/settings.h"
#include "session/text_table.h"
#include "entities/entity_output.h"
#include "instance/name_fixer.h"
#include "instance/room_body.h"
#include "maze/maze_line.h"
#include "maze/random_source.h"
#include "maze/room_links.h"
#include "platform/clock.h"
#include "platform/process_runner.h"
#include "platform/registry.h"
#include "platform/ui.h"
#include "rooms/catalogue.h"

namespace tessellon {

struct WeightTables;

// The clock readings the random source is re-seeded from during one build, kept for the level's
// record (level1.txt). A replay hands the recorded readings back in the same order instead of
// reading the clock, and starts the generator from the recorded state.
struct SeedReadings {
    std::uint32_t startState = 0;     // the generator's state when the build began
    std::vector<ClockTime> taken;     // this build's readings, in order
    bool replaying = false;
    std::uint32_t replayState = 0;
    std::vector<ClockTime> replay;    // the readings to hand back
    std::size_t next = 0;
};

struct LogState {
    bool opened = false;
    std::filesystem::path path;
    std::ofstream file;
};

// Everything a build shares: the option values, the platform seams and the tables the
// modules read and append to. The window (or the headless front end) owns one and passes
// it down; nothing in the core keeps state of its own.
struct Session {
    Session(Ui& ui, Clock& clock, Registry& registry, std::filesystem::path programFolder)
        : ui(ui), clock(clock), registry(registry), programFolder(std::move(programFolder)) {
        writer.SetFolder(this->programFolder);
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    Ui& ui;
    Clock& clock;
    Registry& registry;
    std::filesystem::path programFolder;

    BuildSettings settings;
    RandomSource random;
    SeedReadings seedReadings;
    std::string DecimalSymbol = ".";

    LogState log;
    float StepStart = 0;
    LevelWriter writer;

    bool BuildAborted = false;
    int RestartCount = 0;
    // The automatic restart's countdown timer (ticks every RestartTimerInterval ms).
    bool RestartTimerEnabled = false;
    int RestartTimerInterval = 1000;
    bool RoomTestMode = false;
    // The file of the room under test while RoomTestMode is on.
    std::string RoomTestFile;
    // Programs started without waiting (the room kit), kept so they are reaped once they end.
    std::vector<std::unique_ptr<ChildProcess>> StartedPrograms;

    // Every room file's header and path, filled by Categorize.
    Catalogue RoomCatalogue;
    // Who hangs on whom in the level's maze, filled by MapDirection.
    RoomLinkTable DirList;
    // The maze test's occupancy grid (and the developer preview drawing).
    MazeGrid Surf;
    // The maze phase's decisions for each level: Plans[L] for L = 1..level count
    // (Plans[0] unused). Rebuilt at every build; read by room generation.
    std::vector<LevelPlan> Plans;
    // The room count of the level being built: N while the maze is laid out, N + 1 (the
    // start room included) while its rooms are generated.
    int LevelRoomCount = 0;

    // Room pipeline tables.
    TextTable RoomLines{"RoomLines", kRoomLinesCapacity};
    TextTable WorldInsertLines{"WorldInsertLines", 10000};
    TextTable EntityLines{"EntityLines", 40000};

    // Connection points by (room 0..100, side 0..4 north..west, coordinate 1 X, 2 Y, 3 Z);
    // element (0, 0, 0) is the number of the room being placed.
    using DoorPointTable = std::array<std::array<std::array<double, 4>, 5>, 101>;
    DoorPointTable DoorPoints{};

    // The weighted name lottery of placeholder resolution.
    ShareListTable ShareList;

    // Entity names of the room being placed, and how many new names the level has given out.
    NameListTable NameList;
    int NameCounter = 0;

    // Room bodies read during this build, so a room placed twice is read once.
    RoomBodyCache RoomBodies;

    // The sun of the chosen time and place, recomputed by CalcSunAngle whenever the clock,
    // moon, season or map changes; a build only reads them.
    float SunElevation = 0;
    float SunYaw = 0;
    float MoonLight = 0;

    // One flag per gundata.ini row (1..100): the player has been given that weapon in the
    // level being built. Cleared before the rooms of each level.
    std::array<bool, 101> OwnedWeapons{};
    // The three weighting tables, read at the first placeholder of a build that needs them
    // and dropped when the next build starts.
    std::shared_ptr<const WeightTables> LoadedWeightTables;

    // The chosen Steam account folder; every game and compiler path is built from it.
    std::string HL2Path;
    // The compile: how compilers and the game are started, and the panel's state. The abort
    // command sets both flags; the runner clears StopCompiler when it starts a process.
    CompileSetup compile;
    ProcessRunner* processes = &SystemProcessRunner();
    bool CompileAborted = false;
    bool StopCompiler = false;
    // The compile panel's RunMapCheck: set from the options' RunMapCheck when the compile
    // starts; the window writes it while the compilers run.
    bool CompileRunMapCheck = false;
    // What the last compile of a create command came to (empty when it did not compile).
    std::optional<CompileOutcome> LastCompile;
    // The last compile as the compile panel shows it: rows, problems, where things went.
    CompileReport compileReport;
};

}  // namespace tessellon
