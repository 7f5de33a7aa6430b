#include "driver/room_generation.h"

#include <cstdio>

#include "driver/build_driver.h"
#include "session/errors.h"
#include "session/report.h"
#include "session/session.h"
#include "session/stage_times.h"
#include "entities/entity_output.h"
#include "instance/room_pipeline.h"
#include "session/text_helpers.h"
#include "maze/directions.h"
#include "rooms/catalogue.h"

namespace tessellon {

namespace {

constexpr int SideColumnX(int side) { return SideColumn(side, kSideX); }

std::string Num(double v) { return FormatNumber(v); }
// A single-precision value as it is shown: seven significant digits.
std::string SingleText(float v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.7g", static_cast<double>(v));
    return buf;
}

}  // namespace

bool GenerateLevel(Session& s, const LevelPlan& plan, int level, int levelCount, const std::string& sky,
                   std::vector<RoomOffset>* offsets) {
    const std::string levelText = std::to_string(level);
    const std::string countText = std::to_string(levelCount);
    Log(s, "Starting creation of level " + levelText + " of " + countText, false, true);

    const int roomCount = static_cast<int>(plan.rooms.size()) - 1;
    if (roomCount > kMaxLevelRooms)
        throw BuildFailure("The level's line has " + std::to_string(roomCount) + " rooms; at most " +
                           std::to_string(kMaxLevelRooms) + " can be placed.");

    WriteLevelHead(s, sky);
    int nextId = 2;
    s.EntityLines.SetHead(0);
    s.DoorPoints = {};
    s.OwnedWeapons.fill(false);  // every level hands out its arsenal from the start
    if (offsets) offsets->assign(static_cast<std::size_t>(roomCount + 1), RoomOffset{});
    // A room's text stays read only until its last placement in this level.
    for (int m = 1; m <= roomCount; ++m) {
        const int c = plan.rooms[static_cast<std::size_t>(m)].catalogueRow;
        if (c >= 1 && c <= s.RoomCatalogue.RoomCount()) s.RoomBodies.ExpectUse(s.RoomCatalogue.Row(c).FilePath());
    }

    for (int m = 1; m <= roomCount; ++m) {
        const PlannedRoom& room = plan.rooms[static_cast<std::size_t>(m)];
        const int c = room.catalogueRow;
        MrProg(s, m * 100.0 / roomCount);
        Log(s, "Generating room " + std::to_string(m) + " of " + std::to_string(roomCount) + " (Level:" + levelText +
                   "/" + countText + ")");
        s.ui.Yield();
        if (room.from < 0 || room.from >= m || (room.from > 0 && (room.direction < 1 || room.direction > 4)))
            throw BuildFailure("The maze plan links room " + std::to_string(m) + " to room " +
                               std::to_string(room.from) + ", which is not placed before it.");

        if (c < 1 || c > s.RoomCatalogue.RoomCount())
            throw BuildFailure("The maze plan gives room " + std::to_string(m) + " the catalogue row " +
                               std::to_string(c) + ", which does not exist.");
        RotateConnections(s, c, room.turns);
        const RoomRecord& record = s.RoomCatalogue.Row(c);
        auto coordinate = [&](int column) { return FileNumber(s, record[column]); };

        // The new room's side facing the room it is entered from must land on that room's
        // door point, which is already in level coordinates.
        double xDif = 0, yDif = 0, zDif = 0;
        if (m > 1) {
            const int f = room.from;
            const int d = room.direction;
            const int facing = SideColumnX(Opposite(d));
            xDif = s.DoorPoints[f][d][1] - coordinate(facing);
            yDif = s.DoorPoints[f][d][2] - coordinate(facing + 1);
            zDif = s.DoorPoints[f][d][3] - coordinate(facing + 2);
        }
        s.DoorPoints[0][0][0] = m;
        for (int side = 1; side <= 4; ++side)
            for (int k = 0; k < 3; ++k) s.DoorPoints[m][side][k + 1] = coordinate(SideColumnX(side) + k);
        RotateConnections(s, c, 4 - room.turns % 4);

        const std::string path = record.FilePath();
        Log(s,
            "Calling GetReady with parameters: " + path + " " + Num(xDif) + " " + Num(yDif) + " " + Num(zDif) + " " +
                SingleText(room.progress) + " " + std::to_string(nextId) + " " + std::to_string(room.turns),
            false, true);
        GetReady(s, path, xDif, yDif, zDif, room.progress, nextId, room.turns);
        if (offsets) (*offsets)[static_cast<std::size_t>(m)] = {xDif, yDif, zDif};
        if (s.BuildAborted) return false;
        s.ui.ShowLevelPlan(plan, m);
    }

    Log(s, "Adding map entitys... (" + levelText + "/" + countText + " " + std::to_string(roomCount) + "/" +
               std::to_string(roomCount) + ")");
    s.ui.Yield();
    {
        const StageTimer timer(BuildStage::Entities);
        WriteEntites(s);
        s.NameCounter = 0;
        s.writer.NameLevel(level);
    }
    return true;
}

}  // namespace tessellon
