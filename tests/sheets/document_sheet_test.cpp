// The document sheet, end to end: a printer registered with the spooler, the
// plug-in binary loaded as the driver loads it, the driver's items built from
// the driver's own reading of the PPD, and both CommonUIProp calls.
#include <set>

#include "tests/sheets/sheet_support.h"

namespace {

// The driver reads the degree sign of "Rotate By 180<B0>" as Latin-1; the
// plug-in reads the PPD's bytes in the ANSI code page, which under 932 makes
// a half-width katakana of it. The names then differ and the item is left
// alone, so that expectation follows the code page the test runs under.
BYTE ExpectedCodeHere(const std::string& keyword) {
    if (keyword == "*KXRotate180Degrees" && GetACP() != 1252) {
        return 0;
    }
    return ExpectedItemCode(keyword);
}

OPTITEM Tagged(OPTITEM item, BYTE code) {
    item.UserItemID = code;
    return item;
}

enum class ColorItemAt { kAsBuilt, kAfterRendering, kFirst };

void MoveColorItem(SheetItems* items, ColorItemAt place) {
    const int color = items->FindPublic(DMPUB_COLOR);
    const int rendering = items->FindKeyword("*KXRendering");
    ASSERT_GT(color, 0);
    ASSERT_LT(color, rendering);
    if (place != ColorItemAt::kAsBuilt) {
        items->Move(static_cast<size_t>(color), place == ColorItemAt::kFirst ? 0 : static_cast<size_t>(rendering));
    }
}

}  // namespace

TEST(DocumentSheet, SampleItems_TaggedWithTheirFeaturesCodeAndOtherwiseUntouched) {
    SheetHarness h;
    ASSERT_TRUE(h.Start(SamplePpdPath()));
    h.OpenDocumentSheet();
    ASSERT_NE(nullptr, h.Context());
    ASSERT_NE(nullptr, h.Context()->document) << "the sample was not read";

    std::set<BYTE> codes;
    for (size_t i = 0; i < h.document.Count(); ++i) {
        const OPTITEM& item = h.document.Item(i);
        const std::string& keyword = h.document.Keyword(i);
        SCOPED_TRACE(h.document.Name(i) + " for " + (keyword.empty() ? "the driver" : keyword));
        const BYTE expected = item.DMPubID == DMPUB_COLOR ? 0 : ExpectedCodeHere(keyword);
        // The colour item opens on colour, the driver's default, so a tag is
        // the only change an item may see.
        EXPECT_TRUE(SameItem(Tagged(h.documentBefore[i], expected), item));
        if (expected != 0) {
            EXPECT_TRUE(codes.insert(expected).second) << "code given twice";
        }
    }
    // The sample carries every keyword the plug-in tags: 23, one of them
    // only where the ANSI code page reads Latin-1 as the driver does.
    EXPECT_EQ(GetACP() == 1252 ? 23u : 22u, codes.size());
}

TEST(DocumentSheet, PublicFeatures_NeverTaggedEvenAsPlainItems) {
    const struct {
        const char* keyword;
        BYTE dmPubId;
    } publicFeatures[] = {
        {"*PageSize", DMPUB_FORMNAME}, {"*InputSlot", DMPUB_DEFSOURCE},     {"*MediaType", DMPUB_MEDIATYPE},
        {"*Duplex", DMPUB_DUPLEX},     {"*Resolution", DMPUB_PRINTQUALITY},
    };
    for (bool asPlainItems : {false, true}) {
        SCOPED_TRACE(asPlainItems ? "the driver shows them as plain items" : "the driver shows them as public items");
        SheetHarness h;
        ASSERT_TRUE(h.Start(SamplePpdPath()));
        h.OpenDocumentSheet(-1, [&](SheetItems* items) {
            for (const auto& feature : publicFeatures) {
                const int index = items->FindKeyword(feature.keyword);
                ASSERT_GE(index, 0) << feature.keyword;
                OPTITEM& item = items->Item(static_cast<size_t>(index));
                ASSERT_EQ(feature.dmPubId, item.DMPubID) << feature.keyword;
                // Named by text, so the plug-in finds the feature by name.
                ASSERT_FALSE(IS_INTRESOURCE(item.pName)) << feature.keyword;
                if (asPlainItems) {
                    item.DMPubID = DMPUB_NONE;
                }
            }
        });
        for (const auto& feature : publicFeatures) {
            SCOPED_TRACE(feature.keyword);
            const size_t index = h.DocumentItem(feature.keyword);
            EXPECT_TRUE(SameItem(h.documentBefore[index], h.document.Item(index)));
        }
        // The lookup really ran for this sheet: a neighbour got its code.
        EXPECT_EQ(0x4B, h.document.Item(h.DocumentItem("*OutputBin")).UserItemID);
    }
}

