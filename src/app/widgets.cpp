#include "app/widgets.h"

#include <FL/Fl.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <cmath>

#include "app/scale.h"
#include "driver/text_layout.h"
#include "session/report.h"

namespace tessellon::app {

ProgressBar::ProgressBar(int x, int y) : Fl_Widget(x, y, kProgressColumns + 4, kProgressHeight + 4) {
    box(FL_DOWN_BOX);
}

void ProgressBar::SetFilled(int columns) {
    columns = std::clamp(columns, 0, kProgressColumns);
    if (columns == filled_) return;
    filled_ = columns;
    redraw();
}

void ProgressBar::draw() {
    draw_box(box(), x(), y(), w(), h(), FL_WHITE);
    // The 673 columns of the bar over its inside: one pixel each at scale 1, wider when scaled.
    const int inner = w() - 4, top = y() + 2, height = h() - 4;
    for (int col = 1; col <= filled_; ++col) {
        const ProgressColor c = ProgressColumnColor(col);
        fl_color(fl_rgb_color(static_cast<uchar>(c.red), static_cast<uchar>(c.green), static_cast<uchar>(c.blue)));
        const int left = x() + 2 + (col - 1) * inner / kProgressColumns, right = x() + 2 + col * inner / kProgressColumns;
        fl_rectf(left, top, std::max(1, right - left), height);
    }
}

WorldMapBox::WorldMapBox(int x, int y, int w, int h) : Fl_Widget(x, y, w, h) { box(FL_DOWN_BOX); }

void WorldMapBox::draw() {
    draw_box(box(), x(), y(), w(), h(), fl_rgb_color(28, 58, 92));
    const int ix = x() + 2, iy = y() + 2, iw = w() - 4, ih = h() - 4;
    fl_push_clip(ix, iy, iw, ih);
    auto px = [&](double u) { return ix + u / kWorldMapUnitsWide * iw; };
    auto py = [&](double u) { return iy + u / kWorldMapUnitsHigh * ih; };
    // Latitude lines every 30 degrees, the equator a little brighter.
    for (int lat = 60; lat >= -30; lat -= 30) {
        fl_color(lat == 0 ? fl_rgb_color(70, 110, 150) : fl_rgb_color(45, 80, 115));
        fl_line_style(FL_DOT, 1);
        const int yy = static_cast<int>(std::lround(py(WorldMapY(lat))));
        fl_xyline(ix, yy, ix + iw);
    }
    fl_line_style(FL_SOLID, 1);
    fl_color(fl_rgb_color(200, 220, 150));
    for (const auto& line : map_.lines) {
        fl_begin_line();
        for (const MapPoint& p : line) fl_vertex(px(p.x), py(p.y));
        fl_end_line();
    }
    fl_color(FL_RED);
    fl_line_style(FL_SOLID, 2);
    const int my = static_cast<int>(std::lround(py(marker_)));
    fl_xyline(ix, my, ix + iw);
    fl_line_style(0);
    fl_pop_clip();
}

int WorldMapBox::handle(int event) {
    if (event == FL_PUSH && Fl::event_button() == FL_LEFT_MOUSE && active_r()) {
        const double yUnits = std::clamp(static_cast<double>(Fl::event_y() - y() - 2), 0.0, h() - 4.0) /
                              (h() - 4.0) * kWorldMapUnitsHigh;
        if (onPress) onPress(yUnits);
        return 1;
    }
    return Fl_Widget::handle(event);
}

MoonBox::MoonBox(int x, int y, int size) : Fl_Widget(x, y, size, size) { box(FL_DOWN_BOX); }

void MoonBox::draw() {
    draw_box(box(), x(), y(), w(), h(), fl_rgb_color(12, 16, 40));
    // Lit fraction of each picture, waxing (the lit side on the right).
    static const double kLit[] = {1.0, 0.0, 0.25, 0.5, 0.75};
    const double lit = kLit[std::clamp(image_, 1, 5) - 1];
    const double r = (w() - 12) / 2.0;
    const double cx = x() + w() / 2.0, cy = y() + h() / 2.0;
    fl_color(fl_rgb_color(50, 55, 70));
    fl_pie(static_cast<int>(cx - r), static_cast<int>(cy - r), static_cast<int>(2 * r), static_cast<int>(2 * r), 0, 360);
    fl_color(fl_rgb_color(240, 232, 190));
    for (int dy = static_cast<int>(-r); dy <= static_cast<int>(r); ++dy) {
        const double half = std::sqrt(std::max(0.0, r * r - dy * dy));
        const double edge = half * (1 - 2 * lit);  // the terminator
        if (edge < half) fl_xyline(static_cast<int>(std::lround(cx + edge)), static_cast<int>(cy + dy),
                                   static_cast<int>(std::lround(cx + half)));
    }
}

OptionSlider::OptionSlider(int x, int y, int w, const SliderControl& control)
    : Fl_Group(x, y, w, kHeight), control_(control) {
    auto* caption = new Fl_Box(x, y, w - 90, 16, control.caption);
    caption->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
    caption->labelfont(FL_HELVETICA_BOLD);
    caption->labelsize(12);
    slider_ = new Fl_Hor_Slider(x, y + 17, w - 90, 16);
    slider_->type(FL_HOR_NICE_SLIDER);
    slider_->bounds(control.min, control.max);
    slider_->step(1);
    slider_->value(control.start);
    slider_->callback(Changed, this);
    value_ = new Fl_Box(x + w - 86, y + 15, 86, 20);
    value_->box(FL_THIN_DOWN_BOX);
    value_->color(FL_WHITE);
    value_->labelsize(12);
    const auto& sides = control.sideLabels;
    for (std::size_t i = 0; i < sides.size(); ++i) {
        const int lw = w - 90;
        Fl_Align a = FL_ALIGN_INSIDE | (i == 0 ? FL_ALIGN_LEFT : i + 1 == sides.size() ? FL_ALIGN_RIGHT : FL_ALIGN_CENTER);
        auto* side = new Fl_Box(x, y + 33, lw, 14, sides[i]);
        side->labelsize(10);
        side->labelcolor(fl_rgb_color(90, 90, 90));
        side->align(a);
    }
    end();
    SetValue(control.start);
}

void OptionSlider::SetValue(int v) {
    slider_->value(v);
    valueText_ = SliderValueText(control_, v);
    value_->label(valueText_.c_str());
    value_->redraw();
}

void OptionSlider::Changed(Fl_Widget*, void* self) {
    auto* me = static_cast<OptionSlider*>(self);
    me->SetValue(me->Value());
    if (me->onChange) me->onChange(me->Value());
}

SplashWindow::SplashWindow() : Fl_Window(Px(480), Px(300), "Tessellon") {
    border(0);
    position((Fl::w() - w()) / 2, (Fl::h() - h()) / 2);
    end();
}

void SplashWindow::draw() {
    fl_color(fl_rgb_color(24, 30, 36));
    fl_rectf(0, 0, w(), h());
    // A small maze of room tiles, the way a level is laid out.
    static const char* kTiles[] = {"##..####", ".####..#", "..#.####", "###.#..#"};
    const int tile = Px(26), ox = (w() - 8 * tile) / 2, oy = Px(40);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 8; ++c) {
            if (kTiles[r][c] != '#') continue;
            const ProgressColor col = ProgressColumnColor(1 + (c * 4 + r * 12) * 673 / 128);
            fl_color(fl_rgb_color(static_cast<uchar>(col.red + 60), static_cast<uchar>(col.green + 50),
                                  static_cast<uchar>(col.blue + 60)));
            fl_rectf(ox + c * tile + Px(2), oy + r * tile + Px(2), tile - Px(4), tile - Px(4));
        }
    fl_color(fl_rgb_color(235, 235, 225));
    fl_font(FL_HELVETICA_BOLD, Px(40));
    fl_draw("Tessellon", 0, Px(170), w(), Px(60), FL_ALIGN_CENTER);
    fl_font(FL_HELVETICA, Px(14));
    fl_color(fl_rgb_color(170, 180, 170));
    fl_draw("Random levels for Half-Life 2", 0, Px(222), w(), Px(24), FL_ALIGN_CENTER);
    fl_draw("0.9.34", 0, Px(262), w() - Px(14), Px(24), FL_ALIGN_RIGHT);
}

