#include "driver/level_record.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "paths/steam_folder.h"
#include "rooms/catalogue.h"
#include "session/session.h"
#include "session/text_helpers.h"

namespace tessellon {

const char* const kProgramVersion = "0.9.34";

namespace {

const char* const kHeader = "Tessellon level record";

// Exact texts for the numbers: a float and a double come back bit for bit.
std::string FloatText(float v) {
    char b[40];
    std::snprintf(b, sizeof b, "%.9g", static_cast<double>(v));
    return b;
}
std::string DoubleText(double v) {
    char b[40];
    std::snprintf(b, sizeof b, "%.17g", v);
    return b;
}

std::string ClockText(const ClockTime& t) {
    char b[96];
    std::snprintf(b, sizeof b, "%04d-%02d-%02d %02d:%02d:%02d %.17g", t.year, t.month, t.day, t.hour, t.minute,
                  t.second, t.fraction);
    return b;
}

bool ParseDouble(const std::string& text, double& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    out = std::strtod(text.c_str(), &end);
    return end && *end == '\0';
}

bool ParseInt(const std::string& text, long long& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    out = std::strtoll(text.c_str(), &end, 10);
    return end && *end == '\0';
}

bool ParseClockReading(const std::string& text, ClockTime& out) {
    ClockTime t;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d %lf%c", &t.year, &t.month, &t.day, &t.hour, &t.minute, &t.second,
                    &t.fraction, &tail) != 7)
        return false;
    out = t;
    return true;
}

// The option fields as name, reader and writer, so the text and the parser cannot differ.
struct IntField {
    const char* name;
    int BuildSettings::*field;
};
const IntField kIntFields[] = {
    {"MapSize", &BuildSettings::MapSize},
    {"EnemyDifficulty", &BuildSettings::EnemyDifficulty},
    {"NewWeapons", &BuildSettings::NewWeapons},
    {"WeaponAmmo", &BuildSettings::WeaponAmmo},
    {"GameDifficulty", &BuildSettings::GameDifficulty},
    {"AlienCombineBalance", &BuildSettings::AlienCombineBalance},
    {"TimeOfDay", &BuildSettings::TimeOfDay},
    {"Moon", &BuildSettings::Moon},
    {"Genre", &BuildSettings::Genre},
};
struct FlagField {
    const char* name;
    bool BuildSettings::*field;
};
const FlagField kFlagFields[] = {
    {"AllWeapons", &BuildSettings::AllWeapons},
    {"NoMonsters", &BuildSettings::NoMonsters},
    {"SkipLights", &BuildSettings::SkipLights},
};

}  // namespace

std::string RoomsFingerprint(const Catalogue& catalogue) {
    // FNV-1a over each room's file name and size.
    std::uint64_t hash = 1469598103934665603ull;
    auto mix = [&hash](const std::string& text) {
        for (const unsigned char c : text) {
            hash ^= c;
            hash *= 1099511628211ull;
        }
        hash ^= 0xFF;
        hash *= 1099511628211ull;
    };
    for (int i = 1; i <= catalogue.RoomCount(); ++i) {
        const std::filesystem::path file = catalogue.Row(i).FilePath();
        std::error_code ec;
        const auto size = std::filesystem::file_size(file, ec);
        mix(file.filename().string());
        mix(ec ? std::string("?") : std::to_string(size));
    }
    char b[48];
    std::snprintf(b, sizeof b, "%d rooms %016" PRIx64, catalogue.RoomCount(), hash);
    return b;
}

LevelRecord TakeLevelRecord(const Session& s) {
    LevelRecord r;
    r.version = kProgramVersion;
    r.settings = s.settings;
    r.sunElevation = s.SunElevation;
    r.sunYaw = s.SunYaw;
    r.moonLight = s.MoonLight;
    r.randomState = s.seedReadings.startState;
    r.rooms = RoomsFingerprint(s.RoomCatalogue);
    for (int i = 1; i <= s.RoomCatalogue.RoomCount(); ++i)
        if (s.RoomCatalogue.Row(i)[kColRoomType] == std::to_string(kBlockedRoomType))
            r.blockedRooms.push_back(std::filesystem::path(s.RoomCatalogue.Row(i).FilePath()).filename().string());
    r.clock = s.seedReadings.replaying ? s.seedReadings.replay : s.seedReadings.taken;
    return r;
}

std::string LevelRecordText(const LevelRecord& r) {
    std::ostringstream out;
    out << kHeader << "\r\n";
    out << "# Rebuild this level: tessellon build --replay level1.txt\r\n";
    out << "version=" << r.version << "\r\n";
    for (const auto& f : kIntFields) out << f.name << '=' << r.settings.*(f.field) << "\r\n";
    out << "Season=" << static_cast<int>(r.settings.season) << "\r\n";
    out << "Latitude=" << (r.settings.Latitude ? DoubleText(*r.settings.Latitude) : std::string("none")) << "\r\n";
    out << "CustomSeed=" << static_cast<int>(r.settings.CustomSeed) << "\r\n";
    out << "CustomSeedBox=" << r.settings.CustomSeedBox << "\r\n";
    for (const auto& f : kFlagFields) out << f.name << '=' << (r.settings.*(f.field) ? 1 : 0) << "\r\n";
    out << "SunElevation=" << FloatText(r.sunElevation) << "\r\n";
    out << "SunYaw=" << FloatText(r.sunYaw) << "\r\n";
    out << "MoonLight=" << FloatText(r.moonLight) << "\r\n";
    out << "RandomState=" << r.randomState << "\r\n";
    out << "Rooms=" << r.rooms << "\r\n";
    for (const auto& b : r.blockedRooms) out << "BlockedRoom=" << b << "\r\n";
    for (const auto& t : r.clock) out << "Clock=" << ClockText(t) << "\r\n";
    return out.str();
}

