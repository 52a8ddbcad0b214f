// skinpack: makes, lists and unpacks skin packages.
#include <iostream>
#include <string>
#include <vector>

#include "tools/skinpack/skinpack_commands.h"

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    return quorvane::RunSkinpack(args, std::cout, std::cerr);
}
