#include "host/common/files.h"

#include <stdio.h>

#include <vector>

#include "host/common/text.h"

namespace {

bool ReadAll(FILE* file, std::string* bytes) {
    if (file == nullptr) {
        return false;
    }
    bytes->clear();
    // One block of the file's size, then whatever more it has grown by.
    if (fseek(file, 0, SEEK_END) == 0) {
        const long size = ftell(file);
        bytes->resize(size > 0 ? static_cast<size_t>(size) : 0);
        rewind(file);
        bytes->resize(fread(&(*bytes)[0], 1, bytes->size(), file));
    }
    char chunk[16384];
    size_t count;
    while ((count = fread(chunk, 1, sizeof(chunk), file)) > 0) {
        bytes->append(chunk, count);
    }
    const bool ok = ferror(file) == 0;
    fclose(file);
    return ok;
}

}  // namespace

bool ReadFileBytes(const std::u16string& path, std::string* bytes) {
    return ReadAll(_wfopen(AsWide(path), TEXT("rb")), bytes);
}

bool ReadFileBytes(const std::string& path, std::string* bytes) {
    return ReadAll(fopen(path.c_str(), "rb"), bytes);
}

bool WriteFileBytes(const std::u16string& path, const std::string& bytes) {
    FILE* file = _wfopen(AsWide(path), TEXT("wb"));
    if (file == nullptr) {
        return false;
    }
    const bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && written;
}

std::u16string ModuleFileName(HMODULE module) {
    constexpr DWORD kLongestPath = 32768;  // the platform's longest path, in UTF-16 units
    std::vector<WCHAR> path(kLongestPath);
    const DWORD length = GetModuleFileNameW(module, path.data(), kLongestPath);
    if (length == 0 || length >= kLongestPath) {
        return std::u16string();
    }
    return std::u16string(reinterpret_cast<const char16_t*>(path.data()), length);
}

std::string PathFileName(const std::string& path) {
    const size_t separator = path.find_last_of("/\\");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}
