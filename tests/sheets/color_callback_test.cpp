// The item callback the plug-in registers on the document sheet, called as
// the common property sheet calls it: end to end through the loaded binary,
// and for the parameter blocks a sheet never sends, directly.
#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "customize/color_mode_callback.h"
#include "tests/sheets/sheet_support.h"

namespace {

std::vector<OPTITEM> ItemsNow(SheetItems& items) {
    std::vector<OPTITEM> copy;
    for (size_t i = 0; i < items.Count(); ++i) {
        copy.push_back(items.Item(i));
    }
    return copy;
}

void ExpectUnchanged(const std::vector<OPTITEM>& before, SheetItems& items) {
    ASSERT_EQ(before.size(), items.Count());
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_TRUE(SameItem(before[i], items.Item(i))) << "item " << i << " " << items.Name(i);
    }
}

}  // namespace

TEST(ColorCallback, ColorChanges_RenderingItemFollowsAndDriverIsTold) {
    SheetHarness h;
    ASSERT_TRUE(h.Start(SamplePpdPath()));
    h.OpenDocumentSheet(1, [](SheetItems* items) {
        // A flag of the driver's own, which the callback must leave alone.
        items->Item(static_cast<size_t>(items->FindKeyword("*KXRendering"))).Flags |= OPTIF_CALLBACK;
    });
    const size_t rendering = h.DocumentItem("*KXRendering");
    ASSERT_EQ(0x45, h.document.Item(rendering).UserItemID);

    LONG previous = 1;
    for (LONG sel : {0, 1, 0, 0, 2, 1}) {
        SCOPED_TRACE(testing::Message() << "colour selection " << sel);
        const std::vector<OPTITEM> before = ItemsNow(h.document);
        const ColorChange change = h.session.ChangeColor(sel);
        EXPECT_EQ(previous, h.session.LastCallbackParam().OldSel) << "the driver hands over the previous selection";
        previous = sel;
        EXPECT_EQ(CPSUICB_ACTION_OPTIF_CHANGED, change.result);
        ASSERT_EQ(static_cast<int>(rendering), change.renderingItem);
        EXPECT_EQ(sel, change.renderingSel);
        const DWORD expectedFlags = OPTIF_CALLBACK | (sel == 0 ? OPTIF_DISABLED : 0);
        EXPECT_EQ(expectedFlags, change.renderingFlags);
        ASSERT_EQ(1u, change.told.size());
        const ColorChange::Told& told = change.told[0];
        EXPECT_EQ(static_cast<int>(rendering), told.item);
        EXPECT_TRUE(told.pciMatches);
        EXPECT_EQ(0u, told.previousSelection) << "always 0, whatever the old selection";
        EXPECT_EQ(static_cast<DWORD>(OEMCUIP_DOCPROP), told.mode);
        EXPECT_EQ(sel, told.sel) << "the driver is told after the change";
        EXPECT_EQ(expectedFlags, told.flags);
        // Nothing but the colour item's Sel (the user's change) and the
        // rendering item's Sel and Flags moved.
        for (size_t i = 0; i < before.size(); ++i) {
            if (i == rendering || h.document.Item(i).DMPubID == DMPUB_COLOR) {
                continue;
            }
            EXPECT_TRUE(SameItem(before[i], h.document.Item(i))) << h.document.Name(i);
        }
    }
}

