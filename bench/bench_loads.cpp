#include "bench/bench_loads.h"

#include <stdio.h>

#include <new>

#include "ppd/ppd_document.h"
#include "ppd/ppd_tokenizer.h"

namespace {

std::basic_string<WCHAR> Widen(const std::string& bytes) {
    std::basic_string<WCHAR> units;
    for (unsigned char byte : bytes) {
        units += static_cast<WCHAR>(byte);
    }
    return units;
}

int64_t CountBytes(FILE* stream) {
    if (stream == nullptr) {
        return -1;
    }
    int64_t count = 0;
    while (fgetc(stream) != EOF) {
        ++count;
    }
    fclose(stream);
    return count;
}

}  // namespace

int32_t LoadWithReader(const std::string& path) {
    FILE* stream = _wfopen(Widen(path).c_str(), TEXT("r"));
    if (stream == nullptr) {
        return -1;
    }
    PpdDocument* document = new (std::nothrow) PpdDocument(stream);
    fclose(stream);
    if (document == nullptr) {
        return -1;
    }
    const int32_t features = document->featureCount;
    delete document;
    return features;
}

int64_t ReadEveryByte(const std::string& path) {
    FILE* stream = _wfopen(Widen(path).c_str(), TEXT("r"));
    if (stream == nullptr) {
        return -1;
    }
    // Called through a pointer the compiler cannot see through, as the
    // tokenizer calls its readCallback: one call per byte, never inlined.
    volatile PpdReadCallback read = ReadFileByte;
    int64_t count = 0;
    while (read(stream) != -1) {
        ++count;
    }
    fclose(stream);
    return count;
}

int64_t ReadEveryByteBinary(const std::string& path) {
    return CountBytes(fopen(path.c_str(), "rb"));
}
