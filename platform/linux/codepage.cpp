// Code pages 1252, 932 and UTF-8, converted as the platform converts them
// with the tables generated from glibc's mappings (codepage_gen), and their
// lead bytes.
#include <string.h>

#include "platform/linux/internal.h"
#include "platform/platform.h"

namespace {

// Flags the callers here do not use but the platform accepts.
const DWORD kMbComposite = 0x00000002;
const DWORD kMbUseGlyphChars = 0x00000004;
const DWORD kWcDiscardNonSpacing = 0x00000010;
const DWORD kWcSepChars = 0x00000020;
const DWORD kWcDefaultChar = 0x00000040;
const DWORD kWcErrInvalidChars = 0x00000080;
const DWORD kWcCompositeCheck = 0x00000200;

const WCHAR kCp932DefaultUnicode = 0x30FB;  // KATAKANA MIDDLE DOT
const WCHAR kReplacement = 0xFFFD;

enum class Encoding { k1252, k932, kUtf8, kUnsupported };

Encoding Resolve(UINT codePage) {
    if (codePage == CP_ACP) {
        codePage = GetACP();
    }
    switch (codePage) {
        case 1252:
            return Encoding::k1252;
        case 932:
            return Encoding::k932;
        case CP_UTF8:
            return Encoding::kUtf8;
        default:
            return Encoding::kUnsupported;
    }
}

// Collects output; counts only when there is no buffer. Past the buffer's
// end nothing more is written and the call fails.
template <typename Unit>
struct Sink {
    Unit* out;
    int capacity;
    int count;
    bool overflow;

    void Put(Unit unit) {
        if (out != nullptr) {
            if (count >= capacity) {
                overflow = true;
                return;
            }
            out[count] = unit;
        }
        ++count;
    }
    // A character of several units goes in whole or not at all.
    bool Fits(int units) const { return out == nullptr || count + units <= capacity; }
};

// Returns false at the first invalid sequence when `strict`.
bool Decode1252(const unsigned char* in, int length, Sink<WCHAR>* sink) {
    for (int i = 0; i < length && !sink->overflow; ++i) {
        sink->Put(kxplat::kCp1252ToUnicode[in[i]]);
    }
    return true;
}

bool Decode932(const unsigned char* in, int length, bool strict, Sink<WCHAR>* sink) {
    int i = 0;
    while (i < length && !sink->overflow) {
        const unsigned byte = in[i];
        WCHAR unit;
        bool valid = true;
        if (kxplat::kCp932IsLeadByte[byte]) {
            // A lead byte takes the next byte as its trail unless the input
            // ends there or the next byte is NUL.
            if (i + 1 < length && in[i + 1] != 0) {
                unit = kxplat::kCp932DoubleToUnicode[byte * 256 + in[i + 1]];
                i += 2;
            } else {
                unit = 0;
                i += 1;
            }
            if (unit == 0) {
                unit = kCp932DefaultUnicode;
                valid = false;
            }
        } else {
            unit = kxplat::kCp932SingleToUnicode[byte];
            // The private-use stand-ins of 0xA0 and 0xFD-0xFF are not characters.
            valid = !(unit >= 0xF8F0 && unit <= 0xF8F3);
            i += 1;
        }
        if (strict && !valid) {
            return false;
        }
        sink->Put(unit);
    }
    return true;
}

// Invalid UTF-8 becomes U+FFFD: a byte that cannot start a sequence on its
// own; a started sequence up to the byte that breaks it, that byte included
// when it is a continuation byte out of the lead byte's range (overlong,
// surrogate, beyond U+10FFFF); and a sequence cut off by the end of the
// input together with everything left.
bool DecodeUtf8(const unsigned char* in, int length, bool strict, Sink<WCHAR>* sink) {
    int i = 0;
    while (i < length && !sink->overflow) {
        const unsigned lead = in[i];
        if (lead < 0x80) {
            sink->Put(static_cast<WCHAR>(lead));
            ++i;
            continue;
        }
        int extra;
        uint32_t code;
        unsigned low = 0x80;
        unsigned high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1;
            code = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2;
            code = lead & 0x0F;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3;
            code = lead & 0x07;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            if (strict) {
                return false;
            }
            sink->Put(kReplacement);
            ++i;
            continue;
        }
        if (length - i - 1 < extra) {
            if (strict) {
                return false;
            }
            sink->Put(kReplacement);
            i = length;
            continue;
        }
        int used = 1;
        bool valid = true;
        for (int k = 0; k < extra; ++k) {
            const unsigned next = in[i + used];
            if (next < 0x80 || next > 0xBF) {
                valid = false;
                break;
            }
            ++used;
            if (k == 0 && (next < low || next > high)) {
                valid = false;
                break;
            }
            code = (code << 6) | (next & 0x3F);
        }
        i += used;
        if (!valid) {
            if (strict) {
                return false;
            }
            sink->Put(kReplacement);
        } else if (code >= 0x10000) {
            // With room for only the high surrogate the platform writes it
            // and stops there, successfully.
            if (!sink->Fits(2)) {
                if (!sink->Fits(1)) {
                    sink->overflow = true;
                } else {
                    sink->Put(static_cast<WCHAR>(0xD800 + ((code - 0x10000) >> 10)));
                }
                break;
            }
            sink->Put(static_cast<WCHAR>(0xD800 + ((code - 0x10000) >> 10)));
            sink->Put(static_cast<WCHAR>(0xDC00 + ((code - 0x10000) & 0x3FF)));
        } else {
            sink->Put(static_cast<WCHAR>(code));
        }
    }
    return true;
}

