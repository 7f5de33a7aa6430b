#pragma once
#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "session/errors.h"

namespace tessellon {

struct Session;

// A weighting table that cannot be used; the message names the file and, where there is
// one, the row and line.
class TableError : public BuildFailure {
public:
    using BuildFailure::BuildFailure;
};

// itemdata.ini: what an item placeholder may become, with its weight. The names "weapon"
// and "ammo" hand the choice on to the gun table.
struct ItemRow {
    std::string name;
    std::string share;  // as written; empty means the row takes no part in the draw
};

// gundata.ini: the player's arsenal in the order it is handed out along the path.
struct GunRow {
    double threshold = 0;  // percent of progress
    std::string weaponClass;
    std::string ammoClass;  // empty when the weapon takes none
    std::string spare1, spare2;
};

struct NpcExtraKey {
    std::string name;
    std::string alternatives;  // up to five words between single spaces
    int count = 1;             // how many of the first words take part in the draw
};

// npcdata.ini: the characters, each belonging to the combine ("c") or the aliens ("x").
struct NpcRow {
    std::string className;
    double threshold = 0;  // fraction of progress (the file gives percent)
    std::string faction;   // "c" or "x", lower case
    std::vector<NpcExtraKey> keys;
};

struct WeightTables {
    std::vector<ItemRow> items;
    std::vector<GunRow> guns;
    std::vector<NpcRow> npcs;
};

// The values of a table file in order. A value ends at a comma or a line end; blanks before
// it are skipped and so are blanks after an unquoted one; a quoted value is taken without
// its quotes and may hold commas. An empty line is an empty value.
class TableValueReader {
public:
    TableValueReader(std::string text, std::string fileName);
    // False at the end of the file.
    bool Next(std::string& value);
    // The file line the last value came from (1-based).
    int Line() const { return line_; }
    const std::string& FileName() const { return fileName_; }

private:
    bool AtLineEnd() const;
    void SkipLineEnd();

    std::string text_;
    std::string fileName_;
    std::size_t pos_ = 0;
    int nextLine_ = 1;
    int line_ = 0;
};

// Readers of the three files from their text; decimalSymbol is the system's, used as the
// numbers stand. Each throws TableError on a row it cannot read.
std::vector<ItemRow> ParseItemTable(const std::string& text, const std::string& decimalSymbol,
                                    const std::string& fileName = "itemdata.ini");
std::vector<GunRow> ParseGunTable(const std::string& text, const std::string& decimalSymbol,
                                  const std::string& fileName = "gundata.ini");
std::vector<NpcRow> ParseNpcTable(const std::string& text, const std::string& decimalSymbol,
                                  const std::string& fileName = "npcdata.ini");

// Reads itemdata.ini, gundata.ini and npcdata.ini from the folder.
WeightTables LoadWeightTables(const std::filesystem::path& folder, const std::string& decimalSymbol);

// The tables of the running build: read from the program folder the first time a build
// needs them and kept until the next build starts (ForgetWeightTables).
const WeightTables& WeightTablesForBuild(Session& s);
void ForgetWeightTables(Session& s);

}  // namespace tessellon
