#include "cli/headless_ui.h"

#include <csignal>
#include <cmath>
#include <algorithm>
#include <cstdio>

#include "driver/compile_problems.h"

namespace tessellon {

namespace {
volatile std::sig_atomic_t gInterrupted = 0;
extern "C" void HandleInterrupt(int) { gInterrupted = 1; }
}  // namespace

void HeadlessUi::InstallInterruptHandler() { std::signal(SIGINT, HandleInterrupt); }

void HeadlessUi::SetStatus(const std::string& text) {
    if (quiet_) return;
    char pct[16];
    std::snprintf(pct, sizeof pct, "[%3d%%] ", percent_);
    err_ << pct << text << '\n';
}

void HeadlessUi::SetProgress(double percent, int) {
    percent_ = static_cast<int>(std::lround(percent));
}

void HeadlessUi::Yield() {
    if (gInterrupted) {
        gInterrupted = 0;
        if (onInterrupt_) onInterrupt_();
    }
}

BoxAnswer HeadlessUi::MessageBox(const std::string& title, const std::string& text, BoxIcon,
                                 BoxButtons buttons) {
    err_ << "[" << title << "] " << text << '\n';
    switch (buttons) {
    case BoxButtons::Ok:
        return BoxAnswer::Ok;
    case BoxButtons::OkCancel:
        return BoxAnswer::Ok;
    case BoxButtons::YesNo:
        err_ << "  (answered " << (yesNo_ == BoxAnswer::Yes ? "Yes" : "No") << ")\n";
        return yesNo_;
    }
    return BoxAnswer::Ok;
}

std::optional<std::string> HeadlessUi::InputBox(const std::string& prompt, const std::string& title,
                                                const std::string& defaultAnswer) {
    err_ << "[" << title << "] " << prompt << " (answered \"" << defaultAnswer << "\")\n";
    return defaultAnswer;
}

}  // namespace tessellon

namespace tessellon {

void HeadlessUi::ShowCompileProgress(const CompileReport& report, const std::string& newOutput) {
    const bool fresh = !report.finished && std::all_of(report.rows.begin(), report.rows.end(), [](const CompilerRow& r) {
        return r.state == CompilerState::Waiting;
    });
    if (fresh || shownRows_.size() != report.rows.size()) {
        shownRows_.assign(report.rows.size(), static_cast<int>(CompilerState::Waiting));
        problemsTold_ = false;
    }
    if (!quiet_ && !newOutput.empty()) {
        err_ << newOutput;
        err_.flush();
    }
    for (std::size_t i = 0; i < report.rows.size(); ++i) {
        const CompilerRow& row = report.rows[i];
        if (static_cast<int>(row.state) == shownRows_[i]) continue;
        shownRows_[i] = static_cast<int>(row.state);
        char line[128];
        if (row.state == CompilerState::Finished)
            std::snprintf(line, sizeof line, "[%s finished: exit status %d, %.1f s]\n", row.name.c_str(), row.exitCode, row.seconds);
        else if (row.state == CompilerState::Stopped)
            std::snprintf(line, sizeof line, "[%s stopped after %.1f s]\n", row.name.c_str(), row.seconds);
        else
            continue;
        if (!quiet_) err_ << line;
    }
    if (report.finished && !problemsTold_) {
        problemsTold_ = true;
        for (const auto& p : report.problems) err_ << "[" << ProblemTitle(p) << "] " << ProblemExplanation(p, report) << '\n';
        if (!quiet_) err_ << "[compile.log] " << report.logFile << '\n';
    }
}

}  // namespace tessellon
