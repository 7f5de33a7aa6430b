#include "check/level_check.h"

#include "check/areaportal_check.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <optional>
#include <span>
#include <limits>
#include <string>
#include <unordered_set>
#include <vector>

#include "check/node_graph.h"
#include "platform/spare_buffer.h"
#include "session/text_helpers.h"

namespace tessellon {

namespace {

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

// How a side's material behaves for sealing.
enum class MaterialRole {
    Solid,     // closes space
    FaceOnly,  // hint and skip: shape the compile, take no room of their own
    NonSolid,  // makes the whole brush non-solid for the flood (clips, triggers, water, ...)
};

// Prefix and substring tests without regard to letter case; `lowerNeedle` is in lower case.
bool StartsWithNoCase(std::string_view s, std::string_view lowerNeedle) {
    return s.size() >= lowerNeedle.size() && NamesEqual(s.substr(0, lowerNeedle.size()), lowerNeedle);
}
bool ContainsNoCase(std::string_view s, std::string_view lowerNeedle) {
    if (lowerNeedle.empty()) return true;
    const char first = static_cast<char>(lowerNeedle[0] | 0x20);  // a quick test before the full one
    for (std::size_t i = 0; i + lowerNeedle.size() <= s.size(); ++i)
        if ((s[i] | 0x20) == first && NamesEqual(s.substr(i, lowerNeedle.size()), lowerNeedle)) return true;
    return false;
}

MaterialRole RoleOf(std::string_view material) {
    const std::string_view name = StartsWithNoCase(material, "tools/") ? material.substr(6) : std::string_view();
    if (NamesEqual(name, "toolshint") || NamesEqual(name, "toolsskip")) return MaterialRole::FaceOnly;
    static const char* const kNonSolidTools[] = {"toolsclip",    "toolsplayerclip", "toolsnpcclip",
                                                 "toolstrigger", "toolsinvisible",  "toolsareaportal"};
    for (const char* t : kNonSolidTools)
        if (StartsWithNoCase(name, t)) return MaterialRole::NonSolid;
    if (ContainsNoCase(material, "water")) return MaterialRole::NonSolid;
    return MaterialRole::Solid;
}

// Whether characters walk through a side of this material: triggers, water, player clip and area
// portals let them; clip, NPC clip and invisible walls stop them as solid does (MASK_NPCWORLDSTATIC,
// public/bspflags.h, names the contents a character's line stops at).
bool CharactersPass(std::string_view material, MaterialRole role) {
    if (role != MaterialRole::NonSolid) return false;
    const std::string_view name = StartsWithNoCase(material, "tools/") ? material.substr(6) : std::string_view();
    return !(NamesEqual(name, "toolsclip") || NamesEqual(name, "toolsnpcclip") || NamesEqual(name, "toolsinvisible"));
}

int WholeNumberOf(const VmfBlock& entity, std::string_view key) {
    const std::string_view* v = entity.Find(key);
    return v ? std::atoi(std::string(*v).c_str()) : 0;
}

// Brush entities that stand in a character's way when the map loads and the game builds its
// node graph; doors, movers and breakables may not. A func_wall_toggle that starts off
// (SF_WALL_START_OFF, game/server/bmodels.cpp) and a func_brush that starts disabled or is never
// solid (its Solidity 1) are no wall then.
bool BrushEntityBlocksCharacters(const VmfBlock& entity, std::string_view lowerClass) {
    if (lowerClass == "func_detail" || lowerClass == "func_wall" || lowerClass == "func_lod") return true;
    if (lowerClass == "func_wall_toggle") return (WholeNumberOf(entity, "spawnflags") & 1) == 0;
    if (lowerClass == "func_brush")
        return WholeNumberOf(entity, "StartDisabled") == 0 && WholeNumberOf(entity, "Solidity") != 1;
    return false;
}

// What an entity is to the node graph check.
enum class PlayRole { None, Node, Start, Character, Trigger, Relay, Ending };

PlayRole PlayRoleOf(std::string_view lowerClass) {
    switch (lowerClass.empty() ? '\0' : lowerClass[0]) {
    case 'i':
        if (IsGroundNode(lowerClass)) return PlayRole::Node;
        if (lowerClass == "info_player_start") return PlayRole::Start;
        break;
    case 'n':
        if (IsGroundCharacter(lowerClass)) return PlayRole::Character;
        break;
    case 't':
        if (lowerClass == "trigger_once" || lowerClass == "trigger_multiple") return PlayRole::Trigger;
        break;
    case 'l':
        if (lowerClass == "logic_relay") return PlayRole::Relay;
        break;
    case 'g':
    case 'p':
    case 'e':
        // What ends a level or its view: the map's end, a command sent to end it, a fade out.
        if (lowerClass == "game_end" || lowerClass == "point_clientcommand" || lowerClass == "point_servercommand" ||
            lowerClass == "env_fade")
            return PlayRole::Ending;
        break;
    default: break;
    }
    return PlayRole::None;
}

std::string FormatCoord(double v) {
    if (std::fabs(v - std::round(v)) < 1e-6) return std::to_string(static_cast<long long>(std::llround(v)));
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.3f", v);
    std::string s = buf;
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
    return s;
}

std::string FormatPoint(const Vec3& p) { return FormatCoord(p.x) + " " + FormatCoord(p.y) + " " + FormatCoord(p.z); }

std::string Quoted(std::string_view s) {
    std::string out;
    out.reserve(s.size() + 2);
    out.append(1, '"').append(s).append(1, '"');
    return out;
}

// "solid 12", or "solid (no id)" so a sentence still reads.
std::string Named(std::string_view object, std::string_view id) {
    return std::string(object) + (id.empty() ? " (no id)" : " " + std::string(id));
}

struct PlaneKey {
    std::int64_t nx, ny, nz, d;
    bool operator==(const PlaneKey& o) const { return nx == o.nx && ny == o.ny && nz == o.nz && d == o.d; }
};
// FNV-1a over 64-bit words or bytes, with the high bits folded down for the tables' low-bit
// masks: a few instructions a step, a fraction of the general string hash.
template <class Steps>
std::size_t Fnv(const Steps& steps) {
    std::uint64_t h = 1469598103934665603ull;
    for (const auto v : steps) h = (h ^ static_cast<std::uint64_t>(v)) * 1099511628211ull;
    return static_cast<std::size_t>(h ^ (h >> 29));
}
struct PlaneKeyHash {
    std::size_t operator()(const PlaneKey& k) const {
        return Fnv(std::initializer_list<std::int64_t>{k.nx, k.ny, k.nz, k.d});
    }
};
// Ids are short runs of digits, which FNV spreads well.
struct IdHash {
    std::size_t operator()(std::string_view id) const {
        return Fnv(std::span<const unsigned char>(reinterpret_cast<const unsigned char*>(id.data()), id.size()));
    }
};

// Rounds half away from zero, as llround does, without the library call.
std::int64_t Rounded(double v) { return static_cast<std::int64_t>(v < 0 ? v - 0.5 : v + 0.5); }

// A plane and its flip share one key, as they share one pair in the compiled map.
PlaneKey KeyOf(const Plane& p) {
    Vec3 n = p.normal;
    double d = p.dist;
    const double lead = std::fabs(n.x) > 1e-9 ? n.x : std::fabs(n.y) > 1e-9 ? n.y : n.z;
    if (lead < 0) {
        n = n * -1;
        d = -d;
    }
    return {Rounded(n.x * 1e5), Rounded(n.y * 1e5), Rounded(n.z * 1e5), Rounded(d * 100)};
}

// Keys seen so far, each with what was noted at its first sight. Open addressing in one array:
// a level carries thousands of ids and planes, and a node for each in a standard map cost more
// than all the lookups.
template <class Key, class Value, class Hash>
class SeenTable {
public:
    struct Slot {
        Key key{};
        Value value{};
        bool used = false;
    };
    using Slots = std::vector<Slot>;

