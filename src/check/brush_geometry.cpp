#include "check/brush_geometry.h"

#include <algorithm>
#include <charconv>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

namespace tessellon {

namespace {

// Distances below this count as lying on a plane: map coordinates are written with a few
// decimals at most, and the compilers use a coarser tolerance still.
constexpr double kOnPlane = 0.01;

// Reads the numbers and brackets of one value ("(x y z) ...", "[x y z s] scale") from left to
// right. Blanks (spaces, tabs) may stand between any two parts.
//
// The value is copied behind a '\0' first. No step then needs to test for the end: the zero is
// no blank, digit, sign, point or bracket, so every scan stops on it, and a zero inside the text
// stops it the same way (and fails it, as it is none of those either). The tests dropped halve
// the work on the numbers of a level's sides, which is most of what a check does with them.
class Cursor {
public:
    explicit Cursor(std::string_view text) {
        const char* from = text.data();
        char* to = buffer_;
        if (text.size() >= sizeof buffer_) {
            long_.assign(text);
            to = long_.data();
        } else if (!text.empty()) {
            std::memcpy(buffer_, from, text.size());
        }
        to[text.size()] = '\0';
        p_ = to;
        end_ = to + text.size();
    }
    Cursor(const Cursor&) = delete;
    Cursor& operator=(const Cursor&) = delete;

    // The cursor is copied into a local inside each step and stored once at its end: through a
    // char pointer the compiler must assume any store may change a member.
    [[gnu::always_inline]] bool Take(char c) {
        const char* p = Blank(p_);
        if (*p != c) return false;
        p_ = p + 1;
        return true;
    }

    // Map numbers are mostly short decimals ("-384", "0.25"). With at most 15 significant digits
    // both the digits and the power of ten are exact doubles, so one division rounds exactly as
    // the full conversion would; anything else goes to from_chars.
    [[gnu::always_inline]] bool Number(double& out) {
        static constexpr double kTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                          1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
        const char* p = Blank(p_);
        // from_chars takes no leading plus; the editor never writes one, but hand edits might.
        if (*p == '+') ++p;
        const char* const start = p;
        const bool negative = *p == '-';
        if (negative) ++p;
        // At most 15 digits in all (leading zeros counted), so the digits are an exact whole
        // number and one division by an exact power of ten rounds as the full conversion does.
        const char* const first = p;
        std::uint64_t digits = 0;  // wraps harmlessly on a long run of digits, which is refused below
        while (static_cast<unsigned>(*p - '0') < 10) digits = digits * 10 + static_cast<unsigned>(*p++ - '0');
        std::size_t count = static_cast<std::size_t>(p - first);
        int fraction = 0;
        if (*p == '.') {
            const char* const point = ++p;
            while (static_cast<unsigned>(*p - '0') < 10) digits = digits * 10 + static_cast<unsigned>(*p++ - '0');
            fraction = static_cast<int>(p - point);
            count += static_cast<std::size_t>(fraction);
        }
        // No digits, too many, or an exponent, a second point or a letter after them: leave it
        // all to the full conversion.
        if (count == 0 || count > 15 || *p == '.' || static_cast<unsigned>((*p | 0x20) - 'a') < 26)
            return FullNumber(start, out);
        const double whole = static_cast<double>(digits);
        const double value = fraction == 0 ? whole : whole / kTen[fraction];
        out = negative ? -value : value;
        p_ = p;
        return true;
    }

    bool OnlySpaceLeft() const {
        for (const char* p = p_; p < end_; ++p)
            if (*p != ' ' && *p != '\t' && *p != '\r') return false;
        return true;
    }

private:
    static const char* Blank(const char* p) {
        while (*p == ' ' || *p == '\t') ++p;
        return p;
    }
    [[gnu::noinline]] bool FullNumber(const char* start, double& out) {
        const auto [stop, error] = std::from_chars(start, end_, out);
        if (error != std::errc() || !std::isfinite(out)) return false;
        p_ = stop;
        return true;
    }

