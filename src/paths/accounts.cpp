#include "paths/accounts.h"

#include <algorithm>
#include <charconv>
#include <cctype>
#include <fstream>
#include <sstream>

#include "check/vmf_reader.h"
#include "paths/vdf_reader.h"
#include "platform/registry.h"
#include "session/text_helpers.h"

namespace tessellon {

namespace fs = std::filesystem;

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::string WithoutFinalSeparator(std::string s) {
    while (s.size() > 1 && IsSeparator(s.back())) s.pop_back();
    return s;
}

bool IsFolder(const fs::path& p) {
    std::error_code ec;
    return fs::is_directory(p, ec);
}

std::string Trim(const std::string& s) {
    std::size_t a = 0, b = s.size();
    while (a < b && (s[a] == ' ' || s[a] == '\t')) ++a;
    while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t')) --b;
    return s.substr(a, b - a);
}

std::string ReadWhole(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// Two spellings of one folder, compared loosely: letter case and final separators aside.
std::string FolderKey(const std::string& folder) {
    std::string k = LowerCase(WithoutFinalSeparator(folder));
    std::replace(k.begin(), k.end(), '\\', '/');
    return k;
}

}  // namespace

std::string ToRight(const std::string& path, int* pointer) {
    int p = 0;
    const int n = static_cast<int>(path.size());
    for (int i = 1; i <= n - 1; ++i)
        if (IsSeparator(path[static_cast<std::size_t>(i - 1)])) p = i;
    if (pointer) *pointer = p;
    if (n > 0 && IsSeparator(path.back())) return path.substr(static_cast<std::size_t>(p), static_cast<std::size_t>(n - 1 - p));
    return path.substr(static_cast<std::size_t>(p));
}

const char* GameLayoutName(GameLayout layout) {
    return layout == GameLayout::Legacy ? "account folder with half-life 2 and sourcesdk"
                                        : "steamapps/common/Half-Life 2 with the compilers in its bin folder";
}

std::vector<std::string> GamePaths::Missing() const {
    std::vector<std::string> out;
    for (const std::string* f : {&gameExe, &vbsp, &vvis, &vrad})
        if (!FileExists(*f)) out.push_back(*f);
    return out;
}

GamePaths GamePathsFor(const std::string& hl2Path) {
    GamePaths g;
    g.HL2Path = hl2Path;
    const fs::path root(WithoutFinalSeparator(hl2Path));
    const fs::path game = ResolveNoCase(root, "half-life 2");
    const fs::path legacyBin = ResolveNoCase(root, "sourcesdk/bin");
    const fs::path currentBin = ResolveNoCase(game, "bin");
    const bool legacy = FileExists(ResolveNoCase(legacyBin, "vbsp.exe"));
    g.layout = !legacy && FileExists(ResolveNoCase(currentBin, "vbsp.exe")) ? GameLayout::Current : GameLayout::Legacy;
    const fs::path bin = g.layout == GameLayout::Legacy ? legacyBin : currentBin;
    g.gameExe = ResolveNoCase(game, "hl2.exe").string();
    const fs::path gameFolder = ResolveNoCase(game, "hl2");
    g.gameFolder = gameFolder.string();
    g.mapsFolder = WithFinalSeparator(ResolveNoCase(gameFolder, "maps").string());
    g.vbsp = ResolveNoCase(bin, "vbsp.exe").string();
    g.vvis = ResolveNoCase(bin, "vvis.exe").string();
    g.vrad = ResolveNoCase(bin, "vrad.exe").string();
    return g;
}

AccountStatus CheckAccount(const std::string& accountFolder) {
    const GamePaths g = GamePathsFor(accountFolder);
    return {FileExists(g.gameExe), FileExists(g.vbsp)};
}

std::vector<AccountEntry> ListAccounts(const std::string& steamappsPath) {
    std::vector<AccountEntry> out;
    const std::string folder = WithoutFinalSeparator(steamappsPath);
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), stop; !ec && it != stop; it.increment(ec)) {
        std::error_code dirEc;
        if (!it->is_directory(dirEc)) continue;
        const std::string name = ToRight(it->path().string());
        if (!NamesEqual(name, "sourcemods")) names.push_back(name);
    }
    // The folder list shows its folders by name.
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::string la = LowerCase(a), lb = LowerCase(b);
        return la != lb ? la < lb : a < b;
    });
    for (const auto& n : names) out.push_back({n, folder + kPathSeparator + n});

    // Further Steam libraries hold today's layout only.
    const fs::path steamFolder = fs::path(folder).parent_path();
    std::vector<std::string> seen{FolderKey(steamFolder.string())};
    for (const fs::path& vdf : {ResolveNoCase(fs::path(folder), "libraryfolders.vdf"),
                                ResolveNoCase(steamFolder, "config/libraryfolders.vdf")}) {
        if (!FileExists(vdf)) continue;
        for (const std::string& library : LibraryFoldersFromVdf(ReadWhole(vdf))) {
            const std::string key = FolderKey(library);
            if (std::find(seen.begin(), seen.end(), key) != seen.end()) continue;
            seen.push_back(key);
            const fs::path common = ResolveNoCase(fs::path(library), "steamapps/common");
            if (IsFolder(ResolveNoCase(common, "half-life 2")))
                out.push_back({"common (" + WithoutFinalSeparator(library) + ")", common.string()});
        }
    }
    return out;
}

