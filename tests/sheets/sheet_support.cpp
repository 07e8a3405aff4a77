#include "tests/sheets/sheet_support.h"

#include <stdio.h>
#include <string.h>

#include "tests/support/expected_labels.h"

namespace {

std::vector<OPTITEM> Snapshot(SheetItems& items) {
    std::vector<OPTITEM> copy;
    for (size_t i = 0; i < items.Count(); ++i) {
        copy.push_back(items.Item(i));
    }
    return copy;
}

}  // namespace

BYTE ExpectedItemCode(const std::string& keyword) {
    for (const ExpectedLabelRow& row : kExpectedLabelRows) {
        if (keyword == row.keyword) {
            return row.publicItemId != 0 ? 0 : static_cast<BYTE>(row.itemCode);
        }
    }
    return 0;
}

const std::vector<std::string>& LabelTableKeywords() {
    static const std::vector<std::string> keywords = [] {
        std::vector<std::string> all;
        for (const ExpectedLabelRow& row : kExpectedLabelRows) {
            all.push_back(row.keyword);
        }
        return all;
    }();
    return keywords;
}

std::string FixturePpdPath(const std::string& name) {
    return std::string(KX_SOURCE_DIR) + "/tests/fixtures/sheets/" + name;
}

bool RemoveFile(const std::u16string& path) {
    return remove(Utf16ToUtf8(reinterpret_cast<const WCHAR*>(path.c_str())).c_str()) == 0;
}

testing::AssertionResult SheetHarness::Start(const std::string& ppdPath, const InstalledValues& installed) {
    std::string error;
    if (!ReadDriverPpd(ppdPath, &ppd, &error) || !printer.Add(ppdPath, &error)) {
        return testing::AssertionFailure() << error;
    }
    for (const DriverPpdFeature& feature : ppd.features) {
        if (feature.group == "InstallableOptions" && !feature.defaultOption.empty()) {
            session.DriverUi().SetInstalled(feature.keyword.substr(1), feature.defaultOption);
        }
    }
    for (const auto& value : installed) {
        session.DriverUi().SetInstalled(value.first, value.second);
    }
    if (!session.Start(&error)) {
        return testing::AssertionFailure() << error;
    }
    return testing::AssertionSuccess();
}

SheetOptions SheetHarness::Options(LONG colorSelection) const {
    SheetOptions options;
    options.colorSelection = colorSelection;
    options.installed = session.DriverUi().Installed();
    return options;
}

void SheetHarness::OpenDocumentSheet(LONG colorSelection, const std::function<void(SheetItems*)>& prepare) {
    EXPECT_EQ(S_OK, session.FirstCall(OEMCUIP_DOCPROP, printer.Handle()));
    document.Clear();
    BuildDocumentSheet(ppd, Options(colorSelection), &document);
    if (prepare) {
        prepare(&document);
    }
    documentBefore = Snapshot(document);
    EXPECT_EQ(S_OK, session.SecondCall(OEMCUIP_DOCPROP, printer.Handle(), &document));
}

void SheetHarness::OpenPrinterSheet(const std::function<void(SheetItems*)>& prepare) {
    EXPECT_EQ(S_OK, session.FirstCall(OEMCUIP_PRNPROP, printer.Handle()));
    printerSheet.Clear();
    BuildPrinterSheet(ppd, Options(-1), &printerSheet);
    if (prepare) {
        prepare(&printerSheet);
    }
    printerBefore = Snapshot(printerSheet);
    EXPECT_EQ(S_OK, session.SecondCall(OEMCUIP_PRNPROP, printer.Handle(), &printerSheet));
}

testing::AssertionResult SheetHarness::RereadDriverPpd() {
    std::string bytes;
    if (!ReadFileBytes(printer.DataFile(), &bytes)) {
        return testing::AssertionFailure()
               << "cannot read " << Utf16ToUtf8(reinterpret_cast<const WCHAR*>(printer.DataFile().c_str()));
    }
    ParseDriverPpd(bytes, &ppd);
    return testing::AssertionSuccess();
}

size_t SheetHarness::DocumentItem(const std::string& keyword) {
    const int index = document.FindKeyword(keyword);
    EXPECT_GE(index, 0) << "no document item for " << keyword;
    return index < 0 ? 0 : static_cast<size_t>(index);
}

testing::AssertionResult SameItem(const OPTITEM& expected, const OPTITEM& actual) {
    if (memcmp(&expected, &actual, sizeof(OPTITEM)) == 0) {
        return testing::AssertionSuccess();
    }
    char flags[64];
    snprintf(flags, sizeof(flags), "Flags 0x%X -> 0x%X", static_cast<unsigned>(expected.Flags),
             static_cast<unsigned>(actual.Flags));
    return testing::AssertionFailure() << "item changed: " << flags << ", Sel " << expected.Sel << " -> " << actual.Sel
                                       << ", UserItemID " << int(expected.UserItemID) << " -> "
                                       << int(actual.UserItemID) << ", Level " << int(expected.Level) << " -> "
                                       << int(actual.Level);
}

std::vector<std::string> Describe(const std::vector<ForbiddenOptions>& forbidden) {
    std::vector<std::string> lines;
    for (const ForbiddenOptions& entry : forbidden) {
        std::string line = entry.feature + ":";
        for (const std::string& option : entry.options) {
            line += " " + option;
        }
        lines.push_back(line);
    }
    return lines;
}
