#pragma once
#include <FL/Fl_Box.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Hor_Slider.H>
#include <FL/Fl_Widget.H>
#include <FL/Fl_Window.H>

#include <functional>
#include <string>
#include <vector>

#include "driver/window_options.h"
#include "driver/world_map.h"
#include "picture/rgb_image.h"

namespace tessellon::app {

// The progress bar: a sunken strip whose first columns are painted with the teal-to-olive
// gradient, one colour per column.
class ProgressBar : public Fl_Widget {
public:
    ProgressBar(int x, int y);
    void SetFilled(int columns);
    int Filled() const { return filled_; }

private:
    void draw() override;
    int filled_ = 0;
};

// The world map: the coastline drawn by the latitude rule, faint latitude lines and the red
// marker. A press reports its height in map units.
class WorldMapBox : public Fl_Widget {
public:
    WorldMapBox(int x, int y, int w, int h);
    void SetMap(WorldMap map) { map_ = std::move(map); redraw(); }
    void SetMarker(double yUnits) { marker_ = yUnits; redraw(); }
    double Marker() const { return marker_; }
    std::function<void(double yUnits)> onPress;

private:
    void draw() override;
    int handle(int event) override;
    WorldMap map_;
    double marker_ = kWorldMapMarkerStart;
};

// The moon picture: image 1 full, 2 new, 3 crescent, 4 half, 5 gibbous (waxing).
class MoonBox : public Fl_Widget {
public:
    MoonBox(int x, int y, int size);
    void SetImage(int image) { image_ = image; redraw(); }
    int Image() const { return image_; }

private:
    void draw() override;
    int image_ = 4;
};

// An option slider with its caption above, its side labels below and its value (with the
// suffix) at the right.
class OptionSlider : public Fl_Group {
public:
    OptionSlider(int x, int y, int w, const SliderControl& control);
    int Value() const { return static_cast<int>(slider_->value()); }
    void SetValue(int v);
    Fl_Hor_Slider* Slider() { return slider_; }
    std::function<void(int)> onChange;
    static constexpr int kHeight = 48;

private:
    static void Changed(Fl_Widget*, void* self);
    const SliderControl& control_;
    Fl_Hor_Slider* slider_;
    Fl_Box* value_;
    std::string valueText_;
};

// Shows one of the program's pictures, centred on its own background, with an optional line
// of text under it. A press calls onPress.
class PictureBox : public Fl_Widget {
public:
    PictureBox(int x, int y, int w, int h);
    void SetPicture(RgbImage picture);
    const RgbImage& Picture() const { return picture_; }
    void SetCaption(std::string text) { caption_ = std::move(text); redraw(); }
    const std::string& Caption() const { return caption_; }
    std::function<void()> onPress;

private:
    void draw() override;
    int handle(int event) override;
    RgbImage picture_;
    std::string caption_;
};

// Lines of text drawn as they are given (no '@' symbols, no wrapping of its own).
class TextLines : public Fl_Widget {
public:
    TextLines(int x, int y, int w, int h, std::vector<std::string> lines, int size);

private:
    void draw() override;
    std::vector<std::string> lines_;
};

// The status line: one line at its full size; a longer text on two lines at a smaller size,
// and cut short only when even that is too little (then its tooltip holds the whole text).
class StatusLine : public Fl_Widget {
public:
    StatusLine(int x, int y, int w, int h);
    void SetText(const std::string& text);
    const std::string& Text() const { return text_; }
    // The tooltip while the text fits (a cut text shows itself whole as the tooltip).
    void SetRestingTooltip(const std::string& tip);
    void resize(int x, int y, int w, int h) override;

private:
    void Fit();
    void draw() override;
    std::string text_;
    std::vector<std::string> lines_;
    std::string restingTip_;
    int size_ = 13;
};

// The splash: our tile picture and the program's name, without a border, for 2.5 s.
class SplashWindow : public Fl_Window {
public:
    SplashWindow();

private:
    void draw() override;
};

}  // namespace tessellon::app
