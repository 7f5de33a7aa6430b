#include "roomkit/kit.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "roomkit/model_list.h"
#include "roomkit/room_builder.h"
#include "roomkit/room_check.h"
#include "roomkit/room_file.h"
#include "platform/system_locale.h"
#include "roomkit/vmf.h"

namespace roomkit {

namespace {

const char* kUsage =
    "Tessellon SDK makes and checks room files for Tessellon.\n\n"
    "Usage:\n"
    "  tessellonsdk import ROOM.vmf -o ROOM.rgr [--check] [ALLOWANCES]\n"
    "      turns a room made in Hammer into a room file; with --check the result is checked\n"
    "      and nothing is written when it fails\n"
    "  tessellonsdk export ROOM.rgr -o ROOM.vmf\n"
    "      gives a room file back as a map Hammer opens\n"
    "  tessellonsdk check [ALLOWANCES] ROOM.rgr [MORE.rgr ...]\n"
    "      checks room files against the room standard; every problem names file and line\n"
    "  ALLOWANCES, for rooms made before nodes and the model list's kinds:\n"
    "      --allow-missing-nodes    a room without any info_node passes the node rules\n"
    "      --allow-unmarked-models  a prop_static whose model hl2_models.txt marks unknown passes\n"
    "  tessellonsdk new -o ROOM.vmf --type 0..6 [--name TEXT] [--height H] [--sky]\n"
    "      starts a room in Hammer: the cell's floor, walls with the family's doorways, a\n"
    "      ceiling (or sky), the markers and a light, ready to be furnished\n";

// The editor's world ends 16384 units from the origin.
constexpr double kMaxRoomHeight = 16000;

struct InOut {
    std::string in, out;
    bool check = false;
    bool allowMissingNodes = false, allowUnmarkedModels = false;
};

// Takes an allowance flag; false when `arg` is none.
bool Allowance(const std::string& arg, bool& missingNodes, bool& unmarkedModels) {
    if (arg == "--allow-missing-nodes") return missingNodes = true;
    if (arg == "--allow-unmarked-models") return unmarkedModels = true;
    return false;
}

bool ParseInOut(const std::vector<std::string>& args, InOut& io, std::ostream& err) {
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "-o" && i + 1 < args.size()) {
            io.out = args[++i];
        } else if (args[i] == "--check") {
            io.check = true;
        } else if (Allowance(args[i], io.allowMissingNodes, io.allowUnmarkedModels)) {
        } else if (io.in.empty() && !args[i].empty() && args[i][0] != '-') {
            io.in = args[i];
        } else {
            err << "tessellonsdk " << args[0] << ": unexpected argument \"" << args[i] << "\"\n";
            return false;
        }
    }
    if (io.in.empty() || io.out.empty()) {
        err << "tessellonsdk " << args[0] << ": needs an input file and -o OUTPUT\n";
        return false;
    }
    return true;
}

// The game's model list ships beside the kit; without it props are not judged. A list that is
// there but cannot be read right stops every check (`listProblem` says why).
struct KitOptions {
    RoomCheckOptions check;
    std::string listProblem;
};

const KitOptions& KitCheckOptions() {
    static const KitOptions options = [] {
        static std::set<std::string> models;
        static ModelKinds kinds;
        KitOptions o;
        const auto path = std::filesystem::path(tessellon::ExecutableFolder()) / "hl2_models.txt";
        std::vector<std::string> errors;
        if (!ReadModelList(path.string(), models) || !ReadModelKinds(path.string(), kinds, errors)) return o;
        o.check.models = &models;
        o.check.modelKinds = &kinds;
        if (!errors.empty()) o.listProblem = path.string() + ":" + errors.front();
        return o;
    }();
    return options;
}

// The kit's options with the allowances asked for; what they let pass goes to `allowed`.
RoomCheckOptions WithAllowances(bool missingNodes, bool unmarkedModels, std::vector<Issue>& allowed) {
    RoomCheckOptions o = KitCheckOptions().check;
    o.allowMissingNodes = missingNodes;
    o.allowUnmarkedModels = unmarkedModels;
    o.allowed = &allowed;
    return o;
}

