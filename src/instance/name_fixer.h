#pragma once
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tessellon {

struct Session;

// Old names (lower case) and their new names for the room being placed.
struct NameListTable {
    static constexpr int kCapacity = 8000;
    std::vector<std::pair<std::string, std::string>> pairs;
    std::unordered_map<std::string, std::size_t> index;  // old name -> position in pairs
    int Count() const { return static_cast<int>(pairs.size()); }
};

constexpr int kNameCounterLimit = 32767;

// Renames every entity name in RoomLines to a name fresh for the level, the same new name
// for every reference to one old name in the room.
void NameFixer(Session& s);
// The new name of an old one (letter case ignored), given out on first use.
std::string CheckNameList(Session& s, const std::string& theName);
void ClearNameList(Session& s);
// 1 -> "a", 26 -> "z", 27 -> "aa", ...
std::string NtN(int number);
// Whether a key line holds an entity name as its value.
bool IsNameKey(const std::string& key);

}  // namespace tessellon
