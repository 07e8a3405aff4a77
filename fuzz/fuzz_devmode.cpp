// The private devmode through the plug-in object's DevMode with any mode,
// any headers and any cbBufSize. Every block is allocated at exactly the
// size the plug-in may touch, so a read or write past it is caught: an input
// block holds its header and as much as it claims, up to the 176 bytes of
// the plug-in's block; an output block holds cbBufSize bytes, up to 176. The
// outcome is checked against the block's rules: size, defaults with the
// country's paper, or a copy of the claimed length and a rewritten header.
#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "devmode/private_devmode.h"
#include "fuzz/fuzz_support.h"
#include "plugin/module.h"
#include "plugin/plugin_identity.h"

namespace {

constexpr DWORD kHeaderBytes = sizeof(OEM_DMEXTRAHEADER);

IPrintOemUI2* Plugin() {
    static IPrintOemUI2* const plugin = [] {
        IClassFactory* factory = nullptr;
        KX_FUZZ_CHECK(DllGetClassObject(CLSID_OEMUI, IID_IClassFactory, reinterpret_cast<void**>(&factory)) == S_OK,
                      "DllGetClassObject");
        IPrintOemUI2* object = nullptr;
        KX_FUZZ_CHECK(factory->CreateInstance(nullptr, IID_IPrintOemUI2, reinterpret_cast<void**>(&object)) == S_OK,
                      "CreateInstance");
        factory->Release();
        return object;
    }();
    return plugin;
}

int Country() {
    WCHAR country[16] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_ICOUNTRY, country, 16) == 0) {
        return -1;
    }
    return _wtoi(country);
}

// A block of exactly `size` bytes (none at all for 0), or no block.
struct Block {
    explicit Block(size_t size) : size(size), bytes(static_cast<BYTE*>(malloc(size))) {}
    ~Block() { free(bytes); }
    Block(const Block&) = delete;
    Block& operator=(const Block&) = delete;
    size_t size;
    BYTE* bytes;
};

DWORD PickSize(FuzzedDataProvider* input) {
    static const DWORD sizes[] = {0, 1, 4, 8, 11, 12, 100, 175, 176, 177, 0xFFFFFFFF};
    const uint8_t pick = input->ConsumeIntegral<uint8_t>();
    return pick < 11 * 20 ? sizes[pick % 11] : input->ConsumeIntegral<DWORD>();
}

void FillHeader(Block* block, DWORD size, DWORD signature, DWORD version) {
    const DWORD header[3] = {size, signature, version};
    memcpy(block->bytes, header, kHeaderBytes);
}

DWORD ReadDword(const BYTE* bytes, size_t offset) {
    DWORD value;
    memcpy(&value, bytes + offset, sizeof(value));
    return value;
}

std::vector<BYTE> DefaultBlock() {
    std::vector<BYTE> block(kPrivateDevmodeSize, 0);
    const DWORD header[4] = {kPrivateDevmodeSize, kPluginSignature, kPluginVersion, 1};
    memcpy(block.data(), header, sizeof(header));
    return block;
}

