#pragma once
// The room manager's work, apart from its widgets: the list of room files, the details of the
// selected room, room test mode, deleting a room and starting the room kit.
#include <filesystem>
#include <string>
#include <vector>

#include "rooms/catalogue.h"

namespace tessellon {

struct Session;

// The text the main window's caption carries while room test mode is on.
inline constexpr const char* kTestModeCaption = " - Room Test Mode: ON";

// The list entry of every catalogue row 1..RoomCount: the file name of its path.
std::vector<std::string> RoomListEntries(const Catalogue& catalogue);
// The file name of a path: the text after its last "\" or "/", a trailing one dropped first.
std::string FileNamePart(std::string path);
// Where the list's selection goes after it was rebuilt: the remembered index, or the last entry
// when the list got shorter; -1 stays -1, and an empty list has none.
int ReselectIndex(int remembered, int entries);

// The six detail boxes for the list entry `index` (0-based; its catalogue row is index + 1).
struct RoomDetails {
    std::string name, type, genre, size, author, description;
};
RoomDetails DetailsOf(const Session& s, int index);

// Refresh: re-reads the rooms folder. Refused with a box while room test mode is on; false then.
bool RefreshRooms(Session& s);

// Test This Room on list entry `index`: every other room of its type is blocked, so a build
// can only take this one. False (and nothing changes) without a selection.
bool EnterRoomTestMode(Session& s, int index);
// Restore Room Test Mode: the blocks are lifted by re-reading the rooms folder.
void LeaveRoomTestMode(Session& s);

enum class DeleteOutcome { Cancelled, Deleted, Failed };
// Delete This Room on list entry `index`, after the user confirms. The file goes and its row
// leaves the catalogue at once, so no build can take it. Deleting the room under test ends
// room test mode (its type would have no room left). A file that cannot be removed is named in
// a box and nothing changes.
DeleteOutcome DeleteRoom(Session& s, int index, const RemoveFileFunction& removeFile);
DeleteOutcome DeleteRoom(Session& s, int index);

// Launch Tessellon SDK: starts the room kit beside the program in a normal window, without
// waiting. False when it could not be started (the panel says nothing then).
bool LaunchRoomKit(Session& s);
// The room kit's file beside the program.
std::filesystem::path RoomKitProgram(const Session& s);

}  // namespace tessellon
