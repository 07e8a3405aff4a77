// The plug-in object's own operations, through IPrintOemUI2 as the host
// calls them. Outputs and the last error are poisoned before each call so
// that "left unchanged" differs from "set".
#include <gtest/gtest.h>
#include <string.h>

#include <vector>

#include "host/driver/driver_ui.h"
#include "host/driver/printer_registration.h"
#include "plugin/plugin_context.h"
#include "tests/support/plugin_module.h"

namespace {

constexpr DWORD kPoisonError = 0xdeadbeef;
constexpr DWORD kPoisonValue = 0xa5a5a5a5;

// Notes, each time the plug-in lets go of a reference, whether the object
// still holds its document (read through the context it registers on the
// document sheet).
class ReleaseWatchingDriverUi : public HostDriverUi {
  public:
    ULONG STDMETHODCALLTYPE Release() override {
        if (context != nullptr) {
            documentHeldAtRelease.push_back(context->document != nullptr);
        }
        return HostDriverUi::Release();
    }

    const PluginContext* context = nullptr;  // the plug-in's, borrowed
    std::vector<bool> documentHeldAtRelease;
};

class PluginObjectTest : public ::testing::Test {
  protected:
    void SetUp() override {
        object = CreatePluginObject();
        ASSERT_NE(object, nullptr);
    }
    void TearDown() override {
        if (object != nullptr) {
            EXPECT_EQ(object->Release(), 0u);
        }
        EXPECT_EQ(LoadedPlugin().canUnloadNow(), S_OK);
    }
    IPrintOemUI2* object = nullptr;
};

TEST_F(PluginObjectTest, QueryInterface_OffersOnlyUnknownAndUI2) {
    void* out = nullptr;
    EXPECT_EQ(object->QueryInterface(IID_IUnknown, &out), S_OK);
    EXPECT_EQ(out, static_cast<void*>(object));
    EXPECT_EQ(object->Release(), 1u);
    EXPECT_EQ(object->QueryInterface(IID_IPrintOemUI2, &out), S_OK);
    EXPECT_EQ(out, static_cast<void*>(object));
    EXPECT_EQ(object->Release(), 1u);

    for (const GUID* iid : {&IID_IPrintOemUI, &IID_IPrintOemCommon, &IID_IClassFactory, &IID_IPrintOemDriverUI}) {
        out = reinterpret_cast<void*>(1);
        EXPECT_EQ(object->QueryInterface(*iid, &out), E_NOINTERFACE);
        EXPECT_EQ(out, nullptr);
    }
    EXPECT_EQ(object->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
    EXPECT_EQ(object->AddRef(), 2u) << "no call above may keep a reference";
    object->Release();
}

TEST_F(PluginObjectTest, GetInfo_EveryModeAndBufferSize) {
    struct Case {
        DWORD mode;
        DWORD bufferSize;  // 0 with a null buffer when nullBuffer
        bool nullBuffer;
        HRESULT result;
        DWORD needed;     // kPoisonValue: must stay unwritten
        DWORD lastError;  // kPoisonError: must stay unset
        DWORD value;      // kPoisonValue: buffer must stay unwritten
    } cases[] = {
        {OEMGI_GETSIGNATURE, 4, false, S_OK, 4, kPoisonError, 0x4B585053},
        {OEMGI_GETSIGNATURE, 8, false, S_OK, 4, kPoisonError, 0x4B585053},
        {OEMGI_GETSIGNATURE, 3, false, E_FAIL, 4, ERROR_INSUFFICIENT_BUFFER, kPoisonValue},
        {OEMGI_GETSIGNATURE, 0, true, E_FAIL, 4, ERROR_INSUFFICIENT_BUFFER, kPoisonValue},
        {OEMGI_GETSIGNATURE, 8, true, E_FAIL, 4, ERROR_INSUFFICIENT_BUFFER, kPoisonValue},
        {OEMGI_GETVERSION, 4, false, S_OK, 4, kPoisonError, 2},
        {OEMGI_GETVERSION, 0, false, E_FAIL, 4, ERROR_INSUFFICIENT_BUFFER, kPoisonValue},
        {OEMGI_GETPUBLISHERINFO, 4, false, E_FAIL, 0, ERROR_NOT_SUPPORTED, kPoisonValue},
        {OEMGI_GETPUBLISHERINFO, 2, false, E_FAIL, 4, ERROR_INSUFFICIENT_BUFFER, kPoisonValue},
        {OEMGI_GETINTERFACEVERSION, 4, false, E_FAIL, kPoisonValue, ERROR_INVALID_PARAMETER, kPoisonValue},
        {0, 4, false, E_FAIL, kPoisonValue, ERROR_INVALID_PARAMETER, kPoisonValue},
        {OEMGI_GETREQUESTEDHELPERINTERFACES, 4, false, E_FAIL, kPoisonValue, ERROR_INVALID_PARAMETER, kPoisonValue},
        {6, 4, false, E_FAIL, kPoisonValue, ERROR_INVALID_PARAMETER, kPoisonValue},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " size " << c.bufferSize << " null " << c.nullBuffer);
        DWORD buffer[2] = {kPoisonValue, kPoisonValue};
        DWORD needed = kPoisonValue;
        SetLastError(kPoisonError);
        EXPECT_EQ(object->GetInfo(c.mode, c.nullBuffer ? nullptr : buffer, c.bufferSize, &needed), c.result);
        EXPECT_EQ(needed, c.needed);
        EXPECT_EQ(GetLastError(), c.lastError);
        EXPECT_EQ(buffer[0], c.value);
        EXPECT_EQ(buffer[1], kPoisonValue) << "never more than 4 bytes";
    }
    DWORD buffer = kPoisonValue;
    SetLastError(kPoisonError);
    EXPECT_EQ(object->GetInfo(OEMGI_GETSIGNATURE, &buffer, 4, nullptr), E_FAIL);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(buffer, kPoisonValue);
}

TEST_F(PluginObjectTest, QueryColorProfile_Sizes) {
    struct Case {
        ULONG mode;
        ULONG size;
        bool nullBuffer;
        HRESULT result;
        ULONG sizeAfter;
        DWORD lastError;
        bool written;
    } cases[] = {
        {QCP_DEVICEPROFILE, 31, false, E_FAIL, 32, ERROR_INSUFFICIENT_BUFFER, false},
        {QCP_DEVICEPROFILE, 0, false, E_FAIL, 32, ERROR_INSUFFICIENT_BUFFER, false},
        {QCP_DEVICEPROFILE, 32, true, E_FAIL, 32, ERROR_INSUFFICIENT_BUFFER, false},
        {QCP_DEVICEPROFILE, 32, false, S_OK, 32, kPoisonError, true},
        {QCP_DEVICEPROFILE, 64, false, S_OK, 32, kPoisonError, true},
        {QCP_SOURCEPROFILE, 64, false, E_FAIL, 64, kPoisonError, false},
        {7, 64, false, E_FAIL, 64, kPoisonError, false},
    };
    const WCHAR expectedName[] = TEXT("OEMPROFILE.icm");
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " size " << c.size);
        BYTE buffer[64];
        memset(buffer, 0xA5, sizeof(buffer));
        ULONG size = c.size;
        FLONG flags = kPoisonValue;
        SetLastError(kPoisonError);
        EXPECT_EQ(object->QueryColorProfile(nullptr, nullptr, nullptr, nullptr, c.mode, c.nullBuffer ? nullptr : buffer,
                                            &size, &flags),
                  c.result);
        EXPECT_EQ(size, c.sizeAfter);
        EXPECT_EQ(GetLastError(), c.lastError);
        if (c.written) {
            EXPECT_EQ(memcmp(buffer, expectedName, sizeof(expectedName)), 0);
            EXPECT_EQ(flags, static_cast<FLONG>(QCP_PROFILEDISK));
            for (size_t i = sizeof(expectedName); i < sizeof(buffer); ++i) {
                EXPECT_EQ(buffer[i], 0xA5) << "byte " << i << " written past the name";
            }
        } else {
            EXPECT_EQ(flags, kPoisonValue);
            EXPECT_EQ(buffer[0], 0xA5);
        }
    }
}

