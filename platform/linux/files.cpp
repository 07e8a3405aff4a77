// Files and folders: the temporary folder, folders made and removed, files
// deleted and a folder's entries listed, as the platform's file API does
// them (the error codes are Windows's, which Wine gives too).
#include <dirent.h>
#include <errno.h>
#include <fnmatch.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "platform/linux/internal.h"
#include "platform/platform.h"

namespace {

typedef std::basic_string<WCHAR> WString;

// One listing, taken whole when it starts: "." and ".." first, as the
// platform lists them, then the other names in order.
struct FindHandle {
    std::string directory;
    std::vector<std::string> names;
    size_t next;
};

// Seconds since 1970 as FILETIME, 100 ns units since 1601.
FILETIME FileTime(time_t seconds) {
    const uint64_t ticks = (static_cast<uint64_t>(seconds) + 11644473600ull) * 10000000ull;
    return {static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(ticks >> 32)};
}

bool Describe(const std::string& directory, const std::string& name, LPWIN32_FIND_DATAW data) {
    struct stat info;
    if (stat((directory + "/" + name).c_str(), &info) != 0) {
        return false;
    }
    const WString wide = kxplat::Utf8ToUtf16(name);
    memset(data, 0, sizeof(*data));
    if (S_ISDIR(info.st_mode)) {
        data->dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
    } else {
        data->dwFileAttributes = FILE_ATTRIBUTE_ARCHIVE | ((info.st_mode & S_IWUSR) == 0 ? FILE_ATTRIBUTE_READONLY : 0);
        data->nFileSizeHigh = static_cast<DWORD>(static_cast<uint64_t>(info.st_size) >> 32);
        data->nFileSizeLow = static_cast<DWORD>(static_cast<uint64_t>(info.st_size) & 0xFFFFFFFF);
    }
    data->ftCreationTime = FileTime(info.st_ctime);
    data->ftLastAccessTime = FileTime(info.st_atime);
    data->ftLastWriteTime = FileTime(info.st_mtime);
    const size_t units = std::min(wide.size(), static_cast<size_t>(MAX_PATH - 1));
    memcpy(data->cFileName, wide.data(), units * sizeof(WCHAR));
    return true;
}

// The next entry that still exists; false at the end of the listing.
bool Next(FindHandle* find, LPWIN32_FIND_DATAW data) {
    while (find->next < find->names.size()) {
        if (Describe(find->directory, find->names[find->next++], data)) {
            return true;
        }
    }
    return false;
}

}  // namespace

// TMP, then TEMP, as the platform reads them, then TMPDIR, the Linux
// convention, else /tmp; always with a separator at the end.
extern "C" DWORD WINAPI GetTempPathW(DWORD nBufferLength, LPWSTR lpBuffer) {
    std::string path = "/tmp";
    for (const char* name : {"TMP", "TEMP", "TMPDIR"}) {
        const char* value = getenv(name);
        if (value != nullptr && value[0] != '\0') {
            path = value;
            break;
        }
    }
    if (path.back() != '/') {
        path += '/';
    }
    const WString wide = kxplat::Utf8ToUtf16(path);
    if (lpBuffer == nullptr || nBufferLength <= wide.size()) {
        return static_cast<DWORD>(wide.size() + 1);  // the size needed, terminator included
    }
    memcpy(lpBuffer, wide.c_str(), (wide.size() + 1) * sizeof(WCHAR));
    return static_cast<DWORD>(wide.size());
}

// A new folder only its owner may enter, as a user's own folders are on the
// platform. The security attributes are not looked at.
extern "C" BOOL WINAPI CreateDirectoryW(LPCWSTR lpPathName, LPSECURITY_ATTRIBUTES /*lpSecurityAttributes*/) {
    if (lpPathName == nullptr) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (mkdir(kxplat::Utf16ToUtf8(lpPathName).c_str(), 0700) != 0) {
        SetLastError(kxplat::ErrorFromErrno(errno, ERROR_PATH_NOT_FOUND));
        return FALSE;
    }
    return TRUE;
}

extern "C" BOOL WINAPI RemoveDirectoryW(LPCWSTR lpPathName) {
    if (lpPathName == nullptr) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (rmdir(kxplat::Utf16ToUtf8(lpPathName).c_str()) != 0) {
        SetLastError(errno == ENOTDIR ? ERROR_DIRECTORY : kxplat::ErrorFromErrno(errno, ERROR_FILE_NOT_FOUND));
        return FALSE;
    }
    return TRUE;
}

