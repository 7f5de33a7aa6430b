#include "driver/room_manager.h"

#include <system_error>

#include "session/report.h"
#include "session/session.h"

namespace tessellon {

namespace fs = std::filesystem;

std::string FileNamePart(std::string path) {
    if (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    const auto slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::vector<std::string> RoomListEntries(const Catalogue& catalogue) {
    std::vector<std::string> entries;
    entries.reserve(static_cast<std::size_t>(catalogue.RoomCount()));
    for (int i = 1; i <= catalogue.RoomCount(); ++i) entries.push_back(FileNamePart(catalogue.Row(i).FilePath()));
    return entries;
}

int ReselectIndex(int remembered, int entries) {
    if (entries <= 0 || remembered < 0) return -1;
    return remembered > entries - 1 ? entries - 1 : remembered;
}

namespace {

bool ValidIndex(const Session& s, int index) { return index >= 0 && index < s.RoomCatalogue.RoomCount(); }

fs::path RoomFileOf(const Session& s, int index) {
    return s.programFolder / "rooms" / FileNamePart(s.RoomCatalogue.Row(index + 1).FilePath());
}

}  // namespace

RoomDetails DetailsOf(const Session& s, int index) {
    RoomDetails d;
    if (!ValidIndex(s, index)) return d;
    const RoomRecord& r = s.RoomCatalogue.Row(index + 1);
    d.name = r[kColName];
    d.type = RoomTypeName(r[kColRoomType]);
    d.genre = "Genre #" + r[kColGenre];
    d.author = r[kColAuthor];
    d.description = r[kColDescription];
    std::error_code ec;
    const auto bytes = fs::file_size(RoomFileOf(s, index), ec);
    d.size = ec ? "(file not found)" : std::to_string(bytes) + " bytes";
    return d;
}

bool RefreshRooms(Session& s) {
    if (s.RoomTestMode) {
        s.ui.MessageBox("No!", "You cannot refresh while map testing ban mode is on!", BoxIcon::Critical,
                        BoxButtons::Ok);
        return false;
    }
    Categorize(s);
    s.ui.SetStatus("Ready...");
    MrProg(s, 0);
    return true;
}

bool EnterRoomTestMode(Session& s, int index) {
    if (!ValidIndex(s, index)) return false;
    const int k = index + 1;
    const std::string type = s.RoomCatalogue.Row(k)[kColRoomType];
    for (int j = 1; j <= s.RoomCatalogue.RoomCount(); ++j)
        if (j != k && s.RoomCatalogue.Row(j)[kColRoomType] == type)
            s.RoomCatalogue.Row(j)[kColRoomType] = std::to_string(kBlockedRoomType);
    s.ui.MessageBox("Test Map",
                    "All room of this type has now been locked. The room that you have selected as your test room "
                    "will be the only one that can be used. To reset this, press this button again.",
                    BoxIcon::Information, BoxButtons::Ok);
    s.RoomTestMode = true;
    s.RoomTestFile = s.RoomCatalogue.Row(k).FilePath();
    return true;
}

void LeaveRoomTestMode(Session& s) {
    s.ui.MessageBox("Test Map", "Room test mode of, room bans restored.", BoxIcon::Information, BoxButtons::Ok);
    s.RoomTestMode = false;
    s.RoomTestFile.clear();
    RefreshRooms(s);
}

DeleteOutcome DeleteRoom(Session& s, int index, const RemoveFileFunction& removeFile) {
    if (!ValidIndex(s, index)) return DeleteOutcome::Cancelled;
    if (s.ui.MessageBox("Delete Room!", "Warning! This room will be removed permanently if you continiune!",
                        BoxIcon::Critical, BoxButtons::OkCancel) != BoxAnswer::Ok)
        return DeleteOutcome::Cancelled;
    const fs::path file = RoomFileOf(s, index);
    std::error_code ec;
    const bool removed = removeFile(file, ec);
    if (ec || (!removed && fs::exists(file))) {
        s.ui.MessageBox("Delete Room!",
                        "The room file " + file.string() + " could not be deleted" +
                            (ec ? " (" + ec.message() + ")" : std::string()) + ". Nothing was changed.",
                        BoxIcon::Critical, BoxButtons::Ok);
        return DeleteOutcome::Failed;
    }
    const bool wasTestRoom = s.RoomTestMode && s.RoomCatalogue.Row(index + 1).FilePath() == s.RoomTestFile;
    s.RoomCatalogue.Erase(index + 1);
    for (int i = 0; i < 7; ++i) s.ui.Yield();
    if (wasTestRoom) {
        // Its type has no room left while the others are blocked: lift the blocks.
        s.RoomTestMode = false;
        s.RoomTestFile.clear();
        s.ui.MessageBox("Test Map",
                        "The room under test was deleted, so room test mode is off and the other rooms of its "
                        "type can be used again.",
                        BoxIcon::Information, BoxButtons::Ok);
        RefreshRooms(s);
    }
    return DeleteOutcome::Deleted;
}

DeleteOutcome DeleteRoom(Session& s, int index) {
    return DeleteRoom(s, index, [](const fs::path& file, std::error_code& ec) { return fs::remove(file, ec); });
}

fs::path RoomKitProgram(const Session& s) {
#ifdef _WIN32
    return s.programFolder / "tessellonsdk.exe";
#else
    return s.programFolder / "tessellonsdk";
#endif
}

bool LaunchRoomKit(Session& s) {
    // Kits started earlier that have ended are let go.
    auto& started = s.StartedPrograms;
    for (auto it = started.begin(); it != started.end();)
        it = (*it)->Wait(0) == WaitResult::TimedOut ? it + 1 : started.erase(it);
    StartOptions options;
    options.windowStyle = kWindowNormalFocus;
    try {
        started.push_back(s.processes->Start(QuoteArgument(RoomKitProgram(s).string()), options));
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace tessellon
