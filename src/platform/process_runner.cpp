#include "platform/process_runner.h"

#include <algorithm>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#endif

namespace tessellon {

std::vector<std::string> SplitCommandLine(const std::string& line) {
    std::vector<std::string> args;
    std::size_t i = 0;
    const std::size_t n = line.size();
    while (true) {
        while (i < n && (line[i] == ' ' || line[i] == '\t')) ++i;
        if (i >= n) break;
        std::string arg;
        bool quoted = false;
        while (i < n) {
            const char c = line[i];
            if (c == '\\') {
                std::size_t slashes = 0;
                while (i < n && line[i] == '\\') ++slashes, ++i;
                if (i < n && line[i] == '"') {
                    arg.append(slashes / 2, '\\');
                    if (slashes % 2 == 1) {
                        arg += '"';
                        ++i;
                    }
                    // An even count leaves the quote to toggle quoting below.
                } else {
                    arg.append(slashes, '\\');
                }
                continue;
            }
            if (c == '"') {
                // Inside quotes, a doubled quote stands for one literal quote.
                if (quoted && i + 1 < n && line[i + 1] == '"') {
                    arg += '"';
                    i += 2;
                    continue;
                }
                quoted = !quoted;
                ++i;
                continue;
            }
            if (!quoted && (c == ' ' || c == '\t')) break;
            arg += c;
            ++i;
        }
        args.push_back(arg);
    }
    return args;
}

std::string QuoteArgument(const std::string& argument) {
    std::string out = "\"";
    std::size_t slashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++slashes;
            continue;
        }
        if (c == '"') {
            out.append(slashes * 2 + 1, '\\');
            out += '"';
        } else {
            out.append(slashes, '\\');
            out += c;
        }
        slashes = 0;
    }
    // Backslashes before the closing quote must not escape it.
    out.append(slashes * 2, '\\');
    out += '"';
    return out;
}

#ifdef _WIN32

namespace {

std::string LastErrorText(DWORD code) {
    char* text = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string out = text ? text : "unknown error";
    if (text) LocalFree(text);
    while (!out.empty() && (out.back() == '\r' || out.back() == '\n' || out.back() == ' ')) out.pop_back();
    return out;
}

class WindowsChild final : public ChildProcess {
public:
    WindowsChild(HANDLE process, HANDLE output) : process_(process), output_(output) {}
    ~WindowsChild() override {
        if (process_) CloseHandle(process_);
        if (output_) CloseHandle(output_);
    }
    bool ReadOutput(std::string& into) override {
        if (!output_) return false;
        bool any = false;
        char buffer[4096];
        while (true) {
            // Only what is there: ReadFile on an empty pipe would wait for the child.
            DWORD available = 0;
            if (!PeekNamedPipe(output_, nullptr, 0, nullptr, &available, nullptr) || available == 0) break;
            DWORD got = 0;
            if (!ReadFile(output_, buffer, std::min<DWORD>(available, sizeof buffer), &got, nullptr) || got == 0) break;
            into.append(buffer, got);
            any = true;
        }
        return any;
    }
    bool SetPriorityClass(int priorityClass) override {
        return ::SetPriorityClass(process_, static_cast<DWORD>(priorityClass)) != 0;
    }
    WaitResult Wait(int milliseconds) override {
        const DWORD r = WaitForSingleObject(process_, static_cast<DWORD>(milliseconds));
        if (r == WAIT_OBJECT_0) {
            DWORD code = 0;
            if (GetExitCodeProcess(process_, &code)) exitCode_ = static_cast<int>(code);
            return WaitResult::Ended;
        }
        return r == WAIT_TIMEOUT ? WaitResult::TimedOut : WaitResult::Failed;
    }
    bool Terminate(int exitCode) override {
        if (!TerminateProcess(process_, static_cast<UINT>(exitCode))) return false;
        WaitForSingleObject(process_, 5000);
        exitCode_ = exitCode;
        return true;
    }
    int ExitCode() const override { return exitCode_; }

private:
    HANDLE process_;
    HANDLE output_;
    int exitCode_ = -1;
};

class WindowsRunner final : public ProcessRunner {
public:
    std::unique_ptr<ChildProcess> Start(const std::string& commandLine, const StartOptions& options) override {
        const std::vector<std::string> args = SplitCommandLine(commandLine);
        const std::string program = args.empty() ? commandLine : args.front();
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = static_cast<WORD>(options.windowStyle);
        // The child writes into one end of a pipe (inherited), we read the other (not inherited).
        HANDLE readEnd = nullptr, writeEnd = nullptr, input = nullptr;
        if (options.captureOutput) {
            SECURITY_ATTRIBUTES inherit{static_cast<DWORD>(sizeof(SECURITY_ATTRIBUTES)), nullptr, TRUE};
            if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
                const DWORD error = GetLastError();
                throw ProcessStartError(program, static_cast<int>(error), LastErrorText(error));
            }
            SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
            // A window program has no standard input to hand on; the compilers read none.
            input = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
            startup.dwFlags |= STARTF_USESTDHANDLES;
            startup.hStdInput = input == INVALID_HANDLE_VALUE ? nullptr : input;
            startup.hStdOutput = writeEnd;
            startup.hStdError = writeEnd;
        }
        std::string buffer = commandLine;  // CreateProcess may write into the line
        PROCESS_INFORMATION info{};
        const DWORD flags = options.idlePriority ? IDLE_PRIORITY_CLASS : 0;
        const BOOL ok = CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, options.captureOutput ? TRUE : FALSE,
                                       flags, nullptr, nullptr, &startup, &info);
        const DWORD error = ok ? 0 : GetLastError();
        // Only the child holds the write end now, so the pipe breaks when it ends.
        if (writeEnd) CloseHandle(writeEnd);
        if (input && input != INVALID_HANDLE_VALUE) CloseHandle(input);
        if (!ok) {
            if (readEnd) CloseHandle(readEnd);
            throw ProcessStartError(program, static_cast<int>(error), LastErrorText(error));
        }
        CloseHandle(info.hThread);
        // The process is opened again with all access, so priority and termination work even
        // when the creation handle lacks a right.
        HANDLE opened = OpenProcess(0x1F0FFF, FALSE, info.dwProcessId);
        if (opened) {
            CloseHandle(info.hProcess);
            return std::make_unique<WindowsChild>(opened, readEnd);
        }
        return std::make_unique<WindowsChild>(info.hProcess, readEnd);
    }
};

}  // namespace

