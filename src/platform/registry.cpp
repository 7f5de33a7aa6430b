#include "platform/registry.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace tessellon {

std::optional<std::string> SystemRegistry::ReadString(RegistryRoot root, const std::string& key,
                                                      const std::string& value) {
#ifdef _WIN32
    HKEY hive = root == RegistryRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    DWORD size = 0;
    if (RegGetValueA(hive, key.c_str(), value.c_str(), RRF_RT_REG_SZ, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::string buffer(size, '\0');
    if (RegGetValueA(hive, key.c_str(), value.c_str(), RRF_RT_REG_SZ, nullptr, buffer.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    // The value ends at its first zero character.
    return buffer.substr(0, buffer.find('\0'));
#else
    (void)root;
    (void)key;
    (void)value;
    return std::nullopt;
#endif
}

}  // namespace tessellon
