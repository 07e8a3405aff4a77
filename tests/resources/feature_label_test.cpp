// LookupFeatureLabel against the loaded plug-in's string tables, in the
// language the loader picks for this run's locale.
#include <gtest/gtest.h>
#include <string.h>

#include "resources/feature_labels.h"
#include "tests/resources/expected_labels.h"
#include "tests/support/plugin_module.h"

namespace {

constexpr DWORD kPoisonCode = 0xdeadbeef;

// The table as it must read, typed apart from the table itself.
struct ExpectedRow {
    const char* keyword;
    DWORD publicItemId;
    DWORD itemCode;
    UINT labelId;
};

const ExpectedRow kExpectedRows[] = {
    {"*InputSlot", 4, 0x01, 10001},
    {"*Resolution", 5, 0x02, 10002},
    {"*MediaType", 12, 0x03, 10003},
    {"*PageSize", 9, 0x04, 10007},
    {"*Duplex", 7, 0x05, 10025},
    {"*InstalledMemory", 0, 0x20, 10004},
    {"*KXTrayUnit", 0, 0x21, 10005},
    {"*KXDuplexOption", 0, 0x22, 10006},
    {"*KXStackerOption", 0, 0x23, 10024},
    {"*KXCompactFlash", 0, 0x24, 10028},
    {"*KXScreens", 0, 0x40, 10008},
    {"*KXPureBlack", 0, 0x41, 10009},
    {"*KXLumaq", 0, 0x42, 10010},
    {"*KXToner", 0, 0x43, 10011},
    {"*KXImageProtect", 0, 0x44, 10012},
    {"*KXRendering", 0, 0x45, 10013},
    {"*KXPressSimulation", 0, 0x46, 10014},
    {"*KXCMYKMethod", 0, 0x47, 10017},
    {"*KXRGBSource", 0, 0x48, 10015},
    {"*KXRGBIntent", 0, 0x49, 10016},
    {"*KXSeparations", 0, 0x4A, 10018},
    {"*OutputBin", 0, 0x4B, 10019},
    {"*KXDensity", 0, 0x4C, 10020},
    {"*KXRotate180Degrees", 0, 0x4D, 10021},
    {"*KXRotate90Degrees", 0, 0x4E, 10022},
    {"*KXStartSide", 0, 0x4F, 10023},
    {"*KXAutoMonoMode", 0, 0x50, 10026},
    {"*KXOUTPUTID", 0, 0x51, 10027},
};
static_assert(sizeof(kExpectedRows) / sizeof(kExpectedRows[0]) == kFeatureLabelRowCount, "28 rows");

WideText Wide(const char* ascii) {
    return WideText(ascii, ascii + strlen(ascii));
}

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
    const LabelColumn column = ColumnForLocale(TestLocale());
    FeatureLabel out;
};

TEST_F(FeatureLabelTest, Table_RowsInTheirOrderThenTheTerminator) {
    for (size_t i = 0; i < kFeatureLabelRowCount; ++i) {
        const ExpectedRow& expected = kExpectedRows[i];
        const FeatureLabelRow& row = FeatureLabelTable[i];
        SCOPED_TRACE(testing::Message() << "row " << i + 1 << " " << expected.keyword);
        EXPECT_EQ(Narrow(row.keyword), expected.keyword);
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
    for (const ExpectedRow& expected : kExpectedRows) {
        SCOPED_TRACE(expected.keyword);
        Poison(&out);
        const HRESULT result = Lookup(Wide(expected.keyword).c_str());
        if (expected.publicItemId != 0) {
            EXPECT_EQ(result, E_FAIL);
            EXPECT_TRUE(IsPoisoned(out)) << "out written for a public feature";
            continue;
        }
        EXPECT_EQ(result, S_OK);
        EXPECT_EQ(out.itemCode, expected.itemCode);
        EXPECT_EQ(Narrow(out.label), Narrow(ExpectedLabel(expected.labelId, column)));
    }
}

TEST_F(FeatureLabelTest, Lookup_ColorRenderingInTheNeutralOrGermanLanguage) {
    ASSERT_EQ(Lookup(TEXT("*KXRendering")), S_OK);
    EXPECT_EQ(out.itemCode, 0x45u);
    if (column == kNeutralColumn) {
        EXPECT_EQ(Narrow(out.label), "Color Mode");
    } else if (column == kGermanColumn) {
        EXPECT_EQ(Narrow(out.label), "Farbmodus");
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
    HMODULE other = LoadLibraryW(Wide(KX_OTHER_MODULE_FILE_NAME).c_str());
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
