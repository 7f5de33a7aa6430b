#include "picture/room_picture.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <limits>

#include "check/brush_geometry.h"
#include "check/vmf_reader.h"
#include "session/level_plan.h"
#include "maze/directions.h"
#include "rooms/catalogue.h"

namespace tessellon {

namespace {

constexpr Rgb kPaper{246, 244, 238};
constexpr Rgb kFloor{214, 204, 182};
constexpr Rgb kRaised{170, 160, 140};
constexpr Rgb kWall{62, 70, 84};
constexpr Rgb kBrushEntity{120, 160, 210};
constexpr Rgb kDoor{30, 170, 60};
constexpr Rgb kCharacter{210, 40, 40};
constexpr Rgb kPickup{240, 150, 20};
constexpr Rgb kLight{235, 215, 40};
constexpr Rgb kPlayerStart{20, 150, 40};
constexpr Rgb kProp{130, 90, 50};
constexpr Rgb kOther{90, 90, 90};

// The part of a room that lies above this height over the floor is left out of the view, so
// ceilings and the tops of tall walls do not cover the floor.
constexpr double kEyeHeight = 96;

struct Brush {
    std::vector<PointF> outline;  // convex hull of the corners, map units
    double bottom = 0, top = 0;
    bool entity = false;
};

struct Mark {
    PointF at;
    Rgb color;
    double radius;
};

bool StartsWith(const std::string& s, std::string_view prefix) {
    return s.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), s.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}

std::vector<PointF> Hull(std::vector<PointF> p) {
    std::sort(p.begin(), p.end(), [](PointF a, PointF b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
    if (p.size() < 3) return p;
    auto cross = [](PointF o, PointF a, PointF b) { return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x); };
    std::vector<PointF> h(2 * p.size());
    std::size_t k = 0;
    for (std::size_t i = 0; i < p.size(); ++i) {
        while (k >= 2 && cross(h[k - 2], h[k - 1], p[i]) <= 0) --k;
        h[k++] = p[i];
    }
    for (std::size_t i = p.size() - 1, t = k + 1; i > 0; --i) {
        while (k >= t && cross(h[k - 2], h[k - 1], p[i - 1]) <= 0) --k;
        h[k++] = p[i - 1];
    }
    h.resize(k - 1);
    return h;
}

// A brush from its sides' planes; false when they do not close a body.
bool ReadBrush(const VmfBlock& solid, bool entity, Brush& out) {
    std::vector<Plane> planes;
    bool allTools = true;
    for (const VmfBlock& side : solid.children) {
        if (!NamesEqual(side.name, "side")) continue;
        Vec3 pts[3];
        Plane plane;
        const std::string_view* text = side.Find("plane");
        if (!text || !ParsePlanePoints(*text, pts) || !PlaneFromPoints(pts[0], pts[1], pts[2], plane)) return false;
        planes.push_back(plane);
        if (!StartsWith(side.Get("material"), "TOOLS/")) allTools = false;
    }
    // Clip, trigger and other tool brushes are not seen in the game.
    if (planes.size() < 4 || allTools) return false;
    std::vector<PointF> corners;
    out.bottom = std::numeric_limits<double>::max();
    out.top = std::numeric_limits<double>::lowest();
    for (const Polygon& face : BodyFaces(planes))
        for (const Vec3& v : face) {
            if (std::fabs(v.x) >= kUnboundedReach || std::fabs(v.y) >= kUnboundedReach) return false;
            corners.push_back({v.x, v.y});
            out.bottom = std::min(out.bottom, v.z);
            out.top = std::max(out.top, v.z);
        }
    out.outline = Hull(std::move(corners));
    out.entity = entity;
    return out.outline.size() >= 3;
}

std::optional<Mark> EntityMark(const VmfBlock& entity) {
    Vec3 origin;
    const std::string_view* o = entity.Find("origin");
    if (!o || !ParseVector(*o, origin)) return std::nullopt;
    const std::string cls = entity.Get("classname");
    const PointF at{origin.x, origin.y};
    if (cls == "vornic_npc" || cls == "vornic_spawn" || StartsWith(cls, "npc_")) return Mark{at, kCharacter, 6};
    if (cls == "vornic_weapon" || cls == "vornic_item" || cls == "vornic_info" || StartsWith(cls, "weapon_") ||
        StartsWith(cls, "item_"))
        return Mark{at, kPickup, 5};
    if (StartsWith(cls, "light")) return Mark{at, kLight, 4};
    if (cls == "info_player_start") return Mark{at, kPlayerStart, 7};
    if (StartsWith(cls, "prop_")) return Mark{at, kProp, 3.5};
    if (cls == "vornic_connector") return std::nullopt;  // the doorway marks show these
    return Mark{at, kOther, 3};
}

double Coordinate(const std::string& text) {
    double v = 0;
    const char* b = text.data();
    const char* e = b + text.size();
    if (b != e && *b == '+') ++b;
    const auto r = std::from_chars(b, e, v);
    return r.ec == std::errc() && std::isfinite(v) ? v : 0;
}

Rgb Mix(Rgb a, Rgb b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    auto m = [t](std::uint8_t x, std::uint8_t y) { return static_cast<std::uint8_t>(std::lround(x + (y - x) * t)); };
    return {m(a.red, b.red), m(a.green, b.green), m(a.blue, b.blue)};
}

}  // namespace

std::vector<int> OpenSidesOfType(int roomType) {
    switch (roomType) {
    case 0: return {kNorth, kSouth};
    case 1: return {kNorth, kEast};
    case 2: return {kNorth, kEast, kWest};
    case 3: return {kNorth, kEast, kSouth, kWest};
    case 4:
    case 5:
    case 6: return {kNorth};
    default: return {};
    }
}

RoomDrawingFile ReadRoomForDrawing(const std::filesystem::path& roomFile) {
    RoomDrawingFile file;
    std::ifstream in(roomFile, std::ios::binary);
    if (!in) {
        file.problem = "The room file " + roomFile.string() + " cannot be read.";
        return file;
    }
    std::vector<std::string> header, body;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        (header.size() < static_cast<std::size_t>(kRoomHeaderLines) ? header : body).push_back(line);
    }
    if (header.size() < static_cast<std::size_t>(kRoomHeaderLines)) {
        file.problem = "The room file " + roomFile.string() + " has no complete header.";
        return file;
    }
    for (int i = 0; i < kRoomHeaderLines; ++i) {
        const int column = i < kColFilePath ? i : i + 1;  // line 20 is the description, 21 the author
        const std::string& text = header[static_cast<std::size_t>(i)];
        file.header[column] = text.empty() ? std::string("0") : text;  // as the catalogue reads it
    }
    file.header[kColFilePath] = roomFile.string();
    file.body = ReadVmfTokenLines(body, kRoomHeaderLines + 1);
    if (!file.body.errors.empty())
        file.problem = "Line " + std::to_string(file.body.errors[0].at.line) + ": " + file.body.errors[0].message;
    file.readable = true;
    return file;
}