    SeenTable() = default;
    // Takes its array from `spare` and hands it back when done, so checks run one after another
    // use the same memory rather than fresh pages for every level.
    explicit SeenTable(SpareBuffer<Slots>& spare) : spare_(&spare), slots_(spare.Take()) {
        std::fill(slots_.begin(), slots_.end(), Slot{});
    }
    SeenTable(const SeenTable&) = delete;
    SeenTable& operator=(const SeenTable&) = delete;
    ~SeenTable() {
        if (spare_) spare_->Give(std::move(slots_));
    }

    // What was noted with `key` before, or nullptr after noting `value` with it.
    const Value* SeenOrNote(const Key& key, const Value& value) {
        if ((count_ + 1) * 2 > slots_.size()) Grow();
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = Hash{}(key)&mask;; i = (i + 1) & mask) {
            Slot& slot = slots_[i];
            if (!slot.used) {
                slot = Slot{key, value, true};
                ++count_;
                return nullptr;
            }
            if (slot.key == key) return &slot.value;
        }
    }
    std::size_t size() const { return count_; }

private:
    void Grow() {
        std::vector<Slot> old = std::move(slots_);
        slots_.assign(old.empty() ? 1024 : old.size() * 2, Slot{});
        count_ = 0;
        for (const Slot& slot : old)
            if (slot.used) SeenOrNote(slot.key, slot.value);
    }

    SpareBuffer<Slots>* spare_ = nullptr;
    Slots slots_;  // a power of two long, at most half full
    std::size_t count_ = 0;
};

using PlaneSet = SeenTable<PlaneKey, bool, PlaneKeyHash>;

// Never freed, so a check running during static destruction can still hand its table back.
SpareBuffer<PlaneSet::Slots>& SparePlaneSlots() {
    static auto* const spare = new SpareBuffer<PlaneSet::Slots>(std::size_t(8) << 20);
    return *spare;
}

// Ids seen so far, each with the line it was first seen on. Editors number their objects up
// from 1, so most ids are small whole numbers: those are kept in one array by number, which a
// level's thousands of ids walk nearly in order, where a hash table is a cache miss per id. The
// array holds lines only, so a large level's stays small enough to come from the heap's free
// space rather than from fresh pages. Any other id ("007", "-3", "12a", or beyond kMaxNumbered)
// goes to a table of its own.
class IdTable {
public:
    // True, with the line where `id` (not empty) was first seen, when it was seen before;
    // otherwise notes it as seen on `line`.
    bool SeenBefore(std::string_view id, int line, int& firstLine) {
        const std::uint32_t n = Number(id);
        if (n >= kMaxNumbered) {
            const int* first = others_.SeenOrNote(id, line);
            if (first) firstLine = *first;
            return first != nullptr;
        }
        if (n >= lines_.size()) lines_.resize(std::max<std::size_t>(1024, std::bit_ceil(n + 1)), kUnseen);
        int& entry = lines_[n];
        if (entry != kUnseen) {
            firstLine = entry;
            return true;
        }
        entry = line;
        return false;
    }

private:
    static constexpr std::uint32_t kMaxNumbered = 1u << 16;
    static constexpr int kUnseen = std::numeric_limits<int>::min();
    // The number an id written plainly in decimal stands for (no sign, no leading zero), or
    // kMaxNumbered when it is not one below that.
    static std::uint32_t Number(std::string_view id) {
        if (id.empty() || id.size() > 5 || (id[0] == '0' && id.size() > 1)) return kMaxNumbered;
        std::uint32_t n = 0;
        for (const char c : id) {
            const auto digit = static_cast<std::uint32_t>(static_cast<unsigned char>(c) - '0');
            if (digit > 9) return kMaxNumbered;
            n = n * 10 + digit;
        }
        return std::min(n, kMaxNumbered);
    }
    std::vector<int> lines_;  // by number; kUnseen where not seen
    // Ids are views into the document, which outlives the checker.
    SeenTable<std::string_view, int, IdHash> others_;
};

// The keys of a side the checker reads, found in one pass over its keys (the first of each
// counts, as with VmfBlock::Find).
struct SideKeys {
    const std::string_view *id = nullptr, *plane = nullptr, *material = nullptr, *uaxis = nullptr, *vaxis = nullptr;

