// Writes the platform's conversions (see conversion_dump.h) to the file named
// by the first argument, for the Linux build to compare its own with.
#include <stdio.h>

#include "tests/platform/dump/conversion_dump.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: kx_conversion_dump OUTPUT\n");
        return 2;
    }
    const std::string dump = ConversionDump();
    FILE* file = fopen(argv[1], "wb");
    if (file == nullptr || fwrite(dump.data(), 1, dump.size(), file) != dump.size() || fclose(file) != 0) {
        fprintf(stderr, "kx_conversion_dump: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
