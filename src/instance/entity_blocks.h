#pragma once
#include <string>

#include "session/text_table.h"

namespace tessellon {

// What the entity walk knows of one entity block of the room's lines.
struct EntityBlock {
    int start = 0;  // the "entity" line
    int end = 0;    // its closing "}"
    std::string className;
    std::string targetName;
};

// Walks the entity blocks among lines 1..Head() of a room's lines in order and calls
// visit(block) at each closing brace; a visit that returns true ends the walk. Keys of nested
// blocks count for their entity, as the placeholders' own keys sit at the entity's top level.
template <typename Visit>
void ForEachEntityBlock(const TextTable& lines, Visit visit) {
    const int last = lines.Head();
    int depth = -1;
    EntityBlock block;
    for (int i = 1; i <= last; ++i) {
        const std::string& line = lines.Get(i);
        if (line == "entity") {
            depth = 0;
            block = EntityBlock{};
            block.start = i;
        } else if (depth < 0) {
            continue;
        } else if (line == "{") {
            ++depth;
        } else if (line == "}") {
            if (--depth > 0) continue;
            depth = -1;
            block.end = i;
            if (visit(block)) return;
        } else if (line == "classname") {
            block.className = lines.Get(++i);
        } else if (line == "targetname") {
            block.targetName = lines.Get(++i);
        }
    }
}

}  // namespace tessellon
