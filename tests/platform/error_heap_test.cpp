// Last error per thread, and heaps as objects of their own.
#include <gtest/gtest.h>
#include <string.h>

#include <atomic>
#include <thread>

#include "tests/platform/platform_test_util.h"

// Two threads set their errors in turn and read them back while the other's
// is set. They wait on atomics only: thread creation and joining call the
// platform, which may change the last error itself.
TEST(LastError, IsKeptPerThread) {
    std::atomic<int> step(0);
    DWORD seenFirst = kPoison;
    DWORD seenSecond = kPoison;
    DWORD secondBeforeSet = kPoison;
    std::thread first([&] {
        SetLastError(5);
        step = 1;
        while (step != 2) {
        }
        seenFirst = GetLastError();
    });
    std::thread second([&] {
        while (step != 1) {
        }
        secondBeforeSet = GetLastError();
        SetLastError(7);
        seenSecond = GetLastError();
        step = 2;
    });
    first.join();
    second.join();
    EXPECT_EQ(5u, seenFirst);
    EXPECT_EQ(7u, seenSecond);
    EXPECT_NE(5u, secondBeforeSet);
}

TEST(Heap, ZeroMemoryFlagClearsReusedBlocks) {
    HANDLE heap = HeapCreate(0, 0, 0);
    ASSERT_NE(nullptr, heap);
    // Dirty blocks first, so that a block handed out again is not zero by luck.
    for (int round = 0; round < 4; ++round) {
        unsigned char* dirty = static_cast<unsigned char*>(HeapAlloc(heap, 0, 1000));
        ASSERT_NE(nullptr, dirty);
        memset(dirty, 0xAA, 1000);
        EXPECT_TRUE(HeapFree(heap, 0, dirty));
        unsigned char* clean = static_cast<unsigned char*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, 1000));
        ASSERT_NE(nullptr, clean);
        int nonZero = 0;
        for (int i = 0; i < 1000; ++i) {
            nonZero += clean[i] != 0;
        }
        EXPECT_EQ(0, nonZero) << "round " << round;
        EXPECT_TRUE(HeapFree(heap, 0, clean));
    }
    EXPECT_TRUE(HeapDestroy(heap));
}

TEST(Heap, BlocksAreDistinctAlignedAndWritable) {
    HANDLE heaps[] = {GetProcessHeap(), HeapCreate(0, 0, 0)};
    ASSERT_NE(nullptr, heaps[0]);
    ASSERT_NE(nullptr, heaps[1]);
    for (HANDLE heap : heaps) {
        void* blocks[8];
        for (int i = 0; i < 8; ++i) {
            blocks[i] = HeapAlloc(heap, 0, static_cast<SIZE_T>(i) * 24);
            ASSERT_NE(nullptr, blocks[i]) << "size " << i * 24;
            EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(blocks[i]) % 16) << "size " << i * 24;
            memset(blocks[i], i, static_cast<size_t>(i) * 24);
            for (int j = 0; j < i; ++j) {
                EXPECT_NE(blocks[i], blocks[j]);
            }
        }
        for (void* block : blocks) {
            EXPECT_TRUE(HeapFree(heap, 0, block));
        }
    }
    EXPECT_TRUE(HeapDestroy(heaps[1]));
}

TEST(Heap, FailedAllocationReturnsNull) {
    EXPECT_EQ(nullptr, HeapAlloc(GetProcessHeap(), 0, ~static_cast<SIZE_T>(0) - 64));
    // A heap created with a maximum size does not grow past it.
    HANDLE fixed = HeapCreate(0, 0, 64 * 1024);
    ASSERT_NE(nullptr, fixed);
    EXPECT_EQ(nullptr, HeapAlloc(fixed, 0, 1024 * 1024));
    void* small = HeapAlloc(fixed, 0, 1024);
    EXPECT_NE(nullptr, small);
    EXPECT_TRUE(HeapFree(fixed, 0, small));
    EXPECT_TRUE(HeapDestroy(fixed));
}

TEST(Heap, DestroyReleasesOutstandingBlocks) {
    HANDLE heap = HeapCreate(0, 0, 0);
    ASSERT_NE(nullptr, heap);
    for (int i = 0; i < 100; ++i) {
        ASSERT_NE(nullptr, HeapAlloc(heap, 0, 4096));
    }
    EXPECT_TRUE(HeapDestroy(heap));
}

TEST(Heap, FreeingNullSucceeds) {
    EXPECT_TRUE(HeapFree(GetProcessHeap(), 0, nullptr));
}