TEST(ColorCallback, ReasonsOtherThanSelectionChange_OnlyAnswer) {
    SheetHarness h;
    ASSERT_TRUE(h.Start(SamplePpdPath()));
    h.OpenDocumentSheet(1);
    const size_t color = static_cast<size_t>(h.document.FindPublic(DMPUB_COLOR));
    h.document.Item(color).Sel = 0;  // a pending monochrome choice the callback must not act on
    const std::vector<OPTITEM> before = ItemsNow(h.document);
    for (WORD reason = CPSUICB_REASON_PUSHBUTTON; reason <= CPSUICB_REASON_KILLACTIVE; ++reason) {
        SCOPED_TRACE(testing::Message() << "reason " << reason);
        const LONG expected =
            reason == CPSUICB_REASON_APPLYNOW ? CPSUICB_ACTION_ITEMS_APPLIED : CPSUICB_ACTION_OPTIF_CHANGED;
        EXPECT_EQ(expected, h.session.Callback(reason, color));
        EXPECT_EQ(reason == CPSUICB_REASON_APPLYNOW ? -1 : 0, h.session.LastCallbackParam().OldSel);
    }
    ExpectUnchanged(before, h.document);
    EXPECT_TRUE(h.session.DriverUi().updates.empty());
}

TEST(ColorCallback, OtherItemChanged_NothingFollows) {
    SheetHarness h;
    ASSERT_TRUE(h.Start(SamplePpdPath()));
    h.OpenDocumentSheet(1);
    const std::vector<std::string> others = {"*MediaType", "*KXRendering", "*KXToner", "*OutputBin"};
    for (const std::string& keyword : others) {
        SCOPED_TRACE(keyword);
        const size_t item = h.DocumentItem(keyword);
        std::vector<OPTITEM> expected = ItemsNow(h.document);
        expected[item].Sel = 0;
        EXPECT_EQ(CPSUICB_ACTION_OPTIF_CHANGED, h.session.ChangeSelection(item, 0));
        ExpectUnchanged(expected, h.document);
        h.session.ChangeSelection(item, h.documentBefore[item].Sel);
    }
    EXPECT_TRUE(h.session.DriverUi().updates.empty());
}

TEST(ColorCallback, TwoTaggedItems_OnlyTheFirstFollows) {
    SheetHarness h;
    ASSERT_TRUE(h.Start(SamplePpdPath()));
    size_t second = 0;
    h.OpenDocumentSheet(1, [&](SheetItems* items) {
        const OPTITEM& rendering = items->Item(static_cast<size_t>(items->FindKeyword("*KXRendering")));
        second = items->AddNamed(rendering.Level, reinterpret_cast<const char16_t*>(rendering.pName),
                                 {u"Monochrome", u"Color"}, 1);
    });
    const size_t first = h.DocumentItem("*KXRendering");
    ASSERT_EQ(0x45, h.document.Item(second).UserItemID) << "both items carry the feature's name";
    const OPTITEM secondBefore = h.document.Item(second);
    const ColorChange change = h.session.ChangeColor(0);
    EXPECT_EQ(0, h.document.Item(first).Sel);
    EXPECT_NE(0u, h.document.Item(first).Flags & OPTIF_DISABLED);
    EXPECT_TRUE(SameItem(secondBefore, h.document.Item(second)));
    ASSERT_EQ(1u, change.told.size());
    EXPECT_EQ(static_cast<int>(first), change.told[0].item);
}

TEST(ColorCallback, NoRenderingFeature_NothingChanges) {
    // A colour device without the rendering feature: no item carries its code.
    const ScratchFile ppd(ScratchName("kx_sheets", ".ppd"));
    ASSERT_TRUE(
        ppd.Write("*PPD-Adobe: \"4.3\"\n*LanguageEncoding: ISOLatin1\n*ColorDevice: True\n"
                  "*OpenUI *ColorModel/Color Appearance: PickOne\n*DefaultColorModel: CMYK\n"
                  "*ColorModel Gray/Grayscale: \"\"\n*ColorModel CMYK/Color: \"\"\n*CloseUI: *ColorModel\n"
                  "*OpenUI *KXToner/Toner Save Mode: Boolean\n*DefaultKXToner: False\n"
                  "*KXToner True/On: \"\"\n*KXToner False/Off: \"\"\n*CloseUI: *KXToner\n"));
    SheetHarness h;
    ASSERT_TRUE(h.Start(ppd.Name()));
    h.OpenDocumentSheet(1);
    ASSERT_EQ(0x43, h.document.Item(h.DocumentItem("*KXToner")).UserItemID);
    const ColorChange change = h.session.ChangeColor(0);
    EXPECT_EQ(CPSUICB_ACTION_OPTIF_CHANGED, change.result);
    std::vector<OPTITEM> expected = h.documentBefore;
    expected[static_cast<size_t>(h.document.FindPublic(DMPUB_COLOR))].Sel = 0;
    expected[h.DocumentItem("*KXToner")].UserItemID = 0x43;
    ExpectUnchanged(expected, h.document);
    EXPECT_TRUE(change.told.empty());
}

