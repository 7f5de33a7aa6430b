#include "roomkit/room_file.h"

#include <charconv>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "check/vmf_reader.h"

namespace roomkit {

const char* SideName(int side) {
    static const char* names[] = {"north", "east", "south", "west"};
    return side >= 0 && side < 4 ? names[side] : "?";
}

std::array<bool, 4> OpenSides(int roomType) {
    switch (roomType) {
    case 0: return {true, false, true, false};
    case 1: return {true, true, false, false};
    case 2: return {true, true, false, true};
    case 3: return {true, true, true, true};
    case 4:
    case 5:
    case 6: return {true, false, false, false};
    default: return {false, false, false, false};
    }
}

std::array<double, 2> StandardDoorPoint(int side) {
    switch (side) {
    case North: return {0, kHalfCell};
    case East: return {kHalfCell, 0};
    case South: return {0, -kHalfCell};
    default: return {-kHalfCell, 0};
    }
}

std::vector<std::string> RoomHeader::Lines() const {
    std::vector<std::string> out{name, genre, type};
    for (const auto& s : sides) {
        out.push_back(s.x);
        out.push_back(s.y);
        out.push_back(s.z);
        out.push_back(s.kind);
    }
    out.push_back(description);
    out.push_back(author);
    return out;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string cur;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n') {
            if (!cur.empty() && cur.back() == '\r') cur.pop_back();
            lines.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) {
        if (cur.back() == '\r') cur.pop_back();
        lines.push_back(cur);
    }
    return lines;
}

std::string JoinCrlf(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& l : lines) out += l + "\r\n";
    return out;
}

std::string FormatCoord(double v) {
    if (std::fabs(v - std::round(v)) < 1e-9) {
        const long long whole = std::llround(v);
        return std::to_string(whole == 0 ? 0 : whole);
    }
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.6f", v);
    std::string s = buf;
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
    return s;
}

namespace {

bool IsMarker(const std::string& l) { return l == kWorldEndMarker || l == kEndMarker; }

bool HasQuote(const std::string& s) { return s.find('"') != std::string::npos || s.find('\'') != std::string::npos; }

}  // namespace

RoomBody ParseBody(const std::vector<std::string>& lines) {
    RoomBody body;
    std::vector<Node*> stack;
    std::vector<int> openedAt;
    int skipped = 0;  // blocks open below the nesting cap: counted, not kept
    bool inEntities = false;
    const int count = static_cast<int>(lines.size());
    auto lineAt = [&](int n) -> const std::string& { return lines[static_cast<size_t>(n - 1)]; };
    auto unclosed = [&](const std::string& where) {
        for (size_t k = stack.size(); k-- > 0;)
            body.issues.push_back({openedAt[k], "block \"" + stack[k]->key + "\" is not closed before " + where});
        stack.clear();
        openedAt.clear();
        skipped = 0;
    };

    int n = kHeaderLines + 1;
    for (; n <= count; ++n) {
        const std::string& l = lineAt(n);
        if (l == kWorldEndMarker) {
            unclosed("the world end marker");
            if (body.worldEndLine)
                body.issues.push_back(
                    {n, "a second world end marker; the first is at line " + std::to_string(body.worldEndLine)});
            else body.worldEndLine = n;
            inEntities = true;
            continue;
        }
        if (l == kEndMarker) {
            unclosed("the end marker");
            body.endLine = n;
            break;
        }
        if (l == "{") {
            body.issues.push_back({n, "\"{\" without a block name on the line before it"});
            continue;
        }
        if (l == "}") {
            if (skipped > 0) --skipped;
            else if (stack.empty()) body.issues.push_back({n, "\"}\" closes no block (the braces do not balance)"});
            else stack.pop_back(), openedAt.pop_back();
            continue;
        }
        if (HasQuote(l)) body.issues.push_back({n, "quote characters are not allowed in room files"});
        const bool nextIsOpen = n < count && lineAt(n + 1) == "{";
        if (nextIsOpen && (skipped > 0 || stack.size() >= static_cast<size_t>(tessellon::kMaxBlockNesting))) {
            if (skipped++ == 0)
                body.issues.push_back({n, "block \"" + l + "\" nests deeper than " +
                                              std::to_string(tessellon::kMaxBlockNesting) + " levels"});
            ++n;
            continue;
        }
        if (skipped > 0) continue;  // the keys of a block left out
        if (nextIsOpen) {
            if (l.empty()) body.issues.push_back({n, "a block without a name"});
            Node* parent = nullptr;
            if (stack.empty()) {
                const char* wanted = inEntities ? "entity" : "solid";
                if (l != wanted)
                    body.issues.push_back({n, std::string("\"") + l + "\" block in the " +
                                                  (inEntities ? "entity" : "world") + " part, which holds only \"" +
                                                  wanted + "\" blocks"});
                parent = inEntities ? &body.entities : &body.world;
            } else {
                parent = stack.back();
            }
            stack.push_back(&parent->Add(Node::Block(l, n)));
            openedAt.push_back(n);
            ++n;  // the "{" line
            continue;
        }
        if (l.empty()) continue;  // removed lines are allowed and skipped by the program too
        if (n == count || IsMarker(lineAt(n + 1))) {
            body.issues.push_back({n, "key \"" + l + "\" has no value line"});
            continue;
        }
        if (stack.empty()) {
            body.issues.push_back({n, "key \"" + l + "\" outside any block"});
        } else {
            const std::string& v = lineAt(n + 1);
            if (v == "}") body.issues.push_back({n, "key \"" + l + "\" is followed by \"}\" instead of a value"});
            if (HasQuote(v)) body.issues.push_back({n + 1, "quote characters are not allowed in room files"});
            stack.back()->Add(Node::Key(l, v, n));
        }
        ++n;
    }
    if (body.endLine == 0) {
        unclosed("the end of the file");
        body.issues.push_back(
            {count + 1 > kHeaderLines + 1 ? count : kHeaderLines + 1, "the end marker " + kEndMarker + " is missing"});
    } else if (body.endLine > kRoomLinesCapacity) {
        body.issues.push_back({body.endLine, "the room runs to line " + std::to_string(body.endLine) +
                                                 "; a room must end by line " + std::to_string(kRoomLinesCapacity)});
    }
    if (body.worldEndLine == 0)
        body.issues.push_back({body.endLine ? body.endLine : kHeaderLines + 1,
                               "the world end marker " + kWorldEndMarker + " is missing"});
    return body;
}

