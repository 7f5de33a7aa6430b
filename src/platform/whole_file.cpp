#include "platform/whole_file.h"

#include <fstream>

namespace tessellon {

WholeFileRead ReadWholeFile(const std::filesystem::path& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        text.clear();
        return WholeFileRead::CannotOpen;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size < 0) {
        text.clear();
        return WholeFileRead::CannotRead;
    }
    // Resized without clearing first: a kept buffer of the same size is reused as it is, rather
    // than filled with zeros only to be overwritten by the read.
    text.resize(static_cast<std::size_t>(size));
    if (size > 0) {
        in.read(text.data(), size);
        if (in.bad() || in.gcount() != size) {
            text.clear();
            return WholeFileRead::CannotRead;
        }
    }
    return WholeFileRead::Done;
}

}  // namespace tessellon
