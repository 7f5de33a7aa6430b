// The main window: the options, the randomisers, the clock, moon and world map, the status
// line and progress bar, the create and abort commands and the compile panel.
#include "app/app.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Output.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Text_Buffer.H>
#include <FL/Fl_Text_Display.H>

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "app/layout.h"
#include "app/scale.h"
#include "app/widgets.h"
#include "driver/auto_restart.h"
#include "driver/build_driver.h"
#include "driver/compile_pipeline.h"
#include "driver/compile_problems.h"
#include "driver/window_scale.h"
#include "session/errors.h"
#include "session/report.h"
#include "entities/sun.h"
#include "picture/room_picture.h"

namespace tessellon::app {

namespace {

constexpr int kMainW = 1000, kMainH = 740;

// The create command's picture: a few room tiles in the bar's colours.
Fl_RGB_Image* CreateButtonImage() {
    // Drawn at the window's scale: 36 pixels a side at 100 %.
    const int size = Px(36), cell = size / 3;
    static std::vector<uchar> pixels;
    pixels.assign(static_cast<std::size_t>(size * size * 3), 0);
    static const char* kTiles[] = {"#..", "##.", ".##"};
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            uchar* p = pixels.data() + (y * size + x) * 3;
            const int tx = std::min(2, x / cell), ty = std::min(2, y / cell);
            const int gap = std::max(1, cell / 12);
            const bool inside = x % cell >= gap && x % cell < cell - gap && y % cell >= gap && y % cell < cell - gap;
            if (kTiles[ty][tx] == '#' && inside) {
                const ProgressColor c = ProgressColumnColor(1 + (tx + ty) * 168);
                p[0] = static_cast<uchar>(c.red + 40), p[1] = static_cast<uchar>(c.green + 40),
                p[2] = static_cast<uchar>(c.blue + 40);
            } else {
                p[0] = p[1] = p[2] = 235;
            }
        }
    static Fl_RGB_Image image(pixels.data(), size, size, 3);
    return &image;
}

}  // namespace