const kxplat::KxCodeMapping* Find(const kxplat::KxCodeMapping* table, unsigned count, WCHAR unit) {
    unsigned low = 0;
    unsigned high = count;
    while (low < high) {
        const unsigned middle = (low + high) / 2;
        if (table[middle].unicode < unit) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return low < count && table[low].unicode == unit ? &table[low] : nullptr;
}

void PutBytes(uint16_t bytes, Sink<char>* sink) {
    if (bytes > 0xFF) {
        if (!sink->Fits(2)) {
            sink->overflow = true;
            return;
        }
        sink->Put(static_cast<char>(bytes >> 8));
    }
    sink->Put(static_cast<char>(bytes & 0xFF));
}

// Without the platform's look-alike ("best fit") tables, which glibc does not
// publish, every character without a round-trip mapping takes the default
// character, as with WC_NO_BEST_FIT_CHARS.
void EncodeAnsi(Encoding codePage, const WCHAR* in, int length, LPCSTR defaultChar, bool* usedDefault,
                Sink<char>* sink) {
    const bool is932 = codePage == Encoding::k932;
    const kxplat::KxCodeMapping* strict = is932 ? kxplat::kCp932FromUnicode : kxplat::kCp1252FromUnicode;
    const unsigned strictCount = is932 ? kxplat::kCp932FromUnicodeCount : kxplat::kCp1252FromUnicodeCount;
    // The default character: the caller's (two bytes when it starts with a
    // lead byte), else '?'.
    uint16_t fallback = '?';
    if (defaultChar != nullptr) {
        const unsigned char first = static_cast<unsigned char>(defaultChar[0]);
        fallback = first;
        if (is932 && kxplat::kCp932IsLeadByte[first] && defaultChar[1] != '\0') {
            fallback = static_cast<uint16_t>(first << 8 | static_cast<unsigned char>(defaultChar[1]));
        }
    }
    for (int i = 0; i < length && !sink->overflow; ++i) {
        const kxplat::KxCodeMapping* mapping = Find(strict, strictCount, in[i]);
        if (mapping != nullptr) {
            PutBytes(mapping->bytes, sink);
        } else {
            *usedDefault = true;
            PutBytes(fallback, sink);
        }
    }
}

// Unpaired surrogates become U+FFFD, or fail the call when `strict`.
bool EncodeUtf8(const WCHAR* in, int length, bool strict, Sink<char>* sink) {
    for (int i = 0; i < length && !sink->overflow; ++i) {
        uint32_t code = in[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < length && in[i + 1] >= 0xDC00 && in[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (in[i + 1] - 0xDC00);
            ++i;
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            if (strict) {
                return false;
            }
            code = kReplacement;
        }
        const int units = code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
        if (!sink->Fits(units)) {
            sink->overflow = true;
            break;
        }
        if (units == 1) {
            sink->Put(static_cast<char>(code));
        } else if (units == 2) {
            sink->Put(static_cast<char>(0xC0 | (code >> 6)));
            sink->Put(static_cast<char>(0x80 | (code & 0x3F)));
        } else if (units == 3) {
            sink->Put(static_cast<char>(0xE0 | (code >> 12)));
            sink->Put(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            sink->Put(static_cast<char>(0x80 | (code & 0x3F)));
        } else {
            sink->Put(static_cast<char>(0xF0 | (code >> 18)));
            sink->Put(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
            sink->Put(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            sink->Put(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return true;
}

int Wcslen16(const WCHAR* s) {
    int length = 0;
    while (s[length] != 0) {
        ++length;
    }
    return length;
}

}  // namespace

extern "C" int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                                          LPWSTR lpWideCharStr, int cchWideChar) {
    if (lpMultiByteStr == nullptr || cbMultiByte == 0 || cchWideChar < 0 ||
        (lpWideCharStr == nullptr && cchWideChar != 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const Encoding codePage = Resolve(CodePage);
    if (codePage == Encoding::kUnsupported) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const DWORD allowed = codePage == Encoding::kUtf8
                              ? MB_ERR_INVALID_CHARS
                              : MB_PRECOMPOSED | kMbComposite | kMbUseGlyphChars | MB_ERR_INVALID_CHARS;
    if ((dwFlags & ~allowed) != 0) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    const int length = cbMultiByte < 0 ? static_cast<int>(strlen(lpMultiByteStr)) + 1 : cbMultiByte;
    const unsigned char* in = reinterpret_cast<const unsigned char*>(lpMultiByteStr);
    const bool strict = (dwFlags & MB_ERR_INVALID_CHARS) != 0;
    Sink<WCHAR> sink = {cchWideChar == 0 ? nullptr : lpWideCharStr, cchWideChar, 0, false};
    bool valid = true;
    switch (codePage) {
        case Encoding::k1252:
            valid = Decode1252(in, length, &sink);
            break;
        case Encoding::k932:
            valid = Decode932(in, length, strict, &sink);
            break;
        default:
            valid = DecodeUtf8(in, length, strict, &sink);
            break;
    }
    if (!valid) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    if (sink.overflow) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    return sink.count;
}

// Only code page 932 has lead bytes; UTF-8 is not a double-byte code page.
extern "C" BOOL WINAPI IsDBCSLeadByteEx(UINT CodePage, BYTE TestChar) {
    switch (Resolve(CodePage)) {
        case Encoding::k932:
            return kxplat::kCp932IsLeadByte[TestChar] != 0 ? TRUE : FALSE;
        case Encoding::k1252:
        case Encoding::kUtf8:
            return FALSE;
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
    }
}

extern "C" int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                                          LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                                          BOOL* lpUsedDefaultChar) {
    if (lpWideCharStr == nullptr || cchWideChar == 0 || cbMultiByte < 0 ||
        (lpMultiByteStr == nullptr && cbMultiByte != 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const Encoding codePage = Resolve(CodePage);
    if (codePage == Encoding::kUnsupported) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // The platform documents that UTF-8 takes no default character.
    if (codePage == Encoding::kUtf8 && (lpDefaultChar != nullptr || lpUsedDefaultChar != nullptr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const DWORD allowed = codePage == Encoding::kUtf8 ? kWcErrInvalidChars | WC_NO_BEST_FIT_CHARS
                                                      : WC_NO_BEST_FIT_CHARS | kWcCompositeCheck |
                                                            kWcDiscardNonSpacing | kWcSepChars | kWcDefaultChar;
    if ((dwFlags & ~allowed) != 0) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    const int length = cchWideChar < 0 ? Wcslen16(lpWideCharStr) + 1 : cchWideChar;
    Sink<char> sink = {cbMultiByte == 0 ? nullptr : lpMultiByteStr, cbMultiByte, 0, false};
    if (codePage == Encoding::kUtf8) {
        if (!EncodeUtf8(lpWideCharStr, length, (dwFlags & kWcErrInvalidChars) != 0, &sink)) {
            SetLastError(ERROR_NO_UNICODE_TRANSLATION);
            return 0;
        }
    } else {
        bool usedDefault = false;
        EncodeAnsi(codePage, lpWideCharStr, length, lpDefaultChar, &usedDefault, &sink);
        if (lpUsedDefaultChar != nullptr) {
            *lpUsedDefaultChar = usedDefault ? TRUE : FALSE;
        }
    }
    if (sink.overflow) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    return sink.count;
}
