#include "instance/rotation.h"

#include <algorithm>
#include <cctype>

#include "driver/session.h"
#include "instance/text_helpers.h"

namespace tessellon {

namespace {

std::string Lower(std::string t) {
    std::transform(t.begin(), t.end(), t.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return t;
}

// "x y z" turned: "y -x z".
std::string TurnTriple(Session& s, const std::string& text) {
    auto w = SSplit(text);
    const std::string nx = r90_Co(s, w[1], true);
    const std::string ny = r90_Co(s, w[0], false);
    return nx + " " + ny + " " + w[2];
}

std::string TurnPlane(Session& s, const std::string& value) {
    const auto groups = CSplit(value);
    return "(" + TurnTriple(s, groups[0]) + ") (" + TurnTriple(s, groups[1]) + ") (" +
           TurnTriple(s, groups[2]) + ")";
}

std::string TurnStartPosition(Session& s, std::string value) {
    ClearOutChar('[', value);
    ClearOutChar(']', value);
    return "[" + TurnTriple(s, value) + "]";
}

std::string TurnTextureAxis(Session& s, std::string value) {
    ClearOutChar('[', value);
    ClearOutChar(']', value);
    auto w = SSplit(value);
    const std::string nx = r90_Co(s, w[1], true);
    const std::string ny = r90_Co(s, w[0], false);
    return "[" + nx + " " + ny + " " + w[2] + " " + w[3] + "] " + w[4];
}

std::string TurnAngles(Session& s, const std::string& value) {
    auto w = SSplit(value);
    double yaw = ToNumber(s, FuckAmerican(s, w[1])) - 90;
    if (yaw < 0) yaw += 360;
    return w[0] + " " + HailAmerican(s, yaw) + " " + w[2];
}

}  // namespace

std::string r90_Co(Session& s, std::string& number, bool x) {
    if (x) return HailAmerican(s, number);
    std::string work = number;
    double v = 0;
    const bool negative = TryToNumber(s, FuckAmerican(s, work), v) && v < 0;
    number = negative ? Pos(s, work) : Neg(s, work);
    return number;
}

void Rotate90(Session& s) {
    auto& lines = s.RoomLines;
    const int end = lines.Head();
    std::string className;
    for (int i = 1; i <= end; ++i) {
        const std::string& line = lines.Get(i);
        if (line.empty() || line == "{" || line == "}") continue;
        const std::string key = Lower(line);
        if (key == "classname") {
            className = lines.Get(++i);
        } else if (key == "plane") {
            ++i;
            lines.At(i) = TurnPlane(s, lines.Get(i));
        } else if (key == "origin" || key == "point0" || key == "point1" || key == "attachpoint") {
            ++i;
            lines.At(i) = TurnTriple(s, lines.Get(i));
        } else if (key == "startposition") {
            ++i;
            lines.At(i) = TurnStartPosition(s, lines.Get(i));
        } else if (key == "uaxis" || key == "vaxis") {
            ++i;
            lines.At(i) = TurnTextureAxis(s, lines.Get(i));
        } else if (key == "angles") {
            ++i;
            // Brush entities carry their orientation in their brushes.
            if (Lower(className).rfind("func_", 0) != 0) lines.At(i) = TurnAngles(s, lines.Get(i));
        }
    }
}

void Rotator(Session& s, int rotations) {
    for (int r = 0; r < rotations; ++r) Rotate90(s);
}

}  // namespace tessellon
