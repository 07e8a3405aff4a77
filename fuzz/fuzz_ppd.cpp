// PPD bytes through the reader as the plug-in meets them: a document read
// from a binary stream, installed values taken from the same input, the
// constraint pass against the plain walk, and destruction with nothing left
// behind; then the same bytes through the text-mode byte source, which must
// read exactly as a binary stream of the bytes text mode delivers; then one
// more read with one allocation failing.
#include <fuzzer/FuzzedDataProvider.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "customize/constraints.h"
#include "fuzz/fuzz_support.h"
#include "ppd/ppd_alloc.h"
#include "ppd/ppd_document.h"
#include "tests/support/ppd_test_util.h"

namespace {

// A document from exactly these bytes through a binary stream.
DocumentPtr ReadBinary(const std::string& bytes) {
    if (bytes.empty()) {
        return DocumentPtr(new PpdDocument(nullptr));  // a null stream reads as an empty one
    }
    FILE* stream = fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "rb");
    KX_FUZZ_CHECK(stream != nullptr, "fmemopen");
    DocumentPtr document(new PpdDocument(stream));
    fclose(stream);
    return document;
}

void CheckDocument(const PpdDocument& document, const char* what) {
    const std::string problems = CheckConsistent(document);
    KX_FUZZ_CHECK(problems.empty(), std::string(what) + ":\n" + problems);
}

// UTF-16 of any units, as the host's answer after conversion may hold.
WideString AnyUnits(FuzzedDataProvider* input) {
    WideString units;
    const size_t count = input->ConsumeIntegralInRange<size_t>(0, 300);
    for (size_t i = 0; i < count && input->remaining_bytes() >= 2; ++i) {
        const WCHAR unit = input->ConsumeIntegral<uint16_t>();
        if (unit == 0) {
            break;
        }
        units += unit;
    }
    return units;
}

// A value for one installable setting: words of the document itself most of
// the time, so that constraints match, else any text.
WideString PickValue(const PpdDocument& document, const InstallableSetting& setting, FuzzedDataProvider* input) {
    const uint8_t choice = input->ConsumeIntegral<uint8_t>();
    switch (choice % 4) {
        case 0:
            for (int32_t c = 0, seen = 0; c < document.constraintCount; ++c) {
                const PpdConstraint& constraint = *document.constraints[c];
                if (constraint.keyword1.Equals(setting.keyword) && seen++ == choice / 4) {
                    return WideString(constraint.option1.chars);
                }
            }
            return WideString();
        case 1:
            for (int32_t f = 0; f < document.featureCount; ++f) {
                const PpdFeature& feature = *document.features[f];
                if (feature.keyword.Equals(setting.keyword) && feature.optionCount > 0) {
                    return WideString(feature.options[(choice / 4) % feature.optionCount]->keyword.chars);
                }
            }
            return WideString();
        case 2:
            return WideString(setting.value.chars);
        default:
            return AnyUnits(input);
    }
}

void StoreValues(PpdDocument* document, FuzzedDataProvider* input) {
    for (int32_t s = 0; s < document->installableCount && input->remaining_bytes() > 0; ++s) {
        const InstallableSetting& setting = *document->installables[s];
        const WideString value = PickValue(*document, setting, input);
        StoreInstalledValue(document, setting.keyword.chars, value.c_str());
        KX_FUZZ_CHECK(document->installables[s]->value.length <= kPpdTextCapacity - 1, "value length");
    }
    // Keywords that name no setting, and null texts, change nothing.
    const std::string before = Describe(*document);
    StoreInstalledValue(document, TEXT("*NoSuchFeature"), TEXT("x"));
    StoreInstalledValue(document, nullptr, TEXT("x"));
    StoreInstalledValue(document, TEXT("*NoSuchFeature"), nullptr);
    KX_FUZZ_CHECK(before == Describe(*document), "a store of an unknown keyword changed the document");
}

void CheckPassAgainstWalk(PpdDocument* document, FuzzedDataProvider* input) {
    // Any starting flags: the last setting tied to a feature decides, and
    // untied options keep what they had.
    std::vector<bool> start = Marks(*document);
    for (size_t i = 0; i < start.size() && input->remaining_bytes() > 0; i += 8) {
        const uint8_t bits = input->ConsumeIntegral<uint8_t>();
        for (size_t b = 0; b < 8 && i + b < start.size(); ++b) {
            start[i + b] = ((bits >> b) & 1) != 0;
        }
    }
    const std::string difference = CompareWithWalk(document, start);
    KX_FUZZ_CHECK(difference.empty(), difference);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    // The selectors come from the input's end (FuzzedDataProvider takes
    // integers from there), so a plain PPD file is a good seed as it is.
    FuzzedDataProvider input(data, size);
    PpdFailAllocation(-1);
    const int64_t liveBefore = PpdLiveAllocations();

    int64_t attempts = 0;
    std::string described;
    {
        DocumentPtr document = ReadBinary(bytes);
        attempts = PpdAllocationAttempts();
        CheckDocument(*document, "binary stream");
        // The construction's own pass ran from all flags clear.
        const std::string difference = CompareWithWalk(document.get(), std::vector<bool>(Marks(*document).size()));
        KX_FUZZ_CHECK(difference.empty(), "first pass: " + difference);
        described = Describe(*document);
        StoreValues(document.get(), &input);
        CheckPassAgainstWalk(document.get(), &input);
        CheckDocument(*document, "after the passes");
    }
    KX_FUZZ_CHECK(PpdLiveAllocations() == liveBefore, "allocations left after destruction");

    // Text mode, as the plug-in opens the printer's file.
    if (WriteScratchFile(bytes)) {
        FILE* stream = _wfopen(reinterpret_cast<const WCHAR*>(ScratchFilePath().c_str()), TEXT("r"));
        KX_FUZZ_CHECK(stream != nullptr, "_wfopen of the scratch file");
        DocumentPtr fromText(new PpdDocument(stream));
        fclose(stream);
        CheckDocument(*fromText, "text-mode stream");
        const std::string textBytes = TextModeBytes(bytes);
        const std::string expected = textBytes == bytes ? described : Describe(*ReadBinary(textBytes));
        KX_FUZZ_CHECK(Describe(*fromText) == expected, "text mode reads differently from its bytes");
    }
    KX_FUZZ_CHECK(PpdLiveAllocations() == liveBefore, "allocations left after the text-mode read");

    // One allocation of the first read fails: a consistent partial document
    // or an empty one, and nothing left behind.
    if (attempts > 0 && input.remaining_bytes() > 0) {
        const int64_t failing = input.ConsumeIntegralInRange<int64_t>(0, attempts - 1);
        PpdFailAllocation(failing);
        {
            DocumentPtr partial = ReadBinary(bytes);
            PpdFailAllocation(-1);
            CheckDocument(*partial, "with a failed allocation");
            const std::string difference = CompareWithWalk(partial.get(), std::vector<bool>(Marks(*partial).size()));
            KX_FUZZ_CHECK(difference.empty(), "pass with a failed allocation: " + difference);
        }
        KX_FUZZ_CHECK(PpdLiveAllocations() == liveBefore, "allocations left after a failed allocation");
    }
    return 0;
}
