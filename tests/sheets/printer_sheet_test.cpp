// The printer sheet: the item named 400 becomes the tree's initial item and
// the item named 64798 is hidden with its subtree.
#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "customize/common_ui_prop.h"
#include "tests/sheets/sheet_support.h"

namespace {

constexpr DWORD kUntouched = 0;
constexpr DWORD kHidden = OPTIF_HIDE;
constexpr DWORD kInitial = OPTIF_INITIAL_TVITEM;

// One item of a hand-built printer sheet and the flags it must end with.
struct Row {
    BYTE level;
    WORD nameId;  // 0: named by text
    DWORD flags;  // OPTIF_HIDE and OPTIF_INITIAL_TVITEM expected
    bool paramsHidden;
};

void BuildRows(const std::vector<Row>& rows, SheetItems* items) {
    for (const Row& row : rows) {
        const std::vector<std::u16string> options = {u"One", u"Two", u"Three"};
        if (row.nameId != 0) {
            items->AddResource(row.level, row.nameId, options, 0);
        } else {
            items->AddNamed(row.level, u"Item", options, 0);
        }
    }
}

void ExpectRows(const std::vector<Row>& rows, SheetItems& items) {
    ASSERT_EQ(rows.size(), items.Count());
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "item " << i << " (level " << int(rows[i].level) << ", " << items.Name(i)
                                        << ")");
        const OPTITEM& item = items.Item(i);
        EXPECT_EQ(rows[i].flags, item.Flags);
        ASSERT_NE(nullptr, item.pOptType);
        for (WORD k = 0; k < item.pOptType->Count; ++k) {
            EXPECT_EQ(rows[i].paramsHidden ? OPTPF_HIDE : 0, item.pOptType->pOptParam[k].Flags) << "option " << k;
        }
    }
}

}  // namespace