void App::BuildMainWindow() {
    main_ = new Fl_Double_Window(kMainW, kMainH, "Tessellon 0.9.34");
    Name(main_, "MainWindow");

    // Options.
    auto* options = Frame(10, 26, 480, 6 * 52 + 16, "Options");
    for (std::size_t i = 0; i < OptionSliders().size(); ++i) {
        const SliderControl& c = OptionSliders()[i];
        auto* slider = new OptionSlider(22, 36 + static_cast<int>(i) * 52, 456, c);
        Name(slider->Slider(), c.name);
        slider->onChange = [this, &c](int v) { s_.settings.*(c.field) = v; };
        sliders_.push_back(slider);
    }
    options->end();
    lockable_.push_back(options);

    genre_ = new Fl_Choice(110, 366, 170, 24, "Theme/Genre:");
    genre_->add("0 - Gene");
    genre_->value(0);
    genre_->labelsize(12);
    Name(genre_, "Combo1");
    On(genre_, [this] { s_.settings.Genre = genre_->value(); });
    lockable_.push_back(genre_);
    windowScale_ = new Fl_Choice(400, 366, 90, 24, "Window scale:");
    windowScale_->labelsize(12);
    for (const char* item : {"Auto", "100%", "125%", "150%", "175%", "200%", "250%", "300%"}) windowScale_->add(item);
    {
        const ScaleChoice saved = ReadScaleSetting(s_.programFolder);
        const int index = saved.automatic ? 0 : windowScale_->find_index(ScaleText(saved).c_str());
        windowScale_->value(index < 0 ? 0 : index);
    }
    Name(windowScale_, "WindowScale");
    On(windowScale_, [this] {
        const Fl_Menu_Item* item = windowScale_->mvalue();
        const auto choice = ParseScale(item && item->label() ? item->label() : "auto");
        if (choice && SaveScaleSetting(s_.programFolder, *choice))
            SetStatus("The window scale " + ScaleText(*choice) + " takes effect at the next start.");
        else SetStatus("The window scale could not be saved in " + (s_.programFolder / "window.ini").string() + ".");
    });
    auto* levels = Text(10, 396, 100, 20, "Levels:");
    levels->labelfont(FL_HELVETICA_BOLD);
    Text(110, 396, 380, 20, "Level change is not supported at this time.");

    // The check boxes.
    auto check = [this](int x, int y, int w, const char* name, const char* caption, bool BuildSettings::*field) {
        auto* b = new Fl_Check_Button(x, y, w, 22, caption);
        b->labelsize(12);
        b->value(s_.settings.*field ? 1 : 0);
        Name(b, name);
        On(b, [this, b, field] { s_.settings.*field = b->value() != 0; });
        checks_.push_back({b, field});
        return b;
    };
    auto* extras = Frame(10, 440, 480, 96, "Extras");
    check(20, 448, 300, "AAR", "Armed and Ready       (All Weapons)", &BuildSettings::AllWeapons);
    check(20, 476, 300, "SH", "Silent Halls              (No Mosters)", &BuildSettings::NoMonsters);
    check(20, 504, 300, "FP", "Flashlight Power!      (Skip Lights)", &BuildSettings::SkipLights);
    check(296, 448, 190, "LogFile", "Write Log File", &BuildSettings::WriteLogFile);
    check(296, 476, 190, "DetStatus", "Show More Detailed Status", &BuildSettings::DetailedStatus);
    extras->end();
    lockable_.push_back(extras);
    auto* compileOptions = Frame(10, 558, 480, 68, "Compile Options");
    check(20, 566, 460, "RunMapCheck", "Start HL2 and run map automaticly after compile",
          &BuildSettings::RunMapAfterCompile);
    check(20, 594, 460, "RCUnhidden", "Advanced users only: Run compiler unhidden", &BuildSettings::CompilerUnhidden);
    compileOptions->end();
    lockable_.push_back(compileOptions);

    // Time of the day, moon, season and place.
    auto* timeFrame = Frame(505, 26, 485, 134, "Time of the Day");
    static const SliderControl kClock{"ClockBar", "Clock (half hours):",    {"0:00", "12:00", "24:00"}, 0, 48, 24,
                                      "",         &BuildSettings::TimeOfDay};
    static const SliderControl kMoon{"MoonBar", "Moon:", {"new", "full"}, 1, 5, 3, "", &BuildSettings::Moon};
    clockBar_ = new OptionSlider(517, 34, 300, kClock);
    Name(clockBar_->Slider(), "ClockBar");
    clockBar_->onChange = [this](int v) {
        s_.settings.TimeOfDay = v;
        OnClockChanged();
    };
    bigTimer_ = new Fl_Box(830, 36, 150, 50);
    bigTimer_->box(FL_THIN_DOWN_BOX);
    bigTimer_->color(fl_rgb_color(20, 24, 30));
    bigTimer_->labelcolor(fl_rgb_color(120, 230, 160));
    bigTimer_->labelfont(FL_COURIER_BOLD);
    bigTimer_->labelsize(30);
    bigTimerText_ = "12:00";
    bigTimer_->label(bigTimerText_.c_str());
    Name(bigTimer_, "BigTimerBox");
    moonBar_ = new OptionSlider(517, 100, 300, kMoon);
    Name(moonBar_->Slider(), "MoonBar");
    moonBar_->onChange = [this](int v) {
        s_.settings.Moon = v;
        ShowSun(CalcSunAngle(s_));
    };
    moon_ = new MoonBox(878, 96, 56);
    Name(moon_, "MoonPicture");
    timeFrame->end();
    lockable_.push_back(timeFrame);

    season_ = new Fl_Choice(680, 170, 130, 24, "N Hemisphere Season:");
    for (const char* name : SeasonNames()) season_->add(name);
    season_->value(3);
    season_->labelsize(12);
    Name(season_, "Combo2");
    On(season_, [this] {
        s_.settings.season = static_cast<Season>(season_->value());
        ShowSun(CalcSunAngle(s_));
    });
    lockable_.push_back(season_);

    auto* mapFrame = Frame(505, 222, 485, 296, "Place on Earth (press the map)");
    map_ = new WorldMapBox(515, 230, 465, 252);
    Name(map_, "Picture1");
    map_->onPress = [this](double y) { ShowMapPress(PressWorldMap(s_, y)); };
    latitudBox_ = new Fl_Output(590, 488, 70, 24, "Latitude:");
    latitudBox_->value("0");
    latitudBox_->labelsize(12);
    Name(latitudBox_, "LatitudBox");
    sunAngleBox_ = new Fl_Output(770, 488, 80, 24, "Sun angle:");
    sunAngleBox_->value("90");
    sunAngleBox_->labelsize(12);
    Name(sunAngleBox_, "SunAngleBox");
    mapFrame->end();
    lockable_.push_back(mapFrame);
    // While and after a build the level's layout lies over the world map (outside the
    // locked frame, so it stays lit); a press brings the map back.
    levelMap_ = new PictureBox(515, 230, 465, 252);
    levelMap_->color(fl_rgb_color(28, 34, 44));
    levelMap_->labelcolor(FL_WHITE);
    levelMap_->onPress = [this] {
        levelMap_->hide();
        main_->redraw();
    };
    levelMap_->hide();
    Name(levelMap_, "LevelMap");

    try {
        map_->SetMap(ReadWorldMap(s_.programFolder / "coastline-110m.txt"));
    } catch (const std::exception& e) {
        err_ << "tessellon: " << e.what() << " The world map is drawn without its coasts.\n";
    }

    // Randomizing.
    auto* rnd = Frame(505, 540, 485, 86, "Randomizing");
    auto* randomOptions = new Fl_Button(517, 550, 225, 28, "Set Randomized Options");
    Name(randomOptions, "Command2");
    On(randomOptions, [this] {
        SetRandomizedOptions(s_);
        SyncControls();
    });
    auto* randomTime = new Fl_Button(752, 550, 225, 28, "Randomize Time");
    Name(randomTime, "Command4");
    On(randomTime, [this] {
        const MapPress p = RandomizeTime(s_);
        SyncControls();
        ShowMapPress(p);
    });
    customSeed_ = new Fl_Check_Button(517, 590, 130, 24, "Custom Seed");
    customSeed_->labelsize(12);
    Name(customSeed_, "CustomSeed");
    customSeedBox_ = new Fl_Input(700, 590, 160, 24, "Seed:");
    customSeedBox_->labelsize(12);
    customSeedBox_->when(FL_WHEN_CHANGED);
    Name(customSeedBox_, "CustomSeedBox");
    On(customSeed_, [this] {
        s_.settings.CustomSeed = customSeed_->value() ? CheckState::Ticked : CheckState::Unticked;
        if (customSeed_->value()) customSeedBox_->activate();
        else customSeedBox_->deactivate();
    });
    On(customSeedBox_, [this] { s_.settings.CustomSeedBox = customSeedBox_->value(); });
    rnd->end();
    lockable_.push_back(rnd);

    // Account and room manager.
    Text(10, 640, 250, 24, "The user account is currently set to:");
    userAccount_ = new Fl_Output(250, 640, 240, 24);
    userAccount_->value(state_.UserAccount.c_str());
    Name(userAccount_, "UserAccount");
    auto* changeAccount = new Fl_Button(505, 640, 150, 24, "Change Account");
    Name(changeAccount, "Command5");
    On(changeAccount, [this] {
        // The account window is shown in this run now: what the user confirms in it is used
        // even with the default box unticked.
        state_.ShownHL2Path = true;
        main_->hide();
        ShowAccountWindow();
    });
    lockable_.push_back(changeAccount);
    auto* roomManager = new Fl_Button(665, 640, 190, 24, "Launch Room Manager");
    Name(roomManager, "Command6");
    On(roomManager, [this] { OpenRoomManager(); });
    lockable_.push_back(roomManager);

    // Status, progress and the commands.
    statusText_ = "Status: Initiating...";
    statusLabel_ = new StatusLine(10, 666, 677, 28);
    statusLabel_->SetText(statusText_);
    Name(statusLabel_, "StatusLabel");
    progg_ = new ProgressBar(10, 694);
    Name(progg_, "Progg");
    create_ = new Fl_Button(700, 672, 290, 54, "Create Level!");
    create_->image(CreateButtonImage());
    create_->align(FL_ALIGN_IMAGE_NEXT_TO_TEXT);
    create_->labelfont(FL_HELVETICA_BOLD);
    create_->labelsize(18);
    Name(create_, "Command1");
    On(create_, [this] { Create(); });
    abort_ = new Fl_Button(700, 672, 290, 54, "Abort");
    abort_->labelfont(FL_HELVETICA_BOLD);
    abort_->labelsize(18);
    abort_->color(fl_rgb_color(200, 90, 80));
    abort_->hide();
    Name(abort_, "AbortButton");
    On(abort_, [this] { AbortBuild(s_); });

    BuildRoomManager();

    // Before the compile panel, which lies over it.
    lastCompile_ = new Fl_Button(865, 640, 125, 24, "Last Compile");
    lastCompile_->hide();
    Name(lastCompile_, "LastCompile");
    On(lastCompile_, [this] { ShowLastCompile(); });
    lockable_.push_back(lastCompile_);

    // The compile panel, over the options while the compilers run (and again on "Last Compile",
    // to read what the compilers said).
    compileFrame_ = new CoverPanel(0, 0, kMainW, 666);
    compileFrame_->box(FL_FLAT_BOX);
    compileFrame_->color(fl_rgb_color(222, 226, 218));
    compileTitle_ = new Fl_Box(20, 8, 960, 36, "Compiling your level");
    compileTitle_->labelfont(FL_HELVETICA_BOLD);
    compileTitle_->labelsize(24);
    compileTitle_->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
    Text(20, 44, 960, 40,
         "The map compilers vbsp, vvis and vrad run one after the other at idle priority, so the computer stays "
         "usable. A large level can take several minutes. Their output is below and kept in compile.log.",
         13);
    auto* rowsFrame = Frame(20, 104, 400, 114, "Compilers");
    for (int i = 0; i < 3; ++i) {
        static const char* kNames[] = {"vbsp", "vvis", "vrad"};
        auto* name = new Fl_Box(30, 112 + i * 34, 60, 28, kNames[i]);
        name->labelfont(FL_HELVETICA_BOLD);
        name->labelsize(14);
        name->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
        auto* state = new Fl_Box(92, 112 + i * 34, 318, 28, "waiting");
        state->box(FL_BORDER_BOX);
        state->labelsize(13);
        state->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
        Name(state, "CompileRow" + std::to_string(i));
        compileRows_.push_back(state);
    }
    compileRowText_.assign(3, "waiting");
    rowsFrame->end();
    compileRunMap_ = new Fl_Check_Button(20, 228, 400, 26, "Start Half-Life 2 automaticly after Compile is done");
    compileRunMap_->labelsize(13);
    Name(compileRunMap_, "CompileRunMapCheck");
    On(compileRunMap_, [this] { s_.CompileRunMapCheck = compileRunMap_->value() != 0; });
    compileAbort_ = new Fl_Button(20, 262, 200, 34, "Abort Compile");
    compileAbort_->labelfont(FL_HELVETICA_BOLD);
    Name(compileAbort_, "Command3");
    On(compileAbort_, [this] { AbortCompile(s_); });
    compileClose_ = new Fl_Button(20, 262, 200, 34, "Close");
    compileClose_->labelfont(FL_HELVETICA_BOLD);
    compileClose_->hide();
    Name(compileClose_, "CompileClose");
    On(compileClose_, [this] {
        compileFrame_->hide();
        main_->redraw();
    });
    compileLevelMap_ = new PictureBox(20, 306, 400, 348);
    compileLevelMap_->color(fl_rgb_color(28, 34, 44));
    compileLevelMap_->labelcolor(FL_WHITE);
    Name(compileLevelMap_, "CompileLevelMap");
    compileText_ = new Fl_Text_Buffer();
    compileOutput_ = new Fl_Text_Display(440, 122, 540, 316, "Compiler output:");
    compileOutput_->buffer(compileText_);
    compileOutput_->textfont(FL_COURIER);
    compileOutput_->textsize(12);
    compileOutput_->labelsize(13);
    compileOutput_->labelfont(FL_HELVETICA_BOLD);
    compileOutput_->align(FL_ALIGN_TOP_LEFT);
    Name(compileOutput_, "CompileOutput");
    problemsText_ = new Fl_Text_Buffer();
    compileProblems_ = new Fl_Text_Display(440, 462, 540, 192, "What the output shows:");
    compileProblems_->buffer(problemsText_);
    compileProblems_->wrap_mode(Fl_Text_Display::WRAP_AT_BOUNDS, 0);
    compileProblems_->textsize(13);
    compileProblems_->labelsize(13);
    compileProblems_->labelfont(FL_HELVETICA_BOLD);
    compileProblems_->align(FL_ALIGN_TOP_LEFT);
    Name(compileProblems_, "CompileProblems");
    compileFrame_->end();
    compileFrame_->hide();
    Name(compileFrame_, "CompileFrame");
    main_->end();
    main_->resizable(main_);
    main_->size_range(kMainW, kMainH);
    main_->callback([](Fl_Widget*, void* self) { static_cast<App*>(self)->Quit(0); }, this);
    SetCaption();
    // Developers: Ctrl+Shift+M draws the batch of 100 maze lines into the "DrawLine" window
    // and saves them to the Maps folder.
    static App* developerTarget = nullptr;
    developerTarget = this;
    Fl::add_handler([](int event) {
        if (event != FL_SHORTCUT || !developerTarget) return 0;
        const int state = Fl::event_state();
        if ((Fl::event_key() != 'm' && Fl::event_key() != 'M') || !(state & FL_CTRL) || !(state & FL_SHIFT)) return 0;
        developerTarget->MakeMazeBatch(100);
        return 1;
    });
    SyncControls();
}

