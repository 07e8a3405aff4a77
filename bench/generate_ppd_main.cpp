// kx_generate_ppd [options] OUTPUT: writes one generated PPD (for runs of
// kxpsui-host on large files).
//   --features N       features (default 1000)
//   --installables K   the first K features are installable (default 0)
//   --constraints C    *UIConstraints lines (default: N)
//   --one-feature      every constraint names *F0 first (default: spread)
//   --no-constraints   leave the *UIConstraints lines out
// Exit status: 0 written, 1 the file could not be written (nothing is left
// of it), 2 a usage error.
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "bench/generated_ppd.h"

namespace {

constexpr const char* kUsage =
    "usage: kx_generate_ppd [--features N] [--installables K] [--constraints C] [--one-feature] "
    "[--no-constraints] OUTPUT";

int Usage(const char* problem) {
    fprintf(stderr, "kx_generate_ppd: %s\n%s\n", problem, kUsage);
    return 2;
}

bool ParseCount(const char* text, int32_t* value) {
    if (text == nullptr || *text < '0' || *text > '9') {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    const long parsed = strtol(text, &end, 10);
    if (errno != 0 || *end != 0 || parsed > 100000000L) {
        return false;
    }
    *value = static_cast<int32_t>(parsed);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    GeneratedPpdShape shape;
    bool constraintsGiven = false;
    const char* output = nullptr;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        int32_t* count = nullptr;
        if (strcmp(arg, "--features") == 0) {
            count = &shape.features;
        } else if (strcmp(arg, "--installables") == 0) {
            count = &shape.installables;
        } else if (strcmp(arg, "--constraints") == 0) {
            count = &shape.constraints;
            constraintsGiven = true;
        } else if (strcmp(arg, "--one-feature") == 0) {
            shape.layout = kGeneratedOneFeature;
            continue;
        } else if (strcmp(arg, "--no-constraints") == 0) {
            shape.withConstraints = false;
            continue;
        } else if (arg[0] == '-' && arg[1] != 0) {
            return Usage((std::string("unknown option ") + arg).c_str());
        } else if (output != nullptr) {
            return Usage("more than one OUTPUT");
        } else {
            output = arg;
            continue;
        }
        if (i + 1 >= argc || !ParseCount(argv[i + 1], count)) {
            return Usage((std::string(arg) + " needs a count from 0 to 100000000").c_str());
        }
        ++i;
    }
    if (output == nullptr) {
        return Usage("no OUTPUT");
    }
    if (!constraintsGiven) {
        shape.constraints = shape.features;
    }
    if (!ValidGeneratedShape(shape)) {
        return Usage("needs 1 <= features, installables <= features, and 2 features for --one-feature");
    }
    const std::string text = GeneratePpd(shape);
    FILE* file = fopen(output, "wb");
    if (file == nullptr) {
        fprintf(stderr, "kx_generate_ppd: cannot create %s: %s\n", output, strerror(errno));
        return 1;
    }
    const bool written = fwrite(text.data(), 1, text.size(), file) == text.size();
    if (fclose(file) != 0 || !written) {
        fprintf(stderr, "kx_generate_ppd: cannot write %s\n", output);
        remove(output);
        return 1;
    }
    return 0;
}