    explicit SideKeys(const VmfBlock& side) {
        for (const VmfKeyValue& kv : side.keys) {
            const std::string_view k = kv.key;
            const std::string_view** slot = nullptr;
            if (k.size() == 2) slot = NamesEqual(k, "id") ? &id : nullptr;
            else if (k.size() == 5)
                slot = NamesEqual(k, "plane")   ? &plane
                       : NamesEqual(k, "uaxis") ? &uaxis
                       : NamesEqual(k, "vaxis") ? &vaxis
                                                : nullptr;
            else if (k.size() == 8) slot = NamesEqual(k, "material") ? &material : nullptr;
            if (slot && !*slot) *slot = &kv.value;
        }
    }
};

struct Reference {
    std::string name;
    std::string what;  // "target", "parentname", or "output OnTrigger"
    std::string entityId;
    std::string classname;
    TextPosition at;
};

class Checker {
public:
    Checker(const VmfDocument& doc, const CheckOptions& options, CheckReport& report)
        : doc_(doc), options_(options), report_(report) {}

    void Run() {
        for (const auto& e : doc_.errors) Add(Severity::Error, ProblemKind::Parse, "level", "", e.at, e.message + ".");
        for (const auto& block : doc_.blocks) CheckTopBlock(block);
        if (options_.requireMapHead) {
            if (versionInfos_ == 0)
                Add(Severity::Error, ProblemKind::MissingBlock, "versioninfo", "", {},
                    "The level has no versioninfo block.");
            if (worlds_ == 0)
                Add(Severity::Error, ProblemKind::MissingBlock, "world", "", {}, "The level has no world block.");
        }
        CheckReferences();
        CheckLimits();
        if (options_.checkLeaks) CheckLeak();
        if (options_.checkNodeGraph) CheckNodeGraph();
        if (options_.checkLeaks && doc_.errors.empty())
            CheckAreaPortals(doc_, sealing, options_.extraSealing, report_.problems);
    }

    std::vector<SealingBody> sealing;

private:
    // Kept small (the block holds the rest): a level may carry thousands of nodes.
    struct PlacedEntity {
        Vec3 origin;
        const VmfBlock* block;
        std::string Id() const { return block->Get("id"); }
        std::string Classname() const { return block->Get("classname"); }
    };
    // A trigger's outputs are references_[firstReference, endReference), a relay's as well.
    struct Trigger {
        Box bounds;
        std::string id, classname;
        TextPosition at;
        std::size_t firstReference, endReference;
    };
    struct Relay {
        std::string name;
        std::size_t firstReference, endReference;
    };

    void CheckTopBlock(const VmfBlock& block) {
        if (NamesEqual(block.name, "versioninfo")) {
            ++versionInfos_;
        } else if (NamesEqual(block.name, "world")) {
            if (++worlds_ > 1)
                Add(Severity::Error, ProblemKind::MissingBlock, "world", block.Get("id"), block.at,
                    "A second world block; a level has exactly one.");
            CheckEntity(block, true);
        } else if (NamesEqual(block.name, "entity")) {
            CheckEntity(block, false);
        } else if (NamesEqual(block.name, "solid")) {
            ownerBlocksCharacters_ = true;
            CheckSolid(block, true);  // a room body keeps its world brushes at the top
        } else if (NamesEqual(block.name, "hidden")) {
            // Hidden in the editor only: the compilers still build what it holds.
            for (const auto& inner : block.children) CheckTopBlock(inner);
        }
    }

    void Add(Severity severity, ProblemKind kind, std::string object, std::string id, TextPosition at,
             std::string message) {
        report_.problems.push_back(Problem{severity, kind, std::move(object), std::move(id), at, std::move(message)});
    }

    void NoteId(IdTable& seen, const char* object, const VmfBlock& block) { NoteId(seen, object, block, IdOf(block)); }
    void NoteId(IdTable& seen, const char* object, const VmfBlock& block, std::string_view id) {
        int firstLine = 0;
        if (id.empty() || !seen.SeenBefore(id, block.at.line, firstLine)) return;
        Add(Severity::Error, ProblemKind::DuplicateId, object, std::string(id), block.at,
            "The " + std::string(object) + " id " + std::string(id) + " is already used by the " + object +
                " at line " + std::to_string(firstLine) + ".");
    }

    static std::string_view IdOf(const VmfBlock& block) {
        const std::string_view* id = block.Find("id");
        return id ? std::string_view(*id) : std::string_view();
    }