bool ProgramAvailable(const std::string& program) {
    char found[MAX_PATH];
    return SearchPathA(nullptr, program.c_str(), ".exe", MAX_PATH, found, nullptr) != 0;
}

ProcessRunner& SystemProcessRunner() {
    static WindowsRunner runner;
    return runner;
}

#else

namespace {

class PosixChild final : public ChildProcess {
public:
    PosixChild(pid_t pid, int output) : pid_(pid), output_(output) {}
    ~PosixChild() override {
        // A child left running (the launched game) is not ours to stop; only reap an ended one.
        if (!reaped_) waitpid(pid_, nullptr, WNOHANG);
        if (output_ >= 0) close(output_);
    }
    bool ReadOutput(std::string& into) override {
        if (output_ < 0) return false;
        bool any = false;
        char buffer[4096];
        while (true) {
            const ssize_t got = read(output_, buffer, sizeof buffer);
            if (got > 0) {
                into.append(buffer, static_cast<std::size_t>(got));
                any = true;
                continue;
            }
            if (got < 0 && errno == EINTR) continue;
            break;  // nothing more for now (EAGAIN), or every writer has closed it
        }
        return any;
    }
    bool SetPriorityClass(int priorityClass) override {
        // The idle class is the lowest nice value; other classes leave the default.
        const int nice = priorityClass == kIdlePriorityClass ? 19 : 0;
        return setpriority(PRIO_PROCESS, static_cast<id_t>(pid_), nice) == 0;
    }
    WaitResult Wait(int milliseconds) override {
        if (reaped_) return WaitResult::Ended;
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (true) {
            int status = 0;
            const pid_t r = waitpid(pid_, &status, WNOHANG);
            if (r == pid_) {
                reaped_ = true;
                exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
                return WaitResult::Ended;
            }
            if (r < 0 && errno != EINTR) return WaitResult::Failed;
            if (std::chrono::steady_clock::now() >= until) return WaitResult::TimedOut;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    bool Terminate(int exitCode) override {
        if (reaped_) return true;
        // The child leads its own group: whatever it started (Wine's helpers) goes with it.
        if (kill(-pid_, SIGKILL) != 0 && kill(pid_, SIGKILL) != 0) return false;
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        reaped_ = true;
        exitCode_ = exitCode;
        return true;
    }
    int ExitCode() const override { return exitCode_; }

private:
    pid_t pid_;
    int output_;  // the read end of the output pipe, -1 when not captured
    bool reaped_ = false;
    int exitCode_ = -1;
};

class PosixRunner final : public ProcessRunner {
public:
    std::unique_ptr<ChildProcess> Start(const std::string& commandLine, const StartOptions& options) override {
        const std::vector<std::string> args = SplitCommandLine(commandLine);
        if (args.empty()) throw ProcessStartError(commandLine, EINVAL, "the command line is empty");
        const std::string& program = args.front();
        std::vector<char*> argv;
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);

        // The child reports a failed exec through this pipe; a successful exec closes it.
        int report[2];
        if (pipe(report) != 0) throw ProcessStartError(program, errno, std::strerror(errno));
        fcntl(report[1], F_SETFD, FD_CLOEXEC);
        int output = -1;
        int captured = -1;  // our end of the output pipe
        if (options.captureOutput) {
            int ends[2];
            if (pipe(ends) != 0) {
                const int e = errno;
                close(report[0]);
                close(report[1]);
                throw ProcessStartError(program, e, std::strerror(e));
            }
            fcntl(ends[0], F_SETFD, FD_CLOEXEC);
            fcntl(ends[1], F_SETFD, FD_CLOEXEC);
            // Read without waiting: the window keeps its turns while the child is quiet.
            fcntl(ends[0], F_SETFL, fcntl(ends[0], F_GETFL) | O_NONBLOCK);
            captured = ends[0];
            output = ends[1];
        } else if (options.windowStyle == kWindowHidden) {
            output = open("/dev/null", O_WRONLY | O_CLOEXEC);
        }

        const pid_t pid = fork();
        if (pid < 0) {
            const int e = errno;
            close(report[0]);
            close(report[1]);
            if (output >= 0) close(output);
            if (captured >= 0) close(captured);
            throw ProcessStartError(program, e, std::strerror(e));
        }
        if (pid == 0) {
            close(report[0]);
            setpgid(0, 0);
            if (options.idlePriority) setpriority(PRIO_PROCESS, 0, 19);
            if (output >= 0) {
                dup2(output, STDOUT_FILENO);
                dup2(output, STDERR_FILENO);
            }
            // Only a program named with a folder is taken as a path; a bare name is looked up.
            if (program.find('/') != std::string::npos)
                execv(program.c_str(), argv.data());
            else
                execvp(program.c_str(), argv.data());
            const int e = errno;
            ssize_t w = write(report[1], &e, sizeof e);
            (void)w;
            _exit(127);
        }
        // Also from this side, so the group exists even if the child has not run yet.
        setpgid(pid, pid);
        close(report[1]);
        if (output >= 0) close(output);
        int childError = 0;
        ssize_t got;
        do {
            got = read(report[0], &childError, sizeof childError);
        } while (got < 0 && errno == EINTR);
        close(report[0]);
        if (got == static_cast<ssize_t>(sizeof childError)) {
            waitpid(pid, nullptr, 0);
            if (captured >= 0) close(captured);
            throw ProcessStartError(program, childError, std::strerror(childError));
        }
        return std::make_unique<PosixChild>(pid, captured);
    }
};

}  // namespace

bool ProgramAvailable(const std::string& program) {
    if (program.empty()) return false;
    if (program.find('/') != std::string::npos) return access(program.c_str(), X_OK) == 0;
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        const std::size_t end = std::min(dirs.find(':', start), dirs.size());
        const std::string dir = dirs.substr(start, end - start);
        const std::string candidate = (dir.empty() ? "." : dir) + "/" + program;
        struct stat st;
        if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(candidate.c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

ProcessRunner& SystemProcessRunner() {
    static PosixRunner runner;
    return runner;
}

#endif

}  // namespace tessellon
