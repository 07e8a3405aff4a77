// Installed options, end to end: the driver answers DrvGetDriverSetting from
// its table, and the plug-in's constraint marks are read through the context
// it registers on the document sheet.
#include "tests/sheets/sheet_support.h"

namespace {

// The sample's five installable features, in file order, without their '*'.
const char* const kInstallable[] = {"KXTrayUnit", "KXDuplexOption", "InstalledMemory", "KXStackerOption",
                                    "KXCompactFlash"};

InstalledValues Prefixed(const InstalledValues& values) {
    InstalledValues prefixed;
    for (const auto& value : values) {
        prefixed.emplace_back("*" + value.first, value.second);
    }
    return prefixed;
}

const InstalledValues kNothingInstalled = {{"KXTrayUnit", "None"},
                                           {"KXDuplexOption", "False"},
                                           {"InstalledMemory", "256MB"},
                                           {"KXStackerOption", "False"},
                                           {"KXCompactFlash", "False"}};

const InstalledValues kAlmostEverything = {{"KXTrayUnit", "1Tray"},
                                           {"KXDuplexOption", "True"},
                                           {"InstalledMemory", "512MB"},
                                           {"KXStackerOption", "True"},
                                           {"KXCompactFlash", "True"}};

// From the sample's installed-option-first constraints, features in file order.
const std::vector<std::string> kForbiddenWithNothing = {
    "*InputSlot: Tray2 Tray3", "*Duplex: DuplexNoTumble DuplexTumble",
    "*OutputBin: Stacker",     "*Resolution: 1200dpi",
    "*KXImageProtect: True",   "*KXOUTPUTID: Custom",
    "*KXJobSeparator: True",
};
const std::vector<std::string> kForbiddenWithAlmostEverything = {"*InputSlot: Tray3"};

}  // namespace

TEST(InstalledOptions, MarksFollowTheDriversValues) {
    const struct {
        const char* what;
        InstalledValues installed;
        std::vector<std::string> forbidden;
    } cases[] = {
        {"nothing installed", kNothingInstalled, kForbiddenWithNothing},
        {"all but the second cassette", kAlmostEverything, kForbiddenWithAlmostEverything},
        {"two cassettes only",
         {{"KXTrayUnit", "2Tray"}},
         {"*Duplex: DuplexNoTumble DuplexTumble", "*OutputBin: Stacker", "*Resolution: 1200dpi",
          "*KXImageProtect: True", "*KXOUTPUTID: Custom", "*KXJobSeparator: True"}},
        {"memory only",
         {{"InstalledMemory", "1024MB"}},
         {"*InputSlot: Tray2 Tray3", "*Duplex: DuplexNoTumble DuplexTumble", "*OutputBin: Stacker",
          "*KXOUTPUTID: Custom", "*KXJobSeparator: True"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SheetHarness h;
        ASSERT_TRUE(h.Start(SamplePpdPath(), c.installed));
        h.OpenDocumentSheet();
        ASSERT_NE(nullptr, h.Context());
        ASSERT_NE(nullptr, h.Context()->document);
        EXPECT_EQ(c.forbidden, Describe(PluginForbiddenOptions(h.Context())));
        EXPECT_EQ(Prefixed(h.session.DriverUi().Installed()), PluginInstalledValues(h.Context()));
    }
}

TEST(InstalledOptions, DriverAskedOncePerInstallableFeatureWithItsOwnObject) {
    SheetHarness h;
    ASSERT_TRUE(h.Start(SamplePpdPath()));
    EXPECT_TRUE(h.session.DriverUi().queries.empty()) << "nothing is asked before the document sheet";
    h.OpenDocumentSheet();
    const auto& queries = h.session.DriverUi().queries;
    ASSERT_EQ(5u, queries.size());
    for (size_t i = 0; i < queries.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(kInstallable[i], queries[i].feature) << "the keyword without its '*', in file order";
        EXPECT_EQ(h.session.UiObject(), queries[i].pci);
        EXPECT_EQ(S_OK, queries[i].result);
    }
    h.OpenPrinterSheet();
    EXPECT_EQ(5u, queries.size()) << "the printer sheet asks nothing";
}

TEST(InstalledOptions, RefreshedEachTimeTheDocumentSheetIsBuilt) {
    SheetHarness h;
    ASSERT_TRUE(h.Start(SamplePpdPath(), kNothingInstalled));
    h.OpenDocumentSheet();
    EXPECT_EQ(kForbiddenWithNothing, Describe(PluginForbiddenOptions(h.Context())));

    for (const auto& value : kAlmostEverything) {
        h.session.DriverUi().SetInstalled(value.first, value.second);
    }
    h.OpenDocumentSheet();
    EXPECT_EQ(kForbiddenWithAlmostEverything, Describe(PluginForbiddenOptions(h.Context())));
    EXPECT_EQ(Prefixed(kAlmostEverything), PluginInstalledValues(h.Context()));
    EXPECT_EQ(10u, h.session.DriverUi().queries.size());
}

TEST(InstalledOptions, ValueTheDriverRefuses_KeepsTheEarlierOne) {
    SheetHarness h;
    ASSERT_TRUE(h.Start(SamplePpdPath(), {{"KXTrayUnit", "2Tray"}}));
    h.OpenDocumentSheet();
    ASSERT_EQ("2Tray", PluginInstalledValues(h.Context()).at(0).second);

    // The driver no longer answers for the cassette unit; the others change.
    h.session.DriverUi().ForgetInstalled("KXTrayUnit");
    for (const auto& value : kAlmostEverything) {
        if (value.first != "KXTrayUnit") {
            h.session.DriverUi().SetInstalled(value.first, value.second);
        }
    }
    h.OpenDocumentSheet();
    const auto& queries = h.session.DriverUi().queries;
    ASSERT_EQ(10u, queries.size());
    EXPECT_EQ("KXTrayUnit", queries[5].feature);
    EXPECT_EQ(E_INVALIDARG, queries[5].result);
    InstalledValues expected = Prefixed(kAlmostEverything);
    expected[0].second = "2Tray";
    EXPECT_EQ(expected, PluginInstalledValues(h.Context()));
    EXPECT_TRUE(Describe(PluginForbiddenOptions(h.Context())).empty())
        << "two cassettes and every other option installed forbid nothing";
}
