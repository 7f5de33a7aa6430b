#pragma once
#include <string>
#include <vector>

#include "roomkit/room_builder.h"

namespace roomgen {

using roomkit::Node;

struct GeneratedRoom {
    std::string file;  // file name without extension
    Node map;          // the room as a Hammer map
};

// Every room of the bundled library, built from our own room plans.
std::vector<GeneratedRoom> BuildLibrary(const std::string& author);

}  // namespace roomgen
