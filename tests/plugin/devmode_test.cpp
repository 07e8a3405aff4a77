// The private devmode through DevMode, as the host asks for it: size,
// defaults byte for byte, the paper swap by the user's country, and the
// conversion of blocks that come from elsewhere.
#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "tests/support/plugin_module.h"
#if !KX_PLATFORM_WINDOWS
#include "platform/linux/stand_in_controls.h"
#endif

namespace {

constexpr DWORD kPoisonError = 0xdeadbeef;
constexpr DWORD kBlockSize = 176;

// The country the test environment stands for, as the platform reports it.
int ExpectedCountry() {
    const std::string locale = TestLocale();
    struct Row {
        const char* prefix;
        int country;
    } rows[] = {
        {"en_US", 1},
        {"en_GB", 44},
        {"de_DE", 49},
        {"fr_FR", 33},
        {"ja_JP", 81},
        {"sv_SE", 46},
        // Windows answers 2 for Canada; Wine 8 answers 1 (it reads the
        // country from the language). Both sides of the swap are covered.
        {"en_CA", KX_PLATFORM_WINDOWS ? 1 : 2},
    };
    for (const Row& row : rows) {
        if (locale.compare(0, strlen(row.prefix), row.prefix) == 0) {
            return row.country;
        }
    }
    return 1;  // the platform's default locale is en_US
}

std::u16string FormName(const DEVMODEW& devmode) {
    return std::u16string(reinterpret_cast<const char16_t*>(devmode.dmFormName));
}

DEVMODEW PublicDevmode(short paper, const WCHAR* formName) {
    DEVMODEW devmode;
    memset(&devmode, 0x5A, sizeof(devmode));
    devmode.dmPaperSize = paper;
    lstrcpynW(devmode.dmFormName, formName, CCHFORMNAME);
    return devmode;
}

class DevmodeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        object = CreatePluginObject();
        ASSERT_NE(object, nullptr);
        memset(&param, 0, sizeof(param));
        param.cbSize = sizeof(param);
        param.cbBufSize = kBlockSize;
        memset(out, 0xA5, sizeof(out));
        param.pOEMDMOut = out;
    }
    void TearDown() override {
        if (object != nullptr) {
            object->Release();
        }
    }
    void ExpectDefaultBlock(const BYTE* block) {
        const DWORD header[4] = {176, 0x4B585053, 2, 1};
        EXPECT_EQ(memcmp(block, header, sizeof(header)), 0) << "little-endian 176, KXPS, 2, 1";
        for (DWORD i = sizeof(header); i < kBlockSize; ++i) {
            ASSERT_EQ(block[i], 0) << "byte " << i;
        }
    }

    IPrintOemUI2* object = nullptr;
    OEMDMPARAM param;
    BYTE out[kBlockSize + 16];  // 16 guard bytes after the block
    BYTE in[kBlockSize + 16];
};

TEST_F(DevmodeTest, Size) {
    param.cbBufSize = 0;
    EXPECT_EQ(object->DevMode(OEMDM_SIZE, &param), S_OK);
    EXPECT_EQ(param.cbBufSize, kBlockSize);
}