namespace {

void CheckToken(const std::string& s, int line, const char* what) {
    if (HasQuote(s)) throw ParseError(line, std::string(what) + " \"" + s + "\" holds a quote character");
    if (s == "{" || s == "}" || IsMarker(s))
        throw ParseError(line, std::string(what) + " \"" + s + "\" would be read as structure in a room file");
}

// Writes a block one token per line; editor-only blocks are left behind.
void EmitBlock(const Node& b, std::vector<std::string>& out) {
    CheckToken(b.key, b.line, "block name");
    out.push_back(b.key);
    out.push_back("{");
    const bool inConnections = EqualsNoCase(b.key, "connections");
    for (const auto& c : b.children) {
        if (c.isBlock) {
            if (EqualsNoCase(c.key, "editor")) continue;
            EmitBlock(c, out);
            continue;
        }
        if (c.key.empty()) throw ParseError(c.line, "an empty key");
        std::string v = c.value;
        // Newer editors separate output fields with an escape character; the room format uses commas.
        if (inConnections)
            for (auto& ch : v)
                if (ch == '\x1b') ch = ',';
        CheckToken(c.key, c.line, "key");
        if (!v.empty()) CheckToken(v, c.line, "value");
        out.push_back(c.key);
        out.push_back(v);
    }
    out.push_back("}");
}

bool ParseTriple(const std::string& text, double (&v)[3]) {
    std::istringstream in(text);
    std::string extra;
    if (!(in >> v[0] >> v[1] >> v[2])) return false;
    return !(in >> extra);
}

bool IsZeroRecord(const SideRecord& r) {
    for (const auto* t : {&r.x, &r.y, &r.z, &r.kind})
        if (!t->empty() && std::strtod(t->c_str(), nullptr) != 0) return false;
    return true;
}

int SideOfPoint(double x, double y) {
    constexpr double eps = 0.01;
    if (std::fabs(y - kHalfCell) < eps) return North;
    if (std::fabs(x - kHalfCell) < eps) return East;
    if (std::fabs(y + kHalfCell) < eps) return South;
    if (std::fabs(x + kHalfCell) < eps) return West;
    return -1;
}

// The blocks of that name in a block, including those Hammer keeps in "hidden" blocks while
// the mapper has them hidden: they are compiled all the same.
std::vector<const Node*> WithHidden(const Node& parent, const std::string& name) {
    std::vector<const Node*> out;
    for (const auto& c : parent.children) {
        if (!c.isBlock) continue;
        if (EqualsNoCase(c.key, name)) out.push_back(&c);
        if (EqualsNoCase(c.key, "hidden"))
            for (const Node* h : c.Blocks(name)) out.push_back(h);
    }
    return out;
}

}  // namespace

