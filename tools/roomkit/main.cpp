#include <iostream>

#include "roomkit/kit.h"
#ifdef TESSELLON_KIT_WINDOW
#include "roomkit/kit_window.h"
#endif

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
#ifdef TESSELLON_KIT_WINDOW
    // Started without a command (as the room manager starts it) the kit opens its window.
    if (args.empty() || args[0] == "window")
        return roomkit::RunKitWindow(args.empty() ? args : std::vector<std::string>(args.begin() + 1, args.end()));
#endif
    return roomkit::RunKit(args, std::cout, std::cerr);
}