    const char* p_;
    const char* end_;
    char buffer_[256];
    std::string long_;  // a value too long for the buffer (no real side has one)
};

void BaseSquare(const Plane& p, Polygon& out) {
    // A square on the plane far larger than any level; clipping by the other planes trims it.
    const Vec3 n = p.normal;
    const Vec3 helper = std::fabs(n.z) > 0.9 ? Vec3{1, 0, 0} : Vec3{0, 0, 1};
    Vec3 u = Cross(helper, n);
    u = u * (1.0 / Length(u));
    const Vec3 v = Cross(n, u);
    const Vec3 centre = n * p.dist;
    const double r = kUnboundedReach * 4;
    out.assign({centre + u * r + v * r, centre - u * r + v * r, centre - u * r - v * r, centre + u * r - v * r});
}

// Keeps the part of the polygon behind the plane (or on it), written into `out`.
void ClipBehind(const Polygon& poly, const Plane& p, Polygon& out) {
    out.clear();
    const std::size_t n = poly.size();
    for (std::size_t i = 0; i < n; ++i) {
        const Vec3 a = poly[i], b = poly[i + 1 == n ? 0 : i + 1];
        const double da = Dot(p.normal, a) - p.dist, db = Dot(p.normal, b) - p.dist;
        if (da <= kOnPlane) out.push_back(a);
        if ((da > kOnPlane && db < -kOnPlane) || (da < -kOnPlane && db > kOnPlane)) {
            const double t = da / (da - db);
            out.push_back(a + (b - a) * t);
        }
    }
}

double PolygonArea(const Polygon& poly) {
    Vec3 sum;
    for (std::size_t i = 1; i + 1 < poly.size(); ++i) sum = sum + Cross(poly[i] - poly[0], poly[i + 1] - poly[0]);
    return Length(sum) / 2;
}

}  // namespace

double Length(Vec3 a) { return std::sqrt(Dot(a, a)); }

bool PlaneFromPoints(Vec3 a, Vec3 b, Vec3 c, Plane& out) {
    const Vec3 ab = a - b, cb = c - b;
    const Vec3 n = Cross(ab, cb);
    // Points this close to one line give no trustworthy direction: |n| < 1e-6 |ab| |cb| (or
    // 1e-6 for short sides), compared squared to save the roots.
    const double squared = Dot(n, n);
    if (squared < 1e-12 * std::max(1.0, Dot(ab, ab) * Dot(cb, cb))) return false;
    const double len = std::sqrt(squared);
    out.normal = n * (1.0 / len);
    out.dist = Dot(out.normal, a);
    return true;
}

bool IsAxial(const Plane& p) {
    const double limit = 1 - 1e-9;
    return std::fabs(p.normal.x) > limit || std::fabs(p.normal.y) > limit || std::fabs(p.normal.z) > limit;
}

bool ParsePlanePoints(std::string_view text, Vec3 points[3]) {
    Cursor in(text);
    for (int i = 0; i < 3; ++i) {
        if (!in.Take('(') || !in.Number(points[i].x) || !in.Number(points[i].y) || !in.Number(points[i].z) ||
            !in.Take(')'))
            return false;
    }
    return in.OnlySpaceLeft();
}

bool ParseVector(std::string_view text, Vec3& out) {
    Cursor in(text);
    const bool bracketed = in.Take('[');
    if (!in.Number(out.x) || !in.Number(out.y) || !in.Number(out.z)) return false;
    if (bracketed && !in.Take(']')) return false;
    return in.OnlySpaceLeft();
}

bool ParseTextureAxis(std::string_view text, TextureAxis& out) {
    Cursor in(text);
    return in.Take('[') && in.Number(out.direction.x) && in.Number(out.direction.y) && in.Number(out.direction.z) &&
           in.Number(out.shift) && in.Take(']') && in.Number(out.scale) && in.OnlySpaceLeft();
}

bool AxialBox(const std::vector<Plane>& planes, Box& out) {
    if (planes.size() != 6) return false;
    double lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
    int seen = 0;  // one bit per axis and direction
    const double limit = 1 - 1e-9;
    for (const Plane& p : planes) {
        const double n[3] = {p.normal.x, p.normal.y, p.normal.z};
        int axis = -1;
        for (int a = 0; a < 3; ++a)
            if (std::fabs(n[a]) > limit) axis = a;
        if (axis < 0) return false;
        const bool up = n[axis] > 0;
        const int bit = 1 << (axis * 2 + (up ? 1 : 0));
        if (seen & bit) return false;
        seen |= bit;
        (up ? hi : lo)[axis] = p.dist / n[axis];
    }
    for (int a = 0; a < 3; ++a)
        if (!(hi[a] - lo[a] > 4 * kOnPlane) || std::fabs(lo[a]) > kUnboundedReach || std::fabs(hi[a]) > kUnboundedReach)
            return false;
    out = Box{{lo[0], lo[1], lo[2]}, {hi[0], hi[1], hi[2]}};
    return true;
}

std::vector<Polygon> BodyFaces(const std::vector<Plane>& planes) {
    std::vector<Polygon> faces(planes.size());
    // Two buffers the clipping passes between them, so a face costs no allocation per cut.
    Polygon poly, next;
    poly.reserve(planes.size() + 4);
    next.reserve(planes.size() + 4);
    for (std::size_t i = 0; i < planes.size(); ++i) {
        BaseSquare(planes[i], poly);
        for (std::size_t j = 0; j < planes.size() && !poly.empty(); ++j) {
            if (j == i) continue;
            // A later copy of the same plane must not erase this face, nor this one the copy.
            const Plane& q = planes[j];
            if (Dot(q.normal, planes[i].normal) > 1 - 1e-9 && std::fabs(q.dist - planes[i].dist) < kOnPlane) continue;
            ClipBehind(poly, q, next);
            poly.swap(next);
            if (poly.size() < 3) poly.clear();
        }
        if (poly.size() >= 3 && PolygonArea(poly) > 1e-3) faces[i] = poly;
    }
    return faces;
}

}  // namespace tessellon
