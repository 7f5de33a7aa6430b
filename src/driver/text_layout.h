#pragma once
#include <functional>
#include <string>
#include <vector>

namespace tessellon {

// How wide a text is drawn, in pixels (the window's font; tests use a fixed width per letter).
using TextWidth = std::function<int(const std::string& text)>;

// Breaks `text` into lines no wider than `width`: at blanks first, inside a word longer than a
// line after a folder separator ('\' or '/'), and only as a last resort anywhere. The text's
// own line breaks are kept; no letter is lost but the blanks where a line was broken.
std::vector<std::string> WrapText(const std::string& text, int width, const TextWidth& measure);

// A text fitted to a few lines: the largest of `sizes` (largest first) at which it fits
// `maxLines` lines; at the smallest, the last line is cut short with "...".
struct FittedText {
    std::vector<std::string> lines;
    int size = 0;
    bool cut = false;
};
FittedText FitText(const std::string& text, int width, int maxLines, const std::vector<int>& sizes,
                   const std::function<int(const std::string& text, int size)>& measure);

}  // namespace tessellon
