#pragma once
#include <array>
#include <string>

namespace tessellon {

struct Session;

// DirList: for room k (1..200) the room it is entered from (column 0) and the direction of
// travel into it (column 1). Row 0 is never written.
class RoomLinkTable {
public:
    static constexpr int kLastRow = 200;

    int From(int k) const { return rows_.at(static_cast<std::size_t>(k))[0]; }
    int Dir(int k) const { return rows_.at(static_cast<std::size_t>(k))[1]; }
    int operator()(int k, int column) const {
        return rows_.at(static_cast<std::size_t>(k)).at(static_cast<std::size_t>(column));
    }
    void Clear() { rows_ = {}; }

    // Throws BuildFailure for a row outside 0..200 (a maze of more than 200 rooms).
    void Set(int pos, int from, int dir);

private:
    std::array<std::array<int, 2>, kLastRow + 1> rows_{};
};

void FeedList(Session& s, int pos, int from, int dir);

// Reads one line of a RoomLine from `line`, numbering each room it meets with the next value
// of `counter` and recording it in s.DirList. A leading direction digit (odd length) sets
// `direction`; a direction of 0 is taken from the start code. Branches are read depth first,
// every branch hanging on its junction. Returns the text after the line's end code;
// `direction` ends as the line's last direction. A malformed line ends the program.
std::string MapDirection(Session& s, const std::string& line, int& direction, int from, int& counter);

}  // namespace tessellon
