// The wide C runtime routines, with msvcrt's results.
#include <errno.h>
#include <gtest/gtest.h>
#include <stdio.h>

#include <vector>

#include "tests/platform/platform_test_util.h"

namespace {

// One byte at a time, as the PPD reader reads: through fgetc, or through
// _fgetc_nolock as the reader itself does.
std::string ReadAll(FILE* file, bool unlocked = false) {
    std::string contents;
    int c;
    while ((c = unlocked ? _fgetc_nolock(file) : fgetc(file)) != EOF) {
        contents += static_cast<char>(c);
    }
    return contents;
}

std::string Hex(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        char text[4];
        snprintf(text, sizeof(text), "%02x ", c);
        out += text;
    }
    return out;
}

}  // namespace

TEST(WideOpen, TextModeReadsAsMsvcrt) {
    struct Row {
        const char* mode;
        std::string contents;
        std::string expected;
    };
    std::string manyLines;
    std::string manyLinesRead;
    for (int i = 0; i < 5000; ++i) {
        manyLines += "line\r\n";
        manyLinesRead += "line\n";
    }
    std::vector<Row> rows = {
        {"r",
         std::string("ab\r\ncd\x1A"
                     "ef",
                     9),
         "ab\ncd"},
        {"r", "a\rb\r", "a\rb\r"},
        {"r", "\r\r\n\n", "\r\n\n"},
        {"r",
         std::string("\x1A"
                     "abc",
                     4),
         ""},
        {"rt", "x\r\ny", "x\ny"},
        {"r", manyLines, manyLinesRead},
        {"rb",
         std::string("ab\r\ncd\x1A"
                     "ef",
                     9),
         std::string("ab\r\ncd\x1A"
                     "ef",
                     9)},
    };
    // A CR as the last byte of a buffer's block, whatever follows it: the
    // translation must look past the block.
    for (size_t block : {4096, 8192, 65536}) {
        const std::string head(block - 1, 'x');
        rows.push_back({"r", head + "\r\ny", head + "\ny"});
        rows.push_back({"r", head + "\rz\r\n", head + "\rz\n"});
        rows.push_back({"r", head + "\r\x1A" + "\n", head + "\r"});
        rows.push_back({"r", head + "\r", head + "\r"});
        rows.push_back({"r", head + "\n\x1A\r\n", head + "\n"});
    }
    ScratchFile scratch(ScratchName("kx_wfopen_text", ".txt"));
    for (const Row& row : rows) {
        for (bool unlocked : {false, true}) {
            SCOPED_TRACE(testing::Message() << "mode " << row.mode << " size " << row.contents.size() << " contents "
                                            << Hex(row.contents.substr(0, 16)) << (unlocked ? " unlocked" : ""));
            ASSERT_TRUE(scratch.Write(row.contents));
            FILE* file = _wfopen(scratch.WideName().c_str(), Units(row.mode).c_str());
            ASSERT_NE(nullptr, file);
            const std::string got = ReadAll(file, unlocked);
            EXPECT_EQ(0, fclose(file));
            EXPECT_EQ(row.expected.size(), got.size());
            const size_t tail = row.expected.size() > 64 ? row.expected.size() - 64 : 0;
            EXPECT_EQ(Hex(row.expected.substr(tail)), Hex(got.substr(got.size() > 64 ? got.size() - 64 : 0)));
            EXPECT_TRUE(row.expected == got);
        }
    }
}

TEST(WideOpen, TextModeWritesCarriageReturns) {
    ScratchFile scratch(ScratchName("kx_wfopen_write", ".txt"));
    FILE* file = _wfopen(scratch.WideName().c_str(), TEXT("w"));
    ASSERT_NE(nullptr, file);
    fputs("a\nb\r\n", file);
    EXPECT_EQ(0, fclose(file));
    EXPECT_EQ(Hex("a\r\nb\r\r\n"), Hex(scratch.Read()));
}

TEST(WideOpen, NonAsciiPathAndMissingFile) {
    // "kx_\u00FC_\u65E5\u672C_<pid>.txt": a Latin-1 letter and two CJK characters.
    const std::string tail = ScratchName("", ".txt");
    WideString name = {u'k', u'x', u'_', 0x00FC, u'_', 0x65E5, 0x672C};
    name += Units(tail.c_str());
    FILE* file = _wfopen(name.c_str(), TEXT("wb"));
#if KX_PLATFORM_WINDOWS
    // Wine passes file names through the Unix locale's character set, and
    // that of the C locale is ASCII; Windows has no such limit.
    if (TestLocale() == "C") {
        EXPECT_EQ(nullptr, file);
        if (file != nullptr) {
            fclose(file);
        }
        return;
    }
#endif
    ASSERT_NE(nullptr, file);
    fputs("hello", file);
    EXPECT_EQ(0, fclose(file));
    file = _wfopen(name.c_str(), TEXT("rb"));
    ASSERT_NE(nullptr, file);
    EXPECT_EQ("hello", ReadAll(file));
    fclose(file);
#if KX_PLATFORM_WINDOWS
    EXPECT_EQ(0, _wremove(name.c_str()));
#else
    // The stand-in hands the file system the name's UTF-8 form.
    ScratchFile utf8("kx_\xC3\xBC_\xE6\x97\xA5\xE6\x9C\xAC" + tail);
    EXPECT_EQ("hello", utf8.Read());
#endif

    errno = 0;
    EXPECT_EQ(nullptr, _wfopen(TEXT("kx_no_such_file.txt"), TEXT("r")));
    EXPECT_EQ(ENOENT, errno);
}

