#include "tests/platform/dump/conversion_dump.h"

#include <stdio.h>

#include "platform/platform.h"

namespace {

const DWORD kPoison = 0xdeadbeef;

void Append(std::string& out, const char* format, unsigned a, unsigned b = 0) {
    char text[64];
    snprintf(text, sizeof(text), format, a, b);
    out += text;
}

// One line per (input, flags): the size query, the conversion into an ample
// buffer, the last error after each and the units produced.
void DumpToWide(std::string& out, UINT codePage, const char* bytes, int length, int shownLength) {
    const DWORD flagSets[] = {0, MB_ERR_INVALID_CHARS};
    for (DWORD flags : flagSets) {
        Append(out, "M %u %x", codePage, flags);
        Append(out, " %d ", static_cast<unsigned>(length));
        for (int i = 0; i < shownLength; ++i) {
            Append(out, "%02x", static_cast<unsigned char>(bytes[i]));
        }
        SetLastError(kPoison);
        const int query = MultiByteToWideChar(codePage, flags, bytes, length, nullptr, 0);
        Append(out, " : %d %x", static_cast<unsigned>(query), GetLastError());
        WCHAR wide[16];
        for (WCHAR& unit : wide) {
            unit = 0xAAAA;
        }
        SetLastError(kPoison);
        const int written = MultiByteToWideChar(codePage, flags, bytes, length, wide, 16);
        Append(out, " | %d %x |", static_cast<unsigned>(written), GetLastError());
        for (int i = 0; i < written && i < 16; ++i) {
            Append(out, " %04x", wide[i]);
        }
        // One unit short: the result, the error and what was written anyway.
        if (query > 1 && query <= 16) {
            for (WCHAR& unit : wide) {
                unit = 0xAAAA;
            }
            SetLastError(kPoison);
            const int shortWritten = MultiByteToWideChar(codePage, flags, bytes, length, wide, query - 1);
            Append(out, " | short %d %x |", static_cast<unsigned>(shortWritten), GetLastError());
            for (int i = 0; i < query - 1; ++i) {
                Append(out, " %04x", wide[i]);
            }
        }
        out += '\n';
    }
}

void DumpToBytes(std::string& out, UINT codePage, const WCHAR* units, int length) {
    const DWORD flagSets[] = {0, WC_NO_BEST_FIT_CHARS};
    for (DWORD flags : flagSets) {
        Append(out, "W %u %x", codePage, flags);
        for (int i = 0; i < length; ++i) {
            Append(out, " %04x", units[i]);
        }
        BOOL usedDefault = 7;
        BOOL* usedDefaultOut = codePage == CP_UTF8 ? nullptr : &usedDefault;
        SetLastError(kPoison);
        const int query = WideCharToMultiByte(codePage, flags, units, length, nullptr, 0, nullptr, nullptr);
        Append(out, " : %d %x", static_cast<unsigned>(query), GetLastError());
        char bytes[16];
        SetLastError(kPoison);
        const int written = WideCharToMultiByte(codePage, flags, units, length, bytes, 16, nullptr, usedDefaultOut);
        Append(out, " | %d %x |", static_cast<unsigned>(written), GetLastError());
        Append(out, "%d |", static_cast<unsigned>(usedDefault));
        for (int i = 0; i < written && i < 16; ++i) {
            Append(out, " %02x", static_cast<unsigned char>(bytes[i]));
        }
        if (query > 1 && query <= 16) {
            for (char& byte : bytes) {
                byte = '\x55';
            }
            SetLastError(kPoison);
            const int shortWritten =
                WideCharToMultiByte(codePage, flags, units, length, bytes, query - 1, nullptr, nullptr);
            Append(out, " | short %d %x |", static_cast<unsigned>(shortWritten), GetLastError());
            for (int i = 0; i < query - 1; ++i) {
                Append(out, " %02x", static_cast<unsigned char>(bytes[i]));
            }
        }
        out += '\n';
    }
}

// UTF-8 inputs whose handling differs between decoders: truncated,
// overlong, surrogate and out-of-range sequences, and stray continuation
// bytes.
const char* const kUtf8Cases[] = {
    "A",
    "\xC3\xA9",
    "\xE3\x81\x82",
    "\xF0\x9F\x98\x80",
    "\x80",
    "\xBF\x41",
    "\xC3",
    "\xC3\x41",
    "\xC0\x80",
    "\xC1\xBF",
    "\xE0\x80\x80",
    "\xE0\x9F\xBF",
    "\xE3\x81",
    "\xE3\x81\x41",
    "\xED\xA0\x80",
    "\xED\xBF\xBF",
    "\xEF\xBF\xBF",
    "\xEF\xBB\xBF\x41",
    "\xF0\x8F\xBF\xBF",
    "\xF0\x9F\x98",
    "\xF0\x9F\x41",
    "\xF4\x8F\xBF\xBF",
    "\xF4\x90\x80\x80",
    "\xF5\x80\x80\x80",
    "\xF8\x88\x80\x80\x80",
    "\xFE\xFF",
    "\xFF",
    "a\xE3\x81\xC3\xA9",
    "\xE3\x41",
    "\xF0\x41\x42",
    "\xF0\x9F\x98\x41",
    "\xE3\x81\x41\x42",
    "\xC3\x80\x80",
    "\xED\x9F\xBF",
    "\xEE\x80\x80",
};

const WCHAR kLoneHigh[] = {0xD83D};
const WCHAR kLoneLow[] = {0xDE00};
const WCHAR kPair[] = {0xD83D, 0xDE00};
const WCHAR kHighThenLetter[] = {0xD83D, 0x41};
const WCHAR kLowThenHigh[] = {0xDE00, 0xD83D, 0x41};
struct WideCase {
    const WCHAR* units;
    int length;
};
const WideCase kWideCases[] = {
    {kLoneHigh, 1}, {kLoneLow, 1}, {kPair, 2}, {kHighThenLetter, 2}, {kLowThenHigh, 3},
};

}  // namespace

