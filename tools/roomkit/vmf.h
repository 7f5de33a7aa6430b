#pragma once
#include <stdexcept>
#include <string>
#include <vector>

#include "session/text_helpers.h"

namespace roomkit {

// One node of a Valve map file: either a key with its value, or a named block holding
// further nodes in file order. The root of a parsed file is an unnamed block.
struct Node {
    std::string key;    // key name, or block name
    std::string value;  // value of a key; empty for a block
    bool isBlock = false;
    int line = 0;  // line of the key or block name in the source it was read from
    std::vector<Node> children;

    static Node Key(std::string k, std::string v, int line = 0);
    static Node Block(std::string name, int line = 0);

    Node& Add(Node child);
    Node& AddKey(const std::string& k, const std::string& v);
    // First key of that name directly in this block (letter case ignored); null when none.
    const Node* FindKey(const std::string& k) const;
    std::string Get(const std::string& k, const std::string& fallback = "") const;
    // Sets the first key of that name, or appends it.
    void Set(const std::string& k, const std::string& v);
    std::vector<const Node*> Blocks(const std::string& name) const;
};

class ParseError : public std::runtime_error {
public:
    ParseError(int line, const std::string& message);
    int line;
    std::string message;
};

// Reads the text of a .vmf file: quoted or bare tokens, blocks in braces, // comments.
Node ParseVmf(const std::string& text);
// Writes a tree in the layout Hammer writes: quoted keys and values, tab indentation, CRLF.
std::string WriteVmf(const Node& root);

// Names compare as the level checker and the engine compare them.
bool EqualsNoCase(const std::string& a, const std::string& b);
using tessellon::LowerCase;

}  // namespace roomkit
