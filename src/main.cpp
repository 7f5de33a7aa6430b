#include <iostream>
#include <string>
#include <vector>

#include "cli/cli.h"

#ifdef TESSELLON_WITH_WINDOW
#include "app/app.h"
#endif

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
#ifdef TESSELLON_WITH_WINDOW
    // No command, or a first option rather than a command: the window.
    if (args.empty() || args[0] == "gui" || (args[0].rfind("--", 0) == 0 && args[0] != "--help")) {
        if (!args.empty() && args[0] == "gui") args.erase(args.begin());
        return tessellon::app::RunGui(args, std::cout, std::cerr);
    }
#endif
    return tessellon::RunCli(args, std::cout, std::cerr);
}
