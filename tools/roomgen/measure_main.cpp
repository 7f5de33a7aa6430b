// How finely each room's world brushes cut the space inside it, on the leak flood's grid (the
// open cells and the faces between them, with the doorways plugged): the visibility compiler
// cuts space at the world's planes, so this is a measure of the portals a room costs it.
//
//     tessellon_roommeasure ROOMS_FOLDER
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <vector>

#include "check/level_check.h"
#include "roomkit/kit.h"
#include "roomkit/room_file.h"
#include "roomkit/room_rules.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: tessellon_roommeasure ROOMS_FOLDER\n";
        return 2;
    }
    std::vector<std::filesystem::path> files;
    for (const auto& e : std::filesystem::directory_iterator(argv[1]))
        if (e.path().extension() == ".rgr") files.push_back(e.path());
    std::sort(files.begin(), files.end());
    double open = 0, faces = 0;
    int rooms = 0;
    for (const auto& f : files) {
        std::string text;
        if (!roomkit::ReadFile(f.string(), text)) continue;
        const auto lines = roomkit::SplitLines(text);
        if (lines.size() < static_cast<size_t>(roomkit::kHeaderLines)) continue;
        const roomkit::RoomBody body = roomkit::ParseBody(lines);
        const std::vector<std::string> bodyLines(
            lines.begin() + roomkit::kHeaderLines,
            lines.begin() + std::min<size_t>(lines.size(), static_cast<size_t>(body.endLine)));
        auto bodies = tessellon::SealingBodies(tessellon::ReadVmfTokenLines(bodyLines, roomkit::kHeaderLines + 1));
        const auto type = std::atoi(lines[2].c_str());
        const auto openSides = roomkit::OpenSides(type);
        for (int s = 0; s < 4; ++s) {
            if (!openSides[static_cast<size_t>(s)]) continue;
            const int first = 3 + 4 * s;
            const roomkit::Vec3 p{std::atof(lines[static_cast<size_t>(first)].c_str()),
                                  std::atof(lines[static_cast<size_t>(first + 1)].c_str()),
                                  std::atof(lines[static_cast<size_t>(first + 2)].c_str())};
            bodies.push_back(tessellon::SealingBox(
                roomkit::DoorwayPlug({s, p, std::atoi(lines[static_cast<size_t>(first + 3)].c_str())})));
        }
        const auto cut = tessellon::MeasureSpaceCut(bodies, {{-384, -384, -4096}, {384, 384, 4096}});
        if (!cut.checked) continue;
        std::cout << f.filename().string() << ": " << cut.open << " open cells, " << cut.faces
                  << " faces between them\n";
        open += static_cast<double>(cut.open), faces += static_cast<double>(cut.faces), ++rooms;
    }
    if (rooms)
        std::cout << rooms << " rooms: " << open / rooms << " open cells, " << faces / rooms << " faces a room\n";
    return 0;
}
