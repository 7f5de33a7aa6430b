#pragma once
#include <optional>
#include <string>
#include <vector>

#include "platform/ui.h"

class Fl_Button;
class Fl_Double_Window;
class Fl_Input;
class Fl_Text_Buffer;
class Fl_Widget;

namespace tessellon::app {

// A modal message box (or the input box) of our own, so every box has the title, icon and
// buttons it is asked for and a script can find and answer it.
class MessageDialog {
public:
    MessageDialog(const std::string& title, const std::string& text, BoxIcon icon, BoxButtons buttons,
                  const std::string* inputDefault = nullptr);
    ~MessageDialog();
    MessageDialog(const MessageDialog&) = delete;
    MessageDialog& operator=(const MessageDialog&) = delete;

    // Shows the box and runs the event loop until a button (or the window's close) answers it.
    BoxAnswer Run();
    std::string InputText() const;

    const std::string& Title() const { return title_; }
    const std::string& Text() const { return text_; }
    // Presses the button with this caption ("OK", "Cancel", "Yes", "No"); false when the box
    // has none.
    bool Press(const std::string& caption);
    void SetInput(const std::string& text);

    // The innermost box that is open, or nullptr.
    static MessageDialog* Current();

private:
    static void ButtonPressed(Fl_Widget* w, void* self);
    static void Closed(Fl_Widget* w, void* self);
    std::string title_, text_;
    BoxButtons buttons_;
    Fl_Double_Window* window_ = nullptr;
    Fl_Input* input_ = nullptr;
    Fl_Text_Buffer* scrolledText_ = nullptr;  // a text too tall for the screen
    std::vector<std::pair<Fl_Button*, BoxAnswer>> buttonList_;
    std::optional<BoxAnswer> answer_;
};

}  // namespace tessellon::app
