#include "host/common/text.h"

#include <stdarg.h>
#include <stdio.h>

void AppendFormat(std::string* out, const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = vsnprintf(nullptr, 0, format, args);
    va_end(args);
    if (length > 0) {
        std::string text(static_cast<size_t>(length) + 1, '\0');
        vsnprintf(&text[0], text.size(), format, again);
        out->append(text, 0, static_cast<size_t>(length));
    }
    va_end(again);
}

std::u16string Utf8ToUtf16(const std::string& text) {
    std::u16string wide;
    for (size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        unsigned codePoint = 0xFFFD;
        size_t length = 1;
        if (lead < 0x80) {
            codePoint = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
        }
        if (length > 1) {
            if (i + length > text.size()) {
                length = 1;
            } else {
                codePoint = lead & (0x7F >> length);
                for (size_t k = 1; k < length; ++k) {
                    const unsigned char trail = static_cast<unsigned char>(text[i + k]);
                    if ((trail & 0xC0) != 0x80) {
                        codePoint = 0xFFFD;
                        length = 1;
                        break;
                    }
                    codePoint = (codePoint << 6) | (trail & 0x3F);
                }
            }
        }
        i += length;
        if (codePoint >= 0x10000) {
            codePoint -= 0x10000;
            wide.push_back(static_cast<char16_t>(0xD800 + (codePoint >> 10)));
            wide.push_back(static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF)));
        } else {
            wide.push_back(static_cast<char16_t>(codePoint));
        }
    }
    return wide;
}

std::string Utf16ToUtf8(const WCHAR* text) {
    std::string narrow;
    if (text == nullptr) {
        return narrow;
    }
    for (size_t i = 0; text[i] != 0; ++i) {
        unsigned codePoint = static_cast<unsigned>(text[i]);
        if (codePoint >= 0xD800 && codePoint < 0xDC00 && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (static_cast<unsigned>(text[i + 1]) - 0xDC00);
            ++i;
        } else if (codePoint >= 0xD800 && codePoint < 0xE000) {
            codePoint = 0xFFFD;
        }
        if (codePoint < 0x80) {
            narrow.push_back(static_cast<char>(codePoint));
        } else if (codePoint < 0x800) {
            narrow.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
            narrow.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
        } else if (codePoint < 0x10000) {
            narrow.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
            narrow.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
            narrow.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
        } else {
            narrow.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
            narrow.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
            narrow.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
            narrow.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
        }
    }
    return narrow;
}

std::string Utf16ToUtf8(const std::u16string& text) {
    return Utf16ToUtf8(AsWide(text));
}

std::u16string BytesToUtf16(const std::string& bytes, UINT codePage) {
    if (bytes.empty()) {
        return std::u16string();
    }
    const int size = static_cast<int>(bytes.size());
    const int units = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    if (units <= 0) {
        return std::u16string();
    }
    std::u16string wide(static_cast<size_t>(units), u'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), size, AsWide(&wide), units);
    return wide;
}

std::u16string ArgumentToUtf16(const std::string& argument) {
    return BytesToUtf16(argument, KX_ARGV_CODEPAGE);
}

std::string Utf16ToArgument(const std::u16string& text) {
    if (text.empty()) {
        return std::string();
    }
    const int size = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(KX_ARGV_CODEPAGE, 0, AsWide(text), size, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) {
        return std::string();
    }
    std::string narrow(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(KX_ARGV_CODEPAGE, 0, AsWide(text), size, &narrow[0], bytes, nullptr, nullptr);
    return narrow;
}
