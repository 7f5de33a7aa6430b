// Steam folder discovery, accounts, hl2path.ini, the game paths of both installation layouts
// and the report of `tessellon paths`.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "paths/accounts.h"
#include "paths/steam_folder.h"
#include "paths/vdf_reader.h"
#include "test_support.h"

namespace tessellon::testing {
namespace {

class MapRegistry final : public Registry {
public:
    std::map<std::string, std::string> values;  // "root|key|value" -> text
    std::optional<std::string> ReadString(RegistryRoot root, const std::string& key, const std::string& value) override {
        const auto it = values.find(std::string(root == RegistryRoot::LocalMachine ? "HKLM" : "HKCU") + "|" + key + "|" + value);
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
};

std::string Sep(const fs::path& p) { return WithFinalSeparator(p.string()); }

void MakeSteam(const fs::path& steam) {
    WriteFile(steam / "Steam.exe", "x");
    WriteFile(steam / "steam.dll", "x");
    fs::create_directories(steam / "steamapps");
}

// A legacy account: the game and, unless told otherwise, the three compilers.
void MakeLegacyAccount(const fs::path& account, bool withSdk = true) {
    WriteFile(account / "half-life 2" / "hl2.exe", "x");
    fs::create_directories(account / "half-life 2" / "hl2" / "maps");
    if (withSdk)
        for (const char* c : {"vbsp.exe", "vvis.exe", "vrad.exe"}) WriteFile(account / "sourcesdk" / "bin" / c, "x");
}

TEST(SteamFolder, SavedFileIsReadWithoutControlCharactersAndNeedsBothClientFiles) {
    TempDir home, steam;
    MakeSteam(steam.path());
    const std::string folder = Sep(steam.path());
    const std::string expected = Sep(steam.path() / "steamapps");
    for (const std::string& content : {folder + "\r\n", folder, "\t" + folder.substr(0, 3) + "\n" + folder.substr(3) + "\r\n"}) {
        WriteFile(home.path() / "spath.idf", content);
        EXPECT_EQ(InternalSteamPath(home.path()), expected) << "content: " << content;
    }
    fs::remove(steam.path() / "steam.dll");
    EXPECT_EQ(InternalSteamPath(home.path()), "");
    fs::remove(home.path() / "spath.idf");
    EXPECT_EQ(InternalSteamPath(home.path()), "");
}

TEST(SteamFolder, DiscoveryTriesSavedFileThenRegistryViewsThenUsualFolders) {
    TempDir home, saved, machine, user, usual;
    for (const auto* d : {&saved, &machine, &user, &usual}) MakeSteam(d->path());
    MapRegistry reg;
    const std::vector<fs::path> usualFolders{home.path() / "nothing-here", usual.path()};

    SteamDiscovery d = DiscoverSteam(home.path(), reg, usualFolders);
    EXPECT_EQ(d.source, SteamSource::UsualFolder);
    EXPECT_EQ(d.steamapps, Sep(usual.path() / "steamapps"));
    ASSERT_EQ(d.lookedAt.size(), 4u);
    EXPECT_NE(d.lookedAt[2].find("nothing-here: missing"), std::string::npos);

    reg.values["HKCU|Software\\Valve\\Steam|SteamPath"] = user.path().string();
    EXPECT_EQ(DiscoverSteam(home.path(), reg, usualFolders).steamapps, Sep(user.path() / "steamapps"));
    // A 64-bit system keeps Steam's value in the 32-bit view.
    reg.values["HKLM|SOFTWARE\\WOW6432Node\\Valve\\Steam|installpath"] = machine.path().string();
    d = DiscoverSteam(home.path(), reg, usualFolders);
    EXPECT_EQ(d.source, SteamSource::Registry);
    EXPECT_EQ(d.steamapps, Sep(machine.path() / "steamapps"));

    ASSERT_TRUE(SaveSteamFolder(home.path(), saved.path().string()));
    EXPECT_EQ(ReadFile(home.path() / "spath.idf"), Sep(saved.path()) + "\r\n");
    EXPECT_EQ(DiscoverSteam(home.path(), reg, usualFolders).source, SteamSource::SavedFile);

    TempDir empty;
    MapRegistry none;
    d = DiscoverSteam(empty.path(), none, {empty.path() / "a"});
    EXPECT_FALSE(d.Found());
    EXPECT_EQ(d.lookedAt.size(), 3u);
}

TEST(SteamFolder, ChooserAsksOnceThenSavesWithoutAskingAndQuitEndsTheProgram) {
    TempDir home, steam;
    MakeSteam(steam.path());
    ScriptedUi ui;
    ui.okCancelAnswer = BoxAnswer::Cancel;
    SteamPathChooser chooser(ui, home.path());

    EXPECT_FALSE(chooser.FolderChanged(steam.path().string()));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].title, "Steam Folder");
    EXPECT_EQ(ui.boxes[0].text, "Steam folder detected: " + Sep(steam.path()) + " do you want to use this as your steam folder?");
    EXPECT_EQ(chooser.caption, "Continiune");
    EXPECT_EQ(chooser.colour, SteamPathChooser::kGreen);
    EXPECT_FALSE(fs::exists(home.path() / "spath.idf"));

