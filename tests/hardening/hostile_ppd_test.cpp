// PPD text built to hurt: translations and values far past every capacity,
// hex escapes with odd, invalid and signed digits, and NUL bytes inside
// keywords. Each must read into a consistent document with every text
// within its 259 units, and what follows the hostile line must still be
// read. (The token buffer's own limit at 1,048,575 and 1,048,576 bytes, bare
// and quoted, is proven by the reader's tests.)
#include <gtest/gtest.h>

#include <string>

#include "tests/support/ppd_test_util.h"

namespace {

const std::string kLong(10000, 'T');

// A feature read after the hostile part proves the parse went on.
const char kTail[] = "*OpenUI *KXAfter/After: PickOne\n*KXAfter A/A: \"a\"\n*CloseUI: *KXAfter\n";

bool ReadsTail(const PpdDocument& document) {
    const PpdFeature* after = FindFeature(document, "*KXAfter");
    return after != nullptr && after->optionCount == 1 && Printable(after->translation) == "After";
}

std::string Repeat(const std::string& unit, size_t count) {
    std::string out;
    for (size_t i = 0; i < count; ++i) {
        out += unit;
    }
    return out;
}

}  // namespace

TEST(HostilePpd, TenThousandCharacterTexts) {
    const std::string t259(259, 'T');
    struct Row {
        const char* name;
        std::string ppd;
        const char* feature;      // the feature to look at, null for the header
        std::string keyword;      // expected feature or option keyword
        std::string translation;  // expected translation (feature's or first option's)
        bool option;              // the texts are those of the feature's first option
    };
    const Row rows[] = {
        {"feature translation", "*OpenUI *KXLong/" + kLong + ": PickOne\n*CloseUI: *KXLong\n", "*KXLong", "*KXLong",
         t259, false},
        {"quoted feature translation", "*OpenUI \"*KXLong/" + kLong + "\": PickOne\n*CloseUI: *KXLong\n", "*KXLong",
         "*KXLong", t259, false},
        {"option translation", "*OpenUI *KXO: PickOne\n*KXO Opt/" + kLong + ": \"x\"\n*CloseUI: *KXO\n", "*KXO", "Opt",
         t259, true},
        {"option keyword without a translation", "*OpenUI *KXO: PickOne\n*KXO " + kLong + ": \"x\"\n*CloseUI: *KXO\n",
         "*KXO", t259, t259, true},
        {"translation of hex pairs", "*OpenUI *KXHex/<" + Repeat("54", 10000) + ">: PickOne\n*CloseUI: *KXHex\n",
         "*KXHex", "*KXHex", t259, false},
        {"keyword and translation both long", "*OpenUI *" + kLong + "/" + kLong + ": PickOne\n*CloseUI: *X\n", nullptr,
         "", "", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        DocumentPtr document = ReadDocument(row.ppd + kTail);
        ASSERT_NE(nullptr, document);
        EXPECT_EQ("", CheckConsistent(*document));
        EXPECT_TRUE(ReadsTail(*document));
        if (row.feature == nullptr) {
            ASSERT_EQ(2, document->featureCount);
            const PpdFeature& feature = *document->features[0];
            EXPECT_EQ("*" + std::string(258, 'T'), Printable(feature.keyword));
            EXPECT_EQ(t259, Printable(feature.translation));
            continue;
        }
        const PpdFeature* feature = FindFeature(*document, row.feature);
        ASSERT_NE(nullptr, feature);
        if (row.option) {
            ASSERT_EQ(1, feature->optionCount);
            EXPECT_EQ(row.keyword, Printable(feature->options[0]->keyword));
            EXPECT_EQ(row.translation, Printable(feature->options[0]->translation));
            EXPECT_EQ("x", Printable(feature->options[0]->invocation));
        } else {
            EXPECT_EQ(row.keyword, Printable(feature->keyword));
            EXPECT_EQ(row.translation, Printable(feature->translation));
        }
    }
}

TEST(HostilePpd, TenThousandCharacterHeaderGroupAndValues) {
    const std::string t259(259, 'T');
    const std::string ppd = "*ModelName: \"" + kLong + "\"\n*Product: " + kLong + "\n*OpenGroup: G/" + kLong +
                            "\n*OpenUI *KXV: PickOne\n*DefaultKXV: " + kLong + "\n*KXV A: \"" + kLong +
                            "\"\n*CloseUI: *KXV\n*CloseGroup: G\n*UIConstraints: *KXV " + kLong + " *KXAfter A\n";
    DocumentPtr document = ReadDocument(ppd + kTail);
    ASSERT_NE(nullptr, document);
    EXPECT_EQ("", CheckConsistent(*document));
    EXPECT_TRUE(ReadsTail(*document));
    EXPECT_EQ(t259, Printable(document->modelName));
    EXPECT_EQ(t259, Printable(document->product));
    const PpdFeature* feature = FindFeature(*document, "*KXV");
    ASSERT_NE(nullptr, feature);
    EXPECT_EQ("G", Printable(feature->groupKeyword));
    EXPECT_EQ(t259, Printable(feature->groupTranslation));
    EXPECT_EQ(t259, Printable(feature->defaultOption));
    ASSERT_EQ(1, feature->optionCount);
    // The value is an owned string of its whole length.
    EXPECT_EQ(kLong, Printable(feature->options[0]->invocation));
    ASSERT_EQ(1, document->constraintCount);
    EXPECT_EQ(t259, Printable(document->constraints[0]->option1));
}

TEST(HostilePpd, TenThousandDoubleByteCharacters) {
    // Under 932 each pair is one character; under 1252 two. Either way the
    // text stays within its capacity, zero-terminated.
    const std::string pairs = Repeat("\x82\xA0", 5000);
    DocumentPtr document = ReadDocument("*OpenUI *KXJ/" + pairs + ": PickOne\n*CloseUI: *KXJ\n" + kTail);
    ASSERT_NE(nullptr, document);
    EXPECT_EQ("", CheckConsistent(*document));
    EXPECT_TRUE(ReadsTail(*document));
    const PpdFeature* feature = FindFeature(*document, "*KXJ");
    ASSERT_NE(nullptr, feature);
    const std::string text = Printable(feature->translation);
    if (IsDoubleByteCodePage()) {
        // The 263-unit segment holds 131 whole pairs; the lead byte of the
        // 132nd goes with its trail byte.
        EXPECT_EQ(131, feature->translation.length);
        EXPECT_EQ(Repeat("\\u3042", 131), text);
    } else {
        EXPECT_EQ(259, feature->translation.length);
        EXPECT_EQ(Repeat("\\u201A\\u00A0", 129) + "\\u201A", text);
    }
}

TEST(HostilePpd, HexEscapesWithOddInvalidAndSignedDigits) {
    struct Row {
        const char* translation;  // between "*OpenUI *KXH/" and ": PickOne"
        const char* expected;     // under code page 1252
        const char* expected932;  // null: as under 1252; "" with check932 false: not checked
        bool check932;
    };
    const Row rows[] = {
        {"A<4>B", "AB", nullptr, true},         // a lone digit before '>' is dropped
        {"<414>", "A", nullptr, true},          // odd count: the last digit is dropped
        {"<4141414>Z", "AAAZ", nullptr, true},  //
        {"<4G>", "\\u0004", nullptr, true},     // wcstol stops at the invalid digit
        {"A<G4>B", "A", nullptr, true},         // no digit: 0, which ends the text
        {"<GG>", "", nullptr, true},            //
        {"<+4>", "\\u0004", nullptr, true},     // a sign is taken by wcstol
        {"<+41>", "\\u0004", nullptr, true},    //
        {"A<-0>B", "A", nullptr, true},         //
        {"<-1>", "\\u00FF", "", false},         // -1: the unit's low byte is 0xFF
        {"<-F>", "\\u00F1", "", false},         // -15: 0xF1
        {"<--1>", "", nullptr, true},           // two signs: no number
        {"B<0x41>", "B", nullptr, true},        // "0x" alone is 0
        {"<4 >", "\\u0004", nullptr, true},     //
        {"<<41>", "A", nullptr, true},          // '<' again empties the pending digit
        {"<4<1>", "", nullptr, true},           //
        {"<>A", "A", nullptr, true},            //
        {">A<", "A", nullptr, true},            // '>' outside and '<' at the end
        {"<41", "A", nullptr, true},            // never closed
        {"<4", "", nullptr, true},              //
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.translation);
        DocumentPtr document =
            ReadDocument(std::string("*OpenUI *KXH/") + row.translation + ": PickOne\n*CloseUI: *KXH\n" + kTail);
        ASSERT_NE(nullptr, document);
        EXPECT_EQ("", CheckConsistent(*document));
        EXPECT_TRUE(ReadsTail(*document));
        const PpdFeature* feature = FindFeature(*document, "*KXH");
        ASSERT_NE(nullptr, feature);
        if (IsDoubleByteCodePage()) {
            if (row.check932) {
                EXPECT_EQ(row.expected932 != nullptr ? row.expected932 : row.expected, Printable(feature->translation));
            }
        } else {
            EXPECT_EQ(row.expected, Printable(feature->translation));
        }
    }
}

