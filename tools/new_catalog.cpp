// Creates an empty catalogue: orbisk-new-catalog FILE. Refuses to touch an existing file.
#include "catalog/catalog.h"

#include <iostream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: orbisk-new-catalog FILE\n";
        return 2;
    }
    try {
        orbisk::Catalog::create(argv[1]);
    } catch (const std::exception& error) {
        std::cerr << argv[1] << ": " << error.what() << '\n';
        return 1;
    }
    return 0;
}