void App::SyncControls() {
    for (std::size_t i = 0; i < sliders_.size(); ++i) sliders_[i]->SetValue(s_.settings.*(OptionSliders()[i].field));
    clockBar_->SetValue(s_.settings.TimeOfDay);
    moonBar_->SetValue(s_.settings.Moon);
    bigTimerText_ = ClockText(s_.settings.TimeOfDay);
    bigTimer_->label(bigTimerText_.c_str());
    season_->value(static_cast<int>(s_.settings.season));
    genre_->value(s_.settings.Genre);
    for (auto& [box, field] : checks_) box->value(s_.settings.*field ? 1 : 0);
    const bool seed = s_.settings.CustomSeed == CheckState::Ticked;
    customSeed_->value(seed ? 1 : 0);
    customSeedBox_->value(s_.settings.CustomSeedBox.c_str());
    if (seed) customSeedBox_->activate();
    else customSeedBox_->deactivate();
    userAccount_->value(state_.UserAccount.c_str());
    main_->redraw();
}

void App::ShowSun(const SunDisplay& sun) {
    sunAngleBox_->value(sun.SunAngleBox.c_str());
    if (sun.MoonImage) moon_->SetImage(*sun.MoonImage);
}

void App::ShowMapPress(const MapPress& p) {
    map_->SetMarker(p.markerY);
    latitudBox_->value(p.LatitudBox.c_str());
    sunAngleBox_->value(p.SunAngleBox.c_str());
    if (p.MoonImage) moon_->SetImage(*p.MoonImage);
}

