// The room kit on arbitrary input: read as a Hammer map, imported and checked with everything
// the kit judges; read as a room file, checked and given back as a map that must read again.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "roomkit/model_list.h"
#include "roomkit/room_check.h"
#include "roomkit/room_file.h"
#include "roomkit/vmf.h"

using namespace roomkit;

namespace {

RoomCheckOptions& Options() {
    static std::set<std::string> models;
    static ModelKinds kinds;
    static RoomCheckOptions options = [] {
        RoomCheckOptions o;
        const std::string list = std::string(TESSELLON_SOURCE_DIR) + "/data/hl2_models.txt";
        std::vector<std::string> errors;
        if (ReadModelList(list, models)) o.models = &models;
        if (ReadModelKinds(list, kinds, errors)) o.modelKinds = &kinds;
        return o;
    }();
    return options;
}

void CheckLines(const std::vector<std::string>& lines) {
    (void)FormatIssues("fuzz.rgr", CheckRoom(lines, Options()));
    try {
        // A room file given back as a map must read again as the kit wrote it.
        const std::string vmf = WriteVmf(ExportRoom(lines));
        (void)ParseVmf(vmf);
    } catch (const ParseError&) {
        // the room file's own problem, named with its line
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Options();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        const Node map = ParseVmf(text);
        (void)WriteVmf(map);
        CheckLines(ImportRoom(map));
    } catch (const ParseError&) {
        // named with its line; nothing is written
    }
    CheckLines(SplitLines(text));
    return 0;
}
