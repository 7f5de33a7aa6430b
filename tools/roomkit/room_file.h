#pragma once
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "roomkit/vmf.h"
#include "session/room_format.h"

namespace roomkit {

// The room standard every room of the library follows.
constexpr double kHalfCell = 384;  // a room fills x and y in -384..384
constexpr double kWallThickness = 16;
constexpr double kDoorHalfWidth = 96;  // doorways are 192 wide
constexpr double kDoorHeight = 192;
// A side of connection kind 1 is a wide gate: 320 wide, so it only meets another kind-1 side.
constexpr int kWideGateKind = 1;
constexpr double kWideGateHalfWidth = 160;
constexpr double DoorHalfWidth(int kind) { return kind == kWideGateKind ? kWideGateHalfWidth : kDoorHalfWidth; }
// Every doorway carries a frame in its opening (not world geometry) that leaves a passage of a
// person's scale: 128 wide and 144 high in a doorway, 256 x 176 in a wide gate. The openings
// stay the size the rooms join at, so rooms without frames still seal against framed ones.
constexpr double kPassageHalfWidth = 64, kPassageHeight = 144;
constexpr double kGatePassageHalfWidth = 128, kGatePassageHeight = 176;
constexpr double PassageHalfWidth(int kind) {
    return kind == kWideGateKind ? kGatePassageHalfWidth : kPassageHalfWidth;
}
constexpr double PassageHeight(int kind) { return kind == kWideGateKind ? kGatePassageHeight : kPassageHeight; }
constexpr int kHeaderLines = 21;
using tessellon::kEndMarker;
using tessellon::kRoomLinesCapacity;
using tessellon::kWorldEndMarker;

// The marker entities a mapper places in Hammer.
inline const std::string kInfoClass = "vornic_info";
inline const std::string kConnectorClass = "vornic_connector";

enum Side { North = 0, East = 1, South = 2, West = 3 };
const char* SideName(int side);
// Sides open in a family's base orientation (room types 0..6).
std::array<bool, 4> OpenSides(int roomType);
// Where a side's connection point lies in x/y.
std::array<double, 2> StandardDoorPoint(int side);

struct SideRecord {
    std::string x = "0", y = "0", z = "0", kind = "0";
};

struct RoomHeader {
    std::string name, genre = "0", type = "0";
    std::array<SideRecord, 4> sides;
    std::string description, author;

    std::vector<std::string> Lines() const;  // the 21 header lines in file order
};

// One problem found in a room, at a line of the file it was read from.
struct Issue {
    int line;
    std::string message;
};

// A room file as text lines (line n of the file is lines[n - 1]).
struct RoomText {
    std::vector<std::string> lines;
};

// Splits text into lines at CRLF or LF.
std::vector<std::string> SplitLines(const std::string& text);
std::string JoinCrlf(const std::vector<std::string>& lines);

// The body (from line 22) read as blocks. world holds the top-level blocks of the world
// part, entities those of the entity part; problems go to issues with their line numbers.
struct RoomBody {
    Node world = Node::Block("world");
    Node entities = Node::Block("entities");
    int worldEndLine = 0;  // 0 when missing
    int endLine = 0;       // line of the end marker, 0 when missing
    std::vector<Issue> issues;
};
RoomBody ParseBody(const std::vector<std::string>& lines);

// Turns a parsed Hammer map into room file lines: the header from the info entity and the
// connection markers, the world's solids, then every entity. Throws ParseError (line of the
// map) on what cannot make a valid room file.
std::vector<std::string> ImportRoom(const Node& map);
// Turns room file lines back into a Hammer map, the header written into the info entity
// and the markers.
Node ExportRoom(const std::vector<std::string>& lines);

// What Hammer writes around a room, so that a map the kit makes opens like one saved by the
// editor: the head (version, visgroups, view settings), the world block with its fixed keys,
// the marker entities, and the tail (cameras, cordon).
Node NewRoomMap();
Node WorldBlock(const std::string& id);
Node& AddInfoEntity(Node& root, const std::string& id, const RoomHeader& header, const std::string& origin);
Node& AddConnectorEntity(Node& root, const std::string& id, const std::string& kind, const std::string& origin);
void EndRoomMap(Node& root);

// "12", "-3.5": the short form of a number as room files write it.
std::string FormatCoord(double v);

}  // namespace roomkit
