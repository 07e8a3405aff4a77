// The indexed constraint pass against the plain walk over every corpus file:
// after the constructor's pass and after every document-sheet pass with
// random installed values, every option's flag is the walk's.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "customize/constraints.h"
#include "tests/cups/corpus_util.h"

namespace {

std::vector<bool> Flags(const PpdDocument& document) {
    std::vector<bool> flags;
    for (int32_t f = 0; f < document.featureCount; ++f) {
        for (int32_t o = 0; o < document.features[f]->optionCount; ++o) {
            flags.push_back(document.features[f]->options[o]->constrained);
        }
    }
    return flags;
}

void SetFlags(PpdDocument* document, const std::vector<bool>& flags) {
    size_t k = 0;
    for (int32_t f = 0; f < document->featureCount; ++f) {
        for (int32_t o = 0; o < document->features[f]->optionCount; ++o) {
            document->features[f]->options[o]->constrained = flags[k++];
        }
    }
}

// The first option slot where the two differ, as "feature/option", or "".
std::string FirstDifference(const PpdDocument& document, const std::vector<bool>& a, const std::vector<bool>& b) {
    size_t k = 0;
    for (int32_t f = 0; f < document.featureCount; ++f) {
        for (int32_t o = 0; o < document.features[f]->optionCount; ++o, ++k) {
            if (a[k] != b[k]) {
                return PrintableBytes(Utf8(document.features[f]->keyword)) + "/" +
                       PrintableBytes(Utf8(document.features[f]->options[o]->keyword)) + ": index " +
                       (a[k] ? "marks" : "clears") + ", walk " + (b[k] ? "marks" : "clears");
            }
        }
    }
    return "";
}

const PpdFeature* FeatureNamed(const PpdDocument& document, const PpdText& keyword) {
    for (int32_t f = 0; f < document.featureCount; ++f) {
        if (document.features[f]->keyword.Equals(keyword)) {
            return document.features[f];
        }
    }
    return nullptr;
}

// A value a host could report: mostly one of the feature's options, which
// is what the constraints name, sometimes the PPD default, an empty answer
// or an option the feature does not have.
std::basic_string<WCHAR> RandomValue(const PpdDocument& document, const InstallableSetting& setting,
                                     std::mt19937* random) {
    const PpdFeature* feature = FeatureNamed(document, setting.keyword);
    const int pick = std::uniform_int_distribution<int>(0, 9)(*random);
    if (pick == 0) {
        return std::basic_string<WCHAR>();
    }
    if (pick == 1) {
        return std::basic_string<WCHAR>(TEXT("NoSuchOption"));
    }
    if (pick == 2 || feature == nullptr || feature->optionCount == 0) {
        return std::basic_string<WCHAR>(feature != nullptr ? feature->defaultOption.chars : TEXT(""));
    }
    const int32_t o = std::uniform_int_distribution<int32_t>(0, feature->optionCount - 1)(*random);
    return std::basic_string<WCHAR>(feature->options[o]->keyword.chars);
}

// Each pass starts from flags poisoned at random, the same for the index and
// the walk, so that a flag either one should leave alone but sets shows too.
TEST(ConstraintIndex, EveryPassMarksAsThePlainWalkOverTheCorpus) {
    constexpr int kPassesPerFile = 8;
    const std::vector<std::string> files = CorpusFiles();
    ASSERT_FALSE(files.empty()) << "no corpus at " << KX_CORPUS_DIR;
    const uint32_t seed = std::random_device()();
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    std::mt19937 random(seed);
    int64_t passes = 0;
    int64_t marks = 0;
    int64_t clears = 0;
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        DocumentPtr document = ReadDocumentFile(CorpusPath(file));
        ASSERT_NE(nullptr, document);
        if (document->constraintCount > 0) {
            ASSERT_NE(nullptr, document->constraintIndex) << "the passes would walk, and prove nothing";
        }

        // The constructor's pass started from cleared flags.
        const std::vector<bool> afterConstruction = Flags(*document);
        SetFlags(document.get(), std::vector<bool>(afterConstruction.size(), false));
        EvaluateConstraintsByWalk(document.get());
        ASSERT_EQ(Flags(*document), afterConstruction)
            << "first pass: " << FirstDifference(*document, afterConstruction, Flags(*document));

        for (int pass = 0; pass < kPassesPerFile; ++pass) {
            SCOPED_TRACE(testing::Message() << "pass " << pass);
            for (int32_t s = 0; s < document->installableCount; ++s) {
                const InstallableSetting& setting = *document->installables[s];
                // Some settings keep their value, as when the host refuses.
                if (std::uniform_int_distribution<int>(0, 4)(random) == 0) {
                    continue;
                }
                const std::basic_string<WCHAR> value = RandomValue(*document, setting, &random);
                StoreInstalledValue(document.get(), setting.keyword.chars, value.c_str());
            }
            std::vector<bool> poison(afterConstruction.size());
            for (size_t k = 0; k < poison.size(); ++k) {
                poison[k] = std::uniform_int_distribution<int>(0, 1)(random) == 1;
            }
            SetFlags(document.get(), poison);
            EvaluateConstraints(document.get());
            const std::vector<bool> indexed = Flags(*document);
            SetFlags(document.get(), poison);
            EvaluateConstraintsByWalk(document.get());
            const std::vector<bool> walked = Flags(*document);
            ASSERT_EQ(walked, indexed) << FirstDifference(*document, indexed, walked);
            ++passes;
            for (size_t k = 0; k < walked.size(); ++k) {
                if (walked[k] != poison[k]) {
                    ++(walked[k] ? marks : clears);
                }
            }
        }
    }
    // The passes changed flags both ways, so agreeing meant something.
    EXPECT_GT(marks, 0);
    EXPECT_GT(clears, 0);
    printf("%zu files, %lld passes; flags the passes set: %lld, cleared: %lld\n", files.size(),
           static_cast<long long>(passes), static_cast<long long>(marks), static_cast<long long>(clears));
}

}  // namespace
