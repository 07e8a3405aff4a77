// Shared by the sheet tests: the item codes the label table gives, the
// sheet fixtures, and one plug-in object driven through a registered printer
// as the driver drives it.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "host/common/files.h"
#include "host/common/text.h"
#include "host/driver/host_run.h"
#include "host/driver/printer_registration.h"
#include "host/driver/sheet_builder.h"
#include "host/report/plugin_model.h"
#include "tests/support/plugin_module.h"
#include "tests/support/test_text.h"

// The item code the plug-in must give an item standing for keyword, as the
// label table lists it: 0 for the five public features and for keywords it
// does not know.
BYTE ExpectedItemCode(const std::string& keyword);
// Every keyword of the label table, public ones included.
const std::vector<std::string>& LabelTableKeywords();

std::string FixturePpdPath(const std::string& name);

// Deletes a file named by a UTF-16 path (the spooler's ASCII paths only).
bool RemoveFile(const std::u16string& path);

// One plug-in object with a printer registered for a PPD.
class SheetHarness {
  public:
    explicit SheetHarness(SIZE_T heapMaximum = 0) : session(LoadedPlugin(), heapMaximum) {}

    // Reads the PPD as the driver does, registers the printer, makes the
    // driver answer the PPD's installed-option defaults overridden by
    // installed, and makes the driver's first calls.
    testing::AssertionResult Start(const std::string& ppdPath, const InstalledValues& installed = {});

    // The document sheet: the first call, the items built from the driver's
    // reading of the PPD (kept as built in documentBefore), then the second
    // call. prepare, when given, changes the items before the second call.
    void OpenDocumentSheet(LONG colorSelection = -1, const std::function<void(SheetItems*)>& prepare = nullptr);
    void OpenPrinterSheet(const std::function<void(SheetItems*)>& prepare = nullptr);

    // Rereads the driver's names from the file the spooler reports.
    testing::AssertionResult RereadDriverPpd();

    // Index of the document item standing for keyword; fails the test when
    // there is none.
    size_t DocumentItem(const std::string& keyword);

    SheetOptions Options(LONG colorSelection) const;

    // The tests' own plug-in registers its PluginContext as user data.
    const PluginContext* Context() const { return static_cast<const PluginContext*>(session.UserData()); }

    DriverPpd ppd;
    HostPrinter printer;
    DriverSession session;
    SheetItems document;
    std::vector<OPTITEM> documentBefore;
    SheetItems printerSheet;
    std::vector<OPTITEM> printerBefore;
};

// The items' bytes equal, for failure messages naming the first difference.
testing::AssertionResult SameItem(const OPTITEM& expected, const OPTITEM& actual);

// Forbidden options as "*Feature: A B" lines, for comparisons.
std::vector<std::string> Describe(const std::vector<ForbiddenOptions>& forbidden);
