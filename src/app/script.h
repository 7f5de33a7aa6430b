#pragma once
#include <chrono>
#include <ostream>
#include <string>
#include <vector>

namespace tessellon::app {

class App;

// Drives the windows from a text file, one step per line, for tests and screenshots. Steps
// wait (up to the timeout) until they can run, so a script reads like what a user does:
//   set NAME VALUE        a slider, list, check box, text box or folder list
//   press NAME            a button
//   map Y                 a press on the world map at height Y (map units)
//   answer TITLE BUTTON   the open message box with this title
//   expect NAME TEXT      waits until the control shows TEXT
//   expect-has NAME TEXT  waits until the control's text holds TEXT
//   state NAME S          waits until the control is shown, hidden, active or inactive
//   wait-window NAME      waits until the window is shown (MainWindow, AccountWindow, ...)
//   resize NAME W H      a window to another size
//   tooltip NAME          shows the control's tooltip | check-tooltips  every control has one
//   sleep MS | timeout SECONDS | shot FILE | close
// '#' starts a comment line. A step that cannot run in time ends the program with status 3.
class Script {
public:
    Script(App& app, std::ostream& err) : app_(app), err_(err) {}
    bool Load(const std::string& file, std::string& error);
    void Start();

private:
    struct Line {
        int number;
        std::string text;
        std::vector<std::string> words;
    };
    static void Tick(void* self);
    void Advance();
    // True when the step ran; false while it must wait. Throws std::runtime_error on a bad step.
    bool Try(const Line& line);
    [[noreturn]] void Fail(const Line& line, const std::string& why);

    App& app_;
    std::ostream& err_;
    std::vector<Line> lines_;
    std::size_t next_ = 0;
    std::chrono::steady_clock::time_point since_;
    double timeoutSeconds_ = 60;
    bool exclusive_ = false;  // a step that must not be overtaken is running
};

}  // namespace tessellon::app
