// The view from inside on arbitrary map text, in both the map form and the one-token-per-line
// form of room bodies: reading, the scene (bodies, props, marks, lights) and a small picture.
// Bad text must end in problems or an empty picture, never in a crash or a hang.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "check/vmf_reader.h"
#include "picture/inside_view.h"

using namespace tessellon;

namespace {

void Draw(const ViewFile& file) {
    // From the start when the text has one (its place and angles come from the text), else
    // from a fixed spot looking down a little.
    const ViewPoint eye = file.start.value_or(ViewPoint{{0, 0, 64}, 30, 10});
    (void)file.scene.Render(eye, 16, 9, 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Draw(ViewFileOfDocument(ReadVmfText(text)));

    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '\n') {
            std::string line(text.substr(start, i - start));
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(std::move(line));
            start = i + 1;
        }
    }
    Draw(ViewFileOfDocument(ReadVmfTokenLines(lines, 22)));
    return 0;
}
