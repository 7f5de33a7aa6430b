#include "app/scale.h"

#include <FL/Fl.H>
#include <FL/Fl_Browser_.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Input_.H>
#include <FL/Fl_Menu_.H>
#include <FL/Fl_Text_Display.H>
#include <FL/Fl_Tooltip.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>

#include <cmath>
#include <cstdlib>

namespace tessellon::app {

namespace {

double gScale = 1.0;

int Scaled(int v) { return static_cast<int>(std::lround(v * gScale)); }

void ScaleFonts(Fl_Widget* w) {
    w->labelsize(Scaled(w->labelsize()));
    if (auto* in = dynamic_cast<Fl_Input_*>(w)) in->textsize(Scaled(in->textsize()));
    if (auto* b = dynamic_cast<Fl_Browser_*>(w)) b->textsize(Scaled(b->textsize()));
    if (auto* m = dynamic_cast<Fl_Menu_*>(w)) m->textsize(Scaled(m->textsize()));
    if (auto* t = dynamic_cast<Fl_Text_Display*>(w)) t->textsize(Scaled(t->textsize()));
}

// Widgets keep window coordinates: each is placed anew without moving its children (they are
// placed themselves), and a group's own record of its children's sizes is renewed after.
void ScaleTree(Fl_Widget* w, bool isRoot) {
    if (isRoot) {
        w->Fl_Widget::resize(w->x(), w->y(), Scaled(w->w()), Scaled(w->h()));
    } else {
        w->Fl_Widget::resize(Scaled(w->x()), Scaled(w->y()), Scaled(w->w()), Scaled(w->h()));
    }
    ScaleFonts(w);
    if (auto* g = w->as_group()) {
        for (int i = 0; i < g->children(); ++i) ScaleTree(g->child(i), false);
        g->init_sizes();
    }
}

}  // namespace

double UiScale() { return gScale; }

void SetUiScale(double scale) {
    gScale = scale;
    Fl::scrollbar_size(Scaled(16));
    Fl_Tooltip::size(static_cast<Fl_Fontsize>(Scaled(12)));
}

int Px(int designPixels) { return Scaled(designPixels); }

void ScaleWindow(Fl_Widget* window) {
    if (gScale == 1.0) return;
    ScaleTree(window, true);
    if (auto* win = dynamic_cast<Fl_Window*>(window)) {
        // A window holds its children's sizes for resizing as a group does.
        win->init_sizes();
    }
}

double ScreenDpi() {
#if !defined(_WIN32) && !defined(__APPLE__)
    fl_open_display();
    // The desktop's own setting, as GNOME, KDE and Xfce write it for their scaling.
    if (const char* xft = XGetDefault(fl_display, "Xft", "dpi")) {
        const double v = std::atof(xft);
        if (v > 0) return v;
    }
#endif
    float h = 0, v = 0;
    Fl::screen_dpi(h, v);
    return v > 0 ? v : 96.0;
}

}  // namespace tessellon::app
