#include "ppd/ppd_alloc.h"

#include <stdlib.h>
#include <string.h>

#if KX_PPD_ALLOCATION_HOOKS

namespace {

// A host may read the PPDs of two printers on two threads: each thread keeps
// its own counts and its own failure.
thread_local int64_t failOrdinal = -1;
thread_local int64_t attempts = 0;
thread_local int64_t live = 0;

}  // namespace

void PpdFailAllocation(int64_t ordinal) {
    failOrdinal = ordinal;
    attempts = 0;
}

int64_t PpdAllocationAttempts() {
    return attempts;
}

int64_t PpdLiveAllocations() {
    return live;
}

bool PpdAllocationAllowed() {
    return attempts++ != failOrdinal;
}

void PpdCountAllocation(const void* block) {
    if (block != nullptr) {
        ++live;
    }
}

void PpdCountRelease(const void* block) {
    if (block != nullptr) {
        --live;
    }
}

#else

bool PpdAllocationAllowed() {
    return true;
}

void PpdCountAllocation(const void*) {}

void PpdCountRelease(const void*) {}

#endif

void* PpdAllocBlock(size_t bytes) {
    if (!PpdAllocationAllowed()) {
        return nullptr;
    }
    void* block = malloc(bytes != 0 ? bytes : 1);
    PpdCountAllocation(block);
    return block;
}

void PpdFreeBlock(void* block) {
    PpdCountRelease(block);
    free(block);
}

bool PpdGrowBlock(void** block, int32_t* capacity, int32_t count, size_t elementSize) {
    if (*block == nullptr || count < *capacity) {
        return *block != nullptr;
    }
    if (*capacity <= 0 || *capacity > INT32_MAX / 2 || !PpdAllocationAllowed()) {
        return false;
    }
    const int32_t doubled = *capacity * 2;
    void* grown = realloc(*block, elementSize * static_cast<size_t>(doubled));
    if (grown == nullptr) {
        return false;
    }
    *block = grown;
    *capacity = doubled;
    return true;
}

WCHAR* PpdNewUnits(size_t count) {
    if (!PpdAllocationAllowed()) {
        return nullptr;
    }
    WCHAR* units = new (std::nothrow) WCHAR[count != 0 ? count : 1];
    PpdCountAllocation(units);
    return units;
}

WCHAR* PpdNewString(const WCHAR* source, int32_t length) {
    if (source == nullptr || length < 0) {
        return nullptr;
    }
    WCHAR* copy = PpdNewUnits(static_cast<size_t>(length) + 1);
    if (copy != nullptr) {
        memcpy(copy, source, sizeof(WCHAR) * static_cast<size_t>(length));
        copy[length] = 0;
    }
    return copy;
}

void PpdDeleteUnits(WCHAR* units) {
    PpdCountRelease(units);
    delete[] units;
}
