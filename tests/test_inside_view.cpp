// The view from inside: known boxes seen from known spots give known pixels; the files' brushes,
// props, marks and lights come through; the pictures are valid PNGs; the command's errors.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "check/vmf_reader.h"
#include "session/text_helpers.h"
#include "picture/inside_view.h"
#include "test_support.h"

namespace tessellon {
namespace {

using namespace testing;

// ---- Scenes built directly ---------------------------------------------------------------

constexpr Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kYellow{255, 255, 0}, kCyan{0, 255, 255},
    kMagenta{255, 0, 255}, kWhite{255, 255, 255};

FaceSurface Glow(Rgb c) { return {FaceLook::Glowing, c}; }
FaceSurface Lit(Rgb c) { return {FaceLook::Lit, c}; }

// An axis-aligned box, faces in the order +x, -x, +y, -y, +z, -z.
void AddBox(ViewScene& scene, Vec3 mn, Vec3 mx, std::array<FaceSurface, 6> faces, bool blocksLight = true) {
    const std::vector<Plane> planes = {{{1, 0, 0}, mx.x},   {{-1, 0, 0}, -mn.x}, {{0, 1, 0}, mx.y},
                                       {{0, -1, 0}, -mn.y}, {{0, 0, 1}, mx.z},   {{0, 0, -1}, -mn.z}};
    ASSERT_TRUE(scene.AddBody(planes, {faces.begin(), faces.end()}, blocksLight));
}
void AddBox(ViewScene& scene, Vec3 mn, Vec3 mx, FaceSurface all, bool blocksLight = true) {
    AddBox(scene, mn, mx, {all, all, all, all, all, all}, blocksLight);
}

// A room 512 x 512 x 256 inside (x and y -256..256, z 0..256): its east wall (+x) red, north
// (+y) green, west blue, south yellow, floor cyan, ceiling magenta. `leave` is left out.
ViewScene ColourRoom(const std::string& leave = "", FaceSurface ceiling = Glow(kMagenta)) {
    ViewScene scene;
    if (leave != "east") AddBox(scene, {256, -272, 0}, {272, 272, 256}, Glow(kRed));
    if (leave != "north") AddBox(scene, {-272, 256, 0}, {272, 272, 256}, Glow(kGreen));
    if (leave != "west") AddBox(scene, {-272, -272, 0}, {-256, 272, 256}, Glow(kBlue));
    if (leave != "south") AddBox(scene, {-272, -272, 0}, {272, -256, 256}, Glow(kYellow));
    AddBox(scene, {-272, -272, -16}, {272, 272, 0}, Glow(kCyan));
    AddBox(scene, {-272, -272, 256}, {272, 272, 272}, ceiling);
    return scene;
}

// Which of red, green and blue a pixel shows: glowing pure colours keep their zero channels.
std::string Channels(Rgb c) {
    return std::string(c.red > 0 ? "r" : "") + (c.green > 0 ? "g" : "") + (c.blue > 0 ? "b" : "");
}

Rgb Centre(const RgbImage& image) { return image.At(image.Width() / 2, image.Height() / 2); }

int Brightness(Rgb c) { return c.red + c.green + c.blue; }

const Vec3 kEye{0, 0, 64};

TEST(InsideView, LooksTheWayTheGameTurnsYawAndPitch) {
    const ViewScene room = ColourRoom();
    auto centre = [&](double yaw, double pitch) { return Channels(Centre(room.Render({kEye, yaw, pitch}, 64, 36))); };
    EXPECT_EQ(centre(0, 0), "r");   // yaw 0 looks along +x
    EXPECT_EQ(centre(90, 0), "g");  // yaw 90 along +y
    EXPECT_EQ(centre(180, 0), "b");
    EXPECT_EQ(centre(270, 0), "rg");
    EXPECT_EQ(centre(-90, 0), "rg");
    EXPECT_EQ(centre(0, 89), "gb");   // a positive pitch looks down
    EXPECT_EQ(centre(0, -89), "rb");  // a negative one up
}

TEST(InsideView, LeftIsPlusYWhenLookingAlongX) {
    const ViewScene room = ColourRoom();
    // 120 degrees across: the picture's edges see the side walls, not the corners.
    const RgbImage image = room.Render({kEye, 0, 0, 120}, 64, 36);
    EXPECT_EQ(Channels(image.At(0, 18)), "g");
    EXPECT_EQ(Channels(image.At(63, 18)), "rg");
}

TEST(InsideView, ABoxProjectsWhereThePinholeCameraPutsIt) {
    ViewScene room = ColourRoom();
    // A white pillar 64 wide whose face is 224 units ahead: 90 degrees across 512 pixels puts its
    // edges 256 * 32 / 224 = 36.6 pixels either side of the middle.
    AddBox(room, {224, -32, 0}, {256, 32, 256}, Glow(kWhite));
    // Another on the left (+y) side, 64..128 across: pixels 256 - 256 * [128, 64] / 224.
    AddBox(room, {224, 64, 0}, {256, 128, 256}, Glow(kWhite));
    const RgbImage image = room.Render({kEye, 0, 0}, 512, 288);
    const int row = 144;
    EXPECT_EQ(Channels(image.At(215, row)), "r");
    EXPECT_EQ(Channels(image.At(222, row)), "rgb");
    EXPECT_EQ(Channels(image.At(289, row)), "rgb");
    EXPECT_EQ(Channels(image.At(296, row)), "r");
    EXPECT_EQ(Channels(image.At(106, row)), "r");
    EXPECT_EQ(Channels(image.At(113, row)), "rgb");
    EXPECT_EQ(Channels(image.At(179, row)), "rgb");
    EXPECT_EQ(Channels(image.At(188, row)), "rgb");  // its side facing the eye, out to 256 * 64 / 256
    EXPECT_EQ(Channels(image.At(195, row)), "r");
    EXPECT_EQ(Channels(image.At(400, row)), "r");  // nothing on the right
}

TEST(InsideView, OnlyTheFaceTurnedTowardTheEyeShows) {
    // From inside a closed box every face is turned away: the room beyond shows through.
    ViewScene room = ColourRoom();
    AddBox(room, {-32, -32, 32}, {32, 32, 96}, Glow(kWhite));
    EXPECT_EQ(Channels(Centre(room.Render({kEye, 0, 0}, 64, 36))), "r");
    // A box behind the eye is not seen either, nor its back face in front of the eye.
    ViewScene behind = ColourRoom();
    AddBox(behind, {-200, -200, 0}, {-100, 200, 256}, Glow(kWhite));
    EXPECT_EQ(Channels(Centre(behind.Render({kEye, 0, 0}, 64, 36))), "r");
    EXPECT_EQ(Channels(Centre(behind.Render({kEye, 180, 0}, 64, 36))), "rgb");
}

TEST(InsideView, AHiddenFaceIsSeeThroughAndTheSkyAndTheVoidHaveTheirColours) {
    const FaceSurface hidden{FaceLook::Hidden, {}};
    ViewScene room = ColourRoom();
    // Its face toward the eye (-x) is nodraw: nothing of the box shows, as in the game.
    AddBox(room, {128, -64, 0}, {160, 64, 256},
           {Glow(kWhite), hidden, Glow(kWhite), Glow(kWhite), Glow(kWhite), Glow(kWhite)});
    EXPECT_EQ(Channels(Centre(room.Render({kEye, 0, 0}, 64, 36))), "r");
    ViewScene solid = ColourRoom();
    AddBox(solid, {128, -64, 0}, {160, 64, 256}, Glow(kWhite));
    EXPECT_EQ(Channels(Centre(solid.Render({kEye, 0, 0}, 64, 36))), "rgb");

    const ViewScene sky = ColourRoom("", {FaceLook::Sky, {1, 2, 3}});
    EXPECT_EQ(Centre(sky.Render({kEye, 0, -89}, 64, 36)), kViewSky);
    EXPECT_EQ(Channels(Centre(sky.Render({kEye, 0, 89}, 64, 36))), "gb");
    const ViewScene open = ColourRoom("east");
    EXPECT_EQ(Centre(open.Render({kEye, 0, 0}, 64, 36)), kViewVoid);
}

// A white wall ahead (east), lit by what each case adds.
int WallBrightness(const std::function<void(ViewScene&)>& add) {
    ViewScene scene;
    AddBox(scene, {256, -512, -256}, {272, 512, 512}, Lit(kWhite));
    add(scene);
    return Brightness(Centre(scene.Render({kEye, 0, 0}, 64, 36)));
}

ViewLight LampAt(Vec3 at, Vec3 color = {1, 1, 1}) {
    ViewLight l;
    l.at = at;
    l.color = color;
    return l;
}

TEST(InsideView, LightsFallOffAreShadowedAndSpotsShineTheirWay) {
    const int dark = WallBrightness([](ViewScene&) {});
    const int near = WallBrightness([](ViewScene& s) { s.AddLight(LampAt({192, 0, 64})); });
    const int far = WallBrightness([](ViewScene& s) { s.AddLight(LampAt({-128, 0, 64})); });
    EXPECT_GT(near, far + 60);
    EXPECT_GT(far, dark + 30);
    // A body between the lamp and the wall shades it, though it is not seen; one that lets light
    // through (a clip, a trigger) does not.
    const int shaded = WallBrightness([](ViewScene& s) {
        s.AddLight(LampAt({192, 0, 64}));
        AddBox(s, {208, -64, 0}, {224, 64, 128}, FaceSurface{FaceLook::Hidden, {}});
    });
    const int clipped = WallBrightness([](ViewScene& s) {
        s.AddLight(LampAt({192, 0, 64}));
        AddBox(s, {208, -64, 0}, {224, 64, 128}, FaceSurface{FaceLook::Hidden, {}}, false);
    });
    EXPECT_EQ(shaded, dark);
    EXPECT_EQ(clipped, near);
    // A lamp behind the wall does not light its front.
    EXPECT_EQ(WallBrightness([](ViewScene& s) { s.AddLight(LampAt({300, 0, 64})); }), dark);
    // A spot lights what lies in its cone only.
    auto spot = [](Vec3 direction) {
        ViewLight l = LampAt({192, 0, 64});
        l.spot = true;
        l.direction = direction;
        l.innerCos = std::cos(0.3), l.outerCos = std::cos(0.5);
        return l;
    };
    EXPECT_EQ(WallBrightness([&](ViewScene& s) { s.AddLight(spot({1, 0, 0})); }), near);
    EXPECT_EQ(WallBrightness([&](ViewScene& s) { s.AddLight(spot({-1, 0, 0})); }), dark);
    // The light's colour shows on a white wall.
    ViewScene red;
    AddBox(red, {256, -512, -256}, {272, 512, 512}, Lit(kWhite));
    red.AddLight(LampAt({192, 0, 64}, {1, 0.1, 0.1}));
    const Rgb c = Centre(red.Render({kEye, 0, 0}, 64, 36));
    EXPECT_GT(c.red, c.blue + 60);
}

TEST(InsideView, TheSunReachesOnlyWhatIsOpenToTheSky) {
    // The west half of the room is open to the sky, the east half roofed.
    ViewScene scene;
    AddBox(scene, {-272, -272, -16}, {272, 272, 0}, Lit(kWhite));
    AddBox(scene, {-272, -272, 256}, {0, 272, 272}, FaceSurface{FaceLook::Sky, kViewSky});
    AddBox(scene, {0, -272, 256}, {272, 272, 272}, Lit(kWhite));
    scene.SetSun({{0, 0, 1}, {1, 1, 1}, {0.2, 0.2, 0.2}});
    const int open = Brightness(Centre(scene.Render({{-128, 0, 64}, 0, 89}, 32, 18)));
    const int roofed = Brightness(Centre(scene.Render({{128, 0, 64}, 0, 89}, 32, 18)));
    EXPECT_GT(open, roofed + 200);
}

// ---- Files -------------------------------------------------------------------------------

TEST(InsideView, ToolMaterialsAreHiddenAsInTheGameAndFamiliesHaveTheirOwnColours) {
    for (const char* tool : {"TOOLS/TOOLSNODRAW", "tools/toolsnodraw", "TOOLS/TOOLSCLIP", "TOOLS/TOOLSPLAYERCLIP",
                             "TOOLS/TOOLSNPCCLIP", "TOOLS/TOOLSTRIGGER", "TOOLS/TOOLSAREAPORTAL", "TOOLS/TOOLSSKIP",
                             "TOOLS/TOOLSHINT", "TOOLS/TOOLSBLOCKLIGHT", "TOOLS/TOOLSINVISIBLE"})
        EXPECT_EQ(SurfaceOfMaterial(tool).look, FaceLook::Hidden) << tool;
    EXPECT_EQ(SurfaceOfMaterial("TOOLS/TOOLSSKYBOX").look, FaceLook::Sky);
    EXPECT_EQ(SurfaceOfMaterial("tools/toolsskybox2d").look, FaceLook::Sky);
    const Rgb brick = SurfaceOfMaterial("BRICK/BRICKWALL001A").color;
    const Rgb metal = SurfaceOfMaterial("metal/metalwall001a").color;
    const Rgb water = SurfaceOfMaterial("NATURE/WATER_CANALS_WATER2").color;
    EXPECT_GT(brick.red, brick.blue + 50);
    EXPECT_GT(metal.blue, metal.red);
    EXPECT_GT(water.blue, water.red + 40);
    EXPECT_NE(SurfaceOfMaterial("CONCRETE/CONCRETEFLOOR001A").color, SurfaceOfMaterial("WOOD/WOODFLOOR005A").color);
}

// Small levels as the editor writes them.
struct MapText {
    int ids = 1;
    static std::string Point(Vec3 p) {
        return "(" + FormatNumber(p.x) + " " + FormatNumber(p.y) + " " + FormatNumber(p.z) + ")";
    }
    // An axis-aligned box, faces +x, -x, +y, -y, +z, -z; three points on each face in the order
    // that makes its normal point out of the box.
    std::string Box(Vec3 mn, Vec3 mx, std::array<std::string, 6> materials) {
        std::string s = "\tsolid\n\t{\n\t\t\"id\" \"" + std::to_string(ids++) + "\"\n";
        const Vec3 n[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
        for (int f = 0; f < 6; ++f) {
            const double x = n[f].x > 0 ? mx.x : mn.x, y = n[f].y > 0 ? mx.y : mn.y, z = n[f].z > 0 ? mx.z : mn.z;
            Vec3 a, b, c;
            if (n[f].x != 0) a = {x, mn.y, mn.z}, b = {x, mx.y, mn.z}, c = {x, mx.y, mx.z};
            else if (n[f].y != 0) a = {mn.x, y, mn.z}, b = {mx.x, y, mn.z}, c = {mx.x, y, mx.z};
            else a = {mn.x, mn.y, z}, b = {mx.x, mn.y, z}, c = {mx.x, mx.y, z};
            Plane p;
            PlaneFromPoints(a, b, c, p);
            if (Dot(p.normal, n[f]) < 0) std::swap(a, c);
            s += "\t\tside\n\t\t{\n\t\t\t\"id\" \"" + std::to_string(ids++) + "\"\n\t\t\t\"plane\" \"" + Point(a) +
                 " " + Point(b) + " " + Point(c) + "\"\n\t\t\t\"material\" \"" +
                 materials[static_cast<std::size_t>(f)] + "\"\n\t\t}\n";
        }
        return s + "\t}\n";
    }
    std::string Box(Vec3 mn, Vec3 mx, const std::string& material) {
        return Box(mn, mx, {material, material, material, material, material, material});
    }
    std::string Entity(const std::string& cls, Vec3 o, const std::string& keys = "", const std::string& solids = "") {
        return "entity\n{\n\t\"id\" \"" + std::to_string(ids++) + "\"\n\t\"classname\" \"" + cls +
               "\"\n\t\"origin\" \"" + FormatNumber(o.x) + " " + FormatNumber(o.y) + " " + FormatNumber(o.z) + "\"\n" +
               keys + solids + "}\n";
    }
    // A closed room like ColourRoom's, its walls in the game's materials.
    std::string Level(const std::string& worldExtra, const std::string& entities) {
        const std::string world = Box({256, -272, 0}, {272, 272, 256}, "BRICK/BRICKWALL001A") +
                                  Box({-272, 256, 0}, {272, 272, 256}, "METAL/METALWALL001A") +
                                  Box({-272, -272, 0}, {-256, 272, 256}, "WOOD/WOODWALL014A") +
                                  Box({-272, -272, 0}, {272, -256, 256}, "TILE/TILEWALL006A") +
                                  Box({-272, -272, -16}, {272, 272, 0}, "CONCRETE/CONCRETEFLOOR001A") +
                                  Box({-272, -272, 256}, {272, 272, 272}, "PLASTER/PLASTERCEILING003A") + worldExtra;
        return "versioninfo\n{\n\t\"editorversion\" \"400\"\n}\nworld\n{\n\t\"id\" \"" + std::to_string(ids++) +
               "\"\n\t\"classname\" \"worldspawn\"\n" + world + "}\n" + entities;
    }
};

ViewFile ViewOf(const std::string& text) { return ViewFileOfDocument(ReadVmfText(text)); }

TEST(InsideView, ALevelsBrushesAndEntitiesComeThroughAsTheGameShowsThem) {
    MapText m;
    // A lamp lights the room; the walls keep their families' colours under it.
    const ViewFile plain = ViewOf(m.Level("", m.Entity("light", {0, 0, 200}, "\t\"_light\" \"255 255 255 1000\"\n")));
    ASSERT_TRUE(plain.readable);
    EXPECT_EQ(plain.brushes, 6);
    EXPECT_EQ(plain.scene.Lights(), 1);
    const Rgb brick = Centre(plain.scene.Render({kEye, 0, 0}, 64, 36));
    const Rgb metal = Centre(plain.scene.Render({kEye, 90, 0}, 64, 36));
    EXPECT_GT(brick.red, brick.blue + 30);
    EXPECT_GT(metal.blue, metal.red);

    // A func_detail pillar shows, a trigger with a visible material and a clip brush do not.
    const std::string pillar = m.Box({128, -32, 0}, {160, 32, 256}, "CONCRETE/CONCRETEWALL001A");
    const std::string lamp = m.Entity("light", {0, 0, 200}, "\t\"_light\" \"255 255 255 1000\"\n");
    const ViewFile detail = ViewOf(m.Level("", lamp + m.Entity("func_detail", {0, 0, 0}, "", pillar)));
    EXPECT_NE(Centre(detail.scene.Render({kEye, 0, 0}, 64, 36)), brick);
    const ViewFile hidden = ViewOf(m.Level(m.Box({128, -32, 0}, {160, 32, 256}, "TOOLS/TOOLSCLIP"),
                                           lamp + m.Entity("trigger_once", {0, 0, 0}, "", pillar)));
    EXPECT_EQ(Centre(hidden.scene.Render({kEye, 0, 0}, 64, 36)), brick);  // the brick wall behind them
}

TEST(InsideView, PropsAreBoxesOfTheirModelsSizeAndCharactersAndPickupsMarks) {
    MapText m;
    // A desk (60 long, 32 high, standing on its origin) 128 ahead of an eye 24 above the floor:
    // 90 degrees across 128 x 128 pixels, a height h on the desk's near face (98 ahead) shows at
    // row 64 (1 - (h - 24) / 98).
    const ViewFile desk = ViewOf(m.Level(
        "", m.Entity("prop_static", {128, 0, 0},
                     "\t\"model\" \"models/props_interiors/furniture_desk01a.mdl\"\n\t\"angles\" \"0 0 0\"\n")));
    EXPECT_EQ(desk.props, 1);
    const RgbImage image = desk.scene.Render({{0, 0, 24}, 0, 0}, 128, 128);
    const ViewFile empty = ViewOf(m.Level("", ""));
    const RgbImage bare = empty.scene.Render({{0, 0, 24}, 0, 0}, 128, 128);
    EXPECT_NE(image.At(64, 62), bare.At(64, 62));  // 26 units up: the desk
    EXPECT_EQ(image.At(64, 56), bare.At(64, 56));  // 35 units up: above it

    // A character is a red mark a person high, a pickup an orange one on the floor.
    const ViewFile marks =
        ViewOf(m.Level("", m.Entity("npc_combine_s", {128, 0, 0}) + m.Entity("item_healthkit", {128, 96, 0})));
    EXPECT_EQ(marks.marks, 2);
    const Rgb person = Centre(marks.scene.Render({kEye, 0, 0}, 256, 144));
    EXPECT_GT(person.red, 150);
    EXPECT_LT(person.green, 80);
    const Rgb pickup = Centre(marks.scene.Render({{0, 0, 5}, 36.87, 0}, 256, 144));  // atan(96 / 128)
    EXPECT_GT(pickup.red, 150);
    EXPECT_GT(pickup.green, 80);
    EXPECT_LT(pickup.blue, 60);
}

TEST(InsideView, LightsPointAsTheMapCompilerReadsThem) {
    MapText m;
    // A spot just under the ceiling: its "pitch" -90 points it down (the compiler's sign, the
    // opposite of a view's), so the floor under it is lit, and pointed up it is not.
    auto floorUnderSpot = [&](const std::string& pitch) {
        const ViewFile f =
            ViewOf(m.Level("", m.Entity("light_spot", {0, 0, 240},
                                        "\t\"_light\" \"255 255 255 400\"\n\t\"angles\" \"0 0 0\"\n\t\"pitch\" \"" +
                                            pitch + "\"\n\t\"_inner_cone\" \"30\"\n\t\"_cone\" \"45\"\n")));
        return Brightness(Centre(f.scene.Render({{0, 0, 64}, 0, 89}, 32, 18)));
    };
    EXPECT_GT(floorUnderSpot("-90"), floorUnderSpot("90") + 100);
    // The player start: its place at eye height, looking its way.
    const ViewFile start =
        ViewOf(m.Level("", m.Entity("info_player_start", {-100, 20, 0}, "\t\"angles\" \"0 90 0\"\n")));
    ASSERT_TRUE(start.start);
    EXPECT_EQ(start.start->eye.x, -100);
    EXPECT_EQ(start.start->eye.z, kPlayerEyeHeight);
    EXPECT_EQ(start.start->yaw, 90);
}

TEST(InsideView, ARoomIsSeenFromJustInsideItsFirstDoorwayLookingIn) {
    // The test rooms' north doorway is at (0, 384, 0): the eye stands 32 inside it. A dead end
    // has no other doorway to look out of.
    const ViewFile room = ReadViewFile(SourceFile("rooms/alley_closet.rgr"));
    ASSERT_TRUE(room.readable) << room.problem;
    ASSERT_TRUE(room.doorway);
    EXPECT_EQ(room.doorway->eye.x, 0);
    EXPECT_EQ(room.doorway->eye.y, 352);
    EXPECT_EQ(room.doorway->eye.z, kPlayerEyeHeight);
    EXPECT_EQ(room.doorway->yaw, 270);
    EXPECT_GT(room.brushes, 0);
    const RgbImage image = room.scene.Render(*room.doorway, 64, 36);
    EXPECT_NE(Centre(image), kViewVoid);  // the room, not what lies outside it

    // A room whose header opens no side has no doorway to stand in.
    TempDir dir;
    std::vector<std::string> lines = FileLines(SourceFile("rooms/oneway_plain.rgr"));
    lines[2] = "29";
    std::string text;
    for (const auto& l : lines) text += l + "\r\n";
    WriteFile(dir.path() / "blocked.rgr", text);
    const ViewFile blocked = ReadViewFile(dir.path() / "blocked.rgr");
    EXPECT_TRUE(blocked.readable);
    EXPECT_FALSE(blocked.doorway);
}

// ---- Pictures ----------------------------------------------------------------------------

std::uint32_t BitwiseCrc(const std::string& bytes) {
    std::uint32_t crc = 0xFFFFFFFF;
    for (unsigned char c : bytes) {
        crc ^= c;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

std::uint32_t Be(const std::string& s, std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(s[at])) << 24 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + 1])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + 2])) << 8 |
           static_cast<unsigned char>(s[at + 3]);
}

