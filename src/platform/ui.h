#pragma once
#include <optional>
#include <string>

namespace tessellon {

struct CompileReport;
struct LevelPlan;
class MazePicture;

enum class BoxIcon { Information, Critical, Question };
enum class BoxButtons { Ok, OkCancel, YesNo };
enum class BoxAnswer { Ok, Cancel, Yes, No };

// Everything the core shows to the user or asks of them goes through here. The window
// implements it with widgets, the headless front end with the terminal, tests with a script.
class Ui {
public:
    virtual ~Ui() = default;
    virtual void SetStatus(const std::string& text) = 0;
    // percent 0..100; filledColumns is how many of the bar's 673 columns are painted.
    virtual void SetProgress(double percent, int filledColumns) = 0;
    // Let pending events run (repaints, the abort command).
    virtual void Yield() = 0;
    virtual BoxAnswer MessageBox(const std::string& title, const std::string& text, BoxIcon icon,
                                 BoxButtons buttons) = 0;
    // nullopt when the user cancels.
    virtual std::optional<std::string> InputBox(const std::string& prompt, const std::string& title,
                                                const std::string& defaultAnswer) = 0;
    // Disable the option frames and commands while a build runs, and show the abort command.
    virtual void LockBuildControls(bool locked) = 0;
    // Show or hide the compile panel (with its abort command and its RunMapCheck box).
    virtual void ShowCompilePanel(bool shown) { (void)shown; }
    // The level taking shape: its maze as laid out (roomsDone 0), then again after each room
    // has been generated (roomsDone rooms of the line are in).
    virtual void ShowLevelPlan(const LevelPlan& plan, int roomsDone) { (void)plan, (void)roomsDone; }
    // The developer maze preview has a new drawing to present.
    virtual void ShowMazePreview(const MazePicture& picture) { (void)picture; }
    // The compile has moved on: its rows and problems as they are now, and the compilers'
    // output that arrived since the last call (often empty).
    virtual void ShowCompileProgress(const CompileReport& report, const std::string& newOutput) {
        (void)report, (void)newOutput;
    }
};

}  // namespace tessellon
