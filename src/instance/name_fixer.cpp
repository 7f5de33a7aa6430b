#include "instance/name_fixer.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "check/vmf_reader.h"
#include "session/errors.h"
#include "session/session.h"
#include "instance/room_body.h"
#include "session/text_helpers.h"

namespace tessellon {

namespace {

const std::array<const char*, 109> kNameKeys = {"subject",
                                                "measuretarget",
                                                "measurereference",
                                                "landmark",
                                                "toptrack",
                                                "bottomtrack",
                                                "train",
                                                "pointcamera",
                                                "lightingorigin",
                                                "targetname",
                                                "targetreference",
                                                "altpath",
                                                "newtarget",
                                                "lookatname",
                                                "constraintsystem",
                                                "entitytemplate",
                                                "target",
                                                "moveto",
                                                "nextkey",
                                                "position0",
                                                "position1",
                                                "position2",
                                                "position3",
                                                "position4",
                                                "position5",
                                                "position6",
                                                "position7",
                                                "mainsoundscapename",
                                                "lasertarget",
                                                "directionentityname",
                                                "targetentityname",
                                                "lightningend",
                                                "lightningstart",
                                                "sourceentityname",
                                                "destinationgroup",
                                                "templatename",
                                                "damagefilter",
                                                "parentname",
                                                "attach1",
                                                "attach2",
                                                "speakername",
                                                "filtername",
                                                "source",
                                                "template01",
                                                "template02",
                                                "template03",
                                                "template04",
                                                "template05",
                                                "template06",
                                                "template07",
                                                "template08",
                                                "template09",
                                                "template10",
                                                "template11",
                                                "template12",
                                                "template13",
                                                "template14",
                                                "template15",
                                                "template16",
                                                "emittername",
                                                "vehicle",
                                                "vortigaunt",
                                                "m_iszEntity",
                                                "m_iszNextScript",
                                                "throwgrenadeattarget",
                                                "pathcornername",
                                                "endtargetname",
                                                "magnetname",
                                                "node_exit",
                                                "rallypoint",
                                                "barrel_volume",
                                                "locationproxy",
                                                "firemissileat",
                                                "control_volume",
                                                "missilehint",
                                                "airboat_gun_model",
                                                "goalent",
                                                "actor",
                                                "target1",
                                                "target2",
                                                "target3",
                                                "target4",
                                                "target5",
                                                "target6",
                                                "target7",
                                                "target8",
                                                "laserentity",
                                                "npc_man_point",
                                                "assaultpoint",
                                                "landtarget",
                                                "waitpointname",
                                                "nextassaultpoint",
                                                "npctemplate",
                                                "npctemplate1",
                                                "npctemplate2",
                                                "npctemplate3",
                                                "npctemplate4",
                                                "npctemplate5",
                                                "npctemplate6",
                                                "dustoff1",
                                                "dustoff2",
                                                "dustoff3",
                                                "dustoff4",
                                                "dustoff5",
                                                "dustoff6",
                                                "apcvehiclename",
                                                "dropbombattarget",
                                                "dropbombattargetalways",
                                                "defaulttarget"};

// The name keys by length, so a key is compared with the few of its own length, without
// regard to case and without a lower-case copy.
constexpr std::size_t kLongestNameKey = 32;
const std::array<std::vector<std::string_view>, kLongestNameKey + 1>& NameKeysByLength() {
    static const auto table = [] {
        std::array<std::vector<std::string_view>, kLongestNameKey + 1> out;
        for (const char* k : kNameKeys) {
            const std::string_view key(k);
            if (key.size() > kLongestNameKey) throw std::logic_error("a name key is longer than the table allows");
            out[key.size()].push_back(key);
        }
        return out;
    }();
    return table;
}

bool IsMarker(const std::string& line) { return line == kWorldEndMarker || line == kEndMarker; }

std::string RenameOutputTarget(Session& s, const std::string& value) {
    // The first comma-separated field names the entity the output fires at.
    const auto comma = value.find(',');
    if (comma == std::string::npos) return CheckNameList(s, value);
    return CheckNameList(s, value.substr(0, comma)) + value.substr(comma);
}

}  // namespace

bool IsNameKey(const std::string& key) {
    if (key.compare(0, 4, "node") == 0 && key.size() >= 4) return true;
    if (key.size() > kLongestNameKey) return false;
    for (const std::string_view k : NameKeysByLength()[key.size()])
        if (NamesEqual(key, k)) return true;
    return false;
}

std::string NtN(int number) {
    std::string out;
    while (number > 0) {
        const int d = (number - 1) % 26 + 1;
        out.insert(out.begin(), static_cast<char>('a' + d - 1));
        number = (number - d) / 26;
    }
    return out;
}

void ClearNameList(Session& s) {
    s.NameList.pairs.clear();
    s.NameList.index.clear();
}

std::string CheckNameList(Session& s, const std::string& theName) {
    auto& list = s.NameList;
    std::string key = LowerCase(theName);
    if (auto it = list.index.find(key); it != list.index.end()) return list.pairs[it->second].second;
    if (list.Count() >= NameListTable::kCapacity)
        throw BuildFailure("the room holds more than " + std::to_string(NameListTable::kCapacity) +
                           " different entity names.");
    if (s.NameCounter >= kNameCounterLimit)
        throw BuildFailure("the level needs more than " + std::to_string(kNameCounterLimit) +
                           " entity names; choose a smaller map size.");
    s.NameCounter += 1;
    std::string fresh = NtN(s.NameCounter);
    list.index.emplace(key, list.pairs.size());
    list.pairs.emplace_back(std::move(key), fresh);
    return fresh;
}

void NameFixer(Session& s) {
    auto& lines = s.RoomLines;
    const int end = lines.Head();
    for (int i = 1; i <= end; ++i) {
        const std::string& line = lines.Get(i);
        if (line.empty() || line == "{" || line == "}" || IsMarker(line)) continue;
        const bool blockName = lines.Get(i + 1) == "{";
        if (blockName && NamesEqual(line, "connections")) {
            ++i;  // its "{"
            while (i < end) {
                s.ui.Yield();
                const std::string& output = lines.Get(++i);
                if (output == "}") break;
                if (output == "{" || output.empty()) continue;
                ++i;
                lines.At(i) = RenameOutputTarget(s, lines.Get(i));
            }
            continue;
        }
        if (blockName) continue;
        // A key: its value line is never read as a key of its own.
        ++i;
        if (IsNameKey(line)) lines.At(i) = CheckNameList(s, lines.Get(i));
    }
}

}  // namespace tessellon
