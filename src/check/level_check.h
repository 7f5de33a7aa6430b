#pragma once
// The level checker: reads a Valve map file and finds what would break the map compilers or
// the game (broken brushes, bad entities, engine limits, leaks) in a fraction of a second.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "check/brush_geometry.h"
#include "check/leak_check.h"
#include "check/vmf_reader.h"
#include "session/map_limits.h"

namespace tessellon {

// Engine limits of the Source SDK 2013 (public/bspfile.h).
constexpr int kMaxMapBrushes = 8192;      // MAX_MAP_BRUSHES
constexpr int kMaxMapBrushSides = 65536;  // MAX_MAP_BRUSHSIDES
constexpr int kMaxMapPlanes = 65536;      // MAX_MAP_PLANES (the compiler stores each plane with its flip)
constexpr int kMaxMapEntities = 8192;     // MAX_MAP_ENTITIES (the world counts as one)

enum class Severity { Warning, Error };

enum class ProblemKind {
    Parse,                 // braces, quotes, stray words
    MissingBlock,          // no versioninfo or world block (or more than one world)
    DuplicateId,           // a solid, side or entity id used twice
    TooFewSides,           // a solid with fewer than 4 sides
    BadPlane,              // plane text unreadable, or its three points repeated or on one line
    OpenSolid,             // a side that keeps no face, or sides that do not enclose a body
    BadTextureAxis,        // a texture axis of zero length, along the face normal, or of scale 0
    OutOfBounds,           // a coordinate beyond +-16384
    NoClassname,           // an entity without a class
    NoOrigin,              // a point entity without an origin
    UnknownTarget,         // a target, parentname or output naming no entity (a warning)
    Placeholder,           // a "vornic_" placeholder class left in the level
    Limit,                 // more brushes, sides, planes or entities than the engine takes
    LeakSkipped,           // the leak check could not run (a warning)
    NoNodes,               // ground characters but no info_node at all (a warning: levels made before nodes)
    NodeGraphCut,          // the node graph does not join the player start to the end
    UnreachableCharacter,  // a ground character whose nearest node cannot reach the start's
    AreaPortal,            // an areaportal that does not part the level in two
};

// A short stable name for programs ("duplicate-id", ...).
const char* ProblemKindName(ProblemKind kind);

struct Problem {
    Severity severity = Severity::Error;
    ProblemKind kind = ProblemKind::Parse;
    std::string object;   // "solid", "side", "entity", "world", "versioninfo" or "level"
    std::string id;       // the object's id as written, empty when it has none
    TextPosition at;      // where the object starts (line 0 when not tied to one place)
    std::string message;  // one plain sentence
};

struct LevelCounts {
    int brushes = 0;  // every solid, in the world and in brush entities
    int brushSides = 0;
    int planes = 0;    // distinct planes, each counted with its flip as the compiler stores them
    int entities = 0;  // the world and every entity block
};

struct LeakReport {
    bool checked = false;
    std::string skippedReason;
    bool leaked = false;
    // The entities the void reaches, in file order; the first is the one named in the report.
    struct Entity {
        std::string id;
        std::string classname;
        Vec3 origin;
    };
    std::vector<Entity> leakingEntities;
    std::vector<Vec3> trail;  // from the first leaking entity out to the void
};

// What the node graph check found (see node_graph.h for how the graph is made).
struct NodeGraphReport {
    int groundNodes = 0;       // info_node and info_node_hint
    int groundCharacters = 0;  // characters that walk the graph (IsGroundCharacter)
    // True when the level has nodes, a player start and a trigger that ends it.
    bool judged = false;
    // When judged: both have a node in sight and the start's reaches the end's.
    bool startToEnd = false;
    int unreachableCharacters = 0;  // characters reported as unable to reach the start's node
};

struct CheckReport {
    std::string path;      // the file checked, empty for text
    bool readable = true;  // false when the file could not be read at all
    std::string unreadableReason;
    std::vector<Problem> problems;  // in the order found: reading, structure, limits
    LevelCounts counts;
    LeakReport leak;
    NodeGraphReport nodeGraph;

    int ErrorCount() const;
    int WarningCount() const;
    // True when the level has no error and no leak (warnings allowed).
    bool Passed() const;
};

// What a caller adds to the leak check. A room on its own, for instance: read its body with
// ReadVmfTokenLines, set requireMapHead = false, put a box in each open doorway into
// extraSealing and the room's centre into extraStarts, then CheckLevelDocument.
struct CheckOptions {
    bool checkLeaks = true;
    // The map head (versioninfo, world) is required in a level; a room body has none.
    bool requireMapHead = true;
    // Extra boxes that seal like world brushes, e.g. plugs in a room's doorways.
    std::vector<Box> extraSealing;
    // Extra points to flood from, e.g. a room's centre when it holds no point entity.
    std::vector<LeakStart> extraStarts;
    // Whether every point entity's origin is a start as well.
    bool startFromEntities = true;
    // Whether the node graph is judged: nodes joining the player start to the end trigger, and
    // every ground character to the start.
    bool checkNodeGraph = true;
};

// Checks map text already in memory. In a test: EXPECT_TRUE(r.Passed()) << FormatReportText(r);
CheckReport CheckLevelText(std::string_view text, const CheckOptions& options = {});
// Reads and checks a map file; report.readable is false when it cannot be read.
CheckReport CheckLevelFile(const std::string& path, const CheckOptions& options = {});
// Checks a document read before (ReadVmfText, ReadVmfTokenLines); its parse errors are reported.
CheckReport CheckLevelDocument(const VmfDocument& doc, const CheckOptions& options = {});

// The bodies that seal a document: world solids (top-level solids too, as in a room body) whose
// materials are solid; brush entities never seal. Broken solids are left out.
std::vector<SealingBody> SealingBodies(const VmfDocument& doc);
// True when a brush side with this material closes space (not clip, trigger, hint, skip,
// invisible, areaportal or water).
bool MaterialSeals(std::string_view material);

// The report for a person: one line per problem ("file:line:col: error: ..."), the leak, a summary.
std::string FormatReportText(const CheckReport& report);
// The report as one JSON object.
std::string FormatReportJson(const CheckReport& report);
// The leak trail in the compiler's point file form, one "x y z" line per point.
std::string FormatPointFile(const std::vector<Vec3>& trail);
// The point file's path beside a level: level1.vmf -> level1.lin.
std::string PointFilePath(const std::string& levelPath);

}  // namespace tessellon