std::string ConversionDump() {
    std::string out;
    out.reserve(16 << 20);
    char bytes[4];
    for (unsigned b = 0; b < 256; ++b) {
        bytes[0] = static_cast<char>(b);
        DumpToWide(out, 1252, bytes, 1, 1);
        DumpToWide(out, 932, bytes, 1, 1);
    }
    // Every pair whose first byte has the high bit set covers each lead byte
    // with each trail byte; a lead byte last in the input, and one followed
    // by the terminator of a -1 length, cover the lone lead byte.
    for (unsigned lead = 0x80; lead < 256; ++lead) {
        bytes[0] = static_cast<char>(lead);
        for (unsigned trail = 0; trail < 256; ++trail) {
            bytes[1] = static_cast<char>(trail);
            DumpToWide(out, 932, bytes, 2, 2);
        }
        bytes[1] = '\0';
        DumpToWide(out, 932, bytes, -1, 2);
        bytes[0] = 'A';
        bytes[1] = static_cast<char>(lead);
        DumpToWide(out, 932, bytes, 2, 2);
        bytes[2] = 'B';
        DumpToWide(out, 932, bytes, 3, 3);
    }
    for (const char* text : kUtf8Cases) {
        int length = 0;
        while (text[length] != '\0') {
            ++length;
        }
        DumpToWide(out, CP_UTF8, text, length, length);
        DumpToWide(out, CP_UTF8, text, -1, length + 1);
    }
    const UINT codePages[] = {1252, 932, CP_UTF8};
    for (UINT codePage : codePages) {
        for (unsigned b = 0; b < 256; ++b) {
            SetLastError(kPoison);
            const BOOL lead = IsDBCSLeadByteEx(codePage, static_cast<BYTE>(b));
            Append(out, "D %u %02x", codePage, b);
            Append(out, " : %d %x\n", static_cast<unsigned>(lead), GetLastError());
        }
        for (unsigned u = 0; u < 0x10000; ++u) {
            const WCHAR unit = static_cast<WCHAR>(u);
            DumpToBytes(out, codePage, &unit, 1);
        }
        for (const WideCase& c : kWideCases) {
            DumpToBytes(out, codePage, c.units, c.length);
        }
    }
    // msvcrt's idea of digits and leading blanks, for wcstol and _wtoi.
    for (unsigned u = 1; u < 0x10000; ++u) {
        const WCHAR digit[] = {static_cast<WCHAR>(u), 0};
        WCHAR* end = nullptr;
        const long value = wcstol(digit, &end, 36);
        const WCHAR blank[] = {static_cast<WCHAR>(u), u'1', 0};
        WCHAR* blankEnd = nullptr;
        wcstol(blank, &blankEnd, 10);
        if (end != digit || blankEnd != blank) {
            Append(out, "L %04x : digit %d", u, static_cast<unsigned>(end == digit ? -1 : value));
            Append(out, " blank %d\n", static_cast<unsigned>(blankEnd == blank + 2));
        }
    }
    return out;
}
