// kx_ppd_load reader|cups|none FILE...: loads each file once, in turn, so
// that /usr/bin/time -v can report the peak memory of one load in a process
// of its own, and valgrind can count the work of a load. "none" only reads
// the bytes: the process's own baseline.
#include <stdio.h>
#include <string.h>

#include "bench/bench_loads.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: kx_ppd_load reader|cups|none FILE...\n");
        return 2;
    }
    const char* loader = argv[1];
    if (strcmp(loader, "reader") != 0 && strcmp(loader, "cups") != 0 && strcmp(loader, "none") != 0) {
        fprintf(stderr, "unknown loader %s\n", loader);
        return 2;
    }
    int status = 0;
    for (int i = 2; i < argc; ++i) {
        const std::string path = argv[i];
        long long result;
        if (strcmp(loader, "reader") == 0) {
            result = LoadWithReader(path);
        } else if (strcmp(loader, "cups") == 0) {
            result = LoadWithCups(path);
        } else {
            result = ReadEveryByteBinary(path);
        }
        printf("%s %s: %lld\n", loader, path.c_str(), result);
        if (result < 0) {
            status = 1;
        }
    }
    return status;
}
