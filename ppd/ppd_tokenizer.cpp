#include "ppd/ppd_tokenizer.h"

#include <stdio.h>

namespace {

constexpr int32_t kEndOfInput = -1;
constexpr int32_t kTab = 9;
constexpr int32_t kLineFeed = 10;
constexpr int32_t kCarriageReturn = 13;
constexpr int32_t kSpace = 32;
constexpr int32_t kDoubleQuote = 34;
constexpr int32_t kPercent = 37;
constexpr int32_t kAsterisk = 42;

uint8_t ClassOf(int32_t byte) {
    return PpdCharClassTable[byte & 0xFF];
}

int32_t NoMoreBytes(void*) {
    return kEndOfInput;
}

}  // namespace

// clang-format off
const uint8_t PpdCharClassTable[256] = {
    // NUL, TAB, LF, FF and CR are blanks; VT (11) is not.
    1, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 1, 1, 0, 0,  // 0x00
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 0x10
    1, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 0x20: SPACE, double quote
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0,  // 0x30: colon
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 0x40
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 0x50
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 0x60
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 0x70
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 0x80
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 0x90
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 0xA0
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 0xB0
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 0xC0
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 0xD0
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 0xE0
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 0xF0
};
// clang-format on

int32_t ReadFileByte(void* userData) {
    FILE* stream = static_cast<FILE*>(userData);
    if (stream == nullptr) {
        return kEndOfInput;
    }
    // While it is read the stream is the document's alone, so no lock is
    // taken per byte; the bytes are those fgetc would return.
    const int byte = _fgetc_nolock(stream);
    return byte == EOF ? kEndOfInput : byte;
}

bool NextToken(PpdTokenReader* reader, WCHAR* buffer, int32_t capacity, int32_t* length, bool allowBlanks) {
    *length = 0;
    if (capacity < 2) {
        if (capacity == 1) {
            buffer[0] = 0;
        }
        return false;
    }
    buffer[0] = 0;

    // Skip phase: blanks and comments until the first byte of a token.
    bool inComment = false;
    int32_t byte;
    for (;;) {
        byte = reader->ReadByte();
        if (byte == kEndOfInput) {
            return false;
        }
        if (inComment) {
            if (byte == kLineFeed || byte == kCarriageReturn) {
                inComment = false;
            }
            continue;
        }
        if (byte == kAsterisk) {
            // "*%" opens a comment where a token would begin; any other "*"
            // begins the token, its next byte waiting in pushBack.
            reader->pushBack = reader->readCallback != nullptr ? reader->readCallback(reader->userData) : kEndOfInput;
            if (reader->pushBack == kPercent) {
                reader->ReadByte();
                inComment = true;
                continue;
            }
            break;
        }
        if (byte == kPercent) {
            inComment = true;
            continue;
        }
        if (ClassOf(byte) != kPpdCharBlank) {
            break;
        }
    }

    const int32_t limit = capacity - 1;
    const bool quoted = byte == kDoubleQuote;
    int32_t count = 0;
    if (!quoted) {
        buffer[count++] = static_cast<WCHAR>(byte);  // stored whatever its class
    }
    // The first byte may be the one waiting in pushBack; every later one
    // comes straight from the callback, still one call per byte.
    const PpdReadCallback read = reader->readCallback != nullptr ? reader->readCallback : NoMoreBytes;
    void* const userData = reader->userData;
    for (byte = reader->ReadByte(); byte != kEndOfInput; byte = read(userData)) {
        if (quoted) {
            if (byte == kDoubleQuote) {
                break;
            }
        } else if (ClassOf(byte) != kPpdCharToken) {
            // A translation may hold blanks, and a double quote such as the
            // inch mark of "11 x 17\"", when the token did not open with one.
            const bool kept = allowBlanks && (byte == kTab || byte == kSpace || byte == kDoubleQuote);
            if (!kept) {
                break;  // the terminator is consumed
            }
        }
        if (count == limit) {
            break;  // full: the byte just read is dropped
        }
        buffer[count++] = static_cast<WCHAR>(byte);
    }
    buffer[count] = 0;
    *length = count;
    return true;
}
