#pragma once
// Small helpers the windows share to lay out their controls and hook up their callbacks.
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Tooltip.H>
#include <FL/Fl_Widget.H>

#include <functional>
#include <memory>
#include <vector>

namespace tessellon::app {

template <class F>
inline void OnCallback(Fl_Widget* w, F* f) {
    w->callback([](Fl_Widget*, void* p) { (*static_cast<F*>(p))(); }, f);
}

// Callbacks keep their closures here for the window's lifetime.
inline std::vector<std::unique_ptr<std::function<void()>>>& Closures() {
    static std::vector<std::unique_ptr<std::function<void()>>> all;
    return all;
}

inline void On(Fl_Widget* w, std::function<void()> f) {
    Closures().push_back(std::make_unique<std::function<void()>>(std::move(f)));
    OnCallback(w, Closures().back().get());
}

inline Fl_Group* Frame(int x, int y, int w, int h, const char* label) {
    auto* g = new Fl_Group(x, y, w, h, label);
    g->box(FL_ENGRAVED_FRAME);
    g->align(FL_ALIGN_TOP_LEFT);
    g->labelfont(FL_HELVETICA_BOLD);
    g->labelsize(13);
    return g;
}

inline Fl_Box* Text(int x, int y, int w, int h, const char* text, int size = 12) {
    auto* b = new Fl_Box(x, y, w, h, text);
    b->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_WRAP);
    b->labelsize(size);
    return b;
}

// Panels that lie over the options (the compile panel, the room manager): presses that their
// own controls do not take stop at them.
class CoverPanel : public Fl_Group {
public:
    using Fl_Group::Fl_Group;
    int handle(int event) override {
        const int r = Fl_Group::handle(event);
        if (event == FL_PUSH || event == FL_RELEASE || event == FL_DRAG) return 1;
        // The pointer over the panel is over the panel, not over the covered control beneath:
        // that control's tooltip must not show through.
        if (event == FL_ENTER || event == FL_MOVE) return 1;
        return r;
    }
    // Shows the panel over the options. A tooltip on its way for the control the pointer
    // rested on goes, and the pointer counts as over the panel until it moves.
    void Cover() {
        show();
        Fl_Tooltip::exit(nullptr);
        Fl::belowmouse(this);
    }
};

}  // namespace tessellon::app