std::vector<RoomDoorway> RoomDoorways(const RoomRecord& header) {
    std::vector<RoomDoorway> doors;
    if (const auto type = header.WholeNumber(kColRoomType))
        for (int side : OpenSidesOfType(*type))
            doors.push_back({side,
                             {Coordinate(header.Side(side, kSideX)), Coordinate(header.Side(side, kSideY)),
                              Coordinate(header.Side(side, kSideZ))}});
    return doors;
}

RoomView DrawRoomTopView(const std::filesystem::path& roomFile, int width, int height) {
    RoomView view;
    view.image = RgbImage(width, height, kPaper);
    RoomDrawingFile file = ReadRoomForDrawing(roomFile);
    view.problem = file.problem;
    if (!file.readable) return view;
    const VmfDocument& doc = file.body;

    std::vector<Brush> brushes;
    std::vector<Mark> marks;
    for (const VmfBlock& block : doc.blocks) {
        Brush b;
        if (NamesEqual(block.name, "solid")) {
            if (ReadBrush(block, false, b)) brushes.push_back(std::move(b));
        } else if (NamesEqual(block.name, "entity")) {
            const std::string cls = block.Get("classname");
            // Triggers and spawn groups are invisible volumes.
            const bool visible = !StartsWith(cls, "trigger_") && cls != "func_vornic_spawngroup";
            for (const VmfBlock& child : block.children)
                if (visible && NamesEqual(child.name, "solid") && ReadBrush(child, cls != "func_detail", b))
                    brushes.push_back(std::move(b));
            if (auto m = EntityMark(block)) marks.push_back(*m);
        }
    }

    // The doorways: the connection points of the sides the room's type opens.
    std::vector<std::pair<int, PointF>> doors;
    for (const RoomDoorway& d : RoomDoorways(file.header)) doors.push_back({d.side, {d.point.x, d.point.y}});

    if (brushes.empty()) {
        if (view.problem.empty()) view.problem = "The room has no brushes to draw.";
        return view;
    }
    double minX = std::numeric_limits<double>::max(), minY = minX, maxX = std::numeric_limits<double>::lowest(),
           maxY = maxX, floorTop = std::numeric_limits<double>::max();
    for (const Brush& b : brushes) {
        for (const PointF& p : b.outline)
            minX = std::min(minX, p.x), maxX = std::max(maxX, p.x), minY = std::min(minY, p.y),
            maxY = std::max(maxY, p.y);
        if (!b.entity) floorTop = std::min(floorTop, b.top);
    }
    if (floorTop == std::numeric_limits<double>::max()) floorTop = brushes.front().bottom;
    for (const auto& [side, p] : doors)
        minX = std::min(minX, p.x), maxX = std::max(maxX, p.x), minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
    const double margin = 8;
    const double scale =
        std::min((width - 2 * margin) / std::max(maxX - minX, 1.0), (height - 2 * margin) / std::max(maxY - minY, 1.0));
    const double offX = (width - (maxX - minX) * scale) / 2, offY = (height - (maxY - minY) * scale) / 2;
    // North (+y) is up.
    auto toImage = [&](PointF p) { return PointF{offX + (p.x - minX) * scale, offY + (maxY - p.y) * scale}; };

    const double cut = floorTop + kEyeHeight;
    std::stable_sort(brushes.begin(), brushes.end(), [](const Brush& a, const Brush& b) { return a.top < b.top; });
    for (const Brush& b : brushes) {
        if (b.bottom >= cut) continue;  // ceilings, beams and lamps overhead
        Rgb color = b.top >= cut ? kWall : Mix(kFloor, kRaised, (b.top - floorTop) / kEyeHeight);
        if (b.entity) color = b.top >= cut ? Mix(kBrushEntity, kWall, 0.4) : kBrushEntity;
        std::vector<PointF> outline;
        for (const PointF& p : b.outline) outline.push_back(toImage(p));
        view.image.FillPolygon(outline, color);
        ++view.brushes;
    }
    for (const Mark& m : marks) {
        const PointF p = toImage(m.at);
        view.image.FillCircle(p, m.radius + 1, {255, 255, 255});
        view.image.FillCircle(p, m.radius, m.color);
        ++view.entities;
    }
    for (const auto& [side, p] : doors) {
        const PointF c = toImage(p);
        const double half = std::max(6.0, 64 * scale);  // a doorway is about 128 units wide
        const bool across = side == kNorth || side == kSouth;
        const PointF a = across ? PointF{c.x - half, c.y} : PointF{c.x, c.y - half};
        const PointF b = across ? PointF{c.x + half, c.y} : PointF{c.x, c.y + half};
        view.image.Line(a, b, kDoor, 5);
        ++view.doorways;
    }
    return view;
}

