#include "entities/entity_output.h"

#include "session/errors.h"
#include "session/session.h"
#include "instance/entity_blocks.h"
#include "session/text_helpers.h"
#include "maze/random_source.h"

namespace tessellon {

void ShareList_Clear(Session& s) {
    s.ShareList.count = 0;
    s.ShareList.total = 0;
}

void ShareList_Add(Session& s, const std::string& addName, const std::string& chance) {
    if (chance.empty()) return;
    auto& list = s.ShareList;
    if (list.count >= ShareListTable::kCapacity)
        throw BuildFailure("The share list is full (it holds " + std::to_string(ShareListTable::kCapacity) +
                           " names); \"" + addName + "\" could not be added.");
    const double share = FileNumber(s, chance);
    list.count += 1;
    list.total += share;
    list.rows[static_cast<std::size_t>(list.count)] = ShareEntry{addName, chance};
}

std::string ShareList_Get(Session& s) {
    auto& list = s.ShareList;
    Randa(s);
    // With nothing to weigh there is no draw to make (and no total to divide by).
    const bool drawable = list.count > 0 && list.total != 0;
    std::array<double, ShareListTable::kCapacity + 1> cumulative{};
    if (drawable)
        for (int i = 1; i <= list.count; ++i)
            cumulative[i] = cumulative[i - 1] + FileNumber(s, list.rows[i].share) / list.total;
    Randa(s);
    const double r = s.random.Draw();
    if (!drawable) return std::string();
    for (int i = 1; i <= list.count; ++i)
        if (cumulative[i] > r) return list.rows[i].name;
    return std::string();
}

std::string PairedLine(const std::string& key, const std::string& value) {
    std::string line;
    line.reserve(key.size() + value.size() + 5);
    line.append(1, '\'').append(key).append("' '").append(value).append(1, '\'');
    return line;
}

namespace {

// Copies every block nested directly in the entity spanning [first, last] (its "entity" line
// through its closing brace) to WorldInsertLines, whole.
void CopyNestedBlocks(Session& s, int first, int last) {
    const auto& lines = s.RoomLines;
    int i = first + 2;  // past "entity" and its "{"
    while (i < last) {
        const std::string& line = lines.Get(i);
        if (lines.Get(i + 1) == "{" && line != "{" && line != "}") {
            int depth = 0;
            int j = i + 1;
            for (; j < last; ++j) {
                const std::string& l = lines.Get(j);
                if (l == "{") ++depth;
                else if (l == "}" && --depth == 0) break;
            }
            for (int k = i; k <= j; ++k) s.WorldInsertLines.Append(lines.Get(k));
            i = j + 1;
        } else if (line.empty() || line == "{" || line == "}") {
            ++i;
        } else {
            i += 2;  // a key of the group itself and its value stay behind
        }
    }
}

// Appends the entity [first, last] to EntityLines in the paired form PrintRoom uses.
void CopyEntityPaired(Session& s, int first, int last) {
    const auto& lines = s.RoomLines;
    for (int i = first; i <= last; ++i) {
        const std::string& line = lines.Get(i);
        if (line == "{" || line == "}") {
            s.EntityLines.Append(line);
        } else if (line.empty()) {
            continue;
        } else if (lines.Get(i + 1) == "{") {
            s.EntityLines.Append(line);
        } else {
            s.EntityLines.Append(PairedLine(line, lines.Get(i + 1)));
            ++i;
        }
    }
}

}  // namespace

void Print_Entity_To_World(Session& s, const std::string& entityName) {
    ForEachEntityBlock(s.RoomLines, [&](const EntityBlock& e) {
        if (e.targetName != entityName) return false;
        if (e.className == "func_vornic_spawngroup") CopyNestedBlocks(s, e.start, e.end);
        else CopyEntityPaired(s, e.start, e.end);
        return true;
    });
}

void WriteEntites(Session& s) {
    s.writer.PrintToFile(std::string("}"), 0);
    int indent = 0;
    bool pending = false;
    const int count = s.EntityLines.Head();
    for (int i = 1; i <= count; ++i) {
        if (pending) {
            pending = false;
            ++indent;
        }
        const std::string& line = s.EntityLines.Get(i);
        if (line == "{") pending = true;
        else if (line == "}") --indent;
        if (!line.empty()) s.writer.PrintLine(line, indent < 0 ? 0 : indent);
    }
    s.EntityLines.Clear();
}

}  // namespace tessellon
