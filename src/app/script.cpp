#include "app/script.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Hold_Browser.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Light_Button.H>
#include <FL/Fl_Tooltip.H>
#include <FL/Fl_Valuator.H>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "app/app.h"
#include "app/dialogs.h"
#include "app/folder_list.h"
#include "app/widgets.h"
// After our headers: it brings X11's None, which clashes with our names.
#include <FL/Fl_Text_Display.H>

namespace tessellon::app {

namespace {

std::vector<std::string> SplitWords(const std::string& text) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i] == ' ') ++i;
        if (i >= text.size()) break;
        std::string w;
        if (text[i] == '"') {
            const auto end = text.find('"', i + 1);
            if (end == std::string::npos) throw std::runtime_error("a quote is not closed");
            w = text.substr(i + 1, end - i - 1);
            i = end + 1;
        } else {
            const auto end = text.find(' ', i);
            w = text.substr(i, end == std::string::npos ? std::string::npos : end - i);
            i = end == std::string::npos ? text.size() : end;
        }
        words.push_back(w);
    }
    return words;
}

double Number(const std::string& text) {
    double v = 0;
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, v);
    if (ec != std::errc() || p != end) throw std::runtime_error("\"" + text + "\" is not a number");
    return v;
}

// What a control shows, as the script compares it.
std::string Shown(Fl_Widget* w) {
    if (auto* status = dynamic_cast<StatusLine*>(w)) return status->Text();
    if (auto* t = dynamic_cast<Fl_Text_Display*>(w)) {
        if (!t->buffer()) return "";
        char* text = t->buffer()->text();
        std::string out = text ? text : "";
        std::free(text);
        return out;
    }
    if (auto* list = dynamic_cast<FolderList*>(w)) return list->Folder();
    if (auto* v = dynamic_cast<Fl_Valuator*>(w)) return std::to_string(static_cast<long>(v->value()));
    if (auto* c = dynamic_cast<Fl_Choice*>(w)) return c->mvalue() && c->mvalue()->label() ? c->mvalue()->label() : "";
    if (auto* in = dynamic_cast<Fl_Input*>(w)) return in->value();
    if (auto* b = dynamic_cast<Fl_Browser*>(w)) return b->value() > 0 ? b->text(b->value()) : "";
    if (auto* m = dynamic_cast<MoonBox*>(w)) return std::to_string(m->Image());
    if (auto* p = dynamic_cast<ProgressBar*>(w)) return std::to_string(p->Filled());
    if (auto* picture = dynamic_cast<PictureBox*>(w)) return picture->Caption();
    if (auto* map = dynamic_cast<WorldMapBox*>(w)) return std::to_string(static_cast<long>(map->Marker()));
    if (auto* b = dynamic_cast<Fl_Button*>(w); b && (b->type() == FL_TOGGLE_BUTTON || dynamic_cast<Fl_Light_Button*>(w)))
        return b->value() ? "1" : "0";
    return w->label() ? w->label() : "";
}

}  // namespace

bool Script::Load(const std::string& file, std::string& error) {
    std::ifstream in(file);
    if (!in) {
        error = "the script " + file + " could not be read";
        return false;
    }
    std::string text;
    int number = 0;
    while (std::getline(in, text)) {
        ++number;
        if (!text.empty() && text.back() == '\r') text.pop_back();
        const auto first = text.find_first_not_of(' ');
        if (first == std::string::npos || text[first] == '#') continue;
        try {
            lines_.push_back({number, text, SplitWords(text)});
        } catch (const std::exception& e) {
            error = file + ":" + std::to_string(number) + ": " + e.what();
            return false;
        }
    }
    return true;
}

void Script::Start() {
    since_ = std::chrono::steady_clock::now();
    Fl::add_timeout(0.05, Tick, this);
}

void Script::Tick(void* self) {
    auto* me = static_cast<Script*>(self);
    // Steps may open boxes or run a build whose event loop calls this again: keep one timer.
    if (me->next_ < me->lines_.size() && !Fl::has_timeout(Tick, self)) Fl::add_timeout(0.05, Tick, self);
    if (!me->exclusive_) me->Advance();
}

