#include "instance/rotation.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "check/vmf_reader.h"
#include "session/errors.h"
#include "session/session.h"
#include "session/text_helpers.h"

namespace tessellon {

namespace {

// The words of a value are split once and turned as often as asked, then joined once: the
// same text as splitting, turning and joining once per quarter turn, since the words hold no
// space or bracket that a second split would cut differently.

// One quarter turn of the first two words of "x y ...": (y, -x).
void TurnPair(Session& s, std::string& x, std::string& y) {
    std::string nx = r90_Co(s, y, true);
    r90_Co(s, x, false);  // x now holds -x
    y = std::move(x);
    x = std::move(nx);
}

// Appends `text` with its sign changed (a formatter-shaped number other than "0").
void AppendNegated(std::string_view text, std::string& out) {
    if (text == "0") out += text;
    else if (text[0] == '-') out += text.substr(1);
    else (out += '-') += text;
}

// "x y" turned: "y -x" each time.
void AppendTurnedPair(Session& s, std::string_view x, std::string_view y, int turns, std::string& out) {
    // Numbers as the formatter writes them turn by their signs alone: (y, -x), (-x, -y),
    // (-y, x) for one, two and three quarter turns.
    if ((s.DecimalSymbol == "." || s.DecimalSymbol == ",") && IsFormattedShortNumber(x) && IsFormattedShortNumber(y)) {
        switch (turns % 4) {
        case 0: out.append(x).append(" ").append(y); break;
        case 1: out.append(y) += ' ', AppendNegated(x, out); break;
        case 2: AppendNegated(x, out), out += ' ', AppendNegated(y, out); break;
        default: AppendNegated(y, out), out += ' ', out.append(x); break;
        }
        return;
    }
    std::string a(x), b(y);
    for (int t = 0; t < turns; ++t) TurnPair(s, a, b);
    out += a;
    out += ' ';
    out += b;
}

// "x y z" turned: "y -x z" each time.
void AppendTurnedTriple(Session& s, std::string_view text, int turns, std::string& out) {
    const auto w = SSplitView(text);
    AppendTurnedPair(s, w[0], w[1], turns, out);
    out += ' ';
    out += w[2];
}

std::string TurnTriple(Session& s, const std::string& text, int turns) {
    std::string out;
    out.reserve(text.size() + 2);
    AppendTurnedTriple(s, text, turns, out);
    return out;
}

std::string TurnPlane(Session& s, const std::string& value, int turns) {
    const auto groups = CSplitView(value);
    std::string out;
    out.reserve(value.size() + 8);
    for (int g = 0; g < 3; ++g) {
        out += g == 0 ? "(" : ") (";
        AppendTurnedTriple(s, groups[g], turns, out);
    }
    out += ')';
    return out;
}

std::string TurnStartPosition(Session& s, std::string value, int turns) {
    ClearOutChar('[', value);
    ClearOutChar(']', value);
    return "[" + TurnTriple(s, value, turns) + "]";
}

std::string TurnTextureAxis(Session& s, const std::string& value, int turns) {
    std::string spare;
    const auto w = AxisWords(value, spare);
    std::string out;
    out.reserve(value.size() + 4);
    out += '[';
    AppendTurnedPair(s, w[0], w[1], turns, out);
    out.append(" ").append(w[2]).append(" ").append(w[3]).append("] ").append(w[4]);
    return out;
}

std::string TurnAngles(Session& s, const std::string& value, int turns) {
    auto w = SSplit(value);
    for (int t = 0; t < turns; ++t) {
        double yaw = ToNumber(s, FuckAmerican(s, w[1])) - 90;
        if (yaw < 0) yaw += 360;
        w[1] = HailAmerican(s, yaw);
    }
    return w[0] + " " + w[1] + " " + w[2];
}

// Every turned value of the room, each turned `turns` quarter turns at once.
void TurnRoom(Session& s, int turns) {
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
            lines.At(i) = TurnPlane(s, lines.Get(i), turns);
        } else if (NamesEqual(line, "origin") || NamesEqual(line, "point0") || NamesEqual(line, "point1") ||
                   NamesEqual(line, "attachpoint")) {
            ++i;
            lines.At(i) = TurnTriple(s, lines.Get(i), turns);
        } else if (NamesEqual(line, "startposition")) {
            ++i;
            lines.At(i) = TurnStartPosition(s, lines.Get(i), turns);
        } else if (NamesEqual(line, "uaxis") || NamesEqual(line, "vaxis")) {
            ++i;
            lines.At(i) = TurnTextureAxis(s, lines.Get(i), turns);
        } else if (NamesEqual(line, "angles")) {
            ++i;
            // Brush entities carry their orientation in their brushes.
            if (LowerCase(className).rfind("func_", 0) != 0) lines.At(i) = TurnAngles(s, lines.Get(i), turns);
        }
    }
}

}  // namespace

std::string r90_Co(Session& s, std::string& number, bool x) {
    if (x) return HailAmerican(s, number);
    // The sign flips; a zero keeps the text it had. A number as the formatter writes it flips
    // by its sign alone (most of a room's coordinates), which is what the conversion gives.
    if ((s.DecimalSymbol == "." || s.DecimalSymbol == ",") && IsFormattedShortNumber(number)) {
        if (number == "0") return number;
        if (number[0] == '-') number.erase(0, 1);
        else number.insert(0, 1, '-');
        return number;
    }
    const std::string work = FuckAmerican(s, number);
    double v = 0;
    if (!TryToNumber(s, work, v)) throw NumberFormatError(work);
    number = v != 0 ? HailAmerican(s, 0 - v) : HailAmerican(s, work);
    return number;
}

void Rotate90(Session& s) { TurnRoom(s, 1); }

void Rotator(Session& s, int rotations) {
    if (rotations > 0) TurnRoom(s, rotations);
}

}  // namespace tessellon
