// Buffers the host hands over, each ending right at a page that faults on
// any access: the private devmode blocks under every size their headers may
// claim, and GetInfo's and QueryColorProfile's outputs at every size from
// nothing to what they need. The plug-in is the loaded binary.
#include <gtest/gtest.h>
#include <string.h>

#include "tests/hardening/guard_page.h"
#include "tests/support/plugin_module.h"

namespace {

constexpr DWORD kBlockSize = 176;
constexpr DWORD kHeaderSize = 12;
constexpr DWORD kSignature = 0x4B585053;
constexpr DWORD kPoisonError = 0xDEADBEEF;
constexpr DWORD kPoisonValue = 0x5A5A5A5A;

class GuardPageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        object = CreatePluginObject();
        ASSERT_NE(nullptr, object);
        ASSERT_TRUE(inMemory.Valid() && outMemory.Valid());
    }
    void TearDown() override {
        if (object != nullptr) {
            EXPECT_EQ(0u, object->Release());
        }
    }

    IPrintOemUI2* object = nullptr;
    GuardedMemory inMemory{kBlockSize};
    GuardedMemory outMemory{kBlockSize};
};

DWORD ReadDword(const BYTE* block, size_t offset) {
    DWORD value;
    memcpy(&value, block + offset, sizeof(value));
    return value;
}

}  // namespace

// The input block holds its header and what it claims, up to the plug-in's
// 176 bytes; the output block is the 176 bytes that cbBufSize grants. Both
// headers claim the same size, so the claim alone decides the copy.
TEST_F(GuardPageTest, DevmodeHeadersClaimingAnySize) {
    const DWORD claims[] = {0, 1, 175, 176, 177, 0xFFFFFFFF};
    for (DWORD mode : {OEMDM_CONVERT, OEMDM_MERGE}) {
        for (DWORD claim : claims) {
            SCOPED_TRACE(testing::Message() << "mode " << mode << ", both headers claim " << claim);
            const DWORD inSize = claim < kHeaderSize ? kHeaderSize : (claim > kBlockSize ? kBlockSize : claim);
            BYTE* in = inMemory.BlockAtEnd(inSize, 0x3C);
            BYTE* out = outMemory.BlockAtEnd(kBlockSize, 0xA5);
            const DWORD inHeader[3] = {claim, kSignature, 7};
            const DWORD outHeader[3] = {claim, kSignature, 9};
            memcpy(in, inHeader, sizeof(inHeader));
            memcpy(out, outHeader, sizeof(outHeader));

            OEMDMPARAM param;
            memset(&param, 0, sizeof(param));
            param.cbSize = sizeof(param);
            param.pOEMDMIn = in;
            param.pOEMDMOut = out;
            param.cbBufSize = kBlockSize;
            EXPECT_EQ(S_OK, object->DevMode(mode, &param));
            EXPECT_EQ(kBlockSize, ReadDword(out, 0));
            EXPECT_EQ(kSignature, ReadDword(out, 4));
            EXPECT_EQ(2u, ReadDword(out, 8));
            const DWORD copied = claim > kBlockSize ? kBlockSize : claim;
            for (DWORD i = kHeaderSize; i < kBlockSize; ++i) {
                ASSERT_EQ(i < copied ? 0x3C : 0xA5, out[i]) << "byte " << i;
            }
        }
    }
}

