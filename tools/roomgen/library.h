#pragma once
#include <set>
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

// What one room is made of: its world (shell) and detail brushes, and the models and
// materials it uses (materials in capitals, decals among them; models in lower case).
struct RoomMakeup {
    int worldBrushes = 0, detailBrushes = 0;
    std::set<std::string> models, materials;
};
RoomMakeup MakeupOf(const Node& map);

// The lists kept in data/: every model and every material the library uses, one a line.
std::string ListText(const std::string& what, const std::set<std::string>& names);

}  // namespace roomgen