TEST(HostilePpd, NulBytesInsideKeywords) {
    // NUL is a blank: it ends a bare token, also with blanks allowed, and is
    // kept only inside a quoted value.
    const std::string nul(1, '\0');
    struct Row {
        const char* name;
        std::string ppd;
        const char* feature;  // expected to exist, or null: no feature but *KXAfter
        const char* keyword;
        int optionCount;
    };
    const Row rows[] = {
        {"in the statement keyword", "*Open" + nul + "UI *KXN: PickOne\n*KXN A: \"a\"\n*CloseUI: *KXN\n", nullptr, "",
         0},
        {"in the feature keyword", "*OpenUI *KX" + nul + "N/T: PickOne\n*CloseUI: *KX\n", "*KX", "*KX", 0},
        {"in an option keyword", "*OpenUI *KXN: PickOne\n*KXN A" + nul + "B/T: \"a\"\n*CloseUI: *KXN\n", "*KXN", "*KXN",
         1},
        {"in the default", "*OpenUI *KXN: PickOne\n*DefaultKXN: A" + nul + "B\n*CloseUI: *KXN\n", "*KXN", "*KXN", 0},
        {"in a constraint", "*UIConstraints: *KX" + nul + "A False *KXB B\n", nullptr, "", 0},
        {"in the group", "*OpenGroup: Installable" + nul + "Options\n*OpenUI *KXN: PickOne\n*CloseUI: *KXN\n", "*KXN",
         "*KXN", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        DocumentPtr document = ReadDocument(row.ppd + kTail);
        ASSERT_NE(nullptr, document);
        EXPECT_EQ("", CheckConsistent(*document));
        EXPECT_TRUE(ReadsTail(*document));
        if (row.feature == nullptr) {
            EXPECT_EQ(1, document->featureCount) << Describe(*document);
            continue;
        }
        const PpdFeature* feature = FindFeature(*document, row.feature);
        ASSERT_NE(nullptr, feature) << Describe(*document);
        EXPECT_EQ(row.keyword, Printable(feature->keyword));
        EXPECT_EQ(row.optionCount, feature->optionCount);
        EXPECT_EQ(0, document->installableCount) << "the group name was cut at the NUL";
    }

    // Inside a quoted value the NUL is kept, and the value keeps its length.
    DocumentPtr quoted = ReadDocument("*OpenUI *KXN: PickOne\n*KXN A: \"x" + nul + "y\"\n*CloseUI: *KXN\n" + kTail);
    ASSERT_NE(nullptr, quoted);
    const PpdFeature* feature = FindFeature(*quoted, "*KXN");
    ASSERT_NE(nullptr, feature);
    ASSERT_EQ(1, feature->optionCount);
    ASSERT_NE(nullptr, feature->options[0]->invocation);
    EXPECT_EQ('x', feature->options[0]->invocation[0]);
    EXPECT_EQ(0, feature->options[0]->invocation[1]);
    EXPECT_EQ('y', feature->options[0]->invocation[2]);
    EXPECT_EQ(0, feature->options[0]->invocation[3]);
}
