#include "entities/weight_tables.h"

#include <cctype>
#include <cmath>
#include <fstream>
#include <sstream>

#include "session/session.h"
#include "session/text_helpers.h"

namespace tessellon {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Walks one table file value by value and words its complaints with the file, row and line.
class RowCursor {
public:
    RowCursor(const std::string& text, const std::string& fileName, const std::string& decimalSymbol)
        : reader_(text, fileName), decimalSymbol_(decimalSymbol) {}

    // The leading row count, within [least, most].
    int RowCount(int least, int most) {
        std::string v;
        if (!reader_.Next(v)) throw TableError(File() + " is empty: it must start with its row count.");
        double n = 0;
        if (!TryParseNumber(v, decimalSymbol_, n) || n != std::floor(n))
            throw TableError(File() + ", line " + std::to_string(reader_.Line()) + ": the row count \"" + v +
                             "\" is not a whole number.");
        if (n < least || n > most)
            throw TableError(File() + ", line " + std::to_string(reader_.Line()) + ": the row count " + v +
                             " is outside " + std::to_string(least) + " to " + std::to_string(most) + ".");
        rows_ = static_cast<int>(n);
        return rows_;
    }

    void StartRow(int row) { row_ = row; }

    // The next value of the current row; what names it in a complaint.
    std::string Text(const char* what) {
        std::string v;
        if (!reader_.Next(v))
            throw TableError(File() + " ends in row " + std::to_string(row_) + " of " + std::to_string(rows_) +
                             ", where its " + what + " should be: the file holds fewer rows than its count says.");
        return v;
    }

    double Number(const char* what) {
        const std::string v = Text(what);
        double n = 0;
        if (!TryParseNumber(v, decimalSymbol_, n)) Fail(std::string("the ") + what + " \"" + v + "\" is not a number.");
        return n;
    }

    int Whole(const char* what, int least, int most) {
        const double n = Number(what);
        if (n != std::floor(n) || n < least || n > most)
            Fail(std::string("the ") + what + " must be a whole number from " + std::to_string(least) + " to " +
                 std::to_string(most) + ".");
        return static_cast<int>(n);
    }

    [[noreturn]] void Fail(const std::string& problem) const {
        throw TableError(File() + ", row " + std::to_string(row_) + " (line " + std::to_string(reader_.Line()) +
                         "): " + problem);
    }

private:
    const std::string& File() const { return reader_.FileName(); }

    TableValueReader reader_;
    std::string decimalSymbol_;
    int rows_ = 0;
    int row_ = 0;
};

std::string DashIsEmpty(std::string v) { return v == "-" ? std::string() : v; }

std::string ReadWholeFile(const std::filesystem::path& folder, const std::string& name) {
    const std::filesystem::path path = folder / name;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        throw TableError("The weighting table " + name + " is missing from " + folder.string() + ".");
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in && !in.eof()) throw TableError("The weighting table " + path.string() + " cannot be read.");
    return text.str();
}

}  // namespace

TableValueReader::TableValueReader(std::string text, std::string fileName)
    : text_(std::move(text)), fileName_(std::move(fileName)) {}

bool TableValueReader::AtLineEnd() const { return pos_ < text_.size() && (text_[pos_] == '\n' || text_[pos_] == '\r'); }

