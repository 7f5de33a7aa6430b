#pragma once
#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "session/errors.h"
#include "session/session.h"
#include "driver/window_options.h"
#include "entities/sun.h"
#include "paths/accounts.h"
#include "paths/steam_folder.h"
#include "platform/ui.h"

class Fl_Box;
class Fl_Button;
class Fl_Check_Button;
class Fl_Choice;
class Fl_Double_Window;
class Fl_Group;
class Fl_Hold_Browser;
class Fl_Multiline_Output;
class Fl_Input;
class Fl_Output;
class Fl_Text_Buffer;
class Fl_Text_Display;
class Fl_Widget;
class Fl_Window;

namespace tessellon::app {

class CoverPanel;
class MoonBox;
class OptionSlider;
class ProgressBar;
class Script;
class SplashWindow;
class StatusLine;
class WorldMapBox;
class FolderList;
class PictureBox;

// What `tessellon gui` was started with.
struct GuiOptions {
    SessionOptions session;
    CompileSetup setup;
    int restartDelayMs = 1000;
    std::string script;
    int slowYieldMs = 0;
    std::optional<double> scale;  // --scale: this run only, over the saved setting
};

// The program as the user sees it: the windows, their controls and the flow between them. It
// is the Ui of its session, so the core's status, progress and boxes reach the widgets.
class App final : public Ui {
public:
    App(const GuiOptions& options, Clock& clock, Registry& registry, const std::filesystem::path& home,
        std::ostream& err);
    ~App() override;

    // Shows the first window and runs the event loop; the program's exit code.
    int Run();

    // Ui
    void SetStatus(const std::string& text) override;
    void SetProgress(double percent, int filledColumns) override;
    void Yield() override;
    BoxAnswer MessageBox(const std::string& title, const std::string& text, BoxIcon icon, BoxButtons buttons) override;
    std::optional<std::string> InputBox(const std::string& prompt, const std::string& title,
                                        const std::string& defaultAnswer) override;
    void LockBuildControls(bool locked) override;
    void ShowCompilePanel(bool shown) override;
    void ShowLevelPlan(const LevelPlan& plan, int roomsDone) override;
    void ShowMazePreview(const MazePicture& picture) override;
    void ShowCompileProgress(const CompileReport& report, const std::string& newOutput) override;

    // For the script: a control by its name, the status text, which windows are up.
    Fl_Widget* Control(const std::string& name) const;
    std::string StatusText() const;
    bool WindowShown(const std::string& name) const;
    Session& GetSession() { return s_; }
    // Ends the program: every window closes and Run returns `code`.
    void Quit(int code);
    // The program ends through the core: its message (if any) to the error stream, then Quit.
    void EndProgram(const ProgramEnd& e);

private:
    friend class Script;
    void BuildMainWindow();
    void BuildAccountWindow();
    void BuildSteamWindow();
    void BuildRoomManager();
    void Name(Fl_Widget* w, const std::string& name);

    // The flow of windows.
    void GlobalInitiate();
    static void SplashDone(void* self);
    void ShowAccountWindow();
    void ShowSteamWindow();
    void ShowMainReady();

    // Main window commands.
    void Create();
    void ArmRestartTimer();
    static void RestartTick(void* self);
    void SyncControls();
    void ShowMapPress(const MapPress& p);
    void ShowSun(const SunDisplay& sun);
    void OnClockChanged();
    void ShowLastCompile();

    // The room manager panel.
    void OpenRoomManager();
    void RefreshRoomList();
    void RefreshRooms();
    void ShowRoomDetails();
    // The selected room seen from just inside its first doorway, looking in.
    void ShowInsideView(const std::filesystem::path& roomFile);
    void ToggleRoomTestMode();
    void ShowTestModeOff();
    void DeleteSelectedRoom();
    int SelectedRoom() const;
    void SetCaption();
    // The developer batch of maze pictures, drawn in the "DrawLine" window.
    void MakeMazeBatch(int count);

    // Account window.
    void FillAccountList();
    void AccountSelected();
    void ConfirmAccount();
    // Steam folder window.
    void ShowSteamFolder(const std::string& folder);
    void SteamFolderChanged(const std::string& folder);

