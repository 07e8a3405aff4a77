// The feature labels in the loaded plug-in's string tables: through
// LoadStringW in the language the loader picks for this run's locale, and
// every language at once from the module's raw tables.
#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

#include "tests/support/expected_labels.h"
#include "tests/support/plugin_module.h"

#if !KX_PLATFORM_WINDOWS
#include "platform/linux/win_resources.h"
#endif

namespace {

constexpr int kCapacity = 256;
constexpr WCHAR kPoisonUnit = 0xBEEF;

struct RawString {
    LANGID language;
    UINT id;
    WideString text;
};

#if KX_PLATFORM_WINDOWS
// Every string of every language, read block by block as the loader stores
// them: 16 strings a block, each a length unit followed by its text.
BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR param) {
    reinterpret_cast<std::vector<LANGID>*>(param)->push_back(language);
    return TRUE;
}

BOOL CALLBACK CollectBlock(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
    if (IS_INTRESOURCE(name)) {
        reinterpret_cast<std::vector<UINT>*>(param)->push_back(static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name)));
    }
    return TRUE;
}

std::vector<RawString> ReadAllStrings(HMODULE module) {
    std::vector<RawString> strings;
    std::vector<UINT> blocks;
    EnumResourceNamesW(module, RT_STRING, CollectBlock, reinterpret_cast<LONG_PTR>(&blocks));
    for (UINT block : blocks) {
        std::vector<LANGID> languages;
        EnumResourceLanguagesW(module, RT_STRING, MAKEINTRESOURCEW(block), CollectLanguage,
                               reinterpret_cast<LONG_PTR>(&languages));
        for (LANGID language : languages) {
            HRSRC found = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(block), language);
            HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
            const WCHAR* unit = loaded != nullptr ? static_cast<const WCHAR*>(LockResource(loaded)) : nullptr;
            if (unit == nullptr) {
                ADD_FAILURE() << "string block " << block << " language " << language << " cannot be read";
                continue;
            }
            const WCHAR* end = unit + SizeofResource(module, found) / sizeof(WCHAR);
            for (UINT index = 0; index < 16 && unit < end; ++index) {
                const UINT length = *unit++;
                if (length > 0 && unit + length <= end) {
                    strings.push_back({language, (block - 1) * 16 + index, WideString(unit, length)});
                }
                unit += length;
            }
        }
    }
    return strings;
}
#else
// The record the Linux loader reads in place of the resource section.
std::vector<RawString> ReadAllStrings(HMODULE module) {
    std::vector<RawString> strings;
    const auto* directory =
        reinterpret_cast<const KxModuleResourceDirectory*>(GetProcAddress(module, KX_MODULE_RESOURCES_SYMBOL));
    if (directory == nullptr) {
        ADD_FAILURE() << "the plug-in exports no " << KX_MODULE_RESOURCES_SYMBOL;
        return strings;
    }
    for (UINT i = 0; i < directory->stringCount; ++i) {
        const KxStringResource& entry = directory->strings[i];
        strings.push_back({entry.language, entry.id, WideString(entry.text, entry.length)});
    }
    return strings;
}
#endif

class StringTablesTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_NE(module, nullptr) << "plug-in " << KX_PLUGIN_FILE_NAME << " not loaded"; }

    // Loads id into a poisoned buffer: the text, or "" with the count 0.
    WideString Load(UINT id, int* count) {
        for (WCHAR& unit : buffer) {
            unit = kPoisonUnit;
        }
        *count = LoadStringW(module, id, buffer, kCapacity);
        if (*count <= 0 || *count >= kCapacity) {
            return WideString();
        }
        EXPECT_EQ(buffer[*count], 0) << "string " << id << " not terminated after " << *count << " units";
        return WideString(buffer, *count);
    }

    HMODULE module = LoadedPlugin().module;
    const LabelColumn column = ColumnForLocale(TestLocale().c_str());
    WCHAR buffer[kCapacity];
};

