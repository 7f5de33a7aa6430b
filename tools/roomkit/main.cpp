#include <iostream>

#include "roomkit/kit.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return roomkit::RunKit(args, std::cout, std::cerr);
}