    std::unique_ptr<Session> session_;
    Session& s_;
    GuiOptions options_;
    std::ostream& err_;
    StartUpState state_;
    AccountChooser accounts_;
    std::unique_ptr<SteamPathChooser> steamChooser_;
    std::unique_ptr<Script> script_;
    std::map<std::string, Fl_Widget*> controls_;
    int exitCode_ = 0;
    bool quitting_ = false;
    bool building_ = false;
    int restartsInRow_ = 0;  // automatic restarts since the user last pressed create
    bool restarting_ = false;
    std::chrono::steady_clock::time_point lastYield_{};

    // Windows.
    SplashWindow* splash_ = nullptr;
    Fl_Double_Window* main_ = nullptr;
    Fl_Double_Window* account_ = nullptr;
    Fl_Double_Window* steam_ = nullptr;

    // Main window controls.
    std::vector<OptionSlider*> sliders_;
    std::vector<Fl_Widget*> lockable_;
    StatusLine* statusLabel_ = nullptr;
    Fl_Choice* windowScale_ = nullptr;
    std::string statusText_;
    ProgressBar* progg_ = nullptr;
    Fl_Button* create_ = nullptr;
    Fl_Button* abort_ = nullptr;
    OptionSlider* clockBar_ = nullptr;
    Fl_Box* bigTimer_ = nullptr;
    std::string bigTimerText_;
    OptionSlider* moonBar_ = nullptr;
    MoonBox* moon_ = nullptr;
    Fl_Choice* season_ = nullptr;
    Fl_Choice* genre_ = nullptr;
    WorldMapBox* map_ = nullptr;
    Fl_Output* latitudBox_ = nullptr;
    Fl_Output* sunAngleBox_ = nullptr;
    Fl_Check_Button* customSeed_ = nullptr;
    Fl_Input* customSeedBox_ = nullptr;
    std::vector<std::pair<Fl_Check_Button*, bool BuildSettings::*>> checks_;
    Fl_Output* userAccount_ = nullptr;
    CoverPanel* compileFrame_ = nullptr;
    Fl_Check_Button* compileRunMap_ = nullptr;
    Fl_Box* compileTitle_ = nullptr;
    std::vector<Fl_Box*> compileRows_;
    std::vector<std::string> compileRowText_;
    Fl_Text_Buffer* compileText_ = nullptr;
    Fl_Text_Display* compileOutput_ = nullptr;
    Fl_Text_Buffer* problemsText_ = nullptr;
    Fl_Text_Display* compileProblems_ = nullptr;
    std::string problemsShown_;
    Fl_Button* compileAbort_ = nullptr;
    Fl_Button* compileClose_ = nullptr;
    Fl_Button* lastCompile_ = nullptr;  // opens the last compile's panel again to read it
    PictureBox* levelMap_ = nullptr;    // the level taking shape, over the world map
    PictureBox* compileLevelMap_ = nullptr;
    std::string captionText_;

    // Room manager panel.
    CoverPanel* roomManager_ = nullptr;
    Fl_Hold_Browser* roomList_ = nullptr;
    std::vector<Fl_Output*> roomDetails_;
    Fl_Multiline_Output* roomDescription_ = nullptr;
    Fl_Button* testRoom_ = nullptr;
    Fl_Button* deleteRoom_ = nullptr;
    PictureBox* roomPicture_ = nullptr;
    PictureBox* roomInsideView_ = nullptr;
    PictureBox* roomConnections_ = nullptr;
    PictureBox* testModePicture_ = nullptr;
    Fl_Box* testModeNote_ = nullptr;
    std::string testModeNoteText_;

    // The developer maze preview.
    Fl_Double_Window* drawLine_ = nullptr;
    PictureBox* drawLinePicture_ = nullptr;

    // Account window controls.
    Fl_Hold_Browser* accountList_ = nullptr;
    Fl_Check_Button* hl2Installed_ = nullptr;
    Fl_Check_Button* sdkInstalled_ = nullptr;
    Fl_Check_Button* makeDefault_ = nullptr;
    Fl_Button* accountOk_ = nullptr;
    Fl_Output* accountFolder_ = nullptr;

    // Steam folder window controls.
    Fl_Choice* drives_ = nullptr;
    FolderList* folders_ = nullptr;
    Fl_Output* steamFolderText_ = nullptr;
    Fl_Button* steamButton_ = nullptr;
    Fl_Box* steamLabel_ = nullptr;
    std::vector<Fl_Widget*> arrows_;
    std::string steamCaption_, steamLabelText_;
};

// `tessellon` without a command, or `tessellon gui [options]`.
int RunGui(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace tessellon::app
