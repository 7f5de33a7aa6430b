// Steam's key-value files from arbitrary text: malformed text ends in a message, and the
// library folder list never fails.
#include <cstddef>
#include <cstdint>
#include <string>

#include "paths/vdf_reader.h"

using namespace tessellon;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string error;
    if (!ReadVdf(text, &error) && error.empty()) __builtin_trap();  // a refusal always says why
    (void)LibraryFoldersFromVdf(text);
    return 0;
}