TEST(InsideView, PngFilesCarryEveryPixelWithValidChecksums) {
    // 200 x 150 pixels are more than one stored block (65535 bytes) of data.
    RgbImage image(200, 150, {0, 0, 0});
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 200; ++x)
            image.Set(x, y,
                      {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), static_cast<std::uint8_t>(x ^ y)});
    TempDir dir;
    ASSERT_TRUE(image.SavePng(dir.path() / "p.png"));
    const std::string png = ReadFile(dir.path() / "p.png");
    ASSERT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    std::string data;
    std::vector<std::string> chunks;
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const std::uint32_t length = Be(png, at);
        const std::string type = png.substr(at + 4, 4);
        const std::string body = png.substr(at + 8, length);
        EXPECT_EQ(Be(png, at + 8 + length), BitwiseCrc(type + body)) << type;
        chunks.push_back(type);
        if (type == "IHDR") {
            EXPECT_EQ(Be(body, 0), 200u);
            EXPECT_EQ(Be(body, 4), 150u);
            EXPECT_EQ(body.substr(8), std::string("\x08\x02\x00\x00\x00", 5));
        }
        if (type == "IDAT") data += body;
        at += 12 + length;
    }
    EXPECT_EQ(chunks, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
    // The zlib stream: its header, stored blocks to the last, the Adler-32 of what they hold.
    ASSERT_EQ((static_cast<unsigned char>(data[0]) * 256u + static_cast<unsigned char>(data[1])) % 31, 0u);
    ASSERT_EQ(data[0] & 0x0F, 8);  // deflate
    std::string raw;
    std::size_t at = 2;
    for (bool last = false; !last;) {
        last = data[at] & 1;
        ASSERT_EQ(data[at] & 6, 0);  // stored
        const unsigned len = static_cast<unsigned char>(data[at + 1]) | static_cast<unsigned char>(data[at + 2]) << 8;
        const unsigned nlen = static_cast<unsigned char>(data[at + 3]) | static_cast<unsigned char>(data[at + 4]) << 8;
        ASSERT_EQ(len ^ nlen, 0xFFFFu);
        raw += data.substr(at + 5, len);
        at += 5 + len;
    }
    std::uint32_t a = 1, b = 0;
    for (unsigned char c : raw) a = (a + c) % 65521, b = (b + a) % 65521;
    EXPECT_EQ(Be(data, at), b << 16 | a);
    ASSERT_EQ(raw.size(), 150u * (200 * 3 + 1));
    for (int y : {0, 77, 149})
        for (int x : {0, 123, 199}) {
            const std::size_t p = static_cast<std::size_t>(y) * 601 + 1 + static_cast<std::size_t>(x) * 3;
            EXPECT_EQ(raw[p - 1 - static_cast<std::size_t>(x) * 3], '\0');  // the row's filter: none
            EXPECT_EQ(Rgb({static_cast<std::uint8_t>(raw[p]), static_cast<std::uint8_t>(raw[p + 1]),
                           static_cast<std::uint8_t>(raw[p + 2])}),
                      image.At(x, y));
        }
}

