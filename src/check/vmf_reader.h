#pragma once
// Reader for Valve map files (.vmf): nested named blocks holding quoted key/value pairs.
#include <cstddef>
#include <memory>
#include <memory_resource>
#include <string>
#include <string_view>
#include <vector>

namespace tessellon {

// Where something starts in the text, both counted from 1.
struct TextPosition {
    int line = 0;
    int column = 0;
};

// Real maps nest blocks a few levels deep (world, solid, side, dispinfo, ...); deeper blocks
// are not read, so a hostile file cannot make the tree or the walks over it unbounded.
constexpr int kMaxBlockNesting = 64;

// Block names and keys compare without regard to letter case, as the engine's reader does.
inline bool NamesEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x == y) continue;
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// Names, keys and values are views into the text the document keeps (VmfDocument::text), so
// reading a level copies no word of it; they stay valid as long as a copy of the document lives.
struct VmfKeyValue {
    std::string_view key;
    std::string_view value;
    TextPosition at;
};

// A read document keeps its blocks' lists in one arena it owns (see VmfDocument), so reading a
// level costs no allocation per block. A block copied out of a document gets lists of its own.
struct VmfBlock {
    std::string_view name;
    TextPosition at;  // position of the block's name
    std::pmr::vector<VmfKeyValue> keys;
    std::pmr::vector<VmfBlock> children;

    // First value of `key` (exact, case-insensitive like the engine), or nullptr.
    const std::string_view* Find(std::string_view key) const;
    // The value of `key`, or `fallback` when the block does not carry it.
    std::string Get(std::string_view key, std::string_view fallback = {}) const;
};

struct VmfParseError {
    TextPosition at;
    std::string message;
};

// A whole file: the top-level blocks in file order (versioninfo, world, entity, ...).
struct VmfDocument {
    // Declared first so it is freed after the blocks whose lists it holds; shared by the copies.
    std::shared_ptr<std::pmr::memory_resource> arena;
    std::pmr::vector<VmfBlock> blocks;
    std::vector<VmfParseError> errors;        // empty when the text read cleanly
    std::shared_ptr<const std::string> text;  // what the blocks' words point into

    VmfDocument() = default;
    VmfDocument(const VmfDocument&) = default;
    VmfDocument(VmfDocument&&) noexcept = default;
    ~VmfDocument() = default;
    // The old blocks must go while their arena still lives, so the blocks are assigned first.
    // (The blocks list itself always uses the ordinary heap; only the lists in blocks use the
    // arena.)
    VmfDocument& operator=(const VmfDocument& other);
    VmfDocument& operator=(VmfDocument&& other) noexcept;
};

// Reads map text already in memory. Never throws on bad text: problems go to `errors`
// and reading recovers where it sensibly can (a stray "}" is skipped, blocks left open at the
// end are closed), so one slip does not hide the rest of the level.
VmfDocument ReadVmfText(std::string_view text);

// Reads a map file. Returns false (and leaves `doc` empty) only when the file cannot be read.
bool ReadVmfFile(const std::string& path, VmfDocument& doc, std::string& whyNot);

// Reads the one-token-per-line form of room bodies: a block name on its own line followed by a
// "{" line, "}" lines, and a key line followed by its value line, all without quotes. Lines
// that consist of a marker such as "/\/worldend\/\" are skipped; lines after "/\/EOF\/\" are
// not read. `firstLine` is the file line number of lines[0], for the error positions.
VmfDocument ReadVmfTokenLines(const std::vector<std::string>& lines, int firstLine = 1);

}  // namespace tessellon
