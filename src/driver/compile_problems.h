#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "session/compile_report.h"

namespace tessellon {

// What one line of a compiler's output shows, when it shows a known problem.
struct LineFinding {
    CompileProblemKind kind;
    std::string item;  // the entity, material, model or limit it names (may be empty)
};
std::optional<LineFinding> RecogniseLine(std::string_view line);

// True when an exit status means the compiler was ended by a fault (a signal here, an
// exception status on Windows) rather than by itself.
bool IsCrashExit(int exitCode);

// Adds a finding to the report: findings of one kind from one compiler share one problem, and
// an item is listed once.
void AddProblem(CompileReport& report, CompileProblemKind kind, const std::string& compiler, const std::string& item);

// Reads the compilers' output as it arrives: complete lines are looked at, a partial line waits
// for its end (the compilers print progress dots without one).
class CompileOutputReader {
public:
    // Text from `compiler`; true when a new problem was recognised.
    bool Feed(CompileReport& report, const std::string& compiler, std::string_view text);
    // The compiler has ended (or was stopped): its last partial line is looked at, then how it
    // ended. True when a new problem was recognised.
    bool Ended(CompileReport& report, const std::string& compiler, int exitCode, bool stopped);

private:
    bool Line(CompileReport& report, const std::string& compiler, std::string line);
    std::string pending_;
    std::vector<std::string> lastLines_;  // the compiler's last few lines, for an error report
};

// A problem in plain words: a short title, and what happened and what to do about it.
std::string ProblemTitle(const CompileProblem& problem);
std::string ProblemExplanation(const CompileProblem& problem, const CompileReport& report);

}  // namespace tessellon
