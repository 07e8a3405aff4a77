#include "tests/sheets/sheet_support.h"

#include <stdio.h>
#include <string.h>
#include <unistd.h>

namespace {

struct LabelRow {
    const char* keyword;
    BYTE code;  // 0 where the driver shows the feature as a public item
};

// The label table as the design lists it, typed apart from the plug-in's.
const LabelRow kLabelRows[] = {
    {"*InputSlot", 0},
    {"*Resolution", 0},
    {"*MediaType", 0},
    {"*PageSize", 0},
    {"*Duplex", 0},
    {"*InstalledMemory", 0x20},
    {"*KXTrayUnit", 0x21},
    {"*KXDuplexOption", 0x22},
    {"*KXStackerOption", 0x23},
    {"*KXCompactFlash", 0x24},
    {"*KXScreens", 0x40},
    {"*KXPureBlack", 0x41},
    {"*KXLumaq", 0x42},
    {"*KXToner", 0x43},
    {"*KXImageProtect", 0x44},
    {"*KXRendering", 0x45},
    {"*KXPressSimulation", 0x46},
    {"*KXCMYKMethod", 0x47},
    {"*KXRGBSource", 0x48},
    {"*KXRGBIntent", 0x49},
    {"*KXSeparations", 0x4A},
    {"*OutputBin", 0x4B},
    {"*KXDensity", 0x4C},
    {"*KXRotate180Degrees", 0x4D},
    {"*KXRotate90Degrees", 0x4E},
    {"*KXStartSide", 0x4F},
    {"*KXAutoMonoMode", 0x50},
    {"*KXOUTPUTID", 0x51},
};
static_assert(sizeof(kLabelRows) / sizeof(kLabelRows[0]) == 28, "28 label rows");

std::vector<OPTITEM> Snapshot(SheetItems& items) {
    std::vector<OPTITEM> copy;
    for (size_t i = 0; i < items.Count(); ++i) {
        copy.push_back(items.Item(i));
    }
    return copy;
}

}  // namespace

BYTE ExpectedItemCode(const std::string& keyword) {
    for (const LabelRow& row : kLabelRows) {
        if (keyword == row.keyword) {
            return row.code;
        }
    }
    return 0;
}

const std::vector<std::string>& LabelTableKeywords() {
    static const std::vector<std::string> keywords = [] {
        std::vector<std::string> all;
        for (const LabelRow& row : kLabelRows) {
            all.push_back(row.keyword);
        }
        return all;
    }();
    return keywords;
}

std::string SamplePpdPath() {
    return std::string(KX_SOURCE_DIR) + "/samples/kx-color-page.ppd";
}

std::string FixturePpdPath(const std::string& name) {
    return std::string(KX_SOURCE_DIR) + "/tests/fixtures/sheets/" + name;
}

std::string ReadNarrowFile(const std::string& path) {
    std::string bytes;
    FILE* file = fopen(path.c_str(), "rb");
    if (file == nullptr) {
        ADD_FAILURE() << "cannot open " << path;
        return bytes;
    }
    char chunk[4096];
    size_t count;
    while ((count = fread(chunk, 1, sizeof(chunk), file)) > 0) {
        bytes.append(chunk, count);
    }
    fclose(file);
    return bytes;
}

TempPpd::TempPpd(const std::string& bytes) {
    static unsigned counter = 0;
    path =
        "kx_sheets_temp_" + std::to_string(static_cast<unsigned>(getpid())) + "_" + std::to_string(++counter) + ".ppd";
    FILE* file = fopen(path.c_str(), "wb");
    if (file == nullptr || fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
        ADD_FAILURE() << "cannot write " << path;
    }
    if (file != nullptr) {
        fclose(file);
    }
}

TempPpd::~TempPpd() {
    remove(path.c_str());
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