void App::OnClockChanged() {
    bigTimerText_ = ClockText(s_.settings.TimeOfDay);
    bigTimer_->label(bigTimerText_.c_str());
    bigTimer_->redraw();
    ShowSun(CalcSunAngle(s_));
}

void App::Create() {
    if (building_) return;
    building_ = true;
    if (!restarting_) restartsInRow_ = 0;
    restarting_ = false;
    s_.compile = options_.setup;
    s_.compile.afterBuild = !s_.HL2Path.empty();
    try {
        const CreateOutcome outcome = RunCreateCommand(s_);
        building_ = false;
        if (outcome == CreateOutcome::Finished && s_.HL2Path.empty())
            MessageBox("Not compiled", NoAccountCompileText((s_.programFolder / "level1.vmf").string()),
                       BoxIcon::Information, BoxButtons::Ok);
        if (s_.RestartTimerEnabled) ArmRestartTimer();
    } catch (const ProgramEnd& e) {
        building_ = false;
        EndProgram(e);
    }
}

void App::ArmRestartTimer() {
    const double seconds = std::min(s_.RestartTimerInterval, options_.restartDelayMs) / 1000.0;
    Fl::remove_timeout(RestartTick, this);
    Fl::add_timeout(seconds, RestartTick, this);
}

void App::RestartTick(void* self) {
    auto* me = static_cast<App*>(self);
    if (me->quitting_) return;
    if (!RestartTimerTick(me->s_)) {
        if (me->s_.RestartTimerEnabled) me->ArmRestartTimer();
        return;
    }
    if (!me->create_->active() || !me->create_->visible()) return;
    // With a custom seed the same level leaves the map every time: stop after a few tries.
    if (++me->restartsInRow_ > kMaxAutomaticRestarts) {
        me->SetStatus("Ready...");
        me->MessageBox("Restart",
                       "The level left the map's bounds again after " + std::to_string(kMaxAutomaticRestarts) +
                           " automatic restarts. Try another seed or a smaller map size.",
                       BoxIcon::Information, BoxButtons::Ok);
        return;
    }
    me->restarting_ = true;
    me->Create();
}

