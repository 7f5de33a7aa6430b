#include "roomgen/library.h"

#include "roomgen/plans.h"
#include "roomgen/kit_v3.h"
#include "roomgen/library_v3.h"

#include <cctype>
#include <cmath>
#include <set>

#include "roomkit/room_content.h"

namespace roomgen {

std::vector<GeneratedRoom> BuildLibrary(const std::string& author, const roomkit::ModelKinds& models) {
    std::vector<GeneratedRoom> out;
    for (const auto& def : LibraryV3()) {
        RoomBuilder b(def.name, def.type, def.description, &models);
        b.MakeShell(def.shell);
        // Every room but the start holds a fight, the junctions a larger one (a room's plan may
        // ask for more or fewer).
        if (def.type != 5) b.Encounter(def.type == 2 || def.type == 3 ? 3 : 2);
        def.fill(b, def.shell);
        out.push_back({def.file, b.Finish(author)});
    }
    return out;
}

}  // namespace roomgen

namespace roomgen {

namespace {

void CountSolids(const Node& n, int& count, std::set<std::string>& materials) {
    for (const auto& c : n.children) {
        if (!c.isBlock) continue;
        if (c.key == "solid") {
            ++count;
            for (const auto& side : c.children)
                if (side.isBlock && side.key == "side") {
                    std::string m = side.Get("material");
                    for (char& ch : m) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
                    materials.insert(m);
                }
        }
    }
}

}  // namespace

RoomMakeup MakeupOf(const Node& map) {
    RoomMakeup out;
    for (const auto& block : map.children) {
        if (!block.isBlock) continue;
        if (block.key == "world") CountSolids(block, out.worldBrushes, out.materials);
        if (block.key != "entity") continue;
        const std::string cls = block.Get("classname");
        int brushes = 0;
        CountSolids(block, brushes, out.materials);
        if (cls == "func_detail") out.detailBrushes += brushes;
        if (cls == "infodecal") {
            std::string texture = block.Get("texture");
            for (char& ch : texture) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            out.materials.insert(texture);
        }
        out.characters += cls == "vornic_npc";
        out.nodes += cls.rfind("info_node", 0) == 0;
        out.cubemaps += cls == "env_cubemap";
        if (cls.rfind("prop_", 0) == 0) out.models.insert(roomkit::LowerCase(block.Get("model")));
    }
    return out;
}

const std::vector<roomkit::PropModel>& FurnitureModels() {
    static const std::vector<roomkit::PropModel> all{kDrum,
                                                     kDrumRed,
                                                     kBlueBarrel,
                                                     kCrate,
                                                     kCrateBig,
                                                     kPallet,
                                                     kBoard,
                                                     kBox,
                                                     kBucket,
                                                     kGasCan,
                                                     kCanister,
                                                     kPushcart,
                                                     kChair,
                                                     kOfficeChair,
                                                     kLaundryCart,
                                                     kTrashcan,
                                                     kPanel,
                                                     kPot,
                                                     kTable,
                                                     kTable2,
                                                     kDesk,
                                                     kDresser,
                                                     kShelf,
                                                     kKitchenShelf,
                                                     kFridge,
                                                     kRadiator,
                                                     kCouch,
                                                     kBed,
                                                     kBedframe,
                                                     kBathtub,
                                                     kFileCabinet,
                                                     kCloset,
                                                     kControlChair,
                                                     kDumpster,
                                                     kConcreteBarrier,
                                                     kWoodFence,
                                                     kCombineBarricade,
                                                     kCombineBarricadeMed,
                                                     kCar,
                                                     kCar2,
                                                     kGasPump,
                                                     kCashRegister,
                                                     kBench,
                                                     kBenchIndoor,
                                                     kCafeTable,
                                                     kCafeBench,
                                                     kStove,
                                                     kCounter,
                                                     kWasher,
                                                     kDryer,
                                                     kConcretePipe,
                                                     kBoiler,
                                                     kCooler,
                                                     kDockPole,
                                                     kHangingLamp,
                                                     kCageLight,
                                                     kLampFixture,
                                                     kStreetLamp};
    static const std::vector<roomkit::PropModel> withV3 = [] {
        auto v = all;
        v.insert(v.end(), v3::Models().begin(), v3::Models().end());
        return v;
    }();
    return withV3;
}

std::vector<std::string> ContentFaults(const Node& map) {
    std::vector<std::string> faults;
    const roomkit::RoomSpace space = roomkit::SpaceOfMap(map);
    int type = -1, nodes = 0, cubemaps = 0, lods = 0;
    std::vector<Vec3> characters, groundNodes;
    std::vector<std::pair<Vec3, Vec3>> saves, ending;
    for (const auto& e : map.children) {
        if (!e.isBlock || e.key != "entity") continue;
        const std::string cls = e.Get("classname");
        Vec3 at;
        tessellon::ParseVector(e.Get("origin"), at);
        if (cls == roomkit::kInfoClass) type = std::atoi(e.Get("roomtype").c_str());
        if (cls.rfind("info_node", 0) == 0) ++nodes;
        if (cls == "info_node" || cls == "info_node_hint") groundNodes.push_back(at);
        if (cls == "vornic_npc") characters.push_back(at);
        cubemaps += cls == "env_cubemap";
        lods += cls == "water_lod_control";
        for (const auto* solid : e.Blocks("solid")) {
            std::string error;
            int line = 0;
            const auto b = roomkit::BrushFromSolid(*solid, error, line);
            if (!b) continue;
            if (cls == "trigger_autosave") saves.emplace_back(b->Min(), b->Max());
            if (cls == "trigger_once") ending.emplace_back(b->Min(), b->Max());
        }
    }
    // None of the end room's characters waits where the ending happens.
    for (const auto& c : characters)
        for (const auto& [lo, hi] : ending)
            if (c.x > lo.x && c.x < hi.x && c.y > lo.y && c.y < hi.y)
                faults.push_back("a character at " + roomkit::FormatCoord(c.x) + " " + roomkit::FormatCoord(c.y) +
                                 " stands where the level ends");
    if (!space.Doors().empty()) {
        const int first = space.DoorPlace(space.Doors().front());
        const auto reach = space.Walk().Reach(first);
        for (const auto& d : space.Doors())
            if (first < 0 || space.DoorPlace(d) < 0 || !reach[static_cast<size_t>(space.DoorPlace(d))])
                faults.push_back(std::string("the ") + roomkit::SideName(d.side) + " doorway cannot be reached");
    }
    // No placeholder inside a prop's rough box (a hanging lamp's hangs down from its origin).
    std::vector<std::pair<Vec3, Vec3>> propBoxes;
    for (const auto& e : map.children) {
        if (!e.isBlock || e.key != "entity" || e.Get("classname").rfind("prop_", 0) != 0) continue;
        const std::string model = roomkit::LowerCase(e.Get("model"));
        const auto& all = FurnitureModels();
        const auto m = std::find_if(all.begin(), all.end(), [&](const auto& pm) { return pm.path == model; });
        if (m == all.end()) {
            faults.push_back("a prop of a model with no assumed size: " + model);
            continue;
        }
        Vec3 at, angles;
        tessellon::ParseVector(e.Get("origin"), at);
        tessellon::ParseVector(e.Get("angles"), angles);
        const double turn = std::fmod(std::fabs(angles.y), 180);
        double hx = m->halfX, hy = m->halfY;
        if (std::fabs(turn - 90) < 1) std::swap(hx, hy);
        else if (turn > 1 && turn < 179) hx = hy = std::max(hx, hy);
        const double base = m->originAtCentre ? at.z - m->height / 2 : at.z;
        propBoxes.emplace_back(Vec3{at.x - hx, at.y - hy, base}, Vec3{at.x + hx, at.y + hy, base + m->height});
    }
    for (const auto& e : map.children) {
        if (!e.isBlock || e.key != "entity") continue;
        const std::string cls = e.Get("classname");
        if (cls != "vornic_npc" && cls != "vornic_item" && cls != "vornic_weapon" && cls != "info_player_start")
            continue;
        Vec3 at;
        tessellon::ParseVector(e.Get("origin"), at);
        for (const auto& [lo, hi] : propBoxes)
            if (at.x > lo.x && at.x < hi.x && at.y > lo.y && at.y < hi.y && at.z + 8 > lo.z && at.z < hi.z)
                faults.push_back(cls + " at " + roomkit::FormatCoord(at.x) + " " + roomkit::FormatCoord(at.y) +
                                 " stands inside a prop");
    }
    if (nodes < 1 || nodes > roomkit::kMaxRoomNodes)
        faults.push_back(std::to_string(nodes) + " nodes (1 to " + std::to_string(roomkit::kMaxRoomNodes) + " wanted)");
    for (const auto& d : space.Doors())
        if (std::none_of(groundNodes.begin(), groundNodes.end(), [&](const Vec3& n) {
                const Vec3 v = n - d.point;
                return std::sqrt(Dot(v, v)) <= 64;
            }))
            faults.push_back(std::string("no node just inside the ") + roomkit::SideName(d.side) + " doorway");
    // The ground nodes over floor a player reaches link into one graph (a clear line at most 720
    // units long, as the engine links); a node on the top of something or over water may stand
    // alone.
    std::vector<Vec3> walkedNodes;
    for (const auto& n : groundNodes) {
        const int place = space.Walk().PlaceBelow(n, 2 * roomkit::kNodeLift);
        if (place >= 0 && space.Reachable(place) && !space.Wet(place)) walkedNodes.push_back(n);
    }
    if (!walkedNodes.empty()) {
        const auto& groundNodes = walkedNodes;
        std::vector<bool> seen(groundNodes.size(), false);
        std::vector<size_t> todo{0};
        seen[0] = true;
        while (!todo.empty()) {
            const size_t i = todo.back();
            todo.pop_back();
            for (size_t j = 0; j < groundNodes.size(); ++j) {
                const Vec3 d = groundNodes[i] - groundNodes[j];
                if (!seen[j] && std::sqrt(Dot(d, d)) <= roomkit::kNodeLinkDistance &&
                    space.Clear(space.LinkPoint(groundNodes[i]), space.LinkPoint(groundNodes[j]), true))
                    seen[j] = true, todo.push_back(j);
            }
        }
        const auto apart = std::count(seen.begin(), seen.end(), false);
        if (apart) faults.push_back(std::to_string(apart) + " ground nodes cut off from the room's others");
    }
    const int wanted[2] = {type == 5 ? 0 : 2, type == 5 ? 0 : 4};
    if (static_cast<int>(characters.size()) < wanted[0] || static_cast<int>(characters.size()) > wanted[1])
        faults.push_back(std::to_string(characters.size()) + " characters");
    const auto views = roomkit::StartViews(space);
    for (const auto& c : characters)
        if (roomkit::SeenFrom(space, c, views))
            faults.push_back("a character at " + roomkit::FormatCoord(c.x) + " " + roomkit::FormatCoord(c.y) +
                             " is in sight of a player start");
    if (cubemaps < 1) faults.push_back("no cube map");
    std::set<double> waterTops;
    for (const auto& b : space.Brushes())
        if (b.kind == roomkit::SpaceBrush::Water) waterTops.insert(b.hi.z);
    if (!waterTops.empty() && lods != 1) faults.push_back("water without one water_lod_control");
    if (waterTops.size() > 1) faults.push_back("more than one water height");
    if (type == 0 && saves.empty()) faults.push_back("a one-way part without a save");
    for (const auto& [lo, hi] : saves) {
        if (const std::string f = roomkit::SaveZoneFault(space, lo, hi); !f.empty()) faults.push_back(f);
        std::vector<Vec3> eyes;
        for (double x = lo.x; x <= hi.x + 0.5; x += (hi.x - lo.x) / 2)
            for (double y = lo.y; y <= hi.y + 0.5; y += (hi.y - lo.y) / 4)
                for (double up : {36.0, 64.0}) eyes.push_back({x, y, lo.z + up});
        for (const auto& c : characters)
            if (roomkit::SeenFrom(space, c, eyes))
                faults.push_back("a character at " + roomkit::FormatCoord(c.x) + " " + roomkit::FormatCoord(c.y) +
                                 " sees the save");
    }
    return faults;
}

std::string ListText(const std::string& what, const std::set<std::string>& names) {
    std::string text = "# Every " + what + " the bundled room library uses, written by tessellon_roomgen.\n";
    for (const auto& n : names) text += n + "\n";
    return text;
}

}  // namespace roomgen
