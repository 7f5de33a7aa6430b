#pragma once
#include <optional>
#include <string>
#include <vector>

namespace tessellon {

// One entry of a Steam key-value text file (.vdf): a quoted key with either a quoted value or
// a braced block of entries.
struct VdfNode {
    std::string key;
    std::string value;
    std::vector<VdfNode> children;
    bool isBlock = false;

    // The first child whose key matches without regard to letter case.
    const VdfNode* Find(const std::string& childKey) const;
};

// Reads the whole text into its top-level entries. Escapes \\ \" \n \t are understood, "//"
// starts a comment, unquoted words are accepted. nullopt (with `error` set) when the text is
// malformed: an unclosed quote or block, a brace where a key should be, or blocks nested more
// than 64 deep. The error names the line.
std::optional<std::vector<VdfNode>> ReadVdf(const std::string& text, std::string* error = nullptr);

// The library folders listed in a libraryfolders.vdf text: both the current form (numbered
// blocks with a "path" key) and the older one (numbered keys whose value is the folder).
std::vector<std::string> LibraryFoldersFromVdf(const std::string& text);

}  // namespace tessellon