std::string Hl2PathIniText(bool isDefault, const std::string& accountFolder) {
    return std::string(isDefault ? " 1 " : " 0 ") + "\r\n" + accountFolder + "\r\n";
}

bool WriteHl2PathIni(const fs::path& programFolder, bool isDefault, const std::string& accountFolder) {
    return ReplaceFileText(programFolder / "hl2path.ini", Hl2PathIniText(isDefault, accountFolder));
}

std::optional<SavedAccount> ReadHl2PathIni(const fs::path& programFolder) {
    const fs::path file = programFolder / "hl2path.ini";
    if (!FileExists(file)) return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::string first, second;
    std::getline(in, first);
    std::getline(in, second);
    for (std::string* l : {&first, &second})
        if (!l->empty() && l->back() == '\r') l->pop_back();
    SavedAccount saved;
    const std::string number = Trim(first);
    int firstLine = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), firstLine);
    if (!number.empty() && number[0] != '-' && ec == std::errc() && end == number.data() + number.size())
        saved.firstLine = firstLine;
    saved.folder = Trim(second);
    return saved;
}

SavedPathsCheck CheckSavedPaths(const fs::path& programFolder, const std::string& HL2Path, bool shownHL2Path) {
    SavedPathsCheck r;
    std::string path = HL2Path;
    if (path.empty()) {
        const auto saved = ReadHl2PathIni(programFolder);
        if (!saved) {
            r.reason = (programFolder / "hl2path.ini").string() + " is missing";
            return r;
        }
        if (saved->firstLine != 1 && !shownHL2Path) {
            r.reason = "hl2path.ini does not name a default account";
            return r;
        }
        path = saved->folder;
    }
    if (path.empty()) {
        r.reason = "hl2path.ini names no account folder";
        return r;
    }
    const GamePaths g = GamePathsFor(path);
    for (const std::string* f : {&g.gameExe, &g.vbsp})
        if (!FileExists(*f)) {
            r.reason = *f + " is missing";
            return r;
        }
    if (!FileExists(g.vvis))
        r.warnings.push_back("Vvis.exe could not be found in your sourcesdk/bin folder. You will not be able to compile your maps correctly!");
    if (!FileExists(g.vrad))
        r.warnings.push_back("Vrad.exe could not be found in your sourcesdk/bin folder. You will not be able to compile your maps correctly!");
    r.usable = true;
    r.HL2Path = path;
    r.accountName = ToRight(path);
    return r;
}

AccountChooser::AccountChooser(fs::path programFolder, Registry& registry, std::vector<fs::path> usualFolders)
    : programFolder_(std::move(programFolder)), registry_(registry), usualFolders_(std::move(usualFolders)) {}

bool AccountChooser::ReadUsers() {
    steam = DiscoverSteam(programFolder_, registry_, usualFolders_);
    if (!steam.Found()) {
        accounts.clear();
        Select(-1);
        return false;
    }
    return Fill(steam.steamapps);
}

bool AccountChooser::ReadUsersFrom(const std::string& steamFolder) {
    steam = SteamDiscovery{};
    steam.lookedAt.push_back(steamFolder + (IsSteamFolder(steamFolder) ? ": Steam folder" : ": no Steam client files"));
    if (!IsSteamFolder(steamFolder)) {
        accounts.clear();
        Select(-1);
        return false;
    }
    steam.source = SteamSource::Given;
    steam.steamapps = WithFinalSeparator(ResolveNoCase(fs::path(steamFolder), "steamapps").string());
    return Fill(steam.steamapps);
}

bool AccountChooser::Fill(const std::string& steamappsPath) {
    accounts.clear();
    Select(-1);
    if (!IsFolder(WithoutFinalSeparator(steamappsPath))) return false;
    accounts = ListAccounts(steamappsPath);
    // The saved account first (with its default tick, so confirming it again keeps it), else
    // the first that can be confirmed, else the first.
    const auto saved = ReadHl2PathIni(programFolder_);
    makeDefault = saved && saved->firstLine == 1;
    int pick = -1;
    for (std::size_t i = 0; saved && i < accounts.size() && pick < 0; ++i)
        if (!saved->folder.empty() && FolderKey(accounts[i].folder) == FolderKey(saved->folder)) pick = static_cast<int>(i);
    for (std::size_t i = 0; i < accounts.size() && pick < 0; ++i)
        if (CheckAccount(accounts[i].folder).CanConfirm()) pick = static_cast<int>(i);
    if (!accounts.empty()) Select(pick < 0 ? 0 : pick);
    return true;
}

void AccountChooser::Select(int index) {
    if (index < 0 || index >= static_cast<int>(accounts.size())) {
        selected = -1;
        okEnabled = false;
        return;
    }
    selected = index;
    status = CheckAccount(accounts[static_cast<std::size_t>(index)].folder);
    okEnabled = status.CanConfirm();
}

bool AccountChooser::SelectByName(const std::string& name) {
    for (std::size_t i = 0; i < accounts.size(); ++i)
        if (NamesEqual(accounts[i].name, name)) {
            Select(static_cast<int>(i));
            return true;
        }
    return false;
}

std::optional<std::string> AccountChooser::Confirm() {
    if (selected < 0 || !okEnabled) return std::nullopt;
    const std::string& folder = accounts[static_cast<std::size_t>(selected)].folder;
    if (!WriteHl2PathIni(programFolder_, makeDefault, folder)) return std::nullopt;
    return folder;
}

}  // namespace tessellon
