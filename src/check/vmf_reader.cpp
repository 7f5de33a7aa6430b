#include "check/vmf_reader.h"

#include <array>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>

#include "platform/spare_buffer.h"
#include "platform/whole_file.h"

namespace tessellon {

namespace {

enum class TokenKind { Open, Close, Text, End };

struct Token {
    TokenKind kind = TokenKind::End;
    std::string_view text;
    TextPosition at;
};

// What each byte is to the tokenizer: white space (line ends included), what ends a bare word,
// what ends a quoted word (its quote, the line's end, or the '\0' after the text), and what
// may make up a block's name on the common path.
enum : unsigned char { kSpace = 1, kEndsWord = 2, kEndsQuoted = 4, kNameChar = 8 };
constexpr auto kClass = [] {
    std::array<unsigned char, 256> t{};
    for (unsigned char c : {' ', '\t', '\r', '\n', '\f', '\v'}) t[c] |= kSpace;
    for (unsigned char c : {' ', '\t', '\r', '\n', '{', '}', '"'}) t[c] |= kEndsWord;
    for (unsigned char c : {'"', '\n', '\0'}) t[c] |= kEndsQuoted;
    for (int c = 0; c < 256; ++c)
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_') t[c] |= kNameChar;
    return t;
}();

// Splits map text into braces and words; a word is either quoted or a run of characters up to
// white space, a brace or a quote. "//" starts a comment outside quotes.
class Tokenizer {
public:
    // A std::string's text is followed by a '\0', which the common path relies on.
    Tokenizer(const std::string& text, std::vector<VmfParseError>& errors) : text_(text), errors_(errors) {}

    Token Next() {
        if (hasPushed_) {
            hasPushed_ = false;
            return pushed_;
        }
        for (;;) {
            SkipSpace();
            if (pos_ >= text_.size()) return Token{TokenKind::End, {}, Here()};
            const char c = text_[pos_];
            if (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '/') {
                while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
                continue;
            }
            Token t;
            t.at = Here();
            if (c == '{' || c == '}') {
                t.kind = c == '{' ? TokenKind::Open : TokenKind::Close;
                t.text = text_.substr(pos_, 1);
                ++pos_;
                return t;
            }
            t.kind = TokenKind::Text;
            if (c == '"') {
                const std::size_t start = ++pos_;
                // The closing quote, unless a line end comes first. The line's end is found once
                // for all the words on it (a key and its value share a line).
                const char* base = text_.data();
                if (lineEnd_ < start) {
                    const void* newline = std::memchr(base + start, '\n', text_.size() - start);
                    lineEnd_ =
                        newline ? static_cast<std::size_t>(static_cast<const char*>(newline) - base) : text_.size();
                }
                const void* quote = std::memchr(base + start, '"', lineEnd_ - start);
                pos_ = quote ? static_cast<std::size_t>(static_cast<const char*>(quote) - base) : lineEnd_;
                if (!quote) {
                    // A value never spans lines, so the quote was left open: take the rest of the
                    // line as the word and carry on with the next line.
                    errors_.push_back({t.at, "this quoted text is not closed on its line"});
                    std::size_t end = pos_;
                    if (end > start && text_[end - 1] == '\r') --end;
                    t.text = text_.substr(start, end - start);
                    return t;
                }
                t.text = text_.substr(start, pos_ - start);
                ++pos_;
                return t;
            }
            const std::size_t start = pos_;
            while (pos_ < text_.size() && !(kClass[static_cast<unsigned char>(text_[pos_])] & kEndsWord)) ++pos_;
            t.text = text_.substr(start, pos_ - start);
            return t;
        }
    }

    // What ReadCommon read.
    enum class Common { None, Key, Close, Open };

