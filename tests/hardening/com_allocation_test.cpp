// The COM objects when memory runs out: the factory and the plug-in object
// are created with new (std::nothrow), here failing through this
// executable's own operator new. These calls go to the module's code linked
// into the test, not to the loaded binary, so that the failing allocator is
// the one they use on every build.
#include <gtest/gtest.h>

#include "plugin/module.h"
#include "plugin/oem_ui_plugin.h"
#include "tests/hardening/failing_new.h"

namespace {

const DWORD kPoison = 0xDEADBEEF;
void* const kPoisonPointer = reinterpret_cast<void*>(static_cast<uintptr_t>(0xDEADBEEF));

}  // namespace

TEST(ComAllocation, FactoryThatCannotBeAllocated) {
    ASSERT_EQ(S_OK, DllCanUnloadNow());
    const int64_t live = LiveNewAllocations();
    for (const GUID* riid : {&IID_IClassFactory, &IID_IUnknown, &IID_IPrintOemUI2}) {
        void* factory = kPoisonPointer;
        HRESULT result;
        {
            FailingNothrowNew failing(0);
            result = DllGetClassObject(CLSID_OEMUI, *riid, &factory);
            EXPECT_TRUE(failing.Failed());
        }
        EXPECT_EQ(E_OUTOFMEMORY, result);
        EXPECT_EQ(kPoisonPointer, factory) << "ppv untouched";
        EXPECT_EQ(S_OK, DllCanUnloadNow());
        EXPECT_EQ(0, ObjectCount);
    }
    EXPECT_EQ(live, LiveNewAllocations());
}

TEST(ComAllocation, PluginObjectThatCannotBeAllocated) {
    ASSERT_EQ(S_OK, DllCanUnloadNow());
    const int64_t live = LiveNewAllocations();
    IClassFactory* factory = nullptr;
    ASSERT_EQ(S_OK, DllGetClassObject(CLSID_OEMUI, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
    for (const GUID* riid : {&IID_IPrintOemUI2, &IID_IUnknown, &IID_IPrintOemUI}) {
        void* object = kPoisonPointer;
        HRESULT result;
        {
            FailingNothrowNew failing(0);
            result = factory->CreateInstance(nullptr, *riid, &object);
            EXPECT_TRUE(failing.Failed());
        }
        EXPECT_EQ(E_OUTOFMEMORY, result);
        EXPECT_EQ(1, ObjectCount) << "only the factory is alive";
        EXPECT_EQ(S_FALSE, DllCanUnloadNow());
    }
    EXPECT_EQ(0u, factory->Release());
    EXPECT_EQ(S_OK, DllCanUnloadNow());
    EXPECT_EQ(live, LiveNewAllocations());
}

// Every nothrow allocation of a host's whole start, in turn: a call either
// succeeds or reports E_OUTOFMEMORY, and after everything obtained is
// released nothing is alive and the module may be unloaded.
TEST(ComAllocation, EveryAllocationOfAStartFailsInTurn) {
    ASSERT_EQ(S_OK, DllCanUnloadNow());
    for (int64_t n = 0;; ++n) {
        SCOPED_TRACE(testing::Message() << "allocation " << n << " fails");
        // Counted after the trace, which takes blocks of its own.
        const int64_t live = LiveNewAllocations();
        IClassFactory* factory = nullptr;
        IPrintOemUI2* plugin = nullptr;
        HRESULT classResult;
        HRESULT instanceResult = kPoison;
        bool failed;
        {
            FailingNothrowNew failing(n);
            classResult = DllGetClassObject(CLSID_OEMUI, IID_IClassFactory, reinterpret_cast<void**>(&factory));
            if (classResult == S_OK) {
                instanceResult = factory->CreateInstance(nullptr, IID_IPrintOemUI2, reinterpret_cast<void**>(&plugin));
            }
            failed = failing.Failed();
        }
        EXPECT_TRUE(classResult == S_OK || classResult == E_OUTOFMEMORY) << std::hex << classResult;
        if (classResult == S_OK) {
            EXPECT_TRUE(instanceResult == S_OK || instanceResult == E_OUTOFMEMORY) << std::hex << instanceResult;
            EXPECT_EQ(instanceResult == S_OK, plugin != nullptr);
            EXPECT_EQ(failed, instanceResult != S_OK);
            if (plugin != nullptr) {
                EXPECT_EQ(0u, plugin->Release());
            }
            EXPECT_EQ(0u, factory->Release());
        } else {
            EXPECT_TRUE(failed);
        }
        EXPECT_EQ(S_OK, DllCanUnloadNow());
        EXPECT_EQ(live, LiveNewAllocations()) << "nothing left alive";
        if (!failed) {
            EXPECT_EQ(2, n) << "a factory and a plug-in object";
            break;
        }
    }
}
