#include "tests/support/test_text.h"

#include <stdlib.h>

#if !KX_PLATFORM_WINDOWS
#include <unistd.h>
#endif

WideString Units(const std::string& bytes) {
    WideString units;
    for (unsigned char byte : bytes) {
        units += static_cast<WCHAR>(byte);
    }
    return units;
}

std::string Printable(const WCHAR* text, size_t length) {
    std::string out;
    for (size_t i = 0; i < length; ++i) {
        const unsigned unit = static_cast<unsigned>(text[i]);
        if (unit >= 0x20 && unit < 0x7F && unit != '\\') {
            out += static_cast<char>(unit);
        } else {
            char escape[12];
            snprintf(escape, sizeof(escape), "\\u%04X", unit);
            out += escape;
        }
    }
    return out;
}

std::string Printable(const WCHAR* text) {
    if (text == nullptr) {
        return "(null)";
    }
    size_t length = 0;
    while (text[length] != 0) {
        ++length;
    }
    return Printable(text, length);
}

std::string TestLocale() {
    const char* locale = getenv("LC_ALL");
    return (locale != nullptr && *locale != '\0') ? locale : "C";
}

std::string SamplePpdPath() {
    return std::string(KX_SOURCE_DIR) + "/samples/kx-color-page.ppd";
}

std::string StreamBytes(FILE* stream) {
    std::string bytes;
    fflush(stream);
    rewind(stream);
    char chunk[65536];
    size_t count;
    while ((count = fread(chunk, 1, sizeof(chunk), stream)) > 0) {
        bytes.append(chunk, count);
    }
    return bytes;
}

std::string ReadFileBytes(const std::string& path) {
    FILE* stream = fopen(path.c_str(), "rb");
    if (stream == nullptr) {
        return std::string();
    }
    const std::string bytes = StreamBytes(stream);
    fclose(stream);
    return bytes;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    FILE* stream = fopen(path.c_str(), "wb");
    if (stream == nullptr) {
        return false;
    }
    const bool written = fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size();
    return fclose(stream) == 0 && written;
}

unsigned ProcessId() {
#if KX_PLATFORM_WINDOWS
    return GetCurrentProcessId();
#else
    return static_cast<unsigned>(getpid());
#endif
}

std::string ScratchName(const std::string& stem, const std::string& extension) {
    static unsigned counter = 0;
    return stem + "_" + std::to_string(ProcessId()) + "_" + std::to_string(++counter) + extension;
}