TEST_F(PluginObjectTest, QueryColorProfile_NullCountOrFlags) {
    BYTE buffer[64];
    memset(buffer, 0xA5, sizeof(buffer));
    ULONG size = 64;
    FLONG flags = kPoisonValue;
    SetLastError(kPoisonError);
    EXPECT_EQ(object->QueryColorProfile(nullptr, nullptr, nullptr, nullptr, 0, buffer, nullptr, &flags), E_FAIL);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    SetLastError(kPoisonError);
    EXPECT_EQ(object->QueryColorProfile(nullptr, nullptr, nullptr, nullptr, 0, buffer, &size, nullptr), E_FAIL);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(size, 64u);
    EXPECT_EQ(flags, kPoisonValue);
    EXPECT_EQ(buffer[0], 0xA5);
}

TEST_F(PluginObjectTest, NotImplementedSlots_TouchNothing) {
    DWORD result = kPoisonValue;
    INT intResult = static_cast<INT>(kPoisonValue);
    BYTE bytes[8];
    memset(bytes, 0xA5, sizeof(bytes));
    SetLastError(kPoisonError);
    EXPECT_EQ(object->DocumentPropertySheets(nullptr, 0), E_NOTIMPL);
    EXPECT_EQ(object->DevicePropertySheets(nullptr, 1), E_NOTIMPL);
    EXPECT_EQ(object->DevQueryPrintEx(nullptr, nullptr, nullptr, nullptr), E_NOTIMPL);
    EXPECT_EQ(object->DeviceCapabilities(nullptr, nullptr, nullptr, 1, bytes, nullptr, nullptr, 5, &result), E_NOTIMPL);
    EXPECT_EQ(object->UpgradePrinter(1, bytes), E_NOTIMPL);
    EXPECT_EQ(object->PrinterEvent(nullptr, 1, 0, 0), E_NOTIMPL);
    EXPECT_EQ(object->DriverEvent(1, 3, bytes, 0), E_NOTIMPL);
    EXPECT_EQ(object->FontInstallerDlgProc(nullptr, 0, 0, 0), E_NOTIMPL);
    EXPECT_EQ(object->UpdateExternalFonts(nullptr, nullptr, nullptr), E_NOTIMPL);
    EXPECT_EQ(object->QueryJobAttributes(nullptr, nullptr, 1, bytes), E_NOTIMPL);
    EXPECT_EQ(object->HideStandardUI(OEMCUIP_DOCPROP), E_NOTIMPL);
    EXPECT_EQ(object->DocumentEvent(nullptr, nullptr, 1, 0, nullptr, 0, nullptr, &intResult), E_NOTIMPL);
    EXPECT_EQ(GetLastError(), kPoisonError);
    EXPECT_EQ(result, kPoisonValue);
    EXPECT_EQ(intResult, static_cast<INT>(kPoisonValue));
    for (BYTE b : bytes) {
        EXPECT_EQ(b, 0xA5);
    }
}