    // Almost every line of a map is one of four: "key" "value", a block's name followed by its
    // "{" (on the next line), or "}". ReadCommon reads the next of these whole when that is what
    // comes next: a key and its value (only inside a block, `inBlock`), a "}", or a name of
    // letters, digits and underscores with nothing but white space before its "{" (the "{" is
    // read too). Otherwise it reads nothing but the white space before it and returns None; the
    // caller then takes the words one by one, so odd text keeps its usual handling.
    //
    // Both words of a key line must close their quotes before the line ends and stand apart
    // by blanks. The text ends in a '\0' (see the constructor), so no scan tests for its end.
    Common ReadCommon(bool inBlock, std::string_view& first, std::string_view& second, TextPosition& at) {
        if (hasPushed_) return Common::None;
        SkipSpace();
        const char* const base = text_.data();
        const char* p = base + pos_;
        const char c = *p;
        if (c == '}') {
            at = Here();
            ++pos_;
            return Common::Close;
        }
        if (c == '"') {
            if (!inBlock) return Common::None;
            const char* const key = ++p;
            if (!(p = ClosingQuote(p))) return Common::None;
            const char* const keyEnd = p++;
            const char* const blanks = p;
            while (*p == ' ' || *p == '\t') ++p;
            if (p == blanks || *p != '"') return Common::None;
            const char* const value = ++p;
            // Values run longer than keys (a plane is forty characters or so): the library's
            // vector search finds the line's end and then the quote faster than a byte loop.
            const char* const end = base + text_.size();
            const char* lineEnd = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
            if (!lineEnd) lineEnd = end;
            if (!(p = static_cast<const char*>(std::memchr(p, '"', static_cast<std::size_t>(lineEnd - p)))))
                return Common::None;
            at = Here();
            first = std::string_view(key, static_cast<std::size_t>(keyEnd - key));
            second = std::string_view(value, static_cast<std::size_t>(p - value));
            pos_ = static_cast<std::size_t>(p + 1 - base);
            return Common::Key;
        }
        if (!(kClass[static_cast<unsigned char>(c)] & kNameChar)) return Common::None;
        const char* const name = p;
        while (kClass[static_cast<unsigned char>(*p)] & kNameChar) ++p;
        const char* const nameEnd = p;
        // White space up to the "{", counting lines on locals: nothing is kept unless it is there.
        int line = line_;
        const char* lineStart = base + lineStart_;
        for (;; ++p) {
            const unsigned char b = static_cast<unsigned char>(*p);
            if (!(kClass[b] & kSpace)) break;
            if (b == '\n') {
                ++line;
                lineStart = p + 1;
            }
        }
        if (*p != '{') return Common::None;
        at = Here();
        first = std::string_view(name, static_cast<std::size_t>(nameEnd - name));
        pos_ = static_cast<std::size_t>(p + 1 - base);
        line_ = line;
        lineStart_ = static_cast<std::size_t>(lineStart - base);
        return Common::Open;
    }

    void PushBack(const Token& t) {
        pushed_ = t;
        hasPushed_ = true;
    }

private:
    // The closing quote of a word opened just before `p`, or nullptr when the line (or the
    // text) ends first. A '\0' inside the text is an ordinary character here.
    const char* ClosingQuote(const char* p) const {
        for (;; ++p) {
            while (!(kClass[static_cast<unsigned char>(*p)] & kEndsQuoted)) ++p;
            if (*p == '"') return p;
            if (*p == '\n' || p == text_.data() + text_.size()) return nullptr;
        }
    }

    // Works on locals and stores once: through the text's char pointer the compiler must
    // assume any store may change a member, so member counters are reloaded at every byte.
    // The '\0' after the text is no white space, so the scan needs no test for the end.
    void SkipSpace() {
        const char* const base = text_.data();
        const char* p = base + pos_;
        std::size_t lineStart = lineStart_;
        int line = line_;
        for (;;) {
            const unsigned char c = static_cast<unsigned char>(*p);
            if (c == '\t') {  // the indentation: most of a map's white space
                ++p;
                continue;
            }
            if (!(kClass[c] & kSpace)) break;
            ++p;
            if (c == '\n') {
                ++line;
                lineStart = static_cast<std::size_t>(p - base);
            }
        }
        pos_ = static_cast<std::size_t>(p - base);
        lineStart_ = lineStart;
        line_ = line;
    }
    TextPosition Here() const { return {line_, static_cast<int>(pos_ - lineStart_) + 1}; }

