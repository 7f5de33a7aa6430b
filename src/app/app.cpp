#include "app/app.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Output.H>

#include <cstdlib>
#include <iostream>
#include <thread>

#include "app/dialogs.h"
#include "app/scale.h"
#include "app/folder_list.h"
#include "app/script.h"
#include "app/widgets.h"
#include "driver/compile_pipeline.h"
#include "driver/window_scale.h"
#include "session/errors.h"
#include "entities/sun.h"

namespace tessellon::app {

App::App(const GuiOptions& options, Clock& clock, Registry& registry, const std::filesystem::path& home,
         std::ostream& err)
    : session_(std::make_unique<Session>(*this, clock, registry, home)),
      s_(*session_),
      options_(options),
      err_(err),
      accounts_(home, registry) {
    options_.session.TickSeed(s_.settings);
    s_.compile = options_.setup;
}

App::~App() = default;

void App::Name(Fl_Widget* w, const std::string& name) { controls_[name] = w; }

Fl_Widget* App::Control(const std::string& name) const {
    const auto it = controls_.find(name);
    return it == controls_.end() ? nullptr : it->second;
}

std::string App::StatusText() const { return statusText_; }

bool App::WindowShown(const std::string& name) const {
    const Fl_Widget* w = Control(name);
    if (name == "Splash") w = splash_;
    return w && w->visible();
}

int App::Run() {
    Fl::scheme("gtk+");
    // The scale first: this run's --scale, else the saved setting, else the screen's.
    const ScaleChoice saved = ReadScaleSetting(s_.programFolder);
    double scale = options_.scale ? *options_.scale : saved.scale;
    if (!options_.scale && saved.automatic) scale = ScaleForScreen(ScreenDpi(), Fl::w(), Fl::h());
    SetUiScale(scale);
    if (script_ || !options_.script.empty()) err_ << "tessellon gui: window scale " << scale << '\n';
    splash_ = new SplashWindow();
    BuildMainWindow();
    BuildAccountWindow();
    BuildSteamWindow();
    for (Fl_Widget* w : {static_cast<Fl_Widget*>(main_), static_cast<Fl_Widget*>(account_), static_cast<Fl_Widget*>(steam_)})
        ScaleWindow(w);
    main_->size_range(main_->w(), main_->h());
    for (const auto& [name, widget] : controls_)
        if (const char* tip = ControlTooltip(name)) widget->tooltip(tip);
    if (const char* tip = ControlTooltip("StatusLabel")) statusLabel_->SetRestingTooltip(tip);
    if (!options_.script.empty()) {
        script_ = std::make_unique<Script>(*this, err_);
        std::string error;
        if (!script_->Load(options_.script, error)) {
            err_ << "tessellon gui: " << error << '\n';
            return 2;
        }
        script_->Start();
    }
    GlobalInitiate();
    Fl::run();
    // Closing the program: every open file is closed, then every window goes.
    if (s_.log.file.is_open()) s_.log.file.close();
    s_.writer.Abandon();
    delete steam_;
    delete account_;
    delete main_;
    delete splash_;
    return exitCode_;
}

void App::Quit(int code) {
    if (quitting_) return;
    quitting_ = true;
    exitCode_ = code;
    // A build or a compile that is running stops at its next check.
    s_.BuildAborted = true;
    s_.StopCompiler = true;
    s_.CompileAborted = true;
    Fl::remove_timeout(RestartTick, this);
    for (Fl_Window* w : {static_cast<Fl_Window*>(splash_), static_cast<Fl_Window*>(main_),
                         static_cast<Fl_Window*>(account_), static_cast<Fl_Window*>(steam_),
                         static_cast<Fl_Window*>(drawLine_)})
        if (w) w->hide();
}

void App::EndProgram(const ProgramEnd& e) {
    if (!e.Message().empty()) err_ << "tessellon: " << e.Message() << '\n';
    Quit(e.ExitCode());
}

void App::GlobalInitiate() {
    if (quitting_) return;
    const LoadResult r = LoadRoutine(s_, state_, splash_->shown());
    switch (r.step) {
    case StartStep::ShowSplash:
        splash_->show();
        main_->hide();
        Fl::add_timeout(2.5, SplashDone, this);
        return;
    case StartStep::ShowAccountWindow:
        if (script_) err_ << "tessellon gui: the saved account is not usable: " << r.reason << '\n';
        ShowMapPress(r.map);
        ShowAccountWindow();
        Fl::check();
        main_->hide();
        return;
    case StartStep::Ready:
        ShowMapPress(r.map);
        ShowMainReady();
        return;
    }
}

void App::SplashDone(void* self) {
    auto* me = static_cast<App*>(self);
    if (me->quitting_) return;
    me->main_->show();
    me->splash_->hide();
    me->state_.ShownLogo = true;
    me->GlobalInitiate();
}

void App::ShowMainReady() {
    SyncControls();
    ShowSun(CalcSunAngle(s_));
    main_->show();
}

void App::SetStatus(const std::string& text) {
    statusText_ = text;
    statusLabel_->SetText(statusText_);
    if (script_) err_ << "status: " << text << '\n';
}

void App::SetProgress(double, int filledColumns) { progg_->SetFilled(filledColumns); }

void App::Yield() {
    // The build yields very often; the window needs a turn only every few milliseconds.
    const auto now = std::chrono::steady_clock::now();
    if (now - lastYield_ < std::chrono::milliseconds(15)) return;
    lastYield_ = now;
    Fl::check();
    if (options_.slowYieldMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(options_.slowYieldMs));
}

BoxAnswer App::MessageBox(const std::string& title, const std::string& text, BoxIcon icon, BoxButtons buttons) {
    if (script_) err_ << "box: " << title << ": " << text << '\n';
    MessageDialog box(title, text, icon, buttons);
    return box.Run();
}

std::optional<std::string> App::InputBox(const std::string& prompt, const std::string& title,
                                         const std::string& defaultAnswer) {
    if (script_) err_ << "box: " << title << ": " << prompt << '\n';
    MessageDialog box(title, prompt, BoxIcon::Question, BoxButtons::OkCancel, &defaultAnswer);
    if (box.Run() != BoxAnswer::Ok) return std::nullopt;
    return box.InputText();
}

namespace {

const char* const kGuiHelp =
    "Usage: tessellon [gui] [options]\n"
    "Opens the program's window.\n\n"
    "  --home DIR                   program folder (default: $TESSELLON_HOME, else the executable's folder)\n"
    "  --seed N                     start with the custom seed N ticked\n"
    "  --clock \"YYYY-MM-DD HH:MM:SS\" freeze the clock (with a seed, builds repeat exactly)\n"
    "  --compiler-runner PROG|none  run the .exe compilers through PROG (default: wine when installed,\n"
    "                               on systems other than Windows)\n"
    "  --game-start auto|direct|steam  how Half-Life 2 is started after the compile\n"
    "  --steam-program PROG         the Steam client to start the game with (steam)\n"
    "  --restart-delay MS           the automatic restart's countdown step (1000)\n"
    "  --scale auto|100%..300%      how large the windows are drawn for this run (default: the saved\n"
    "                               Window scale, Auto: from the screen's resolution)\n"
    "  --script FILE                drive the window from a script (tests and screenshots)\n"
    "  --slow-yield MS              pause at every turn a build gives the window (to act mid-build in tests)\n";

GuiOptions ParseGuiOptions(const std::vector<std::string>& args) {
    GuiOptions o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) throw UsageError(a + " needs a value.");
            return args[++i];
        };
        if (o.session.Take(a, value)) continue;
        if (a == "--script") o.script = value();
        else if (a == "--slow-yield") o.slowYieldMs = ParseIntOption(a, value(), 0, 1000);
        else if (a == "--scale") {
            const std::string v = value();
            const auto choice = ParseScale(v);
            if (!choice) throw UsageError("--scale needs auto or a size from 100% to 300% (got \"" + v + "\").");
            if (!choice->automatic) o.scale = choice->scale;
        }
        else if (a == "--restart-delay") o.restartDelayMs = ParseIntOption(a, value(), 0, 10000);
        else if (TakeCompileSetupOption(a, value, o.setup)) continue;
        else throw UsageError("unknown option \"" + a + "\". See tessellon gui --help.");
    }
    return o;
}

}  // namespace

int RunGui(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (WantsHelp(args)) {
        out << kGuiHelp;
        return kExitOk;
    }
    GuiOptions options;
    CommandClock clock;
    try {
        options = ParseGuiOptions(args);
        clock.Freeze(options.session.clock);
    } catch (const UsageError& e) {
        err << "tessellon gui: " << e.what() << '\n';
        return kExitUsage;
    }
#ifndef _WIN32
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((!display || !*display) && (!wayland || !*wayland)) {
        err << "tessellon: there is no display to open the window on. Without a window, "
               "`tessellon build` writes a level from the terminal (see `tessellon help`).\n";
        return kExitFailed;
    }
#endif
    std::filesystem::path home;
    if (!FindProgramFolder("gui", options.session.home, err, home)) return kExitUsage;
#ifdef _WIN32
    // Drawn at the screen's own resolution and scaled by us, rather than stretched by Windows
    // (looked up, as systems before Vista lack it).
    if (auto aware = reinterpret_cast<BOOL(WINAPI*)()>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "SetProcessDPIAware"))))
        aware();
#endif
    SystemRegistry registry;
    App app(options, clock.Get(), registry, home, err);
    return app.Run();
}

}  // namespace tessellon::app
