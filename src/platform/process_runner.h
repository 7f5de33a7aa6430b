#pragma once
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace tessellon {

// Window styles of a started program, as the system's show-window values.
constexpr int kWindowHidden = 0;
constexpr int kWindowNormalFocus = 1;
constexpr int kWindowMinimizedNoFocus = 6;

// The idle priority class (the compilers run at it so the desktop stays usable).
constexpr int kIdlePriorityClass = 0x40;

// A program that could not be started: `program` names the file that was tried, `code` is the
// system's error number and `description` its text.
class ProcessStartError : public std::runtime_error {
public:
    ProcessStartError(std::string program, int code, std::string description)
        : std::runtime_error("could not start " + program + " (" + std::to_string(code) + " " + description + ")"),
          program_(std::move(program)), code_(code), description_(std::move(description)) {}
    const std::string& Program() const { return program_; }
    int Code() const { return code_; }
    const std::string& Description() const { return description_; }

private:
    std::string program_;
    int code_;
    std::string description_;
};

enum class WaitResult {
    Ended,    // the process has ended (or was terminated)
    TimedOut, // still running after the slice
    Failed,   // the process cannot be waited on (lost handle, not our child)
};

// One started child process.
class ChildProcess {
public:
    virtual ~ChildProcess() = default;
    // Sets the priority class (kIdlePriorityClass is the only one the program asks for).
    virtual bool SetPriorityClass(int priorityClass) = 0;
    // Waits at most `milliseconds` for the process to end.
    virtual WaitResult Wait(int milliseconds) = 0;
    // Ends the process (and whatever it started in its group) with the exit code.
    virtual bool Terminate(int exitCode) = 0;
    // The exit code once Wait reported Ended; -1 before or when unknown.
    virtual int ExitCode() const = 0;
    // Appends what the process has written so far and not yet read (output and error streams,
    // when they were captured) without waiting. False when nothing was there.
    virtual bool ReadOutput(std::string& into) {
        (void)into;
        return false;
    }
};

struct StartOptions {
    int windowStyle = kWindowHidden;
    // Started at the idle priority from its first instruction on.
    bool idlePriority = false;
    // The child's output and error streams go to a pipe that ReadOutput empties, so the
    // caller shows and keeps them; otherwise a hidden child's output is dropped.
    bool captureOutput = false;
};

// Starts programs from a Windows-style command line. The Windows runner hands the line to
// CreateProcess as it is; the POSIX runner splits it into an argument vector by the same
// quoting rules and executes the first word directly (never through a shell).
class ProcessRunner {
public:
    virtual ~ProcessRunner() = default;
    // Throws ProcessStartError when the program cannot be started.
    virtual std::unique_ptr<ChildProcess> Start(const std::string& commandLine, const StartOptions& options) = 0;
};

// The runner of this system.
ProcessRunner& SystemProcessRunner();

// Splits a command line into arguments the way Windows programs read theirs: blanks separate
// arguments outside quotes, a double quote toggles quoting, 2n backslashes before a quote give
// n backslashes, 2n+1 give n and a literal quote, other backslashes are literal. A ';' is an
// ordinary character.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// One argument quoted so SplitCommandLine gives it back unchanged: Q text Q for every
// ordinary path, with quotes and the backslashes before them escaped.
std::string QuoteArgument(const std::string& argument);

// True when `program` names a file that can be executed, looked up in PATH when it has no
// folder part.
bool ProgramAvailable(const std::string& program);

}  // namespace tessellon