    std::string_view text_;
    std::vector<VmfParseError>& errors_;
    std::size_t pos_ = 0;
    std::size_t lineStart_ = 0;
    std::size_t lineEnd_ = 0;  // the first line end at or after the last quoted word's start
    int line_ = 1;
    Token pushed_;
    bool hasPushed_ = false;
};

// Hands out memory from 32 kB chunks and frees it all at once. Chunks of finished arenas are
// kept (up to 8 MB) for the next document: a level's tree takes a few megabytes, and memory
// given back to the system comes back as fresh pages, each a fault that costs more than
// everything the reader does with it.
class ChunkArena final : public std::pmr::memory_resource {
public:
    static constexpr std::size_t kChunk = 32 * 1024;

    ChunkArena() = default;
    ChunkArena(const ChunkArena&) = delete;
    ChunkArena& operator=(const ChunkArena&) = delete;
    ~ChunkArena() override {
        Spare& spare = Spares();
        const std::lock_guard<std::mutex> lock(spare.mutex);
        for (auto& chunk : chunks_)
            if (spare.chunks.size() < kSpareChunks) spare.chunks.push_back(std::move(chunk));
    }

private:
    static constexpr std::size_t kSpareChunks = 256;
    struct Spare {
        std::mutex mutex;
        std::vector<std::unique_ptr<char[]>> chunks;
    };
    // Never freed, so documents that outlive static destruction can still hand theirs back.
    static Spare& Spares() {
        static Spare* const spare = new Spare;
        return *spare;
    }

    void* do_allocate(std::size_t bytes, std::size_t alignment) override {
        void* at = next_;
        if (std::align(alignment, bytes, at, left_)) {
            next_ = static_cast<char*>(at) + bytes;
            left_ -= bytes;
            return at;
        }
        // A large list (the world's brushes) gets a block of its own; the current chunk goes on.
        if (bytes + alignment > kChunk / 4) {
            large_.emplace_back(new char[bytes + alignment]);
            void* start = large_.back().get();
            std::size_t room = bytes + alignment;
            return std::align(alignment, bytes, start, room);
        }
        chunks_.push_back(TakeChunk());
        next_ = chunks_.back().get();
        left_ = kChunk;
        return do_allocate(bytes, alignment);
    }
    void do_deallocate(void*, std::size_t, std::size_t) override {}
    bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override { return this == &other; }

    static std::unique_ptr<char[]> TakeChunk() {
        Spare& spare = Spares();
        {
            const std::lock_guard<std::mutex> lock(spare.mutex);
            if (!spare.chunks.empty()) {
                std::unique_ptr<char[]> chunk = std::move(spare.chunks.back());
                spare.chunks.pop_back();
                return chunk;
            }
        }
        return std::unique_ptr<char[]>(new char[kChunk]);
    }

    std::vector<std::unique_ptr<char[]>> chunks_, large_;
    char* next_ = nullptr;
    std::size_t left_ = 0;
};

std::string Quoted(std::string_view s) {
    std::string out;
    out.reserve(s.size() + 2);
    out.append(1, '"').append(s).append(1, '"');
    return out;
}

// Builds the block tree from whatever hands it names, values and braces, so the text reader
// and the token-per-line reader share the recovery rules.
class TreeBuilder {
public:
    explicit TreeBuilder(VmfDocument& doc)
        : doc_(doc),
          arena_(std::make_shared<ChunkArena>()),
          root_{{}, {}, std::pmr::vector<VmfKeyValue>(arena_.get()), std::pmr::vector<VmfBlock>(arena_.get())} {
        stack_.push_back(&root_);
    }

    bool AtTop() const { return stack_.size() == 1; }

