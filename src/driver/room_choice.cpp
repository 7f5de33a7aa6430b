#include "driver/room_choice.h"

#include "session/errors.h"
#include "session/report.h"
#include "session/session.h"
#include "maze/directions.h"
#include "maze/maze_line.h"
#include "maze/random_source.h"
#include "maze/room_links.h"
#include "rooms/catalogue.h"

namespace tessellon {

namespace {

constexpr int kMaxRoomsPerLine = 100;

// The side that `side` (1 north .. 4 west) becomes after `turns` clockwise quarter turns.
int TurnedSide(int side, int turns) { return ((side - 1 + turns) % 4 + 4) % 4 + 1; }

int CheckedValue(const RoomRecord& room, int column, int min, int max, const char* what) {
    const auto v = room.WholeNumber(column);
    if (!v || *v < min || *v > max)
        throw BuildFailure("The room file " + room.FilePath() + " has the " + what + " \"" + room[column] +
                           "\"; the build supports " + what + "s " + std::to_string(min) + " to " +
                           std::to_string(max) + ".");
    return *v;
}

}  // namespace

void RoomIndex::File(int row, const RoomSignature& key) {
    int& count = perGenreAndType_[{key.genreSlot, key.typeSlot}];
    if (count >= kMaxPerGenreAndType)
        throw BuildFailure("More than " + std::to_string(kMaxPerGenreAndType) + " rooms share the genre " +
                           std::to_string(key.genreSlot - 1) + " and the room type " +
                           std::to_string(key.typeSlot - 1) + ".");
    ++count;
    rows_[key].push_back(row);
    RoomSignature open = key;
    open.north = open.east = open.south = open.west = kAnyKind;
    rows_[open].push_back(row);
    int RoomSignature::*const sides[4] = {&RoomSignature::north, &RoomSignature::east, &RoomSignature::south,
                                          &RoomSignature::west};
    for (auto side : sides) {
        RoomSignature one = open;
        one.*side = key.*side;
        rows_[one].push_back(row);
    }
    ++filed_;
}

int RoomIndex::Count(const RoomSignature& key) const {
    const auto it = rows_.find(key);
    return it == rows_.end() ? 0 : static_cast<int>(it->second.size());
}

int RoomIndex::At(const RoomSignature& key, int position) const {
    return rows_.at(key).at(static_cast<std::size_t>(position - 1));
}

RoomSignature SignatureOf(const Catalogue& catalogue, int row) {
    const RoomRecord& room = catalogue.Row(row);
    RoomSignature key;
    key.genreSlot = CheckedValue(room, kColGenre, 0, 4, "genre") + 1;
    key.typeSlot = CheckedValue(room, kColRoomType, 0, 29, "room type") + 1;
    key.north = CheckedValue(room, SideColumn(kNorth, kSideKind), 0, 4, "connection kind");
    key.east = CheckedValue(room, SideColumn(kEast, kSideKind), 0, 4, "connection kind");
    key.south = CheckedValue(room, SideColumn(kSouth, kSideKind), 0, 4, "connection kind");
    key.west = CheckedValue(room, SideColumn(kWest, kSideKind), 0, 4, "connection kind");
    return key;
}

RoomIndex BuildRoomIndex(Session& s) {
    RoomIndex index;
    const int count = s.RoomCatalogue.RoomCount();
    Log(s, "Categorizing " + std::to_string(count) + " rooms...");
    for (int i = 1; i <= count; ++i) {
        MrProg(s, i * 100.0 / count);
        s.ui.Yield();
        index.File(i, SignatureOf(s.RoomCatalogue, i));
    }
    return index;
}

FamilyAndTurns RoomFamilyFor(Session& s, const std::string& code, const std::string& line) {
    const ConnectionCode* c = FindCode(code);
    if (!c) throw BuildFailure("The maze line " + line + " holds the unknown room code \"" + code + "\".");
    FamilyAndTurns out;
    switch (c->group) {
    case CodeGroup::OneWay:
        // A straight fits its code turned by a half turn as well.
        out = {0, c->rotation};
        Randa(s);
        if (s.random.Draw() > 0.5f) out.rotations += 2;
        break;
    case CodeGroup::Cross: {
        Randa(s);
        const float r = s.random.Draw();
        out = {3, r < 0.25f ? 0 : r < 0.5f ? 1 : r < 0.75f ? 2 : 3};
        break;
    }
    case CodeGroup::LevelEnd:
        MapError(s, "A level end room was passed through even though it's not supported!", true,
                 "Level end room was passed? from 'getgoodline'! RoomLine: " + line);
    case CodeGroup::LevelStart:
        MapError(s, "A level start room was passed through even though it's not supported!", true,
                 "Level start room was passed? from 'getgoodline'! RoomLine: " + line);
    default:
        // Three-way rooms are filed closed to the south (code "05"); the others by their
        // family's first code. Either way the code's rotation is the turn.
        out = {c->family, c->rotation};
        break;
    }
    return out;
}

bool PlanLevel(Session& s, const RoomIndex& index, int level, int levelCount, int length, LevelPlan& plan) {
    if (length + 1 > kMaxRoomsPerLine)
        throw BuildFailure("A level line of " + std::to_string(length + 1) + " rooms is longer than the " +
                           std::to_string(kMaxRoomsPerLine) + " rooms a level can hold.");
    Log(s, "Creating maze " + std::to_string(level) + " of " + std::to_string(levelCount));
    MrProg(s, level * 100.0 / levelCount);
    s.ui.Yield();
    Randa(s);
    const int direction = static_cast<int>(static_cast<double>(s.random.Draw()) * 4 + 1);

    int startWith, endWith;
    if (level == 1 && levelCount == 1) startWith = 0, endWith = 1;
    else if (level == 1) startWith = 0, endWith = 2;
    else if (level == levelCount) startWith = 1, endWith = 1;
    else startWith = 1, endWith = 2;

    Log(s, "Fetching maze line with " + std::to_string(length) + " rooms.", false, true);
    const std::string line = GetGoodLine(s, length, startWith, endWith, direction);
    plan = LevelPlan{};
    plan.roomLine = line;
    int readDirection = 0, counter = 0;
    MapDirection(s, line, readDirection, 0, counter);
    if (s.BuildAborted) return false;

    const int rooms = length + 1;
    plan.rooms.assign(static_cast<std::size_t>(rooms) + 1, PlannedRoom{});
    for (int k = 1; k <= rooms; ++k) {
        Log(s, "Randomizing room " + std::to_string(2 * k - 1) + " of " + std::to_string(2 * length + 1));
        PlannedRoom& room = plan.rooms[static_cast<std::size_t>(k)];
        room.from = s.DirList.From(k);
        room.direction = s.DirList.Dir(k);
        const int d = room.direction;

        // The kind this room must offer on the side facing the room it hangs on. The parent
        // stands turned, so its side d is the side d - turns of its record as filed; the
        // requirement is then turned back into this room's own frame. Sides that face no
        // neighbour yet are left open.
        const std::string code = line.substr(static_cast<std::size_t>(2 * k - 1), 2);
        const FamilyAndTurns ft = RoomFamilyFor(s, code, line);
        room.turns = ft.rotations;
        int kinds[5] = {0, kAnyKind, kAnyKind, kAnyKind, kAnyKind};
        if (room.from != 0 && d >= 1 && d <= 4) {
            const PlannedRoom& parentPlan = plan.rooms[static_cast<std::size_t>(room.from)];
            const RoomRecord& parent = s.RoomCatalogue.Row(parentPlan.catalogueRow);
            const int parentSide = TurnedSide(d, -parentPlan.turns);
            kinds[TurnedSide(Opposite(d), -ft.rotations)] =
                parent.WholeNumber(SideColumn(parentSide, kSideKind)).value_or(0);
        }

        const RoomSignature key{s.settings.Genre + 1, ft.family + 1, kinds[1], kinds[2], kinds[3], kinds[4]};
        const int count = index.Count(key);
        if (count == 0)
            MapError(
                s,
                "Could not find any rooms to match current room connection type! (" + std::to_string(ft.family) + ")",
                false);
        Randa(s);
        const double r = s.random.Draw();
        int n = static_cast<int>(count * r + 1);
        if (n > count) n = count;
        room.catalogueRow = index.At(key, n);
    }
    return true;
}

void ComputeRoomProgress(const Catalogue& catalogue, LevelPlan& plan) {
    const int rooms = static_cast<int>(plan.rooms.size()) - 1;
    if (rooms < 1 || plan.totalRooms < 1) return;
    const double step = 1.0 / plan.totalRooms;
    std::vector<float> depth(plan.rooms.size(), 0.0f);
    float endProgress = 0;
    for (int m = 1; m <= rooms; ++m) {
        const PlannedRoom& room = plan.rooms[static_cast<std::size_t>(m)];
        depth[static_cast<std::size_t>(m)] = static_cast<float>(depth[static_cast<std::size_t>(room.from)] + step);
        endProgress = depth[static_cast<std::size_t>(m)];
        const auto type = catalogue.Row(room.catalogueRow).WholeNumber(kColRoomType);
        if (type && (*type == 6 || *type == 8)) break;
    }
    for (auto& room : plan.rooms) room.progress = 0;
    for (int m = 1; m <= rooms; ++m) {
        PlannedRoom& room = plan.rooms[static_cast<std::size_t>(m)];
        room.progress =
            static_cast<float>(plan.rooms[static_cast<std::size_t>(room.from)].progress + step / endProgress);
    }
}

}  // namespace tessellon
