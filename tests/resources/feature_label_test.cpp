// LookupFeatureLabel against the loaded plug-in's string tables, in the
// language the loader picks for this run's locale.
#include <gtest/gtest.h>
#include <string.h>

#include "resources/feature_labels.h"
#include "tests/support/expected_labels.h"
#include "tests/support/plugin_module.h"

namespace {

constexpr DWORD kPoisonCode = 0xdeadbeef;

static_assert(kExpectedLabelRowCount == kFeatureLabelRowCount, "28 rows");

void Poison(FeatureLabel* label) {
    label->itemCode = kPoisonCode;
    for (WCHAR& unit : label->label) {
        unit = 0xBEEF;
    }
}

bool IsPoisoned(const FeatureLabel& label) {
    FeatureLabel poisoned;
    Poison(&poisoned);
    return memcmp(&label, &poisoned, sizeof(label)) == 0;
}

class FeatureLabelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(module, nullptr) << "plug-in " << KX_PLUGIN_FILE_NAME << " not loaded";
        Poison(&out);
    }

    HRESULT Lookup(const WCHAR* keyword) { return LookupFeatureLabel(module, &out, keyword); }

    HINSTANCE module = LoadedPlugin().module;
    const LabelColumn column = ColumnForLocale(TestLocale().c_str());
    FeatureLabel out;
};

TEST_F(FeatureLabelTest, Table_RowsInTheirOrderThenTheTerminator) {
    for (size_t i = 0; i < kFeatureLabelRowCount; ++i) {
        const ExpectedLabelRow& expected = kExpectedLabelRows[i];
        const FeatureLabelRow& row = FeatureLabelTable[i];
        SCOPED_TRACE(testing::Message() << "row " << i + 1 << " " << expected.keyword);
        EXPECT_EQ(Printable(row.keyword), expected.keyword);
        EXPECT_EQ(row.publicItemId, expected.publicItemId);
        EXPECT_EQ(row.itemCode, expected.itemCode);
        EXPECT_EQ(row.labelStringId, expected.labelId);
    }
    const FeatureLabelRow& end = FeatureLabelTable[kFeatureLabelRowCount];
    EXPECT_EQ(end.itemCode, 0u);
    EXPECT_EQ(end.publicItemId, 0u);
    EXPECT_EQ(end.labelStringId, 0u);
    ASSERT_NE(end.keyword, nullptr);
    EXPECT_EQ(end.keyword[0], 0);
}

// Every keyword of the table: the public features are passed over, the rest
// give their code and their label in the loader's language.
TEST_F(FeatureLabelTest, Lookup_EveryKeywordOfTheTable) {
    SCOPED_TRACE(std::string("LC_ALL=") + TestLocale());
    for (const ExpectedLabelRow& expected : kExpectedLabelRows) {
        SCOPED_TRACE(expected.keyword);
        Poison(&out);
        const HRESULT result = Lookup(Units(expected.keyword).c_str());
        if (expected.publicItemId != 0) {
            EXPECT_EQ(result, E_FAIL);
            EXPECT_TRUE(IsPoisoned(out)) << "out written for a public feature";
            continue;
        }
        EXPECT_EQ(result, S_OK);
        EXPECT_EQ(out.itemCode, expected.itemCode);
        EXPECT_EQ(Printable(out.label), Printable(ExpectedLabel(expected.labelId, column)));
    }
}

TEST_F(FeatureLabelTest, Lookup_ColorRenderingInTheNeutralOrGermanLanguage) {
    ASSERT_EQ(Lookup(TEXT("*KXRendering")), S_OK);
    EXPECT_EQ(out.itemCode, 0x45u);
    if (column == kNeutralColumn) {
        EXPECT_EQ(Printable(out.label), "Color Mode");
    } else if (column == kGermanColumn) {
        EXPECT_EQ(Printable(out.label), "Farbmodus");
    }
}

TEST_F(FeatureLabelTest, Lookup_OutputBinIsMatchedThoughAStandardKeyword) {
    ASSERT_EQ(Lookup(TEXT("*OutputBin")), S_OK);
    EXPECT_EQ(out.itemCode, 0x4Bu);
}

// Matching is exact: no case folding, no trimming, no prefix either way.
TEST_F(FeatureLabelTest, Lookup_NearMissesFailAndWriteNothing) {
    struct Case {
        const char* name;
        const WCHAR* keyword;
    } cases[] = {
        {"public feature", TEXT("*PageSize")},
        {"small letters", TEXT("*kxrendering")},
        {"one capital off", TEXT("*KXrendering")},
        {"without '*'", TEXT("KXRendering")},
        {"empty, as the terminator's keyword", TEXT("")},
        {"'*' alone", TEXT("*")},
        {"prefix of a keyword", TEXT("*KXRenderin")},
        {"one character more", TEXT("*KXRenderingX")},
        {"trailing space", TEXT("*KXRendering ")},
        {"leading space", TEXT(" *KXRendering")},
        {"capitals of *KXOUTPUTID lowered", TEXT("*KXOutputID")},
        {"not in the table", TEXT("*ColorModel")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Poison(&out);
        EXPECT_EQ(Lookup(c.keyword), E_FAIL);
        EXPECT_TRUE(IsPoisoned(out));
    }
}

TEST_F(FeatureLabelTest, Lookup_NullArgumentsAreRefused) {
    EXPECT_EQ(Lookup(nullptr), E_INVALIDARG);
    EXPECT_TRUE(IsPoisoned(out));
    EXPECT_EQ(LookupFeatureLabel(module, nullptr, TEXT("*KXRendering")), E_INVALIDARG);
    EXPECT_EQ(LookupFeatureLabel(module, nullptr, nullptr), E_INVALIDARG);
}

// A module without the labels: the row is hit, so the code is written, but
// the label cannot be loaded.
TEST_F(FeatureLabelTest, Lookup_ModuleWithoutTheLabelsFailsAfterWritingTheCode) {
    HMODULE other = LoadLibraryW(Units(KX_OTHER_MODULE_FILE_NAME).c_str());
    ASSERT_NE(other, nullptr) << KX_OTHER_MODULE_FILE_NAME;
    WCHAR probe[8];
    ASSERT_EQ(LoadStringW(other, 10013, probe, 8), 0) << KX_OTHER_MODULE_FILE_NAME << " carries string 10013";

    struct Case {
        const char* name;
        HINSTANCE module;
    } cases[] = {
        {"null module (the executable's own resources)", nullptr},
        {KX_OTHER_MODULE_FILE_NAME, other},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Poison(&out);
        EXPECT_EQ(LookupFeatureLabel(c.module, &out, TEXT("*KXRendering")), E_FAIL);
        EXPECT_EQ(out.itemCode, 0x45u);
    }
    FreeLibrary(other);
}

}  // namespace