    void Open(std::string_view name, TextPosition at) {
        // Past the nesting cap blocks are only counted, so their braces still pair up.
        if (skipped_ > 0 || stack_.size() > static_cast<std::size_t>(kMaxBlockNesting)) {
            if (skipped_++ == 0)
                doc_.errors.push_back({at, "block " + Quoted(name) + " nests deeper than " +
                                               std::to_string(kMaxBlockNesting) +
                                               " levels; it and everything in it are left out"});
            return;
        }
        VmfBlock& parent = *stack_.back();
        // A solid holds its sides (six for a box) and an editor block: room for eight at once
        // saves the regrowths on the way there.
        if (parent.children.empty() && NamesEqual(parent.name, "solid")) parent.children.reserve(8);
        parent.children.push_back(
            VmfBlock{name, at, std::pmr::vector<VmfKeyValue>(arena_.get()), std::pmr::vector<VmfBlock>(arena_.get())});
        stack_.push_back(&parent.children.back());
    }
    void Close(TextPosition at) {
        if (skipped_ > 0) {
            --skipped_;
            return;
        }
        if (AtTop()) {
            doc_.errors.push_back({at, "\"}\" closes nothing: there is no open block here"});
            return;
        }
        stack_.pop_back();
    }
    void Key(std::string_view key, std::string_view value, TextPosition at) {
        if (skipped_ > 0) return;
        std::pmr::vector<VmfKeyValue>& keys = stack_.back()->keys;
        // A side carries seven keys, most other blocks fewer: room for eight at once saves the
        // three regrowths on the way there.
        if (keys.empty()) keys.reserve(8);
        keys.push_back(VmfKeyValue{key, value, at});
    }
    void Finish() {
        skipped_ = 0;
        while (!AtTop()) {
            const VmfBlock& open = *stack_.back();
            doc_.errors.push_back({open.at, "block " + Quoted(open.name) + " is never closed (a \"}\" is missing)"});
            stack_.pop_back();
        }
        doc_.arena = arena_;
        doc_.blocks = std::move(root_.children);
    }

private:
    VmfDocument& doc_;
    std::shared_ptr<ChunkArena> arena_;
    VmfBlock root_;
    std::vector<VmfBlock*> stack_;
    std::size_t skipped_ = 0;  // blocks open below the nesting cap
};

}  // namespace

VmfDocument& VmfDocument::operator=(const VmfDocument& other) {
    if (this == &other) return *this;
    // Assigned over, the old blocks would keep their lists in the old arena; cleared first,
    // the copies get lists of their own.
    blocks.clear();
    blocks = other.blocks;
    errors = other.errors;
    text = other.text;
    arena = other.arena;
    return *this;
}

VmfDocument& VmfDocument::operator=(VmfDocument&& other) noexcept {
    if (this == &other) return *this;
    // Cleared first so no old block keeps lists in the old arena; the blocks moved in keep
    // theirs in the other document's arena, which comes along below.
    blocks.clear();
    blocks = std::move(other.blocks);
    errors = std::move(other.errors);
    text = std::move(other.text);
    arena = std::move(other.arena);
    return *this;
}

const std::string_view* VmfBlock::Find(std::string_view key) const {
    for (const auto& kv : keys)
        if (NamesEqual(kv.key, key)) return &kv.value;
    return nullptr;
}

std::string VmfBlock::Get(std::string_view key, std::string_view fallback) const {
    const std::string_view* v = Find(key);
    return std::string(v ? *v : fallback);
}

namespace {

// Reads the text the document already holds.
VmfDocument ReadOwnedText(std::shared_ptr<const std::string> owned) {
    VmfDocument doc;
    doc.text = std::move(owned);
    Tokenizer tokens(*doc.text, doc.errors);
    TreeBuilder tree(doc);
    std::string_view first, second;
    TextPosition at;
    for (;;) {
        switch (tokens.ReadCommon(!tree.AtTop(), first, second, at)) {
        case Tokenizer::Common::Key: tree.Key(first, second, at); continue;
        case Tokenizer::Common::Close: tree.Close(at); continue;
        case Tokenizer::Common::Open: tree.Open(first, at); continue;
        case Tokenizer::Common::None: break;
        }
        const Token t = tokens.Next();
        if (t.kind == TokenKind::End) break;
        if (t.kind == TokenKind::Close) {
            tree.Close(t.at);
            continue;
        }
        if (t.kind == TokenKind::Open) {
            doc.errors.push_back({t.at, "\"{\" opens a block that has no name"});
            tree.Open("", t.at);
            continue;
        }
        const Token next = tokens.Next();
        if (next.kind == TokenKind::Open) {
            tree.Open(t.text, t.at);
        } else if (next.kind == TokenKind::Text && !tree.AtTop()) {
            tree.Key(t.text, next.text, t.at);
        } else if (next.kind == TokenKind::Text) {
            doc.errors.push_back({t.at, Quoted(t.text) + " stands outside every block and is not followed by \"{\""});
            tokens.PushBack(next);
        } else {
            doc.errors.push_back(
                {t.at, tree.AtTop() ? Quoted(t.text) + " stands outside every block and is not followed by \"{\""
                                    : "key " + Quoted(t.text) + " has no value"});
            if (next.kind != TokenKind::End) tokens.PushBack(next);
        }
    }
    tree.Finish();
    return doc;
}

}  // namespace

VmfDocument ReadVmfText(std::string_view text) { return ReadOwnedText(std::make_shared<const std::string>(text)); }

namespace {

// Never freed, so documents that outlive static destruction can still hand their text back.
SpareBuffer<std::string>& SpareText() {
    static auto* const spare = new SpareBuffer<std::string>(std::size_t(16) << 20);
    return *spare;
}

}  // namespace

bool ReadVmfFile(const std::string& path, VmfDocument& doc, std::string& whyNot) {
    doc = VmfDocument{};
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        whyNot = path + " is a folder, not a level file";
        return false;
    }
    std::string text = SpareText().Take();
    const WholeFileRead read = ReadWholeFile(path, text);
    if (read != WholeFileRead::Done) {
        whyNot = (read == WholeFileRead::CannotOpen ? "cannot open " : "cannot read ") + path;
        SpareText().Give(std::move(text));
        return false;
    }
    // The text goes back to the spare when the last copy of the document lets go of it.
    std::shared_ptr<const std::string> owned(new std::string(std::move(text)), [](const std::string* done) {
        std::unique_ptr<std::string> buffer(const_cast<std::string*>(done));
        SpareText().Give(std::move(*buffer));
    });
    doc = ReadOwnedText(std::move(owned));
    return true;
}

