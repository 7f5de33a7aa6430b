#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "build/errors.h"
#include "instance/rotation.h"
#include "instance/text_helpers.h"
#include "instance/translation.h"
#include "instance_support.h"

namespace tessellon {
namespace {

using instance_testing::PipelineSession;

struct Vec {
    double x, y, z;
};
Vec Sub(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec Cross(Vec a, Vec b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

std::array<Vec, 3> ParsePlane(Session& s, const std::string& plane) {
    std::array<Vec, 3> out{};
    const auto groups = CSplit(plane);
    for (int k = 0; k < 3; ++k) {
        const auto w = SSplit(groups[k]);
        out[k] = {FileNumber(s, w[0]), FileNumber(s, w[1]), FileNumber(s, w[2])};
    }
    return out;
}

Vec Normal(const std::array<Vec, 3>& p) { return Cross(Sub(p[1], p[0]), Sub(p[2], p[0])); }

struct RotationTest : ::testing::Test {
    PipelineSession t;
    Session& s = t.s;
    std::vector<std::string> Turn(std::vector<std::string> body, int turns) {
        t.LoadRoom(body);
        Rotator(s, turns);
        return t.RoomBody();
    }
};

TEST_F(RotationTest, PointsTurnClockwiseAndComeBackAfterFourTurns) {
    EXPECT_EQ(Turn({"origin", "16 -32 8"}, 1), (std::vector<std::string>{"origin", "-32 -16 8"}));
    EXPECT_EQ(Turn({"origin", "16 -32 8"}, 4), (std::vector<std::string>{"origin", "16 -32 8"}));
    EXPECT_EQ(Turn({"point0", "0 1.5 2", "startposition", "[10 0 -4]"}, 1),
              (std::vector<std::string>{"point0", "1.5 0 2", "startposition", "[0 -10 -4]"}));
    EXPECT_EQ(Turn({"plane", "(0 0 0) (0 64 0) (64 64 0)"}, 1),
              (std::vector<std::string>{"plane", "(0 0 0) (64 0 0) (64 -64 0)"}));
}

TEST_F(RotationTest, TextureAxesTurnButKeepShiftAndScale) {
    EXPECT_EQ(Turn({"uaxis", "[1 0 0 16] 0.25", "vaxis", "[0 -1 0 -8] 0.25"}, 1),
              (std::vector<std::string>{"uaxis", "[0 -1 0 16] 0.25", "vaxis", "[-1 0 0 -8] 0.25"}));
}

TEST_F(RotationTest, YawTurnsExceptOnBrushEntitiesAndKeysIgnoreCase) {
    EXPECT_EQ(Turn({"angles", "0 45 0", "angles", "0 90 0", "angles", "10 0 5", "angles", "0 12.5 0"}, 1),
              (std::vector<std::string>{"angles", "0 315 0", "angles", "0 0 0", "angles", "10 270 5", "angles",
                                        "0 282.5 0"}));
    EXPECT_EQ(Turn({"classname", "FUNC_door", "angles", "0 45 0", "classname", "prop_static", "ANGLES",
                    "0 45 0", "ORIGIN", "1 2 3"},
                   1),
              (std::vector<std::string>{"classname", "FUNC_door", "angles", "0 45 0", "classname", "prop_static",
                                        "ANGLES", "0 315 0", "ORIGIN", "2 -1 3"}));
}

TEST_F(RotationTest, NoTurnChangesNothingAndBadNumbersAreReported) {
    const std::vector<std::string> body = {"origin", "16.50 -0 8", "plane", "(1 2 3) (4 5 6) (7 8 9)"};
    EXPECT_EQ(Turn(body, 0), body);
    t.LoadRoom({"origin", "a b c"});
    EXPECT_THROW(Rotator(s, 1), BuildFailure);
}

TEST_F(RotationTest, TurnedPlaneNormalTurnsTheSameWay) {
    // A slanted plane: its normal must turn like any vector, (x, y, z) -> (y, -x, z), keeping
    // the side the brush lies on.
    const std::string plane = "(12 -40 8) (100 7 30) (-3 25 64)";
    const Vec n = Normal(ParsePlane(s, plane));
    for (int turns = 1; turns <= 3; ++turns) {
        const auto body = Turn({"plane", plane}, turns);
        const Vec m = Normal(ParsePlane(s, body[1]));
        Vec expect = n;
        for (int k = 0; k < turns; ++k) expect = {expect.y, -expect.x, expect.z};
        EXPECT_NEAR(m.x, expect.x, 1e-9) << turns;
        EXPECT_NEAR(m.y, expect.y, 1e-9) << turns;
        EXPECT_NEAR(m.z, expect.z, 1e-9) << turns;
    }
}

struct TranslationTest : ::testing::Test {
    PipelineSession t;
    Session& s = t.s;
    std::vector<std::string> Move(std::vector<std::string> body, double x, double y, double z) {
        t.LoadRoom(body);
        SetOrigins(s, x, y, z);
        return t.RoomBody();
    }
    std::filesystem::path LogPath() { return t.dir.path() / "vorniclog 14-15-9.log"; }
};

TEST_F(TranslationTest, EveryCoordinateKeyMovesAndNumbersAreRewritten) {
    EXPECT_EQ(Move({"origin", "0 0 0", "point1", "1 1 1", "attachpoint", "0.5 0 0", "startposition", "[1 2 3]",
                    "plane", "(0 0 0) (1 0 0) (0 1 0)"},
                   1024, -512, 64),
              (std::vector<std::string>{"origin", "1024 -512 64", "point1", "1025 -511 65", "attachpoint",
                                        "1024.5 -512 64", "startposition", "[1025 -510 67]", "plane",
                                        "(1024 -512 64) (1025 -512 64) (1024 -511 64)"}));
    EXPECT_EQ(Move({"origin", "16.50 0 0"}, 0, 0, 0), (std::vector<std::string>{"origin", "16.5 0 0"}));
    // Moving compares keys exactly, unlike turning.
    EXPECT_EQ(Move({"Origin", "1 1 1"}, 5, 5, 5), (std::vector<std::string>{"Origin", "1 1 1"}));
}

TEST_F(TranslationTest, TextureShiftWrapsAboveFiveTwelveAndIsCutToThousandths) {
    EXPECT_EQ(Move({"uaxis", "[1 0 0 0] 0.25"}, 1024, 0, 0), (std::vector<std::string>{"uaxis", "[1 0 0 -4096] 0.25"}));
    EXPECT_EQ(Move({"uaxis", "[-1 0 0 0] 0.25"}, 1024, 0, 0), (std::vector<std::string>{"uaxis", "[-1 0 0 0] 0.25"}));
    EXPECT_DOUBLE_EQ(ShiftTexture(600.2, 0, 0, 0, 1, 5, 5, 5), 88);
    EXPECT_DOUBLE_EQ(ShiftTexture(512, 0, 0, 0, 1, 0, 0, 0), 512);
    EXPECT_DOUBLE_EQ(ShiftTexture(512.5, 0, 0, 0, 1, 0, 0, 0), 0);  // 512.5 rounds to the even 512
    EXPECT_DOUBLE_EQ(ShiftTexture(33.33349, 0, 0, 0, 1, 0, 0, 0), 33.333);
    EXPECT_DOUBLE_EQ(ShiftTexture(33.333, 0, 0, 0, 1, 0, 0, 0), 33.333);
    EXPECT_DOUBLE_EQ(ShiftTexture(-0.0005, 0, 0, 0, 1, 0, 0, 0), -0.001);  // cut downwards
    EXPECT_THROW(ShiftTexture(0, 1, 0, 0, 0, 1, 0, 0), BuildFailure);
}

TEST_F(TranslationTest, TextureCoordinateOfAVertexStaysOnTheMovedBrush) {
    // u = p . axis / scale + shift, taken modulo 512 because the shift wraps there (textures
    // repeat at a divisor of 512 texels). A wrapped shift is rounded to a whole texel first, so
    // the wrapping cases use whole shifts.
    struct Case {
        std::string axis;
        Vec offset;
    };
    const Case cases[] = {{"[1 0 0 16] 0.25", {1024, -512, 64}},  {"[0 -1 0 -8] 0.5", {768, 1536, 0}},
                          {"[-1 0 0 0] 0.25", {1024, 0, 0}},      {"[0.707107 0.707107 0 3.5] 0.25", {768, 384, 16}},
                          {"[0 0 -1 100] 1", {0, 0, -200}},       {"[1 0 0 0] 2", {-2304, 4608, 0}}};
    const Vec vertices[] = {{0, 0, 0}, {192, -384, 64}, {-384, 384, 128}};
    for (const auto& c : cases) {
        const auto moved = Move({"uaxis", c.axis}, c.offset.x, c.offset.y, c.offset.z);
        auto parse = [&](std::string v) {
            ClearOutChar('[', v);
            ClearOutChar(']', v);
            const auto w = SSplit(v);
            return std::array<double, 5>{FileNumber(s, w[0]), FileNumber(s, w[1]), FileNumber(s, w[2]),
                                         FileNumber(s, w[3]), FileNumber(s, w[4])};
        };
        const auto a = parse(c.axis), b = parse(moved[1]);
        for (const auto& p : vertices) {
            const double before = (p.x * a[0] + p.y * a[1] + p.z * a[2]) / a[4] + a[3];
            const Vec q{p.x + c.offset.x, p.y + c.offset.y, p.z + c.offset.z};
            const double after = (q.x * b[0] + q.y * b[1] + q.z * b[2]) / b[4] + b[3];
            const double drift = std::remainder(after - before, 512.0);
            EXPECT_NEAR(drift, 0, 0.0015) << c.axis << " -> " << moved[1];
        }
    }
}

TEST_F(TranslationTest, DoorPointsOfTheRoomBeingPlacedMoveWithIt) {
    s.DoorPoints[0][0][0] = 3;
    s.DoorPoints[3][1] = {0, 0, 384, 0};
    s.DoorPoints[3][4] = {0, -384, 0, 16};
    s.DoorPoints[2][1] = {0, 7, 7, 7};
    Move({}, 768, -768, 32);
    EXPECT_EQ(s.DoorPoints[3][1], (std::array<double, 4>{0, 768, -384, 32}));
    EXPECT_EQ(s.DoorPoints[3][4], (std::array<double, 4>{0, 384, -768, 48}));
    EXPECT_EQ(s.DoorPoints[2][1], (std::array<double, 4>{0, 7, 7, 7})) << "other rooms stay";
}

TEST_F(TranslationTest, BoundsIncludeTheEdgeAndNineErrorsAreOnlyLogged) {
    s.settings.WriteLogFile = true;
    s.settings.DetailedStatus = true;
    std::vector<std::string> body;
    for (int k = 0; k < 9; ++k) body.insert(body.end(), {"plane", "(0.5 0 0) (0 0 0) (0 1 0)"});
    body.insert(body.end(), {"plane", "(0 0 0) (0 0 0) (0 1 0)"});
    const auto moved = Move(body, 16384, 0, 0);
    EXPECT_FALSE(s.BuildAborted);
    EXPECT_EQ(moved[1], "(16384.5 0 0) (16384 0 0) (16384 1 0)") << "an out-of-bounds plane below the limit stays";
    EXPECT_EQ(moved[19], "(16384 0 0) (16384 0 0) (16384 1 0)");
    const std::string log = testing::ReadFile(LogPath());
    EXPECT_NE(log.find("Boundry Error! (0.5 0 0) XYZdif: 16384 0 0"), std::string::npos);
    EXPECT_EQ(log.find("BEL reached"), std::string::npos);
}

TEST_F(TranslationTest, TenthBoundaryErrorAbortsLeavesTheRestUnmovedAndArmsTheRestart) {
    s.settings.WriteLogFile = true;
    s.settings.DetailedStatus = true;
    std::vector<std::string> body;
    for (int k = 0; k < 10; ++k) body.insert(body.end(), {"plane", "(0 0 0) (0 0 0) (0 1 0)"});
    body.insert(body.end(), {"origin", "0 0 0"});
    const auto moved = Move(body, 0, 0, -20000);
    EXPECT_TRUE(s.BuildAborted);
    EXPECT_EQ(moved[17], "(0 0 -20000) (0 0 -20000) (0 1 -20000)");
    EXPECT_EQ(moved[19], "(0 0 0) (0 0 0) (0 1 0)") << "the tenth plane is not moved";
    EXPECT_EQ(moved[21], "0 0 0");
    const std::string log = testing::ReadFile(LogPath());
    std::size_t errors = 0;
    for (auto p = log.find("Boundry Error!"); p != std::string::npos; p = log.find("Boundry Error!", p + 1)) ++errors;
    EXPECT_EQ(errors, 10u);
    EXPECT_NE(log.find("BEL reached after 10 Boundry Errors!"), std::string::npos);
    EXPECT_EQ(t.ui.statuses.back(), "Path out of bounds! Restart in 2...");
    EXPECT_EQ(s.RestartCount, 2);
    EXPECT_TRUE(s.RestartTimerEnabled);
    EXPECT_EQ(s.RestartTimerInterval, 1000);
}

}  // namespace
}  // namespace tessellon
