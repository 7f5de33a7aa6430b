#include "app/dialogs.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Return_Button.H>
#include <FL/fl_draw.H>

#include <algorithm>

namespace tessellon::app {

namespace {

std::vector<MessageDialog*>& OpenBoxes() {
    static std::vector<MessageDialog*> boxes;
    return boxes;
}

const char* Caption(BoxAnswer a) {
    switch (a) {
    case BoxAnswer::Ok: return "OK";
    case BoxAnswer::Cancel: return "Cancel";
    case BoxAnswer::Yes: return "Yes";
    case BoxAnswer::No: return "No";
    }
    return "OK";
}

// The answer a box gets when it is closed from its title bar or with Escape.
BoxAnswer CloseAnswer(BoxButtons b) {
    switch (b) {
    case BoxButtons::Ok: return BoxAnswer::Ok;
    case BoxButtons::OkCancel: return BoxAnswer::Cancel;
    case BoxButtons::YesNo: return BoxAnswer::No;
    }
    return BoxAnswer::Cancel;
}

}  // namespace

MessageDialog::MessageDialog(const std::string& title, const std::string& text, BoxIcon icon, BoxButtons buttons,
                             const std::string* inputDefault)
    : title_(title), text_(text), buttons_(buttons) {
    const int textW = 380;
    fl_font(FL_HELVETICA, 14);
    int tw = textW, th = 0;
    fl_measure(text_.c_str(), tw, th);
    th = std::max(th, 48);
    const int inputH = inputDefault ? 34 : 0;
    const int W = 40 + 48 + 14 + textW, H = 20 + th + inputH + 20 + 30 + 14;
    window_ = new Fl_Double_Window(W, H, title_.c_str());
    window_->set_modal();
    auto* iconBox = new Fl_Box(20, 20, 48, 48);
    iconBox->box(FL_OVAL_BOX);
    iconBox->labelfont(FL_TIMES_BOLD);
    iconBox->labelsize(34);
    iconBox->labelcolor(FL_WHITE);
    switch (icon) {
    case BoxIcon::Information: iconBox->color(fl_rgb_color(40, 100, 190)); iconBox->label("i"); break;
    case BoxIcon::Critical: iconBox->color(fl_rgb_color(200, 40, 40)); iconBox->label("!"); break;
    case BoxIcon::Question: iconBox->color(fl_rgb_color(40, 140, 90)); iconBox->label("?"); break;
    }
    auto* textBox = new Fl_Box(82, 20, textW, th);
    textBox->label(text_.c_str());
    textBox->labelsize(14);
    textBox->align(FL_ALIGN_LEFT | FL_ALIGN_TOP | FL_ALIGN_INSIDE | FL_ALIGN_WRAP);
    if (inputDefault) {
        input_ = new Fl_Input(82, 20 + th + 4, textW, 26);
        input_->value(inputDefault->c_str());
    }
    std::vector<BoxAnswer> answers;
    switch (buttons) {
    case BoxButtons::Ok: answers = {BoxAnswer::Ok}; break;
    case BoxButtons::OkCancel: answers = {BoxAnswer::Ok, BoxAnswer::Cancel}; break;
    case BoxButtons::YesNo: answers = {BoxAnswer::Yes, BoxAnswer::No}; break;
    }
    int bx = W - 14 - static_cast<int>(answers.size()) * 96;
    for (std::size_t i = 0; i < answers.size(); ++i) {
        Fl_Button* b = i == 0 ? new Fl_Return_Button(bx, H - 44, 88, 30) : new Fl_Button(bx, H - 44, 88, 30);
        b->label(Caption(answers[i]));
        b->callback(ButtonPressed, this);
        buttonList_.push_back({b, answers[i]});
        bx += 96;
    }
    window_->end();
    window_->callback(Closed, this);
}

MessageDialog::~MessageDialog() {
    auto& open = OpenBoxes();
    open.erase(std::remove(open.begin(), open.end(), this), open.end());
    delete window_;
}

BoxAnswer MessageDialog::Run() {
    OpenBoxes().push_back(this);
    window_->show();
    while (!answer_ && window_->shown()) Fl::wait();
    window_->hide();
    auto& open = OpenBoxes();
    open.erase(std::remove(open.begin(), open.end(), this), open.end());
    return answer_.value_or(CloseAnswer(buttons_));
}

std::string MessageDialog::InputText() const { return input_ ? input_->value() : std::string(); }

void MessageDialog::SetInput(const std::string& text) {
    if (input_) input_->value(text.c_str());
}

bool MessageDialog::Press(const std::string& caption) {
    for (auto& [button, answer] : buttonList_)
        if (caption == Caption(answer)) {
            button->do_callback();
            return true;
        }
    return false;
}

MessageDialog* MessageDialog::Current() { return OpenBoxes().empty() ? nullptr : OpenBoxes().back(); }

void MessageDialog::ButtonPressed(Fl_Widget* w, void* self) {
    auto* me = static_cast<MessageDialog*>(self);
    for (auto& [button, answer] : me->buttonList_)
        if (button == w) me->answer_ = answer;
    me->window_->hide();
}

void MessageDialog::Closed(Fl_Widget*, void* self) {
    auto* me = static_cast<MessageDialog*>(self);
    me->answer_ = CloseAnswer(me->buttons_);
    me->window_->hide();
}

}  // namespace tessellon::app
