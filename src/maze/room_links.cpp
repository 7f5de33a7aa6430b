#include "maze/room_links.h"

#include "session/errors.h"
#include "session/report.h"
#include "session/session.h"
#include "maze/directions.h"

namespace tessellon {

void RoomLinkTable::Set(int pos, int from, int dir) {
    if (pos < 0 || pos > kLastRow)
        throw BuildFailure("The maze holds more than " + std::to_string(kLastRow) +
                           " rooms, more than the room link table can number.");
    rows_[static_cast<std::size_t>(pos)] = {from, dir};
}

void FeedList(Session& s, int pos, int from, int dir) { s.DirList.Set(pos, from, dir); }

std::string MapDirection(Session& s, const std::string& line, int& direction, int from, int& counter) {
    std::string text = line;
    const int f0 = from;
    if (text.size() % 2 == 1) {
        direction = text[0] - '0';
        text.erase(0, 1);
    }
    if (direction == 0) {
        const std::string first = text.substr(0, 2);
        if (first == "15" || first == "27") direction = 1;
        else if (first == "16" || first == "28") direction = 2;
        else if (first == "17" || first == "29") direction = 3;
        else if (first == "18" || first == "30") direction = 4;
        else
            MapError(s, "Incorrect returner to <give direction> (Could not decide init direction for this piece)", true,
                     "Give direction falut, got returner witch had incorrect value (" + first +
                         ") (Could not decide init direction for this piece)");
    }
    int f = f0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::string code = text.substr(pos, 2);
        pos += 2;
        ++counter;
        FeedList(s, counter, f, direction);
        f = counter;
        const ConnectionCode* c = FindCode(code);
        if (!c)
            MapError(s, "Incorrect returner to <give direction>", true,
                     "Give direction falut, got returner witch had incorrect value (" + code + ")");
        if (IsEndCode(*c)) return text.substr(pos);
        if (IsJunction(*c)) {
            int branches = 0;
            const auto dirs = BranchDirections(*c, direction, branches);
            if (branches == 0)
                throw BuildFailure("The maze line enters the junction " + code + " through its closed side.");
            std::string rest = text.substr(pos);
            for (int b = 0; b < branches; ++b) {
                int branchDirection = dirs[static_cast<std::size_t>(b)];
                rest = MapDirection(s, rest, branchDirection, f, counter);
            }
            return rest;
        }
        direction = DirectionAfter(*c, direction);
    }
    return std::string();
}

}  // namespace tessellon
