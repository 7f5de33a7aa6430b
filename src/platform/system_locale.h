#pragma once
#include <string>

namespace tessellon {

// The decimal point of the user's locale (LC_NUMERIC from the environment); empty when the
// system cannot tell. Leaves the process's own locale alone.
std::string LocaleDecimalPoint();

// Folder of the running executable; empty when it cannot be found.
std::string ExecutableFolder();

}  // namespace tessellon
