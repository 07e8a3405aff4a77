// PpdText: conversion through the ANSI code page and its capacity.
#include <gtest/gtest.h>

#include "ppd/ppd_document.h"
#include "tests/support/ppd_test_util.h"

TEST(PpdText, AssignConvertsThroughTheAnsiCodePage) {
    const std::string a258(258, 'a');
    const std::string a259(259, 'a');
    struct Row {
        const char* name;
        WideString source;
        int32_t length1252;
        const char* tail1252;  // the last units of the text
        int32_t length932;
        const char* tail932;
    };
    const Row rows[] = {
        {"empty", Units(""), 0, "", 0, ""},
        {"ASCII", Units("*PageSize"), 9, "*PageSize", 9, "*PageSize"},
        {"one double-byte pair", Units("x\x82\xA0"), 3, "x\\u201A\\u00A0", 2, "x\\u3042"},
        {"single-byte katakana", Units("\xB1"), 1, "\\u00B1", 1, "\\uFF71"},
        {"exactly full", Units(a259), 259, "aaa", 259, "aaa"},
        {"one over keeps the first 259", Units(a259 + "b"), 259, "aaa", 259, "aaa"},
        {"far over", Units(std::string(5000, 'c')), 259, "ccc", 259, "ccc"},
        // The pair is one character under 932 and fits as the 259th.
        {"pair as the last character", Units(a258 + "\x82\xA0"), 259, "a\\u201A", 259, "a\\u3042"},
        // Under 932 the whole pair is dropped, never half of it.
        {"pair one past the end", Units(a259 + "\x82\xA0"), 259, "aaa", 259, "aaa"},
        {"units keep only their low byte", WideString{0x0141, 0x0142}, 2, "AB", 2, "AB"},
        {"a unit with a zero low byte ends the text", WideString{'A', 'B', 0x0100, 'C'}, 2, "AB", 2, "AB"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        PpdText text;
        const bool dbcs = IsDoubleByteCodePage();
        const int32_t length = text.Assign(row.source.c_str());
        const int32_t wantLength = dbcs ? row.length932 : row.length1252;
        const std::string wantTail = dbcs ? row.tail932 : row.tail1252;
        EXPECT_EQ(wantLength, length);
        EXPECT_EQ(wantLength, text.length);
        ASSERT_TRUE(text.length >= 0 && text.length < kPpdTextCapacity);
        EXPECT_EQ(0, text.chars[text.length]);
        const std::string got = Printable(text);
        ASSERT_GE(got.size(), wantTail.size());
        EXPECT_EQ(wantTail, got.substr(got.size() - wantTail.size()));
    }
}

TEST(PpdText, AssignReplacesTheWholeText) {
    PpdText text;
    text.Assign(Units("longer text").c_str());
    EXPECT_EQ(2, text.Assign(Units("ab").c_str()));
    EXPECT_EQ("ab", Printable(text));
    EXPECT_EQ(0, text.Assign(nullptr));
    EXPECT_EQ(0, text.chars[0]);
}

TEST(PpdText, AssignWideKeepsUnitsAsTheyAre) {
    const WideString full(259, 0x3042);
    struct Row {
        const char* name;
        WideString source;
        int32_t length;
    };
    const Row rows[] = {
        {"non-ASCII unchanged", WideString{0x20AC, 0x3042, 'x'}, 3},
        {"exactly full", full, 259},
        {"one over", full + static_cast<WCHAR>('x'), 259},
        // A surrogate pair is never cut in half.
        {"pair across the end", WideString(258, 'a') + WideString{0xD83D, 0xDE00}, 258},
        {"pair as the last two units", WideString(257, 'a') + WideString{0xD83D, 0xDE00}, 259},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        PpdText text;
        EXPECT_EQ(row.length, text.AssignWide(row.source.c_str()));
        EXPECT_EQ(row.source.substr(0, static_cast<size_t>(row.length)), WideString(text.chars));
        EXPECT_EQ(0, text.chars[text.length]);
    }
}

TEST(PpdText, EqualityAndCopy) {
    PpdText a;
    PpdText b;
    EXPECT_TRUE(a.Equals(b)) << "two empty texts";
    a.Assign(Units("False").c_str());
    b.Assign(Units("false").c_str());
    EXPECT_FALSE(a.Equals(b)) << "case-sensitive";
    EXPECT_TRUE(a.Equals(Units("False").c_str()));
    EXPECT_FALSE(a.Equals(Units("Fals").c_str()));
    EXPECT_FALSE(a.Equals(Units("False ").c_str()));
    EXPECT_FALSE(a.Equals(static_cast<const WCHAR*>(nullptr)));
    // A copy takes the length and all 260 units, stale ones included.
    a.chars[kPpdTextCapacity - 1] = 0x1234;
    const PpdText copy = a;
    EXPECT_TRUE(copy.Equals(a));
    EXPECT_EQ(0x1234, copy.chars[kPpdTextCapacity - 1]);
}
