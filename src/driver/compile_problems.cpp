#include "driver/compile_problems.h"

#include <algorithm>
#include <cctype>

namespace tessellon {

namespace {

// The compilers' messages below are quoted from Valve's Source SDK 2013 code (utils/vbsp,
// utils/vvis, utils/vrad, utils/common); each pattern names the file that prints it.

bool StartsWith(std::string_view s, std::string_view head) { return s.substr(0, head.size()) == head; }

bool ContainsNoCase(std::string_view s, std::string_view needle) {
    return std::search(s.begin(), s.end(), needle.begin(), needle.end(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           }) != s.end();
}

// The text between the first pair of double quotes, or empty.
std::string Quoted(std::string_view s) {
    const auto a = s.find('"');
    if (a == std::string_view::npos) return {};
    const auto b = s.find('"', a + 1);
    if (b == std::string_view::npos) return {};
    return std::string(s.substr(a + 1, b - a - 1));
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

std::string JoinItems(const std::vector<std::string>& items, std::size_t most = 6) {
    std::string out;
    for (std::size_t i = 0; i < items.size() && i < most; ++i) {
        if (i) out += ", ";
        out += items[i];
    }
    if (items.size() > most) out += " and " + std::to_string(items.size() - most) + " more";
    return out;
}

}  // namespace

std::optional<LineFinding> RecogniseLine(std::string_view raw) {
    const std::string_view line = Trim(raw);
    if (line.empty()) return std::nullopt;
    // utils/vbsp/vbsp.cpp, ProcessWorldModel: Warning("**** leaked ****\n")
    if (line == "**** leaked ****") return LineFinding{CompileProblemKind::Leak, ""};
    // utils/vbsp/leakfile.cpp, LeakFile: "Entity %s (%.2f %.2f %.2f) leaked!\n"
    if (StartsWith(line, "Entity ") && line.size() > 15 && line.substr(line.size() - 8) == " leaked!")
        return LineFinding{CompileProblemKind::Leak, std::string(line.substr(7, line.size() - 15))};
    // utils/vvis/vvis.cpp, LoadPortals: Error("LoadPortals: couldn't read %s\n", name)
    if (StartsWith(line, "LoadPortals: couldn't read ")) return LineFinding{CompileProblemKind::NoPortals, std::string(line.substr(27))};
    // utils/vbsp/textures.cpp, FindMiptex: Warning("Material not found!: %s\n", name)
    if (StartsWith(line, "Material not found!: ")) return LineFinding{CompileProblemKind::MissingMaterial, std::string(line.substr(21))};
    // utils/vbsp/textures.cpp, FindOrCreateTexData (with -v): "WARNING: material not found: \"%s\"\n"
    if (StartsWith(line, "WARNING: material not found: ")) return LineFinding{CompileProblemKind::MissingMaterial, Quoted(line)};
    // utils/vbsp/staticprop.cpp, AddStaticPropToLump: Warning("Error loading studio model \"%s\"!\n", ...)
    if (StartsWith(line, "Error loading studio model ")) return LineFinding{CompileProblemKind::MissingModel, Quoted(line)};
    // utils/vbsp/staticprop.cpp, LoadStudioModel: "Error! %s using model \"%s\", which must be used on a
    // dynamic entity (i.e. prop_physics). Deleted.\n"
    if (StartsWith(line, "Error! ") && line.find("which must be used on a dynamic entity") != std::string_view::npos)
        return LineFinding{CompileProblemKind::StaticPropPhysics, Quoted(line)};
    // The fixed limits: utils/vbsp/map.cpp (g_MapError.ReportError("MAX_MAP_PLANES"), "nummapbrushes ==
    // MAX_MAP_BRUSHES", ...), utils/vbsp/faces.cpp ("Too many unique verts, max = %d ...", "Exceeded max water
    // verts."), utils/vbsp/textures.cpp ("Too many unique textures, max %d"), utils/vbsp/overlay.cpp ("Too Many
    // Overlays!"), utils/vvis/vvis.cpp ("The map overflows the max portal count (%d of max %d)!"),
    // utils/vrad/lightmap.cpp ("too many lights %d / %d"), utils/vrad/vrad.cpp ("Too many texlights, max = %d"),
    // utils/common/bsplib.cpp ("Map has too many texinfos (has %d, can have at most %d)").
    if (line.find("MAX_MAP_") != std::string_view::npos || ContainsNoCase(line, "too many") ||
        ContainsNoCase(line, "overflows the max") || ContainsNoCase(line, "exceeded max"))
        return LineFinding{CompileProblemKind::EngineLimit, std::string(line)};
    // A Windows program that faults under Wine: "wine: Unhandled page fault on read access to ..." and
    // "Unhandled exception: page fault ..." from its debugger.
    if (line.find("Unhandled page fault") != std::string_view::npos || StartsWith(line, "Unhandled exception") ||
        StartsWith(line, "wine: Unhandled exception"))
        return LineFinding{CompileProblemKind::Crash, std::string(line)};
    return std::nullopt;
}

bool IsCrashExit(int exitCode) {
#ifdef _WIN32
    // Exception statuses (access violation 0xC0000005, stack overflow 0xC00000FD, ...).
    return static_cast<unsigned>(exitCode) >= 0xC0000000u;
#else
    // The runner reports a signal as 128 + its number.
    return exitCode > 128 && exitCode <= 128 + 64;
#endif
}

void AddProblem(CompileReport& report, CompileProblemKind kind, const std::string& compiler, const std::string& item) {
    auto it = std::find_if(report.problems.begin(), report.problems.end(),
                           [&](const CompileProblem& p) { return p.kind == kind && p.compiler == compiler; });
    if (it == report.problems.end()) {
        report.problems.push_back({kind, compiler, {}});
        it = report.problems.end() - 1;
    }
    if (!item.empty() && std::find(it->items.begin(), it->items.end(), item) == it->items.end()) it->items.push_back(item);
}

bool CompileOutputReader::Feed(CompileReport& report, const std::string& compiler, std::string_view text) {
    bool found = false;
    for (const char c : text) {
        if (c == '\n') {
            found |= Line(report, compiler, std::move(pending_));
            pending_.clear();
        } else if (c != '\r') {
            pending_ += c;
        }
    }
    return found;
}

bool CompileOutputReader::Line(CompileReport& report, const std::string& compiler, std::string line) {
    if (!Trim(line).empty()) {
        lastLines_.push_back(line);
        if (lastLines_.size() > 3) lastLines_.erase(lastLines_.begin());
    }
    const auto finding = RecogniseLine(line);
    if (!finding) return false;
    // New when it adds a problem or an item to one.
    auto size = [&] {
        std::size_t n = 0;
        for (const auto& p : report.problems) n += 1 + p.items.size();
        return n;
    };
    const std::size_t before = size();
    AddProblem(report, finding->kind, compiler, finding->item);
    return size() != before;
}

bool CompileOutputReader::Ended(CompileReport& report, const std::string& compiler, int exitCode, bool stopped) {
    bool found = false;
    if (!pending_.empty()) found = Line(report, compiler, std::move(pending_));
    pending_.clear();
    std::vector<std::string> last = std::move(lastLines_);
    lastLines_.clear();
    if (stopped || exitCode == 0) return found;
    if (IsCrashExit(exitCode)) {
        AddProblem(report, CompileProblemKind::Crash, compiler, "exit status " + std::to_string(exitCode));
        return true;
    }
    // An error its output already explained (a limit, no portal file, a crash Wine reported)
    // needs no second entry.
    const bool explained = std::any_of(report.problems.begin(), report.problems.end(), [&](const CompileProblem& p) {
                               return p.compiler == compiler && p.kind != CompileProblemKind::CompilerError;
                           });
    if (explained) return found;
    AddProblem(report, CompileProblemKind::CompilerError, compiler, "exit status " + std::to_string(exitCode));
    for (const auto& l : last) AddProblem(report, CompileProblemKind::CompilerError, compiler, std::string(Trim(l)));
    return true;
}

std::string ProblemTitle(const CompileProblem& p) {
    switch (p.kind) {
    case CompileProblemKind::Leak: return "The level leaks";
    case CompileProblemKind::NoPortals: return "No visibility data";
    case CompileProblemKind::MissingMaterial: return "Material not found";
    case CompileProblemKind::MissingModel: return "Model not found";
    case CompileProblemKind::StaticPropPhysics: return "prop_static with a physics model";
    case CompileProblemKind::EngineLimit: return "An engine limit was exceeded";
    case CompileProblemKind::Crash: return p.compiler + " crashed";
    case CompileProblemKind::CompilerError: return p.compiler + " stopped with an error";
    }
    return "Problem";
}

std::string ProblemExplanation(const CompileProblem& p, const CompileReport& report) {
    const std::string items = JoinItems(p.items);
    switch (p.kind) {
    case CompileProblemKind::Leak:
        return "vbsp found a hole between the inside of the level and the void" +
               (items.empty() ? std::string() : " (it reached " + items + ")") +
               ". A leaking level gets no visibility data and poor light. " +
               (report.pointFile.empty() ? std::string("")
                                         : "Open level1.vmf in Hammer and load the pointfile " + report.pointFile +
                                               " (Map > Load Pointfile): its line runs from the entity out through the hole. ") +
               "In a built level a leak comes from a room piece with a gap: check the rooms with tessellonsdk check, "
               "or build again with another seed.";
    case CompileProblemKind::NoPortals:
        return "vvis reads the portal file that vbsp writes only for a sealed level, and there was none" +
               (items.empty() ? std::string() : " (" + items + ")") +
               ". This follows a leak, or a vbsp that stopped early. The level plays without visibility data and runs slowly.";
    case CompileProblemKind::MissingMaterial:
        return "vbsp could not find " + std::string(p.items.size() == 1 ? "this material" : "these materials") +
               " in the game: " + items +
               ". Their faces show a purple and black checkerboard. A room uses a material Half-Life 2 does not ship; "
               "change it in the room, or install the content it comes from.";
    case CompileProblemKind::MissingModel:
        return "vbsp could not load " + std::string(p.items.size() == 1 ? "this model" : "these models") + ": " + items +
               ". Their props are left out of the level. Check the model paths in the rooms that use them.";
    case CompileProblemKind::StaticPropPhysics:
        return "A prop_static uses a model made for physics props, so vbsp deleted it from the level: " + items +
               ". In the room, make it a prop_physics or prop_dynamic, or pick a model made for static props.";
    case CompileProblemKind::EngineLimit:
        return "The level is larger than the Source engine's map format allows: " + items +
               ". Build a smaller level (fewer rooms on the Rooms/Level slider) and compile again.";
    case CompileProblemKind::Crash:
        return p.compiler + " ended by a fault before it finished (" + items +
               "), so the level it worked on is incomplete. Compile again; if it crashes again, try a smaller level "
               "or compile level1.vmf in Hammer.";
    case CompileProblemKind::CompilerError:
        return p.compiler + " ended with an error (" + items + "). The whole output is in " +
               (report.logFile.empty() ? std::string("compile.log") : report.logFile) + ".";
    }
    return items;
}

}  // namespace tessellon
