#pragma once
#include <map>
#include <set>
#include <string>
#include <vector>

#include "roomkit/model_list.h"
#include "roomkit/room_file.h"

namespace roomkit {

// Validates a room file given as its lines: the header, the structure of the body and its
// markers, the connection markers against the header, and the shell of the room: every
// open side a doorway, every closed side a full wall, floor and ceiling closed, nothing
// outside the cell. Returns every problem found, in line order.
std::vector<Issue> CheckRoom(const std::vector<std::string>& lines);

// What the kit checks beyond the room standard's shape.
struct RoomCheckOptions {
    // Model paths the game ships (lower case); when set, every prop's model must be one.
    const std::set<std::string>* models = nullptr;
    // How each model may stand (hl2_models.txt); when set, a prop_static's model must be
    // marked static.
    const ModelKinds* modelKinds = nullptr;
    // A world brush that is no part of the shell should be func_detail.
    bool detailBrushes = true;
    // The room's nodes: there are some, none inside a brush, every walkable spot within 256
    // units of one, and one within 96 units of every doorway's connection point.
    bool nodes = true;
    // Allowances for rooms made before these rules: a room without any node passes the node
    // rules, and a prop_static whose model is marked unknown passes. What they let pass goes to
    // `allowed` when it is set.
    bool allowMissingNodes = false;
    bool allowUnmarkedModels = false;
    std::vector<Issue>* allowed = nullptr;
};

// CheckRoom, then: world brushes that touch no side of the cell (so they are not part of the
// shell and should be func_detail; water stays in the world), props whose model is not in
// `options.models`, static props of models not marked static, and the node rules.
std::vector<Issue> CheckRoom(const std::vector<std::string>& lines, const RoomCheckOptions& options);

// Reads a list of model or material paths (the first word of each line, '#' starts a
// comment) into lower case; false when the file cannot be read.
bool ReadModelList(const std::string& path, std::set<std::string>& out);

// "FILE:LINE: message" lines for a list of issues.
std::string FormatIssues(const std::string& file, const std::vector<Issue>& issues);

}  // namespace roomkit
