#include "roomkit/kit_window.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Native_File_Chooser.H>
#include <FL/Fl_Text_Buffer.H>
#include <FL/Fl_Text_Display.H>

#include <charconv>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <memory>
#include <sstream>

#include "roomkit/kit.h"

namespace roomkit {

namespace {

class KitWindow {
public:
    KitWindow() {
        window_ = new Fl_Double_Window(660, 500, "Tessellon SDK");
        auto* intro = new Fl_Box(14, 10, 632, 44,
                                 "Makes and checks room files for Tessellon. Start a room for Hammer, turn a finished "
                                 "map into a room file, give a room back to Hammer, or check rooms against the room "
                                 "standard. Room files go into the rooms folder beside Tessellon.");
        intro->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_WRAP);
        intro->labelsize(12);

        type_ = new Fl_Choice(60, 66, 200, 24, "Type:");
        for (const char* t : {"0 One way part", "1 Turn part", "2 Three way part", "3 Cross section", "4 Alley",
                              "5 Game start", "6 Game end"})
            type_->add(t);
        type_->value(0);
        type_->labelsize(12);
        name_ = new Fl_Input(330, 66, 180, 24, "Name:");
        name_->value("New Room");
        name_->labelsize(12);
        Button(520, 64, 126, 28, "New Room...", [this] { NewRoom(); });

        check_ = new Fl_Check_Button(14, 104, 220, 24, "Check the room after import");
        check_->value(1);
        check_->labelsize(12);
        Button(250, 102, 126, 28, "Import Map...", [this] { Import(); });
        Button(385, 102, 126, 28, "Export Room...", [this] { Export(); });
        Button(520, 102, 126, 28, "Check Rooms...", [this] { Check(); });

        buffer_ = new Fl_Text_Buffer();
        display_ = new Fl_Text_Display(14, 142, 632, 312);
        display_->buffer(buffer_);
        display_->textfont(FL_COURIER);
        display_->textsize(12);
        display_->wrap_mode(Fl_Text_Display::WRAP_AT_BOUNDS, 0);
        Button(520, 462, 126, 28, "Close", [this] { window_->hide(); });
        window_->end();
        window_->resizable(display_);
        Show("Choose what to do above; what the kit reports appears here.\n");
    }

    void Open() { window_->show(); }
    std::string Text() const {
        char* t = buffer_->text();
        std::string s(t);
        std::free(t);
        return s;
    }
    Fl_Window* Window() { return window_; }

    // Runs one kit command and shows what it printed.
    void Run(const std::vector<std::string>& args) {
        std::ostringstream out, err;
        std::string line = "tessellonsdk";
        for (const auto& a : args) line += " " + a;
        int code = 2;
        try {
            code = RunKit(args, out, err);
        } catch (const std::exception& e) {
            err << "tessellonsdk: " << e.what() << '\n';
        }
        Show("\n> " + line + "\n" + out.str() + err.str() +
             (code == 0 ? "Done.\n" : "Failed (status " + std::to_string(code) + ").\n"));
    }

private:
    void Button(int x, int y, int w, int h, const char* label, std::function<void()> f) {
        auto* b = new Fl_Button(x, y, w, h, label);
        b->labelsize(12);
        actions_.push_back(std::make_unique<std::function<void()>>(std::move(f)));
        b->callback([](Fl_Widget*, void* p) { (*static_cast<std::function<void()>*>(p))(); }, actions_.back().get());
    }

    void Show(const std::string& text) {
        buffer_->append(text.c_str());
        display_->insert_position(buffer_->length());
        display_->show_insert_position();
    }

    // A file chosen in the system's dialog; empty when cancelled.
    static std::vector<std::string> Choose(const char* title, const char* filter, bool save, bool many = false) {
        Fl_Native_File_Chooser chooser;
        chooser.title(title);
        chooser.filter(filter);
        chooser.type(save   ? Fl_Native_File_Chooser::BROWSE_SAVE_FILE
                     : many ? Fl_Native_File_Chooser::BROWSE_MULTI_FILE
                            : Fl_Native_File_Chooser::BROWSE_FILE);
        if (save) chooser.options(Fl_Native_File_Chooser::SAVEAS_CONFIRM);
        std::vector<std::string> files;
        if (chooser.show() != 0) return files;
        for (int i = 0; i < chooser.count(); ++i) files.push_back(chooser.filename(i));
        return files;
    }

    void NewRoom() {
        const auto out = Choose("Save the new room for Hammer", "Hammer maps\t*.vmf", true);
        if (out.empty()) return;
        Run({"new", "-o", out[0], "--type", std::to_string(type_->value()), "--name", name_->value()});
    }
    void Import() {
        const auto in = Choose("The finished room made in Hammer", "Hammer maps\t*.vmf", false);
        if (in.empty()) return;
        const auto out = Choose("Save the room file", "Room files\t*.rgr", true);
        if (out.empty()) return;
        std::vector<std::string> args{"import", in[0], "-o", out[0]};
        if (check_->value()) args.push_back("--check");
        Run(args);
    }
    void Export() {
        const auto in = Choose("The room file to give back to Hammer", "Room files\t*.rgr", false);
        if (in.empty()) return;
        const auto out = Choose("Save the map for Hammer", "Hammer maps\t*.vmf", true);
        if (out.empty()) return;
        Run({"export", in[0], "-o", out[0]});
    }
    void Check() {
        auto files = Choose("Room files to check", "Room files\t*.rgr", false, true);
        if (files.empty()) return;
        files.insert(files.begin(), "check");
        Run(files);
    }

    Fl_Double_Window* window_;
    Fl_Choice* type_;
    Fl_Input* name_;
    Fl_Check_Button* check_;
    Fl_Text_Buffer* buffer_;
    Fl_Text_Display* display_;
    std::vector<std::unique_ptr<std::function<void()>>> actions_;
};

}  // namespace

int RunKitWindow(const std::vector<std::string>& args) {
    std::vector<std::string> run;
    double closeAfter = 0;
    bool print = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--run") {
            run.assign(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
            break;
        }
        if (args[i] == "--close-after" && i + 1 < args.size()) {
            const std::string& v = args[++i];
            const auto r = std::from_chars(v.data(), v.data() + v.size(), closeAfter);
            if (r.ec != std::errc() || r.ptr != v.data() + v.size() || closeAfter < 0) {
                std::cerr << "tessellonsdk window: --close-after needs seconds, not \"" << v << "\"\n";
                return 2;
            }
        } else if (args[i] == "--print") {
            print = true;
        } else {
            std::cerr << "tessellonsdk window: unknown option \"" << args[i] << "\"\n";
            return 2;
        }
    }
#if !defined(_WIN32) && !defined(__APPLE__)
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
        std::cerr << "tessellonsdk: there is no display for the window; run `tessellonsdk --help` for the commands.\n";
        return 2;
    }
#endif
    Fl::scheme("gtk+");
    KitWindow kit;
    kit.Open();
    if (!run.empty()) kit.Run(run);
    if (closeAfter > 0)
        Fl::add_timeout(
            closeAfter, [](void* w) { static_cast<Fl_Window*>(w)->hide(); }, kit.Window());
    Fl::run();
    if (print) std::cout << kit.Text();
    return 0;
}

}  // namespace roomkit
