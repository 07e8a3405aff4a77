// The locale follows the environment: LC_ALL in every CTest entry here.
#include <gtest/gtest.h>

#include "tests/platform/platform_test_util.h"

namespace {

struct LocaleRow {
    const char* environment;  // LC_ALL of the CTest entry
    UINT ansiCodePage;
    const char* country;  // LOCALE_ICOUNTRY
    LCID lcid;            // user locale; the UI language is its LANGID
    const char* name;     // LOCALE_SNAME
};

const LocaleRow kLocaleRows[] = {
    {"en_US.UTF-8", 1252, "1", 0x0409, "en-US"},  {"en_GB.UTF-8", 1252, "44", 0x0809, "en-GB"},
    {"en_CA.UTF-8", 1252, "2", 0x1009, "en-CA"},  {"de_DE.UTF-8", 1252, "49", 0x0407, "de-DE"},
    {"de_AT.UTF-8", 1252, "43", 0x0c07, "de-AT"}, {"de_CH.UTF-8", 1252, "41", 0x0807, "de-CH"},
    {"fr_FR.UTF-8", 1252, "33", 0x040c, "fr-FR"}, {"sv_SE.UTF-8", 1252, "46", 0x041d, "sv-SE"},
    {"es_ES.UTF-8", 1252, "34", 0x0c0a, "es-ES"}, {"it_IT.UTF-8", 1252, "39", 0x0410, "it-IT"},
    {"nl_NL.UTF-8", 1252, "31", 0x0413, "nl-NL"}, {"pt_PT.UTF-8", 1252, "351", 0x0816, "pt-PT"},
    {"ja_JP.UTF-8", 932, "81", 0x0411, "ja-JP"},  {"C", 1252, "1", 0x0409, "en-US"},
};

const LocaleRow* CurrentRow() {
    for (const LocaleRow& row : kLocaleRows) {
        if (TestLocale() == row.environment) {
            return &row;
        }
    }
    return nullptr;
}

WideString LocaleInfo(LCID lcid, LCTYPE type) {
    WCHAR buffer[64];
    SetLastError(kPoison);
    const int written = GetLocaleInfoW(lcid, type, buffer, 64);
    if (written <= 0) {
        ADD_FAILURE() << "GetLocaleInfoW(" << lcid << ", " << type << ") failed, error " << GetLastError();
        return WideString();
    }
    EXPECT_EQ(0, buffer[written - 1]) << "the count includes the terminator";
    return WideString(buffer, static_cast<size_t>(written - 1));
}

}  // namespace

TEST(Locale, FollowsTheEnvironment) {
    const LocaleRow* row = CurrentRow();
    ASSERT_NE(nullptr, row) << "no expectations for LC_ALL=" << TestLocale();
    EXPECT_EQ(row->ansiCodePage, GetACP());
    WideString expectedCountry = Units(row->country);
#if KX_PLATFORM_WINDOWS
    // Wine gives en-CA the United States' country code; Windows gives 2.
    if (row->lcid == 0x1009) {
        expectedCountry = Units("1");
    }
#endif
    EXPECT_EQ(Printable(expectedCountry), Printable(LocaleInfo(LOCALE_USER_DEFAULT, LOCALE_ICOUNTRY)));
    EXPECT_EQ(row->lcid, GetUserDefaultLCID());
    EXPECT_EQ(static_cast<LANGID>(row->lcid), GetUserDefaultUILanguage());
    EXPECT_EQ(row->name, Printable(LocaleInfo(LOCALE_USER_DEFAULT, LOCALE_SNAME)));
}

TEST(Locale, ExplicitLocaleIgnoresTheEnvironment) {
    struct Row {
        LCID lcid;
        LCTYPE type;
        const char* expected;
    };
    const Row rows[] = {
        {0x0407, LOCALE_ICOUNTRY, "49"},
        {0x0411, LOCALE_ICOUNTRY, "81"},
        {0x0816, LOCALE_ICOUNTRY, "351"},
        {0x0413, LOCALE_ICOUNTRY, "31"},
        {0x0410, LOCALE_ICOUNTRY, "39"},
        {0x0c0a, LOCALE_ICOUNTRY, "34"},
        {0x0407, LOCALE_SENGLANGUAGE, "German"},
        {0x0411, LOCALE_IDEFAULTANSICODEPAGE, "932"},
        {0x040c, LOCALE_IDEFAULTANSICODEPAGE, "1252"},
        {0x0816, LOCALE_SNAME, "pt-PT"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "lcid " << std::hex << row.lcid << " type " << row.type);
        EXPECT_EQ(row.expected, Printable(LocaleInfo(row.lcid, row.type)));
    }
}

TEST(Locale, BufferSizesFollowThePlatform) {
    // The country of the user locale has at least one digit; "en-US" style
    // names have five letters.
    const LCTYPE types[] = {LOCALE_ICOUNTRY, LOCALE_SNAME};
    for (LCTYPE type : types) {
        SCOPED_TRACE(testing::Message() << "type " << type);
        SetLastError(kPoison);
        const int needed = GetLocaleInfoW(LOCALE_USER_DEFAULT, type, nullptr, 0);
        ASSERT_GE(needed, 2);
        EXPECT_EQ(kPoison, GetLastError()) << "a size query leaves the last error alone";
        WCHAR buffer[16];
        for (WCHAR& unit : buffer) {
            unit = 0x7777;
        }
        SetLastError(kPoison);
        EXPECT_EQ(0, GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buffer, needed - 1));
        EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
        EXPECT_EQ(needed, GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buffer, needed));
        EXPECT_EQ(0, buffer[needed - 1]);
        EXPECT_EQ(0x7777, buffer[needed]) << "nothing is written past the count";
    }
}

TEST(Locale, UnknownTypeIsRefused) {
    WCHAR buffer[16];
    SetLastError(kPoison);
    EXPECT_EQ(0, GetLocaleInfoW(LOCALE_USER_DEFAULT, 0x7fff, buffer, 16));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_FLAGS), GetLastError());
}