void Script::Advance() {
    while (next_ < lines_.size()) {
        const Line& line = lines_[next_];
        bool ran = false;
        try {
            ran = Try(line);
        } catch (const std::exception& e) {
            Fail(line, e.what());
        }
        if (!ran) {
            const double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - since_).count();
            if (waited > timeoutSeconds_) Fail(line, "it could not run within " + std::to_string(static_cast<int>(timeoutSeconds_)) + " s");
            return;
        }
        since_ = std::chrono::steady_clock::now();
        // A step that started work of its own (a build, a box) has already let later steps
        // run from inside it; one step per tick keeps the order plain.
        return;
    }
}

void Script::Fail(const Line& line, const std::string& why) {
    err_ << "script line " << line.number << " (" << line.text << "): " << why;
    if (MessageDialog* box = MessageDialog::Current()) err_ << "; open box \"" << box->Title() << "\": " << box->Text();
    err_ << "; status: " << app_.StatusText() << '\n';
    err_.flush();
    std::fflush(nullptr);
    std::_Exit(3);
}

bool Script::Try(const Line& line) {
    const auto& w = line.words;
    const std::string& cmd = w[0];
    auto need = [&](std::size_t n) {
        if (w.size() != n) throw std::runtime_error("needs " + std::to_string(n - 1) + " argument(s)");
    };
    auto control = [&](const std::string& name) {
        Fl_Widget* c = app_.Control(name);
        if (!c) throw std::runtime_error("there is no control named " + name);
        return c;
    };
    auto usable = [&](Fl_Widget* c) { return c->visible_r() && c->active_r() && !MessageDialog::Current(); };
    auto begin = [&] {
        ++next_;
        err_ << "script: " << line.text << '\n';
    };

    if (cmd == "wait-window") {
        need(2);
        if (!app_.WindowShown(w[1])) return false;
        begin();
        return true;
    }
    if (cmd == "sleep") {
        need(2);
        const double ms = Number(w[1]);
        if (std::chrono::steady_clock::now() - since_ < std::chrono::duration<double, std::milli>(ms)) return false;
        begin();
        return true;
    }
    if (cmd == "timeout") {
        need(2);
        timeoutSeconds_ = Number(w[1]);
        begin();
        return true;
    }
    if (cmd == "expect") {
        // A trailing "*" matches any rest of the text.
        need(3);
        const std::string& want = w[2];
        const std::string now = Shown(control(w[1]));
        const bool wild = !want.empty() && want.back() == '*';
        if (wild ? now.compare(0, want.size() - 1, want, 0, want.size() - 1) != 0 : now != want) {
            const double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - since_).count();
            if (waited > timeoutSeconds_)
                Fail(line, w[1] + " shows \"" + Shown(control(w[1])) + "\"");
            return false;
        }
        begin();
        return true;
    }
    if (cmd == "expect-has") {
        // Waits until the control's text holds TEXT somewhere (long output, several lines).
        need(3);
        if (Shown(control(w[1])).find(w[2]) == std::string::npos) {
            const double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - since_).count();
            if (waited > timeoutSeconds_) Fail(line, w[1] + " shows \"" + Shown(control(w[1])) + "\"");
            return false;
        }
        begin();
        return true;
    }
    if (cmd == "state") {
        need(3);
        Fl_Widget* c = control(w[1]);
        const std::string& want = w[2];
        bool now;
        if (want == "shown") now = c->visible_r();
        else if (want == "hidden") now = !c->visible_r();
        else if (want == "active") now = c->active_r();
        else if (want == "inactive") now = !c->active_r();
        else throw std::runtime_error("a state is shown, hidden, active or inactive");
        if (!now) return false;
        begin();
        return true;
    }
    if (cmd == "answer") {
        if (w.size() != 3 && w.size() != 4) throw std::runtime_error("needs a title, a button and maybe a text");
        MessageDialog* box = MessageDialog::Current();
        if (!box || box->Title() != w[1]) return false;
        begin();
        if (w.size() == 4) box->SetInput(w[3]);
        if (!box->Press(w[2])) Fail(line, "the box has no button " + w[2]);
        return true;
    }
    if (cmd == "shot") {
        need(2);
        begin();
        exclusive_ = true;
        for (int i = 0; i < 6; ++i) {
            Fl::check();
            Fl::flush();
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        const std::string command = "import -window root '" + w[1] + "'";
        if (std::system(command.c_str()) != 0) err_ << "script: the screenshot " << w[1] << " failed\n";
        exclusive_ = false;
        return true;
    }
    if (cmd == "resize") {
        need(4);
        Fl_Widget* c = control(w[1]);
        begin();
        c->resize(c->x(), c->y(), static_cast<int>(Number(w[2])), static_cast<int>(Number(w[3])));
        return true;
    }
    if (cmd == "developer") {
        // The developer key's command: the batch of maze lines (Ctrl+Shift+M draws 100).
        need(3);
        if (w[1] != "make100maps") throw std::runtime_error("the developer command is make100maps");
        if (MessageDialog::Current()) return false;
        begin();
        app_.MakeMazeBatch(static_cast<int>(Number(w[2])));
        return true;
    }
    if (cmd == "check-tooltips") {
        // Every control of every window says what it is for; the windows and panels need not.
        need(1);
        std::string missing;
        for (const auto& [name, c] : app_.controls_) {
            if (c->as_window() || name == "CompileFrame" || name == "RoomManagerFrame" || name == "Frame7") continue;
            if (!c->tooltip() || !*c->tooltip()) missing += " " + name;
        }
        if (!missing.empty()) Fail(line, "no tooltip on" + missing);
        begin();
        return true;
    }
    if (cmd == "tooltip") {
        // Shows a control's tooltip as the pointer resting on it would.
        need(2);
        Fl_Widget* c = control(w[1]);
        if (!usable(c)) return false;
        begin();
        // The box goes under the control, at the pointer's column: put that over its middle.
        Fl::e_x_root = c->x() + c->w() / 2 + (c->top_window() ? c->top_window()->x() : 0);
        Fl_Tooltip::enter_area(c, 0, 0, c->w(), c->h(), c->tooltip());
        return true;
    }
    if (cmd == "close") {
        need(1);
        begin();
        app_.Quit(0);
        return true;
    }
    if (cmd == "map") {
        need(2);
        auto* map = dynamic_cast<WorldMapBox*>(control("Picture1"));
        if (!usable(map)) return false;
        begin();
        if (map->onPress) map->onPress(Number(w[1]));
        return true;
    }
    if (cmd == "press") {
        need(2);
        Fl_Widget* c = control(w[1]);
        if (!usable(c)) return false;
        begin();
        c->do_callback();
        return true;
    }
    if (cmd == "set") {
        need(3);
        Fl_Widget* c = control(w[1]);
        if (!usable(c)) return false;
        const std::string& v = w[2];
        if (auto* list = dynamic_cast<FolderList*>(c)) {
            begin();
            if (!list->Open(v)) Fail(line, "the folder cannot be listed");
            return true;
        }
        if (auto* b = dynamic_cast<Fl_Browser*>(c)) {
            for (int i = 1; i <= b->size(); ++i)
                if (v == b->text(i)) {
                    begin();
                    b->select(i);
                    b->do_callback();
                    return true;
                }
            return false;  // the list may still be filling
        }
        begin();
        if (auto* val = dynamic_cast<Fl_Valuator*>(c)) {
            val->value(Number(v));
            val->do_callback();
        } else if (auto* choice = dynamic_cast<Fl_Choice*>(c)) {
            const int index = choice->find_index(v.c_str());
            choice->value(index >= 0 ? index : static_cast<int>(Number(v)));
            choice->do_callback();
        } else if (auto* in = dynamic_cast<Fl_Input*>(c)) {
            in->value(v.c_str());
            in->do_callback();
        } else if (auto* button = dynamic_cast<Fl_Button*>(c)) {
            button->value(Number(v) != 0);
            button->do_callback();
        } else {
            Fail(line, w[1] + " cannot be set");
        }
        return true;
    }
    throw std::runtime_error("unknown step \"" + cmd + "\"");
}

}  // namespace tessellon::app
