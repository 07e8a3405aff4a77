#include "tests/hardening/failing_new.h"

#include <stdio.h>
#include <stdlib.h>

#include <atomic>
#include <new>

namespace {

std::atomic<int64_t> failOrdinal{-1};
std::atomic<int64_t> attempts{0};
std::atomic<int64_t> live{0};

void* Allocate(size_t size) {
    void* block = malloc(size != 0 ? size : 1);
    if (block != nullptr) {
        ++live;
    }
    return block;
}

void* AllocateNothrow(size_t size) {
    if (attempts++ == failOrdinal.load()) {
        return nullptr;
    }
    return Allocate(size);
}

// Exceptions are off: a failed throwing new has nothing to throw.
void* AllocateOrAbort(size_t size) {
    void* block = Allocate(size);
    if (block == nullptr) {
        fputs("out of memory in operator new\n", stderr);
        abort();
    }
    return block;
}

void Release(void* block) {
    if (block != nullptr) {
        --live;
        free(block);
    }
}

}  // namespace

void FailNothrowAllocation(int64_t ordinal) {
    failOrdinal = ordinal;
    attempts = 0;
}

int64_t NothrowAllocationAttempts() {
    return attempts;
}

int64_t LiveNewAllocations() {
    return live;
}

bool FailingNothrowNew::Failed() const {
    return ordinal_ >= 0 && attempts.load() > ordinal_;
}

void* operator new(size_t size) {
    return AllocateOrAbort(size);
}
void* operator new[](size_t size) {
    return AllocateOrAbort(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    return AllocateNothrow(size);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    return AllocateNothrow(size);
}
void operator delete(void* block) noexcept {
    Release(block);
}
void operator delete[](void* block) noexcept {
    Release(block);
}
void operator delete(void* block, size_t) noexcept {
    Release(block);
}
void operator delete[](void* block, size_t) noexcept {
    Release(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    Release(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    Release(block);
}
