#include "roomkit/model_list.h"

#include <sstream>

#include "roomkit/kit.h"
#include "roomkit/room_file.h"

namespace roomkit {

const char* PropUseName(PropUse use) {
    switch (use) {
    case PropUse::Static: return "static";
    case PropUse::Physics: return "physics";
    default: return "unknown";
    }
}

bool ReadModelKinds(const std::string& path, ModelKinds& out, std::vector<std::string>& errors) {
    std::string text;
    if (!ReadFile(path, text)) return false;
    int number = 0;
    for (std::string line : SplitLines(text)) {
        ++number;
        if (const size_t hash = line.find('#'); hash != std::string::npos) line.erase(hash);
        std::istringstream words(line);
        std::string model, use, extra;
        if (!(words >> model)) continue;
        if (!(words >> use)) use = "unknown";  // a path alone: nothing established about it
        if (words >> extra) {
            errors.push_back(std::to_string(number) + ": \"" + line +
                             "\" should be a model path and one of static, physics or unknown");
            continue;
        }
        use = LowerCase(use);
        PropUse kind;
        if (use == "static") kind = PropUse::Static;
        else if (use == "physics") kind = PropUse::Physics;
        else if (use == "unknown") kind = PropUse::Unknown;
        else {
            errors.push_back(std::to_string(number) + ": \"" + use + "\" is not static, physics or unknown");
            continue;
        }
        out[LowerCase(model)] = kind;
    }
    return true;
}

}  // namespace roomkit
