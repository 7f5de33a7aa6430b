#include <filesystem>
#include <fstream>

#include "check/level_check.h"
#include "cli/cli.h"

namespace tessellon {

namespace {

const char* const kCheckHelp =
    "Usage: tessellon check FILE.vmf [--json] [--pointfile]\n"
    "Checks a Valve map file for what breaks the map compilers or the game, in about a second.\n\n"
    "  --json       print the report as one JSON object (for programs)\n"
    "  --pointfile  when a leak is found, write its trail beside the level as FILE.lin\n"
    "               (one \"x y z\" line per point, loadable in the editor)\n\n"
    "Errors: unbalanced or stray braces and other reading faults (with line and column); a missing\n"
    "versioninfo or world block; duplicate solid, side or entity ids; a solid with fewer than 4 sides;\n"
    "a plane whose three points repeat or lie on one line; a solid that is not one closed convex body\n"
    "(a side keeps no face once clipped by the others); a texture axis of zero length, along the face\n"
    "normal or of scale 0; a coordinate beyond +-16384; an entity without a class; a point entity\n"
    "without an origin; a \"vornic_\" placeholder left in the level; more than the engine takes of\n"
    "brushes (8192), brush sides (65536), planes (65536, each counted with its flip) or entities (8192),\n"
    "the limits of the Source SDK 2013 header public/bspfile.h.\n"
    "Warnings: a target, parentname or output that names no entity in the level.\n\n"
    "Leaks: the space around every point entity is flooded; if the flood reaches the void outside the\n"
    "level, the level leaks. World brushes seal, sky and nodraw included; brush entities (func_detail,\n"
    "...) do not, nor do brushes with a clip, player or NPC clip, trigger, invisible, areaportal or\n"
    "water material, brushes made only of hint and skip, or brushes carrying a displacement. Brushes\n"
    "whose faces all lie on the axes are exact: a gap of one unit (or less) leaks, touching brushes seal.\n"
    "A brush with sloped faces is treated conservatively: it seals the whole of every grid cell it\n"
    "overlaps, where the grid is cut at every brush's bounds; so a hole that only a sloped face leaves\n"
    "open may go unnoticed, but a leak is never reported where none exists.\n\n"
    "Node graph: ground nodes (info_node, info_node_hint) link as the game links them when it first\n"
    "loads the map (Source SDK 2013, ai_networkmanager.cpp): at most 720 units apart, with a clear line\n"
    "a step above both floors that no world brush, func_detail or other solid brush entity cuts.\n"
    "Errors: the player start's nearest node (within 720 units, in sight) cannot reach the node nearest\n"
    "the trigger that ends the level (a trigger_once or trigger_multiple firing game_end,\n"
    "point_clientcommand, point_servercommand or env_fade, or a logic_relay that does); a ground\n"
    "character (npc_ classes but flyers, swimmers and those that never move) whose nearest node cannot\n"
    "reach the start's. Warning: ground characters but no node at all (levels made before nodes).\n\n"
    "Exit status: 0 no error (warnings allowed); 1 an error or a leak was found; 2 the file cannot be\n"
    "read (or the command line is wrong).\n";

}  // namespace

int RunCheckCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string path;
    bool json = false, pointFile = false;
    for (const auto& a : args) {
        if (a == "--help" || a == "-h") {
            out << kCheckHelp;
            return kExitOk;
        }
        if (a == "--json") json = true;
        else if (a == "--pointfile") pointFile = true;
        else if (!a.empty() && a[0] == '-') {
            err << "tessellon check: unknown option \"" << a << "\". See tessellon check --help.\n";
            return kExitUsage;
        } else if (path.empty()) path = a;
        else {
            err << "tessellon check: give one level file (got \"" << path << "\" and \"" << a << "\").\n";
            return kExitUsage;
        }
    }
    if (path.empty()) {
        err << "tessellon check: which level? Usage: tessellon check FILE.vmf [--json] [--pointfile]\n";
        return kExitUsage;
    }

    const CheckReport report = CheckLevelFile(path);
    if (!report.readable) {
        if (json) out << FormatReportJson(report);
        err << "tessellon check: " << report.unreadableReason << "\n";
        return kExitUsage;
    }
    std::string pointFileNote;
    if (pointFile && report.leak.leaked) {
        const std::string linPath = PointFilePath(path);
        std::ofstream lin(linPath, std::ios::binary | std::ios::trunc);
        lin << FormatPointFile(report.leak.trail);
        if (lin.good()) pointFileNote = "leak trail written to " + linPath;
        else err << "tessellon check: cannot write " << linPath << "\n";
    }
    if (json) {
        out << FormatReportJson(report);
    } else {
        out << FormatReportText(report);
        if (!pointFileNote.empty()) out << path << ": " << pointFileNote << "\n";
        else if (report.leak.leaked && !pointFile) out << path << ": run with --pointfile to write the leak's trail.\n";
    }
    return report.Passed() ? kExitOk : kExitFailed;
}

}  // namespace tessellon