    void CheckSolid(const VmfBlock& solid, bool world) {
        ++report_.counts.brushes;
        NoteId(solidIds_, "solid", solid);
        const std::string id(IdOf(solid));
        // Names for the messages are only made when there is something to say.
        const auto who = [&] { return Named("Solid", id); };

        // Solids do not nest, so one pair of lists serves every solid without new allocations.
        std::vector<const VmfBlock*>& sides = sidesScratch_;
        sides.clear();
        for (const auto& child : solid.children)
            if (NamesEqual(child.name, "side")) sides.push_back(&child);
        report_.counts.brushSides += static_cast<int>(sides.size());
        bool broken = false;
        if (sides.size() < 4) {
            Add(Severity::Error, ProblemKind::TooFewSides, "solid", id, solid.at,
                who() + " has " + std::to_string(sides.size()) + (sides.size() == 1 ? " side" : " sides") +
                    "; a brush needs at least 4.");
            broken = true;
        }

        std::vector<Plane>& planes = planesScratch_;
        planes.clear();
        lastBoundsRead_ = false;
        bool seals = world, anySolidSide = false;
        bool charactersPass = !ownerBlocksCharacters_, anyStopSide = false;
        for (const VmfBlock* side : sides) {
            const SideKeys keys(*side);
            const std::string_view sideId = keys.id ? *keys.id : std::string_view();
            NoteId(sideIds_, "side", *side, sideId);
            const auto sideWho = [&] { return Named("Side", sideId) + " of " + Named("solid", id); };
            Vec3 pts[3];
            Plane plane;
            const std::string_view* planeText = keys.plane;
            if (!planeText || !ParsePlanePoints(*planeText, pts)) {
                Add(Severity::Error, ProblemKind::BadPlane, "side", std::string(sideId), side->at,
                    sideWho() + (planeText
                                     ? " has a plane that is not three points (x y z): " + Quoted(*planeText) + "."
                                     : " has no plane."));
                broken = true;
                continue;
            }
            if (!PlaneFromPoints(pts[0], pts[1], pts[2], plane)) {
                const bool repeated =
                    Length(pts[0] - pts[1]) < 1e-9 || Length(pts[1] - pts[2]) < 1e-9 || Length(pts[0] - pts[2]) < 1e-9;
                Add(Severity::Error, ProblemKind::BadPlane, "side", std::string(sideId), side->at,
                    sideWho() + (repeated ? " repeats a point in its plane, so the plane is undefined."
                                          : " has three plane points on one line, so the plane is undefined."));
                broken = true;
                continue;
            }
            planes.push_back(plane);
            planeKeys_.SeenOrNote(KeyOf(plane), true);
            CheckTextureAxes(*side, keys, plane, sideWho);

            const std::string_view* material = keys.material;
            const std::string_view materialName = material ? std::string_view(*material) : std::string_view();
            // Neighbouring sides mostly share a material: its role is looked up once per run.
            if (materialName != lastMaterial_) {
                lastMaterial_ = materialName;
                lastRole_ = RoleOf(materialName);
                lastCharactersPass_ = CharactersPass(materialName, lastRole_);
            }
            const MaterialRole role = lastRole_;
            if (role == MaterialRole::NonSolid) seals = false;
            if (role == MaterialRole::Solid) anySolidSide = true;
            if (lastCharactersPass_) charactersPass = true;
            else if (role != MaterialRole::FaceOnly) anyStopSide = true;
            // A displacement turns its brush into detail: it no longer seals.
            for (const auto& c : side->children)
                if (NamesEqual(c.name, "dispinfo")) seals = false, charactersPass = true;
        }
        seals = seals && anySolidSide;
        const bool stopsCharacters = !charactersPass && anyStopSide;
        if (broken || planes.empty()) return;

        Box bounds{{1e300, 1e300, 1e300}, {-1e300, -1e300, -1e300}};
        bool faceless = false, axial = true;
        std::vector<Plane> kept;
        if (AxialBox(planes, bounds)) {
            // Most brushes are boxes: every side keeps a face and the bounds are the planes.
        } else {
            const std::vector<Polygon> faces = BodyFaces(planes);
            bool unbounded = false;
            for (std::size_t i = 0; i < faces.size(); ++i) {
                if (faces[i].empty()) continue;
                kept.push_back(planes[i]);
                for (const Vec3& v : faces[i]) {
                    if (std::fabs(v.x) > kUnboundedReach || std::fabs(v.y) > kUnboundedReach ||
                        std::fabs(v.z) > kUnboundedReach)
                        unbounded = true;
                    bounds.min = {std::min(bounds.min.x, v.x), std::min(bounds.min.y, v.y),
                                  std::min(bounds.min.z, v.z)};
                    bounds.max = {std::max(bounds.max.x, v.x), std::max(bounds.max.y, v.y),
                                  std::max(bounds.max.z, v.z)};
                }
            }
            if (kept.empty()) {
                Add(Severity::Error, ProblemKind::OpenSolid, "solid", id, solid.at,
                    who() + " encloses no space: its sides cut each other away (are they wound inside out?).");
                return;
            }
            if (unbounded) {
                Add(Severity::Error, ProblemKind::OpenSolid, "solid", id, solid.at,
                    who() + " is open: its sides do not close a body.");
                return;
            }
            // Every side has a plane here (a bad one returned above), so faces[i] is sides[i]'s face.
            for (std::size_t i = 0; i < sides.size(); ++i) {
                if (!faces[i].empty()) continue;
                faceless = true;
                const std::string sideId = sides[i]->Get("id");
                Add(Severity::Error, ProblemKind::OpenSolid, "side", sideId, sides[i]->at,
                    Named("Side", sideId) + " of " + Named("solid", id) +
                        " keeps no face: it lies outside the other sides, so the solid is not one convex body.");
            }
            for (const Plane& p : kept) axial = axial && IsAxial(p);
        }
        lastBounds_ = bounds;
        lastBoundsRead_ = true;
        const double reach = kMapCoordinateLimit + 0.01;
        if (bounds.min.x < -reach || bounds.min.y < -reach || bounds.min.z < -reach || bounds.max.x > reach ||
            bounds.max.y > reach || bounds.max.z > reach)
            Add(Severity::Error, ProblemKind::OutOfBounds, "solid", id, solid.at,
                who() + " reaches beyond the +-16384 limit of the map (it spans " + FormatPoint(bounds.min) + " to " +
                    FormatPoint(bounds.max) + ").");
        if (faceless) return;
        // Every sealing brush stops characters as well; the others that do are kept apart.
        if (seals) sealing.push_back(SealingBody{bounds, axial ? std::vector<Plane>{} : std::move(kept), axial});
        else if (stopsCharacters)
            characterBlockers_.push_back(SealingBody{bounds, axial ? std::vector<Plane>{} : std::move(kept), axial});
    }

