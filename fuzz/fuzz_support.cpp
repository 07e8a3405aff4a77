#include "fuzz/fuzz_support.h"

#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

std::string ScratchFileName() {
    const char* directory = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(directory) + "/kx-fuzz-" + std::to_string(getpid()) + ".ppd";
}

}  // namespace

void FuzzCheckFailed(const char* file, int line, const char* condition, const std::string& what) {
    fprintf(stderr, "%s:%d: check failed: %s\n%s\n", file, line, condition, what.c_str());
    abort();
}

std::string TextModeBytes(const std::string& bytes) {
    std::string text;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == 0x1A) {
            break;
        }
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            text += '\n';
            ++i;
        } else {
            text += c;
        }
    }
    return text;
}

const std::u16string& ScratchFilePath() {
    static const std::u16string path = [] {
        const std::string name = ScratchFileName();
        return std::u16string(name.begin(), name.end());
    }();
    return path;
}

bool WriteScratchFile(const std::string& bytes) {
    static const std::string name = ScratchFileName();
    static const bool removeAtExit = atexit([] { unlink(name.c_str()); }) == 0;
    (void)removeAtExit;
    FILE* file = fopen(name.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = bytes.empty() || fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && written;
}
