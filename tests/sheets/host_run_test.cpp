// The whole run of the driver's calls as kxpsui-host makes it, and what it
// reports, for the sample PPD.
#include "host/common/temp_folder.h"
#include "tests/sheets/sheet_support.h"

namespace {

const ItemReport* FindItem(const std::vector<ItemReport>& items, const std::string& keyword) {
    for (const ItemReport& item : items) {
        if (item.keyword == keyword) {
            return &item;
        }
    }
    return nullptr;
}

}  // namespace

TEST(HostRun, SampleThroughTheDriversWholeOrderOfCalls) {
    HostPrinter printer;
    DriverPpd ppd;
    std::string error;
    ASSERT_TRUE(printer.Add(SamplePpdPath(), &error) && ReadDriverPpd(SamplePpdPath(), &ppd, &error)) << error;
    HostRunOptions options;
    options.installed = {{"KXTrayUnit", "1Tray"}};
    options.colorSelection = 0;
    options.colorChanges = {1, 0};
    // The tests' own plug-in: its user data is its PluginContext.
    bool documentRead = false;
    InstalledValues stored;
    std::vector<ForbiddenOptions> forbidden;
    options.afterDocumentSheet = [&](PVOID userData) {
        const PluginContext* context = static_cast<const PluginContext*>(userData);
        documentRead = context != nullptr && context->document != nullptr;
        stored = PluginInstalledValues(context);
        forbidden = PluginForbiddenOptions(context);
    };
    HostReport report;
    ASSERT_TRUE(RunHost(LoadedPlugin(), printer.Handle(), ppd, options, &report, &error)) << error;

    EXPECT_EQ(0x4B585053u, report.signature);
    EXPECT_EQ(2u, report.version);
    EXPECT_EQ(176u, report.devmodeSize);
    ASSERT_TRUE(documentRead);

    const ItemReport* rendering = FindItem(report.documentItems, "*KXRendering");
    ASSERT_NE(nullptr, rendering);
    EXPECT_EQ(0x45, rendering->itemCode);
    EXPECT_NE(0u, rendering->flags & OPTIF_DISABLED) << "the sheet was built on monochrome";
    ASSERT_NE(nullptr, FindItem(report.documentItems, "*PageSize"));
    EXPECT_EQ(0, FindItem(report.documentItems, "*PageSize")->itemCode);

    EXPECT_EQ("1Tray", stored.at(0).second);
    EXPECT_EQ((std::vector<std::string>{"*InputSlot: Tray3", "*Duplex: DuplexNoTumble DuplexTumble",
                                        "*OutputBin: Stacker", "*Resolution: 1200dpi", "*KXImageProtect: True",
                                        "*KXOUTPUTID: Custom", "*KXJobSeparator: True"}),
              Describe(forbidden));

    ASSERT_EQ(2u, report.colorChanges.size());
    for (const ColorChange& change : report.colorChanges) {
        SCOPED_TRACE(testing::Message() << "colour selection " << change.selection);
        EXPECT_EQ(CPSUICB_ACTION_OPTIF_CHANGED, change.result);
        EXPECT_EQ(change.selection, change.renderingSel);
        EXPECT_EQ(change.selection == 0, (change.renderingFlags & OPTIF_DISABLED) != 0);
        ASSERT_EQ(1u, change.told.size());
        EXPECT_EQ(change.renderingItem, change.told[0].item);
    }
    EXPECT_EQ(CPSUICB_ACTION_ITEMS_APPLIED, report.applyResult);

    std::vector<std::string> initial;
    std::vector<std::string> hidden;
    for (const ItemReport& item : report.printerItems) {
        if (item.flags & OPTIF_INITIAL_TVITEM) {
            initial.push_back(item.name);
        }
        if (item.flags & OPTIF_HIDE) {
            hidden.push_back(item.name);
        }
    }
    EXPECT_EQ(std::vector<std::string>{"Installable Options [400]"}, initial);
    EXPECT_EQ((std::vector<std::string>{"Font Substitution Table [64798]", "Sans Serif", "Serif", "Monospace"}),
              hidden);

    EXPECT_EQ(S_OK, report.profileResult);
    EXPECT_EQ(u"OEMPROFILE.icm", report.profileName);
    EXPECT_EQ(32u, report.profileSize);
    EXPECT_EQ(static_cast<FLONG>(QCP_PROFILEDISK), report.profileFlags);
    EXPECT_EQ(0u, report.lastRelease);
    EXPECT_EQ(1, report.driverUiReferences);
    EXPECT_EQ(S_OK, report.unloadAnswer);
}

