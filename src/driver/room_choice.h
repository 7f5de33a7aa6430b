#pragma once
#include <compare>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "session/level_plan.h"

namespace tessellon {

struct Session;
class Catalogue;

// A side whose kind a lookup leaves open: the side has no neighbour yet.
constexpr int kAnyKind = -1;

// The key rooms are filed and found under: genre and room type (each + 1, as the build
// numbers its slots) and the connection kinds of the four sides, north to west.
struct RoomSignature {
    int genreSlot = 0;
    int typeSlot = 0;
    int north = 0, east = 0, south = 0, west = 0;
    auto operator<=>(const RoomSignature&) const = default;
};

// Catalogue rows by signature, rebuilt from the catalogue at every build. A room is filed
// under its full signature, under the signature with every kind open, and under each one of
// its sides' kinds with the other three open. A lookup names the kind of the side that faces
// the room it hangs on and leaves the sides without a neighbour open, so it finds exactly the
// rooms that fit there (in catalogue order) and never a row 0.
class RoomIndex {
public:
    static constexpr int kMaxPerGenreAndType = 1000;

    // Throws BuildFailure past 1000 rooms of one genre and type.
    void File(int row, const RoomSignature& key);
    int Count(const RoomSignature& key) const;
    // Position 1..Count(key).
    int At(const RoomSignature& key, int position) const;
    int Filed() const { return filed_; }

private:
    std::map<RoomSignature, std::vector<int>> rows_;
    std::map<std::pair<int, int>, int> perGenreAndType_;
    int filed_ = 0;
};

// The signature of a catalogue row as filed; throws BuildFailure naming the room file when a
// genre, type or kind lies outside what the build supports (genres 0-4, types 0-29, kinds 0-4).
RoomSignature SignatureOf(const Catalogue& catalogue, int row);

// Files every catalogue row, reporting progress per room.
RoomIndex BuildRoomIndex(Session& s);

struct FamilyAndTurns {
    int family = 0;
    int rotations = 0;
};
// The family to look a code up under and the quarter turns that carry the family's base onto
// the code. One-way parts and crossings draw their free choice of turns. Level start and end
// codes end the program; `line` is named in the error log.
FamilyAndTurns RoomFamilyFor(Session& s, const std::string& code, const std::string& line);

// The maze and the rooms of one level: the line of `length` rooms, DirList, and for every room
// its from-room, direction, turns and catalogue row. False when BuildAborted stopped it.
bool PlanLevel(Session& s, const RoomIndex& index, int level, int levelCount, int length, LevelPlan& plan);

// Each room's place along the path: its depth divided by the depth of the first room of type
// 6 or 8 (else the last room's), so the game end room gets 1.
void ComputeRoomProgress(const Catalogue& catalogue, LevelPlan& plan);

}  // namespace tessellon