TEST(WideString, LengthsAndComparisons) {
    EXPECT_EQ(0u, wcslen(TEXT("")));
    EXPECT_EQ(5u, wcslen(TEXT("hello")));
    EXPECT_EQ(5, lstrlenW(TEXT("hello")));
    EXPECT_EQ(0, lstrlenW(nullptr));
    struct Row {
        const WCHAR* a;
        const WCHAR* b;
        size_t count;
        int whole;  // sign of wcscmp
        int first;  // sign of wcsncmp over count units
    };
    const WCHAR high[] = {0xE9, 0};  // above every ASCII unit, unsigned
    const Row rows[] = {
        {TEXT("abc"), TEXT("abc"), 3, 0, 0},  {TEXT("abc"), TEXT("abd"), 2, -1, 0}, {TEXT("abd"), TEXT("abc"), 3, 1, 1},
        {TEXT("ab"), TEXT("abc"), 5, -1, -1}, {TEXT(""), TEXT("a"), 0, -1, 0},      {high, TEXT("z"), 1, 1, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << Printable(row.a, wcslen(row.a)) << " vs "
                                        << Printable(row.b, wcslen(row.b)));
        const int whole = wcscmp(row.a, row.b);
        const int first = wcsncmp(row.a, row.b, row.count);
        EXPECT_EQ(row.whole, (whole > 0) - (whole < 0));
        EXPECT_EQ(row.first, (first > 0) - (first < 0));
    }
}

TEST(WideString, CopyIsBoundedAndTerminated) {
    const int lengths[] = {0, 1, 2, 5, 6, 9};
    for (int n : lengths) {
        SCOPED_TRACE(testing::Message() << "n " << n);
        WCHAR buffer[10];
        for (WCHAR& unit : buffer) {
            unit = u'#';
        }
        EXPECT_EQ(buffer, lstrcpynW(buffer, TEXT("hello"), n));
        const int copied = n == 0 ? 0 : (n - 1 < 5 ? n - 1 : 5);
        EXPECT_EQ(Printable(WideString(TEXT("hello")).substr(0, static_cast<size_t>(copied))),
                  Printable(buffer, static_cast<size_t>(copied)));
        EXPECT_EQ(n == 0 ? u'#' : 0, buffer[copied]);
        EXPECT_EQ(u'#', buffer[copied + 1]);
    }
}

TEST(WideString, ToLongAsMsvcrt) {
    struct Row {
        const WCHAR* text;
        int base;
        long expected;
        int consumed;
        bool outOfRange;
    };
    const WCHAR fullWidth[] = {0xFF11, 0xFF12, 0};
    const WCHAR arabicIndic[] = {u'-', 0x0667, 0x0661, 0};
    const WCHAR noBreakSpace[] = {0x00A0, u'3', 0};
    const Row rows[] = {
        {TEXT(" 42"), 10, 42, 3, false},
        {TEXT("\t\n -17x"), 10, -17, 6, false},
        {TEXT("+5"), 10, 5, 2, false},
        {TEXT("0x1F"), 16, 31, 4, false},
        {TEXT("1fz"), 16, 31, 2, false},
        // msvcrt takes "0x" as the prefix; with no digit after it there is no number.
        {TEXT("0x"), 16, 0, 0, false},
        {TEXT("0xg"), 16, 0, 0, false},
        {TEXT("0x"), 0, 0, 0, false},
        {TEXT("0x10"), 0, 16, 4, false},
        {TEXT("010"), 0, 8, 3, false},
        {TEXT("19"), 8, 1, 1, false},
        {TEXT("abc"), 10, 0, 0, false},
        {TEXT(""), 10, 0, 0, false},
        {TEXT("-"), 10, 0, 0, false},
        {TEXT("  "), 10, 0, 0, false},
        {TEXT("2147483647"), 10, 2147483647L, 10, false},
        {TEXT("2147483648"), 10, 2147483647L, 10, true},
        {TEXT("-2147483648"), 10, -2147483647L - 1, 11, false},
        {TEXT("-2147483649"), 10, -2147483647L - 1, 11, true},
        {TEXT("99999999999999999999x"), 10, 2147483647L, 20, true},
        {TEXT("FFFFFFFF"), 16, 2147483647L, 8, true},
        // Decimal digits of other scripts count, fullwidth ones among them.
        {fullWidth, 10, 12, 2, false},
        {arabicIndic, 10, -71, 3, false},
        {noBreakSpace, 10, 3, 2, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "\"" << Printable(row.text, wcslen(row.text)) << "\" base " << row.base);
        WCHAR* end = nullptr;
        errno = 0;
        const long value = wcstol(row.text, &end, row.base);
        EXPECT_EQ(row.expected, value);
        EXPECT_EQ(row.consumed, end - row.text);
        EXPECT_EQ(row.outOfRange ? ERANGE : 0, errno);
    }
}

TEST(WideString, ToIntAsMsvcrt) {
    struct Row {
        const WCHAR* text;
        int expected;
    };
    const Row rows[] = {
        {TEXT("123abc"), 123}, {TEXT(" -7"), -7}, {TEXT("x1"), 0}, {TEXT("0x10"), 0}, {TEXT("99999999999"), 2147483647},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Printable(row.text, wcslen(row.text)));
        EXPECT_EQ(row.expected, _wtoi(row.text));
    }
}
