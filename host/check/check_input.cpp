#include "host/check/check_input.h"

#include <stdio.h>
#include <stdlib.h>

namespace {

constexpr int kEndOfText = 0x1A;  // text mode ends the input at this byte

uint8_t ClassOf(int byte) {
    return PpdCharClassTable[byte & 0xFF];
}

constexpr size_t LongestKeywordLength() {
    size_t longest = 0;
    for (const PpdKeywordRow& row : PpdKeywordTable) {
        size_t length = 0;
        while (row.keyword[length] != 0) {
            ++length;
        }
        longest = length > longest ? length : longest;
    }
    return longest;
}

constexpr size_t kLongestKeyword = LongestKeywordLength();

// Lead bytes of code page 932; the byte after one is its trail byte.
bool IsDoubleByteLead(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Two characters read as base-16 digits the way wcstol reads them.
char HexPair(char first, char second) {
    const char pair[3] = {first, second, 0};
    return static_cast<char>(strtol(pair, nullptr, 16) & 0xFF);
}

}  // namespace

TextModeInput ReadAsTextMode(const std::string& file) {
    TextModeInput input;
    input.bytes.reserve(file.size());
    for (size_t i = 0; i < file.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(file[i]);
        if (byte == kEndOfText) {
            for (size_t k = i + 1; k < file.size(); ++k) {
                const unsigned char rest = static_cast<unsigned char>(file[k]);
                if (ClassOf(rest) != kPpdCharBlank && rest != kEndOfText) {
                    input.cut = true;
                    break;
                }
            }
            break;
        }
        if (byte == '\r' && i + 1 < file.size() && file[i + 1] == '\n') {
            continue;  // CR LF is LF
        }
        input.bytes.push_back(static_cast<char>(byte));
    }
    return input;
}

int CheckTokenizer::Read() {
    if (position_ >= bytes_.size()) {
        return -1;
    }
    const int byte = static_cast<unsigned char>(bytes_[position_++]);
    byteLine_ = line_;
    if (byte == '\n' || byte == '\r') {
        ++line_;
    }
    return byte;
}

bool CheckTokenizer::Next(CheckToken* token, bool allowBlanks) {
    std::string& text = token->text;
    text.clear();
    // Blanks and comments; a comment is "%" or "*%" where a token would begin.
    bool inComment = false;
    int byte;
    for (;;) {
        byte = Read();
        if (byte < 0) {
            return false;
        }
        if (inComment) {
            inComment = byte != '\n' && byte != '\r';
            continue;
        }
        if (byte == '*') {
            if (Peek() == '%') {
                Read();
                inComment = true;
                continue;
            }
            break;
        }
        if (byte == '%') {
            inComment = true;
            continue;
        }
        if (ClassOf(byte) != kPpdCharBlank) {
            break;
        }
    }
    token->line = byteLine_;
    const bool quoted = byte == '"';
    if (!quoted) {
        text.push_back(static_cast<char>(byte));
    }
    for (;;) {
        byte = Read();
        if (byte < 0) {
            break;
        }
        if (quoted) {
            if (byte == '"') {
                break;
            }
        } else if (ClassOf(byte) != kPpdCharToken) {
            // A keyword/translation keeps its blanks, and a double quote
            // after its first byte.
            const bool kept = allowBlanks && (byte == '\t' || byte == ' ' || byte == '"');
            if (!kept) {
                break;
            }
        }
        if (text.size() == kCheckTokenLimit) {
            break;  // the byte just read is dropped
        }
        text.push_back(static_cast<char>(byte));
    }
    const size_t zero = text.find('\0');
    if (zero != std::string::npos) {
        text.resize(zero);
    }
    return true;
}

int32_t StatementCode(const std::string& token) {
    if (token.size() > kLongestKeyword) {
        return kPpdNoStatement;
    }
    WCHAR units[kLongestKeyword + 1];
    for (size_t i = 0; i < token.size(); ++i) {
        units[i] = static_cast<unsigned char>(token[i]);
    }
    units[token.size()] = 0;
    return ClassifyKeyword(units);
}

std::string KeywordBytes(const WCHAR* units) {
    std::string bytes;
    for (; *units != 0; ++units) {
        bytes.push_back(static_cast<char>(*units & 0xFF));
    }
    return bytes;
}

KeywordTranslation SplitKeywordTranslation(const std::string& token) {
    std::string segment;
    size_t units = 0;
    std::string keywordSegment;
    size_t keywordUnits = 0;
    bool slashSeen = false;
    bool hex = false;
    bool digitPending = false;
    char pendingDigit = 0;
    auto append = [&](char unit) {
        if (segment.size() < kCheckSegmentCapacity) {
            segment.push_back(unit);
        }
        ++units;
    };
    for (char c : token) {
        if (c == '/' && !slashSeen) {
            slashSeen = true;
            keywordSegment = segment;
            keywordUnits = units;
            segment.clear();
            units = 0;
        } else if (c == '<') {
            hex = true;
            digitPending = false;
        } else if (c == '>') {
            hex = false;
        } else if (!hex) {
            append(c);
        } else if (!digitPending) {
            pendingDigit = c;
            digitPending = true;
        } else {
            append(HexPair(pendingDigit, c));
            digitPending = false;
        }
    }
    // A text ends at its first zero byte.
    auto text = [](const std::string& bytes) { return bytes.substr(0, bytes.find('\0')); };
    KeywordTranslation result;
    result.keyword = text(keywordSegment);
    result.keywordSegment = keywordSegment;
    result.keywordUnits = keywordUnits;
    if (result.keyword.empty()) {
        result.keyword = text(segment);
        result.keywordSegment = segment;
        result.keywordUnits = units;
        result.oneSegment = true;
    }
    result.translation = text(!segment.empty() && segment[0] == '*' ? segment.substr(1) : segment);
    result.translationSegment = segment;
    result.translationUnits = units;
    return result;
}

const char kCheckDoubleByteEncoding[] = "JIS83-RKSJ";

size_t CharacterCount(const std::string& bytes, bool doubleByte) {
    size_t count = 0;
    for (size_t i = 0; i < bytes.size(); ++count) {
        const bool lead = IsDoubleByteLead(static_cast<unsigned char>(bytes[i]));
        i += doubleByte && lead && i + 1 < bytes.size() ? 2 : 1;
    }
    return count;
}

size_t KeptSegmentUnits(const std::string& stored, bool doubleByte) {
    size_t next = 0;  // where the next character starts
    while (doubleByte && next < stored.size()) {
        next += IsDoubleByteLead(static_cast<unsigned char>(stored[next])) ? 2 : 1;
    }
    return next > stored.size() ? stored.size() - 1 : stored.size();
}

std::string Shown(const std::string& text) {
    constexpr size_t kShownLimit = 48;
    std::string shown;
    for (size_t i = 0; i < text.size(); ++i) {
        if (i == kShownLimit) {
            shown += "...";
            break;
        }
        const unsigned char byte = static_cast<unsigned char>(text[i]);
        if (byte >= 32 && byte < 127) {
            shown += static_cast<char>(byte);
        } else {
            char escape[8];
            snprintf(escape, sizeof(escape), "\\x%02X", byte);
            shown += escape;
        }
    }
    return shown;
}
