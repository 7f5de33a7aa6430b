#pragma once
#include <functional>
#include <ostream>
#include <vector>

#include "platform/ui.h"

namespace tessellon {

// The terminal stands in for the window: status lines go to the error stream with the
// current percentage, message boxes are printed with their title and answered the way the
// command's options say, the input box takes its default answer.
class HeadlessUi final : public Ui {
public:
    explicit HeadlessUi(std::ostream& err) : err_(err) {}

    void SetStatus(const std::string& text) override;
    void SetProgress(double percent, int filledColumns) override;
    void Yield() override;
    BoxAnswer MessageBox(const std::string& title, const std::string& text, BoxIcon icon,
                         BoxButtons buttons) override;
    std::optional<std::string> InputBox(const std::string& prompt, const std::string& title,
                                        const std::string& defaultAnswer) override;
    void LockBuildControls(bool) override {}
    void ShowCompilePanel(bool shown) override { compilePanel_ = shown; }
    // The compilers' output as it comes (not with --quiet), a line when each compiler ends,
    // and the recognised problems in plain words when the compile is over.
    void ShowCompileProgress(const CompileReport& report, const std::string& newOutput) override;
    bool CompilePanelShown() const { return compilePanel_; }

    // Answer to Yes/No questions (OK/Cancel is always OK: the user asked for the work).
    void SetYesNoAnswer(BoxAnswer a) { yesNo_ = a; }
    // Called from Yield when the user pressed Ctrl-C: the abort command of the terminal.
    void OnInterrupt(std::function<void()> f) { onInterrupt_ = std::move(f); }
    bool Quiet() const { return quiet_; }
    void SetQuiet(bool q) { quiet_ = q; }

    // Installs the Ctrl-C handler that Yield looks at.
    static void InstallInterruptHandler();

private:
    std::ostream& err_;
    int percent_ = 0;
    BoxAnswer yesNo_ = BoxAnswer::Yes;
    std::function<void()> onInterrupt_;
    bool quiet_ = false;
    bool compilePanel_ = false;
    std::vector<int> shownRows_;  // the row states already told
    bool problemsTold_ = false;
};

}  // namespace tessellon