TextLines::TextLines(int x, int y, int w, int h, std::vector<std::string> lines, int size)
    : Fl_Widget(x, y, w, h), lines_(std::move(lines)) {
    labelsize(size);
}

void TextLines::draw() {
    fl_font(FL_HELVETICA, labelsize());
    fl_color(labelcolor());
    const int lineH = fl_height() + Px(2);
    int baseline = y() + fl_height() - fl_descent();
    fl_push_clip(x(), y(), w(), h());
    for (const auto& line : lines_) {
        fl_draw(line.c_str(), x(), baseline);
        baseline += lineH;
    }
    fl_pop_clip();
}

StatusLine::StatusLine(int x, int y, int w, int h) : Fl_Widget(x, y, w, h) { box(FL_FLAT_BOX); }

void StatusLine::SetText(const std::string& text) {
    text_ = text;
    Fit();
    redraw();
}

void StatusLine::SetRestingTooltip(const std::string& tip) {
    restingTip_ = tip;
    Fit();
}

void StatusLine::resize(int x, int y, int w, int h) {
    Fl_Widget::resize(x, y, w, h);
    Fit();
}

void StatusLine::Fit() {
    auto measure = [](const std::string& t, int size) {
        fl_font(FL_HELVETICA, size);
        return static_cast<int>(std::ceil(fl_width(t.c_str())));
    };
    // The largest size whose lines, as many as its height allows, hold the whole text.
    FittedText f;
    for (const int size : {Px(13), Px(12), Px(11), Px(10)}) {
        fl_font(FL_HELVETICA, size);
        const int lines = std::max(1, h() / fl_height());
        f = FitText(text_, w() - Px(4), lines, {size}, measure);
        if (!f.cut) break;
    }
    lines_ = f.lines;
    size_ = f.size;
    copy_tooltip(f.cut ? text_.c_str() : restingTip_.empty() ? nullptr : restingTip_.c_str());
}

