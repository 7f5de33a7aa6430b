#include <charconv>
#include <cmath>
#include <filesystem>
#include <optional>

#include "cli/cli.h"
#include "picture/inside_view.h"

namespace tessellon {

namespace {

const char* const kViewHelp =
    "Usage: tessellon view FILE --from X Y Z --yaw DEG [--pitch DEG] [options] OUT.png|OUT.bmp\n"
    "       tessellon view ROOM.rgr --doorway [options] OUT.png|OUT.bmp\n"
    "       tessellon view LEVEL.vmf --start [options] OUT.png|OUT.bmp\n"
    "Draws what a player standing in a level (.vmf) or a room file (.rgr) sees.\n\n"
    "  --from X Y Z    where the eye is, in map units (the feet are 64 units lower)\n"
    "  --yaw DEG       which way it looks: 0 along +x (east), 90 along +y (north)\n"
    "  --pitch DEG     up or down: positive looks down, as in the game (0)\n"
    "  --doorway       a room seen from just inside its first doorway, at eye height, looking in,\n"
    "                  as the room manager shows it\n"
    "  --start         a level seen from its player start, at eye height, the way it faces\n"
    "  --width W       picture width in pixels (800)\n"
    "  --height H      picture height in pixels (450)\n"
    "  --fov DEG       the angle the picture spans from left to right (90)\n\n"
    "World and brush entity brushes are drawn from their planes, shaded by the way they face and\n"
    "coloured by material family (concrete grey, brick red, metal blue-grey, wood brown, plaster\n"
    "cream, tile pale grey-green, stone, nature, water blue), lit by the file's light, light_spot\n"
    "and light_environment with shadows. Nodraw, clip, trigger, hint, skip and the other tool faces\n"
    "are not seen, as in the game; the sky tool shows sky blue, and nothing at all (the void\n"
    "outside a room's doorways) near black. Props are boxes of their model's rough size,\n"
    "characters red marks and weapons, items and ammunition orange marks. Edges are outlined.\n\n"
    "Exit status: 0 drawn; 1 the file cannot be read or holds nothing to draw, or the picture\n"
    "cannot be written (message on stderr); 2 usage error.\n";

bool ParseNumber(const std::string& text, double& out) {
    const char* b = text.data();
    const char* e = b + text.size();
    if (b != e && *b == '+') ++b;
    const auto r = std::from_chars(b, e, out);
    return !text.empty() && r.ec == std::errc() && r.ptr == e && std::isfinite(out);
}

bool HasExtension(const std::filesystem::path& p, const char* ext) {
    std::string e = p.extension().string();
    for (char& c : e) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return e == ext;
}

}  // namespace

int RunViewCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (WantsHelp(args)) {
        out << kViewHelp;
        return kExitOk;
    }
    std::vector<std::string> files;
    std::optional<Vec3> from;
    std::optional<double> yaw;
    double pitch = 0, fov = 90;
    int width = 800, height = 450;
    bool doorway = false, start = false;
    try {
        for (std::size_t i = 0; i < args.size(); ++i) {
            const std::string& a = args[i];
            // One number after option `name`; negative numbers are values here, not options.
            auto number = [&](const std::string& name) {
                if (i + 1 >= args.size()) throw UsageError(name + " needs a number.");
                double v = 0;
                if (!ParseNumber(args[++i], v)) throw UsageError(name + " needs a number, not \"" + args[i] + "\".");
                return v;
            };
            auto whole = [&](const std::string& name, int min, int max) {
                if (i + 1 >= args.size()) throw UsageError(name + " needs a whole number.");
                return ParseIntOption(name, args[++i], min, max);
            };
            if (a == "--from") {
                if (i + 3 >= args.size()) throw UsageError("--from needs three numbers: X Y Z.");
                Vec3 p;
                double* parts[] = {&p.x, &p.y, &p.z};
                for (double* part : parts)
                    if (!ParseNumber(args[++i], *part))
                        throw UsageError("--from needs three numbers X Y Z, not \"" + args[i] + "\".");
                from = p;
            } else if (a == "--yaw") {
                yaw = number(a);
            } else if (a == "--pitch") {
                pitch = number(a);
                if (pitch < -90 || pitch > 90)
                    throw UsageError("--pitch must be between -90 and 90 (got " + args[i] + ").");
            } else if (a == "--fov") {
                fov = number(a);
                if (fov < 10 || fov > 170) throw UsageError("--fov must be between 10 and 170 (got " + args[i] + ").");
            } else if (a == "--width") {
                width = whole(a, 1, 4096);
            } else if (a == "--height") {
                height = whole(a, 1, 4096);
            } else if (a == "--doorway") {
                doorway = true;
            } else if (a == "--start") {
                start = true;
            } else if (!a.empty() && a[0] == '-') {
                throw UsageError("unknown option \"" + a + "\". See tessellon view --help.");
            } else {
                files.push_back(a);
            }
        }
        if (files.size() != 2)
            throw UsageError(
                "give the file to look into and the picture to write, e.g. tessellon view level1.vmf "
                "--from 0 0 64 --yaw 90 view.png.");
        const int ways = (from || yaw ? 1 : 0) + (doorway ? 1 : 0) + (start ? 1 : 0);
        if (ways != 1)
            throw UsageError(
                "say where the eye is: --from X Y Z with --yaw DEG, or --doorway (a room), or --start (a level).");
        if (from.has_value() != yaw.has_value())
            throw UsageError(from ? "--from needs --yaw to say which way to look."
                                  : "--yaw needs --from to say where the eye is.");
        if (!HasExtension(files[1], ".png") && !HasExtension(files[1], ".bmp"))
            throw UsageError("the picture " + files[1] + " must be a .png or a .bmp file.");
    } catch (const UsageError& e) {
        err << "tessellon view: " << e.what() << '\n';
        return kExitUsage;
    }

