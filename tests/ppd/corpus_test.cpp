// Every PPD of the shared corpus, read the way the plug-in reads it. The
// file names carry the number of *OpenUI and *UIConstraints lines.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <random>

#include "customize/constraints.h"
#include "ppd/ppd_alloc.h"
#include "tests/support/ppd_test_util.h"

namespace {

// "57-latin1-70f-9244c-inst.ppd": 70 features, 9,244 constraints, and an
// installable-options group.
struct CorpusName {
    int features = -1;
    int constraints = -1;
    bool installable = false;
};

CorpusName ParseName(const std::string& name) {
    CorpusName parsed;
    size_t at = 0;
    while ((at = name.find('-', at)) != std::string::npos) {
        ++at;
        char* end = nullptr;
        const long number = strtol(name.c_str() + at, &end, 10);
        if (end != name.c_str() + at && *end == 'f') {
            parsed.features = static_cast<int>(number);
        } else if (end != name.c_str() + at && *end == 'c') {
            parsed.constraints = static_cast<int>(number);
        }
    }
    parsed.installable = name.find("-inst.") != std::string::npos;
    return parsed;
}

}  // namespace

TEST(Corpus, EveryFileReadsCompletelyAndItsMarksMatchTheWalk) {
    const std::vector<std::string> names = CorpusFiles();
    ASSERT_GE(names.size(), 50u) << "corpus at " << KX_CORPUS_DIR;
    std::mt19937 random(57);
    const int64_t baseline = PpdLiveAllocations();
    int tiedFiles = 0;
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const CorpusName expected = ParseName(name);
        DocumentPtr document = ReadDocumentFile(CorpusPath(name));
        ASSERT_NE(nullptr, document);
        ASSERT_EQ("", CheckConsistent(*document));
        EXPECT_EQ(expected.features, document->featureCount);
        EXPECT_EQ(expected.constraints, document->constraintCount);
        EXPECT_EQ(expected.installable, document->installableCount > 0);
        for (int32_t f = 0; f < document->featureCount; ++f) {
            EXPECT_GT(document->features[f]->keyword.length, 0) << "feature " << f;
            EXPECT_GT(document->features[f]->translation.length, 0) << "feature " << f;
        }
        ASSERT_NE(nullptr, document->constraintIndex);

        // The construction's pass, from cleared flags.
        const std::vector<bool> constructed = Marks(*document);
        ASSERT_EQ("", CompareWithWalk(document.get(), std::vector<bool>(constructed.size(), false)));
        ASSERT_EQ(constructed, Marks(*document));
        // Later passes, with values the host might report: each option of
        // the installable feature, an empty value and an unknown one.
        const int rounds = document->constraintCount > 2000 ? 2 : 5;  // the walk is slow
        for (int round = 0; round < rounds; ++round) {
            for (int32_t s = 0; s < document->installableCount; ++s) {
                const PpdFeature* feature =
                    FindFeature(*document, Printable(document->installables[s]->keyword).c_str());
                ASSERT_NE(nullptr, feature);
                const int32_t pick = static_cast<int32_t>(random() % static_cast<unsigned>(feature->optionCount + 2));
                const WCHAR* value = pick < feature->optionCount
                                         ? feature->options[pick]->keyword.chars
                                         : (pick == feature->optionCount ? TEXT("") : TEXT("Unknown"));
                StoreInstalledValue(document.get(), document->installables[s]->keyword.chars, value);
            }
            std::vector<bool> start = Marks(*document);
            for (size_t k = 0; k < start.size(); ++k) {
                start[k] = random() % 4 == 0;
            }
            ASSERT_EQ("", CompareWithWalk(document.get(), start)) << "round " << round;
        }
        for (bool mark : constructed) {
            if (mark) {
                ++tiedFiles;
                break;
            }
        }
        document.reset();
        EXPECT_EQ(baseline, PpdLiveAllocations()) << "the document released everything";
    }
    EXPECT_GT(tiedFiles, 20) << "files whose defaults already forbid options";
}
