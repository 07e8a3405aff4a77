// Every allocation and release of the PPD reader and of the constraint index
// goes through these few functions, so that a test can count them, make any
// one allocation fail, and then check that the document is still consistent
// and that nothing is left behind when it is destroyed.
//
// The counting and the failure hook exist only where ppd_alloc.cpp is
// compiled with KX_PPD_ALLOCATION_HOOKS (the kxppd_alloc_hooks objects that a
// test executable links in place of the library's own): the plug-in binary
// carries neither. Each thread counts its own allocations, so documents read
// on several threads at once share nothing here.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <new>

#include "platform/platform.h"

#if KX_PPD_ALLOCATION_HOOKS
// Test hook: this thread's allocation attempt with this ordinal, counted from
// 0 at this call, fails; -1 lets every attempt through. Attempts are counted
// either way.
void PpdFailAllocation(int64_t ordinal);
// This thread's allocation attempts since its last PpdFailAllocation call.
int64_t PpdAllocationAttempts();
// Blocks, records and strings this thread allocated through here and has not
// yet released.
int64_t PpdLiveAllocations();
#endif

// Counts one attempt; false when the test hook wants it to fail (always true
// without the hooks).
bool PpdAllocationAllowed();
// Bookkeeping of the live count, for the record templates below (nothing
// without the hooks).
void PpdCountAllocation(const void* block);
void PpdCountRelease(const void* block);

// Records: created by their own constructors (default-initialized, so that
// a record of texts is not cleared byte by byte first: each text clears
// itself), destroyed through their own destructor (virtual where the record
// has one).
template <typename T>
T* PpdNewRecord() {
    if (!PpdAllocationAllowed()) {
        return nullptr;
    }
    T* record = new (std::nothrow) T;
    PpdCountAllocation(record);
    return record;
}

template <typename T>
void PpdDeleteRecord(T* record) {
    if (record != nullptr) {
        PpdCountRelease(record);
        delete record;
    }
}

// Plain memory blocks (malloc/free): the arrays of record pointers and the
// constraint index's tables. A request for 0 bytes still gets a block.
void* PpdAllocBlock(size_t bytes);
void PpdFreeBlock(void* block);

// The one place where an array of record pointers grows: when `count` has
// reached `*capacity`, the array is doubled with realloc. False when it could
// not grow; the array and the capacity are then unchanged.
bool PpdGrowBlock(void** block, int32_t* capacity, int32_t count, size_t elementSize);

template <typename T>
T** PpdNewPointerArray(int32_t capacity) {
    return static_cast<T**>(PpdAllocBlock(sizeof(T*) * static_cast<size_t>(capacity)));
}

// Makes room for element `count` of a record-pointer array.
template <typename T>
bool PpdReserveSlot(T*** array, int32_t* capacity, int32_t count) {
    void* block = *array;
    if (!PpdGrowBlock(&block, capacity, count, sizeof(T*))) {
        return false;
    }
    *array = static_cast<T**>(block);
    return true;
}

// Owned UTF-16 unit arrays (the token buffer, query codes, invocations).
WCHAR* PpdNewUnits(size_t count);
// An owned copy of `length` units and a terminator.
WCHAR* PpdNewString(const WCHAR* source, int32_t length);
void PpdDeleteUnits(WCHAR* units);
