// Wrapping texts for the message boxes and fitting the status line, with a font of 7 pixels a
// letter at size 12 (a size's width scales with it).
#include <gtest/gtest.h>

#include <algorithm>

#include "driver/text_layout.h"
#include "driver/window_scale.h"
#include "test_support.h"

namespace tessellon::testing {
namespace {

int Width(const std::string& t) { return static_cast<int>(t.size()) * 7; }

std::string Joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& l : lines) out += l;
    return out;
}

std::string WithoutBlanks(std::string s) {
    s.erase(std::remove(s.begin(), s.end(), ' '), s.end());
    return s;
}

TEST(TextLayout, LongPathsBreakAfterSeparatorsAndNothingIsLost) {
    const std::string path = "C:\\Program Files (x86)\\Steam\\steamapps\\player1\\sourcesdk\\bin\\vvis.exe";
    const std::string text = "The compiler " + path + " could not be found.\nCheck the account's folder.";
    const int width = 25 * 7;
    const auto lines = WrapText(text, width, Width);
    for (const auto& l : lines) EXPECT_LE(Width(l), width) << l;
    // Every letter is kept (only the blanks at breaks go) and the compiler's name is whole.
    EXPECT_EQ(WithoutBlanks(Joined(lines)), WithoutBlanks(text.substr(0, text.find('\n')) + text.substr(text.find('\n') + 1)));
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& l) { return l.find("vvis.exe") != std::string::npos; }));
    for (const auto& l : lines) {
        // A path is broken only after a separator.
        if (l.find("steamapps") != std::string::npos) {
            EXPECT_EQ(l.back(), '\\') << l;
        }
    }
    // The text's own break starts a line.
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("Check the", 0) == 0; }));
    EXPECT_EQ(WrapText("a\n\nb", 70, Width), (std::vector<std::string>{"a", "", "b"}));

    // A word without separators longer than a line is cut where it must be.
    const auto cut = WrapText(std::string(30, 'x') + " end", 10 * 7, Width);
    EXPECT_EQ(cut, (std::vector<std::string>{std::string(10, 'x'), std::string(10, 'x'), std::string(10, 'x'), "end"}));
    // The e-mail address of the fatal box stays whole on its line.
    const auto mail = WrapText("Please send this to bugs@tessellon.org if you want", 24 * 7, Width);
    EXPECT_TRUE(std::any_of(mail.begin(), mail.end(), [](const std::string& l) { return l.find("bugs@tessellon.org") != std::string::npos; }));
}

TEST(TextLayout, TheStatusLineShrinksItsTextThenCutsIt) {
    auto measure = [](const std::string& t, int size) { return static_cast<int>(t.size()) * 7 * size / 12; };
    const std::vector<int> sizes{13, 12, 11};
    FittedText f = FitText("Ready...", 600, 2, sizes, measure);
    EXPECT_EQ(f.size, 13);
    EXPECT_EQ(f.lines, (std::vector<std::string>{"Ready..."}));

    const std::string two = std::string(80, 'a') + " " + std::string(80, 'b');
    f = FitText(two, 600, 2, sizes, measure);
    EXPECT_FALSE(f.cut);
    EXPECT_EQ(f.lines, (std::vector<std::string>{std::string(80, 'a'), std::string(80, 'b')}));
    EXPECT_EQ(f.size, 12);

    f = FitText(std::string(400, 'c'), 500, 2, sizes, measure);
    EXPECT_TRUE(f.cut);
    EXPECT_EQ(f.size, 11);
    ASSERT_EQ(f.lines.size(), 2u);
    EXPECT_EQ(f.lines[1].substr(f.lines[1].size() - 3), "...");
    for (const auto& l : f.lines) EXPECT_LE(measure(l, 11), 500) << l;
}

TEST(WindowScale, FollowsTheScreensResolutionButAlwaysFitsItAndIsSaved) {
    EXPECT_EQ(ScaleForScreen(96, 1920, 1080), 1.0);
    EXPECT_EQ(ScaleForScreen(192, 3840, 2160), 2.0);
    EXPECT_EQ(ScaleForScreen(144, 2560, 1440), 1.5);
    EXPECT_EQ(ScaleForScreen(192, 1920, 1080), 1.25) << "a laptop claiming 192 dpi still gets a window that fits";
    EXPECT_EQ(ScaleForScreen(600, 9000, 9000), 3.0);
    EXPECT_EQ(ScaleForScreen(0, 800, 600), 1.0);

    EXPECT_TRUE(ParseScale("Auto")->automatic);
    EXPECT_EQ(ParseScale("150 %")->scale, 1.5);
    EXPECT_EQ(ParseScale("1.75")->scale, 1.75);
    for (const char* bad : {"50%", "4", "big", ""}) EXPECT_FALSE(ParseScale(bad).has_value()) << bad;

    TempDir home;
    EXPECT_TRUE(ReadScaleSetting(home.path()).automatic);
    ASSERT_TRUE(SaveScaleSetting(home.path(), {false, 2.0}));
    EXPECT_EQ(ReadFile(home.path() / "window.ini"), "scale=200%\r\n");
    EXPECT_EQ(ReadScaleSetting(home.path()).scale, 2.0);
    WriteFile(home.path() / "window.ini", "scale=huge\r\n");
    EXPECT_TRUE(ReadScaleSetting(home.path()).automatic);
}

}  // namespace
}  // namespace tessellon::testing