// "; allowed: ..." for an import or check that passed on allowances, else "".
std::string AllowedNote(const std::vector<Issue>& allowed) {
    if (allowed.empty()) return "";
    int nodes = 0, models = 0;
    for (const Issue& i : allowed) (i.message.find("info_node") != std::string::npos ? nodes : models)++;
    std::string note = "; allowed:";
    if (nodes) note += " no info_node";
    if (models)
        note += std::string(nodes ? "," : "") + " " + std::to_string(models) + " prop_static of unmarked models";
    return note;
}

int Import(const InOut& io, std::ostream& out, std::ostream& err) {
    std::string text;
    if (!ReadFile(io.in, text)) {
        err << io.in << ": cannot be opened\n";
        return 1;
    }
    std::vector<std::string> lines;
    try {
        lines = ImportRoom(ParseVmf(text));
    } catch (const ParseError& e) {
        err << io.in << ":" << e.line << ": " << e.message << "\n";
        return 1;
    }
    std::vector<Issue> allowed;
    if (io.check) {
        if (const std::string& problem = KitCheckOptions().listProblem; !problem.empty()) {
            err << problem << "\n" << io.in << ": the model list cannot be read, so the room cannot be checked\n";
            return 1;
        }
        const auto issues = CheckRoom(lines, WithAllowances(io.allowMissingNodes, io.allowUnmarkedModels, allowed));
        if (!issues.empty()) {
            err << FormatIssues(io.out, issues);
            // The check runs before anything is written, so whatever was at OUT stays as it was.
            err << io.in << ": the room does not pass the check; " << io.out << " was not written\n";
            return 1;
        }
    }
    if (!WriteFileAtomically(io.out, JoinCrlf(lines))) {
        err << io.out << ": cannot be written\n";
        return 1;
    }
    out << io.in << " -> " << io.out << " (" << lines.size() << " lines" << AllowedNote(allowed) << ")\n";
    return 0;
}

int Export(const InOut& io, std::ostream& out, std::ostream& err) {
    std::string text;
    if (!ReadFile(io.in, text)) {
        err << io.in << ": cannot be opened\n";
        return 1;
    }
    std::string vmf;
    try {
        vmf = WriteVmf(ExportRoom(SplitLines(text)));
    } catch (const ParseError& e) {
        err << io.in << ":" << e.line << ": " << e.message << "\n";
        return 1;
    }
    if (!WriteFileAtomically(io.out, vmf)) {
        err << io.out << ": cannot be written\n";
        return 1;
    }
    out << io.in << " -> " << io.out << "\n";
    return 0;
}

int Check(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    bool missingNodes = false, unmarkedModels = false;
    std::vector<std::string> files;
    for (const auto& a : args) {
        if (Allowance(a, missingNodes, unmarkedModels)) continue;
        if (!a.empty() && a[0] == '-') {
            err << "tessellonsdk check: unexpected argument \"" << a << "\"\n";
            return 2;
        }
        files.push_back(a);
    }
    if (files.empty()) {
        err << "tessellonsdk check: name at least one room file\n";
        return 2;
    }
    if (const std::string& problem = KitCheckOptions().listProblem; !problem.empty()) {
        err << problem << "\ntessellonsdk check: the model list cannot be read, so no room can be checked\n";
        return 1;
    }
    int failed = 0;
    for (const auto& f : files) {
        std::string text;
        if (!ReadFile(f, text)) {
            err << f << ":1: cannot be opened\n";
            ++failed;
            continue;
        }
        std::vector<Issue> allowed;
        const auto issues = CheckRoom(SplitLines(text), WithAllowances(missingNodes, unmarkedModels, allowed));
        if (issues.empty()) {
            out << f << ": ok" << (allowed.empty() ? "" : " (" + AllowedNote(allowed).substr(2) + ")") << "\n";
        } else {
            err << FormatIssues(f, issues);
            ++failed;
        }
    }
    return failed ? 1 : 0;
}

