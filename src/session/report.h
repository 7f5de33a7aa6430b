#pragma once
#include <string>

namespace tessellon {

struct Session;

// The status line and, when the log file is on, a time-stamped line in the log file.
// Slow lines appear only with the detailed status ticked; OnlyLogFile lines never reach the
// status line; NotCompiling lines are logged even with the log file off.
void Log(Session& s, const std::string& text, bool slow = false, bool onlyLogFile = false, bool notCompiling = false);

// Reports an error in its boxes, writes errorlog.txt for a fatal one and ends the program
// (throws ProgramEnd). Never returns.
[[noreturn]] void MapError(Session& s, const std::string& errMsg, bool fatal, const std::string& fatalMsg = "");

constexpr int kProgressColumns = 673;
constexpr int kProgressHeight = 25;

struct ProgressColor {
    int red, green, blue;
};

// How many of the bar's columns a percentage fills.
int ProgressColumns(double percent);
// Colour of pixel column x (1..673): teal at the left, olive at the right end.
ProgressColor ProgressColumnColor(int x);
// Shows the percentage on the progress bar.
void MrProg(Session& s, double changeTo);

void StartTimer(Session& s);
float EndTimer(Session& s);

// Name of the log file for a first log call at this moment: "vorniclog D-H-M.log".
std::string LogFileName(int day, int hour, int minute);

extern const char* const kSupportAddress;

}  // namespace tessellon
