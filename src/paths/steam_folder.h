#pragma once
#include <filesystem>
#include <string>
#include <vector>

namespace tessellon {

class Registry;
class Ui;

// The folder separator the program writes into its paths and command lines.
#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

// Writes `text` to `target` through a temporary name beside it and a rename, so an earlier
// file is never left half written. False when the file could not be written.
bool ReplaceFileText(const std::filesystem::path& target, const std::string& text);

// `text` without the characters whose code is 31 or less (line breaks, tabs, ...).
std::string DeadChars(const std::string& text);

// True when the length of the named file can be read: a missing file or a folder gives false.
bool FileExists(const std::filesystem::path& file);

// The path `relative` (folders split by '\' or '/') under `base`, each part matched without
// regard to letter case against what is on disk; parts that do not exist are kept as written.
std::filesystem::path ResolveNoCase(const std::filesystem::path& base, const std::string& relative);

// A folder is a Steam folder when it holds "Steam.exe" and "steam.dll"; on other systems the
// Linux client's "steam.sh" beside a "steamapps" folder counts as well.
bool IsSteamFolder(const std::filesystem::path& folder);

// The folder with its final separator, as it is saved and shown.
std::string WithFinalSeparator(const std::string& folder);

// The steamapps path built from spath.idf in the program folder, or the empty text when the
// file is missing, unreadable or names no Steam folder.
std::string InternalSteamPath(const std::filesystem::path& programFolder);

// Saves the Steam folder in spath.idf (the folder with its final separator and a line break),
// through a temporary name so an earlier file is never left half written. False on failure.
bool SaveSteamFolder(const std::filesystem::path& programFolder, const std::string& steamFolder);

// The steamapps path from the Steam client's registry entry: the local machine's
// "SOFTWARE\Valve\Steam" "installpath" (also in the 32-bit view, where a 64-bit system keeps it),
// else the current user's "Software\Valve\Steam" "SteamPath". Empty when none is set.
std::string RegistrySteamPath(Registry& registry);

// Where the Steam client of a Linux desktop usually lives (installed from the distribution, as a
// Flatpak or as a Snap), for systems without a registry.
std::vector<std::filesystem::path> UsualSteamFolders();

enum class SteamSource { None, SavedFile, Registry, UsualFolder, Given };
const char* SteamSourceName(SteamSource source);

// The Steam folder and how it was found, with every place looked at (for the report of the
// headless front end and for the message when nothing was found).
struct SteamDiscovery {
    SteamSource source = SteamSource::None;
    std::string steamapps;               // the steamapps path with its final separator; empty when not found
    std::vector<std::string> lookedAt;   // "place: what was there", in the order tried
    bool Found() const { return source != SteamSource::None; }
};

// spath.idf first, then the registry, then (without a registry answer) the first usual folder
// with a Steam client; every usual folder is noted in lookedAt.
SteamDiscovery DiscoverSteam(const std::filesystem::path& programFolder, Registry& registry,
                             const std::vector<std::filesystem::path>& usualFolders = UsualSteamFolders());

// The logic of the Steam folder window ("Specify Steam Manually"): the window shows these
// fields and calls these commands from its event handlers.
class SteamPathChooser {
public:
    static constexpr int kGreen = 65280;
    static constexpr int kRed = 255;

    SteamPathChooser(Ui& ui, std::filesystem::path programFolder);

    // The folder list's current folder.
    std::string folder;
    // What the window shows: the colour of the arrows and the button, the button's caption
    // and the status label.
    int colour = kRed;
    std::string caption = "Quit";
    std::string label = "Steam was not detected in the selected folder.";

    // Window loaded or folder list changed: CheckExist(false). True when the folder was
    // accepted and saved: the window then hides itself and shows the account window.
    bool FolderChanged(const std::string& newFolder);
    // The button: "Quit" ends the program (throws ProgramEnd), "Continiune" saves the folder
    // without asking. True when the folder was accepted and saved.
    bool PressButton();

    bool CheckExist(bool direct);
    void ChangeFoundMode(bool foundMode);

private:
    Ui& ui_;
    std::filesystem::path programFolder_;
};

}  // namespace tessellon