TEST_F(StringTablesTest, LoadString_EveryLabelInTheLocalesLanguage) {
    SCOPED_TRACE(std::string("LC_ALL=") + TestLocale() + ", language " + std::to_string(kColumnLanguage[column]));
    for (UINT id = kFirstLabelId; id < kFirstLabelId + kLabelCount; ++id) {
        SCOPED_TRACE(id);
        const WCHAR* expected = ExpectedLabel(id, column);
        ASSERT_NE(expected, nullptr);
        int count = 0;
        const WideString text = Load(id, &count);
        EXPECT_EQ(count, static_cast<int>(WideString(expected).size()));
        EXPECT_EQ(Printable(text.c_str()), Printable(expected));
    }
}

// Units that look alike in print and differ in the tables.
TEST_F(StringTablesTest, LoadString_CharactersWorthKnowing) {
    SCOPED_TRACE(TestLocale());
    int count = 0;
    const WideString rotate = Load(10021, &count);
    ASSERT_GT(count, 0);
    if (column == kNeutralColumn) {
        EXPECT_EQ(rotate[rotate.size() - 1], 0xFF70) << "halfwidth prolonged sound mark, not a degree sign";
    } else if (column != kJapaneseColumn) {
        EXPECT_NE(rotate.find(static_cast<WCHAR>(0x00B0)), WideString::npos) << Printable(rotate.c_str());
    }
    if (column == kGermanColumn) {
        EXPECT_EQ(rotate.compare(0, 4, TEXT("Um90")), 0) << "the German label turns by 90";
    }
    if (column == kJapaneseColumn) {
        const WideString mono = Load(10026, &count);
        ASSERT_EQ(count, 10);
        EXPECT_EQ(mono[3], 0x0020) << "a plain space, not an ideographic one";
    }
}

// Only the labels are carried; the texts nothing reads are left out.
TEST_F(StringTablesTest, LoadString_NoStringsBesideTheLabels) {
    const UINT absent[] = {1, 10000, 10029, 15001, 15006, 20001, 20146, 25001, 25003};
    for (UINT id : absent) {
        SCOPED_TRACE(id);
        int count = -1;
        Load(id, &count);
        EXPECT_EQ(count, 0);
    }
}

TEST_F(StringTablesTest, RawTables_EveryLanguageCarriesExactlyTheLabels) {
    const std::vector<RawString> strings = ReadAllStrings(module);
    std::set<std::pair<LANGID, UINT>> seen;
    for (const RawString& s : strings) {
        SCOPED_TRACE(testing::Message() << "language " << s.language << ", string " << s.id);
        seen.insert({s.language, s.id});
        LabelColumn carried = kLabelColumnCount;
        for (int c = 0; c < kLabelColumnCount; ++c) {
            if (kColumnLanguage[c] == s.language) {
                carried = static_cast<LabelColumn>(c);
            }
        }
        ASSERT_NE(carried, kLabelColumnCount) << "a language the module should not carry";
        const WCHAR* expected = ExpectedLabel(s.id, carried);
        ASSERT_NE(expected, nullptr) << "not a feature label";
        EXPECT_EQ(Printable(s.text.c_str()), Printable(expected));
    }
    EXPECT_EQ(strings.size(), seen.size()) << "a string carried twice";
    EXPECT_EQ(seen.size(), static_cast<size_t>(kLabelColumnCount) * kLabelCount) << "a label missing somewhere";
}

#if !KX_PLATFORM_WINDOWS
// The Linux loader searches the record in this order.
TEST_F(StringTablesTest, ResourceRecord_SortedByLanguageThenId) {
    const std::vector<RawString> strings = ReadAllStrings(module);
    ASSERT_FALSE(strings.empty());
    for (size_t i = 1; i < strings.size(); ++i) {
        const RawString& before = strings[i - 1];
        const RawString& s = strings[i];
        EXPECT_TRUE(before.language < s.language || (before.language == s.language && before.id < s.id))
            << "entry " << i << " (language " << s.language << ", string " << s.id << ") out of order";
    }
}
#endif

}  // namespace
