#pragma once
#include <optional>
#include <string>

namespace tessellon {

enum class RegistryRoot { CurrentUser, LocalMachine };

// Read-only view of the Windows registry. Elsewhere nothing is ever found, and callers
// fall back to their own defaults.
class Registry {
public:
    virtual ~Registry() = default;
    virtual std::optional<std::string> ReadString(RegistryRoot root, const std::string& key,
                                                  const std::string& value) = 0;
};

class SystemRegistry final : public Registry {
public:
    std::optional<std::string> ReadString(RegistryRoot root, const std::string& key, const std::string& value) override;
};

}  // namespace tessellon