    template <class SideName>
    void CheckTextureAxes(const VmfBlock& side, const SideKeys& keys, const Plane& plane, const SideName& sideWho) {
        for (const bool u : {true, false}) {
            const std::string_view* text = u ? keys.uaxis : keys.vaxis;
            const char* const key = u ? "uaxis" : "vaxis";
            std::string fault;
            const TextureAxis* read = text ? ReadAxis(u ? 0 : 1, *text) : nullptr;
            const TextureAxis& axis = read ? *read : TextureAxis{};
            if (!text) fault = " has no " + std::string(key) + ".";
            else if (!read)
                fault = " has a " + std::string(key) + " that is not [x y z shift] scale: " + Quoted(*text) + ".";
            else if (Dot(axis.direction, axis.direction) < 1e-12)  // a length below 1e-6
                fault = " has a " + std::string(key) + " of zero length, so its texture cannot be laid.";
            else if (const double along = Dot(axis.direction, plane.normal);  // |along| > 0.999 |direction|, squared
                     along * along > 0.999 * 0.999 * Dot(axis.direction, axis.direction))
                fault = " has a " + std::string(key) + " along the face normal, so its texture cannot be laid.";
            else if (axis.scale == 0) fault = " has a " + std::string(key) + " with a scale of 0.";
            if (!fault.empty())
                Add(Severity::Error, ProblemKind::BadTextureAxis, "side", side.Get("id"), side.at, sideWho() + fault);
        }
    }

    // The axis a side's uaxis (which 0) or vaxis (1) text stands for, or nullptr when it is not
    // one. Neighbouring sides mostly share their axes, so the last text of each is kept read.
    const TextureAxis* ReadAxis(int which, std::string_view text) {
        AxisMemo& memo = axisMemo_[which];
        if (!memo.filled || memo.text != text) {
            memo.filled = true;
            memo.text = text;
            memo.readable = ParseTextureAxis(text, memo.axis);
        }
        return memo.readable ? &memo.axis : nullptr;
    }

    void CheckEntity(const VmfBlock& entity, bool isWorld) {
        ++report_.counts.entities;
        const std::string id = entity.Get("id");
        if (!isWorld) NoteId(entityIds_, "entity", entity);
        const std::string classname = entity.Get("classname");
        const std::string lowerClass = LowerCase(classname);
        const std::string who = isWorld ? std::string("The world") : Named("Entity", id);
        if (!classname.empty()) classnames_.insert(lowerClass);
        const PlayRole role = isWorld ? PlayRole::None : PlayRoleOf(lowerClass);
        std::string lowerName;
        if (const std::string_view* name = entity.Find("targetname"); name && !name->empty()) {
            lowerName = LowerCase(*name);
            names_.insert(lowerName);
            if (role == PlayRole::Ending) endingNames_.insert(lowerName);
        }
        ownerBlocksCharacters_ = isWorld || BrushEntityBlocksCharacters(entity, lowerClass);
        const std::size_t firstReference = references_.size();
        Box triggerBounds{{1e300, 1e300, 1e300}, {-1e300, -1e300, -1e300}};
        const auto solid = [&](const VmfBlock& block) {
            CheckSolid(block, isWorld);
            if (role != PlayRole::Trigger || !lastBoundsRead_) return;
            const Box& b = lastBounds_;
            triggerBounds.min = {std::min(triggerBounds.min.x, b.min.x), std::min(triggerBounds.min.y, b.min.y),
                                 std::min(triggerBounds.min.z, b.min.z)};
            triggerBounds.max = {std::max(triggerBounds.max.x, b.max.x), std::max(triggerBounds.max.y, b.max.y),
                                 std::max(triggerBounds.max.z, b.max.z)};
        };

        bool hasBrushes = false;
        for (const auto& child : entity.children) {
            if (NamesEqual(child.name, "solid")) {
                hasBrushes = true;
                solid(child);
            } else if (NamesEqual(child.name, "hidden")) {
                for (const auto& inner : child.children)
                    if (NamesEqual(inner.name, "solid")) {
                        hasBrushes = true;
                        solid(inner);
                    }
            } else if (NamesEqual(child.name, "connections")) {
                for (const auto& kv : child.keys) {
                    // "target,input,parameter,delay,times"; newer editors separate with ESC.
                    const std::size_t cut = kv.value.find_first_of(",\x1b");
                    references_.push_back(
                        {std::string(kv.value.substr(0, cut)), "output " + std::string(kv.key), id, classname, kv.at});
                }
            }
        }
        if (isWorld) return;
        const std::size_t endReference = references_.size();
        if (role == PlayRole::Relay && !lowerName.empty()) relays_.push_back({lowerName, firstReference, endReference});
        if (role == PlayRole::Trigger && triggerBounds.min.x <= triggerBounds.max.x)
            triggers_.push_back({triggerBounds, id, classname, entity.at, firstReference, endReference});

        if (classname.empty()) {
            Add(Severity::Error, ProblemKind::NoClassname, "entity", id, entity.at, who + " has no classname.");
        } else if (lowerClass.find("vornic_") != std::string::npos) {
            Add(Severity::Error, ProblemKind::Placeholder, "entity", id, entity.at,
                who + " is the placeholder " + Quoted(classname) + ", which should have been replaced or removed.");
        }
        for (const char* key : {"target", "parentname"}) {
            if (const std::string_view* v = entity.Find(key); v && !v->empty()) {
                // A parent may carry an attachment after a comma.
                const std::string name(std::string_view(key) == "parentname" ? v->substr(0, v->find(',')) : *v);
                references_.push_back({name, key, id, classname, entity.at});
            }
        }
        if (hasBrushes) return;

        const std::string_view* originText = entity.Find("origin");
        Vec3 origin;
        if (!originText) {
            Add(Severity::Error, ProblemKind::NoOrigin, "entity", id, entity.at,
                who + (classname.empty() ? "" : " (" + classname + ")") + " is a point entity without an origin.");
            return;
        }
        if (!ParseVector(*originText, origin)) {
            Add(Severity::Error, ProblemKind::NoOrigin, "entity", id, entity.at,
                who + " has an origin that is not three numbers: " + Quoted(*originText) + ".");
            return;
        }
        if (std::fabs(origin.x) > kMapCoordinateLimit || std::fabs(origin.y) > kMapCoordinateLimit ||
            std::fabs(origin.z) > kMapCoordinateLimit)
            Add(Severity::Error, ProblemKind::OutOfBounds, "entity", id, entity.at,
                who + " stands at " + FormatPoint(origin) + ", beyond the +-16384 limit of the map.");
        starts_.push_back(LeakStart{origin, id, classname});
        if (role == PlayRole::Node) nodes_.push_back({origin, &entity});
        else if (role == PlayRole::Character) characters_.push_back({origin, &entity});
        else if (role == PlayRole::Start && !start_.has_value()) start_ = PlacedEntity{origin, &entity};
    }

