// A child process started, waited for and its exit code read, the command
// line's quoting as the child's C runtime parses it, and the module file
// name. The child is tests/platform/child.
#include <gtest/gtest.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "tests/platform/platform_test_util.h"

namespace {

WideString ProgramDirectory() {
    WCHAR path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    WideString program(path, length);
    return program.substr(0, program.find_last_of(static_cast<WCHAR>(KX_PATH_SEPARATOR)) + 1);
}

// One argument quoted for the command line: backslashes are doubled only
// before a quote, quotes escaped, and the whole quoted.
WideString Quoted(const WideString& arg) {
    WideString quoted = TEXT("\"");
    size_t backslashes = 0;
    for (WCHAR c : arg) {
        if (c == u'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == u'"' ? 2 * backslashes + 1 : backslashes, u'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(2 * backslashes, u'\\');
    return quoted + TEXT("\"");
}

// Starts the child with the arguments, waits for it; its exit code, or
// kPoison when it could not be started.
DWORD RunChild(const std::vector<std::string>& args) {
    const WideString program = ProgramDirectory() + Units(KX_TEST_CHILD_FILE_NAME);
    WideString line = Quoted(program);
    for (const std::string& arg : args) {
        line += TEXT(" ") + Quoted(Units(arg));
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(program.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        ADD_FAILURE() << "CreateProcessW: error " << GetLastError();
        return kPoison;
    }
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(process.hProcess, INFINITE));
    DWORD code = kPoison;
    EXPECT_TRUE(GetExitCodeProcess(process.hProcess, &code));
    EXPECT_TRUE(CloseHandle(process.hThread));
    EXPECT_TRUE(CloseHandle(process.hProcess));
    return code;
}

}  // namespace

TEST(Processes, ExitCodeOfTheChild_AFaultsCodeWhenOneEndsIt) {
    const struct {
        std::vector<std::string> args;
        DWORD code;
    } rows[] = {
        {{"exit", "0"}, 0},
        {{"exit", "7"}, 7},
        {{"exit", "255"}, 255},
        {{"filtered-fault"}, STATUS_ACCESS_VIOLATION},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args[0]);
        EXPECT_EQ(row.code, RunChild(row.args));
    }
}

TEST(Processes, Arguments_ReachTheChildAsQuoted) {
    const std::string output = ScratchName("kx_child_args", ".txt");
    const std::vector<std::string> args = {"plain",       "two words",  "",     "a\"quote",
                                           "back\\slash", "trailing\\", "\\\"", "C:\\dir with space\\"};
    std::vector<std::string> command = {"args", output};
    command.insert(command.end(), args.begin(), args.end());
    ASSERT_EQ(0u, RunChild(command));
    std::string expected;
    for (const std::string& arg : args) {
        expected += arg + "\n";
    }
    std::string got;
    FILE* in = fopen(output.c_str(), "rb");
    ASSERT_NE(nullptr, in);
    for (int c; (c = fgetc(in)) != EOF;) {
        got += static_cast<char>(c);
    }
    fclose(in);
    remove(output.c_str());
    EXPECT_EQ(expected, got);
}

TEST(Processes, MissingProgram_FileNotFound) {
    WideString program = ProgramDirectory() + Units(ScratchName("kx_no_such_program", ".exe").c_str());
    WideString line = Quoted(program);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    SetLastError(kPoison);
    EXPECT_FALSE(
        CreateProcessW(program.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
}

TEST(Processes, ModuleFileName_FullPathAndCutToTheBuffer) {
    WCHAR path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    ASSERT_GT(length, 4u);
    const WideString program(path, length);
    EXPECT_NE(WideString::npos, program.find(TEXT("kx_platform_tests"))) << Printable(program);
    EXPECT_EQ(static_cast<WCHAR>(KX_PATH_SEPARATOR), ProgramDirectory().back());

    WCHAR small[4] = {0x5A5A, 0x5A5A, 0x5A5A, 0x5A5A};
    SetLastError(kPoison);
    EXPECT_EQ(3u, GetModuleFileNameW(nullptr, small, 3));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
#if KX_PLATFORM_WINDOWS
    // Wine 8 cuts the path to the buffer without a terminator, as Windows XP
    // did; later Windows, and the stand-in, keep room for it.
    EXPECT_EQ(program.substr(0, 3), WideString(small, 3));
#else
    EXPECT_EQ(program.substr(0, 2), WideString(small, 2));
    EXPECT_EQ(0, small[2]) << "cut to the buffer, terminator included";
#endif
    EXPECT_EQ(0x5A5A, small[3]);
}
