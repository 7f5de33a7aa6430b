// Hostile input: files that once crashed, hung or cost the user a file. Each must now end in a
// plain message, with everything the user had left as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <stdexcept>

#include "check/vmf_reader.h"
#include "session/text_table.h"
#include "paths/vdf_reader.h"
#include "roomkit/kit.h"
#include "roomkit/room_builder.h"
#include "roomkit/room_check.h"
#include "roomkit/room_file.h"
#include "roomkit/vmf.h"
#include "rooms/catalogue.h"
#include "test_support.h"

namespace fs = std::filesystem;
using namespace tessellon::testing;

namespace {

using Lines = std::vector<std::string>;

std::string HallVmf(bool passesCheck) {
    roomkit::RoomBuilder b("Hall", 0, "A hall");
    roomkit::ShellPlan s;
    s.mats = {"CONCRETE/CONCRETEFLOOR001A", "CONCRETE/CONCRETEWALL001A", "CONCRETE/CONCRETECEILING001A",
              "METAL/METALWALL001A"};
    s.open = roomkit::OpenSides(0);
    b.MakeShell(s);
    b.Light({0, 0, 200});
    // A brush reaching out of the cell fails the check but not the import.
    if (!passesCheck) b.Box({0, 0, 0}, {400, 16, 16}, "METAL/METALWALL001A", &b.World());
    return roomkit::WriteVmf(b.Finish("Tests"));
}

Lines GoodRoom() { return roomkit::ImportRoom(roomkit::ParseVmf(HallVmf(true))); }

struct KitRun {
    int code;
    std::string out, err;
};

KitRun Kit(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int code = roomkit::RunKit(args, out, err);
    return {code, out.str(), err.str()};
}

bool Mentions(const std::vector<roomkit::Issue>& issues, int line, const std::string& words) {
    for (const auto& i : issues)
        if ((line == 0 || i.line == line) && i.message.find(words) != std::string::npos) return true;
    return false;
}

// `depth` blocks inside each other, in map text and in room file lines.
std::string NestedMap(int depth) {
    std::string text;
    for (int i = 0; i < depth; ++i) text += "b\n{\n";
    for (int i = 0; i < depth; ++i) text += "}\n";
    return text;
}

int Depth(const std::pmr::vector<tessellon::VmfBlock>& blocks) {
    int depth = 0;
    for (const auto* level = &blocks; !level->empty(); level = &level->front().children) ++depth;
    return depth;
}

}  // namespace

