#include "host/common/json_writer.h"

#include <stdio.h>

namespace {

const char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

void AppendEscaped(unsigned char byte, std::string* out) {
    switch (byte) {
        case '"':
            *out += "\\\"";
            return;
        case '\\':
            *out += "\\\\";
            return;
        case '\b':
            *out += "\\b";
            return;
        case '\f':
            *out += "\\f";
            return;
        case '\n':
            *out += "\\n";
            return;
        case '\r':
            *out += "\\r";
            return;
        case '\t':
            *out += "\\t";
            return;
        default:
            break;
    }
    if (byte < 0x20 || byte == 0x7F) {
        char escape[8];
        snprintf(escape, sizeof(escape), "\\u%04x", static_cast<unsigned>(byte));
        *out += escape;
        return;
    }
    out->push_back(static_cast<char>(byte));
}

// Length of the well-formed UTF-8 sequence at text[i] (lead byte 0x80 or
// above), or 0 when there is none; *prefix is then the count of bytes that
// began one and are replaced together.
size_t SequenceLength(const std::string& text, size_t i, size_t* prefix) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    size_t length = 0;
    unsigned char low = 0x80;  // allowed range of the second byte
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;   // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;  // nothing above U+10FFFF
    }
    *prefix = 1;
    if (length == 0) {
        return 0;
    }
    for (size_t k = 1; k < length; ++k) {
        if (i + k >= text.size()) {
            return 0;
        }
        const unsigned char byte = static_cast<unsigned char>(text[i + k]);
        const unsigned char min = k == 1 ? low : 0x80;
        const unsigned char max = k == 1 ? high : 0xBF;
        if (byte < min || byte > max) {
            return 0;
        }
        *prefix = k + 1;
    }
    return length;
}

void AppendCodePoint(unsigned codePoint, std::string* out) {
    if (codePoint < 0x80) {
        AppendEscaped(static_cast<unsigned char>(codePoint), out);
    } else if (codePoint < 0x800) {
        out->push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
        out->push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else if (codePoint < 0x10000) {
        out->push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
        out->push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else {
        out->push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
        out->push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    }
}

}  // namespace

std::string JsonQuote(const std::string& utf8) {
    std::string out = "\"";
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char byte = static_cast<unsigned char>(utf8[i]);
        if (byte < 0x80) {
            AppendEscaped(byte, &out);
            ++i;
            continue;
        }
        size_t prefix = 1;
        const size_t length = SequenceLength(utf8, i, &prefix);
        if (length == 0) {
            out += kReplacement;
            i += prefix;
        } else {
            out.append(utf8, i, length);
            i += length;
        }
    }
    out += "\"";
    return out;
}

std::string JsonQuote(const WCHAR* utf16) {
    std::string out = "\"";
    for (size_t i = 0; utf16 != nullptr && utf16[i] != 0; ++i) {
        unsigned codePoint = static_cast<unsigned>(utf16[i]);
        const unsigned next = static_cast<unsigned>(utf16[i + 1]);
        if (codePoint >= 0xD800 && codePoint < 0xDC00 && next >= 0xDC00 && next < 0xE000) {
            codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (next - 0xDC00);
            ++i;
        } else if (codePoint >= 0xD800 && codePoint < 0xE000) {
            codePoint = 0xFFFD;
        }
        AppendCodePoint(codePoint, &out);
    }
    out += "\"";
    return out;
}

void JsonWriter::NewLine(size_t depth) {
    text += '\n';
    text.append(2 * depth, ' ');
}

void JsonWriter::BeforeValue() {
    if (afterKey) {
        afterKey = false;
        return;
    }
    if (levels.empty()) {
        return;
    }
    Level& level = levels.back();
    if (!level.empty) {
        text += ',';
        if (level.inlined) {
            text += ' ';
        }
    }
    if (!level.inlined) {
        NewLine(levels.size());
    }
    level.empty = false;
}

void JsonWriter::Key(const char* name) {
    BeforeValue();
    text += JsonQuote(std::string(name));
    text += ": ";
    afterKey = true;
}

void JsonWriter::Open(char open, bool inlined) {
    BeforeValue();
    const bool outerInlined = !levels.empty() && levels.back().inlined;
    text += open;
    levels.push_back({open == '{' ? '}' : ']', inlined || outerInlined, true});
}

void JsonWriter::Close() {
    if (levels.empty()) {
        return;
    }
    const Level level = levels.back();
    levels.pop_back();
    if (!level.empty && !level.inlined) {
        NewLine(levels.size());
    }
    text += level.close;
    if (levels.empty()) {
        text += '\n';
    }
}

void JsonWriter::String(const std::string& utf8) {
    BeforeValue();
    text += JsonQuote(utf8);
}

void JsonWriter::String(const WCHAR* utf16) {
    BeforeValue();
    text += JsonQuote(utf16);
}

void JsonWriter::Int(int64_t value) {
    BeforeValue();
    text += std::to_string(static_cast<long long>(value));
}

void JsonWriter::Bool(bool value) {
    BeforeValue();
    text += value ? "true" : "false";
}

void JsonWriter::Null() {
    BeforeValue();
    text += "null";
}