VmfDocument ReadVmfTokenLines(const std::vector<std::string>& lines, int firstLine) {
    VmfDocument doc;
    // The lines are copied into one text the document keeps, each followed by a newline.
    std::size_t size = 0;
    for (const auto& line : lines) size += line.size() + 1;
    auto owned = std::make_shared<std::string>();
    owned->reserve(size);
    std::vector<std::size_t> starts;
    starts.reserve(lines.size() + 1);
    for (const auto& line : lines) {
        starts.push_back(owned->size());
        owned->append(line).push_back('\n');
    }
    starts.push_back(owned->size());
    doc.text = owned;
    const std::string_view all = *owned;
    TreeBuilder tree(doc);
    auto clean = [&](std::size_t i) {
        std::string_view s = all.substr(starts[i], starts[i + 1] - starts[i] - 1);
        if (!s.empty() && s.back() == '\r') s.remove_suffix(1);
        return s;
    };
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = clean(i);
        const TextPosition at{firstLine + static_cast<int>(i), 1};
        if (line == "/\\/EOF\\/\\") break;
        if (line.empty() || line == "/\\/worldend\\/\\") continue;
        if (line == "}") {
            tree.Close(at);
        } else if (line == "{") {
            doc.errors.push_back({at, "\"{\" opens a block that has no name"});
            tree.Open("", at);
        } else if (i + 1 < lines.size() && clean(i + 1) == "{") {
            tree.Open(line, at);
            ++i;
        } else if (tree.AtTop()) {
            doc.errors.push_back({at, Quoted(line) + " stands outside every block and is not followed by \"{\""});
        } else {
            tree.Key(line, i + 1 < lines.size() ? clean(i + 1) : std::string_view(), at);
            ++i;
        }
    }
    tree.Finish();
    return doc;
}

}  // namespace tessellon
