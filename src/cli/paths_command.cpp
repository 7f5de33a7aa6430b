#include <filesystem>

#include "cli/cli.h"
#include "paths/accounts.h"
#include "paths/steam_folder.h"
#include "platform/registry.h"

namespace tessellon {

namespace fs = std::filesystem;

namespace {

const char* const kPathsHelp =
    "Usage: tessellon paths [--home DIR] [--steam DIR] [--account NAME]\n"
    "Shows where Half-Life 2 and the map compilers were found: the Steam folder and how it was\n"
    "found (spath.idf in the program folder, the registry, or a usual Steam folder), every place\n"
    "looked at, the accounts with what each holds, the chosen account's layout, game and compiler\n"
    "paths, and what is missing.\n\n"
    "  --home DIR      program folder (default: $TESSELLON_HOME, else the executable's folder)\n"
    "  --steam DIR     use this Steam folder instead of looking for one\n"
    "  --account NAME  report on this account (default: the saved one, else the first usable)\n\n"
    "Exit status: 0 an account with the game and all three compilers was found; 1 something is\n"
    "missing (said on stdout); 2 usage error.\n";

const char* Found(const std::string& file) { return FileExists(file) ? "found" : "MISSING"; }

std::string AccountLine(const AccountEntry& a) {
    const AccountStatus st = CheckAccount(a.folder);
    return a.name + ": " + (st.hl2Installed ? "HL2 Installed" : "no HL2") + ", " +
           (st.sdkInstalled ? "Source SDK Installed" : "no compilers") + "  (" + a.folder + ")";
}

}  // namespace

AccountPick PickAccount(const fs::path& home, Registry& registry, const std::string& steamOption,
                        const std::string& accountOption) {
    AccountPick pick;
    if (steamOption.empty() && accountOption.empty()) {
        const SavedPathsCheck saved = CheckSavedPaths(home, "", false);
        if (saved.usable) {
            pick.ok = true;
            pick.HL2Path = saved.HL2Path;
            pick.name = saved.accountName;
            pick.how = "saved in hl2path.ini";
            pick.warnings = saved.warnings;
            return pick;
        }
        pick.savedProblem = saved.reason;
    }
    AccountChooser chooser(home, registry);
    const bool listed = steamOption.empty() ? chooser.ReadUsers() : chooser.ReadUsersFrom(steamOption);
    if (!listed) {
        pick.problem = "no Steam folder was found. Looked at:";
        for (const auto& l : chooser.steam.lookedAt) pick.problem += "\n  " + l;
        pick.problem += "\nGive the Steam folder with --steam DIR.";
        return pick;
    }
    if (!accountOption.empty()) {
        if (!chooser.SelectByName(accountOption)) {
            pick.problem = "there is no account \"" + accountOption + "\" under " + chooser.steam.steamapps + ".";
            return pick;
        }
    } else {
        for (std::size_t i = 0; i < chooser.accounts.size() && !chooser.okEnabled; ++i)
            chooser.Select(static_cast<int>(i));
    }
    if (!chooser.okEnabled) {
        pick.problem =
            accountOption.empty()
                ? "no account under " + chooser.steam.steamapps + " holds both Half-Life 2 and the map compilers."
                : "the account \"" + accountOption + "\" lacks Half-Life 2 or the map compilers.";
        return pick;
    }
    const AccountEntry& chosen = chooser.accounts[static_cast<std::size_t>(chooser.selected)];
    pick.ok = true;
    pick.HL2Path = chosen.folder;
    pick.name = chosen.name;
    pick.how = std::string("under the Steam folder ") + SteamSourceName(chooser.steam.source);
    const GamePaths g = GamePathsFor(pick.HL2Path);
    if (!FileExists(g.vvis))
        pick.warnings.push_back(
            "Vvis.exe could not be found in your sourcesdk/bin folder. You will not be able to compile your maps "
            "correctly!");
    if (!FileExists(g.vrad))
        pick.warnings.push_back(
            "Vrad.exe could not be found in your sourcesdk/bin folder. You will not be able to compile your maps "
            "correctly!");
    return pick;
}

int RunPathsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (WantsHelp(args)) {
        out << kPathsHelp;
        return kExitOk;
    }
    std::string homeOption, steamOption, accountOption;
    try {
        for (std::size_t i = 0; i < args.size(); ++i) {
            const std::string& a = args[i];
            auto value = [&]() -> const std::string& {
                if (i + 1 >= args.size()) throw UsageError(a + " needs a value.");
                return args[++i];
            };
            if (a == "--home") homeOption = value();
            else if (a == "--steam") steamOption = value();
            else if (a == "--account") accountOption = value();
            else throw UsageError("unknown option \"" + a + "\". See tessellon paths --help.");
        }
    } catch (const UsageError& e) {
        err << "tessellon paths: " << e.what() << '\n';
        return kExitUsage;
    }
    fs::path home;
    if (!FindProgramFolder("paths", homeOption, err, home)) return kExitUsage;

    SystemRegistry registry;
    const AccountPick pick = PickAccount(home, registry, steamOption, accountOption);
    // The Steam folder is reported even when the saved account makes it unnecessary.
    AccountChooser chooser(home, registry);
    const bool listed = steamOption.empty() ? chooser.ReadUsers() : chooser.ReadUsersFrom(steamOption);
    if (listed)
        out << "Steam folder: " << fs::path(chooser.steam.steamapps).parent_path().parent_path().string() << " ("
            << SteamSourceName(chooser.steam.source) << ")\n";
    else out << "No Steam folder was found.\n";
    out << "Looked at:\n";
    for (const auto& l : chooser.steam.lookedAt) out << "  " << l << '\n';
    if (listed) {
        out << "Accounts:\n";
        if (chooser.accounts.empty()) out << "  (none)\n";
        for (const auto& a : chooser.accounts) out << "  " << AccountLine(a) << '\n';
    }
    if (!pick.savedProblem.empty()) out << "Saved account: not used (" << pick.savedProblem << ")\n";
    if (!pick.ok) {
        if (listed) out << "Missing: " << pick.problem << '\n';
        else out << "Give the Steam folder with --steam DIR, or save it in " << (home / "spath.idf").string() << ".\n";
        return kExitFailed;
    }
    const GamePaths g = GamePathsFor(pick.HL2Path);
    out << "Chosen account: " << pick.name << " (" << pick.how << ")\n"
        << "HL2Path: " << g.HL2Path << '\n'
        << "Layout: " << GameLayoutName(g.layout) << '\n'
        << "Game: " << g.gameExe << " (" << Found(g.gameExe) << ")\n"
        << "Game folder: " << g.gameFolder << '\n'
        << "Maps folder: " << g.mapsFolder << '\n'
        << "vbsp: " << g.vbsp << " (" << Found(g.vbsp) << ")\n"
        << "vvis: " << g.vvis << " (" << Found(g.vvis) << ")\n"
        << "vrad: " << g.vrad << " (" << Found(g.vrad) << ")\n";
    const auto missing = g.Missing();
    if (missing.empty()) {
        out << "Missing: nothing\n";
        return kExitOk;
    }
    out << "Missing:";
    for (const auto& m : missing) out << ' ' << m;
    out << '\n';
    return kExitFailed;
}

}  // namespace tessellon
