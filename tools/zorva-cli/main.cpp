// zorva-cli: the program's data sets, industries, comparisons and report
// preparations without a display. See zorva-cli --help.

#include "CliCommands.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return zorva::cli::Run(args, std::cout, std::cerr);
}
