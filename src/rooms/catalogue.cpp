#include "rooms/catalogue.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <fstream>
#include <stdexcept>

#include "session/report.h"
#include "session/session.h"
#include "session/text_helpers.h"

namespace tessellon {

namespace fs = std::filesystem;

std::optional<int> RoomRecord::WholeNumber(int column) const {
    double v = 0;
    if (!TryParseNumber((*this)[column], ".", v)) return std::nullopt;
    // The range first: converting a double beyond it to an integer is undefined.
    if (!(v >= -2147483648.0 && v <= 2147483647.0) || v != std::trunc(v)) return std::nullopt;
    return static_cast<int>(v);
}

RoomRecord& Catalogue::Row(int i) {
    if (i < 1 || i > RoomCount()) throw std::out_of_range("catalogue row " + std::to_string(i));
    return rows_[static_cast<std::size_t>(i)];
}

const RoomRecord& Catalogue::Row(int i) const {
    if (i < 1 || i > RoomCount()) throw std::out_of_range("catalogue row " + std::to_string(i));
    return rows_[static_cast<std::size_t>(i)];
}

void Catalogue::Erase(int i) {
    Row(i);  // range check
    rows_.erase(rows_.begin() + i);
}

RoomRecord& Catalogue::Add(RoomRecord record) {
    if (RoomCount() >= kMaxCatalogueRows)
        throw std::length_error("the catalogue holds at most " + std::to_string(kMaxCatalogueRows) + " rooms");
    rows_.push_back(std::move(record));
    return rows_.back();
}

namespace {

// The path as the catalogue stores it: the scan folder, a separator, the file name.
std::string RoomPath(const fs::path& folder, const fs::path& name) { return (folder / name).string(); }

}  // namespace

std::vector<fs::path> ListRoomFiles(const fs::path& folder) {
    std::vector<fs::path> names;
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) return names;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        if (!entry.is_regular_file(ec)) continue;
        const fs::path name = entry.path().filename();
        if (LowerCase(name.extension().string()) == ".rgr") names.push_back(name);
    }
    // The system's listing sorts without regard to case.
    std::sort(names.begin(), names.end(), [](const fs::path& a, const fs::path& b) {
        const std::string la = LowerCase(a.string()), lb = LowerCase(b.string());
        return la != lb ? la < lb : a.string() < b.string();
    });
    return names;
}

std::optional<RoomRecord> ReadRoomHeader(const fs::path& file) {
    // The header is a few hundred bytes at the top of a file that runs to hundreds of
    // kilobytes: it is read in small blocks, not through a stream's whole buffer.
    std::ifstream in;
    char block[1024];
    in.rdbuf()->pubsetbuf(block, sizeof block);
    in.open(file, std::ios::binary);
    if (!in) return std::nullopt;
    RoomRecord record;
    std::string line;
    for (int k = 0; k < kRoomHeaderLines; ++k) {
        if (!std::getline(in, line)) return std::nullopt;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        // Header line k lands in column k, except that column 19 is the path's.
        const int column = k < kColFilePath ? k : k + 1;
        record[column] = line.empty() ? std::string("0") : line;
    }
    record[kColFilePath] = file.string();
    return record;
}

void Categorize(Session& s) {
    Categorize(s, [](const fs::path& file, std::error_code& ec) { return fs::remove(file, ec); });
}

void Categorize(Session& s, const RemoveFileFunction& removeFile) {
    const fs::path folder = s.programFolder / "rooms";
    // Empty files that would not go away: each is reported once and then passed over.
    std::vector<fs::path> undeletable;
    for (;;) {
        s.RoomCatalogue.Clear();
        const std::vector<fs::path> names = ListRoomFiles(folder);
        const int count = static_cast<int>(names.size());
        s.ui.Yield();
        s.ui.SetStatus("Catigorizing Rooms...");
        bool restart = false;
        for (int i = 1; i <= count; ++i) {
            MrProg(s, static_cast<double>(i) / count * 100);
            s.ui.Yield();
            const fs::path path = folder / names[static_cast<std::size_t>(i - 1)];
            // A header that reads whole belongs to a file that is not empty: only a file whose
            // header cannot be read, or one past the table's last row, is asked for its size.
            std::optional<RoomRecord> record;
            if (i <= kMaxCatalogueRows) record = ReadRoomHeader(path);
            if (record) {
                s.RoomCatalogue.Add(std::move(*record));
                continue;
            }
            std::error_code ec;
            const auto size = fs::file_size(path, ec);
            if (!ec && size == 0) {
                if (std::find(undeletable.begin(), undeletable.end(), path) != undeletable.end()) continue;
                removeFile(path, ec);
                if (!ec) {  // gone, or already gone
                    restart = true;
                    break;
                }
                undeletable.push_back(path);
                Log(s,
                    "The empty room file " + RoomPath(folder, names[static_cast<std::size_t>(i - 1)]) +
                        " could not be deleted (" + ec.message() + "); it is left out.",
                    false, false, true);
                continue;
            }
            // Past the table's last row the files are only checked for emptiness, so the
            // count reported below is that of real rooms.
            if (i > kMaxCatalogueRows) continue;
            MapError(s,
                     "The file:" + RoomPath(folder, names[static_cast<std::size_t>(i - 1)]) +
                         " couldn't be opened. It's probably corrupt.",
                     false);
        }
        if (restart) continue;
        if (count > kMaxCatalogueRows)
            MapError(s,
                     "The rooms folder holds " + std::to_string(count) + " room files, but at most " +
                         std::to_string(kMaxCatalogueRows) + " can be used. Move " +
                         std::to_string(count - kMaxCatalogueRows) + " of them out of " + folder.string() + ".",
                     false);
        return;
    }
}

std::string RoomTypeName(const std::string& roomType) {
    static const char* const kNames[] = {"1 (One way part)",  "2 (Turn part)", "3 (Three way part)",
                                         "4 (Cross section)", "5 (Alley)",     "6 (Game Start)",
                                         "7 (Game End)"};
    RoomRecord probe;
    probe[kColRoomType] = roomType;
    const auto t = probe.WholeNumber(kColRoomType);
    if (t && *t >= 0 && *t <= 6) return kNames[*t];
    if (t && *t == kBlockedRoomType) return "(This room is blocked)";
    return "<unknown> (Not Supported)";
}

}  // namespace tessellon
