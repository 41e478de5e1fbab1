// quillet-simcard: creates, shows and adjusts virtual card files.
#include <iostream>

#include "sim/SimCardTool.h"

int main(int argc, char** argv) {
    return quillet::sim::RunSimCardTool(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
