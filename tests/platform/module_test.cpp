// Loading modules, finding exports and reading string tables in the
// language the locale selects.
#include <gtest/gtest.h>

#include <vector>

#include "tests/platform/platform_test_util.h"

namespace {

class TestModule : public testing::Test {
  protected:
    void SetUp() override {
        // A bare file name: found beside the test executable.
        module = LoadLibraryW(Units(KX_TEST_MODULE_FILE_NAME).c_str());
        ASSERT_NE(nullptr, module) << KX_TEST_MODULE_FILE_NAME << " error " << GetLastError();
    }
    void TearDown() override {
        if (module != nullptr) {
            EXPECT_TRUE(FreeLibrary(module));
        }
    }
    std::string Load(UINT id) {
        WCHAR buffer[128];
        const int length = LoadStringW(static_cast<HINSTANCE>(module), id, buffer, 128);
        return Printable(buffer, static_cast<size_t>(length));
    }
    HMODULE module = nullptr;
};

}  // namespace

TEST_F(TestModule, ExportIsFoundByName) {
    typedef int (*AnswerFunction)();
    AnswerFunction answer =
        reinterpret_cast<AnswerFunction>(reinterpret_cast<void (*)()>(GetProcAddress(module, "KxTestModuleAnswer")));
    ASSERT_NE(nullptr, answer);
    EXPECT_EQ(42, answer());
    SetLastError(kPoison);
    EXPECT_EQ(nullptr, GetProcAddress(module, "KxNoSuchExport"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PROC_NOT_FOUND), GetLastError());
}

TEST(Module, MissingModuleIsReported) {
    SetLastError(kPoison);
    EXPECT_EQ(nullptr, LoadLibraryW(TEXT("kx_no_such_module.dll")));
    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), GetLastError());
}

// Which language a block of 16 strings is read in: the neutral table
// (0x0000) if the block has one, else the UI language, its primary
// language's neutral table, English (0x0409, then 0x0009), and else the
// block's lowest language. Neither the primary language's default
// sublanguage nor the neutral default 1024 is a step of its own. Each block
// of test_module.rc probes one step; a locale not named in a row reads the
// row's `otherwise` text.
TEST_F(TestModule, StringLanguageFollowsTheLocale) {
    struct Override {
        const char* environment;
        const char* expected;
    };
    struct Row {
        UINT id;
        const char* otherwise;
        std::vector<Override> overrides;
    };
    const Row rows[] = {
        // 1024 and 1031, as the plug-in carries them; 1031 lacks ID 2.
        {1, "neutral one", {{"de_DE.UTF-8", "Deutsch eins"}}},
        {2, "neutral two", {{"de_DE.UTF-8", ""}}},
        {3, "0123456789", {{"de_DE.UTF-8", "Z\\u00E4hler 0123"}}},
        // 0x0000 first, even before the exact language.
        {16, "neutral 16", {}},
        // Exact, then primary neutral, then English before 1024.
        {32, "en-US 32", {{"de_DE.UTF-8", "de-DE 32"}, {"de_AT.UTF-8", "de-AT 32"}, {"de_CH.UTF-8", "de 32"}}},
        // No default-sublanguage step: de-CH does not read de-DE.
        {48, "default 48", {{"de_DE.UTF-8", "de-DE 48"}}},
        // Nothing matches: the lowest language, 0x0007.
        {64, "de 64", {{"de_DE.UTF-8", "de-DE 64"}}},
        {80, "fr-FR 80", {{"ja_JP.UTF-8", "ja-JP 80"}}},
        {96, "en 96", {{"fr_FR.UTF-8", "fr-FR 96"}}},
        // en-GB is no English fallback; the lowest language, de-DE, is.
        {112, "de-DE 112", {{"en_GB.UTF-8", "en-GB 112"}}},
        {128, "en-US 128", {{"de_DE.UTF-8", "de-DE 128"}}},
        {144, "en-US 144", {{"de_DE.UTF-8", "de-DE 144"}}},
        // Primary neutral before English; English 0x0409 before 0x0009.
        {160, "en-US 160", {{"en_GB.UTF-8", "en 160"}, {"en_CA.UTF-8", "en 160"}}},
        // English neutral before 1024; 1024 before nothing but the lowest.
        {176, "en 176", {}},
        {192, "de 192", {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "LC_ALL=" << TestLocale() << " id " << row.id);
        std::string expected = row.otherwise;
        for (const Override& o : row.overrides) {
            if (TestLocale() == o.environment) {
                expected = o.expected;
            }
        }
        EXPECT_EQ(expected, Load(row.id));
    }
}

TEST_F(TestModule, StringCopyIsTruncatedAndTerminated) {
    // The full text in whatever language the locale selects.
    const WCHAR* text = nullptr;
    const int length = LoadStringW(static_cast<HINSTANCE>(module), 3, reinterpret_cast<LPWSTR>(&text), 0);
    ASSERT_GE(length, 10);
    ASSERT_NE(nullptr, text);
    const WideString full(text, static_cast<size_t>(length));
    const int capacities[] = {length + 5, length + 1, length, 2};
    for (int capacity : capacities) {
        SCOPED_TRACE(testing::Message() << "capacity " << capacity);
        WCHAR buffer[64];
        for (WCHAR& unit : buffer) {
            unit = 0x7777;
        }
        const int copied = LoadStringW(static_cast<HINSTANCE>(module), 3, buffer, capacity);
        const int expected = capacity - 1 < length ? capacity - 1 : length;
        EXPECT_EQ(expected, copied);
        EXPECT_EQ(Printable(full.substr(0, static_cast<size_t>(expected))),
                  Printable(buffer, static_cast<size_t>(expected)));
        EXPECT_EQ(0, buffer[expected]);
        EXPECT_EQ(0x7777, buffer[expected + 1]);
    }
}

TEST_F(TestModule, OneUnitBufferIsLeftAlone) {
    WCHAR buffer[2] = {0x7777, 0x7777};
    EXPECT_EQ(0, LoadStringW(static_cast<HINSTANCE>(module), 3, buffer, 1));
    EXPECT_EQ(0x7777, buffer[0]);
}

TEST_F(TestModule, MissingStringLoadsNothing) {
    WCHAR buffer[8] = {0x7777, 0x7777};
    EXPECT_EQ(0, LoadStringW(static_cast<HINSTANCE>(module), 4000, buffer, 8));
    // A block that exists but lacks the ID is terminated; an absent block is
    // not touched. Both count as nothing loaded.
    EXPECT_EQ(0, LoadStringW(static_cast<HINSTANCE>(module), 5, buffer, 8));
    EXPECT_EQ(0, buffer[0]);
}