void StatusLine::draw() {
    draw_box();
    fl_font(FL_HELVETICA, size_);
    fl_color(active_r() ? FL_FOREGROUND_COLOR : fl_inactive(FL_FOREGROUND_COLOR));
    const int lineH = fl_height();
    const int total = lineH * static_cast<int>(lines_.size());
    int baseline = y() + (h() - total) / 2 + lineH - fl_descent();
    fl_push_clip(x(), y(), w(), h());
    for (const auto& line : lines_) {
        fl_draw(line.c_str(), x() + Px(2), baseline);
        baseline += lineH;
    }
    fl_pop_clip();
}

PictureBox::PictureBox(int x, int y, int w, int h) : Fl_Widget(x, y, w, h) {
    box(FL_THIN_DOWN_BOX);
    color(fl_rgb_color(246, 244, 238));
}

void PictureBox::SetPicture(RgbImage picture) {
    picture_ = std::move(picture);
    redraw();
}

void PictureBox::draw() {
    draw_box();
    const int textH = caption_.empty() ? 0 : Px(18);
    const int pw = picture_.Width(), ph = picture_.Height();
    if (pw > 0 && ph > 0) {
        const int px = x() + (w() - pw) / 2, py = y() + (h() - textH - ph) / 2;
        fl_push_clip(x() + 2, y() + 2, w() - 4, h() - 4);
        fl_draw_image(picture_.Data(), px, py, pw, ph, 3);
        fl_pop_clip();
    }
    if (!caption_.empty()) {
        fl_color(active_r() ? labelcolor() : fl_inactive(labelcolor()));
        fl_font(FL_HELVETICA, Px(11));
        fl_draw(caption_.c_str(), x() + 4, y() + h() - textH - 1, w() - 8, textH, FL_ALIGN_CENTER | FL_ALIGN_INSIDE);
    }
}

int PictureBox::handle(int event) {
    if (event == FL_PUSH && onPress && active_r()) {
        onPress();
        return 1;
    }
    return Fl_Widget::handle(event);
}

}  // namespace tessellon::app