    EXPECT_TRUE(chooser.PressButton());
    EXPECT_EQ(ui.boxes.size(), 1u) << "the button saves without asking";
    EXPECT_EQ(ReadFile(home.path() / "spath.idf"), Sep(steam.path()) + "\r\n");

    EXPECT_FALSE(chooser.FolderChanged(home.path().string()));
    EXPECT_EQ(chooser.caption, "Quit");
    EXPECT_EQ(chooser.label, "Steam was not detected in the selected folder.");
    EXPECT_EQ(chooser.colour, SteamPathChooser::kRed);
    EXPECT_THROW(chooser.PressButton(), ProgramEnd);
}

TEST(Accounts, ToRightTakesTheLastPartWithOrWithoutFinalSeparator) {
    const struct {
        std::string path, part;
        int pointer;
    } cases[] = {
        {"a/b/c", "c", 4}, {"abc", "abc", 0}, {"C:\\steam\\steamapps\\player1\\", "player1", 19},
        {"C:\\steam\\steamapps\\player1", "player1", 19}, {"x/", "x", 0}, {"", "", 0},
    };
    for (const auto& c : cases) {
        int pointer = -1;
        EXPECT_EQ(ToRight(c.path, &pointer), c.part) << c.path;
        EXPECT_EQ(pointer, c.pointer) << c.path;
    }
}

TEST(Accounts, ListSkipsSourceModsSortsByNameAndShowsWhatEachAccountHolds) {
    TempDir steam;
    MakeSteam(steam.path());
    const fs::path apps = steam.path() / "steamapps";
    MakeLegacyAccount(apps / "zed");
    MakeLegacyAccount(apps / "Player1", false);
    fs::create_directories(apps / "SourceMods");
    WriteFile(apps / "notafolder.txt", "x");

    const auto accounts = ListAccounts(Sep(apps));
    ASSERT_EQ(accounts.size(), 2u);
    EXPECT_EQ(accounts[0].name, "Player1");
    EXPECT_EQ(accounts[1].name, "zed");
    EXPECT_EQ(accounts[0].folder, (apps / "Player1").string());

    TempDir home;
    MapRegistry reg;
    AccountChooser chooser(home.path(), reg, {steam.path()});
    ASSERT_TRUE(chooser.ReadUsers());
    EXPECT_EQ(chooser.selected, 1) << "the first account with the game and the compilers is preselected";
    chooser.Select(0);
    EXPECT_TRUE(chooser.status.hl2Installed);
    EXPECT_FALSE(chooser.status.sdkInstalled);
    EXPECT_FALSE(chooser.okEnabled);
    EXPECT_FALSE(chooser.Confirm().has_value());

    chooser.Select(1);
    ASSERT_TRUE(chooser.okEnabled);
    ASSERT_EQ(chooser.Confirm(), (apps / "zed").string());
    // The default box unticked: the account window comes back at the next start.
    EXPECT_EQ(ReadFile(home.path() / "hl2path.ini"), " 0 \r\n" + (apps / "zed").string() + "\r\n");
    EXPECT_FALSE(CheckSavedPaths(home.path(), "", false).usable);
    EXPECT_TRUE(CheckSavedPaths(home.path(), "", true).usable);

    // Opened again (Change Account), the saved account is preselected before an earlier usable
    // one, and its default tick is kept.
    MakeLegacyAccount(apps / "alpha");
    ASSERT_TRUE(WriteHl2PathIni(home.path(), true, (apps / "zed").string()));
    AccountChooser again(home.path(), reg, {steam.path()});
    ASSERT_TRUE(again.ReadUsers());
    ASSERT_EQ(again.accounts[static_cast<std::size_t>(again.selected)].name, "zed");
    EXPECT_TRUE(again.makeDefault);
    again.Select(0);
    ASSERT_EQ(again.Confirm(), (apps / "alpha").string());
    EXPECT_EQ(ReadFile(home.path() / "hl2path.ini"), " 1 \r\n" + (apps / "alpha").string() + "\r\n");
}

TEST(Accounts, TodaysLayoutIsFoundInEveryLibraryWhateverTheLetterCase) {
    TempDir steam, library;
    MakeSteam(steam.path());
    const fs::path game = library.path() / "SteamApps" / "Common" / "HALF-LIFE 2";
    WriteFile(game / "hl2.exe", "x");
    for (const char* c : {"VBSP.exe", "vvis.exe", "vrad.exe"}) WriteFile(game / "Bin" / c, "x");
    fs::create_directories(game / "hl2" / "maps");
    WriteFile(steam.path() / "steamapps" / "libraryfolders.vdf",
              "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" + steam.path().string() +
                  "\"\n\t}\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" + library.path().string() +
                  "\"\n\t\t\"apps\"\n\t\t{\n\t\t\t\"220\"\t\t\"123\"\n\t\t}\n\t}\n}\n");

    const auto accounts = ListAccounts(Sep(steam.path() / "steamapps"));
    ASSERT_EQ(accounts.size(), 1u);
    EXPECT_EQ(accounts[0].name, "common (" + library.path().string() + ")");
    const GamePaths g = GamePathsFor(accounts[0].folder);
    EXPECT_EQ(g.layout, GameLayout::Current);
    EXPECT_EQ(g.gameExe, (game / "hl2.exe").string());
    EXPECT_EQ(g.vbsp, (game / "Bin" / "VBSP.exe").string());
    EXPECT_EQ(g.mapsFolder, Sep(game / "hl2" / "maps"));
    EXPECT_TRUE(g.Missing().empty());
    EXPECT_TRUE(CheckAccount(accounts[0].folder).CanConfirm());
}

TEST(Accounts, SavedPathsNeedTheGameAndVbspAndWarnForEachOtherCompiler) {
    TempDir home, account;
    MakeLegacyAccount(account.path());
    ASSERT_TRUE(WriteHl2PathIni(home.path(), true, account.path().string()));
    EXPECT_EQ(ReadFile(home.path() / "hl2path.ini"), " 1 \r\n" + account.path().string() + "\r\n");
    SavedPathsCheck c = CheckSavedPaths(home.path(), "", false);
    ASSERT_TRUE(c.usable) << c.reason;
    EXPECT_EQ(c.accountName, ToRight(account.path().string()));
    EXPECT_TRUE(c.warnings.empty());

    fs::remove(account.path() / "sourcesdk" / "bin" / "vvis.exe");
    fs::remove(account.path() / "sourcesdk" / "bin" / "vrad.exe");
    c = CheckSavedPaths(home.path(), "", false);
    ASSERT_EQ(c.warnings.size(), 2u);
    EXPECT_EQ(c.warnings[0], "Vvis.exe could not be found in your sourcesdk/bin folder. You will not be able to compile your maps correctly!");

    fs::remove(account.path() / "sourcesdk" / "bin" / "vbsp.exe");
    c = CheckSavedPaths(home.path(), "", false);
    EXPECT_FALSE(c.usable);
    EXPECT_NE(c.reason.find("vbsp.exe"), std::string::npos);
}

TEST(Vdf, ReadsBothLibraryFormsEscapesAndCommentsAndRejectsBrokenText) {
    const std::string current =
        "// written by Steam\n\"LibraryFolders\" {\n \"0\" { \"path\" \"C:\\\\Program Files (x86)\\\\Steam\" }\n"
        " \"1\" { \"label\" \"\" \"path\" \"D:\\\\Games \\\"A\\\"\" }\n \"contentstatsid\" \"-123\"\n}\n";
    EXPECT_EQ(LibraryFoldersFromVdf(current),
              (std::vector<std::string>{"C:\\Program Files (x86)\\Steam", "D:\\Games \"A\""}));
    const std::string older = "\"LibraryFolders\"\n{\n\t\"TimeNextStatsReport\"\t\t\"1\"\n\t\"1\"\t\t\"E:\\\\Lib\"\n}\n";
    EXPECT_EQ(LibraryFoldersFromVdf(older), (std::vector<std::string>{"E:\\Lib"}));

    for (const char* broken : {"\"a\" { \"b\" \"c\"", "\"a\" \"unclosed", "{ \"a\" \"b\" }", "\"a\" }"}) {
        std::string error;
        EXPECT_FALSE(ReadVdf(broken, &error).has_value()) << broken;
        EXPECT_FALSE(error.empty());
        EXPECT_TRUE(LibraryFoldersFromVdf(broken).empty());
    }
}

#ifndef _WIN32

// Points HOME at a folder for one test, so the usual Steam folders are ours.
struct HomeOverride {
    explicit HomeOverride(const fs::path& p) {
        if (const char* h = std::getenv("HOME")) saved = h;
        setenv("HOME", p.c_str(), 1);
    }
    ~HomeOverride() { setenv("HOME", saved.c_str(), 1); }
    std::string saved;
};

TEST(PathsCommand, SaysWhereItLookedWhenThereIsNoSteamAndReportsAFoundAccount) {
    TempDir home, userHome;
    HomeOverride override(userHome.path());
    CliRun r = Cli({"paths", "--home", home.path().string()});
    EXPECT_EQ(r.code, kExitFailed);
    EXPECT_NE(r.out.find("No Steam folder was found."), std::string::npos) << r.out;
    EXPECT_NE(r.out.find((userHome.path() / ".steam" / "steam").string() + ": missing"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("spath.idf: missing"), std::string::npos) << r.out;

    const fs::path steam = userHome.path() / ".local" / "share" / "Steam";
    MakeSteam(steam);
    MakeLegacyAccount(steam / "steamapps" / "gordon");
    r = Cli({"paths", "--home", home.path().string()});
    EXPECT_EQ(r.code, kExitOk) << r.out;
    EXPECT_NE(r.out.find("(in a usual folder)"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("gordon: HL2 Installed, Source SDK Installed"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Missing: nothing"), std::string::npos) << r.out;

    // The Flatpak and Snap clients keep Steam in their sandbox folders; each is looked at and
    // listed, and one is used when it is the only client.
    fs::remove_all(steam);
    const fs::path flatpak = userHome.path() / ".var" / "app" / "com.valvesoftware.Steam" / ".local" / "share" / "Steam";
    const fs::path snap = userHome.path() / "snap" / "steam" / "common" / ".local" / "share" / "Steam";
    for (const fs::path& sandboxed : {flatpak, snap}) {
        WriteFile(sandboxed / "steam.sh", "#!/bin/sh");
        MakeLegacyAccount(sandboxed / "steamapps" / "gordon");
    }
    r = Cli({"paths", "--home", home.path().string()});
    EXPECT_EQ(r.code, kExitOk) << r.out;
    EXPECT_NE(r.out.find("Steam folder: " + flatpak.string() + " (in a usual folder)"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(snap.string() + ": a Steam folder too (not used)"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find((userHome.path() / "snap" / "steam" / "common" / ".steam" / "steam").string() + ": missing"),
              std::string::npos) << r.out;

    r = Cli({"paths", "--home", home.path().string(), "--account", "nobody"});
    EXPECT_EQ(r.code, kExitFailed);
    EXPECT_NE(r.out.find("no account \"nobody\""), std::string::npos) << r.out;
}

#endif

}  // namespace
}  // namespace tessellon::testing
