// The room library v3 as a whole: enough different rooms in every family, rooms divided and
// doors in them, light from fixtures, sound, props in measure, and rooms light enough for the
// level's table of entity lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <set>
#include <sstream>

#include "roomgen/library.h"
#include "roomkit/model_list.h"
#include "roomkit/room_check.h"
#include "roomkit/room_file.h"
#include "roomkit/vmf.h"
#include "session/session.h"

namespace {

using roomkit::Node;
using roomkit::Vec3;

const std::vector<roomgen::GeneratedRoom>& Library() {
    static const auto library = [] {
        roomkit::ModelKinds kinds;
        std::vector<std::string> errors;
        EXPECT_TRUE(roomkit::ReadModelKinds(std::string(TESSELLON_SOURCE_DIR) + "/data/hl2_models.txt", kinds, errors));
        return roomgen::BuildLibrary("Tests", kinds);
    }();
    return library;
}

Vec3 OriginOf(const Node& e) {
    Vec3 v;
    std::istringstream(e.Get("origin")) >> v.x >> v.y >> v.z;
    return v;
}

double Distance(const Vec3& a, const Vec3& b) { return std::hypot(a.x - b.x, a.y - b.y, a.z - b.z); }

bool IsFixture(const std::string& model) {
    for (const char* word : {"lamp", "light", "lamppost"})
        if (model.find(word) != std::string::npos) return true;
    return false;
}

// The lines a room's entities add to the level's entity table, in its paired form: a block's
// name, its braces, and one line for each key with its value.
int EntityLines(const std::vector<std::string>& lines) {
    auto i = std::find(lines.begin(), lines.end(), tessellon::kWorldEndMarker);
    int n = 0;
    for (++i; i != lines.end() && *i != tessellon::kEndMarker; ++i) {
        ++n;
        if (*i != "{" && *i != "}" && (i + 1 == lines.end() || *(i + 1) != "{")) ++i;
    }
    return n;
}

TEST(RoomLibraryV3, EnoughDifferentRoomsInEveryFamily) {
    std::array<int, 7> perFamily{};
    std::set<std::string> bodies;
    for (const auto& room : Library()) {
        const auto lines = roomkit::ImportRoom(room.map);
        ++perFamily.at(static_cast<size_t>(std::stoi(lines[2])));
        // Two rooms are the same when their bodies are, names and ids aside.
        std::string body;
        for (size_t i = roomkit::kHeaderLines; i < lines.size(); ++i)
            if (lines[i] != "id" && (i == 0 || lines[i - 1] != "id") && lines[i - 1] != "targetname" &&
                lines[i - 1] != "target")
                body += lines[i] + "\n";
        EXPECT_TRUE(bodies.insert(body).second) << room.file << " is the same as another room";
    }
    EXPECT_GE(Library().size(), 140u);
    for (int f = 0; f < 7; ++f) EXPECT_GE(perFamily[static_cast<size_t>(f)], 20) << "family " << f;
}

TEST(RoomLibraryV3, RoomsAreDividedAndHaveDoorsWithTheirAreaportals) {
    int divided = 0, withDoors = 0;
    for (const auto& room : Library()) {
        int heads = 0, doors = 0;
        std::set<std::string> doorNames, portalTargets;
        double top = 0;
        for (const auto& block : room.map.children) {
            if (block.key == "world")
                for (const Node* solid : block.Blocks("solid")) {
                    std::string error;
                    int line = 0;
                    if (const auto b = roomkit::BrushFromSolid(*solid, error, line))
                        top = std::max(top, b->Max().z - 16);
                }
        }
        for (const auto& block : room.map.children) {
            if (block.key == "world")
                for (const Node* solid : block.Blocks("solid")) {
                    std::string error;
                    int line = 0;
                    const auto b = roomkit::BrushFromSolid(*solid, error, line);
                    if (!b) continue;
                    // A wall's head over an inner doorway: 16 thick, hanging from the ceiling
                    // down to a doorway's height, inside the cell.
                    const Vec3 lo = b->Min(), hi = b->Max();
                    const double w = hi.x - lo.x, d = hi.y - lo.y;
                    heads += std::min(w, d) == 16 && std::max(w, d) <= 128 && lo.z > 100 && lo.z < 200 && hi.z >= top &&
                             std::max({-lo.x, hi.x, -lo.y, hi.y}) < roomkit::kHalfCell - 16;
                }
            if (block.key != "entity") continue;
            const std::string cls = block.Get("classname");
            if (cls == "prop_door_rotating") ++doors, doorNames.insert(block.Get("targetname"));
            if (cls == "func_areaportal") portalTargets.insert(block.Get("target"));
        }
        divided += heads > 0;
        withDoors += doors > 0;
        EXPECT_EQ(doorNames, portalTargets) << room.file << ": every door has its areaportal";
    }
    const int n = static_cast<int>(Library().size());
    EXPECT_GE(divided * 10, n * 4) << divided << " of " << n << " rooms divided";
    EXPECT_GE(withDoors * 4, n) << withDoors << " of " << n << " rooms with doors";
}

TEST(RoomLibraryV3, LightsHangAtFixturesAndEveryRoomSoundsAndHasItsProps) {
    std::set<std::string> soundscapes;
    EXPECT_TRUE(roomkit::ReadModelList(std::string(TESSELLON_SOURCE_DIR) + "/data/hl2_soundscapes.txt", soundscapes));
    int lights = 0, atModels = 0;
    for (const auto& room : Library()) {
        std::vector<Vec3> fixtures, windows, lamps;
        int props = 0, sounds = 0;
        for (const auto& block : room.map.children) {
            if (block.key == "world")
                for (const Node* solid : block.Blocks("solid"))
                    for (const Node* side : solid->Blocks("side"))
                        if (roomkit::LowerCase(side->Get("material")).rfind("glass/", 0) == 0) {
                            std::string error;
                            int line = 0;
                            if (const auto b = roomkit::BrushFromSolid(*solid, error, line))
                                windows.push_back((b->Min() + b->Max()) * 0.5);
                        }
            if (block.key != "entity") continue;
            const std::string cls = block.Get("classname");
            if (cls.rfind("prop_", 0) == 0 && cls != "prop_door_rotating") {
                ++props;
                if (IsFixture(block.Get("model"))) fixtures.push_back(OriginOf(block));
            }
            if (cls == "light" || cls == "light_spot") lamps.push_back(OriginOf(block));
            if (cls == "env_soundscape") {
                ++sounds;
                EXPECT_TRUE(soundscapes.count(roomkit::LowerCase(block.Get("soundscape"))))
                    << room.file << ": soundscape " << block.Get("soundscape");
            }
        }
        EXPECT_GE(sounds, 1) << room.file;
        EXPECT_TRUE(props >= 10 && props <= 30) << room.file << " has " << props << " props";
        for (const Vec3& l : lamps) {
            auto near = [&](const std::vector<Vec3>& at) {
                return std::any_of(at.begin(), at.end(), [&](const Vec3& f) { return Distance(f, l) <= 128; });
            };
            ++lights;
            atModels += near(fixtures);
            EXPECT_TRUE(near(fixtures) || near(windows))
                << room.file << ": a light at " << l.x << " " << l.y << " " << l.z << " with no lamp or window near";
        }
    }
    EXPECT_GE(atModels * 10, lights * 6) << atModels << " of " << lights << " lights at a lamp";
}

// Every room's entities go into one table of the level (EntityLines, 40000 lines; the build
// stops when it is full), with the characters, pickups and lights the build adds for the
// placeholders. A level holds up to 45 rooms: even the heaviest 45 leave room for those.
TEST(RoomLibraryV3, TheHeaviestLevelFitsTheEntityTable) {
    std::vector<int> weights;
    for (const auto& room : Library()) weights.push_back(EntityLines(roomkit::ImportRoom(room.map)));
    std::sort(weights.rbegin(), weights.rend());
    int heaviest = 0;
    for (size_t i = 0; i < weights.size() && i < 45; ++i) heaviest += weights[i];
    EXPECT_LE(heaviest, 36000) << "the 45 heaviest rooms need " << heaviest << " entity lines";
}

}  // namespace
