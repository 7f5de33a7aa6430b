#include "paths/vdf_reader.h"

#include <cctype>

#include "check/vmf_reader.h"

namespace tessellon {

namespace {

class VdfParser {
public:
    explicit VdfParser(const std::string& text) : t_(text) {}

    // depth: how many blocks are open around `out`.
    bool ParseEntries(std::vector<VdfNode>& out, bool insideBlock, int depth = 0) {
        while (true) {
            SkipBlanks();
            if (i_ >= t_.size()) {
                if (insideBlock) return Fail("a block is not closed");
                return true;
            }
            if (t_[i_] == '}') {
                if (!insideBlock) return Fail("a '}' without its block");
                ++i_;
                return true;
            }
            if (t_[i_] == '{') return Fail("a '{' where a key should be");
            VdfNode node;
            if (!ReadToken(node.key)) return false;
            SkipBlanks();
            if (i_ >= t_.size()) return Fail("the key \"" + node.key + "\" has no value");
            if (t_[i_] == '{') {
                // Steam's files nest a few levels; a cap keeps a hostile file off the stack.
                if (depth >= kMaxBlockNesting)
                    return Fail("blocks are nested more than " + std::to_string(kMaxBlockNesting) + " deep");
                ++i_;
                node.isBlock = true;
                if (!ParseEntries(node.children, true, depth + 1)) return false;
            } else if (t_[i_] == '}') {
                return Fail("the key \"" + node.key + "\" has no value");
            } else if (!ReadToken(node.value)) {
                return false;
            }
            out.push_back(std::move(node));
        }
    }

    std::string error;

private:
    bool Fail(const std::string& what) {
        int line = 1;
        for (std::size_t k = 0; k < i_ && k < t_.size(); ++k)
            if (t_[k] == '\n') ++line;
        error = "line " + std::to_string(line) + ": " + what;
        return false;
    }

    void SkipBlanks() {
        while (i_ < t_.size()) {
            const char c = t_[i_];
            if (std::isspace(static_cast<unsigned char>(c))) {
                ++i_;
            } else if (c == '/' && i_ + 1 < t_.size() && t_[i_ + 1] == '/') {
                while (i_ < t_.size() && t_[i_] != '\n') ++i_;
            } else {
                break;
            }
        }
    }

    bool ReadToken(std::string& out) {
        if (t_[i_] != '"') {
            // An unquoted word runs to the next blank, brace or quote.
            while (i_ < t_.size() && !std::isspace(static_cast<unsigned char>(t_[i_])) && t_[i_] != '{' &&
                   t_[i_] != '}' && t_[i_] != '"')
                out += t_[i_++];
            return true;
        }
        ++i_;
        while (i_ < t_.size()) {
            const char c = t_[i_++];
            if (c == '"') return true;
            if (c == '\\' && i_ < t_.size()) {
                const char e = t_[i_++];
                switch (e) {
                case 'n': out += '\n'; break;
                case 't': out += '\t'; break;
                case '\\': out += '\\'; break;
                case '"': out += '"'; break;
                default: out += '\\'; out += e;
                }
                continue;
            }
            out += c;
        }
        return Fail("a quote is not closed");
    }

    const std::string& t_;
    std::size_t i_ = 0;
};

bool IsNumber(const std::string& s) {
    if (s.empty()) return false;
    for (const char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

}  // namespace

const VdfNode* VdfNode::Find(const std::string& childKey) const {
    for (const auto& c : children)
        if (NamesEqual(c.key, childKey)) return &c;
    return nullptr;
}

std::optional<std::vector<VdfNode>> ReadVdf(const std::string& text, std::string* error) {
    VdfParser parser(text);
    std::vector<VdfNode> out;
    if (!parser.ParseEntries(out, false)) {
        if (error) *error = parser.error;
        return std::nullopt;
    }
    return out;
}

std::vector<std::string> LibraryFoldersFromVdf(const std::string& text) {
    std::vector<std::string> folders;
    const auto nodes = ReadVdf(text);
    if (!nodes) return folders;
    for (const auto& root : *nodes) {
        if (!root.isBlock || !NamesEqual(root.key, "libraryfolders")) continue;
        for (const auto& entry : root.children) {
            if (!IsNumber(entry.key)) continue;
            if (entry.isBlock) {
                if (const VdfNode* path = entry.Find("path"); path && !path->isBlock && !path->value.empty())
                    folders.push_back(path->value);
            } else if (!entry.value.empty()) {
                folders.push_back(entry.value);
            }
        }
    }
    return folders;
}

}  // namespace tessellon
