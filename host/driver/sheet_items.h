// The driver's property-sheet items: OPTITEMs in one array, each with its
// name, OPTTYPE and OPTPARAMs kept alive beside it, and the driver's own
// string IDs for the names of its sections.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "plugin/oem_abi.h"

// String IDs of the driver's own item names (the driver's resources, not the
// plug-in's), handed over as pName values below 0x10000.
enum : WORD {
    kNameInstallableOptions = 400,  // printer sheet: the plug-in makes it the initial item
    kNameDocumentRoot = 64700,
    kNamePaperOutput = 64701,
    kNameCopyCount = 64702,
    kNameGraphic = 64703,
    kNameColor = 64706,  // the driver's own colour item (DMPUB_COLOR)
    kNameDocumentOptions = 64704,
    kNamePrinterFeatures = 64705,
    kNameDeviceSettings = 64790,
    kNameFormToTray = 64791,
    kNameFonts = 64792,
    kNameTrueTypeDownload = 64793,
    kNamePostScriptOptions = 64794,
    kNameOutputProtocol = 64795,
    kNameFontSubstitution = 64798,  // printer sheet: the plug-in hides it with its subtree
};

// The driver's text for one of its string IDs, UTF-8; null for an unknown ID.
const char* DriverStringText(WORD id);

class SheetItems {
  public:
    SheetItems() = default;
    SheetItems(const SheetItems&) = delete;
    SheetItems& operator=(const SheetItems&) = delete;

    // Appends an item named by text (kept here) or by a string ID, with one
    // OPTPARAM per option name (no OPTTYPE when there are none) in a list
    // box, or in an OPTTYPE of type optType. keyword is the PPD feature the
    // item stands for, empty for the driver's own items. Returns the item's
    // index.
    size_t AddNamed(BYTE level, const std::u16string& name, const std::vector<std::u16string>& options, LONG sel,
                    BYTE dmPubId = DMPUB_NONE, const std::string& keyword = std::string());
    size_t AddResource(BYTE level, WORD nameId, const std::vector<std::u16string>& options, LONG sel,
                       BYTE dmPubId = DMPUB_NONE, BYTE optType = TVOT_LISTBOX);

    // Moves item from to position to, the items between shifting by one.
    void Move(size_t from, size_t to);
    void Clear() {
        items.clear();
        entries.clear();
    }

    size_t Count() const { return items.size(); }
    OPTITEM* Items() { return items.empty() ? nullptr : items.data(); }  // valid until the next Add or Move
    OPTITEM& Item(size_t index) { return items[index]; }
    const OPTITEM& Item(size_t index) const { return items[index]; }

    // The item's name as the sheet shows it, UTF-8: its text, or the
    // driver's text for its string ID followed by the ID in brackets.
    std::string Name(size_t index) const;
    const std::string& Keyword(size_t index) const { return entries[index]->keyword; }
    // The names of its options, in the order built.
    const std::vector<std::u16string>& OptionNames(size_t index) const { return entries[index]->optionNames; }

    // Index of the first item standing for that PPD feature, or of the first
    // item with that DMPubID; -1 when there is none.
    int FindKeyword(const std::string& keyword) const;
    int FindPublic(BYTE dmPubId) const;

  private:
    struct Entry {
        std::u16string name;
        std::string keyword;
        std::vector<std::u16string> optionNames;
        std::vector<OPTPARAM> params;
        OPTTYPE type;
    };
    size_t Add(BYTE level, LPWSTR name, std::unique_ptr<Entry> entry, LONG sel, BYTE dmPubId, BYTE optType);

    std::vector<std::unique_ptr<Entry>> entries;  // entries[i] belongs to items[i]
    std::vector<OPTITEM> items;
};
