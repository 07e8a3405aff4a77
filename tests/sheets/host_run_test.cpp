// The whole run of the driver's calls as kxpsui-host makes it, and what it
// reports, for the sample PPD.
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
    HostRunOptions options;
    options.ppdPath = SamplePpdPath();
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
    std::string error;
    ASSERT_TRUE(RunHost(LoadedPlugin(), options, &report, &error)) << error;

    EXPECT_EQ(0x4B585053u, report.signature);
    EXPECT_EQ(2u, report.version);
    EXPECT_EQ(176u, report.devmodeSize);
    EXPECT_FALSE(report.dataFile.empty());
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

TEST(HostRun, MissingPpd_ReportsWhy) {
    HostRunOptions options;
    options.ppdPath = FixturePpdPath("no-such-file.ppd");
    HostReport report;
    std::string error;
    EXPECT_FALSE(RunHost(LoadedPlugin(), options, &report, &error));
    EXPECT_NE(std::string::npos, error.find("no-such-file.ppd")) << error;
}
