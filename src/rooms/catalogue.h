#pragma once
#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tessellon {

struct Session;

// Catalogue columns of a room row. The four side records take columns 3..18: side s
// (1 north .. 4 west) holds X, Y, Z and the connection kind in 4s-1 .. 4s+2.
enum CatalogueColumn : int {
    kColName = 0,
    kColGenre = 1,
    kColRoomType = 2,
    kColFilePath = 19,
    kColDescription = 20,
    kColAuthor = 21,
};
constexpr int kCatalogueColumns = 22;
constexpr int kMaxCatalogueRows = 2000;
constexpr int kRoomHeaderLines = 21;
// The room type the room manager's test mode gives to rooms it blocks.
constexpr int kBlockedRoomType = 29;

enum SideField : int { kSideX = 0, kSideY = 1, kSideZ = 2, kSideKind = 3 };
constexpr int SideColumn(int side, int field) { return 4 * side - 1 + field; }

// One room file as the catalogue knows it: the header values as read (an empty header line
// reads as "0") and the file's path.
class RoomRecord {
public:
    std::string& operator[](int column) { return cells_.at(static_cast<std::size_t>(column)); }
    const std::string& operator[](int column) const { return cells_.at(static_cast<std::size_t>(column)); }

    const std::string& Name() const { return cells_[kColName]; }
    const std::string& FilePath() const { return cells_[kColFilePath]; }
    // Whole-number columns (genre, type, kinds); nullopt when the text is not a whole number.
    std::optional<int> WholeNumber(int column) const;
    std::string& Side(int side, int field) { return (*this)[SideColumn(side, field)]; }
    const std::string& Side(int side, int field) const { return (*this)[SideColumn(side, field)]; }

    bool operator==(const RoomRecord&) const = default;

private:
    std::array<std::string, kCatalogueColumns> cells_{};
};

// Every room file of the rooms folder, rows 1..RoomCount in file name order.
class Catalogue {
public:
    int RoomCount() const { return static_cast<int>(rows_.size()) - 1; }
    // Row 1..RoomCount; anything else is a programming error and throws std::out_of_range.
    RoomRecord& Row(int i);
    const RoomRecord& Row(int i) const;
    void Clear() { rows_.assign(1, RoomRecord{}); }
    // Appends a row (the scan, and tests that build a catalogue by hand). Throws
    // std::length_error past the 2000-row limit.
    RoomRecord& Add(RoomRecord record);
    // Removes row i (1..RoomCount); the rows after it move up one.
    void Erase(int i);

private:
    std::vector<RoomRecord> rows_ = std::vector<RoomRecord>(1);
};

// The rooms folder's files matching *.rgr without regard to case, sorted by name.
std::vector<std::filesystem::path> ListRoomFiles(const std::filesystem::path& folder);

// Reads the 21 header lines of a room file. nullopt when the file cannot be opened or has
// fewer than 21 lines. Only the header is read, however long the body.
std::optional<RoomRecord> ReadRoomHeader(const std::filesystem::path& file);

// Deletes a file; false with `ec` set when it could not.
using RemoveFileFunction = std::function<bool(const std::filesystem::path&, std::error_code&)>;

// Rescans the rooms folder beside the program into s.RoomCatalogue. Empty room files are
// deleted and the scan starts over; one that cannot be deleted is reported once and left out.
// An unreadable or short file, or more than 2000 room files, end the program through MapError.
void Categorize(Session& s);
void Categorize(Session& s, const RemoveFileFunction& removeFile);

// The type name the room manager shows for a RoomType cell.
std::string RoomTypeName(const std::string& roomType);

}  // namespace tessellon
