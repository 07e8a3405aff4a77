// The document and printer sheets as the driver builds them from its own
// reading of the PPD.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "host/driver/driver_ppd.h"
#include "host/driver/sheet_items.h"

struct SheetOptions {
    // Sel of the colour item; -1 for the driver's default, colour.
    LONG colorSelection = -1;
    // Installed values (feature without '*', option keyword) for the Sel of
    // the installable features' items; others show their PPD default.
    std::vector<std::pair<std::string, std::string>> installed;
};

// PPD features the driver shows as public devmode items.
BYTE DriverPublicItemId(const std::string& keyword);

// The driver's own colour item, whatever colour features the PPD lists: two
// states, 0 monochrome and 1 colour, as the plug-in's callback takes them.
constexpr const char* kColorItemOptions[] = {"Grayscale", "Color"};
constexpr LONG kColorSelectionGrayscale = 0;
constexpr LONG kColorSelectionColor = 1;
const std::vector<std::u16string>& ColorItemOptionNames();  // kColorItemOptions in UTF-16

// The document sheet: a root and three sections named by string IDs; the
// public features with their DMPubIDs under "Paper/Output" and "Graphic",
// where a PPD that says *ColorDevice: True also gets the colour item
// (DMPUB_COLOR, named by string ID); every other feature, *ColorModel
// among them, in file order under "Printer Features". Feature items are
// named by their translation and select their default option.
void BuildDocumentSheet(const DriverPpd& ppd, const SheetOptions& options, SheetItems* items);

// The printer sheet: "Device Settings" with the form-to-tray table (one item
// per input slot), the fonts section whose font substitution table (64798)
// has a level of its own below it, the installable options (400, one item per
// feature of the "InstallableOptions" group), and the PostScript options.
void BuildPrinterSheet(const DriverPpd& ppd, const SheetOptions& options, SheetItems* items);
