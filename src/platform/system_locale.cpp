#include "platform/system_locale.h"

#include <filesystem>

#ifdef _WIN32
#include <windows.h>
#else
#include <langinfo.h>
#include <locale.h>
#endif

namespace tessellon {

std::string LocaleDecimalPoint() {
#ifdef _WIN32
    char buf[8] = {};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buf, sizeof buf) > 0) return buf;
    return {};
#else
    locale_t loc = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
    if (loc == static_cast<locale_t>(0)) loc = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(0));
    if (loc == static_cast<locale_t>(0)) return {};
    std::string point = nl_langinfo_l(RADIXCHAR, loc);
    freelocale(loc);
    return point;
#endif
}

std::string ExecutableFolder() {
#ifdef _WIN32
    char buf[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(nullptr, buf, MAX_PATH);
    if (n == 0) return {};
    return std::filesystem::path(std::string(buf, n)).parent_path().string();
#else
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
    return exe.parent_path().string();
#endif
}

}  // namespace tessellon
