#include "cli/headless_ui.h"

#include <csignal>
#include <cmath>

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