void App::LockBuildControls(bool locked) {
    for (Fl_Widget* w : lockable_) {
        if (locked) w->deactivate();
        else w->activate();
    }
    if (locked) {
        create_->hide();
        abort_->show();
    } else {
        abort_->hide();
        create_->show();
    }
    main_->redraw();
}

void App::ShowLevelPlan(const LevelPlan& plan, int roomsDone) {
    const int rooms = static_cast<int>(plan.rooms.size()) - 1;
    levelMap_->SetPicture(DrawLevelPlan(plan, s_.RoomCatalogue, roomsDone, levelMap_->w() - 4, levelMap_->h() - 22));
    levelMap_->SetCaption(roomsDone == 0 ? "Maze laid out: " + std::to_string(rooms) + " rooms"
                                         : "Level layout: " + std::to_string(roomsDone) + " of " +
                                               std::to_string(rooms) + " rooms (press for the world map)");
    levelMap_->show();
    compileLevelMap_->SetPicture(
        DrawLevelPlan(plan, s_.RoomCatalogue, roomsDone, compileLevelMap_->w() - 4, compileLevelMap_->h() - 22));
    compileLevelMap_->SetCaption("Your level: " + std::to_string(rooms) + " rooms");
}

void App::ShowCompilePanel(bool shown) {
    if (shown) {
        compileTitle_->label("Compiling your level");
        compileText_->text("");
        problemsText_->text("");
        problemsShown_.clear();
        compileRunMap_->value(s_.CompileRunMapCheck ? 1 : 0);
        compileRunMap_->activate();
        compileClose_->hide();
        compileAbort_->show();
        compileFrame_->Cover();
        abort_->hide();
    } else {
        compileFrame_->hide();
        if (building_) abort_->show();
        lastCompile_->show();
    }
    main_->redraw();
}