    const std::filesystem::path file = files[0], picture = files[1];
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) {
        err << "tessellon view: " << file.string() << " does not exist or is not a file.\n";
        return kExitFailed;
    }
    const ViewFile view = ReadViewFile(file);
    if (!view.readable) {
        err << "tessellon view: " << view.problem << '\n';
        return kExitFailed;
    }
    if (view.scene.Bodies() == 0) {
        err << "tessellon view: " << file.string() << " holds nothing to draw"
            << (view.problem.empty() ? "." : " (" + view.problem + ").") << '\n';
        return kExitFailed;
    }
    if (!view.problem.empty()) err << "tessellon view: " << file.string() << ": " << view.problem << '\n';

    ViewPoint eye;
    if (doorway) {
        if (!view.doorway) {
            err << "tessellon view: --doorway needs a room file whose type opens a side; " << file.string()
                << " has no doorway.\n";
            return kExitFailed;
        }
        eye = *view.doorway;
    } else if (start) {
        if (!view.start) {
            err << "tessellon view: --start needs a level with an info_player_start; " << file.string()
                << " has none.\n";
            return kExitFailed;
        }
        eye = *view.start;
    } else {
        eye = ViewPoint{*from, *yaw, pitch};
    }
    eye.fov = fov;

    const RgbImage image = view.scene.Render(eye, width, height);
    const bool saved = HasExtension(picture, ".png") ? image.SavePng(picture) : image.SaveBmp(picture);
    if (!saved) {
        err << "tessellon view: " << picture.string() << " could not be written.\n";
        return kExitFailed;
    }
    out << picture.string() << ": " << width << " x " << height << " from (" << eye.eye.x << ' ' << eye.eye.y << ' '
        << eye.eye.z << ") yaw " << eye.yaw << " pitch " << eye.pitch << "; " << view.brushes << " brushes, "
        << view.props << " props, " << view.marks << " marks, " << view.scene.Lights() << " lights"
        << (view.scene.HasSun() ? ", sun" : "") << '\n';
    return kExitOk;
}

}  // namespace tessellon