std::optional<LevelRecord> ParseLevelRecord(const std::string& text, std::string& error) {
    std::istringstream in(text);
    std::string line;
    std::getline(in, line);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line != kHeader) {
        error = "it is not a level record (its first line is not \"" + std::string(kHeader) + "\")";
        return std::nullopt;
    }
    LevelRecord r;
    int number = 1;
    bool sawVersion = false;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        const auto eq = line.find('=');
        const std::string key = line.substr(0, eq), value = eq == std::string::npos ? "" : line.substr(eq + 1);
        auto bad = [&](const std::string& what) {
            error = "line " + std::to_string(number) + " (" + line + "): " + what;
            return std::nullopt;
        };
        if (eq == std::string::npos) return bad("a line is NAME=VALUE");
        long long n = 0;
        double d = 0;
        bool known = false;
        for (const auto& f : kIntFields)
            if (key == f.name) {
                if (!ParseInt(value, n)) return bad("not a whole number");
                r.settings.*(f.field) = static_cast<int>(n);
                known = true;
            }
        for (const auto& f : kFlagFields)
            if (key == f.name) {
                if (value != "0" && value != "1") return bad("not 0 or 1");
                r.settings.*(f.field) = value == "1";
                known = true;
            }
        if (known) continue;
        if (key == "version") {
            r.version = value;
            sawVersion = true;
        } else if (key == "Season") {
            if (!ParseInt(value, n) || n < 0 || n > 3) return bad("a season is 0 to 3");
            r.settings.season = static_cast<Season>(n);
        } else if (key == "Latitude") {
            if (value == "none") r.settings.Latitude.reset();
            else if (ParseDouble(value, d)) r.settings.Latitude = d;
            else return bad("not a number");
        } else if (key == "CustomSeed") {
            if (!ParseInt(value, n) || n < 0 || n > 2) return bad("0, 1 or 2");
            r.settings.CustomSeed = static_cast<CheckState>(n);
        } else if (key == "CustomSeedBox") {
            r.settings.CustomSeedBox = value;
        } else if (key == "SunElevation" || key == "SunYaw" || key == "MoonLight") {
            if (!ParseDouble(value, d)) return bad("not a number");
            (key == "SunElevation" ? r.sunElevation : key == "SunYaw" ? r.sunYaw : r.moonLight) = static_cast<float>(d);
        } else if (key == "RandomState") {
            if (!ParseInt(value, n) || n < 0 || n >= static_cast<long long>(RandomSource::kModulus)) return bad("not a generator state");
            r.randomState = static_cast<std::uint32_t>(n);
        } else if (key == "Rooms") {
            r.rooms = value;
        } else if (key == "BlockedRoom") {
            r.blockedRooms.push_back(value);
        } else if (key == "Clock") {
            ClockTime t;
            if (!ParseClockReading(value, t)) return bad("a clock reading is YYYY-MM-DD HH:MM:SS FRACTION");
            r.clock.push_back(t);
        } else {
            return bad("unknown name " + key);
        }
    }
    if (!sawVersion) {
        error = "it names no version";
        return std::nullopt;
    }
    return r;
}

bool WriteLevelRecord(Session& s) {
    return ReplaceFileText(s.programFolder / "level1.txt", LevelRecordText(TakeLevelRecord(s)));
}

std::optional<std::string> ApplyLevelRecord(Session& s, const LevelRecord& r) {
    if (r.version != kProgramVersion)
        return "the level was built by version " + r.version + " and this is " + kProgramVersion +
               "; another version may build it differently.";
    const std::string rooms = RoomsFingerprint(s.RoomCatalogue);
    if (rooms != r.rooms)
        return "the rooms folder " + (s.programFolder / "rooms").string() + " is not the one the level was built from (" +
               rooms + " now, " + r.rooms + " then).";
    for (const auto& blocked : r.blockedRooms) {
        bool found = false;
        for (int i = 1; i <= s.RoomCatalogue.RoomCount(); ++i)
            if (std::filesystem::path(s.RoomCatalogue.Row(i).FilePath()).filename().string() == blocked) {
                s.RoomCatalogue.Row(i)[kColRoomType] = std::to_string(kBlockedRoomType);
                found = true;
            }
        if (!found) return "the room " + blocked + " that room test mode blocked is not in the rooms folder.";
    }
    // The options that do not shape the level stay as this run has them.
    const BuildSettings now = s.settings;
    s.settings = r.settings;
    s.settings.WriteLogFile = now.WriteLogFile;
    s.settings.DetailedStatus = now.DetailedStatus;
    s.settings.RunMapAfterCompile = now.RunMapAfterCompile;
    s.settings.CompilerUnhidden = now.CompilerUnhidden;
    s.SunElevation = r.sunElevation;
    s.SunYaw = r.sunYaw;
    s.MoonLight = r.moonLight;
    s.seedReadings.replaying = true;
    s.seedReadings.replayState = r.randomState;
    s.seedReadings.replay = r.clock;
    return std::nullopt;
}

}  // namespace tessellon
