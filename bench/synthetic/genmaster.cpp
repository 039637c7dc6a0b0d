// zelnoa-genmaster OUT.db [weapons] [mods-per-weapon]
// Writes the synthetic large master (20,000 weapons with 20 modifications each by default).

#include "bench/synthetic/SyntheticMaster.h"

#include <charconv>
#include <cstdio>
#include <cstring>

namespace {

bool readCount(const char* text, int& value) {
    const char* end = text + std::strlen(text);
    const auto [ptr, ec] = std::from_chars(text, end, value);
    return ec == std::errc() && ptr == end;
}

} // namespace

int main(int argc, char** argv) {
    synthetic::Size size;
    if (argc < 2 || argc > 4 || (argc > 2 && !readCount(argv[2], size.weapons)) ||
        (argc > 3 && !readCount(argv[3], size.modsPerWeapon))) {
        std::fprintf(stderr, "usage: zelnoa-genmaster OUT.db [weapons] [mods-per-weapon]\n");
        return 2;
    }
    std::string error;
    if (!synthetic::writeMaster(argv[1], size, error)) {
        std::fprintf(stderr, "zelnoa-genmaster: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
