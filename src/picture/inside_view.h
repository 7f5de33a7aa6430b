#pragma once
// The view from inside: what a player standing in a level or a room sees. Brushes are convex
// bodies cast from their planes, props boxes of their model's rough size, characters and
// pickups coloured marks; faces are shaded by their direction and lit from the file's lights.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "check/brush_geometry.h"
#include "picture/rgb_image.h"

namespace tessellon {

struct VmfDocument;

// Where the eye is and where it looks, as the game gives it: yaw 0 looks along +x and yaw 90
// along +y, +z is up, a positive pitch looks down.
struct ViewPoint {
    Vec3 eye;
    double yaw = 0;
    double pitch = 0;
    double fov = 90;  // across the picture, degrees
};

// How a face shows: not at all (nodraw, clips, triggers: the ray goes on), as sky, as a surface
// lit by the scene's lights, or in its own colour whatever the light (marks, lamp fixtures).
enum class FaceLook : std::uint8_t { Hidden, Sky, Lit, Glowing };

struct FaceSurface {
    FaceLook look = FaceLook::Lit;
    Rgb color;
};

// The look of a map material: tool materials the player never sees are hidden, the sky tool
// is sky, everything else lit in its material family's colour (concrete grey, brick red, ...).
FaceSurface SurfaceOfMaterial(std::string_view material);

// A light as the map compiler reads it: colour and brightness from "_light" (the brightness is
// what a face 100 units away gets), the constant, linear and quadratic falloff, and for a spot
// its direction and cones.
struct ViewLight {
    Vec3 at;
    Vec3 color;  // linear red, green, blue at 100 units
    double constant = 0, linear = 0, quadratic = 1;
    double reach = 0;  // no light beyond this distance; 0 for none
    bool spot = false;
    Vec3 direction;                     // where a spot shines
    double innerCos = 1, outerCos = 1;  // cosines of the cones' half angles
    double exponent = 0;
};

// The sun and sky light of a light_environment.
struct ViewSun {
    Vec3 towardSun;  // unit
    Vec3 color;      // linear
    Vec3 ambient;    // linear, what a face open to the sky gets from all of it
};

// What a view shows, ready to be drawn from any point.
class ViewScene {
public:
    ViewScene();
    ~ViewScene();
    ViewScene(ViewScene&&) noexcept;
    ViewScene& operator=(ViewScene&&) noexcept;

    // A convex body from its planes (normals out of the body), one surface per plane. A body
    // that does not close (or reaches beyond any playable coordinate) is left out: false.
    // `blocksLight` says whether it casts shadows.
    bool AddBody(const std::vector<Plane>& planes, const std::vector<FaceSurface>& surfaces, bool blocksLight);
    // A box turned by `yaw` degrees about its base's centre `base`; `size` is its length along
    // its own x, width along y and height.
    void AddBox(Vec3 base, Vec3 size, double yaw, FaceSurface surface, bool blocksLight);
    void AddLight(const ViewLight& light) { lights_.push_back(light); }
    void SetSun(const ViewSun& sun) { sun_ = sun; }

    int Bodies() const;
    int Lights() const { return static_cast<int>(lights_.size()); }
    bool HasSun() const { return sun_.has_value(); }
    // The space the bodies take; all zero without bodies.
    Box Bounds() const;

    // The picture seen from `view`, `width` x `height` pixels, drawn on `threads` threads (0:
    // as many as the machine has). The first picture after a change sorts the bodies into a
    // grid, so a scene is drawn from one thread at a time.
    RgbImage Render(const ViewPoint& view, int width, int height, int threads = 0) const;

    struct Grid;

private:
    friend class ViewTracer;
    struct Body {
        std::uint32_t firstPlane = 0;
        std::uint32_t planeCount = 0;
        Box bounds;
        bool blocksLight = true;
    };
    const Grid& Ready() const;

    std::vector<Plane> planes_;
    std::vector<FaceSurface> surfaces_;
    std::vector<Body> bodies_;
    std::vector<ViewLight> lights_;
    std::optional<ViewSun> sun_;
    mutable std::unique_ptr<Grid> grid_;  // built at the first picture after a change
};

// The colours a picture shows where no face is hit.
constexpr Rgb kViewSky{150, 188, 226};
constexpr Rgb kViewVoid{18, 20, 26};

// What a file holds for the view, and what could not be read.
struct ViewFile {
    ViewScene scene;
    int brushes = 0, props = 0, marks = 0;
    std::string problem;  // empty when the file read cleanly
    bool readable = false;
    // The player start at eye height facing its way, when the file has one.
    std::optional<ViewPoint> start;
    // A room file's view from just inside its first doorway, looking in.
    std::optional<ViewPoint> doorway;
};

// The eye is this far above the floor the player stands on.
constexpr double kPlayerEyeHeight = 64;

// Reads a level (.vmf) or a room file (.rgr, by its extension) for the view.
ViewFile ReadViewFile(const std::filesystem::path& file);
// The scene of a map already read: world and brush entity solids, props, marks and lights.
ViewFile ViewFileOfDocument(const VmfDocument& doc);

}  // namespace tessellon
