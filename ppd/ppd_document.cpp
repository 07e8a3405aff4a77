#include "ppd/ppd_document.h"

#include <string.h>

#include "customize/constraints.h"
#include "ppd/ppd_alloc.h"
#include "ppd/ppd_index.h"

namespace {

bool IsHighSurrogate(WCHAR unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

}  // namespace

int32_t PpdText::Assign(const WCHAR* source) {
    Clear();
    if (source == nullptr) {
        return 0;
    }
    // Bytes below 0x80 are the same characters in every ANSI code page, so
    // a text of them alone (most PPD texts) is copied as it stands; the
    // first other byte hands the whole text to the conversion.
    int32_t ascii = 0;
    while (ascii < kPpdTextCapacity - 1) {
        const WCHAR byte = static_cast<WCHAR>(source[ascii] & 0xFF);
        if (byte == 0 || byte >= 0x80) {
            break;
        }
        chars[ascii++] = byte;
    }
    if (ascii == kPpdTextCapacity - 1 || (source[ascii] & 0xFF) == 0) {
        chars[ascii] = 0;
        length = ascii;
        return length;
    }
    // Only the first bytes can reach the text, so a bounded prefix is
    // converted on the stack and never needs an allocation that could fail.
    char bytes[kPpdAssignByteLimit + 1];
    int32_t count = 0;
    while (count < kPpdAssignByteLimit && (source[count] & 0xFF) != 0) {
        bytes[count] = static_cast<char>(source[count] & 0xFF);
        ++count;
    }
    bytes[count] = '\0';
    if (count == 0) {
        return 0;
    }
    // No code page makes more than one unit of one byte.
    WCHAR converted[kPpdAssignByteLimit + 1];
    int32_t written = MultiByteToWideChar(CP_ACP, 0, bytes, count, converted, kPpdAssignByteLimit + 1);
    if (written <= 0) {
        return 0;
    }
    // A double-byte character is one unit, so keeping whole units never
    // splits one; only a surrogate pair could be cut here.
    if (written > kPpdTextCapacity - 1) {
        written = kPpdTextCapacity - 1;
        if (IsHighSurrogate(converted[written - 1])) {
            --written;
        }
    }
    memcpy(chars, converted, sizeof(WCHAR) * static_cast<size_t>(written));
    chars[written] = 0;
    length = written;
    return length;
}

int32_t PpdText::AssignWide(const WCHAR* text) {
    Clear();
    if (text == nullptr) {
        return 0;
    }
    int32_t count = 0;
    while (count < kPpdTextCapacity - 1 && text[count] != 0) {
        chars[count] = text[count];
        ++count;
    }
    if (count == kPpdTextCapacity - 1 && text[count] != 0 && IsHighSurrogate(chars[count - 1])) {
        --count;
    }
    chars[count] = 0;
    length = count;
    return length;
}

bool PpdText::Equals(const WCHAR* text) const {
    if (text == nullptr) {
        return false;
    }
    for (int32_t i = 0; i < kPpdTextCapacity; ++i) {
        if (chars[i] != text[i]) {
            return false;
        }
        if (chars[i] == 0) {
            return true;
        }
    }
    return false;
}

PpdDocument::~PpdDocument() {
    for (int32_t i = 0; i < featureCount; ++i) {
        PpdFeature* feature = features[i];
        PpdDeleteUnits(feature->queryCode);
        if (feature->options != nullptr) {
            for (int32_t j = 0; j < feature->optionCount; ++j) {
                PpdDeleteUnits(feature->options[j]->invocation);
                PpdDeleteRecord(feature->options[j]);
            }
            PpdFreeBlock(feature->options);
        }
        PpdDeleteRecord(feature);
    }
    PpdFreeBlock(features);
    for (int32_t i = 0; i < constraintCount; ++i) {
        PpdDeleteRecord(constraints[i]);
    }
    PpdFreeBlock(constraints);
    for (int32_t i = 0; i < installableCount; ++i) {
        PpdDeleteRecord(installables[i]);
    }
    PpdFreeBlock(installables);
    ReleaseConstraintIndex(constraintIndex);
    ReleaseTextIndex(textIndex);
}
