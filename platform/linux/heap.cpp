// Heaps: each handle is a Heap object that owns its blocks, so HeapDestroy
// releases whatever is still allocated from it, as the platform does.
#include <pthread.h>
#include <stdlib.h>
#include <string.h>

#include <new>

#include "platform/platform.h"

namespace {

const uint32_t kHeapMagic = 0x6B786870;  // tells a heap handle from garbage

struct Block;

struct Heap {
    uint32_t magic;
    bool process;      // the process heap cannot be destroyed
    SIZE_T maximum;    // 0: growable
    SIZE_T committed;  // bytes handed out, for fixed-size heaps
    Block* blocks;     // doubly linked, newest first
    pthread_mutex_t lock;
};

// The header keeps the user block 16-byte aligned, as the platform does.
struct alignas(16) Block {
    Heap* owner;
    SIZE_T size;
    Block* prev;
    Block* next;
};
static_assert(sizeof(Block) % 16 == 0, "blocks must stay 16-byte aligned");

Heap processHeap = {kHeapMagic, true, 0, 0, nullptr, PTHREAD_MUTEX_INITIALIZER};

Heap* AsHeap(HANDLE handle) {
    Heap* heap = static_cast<Heap*>(handle);
    if (heap == nullptr || heap->magic != kHeapMagic) {
        return nullptr;
    }
    return heap;
}

Block* BlockOf(void* memory) {
    return static_cast<Block*>(memory) - 1;
}

}  // namespace

extern "C" HANDLE WINAPI GetProcessHeap(void) {
    return &processHeap;
}

extern "C" HANDLE WINAPI HeapCreate(DWORD /*flOptions*/, SIZE_T /*dwInitialSize*/, SIZE_T dwMaximumSize) {
    Heap* heap = new (std::nothrow) Heap;
    if (heap == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    heap->magic = kHeapMagic;
    heap->process = false;
    heap->maximum = dwMaximumSize;
    heap->committed = 0;
    heap->blocks = nullptr;
    pthread_mutex_init(&heap->lock, nullptr);
    return heap;
}

extern "C" BOOL WINAPI HeapDestroy(HANDLE hHeap) {
    Heap* heap = AsHeap(hHeap);
    if (heap == nullptr || heap->process) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    Block* block = heap->blocks;
    while (block != nullptr) {
        Block* next = block->next;
        free(block);
        block = next;
    }
    heap->magic = 0;
    pthread_mutex_destroy(&heap->lock);
    delete heap;
    return TRUE;
}

extern "C" LPVOID WINAPI HeapAlloc(HANDLE hHeap, DWORD dwFlags, SIZE_T dwBytes) {
    Heap* heap = AsHeap(hHeap);
    if (heap == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (dwBytes > (SIZE_T(1) << 47) - sizeof(Block)) {
        return nullptr;
    }
    pthread_mutex_lock(&heap->lock);
    if (heap->maximum != 0 && dwBytes > heap->maximum - heap->committed) {
        pthread_mutex_unlock(&heap->lock);
        return nullptr;
    }
    Block* block = static_cast<Block*>(aligned_alloc(alignof(Block), sizeof(Block) + ((dwBytes + 15) & ~SIZE_T(15))));
    if (block == nullptr) {
        pthread_mutex_unlock(&heap->lock);
        return nullptr;
    }
    block->owner = heap;
    block->size = dwBytes;
    block->prev = nullptr;
    block->next = heap->blocks;
    if (heap->blocks != nullptr) {
        heap->blocks->prev = block;
    }
    heap->blocks = block;
    heap->committed += dwBytes;
    pthread_mutex_unlock(&heap->lock);
    if ((dwFlags & HEAP_ZERO_MEMORY) != 0) {
        memset(block + 1, 0, dwBytes);
    }
    return block + 1;
}

extern "C" BOOL WINAPI HeapFree(HANDLE hHeap, DWORD /*dwFlags*/, LPVOID lpMem) {
    Heap* heap = AsHeap(hHeap);
    if (heap == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (lpMem == nullptr) {
        return TRUE;
    }
    Block* block = BlockOf(lpMem);
    if (block->owner != heap) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    pthread_mutex_lock(&heap->lock);
    if (block->prev != nullptr) {
        block->prev->next = block->next;
    } else {
        heap->blocks = block->next;
    }
    if (block->next != nullptr) {
        block->next->prev = block->prev;
    }
    heap->committed -= block->size;
    pthread_mutex_unlock(&heap->lock);
    block->owner = nullptr;
    free(block);
    return TRUE;
}
