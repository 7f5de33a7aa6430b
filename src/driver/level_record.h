#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "session/settings.h"

namespace tessellon {

struct Session;
class Catalogue;

// What a level was built from, written as level1.txt beside level1.vmf: the program's
// version, every option, the custom seed, the sun, the generator's state when the build began,
// the rooms it could choose from (and those room test mode blocked), and the clock readings
// every re-seed took. Replayed, it builds the very same level.
struct LevelRecord {
    std::string version;
    BuildSettings settings;
    float sunElevation = 0, sunYaw = 0, moonLight = 0;
    std::uint32_t randomState = 0;
    std::string rooms;                      // RoomsFingerprint of the catalogue
    std::vector<std::string> blockedRooms;  // file names of rooms room test mode blocked
    std::vector<ClockTime> clock;
};

extern const char* const kProgramVersion;

// The rooms a build can choose from: their count, names and sizes, as one short text.
std::string RoomsFingerprint(const Catalogue& catalogue);

LevelRecord TakeLevelRecord(const Session& s);
std::string LevelRecordText(const LevelRecord& record);
// nullopt with `error` set when the text is no level record or a value is broken.
std::optional<LevelRecord> ParseLevelRecord(const std::string& text, std::string& error);

// Writes level1.txt for the level just built (through a temporary name); false on failure.
bool WriteLevelRecord(Session& s);

// Sets the session up to build the recorded level again: options, sun, blocked rooms, the
// generator's state and the clock readings. The catalogue must be read first; an error text
// when the rooms are not the ones the level was built from.
std::optional<std::string> ApplyLevelRecord(Session& s, const LevelRecord& record);

}  // namespace tessellon