std::vector<std::string> ImportRoom(const Node& map) {
    RoomHeader header;
    const Node* info = nullptr;
    std::array<const Node*, 4> connectors{};
    std::vector<const Node*> entities = WithHidden(map, "entity");
    for (const Node* e : entities) {
        const std::string cls = e->Get("classname");
        if (cls == kInfoClass) {
            if (info) throw ParseError(e->line, "a second " + kInfoClass + " entity; a room has one");
            info = e;
        } else if (cls == kConnectorClass) {
            double p[3];
            if (!ParseTriple(e->Get("origin"), p))
                throw ParseError(e->line, kConnectorClass + " without a usable origin");
            const int side = SideOfPoint(p[0], p[1]);
            if (side < 0)
                throw ParseError(e->line, kConnectorClass + " at (" + e->Get("origin") +
                                              ") lies on no side of the cell (x or y must be 384 or -384)");
            if (connectors[side])
                throw ParseError(e->line, "a second " + kConnectorClass + " on the " + SideName(side) +
                                              " side (the first is at line " + std::to_string(connectors[side]->line) +
                                              ")");
            connectors[side] = e;
            SideRecord& r = header.sides[side];
            r.x = FormatCoord(p[0]);
            r.y = FormatCoord(p[1]);
            r.z = FormatCoord(p[2]);
            r.kind = e->Get("kind", "0");
            if (r.kind.empty()) r.kind = "0";
        }
    }
    if (!info) throw ParseError(1, "the map has no " + kInfoClass + " entity to take the room's name and type from");
    header.name = info->Get("roomname");
    header.genre = info->Get("genre", "0");
    header.type = info->Get("roomtype", "0");
    header.description = info->Get("description");
    header.author = info->Get("author");
    for (const auto& l : header.Lines())
        if (HasQuote(l) || IsMarker(l)) throw ParseError(info->line, "header value \"" + l + "\" is not allowed");

    std::vector<std::string> out = header.Lines();
    for (const Node* world : map.Blocks("world"))
        for (const Node* solid : WithHidden(*world, "solid")) EmitBlock(*solid, out);
    out.push_back(kWorldEndMarker);
    for (const Node* e : entities) EmitBlock(*e, out);
    out.push_back(kEndMarker);
    return out;
}

namespace {

// Hammer keeps ids in 32 bits.
constexpr long long kMaxEditorId = 2147483647;

long long MaxId(const Node& n) {
    long long best = 0;
    for (const auto& c : n.children) {
        if (c.isBlock) best = std::max(best, MaxId(c));
        else if (EqualsNoCase(c.key, "id")) {
            // Ids past the editor's range (or not numbers at all) are left out, so the fresh
            // ids counted on from the largest stay in range.
            long long id = 0;
            const char* end = c.value.data() + c.value.size();
            const auto r = std::from_chars(c.value.data(), end, id);
            if (r.ec == std::errc() && r.ptr == end && id <= kMaxEditorId) best = std::max(best, id);
        }
    }
    return best;
}

}  // namespace

