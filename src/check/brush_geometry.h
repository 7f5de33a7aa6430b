#pragma once
// Geometry of brushes as the map compilers see them: planes from three points, convex bodies
// bounded by planes, and axis-aligned boxes.
#include <string_view>
#include <vector>

namespace tessellon {

struct Vec3 {
    double x = 0, y = 0, z = 0;
};

inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, double k) { return {a.x * k, a.y * k, a.z * k}; }
inline double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double Length(Vec3 a);

// Axis-aligned box, min <= max on every axis.
struct Box {
    Vec3 min, max;
};

// The points p with Dot(normal, p) == dist; the brush lies on the side where Dot(normal, p) <= dist.
struct Plane {
    Vec3 normal;  // unit length
    double dist = 0;
};

// The plane through three points in the winding the editor writes (the normal points out of the
// brush). Returns false when the points are repeated or on one line.
bool PlaneFromPoints(Vec3 a, Vec3 b, Vec3 c, Plane& out);

// True when the normal lies along one axis.
bool IsAxial(const Plane& p);

// "(x y z) (x y z) (x y z)"; false when the text is not three points of three numbers.
bool ParsePlanePoints(std::string_view text, Vec3 points[3]);
// "x y z", also inside square brackets "[x y z]".
bool ParseVector(std::string_view text, Vec3& out);

// A texture axis "[x y z shift] scale".
struct TextureAxis {
    Vec3 direction;
    double shift = 0;
    double scale = 0;
};
bool ParseTextureAxis(std::string_view text, TextureAxis& out);

using Polygon = std::vector<Vec3>;

// How far from the origin a face may reach before the body counts as unbounded; far beyond
// any playable coordinate.
constexpr double kUnboundedReach = 131072;

// True when the planes are the six sides of an axis-aligned box of some size (one plane facing
// each way along each axis, within kUnboundedReach); `out` is then the box. Anything else,
// also a box given with a repeated side, is left to BodyFaces.
bool AxialBox(const std::vector<Plane>& planes, Box& out);

// The face of every plane of the convex body that lies behind all of them: faces[i] is the
// polygon of planes[i], empty when that plane keeps no face (it lies outside the body or the
// body is empty). A face that reaches kUnboundedReach means the planes do not close the body.
std::vector<Polygon> BodyFaces(const std::vector<Plane>& planes);

}  // namespace tessellon
