#pragma once
#include <set>
#include <string>
#include <vector>

#include "roomkit/model_list.h"
#include "roomkit/room_builder.h"

namespace roomgen {

using roomkit::Node;

struct GeneratedRoom {
    std::string file;  // file name without extension
    Node map;          // the room as a Hammer map
};

// Every room of the bundled library, built from our own room plans; `models` says how each
// model may stand (hl2_models.txt).
std::vector<GeneratedRoom> BuildLibrary(const std::string& author, const roomkit::ModelKinds& models);

// What one room is made of: its world (shell) and detail brushes, and the models and
// materials it uses (materials in capitals, decals among them; models in lower case).
struct RoomMakeup {
    int worldBrushes = 0, detailBrushes = 0;
    int characters = 0, nodes = 0, cubemaps = 0;  // vornic_npc; info_node of every kind; env_cubemap
    std::set<std::string> models, materials;
};
RoomMakeup MakeupOf(const Node& map);

// Every model the room plans furnish with, with its assumed size.
const std::vector<roomkit::PropModel>& FurnitureModels();

// What a generated room lacks of what every room carries for play, one line each: a node graph
// (at most kMaxRoomNodes, a node just inside every doorway), characters (none in a start room,
// 2 to 4 elsewhere, none seen from a player start beyond a doorway), cube maps, one water
// height and water_lod_control where there is water, and in a one-way part a save that no
// doorway and no character sees and every way through crosses; and no placeholder inside a
// prop.
std::vector<std::string> ContentFaults(const Node& map);

// The lists kept in data/: every model and every material the library uses, one a line.
std::string ListText(const std::string& what, const std::set<std::string>& names);

}  // namespace roomgen