Node ExportRoom(const std::vector<std::string>& lines) {
    std::vector<std::string> head(lines.begin(), lines.begin() + std::min<size_t>(lines.size(), kHeaderLines));
    head.resize(kHeaderLines);
    RoomHeader h;
    h.name = head[0];
    h.genre = head[1];
    h.type = head[2];
    for (int s = 0; s < 4; ++s) {
        const size_t b = 3 + 4 * static_cast<size_t>(s);
        h.sides[static_cast<size_t>(s)] = {head[b], head[b + 1], head[b + 2], head[b + 3]};
    }
    h.description = head[19];
    h.author = head[20];

    RoomBody body = ParseBody(lines);
    if (!body.issues.empty()) throw ParseError(body.issues.front().line, body.issues.front().message);
    long long nextId = std::max(MaxId(body.world), MaxId(body.entities)) + 1;

    Node root = NewRoomMap();
    Node& world = root.Add(WorldBlock(std::to_string(nextId++)));
    for (auto& solid : body.world.children) world.Add(solid);

    // The header is what the program reads, so the markers are made to agree with it.
    bool haveInfo = false;
    std::array<bool, 4> haveConnector{};
    for (auto e : body.entities.children) {
        const std::string cls = e.Get("classname");
        if (cls == kInfoClass && !haveInfo) {
            haveInfo = true;
            e.Set("roomname", h.name);
            e.Set("genre", h.genre);
            e.Set("roomtype", h.type);
            e.Set("description", h.description);
            e.Set("author", h.author);
        } else if (cls == kConnectorClass) {
            double p[3];
            const int side = ParseTriple(e.Get("origin"), p) ? SideOfPoint(p[0], p[1]) : -1;
            if (side >= 0 && !haveConnector[static_cast<size_t>(side)] &&
                !IsZeroRecord(h.sides[static_cast<size_t>(side)])) {
                const SideRecord& r = h.sides[static_cast<size_t>(side)];
                haveConnector[static_cast<size_t>(side)] = true;
                e.Set("origin", r.x + " " + r.y + " " + r.z);
                e.Set("kind", r.kind);
            } else {
                continue;  // a marker the header does not back is dropped
            }
        }
        root.Add(std::move(e));
    }
    if (!haveInfo) {
        AddInfoEntity(root, std::to_string(nextId++), h, "0 0 32");
    }
    for (int s = 0; s < 4; ++s) {
        const SideRecord& r = h.sides[static_cast<size_t>(s)];
        if (haveConnector[static_cast<size_t>(s)] || IsZeroRecord(r)) continue;
        AddConnectorEntity(root, std::to_string(nextId++), r.kind, r.x + " " + r.y + " " + r.z);
    }
    EndRoomMap(root);
    return root;
}

Node NewRoomMap() {
    Node root = Node::Block("");
    Node& version = root.Add(Node::Block("versioninfo"));
    version.AddKey("editorversion", "400");
    version.AddKey("editorbuild", "6157");
    version.AddKey("mapversion", "1");
    version.AddKey("formatversion", "100");
    version.AddKey("prefab", "0");
    root.Add(Node::Block("visgroups"));
    Node& view = root.Add(Node::Block("viewsettings"));
    view.AddKey("bSnapToGrid", "1");
    view.AddKey("bShowGrid", "1");
    view.AddKey("bShowLogicalGrid", "0");
    view.AddKey("nGridSpacing", "16");
    view.AddKey("bShow3DGrid", "0");
    return root;
}

Node WorldBlock(const std::string& id) {
    Node world = Node::Block("world");
    world.AddKey("id", id);
    world.AddKey("mapversion", "1");
    world.AddKey("classname", "worldspawn");
    world.AddKey("skyname", "sky_day01_01");
    world.AddKey("maxpropscreenwidth", "-1");
    world.AddKey("detailvbsp", "detail.vbsp");
    world.AddKey("detailmaterial", "detail/detailsprites");
    return world;
}

Node& AddInfoEntity(Node& root, const std::string& id, const RoomHeader& header, const std::string& origin) {
    Node& e = root.Add(Node::Block("entity"));
    e.AddKey("id", id);
    e.AddKey("classname", kInfoClass);
    e.AddKey("roomname", header.name);
    e.AddKey("genre", header.genre);
    e.AddKey("roomtype", header.type);
    e.AddKey("description", header.description);
    e.AddKey("author", header.author);
    e.AddKey("origin", origin);
    return e;
}

Node& AddConnectorEntity(Node& root, const std::string& id, const std::string& kind, const std::string& origin) {
    Node& e = root.Add(Node::Block("entity"));
    e.AddKey("id", id);
    e.AddKey("classname", kConnectorClass);
    e.AddKey("kind", kind);
    e.AddKey("origin", origin);
    return e;
}

void EndRoomMap(Node& root) {
    Node& cameras = root.Add(Node::Block("cameras"));
    cameras.AddKey("activecamera", "-1");
    Node& cordon = root.Add(Node::Block("cordon"));
    cordon.AddKey("mins", "(-1024 -1024 -1024)");
    cordon.AddKey("maxs", "(1024 1024 1024)");
    cordon.AddKey("active", "0");
}

}  // namespace roomkit