// A foreign signature gets the defaults: 176 bytes, never more, whatever
// either header claims; and a cbBufSize below 176 writes nothing.
TEST_F(GuardPageTest, DevmodeDefaultsFillExactlyTheBlock) {
    for (DWORD mode : {OEMDM_DEFAULT, OEMDM_CONVERT, OEMDM_MERGE}) {
        for (DWORD claim : {0u, 177u, 0xFFFFFFFFu}) {
            SCOPED_TRACE(testing::Message() << "mode " << mode << ", claim " << claim);
            BYTE* in = inMemory.BlockAtEnd(kHeaderSize, 0);
            const DWORD inHeader[3] = {claim, 0x12345678, 2};
            memcpy(in, inHeader, sizeof(inHeader));
            BYTE* out = outMemory.BlockAtEnd(kBlockSize, 0xA5);
            const DWORD outHeader[3] = {claim, kSignature, 2};
            memcpy(out, outHeader, sizeof(outHeader));
            OEMDMPARAM param;
            memset(&param, 0, sizeof(param));
            param.cbSize = sizeof(param);
            param.pOEMDMIn = in;
            param.pOEMDMOut = out;
            param.cbBufSize = kBlockSize;
            EXPECT_EQ(S_OK, object->DevMode(mode, &param));
            EXPECT_EQ(kBlockSize, ReadDword(out, 0));
            EXPECT_EQ(kSignature, ReadDword(out, 4));
            EXPECT_EQ(1u, ReadDword(out, 12));
            EXPECT_EQ(0u, ReadDword(out, kBlockSize - 4));
        }
    }
    for (DWORD size : {0u, 1u, 12u, 175u}) {
        SCOPED_TRACE(testing::Message() << "cbBufSize " << size);
        BYTE* out = outMemory.BlockAtEnd(size, 0xA5);
        OEMDMPARAM param;
        memset(&param, 0, sizeof(param));
        param.cbSize = sizeof(param);
        param.pOEMDMOut = out;
        param.cbBufSize = size;
        SetLastError(kPoisonError);
        EXPECT_EQ(E_FAIL, object->DevMode(OEMDM_DEFAULT, &param));
        EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
        for (DWORD i = 0; i < size; ++i) {
            ASSERT_EQ(0xA5, out[i]) << "byte " << i;
        }
    }
}

TEST_F(GuardPageTest, GetInfoAtEveryBufferSize) {
    for (DWORD mode : {OEMGI_GETSIGNATURE, OEMGI_GETVERSION, OEMGI_GETPUBLISHERINFO}) {
        for (DWORD size = 0; size <= sizeof(DWORD); ++size) {
            SCOPED_TRACE(testing::Message() << "mode " << mode << ", " << size << " bytes");
            BYTE* buffer = outMemory.BlockAtEnd(size, 0xA5);
            DWORD needed = kPoisonValue;
            SetLastError(kPoisonError);
            const HRESULT result = object->GetInfo(mode, buffer, size, &needed);
            const bool fits = size == sizeof(DWORD);
            if (fits && mode != OEMGI_GETPUBLISHERINFO) {
                EXPECT_EQ(S_OK, result);
                EXPECT_EQ(sizeof(DWORD), needed);
                EXPECT_EQ(mode == OEMGI_GETSIGNATURE ? kSignature : 2u, ReadDword(buffer, 0));
                continue;
            }
            EXPECT_EQ(E_FAIL, result);
            EXPECT_EQ(fits ? 0u : 4u, needed);
            EXPECT_EQ(static_cast<DWORD>(fits ? ERROR_NOT_SUPPORTED : ERROR_INSUFFICIENT_BUFFER), GetLastError());
            for (DWORD i = 0; i < size; ++i) {
                ASSERT_EQ(0xA5, buffer[i]) << "byte " << i << " written";
            }
        }
    }
}

TEST_F(GuardPageTest, QueryColorProfileAtEveryBufferSize) {
    const WCHAR name[] = TEXT("OEMPROFILE.icm");
    for (ULONG size = 0; size <= 32; ++size) {
        SCOPED_TRACE(testing::Message() << size << " bytes");
        BYTE* buffer = outMemory.BlockAtEnd(size, 0xA5);
        ULONG count = size;
        FLONG flags = kPoisonValue;
        SetLastError(kPoisonError);
        const HRESULT result =
            object->QueryColorProfile(nullptr, nullptr, nullptr, nullptr, QCP_DEVICEPROFILE, buffer, &count, &flags);
        EXPECT_EQ(32u, count);
        if (size == 32) {
            EXPECT_EQ(S_OK, result);
            EXPECT_EQ(static_cast<FLONG>(QCP_PROFILEDISK), flags);
            EXPECT_EQ(0, memcmp(buffer, name, sizeof(name)));
            for (size_t i = sizeof(name); i < size; ++i) {
                EXPECT_EQ(0xA5, buffer[i]) << "byte " << i << " past the name";
            }
            continue;
        }
        EXPECT_EQ(E_FAIL, result);
        EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
        EXPECT_EQ(kPoisonValue, flags);
        for (ULONG i = 0; i < size; ++i) {
            ASSERT_EQ(0xA5, buffer[i]) << "byte " << i << " written";
        }
    }
}
