// The level checker on arbitrary map text: reading, every structural check, the leak check and
// both report forms. Bad text must end in problems, never in a crash or a hang.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "check/level_check.h"
#include "check/vmf_reader.h"

using namespace tessellon;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const CheckReport report = CheckLevelText(text);
    (void)FormatReportText(report);
    (void)FormatReportJson(report);
    if (report.leak.leaked) (void)FormatPointFile(report.leak.trail);

    // The same text in the one-token-per-line form room bodies use, checked as a room body.
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
    CheckOptions room;
    room.requireMapHead = false;
    (void)CheckLevelDocument(ReadVmfTokenLines(lines, 22), room);
    return 0;
}
