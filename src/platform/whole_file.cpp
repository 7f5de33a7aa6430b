#include "platform/whole_file.h"

#include <fstream>

namespace tessellon {

WholeFileRead ReadWholeFile(const std::filesystem::path& path, std::string& text) {
    text.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) return WholeFileRead::CannotOpen;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size < 0) return WholeFileRead::CannotRead;
    if (size > 0) {
        text.resize(static_cast<std::size_t>(size));
        in.read(text.data(), size);
        if (in.bad() || in.gcount() != size) {
            text.clear();
            return WholeFileRead::CannotRead;
        }
    }
    return WholeFileRead::Done;
}

}  // namespace tessellon