DEVMODEW ExpectedPublic(const DEVMODEW& before) {
    DEVMODEW expected = before;
    const int country = Country();
    if (country == 1 || country == 2) {
        if (expected.dmPaperSize == DMPAPER_A4) {
            expected.dmPaperSize = DMPAPER_LETTER;
            memcpy(expected.dmFormName, TEXT("Letter"), sizeof(WCHAR) * 7);
        }
    } else if (country != -1 && expected.dmPaperSize == DMPAPER_LETTER) {
        expected.dmPaperSize = DMPAPER_A4;
        memcpy(expected.dmFormName, TEXT("A4"), sizeof(WCHAR) * 3);
    }
    return expected;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Plugin();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const uint8_t modePick = input.ConsumeIntegral<uint8_t>();
    const DWORD mode = modePick < 240 ? modePick % 5 : input.ConsumeIntegral<DWORD>();
    const bool noParam = input.ConsumeIntegralInRange<int>(0, 31) == 0;
    const DWORD cbBufSize = PickSize(&input);

    // Input block: its header and as much as it claims, at most 176 bytes.
    const bool haveIn = input.ConsumeIntegralInRange<int>(0, 15) != 0;
    const DWORD inClaim = PickSize(&input);
    const size_t inSize =
        inClaim < kHeaderBytes ? kHeaderBytes : (inClaim > kPrivateDevmodeSize ? kPrivateDevmodeSize : inClaim);
    Block in(haveIn ? inSize : 0);
    const DWORD signature = input.ConsumeBool() ? kPluginSignature : input.ConsumeIntegral<DWORD>();
    if (haveIn) {
        for (size_t i = 0; i < in.size; ++i) {
            in.bytes[i] = input.ConsumeIntegral<uint8_t>();
        }
        FillHeader(&in, inClaim, signature, input.ConsumeIntegral<DWORD>());
    }

    // Output block: cbBufSize bytes, at most 176.
    const bool haveOut = input.ConsumeIntegralInRange<int>(0, 15) != 0;
    const size_t outSize = cbBufSize > kPrivateDevmodeSize ? kPrivateDevmodeSize : cbBufSize;
    Block out(haveOut ? outSize : 0);
    if (haveOut) {
        for (size_t i = 0; i < out.size; ++i) {
            out.bytes[i] = input.ConsumeIntegral<uint8_t>();
        }
        if (out.size >= kHeaderBytes) {
            FillHeader(&out, PickSize(&input), input.ConsumeBool() ? signature : input.ConsumeIntegral<DWORD>(),
                       input.ConsumeIntegral<DWORD>());
        }
    }

    DEVMODEW publicDevmode;
    const bool havePublic = input.ConsumeIntegralInRange<int>(0, 7) != 0;
    const std::vector<uint8_t> publicBytes = input.ConsumeBytes<uint8_t>(sizeof(publicDevmode));
    memset(&publicDevmode, 0, sizeof(publicDevmode));
    if (!publicBytes.empty()) {
        memcpy(&publicDevmode, publicBytes.data(), publicBytes.size());
    }
    static const short papers[] = {DMPAPER_A4, DMPAPER_LETTER, DMPAPER_LEGAL};
    const uint8_t paperPick = input.ConsumeIntegral<uint8_t>();
    if (paperPick < 200) {
        publicDevmode.dmPaperSize = papers[paperPick % 3];
    }
    const DEVMODEW publicBefore = publicDevmode;

    OEMDMPARAM param;
    memset(&param, 0, sizeof(param));
    param.cbSize = sizeof(param);
    param.pPublicDMIn = havePublic ? &publicDevmode : nullptr;
    param.pOEMDMIn = haveIn ? in.bytes : nullptr;
    param.pOEMDMOut = haveOut ? out.bytes : nullptr;
    param.cbBufSize = cbBufSize;
    const std::vector<BYTE> outBefore(out.bytes, out.bytes + (haveOut ? out.size : 0));
    const std::vector<BYTE> inBefore(in.bytes, in.bytes + (haveIn ? in.size : 0));

    SetLastError(0xDEADBEEF);
    const HRESULT result = Plugin()->DevMode(mode, noParam ? nullptr : &param);
    const std::vector<BYTE> outAfter(out.bytes, out.bytes + (haveOut ? out.size : 0));
    KX_FUZZ_CHECK(inBefore == std::vector<BYTE>(in.bytes, in.bytes + (haveIn ? in.size : 0)), "input block written");

    if (noParam || mode < OEMDM_SIZE || mode > OEMDM_MERGE) {
        KX_FUZZ_CHECK(result == E_FAIL && GetLastError() == ERROR_INVALID_PARAMETER, "refused call");
        KX_FUZZ_CHECK(outAfter == outBefore && memcmp(&publicDevmode, &publicBefore, sizeof(DEVMODEW)) == 0,
                      "refused call changed a block");
        return 0;
    }
    if (mode == OEMDM_SIZE) {
        KX_FUZZ_CHECK(result == S_OK && param.cbBufSize == kPrivateDevmodeSize, "size");
        KX_FUZZ_CHECK(outAfter == outBefore && memcmp(&publicDevmode, &publicBefore, sizeof(DEVMODEW)) == 0,
                      "size query changed a block");
        return 0;
    }
    if (cbBufSize < kPrivateDevmodeSize) {
        KX_FUZZ_CHECK(result == E_FAIL && GetLastError() == ERROR_INSUFFICIENT_BUFFER, "small buffer refused");
        KX_FUZZ_CHECK(outAfter == outBefore && memcmp(&publicDevmode, &publicBefore, sizeof(DEVMODEW)) == 0,
                      "a refused call changed a block");
        return 0;
    }
    KX_FUZZ_CHECK(result == S_OK, "DevMode result " + std::to_string(result));
    KX_FUZZ_CHECK(param.cbBufSize == cbBufSize, "cbBufSize changed");

    std::vector<BYTE> expectedOut = outBefore;
    DEVMODEW expectedPublic = publicBefore;
    const bool convert = mode == OEMDM_CONVERT || mode == OEMDM_MERGE;
    if (convert && (!haveIn || !haveOut)) {
        // Nothing to carry: nothing changes.
    } else if (convert && ReadDword(in.bytes, 4) == ReadDword(outBefore.data(), 4)) {
        const DWORD inClaimed = ReadDword(in.bytes, 0);
        const DWORD outClaimed = ReadDword(outBefore.data(), 0);
        DWORD copied = inClaimed < outClaimed ? inClaimed : outClaimed;
        copied = copied > kPrivateDevmodeSize ? kPrivateDevmodeSize : copied;
        memcpy(expectedOut.data(), in.bytes, copied);
        const DWORD header[3] = {kPrivateDevmodeSize, ReadDword(expectedOut.data(), 4), kPluginVersion};
        memcpy(expectedOut.data(), header, sizeof(header));
    } else {
        if (haveOut) {
            expectedOut = DefaultBlock();
        }
        expectedPublic = havePublic ? ExpectedPublic(publicBefore) : publicBefore;
    }
    KX_FUZZ_CHECK(outAfter == expectedOut, "output block");
    KX_FUZZ_CHECK(memcmp(&publicDevmode, &expectedPublic, sizeof(DEVMODEW)) == 0, "public devmode");
    return 0;
}