namespace {

HRESULT STDMETHODCALLTYPE RefuseClass(REFCLSID, REFIID, void** ppv) {
    *ppv = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}

// The drivers the spooler lists, by name.
std::vector<std::string> DriverNames() {
    DWORD needed = 0;
    DWORD count = 0;
    EnumPrinterDriversW(nullptr, nullptr, 3, nullptr, 0, &needed, &count);
    std::vector<BYTE> block(needed + sizeof(DRIVER_INFO_3W));
    EXPECT_TRUE(EnumPrinterDriversW(nullptr, nullptr, 3, block.data(), needed, &needed, &count));
    std::vector<std::string> names;
    for (DWORD i = 0; i < count; ++i) {
        names.push_back(Utf16ToUtf8(reinterpret_cast<const DRIVER_INFO_3W*>(block.data())[i].pName));
    }
    return names;
}

// This process's folders in the temporary folder.
std::vector<std::string> OwnTempFolders() {
    std::u16string pattern;
    EXPECT_TRUE(TempFolderPath(Utf8ToUtf16("kxpsui-*-" + Hex8(GetCurrentProcessId()) + "-*"), &pattern));
    std::vector<std::string> names;
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW(AsWide(pattern), &entry);
    for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &entry)) {
        names.push_back(Utf16ToUtf8(entry.cFileName));
    }
    if (find != INVALID_HANDLE_VALUE) {
        FindClose(find);
    }
    return names;
}

}  // namespace

// The printer, the driver's record, the spooler's copy of the PPD and the
// staged files go with the printer object, whether the run ends well or
// not: the spooler's drivers and this process's temporary folders are as
// they were before.
TEST(HostRun, NothingLeft_WhetherTheRunSucceedsOrFails) {
    PluginBinary refusing = LoadedPlugin();
    refusing.getClassObject = RefuseClass;
    const struct {
        const char* what;
        std::string ppd;
        const PluginBinary* binary;
        const char* error;  // the reason a failing step gives; null for a run that succeeds
    } cases[] = {
        {"a whole run", SamplePpdPath(), &LoadedPlugin(), nullptr},
        {"a plug-in that makes no object", SamplePpdPath(), &refusing, "CLASS_E_CLASSNOTAVAILABLE"},
        {"a PPD that cannot be read", FixturePpdPath("no-such-file.ppd"), &LoadedPlugin(), "no-such-file.ppd"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<std::string> drivers = DriverNames();
        const std::vector<std::string> folders = OwnTempFolders();
        std::u16string printerName;
        std::u16string dataFile;
        {
            HostPrinter printer;
            DriverPpd ppd;
            HostReport report;
            std::string error;
            const bool ran = printer.Add(c.ppd, &error) && ReadDriverPpd(c.ppd, &ppd, &error) &&
                             RunHost(*c.binary, printer.Handle(), ppd, HostRunOptions(), &report, &error);
            EXPECT_EQ(c.error == nullptr, ran) << error;
            if (c.error != nullptr) {
                EXPECT_NE(std::string::npos, error.find(c.error)) << error;
            }
            printerName = printer.Name();
            dataFile = printer.DataFile();
        }
        EXPECT_EQ(drivers, DriverNames());
        EXPECT_EQ(folders, OwnTempFolders());
        HANDLE printer = nullptr;
        EXPECT_FALSE(!printerName.empty() && OpenPrinterW(AsWide(&printerName), &printer, nullptr));
        std::string bytes;
        EXPECT_FALSE(!dataFile.empty() && ReadFileBytes(dataFile, &bytes)) << Utf16ToUtf8(dataFile);
    }
}
