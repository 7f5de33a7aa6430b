#include "instance/rotation.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "check/vmf_reader.h"
#include "driver/errors.h"
#include "driver/session.h"
#include "instance/text_helpers.h"

namespace tessellon {

namespace {

std::string Lower(std::string t) {
    std::transform(t.begin(), t.end(), t.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return t;
}

// "x y z" turned: "y -x z".
void AppendTurnedTriple(Session& s, const std::string& text, std::string& out) {
    auto w = SSplit(text);
    out += r90_Co(s, w[1], true);
    out += ' ';
    out += r90_Co(s, w[0], false);
    out += ' ';
    out += w[2];
}

std::string TurnTriple(Session& s, const std::string& text) {
    std::string out;
    out.reserve(text.size() + 2);
    AppendTurnedTriple(s, text, out);
    return out;
}

std::string TurnPlane(Session& s, const std::string& value) {
    const auto groups = CSplit(value);
    std::string out;
    out.reserve(value.size() + 8);
    for (int g = 0; g < 3; ++g) {
        out += g == 0 ? "(" : ") (";
        AppendTurnedTriple(s, groups[g], out);
    }
    out += ')';
    return out;
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
    // The sign flips; a zero keeps the text it had.
    const std::string work = FuckAmerican(s, number);
    double v = 0;
    if (!TryToNumber(s, work, v)) throw NumberFormatError(work);
    number = v != 0 ? HailAmerican(s, 0 - v) : HailAmerican(s, work);
    return number;
}

void Rotate90(Session& s) {
    auto& lines = s.RoomLines;
    const int end = lines.Head();
    std::string className;
    for (int i = 1; i <= end; ++i) {
        const std::string& line = lines.Get(i);
        if (line.empty() || line == "{" || line == "}") continue;
        if (NamesEqual(line, "classname")) {
            className = lines.Get(++i);
        } else if (NamesEqual(line, "plane")) {
            ++i;
            lines.At(i) = TurnPlane(s, lines.Get(i));
        } else if (NamesEqual(line, "origin") || NamesEqual(line, "point0") || NamesEqual(line, "point1") || NamesEqual(line, "attachpoint")) {
            ++i;
            lines.At(i) = TurnTriple(s, lines.Get(i));
        } else if (NamesEqual(line, "startposition")) {
            ++i;
            lines.At(i) = TurnStartPosition(s, lines.Get(i));
        } else if (NamesEqual(line, "uaxis") || NamesEqual(line, "vaxis")) {
            ++i;
            lines.At(i) = TurnTextureAxis(s, lines.Get(i));
        } else if (NamesEqual(line, "angles")) {
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
