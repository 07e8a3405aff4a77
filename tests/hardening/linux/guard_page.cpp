// The Linux build's guard page: mmap and mprotect (built only there).
#include <string.h>
#include <sys/mman.h>
#include <unistd.h>

#include "platform/platform.h"
#include "tests/hardening/guard_page.h"

GuardedMemory::GuardedMemory(size_t capacity) {
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    accessible_ = (capacity + page - 1) / page * page;
    if (accessible_ == 0) {
        accessible_ = page;
    }
    total_ = accessible_ + page;
    void* mapped = mmap(nullptr, total_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) {
        return;
    }
    base_ = static_cast<uint8_t*>(mapped);
    if (mprotect(base_ + accessible_, page, PROT_NONE) != 0) {
        munmap(base_, total_);
        base_ = nullptr;
    }
}

GuardedMemory::~GuardedMemory() {
    if (base_ != nullptr) {
        munmap(base_, total_);
    }
}

uint8_t* GuardedMemory::BlockAtEnd(size_t size, uint8_t fill) {
    uint8_t* block = base_ + accessible_ - size;
    memset(block, fill, size);
    return block;
}
