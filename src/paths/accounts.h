#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "paths/steam_folder.h"

namespace tessellon {

class Registry;

// The last part of a path: everything after the last '\' or '/' that is not the final
// character, without a final separator. `pointer` (when given) receives the position of that
// separator counted from 1, or 0 when there is none.
std::string ToRight(const std::string& path, int* pointer = nullptr);

// Two layouts of an installation. Legacy: an account folder under steamapps holding
// "half-life 2" (hl2.exe, hl2) and "sourcesdk\bin" (the compilers). Current: a library's
// "steamapps\common" folder holding "Half-Life 2" with hl2.exe, hl2 and the compilers in its
// "bin" folder. In both, HL2Path is the folder that holds the game's folder.
enum class GameLayout { Legacy, Current };
const char* GameLayoutName(GameLayout layout);

// Every game and compiler path of the program, built from HL2Path (folder names matched
// without regard to letter case).
struct GamePaths {
    std::string HL2Path;
    GameLayout layout = GameLayout::Legacy;
    std::string gameExe;     // half-life 2\hl2.exe
    std::string gameFolder;  // half-life 2\hl2, handed to the compilers and the game
    std::string mapsFolder;  // half-life 2\hl2\maps\ (with its final separator)
    std::string vbsp, vvis, vrad;

    // The files of the above that are not there, in the order game, vbsp, vvis, vrad.
    std::vector<std::string> Missing() const;
};

// The layout is the current one when the legacy compiler is missing and the game's own bin
// folder has it; otherwise the legacy one.
GamePaths GamePathsFor(const std::string& hl2Path);

// What the account window shows for one account.
struct AccountStatus {
    bool hl2Installed = false;  // "HL2 Installed"
    bool sdkInstalled = false;  // "Source SDK Installed"
    bool CanConfirm() const { return hl2Installed && sdkInstalled; }
};
AccountStatus CheckAccount(const std::string& accountFolder);

// One entry of the account list: the name shown and the account folder it stands for.
struct AccountEntry {
    std::string name;
    std::string folder;
};

// The accounts under a steamapps path: every subfolder by name (without regard to case)
// except "sourcemods". When the Steam folder's libraryfolders.vdf names further libraries, the
// "common" folder of each that holds Half-Life 2 is added after them, named by its library.
std::vector<AccountEntry> ListAccounts(const std::string& steamappsPath);

// hl2path.ini: line 1 the default-account tick as the text writer writes a number (" 1 " or
// " 0 "), line 2 the account folder, each ended by carriage return and line feed.
std::string Hl2PathIniText(bool isDefault, const std::string& accountFolder);
// Written through a temporary name and a rename; false when the file could not be written.
bool WriteHl2PathIni(const std::filesystem::path& programFolder, bool isDefault, const std::string& accountFolder);

struct SavedAccount {
    std::optional<int> firstLine;  // nullopt when line 1 is not a number
    std::string folder;
};
// nullopt when the file is missing or unreadable. Blanks around the values are skipped.
std::optional<SavedAccount> ReadHl2PathIni(const std::filesystem::path& programFolder);

// The start-up check of the saved account: `HL2Path` as the main window holds it (read from
// hl2path.ini when empty), `shownHL2Path` whether the account window was already shown in this
// run. Unusable means: show the account window.
struct SavedPathsCheck {
    bool usable = false;
    std::string HL2Path;                // the account folder to use (empty when unusable)
    std::string accountName;            // what the main window shows for it
    std::vector<std::string> warnings;  // one "Warning!" box each (missing vvis, vrad)
    std::string reason;                 // why it is unusable, for the headless report
};
SavedPathsCheck CheckSavedPaths(const std::filesystem::path& programFolder, const std::string& HL2Path,
                                bool shownHL2Path);

// The logic of the account window ("Select User Account").
class AccountChooser {
public:
    AccountChooser(std::filesystem::path programFolder, Registry& registry,
                   std::vector<std::filesystem::path> usualFolders = UsualSteamFolders());

    SteamDiscovery steam;              // how the Steam folder was found
    std::vector<AccountEntry> accounts;
    int selected = -1;                 // index into accounts, -1 for none
    AccountStatus status;              // the two indicators, as last computed
    bool okEnabled = false;            // "OK / Start"
    bool makeDefault = false;          // "Select this account as the default user account."

    // Fills the account list and selects the account saved in hl2path.ini, else the first that
    // has the game and the compilers, else the first; the default tick follows the saved file.
    // False when no Steam folder was found (or its steamapps folder cannot be listed): the
    // Steam folder window takes over.
    bool ReadUsers();
    // Another Steam folder than the one discovery would find (given by the user).
    bool ReadUsersFrom(const std::string& steamFolder);
    // An account was clicked (-1: none selected).
    void Select(int index);
    // Selects the entry whose name matches without regard to case; false when there is none.
    bool SelectByName(const std::string& name);
    // "OK / Start": writes hl2path.ini and gives the chosen folder; nullopt when nothing usable
    // is selected or the file cannot be written.
    std::optional<std::string> Confirm();

private:
    bool Fill(const std::string& steamappsPath);

    std::filesystem::path programFolder_;
    Registry& registry_;
    std::vector<std::filesystem::path> usualFolders_;
};

}  // namespace tessellon
