// The temporary folder, and a folder made, listed and removed in it, a file
// renamed in it, with the platform's error codes for each refusal.
#include <gtest/gtest.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "tests/platform/platform_test_util.h"

namespace {

WideString TempFolder() {
    WCHAR path[MAX_PATH];
    const DWORD length = GetTempPathW(MAX_PATH, path);
    return WideString(path, length < MAX_PATH ? length : 0);
}

// Each entry as "name attributes size".
std::vector<std::string> Listing(const WideString& pattern, DWORD* error) {
    std::vector<std::string> entries;
    WIN32_FIND_DATAW data;
    SetLastError(kPoison);
    HANDLE find = FindFirstFileW(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        *error = GetLastError();
        return entries;
    }
    do {
        entries.push_back(Printable(data.cFileName, static_cast<size_t>(lstrlenW(data.cFileName))) + " " +
                          std::to_string(data.dwFileAttributes) + " " + std::to_string(data.nFileSizeLow));
    } while (FindNextFileW(find, &data));
    *error = GetLastError();
    EXPECT_TRUE(FindClose(find));
    return entries;
}

}  // namespace

TEST(Files, TemporaryFolder_EndsWithASeparatorAndTellsTheSizeNeeded) {
    const WideString folder = TempFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(static_cast<WCHAR>(KX_PATH_SEPARATOR), folder.back()) << Printable(folder);
    WCHAR small[2] = {0x5A5A, 0x5A5A};
    EXPECT_EQ(folder.size() + 1, GetTempPathW(2, small)) << "the size needed, terminator included";
}

TEST(Files, FolderMade_ListedAndRemoved_EachRefusalWithItsCode) {
    const WideString folder = TempFolder() + Units(ScratchName("kx_files", "").c_str());
    const WideString separator(1, static_cast<WCHAR>(KX_PATH_SEPARATOR));
    const WideString file = folder + separator + TEXT("a.txt");
    const WideString missing = folder + separator + TEXT("missing");
    auto failsWith = [](BOOL result) -> DWORD { return result ? 0 : GetLastError(); };

    SetLastError(kPoison);
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), failsWith(CreateDirectoryW(folder.c_str(), nullptr)));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND),
              failsWith(CreateDirectoryW((missing + separator + TEXT("x")).c_str(), nullptr)));
    FILE* out = _wfopen(file.c_str(), TEXT("wb"));
    ASSERT_NE(nullptr, out);
    fputs("abc", out);
    fclose(out);

    DWORD error = 0;
    EXPECT_EQ((std::vector<std::string>{". 16 0", ".. 16 0", "a.txt 32 3"}),
              Listing(folder + separator + TEXT("*"), &error));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_FILES), error);
    EXPECT_TRUE(Listing(folder + separator + TEXT("b*"), &error).empty());
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), error) << "no entry matches";
    EXPECT_TRUE(Listing(missing + separator + TEXT("*"), &error).empty());
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), error) << "no such folder";

    // A file renamed: over another only when asked, never over a folder.
    const WideString other = folder + separator + TEXT("b.txt");
    EXPECT_TRUE(MoveFileExW(file.c_str(), other.c_str(), 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), failsWith(MoveFileExW(file.c_str(), other.c_str(), 0)));
    out = _wfopen(file.c_str(), TEXT("wb"));
    ASSERT_NE(nullptr, out);
    fputs("abcd", out);
    fclose(out);
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), failsWith(MoveFileExW(file.c_str(), other.c_str(), 0)));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED),
              failsWith(MoveFileExW(file.c_str(), folder.c_str(), MOVEFILE_REPLACE_EXISTING)));
    EXPECT_TRUE(MoveFileExW(file.c_str(), other.c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ((std::vector<std::string>{". 16 0", ".. 16 0", "b.txt 32 4"}),
              Listing(folder + separator + TEXT("*"), &error))
        << "the file moved over the other";
    ASSERT_TRUE(MoveFileExW(other.c_str(), file.c_str(), 0));

    EXPECT_EQ(static_cast<DWORD>(ERROR_DIR_NOT_EMPTY), failsWith(RemoveDirectoryW(folder.c_str())));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), failsWith(DeleteFileW(folder.c_str()))) << "a folder";
    EXPECT_TRUE(DeleteFileW(file.c_str()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), failsWith(DeleteFileW(file.c_str())));
    EXPECT_TRUE(RemoveDirectoryW(folder.c_str()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), failsWith(RemoveDirectoryW(folder.c_str())));
}
