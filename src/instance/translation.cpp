#include "instance/translation.h"

#include <charconv>
#include <cmath>
#include <string_view>

#include "session/restart_countdown.h"
#include "session/report.h"
#include "session/session.h"
#include "session/text_helpers.h"
#include "maze/maze_line.h"

namespace tessellon {

using namespace std::string_view_literals;

namespace {

// The number in file form appended to `out`. Whole numbers (most moved coordinates) go
// straight in, as the formatter writes them; the rest take the formatter's way.
void AppendNumber(Session& s, double v, std::string& out) {
    if ((s.DecimalSymbol == "." || s.DecimalSymbol == ",") && std::fabs(v) < 1e15 && v == std::trunc(v)) {
        char digits[24];
        const auto r = std::to_chars(digits, digits + sizeof digits, static_cast<long long>(v));
        out.append(digits, r.ptr);
        return;
    }
    out += HailAmerican(s, v);
}

std::string Moved(Session& s, std::string_view coordinate, double offset) {
    std::string out;
    AppendNumber(s, FileNumber(s, coordinate) + offset, out);
    return out;
}

// "x y z" moved, appended to `out`.
void AppendMovedPoint(Session& s, std::string_view text, double xDif, double yDif, double zDif, std::string& out) {
    const auto w = SSplitView(text);
    AppendNumber(s, FileNumber(s, w[0]) + xDif, out);
    out += ' ';
    AppendNumber(s, FileNumber(s, w[1]) + yDif, out);
    out += ' ';
    AppendNumber(s, FileNumber(s, w[2]) + zDif, out);
}

// "[ax ay az shift] scale" with the shift moved along; the brackets may stand anywhere, as
// they are simply left out of the words.
std::string MoveTextureAxis(Session& s, std::string_view text, double xDif, double yDif, double zDif) {
    std::string spare;
    const auto w = AxisWords(text, spare);
    auto num = [&](std::string_view t) { return FileNumber(s, t); };
    const double shift = ShiftTexture(num(w[3]), num(w[0]), num(w[1]), num(w[2]), num(w[4]), xDif, yDif, zDif);
    std::string out;
    out.reserve(text.size() + 8);
    out.append("[").append(w[0]).append(" ").append(w[1]).append(" ").append(w[2]).append(" ");
    AppendNumber(s, shift, out);
    out.append("] ").append(w[4]);
    return out;
}

}  // namespace

double ShiftTexture(double shift, double ax, double ay, double az, double scale, double xDif, double yDif,
                    double zDif) {
    if (scale == 0) throw BuildFailure("A texture axis has the scale 0.");
    double moved = shift - (ax * xDif) / scale - (ay * yDif) / scale - (az * zDif) / scale;
    if (moved > 512) moved = std::fmod(RoundHalfEven(moved), 512.0);
    // Cut downwards to thousandths; the small allowance keeps a value such as 33.333, which
    // the binary form holds as 33.33299999..., from losing its last digit.
    return std::floor(moved * 1000 + 1e-6) / 1000;
}

void SetOrigins(Session& s, double xDif, double yDif, double zDif) {
    const int m = static_cast<int>(s.DoorPoints[0][0][0]);
    if (m >= 0 && m < static_cast<int>(s.DoorPoints.size()))
        for (int side = 1; side <= 4; ++side) {
            s.DoorPoints[m][side][1] += xDif;
            s.DoorPoints[m][side][2] += yDif;
            s.DoorPoints[m][side][3] += zDif;
        }

    auto& lines = s.RoomLines;
    const int end = lines.Head();
    int boundaryErrors = 0;
    for (int i = 1; i <= end; ++i) {
        const std::string& key = lines.Get(i);
        if (key == "startposition"sv) {
            std::string v = lines.Get(++i);
            ClearOutChar('[', v);
            ClearOutChar(']', v);
            std::string out = "[";
            AppendMovedPoint(s, v, xDif, yDif, zDif, out);
            out += ']';
            lines.At(i) = std::move(out);
        } else if (key == "plane"sv) {
            ++i;
            const auto groups = CSplitView(lines.Get(i));
            const auto w = SSplitView(groups[0]);
            const double vx = FileNumber(s, w[0]) + xDif, vy = FileNumber(s, w[1]) + yDif,
                         vz = FileNumber(s, w[2]) + zDif;
            // Well inside the map the written point is too; near the edge it is judged as
            // written, the way it will be read back.
            const double near = kMapCoordinateLimit - 1;
            const bool maybeOut = std::fabs(vx) >= near || std::fabs(vy) >= near || std::fabs(vz) >= near;
            if (maybeOut && BadPos(s, Moved(s, w[0], xDif), Moved(s, w[1], yDif), Moved(s, w[2], zDif))) {
                ++boundaryErrors;
                Log(s,
                    "Boundry Error! (" + std::string(groups[0]) + ") XYZdif: " + FormatNumber(xDif) + " " +
                        FormatNumber(yDif) + " " + FormatNumber(zDif),
                    true, true);
                if (boundaryErrors >= kBoundaryErrorLimit) {
                    Log(s, "BEL reached after " + std::to_string(boundaryErrors) + " Boundry Errors!", false, true);
                    ArmRestart(s);
                    s.BuildAborted = true;
                    return;
                }
            }
            std::string out;
            out.reserve(lines.Get(i).size() + 16);
            out += '(';
            AppendNumber(s, vx, out);
            out += ' ';
            AppendNumber(s, vy, out);
            out += ' ';
            AppendNumber(s, vz, out);
            out += ") (";
            AppendMovedPoint(s, groups[1], xDif, yDif, zDif, out);
            out += ") (";
            AppendMovedPoint(s, groups[2], xDif, yDif, zDif, out);
            out += ')';
            lines.At(i) = std::move(out);
        } else if (key == "origin"sv || key == "point0"sv || key == "point1"sv || key == "attachpoint"sv) {
            ++i;
            std::string out;
            AppendMovedPoint(s, lines.Get(i), xDif, yDif, zDif, out);
            lines.At(i) = std::move(out);
        } else if (key == "uaxis"sv || key == "vaxis"sv) {
            ++i;
            lines.At(i) = MoveTextureAxis(s, lines.Get(i), xDif, yDif, zDif);
        }
    }
}

}  // namespace tessellon
