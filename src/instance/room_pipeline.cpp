#include "instance/room_pipeline.h"

#include <cmath>

#include "session/errors.h"
#include "session/report.h"
#include "session/session.h"
#include "session/stage_times.h"
#include "entities/entity_output.h"
#include "entities/placeholders.h"
#include "instance/entity_blocks.h"
#include "instance/name_fixer.h"
#include "instance/room_body.h"
#include "instance/rotation.h"
#include "session/text_helpers.h"
#include "instance/translation.h"

namespace tessellon {

namespace {

bool IsRemovedClass(const Session& s, const std::string& className) {
    static const char* const kPlaceholders[] = {
        "vornic_connector",       "vornic_info",  "vornic_weapon", "vornic_npc",
        "vornic_spawn_contoller", "vornic_spawn", "vornic_item",   "func_vornic_spawngroup"};
    for (const char* c : kPlaceholders)
        if (className == c) return true;
    return s.settings.SkipLights && (className == "light" || className == "light_dynamic");
}

// Milliseconds, cut (not rounded) to three decimals, in the system's number form.
std::string CutMilliseconds(const Session& s, double seconds) {
    return FormatNumber(std::trunc(seconds * 1000.0 * 1000.0) / 1000.0, s.DecimalSymbol);
}

enum Step { kRead, kRotate, kMove, kSpawn, kRemove, kNames, kIds, kPrint, kStepCount };

void LogBenchmark(Session& s, float startTime, const float (&steps)[kStepCount]) {
    static const char* const kLabels[kStepCount] = {
        "Read Room:      ", "Rotate Room:    ", "Move Room:      ", "Spawn Entitys:  ",
        "Remove Entitys: ", "Fix Names:      ", "Fix Ids:        ", "Print Room:     "};
    const float total = SecondsSinceMidnight(s.clock.Now()) - startTime;
    Log(s, "Benchmark:", false, true);
    Log(s, "  -=ACTION=-     -=TIME(MS)=-", false, true);
    Log(s, "Total Time:     " + std::to_string(static_cast<long>(total * 1000)), false, true);
    float sum = 0;
    for (int k = 0; k < kStepCount; ++k) {
        Log(s, std::string(kLabels[k]) + CutMilliseconds(s, steps[k]), false, true);
        sum += steps[k];
    }
    const float others = SecondsSinceMidnight(s.clock.Now()) - startTime - sum;
    Log(s, "Others:         " + CutMilliseconds(s, others), false, true);
    Log(s, "Done!", true);
}

void GetReadySteps(Session& s, const std::string& path, double xDif, double yDif, double zDif, float roomPrecentPos,
                   int& startId, int rotations) {
    Log(s, "Starting convertion of room " + path, false, true);
    const float startTime = SecondsSinceMidnight(s.clock.Now());
    Log(s, "Reading Room..." + path, false, true);
    float steps[kStepCount] = {};

    StartTimer(s);
    {
        const StageTimer timer(BuildStage::Read);
        LoadRoomLines(s, path);
    }
    steps[kRead] = EndTimer(s);

    const std::string faction = ChooseFactionLetter(s);

    StartTimer(s);
    {
        const StageTimer timer(BuildStage::Rotate);
        Rotator(s, rotations);
    }
    steps[kRotate] = EndTimer(s);

    StartTimer(s);
    {
        const StageTimer timer(BuildStage::Move);
        SetOrigins(s, xDif, yDif, zDif);
    }
    steps[kMove] = EndTimer(s);
    if (s.BuildAborted) return;

    StartTimer(s);
    {
        const StageTimer timer(BuildStage::Spawn);
        SpawnRands(s, roomPrecentPos, faction);
    }
    steps[kSpawn] = EndTimer(s);

    StartTimer(s);
    {
        const StageTimer timer(BuildStage::Remove);
        ClearRands(s);
    }
    steps[kRemove] = EndTimer(s);

    StartTimer(s);
    {
        const StageTimer timer(BuildStage::Names);
        NameFixer(s);
    }
    steps[kNames] = EndTimer(s);

    StartTimer(s);
    {
        const StageTimer timer(BuildStage::Ids);
        FixIDs(s, startId);
    }
    steps[kIds] = EndTimer(s);

    s.RoomLines.SetHead(s.RoomLines.Head() - 1);

    StartTimer(s);
    {
        const StageTimer timer(BuildStage::Print);
        PrintRoom(s);
    }
    steps[kPrint] = EndTimer(s);

    ClearNameList(s);
    s.WorldInsertLines.SetHead(0);

    if (s.settings.DetailedStatus) LogBenchmark(s, startTime, steps);
}

}  // namespace

void LoadRoomLines(Session& s, const std::string& path) {
    const RoomBody& body = s.RoomBodies.Get(path);
    auto& lines = s.RoomLines;
    std::size_t n = kRoomHeaderLines + 1;
    for (std::size_t k = 0; k < body.LineCount(); ++k) lines.At(n++) = body.Line(k);
    lines.SetHead(body.endLine);
    // A longer room read before may have left lines here; the scans must see none of them.
    lines.ClearFrom(static_cast<std::size_t>(body.endLine));
    s.RoomBodies.Used(path);
}

std::string ChooseFactionLetter(Session& s) {
    const int a = s.settings.AlienCombineBalance;
    const double p = std::abs(std::abs(a) - 10) / 100.0;
    if (Bet(s, p)) return std::string();
    const int b = s.settings.AlienCombineBalance;
    return Bet(s, b / 20.0) ? "c" : "x";
}

void ClearRands(Session& s) {
    ForEachEntityBlock(s.RoomLines, [&](const EntityBlock& e) {
        if (IsRemovedClass(s, e.className))
            for (int k = e.start; k <= e.end; ++k) s.RoomLines.At(k).clear();
        return false;
    });
}

void FixIDs(Session& s, int& startId) {
    int n = startId;
    auto renumber = [&n](TextTable& lines, int last) {
        for (int i = 1; i < last; ++i) {
            if (lines.Get(i) != "id") continue;
            lines.At(++i) = std::to_string(n++);
        }
    };
    // Spawn groups drawn into the world are printed ahead of the room's own lines and carry
    // the ids of the room file; they need fresh ids as much as the room does.
    renumber(s.WorldInsertLines, s.WorldInsertLines.Head());
    renumber(s.RoomLines, s.RoomLines.Head() + 1);
    startId = n;
}

void PrintRoom(Session& s) {
    const int worldCount = s.WorldInsertLines.Head();
    const int roomCount = s.RoomLines.Head();
    const int total = worldCount + roomCount;
    auto line = [&](int k) -> const std::string& {
        return k <= worldCount ? s.WorldInsertLines.Get(k) : s.RoomLines.Get(k - worldCount);
    };
    int depth = 2;
    bool pendingOpen = false;
    bool worldEnded = false;
    auto emit = [&](const std::string& text) {
        if (worldEnded) s.EntityLines.Append(text);
        else s.writer.PrintLine(text, depth);
    };
    for (int k = 1; k <= total; ++k) {
        if (pendingOpen) {
            pendingOpen = false;
            ++depth;
        }
        const std::string& text = line(k);
        if (text.empty()) continue;
        if (text == "}") {
            --depth;
            emit(text);
        } else if (text == "{") {
            pendingOpen = true;
            emit(text);
        } else if (text == kWorldEndMarker) {
            worldEnded = true;
        } else if (text == kEndMarker) {
            emit("}");
        } else if (line(k + 1) == "{") {
            emit(text);
        } else {
            if (worldEnded) s.EntityLines.Append(PairedLine(text, line(k + 1)));
            else s.writer.PrintPair(text, line(k + 1), depth);
            ++k;
        }
    }
}

void GetReady(Session& s, const std::string& path, double xDif, double yDif, double zDif, float roomPrecentPos,
              int& startId, int rotations) {
    try {
        GetReadySteps(s, path, xDif, yDif, zDif, roomPrecentPos, startId, rotations);
    } catch (const BuildFailure& e) {
        throw BuildFailure("The room file " + path + " could not be placed: " + e.what());
    }
}

}  // namespace tessellon
