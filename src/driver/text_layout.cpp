#include "driver/text_layout.h"

namespace tessellon {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Splits a word too wide for a line into pieces that fit, each ending after a separator when
// one lets it.
std::vector<std::string> BreakWord(const std::string& word, int width, const TextWidth& measure) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    while (start < word.size()) {
        if (measure(word.substr(start)) <= width) {
            pieces.push_back(word.substr(start));
            break;
        }
        std::size_t fit = start + 1;  // at least one letter per line
        std::size_t afterSeparator = 0;
        for (std::size_t end = start + 1; end <= word.size(); ++end) {
            if (measure(word.substr(start, end - start)) > width) break;
            fit = end;
            if (IsSeparator(word[end - 1]) && end < word.size()) afterSeparator = end;
        }
        const std::size_t end = afterSeparator > start ? afterSeparator : fit;
        pieces.push_back(word.substr(start, end - start));
        start = end;
    }
    return pieces;
}

}  // namespace

std::vector<std::string> WrapText(const std::string& text, int width, const TextWidth& measure) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    while (true) {
        const std::size_t nl = text.find('\n', from);
        const std::string paragraph = text.substr(from, nl == std::string::npos ? std::string::npos : nl - from);
        std::string line;
        bool any = false;
        std::size_t i = 0;
        while (i <= paragraph.size()) {
            std::size_t j = paragraph.find(' ', i);
            if (j == std::string::npos) j = paragraph.size();
            const std::string word = paragraph.substr(i, j - i);
            i = j + 1;
            if (word.empty() && j < paragraph.size()) continue;
            const std::string joined = line.empty() ? word : line + " " + word;
            if (measure(joined) <= width) {
                line = joined;
                any = true;
                continue;
            }
            if (!line.empty()) lines.push_back(line);
            line.clear();
            std::vector<std::string> pieces = BreakWord(word, width, measure);
            for (std::size_t k = 0; k + 1 < pieces.size(); ++k) lines.push_back(pieces[k]);
            line = pieces.empty() ? std::string() : pieces.back();
            any = true;
        }
        if (any || paragraph.empty()) lines.push_back(line);
        if (nl == std::string::npos) break;
        from = nl + 1;
    }
    return lines;
}

FittedText FitText(const std::string& text, int width, int maxLines, const std::vector<int>& sizes,
                   const std::function<int(const std::string&, int)>& measure) {
    FittedText f;
    for (const int size : sizes) {
        f.size = size;
        f.lines = WrapText(text, width, [&](const std::string& t) { return measure(t, size); });
        if (static_cast<int>(f.lines.size()) <= maxLines) return f;
    }
    // Too long even at the smallest size: keep what fits and say that more follows.
    f.cut = true;
    f.lines.resize(static_cast<std::size_t>(maxLines));
    std::string& last = f.lines.back();
    while (!last.empty() && measure(last + "...", f.size) > width) last.pop_back();
    last += "...";
    return f;
}

}  // namespace tessellon
