#include "paths/steam_folder.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "check/vmf_reader.h"
#include "session/errors.h"
#include "platform/registry.h"
#include "platform/ui.h"

namespace tessellon {

namespace fs = std::filesystem;

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsFolder(const fs::path& p) {
    std::error_code ec;
    return fs::is_directory(p, ec);
}

}  // namespace

bool ReplaceFileText(const fs::path& target, const std::string& text) {
    fs::path temp = target;
    temp += ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out << text;
        out.flush();
        if (!out) {
            out.close();
            std::error_code ec;
            fs::remove(temp, ec);
            return false;
        }
    }
    std::error_code ec;
    fs::rename(temp, target, ec);
    if (ec) {
        fs::remove(temp, ec);
        return false;
    }
    return true;
}

std::string DeadChars(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text)
        if (static_cast<unsigned char>(c) > 31) out += c;
    return out;
}

bool FileExists(const fs::path& file) {
    std::error_code ec;
    (void)fs::file_size(file, ec);
    return !ec;
}

fs::path ResolveNoCase(const fs::path& base, const std::string& relative) {
    std::vector<std::string> parts(1);
    for (const char c : relative) {
        if (IsSeparator(c)) {
            if (!parts.back().empty()) parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    if (parts.back().empty()) parts.pop_back();

    fs::path current = base;
    bool onDisk = true;
    for (const auto& part : parts) {
        fs::path next = current / part;
        std::error_code ec;
        if (onDisk && !fs::exists(next, ec)) {
            fs::path match;
            for (fs::directory_iterator it(current, ec), stop; !ec && it != stop; it.increment(ec))
                if (NamesEqual(it->path().filename().string(), part)) {
                    match = it->path();
                    break;
                }
            if (match.empty())
                onDisk = false;
            else
                next = match;
        }
        current = next;
    }
    return current;
}

bool IsSteamFolder(const fs::path& folder) {
    if (FileExists(ResolveNoCase(folder, "Steam.exe")) && FileExists(ResolveNoCase(folder, "steam.dll"))) return true;
#ifndef _WIN32
    if (FileExists(ResolveNoCase(folder, "steam.sh")) && IsFolder(ResolveNoCase(folder, "steamapps"))) return true;
#endif
    return false;
}

std::string WithFinalSeparator(const std::string& folder) {
    if (!folder.empty() && IsSeparator(folder.back())) return folder;
    return folder + kPathSeparator;
}

namespace {

// The steamapps path of a Steam folder, with its final separator.
std::string SteamappsOf(const std::string& steamFolder) {
    const std::string f = WithFinalSeparator(steamFolder);
    return WithFinalSeparator(ResolveNoCase(fs::path(f), "steamapps").string());
}

std::string ReadWhole(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    if (!in) return {};
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

}  // namespace

std::string InternalSteamPath(const fs::path& programFolder) {
    try {
        const fs::path file = programFolder / "spath.idf";
        if (!FileExists(file)) return {};
        const std::string f = DeadChars(ReadWhole(file));
        if (f.empty() || !IsSteamFolder(fs::path(f))) return {};
        return SteamappsOf(f);
    } catch (...) {
        return {};
    }
}

bool SaveSteamFolder(const fs::path& programFolder, const std::string& steamFolder) {
    return ReplaceFileText(programFolder / "spath.idf", WithFinalSeparator(steamFolder) + "\r\n");
}

std::string RegistrySteamPath(Registry& registry) {
    // A 64-bit program reads the 64-bit view by default; Steam writes its value into the 32-bit one.
    for (const char* key : {"SOFTWARE\\Valve\\Steam", "SOFTWARE\\WOW6432Node\\Valve\\Steam"})
        if (auto v = registry.ReadString(RegistryRoot::LocalMachine, key, "installpath"); v && !v->empty())
            return SteamappsOf(*v);
    if (auto v = registry.ReadString(RegistryRoot::CurrentUser, "Software\\Valve\\Steam", "SteamPath"); v && !v->empty())
        return SteamappsOf(*v);
    return {};
}

std::vector<fs::path> UsualSteamFolders() {
#ifdef _WIN32
    return {};
#else
    const char* home = std::getenv("HOME");
    if (!home || !*home) return {};
    const fs::path h(home);
    // The distribution's client, then the Flatpak and the Snap packages of it, each of which
    // keeps its Steam folder inside its own sandbox folder.
    const fs::path flatpak = h / ".var" / "app" / "com.valvesoftware.Steam";
    const fs::path snap = h / "snap" / "steam" / "common";
    return {h / ".steam" / "steam",
            h / ".local" / "share" / "Steam",
            flatpak / ".local" / "share" / "Steam",
            flatpak / ".steam" / "steam",
            snap / ".local" / "share" / "Steam",
            snap / ".steam" / "steam"};
#endif
}

const char* SteamSourceName(SteamSource source) {
    switch (source) {
    case SteamSource::SavedFile: return "saved in spath.idf";
    case SteamSource::Registry: return "from the registry";
    case SteamSource::UsualFolder: return "in a usual folder";
    case SteamSource::Given: return "given on the command line";
    case SteamSource::None: break;
    }
    return "not found";
}

SteamDiscovery DiscoverSteam(const fs::path& programFolder, Registry& registry, const std::vector<fs::path>& usualFolders) {
    SteamDiscovery d;
    const fs::path saved = programFolder / "spath.idf";
    d.steamapps = InternalSteamPath(programFolder);
    if (!d.steamapps.empty()) {
        d.source = SteamSource::SavedFile;
        d.lookedAt.push_back(saved.string() + ": Steam folder");
        return d;
    }
    d.lookedAt.push_back(saved.string() + (FileExists(saved) ? ": names no Steam folder" : ": missing"));

    d.steamapps = RegistrySteamPath(registry);
    if (!d.steamapps.empty()) {
        d.source = SteamSource::Registry;
        d.lookedAt.push_back("registry: " + d.steamapps);
        return d;
    }
#ifdef _WIN32
    d.lookedAt.push_back("registry: no Steam install path");
#else
    d.lookedAt.push_back("registry: none on this system");
#endif
    // Every usual folder is listed, so the report shows a second client beside the one used.
    for (const auto& folder : usualFolders) {
        if (IsSteamFolder(folder)) {
            if (d.Found()) {
                d.lookedAt.push_back(folder.string() + ": a Steam folder too (not used)");
                continue;
            }
            d.source = SteamSource::UsualFolder;
            d.steamapps = SteamappsOf(folder.string());
            d.lookedAt.push_back(folder.string() + ": Steam folder");
            continue;
        }
        d.lookedAt.push_back(folder.string() + (IsFolder(folder) ? ": no Steam client files" : ": missing"));
    }
    return d;
}

SteamPathChooser::SteamPathChooser(Ui& ui, fs::path programFolder) : ui_(ui), programFolder_(std::move(programFolder)) {}

bool SteamPathChooser::FolderChanged(const std::string& newFolder) {
    folder = newFolder;
    return CheckExist(false);
}

bool SteamPathChooser::PressButton() {
    if (caption == "Quit") throw ProgramEnd(0, "Steam folder window closed.");
    return CheckExist(true);
}

bool SteamPathChooser::CheckExist(bool direct) {
    try {
        const std::string f = WithFinalSeparator(folder);
        if (!IsSteamFolder(fs::path(f))) {
            ChangeFoundMode(false);
            return false;
        }
        ChangeFoundMode(true);
        if (!direct && ui_.MessageBox("Steam Folder",
                                      "Steam folder detected: " + f + " do you want to use this as your steam folder?",
                                      BoxIcon::Question, BoxButtons::OkCancel) != BoxAnswer::Ok)
            return false;
        return SaveSteamFolder(programFolder_, f);
    } catch (const ProgramEnd&) {
        throw;
    } catch (...) {
        // A folder that cannot be looked at ends the check quietly.
        return false;
    }
}

void SteamPathChooser::ChangeFoundMode(bool foundMode) {
    if (foundMode) {
        colour = kGreen;
        caption = "Continiune";
        label = "Steam was detected in the selected folder!";
    } else {
        colour = kRed;
        caption = "Quit";
        label = "Steam was not detected in the selected folder.";
    }
}

}  // namespace tessellon