TEST_F(DevmodeTest, RefusedModesAndParameters) {
    for (DWORD mode : {0u, 5u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(mode);
        SetLastError(kPoisonError);
        EXPECT_EQ(object->DevMode(mode, &param), E_FAIL);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    }
    SetLastError(kPoisonError);
    EXPECT_EQ(object->DevMode(OEMDM_SIZE, nullptr), E_FAIL);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(out[0], 0xA5);
}

TEST_F(DevmodeTest, ShortOutputBuffer_WritesNothing) {
    memset(in, 0, sizeof(in));
    param.pOEMDMIn = in;
    for (DWORD mode : {OEMDM_DEFAULT, OEMDM_CONVERT, OEMDM_MERGE}) {
        for (DWORD size : {DWORD(0), DWORD(1), kBlockSize - 1}) {
            SCOPED_TRACE(testing::Message() << "mode " << mode << " size " << size);
            param.cbBufSize = size;
            SetLastError(kPoisonError);
            EXPECT_EQ(object->DevMode(mode, &param), E_FAIL);
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
            for (BYTE b : out) {
                ASSERT_EQ(b, 0xA5);
            }
        }
    }
}

TEST_F(DevmodeTest, Defaults_ByteForByte) {
    EXPECT_EQ(object->DevMode(OEMDM_DEFAULT, &param), S_OK);
    ExpectDefaultBlock(out);
    for (size_t i = kBlockSize; i < sizeof(out); ++i) {
        EXPECT_EQ(out[i], 0xA5) << "written past the block at " << i;
    }
}

TEST_F(DevmodeTest, Defaults_SwapPaperForTheUsersCountry) {
    const int country = ExpectedCountry();
    const bool letterCountry = country == 1 || country == 2;
    SCOPED_TRACE(testing::Message() << "locale " << TestLocale() << " country " << country);
    struct Case {
        short paper;
        const WCHAR* form;
        short expectedPaper;
        const WCHAR* expectedForm;
    } cases[] = {
        {DMPAPER_A4, TEXT("A4"), letterCountry ? short(DMPAPER_LETTER) : short(DMPAPER_A4),
         letterCountry ? TEXT("Letter") : TEXT("A4")},
        {DMPAPER_LETTER, TEXT("Letter"), letterCountry ? short(DMPAPER_LETTER) : short(DMPAPER_A4),
         letterCountry ? TEXT("Letter") : TEXT("A4")},
        {DMPAPER_LEGAL, TEXT("Legal"), DMPAPER_LEGAL, TEXT("Legal")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.paper);
        DEVMODEW devmode = PublicDevmode(c.paper, c.form);
        DEVMODEW before = devmode;
        param.pPublicDMIn = &devmode;
        EXPECT_EQ(object->DevMode(OEMDM_DEFAULT, &param), S_OK);
        EXPECT_EQ(devmode.dmPaperSize, c.expectedPaper);
        EXPECT_EQ(FormName(devmode), std::u16string(reinterpret_cast<const char16_t*>(c.expectedForm)));
        // Nothing else of the public devmode changes, not even dmFields; the
        // form name's units after its terminator keep what they held.
        before.dmPaperSize = devmode.dmPaperSize;
        const size_t nameUnits = FormName(devmode).size() + 1;
        memcpy(before.dmFormName, devmode.dmFormName, nameUnits * sizeof(WCHAR));
        EXPECT_EQ(memcmp(&before, &devmode, sizeof(devmode)), 0);
        ExpectDefaultBlock(out);
    }
}

// Without the user's country there is nothing to swap by: the paper stays,
// and the block still gets its defaults. The real platform always answers
// the lookup; only the stand-in can be made to fail it.
TEST_F(DevmodeTest, Defaults_FailedCountryLookupKeepsThePaper) {
#if KX_PLATFORM_WINDOWS
    GTEST_SKIP() << "the platform's country lookup cannot be made to fail";
#else
    struct Case {
        short paper;
        const WCHAR* form;
    } cases[] = {{DMPAPER_A4, TEXT("A4")}, {DMPAPER_LETTER, TEXT("Letter")}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.paper);
        DEVMODEW devmode = PublicDevmode(c.paper, c.form);
        const DEVMODEW before = devmode;
        param.pPublicDMIn = &devmode;
        memset(out, 0xA5, sizeof(out));
        KxStandInFailLocaleInfo(TRUE);
        const HRESULT result = object->DevMode(OEMDM_DEFAULT, &param);
        KxStandInFailLocaleInfo(FALSE);
        EXPECT_EQ(result, S_OK);
        EXPECT_EQ(memcmp(&before, &devmode, sizeof(devmode)), 0) << "public devmode changed";
        ExpectDefaultBlock(out);
    }
#endif
}

// Each block is left out on its own: the other still gets its work.
TEST_F(DevmodeTest, Defaults_NullBlocksAreSkipped) {
    const int country = ExpectedCountry();
    const bool letterCountry = country == 1 || country == 2;
    DEVMODEW devmode = PublicDevmode(letterCountry ? DMPAPER_A4 : DMPAPER_LETTER, TEXT("x"));
    param.pOEMDMOut = nullptr;
    param.pPublicDMIn = &devmode;
    EXPECT_EQ(object->DevMode(OEMDM_DEFAULT, &param), S_OK);
    EXPECT_EQ(devmode.dmPaperSize, letterCountry ? DMPAPER_LETTER : DMPAPER_A4) << "no private block: still swapped";
    param.pOEMDMOut = out;
    param.pPublicDMIn = nullptr;
    EXPECT_EQ(object->DevMode(OEMDM_DEFAULT, &param), S_OK);
    ExpectDefaultBlock(out);
}

