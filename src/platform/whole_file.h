#pragma once
#include <filesystem>
#include <string>

namespace tessellon {

enum class WholeFileRead { Done, CannotOpen, CannotRead };

// Reads a file in one go into text (emptied first). Text is only valid when Done comes back.
WholeFileRead ReadWholeFile(const std::filesystem::path& path, std::string& text);

}  // namespace tessellon