TEST(DocumentSheet, RenderingItem_DisabledOnlyAfterAMonochromeColorItem) {
    const struct {
        const char* what;
        LONG colorSelection;
        ColorItemAt colorItem;
        bool disabledByDriver;
        bool disabled;
    } cases[] = {
        {"monochrome colour item before it", 0, ColorItemAt::kAsBuilt, false, true},
        {"monochrome colour item first of all", 0, ColorItemAt::kFirst, false, true},
        {"colour item before it", 1, ColorItemAt::kAsBuilt, false, false},
        {"any selection but 0 counts as colour", 2, ColorItemAt::kAsBuilt, false, false},
        // The selection counts as colour until the walk passes the colour item.
        {"monochrome colour item after it", 0, ColorItemAt::kAfterRendering, false, false},
        {"colour item after it", 1, ColorItemAt::kAfterRendering, false, false},
        // The pass sets the flag and never clears it.
        {"colour, disabled by the driver", 1, ColorItemAt::kAsBuilt, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SheetHarness h;
        ASSERT_TRUE(h.Start(SamplePpdPath()));
        h.OpenDocumentSheet(c.colorSelection, [&](SheetItems* items) {
            MoveColorItem(items, c.colorItem);
            if (c.disabledByDriver) {
                items->Item(static_cast<size_t>(items->FindKeyword("*KXRendering"))).Flags |= OPTIF_DISABLED;
            }
        });
        const size_t rendering = h.DocumentItem("*KXRendering");
        OPTITEM expected = Tagged(h.documentBefore[rendering], 0x45);
        if (c.disabled) {
            expected.Flags |= OPTIF_DISABLED;
        }
        EXPECT_TRUE(SameItem(expected, h.document.Item(rendering)));
        const size_t color = static_cast<size_t>(h.document.FindPublic(DMPUB_COLOR));
        EXPECT_TRUE(SameItem(h.documentBefore[color], h.document.Item(color))) << "the colour item stays as built";
    }
}

TEST(DocumentSheet, TwoColorItems_NearestOneBeforeDecides) {
    const struct {
        LONG first;
        LONG second;
    } cases[] = {{0, 1}, {1, 0}, {0, 0}, {1, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "colour items " << c.first << " then " << c.second);
        SheetHarness h;
        ASSERT_TRUE(h.Start(SamplePpdPath()));
        size_t secondRendering = 0;
        h.OpenDocumentSheet(c.first, [&](SheetItems* items) {
            // A second colour item and a second item of the rendering
            // feature's name, both after the first rendering item.
            const int rendering = items->FindKeyword("*KXRendering");
            const OPTITEM& renderingItem = items->Item(static_cast<size_t>(rendering));
            const std::u16string renderingName = reinterpret_cast<const char16_t*>(renderingItem.pName);
            const BYTE level = renderingItem.Level;
            items->AddResource(level, kNameColor, ColorItemOptionNames(), c.second, DMPUB_COLOR, TVOT_2STATES);
            secondRendering = items->AddNamed(level, renderingName, {u"Monochrome", u"Color"}, 1);
        });
        const size_t firstRendering = h.DocumentItem("*KXRendering");
        ASSERT_LT(firstRendering, secondRendering);
        const std::pair<size_t, LONG> renderingItems[] = {{firstRendering, c.first}, {secondRendering, c.second}};
        for (const auto& rendering : renderingItems) {
            SCOPED_TRACE(testing::Message() << "rendering item " << rendering.first);
            OPTITEM expected = Tagged(h.documentBefore[rendering.first], 0x45);
            if (rendering.second == 0) {
                expected.Flags |= OPTIF_DISABLED;
            }
            EXPECT_TRUE(SameItem(expected, h.document.Item(rendering.first)));
        }
    }
}

TEST(DocumentSheet, SharedTranslations_FirstFeatureInTheFileDecides) {
    SheetHarness h;
    ASSERT_TRUE(h.Start(FixturePpdPath("duplicate-translations.ppd")));
    h.OpenDocumentSheet(kColorSelectionGrayscale);
    const struct {
        const char* keyword;
        BYTE code;
        bool disabled;
    } expectations[] = {
        {"*KXToner", 0x43, false},    {"*KXPureBlack", 0x43, false},  // named like *KXToner, which comes first
        {"*MediaType", 0, false},     {"*KXDensity", 0, false},  // named like the public *MediaType, which comes first
        {"*KXRendering", 0x45, true},                            // after the colour item on monochrome
        {"*ColorModel", 0x45, true},                             // an ordinary item named like *KXRendering
    };
    for (const auto& e : expectations) {
        SCOPED_TRACE(e.keyword);
        const size_t index = h.DocumentItem(e.keyword);
        OPTITEM expected = Tagged(h.documentBefore[index], e.code);
        if (e.disabled) {
            expected.Flags |= OPTIF_DISABLED;
        }
        EXPECT_TRUE(SameItem(expected, h.document.Item(index)));
    }
}

TEST(DocumentSheet, BothSheets_ReportNoItemsOfTheirOwn) {
    SheetHarness h;
    ASSERT_TRUE(h.Start(SamplePpdPath()));
    h.OpenDocumentSheet();
    h.OpenPrinterSheet();
    EXPECT_EQ(0u, h.session.ReportedItems(OEMCUIP_DOCPROP));
    EXPECT_EQ(0u, h.session.ReportedItems(OEMCUIP_PRNPROP));
    // The printer sheet registers nothing.
    EXPECT_EQ(nullptr, h.session.Param(OEMCUIP_PRNPROP).pOEMUserData);
    EXPECT_EQ(nullptr, h.session.Param(OEMCUIP_PRNPROP).OEMCUIPCallback);
}

TEST(DocumentSheet, NoItems_CallbackStillRegistered) {
    SheetHarness h;
    ASSERT_TRUE(h.Start(SamplePpdPath()));
    h.OpenDocumentSheet(-1, [](SheetItems* items) { items->Clear(); });
    const OEMCUIPPARAM& param = h.session.Param(OEMCUIP_DOCPROP);
    EXPECT_NE(nullptr, param.OEMCUIPCallback);
    ASSERT_NE(nullptr, param.pOEMUserData);
    EXPECT_NE(nullptr, h.Context()->document) << "the first call read the PPD";
    EXPECT_EQ(CPSUICB_ACTION_ITEMS_APPLIED, h.session.Callback(CPSUICB_REASON_APPLYNOW, 0));
}
