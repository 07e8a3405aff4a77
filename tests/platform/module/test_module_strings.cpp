// The string tables of test_module.rc in the Linux stand-in's form, sorted
// by language, then ID.
#include "platform/linux/win_resources.h"
#include "platform/platform.h"

namespace {

#define KX_STRING(language, id, text) \
    { language, id, text, sizeof(text) / sizeof(WCHAR) - 1 }

const KxStringResource kStrings[] = {
    KX_STRING(0x0000, 16, TEXT("neutral 16")),   KX_STRING(0x0007, 32, TEXT("de 32")),
    KX_STRING(0x0007, 64, TEXT("de 64")),        KX_STRING(0x0007, 192, TEXT("de 192")),
    KX_STRING(0x0009, 96, TEXT("en 96")),        KX_STRING(0x0009, 160, TEXT("en 160")),
    KX_STRING(0x0009, 176, TEXT("en 176")),      KX_STRING(0x0400, 1, TEXT("neutral one")),
    KX_STRING(0x0400, 2, TEXT("neutral two")),   KX_STRING(0x0400, 3, TEXT("0123456789")),
    KX_STRING(0x0400, 16, TEXT("default 16")),   KX_STRING(0x0400, 32, TEXT("default 32")),
    KX_STRING(0x0400, 48, TEXT("default 48")),   KX_STRING(0x0400, 128, TEXT("default 128")),
    KX_STRING(0x0400, 176, TEXT("default 176")), KX_STRING(0x0400, 192, TEXT("default 192")),
    KX_STRING(0x0407, 1, TEXT("Deutsch eins")),  KX_STRING(0x0407, 3, TEXT("Zähler 0123")),
    KX_STRING(0x0407, 16, TEXT("de-DE 16")),     KX_STRING(0x0407, 32, TEXT("de-DE 32")),
    KX_STRING(0x0407, 48, TEXT("de-DE 48")),     KX_STRING(0x0407, 64, TEXT("de-DE 64")),
    KX_STRING(0x0407, 112, TEXT("de-DE 112")),   KX_STRING(0x0407, 128, TEXT("de-DE 128")),
    KX_STRING(0x0407, 144, TEXT("de-DE 144")),   KX_STRING(0x0409, 32, TEXT("en-US 32")),
    KX_STRING(0x0409, 128, TEXT("en-US 128")),   KX_STRING(0x0409, 144, TEXT("en-US 144")),
    KX_STRING(0x0409, 160, TEXT("en-US 160")),   KX_STRING(0x040c, 80, TEXT("fr-FR 80")),
    KX_STRING(0x040c, 96, TEXT("fr-FR 96")),     KX_STRING(0x0411, 80, TEXT("ja-JP 80")),
    KX_STRING(0x0809, 112, TEXT("en-GB 112")),   KX_STRING(0x0c07, 32, TEXT("de-AT 32")),
};

}  // namespace

extern "C" __attribute__((visibility("default")))
const KxModuleResourceDirectory KxModuleResources = {sizeof(kStrings) / sizeof(kStrings[0]), kStrings};
