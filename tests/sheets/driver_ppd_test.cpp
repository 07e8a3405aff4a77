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
        // Once a stop of the whole run (an uncaught out_of_range), blamed on
        // the plug-in.
        {"an *OpenUI without a keyword, and the lines of its block",
         "*OpenUI /Foo: PickOne\n*Default: A\n*DefaultFoo: B\n/A: \"\"\n*CloseUI: *Foo\n",
         "",
         u"Foo",
         {}},
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
    EXPECT_TRUE(ppd.colorDevice);
    // Every keyword of the label table has a block.
    for (const std::string& keyword : LabelTableKeywords()) {
        EXPECT_GE(FindDriverPpdFeature(ppd, keyword), 0) << keyword;
    }
    // Option 0 is monochrome, as in the driver's colour item: the callback
    // copies the index.
    const int rendering = FindDriverPpdFeature(ppd, "*KXRendering");
    ASSERT_GE(rendering, 0);
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

namespace {

int IndexOfName(const SheetItems& items, const std::string& name) {
    for (size_t i = 0; i < items.Count(); ++i) {
        if (items.Name(i) == name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace

// The driver's colour item is its own two-state item, whatever *ColorModel
// lists (option 0 is "CMYK" or "Default" in several corpus files), there
// exactly when the PPD says *ColorDevice: True; *ColorModel is then an
// ordinary item under "Printer Features".
TEST(DriverSheets, ColorItem_TheDriversOwnWhateverColorModelLists) {
    const std::string sample = ReadFileBytes(SamplePpdPath());
    const std::string gray = "*ColorModel Gray/Grayscale: \"<</ProcessColorModel /DeviceGray>>setpagedevice\"\n";
    std::string cmykFirst = sample;
    const size_t grayAt = cmykFirst.find(gray);
    ASSERT_NE(std::string::npos, grayAt);
    cmykFirst.erase(grayAt, gray.size());
    cmykFirst.insert(cmykFirst.find("*CloseUI: *ColorModel"), gray);
    const struct {
        std::string what;
        std::string bytes;
        bool colorItem;
    } cases[] = {
        {"the sample", sample, true},
        {"the sample with CMYK first", cmykFirst, true},
        {"37", ReadFileBytes(KX_CORPUS_DIR "/37-latin1-34f-500c-inst.ppd"), true},
        {"38", ReadFileBytes(KX_CORPUS_DIR "/38-latin1-25f-1082c-inst.ppd"), false},
        {"39", ReadFileBytes(KX_CORPUS_DIR "/39-latin1-25f-1082c-inst.ppd"), false},
        {"43", ReadFileBytes(KX_CORPUS_DIR "/43-latin1-39f-1210c-inst.ppd"), true},
        {"44", ReadFileBytes(KX_CORPUS_DIR "/44-latin1-55f-0c.ppd"), true},
        {"52", ReadFileBytes(KX_CORPUS_DIR "/52-latin1-59f-1769c-inst.ppd"), true},
        {"55", ReadFileBytes(KX_CORPUS_DIR "/55-latin1-60f-3904c-inst.ppd"), true},
        {"56", ReadFileBytes(KX_CORPUS_DIR "/56-latin1-85f-7007c-inst.ppd"), true},
        {"57", ReadFileBytes(KX_CORPUS_DIR "/57-latin1-70f-9244c-inst.ppd"), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DriverPpd ppd;
        ParseDriverPpd(c.bytes, &ppd);
        ASSERT_EQ(c.colorItem, ppd.colorDevice);
        for (LONG selection : {-1, 0}) {
            SheetOptions options;
            options.colorSelection = selection;
            SheetItems items;
            BuildDocumentSheet(ppd, options, &items);
            const int color = items.FindPublic(DMPUB_COLOR);
            ASSERT_EQ(c.colorItem, color >= 0);
            if (c.colorItem) {
                const OPTITEM& item = items.Item(static_cast<size_t>(color));
                EXPECT_EQ("Color [64706]", items.Name(static_cast<size_t>(color)));
                EXPECT_EQ((std::vector<std::u16string>{u"Grayscale", u"Color"}),
                          items.OptionNames(static_cast<size_t>(color)));
                EXPECT_EQ(selection < 0 ? 1 : selection, item.Sel) << "colour unless asked otherwise";
                EXPECT_EQ(2, item.Level);
                EXPECT_LT(IndexOfName(items, "Graphic [64703]"), color) << "in the Graphic section";
                EXPECT_GT(IndexOfName(items, "Document Options [64704]"), color);
            }
            const int model = items.FindKeyword("*ColorModel");
            if (FindDriverPpdFeature(ppd, "*ColorModel") >= 0) {
                ASSERT_GE(model, 0);
                EXPECT_EQ(DMPUB_NONE, items.Item(static_cast<size_t>(model)).DMPubID);
                EXPECT_EQ(3, items.Item(static_cast<size_t>(model)).Level) << "under Printer Features";
            }
        }
    }
}
