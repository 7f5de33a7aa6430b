#pragma once
// Areaportals. A func_areaportal lets the engine stop drawing what lies behind it while its door
// is shut; the compiler only accepts one that closes the one way between two parts of the level
// (two areas). A level is a tree of rooms, so a door on the only way between two parts of a room
// also parts the whole level.
#include <array>
#include <string>
#include <vector>

#include "check/leak_check.h"
#include "check/level_check.h"
#include "check/vmf_reader.h"

namespace tessellon {

// Engine limits of the Source SDK 2013 (public/bspfile.h).
constexpr int kMaxMapAreas = 256;         // MAX_MAP_AREAS
constexpr int kMaxMapAreaPortals = 1024;  // MAX_MAP_AREAPORTALS

struct AreaPortal {
    std::string id, target;
    TextPosition at;
    Box bounds;  // of all its readable brushes
    bool hasBrush = false;
};

// Every func_areaportal of a document (a level, or a room body read from its lines).
std::vector<AreaPortal> AreaPortalsOf(const VmfDocument& doc);

// A point just off each face of the portal's thinnest extent, beyond a wall it stands in.
std::array<Vec3, 2> PortalSides(const Box& portal);

// For each portal, whether its two sides lie in different parts of the space the bodies leave
// open when every portal is closed. A portal without a brush separates nothing.
struct PortalSeparation {
    bool checked = false;
    std::string skippedReason;
    std::vector<bool> separates;
    int areas = 0;  // the parts the portals' sides lie in
};
PortalSeparation PortalsSeparate(std::vector<SealingBody> bodies, const std::vector<AreaPortal>& portals);

// A level's areaportals: one without a brush, one that does not part the space around it, and
// more portals or areas than the engine takes. `extra` seals as well (a room's doorway plugs).
void CheckAreaPortals(const VmfDocument& doc, const std::vector<SealingBody>& sealing, const std::vector<Box>& extra,
                      std::vector<Problem>& problems);

}  // namespace tessellon
