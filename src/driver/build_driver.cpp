#include "driver/build_driver.h"

#include <optional>
#include <vector>

#include "driver/compile_pipeline.h"
#include "driver/level_record.h"
#include "session/errors.h"
#include "session/report.h"
#include "driver/room_choice.h"
#include "driver/room_generation.h"
#include "session/session.h"
#include "session/stage_times.h"
#include "entities/sky.h"
#include "entities/weight_tables.h"
#include "instance/name_fixer.h"
#include "session/text_helpers.h"

namespace tessellon {

namespace {

const char* const kTestModeNote =
    "Note that you are in room test mode. One of your rooms have disabled the other rooms in it's "
    "type, that means that the room selected as testing will be the only one showing up. To reset "
    "this, press the restore button in the room manager.";

void Yield(Session& s) { s.ui.Yield(); }

// Phase 1: every shared table of the previous build is emptied, and a working file left
// open by an interrupted build is closed.
void ResetTables(Session& s) {
    // The weighting tables are read afresh by every build, so edits between builds count.
    ForgetWeightTables(s);

    s.RoomLines.Clear();
    s.WorldInsertLines.Clear();
    ClearNameList(s);
    s.EntityLines.Clear();
    ShareList_Clear(s);
    s.DirList.Clear();
    s.Plans.clear();
    // Room files are read afresh by every build; within it each is read once.
    s.RoomBodies.Clear();
    s.writer.PrintToFile(std::string(), 0, true);
}

// Phase 3: the level's room count from the map size and a random size factor.
int DrawRoomCount(Session& s) {
    Log(s, "Randomizing Levels...");
    Yield(s);
    Log(s, "Randomizing levels...", false, true);
    Randa(s);
    const double r = s.random.Draw();
    const double sizeFactor = r / 2 - 0.25 + 1;
    return static_cast<int>(RoundHalfEven(s.settings.MapSize * sizeFactor));
}

bool CreateMapPhases(Session& s) {
    ResetTables(s);
    BeginSeedReadings(s);

    // Phase 2: the index is built afresh from the catalogue as it is now.
    const RoomIndex index = BuildRoomIndex(s);

    const int levelCount = 1;
    std::vector<int> levelLengths(levelCount + 1, 0);
    std::optional<StageTimer> mazeTimer(BuildStage::Maze);
    levelLengths[1] = DrawRoomCount(s);

    // Phase 4: a maze line and a turned room for every cell of it, per level.
    s.Plans.assign(levelCount + 1, LevelPlan{});
    for (int level = 1; level <= levelCount; ++level) {
        s.LevelRoomCount = levelLengths[static_cast<std::size_t>(level)];
        if (!PlanLevel(s, index, level, levelCount, s.LevelRoomCount, s.Plans[static_cast<std::size_t>(level)]))
            return false;
    }
    int totalRooms = 0;
    for (int level = 1; level <= levelCount; ++level) totalRooms += levelLengths[static_cast<std::size_t>(level)];
    for (int level = 1; level <= levelCount; ++level) {
        LevelPlan& plan = s.Plans[static_cast<std::size_t>(level)];
        plan.totalRooms = totalRooms;
        ComputeRoomProgress(s.RoomCatalogue, plan);
        s.ui.ShowLevelPlan(plan, 0);
    }

    mazeTimer.reset();

    if (s.BuildAborted) return false;
    const std::string sky = ChooseSky(s);
    Log(s, "Choosed " + sky + " as skybox.", false, true);

    ClearNameList(s);

    // Phase 6: every room of the level's line placed, joined and written.
    for (int level = 1; level <= levelCount; ++level) {
        const LevelPlan& plan = s.Plans[static_cast<std::size_t>(level)];
        s.LevelRoomCount = static_cast<int>(plan.rooms.size()) - 1;
        if (!GenerateLevel(s, plan, level, levelCount, sky)) return false;
    }
    return true;
}

}  // namespace

void WriteLevelHead(Session& s, const std::string& skyName) {
    static const HeadLine kHead[] = {
        {"versioninfo", 0}, {"{", 0}, {"'mapversion' '8'", 1}, {"'formatversion' '100'", 1},
        {"'prefab' '0'", 1}, {"}", 0}, {"visgroups", 0}, {"{", 0}, {"visgroup", 1}, {"{", 1},
        {"'name' 'Auto'", 2}, {"'visgroupid' '1'", 2}, {"'color' '0 255 255'", 2}, {"visgroup", 2},
        {"{", 2}, {"'name' 'Entities'", 3}, {"'visgroupid' '3'", 3}, {"'color' '255 255 0'", 3},
        {"}", 2}, {"visgroup", 2}, {"{", 2}, {"'name' 'Brush Entities'", 3}, {"'visgroupid' '4'", 3},
        {"'color' '0 255 0'", 3}, {"}", 2}, {"visgroup", 2}, {"{", 2}, {"'name' 'Detail Brushes'", 3},
        {"'visgroupid' '2'", 3}, {"'color' '0 0 255'", 3}, {"}", 2}, {"}", 1}, {"}", 0}, {"world", 0},
        {"{", 0}, {"'id' '1'", 1}, {"'mapversion' '8'", 1}, {"'classname' 'worldspawn'", 1},
    };
    for (const auto& line : kHead) s.writer.PrintToFile(std::string(line.text), line.depth);
    s.writer.PrintToFile("'skyname' '" + skyName + "'", 1);
    s.writer.PrintToFile(std::string("'maxpropscreenwidth' '-1'"), 1);
}

void AbortBuild(Session& s) {
    s.BuildAborted = true;
    Log(s, "Process aborted!");
}

bool CreateMap(Session& s) {
    try {
        return CreateMapPhases(s);
    } catch (const BuildFailure& e) {
        MapError(s, e.what(), false);
    }
}

CreateOutcome RunCreateCommand(Session& s) {
    if (auto problem = ValidateSettings(s.settings, s.DecimalSymbol)) {
        s.ui.MessageBox("Options", *problem, BoxIcon::Information, BoxButtons::Ok);
        return CreateOutcome::Cancelled;
    }
    if (s.RestartCount != 99) {
        std::string text = "The creation will now begin! ";
        if (s.RoomTestMode) text += kTestModeNote;
        if (s.ui.MessageBox("Continiune?", text, BoxIcon::Information, BoxButtons::OkCancel) != BoxAnswer::Ok)
            return CreateOutcome::Cancelled;
    }
    s.ui.SetStatus("Reserving memory...");
    MrProg(s, 85);
    Yield(s);
    const ClockTime now = s.clock.Now();
    Log(s, "Process started at " + DateText(now) + " " + TimeText(now), false, true);
    s.ui.LockBuildControls(true);
    Yield(s);

    bool finished = false;
    try {
        finished = CreateMap(s);
    } catch (...) {
        s.ui.LockBuildControls(false);
        throw;
    }
    s.LastCompile.reset();
    if (finished) {
        // What the level was built from, so it can be built again byte for byte.
        if (!WriteLevelRecord(s))
            Log(s, "The level's record " + (s.programFolder / "level1.txt").string() + " could not be written.", false, true);
        s.ui.SetStatus("Done!");
        MrProg(s, 100);
        if (s.compile.afterBuild) {
            try {
                s.LastCompile = RunCompilePipeline(s);
            } catch (...) {
                s.ui.LockBuildControls(false);
                throw;
            }
        }
    }
    s.ui.LockBuildControls(false);
    s.BuildAborted = false;
    MrProg(s, 0);
    return finished ? CreateOutcome::Finished : CreateOutcome::Aborted;
}

}  // namespace tessellon