struct ConvertCase {
    const char* name;
    DWORD inSignature;
    DWORD inSize;
    DWORD outSignature;
    DWORD outSize;
    DWORD copied;  // bytes taken from the input, when the signatures match
};

TEST_F(DevmodeTest, Convert_SameSignatureCopiesTheSmallerClaimedSize) {
    const ConvertCase cases[] = {
        {"whole block", 0x4B585053, 176, 0x4B585053, 176, 176},
        {"short input", 0x4B585053, 100, 0x4B585053, 176, 100},
        {"short output header", 0x4B585053, 176, 0x4B585053, 60, 60},
        {"empty input", 0x4B585053, 0, 0x4B585053, 176, 0},
        {"both zero signatures", 0, 176, 0, 176, 176},
        {"oversized headers are capped", 0x4B585053, 0xFFFFFFFF, 0x4B585053, 0xFFFFFFFF, 176},
        {"one over", 0x4B585053, 177, 0x4B585053, 177, 176},
    };
    for (DWORD mode : {OEMDM_CONVERT, OEMDM_MERGE}) {
        for (const ConvertCase& c : cases) {
            SCOPED_TRACE(testing::Message() << c.name << " mode " << mode);
            for (size_t i = 0; i < sizeof(in); ++i) {
                in[i] = static_cast<BYTE>(i * 7 + 3);
            }
            const DWORD inHeader[3] = {c.inSize, c.inSignature, 77};
            memcpy(in, inHeader, sizeof(inHeader));
            memset(out, 0xA5, sizeof(out));
            const DWORD outHeader[3] = {c.outSize, c.outSignature, 9};
            memcpy(out, outHeader, sizeof(outHeader));
            BYTE before[sizeof(out)];
            memcpy(before, out, sizeof(out));

            param.pOEMDMIn = in;
            EXPECT_EQ(object->DevMode(mode, &param), S_OK);
            for (DWORD i = 12; i < sizeof(out); ++i) {
                const BYTE expected = i < c.copied ? in[i] : before[i];
                ASSERT_EQ(out[i], expected) << "byte " << i;
            }
            DWORD header[3];
            memcpy(header, out, sizeof(header));
            EXPECT_EQ(header[0], kBlockSize);
            EXPECT_EQ(header[1], c.copied >= 8 ? c.inSignature : c.outSignature);
            EXPECT_EQ(header[2], 2u) << "the version is rewritten whatever the input held";
        }
    }
}

TEST_F(DevmodeTest, Convert_ForeignSignatureGetsDefaultsAndPaperSwap) {
    memset(in, 0x11, sizeof(in));
    const DWORD inHeader[3] = {176, 0x41424344, 2};
    memcpy(in, inHeader, sizeof(inHeader));
    const DWORD outHeader[3] = {176, 0x4B585053, 2};
    memcpy(out, outHeader, sizeof(outHeader));
    const int country = ExpectedCountry();
    DEVMODEW devmode = PublicDevmode(country == 1 || country == 2 ? DMPAPER_A4 : DMPAPER_LETTER, TEXT("x"));
    param.pOEMDMIn = in;
    param.pPublicDMIn = &devmode;
    EXPECT_EQ(object->DevMode(OEMDM_CONVERT, &param), S_OK);
    ExpectDefaultBlock(out);
    EXPECT_EQ(devmode.dmPaperSize, country == 1 || country == 2 ? DMPAPER_LETTER : DMPAPER_A4);
}

TEST_F(DevmodeTest, Convert_NullBlocksChangeNothing) {
    memset(in, 0, sizeof(in));
    param.pOEMDMIn = nullptr;
    EXPECT_EQ(object->DevMode(OEMDM_CONVERT, &param), S_OK);
    for (BYTE b : out) {
        ASSERT_EQ(b, 0xA5);
    }
    param.pOEMDMIn = in;
    param.pOEMDMOut = nullptr;
    EXPECT_EQ(object->DevMode(OEMDM_MERGE, &param), S_OK);
    for (BYTE b : in) {
        ASSERT_EQ(b, 0);
    }
}

}  // namespace