void TableValueReader::SkipLineEnd() {
    if (text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') ++pos_;
    ++pos_;
    ++nextLine_;
}

bool TableValueReader::Next(std::string& value) {
    value.clear();
    while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
    if (pos_ >= text_.size()) return false;
    line_ = nextLine_;

    if (text_[pos_] == '"') {
        const std::size_t close = text_.find('"', pos_ + 1);
        const std::size_t end = close == std::string::npos ? text_.size() : close;
        value = text_.substr(pos_ + 1, end - pos_ - 1);
        // A quoted value may run over a line end; keep the line count honest.
        for (char c : value)
            if (c == '\n') ++nextLine_;
        pos_ = close == std::string::npos ? text_.size() : close + 1;
        // Whatever stands between the closing quote and the separator is not part of a value.
        while (pos_ < text_.size() && text_[pos_] != ',' && !AtLineEnd()) ++pos_;
    } else {
        const std::size_t start = pos_;
        while (pos_ < text_.size() && text_[pos_] != ',' && !AtLineEnd()) ++pos_;
        std::size_t end = pos_;
        while (end > start && IsBlank(text_[end - 1])) --end;
        value = text_.substr(start, end - start);
    }
    if (pos_ < text_.size()) {
        if (text_[pos_] == ',') {
            ++pos_;
            // A comma at the end of a line also ends the line's values.
            std::size_t look = pos_;
            while (look < text_.size() && IsBlank(text_[look])) ++look;
            if (look < text_.size() && (text_[look] == '\n' || text_[look] == '\r')) {
                pos_ = look;
                SkipLineEnd();
            }
        } else {
            SkipLineEnd();
        }
    }
    return true;
}

std::vector<ItemRow> ParseItemTable(const std::string& text, const std::string& decimalSymbol,
                                    const std::string& fileName) {
    RowCursor in(text, fileName, decimalSymbol);
    const int rows = in.RowCount(1, 100);
    std::vector<ItemRow> out;
    out.reserve(rows);
    for (int r = 1; r <= rows; ++r) {
        in.StartRow(r);
        ItemRow row;
        row.name = in.Text("name");
        row.share = in.Text("share");
        if (!row.share.empty()) {
            double share = 0;
            if (!TryParseNumber(row.share, decimalSymbol, share))
                in.Fail("the share \"" + row.share + "\" is not a number.");
            if (share < 0) in.Fail("the share " + row.share + " is negative.");
        }
        out.push_back(std::move(row));
    }
    return out;
}

std::vector<GunRow> ParseGunTable(const std::string& text, const std::string& decimalSymbol,
                                  const std::string& fileName) {
    RowCursor in(text, fileName, decimalSymbol);
    const int rows = in.RowCount(0, 100);
    std::vector<GunRow> out;
    out.reserve(rows);
    for (int r = 1; r <= rows; ++r) {
        in.StartRow(r);
        GunRow row;
        row.threshold = in.Number("threshold");
        row.weaponClass = in.Text("weapon class");
        // A weapon row without a weapon would put an entity without a class into the level.
        if (row.weaponClass.empty() || row.weaponClass == "-") in.Fail("the weapon class is missing.");
        row.ammoClass = DashIsEmpty(in.Text("ammunition class"));
        row.spare1 = DashIsEmpty(in.Text("fourth value"));
        row.spare2 = DashIsEmpty(in.Text("fifth value"));
        out.push_back(std::move(row));
    }
    return out;
}

std::vector<NpcRow> ParseNpcTable(const std::string& text, const std::string& decimalSymbol,
                                  const std::string& fileName) {
    RowCursor in(text, fileName, decimalSymbol);
    const int rows = in.RowCount(0, 32000);
    std::vector<NpcRow> out;
    out.reserve(rows);
    for (int r = 1; r <= rows; ++r) {
        in.StartRow(r);
        NpcRow row;
        row.className = in.Text("character class");
        if (row.className.empty()) in.Fail("the character class is missing.");
        row.threshold = in.Number("threshold") / 100;
        row.faction = in.Text("faction letter");
        for (char& c : row.faction) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (row.faction != "c" && row.faction != "x")
            in.Fail("the faction letter \"" + row.faction + "\" is neither c (combine) nor x (alien).");
        const int keys = in.Whole("number of extra keys", 0, 6);
        for (int k = 0; k < keys; ++k) {
            NpcExtraKey key;
            const std::string line = in.Text("extra key");
            const std::size_t space = line.find(' ');
            key.name = line.substr(0, space);
            key.alternatives = space == std::string::npos ? std::string() : line.substr(space + 1);
            if (key.name.empty()) in.Fail("an extra key has no name.");
            key.count = in.Whole("number of alternatives", 1, 5);
            const auto words = SSplit(key.alternatives);
            for (int w = 0; w < key.count; ++w)
                if (words[w].empty())
                    in.Fail("the key " + key.name + " draws among " + std::to_string(key.count) + " values but \"" +
                            key.alternatives + "\" does not hold that many.");
            row.keys.push_back(std::move(key));
        }
        out.push_back(std::move(row));
    }
    return out;
}

WeightTables LoadWeightTables(const std::filesystem::path& folder, const std::string& decimalSymbol) {
    WeightTables t;
    t.items = ParseItemTable(ReadWholeFile(folder, "itemdata.ini"), decimalSymbol);
    t.guns = ParseGunTable(ReadWholeFile(folder, "gundata.ini"), decimalSymbol);
    t.npcs = ParseNpcTable(ReadWholeFile(folder, "npcdata.ini"), decimalSymbol);
    return t;
}

const WeightTables& WeightTablesForBuild(Session& s) {
    if (!s.LoadedWeightTables)
        s.LoadedWeightTables = std::make_shared<const WeightTables>(LoadWeightTables(s.programFolder, s.DecimalSymbol));
    return *s.LoadedWeightTables;
}

void ForgetWeightTables(Session& s) { s.LoadedWeightTables.reset(); }

}  // namespace tessellon
