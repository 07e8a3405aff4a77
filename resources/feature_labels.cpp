#include "resources/feature_labels.h"

const FeatureLabelRow FeatureLabelTable[] = {
    // Features the host shows as public devmode items: never tagged.
    {DMPUB_DEFSOURCE, 0x01, 10001, TEXT("*InputSlot")},
    {DMPUB_PRINTQUALITY, 0x02, 10002, TEXT("*Resolution")},
    {DMPUB_MEDIATYPE, 0x03, 10003, TEXT("*MediaType")},
    {DMPUB_FORMNAME, 0x04, 10007, TEXT("*PageSize")},
    {DMPUB_DUPLEX, 0x05, 10025, TEXT("*Duplex")},
    // Installable options.
    {DMPUB_NONE, 0x20, 10004, TEXT("*InstalledMemory")},
    {DMPUB_NONE, 0x21, 10005, TEXT("*KXTrayUnit")},
    {DMPUB_NONE, 0x22, 10006, TEXT("*KXDuplexOption")},
    {DMPUB_NONE, 0x23, 10024, TEXT("*KXStackerOption")},
    {DMPUB_NONE, 0x24, 10028, TEXT("*KXCompactFlash")},
    // The printer's own print features.
    {DMPUB_NONE, 0x40, 10008, TEXT("*KXScreens")},
    {DMPUB_NONE, 0x41, 10009, TEXT("*KXPureBlack")},
    {DMPUB_NONE, 0x42, 10010, TEXT("*KXLumaq")},
    {DMPUB_NONE, 0x43, 10011, TEXT("*KXToner")},
    {DMPUB_NONE, 0x44, 10012, TEXT("*KXImageProtect")},
    {DMPUB_NONE, kColorRenderingItemCode, 10013, TEXT("*KXRendering")},
    {DMPUB_NONE, 0x46, 10014, TEXT("*KXPressSimulation")},
    {DMPUB_NONE, 0x47, 10017, TEXT("*KXCMYKMethod")},
    {DMPUB_NONE, 0x48, 10015, TEXT("*KXRGBSource")},
    {DMPUB_NONE, 0x49, 10016, TEXT("*KXRGBIntent")},
    {DMPUB_NONE, 0x4A, 10018, TEXT("*KXSeparations")},
    {DMPUB_NONE, 0x4B, 10019, TEXT("*OutputBin")},
    {DMPUB_NONE, 0x4C, 10020, TEXT("*KXDensity")},
    {DMPUB_NONE, 0x4D, 10021, TEXT("*KXRotate180Degrees")},
    {DMPUB_NONE, 0x4E, 10022, TEXT("*KXRotate90Degrees")},
    {DMPUB_NONE, 0x4F, 10023, TEXT("*KXStartSide")},
    {DMPUB_NONE, 0x50, 10026, TEXT("*KXAutoMonoMode")},
    {DMPUB_NONE, 0x51, 10027, TEXT("*KXOUTPUTID")},
    {DMPUB_NONE, 0, 0, TEXT("")},
};

static_assert(sizeof(FeatureLabelTable) / sizeof(FeatureLabelTable[0]) == kFeatureLabelRowCount + 1,
              "28 feature rows and the terminator");

namespace {

bool SameKeyword(const WCHAR* a, const WCHAR* b) {
    for (; *a == *b; ++a, ++b) {
        if (*a == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

HRESULT LookupFeatureLabel(HINSTANCE module, FeatureLabel* out, const WCHAR* keyword) {
    if (out == nullptr || keyword == nullptr) {
        return E_INVALIDARG;
    }
    for (const FeatureLabelRow* row = FeatureLabelTable; row->itemCode != 0; ++row) {
        // The host owns the items of public features; the plug-in leaves them alone.
        if (row->publicItemId != DMPUB_NONE || !SameKeyword(keyword, row->keyword)) {
            continue;
        }
        out->itemCode = row->itemCode;
        const int length = LoadStringW(module, row->labelStringId, out->label, kFeatureLabelCapacity);
        return length > 0 ? S_OK : E_FAIL;
    }
    return E_FAIL;
}
