// The module's exports, its class factory and the unload answer, driven
// through the loaded binary as the driver drives them.
#include <gtest/gtest.h>
#include <stdio.h>

#include "tests/support/plugin_module.h"

namespace {

constexpr GUID kOtherClsid = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
void* const kPoison = reinterpret_cast<void*>(static_cast<uintptr_t>(0xdeadbeefdeadbeefull));

class ModuleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(LoadedPlugin().getClassObject, nullptr) << "plug-in failed to load";
        ASSERT_NE(LoadedPlugin().canUnloadNow, nullptr);
        ASSERT_EQ(CanUnload(), S_OK) << "a previous test left something alive";
    }
    void TearDown() override { EXPECT_EQ(CanUnload(), S_OK) << "this test left something alive"; }

    static HRESULT CanUnload() { return LoadedPlugin().canUnloadNow(); }
    static HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** ppv) {
        return LoadedPlugin().getClassObject(clsid, iid, ppv);
    }
    static IClassFactory* NewFactory() {
        void* factory = nullptr;
        EXPECT_EQ(GetClassObject(CLSID_OEMUI, IID_IClassFactory, &factory), S_OK);
        return static_cast<IClassFactory*>(factory);
    }
};

// The identifiers the host and the plug-in meet on, typed anew as the
// platform publishes them: a digit off in the code's copy makes the host
// find no class or no interface, and would pass every call made with that
// same copy.
TEST(Identifiers, AsThePlatformPublishesThem) {
    const struct {
        const char* name;
        const GUID* guid;
        const char* expected;
    } rows[] = {
        {"CLSID_OEMUI", &CLSID_OEMUI, "{ABCE80D7-9F46-11D1-882A-00C04FB961EC}"},
        {"IID_IPrintOemUI2", &IID_IPrintOemUI2, "{292515F9-B54B-489B-9275-BAB56821395E}"},
        {"IID_IPrintOemDriverUI", &IID_IPrintOemDriverUI, "{92B05D50-78BC-11D1-9480-00A0C90640B8}"},
        {"IID_IUnknown", &IID_IUnknown, "{00000000-0000-0000-C000-000000000046}"},
        {"IID_IClassFactory", &IID_IClassFactory, "{00000001-0000-0000-C000-000000000046}"},
    };
    for (const auto& row : rows) {
        const GUID& g = *row.guid;
        char text[40];
        snprintf(text, sizeof(text), "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                 static_cast<unsigned>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3],
                 g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
        EXPECT_STREQ(row.expected, text) << row.name;
    }
}

TEST_F(ModuleTest, GetClassObject_FactoryStartsWithOneReference) {
    IClassFactory* factory = NewFactory();
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(CanUnload(), S_FALSE);
    EXPECT_EQ(factory->AddRef(), 2u);
    EXPECT_EQ(factory->Release(), 1u);
    EXPECT_EQ(factory->Release(), 0u);
}

TEST_F(ModuleTest, GetClassObject_EveryCallMakesAFreshFactory) {
    IClassFactory* first = NewFactory();
    IClassFactory* second = NewFactory();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    first->Release();
    EXPECT_EQ(CanUnload(), S_FALSE) << "the second factory is still alive";
    second->Release();
}

TEST_F(ModuleTest, GetClassObject_Refusals) {
    struct Case {
        const char* name;
        const GUID* clsid;
        const GUID* iid;
        HRESULT expected;
        void* expectedOut;
    } cases[] = {
        {"other class", &kOtherClsid, &IID_IClassFactory, CLASS_E_CLASSNOTAVAILABLE, kPoison},
        {"plug-in interface from factory", &CLSID_OEMUI, &IID_IPrintOemUI2, E_NOINTERFACE, nullptr},
        {"driver interface from factory", &CLSID_OEMUI, &IID_IPrintOemDriverUI, E_NOINTERFACE, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        void* out = kPoison;
        EXPECT_EQ(GetClassObject(*c.clsid, *c.iid, &out), c.expected);
        EXPECT_EQ(out, c.expectedOut);
        EXPECT_EQ(CanUnload(), S_OK) << "a refused factory must be gone again";
    }
}

TEST_F(ModuleTest, NullOutPointers_ArePointerErrorsAndLeaveNothingAlive) {
    EXPECT_EQ(GetClassObject(CLSID_OEMUI, IID_IClassFactory, nullptr), E_POINTER);
    EXPECT_EQ(GetClassObject(kOtherClsid, IID_IClassFactory, nullptr), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(CanUnload(), S_OK);

    IClassFactory* factory = NewFactory();
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(factory->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IPrintOemUI2, nullptr), E_POINTER);
    EXPECT_EQ(factory->Release(), 0u) << "a refused call must not keep a reference";
}

TEST_F(ModuleTest, Factory_QueryInterface) {
    IClassFactory* factory = NewFactory();
    ASSERT_NE(factory, nullptr);
    void* out = kPoison;
    EXPECT_EQ(factory->QueryInterface(IID_IUnknown, &out), S_OK);
    EXPECT_EQ(out, static_cast<void*>(factory));
    static_cast<IUnknown*>(out)->Release();
    out = kPoison;
    EXPECT_EQ(factory->QueryInterface(IID_IPrintOemUI2, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(factory->Release(), 0u);
}

TEST_F(ModuleTest, CreateInstance_InterfacesAndAggregation) {
    IClassFactory* factory = NewFactory();
    ASSERT_NE(factory, nullptr);

    void* out = kPoison;
    // The outer unknown is never called: aggregation is refused before any use.
    EXPECT_EQ(factory->CreateInstance(reinterpret_cast<IUnknown*>(&out), IID_IUnknown, &out), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(out, kPoison);

    struct Case {
        const char* name;
        const GUID* iid;
        HRESULT expected;
    } cases[] = {
        {"IUnknown", &IID_IUnknown, S_OK},
        {"IPrintOemUI2", &IID_IPrintOemUI2, S_OK},
        {"IPrintOemUI", &IID_IPrintOemUI, E_NOINTERFACE},
        {"IPrintOemCommon", &IID_IPrintOemCommon, E_NOINTERFACE},
        {"IClassFactory", &IID_IClassFactory, E_NOINTERFACE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        out = kPoison;
        EXPECT_EQ(factory->CreateInstance(nullptr, *c.iid, &out), c.expected);
        if (c.expected == S_OK) {
            ASSERT_NE(out, nullptr);
            auto* object = static_cast<IUnknown*>(out);
            EXPECT_EQ(object->AddRef(), 2u) << "a new object is handed out with one reference";
            object->Release();
            factory->Release();  // the object alone keeps the module busy
            EXPECT_EQ(CanUnload(), S_FALSE);
            factory = NewFactory();
            EXPECT_EQ(object->Release(), 0u);
        } else {
            EXPECT_EQ(out, nullptr);
        }
    }
    factory->Release();
}

TEST_F(ModuleTest, LockServer_CountsAndHasNoFloor) {
    IClassFactory* factory = NewFactory();
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    factory->Release();
    EXPECT_EQ(CanUnload(), S_FALSE) << "one lock is still held";

    factory = NewFactory();
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    factory->Release();
    EXPECT_EQ(CanUnload(), S_OK);

    // An unmatched unlock makes the count negative, which also blocks unloading.
    factory = NewFactory();
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    factory->Release();
    EXPECT_EQ(CanUnload(), S_FALSE);
    factory = NewFactory();
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    factory->Release();
}

}  // namespace
