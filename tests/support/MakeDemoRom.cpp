// Writes the demo ROM to the path given as the only argument.
#include "tests/support/SyntheticRom.h"

#include <iostream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_demo_rom OUTPUT.smc\n";
        return 2;
    }
    const kyrel::Status saved = kyrel::testing::MakeDemoRom().Save(argv[1]);
    if (!saved.ok()) {
        std::cerr << kyrel::testing::Shown(saved.failure) << '\n';
        return 1;
    }
    return 0;
}
