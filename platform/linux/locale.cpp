// Locale: read from the environment as Wine does. LC_ALL overrides
// everything; the ANSI code page follows LC_CTYPE, the user locale, its
// country and the UI language follow LC_MESSAGES; LANG fills in for both.
#include <stdlib.h>
#include <string.h>

#include <atomic>

#include "platform/linux/internal.h"
#include "platform/linux/stand_in_controls.h"
#include "platform/platform.h"

namespace kxplat {
namespace {

// Within one language the first row is the language's default country.
// Only languages whose ANSI code page the stand-ins convert are listed.
const LocaleEntry kLocales[] = {
    {"en-US", "English", 0x0409, 1252, 1},
    {"en-GB", "English", 0x0809, 1252, 44},
    {"en-AU", "English", 0x0c09, 1252, 61},
    {"en-CA", "English", 0x1009, 1252, 2},
    {"en-NZ", "English", 0x1409, 1252, 64},
    {"en-IE", "English", 0x1809, 1252, 353},
    {"de-DE", "German", 0x0407, 1252, 49},
    {"de-CH", "German", 0x0807, 1252, 41},
    {"de-AT", "German", 0x0c07, 1252, 43},
    {"de-LU", "German", 0x1007, 1252, 352},
    {"fr-FR", "French", 0x040c, 1252, 33},
    {"fr-BE", "French", 0x080c, 1252, 32},
    {"fr-CA", "French", 0x0c0c, 1252, 2},
    {"fr-CH", "French", 0x100c, 1252, 41},
    {"fr-LU", "French", 0x140c, 1252, 352},
    {"it-IT", "Italian", 0x0410, 1252, 39},
    {"it-CH", "Italian", 0x0810, 1252, 41},
    {"nl-NL", "Dutch", 0x0413, 1252, 31},
    {"nl-BE", "Dutch", 0x0813, 1252, 32},
    {"es-ES", "Spanish", 0x0c0a, 1252, 34},
    {"es-MX", "Spanish", 0x080a, 1252, 52},
    {"pt-BR", "Portuguese", 0x0416, 1252, 55},
    {"pt-PT", "Portuguese", 0x0816, 1252, 351},
    {"sv-SE", "Swedish", 0x041d, 1252, 46},
    {"sv-FI", "Swedish", 0x081d, 1252, 358},
    {"da-DK", "Danish", 0x0406, 1252, 45},
    {"nb-NO", "Norwegian Bokmal", 0x0414, 1252, 47},
    {"fi-FI", "Finnish", 0x040b, 1252, 358},
    {"ja-JP", "Japanese", 0x0411, 932, 81},
};

const LocaleEntry& DefaultLocale() {
    return kLocales[0];
}

// The first non-empty of LC_ALL, the category's variable and LANG.
const char* LocaleVariable(const char* category) {
    const char* names[] = {"LC_ALL", category, "LANG"};
    for (const char* name : names) {
        const char* value = getenv(name);
        if (value != nullptr && value[0] != '\0') {
            return value;
        }
    }
    return nullptr;
}

// "de_DE.UTF-8@euro" -> language "de", country "DE". C, POSIX and
// unlisted languages give the default locale.
const LocaleEntry& ParseLocale(const char* value) {
    if (value == nullptr) {
        return DefaultLocale();
    }
    char language[8] = {};
    char country[8] = {};
    size_t i = 0;
    while (value[i] != '\0' && value[i] != '_' && value[i] != '.' && value[i] != '@') {
        if (i + 1 >= sizeof(language)) {
            return DefaultLocale();
        }
        language[i] = value[i];
        ++i;
    }
    if (value[i] == '_') {
        ++i;
        size_t j = 0;
        while (value[i] != '\0' && value[i] != '.' && value[i] != '@') {
            if (j + 1 >= sizeof(country)) {
                return DefaultLocale();
            }
            country[j++] = value[i++];
        }
    }
    const LocaleEntry* languageDefault = nullptr;
    for (const LocaleEntry& entry : kLocales) {
        const char* dash = strchr(entry.name, '-');
        const size_t languageLength = static_cast<size_t>(dash - entry.name);
        if (strlen(language) != languageLength || strncmp(entry.name, language, languageLength) != 0) {
            continue;
        }
        if (languageDefault == nullptr) {
            languageDefault = &entry;
        }
        if (strcmp(dash + 1, country) == 0) {
            return entry;
        }
    }
    return languageDefault != nullptr ? *languageDefault : DefaultLocale();
}

}  // namespace

const LocaleEntry& SystemLocale() {
    static const LocaleEntry& entry = ParseLocale(LocaleVariable("LC_CTYPE"));
    return entry;
}

const LocaleEntry& UserLocale() {
    static const LocaleEntry& entry = ParseLocale(LocaleVariable("LC_MESSAGES"));
    return entry;
}

namespace {

const LocaleEntry* LocaleById(LCID lcid) {
    if (lcid == LOCALE_USER_DEFAULT || lcid == 0) {
        return &UserLocale();
    }
    if (lcid == LOCALE_SYSTEM_DEFAULT) {
        return &SystemLocale();
    }
    for (const LocaleEntry& entry : kLocales) {
        if (entry.lcid == lcid) {
            return &entry;
        }
    }
    return nullptr;
}

// Copies an ASCII answer out as the platform does: the size including the
// NUL when cchData is 0, otherwise the units written including the NUL.
int ReturnText(const char* text, LPWSTR buffer, int capacity) {
    const int needed = static_cast<int>(strlen(text)) + 1;
    if (capacity == 0) {
        return needed;
    }
    if (capacity < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    for (int i = 0; i < needed; ++i) {
        buffer[i] = static_cast<WCHAR>(static_cast<unsigned char>(text[i]));
    }
    return needed;
}

}  // namespace
}  // namespace kxplat

extern "C" UINT WINAPI GetACP(void) {
    return kxplat::SystemLocale().ansiCodePage;
}

extern "C" LCID WINAPI GetUserDefaultLCID(void) {
    return kxplat::UserLocale().lcid;
}

extern "C" LANGID WINAPI GetUserDefaultUILanguage(void) {
    return static_cast<LANGID>(kxplat::UserLocale().lcid);
}

namespace {
std::atomic<bool> failLocaleInfo{false};
}

extern "C" void WINAPI KxStandInFailLocaleInfo(BOOL fail) {
    failLocaleInfo = fail != FALSE;
}

extern "C" int WINAPI GetLocaleInfoW(LCID Locale, LCTYPE LCType, LPWSTR lpLCData, int cchData) {
    if (failLocaleInfo || cchData < 0 || (cchData > 0 && lpLCData == nullptr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const kxplat::LocaleEntry* entry = kxplat::LocaleById(Locale);
    if (entry == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    char number[16];
    switch (LCType) {
        case LOCALE_ICOUNTRY:
            snprintf(number, sizeof(number), "%u", entry->country);
            return kxplat::ReturnText(number, lpLCData, cchData);
        case LOCALE_IDEFAULTANSICODEPAGE:
            snprintf(number, sizeof(number), "%u", entry->ansiCodePage);
            return kxplat::ReturnText(number, lpLCData, cchData);
        case LOCALE_SENGLANGUAGE:
            return kxplat::ReturnText(entry->language, lpLCData, cchData);
        case LOCALE_SNAME:
            return kxplat::ReturnText(entry->name, lpLCData, cchData);
        default:
            SetLastError(ERROR_INVALID_FLAGS);
            return 0;
    }
}