    bool NameExists(const std::string& name) const {
        if (name.empty() || name[0] == '!') return true;  // !player, !activator, ... are the engine's own
        const std::string lower = LowerCase(name);
        if (lower.back() == '*') {
            const std::string prefix = lower.substr(0, lower.size() - 1);
            for (const auto& n : names_)
                if (StartsWith(n, prefix)) return true;
            return false;
        }
        // The engine also finds targets by class name.
        return names_.count(lower) > 0 || classnames_.count(lower) > 0;
    }

    void CheckReferences() {
        for (const auto& r : references_) {
            if (NameExists(r.name)) continue;
            Add(Severity::Warning, ProblemKind::UnknownTarget, "entity", r.entityId, r.at,
                Named("Entity", r.entityId) + (r.classname.empty() ? "" : " (" + r.classname + ")") + ": its " +
                    r.what + " names " + Quoted(r.name) + ", which no entity in the level carries.");
        }
    }

    void CheckLimits() {
        auto& c = report_.counts;
        c.planes = static_cast<int>(planeKeys_.size() * 2);
        const struct {
            int count;
            int limit;
            const char* what;
        } limits[] = {{c.brushes, kMaxMapBrushes, "brushes"},
                      {c.brushSides, kMaxMapBrushSides, "brush sides"},
                      {c.planes, kMaxMapPlanes, "planes"},
                      {c.entities, kMaxMapEntities, "entities"}};
        for (const auto& l : limits)
            if (l.count > l.limit)
                Add(Severity::Error, ProblemKind::Limit, "level", "", {},
                    "The level has " + std::to_string(l.count) + " " + l.what + "; the engine takes at most " +
                        std::to_string(l.limit) + ".");
    }

    void CheckLeak() {
        LeakReport& leak = report_.leak;
        if (!doc_.errors.empty()) {
            leak.skippedReason = "the file did not read cleanly";
        } else {
            // The level's own bodies and starts are used as they are unless the caller adds some.
            std::vector<SealingBody> withExtra;
            if (!options_.extraSealing.empty()) {
                withExtra = sealing;
                for (const Box& b : options_.extraSealing) withExtra.push_back(SealingBox(b));
            }
            const std::vector<SealingBody>& bodies = options_.extraSealing.empty() ? sealing : withExtra;
            const bool ownStarts = options_.startFromEntities && options_.extraStarts.empty();
            std::vector<LeakStart> chosen;
            if (!ownStarts) {
                if (options_.startFromEntities) chosen = starts_;
                chosen.insert(chosen.end(), options_.extraStarts.begin(), options_.extraStarts.end());
            }
            const std::vector<LeakStart>& starts = ownStarts ? starts_ : chosen;
            const LeakResult r = FindLeak(bodies, starts);
            leak.checked = r.checked;
            leak.skippedReason = r.skippedReason;
            leak.leaked = r.leaked;
            leak.trail = r.trail;
            for (std::size_t i : r.leakingStarts)
                leak.leakingEntities.push_back({starts[i].id, starts[i].classname, starts[i].point});
        }
        if (!leak.checked)
            Add(Severity::Warning, ProblemKind::LeakSkipped, "level", "", {},
                "The leak check did not run: " + leak.skippedReason + ".");
    }

    // The trigger whose outputs end the level (directly, or through a logic_relay), the last
    // in the file when there are several; nullptr when none does.
    const Trigger* EndTrigger() {
        const auto endsLevel = [&](std::size_t first, std::size_t end) {
            for (std::size_t k = first; k < end; ++k)
                if (endingNames_.count(LowerCase(references_[k].name))) return true;
            return false;
        };
        // A relay may fire another relay that ends it: a few rounds reach any sensible chain.
        for (int round = 0; round < 4; ++round)
            for (const Relay& r : relays_)
                if (!endingNames_.count(r.name) && endsLevel(r.firstReference, r.endReference))
                    endingNames_.insert(r.name);
        for (auto t = triggers_.rbegin(); t != triggers_.rend(); ++t)
            if (endsLevel(t->firstReference, t->endReference)) return &*t;
        return nullptr;
    }