TEST(KitImport, AFailedCheckLeavesTheOutputAndTheSourceAsTheyWere) {
    TempDir dir;
    const fs::path bad = dir.path() / "bad.vmf", good = dir.path() / "good.vmf", out = dir.path() / "hall.rgr";
    WriteFile(bad, HallVmf(false));
    WriteFile(good, HallVmf(true));
    WriteFile(out, "the room the user had\r\n");

    KitRun r = Kit({"import", bad.string(), "-o", out.string(), "--check"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("was not written"), std::string::npos) << r.err;
    EXPECT_EQ(ReadFile(out), "the room the user had\r\n");

    // Writing over the source itself: a failed check keeps the map, a passing one replaces it.
    const std::string map = ReadFile(bad);
    r = Kit({"import", bad.string(), "-o", bad.string(), "--check"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(ReadFile(bad), map);

    r = Kit({"import", good.string(), "-o", out.string(), "--check"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(roomkit::SplitLines(ReadFile(out)), GoodRoom());
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(dir.path())) left.push_back(e.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"bad.vmf", "good.vmf", "hall.rgr"}));
}

TEST(Catalogue, AnEmptyRoomFileThatCannotBeDeletedIsReportedOnceAndSkipped) {
    TestSession ts;
    const fs::path rooms = ts.dir.path() / "rooms";
    InstallTestRooms(ts.dir.path());
    const int shipped = static_cast<int>(tessellon::ListRoomFiles(rooms).size());
    WriteFile(rooms / "aaa_empty.rgr", "");
    int attempts = 0;
    const auto refuse = [&](const fs::path& file, std::error_code& ec) {
        if (++attempts > 5) throw std::runtime_error("the scan keeps trying to delete " + file.string());
        ec = std::make_error_code(std::errc::permission_denied);
        return false;
    };
    tessellon::Categorize(ts.s, refuse);
    EXPECT_EQ(attempts, 1);
    EXPECT_TRUE(fs::exists(rooms / "aaa_empty.rgr"));
    ASSERT_EQ(ts.s.RoomCatalogue.RoomCount(), shipped);
    for (int i = 1; i <= shipped; ++i)
        EXPECT_NE(ts.s.RoomCatalogue.Row(i).FilePath(), (rooms / "aaa_empty.rgr").string());
    int reports = 0;
    for (const auto& line : ts.ui.statuses)
        if (line.find((rooms / "aaa_empty.rgr").string()) != std::string::npos) ++reports;
    EXPECT_EQ(reports, 1);
}

TEST(RoomCheck, NumbersOutOfRangeAreReportedOnTheirLine) {
    const std::string huge(400, '9');
    Lines header = GoodRoom();
    header[3] = huge;                       // north X
    header[7] = "-" + huge + ".5";          // east X
    header[1] = "99999999999999999999999";  // genre
    const auto issues = roomkit::CheckRoom(header);
    EXPECT_TRUE(Mentions(issues, 4, "out of range")) << roomkit::FormatIssues("room", issues);
    EXPECT_TRUE(Mentions(issues, 8, "out of range")) << roomkit::FormatIssues("room", issues);
    EXPECT_TRUE(Mentions(issues, 2, "genre")) << roomkit::FormatIssues("room", issues);

    Lines body = GoodRoom();
    const auto origin = std::find(body.begin() + roomkit::kHeaderLines, body.end(), "origin");
    ASSERT_NE(origin, body.end());
    origin[1] = "0 " + huge + " 0";
    const int line = static_cast<int>(origin - body.begin()) + 2;
    EXPECT_TRUE(Mentions(roomkit::CheckRoom(body), line, "three numbers"))
        << roomkit::FormatIssues("room", roomkit::CheckRoom(body));

    TempDir dir;
    const KitRun r = Kit({"new", "-o", (dir.path() / "n.vmf").string(), "--type", "0", "--height", huge});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("height"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir.path() / "n.vmf"));
}

TEST(RoomCheck, LongAxisAndPositionValuesAreJudgedWithoutCrashing) {
    const Lines good = GoodRoom();
    ASSERT_TRUE(roomkit::CheckRoom(good).empty()) << roomkit::FormatIssues("room", roomkit::CheckRoom(good));
    const std::string longNumber(20000, '7');
    const struct {
        std::string key, value;
        bool ok;
    } cases[] = {
        {"uaxis", "[1 0 0 " + longNumber + "] 0.25", false},
        {"uaxis", "[1 0 0 " + std::string(20000, '0') + "] 0.25", true},
        {"uaxis", "[" + std::string(20000, ' ') + "] 0.25", false},
        {"vaxis", "[0 -1 0 0] 0.25", true},
        {"vaxis", "[0 -1 0 0 0] 0.25", false},
        {"vaxis", "[0 -1 0 0]0.25", false},
        {"vaxis", "[0 -1 0 0] 0.25 ", false},
        {"vaxis", "[0 - 0 0] 0.25", false},
    };
    for (const auto& c : cases) {
        Lines room = good;
        const auto at = std::find(room.begin() + roomkit::kHeaderLines, room.end(), c.key);
        ASSERT_NE(at, room.end());
        at[1] = c.value;
        const int line = static_cast<int>(at - room.begin()) + 2;
        const auto issues = roomkit::CheckRoom(room);
        EXPECT_EQ(Mentions(issues, line, "must be [x y z shift] scale"), !c.ok) << c.value.substr(0, 40);
    }
    // startposition belongs to displacements; a room need not have one to be judged.
    Lines room = good;
    const auto side = std::find(room.begin() + roomkit::kHeaderLines, room.end(), "side");
    ASSERT_NE(side, room.end());
    room.insert(side + 2, {"startposition", "[" + longNumber + " 0 0]"});
    EXPECT_TRUE(Mentions(roomkit::CheckRoom(room), 0, "startposition \"[777"))
        << roomkit::FormatIssues("room", roomkit::CheckRoom(room));
}

TEST(Nesting, DeeplyNestedBlocksAreCutOffWithAMessageNamingTheLine) {
    const int deep = 100000;
    const std::string text = NestedMap(deep);

    const tessellon::VmfDocument doc = tessellon::ReadVmfText(text);
    EXPECT_EQ(Depth(doc.blocks), tessellon::kMaxBlockNesting);
    ASSERT_FALSE(doc.errors.empty());
    const int firstTooDeep = 2 * tessellon::kMaxBlockNesting + 1;
    EXPECT_EQ(doc.errors.front().at.line, firstTooDeep);
    EXPECT_NE(doc.errors.front().message.find("nest"), std::string::npos) << doc.errors.front().message;
    EXPECT_EQ(doc.errors.size(), 1u);  // one report, and the closing braces still balance

    const tessellon::VmfDocument lines = tessellon::ReadVmfTokenLines(roomkit::SplitLines(text));
    EXPECT_EQ(Depth(lines.blocks), tessellon::kMaxBlockNesting);
    ASSERT_EQ(lines.errors.size(), 1u);
    EXPECT_EQ(lines.errors.front().at.line, firstTooDeep);

    // Real maps nest a few levels; the cap is far above them.
    EXPECT_TRUE(tessellon::ReadVmfText(NestedMap(tessellon::kMaxBlockNesting)).errors.empty());
    EXPECT_NO_THROW(roomkit::ParseVmf(NestedMap(tessellon::kMaxBlockNesting)));

    try {
        roomkit::ParseVmf(text);
        ADD_FAILURE() << "a map nested " << deep << " deep was read";
    } catch (const roomkit::ParseError& e) {
        EXPECT_EQ(e.line, firstTooDeep);
        EXPECT_NE(e.message.find("nest"), std::string::npos) << e.message;
    }

    // The same nesting inside a room file's body.
    Lines room = GoodRoom();
    const auto worldEnd = std::find(room.begin(), room.end(), roomkit::kWorldEndMarker);
    ASSERT_NE(worldEnd, room.end());
    const auto at = static_cast<int>(worldEnd - room.begin());
    Lines nested{"solid", "{"};
    for (int i = 1; i < deep; ++i) nested.insert(nested.end(), {"side", "{"});
    nested.insert(nested.end(), static_cast<size_t>(deep), "}");
    room.insert(worldEnd, nested.begin(), nested.end());
    const auto issues = roomkit::CheckRoom(room);
    EXPECT_TRUE(Mentions(issues, at + 2 * tessellon::kMaxBlockNesting + 1, "nest"))
        << roomkit::FormatIssues("room", issues).substr(0, 2000);
}

TEST(Catalogue, WholeNumberColumnsRefuseNumbersBeyondTheIntegerRange) {
    using tessellon::kColRoomType;
    tessellon::RoomRecord r;
    // A room type of 128 digits once went through an integer conversion of its own size.
    for (const std::string& text : {std::string(128, '6'), std::string("1e300"), std::string("-1e19"),
                                    std::string("2147483648"), std::string("-2147483649"), std::string("2.5")}) {
        r[kColRoomType] = text;
        EXPECT_FALSE(r.WholeNumber(kColRoomType).has_value()) << text;
        EXPECT_EQ(tessellon::RoomTypeName(text), "<unknown> (Not Supported)") << text;
    }
    r[kColRoomType] = "2147483647";
    EXPECT_EQ(r.WholeNumber(kColRoomType), 2147483647);
    r[kColRoomType] = "-2147483648";
    EXPECT_EQ(r.WholeNumber(kColRoomType), -2147483648LL);
    r[kColRoomType] = "3";
    EXPECT_EQ(r.WholeNumber(kColRoomType), 3);
}

TEST(Nesting, SteamKeyValueBlocksNestedTooDeepAreRefusedNamingTheLine) {
    // Each block's key on a line of its own and its brace on the next.
    const auto nested = [](int depth) {
        std::string text;
        for (int i = 0; i < depth; ++i) text += "\"k\"\n{\n";
        return text + std::string(static_cast<size_t>(depth), '}');
    };
    const int cap = tessellon::kMaxBlockNesting;
    std::string error;
    const auto atCap = tessellon::ReadVdf(nested(cap), &error);
    ASSERT_TRUE(atCap.has_value()) << error;
    int depth = 0;
    for (const auto* level = &*atCap; !level->empty(); level = &level->front().children) ++depth;
    EXPECT_EQ(depth, cap);

    // Once hundreds of thousands deep ran the reader off the stack.
    for (const int deep : {cap + 1, 200000}) {
        error.clear();
        EXPECT_FALSE(tessellon::ReadVdf(nested(deep), &error).has_value()) << deep;
        EXPECT_EQ(error.rfind("line " + std::to_string(2 * cap + 2) + ": ", 0), 0u) << error;
        EXPECT_NE(error.find("nested more than 64"), std::string::npos) << error;
        EXPECT_TRUE(tessellon::LibraryFoldersFromVdf(nested(deep)).empty());
    }
}

TEST(KitExport, HugeIdsDoNotOverflowTheFreshIds) {
    // An id at the top of the 64-bit range once made the next fresh id overflow.
    Lines lines = FileLines(SourceFile("rooms/oneway_plain.rgr"));
    const auto id = std::find(lines.begin() + 21, lines.end(), "id");
    ASSERT_NE(id, lines.end());
    *(id + 1) = "9223372036854775807";
    const roomkit::Node map = roomkit::ExportRoom(lines);
    const roomkit::Node* world = nullptr;
    for (const auto& n : map.children)
        if (n.isBlock && n.key == "world") world = &n;
    ASSERT_NE(world, nullptr);
    const std::string worldId = world->Get("id");
    ASSERT_FALSE(worldId.empty());
    EXPECT_NE(worldId[0], '-');
    EXPECT_LE(std::stoll(worldId), 2147483647LL);
}
