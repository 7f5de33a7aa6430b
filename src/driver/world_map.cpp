#include "driver/world_map.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "driver/window_options.h"

namespace tessellon {

double WorldMapY(double latitude) { return (90 - latitude) / 140 * 915; }
double WorldMapX(double longitude) { return (longitude + 180) / 360 * kWorldMapUnitsWide; }

namespace {

bool ParseDegrees(std::string_view text, double& out) {
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, out);
    return ec == std::errc() && p == end && std::isfinite(out);
}

}  // namespace

WorldMap ParseWorldMap(const std::string& text, const std::string& fileName) {
    WorldMap map;
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        std::vector<MapPoint> current;
        auto flush = [&] {
            if (current.size() >= 2) map.lines.push_back(current);
            current.clear();
        };
        std::istringstream pairs(line);
        std::string pair;
        double lastLon = 0;
        while (pairs >> pair) {
            const auto comma = pair.find(',');
            double lon = 0, lat = 0;
            if (comma == std::string::npos || !ParseDegrees(std::string_view(pair).substr(0, comma), lon) ||
                !ParseDegrees(std::string_view(pair).substr(comma + 1), lat) || lon < -180 || lon > 180 || lat < -90 ||
                lat > 90)
                throw std::runtime_error(fileName + ":" + std::to_string(number) + ": \"" + pair +
                                         "\" is not a lon,lat pair in degrees.");
            const MapPoint p{WorldMapX(lon), WorldMapY(lat)};
            // A jump of more than half the world is the date line, not a coast.
            if (!current.empty() && std::abs(lon - lastLon) > 180) flush();
            if (p.y > kWorldMapUnitsHigh) {
                flush();
            } else {
                current.push_back(p);
            }
            lastLon = lon;
        }
        flush();
    }
    return map;
}

WorldMap ReadWorldMap(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw std::runtime_error("The world map " + file.string() + " could not be read.");
    std::ostringstream text;
    text << in.rdbuf();
    return ParseWorldMap(text.str(), file.string());
}

}  // namespace tessellon
