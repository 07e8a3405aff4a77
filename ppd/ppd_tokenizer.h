// The PPD byte source and tokenizer. Bytes are widened one to one into UTF-16
// units and nothing is decoded here: decoding happens when a token is stored
// into a PpdText.
#pragma once

#include <stdint.h>

#include "platform/platform.h"

// The token buffer, in UTF-16 units: a token of up to 1,048,575 bytes and its
// terminator.
constexpr int32_t kPpdTokenCapacity = 1048576;

typedef int32_t (*PpdReadCallback)(void* userData);

// The byte source: one callback call per byte, with one byte of push-back.
class PpdTokenReader {
  public:
    PpdTokenReader() : readCallback(nullptr), pushBack(-1), userData(nullptr) {}
    PpdTokenReader(const PpdTokenReader&) = delete;
    PpdTokenReader& operator=(const PpdTokenReader&) = delete;
    virtual ~PpdTokenReader() {}

    // The byte waiting in pushBack, else the callback's next byte; -1 at end.
    // Inline: the tokenizer calls it for every byte of the file.
    int32_t ReadByte() {
        if (pushBack >= 0) {
            const int32_t byte = pushBack;
            pushBack = -1;
            return byte;
        }
        return readCallback != nullptr ? readCallback(userData) : -1;
    }

    PpdReadCallback readCallback;  // the next byte (0 to 255), or -1 at end of input
    int32_t pushBack;              // a byte to be read again, or -1
    void* userData;                // handed to readCallback; for a PPD file, its FILE*
};

// The document's read callback: fgetc on the FILE* in userData; -1 at end of
// file, on a read error, and for a null stream.
int32_t ReadFileByte(void* userData);

// Character classes, indexed by the low 8 bits of a byte.
constexpr uint8_t kPpdCharToken = 0;
constexpr uint8_t kPpdCharBlank = 1;      // NUL, TAB, LF, FF, CR, SPACE
constexpr uint8_t kPpdCharDelimiter = 2;  // double quote, colon
extern const uint8_t PpdCharClassTable[256];

// Reads the next token into buffer (capacity units, terminator included).
// False at end of input before any token byte, with buffer[0] and *length 0.
// allowBlanks keeps TAB, SPACE and a double quote inside a bare token.
bool NextToken(PpdTokenReader* reader, WCHAR* buffer, int32_t capacity, int32_t* length, bool allowBlanks);
