// The driver's own reading of a PPD, which the other sheet tests take as the
// truth about item names: it must read names as a driver does.
#include "tests/sheets/sheet_support.h"

TEST(DriverPpdNames, NamesAsTheDriverReadsThem) {
    const struct {
        const char* what;
        std::string ppd;
        std::string keyword;
        std::u16string name;
        std::vector<std::string> options;
    } cases[] = {
        {"text after the first slash, blanks kept",
         "*OpenUI *KXToner/Toner Save Mode : Boolean\n*KXToner True/On: \"\"\n*CloseUI: *KXToner\n",
         "*KXToner",
         u"Toner Save Mode ",
         {"True"}},
        {"further slashes belong to the name",
         "*OpenUI *KXStartSide/Start/First Page: PickOne\n*CloseUI: *X\n",
         "*KXStartSide",
         u"Start/First Page",
         {}},
        {"no translation: the keyword less its star",
         "*OpenUI *PageRegion: PickOne\n*CloseUI: *PageRegion\n",
         "*PageRegion",
         u"PageRegion",
         {}},
        {"hexadecimal escapes, Latin-1 by the file's encoding",
         "*LanguageEncoding: ISOLatin1\n*OpenUI *KXRotate180Degrees/Rotate <52 6f>180<B0>: Boolean\n*CloseUI: *X\n",
         "*KXRotate180Degrees",
         u"Rotate Ro180\u00B0",
         {}},
        {"Shift-JIS by the file's encoding",
         "*LanguageEncoding: JIS83-RKSJ\n*OpenUI *KXToner/<8367 8369>: Boolean\n",
         "*KXToner",
         u"\u30C8\u30CA",
         {}},
        {"CR line ends and values over several lines",
         "*OpenUI *KXScreens/Screen: PickOne\r*KXScreens Fine/Fine: \"\r*OpenUI *Fake/Fake: Boolean\r\"\r"
         "*End\r*KXScreens Auto/Auto: \"x\"\r*CloseUI: *KXScreens\r",
         "*KXScreens",
         u"Screen",
         {"Fine", "Auto"}},
        {"comments and option lines of other keywords pass",
         "*OpenUI *Duplex/Two Sides: PickOne\n*% *Duplex Fake/Fake: \"\"\n*DefaultDuplex: None\n"
         "*Other None/None: \"\"\n*Duplex None/Off: \"\"\n*CloseUI: *Duplex\n",
         "*Duplex",
         u"Two Sides",
         {"None"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DriverPpd ppd;
        ParseDriverPpd(c.ppd, &ppd);
        ASSERT_EQ(1u, ppd.features.size());
        EXPECT_EQ(c.keyword, ppd.features[0].keyword);
        EXPECT_EQ(Printable(reinterpret_cast<const WCHAR*>(c.name.c_str())),
                  Printable(reinterpret_cast<const WCHAR*>(ppd.features[0].name.c_str())));
        EXPECT_EQ(c.options, ppd.features[0].optionKeywords);
    }
}

TEST(DriverPpdNames, SampleFeaturesGroupsAndDefaults) {
    DriverPpd ppd;
    std::string error;
    ASSERT_TRUE(ReadDriverPpd(SamplePpdPath(), &ppd, &error)) << error;
    EXPECT_EQ(1252u, ppd.codePage);
    // Every keyword of the label table has a block, and the colour feature.
    for (const std::string& keyword : LabelTableKeywords()) {
        EXPECT_GE(FindDriverPpdFeature(ppd, keyword), 0) << keyword;
    }
    const int color = FindDriverPpdFeature(ppd, kColorFeatureKeyword);
    const int rendering = FindDriverPpdFeature(ppd, "*KXRendering");
    ASSERT_GE(color, 0);
    ASSERT_GE(rendering, 0);
    // Option 0 is monochrome in both: the callback copies the index.
    EXPECT_EQ("Gray", ppd.features[static_cast<size_t>(color)].optionKeywords.at(0));
    EXPECT_EQ("Mono", ppd.features[static_cast<size_t>(rendering)].optionKeywords.at(0));
    std::vector<std::string> installable;
    for (const DriverPpdFeature& feature : ppd.features) {
        if (feature.group == "InstallableOptions") {
            installable.push_back(feature.keyword + "=" + feature.defaultOption);
        }
    }
    EXPECT_EQ((std::vector<std::string>{"*KXTrayUnit=None", "*KXDuplexOption=False", "*InstalledMemory=256MB",
                                        "*KXStackerOption=False", "*KXCompactFlash=False"}),
              installable);
}