std::vector<std::pair<int, int>> PlanCells(const LevelPlan& plan) {
    std::vector<std::pair<int, int>> cells(plan.rooms.size(), {0, 0});
    for (std::size_t m = 2; m < plan.rooms.size(); ++m) {
        const PlannedRoom& r = plan.rooms[m];
        const std::size_t from =
            r.from >= 1 && static_cast<std::size_t>(r.from) < m ? static_cast<std::size_t>(r.from) : m - 1;
        cells[m] = {cells[from].first + StepX(r.direction), cells[from].second + StepY(r.direction)};
    }
    return cells;
}

RgbImage DrawLevelPlan(const LevelPlan& plan, const Catalogue& catalogue, int roomsDone, int width, int height) {
    constexpr Rgb kBack{28, 34, 44};
    RgbImage image(width, height, kBack);
    const int count = static_cast<int>(plan.rooms.size()) - 1;
    if (count < 1) return image;
    const auto cells = PlanCells(plan);
    int minX = 0, maxX = 0, minY = 0, maxY = 0;
    for (int m = 1; m <= count; ++m) {
        minX = std::min(minX, cells[static_cast<std::size_t>(m)].first);
        maxX = std::max(maxX, cells[static_cast<std::size_t>(m)].first);
        minY = std::min(minY, cells[static_cast<std::size_t>(m)].second);
        maxY = std::max(maxY, cells[static_cast<std::size_t>(m)].second);
    }
    const int cols = maxX - minX + 1, rows = maxY - minY + 1;
    const int cell = std::max(3, std::min({(width - 8) / cols, (height - 8) / rows, 28}));
    const int left = (width - cols * cell) / 2, top = (height - rows * cell) / 2;
    auto centre = [&](int m) {
        const auto& c = cells[static_cast<std::size_t>(m)];
        return PointF{left + (c.first - minX + 0.5) * cell, top + (c.second - minY + 0.5) * cell};
    };
    auto colorOf = [&](int m) -> Rgb {
        const int row = plan.rooms[static_cast<std::size_t>(m)].catalogueRow;
        std::optional<int> type;
        if (row >= 1 && row <= catalogue.RoomCount()) type = catalogue.Row(row).WholeNumber(kColRoomType);
        if (m == 1 || type == 5) return {70, 200, 90};
        if (type == 6) return {220, 80, 220};
        if (type == 4) return {225, 85, 70};
        if (type == 3) return {90, 170, 230};
        if (type == 2) return {110, 150, 220};
        return {140, 160, 190};
    };
    constexpr Rgb kLink{110, 120, 135};
    for (int m = 2; m <= count; ++m) {
        const int from = plan.rooms[static_cast<std::size_t>(m)].from;
        if (from >= 1 && from < m) image.Line(centre(from), centre(m), kLink, std::max(1, cell / 6));
    }
    const int inset = std::max(1, cell / 6);
    for (int m = 1; m <= count; ++m) {
        const PointF c = centre(m);
        const int x = static_cast<int>(c.x) - cell / 2 + inset, y = static_cast<int>(c.y) - cell / 2 + inset;
        const int size = cell - 2 * inset;
        const Rgb color = colorOf(m);
        if (m <= roomsDone) {
            image.FillRect(x, y, size, size, color);
        } else if (m == roomsDone + 1 && roomsDone > 0) {
            image.FillRect(x - 1, y - 1, size + 2, size + 2, {255, 200, 40});
            image.FillRect(x + 1, y + 1, size - 2, size - 2, kBack);
        } else {
            image.FillRect(x, y, size, size, kBack);
            image.FrameRect(x, y, size, size, color);
        }
    }
    return image;
}

}  // namespace tessellon