    void CheckNodeGraph() {
        NodeGraphReport& graphReport = report_.nodeGraph;
        graphReport.groundNodes = static_cast<int>(nodes_.size());
        graphReport.groundCharacters = static_cast<int>(characters_.size());
        if (nodes_.empty()) {
            if (!characters_.empty())
                Add(Severity::Warning, ProblemKind::NoNodes, "level", "", {},
                    "The level has " + std::to_string(characters_.size()) +
                        (characters_.size() == 1 ? " ground character" : " ground characters") +
                        " but no info_node, so the game has no node graph for them to find their way by.");
            return;
        }
        std::vector<const SealingBody*> bodies;
        bodies.reserve(sealing.size() + characterBlockers_.size());
        for (const SealingBody& b : sealing) bodies.push_back(&b);
        for (const SealingBody& b : characterBlockers_) bodies.push_back(&b);
        const BrushGrid brushes(std::move(bodies));
        std::vector<Vec3> origins;
        origins.reserve(nodes_.size());
        for (const PlacedEntity& n : nodes_) origins.push_back(n.origin);
        const NodeGraph graph(brushes, origins);
        const auto node = [&](int n) {
            const PlacedEntity& e = nodes_[static_cast<std::size_t>(n)];
            return Named(e.Classname(), e.Id()) + " at (" + FormatPoint(e.origin) + ")";
        };
        const auto entity = [&](const std::string& id, const std::string& classname) {
            return Named("Entity", id) + (classname.empty() ? "" : " (" + classname + ")");
        };
        const std::string noNode = " has no info_node within " + FormatCoord(kMaxNodeLinkDistance) + " units in sight";

        // The start's node is what the end and the characters are judged by; a level with
        // neither (a piece of a level) needs none.
        const Trigger* end = start_ ? EndTrigger() : nullptr;
        int startNode = -1;
        if (start_ && (end || !characters_.empty())) {
            startNode = graph.NearestTo(start_->origin);
            if (startNode < 0)
                Add(Severity::Error, ProblemKind::NodeGraphCut, "entity", start_->Id(), start_->block->at,
                    "The player start at (" + FormatPoint(start_->origin) + ")" + noNode +
                        ", so no character can find the way to the player.");
        }
        if (end) {
            graphReport.judged = true;
            const int endNode = graph.NearestTo(end->bounds);
            if (endNode < 0) {
                Add(Severity::Error, ProblemKind::NodeGraphCut, "entity", end->id, end->at,
                    entity(end->id, end->classname) + ", which ends the level," + noNode + ".");
            } else if (startNode >= 0) {
                graphReport.startToEnd = graph.Part(startNode) == graph.Part(endNode);
                if (!graphReport.startToEnd) {
                    // Where the start's part of the graph stops: its node nearest the end.
                    int reached = 0, edge = startNode;
                    double edgeDistance = 1e300;
                    const Vec3 goal = graph.Origin(endNode);
                    for (int n = 0; n < graph.Size(); ++n) {
                        if (graph.Part(n) != graph.Part(startNode)) continue;
                        ++reached;
                        const Vec3 d = graph.Origin(n) - goal;
                        if (Dot(d, d) < edgeDistance) edgeDistance = Dot(d, d), edge = n;
                    }
                    Add(Severity::Error, ProblemKind::NodeGraphCut, "entity", end->id, end->at,
                        "The node graph does not join the player start to the end: " + node(startNode) +
                            ", nearest the start, cannot reach " + node(endNode) + ", nearest " +
                            entity(end->id, end->classname) + " that ends the level. The start's part holds " +
                            std::to_string(reached) + " of the " + std::to_string(graph.Size()) + " nodes; of them " +
                            node(edge) + " lies nearest the end.");
                }
            }
        }
        for (const PlacedEntity& c : characters_) {
            const int n = graph.NearestTo(c.origin);
            std::string fault;
            if (n < 0) fault = noNode + ", so it cannot use the node graph.";
            else if (startNode >= 0 && graph.Part(n) != graph.Part(startNode))
                fault = " cannot reach the player start through the node graph: its nearest node, " + node(n) +
                        ", is cut off from " + node(startNode) + " nearest the start.";
            if (fault.empty()) continue;
            ++graphReport.unreachableCharacters;
            Add(Severity::Error, ProblemKind::UnreachableCharacter, "entity", c.Id(), c.block->at,
                entity(c.Id(), c.Classname()) + " at (" + FormatPoint(c.origin) + ")" + fault);
        }
    }

    const VmfDocument& doc_;
    const CheckOptions& options_;
    CheckReport& report_;
    IdTable solidIds_, sideIds_, entityIds_;
    PlaneSet planeKeys_{SparePlaneSlots()};
    std::unordered_set<std::string> names_, classnames_;
    std::vector<Reference> references_;
    std::vector<LeakStart> starts_;
    std::vector<const VmfBlock*> sidesScratch_;
    std::vector<Plane> planesScratch_;
    struct AxisMemo {
        bool filled = false, readable = false;
        std::string_view text;
        TextureAxis axis;
    } axisMemo_[2];
    std::string_view lastMaterial_;
    MaterialRole lastRole_ = RoleOf({});
    bool lastCharactersPass_ = false;
    int versionInfos_ = 0, worlds_ = 0;

    // For the node graph: brushes that stop characters but do not seal, whether the brushes
    // being read belong to such an owner, and the last brush's bounds (for triggers).
    std::vector<SealingBody> characterBlockers_;
    bool ownerBlocksCharacters_ = true;
    Box lastBounds_;
    bool lastBoundsRead_ = false;
    std::vector<PlacedEntity> nodes_, characters_;
    std::optional<PlacedEntity> start_;
    std::vector<Trigger> triggers_;
    std::vector<Relay> relays_;
    std::unordered_set<std::string> endingNames_;  // targetnames of entities that end the level
};

}  // namespace

bool MaterialSeals(std::string_view material) { return RoleOf(material) == MaterialRole::Solid; }

int CheckReport::ErrorCount() const {
    int n = 0;
    for (const auto& p : problems) n += p.severity == Severity::Error;
    return n;
}

int CheckReport::WarningCount() const { return static_cast<int>(problems.size()) - ErrorCount(); }

bool CheckReport::Passed() const { return readable && ErrorCount() == 0 && !leak.leaked; }

CheckReport CheckLevelDocument(const VmfDocument& doc, const CheckOptions& options) {
    CheckReport report;
    Checker(doc, options, report).Run();
    return report;
}

CheckReport CheckLevelText(std::string_view text, const CheckOptions& options) {
    return CheckLevelDocument(ReadVmfText(text), options);
}

CheckReport CheckLevelFile(const std::string& path, const CheckOptions& options) {
    VmfDocument doc;
    std::string whyNot;
    if (!ReadVmfFile(path, doc, whyNot)) {
        CheckReport report;
        report.path = path;
        report.readable = false;
        report.unreadableReason = whyNot;
        return report;
    }
    CheckReport report = CheckLevelDocument(doc, options);
    report.path = path;
    return report;
}

std::vector<SealingBody> SealingBodies(const VmfDocument& doc) {
    CheckReport scratch;
    CheckOptions options;
    options.checkLeaks = false;
    options.requireMapHead = false;
    options.checkNodeGraph = false;
    Checker checker(doc, options, scratch);
    checker.Run();
    return checker.sealing;
}

