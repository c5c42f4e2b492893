#include "support/random_bytes.h"

#include <random>

namespace orbisk::testing {

std::string RandomBytes(std::size_t size, unsigned seed, unsigned kinds) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(random() % kinds);
    }
    return bytes;
}

} // namespace orbisk::testing
