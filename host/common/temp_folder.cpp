#include "host/common/temp_folder.h"

#include <stdio.h>

#include "host/common/text.h"

namespace {

constexpr unsigned kNameAttempts = 64;  // folders left by runs that died keep their names

}  // namespace

std::string Hex8(unsigned value) {
    char text[16];
    snprintf(text, sizeof(text), "%08x", value);
    return text;
}

std::u16string JoinPath(const std::u16string& folder, const std::u16string& name) {
    std::u16string path = folder;
    if (!path.empty() && path.back() != static_cast<char16_t>(KX_PATH_SEPARATOR)) {
        path += static_cast<char16_t>(KX_PATH_SEPARATOR);
    }
    return path + name;
}

bool RemoveFolder(const std::u16string& folder) {
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW(AsWide(JoinPath(folder, u"*")), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                DeleteFileW(AsWide(JoinPath(folder, reinterpret_cast<const char16_t*>(entry.cFileName))));
            }
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    return RemoveDirectoryW(AsWide(folder)) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

bool TempFolderPath(const std::u16string& name, std::u16string* path) {
    WCHAR temp[MAX_PATH];
    const DWORD length = GetTempPathW(MAX_PATH, temp);
    if (length == 0 || length >= MAX_PATH) {
        return false;
    }
    *path = JoinPath(std::u16string(reinterpret_cast<const char16_t*>(temp), length), name);
    return true;
}

bool TempFolder::Create(const char* stem, std::string* error) {
    Remove();
    static unsigned counter = 0;
    const std::string prefix = std::string(stem) + "-" + Hex8(GetCurrentProcessId()) + "-";
    std::u16string candidate;
    for (unsigned attempt = 0; attempt < kNameAttempts; ++attempt) {
        if (!TempFolderPath(Utf8ToUtf16(prefix + Hex8(++counter)), &candidate)) {
            *error = "no temporary folder (GetTempPathW error " + std::to_string(GetLastError()) + ")";
            return false;
        }
        if (CreateDirectoryW(AsWide(candidate), nullptr)) {
            path = candidate;
            return true;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            break;
        }
    }
    *error = "cannot make a folder " + Utf16ToUtf8(candidate) + " (error " + std::to_string(GetLastError()) + ")";
    return false;
}

std::u16string TempFolder::Name() const {
    const size_t separator = path.rfind(static_cast<char16_t>(KX_PATH_SEPARATOR));
    return separator == std::u16string::npos ? path : path.substr(separator + 1);
}

bool TempFolder::Remove() {
    if (path.empty()) {
        return true;
    }
    const bool removed = RemoveFolder(path);
    path.clear();
    return removed;
}
