// Every corpus file read by this reader and by CUPS: the features (keyword,
// default, option keywords in order) and the *UIConstraints (four words
// each) must agree, apart from the differences named below.
#include <gtest/gtest.h>
#include <string.h>

#include "tests/cups/corpus_util.h"
#include "tests/cups/cups_compare.h"

namespace {

struct ExpectedDifferences {
    const char* filePrefix;  // the file's number
    const char* reason;
    std::vector<std::string> lines;
};

const std::vector<ExpectedDifferences>& KnownStructureDifferences() {
    // The CUPS test suite's two files hold deliberately malformed lines.
    // "*OpenUI IntOption/...": the keyword lacks its '*', so this reader takes
    // "IntOption" as the keyword and no line "*IntOption ..." as its option;
    // CUPS adds the '*' back.
    // clang-format off
    const std::vector<std::string> unstarredOpenUi = {
        "feature InstalledDuplexer: keyword without '*'",
        "feature InstalledDuplexer: options [], CUPS [False True]",
        "feature IntOption: keyword without '*'",
        "feature IntOption: options [], CUPS [None 1 2 3]",
        "feature StringOption: keyword without '*'",
        "feature StringOption: options [], CUPS [None foo bar]",
    };
    // clang-format on
    // "*UIConstraints: \"*Duplex *InstalledDuplexer False\"": CUPS splits the
    // quoted value into words; this reader takes the quoted token as one word,
    // which ends the first statement at the next statement keyword and lets the
    // second take its last words from the line that follows.
    std::vector<std::string> quotedConstraints = unstarredOpenUi;
    // clang-format off
    quotedConstraints.insert(quotedConstraints.end(), {
        "constraint 4 only in this reader: [*Duplex *InstalledDuplexer False|||]",
        "constraint 5 only in this reader: [*InstalledDuplexer False *Duplex||*cupsTest|Foo/I]",
        "constraint 4 only in CUPS: [*Duplex||*InstalledDuplexer|False]",
        "constraint 5 only in CUPS: [*InstalledDuplexer|False|*Duplex|]",
    });
    // clang-format on
    static const std::vector<ExpectedDifferences> known = {
        {"02-", "*OpenUI keywords without '*'", unstarredOpenUi},
        {"03-", "*OpenUI keywords without '*', a quoted *UIConstraints", quotedConstraints},
    };
    return known;
}

const ExpectedDifferences* ExpectedFor(const std::string& fileName) {
    for (const ExpectedDifferences& expected : KnownStructureDifferences()) {
        if (fileName.compare(0, strlen(expected.filePrefix), expected.filePrefix) == 0) {
            return &expected;
        }
    }
    return nullptr;
}

std::string Lines(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& line : lines) {
        out += "  " + line + "\n";
    }
    return out;
}

// A difference that disappears fails as surely as a new one.
TEST(CupsDifferential, EveryCorpusFileReadsAsCupsReadsIt) {
    const std::vector<std::string> files = CorpusFiles();
    ASSERT_FALSE(files.empty()) << "no corpus at " << KX_CORPUS_DIR;
    size_t filesWithKnownDifferences = 0;
    int features = 0;
    int options = 0;
    int constraints = 0;
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        const CupsComparison comparison = CompareWithCups(file, false);
        ASSERT_EQ("", comparison.failure);
        const ExpectedDifferences* expected = ExpectedFor(file);
        if (expected != nullptr) {
            ++filesWithKnownDifferences;
            EXPECT_EQ(expected->lines, comparison.structure) << "expected only (" << expected->reason << "):\n"
                                                             << Lines(expected->lines) << "found:\n"
                                                             << Lines(comparison.structure);
        } else {
            EXPECT_TRUE(comparison.structure.empty()) << "differences found:\n" << Lines(comparison.structure);
        }
        features += comparison.featuresCompared;
        options += comparison.optionsCompared;
        constraints += comparison.constraintsCompared;
    }
    EXPECT_EQ(KnownStructureDifferences().size(), filesWithKnownDifferences) << "a file with known differences is gone";
    EXPECT_GT(features, 0);
    EXPECT_GT(options, 0);
    EXPECT_GT(constraints, 0);
    printf("%zu files: %d features, %d options, %d constraints compared\n", files.size(), features, options,
           constraints);
}

}  // namespace
