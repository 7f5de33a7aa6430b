#pragma once
#include <filesystem>
#include <string>
#include <vector>

namespace tessellon {

// A coastline as polylines in the world map's units (x 0..1800 west to east, y by the
// latitude rule: 0 at 90 degrees north, 915 at 50 degrees south, linear).
struct MapPoint {
    double x, y;
};
struct WorldMap {
    std::vector<std::vector<MapPoint>> lines;
};

// The map's height in units for a latitude, and the width for a longitude.
double WorldMapY(double latitude);
double WorldMapX(double longitude);

// Reads a coastline file: '#' lines are comments, every other line one polyline of
// space-separated "lon,lat" pairs in degrees. Segments that wrap across the date line are
// split; points south of the map's bottom edge are cut. Throws std::runtime_error naming
// the file and line for a malformed pair.
WorldMap ReadWorldMap(const std::filesystem::path& file);
WorldMap ParseWorldMap(const std::string& text, const std::string& fileName);

}  // namespace tessellon
