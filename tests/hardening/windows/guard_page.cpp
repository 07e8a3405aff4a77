// The Windows build's guard page: VirtualAlloc and VirtualProtect (built only there).
#include <string.h>

#include "platform/platform.h"
#include "tests/hardening/guard_page.h"

GuardedMemory::GuardedMemory(size_t capacity) {
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    const size_t page = system.dwPageSize;
    accessible_ = (capacity + page - 1) / page * page;
    if (accessible_ == 0) {
        accessible_ = page;
    }
    total_ = accessible_ + page;
    base_ = static_cast<uint8_t*>(VirtualAlloc(nullptr, total_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    DWORD old = 0;
    if (base_ != nullptr && !VirtualProtect(base_ + accessible_, page, PAGE_NOACCESS, &old)) {
        VirtualFree(base_, 0, MEM_RELEASE);
        base_ = nullptr;
    }
}

GuardedMemory::~GuardedMemory() {
    if (base_ != nullptr) {
        VirtualFree(base_, 0, MEM_RELEASE);
    }
}

uint8_t* GuardedMemory::BlockAtEnd(size_t size, uint8_t fill) {
    uint8_t* block = base_ + accessible_ - size;
    memset(block, fill, size);
    return block;
}
