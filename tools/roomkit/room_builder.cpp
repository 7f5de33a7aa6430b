#include "roomkit/room_builder.h"

#include <algorithm>

#include "roomkit/room_content.h"
#include "roomkit/room_file.h"
#include "roomkit/room_frames.h"

namespace roomkit {

namespace {

std::string P(const Vec3& v) { return "(" + FormatCoord(v.x) + " " + FormatCoord(v.y) + " " + FormatCoord(v.z) + ")"; }
std::string Origin(const Vec3& v) { return FormatCoord(v.x) + " " + FormatCoord(v.y) + " " + FormatCoord(v.z); }
std::string Yaw(double yaw) { return "0 " + FormatCoord(yaw) + " 0"; }
bool Near(double a, double b) { return std::fabs(a - b) < 0.01; }

}  // namespace

RoomBuilder::RoomBuilder(std::string name, int type, std::string description, const ModelKinds* models)
    : name_(std::move(name)), description_(std::move(description)), type_(type), models_(models) {}

bool RoomBuilder::OnOutside(const std::vector<Vec3>& face, const Vec3& n) const {
    auto all = [&](auto pred) { return std::all_of(face.begin(), face.end(), pred); };
    if (n.x > 0.5 && all([](const Vec3& v) { return Near(v.x, kHalfCell); })) return true;
    if (n.x < -0.5 && all([](const Vec3& v) { return Near(v.x, -kHalfCell); })) return true;
    if (n.y > 0.5 && all([](const Vec3& v) { return Near(v.y, kHalfCell); })) return true;
    if (n.y < -0.5 && all([](const Vec3& v) { return Near(v.y, -kHalfCell); })) return true;
    if (n.z < -0.5 && all([&](const Vec3& v) { return Near(v.z, bottom_); })) return true;
    if (haveShell_ && n.z > 0.5 && all([&](const Vec3& v) { return Near(v.z, shell_.height + kWallThickness); }))
        return true;
    return false;
}

Node& RoomBuilder::Convex(const std::vector<std::vector<Vec3>>& faces, const std::string& material, Node* into) {
    Vec3 centre;
    int count = 0;
    for (const auto& f : faces)
        for (const auto& v : f) centre = {centre.x + v.x, centre.y + v.y, centre.z + v.z}, ++count;
    centre = {centre.x / count, centre.y / count, centre.z / count};

    Node solid = Node::Block("solid");
    solid.AddKey("id", Id());
    for (const auto& f : faces) {
        Vec3 a = f[0], b = f[1], c = f[2];
        Vec3 n = Cross(a - b, c - b);
        Vec3 mid;
        for (const auto& v : f) mid = {mid.x + v.x / f.size(), mid.y + v.y / f.size(), mid.z + v.z / f.size()};
        // Points run clockwise seen from outside, which puts the normal outwards.
        if (Dot(n, mid - centre) < 0) std::swap(a, c), n = {-n.x, -n.y, -n.z};
        const double ax = std::fabs(n.x), ay = std::fabs(n.y), az = std::fabs(n.z);
        std::string u, v;
        if (az >= ax && az >= ay) u = "[1 0 0 0] 0.25", v = "[0 -1 0 0] 0.25";
        else if (ax >= ay) u = "[0 1 0 0] 0.25", v = "[0 0 -1 0] 0.25";
        else u = "[1 0 0 0] 0.25", v = "[0 0 -1 0] 0.25";
        std::string mat = material;
        if (material != kSkybox && material != kTrigger && OnOutside(f, n)) mat = kNodraw;
        Node& side = solid.Add(Node::Block("side"));
        side.AddKey("id", Id());
        side.AddKey("plane", P(a) + " " + P(b) + " " + P(c));
        side.AddKey("material", mat);
        side.AddKey("uaxis", u);
        side.AddKey("vaxis", v);
        side.AddKey("rotation", "0");
        side.AddKey("lightmapscale", "16");
        side.AddKey("smoothing_groups", "0");
    }
    if (!into && !inShell_) {
        if (!detail_) detail_ = &BrushEntity("func_detail", {});
        into = detail_;
    }
    return (into ? *into : world_).Add(std::move(solid));
}

Node& RoomBuilder::Water(Vec3 lo, Vec3 hi, const std::string& material) {
    inShell_ = true;
    Node& brush = Box(lo, hi, kNodraw);
    inShell_ = false;
    // The box's second face is its top.
    int face = 0;
    for (auto& side : brush.children)
        if (side.isBlock && side.key == "side" && face++ == 1)
            for (auto& kv : side.children)
                if (!kv.isBlock && kv.key == "material") kv.value = material;
    return brush;
}

Node& RoomBuilder::Box(Vec3 lo, Vec3 hi, const std::string& material, Node* into) {
    const Vec3 c[8] = {{lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, hi.y, lo.z}, {lo.x, hi.y, lo.z},
                       {lo.x, lo.y, hi.z}, {hi.x, lo.y, hi.z}, {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z}};
    return Convex({{c[0], c[1], c[2], c[3]},
                   {c[4], c[5], c[6], c[7]},
                   {c[0], c[3], c[7], c[4]},
                   {c[1], c[2], c[6], c[5]},
                   {c[0], c[1], c[5], c[4]},
                   {c[3], c[2], c[6], c[7]}},
                  material, into);
}

Node& RoomBuilder::Ramp(Vec3 lo, Vec3 hi, int dir, const std::string& material, Node* into) {
    // u runs across the ramp, t along the climb (0 low end, 1 high end).
    auto at = [&](double u, double t, double z) -> Vec3 {
        auto lerp = [](double a, double b, double f) { return a + (b - a) * f; };
        switch (dir) {
        case North: return {lerp(lo.x, hi.x, u), lerp(lo.y, hi.y, t), z};
        case South: return {lerp(lo.x, hi.x, u), lerp(hi.y, lo.y, t), z};
        case East: return {lerp(lo.x, hi.x, t), lerp(lo.y, hi.y, u), z};
        default: return {lerp(hi.x, lo.x, t), lerp(lo.y, hi.y, u), z};
        }
    };
    const Vec3 A = at(0, 0, lo.z), B = at(1, 0, lo.z), C = at(1, 1, lo.z), D = at(0, 1, lo.z);
    const Vec3 E = at(1, 1, hi.z), F = at(0, 1, hi.z);
    return Convex({{A, B, C, D}, {D, C, E, F}, {A, B, E, F}, {A, D, F}, {B, C, E}}, material, into);
}

void RoomBuilder::Stairs(double a, double b, double start, double z0, double z1, int dir, const std::string& material,
                         double rise, double run) {
    const int steps = static_cast<int>(std::ceil((z1 - z0) / rise - 1e-9));
    for (int k = 1; k <= steps; ++k) {
        const double top = z0 + std::min(k * rise, z1 - z0);
        const double s0 = (k - 1) * run, s1 = k * run;
        switch (dir) {
        case North: Box({a, start + s0, z0}, {b, start + s1, top}, material); break;
        case South: Box({a, start - s1, z0}, {b, start - s0, top}, material); break;
        case East: Box({start + s0, a, z0}, {start + s1, b, top}, material); break;
        default: Box({start - s1, a, z0}, {start - s0, b, top}, material); break;
        }
    }
}

void RoomBuilder::MakeShell(const ShellPlan& plan) {
    shell_ = plan;
    haveShell_ = true;
    inShell_ = true;
    const double H = plan.height, W = kWallThickness, C = kHalfCell;
    if (!plan.trench) {
        Box({-C, -C, -W}, {C, C, 0}, plan.mats.floor);
    } else {
        // The floor stands on a slab under the trench's bottom; every piece of it reaches a
        // side of the cell, so the trench keeps the room sealed and all of it is shell.
        const Trench& t = *plan.trench;
        const double D = kTrenchDepth;
        bottom_ = -D - W;
        Box({-C, -C, -D - W}, {C, C, -D}, plan.mats.floor);
        Box({-C, -C, -D}, {t.x0, C, 0}, plan.mats.floor);
        Box({t.x1, -C, -D}, {C, C, 0}, plan.mats.floor);
        Box({t.x0, t.y1, -D}, {t.x1, C, 0}, plan.mats.floor);
        Box({t.x0, -C, -D}, {t.x1, t.y0, 0}, plan.mats.floor);
    }
    Box({-C, -C, H}, {C, C, H + W}, plan.sky ? kSkybox : plan.mats.ceiling);
    for (int s = 0; s < 4; ++s) {
        // North and south walls run the full width; east and west fit between them.
        const double ua = (s == North || s == South) ? -C : -(C - W);
        const double ub = -ua;
        auto wall = [&](double u0, double u1, double z0, double z1) {
            switch (s) {
            case North: Box({u0, C - W, z0}, {u1, C, z1}, plan.mats.wall); break;
            case South: Box({u0, -C, z0}, {u1, -C + W, z1}, plan.mats.wall); break;
            case East: Box({C - W, u0, z0}, {C, u1, z1}, plan.mats.wall); break;
            default: Box({-C, u0, z0}, {-C + W, u1, z1}, plan.mats.wall); break;
            }
        };
        if (!plan.open[static_cast<size_t>(s)]) {
            wall(ua, ub, 0, H);
            continue;
        }
        const double zc = plan.doorZ[static_cast<size_t>(s)];
        const double D = DoorHalfWidth(plan.kind[static_cast<size_t>(s)]);
        wall(ua, -D, 0, H);
        wall(D, ub, 0, H);
        if (zc > 0) wall(-D, D, 0, zc);
        if (zc + kDoorHeight < H) wall(-D, D, zc + kDoorHeight, H);
    }
    inShell_ = false;
    if (plan.trench) {
        const Trench& t = *plan.trench;
        Water({t.x0, t.y0, -kTrenchDepth}, {t.x1, t.y1, -kTrenchFreeboard}, plan.water);
        // The step out runs along the side facing the middle of the room.
        const double ledgeTop = -kTrenchDepth / 2, L = kTrenchLedge;
        if (t.x1 - t.x0 <= t.y1 - t.y0) {
            if (std::fabs(t.x0) < std::fabs(t.x1))
                Box({t.x0, t.y0, -kTrenchDepth}, {t.x0 + L, t.y1, ledgeTop}, plan.mats.trim);
            else Box({t.x1 - L, t.y0, -kTrenchDepth}, {t.x1, t.y1, ledgeTop}, plan.mats.trim);
        } else {
            if (std::fabs(t.y0) < std::fabs(t.y1))
                Box({t.x0, t.y0, -kTrenchDepth}, {t.x1, t.y0 + L, ledgeTop}, plan.mats.trim);
            else Box({t.x0, t.y1 - L, -kTrenchDepth}, {t.x1, t.y1, ledgeTop}, plan.mats.trim);
        }
    }
    AddDoorwayFrames(*this, plan, plan.mats.trim);
}

Node& RoomBuilder::Entity(const std::string& cls, const Vec3& origin, const KeyValues& keys) {
    if (cls == "info_player_start") starts_.push_back(origin);
    if (cls == "vornic_npc") characters_.push_back(origin);
    if (cls == "vornic_item" || cls == "vornic_weapon" || cls.rfind("item_", 0) == 0 || cls.rfind("weapon_", 0) == 0)
        pickups_.push_back(origin);
    Node& e = entities_.emplace_back(Node::Block("entity"));
    e.AddKey("id", Id());
    e.AddKey("classname", cls);
    for (const auto& [k, v] : keys) e.AddKey(k, v);
    e.AddKey("origin", Origin(origin));
    return e;
}

Node& RoomBuilder::BrushEntity(const std::string& cls, const KeyValues& keys) {
    Node& e = entities_.emplace_back(Node::Block("entity"));
    e.AddKey("id", Id());
    e.AddKey("classname", cls);
    for (const auto& [k, v] : keys) e.AddKey(k, v);
    return e;
}

void RoomBuilder::Light(const Vec3& at, const std::string& color) {
    Entity("light", at,
           {{"_light", color},
            {"_lightHDR", "-1 -1 -1 1"},
            {"_lightscaleHDR", "1"},
            {"_quadratic_attn", "1"},
            {"style", "0"}});
}

void RoomBuilder::HangingLamp(const Vec3& at, const PropModel& model, const std::string& color) {
    PlaceProp(model, at, 0, true);
    // It hangs down from where it is fixed.
    props_.back().lo.z = at.z - model.height;
    props_.back().hi.z = at.z;
    Entity("light_spot", {at.x, at.y, at.z - 24},
           {{"angles", "-90 0 0"},
            {"pitch", "-90"},
            {"_light", color},
            {"_lightHDR", "-1 -1 -1 1"},
            {"_lightscaleHDR", "1"},
            {"_inner_cone", "40"},
            {"_cone", "65"},
            {"_exponent", "1"},
            {"_quadratic_attn", "1"},
            {"style", "0"}});
}

void RoomBuilder::Weapon(const Vec3& at, int spawnwhat, double yaw) {
    Entity("vornic_weapon", at, {{"angles", Yaw(yaw)}, {"spawnwhat", std::to_string(spawnwhat)}});
}

void RoomBuilder::Item(const Vec3& at, int spawnwhat, double yaw) {
    Entity("vornic_item", at, {{"angles", Yaw(yaw)}, {"spawnwhat", std::to_string(spawnwhat)}});
}

void RoomBuilder::Npc(const Vec3& at, double yaw) { Entity("vornic_npc", at, {{"angles", Yaw(yaw)}}); }

void RoomBuilder::SpawnPoint(const Vec3& at, double yaw) { Entity("vornic_spawn", at, {{"angles", Yaw(yaw)}}); }

void RoomBuilder::SpawnController(const Vec3& at, const std::vector<std::pair<std::string, int>>& groups, int none) {
    KeyValues keys{{"angles", "0 0 0"}};
    for (size_t i = 0; i < groups.size() && i < 6; ++i) {
        keys.emplace_back("controll" + std::to_string(i + 1), groups[i].first);
        keys.emplace_back("shares" + std::to_string(i + 1), std::to_string(groups[i].second));
    }
    keys.emplace_back("nospawnshares", std::to_string(none));
    Entity("vornic_spawn_contoller", at, keys);
}

Node& RoomBuilder::SpawnGroup(const std::string& targetname) {
    return BrushEntity("func_vornic_spawngroup", {{"targetname", targetname}});
}

void RoomBuilder::Prop(const std::string& model, const Vec3& at, double yaw) {
    Entity("prop_physics", at, {{"model", model}, {"angles", Yaw(yaw)}, {"skin", "0"}, {"spawnflags", "0"}});
    props_.push_back({{at.x - 16, at.y - 16, at.z}, {at.x + 16, at.y + 16, at.z + 48}, false});
}

void RoomBuilder::PropStatic(const std::string& model, const Vec3& at, double yaw) {
    Entity("prop_static", at, {{"model", model}, {"angles", Yaw(yaw)}, {"skin", "0"}, {"solid", "6"}});
    props_.push_back({{at.x - 16, at.y - 16, at.z}, {at.x + 16, at.y + 16, at.z + 48}, true});
}

void RoomBuilder::Prop(const PropModel& model, const Vec3& floor, double yaw) { PlaceProp(model, floor, yaw, false); }

void RoomBuilder::FixedProp(const PropModel& model, const Vec3& floor, double yaw) {
    PlaceProp(model, floor, yaw, true);
}

void RoomBuilder::PlaceProp(const PropModel& m, const Vec3& floor, double yaw, bool fixed) {
    PropUse use = PropUse::Unknown;
    if (models_)
        if (const auto it = models_->find(LowerCase(m.path)); it != models_->end()) use = it->second;
    // A body with its origin at the middle would start half sunk into the floor; a unit over
    // it, it settles as the level starts.
    const Vec3 origin{floor.x, floor.y, floor.z + (m.originAtCentre ? m.height / 2 + 1 : 0)};
    const KeyValues common{{"model", m.path}, {"angles", Yaw(yaw)}};
    KeyValues keys = common;
    std::string cls;
    switch (use) {
    case PropUse::Static:
        cls = "prop_static";
        keys.emplace_back("solid", "6");
        break;
    case PropUse::Physics:
        cls = "prop_physics";
        // 8: "Motion Disabled" (BasePropPhysics spawnflags in the game's FGD).
        keys.emplace_back("spawnflags", fixed ? "8" : "0");
        break;
    default:
        // prop_dynamic_override skips the prop_data test that deletes a prop_dynamic.
        cls = "prop_dynamic_override";
        keys.emplace_back("solid", "6");
        break;
    }
    Entity(cls, origin, keys);
    // The box turns with the prop; at an odd angle the larger half covers both ways.
    const double turn = std::fmod(std::fabs(yaw), 180);
    double hx = m.halfX, hy = m.halfY;
    if (std::fabs(turn - 90) < 1) std::swap(hx, hy);
    else if (turn > 1 && turn < 179) hx = hy = std::max(hx, hy);
    const double base = m.originAtCentre ? floor.z + 1 : floor.z;
    props_.push_back({{floor.x - hx, floor.y - hy, base},
                      {floor.x + hx, floor.y + hy, base + m.height},
                      fixed || use != PropUse::Physics});
}

Node RoomBuilder::Finish(const std::string& author) const {
    Node root = NewRoomMap();
    Node world = WorldBlock("1");
    for (const auto& c : world_.children) world.Add(c);
    root.Add(std::move(world));

    int id = nextId_;
    RoomHeader header;
    header.name = name_;
    header.type = std::to_string(type_);
    header.description = description_;
    header.author = author;
    AddInfoEntity(root, std::to_string(id++), header, "0 0 8");
    for (int s = 0; s < 4; ++s) {
        if (!shell_.open[static_cast<size_t>(s)]) continue;
        const auto p = StandardDoorPoint(s);
        AddConnectorEntity(root, std::to_string(id++), std::to_string(shell_.kind[static_cast<size_t>(s)]),
                           Origin({p[0], p[1], shell_.doorZ[static_cast<size_t>(s)]}));
    }
    for (const auto& e : entities_) root.Add(e);
    for (auto& e : Furnishings(id)) root.Add(std::move(e));
    EndRoomMap(root);
    return root;
}

RoomSpace RoomBuilder::Space() const {
    std::vector<SpaceBrush> brushes;
    AddSpaceBrushes(world_, "", brushes);
    for (const auto& e : entities_) AddSpaceBrushes(e, e.Get("classname"), brushes);
    std::vector<DoorInfo> doors;
    if (haveShell_)
        for (int s = 0; s < 4; ++s) {
            if (!shell_.open[static_cast<size_t>(s)]) continue;
            const auto p = StandardDoorPoint(s);
            doors.push_back({s,
                             {p[0], p[1], shell_.doorZ[static_cast<size_t>(s)]},
                             DoorHalfWidth(shell_.kind[static_cast<size_t>(s)])});
        }
    return RoomSpace(std::move(brushes), props_, std::move(doors));
}

void RoomBuilder::Autosave(const Vec3& lo, const Vec3& hi) { saves_.emplace_back(lo, hi); }

std::vector<Node> RoomBuilder::Furnishings(int& id) const {
    std::vector<Node> out;
    auto add = [&](const std::string& cls, const Vec3& origin, const KeyValues& keys) -> Node& {
        Node& e = out.emplace_back(Node::Block("entity"));
        e.AddKey("id", std::to_string(id++));
        e.AddKey("classname", cls);
        for (const auto& [k, v] : keys) e.AddKey(k, v);
        e.AddKey("origin", Origin(origin));
        return e;
    };
    const RoomSpace space = Space();
    std::vector<Vec3> seen = starts_;
    seen.insert(seen.end(), characters_.begin(), characters_.end());
    if (encounter_ > 0) {
        // Out of sight of the player's start beyond any doorway and of every save.
        std::vector<Vec3> eyes = StartViews(space);
        auto keepOut = keepOut_;
        for (const auto& [lo, hi] : saves_) {
            keepOut.emplace_back(lo - Vec3{32, 32, 32}, hi + Vec3{32, 32, 32});
            for (double x = lo.x; x <= hi.x + 0.5; x += std::max(1.0, (hi.x - lo.x) / 2))
                for (double y = lo.y; y <= hi.y + 0.5; y += std::max(1.0, (hi.y - lo.y) / 4))
                    for (double up : {36.0, 64.0}) eyes.push_back({x, y, lo.z + up});
        }
        const auto spots = PlanEncounter(space, encounter_, keepOut, eyes);
        for (const auto& at : spots) {
            // Each faces the doorway nearest to it, where the player comes from.
            double best = 1e9, yaw = 0;
            for (const auto& d : space.Doors()) {
                const double dist = std::hypot(d.point.x - at.x, d.point.y - at.y);
                if (dist < best)
                    best = dist, yaw = std::atan2(d.point.y - at.y, d.point.x - at.x) * 180 / 3.14159265358979;
            }
            add("vornic_npc", at, {{"angles", Yaw(std::round(yaw))}});
        }
        // Health and batteries in proportion to the fight: one pickup for every two characters.
        std::vector<Vec3> taken = pickups_;
        taken.insert(taken.end(), spots.begin(), spots.end());
        for (const auto& at : PlanSupplies(space, spots, (static_cast<int>(spots.size()) + 1) / 2, taken))
            add("vornic_item", at, {{"angles", "0 0 0"}, {"spawnwhat", "4"}});
        seen.insert(seen.end(), spots.begin(), spots.end());
    }
    const bool air = haveShell_ && (shell_.sky || shell_.height >= 320);
    for (const auto& node : PlanNodes(space, seen, air)) {
        switch (node.type) {
        case AiNode::Ground: add("info_node", node.at, {}); break;
        case AiNode::Air: add("info_node_air", node.at, {}); break;
        case AiNode::Hint:
            add("info_node_hint", node.at, {{"angles", Yaw(node.yaw)}, {"hinttype", std::to_string(node.hintType)}});
            break;
        }
    }
    const auto cubemaps = PlanCubemaps(space);
    for (const auto& at : cubemaps) add("env_cubemap", at, {});
    const bool water = std::any_of(space.Brushes().begin(), space.Brushes().end(),
                                   [](const SpaceBrush& b) { return b.kind == SpaceBrush::Water; });
    if (water)
        // The game's defaults (VDC water_lod_control): cheap water from 1000 units, all cheap at 2000.
        add("water_lod_control", cubemaps.empty() ? Vec3{0, 0, 64} : cubemaps.front() + Vec3{0, 0, 16},
            {{"cheapwaterstartdistance", "1000"}, {"cheapwaterenddistance", "2000"}});
    for (const auto& [lo, hi] : saves_) {
        Node& e = out.emplace_back(Node::Block("entity"));
        e.AddKey("id", std::to_string(id++));
        e.AddKey("classname", "trigger_autosave");
        e.AddKey("spawnflags", "1");
        RoomBuilder scratch("", 0, "");
        Node solid = scratch.Box(lo, hi, kTrigger, &scratch.world_);
        solid.Set("id", std::to_string(id++));
        for (auto& side : solid.children)
            if (side.isBlock && side.key == "side") side.Set("id", std::to_string(id++));
        e.Add(std::move(solid));
    }
    return out;
}

}  // namespace roomkit
