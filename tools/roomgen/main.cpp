// Writes the bundled room library as Hammer maps (one .vmf per room) into a folder. The
// maps are the sources the build turns into room files; they can be opened and edited in
// Hammer like any other room.
#include <filesystem>
#include <iostream>
#include <set>
#include <tuple>

#include "roomgen/library.h"
#include "roomkit/kit.h"
#include "roomkit/model_list.h"

int main(int argc, char** argv) {
    if (argc != 2 && !(argc == 4 && std::string(argv[2]) == "--lists")) {
        std::cerr << "usage: tessellon_roomgen OUTPUT_FOLDER [--lists DATA_FOLDER]\n";
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    // How each model may stand comes from the game's model list in the data folder.
    const std::filesystem::path data = argc == 4 ? std::filesystem::path(argv[3]) : TESSELLON_DATA_DIR;
    roomkit::ModelKinds kinds;
    std::vector<std::string> errors;
    if (!roomkit::ReadModelKinds((data / "hl2_models.txt").string(), kinds, errors) || !errors.empty()) {
        std::cerr << (data / "hl2_models.txt").string() << ": cannot be read"
                  << (errors.empty() ? "" : ":" + errors.front()) << "\n";
        return 1;
    }
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    int written = 0;
    std::set<std::string> models, materials;
    for (const auto& room : roomgen::BuildLibrary("Tessellon team", kinds)) {
        const auto makeup = roomgen::MakeupOf(room.map);
        models.insert(makeup.models.begin(), makeup.models.end());
        materials.insert(makeup.materials.begin(), makeup.materials.end());
        std::cout << room.file << ": " << makeup.worldBrushes << " world brushes, " << makeup.detailBrushes
                  << " detail brushes, " << makeup.models.size() << " models, " << makeup.characters << " characters, "
                  << makeup.nodes << " nodes, " << makeup.cubemaps << " cube maps\n";
        for (const auto& fault : roomgen::ContentFaults(room.map)) std::cerr << room.file << ": " << fault << "\n";
        const auto path = (dir / (room.file + ".vmf")).string();
        if (!roomkit::WriteFileAtomically(path, roomkit::WriteVmf(room.map))) {
            std::cerr << path << ": cannot be written\n";
            return 1;
        }
        ++written;
    }
    std::cout << written << " rooms written to " << dir.string() << "; " << models.size() << " models, "
              << materials.size() << " materials\n";
    if (argc == 4) {
        for (const auto& [file, what, names] : {std::tuple{"room_models.txt", "model", &models},
                                                std::tuple{"room_materials.txt", "material", &materials}}) {
            const auto path = (data / file).string();
            if (!roomkit::WriteFileAtomically(path, roomgen::ListText(what, *names))) {
                std::cerr << path << ": cannot be written\n";
                return 1;
            }
        }
    }
    return 0;
}