void App::ShowLastCompile() {
    compileTitle_->label("The last compile");
    compileRunMap_->deactivate();
    compileAbort_->hide();
    compileClose_->show();
    compileFrame_->Cover();
    main_->redraw();
}

namespace {

std::string Duration(double seconds) {
    char text[32];
    if (seconds < 60) std::snprintf(text, sizeof text, "%.1f s", seconds);
    else
        std::snprintf(text, sizeof text, "%d:%02d min", static_cast<int>(seconds) / 60, static_cast<int>(seconds) % 60);
    return text;
}

std::string RowText(const CompilerRow& row) {
    switch (row.state) {
    case CompilerState::Waiting: return "waiting";
    case CompilerState::Running: return "running for " + Duration(std::floor(row.seconds));
    case CompilerState::Finished:
        return "finished in " + Duration(row.seconds) +
               (row.exitCode == 0 ? ", exit status 0 (no error)" : ", exit status " + std::to_string(row.exitCode));
    case CompilerState::Stopped: return "stopped after " + Duration(row.seconds);
    }
    return "";
}

Fl_Color RowColour(const CompilerRow& row) {
    switch (row.state) {
    case CompilerState::Waiting: return fl_rgb_color(236, 236, 232);
    case CompilerState::Running: return fl_rgb_color(196, 218, 246);
    case CompilerState::Finished: return row.exitCode == 0 ? fl_rgb_color(200, 232, 196) : fl_rgb_color(246, 200, 190);
    case CompilerState::Stopped: return fl_rgb_color(246, 222, 170);
    }
    return FL_WHITE;
}

}  // namespace

void App::ShowCompileProgress(const CompileReport& report, const std::string& newOutput) {
    if (!newOutput.empty()) {
        std::string text;
        text.reserve(newOutput.size());
        for (const char c : newOutput)
            if (c != '\r') text += c;
        compileText_->append(text.c_str());
        // Follow the end, as a console does.
        compileOutput_->insert_position(compileText_->length());
        compileOutput_->show_insert_position();
    }
    for (std::size_t i = 0; i < report.rows.size() && i < compileRows_.size(); ++i) {
        const std::string text = RowText(report.rows[i]);
        if (text == compileRowText_[i] && compileRows_[i]->color() == RowColour(report.rows[i])) continue;
        compileRowText_[i] = text;
        compileRows_[i]->copy_label(text.c_str());
        compileRows_[i]->color(RowColour(report.rows[i]));
        compileRows_[i]->redraw();
    }
    std::string problems;
    for (const auto& p : report.problems) problems += ProblemTitle(p) + "\n" + ProblemExplanation(p, report) + "\n\n";
    if (problems.empty() && report.finished) problems = "Nothing known went wrong.";
    if (problems != problemsShown_) {
        problemsShown_ = problems;
        problemsText_->text(problems.c_str());
    }
}

}  // namespace tessellon::app
