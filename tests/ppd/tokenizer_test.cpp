// The byte source, the tokenizer and the keyword lookup.
#include <gtest/gtest.h>

#include "ppd/ppd_keywords.h"
#include "ppd/ppd_tokenizer.h"
#include "tests/support/ppd_test_util.h"

namespace {

std::string Join(const std::vector<std::string>& tokens) {
    std::string out;
    for (const std::string& token : tokens) {
        out += "[" + token + "]";
    }
    return out;
}

}  // namespace

TEST(Tokenizer, SplitsInputIntoTokens) {
    struct Row {
        const char* name;
        std::string input;
        bool allowBlanks;
        const char* expected;  // each token in brackets, non-ASCII as \uXXXX
    };
    const Row rows[] = {
        {"line comment skipped with its line end", "% note\nA B", false, "[A][B]"},
        {"star-percent comment", "*% note *X\n*Key: x", false, "[*Key][x]"},
        {"percent after blanks swallows the line", "A %B C\nD", false, "[A][D]"},
        {"percent inside a token is a character", "A%B C", false, "[A%B][C]"},
        {"star then star is no comment", "**% x", false, "[**%][x]"},
        {"keyword directly before a colon", "*PageSize:A4", false, "[*PageSize][A4]"},
        {"keyword, colon and blank", "*PageSize: A4\n", false, "[*PageSize][A4]"},
        {"CR LF line ends", "A\r\nB\r\n", false, "[A][B]"},
        {"CR LF after a comment", "%c\r\nB", false, "[B]"},
        {"a lone CR ends a comment", "%c\rB", false, "[B]"},
        {"NUL and FF separate tokens", std::string("A\0B\fC\tD", 7), false, "[A][B][C][D]"},
        {"VT is a token character", "A\vB", false, "[A\\u000BB]"},
        {"empty quoted string", "\"\" X", false, "[][X]"},
        {"quoted keeps everything", "\"a b\r\nc:%*\"d", false, "[a b\\u000D\\u000Ac:%*][d]"},
        {"end of input inside quotes", "\"abc", false, "[abc]"},
        {"lone star at the end", "A *", false, "[A][*]"},
        {"lone star before a line end", "*\nB", false, "[*][B]"},
        {"colon-led word without allowBlanks", "*Key :word rest", false, "[*Key][:word][rest]"},
        {"a token may begin with a colon", ":: x", false, "[:][x]"},
        {"bare token ends at a double quote", "ab\"cd\"", false, "[ab][cd]"},
        {"high bytes are token characters", "\x82\xA0\xFF \x80", false, "[\\u0082\\u00A0\\u00FF][\\u0080]"},
        {"allowBlanks keeps inner and trailing blanks", "  Letter/US Letter \t: x", true,
         "[Letter/US Letter \\u0009][x]"},
        {"allowBlanks still ends at a line end", "One Two\nThree", true, "[One Two][Three]"},
        {"allowBlanks still ends at CR, NUL and FF", std::string("a b\rc d\0e\ff", 11), true, "[a b][c d][e][f]"},
        // A translation may hold an inch mark; without allowBlanks the quote
        // still ends a bare token.
        {"allowBlanks keeps a double quote", "Ledger/Ledger (11 x 17\"): \"x y\"", true,
         "[Ledger/Ledger (11 x 17\")][x y]"},
        {"double quote without allowBlanks", "Ledger/Ledger (11 x 17\"): \"x y\"", false,
         "[Ledger/Ledger][(11][x][17][)][x y]"},
        {"allowBlanks with an opening quote reads a quoted token", "\"a:b\" c", true, "[a:b][c]"},
        {"only blanks and comments", " \t\r\n% x\n*%y", false, ""},
        {"empty input", "", false, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        MemoryReader memory(row.input);
        std::vector<std::string> tokens;
        WideString token;
        while (memory.Next(&token, row.allowBlanks)) {
            tokens.push_back(Printable(token));
            // Nothing passes from one token to the next but the position.
            EXPECT_EQ(-1, memory.reader.pushBack) << "after token " << tokens.size();
        }
        EXPECT_EQ(WideString(), token) << "a false result leaves an empty token";
        EXPECT_EQ(row.expected, Join(tokens));
    }
}

TEST(Tokenizer, FalseOnlyAtEndOfInputAndStaysFalse) {
    MemoryReader memory("\"abc");
    WideString token;
    EXPECT_TRUE(memory.Next(&token));
    EXPECT_EQ("abc", Printable(token));
    for (int i = 0; i < 2; ++i) {
        EXPECT_FALSE(memory.Next(&token)) << "call " << i;
        EXPECT_TRUE(token.empty());
    }
}

TEST(Tokenizer, ReadsEachByteOnceThroughTheCallback) {
    const std::string input = "*OpenUI *PageSize/Page Size: PickOne\n*% c\n\"q q\" %x\n*";
    MemoryReader memory(input);
    const std::vector<std::string> tokens = memory.All();
    EXPECT_EQ("[*OpenUI][*PageSize/Page][Size][PickOne][q q][*]", Join(tokens));
    // Every byte once, and at most one end-of-input answer per call after it.
    EXPECT_GE(memory.calls, static_cast<int64_t>(input.size()));
    EXPECT_LE(memory.calls, static_cast<int64_t>(input.size()) + 3);
}

TEST(Tokenizer, TokenLimitAtExactlyFullAndOneOver) {
    // The token buffer holds 1,048,575 bytes and the terminator.
    const std::string full(1048575, 'A');
    struct Row {
        const char* name;
        std::string input;
        bool allowBlanks;
        std::vector<std::string> rest;  // the tokens after the first
    };
    const Row rows[] = {
        {"bare, exactly full", full + " B", false, {"B"}},
        {"bare, one over: the extra byte is dropped", full + "Z B", false, {"B"}},
        {"bare, two over: the rest is a new token", full + "YZ B", false, {"Z", "B"}},
        {"bare, full at end of input", full, false, {}},
        {"quoted, exactly full", "\"" + full + "\" B", false, {"B"}},
        // The closing quote then opens a quoted token of its own.
        {"quoted, one over", "\"" + full + "Z\" B", false, {" B"}},
        {"quoted, two over", "\"" + full + "YZ\" B", false, {"Z", "B"}},
        {"allowBlanks, exactly full", full + ": B", true, {"B"}},
        {"allowBlanks, one over: the colon then leads a token", full + "Z: B", true, {":", "B"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        MemoryReader memory(row.input);
        WideString token;
        ASSERT_TRUE(memory.Next(&token, row.allowBlanks));
        EXPECT_EQ(full.size(), token.size());
        EXPECT_EQ(WideString::npos, token.find_first_not_of(static_cast<WCHAR>('A')));
        std::vector<std::string> rest;
        while (memory.Next(&token)) {
            rest.push_back(Printable(token));
        }
        EXPECT_EQ(Join(row.rest), Join(rest));
    }
}

TEST(Tokenizer, RefusesABufferWithoutRoomForAByte) {
    MemoryReader memory("abc");
    WideString token;
    EXPECT_FALSE(memory.Next(&token, false, 1));
    EXPECT_EQ("", Printable(token)) << "the one unit left is the terminator";
    EXPECT_TRUE(memory.Next(&token, false, 2));
    EXPECT_EQ("a", Printable(token));
}

TEST(Tokenizer, ReadFileByteGivesBytesThenMinusOne) {
    FILE* stream = StreamOf(std::string("\0\xFF\x1A\r", 4));
    ASSERT_NE(nullptr, stream);
    const int32_t expected[] = {0, 255, 26, 13, -1, -1};
    for (size_t i = 0; i < sizeof(expected) / sizeof(expected[0]); ++i) {
        EXPECT_EQ(expected[i], ReadFileByte(stream)) << "read " << i;
    }
    fclose(stream);
    EXPECT_EQ(-1, ReadFileByte(nullptr));
}

TEST(Tokenizer, EveryByteHasTheClassOfItsDefinition) {
    // Typed from the class table's definition, apart from the code's table:
    // class 1 blanks, class 2 delimiters, class 0 everything else.
    const int blanks[] = {0, 9, 10, 12, 13, 32};  // NUL, TAB, LF, FF, CR, SPACE
    const int delimiters[] = {34, 58};            // double quote, colon
    for (int byte = 0; byte < 256; ++byte) {
        int expected = 0;
        for (int blank : blanks) {
            expected = byte == blank ? 1 : expected;
        }
        for (int delimiter : delimiters) {
            expected = byte == delimiter ? 2 : expected;
        }
        EXPECT_EQ(expected, PpdCharClassTable[byte]) << "byte " << byte;
    }
}

TEST(Keywords, EveryRowAsDefinedClassifiesToItsCodeAndNearMissesToZero) {
    // Typed from the keyword table's definition, apart from the code's table:
    // row i holds code i.
    const char* const keywords[] = {
        "",
        "*?",
        "*CloseGroup",
        "*CloseUI",
        "*Default",
        "*End",
        "*FileVersion",
        "*FormatVersion",
        "*LanguageEncoding",
        "*LanguageVersion",
        "*Manufacturer",
        "*ModelName",
        "*NickName",
        "*OpenGroup",
        "*OpenUI",
        "*OrderDependency",
        "*PCFileName",
        "*PPD-Adobe",
        "*PSVersion",
        "*Product",
        "*ShortNickName",
        "*UIConstraints",
    };
    ASSERT_EQ(22, kPpdKeywordCount);
    for (int32_t i = 0; i < kPpdKeywordCount; ++i) {
        const WideString keyword = Units(keywords[i]);
        SCOPED_TRACE(keywords[i]);
        EXPECT_EQ(keywords[i], Printable(PpdKeywordTable[i].keyword));
        EXPECT_EQ(i, PpdKeywordTable[i].code);
        EXPECT_EQ(i, ClassifyKeyword(keyword.c_str()));
        EXPECT_EQ(0, ClassifyKeyword((keyword + static_cast<WCHAR>('x')).c_str()));
        EXPECT_EQ(0, ClassifyKeyword((keyword + static_cast<WCHAR>(0xFFFF)).c_str()));
        if (keyword.size() > 2) {
            EXPECT_EQ(0, ClassifyKeyword(keyword.substr(0, keyword.size() - 1).c_str()));
            WideString changedCase = keyword;
            changedCase[1] = static_cast<WCHAR>(changedCase[1] ^ 0x20);
            EXPECT_EQ(0, ClassifyKeyword(changedCase.c_str()));
        }
    }
    const char* others[] = {"*",          "*DefaultPageSize", "*OpenUI*", "*JCLOpenUI", "*NonUIConstraints",
                            "*?PageSize", "OpenUI",           "*Zzz",     "\xFF"};
    for (const char* other : others) {
        EXPECT_EQ(0, ClassifyKeyword(Units(other).c_str())) << other;
    }
    EXPECT_EQ(0, ClassifyKeyword(nullptr));
}
