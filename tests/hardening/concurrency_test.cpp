// Many threads creating and releasing factories and plug-in objects and
// locking and unlocking the server at once, as several hosts in one process
// may: the counters move only by interlocked operations, so once every
// thread has let go, and only then, the module may be unloaded. And two
// threads reading PPDs at once, as a host opening the sheets of two printers
// does. Run under ThreadSanitizer by scripts/tsan.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "plugin/module.h"
#include "plugin/oem_ui_plugin.h"
#include "ppd/ppd_alloc.h"
#include "tests/support/ppd_test_util.h"

namespace {

constexpr int kThreads = 8;
constexpr int kRounds = 2000;

// One host's start and stop: a factory, a lock, a plug-in object with an
// extra reference through QueryInterface, then everything released in an
// order that depends on the round.
void StartAndStop(int round) {
    IClassFactory* factory = nullptr;
    ASSERT_EQ(S_OK, DllGetClassObject(CLSID_OEMUI, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
    ASSERT_EQ(S_OK, factory->LockServer(TRUE));
    IPrintOemUI2* plugin = nullptr;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IPrintOemUI2, reinterpret_cast<void**>(&plugin)));
    IUnknown* unknown = nullptr;
    ASSERT_EQ(S_OK, plugin->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)));
    if (round % 2 == 0) {
        factory->Release();
        plugin->Release();
        ASSERT_EQ(S_FALSE, DllCanUnloadNow()) << "this thread still holds a lock and an object";
        unknown->Release();
        IClassFactory* again = nullptr;
        ASSERT_EQ(S_OK, DllGetClassObject(CLSID_OEMUI, IID_IUnknown, reinterpret_cast<void**>(&again)));
        again->LockServer(FALSE);
        again->Release();
    } else {
        unknown->Release();
        factory->LockServer(FALSE);
        plugin->Release();
        factory->Release();
    }
}

}  // namespace

TEST(Concurrency, UnloadAnsweredOnlyWhenEverythingIsReleased) {
    ASSERT_EQ(S_OK, DllCanUnloadNow());
    std::atomic<bool> stop{false};
    std::atomic<int> answers{0};
    // A watcher asks all the while, as a host's unload timer would.
    std::thread watcher([&] {
        while (!stop.load()) {
            DllCanUnloadNow();
            ++answers;
            std::this_thread::yield();
        }
    });
    std::vector<std::thread> hosts;
    for (int t = 0; t < kThreads; ++t) {
        hosts.emplace_back([t] {
            for (int round = 0; round < kRounds; ++round) {
                StartAndStop(round + t);
            }
        });
    }
    for (std::thread& host : hosts) {
        host.join();
    }
    stop = true;
    watcher.join();
    EXPECT_GT(answers.load(), 0);
    EXPECT_EQ(0, ObjectCount);
    EXPECT_EQ(0, ServerLockCount);
    EXPECT_EQ(S_OK, DllCanUnloadNow());
}

// While any thread holds an object or a lock the answer is S_FALSE; after
// the last release it is S_OK.
TEST(Concurrency, HeldByAnyThreadMeansNoUnload) {
    ASSERT_EQ(S_OK, DllCanUnloadNow());
    for (int holder = 0; holder < 3; ++holder) {
        SCOPED_TRACE(testing::Message() << (holder == 0 ? "factory" : holder == 1 ? "plug-in object" : "lock"));
        std::atomic<int> ready{0};
        std::atomic<bool> release{false};
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&, t] {
                IClassFactory* factory = nullptr;
                DllGetClassObject(CLSID_OEMUI, IID_IClassFactory, reinterpret_cast<void**>(&factory));
                IPrintOemUI2* plugin = nullptr;
                factory->CreateInstance(nullptr, IID_IPrintOemUI2, reinterpret_cast<void**>(&plugin));
                // Only thread 0 keeps something; the others churn.
                const bool keeps = t == 0;
                if (keeps && holder == 2) {
                    factory->LockServer(TRUE);
                }
                if (!keeps || holder != 1) {
                    plugin->Release();
                    plugin = nullptr;
                }
                if (!keeps || holder != 0) {
                    factory->Release();
                    factory = nullptr;
                }
                ++ready;
                while (!release.load()) {
                    std::this_thread::yield();
                }
                if (plugin != nullptr) {
                    plugin->Release();
                }
                if (factory != nullptr) {
                    factory->Release();
                }
                if (keeps && holder == 2) {
                    IClassFactory* unlock = nullptr;
                    DllGetClassObject(CLSID_OEMUI, IID_IClassFactory, reinterpret_cast<void**>(&unlock));
                    unlock->LockServer(FALSE);
                    unlock->Release();
                }
            });
        }
        while (ready.load() < kThreads) {
            std::this_thread::yield();
        }
        EXPECT_EQ(S_FALSE, DllCanUnloadNow());
        release = true;
        for (std::thread& thread : threads) {
            thread.join();
        }
        EXPECT_EQ(S_OK, DllCanUnloadNow());
    }
}

// DllCanUnloadNow reads the counters with InterlockedCompareExchange(c, 0,
// 0); the Linux stand-in must answer as the platform's does.
TEST(Concurrency, InterlockedCompareExchangeSwapsOnlyOnAMatch) {
    struct Row {
        LONG start;
        LONG exchange;
        LONG comparand;
        LONG after;
    };
    const Row rows[] = {
        {0, 0, 0, 0},    // the read DllCanUnloadNow makes of an idle counter
        {5, 0, 0, 5},    // of a busy one: nothing changes
        {-1, 0, 0, -1},  // an unmatched unlock
        {7, 9, 7, 9},    // a match swaps
        {7, 9, 8, 7},    // a miss does not
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.start << " " << row.exchange << " " << row.comparand);
        LONG volatile value = row.start;
        EXPECT_EQ(row.start, InterlockedCompareExchange(&value, row.exchange, row.comparand));
        EXPECT_EQ(row.after, value);
    }
}

// One thread reads with its first allocation failing, again and again, while
// the other reads whole documents: the reader's allocation bookkeeping is
// each thread's own, so neither sees the other's failure or counts.
TEST(Concurrency, TwoThreadsReadDocumentsAtOnce) {
    const std::string path = SamplePpdPath();
    DocumentPtr reference = ReadDocumentFile(path);
    ASSERT_NE(nullptr, reference);
    const std::string expected = Describe(*reference);
    std::atomic<bool> started{false};
    std::atomic<bool> done{false};
    std::atomic<int> wrong{0};
    auto read = [&](bool failFirst) {
        const int64_t baseline = PpdLiveAllocations();
        PpdFailAllocation(failFirst ? 0 : -1);
        DocumentPtr document = ReadDocumentFile(path);
        const bool right =
            document != nullptr && (failFirst ? document->featureCount == 0 : Describe(*document) == expected);
        document.reset();
        if (!right || PpdLiveAllocations() != baseline) {
            ++wrong;
        }
    };
    std::thread failing([&] {
        started = true;
        while (!done) {
            read(true);
        }
        PpdFailAllocation(-1);
    });
    while (!started) {
        std::this_thread::yield();
    }
    for (int i = 0; i < 50; ++i) {
        read(false);
    }
    done = true;
    failing.join();
    EXPECT_EQ(0, wrong.load()) << "reads that saw the other thread's failure or counts";
}