const char* ProblemKindName(ProblemKind kind) {
    switch (kind) {
    case ProblemKind::Parse: return "parse";
    case ProblemKind::MissingBlock: return "missing-block";
    case ProblemKind::DuplicateId: return "duplicate-id";
    case ProblemKind::TooFewSides: return "too-few-sides";
    case ProblemKind::BadPlane: return "bad-plane";
    case ProblemKind::OpenSolid: return "open-solid";
    case ProblemKind::BadTextureAxis: return "bad-texture-axis";
    case ProblemKind::OutOfBounds: return "out-of-bounds";
    case ProblemKind::NoClassname: return "no-classname";
    case ProblemKind::NoOrigin: return "no-origin";
    case ProblemKind::UnknownTarget: return "unknown-target";
    case ProblemKind::Placeholder: return "placeholder";
    case ProblemKind::Limit: return "limit";
    case ProblemKind::LeakSkipped: return "leak-skipped";
    case ProblemKind::NoNodes: return "no-nodes";
    case ProblemKind::NodeGraphCut: return "node-graph-cut";
    case ProblemKind::UnreachableCharacter: return "unreachable-character";
    case ProblemKind::AreaPortal: return "areaportal";
    }
    return "unknown";
}

std::string FormatPointFile(const std::vector<Vec3>& trail) {
    std::string out;
    for (const Vec3& p : trail) out += FormatPoint(p) + "\n";
    return out;
}

std::string PointFilePath(const std::string& levelPath) {
    const std::size_t slash = levelPath.find_last_of("/\\");
    const std::size_t dot = levelPath.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return levelPath + ".lin";
    return levelPath.substr(0, dot) + ".lin";
}

namespace {

std::string Plural(int n, const char* one, const char* many) { return std::to_string(n) + " " + (n == 1 ? one : many); }

std::string JsonString(std::string_view s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

std::string JsonPoint(const Vec3& p) {
    return "[" + FormatCoord(p.x) + "," + FormatCoord(p.y) + "," + FormatCoord(p.z) + "]";
}

}  // namespace

std::string FormatReportText(const CheckReport& report) {
    const std::string file = report.path.empty() ? std::string("level") : report.path;
    if (!report.readable) return file + ": cannot be read: " + report.unreadableReason + "\n";
    std::string out;
    for (const auto& p : report.problems) {
        out += file;
        if (p.at.line > 0) out += ":" + std::to_string(p.at.line) + ":" + std::to_string(p.at.column);
        out += p.severity == Severity::Error ? ": error: " : ": warning: ";
        out += p.message + "\n";
    }
    const LeakReport& leak = report.leak;
    if (leak.leaked) {
        const auto& first = leak.leakingEntities.front();
        out += file + ": leak: the void outside the level is reached from " + Named("entity", first.id) +
               (first.classname.empty() ? "" : " (" + first.classname + ")") + " at (" + FormatPoint(first.origin) +
               ")";
        if (leak.leakingEntities.size() > 1)
            out +=
                "; " +
                Plural(static_cast<int>(leak.leakingEntities.size() - 1), "other entity leaks", "other entities leak") +
                " as well";
        out += ".\n";
    }
    const auto& c = report.counts;
    out += file + ": " + Plural(c.brushes, "brush", "brushes") + ", " + Plural(c.brushSides, "side", "sides") + ", " +
           Plural(c.planes, "plane", "planes") + ", " + Plural(c.entities, "entity", "entities") + "; ";
    out += Plural(report.ErrorCount(), "error", "errors") + ", " +
           Plural(report.WarningCount(), "warning", "warnings") + ", ";
    out += leak.leaked ? "leak found" : leak.checked ? "sealed" : "leaks not checked";
    out += report.Passed() ? " - passed.\n" : " - failed.\n";
    return out;
}

std::string FormatReportJson(const CheckReport& report) {
    std::string out = "{\"file\":" + JsonString(report.path) + ",\"readable\":" + (report.readable ? "true" : "false");
    if (!report.readable) out += ",\"reason\":" + JsonString(report.unreadableReason);
    out += ",\"passed\":" + std::string(report.Passed() ? "true" : "false");
    out +=
        ",\"errors\":" + std::to_string(report.ErrorCount()) + ",\"warnings\":" + std::to_string(report.WarningCount());
    out += ",\"problems\":[";
    for (std::size_t i = 0; i < report.problems.size(); ++i) {
        const Problem& p = report.problems[i];
        if (i) out += ",";
        out += "{\"severity\":" + JsonString(p.severity == Severity::Error ? "error" : "warning") +
               ",\"kind\":" + JsonString(ProblemKindName(p.kind)) + ",\"object\":" + JsonString(p.object) +
               ",\"id\":" + JsonString(p.id) + ",\"line\":" + std::to_string(p.at.line) +
               ",\"column\":" + std::to_string(p.at.column) + ",\"message\":" + JsonString(p.message) + "}";
    }
    const auto& c = report.counts;
    out += "],\"counts\":{\"brushes\":" + std::to_string(c.brushes) +
           ",\"brushSides\":" + std::to_string(c.brushSides) + ",\"planes\":" + std::to_string(c.planes) +
           ",\"entities\":" + std::to_string(c.entities) + "}";
    const LeakReport& leak = report.leak;
    out += ",\"leak\":{\"checked\":" + std::string(leak.checked ? "true" : "false") +
           ",\"found\":" + (leak.leaked ? "true" : "false");
    if (!leak.checked) out += ",\"reason\":" + JsonString(leak.skippedReason);
    out += ",\"entities\":[";
    for (std::size_t i = 0; i < leak.leakingEntities.size(); ++i) {
        const auto& e = leak.leakingEntities[i];
        if (i) out += ",";
        out += "{\"id\":" + JsonString(e.id) + ",\"classname\":" + JsonString(e.classname) +
               ",\"origin\":" + JsonPoint(e.origin) + "}";
    }
    out += "],\"trail\":[";
    for (std::size_t i = 0; i < leak.trail.size(); ++i) out += (i ? "," : "") + JsonPoint(leak.trail[i]);
    out += "]}}\n";
    return out;
}

}  // namespace tessellon
