#include "roomkit/vmf.h"

#include <cctype>

#include "check/vmf_reader.h"
#include "session/text_helpers.h"

namespace roomkit {

Node Node::Key(std::string k, std::string v, int line) {
    Node n;
    n.key = std::move(k);
    n.value = std::move(v);
    n.line = line;
    return n;
}

Node Node::Block(std::string name, int line) {
    Node n;
    n.key = std::move(name);
    n.isBlock = true;
    n.line = line;
    return n;
}

Node& Node::Add(Node child) {
    children.push_back(std::move(child));
    return children.back();
}

Node& Node::AddKey(const std::string& k, const std::string& v) { return Add(Key(k, v)); }

const Node* Node::FindKey(const std::string& k) const {
    for (const auto& c : children)
        if (!c.isBlock && EqualsNoCase(c.key, k)) return &c;
    return nullptr;
}

std::string Node::Get(const std::string& k, const std::string& fallback) const {
    const Node* n = FindKey(k);
    return n ? n->value : fallback;
}

void Node::Set(const std::string& k, const std::string& v) {
    for (auto& c : children)
        if (!c.isBlock && EqualsNoCase(c.key, k)) {
            c.value = v;
            return;
        }
    AddKey(k, v);
}

std::vector<const Node*> Node::Blocks(const std::string& name) const {
    std::vector<const Node*> out;
    for (const auto& c : children)
        if (c.isBlock && EqualsNoCase(c.key, name)) out.push_back(&c);
    return out;
}

ParseError::ParseError(int l, const std::string& message)
    : std::runtime_error("line " + std::to_string(l) + ": " + message), line(l), message(message) {}

bool EqualsNoCase(const std::string& a, const std::string& b) { return tessellon::NamesEqual(a, b); }

namespace {

struct Token {
    enum Kind { Text, Open, Close, End } kind;
    std::string text;
    int line;
};

class Lexer {
public:
    explicit Lexer(const std::string& t) : text_(t) {}

    Token Next() {
        for (;;) {
            while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) {
                if (text_[pos_] == '\n') ++line_;
                ++pos_;
            }
            if (pos_ + 1 < text_.size() && text_[pos_] == '/' && text_[pos_ + 1] == '/') {
                while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
                continue;
            }
            break;
        }
        if (pos_ >= text_.size()) return {Token::End, "", line_};
        const char c = text_[pos_];
        if (c == '{') return ++pos_, Token{Token::Open, "{", line_};
        if (c == '}') return ++pos_, Token{Token::Close, "}", line_};
        const int startLine = line_;
        std::string word;
        if (c == '"') {
            ++pos_;
            while (pos_ < text_.size() && text_[pos_] != '"') {
                if (text_[pos_] == '\n') throw ParseError(startLine, "a quoted text runs past the end of its line");
                word += text_[pos_++];
            }
            if (pos_ >= text_.size()) throw ParseError(startLine, "a quoted text is never closed");
            ++pos_;
        } else {
            while (pos_ < text_.size() && !std::isspace(static_cast<unsigned char>(text_[pos_])) &&
                   text_[pos_] != '{' && text_[pos_] != '}' && text_[pos_] != '"')
                word += text_[pos_++];
        }
        return {Token::Text, word, startLine};
    }

private:
    const std::string& text_;
    size_t pos_ = 0;
    int line_ = 1;
};

// depth: how many blocks hold `block`'s children (0 at the top of the file).
void ParseBlockBody(Lexer& lex, Node& block, bool topLevel, int depth) {
    for (;;) {
        Token t = lex.Next();
        if (t.kind == Token::End) {
            if (topLevel) return;
            throw ParseError(block.line, "block \"" + block.key + "\" is never closed");
        }
        if (t.kind == Token::Close) {
            if (topLevel) throw ParseError(t.line, "\"}\" without an open block");
            return;
        }
        if (t.kind == Token::Open) throw ParseError(t.line, "\"{\" without a block name");
        Token next = lex.Next();
        if (next.kind == Token::Open) {
            if (depth >= tessellon::kMaxBlockNesting)
                throw ParseError(t.line, "block \"" + t.text + "\" nests deeper than " +
                                             std::to_string(tessellon::kMaxBlockNesting) + " levels");
            Node& child = block.Add(Node::Block(t.text, t.line));
            ParseBlockBody(lex, child, false, depth + 1);
        } else if (next.kind == Token::Text) {
            block.Add(Node::Key(t.text, next.text, t.line));
        } else {
            throw ParseError(t.line, "key \"" + t.text + "\" has no value");
        }
    }
}

void WriteNode(const Node& n, int depth, std::string& out) {
    const std::string indent(static_cast<size_t>(depth), '\t');
    if (!n.isBlock) {
        out += indent + "\"" + n.key + "\" \"" + n.value + "\"\r\n";
        return;
    }
    out += indent + n.key + "\r\n" + indent + "{\r\n";
    for (const auto& c : n.children) WriteNode(c, depth + 1, out);
    out += indent + "}\r\n";
}

}  // namespace

Node ParseVmf(const std::string& text) {
    Lexer lex(text);
    Node root = Node::Block("", 0);
    ParseBlockBody(lex, root, true, 0);
    return root;
}

std::string WriteVmf(const Node& root) {
    std::string out;
    for (const auto& c : root.children) WriteNode(c, 0, out);
    return out;
}

}  // namespace roomkit
