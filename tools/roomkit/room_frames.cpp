#include "roomkit/room_frames.h"

namespace roomkit {

namespace {

// How far the frame stands out of the wall into the room.
constexpr double kProud = 4;

}  // namespace

void AddDoorwayFrames(RoomBuilder& b, const ShellPlan& plan, const std::string& material) {
    for (int s = 0; s < 4; ++s) {
        const auto i = static_cast<size_t>(s);
        if (!plan.open[i]) continue;
        const double D = DoorHalfWidth(plan.kind[i]), P = PassageHalfWidth(plan.kind[i]);
        const double z0 = plan.doorZ[i], top = z0 + PassageHeight(plan.kind[i]), end = z0 + kDoorHeight;
        // u runs along the side, depth from the boundary inwards.
        auto box = [&](double u0, double u1, double za, double zb) {
            const double in = kHalfCell - kWallThickness - kProud;
            switch (s) {
            case North: b.Box({u0, in, za}, {u1, kHalfCell, zb}, material, &b.World()); break;
            case South: b.Box({u0, -kHalfCell, za}, {u1, -in, zb}, material, &b.World()); break;
            case East: b.Box({in, u0, za}, {kHalfCell, u1, zb}, material, &b.World()); break;
            default: b.Box({-kHalfCell, u0, za}, {-in, u1, zb}, material, &b.World()); break;
            }
        };
        box(-D, -P, z0, end);
        box(P, D, z0, end);
        box(-P, P, top, end);
    }
}

}  // namespace roomkit