int New(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string path, name = "New Room";
    int type = -1;
    double height = 256;
    bool sky = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "-o" && hasValue) {
            path = args[++i];
        } else if (a == "--type" && hasValue) {
            const std::string v = args[++i];
            type = v.size() == 1 && v[0] >= '0' && v[0] <= '6' ? v[0] - '0' : -2;
        } else if (a == "--name" && hasValue) {
            name = args[++i];
        } else if (a == "--height" && hasValue) {
            const std::string& v = args[++i];
            const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), height);
            if (ec != std::errc() || end != v.data() + v.size() || !(height <= kMaxRoomHeight)) height = -1;
        } else if (a == "--sky") {
            sky = true;
        } else {
            err << "tessellonsdk new: unexpected argument \"" << a << "\"\n";
            return 2;
        }
    }
    if (path.empty() || type < 0 || height < kDoorHeight + 16 || name.find_first_of("\"'") != std::string::npos) {
        err << "tessellonsdk new: needs -o ROOM.vmf, --type 0..6, a height from 208 to " << kMaxRoomHeight
            << " and a name without quotes\n";
        return 2;
    }
    RoomBuilder b(name, type, "");
    ShellPlan shell;
    shell.height = height;
    shell.sky = sky;
    shell.mats = {"CONCRETE/CONCRETEFLOOR001A", "CONCRETE/CONCRETEWALL001A", "CONCRETE/CONCRETECEILING001A",
                  "METAL/METALWALL001A"};
    shell.open = OpenSides(type);
    b.MakeShell(shell);
    // A lamp hanging in the middle gives the light (a street lamp under the sky), and the room
    // sounds like the game's generic rooms until a better soundscape is chosen.
    if (sky) {
        b.FixedProp({"models/props_c17/lamppost03a_on.mdl", 12, 12, 200, false}, {0, 0, 0});
        b.Light({0, 24, 112}, "255 184 108 420");
    } else {
        b.HangingLamp({0, 0, height - 2}, {"models/props_wasteland/prison_lamp001c.mdl", 12, 12, 24, false});
        b.Light({0, 0, height - 40}, "255 198 132 60");
    }
    b.Entity("env_soundscape", {0, 0, 72},
             {{"soundscape", sky ? "GenericOutdoor" : "GenericIndoor"}, {"radius", "320"}});
    if (type == 5) b.Entity("info_player_start", {0, -240, 8}, {{"angles", "0 90 0"}});
    if (!WriteFileAtomically(path, WriteVmf(b.Finish("")))) {
        err << path << ": cannot be written\n";
        return 1;
    }
    out << path << ": a new " << name << " to furnish in Hammer\n";
    return 0;
}

}  // namespace

bool ReadFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    text = ss.str();
    return true;
}

bool WriteFileAtomically(const std::string& path, const std::string& text) {
    const std::string temp = path + ".tmp";
    {
        std::ofstream o(temp, std::ios::binary | std::ios::trunc);
        if (!o) return false;
        o << text;
        if (!o.flush()) return false;
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) std::filesystem::remove(temp, ec);
    return !ec;
}

int RunKit(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    // Started without arguments (as the room manager starts it) the kit says what it does.
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        out << kUsage;
        return 0;
    }
    const std::string& cmd = args[0];
    if (cmd == "new") return New(args, out, err);
    if (cmd == "check") return Check(std::vector<std::string>(args.begin() + 1, args.end()), out, err);
    if (cmd == "import" || cmd == "export") {
        InOut io;
        if (!ParseInOut(args, io, err)) return 2;
        if (cmd == "export" && io.check) {
            err << "tessellonsdk export: --check belongs to import\n";
            return 2;
        }
        return cmd == "import" ? Import(io, out, err) : Export(io, out, err);
    }
    err << "tessellonsdk: unknown command \"" << cmd << "\"\n" << kUsage;
    return 2;
}

}  // namespace roomkit