TEST(PrinterSheet, HidingRuns) {
    const WORD kRun = kNameFontSubstitution;      // 64798
    const WORD kStart = kNameInstallableOptions;  // 400
    const struct {
        const char* what;
        std::vector<Row> rows;
    } cases[] = {
        {"the run ends at the next item of its level, which stays visible",
         {{1, 0, kUntouched, false},
          {1, kRun, kHidden, false},
          {2, 0, kHidden, true},
          {3, 0, kHidden, true},
          {2, 0, kHidden, true},
          {1, 0, kUntouched, false},
          {2, 0, kUntouched, false}}},
        {"a shallower item does not end the run: only an item of the same level does",
         {{0, 0, kUntouched, false},
          {1, 0, kUntouched, false},
          {2, kRun, kHidden, false},
          {3, 0, kHidden, true},
          {1, kStart, kHidden | kInitial, true},
          {0, 0, kHidden, true},
          {2, 0, kUntouched, false},
          {3, 0, kUntouched, false}}},
        {"400 inside the run is hidden and still the initial item",
         {{1, kRun, kHidden, false}, {2, kStart, kHidden | kInitial, true}, {2, 0, kHidden, true}, {1, 0, 0, false}}},
        {"64798 inside a run starts it again at its own level",
         {{1, kRun, kHidden, false},
          {2, 0, kHidden, true},
          {3, kRun, kHidden, true},
          {4, 0, kHidden, true},
          {1, 0, kHidden, true},
          {3, 0, kUntouched, false},
          {1, 0, kUntouched, false}}},
        {"an item of the same level right after it ends the run at once",
         {{1, kRun, kHidden, false}, {1, 0, kUntouched, false}, {2, 0, kUntouched, false}}},
        {"two runs",
         {{1, kRun, kHidden, false},
          {2, 0, kHidden, true},
          {1, 0, kUntouched, false},
          {1, kRun, kHidden, false},
          {2, 0, kHidden, true}}},
        {"the run goes to the end of the sheet",
         {{0, 0, kUntouched, false}, {1, kRun, kHidden, false}, {2, 0, kHidden, true}}},
        {"no 64798: nothing hidden", {{0, kStart, kInitial, false}, {1, 0, kUntouched, false}, {1, 64797, 0, false}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SheetHarness h;
        ASSERT_TRUE(h.Start(SamplePpdPath()));
        h.OpenPrinterSheet([&](SheetItems* items) {
            items->Clear();
            BuildRows(c.rows, items);
        });
        ExpectRows(c.rows, h.printerSheet);
    }
}

TEST(PrinterSheet, SampleSheet_InstallableOptionsFirstFontSubstitutionHidden) {
    SheetHarness h;
    ASSERT_TRUE(h.Start(SamplePpdPath()));
    h.OpenPrinterSheet();
    const int start = -1;
    int hiddenFrom = start;
    int hiddenTo = start;
    for (size_t i = 0; i < h.printerSheet.Count(); ++i) {
        const OPTITEM& item = h.printerSheet.Item(i);
        if (reinterpret_cast<ULONG_PTR>(item.pName) == kNameFontSubstitution) {
            hiddenFrom = static_cast<int>(i);
        } else if (hiddenFrom >= 0 && hiddenTo < 0 && item.Level == h.printerSheet.Item(hiddenFrom).Level) {
            hiddenTo = static_cast<int>(i);
        }
    }
    ASSERT_GE(hiddenFrom, 0);
    ASSERT_GT(hiddenTo, hiddenFrom + 1) << "the sample sheet gives the table a subtree";
    for (size_t i = 0; i < h.printerSheet.Count(); ++i) {
        SCOPED_TRACE(h.printerSheet.Name(i));
        OPTITEM expected = h.printerBefore[i];
        const int index = static_cast<int>(i);
        if (index >= hiddenFrom && index < hiddenTo) {
            expected.Flags |= OPTIF_HIDE;
        }
        if (reinterpret_cast<ULONG_PTR>(expected.pName) == kNameInstallableOptions) {
            expected.Flags |= OPTIF_INITIAL_TVITEM;
        }
        EXPECT_TRUE(SameItem(expected, h.printerSheet.Item(i)));
        const OPTTYPE* type = h.printerSheet.Item(i).pOptType;
        for (WORD k = 0; type != nullptr && k < type->Count; ++k) {
            EXPECT_EQ(index > hiddenFrom && index < hiddenTo ? OPTPF_HIDE : 0, type->pOptParam[k].Flags);
        }
    }
}

TEST(PrinterSheet, ItemsWithoutParameters_HiddenAllTheSame) {
    SheetHarness h;
    ASSERT_TRUE(h.Start(SamplePpdPath()));
    h.OpenPrinterSheet([](SheetItems* items) {
        items->Clear();
        items->AddResource(1, kNameFontSubstitution, {}, 0);
        items->AddNamed(2, u"no OPTTYPE", {}, 0);
        const size_t noParams = items->AddNamed(2, u"OPTTYPE without OPTPARAMs", {u"One", u"Two"}, 0);
        items->Item(noParams).pOptType->pOptParam = nullptr;
        items->AddNamed(2, u"no options", {u"One"}, 0);
        items->Item(3).pOptType->Count = 0;
    });
    for (size_t i = 1; i < h.printerSheet.Count(); ++i) {
        SCOPED_TRACE(h.printerSheet.Name(i));
        EXPECT_EQ(static_cast<DWORD>(OPTIF_HIDE), h.printerSheet.Item(i).Flags);
    }
    EXPECT_EQ(0, h.printerSheet.Item(3).pOptType->pOptParam[0].Flags) << "Count 0 hides no parameter";
}

// Parameter blocks a driver never sends, straight to the handler.
TEST(PrinterSheet, NoItemArray_NothingTouched) {
    PluginContext context = {nullptr, nullptr};
    OPTITEM marker;
    memset(&marker, 0, sizeof(marker));
    for (DWORD mode :
         {static_cast<DWORD>(OEMCUIP_DOCPROP), static_cast<DWORD>(OEMCUIP_PRNPROP), static_cast<DWORD>(3)}) {
        SCOPED_TRACE(testing::Message() << "mode " << mode);
        OEMCUIPPARAM param;
        memset(&param, 0, sizeof(param));
        param.cbSize = sizeof(param);
        param.cDrvOptItems = 5;  // with no array behind it
        param.pOEMOptItems = &marker;
        param.cOEMOptItems = 7;
        EXPECT_EQ(S_OK, HandleCommonUIProp(mode, &param, &context));
        EXPECT_EQ(7u, param.cOEMOptItems) << "the second call leaves the count alone";
        EXPECT_EQ(mode == OEMCUIP_DOCPROP, param.OEMCUIPCallback != nullptr);
    }
    EXPECT_EQ(S_OK, HandleCommonUIProp(OEMCUIP_DOCPROP, nullptr, &context));
    EXPECT_EQ(S_OK, HandleCommonUIProp(OEMCUIP_PRNPROP, nullptr, &context));
}
