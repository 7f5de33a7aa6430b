// Writes the bundled room library as Hammer maps (one .vmf per room) into a folder. The
// maps are the sources the build turns into room files; they can be opened and edited in
// Hammer like any other room.
#include <filesystem>
#include <iostream>

#include "roomgen/library.h"
#include "roomkit/kit.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: tessellon_roomgen OUTPUT_FOLDER\n";
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    int written = 0;
    for (const auto& room : roomgen::BuildLibrary("Tessellon team")) {
        const auto path = (dir / (room.file + ".vmf")).string();
        if (!roomkit::WriteFileAtomically(path, roomkit::WriteVmf(room.map))) {
            std::cerr << path << ": cannot be written\n";
            return 1;
        }
        ++written;
    }
    std::cout << written << " rooms written to " << dir.string() << "\n";
    return 0;
}
