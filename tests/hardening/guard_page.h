// Memory whose end touches a page that cannot be read or written: a block
// placed with its last byte just before that page makes any access past the
// block fault at once, where a heap checker could miss a small overrun.
#pragma once

#include <stddef.h>
#include <stdint.h>

class GuardedMemory {
  public:
    // Room for blocks of up to `capacity` bytes before the guard page.
    explicit GuardedMemory(size_t capacity);
    ~GuardedMemory();
    GuardedMemory(const GuardedMemory&) = delete;
    GuardedMemory& operator=(const GuardedMemory&) = delete;

    bool Valid() const { return base_ != nullptr; }
    // A block of `size` bytes (0 allowed) that ends right at the guard page;
    // its bytes are filled with `fill`.
    uint8_t* BlockAtEnd(size_t size, uint8_t fill);

  private:
    uint8_t* base_ = nullptr;
    size_t accessible_ = 0;  // bytes before the guard page
    size_t total_ = 0;
};
