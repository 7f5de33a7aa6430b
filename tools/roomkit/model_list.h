#pragma once
#include <map>
#include <string>
#include <vector>

namespace roomkit {

// How a model of the game may stand in a room, as hl2_models.txt records it. The compiler
// deletes a prop_static whose model lacks $staticprop or carries prop_data, and the game
// deletes a prop_physics without prop_data and a prop_dynamic with it; what is known decides.
enum class PropUse {
    Static,   // compiled with $staticprop and without prop_data: may be a prop_static
    Physics,  // carries prop_data: prop_physics (motion disabled where it must stay put)
    Unknown,  // not established: never a prop_static; goes in as prop_dynamic_override
};

const char* PropUseName(PropUse use);

// Model path (lower case) -> its use.
using ModelKinds = std::map<std::string, PropUse>;

// Reads a model list: one "path use" a line, use being static, physics or unknown (a path alone
// is unknown); '#' starts a comment. False when the file cannot be read; a line of another form is named in `errors`
// as "LINE: message" and left out.
bool ReadModelKinds(const std::string& path, ModelKinds& out, std::vector<std::string>& errors);

}  // namespace roomkit
