#pragma once
// The window's scale: every window is laid out at its design size and then grown by the scale,
// fonts with it, so the program reads the same on a 96 dpi and a 192 dpi screen.
class Fl_Widget;

namespace tessellon::app {

double UiScale();
void SetUiScale(double scale);
// A design size in pixels at the current scale.
int Px(int designPixels);
// Grows a window built at its design size (and everything in it) by the current scale.
void ScaleWindow(Fl_Widget* window);
// The screen's dots per inch as the desktop states it (Xft.dpi, else the screen's size).
double ScreenDpi();

}  // namespace tessellon::app