// ---- The command -------------------------------------------------------------------------

TEST(ViewCommand, DrawsALevelOrARoomIntoAPngOrABitmap) {
    TempDir dir;
    MapText m;
    WriteFile(dir.path() / "level.vmf", m.Level("", m.Entity("info_player_start", {0, 0, 0})));
    const std::string level = (dir.path() / "level.vmf").string();
    CliRun r = Cli({"view", level, "--from", "-100", "-20.5", "64", "--yaw", "-45", "--pitch", "10", "--width", "40",
                    "--height", "30", (dir.path() / "a.png").string()});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(ReadFile(dir.path() / "a.png").substr(1, 3), "PNG");
    r = Cli({"view", level, "--start", (dir.path() / "b.BMP").string()});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(ReadFile(dir.path() / "b.BMP").size(), 54u + 800 * 450 * 3);  // the default size
    r = Cli({"view", SourceFile("rooms/cross_square.rgr"), "--doorway", "--width", "32", "--height", "18",
             (dir.path() / "c.png").string()});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("from (0 352 64) yaw 270"), std::string::npos) << r.out;
    EXPECT_EQ(Cli({"view", "--help"}).code, 0);
}

TEST(ViewCommand, BadInputGetsAClearMessage) {
    TempDir dir;
    MapText m;
    WriteFile(dir.path() / "level.vmf", m.Level("", ""));
    WriteFile(dir.path() / "junk.vmf", "this is { not a map");
    const std::string level = (dir.path() / "level.vmf").string(), out = (dir.path() / "v.png").string();
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string says;
    };
    const Case cases[] = {
        {{"view", level, "--from", "0", "north", "64", "--yaw", "0", out}, 2, "three numbers X Y Z, not \"north\""},
        {{"view", level, "--from", "0", "0", "--yaw", "0", out}, 2, "three numbers X Y Z, not \"--yaw\""},
        {{"view", level, "--from", "0", "0", "64", "--yaw", "east", out}, 2, "--yaw needs a number, not \"east\""},
        {{"view", level, "--from", "0", "0", "64", out}, 2, "--from needs --yaw"},
        {{"view", level, out}, 2, "say where the eye is"},
        {{"view", level, "--start", "--from", "0", "0", "64", "--yaw", "0", out}, 2, "say where the eye is"},
        {{"view", level, "--start", (dir.path() / "v.jpg").string()}, 2, "must be a .png or a .bmp file"},
        {{"view", level, "--start"}, 2, "give the file to look into and the picture to write"},
        {{"view", level, "--start", "--width", "0", out}, 2, "--width must be between 1 and 4096"},
        {{"view", level, "--start", "--pitch", "120", out}, 2, "--pitch must be between -90 and 90"},
        {{"view", level, "--start", "--zoom", out}, 2, "unknown option \"--zoom\""},
        {{"view", (dir.path() / "missing.vmf").string(), "--start", out}, 1, "missing.vmf does not exist"},
        {{"view", (dir.path() / "junk.vmf").string(), "--start", out}, 1, "holds nothing to draw"},
        {{"view", level, "--start", out}, 1, "needs a level with an info_player_start"},
        {{"view", level, "--doorway", out}, 1, "has no doorway"},
        {{"view", level, "--from", "0", "0", "64", "--yaw", "0", (dir.path() / "no-such-folder" / "v.png").string()},
         1,
         "could not be written"},
    };
    for (const Case& c : cases) {
        const CliRun r = Cli(c.args);
        EXPECT_EQ(r.code, c.code) << c.args[2] << ": " << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("tessellon view: "), std::string::npos) << r.err;
    }
    EXPECT_FALSE(fs::exists(out));
}

}  // namespace
}  // namespace tessellon