// The parameter blocks a sheet never sends, straight to the callback. The
// rendering item is found wherever it stands: first, or last after the
// colour item.
TEST(ColorCallback, IncompleteParameters_ItemChangedOnlyWhereItCanBe) {
    HostDriverUi driverUi;
    PluginContext context = {nullptr, &driverUi};
    PluginContext withoutDriver = {nullptr, nullptr};
    OEMUIOBJ uiObject = {sizeof(OEMUIOBJ), nullptr};

    const struct {
        const char* what;
        bool nullCallbackParam;
        bool nullCurrent;
        bool nullParamBlock;
        bool nullItems;
        PluginContext* userData;
        bool changes;
        bool tells;
    } cases[] = {
        {"complete", false, false, false, false, &context, true, true},
        {"no callback parameters", true, false, false, false, &context, false, false},
        {"no current item", false, true, false, false, &context, false, false},
        {"no parameter block", false, false, true, false, &context, false, false},
        {"no items with a count", false, false, false, true, &context, false, false},
        {"no user data", false, false, false, false, nullptr, true, false},
        {"context without the driver's interface", false, false, false, false, &withoutDriver, true, false},
    };
    for (size_t renderingAt : {0, 2}) {
        OPTITEM items[3];
        memset(items, 0, sizeof(items));
        items[1].DMPubID = DMPUB_COLOR;
        OPTITEM& rendering = items[renderingAt];
        rendering.UserItemID = 0x45;
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << c.what << ", rendering item at " << renderingAt);
            items[1].Sel = 0;
            rendering.Sel = 1;
            rendering.Flags = 0;
            driverUi.updates.clear();
            CPSUICBPARAM callback;
            memset(&callback, 0, sizeof(callback));
            callback.cbSize = sizeof(callback);
            callback.Reason = CPSUICB_REASON_SEL_CHANGED;
            callback.pCurItem = c.nullCurrent ? nullptr : &items[1];
            OEMCUIPPARAM param;
            memset(&param, 0, sizeof(param));
            param.cbSize = sizeof(param);
            param.poemuiobj = &uiObject;
            param.pDrvOptItems = c.nullItems ? nullptr : items;
            param.cDrvOptItems = 3;
            param.pOEMUserData = c.userData;
            EXPECT_EQ(CPSUICB_ACTION_OPTIF_CHANGED, ColorModeItemCallback(c.nullCallbackParam ? nullptr : &callback,
                                                                          c.nullParamBlock ? nullptr : &param));
            EXPECT_EQ(c.changes ? 0 : 1, rendering.Sel);
            EXPECT_EQ(c.changes ? static_cast<DWORD>(OPTIF_DISABLED) : 0u, rendering.Flags);
            ASSERT_EQ(c.tells ? 1u : 0u, driverUi.updates.size());
            if (c.tells) {
                EXPECT_EQ(&uiObject, driverUi.updates[0].pci);
                EXPECT_EQ(&rendering, driverUi.updates[0].item);
            }
        }
    }
    // Apply is answered whatever else is missing.
    CPSUICBPARAM apply;
    memset(&apply, 0, sizeof(apply));
    apply.Reason = CPSUICB_REASON_APPLYNOW;
    EXPECT_EQ(CPSUICB_ACTION_ITEMS_APPLIED, ColorModeItemCallback(&apply, nullptr));
}