// Files only: a folder is refused with ERROR_ACCESS_DENIED, as the platform
// refuses it.
extern "C" BOOL WINAPI DeleteFileW(LPCWSTR lpFileName) {
    if (lpFileName == nullptr) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (unlink(kxplat::Utf16ToUtf8(lpFileName).c_str()) != 0) {
        SetLastError(kxplat::ErrorFromErrno(errno, ERROR_FILE_NOT_FOUND));
        return FALSE;
    }
    return TRUE;
}

// A file renamed, over an existing file only with MOVEFILE_REPLACE_EXISTING;
// never over a folder. The other flags are not part of the stand-in.
extern "C" BOOL WINAPI MoveFileExW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, DWORD dwFlags) {
    if (lpExistingFileName == nullptr || lpNewFileName == nullptr || (dwFlags & ~MOVEFILE_REPLACE_EXISTING) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::string source = kxplat::Utf16ToUtf8(lpExistingFileName);
    const std::string target = kxplat::Utf16ToUtf8(lpNewFileName);
    struct stat info;
    if (lstat(source.c_str(), &info) != 0) {
        SetLastError(kxplat::ErrorFromErrno(errno, ERROR_FILE_NOT_FOUND));
        return FALSE;
    }
    if (stat(target.c_str(), &info) == 0) {
        if ((dwFlags & MOVEFILE_REPLACE_EXISTING) == 0 || S_ISDIR(info.st_mode)) {
            SetLastError((dwFlags & MOVEFILE_REPLACE_EXISTING) == 0 ? ERROR_ALREADY_EXISTS : ERROR_ACCESS_DENIED);
            return FALSE;
        }
    }
    if (rename(source.c_str(), target.c_str()) != 0) {
        SetLastError(kxplat::ErrorFromErrno(errno, ERROR_PATH_NOT_FOUND));
        return FALSE;
    }
    return TRUE;
}

// The last component of lpFileName is the pattern (* and ? as wildcards),
// the rest the folder to list.
extern "C" HANDLE WINAPI FindFirstFileW(LPCWSTR lpFileName, LPWIN32_FIND_DATAW lpFindFileData) {
    if (lpFileName == nullptr || lpFindFileData == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    const std::string path = kxplat::Utf16ToUtf8(lpFileName);
    const size_t slash = path.rfind('/');
    const std::string directory = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    const std::string pattern = slash == std::string::npos ? path : path.substr(slash + 1);
    DIR* listing = opendir(directory.c_str());
    if (listing == nullptr) {
        SetLastError(kxplat::ErrorFromErrno(errno, ERROR_PATH_NOT_FOUND));
        return INVALID_HANDLE_VALUE;
    }
    FindHandle* find = new (std::nothrow) FindHandle{directory, {}, 0};
    if (find == nullptr) {
        closedir(listing);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return INVALID_HANDLE_VALUE;
    }
    std::vector<std::string> others;
    while (const struct dirent* entry = readdir(listing)) {
        const std::string name = entry->d_name;
        if (fnmatch(pattern.c_str(), name.c_str(), 0) != 0) {
            continue;
        }
        (name == "." || name == ".." ? find->names : others).push_back(name);
    }
    closedir(listing);
    std::sort(find->names.begin(), find->names.end());
    std::sort(others.begin(), others.end());
    find->names.insert(find->names.end(), others.begin(), others.end());
    if (!Next(find, lpFindFileData)) {
        delete find;
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    return find;
}

extern "C" BOOL WINAPI FindNextFileW(HANDLE hFindFile, LPWIN32_FIND_DATAW lpFindFileData) {
    if (hFindFile == nullptr || hFindFile == INVALID_HANDLE_VALUE || lpFindFileData == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!Next(static_cast<FindHandle*>(hFindFile), lpFindFileData)) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    return TRUE;
}

extern "C" BOOL WINAPI FindClose(HANDLE hFindFile) {
    if (hFindFile == nullptr || hFindFile == INVALID_HANDLE_VALUE) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    delete static_cast<FindHandle*>(hFindFile);
    return TRUE;
}