TEST_F(PluginObjectTest, PublishDriverInterface_HoldsOneReferenceUntilRelease) {
    HostDriverUi host;
    EXPECT_EQ(object->PublishDriverInterface(&host), S_OK);
    EXPECT_EQ(host.driverUiQueries, 1);
    EXPECT_EQ(host.References(), 2) << "the object holds one reference";

    HostDriverUi second;
    EXPECT_EQ(object->PublishDriverInterface(&second), S_OK);
    EXPECT_EQ(second.driverUiQueries, 0) << "a held interface is not asked for again";
    EXPECT_EQ(second.References(), 1);

    EXPECT_EQ(object->Release(), 0u);
    object = nullptr;
    EXPECT_EQ(host.References(), 1) << "released with the object";
}

TEST_F(PluginObjectTest, PublishDriverInterface_FailureLeavesItUnsetAndRetries) {
    HostDriverUi refusing;
    refusing.offersDriverUi = false;
    EXPECT_EQ(object->PublishDriverInterface(&refusing), E_FAIL);
    EXPECT_EQ(object->PublishDriverInterface(nullptr), E_FAIL);
    EXPECT_EQ(refusing.References(), 1);

    HostDriverUi host;
    EXPECT_EQ(object->PublishDriverInterface(&host), S_OK) << "a failed attempt does not block a later one";
    EXPECT_EQ(host.References(), 2);

    // Released while the host's interface still exists: the object lets go
    // of it in its last Release.
    EXPECT_EQ(object->Release(), 0u);
    object = nullptr;
    EXPECT_EQ(host.References(), 1);
}

TEST_F(PluginObjectTest, LastRelease_LetsGoOfTheDriverInterfaceBeforeTheDocument) {
    HostPrinter printer;
    std::string error;
    ASSERT_TRUE(printer.Add(SamplePpdPath(), &error)) << error;
    ReleaseWatchingDriverUi host;
    ASSERT_EQ(object->PublishDriverInterface(&host), S_OK);
    // The document sheet: the first call reads the PPD, the second registers
    // the context.
    OEMUIOBJ uiObject = {sizeof(OEMUIOBJ), nullptr};
    OPTITEM noItems[1];
    OEMCUIPPARAM param;
    memset(&param, 0, sizeof(param));
    param.cbSize = sizeof(param);
    param.poemuiobj = &uiObject;
    param.hPrinter = printer.Handle();
    param.hModule = LoadedPlugin().module;
    param.hOEMHeap = GetProcessHeap();
    ASSERT_EQ(object->CommonUIProp(OEMCUIP_DOCPROP, &param), S_OK);
    param.pOEMOptItems = noItems;
    ASSERT_EQ(object->CommonUIProp(OEMCUIP_DOCPROP, &param), S_OK);
    host.context = static_cast<const PluginContext*>(param.pOEMUserData);
    ASSERT_NE(host.context, nullptr);
    ASSERT_NE(host.context->document, nullptr);

    EXPECT_EQ(object->Release(), 0u);
    object = nullptr;
    EXPECT_EQ(host.documentHeldAtRelease, std::vector<bool>{true}) << "one release, while the document is still held";
    EXPECT_EQ(host.References(), 1);
}

TEST_F(PluginObjectTest, CommonUIProp_FirstCallAddsNoItems) {
    OEMCUIPPARAM param;
    memset(&param, 0, sizeof(param));
    param.cbSize = sizeof(param);
    param.cOEMOptItems = 7;
    EXPECT_EQ(object->CommonUIProp(OEMCUIP_PRNPROP, &param), S_OK);
    EXPECT_EQ(param.cOEMOptItems, 0u);
    EXPECT_EQ(object->CommonUIProp(OEMCUIP_DOCPROP, nullptr), S_OK);
}

}  // namespace
