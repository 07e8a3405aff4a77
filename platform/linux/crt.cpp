// Wide C runtime routines over 16-bit WCHAR, and _wfopen with msvcrt's text
// mode: reading turns CR LF into LF and stops at a 0x1A byte, writing turns
// LF into CR LF. glibc's own wide routines work on 32-bit wchar_t and so
// cannot serve.
#include <errno.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <new>
#include <string>

#include "platform/linux/internal.h"
#include "platform/platform.h"

namespace kxplat {

std::string Utf16ToUtf8(const WCHAR* text) {
    std::string out;
    if (text == nullptr) {
        return out;
    }
    for (size_t i = 0; text[i] != 0; ++i) {
        uint32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::basic_string<WCHAR> Utf8ToUtf16(const std::string& text) {
    const int size = static_cast<int>(text.size());
    const int units = size == 0 ? 0 : MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::basic_string<WCHAR> wide(static_cast<size_t>(units > 0 ? units : 0), 0);
    if (units > 0) {
        MultiByteToWideChar(CP_UTF8, 0, text.data(), size, &wide[0], units);
    }
    return wide;
}

}  // namespace kxplat

namespace {

const int kEndOfText = 0x1A;  // msvcrt's text-mode end of input

struct TextFile {
    FILE* file;
    bool ended;  // a 0x1A byte was read
};

// Whole blocks at a time, translated in place (translation only shortens
// them): the bytes up to a 0x1A, each CR LF made LF. A CR that ends a block
// looks at the file's next byte, as a CR in the middle looks at its
// neighbour.
ssize_t TextRead(void* cookie, char* buffer, size_t size) {
    TextFile* text = static_cast<TextFile*>(cookie);
    if (text->ended || size == 0) {
        return 0;
    }
    // The underlying file belongs to this cookie alone: the outer stream
    // already holds its own lock, so the inner reads need none.
    size_t count = fread_unlocked(buffer, 1, size, text->file);
    if (count == 0) {
        return ferror(text->file) ? -1 : 0;
    }
    if (const void* end = memchr(buffer, kEndOfText, count)) {
        count = static_cast<size_t>(static_cast<const char*>(end) - buffer);
        text->ended = true;
    }
    const void* carriageReturn = memchr(buffer, '\r', count);
    size_t out =
        carriageReturn != nullptr ? static_cast<size_t>(static_cast<const char*>(carriageReturn) - buffer) : count;
    size_t in = out;
    while (in < count) {
        // buffer[in] is a CR.
        ++in;
        if (in < count) {
            if (buffer[in] != '\n') {
                buffer[out++] = '\r';
            }
        } else if (text->ended) {
            buffer[out++] = '\r';  // the 0x1A that follows is no LF
        } else {
            const int next = getc_unlocked(text->file);
            if (next == '\n') {
                buffer[out++] = '\n';
            } else {
                if (next != EOF) {
                    ungetc(next, text->file);
                }
                buffer[out++] = '\r';
            }
        }
        const void* nextReturn = memchr(buffer + in, '\r', count - in);
        const size_t segmentEnd =
            nextReturn != nullptr ? static_cast<size_t>(static_cast<const char*>(nextReturn) - buffer) : count;
        memmove(buffer + out, buffer + in, segmentEnd - in);
        out += segmentEnd - in;
        in = segmentEnd;
    }
    return static_cast<ssize_t>(out);
}

ssize_t TextWrite(void* cookie, const char* buffer, size_t size) {
    TextFile* text = static_cast<TextFile*>(cookie);
    for (size_t i = 0; i < size; ++i) {
        if (buffer[i] == '\n' && putc('\r', text->file) == EOF) {
            return i == 0 ? -1 : static_cast<ssize_t>(i);
        }
        if (putc(buffer[i], text->file) == EOF) {
            return i == 0 ? -1 : static_cast<ssize_t>(i);
        }
    }
    return static_cast<ssize_t>(size);
}

int TextClose(void* cookie) {
    TextFile* text = static_cast<TextFile*>(cookie);
    const int result = fclose(text->file);
    delete text;
    return result;
}

}  // namespace

FILE* _wfopen(const WCHAR* filename, const WCHAR* mode) {
    if (filename == nullptr || mode == nullptr) {
        errno = EINVAL;
        return nullptr;
    }
    // msvcrt's mode: r, w or a, then any of +, b, t and flags of its own.
    const WCHAR access = mode[0];
    if (access != u'r' && access != u'w' && access != u'a') {
        errno = EINVAL;
        return nullptr;
    }
    bool update = false;
    bool binary = false;
    for (const WCHAR* m = mode + 1; *m != 0; ++m) {
        if (*m == u'+') {
            update = true;
        } else if (*m == u'b') {
            binary = true;
        } else if (*m == u',') {
            break;  // ccs=... encodings are not supported
        }
    }
    char plainMode[4] = {static_cast<char>(access), 0, 0, 0};
    if (update) {
        plainMode[1] = '+';
    }
    const std::string path = kxplat::Utf16ToUtf8(filename);
    FILE* file = fopen(path.c_str(), plainMode);
    // Updating text streams are rare enough to be served untranslated.
    if (file == nullptr || binary || update) {
        return file;
    }
    TextFile* text = new (std::nothrow) TextFile{file, false};
    if (text == nullptr) {
        fclose(file);
        errno = ENOMEM;
        return nullptr;
    }
    cookie_io_functions_t functions = {};
    if (access == u'r') {
        functions.read = TextRead;
    } else {
        functions.write = TextWrite;
    }
    functions.close = TextClose;
    char cookieMode[2] = {access == u'r' ? 'r' : 'w', 0};
    FILE* stream = fopencookie(text, cookieMode, functions);
    if (stream == nullptr) {
        TextClose(text);
    }
    return stream;
}

size_t wcslen(const WCHAR* s) {
    size_t length = 0;
    while (s[length] != 0) {
        ++length;
    }
    return length;
}

int wcscmp(const WCHAR* a, const WCHAR* b) {
    while (*a != 0 && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b ? 0 : (*a < *b ? -1 : 1);
}

int wcsncmp(const WCHAR* a, const WCHAR* b, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        if (a[i] != b[i]) {
            return a[i] < b[i] ? -1 : 1;
        }
        if (a[i] == 0) {
            return 0;
        }
    }
    return 0;
}

namespace {

// msvcrt's blanks: the control blanks and Unicode's space separators.
bool IsBlank(WCHAR c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) ||
           c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

// The zeros of the decimal digit sets msvcrt reads besides ASCII: Arabic-
// Indic, the Indic scripts, Thai, Lao, Tibetan, Myanmar, Khmer, Mongolian
// and the fullwidth forms.
const WCHAR kDigitZeros[] = {0x0660, 0x06F0, 0x0966, 0x09E6, 0x0A66, 0x0AE6, 0x0B66, 0x0C66, 0x0CE6,
                             0x0D66, 0x0E50, 0x0ED0, 0x0F20, 0x1040, 0x17E0, 0x1810, 0xFF10};

int DigitValue(WCHAR c) {
    if (c >= u'0' && c <= u'9') {
        return c - u'0';
    }
    if (c >= u'a' && c <= u'z') {
        return c - u'a' + 10;
    }
    if (c >= u'A' && c <= u'Z') {
        return c - u'A' + 10;
    }
    for (WCHAR zero : kDigitZeros) {
        if (c >= zero && c <= zero + 9) {
            return c - zero;
        }
    }
    return 99;
}

}  // namespace

// msvcrt's long is 32 bits; the result clamps to its range on overflow.
long wcstol(const WCHAR* s, WCHAR** end, int base) {
    const WCHAR* p = s;
    if (end != nullptr) {
        *end = const_cast<WCHAR*>(s);
    }
    if (base < 0 || base == 1 || base > 36) {
        errno = EINVAL;
        return 0;
    }
    while (IsBlank(*p)) {
        ++p;
    }
    bool negative = false;
    if (*p == u'-' || *p == u'+') {
        negative = *p == u'-';
        ++p;
    }
    // "0x" is taken as the prefix even when no hex digit follows; the input
    // then has no number at all.
    if ((base == 0 || base == 16) && p[0] == u'0' && (p[1] == u'x' || p[1] == u'X')) {
        p += 2;
        base = 16;
    }
    if (base == 0) {
        base = p[0] == u'0' ? 8 : 10;
    }
    const int64_t limit = negative ? -static_cast<int64_t>(INT32_MIN) : INT32_MAX;
    int64_t value = 0;
    bool overflow = false;
    bool any = false;
    for (; DigitValue(*p) < base; ++p) {
        any = true;
        value = value * base + DigitValue(*p);
        if (value > limit) {
            overflow = true;
            value = limit;
        }
    }
    if (!any) {
        return 0;
    }
    if (end != nullptr) {
        *end = const_cast<WCHAR*>(p);
    }
    if (overflow) {
        errno = ERANGE;
        return negative ? INT32_MIN : INT32_MAX;
    }
    return static_cast<long>(negative ? -value : value);
}

int _wtoi(const WCHAR* s) {
    return static_cast<int>(wcstol(s, nullptr, 10));
}

extern "C" int WINAPI lstrlenW(LPCWSTR lpString) {
    return lpString == nullptr ? 0 : static_cast<int>(wcslen(lpString));
}

extern "C" LPWSTR WINAPI lstrcpynW(LPWSTR lpString1, LPCWSTR lpString2, int iMaxLength) {
    LPWSTR d = lpString1;
    while (iMaxLength > 1 && *lpString2 != 0) {
        *d++ = *lpString2++;
        --iMaxLength;
    }
    if (iMaxLength > 0) {
        *d = 0;
    }
    return lpString1;
}
