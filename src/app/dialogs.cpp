#include "app/dialogs.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Text_Buffer.H>
#include <FL/Fl_Text_Display.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <cmath>

#include "app/scale.h"
#include "app/widgets.h"
#include "driver/text_layout.h"

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
    // The text is broken into lines here (paths after their separators) and the box grows to
    // show it whole: wider first, then taller; only a text taller than the screen scrolls.
    const int fontSize = Px(14);
    fl_font(FL_HELVETICA, fontSize);
    auto measure = [](const std::string& t) { return static_cast<int>(std::ceil(fl_width(t.c_str()))); };
    const int widest = std::max(Px(380), std::min(Px(820), Fl::w() - Px(200)));
    int textW = Px(380);
    std::vector<std::string> lines = WrapText(text_, textW, measure);
    while (lines.size() > 6 && textW < widest) {
        textW = std::min(widest, textW + Px(110));
        lines = WrapText(text_, textW, measure);
    }
    const int lineH = fl_height() + Px(2);
    const int tallest = std::max(Px(120), Fl::h() - Px(220));
    const int linesH = static_cast<int>(lines.size()) * lineH;
    const bool scrolls = linesH > tallest;
    const int th = std::max(std::min(linesH, tallest), Px(48));
    const int inputH = inputDefault ? Px(34) : 0;
    const int W = Px(40 + 48 + 14) + textW + (scrolls ? Fl::scrollbar_size() + Px(8) : 0);
    const int H = Px(20) + th + inputH + Px(20 + 30 + 14);
    window_ = new Fl_Double_Window(W, H, title_.c_str());
    window_->set_modal();
    auto* iconBox = new Fl_Box(Px(20), Px(20), Px(48), Px(48));
    iconBox->box(FL_OVAL_BOX);
    iconBox->labelfont(FL_TIMES_BOLD);
    iconBox->labelsize(Px(34));
    iconBox->labelcolor(FL_WHITE);
    switch (icon) {
    case BoxIcon::Information: iconBox->color(fl_rgb_color(40, 100, 190)); iconBox->label("i"); break;
    case BoxIcon::Critical: iconBox->color(fl_rgb_color(200, 40, 40)); iconBox->label("!"); break;
    case BoxIcon::Question: iconBox->color(fl_rgb_color(40, 140, 90)); iconBox->label("?"); break;
    }
    const int textX = Px(82);
    if (scrolls) {
        auto* buffer = scrolledText_ = new Fl_Text_Buffer();
        std::string joined;
        for (const auto& l : lines) joined += l + "\n";
        buffer->text(joined.c_str());
        auto* display = new Fl_Text_Display(textX, Px(20), W - textX - Px(14), th);
        display->buffer(buffer);
        display->textsize(fontSize);
        display->box(FL_NO_BOX);
        display->color(window_->color());
    } else {
        new TextLines(textX, Px(20), textW, th, lines, fontSize);
    }
    if (inputDefault) {
        input_ = new Fl_Input(textX, Px(20) + th + Px(4), textW, Px(26));
        input_->textsize(Px(14));
        input_->value(inputDefault->c_str());
    }
    std::vector<BoxAnswer> answers;
    switch (buttons) {
    case BoxButtons::Ok: answers = {BoxAnswer::Ok}; break;
    case BoxButtons::OkCancel: answers = {BoxAnswer::Ok, BoxAnswer::Cancel}; break;
    case BoxButtons::YesNo: answers = {BoxAnswer::Yes, BoxAnswer::No}; break;
    }
    int bx = W - Px(14) - static_cast<int>(answers.size()) * Px(96);
    for (std::size_t i = 0; i < answers.size(); ++i) {
        Fl_Button* b = i == 0 ? new Fl_Return_Button(bx, H - Px(44), Px(88), Px(30))
                              : new Fl_Button(bx, H - Px(44), Px(88), Px(30));
        b->label(Caption(answers[i]));
        b->labelsize(Px(14));
        b->callback(ButtonPressed, this);
        buttonList_.push_back({b, answers[i]});
        bx += Px(96);
    }
    window_->end();
    window_->callback(Closed, this);
}

MessageDialog::~MessageDialog() {
    auto& open = OpenBoxes();
    open.erase(std::remove(open.begin(), open.end(), this), open.end());
    delete window_;
    delete scrolledText_;
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
