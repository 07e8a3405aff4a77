// The driver's own reading of a PPD file: which features it shows and under
// which names. It is independent of the plug-in's reader, so that a fault
// there shows up as a driver item the plug-in does not recognise.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

// One *OpenUI block as the driver names it.
struct DriverPpdFeature {
    std::string keyword;        // main keyword with its '*', bytes as in the file
    std::u16string name;        // translation after the first slash, decoded; keyword less '*' without one
    std::string group;          // keyword of the enclosing *OpenGroup; empty outside any
    std::string defaultOption;  // value of the block's *Default line; empty without one
    std::vector<std::string> optionKeywords;  // in file order
    std::vector<std::u16string> optionNames;  // their translations, decoded; the keyword without one
};

struct DriverPpd {
    std::string languageEncoding;  // value of *LanguageEncoding; empty without one
    UINT codePage = 0;             // what the translations are decoded with
    bool colorDevice = false;      // *ColorDevice: True, which gives the driver its colour item
    std::vector<DriverPpdFeature> features;
};

// The code page of a *LanguageEncoding value: ISOLatin1 1252, JIS83-RKSJ 932,
// anything else the system's ANSI code page.
UINT DriverPpdCodePage(const std::string& languageEncoding);

// Reads the whole file in binary. Line ends may be LF, CR LF or CR; quoted
// values may span lines; *% comments and statements other than *OpenGroup,
// *CloseGroup, *LanguageEncoding, *ColorDevice, *OpenUI, *CloseUI, *Default... and option
// lines are passed over. Hexadecimal escapes (<hh hh>) are decoded in
// translations before the bytes are read in the file's code page.
void ParseDriverPpd(const std::string& bytes, DriverPpd* ppd);

// False with a one-line reason when the file cannot be read. The path is in
// the C runtime's narrow encoding, or UTF-16 as the spooler names it.
bool ReadDriverPpd(const std::string& path, DriverPpd* ppd, std::string* error);
bool ReadDriverPpd(const std::u16string& path, DriverPpd* ppd, std::string* error);

// The index of the feature with that keyword, or -1.
int FindDriverPpdFeature(const DriverPpd& ppd, const std::string& keyword);

// The index of option among the feature's options, or -1.
int FindDriverPpdOption(const DriverPpdFeature& feature, const std::string& option);
