#include <gtest/gtest.h>

#include <string>

#include "check/level_check.h"
#include "check_test_levels.h"

namespace tessellon {
namespace {

using checktest::LevelText;
using checktest::RoomShell;

std::string DataFile(const std::string& name) { return std::string(TESSELLON_SOURCE_DIR) + "/tests/data/check/" + name; }

// `t` must be the writer of the extra pieces too, so that ids stay unique.
CheckReport CheckShell(LevelText& t, const std::vector<std::string>& leave, const std::string& extraWorld = "",
                       const std::string& extraEntities = "", Vec3 start = {0, 0, 16}) {
    const std::string world = RoomShell(t, leave) + extraWorld;
    const std::string entities = t.PointEntity("info_player_start", start) + extraEntities;
    return CheckLevelText(LevelText::Level(world, entities));
}

TEST(LeakCheck, HandMadeLevelsLeakWhereTheyShould) {
    struct Case {
        const char* file;
        bool leaks;
    } cases[] = {{"sealed_room.vmf", false},      {"two_rooms.vmf", false},   {"gap_wall.vmf", true},
                 {"brush_entity_wall.vmf", true}, {"missing_floor.vmf", true}, {"clip_wall.vmf", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const CheckReport r = CheckLevelFile(DataFile(c.file));
        EXPECT_EQ(r.ErrorCount(), 0) << FormatReportText(r);
        ASSERT_TRUE(r.leak.checked);
        EXPECT_EQ(r.leak.leaked, c.leaks);
        EXPECT_EQ(r.Passed(), !c.leaks);
        if (c.leaks) {
            ASSERT_FALSE(r.leak.leakingEntities.empty());
            EXPECT_EQ(r.leak.leakingEntities[0].classname, "info_player_start");  // first in the file
        }
    }
}

TEST(LeakCheck, AGapOfOneUnitOrLessLeaksAndTouchingWallsSeal) {
    // The east wall in two pieces: y -368..0 and y gap..368.
    for (double gap : {1.0, 0.25, 0.0, -8.0}) {
        SCOPED_TRACE(gap);
        LevelText t;
        const std::string wall = t.Box({368, -368, 0}, {384, 0, 256}) + t.Box({368, gap, 0}, {384, 368, 256});
        const CheckReport r = CheckShell(t, {"east"}, wall);
        EXPECT_EQ(r.ErrorCount(), 0) << FormatReportText(r);
        EXPECT_EQ(r.leak.leaked, gap > 0) << FormatReportText(r);
    }
}

TEST(LeakCheck, TrailRunsFromTheEntityThroughTheHoleToTheVoid) {
    LevelText t;
    const CheckReport r = CheckShell(t, {"east"}, t.Box({368, -368, 0}, {384, 100, 256}) + t.Box({368, 101, 0}, {384, 368, 256}));
    ASSERT_TRUE(r.leak.leaked);
    const auto& trail = r.leak.trail;
    ASSERT_GE(trail.size(), 2u);
    EXPECT_DOUBLE_EQ(trail.front().x, 0);
    EXPECT_DOUBLE_EQ(trail.front().z, 16);
    // The way out crosses the east wall through the slot, and nowhere else ...
    int crossings = 0;
    for (std::size_t i = 1; i < trail.size(); ++i) {
        const Vec3 a = trail[i - 1], b = trail[i];
        if ((a.x < 376) == (b.x < 376)) continue;
        ++crossings;
        EXPECT_GT(a.y, 100);
        EXPECT_LT(a.y, 101);
        EXPECT_DOUBLE_EQ(a.y, b.y);
    }
    EXPECT_EQ(crossings, 1);
    // ... and it ends outside the room, beyond the wall.
    EXPECT_GT(trail.back().x, 384);
    // Every leg of the trail runs along one axis except the first, from the entity itself.
    for (std::size_t i = 2; i < trail.size(); ++i) {
        const Vec3 d = trail[i] - trail[i - 1];
        EXPECT_EQ((d.x != 0) + (d.y != 0) + (d.z != 0), 1);
    }
    const std::string lin = FormatPointFile(trail);
    EXPECT_EQ(lin.substr(0, lin.find('\n')), "0 0 16");
    EXPECT_EQ(static_cast<std::size_t>(std::count(lin.begin(), lin.end(), '\n')), trail.size());
}

TEST(LeakCheck, EntitiesOnAFaceFloodFromTheOpenSideAndBuriedOnesNotAtAll) {
    LevelText t;
    // Standing exactly on the floor (void below the floor brush) must not count as outside.
    EXPECT_FALSE(CheckShell(t, {}, "", "", {0, 0, 0}).leak.leaked);
    // Against the inner face of a wall, and in the corner where three brushes meet.
    EXPECT_FALSE(CheckShell(t, {}, "", "", {368, 0, 16}).leak.leaked);
    EXPECT_FALSE(CheckShell(t, {}, "", "", {-368, -368, 0}).leak.leaked);
    // Buried in the wall: no space to flood from at all.
    EXPECT_FALSE(CheckShell(t, {}, "", "", {376, 0, 100}).leak.leaked);
    // On the outer face of the wall it is outside.
    EXPECT_TRUE(CheckShell(t, {}, "", "", {384, 0, 100}).leak.leaked);
    // On a face the open side is the one flooded from: in a room without a ceiling, entities
    // standing on the floor or against a wall leak like any other.
    EXPECT_TRUE(CheckShell(t, {"ceiling"}, "", "", {0, 0, 0}).leak.leaked);
    EXPECT_TRUE(CheckShell(t, {"ceiling"}, "", "", {368, 0, 16}).leak.leaked);
    EXPECT_TRUE(CheckShell(t, {"ceiling"}, "", "", {-368, 0, 16}).leak.leaked);
}

TEST(LeakCheck, EveryEntityReachingTheVoidIsNamed) {
    LevelText t;
    // One entity floating in the void beside a sealed room: only it leaks.
    const CheckReport inside = CheckShell(t, {}, "", t.PointEntity("info_target", {2000, 0, 0}));
    ASSERT_TRUE(inside.leak.leaked);
    ASSERT_EQ(inside.leak.leakingEntities.size(), 1u);
    EXPECT_EQ(inside.leak.leakingEntities[0].classname, "info_target");
    EXPECT_DOUBLE_EQ(inside.leak.leakingEntities[0].origin.x, 2000);

    // With the ceiling gone, both entities in the room leak.
    const CheckReport open = CheckShell(t, {"ceiling"}, "", t.PointEntity("light", {0, 0, 200}));
    ASSERT_TRUE(open.leak.leaked);
    EXPECT_EQ(open.leak.leakingEntities.size(), 2u);
}

TEST(LeakCheck, SlopedBrushesSealConservatively) {
    // The east wall replaced by a wedge whose sloped face looks into the room: sealed.
    LevelText t;
    const CheckReport wedge = CheckShell(t, {"east"}, t.Wedge({352, -368, 0}, {384, 368, 256}));
    EXPECT_EQ(wedge.ErrorCount(), 0) << FormatReportText(wedge);
    EXPECT_FALSE(wedge.leak.leaked) << FormatReportText(wedge);
    // A wedge that leaves the top of the east side open above its slope: the hole is wider
    // than the grid cells the wedge overlaps, so it is found.
    LevelText u;
    const CheckReport low = CheckShell(u, {"east"}, u.Wedge({352, -368, 0}, {384, 368, 128}));
    EXPECT_TRUE(low.leak.leaked);
}

TEST(LeakCheck, NonSealingWorldBrushesAndDisplacementsDoNotSeal) {
    for (const char* material : {"TOOLS/TOOLSNPCCLIP", "TOOLS/TOOLSINVISIBLE", "NATURE/WATER_CANALS03", "TOOLS/TOOLSHINT"}) {
        SCOPED_TRACE(material);
        LevelText t;
        EXPECT_TRUE(CheckShell(t, {"east"}, t.Box({368, -368, 0}, {384, 368, 256}, material)).leak.leaked);
    }
    LevelText t;
    EXPECT_FALSE(CheckShell(t, {"east"}, t.Box({368, -368, 0}, {384, 368, 256}, "TOOLS/TOOLSNODRAW")).leak.leaked);
    // Hidden in the editor, still built by the compilers.
    EXPECT_FALSE(CheckShell(t, {"east"}, "\thidden\n\t{\n" + t.Box({368, -368, 0}, {384, 368, 256}) + "\t}\n").leak.leaked);
    std::string disp = t.Box({368, -368, 0}, {384, 368, 256});
    disp.insert(disp.find("\t\t}\n"), "\t\t\tdispinfo\n\t\t\t{\n\t\t\t\t\"power\" \"3\"\n\t\t\t}\n");
    EXPECT_TRUE(CheckShell(t, {"east"}, disp).leak.leaked);
}

TEST(LeakCheck, RoomWithOpenDoorwaysSealsOncePluggedFromAGivenStart) {
    // A room open to the north through a 192 x 192 doorway, and no entity of its own.
    LevelText t;
    const std::string world = RoomShell(t, {"north"}) + t.Box({-384, 368, 0}, {-96, 384, 256}) +
                              t.Box({96, 368, 0}, {384, 384, 256}) + t.Box({-96, 368, 192}, {96, 384, 256});
    CheckOptions room;
    room.requireMapHead = false;
    room.extraStarts.push_back({{0, 0, 128}, "centre", ""});

    const CheckReport open = CheckLevelText(world, room);
    EXPECT_EQ(open.ErrorCount(), 0) << FormatReportText(open);
    ASSERT_TRUE(open.leak.leaked);
    EXPECT_EQ(open.leak.leakingEntities[0].id, "centre");

    room.extraSealing.push_back({{-96, 368, 0}, {96, 384, 192}});
    const CheckReport plugged = CheckLevelText(world, room);
    EXPECT_TRUE(plugged.leak.checked);
    EXPECT_FALSE(plugged.leak.leaked) << FormatReportText(plugged);

    // A plug one unit short of the doorway's top leaves a slot.
    room.extraSealing.back().max.z = 191;
    EXPECT_TRUE(CheckLevelText(world, room).leak.leaked);
}

TEST(LeakCheck, StartsCanBeLimitedToTheCallersPoints) {
    // An entity outside the room leaks, unless the caller floods only from its own point.
    LevelText t;
    const std::string level = LevelText::Level(RoomShell(t), t.PointEntity("info_target", {5000, 0, 0}));
    EXPECT_TRUE(CheckLevelText(level).leak.leaked);
    CheckOptions own;
    own.startFromEntities = false;
    own.extraStarts.push_back({{0, 0, 64}, "inside", ""});
    EXPECT_FALSE(CheckLevelText(level, own).leak.leaked);
}

TEST(LeakCheck, SkippedChecksAreReportedNotPassedSilently) {
    LevelText t;
    const CheckReport noStart = CheckLevelText(LevelText::Level(RoomShell(t), ""));
    EXPECT_FALSE(noStart.leak.checked);
    ASSERT_EQ(noStart.problems.size(), 1u);
    EXPECT_EQ(noStart.problems[0].kind, ProblemKind::LeakSkipped);
    EXPECT_EQ(noStart.problems[0].severity, Severity::Warning);

    const CheckReport unread = CheckLevelText(LevelText::Level(RoomShell(t), t.PointEntity("light", {0, 0, 0})) + "}\n");
    EXPECT_FALSE(unread.leak.checked);
    EXPECT_FALSE(unread.Passed());  // the stray brace is an error

    // Too fine a grid for the cap: the flood is skipped, not run out of memory.
    const LeakResult capped = FindLeak({SealingBox({{0, 0, 0}, {1, 1, 1}})}, {{{5, 5, 5}, "a", ""}}, 8);
    EXPECT_FALSE(capped.checked);
    EXPECT_FALSE(capped.skippedReason.empty());
}

TEST(LeakCheck, SealingBodiesOfADocument) {
    LevelText t;
    const std::string entities = t.Entity("func_detail", t.Box({0, 0, 0}, {8, 8, 8}));
    const VmfDocument doc = ReadVmfText(LevelText::Level(
        t.Box({0, 0, 0}, {64, 64, 64}) + t.Box({0, 0, 64}, {64, 64, 128}, "TOOLS/TOOLSPLAYERCLIP") +
            t.Wedge({100, 0, 0}, {164, 64, 64}),
        entities));
    const auto bodies = SealingBodies(doc);
    ASSERT_EQ(bodies.size(), 2u);  // the clip brush and the detail brush do not seal
    EXPECT_TRUE(bodies[0].axisAligned);
    EXPECT_DOUBLE_EQ(bodies[0].bounds.max.z, 64);
    EXPECT_FALSE(bodies[1].axisAligned);
    EXPECT_EQ(bodies[1].planes.size(), 5u);
    EXPECT_DOUBLE_EQ(bodies[1].bounds.min.x, 100);
    EXPECT_DOUBLE_EQ(bodies[1].bounds.max.x, 164);
}

}  // namespace
}  // namespace tessellon
