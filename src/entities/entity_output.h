#pragma once
#include <array>
#include <string>

namespace tessellon {

struct Session;

// The weighted name lottery: rows 1..count in the order they were added. A row with an
// empty name stands for drawing nothing.
struct ShareEntry {
    std::string name;
    std::string share;  // as read, file form
};
struct ShareListTable {
    static constexpr int kCapacity = 200;
    int count = 0;
    double total = 0;
    std::array<ShareEntry, kCapacity + 1> rows{};
};

void ShareList_Clear(Session& s);
// Adds a name with its share (a number text in file form). An empty share adds nothing.
// Throws BuildFailure when the list is full or the share is not a number.
void ShareList_Add(Session& s, const std::string& addName, const std::string& chance);
// Draws a name with probability share / total; the empty text for nothing, an empty list or
// shares that sum to 0.
std::string ShareList_Get(Session& s);

// Hands the first entity of RoomLines whose targetname is entityName to the level: a spawn
// group's blocks go to WorldInsertLines (they become world brushes), any other entity to
// EntityLines in paired form. Nothing happens when no entity has that name.
void Print_Entity_To_World(Session& s, const std::string& entityName);

// Closes the world block and writes the collected entity lines after it, indented by block
// depth; empties EntityLines.
void WriteEntites(Session& s);

// 'key' 'value', the paired form of a key line and its value line.
std::string PairedLine(const std::string& key, const std::string& value);

}  // namespace tessellon
