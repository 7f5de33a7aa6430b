#include <iostream>
#include <string>
#include <vector>

#include "cli/cli.h"

#ifdef TESSELLON_WITH_WINDOW
#include "app/app.h"
#endif

#if defined(_WIN32) && defined(TESSELLON_WITH_WINDOW)
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

namespace {
// Started from Explorer, the program gets a console of its own that nobody reads; let it go so
// only the window shows. Started from a command prompt the console is shared and stays, so
// the window's messages on standard output still reach the prompt.
void LetGoOfOwnConsole() {
    DWORD attached[2];
    if (GetConsoleProcessList(attached, 2) == 1) FreeConsole();
}
}  // namespace
#endif

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
#ifdef TESSELLON_WITH_WINDOW
    // No command, or a first option rather than a command: the window.
    if (args.empty() || args[0] == "gui" || (args[0].rfind("--", 0) == 0 && args[0] != "--help")) {
        if (!args.empty() && args[0] == "gui") args.erase(args.begin());
#ifdef _WIN32
        LetGoOfOwnConsole();
#endif
        return tessellon::app::RunGui(args, std::cout, std::cerr);
    }
#endif
    return tessellon::RunCli(args, std::cout, std::cerr);
}
